// The base view's colour for each logical colour, as data that the view and the command-line
// tools share. Colours are 0x00BBGGRR values (red in the low byte).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "syntax/colorindex.h"

using ColorRef = uint32_t;

constexpr ColorRef MakeColorRef(uint8_t red, uint8_t green, uint8_t blue) {
    return static_cast<ColorRef>(red) | static_cast<ColorRef>(green) << 8 |
           static_cast<ColorRef>(blue) << 16;
}
constexpr uint8_t ColorRefRed(ColorRef c) {
    return static_cast<uint8_t>(c & 0xFF);
}
constexpr uint8_t ColorRefGreen(ColorRef c) {
    return static_cast<uint8_t>((c >> 8) & 0xFF);
}
constexpr uint8_t ColorRefBlue(ColorRef c) {
    return static_cast<uint8_t>((c >> 16) & 0xFF);
}

// The platform colours some defaults follow. The platform layer supplies the real values; the
// light-theme set below stands in where there is no platform (tools, tests).
enum class SystemColor : uint8_t {
    None,       // the entry has a fixed colour
    Window,     // window background
    WindowText, // window text
    ScrollBar,  // scroll bar track
};

struct SystemColors {
    ColorRef window;
    ColorRef windowText;
    ColorRef scrollBar;
};

inline constexpr SystemColors LightSystemColors{
    MakeColorRef(0xFF, 0xFF, 0xFF),
    MakeColorRef(0x00, 0x00, 0x00),
    MakeColorRef(0xD4, 0xD0, 0xC8),
};

struct DefaultColor {
    SystemColor system; // when not None, the platform colour replaces `fixed`
    ColorRef fixed;
};

// Indexed by ColorIndex.
inline constexpr std::array<DefaultColor, ColorIndexCount> DefaultColorTable{{
    {SystemColor::Window, 0},      // ColorWhitespace
    {SystemColor::Window, 0},      // ColorBackground
    {SystemColor::WindowText, 0},  // ColorNormalText
    {SystemColor::ScrollBar, 0},   // ColorSelectionMargin
    {SystemColor::None, 0x000000}, // ColorSelectionBackground
    {SystemColor::None, 0xFFFFFF}, // ColorSelectedText
    {SystemColor::None, 0xFF0000}, // ColorKeyword
    {SystemColor::None, 0x808080}, // ColorComment
    {SystemColor::None, 0x000080}, // ColorNumber
    {SystemColor::None, 0x000000}, // ColorOperator
    {SystemColor::None, 0x0000FF}, // ColorString
    {SystemColor::None, 0xC08000}, // ColorPreprocessor
}};

// The colour of an index that the table does not list.
inline constexpr ColorRef UnlistedColor = 0x0000FF;

constexpr ColorRef ResolveSystemColor(SystemColor which, const SystemColors& system) {
    switch (which) {
    case SystemColor::Window:
        return system.window;
    case SystemColor::WindowText:
        return system.windowText;
    case SystemColor::ScrollBar:
        return system.scrollBar;
    case SystemColor::None:
        break;
    }
    return 0;
}

// The base view's mapping: the table for 0 to 11, UnlistedColor for anything else.
constexpr ColorRef DefaultColorOf(int32_t index, const SystemColors& system = LightSystemColors) {
    if (index < 0 || index >= ColorIndexCount) {
        return UnlistedColor;
    }
    const DefaultColor& entry = DefaultColorTable[static_cast<std::size_t>(index)];
    return entry.system == SystemColor::None ? entry.fixed
                                             : ResolveSystemColor(entry.system, system);
}
