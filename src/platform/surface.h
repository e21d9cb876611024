// The drawing context (a classic device context): solid fills, text runs, word-wrapped text,
// fonts and colours, text measurement, device resolution, memory contexts with bitmaps, and image
// lists. A printer's context is a Surface too (platform/print.h).
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

// DrawText formats, with the classic values.
enum DrawTextFormat : uint32_t {
    DT_TOP = 0x0000,
    DT_LEFT = 0x0000,
    DT_CENTER = 0x0001,
    DT_RIGHT = 0x0002,
    DT_VCENTER = 0x0004,    // DT_SINGLELINE only
    DT_BOTTOM = 0x0008,     // DT_SINGLELINE only
    DT_WORDBREAK = 0x0010,  // rows are broken between words to fit the rectangle's width
    DT_SINGLELINE = 0x0020, // one row; CR and LF are characters like any other
    DT_NOCLIP = 0x0100,     // draw outside the rectangle too
    DT_CALCRECT = 0x0400,   // measure only: nothing is drawn
    DT_NOPREFIX = 0x0800,   // '&' is a character like any other (it always is here)
};

// GetDeviceCaps indexes, with the classic values.
enum DeviceCap : int32_t {
    HORZRES = 8,           // width of the drawing area, in device units
    VERTRES = 10,          // height of the drawing area
    LOGPIXELSX = 88,       // device units per inch, across
    LOGPIXELSY = 90,       // device units per inch, down
    PHYSICALWIDTH = 110,   // a page's whole width (printers; the drawing area's elsewhere)
    PHYSICALHEIGHT = 111,  // a page's whole height
    PHYSICALOFFSETX = 112, // where the drawing area starts on the page
    PHYSICALOFFSETY = 113,
};

// What GetDeviceCaps answers for a surface: units per inch, the drawing area, and the page it sits
// on (for a screen, the drawing area itself).
struct DeviceCaps {
    int32_t dpiX = 96;
    int32_t dpiY = 96;
    Size area;
    Size page;
    Point offset; // of the drawing area on the page

    // A screen's, with `area` as both the drawing area and the page.
    static DeviceCaps Screen(int32_t dpiX, int32_t dpiY, Size area) {
        return {dpiX, dpiY, area, area, {}};
    }
    // The value of a DeviceCap index; 0 for another index.
    int32_t Get(int32_t index) const {
        switch (index) {
        case LOGPIXELSX:
            return dpiX;
        case LOGPIXELSY:
            return dpiY;
        case HORZRES:
            return area.cx;
        case VERTRES:
            return area.cy;
        case PHYSICALWIDTH:
            return page.cx;
        case PHYSICALHEIGHT:
            return page.cy;
        case PHYSICALOFFSETX:
            return offset.x;
        case PHYSICALOFFSETY:
            return offset.y;
        default:
            return 0;
        }
    }
};

// The classic MulDiv: a * b / c computed in 64 bits and rounded half away from zero; -1 when c
// is 0 or the result does not fit in 32 bits.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

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
    // The advances of bytes first..last in the selected font, as ExtTextOut places them, into
    // widths[0 .. last - first]. False when first > last.
    virtual bool GetCharWidth(uint8_t first, uint8_t last, int32_t* widths) = 0;
    // One of the DeviceCap values; 0 for an index the surface does not know.
    virtual int32_t GetDeviceCaps(int32_t index) const = 0;

    // Draws `text` in `rect` as `format` (DrawTextFormat bits) says and returns the height of the
    // text: the number of rows times the font's tmHeight. Without DT_SINGLELINE, CR, LF and CR LF
    // end a row; with DT_WORDBREAK a row also ends before the word that would cross the right
    // edge, the blanks at the break hanging past it, and a word wider than the rectangle is broken
    // between characters, so nothing is ever cut off (a row holds at least one character).
    // Rows are clipped to `rect` unless DT_NOCLIP is given. DT_CALCRECT draws nothing and sets
    // rect.bottom to rect.top + the height and rect.right to rect.left + the widest row.
    // Implemented once on GetCharWidth, GetTextMetrics and ExtTextOut.
    int32_t DrawText(std::string_view text, Rect& rect, uint32_t format);

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
