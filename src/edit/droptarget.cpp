#include "edit/droptarget.h"

#include "edit/editview.h"

using platform::DataObject;
using platform::Point;
using platform::Wnd;

uint32_t CEditDropTarget::OnDragEnter(Wnd& wnd, const DataObject& data, uint32_t keyState,
                                      Point point) {
    // Entering answers as moving over does: a view that cannot take the drop shows no caret.
    return OnDragOver(wnd, data, keyState, point);
}

uint32_t CEditDropTarget::OnDragOver(Wnd& /*wnd*/, const DataObject& data, uint32_t keyState,
                                     Point point) {
    if (!owner_)
        return platform::DROPEFFECT_NONE;
    if (!owner_->AcceptsDrop(data)) {
        owner_->HideDropIndicator();
        return platform::DROPEFFECT_NONE;
    }
    owner_->ShowDropIndicator(point);
    return CTextEditView::DropEffectFor(keyState);
}

void CEditDropTarget::OnDragLeave(Wnd& /*wnd*/) {
    if (owner_)
        owner_->HideDropIndicator();
}

bool CEditDropTarget::OnDrop(Wnd& /*wnd*/, const DataObject& data, uint32_t effect, Point point) {
    if (!owner_)
        return false;
    owner_->HideDropIndicator();
    return owner_->AcceptsDrop(data) && owner_->DropText(data, effect, point);
}

uint32_t CEditDropTarget::OnDragScroll(Wnd& /*wnd*/, uint32_t keyState, Point point) {
    return owner_ ? owner_->DragScroll(point, keyState) : platform::DROPEFFECT_NONE;
}
