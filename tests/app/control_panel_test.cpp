#include "app/control_panel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/buttons.h"
#include "app/globals.h"
#include "app/menus.h"
#include "app/region_dialogs.h"
#include "app/slider.h"
#include "app/speed.h"
#include "app/view_open.h"
#include "core/config.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/draw.h"
#include "map/proj.h"
#include "platform/gfx/font.h"
#include "platform/ui/headless/headless.h"

namespace gfx = platform::gfx;

namespace ui = platform::ui;
namespace hl = platform::headless;
using gfx::Rect;

namespace {

TimeValue Minutes(double m) { return TimeValue(m * 60.0); }

TEST(ControlPanelArithmetic, ReadoutTextFollowsTheStep) {
    gSymbolStyle = 3;
    TimeValue t;
    t.SetDateMinuteSecond({2011, 3, 11}, 5 * 60 + 46, 23.9);
    const struct {
        double minutes;
        const char* text;
    } cases[] = {
        {371 * 1440, "2011"},          {16 * 1440, "2011 Mar"},          {1001, "2011 Mar 11"},
        {60, "2011 Mar 11 05:00"},     {59, "2011 Mar 11 05:46"},        {1, "2011 Mar 11 05:46"},
        {0.5, "2011 Mar 11 05:46:23"},
    };
    for (const auto& c : cases) EXPECT_EQ(DateReadoutText(t, Minutes(c.minutes)), c.text) << c.minutes;
    gSymbolStyle = 0;  // SMALL dots show the month only
    EXPECT_EQ(DateReadoutText(t, Minutes(1)), "2011 Mar");
    EXPECT_EQ(DateReadoutText(TimeValue(0), Minutes(1)), "");
    gSymbolStyle = 1;
}

TEST(ControlPanelArithmetic, ScrubDoublesOverTenTicksThenHoldsOneHundredth) {
    EXPECT_DOUBLE_EQ(ScrubFraction(0), 0.01 * std::pow(0.5, 10));
    EXPECT_DOUBLE_EQ(ScrubFraction(9), 0.005);
    EXPECT_DOUBLE_EQ(ScrubFraction(10), 0.01);
    EXPECT_DOUBLE_EQ(ScrubFraction(50), 0.01);
}

TEST(ControlPanelArithmetic, KioskYearLabelsEveryTwoYearsOverTwentyYears) {
    const auto labels = KioskYearLabels(1990, 2010, 14, 1000);
    ASSERT_EQ(labels.size(), 12u);
    EXPECT_EQ(labels.front().year, 1990);
    EXPECT_EQ(labels.back().year, 2012);
    EXPECT_EQ(labels[1].year - labels[0].year, 2);
    EXPECT_EQ(labels[1].x, 14 + 100);
    EXPECT_TRUE(labels[10].drawn);  // 2010 at the track's end
    EXPECT_FALSE(labels.back().drawn);
    EXPECT_EQ(labels.front().align, YearLabel::Align::Left);
    EXPECT_EQ(labels.back().align, YearLabel::Align::Center);
    EXPECT_EQ(labels[3].align, YearLabel::Align::Right);
    EXPECT_TRUE(KioskYearLabels(2000, 2003, 0, 100).empty());
}

TEST(ControlPanelArithmetic, ZoomWrapsAcrossTheDateLineAndStaysFiniteAtThePoles) {
    // 60 degrees wide around 175E: In gives half = 60 / 1.8 / 2.
    ZoomBox in = ZoomAround(0, 175, 150, -150, true, 800, 400);
    EXPECT_NEAR(in.east, 175 + 60 / 3.6 - 360, 1e-9);
    EXPECT_NEAR(in.west, 175 - 60 / 3.6, 1e-9);
    EXPECT_NEAR(in.north, InverseMercator(60 / 3.6 / 2.0), 1e-9);  // aspect 2, not 2 by integer luck only
    ZoomBox odd = ZoomAround(0, 0, -30, 30, true, 500, 300);
    EXPECT_NEAR(odd.north, InverseMercator(60 / 3.6 / (500.0 / 300.0)), 1e-9);
    for (double lat : {89.8, 90.0, -90.0}) {
        ZoomBox p = ZoomAround(lat, 0, -180, 180, true, 800, 400);
        EXPECT_TRUE(std::isfinite(p.north) && std::isfinite(p.south)) << lat;
        EXPECT_LT(p.north, 90.0);
        EXPECT_GT(p.south, -90.0);
    }
    ZoomBox out = ZoomAround(0, 10, -180, 180, false, 0, 0);  // whole world stays whole; no pane is safe
    EXPECT_NEAR(out.east - out.west + 360, 360, 1e-9);
}

class Panel : public testing::Test {
protected:
    Panel() {
        ResetConfigValues();
        RegisterQuorviewResources();  // the speed names are string resources
        gScreenMetrics.aveCharWidth = 7;
        gScreenMetrics.height = 16;
        gLargeMetrics.aveCharWidth = 10;
        gScreenWidth = 1000;
        gButtonHeight = 2.0;
        gShowEarthquakes = false;
        gShowEruptions = false;
        parent_.MoveWindow({0, 0, 1000, 82});
    }
    ~Panel() override {
        ResetConfigValues();
        gPeriodStart = gPeriodEnd = gAnimationTime = TimeValue();
    }
    childControl* Make() {
        int h = 0;
        panel_ = new childControl(&parent_, &h, childControl::Kind::Standard);
        EXPECT_EQ(h, 82);
        panel_->MoveWindow({0, 0, 1000, 82});
        parent_.Create();
        return panel_;
    }
    ui::Window parent_{nullptr};
    childControl* panel_ = nullptr;
};

TEST_F(Panel, StandardControlsSitWhereTheLayoutSays) {
    childControl* p = Make();
    // a 7, w 10, tmH 16, H 32: X1 316, X2 350, X3 388. The speed box and the
    // check boxes take their texts' real widths where 14 average characters
    // would not hold them, and what follows them moves right by as much.
    const auto font = gfx::Font::System();
    int widest = 0;
    for (int i = 0; i < kSpeedCount; ++i) widest = std::max(widest, font->Width(SpeedName(i)));
    const int sw = std::max(98, widest + font->metrics().aveCharWidth + 10);
    const int X4 = 388 + 18 + sw + 18 + 21, X5 = X4 + 14;
    const int cw = std::max({98, ui::CheckBoxSize("Earthquakes").width, ui::CheckBoxSize("Eruptions").width});
    const int row = std::max(16, ui::CheckBoxSize("Earthquakes").height);
    const struct {
        int id;
        Rect r;
    } cases[] = {
        {801, Rect::FromSize(4, 4, 34, 34)},     {808, Rect::FromSize(4, 42, 34, 34)},
        {804, Rect::FromSize(38, 4, 34, 34)},    {805, Rect::FromSize(282, 4, 34, 34)},
        {807, Rect::FromSize(316, 4, 34, 34)},   {809, Rect::FromSize(316, 42, 34, 34)},
        {802, Rect::FromSize(350, 4, 34, 34)},   {810, Rect::FromSize(350, 42, 34, 34)},
        {1040, {38, 42, 316, 76}},               {812, Rect::FromSize(388, 4, 18, 18)},
        {811, Rect::FromSize(406 + sw, 4, 18, 18)}, {1041, Rect::FromSize(X5, 4, cw, row)},
        {1042, Rect::FromSize(X5, 4 + row, cw, row)}, {828, Rect::FromSize(X5 + cw + 7, 5, 70, 21)},
        {819, Rect::FromSize(925, 4, 70, 32)},   {824, Rect::FromSize(666, 4, 175, 32)},
        {827, Rect::FromSize(666, 36, 175, 32)}, {825, Rect::FromSize(841, 4, 84, 32)},
        {826, Rect::FromSize(841, 36, 84, 32)},
    };
    for (const auto& c : cases) {
        ui::Window* w = p->ChildWithId(c.id);
        ASSERT_NE(w, nullptr) << c.id;
        EXPECT_EQ(w->rect(), c.r) << c.id;
    }
    EXPECT_EQ(p->readoutRect(), Rect::FromSize(72, 4, 210, 34));
    EXPECT_EQ(p->speedBoxRect(), (Rect{406, 4, 406 + sw, 22}));
    // Every speed name ends before the Faster arrow; every caption fits its box.
    EXPECT_LE(p->speedBoxRect().left + 5 + widest, p->speedBoxRect().right);
    for (int id : {1041, 1042}) {
        const auto* box = dynamic_cast<ui::CheckBox*>(p->ChildWithId(id));
        ASSERT_NE(box, nullptr);
        EXPECT_GE(box->rect().width(), ui::CheckBoxSize(box->text()).width) << id;
        EXPECT_GE(box->rect().height(), ui::CheckBoxSize(box->text()).height) << id;
    }
    EXPECT_EQ(p->quakeIconPoint(), (ui::Point{X4, row / 2 + 4}));
    for (int id : {824, 825, 826, 827}) EXPECT_FALSE(p->ChildWithId(id)->style() & ui::style::kVisible) << id;
    EXPECT_EQ(p->ChildWithId(1072), nullptr);

    // A narrower frame takes the right-hand buttons along with its edge.
    p->MoveWindow({0, 0, 800, 82});
    EXPECT_EQ(p->ChildWithId(819)->rect(), Rect::FromSize(725, 4, 70, 32));
    EXPECT_EQ(p->ChildWithId(825)->rect(), Rect::FromSize(641, 4, 84, 32));
    EXPECT_EQ(p->ChildWithId(824)->rect(), Rect::FromSize(466, 4, 175, 32));
}

TEST_F(Panel, EverySpeedNameStaysInsideItsBox) {
    gScreenMetrics = gfx::Font::System()->metrics();
    childControl* p = Make();
    const Rect box = p->speedBoxRect();
    const int kept = SpeedIndex();
    for (int i = 0; i < kSpeedCount; ++i) {
        SetSpeedIndex(i);
        p->DrawSpeedBox();
        // A white margin before the box's right border: the text runs on under
        // the Faster arrow beside it otherwise.
        int ink = 0, inside = 0;
        for (int y = box.top + 1; y < box.bottom - 1; ++y) {
            for (int x = box.right - 4; x < box.right - 1; ++x) ink += p->backBuffer().At(x, y) != gfx::kWhite;
            for (int x = box.left + 1; x < box.right - 4; ++x) inside += p->backBuffer().At(x, y) == gfx::kBlack;
        }
        EXPECT_EQ(ink, 0) << SpeedName(i);
        EXPECT_GT(inside, 10) << SpeedName(i);
    }
    SetSpeedIndex(kept);
}

// The kiosk row with every button, the Sound box and the bottom legend, on
// panels of 1920 and 1280 pixels and after a resize between them: every
// control inside the panel, none over another, the read-out and both
// counters clear of them, and the counters drawn.
TEST_F(Panel, KioskRowFitsItsWidthWithTheBottomLegend) {
    using namespace std::string_literals;
    for (int index : {kControlCanExit, kControlShowBackButton, kControlShowWorldMenuButton, kControlShowStartOverButton,
                      kControlShowPlatesButton, kControlShowRepeatButton, kControlShowPauseButton,
                      kControlShowSoundButton, kControlBottomLegend, kControlShowEventCounters, kControlShowSlider}) {
        gControls[index] = 1;
    }
    gExitButtonLabel = "Exit";
    gWorldViewName = "WORLD";
    gShowEarthquakes = gShowEruptions = true;
    gScreenMetrics = gfx::Font::System()->metrics();
    gLargeFont = gfx::Font::Create("MS Sans Serif", static_cast<int>(gScreenMetrics.height * 1.5), gfx::kBoldWeight);
    gLargeMetrics = gLargeFont->metrics();
    gScreenWidth = 1920;
    int h = 0;
    auto* p = new childControl(&parent_, &h, childControl::Kind::Kiosk);
    parent_.MoveWindow({0, 0, 1920, h});
    p->MoveWindow({0, 0, 1920, h});
    parent_.Create();
    EXPECT_EQ(p->ChildWithId(823)->caption(), "WORLD Menu");  // no list of views yet

    for (int width : {1920, 1280, 1920}) {
        SCOPED_TRACE(width);
        p->MoveWindow({0, 0, width, h});
        std::vector<Rect> taken;
        for (ui::Window* c : p->children()) {
            if (!(c->style() & ui::style::kVisible) || c->id() == 1040) continue;  // the slider has its own row
            const Rect r = c->rect();
            EXPECT_EQ(r.intersected(p->clientRect()), r) << c->caption();
            for (const Rect& other : taken) EXPECT_TRUE(r.intersected(other).empty()) << c->caption();
            taken.push_back(r);
        }
        for (const Rect& box : {p->readoutRect(), p->quakeCounterBox(), p->eruptionCounterBox()}) {
            for (const Rect& other : taken) EXPECT_TRUE(box.intersected(other).empty());
        }
        // The longest read-out, at the end of a period, stays inside its yellow box.
        EXPECT_LT(gLargeFont->Width("2026 Dec 11 02:03:00"), p->readoutRect().width());
        p->DrawEventCounters(5, 7);
        p->Invalidate();
        p->Update();
        int ink = 0;
        const Rect q = p->quakeCounterBox();
        for (int y = q.top; y < q.bottom; ++y)
            for (int x = q.left; x < q.right; ++x) ink += p->backBuffer().At(x, y) == gfx::kBlack;
        EXPECT_GT(ink, 5) << "the earthquake count";
    }
    gLargeFont.reset();
}

TEST_F(Panel, SliderIgnoresOneStepAndJumpsOnTwo) {
    childControl* p = Make();
    gPeriodStart = TimeValue(1000.0);
    gPeriodEnd = TimeValue(2000.0);
    gAnimationTime = TimeValue(1500.0);
    EXPECT_FALSE(p->SyncTimeSlider());
    EXPECT_EQ(p->slider()->GetPosition(), 500);
    p->slider()->SetPosition(501);
    EXPECT_FALSE(p->SyncTimeSlider());
    EXPECT_EQ(gAnimationTime.t, 1500.0);
    p->slider()->SetPosition(700);
    EXPECT_TRUE(p->SyncTimeSlider());
    EXPECT_DOUBLE_EQ(gAnimationTime.t, 1700.0);
    gQuakeIndex = 5;
    p->slider()->SetPosition(0);
    EXPECT_TRUE(p->SyncTimeSlider());
    EXPECT_EQ(gQuakeIndex, 4);
    EXPECT_EQ(gAnimationTime.t, 1000.0);
}

TEST_F(Panel, ScrubMovesPausesAtTheEndAndSurvivesAnEmptyPeriod) {
    childControl* p = Make();
    gPeriodStart = TimeValue(0.0);
    gPeriodEnd = TimeValue(102400.0);
    gAnimationTime = TimeValue(0.0);
    p->ScrubAnimationTime(1, 0);
    EXPECT_DOUBLE_EQ(gAnimationTime.t, 1.0);
    gAnimationTime = TimeValue(51200.0);
    p->ScrubAnimationTime(1, 12);
    EXPECT_DOUBLE_EQ(gAnimationTime.t, 51200.0 + 1024.0);
    EXPECT_EQ(p->slider()->GetPosition(), 510);
    gAnimationTime = gPeriodEnd;
    p->ScrubAnimationTime(1, 12);
    EXPECT_TRUE(p->paused());
    gPeriodEnd = gPeriodStart = TimeValue(500.0);
    gAnimationTime = TimeValue(100.0);
    p->ScrubAnimationTime(1, 12);
    EXPECT_EQ(gAnimationTime.t, 500.0);
    EXPECT_EQ(p->slider()->GetPosition(), 510);
    // A step that would pass an end of the period stops at it.
    gPeriodStart = TimeValue(0.0);
    gPeriodEnd = TimeValue(102400.0);
    gAnimationTime = TimeValue(gPeriodEnd.t - 100.0);
    p->ScrubAnimationTime(1, 12);
    EXPECT_EQ(gAnimationTime.t, gPeriodEnd.t);
    gAnimationTime = TimeValue(gPeriodStart.t + 100.0);
    p->ScrubAnimationTime(-1, 12);
    EXPECT_EQ(gAnimationTime.t, gPeriodStart.t);
}

TEST_F(Panel, CommandsSetScrubPausedAndAlertState) {
    childControl* p = Make();
    p->SendCommand(804);
    EXPECT_EQ(p->scrubDirection(), -1);
    p->SendCommand(815);
    EXPECT_EQ(p->scrubDirection(), 0);
    p->SendCommand(810);
    EXPECT_TRUE(p->paused());
    p->SendCommand(807);
    EXPECT_FALSE(p->paused());
    p->ShowAlertButtons();
    EXPECT_TRUE(p->alertPending());
    EXPECT_TRUE(p->ChildWithId(824)->style() & ui::style::kVisible);
    p->SendCommand(824);
    EXPECT_FALSE(p->alertPending());
    EXPECT_TRUE(p->zoomButtonsShown());
    gMapNorth = 75;
    p->SendCommand(825);  // no alert event: nothing moves
    EXPECT_EQ(gMapNorth, 75);
    p->SendCommand(827);
    EXPECT_FALSE(p->zoomButtonsShown());
    EXPECT_FALSE(p->ChildWithId(827)->style() & ui::style::kVisible);
}

TEST_F(Panel, SetDateHoldsTheClockOnlyWhileItsDialogIsOpen) {
    childControl* p = Make();
    for (const bool paused : {false, true}) {
        for (const int button : {ui::IdOk, ui::IdCancel}) {
            gPaused = paused;
            bool heldWhileOpen = false;
            hl::ScriptDialog(kInitialDateDialogTemplate, [&](ui::Dialog&) {
                heldWhileOpen = gPaused;
                return button;
            });
            p->SendCommand(childControl::kSetDate);
            EXPECT_TRUE(heldWhileOpen) << paused << " " << button;
            EXPECT_EQ(gPaused, paused) << button;
        }
    }
    gPaused = false;
}

TEST_F(Panel, AliveIndicatorLitIsGreen) {
    childControl* p = Make();
    p->DrawAliveBlink(true);
    EXPECT_EQ(p->backBuffer().At(500, 82 - 16), ColorOf(10));
    p->DrawAliveBlink(false);
    EXPECT_EQ(p->backBuffer().At(500, 82 - 16), ColorOf(7));
}

}  // namespace
