#include "platform/gfx/raster.h"

#include <algorithm>
#include <cmath>

namespace platform::gfx::detail {
namespace {

long long FloorDiv(long long a, long long b) {  // b > 0
    long long q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}
long long CeilDiv(long long a, long long b) { return -FloorDiv(-a, b); }

long long ISqrt(long long v) {
    if (v <= 0) return 0;
    auto s = static_cast<long long>(std::sqrt(static_cast<long double>(v)));
    while (s > 0 && s * s > v) --s;
    while ((s + 1) * (s + 1) <= v) ++s;
    return s;
}

// The offsets k, as [low, high), for which start + sign * k lies in [lo, hi); sign is 1 or -1.
struct Offsets {
    long long low, high;
};
Offsets OffsetsWithin(int start, int sign, int lo, int hi) {
    if (sign > 0) return {static_cast<long long>(lo) - start, static_cast<long long>(hi) - start};
    return {static_cast<long long>(start) - hi + 1, static_cast<long long>(start) - lo + 1};
}

}  // namespace

int ClampCoord(long long v) { return static_cast<int>(std::clamp<long long>(v, -kCoordLimit, kCoordLimit)); }
Point ClampPoint(Point p) { return {ClampCoord(p.x), ClampCoord(p.y)}; }

LineSteps::LineSteps(Point from, Point to) : from_(ClampPoint(from)) {
    to = ClampPoint(to);
    int dx = to.x - from_.x;
    int dy = to.y - from_.y;
    xMajor_ = std::abs(dx) >= std::abs(dy);
    int major = xMajor_ ? dx : dy;
    int minor = xMajor_ ? dy : dx;
    dMajor_ = std::abs(major);
    dMinor_ = std::abs(minor);
    sMajor_ = major < 0 ? -1 : 1;
    sMinor_ = minor < 0 ? -1 : 1;
    count_ = dMajor_;
}

long long LineSteps::Minor(int i) const {
    if (dMajor_ == 0) return 0;
    return (2LL * i * dMinor_ + dMajor_) / (2LL * dMajor_);
}

Point LineSteps::At(int i) const {
    int major = i * sMajor_;
    int minor = static_cast<int>(Minor(i)) * sMinor_;
    return xMajor_ ? Point{from_.x + major, from_.y + minor} : Point{from_.x + minor, from_.y + major};
}

void LineSteps::ClipTo(const Rect& r, int& first, int& last) const {
    int majorStart = xMajor_ ? from_.x : from_.y;
    int minorStart = xMajor_ ? from_.y : from_.x;
    int lo = xMajor_ ? r.left : r.top;
    int hi = xMajor_ ? r.right : r.bottom;
    int mlo = xMajor_ ? r.top : r.left;
    int mhi = xMajor_ ? r.bottom : r.right;
    // Major axis: linear in i.
    const Offsets major = OffsetsWithin(majorStart, sMajor_, lo, hi);
    first = static_cast<int>(std::max<long long>(first, major.low));
    last = static_cast<int>(std::min<long long>(last, major.high));
    if (first >= last) {
        last = first;
        return;
    }
    // Minor axis: Minor(i) is non-decreasing, so the wanted steps are a run.
    const Offsets want = OffsetsWithin(minorStart, sMinor_, mlo, mhi);
    auto lowerBound = [&](long long value) {
        int l = first, h = last;
        while (l < h) {
            int m = l + (h - l) / 2;
            if (Minor(m) < value) l = m + 1;
            else h = m;
        }
        return l;
    };
    int f = lowerBound(want.low);
    int e = lowerBound(want.high);
    first = f;
    last = std::max(f, e);
}

Span EllipseRowExact(const Rect& box, int y) {
    if (box.empty() || y < box.top || y >= box.bottom) return {};
    long long w = static_cast<long long>(box.right) - box.left;
    long long h = static_cast<long long>(box.bottom) - box.top;
    long long cx2 = static_cast<long long>(box.left) + box.right;
    long long cy2 = static_cast<long long>(box.top) + box.bottom;
    long long dy = 2LL * y + 1 - cy2;
    if (dy * dy > h * h) return {};
    // In doubled coordinates the semi-axes are w and h: dx^2 h^2 + dy^2 w^2 <= w^2 h^2.
    long long q;
    if (w <= 40000 && h <= 40000) {
        q = w * w * (h * h - dy * dy) / (h * h);  // fits in 63 bits
    } else {
        __int128 num = static_cast<__int128>(w) * w * (h * h - dy * dy);
        q = static_cast<long long>(num / (static_cast<__int128>(h) * h));
    }
    long long m = ISqrt(q);
    long long x0 = CeilDiv(cx2 - 1 - m, 2);
    long long x1 = FloorDiv(cx2 - 1 + m, 2) + 1;
    if (x0 >= x1) return {};
    return {static_cast<int>(x0), static_cast<int>(x1)};
}

namespace {

// Dots are small and drawn by the thousand, each row asked for several times:
// the rows of small boxes, relative to the box's left and top, are worked out
// once per size. They do not change when the box moves, as the box's doubled
// centre moves by even steps.
constexpr int kTabledSide = 64;

const std::vector<Span>& SmallEllipseRows(int w, int h) {
    thread_local std::vector<Span> table[kTabledSide + 1][kTabledSide + 1];
    std::vector<Span>& rows = table[w][h];
    if (rows.empty()) {
        const Rect origin{0, 0, w, h};
        rows.reserve(static_cast<std::size_t>(h));
        for (int y = 0; y < h; ++y) rows.push_back(EllipseRowExact(origin, y));
    }
    return rows;
}

}  // namespace

Span EllipseRow(const Rect& box, int y) {
    if (box.empty() || y < box.top || y >= box.bottom) return {};
    const long long w = static_cast<long long>(box.right) - box.left;
    const long long h = static_cast<long long>(box.bottom) - box.top;
    if (w > kTabledSide || h > kTabledSide) return EllipseRowExact(box, y);
    const Span s = SmallEllipseRows(static_cast<int>(w), static_cast<int>(h))[static_cast<std::size_t>(y - box.top)];
    if (s.x0 >= s.x1) return {};
    return {box.left + s.x0, box.left + s.x1};
}

Span InteriorOfRow(Span above, Span row, Span below) {
    if (row.x0 >= row.x1 || above.x0 >= above.x1 || below.x0 >= below.x1) return {};
    int i0 = std::max({row.x0 + 1, above.x0, below.x0});
    int i1 = std::min({row.x1 - 1, above.x1, below.x1});
    if (i0 >= i1) return {};
    return {i0, i1};
}

int SubtractSpan(Span row, Span cut, Span out[2]) {
    if (row.x0 >= row.x1) return 0;
    if (cut.x0 >= cut.x1 || cut.x1 <= row.x0 || cut.x0 >= row.x1) {
        out[0] = row;
        return 1;
    }
    int n = 0;
    if (row.x0 < cut.x0) out[n++] = {row.x0, cut.x0};
    if (cut.x1 < row.x1) out[n++] = {cut.x1, row.x1};
    return n;
}

PolygonScan::PolygonScan(std::span<const Point> points) {
    if (points.size() < 2) return;
    int minX = kCoordLimit, minY = kCoordLimit, maxX = -kCoordLimit, maxY = -kCoordLimit;
    for (std::size_t i = 0; i < points.size(); ++i) {
        Point a = ClampPoint(points[i]);
        Point b = ClampPoint(points[(i + 1) % points.size()]);
        minX = std::min(minX, a.x);
        maxX = std::max(maxX, a.x);
        minY = std::min(minY, a.y);
        maxY = std::max(maxY, a.y);
        if (a.y == b.y) continue;
        if (a.y > b.y) std::swap(a, b);
        const Edge e{a.x, a.y, b.x, b.y};
        if (heap_.empty() && inlineCount_ < kInlineEdges) {
            inline_[inlineCount_++] = e;
            continue;
        }
        if (heap_.empty()) heap_.assign(inline_, inline_ + inlineCount_);
        heap_.push_back(e);
    }
    bounds_ = edges().empty() ? Rect{} : Rect{minX, minY, maxX, maxY};
}

std::span<const PolygonScan::Edge> PolygonScan::edges() const {
    if (!heap_.empty()) return heap_;
    return {inline_, inlineCount_};
}

void PolygonScan::Row(int y, std::vector<Span>& out) const {
    const std::span<const Edge> all = edges();
    long long small[kInlineEdges];
    long long* xs = small;
    if (all.size() > kInlineEdges) {
        xs_.resize(all.size());
        xs = xs_.data();
    }
    std::size_t n = 0;
    if (heap_.empty()) {
        // Doubled x of the crossing at the pixel centre row is num / d; the
        // first pixel centre at or right of it is ceil((num - d) / 2d).
        const bool stepping = y == nextRow_;
        for (std::size_t k = 0; k < inlineCount_; ++k) {
            const Edge& e = inline_[k];
            Crossing& c = crossings_[k];
            const long long d = e.y1 - e.y0, twoD = 2 * d;
            if (stepping) {
                c.q += c.stepQ;
                c.r += c.stepR;
                if (c.r >= twoD) {
                    c.r -= twoD;
                    ++c.q;
                }
            } else {
                const long long m = 2 * e.x0 * d + (2LL * y + 1 - 2 * e.y0) * (e.x1 - e.x0) - d;
                c.q = FloorDiv(m, twoD);
                c.r = m - c.q * twoD;
                const long long step = 2 * (e.x1 - e.x0);
                c.stepQ = FloorDiv(step, twoD);
                c.stepR = step - c.stepQ * twoD;
            }
            if (y < e.y0 || y >= e.y1) continue;
            xs[n++] = c.q + (c.r > 0 ? 1 : 0);
        }
        nextRow_ = static_cast<long long>(y) + 1;
    } else {
        for (const Edge& e : all) {
            if (y < e.y0 || y >= e.y1) continue;
            long long d = e.y1 - e.y0;
            long long num = 2 * e.x0 * d + (2LL * y + 1 - 2 * e.y0) * (e.x1 - e.x0);
            xs[n++] = CeilDiv(num - d, 2 * d);
        }
    }
    std::sort(xs, xs + n);
    for (std::size_t i = 0; i + 1 < n; i += 2) {
        if (xs[i] < xs[i + 1]) out.push_back({static_cast<int>(xs[i]), static_cast<int>(xs[i + 1])});
    }
}

Region Region::FromPolygon(std::span<const Point> points, const Rect& limit) {
    Region region;
    PolygonScan scan(points);
    Rect area = scan.bounds().intersected(limit);
    if (area.empty()) return region;
    Rows rows(area.height());
    std::vector<Span> spans;
    for (int y = area.top; y < area.bottom; ++y) {
        spans.clear();
        scan.Row(y, spans);
        auto& row = rows[y - area.top];
        for (Span s : spans) {
            s.x0 = std::max(s.x0, area.left);
            s.x1 = std::min(s.x1, area.right);
            if (s.x0 < s.x1) row.push_back(s);
        }
    }
    region.SetRows(area, std::move(rows));
    return region;
}

bool Region::Contains(Point p) const {
    bool in = false;
    ForEachSpan(p.y, p.x, p.x + 1, [&](int, int) { in = true; });
    return in;
}

Region::Rows Region::MaterialisedRows() const {
    if (rows_) return *rows_;
    return Rows(bounds_.height(), std::vector<Span>{{bounds_.left, bounds_.right}});
}

void Region::Intersect(const Rect& r) {
    if (!rows_) {
        bounds_ = bounds_.intersected(r);
        if (bounds_.empty()) bounds_ = {};
        return;
    }
    Rect area = bounds_.intersected(r);
    if (area.empty()) {
        *this = Region();
        return;
    }
    Rows rows(area.height());
    for (int y = area.top; y < area.bottom; ++y) {
        ForEachSpan(y, area.left, area.right, [&](int a, int b) { rows[y - area.top].push_back({a, b}); });
    }
    SetRows(area, std::move(rows));
}

void Region::Subtract(const Rect& r) {
    Rect cut = bounds_.intersected(r);
    if (cut.empty()) return;
    Rect area = bounds_;
    Rows rows = MaterialisedRows();
    for (int y = cut.top; y < cut.bottom; ++y) {
        std::vector<Span> kept;
        for (Span s : rows[y - area.top]) {
            if (s.x1 <= cut.left || s.x0 >= cut.right) {
                kept.push_back(s);
                continue;
            }
            if (s.x0 < cut.left) kept.push_back({s.x0, cut.left});
            if (s.x1 > cut.right) kept.push_back({cut.right, s.x1});
        }
        rows[y - area.top] = std::move(kept);
    }
    SetRows(area, std::move(rows));
}

void Region::SetRows(Rect area, Rows&& rows) {
    int first = -1, last = -1;
    int left = area.right, right = area.left;
    bool plain = true;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        if (rows[i].empty()) continue;
        if (first < 0) first = i;
        last = i;
        left = std::min(left, rows[i].front().x0);
        right = std::max(right, rows[i].back().x1);
    }
    if (first < 0) {
        *this = Region();
        return;
    }
    for (int i = first; i <= last && plain; ++i) {
        plain = rows[i].size() == 1 && rows[i][0].x0 == left && rows[i][0].x1 == right;
    }
    bounds_ = {left, area.top + first, right, area.top + last + 1};
    if (plain) {
        rows_.reset();
        return;
    }
    rows.erase(rows.begin() + last + 1, rows.end());
    rows.erase(rows.begin(), rows.begin() + first);
    rows_ = std::make_shared<const Rows>(std::move(rows));
}

}  // namespace platform::gfx::detail
