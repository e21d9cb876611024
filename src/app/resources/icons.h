// Pictures of the application as pixel art: the toolbar's 16 x 15 button images and the 16 x 16
// application and document icons. Each picture is rows of palette letters; '.' is transparent.
// Pixel art scaled by a whole factor stays sharp (every pixel becomes a square block), so the
// same data serves normal screens at 1x and high-density screens at 2x.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/color.h"
#include "platform/surface.h"

namespace app {

inline constexpr int32_t kToolBarImageWidth = 16;
inline constexpr int32_t kToolBarImageHeight = 15;
inline constexpr int32_t kIconSize = 16;
// The whole factors the application and document icons are offered at: 16 to 256 pixels, the
// sizes of the desktop's icon theme.
inline constexpr std::array<int32_t, 6> kIconScales{1, 2, 3, 4, 8, 16};

// The colour a rendered picture gives its transparent pixels; no RGB colour equals it.
inline constexpr platform::ColorRef kTransparent = platform::CLR_NONE;

struct PixelIcon {
    int32_t width = 0;
    int32_t height = 0;
    std::span<const std::string_view> rows; // `height` rows of `width` palette letters
};

// The colour of palette letter `letter`: kTransparent for '.', none for a letter not in the
// palette. Letters: k black, w white, l light grey, g grey, d dark grey, y yellow, o olive,
// b blue, n navy, r red, e green, t teal, c cyan.
std::optional<platform::ColorRef> PaletteColor(char letter);

// The application icon (IDR_MAINFRAME) or the document icon (IDR_SOURCETYPE); null otherwise.
const PixelIcon* FindIcon(int32_t id);

// The toolbar image of command `commandId`; null for a command without a button.
const PixelIcon* FindToolBarImage(uint32_t commandId);

// `icon` scaled by the whole factor `scale` (1 or more; smaller values count as 1), row by row
// from the top. A letter outside the palette renders transparent.
platform::BitmapData RenderIcon(const PixelIcon& icon, int32_t scale);

} // namespace app
