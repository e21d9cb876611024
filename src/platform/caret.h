// The caret of a window, kept by the platform so that every backend follows the same rules: one
// caret per window, created hidden, shown and hidden in nested pairs, moved, destroyed. A backend
// only draws it where this state says. The caret is part of the window's pixels: a window scroll
// carries it along (Wnd::ScrollWindow).
#pragma once

#include <cstdint>

#include "platform/geometry.h"

namespace platform {

struct CaretState {
    bool exists = false;
    // Drawn grey: the drop caret of a drag, not the typing caret.
    bool gray = false;
    Size size;
    Point pos;
    // The caret is drawn while it exists and every hide has been matched by a show.
    int32_t hideCount = 0;

    bool Visible() const { return exists && hideCount == 0; }
    Rect Bounds() const { return RectFromSize(pos, size); }

    // Replaces any earlier caret with a hidden one at the same place.
    void Create(Size newSize, bool isGray = false) {
        exists = true;
        gray = isGray;
        size = newSize;
        hideCount = 1;
    }
    void Show() {
        if (exists && hideCount > 0)
            --hideCount;
    }
    void Hide() {
        if (exists)
            ++hideCount;
    }
    void Destroy() { *this = {}; }

    friend bool operator==(const CaretState&, const CaretState&) = default;
};

} // namespace platform
