// Paste and Cut, the middle-click paste of the primary selection, and the edit view's side of
// drag-and-drop: the drop caret, scrolling while a drag rests near an edge, dropping text, and
// deleting the text a move took away.
//
// A read-only view changes nothing here: Paste and Cut are greyed and do nothing, drops are
// refused, and text dragged out of it can only be copied.
#include <new>
#include <optional>
#include <string>

#include "edit/editview.h"
#include "platform/dragdrop.h"
#include "platform/keys.h"

using platform::DataObject;
using platform::Point;

namespace {

bool Before(TextPosition p, TextPosition q) {
    return p.y < q.y || (p.y == q.y && p.x < q.x);
}

// The text of `source` as the view reads it; none when it cannot be had.
std::optional<std::string> TextOf(const DataObject& source, platform::CodePage page) {
    try {
        return source.GetText(page);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

} // namespace

// ---- Paste and Cut

void CTextEditView::OnEditPaste() {
    if (!IsEditable())
        return;
    buffer->OpenEditGroup(false);
    DeleteSelection();
    std::string text;
    if (GetTextFromClipboard(text) && !text.empty()) {
        // The undo record takes the text over: a paste of many megabytes is not copied again.
        int endLine = caretPos.y;
        int endChar = caretPos.x;
        if (buffer->InsertRecorded(this, caretPos.y, caretPos.x, std::move(text), endLine, endChar,
                                   ActionPaste))
            CollapseCaretTo({endChar, endLine});
    }
    buffer->CloseEditGroup(this);
}

void CTextEditView::OnEditCut() {
    if (!IsEditable() || !HasSelection())
        return;
    TextPosition start;
    TextPosition end;
    GetSelectedRange(start, end);
    // The text leaves the document only once the clipboard holds it: a cut the clipboard
    // refused would lose it.
    bool held = false;
    try {
        std::string text;
        GetTextRange(start, end, text);
        held = PutTextOnClipboard(std::move(text));
    } catch (const std::bad_alloc&) {
    }
    if (!held)
        return;
    CollapseCaretTo(start);
    buffer->DeleteRecorded(this, start.y, start.x, end.y, end.x, ActionCut);
}

void CTextEditView::OnMButtonDown(uint32_t flags, Point point) {
    CTextView::OnMButtonDown(flags, point);
    if (!IsEditable() || mouse.mouseSelecting)
        return;
    const platform::Clipboard* primary = GetClipboard(platform::ClipboardKind::Selection);
    if (!primary)
        return;
    const std::optional<std::string> text = TextOf(*primary, GetInputCodePage());
    if (!text || text->empty())
        return;
    const TextPosition at = MousePosition(point);
    buffer->OpenEditGroup(false);
    CollapseCaretTo(InsertText(at, *text, ActionPaste));
    buffer->CloseEditGroup(this);
}

// ---- Dragging out

uint32_t CTextEditView::GetDragEffects() {
    return IsEditable() ? platform::DROPEFFECT_COPY | platform::DROPEFFECT_MOVE
                        : platform::DROPEFFECT_COPY;
}

void CTextEditView::OnDragSourceDone(uint32_t effect) {
    if (!drag.draggingText || effect != platform::DROPEFFECT_MOVE || !buffer)
        return;
    const TextPosition from = drag.draggedFrom;
    const TextPosition to = drag.draggedTo;
    buffer->DeleteRecorded(this, from.y, from.x, to.y, to.x, ActionDragAndDrop);
}

// ---- Dropping

uint32_t CTextEditView::DropEffectFor(uint32_t keyState) {
    return (keyState & platform::MK_CONTROL) ? platform::DROPEFFECT_COPY
                                             : platform::DROPEFFECT_MOVE;
}

bool CTextEditView::AcceptsDrop(const DataObject& data) const {
    return IsEditable() && data.HasText();
}

void CTextEditView::ShowDropIndicator(Point point) {
    if (!drop.dropIndicatorShown) {
        HideCaret();
        drop.savedCaretPos = caretPos;
        drop.dropIndicatorShown = true;
        CreateGrayCaret(2, GetRowHeight());
    }
    drop.dropPos = PointToTextPosition(point);
    if (CharIndexToColumn(drop.dropPos.y, drop.dropPos.x) < firstColumn) {
        if (GetCaret().Visible())
            HideCaret();
        return;
    }
    SetCaretPos(TextPositionToPoint(drop.dropPos));
    ShowCaret();
}

void CTextEditView::HideDropIndicator() {
    if (!drop.dropIndicatorShown)
        return;
    caretPos = drop.savedCaretPos;
    drop.dropIndicatorShown = false;
    // The normal caret comes back where the view would show it; a view without the focus shows
    // none, so the grey one goes.
    DestroyCaret();
    PlaceCaret();
}

uint32_t CTextEditView::DragScroll(Point point, uint32_t keyState) {
    if (!IsEditable())
        return platform::DROPEFFECT_NONE;
    constexpr int32_t kBand = 5;
    const platform::Rect client = GetClientRect();
    // Tested in this order, so a corner scrolls vertically only.
    void (CTextView::*step)() = nullptr;
    if (point.y < client.top + kBand)
        step = &CTextView::ScrollOneLineUp;
    else if (point.y >= client.bottom - kBand)
        step = &CTextView::ScrollOneLineDown;
    else if (point.x < client.left + GetMarginPixels() + kBand)
        step = &CTextView::ScrollOneCharLeft;
    else if (point.x >= client.right - kBand)
        step = &CTextView::ScrollOneCharRight;
    if (step) {
        HideDropIndicator();
        (this->*step)();
        UpdateWindow();
        ShowDropIndicator(point);
    }
    return DropEffectFor(keyState);
}

bool CTextEditView::DropText(const DataObject& data, uint32_t effect, Point point) {
    const std::optional<std::string> text = TextOf(data, GetInputCodePage());
    if (!text || text->empty() || !buffer)
        return false;
    const TextPosition p = PointToTextPosition(point);
    // Dropped on its own selection, the text stays where it is; the caret goes to the drop.
    if (drag.draggingText && PositionInSelection(p)) {
        CollapseCaretTo(p);
        return false;
    }
    // A move dropped inside the text it moves out of, from another view of this buffer, would
    // delete itself with that text.
    const auto* source = dynamic_cast<const CTextView*>(data.SourceWindow());
    if (effect == platform::DROPEFFECT_MOVE && source && source != this &&
        source->GetBuffer() == buffer && source->GetTextDrag().draggingText) {
        const TextDrag& moving = source->GetTextDrag();
        if (!Before(p, moving.draggedFrom) && Before(p, moving.draggedTo))
            return false;
    }
    const TextPosition end = InsertText(p, *text, ActionDragAndDrop);
    if (end == p)
        return false;
    anchor = p;
    SelectRange(p, end);
    MoveCaretTo(end);
    ScrollIntoView(end);
    PlaceCaret();
    // The window that took the drop takes the focus, so its new selection shows.
    SetFocus();
    return true;
}
