// Eruption triangles and volcano names on a small headless map pane, checked
// in pixels: what showing draws, what erasing gives back, and how names and
// eruptions of one volcano make room for one another.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/eruption.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/eruption_symbols.h"
#include "map/proj.h"
#include "map/quake_symbols.h"
#include "map/section3d.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/window.h"
#include "tests/support/temp_dir.h"

namespace ui = platform::ui;
namespace gfx = platform::gfx;

namespace {

namespace headless = platform::headless;

constexpr int kBackground = 1;  // colour number of the map area here
const gfx::Color kBlackPx = ColorOf(0);

std::unique_ptr<EruptionEvent> Eruption(const char* id, const char* name, char type, int size, double lat, double lon) {
    EruptionRecord r;
    std::snprintf(r.id, sizeof r.id, "%s", id);
    std::snprintf(r.name, sizeof r.name, "%s", name);
    r.type = type;
    r.size = static_cast<std::uint8_t>(size);
    r.latitude = lat;
    r.longitude = lon;
    r.start = PackedDate{2000, 1, 1};
    r.stop = PackedDate{2000, 1, 2};
    auto e = std::make_unique<EruptionEvent>();
    e->SetRecord(r);
    return e;
}

// Compares two images pixel by pixel; the first difference is reported.
::testing::AssertionResult SameImage(const gfx::Surface& a, const gfx::Surface& b) {
    if (a.size() != b.size()) return ::testing::AssertionFailure() << "sizes differ";
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (!(a.At(x, y) == b.At(x, y))) return ::testing::AssertionFailure() << "first difference at " << x << ", " << y;
    return ::testing::AssertionSuccess();
}

std::unique_ptr<gfx::Surface> Copy(const gfx::Surface& s) {
    auto c = gfx::Surface::Create(s.width(), s.height());
    gfx::DrawContext dc(*c);
    dc.Blit(s.bounds(), s, {0, 0}, gfx::RasterOp::Copy);
    return c;
}

class EruptionSymbols : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset();
        headless::SetScreenSize({1024, 768});
        ResetEruptionSymbolScale();
        ResetConfigValues();
        ResetViewSettings();
        FreeStringList(&gMapFiles);
        BuildMercatorTable();
        gMapView = true;
        g3DView = gCrossSectionView = false;
        gShowLabels = gShowLatLonLines = gShowPlates = gShowLogo = gShowMapScale = false;
        gShowEruptions = false;
        gInfoText.clear();
        gMapImageFile.clear();
        gConfigBackgroundColor = kBackground;
        gMapSouth = -60;
        gMapNorth = 60;
        gMapWest = -180;
        gMapEast = 180;
        gEruptionMagnitudeCutoff = 0;
        gShowVolcanoNames = false;
        gVolcanoesRedAtEnd = false;
    }
    void TearDown() override {
        ClearDisplayedEruptions(pane_);
        owner_.reset();
        pane_ = nullptr;
        ResetConfigValues();
        ResetViewSettings();
        ResetEruptionSymbolScale();
    }

    childMap& Render(int width = 300, int height = 200) {
        owner_ = std::make_unique<ui::Window>(nullptr, "layout");
        owner_->MoveWindow({0, 0, width, height});
        pane_ = new childMap(owner_.get());
        pane_->MoveWindow({0, 0, width, height});
        EXPECT_TRUE(owner_->Create());
        pane_->RenderView();
        EXPECT_NE(pane_->mapImageSurface(), nullptr);
        return *pane_;
    }

    // Placed, shown and kept in the displayed list, as the clock does it.
    EruptionEvent& Show(std::unique_ptr<EruptionEvent> e) {
        EXPECT_TRUE(PlaceEruption(*pane_, *e));
        EXPECT_NE(ShowEruption(*pane_, *e, false, true), 0);
        gDisplayedEruptions.push_back(std::move(e));
        return *gDisplayedEruptions.back();
    }

    // Screen pixel at a map-area position.
    gfx::Color ScreenAt(int x, int y) const { return pane_->backBuffer().At(x + gMapRect.left, y + gMapRect.top); }
    gfx::Color ImageAt(int x, int y) const { return pane_->mapImageSurface()->At(x + gMapRect.left, y + gMapRect.top); }

    int CountScreen(const EruptionBox& b, gfx::Color c) const {
        int n = 0;
        for (int y = b.top; y < b.bottom; ++y)
            for (int x = b.left; x < b.right; ++x) n += ScreenAt(x, y) == c;
        return n;
    }

    TempDir dir_;
    std::unique_ptr<ui::Window> owner_;
    childMap* pane_ = nullptr;
};

