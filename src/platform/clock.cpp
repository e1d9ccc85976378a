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

void Clock::release()
{
    m_fixed.reset();
}

} // namespace zenthra
