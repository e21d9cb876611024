// How user input reaches an engine window: the rules every backend follows, so that a backend
// only reads its toolkit's events and the engine tests run the same rules as the shipped editor.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/geometry.h"

namespace platform {

class Wnd;

// A key press. `vk` is the key's virtual code (0 for a key that has none), `modifiers` its
// KeyModifier bits and `text` what the key types (empty for most keys). In order:
// 1. PreTranslateKey(vk, modifiers) sees the key first; when it uses the key up (an accelerator
//    sent its command), nothing else happens.
// 2. OnKeyDown(vk) follows for a key with a code.
// 3. The text arrives as DeliverText, unless Alt is held: Alt with a key types nothing.
void DeliverKeyPress(Wnd& wnd, uint32_t vk, uint32_t modifiers, std::u32string_view text);

// Typed text (from a key or an input method): each character goes to OnChar as a byte of the
// window's input code page. Characters the page cannot show are dropped, and so is DEL (0x7F),
// which some platforms send along with the Delete key: Delete is a key, never text.
void DeliverText(Wnd& wnd, std::u32string_view text);

// Whether the window's accelerator table has the key: a backend lets such keys reach the window
// ahead of every shortcut of the toolkit window around it.
bool WindowClaimsKey(const Wnd& wnd, uint32_t vk, uint32_t modifiers);

// The pointer moved over the window's client area: OnSetCursor(HTCLIENT) picks its shape, and
// the arrow shows when the window picks none.
void ShowPointerShape(Wnd& wnd);

// A scroll action on the window's vertical (SB_VERT) or horizontal bar, as if the user had used
// the bar: thumb codes first set the bar's track position to `pos`; inside a splitter the action
// reaches every pane sharing the bar, otherwise the window's OnVScroll / OnHScroll.
void SendScrollAction(Wnd& wnd, int32_t bar, uint32_t code, int32_t pos = 0);

// The mouse wheel of one window. OnMouseWheel sees every turn first; a turn it leaves scrolls the
// vertical bar by the system's lines per notch (WindowSystem::GetWheelScrollLines), one
// SB_LINEUP / SB_LINEDOWN action per line, then SB_ENDSCROLL. Turns smaller than a line (fine
// wheels, touchpads) add up until they make one; turning the other way starts afresh.
class MouseWheel {
public:
    // True when OnMouseWheel took the turn. `delta` is in multiples of WHEEL_DELTA per notch,
    // positive away from the user.
    bool Turn(Wnd& wnd, uint32_t flags, int32_t delta, Point point);

private:
    int64_t pending_ = 0; // delta x lines per notch not yet scrolled
};

} // namespace platform
