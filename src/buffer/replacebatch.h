// A batch of replacements each confined to one line, recorded as one step of the history (Replace
// All), and the notification that tells views how the batch moved the text.
//
// The record keeps the replacement text once and, per replacement, its position and the bytes it
// replaced, packed: its memory grows with the changed text, not with an object per replacement.
// Its data is plain (positions and byte strings), so a journal can write and replay it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "buffer/adjusters.h"
#include "buffer/types.h"

struct ReplaceBatch {
    // What every replacement puts in; never holds CR or LF.
    std::string replacement;
    // The length of every replaced text.
    int32_t replacedLength = 0;
    // Where each replaced text began in the text before the batch: in text order, each within
    // its line, none overlapping (and no two at one place).
    std::vector<TextPosition> positions;
    // The replaced texts one after the other, replacedLength bytes each (they differ from one
    // another by case when the search ignored case).
    std::string replaced;

    std::string_view Replaced(size_t index) const {
        const auto length = static_cast<size_t>(replacedLength);
        return std::string_view(replaced).substr(index * length, length);
    }
    // How far each replacement moves the rest of its line to the right.
    int64_t Delta() const { return static_cast<int64_t>(replacement.size()) - replacedLength; }
};

// A batch as the views see it: the lines it changed and, for each, the replacements as they were
// made one after the other (applying the batch), or undone one after the other from the last
// (undoing it). Positions move exactly as the separate deletions and insertions would have moved
// them: a position inside a replaced text, or at its end, goes to its start.
class BatchChange {
public:
    BatchChange(const ReplaceBatch& batch, bool undo);

    const ReplaceBatch& Batch() const { return batch_; }
    bool IsUndo() const { return undo_; }
    // The changed lines, in ascending order. No line is added or removed.
    int32_t LineCount() const { return static_cast<int32_t>(lineFirst_.size()); }
    int32_t Line(int32_t index) const;
    // Moves `pos` as the whole batch moved the text.
    void AdjustPosition(TextPosition& pos) const;
    // Moves column `x` of changed line `index` as that line's replacements moved it.
    void AdjustOnLine(int32_t index, int32_t& x) const;
    // The first and the last column the changes of changed line `index` touch, in the text after
    // the change.
    void LineSpan(int32_t index, int32_t& first, int32_t& last) const;

private:
    // The replacements of changed line `index`: positions [begin, end) of the batch.
    void LineRange(int32_t index, size_t& begin, size_t& end) const;

    const ReplaceBatch& batch_;
    bool undo_;
    std::vector<uint32_t> lineFirst_; // the first position of each changed line
};

// The changes of one line of a batch as an ordinary adjuster, for views that take a batch line by
// line. start and end span the changed part of the line after the change.
class BatchLineAdjuster final : public PositionAdjuster {
public:
    BatchLineAdjuster(const BatchChange& change, int32_t index);
    void AdjustPosition(TextPosition& pos) const override;

private:
    const BatchChange& change_;
    int32_t index_;
};
