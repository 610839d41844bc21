// Earthquake dots, transient markers, the marker icon and the alert highlight
// on a tiny headless map pane without map files: a black map area in which
// every pixel an event paints can be checked.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/quake_symbols.h"
#include "map/section3d.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/window.h"
#include "tests/support/pane_seams.h"
#include "tests/support/temp_dir.h"

namespace ui = platform::ui;
namespace gfx = platform::gfx;

namespace {

namespace fs = std::filesystem;
namespace headless = platform::headless;

fs::path DataDir() { return fs::weakly_canonical(fs::path(KESTRUNE_FIXTURES) / ".." / ".." / "data"); }

QuakeRecord Quake(double lat, double lon, double depthKm, double magnitude) {
    QuakeRecord q;
    MakeEventRecord(&q, 2000, 1, 1, 0, 0, 0, lat, lon, depthKm, magnitude);
    return q;
}

QuakeDisplayRecord Display(double lat, double lon, double depthKm, double magnitude) {
    QuakeDisplayRecord r;
    r.quake = Quake(lat, lon, depthKm, magnitude);
    return r;
}

class QuakeSymbols : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset();
        ResetConfigValues();
        ResetViewSettings();
        BuildMercatorTable();
        gCrossSection = {};
        gEnergyBins.reset();
        gMapSouth = -10;
        gMapNorth = 10;
        gMapWest = 0;
        gMapEast = 40;
        gShowLabels = false;
        gShowMapScale = false;
        gShowLogo = false;
        gLogoText.clear();
        gInfoText.clear();
        gMapImageFile.clear();
        gPopulationImageFile.clear();
        gConfigBackgroundColor = 0;
        gBackgroundColor = 0;
        for (int i = 0; i < kDepthColorCount; ++i) gDepthColors[i] = i + 1;  // each class its own colour
        gMinMagnitude = 4;
        gMaxMagnitude = 8;
        gMaxDepth = 500;
        gMinDepth = 0;
        gMagnitudeCutoff = 0;
        // Radius 2 at magnitude 4, 10 at magnitude 8.
        gDotSlope = 2;
        gDotIntercept = -6;
        gSymbolStyle = 1;
    }
    void TearDown() override {
        owner_.reset();
        gCrossSection = {};
        gEnergyBins.reset();
        ResetConfigValues();
        ResetViewSettings();
        gProgramDir.clear();
    }

    childMap& Pane(int width = 240, int height = 160) {
        owner_ = std::make_unique<ui::Window>(nullptr, "layout");
        owner_->MoveWindow({0, 0, width, height});
        auto* pane = new childMap(owner_.get());
        pane->MoveWindow({0, 0, width, height});
        EXPECT_TRUE(owner_->Create());
        pane->RenderView();
        EXPECT_NE(pane->mapImageSurface(), nullptr);
        return *pane;
    }

    // Map-area pixel of a place.
    static gfx::Point At(const childMap& pane, double lat, double lon) {
        std::int32_t row = 0, col = 0;
        pane.LatLonToPixel(lat, Proj::LonOffset(lon, gWestEdge), &row, &col);
        return {col, row};
    }
    static gfx::Color Screen(childMap& pane, gfx::Point p) {
        return pane.backBuffer().At(p.x + gMapRect.left, p.y + gMapRect.top);
    }
    static gfx::Color Image(childMap& pane, gfx::Point p) {
        return pane.mapImageSurface()->At(p.x + gMapRect.left, p.y + gMapRect.top);
    }
    // Pane pixels where the screen differs from the map image.
    static int Differences(childMap& pane, gfx::Rect r = {0, 0, 100000, 100000}) {
        const gfx::Surface& s = pane.backBuffer();
        const gfx::Surface& m = *pane.mapImageSurface();
        r = r.intersected(s.bounds());
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += s.At(x, y) != m.At(x, y);
        return n;
    }
    static int CountScreen(childMap& pane, gfx::Color c) {
        const gfx::Surface& s = pane.backBuffer();
        int n = 0;
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x) n += s.At(x, y) == c;
        return n;
    }

    TempDir dir_;
    std::unique_ptr<ui::Window> owner_;
};

