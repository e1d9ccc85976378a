// The text windows' commands: saving as RTF, clearing, copying, the pop-up menus and the "/MSG "
// preparation, headless through the real main window.

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

// Reads back what our writer produces: paragraphs, tabs, escapes and \uN? characters; the font
// table and other control words are skipped.
QString readRtf(const QByteArray& rtf)
{
    QString out;
    int depth = 0;
    int skipDepth = -1; // inside the font table
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '{') {
            ++depth;
            continue;
        }
        if (c == '}') {
            if (depth == skipDepth) {
                skipDepth = -1;
            }
            --depth;
            continue;
        }
        if (c == '\r' || c == '\n') {
            continue;
        }
        if (c != '\\') {
            if (skipDepth < 0) {
                out += QChar::fromLatin1(c);
            }
            continue;
        }
        const char next = rtf[i + 1];
        if (next == '\\' || next == '{' || next == '}') {
            if (skipDepth < 0) {
                out += QChar::fromLatin1(next);
            }
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        QByteArray word;
        while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j]))) {
            word += rtf[j++];
        }
        QByteArray number;
        while (j < rtf.size() && (rtf[j] == '-' || std::isdigit(static_cast<unsigned char>(rtf[j])))) {
            number += rtf[j++];
        }
        if (j < rtf.size() && rtf[j] == ' ') {
            ++j; // the delimiter belongs to the control word
        }
        if (word == "fonttbl") {
            skipDepth = depth;
        } else if (skipDepth < 0) {
            if (word == "par") {
                out += QStringLiteral("\r\n");
            } else if (word == "tab") {
                out += u'\t';
            } else if (word == "u") {
                out += QChar(static_cast<char16_t>(static_cast<qint16>(number.toInt())));
                ++j; // the one fallback character (\uc1)
            }
        }
        i = j - 1;
    }
    return out;
}

const QString awkward = QStringLiteral("Path C:\\temp {braces} and }{\r\n"
                                       "\tTab, caf\u00e9, 50 \u20ac, \u00bd, \U0001F600 end  \r\n"
                                       "\r\n"
                                       "12345 digits after a paragraph\r\n");

TEST(RtfWriter, ReadsBackAsTheWindowText)
{
    const QByteArray rtf = rtfDocument(awkward, 12);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi"));
    EXPECT_TRUE(rtf.contains("\\fs24 "));
    for (const char c : rtf) {
        EXPECT_TRUE(static_cast<unsigned char>(c) < 0x80) << "not ASCII";
    }
    EXPECT_TRUE(rtf.contains("caf\\u233?"));
    EXPECT_TRUE(rtf.contains("\\u8364?"));
    // A character beyond the basic plane as its two surrogates, each signed.
    EXPECT_TRUE(rtf.contains("\\u-10179?\\u-8704?"));
    EXPECT_TRUE(rtf.contains("C:\\\\temp \\{braces\\} and \\}\\{"));
    EXPECT_EQ(readRtf(rtf), awkward);
}

TEST(RtfWriter, LineEndsOfEveryKindEndAParagraph)
{
    EXPECT_EQ(readRtf(rtfDocument(QStringLiteral("a\nb\rc\r\nd"), 10)), QStringLiteral("a\r\nb\r\nc\r\nd"));
    EXPECT_EQ(readRtf(rtfDocument(QString(), 10)), QString());
    EXPECT_TRUE(rtfDocument(QStringLiteral("x"), 0).contains("\\fs20 "));
}

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
    const QByteArray saved = p.dir.read(QStringLiteral("test.rtf"));
    EXPECT_TRUE(saved.contains("\\fs18 "));
    EXPECT_EQ(readRtf(saved), p.app->textWindows().txtDataRetrieval[0].text());
    EXPECT_EQ(readRtf(saved), awkward);
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
        EXPECT_EQ(readRtf(p.dir.read(QString::fromLatin1(expected[index]) + QStringLiteral(".rtf"))),
                  QString::fromLatin1(expected[index]));
    }
    // The analysis tab's "Save as file".
    p.answer("report");
    p.window->findChild<QPushButton*>(QStringLiteral("cmdSaveAnalysis"))->click();
    EXPECT_EQ(readRtf(p.dir.read(QStringLiteral("report.rtf"))), QStringLiteral("analysis"));
}

TEST(SaveToFile, CancelOrAnEmptyNameSavesAndSaysNothing)
{
    DialogProgram p;
    p.cancel();
    p.click(QStringLiteral("mnuWindowSaved(0)"));
    p.answer("");
    p.click(QStringLiteral("mnuWindowSaved(0)"));
    p.answer("   ");
    p.click(QStringLiteral("mnuWindowSaved(0)"));
    EXPECT_EQ(p.asked.size(), 3u);
    EXPECT_TRUE(p.told.empty());
    EXPECT_EQ(QDir(p.dir.path()).entryList(QDir::Files), QStringList());
}

class RefusedNames : public ::testing::TestWithParam<const char*>
{
};

