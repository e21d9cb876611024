#include "buffer/replacebatch.h"

#include <algorithm>

#include "buffer/bufferview.h"

BatchChange::BatchChange(const ReplaceBatch& batch, bool undo) : batch_(batch), undo_(undo) {
    const std::vector<TextPosition>& positions = batch.positions;
    for (size_t i = 0; i < positions.size(); ++i)
        if (i == 0 || positions[i].y != positions[i - 1].y)
            lineFirst_.push_back(static_cast<uint32_t>(i));
}

int32_t BatchChange::Line(int32_t index) const {
    return batch_.positions[lineFirst_[static_cast<size_t>(index)]].y;
}

void BatchChange::LineRange(int32_t index, size_t& begin, size_t& end) const {
    const auto i = static_cast<size_t>(index);
    begin = lineFirst_[i];
    end = i + 1 < lineFirst_.size() ? lineFirst_[i + 1] : batch_.positions.size();
}

void BatchChange::AdjustOnLine(int32_t index, int32_t& x) const {
    size_t begin = 0;
    size_t end = 0;
    LineRange(index, begin, end);
    const int64_t delta = batch_.Delta();
    const auto removed = static_cast<int64_t>(
        undo_ ? static_cast<int64_t>(batch_.replacement.size()) : batch_.replacedLength);
    const int64_t added =
        undo_ ? batch_.replacedLength : static_cast<int64_t>(batch_.replacement.size());
    // Each replacement is a deletion of `removed` bytes at `at` followed by an insertion of
    // `added` bytes there; `at` counts the replacements made before it on the line. Undoing goes
    // from the last replacement back, so the earlier ones have not moved yet.
    int64_t p = x;
    const auto step = [&](size_t j) {
        const int64_t at = batch_.positions[j].x + static_cast<int64_t>(j - begin) * delta;
        if (p <= at)
            return;
        p = p <= at + removed ? at : p - removed + added;
    };
    if (undo_) {
        for (size_t j = end; j-- > begin;)
            step(j);
    } else {
        for (size_t j = begin; j < end; ++j)
            step(j);
    }
    x = static_cast<int32_t>(p);
}

void BatchChange::AdjustPosition(TextPosition& pos) const {
    auto it =
        std::lower_bound(lineFirst_.begin(), lineFirst_.end(), pos.y,
                         [&](uint32_t first, int32_t y) { return batch_.positions[first].y < y; });
    if (it == lineFirst_.end() || batch_.positions[*it].y != pos.y)
        return;
    AdjustOnLine(static_cast<int32_t>(it - lineFirst_.begin()), pos.x);
}

void BatchChange::LineSpan(int32_t index, int32_t& first, int32_t& last) const {
    size_t begin = 0;
    size_t end = 0;
    LineRange(index, begin, end);
    const int64_t delta = batch_.Delta();
    first = batch_.positions[begin].x;
    const int64_t lastAt =
        batch_.positions[end - 1].x + static_cast<int64_t>(end - 1 - begin) * delta;
    last = static_cast<int32_t>(
        lastAt + (undo_ ? batch_.replacedLength : static_cast<int64_t>(batch_.replacement.size())));
}

BatchLineAdjuster::BatchLineAdjuster(const BatchChange& change, int32_t index)
    : PositionAdjuster({}, {}), change_(change), index_(index) {
    const int32_t y = change.Line(index);
    int32_t first = 0;
    int32_t last = 0;
    change.LineSpan(index, first, last);
    start = {first, y};
    end = {last, y};
}

void BatchLineAdjuster::AdjustPosition(TextPosition& pos) const {
    if (pos.y == start.y)
        change_.AdjustOnLine(index_, pos.x);
}

// The plain way for a view to take a batch: each changed line as a change of its own.
void CBufferView::OnBufferBatchChanged(CBufferView* source, const BatchChange& change) {
    for (int32_t i = 0; i < change.LineCount(); ++i) {
        const BatchLineAdjuster adjuster(change, i);
        OnBufferChanged(source, &adjuster, HintOneLine | HintLineLengths, change.Line(i));
    }
}
