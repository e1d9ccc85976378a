// Appending spot lines to the DXC window (model alone, and model with its text widget shown), and
// start-up to the main window shown on an empty data folder. The widget takes in the lines of a
// frame at once, so a burst of lines costs far less a line than one line after a quiet spell:
// both are printed side by side after the table.

#include "core/options_model.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/text_view.h"
#include "shell/text_windows.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextDocument>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <memory>

namespace {

const QString spotLine =
    QStringLiteral("DX de G4ABC:     50110.0  EA3XYZ       es 559 in JN01 tnx QSO           1412Z IO91");

// Counts the paints of the widget it watches.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
};

struct DxcWindow
{
    zenthra::OptionsModel options;
    zenthra::TextWindows windows{options, [] { return QDateTime::currentDateTimeUtc(); }};
    std::unique_ptr<QPlainTextEdit> view;
    PaintCounter painted;

    explicit DxcWindow(bool withWidget)
    {
        options.sngWindowBuffer = 10000;
        if (withWidget) {
            view.reset(zenthra::makeTextView(QStringLiteral("TBCluster")));
            view->resize(800, 500);
            zenthra::bindTextView(windows.TBCluster, view.get());
            view->viewport()->installEventFilter(&painted);
            // Shown, as in the program: a hidden widget skips its layout and painting.
            view->show();
            QCoreApplication::processEvents();
        }
    }
    void append()
    {
        QString text = spotLine;
        windows.POPULATE_DXC_WINDOW(text);
    }
};

// state.range(0): appends made before timing starts (0: an empty window; 1000: a full one).
void BM_DxcAppendModel(benchmark::State& state)
{
    DxcWindow w(false);
    for (int64_t i = 0; i < state.range(0); ++i) {
        w.append();
    }
    for (auto _ : state) {
        w.append();
    }
    state.counters["window_chars"] = static_cast<double>(w.windows.TBCluster.length());
}
BENCHMARK(BM_DxcAppendModel)->Arg(0)->Arg(1000)->Iterations(100000)->Unit(benchmark::kMicrosecond);

// A burst: 100,000 lines one after another into the model and its widget, the event loop turned
// after every state.range(1) lines (a received chunk). The widget takes in what arrived once per
// frame, so the burst is painted only a few times (the paints counter) and the time per line is
// mostly the model's: not what one line costs on its own. state.range(0): appends made before
// timing starts.
void BM_DxcBurstAppendWidget(benchmark::State& state)
{
    DxcWindow w(true);
    const int64_t perTurn = state.range(1);
    for (int64_t i = 0; i < state.range(0); ++i) {
        w.append();
    }
    QCoreApplication::processEvents();
    w.painted.paints = 0;
    int64_t inTurn = 0;
    for (auto _ : state) {
        w.append();
        if (++inTurn == perTurn) {
            QCoreApplication::processEvents();
            inTurn = 0;
        }
    }
    QCoreApplication::processEvents();
    state.counters["lines_before"] = static_cast<double>(state.range(0));
    state.counters["lines_per_turn"] = static_cast<double>(perTurn);
    state.counters["paints"] = w.painted.paints;
    state.counters["window_chars"] = static_cast<double>(w.windows.TBCluster.length());
    state.counters["view_chars"] = static_cast<double>(w.view->document()->characterCount() - 1);
}
BENCHMARK(BM_DxcBurstAppendWidget)
    ->Args({0, 1})
    ->Args({1000, 1})
    ->Args({0, 10})
    ->Args({1000, 10})
    ->Iterations(100000)
    ->Unit(benchmark::kMicrosecond);

// One line after a quiet spell, taken in and painted at the end of its own turn of the event loop:
// what a line costs the window when lines come one at a time. state.range(0): appends made before
// timing starts.
void BM_DxcLineAfterQuietSpell(benchmark::State& state)
{
    DxcWindow w(true);
    for (int64_t i = 0; i < state.range(0); ++i) {
        w.append();
    }
    QCoreApplication::processEvents();
    w.painted.paints = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QElapsedTimer quiet;
        quiet.start();
        while (quiet.elapsed() < 25) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        state.ResumeTiming();
        w.append();
        QCoreApplication::processEvents();
    }
    state.counters["lines_before"] = static_cast<double>(state.range(0));
    state.counters["paints"] = w.painted.paints;
    state.counters["view_chars"] = static_cast<double>(w.view->document()->characterCount() - 1);
}
BENCHMARK(BM_DxcLineAfterQuietSpell)->Arg(0)->Arg(1000)->Iterations(200)->Unit(benchmark::kMicrosecond);

void BM_OpenZenthraToWindowShown(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto dir = std::make_unique<QTemporaryDir>();
        state.ResumeTiming();
        zenthra::Application app{zenthra::DataFolder(dir->path())};
        zenthra::MainWindow window(app);
        app.setView(&window);
        app.OPEN_ZENTHRA();
        benchmark::DoNotOptimize(window.isVisible());
        state.PauseTiming();
        window.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenZenthraToWindowShown)->Iterations(20)->Unit(benchmark::kMillisecond);

// The console's table, then for each window filling the burst figures beside the line after a quiet
// spell.
class SideBySide : public benchmark::ConsoleReporter
{
public:
    // Coloured on a terminal only, as the library's own reporter is by default.
    SideBySide() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_Color : OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto before = run.counters.find("lines_before");
            if (run.error_occurred || before == run.counters.end()) {
                continue;
            }
            const bool burst = run.run_name.function_name == "BM_DxcBurstAppendWidget";
            Figure& f = m_figures[int(before->second.value)];
            const double us = run.GetAdjustedRealTime();
            const double paints = run.counters.at("paints").value;
            if (burst) {
                f.bursts.push_back({int(run.counters.at("lines_per_turn").value), us, paints,
                                    static_cast<double>(run.iterations)});
            } else {
                f.quietUs = us;
                f.quietPaints = paints / static_cast<double>(run.iterations);
            }
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const auto& [before, f] : m_figures) {
            std::printf("DXC window holding %d lines:\n", before);
            for (const Burst& b : f.bursts) {
                std::printf("  burst of %.0f lines, the event loop turned after every %d: %.2f us a line,"
                            " painted %.0f times in all\n",
                            b.lines, b.perTurn, b.us, b.paints);
            }
            if (f.quietUs >= 0) {
                std::printf("  a line after a quiet spell, taken in and painted on its own: %.0f us"
                            " (%.1f paints a line)\n",
                            f.quietUs, f.quietPaints);
            }
        }
    }

private:
    struct Burst
    {
        int perTurn;
        double us;
        double paints;
        double lines;
    };
    struct Figure
    {
        std::vector<Burst> bursts;
        double quietUs = -1;
        double quietPaints = 0;
    };
    std::map<int, Figure> m_figures;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Another output format asked for gets the library's own reporter.
    bool console = true;
    for (int i = 1; i < argc; ++i) {
        console = console && (std::strncmp(argv[i], "--benchmark_format=", 19) != 0 ||
                              std::strcmp(argv[i], "--benchmark_format=console") == 0);
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    SideBySide sideBySide;
    if (console) {
        benchmark::RunSpecifiedBenchmarks(&sideBySide);
    } else {
        benchmark::RunSpecifiedBenchmarks();
    }
    benchmark::Shutdown();
    return 0;
}
