#include "platform/headless/cellgrid.h"

#include <algorithm>
#include <utility>

namespace platform::headless {

CellGrid::CellGrid(Size size) {
    Resize(size);
}

void CellGrid::Resize(Size size) {
    size.cx = std::max(0, size.cx);
    size.cy = std::max(0, size.cy);
    std::vector<Cell> cells(static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy));
    const int32_t w = std::min(size.cx, size_.cx);
    const int32_t h = std::min(size.cy, size_.cy);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            cells[static_cast<size_t>(y) * static_cast<size_t>(size.cx) + static_cast<size_t>(x)] =
                At(x, y);
    cells_ = std::move(cells);
    size_ = size;
    std::erase_if(icons_, [&](const DrawnIcon& i) { return !Bounds().Contains(i.rect.TopLeft()); });
}

std::string CellGrid::Text(int32_t x, int32_t y, int32_t count, char blank) const {
    std::string out;
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t ch = At(x + i * kCellWidth, y).ch;
        out.push_back(ch ? static_cast<char>(ch) : blank);
    }
    return out;
}

bool CellGrid::AllPainted(const Rect& rect) const {
    for (int32_t y = rect.top; y < rect.bottom; ++y)
        for (int32_t x = rect.left; x < rect.right; ++x)
            if (At(x, y).back == CLR_NONE)
                return false;
    return true;
}

uint8_t HeadlessFont::Style() const {
    return static_cast<uint8_t>((lf_.IsBold() ? StyleBold : 0) | (lf_.lfItalic ? StyleItalic : 0));
}

HeadlessFont& DefaultFont() {
    static HeadlessFont font{[] {
        LogFont lf;
        lf.lfWeight = FW_NORMAL;
        lf.SetFaceName("Headless Fixed");
        return lf;
    }()};
    return font;
}

HeadlessSurface::HeadlessSurface(CellGrid* target, std::vector<Rect> clip, bool memory)
    : target_(target), clip_(std::move(clip)), memory_(memory), font_(&DefaultFont()) {}

Rect HeadlessSurface::GetClipBox() const {
    if (clip_.empty())
        return Surface::GetClipBox();
    Rect box = clip_.front();
    for (const Rect& r : clip_)
        box = Union(box, r);
    return box;
}

bool HeadlessSurface::Visible(Point p) const {
    if (!target_ || !target_->Bounds().Contains(p))
        return false;
    return clip_.empty() ||
           std::any_of(clip_.begin(), clip_.end(), [&](const Rect& r) { return r.Contains(p); });
}

template <typename Fn> void HeadlessSurface::Paint(const Rect& rect, const Rect* limit, Fn fn) {
    if (!target_)
        return;
    Rect area = Intersect(rect, target_->Bounds());
    if (limit)
        area = Intersect(area, *limit);
    if (area.IsEmpty())
        return;
    const std::vector<Rect> whole{target_->Bounds()};
    for (const Rect& c : clip_.empty() ? whole : clip_) {
        const Rect part = Intersect(area, c);
        for (int32_t y = part.top; y < part.bottom; ++y) {
            Cell* row = &target_->Mutable(part.left, y);
            for (int32_t x = part.left; x < part.right; ++x)
                fn(x, y, row[x - part.left]);
        }
        std::erase_if(target_->MutableIcons(),
                      [&](const DrawnIcon& i) { return part.Contains(i.rect.TopLeft()); });
    }
}

void HeadlessSurface::FillSolidRect(const Rect& rect, ColorRef color) {
    Paint(rect, nullptr, [color](int32_t, int32_t, Cell& c) {
        c.back = color;
        c.ch = 0;
        c.text = CLR_NONE;
        c.style = StyleNormal;
    });
}

void HeadlessSurface::ExtTextOut(int32_t x, int32_t y, uint32_t options, const Rect* rect,
                                 std::string_view text, const int32_t* dx) {
    const Rect* limit = (options & ETO_CLIPPED) && rect ? rect : nullptr;
    if ((options & ETO_OPAQUE) && rect)
        FillSolidRect(*rect, back_);
    int32_t total = 0;
    for (size_t i = 0; i < text.size(); ++i)
        total += dx ? dx[i] : kCellWidth;
    const ColorRef back = back_;
    if (mode_ == OPAQUE) {
        Paint({x, y, x + total, y + kCellHeight}, limit, [back](int32_t, int32_t, Cell& c) {
            c.back = back;
            c.ch = 0;
        });
    }
    const ColorRef fore = text_;
    const uint8_t style = font_->Style();
    int32_t cx = x;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto ch = static_cast<uint8_t>(text[i]);
        Paint({cx, y, cx + kCellWidth, y + kCellHeight}, limit, [=](int32_t, int32_t, Cell& c) {
            c.ch = ch;
            c.text = fore;
            c.style = style;
        });
        cx += dx ? dx[i] : kCellWidth;
    }
}

