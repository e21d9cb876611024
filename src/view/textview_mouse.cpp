// Selecting with the mouse: characters, words (Ctrl+click, double click) and whole lines (the
// selection margin), the auto-scroll timer while the button is held outside the text area, drags
// started inside the selection, and the right button's caret before the context menu.
//
// The handlers set the caret directly: the remembered column of the vertical moves stays as it
// was.
#include <algorithm>
#include <cstdint>

#include "platform/keys.h"
#include "view/textview.h"

using platform::Point;

namespace {

bool AtOrAfter(TextPosition p, TextPosition q) {
    return p.y > q.y || (p.y == q.y && p.x >= q.x);
}

} // namespace

// ---- Positions and ranges

Point CTextView::NudgeToNearestChar(Point point) {
    point.x += GetCellWidth() / 2;
    return point;
}

TextPosition CTextView::MousePosition(Point point) {
    return PointToTextPosition(NudgeToNearestChar(point));
}

TextPosition CTextView::WordStartBefore(TextPosition position) {
    const char* chars = GetLineText(position.y);
    int32_t x = std::min(position.x, TextLineLength(position.y));
    while (chars && x > 0 && IsWordChar(static_cast<unsigned char>(chars[x - 1])))
        --x;
    return {x, position.y};
}

TextPosition CTextView::WordEndAfter(TextPosition position) {
    const char* chars = GetLineText(position.y);
    const int32_t length = TextLineLength(position.y);
    int32_t x = position.x;
    while (chars && x >= 0 && x < length && IsWordChar(static_cast<unsigned char>(chars[x])))
        ++x;
    return {x, position.y};
}

void CTextView::WordExtendedRange(TextPosition p, TextPosition& start, TextPosition& end) {
    if (AtOrAfter(p, anchor)) {
        start = WordStartBefore(anchor);
        end = WordEndAfter(p);
    } else {
        start = WordStartBefore(p);
        end = WordEndAfter(anchor);
    }
}

void CTextView::LineExtendedRange(TextPosition p, TextPosition& start, TextPosition& end) {
    const int32_t last = TextLineCount() - 1;
    const TextPosition textEnd{TextLineLength(last), last};
    if (AtOrAfter(p, anchor)) {
        start = {0, anchor.y};
        end = p.y >= last ? textEnd : TextPosition{0, p.y + 1};
    } else {
        start = anchor.y >= last ? textEnd : TextPosition{0, anchor.y + 1};
        end = {0, p.y};
    }
}

// ---- Capture and timer

void CTextView::BeginMouseSelection(TextPosition start, TextPosition end, bool words, bool lines) {
    PlaceCaret();
    ScrollIntoView(caretPos);
    SelectRange(start, end);
    SetCapture();
    mouse.autoScrollTimer = SetTimer(AutoScrollTimerId, kAutoScrollPeriodMs);
    mouse.wordSelecting = words;
    mouse.lineSelecting = lines;
    mouse.mouseSelecting = true;
}

void CTextView::EndMouseSelection() {
    if (GetCapture() == this)
        ReleaseCapture();
    if (mouse.autoScrollTimer != 0)
        KillTimer(mouse.autoScrollTimer);
    mouse = {};
}

// ---- Left button

void CTextView::OnLButtonDown(uint32_t flags, Point point) {
    Wnd::OnLButtonDown(flags, point);
    const bool shift = GetKeyState(platform::VK_SHIFT) < 0;
    const bool ctrl = GetKeyState(platform::VK_CONTROL) < 0;

    if (point.x < GetMarginPixels()) {
        if (ctrl) {
            SelectWholeText();
            PublishSelection();
            return;
        }
        // A click in the margin selects the clicked line with its line break; Shift extends
        // from the anchor's line.
        const int32_t line = MousePosition(point).y;
        caretPos = {0, line};
        if (!shift)
            anchor = {0, line};
        const int32_t last = TextLineCount() - 1;
        const TextPosition start = anchor.y >= last ? TextPosition{TextLineLength(last), last}
                                                    : TextPosition{0, anchor.y + 1};
        BeginMouseSelection(start, {0, line}, false, true);
        return;
    }

    // A press inside the selection may start a drag; the selection stays as it is.
    if (PositionInSelection(PointToTextPosition(point))) {
        drag.dragPending = true;
        return;
    }

    caretPos = MousePosition(point);
    if (!shift)
        anchor = caretPos;
    TextPosition start = anchor;
    if (ctrl) {
        TextPosition end;
        WordExtendedRange(caretPos, start, end);
        caretPos = end;
    }
    BeginMouseSelection(start, caretPos, ctrl, false);
}

