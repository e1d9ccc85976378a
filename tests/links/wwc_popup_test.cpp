#include "core/options_model.h"
#include "links/wwc_popup.h"
#include "shell/wwc_popup_window.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace zenthra;
using zenthra::test::TempFolder;

namespace {

const QDateTime noon = QDateTime(QDate(2026, 6, 1), QTime(12, 34, 56), Qt::UTC);

// A chat line and what the chat rules make of it for the user G4ABC.
struct Rule
{
    QString line;
    bool showAll; // "Show all messages to your call?"
    QList<qint16> sounds;
    bool popped;
    QString shown;
};

TEST(ChatMessages, SoundPopUpAndWindowOfEachKindOfLine)
{
    const Rule rules[] = {
        {"<*G0XYZ*>: hi  there\r\n", false, {0}, true, "<*G0XYZ*>: hi there"},
        // A private message naming the call pops up once.
        {"<*G0XYZ*>: hi G4ABC\r\n", true, {0, 1}, true, "<*G0XYZ*>: hi G4ABC"},
        {"<G0XYZ>: g4abc qrv?\r\n", true, {1}, true, "<G0XYZ>: g4abc qrv?"},
        {"<G0XYZ>: g4abc qrv?\r\n", false, {1}, false, "<G0XYZ>: g4abc qrv?"},
        // Half a private mark is neither kind.
        {"<*G0ABC> hi\r\n", true, {1}, false, "<*G0ABC> hi"},
        {"<G0XYZ>: 50 MHz open\r\n", true, {}, false, "<G0XYZ>: 50 MHz open"},
        // An empty line stays a line: its line end reaches the window, which keeps it.
        {"\r\n", true, {}, false, "\r\n"},
    };
    for (const Rule& r : rules) {
        OptionsModel options;
        options.sngWindowBuffer = 10000;
        options.nodes.strWwcCallsign = "G4ABC";
        options.setChecked(keys::wwcPopupMessage, true);
        options.setChecked(keys::wwcShowAllMessages, r.showAll);
        WwcPopup popup(options, [] { return noon; });
        QList<qint16> sounds;
        ChatMessages chat(options, popup, [&sounds](qint16 kind) { sounds << kind; });
        QSignalSpy shown(&chat, &ChatMessages::windowText);
        chat.lineReceived(r.line);
        EXPECT_EQ(sounds, r.sounds) << r.line.toStdString();
        EXPECT_EQ(popup.text(), r.popped ? "\r\n12:34 - " + r.shown : QString()) << r.line.toStdString();
        ASSERT_EQ(shown.count(), 1);
        EXPECT_EQ(shown.at(0).at(0).toString(), r.shown);
    }
}

TEST(ChatMessages, AMentionIsTheCallsLastLettersAndShortCallsHaveNone)
{
    EXPECT_FALSE(ChatMessages::mentions("<G0XYZ>: g4a", "G4A"));
    // The last letters of the call are enough.
    EXPECT_TRUE(ChatMessages::mentions("<G0XYZ>: abc", "G4ABC"));
}

struct PopupFixture : ::testing::Test
{
    OptionsModel options;
    WwcPopup popup{options, [] { return noon; }};
    QSignalSpy shows{&popup, &WwcPopup::showRequested};
    QSignalSpy topmost{&popup, &WwcPopup::topmostRequested};
    PopupFixture() { options.sngWindowBuffer = 10000; }
};

TEST_F(PopupFixture, CollectsTimedMessagesShowsOnTheFirstAndKeepsTheNewest)
{
    QString first = "<*G0XYZ*>:  two\r\nlines ";
    popup.WWC_POPUP(first);
    EXPECT_EQ(first, "<*G0XYZ*>: two\r\nlines ");
    QString second = "again";
    popup.WWC_POPUP(second);
    EXPECT_EQ(popup.text(), "\r\n12:34 - <*G0XYZ*>: two\nlines\r\n12:34 - again");
    EXPECT_EQ(shows.count(), 1);
    EXPECT_EQ(topmost.count(), 0);
    popup.clear();
    options.setChecked(keys::wwcPopupTopWin, true);
    popup.WWC_POPUP(second);
    EXPECT_EQ(shows.count(), 2);
    EXPECT_EQ(topmost.count(), 1);
    // The buffer keeps the newest characters.
    options.sngWindowBuffer = 30;
    QString third = "bbbbbbbbbb";
    popup.WWC_POPUP(third);
    EXPECT_EQ(popup.text(), "34 - again\r\n12:34 - bbbbbbbbbb");
}

TEST(WwcPopup, ReplyCommandFromASelectedCall)
{
    EXPECT_EQ(WwcPopup::replyCommand(" G0XYZ "), "/MSG g0xyz ");
    EXPECT_EQ(WwcPopup::replyCommand("/MSG G0XYZ"), "/MSG g0xyz ");
    EXPECT_EQ(WwcPopup::replyCommand("123456789012"), "/MSG 123456789012 ");
    EXPECT_FALSE(WwcPopup::replyCommand("1234567890123"));
    EXPECT_FALSE(WwcPopup::replyCommand("G0\r\nXY"));
}

TEST(WwcPopup, GeometryFileRules)
{
    TempFolder dir;
    const QString path = dir.file(WwcPopup::geometryFile);
    EXPECT_FALSE(WwcPopup::readGeometry(path).top.has_value());
    dir.write(WwcPopup::geometryFile, "0\r\n-99\r\n200\r\n201\r\n");
    StoredTwipsRect g = WwcPopup::readGeometry(path);
    EXPECT_FALSE(g.top || g.height);
    EXPECT_EQ(g.left, -99.0f);
    EXPECT_EQ(g.width, 201.0f);
    dir.write(WwcPopup::geometryFile, "1\r\n-100\r\nabc\r\n");
    g = WwcPopup::readGeometry(path);
    EXPECT_EQ(g.top, 1.0f);
    EXPECT_FALSE(g.left || g.width);
    ASSERT_TRUE(WwcPopup::writeGeometry(path, {.top = 1500, .left = 3000, .width = 6000, .height = 2400.5f}));
    EXPECT_EQ(dir.read(WwcPopup::geometryFile), "1500\r\n3000\r\n2400.5\r\n6000\r\n");
}

TEST_F(PopupFixture, TheWindowShowsOnTheFirstMessageSavesItsPlaceAndComesBackEmpty)
{
    TempFolder dir;
    dir.write(WwcPopup::geometryFile, "1500\r\n1200\r\n3000\r\n4500\r\n");
    WwcPopupWindow window(popup, options, dir.file(WwcPopup::geometryFile));
    QSignalSpy replies(&window, &WwcPopupWindow::replyChosen);
    QString message = "<*G0XYZ*>: hi";
    popup.WWC_POPUP(message);
    ASSERT_TRUE(window.isVisible());
    EXPECT_EQ(window.txtPopup()->toPlainText(), "\n12:34 - <*G0XYZ*>: hi");
    // A double click picks the call: the reply is prepared.
    QTextCursor cursor = window.txtPopup()->textCursor();
    cursor.setPosition(11);
    cursor.setPosition(16, QTextCursor::KeepAnchor);
    window.txtPopup()->setTextCursor(cursor);
    QTest::mouseRelease(window.txtPopup()->viewport(), Qt::LeftButton);
    ASSERT_EQ(replies.count(), 1);
    EXPECT_EQ(replies.at(0).at(0).toString(), "/MSG g0xyz ");

    window.close();
    EXPECT_TRUE(popup.text().isEmpty());
    const QStringList saved = dir.lines(WwcPopup::geometryFile);
    ASSERT_EQ(saved.size(), 4);
    // The width, last, as the window has it (on the offscreen screen).
    EXPECT_EQ(saved[3],
              QString::number(std::round(window.frameGeometry().width() * 1440.0 / window.logicalDpiX())));
    popup.WWC_POPUP(message);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.txtPopup()->toPlainText(), "\n12:34 - <*G0XYZ*>: hi");
}

} // namespace
