// The spot road end to end: 100,000 cluster lines (mixed modes, about half sporadic-E with both
// stations in a call/locator table of 100,000) queued and processed by the program's own tick
// (its default budget and its transaction per tick), against the physical limit of storing the
// same spots measured in the same run: the writers' prepared inserts into a fresh database with
// the program's schema, through the database's own C API (SQLite's; libpq for the server), with
// the road's own rows (a tblSPOT row for exactly the spots the road stored one for) and its
// commits (a transaction per tick holding the spots that tick processed). The same inserts through Qt's query
// layer are printed beside it, to show what the layer itself costs. SQLite always; the server named by
// ZENTHRA_TEST_PG_HOST/_PORT/_USER/_DB when one is.

#include "bench_database.h"
#include "core/database_settings.h"
#include "core/error_log.h"
#include "core/options_model.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "platform/sound_player.h"
#include "propagation/prop_keywords.h"
#include "shell/text_windows.h"
#include "spots/alarm_sounds.h"
#include "spots/call_locator.h"
#include "spots/database.h"
#include "spots/keyword_table.h"
#include "spots/spot_processor.h"
#include "spots/spot_queue.h"
#include "spots/spot_road.h"
#include "spots/spot_writers.h"
#include "store_limit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QLoggingCategory>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <optional>
#include <vector>

using namespace zenthra;

namespace {

constexpr int stationCount = 100000;

// 100,000 lines unless ZENTHRA_BENCH_LINES says otherwise.
int lineCount()
{
    const int n = qEnvironmentVariableIntValue("ZENTHRA_BENCH_LINES");
    return n > 0 ? n : 100000;
}

class SilentPlayer : public SoundPlayer
{
public:
    bool play(const QString&) override { return true; }
};

QString callOf(int i)
{
    return QStringLiteral("ST%1").arg(i, 6, 10, QChar(u'0'));
}

// A locator spread over Europe and beyond, from the station number.
QString locatorOf(int i)
{
    const char fields[] = "IJKL";
    const char rows[] = "MNOP";
    QString loc;
    loc += QChar(fields[i % 4]);
    loc += QChar(rows[(i / 4) % 4]);
    loc += QChar(u'0' + (i / 16) % 10);
    loc += QChar(u'0' + (i / 160) % 10);
    loc += QChar(u'A' + (i / 7) % 24);
    loc += QChar(u'A' + (i / 11) % 24);
    return loc;
}

struct Road
{
    QTemporaryDir dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    DataFolder folder{dir.path()};
    DatabaseSettings settings;
    PropKeywords keywords{log};
    Database db{settings, folder, log, keywordSeeding(keywords)};
    OptionsModel options;
    SilentPlayer player;
    TextWindows windows{options, [this] { return clock.utcNow(); }};
    SpotRoad spots{{options, log, &db, folder, keywords, windows.intHiddenHfSpot, player,
                    [this] { return clock.utcNow(); }}};

    Road()
    {
        options.sngWindowBuffer = 200000;
        options.setChecked(keys::calcEs, true);
        options.setChecked(keys::calcVhf, true);
        options.classifier.sngMinEsQrb6m = 500;
        options.classifier.sngMaxEsQrb6m = 2500;
        options.classifier.sngMinEsQrb4m = 700;
        options.classifier.sngMinEsQrb2m = 1000;
        QObject::connect(&spots.processor, &SpotProcessor::mufReport,
                         [this](QString text) { windows.POPULATE_MUF_WINDOW(text); });
        QObject::connect(&spots.processor, &SpotProcessor::vhfReport,
                         [this](QString text) { windows.POPULATE_VHF_WINDOW(text); });
    }

    bool open(const QString& kind)
    {
        db.OPEN_DATABASES(kind);
        if (!db.isOpen()) {
            return false;
        }
        QSqlDatabase c = db.connection(Store::CallLoc);
        c.transaction();
        QSqlQuery q = db.prepare(
            Store::CallLoc,
            QStringLiteral("INSERT INTO tblDxStation (DxCallsign, DxLocatorID, DxDate) VALUES (?, ?, ?)"));
        const QVariant when = Database::dateValue(QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC));
        for (int i = 0; i < stationCount; ++i) {
            q.addBindValue(callOf(i));
            q.addBindValue(locatorOf(i));
            q.addBindValue(when);
            if (!q.exec()) {
                return false;
            }
        }
        return c.commit();
    }
};

