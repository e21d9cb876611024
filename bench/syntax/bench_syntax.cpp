// The Z80 parser over the generated 100 MB Z80-like source, line after line with the state
// carried over, in the two ways the view calls it: the state-only pass of the parser-state cache
// (no block array) and the pass of line drawing (an array of room for three blocks per byte,
// count starting at 0). Bytes processed are the bytes of the lines, line ends not included.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/z80gen.h"
#include "syntax/z80parser.h"

namespace {

constexpr size_t kSourceBytes = size_t{100} << 20;

struct Source {
    std::string text;
    std::vector<std::string_view> lines;
    int64_t lineBytes = 0;
    size_t longestLine = 0;
};

// Split on LF, a CR before it belonging to the line end, as the editor loads such text.
const Source& TheSource() {
    static const Source source = [] {
        Source s;
        s.text = GenerateZ80Source(kSourceBytes);
        std::string_view rest = s.text;
        while (!rest.empty()) {
            const size_t end = std::min(rest.find('\n'), rest.size());
            std::string_view line = rest.substr(0, end);
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
            }
            s.lines.push_back(line);
            s.lineBytes += static_cast<int64_t>(line.size());
            s.longestLine = std::max(s.longestLine, line.size());
            rest.remove_prefix(std::min(end + 1, rest.size()));
        }
        return s;
    }();
    return source;
}

void BM_StateOnly(benchmark::State& bench) {
    const Source& source = TheSource();
    for (auto _ : bench) {
        uint32_t state = 0;
        int unused = 0;
        for (const std::string_view line : source.lines) {
            state = ColorizeZ80Line(state, line, nullptr, unused);
        }
        benchmark::DoNotOptimize(state);
    }
    bench.SetBytesProcessed(bench.iterations() * source.lineBytes);
    bench.counters["lines"] = static_cast<double>(source.lines.size());
}

void BM_WithBlocks(benchmark::State& bench) {
    const Source& source = TheSource();
    std::vector<TextBlock> blocks(3 * source.longestLine + 1);
    int64_t total = 0;
    for (auto _ : bench) {
        uint32_t state = 0;
        for (const std::string_view line : source.lines) {
            int count = 0;
            state = ColorizeZ80Line(state, line, blocks.data(), count);
            total += count;
            benchmark::ClobberMemory();
        }
        benchmark::DoNotOptimize(state);
    }
    bench.SetBytesProcessed(bench.iterations() * source.lineBytes);
    bench.counters["blocks/line"] = static_cast<double>(total) /
                                    static_cast<double>(bench.iterations()) /
                                    static_cast<double>(source.lines.size());
}

void BM_KeywordLookup(benchmark::State& bench) {
    // A mix of keywords, near misses and labels, as the words of a source line come.
    const std::string_view words[] = {"ld",   "hl",    "LD",   "loop", "djnz",   "a",
                                      "0ffh", "start", "rrca", "ix",   "label1", "endstruc"};
    for (auto _ : bench) {
        int found = 0;
        for (const std::string_view w : words) {
            found += FindInKeywordTable(w.data(), static_cast<int>(w.size())) ? 1 : 0;
        }
        benchmark::DoNotOptimize(found);
    }
    bench.SetItemsProcessed(bench.iterations() * static_cast<int64_t>(std::size(words)));
}

} // namespace

BENCHMARK(BM_StateOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WithBlocks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeywordLookup);

BENCHMARK_MAIN();
