// Colours as 32-bit 0x00BBGGRR values and the system colour numbers the engine asks for.
#pragma once

#include <cstdint>

namespace platform {

using ColorRef = uint32_t;

// "No colour": the normal colour applies. Never a valid 0x00BBGGRR value.
inline constexpr ColorRef CLR_NONE = 0xFFFFFFFF;

constexpr ColorRef Rgb(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<ColorRef>(r) | (static_cast<ColorRef>(g) << 8) |
           (static_cast<ColorRef>(b) << 16);
}
constexpr uint8_t GetRValue(ColorRef c) {
    return static_cast<uint8_t>(c & 0xFF);
}
constexpr uint8_t GetGValue(ColorRef c) {
    return static_cast<uint8_t>((c >> 8) & 0xFF);
}
constexpr uint8_t GetBValue(ColorRef c) {
    return static_cast<uint8_t>((c >> 16) & 0xFF);
}

// System colour numbers, with the classic values. A backend answers them from its toolkit's
// palette (WindowSystem::GetSysColor); an unknown number yields black.
enum SysColor : int32_t {
    COLOR_SCROLLBAR = 0,
    COLOR_WINDOW = 5,
    COLOR_WINDOWTEXT = 8,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_GRAYTEXT = 17,
};

} // namespace platform
