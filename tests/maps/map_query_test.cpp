#include "maps/map_query.h"

#include <gtest/gtest.h>

namespace zenthra {
namespace {

QDateTime utc(int h, int m, int s)
{
    return QDateTime(QDate(2026, 6, 14), QTime(h, m, s), Qt::UTC);
}

struct DateCase
{
    const char* name;
    const char* dateText;
    QDateTime now;
    bool lastHour;
    const char* from; // "" when no date clause
    const char* to;   // "" when open-ended
};

class DateClause : public ::testing::TestWithParam<DateCase>
{
};

TEST_P(DateClause, AsksForTheRightRange)
{
    const DateCase& c = GetParam();
    for (SqlDialect dialect : {SqlDialect::Sqlite, SqlDialect::Postgres}) {
        MapQueryRequest request;
        request.dialect = dialect;
        request.count = 100;
        request.dateText = QString::fromLatin1(c.dateText);
        request.utcNow = c.now;
        request.lastHour = c.lastHour;
        const MapQuery q = buildMapQuery(request);
        EXPECT_EQ(q.bindings.value(QStringLiteral(":fromDate")).toString(), QString::fromLatin1(c.from));
        EXPECT_EQ(q.bindings.value(QStringLiteral(":toDate")).toString(), QString::fromLatin1(c.to));
        EXPECT_EQ(q.sql.contains(QStringLiteral(":fromDate")), *c.from != 0);
        EXPECT_EQ(q.sql.contains(QStringLiteral(":toDate")), *c.to != 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DateClause,
    ::testing::Values(
        DateCase{"TodayLastHourAtHalfPastMidnight", "2026-06-14 00:30:00", utc(0, 30, 0), true,
                 "2026-06-14 00:00:00", ""},
        DateCase{"TodayLastHour", "2026-06-14 14:25:10", utc(14, 25, 10), true, "2026-06-14 13:25:10", ""},
        DateCase{"Today", "2026-06-14 14:25:10", utc(14, 25, 10), false, "2026-06-14 00:00:00", ""},
        DateCase{"AnotherDayIgnoresLastHour", "2026-06-13", utc(14, 25, 10), true, "2026-06-13 00:00:00",
                 "2026-06-13 23:59:59"},
        DateCase{"NotADate", "yesterday", utc(14, 25, 10), false, "", ""}),
    [](const ::testing::TestParamInfo<DateCase>& info) { return std::string(info.param.name); });

TEST(MapQuery, BandLimitsTheFrequency)
{
    for (const auto& [band, clause] :
         std::initializer_list<std::pair<float, const char*>>{{50, " AND Freq > 49 AND Freq < 55"},
                                                              {70, " AND Freq > 69 AND Freq < 75"},
                                                              {144, " AND Freq > 143 AND Freq < 200"},
                                                              {220, " AND Freq > 199 AND Freq < 255"},
                                                              {0, " AND Freq > 49 AND Freq < 255"},
                                                              {432, " AND Freq > 49 AND Freq < 255"}}) {
        EXPECT_EQ(bandClause(band), QString::fromLatin1(clause)) << band;
    }
}

TEST(MapQuery, ZeroMufBoundsMeanFiftyAndTwoHundredFiftyAndTheDistanceLimitUnlessBeyond5000)
{
    MapQueryRequest request;
    request.count = 7;
    const MapQuery q = buildMapQuery(request);
    EXPECT_EQ(q.bindings.value(QStringLiteral(":mufMin")).toDouble(), 50.0);
    EXPECT_EQ(q.bindings.value(QStringLiteral(":mufMax")).toDouble(), 250.0);
    EXPECT_EQ(q.bindings.value(QStringLiteral(":rowCount")).toInt(), 7);
    EXPECT_TRUE(q.sql.contains(QStringLiteral("coalesce(Qrb_To_Midpoint, 0) <= 5000")));
    request.minMuf = 60;
    request.beyond5000 = true;
    const MapQuery other = buildMapQuery(request);
    EXPECT_EQ(other.bindings.value(QStringLiteral(":mufMin")).toDouble(), 60.0);
    EXPECT_FALSE(other.sql.contains(QStringLiteral("5000")));
}

} // namespace
} // namespace zenthra
