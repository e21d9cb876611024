// Edit view figures on the generated 100 MB Z80 source (VELMORA_BENCH_MB to change), loaded into
// a buffer and shown in an edit view of 200 x 60 cells that colours with the Z80 parser:
//
//   BM_TypeAtTop          10,000 characters typed at the top of the text through the view's
//                         character handler, with a paint after each; the time is the median
//                         keystroke, p90_us and max_us the slower ones (target: 2 ms)
//   BM_BlockIndent/N      Tab over a selection of N whole lines at the top, and the paint after
//                         it (targets: 100,000 lines within 1 s, 1,000 lines within 20 ms)
//   BM_UndoBlockIndent    undoing the indent of 1,000 lines, and the paint (target: 20 ms)
//   BM_TypingJournalCost  the same 10,000 keystrokes (and paints) typed once without and once
//                         with the crash-recovery journal kept as the editor keeps it (a frame
//                         per change, appended at most once a second and synced by the
//                         journal's own thread, in a folder of TMPDIR or /tmp); plain_ms and
//                         journal_ms are the totals, cost_pct what the journal adds (target: at
//                         most 5%)
//
// "engine" 1 draws into nothing (what the engine costs), 0 is the headless test backend, which
// records every pixel of the 1620 x 960 window. The file is generated once per run into a RAM
// disk folder (/dev/shm, else TMPDIR) and removed at exit.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "buffer/journal.h"
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

// Total seconds of `keys` keystrokes typed at the top, each with its paint; the typed text is
// taken away again afterwards, untimed.
double TypeAtTop(Scene& scene, int keys) {
    const std::string typed = "ld a,(ix+5) ; ";
    Z80EditView& view = scene.View();
    view.CollapseCaretTo({0, 0});
    scene.Paint();
    double total = 0;
    for (int i = 0; i < keys; ++i) {
        const auto start = Clock::now();
        view.OnChar(static_cast<unsigned char>(typed[static_cast<size_t>(i) % typed.size()]), 1);
        scene.Paint();
        total += Seconds(start);
    }
    LoadedBuffer().ApplyDelete(nullptr, 0, 0, 0, keys);
    scene.Paint();
    return total;
}

void BM_TypingJournalCost(benchmark::State& state) {
    constexpr int kKeys = 10000;
    Scene scene(true);
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder =
        std::string(tmp && *tmp ? tmp : "/tmp") + "/velmora-bench-journal-" +
        std::to_string(static_cast<long long>(Clock::now().time_since_epoch().count()));
    for (auto _ : state) {
        // Rounds of each, one after the other, so that both meet the same machine; the best
        // round of each counts.
        double plain = 1e9;
        double journaled = 1e9;
        for (int round = 0; round < 3; ++round) {
            plain = std::min(plain, TypeAtTop(scene, kKeys));
            // The document was loaded from its file: the journal leans on the file, as the
            // editor's does for a text this big.
            JournalWriter::Options options;
            options.folder = folder;
            JournalWriter writer(LoadedBuffer(), options);
            JournalBase base;
            base.path = bench::BenchFile::Get().Path();
            base.kind = JournalBaseKind::File;
            ReadFileIdentity(FileSystem::Native(), base.path, true, base.identity);
            writer.SetBase(base);
            journaled = std::min(journaled, TypeAtTop(scene, kKeys));
            writer.Discard();
        }
        state.SetIterationTime(journaled);
        state.counters["plain_ms"] = plain * 1e3;
        state.counters["journal_ms"] = journaled * 1e3;
        state.counters["cost_pct"] = (journaled - plain) / plain * 100;
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_TypingJournalCost)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

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