// ---- Geometry, colours and the view test ---------------------------------------------------

TEST_F(EruptionSymbols, TriangleGrowsWithSizeAndScreenHeight) {
    struct Case {
        int screenHeight, size, h, d;
    } const cases[] = {
        {768, 1, 5, 3}, {768, 4, 11, 8}, {480, 1, 4, 3}, {480, 7, 12, 9}, {1080, 2, 9, 6},
    };
    for (const Case& c : cases) {
        headless::SetScreenSize({1024, c.screenHeight});
        ResetEruptionSymbolScale();
        const double k = EruptionSymbolScale();
        const EruptionTriangle t = EruptionTriangleAt(100, 50, c.size, k);
        const std::string what = std::to_string(c.screenHeight) + " lines, size " + std::to_string(c.size);
        EXPECT_EQ(t.apex, (EruptionPoint{100, 50 - c.h})) << what;
        EXPECT_EQ(t.right, (EruptionPoint{100 + c.h, 50 + c.d})) << what;
        EXPECT_EQ(t.left, (EruptionPoint{100 - c.h, 50 + c.d})) << what;
        EXPECT_EQ(t.box, (EruptionBox{100 - c.h - 1, 50 - c.h - 1, 100 + c.h + 1, 50 + c.d + 1})) << what;
        const EruptionTriangle s = EruptionTriangleAt(100, 50, c.size, k, true);
        EXPECT_EQ(s.apex, (EruptionPoint{100, 50 - 2 * c.h})) << what;
        EXPECT_EQ(s.right, (EruptionPoint{100 + 2 * c.h, 50 + 2 * c.d})) << what;
        EXPECT_EQ(s.box, (EruptionBox{100 - 2 * c.h - 1, 50 - 2 * c.h - 1, 100 + 2 * c.h + 1, 50 + 2 * c.d + 1}))
            << what;
    }
    // The scale is taken once, at the first triangle.
    headless::SetScreenSize({1024, 768});
    ResetEruptionSymbolScale();
    EXPECT_DOUBLE_EQ(EruptionSymbolScale(), 1.6);
    headless::SetScreenSize({1024, 1080});
    EXPECT_DOUBLE_EQ(EruptionSymbolScale(), 1.6);
}

TEST_F(EruptionSymbols, SizeOneTriangleInPixels) {
    auto s = gfx::Surface::Create(30, 30, gfx::kWhite);
    gfx::DrawContext dc(*s);
    const gfx::Color fill = ColorOf(14);
    DrawEruptionSymbol(dc, 15, 15, 1, fill, kBlackPx);
    // h 5, d 3 on 768 lines: apex (15, 10), base corners (20, 18) and (10, 18).
    EXPECT_EQ(s->At(15, 10), kBlackPx);
    EXPECT_EQ(s->At(20, 18), kBlackPx);
    EXPECT_EQ(s->At(10, 18), kBlackPx);
    EXPECT_EQ(s->At(15, 15), fill);
    EXPECT_EQ(s->At(15, 17), fill);
    for (int x = 10; x <= 20; ++x) EXPECT_EQ(s->At(x, 18), kBlackPx) << "base at " << x;
    // Nothing outside the symbol box (9, 9) to (21, 19).
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            if (x < 9 || x >= 21 || y < 9 || y >= 19) {
                EXPECT_EQ(s->At(x, y), gfx::kWhite) << x << ", " << y;
            }
}

TEST(EruptionColours, ByTypeLetter) {
    const std::pair<char, int> cases[] = {{'B', 13}, {'E', 14}, {'L', 12}, {'U', 8}, {'X', 7}, {'b', 7}, {'\0', 7}};
    for (const auto& [type, colour] : cases) EXPECT_EQ(EruptionColour(type), colour) << "type " << int(type);
}

