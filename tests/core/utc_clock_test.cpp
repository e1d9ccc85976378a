#include "core/utc_clock.h"
#include "platform/clock.h"

#include <QTimeZone>
#include <gtest/gtest.h>

using zenthra::Clock;

TEST(UtcClock, CanBeFixedAndReleasedToFollowTheSystemClockInUtcWholeSeconds)
{
    Clock clock;
    // A local half past midnight on New Year's day one hour east of Greenwich is 23:30 UTC
    // on the last day of the year before.
    const QDateTime local(QDate(2026, 1, 1), QTime(0, 30), QTimeZone(3600));
    clock.setUtc(local);
    EXPECT_EQ(zenthra::GET_UTC_NOW(clock), QDateTime(QDate(2025, 12, 31), QTime(23, 30), Qt::UTC));
    clock.release();
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
    const QDateTime now = zenthra::GET_UTC_NOW(clock);
    EXPECT_EQ(now.time().msec(), 0);
    EXPECT_GE(now, before);
    EXPECT_LE(now, QDateTime::currentDateTimeUtc());
}

TEST(UtcText, RoundTripsStoredTimesWithoutTheLocalZone)
{
    const QDateTime t(QDate(2026, 6, 14), QTime(21, 10, 5), Qt::UTC);
    EXPECT_EQ(zenthra::utcText(t), "2026-06-14 21:10:05");
    EXPECT_EQ(zenthra::utcText(t.toOffsetFromUtc(7200)), "2026-06-14 21:10:05");
    EXPECT_EQ(zenthra::utcFromText(u" 2026-06-14T21:10:05Z "), t);
    EXPECT_EQ(zenthra::utcFromText(u"2026-06-14 21:10:05").timeSpec(), Qt::UTC);
    EXPECT_FALSE(zenthra::utcFromText(u"2026-02-30 21:10:05").isValid());
    EXPECT_FALSE(zenthra::utcFromText(u"14/06/2026 21:10").isValid());
}
