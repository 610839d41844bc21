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

constexpr double kTurn = 6.283185307179586;

// The rectangle's outline as one clockwise (on screen) walk: position 0 is
// the top-left corner, then the top, right, bottom and left edges.
struct ClipRect {
    std::int32_t left, top, right, bottom;

    double Width() const { return static_cast<double>(right) - left; }
    double Height() const { return static_cast<double>(bottom) - top; }
    double Perimeter() const { return 2 * (Width() + Height()); }
    // Where a point of the outline lies along the walk; edges as EdgeOf.
    double PositionOf(PixelPoint p) const {
        if (p.y == top) return static_cast<double>(p.x) - left;
        if (p.x == right) return Width() + (static_cast<double>(p.y) - top);
        if (p.y == bottom) return Width() + Height() + (static_cast<double>(right) - p.x);
        return 2 * Width() + Height() + (static_cast<double>(bottom) - p.y);
    }
    // The corners in walking order, with their positions.
    PixelPoint Corner(int k) const {
        switch (k & 3) {
            case 0: return {left, top};
            case 1: return {right, top};
            case 2: return {right, bottom};
            default: return {left, bottom};
        }
    }
    double CornerPosition(int k) const {
        const double at[4] = {0, Width(), Width() + Height(), 2 * Width() + Height()};
        return at[k & 3];
    }
    bool Contains(PixelPoint p) const { return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom; }

    // Signed angle from a to b seen from the centre; positive is clockwise on
    // screen, the walk's own sense. A segment outside the rectangle never
    // passes the centre, so its angle is below half a turn either way.
    double Angle(PixelPoint a, PixelPoint b) const {
        const double cx = (static_cast<double>(left) + right) / 2, cy = (static_cast<double>(top) + bottom) / 2;
        const double ax = a.x - cx, ay = a.y - cy, bx = b.x - cx, by = b.y - cy;
        return std::atan2(ax * by - ay * bx, ax * bx + ay * by);
    }

    // Appends the corners met walking the outline from `from` by `distance`
    // (negative: against the walk), corners at either end left out.
    void Walk(PixelPoint from, double distance, std::vector<PixelPoint>& out) const {
        const double L = Perimeter();
        if (!(L > 0)) return;
        const double s0 = PositionOf(from);
        const double end = s0 + distance;
        if (distance > 0) {
            int k = 0;
            double base = 0;
            while (CornerPosition(k) + base <= s0) {
                if (++k == 4) k = 0, base += L;
            }
            for (int guard = 0; CornerPosition(k) + base < end && guard < 4096; ++guard) {
                out.push_back(Corner(k));
                if (++k == 4) k = 0, base += L;
            }
        } else if (distance < 0) {
            int k = 3;
            double base = 0;
            while (CornerPosition(k) + base >= s0) {
                if (--k < 0) k = 3, base -= L;
            }
            for (int guard = 0; CornerPosition(k) + base > end && guard < 4096; ++guard) {
                out.push_back(Corner(k));
                if (--k < 0) k = 3, base -= L;
            }
        }
    }

    // Replaces an outside stretch of the outline from `from` to `to` (both on
    // the rectangle) that turned by `sweep` round it with the corners of the
    // outline walk that turns by as much, whole rounds included: the part of
    // the polygon inside the rectangle then keeps its inside.
    void AddCorners(PixelPoint from, PixelPoint to, double sweep, std::vector<PixelPoint>& out) const {
        const double L = Perimeter();
        if (!(L > 0) || !std::isfinite(sweep)) return;
        double ahead = std::fmod(PositionOf(to) - PositionOf(from), L);
        if (ahead < 0) ahead += L;
        // The angle of walking ahead from `from` to `to`.
        double turned = 0;
        PixelPoint at = from;
        std::vector<PixelPoint> corners;
        Walk(from, ahead, corners);
        for (const PixelPoint& c : corners) {
            turned += Angle(at, c);
            at = c;
        }
        turned += Angle(at, to);
        const double rounds = std::clamp(std::round((sweep - turned) / kTurn), -1000.0, 1000.0);
        Walk(from, ahead + rounds * L, out);
    }
};

}  // namespace

void ClipPolygonToRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                       const PixelPoint* points, int n, std::vector<PixelPoint>& out) {
    out.clear();
    if (!points || n <= 0) return;
    const ClipRect rect{left, top, right, bottom};
    if (rect.Contains(points[0])) out.push_back(points[0]);

    bool outside = false;
    double sweep = 0;        // turned round the rectangle since the outline last left it
    double headSweep = 0;    // turned before the outline first came in, when it began outside
    bool headEntered = false;
    // The closing edge comes first and last, so that the outline both starts
    // and ends where it crosses the rectangle.
    for (int h = 0; h <= n; ++h) {
        const PixelPoint from = points[h == 0 ? n - 1 : h - 1];
        const PixelPoint to = points[h % n];
        PixelPoint a = from, b = to;
        const int flags = ClipSegmentToRect(left, top, right, bottom, &a, &b);
        // Until the first point is appended the outline runs outside; the
        // closing edge (h = 0) is counted when it comes round again.
        const bool inHead = out.empty() && h > 0;
        if (flags == kClipOutside) {
            if (outside) sweep += rect.Angle(from, to);
            else if (inHead) headSweep += rect.Angle(from, to);
            continue;
        }
        if (flags & kClipStartMoved) {
            if (outside && !out.empty()) rect.AddCorners(out.back(), a, sweep + rect.Angle(from, a), out);
            if (inHead) {
                headSweep += rect.Angle(from, a);
                headEntered = true;
            }
            outside = false;
            out.push_back(a);
            // The closing edge's way out was recorded at the start.
            if (h == n && (flags & kClipEndMoved)) break;
        } else if (flags & kClipEndMoved) {
            out.push_back(b);
        }
        // An edge that passes through in one step has left the rectangle too.
        if (flags & kClipEndMoved) {
            outside = true;
            sweep = rect.Angle(b, to);
        }
        out.push_back(b);
    }
    if (outside && !out.empty())
        rect.AddCorners(out.back(), out.front(), sweep + (headEntered ? headSweep : 0), out);
    if (!out.empty() && !(out.back() == out.front())) out.push_back(out.front());
}

const GeoPoint gUsaOutline[kUsaOutlinePoints] = {
    {-127, 49}, {-127, 40}, {-127, 34}, {-120, 32}, {-118, 32}, {-114, 31}, {-107, 30}, {-104, 28}, {-97, 26},
    {-95, 28},  {-80, 30},  {-74, 36},  {-70, 42},  {-67, 45},  {-69, 48},  {-70, 48},  {-77, 44},  {-88, 49},
    {-95, 49},  {-126, 49}, {-130, 55}, {-142, 63}, {-142, 71}, {-170, 72}, {-168, 55}, {-126, 49},
};
