// The spot road as the program runs it (its store on a thread of its own) over a long path to the
// server: a relay that delays every byte each way. A flood costs a few round trips for each batch
// of spots, not a few for each spot, and every spot still gets its own locators; a steady feed
// over a path of 0.3 s each way is all stored within moments of its last spot.

#include "spots/database_fixture.h"
#include "spots/relayed_server.h"
#include "support/eventually.h"
#include "support/postgres.h"
#include "support/print_qstring.h"
#include "support/station_spot.h"
#include "support/temp_folder.h"

#include "core/error_log.h"
#include "core/options_model.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "propagation/prop_keywords.h"
#include "spots/database.h"
#include "spots/keyword_table.h"
#include "spots/spot_road.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <deque>

using namespace zenthra;
using namespace zenthra::test;
using namespace std::chrono_literals;

namespace {

// The DX calls CT00000-CT19999 are in the call/locator table; CT20000 and above are not.
constexpr int knownCalls = 20000;

QString dxCall(int n)
{
    return QStringLiteral("CT%1").arg(n, 5, 10, QLatin1Char('0'));
}

// The locator the table holds for a known DX call, in Iberia.
QString dxLocator(int n)
{
    static const char* squares[] = {"IM58", "IM59", "IM68", "IM69", "IN50"};
    return QLatin1String(squares[n % 5]) + QChar(u'A' + n % 24) + QChar(u'A' + (n / 24) % 24);
}

// Spot `i`: a spotter at IO91WM, a DX call spread over the table (one in five unknown), most heard
// over a sporadic-E path.
int dxOf(int i)
{
    return (i * 7919) % (knownCalls * 5 / 4);
}
QString spotLine(int i)
{
    static const char* comments[] = {"FT8 Es", "CW 559", "es 579", "SSB 59", "tropo"};
    return QStringLiteral("DX de G4ABC:     50%1.0  %2       %3              2110Z")
        .arg(100 + i % 800)
        .arg(dxCall(dxOf(i)), QLatin1String(comments[i % 5]));
}

// The server's tables as an earlier session left them, the road the program runs aimed at the
// server through the relay, and the lines the link holds back while the queue is full.
struct LongPath
{
    LongPath() : relayed("zlp")
    {
        relayed.aim(settings);
        options.setChecked(QStringLiteral("mnuEsOptions(0)"), true);
        counter = openPostgres(uniqueName("count"));
        QObject::connect(&road.store, &SpotStore::keywordsRead,
                         [this](const PropTypeList& list) { keywords.adopt(list); });
        QObject::connect(&road.store, &SpotStore::opened, [this](bool ok) { opened = opened || ok; });
        road.processor.setFeeder([this] { return release(); });
        QObject::connect(&linkPoll, &QTimer::timeout, [this] { release(); });
        linkPoll.start(20);
    }
    ~LongPath()
    {
        const QString name = counter.connectionName();
        counter.close();
        counter = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }

    // Tables, keyword list and stations, made at no delay; then the road opens.
    void open()
    {
        PropKeywords seeded{log};
        Database first{settings, folder, log, keywordSeeding(seeded)};
        first.setServerSchema(relayed.schema);
        first.OPEN_DATABASES(settings.strDbType);
        ASSERT_TRUE(first.isOpen()) << log.path().toStdString();
        ASSERT_TRUE(first.exec(Store::CallLoc,
                               QStringLiteral("INSERT INTO tblDxStation (DxCallsign, DxLocatorID, DxDate)"
                                              " VALUES ('G4ABC', 'IO91WM', timestamp '2024-01-01')")));
        // The stations as dxCall() and dxLocator() name them, made by the server in one statement.
        ASSERT_TRUE(first.exec(
            Store::CallLoc,
            QStringLiteral("INSERT INTO tblDxStation (DxCallsign, DxLocatorID, DxDate)"
                           " SELECT 'CT' || lpad(n::text, 5, '0'), (ARRAY['IM58', 'IM59', 'IM68', 'IM69',"
                           " 'IN50'])[1 + n % 5] || chr(65 + n % 24) || chr(65 + (n / 24) % 24),"
                           " timestamp '2024-01-01' FROM generate_series(0, %1) AS n")
                .arg(knownCalls - 1)));
        first.CLOSE_DATABASES();
        road.store.open(settings, 10s, relayed.schema);
        EXPECT_EVENTUALLY(opened && keywords.loaded(), 20000);
    }

