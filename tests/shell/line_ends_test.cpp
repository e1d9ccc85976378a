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
    TextWindows windows{options, [] { return QDateTime(); }};
    WwcPopup popup{options, [] { return QDateTime(); }};
    ChatMessages chat{options, popup, [](qint16) {}};

    Windows()
    {
        options.sngWindowBuffer = 10000;
        QObject::connect(&chat, &ChatMessages::windowText, &windows,
                         [this](QString text) { windows.POPULATE_WWC_WINDOW(text); });
    }
};

} // namespace

// Lines as the chat and BBS links hand them on (split after each LF, an unfinished tail after a
// pause) -> the window's text as a view shows it and as a saved file reads back (LF for CR LF).
TEST(LineEnds, EveryLineEndIsOneBreakOnScreenAndInTheSavedFile)
{
    const struct
    {
        std::vector<const char*> lines;
        const char* shown;
    } cases[] = {
        {{"A2\rB2\r\n"}, "\nA2\nB2 "},
        {{"PKT one\rPKT two\rPKT three\r"}, "\nPKT one\nPKT two\nPKT three "},
        {{"*** conversd\rWelcome G4ABC\r\rType /help\r"}, "\n*** conversd\nWelcome G4ABC\n\nType /help "},
        // An LF CR pair split by the link after its LF; a CR LF pair split by a pause; a line of
        // nothing but the awaited half shows nothing.
        {{"A3\n", "\rB3"}, "\nA3 \nB3 "},
        {{"x\n", "\r\n", "\ry\n", "\r"}, "\nx \n \ny "},
        {{"C6\r", "\n", "D6\r\n"}, "\nC6 \nD6 "},
        // As before: an empty line kept, CR LF and a line's own doubled CR one break, BEL a break.
        {{"first\r\n", "\r\n", "second\r\n"}, "\nfirst \n \nsecond "},
        {{"A\r\r\n", "B\r\n"}, "\nA \nB "},
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
            const QString text = w.windows.txtDataRetrieval[bbs ? 4 : 2].text();
            const QString expected = QString::fromLatin1(c.shown);
            EXPECT_EQ(QString(text).remove(u'\r'), expected) << bbs << c.lines.front();
            EXPECT_EQ(readRtf(rtfDocument(text, 10))
                          ->plainText()
                          .replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                      expected)
                << bbs << c.lines.front();
        }
    }
}

TEST(LineEnds, AppendersHoldOnlyCrLfLineEnds)
{
    const std::pair<const char*, const char*> cases[] = {
        {"a\r\nb", "a\r\nb"}, {"a\rb", "a\r\nb"},       {"a\nb", "a\r\nb"},         {"a\n\rb", "a\r\nb"},
        {"a\r", "a\r\n"},     {"a\r\rb", "a\r\n\r\nb"}, {"a\r\n\rb", "a\r\n\r\nb"},
    };
    for (const auto& [given, held] : cases) {
        EXPECT_EQ(withCrLfLineEnds(QString::fromLatin1(given)), QString::fromLatin1(held)) << given;
    }
    Windows w;
    QString dxc = QStringLiteral("DX de G4ABC: 50110.0 EA3XYZ\rDX de G4ABC: 50125.0 CT1ZZZ");
    w.windows.POPULATE_DXC_WINDOW(dxc);
    EXPECT_EQ(w.windows.TBCluster.text(), "\r\nDX de G4ABC: 50110.0 EA3XYZ\r\nDX de G4ABC: 50125.0 CT1ZZZ ");
}