// Half sporadic-E with both stations known; the rest tropo, meteor scatter, aurora, digital and
// spots whose DX call is not in the table.
QString spotLine(int i)
{
    const int a = (i * 7919) % stationCount;
    const int b = (i * 104729 + 17) % stationCount;
    switch (i % 8) {
    case 0:
    case 1:
    case 2:
    case 3:
        return QStringLiteral("DX de %1:     50110.0  %2       ES 59 tnx QSO                 1234Z")
            .arg(callOf(a), callOf(b));
    case 4:
        return QStringLiteral("DX de %1:    144300.0  %2       tropo 599                     1235Z")
            .arg(callOf(a), callOf(b));
    case 5:
        return QStringLiteral("DX de %1:    144370.0  %2       MS pings                      1236Z")
            .arg(callOf(a), callOf(b));
    case 6:
        return QStringLiteral("DX de %1:     50313.0  %2       FT8 -12                       1237Z")
            .arg(callOf(a), callOf(b));
    default:
        return QStringLiteral("DX de %1:     70200.0  UNLISTED%2  AU 57                        1238Z")
            .arg(callOf(a))
            .arg(i);
    }
}

// The spotter and the DX call of a line, as the road stores them in DxCall1 and DxCall2.
QString callsOf(const QString& line)
{
    const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
    QString spotter = words.value(2);
    if (spotter.endsWith(u':')) {
        spotter.chop(1);
    }
    return spotter.toUpper() + u' ' + words.value(4).toUpper();
}

// Which lines the road stored a tblSPOT row for, from the rows it stored: each stored row marks
// the first line with its two calls not yet marked. -1 when a row matches no line.
qint64 markMufRows(Database& db, const QStringList& input, std::vector<bool>& mufRow)
{
    QHash<QString, int> stored;
    QSqlQuery q;
    db.exec(Store::Spots, QStringLiteral("SELECT DxCall1, DxCall2 FROM tblSPOT"), {}, &q);
    qint64 rows = 0;
    while (q.next()) {
        ++stored[q.value(0).toString().toUpper() + u' ' + q.value(1).toString().toUpper()];
        ++rows;
    }
    mufRow.assign(size_t(input.size()), false);
    qint64 marked = 0;
    for (qsizetype i = 0; i < input.size(); ++i) {
        const auto it = stored.find(callsOf(input[i]));
        if (it != stored.end() && *it > 0) {
            --*it;
            mufRow[size_t(i)] = true;
            ++marked;
        }
    }
    return marked == rows ? marked : -1;
}

// The limit and the same inserts through Qt's query layer, each on a fresh database of the kind
// whose schema the program's database layer makes.
struct Limits
{
    double cApi = -1;
    double qt = -1;
    QString why;
};

Limits limitsBeside(const QString& kind, const QStringList& input, const bench::RoadShape& shape)
{
    const bool server = kind == QLatin1String("s");
    Limits limits;
    for (const bool throughQt : {false, true}) {
        std::optional<bench::BenchServer> schema;
        bench::BenchDatabase fresh;
        if (server) {
            schema.emplace(throughQt ? QStringLiteral("zlimitqt") : QStringLiteral("zlimit"));
            schema->use(fresh.settings, fresh.db);
        }
        fresh.db.OPEN_DATABASES(kind);
        if (!fresh.db.isOpen()) {
            limits.why = QStringLiteral("the schema could not be made");
            return limits;
        }
        if (throughQt) {
            limits.qt = bench::storeThroughQt(fresh.db, input, shape, &limits.why);
            continue;
        }
        fresh.db.CLOSE_DATABASES();
        limits.cApi =
            server ? bench::storeThroughLibpq(*schema, input, shape, &limits.why)
                   : bench::storeThroughSqlite(fresh.folder.file(QLatin1String(Database::spotsFileName)),
                                               input, shape, &limits.why);
    }
    return limits;
}

