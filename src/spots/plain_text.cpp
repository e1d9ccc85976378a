#include "spots/plain_text.h"

#include "platform/text_file.h"

namespace zenthra {

namespace {

constexpr char16_t esc = 0x1B;
constexpr char16_t bel = 0x07;

bool within(QChar c, char16_t from, char16_t to)
{
    return c.unicode() >= from && c.unicode() <= to;
}

bool isLineText(char16_t c)
{
    return c == u'\t' || c == u'\r' || c == u'\n';
}

bool needsWork(const QString& line)
{
    for (const QChar ch : line) {
        const char16_t c = ch.unicode();
        if ((c < 0x20 && !isLineText(c)) || (c >= 0x7F && c <= 0x9F) || c == 0xFFFD || ch.isSurrogate()) {
            return true;
        }
    }
    return false;
}

// Where the escape sequence that starts at `at` ends (ECMA-48). A sequence cut short ends where
// its characters stop fitting, so the text after it is kept.
qsizetype afterEscape(const QString& s, qsizetype at)
{
    const qsizetype n = s.size();
    qsizetype i = at + 1;
    if (i >= n) {
        return n;
    }
    const QChar kind = s[i];
    if (kind == u'[') {
        // Control sequence: parameters, intermediates, one final character.
        ++i;
        while (i < n && within(s[i], 0x30, 0x3F)) {
            ++i;
        }
        while (i < n && within(s[i], 0x20, 0x2F)) {
            ++i;
        }
        return i < n && within(s[i], 0x40, 0x7E) ? i + 1 : i;
    }
    if (kind == u']' || kind == u'P' || kind == u'X' || kind == u'^' || kind == u'_') {
        // A control string (a window title, say) ends with BEL or ESC \; without its end only the
        // opening pair goes, rather than the rest of the line.
        for (qsizetype j = i + 1; j < n; ++j) {
            if (s[j] == bel) {
                return j + 1;
            }
            if (s[j] == esc) {
                if (j + 1 < n && s[j + 1] == u'\\') {
                    return j + 2;
                }
                break;
            }
        }
        return i + 1;
    }
    // Any other: intermediates, then one final character.
    while (i < n && within(s[i], 0x20, 0x2F)) {
        ++i;
    }
    return i < n && within(s[i], 0x30, 0x7E) ? i + 1 : i;
}

} // namespace

QString plainText(const QString& line)
{
    if (!needsWork(line)) {
        return line;
    }
    QString out;
    out.reserve(line.size());
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n;) {
        const char16_t c = line[i].unicode();
        if (c == esc) {
            i = afterEscape(line, i);
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < n && line[i + 1].isLowSurrogate()) {
            out += line[i];
            out += line[i + 1];
            i += 2;
            continue;
        }
        if (c >= 0x80 && c <= 0x9F) {
            // The code page's letter for the byte, or nothing where it has none (the decoder
            // gives those back as the same C1 control).
            const QString letter = textfile::decodeWindows1252(QByteArray(1, char(c)));
            if (letter.size() == 1 && letter.front().unicode() != c) {
                out += letter;
            }
        } else if (isLineText(c) || (c >= 0x20 && c != 0x7F && c != 0xFFFD && !QChar::isSurrogate(c))) {
            out += QChar(c);
        }
        ++i;
    }
    return out;
}

} // namespace zenthra
