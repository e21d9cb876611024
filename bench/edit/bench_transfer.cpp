// Clipboard, cut and mouse figures on the generated 100 MB Z80 source (VELMORA_BENCH_MB to
// change), in an edit view of 200 x 60 cells that colours with the Z80 parser, on the do-nothing
// window backend with an in-memory clipboard (what the engine costs), each followed by the paint:
//
//   BM_SelectAllCopy         Select All, then Copy of the whole text (target: 300 ms)
//   BM_PasteIntoEmpty        Paste of the whole text into an empty document (target: 400 ms)
//   BM_PasteAtTop            Paste of 10 MB (400,000 lines) at line 0 (paste_ms), then its undo
//                            (undo_ms) (target: 150 ms each)
//   BM_CutLines              Cut of 1,000,000 lines from the middle (cut_ms), then its undo
//                            (undo_ms) (target: 200 ms each)
//   BM_AutoScrollTick        one tick of the auto-scroll timer while a mouse selection is extended
//                            below the window near the end of the text: the view scrolls three
//                            lines and the selection grows (target: 2 ms)
//
// The file is generated once per run into a RAM disk folder (/dev/shm, else TMPDIR) and removed at
// exit.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "buffer/textbuffer.h"
#include "common/benchview.h"
#include "common/editscene.h"
#include "edit/editcommandids.h"
#include "view/commandids.h"

namespace {

using bench::Clock;
using bench::EditScene;
using bench::LoadedBuffer;
using bench::Seconds;

void BM_SelectAllCopy(benchmark::State& state) {
    EditScene scene(true);
    for (auto _ : state) {
        const auto start = Clock::now();
        scene.View().OnCommand(view::ID_EDIT_SELECT_ALL);
        scene.View().OnCommand(view::ID_EDIT_COPY);
        scene.Paint();
        state.SetIterationTime(Seconds(start));
        scene.Select({0, 0}, {0, 0});
    }
    std::string held;
    scene.View().GetTextFromClipboard(held);
    state.counters["MB"] = static_cast<double>(held.size()) / (1 << 20);
}
BENCHMARK(BM_SelectAllCopy)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PasteIntoEmpty(benchmark::State& state) {
    // The whole text on the clipboard, as a copy in the loaded text's view puts it there.
    EditScene source(true);
    source.View().SelectWholeText();
    source.View().CopySelection();
    std::string held;
    source.View().GetTextFromClipboard(held);
    for (auto _ : state) {
        CTextBuffer empty;
        empty.ResetToEmpty(LineEndDos);
        EditScene scene(true, empty);
        scene.View().PutTextOnClipboard(held);
        const auto start = Clock::now();
        scene.View().OnCommand(edit::ID_EDIT_PASTE);
        scene.Paint();
        state.SetIterationTime(Seconds(start));
        if (empty.LineCount() != LoadedBuffer().LineCount()) {
            state.SkipWithError("the pasted text has the wrong number of lines");
            break;
        }
        state.PauseTiming();
        scene.View().DisconnectBuffer();
        empty.ReleaseContents();
        state.ResumeTiming();
    }
    state.counters["lines"] = LoadedBuffer().LineCount();
}
BENCHMARK(BM_PasteIntoEmpty)->UseManualTime()->Unit(benchmark::kMillisecond);

// `command` with its paint, true when the text has `lines` lines afterwards.
bool Run(EditScene& scene, uint32_t command, int lines) {
    scene.View().OnCommand(command);
    scene.Paint();
    return LoadedBuffer().LineCount() == lines;
}

void BM_PasteAtTop(benchmark::State& state) {
    constexpr int32_t kLines = 400000;
    EditScene scene(true);
    scene.Select({0, 0}, {0, kLines});
    scene.View().CopySelection();
    const int before = LoadedBuffer().LineCount();
    bench::TimeTwoSteps(
        state, "paste_ms", "undo_ms",
        [&] {
            scene.Select({0, 0}, {0, 0});
        },
        [&] { return Run(scene, edit::ID_EDIT_PASTE, before + kLines); },
        [&] { return Run(scene, edit::ID_EDIT_UNDO, before); }, "the undo left lines behind");
}
BENCHMARK(BM_PasteAtTop)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_CutLines(benchmark::State& state) {
    constexpr int32_t kLines = 1000000;
    EditScene scene(true);
    const int before = LoadedBuffer().LineCount();
    const int32_t from = (before - kLines) / 2;
    bench::TimeTwoSteps(
        state, "cut_ms", "undo_ms",
        [&] {
            scene.Select({0, from}, {0, from + kLines});
        },
        [&] { return Run(scene, edit::ID_EDIT_CUT, before - kLines); },
        [&] { return Run(scene, edit::ID_EDIT_UNDO, before); }, "the undo left the text shorter");
}
BENCHMARK(BM_CutLines)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_AutoScrollTick(benchmark::State& state) {
    EditScene scene(true);
    bench::Z80EditView& view = scene.View();
    const int32_t last = LoadedBuffer().LineCount() - 1;
    // The pointer rests more than a line below the window: three lines a tick.
    const platform::Point below{400, bench::kRows * 16 + 40};
    const auto startSelection = [&] {
        view.OnLButtonUp(0, below);
        // A press inside the last selection would start a drag.
        view.CollapseCaretTo({0, last - 3000});
        view.ScrollToTopLine(last - 3000, true);
        scene.Paint();
        view.OnLButtonDown(platform::MK_LBUTTON, {100, 100});
        scene.Null()->SetCursorPos(below);
        view.OnMouseMove(platform::MK_LBUTTON, below);
        scene.Paint();
    };
    startSelection();
    for (auto _ : state) {
        if (view.GetTopLine() >= last - 3)
            startSelection();
        const int32_t top = view.GetTopLine();
        const auto start = Clock::now();
        view.OnTimer(CTextView::AutoScrollTimerId);
        scene.Paint();
        state.SetIterationTime(Seconds(start));
        if (view.GetTopLine() != top + 3) {
            state.SkipWithError("the tick did not scroll three lines");
            break;
        }
    }
    view.OnLButtonUp(0, below);
}
BENCHMARK(BM_AutoScrollTick)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
