#include "view/linecolumns.h"

#include <algorithm>

#include "view/tabexpand.h"

void LineColumnIndex::Forget() {
    line_ = -1;
    columns_.clear();
}

void LineColumnIndex::Changed(int32_t line, const PositionAdjuster* adjuster, bool oneLine) {
    if (line_ < 0)
        return;
    const bool onThisLine = adjuster ? adjuster->start.y == line_ : line == line_;
    if (onThisLine) {
        // The characters before the change keep their columns.
        const int32_t x = adjuster ? adjuster->start.x : 0;
        columns_.resize(std::min(columns_.size(), static_cast<size_t>(x / kStep) + 1));
    } else if (!oneLine && line <= line_) {
        Forget();
    }
}

void LineColumnIndex::Use(int32_t line, int32_t tab) {
    if (line != line_ || tab != tab_) {
        line_ = line;
        tab_ = tab;
        columns_.assign(1, 0);
    }
}

template <class More>
void LineColumnIndex::Extend(const char* chars, int32_t length, const More& more) {
    while (more(columns_.back())) {
        const int64_t from = static_cast<int64_t>(columns_.size() - 1) * kStep;
        if (from + kStep > length)
            return;
        columns_.push_back(tabs::AdvanceColumn(chars + from, kStep, columns_.back(), tab_));
    }
}

int64_t LineColumnIndex::ColumnOf(int32_t line, const char* chars, int32_t length, int32_t index,
                                  int32_t tab) {
    Use(line, tab);
    index = std::clamp(index, 0, length);
    const auto k = static_cast<size_t>(index / kStep);
    Extend(chars, length, [&](int64_t) { return columns_.size() <= k; });
    const size_t from = std::min(k, columns_.size() - 1);
    const int64_t at = static_cast<int64_t>(from) * kStep;
    return tabs::AdvanceColumn(chars + at, static_cast<int32_t>(index - at), columns_[from], tab);
}

size_t LineColumnIndex::CheckpointBefore(const char* chars, int32_t length, int64_t column,
                                         bool orEqual) {
    const auto below = [&](int64_t c) { return orEqual ? c <= column : c < column; };
    Extend(chars, length, below);
    // The checkpoints' columns rise with their characters.
    const auto it = std::partition_point(columns_.begin(), columns_.end(), below);
    return it == columns_.begin() ? 0 : static_cast<size_t>(it - columns_.begin()) - 1;
}

int32_t LineColumnIndex::CoveringIndex(int32_t line, const char* chars, int32_t length,
                                       int64_t column, int32_t tab, int64_t* startColumn) {
    Use(line, tab);
    const size_t k = CheckpointBefore(chars, length, std::max<int64_t>(column, 0), true);
    const auto at = static_cast<int32_t>(k * kStep);
    return at + tabs::ColumnToCoveringIndex(chars + at, length - at, column, tab, startColumn,
                                            columns_[k]);
}

int32_t LineColumnIndex::NearestIndex(int32_t line, const char* chars, int32_t length,
                                      int64_t column, int32_t tab) {
    if (column <= 0)
        return 0;
    Use(line, tab);
    const size_t k = CheckpointBefore(chars, length, column, false);
    const auto at = static_cast<int32_t>(k * kStep);
    return at + tabs::ColumnToIndex(chars + at, length - at, column, tab, columns_[k]);
}
