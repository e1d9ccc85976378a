#pragma once
// Our own small RTF reader, for the help files and for reading back what the RTF writer saved:
// groups, paragraphs (\par, \line, \tab), bold, italic, font size, text colour from the colour
// table, \'hh (windows-1252) and \uN escapes (with their \ucN fallback skipped), the common
// typographic symbols, and every destination that holds no text of the document (font and
// style tables, pictures, headers, "{\*...}" groups) skipped. Anything else is ignored.

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace zenthra {

struct RtfRun
{
    QString text;
    bool bold = false;
    bool italic = false;
    int halfPoints = 0;            // 0: the reader's default size
    std::optional<quint32> colour; // 0xRRGGBB; nothing: the default colour

    bool sameLook(const RtfRun& other) const
    {
        return bold == other.bold && italic == other.italic && halfPoints == other.halfPoints &&
               colour == other.colour;
    }
};

struct RtfParagraph
{
    QList<RtfRun> runs;
    QString text() const;
};

struct RtfText
{
    // Every paragraph, the last one included even when it is empty (a text that ends with a line
    // end ends with an empty paragraph).
    QList<RtfParagraph> paragraphs;
    // The paragraphs joined by CR LF: the text the writer was given.
    QString plainText() const;
};

// Nothing, with the reason in `why`, when the bytes are not an RTF document.
std::optional<RtfText> readRtf(const QByteArray& bytes, QString* why = nullptr);

} // namespace zenthra
