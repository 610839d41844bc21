#pragma once
// Rasterising internals of the drawing context: all in device pixels, exact
// integer arithmetic, no clipping beyond what each function says.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/gfx/geometry.h"

namespace platform::gfx::detail {

// Coordinates beyond this are clamped before rasterising so products fit int64;
// it lies beyond the widest possible surface, so nothing visible moves.
inline constexpr int kCoordLimit = 1 << 29;
int ClampCoord(long long v);
Point ClampPoint(Point p);

// The pixels of a 1-pixel line as a closed form: step i (0..count) is at
// major = start + i * sign, minor = start + round-half-up(i * dminor / dmajor).
class LineSteps {
public:
    LineSteps(Point from, Point to);
    int count() const { return count_; }  // steps to the end point
    Point At(int i) const;
    // Steps i in [first, last) whose pixel lies in `r`, as [out first, out last).
    void ClipTo(const Rect& r, int& first, int& last) const;
    // f(i, At(i)) for i in [first, last), 0 <= first, stepping the minor axis
    // by remainders instead of dividing at every step.
    template <class F>
    void ForEach(int first, int last, F&& f) const {
        if (first >= last) return;
        const long long den = 2LL * dMajor_;
        const long long step = 2LL * dMinor_;
        long long q = 0, r = 0;
        if (den != 0) {
            const long long num = first * step + dMajor_;
            q = num / den;
            r = num % den;
        }
        for (int i = first; i < last; ++i) {
            const int major = i * sMajor_;
            const int minor = static_cast<int>(q) * sMinor_;
            f(i, xMajor_ ? Point{from_.x + major, from_.y + minor} : Point{from_.x + minor, from_.y + major});
            r += step;
            if (den != 0 && r >= den) {
                r -= den;
                ++q;
            }
        }
    }

private:
    long long Minor(int i) const;
    Point from_;
    int count_ = 0;
    int dMajor_ = 0;
    int dMinor_ = 0;
    int sMajor_ = 1;
    int sMinor_ = 1;
    bool xMajor_ = true;
};

struct Span {
    int x0 = 0;
    int x1 = 0;  // exclusive
};

// Pixels whose centre lies in the ellipse inscribed in `box`, on row y. The box
// stays within twice kCoordLimit.
Span EllipseRow(const Rect& box, int y);
// The same without the table of small boxes.
Span EllipseRowExact(const Rect& box, int y);

// The pixels of a row of a shape (given its row spans above, on and below)
// whose four neighbours all lie in the shape.
Span InteriorOfRow(Span above, Span row, Span below);
// `row` less `cut`: up to two spans.
int SubtractSpan(Span row, Span cut, Span out[2]);

// Pixels of row y whose centres lie inside the polygon by the alternate
// (even-odd) rule, appended to `out` in order.
class PolygonScan {
public:
    explicit PolygonScan(std::span<const Point> points);
    Rect bounds() const { return bounds_; }
    void Row(int y, std::vector<Span>& out) const;

private:
    struct Edge {
        long long x0, y0, x1, y1;  // y0 < y1
    };
    // Symbols are triangles and small polygons: their edges stay off the heap.
    static constexpr std::size_t kInlineEdges = 8;
    std::span<const Edge> edges() const;
    Edge inline_[kInlineEdges];
    std::size_t inlineCount_ = 0;
    // Rows asked for one after another step each inline edge's crossing by
    // remainders: ceil(m / 2d) with m = 2d * q + r, 0 <= r < 2d.
    struct Crossing {
        long long q, r, stepQ, stepR;
    };
    mutable Crossing crossings_[kInlineEdges];
    mutable long long nextRow_ = -(1LL << 62);
    std::vector<Edge> heap_;
    Rect bounds_;
    mutable std::vector<long long> xs_;
};

// A clip region: a rectangle, or per-row spans inside its bounds. Copies share rows.
class Region {
public:
    Region() = default;
    explicit Region(const Rect& r) : bounds_(r.empty() ? Rect{} : r) {}
    static Region FromPolygon(std::span<const Point> points, const Rect& limit);

    const Rect& bounds() const { return bounds_; }
    bool empty() const { return bounds_.empty(); }
    bool rectangular() const { return !rows_; }
    bool Contains(Point p) const;
    void Intersect(const Rect& r);
    void Subtract(const Rect& r);

    // Calls f(x0, x1) for each part of [x0, x1) on row y inside the region.
    template <class F>
    void ForEachSpan(int y, int x0, int x1, F&& f) const {
        if (y < bounds_.top || y >= bounds_.bottom) return;
        if (!rows_) {
            int a = x0 > bounds_.left ? x0 : bounds_.left;
            int b = x1 < bounds_.right ? x1 : bounds_.right;
            if (a < b) f(a, b);
            return;
        }
        for (const Span& s : (*rows_)[y - bounds_.top]) {
            if (s.x0 >= x1) break;
            int a = x0 > s.x0 ? x0 : s.x0;
            int b = x1 < s.x1 ? x1 : s.x1;
            if (a < b) f(a, b);
        }
    }

private:
    using Rows = std::vector<std::vector<Span>>;
    void SetRows(Rect area, Rows&& rows);  // tightens bounds, drops empty edges
    Rows MaterialisedRows() const;

    Rect bounds_;
    std::shared_ptr<const Rows> rows_;  // null: the whole of bounds_
};

}  // namespace platform::gfx::detail