const gfx::Color kMapBlack = ColorOf(0);

// ---- Arithmetic -----------------------------------------------------------------------------

TEST_F(QuakeSymbols, InViewTestFillsTheRecordAndHoldsEveryBound) {
    gWestEdge = 0;
    gLonSpan = 40;
    QuakeDisplayRecord r = Display(5, 350 - 360 + 30, 123.4, 6.7);  // 20 E
    EXPECT_TRUE(IsInView(r));
    EXPECT_DOUBLE_EQ(r.magnitude, 6.7);
    EXPECT_NEAR(r.depth, 123.4, 1e-5);
    EXPECT_NEAR(r.latitude, 5, 1e-6);
    EXPECT_NEAR(r.longitude, 20, 1e-6);

    struct Case {
        const char* what;
        double lat, lon, depth, mag, cutoff;
        bool map, threeD;
    } cases[] = {
        {"inside", 0, 20, 10, 5, 0, true, true},
        {"on the west edge", 0, 0, 10, 5, 0, false, false},
        {"a hair east of the west edge", 0, 0.0005, 10, 5, 0, false, false},
        {"just east of the west edge", 0, 0.01, 10, 5, 0, true, true},
        {"on the east edge", 0, 40, 10, 5, 0, false, false},
        {"on the north bound", 10, 20, 10, 5, 0, false, false},
        {"on the south bound", -10, 20, 10, 5, 0, false, false},
        {"just inside the north bound", 9.99, 20, 10, 5, 0, true, true},
        {"below the cut-off", 0, 20, 10, 5.9, 6, false, false},
        {"at the cut-off", 0, 20, 10, 6, 6, true, true},
        {"deeper than the maximum", 0, 20, 600, 5, 0, true, false},
        {"west of the map, across the date line", 0, -20, 10, 5, 0, false, false},
    };
    for (const Case& c : cases) {
        gMagnitudeCutoff = c.cutoff;
        QuakeDisplayRecord e = Display(c.lat, c.lon, c.depth, c.mag);
        gMapView = true;
        g3DView = gCrossSectionView = false;
        EXPECT_EQ(IsInView(e), c.map) << c.what << " (map)";
        gMapView = false;
        g3DView = true;
        EXPECT_EQ(IsInView(e), c.threeD) << c.what << " (3-D)";
    }

    // Shallower than MINIMUM DEPTH is out in every view.
    gMagnitudeCutoff = 0;
    gMinDepth = 50;
    QuakeDisplayRecord shallow = Display(0, 20, 10, 5);
    gMapView = true;
    g3DView = false;
    EXPECT_FALSE(IsInView(shallow));
    gMinDepth = 0;

    // A cross-section asks its projection; without one nothing is in view.
    gMapView = false;
    gCrossSectionView = true;
    QuakeDisplayRecord e = Display(0, 20, 10, 5);
    EXPECT_FALSE(IsInView(e));
    // A section 100 km deep, on the event's line: rows are km below the surface.
    gCrossSection = {.valid = true, .s = 1, .width = 100, .height = 100};
    EXPECT_TRUE(IsInView(e));
    QuakeDisplayRecord deep = Display(0, 20, 150, 5);
    EXPECT_FALSE(IsInView(deep));
}

TEST_F(QuakeSymbols, RadiusAndColourClasses) {
    struct { double m, radius; } radii[] = {{3.9, 0}, {4, 2}, {6, 6}, {8, 10}, {9, 12}};
    for (const auto& c : radii) EXPECT_DOUBLE_EQ(DotRadius(c.m), c.radius) << c.m;

    struct { double depth; int cls; } depths[] = {{-5, 0}, {0, 0}, {49.9, 0}, {50, 1}, {499, 9}, {500, 9}, {5000, 9}};
    for (const auto& c : depths) EXPECT_EQ(DepthClass(c.depth), c.cls) << c.depth;
    struct { double m; int cls; } mags[] = {{3, 0}, {4, 0}, {6.3, 5}, {6.5, 6}, {8, 9}, {25, 9}};
    for (const auto& c : mags) EXPECT_EQ(MagnitudeClass(c.m), c.cls) << c.m;

    // Ranges of zero give classes, not a division by zero.
    gMaxDepth = 0;
    EXPECT_EQ(DepthClass(0), 0);
    EXPECT_EQ(DepthClass(30), 9);
    gMinMagnitude = gMaxMagnitude = 6;
    EXPECT_EQ(MagnitudeClass(6.5), 5);
    EXPECT_EQ(MagnitudeClass(5), 0);
    EXPECT_EQ(MagnitudeClass(8), 9);

    gBackgroundColor = 15;
    EXPECT_EQ(MarkerOutlineColor(), 0);
    gBackgroundColor = 3;
    EXPECT_EQ(MarkerOutlineColor(), kLightGrayColor);
}

