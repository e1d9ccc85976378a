// The command lines, the chat login, the chat pop-up and the BBS lines, used through the main window
// as a user does, against nodes on loopback.

#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/wwc_popup_window.h"
#include "support/convers_server.h"
#include "support/eventually.h"
#include "support/fake_node.h"
#include "support/print_qstring.h"
#include "support/settings_lines.h"
#include "support/temp_folder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
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

} // namespace
