// Drag-and-drop between windows: the effects, the drop target a window registers, and the rules
// every backend follows while a drag hovers over one of its windows (DropSite).
//
// A drag is started by WindowSystem::DoDragDrop, which returns when the user dropped or gave up.
// While it runs, the window under the pointer hears about it through its DropTarget: enter, over
// (each move), scroll (periodically, even while the pointer rests), leave, or drop.
#pragma once

#include <cstdint>

#include "platform/clipboard.h"
#include "platform/geometry.h"

namespace platform {

class Wnd;

enum DropEffect : uint32_t {
    DROPEFFECT_NONE = 0,
    DROPEFFECT_COPY = 1,
    DROPEFFECT_MOVE = 2,
};

// What a window does with drags over it. `keyState` holds MouseFlag bits (MK_CONTROL, MK_SHIFT,
// MK_LBUTTON, ...) and points are client coordinates of `wnd`. Each call that returns an effect
// returns the one the target would take (DROPEFFECT_NONE refuses); the site reconciles it with
// what the drag source allows.
class DropTarget {
public:
    virtual ~DropTarget() = default;
    virtual uint32_t OnDragEnter(Wnd& wnd, const DataObject& data, uint32_t keyState,
                                 Point point) = 0;
    virtual uint32_t OnDragOver(Wnd& wnd, const DataObject& data, uint32_t keyState,
                                Point point) = 0;
    virtual void OnDragLeave(Wnd& wnd) = 0;
    // `effect` is the one agreed for this drop; true when the data was taken.
    virtual bool OnDrop(Wnd& wnd, const DataObject& data, uint32_t effect, Point point) = 0;
    // Asked every DropSite::kScrollIntervalMs while the drag hovers and the target takes it,
    // whether or not the pointer moves, with the last key state and point.
    virtual uint32_t OnDragScroll(Wnd& wnd, uint32_t keyState, Point point) = 0;
};

// The effect a drag ends with when the target wants `wanted` and the source allows `allowed`:
// the wanted one when allowed; a move the source does not allow becomes a copy when copying is
// allowed (a source that only lends its text); otherwise none.
uint32_t AgreeDropEffect(uint32_t wanted, uint32_t allowed);

// One window's side of drag-and-drop, kept by each backend's window host: the registered target
// and the drag hovering over the window now. The backend passes its toolkit's drag events in and
// shows the effects that come back; while WantsTicks() it calls Tick every kScrollIntervalMs.
class DropSite {
public:
    static constexpr uint32_t kScrollIntervalMs = 50;

    // A null target stops drops; a drag hovering over the window is left first.
    void Register(Wnd& wnd, DropTarget* target);
    bool IsRegistered() const { return target_ != nullptr; }

    uint32_t Enter(Wnd& wnd, const DataObject& data, uint32_t allowed, uint32_t keyState,
                   Point point);
    uint32_t Over(Wnd& wnd, const DataObject& data, uint32_t allowed, uint32_t keyState,
                  Point point);
    void Leave(Wnd& wnd);
    // The effect carried out, DROPEFFECT_NONE when the target refused. The drag is over either
    // way.
    uint32_t Drop(Wnd& wnd, const DataObject& data, uint32_t allowed, uint32_t keyState,
                  Point point);
    // The periodic call; returns the effect to show.
    uint32_t Tick(Wnd& wnd);

    bool IsHovering() const { return hovering_; }
    // A drag hovers and the target took it at its last answer.
    bool WantsTicks() const { return hovering_ && effect_ != DROPEFFECT_NONE; }
    uint32_t Effect() const { return effect_; }
    // Where the drag was last seen, in client coordinates.
    Point Position() const { return point_; }

private:
    uint32_t Track(uint32_t wanted, uint32_t allowed, uint32_t keyState, Point point);

    DropTarget* target_ = nullptr;
    bool hovering_ = false;
    uint32_t allowed_ = DROPEFFECT_NONE;
    uint32_t keyState_ = 0;
    Point point_;
    uint32_t effect_ = DROPEFFECT_NONE;
};

} // namespace platform
