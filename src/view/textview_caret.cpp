// The caret, focus, the selection, the mouse cursor and the view's keys.
#include <algorithm>
#include <cstdint>
#include <utility>

#include "view/textview.h"

using platform::Rect;

// ---- Caret

void CTextView::PlaceCaret() {
    if (focused && !caretHidden && CharIndexToColumn(caretPos.y, caretPos.x) >= firstColumn) {
        CreateSolidCaret(2, GetRowHeight());
        SetCaretPos(TextPositionToPoint(caretPos));
        ShowCaret();
    } else {
        HideCaret();
    }
}

void CTextView::MoveCaretTo(TextPosition position) {
    caretPos = position;
    rememberedColumn = CharIndexToColumn(position.y, position.x);
    PlaceCaret();
}

void CTextView::DisableCaret() {
    caretHidden = true;
    PlaceCaret();
}

void CTextView::EnableCaret() {
    caretHidden = false;
    PlaceCaret();
}

// ---- Focus

void CTextView::OnSetFocus(platform::Wnd* oldWnd) {
    Wnd::OnSetFocus(oldWnd);
    focused = true;
    if (HasSelection())
        InvalidateLineBand(selectionFirst.y, selectionSecond.y);
    PlaceCaret();
}

void CTextView::OnKillFocus(platform::Wnd* newWnd) {
    Wnd::OnKillFocus(newWnd);
    focused = false;
    PlaceCaret();
    if (HasSelection())
        InvalidateLineBand(selectionFirst.y, selectionSecond.y);
    // A mouse selection ends with the focus: the capture and the timer go.
    if (mouse.mouseSelecting)
        EndMouseSelection();
}

// ---- Selection

void CTextView::InvalidateLineBand(int32_t first, int32_t last) {
    if (last != -1 && last < first)
        std::swap(first, last);
    const Rect client = GetClientRect();
    const int64_t rh = GetRowHeight();
    // Bands beyond the window are cut just outside it.
    const auto clamp = [&](int64_t y) {
        return static_cast<int32_t>(std::clamp<int64_t>(y, client.top - rh, client.bottom + rh));
    };
    const int64_t top = rh * (static_cast<int64_t>(first) - topLine);
    const int64_t bottom =
        last == -1 ? client.bottom : rh * (static_cast<int64_t>(last) - topLine + 1);
    const Rect band{0, clamp(top), client.right, clamp(bottom)};
    InvalidateRect(&band, false);
}

void CTextView::SelectRange(TextPosition start, TextPosition end) {
    if (start != selectionFirst) {
        InvalidateLineBand(start.y, end.y);
        InvalidateLineBand(selectionFirst.y, selectionSecond.y);
    } else if (end != selectionSecond) {
        InvalidateLineBand(end.y, selectionSecond.y);
    }
    selectionFirst = start;
    selectionSecond = end;
}

void CTextView::OrderSelection() {
    const bool inOrder =
        selectionFirst.y < selectionSecond.y ||
        (selectionFirst.y == selectionSecond.y && selectionFirst.x <= selectionSecond.x);
    selectionStart = inOrder ? selectionFirst : selectionSecond;
    selectionEnd = inOrder ? selectionSecond : selectionFirst;
}

void CTextView::GetSelectedRange(TextPosition& start, TextPosition& end) {
    OrderSelection();
    start = selectionStart;
    end = selectionEnd;
}

bool CTextView::IsInSelection(TextPosition position) const {
    const TextPosition& s = selectionStart;
    const TextPosition& e = selectionEnd;
    if (position.y < s.y || position.y > e.y)
        return false;
    if (position.y > s.y && position.y < e.y)
        return true;
    if (s.y < e.y)
        return position.y == s.y ? position.x >= s.x : position.x < e.x;
    return s.x <= position.x && position.x < e.x;
}

bool CTextView::PositionInSelection(TextPosition position) {
    OrderSelection();
    return IsInSelection(position);
}

// ---- Mouse cursor and keys

bool CTextView::OnSetCursor(uint32_t hitTest) {
    if (hitTest != platform::HTCLIENT)
        return Wnd::OnSetCursor(hitTest);
    const platform::Point point = GetCursorPos();
    if (point.x < GetMarginPixels())
        SetCursor(view::IDC_MARGIN_CURSOR);
    else if (PositionInSelection(PointToTextPosition(point)))
        SetCursor(platform::IDC_ARROW);
    else
        SetCursor(platform::IDC_IBEAM);
    return true;
}

bool CTextView::PreTranslateKey(uint32_t vk, uint32_t modifiers) {
    return accelerators && TranslateAccelerator(*accelerators, vk, modifiers);
}
