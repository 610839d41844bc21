#pragma once
// Points, sizes and half-open rectangles of the drawing layer.
#include <algorithm>

namespace platform::gfx {

struct Point {
    int x = 0;
    int y = 0;
    friend constexpr bool operator==(Point, Point) = default;
    constexpr Point operator+(Point o) const { return {x + o.x, y + o.y}; }
    constexpr Point operator-(Point o) const { return {x - o.x, y - o.y}; }
};

struct Size {
    int width = 0;
    int height = 0;
    friend constexpr bool operator==(Size, Size) = default;
};

// Half-open: covers left <= x < right, top <= y < bottom. Empty when right <= left
// or bottom <= top; an inverted rectangle is empty, never normalised.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static constexpr Rect FromSize(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }

    friend constexpr bool operator==(const Rect&, const Rect&) = default;

    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr Size size() const { return {width(), height()}; }
    constexpr Point topLeft() const { return {left, top}; }
    constexpr bool empty() const { return right <= left || bottom <= top; }
    constexpr bool contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    constexpr bool intersects(const Rect& o) const { return !intersected(o).empty(); }

    constexpr Rect intersected(const Rect& o) const {
        return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    }
    // The smallest rectangle holding both; an empty operand adds nothing.
    constexpr Rect united(const Rect& o) const {
        if (o.empty()) return *this;
        if (empty()) return o;
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
    }
    constexpr Rect translated(Point d) const { return {left + d.x, top + d.y, right + d.x, bottom + d.y}; }
    constexpr Rect inflated(int dx, int dy) const { return {left - dx, top - dy, right + dx, bottom + dy}; }
};

}  // namespace platform::gfx
