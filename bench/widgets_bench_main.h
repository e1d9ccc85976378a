#pragma once

#include <QApplication>
#include <QLoggingCategory>
#include <benchmark/benchmark.h>

// The main of a benchmark that runs the program with its windows: offscreen unless a platform is
// named (xvfb-run and QT_QPA_PLATFORM=xcb measure under X), the program's own log lines silenced
// so that only the figures print.
inline int runWidgetBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false\n*.warning=false"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