TEST_P(RefusedNames, AreRefusedWithAClearMessageAndWriteNothing)
{
    DialogProgram p;
    const QString sub = p.dir.file(QStringLiteral("sub"));
    ASSERT_TRUE(QDir().mkpath(sub));
    p.answer(GetParam());
    p.click(QStringLiteral("mnuWindowSaved(1)"));
    ASSERT_EQ(p.told.size(), 1u);
    EXPECT_EQ(p.told[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(p.told[0].text.contains(QStringLiteral("may not hold /, \\, .. or control characters")));
    EXPECT_TRUE(p.told[0].text.endsWith(QStringLiteral("\rThe file was not saved")));
    EXPECT_FALSE(p.told[0].text.contains(u'\x01'));
    EXPECT_EQ(QDir(p.dir.path()).entryList(QDir::Files), QStringList());
    EXPECT_EQ(QDir(sub).entryList(QDir::Files), QStringList());
    EXPECT_EQ(QDir(p.dir.path() + QStringLiteral("/..")).entryList({QStringLiteral("*.rtf")}, QDir::Files),
              QStringList());
}

INSTANTIATE_TEST_SUITE_P(SaveToFile, RefusedNames,
                         ::testing::Values("../escape", "sub/inside", "sub\\inside", "..", "a..b",
                                           "tab\there", "bell\x01", "/tmp/absolute", "line\nbreak"));

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

struct ClearCase
{
    int tab;
    int emptied; // -1: the DXC window, -2: none; else txtDataRetrieval(n)
};

void PrintTo(const ClearCase& c, std::ostream* os)
{
    *os << "tab" << c.tab;
}

class ClearByTab : public ::testing::TestWithParam<ClearCase>
{
};

TEST_P(ClearByTab, EmptiesOnlyTheCurrentTabsWindow)
{
    DialogProgram p;
    TextWindows& w = p.app->textWindows();
    w.TBCluster.replace(QStringLiteral("dxc"));
    for (int i = 0; i < 5; ++i) {
        w.txtDataRetrieval[i].replace(QStringLiteral("window %1").arg(i));
    }
    p.click(QStringLiteral("mnuWwc(7)")); // the split view: the WWC tab's upper pane shows the DXC text
    p.window->tabSporadic()->setCurrentIndex(GetParam().tab);
    p.window->findChild<QPushButton*>(QStringLiteral("cmdClearWindows"))->click();
    p.settle();
    EXPECT_EQ(w.TBCluster.text().isEmpty(), GetParam().emptied == -1);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(w.txtDataRetrieval[i].text().isEmpty(), GetParam().emptied == i) << i;
    }
    // The upper pane follows the DXC window only.
    auto* pane = p.window->findChild<QPlainTextEdit*>(QStringLiteral("txtDataRetrieval(5)"));
    EXPECT_EQ(pane->toPlainText(), GetParam().emptied == -1 ? QString() : QStringLiteral("dxc"));
}

INSTANTIATE_TEST_SUITE_P(WindowCommands, ClearByTab,
                         ::testing::Values(ClearCase{0, -1}, ClearCase{1, 0}, ClearCase{2, 1},
                                           ClearCase{3, 2}, ClearCase{4, 3}, ClearCase{5, -2},
                                           ClearCase{6, 4}));

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

TEST_P(MessagePreparation, SelectedCallBecomesAMessageCommand)
{
    p.click(QString::fromLatin1(GetParam().option));
    selectText(view, QStringLiteral("QX1ABC"));
    release();
    EXPECT_EQ(line->text(), QStringLiteral("/MSG qx1abc "));
    EXPECT_EQ(line->cursorPosition(), 12);
    EXPECT_EQ(QApplication::focusWidget() == line || line->hasFocus() ||
                  (line->parentWidget() && line->parentWidget()->hasFocus()),
              true);
}

TEST_P(MessagePreparation, ASelectionStartingWithMsgGivesOnePrefix)
{
    p.click(QString::fromLatin1(GetParam().option));
    selectText(view, QStringLiteral("/MSG QX9ZZ"));
    release();
    EXPECT_EQ(line->text(), QStringLiteral("/MSG qx9zz "));
}

TEST_P(MessagePreparation, ATwoLineSelectionEmptiesTheCommandLine)
{
    p.click(QString::fromLatin1(GetParam().option));
    selectText(view, QStringLiteral("all"), QStringLiteral("/MSG"));
    release();
    EXPECT_EQ(line->text(), QString());
}

TEST_P(MessagePreparation, NothingSelectedOrOptionOffLeavesTheCommandLine)
{
    release();
    selectText(view, QStringLiteral("QX1ABC"));
    release();
    EXPECT_EQ(line->text(), QStringLiteral("typed")) << "option off";
    p.click(QString::fromLatin1(GetParam().option));
    select(view, 3, 3);
    release();
    EXPECT_EQ(line->text(), QStringLiteral("typed")) << "nothing selected";
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
