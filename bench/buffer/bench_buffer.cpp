// Text buffer figures on a generated Z80 source of 100 MB (VELMORA_BENCH_MB to change): load and
// save throughput from the page cache, resident memory after a load, recorded typing with the
// history at its capacity, and a line break inserted and deleted at the top of the loaded file.
//
// The file is generated once per run into a RAM disk folder (/dev/shm, else TMPDIR) and removed
// at exit.
#include <benchmark/benchmark.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "buffer/textbuffer.h"
#include "common/benchdoc.h"

namespace {

using bench::BenchFile;
using bench::LoadedBuffer;

// A value in kB from /proc/self/status ("VmRSS", "VmHWM").
long StatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0)
            return std::atol(line.c_str() + key.size());
    return -1;
}

// Gives freed heap memory back to the system, so that memory freed by earlier benchmarks cannot
// be reused unseen, and resets the peak resident size to the current one.
void ResetPeak() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Memory of a loaded buffer relative to the file: resident growth kept after the load and the
// peak reached during it (target: at most 2.5 times the file). Registered first, so that it runs
// before any other load: the line store keeps freed chunks for reuse, which a later load would
// take without growing the resident size.
void BM_LoadMemory(benchmark::State& state) {
    const BenchFile& file = BenchFile::Get();
    for (auto _ : state) {
        ResetPeak();
        const long before = StatusKb("VmRSS");
        auto buffer = std::make_unique<CTextBuffer>();
        buffer->ReadFromFile(file.Path(), LineEndAuto);
        const long after = StatusKb("VmRSS");
        const long peak = StatusKb("VmHWM");
        const double size = static_cast<double>(file.Size()) / 1024.0;
        state.counters["resident_x"] = static_cast<double>(after - before) / size;
        state.counters["peak_x"] = static_cast<double>(peak - before) / size;
        state.counters["file_MB"] = static_cast<double>(file.Size()) / 1048576.0;
        state.PauseTiming();
        buffer.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Load(benchmark::State& state) {
    const BenchFile& file = BenchFile::Get();
    for (auto _ : state) {
        CTextBuffer buffer;
        if (!buffer.ReadFromFile(file.Path(), LineEndAuto))
            state.SkipWithError(buffer.LastFileError().Message().c_str());
        benchmark::DoNotOptimize(buffer.LineCount());
        state.counters["lines"] = buffer.LineCount();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.Size()));
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Save(benchmark::State& state) {
    const BenchFile& file = BenchFile::Get();
    CTextBuffer& buffer = LoadedBuffer();
    const std::string out = file.Folder() + "/saved.asm";
    for (auto _ : state) {
        if (!buffer.WriteToFile(out, LineEndAuto, true))
            state.SkipWithError(buffer.LastFileError().Message().c_str());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.Size()));
    std::filesystem::remove(out);
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// One recorded one-character insertion, as typing makes it, with the history already full, so
// every insertion also drops the oldest record. Every 64th character is a line break. The time
// per insertion must not depend on the capacity.
void BM_TypingAtCapacity(benchmark::State& state) {
    CTextBuffer buffer;
    buffer.ResetToEmpty(LineEndDos);
    buffer.SetUndoCapacity(static_cast<int>(state.range(0)));
    int line = 0;
    int ch = 0;
    auto type = [&](int n) {
        const char* text = n % 64 == 63 ? "\r" : "a";
        buffer.OpenEditGroup(false);
        buffer.InsertRecorded(nullptr, line, ch, text, line, ch, ActionTyping);
        buffer.CloseEditGroup(nullptr);
    };
    for (int i = 0; i < buffer.UndoCapacity(); ++i)
        type(i);
    int n = 0;
    for (auto _ : state)
        type(n++);
    state.counters["records"] = buffer.RecordCount();
}
BENCHMARK(BM_TypingAtCapacity)->Arg(1024)->Arg(65536)->Iterations(1000000);

// A recorded line break inserted on line 0 of the loaded 4-million-line text and deleted again;
// insert_us and delete_us give the time of each (target: under 1 ms each).
void BM_LineBreakAtTop(benchmark::State& state) {
    CTextBuffer& buffer = LoadedBuffer();
    using Clock = std::chrono::steady_clock;
    double insertNs = 0;
    double deleteNs = 0;
    for (auto _ : state) {
        int endLine = 0;
        int endChar = 0;
        auto t0 = Clock::now();
        buffer.InsertRecorded(nullptr, 0, 3, "\r\n", endLine, endChar, ActionTyping);
        auto t1 = Clock::now();
        buffer.DeleteRecorded(nullptr, 0, 3, endLine, endChar, ActionBackspace);
        auto t2 = Clock::now();
        insertNs += std::chrono::duration<double, std::nano>(t1 - t0).count();
        deleteNs += std::chrono::duration<double, std::nano>(t2 - t1).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["insert_us"] = insertNs / n / 1e3;
    state.counters["delete_us"] = deleteNs / n / 1e3;
    state.counters["lines"] = buffer.LineCount();
}
BENCHMARK(BM_LineBreakAtTop)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
