#include "rtf_reader.h"

#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <cctype>
#include <limits>
#include <vector>

namespace zenthra {

QString RtfParagraph::text() const
{
    QString out;
    for (const RtfRun& run : runs) {
        out += run.text;
    }
    return out;
}

QString RtfText::plainText() const
{
    QStringList lines;
    for (const RtfParagraph& p : paragraphs) {
        lines.append(p.text());
    }
    return lines.join(QStringLiteral("\r\n"));
}

namespace {

// Groups whose content is not text of the document.
const QSet<QByteArray>& skippedDestinations()
{
    static const QSet<QByteArray> names{"fonttbl",
                                        "stylesheet",
                                        "info",
                                        "pict",
                                        "header",
                                        "headerl",
                                        "headerr",
                                        "headerf",
                                        "footer",
                                        "footerl",
                                        "footerr",
                                        "footerf",
                                        "footnote",
                                        "object",
                                        "fldinst",
                                        "listtable",
                                        "listoverridetable",
                                        "rsidtbl",
                                        "generator",
                                        "themedata",
                                        "colorschememapping",
                                        "latentstyles",
                                        "datastore",
                                        "xmlnstbl",
                                        "filetbl",
                                        "revtbl",
                                        "mmathPr",
                                        "pgdsctbl",
                                        "bkmkstart",
                                        "bkmkend",
                                        "nonshppict",
                                        "shppict",
                                        "comment",
                                        "title",
                                        "author",
                                        "operator",
                                        "keywords",
                                        "doccomm",
                                        "subject"};
    return names;
}

struct State
{
    bool bold = false;
    bool italic = false;
    int halfPoints = 0;
    int colourIndex = 0;
    int ucSkip = 1;
    bool skip = false; // a destination without document text
    bool colourTable = false;
};

class Reader
{
public:
    explicit Reader(const QByteArray& bytes) : m_in(bytes), m_cp1252("windows-1252") {}

    RtfText read()
    {
        m_out.paragraphs.append(RtfParagraph{});
        m_stack.push_back({});
        const qsizetype n = m_in.size();
        while (m_pos < n) {
            const char c = m_in[m_pos++];
            switch (c) {
            case '{':
                m_stack.push_back(m_stack.back());
                m_stack.back().colourTable = false;
                m_groupStart = true;
                continue;
            case '}':
                if (m_stack.size() > 1) {
                    m_stack.pop_back();
                }
                break;
            case '\\':
                control();
                break;
            case '\r':
            case '\n':
                break;
            default:
                if (m_stack.back().colourTable) {
                    if (c == ';') {
                        m_colours.append(m_pendingColour);
                        m_pendingColour = 0;
                    }
                } else {
                    byteText(c);
                }
                break;
            }
            m_groupStart = false;
        }
        return m_out;
    }

private:
    State& state() { return m_stack.back(); }

    void control()
    {
        const qsizetype n = m_in.size();
        if (m_pos >= n) {
            return;
        }
        const char c = m_in[m_pos];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++m_pos;
            symbol(c);
            return;
        }
        const qsizetype start = m_pos;
        while (m_pos < n && std::isalpha(static_cast<unsigned char>(m_in[m_pos]))) {
            ++m_pos;
        }
        const QByteArray word = m_in.mid(start, m_pos - start);
        std::optional<long> param;
        if (m_pos < n && (m_in[m_pos] == '-' || std::isdigit(static_cast<unsigned char>(m_in[m_pos])))) {
            const qsizetype numStart = m_pos++;
            while (m_pos < n && std::isdigit(static_cast<unsigned char>(m_in[m_pos]))) {
                ++m_pos;
            }
            // A number too long for any control word reads as out of every range.
            bool ok = false;
            const int v = m_in.mid(numStart, m_pos - numStart).toInt(&ok);
            param = ok ? v : std::numeric_limits<int>::max();
        }
        if (m_pos < n && m_in[m_pos] == ' ') {
            ++m_pos;
        }
        const bool groupStart = m_groupStart;
        m_groupStart = false;
        word_(word, param, groupStart);
    }

    void symbol(char c)
    {
        switch (c) {
        case '\\':
        case '{':
        case '}':
            byteText(c);
            break;
        case '\'': {
            if (m_pos + 2 > m_in.size()) {
                m_pos = m_in.size();
                break;
            }
            bool ok = false;
            const int v = m_in.mid(m_pos, 2).toInt(&ok, 16);
            m_pos += 2;
            if (ok) {
                byteText(static_cast<char>(v));
            }
            break;
        }
        case '*':
            state().skip = true;
            break;
        case '~':
            text(QString(QChar(0x00A0)));
            break;
        case '_':
            text(QStringLiteral("-"));
            break;
        case '\r':
        case '\n':
            paragraph();
            break;
        default:
            break; // \- (optional hyphen), \| and the rest
        }
    }

