#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/config.h"
#include "core/view.h"
#include "map/proj.h"

namespace {

struct FitCase {
    const char* name;
    double west, east, south, north;
    std::int32_t left, top, right, bottom;
    bool fullScreen;
};

struct Fit {
    Proj p;
    double lonSpan;
    std::int32_t left, top, right, bottom, width, height;
    bool ok;
};

Fit FitView(const FitCase& c) {
    gControls[kControlUseFullScreen] = c.fullScreen;
    gMapWest = c.west;
    gMapEast = c.east;
    gMapSouth = c.south;
    gMapNorth = c.north;
    gWestEdge = c.west;
    Fit f{};
    f.lonSpan = std::fmod(c.east - c.west + 360.0, 360.0);
    f.left = c.left;
    f.top = c.top;
    f.right = c.right;
    f.bottom = c.bottom;
    f.width = c.right - c.left;
    f.height = c.bottom - c.top;
    f.ok = f.p.SetMapScale(&f.lonSpan, &f.height, &f.width, c.south, c.north, &f.left, &f.top, &f.right, &f.bottom,
                           &f.p.xScale, &f.p.yScale);
    return f;
}

class ProjTest : public testing::Test {
protected:
    void SetUp() override { BuildMercatorTable(); }
    void TearDown() override {
        gControls[kControlUseFullScreen] = 0;
        ResetViewSettings();
    }
};

}  // namespace

TEST_F(ProjTest, MercatorTable) {
    EXPECT_EQ(MercatorFromTable(89.5), MercatorFromTable(88));
    EXPECT_EQ(MercatorFromTable(-30), -MercatorFromTable(30));
    EXPECT_NEAR(MercatorFromTable(30), MercatorY(30), 1e-6);
    EXPECT_NEAR(MercatorFromTable(45.123), MercatorY(45.123), 1e-5);
    double lo = MercatorY(5339 / 60.0), hi = MercatorY(5340 / 60.0);
    double v = MercatorFromTable(88.99);
    EXPECT_GT(v, lo);
    EXPECT_LT(v, hi);
    EXPECT_NEAR(v, lo + (hi - lo) * (88.99 * 60 - 5339), 1e-9);
    EXPECT_NEAR(InverseMercator(MercatorY(63.2)), 63.2, 1e-9);
    EXPECT_EQ(MercatorFromTable(std::nan("")), 0.0);
}

TEST_F(ProjTest, LongitudeOffsets) {
    struct Case {
        double lon, west, offset;
    } cases[] = {{-170, 170, 20}, {170, 170, 0}, {170.0005, 170, 0}, {169.9995, 170, 359.9995}, {-180, -180, 0},
                 {180, -180, 360}};
    for (const Case& c : cases) EXPECT_NEAR(Proj::LonOffset(c.lon, c.west), c.offset, 1e-9) << c.lon << " " << c.west;
}

TEST_F(ProjTest, FittingKeepsMercatorProportions) {
    const FitCase cases[] = {
        {"world, square pane", -180, 180, -70, 75, 0, 0, 800, 800, false},
        {"world, wide pane", -180, 180, -70, 75, 0, 0, 1600, 600, false},
        {"Japan, wide pane", 125, 150, 25, 47, 10, 20, 1210, 620, false},
        {"Pacific across the date line", 120, -60, -60, 65, 0, 0, 1000, 700, false},
        {"whole world from one longitude", 30, 30, -60, 60, 0, 0, 720, 500, false},
        // Spans of 180 degrees and more on panes where the height is the limit.
        {"world on a 16:9 pane", -180, 180, -70, 75, 0, 0, 1710, 930, false},
        {"world-alt on a 4:3 pane", 20, 20, -70, 75, 0, 0, 900, 560, false},
        {"Pacific rim on a 16:9 pane", 100, -60, -60, 65, 0, 0, 1710, 930, false},
    };
    for (const FitCase& c : cases) {
        SCOPED_TRACE(c.name);
        Fit f = FitView(c);
        ASSERT_TRUE(f.ok);
        EXPECT_EQ(f.p.xScale, f.p.yScale);
        // The fitted rectangle shows exactly the bounds, to within a pixel.
        EXPECT_NEAR(f.lonSpan * f.p.xScale, f.width, 1.0);
        EXPECT_NEAR((f.p.mercNorth - f.p.mercSouth) * f.p.yScale, f.height, 1.0);
        EXPECT_LE(std::abs(f.right - f.left - f.width), 1);
        // It stays centred on the pane.
        EXPECT_LE(std::abs((f.left + f.right) - (c.left + c.right)), 1);
        EXPECT_LE(std::abs((f.top + f.bottom) - (c.top + c.bottom)), 1);
        EXPECT_EQ(f.p.heightPx, f.height);
        // The whole map lies on the pane.
        EXPECT_GE(f.left, c.left);
        EXPECT_LE(f.right, c.right);
        EXPECT_GE(f.top, c.top);
        EXPECT_LE(f.bottom, c.bottom);
    }
}

