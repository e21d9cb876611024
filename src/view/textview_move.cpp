// The movement keys: caret moves by character, word, line, page and to the ends of a line or the
// text, each plain or extending the selection, and the scrolls by one line or one column.
#include <algorithm>
#include <cstdint>

#include "view/textview.h"

namespace {

// The character at `index` of `line` in the view; only called with an index inside the line.
unsigned char CharAt(const char* chars, int32_t index) {
    return static_cast<unsigned char>(chars[index]);
}

} // namespace

bool CTextView::IsWordChar(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool CTextView::IsWhitespaceChar(unsigned char c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

// ---- The common end

void CTextView::FinishCaretMove(bool extend, bool remember) {
    if (remember)
        rememberedColumn = CharIndexToColumn(caretPos.y, caretPos.x);
    ScrollIntoView(caretPos);
    PlaceCaret();
    if (!extend)
        anchor = caretPos;
    SelectRange(anchor, caretPos);
}

void CTextView::CollapseCaretTo(TextPosition position) {
    anchor = position;
    SelectRange(position, position);
    MoveCaretTo(position);
    ScrollIntoView(position);
    // Scrolling vertically moves the window's pixels, not the caret.
    PlaceCaret();
}

// ---- Left and right

void CTextView::CaretLeft(bool extend) {
    OrderSelection();
    if (!extend && selectionStart != selectionEnd) {
        caretPos = selectionStart;
    } else if (caretPos.x > 0) {
        --caretPos.x;
    } else if (caretPos.y > 0) {
        --caretPos.y;
        caretPos.x = TextLineLength(caretPos.y);
    }
    FinishCaretMove(extend, true);
}

void CTextView::CaretRight(bool extend) {
    OrderSelection();
    if (!extend && selectionStart != selectionEnd) {
        caretPos = selectionEnd;
    } else if (caretPos.x != TextLineLength(caretPos.y)) {
        ++caretPos.x;
    } else if (caretPos.y < TextLineCount() - 1) {
        caretPos = {0, caretPos.y + 1};
    }
    FinishCaretMove(extend, true);
}

// ---- Words

void CTextView::CaretWordLeft(bool extend) {
    OrderSelection();
    if (!extend && selectionStart != selectionEnd) {
        caretPos = selectionStart;
        FinishCaretMove(extend, true);
        return;
    }
    if (caretPos.x == 0) {
        // At the very start there is nowhere to go: even the selection stays as it is.
        if (caretPos.y == 0)
            return;
        --caretPos.y;
        caretPos.x = TextLineLength(caretPos.y);
    }
    const char* chars = GetLineText(caretPos.y);
    int32_t p = std::min(caretPos.x, TextLineLength(caretPos.y));
    while (p > 0 && IsWhitespaceChar(CharAt(chars, p - 1)))
        --p;
    if (p > 0) {
        const unsigned char ch = CharAt(chars, p - 1);
        --p;
        if (IsWordChar(ch)) {
            while (p > 0 && IsWordChar(CharAt(chars, p - 1)))
                --p;
        } else {
            while (p > 0 && !IsWordChar(CharAt(chars, p - 1)) &&
                   !IsWhitespaceChar(CharAt(chars, p - 1)))
                --p;
        }
    }
    caretPos.x = p;
    FinishCaretMove(extend, true);
}

void CTextView::CaretWordRight(bool extend) {
    OrderSelection();
    if (!extend && selectionStart != selectionEnd) {
        caretPos = selectionEnd;
        FinishCaretMove(extend, true);
        return;
    }
    if (caretPos.x >= TextLineLength(caretPos.y)) {
        // At the very end there is nowhere to go: even the selection stays as it is.
        if (caretPos.y >= TextLineCount() - 1)
            return;
        caretPos = {0, caretPos.y + 1};
        // Landed on an empty line: the step goes on like a plain move right.
        if (TextLineLength(caretPos.y) == 0) {
            CaretRight(extend);
            return;
        }
    }
    const char* chars = GetLineText(caretPos.y);
    const int32_t n = TextLineLength(caretPos.y);
    int32_t p = caretPos.x;
    // A word, or a run of other characters, then the blanks after it; starting on blanks, only
    // the blanks.
    if (IsWordChar(CharAt(chars, p))) {
        while (p < n && IsWordChar(CharAt(chars, p)))
            ++p;
    } else {
        while (p < n && !IsWordChar(CharAt(chars, p)) && !IsWhitespaceChar(CharAt(chars, p)))
            ++p;
    }
    while (p < n && IsWhitespaceChar(CharAt(chars, p)))
        ++p;
    caretPos.x = p;
    FinishCaretMove(extend, true);
}

// ---- Lines and pages

void CTextView::MoveCaretToLine(int32_t line) {
    if (rememberedColumn == -1)
        rememberedColumn = CharIndexToColumn(caretPos.y, caretPos.x);
    caretPos.y = line;
    caretPos.x = std::min(ColumnToCharIndex(line, rememberedColumn), TextLineLength(line));
}

void CTextView::CaretLineUp(bool extend) {
    OrderSelection();
    if (!extend && selectionStart != selectionEnd)
        caretPos = selectionStart;
    if (caretPos.y > 0)
        MoveCaretToLine(caretPos.y - 1);
    FinishCaretMove(extend, false);
}

void CTextView::CaretLineDown(bool extend) {
    OrderSelection();
    if (!extend && selectionStart != selectionEnd)
        caretPos = selectionEnd;
    if (caretPos.y < TextLineCount() - 1)
        MoveCaretToLine(caretPos.y + 1);
    FinishCaretMove(extend, false);
}

int32_t CTextView::PageStep() {
    // A window less than two lines high still pages by a line rather than not at all (or, at
    // zero lines, backwards).
    return std::max(GetVisibleRowCount() - 1, 1);
}

void CTextView::CaretPageUp(bool extend) {
    const int32_t step = PageStep();
    const int32_t top = std::max(topLine - step, 0);
    if (top != topLine) {
        ScrollToTopLine(top, true);
        SyncSiblingScroll(true);
    }
    caretPos.y = std::max(caretPos.y - step, 0);
    caretPos.x = std::min(caretPos.x, TextLineLength(caretPos.y));
    FinishCaretMove(extend, true);
}

void CTextView::CaretPageDown(bool extend) {
    const int32_t step = PageStep();
    const int32_t last = TextLineCount() - 1;
    const int32_t top = static_cast<int32_t>(std::min<int64_t>(int64_t{topLine} + step, last));
    if (top != topLine) {
        ScrollToTopLine(top, true);
        SyncSiblingScroll(true);
    }
    caretPos.y = static_cast<int32_t>(std::min<int64_t>(int64_t{caretPos.y} + step, last));
    caretPos.x = std::min(caretPos.x, TextLineLength(caretPos.y));
    FinishCaretMove(extend, true);
}

// ---- Line and text ends

void CTextView::CaretLineHome(bool extend) {
    const char* chars = GetLineText(caretPos.y);
    const int32_t length = TextLineLength(caretPos.y);
    int32_t home = 0;
    while (home < length && IsWhitespaceChar(CharAt(chars, home)))
        ++home;
    // Home toggles between the first non-blank character and column 0.
    caretPos.x = home != length && caretPos.x != home ? home : 0;
    FinishCaretMove(extend, true);
}

void CTextView::CaretLineEnd(bool extend) {
    caretPos.x = TextLineLength(caretPos.y);
    FinishCaretMove(extend, true);
}

void CTextView::CaretTextStart(bool extend) {
    caretPos = {0, 0};
    FinishCaretMove(extend, true);
}

void CTextView::CaretTextEnd(bool extend) {
    const int32_t last = TextLineCount() - 1;
    caretPos = {TextLineLength(last), last};
    FinishCaretMove(extend, true);
}

// ---- Scrolling without moving the caret

void CTextView::ScrollOneLineUp() {
    if (topLine > 0) {
        ScrollToTopLine(topLine - 1, true);
        SyncSiblingScroll(true);
    }
}

void CTextView::ScrollOneLineDown() {
    if (topLine < TextLineCount() - 1) {
        ScrollToTopLine(topLine + 1, true);
        SyncSiblingScroll(true);
    }
}

void CTextView::ScrollOneCharLeft() {
    if (firstColumn > 0) {
        ScrollToColumn(firstColumn - 1, true);
        PlaceCaret();
        // The panes of the column share the horizontal bar, so they follow.
        SyncSiblingScroll(false);
    }
}

void CTextView::ScrollOneCharRight() {
    if (firstColumn < GetWidestLineColumns() - 1) {
        ScrollToColumn(firstColumn + 1, true);
        PlaceCaret();
        SyncSiblingScroll(false);
    }
}
