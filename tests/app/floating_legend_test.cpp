#include "app/floating_legend.h"

#include <gtest/gtest.h>

#include <string>

#include "app/control_panel.h"
#include "app/event_step.h"
#include "app/globals.h"
#include "app/view_open.h"
#include "core/config.h"
#include "core/missing_seam.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/draw.h"
#include "map/proj.h"
#include "platform/gfx/font.h"
#include "platform/ui/headless/headless.h"
#include "tests/app/app_fixture.h"
#include "tests/support/golden_png.h"
#include "tests/support/pane_seams.h"
#include "tests/support/temp_dir.h"

namespace gfx = platform::gfx;
namespace ui = platform::ui;
namespace hl = platform::headless;

namespace {

constexpr const char* kFace = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";

TEST(FloatingLegendDrag, StaysInTheMapAndOffItsTopBand) {
    // A 400 x 100 legend over a map from (20, 30) to (620, 400) in a pane 450 high; cw 7.
    const MapRect map{20, 30, 620, 400};
    const ui::Rect legend = ui::Rect::FromSize(100, 200, 400, 100);
    struct Case {
        const char* name;
        ui::Point p, anchor, expected;
    } cases[] = {
        {"free", {60, 40}, {50, 30}, {110, 210}},
        {"leftEdge", {-500, 10}, {10, 10}, {20, 200}},
        {"rightEdge", {900, 10}, {10, 10}, {220, 200}},
        {"topKeepsThreeCharacters", {10, -500}, {10, 10}, {100, 51}},
        {"bottomIsThePanes", {10, 900}, {10, 10}, {100, 350}},
        // An anchor at the legend's corner is a drag like any other.
        {"anchorAtTheCorner", {5, 5}, {0, 0}, {105, 205}},
    };
    for (const Case& c : cases) {
        const ui::Point at = LegendDragPosition(legend, map, c.p, c.anchor, 7, 450);
        EXPECT_EQ(at, c.expected) << c.name << ": " << at.x << "," << at.y;
    }
}

TEST(FloatingLegendDrag, WiderThanTheMapKeepsTheMapsLeftAndTop) {
    const MapRect map{20, 30, 320, 400};
    const ui::Rect wide = ui::Rect::FromSize(100, 200, 455, 144);
    for (ui::Point p : {ui::Point{-300, 0}, ui::Point{300, 0}, ui::Point{0, 0}})
        EXPECT_EQ(LegendDragPosition(wide, map, p, {0, 0}, 7, 160).x, 20) << p.x;
    // Taller than the pane allows: the top band wins as well.
    EXPECT_EQ(LegendDragPosition(wide, map, {0, 300}, {0, 0}, 7, 160).y, 51);
}

TEST(FloatingLegendPlace, ZeroMeansCentredOnTheBottomAndTheLegendStaysInThePane) {
    const ui::Size pane{800, 600}, legend{455, 144};
    struct Case {
        const char* name;
        int x, y;
        ui::Point expected;
    } cases[] = {
        {"default", 0, 0, {172, 456}},
        {"stored", 40, 60, {40, 60}},
        {"onlyY", 0, 60, {172, 60}},
        {"offThePane", 2000, 5000, {345, 456}},
        {"negative", -30, -2, {0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(LegendPlace(pane, legend, c.x, c.y), c.expected) << c.name;
    EXPECT_EQ(LegendPlace({300, 100}, legend, 0, 0), (ui::Point{0, 0})) << "a pane smaller than the legend";
}

// A map pane in a top-level window with the WORLD view's legend settings.
class FloatingLegend : public testing::Test {
protected:
    FloatingLegend() {
        ResetConfigValues();
        ResetViewSettings();
        gControls[kControlQmxLegend] = 1;
        gFloatingLegend = true;
        apptest::WorldLegendSettings();
        gMinMagnitude = 3;  // these tests' own range, below the view's 5
        gScaleInKm = true;
        apptest::ScaleDots(480);
        font_ = gfx::Font::FromFile(kFace, 20);
        gScreenMetrics = gfx::Font::FromFile(kFace, 16)->metrics();
        gTextHeight = 16;
        gAveCharWidth = 7;
        gMapRect = {20, 30, 780, 560};
        gPaneHeight = 590;
        gMapName = "TESTVIEW";
        top_.MoveWindow({0, 0, 800, 600});
        pane_ = new childMap(&top_);
        pane_->MoveWindow({0, 0, 800, 600});
        top_.Create();
        SetMissingSeamHandler([](const std::string& step) { ADD_FAILURE() << "missing seam: " << step; });
    }
    ~FloatingLegend() override {
        SetMissingSeamHandler(nullptr);
        ResetConfigValues();
        ResetViewSettings();
    }

    childQMXControl* Show() {
        ShowFloatingLegend(*pane_);
        childQMXControl* legend = FloatingLegendOf(*pane_);
        if (legend) legend->SetLegendFont(font_);
        return legend;
    }

    TempDir dir_;
    std::shared_ptr<const gfx::Font> font_;
    ui::Window top_{nullptr};
    childMap* pane_ = nullptr;
};

TEST_F(FloatingLegend, MadeOnceAtTheStoredPlaceAndShownByTheViewsSwitch) {
    gLegendPosition = {0, 100};
    childQMXControl* legend = Show();
    ASSERT_NE(legend, nullptr);
    EXPECT_EQ(legend->rect(), ui::Rect::FromSize(172, 100, 455, 144));
    gfx::Rect box;
    ASSERT_TRUE(FloatingLegendBox(*pane_, &box));
    EXPECT_EQ(box, legend->rect());

    gFloatingLegend = false;
    EXPECT_EQ(Show(), legend) << "the pane keeps its one legend";
    EXPECT_FALSE(legend->visible());
    EXPECT_FALSE(FloatingLegendBox(*pane_, &box)) << "a hidden legend keeps no dot off the map";

    gControls[kControlQmxLegend] = 0;
    auto* other = new childMap(&top_);
    ShowFloatingLegend(*other);
    EXPECT_EQ(FloatingLegendOf(*other), nullptr) << "without QMX LEGEND no legend is made";
    other->Destroy();
}

TEST_F(FloatingLegend, ADragHoldsTheMouseMovesWithinTheMapAndTheDropIsStored) {
    childQMXControl* legend = Show();
    ASSERT_NE(legend, nullptr);
    const ui::Point start = legend->rect().topLeft();
    hl::Mouse(*legend, ui::MouseAction::LeftDown, {0, 0});
    EXPECT_TRUE(legend->dragging());
    EXPECT_EQ(ui::Window::CaptureWindow(), legend);

    hl::Mouse(*legend, ui::MouseAction::Move, {-30, -40});
    EXPECT_EQ(legend->rect().topLeft(), (start + ui::Point{-30, -40}));
    hl::Mouse(*legend, ui::MouseAction::Move, {-5000, -5000});
    EXPECT_EQ(legend->rect().topLeft(), (ui::Point{20, 51}));
    EXPECT_EQ(legend->rect().size(), (ui::Size{455, 144}));
    EXPECT_EQ(gLegendPosition.x, 20);
    EXPECT_EQ(gLegendPosition.y, 51);

    hl::Mouse(*legend, ui::MouseAction::LeftUp, {0, 0});
    EXPECT_FALSE(legend->dragging());
    EXPECT_EQ(ui::Window::CaptureWindow(), nullptr);
    EXPECT_NE(TempDir::Read("TESTVIEW").find("LEGEND POSITION: 20 51"), std::string::npos) << TempDir::Read("TESTVIEW");

    // Without a press the mouse only passes over it.
    hl::Mouse(*legend, ui::MouseAction::Move, {300, 300});
    EXPECT_EQ(legend->rect().topLeft(), (ui::Point{20, 51}));
}

TEST_F(FloatingLegend, EveryWayOutOfADragGivesTheMouseBack) {
    childQMXControl* legend = Show();
    ASSERT_NE(legend, nullptr);
    hl::Mouse(*legend, ui::MouseAction::LeftDown, {10, 10});
    legend->Show(ui::ShowCommand::Hide);  // as Back and Redraw hide it
    EXPECT_FALSE(legend->dragging());
    EXPECT_EQ(ui::Window::CaptureWindow(), nullptr);

    legend->Show(ui::ShowCommand::Show);
    hl::Mouse(*legend, ui::MouseAction::LeftDown, {10, 10});
    const ui::Point before = legend->rect().topLeft();
    // Someone else took the mouse and gave it up before the button came up here.
    pane_->SetCapture();
    pane_->ReleaseCapture();
    hl::Mouse(*legend, ui::MouseAction::Move, {-40, 10});
    EXPECT_FALSE(legend->dragging());
    EXPECT_EQ(legend->rect().topLeft(), before);

    hl::Mouse(*legend, ui::MouseAction::LeftDown, {10, 10});
    legend->Destroy();
    EXPECT_EQ(ui::Window::CaptureWindow(), nullptr);
    EXPECT_EQ(FloatingLegendOf(*pane_), nullptr);
}

// The legend as it paints itself, with a read-out copied in.
TEST_F(FloatingLegend, PaintsTheDotsTheDepthsAndTheReadout) {
    childQMXControl* legend = Show();
    ASSERT_NE(legend, nullptr);
    auto panel = gfx::Surface::Create(200, 40, gfx::kWhite);
    {
        gfx::DrawContext dc(*panel);
        dc.FillRect({20, 8, 140, 30}, gfx::Brush::Solid(ColorOf(14)));
        DrawJustifiedText(dc, 22, 19, font_, "1995 Jan 17", 0, kNoColor, HJust::Left, VJust::Center);
    }
    legend->CopyDateReadout(*panel, {20, 8, 140, 30});
    hl::PaintAll();
    EXPECT_TRUE(testsupport::MatchesGolden(legend->backBuffer(), "legend/floating_km.png"));

    gScaleInKm = false;
    legend->Invalidate();
    hl::PaintAll();
    EXPECT_TRUE(testsupport::MatchesGolden(legend->backBuffer(), "legend/floating_miles.png"));
}

TEST_F(FloatingLegend, WithoutQmxLegendOnlyTheFrameIsDrawn) {
    childQMXControl* legend = Show();
    ASSERT_NE(legend, nullptr);
    gControls[kControlQmxLegend] = 0;
    hl::PaintAll();
    const gfx::Surface& s = legend->backBuffer();
    // Inside the double frame (bevels and band of 2) every pixel is the fill.
    for (int y = 6; y < s.height() - 6; ++y)
        for (int x = 6; x < s.width() - 6; ++x) ASSERT_EQ(s.At(x, y), ColorOf(kLightGrayColor)) << x << "," << y;
}

TEST_F(FloatingLegend, WithoutAFrameThePanelsCallsReachNoLegend) {
    childQMXControl* legend = Show();
    ASSERT_NE(legend, nullptr);
    // The panel reaches the legend of the frame's view; a pane of no frame keeps its own.
    auto panel = gfx::Surface::Create(50, 20, gfx::kWhite);
    CopyDateReadoutToLegend(*panel, {0, 0, 50, 20});
    HideFloatingLegend();
    EXPECT_TRUE(legend->visible());
}

TEST_F(FloatingLegend, TheApplicationsPaneSeamsFillTheLegend) {
    AppPaneSeams seams;
    testsupport::ScopedPaneSeams installed(seams);
    PaneSeams().FloatingLegend(*pane_);
    ASSERT_NE(FloatingLegendOf(*pane_), nullptr);
    gfx::Rect box;
    EXPECT_TRUE(PaneSeams().FloatingLegendBox(*pane_, &box));
    EXPECT_EQ(box, FloatingLegendOf(*pane_)->rect());
}

}  // namespace
