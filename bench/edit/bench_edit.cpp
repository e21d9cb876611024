// Edit view figures on the generated 100 MB Z80 source (VELMORA_BENCH_MB to change), loaded into
// a buffer and shown in an edit view of 200 x 60 cells that colours with the Z80 parser:
//
//   BM_TypeAtTop          10,000 characters typed at the top of the text through the view's
//                         character handler, with a paint after each; the time is the median
//                         keystroke, p90_us and max_us the slower ones (target: 2 ms)
//   BM_BlockIndent/N      Tab over a selection of N whole lines at the top, and the paint after
//                         it (targets: 100,000 lines within 1 s, 1,000 lines within 20 ms)
//   BM_UndoBlockIndent    undoing the indent of 1,000 lines, and the paint (target: 20 ms)
//
// "engine" 1 draws into nothing (what the engine costs), 0 is the headless test backend, which
// records every pixel of the 1620 x 960 window. The file is generated once per run into a RAM
// disk folder (/dev/shm, else TMPDIR) and removed at exit.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "buffer/textbuffer.h"
#include "common/benchdoc.h"
#include "common/benchview.h"
#include "common/editscene.h"
#include "edit/editcommandids.h"

namespace {

using bench::LoadedBuffer;
using bench::Z80EditView;
using Scene = bench::EditScene;

using bench::Clock;
using bench::Seconds;

void BM_TypeAtTop(benchmark::State& state) {
    constexpr int kKeys = 10000;
    const std::string typed = "ld a,(ix+5) ; ";
    Scene scene(state.range(0) != 0);
    Z80EditView& view = scene.View();
    std::vector<double> times(kKeys);
    for (auto _ : state) {
        view.CollapseCaretTo({0, 0});
        scene.Paint();
        for (int i = 0; i < kKeys; ++i) {
            const auto start = Clock::now();
            view.OnChar(static_cast<unsigned char>(typed[static_cast<size_t>(i) % typed.size()]),
                        1);
            scene.Paint();
            times[static_cast<size_t>(i)] = Seconds(start);
        }
        std::vector<double> sorted = times;
        std::sort(sorted.begin(), sorted.end());
        state.SetIterationTime(sorted[sorted.size() / 2]);
        state.counters["p90_us"] = sorted[sorted.size() * 9 / 10] * 1e6;
        state.counters["max_us"] = sorted.back() * 1e6;
        // The typed text goes again, outside the figures.
        LoadedBuffer().ApplyDelete(nullptr, 0, 0, 0, kKeys);
        scene.Paint();
    }
}
BENCHMARK(BM_TypeAtTop)
    ->ArgName("engine")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMicrosecond);

// Tab over lines [0, n) selected whole; the unindent that restores them is not timed.
void BM_BlockIndent(benchmark::State& state) {
    const auto lines = static_cast<int32_t>(state.range(0));
    Scene scene(state.range(1) != 0);
    Z80EditView& view = scene.View();
    for (auto _ : state) {
        scene.Select({0, 0}, {0, lines});
        const auto start = Clock::now();
        view.OnCommand(edit::ID_EDIT_TAB);
        scene.Paint();
        state.SetIterationTime(Seconds(start));
        view.OnCommand(edit::ID_EDIT_UNTAB);
        scene.Paint();
    }
    state.counters["lines"] = lines;
}
BENCHMARK(BM_BlockIndent)
    ->ArgNames({"lines", "engine"})
    ->ArgsProduct({{1000, 100000}, {1, 0}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Undo of the indent of 1,000 lines; the indent itself is not timed.
void BM_UndoBlockIndent(benchmark::State& state) {
    constexpr int32_t kLines = 1000;
    Scene scene(state.range(0) != 0);
    Z80EditView& view = scene.View();
    for (auto _ : state) {
        const int length = LoadedBuffer().LineLength(0);
        scene.Select({0, 0}, {0, kLines});
        view.OnCommand(edit::ID_EDIT_TAB);
        scene.Paint();
        const auto start = Clock::now();
        view.OnCommand(edit::ID_EDIT_UNDO);
        scene.Paint();
        state.SetIterationTime(Seconds(start));
        if (LoadedBuffer().LineLength(0) != length) {
            state.SkipWithError("undo did not remove the indent");
            break;
        }
    }
}
BENCHMARK(BM_UndoBlockIndent)
    ->ArgName("engine")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
