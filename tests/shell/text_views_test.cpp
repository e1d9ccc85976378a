// The text windows of the main window with nodes on loopback: every line end one break on screen
// and in a saved file, and the newest line in view whenever a window comes into view.

#include "platform/rtf_reader.h"
#include "shell/dialog_program.h"
#include "support/fake_node.h"

#include <QTabWidget>
#include <QTextBlock>

using namespace zenthra;
using zenthra::test::DialogProgram;
using zenthra::test::FakeNode;

namespace {

// The text of a window saved through "Save Window to file", with LF line ends as a view shows.
QString savedText(DialogProgram& p, int item, const char* name)
{
    p.answer(name);
    p.click(QStringLiteral("mnuWindowSaved(%1)").arg(item));
    const std::optional<RtfText> back =
        readRtf(p.dir.read(QString::fromLatin1(name) + QStringLiteral(".rtf")));
    return back ? back->plainText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")) : QString();
}

// The text of the last line wholly inside the view's viewport.
QString lastVisibleLine(QPlainTextEdit* view)
{
    const int height = view->viewport()->height();
    QTextBlock block = view->cursorForPosition(QPoint(0, height - 1)).block();
    for (; block.isValid(); block = block.previous()) {
        QTextCursor end(block);
        end.movePosition(QTextCursor::EndOfBlock);
        if (view->cursorRect(end).bottom() < height) {
            break;
        }
    }
    return block.text();
}

} // namespace

TEST(TextViews, ChatAndBbsLinesShowAndSaveEveryLineEndAsOneBreak)
{
    DialogProgram p;
    p.app->OPEN_ZENTHRA();
    FakeNode chat;
    FakeNode bbs;
    CurrentNode& nodes = p.app->options().nodes;
    nodes.strWwcHost = nodes.strBbsHost = QStringLiteral("127.0.0.1");
    nodes.sngWwcPort = chat.port();
    nodes.sngBbsPort = bbs.port();
    p.click(QStringLiteral("mnuWwc(4)"));
    ASSERT_TRUE(chat.accept());
    p.click(QStringLiteral("mnuBBS(2)"));
    ASSERT_TRUE(bbs.accept());
    // A sign-on with CR line ends is shown after the node's pause; an LF CR pair split at the LF.
    chat.send("A2\rB2\r\nA3\n\rB3\r\n*** conversd\rWelcome G4ABC\r");
    const QString chatShown = QStringLiteral("\nA2\nB2 \nA3 \nB3 \n*** conversd\nWelcome G4ABC ");
    EXPECT_EVENTUALLY_EQ(p.window->txtDataRetrieval(2)->toPlainText(), chatShown, 5000);
    bbs.send("PKT one\rPKT two\rPKT three\r");
    EXPECT_EVENTUALLY(p.window->txtDataRetrieval(4)->toPlainText().endsWith(QLatin1String("three ")), 5000);
    bbs.send("\nfirst\r\n\r\nsecond\r\n");
    const QString bbsShown = QStringLiteral("\nPKT one\nPKT two\nPKT three \nfirst \n \nsecond ");
    EXPECT_EVENTUALLY_EQ(p.window->txtDataRetrieval(4)->toPlainText(), bbsShown, 5000);
    EXPECT_EQ(savedText(p, 3, "chat"), chatShown);
    EXPECT_EQ(savedText(p, 4, "bbs"), bbsShown);
}

// 100 lines in each window while another tab is shown; then, in turn, each way a window comes into
// view or is made smaller must show its newest line.
TEST(TextViews, EachWindowShowsItsNewestLineWhenItComesIntoView)
{
    DialogProgram p;
    p.app->OPEN_ZENTHRA();
    // Stored outer sizes of the separate windows: 300 pixels high at 96 dpi, smaller than their own.
    p.dir.write(QStringLiteral("wwc_view.dat"), "1500\r\n1500\r\n6000\r\n4500\r\n");
    p.dir.write(QStringLiteral("dxc_view.dat"), "1500\r\n1500\r\n6000\r\n4500\r\n");
    p.window->tabSporadic()->setCurrentIndex(1);
    TextWindows& w = p.app->textWindows();
    for (int i = 0; i < 100; ++i) {
        QString dxc = QStringLiteral("dxc %1").arg(i);
        QString chat = QStringLiteral("chat %1").arg(i);
        QString bbs = QStringLiteral("bbs %1").arg(i);
        w.POPULATE_DXC_WINDOW(dxc);
        w.POPULATE_WWC_WINDOW(chat);
        w.POPULATE_BBS_WINDOW(bbs);
    }
    p.settle();
    const auto pane = [&](const char* window, const char* name) {
        return p.window->findChild<QWidget*>(window)->findChild<QPlainTextEdit*>(name);
    };
    const struct
    {
        const char* action; // a tab number or a menu item
        std::function<QPlainTextEdit*()> view;
        const char* newest;
    } steps[] = {
        {"0", [&] { return p.window->TBCluster(); }, "dxc 99 "},
        {"3", [&] { return p.window->txtDataRetrieval(2); }, "chat 99 "},
        {"mnuWwc(7)", [&] { return p.window->txtDataRetrieval(2); }, "chat 99 "},
        {"mnuWwc(7)", [&] { return p.window->txtDataRetrieval(5); }, "dxc 99 "},
        {"6", [&] { return p.window->txtDataRetrieval(4); }, "bbs 99 "},
        {"mnuWWcSeperateWindow", [&] { return pane("frmNewWwc", "txtWWC"); }, "chat 99 "},
        {"mnuDxcSeperateWindow", [&] { return pane("frmNewDxc", "TBCluster"); }, "dxc 99 "},
    };
    QString done;
    for (const auto& step : steps) {
        const QString action = QString::fromLatin1(step.action);
        if (action != done) {
            if (action.size() == 1) {
                p.window->tabSporadic()->setCurrentIndex(action.toInt());
            } else {
                p.click(action);
            }
            done = action;
        }
        QPlainTextEdit* view = step.view();
        ASSERT_TRUE(view && view->isVisible()) << step.action;
        EXPECT_EVENTUALLY_EQ(lastVisibleLine(view), QString::fromLatin1(step.newest), 2000);
    }
}
