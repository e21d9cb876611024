// Printing and bookmark figures, on the Qt backend (offscreen platform) and, for the bookmarks,
// on the engine alone:
//
//   BM_PreviewFirstPage    Print Preview of the generated 1 MB source: from the command (the
//                          preview window made, the job begun, the pages laid out, the first page
//                          drawn) to the window shown and painted (target: 1 s)
//   BM_Paginate/long:0     the 100 MB source (VELMORA_BENCH_MB) laid out into pages through the
//                          printer's context, as the first page of a job does (target: 5 s);
//                          counters: pages, progress dialog updates, the longest gap between two
//                          updates once the dialog is up (gap_ms)
//   BM_Paginate/long:1     the same text in lines of some 300 characters, every one of which
//                          wraps and so is measured
//   BM_CancelWhilePrinting the 100 MB source printed into a PDF file, Cancel pressed in the
//                          progress dialog 1 s in: cancel_ms from the press to the end of the job,
//                          which leaves no file (target: 100 ms)
//   BM_ToggleBookmark      numbered bookmark 1 set or cleared on the last line of the 100 MB text,
//                          the window there, with the repaint (target: 2 ms)
//   BM_GoToBookmark        from line 0 to the bookmark on the last line, with the repaint: kind 0
//                          the numbered one (Alt+1), kind 1 the next plain one (F2) (target: 2 ms)
//
// For the bookmarks, command_us is the command without the repaint and cpu_us the processor time
// of the whole process (Qt's threads included), which a loaded machine does not inflate.
//
// The bookmark figures run on the engine alone (engine:1, a window backend that draws into
// nothing) and through Qt (engine:0, the paint the event loop does). The parser states of the
// whole text are known before the timing starts, as they are once the user has been at the end.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPrinter>
#include <QProgressDialog>
#include <QTimer>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>

#include "buffer/textbuffer.h"
#include "common/backendwindow.h"
#include "common/benchdoc.h"
#include "common/benchview.h"
#include "common/qtbenchmain.h"
#include "common/z80gen.h"
#include "platform/qt/qt_print.h"
#include "platform/qt/qt_window.h"
#include "view/textview.h"

