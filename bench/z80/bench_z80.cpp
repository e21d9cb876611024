// The Z80 workbench on the generated 100 MB source (VELMORA_BENCH_MB to change): the bytes and
// T-states of a 100,000-line selection, the label outline built in the background, and the cost
// of one keystroke for the outline.
//
// The file is generated once per run into a RAM disk folder (/dev/shm, else TMPDIR) and removed
// at exit.
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "buffer/textbuffer.h"
#include "common/benchdoc.h"
#include "syntax/z80parser.h"
#include "z80/z80figures.h"
#include "z80/z80outline.h"

namespace {

using bench::LoadedBuffer;
using Clock = std::chrono::steady_clock;

// CPU time of the calling thread in milliseconds.
double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// The colouring state at the start of `line`, walked from the top.
uint32_t StateAt(const CTextBuffer& buffer, int line) {
    uint32_t state = 0;
    int unused = 0;
    for (int i = 0; i < line; ++i)
        state = ColorizeZ80Line(state, buffer.LineText(i), nullptr, unused);
    return state;
}

// Bytes and T-states of 100,000 selected lines from the middle of the text, as the status pane
// computes them for a selection made at once (target: at most 50 ms).
void BM_SelectionFigures(benchmark::State& state) {
    const CTextBuffer& buffer = LoadedBuffer();
    const int first = std::min(1000000, buffer.LineCount() / 2);
    const int last = std::min(first + 99999, buffer.LineCount() - 1);
    const uint32_t start = StateAt(buffer, first);
    z80::SelectionFigures sum;
    for (auto _ : state) {
        sum = z80::SumLines(buffer, first, last, start);
        benchmark::DoNotOptimize(sum);
    }
    state.counters["lines"] = static_cast<double>(sum.lines);
    state.counters["bytes"] = static_cast<double>(sum.bytes);
    state.counters["uncounted"] = static_cast<double>(sum.uncounted);
}
BENCHMARK(BM_SelectionFigures)->Unit(benchmark::kMillisecond);

// The outline of the whole text built in the background: from attaching it to the complete
// outline, with slices merged as soon as the worker hands them back (target: at most 1 s).
// ui_cpu_ms is the CPU time the calling (UI) thread spent meanwhile: copying slices and
// merging results; the rest of the time it was free.
void BM_OutlineInBackground(benchmark::State& state) {
    CTextBuffer& buffer = LoadedBuffer();
    double uiMs = 0;
    int entries = 0;
    for (auto _ : state) {
        const double cpu0 = ThreadCpuMs();
        auto outline = std::make_unique<z80::Outline>(buffer, [] {});
        outline->WaitUntilComplete();
        uiMs += ThreadCpuMs() - cpu0;
        entries = outline->Count();
        state.PauseTiming();
        outline.reset();
        state.ResumeTiming();
    }
    state.counters["ui_cpu_ms"] = uiMs / static_cast<double>(state.iterations());
    state.counters["entries"] = entries;
    state.counters["lines"] = buffer.LineCount();
}
BENCHMARK(BM_OutlineInBackground)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// The same scan done at once on one thread, for comparison.
void BM_OutlineAtOnce(benchmark::State& state) {
    CTextBuffer& buffer = LoadedBuffer();
    for (auto _ : state) {
        auto outline = std::make_unique<z80::Outline>(buffer);
        benchmark::DoNotOptimize(outline->Count());
        state.PauseTiming();
        outline.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OutlineAtOnce)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// One keystroke on the 4-million-line text with the complete outline attached, typed and then
// taken back: the buffer's edit with the outline's update in it. insert_us and delete_us per
// edit; with attached:0 the same edits without an outline, so the difference is the outline's
// share (target: at most 1 ms).
//   kind:0  a character typed into the name of the first label (it is renamed)
//   kind:1  a line break typed on line 0 (every entry below moves down a line)
//   kind:2  "/*" typed at the start of line 0 (the lines down to the next "*/" are rescanned)
void BM_OutlineKeystroke(benchmark::State& state) {
    CTextBuffer& buffer = LoadedBuffer();
    const int kind = static_cast<int>(state.range(0));
    std::unique_ptr<z80::Outline> outline;
    if (state.range(1))
        outline = std::make_unique<z80::Outline>(buffer);
    int line = 0;
    int ch = 0;
    std::string_view text = "/*";
    if (kind == 0) {
        z80::Outline probe(buffer);
        line = probe.At(0).line;
        ch = 1;
        text = "x";
    } else if (kind == 1) {
        text = "\r\n";
    }
    double insertNs = 0;
    double deleteNs = 0;
    for (auto _ : state) {
        int endLine = 0;
        int endChar = 0;
        const auto t0 = Clock::now();
        buffer.InsertRecorded(nullptr, line, ch, text, endLine, endChar, ActionTyping);
        const auto t1 = Clock::now();
        buffer.DeleteRecorded(nullptr, line, ch, endLine, endChar, ActionBackspace);
        const auto t2 = Clock::now();
        insertNs += std::chrono::duration<double, std::nano>(t1 - t0).count();
        deleteNs += std::chrono::duration<double, std::nano>(t2 - t1).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["insert_us"] = insertNs / n / 1e3;
    state.counters["delete_us"] = deleteNs / n / 1e3;
    if (outline)
        state.counters["entries"] = outline->Count();
}
BENCHMARK(BM_OutlineKeystroke)
    ->ArgsProduct({{0, 1, 2}, {1, 0}})
    ->ArgNames({"kind", "attached"})
    ->Iterations(2000);

// Go to definition and the outline's filter on the complete outline of the whole text: both walk
// every entry.
void BM_OutlineLookup(benchmark::State& state) {
    CTextBuffer& buffer = LoadedBuffer();
    const z80::Outline outline(buffer);
    const std::string name(outline.At(outline.Count() - 1).name);
    const bool filter = state.range(0) != 0;
    size_t found = 0;
    for (auto _ : state) {
        if (filter)
            found = outline.Filter("loop_1").size();
        else
            found = static_cast<size_t>(outline.FindDefinition(name, buffer.LineCount() / 2));
        benchmark::DoNotOptimize(found);
    }
    state.counters["entries"] = outline.Count();
    state.counters[filter ? "matches" : "line"] = static_cast<double>(found);
}
BENCHMARK(BM_OutlineLookup)->Arg(0)->Arg(1)->ArgName("filter")->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
