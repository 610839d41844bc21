// The map pane on the headless backend: views of the bundled data rendered
// into the pane, checked where coasts are known to lie and where open ocean
// is; painting, the update rectangle, the JPEG cache and the command table.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/helpers.h"
#include "core/missing_seam.h"
#include "core/quake_record.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/info_spots.h"
#include "map/label_box.h"
#include "map/segments.h"
#include "platform/gfx/image.h"
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

fs::path ProgramDir() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : exe.parent_path();
}

struct Place {
    const char* what;
    double lat, lon;
};

class ChildMapPane : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset();
        for (const char* f : {"QUORVEL.INI", "alert_criteria.txt", "WORLD", "PACIFIC", "JAPAN"})
            fs::copy_file(DataDir() / f, f, fs::copy_options::overwrite_existing);
        ASSERT_EQ(ReadConfigFile(), 0);
        gProgramDir = DataDir().string();
        BuildMercatorTable();
    }
    void TearDown() override {
        owner_.reset();
        ResetConfigValues();
        ResetViewSettings();
        gProgramDir.clear();
    }

    childMap& Open(const char* view, int width, int height) {
        EXPECT_EQ(ReadViewFile(view), 0) << view;
        owner_ = std::make_unique<ui::Window>(nullptr, "layout");
        owner_->MoveWindow({0, 0, width, height});
        auto* pane = new childMap(owner_.get());
        pane->SetRenderProbe(&renders_);
        pane->MoveWindow({0, 0, width, height});
        EXPECT_TRUE(owner_->Create());
        return *pane;
    }

    // Whether the colour lies within r pixels of a place on the rendered map.
    static bool ColorNear(childMap& pane, const Place& p, gfx::Color c, int r = 4) {
        std::int32_t row = 0, col = 0;
        pane.LatLonToPixel(p.lat, Proj::LonOffset(p.lon, gWestEdge), &row, &col);
        const gfx::Surface& s = pane.backBuffer();
        for (int y = row - r; y <= row + r; ++y)
            for (int x = col - r; x <= col + r; ++x) {
                auto px = s.Pixel({x + gMapRect.left, y + gMapRect.top});
                if (px && *px == c) return true;
            }
        return false;
    }

    static int CountIn(const gfx::Surface& s, const gfx::Rect& r, gfx::Color c) {
        int n = 0;
        for (int y = std::max(r.top, 0); y < std::min(r.bottom, s.height()); ++y)
            for (int x = std::max(r.left, 0); x < std::min(r.right, s.width()); ++x) n += s.At(x, y) == c;
        return n;
    }

    TempDir dir_;  // the cache, the view file and the dumps land here
    testsupport::RenderCounter renders_;
    std::unique_ptr<ui::Window> owner_;
};

gfx::Color Coast() { return ColorOf(SegmentColor(1)); }

TEST(MapPaneArithmetic, IntervalsDigitsAndCacheNames) {
    struct { double q, grid, section; } intervals[] = {
        {0.3, 0.5, 1}, {25, 30, 50}, {30, 30, 50}, {0.000001, 0.00001, 0.001}, {5000, 1000, 1000}, {0.2, 0.2, 0.2}};
    for (const auto& c : intervals) {
        EXPECT_EQ(GridInterval(c.q), c.grid) << c.q;
        EXPECT_EQ(CrossSectionInterval(c.q), c.section) << c.q;
    }
    struct { double xScale; const char* file; } digits[] = {
        {2.2, "COAST.S4"}, {2.999, "COAST.S4"}, {3, "COAST.S3"}, {6, "COAST.S2"}, {11.9, "COAST.S2"}, {40, "COAST.S1"}};
    for (const auto& c : digits) EXPECT_EQ(ResolveMapFileName("COAST.S?", c.xScale), c.file) << c.xScale;
    EXPECT_EQ(ResolveMapFileName("PLATES.S0", 1), "PLATES.S0");

    struct { const char* name; const char* map; const char* population; } names[] = {
        {"WORLD.jpg", "WORLD.jpg", "WORLD-pop.jpg"},
        {"WORLD.pop", "WORLD.jpg", "WORLD-pop.jpg"},
        {"my.view.jpg", "my.view.jpg", "my.view-pop.jpg"},  // only the final extension goes
        {"WORLD", "WORLD.jpg", "WORLD-pop.jpg"},
        {"a.b/WORLD", "a.b/WORLD.jpg", "a.b/WORLD-pop.jpg"},
    };
    for (const auto& c : names) {
        EXPECT_EQ(CacheImageName(c.name), c.map) << c.name;
        EXPECT_EQ(PopulationCacheImageName(c.name), c.population) << c.name;
    }
}

