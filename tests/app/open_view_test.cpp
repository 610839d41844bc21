#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "app/floating_legend.h"
#include "app/layout.h"
#include "app/menus.h"
#include "app/startup.h"
#include "map/child_map.h"
#include "app/speed.h"
#include "app/view_open.h"
#include "app/welcome.h"
#include "core/view.h"
#include "map/proj.h"
#include "platform/gfx/image.h"
#include "tests/app/app_fixture.h"
#include "tests/app/map_pane_double.h"

namespace gfx = platform::gfx;
namespace ui = platform::ui;
namespace hl = platform::headless;
using apptest::AppTest;

namespace {

// ---- the arithmetic ------------------------------------------------------------------

struct ZoneCase {
    bool daylight;
    int bias;  // minutes, UTC - local standard time
    bool useLocalTime;
    int localTimeHours;
    int offsetMinutes;
    const char* name;
};

TEST(TimeZone, TableOfNamesAndOffsets) {
    const ZoneCase cases[] = {
        {false, 300, true, 0, -300, "EST"},  {true, 300, true, 0, -240, "EDT"},
        {false, 360, true, 0, -360, "CST"},  {true, 360, true, 0, -300, "CDT"},
        {false, 420, true, 0, -420, "MST"},  {true, 420, true, 0, -360, "MDT"},
        {false, 480, true, 0, -480, "PST"},  {true, 480, true, 0, -420, "PDT"},
        {false, 240, true, 0, -240, ""},     {false, 540, true, 0, -540, ""},
        {false, -60, true, 0, 60, ""},       {true, -60, true, 0, 120, ""},
        {false, 0, true, 0, 0, ""},
        // The view's hours replace the system's; the system's daylight time still counts.
        {true, -60, false, -6, -300, "CDT"}, {false, 0, false, -8, -480, "PST"},
        {false, 300, false, 9, 540, ""},     {false, 300, false, 0, 0, ""},
    };
    for (const ZoneCase& c : cases) {
        const TimeZone z = ComputeTimeZone(c.daylight, c.bias, c.useLocalTime, c.localTimeHours);
        EXPECT_EQ(z.offset.t, c.offsetMinutes * 60.0) << c.bias << " " << c.daylight << " " << c.localTimeHours;
        EXPECT_EQ(z.name, c.name) << c.bias << " " << c.daylight << " " << c.localTimeHours;
    }
}

TEST(TimeZone, FromTheClockTakesTheStandardBias) {
    hl::VirtualClock().SetZone(-240, "EDT", true);
    const TimeZone z = SystemTimeZone(true, 0);
    EXPECT_EQ(z.name, "EDT");
    EXPECT_EQ(z.offset.t, -240 * 60.0);
    hl::VirtualClock().SetZone(60, "CET", false);
    EXPECT_EQ(SystemTimeZone(true, 0).name, "");
    EXPECT_EQ(SystemTimeZone(true, 0).offset.t, 3600.0);
}

TEST(ViewPeriodTest, LoopingAndFixedWindows) {
    const double day = 86400.0;
    const TimeValue now(1000 * day);
    const TimeValue start(900 * day), pastEnd(950 * day), futureEnd(1100 * day);

    ViewPeriod p = ComputeViewPeriod(start, pastEnd, 7, 0, now);
    EXPECT_EQ(p.start.t, now.t - 7 * day);
    EXPECT_EQ(p.viewEnd.t, now.t + day);
    EXPECT_EQ(p.end.t, now.t);  // the end lies a day ahead: the period stops now

    p = ComputeViewPeriod(start, pastEnd, 0, 90, now);
    EXPECT_EQ(p.start.t, now.t - 90 * 60.0);
    EXPECT_EQ(p.end.t, now.t);

    p = ComputeViewPeriod(start, pastEnd, 0, 0, now);
    EXPECT_EQ(p.start.t, start.t);
    EXPECT_EQ(p.viewEnd.t, pastEnd.t);
    EXPECT_EQ(p.end.t, pastEnd.t);

    p = ComputeViewPeriod(start, futureEnd, 0, 0, now);
    EXPECT_EQ(p.viewEnd.t, futureEnd.t);
    EXPECT_EQ(p.end.t, now.t);
}

TEST(DotScaleTest, LinearFromSmallestToLargestInFloatingPoint) {
    const DotScale s = ComputeDotScale(5, 9, 2, 12, 1080);
    EXPECT_DOUBLE_EQ(s.slope, 10 * 1080 / (480.0 * 4));
    EXPECT_DOUBLE_EQ(s.slope * 5 + s.intercept, 2 * 1080 / 480.0);
    EXPECT_DOUBLE_EQ(s.slope * 9 + s.intercept, 12 * 1080 / 480.0);
    // Equal magnitudes: a range of 1, no division by zero.
    const DotScale flat = ComputeDotScale(6, 6, 3, 9, 480);
    EXPECT_DOUBLE_EQ(flat.slope, 6.0);
    EXPECT_DOUBLE_EQ(flat.intercept, 3.0 * 6 - 9.0 * 6);
}

TEST(Speed, IndexIsTheFirstEntryNotBelowAndClampsAboveTheTable) {
    ResetViewSettings();
    gSpeed = TimeValue(100);
    EXPECT_EQ(SpeedIndex(), 5);
    EXPECT_EQ(gSpeedTable[5].t, 240.0);
    gSpeed = TimeValue(240);
    EXPECT_EQ(SpeedIndex(), 5);
    gSpeed = TimeValue(0);
    EXPECT_EQ(SpeedIndex(), 0);
    gSpeed = TimeValue(2e9);
    EXPECT_EQ(SpeedIndex(), kSpeedCount);
    EXPECT_EQ(ClampedSpeedIndex(), kSpeedCount - 1);
    EXPECT_EQ(SetSpeedIndex(99), kSpeedCount - 1);
    EXPECT_EQ(gSpeed.t, 1728000000.0);
    EXPECT_EQ(SetSpeedIndex(-3), 0);
    EXPECT_EQ(gSpeed.t, 0.0);
    ResetViewSettings();
}

// ---- the pane layout ----------------------------------------------------------------------

struct LayoutCase {
    const char* name;
    PaneFlags flags;
    ui::Rect title, legend, map, control;  // empty: no such pane
};

TEST(PaneLayout, RectanglesForEachSetOfFlags) {
    // Parent 1000 x 700, title 30 high, legend 150 wide, panel 82 high.
    const ui::Rect parent{0, 0, 1000, 700};
    const ui::Rect none{};
    const LayoutCase cases[] = {
        {"plain", {false, false, false}, none, none, {0, 0, 1000, 618}, {0, 618, 1000, 700}},
        {"title", {true, false, false}, {0, 0, 1000, 30}, none, {0, 30, 1000, 618}, {0, 618, 1000, 700}},
        {"legend", {false, true, false}, none, {850, 0, 1000, 618}, {0, 0, 850, 618}, {0, 618, 1000, 700}},
        {"titleLegend", {true, true, false}, {0, 0, 850, 30}, {850, 30, 1000, 618}, {0, 30, 850, 618},
         {0, 618, 1000, 700}},
        // QMX: the map is 57% of the width high, the panel takes the rest.
        {"qmx", {false, false, true}, none, none, {0, 0, 1000, 570}, {0, 570, 1000, 700}},
        {"qmxTitleLegend", {true, true, true}, {0, 0, 850, 30}, {850, 30, 1000, 600}, {0, 30, 850, 600},
         {0, 600, 1000, 700}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        const PaneRects r = ComputePaneRects(parent, c.flags, 30, 150, 82);
        EXPECT_EQ(r.title.has_value(), !c.title.empty());
        if (r.title) {
            EXPECT_EQ(*r.title, c.title);
        }
        EXPECT_EQ(r.legend.has_value(), !c.legend.empty());
        if (r.legend) {
            EXPECT_EQ(*r.legend, c.legend);
        }
        EXPECT_EQ(r.map, c.map);
        EXPECT_EQ(r.control, c.control);
    }
}

// A frame wider than 16:9 would give a 57%-high map all the height: the
// panel keeps its own height under it.
TEST(PaneLayout, QmxMapLeavesThePanelItsHeight) {
    for (const ui::Rect parent : {ui::Rect{0, 0, 1920, 1055}, ui::Rect{0, 0, 1920, 1080}, ui::Rect{0, 0, 1280, 697}}) {
        SCOPED_TRACE(parent.height());
        const PaneRects r = ComputePaneRects(parent, {false, true, true}, 30, 150, 82);
        EXPECT_EQ(r.control.height(), 82);
        EXPECT_EQ(r.control.bottom, parent.bottom);
        EXPECT_EQ(r.map.bottom, r.control.top);
        EXPECT_EQ(r.legend->bottom, r.control.top);
    }
}

TEST(PaneLayout, ParentTooSmallGivesEmptyPanesInside) {
    const ui::Rect parent{0, 0, 100, 60};
    for (bool qmx : {false, true}) {
        const PaneRects r = ComputePaneRects(parent, {true, true, qmx}, 30, 150, 82);
        for (const ui::Rect& p : {*r.title, *r.legend, r.map, r.control}) {
            EXPECT_GE(p.width(), 0);
            EXPECT_GE(p.height(), 0);
            EXPECT_EQ(p.intersected(parent), p);
        }
    }
}

TEST(PaneLayout, PanelHeights) {
    EXPECT_EQ(ControlPanelHeight(childControl::Kind::Standard, 16, 2.0, true), 82);
    EXPECT_EQ(ControlPanelHeight(childControl::Kind::Kiosk, 16, 2.0, false), 46);
    EXPECT_EQ(ControlPanelHeight(childControl::Kind::Kiosk, 15, 1.5, true), 22 + 14 + 38);
}

// ---- opening views through the frame --------------------------------------------------------------

// A map pane that records what opening a view asks of it.
struct MapRecord {
    std::vector<std::string> calls;
};
MapRecord* gMapRecord = nullptr;

struct RecordingMapPane : apptest::QuietMapPane {
    using QuietMapPane::QuietMapPane;
    static void Note(const char* what) {
        if (gMapRecord) gMapRecord->calls.emplace_back(what);
    }
    void FlushUpdateRect() override { Note("flush"); }
    void CloseTextWindow() override { Note("closeText"); }
    void RenderView() override { Note("render"); }
    void EraseMarker() override { Note("eraseMarker"); }
    void HighlightEvent(const QuakeRecord*, bool, bool) override { Note("highlight"); }
};

class OpenView : public AppTest {
protected:
    OpenView() {
        ResetViewSettings();
        gMapRecord = &record_;
        SetMapPaneMaker(&apptest::MakePane<RecordingMapPane>);
        gScreenHeight = 1080;
        gCurrentDirectory = "/views";
        gControls[kControlAutoStartView] = 1;
        gUseLocalTime = 1;
        TempDir::Write("ALPHA",
                       "MAXIMUM MAGNITUDE: 8\nMINIMUM MAGNITUDE: 4\nMAX DOT SIZE: 10\nMIN DOT SIZE: 2\n"
                       "DAYS PER SECOND: 0\nMINUTES PER SECOND: 1\nSECONDS PER SECOND: 40\n"
                       "SOUND ON: YES\nVOLCANO NAMES: YES\nPLATES: YES\nDOTS: CIRCLES\n");
        TempDir::Write("world-pacific", "DAYS TO LOOP: 7\nLOCAL TIME: -6\n");
    }
    ~OpenView() override {
        SetMapPaneMaker(nullptr);
        gMapRecord = nullptr;
        gAlertEvent = nullptr;
        gMapTitleWindow = 0;
        gMuseumMode = 0;
        ResetViewSettings();
    }

    myFrame* frame() { return frame_ ? frame_ : (frame_ = Start()); }
    bool Checked(int popup, int id) { return frame()->popup(popup)->checked(id).value_or(false); }
    int Renders() const {
        int n = 0;
        for (const auto& c : record_.calls) n += c == "render";
        return n;
    }

    MapRecord record_;
    myFrame* frame_ = nullptr;
};

TEST_F(OpenView, ANamedViewRunsWithItsSettingsCaptionAndChecks) {
    frame()->OpenView("ALPHA");
    EXPECT_EQ(gMapName, "ALPHA");
    EXPECT_EQ(gOpenedViewName, "ALPHA");
    EXPECT_EQ(gWorldViewName, "WORLD");
    EXPECT_FALSE(frame()->newView());
    EXPECT_TRUE(frame()->viewOpen());
    EXPECT_FALSE(gCanClose);
    EXPECT_EQ(frame()->caption(), "Kestrune - /views/ALPHA");
    EXPECT_TRUE(frame()->animationTimerRunning());
    EXPECT_EQ(gAnimationTime.t, gPeriodStart.t);

    // 100 s/s is raised to the next table entry, 240 s/s, and checked.
    EXPECT_EQ(gSpeed.t, 240.0);
    EXPECT_EQ(gEffectiveSpeed.t, 100.0);
    EXPECT_TRUE(Checked(kPopupControl, 305));
    EXPECT_FALSE(Checked(kPopupControl, 304));
    EXPECT_TRUE(Checked(kPopupEarthquakes, 126));
    EXPECT_FALSE(Checked(kPopupEarthquakes, 123));
    EXPECT_TRUE(frame()->popup(kPopupFile)->enabled(kCmSaveView).value_or(false));
    EXPECT_TRUE(Checked(kPopupEarthquakes, kCmQuakeAudio));
    EXPECT_FALSE(frame()->popup(3)->checked(kCmEruptionAudio).value_or(true));
    EXPECT_TRUE(frame()->popup(3)->checked(kCmVolcanoNames).value_or(false));
    EXPECT_FALSE(frame()->viewChanged());

    EXPECT_DOUBLE_EQ(gDotSlope, 8 * 1080 / (480.0 * 4));
    EXPECT_DOUBLE_EQ(gDotSlope * 4 + gDotIntercept, 2 * 1080 / 480.0);
    ASSERT_NE(gEnergyBins, nullptr);

    myLayoutWindow* layout = frame()->layout();
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(frame()->client(), layout);
    EXPECT_EQ(frame()->welcome(), nullptr);
    EXPECT_EQ(layout->caption(), "Quorvel");
    EXPECT_EQ(record_.calls, (std::vector<std::string>{"flush", "closeText", "render", "eraseMarker"}));
    EXPECT_EQ(layout->control()->readoutTime().t, gPeriodStart.t);
    EXPECT_EQ(layout->control()->sliderResets(), 1);
    EXPECT_FALSE(layout->control()->zoomButtonsShown());
    ASSERT_NE(layout->legend(), nullptr);
    EXPECT_EQ(layout->legend()->shownQuakes(), 0);
}

TEST_F(OpenView, AWorldViewLoopsUpToNowInItsOwnTimeZone) {
    hl::VirtualClock().SetZone(60, "CEST", true);
    gUseLocalTime = 0;
    frame()->OpenView("world-pacific");
    EXPECT_EQ(gWorldViewName, "world-pacific");
    const TimeValue now = CurrentUtcTime();
    EXPECT_EQ(gPeriodStart.t, now.t - 7 * 86400.0);
    EXPECT_EQ(gViewEnd.t, now.t + 86400.0);
    EXPECT_EQ(gPeriodEnd.t, now.t);
    EXPECT_EQ(gTimeZoneName, "CDT");
    EXPECT_EQ(gTimeZoneOffset.t, -300 * 60.0);
}

TEST_F(OpenView, AMissingFileLeavesTheRunningViewAndNamesIt) {
    frame()->OpenView("ALPHA");
    myLayoutWindow* layout = frame()->layout();
    const TimeValue start = gPeriodStart;
    const int renders = Renders();
    gSpeed = TimeValue(900);

    frame()->OpenView("NOSUCH");
    ASSERT_EQ(hl::MessageBoxCalls().size(), 1u);
    EXPECT_EQ(hl::MessageBoxCalls()[0].text, "Cannot find \"NOSUCH\".");
    EXPECT_EQ(hl::MessageBoxCalls()[0].caption, "Error");
    EXPECT_TRUE(gCanClose);
    EXPECT_EQ(gMapName, "ALPHA");
    EXPECT_EQ(gOpenedViewName, "ALPHA");
    EXPECT_EQ(gSpeed.t, 900.0);
    EXPECT_EQ(gPeriodStart.t, start.t);
    EXPECT_EQ(gMaxDotSize, 10);
    EXPECT_TRUE(frame()->animationTimerRunning());
    EXPECT_EQ(frame()->layout(), layout);
    EXPECT_EQ(Renders(), renders);
    EXPECT_EQ(frame()->caption(), "Kestrune - /views/ALPHA");
}

TEST_F(OpenView, AMissingFirstViewKeepsTheWelcomeScreen) {
    gControls[kControlWelcomeScreen] = 1;  // else the start goes on to the button menu
    frame()->OpenView("NOSUCH");
    EXPECT_EQ(hl::MessageBoxCalls().size(), 1u);
    EXPECT_EQ(frame()->layout(), nullptr);
    EXPECT_NE(frame()->welcome(), nullptr);
    EXPECT_FALSE(frame()->viewOpen());
    EXPECT_FALSE(frame()->animationTimerRunning());
}

TEST_F(OpenView, RepeatKeepsTheLayoutPanesAndSettings) {
    frame()->OpenView("ALPHA");
    myLayoutWindow* layout = frame()->layout();
    ui::Window* map = &layout->map().window();
    childControl* panel = layout->control();
    gMaxDotSize = 20;  // a setting changed in memory survives a reopen

    frame()->OpenView(nullptr);
    EXPECT_EQ(frame()->layout(), layout);
    EXPECT_EQ(&layout->map().window(), map);
    EXPECT_EQ(layout->control(), panel);
    EXPECT_EQ(gMaxDotSize, 20);
    EXPECT_EQ(gMapName, "ALPHA");
    EXPECT_EQ(Renders(), 2);
    EXPECT_EQ(panel->sliderResets(), 2);
    EXPECT_TRUE(hl::MessageBoxCalls().empty());
}

TEST_F(OpenView, NewViewHasDefaultsAndCannotBeSaved) {
    frame()->OpenView("ALPHA");
    hl::Advance(50);  // a tick: the frame may close again, so New View may replace the view
    ASSERT_TRUE(frame()->SendCommand(kCmNewView));
    EXPECT_TRUE(frame()->newView());
    EXPECT_EQ(gMapName, "");
    EXPECT_EQ(StringListCount(gMapFiles), 1);  // the new view's default map file
    EXPECT_FALSE(frame()->popup(kPopupFile)->enabled(kCmSaveView).value_or(true));
    EXPECT_EQ(gOpenedViewName, "ALPHA");
    EXPECT_EQ(frame()->caption(), "Kestrune - /views");
}

TEST_F(OpenView, PausedUnlessAutoStartAndAlertShowsZoomButtons) {
    gControls[kControlAutoStartView] = 0;
    QuakeRecord alert{};
    gAlertEvent = &alert;
    frame()->OpenView("ALPHA");
    EXPECT_TRUE(gPaused);
    EXPECT_TRUE(frame()->layout()->control()->zoomButtonsShown());
    EXPECT_EQ(record_.calls.back(), "highlight");
}

struct FrameLayoutCase {
    const char* name;
    bool title, noLegend, qmx, bottomLegend, museum;
};

TEST_F(OpenView, PanesFollowTheLayoutFlags) {
    const FrameLayoutCase cases[] = {
        {"plain", false, true, false, false, false},     {"mapTitleWindow", true, true, false, false, false},
        {"legend", false, false, false, false, false},   {"bottomLegend", false, true, false, true, false},
        {"qmxLegend", false, false, true, false, false}, {"all", true, false, true, true, false},
        {"kiosk", true, false, false, false, true},
    };
    for (const FrameLayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        gMapTitleWindow = c.title;
        gControls[kControlNoLegend] = c.noLegend;
        gControls[kControlQmxLegend] = c.qmx;
        gControls[kControlBottomLegend] = c.bottomLegend;
        gMuseumMode = c.museum;
        gLargeMetrics.height = 20;
        app_.reset();
        frame_ = nullptr;
        frame()->OpenView("ALPHA");
        myLayoutWindow* layout = frame()->layout();
        ASSERT_NE(layout, nullptr);
        EXPECT_EQ(layout->rect(), frame()->clientRect());

        const int panelHeight = ControlPanelHeight(c.museum ? childControl::Kind::Kiosk : childControl::Kind::Standard,
                                                   gScreenMetrics.height, gButtonHeight,
                                                   gControls[kControlShowSlider] != 0);
        const PaneRects want =
            ComputePaneRects(layout->clientRect(), {c.title, !c.noLegend, c.qmx}, 31, layout->legendWidth(), panelHeight);
        EXPECT_EQ(layout->title() != nullptr, c.title);
        if (layout->title()) {
            EXPECT_EQ(layout->title()->rect(), *want.title);
        }
        EXPECT_EQ(layout->legend() != nullptr, !c.noLegend);
        if (layout->legend()) {
            EXPECT_EQ(layout->legend()->rect(), *want.legend);
        }
        EXPECT_EQ(layout->map().window().rect(), want.map);
        EXPECT_EQ(layout->control()->rect(), want.control);
        EXPECT_EQ(layout->control()->kind(), c.museum ? childControl::Kind::Kiosk : childControl::Kind::Standard);
        EXPECT_FALSE(layout->map().window().rect().empty());
        // Under BOTTOM LEGEND the panel's own boxes count, legend pane or not.
        EXPECT_EQ(layout->control()->shownQuakes(), c.bottomLegend ? 0 : -1);
    }
}

}  // namespace

// ---- the bundled WORLD view, whole frame, into a picture ----------------------------------

namespace {

namespace fs = std::filesystem;

fs::path ProgramFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : exe.parent_path();
}

// The layout's panes copied into one picture at their places.
std::unique_ptr<gfx::Surface> Compose(ui::Window& layout) {
    auto out = gfx::Surface::Create(layout.rect().width(), layout.rect().height());
    for (ui::Window* pane : layout.children()) {
        const ui::BackBuffer& b = pane->backBuffer();
        const ui::Rect r = pane->rect();
        for (int y = 0; y < b.height() && r.top + y < out->height(); ++y) {
            for (int x = 0; x < b.width() && r.left + x < out->width(); ++x) out->row(r.top + y)[r.left + x] = b.row(y)[x];
        }
    }
    return out;
}

}  // namespace

