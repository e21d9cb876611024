// What the buffer knows of a view attached to it.
#pragma once

#include <string_view>

#include "buffer/adjusters.h"
#include "buffer/types.h"

class BatchChange;

class CBufferView {
public:
    virtual ~CBufferView() = default;

    // Called after every change, in attachment order, the changing view included. `source` is the
    // view on whose behalf the change was made (none for undo, redo and auto-indent), `adjuster`
    // lives only for the call and is none for flag changes and reloads, `hints` is a combination
    // of UpdateHint bits and `line` the first line concerned (-1 on reload).
    virtual void OnBufferChanged(CBufferView* source, const PositionAdjuster* adjuster,
                                 uint32_t hints, int line) = 0;

    // Called once for a batch of replacements each confined to one line (Replace All, its undo
    // and its redo), after the whole batch is applied, in place of a notification per change.
    // The default takes the changed lines one by one, as OnBufferChanged with
    // HintOneLine | HintLineLengths and an adjuster for that line's changes; a view overrides it
    // to do once what need not be done per line (repainting, placing the caret, the scroll bars).
    virtual void OnBufferBatchChanged(CBufferView* source, const BatchChange& change);

    // Called on the view that made a change when its undo group closes, with the action and text
    // of the last record. The group is still open, so records made here form a group of their own.
    // `text` is lent by the record, without a copy: it stays valid until the call returns, even
    // when the changes made here drop or undo the record.
    virtual void AfterEditAction(EditAction /*action*/, std::string_view /*text*/) {}
};
