// The DX-cluster node import of a 100,000-line DXC.csv on SQLite: into an empty list (every row
// saved on its own, a slice at a time as the import window runs it) and the same file again
// (every line a duplicate). The import window's goal is under 5 s for the whole file.

#include "bench_database.h"
#include "links/node_import.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <benchmark/benchmark.h>

#include <chrono>

using namespace zenthra;

namespace {

constexpr int lineCount = 100000;
// As the import window slices it.
constexpr std::chrono::milliseconds sliceTime{40};

QString writeList(const QString& folder)
{
    QByteArray text = "# DX clusters: name,host,port\r\n";
    for (int i = 0; i < lineCount; ++i) {
        text += "Node" + QByteArray::number(i) + ",node" + QByteArray::number(i) + ".example.net,7300\r\n";
    }
    const QString path = folder + QStringLiteral("/DXC.csv");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        return {};
    }
    return path;
}

ImportOutcome importSliced(Database& db, const QString& path)
{
    NodeImportRun run(NodeTable::Dxc, db, {QStringLiteral("XX1XX"), QStringLiteral("pw"), {}});
    if (run.begin(path)) {
        while (run.step(sliceTime)) {
            QCoreApplication::processEvents();
        }
    }
    return run.outcome();
}

void importList(benchmark::State& state, bool again)
{
    int added = 0;
    int skipped = 0;
    qint64 walBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bench::BenchDatabase s;
        s.db.OPEN_DATABASES(QStringLiteral("a"));
        const QString path = writeList(s.dir.path());
        if (!s.db.isOpen() || path.isEmpty() || (again && !importSliced(s.db, path).ok)) {
            state.SkipWithError("could not prepare the database or the list");
            break;
        }
        state.ResumeTiming();
        const ImportOutcome out = importSliced(s.db, path);
        state.PauseTiming();
        if (!out.ok) {
            state.SkipWithError("the import failed");
            break;
        }
        added = out.added;
        skipped = out.skipped;
        walBytes = QFileInfo(s.dir.filePath(QStringLiteral("spots.sqlite-wal"))).size();
        s.db.CLOSE_DATABASES();
        state.ResumeTiming();
    }
    state.counters["lines"] = lineCount;
    state.counters["added"] = added;
    state.counters["skipped"] = skipped;
    state.counters["wal_bytes_after"] = double(walBytes);
    state.counters["lines_per_s"] =
        benchmark::Counter(lineCount, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_NodeImport_Sqlite_NewList(benchmark::State& state)
{
    importList(state, false);
}

void BM_NodeImport_Sqlite_SameListAgain(benchmark::State& state)
{
    importList(state, true);
}

} // namespace

BENCHMARK(BM_NodeImport_Sqlite_NewList)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_NodeImport_Sqlite_SameListAgain)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.warning=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
