// The view the view, edit and Qt view benchmarks measure: one that colours with the Z80 parser as
// the application's does, in a window of 200 x 60 cells; and the timing of an edit on LoadedBuffer
// with the paint after it.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string_view>

#include "buffer/textbuffer.h"
#include "common/benchdoc.h"
#include "syntax/z80parser.h"
#include "view/textview.h"

namespace bench {

inline constexpr int32_t kColumns = 200;
inline constexpr int32_t kRows = 60;

// A text view (View is CTextView or a class derived from it) with the Z80 parser in its parse
// hook.
template <typename View> class Z80Colored : public View {
public:
    uint32_t ColorizeLine(uint32_t state, int32_t line, TextBlock* blocks,
                          int32_t& count) override {
        return ColorizeZ80Line(state, this->GetLineText(line), this->TextLineLength(line), blocks,
                               count);
    }
    // Drops every cached parser state, so the next paint parses from line 0 again.
    void ForgetParserStates() { this->parserStates.Clear(); }
};

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// `text` inserted at the start of line 0 of LoadedBuffer() and then `paint()`, timed per
// iteration; deleting the text again and the `paint()` after that are not timed.
template <typename Paint>
void InsertAtTopAndPaint(benchmark::State& state, std::string_view text, Paint paint) {
    CTextBuffer& buffer = LoadedBuffer();
    for (auto _ : state) {
        int endLine = 0;
        int endChar = 0;
        const auto start = Clock::now();
        buffer.ApplyInsert(nullptr, 0, 0, text, endLine, endChar);
        paint();
        state.SetIterationTime(Seconds(start));
        buffer.ApplyDelete(nullptr, 0, 0, endLine, endChar);
        paint();
    }
}

// Two timed steps per iteration, each with the paint after it (an edit and its undo): `prepare()`
// untimed, then `first()` and `second()`, each returning false when it went wrong (the benchmark
// then stops with `error`). The counters `firstName` and `secondName` give each step's mean in
// milliseconds; the iteration time is their sum.
template <class Prepare, class First, class Second>
void TimeTwoSteps(benchmark::State& state, const char* firstName, const char* secondName,
                  Prepare prepare, First first, Second second, const char* error) {
    double firstMs = 0;
    double secondMs = 0;
    for (auto _ : state) {
        prepare();
        auto start = Clock::now();
        const bool firstOk = first();
        const double one = Seconds(start) * 1e3;
        start = Clock::now();
        const bool secondOk = second();
        const double two = Seconds(start) * 1e3;
        state.SetIterationTime((one + two) / 1e3);
        firstMs += one;
        secondMs += two;
        if (!firstOk || !secondOk) {
            state.SkipWithError(error);
            break;
        }
    }
    const double n = static_cast<double>(std::max<int64_t>(state.iterations(), 1));
    state.counters[firstName] = firstMs / n;
    state.counters[secondName] = secondMs / n;
}

} // namespace bench
