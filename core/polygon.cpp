#include "core/polygon.h"

#include <algorithm>
#include <cmath>

#include "core/helpers.h"

bool PointInPolygon(const GeoPoint* points, int n, double x, double y) {
    if (!points || n <= 0) return false;
    int crossings = 0;
    for (int i = 1; i <= n; ++i) {
        const GeoPoint& a = points[i - 1];
        const GeoPoint& b = points[i % n];
        if (y <= std::min(a.y, b.y) || y > std::max(a.y, b.y) || x > std::max(a.x, b.x)) continue;
        if (a.y == b.y) continue;
        if (a.x == b.x || x <= a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y)) ++crossings;
    }
    return crossings % 2 == 1;
}

bool RectInPolygon(const GeoPoint* points, int n, double y1, double x1, double y2, double x2) {
    return PointInPolygon(points, n, x1, y1) && PointInPolygon(points, n, x2, y1) &&
           PointInPolygon(points, n, x1, y2) && PointInPolygon(points, n, x2, y2);
}

PixelPoint PolygonCentroid(const PixelPoint* points, int n) {
    if (!points || n <= 0) return {};
    std::int64_t twiceArea = 0, sx = 0, sy = 0;
    for (int i = 0; i < n; ++i) {
        const std::int64_t x0 = points[i].x, y0 = points[i].y;
        const std::int64_t x1 = points[(i + 1) % n].x, y1 = points[(i + 1) % n].y;
        const std::int64_t cross = x0 * y1 - x1 * y0;
        twiceArea += cross;
        sx += (x0 + x1) * cross;
        sy += (y0 + y1) * cross;
    }
    if (twiceArea != 0) {
        // 6A = 3 * twice the area, kept whole so odd doubled areas lose nothing.
        const std::int64_t sixA = 3 * twiceArea;
        return {static_cast<std::int32_t>(sx / sixA), static_cast<std::int32_t>(sy / sixA)};
    }
    std::int64_t mx = 0, my = 0;
    for (int i = 0; i < n; ++i) {
        mx += points[i].x;
        my += points[i].y;
    }
    return {static_cast<std::int32_t>(mx / n), static_cast<std::int32_t>(my / n)};
}

int ClipSegmentToRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                      PixelPoint* start, PixelPoint* end) {
    DebugLog("%d %d %d %d | %d %d %d %d", left, top, right, bottom, start->x, start->y, end->x, end->y);
    const double x0 = start->x, y0 = start->y;
    const double dx = static_cast<double>(end->x) - x0, dy = static_cast<double>(end->y) - y0;
    if (dx == 0 && dy == 0 && start->x >= left && start->x <= right && start->y >= top && start->y <= bottom)
        return kClipInside;

    // Each parameter is kept as the fraction q / p that set it, so that a
    // clipped point is found with one division and lands exactly on its edge.
    struct Param {
        double t, q, p;
    };
    Param t0{0, 0, 1}, t1{1, 1, 1};
    const double edges[4][2] = {{dx, left - x0}, {-dx, x0 - right}, {dy, top - y0}, {-dy, y0 - bottom}};
    for (const auto& [p, q] : edges) {
        if (p > 0) {
            const double r = q / p;
            if (r > t1.t) return kClipOutside;
            if (r > t0.t) t0 = {r, q, p};
        } else if (p < 0) {
            const double r = q / p;
            if (r < t0.t) return kClipOutside;
            if (r < t1.t) t1 = {r, q, p};
        } else if (q > 0) {
            return kClipOutside;
        }
    }

    auto at = [&](const Param& t) {
        return PixelPoint{static_cast<std::int32_t>(std::trunc(x0 + t.q * dx / t.p)),
                          static_cast<std::int32_t>(std::trunc(y0 + t.q * dy / t.p))};
    };
    int flags = kClipOutside;
    if (t1.t < 1) {
        *end = at(t1);
        flags = kClipEndMoved;
    }
    if (t0.t > 0) {
        *start = at(t0);
        flags |= kClipStartMoved;
    }
    if (t0.t == 0 && t1.t == 1) flags = kClipInside;
    return flags;
}

namespace {

struct ClipRect {
    std::int32_t left, top, right, bottom;
    bool clockwise;  // on screen, with y growing downward

    // Corners clockwise from the top right; corner k joins edge k to edge k + 1.
    PixelPoint Corner(int k) const {
        switch (k & 3) {
            case 0: return {right, top};
            case 1: return {right, bottom};
            case 2: return {left, bottom};
            default: return {left, top};
        }
    }
    int EdgeOf(PixelPoint p) const {
        if (p.y == top) return 0;
        if (p.x == right) return 1;
        if (p.y == bottom) return 2;
        return 3;
    }
    // Walks round the outside from edge a to edge b in the polygon's own
    // turning sense, so that the polygon's inside stays inside.
    void AddCorners(int a, int b, std::vector<PixelPoint>& out) const {
        if (clockwise) {
            for (int k = a; (k & 3) != (b & 3); ++k) out.push_back(Corner(k));
        } else {
            for (int k = a + 4; (k & 3) != (b & 3); --k) out.push_back(Corner(k - 1));
        }
    }
    bool Contains(PixelPoint p) const { return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom; }
};

std::int64_t TwiceSignedArea(const PixelPoint* points, int n) {
    std::int64_t sum = 0;
    for (int i = 0; i < n; ++i) {
        const PixelPoint& a = points[i];
        const PixelPoint& b = points[(i + 1) % n];
        sum += std::int64_t{a.x} * b.y - std::int64_t{b.x} * a.y;
    }
    return sum;
}

}  // namespace

void ClipPolygonToRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                       const PixelPoint* points, int n, std::vector<PixelPoint>& out) {
    out.clear();
    if (!points || n <= 0) return;
    const ClipRect rect{left, top, right, bottom, TwiceSignedArea(points, n) >= 0};
    if (rect.Contains(points[0])) out.push_back(points[0]);

    bool outside = false;
    // The closing edge comes first and last, so that the outline both starts
    // and ends where it crosses the rectangle.
    for (int h = 0; h <= n; ++h) {
        PixelPoint a = points[h == 0 ? n - 1 : h - 1];
        PixelPoint b = points[h % n];
        const int flags = ClipSegmentToRect(left, top, right, bottom, &a, &b);
        if (flags & kClipStartMoved) {
            if (outside && !out.empty()) rect.AddCorners(rect.EdgeOf(out.back()), rect.EdgeOf(a), out);
            outside = false;
            out.push_back(a);
            // The closing edge's way out was recorded at the start.
            if (h == n && (flags & kClipEndMoved)) break;
        } else if (flags & kClipEndMoved) {
            out.push_back(b);
        }
        // An edge that passes through in one step has left the rectangle too.
        if (flags & kClipEndMoved) outside = true;
        if (flags != kClipOutside) out.push_back(b);
    }
    if (outside && !out.empty()) rect.AddCorners(rect.EdgeOf(out.back()), rect.EdgeOf(out.front()), out);
    if (!out.empty() && !(out.back() == out.front())) out.push_back(out.front());
}