TEST_F(EruptionSymbols, InViewBoundsAreStrictAndTheCutoffIsInclusive) {
    struct Case {
        const char* what;
        double west, span, lat, lon;
        int size;
        bool in;
    } const cases[] = {
        {"inside", -180, 360, 10, 20, 1, true},
        {"on the north bound", -180, 360, 60, 20, 1, false},
        {"just below north", -180, 360, 59.99, 20, 1, true},
        {"on the south bound", -180, 360, -60, 20, 1, false},
        {"on the west edge", -180, 360, 0, -180, 1, false},
        {"just east of the west edge", -180, 360, 0, -179.9, 1, true},
        {"just west of the east edge", -180, 360, 0, 179.9, 1, true},
        {"across the date line, east of it", 170, 20, 0, -175, 1, true},
        {"across the date line, west of it", 170, 20, 0, 175, 1, true},
        {"outside the date-line view", 170, 20, 0, 0, 1, false},
        {"on the east edge of the date-line view", 170, 20, 0, -170, 1, false},
        {"below the cutoff", -180, 360, 10, 20, 2, false},
        {"at the cutoff", -180, 360, 10, 20, 3, true},
    };
    for (const Case& c : cases) {
        gWestEdge = c.west;
        gLonSpan = c.span;
        gEruptionMagnitudeCutoff = c.size == 1 ? 0 : 3;
        EXPECT_EQ(EruptionInView(*Eruption("V", "V", 'E', c.size, c.lat, c.lon)), c.in) << c.what;
    }
}

// ---- Showing and erasing ---------------------------------------------------------------------

TEST_F(EruptionSymbols, ShowDrawsOnTheScreenOnlyAndEraseGivesTheMapBack) {
    childMap& pane = Render();
    const auto clean = Copy(pane.backBuffer());
    gShowVolcanoNames = true;

    EruptionEvent& e = Show(Eruption("V1", "Testberg", 'E', 3, 0, 0));
    const EruptionDisplay& d = e.display;
    EXPECT_TRUE(d.displayed);
    EXPECT_TRUE(e.counted);
    EXPECT_EQ(ScreenAt(d.x, d.y), ColorOf(14));
    EXPECT_EQ(ScreenAt(d.triangle[0].x, d.triangle[0].y), kBlackPx);
    // The name stands right of the triangle, white with its shadow.
    ASSERT_TRUE(d.nameShown);
    EXPECT_EQ(d.nameHJust, static_cast<int>(HJust::Left));
    EXPECT_GT(d.nameBox.left, d.triangle[1].x);
    EXPECT_GT(CountScreen(d.nameBox, gfx::kWhite), 10);
    EXPECT_TRUE(SameImage(*pane.mapImageSurface(), *clean)) << "the map image must stay clean";

    EraseEruption(pane, e, true);
    EXPECT_FALSE(d.displayed);
    EXPECT_FALSE(d.nameShown);
    EXPECT_TRUE(d.nameBox.empty());
    EXPECT_TRUE(SameImage(pane.backBuffer(), *clean));
}

// A smaller pane renders a smaller map: the displayed eruptions move with
// it, and whatever the clock then draws of them stays inside the map frame.
TEST_F(EruptionSymbols, AfterAResizeTheTrianglesMoveWithTheMapAndStayInsideItsFrame) {
    Render(400, 300);
    const struct {
        const char* id;
        double lat, lon;
        int size;
    } eruptions[] = {{"V1", -57, 10, 5}, {"V2", -59.5, -150, 7}, {"V3", 20, 100, 3}};
    std::vector<EruptionEvent*> shown;
    for (const auto& e : eruptions) shown.push_back(&Show(Eruption(e.id, e.id, 'E', e.size, e.lat, e.lon)));

    pane_->MoveWindow({0, 0, 250, 165});  // the frame made smaller: the pane renders again
    ASSERT_LT(gMapHeight, 200);
    for (EruptionEvent* e : shown) {
        SCOPED_TRACE(FieldText(e->record.id, sizeof e->record.id));
        std::int32_t row = 0, column = 0;
        pane_->LatLonToPixel(e->record.latitude, Proj::LonOffset(e->record.longitude, gWestEdge), &row, &column);
        EXPECT_EQ(e->display.x, column);
        EXPECT_EQ(e->display.y, row);
        EXPECT_TRUE(e->display.displayed);
        ASSERT_LT(e->display.x, gMapWidth);
        ASSERT_LT(e->display.y, gMapHeight);
        EXPECT_EQ(ScreenAt(e->display.x, e->display.y), ColorOf(14)) << "drawn at its new place";
        RestoreEruptionSymbol(*pane_, *e);  // as the clock redraws an overlapped one
    }
    // No triangle's yellow below, beside or above the map area.
    const gfx::Surface& screen = pane_->backBuffer();
    int outside = 0;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x) {
            const bool inMap = x >= gMapRect.left && x < gMapRect.left + gMapWidth && y >= gMapRect.top &&
                               y < gMapRect.top + gMapHeight;
            outside += !inMap && screen.At(x, y) == ColorOf(14);
        }
    EXPECT_EQ(outside, 0);
}

