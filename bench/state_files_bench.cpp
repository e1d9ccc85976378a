// Reading the stored state files at start-up when each has grown to 100 MB, either of short lines
// ("0" and a line feed, 52 million times) or of one line (100 MB of "0" and a line end): the time
// each reader takes and the peak memory of a process that reads that one file, and all of them at
// once (measured in a child process of its own, so that one reader's peak does not hide
// another's). The goal is a few MB above a process that reads nothing, for any such file. The
// figures are printed in a summary after the usual table.

#include "core/error_log.h"
#include "core/options_model.h"
#include "links/command_history.h"
#include "links/view_geometry.h"
#include "links/wwc_popup.h"
#include "maps/avg_map_settings.h"
#include "platform/clock.h"
#include "propagation/hand_muf.h"
#include "shell/settings_file.h"
#include "support/child_peak.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

using namespace zenthra;
using zenthra::test::childPeakMb;

namespace {

constexpr qint64 fileBytes = 100LL * 1024 * 1024;

struct Reader
{
    const char* file;
    std::function<void(const QString&)> read;
};

const Reader readers[] = {
    {"zenthra.dat",
     [](const QString& path) {
         OptionsModel options;
         TwipsRect geometry;
         const SettingsReader reader(path);
         reader.readDatabaseLines(options);
         reader.readGeometryLines(geometry);
         reader.readOptionLines(options);
         benchmark::DoNotOptimize(reader.linesPresent());
     }},
    {"dxc_view.dat", [](const QString& path) { benchmark::DoNotOptimize(readViewGeometry(path).top); }},
    {"wwc_view.dat", [](const QString& path) { benchmark::DoNotOptimize(readViewGeometry(path).top); }},
    {"avg_mapper.dat", [](const QString& path) { benchmark::DoNotOptimize(readMapperSettings(path).top); }},
    {"sng_mapper.dat", [](const QString& path) { benchmark::DoNotOptimize(readMapperSettings(path).ticks); }},
    {"wwc_popup.dat",
     [](const QString& path) { benchmark::DoNotOptimize(WwcPopup::readGeometry(path).top); }},
    {"dxc_history.dat",
     [](const QString& path) { benchmark::DoNotOptimize(CommandHistory::readFile(path)->size()); }},
    {"wwc_history.dat",
     [](const QString& path) { benchmark::DoNotOptimize(CommandHistory::readFile(path)->size()); }},
    {"handmuf.dat",
     [](const QString& path) {
         const Clock clock;
         ErrorLog log(QFileInfo(path).absolutePath(), clock);
         HandMuf muf(log, QStringLiteral("Hand MUF"));
         muf.load(path, QStringLiteral("IO91WM"));
         benchmark::DoNotOptimize(muf.intHandLayerHeight);
     }},
};

enum Shape
{
    shortLines,
    oneLine,
};
const char* const shapeNames[] = {"short lines", "one line"};

// One 100 MB file of that shape, linked under every state file's name.
class Folder
{
public:
    explicit Folder(Shape shape)
    {
        const QString first = m_dir.filePath(QString::fromLatin1(readers[0].file));
        QFile file(first);
        const QByteArray chunk = QByteArray(shape == shortLines ? "0\n" : "00").repeated(1024 * 1024);
        if (!file.open(QIODevice::WriteOnly)) {
            return;
        }
        for (qint64 done = 0; done < fileBytes; done += chunk.size()) {
            if (file.write(chunk) != chunk.size()) {
                return;
            }
        }
        if (shape == oneLine && file.write("\r\n") != 2) {
            return;
        }
        file.close();
        for (const Reader& r : readers) {
            const QString path = m_dir.filePath(QString::fromLatin1(r.file));
            if (path != first &&
                ::link(QFile::encodeName(first).constData(), QFile::encodeName(path).constData()) != 0) {
                return;
            }
        }
        m_ok = true;
    }
    bool ok() const { return m_ok; }
    QString path(const Reader& r) const { return m_dir.filePath(QString::fromLatin1(r.file)); }

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};

// Written when a benchmark first needs it, so that one shape's files are not on disk for nothing.
const Folder& folder(Shape shape)
{
    static const Folder shortLinesFolder(shortLines);
    if (shape == shortLines) {
        return shortLinesFolder;
    }
    static const Folder oneLineFolder(oneLine);
    return oneLineFolder;
}

// Peaks by shape, then by file.
std::map<int, std::map<std::string, double>>& peaks()
{
    static std::map<int, std::map<std::string, double>> p;
    return p;
}

void BM_ReadStateFile(benchmark::State& state)
{
    const Reader& r = readers[state.range(0)];
    const auto shape = static_cast<Shape>(state.range(1));
    state.SetLabel(std::string(r.file) + ", " + shapeNames[shape]);
    if (!folder(shape).ok()) {
        state.SkipWithError("cannot write the 100 MB files");
        return;
    }
    const QString path = folder(shape).path(r);
    for (auto _ : state) {
        r.read(path);
    }
    const double peak = childPeakMb([&] {
        r.read(path);
        return true;
    });
    peaks()[shape][r.file] = peak;
    state.counters["peak_MB"] = peak;
}

void BM_ReadAllStateFiles(benchmark::State& state)
{
    const auto shape = static_cast<Shape>(state.range(0));
    state.SetLabel(shapeNames[shape]);
    if (!folder(shape).ok()) {
        state.SkipWithError("cannot write the 100 MB files");
        return;
    }
    const auto readAll = [shape] {
        for (const Reader& r : readers) {
            r.read(folder(shape).path(r));
        }
        return true;
    };
    for (auto _ : state) {
        readAll();
    }
    const double peak = childPeakMb(readAll);
    peaks()[shape]["all at once"] = peak;
    state.counters["peak_MB"] = peak;
}

} // namespace

BENCHMARK(BM_ReadStateFile)
    ->ArgsProduct({benchmark::CreateDenseRange(0, std::size(readers) - 1, 1), {shortLines, oneLine}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_ReadAllStateFiles)
    ->DenseRange(shortLines, oneLine)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double baseline = childPeakMb([] { return true; });
    std::printf("\nPeak memory reading a 100 MB state file (goal: a few MB above nothing read):\n");
    std::printf("  %-16s %8.1f MB\n", "nothing read", baseline);
    for (const auto& [shape, byFile] : peaks()) {
        std::printf(" %s:\n", shapeNames[shape]);
        for (const auto& [file, peak] : byFile) {
            std::printf("  %-16s %8.1f MB\n", file.c_str(), peak);
        }
    }
    // The child processes share the benchmark's libraries without counting them; the whole
    // benchmark process, libraries and every read included:
    rusage self{};
    ::getrusage(RUSAGE_SELF, &self);
    std::printf("  %-16s %8.1f MB\n", "this process", static_cast<double>(self.ru_maxrss) / 1024.0);
    return 0;
}
