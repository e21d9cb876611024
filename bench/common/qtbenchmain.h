// The main of the benchmark programs that paint through Qt: a QApplication on the offscreen
// platform unless QT_QPA_PLATFORM says otherwise, then every benchmark the command line selects.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <functional>

namespace bench {

// `atEnd` runs after the benchmarks, while the toolkit still exists (to let go of windows).
inline int RunQtBenchmarks(int argc, char** argv, const std::function<void()>& atEnd = {}) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (atEnd)
        atEnd();
    return 0;
}

} // namespace bench
