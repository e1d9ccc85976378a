// The command lines, the chat login, the chat pop-up and the BBS lines, used through the main window
// as a user does, against nodes on loopback.

#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/separate_link_window.h"
#include "shell/wwc_popup_window.h"
#include "support/convers_server.h"
#include "support/eventually.h"
#include "support/fake_node.h"
#include "support/print_qstring.h"
#include "support/settings_lines.h"
#include "support/temp_folder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

using namespace zenthra;
using zenthra::test::ConversServer;
using zenthra::test::FakeNode;
using zenthra::test::TempFolder;

namespace {

struct Program
{
    std::unique_ptr<Application> app;
    std::unique_ptr<MainWindow> window;

    explicit Program(const TempFolder& dir)
    {
        app = std::make_unique<Application>(DataFolder(dir.path()));
        window = std::make_unique<MainWindow>(*app);
        app->setView(window.get());
        app->OPEN_ZENTHRA();
    }
    ~Program()
    {
        if (!app->ended()) {
            app->CLOSE_ZENTHRA(0);
        }
    }
    QComboBox* combo(const char* name) const
    {
        return window->findChild<QComboBox*>(QString::fromLatin1(name));
    }
    void type(QLineEdit* edit, const QString& text) const
    {
        edit->setText(text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    bool shows(const TextWindow& pane, const QString& text) const
    {
        return QTest::qWaitFor([&] { return pane.text().contains(text); }, 2000);
    }
};

TEST(LinkWindows, TypingChattingPrivateMessagesAndHistoriesAfterARestart)
{
    TempFolder dir;
    FakeNode dxc;
    ConversServer wwc;
    FakeNode bbs;
    wwc.passwordPrompt = {"Password: "};
    zenthra::test::prepareSettings(dir, {{11, "127.0.0.1"},
                                         {12, QString::number(dxc.port())},
                                         {13, "G0ABC"},
                                         {15, "True"},
                                         {18, "127.0.0.1"},
                                         {19, QString::number(wwc.port())},
                                         {20, "G4ABC"},
                                         {21, "chatpw"},
                                         {22, "/n G4ABC 144"},
                                         {24, "True"},
                                         {90, "10000"}});
    {
        Program p(dir);
        TextWindows& panes = p.app->textWindows();
        ASSERT_TRUE(dxc.accept());
        p.type(p.combo("txtDxCommand")->lineEdit(), "sh/dx");
        EXPECT_EQ(dxc.received("sh/dx\r\n"), "sh/dx\r\n");
        EXPECT_EQ(p.combo("txtDxCommand")->lineEdit()->text(), "");

        // The chat node: login, password twice, channel join; then a private message.
        ASSERT_TRUE(wwc.accept());
        const QByteArray login = "G4ABC\r\nchatpw\r\nchatpw\r\n/n G4ABC 144\r\n";
        EXPECT_EQ(wwc.received(login), login);
        p.app->options().setChecked(keys::wwcPopupMessage, true);
        p.app->options().setChecked(keys::wwcPlaySound, true);
        wwc.send("<*G0XYZ*>: are you QRV on 6m?\r\n");
        EXPECT_TRUE(p.shows(panes.txtDataRetrieval[2], "<*G0XYZ*>: are you QRV on 6m?"));
        auto* popup = p.window->findChild<WwcPopupWindow*>();
        ASSERT_NE(popup, nullptr);
        EXPECT_TRUE(popup->isVisible());
        EXPECT_TRUE(popup->txtPopup()->toPlainText().endsWith(" - <*G0XYZ*>: are you QRV on 6m?"));
        EXPECT_EQ(p.app->alarmSounds().varSoundResult(), dir.file("wwc.wav"));
        p.window->tabSporadic()->setCurrentIndex(3);
        p.type(p.combo("txtWwcCommand")->lineEdit(), "/msg g0xyz yes");
        EXPECT_EQ(wwc.received(login + "/msg g0xyz yes\r\n"), login + "/msg g0xyz yes\r\n");
        p.window->findChild<QCheckBox*>("chkWWCtoDXC")->setChecked(true);
        p.type(p.combo("txtWwcCommand")->lineEdit(), "cls");
        EXPECT_EQ(panes.TBCluster.text(), "ZENTHRA BY THE ZENTHRA DEVELOPERS. DXC WINDOW");

        // The BBS: its lines are shown and its command line sends.
        p.app->options().nodes.strBbsHost = "127.0.0.1";
        p.app->options().nodes.sngBbsPort = bbs.port();
        p.app->links().bbs.BBS_CONNECT();
        ASSERT_TRUE(bbs.accept());
        bbs.send("GB7TST BBS>\r\n");
        EXPECT_TRUE(p.shows(panes.txtDataRetrieval[4], "GB7TST BBS>"));
        auto* bbsLine = p.window->findChild<QLineEdit*>("txtBbsCommand");
        p.type(bbsLine, "list");
        EXPECT_EQ(bbs.received("list\r\n"), "list\r\n");
        EXPECT_EQ(bbsLine->text(), "");
    }
    EXPECT_EQ(dir.read("dxc_history.dat"), "sh/dx\r\n");
    EXPECT_EQ(dir.read("wwc_history.dat"), "/msg g0xyz yes\r\n");
    Program again(dir);
    ASSERT_EQ(again.combo("txtDxCommand")->count(), 1);
    EXPECT_EQ(again.combo("txtDxCommand")->itemText(0), "sh/dx");
    EXPECT_EQ(again.combo("txtWwcCommand")->itemText(0), "/msg g0xyz yes");
}

// A call picked in the pop-up prepares the reply on the chat line, and the keys go there too.
TEST(LinkWindows, ACallPickedInThePopupTakesTheKeysToTheChatLine)
{
    TempFolder dir;
    Program p(dir);
    QString message = QStringLiteral("<*g4xyz*>: are you QRV on 6m?");
    p.app->wwcPopup().WWC_POPUP(message);
    auto* popup = p.window->findChild<WwcPopupWindow*>();
    ASSERT_NE(popup, nullptr);
    popup->activateWindow();
    EXPECT_EVENTUALLY(QApplication::activeWindow() == popup, 2000);
    popup->txtPopup()->setTextCursor(popup->txtPopup()->document()->find(QStringLiteral("g4xyz")));
    QTest::mouseRelease(popup->txtPopup()->viewport(), Qt::LeftButton);
    EXPECT_EQ(p.combo("txtWwcCommand")->lineEdit()->text(), "/MSG g4xyz ");
    EXPECT_EVENTUALLY(QApplication::activeWindow() == p.window.get(), 2000);
    EXPECT_EQ(QApplication::focusWidget(), p.combo("txtWwcCommand"));
}

// After "CLS" the split pane and the separate windows name themselves, until the next text is
// mirrored whole.
TEST(LinkWindows, ClsGivesEveryMirroredPaneItsOwnBanner)
{
    TempFolder dir;
    Program p(dir);
    for (const char* item : {"mnuWwc(7)", "mnuDxcSeperateWindow", "mnuWWcSeperateWindow"}) {
        p.window->menuItem(QString::fromLatin1(item))->trigger();
    }
    QPlainTextEdit* twins[2] = {};
    for (auto* w : p.window->findChildren<SeparateLinkWindow*>()) {
        twins[w->kind() == SeparateLinkWindow::Kind::Dxc ? 0 : 1] = w->pane();
    }
    ASSERT_TRUE(twins[0] && twins[1]);
    // Enter on the box itself, as a user's keys come (the box hands them to its edit line).
    for (const auto& [box, typed] : {std::pair{"txtDxCommand", "cls"}, {"txtWwcCommand", " CLS "}}) {
        p.combo(box)->lineEdit()->setText(QString::fromLatin1(typed));
        QTest::keyClick(p.combo(box), Qt::Key_Return);
    }
    auto* split = p.window->findChild<QPlainTextEdit*>("txtDataRetrieval(5)");
    const std::pair<QPlainTextEdit*, const char*> banners[] = {
        {split, "ZENTHRA BY THE ZENTHRA DEVELOPERS. DXC(2) WINDOW"},
        {twins[0], "ZENTHRA BY THE ZENTHRA DEVELOPERS. DXC(3) WINDOW"},
        {twins[1], "ZENTHRA BY THE ZENTHRA DEVELOPERS. WWC(2) WINDOW"},
    };
    for (const auto& [pane, banner] : banners) {
        EXPECT_EVENTUALLY_EQ(pane->toPlainText(), QString::fromLatin1(banner), 2000);
    }
    QString line = QStringLiteral("DX de G0ABC: 50313.0 CT7ZZZ");
    p.app->textWindows().POPULATE_DXC_WINDOW(line);
    EXPECT_EVENTUALLY_EQ(split->toPlainText(),
                         "ZENTHRA BY THE ZENTHRA DEVELOPERS. DXC WINDOW\nDX de G0ABC: 50313.0 CT7ZZZ ", 2000);
}

// "See DXC window in WWC?" turned on from the DXC tab shows the newest line once the WWC tab is
// chosen, not the top of the text.
TEST(LinkWindows, TheSplitPaneOpensAtTheNewestLine)
{
    TempFolder dir;
    Program p(dir);
    for (int i = 0; i < 300; ++i) {
        QString line = QStringLiteral("DX de G0ABC: 50313.0 CT7ZZZ line %1").arg(i);
        p.app->textWindows().POPULATE_DXC_WINDOW(line);
    }
    p.window->menuItem(QStringLiteral("mnuWwc(7)"))->trigger();
    p.window->tabSporadic()->setCurrentIndex(3);
    auto* pane = p.window->findChild<QPlainTextEdit*>("txtDataRetrieval(5)");
    EXPECT_EVENTUALLY(pane->viewport()->rect().contains(pane->cursorRect()), 2000);
    EXPECT_EQ(pane->textCursor().position(), pane->document()->lastBlock().position());
}

} // namespace
