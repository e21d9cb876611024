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

// Rows and columns follow one set of rules: `rows` picks which. The panes of row (column) `line`
// are Slot(rows, line, k) for every k across.
std::unique_ptr<SplitterPane>& Splitter::Slot(bool rows, int32_t line, int32_t k) {
    const auto a = static_cast<size_t>(rows ? line : k);
    const auto b = static_cast<size_t>(rows ? k : line);
    return panes_[a][b];
}

bool Splitter::Split(bool rows, int32_t at) {
    if (!(rows ? layout_.SplitRowAt(at) : layout_.SplitColumnAt(at)))
        return false;
    auto& bars = rows ? rowBars_ : colBars_;
    const int32_t across = rows ? layout_.Columns() : layout_.Rows();
    bars[1] = CreateScrollBar(rows);
    for (int32_t k = 0; k < across; ++k) {
        auto& pane = Slot(rows, 1, k);
        pane = rows ? MakePane(1, k) : MakePane(k, 1);
        if (!pane) {
            PanesChanging();
            for (int32_t made = 0; made < across; ++made)
                Slot(rows, 1, made).reset();
            bars[1].reset();
            rows ? layout_.RemoveRow() : layout_.RemoveColumn();
            Relayout();
            return false;
        }
    }
    Relayout();
    for (int32_t k = 0; k < across; ++k)
        Slot(rows, 1, k)->GetWnd().OnInitialUpdate();
    return true;
}

bool Splitter::Remove(bool rows, int32_t line) {
    if ((rows ? layout_.Rows() : layout_.Columns()) != 2 || line < 0 || line > 1)
        return false;
    PanesChanging();
    auto& bars = rows ? rowBars_ : colBars_;
    const int32_t across = rows ? layout_.Columns() : layout_.Rows();
    int32_t focusAt = -1;
    for (int32_t k = 0; k < across; ++k) {
        auto& pane = Slot(rows, line, k);
        if (pane && pane->HasFocus())
            focusAt = k;
        pane.reset();
    }
    if (line == 0) {
        for (int32_t k = 0; k < across; ++k)
            Slot(rows, 0, k) = std::move(Slot(rows, 1, k));
        bars[0] = std::move(bars[1]);
    }
    bars[1].reset();
    rows ? layout_.RemoveRow() : layout_.RemoveColumn();
    Relayout();
    if (SplitterPane* next = rows ? PaneAt(0, focusAt) : PaneAt(focusAt, 0))
        next->Focus();
    return true;
}

bool Splitter::SplitRow(int32_t y) {
    return Split(true, y);
}

bool Splitter::SplitColumn(int32_t x) {
    return Split(false, x);
}

bool Splitter::DeleteRow(int32_t row) {
    return Remove(true, row);
}

bool Splitter::DeleteColumn(int32_t col) {
    return Remove(false, col);
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
