#include "shell/text_windows.h"

#include "core/options_model.h"
#include "links/chat_links.h"
#include "platform/bounded_number.h"
#include "platform/legacy_value.h"
#include "platform/line_ends.h"

#include <QLocale>
#include <cmath>

namespace zenthra {

namespace {
const QString crlf = QStringLiteral("\r\n");

QString withoutCr(const QString& text)
{
    if (!text.contains(u'\r')) {
        return text;
    }
    QString out = text;
    out.remove(u'\r');
    return out;
}
} // namespace

QString withCrLfLineEnds(const QString& text)
{
    const qsizetype n = text.size();
    // Most texts already hold CR LF alone: they are handed on as they are.
    qsizetype first = 0;
    while (first < n) {
        const qsizetype end = line_ends::at(text, first);
        if (end == 2 && text[first] == u'\r') {
            first += 2;
        } else if (end > 0) {
            break;
        } else {
            ++first;
        }
    }
    if (first == n) {
        return text;
    }
    QString out = text.left(first);
    out.reserve(n + 16);
    for (qsizetype i = first; i < n;) {
        const qsizetype end = line_ends::at(text, i);
        if (end == 0) {
            out += text[i++];
        } else {
            out += crlf;
            i += end;
        }
    }
    return out;
}

TextWindow::TextWindow(QObject* parent) : QObject(parent) {}

void TextWindow::appendKeepingLast(const QString& tail, double limit, qsizetype keep, const QString& trailer)
{
    const qsizetype oldLength = length();
    const qsizetype total = oldLength + tail.size();
    const qsizetype cut = total > limit ? std::max<qsizetype>(0, total - std::max<qsizetype>(0, keep)) : 0;
    if (cut > 0 && cut >= oldLength) {
        // The new text alone fills the window: nothing of the old text stays.
        replace((text() + tail).right(total - cut) + trailer);
        return;
    }
    m_buffer.append(tail);
    m_buffer.append(trailer);
    Q_EMIT appended(trailer.isEmpty() ? withoutCr(tail) : withoutCr(tail) + withoutCr(trailer));
    if (cut > 0) {
        const QStringView head = QStringView(m_buffer).mid(m_start, cut);
        const qsizetype viewCount = cut - head.count(u'\r');
        m_start += cut;
        Q_EMIT headRemoved(viewCount);
        compact();
    }
    Q_EMIT changed();
}

void TextWindow::replace(const QString& text)
{
    m_buffer = text;
    m_start = 0;
    Q_EMIT replaced(withoutCr(m_buffer));
    Q_EMIT changed();
}

void TextWindow::moveCaret(Caret caret)
{
    Q_EMIT caretMoved(caret);
}

void TextWindow::compact()
{
    // Dropping the cut head once it outweighs the text keeps every append amortised to its
    // own length.
    if (m_start > 4096 && m_start > m_buffer.size() / 2) {
        m_buffer.remove(0, m_start);
        m_start = 0;
    }
}

TextWindows::TextWindows(OptionsModel& options, std::function<QDateTime()> utcNow, QObject* parent)
    : QObject(parent), m_options(options), m_utcNow(std::move(utcNow))
{
}

double TextWindows::limit() const
{
    return m_options.sngWindowBuffer;
}

qsizetype TextWindows::keep() const
{
    const double n = legacy::roundHalfEven(m_options.sngWindowBuffer);
    return n > 0 ? static_cast<qsizetype>(n) : 0;
}

void TextWindows::POPULATE_DXC_WINDOW(QString& text)
{
    QString s = std::move(text);
    text.clear();
    if (s.isEmpty()) {
        return;
    }
    if (s.contains(QLatin1String("DX DE"), Qt::CaseInsensitive) && m_options.checked(keys::logHiddenHfToDb) &&
        intHiddenHfSpot == 1) {
        intHiddenHfSpot = 0;
        return;
    }
    appendToDxc(crlf + withCrLfLineEnds(s));
}

void TextWindows::dxcBlankLine()
{
    appendToDxc(crlf);
}

void TextWindows::appendToDxc(const QString& tail)
{
    TBCluster.appendKeepingLast(tail, limit(), keep(), QStringLiteral(" "));
    TBCluster.moveCaret(m_options.blnNoAutoScroll ? Caret::Keep : Caret::End);
}

void TextWindows::POPULATE_MUF_WINDOW(QString& text)
{
    QString s = std::move(text);
    text.clear();
    txtDataRetrieval[0].appendKeepingLast(s, limit(), keep());
    txtDataRetrieval[0].moveCaret(Caret::LastLineStart);
}

void TextWindows::POPULATE_VHF_WINDOW(QString& text)
{
    QString s = std::move(text);
    text.clear();
    txtDataRetrieval[1].appendKeepingLast(s, limit(), keep());
    txtDataRetrieval[1].moveCaret(Caret::LastLineStart);
}

void TextWindows::POPULATE_WWC_WINDOW(QString& text)
{
    if (text.isEmpty()) {
        return;
    }
    QString s = std::move(text);
    text.clear();
    while (s.endsWith(u'\r')) {
        s.chop(1);
    }
    while (s.endsWith(u'\n')) {
        s.chop(1);
    }
    if (s.endsWith(u'\r')) {
        s.chop(1);
    }
    if (s.endsWith(u'\n')) {
        s.chop(1);
    }
    txtDataRetrieval[2].appendKeepingLast(crlf + withCrLfLineEnds(s), limit(), keep(), QStringLiteral(" "));
    txtDataRetrieval[2].moveCaret(Caret::End);
}

void TextWindows::POPULATE_BBS_WINDOW(QString& text)
{
    QString s = std::move(text);
    text.clear();
    const auto chopWhile = [&s](QChar c) {
        while (s.endsWith(c)) {
            s.chop(1);
        }
    };
    const auto dropWhile = [&s](QChar c) {
        qsizetype i = 0;
        while (i < s.size() && s[i] == c) {
            ++i;
        }
        s.remove(0, i);
    };
    chopWhile(u'\r');
    chopWhile(u'\n');
    chopWhile(u'\r');
    dropWhile(u'\r');
    dropWhile(u'\n');
    dropWhile(u'\r');
    if (s.isEmpty()) {
        return;
    }
    txtDataRetrieval[4].appendKeepingLast(crlf + withCrLfLineEnds(s), limit(), keep(), QStringLiteral(" "));
    txtDataRetrieval[4].moveCaret(Caret::End);
}

void TextWindows::bbsLineReceived(const QString& line)
{
    const std::optional<QString> whole = shownLine(line, m_bbsOpenLineEnd);
    if (!whole) {
        return;
    }
    QString shown = *whole;
    if (!shown.isEmpty()) {
        POPULATE_BBS_WINDOW(shown);
        return;
    }
    txtDataRetrieval[4].appendKeepingLast(crlf, limit(), keep(), QStringLiteral(" "));
    txtDataRetrieval[4].moveCaret(Caret::End);
}

std::optional<float> TextWindows::windowBufferAnswer(const QString& answer)
{
    const auto value = legacy::boundedNumber(answer, {legacy::NumberReading::LeadingNumber, 1000, 200000});
    if (!value) {
        return std::nullopt;
    }
    return static_cast<float>(*value);
}

QString TextWindows::analysisHeader(const QDateTime& utc)
{
    return QStringLiteral("ANALYSIS REPORT CREATED ON ") +
           QLocale::c().toString(utc, QStringLiteral("ddd MMM yyyy hh:mm:ss")) + crlf;
}

void TextWindows::POPULATE_ANALYSIS_WINDOW(QString& text)
{
    QString s = std::move(text);
    text.clear();
    // A report replaces the previous one whole and is never cut: the window buffer is meant
    // for the running windows, and cutting a report would silently lose most of it.
    txtDataRetrieval[3].replace(analysisHeader(m_utcNow()) + s);
    txtDataRetrieval[3].moveCaret(Caret::Top);
}

} // namespace zenthra
