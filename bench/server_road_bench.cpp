// The spot road as the program runs it, storing to a PostgreSQL server far away: its store on a
// thread and a database layer of its own, the processor on the program's own timers in the event
// loop, fed as the DX-cluster link feeds it (lines held back while the queue is full), reaching
// the test server through a relay on loopback that delays every byte a fixed time each way. The
// server holds a call/locator table of 90,000 stations; the lines are shaped as a node sends them
// in an opening, four in five heard over a sporadic-E path, the spotters and nine DX calls in ten
// known, so most spots are calculated and stored in both tables.
//
// Two ways of feeding. A flood: ZENTHRA_BENCH_LINES lines (1,500 unless set, so that a rate is
// measured rather than the few round trips of its first spots) at once, timed from
// the first until all are in tblAllSpots (spots a second: the lines over that time), or until
// ZENTHRA_BENCH_SECONDS (120 unless set) have passed (then: those stored by then over it). A steady feed: 100
// spots at 5 a second, and the seconds from the last spot until all are stored (waited for 60 s at most).
// Round trips are counted at the relay (each simple query and each Sync the store sends), over the feed
// alone; the opening (the store's login, tables, keyword list), under the same delay, is printed beside.
// Needs the server named by ZENTHRA_TEST_PG_HOST/_PORT/_USER/_DB.

#include "bench_database.h"
#include "spots/server_cut_proxy.h"

#include "core/error_log.h"
#include "core/options_model.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "platform/sound_player.h"
#include "propagation/prop_keywords.h"
#include "spots/spot_road.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <libpq-fe.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>

using namespace zenthra;
using namespace std::chrono_literals;

namespace {

constexpr int stationCount = 90000;
// One DX call in ten is not in the table.
constexpr int dxCallRange = stationCount * 10 / 9;
constexpr int spotterCount = 10;
// The program's interval between attempts to reach a lost server.
constexpr auto serverRetryInterval = 10s;
// How long the opening may take before the case gives up.
constexpr auto openingLimit = 180s;

int envInt(const char* name, int fallback)
{
    const int n = qEnvironmentVariableIntValue(name);
    return n > 0 ? n : fallback;
}

class SilentPlayer : public SoundPlayer
{
public:
    bool play(const QString&) override { return true; }
};

// Spot line `i` as a node sends it in an opening (the shapes of tests/data/cluster-lines.txt):
// spotters G0ABC-G9ABC across western Europe, DX stations across Iberia, 6 m.
QString spotLine(int i)
{
    static const char* comments[] = {"FT8 Es", "CW 559", "es 579", "SSB 59", "tropo"};
    return QStringLiteral("DX de G%1ABC:     50%2.0  CT%3       %4 IN50 JN59              2110Z")
        .arg(i % spotterCount)
        .arg(100 + i % 800)
        .arg(int((qint64(i) * 7919) % dxCallRange), 6, 10, QLatin1Char('0'))
        .arg(QLatin1String(comments[i % 5]));
}

// The tables as an earlier session leaves them, made by the program's own database layer
// straight on the server, and the call/locator table filled by the server itself.
bool prepareTables(const bench::BenchServer& server, QString* why)
{
    bench::BenchDatabase base;
    server.use(base.settings, base.db);
    base.db.OPEN_DATABASES(QStringLiteral("s"));
    if (!base.db.isOpen()) {
        *why = QStringLiteral("the tables could not be made");
        return false;
    }
    const QStringList statements = {
        QStringLiteral("INSERT INTO tblDxStation (DxCallsign, DxLocatorID, DxDate)"
                       " SELECT 'G' || n || 'ABC', (ARRAY['IO91WM', 'JO01AA', 'IO83QK', 'JO31MF', 'IO70JJ',"
                       " 'JN18EU', 'IO92PL', 'JO62QM', 'IO81VL', 'JN47SM'])[n + 1], timestamp '2024-01-01'"
                       " FROM generate_series(0, %1) AS n")
            .arg(spotterCount - 1),
        QStringLiteral("INSERT INTO tblDxStation (DxCallsign, DxLocatorID, DxDate)"
                       " SELECT 'CT' || lpad(n::text, 6, '0'), (ARRAY['IM58', 'IM59', 'IM68', 'IM69', 'IN50',"
                       " 'IN51', 'IN60', 'IN61', 'IM57', 'IM67'])[1 + (n / 100) % 10] || chr(65 + n % 24)"
                       " || chr(65 + (n / 24) % 24), timestamp '2024-01-01' FROM generate_series(0, %1) AS n")
            .arg(stationCount - 1),
        QStringLiteral("ANALYZE tblDxStation"),
    };
    for (const QString& sql : statements) {
        SqlFailure failure;
        if (!base.db.exec(Store::CallLoc, sql, {}, nullptr, &failure)) {
            *why = failure.text;
            return false;
        }
    }
    base.db.CLOSE_DATABASES();
    return true;
}

struct PgFinish
{
    void operator()(PGconn* c) const { PQfinish(c); }
};

// The road the program runs, aimed at the server through the delaying relay, and the lines the
// link holds back while the queue is full.
struct Scene
{
    Scene(const bench::BenchServer& server, std::chrono::milliseconds delay)
        : schema(server.schema()), relay(qEnvironmentVariable("ZENTHRA_TEST_PG_HOST"),
                                         quint16(qEnvironmentVariableIntValue("ZENTHRA_TEST_PG_PORT"))),
          counter(PQconnectdb(server.connectionInfo().toUtf8().constData()))
    {
        relay.setDelay(delay);
        settings.strDbType = QStringLiteral("s");
        settings.strSqlServer = QStringLiteral("127.0.0.1:%1").arg(relay.port());
        settings.strSqlDatabase = qEnvironmentVariable("ZENTHRA_TEST_PG_DB");
        settings.strSqlUser = qEnvironmentVariable("ZENTHRA_TEST_PG_USER");
        options.setChecked(keys::calcEs, true);
        options.setChecked(keys::calcVhf, true);
        options.classifier.sngMinEsQrb6m = 500;
        options.classifier.sngMaxEsQrb6m = 2500;
        QObject::connect(&road.store, &SpotStore::keywordsRead,
                         [this](const PropTypeList& list) { keywords.adopt(list); });
        QObject::connect(&road.store, &SpotStore::opened, [this](bool ok) { opened = opened || ok; });
        road.processor.setFeeder([this] { return release(); });
        QObject::connect(&linkPoll, &QTimer::timeout, [this] { release(); });
        linkPoll.start(20);
    }

