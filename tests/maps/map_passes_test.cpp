// The map query's date range, band and bounds, and the drawing passes over its rows.

#include "maps/avg_map_rules.h"
#include "maps/map_passes.h"
#include "maps/map_query.h"

#include <gtest/gtest.h>

namespace zenthra {
namespace {

// Each call as one text: "L IO90-JN45 ff0000" or "P IO90 ffff00" or "C".
class RecordingSurface : public MapSurface
{
public:
    bool write_line(QStringView loc1, QStringView loc2, QRgb colour) override
    {
        calls.push_back(QStringLiteral("L %1-%2 %3").arg(loc1, loc2, hex(colour)));
        return gridSquare(loc1) && gridSquare(loc2);
    }
    bool write_point(QStringView loc, QRgb colour) override
    {
        calls.push_back(QStringLiteral("P %1 %2").arg(loc, hex(colour)));
        return gridSquare(loc).has_value();
    }
    void CLEAR_MAP_LIVESPOTS() override { calls.push_back(QStringLiteral("C")); }

    static QString hex(QRgb colour) { return QString::number(colour & 0xFFFFFF, 16).rightJustified(6, u'0'); }
    QStringList calls;
};

TEST(BandColour, FollowsTheFrequency)
{
    using Row = std::pair<std::optional<double>, std::optional<QRgb>>;
    for (const auto& [freq, colour] : {Row{140.01, mapRed}, Row{140, mapGrey}, Row{69, mapWhite},
                                       Row{50.1, mapWhite}, Row{49, {}}, Row{std::nullopt, {}}}) {
        EXPECT_EQ(bandColour(freq), colour) << freq.value_or(-1);
    }
}

MapSpotRow row(double freq, const char* from, const char* to, const char* centre)
{
    MapSpotRow r;
    r.freq = freq;
    r.dxLoc1 = QString::fromLatin1(from);
    r.dxLoc2 = QString::fromLatin1(to);
    r.centreLoc = QString::fromLatin1(centre);
    r.tryFrom = QStringLiteral("IO91");
    r.tryTo = QStringLiteral("KM46");
    return r;
}

TEST(Passes, DrawInTheirOrderAndColours)
{
    struct Row
    {
        MapPassOptions options;
        bool clear;
        QStringList calls;
    };
    // Newest first: a 2 m path, then a 6 m path.
    const std::vector<MapSpotRow> rows{row(144.3, "JN45", "IM58", "JN12"), row(50.1, "IO90", "JN78", "JN24")};
    for (const Row& r :
         {Row{{true, false, false, false},
              true,
              {"C", "L JN45-JN12 ff0000", "L JN12-IM58 ff0000", "L IO90-JN24 ffffff", "L JN24-JN78 ffffff"}},
          // Points never erase.
          Row{{false, true, false, false},
              true,
              {"P JN45 000000", "P IM58 000000", "P IO90 000000", "P JN78 000000"}},
          // Your path needs a pass to add to.
          Row{{false, false, false, true}, true, {}},
          Row{{true, true, true, true},
              false,
              {"L JN45-JN12 ff0000", "L JN12-IM58 ff0000", "L IO90-JN24 ffffff", "L JN24-JN78 ffffff",
               "P JN45 000000",      "P IM58 000000",      "P IO90 000000",      "P JN78 000000",
               "P JN12 ffff00",      "P JN24 ffff00",      "L IO91-JN12 000000", "L JN12-KM46 000000",
               "L IO91-JN24 000000", "L JN24-KM46 000000", "P IO91 ff0000",      "P KM46 ff0000",
               "P IO91 ff0000",      "P KM46 ff0000",      "P JN12 ffff00",      "P JN24 ffff00"}}}) {
        RecordingSurface surface;
        drawMapPasses(rows, r.options, r.clear, surface);
        EXPECT_EQ(surface.calls, r.calls);
    }
}

TEST(Passes, ABadLocatorSkipsItsLineAndTheDrawingGoesOn)
{
    std::vector<MapSpotRow> rows{row(50.1, "", "JN78", "JN24"), row(50.2, "io90", "JN78", "JN24"),
                                 row(50.3, "IO90", "JN78", "JN24")};
    MapCanvas canvas;
    canvas.setSticky(true);
    drawMapPasses(rows, {true, false, false, false}, false, canvas);
    // The rows after the bad ones are still drawn.
    EXPECT_EQ(canvas.persistentImage().pixel(locatorCentre(u"IO90")->toPoint()), mapWhite);
    EXPECT_EQ(canvas.persistentImage().pixel(locatorCentre(u"JN78")->toPoint()), mapWhite);
}

// A NULL locator loses only the marks that need it, and each lost mark is counted.
TEST(Passes, AMissingLocatorLosesOnlyItsMarksAndIsCounted)
{
    MapSpotRow noHome = row(50.2, "IO90", "JN78", "JN24");
    noHome.tryFrom.clear();
    const std::vector<MapSpotRow> rows{row(50.1, "JN45", "IM58", ""), noHome};
    const struct
    {
        MapPassOptions options;
        int lost;
        QStringList calls;
    } cases[] = {
        {{false, false, true, false}, 1, {"P JN24 ffff00"}},
        {{true, false, false, true}, 5, {"L IO90-JN24 ffffff", "L JN24-JN78 ffffff", "L JN24-KM46 000000"}},
        {{false, true, false, true},
         1,
         {"P JN45 000000", "P IM58 000000", "P IO90 000000", "P JN78 000000", "P IO91 ff0000",
          "P KM46 ff0000", "P KM46 ff0000"}},
    };
    for (const auto& c : cases) {
        RecordingSurface surface;
        EXPECT_EQ(drawMapPasses(rows, c.options, false, surface), c.lost) << c.calls.join(u',').toStdString();
        EXPECT_EQ(surface.calls, c.calls);
    }
}

TEST(MapQuery, DateClauseAsksForTheRightRange)
{
    struct Row
    {
        const char* dateText;
        QTime now;
        bool lastHour;
        const char* from; // "" when no date clause
        const char* to;   // "" when open-ended
    };
    for (const Row& r :
         {Row{"2026-06-14 00:30:00", QTime(0, 30), true, "2026-06-14 00:00:00", ""},
          Row{"2026-06-14 14:25:10", QTime(14, 25, 10), true, "2026-06-14 13:25:10", ""},
          Row{"2026-06-14 14:25:10", QTime(14, 25, 10), false, "2026-06-14 00:00:00", ""},
          // Another day ignores the last hour.
          Row{"2026-06-13", QTime(14, 25, 10), true, "2026-06-13 00:00:00", "2026-06-13 23:59:59"},
          Row{"yesterday", QTime(14, 25, 10), false, "", ""}}) {
        for (SqlDialect dialect : {SqlDialect::Sqlite, SqlDialect::Postgres}) {
            MapQueryRequest request;
            request.dialect = dialect;
            request.count = 100;
            request.dateText = QString::fromLatin1(r.dateText);
            request.utcNow = QDateTime(QDate(2026, 6, 14), r.now, Qt::UTC);
            request.lastHour = r.lastHour;
            const MapQuery q = buildMapQuery(request);
            EXPECT_EQ(q.bindings.value(QStringLiteral(":fromDate")).toString(), QString::fromLatin1(r.from));
            EXPECT_EQ(q.bindings.value(QStringLiteral(":toDate")).toString(), QString::fromLatin1(r.to));
            EXPECT_EQ(q.sql.contains(QStringLiteral(":fromDate")), *r.from != 0) << r.dateText;
            EXPECT_EQ(q.sql.contains(QStringLiteral(":toDate")), *r.to != 0) << r.dateText;
        }
    }
}

// The user's locale for one test, then the one before it again.
class DefaultLocale
{
public:
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(m_before); }
    DefaultLocale(const DefaultLocale&) = delete;
    DefaultLocale& operator=(const DefaultLocale&) = delete;

private:
    QLocale m_before;
};

// "Draw (With Date)" and the map windows' date prompts read a date as the user writes one, and the
// ISO form of Draw's default answer.
TEST(MapQuery, TheDayIsReadInTheUsersLocale)
{
    const QLocale gb(QLocale::English, QLocale::UnitedKingdom);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    struct Row
    {
        QLocale locale;
        const char* text;
        QDate day; // invalid when the text is no date
    };
    const Row rows[] = {
        {gb, "12/06/2026", QDate(2026, 6, 12)},
        {gb, "14/06/2026", QDate(2026, 6, 14)},
        {gb, "14/06/26", QDate(2026, 6, 14)},
        {gb, "14 Jun 2026", QDate(2026, 6, 14)},
        {gb, "12/06/26", QDate(2026, 6, 12)},
        {gb, "1/2/30", QDate(1930, 2, 1)},
        {gb, " 2026-06-13 ", QDate(2026, 6, 13)},
        {gb, "31/02/2026", QDate()},
        {gb, "yesterday", QDate()},
        {gb, "", QDate()},
        {us, "12/06/2026", QDate(2026, 12, 6)},
        {us, "6/14/2026", QDate(2026, 6, 14)},
        {us, "6/14/26", QDate(2026, 6, 14)},
        {us, "14 Jun 2026", QDate(2026, 6, 14)},
        {us, "2026-06-13", QDate(2026, 6, 13)},
        {us, "13/32/2026", QDate()},
        {us, "1/2/30", QDate(1930, 1, 2)},
    };
    for (const Row& r : rows) {
        const DefaultLocale user(r.locale);
        const std::string label = r.locale.name().toStdString() + " \"" + r.text + '"';
        const std::optional<QDate> day = mapDate(QString::fromLatin1(r.text));
        EXPECT_EQ(day.value_or(QDate()).toString(Qt::ISODate), r.day.toString(Qt::ISODate)) << label;
        EXPECT_EQ(avgmap::dayOfAnswer(QString::fromLatin1(r.text)).value_or(QDate()).toString(Qt::ISODate),
                  r.day.toString(Qt::ISODate))
            << label;
        MapQueryRequest request;
        request.count = 100;
        request.dateText = QString::fromLatin1(r.text);
        request.utcNow = QDateTime(QDate(2026, 6, 20), QTime(9, 0), Qt::UTC);
        const MapQuery q = buildMapQuery(request);
        const QString iso = r.day.toString(Qt::ISODate);
        EXPECT_EQ(q.bindings.value(QStringLiteral(":fromDate")).toString(),
                  r.day.isValid() ? iso + QStringLiteral(" 00:00:00") : QString())
            << label;
        EXPECT_EQ(q.bindings.value(QStringLiteral(":toDate")).toString(),
                  r.day.isValid() ? iso + QStringLiteral(" 23:59:59") : QString())
            << label;
    }
}

TEST(MapQuery, BandLimitsTheFrequency)
{
    using Row = std::pair<float, const char*>;
    for (const auto& [band, clause] :
         {Row{50, " AND Freq > 49 AND Freq < 55"}, Row{70, " AND Freq > 69 AND Freq < 75"},
          Row{144, " AND Freq > 143 AND Freq < 200"}, Row{220, " AND Freq > 199 AND Freq < 255"},
          Row{0, " AND Freq > 49 AND Freq < 255"}, Row{432, " AND Freq > 49 AND Freq < 255"}}) {
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