Font* HeadlessSurface::SelectFont(Font* font) {
    Font* old = font_;
    auto* headless = dynamic_cast<HeadlessFont*>(font);
    font_ = headless ? headless : &DefaultFont();
    return old;
}

ColorRef HeadlessSurfaceBase::SetTextColor(ColorRef color) {
    return std::exchange(text_, color);
}
ColorRef HeadlessSurfaceBase::SetBkColor(ColorRef color) {
    return std::exchange(back_, color);
}
int32_t HeadlessSurfaceBase::SetBkMode(int32_t mode) {
    return std::exchange(mode_, mode);
}

Size HeadlessSurfaceBase::GetTextExtent(std::string_view text) {
    return {static_cast<int32_t>(text.size()) * kCellWidth, kCellHeight};
}

TextMetrics HeadlessSurfaceBase::GetTextMetrics() {
    TextMetrics tm;
    tm.tmHeight = kCellHeight;
    tm.tmAscent = kAscent;
    tm.tmDescent = kCellHeight - kAscent;
    tm.tmAveCharWidth = kCellWidth;
    tm.tmMaxCharWidth = kCellWidth;
    return tm;
}

bool HeadlessSurfaceBase::GetCharWidth(uint8_t first, uint8_t last, int32_t* widths) {
    if (first > last)
        return false;
    std::fill(widths, widths + (last - first + 1), kCellWidth);
    return true;
}

int32_t HeadlessSurface::GetDeviceCaps(int32_t index) const {
    return DeviceCaps::Screen(kScreenDpi, kScreenDpi, target_ ? target_->GetSize() : Size{})
        .Get(index);
}

std::unique_ptr<Surface> HeadlessSurface::CreateCompatibleDC() {
    return std::make_unique<HeadlessSurface>(nullptr, std::vector<Rect>{}, true);
}

std::unique_ptr<Bitmap> HeadlessSurface::CreateCompatibleBitmap(int32_t cx, int32_t cy) {
    return std::make_unique<HeadlessBitmap>(Size{cx, cy});
}

Bitmap* HeadlessSurface::SelectBitmap(Bitmap* bitmap) {
    if (!memory_)
        return nullptr;
    auto* next = dynamic_cast<HeadlessBitmap*>(bitmap);
    if (bitmap && !next)
        return nullptr; // another backend's bitmap: refused, nothing changes
    HeadlessBitmap* old = bitmap_;
    bitmap_ = next;
    target_ = next ? &next->Grid() : nullptr;
    return old;
}

bool HeadlessSurface::BitBlt(int32_t x, int32_t y, int32_t cx, int32_t cy, Surface& source,
                             int32_t xSrc, int32_t ySrc) {
    auto* src = dynamic_cast<HeadlessSurface*>(&source);
    if (!src || !src->memory_ || !src->target_ || !target_)
        return false;
    const CellGrid& from = *src->target_;
    const int32_t offX = x - xSrc;
    const int32_t offY = y - ySrc;
    Paint({x, y, x + cx, y + cy}, nullptr,
          [&](int32_t px, int32_t py, Cell& c) { c = from.At(px - offX, py - offY); });
    const Rect srcRect{xSrc, ySrc, xSrc + cx, ySrc + cy};
    for (const DrawnIcon& icon : from.Icons()) {
        if (srcRect.Contains(icon.rect.TopLeft()))
            RecordIcon(icon.index, icon.rect.Offset(offX, offY));
    }
    return true;
}

void HeadlessSurface::RecordIcon(int32_t index, const Rect& rect) {
    if (!Visible(rect.TopLeft()))
        return;
    // Kept in reading order of their places, so that a screen painted piece by piece holds the
    // same list as one painted at once.
    std::vector<DrawnIcon>& icons = target_->MutableIcons();
    const auto at = std::upper_bound(
        icons.begin(), icons.end(), rect.TopLeft(),
        [](Point p, const DrawnIcon& icon) { return DrawnIcon::Before(p, icon.rect.TopLeft()); });
    icons.insert(at, {index, rect});
}

bool HeadlessImageList::Draw(Surface& surface, int32_t index, Point at) {
    if (index < 0 || index >= count_)
        return false;
    if (auto* s = dynamic_cast<HeadlessSurface*>(&surface))
        s->RecordIcon(index, RectFromSize(at, size_));
    return true;
}

} // namespace platform::headless