    // Runs the event loop until `done` holds or `limit` has passed; true when it held.
    static bool await(const std::function<bool()>& done, std::chrono::milliseconds limit)
    {
        QElapsedTimer t;
        t.start();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (done() || t.elapsed() >= limit.count()) {
                loop.quit();
            }
        });
        poll.start(20);
        loop.exec();
        return done();
    }

    // The store's opening, until the keyword list is in: seconds and round trips, or false.
    bool open(double* seconds, qint64* trips)
    {
        QElapsedTimer t;
        t.start();
        const qint64 before = relay.roundTrips();
        road.store.open(settings, serverRetryInterval, schema);
        const bool ok = await([this] { return opened && keywords.loaded(); }, openingLimit);
        *seconds = double(t.nsecsElapsed()) / 1e9;
        *trips = relay.roundTrips() - before;
        return ok;
    }

    void hold(const QString& line)
    {
        held.push_back(line);
        release();
    }

    // As the link gives the filter its lines: while the queue has room, a few rows kept free.
    bool release()
    {
        bool released = false;
        while (!held.empty() && road.queue.pendingRows() < spotQueueRows - 10) {
            QueuedSpot spot{held.front(), {}, QStringLiteral("IO91WM"), 110, 150, true, true, {}, {}};
            held.pop_front();
            road.queue.QUEUE_DXC_SPOT(spot);
            released = true;
        }
        return released;
    }

    // Rows in tblAllSpots, asked straight of the server, not through the relay; -1 on failure.
    qint64 stored()
    {
        const QByteArray sql = "SELECT count(*) FROM " + schema.toUtf8() + ".tblAllSpots";
        PGresult* r = PQexec(counter.get(), sql.constData());
        const qint64 n =
            PQresultStatus(r) == PGRES_TUPLES_OK ? QByteArray(PQgetvalue(r, 0, 0)).toLongLong() : -1;
        PQclear(r);
        return n;
    }

    QString schema;
    test::ServerCutProxy relay;
    std::unique_ptr<PGconn, PgFinish> counter;
    QTemporaryDir dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    DataFolder folder{dir.path()};
    DatabaseSettings settings;
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

// The flood with no delay of this run, for the figure each delay is held against.
double noDelaySpotsPerSecond = 0;

// Sets up the server's schema and the scene, opens the road; false after telling `state` why not.
std::unique_ptr<Scene> openScene(benchmark::State& state, const bench::BenchServer& server,
                                 std::chrono::milliseconds delay)
{
    if (!server.available()) {
        state.SkipWithError("no server named in ZENTHRA_TEST_PG_HOST");
        return nullptr;
    }
    QString why;
    if (!prepareTables(server, &why)) {
        state.SkipWithError(qPrintable(QStringLiteral("could not prepare the tables: ") + why));
        return nullptr;
    }
    auto scene = std::make_unique<Scene>(server, delay);
    double seconds = 0;
    qint64 trips = 0;
    const bool ok = scene->open(&seconds, &trips);
    state.counters["open_s"] = seconds;
    state.counters["open_round_trips"] = double(trips);
    std::printf("\n%lld ms each way: the opening took %.1f s and %lld round trips%s\n", qint64(delay.count()),
                seconds, trips, ok ? "" : " and did not finish");
    if (!ok) {
        state.SkipWithError("the road did not open");
        return nullptr;
    }
    return scene;
}

