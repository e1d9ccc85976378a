#include "clock.h"

namespace zenthra {

namespace {
QDateTime wholeSeconds(QDateTime t)
{
    return t.addMSecs(-(t.time().msec()));
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
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
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
