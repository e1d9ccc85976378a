// frmSpotFilter, headless, on the program's own SQLite database.

#include "spots/spot_filter_window.h"

#include "shell/dialog_program.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace zenthra;
using zenthra::test::DialogProgram;

namespace {

struct EditorWindow : DialogProgram
{
    SpotFilterWindow* w = nullptr;
    EditorWindow()
    {
        app->OPEN_ZENTHRA();
        click(QStringLiteral("mnuEsSpotFilter"));
        w = dialogMenus().frmSpotFilter();
    }
    QListWidgetItem* line(const QString& text) const
    {
        const auto found = w->lstSpots()->findItems(text, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.front();
    }
    void clickLine(const QString& text) const
    {
        QListWidgetItem* item = line(text);
        ASSERT_NE(item, nullptr) << text.toStdString();
        w->lstSpots()->setCurrentItem(item);
        Q_EMIT w->lstSpots()->itemClicked(item);
    }
};

TEST(SpotFilterWindow, ClickLoadsTheRowAddUpdateReplacesItAndRefusalsAreReported)
{
    EditorWindow p;
    ASSERT_NE(p.w, nullptr);
    EXPECT_EQ(p.w->windowTitle(), QStringLiteral("Spot Filter"));
    EXPECT_TRUE(p.w->isVisible());
    EXPECT_EQ(p.w->lstSpots()->count(), 148);
    EXPECT_EQ(p.w->cboSpotFilter(0)->count(), 36);
    EXPECT_EQ(p.w->cmdSpotFilter(0)->text(), QStringLiteral("Add / Update"));

    p.clickLine(QStringLiteral("017  # NIL ES #\tUNKNOWN"));
    EXPECT_EQ(p.w->cboSpotFilter(0)->currentText(), QStringLiteral("0"));
    EXPECT_EQ(p.w->cboSpotFilter(1)->currentText(), QStringLiteral("1"));
    EXPECT_EQ(p.w->cboSpotFilter(2)->currentText(), QStringLiteral("7"));
    EXPECT_EQ(p.w->cboSpotMode()->currentText(), QStringLiteral("UNKNOWN"));
    EXPECT_EQ(p.w->txtSpotSort()->text(), QStringLiteral(" NIL ES "));

    p.w->cboSpotMode()->setCurrentText(QStringLiteral("ES"));
    p.w->cmdSpotFilter(0)->click();
    EXPECT_TRUE(p.told.empty());
    EXPECT_NE(p.line(QStringLiteral("017  # NIL ES #\tES")), nullptr);
    EXPECT_EQ(p.line(QStringLiteral("017  # NIL ES #\tUNKNOWN")), nullptr);
    EXPECT_EQ(p.w->lstSpots()->count(), 148);

    // A blank keyword is refused with a critical message; deleting clears the keyword box.
    p.w->txtSpotSort()->setText(QStringLiteral("  "));
    p.w->cmdSpotFilter(0)->click();
    ASSERT_EQ(p.told.size(), 1u);
    EXPECT_EQ(p.told[0].icon, QMessageBox::Critical);
    p.w->txtSpotSort()->setText(QStringLiteral("NOT THERE"));
    p.w->cmdSpotFilter(1)->click();
    EXPECT_EQ(p.w->txtSpotSort()->text(), QString());
    EXPECT_EQ(p.told.size(), 1u);
    EXPECT_EQ(p.w->lstSpots()->count(), 148);
}

TEST(SpotFilterWindow, NewPropTypeRefillsTheModes)
{
    EditorWindow p;
    p.answer("spor");
    p.w->findChild<QPushButton*>(QStringLiteral("cmdNewPropType"))->click();
    ASSERT_EQ(p.asked.size(), 1u);
    EXPECT_EQ(p.asked[0].title, QStringLiteral(" New propagation type"));
    EXPECT_EQ(p.asked[0].prompt,
              QStringLiteral("Please type the new prop type  MAX 6 char, only A to Z, no numbers etc)."));
    ASSERT_EQ(p.told.size(), 1u);
    EXPECT_EQ(p.told[0].icon, QMessageBox::Information);
    EXPECT_EQ(p.told[0].title, QStringLiteral("New propagation mode added"));
    EXPECT_GE(p.w->cboSpotMode()->findText(QStringLiteral("SPOR")), 0);
    EXPECT_NE(p.line(QStringLiteral("000  #CHANGE ME#\tSPOR")), nullptr);

    p.cancel();
    p.w->findChild<QPushButton*>(QStringLiteral("cmdNewPropType"))->click();
    EXPECT_EQ(p.told.size(), 1u) << "Cancel says nothing";
}

} // namespace