TEST(MapPaneArithmetic, GridTicksAcrossTheWorldAndTheDateLine) {
    using V = std::vector<double>;
    struct {
        const char* what;
        double south, north, west, east, span;
        V tickLons, lineLons, tickLats, lineLats;
    } cases[] = {
        {"world", -70, 75, -180, 180, 360,
         V{-180, -150, -120, -90, -60, -30, 0, 30, 60, 90, 120, 150},
         V{-180, -150, -120, -90, -60, -30, 0, 30, 60, 90, 120, 150, 180},
         V{-60, -30, 0, 30, 60}, V{-60, -30, 0, 30, 60}},
        {"whole world from 30 west", -70, 75, -30, -30, 360,
         V{-30, 0, 30, 60, 90, 120, 150, 180, -150, -120, -90, -60},
         V{-30, 0, 30, 60, 90, 120, 150, 180, -150, -120, -90, -60, -30},
         V{-60, -30, 0, 30, 60}, V{-60, -30, 0, 30, 60}},
        {"Pacific across 180", -60, 65, 100, -60, 200,
         V{120, 150, 180, -150, -120, -90, -60}, V{120, 150, 180, -150, -120, -90, -60},
         V{-60, -30, 0, 30, 60}, V{-30, 0, 30, 60}},  // no parallel on the south edge
        {"south bound on a tick", 30, 45, 125, 150, 25,
         V{125, 130, 135, 140, 145, 150}, V{125, 130, 135, 140, 145, 150}, V{30, 35, 40, 45}, V{35, 40}},
    };
    for (const auto& c : cases) {
        const GridTicks g = GridTicksFor(c.south, c.north, c.west, c.east, c.span);
        EXPECT_EQ(g.tickLons, c.tickLons) << c.what;
        EXPECT_EQ(g.lineLons, c.lineLons) << c.what;
        EXPECT_EQ(g.tickLats, c.tickLats) << c.what;
        EXPECT_EQ(g.lineLats, c.lineLats) << c.what;
    }
}

TEST_F(ChildMapPane, WorldMapHasCoastsFrameAndLabelsAndGoesToPng) {
    childMap& pane = Open("WORLD", 1200, 740);
    pane.RenderView();
    ASSERT_NE(pane.mapImageSurface(), nullptr);
    EXPECT_EQ(pane.mouseMode(), kMouseIdle);
    EXPECT_FALSE(pane.drawing());
    EXPECT_EQ(renders_.fullRenderings, 1);
    EXPECT_EQ(pane.screen()->origin(), (gfx::Point{gMapRect.left, gMapRect.top}));
    EXPECT_EQ(ResolutionDigit(pane.xScale), '3');  // about 3 pixels per degree
    const fs::path png = ProgramDir() / "world_map.png";
    ASSERT_TRUE(gfx::SavePng(pane.backBuffer(), png.string()));
    std::printf("WORLD map pane written to %s\n", png.c_str());

    const Place coasts[] = {{"Chile", -30, -71.4}, {"Namibia", -22, 14.5}, {"east Australia", -28, 153.5},
                            {"Norway", 62, 5.2},   {"Florida", 27, -80.1}};
    for (const Place& p : coasts) EXPECT_TRUE(ColorNear(pane, p, Coast())) << p.what;
    const Place oceans[] = {{"south Pacific", -40, -130}, {"north Atlantic", 30, -45}, {"Indian Ocean", -20, 80}};
    for (const Place& p : oceans) EXPECT_FALSE(ColorNear(pane, p, Coast(), 6)) << p.what;
    // No line across the ocean: the row at 45 south is clear from 170 west to 80 west.
    std::int32_t row = 0, c0 = 0, c1 = 0;
    pane.LatLonToPixel(-45, Proj::LonOffset(-170, gWestEdge), &row, &c0);
    pane.LatLonToPixel(-45, Proj::LonOffset(-80, gWestEdge), &row, &c1);
    const gfx::Rect band{gMapRect.left + c0, gMapRect.top + row - 2, gMapRect.left + c1, gMapRect.top + row + 3};
    EXPECT_EQ(CountIn(pane.backBuffer(), band, Coast()), 0);
    // Plates, countries and the background are there.
    EXPECT_GT(CountIn(pane.backBuffer(), pane.backBuffer().bounds(), ColorOf(SegmentColor(3))), 500);
    EXPECT_GT(CountIn(pane.backBuffer(), pane.backBuffer().bounds(), ColorOf(SegmentColor(2))), 500);

    // The frame: a raised bevel on the pane's edge, a light grey band, the map area inside.
    const gfx::Surface& s = pane.backBuffer();
    EXPECT_EQ(s.At(1, 300), ColorOf(kWhiteColor));
    EXPECT_EQ(s.At(1198 - 1, 300), ColorOf(kDarkGrayColor));
    EXPECT_EQ(s.At(6, 300), ColorOf(kLightGrayColor));
    EXPECT_GT(gMapRect.left, 10);  // labels widen the margins
    // Grid labels in black below, above and beside the map area.
    const gfx::Color black = ColorOf(0);
    EXPECT_GT(CountIn(s, {gMapRect.left, gMapRect.bottom + 3, gMapRect.right, s.height() - 3}, black), 100);
    EXPECT_GT(CountIn(s, {gMapRect.left, 3, gMapRect.right, gMapRect.top - 3}, black), 100);
    EXPECT_GT(CountIn(s, {3, gMapRect.top, gMapRect.left - 3, gMapRect.bottom}, black), 50);
    // White ticks point into the map from the edges at the labelled longitudes.
    std::int32_t tickRow = 0, tickCol = 0;
    pane.LatLonToPixel(gMapSouth, Proj::LonOffset(0, gWestEdge), &tickRow, &tickCol);
    EXPECT_EQ(s.At(gMapRect.left + tickCol, gMapRect.bottom - 3), ColorOf(kWhiteColor));
    EXPECT_EQ(s.At(gMapRect.left + tickCol, gMapRect.top + 3), ColorOf(kWhiteColor));
    // The protection mask covers the map area and is clear.
    ASSERT_NE(pane.protectionMaskBits(), nullptr);
    EXPECT_EQ(pane.protectionMaskBits()->size(), (gfx::Size{gMapWidth, gMapHeight}));
}

