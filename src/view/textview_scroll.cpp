// Scroll bars, scrolling, the panes of a splitter and the window size.
#include <algorithm>
#include <cstdint>

#include "platform/splitter.h"
#include "view/textview.h"

using platform::Rect;
using platform::ScrollInfo;

namespace {

// A scroll distance in pixels. It is passed on whole, however far beyond the window it goes: the
// window scroll carries the caret by it, so a caret scrolled out of view comes back with its
// line. Only distances no pixel position could hold are cut (as TextPositionToPoint cuts).
int32_t ScrollDistance(int64_t pixels) {
    return static_cast<int32_t>(std::clamp<int64_t>(pixels, INT32_MIN / 2, INT32_MAX / 2));
}

} // namespace

// ---- Scroll bars

void CTextView::UpdateVertScrollBar(bool positionOnly) {
    ScrollInfo info;
    if (!positionOnly) {
        const int32_t lines = TextLineCount();
        if (GetVisibleRowCount() >= lines && topLine > 0) {
            topLine = 0;
            Invalidate(true);
            PlaceCaret();
        }
        info.fMask = platform::SIF_DISABLENOSCROLL | platform::SIF_RANGE | platform::SIF_PAGE;
        info.nMin = 0;
        info.nMax = lines - 1;
        info.nPage = static_cast<uint32_t>(GetVisibleRowCount());
    }
    info.fMask |= platform::SIF_POS;
    info.nPos = topLine;
    SetScrollInfo(platform::SB_VERT, info, true);
}

void CTextView::UpdateHorzScrollBar(bool positionOnly) {
    ScrollInfo info;
    if (!positionOnly) {
        const int32_t widest = GetWidestLineColumns();
        if (GetVisibleColumnCount() >= widest && firstColumn > 0) {
            firstColumn = 0;
            Invalidate(true);
            PlaceCaret();
        }
        info.fMask = platform::SIF_DISABLENOSCROLL | platform::SIF_RANGE | platform::SIF_PAGE;
        info.nMin = 0;
        info.nMax = widest - 1;
        info.nPage = static_cast<uint32_t>(GetVisibleColumnCount());
    }
    info.fMask |= platform::SIF_POS;
    info.nPos = firstColumn;
    SetScrollInfo(platform::SB_HORZ, info, true);
}

// ---- Scrolling

void CTextView::ScrollToTopLine(int32_t top, bool track) {
    if (top == topLine)
        return;
    const int64_t dy = static_cast<int64_t>(GetRowHeight()) * (static_cast<int64_t>(topLine) - top);
    topLine = top;
    ScrollWindow(0, ScrollDistance(dy), nullptr, nullptr);
    UpdateWindow();
    if (track)
        UpdateVertScrollBar(true);
}

void CTextView::ScrollToColumn(int32_t offset, bool track) {
    if (offset == firstColumn)
        return;
    const int64_t dx =
        static_cast<int64_t>(GetCellWidth()) * (static_cast<int64_t>(firstColumn) - offset);
    firstColumn = offset;
    Rect textArea = GetClientRect();
    textArea.left += GetMarginPixels();
    ScrollWindow(ScrollDistance(dx), 0, &textArea, &textArea);
    // The selection mark of a line end left of the window, and that of a selected empty line,
    // are drawn in the text area's first cell whatever the scroll: those pixels do not move with
    // the text. The first cell is painted again, and so is the cell the old first cell moved to.
    const int32_t cw = GetCellWidth();
    Rect firstCell{textArea.left, textArea.top, textArea.left + cw, textArea.bottom};
    InvalidateRect(&firstCell, false);
    if (dx > 0 && dx < textArea.Width()) {
        firstCell = firstCell.Offset(static_cast<int32_t>(dx), 0);
        InvalidateRect(&firstCell, false);
    }
    UpdateWindow();
    if (track)
        UpdateHorzScrollBar(true);
}

void CTextView::OnVScroll(uint32_t code, int32_t /*pos*/) {
    ScrollInfo info;
    info.fMask = platform::SIF_ALL;
    GetScrollInfo(platform::SB_VERT, info);
    const int64_t page = info.nPage;
    const int32_t lines = TextLineCount();
    int64_t top = topLine;
    switch (code) {
    case platform::SB_LINEUP:
        top = topLine - 1;
        break;
    case platform::SB_LINEDOWN:
        top = topLine + 1;
        break;
    case platform::SB_PAGEUP:
        top = topLine - page + 1;
        break;
    case platform::SB_PAGEDOWN:
        top = topLine + page - 1;
        break;
    case platform::SB_THUMBPOSITION:
    case platform::SB_THUMBTRACK:
        top = info.nTrackPos;
        break;
    case platform::SB_TOP:
        top = 0;
        break;
    case platform::SB_BOTTOM:
        top = static_cast<int64_t>(lines) - GetVisibleRowCount() + 1;
        break;
    default:
        return;
    }
    top = std::max<int64_t>(std::min<int64_t>(std::max<int64_t>(top, 0), lines - 1), 0);
    ScrollToTopLine(static_cast<int32_t>(top), true);
}

