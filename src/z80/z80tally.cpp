#include "z80/z80tally.h"

#include <algorithm>

#include "buffer/textbuffer.h"
#include "z80/z80outline.h"

namespace z80 {
namespace {

// The sums over lines [first, last], starting in the state the outline knows for `first` (0
// where the background scan has not come yet).
SelectionFigures Sum(const CTextBuffer& buffer, const Outline& outline, int first, int last) {
    if (first > last)
        return {};
    uint32_t state = outline.LineStartState(first);
    if (state == Outline::kUnknownState)
        state = 0;
    return SumLines(buffer, first, last, state);
}

} // namespace

const SelectionFigures& SelectionTally::Update(const CTextBuffer& buffer, const Outline& outline,
                                               int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, buffer.LineCount() - 1);
    const bool same = valid_ && revision_ == outline.Revision();
    if (same && first == first_ && last != last_) {
        if (last > last_)
            sum_ += Sum(buffer, outline, std::max(last_ + 1, first), last);
        else
            sum_ -= Sum(buffer, outline, std::max(last + 1, first), last_);
    } else if (same && last == last_ && first != first_) {
        if (first < first_)
            sum_ += Sum(buffer, outline, first, std::min(first_ - 1, last));
        else
            sum_ -= Sum(buffer, outline, first_, std::min(first - 1, last));
    } else if (!same || first != first_ || last != last_) {
        sum_ = Sum(buffer, outline, first, last);
    }
    if (first > last)
        sum_ = {};
    valid_ = true;
    revision_ = outline.Revision();
    first_ = first;
    last_ = last;
    return sum_;
}

std::string FiguresPaneText(const CTextBuffer& buffer, const Outline& outline,
                            SelectionTally& tally, TextPosition anchor, TextPosition caret) {
    if (anchor != caret) {
        const auto [first, last] = SelectedLines(anchor, caret);
        return FormatSelectionFigures(tally.Update(buffer, outline, first, last));
    }
    if (caret.y < 0 || caret.y >= buffer.LineCount())
        return {};
    uint32_t state = outline.LineStartState(caret.y);
    if (state == Outline::kUnknownState)
        state = 0;
    return FormatLineFigures(AnalyzeLine(buffer.LineText(caret.y), state));
}

} // namespace z80
