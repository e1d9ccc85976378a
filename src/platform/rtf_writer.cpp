#include "platform/rtf_writer.h"

#include "platform/text_file.h"

namespace zenthra {

namespace {

void appendEscaped(QByteArray& out, QStringView text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'{' || u == u'}') {
            out += '\\';
            out += static_cast<char>(u);
        } else if (u == u'\t') {
            out += "\\tab ";
        } else if (u < 0x20 || u == 0x7F) {
            // Control characters have no place in a paragraph's text.
        } else if (u < 0x80) {
            out += static_cast<char>(u);
        } else {
            // \uN takes a signed 16-bit number; "?" is what a reader without Unicode shows.
            out += "\\u";
            out += QByteArray::number(static_cast<qint16>(u));
            out += '?';
        }
    }
}

} // namespace

QByteArray rtfDocument(const QString& text, int pointSize, const QString& fontName)
{
    const int halfPoints = (pointSize >= 1 ? pointSize : 10) * 2;
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fmodern ";
    appendEscaped(out, fontName);
    out += ";}}\r\n\\pard\\plain\\f0\\fs" + QByteArray::number(halfPoints) + ' ';
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i <= n; ++i) {
        if (i < n && text[i] != u'\r' && text[i] != u'\n') {
            continue;
        }
        appendEscaped(out, QStringView(text).mid(start, i - start));
        if (i == n) {
            break;
        }
        out += "\\par\r\n";
        if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
            ++i;
        }
        start = i + 1;
    }
    out += "}\r\n";
    return out;
}

bool writeRtfFile(const QString& path, const QString& text, int pointSize, QString* why)
{
    return textfile::replaceFile(path, rtfDocument(text, pointSize), why) ==
           textfile::ReplaceResult::replaced;
}

} // namespace zenthra
