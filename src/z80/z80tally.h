// The figures of the selection as it changes: a drag moves one end of the selection, and only
// the lines that entered or left it are summed again.
#pragma once

#include <cstdint>
#include <string>

#include "buffer/types.h"
#include "z80/z80figures.h"

class CTextBuffer;

namespace z80 {

class Outline;

class SelectionTally {
public:
    // The figures of lines [first, last] of `buffer`, whose outline is `outline` (it gives the
    // colouring state at the start of each line and tells when the text changed). Sums only the
    // difference to the previous call when the text is the same and one end did not move.
    const SelectionFigures& Update(const CTextBuffer& buffer, const Outline& outline, int first,
                                   int last);
    // Forgets the previous selection.
    void Clear() { valid_ = false; }

private:
    bool valid_ = false;
    uint64_t revision_ = 0;
    int first_ = 0;
    int last_ = -1;
    SelectionFigures sum_;
};

// The text of the figures pane of a view on `buffer`: with a selection (anchor != caret) the sums
// over the lines it covers (SelectedLines), through `tally`; without one, the figures of the
// caret's line ("" when it takes no room).
std::string FiguresPaneText(const CTextBuffer& buffer, const Outline& outline,
                            SelectionTally& tally, TextPosition anchor, TextPosition caret);

} // namespace z80
