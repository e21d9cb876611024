// Text view figures on the generated 100 MB Z80 source (VELMORA_BENCH_MB to change), loaded into
// a buffer and shown in a view of 200 x 60 cells that colours with the Z80 parser:
//
//   BM_ConnectBuffer          a view connected to the loaded text and painted once: the scroll
//                             range needs the widest line of the whole text
//   BM_FirstPaintAtLastLine   the first paint after jumping to the last line: every parser state
//                             of the text on the way (target: under 0.2 s)
//   BM_Repaint                a repaint of the whole window
//   BM_TypeOnFirstLine        one character inserted on line 0, then the repaint
//   BM_LineBreakOnFirstLine   a line break inserted on line 0, then the repaint
//
// Each runs on two backends: "headless" is the in-memory test backend, which records every
// pixel of the 1620 x 960 window and so costs far more than a real screen; "engine" draws into
// nothing and shows what the view itself costs. The edits run with the window at the top of the
// text (top) and at its end (end), where the lines on screen depend on the parser states of the
// whole text above them. Times are per operation.
//
// The file is generated once per run into a RAM disk folder (/dev/shm, else TMPDIR) and removed
// at exit.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <string_view>

#include "buffer/textbuffer.h"
#include "common/backendwindow.h"
#include "common/benchdoc.h"
#include "common/benchview.h"
#include "syntax/z80parser.h"
#include "view/textview.h"

namespace {

using bench::kRows;
using bench::LoadedBuffer;
using Z80BenchView = bench::Z80Colored<CTextView>;

// A view of the loaded text in a window of one of the two backends.
class Scene {
public:
    explicit Scene(bool headless) : window_(headless) {
        View().ConnectBuffer(&LoadedBuffer());
        Paint();
    }
    Z80BenchView& View() { return window_.GetView(); }
    void Paint() { window_.PaintAll(); }
    int32_t LastTop() const { return LoadedBuffer().LineCount() - kRows; }

private:
    bench::BackendWindow<Z80BenchView> window_;
};

using bench::Clock;
using bench::Seconds;

void BM_ConnectBuffer(benchmark::State& state) {
    for (auto _ : state) {
        bench::BackendWindow<Z80BenchView> window(state.range(0) == 0);
        const auto start = Clock::now();
        window.GetView().ConnectBuffer(&LoadedBuffer());
        window.PaintAll();
        state.SetIterationTime(Seconds(start));
    }
    state.counters["lines"] = LoadedBuffer().LineCount();
}
BENCHMARK(BM_ConnectBuffer)
    ->ArgName("engine")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_FirstPaintAtLastLine(benchmark::State& state) {
    Scene scene(state.range(0) == 0);
    Z80BenchView& view = scene.View();
    for (auto _ : state) {
        view.ScrollToTopLine(0, true);
        view.ForgetParserStates();
        // The jump scrolls the window and paints what it uncovered: the whole window.
        const auto start = Clock::now();
        view.ScrollToTopLine(scene.LastTop(), true);
        state.SetIterationTime(Seconds(start));
    }
    state.counters["lines"] = LoadedBuffer().LineCount();
}
BENCHMARK(BM_FirstPaintAtLastLine)
    ->ArgName("engine")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// The parser states of every line through the view's cache, and the same parse straight over
// the buffer's lines with no view: the difference is what the cache and the hook cost.
void BM_StatePass(benchmark::State& state) {
    Scene scene(false);
    Z80BenchView& view = scene.View();
    CTextBuffer& buffer = LoadedBuffer();
    const int32_t last = buffer.LineCount() - 1;
    for (auto _ : state) {
        uint32_t result = 0;
        if (state.range(0) != 0) {
            view.ForgetParserStates();
            result = view.GetParserStateAfter(last);
        } else {
            for (int32_t i = 0; i <= last; ++i) {
                int32_t unused = 0;
                result = ColorizeZ80Line(result, buffer.LineText(i), nullptr, unused);
            }
        }
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_StatePass)->ArgName("view")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Repaint(benchmark::State& state) {
    Scene scene(state.range(0) == 0);
    scene.View().ScrollToTopLine(LoadedBuffer().LineCount() / 2, true);
    scene.Paint();
    for (auto _ : state)
        scene.Paint();
}
BENCHMARK(BM_Repaint)->ArgName("engine")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// An edit on line 0 and the repaint, with the window at the top or at the end of the text.
void InsertAndRepaint(benchmark::State& state, std::string_view text) {
    Scene scene(state.range(0) == 0);
    if (state.range(1) != 0)
        scene.View().ScrollToTopLine(scene.LastTop(), true);
    scene.Paint();
    bench::InsertAtTopAndPaint(state, text, [&] { scene.Paint(); });
}

void BM_TypeOnFirstLine(benchmark::State& state) {
    InsertAndRepaint(state, "x");
}
BENCHMARK(BM_TypeOnFirstLine)
    ->ArgNames({"engine", "end"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

void BM_LineBreakOnFirstLine(benchmark::State& state) {
    InsertAndRepaint(state, "\r\n");
}
BENCHMARK(BM_LineBreakOnFirstLine)
    ->ArgNames({"engine", "end"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