TEST_F(ChildMapPane, PacificAcrossTheDateLineAndASmallRegion) {
    struct {
        const char* view;
        std::vector<Place> coasts;
        std::vector<Place> open;
        char digit;
    } cases[] = {
        {"PACIFIC",
         {{"Japan", 39.5, 141.95}, {"Chile", -30, -71.4}, {"east Australia", -28, 153.5}, {"California", 36, -121.5}},
         {{"south Pacific", -40, -130}, {"north Pacific", 35, -160}},
         0},
        {"JAPAN", {{"Sanriku", 39.5, 141.95}, {"Kyushu west", 32.6, 129.75}}, {{"Sea of Japan", 40, 135}}, '1'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.view);
        childMap& pane = Open(c.view, 1000, 700);
        pane.RenderView();
        ASSERT_NE(pane.mapImageSurface(), nullptr);
        for (const Place& p : c.coasts) EXPECT_TRUE(ColorNear(pane, p, Coast(), 5)) << p.what;
        for (const Place& p : c.open) EXPECT_FALSE(ColorNear(pane, p, Coast(), 6)) << p.what;
        if (c.digit) {
            EXPECT_EQ(ResolutionDigit(pane.xScale), c.digit);
        }
        TearDown();
        SetUp();
    }
}

TEST_F(ChildMapPane, BoundsAreHeldAndCrossSectionsGetLabels) {
    ASSERT_EQ(ReadViewFile("WORLD"), 0);
    childMap& pane = Open("WORLD", 800, 600);
    gMapSouth = -90;
    gMapNorth = 75;
    pane.RenderView();
    EXPECT_EQ(gMapSouth, -89);
    EXPECT_EQ(gMapNorth, 75);
    EXPECT_EQ(ResolutionDigit(pane.xScale), '4');  // about 2.2 pixels per degree at 800 wide

    gMapView = false;
    gCrossSectionView = true;
    gShowLabels = false;
    pane.RenderView();
    EXPECT_TRUE(gShowLabels);
}

