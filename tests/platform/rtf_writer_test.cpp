#include "platform/rtf_writer.h"

#include <gtest/gtest.h>

namespace {

const QByteArray head = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fmodern Courier New;}}\r\n"
                        "\\pard\\plain\\f0\\fs";

TEST(RtfWriter, WritesTheTextAsAsciiParagraphsWithExactBytes)
{
    const struct
    {
        QString text;
        int pointSize;
        QByteArray body; // after the font size
    } cases[] = {
        {QStringLiteral("Path C:\\temp {braces} and }{"), 12,
         "24 Path C:\\\\temp \\{braces\\} and \\}\\{}\r\n"},
        // Beyond ASCII as signed 16-bit units, beyond the basic plane as two surrogates.
        {QStringLiteral("\tTab, caf\u00e9, 50 \u20ac, \u00bd, \U0001F600 end  "), 9,
         "18 \\tab Tab, caf\\u233?, 50 \\u8364?, \\u189?, \\u-10179?\\u-8704? end  }\r\n"},
        // Every kind of line end ends a paragraph; other control characters are dropped.
        {QStringLiteral("a\nb\rc\r\n\r\n12d\x01\x7f"), 10,
         "20 a\\par\r\nb\\par\r\nc\\par\r\n\\par\r\n12d}\r\n"},
        {QString(), 0, "20 }\r\n"},
        {QStringLiteral("12345\r\n"), -3, "20 12345\\par\r\n}\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(zenthra::rtfDocument(c.text, c.pointSize), head + c.body) << c.body.constData();
    }
    EXPECT_EQ(zenthra::rtfDocument(QStringLiteral("x"), 8, QStringLiteral("Mono {b}")),
              "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fmodern Mono \\{b\\};}}\r\n"
              "\\pard\\plain\\f0\\fs16 x}\r\n");
}

} // namespace
