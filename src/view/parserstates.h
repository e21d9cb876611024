// The per-line cache of parser states: entry i is the state at the end of line i, the state that
// line i + 1 starts in.
//
// Entries [0, ValidEnd()) are exact for the current text. Behind them the cache keeps the states
// computed before the last changes, moved with the lines they belong to, as candidates: when the
// exact state of a line comes out equal to its candidate and the following lines did not change,
// their candidates are exact too, so a change that leaves a line's end state as it was costs the
// parse of that one line instead of the parse of every line below it.
//
// Invariant: every entry i in (ValidEnd(), CandidateEnd()) that lies in no break is the state the
// parser returns for line i started in entry i - 1. A break is a range of lines whose text changed
// (or whose predecessor was recomputed) since their candidate was stored; entries at or behind
// CandidateEnd() were never computed and hold no value. Whoever reads the cache sees only exact
// entries.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "view/gaparray.h"

class ParserStateCache {
public:
    static constexpr uint32_t kUnknown = 0xFFFFFFFFu;

    bool Exists() const { return exists_; }
    int32_t Size() const { return static_cast<int32_t>(states_.Size()); }
    // `lineCount` entries, none computed.
    void Create(int32_t lineCount);
    void Clear();

    int32_t ValidEnd() const { return validEnd_; }
    int32_t CandidateEnd() const { return candidateEnd_; }
    // The exact state at the end of `line` (line < ValidEnd()).
    uint32_t Exact(int32_t line) const { return states_[static_cast<size_t>(line)]; }
    // Stores the state computed for `line` (line <= ValidEnd()) from the exact state of the line
    // before it, and moves ValidEnd() past it and past every candidate that this confirms.
    void Store(int32_t line, uint32_t state);

    // The text of `line` changed; the line count did not.
    void LineChanged(int32_t line);
    // Line `line` changed and `count` lines were inserted behind it.
    void LinesInserted(int32_t line, int32_t count);
    // Line `line` changed and the `count` lines behind it were removed.
    void LinesRemoved(int32_t line, int32_t count);
    // Resizes to `lineCount`, keeping the exact entries before `start`; no candidate survives
    // from `start` on.
    void ResetFrom(int32_t start, int32_t lineCount);

    // More breaks than this drop the candidates from the first break on, which keeps every
    // update cheap after changes scattered over the whole text.
    static constexpr size_t kMaxBreaks = 64;

private:
    using Range = std::pair<int32_t, int32_t>; // [first, second)

    void LowerValidEnd(int32_t line);
    void AddBreak(int32_t first, int32_t last);

    bool exists_ = false;
    GapArray<uint32_t> states_;
    int32_t validEnd_ = 0;
    int32_t candidateEnd_ = 0;
    std::vector<Range> breaks_; // sorted, disjoint, not touching, all within
                                // [validEnd_, candidateEnd_)
};
