#include "clock.h"

namespace zenthra {

namespace {
QDateTime wholeSeconds(QDateTime t)
{
    return t.addMSecs(-(t.time().msec()));
}

// Every stored spot passes through both directions twice: the plain digits are read and written
// here directly, anything else goes through Qt's format parser.
int digitsAt(QStringView text, qsizetype at, qsizetype count)
{
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') {
            return -1;
        }
        value = value * 10 + (c - u'0');
    }
    return value;
}

void putDigits(QChar* out, int value, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        out[i] = QChar(char16_t(u'0' + value % 10));
        value /= 10;
    }
}
} // namespace

QDateTime Clock::utcNow() const
{
    if (m_fixed) {
        return *m_fixed;
    }
    return wholeSeconds(QDateTime::currentDateTimeUtc());
}

QDateTime Clock::localNow() const
{
    return utcNow().toLocalTime();
}

void Clock::setUtc(const QDateTime& utc)
{
    m_fixed = wholeSeconds(utc.toUTC());
}

QString utcText(const QDateTime& utc)
{
    const QDateTime t = utc.timeSpec() == Qt::UTC ? utc : utc.toUTC();
    const QDate d = t.date();
    const QTime c = t.time();
    if (!d.isValid() || !c.isValid() || d.year() < 1 || d.year() > 9999) {
        return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    QString text(19, Qt::Uninitialized);
    QChar* out = text.data();
    putDigits(out, d.year(), 4);
    out[4] = u'-';
    putDigits(out + 5, d.month(), 2);
    out[7] = u'-';
    putDigits(out + 8, d.day(), 2);
    out[10] = u' ';
    putDigits(out + 11, c.hour(), 2);
    out[13] = u':';
    putDigits(out + 14, c.minute(), 2);
    out[16] = u':';
    putDigits(out + 17, c.second(), 2);
    return text;
}

QDateTime utcFromText(QStringView text)
{
    text = text.trimmed();
    if (text.endsWith(u'Z')) {
        text.chop(1);
    }
    if (text.size() != 19 || (text[10] != u' ' && text[10] != u'T')) {
        return {};
    }
    if (text[4] == u'-' && text[7] == u'-' && text[13] == u':' && text[16] == u':') {
        const int year = digitsAt(text, 0, 4);
        const int month = digitsAt(text, 5, 2);
        const int day = digitsAt(text, 8, 2);
        const int hour = digitsAt(text, 11, 2);
        const int minute = digitsAt(text, 14, 2);
        const int second = digitsAt(text, 17, 2);
        if (year > 0 && month >= 0 && day >= 0 && hour >= 0 && minute >= 0 && second >= 0) {
            const QDate date(year, month, day);
            const QTime time(hour, minute, second);
            if (date.isValid() && time.isValid()) {
                return QDateTime(date, time, Qt::UTC);
            }
            return {};
        }
    }
    const QDate date = QDate::fromString(text.left(10).toString(), QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(text.mid(11).toString(), QStringLiteral("HH:mm:ss"));
    if (!date.isValid() || !time.isValid()) {
        return {};
    }
    return QDateTime(date, time, Qt::UTC);
}

void Clock::release()
{
    m_fixed.reset();
}

} // namespace zenthra
