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
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "buffer/textbuffer.h"
#include "common/z80gen.h"
#include "edit/editcommandids.h"
#include "edit/editview.h"
#include "platform/headless/headless.h"
#include "syntax/z80parser.h"
#include "view/null_backend.h"

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
        std::string pattern = base + "/velmora-bench-edit-XXXXXX";
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

class Z80EditView : public CTextEditView {
public:
    uint32_t ColorizeLine(uint32_t state, int32_t line, TextBlock* blocks,
                          int32_t& count) override {
        return ColorizeZ80Line(state, GetLineText(line), TextLineLength(line), blocks, count);
    }
};

// An edit view of the loaded text in a window of one of the two backends, focused.
class Scene {
public:
    explicit Scene(bool engine) {
        auto made = std::make_unique<Z80EditView>();
        view_ = made.get();
        if (engine) {
            null_ = std::make_unique<nullbackend::NullWindow>(std::move(made), kWindow);
        } else {
            headless_ = std::make_unique<platform::headless::HeadlessWindow>(
                system_, std::move(made), kWindow);
            headless_->Focus();
        }
        view_->ConnectBuffer(&LoadedBuffer());
        view_->OnSetFocus(nullptr);
        Paint();
    }
    Z80EditView& View() { return *view_; }
    // Paints what is invalid, as the message loop does after each input.
    void Paint() {
        if (headless_)
            headless_->Paint();
        else
            null_->UpdateWindow();
    }
    void Select(TextPosition from, TextPosition to) {
        view_->CollapseCaretTo(from);
        view_->SelectRange(from, to);
        view_->MoveCaretTo(to);
        Paint();
    }

private:
    platform::headless::HeadlessSystem system_;
    std::unique_ptr<platform::headless::HeadlessWindow> headless_;
    std::unique_ptr<nullbackend::NullWindow> null_;
    Z80EditView* view_ = nullptr;
};

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

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
