#include "platform/splitter.h"

#include <algorithm>
#include <array>
#include <utility>

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

// ---------------------------------------------------------------------------------------------
// Splitter

Splitter::Splitter(PaneFactory factory, int32_t scrollBarExtent, int32_t splitBoxSize,
                   int32_t barGap)
    : factory_(std::move(factory)), layout_(scrollBarExtent, splitBoxSize, barGap) {}

Splitter::~Splitter() {
    DestroyPanes();
}

void Splitter::CreateFirstPane() {
    rowBars_[0] = CreateScrollBar(true);
    colBars_[0] = CreateScrollBar(false);
    panes_[0][0] = MakePane(0, 0);
    Relayout();
    if (panes_[0][0])
        panes_[0][0]->GetWnd().OnInitialUpdate();
}

void Splitter::DestroyPanes() {
    for (auto& row : panes_)
        for (auto& pane : row)
            pane.reset();
    for (auto& bar : rowBars_)
        bar.reset();
    for (auto& bar : colBars_)
        bar.reset();
}

SplitterPane* Splitter::PaneAt(int32_t row, int32_t col) const {
    if (row < 0 || row >= layout_.Rows() || col < 0 || col >= layout_.Columns())
        return nullptr;
    return panes_[static_cast<size_t>(row)][static_cast<size_t>(col)].get();
}

Wnd* Splitter::GetPane(int32_t row, int32_t col) const {
    SplitterPane* pane = PaneAt(row, col);
    return pane ? &pane->GetWnd() : nullptr;
}

ScrollBar* Splitter::GetRowScrollBar(int32_t row) const {
    return row >= 0 && row < layout_.Rows() ? rowBars_[static_cast<size_t>(row)].get() : nullptr;
}

ScrollBar* Splitter::GetColumnScrollBar(int32_t col) const {
    return col >= 0 && col < layout_.Columns() ? colBars_[static_cast<size_t>(col)].get() : nullptr;
}

PanePlace Splitter::PlaceOf(int32_t row, int32_t col) {
    return {this,
            {row, col},
            rowBars_[static_cast<size_t>(row)].get(),
            colBars_[static_cast<size_t>(col)].get()};
}

std::unique_ptr<SplitterPane> Splitter::MakePane(int32_t row, int32_t col) {
    std::unique_ptr<Wnd> wnd = factory_ ? factory_(row, col) : nullptr;
    if (!wnd)
        return nullptr;
    return CreatePane(std::move(wnd), PlaceOf(row, col), layout_.PaneRect(row, col));
}

void Splitter::Relayout() {
    for (int32_t r = 0; r < layout_.Rows(); ++r)
        for (int32_t c = 0; c < layout_.Columns(); ++c)
            if (SplitterPane* pane = PaneAt(r, c))
                pane->Place(PlaceOf(r, c), layout_.PaneRect(r, c));
    for (int32_t r = 0; r < layout_.Rows(); ++r)
        if (ScrollBar* bar = rowBars_[static_cast<size_t>(r)].get())
            PlaceScrollBar(*bar, layout_.RowScrollBarRect(r));
    for (int32_t c = 0; c < layout_.Columns(); ++c)
        if (ScrollBar* bar = colBars_[static_cast<size_t>(c)].get())
            PlaceScrollBar(*bar, layout_.ColumnScrollBarRect(c));
    LayoutChanged();
}

void Splitter::SetClientSize(Size size) {
    layout_.SetClientSize(size);
    Relayout();
}

bool Splitter::SplitRow(int32_t y) {
    if (!layout_.SplitRowAt(y))
        return false;
    rowBars_[1] = CreateScrollBar(true);
    for (int32_t c = 0; c < layout_.Columns(); ++c) {
        auto& pane = panes_[1][static_cast<size_t>(c)];
        pane = MakePane(1, c);
        if (!pane) {
            PanesChanging();
            for (auto& made : panes_[1])
                made.reset();
            rowBars_[1].reset();
            layout_.RemoveRow();
            Relayout();
            return false;
        }
    }
    Relayout();
    for (auto& pane : panes_[1])
        if (pane)
            pane->GetWnd().OnInitialUpdate();
    return true;
}

bool Splitter::SplitColumn(int32_t x) {
    if (!layout_.SplitColumnAt(x))
        return false;
    colBars_[1] = CreateScrollBar(false);
    for (int32_t r = 0; r < layout_.Rows(); ++r) {
        auto& pane = panes_[static_cast<size_t>(r)][1];
        pane = MakePane(r, 1);
        if (!pane) {
            PanesChanging();
            for (auto& row : panes_)
                row[1].reset();
            colBars_[1].reset();
            layout_.RemoveColumn();
            Relayout();
            return false;
        }
    }
    Relayout();
    for (auto& row : panes_)
        if (row[1])
            row[1]->GetWnd().OnInitialUpdate();
    return true;
}

