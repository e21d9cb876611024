// The in-memory drawing backend: every font has fixed 8 x 16 pixel cells, and what is drawn is
// recorded per pixel as the character whose cell covers it, its colours and its font style, so a
// test can read back what a user would see. Icons drawn from image lists are kept as a list.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/surface.h"

namespace platform::headless {

inline constexpr int32_t kCellWidth = 8;
inline constexpr int32_t kCellHeight = 16;
inline constexpr int32_t kAscent = 13;
// Device units per inch of every headless screen surface.
inline constexpr int32_t kScreenDpi = 96;

enum FontStyle : uint8_t { StyleNormal = 0, StyleBold = 1, StyleItalic = 2 };

// One pixel. A glyph sets ch, text and style over its 8 x 16 cell; fills set back and clear ch.
// back is CLR_NONE where nothing was ever painted.
struct Cell {
    uint8_t ch = 0;
    uint8_t style = StyleNormal;
    ColorRef text = CLR_NONE;
    ColorRef back = CLR_NONE;

    friend bool operator==(const Cell&, const Cell&) = default;
};

struct DrawnIcon {
    int32_t index = 0;
    Rect rect; // where it was drawn; rect.TopLeft() is the point passed to ImageList::Draw

    friend bool operator==(const DrawnIcon&, const DrawnIcon&) = default;
    // Reading order of the top-left corners: the order a screen keeps its icons in.
    static bool Before(Point p, Point q) { return p.y != q.y ? p.y < q.y : p.x < q.x; }
};

class CellGrid {
public:
    explicit CellGrid(Size size = {});

    Size GetSize() const { return size_; }
    Rect Bounds() const { return {0, 0, size_.cx, size_.cy}; }
    // Pixels outside the grid read as never painted.
    const Cell& At(int32_t x, int32_t y) const {
        static constexpr Cell kUnpainted;
        if (x < 0 || y < 0 || x >= size_.cx || y >= size_.cy)
            return kUnpainted;
        return cells_[Index(x, y)];
    }
    Cell& Mutable(int32_t x, int32_t y) { return cells_[Index(x, y)]; }
    // The characters of `count` cells in a row starting at pixel (x, y), one every 8 pixels;
    // pixels without a glyph read as `blank`.
    std::string Text(int32_t x, int32_t y, int32_t count, char blank = ' ') const;
    // True when every pixel of `rect` has been painted.
    bool AllPainted(const Rect& rect) const;
    // In reading order of their top-left corners.
    const std::vector<DrawnIcon>& Icons() const { return icons_; }
    std::vector<DrawnIcon>& MutableIcons() { return icons_; }
    // Resizes, keeping the pixels that stay inside; new pixels are unpainted.
    void Resize(Size size);

    // Same size, same pixels, same icons in the same order.
    friend bool operator==(const CellGrid&, const CellGrid&) = default;

private:
    size_t Index(int32_t x, int32_t y) const {
        return static_cast<size_t>(y) * static_cast<size_t>(size_.cx) + static_cast<size_t>(x);
    }

    Size size_;
    std::vector<Cell> cells_;
    std::vector<DrawnIcon> icons_;
};

class HeadlessFont final : public Font {
public:
    explicit HeadlessFont(const LogFont& lf) : lf_(lf) {}
    const LogFont& GetLogFont() const override { return lf_; }
    uint8_t Style() const;

private:
    LogFont lf_;
};

// The font every headless surface starts with.
HeadlessFont& DefaultFont();

class HeadlessBitmap final : public Bitmap {
public:
    explicit HeadlessBitmap(Size size) : grid_(size) {}
    Size GetSize() const override { return grid_.GetSize(); }
    CellGrid& Grid() { return grid_; }

private:
    CellGrid grid_;
};

// What every headless drawing context shares: 8 x 16 cells in every font, and the colours and
// background mode as set.
class HeadlessSurfaceBase : public Surface {
public:
    ColorRef SetTextColor(ColorRef color) override;
    ColorRef SetBkColor(ColorRef color) override;
    ColorRef GetTextColor() const override { return text_; }
    ColorRef GetBkColor() const override { return back_; }
    int32_t SetBkMode(int32_t mode) override;
    Size GetTextExtent(std::string_view text) override;
    TextMetrics GetTextMetrics() override;
    bool GetCharWidth(uint8_t first, uint8_t last, int32_t* widths) override;

protected:
    ColorRef text_ = 0x000000;
    ColorRef back_ = 0xFFFFFF;
    int32_t mode_ = OPAQUE;
};

class HeadlessSurface final : public HeadlessSurfaceBase {
public:
    // Draws on `target`; with `clip` not empty only inside the union of its rectangles. A memory
    // context starts with no target and draws on the bitmap selected into it.
    HeadlessSurface(CellGrid* target, std::vector<Rect> clip, bool memory);

    void FillSolidRect(const Rect& rect, ColorRef color) override;
    void ExtTextOut(int32_t x, int32_t y, uint32_t options, const Rect* rect, std::string_view text,
                    const int32_t* dx) override;
    // Another backend's font (or null) selects the default font.
    Font* SelectFont(Font* font) override;
    // kScreenDpi; the drawing area is the target's size.
    int32_t GetDeviceCaps(int32_t index) const override;
    std::unique_ptr<Surface> CreateCompatibleDC() override;
    std::unique_ptr<Bitmap> CreateCompatibleBitmap(int32_t cx, int32_t cy) override;
    Bitmap* SelectBitmap(Bitmap* bitmap) override;
    bool BitBlt(int32_t x, int32_t y, int32_t cx, int32_t cy, Surface& source, int32_t xSrc,
                int32_t ySrc) override;
    // The bounds of the clip rectangles, when there are any.
    Rect GetClipBox() const override;

    // Records an icon whose top-left pixel is visible on this surface.
    void RecordIcon(int32_t index, const Rect& rect);
    CellGrid* Target() const { return target_; }

private:
    // Calls fn(x, y, cell) for every pixel of `rect` inside the target, the clip region and `limit`
    // (if given); icons whose top-left pixel is painted over are dropped.
    template <typename Fn> void Paint(const Rect& rect, const Rect* limit, Fn fn);
    bool Visible(Point p) const;

    CellGrid* target_;
    std::vector<Rect> clip_;
    bool memory_;
    HeadlessBitmap* bitmap_ = nullptr;
    HeadlessFont* font_;
};

class HeadlessImageList final : public ImageList {
public:
    HeadlessImageList(int32_t count, Size imageSize) : count_(count), size_(imageSize) {}
    int32_t GetImageCount() const override { return count_; }
    Size GetImageSize() const override { return size_; }
    bool Draw(Surface& surface, int32_t index, Point at) override;

private:
    int32_t count_;
    Size size_;
};

} // namespace platform::headless
