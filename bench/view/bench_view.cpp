// Text view figures on the generated 100 MB Z80 source (VELMORA_BENCH_MB to change), loaded into
// a buffer and shown in a view of 200 x 60 cells that colours with the Z80 parser:
//
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
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "buffer/textbuffer.h"
#include "common/z80gen.h"
#include "null_backend.h"
#include "platform/headless/headless.h"
#include "syntax/z80parser.h"
#include "view/textview.h"

namespace {

constexpr int32_t kColumns = 200;
constexpr int32_t kRows = 60;
constexpr platform::Size kWindow{CTextView::kMarginPixels + kColumns * 8, kRows * 16};

class BenchFile {
public:
    static BenchFile& Get() {
        static BenchFile file;
        return file;
    }
    const std::string& Path() const { return path_; }
    BenchFile(const BenchFile&) = delete;
    BenchFile& operator=(const BenchFile&) = delete;
    ~BenchFile() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

private:
    BenchFile() {
        std::string base = "/dev/shm";
        if (::access(base.c_str(), W_OK) != 0) {
            const char* tmp = std::getenv("TMPDIR");
            base = tmp && *tmp ? tmp : "/tmp";
        }
        std::string pattern = base + "/velmora-bench-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        dir_ = pattern;
        path_ = dir_ + "/z80.asm";
        double mb = 100;
        if (const char* env = std::getenv("VELMORA_BENCH_MB"))
            mb = std::atof(env);
        const std::string text = GenerateZ80Source(static_cast<size_t>(mb * 1024 * 1024));
        std::ofstream(path_, std::ios::binary)
            .write(text.data(), static_cast<std::streamsize>(text.size()));
    }

    std::string dir_;
    std::string path_;
};

CTextBuffer& LoadedBuffer() {
    static std::unique_ptr<CTextBuffer> buffer = [] {
        auto b = std::make_unique<CTextBuffer>();
        if (!b->ReadFromFile(BenchFile::Get().Path(), LineEndAuto)) {
            std::fprintf(stderr, "load failed: %s\n", b->LastFileError().Message().c_str());
            std::exit(1);
        }
        return b;
    }();
    return *buffer;
}

// The application's colouring: the Z80 parser in the parse hook.
class Z80BenchView : public CTextView {
public:
    uint32_t ColorizeLine(uint32_t state, int32_t line, TextBlock* blocks,
                          int32_t& count) override {
        return ColorizeZ80Line(state, GetLineText(line), TextLineLength(line), blocks, count);
    }
    void ForgetParserStates() { parserStates.Clear(); }
};

// A view of the loaded text in a window of one of the two backends.
class Scene {
public:
    explicit Scene(bool headless) {
        auto made = std::make_unique<Z80BenchView>();
        view_ = made.get();
        if (headless)
            headless_ = std::make_unique<platform::headless::HeadlessWindow>(
                headlessSystem_, std::move(made), kWindow);
        else
            null_ = std::make_unique<nullbackend::NullWindow>(std::move(made), kWindow);
        view_->ConnectBuffer(&LoadedBuffer());
        Paint();
    }
    Z80BenchView& View() { return *view_; }
    void Paint() {
        if (headless_) {
            headless_->InvalidateRect(nullptr, false);
            headless_->Paint();
        } else {
            null_->InvalidateRect(nullptr, false);
            null_->UpdateWindow();
        }
    }
    int32_t LastTop() const { return LoadedBuffer().LineCount() - kRows; }

private:
    platform::headless::HeadlessSystem headlessSystem_;
    std::unique_ptr<platform::headless::HeadlessWindow> headless_;
    std::unique_ptr<nullbackend::NullWindow> null_;
    Z80BenchView* view_ = nullptr;
};

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

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

// An edit on line 0 and the repaint, timed; undoing it and the repaint after that are not.
template <typename Edit, typename Undo>
void EditAndRepaint(benchmark::State& state, Edit edit, Undo undo) {
    Scene scene(state.range(0) == 0);
    if (state.range(1) != 0)
        scene.View().ScrollToTopLine(scene.LastTop(), true);
    scene.Paint();
    for (auto _ : state) {
        const auto start = Clock::now();
        edit();
        scene.Paint();
        state.SetIterationTime(Seconds(start));
        undo();
        scene.Paint();
    }
}

void BM_TypeOnFirstLine(benchmark::State& state) {
    CTextBuffer& buffer = LoadedBuffer();
    EditAndRepaint(
        state,
        [&] {
            int line = 0;
            int ch = 0;
            buffer.ApplyInsert(nullptr, 0, 0, "x", line, ch);
        },
        [&] { buffer.ApplyDelete(nullptr, 0, 0, 0, 1); });
}
BENCHMARK(BM_TypeOnFirstLine)
    ->ArgNames({"engine", "end"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

void BM_LineBreakOnFirstLine(benchmark::State& state) {
    CTextBuffer& buffer = LoadedBuffer();
    EditAndRepaint(
        state,
        [&] {
            int line = 0;
            int ch = 0;
            buffer.ApplyInsert(nullptr, 0, 0, "\r\n", line, ch);
        },
        [&] { buffer.ApplyDelete(nullptr, 0, 0, 1, 0); });
}
BENCHMARK(BM_LineBreakOnFirstLine)
    ->ArgNames({"engine", "end"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