void runRoad(benchmark::State& state, const QString& kind, int lines,
             const std::function<void(Database&, DatabaseSettings&)>& prepare)
{
    Road road;
    if (prepare) {
        prepare(road.db, road.settings);
    }
    if (!road.open(kind)) {
        state.SkipWithError("could not prepare the database");
        return;
    }
    QStringList input;
    input.reserve(lines);
    for (int i = 0; i < lines; ++i) {
        input.append(spotLine(i));
    }
    const bool server = kind == QLatin1String("s");
    double endToEnd = 0;
    // The spots each tick took out of the queue: each tick's rows share one transaction.
    std::vector<int> tickSpots;
    tickSpots.reserve(size_t(lines));
    const auto tick = [&] {
        const int before = road.spots.queue.pendingRows();
        road.spots.processor.tmrProcessSpot_Timer();
        if (const int done = before - road.spots.queue.pendingRows(); done > 0) {
            tickSpots.push_back(done);
        }
    };
    for (auto _ : state) {
        tickSpots.clear();
        // The whole road, the queue topped up to full before each tick as the link's
        // back-pressure does (a tick may leave rows behind when its budget is spent).
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < lines;) {
            const int room = spotQueueRows - road.spots.queue.pendingRows();
            for (int n = 0; n < room && i < lines; ++n, ++i) {
                QueuedSpot spot{input[i], {}, QStringLiteral("IO91WM"), 110, 150, true, true, {}, {}};
                road.spots.queue.QUEUE_DXC_SPOT(spot);
            }
            tick();
        }
        // Until the last spot is through.
        while (road.spots.queue.pendingRows() > 0) {
            tick();
        }
        endToEnd = double(t.nsecsElapsed()) / 1e9;
    }
    bench::RoadShape shape;
    if (markMufRows(road.db, input, shape.mufRow) < 0) {
        state.SkipWithError("a tblSPOT row of the road matches no line");
        return;
    }
    shape.linesPerCommit = tickSpots;
    const Limits limits = limitsBeside(kind, input, shape);
    if (limits.cApi <= 0 || limits.qt <= 0) {
        state.SkipWithError(qPrintable(QStringLiteral("the limit could not be measured: ") + limits.why));
        return;
    }
    QFile errors(road.log.path());
    if (errors.open(QIODevice::ReadOnly)) {
        const QByteArray head = errors.read(600);
        std::printf("error log: %lld bytes, starting: %s\n", qint64(errors.size()), head.constData());
    }
    QSqlQuery c;
    road.db.exec(Store::Spots, QStringLiteral("SELECT count(*) FROM tblSPOT"), {}, &c);
    const qint64 mufRows = c.next() ? c.value(0).toLongLong() : -1;
    QSqlQuery a;
    road.db.exec(Store::Spots, QStringLiteral("SELECT count(*) FROM tblAllSpots"), {}, &a);
    const qint64 allRows = a.next() ? a.value(0).toLongLong() : -1;
    const double us = endToEnd * 1e6 / lines;
    const double limitUs = limits.cApi * 1e6 / lines;
    const double qtUs = limits.qt * 1e6 / lines;
    state.counters["spots_per_s"] = lines / endToEnd;
    state.counters["us_per_spot"] = us;
    state.counters["limit_us_per_spot"] = limitUs;
    state.counters["ratio_to_limit"] = us / limitUs;
    state.counters["qt_us_per_spot"] = qtUs;
    state.counters["ratio_to_qt"] = us / qtUs;
    state.counters["muf_rows"] = double(mufRows);
    state.counters["lost"] = double(lines - allRows);
    const QString commits = QStringLiteral("%1 transactions as the road's ticks, %2 spots each on average%3")
                                .arg(tickSpots.size())
                                .arg(double(lines) / double(std::max<size_t>(tickSpots.size(), 1)), 0, 'f', 1)
                                .arg(server ? QString() : QStringLiteral(", WAL, synchronous=NORMAL"));
    std::printf(
        "%s road: %d spots in %.2f s = %.0f spots/s, %.1f us/spot (%lld tblSPOT rows, %lld spots lost)\n"
        "%s limit (the road's rows: a tblAllSpots row per spot, a tblSPOT row for the same %lld spots;"
        " %s; both tables and their indexes): %.1f us/spot through %s\n"
        "%s road / limit: %.1f (goal <= 3); the same inserts through Qt's query layer %.1f us/spot,"
        " road / that %.1f\n",
        server ? "PostgreSQL" : "SQLite", lines, endToEnd, lines / endToEnd, us, mufRows, lines - allRows,
        server ? "PostgreSQL" : "SQLite", mufRows, qPrintable(commits), limitUs,
        server ? "libpq" : "the SQLite C API", server ? "PostgreSQL" : "SQLite", us / limitUs, qtUs,
        us / qtUs);
}

void BM_SpotRoad_Sqlite(benchmark::State& state)
{
    runRoad(state, QStringLiteral("a"), lineCount(), {});
}

void BM_SpotRoad_Postgres(benchmark::State& state)
{
    const bench::BenchServer server(QStringLiteral("zroad"));
    if (!server.available()) {
        state.SkipWithError("no server named in ZENTHRA_TEST_PG_HOST");
        return;
    }
    runRoad(state, QStringLiteral("s"), lineCount(),
            [&](Database& db, DatabaseSettings& settings) { server.use(settings, db); });
}

} // namespace

BENCHMARK(BM_SpotRoad_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SpotRoad_Postgres)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.warning=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