namespace {

// CPU time of the whole process (Qt's helper threads included), in seconds.
double ProcessCpu() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

using bench::Clock;
using bench::LoadedBuffer;
using bench::Seconds;
using platform::qt::QtWindow;
using Z80BenchView = bench::Z80Colored<CTextView>;

// The editor's default font: "Courier New", 16 units high.
void UseDocumentFont(CTextView& view) {
    platform::LogFont font = view.GetBaseFont();
    font.lfHeight = 16;
    font.SetFaceName("Courier New");
    view.SetBaseFont(font);
}

// `text` written into the run's folder as `name` and loaded; exits when it cannot be.
std::unique_ptr<CTextBuffer> LoadText(const std::string& name, const std::string& text) {
    const std::string path = bench::BenchFile::Get().Folder() + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
    auto buffer = std::make_unique<CTextBuffer>();
    if (!buffer->ReadFromFile(path, LineEndAuto)) {
        std::fprintf(stderr, "load failed: %s\n", buffer->LastFileError().Message().c_str());
        std::exit(1);
    }
    return buffer;
}

// The generated 1 MB source, loaded once.
CTextBuffer& OneMegabyte() {
    static std::unique_ptr<CTextBuffer> buffer =
        LoadText("z80-1mb.asm", GenerateZ80Source(size_t{1} << 20));
    return *buffer;
}

// A view of `buffer` in a shown Qt window.
struct QtScene {
    explicit QtScene(CTextBuffer& buffer) {
        auto made = std::make_unique<Z80BenchView>();
        view = made.get();
        window = std::make_unique<QtWindow>(std::move(made));
        window->resize(1000, 800);
        window->show();
        UseDocumentFont(*view);
        view->ConnectBuffer(&buffer);
        QApplication::processEvents();
    }
    Z80BenchView* view = nullptr;
    std::unique_ptr<QtWindow> window;
};

void BM_PreviewFirstPage(benchmark::State& state) {
    QtScene scene(OneMegabyte());
    platform::qt::QtPrinting printing;
    printing.Printer();
    uint32_t pages = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        platform::qt::QtPreviewWindow preview(printing.Printer(), *scene.view, "z80-1mb.asm",
                                              scene.window.get());
        if (!preview.Start()) {
            state.SkipWithError("the preview did not start");
            return;
        }
        preview.show();
        QApplication::processEvents();
        state.SetIterationTime(Seconds(start));
        pages = preview.PageCount();
    }
    state.counters["pages"] = pages;
    state.counters["lines"] = OneMegabyte().LineCount();
}
BENCHMARK(BM_PreviewFirstPage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The generated 100 MB source with its lines joined in twelves: about 330,000 lines of some 300
// characters, each of which wraps.
CTextBuffer& LongLines() {
    static std::unique_ptr<CTextBuffer> buffer = [] {
        std::string text = GenerateZ80Source(bench::BenchFile::Get().Size());
        size_t breaks = 0;
        for (size_t i = 0; i + 1 < text.size(); ++i) {
            if (text[i] == '\r' && text[i + 1] == '\n' && ++breaks % 12 != 0) {
                text[i] = ' ';
                text[i + 1] = ' ';
            }
        }
        return LoadText("z80-long.asm", text);
    }();
    return *buffer;
}

// The text laid out into pages as the first page of a preview lays it out, through the
// printer's measuring context, with the progress dialog of a real job.
void BM_Paginate(benchmark::State& state) {
    CTextBuffer& text = state.range(0) == 0 ? LoadedBuffer() : LongLines();
    QtScene scene(text);
    platform::qt::QtPrinting printing;
    for (auto _ : state) {
        platform::qt::QtPrintProgress progress(scene.window.get(), "Print");
        platform::qt::QtPrinterDevice device(printing.Printer(), scene.window.get(), &progress,
                                             true);
        platform::PrintPreview job(*scene.view, device);
        std::string error;
        if (!job.Begin("z80.asm", error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        const auto start = Clock::now();
        job.DrawPage(1);
        state.SetIterationTime(Seconds(start));
        job.End();
        state.counters["pages"] = job.PageCount();
        state.counters["updates"] = static_cast<double>(progress.Updates());
        state.counters["gap_ms"] = static_cast<double>(progress.LongestGapMs());
    }
    state.counters["lines"] = text.LineCount();
}
BENCHMARK(BM_Paginate)
    ->ArgName("long")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The whole 100 MB text printed into a PDF file, Cancel pressed in the progress dialog 1 s after
// the start: the time from the press to the end of the job, which must leave no file behind.
void BM_CancelWhilePrinting(benchmark::State& state) {
    QtScene scene(LoadedBuffer());
    platform::qt::QtPrinting printing;
    const std::string pdf = bench::BenchFile::Get().Folder() + "/cancelled.pdf";
    printing.Printer().setOutputFormat(QPrinter::PdfFormat);
    printing.Printer().setOutputFileName(QString::fromStdString(pdf));
    constexpr int kPressAfterMs = 1000;
    for (auto _ : state) {
        platform::qt::QtPrintProgress progress(scene.window.get(), "Print");
        platform::qt::QtPrinterDevice device(printing.Printer(), scene.window.get(), &progress);
        QElapsedTimer clock;
        QTimer press;
        press.setSingleShot(true);
        press.setTimerType(Qt::PreciseTimer);
        QObject::connect(&press, &QTimer::timeout, [&] {
            if (progress.Dialog())
                progress.Dialog()->cancel();
        });
        const auto start = Clock::now();
        clock.start();
        press.start(kPressAfterMs);
        const platform::PrintOutcome outcome =
            platform::RunPrintJob(*scene.view, device, "z80.asm", true);
        // From when the press was due: a timer fires only when the job lets events through.
        const qint64 ended = clock.elapsed();
        state.SetIterationTime(Seconds(start));
        if (outcome.result != platform::PrintResult::Cancelled || std::ifstream(pdf)) {
            state.SkipWithError("the job was not cancelled cleanly");
            return;
        }
        state.counters["cancel_ms"] = static_cast<double>(ended - kPressAfterMs);
        state.counters["pages_done"] = outcome.pages;
        state.counters["updates"] = static_cast<double>(progress.Updates());
        state.counters["gap_ms"] = static_cast<double>(progress.LongestGapMs());
    }
}
BENCHMARK(BM_CancelWhilePrinting)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The view of the 100 MB text on the engine alone or on Qt, with what the message loop does to
// paint after an input.
class BookmarkScene {
public:
    explicit BookmarkScene(bool engine) {
        if (engine) {
            engine_ = std::make_unique<bench::BackendWindow<Z80BenchView>>(false);
            view_ = &engine_->GetView();
            view_->ConnectBuffer(&LoadedBuffer());
        } else {
            qt_ = std::make_unique<QtScene>(LoadedBuffer());
            view_ = qt_->view;
        }
        // At the end once, so that every parser state is known.
        view_->CollapseCaretTo({0, Last()});
        Paint();
    }
    Z80BenchView& View() { return *view_; }
    static int32_t Last() { return LoadedBuffer().LineCount() - 1; }
    void Paint() {
        if (engine_)
            engine_->PaintInvalid();
        else
            QApplication::processEvents();
    }

private:
    std::unique_ptr<bench::BackendWindow<Z80BenchView>> engine_;
    std::unique_ptr<QtScene> qt_;
    Z80BenchView* view_ = nullptr;
};

void BM_ToggleBookmark(benchmark::State& state) {
    BookmarkScene scene(state.range(0) != 0);
    double command = 0;
    double cpu = 0;
    for (auto _ : state) {
        const double cpuStart = ProcessCpu();
        const auto start = Clock::now();
        scene.View().ToggleNumberedBookmark(1);
        command += Seconds(start);
        scene.Paint();
        state.SetIterationTime(Seconds(start));
        cpu += ProcessCpu() - cpuStart;
    }
    state.counters["cpu_us"] = cpu * 1e6 / static_cast<double>(state.iterations());
    scene.View().ClearNumberedBookmarks();
    state.counters["line"] = BookmarkScene::Last();
    state.counters["command_us"] = command * 1e6 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ToggleBookmark)
    ->ArgName("engine")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

void BM_GoToBookmark(benchmark::State& state) {
    BookmarkScene scene(state.range(1) != 0);
    Z80BenchView& view = scene.View();
    const bool plain = state.range(0) != 0;
    double command = 0;
    double cpu = 0;
    if (plain)
        view.TogglePlainBookmark();
    else
        view.ToggleNumberedBookmark(1);
    for (auto _ : state) {
        view.CollapseCaretTo({0, 0});
        scene.Paint();
        const double cpuStart = ProcessCpu();
        const auto start = Clock::now();
        if (plain)
            view.GoToNextPlainBookmark();
        else
            view.GoToNumberedBookmark(1);
        command += Seconds(start);
        scene.Paint();
        state.SetIterationTime(Seconds(start));
        cpu += ProcessCpu() - cpuStart;
        if (view.GetCaretPos().y != BookmarkScene::Last()) {
            state.SkipWithError("the caret is not on the bookmark");
            return;
        }
    }
    view.ClearNumberedBookmarks();
    view.ClearPlainBookmarks();
    state.counters["command_us"] = command * 1e6 / static_cast<double>(state.iterations());
    state.counters["cpu_us"] = cpu * 1e6 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_GoToBookmark)
    ->ArgNames({"kind", "engine"})
    ->ArgsProduct({{0, 1}, {1, 0}})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return bench::RunQtBenchmarks(argc, argv);
}
