// An edit view of the engine benchmarks: Z80 colouring, 200 x 60 cells, focused, on a buffer, in
// a window of one of the two backends (BackendWindow).
#pragma once

#include "buffer/textbuffer.h"
#include "common/backendwindow.h"
#include "common/benchdoc.h"
#include "common/benchview.h"
#include "edit/editview.h"

namespace bench {

using Z80EditView = Z80Colored<CTextEditView>;

class EditScene {
public:
    // `engine` true: the do-nothing backend; false: the headless test backend.
    explicit EditScene(bool engine, CTextBuffer& buffer = LoadedBuffer()) : window_(!engine) {
        if (window_.Headless())
            window_.Headless()->Focus();
        View().ConnectBuffer(&buffer);
        View().OnSetFocus(nullptr);
        Paint();
    }
    Z80EditView& View() { return window_.GetView(); }
    // The do-nothing backend's window; null on the headless one.
    nullbackend::NullWindow* Null() { return window_.Null(); }
    // Paints what is invalid, as the message loop does after each input.
    void Paint() { window_.PaintInvalid(); }
    // Selects from `from` to `to`, caret at `to`.
    void Select(TextPosition from, TextPosition to) {
        View().CollapseCaretTo(from);
        View().SelectRange(from, to);
        View().MoveCaretTo(to);
        Paint();
    }

private:
    BackendWindow<Z80EditView> window_;
};

} // namespace bench