TEST_F(EruptionSymbols, AnEruptionOutsideTheMapIsNotPlacedOrShown) {
    childMap& pane = Render();
    auto north = Eruption("V", "North", 'E', 1, 70, 0);
    EXPECT_FALSE(PlaceEruption(pane, *north));
    EXPECT_EQ(ShowEruption(pane, *north, false, true), 0);  // no position
    gMapView = false;
    gCrossSectionView = true;  // no section projection yet: rejected
    gCrossSection = {};
    EXPECT_FALSE(PlaceEruption(pane, *Eruption("V", "Section", 'E', 1, 0, 0)));
}

TEST_F(EruptionSymbols, OnlyTheLargerEruptionOfAVolcanoIsShownAndItsTwinReturns) {
    childMap& pane = Render();
    const auto clean = Copy(pane.backBuffer());
    gShowVolcanoNames = true;

    EruptionEvent& small = Show(Eruption("V1", "Twin", 'L', 1, 10, 30));
    EruptionEvent& large = Show(Eruption("V1", "Twin", 'E', 4, 10, 30));
    EXPECT_FALSE(small.display.displayed) << "the larger one replaces it";
    EXPECT_TRUE(small.display.nameBox.empty());
    EXPECT_TRUE(large.display.displayed);
    EXPECT_TRUE(large.display.nameShown);
    EXPECT_EQ(ScreenAt(large.display.x, large.display.y), ColorOf(14));

    // A smaller one arriving while the larger is shown draws nothing.
    const auto before = Copy(pane.backBuffer());
    auto late = Eruption("V1", "Twin", 'U', 2, 10, 30);
    ASSERT_TRUE(PlaceEruption(pane, *late));
    EXPECT_EQ(ShowEruption(pane, *late, false, true), 2);
    EXPECT_FALSE(late->display.displayed);
    EXPECT_FALSE(late->display.nameShown);
    EXPECT_TRUE(late->display.nameBox.empty());
    EXPECT_TRUE(SameImage(pane.backBuffer(), *before));

    // The larger ends: the smaller comes back with its name.
    large.erase = true;
    EraseEruption(pane, large, true);
    EXPECT_TRUE(small.display.displayed);
    EXPECT_TRUE(small.display.nameShown);
    EXPECT_EQ(ScreenAt(small.display.x, small.display.y), ColorOf(12));
    // Where only the larger triangle was, the map shows again.
    const EruptionPoint apex = large.display.triangle[0];
    EXPECT_EQ(ScreenAt(apex.x, apex.y), clean->At(apex.x + gMapRect.left, apex.y + gMapRect.top));

    // The clock marks an ended eruption before erasing it; one so marked is
    // never brought back as a twin, or it would stay on the map once freed.
    small.erase = true;
    EraseEruption(pane, small, true);
    EXPECT_FALSE(large.display.displayed);
    EXPECT_TRUE(SameImage(pane.backBuffer(), *clean));

    // Once both are freed the volcano has no entries left to compare with:
    // a new, smaller eruption of it shows.
    gDisplayedEruptions.RemoveErased();
    EXPECT_TRUE(gDisplayedEruptions.empty());
    EruptionEvent& next = Show(Eruption("V1", "Twin", 'L', 1, 10, 30));
    EXPECT_TRUE(next.display.displayed);
    EXPECT_TRUE(gDisplayedEruptions.SameVolcano(next).empty());
}

