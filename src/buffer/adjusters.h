// Position adjusters: the description of one change that lets every view move the positions it
// holds (caret, anchor, selection, search range, first visible line) so that they keep pointing at
// the same text.
#pragma once

#include "buffer/types.h"

class PositionAdjuster {
public:
    PositionAdjuster(TextPosition from, TextPosition to) : start(from), end(to) {}
    virtual ~PositionAdjuster() = default;

    virtual void AdjustPosition(TextPosition& pos) const = 0;

    TextPosition start;
    TextPosition end;
};

// start is the insertion point, end the position just after the inserted text.
class InsertAdjuster final : public PositionAdjuster {
public:
    using PositionAdjuster::PositionAdjuster;
    void AdjustPosition(TextPosition& pos) const override;
};

// start and end bound the deleted range.
class DeleteAdjuster final : public PositionAdjuster {
public:
    using PositionAdjuster::PositionAdjuster;
    void AdjustPosition(TextPosition& pos) const override;
};