void CTextView::OnLButtonDblClk(uint32_t flags, Point point) {
    Wnd::OnLButtonDblClk(flags, point);
    if (mouse.mouseSelecting)
        return;
    caretPos = anchor = MousePosition(point);
    TextPosition start;
    TextPosition end;
    WordExtendedRange(caretPos, start, end);
    caretPos = end;
    BeginMouseSelection(start, end, true, false);
}

void CTextView::OnMouseMove(uint32_t flags, Point point) {
    Wnd::OnMouseMove(flags, point);
    if (mouse.mouseSelecting) {
        const TextPosition p = MousePosition(point);
        TextPosition start = anchor;
        TextPosition end;
        if (mouse.lineSelecting && point.x < GetMarginPixels()) {
            // Whole lines; the caret stands at the start of the pointer's line. Moves do not
            // scroll: that is the timer's work.
            LineExtendedRange(p, start, end);
            caretPos = {0, p.y};
            PlaceCaret();
            SelectRange(start, end);
        } else {
            if (mouse.lineSelecting) {
                // Out of the margin the selection goes on by characters.
                SetCursor(platform::IDC_IBEAM);
                mouse.wordSelecting = false;
                mouse.lineSelecting = false;
            }
            if (mouse.wordSelecting) {
                WordExtendedRange(p, start, end);
                caretPos = end;
            } else {
                caretPos = p;
            }
            PlaceCaret();
            SelectRange(start, caretPos);
        }
    }
    if (drag.dragPending) {
        drag.dragPending = false;
        DragOut();
    }
}

void CTextView::OnLButtonUp(uint32_t flags, Point point) {
    Wnd::OnLButtonUp(flags, point);
    if (mouse.mouseSelecting) {
        const TextPosition p = MousePosition(point);
        TextPosition start = anchor;
        TextPosition end;
        if (mouse.lineSelecting) {
            LineExtendedRange(p, start, end);
            caretPos = AtOrAfter(p, anchor) ? end : TextPosition{0, p.y};
        } else if (mouse.wordSelecting) {
            WordExtendedRange(p, start, end);
            caretPos = end;
        } else {
            caretPos = end = p;
        }
        ScrollIntoView(caretPos);
        PlaceCaret();
        SelectRange(start, end);
        EndMouseSelection();
        PublishSelection();
    }
    if (drag.dragPending) {
        // A click inside the selection that did not move: the caret goes there, and the
        // selection and the anchor with it.
        drag.dragPending = false;
        const TextPosition p = MousePosition(point);
        caretPos = anchor = p;
        ScrollIntoView(p);
        PlaceCaret();
        SelectRange(p, p);
    }
}

// ---- Auto-scroll

void CTextView::OnTimer(uint32_t id) {
    Wnd::OnTimer(id);
    if (id != AutoScrollTimerId)
        return;
    if (!mouse.mouseSelecting) {
        // A timer left over from a selection that ended without the button going up.
        KillTimer(id);
        return;
    }
    const Point pointer = GetCursorPos();
    const platform::Rect client = GetClientRect();
    const int32_t rh = GetRowHeight();

    // One line per tick just outside the window, three when more than a line away.
    int64_t top = topLine;
    if (pointer.y < client.top)
        top -= pointer.y < client.top - rh ? 3 : 1;
    else if (pointer.y >= client.bottom)
        top += pointer.y >= static_cast<int64_t>(client.bottom) + rh ? 3 : 1;
    top = std::clamp<int64_t>(top, 0, std::max(TextLineCount() - 1, 0));
    const bool vertical = top != topLine;
    if (vertical) {
        ScrollToTopLine(static_cast<int32_t>(top), true);
        SyncSiblingScroll(true);
    }

    int64_t column = firstColumn;
    if (pointer.x < client.left)
        --column;
    else if (pointer.x >= client.right)
        ++column;
    column = std::clamp<int64_t>(column, 0, std::max(GetWidestLineColumns() - 1, 0));
    const bool horizontal = column != firstColumn;
    if (horizontal) {
        ScrollToColumn(static_cast<int32_t>(column), true);
        PlaceCaret();
        SyncSiblingScroll(false);
    }

    if (!vertical && !horizontal)
        return;
    // The selection follows the pointer by characters, whatever it grew by before.
    const TextPosition p = MousePosition(pointer);
    if (p != caretPos) {
        caretPos = p;
        PlaceCaret();
    }
    SelectRange(anchor, caretPos);
}

// ---- Right button

void CTextView::OnRButtonDown(uint32_t flags, Point point) {
    Wnd::OnRButtonDown(flags, point);
    // Outside the selection the caret moves to the click, so the context menu acts there;
    // inside, the selection stays for the menu's commands.
    const TextPosition p = MousePosition(point);
    if (PositionInSelection(p))
        return;
    caretPos = anchor = p;
    SelectRange(p, p);
    ScrollIntoView(p);
    PlaceCaret();
}
