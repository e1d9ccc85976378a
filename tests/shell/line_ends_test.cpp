// Line ends in the chat, BBS and DXC windows: CR LF, LF CR, a lone CR and a lone LF are each one
// line break, on screen and in a saved file alike.

#include "core/options_model.h"
#include "links/chat_links.h"
#include "links/wwc_popup.h"
#include "platform/rtf_reader.h"
#include "platform/rtf_writer.h"
#include "shell/text_windows.h"
#include "support/print_qstring.h"

#include <gtest/gtest.h>
#include <vector>

using namespace zenthra;

namespace {

struct Windows
{
    OptionsModel options;
    TextWindows windows{options, [] { return QDateTime(QDate(2024, 6, 3), QTime(12, 0), Qt::UTC); }};
    WwcPopup popup{options, [] { return QDateTime(QDate(2024, 6, 3), QTime(12, 0), Qt::UTC); }};
    ChatMessages chat{options, popup, [](qint16) {}};

    Windows()
    {
        options.sngWindowBuffer = 10000;
        QObject::connect(&chat, &ChatMessages::windowText, &windows,
                         [this](QString text) { windows.POPULATE_WWC_WINDOW(text); });
    }
};

// What a view shows of a window's text, and what a file saved from it reads back as.
QString shown(const TextWindow& window)
{
    return window.text().remove(u'\r');
}

QString saved(const TextWindow& window)
{
    const std::optional<RtfText> back = readRtf(rtfDocument(window.text(), 10));
    return back ? back->plainText() : QStringLiteral("(unreadable)");
}

} // namespace

// Lines as the chat and BBS links hand them on (split after each LF, an unfinished tail after a
// pause), and the window's text as shown; the window starts empty.
TEST(LineEnds, EveryLineEndIsOneBreakOnScreenAndInTheSavedFile)
{
    const struct
    {
        std::vector<const char*> lines;
        const char* shown;
    } cases[] = {
        {{"A2\rB2\r\n"}, "\nA2\nB2 "},
        {{"A6\rB6\rC6\r"}, "\nA6\nB6\nC6 "},
        {{"PKT one\rPKT two\rPKT three\r"}, "\nPKT one\nPKT two\nPKT three "},
        {{"*** conversd\rWelcome G4ABC\r\rType /help\r"}, "\n*** conversd\nWelcome G4ABC\n\nType /help "},
        // An LF CR pair split by the link after its LF.
        {{"A3\n", "\rB3"}, "\nA3 \nB3 "},
        {{"x\n", "\r\n", "\ry\n", "\r"}, "\nx \n \ny "},
        // A CR LF pair split by a pause in the node's sending.
        {{"C6\r", "\n", "D6\r\n"}, "\nC6 \nD6 "},
        // As before: CR LF one break, an empty line kept, a line's own doubled CR no blank line.
        {{"first\r\n", "\r\n", "second\r\n"}, "\nfirst \n \nsecond "},
        {{"one\r\n", "two\r\n"}, "\none \ntwo "},
        {{"A\r\r\n", "B\r\r\n"}, "\nA \nB "},
        {{"a\aB\n"}, "\na\nB "},
    };
    for (const auto& c : cases) {
        for (const bool bbs : {false, true}) {
            Windows w;
            for (const char* line : c.lines) {
                if (bbs) {
                    w.windows.bbsLineReceived(QString::fromLatin1(line));
                } else {
                    w.chat.lineReceived(QString::fromLatin1(line));
                }
            }
            const TextWindow& window = w.windows.txtDataRetrieval[bbs ? 4 : 2];
            const QString expected = QString::fromLatin1(c.shown);
            EXPECT_EQ(shown(window), expected) << (bbs ? "BBS " : "WWC ") << c.lines.front();
            EXPECT_EQ(saved(window), QString(expected).replace(u'\n', QStringLiteral("\r\n")))
                << (bbs ? "BBS " : "WWC ") << c.lines.front();
        }
    }
}

TEST(LineEnds, ALineOfNothingButTheAwaitedHalfShowsNothing)
{
    const struct
    {
        const char* line;
        char16_t openBefore;
        std::optional<QString> shown;
        char16_t openAfter;
    } cases[] = {
        {"\r", u'\r', std::nullopt, 0},
        {"\n", u'\n', std::nullopt, 0},
        {"\r", 0, QString(), u'\n'},
        {"\rB3\n", u'\r', QStringLiteral("B3"), u'\r'},
        {"\rB3\r\n", u'\n', QStringLiteral("\r\nB3"), 0},
        {"A\n\r\n", 0, QStringLiteral("A"), u'\r'},
        {"a  b\r", 0, QStringLiteral("a b"), u'\n'},
    };
    for (const auto& c : cases) {
        char16_t open = c.openBefore;
        EXPECT_EQ(shownLine(QString::fromLatin1(c.line), open), c.shown) << c.line;
        EXPECT_EQ(open, c.openAfter) << c.line;
    }
}

TEST(LineEnds, AppendersHoldOnlyCrLfLineEnds)
{
    const struct
    {
        const char* given;
        const char* held;
    } cases[] = {
        {"plain", "plain"},       {"a\r\nb", "a\r\nb"},
        {"a\rb", "a\r\nb"},       {"a\nb", "a\r\nb"},
        {"a\n\rb", "a\r\nb"},     {"a\r\rb", "a\r\n\r\nb"},
        {"a\n\nb", "a\r\n\r\nb"}, {"a\r\n\rb", "a\r\n\r\nb"},
        {"a\r", "a\r\n"},         {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(withCrLfLineEnds(QString::fromLatin1(c.given)), QString::fromLatin1(c.held)) << c.given;
    }
    // The DXC window takes the lines of a node that ends them with CR alone.
    Windows w;
    QString text = QStringLiteral("DX de G4ABC: 50110.0 EA3XYZ\rDX de G4ABC: 50125.0 CT1ZZZ");
    w.windows.POPULATE_DXC_WINDOW(text);
    EXPECT_EQ(w.windows.TBCluster.text(),
              QStringLiteral("\r\nDX de G4ABC: 50110.0 EA3XYZ\r\nDX de G4ABC: 50125.0 CT1ZZZ "));
}
