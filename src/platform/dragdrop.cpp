#include "platform/dragdrop.h"

namespace platform {

uint32_t AgreeDropEffect(uint32_t wanted, uint32_t allowed) {
    if (wanted == DROPEFFECT_NONE)
        return DROPEFFECT_NONE;
    if (wanted & allowed & DROPEFFECT_MOVE)
        return DROPEFFECT_MOVE;
    if (allowed & DROPEFFECT_COPY)
        return DROPEFFECT_COPY;
    return DROPEFFECT_NONE;
}

void DropSite::Register(Wnd& wnd, DropTarget* target) {
    if (hovering_ && target != target_)
        Leave(wnd);
    target_ = target;
}

uint32_t DropSite::Track(uint32_t wanted, uint32_t allowed, uint32_t keyState, Point point) {
    allowed_ = allowed;
    keyState_ = keyState;
    point_ = point;
    effect_ = AgreeDropEffect(wanted, allowed);
    return effect_;
}

uint32_t DropSite::Enter(Wnd& wnd, const DataObject& data, uint32_t allowed, uint32_t keyState,
                         Point point) {
    if (!target_)
        return DROPEFFECT_NONE;
    if (hovering_)
        return Over(wnd, data, allowed, keyState, point);
    hovering_ = true;
    return Track(target_->OnDragEnter(wnd, data, keyState, point), allowed, keyState, point);
}

uint32_t DropSite::Over(Wnd& wnd, const DataObject& data, uint32_t allowed, uint32_t keyState,
                        Point point) {
    if (!target_)
        return DROPEFFECT_NONE;
    if (!hovering_)
        return Enter(wnd, data, allowed, keyState, point);
    return Track(target_->OnDragOver(wnd, data, keyState, point), allowed, keyState, point);
}

void DropSite::Leave(Wnd& wnd) {
    if (!hovering_)
        return;
    hovering_ = false;
    effect_ = DROPEFFECT_NONE;
    if (target_)
        target_->OnDragLeave(wnd);
}

uint32_t DropSite::Drop(Wnd& wnd, const DataObject& data, uint32_t allowed, uint32_t keyState,
                        Point point) {
    if (!target_)
        return DROPEFFECT_NONE;
    // The effect is asked once more where the drop happens, with the keys held then.
    const uint32_t effect = Over(wnd, data, allowed, keyState, point);
    hovering_ = false;
    effect_ = DROPEFFECT_NONE;
    if (effect == DROPEFFECT_NONE) {
        target_->OnDragLeave(wnd);
        return DROPEFFECT_NONE;
    }
    return target_->OnDrop(wnd, data, effect, point) ? effect : DROPEFFECT_NONE;
}

uint32_t DropSite::Tick(Wnd& wnd) {
    if (!WantsTicks())
        return effect_;
    return Track(target_->OnDragScroll(wnd, keyState_, point_), allowed_, keyState_, point_);
}

} // namespace platform
