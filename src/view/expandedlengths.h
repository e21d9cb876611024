// The per-line cache of expanded line lengths, with a count of the known lengths by value so that
// the widest line is known without walking the lines again.
//
// An entry is -1 while unknown. Every known entry is counted once in the histogram; Widest() is
// the greatest known length (0 when none is known), which is the widest line of the text once
// Complete() holds. Line insertions and removals move the entries of the lines behind them, so a
// line break costs O(1) here, not a walk over the tail.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "view/gaparray.h"

class ExpandedLengthCache {
public:
    static constexpr int32_t kUnknown = -1;

    bool Exists() const { return exists_; }
    int32_t Size() const { return static_cast<int32_t>(entries_.Size()); }
    // Every entry is known.
    bool Complete() const { return exists_ && unknown_ == 0; }

    // `lineCount` unknown entries.
    void Create(int32_t lineCount);
    // `lineCount` known entries, entry i being `lengthOf(i)` (>= 0), in one sequential pass with
    // the histogram counted as it goes: the cheap way to learn the widest line of a whole text.
    template <class LengthOf> void FillAll(int32_t lineCount, LengthOf lengthOf);
    // Forgets every entry; Exists() is false afterwards.
    void Clear();

    int32_t Get(int32_t line) const { return entries_[static_cast<size_t>(line)]; }
    void Set(int32_t line, int32_t length);
    void Reset(int32_t line);

    // `count` lines were inserted behind `line` (line `line` itself changed): its entry and the
    // entries of the new lines become unknown, the later entries move down.
    void InsertAfter(int32_t line, int32_t count);
    // The same with the new lines' lengths known: entry i of them is `lengthOf(i)` (>= 0), counted
    // as it goes in one sequential pass. Line `line` itself becomes unknown.
    template <class LengthOf> void InsertKnownAfter(int32_t line, int32_t count, LengthOf lengthOf);
    // The `count` lines behind `line` were removed (line `line` itself changed).
    void RemoveAfter(int32_t line, int32_t count);
    // Resizes to `lineCount`, keeping the entries before `start`; the others become unknown.
    void ResetFrom(int32_t start, int32_t lineCount);

    int32_t Widest() const;

private:
    void Count(int32_t length, int32_t delta);

    void StartFill();
    // `lengthOf` wrapped to count each length it gives in the histogram.
    template <class LengthOf> auto Counted(LengthOf lengthOf);

    static constexpr int32_t kDenseLimit = 4096;

    bool exists_ = false;
    GapArray<int32_t> entries_;
    int64_t unknown_ = 0;
    // How many known entries have each length: below kDenseLimit by index, above in the map.
    std::vector<int64_t> dense_;
    std::map<int32_t, int64_t> sparse_;
    // No dense length above this one has a non-zero count.
    mutable int32_t denseTop_ = 0;
};

template <class LengthOf> auto ExpandedLengthCache::Counted(LengthOf lengthOf) {
    return [this, lengthOf, dense = dense_.data()](size_t i) {
        const int32_t length = lengthOf(static_cast<int32_t>(i));
        if (length < kDenseLimit) {
            ++dense[length];
            denseTop_ = std::max(denseTop_, length);
        } else {
            ++sparse_[length];
        }
        return length;
    };
}

template <class LengthOf>
void ExpandedLengthCache::InsertKnownAfter(int32_t line, int32_t count, LengthOf lengthOf) {
    Reset(line);
    entries_.InsertGenerated(static_cast<size_t>(line) + 1, static_cast<size_t>(std::max(count, 0)),
                             Counted(lengthOf));
}

template <class LengthOf> void ExpandedLengthCache::FillAll(int32_t lineCount, LengthOf lengthOf) {
    StartFill();
    entries_.AssignGenerated(static_cast<size_t>(std::max(lineCount, 0)), Counted(lengthOf));
}