// ---- Dot styles -------------------------------------------------------------------------------

TEST_F(QuakeSymbols, WhiteFlashShrinksAndLeavesTheScreenAsTheMapImage) {
    childMap& pane = Pane();
    QuakeDisplayRecord r = Display(0, 20, 260, 6);  // radius 6, depth class 5
    const gfx::Point p = At(pane, 0, 20);
    const gfx::Color dot = ColorOf(gDepthColors[5]);
    EXPECT_DOUBLE_EQ(pane.DrawEventDot(r, false), 6);

    ASSERT_EQ(pane.markers().size(), 1u);
    EXPECT_EQ(pane.markers()[0].size, 6);
    EXPECT_EQ(Screen(pane, {p.x - 6, p.y}), gfx::kWhite);  // the flash, on the screen only
    EXPECT_EQ(Image(pane, {p.x - 6, p.y}), kMapBlack);
    EXPECT_EQ(Image(pane, p), dot);                         // the lasting pixel
    EXPECT_EQ(Screen(pane, {p.x + 8, p.y}), kMapBlack);

    // Each step erases the last disc and draws one a pixel smaller in the outline colour.
    const gfx::Color grey = ColorOf(kLightGrayColor);
    std::vector<int> sizes;
    int steps = 0;
    while (pane.EraseMarkers() && steps < 50) {
        ++steps;
        sizes.push_back(pane.markers().empty() ? -1 : pane.markers()[0].size);
        if (steps == 1) {
            EXPECT_EQ(Screen(pane, {p.x - 6, p.y}), kMapBlack);
            EXPECT_EQ(Screen(pane, {p.x - 5, p.y}), grey);
        }
    }
    EXPECT_EQ(sizes, (std::vector<int>{5, 4, 3, 2, 1, 0, -1}));
    EXPECT_TRUE(pane.markers().empty());
    EXPECT_EQ(Differences(pane), 0);
    EXPECT_EQ(Screen(pane, p), dot);
}

TEST_F(QuakeSymbols, KeepMakesTheDotPermanentAfterOneStep) {
    gSymbolStyle = 2;
    childMap& pane = Pane();
    QuakeDisplayRecord r = Display(0, 20, 10, 6);
    const gfx::Point p = At(pane, 0, 20);
    const gfx::Color dot = ColorOf(gDepthColors[0]);
    pane.DrawEventDot(r, false);
    EXPECT_EQ(Image(pane, {p.x - 3, p.y}), kMapBlack);

    EXPECT_FALSE(pane.EraseMarkers());
    EXPECT_TRUE(pane.markers().empty());
    EXPECT_EQ(Image(pane, {p.x - 3, p.y}), dot);
    EXPECT_EQ(Image(pane, {p.x - 6, p.y}), ColorOf(kLightGrayColor));  // outline on a black background
    EXPECT_EQ(Differences(pane), 0);
    EXPECT_FALSE(pane.EraseMarkers());  // nothing left
}

TEST_F(QuakeSymbols, ProtectedPixelsAreNeverPainted) {
    gSymbolStyle = 2;
    childMap& pane = Pane();
    const gfx::Point p = At(pane, 0, 20);
    // A label over the left half of the dot.
    pane.protectionMask()->FillRect({p.x - 10, p.y - 10, p.x + 1, p.y + 10}, gfx::Brush::Solid(gfx::kWhite));
    QuakeDisplayRecord r = Display(0, 20, 10, 6);
    pane.DrawEventDot(r, false);
    EXPECT_EQ(Image(pane, p), kMapBlack);  // no lasting pixel under the label
    pane.EraseMarkers();
    for (int x = p.x - 8; x <= p.x; ++x) EXPECT_EQ(Image(pane, {x, p.y}), kMapBlack) << x;
    EXPECT_EQ(Image(pane, {p.x + 3, p.y}), ColorOf(gDepthColors[0]));
}