// The terrain step pumps messages so Escape can stop it; a message that asks
// for a rendering meanwhile gets a second one after this one, never one inside it.
TEST_F(ChildMapPane, ARenderingAskedForDuringTheTerrainPumpWaitsForTheOneRunning) {
    struct Asker : ui::Window {
        using ui::Window::Window;
        childMap* pane = nullptr;
        testsupport::RenderCounter* renders = nullptr;
        int asked = 0, grewInside = 0;
        bool EvCommand(int id) override {
            if (id != 4242) return ui::Window::EvCommand(id);
            ++asked;
            const int before = renders->fullRenderings;
            pane->RenderView();
            grewInside += renders->fullRenderings - before;
            return true;
        }
    };
    // A flat USA 5-minute grid is enough: the step pumps once a row.
    {
        std::ofstream("USA.Z", std::ios::binary);
    }
    fs::resize_file("USA.Z", 781 * 324 * 2);
    gUsaEtopo5Dir = "USA.Z";
    childMap& pane = Open("WORLD", 400, 240);
    gMapSouth = 25, gMapNorth = 49, gMapWest = -125, gMapEast = -67;
    gTopo = 1;
    Asker asker(nullptr, "asker");
    ASSERT_TRUE(asker.Create());
    asker.pane = &pane;
    asker.renders = &renders_;
    asker.PostCommand(4242);
    const int before = renders_.fullRenderings;
    pane.RenderView();
    EXPECT_EQ(asker.asked, 1);
    EXPECT_EQ(asker.grewInside, 0);  // nothing nested inside the running one
    EXPECT_EQ(renders_.fullRenderings - before, 2);  // the asked one came after it
}

// JAPAN's two spots sit among cities and plants: no name is drawn over a
// spot's icon or title.
TEST_F(ChildMapPane, LabelsKeepClearOfTheInformationSpotsAndTheirTitles) {
    childMap& pane = Open("JAPAN", 1400, 980);
    gControls[kControlShowInfoSpots] = 1;
    pane.RenderView();
    std::vector<gfx::Rect> rooms, names;
    for (const InfoSpot& s : gInfoSpots) {
        if (!s.drawn) continue;
        // The icon, and a title at least 5 pixels a letter to its right.
        rooms.push_back({s.box[0], s.box[1], s.box[2], s.box[3]});
        rooms.push_back({s.x + 10, s.y - 5, s.x + 10 + 5 * static_cast<int>(std::strlen(s.title)), s.y + 5});
    }
    for (const auto& b : gLabelBoxes)
        if (!b->text.empty()) names.push_back(b->box);
    ASSERT_EQ(rooms.size(), 4u);
    ASSERT_GT(names.size(), 5u);
    for (const gfx::Rect& room : rooms)
        for (const gfx::Rect& name : names) EXPECT_FALSE(BoxesOverlap(room, name));
}

TEST_F(ChildMapPane, FullScreenNearTheDateLineStaysPutOverRedraws) {
    childMap& pane = Open("WORLD", 1600, 600);
    gControls[kControlUseFullScreen] = 1;
    gMapWest = -175;
    gMapEast = -165;
    gMapSouth = 30;
    gMapNorth = 45;
    pane.RenderView();
    const double west = gMapWest, east = gMapEast;
    EXPECT_GE(west, -180);  // wrapped, not left below -180
    EXPECT_NEAR(gLonSpan, Proj::LonOffset(east, west), 1e-9);
    for (int i = 0; i < 6; ++i) pane.RenderView();
    gControls[kControlUseFullScreen] = 0;
    EXPECT_NEAR(gMapWest, west, 1e-6);
    EXPECT_NEAR(gMapEast, east, 1e-6);
    // Still centred on -170.
    EXPECT_NEAR(std::fmod(gMapWest + Proj::LonOffset(gMapEast, gMapWest) / 2 + 540, 360) - 180, -170, 1e-6);
}

TEST_F(ChildMapPane, PaintCopiesTheImageAndTheFlushCopiesThePendingPart) {
    childMap& pane = Open("WORLD", 900, 600);
    pane.RenderView();
    std::vector<std::uint32_t> rendered;
    const gfx::Surface& s = pane.backBuffer();
    for (int y = 0; y < s.height(); ++y) rendered.insert(rendered.end(), s.row(y), s.row(y) + s.width());

    // Scribble on the screen, then paint: the map is back, and nothing was rendered again.
    pane.screen()->FillRect({-50, -50, 300, 200}, gfx::Brush::Solid(gfx::Color{255, 0, 255}));
    pane.Invalidate();
    pane.Update();
    std::vector<std::uint32_t> painted;
    for (int y = 0; y < s.height(); ++y) painted.insert(painted.end(), s.row(y), s.row(y) + s.width());
    EXPECT_TRUE(painted == rendered);
    EXPECT_EQ(renders_.fullRenderings, 1);

    // The update rectangle restores only its part from the map image.
    pane.screen()->FillRect({0, 0, 100, 100}, gfx::Brush::Solid(gfx::Color{255, 0, 255}));
    const gfx::Rect pending{gMapRect.left, gMapRect.top, gMapRect.left + 40, gMapRect.top + 40};
    pane.AddUpdateRect(pending);
    pane.FlushUpdateRect();
    EXPECT_TRUE(pane.updateRect().empty());
    const gfx::Color magenta{255, 0, 255};
    EXPECT_EQ(CountIn(s, pending, magenta), 0);
    EXPECT_GT(CountIn(s, {gMapRect.left + 40, gMapRect.top, gMapRect.left + 100, gMapRect.top + 100}, magenta), 0);
}

