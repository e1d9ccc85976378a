// The path map of the latest spots: the newest 2,000 paths of a tblSPOT of a million rows, from
// the query to the painted picture, on SQLite and on the server named by
// ZENTHRA_TEST_PG_HOST/_PORT/_USER/_DB (skipped when none is named). Also loading the world
// bitmap, and start-up to the main window shown with the bitmap in the data folder.

#include "bench_database.h"
#include "core/database_settings.h"
#include "core/error_log.h"
#include "core/option_keys.h"
#include "core/options_model.h"
#include "maps/muf_map.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "propagation/prop_keywords.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "spots/database.h"
#include "spots/keyword_table.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace zenthra;

namespace {

constexpr int pathCount = 2000;
const QString worldMap = QStringLiteral(ZENTHRA_SOURCE_ASSETS "/world.gif");

// A million spots, one every five seconds up to now: locators of fields I-L x K-O, mostly 6 m.
const char* sqliteFill =
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000000)"
    " INSERT INTO tblSPOT (DxDateTime, DxCall1, DxLoc1, DxCall2, DxLoc2, freq, CentreLoc, MUF, TryFrom,"
    " TryTo, Qrb_To_Midpoint)"
    " SELECT datetime(? - (1000000 - x) * 5, 'unixepoch'), 'G4ABC',"
    " char(73 + x % 4) || char(75 + x % 5) || (x % 10) || ((x / 10) % 10), 'EA7XYZ',"
    " char(74 + (x / 7) % 4) || char(76 + (x / 3) % 4) || ((x / 100) % 10) || ((x / 1000) % 10),"
    " CASE x % 10 WHEN 0 THEN 144.3 WHEN 1 THEN 70.2 ELSE 50.11 END,"
    " 'JN' || (x % 10) || ((x / 10) % 10), 80, 'JO01', 'JM23', 1200 FROM c";

const char* serverFill =
    "INSERT INTO tblSPOT (DxDateTime, DxCall1, DxLoc1, DxCall2, DxLoc2, freq, CentreLoc, MUF, TryFrom,"
    " TryTo, Qrb_To_Midpoint)"
    " SELECT CAST(? AS timestamp) - (1000000 - x) * interval '5 seconds', 'G4ABC',"
    " chr(73 + x % 4) || chr(75 + x % 5) || (x % 10)::text || ((x / 10) % 10)::text, 'EA7XYZ',"
    " chr(74 + (x / 7) % 4) || chr(76 + (x / 3) % 4) || ((x / 100) % 10)::text || ((x / 1000) % 10)::text,"
    " CASE x % 10 WHEN 0 THEN 144.3 WHEN 1 THEN 70.2 ELSE 50.11 END,"
    " 'JN' || (x % 10)::text || ((x / 10) % 10)::text, 80, 'JO01', 'JM23', 1200"
    " FROM generate_series(1, 1000000) AS x";

struct Setup : bench::BenchDatabase
{
    OptionsModel options;
    QTimer tmrMapping;
    QTimer tmrProcessSpot;
    QDateTime now = QDateTime::currentDateTimeUtc().addSecs(-1);
};

// The live-spots redraw: today's newest 2,000 paths with lines, end points and mid-points, erasing
// the old drawing first.
void drawLatest(benchmark::State& state, Setup& s, const QString& kind, const char* fill, const QVariant& end)
{
    s.db.OPEN_DATABASES(kind);
    if (!s.db.isOpen() || !s.db.exec(Store::Spots, QString::fromLatin1(fill), {end})) {
        state.SkipWithError("could not prepare the database");
        return;
    }
    s.options.intMapSpotCount = pathCount;
    s.options.blnStickyMap = true;
    for (const QString& mark : {keys::mapLines, keys::mapPoint, keys::mapCentre, keys::mapLiveSpots}) {
        s.options.setChecked(mark, true);
    }
    MufMap map({s.options, s.db, s.log, [&s] { return s.now; }, s.tmrMapping, s.tmrProcessSpot},
               s.dir.path());
    map.canvas().loadBitmap(worldMap);
    for (auto _ : state) {
        map.pathMap().tmrMapping_Timer();
    }
    const auto drawn = map.pathMap().lastRows().size();
    if (drawn != pathCount) {
        state.SkipWithError("the query did not return 2,000 rows");
    }
    state.counters["paths"] = static_cast<double>(drawn);
    s.db.CLOSE_DATABASES();
}

void BM_LatestPaths_Sqlite(benchmark::State& state)
{
    Setup s;
    drawLatest(state, s, QStringLiteral("a"), sqliteFill, s.now.toSecsSinceEpoch());
}

void BM_LatestPaths_Postgres(benchmark::State& state)
{
    const bench::BenchServer server(QStringLiteral("zmapbench"));
    if (!server.available()) {
        state.SkipWithError("no server named in ZENTHRA_TEST_PG_HOST");
        return;
    }
    Setup s;
    server.use(s.settings, s.db);
    drawLatest(state, s, QStringLiteral("s"), serverFill, utcText(s.now));
}

void BM_LoadWorldBitmap(benchmark::State& state)
{
    for (auto _ : state) {
        MapCanvas canvas;
        if (canvas.loadBitmap(worldMap) != MapCanvas::BitmapLoad::loaded) {
            state.SkipWithError("no world bitmap");
            break;
        }
        benchmark::DoNotOptimize(canvas.persistentImage().constBits());
    }
}

void BM_OpenZenthraWithMapToWindowShown(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto dir = std::make_unique<QTemporaryDir>();
        QFile::copy(worldMap, dir->filePath(QStringLiteral("world.gif")));
        state.ResumeTiming();
        Application app{DataFolder(dir->path())};
        MainWindow window(app);
        app.setView(&window);
        app.OPEN_ZENTHRA();
        benchmark::DoNotOptimize(window.isVisible());
        state.PauseTiming();
        if (!app.mufMap().canvas().hasBitmap()) {
            state.SkipWithError("the world bitmap was not loaded");
        }
        window.hide();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_LatestPaths_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_LatestPaths_Postgres)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_LoadWorldBitmap)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_OpenZenthraWithMapToWindowShown)->Unit(benchmark::kMillisecond)->Iterations(10);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.warning=false\nzenthra.*.info=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