    void hold(int i)
    {
        held.push_back(spotLine(i));
        release();
    }

    // As the link gives the filter its lines: while the queue has room, a few rows kept free.
    bool release()
    {
        bool released = false;
        while (!held.empty() && road.queue.pendingRows() < spotQueueRows - 10) {
            QueuedSpot spot = stationSpot(held.front());
            held.pop_front();
            road.queue.QUEUE_DXC_SPOT(spot);
            released = true;
        }
        return released;
    }

    // Asked straight of the server, not through the relay.
    QStringList rows(const QString& sql)
    {
        QStringList out;
        QSqlQuery q(counter);
        if (q.exec(QString(sql).replace(QStringLiteral("{}"), relayed.schema))) {
            while (q.next()) {
                out << q.value(0).toString();
            }
        }
        return out;
    }
    qint64 stored()
    {
        return rows(QStringLiteral("SELECT count(*) FROM {}.tblAllSpots")).value(0).toLongLong();
    }

    TempFolder dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    DataFolder folder{dir.path()};
    DatabaseSettings settings;
    RelayedServer relayed;
    QSqlDatabase counter;
    OptionsModel options;
    PropKeywords keywords{log};
    SilentPlayer player;
    qint16 hiddenHfSpot = 0;
    bool opened = false;
    std::deque<QString> held;
    QTimer linkPoll;
    SpotRoad road{
        {options, log, nullptr, folder, keywords, hiddenHfSpot, player, [this] { return clock.utcNow(); }}};
};

TEST(RoadOverALongPath, AFloodCostsAFewRoundTripsABatchAndEachSpotKeepsItsLocators)
{
    ZENTHRA_REQUIRE_POSTGRES();
    LongPath p;
    p.open();
    ASSERT_FALSE(HasFailure());
    p.relayed.proxy->setDelay(25ms);
    constexpr int spots = 150;
    const qint64 before = p.relayed.proxy->roundTrips();
    for (int i = 0; i < spots; ++i) {
        p.hold(i);
    }
    EXPECT_EVENTUALLY(p.stored() == spots, 80000);
    // A handful of statements for each batch, whatever its size: one for five spots at most
    // here, where asking and writing spot by spot costs four or more a spot.
    const qint64 trips = p.relayed.proxy->roundTrips() - before;
    EXPECT_LE(trips, spots / 5) << double(trips) / spots << " round trips a spot";

    // Each spot got the locator the table held for its own DX call.
    QStringList expected;
    for (int i = 0; i < spots; ++i) {
        const int n = dxOf(i);
        expected << dxCall(n) + u'|' + (n < knownCalls ? dxLocator(n) : QString());
    }
    QStringList got =
        p.rows(QStringLiteral("SELECT Spot_Call2 || '|' || coalesce(Spot_Loc2, '') FROM {}.tblAllSpots"));
    std::sort(expected.begin(), expected.end());
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, expected);
    EXPECT_EQ(p.rows(QStringLiteral("SELECT count(*) FROM {}.tblSPOT")), QStringList{QStringLiteral("47")});
}

TEST(RoadOverALongPath, ASteadyFeedOverThreeTenthsOfASecondEachWayIsStoredWithinHalfAMinuteOfItsLast)
{
    ZENTHRA_REQUIRE_POSTGRES();
    LongPath p;
    p.open();
    ASSERT_FALSE(HasFailure());
    p.relayed.proxy->setDelay(300ms);
    // 100 spots at 5 a second, as an opening brings them.
    constexpr int spots = 100;
    int fed = 0;
    QTimer feed;
    QObject::connect(&feed, &QTimer::timeout, [&] {
        if (fed < spots) {
            p.hold(fed++);
        }
    });
    feed.start(200ms);
    EXPECT_EVENTUALLY(fed == spots, 30000);
    feed.stop();
    EXPECT_EVENTUALLY(p.stored() == spots, 30000);
    EXPECT_EQ(p.stored(), spots);
}

} // namespace
