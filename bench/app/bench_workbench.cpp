// The Z80 workbench in the running editor (offscreen Qt platform) on the generated 100 MB source
// (VELMORA_BENCH_MB to change), opened as a document in its window with the label outline dock
// shown and following it:
//
//   BM_FiguresPaneSelection     the figures pane's update for a selection of 100,000 lines made
//                               at once (both ends moved, so every line is summed), through the
//                               frame's command route as the idle update runs it (target: 50 ms)
//   BM_FiguresPaneDragStep      the same pane after the selection grew by one line, as a drag
//                               extends it (only that line is summed)
//   BM_OutlineBuild             the document's outline made afresh (as opening the document
//                               makes it) with the dock following it: from its start to the
//                               complete list in the dock, built in the background while the
//                               window's event loop runs (target: 1 s). stall_ms is the longest
//                               time the UI thread did not get to a 1 ms timer meanwhile and
//                               stall_cpu_ms the most CPU time it spent between two turns (the
//                               rest of a stall is other programs' time on a busy machine);
//                               start_ms the time the start itself took (the outline made, the
//                               first slices copied, the dock's rows reset); ticks counts the
//                               timer's turns
//   BM_OutlineKeystroke/kind:K/filter:F
//                               one character typed and taken back through the edit view with the
//                               outline and the dock following, then undone (target: 1 ms): kind 0
//                               types into the first label's name (renamed), kind 1 a line break on
//                               line 0 (every entry below moves a line); filter 1 with the dock
//                               showing only the names that hold "loop_1" (about 10,000 rows)
//
// The file is generated once per run into a RAM disk folder and removed at exit.
#include <benchmark/benchmark.h>
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/childframe.h"
#include "app/editorapp.h"
#include "app/mainframe.h"
#include "app/outlinedock.h"
#include "app/resources/resourceids.h"
#include "app/sampledoc.h"
#include "app/sampleview.h"
#include "app/workbench.h"
#include "app/z80document.h"
#include "buffer/textbuffer.h"
#include "common/benchdoc.h"
#include "common/qtbenchmain.h"

namespace {

using Clock = std::chrono::steady_clock;

// CPU time of the calling thread in milliseconds.
double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// The editor with the bench file open, the outline dock shown and the outline complete.
class Editor {
public:
    static Editor& Get() {
        if (!instance)
            instance.reset(new Editor);
        return *instance;
    }
    // Before the toolkit goes.
    static void Release() { instance.reset(); }
    app::CEditorApp& App() { return *app_; }
    app::CMainFrame& Main() { return *app_->MainFrame(); }
    app::CSampleDoc& Doc() { return *doc_; }
    app::CSampleView& View() { return *Main().ActiveChild()->ActiveView(); }
    app::Z80Workbench& Bench() { return Main().Workbench(); }
    // Runs the event loop until the outline is complete.
    void WaitForOutline() {
        while (!doc_->Z80().Outline().IsComplete())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        QApplication::processEvents();
    }

private:
    Editor() {
        const std::string& path = bench::BenchFile::Get().Path();
        app_ = std::make_unique<app::CEditorApp>(
            app::AppOptions{settings_.filePath("settings.ini"), nullptr, nullptr});
        if (!app_->InitInstance({QString::fromStdString(path)})) {
            std::fprintf(stderr, "cannot open %s\n", path.c_str());
            std::exit(1);
        }
        doc_ = app_->Documents().front();
        Main().RouteCommand(app::ID_Z80_OUTLINE);
        WaitForOutline();
    }

