// The cross-section and 3-D projections as pure functions, their guards, the
// 3-D clipping, the box and the map view's section outline in pixels, and the
// bundled Japan 3-D and cross-section views rendered with their earthquakes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "core/config.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/overlay.h"
#include "map/quake_symbols.h"
#include "map/section3d.h"
#include "map/segments.h"
#include "platform/gfx/image.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/window.h"
#include "tests/support/temp_dir.h"

namespace ui = platform::ui;
namespace gfx = platform::gfx;

namespace {

namespace fs = std::filesystem;

class Section : public ::testing::Test {
protected:
    void SetUp() override {
        ResetViewSettings();
        gMapWest = gWestEdge = 130;
        gMapEast = 150;
        gLonSpan = 20;
        gMapSouth = 30;
        gMapNorth = 46;
        gXsLatitude = 38;
        gXsLongitude = 140;
        gViewAzimuth = 0;
        gViewWidth = 1000;
        gViewNearPlane = -50;
        gViewFarPlane = 50;
        gMinDepth = 0;
        gMaxDepth = 500;
    }
    void TearDown() override { ResetViewSettings(); }
    bool SetUpSection(MapRect area) {
        gMapRect = area;
        std::int32_t r = 0, c = 0;
        return proj_.CrossSectionPoint(0, 0, 0, 0, &r, &c);
    }
    Proj proj_;
};

TEST_F(Section, SetUpFitsTheSectionAndPlacesPoints) {
    ASSERT_TRUE(SetUpSection({0, 0, 1000, 1000}));  // 1 px per km: narrowed to 1000 x 500
    EXPECT_EQ(gMapHeight, 500);
    EXPECT_EQ(gMapWidth, 1000);
    EXPECT_EQ(gMapRect.top, 250);
    const double c0 = Proj::LonOffset(140, gWestEdge);
    struct { double lat, lonOffset, depth; bool shown; std::int32_t row, column; } cases[] = {
        {38.1, c0, 0, true, 0, 500},    // 11 km ahead, on the centre's meridian
        {38.5, c0, 0, false, 0, 500},   // 55 km ahead: beyond the far plane
        {37.9, c0, 100, true, 100, 500},
        {38, c0 + 1, 250, true, 250, 500 + static_cast<int>(KmPerDegreeLongitude(38))},
        {38, c0, 501, false, 501, 500},  // below the area
        {38, c0 - 6, 10, false, 10, 500 - static_cast<int>(6 * KmPerDegreeLongitude(38))},  // west of its start
    };
    for (const auto& c : cases) {
        std::int32_t row = -1, col = -1;
        EXPECT_EQ(proj_.CrossSectionPoint(1, c.lat, c.lonOffset, c.depth, &row, &col), c.shown) << c.lat << " " << c.depth;
        EXPECT_EQ(row, c.row) << c.lat << " " << c.depth;
        EXPECT_NEAR(col, c.column, 1) << c.lat << " " << c.depth;
    }
    // Azimuth 90: the viewer looks east, south is to the right.
    gViewAzimuth = 90;
    ASSERT_TRUE(SetUpSection({0, 0, 1000, 1000}));
    std::int32_t row = 0, south = 0, north = 0;
    EXPECT_TRUE(proj_.CrossSectionPoint(1, 37, c0, 0, &row, &south));
    EXPECT_TRUE(proj_.CrossSectionPoint(1, 39, c0, 0, &row, &north));
    EXPECT_GT(south, north);
}

TEST_F(Section, RowsCountFromTheMinimumDepth) {
    gMinDepth = 100;
    gMaxDepth = 300;
    ASSERT_TRUE(SetUpSection({0, 0, 1000, 1000}));  // 200 km fit into the height: 1 px per km wide
    EXPECT_EQ(gMapHeight, 200);
    const double c0 = Proj::LonOffset(140, gWestEdge);
    std::int32_t row = -1, col = -1;
    EXPECT_TRUE(proj_.CrossSectionPoint(1, 38, c0, 250, &row, &col));
    EXPECT_EQ(row, 150);
    EXPECT_TRUE(proj_.CrossSectionPoint(1, 38, c0, 100, &row, &col));
    EXPECT_EQ(row, 0);
    EXPECT_FALSE(proj_.CrossSectionPoint(1, 38, c0, 99, &row, &col));
    CrossSectionAxisPoint(300, 0, &row, &col);
    EXPECT_EQ(row, 200);
    EXPECT_EQ(col, 500);
}

TEST_F(Section, RefusedSetUpsRejectEveryPoint) {
    struct { const char* what; double width, minDepth, maxDepth; MapRect area; } cases[] = {
        {"view width 0", 0, 0, 500, {0, 0, 100, 100}},
        {"negative width", -5, 0, 500, {0, 0, 100, 100}},
        {"equal depths", 100, 300, 300, {0, 0, 100, 100}},
        {"zero-width area", 100, 0, 500, {50, 0, 50, 100}},
    };
    for (const auto& c : cases) {
        gViewWidth = c.width;
        gMinDepth = c.minDepth;
        gMaxDepth = c.maxDepth;
        EXPECT_FALSE(SetUpSection(c.area)) << c.what;
        std::int32_t row = 0, col = 0;
        EXPECT_FALSE(proj_.CrossSectionPoint(1, 38, 10, 300, &row, &col)) << c.what;
    }
    EXPECT_FALSE(proj_.CrossSectionPoint(7, 38, 10, 0, nullptr, nullptr));  // other modes
    // At the pole the section still has a finite scale.
    EXPECT_GT(KmPerDegreeLongitude(90), 0);
    EXPECT_TRUE(std::isfinite(KmPerDegreeLongitude(-90)));
    gXsLatitude = 90;
    gViewWidth = 100;
    gMaxDepth = 500;
    gMinDepth = 0;
    EXPECT_TRUE(SetUpSection({0, 0, 100, 100}));
    EXPECT_TRUE(std::isfinite(proj_.xScale));
}

class ThreeD : public Section {
protected:
    void SetUp() override {
        Section::SetUp();
        gViewDistance = 3000;
        gViewDip = 30;
        gMagnification = 2;
        gMapWidth = 400;
        gMapHeight = 300;
        Clear3DPoints();
    }
    void SetUp3D() {
        std::int32_t r = 0, c = 0;
        (void)Project3D(nullptr, -1, 0, 0, 0, &r, &c, 0);
    }
};

TEST_F(ThreeD, CameraAnglesAreHeldAndStoredBack) {
    struct { double dip, az, dipOut, azOut; } cases[] = {
        {120, 400, 90, 40}, {-100, -400, -90, -40}, {45, 180, 45, 180}, {0, 181, 0, -179}, {0, 540, 0, 180}};
    for (const auto& c : cases) {
        gViewDip = c.dip;
        gViewAzimuth = c.az;
        SetUp3D();
        EXPECT_EQ(gViewDip, c.dipOut) << c.dip;
        EXPECT_EQ(gViewAzimuth, c.azOut) << c.az;
    }
}

TEST_F(ThreeD, TheTargetProjectsToTheCentreAndTheEyeAtTheTargetSeesNothing) {
    SetUp3D();
    ASSERT_TRUE(g3D.valid);
    std::int32_t col = 0, row = 0;
    ASSERT_TRUE(Project3DPoint(g3D.target, &col, &row));
    EXPECT_EQ(col, 200);
    EXPECT_EQ(row, 150);
    // North (+y) of the target seen from the south: higher on the screen at this dip.
    std::int32_t col2 = 0, row2 = 0;
    ASSERT_TRUE(Project3DPoint({0, 500, g3D.target.z}, &col2, &row2));
    EXPECT_EQ(col2, 200);
    EXPECT_NE(row2, row);

    gViewDistance = 0;  // eye = ((0 + 500) / 2 - 0) = the target at 250 km
    SetUp3D();
    EXPECT_FALSE(g3D.valid);
    EXPECT_FALSE(Project3DPoint(g3D.target, &col, &row));
    Matrix4 m;
    EXPECT_FALSE(LookAtPerspective({1, 2, 3}, 2, {1, 2, 3}, m));
    for (auto& r : m)
        for (double v : r) EXPECT_EQ(v, 0);

    gViewDistance = 3000;
    gMapWidth = 0;  // a zero-width area
    SetUp3D();
    EXPECT_FALSE(g3D.valid);
    EXPECT_EQ(g3D.aspect, 1);
}

TEST_F(ThreeD, MatrixProductAndThePointBuffer) {
    const Matrix4 a = {{1, 2, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {3, 0, 0, 1}};
    const Matrix4 b = {{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 4, 0}, {0, 0, 0, 1}};
    Matrix4 out;
    MatrixMultiply4(out, a, b);
    EXPECT_EQ(out[0][0], 2);
    EXPECT_EQ(out[0][1], 6);
    EXPECT_EQ(out[3][0], 6);
    EXPECT_EQ(out[3][3], 1);

    SetUp3D();
    std::int32_t row = 0, col = 0;
    int shown = 0;
    for (int i = 0; i < kMax3DPoints + 5; ++i) shown += Project3D(nullptr, 1, 38, 10, 100, &row, &col, 0);
    EXPECT_EQ(g3DPoints.size(), static_cast<std::size_t>(kMax3DPoints));
    EXPECT_EQ(shown, kMax3DPoints + 5);  // still drawn, no longer buffered
    Clear3DPoints();
    EXPECT_TRUE(g3DPoints.empty());
}

int Inked(const gfx::Surface& s, gfx::Color c) {
    int n = 0;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) n += s.At(x, y) == c;
    return n;
}

TEST_F(ThreeD, LinesBehindTheEyeAreDroppedAndSideCrossingsCut) {
    SetUp3D();
    auto s = gfx::Surface::Create(400, 300, gfx::kBlack);
    gfx::DrawContext dc(*s);
    // The eye is about 2600 km south of the box centre: points 5000 km south lie behind it.
    MoveTo3D({-100, -5000, 0});
    EXPECT_FALSE(LineTo3D(dc, {100, -5000, 0}, kWhiteColor));
    EXPECT_EQ(Inked(*s, gfx::kWhite), 0);
    // A line far across the view is cut at both sides and stays in the area.
    MoveTo3D({-50000, 0, 250});
    EXPECT_TRUE(LineTo3D(dc, {50000, 0, 250}, kWhiteColor));
    EXPECT_GT(Inked(*s, gfx::kWhite), 390 * 2);
    // From behind the eye into the view: cut at the eye's plane, drawn in front of it.
    MoveTo3D({0, -5000, 250});
    EXPECT_TRUE(LineTo3D(dc, {0, 0, 250}, ColorOf(12) == gfx::Color{255, 0, 0} ? 12 : 12));
    EXPECT_GT(Inked(*s, gfx::Color{255, 0, 0}), 0);
}

TEST_F(ThreeD, TheBoxHasItsFrameCornersAndCompassLetters) {
    std::int32_t r = 0, c = 0;
    auto s = gfx::Surface::Create(401, 301, gfx::kBlack);
    gfx::DrawContext dc(*s);
    (void)Project3D(&dc, 0, 0, 0, 0, &r, &c, 0);
    for (int x = 0; x <= 400; x += 50) {
        EXPECT_EQ(s->At(x, 0), gfx::kWhite) << x;
        EXPECT_EQ(s->At(x, 300), gfx::kWhite) << x;
    }
    // The top corners of the box are where its edges meet.
    std::int32_t col = 0, row = 0;
    ASSERT_TRUE(Project3DPoint({g3D.X, g3D.Y, 0}, &col, &row));
    EXPECT_EQ(s->At(col, row), gfx::kWhite);
    EXPECT_GT(Inked(*s, gfx::kWhite), 2000);
}

// ---- Rendered on the bundled data ----------------------------------------------------------

fs::path DataDir() { return fs::weakly_canonical(fs::path(KESTRUNE_FIXTURES) / ".." / ".." / "data"); }

class Japan : public ::testing::Test {
protected:
    void SetUp() override {
        platform::headless::Reset();
        for (const char* f : {"QUORVEL.INI", "JAPAN-3D", "JAPAN-XS", "JAPAN"})
            fs::copy_file(DataDir() / f, f, fs::copy_options::overwrite_existing);
        ASSERT_EQ(ReadConfigFile(), 0);
        gProgramDir = DataDir().string();
        BuildMercatorTable();
        Clear3DPoints();
    }
    void TearDown() override {
        owner_.reset();
        ResetConfigValues();
        ResetViewSettings();
        gProgramDir.clear();
    }
    childMap& Open(const char* view, int width, int height) {
        EXPECT_EQ(ReadViewFile(view), 0);
        owner_ = std::make_unique<ui::Window>(nullptr, "layout");
        owner_->MoveWindow({0, 0, width, height});
        auto* pane = new childMap(owner_.get());
        pane->MoveWindow({0, 0, width, height});
        EXPECT_TRUE(owner_->Create());
        pane->RenderView();
        return *pane;
    }
    // Every catalogue event of the view, as rings in their depth colours.
    static int DrawCatalogue(childMap& pane) {
        gSymbolStyle = 3;
        gDotSlope = 1.5;
        gDotIntercept = -6.5;
        std::FILE* f = OpenDataFile("WORLD.HY4", "rb");
        if (!f) return 0;
        int drawn = 0;
        QuakeDisplayRecord r;
        for (std::int32_t n = 0; r.quake.ReadAt(f, n) > TimeValue(0); ++n) drawn += pane.DrawEventDot(r, false) > 0;
        std::fclose(f);
        return drawn;
    }
    static void KeepPng(const gfx::Surface& s, const char* name) {
        if (const char* dir = std::getenv("KESTRUNE_PNG_DIR")) (void)gfx::SavePng(s, (fs::path(dir) / name).string());
    }
    TempDir dir_;
    std::unique_ptr<ui::Window> owner_;
};

TEST_F(Japan, ThreeDViewShowsTheBoxTheCoastsAndTheSlab) {
    childMap& pane = Open("JAPAN-3D", 1280, 800);
    ASSERT_TRUE(g3D.valid);
    const gfx::Surface& s = pane.backBuffer();
    const gfx::Color coast = ColorOf(SegmentColor(1));
    EXPECT_GT(Inked(s, coast), 500);  // the coasts through the 3-D pen
    const int drawn = DrawCatalogue(pane);
    EXPECT_GT(drawn, 1000);
    EXPECT_EQ(g3DPoints.size(), static_cast<std::size_t>(std::min(drawn, kMax3DPoints)));
    KeepPng(s, "japan-3d.png");
    // The repaint shows the recorded lines and the buffered points again.
    pane.Draw3DView();
    EXPECT_GT(Inked(s, coast), 500);
    KeepPng(s, "japan-3d-repaint.png");
}

TEST_F(Japan, CrossSectionShowsDepthLabelsAndTheEventsOfTheSlice) {
    childMap& pane = Open("JAPAN-XS", 1280, 800);
    ASSERT_TRUE(gCrossSection.valid);
    const int drawn = DrawCatalogue(pane);
    EXPECT_GT(drawn, 100);
    KeepPng(pane.backBuffer(), "japan-xs.png");
    // The same events at MINIMUM DEPTH 100 start their rows 100 km lower.
    gMinDepth = 100;
    pane.RenderView();
    EXPECT_GT(DrawCatalogue(pane), 3);  // only the deep slab is left
    KeepPng(pane.backBuffer(), "japan-xs-100.png");
}

TEST_F(Japan, TheMapViewShowsTheSectionOutline) {
    childMap& pane = Open("JAPAN", 1280, 800);
    gXsLatitude = 38.5;
    gXsLongitude = 139;
    gViewWidth = 1400;
    gViewNearPlane = -150;
    gViewFarPlane = 150;
    pane.DrawCrossSectionOutline();
    const gfx::Surface& s = pane.backBuffer();
    EXPECT_GT(Inked(s, gfx::Color{255, 0, 0}), 300);
    std::int32_t row = 0, col = 0;
    pane.LatLonToPixel(38.5 + 150 / kKmPerDegree, Proj::LonOffset(139, gWestEdge), &row, &col);
    int white = 0;
    for (int dy = -2; dy <= 2; ++dy) white += s.At(col + gMapRect.left, row + gMapRect.top + dy) == gfx::kWhite;
    EXPECT_GT(white, 0);  // the far side of the outline
    KeepPng(s, "japan-outline.png");
}

}  // namespace