TEST_F(QuakeSymbols, SmallSetsOnePixelExceptOnWhite) {
    gSymbolStyle = 0;
    childMap& pane = Pane();
    const gfx::Point p = At(pane, 0, 20);
    QuakeDisplayRecord r = Display(0, 20, 10, 7);
    pane.DrawEventDot(r, false);
    EXPECT_EQ(Image(pane, p), ColorOf(gDepthColors[0]));
    EXPECT_EQ(Screen(pane, p), ColorOf(gDepthColors[0]));
    EXPECT_EQ(Differences(pane), 0);
    EXPECT_EQ(Image(pane, {p.x + 1, p.y}), kMapBlack);
    EXPECT_TRUE(pane.markers().empty());

    const gfx::Point q = At(pane, 5, 30);
    pane.mapImage()->SetPixel(q, gfx::kWhite);
    QuakeDisplayRecord onWhite = Display(5, 30, 10, 7);
    pane.DrawEventDot(onWhite, false);
    EXPECT_EQ(Image(pane, q), gfx::kWhite);
}

TEST_F(QuakeSymbols, CirclesRingTheEventInTheMapImage) {
    gSymbolStyle = 3;
    childMap& pane = Pane();
    const gfx::Point p = At(pane, 0, 20);
    QuakeDisplayRecord r = Display(0, 20, 10, 6);  // radius 6
    pane.DrawEventDot(r, false);
    const gfx::Color ring = ColorOf(gDepthColors[0]);
    EXPECT_EQ(Image(pane, {p.x - 6, p.y}), ring);
    EXPECT_EQ(Image(pane, {p.x, p.y - 6}), ring);
    EXPECT_EQ(Image(pane, p), kMapBlack);  // hollow
    EXPECT_EQ(Differences(pane), 0);
    EXPECT_TRUE(pane.markers().empty());

    // Below MINIMUM MAGNITUDE the radius is 0: no ring at all.
    QuakeDisplayRecord tiny = Display(5, 30, 10, 3);
    pane.DrawEventDot(tiny, false);
    EXPECT_EQ(Image(pane, At(pane, 5, 30)), kMapBlack);
}

TEST_F(QuakeSymbols, MomentSharesOneDiscPerCellAndSumsTheEnergy) {
    gSymbolStyle = 4;
    childMap& pane = Pane();
    // Two events one pixel apart in the same 5-pixel cell.
    double lon1 = 20;
    gfx::Point p = At(pane, 0, lon1);
    for (int i = 0; i < 500 && p.x % 5 != 0; ++i) p = At(pane, 0, lon1 += 0.01);
    double lon2 = lon1;
    gfx::Point q = p;
    for (int i = 0; i < 500 && q.x == p.x; ++i) q = At(pane, 0, lon2 += 0.01);
    ASSERT_EQ(q.x, p.x + 1);
    const gfx::Point cell{p.x / 5 * 5 + 2, p.y / 5 * 5 + 2};
    ASSERT_EQ(q.x / 5 * 5 + 2, cell.x) << "pick a place further inside its cell";

    QuakeDisplayRecord a = Display(0, lon1, 10, 6.3);  // class 5 alone
    pane.DrawEventDot(a, false);
    EXPECT_EQ(Image(pane, cell), ColorOf(gDepthColors[5]));
    QuakeDisplayRecord b = Display(0, lon2, 10, 6.3);  // together M 6.5: class 6
    pane.DrawEventDot(b, false);
    EXPECT_EQ(Image(pane, cell), ColorOf(gDepthColors[6]));
    ASSERT_NE(gEnergyBins, nullptr);
    EXPECT_EQ(gEnergyBins->Count(), 1);
    EXPECT_EQ(Differences(pane), 0);
    EXPECT_EQ(Image(pane, {cell.x + 5, cell.y}), kMapBlack);
}