    static std::unique_ptr<Editor> instance;
    QTemporaryDir settings_;
    std::unique_ptr<app::CEditorApp> app_;
    app::CSampleDoc* doc_ = nullptr;
};

std::unique_ptr<Editor> Editor::instance;

std::string PaneText() {
    CmdUI ui;
    ui.id = app::ID_Z80_INDICATOR_FIGURES;
    ui.element = CmdUI::Element::StatusPane;
    Editor::Get().Main().RouteCommandUI(ui);
    return ui.text ? std::string(*ui.text) : std::string();
}

void Select(app::CSampleView& view, int first, int endLine) {
    view.SetSelectionAnchor({0, first});
    view.MoveCaretTo({0, endLine});
    view.SelectRange({0, first}, {0, endLine});
}

void BM_FiguresPaneSelection(benchmark::State& state) {
    Editor& editor = Editor::Get();
    app::CSampleView& view = editor.View();
    const int first = std::min(1000000, editor.Doc().Buffer().LineCount() / 2);
    std::string text;
    int shift = 0;
    for (auto _ : state) {
        // Both ends move by a line each time, so the whole selection is summed again.
        state.PauseTiming();
        shift ^= 1;
        Select(view, first + shift, first + shift + 100000);
        state.ResumeTiming();
        text = PaneText();
    }
    state.SetLabel(text);
    view.CollapseCaretTo({0, 0});
}
BENCHMARK(BM_FiguresPaneSelection)->Unit(benchmark::kMillisecond);

void BM_FiguresPaneDragStep(benchmark::State& state) {
    Editor& editor = Editor::Get();
    app::CSampleView& view = editor.View();
    const int first = std::min(1000000, editor.Doc().Buffer().LineCount() / 2);
    int end = first + 100000;
    Select(view, first, end);
    std::string text = PaneText();
    for (auto _ : state) {
        state.PauseTiming();
        Select(view, first, ++end);
        state.ResumeTiming();
        text = PaneText();
    }
    state.SetLabel(text);
    view.CollapseCaretTo({0, 0});
}
BENCHMARK(BM_FiguresPaneDragStep)->Unit(benchmark::kMicrosecond)->Iterations(20000);

// A document's outline made afresh, as opening or activating a document makes it, with the dock
// following it.
void BM_OutlineBuild(benchmark::State& state) {
    Editor& editor = Editor::Get();
    app::CSampleDoc& doc = editor.Doc();
    app::OutlineDock& dock = editor.Bench().Outline();
    double worstStall = 0;
    double worstStallCpu = 0;
    double startMs = 0;
    double ticks = 0;
    double rows = 0;
    for (auto _ : state) {
        // The UI thread's stalls: the gaps between the turns of a 1 ms timer.
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(1);
        double stall = 0;
        double stallCpu = 0;
        int turns = 0;
        Clock::time_point last = Clock::now();
        double lastCpu = ThreadCpuMs();
        QObject::connect(&timer, &QTimer::timeout, [&] {
            const Clock::time_point now = Clock::now();
            const double cpu = ThreadCpuMs();
            stall = std::max(stall, std::chrono::duration<double, std::milli>(now - last).count());
            stallCpu = std::max(stallCpu, cpu - lastCpu);
            last = now;
            lastCpu = cpu;
            ++turns;
        });
        const Clock::time_point start = Clock::now();
        auto fresh = std::make_unique<app::Z80Document>(doc, doc.Buffer());
        dock.SetDocument(fresh.get());
        last = Clock::now();
        lastCpu = ThreadCpuMs();
        startMs =
            std::max(startMs, std::chrono::duration<double, std::milli>(last - start).count());
        timer.start();
        while (!fresh->Outline().IsComplete())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        timer.stop();
        QApplication::processEvents();
        worstStall = std::max(worstStall, stall);
        worstStallCpu = std::max(worstStallCpu, stallCpu);
        ticks += turns;
        rows = dock.Model().rowCount();
        dock.SetDocument(&doc.Z80());
    }
    state.counters["stall_ms"] = worstStall;
    state.counters["stall_cpu_ms"] = worstStallCpu;
    state.counters["start_ms"] = startMs;
    state.counters["ticks"] = ticks / static_cast<double>(state.iterations());
    state.counters["rows"] = rows;
}
BENCHMARK(BM_OutlineBuild)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_OutlineKeystroke(benchmark::State& state) {
    Editor& editor = Editor::Get();
    app::CSampleView& view = editor.View();
    const z80::Outline& outline = editor.Doc().Z80().Outline();
    const int kind = static_cast<int>(state.range(0));
    const TextPosition at = kind == 0 ? TextPosition{1, outline.At(0).line} : TextPosition{0, 0};
    const uint32_t ch = kind == 0 ? 'x' : '\r';
    app::OutlineDock& dock = editor.Bench().Outline();
    dock.Model().SetFilter(state.range(1) != 0 ? QStringLiteral("loop_1") : QString());
    double insertNs = 0;
    double deleteNs = 0;
    for (auto _ : state) {
        view.CollapseCaretTo(at);
        const auto t0 = Clock::now();
        view.OnChar(ch, 1);
        const auto t1 = Clock::now();
        view.OnCommand(app::ID_EDIT_UNDO);
        const auto t2 = Clock::now();
        insertNs += std::chrono::duration<double, std::nano>(t1 - t0).count();
        deleteNs += std::chrono::duration<double, std::nano>(t2 - t1).count();
        state.PauseTiming();
        QApplication::processEvents(); // the paint and the dock's update, untimed
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["insert_us"] = insertNs / n / 1e3;
    state.counters["delete_us"] = deleteNs / n / 1e3;
    state.counters["rows"] = dock.Model().rowCount();
    dock.Model().SetFilter({});
}
BENCHMARK(BM_OutlineKeystroke)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"kind", "filter"})
    ->Iterations(500);

} // namespace

int main(int argc, char** argv) {
    return bench::RunQtBenchmarks(argc, argv, [] { Editor::Release(); });
}
