#include <gtest/gtest.h>

#include <ostream>
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
