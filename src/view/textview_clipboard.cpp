// The clipboard primitives, Copy and Select All, the primary selection, and dragging the
// selection out of the view.
//
// Text leaves the view as bytes of its code page with CR LF between lines, whatever the bytes:
// NUL bytes travel like any other, so copy then paste gives back the whole selection.
#include <new>
#include <utility>

#include "platform/dragdrop.h"
#include "view/textview.h"

// ---- Clipboard primitives

bool CTextView::ClipboardHasText() {
    const platform::Clipboard* clipboard = GetClipboard();
    return clipboard && clipboard->HasText();
}

bool CTextView::PutTextOnClipboard(std::string text) {
    platform::Clipboard* clipboard = GetClipboard();
    if (!clipboard || text.empty())
        return false;
    return clipboard->SetText(std::move(text), GetInputCodePage());
}

bool CTextView::GetTextFromClipboard(std::string& text) {
    text.clear();
    const platform::Clipboard* clipboard = GetClipboard();
    if (!clipboard)
        return false;
    try {
        std::optional<std::string> held = clipboard->GetText(GetInputCodePage());
        if (!held)
            return false;
        text = std::move(*held);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// ---- Copy and Select All

void CTextView::SelectWholeText() {
    const int32_t last = TextLineCount() - 1;
    caretPos = {TextLineLength(last), last};
    SelectRange({0, 0}, caretPos);
    PlaceCaret();
}

void CTextView::CopySelection() {
    TextPosition start;
    TextPosition end;
    GetSelectedRange(start, end);
    if (start == end)
        return;
    try {
        std::string text;
        GetTextRange(start, end, text);
        PutTextOnClipboard(std::move(text));
    } catch (const std::bad_alloc&) {
        // A text too big to copy leaves the clipboard as it was.
    }
}

void CTextView::PublishSelection() {
    platform::Clipboard* primary = GetClipboard(platform::ClipboardKind::Selection);
    TextPosition start;
    TextPosition end;
    GetSelectedRange(start, end);
    if (!primary || start == end)
        return;
    try {
        std::string text;
        GetTextRange(start, end, text);
        primary->SetText(std::move(text), GetInputCodePage());
    } catch (const std::bad_alloc&) {
    }
}

// ---- Dragging out

std::optional<std::string> CTextView::BuildDragData() {
    TextPosition start;
    TextPosition end;
    GetSelectedRange(start, end);
    if (start == end)
        return std::nullopt;
    try {
        std::string text;
        GetTextRange(start, end, text);
        drag.draggedFrom = start;
        drag.draggedTo = end;
        return text;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

uint32_t CTextView::GetDragEffects() {
    return platform::DROPEFFECT_COPY;
}

void CTextView::OnDragSourceDone(uint32_t /*effect*/) {}

void CTextView::DragOut() {
    std::optional<std::string> data = BuildDragData();
    if (!data)
        return;
    // The insertion at the drop point and, for a move, the deletion here are one undo step when
    // both land in this buffer.
    CTextBuffer* grouped = buffer;
    if (grouped)
        grouped->OpenEditGroup(false);
    drag.draggingText = true;
    const uint32_t effect = DoDragDrop(std::move(*data), GetInputCodePage(), GetDragEffects());
    if (effect != platform::DROPEFFECT_NONE)
        OnDragSourceDone(effect);
    drag.draggingText = false;
    if (grouped)
        grouped->CloseEditGroup(this);
}
