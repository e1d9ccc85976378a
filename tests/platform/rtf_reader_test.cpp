#include "platform/rtf_reader.h"
#include "platform/rtf_writer.h"
#include "support/print_qstring.h"

#include <gtest/gtest.h>

namespace {

using zenthra::readRtf;
using zenthra::RtfText;

RtfText read(const QByteArray& bytes)
{
    const std::optional<RtfText> text = readRtf(bytes);
    EXPECT_TRUE(text.has_value()) << bytes.constData();
    return text.value_or(RtfText{});
}

TEST(RtfReader, ReadsTheTextOfTheCommonSubset)
{
    const struct
    {
        QByteArray rtf;
        QString text;
    } cases[] = {
        {"{\\rtf1 Hello\\par World}", QStringLiteral("Hello\r\nWorld")},
        // Tables, generator and starred destinations hold no text; escapes are characters.
        {"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}{\\*\\generator x;}"
         "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}\\f0 a\\{b\\}c\\\\d}",
         QStringLiteral("a{b}c\\d")},
        // \'hh is windows-1252; \uN skips its one fallback character (\ucN sets how many).
        {"{\\rtf1 caf\\'e9 \\'80 \\u8364?x {\\uc2\\u-10179??\\u-8704??} \\uc0\\u233 e}",
         QStringLiteral("caf\u00e9 \u20ac \u20acx \U0001F600 \u00e9e")},
        {"{\\rtf1 a\\tab b\\line c\\~d\\emdash e\\bullet}",
         QStringLiteral("a\tb\u2028c\u00a0d\u2014e\u2022")},
        // Line ends in the file are no text; a control word's single delimiting blank is eaten.
        {"{\\rtf1 one\r\ntwo \\b  three}", QStringLiteral("onetwo  three")},
        // A picture is skipped whole, nested groups and all.
        {"{\\rtf1 x{\\pict{\\*\\blipuid 0}0a0b0c}y}", QStringLiteral("xy")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(read(c.rtf).plainText(), c.text) << c.rtf.constData();
    }
}

TEST(RtfReader, KeepsBoldItalicSizeAndColourPerRun)
{
    const RtfText t = read("{\\rtf1{\\colortbl;\\red31\\green95\\blue168;}\\fs20 plain {\\b\\fs36\\cf1 Title}"
                           " {\\i it\\i0 back}\\par\\plain after}");
    ASSERT_EQ(t.paragraphs.size(), 2);
    const auto& runs = t.paragraphs[0].runs;
    ASSERT_EQ(runs.size(), 5);
    EXPECT_EQ(runs[0].halfPoints, 20);
    EXPECT_EQ(runs[1].text, QStringLiteral("Title"));
    EXPECT_TRUE(runs[1].bold && !runs[2].bold); // until the group ends
    EXPECT_EQ(runs[1].halfPoints, 36);
    EXPECT_EQ(runs[1].colour, std::optional<quint32>(0x1F5FA8));
    EXPECT_TRUE(runs[3].italic && !runs[4].italic);
    EXPECT_EQ(t.paragraphs[1].runs[0].halfPoints, 0); // \plain resets the size
}

TEST(RtfReader, RefusesWhatIsNoRtfAndSurvivesBrokenDocuments)
{
    QString why;
    EXPECT_FALSE(readRtf("plain text", &why).has_value());
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(readRtf(QByteArray()).has_value());
    // Unbalanced groups, a cut escape and a huge number end without harm.
    EXPECT_EQ(read("{\\rtf1 a}}}b{{{").plainText(), QStringLiteral("ab"));
    EXPECT_EQ(read("{\\rtf1 a\\'e").plainText(), QStringLiteral("a"));
    EXPECT_EQ(read("{\\rtf1 \\fs99999999999999 a\\u99999999?b}").plainText(), QStringLiteral("ab"));
    EXPECT_EQ(read(QByteArray(100000, '{').prepend("{\\rtf1 ") + "x").plainText(), QStringLiteral("x"));
}

TEST(RtfReader, ReadsBackWhatTheWriterSaved)
{
    const QString texts[] = {
        QStringLiteral("Path C:\\temp {braces}\r\n\tcaf\u00e9 \U0001F600 50 \u20ac\r\n"),
        QStringLiteral("\r\n\r\nblank lines first\r\n"),
        QString(),
    };
    for (const QString& text : texts) {
        EXPECT_EQ(read(zenthra::rtfDocument(text, 11)).plainText(), text);
    }
}

} // namespace