TEST_F(EruptionSymbols, EruptionsWithoutAnIdentifierAreNotOneVolcano) {
    Render();
    EruptionEvent& a = Show(Eruption("", "First", 'B', 3, -20, -60));
    EruptionEvent& b = Show(Eruption("", "Second", 'B', 2, 30, 100));
    EXPECT_TRUE(a.display.displayed);
    EXPECT_TRUE(b.display.displayed);
    EXPECT_EQ(ScreenAt(a.display.x, a.display.y), ColorOf(13));
    EXPECT_EQ(ScreenAt(b.display.x, b.display.y), ColorOf(13));
}

TEST_F(EruptionSymbols, ANeighbourCutByAnErasureIsRedrawnWhole) {
    childMap& pane = Render();
    // B alone, for reference.
    EruptionEvent& b = Show(Eruption("B", "B", 'L', 3, 0, 0));
    const auto withB = Copy(pane.backBuffer());
    EraseEruption(pane, b, false);
    gDisplayedEruptions.clear();

    EruptionEvent& a = Show(Eruption("A", "A", 'E', 3, 2, 3));
    EruptionEvent& b2 = Show(Eruption("B", "B", 'L', 3, 0, 0));
    ASSERT_TRUE(a.OverlapsSymbolBox(b2.display.symbolLeft, b2.display.symbolTop, b2.display.symbolRight,
                                    b2.display.symbolBottom));
    EraseEruption(pane, a, true);
    EXPECT_TRUE(b2.overlapped);
    EXPECT_TRUE(b2.redraw);
    EXPECT_FALSE(SameImage(pane.backBuffer(), *withB)) << "the erasure should have cut into B";

    RestoreEruptionSymbol(pane, b2);
    EXPECT_FALSE(b2.overlapped);
    EXPECT_FALSE(b2.redraw);
    EXPECT_TRUE(SameImage(pane.backBuffer(), *withB));
}

TEST_F(EruptionSymbols, RedAtEndLeavesAProtectedMagentaTriangle) {
    childMap& pane = Render();
    gVolcanoesRedAtEnd = true;
    EruptionEvent& e = Show(Eruption("V", "Red", 'E', 4, 0, 0));
    const EruptionDisplay d = e.display;
    EXPECT_EQ(ScreenAt(d.x, d.y), ColorOf(12)) << "every eruption is red while shown";

    EraseEruption(pane, e, true);
    const gfx::Color magenta = ColorOf(13);
    EXPECT_EQ(ScreenAt(d.x, d.y - 1), magenta);
    EXPECT_EQ(ImageAt(d.x, d.y - 1), magenta);
    // Size 1: apex 5 above, base 3 below; the rest of the size-4 triangle is gone.
    EXPECT_EQ(ImageAt(d.x, d.y - 5), kBlackPx);
    EXPECT_EQ(ImageAt(d.x + 5, d.y + 3), kBlackPx);
    EXPECT_EQ(ScreenAt(d.x, d.y - 8), ColorOf(kBackground));
    EXPECT_EQ(ScreenAt(d.x + 9, d.y + 6), ColorOf(kBackground));
    const gfx::Mask& mask = *pane.protectionMaskBits();
    EXPECT_TRUE(mask.Bit({d.x, d.y - 1}).value_or(false));
    EXPECT_TRUE(mask.Bit({d.x, d.y - 5}).value_or(false));
    EXPECT_FALSE(mask.Bit({d.x, d.y - 8}).value_or(true));

    // A later dot over it leaves it as it is.
    gfx::DrawContext& image = *pane.mapImage();
    gfx::StateSaver keep(image);
    image.SetOrigin({gMapRect.left, gMapRect.top});
    DrawDot(image, pane.protectionMask(), d.x, d.y, 8, ColorOf(4), ColorOf(4), 2);
    EXPECT_EQ(ImageAt(d.x, d.y - 1), magenta);
    EXPECT_EQ(ImageAt(d.x, d.y - 7), ColorOf(4));
}

