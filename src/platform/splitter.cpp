#include "platform/splitter.h"

#include <algorithm>

#include "platform/wnd.h"

namespace platform {

std::optional<PaneCell> RowColFromId(int32_t id) {
    const int32_t n = id - AFX_IDW_PANE_FIRST;
    if (n < 0 || n >= 256)
        return std::nullopt;
    return PaneCell{n / 16, n % 16};
}

Wnd* GetSplitterPane(const Wnd& wnd, int32_t row, int32_t col) {
    Splitter* splitter = wnd.GetParentSplitter();
    return splitter ? splitter->GetPane(row, col) : nullptr;
}

void DispatchSharedScroll(ScrollBar& bar, std::span<Wnd* const> panes, bool vertical, uint32_t code,
                          int32_t pos) {
    const int32_t before = bar.State().Pos();
    bool first = true;
    for (Wnd* pane : panes) {
        if (!pane)
            continue;
        if (!first) {
            ScrollInfo restore;
            restore.fMask = SIF_POS;
            restore.nPos = before;
            bar.SetScrollInfo(restore, false);
        }
        first = false;
        if (vertical)
            pane->OnVScroll(code, pos);
        else
            pane->OnHScroll(code, pos);
    }
}

SplitterLayout::SplitterLayout(int32_t scrollBarExtent, int32_t splitBoxSize, int32_t barGap)
    : sbExtent_(scrollBarExtent), boxSize_(splitBoxSize), gap_(barGap) {}

void SplitterLayout::SetClientSize(Size size) {
    client_ = size;
}

int32_t SplitterLayout::PaneAreaWidth() const {
    return std::max(0, client_.cx - sbExtent_);
}
int32_t SplitterLayout::PaneAreaHeight() const {
    return std::max(0, client_.cy - sbExtent_);
}

int32_t SplitterLayout::RowTop(int32_t row) const {
    return row == 0 ? 0 : firstRowHeight_ + gap_;
}

int32_t SplitterLayout::RowHeight(int32_t row) const {
    if (rows_ == 1)
        return PaneAreaHeight();
    if (row == 0)
        return std::min(firstRowHeight_, PaneAreaHeight());
    return std::max(0, PaneAreaHeight() - firstRowHeight_ - gap_);
}

int32_t SplitterLayout::ColumnLeft(int32_t col) const {
    return col == 0 ? 0 : firstColumnWidth_ + gap_;
}

int32_t SplitterLayout::ColumnWidth(int32_t col) const {
    if (cols_ == 1)
        return PaneAreaWidth();
    if (col == 0)
        return std::min(firstColumnWidth_, PaneAreaWidth());
    return std::max(0, PaneAreaWidth() - firstColumnWidth_ - gap_);
}

bool SplitterLayout::SplitRowAt(int32_t y) {
    if (rows_ != 1 || y < Splitter::kMinPaneSize ||
        PaneAreaHeight() - y - gap_ < Splitter::kMinPaneSize)
        return false;
    rows_ = 2;
    firstRowHeight_ = y;
    return true;
}

bool SplitterLayout::SplitColumnAt(int32_t x) {
    if (cols_ != 1 || x < Splitter::kMinPaneSize ||
        PaneAreaWidth() - x - gap_ < Splitter::kMinPaneSize)
        return false;
    cols_ = 2;
    firstColumnWidth_ = x;
    return true;
}

SplitterLayout::BarDrop SplitterLayout::DropRowBar(int32_t y) {
    if (y < Splitter::kMinPaneSize)
        return BarDrop::DeleteFirst;
    if (PaneAreaHeight() - y - gap_ < Splitter::kMinPaneSize)
        return BarDrop::DeleteSecond;
    firstRowHeight_ = y;
    return BarDrop::Moved;
}

SplitterLayout::BarDrop SplitterLayout::DropColumnBar(int32_t x) {
    if (x < Splitter::kMinPaneSize)
        return BarDrop::DeleteFirst;
    if (PaneAreaWidth() - x - gap_ < Splitter::kMinPaneSize)
        return BarDrop::DeleteSecond;
    firstColumnWidth_ = x;
    return BarDrop::Moved;
}

Rect SplitterLayout::PaneRect(int32_t row, int32_t col) const {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_)
        return {};
    return RectFromSize({ColumnLeft(col), RowTop(row)}, {ColumnWidth(col), RowHeight(row)});
}

Rect SplitterLayout::RowScrollBarRect(int32_t row) const {
    if (row < 0 || row >= rows_)
        return {};
    const int32_t x = PaneAreaWidth();
    int32_t top = RowTop(row);
    const int32_t bottom = top + RowHeight(row);
    if (rows_ == 1)
        top = std::min(bottom, boxSize_);
    return {x, top, x + sbExtent_, bottom};
}

Rect SplitterLayout::ColumnScrollBarRect(int32_t col) const {
    if (col < 0 || col >= cols_)
        return {};
    const int32_t y = PaneAreaHeight();
    int32_t left = ColumnLeft(col);
    const int32_t right = left + ColumnWidth(col);
    if (cols_ == 1)
        left = std::min(right, boxSize_);
    return {left, y, right, y + sbExtent_};
}

Rect SplitterLayout::RowSplitBoxRect() const {
    if (rows_ != 1)
        return {};
    const int32_t x = PaneAreaWidth();
    return {x, 0, x + sbExtent_, std::min(boxSize_, PaneAreaHeight())};
}

Rect SplitterLayout::ColumnSplitBoxRect() const {
    if (cols_ != 1)
        return {};
    const int32_t y = PaneAreaHeight();
    return {0, y, std::min(boxSize_, PaneAreaWidth()), y + sbExtent_};
}

Rect SplitterLayout::RowBarRect() const {
    if (rows_ != 2)
        return {};
    return {0, firstRowHeight_, client_.cx, firstRowHeight_ + gap_};
}

Rect SplitterLayout::ColumnBarRect() const {
    if (cols_ != 2)
        return {};
    return {firstColumnWidth_, 0, firstColumnWidth_ + gap_, client_.cy};
}

SplitterLayout::Hit SplitterLayout::HitTest(Point p) const {
    if (RowSplitBoxRect().Contains(p))
        return Hit::RowBox;
    if (ColumnSplitBoxRect().Contains(p))
        return Hit::ColumnBox;
    if (RowBarRect().Contains(p))
        return Hit::RowBar;
    if (ColumnBarRect().Contains(p))
        return Hit::ColumnBar;
    return Hit::None;
}

} // namespace platform
