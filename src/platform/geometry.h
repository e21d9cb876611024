// Plain geometry values in the shape of the classic POINT, SIZE and RECT. All coordinates are
// pixels in the coordinate system of the surface or window they are used with; y grows downward.
#pragma once

#include <algorithm>
#include <cstdint>

namespace platform {

struct Point {
    int32_t x = 0;
    int32_t y = 0;

    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int32_t cx = 0;
    int32_t cy = 0;

    friend bool operator==(const Size&, const Size&) = default;
};

// A rectangle whose right and bottom edges are exclusive: (0, 0, 8, 16) covers 8 x 16 pixels.
// A rectangle with right <= left or bottom <= top is empty.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    Point TopLeft() const { return {left, top}; }
    bool Contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    Rect Offset(int32_t dx, int32_t dy) const {
        return {left + dx, top + dy, right + dx, bottom + dy};
    }

    friend bool operator==(const Rect&, const Rect&) = default;
};

inline Rect RectFromSize(Point origin, Size size) {
    return {origin.x, origin.y, origin.x + size.cx, origin.y + size.cy};
}

// The common part of two rectangles; an empty rectangle (all zero) when they do not overlap.
inline Rect Intersect(const Rect& a, const Rect& b) {
    Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    return r.IsEmpty() ? Rect{} : r;
}

// The smallest rectangle holding both; an empty operand is ignored.
inline Rect Union(const Rect& a, const Rect& b) {
    if (a.IsEmpty())
        return b;
    if (b.IsEmpty())
        return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

} // namespace platform
