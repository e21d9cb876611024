// Column checkpoints along one long line: the expanded column of every kStep-th character, known
// up to a point. A column lookup on a line of megabytes then walks at most kStep characters from
// the nearest checkpoint instead of the whole line before it. The view keeps one index, for the
// long line it looked at last, and forgets what an edit of that line makes stale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "buffer/adjusters.h"

class LineColumnIndex {
public:
    static constexpr int32_t kStep = 1 << 16;

    void Forget();
    // A change of the text told to the view (`oneLine`: confined to `line`): the checkpoints
    // after the change's start go, all of them when lines moved before the indexed one.
    void Changed(int32_t line, const PositionAdjuster* adjuster, bool oneLine);

    // The line's characters are `chars` (`length` of them), its tab size `tab`.
    // The column where character `index` starts (the expanded length at or past the end).
    int64_t ColumnOf(int32_t line, const char* chars, int32_t length, int32_t index, int32_t tab);
    // tabs::ColumnToCoveringIndex and tabs::ColumnToIndex, from the nearest checkpoint.
    int32_t CoveringIndex(int32_t line, const char* chars, int32_t length, int64_t column,
                          int32_t tab, int64_t* startColumn);
    int32_t NearestIndex(int32_t line, const char* chars, int32_t length, int64_t column,
                         int32_t tab);

private:
    // Starts afresh for another line or tab size.
    void Use(int32_t line, int32_t tab);
    // Adds checkpoints while `more` says the last one is not far enough and the line goes on.
    template <class More> void Extend(const char* chars, int32_t length, const More& more);
    // The checkpoint to walk from for a column: the last whose column is below (or, `orEqual`,
    // at most) `column`.
    size_t CheckpointBefore(const char* chars, int32_t length, int64_t column, bool orEqual);

    int32_t line_ = -1;
    int32_t tab_ = 0;
    std::vector<int64_t> columns_; // columns_[k]: the column where character k * kStep starts
};
