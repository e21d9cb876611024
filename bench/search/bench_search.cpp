// Search figures on the generated 100 MB Z80 source (VELMORA_BENCH_MB to change), loaded into a
// buffer and shown in an edit view of 200 x 60 cells that colours with the Z80 parser, drawing
// into nothing (what the engine costs):
//
//   BM_FindNextLastLine      Find Next (F3) from line 0 without match case, the only match on the
//                            last line, and the paint after it (target: 100 ms)
//   BM_ReplaceAll            Replace All of "ld " by "LD " in the whole file through the Replace
//                            dialog, and the paint (target: 1 s); undo_ms and redo_ms the Undo and
//                            the Redo of it with their paints (1 s each); peak_mb the resident
//                            memory above that before, at its highest during Replace All (at most
//                            the document's size); matches the number of replacements
//   BM_LoadReplaceAllSave    a fresh load of the file, Replace All as above, and the save: what a
//                            user waits for from opening to saved
//
// The file is generated once per run into a RAM disk folder (/dev/shm, else TMPDIR) and removed
// at exit.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "app/resources/dialogs.h"
#include "buffer/textbuffer.h"
#include "common/backendwindow.h"
#include "common/benchdoc.h"
#include "common/benchview.h"
#include "edit/dialogids.h"
#include "edit/editview.h"
#include "platform/headless/headless_dialog.h"

namespace {

using bench::Clock;
using bench::LoadedBuffer;
using bench::Seconds;
using Z80EditView = bench::Z80Colored<CTextEditView>;

constexpr const char* kSentinel = "Velmora_Search_Sentinel";

// Resident memory and its peak in bytes, from /proc/self/status.
size_t StatusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0)
            return std::stoull(line.substr(length + 1)) * 1024;
    return 0;
}

// Starts a new peak: the kernel resets VmHWM to the current resident size.
void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// An edit view on `buffer` that runs its dialogs headless, pressing `button` in each.
class Scene {
public:
    Scene(CTextBuffer& buffer, int32_t button) : window_(false), shell_(&app::FindDialogTemplate) {
        shell_.script = [button](platform::headless::HeadlessDialog& d) {
            d.Type(edit::IDC_FIND_WHAT, "ld ");
            d.Type(edit::IDC_REPLACE_WITH, "LD ");
            d.Click(edit::IDC_SCOPE_WHOLE_FILE);
            d.Click(button);
        };
        View().SetShellServices(&shell_);
        View().ConnectBuffer(&buffer);
        View().OnSetFocus(nullptr);
        Paint();
    }
    ~Scene() { View().SetShellServices(nullptr); }
    Z80EditView& View() { return window_.GetView(); }
    void Paint() { window_.PaintInvalid(); }
    size_t Messages() const { return shell_.messages.size(); }

private:
    bench::BackendWindow<Z80EditView> window_;
    platform::headless::HeadlessShell shell_;
};

void BM_FindNextLastLine(benchmark::State& state) {
    CTextBuffer& buffer = LoadedBuffer();
    const int last = buffer.LineCount() - 1;
    int endLine = 0;
    int endChar = 0;
    buffer.ApplyInsert(nullptr, last, buffer.LineLength(last), kSentinel, endLine, endChar);
    {
        Scene scene(buffer, edit::IDC_FIND_NEXT);
        Z80EditView& view = scene.View();
        // Searched without match case, as typed in another case.
        std::string pattern = kSentinel;
        for (char& c : pattern)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        view.SetLastSearch({true, pattern, 0});
        for (auto _ : state) {
            view.CollapseCaretTo({0, 0});
            scene.Paint();
            const auto start = Clock::now();
            view.OnEditRepeat();
            scene.Paint();
            state.SetIterationTime(Seconds(start));
            if (view.GetCaretPos().y != last)
                state.SkipWithError("the match was not found on the last line");
        }
    }
    buffer.ApplyDelete(nullptr, last,
                       buffer.LineLength(last) - static_cast<int>(std::strlen(kSentinel)), last,
                       buffer.LineLength(last));
}

void BM_ReplaceAll(benchmark::State& state) {
    CTextBuffer& buffer = LoadedBuffer();
    Scene scene(buffer, edit::IDC_REPLACE_ALL);
    Z80EditView& view = scene.View();
    double undoSeconds = 0;
    double redoSeconds = 0;
    double peak = 0;
    size_t matches = 0;
    for (auto _ : state) {
        view.CollapseCaretTo({0, 0});
        scene.Paint();
        const size_t before = StatusBytes("VmRSS:");
        ResetPeak();
        const auto start = Clock::now();
        view.OnEditReplace();
        scene.Paint();
        state.SetIterationTime(Seconds(start));
        peak = std::max(peak, static_cast<double>(StatusBytes("VmHWM:") - before));
        const EditRecord& record = buffer.Record(buffer.AppliedCount() - 1);
        matches = record.batch ? record.batch->positions.size() : 0;

        auto timed = Clock::now();
        view.OnEditUndo();
        scene.Paint();
        undoSeconds += Seconds(timed);
        timed = Clock::now();
        view.OnEditRedo();
        scene.Paint();
        redoSeconds += Seconds(timed);
        // Back to the text as loaded for the next round and the other benchmarks.
        view.OnEditUndo();
        scene.Paint();
    }
    const auto rounds = static_cast<double>(state.iterations());
    state.counters["undo_ms"] = undoSeconds / rounds * 1e3;
    state.counters["redo_ms"] = redoSeconds / rounds * 1e3;
    state.counters["peak_mb"] = peak / 1e6;
    state.counters["doc_mb"] = static_cast<double>(bench::BenchFile::Get().Size()) / 1e6;
    state.counters["matches"] = static_cast<double>(matches);
}

void BM_LoadReplaceAllSave(benchmark::State& state) {
    const std::string saved = bench::BenchFile::Get().Folder() + "/replaced.asm";
    for (auto _ : state) {
        CTextBuffer buffer;
        const auto start = Clock::now();
        if (!buffer.ReadFromFile(bench::BenchFile::Get().Path(), LineEndAuto)) {
            state.SkipWithError("load failed");
            break;
        }
        {
            Scene scene(buffer, edit::IDC_REPLACE_ALL);
            scene.View().OnEditReplace();
            scene.Paint();
        }
        if (!buffer.WriteToFile(saved, LineEndAuto, true)) {
            state.SkipWithError("save failed");
            break;
        }
        state.SetIterationTime(Seconds(start));
        buffer.ReleaseContents();
    }
    std::remove(saved.c_str());
}

} // namespace

BENCHMARK(BM_FindNextLastLine)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_ReplaceAll)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadReplaceAllSave)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