TEST_F(OpenView, TheBundledWorldViewFillsTheFrameWithItsMap) {
    const fs::path data = fs::weakly_canonical(fs::path(KESTRUNE_FIXTURES) / ".." / ".." / "data");
    ASSERT_TRUE(fs::exists(data / "WORLD")) << data;
    fs::copy(data, fs::current_path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    ASSERT_EQ(ReadConfigFile(), 0);
    gControls[kControlMenuBar] = 1;
    gControls[kControlCanExit] = 1;
    gControls[kControlDebug] = 0;
    BuildMercatorTable();
    SetMapPaneMaker(nullptr);  // the real map pane

    frame()->OpenView("WORLD");
    ASSERT_TRUE(hl::MessageBoxCalls().empty());
    myLayoutWindow* layout = frame()->layout();
    ASSERT_NE(layout, nullptr);
    hl::PaintAll();
    auto shot = Compose(*layout);
    ASSERT_NE(shot, nullptr);
    const fs::path out = ProgramFolder() / "world_view.png";
    ASSERT_TRUE(gfx::SavePng(*shot, out.string())) << out;

    // The map pane holds a drawn map: more than a handful of colours.
    const ui::BackBuffer& map = layout->map().window().backBuffer();
    std::set<std::uint32_t> colours;
    for (int y = 0; y < map.height(); y += 3) {
        for (int x = 0; x < map.width(); x += 3) colours.insert(map.row(y)[x]);
    }
    EXPECT_GE(colours.size(), 4u);
    EXPECT_EQ(gMapName, "WORLD");
    EXPECT_EQ(frame()->caption(), "Kestrune - /views/WORLD");
}

// Every bundled view on 16:9 and 4:3 screens, in the standard and the QMX
// arrangement: the whole map with its labels' margins lies on its pane, and
// the panel has its height at the bottom of the frame.
TEST_F(OpenView, EveryBundledViewFitsCommonScreens) {
    const fs::path data = fs::weakly_canonical(fs::path(KESTRUNE_FIXTURES) / ".." / ".." / "data");
    fs::copy(data, fs::current_path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    BuildMercatorTable();
    SetMapPaneMaker(nullptr);  // the real map pane
    const char* const views[] = {"WORLD", "WORLD-ALT", "PACIFIC", "JAPAN", "CHILE", "ALASKA", "INDONESIA",
                                 "MEDITERRANEAN"};
    for (const ui::Size screen : {ui::Size{1920, 1080}, ui::Size{1366, 768}, ui::Size{1024, 768}}) {
        for (const bool qmx : {false, true}) {
            ASSERT_EQ(ReadConfigFile(), 0);
            gControls[kControlDebug] = 0;
            gControls[kControlQmxLegend] = qmx;
            hl::SetScreenSize(screen);
            MeasureScreen();
            app_.reset();
            frame_ = nullptr;
            for (const char* view : views) {
                SCOPED_TRACE(std::string(view) + " at " + std::to_string(screen.width) + "x" +
                             std::to_string(screen.height) + (qmx ? " qmx" : ""));
                frame()->OpenView(view);
                ASSERT_TRUE(hl::MessageBoxCalls().empty());
                myLayoutWindow* layout = frame()->layout();
                ASSERT_NE(layout, nullptr);
                const ui::Rect pane = layout->map().window().clientRect();
                // The map area and its 3-pixel bevel, with room for the labels around it.
                const int labels = gLegendFont->metrics().height;
                EXPECT_GE(gMapRect.left - 3, 0);
                EXPECT_GE(gMapRect.top - 3, labels);
                EXPECT_LE(gMapRect.right + 3, pane.right);
                EXPECT_LE(gMapRect.bottom + 3, pane.bottom - labels);
                // And fills the pane across or down, inside the labels' margins.
                const int across = pane.width() - 2 * (10 + 7 * gLegendFont->metrics().aveCharWidth);
                const int down = pane.height() - 2 * (10 + labels);
                EXPECT_TRUE(gMapWidth >= across - 1 || gMapHeight >= down - 1) << gMapWidth << "x" << gMapHeight;
                // Nothing of the view's bounds is cut: the map shows them whole.
                EXPECT_NEAR(gLonSpan * layout->mapPane()->xScale, gMapWidth, 1.0);
                const ui::Rect panel = layout->control()->rect();
                EXPECT_EQ(panel.bottom, layout->clientRect().bottom);
                EXPECT_GE(panel.height(), childControl::kStandardHeight);
                EXPECT_EQ(layout->map().window().rect().bottom, panel.top);
            }
        }
    }
}

// The bundled settings, as the README's run command starts them, show the
// WORLD replay within a few seconds.
TEST_F(OpenView, TheBundledSettingsShowTheWorldReplayAtOnce) {
    const fs::path data = fs::weakly_canonical(fs::path(KESTRUNE_FIXTURES) / ".." / ".." / "data");
    fs::copy(data, fs::current_path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    ASSERT_EQ(ReadConfigFile(), 0);
    gControls[kControlDebug] = 0;
    BuildMercatorTable();
    myFrame* f = frame();
    EXPECT_EQ(f->layout(), nullptr);
    // The kiosk menu stays long enough to be used, and WORLD still runs well within ten seconds.
    hl::Advance(4000);
    EXPECT_EQ(f->layout(), nullptr);
    EXPECT_NE(f->buttonMenu(), nullptr);
    hl::Advance(2000);
    ASSERT_NE(f->layout(), nullptr);
    EXPECT_EQ(gOpenedViewName, "WORLD");
    EXPECT_TRUE(f->animationTimerRunning());
    EXPECT_FALSE(gPaused);
    const TimeValue started = gAnimationTime;
    hl::Advance(2000);
    EXPECT_GT(gAnimationTime.t, started.t) << "the replay runs";
}

TEST_F(OpenView, InitTimeoutOpensWorldWhileNoViewIsShown) {
    TempDir::Write("WORLD", "DAYS TO LOOP: 7\n");
    gInitTimeout = 3;
    myFrame* f = frame();
    ASSERT_EQ(f->initTimeoutCountdown(), 3);
    hl::Advance(2000);
    EXPECT_EQ(f->layout(), nullptr);
    EXPECT_EQ(f->initTimeoutCountdown(), 1);
    hl::Advance(1000);
    ASSERT_NE(f->layout(), nullptr);
    EXPECT_TRUE(f->viewOpen());
    EXPECT_EQ(f->currentViewName(), "WORLD");
    EXPECT_EQ(Renders(), 1);
    // With a view shown the countdown stands still and nothing reopens.
    hl::Advance(10000);
    EXPECT_EQ(Renders(), 1);

    gInitTimeout = 0;  // 0: never opens by itself
}

TEST_F(OpenView, InitTimeoutZeroNeverOpensAView) {
    TempDir::Write("WORLD", "DAYS TO LOOP: 7\n");
    gInitTimeout = 0;
    myFrame* f = frame();
    hl::Advance(120000);
    EXPECT_EQ(f->layout(), nullptr);
}

// A real pane, for the floating legend to find, left unrendered as views open.
struct UnrenderedMapPane : childMap {
    using childMap::childMap;
    void RenderView() override {}
};

// The panel's read-out is copied into the floating legend of the frame's view,
// and the legend goes when the frame's view makes way for the menu.
TEST_F(OpenView, TheFloatingLegendFollowsThePanel) {
    gControls[kControlQmxLegend] = 1;
    SetMapPaneMaker(&apptest::MakePane<UnrenderedMapPane>);
    frame()->OpenView("ALPHA");
    // The pane's text metrics, which a rendering would measure, size the legend.
    const int textHeight = gTextHeight, aveCharWidth = gAveCharWidth;
    gTextHeight = 16;
    gAveCharWidth = 7;
    childMap* pane = frame()->layout()->mapPane();
    ASSERT_NE(pane, nullptr);
    ShowFloatingLegend(*pane);
    childQMXControl* legend = FloatingLegendOf(*pane);
    ASSERT_NE(legend, nullptr);
    ASSERT_TRUE(legend->visible());
    hl::PaintAll();
    const gfx::Surface& shown = legend->backBuffer();
    ASSERT_GT(shown.height(), 12);
    const ui::Point readout{shown.width() / 2, shown.height() - 12};
    ASSERT_NE(shown.At(readout.x, readout.y), ColorOf(14)) << "no read-out yet";

    TimeValue t;
    t.SetDateMinuteSecond({1995, 1, 17}, 0, 0);
    frame()->layout()->control()->DrawDateReadout(t, TimeValue(86400.0));
    EXPECT_EQ(legend->backBuffer().At(readout.x, readout.y), ColorOf(14)) << "the read-out's yellow box";

    frame()->CmSelectMenu();
    EXPECT_FALSE(legend->visible());
    gTextHeight = textHeight;
    gAveCharWidth = aveCharWidth;
}
