// The text windows' commands: saving as RTF, clearing, copying, the pop-up menus and the "/MSG "
// preparation, headless through the real main window.

#include "core/error_log.h"
#include "platform/clock.h"
#include "platform/rtf_reader.h"
#include "platform/rtf_writer.h"
#include "shell/window_commands.h"

#include "shell/dialog_program.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextCursor>

using namespace zenthra;
using zenthra::test::DialogProgram;

namespace {

const QString awkward = QStringLiteral("Path C:\\temp {braces}\r\n\tcaf\u00e9 \U0001F600\r\n");

// --- SAVE_TO_FILE.

TEST(SaveToFile, SavesTheChosenWindowInTheDataFolderAndReplacesAnOlderFile)
{
    DialogProgram p;
    QString text = awkward;
    p.app->textWindows().POPULATE_MUF_WINDOW(text);
    p.window->applyFontSize(9);
    p.dir.write(QStringLiteral("test.rtf"), "older file");
    p.answer("test");
    p.click(QStringLiteral("mnuWindowSaved(1)"));
    ASSERT_EQ(p.asked.size(), 1u);
    EXPECT_EQ(p.asked[0].title, QStringLiteral("Filename?"));
    EXPECT_EQ(
        p.asked[0].prompt,
        QStringLiteral("Enter a filename, e.g. my data. Please don't use illegal characters e.g. ('?/\\<>~@ "
                       "etc. The file will be saved in the programs working directory"));
    EXPECT_EQ(p.asked[0].defaultAnswer, QString());
    ASSERT_EQ(p.told.size(), 1u);
    EXPECT_EQ(p.told[0].title, QString());
    EXPECT_EQ(p.told[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(p.told[0].text, QStringLiteral("File: test.rtf saved in ") + p.dir.path());
    EXPECT_EQ(p.dir.read(QStringLiteral("test.rtf")), rtfDocument(awkward, 9));
    // Read back, the saved file holds the window's text exactly.
    const std::optional<RtfText> back = readRtf(p.dir.read(QStringLiteral("test.rtf")));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->plainText(), awkward);
}

TEST(SaveToFile, EachMenuItemSavesItsOwnWindow)
{
    DialogProgram p;
    TextWindows& w = p.app->textWindows();
    w.TBCluster.replace(QStringLiteral("dxc"));
    const char* names[] = {"muf", "vhf", "wwc", "analysis", "bbs"};
    for (int i = 0; i < 5; ++i) {
        w.txtDataRetrieval[i].replace(QString::fromLatin1(names[i]));
    }
    const char* expected[] = {"dxc", "muf", "vhf", "wwc", "bbs"};
    for (int index = 0; index < 5; ++index) {
        p.answer(expected[index]);
        p.click(QStringLiteral("mnuWindowSaved(%1)").arg(index));
        const QByteArray saved = p.dir.read(QString::fromLatin1(expected[index]) + QStringLiteral(".rtf"));
        EXPECT_TRUE(saved.endsWith(' ' + QByteArray(expected[index]) + "}\r\n")) << expected[index];
    }
    // The analysis tab's "Save as file".
    p.answer("report");
    p.window->findChild<QPushButton*>(QStringLiteral("cmdSaveAnalysis"))->click();
    EXPECT_TRUE(p.dir.read(QStringLiteral("report.rtf")).endsWith(" analysis}\r\n"));
}

TEST(SaveToFile, RefusedNamesAndNoNameWriteNothing)
{
    using windowcommands::SAVE_TO_FILE;
    using Outcome = windowcommands::SaveResult::Outcome;
    zenthra::test::TempFolder dir;
    const DataFolder folder(dir.path());
    Clock clock;
    ErrorLog log(dir.path(), clock);
    const QString sub = dir.file(QStringLiteral("sub"));
    ASSERT_TRUE(QDir().mkpath(sub));
    for (const char* name : {"../escape", "sub/inside", "sub\\inside", "..", "a..b", "tab\there", "bell\x01",
                             "/tmp/absolute", "line\nbreak"}) {
        const auto r = SAVE_TO_FILE(QString::fromLatin1(name), QStringLiteral("x"), 10, folder, log);
        EXPECT_EQ(r.outcome, Outcome::Refused) << name;
        EXPECT_TRUE(r.text.contains(QStringLiteral("may not hold /, \\, .. or control characters"))) << name;
        EXPECT_TRUE(r.text.endsWith(QStringLiteral("\rThe file was not saved"))) << name;
        EXPECT_FALSE(r.text.contains(u'\x01'));
    }
    for (const auto& none : {std::optional<QString>(), std::optional<QString>(QString()),
                             std::optional<QString>(QStringLiteral("   "))}) {
        EXPECT_EQ(SAVE_TO_FILE(none, QStringLiteral("x"), 10, folder, log).outcome, Outcome::Nothing);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
    EXPECT_EQ(QDir(sub).entryList(QDir::Files), QStringList());
    EXPECT_EQ(QDir(dir.path() + QStringLiteral("/..")).entryList({QStringLiteral("*.rtf")}, QDir::Files),
              QStringList());
}

TEST(SaveToFile, CancelSaysNothingAndARefusedNameWarns)
{
    DialogProgram p;
    p.cancel();
    p.click(QStringLiteral("mnuWindowSaved(0)"));
    EXPECT_TRUE(p.told.empty());
    p.answer("../escape");
    p.click(QStringLiteral("mnuWindowSaved(1)"));
    EXPECT_EQ(p.asked.size(), 2u);
    ASSERT_EQ(p.told.size(), 1u);
    EXPECT_EQ(p.told[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(p.told[0].text.endsWith(QStringLiteral("\rThe file was not saved")));
    EXPECT_EQ(QDir(p.dir.path()).entryList(QDir::Files), QStringList());
}

TEST(SaveToFile, AFileThatCannotBeWrittenIsReportedAndLogged)
{
    DialogProgram p;
    const QByteArray tooLong(300, 'n');
    p.answer(tooLong.constData());
    p.click(QStringLiteral("mnuWindowSaved(0)"));
    ASSERT_EQ(p.told.size(), 1u);
    EXPECT_EQ(p.told[0].icon, QMessageBox::Critical);
    EXPECT_EQ(p.told[0].title, QStringLiteral("Error occured!"));
    EXPECT_TRUE(p.told[0].text.startsWith(QStringLiteral("75 - "))) << p.told[0].text.toStdString();
    EXPECT_TRUE(p.told[0].text.endsWith(QStringLiteral("\rThe file was not saved")));
    const QStringList log = p.dir.lines(QStringLiteral("muf_errors.log"));
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].endsWith(QStringLiteral("\t75 - SAVE_TO_FILE()")));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// --- Clear.

TEST(WindowCommands, ClearEmptiesOnlyTheCurrentTabsWindow)
{
    DialogProgram p;
    TextWindows& w = p.app->textWindows();
    p.click(QStringLiteral("mnuWwc(7)")); // the split view: the WWC tab's upper pane shows the DXC text
    auto* pane = p.window->findChild<QPlainTextEdit*>(QStringLiteral("txtDataRetrieval(5)"));
    // The window each tab empties: -1 the DXC window, -2 none, else txtDataRetrieval(n).
    for (const auto& [tab, emptied] : {std::pair{0, -1}, {1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, -2}, {6, 4}}) {
        w.TBCluster.replace(QStringLiteral("dxc"));
        for (int i = 0; i < 5; ++i) {
            w.txtDataRetrieval[i].replace(QStringLiteral("window %1").arg(i));
        }
        p.window->tabSporadic()->setCurrentIndex(tab);
        p.window->findChild<QPushButton*>(QStringLiteral("cmdClearWindows"))->click();
        p.settle();
        EXPECT_EQ(w.TBCluster.text().isEmpty(), emptied == -1) << tab;
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(w.txtDataRetrieval[i].text().isEmpty(), emptied == i) << tab << " " << i;
        }
        // The upper pane follows the DXC window only.
        EXPECT_EQ(pane->toPlainText(), emptied == -1 ? QString() : QStringLiteral("dxc")) << tab;
    }
}

// --- Copy and pop-ups.

QPlainTextEdit* viewOf(const DialogProgram& p, const QString& name)
{
    auto* v = p.window->findChild<QPlainTextEdit*>(name);
    EXPECT_NE(v, nullptr) << name.toStdString();
    return v;
}

void select(QPlainTextEdit* view, int from, int to);

// Selects `from` to the end of `to` (to the end of `from` when `to` is empty) as the view shows it.
void selectText(QPlainTextEdit* view, const QString& from, const QString& to = {})
{
    const QString shown = view->toPlainText();
    const auto start = shown.indexOf(from);
    ASSERT_GE(start, 0) << from.toStdString();
    const QString& last = to.isEmpty() ? from : to;
    const auto end = shown.indexOf(last, start) + last.size();
    select(view, static_cast<int>(start), static_cast<int>(end));
}

void select(QPlainTextEdit* view, int from, int to)
{
    QTextCursor c = view->textCursor();
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    view->setTextCursor(c);
}

TEST(WindowCommands, CopyPutsTheSelectionOnTheClipboardAndDropsTheSelection)
{
    DialogProgram p;
    QString text = QStringLiteral("QX1ABC 50110 ES\r\nQX2DEF 50125 ES\r\n");
    p.app->textWindows().POPULATE_MUF_WINDOW(text);
    p.settle();
    QPlainTextEdit* muf = viewOf(p, QStringLiteral("txtDataRetrieval(0)"));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));

    // Nothing selected: the clipboard stays.
    p.click(QStringLiteral("mnuMufCopyText"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));

    select(muf, 7, 22); // "50110 ES" to the line below
    p.click(QStringLiteral("mnuMufCopyText"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("50110 ES\nQX2DEF"));
    EXPECT_FALSE(muf->textCursor().hasSelection());
    EXPECT_EQ(muf->textCursor().position(), 7);
}

struct PopupCase
{
    const char* view;
    const char* menu;     // nullptr: no pop-up
    const char* copyItem; // nullptr: the menu has none
};

void PrintTo(const PopupCase& c, std::ostream* os)
{
    *os << c.view;
}

class Popups : public ::testing::TestWithParam<PopupCase>
{
};

TEST_P(Popups, RightButtonShowsTheMenuWithItsCopyItemOnlyWhileOpen)
{
    DialogProgram p;
    const PopupCase c = GetParam();
    bool copyShownWhileOpen = false;
    p.whilePopupOpen = [&](QMenu*) {
        if (c.copyItem) {
            copyShownWhileOpen = p.window->menuItem(QString::fromLatin1(c.copyItem))->isVisible();
        }
    };
    QPlainTextEdit* view = viewOf(p, QString::fromLatin1(c.view));
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    if (!c.menu) {
        EXPECT_TRUE(p.popups.empty());
        return;
    }
    ASSERT_EQ(p.popups.size(), 1u);
    EXPECT_EQ(p.popups[0], p.window->menu(QString::fromLatin1(c.menu)));
    if (c.copyItem) {
        EXPECT_TRUE(copyShownWhileOpen);
        QAction* copy = p.window->menuItem(QString::fromLatin1(c.copyItem));
        EXPECT_FALSE(copy->isVisible());
        // It is the menu's last item.
        EXPECT_EQ(p.popups[0]->actions().constLast(), copy);
    }
    // The left button opens nothing.
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(p.popups.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(WindowCommands, Popups,
                         ::testing::Values(PopupCase{"TBCluster", "mnuDxc0", "mnuDxcCopyTxt"},
                                           PopupCase{"txtDataRetrieval(0)", "mnuEsOptions0",
                                                     "mnuMufCopyText"},
                                           PopupCase{"txtDataRetrieval(1)", "mnuOptions", "mnuVhfCopyText"},
                                           PopupCase{"txtDataRetrieval(2)", "mnuWwc0", "mnuWwcCopyTxt"},
                                           PopupCase{"txtDataRetrieval(3)", nullptr, nullptr},
                                           PopupCase{"txtDataRetrieval(4)", "mnuBBS0", nullptr},
                                           PopupCase{"txtDataRetrieval(5)", "mnuDxc0", "mnuDxcCopyTxt"}));

TEST(WindowCommands, CopyChosenFromTheUpperPanesPopupCopiesFromThatPane)
{
    DialogProgram p;
    p.click(QStringLiteral("mnuWwc(7)"));
    p.app->textWindows().TBCluster.replace(QStringLiteral("DX de QX1ABC: 50110.0 QX5ABC"));
    p.settle();
    QPlainTextEdit* pane = viewOf(p, QStringLiteral("txtDataRetrieval(5)"));
    select(pane, 6, 12);
    p.whilePopupOpen = [&](QMenu*) { p.window->menuItem(QStringLiteral("mnuDxcCopyTxt"))->trigger(); };
    QTest::mouseRelease(pane->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("QX1ABC"));
    EXPECT_FALSE(pane->textCursor().hasSelection());
}

// --- "/MSG " preparation.

struct MessageWindow
{
    const char* view;
    const char* option;
    bool wwc;
};

void PrintTo(const MessageWindow& c, std::ostream* os)
{
    *os << c.view;
}

class MessagePreparation : public ::testing::TestWithParam<MessageWindow>
{
protected:
    void SetUp() override
    {
        const bool wwc = GetParam().wwc;
        QString text = QStringLiteral("<QX1ABC>: hello all\r\n/MSG QX9ZZ  hi\r\nlast line");
        if (wwc) {
            p.app->textWindows().POPULATE_WWC_WINDOW(text);
        } else {
            p.app->textWindows().POPULATE_BBS_WINDOW(text);
        }
        p.window->show();
        p.settle();
        view = viewOf(p, QString::fromLatin1(GetParam().view));
        line = wwc ? p.window->findChild<QComboBox*>(QStringLiteral("txtWwcCommand"))->lineEdit()
                   : p.window->findChild<QLineEdit*>(QStringLiteral("txtBbsCommand"));
        ASSERT_NE(line, nullptr);
        line->setText(QStringLiteral("typed"));
    }
    void release() { QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(5, 5)); }

    DialogProgram p;
    QPlainTextEdit* view = nullptr;
    QLineEdit* line = nullptr;
};

TEST_P(MessagePreparation, SelectedCallBecomesAMessageCommandWhileTheOptionIsOn)
{
    release();
    selectText(view, QStringLiteral("QX1ABC"));
    release();
    EXPECT_EQ(line->text(), QStringLiteral("typed")) << "option off";
    p.click(QString::fromLatin1(GetParam().option));
    select(view, 3, 3);
    release();
    EXPECT_EQ(line->text(), QStringLiteral("typed")) << "nothing selected";

    selectText(view, QStringLiteral("QX1ABC"));
    release();
    EXPECT_EQ(line->text(), QStringLiteral("/MSG qx1abc "));
    EXPECT_EQ(line->cursorPosition(), 12);
    EXPECT_EQ(QApplication::focusWidget() == line || line->hasFocus() ||
                  (line->parentWidget() && line->parentWidget()->hasFocus()),
              true);
    // A selection starting with "/MSG " gives one prefix; one over two lines empties the line.
    selectText(view, QStringLiteral("/MSG QX9ZZ"));
    release();
    EXPECT_EQ(line->text(), QStringLiteral("/MSG qx9zz "));
    selectText(view, QStringLiteral("all"), QStringLiteral("/MSG"));
    release();
    EXPECT_EQ(line->text(), QString());
}

INSTANTIATE_TEST_SUITE_P(WindowCommands, MessagePreparation,
                         ::testing::Values(MessageWindow{"txtDataRetrieval(2)", "mnuWwcMsgTxt", true},
                                           MessageWindow{"txtDataRetrieval(4)", "mnuBbsMsgTxt", false}));

TEST(WindowCommands, MessageCommandRules)
{
    using windowcommands::messageCommand;
    EXPECT_EQ(messageCommand(QString()), std::nullopt);
    EXPECT_EQ(messageCommand(QStringLiteral("  QX1ABC ")), QStringLiteral("/MSG qx1abc "));
    EXPECT_EQ(messageCommand(QStringLiteral("/msg QX1ABC")), QStringLiteral("/MSG qx1abc "));
    EXPECT_EQ(messageCommand(QStringLiteral("/Msg /MSG QX1ABC")), QStringLiteral("/MSG qx1abc "));
    EXPECT_EQ(messageCommand(QStringLiteral("QX1ABC\r\nQX2")), QString());
    EXPECT_EQ(messageCommand(QStringLiteral("QX1ABC") + QChar(QChar::ParagraphSeparator)), QString());
}

} // namespace