TEST_F(EruptionSymbols, ClearingErasesEveryDisplayedEruption) {
    childMap& pane = Render();
    const auto clean = Copy(pane.backBuffer());
    gShowVolcanoNames = true;
    Show(Eruption("A", "Alpha", 'E', 2, -20, -60));
    Show(Eruption("B", "Beta", 'L', 5, 30, 100));
    EXPECT_FALSE(SameImage(pane.backBuffer(), *clean));
    ClearDisplayedEruptions(&pane);
    EXPECT_TRUE(gDisplayedEruptions.empty());
    EXPECT_TRUE(SameImage(pane.backBuffer(), *clean));

    // Without an application to find a pane in, they are only freed.
    Show(Eruption("C", "Gamma", 'E', 2, 0, 0));
    ClearDisplayedEruptions();
    EXPECT_TRUE(gDisplayedEruptions.empty());
}

// ---- Names ---------------------------------------------------------------------------------------

TEST_F(EruptionSymbols, NamesGoRightThenLeftThenAboveThenBelow) {
    struct Case {
        const char* what;
        double lat, lon;
        HJust h;
        VJust v;
    } const cases[] = {
        {"open map", 0, 0, HJust::Left, VJust::Center},
        {"at the east edge", 0, 178, HJust::Right, VJust::Center},
    };
    for (const Case& c : cases) {
        childMap& pane = Render();
        gShowVolcanoNames = true;
        EruptionEvent& e = Show(Eruption("V", "Somevolcano", 'E', 2, c.lat, c.lon));
        EXPECT_TRUE(e.display.nameShown) << c.what;
        EXPECT_EQ(e.display.nameHJust, static_cast<int>(c.h)) << c.what;
        EXPECT_EQ(e.display.nameVJust, static_cast<int>(c.v)) << c.what;
        EXPECT_GT(CountScreen(e.display.nameBox, gfx::kWhite), 10) << c.what;
        ClearDisplayedEruptions(&pane);
    }

    // A name already to the right sends the next one elsewhere.
    Render();
    gShowVolcanoNames = true;
    EruptionEvent& first = Show(Eruption("A", "Firstname", 'E', 2, 0, 20));
    EruptionEvent& second = Show(Eruption("B", "Secondname", 'E', 2, 0, 0));
    ASSERT_TRUE(first.display.nameShown);
    ASSERT_TRUE(second.display.nameShown);
    EXPECT_NE(second.display.nameHJust, static_cast<int>(HJust::Left));
    EXPECT_FALSE(first.display.nameBox.left < second.display.nameBox.right &&
                 second.display.nameBox.left < first.display.nameBox.right &&
                 first.display.nameBox.top < second.display.nameBox.bottom &&
                 second.display.nameBox.top < first.display.nameBox.bottom);
}

TEST_F(EruptionSymbols, ANameThatFitsNowhereLeavesNoBox) {
    // A pane too narrow for the name beside the triangle and too low for it above or below.
    gMapSouth = -5;
    gMapNorth = 5;
    gMapWest = -40;
    gMapEast = 40;
    childMap& pane = Render(140, 36);
    const auto clean = Copy(pane.backBuffer());
    gShowVolcanoNames = true;
    EruptionEvent& e = Show(Eruption("V", "Averyveryverylongvolcanoname", 'E', 1, 0, 0));
    EXPECT_TRUE(e.display.displayed);
    EXPECT_FALSE(e.display.nameShown);
    EXPECT_TRUE(e.display.nameBox.empty());
    // Only the triangle was drawn: no white name pixels anywhere.
    int whiteBefore = 0, whiteAfter = 0;
    for (int y = 0; y < clean->height(); ++y)
        for (int x = 0; x < clean->width(); ++x) {
            whiteBefore += clean->At(x, y) == gfx::kWhite;
            whiteAfter += pane.backBuffer().At(x, y) == gfx::kWhite;
        }
    EXPECT_EQ(whiteAfter, whiteBefore);
    EraseEruption(pane, e, true);
    EXPECT_TRUE(SameImage(pane.backBuffer(), *clean));
}

TEST_F(EruptionSymbols, NamesOnlyWithVolcanoNames) {
    Render();
    EruptionEvent& e = Show(Eruption("V", "Quiet", 'E', 2, 0, 0));
    EXPECT_FALSE(e.display.nameShown);
    EXPECT_TRUE(e.display.nameBox.empty());
}

