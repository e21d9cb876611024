// Virtual-key codes (classic values), key-modifier bits and mouse-message flags.
#pragma once

#include <cstdint>

namespace platform {

enum VirtualKey : uint32_t {
    VK_LBUTTON = 0x01,
    VK_RBUTTON = 0x02,
    VK_MBUTTON = 0x04,
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12, // Alt
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21, // Page Up
    VK_NEXT = 0x22,  // Page Down
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    // '0'..'9' and 'A'..'Z' are their ASCII codes.
    VK_F1 = 0x70,
    VK_F2 = 0x71,
    VK_F3 = 0x72,
    VK_F12 = 0x7B,
    VK_F24 = 0x87,
};

// Modifier bits of a key press; the same bits as the accelerator flags FSHIFT, FCONTROL, FALT.
enum KeyModifier : uint32_t {
    ModNone = 0,
    ModShift = 0x04,
    ModControl = 0x08,
    ModAlt = 0x10,
    ModMask = ModShift | ModControl | ModAlt,
};

// Flags passed with mouse messages: the buttons and modifier keys down at the time.
enum MouseFlag : uint32_t {
    MK_LBUTTON = 0x0001,
    MK_RBUTTON = 0x0002,
    MK_SHIFT = 0x0004,
    MK_CONTROL = 0x0008,
    MK_MBUTTON = 0x0010,
};

// One notch of a mouse wheel.
inline constexpr int32_t WHEEL_DELTA = 120;

} // namespace platform
