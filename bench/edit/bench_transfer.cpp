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
#include "common/backendwindow.h"
#include "common/benchdoc.h"
#include "common/benchview.h"
#include "edit/editcommandids.h"
#include "edit/editview.h"
#include "view/commandids.h"

namespace {

using bench::Clock;
using bench::LoadedBuffer;
using bench::Seconds;
using Z80EditView = bench::Z80Colored<CTextEditView>;

// An edit view on the null backend, focused, on `buffer`.
class Scene {
public:
    explicit Scene(CTextBuffer& buffer) : window_(false) {
        View().ConnectBuffer(&buffer);
        View().OnSetFocus(nullptr);
        Paint();
    }
    Z80EditView& View() { return window_.GetView(); }
    void Paint() { window_.PaintInvalid(); }
    nullbackend::NullWindow& Window() { return *window_.Null(); }
    // Selects from `from` to `to`, caret at `to`.
    void Select(TextPosition from, TextPosition to) {
        View().CollapseCaretTo(from);
        View().SelectRange(from, to);
        View().MoveCaretTo(to);
        Paint();
    }

private:
    bench::BackendWindow<Z80EditView> window_;
};

double Ms(Clock::time_point from) {
    return Seconds(from) * 1e3;
}

void BM_SelectAllCopy(benchmark::State& state) {
    Scene scene(LoadedBuffer());
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
    Scene source(LoadedBuffer());
    source.View().SelectWholeText();
    source.View().CopySelection();
    std::string held;
    source.View().GetTextFromClipboard(held);
    for (auto _ : state) {
        CTextBuffer empty;
        empty.ResetToEmpty(LineEndDos);
        Scene scene(empty);
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

void BM_PasteAtTop(benchmark::State& state) {
    constexpr int32_t kLines = 400000;
    CTextBuffer& buffer = LoadedBuffer();
    Scene scene(buffer);
    scene.Select({0, 0}, {0, kLines});
    scene.View().CopySelection();
    std::string held;
    scene.View().GetTextFromClipboard(held);
    const int before = buffer.LineCount();
    double pasteMs = 0;
    double undoMs = 0;
    for (auto _ : state) {
        scene.Select({0, 0}, {0, 0});
        auto start = Clock::now();
        scene.View().OnCommand(edit::ID_EDIT_PASTE);
        scene.Paint();
        const double paste = Ms(start);
        start = Clock::now();
        scene.View().OnCommand(edit::ID_EDIT_UNDO);
        scene.Paint();
        const double undo = Ms(start);
        state.SetIterationTime((paste + undo) / 1e3);
        pasteMs += paste;
        undoMs += undo;
        if (buffer.LineCount() != before) {
            state.SkipWithError("the undo left lines behind");
            break;
        }
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["paste_ms"] = pasteMs / n;
    state.counters["undo_ms"] = undoMs / n;
    state.counters["MB"] = static_cast<double>(held.size()) / (1 << 20);
}
BENCHMARK(BM_PasteAtTop)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_CutLines(benchmark::State& state) {
    constexpr int32_t kLines = 1000000;
    CTextBuffer& buffer = LoadedBuffer();
    Scene scene(buffer);
    const int32_t from = (buffer.LineCount() - kLines) / 2;
    const int before = buffer.LineCount();
    double cutMs = 0;
    double undoMs = 0;
    for (auto _ : state) {
        scene.Select({0, from}, {0, from + kLines});
        auto start = Clock::now();
        scene.View().OnCommand(edit::ID_EDIT_CUT);
        scene.Paint();
        const double cut = Ms(start);
        start = Clock::now();
        scene.View().OnCommand(edit::ID_EDIT_UNDO);
        scene.Paint();
        const double undo = Ms(start);
        state.SetIterationTime((cut + undo) / 1e3);
        cutMs += cut;
        undoMs += undo;
        if (buffer.LineCount() != before) {
            state.SkipWithError("the undo left the text shorter");
            break;
        }
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["cut_ms"] = cutMs / n;
    state.counters["undo_ms"] = undoMs / n;
}
BENCHMARK(BM_CutLines)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_AutoScrollTick(benchmark::State& state) {
    CTextBuffer& buffer = LoadedBuffer();
    Scene scene(buffer);
    Z80EditView& view = scene.View();
    const int32_t last = buffer.LineCount() - 1;
    // The pointer rests more than a line below the window: three lines a tick.
    const platform::Point below{400, bench::kRows * 16 + 40};
    const auto startSelection = [&] {
        view.OnLButtonUp(0, below);
        // A press inside the last selection would start a drag.
        view.CollapseCaretTo({0, last - 3000});
        view.ScrollToTopLine(last - 3000, true);
        scene.Paint();
        view.OnLButtonDown(platform::MK_LBUTTON, {100, 100});
        scene.Window().SetCursorPos(below);
        view.OnMouseMove(platform::MK_LBUTTON, below);
        scene.Paint();
    };
    startSelection();
    for (auto _ : state) {
        if (view.GetTopLine() >= last - 3)
            startSelection();
        const int32_t top = view.GetTopLine();
        const auto start = Clock::now();
        view.OnTimer(CTextView::kAutoScrollTimerId);
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
