// Opening the databases when tblAllSpots holds a million rows, on SQLite and on the server
// named by ZENTHRA_TEST_PG_HOST/_PORT/_USER/_DB (skipped when none is named).

#include "bench_database.h"
#include "core/database_settings.h"
#include "core/error_log.h"
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

const char* sqliteFill =
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000000)"
    " INSERT INTO tblAllSpots (Spot_Date, Spot_Call1, Spot_Loc1, Spot_Call2, Spot_Loc2, Spot_Detail, "
    "Spot_Freq,"
    " Spot_Mode) SELECT datetime(1700000000 + x * 60, 'unixepoch'), 'G4ABC', 'IO91WM', 'EA7XYZ', 'IM67AA',"
    " 'DX de G4ABC:     50110.0  EA7XYZ       ES 59 IO91WM<ES>IM67       1234Z', 50.11, 'ES' FROM c";

const char* serverFill =
    "INSERT INTO tblAllSpots (Spot_Date, Spot_Call1, Spot_Loc1, Spot_Call2, Spot_Loc2, Spot_Detail, "
    "Spot_Freq,"
    " Spot_Mode) SELECT timestamp '2024-01-01' + x * interval '1 minute', 'G4ABC', 'IO91WM', 'EA7XYZ', "
    "'IM67AA',"
    " 'DX de G4ABC:     50110.0  EA7XYZ       ES 59 IO91WM<ES>IM67       1234Z', 50.11, 'ES'"
    " FROM generate_series(1, 1000000) AS x";

using Setup = bench::BenchDatabase;

void openMany(benchmark::State& state, Setup& s, const QString& kind, const char* fill)
{
    s.db.OPEN_DATABASES(kind);
    if (!s.db.isOpen() || !s.db.exec(Store::Spots, QString::fromLatin1(fill))) {
        state.SkipWithError("could not prepare the database");
        return;
    }
    s.db.CLOSE_DATABASES();
    for (auto _ : state) {
        s.db.OPEN_DATABASES(kind);
        state.PauseTiming();
        if (!s.db.isOpen()) {
            state.SkipWithError("open failed");
            break;
        }
        s.db.CLOSE_DATABASES();
        state.ResumeTiming();
    }
    state.counters["rows"] = rowCount;
}

void BM_OpenDatabases_Sqlite(benchmark::State& state)
{
    Setup s;
    openMany(state, s, QStringLiteral("a"), sqliteFill);
}

void BM_OpenDatabases_Postgres(benchmark::State& state)
{
    const bench::BenchServer server(QStringLiteral("zbench"));
    if (!server.available()) {
        state.SkipWithError("no server named in ZENTHRA_TEST_PG_HOST");
        return;
    }
    Setup s;
    server.use(s.settings, s.db);
    s.db.setServerRetryInterval(std::chrono::milliseconds(0));
    openMany(state, s, QStringLiteral("s"), serverFill);
    s.db.CLOSE_DATABASES();
}

} // namespace

BENCHMARK(BM_OpenDatabases_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_OpenDatabases_Postgres)->Unit(benchmark::kMillisecond)->Iterations(20);

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