// ---- The base map's layer ---------------------------------------------------------------------

TEST_F(EruptionSymbols, BaseMapDrawsEveryPlacedEruptionAsASmallGreyTriangle) {
    {
        std::FILE* f = std::fopen("T.ERB", "wb");
        ASSERT_NE(f, nullptr);
        for (const auto& e : {Eruption("A", "In view", 'E', 5, 0, 0), Eruption("B", "Too far north", 'E', 5, 80, 0)}) {
            unsigned char b[kEruptionRecordSize];
            EncodeEruptionRecord(e->record, b);
            std::fwrite(b, 1, sizeof b, f);
        }
        std::fclose(f);
    }
    gEruptionFileName = "T.ERB";
    gShowEruptions = true;
    gRedrawMap = true;
    childMap& pane = Render();

    auto probe = Eruption("A", "In view", 'E', 1, 0, 0);
    ASSERT_TRUE(PlaceEruption(pane, *probe));
    const EruptionDisplay& d = probe->display;
    const gfx::Color grey = ColorOf(kLightGrayColor);
    EXPECT_EQ(ScreenAt(d.x, d.y), grey);
    EXPECT_EQ(ImageAt(d.x, d.y), grey);
    EXPECT_EQ(ImageAt(d.x, d.y - 5), kBlackPx) << "size 1 whatever the record's size";
    EXPECT_EQ(ImageAt(d.x, d.y - 7), ColorOf(kBackground));
    // The clock must still find the catalogue closed, so it scans the eruptions under way.
    EXPECT_EQ(gEruptionCatalogue, nullptr);
    EXPECT_TRUE(gShowEruptions);
}

}  // namespace

// The displayed list files symbol boxes by area: a query must tell exactly the
// entries a look at every entry would find, each once, wherever the boxes lie
// (across cells, off the map on any side, beyond the grid) and after a move.
// (A box without area covers no pixel and is never told.)
TEST(DisplayedEruptionsIndex, OverlapQueriesAgreeWithALookAtEveryEntry) {
    DisplayedEruptions list;
    std::uint32_t seed = 99;
    auto next = [&](int lo, int hi) {
        seed = seed * 1103515245u + 12345u;
        return lo + static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(hi - lo));
    };
    auto randomBox = [&] {
        const int x = next(-100, 2300), y = next(-100, 2300);
        return EruptionBox{x, y, x + next(1, 90), y + next(1, 90)};
    };
    auto setBox = [](EruptionEvent& e, const EruptionBox& b) {
        e.display.symbolLeft = b.left;
        e.display.symbolTop = b.top;
        e.display.symbolRight = b.right;
        e.display.symbolBottom = b.bottom;
    };
    for (int i = 0; i < 400; ++i) {
        auto e = std::make_unique<EruptionEvent>();
        setBox(*e, randomBox());
        e->erase = i % 5 == 0;
        list.push_back(std::move(e));
    }
    list.RemoveErased();
    ASSERT_EQ(list.size(), 320u);
    for (int i = 0; i < 40; ++i) {
        EruptionEvent& moved = *list[static_cast<std::size_t>(i * 7)];
        setBox(moved, randomBox());
        list.SymbolMoved(moved);
    }
    auto overlaps = [](const EruptionBox& a, const EruptionBox& b) {
        return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    };
    for (int q = 0; q < 300; ++q) {
        const EruptionBox box = randomBox();
        std::multiset<const EruptionEvent*> told, want;
        list.ForEachSymbolOverlapping(box, [&](EruptionEvent& e) { told.insert(&e); });
        for (const auto& e : list)
            if (overlaps(e->display.symbolBox(), box)) want.insert(e.get());
        std::string boxes;
        for (const EruptionEvent* e : want) {
            const EruptionBox b = e->display.symbolBox();
            boxes += " " + std::to_string(b.left) + "," + std::to_string(b.top) + " " + std::to_string(b.right) + "," +
                     std::to_string(b.bottom);
        }
        ASSERT_EQ(told, want) << "query " << box.left << "," << box.top << " " << box.right << "," << box.bottom
                              << "; entries that overlap:" << boxes;
    }
}
