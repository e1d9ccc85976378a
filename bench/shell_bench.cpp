// Appending spot lines to the DXC window (model alone, and model with its text widget shown), and
// start-up to the main window shown on an empty data folder.

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
#include <memory>

namespace {

const QString spotLine =
    QStringLiteral("DX de G4ABC:     50110.0  EA3XYZ       es 559 in JN01 tnx QSO           1412Z IO91");

struct DxcWindow
{
    zenthra::OptionsModel options;
    zenthra::TextWindows windows{options, [] { return QDateTime::currentDateTimeUtc(); }};
    std::unique_ptr<QPlainTextEdit> view;

    explicit DxcWindow(bool withWidget)
    {
        options.sngWindowBuffer = 10000;
        if (withWidget) {
            view.reset(zenthra::makeTextView(QStringLiteral("TBCluster")));
            view->resize(800, 500);
            zenthra::bindTextView(windows.TBCluster, view.get());
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

// The model and its widget. state.range(0): appends made before timing starts;
// state.range(1): lines appended in one turn of the event loop (a received chunk), after which
// the widget takes them in. Time is per line.
void BM_DxcAppendWidget(benchmark::State& state)
{
    DxcWindow w(true);
    const int64_t perTurn = state.range(1);
    for (int64_t i = 0; i < state.range(0); ++i) {
        w.append();
    }
    QCoreApplication::processEvents();
    int64_t inTurn = 0;
    for (auto _ : state) {
        w.append();
        if (++inTurn == perTurn) {
            QCoreApplication::processEvents();
            inTurn = 0;
        }
    }
    QCoreApplication::processEvents();
    state.counters["window_chars"] = static_cast<double>(w.windows.TBCluster.length());
    state.counters["view_chars"] = static_cast<double>(w.view->document()->characterCount() - 1);
}
BENCHMARK(BM_DxcAppendWidget)
    ->Args({0, 1})
    ->Args({1000, 1})
    ->Args({0, 10})
    ->Args({1000, 10})
    ->Iterations(100000)
    ->Unit(benchmark::kMicrosecond);

// One line after a quiet spell, taken in and painted at the end of its own turn of the event loop
// (the widget shows the lines of a stream once per frame, so the rows above measure a stream of
// lone lines, one per turn). state.range(0): appends made before timing starts.
void BM_DxcLoneLineAfterQuiet(benchmark::State& state)
{
    DxcWindow w(true);
    for (int64_t i = 0; i < state.range(0); ++i) {
        w.append();
    }
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
    state.counters["view_chars"] = static_cast<double>(w.view->document()->characterCount() - 1);
}
BENCHMARK(BM_DxcLoneLineAfterQuiet)->Arg(0)->Arg(1000)->Iterations(200)->Unit(benchmark::kMicrosecond);

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

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
