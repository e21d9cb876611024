// The editing keys: typed characters, Enter with auto-indent, Delete, Backspace, Tab and
// Shift+Tab.
#include <string>

#include "edit/editview.h"
#include "platform/keys.h"

namespace {

// Leading characters that auto-indent copies. A CR is not among them: inserted, it would break
// the new line in two instead of indenting it.
bool IsIndentChar(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\n';
}

} // namespace

// ---- Typing

void CTextEditView::OnChar(uint32_t ch, uint32_t repeat) {
    CTextView::OnChar(ch, repeat);
    // A character typed while a button is held would land wherever the mouse selection is.
    if (GetKeyState(platform::VK_LBUTTON) < 0 || GetKeyState(platform::VK_RBUTTON) < 0)
        return;
    if (ch == '\r') {
        OnEnter();
        return;
    }
    // Control characters arrive as commands (Backspace, Tab) or not at all; a character is one
    // byte of the view's code page.
    if (ch < 32 || ch > 0xFF || !IsEditable())
        return;
    // A run of characters is one undo step with the step before it; a space starts a new one.
    buffer->OpenEditGroup(ch != ' ');
    TextPosition at = caretPos;
    if (HasSelection()) {
        DeleteSelection();
        at = caretPos;
    } else if (overwriteMode && at.x < TextLineLength(at.y)) {
        buffer->DeleteRecorded(this, at.y, at.x, at.y, at.x + 1, ActionTyping);
    }
    const char c = static_cast<char>(ch);
    CollapseCaretTo(InsertText(at, std::string_view(&c, 1), ActionTyping));
    buffer->CloseEditGroup(this);
}

void CTextEditView::OnEnter() {
    // In overwrite mode Enter only goes to the start of the next line, when there is one.
    if (overwriteMode && caretPos.y < TextLineCount() - 1) {
        CollapseCaretTo({0, caretPos.y + 1});
        return;
    }
    if (!IsEditable())
        return;
    buffer->OpenEditGroup(false);
    DeleteSelection();
    CollapseCaretTo(InsertText(caretPos, "\r\n", ActionTyping));
    // Closing the group calls AfterEditAction, which indents the new line.
    buffer->CloseEditGroup(this);
}

void CTextEditView::AfterEditAction(EditAction action, std::string_view text) {
    if (!autoIndent || action != ActionTyping || text != "\r\n" || overwriteMode || !buffer)
        return;
    const int32_t y = caretPos.y;
    if (y < 1)
        return;
    const char* above = GetLineText(y - 1);
    const int32_t length = TextLineLength(y - 1);
    int32_t count = 0;
    while (count < length && IsIndentChar(above[count]))
        ++count;
    if (count == 0)
        return;
    // Copied first: the insertion may move the line store's bytes.
    const std::string indent(above, static_cast<size_t>(count));
    int endLine = 0;
    int endChar = 0;
    // No source view: the indentation is a step of its own and calls no hook again.
    if (buffer->InsertRecorded(nullptr, y, caretPos.x, indent, endLine, endChar, ActionAutoIndent))
        CollapseCaretTo({endChar, endLine});
}

// ---- Deleting

void CTextEditView::OnEditDelete() {
    if (!IsEditable())
        return;
    TextPosition start;
    TextPosition end;
    GetSelectedRange(start, end);
    if (start == end) {
        start = caretPos;
        if (caretPos.x >= TextLineLength(caretPos.y)) {
            if (caretPos.y >= TextLineCount() - 1)
                return;
            end = {0, caretPos.y + 1};
        } else {
            end = {caretPos.x + 1, caretPos.y};
        }
    }
    CollapseCaretTo(start);
    buffer->DeleteRecorded(this, start.y, start.x, end.y, end.x, ActionDelete);
}

void CTextEditView::OnEditDeleteBack() {
    if (HasSelection()) {
        OnEditDelete();
        return;
    }
    if (!IsEditable())
        return;
    const TextPosition caret = caretPos;
    if (caret.x > 0) {
        CollapseCaretTo({caret.x - 1, caret.y});
        buffer->DeleteRecorded(this, caret.y, caret.x - 1, caret.y, caret.x, ActionBackspace);
    } else if (backspaceAtLineStart && caret.y >= 1) {
        const TextPosition start{TextLineLength(caret.y - 1), caret.y - 1};
        CollapseCaretTo(start);
        buffer->DeleteRecorded(this, start.y, start.x, caret.y, 0, ActionBackspace);
    } else {
        CollapseCaretTo(caret);
    }
}