TEST_F(QuakeSymbols, ADotOverTheFloatingLegendIsNotDrawn) {
    struct LegendOverFirstEvent : testsupport::QuietPaneSeams {
        bool FloatingLegendBox(const childMap& pane, gfx::Rect* box) override {
            std::int32_t row = 0, col = 0;
            // Around the place of the first event, in pane pixels.
            pane.LatLonToPixel(0, Proj::LonOffset(20, gWestEdge), &row, &col);
            *box = {col + gMapRect.left - 2, row + gMapRect.top - 2, col + gMapRect.left + 2, row + gMapRect.top + 2};
            return true;
        }
    } legend;
    testsupport::ScopedPaneSeams installed(legend);
    childMap& pane = Pane();
    QuakeDisplayRecord r = Display(0, 20, 10, 6);
    EXPECT_EQ(pane.DrawEventDot(r, false), 0);
    EXPECT_TRUE(pane.markers().empty());
    EXPECT_EQ(Differences(pane), 0);
    QuakeDisplayRecord far = Display(5, 35, 10, 6);
    EXPECT_GT(pane.DrawEventDot(far, false), 0);
}

TEST_F(QuakeSymbols, RecordsLeftByAnotherStyleStillRunOut) {
    childMap& pane = Pane();
    QuakeDisplayRecord r = Display(0, 20, 10, 8);
    pane.DrawEventDot(r, false);
    ASSERT_FALSE(pane.markers().empty());
    gSymbolStyle = 0;  // the style changed before the frame erased the markers
    int steps = 0;
    while (pane.EraseMarkers()) ASSERT_LT(++steps, 100);
    EXPECT_TRUE(pane.markers().empty());
    EXPECT_EQ(Differences(pane), 0);
}

TEST_F(QuakeSymbols, TheSphereGetsFlashesOfTwiceTheRadius) {
    gControls[kControlScienceOnASphere] = 1;
    const gfx::Size saved = gSphereImageSize;
    gSphereImageSize = {4096, 2048};  // the whole globe of the sphere mapping
    childMap& pane = Pane();
    gSphereImageSize = saved;
    ASSERT_NE(pane.sphereDisplay(), nullptr);
    QuakeDisplayRecord r = Display(0, 20, 10, 4);  // radius 2
    pane.DrawEventDot(r, false);
    std::int32_t sx = 0, sy = 0;
    LatLonToMapPixel(0, 20, &sx, &sy);  // the true longitude, not the map's offset
    ASSERT_EQ(pane.sphereMarkers().size(), 1u);
    EXPECT_EQ(pane.sphereMarkers()[0].size, 4);
    EXPECT_EQ(pane.sphereMarkers()[0].x, sx);
    EXPECT_EQ(pane.sphereDisplay()->Pixel({sx - 4, sy}), gfx::kWhite);

    std::vector<int> sizes;
    while (pane.EraseSphereMarkers()) sizes.push_back(pane.sphereMarkers().empty() ? -1 : pane.sphereMarkers()[0].size);
    EXPECT_EQ(sizes, (std::vector<int>{3, 2, 1, 0, -1}));
    // The last step leaves a small white dot on the display image only.
    EXPECT_EQ(pane.sphereDisplay()->Pixel({sx - 3, sy}), gfx::kWhite);
    EXPECT_EQ(pane.spherePermanent()->Pixel({sx - 3, sy}), gfx::kBlack);
}

// ---- Marker icon and highlight ------------------------------------------------------------------