    void word_(const QByteArray& word, std::optional<long> param, bool groupStart)
    {
        State& s = state();
        if (groupStart && skippedDestinations().contains(word)) {
            s.skip = true;
            return;
        }
        if (word == "colortbl") {
            s.colourTable = true;
            s.skip = true;
            return;
        }
        if (s.colourTable) {
            const int v = static_cast<int>(std::clamp(param.value_or(0), 0L, 255L));
            if (word == "red") {
                m_pendingColour = (m_pendingColour & 0x00FFFF) | (quint32(v) << 16);
            } else if (word == "green") {
                m_pendingColour = (m_pendingColour & 0xFF00FF) | (quint32(v) << 8);
            } else if (word == "blue") {
                m_pendingColour = (m_pendingColour & 0xFFFF00) | quint32(v);
            }
            return;
        }
        const bool on = !param || *param != 0;
        if (word == "par") {
            paragraph();
        } else if (word == "line") {
            text(QString(QChar::LineSeparator));
        } else if (word == "tab") {
            text(QStringLiteral("\t"));
        } else if (word == "b") {
            s.bold = on;
        } else if (word == "i") {
            s.italic = on;
        } else if (word == "fs") {
            s.halfPoints = param && *param > 0 && *param < 3300 ? static_cast<int>(*param) : 0;
        } else if (word == "cf") {
            s.colourIndex = param ? static_cast<int>(std::clamp(*param, 0L, 100000L)) : 0;
        } else if (word == "plain") {
            s.bold = s.italic = false;
            s.halfPoints = 0;
            s.colourIndex = 0;
        } else if (word == "uc") {
            s.ucSkip = param ? static_cast<int>(std::clamp(*param, 0L, 10L)) : 1;
        } else if (word == "u" && param) {
            long unit = *param;
            if (unit < 0) {
                unit += 65536;
            }
            if (unit >= 0 && unit <= 0xFFFF) {
                text(QString(QChar(static_cast<char16_t>(unit))));
            }
            m_skipChars = s.ucSkip;
        } else if (word == "emdash") {
            text(QString(QChar(0x2014)));
        } else if (word == "endash") {
            text(QString(QChar(0x2013)));
        } else if (word == "bullet") {
            text(QString(QChar(0x2022)));
        } else if (word == "lquote") {
            text(QString(QChar(0x2018)));
        } else if (word == "rquote") {
            text(QString(QChar(0x2019)));
        } else if (word == "ldblquote") {
            text(QString(QChar(0x201C)));
        } else if (word == "rdblquote") {
            text(QString(QChar(0x201D)));
        }
    }

    // One byte of text: ASCII as it is, anything above as windows-1252.
    void byteText(char c)
    {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            text(QString(QLatin1Char(c)));
            return;
        }
        QString decoded =
            m_cp1252.isValid() ? m_cp1252.decode(QByteArrayView(&c, 1)) : QString(QLatin1Char(c));
        text(decoded.isEmpty() ? QString(QLatin1Char(c)) : decoded);
    }

    void text(const QString& t)
    {
        if (state().skip) {
            return;
        }
        if (m_skipChars > 0) {
            --m_skipChars;
            return;
        }
        const State& s = state();
        RtfRun run{t, s.bold, s.italic, s.halfPoints, std::nullopt};
        if (s.colourIndex > 0 && s.colourIndex < m_colours.size()) {
            run.colour = m_colours[s.colourIndex];
        }
        QList<RtfRun>& runs = m_out.paragraphs.back().runs;
        if (!runs.isEmpty() && runs.back().sameLook(run)) {
            runs.back().text += t;
        } else {
            runs.append(run);
        }
    }

    void paragraph()
    {
        if (state().skip) {
            return;
        }
        m_skipChars = 0;
        m_out.paragraphs.append(RtfParagraph{});
    }

    const QByteArray& m_in;
    qsizetype m_pos = 0;
    QStringDecoder m_cp1252;
    std::vector<State> m_stack;
    QList<quint32> m_colours;
    quint32 m_pendingColour = 0;
    int m_skipChars = 0;
    bool m_groupStart = false;
    RtfText m_out;
};

} // namespace

std::optional<RtfText> readRtf(const QByteArray& bytes, QString* why)
{
    if (!bytes.trimmed().startsWith("{\\rtf")) {
        if (why) {
            *why = QStringLiteral("not an RTF document");
        }
        return std::nullopt;
    }
    return Reader(bytes).read();
}

} // namespace zenthra
