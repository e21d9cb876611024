// The drawing context (a classic device context): solid fills, text runs, fonts and colours,
// text measurement, memory contexts with bitmaps, and image lists.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/color.h"
#include "platform/font.h"
#include "platform/geometry.h"

namespace platform {

// ExtTextOut options.
enum TextOutOption : uint32_t {
    ETO_OPAQUE = 0x0002,  // fill the rectangle with the background colour first
    ETO_CLIPPED = 0x0004, // draw nothing outside the rectangle
};

enum BackgroundMode : int32_t { TRANSPARENT = 1, OPAQUE = 2 };

// An off-screen picture made by Surface::CreateCompatibleBitmap; only surfaces of the backend
// that made it can select or copy it.
class Bitmap {
public:
    virtual ~Bitmap() = default;
    virtual Size GetSize() const = 0;
};

// A drawing target. Text is 8-bit: one byte is one character cell, shown through the code page of
// the selected font's character set. A new surface has the backend's default font selected, black
// text on a white background, OPAQUE background mode.
class Surface {
public:
    virtual ~Surface() = default;

    virtual void FillSolidRect(const Rect& rect, ColorRef color) = 0;

    // Draws `text` with its top-left corner at (x, y). Character i is placed `dx[i]` pixels after
    // character i - 1 when `dx` is given (it must hold text.size() entries), else after the
    // font's advance. ETO_OPAQUE fills `rect` with the background colour first; ETO_CLIPPED keeps
    // every pixel, the opaque fill included, inside `rect`. In OPAQUE background mode each
    // character cell is filled with the background colour behind its glyph.
    // `rect` may be null only when neither option is given.
    virtual void ExtTextOut(int32_t x, int32_t y, uint32_t options, const Rect* rect,
                            std::string_view text, const int32_t* dx) = 0;
    void TextOut(int32_t x, int32_t y, std::string_view text) {
        ExtTextOut(x, y, 0, nullptr, text, nullptr);
    }

    // Selects `font` (null: the backend's default font) and returns the one selected before.
    virtual Font* SelectFont(Font* font) = 0;
    virtual ColorRef SetTextColor(ColorRef color) = 0; // returns the previous colour
    virtual ColorRef SetBkColor(ColorRef color) = 0;   // returns the previous colour
    virtual ColorRef GetTextColor() const = 0;
    virtual ColorRef GetBkColor() const = 0;
    virtual int32_t SetBkMode(int32_t mode) = 0; // returns the previous mode

    // Width and height of `text` in the selected font, the width being the sum of the advances
    // ExtTextOut would use; the height is the font's tmHeight.
    virtual Size GetTextExtent(std::string_view text) = 0;
    virtual TextMetrics GetTextMetrics() = 0;

    // A memory context compatible with this surface. It draws into the bitmap selected into it
    // and nowhere while none is selected.
    virtual std::unique_ptr<Surface> CreateCompatibleDC() = 0;
    virtual std::unique_ptr<Bitmap> CreateCompatibleBitmap(int32_t cx, int32_t cy) = 0;
    // Memory contexts only: selects `bitmap` (null deselects) and returns the previous one. The
    // caller keeps the bitmap alive while it is selected.
    virtual Bitmap* SelectBitmap(Bitmap* bitmap) = 0;

    // Copies the cx x cy block at (xSrc, ySrc) of the bitmap selected into `source` (a memory
    // context of the same backend) to (x, y) here. False when `source` has no bitmap or belongs
    // to another backend.
    virtual bool BitBlt(int32_t x, int32_t y, int32_t cx, int32_t cy, Surface& source, int32_t xSrc,
                        int32_t ySrc) = 0;
    // The smallest rectangle holding every pixel drawing can change now (the invalid area of a
    // paint): what is drawn outside it is lost, so a window may leave it out. Without a limit, a
    // rectangle far larger than any surface.
    virtual Rect GetClipBox() const { return {-kUnlimited, -kUnlimited, kUnlimited, kUnlimited}; }

    static constexpr int32_t kUnlimited = 1 << 29;
};

// A picture held as plain data, row by row from the top: what the application's resources give.
struct BitmapData {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<ColorRef> pixels; // width * height values

    ColorRef At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

// A strip of equally sized images made by WindowSystem::CreateImageList.
class ImageList {
public:
    virtual ~ImageList() = default;
    virtual int32_t GetImageCount() const = 0;
    virtual Size GetImageSize() const = 0;
    // Draws image `index` with its top-left corner at `at`, leaving the pixels of the mask colour
    // untouched. An index outside the list draws nothing and returns false.
    virtual bool Draw(Surface& surface, int32_t index, Point at) = 0;
};

} // namespace platform
