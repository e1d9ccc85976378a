// The ANALYSIS tab's wiring through the real main window: the lists filled when the tab is
// entered, "Get Data" and "wwv / wcy" writing their reports into the analysis window.

#include "shell/dialog_program.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace zenthra;
using zenthra::test::DialogProgram;

namespace {

TEST(AnalysisTab, ListsFilledOnEntryAndReportsWrittenToTheWindow)
{
    DialogProgram p;
    p.app->database().OPEN_DATABASES(p.app->options().database.strDbType);
    Database& db = p.app->database();
    ASSERT_TRUE(db.isOpen());
    const QDateTime when(QDate(2024, 6, 3), QTime(9, 7), Qt::UTC);
    ASSERT_TRUE(db.exec(
        Store::Spots,
        QStringLiteral("INSERT INTO tblAllSpots (Spot_Date, Spot_Call1, Spot_Loc1, Spot_Call2,"
                       " Spot_Loc2, Spot_Detail, Spot_Freq, Spot_Mode) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
        {Database::dateValue(when), "G4ABC", "IO91WM", "EA7XYZ", "IM67AA", "first", 50.11, "ES"}));
    ASSERT_TRUE(db.exec(Store::Spots, db.sql(Statement::InsertAnnounce),
                        {QStringLiteral("WWV de W0MU <18>: SFI=150"), Database::dateValue(when)}));

    MainWindow& w = *p.window;
    auto* modes = w.findChild<QComboBox*>(QStringLiteral("cboAnalysisMode(0)"));
    auto* bands = w.findChild<QComboBox*>(QStringLiteral("cboAnalysisMode(1)"));
    w.tabSporadic()->setCurrentIndex(4);
    EXPECT_EQ(modes->currentText(), QStringLiteral("ALL"));
    EXPECT_EQ(bands->count(), 20);
    bands->setCurrentIndex(bands->findText(QStringLiteral("6M")));

    w.findChild<QLineEdit*>(QStringLiteral("txtAnalysis(0)"))->setText(QStringLiteral("2024-06-03"));
    w.findChild<QLineEdit*>(QStringLiteral("txtAnalysis(1)"))->setText(QStringLiteral("09:00"));
    w.findChild<QLineEdit*>(QStringLiteral("txtAnalysis(4)"))->setText(QStringLiteral(" ea7 "));
    w.findChild<QPushButton*>(QStringLiteral("cmdAnalysis"))->click();
    const QStringList lines = p.app->textWindows().txtDataRetrieval[3].text().split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 5);
    EXPECT_TRUE(lines[0].startsWith(QLatin1String("ANALYSIS REPORT CREATED ON ")));
    EXPECT_EQ(
        lines[1],
        QStringLiteral("ALL MODE ANALYSIS FOR (SPOT_FREQ > 49 AND SPOT_FREQ < 60) (MHZ), ORDER BY DESC"));
    EXPECT_EQ(lines[2], QStringLiteral("ANALYSIS FOR DATE: MONDAY 03 JUNE 2024 between 09:00 and 23:59"));
    EXPECT_EQ(lines[4], QStringLiteral("03 Jun 2024 09:07z [DX DE first]"));

    w.findChild<QPushButton*>(QStringLiteral("cmdAnnWWv"))->click();
    EXPECT_EQ(p.app->textWindows().txtDataRetrieval[3].text().section(QStringLiteral("\r\n"), 1),
              QStringLiteral("WWV / WCY ANNOUNCEMENTS FOR DATE: MONDAY 03 JUNE 2024\r\n\r\n"
                             "[0907z] WWV de W0MU <18>: SFI=150\r\n"));
    // The boxes keep what the user typed.
    EXPECT_EQ(w.findChild<QLineEdit*>(QStringLiteral("txtAnalysis(3)"))->text(), QStringLiteral("150"));
}

TEST(AnalysisTab, BoxesTakeTheirDesignedLengthsAndOnlyTheDateBoxTheDateTip)
{
    DialogProgram p;
    const QString typed = QStringLiteral("1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    const struct
    {
        qsizetype longest;
        const char* tip;
    } boxes[] = {{20, "Use dd/mm/yy format in uk or mm/dd/yy format in eu etc"},
                 {8, "Time format = hh:mm ie 03:22"},
                 {8, "Time format = hh:mm ie 22:54"},
                 {4, ""},
                 {20, ""}};
    for (int i = 0; i < 5; ++i) {
        auto* box = p.window->findChild<QLineEdit*>(QStringLiteral("txtAnalysis(%1)").arg(i));
        ASSERT_NE(box, nullptr) << i;
        box->clear();
        QTest::keyClicks(box, typed);
        EXPECT_EQ(box->text(), typed.left(boxes[i].longest)) << i;
        EXPECT_EQ(box->toolTip(), QString::fromLatin1(boxes[i].tip)) << i;
    }
}

} // namespace