void Flood(benchmark::State& state)
{
    const std::chrono::milliseconds delay(state.range(0));
    const int lines = envInt("ZENTHRA_BENCH_LINES", 1500);
    const std::chrono::seconds limit(envInt("ZENTHRA_BENCH_SECONDS", 120));
    for (auto _ : state) {
        const bench::BenchServer server(QStringLiteral("zfar"));
        const std::unique_ptr<Scene> scene = openScene(state, server, delay);
        if (!scene) {
            return;
        }
        QElapsedTimer t;
        t.start();
        const qint64 before = scene->relay.roundTrips();
        for (int i = 0; i < lines; ++i) {
            scene->hold(spotLine(i));
        }
        qint64 stored = 0;
        double seconds = 0;
        Scene::await(
            [&] {
                const qint64 now = scene->stored();
                if (now > stored) {
                    stored = now;
                    seconds = double(t.nsecsElapsed()) / 1e9;
                }
                return stored >= lines;
            },
            limit);
        if (stored < lines) {
            seconds = double(t.nsecsElapsed()) / 1e9;
        }
        const qint64 trips = scene->relay.roundTrips() - before;
        const double rate = double(stored) / seconds;
        const double tripsPerSpot = stored > 0 ? double(trips) / double(stored) : -1;
        state.SetIterationTime(seconds);
        state.counters["spots_per_s"] = rate;
        state.counters["round_trips_per_spot"] = tripsPerSpot;
        state.counters["round_trips"] = double(trips);
        state.counters["stored"] = double(stored);
        QString goal;
        if (delay.count() == 0) {
            noDelaySpotsPerSecond = rate;
        } else if (noDelaySpotsPerSecond > 0) {
            const double share = rate / noDelaySpotsPerSecond;
            state.counters["share_of_no_delay"] = share;
            goal = QStringLiteral("; %1 of the no-delay figure of this run%2")
                       .arg(share, 0, 'f', 2)
                       .arg(delay == 25ms ? QStringLiteral(" (goal >= 0.50)") : QString());
        }
        std::printf(
            "%lld ms each way, a flood of %d spots: %lld stored in %.1f s%s: %.1f spots/s; %lld round "
            "trips (statements), %.2f a spot stored%s\n",
            qint64(delay.count()), lines, stored, seconds, stored < lines ? " (time up)" : "", rate, trips,
            tripsPerSpot, qPrintable(goal));
    }
}

void SteadyFeed(benchmark::State& state)
{
    const std::chrono::milliseconds delay(state.range(0));
    constexpr int spots = 100;
    constexpr auto spacing = 200ms;
    constexpr auto afterLastLimit = 60s;
    for (auto _ : state) {
        const bench::BenchServer server(QStringLiteral("zsteady"));
        const std::unique_ptr<Scene> scene = openScene(state, server, delay);
        if (!scene) {
            return;
        }
        QElapsedTimer t;
        t.start();
        const qint64 before = scene->relay.roundTrips();
        int fed = 0;
        QTimer feed;
        QObject::connect(&feed, &QTimer::timeout, [&] {
            if (fed < spots) {
                scene->hold(spotLine(fed++));
            }
        });
        feed.start(spacing);
        Scene::await([&] { return fed == spots; }, spots * spacing + 10s);
        feed.stop();
        QElapsedTimer afterLast;
        afterLast.start();
        qint64 stored = 0;
        double seconds = -1;
        Scene::await(
            [&] {
                stored = scene->stored();
                return stored >= spots;
            },
            afterLastLimit);
        if (stored >= spots) {
            seconds = double(afterLast.nsecsElapsed()) / 1e9;
        }
        const qint64 trips = scene->relay.roundTrips() - before;
        const double tripsPerSpot = stored > 0 ? double(trips) / double(stored) : -1;
        state.SetIterationTime(double(t.nsecsElapsed()) / 1e9);
        state.counters["after_last_s"] = seconds;
        state.counters["stored"] = double(stored);
        state.counters["spots_per_s"] = double(stored) / (double(t.nsecsElapsed()) / 1e9);
        state.counters["round_trips_per_spot"] = tripsPerSpot;
        state.counters["round_trips"] = double(trips);
        if (seconds >= 0) {
            std::printf(
                "%lld ms each way, %d spots at 5 a second: all stored %.1f s after the last (goal <= 30 s),"
                " %lld round trips (statements), %.2f a spot\n",
                qint64(delay.count()), spots, seconds, trips, tripsPerSpot);
        } else {
            std::printf("%lld ms each way, %d spots at 5 a second: %lld of them stored %lld s after the last "
                        "(goal: all within 30 s); %lld round trips (statements), %.2f a spot stored\n",
                        qint64(delay.count()), spots, stored, qint64(afterLastLimit.count()), trips,
                        tripsPerSpot);
        }
    }
}

} // namespace

// No delay first: the others are held against its figure.
BENCHMARK(Flood)->Arg(0)->Arg(5)->Arg(25)->Arg(300)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(SteadyFeed)->Arg(300)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false\n*.warning=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