TEST_F(QuakeSymbols, MarkerIconIsDrawnAndErasedEvenAtTheEdges) {
    childMap& pane = Pane();
    struct Case {
        const char* what;
        int x, y;
        bool big;
    } cases[] = {
        {"inside", 40, 30, false},
        {"big, left edge becomes 0", 32, 30, true},
        {"on the top row", 60, 0, false},
        {"over the pane's right edge", gMapWidth - 10, gMapHeight - 10, false},
        {"big, left of the pane", 5, 20, true},
    };
    for (const Case& c : cases) {
        pane.SetMarkerIcon(c.x, c.y, c.big);
        EXPECT_TRUE(pane.markerIconShown()) << c.what;
        EXPECT_EQ(pane.markerIconPosition(), (ui::Point{c.big ? c.x - 32 : c.x, c.y})) << c.what;
        EXPECT_GT(Differences(pane), 20) << c.what;
        pane.EraseMarker();
        EXPECT_FALSE(pane.markerIconShown()) << c.what;
        EXPECT_EQ(Differences(pane), 0) << c.what;
    }
    // The marker flag of a dot moves the icon to the newest event.
    QuakeDisplayRecord r = Display(0, 20, 10, 6);
    pane.DrawEventDot(r, true);
    const gfx::Point p = At(pane, 0, 20);
    EXPECT_EQ(pane.markerIconPosition(), (ui::Point{p.x + 4, p.y + 4}));
    // (0, 0) says "no icon".
    pane.SetMarkerIcon(0, 0, false);
    EXPECT_FALSE(pane.markerIconShown());
}

TEST_F(QuakeSymbols, HighlightRingsGrowThenPulse) {
    childMap& pane = Pane(400, 300);
    const QuakeRecord q = Quake(0, 20, 10, 6);  // radius 6
    EXPECT_EQ(pane.ringCounter(), -3);
    std::vector<int> expected, actual;
    for (int u = -2; u <= 49; ++u) expected.push_back(u);
    for (int round = 0; round < 2; ++round)
        for (int u = 37; u <= 49; ++u) expected.push_back(u);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        pane.HighlightEvent(&q, true, true);
        actual.push_back(pane.ringCounter());
    }
    EXPECT_EQ(actual, expected);

    // At u = 49: rings of 55, 42, 29 and 16 pixels around the dot, in yellow.
    while (pane.ringCounter() != 48) pane.HighlightEvent(&q, true, true);
    pane.HighlightEvent(&q, true, true);
    const gfx::Point p = At(pane, 0, 20);
    const gfx::Color yellow = ColorOf(14);
    for (int radius : {55, 42, 29, 16}) EXPECT_EQ(Screen(pane, {p.x, p.y - radius}), yellow) << radius;
    EXPECT_NE(Screen(pane, {p.x, p.y - 35}), yellow);
    // The dot in its depth colour, outlined in white.
    EXPECT_EQ(Screen(pane, p), ColorOf(gDepthColors[0]));
    EXPECT_EQ(Screen(pane, {p.x - 6, p.y}), gfx::kWhite);
    // The magnitude in large yellow type to the lower right.
    int text = 0;
    for (int y = p.y - 60; y < p.y; ++y)
        for (int x = p.x + 8; x < p.x + 80; ++x) {
            auto px = pane.backBuffer().Pixel({x + gMapRect.left, y + gMapRect.top});
            text += px && *px == yellow;
        }
    EXPECT_GT(text, 100);
    EXPECT_EQ(pane.markerIconPosition(), (ui::Point{p.x + 4, p.y + 4}));

    // Erasing restores the ring area; the map image never had any of it.
    EXPECT_EQ(Image(pane, {p.x, p.y - 55}), kMapBlack);
    pane.EraseHighlight();
    const gfx::Rect area = gfx::Rect::FromSize(p.x + 4 - 85 + gMapRect.left, p.y + 4 - 85 + gMapRect.top, 175, 165);
    EXPECT_EQ(Differences(pane, area), 0);
    // The magnitude reaches beyond that area; it goes too, and nothing of the highlight is left.
    EXPECT_EQ(Differences(pane), 0);
    EXPECT_TRUE(pane.highlightLabel().empty());
}

