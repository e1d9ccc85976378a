// The average-MUF map window's drawing over a day with 50,000 stored sporadic-E spots, from the
// grouping query to the painted image on the shipped world map, on SQLite and on the server named by
// ZENTHRA_TEST_PG_HOST/_PORT/_USER/_DB (skipped when none is named).

#include "bench_database.h"
#include "core/database_settings.h"
#include "core/error_log.h"
#include "maps/avg_map_query.h"
#include "maps/map_canvas.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "propagation/prop_keywords.h"
#include "spots/database.h"
#include "spots/keyword_table.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace zenthra;

namespace {

constexpr int rowCount = 50000;
const QString worldMap = QStringLiteral(ZENTHRA_SOURCE_ASSETS "/world.gif");
const QDate day(2026, 12, 5);

// Spots spread over the day and over the squares of the map, a few paths too long to count.
const char* sqliteFill = "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 50000)"
                         " INSERT INTO tblSPOT (DxDateTime, DxCall1, DxLoc1, DxCall2, DxLoc2, freq, QRB1, "
                         "SpotInfo, CentreLoc, MUF)"
                         " SELECT datetime('2026-12-05', '+' || ((x * 17 / 10) % 86400) || ' seconds'), "
                         "'G4ABC', 'IO91WM', 'EA7XYZ',"
                         " 'IM67AA', 50.11, x % 3400, 'DX de G4ABC: 50110.0 EA7XYZ ES', char(65 + x % 18) || "
                         "char(65 + (x / 18) % 18)"
                         " || (x % 10) || ((x / 7) % 10) || 'MM', 50 + (x % 130) FROM c";

const char* serverFill =
    "INSERT INTO tblSPOT (DxDateTime, DxCall1, DxLoc1, DxCall2, DxLoc2, freq, QRB1, SpotInfo, CentreLoc, MUF)"
    " SELECT timestamp '2026-12-05' + ((x * 17 / 10) % 86400) * interval '1 second', 'G4ABC', 'IO91WM',"
    " 'EA7XYZ', 'IM67AA', 50.11, x % 3400, 'DX de G4ABC: 50110.0 EA7XYZ ES', chr(65 + x % 18) ||"
    " chr(65 + (x / 18) % 18) || (x % 10)::text || ((x / 7) % 10)::text || 'MM', 50 + (x % 130)"
    " FROM generate_series(1, 50000) AS x";

using Setup = bench::BenchDatabase;

void drawDay(benchmark::State& state, Setup& s, const QString& kind, const char* fill)
{
    s.db.OPEN_DATABASES(kind);
    if (!s.db.isOpen() || !s.db.exec(Store::Spots, QString::fromLatin1(fill))) {
        state.SkipWithError("could not prepare the database");
        return;
    }
    // On the world bitmap the program ships, as the window loads it: the points are drawn over its
    // coast lines and colours, not over a plain picture.
    MapCanvas canvas;
    canvas.setSticky(true);
    if (canvas.loadBitmap(worldMap) != MapCanvas::BitmapLoad::loaded) {
        state.SkipWithError("could not load world.gif");
        return;
    }
    AvgMapPicture picture;
    for (auto _ : state) {
        if (!drawAverageMap(s.db, canvas, day, picture)) {
            state.SkipWithError("the query failed");
            break;
        }
        const QImage shown = canvas.shownImage();
        benchmark::DoNotOptimize(shown.constBits());
    }
    state.counters["rows"] = rowCount;
    state.counters["squares"] = static_cast<double>(picture.dots.size());
    s.db.CLOSE_DATABASES();
}

void BM_AverageMufMap_Sqlite(benchmark::State& state)
{
    Setup s;
    drawDay(state, s, QStringLiteral("a"), sqliteFill);
}

void BM_AverageMufMap_Postgres(benchmark::State& state)
{
    const bench::BenchServer server(QStringLiteral("zmapwindow"));
    if (!server.available()) {
        state.SkipWithError("no server named in ZENTHRA_TEST_PG_HOST");
        return;
    }
    Setup s;
    server.use(s.settings, s.db);
    drawDay(state, s, QStringLiteral("s"), serverFill);
}

} // namespace

BENCHMARK(BM_AverageMufMap_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_AverageMufMap_Postgres)->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.warning=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