TEST_F(ProjTest, SquareWorldPaneShrinksOrGainsLatitude) {
    const FitCase plain{"", -180, 180, -70, 75, 0, 0, 800, 800, false};
    Fit f = FitView(plain);
    EXPECT_EQ(f.width, 800);
    EXPECT_LT(f.height, 800);
    EXPECT_GT(f.top, 0);
    EXPECT_EQ(gMapSouth, -70);

    FitCase full = plain;
    full.fullScreen = true;
    Fit g = FitView(full);
    EXPECT_EQ(g.width, 800);
    EXPECT_EQ(g.height, 800);
    EXPECT_EQ(g.top, 0);
    EXPECT_LT(gMapSouth, -70);
    EXPECT_GT(gMapNorth, 75);
    EXPECT_NEAR((g.p.mercNorth - g.p.mercSouth) * g.p.yScale, 800, 1e-6);
}

TEST_F(ProjTest, FullScreenWidensANarrowRegionAboutItsCentre) {
    Fit f = FitView({"", 130, 150, 30, 45, 0, 0, 1600, 600, true});
    EXPECT_EQ(f.width, 1600);
    EXPECT_NEAR(f.lonSpan * f.p.xScale, 1600, 1e-6);
    EXPECT_NEAR((gMapWest + gMapEast) / 2, 140, 1e-9);
    EXPECT_EQ(gWestEdge, gMapWest);
    EXPECT_EQ(gMapSouth, 30);
}

TEST_F(ProjTest, FullScreenNeverWidensPastTheWholeWorld) {
    // 1920 x 40 would give a span of 587 degrees.
    Fit f = FitView({"", -10, 10, -20, 20, 0, 0, 1920, 40, true});
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.lonSpan, 360);
    EXPECT_EQ(gMapWest, gMapEast);  // the whole world from its west bound
    EXPECT_NEAR(gMapWest, -180, 1e-9);
    EXPECT_LE(f.width, 1920);
    EXPECT_NEAR(f.lonSpan * f.p.xScale, f.width, 1.0);
    EXPECT_EQ(f.left + f.right, 1920);  // the map sits in the middle of the pane
}

TEST_F(ProjTest, DegenerateBoundsAreRefused) {
    const FitCase cases[] = {
        {"equal north and south", -10, 10, 20, 20, 0, 0, 400, 300, false},
        {"both beyond 88", -10, 10, 88.5, 89.5, 0, 0, 400, 300, false},
        {"north below south", -10, 10, 40, 20, 0, 0, 400, 300, false},
        {"empty rectangle", -10, 10, 20, 40, 0, 0, 0, 300, false},
        {"NaN bound", -10, 10, std::nan(""), 40, 0, 0, 400, 300, false},
    };
    for (const FitCase& c : cases) {
        Fit f = FitView(c);
        EXPECT_FALSE(f.ok) << c.name;
        EXPECT_EQ(f.p.xScale, 1.0) << c.name;
        std::int32_t row, col;
        f.p.LatLonToPixel(30, 5, &row, &col);  // still safe to use
        double lat, lon;
        f.p.ScreenToLatLon(10, 10, &lat, &lon);
    }
}