TEST_F(QuakeSymbols, HidingTheHighlightBringsThePendingAlertBackWithoutRings) {
    childMap& pane = Pane(400, 300);
    QuakeRecord alert = Quake(0, 20, 10, 6);
    gAlertEvent = &alert;
    const gfx::Point p = At(pane, 0, 20);
    const gfx::Color yellow = ColorOf(14);
    for (int i = 0; i < 30; ++i) pane.HighlightEvent(&alert, true, true);
    pane.SetHighlightShown(true);

    pane.HideHighlight(false);
    EXPECT_FALSE(pane.highlightShown());
    EXPECT_EQ(pane.ringCounter(), 27);  // no rings drawn
    EXPECT_EQ(Screen(pane, p), ColorOf(gDepthColors[0]));
    EXPECT_NE(Screen(pane, {p.x, p.y - 33}), yellow);

    pane.HighlightEvent(&alert, true, true);
    pane.SetHighlightShown(true);
    pane.HideHighlight(true);
    EXPECT_EQ(Screen(pane, p), kMapBlack);
    EXPECT_EQ(Differences(pane), 0);  // the large magnitude is gone with the rings
    pane.HideHighlight(false);  // not shown: nothing happens
    EXPECT_EQ(Screen(pane, p), kMapBlack);
    gAlertEvent = nullptr;
}

// ---- Plants and labels ---------------------------------------------------------------------------

TEST_F(QuakeSymbols, PlantSymbolsComeFromTheirImagesOrNotAtAll) {
    gConfigBackgroundColor = 1;  // a blue map, so the symbol's black ink shows
    childMap& pane = Pane();
    const gfx::Color blue = ColorOf(1);
    const gfx::Point p = At(pane, 0, 20);
    pane.DrawPlantSymbol(0, 20, true);  // no image here nor in a program folder
    EXPECT_EQ(Differences(pane), 0);
    EXPECT_EQ(Screen(pane, p), blue);

    gProgramDir = DataDir().string();
    struct Case {
        bool operating;
        double lat, lon;
        gfx::Color disc, ink;
    } cases[] = {{true, 0, 20, {255, 255, 0}, {0, 0, 0}}, {false, 5, 30, {192, 192, 192}, {96, 96, 96}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.operating);
        const gfx::Point at = At(pane, c.lat, c.lon);
        pane.DrawPlantSymbol(c.lat, c.lon, c.operating);
        // Centred on the place, on both surfaces; the transparent corners leave the map.
        for (gfx::Point d : {gfx::Point{0, 0}, gfx::Point{-8, 0}, gfx::Point{8, 0}, gfx::Point{0, -8}, gfx::Point{0, 8}})
            EXPECT_EQ(Image(pane, {at.x + d.x, at.y + d.y}), c.ink) << d.x << "," << d.y;
        EXPECT_EQ(Image(pane, {at.x - 5, at.y + 1}), c.disc);
        EXPECT_EQ(Image(pane, {at.x - 8, at.y - 8}), blue);
        EXPECT_EQ(Image(pane, {at.x + 9, at.y}), blue);
        EXPECT_EQ(Image(pane, {at.x, at.y - 9}), blue);
    }
    EXPECT_EQ(Differences(pane), 0);
}

TEST_F(QuakeSymbols, EventLabelsArePlacedByTheViewKind) {
    childMap& pane = Pane();
    EventLabelRecord label;
    label.latitude = 5;
    label.longitude = 30;
    ASSERT_TRUE(pane.PlaceEventLabel(label));
    const gfx::Point p = At(pane, 5, 30);
    EXPECT_EQ(label.x, p.x);
    EXPECT_EQ(label.y, p.y);

    EventLabelRecord outside;
    outside.latitude = 5;
    outside.longitude = 60;
    EXPECT_FALSE(pane.PlaceEventLabel(outside));

    gMapView = false;
    gCrossSectionView = true;
    EXPECT_FALSE(pane.PlaceEventLabel(label));  // no section projection yet
    // Row 0 is 7 km above sea level; every place on the section's line lies mid-way along it.
    gCrossSection = {.valid = true, .s = 1, .minDepth = -7, .width = 66, .height = 100};
    ASSERT_TRUE(pane.PlaceEventLabel(label));
    EXPECT_EQ(label.x, 33);
    EXPECT_EQ(label.y, 7);  // at depth 0

    EventLabelRecord sphere;
    sphere.latitude = 5;
    sphere.longitude = 30;
    ASSERT_TRUE(PlaceEventLabelOnSphere(sphere));
    std::int32_t sx = 0, sy = 0;
    LatLonToMapPixel(5, 30, &sx, &sy);
    EXPECT_EQ(sphere.x, sx);
    EXPECT_EQ(sphere.y, sy);
}

}  // namespace