TEST_F(ChildMapPane, JpegCacheIsReusedWithinAHundredthOfADegree) {
    childMap& pane = Open("WORLD", 900, 600);
    pane.RenderView();
    ASSERT_TRUE(fs::exists("WORLD.jpg"));
    EXPECT_EQ(renders_.cacheWrites, 1);
    EXPECT_EQ(gImageBounds[0], gMapSouth);
    // The view file was written with the image's bounds.
    ASSERT_EQ(ReadViewFile("WORLD"), 0);
    EXPECT_EQ(gImageBounds[2], -180);
    EXPECT_EQ(gImageBounds[1], 75);
    std::vector<gfx::Color> first;
    const gfx::Surface& s = pane.backBuffer();
    for (int x = gMapRect.left; x < gMapRect.right; ++x) first.push_back(s.At(x, (gMapRect.top + gMapRect.bottom) / 2));

    struct { double moveNorth; int renderings; int writes; } steps[] = {
        {0, 1, 1},      // same bounds: the image, and it is not written again
        {0.005, 1, 1},  // within the tolerance
        {0.02, 2, 2},   // beyond it: drawn afresh and saved
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.moveNorth);
        ASSERT_EQ(ReadViewFile("WORLD"), 0);
        gMapNorth = gImageBounds[1] + step.moveNorth;
        gRedrawMap = false;
        pane.RenderView();
        EXPECT_EQ(renders_.fullRenderings, step.renderings);
        EXPECT_EQ(renders_.cacheWrites, step.writes);
    }
    // What came back from the cache looks like what was drawn (JPEG: a tolerance
    // of 48 per channel on average along a row, for its compression).
    ASSERT_EQ(ReadViewFile("WORLD"), 0);
    gRedrawMap = false;
    gMapNorth = 75;
    gImageBounds[1] = 75;
    pane.RenderView();
    long diff = 0;
    for (int x = gMapRect.left, i = 0; x < gMapRect.right && i < static_cast<int>(first.size()); ++x, ++i) {
        const gfx::Color c = s.At(x, (gMapRect.top + gMapRect.bottom) / 2);
        diff += std::abs(c.red() - first[i].red()) + std::abs(c.green() - first[i].green()) + std::abs(c.blue() - first[i].blue());
    }
    EXPECT_LT(diff / static_cast<long>(first.size() * 3), 48);
}

// The decoded cache is kept between renderings only while its file stays as
// it was: one rewritten by anybody else, at once or later, is read again.
TEST_F(ChildMapPane, ACacheImageChangedOnDiskIsReadAgain) {
    childMap& pane = Open("WORLD", 900, 600);
    pane.RenderView();
    ASSERT_TRUE(fs::exists("WORLD.jpg"));
    const gfx::Point middle{(gMapRect.left + gMapRect.right) / 2, (gMapRect.top + gMapRect.bottom) / 2};
    const gfx::Rect area{0, 0, gMapWidth, gMapHeight};
    auto near = [](gfx::Color a, gfx::Color b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 40;
    };
    for (const gfx::Color fill : {gfx::Color{200, 0, 200}, gfx::Color{0, 180, 60}, gfx::Color{200, 0, 200}}) {
        auto image = gfx::Surface::Create(area.width(), area.height(), fill);
        ASSERT_TRUE(image);
        ASSERT_TRUE(gfx::SaveJpeg(*image, "WORLD.jpg", 75));
        for (int again = 0; again < 2; ++again) {
            ASSERT_EQ(ReadViewFile("WORLD"), 0);
            gRedrawMap = false;
            pane.RenderView();
            EXPECT_TRUE(near(pane.backBuffer().At(middle.x, middle.y), fill))
                << int(fill.red()) << "," << int(fill.green()) << " rendering " << again;
        }
    }
    EXPECT_EQ(renders_.fullRenderings, 1);
}