TEST_F(ProjTest, PixelsRoundTripOverAGrid) {
    for (const FitCase& c : {FitCase{"world", -180, 180, -70, 75, 0, 0, 1600, 800, false},
                             FitCase{"pacific", 120, -60, -60, 65, 0, 0, 1000, 700, false},
                             FitCase{"japan", 138, 142, 34, 37, 0, 0, 900, 900, false},
                             FitCase{"world 720x500", -180, 180, -70, 75, 0, 0, 720, 500, false},
                             FitCase{"japan by width", 128, 146, 30, 46, 0, 0, 500, 900, false},
                             FitCase{"pacific full screen", 120, -60, -60, 65, 0, 0, 1000, 700, true}}) {
        Fit f = FitView(c);
        double span = f.lonSpan;
        for (int i = 0; i <= 40; ++i) {
            for (int j = 0; j <= 10; ++j) {
                double lat = gMapSouth + (gMapNorth - gMapSouth) * i / 40.0;
                double off = span * j / 10.0;
                // The north bound may lie up to a row above the truncated map
                // height: off the map, yet truncated toward zero into row 0.
                if (f.p.heightPx - (MercatorFromTable(lat) - f.p.mercSouth) * f.p.yScale < 0) continue;
                std::int32_t row, col;
                f.p.LatLonToPixel(lat, off, &row, &col);
                double lat2, off2;
                f.p.ScreenToLatLon(row, col, &lat2, &off2);
                std::int32_t row2, col2;
                f.p.LatLonToPixel(lat2, off2, &row2, &col2);
                EXPECT_EQ(row2, row) << c.name << " " << lat << " " << off;
                EXPECT_EQ(col2, col) << c.name << " " << lat << " " << off;
                // Back within one pixel, measured where the map measures.
                const double rowsApart = std::fabs(MercatorFromTable(lat2) - MercatorFromTable(lat)) * f.p.yScale;
                EXPECT_LE(rowsApart, 1.0) << c.name << " " << lat << " " << off;
                EXPECT_NEAR(off2, off, 1.0 / f.p.xScale) << c.name << " " << lat << " " << off;
            }
        }
    }
}

TEST_F(ProjTest, FarPointsAreHeldNotWrapped) {
    Proj p;
    p.mercSouth = 0;
    p.heightPx = 100;
    p.xScale = p.yScale = 1e5;
    std::int32_t row, col;
    p.LatLonToPixel(80, 50, &row, &col);
    EXPECT_EQ(row, -1000000);
    EXPECT_EQ(col, 1000000);
    p.LatLonToPixel(-80, -50, &row, &col);
    EXPECT_EQ(row, 1000000);
    EXPECT_EQ(col, -1000000);
    p.LatLonToPixel(std::nan(""), std::nan(""), &row, &col);
}

TEST(TruncToInt, TowardZeroAndHeldWithRoomForSums) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double v;
        int expected;
    } const cases[] = {
        {2.9, 2}, {-2.9, -2}, {0.0, 0}, {-0.5, 0}, {2e9, 2000000000}, {2147483647.0, 2000000000},
        {1e300, 2000000000}, {-1e300, -2000000000}, {inf, 0}, {-inf, 0}, {std::nan(""), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(TruncToInt(c.v), c.expected) << c.v;
    // A caller's own limit holds the same way.
    EXPECT_EQ(TruncToInt(2.5e6, 1e6), 1000000);
    EXPECT_EQ(TruncToInt(-2.5e6, 1e6), -1000000);
    EXPECT_EQ(TruncToInt(-inf, 1e6), 0);
}

TEST_F(ProjTest, DraggedRectangleToDegrees) {
    Fit f = FitView({"", 170, -170, -30, -10, 0, 0, 800, 800, false});
    double out[4];
    f.p.ScreenRectToLatLon(out, 0, 0, f.width, f.height);
    EXPECT_NEAR(out[0], 170, 1e-9);
    EXPECT_NEAR(out[2], -170, 1.0 / f.p.xScale);  // past 180 comes back west
    EXPECT_NEAR(out[1], -10, 0.01);
    EXPECT_NEAR(out[3], -30, 0.01);
}
