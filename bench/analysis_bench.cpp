// The analysis tab's spot report over a million stored spots (30 days, ten bands), for one day
// and one band: the query through the database layer's indexes and the report text, on SQLite
// and on the server named by ZENTHRA_TEST_PG_HOST/_PORT/_USER/_DB (skipped when none is named).

#include "bench_database.h"
#include "core/database_settings.h"
#include "core/error_log.h"
#include "maps/analysis_reports.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "propagation/prop_keywords.h"
#include "spots/database.h"
#include "spots/keyword_table.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace zenthra;

namespace {

constexpr int rowCount = 1000000;

// One spot every 2.592 s from 2024-06-01 00:00 UTC: 30 days, about 33,000 spots a day, each
// tenth on 6 m. The frequency follows x modulo 10 through ten bands.
const char* sqliteFill =
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000000)"
    " INSERT INTO tblAllSpots (Spot_Date, Spot_Call1, Spot_Loc1, Spot_Call2, Spot_Loc2, Spot_Detail,"
    " Spot_Freq, Spot_Mode) SELECT datetime(1717200000 + x * 2592 / 1000, 'unixepoch'), 'G4ABC', 'IO91WM',"
    " 'EA7XYZ', 'IM67AA', 'G4ABC:     50110.0  EA7XYZ       ES 59 IO91WM<ES>IM67       1234Z',"
    " CASE x % 10 WHEN 0 THEN 50.11 WHEN 1 THEN 144.3 WHEN 2 THEN 14.2 WHEN 3 THEN 7.1 WHEN 4 THEN 28.5"
    " WHEN 5 THEN 70.2 WHEN 6 THEN 432.1 WHEN 7 THEN 3.5 WHEN 8 THEN 21.2 ELSE 1296.1 END,"
    " CASE x % 3 WHEN 0 THEN 'ES' WHEN 1 THEN 'TROPO' ELSE 'F2' END FROM c";

const char* serverFill =
    "INSERT INTO tblAllSpots (Spot_Date, Spot_Call1, Spot_Loc1, Spot_Call2, Spot_Loc2, Spot_Detail,"
    " Spot_Freq, Spot_Mode) SELECT timestamp '2024-06-01' + make_interval(secs => x::bigint * 2592 / 1000), "
    "'G4ABC',"
    " 'IO91WM', 'EA7XYZ', 'IM67AA', 'G4ABC:     50110.0  EA7XYZ       ES 59 IO91WM<ES>IM67       1234Z',"
    " CASE x % 10 WHEN 0 THEN 50.11 WHEN 1 THEN 144.3 WHEN 2 THEN 14.2 WHEN 3 THEN 7.1 WHEN 4 THEN 28.5"
    " WHEN 5 THEN 70.2 WHEN 6 THEN 432.1 WHEN 7 THEN 3.5 WHEN 8 THEN 21.2 ELSE 1296.1 END,"
    " CASE x % 3 WHEN 0 THEN 'ES' WHEN 1 THEN 'TROPO' ELSE 'F2' END FROM generate_series(1, 1000000) AS x";

struct Setup : bench::BenchDatabase
{
    AnalysisReports reports{db, log};
};

void reportMany(benchmark::State& state, Setup& s, const QString& kind, const char* fill)
{
    s.db.OPEN_DATABASES(kind);
    if (!s.db.isOpen() || !s.db.exec(Store::Spots, QString::fromLatin1(fill))) {
        state.SkipWithError("could not prepare the database");
        return;
    }
    if (kind == QLatin1String("s")) {
        // What the server's autovacuum does soon after a bulk load.
        s.db.exec(Store::Spots, QStringLiteral("ANALYZE tblAllSpots"));
    }
    AnalysisRequest r;
    r.start = QDateTime(QDate(2024, 6, 15), QTime(0, 0), Qt::UTC);
    r.end = QDateTime(QDate(2024, 6, 15), QTime(23, 59, 59), Qt::UTC);
    r.count = static_cast<int>(state.range(0));
    r.mode = QStringLiteral("ALL");
    r.band = QStringLiteral("6M");
    r.homeLocator = QStringLiteral("JO01AA");
    qsizetype blocks = 0;
    for (auto _ : state) {
        const std::optional<QString> text = s.reports.GET_ANALYSIS_DATA(r);
        if (!text || text->startsWith(QLatin1String("ERROR"))) {
            state.SkipWithError("the report failed");
            break;
        }
        blocks = text->count(QLatin1String("[DX DE "));
    }
    state.counters["rows"] = rowCount;
    state.counters["blocks"] = static_cast<double>(blocks);
}

void BM_AnalysisReport_Sqlite(benchmark::State& state)
{
    Setup s;
    reportMany(state, s, QStringLiteral("a"), sqliteFill);
}

void BM_AnalysisReport_Postgres(benchmark::State& state)
{
    const bench::BenchServer server(QStringLiteral("zanalysis"));
    if (!server.available()) {
        state.SkipWithError("no server named in ZENTHRA_TEST_PG_HOST");
        return;
    }
    Setup s;
    server.use(s.settings, s.db);
    reportMany(state, s, QStringLiteral("s"), serverFill);
    s.db.CLOSE_DATABASES();
}

} // namespace

// The tab's default count of 150, and the largest count the tab takes (the whole day on 6 m).
BENCHMARK(BM_AnalysisReport_Sqlite)->Arg(150)->Arg(9999)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_AnalysisReport_Postgres)->Arg(150)->Arg(9999)->Unit(benchmark::kMillisecond)->Iterations(10);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The server reports dropped tables as notices; they are not figures.
    QLoggingCategory::setFilterRules(QStringLiteral("*.warning=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