TEST_F(ChildMapPane, APaneTooSmallForAMapIsLeftQuietly) {
    childMap& pane = Open("WORLD", 40, 30);
    pane.RenderView();
    EXPECT_EQ(pane.mapImageSurface(), nullptr);
    EXPECT_TRUE(headless::MessageBoxCalls().empty());
    EXPECT_EQ(pane.mouseMode(), kMouseIdle);
    EXPECT_FALSE(fs::exists("WORLD.jpg"));
}

struct RecordingCommands : testsupport::QuietPaneSeams {
    std::vector<std::string> textFiles;
    std::vector<int> passedCommands;
    int clicks = 0;
    void Click(childMap&) override { ++clicks; }
    void OpenTextWindow(childMap&, const std::string& f) override { textFiles.push_back(f); }
    void Command(childMap&, int id) override { passedCommands.push_back(id); }
};

TEST_F(ChildMapPane, CommandsReachTheirHandlers) {
    RecordingCommands seams;
    testsupport::ScopedPaneSeams installed(seams);
    childMap& pane = Open("WORLD", 400, 300);
    pane.SetRightClickPoint({120, 80});

    // Each edit of the pop-up acts as a click where it was opened: a click
    // beyond the pane's size ends the mode with nothing done.
    pane.SetRightClickPoint({-50, -50});
    for (int id : {40014, 40039, 40020, 40061, 40060, 40044}) {
        EXPECT_TRUE(pane.SendCommand(id)) << id;
        EXPECT_EQ(pane.mouseMode(), kMouseIdle) << id;
    }
    EXPECT_EQ(seams.clicks, 0);
    for (int id : {1054, 1068, 1064}) EXPECT_TRUE(pane.SendCommand(id));
    EXPECT_EQ(seams.textFiles, (std::vector<std::string>{"HELP.TXT", "KEY.TXT", "TIMEOUT.TXT"}));
    // The region label commands are the pane's own (tested with the border sets).
    const std::vector<int> passed = {1037, 1038, 1071};
    for (int id : passed) EXPECT_TRUE(pane.SendCommand(id)) << id;
    EXPECT_EQ(seams.passedCommands, passed);
    EXPECT_TRUE(pane.SendCommand(1015));
    EXPECT_EQ(pane.mouseMode(), kMouseDigitize);
}

}  // namespace

namespace {

TEST_F(ChildMapPane, LayerSwitchesTitlesAndTheSpherePair) {
    childMap& pane = Open("WORLD", 900, 600);
    gShowLatLonLines = true;
    gShowPlates = false;
    gShowLogo = true;
    gLogoText = "KESTRUNE";
    gControls[kControlScienceOnASphere] = 1;
    // Only the logo marks the mask here: the view's city labels stay out.
    FreeStringList(&gTextFiles);
    FreeStringList(&gSymbolFiles);
    pane.RenderView();
    const gfx::Surface& s = pane.backBuffer();

    // Meridians in the grid colour; no plates, neither rendered nor painted.
    std::int32_t row = 0, col = 0;
    pane.LatLonToPixel(gMapSouth, Proj::LonOffset(-150, gWestEdge), &row, &col);
    EXPECT_GT(CountIn(s, {gMapRect.left + col, gMapRect.top, gMapRect.left + col + 1, gMapRect.bottom},
                      ColorOf(kGridColor)),
              gMapHeight / 2);
    const gfx::Color plates = ColorOf(SegmentColor(3));
    EXPECT_EQ(CountIn(s, s.bounds(), plates), 0);
    pane.Invalidate();
    pane.Update();
    EXPECT_EQ(CountIn(s, s.bounds(), plates), 0);

    // A sunken bevel just outside the map area.
    EXPECT_EQ(s.At(gMapRect.left - 2, (gMapRect.top + gMapRect.bottom) / 2), ColorOf(kDarkGrayColor));
    EXPECT_EQ(s.At(gMapRect.right + 1, (gMapRect.top + gMapRect.bottom) / 2), ColorOf(kWhiteColor));

    // The logo near the top of the map, on the screen, the map image and the mask alike.
    const gfx::Rect top{gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.top + 60};
    EXPECT_GT(CountIn(s, top, ColorOf(kWhiteColor)), 20);
    EXPECT_GT(CountIn(*pane.mapImageSurface(), top, ColorOf(kWhiteColor)), 20);
    const gfx::Mask& mask = *pane.protectionMaskBits();
    int set = 0;
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x) set += mask.At(x, y);
    EXPECT_GT(set, 20);
    for (int y = 60; y < mask.height(); ++y) EXPECT_FALSE(mask.At(mask.width() / 2, y)) << y;