bool Splitter::DeleteRow(int32_t row) {
    if (layout_.Rows() != 2 || row < 0 || row > 1)
        return false;
    PanesChanging();
    const auto r = static_cast<size_t>(row);
    int32_t focusCol = -1;
    for (size_t c = 0; c < panes_[r].size(); ++c) {
        if (panes_[r][c] && panes_[r][c]->HasFocus())
            focusCol = static_cast<int32_t>(c);
        panes_[r][c].reset();
    }
    if (row == 0) {
        for (size_t c = 0; c < panes_[0].size(); ++c)
            panes_[0][c] = std::move(panes_[1][c]);
        rowBars_[0] = std::move(rowBars_[1]);
    }
    rowBars_[1].reset();
    layout_.RemoveRow();
    Relayout();
    if (SplitterPane* next = PaneAt(0, focusCol))
        next->Focus();
    return true;
}

bool Splitter::DeleteColumn(int32_t col) {
    if (layout_.Columns() != 2 || col < 0 || col > 1)
        return false;
    PanesChanging();
    const auto c = static_cast<size_t>(col);
    int32_t focusRow = -1;
    for (size_t r = 0; r < panes_.size(); ++r) {
        if (panes_[r][c] && panes_[r][c]->HasFocus())
            focusRow = static_cast<int32_t>(r);
        panes_[r][c].reset();
    }
    if (col == 0) {
        for (auto& rowPanes : panes_)
            rowPanes[0] = std::move(rowPanes[1]);
        colBars_[0] = std::move(colBars_[1]);
    }
    colBars_[1].reset();
    layout_.RemoveColumn();
    Relayout();
    if (SplitterPane* next = PaneAt(focusRow, 0))
        next->Focus();
    return true;
}

void Splitter::Dispatch(ScrollBar* bar, bool vertical, int32_t index, uint32_t code, int32_t pos) {
    if (!bar)
        return;
    if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION)
        bar->SetTrackPos(pos);
    const std::array<Wnd*, 2> panes =
        vertical ? std::array<Wnd*, 2>{GetPane(index, 0), GetPane(index, 1)}
                 : std::array<Wnd*, 2>{GetPane(0, index), GetPane(1, index)};
    DispatchSharedScroll(*bar, panes, vertical, code, pos);
}

void Splitter::RowBarAction(int32_t row, uint32_t code, int32_t pos) {
    Dispatch(GetRowScrollBar(row), true, row, code, pos);
}

void Splitter::ColumnBarAction(int32_t col, uint32_t code, int32_t pos) {
    Dispatch(GetColumnScrollBar(col), false, col, code, pos);
}

void Splitter::BarAction(const ScrollBar& bar, uint32_t code, int32_t pos) {
    for (int32_t r = 0; r < layout_.Rows(); ++r)
        if (rowBars_[static_cast<size_t>(r)].get() == &bar)
            return RowBarAction(r, code, pos);
    for (int32_t c = 0; c < layout_.Columns(); ++c)
        if (colBars_[static_cast<size_t>(c)].get() == &bar)
            return ColumnBarAction(c, code, pos);
}

void Splitter::EndDrag(SplitterLayout::Hit hit, Point at) {
    // The dragged bar is centred on the pointer; the first pane ends where the bar begins.
    const int32_t gapHalf = layout_.BarGap() / 2;
    const int32_t y = at.y - gapHalf;
    const int32_t x = at.x - gapHalf;
    const auto drop = [this](SplitterLayout::BarDrop result, bool rows) {
        switch (result) {
        case SplitterLayout::BarDrop::Moved:
            Relayout();
            break;
        case SplitterLayout::BarDrop::DeleteFirst:
            rows ? DeleteRow(0) : DeleteColumn(0);
            break;
        case SplitterLayout::BarDrop::DeleteSecond:
            rows ? DeleteRow(1) : DeleteColumn(1);
            break;
        }
    };
    switch (hit) {
    case SplitterLayout::Hit::RowBox:
        SplitRow(y);
        break;
    case SplitterLayout::Hit::ColumnBox:
        SplitColumn(x);
        break;
    case SplitterLayout::Hit::RowBar:
        drop(layout_.DropRowBar(y), true);
        break;
    case SplitterLayout::Hit::ColumnBar:
        drop(layout_.DropColumnBar(x), false);
        break;
    case SplitterLayout::Hit::None:
        break;
    }
}

// ---------------------------------------------------------------------------------------------

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
