// CEditDropTarget: how drags reach an edit view. The view owns it, registers it when its window
// is created and revokes it when the window goes; the target only asks its owner.
#pragma once

#include <cstdint>

#include "platform/dragdrop.h"

class CTextEditView;

class CEditDropTarget final : public platform::DropTarget {
public:
    explicit CEditDropTarget(CTextEditView* owner) : owner_(owner) {}

    // Enter and over show the drop caret and answer copy (Ctrl held) or move; they refuse, the
    // drop caret hidden, while the view cannot take the data (AcceptsDrop).
    uint32_t OnDragEnter(platform::Wnd& wnd, const platform::DataObject& data, uint32_t keyState,
                         platform::Point point) override;
    uint32_t OnDragOver(platform::Wnd& wnd, const platform::DataObject& data, uint32_t keyState,
                        platform::Point point) override;
    void OnDragLeave(platform::Wnd& wnd) override;
    bool OnDrop(platform::Wnd& wnd, const platform::DataObject& data, uint32_t effect,
                platform::Point point) override;
    uint32_t OnDragScroll(platform::Wnd& wnd, uint32_t keyState, platform::Point point) override;

private:
    CTextEditView* owner_;
};