// ---- Tab and Shift+Tab

void CTextEditView::OnEditTab() {
    if (!IsEditable())
        return;
    TextPosition start;
    TextPosition end;
    GetSelectedRange(start, end);
    if (start != end && start.y != end.y) {
        IndentBlock(true);
        return;
    }
    if (overwriteMode && caretPos.x < TextLineLength(caretPos.y)) {
        MoveToNextTabStop();
        return;
    }
    buffer->OpenEditGroup(false);
    DeleteSelection();
    CollapseCaretTo(InsertText(caretPos, "\t", ActionTyping));
    buffer->CloseEditGroup(this);
}

void CTextEditView::OnEditUntab() {
    if (!IsEditable())
        return;
    TextPosition start;
    TextPosition end;
    GetSelectedRange(start, end);
    if (start != end && start.y != end.y)
        IndentBlock(false);
    else
        MoveToPreviousTabStop();
}

void CTextEditView::IndentBlock(bool indent) {
    buffer->OpenEditGroup(false);
    TextPosition start;
    TextPosition end;
    GetSelectedRange(start, end);
    const int32_t first = start.y;
    int32_t last = end.y;
    // A selection ending at column 0 leaves its last line alone; otherwise the block takes in the
    // whole end line.
    if (end.x == 0) {
        last = end.y - 1;
    } else if (end.y < TextLineCount() - 1) {
        end = {0, end.y + 1};
    } else {
        end = {TextLineLength(end.y), end.y};
    }
    anchor = {0, first};
    SelectRange(anchor, end);
    MoveCaretTo(end);
    ScrollIntoView(end);
    PlaceCaret();

    // Many lines change one after another: the horizontal bar is computed once at the end.
    HoldHorzScrollBar(true);
    const int32_t tab = GetTabWidth();
    for (int32_t line = first; line <= last; ++line) {
        if (indent) {
            InsertText({0, line}, "\t", ActionIndent);
            continue;
        }
        // Up to one tab width of spaces, or spaces and the tab that ends them.
        const char* chars = GetLineText(line);
        const int32_t length = TextLineLength(line);
        int32_t count = 0;
        while (count < length && count < tab) {
            const char c = chars[count];
            if (c != ' ' && c != '\t')
                break;
            ++count;
            if (c == '\t')
                break;
        }
        if (count > 0)
            buffer->DeleteRecorded(this, line, 0, line, count, ActionIndent);
    }
    HoldHorzScrollBar(false);
    UpdateHorzScrollBar(false);
    buffer->CloseEditGroup(this);
}

void CTextEditView::MoveToNextTabStop() {
    const int32_t tab = GetTabWidth();
    const int32_t column = CharIndexToColumn(caretPos.y, caretPos.x);
    const char* chars = GetLineText(caretPos.y);
    const int32_t length = TextLineLength(caretPos.y);
    int32_t x = caretPos.x;
    // Up to the next tab stop, but not past the end of the line nor past a tab.
    for (int32_t step = tab - column % tab; step > 0 && x < length; --step) {
        const bool isTab = chars[x] == '\t';
        ++x;
        if (isTab)
            break;
    }
    CollapseCaretTo({x, caretPos.y});
}

void CTextEditView::MoveToPreviousTabStop() {
    if (caretPos.x < 1)
        return;
    const int32_t tab = GetTabWidth();
    const int32_t column = CharIndexToColumn(caretPos.y, caretPos.x);
    const int32_t target = column % tab == 0 ? column - tab : column - column % tab;
    const char* chars = GetLineText(caretPos.y);
    const int32_t length = TextLineLength(caretPos.y);
    int32_t walked = 0;
    int32_t x = 0;
    while (walked < target && x < length) {
        walked = chars[x] == '\t' ? walked + tab - walked % tab : walked + 1;
        ++x;
    }
    CollapseCaretTo({x, caretPos.y});
}
