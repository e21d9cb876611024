// What the buffer knows of a view attached to it.
#pragma once

#include <string_view>

#include "buffer/adjusters.h"
#include "buffer/types.h"

class CBufferView {
public:
    virtual ~CBufferView() = default;

    // Called after every change, in attachment order, the changing view included. `source` is the
    // view on whose behalf the change was made (none for undo, redo and auto-indent), `adjuster`
    // lives only for the call and is none for flag changes and reloads, `hints` is a combination
    // of UpdateHint bits and `line` the first line concerned (-1 on reload).
    virtual void OnBufferChanged(CBufferView* source, const PositionAdjuster* adjuster,
                                 uint32_t hints, int line) = 0;

    // Called on the view that made a change when its undo group closes, with the action and text
    // of the last record. The group is still open, so records made here form a group of their own.
    virtual void AfterEditAction(EditAction /*action*/, std::string_view /*text*/) {}
};
