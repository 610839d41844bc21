#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/polygon.h"
#include "tests/support/temp_dir.h"

namespace {

const GeoPoint kSquare[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};

std::string Show(const std::vector<PixelPoint>& points) {
    std::string s;
    for (const PixelPoint& p : points) s += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    return s;
}

}  // namespace

void PrintTo(const PixelPoint& p, std::ostream* os) { *os << "(" << p.x << "," << p.y << ")"; }

TEST(PointInPolygon, EvenOddRuleOnASquare) {
    struct Case {
        double x, y;
        bool inside;
    } cases[] = {
        {5, 5, true},    {10, 5, true},  // on the right edge: x at the crossing counts
        {5, 10, true},   {5, 0, false},  // y must exceed the lower end of an edge
        {0, 5, false},   {-1, 5, false}, {11, 5, false}, {5, -1, false}, {5, 11, false},
        {9.999, 0.001, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PointInPolygon(kSquare, 4, c.x, c.y), c.inside) << c.x << "," << c.y;
}

TEST(PointInPolygon, ConcaveAndSlantedEdges) {
    // A "U": the notch between the arms is outside.
    const GeoPoint u[] = {{0, 0}, {9, 0}, {9, 9}, {6, 9}, {6, 3}, {3, 3}, {3, 9}, {0, 9}};
    EXPECT_TRUE(PointInPolygon(u, 8, 1, 5));
    EXPECT_TRUE(PointInPolygon(u, 8, 8, 5));
    EXPECT_FALSE(PointInPolygon(u, 8, 4.5, 5));
    EXPECT_TRUE(PointInPolygon(u, 8, 4.5, 2));

    const GeoPoint triangle[] = {{0, 0}, {10, 0}, {0, 10}};
    EXPECT_TRUE(PointInPolygon(triangle, 3, 4.9, 5));
    EXPECT_FALSE(PointInPolygon(triangle, 3, 5.1, 5));
}

TEST(PointInPolygon, EmptyPolygonHoldsNothing) {
    EXPECT_FALSE(PointInPolygon(kSquare, 0, 5, 5));
    EXPECT_FALSE(PointInPolygon(nullptr, 0, 5, 5));
    EXPECT_FALSE(RectInPolygon(kSquare, 0, 1, 1, 2, 2));
}

TEST(RectInPolygon, AllFourCornersMustBeInside) {
    // Arguments are y1, x1, y2, x2.
    EXPECT_TRUE(RectInPolygon(kSquare, 4, 2, 2, 8, 8));
    EXPECT_FALSE(RectInPolygon(kSquare, 4, 2, 2, 8, 12));
    EXPECT_FALSE(RectInPolygon(kSquare, 4, -1, 2, 8, 8));
    // A corner in the notch of an L fails although the others pass.
    const GeoPoint l[] = {{0, 0}, {10, 0}, {10, 4}, {4, 4}, {4, 10}, {0, 10}};
    EXPECT_TRUE(RectInPolygon(l, 6, 1, 1, 3, 9));
    EXPECT_FALSE(RectInPolygon(l, 6, 1, 1, 9, 9));
}

TEST(GeoPoint, Offset) {
    const GeoPoint p = GeoPoint{1.5, -2}.Offset(0.5, 3);
    EXPECT_DOUBLE_EQ(p.x, 2);
    EXPECT_DOUBLE_EQ(p.y, 1);
}

TEST(PolygonCentroid, AreaCentroidOrMeanOfVertices) {
    const PixelPoint square[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    EXPECT_EQ(PolygonCentroid(square, 4), (PixelPoint{5, 5}));
    // Either orientation gives the same point.
    const PixelPoint reversed[] = {{0, 10}, {10, 10}, {10, 0}, {0, 0}};
    EXPECT_EQ(PolygonCentroid(reversed, 4), (PixelPoint{5, 5}));
    // The area centroid of an L is not the mean of its vertices (6, 6).
    const PixelPoint l[] = {{0, 0}, {12, 0}, {12, 6}, {6, 6}, {6, 12}, {0, 12}};
    EXPECT_EQ(PolygonCentroid(l, 6), (PixelPoint{5, 5}));
    const PixelPoint line[] = {{0, 0}, {3, 3}, {9, 9}};
    EXPECT_EQ(PolygonCentroid(line, 3), (PixelPoint{4, 4}));
    // Screen-sized coordinates do not overflow.
    const PixelPoint big[] = {{100000, 100000}, {140000, 100000}, {140000, 160000}, {100000, 160000}};
    EXPECT_EQ(PolygonCentroid(big, 4), (PixelPoint{120000, 130000}));
}

TEST(PolygonCentroid, EmptyPolygonGivesOrigin) {
    EXPECT_EQ(PolygonCentroid(nullptr, 0), (PixelPoint{0, 0}));
}

TEST(ClipSegmentToRect, ByTable) {
    struct Case {
        PixelPoint start, end;
        int flags;
        PixelPoint newStart, newEnd;
    } cases[] = {
        {{-5, 5}, {15, 5}, 3, {0, 5}, {10, 5}},
        {{2, 2}, {3, 3}, 4, {2, 2}, {3, 3}},
        {{20, 20}, {30, 30}, 0, {20, 20}, {30, 30}},
        {{5, 5}, {5, 5}, 4, {5, 5}, {5, 5}},          // a point inside
        {{15, 5}, {15, 5}, 0, {15, 5}, {15, 5}},      // a point outside
        {{5, 5}, {5, 20}, 2, {5, 5}, {5, 10}},        // leaves through the bottom
        {{-10, 0}, {10, 10}, 1, {0, 5}, {10, 10}},    // comes in through the left
        {{0, 0}, {10, 10}, 4, {0, 0}, {10, 10}},      // edges are inside
        {{-5, 17}, {17, -5}, 3, {2, 10}, {10, 2}},    // cuts a corner off
        {{-5, 30}, {30, -5}, 0, {-5, 30}, {30, -5}},  // misses the corner
        {{12, 5}, {20, 5}, 0, {12, 5}, {20, 5}},      // parallel, outside
        // Steps that are not whole multiples of the offset: an integer
        // division would put these points at t = 0 or 1.
        {{-1, 0}, {2, 9}, 1, {0, 3}, {2, 9}},
        {{1, 1}, {4, 13}, 2, {1, 1}, {3, 10}},
        // 8 - 25 * (7 / 25) in doubles falls just short of 1.
        {{-7, 8}, {18, -17}, 3, {0, 1}, {1, 0}},
    };
    for (const Case& c : cases) {
        PixelPoint s = c.start, e = c.end;
        const int flags = ClipSegmentToRect(0, 0, 10, 10, &s, &e);
        const std::string where = Show({c.start, c.end});
        EXPECT_EQ(flags, c.flags) << where;
        EXPECT_EQ(s, c.newStart) << where << " start " << Show({s});
        EXPECT_EQ(e, c.newEnd) << where << " end " << Show({e});
    }
}

TEST(ClipSegmentToRect, MovedPointsLieOnTheRectangle) {
    auto onEdge = [](PixelPoint p) {
        return p.x >= 0 && p.x <= 10 && p.y >= 0 && p.y <= 10 && (p.x == 0 || p.x == 10 || p.y == 0 || p.y == 10);
    };
    int moved = 0;
    for (int x0 = -30; x0 <= 0; ++x0)
        for (int y0 = -20; y0 <= 30; ++y0) {
            const PixelPoint s0{x0, y0}, e0{x0 + 37, 13 - y0};
            PixelPoint s = s0, e = e0;
            const int flags = ClipSegmentToRect(0, 0, 10, 10, &s, &e);
            if (flags & kClipStartMoved) {
                ++moved;
                EXPECT_TRUE(onEdge(s)) << Show({s0, e0}) << " -> " << Show({s});
            }
            if (flags & kClipEndMoved) {
                EXPECT_TRUE(onEdge(e)) << Show({s0, e0}) << " -> " << Show({e});
            }
        }
    EXPECT_GT(moved, 100);
}

TEST(ClipSegmentToRect, LogsEachCallWhenDebugIsOn) {
    TempDir dir;
    gControls[kControlDebug] = 1;
    PixelPoint s{-5, 5}, e{15, 5};
    (void)ClipSegmentToRect(0, 0, 10, 10, &s, &e);
    gControls[kControlDebug] = 0;
    const std::string log = TempDir::Read("Debug.txt");
    EXPECT_NE(log.find(": 0 0 10 10 | -5 5 15 5\n"), std::string::npos) << log;
}

TEST(ClipPolygonToRect, ByTable) {
    struct Case {
        const char* what;
        std::vector<PixelPoint> polygon;
        std::vector<PixelPoint> clipped;
    } cases[] = {
        {"wholly inside",
         {{2, 2}, {8, 2}, {5, 8}},
         {{2, 2}, {2, 2}, {8, 2}, {5, 8}, {2, 2}}},
        {"encloses the rectangle", {{-5, -5}, {15, -5}, {15, 15}, {-5, 15}}, {}},
        {"wholly outside", {{20, 20}, {30, 20}, {30, 30}}, {}},
        {"single point inside", {{4, 4}}, {{4, 4}, {4, 4}, {4, 4}}},
        // Goes out through the bottom and comes back through the left: the
        // bottom-left corner closes the outline.
        {"corner on the way back",
         {{-5, 5}, {5, 5}, {5, 20}},
         {{0, 5}, {5, 5}, {5, 10}, {5, 10}, {0, 10}, {0, 5}}},
        // Every edge crosses the rectangle in one step; between leaving by
        // the top and coming back by the right the outline passes corner (10, 0).
        {"edges that pass through keep their corners",
         {{-2, 4}, {4, -2}, {14, -2}, {14, 6}},
         {{10, 5}, {0, 4}, {0, 2}, {2, 0}, {10, 0}, {10, 5}}},
        // The same shape wound the other way round takes the same corner.
        {"counter-clockwise outline",
         {{14, 6}, {14, -2}, {4, -2}, {-2, 4}},
         {{0, 4}, {10, 5}, {10, 0}, {2, 0}, {0, 2}, {0, 4}}},
        // Leaves by the bottom, runs all the way round outside and comes back
        // in through the bottom again: the whole rectangle but the notch.
        {"wraps round and re-enters through the same edge",
         {{-5, -5}, {15, -5}, {15, 15}, {6, 15}, {6, 5}, {4, 5}, {4, 15}, {-5, 15}},
         {{6, 10}, {6, 5}, {4, 5}, {4, 10}, {4, 10}, {0, 10}, {0, 0}, {10, 0}, {10, 10}, {6, 10}}},
        {"first point inside, closing edge comes in",
         {{5, 5}, {15, 5}, {15, 8}, {-5, 8}},
         {{5, 5}, {0, 6}, {5, 5}, {10, 5}, {10, 5}, {10, 8}, {0, 8}, {0, 6}, {5, 5}}},
    };
    for (const Case& c : cases) {
        std::vector<PixelPoint> out{{99, 99}};  // replaced, not appended to
        ClipPolygonToRect(0, 0, 10, 10, c.polygon.data(), static_cast<int>(c.polygon.size()), out);
        EXPECT_EQ(Show(out), Show(c.clipped)) << c.what;
    }
}

namespace {

// Twice the signed area of a closed outline, in doubles.
template <typename P>
double TwiceArea(const std::vector<P>& ps) {
    double sum = 0;
    for (std::size_t i = 0; i < ps.size(); ++i) {
        const P& a = ps[i];
        const P& b = ps[(i + 1) % ps.size()];
        sum += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
    }
    return sum;
}

// The polygon's area inside the rectangle by clipping against one side at a
// time (valid for any simple polygon against a convex window): an
// independent reckoning of what ClipPolygonToRect must enclose.
double ReferenceTwiceArea(const std::vector<PixelPoint>& polygon, double l, double t, double r, double b) {
    std::vector<GeoPoint> ps;
    for (const PixelPoint& p : polygon) ps.push_back({static_cast<double>(p.x), static_cast<double>(p.y)});
    auto clip = [&](auto inside, auto cross) {
        std::vector<GeoPoint> out;
        for (std::size_t i = 0; i < ps.size(); ++i) {
            const GeoPoint& p = ps[i];
            const GeoPoint& q = ps[(i + 1) % ps.size()];
            if (inside(p)) out.push_back(p);
            if (inside(p) != inside(q)) out.push_back(cross(p, q));
        }
        ps = out;
    };
    auto atX = [](double x) {
        return [x](const GeoPoint& p, const GeoPoint& q) {
            return GeoPoint{x, p.y + (q.y - p.y) * (x - p.x) / (q.x - p.x)};
        };
    };
    auto atY = [](double y) {
        return [y](const GeoPoint& p, const GeoPoint& q) {
            return GeoPoint{p.x + (q.x - p.x) * (y - p.y) / (q.y - p.y), y};
        };
    };
    clip([&](const GeoPoint& p) { return p.x >= l; }, atX(l));
    clip([&](const GeoPoint& p) { return p.x <= r; }, atX(r));
    clip([&](const GeoPoint& p) { return p.y >= t; }, atY(t));
    clip([&](const GeoPoint& p) { return p.y <= b; }, atY(b));
    return ps.empty() ? 0 : TwiceArea(ps);
}

std::int64_t Orientation(PixelPoint a, PixelPoint b, PixelPoint c) {
    return (std::int64_t{b.x} - a.x) * (std::int64_t{c.y} - a.y) -
           (std::int64_t{b.y} - a.y) * (std::int64_t{c.x} - a.x);
}

// A random simple polygon: random points, untangled by reversing the run
// between two crossing edges until none cross. Empty when a degenerate
// (collinear) pair turns up.
std::vector<PixelPoint> RandomSimplePolygon(std::mt19937& rng, int n, int lo, int hi) {
    std::uniform_int_distribution<int> coord(lo, hi);
    std::vector<PixelPoint> ps(static_cast<std::size_t>(n));
    for (PixelPoint& p : ps) p = {coord(rng), coord(rng)};
    for (bool changed = true; changed;) {
        changed = false;
        for (int i = 0; i < n && !changed; ++i) {
            for (int j = i + 2; j < n && !changed; ++j) {
                if (i == 0 && j == n - 1) continue;  // neighbours through the closing edge
                const PixelPoint a = ps[i], b = ps[i + 1], c = ps[j], d = ps[(j + 1) % n];
                const std::int64_t o1 = Orientation(a, b, c), o2 = Orientation(a, b, d);
                const std::int64_t o3 = Orientation(c, d, a), o4 = Orientation(c, d, b);
                if (o1 == 0 || o2 == 0 || o3 == 0 || o4 == 0) return {};
                if ((o1 > 0) != (o2 > 0) && (o3 > 0) != (o4 > 0)) {
                    std::reverse(ps.begin() + i + 1, ps.begin() + j + 1);
                    changed = true;
                }
            }
        }
    }
    return ps;
}

}  // namespace

TEST(ClipPolygonToRect, EnclosesWhatAnIndependentClipperFindsOnRandomPolygons) {
    constexpr int kL = 0, kT = 0, kR = 1000, kB = 1000;
    std::mt19937 rng(20261210);
    int tried = 0, wrong = 0;
    std::string firstWrong;
    while (tried < 4000) {
        const int n = 4 + static_cast<int>(rng() % 9);
        std::vector<PixelPoint> polygon = RandomSimplePolygon(rng, n, -700, 1700);
        if (polygon.empty()) continue;
        ++tried;
        std::vector<PixelPoint> out;
        ClipPolygonToRect(kL, kT, kR, kB, polygon.data(), n, out);
        const double want = ReferenceTwiceArea(polygon, kL, kT, kR, kB) / 2;
        // An outline that encloses the rectangle without meeting it gives no
        // points by contract; its callers test for that case themselves.
        if (out.empty() && std::fabs(std::fabs(want) - 1.0 * (kR - kL) * (kB - kT)) < 1e-6) continue;
        const double got = out.empty() ? 0 : TwiceArea(out) / 2;
        // Moved points are truncated to whole pixels: each shifts the area by
        // at most about one pixel times the rectangle's diagonal. A missing or
        // extra round of corners is off by the whole rectangle.
        const double tolerance = 1500.0 * static_cast<double>(out.size() + 1);
        if (std::fabs(got - want) > tolerance) {
            if (wrong++ == 0)
                firstWrong = Show(polygon) + " area " + std::to_string(got) + " want " + std::to_string(want);
        }
    }
    EXPECT_EQ(wrong, 0) << "of " << tried << "; first: " << firstWrong;
}

TEST(ClipPolygonToRect, EmptyPolygonGivesNothing) {
    std::vector<PixelPoint> out{{1, 1}};
    ClipPolygonToRect(0, 0, 10, 10, nullptr, 0, out);
    EXPECT_TRUE(out.empty());
}

TEST(ClipPolygonToRect, OutputStaysWithinTheStatedRoom) {
    // A zig-zag in and out of the rectangle: at most one point for the first
    // point, five per edge and four to close.
    std::vector<PixelPoint> zigzag;
    for (int i = 0; i < 20; ++i) zigzag.push_back({i * 3 - 10, i % 2 ? -5 : 15});
    std::vector<PixelPoint> out;
    ClipPolygonToRect(0, 0, 10, 10, zigzag.data(), static_cast<int>(zigzag.size()), out);
    EXPECT_FALSE(out.empty());
    EXPECT_LE(out.size(), 1 + 5 * (zigzag.size() + 1) + 4);
    for (const PixelPoint& p : out) {
        EXPECT_GE(p.x, 0);
        EXPECT_LE(p.x, 10);
        EXPECT_GE(p.y, 0);
        EXPECT_LE(p.y, 10);
    }
    EXPECT_EQ(out.front(), out.back());
}
