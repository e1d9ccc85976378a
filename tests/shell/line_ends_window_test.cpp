// Line ends from nodes on loopback, through the chat and BBS links to the main window's views and
// to the files "Save Window to file" writes.

#include "platform/rtf_reader.h"
#include "shell/dialog_program.h"
#include "support/fake_node.h"

#include <QTabWidget>

using namespace zenthra;
using zenthra::test::DialogProgram;
using zenthra::test::FakeNode;

namespace {

QString savedText(const DialogProgram& p, const char* name)
{
    const std::optional<RtfText> back =
        readRtf(p.dir.read(QString::fromLatin1(name) + QStringLiteral(".rtf")));
    return back ? back->plainText() : QStringLiteral("(unreadable)");
}

} // namespace

TEST(LineEndsWindow, ChatAndBbsLinesShowAndSaveEveryLineEndAsOneBreak)
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

    QPlainTextEdit* chatView = p.window->txtDataRetrieval(2);
    chat.send("A2\rB2\r\nA3\n\rB3\r\n");
    EXPECT_EVENTUALLY_EQ(chatView->toPlainText(), QStringLiteral("\nA2\nB2 \nA3 \nB3 "), 5000);
    // A sign-on that ends its lines with CR alone, shown after the node's pause.
    chat.send("*** conversd\rWelcome G4ABC\r");
    const QString chatShown = QStringLiteral("\nA2\nB2 \nA3 \nB3 \n*** conversd\nWelcome G4ABC ");
    EXPECT_EVENTUALLY_EQ(chatView->toPlainText(), chatShown, 5000);

    QPlainTextEdit* bbsView = p.window->txtDataRetrieval(4);
    bbs.send("PKT one\rPKT two\rPKT three\r");
    EXPECT_EVENTUALLY_EQ(bbsView->toPlainText(), QStringLiteral("\nPKT one\nPKT two\nPKT three "), 5000);
    bbs.send("\nfirst\r\n\r\nsecond\r\n");
    const QString bbsShown = QStringLiteral("\nPKT one\nPKT two\nPKT three \nfirst \n \nsecond ");
    EXPECT_EVENTUALLY_EQ(bbsView->toPlainText(), bbsShown, 5000);

    p.answer("chat");
    p.click(QStringLiteral("mnuWindowSaved(3)"));
    EXPECT_EQ(savedText(p, "chat"), QString(chatShown).replace(u'\n', QStringLiteral("\r\n")));
    p.answer("bbs");
    p.click(QStringLiteral("mnuWindowSaved(4)"));
    EXPECT_EQ(savedText(p, "bbs"), QString(bbsShown).replace(u'\n', QStringLiteral("\r\n")));
}