void CTextView::OnHScroll(uint32_t code, int32_t /*pos*/) {
    ScrollInfo info;
    info.fMask = platform::SIF_ALL;
    GetScrollInfo(platform::SB_HORZ, info);
    const int64_t page = info.nPage;
    const int32_t widest = GetWidestLineColumns();
    int64_t offset = firstColumn;
    switch (code) {
    case platform::SB_LINELEFT:
        offset = firstColumn - 1;
        break;
    case platform::SB_LINERIGHT:
        offset = firstColumn + 1;
        break;
    case platform::SB_PAGELEFT:
        offset = firstColumn - page + 1;
        break;
    case platform::SB_PAGERIGHT:
        offset = firstColumn + page - 1;
        break;
    case platform::SB_THUMBPOSITION:
    case platform::SB_THUMBTRACK:
        offset = info.nTrackPos;
        break;
    case platform::SB_LEFT:
        offset = 0;
        break;
    case platform::SB_RIGHT:
        offset = static_cast<int64_t>(widest) - GetVisibleColumnCount() + 1;
        break;
    default:
        return;
    }
    if (offset >= widest)
        offset = static_cast<int64_t>(widest) - 1;
    offset = std::max<int64_t>(offset, 0);
    ScrollToColumn(static_cast<int32_t>(offset), true);
    PlaceCaret();
}

void CTextView::ScrollIntoView(TextPosition position) {
    const int32_t visible = GetVisibleRowCount();
    int64_t top = topLine;
    if (position.y >= top + visible)
        top = static_cast<int64_t>(position.y) - visible + 1;
    if (position.y < top)
        top = position.y;
    top = std::max<int64_t>(std::min<int64_t>(top, TextLineCount() - 1), 0);
    if (top != topLine) {
        ScrollToTopLine(static_cast<int32_t>(top), true);
        SyncSiblingScroll(true);
    }

    const int32_t column = CharIndexToColumn(position.y, position.x);
    const int32_t columns = GetVisibleColumnCount();
    int64_t offset = firstColumn;
    // A column exactly one screen width right of the offset still counts as visible.
    if (column > offset + columns)
        offset = static_cast<int64_t>(column) - columns;
    if (column < offset)
        offset = column;
    const int32_t widest = GetWidestLineColumns();
    if (offset >= widest)
        offset = static_cast<int64_t>(widest) - 1;
    offset = std::max<int64_t>(offset, 0);
    if (offset != firstColumn) {
        ScrollToColumn(static_cast<int32_t>(offset), true);
        PlaceCaret();
        SyncSiblingScroll(false);
    }
}

// ---- Splitter panes

CTextView* CTextView::GetSplitterPane(int32_t row, int32_t column) const {
    platform::Splitter* splitter = GetParentSplitter();
    if (!splitter)
        return nullptr;
    auto* pane = dynamic_cast<CTextView*>(splitter->GetPane(row, column));
    return pane == this ? nullptr : pane;
}

void CTextView::SyncSiblingScroll(bool horz) {
    platform::Splitter* splitter = GetParentSplitter();
    if (!splitter)
        return;
    const std::optional<platform::PaneCell> cell = platform::RowColFromId(GetDlgCtrlID());
    if (!cell)
        return;
    if (horz) {
        for (int32_t col = 0; col < splitter->GetColumnCount(); ++col)
            if (CTextView* pane = GetSplitterPane(cell->row, col))
                pane->FollowSiblingScroll(this, true);
    } else {
        for (int32_t row = 0; row < splitter->GetRowCount(); ++row)
            if (CTextView* pane = GetSplitterPane(row, cell->col))
                pane->FollowSiblingScroll(this, false);
    }
}

void CTextView::FollowSiblingScroll(CTextView* source, bool horz) {
    if (source == this || !source)
        return;
    if (horz) {
        if (source->topLine != topLine) {
            ScrollToTopLine(source->topLine, false);
            PlaceCaret();
        }
    } else if (source->firstColumn != firstColumn) {
        ScrollToColumn(source->firstColumn, false);
        PlaceCaret();
    }
}

// ---- Size

void CTextView::OnSize(int32_t cx, int32_t cy) {
    Wnd::OnSize(cx, cy);
    lineBitmap.reset();
    visibleRows = -1;
    visibleColumns = -1;
    UpdateVertScrollBar(false);
    UpdateHorzScrollBar(false);
}