    // The sphere pair, black, of the sphere image's size.
    ASSERT_NE(pane.sphereDisplay(), nullptr);
    ASSERT_NE(pane.spherePermanent(), nullptr);
    EXPECT_EQ(pane.sphereDisplay()->size(), gSphereImageSize);
    EXPECT_EQ(pane.sphereDisplay()->Pixel({100, 100}), gfx::kBlack);
}

}  // namespace

namespace {

std::string Bytes(const char* file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(ChildMapPane, ThePopulationCacheHasANameOfItsOwn) {
    // A sparse grid with one dense block from 30 N, 0 E: colour 3 on the map.
    {
        std::FILE* f = std::fopen("POP.BIN", "wb");
        ASSERT_NE(f, nullptr);
        const std::vector<unsigned char> dense(1200, 200);
        for (int r = 3600; r < 4800; ++r) {
            ASSERT_EQ(fseeko(f, static_cast<off_t>(r) * 43200, SEEK_SET), 0);
            ASSERT_EQ(std::fwrite(dense.data(), 1, dense.size(), f), dense.size());
        }
        std::fclose(f);
    }
    gPopulationFile = "POP.BIN";
    const int levels[3] = {500, 2500, 10000};
    for (int i = 0; i < 3; ++i) gPopulationLevels[i] = levels[i];
    gPopulationColors[2][0] = 255, gPopulationColors[2][1] = 0, gPopulationColors[2][2] = 255;
    const gfx::Color dense{255, 0, 255};
    childMap& pane = Open("WORLD", 900, 600);
    pane.RenderView();
    const std::string plain = Bytes("WORLD.jpg");
    ASSERT_FALSE(plain.empty());
    EXPECT_EQ(CountIn(pane.backBuffer(), pane.backBuffer().bounds(), dense), 0);

    // The overlay's first rendering starts from the plain image and saves apart from it.
    gControls[kControlPopulation] = 1;
    gRedrawMap = true;
    pane.RenderView();
    EXPECT_GT(CountIn(pane.backBuffer(), pane.backBuffer().bounds(), dense), 100);
    EXPECT_EQ(renders_.fullRenderings, 1);
    EXPECT_TRUE(fs::exists("WORLD-pop.jpg"));
    EXPECT_EQ(Bytes("WORLD.jpg"), plain);
    EXPECT_EQ(renders_.cacheWrites, 2);

    // Later renderings with the overlay reuse its image and write nothing.
    gRedrawMap = false;
    pane.RenderView();
    EXPECT_EQ(renders_.fullRenderings, 1);
    EXPECT_EQ(renders_.cacheWrites, 2);
    EXPECT_EQ(Bytes("WORLD.jpg"), plain);
}

TEST_F(ChildMapPane, AResizedPaneRendersIntoItsNewBuffer) {
    childMap& pane = Open("WORLD", 900, 600);
    pane.RenderView();
    pane.MoveWindow({0, 0, 700, 500});
    pane.RenderView();
    ASSERT_NE(pane.mapImageSurface(), nullptr);
    EXPECT_EQ(pane.mapImageSurface()->size(), (gfx::Size{700, 500}));
    EXPECT_EQ(pane.paneRect(), (gfx::Rect{0, 0, 700, 500}));
    EXPECT_LE(gMapRect.right, 700);
    EXPECT_EQ(pane.backBuffer().At(1, 250), ColorOf(kWhiteColor));  // the new frame
}

// The resize alone draws the view again at the new size, shrinking and
// growing, so painting never shows the old scale cut off or an empty part.
TEST_F(ChildMapPane, AResizeDrawsTheViewAgainAtTheNewSize) {
    childMap& pane = Open("WORLD", 900, 600);
    pane.MoveWindow({0, 0, 880, 590});  // before any view: nothing to draw yet
    EXPECT_TRUE(pane.paneRect().empty());
    pane.RenderView();
    for (const gfx::Size size : {gfx::Size{700, 420}, gfx::Size{1200, 700}, gfx::Size{1200, 700}}) {
        SCOPED_TRACE(size.width);
        pane.MoveWindow({0, 0, size.width, size.height});
        EXPECT_EQ(pane.paneRect(), (gfx::Rect{0, 0, size.width, size.height}));
        ASSERT_NE(pane.mapImageSurface(), nullptr);
        EXPECT_EQ(pane.mapImageSurface()->size(), size);
        EXPECT_LE(gMapRect.right, size.width);
        EXPECT_LE(gMapRect.bottom, size.height);
        EXPECT_EQ(pane.backBuffer().At(1, size.height / 2), ColorOf(kWhiteColor));  // the frame at its new edge
        EXPECT_EQ(pane.backBuffer().At(size.width - 2, size.height / 2), pane.mapImageSurface()->At(size.width - 2, size.height / 2));
    }
    pane.MoveWindow({0, 0, 10, 5});  // squeezed to nothing: left as it was, no message
    EXPECT_EQ(pane.paneRect(), (gfx::Rect{0, 0, 1200, 700}));
    EXPECT_TRUE(headless::MessageBoxCalls().empty());
}

}  // namespace

namespace {

TEST_F(ChildMapPane, PaintForgetsPngSymbolsAndHighlightsTheAlertAfterTheCopy) {
    // The highlight notes whether the PNG symbols were already forgotten.
    struct RecordingHighlight : testsupport::QuietPaneSeams {
        std::vector<std::string> steps;
        void HighlightAlertEvent(childMap& pane) override {
            steps.push_back(pane.drawing() ? "highlight while drawing" : "highlight");
            if (!gPngSymbolRects.empty()) steps.push_back("symbols kept");
        }
    } seams;
    testsupport::ScopedPaneSeams installed(seams);
    childMap& pane = Open("WORLD", 600, 400);
    pane.RenderView();
    gPngSymbolRects.push_back({1, 1, 5, 5});
    pane.Invalidate();
    pane.Update();
    EXPECT_TRUE(gPngSymbolRects.empty());
    EXPECT_TRUE(seams.steps.empty());  // no alert pending

    QuakeRecord alert{};
    gAlertEvent = &alert;
    gPngSymbolRects.push_back({1, 1, 5, 5});
    pane.Invalidate();
    pane.Update();
    gAlertEvent = nullptr;
    EXPECT_EQ(seams.steps, (std::vector<std::string>{"highlight"}));

    // The plates toggle draws the layer onto the screen alone.
    gShowPlates = false;
    pane.RenderView();
    const gfx::Color plates = ColorOf(SegmentColor(3));
    EXPECT_EQ(CountIn(pane.backBuffer(), pane.backBuffer().bounds(), plates), 0);
    pane.ShowPlates();
    EXPECT_GT(CountIn(pane.backBuffer(), pane.backBuffer().bounds(), plates), 100);
    EXPECT_EQ(CountIn(*pane.mapImageSurface(), pane.mapImageSurface()->bounds(), plates), 0);
}

}  // namespace

namespace {

// Without the program's wiring every step the pane leaves to another part
// says the seams are missing; none is skipped in silence.
TEST_F(ChildMapPane, EveryStepLeftToAnotherPartReportsItselfWhenMissing) {
    std::vector<std::string> missing;
    SetMissingSeamHandler([&](const std::string& step) { missing.push_back(step); });
    childMap& pane = Open("WORLD", 600, 400);
    gTopo = 1;
    gShowMapScale = true;
    gControls[kControlShowInfoSpots] = 1;
    gControls[kControlQmxLegend] = 1;
    gControls[kControlShowInformationButton] = 1;
    gRedrawMap = true;
    pane.RenderView();
    EXPECT_EQ(missing, (std::vector<std::string>{kNoPaneSeams, kNoPaneSeams}));  // floating legend, information button

    QuakeRecord record{};
    struct Case {
        const char* what;
        std::function<void()> reach;
        const char* step;
    } cases[] = {
        {"alert at paint", [&] { gAlertEvent = &record, pane.Invalidate(), pane.Update(), gAlertEvent = nullptr; },
         kNoPaneSeams},
        {"help text", [&] { pane.SendCommand(1054); }, kNoPaneSeams},
        {"next event", [&] { pane.SendCommand(1037); }, kNoPaneSeams},
        {"add a city here", [&] { pane.SetRightClickPoint({200, 200}), pane.SendCommand(40014); }, kNoPaneSeams},
        {"alert view", [&] { pane.BuildAlertView(record); }, kNoPaneSeams},
    };
    gControls[kControlQmxLegend] = 0;
    gControls[kControlShowInformationButton] = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        missing.clear();
        c.reach();
        EXPECT_NE(std::find(missing.begin(), missing.end(), c.step), missing.end()) << ::testing::PrintToString(missing);
    }

    // Closing a text window and ending the pane only undo what the steps above make.
    missing.clear();
    pane.CloseTextWindow();
    owner_.reset();
    SetMissingSeamHandler(nullptr);
    EXPECT_TRUE(missing.empty());
}

}  // namespace
