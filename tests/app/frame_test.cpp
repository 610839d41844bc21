#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "app/menus.h"
#include "app/version.h"
#include "app/welcome.h"
#include "platform/ui/menu.h"
#include "platform/ui/native_ids.h"
#include "platform/ui/recent_files.h"
#include "tests/app/app_fixture.h"

namespace ui = platform::ui;
namespace hl = platform::headless;
using apptest::AppTest;
using apptest::Contains;
using apptest::DebugLines;

namespace {

struct MenuCase {
    const char* name;
    bool menuBar, canExit, canRedraw;
    int barItems;        // 0: no bar at all
    int popupsLoaded;
    bool fileHasExit, mapHasRedraw;
};

void PrintTo(const MenuCase& c, std::ostream* os) { *os << c.name; }

class FrameMenus : public AppTest, public testing::WithParamInterface<MenuCase> {};

TEST_P(FrameMenus, AreTrimmedByTheConfiguration) {
    const MenuCase& c = GetParam();
    gControls[kControlMenuBar] = c.menuBar;
    gControls[kControlCanExit] = c.canExit;
    gControls[kControlCanRedraw] = c.canRedraw;
    myFrame* frame = Start();
    ASSERT_NE(frame, nullptr);

    if (c.barItems == 0) {
        EXPECT_EQ(frame->menu(), nullptr);
    } else {
        ASSERT_NE(frame->menu(), nullptr);
        EXPECT_EQ(frame->menu()->count(), c.barItems);
        EXPECT_EQ(frame->menu()->Contains(187), c.canExit);
        EXPECT_TRUE(frame->menu()->Contains(186));
    }
    int loaded = 0;
    for (int k = 0; k < 8; ++k) loaded += frame->popup(k) != nullptr;
    EXPECT_EQ(loaded, c.popupsLoaded);
    if (c.popupsLoaded == 0) return;
    EXPECT_EQ(frame->popup(kPopupFile)->Contains(kCmFileExit), c.fileHasExit);
    EXPECT_EQ(frame->popup(kPopupMap)->Contains(kCmRedraw), c.mapHasRedraw);
    EXPECT_TRUE(frame->popup(kPopupMap)->Contains(4101));  // only Redraw goes
    EXPECT_EQ(frame->popup(kPopupExit) != nullptr, c.canExit);
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, FrameMenus,
    testing::Values(MenuCase{"all", true, true, true, 8, 8, true, true},
                    MenuCase{"noRedraw", true, true, false, 8, 8, true, false},
                    MenuCase{"noExit", true, false, true, 7, 7, false, true},
                    MenuCase{"noExitNoRedraw", true, false, false, 7, 7, false, false},
                    MenuCase{"noMenuBar", false, true, true, 0, 0, true, true},
                    MenuCase{"noMenuBarNoExit", false, false, false, 0, 0, false, false}),
    [](const testing::TestParamInfo<MenuCase>& info) { return std::string(info.param.name); });

struct StyleCase {
    bool titleBar, canResize;
    std::uint32_t present, absent;
};

void PrintTo(const StyleCase& c, std::ostream* os) {
    *os << "titleBar=" << c.titleBar << " canResize=" << c.canResize;
}

class FrameStyles : public AppTest, public testing::WithParamInterface<StyleCase> {};

TEST_P(FrameStyles, FollowTitleBarAndCanResize) {
    namespace st = ui::style;
    const StyleCase& c = GetParam();
    gControls[kControlTitleBar] = c.titleBar;
    gControls[kControlCanResize] = c.canResize;
    myFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->style() & c.present, c.present);
    EXPECT_EQ(frame->style() & c.absent, 0u);
    EXPECT_EQ(frame->style() & st::kBorder, 0u);
}

namespace st = ui::style;
INSTANTIATE_TEST_SUITE_P(
    Configurations, FrameStyles,
    testing::Values(StyleCase{true, false, st::kCaption | st::kSysMenu | st::kMinimizeBox | st::kMaximize,
                              st::kThickFrame | st::kMaximizeBox | st::kPopup},
                    StyleCase{true, true, st::kCaption | st::kThickFrame | st::kMaximizeBox | st::kMaximize, st::kPopup},
                    StyleCase{false, false, st::kPopup | st::kMaximize,
                              st::kCaption | st::kSysMenu | st::kMinimizeBox | st::kThickFrame | st::kMaximizeBox},
                    StyleCase{false, true, st::kPopup | st::kThickFrame | st::kMaximizeBox | st::kMaximize,
                              st::kCaption | st::kSysMenu}));

using FrameSetup = AppTest;

TEST_F(FrameSetup, SetsTheViewNamesCountdownAndPause) {
    gInitTimeout = 42;
    gControls[kControlAutoStartView] = 0;
    myFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->currentViewName(), "WORLD");
    EXPECT_EQ(frame->viewListFile(), "WORLD.VUS");
    EXPECT_EQ(frame->initTimeoutCountdown(), 42);
    EXPECT_EQ(gWorldViewName, "WORLD");
    EXPECT_TRUE(gPaused);
    EXPECT_EQ(frame->caption(), "Kestrune");
    EXPECT_TRUE(frame->client() != nullptr);
    EXPECT_TRUE(frame->closeGuard());
    ui::Message f1;
    f1.kind = ui::MessageKind::KeyDown;
    f1.code = ui::key::kF1;
    EXPECT_EQ(frame->accelerators().Match(f1), 1001);
}

TEST_F(FrameSetup, WithoutWelcomeScreenSendsStartScreenAndPlaysNoMusic) {
    gControls[kControlWelcomeScreen] = 0;
    myFrame* frame = Start();
    const auto& cmds = hl::Commands();
    EXPECT_TRUE(std::any_of(cmds.begin(), cmds.end(),
                            [&](const hl::CommandCall& c) { return c.id == kCmStartScreen && c.target == frame && c.handled; }));
    const auto lines = DebugLines();
    EXPECT_TRUE(Contains(lines, "CmStartScreen"));
    EXPECT_FALSE(Contains(lines, "PlayMidiFile QUORVEL.MID"));
}

TEST_F(FrameSetup, WithWelcomeScreenPlaysTheThemeAndWaits) {
    gControls[kControlWelcomeScreen] = 1;
    Start();
    for (const auto& c : hl::Commands()) EXPECT_NE(c.id, kCmStartScreen);
    const auto lines = DebugLines();
    EXPECT_TRUE(Contains(lines, "PlayMidiFile QUORVEL.MID"));
    EXPECT_FALSE(Contains(lines, "CmStartScreen"));
}

TEST_F(FrameSetup, AppendsTheVersionLineToTheArchiveFile) {
    gArchiveFile = "archive.txt";
    TempDir::Write("archive.txt", "earlier line\n");
    Start();
    const std::string version = *ProjectRCVersion().Query("ProductVersion");
    const std::string text = TempDir::Read("archive.txt");
    ASSERT_EQ(text.rfind("earlier line\n", 0), 0u);
    const std::string added = text.substr(13);
    EXPECT_EQ(added.size(), 20 + 8 + version.size() + 1) << added;  // stamp, "Version ", number, newline
    EXPECT_EQ(added.substr(20), "Version " + version + "\n");
    EXPECT_TRUE(Contains(DebugLines(), "Version " + version));
}

TEST_F(FrameSetup, DailyCountsFileNeedsItsFolderButNeverStopsTheStart) {
    gControls[kControlScienceOnASphere] = 1;
    myFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->dailyCountsFile(), nullptr);
    app_.reset();

    std::filesystem::create_directory("sos");
    frame = Start();
    ASSERT_NE(frame, nullptr);
    EXPECT_NE(frame->dailyCountsFile(), nullptr);
    app_.reset();
    EXPECT_TRUE(std::filesystem::exists("sos/kestrune_pip.txt"));
}

using FrameTimers = AppTest;

// The frame's own timers: the button menu the start shows has one of its own.
std::vector<hl::TimerInfo> FrameTimersOf(const myFrame* frame) {
    std::vector<hl::TimerInfo> out;
    for (const auto& t : hl::Timers())
        if (t.window == frame) out.push_back(t);
    return out;
}

TEST_F(FrameTimers, HousekeepingTicksEverySecondAndAllowsClosing) {
    myFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    const auto timers = FrameTimersOf(frame);
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(timers[0].window, frame);
    EXPECT_EQ(timers[0].id, kHousekeepingTimer);
    EXPECT_EQ(timers[0].intervalMs, 1000);

    gCanClose = false;
    hl::Advance(999);
    EXPECT_FALSE(gCanClose);
    hl::Advance(1);
    EXPECT_TRUE(gCanClose);
    gCanClose = false;
    hl::Advance(1000);
    EXPECT_TRUE(gCanClose);
}

TEST_F(FrameTimers, AnimationTimerStartsAndStopsWithItsFlag) {
    myFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    frame->StartAnimationTimer();
    EXPECT_TRUE(frame->animationTimerRunning());
    auto timers = FrameTimersOf(frame);
    ASSERT_EQ(timers.size(), 2u);
    EXPECT_EQ(timers[0].id, kAnimationTimer);
    EXPECT_EQ(timers[0].intervalMs, 50);
    frame->StopAnimationTimer();
    EXPECT_FALSE(frame->animationTimerRunning());
    timers = FrameTimersOf(frame);
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(timers[0].id, kHousekeepingTimer);
    frame->StopAnimationTimer();  // a second stop is harmless
    EXPECT_EQ(FrameTimersOf(frame).size(), 1u);
}

TEST_F(FrameTimers, DestroyedFrameLeavesNoTimers) {
    myFrame* frame = Start();
    frame->StartAnimationTimer();
    app_.reset();
    EXPECT_TRUE(hl::Timers().empty());
    EXPECT_EQ(gMainFrame, nullptr);
}

using FrameExit = AppTest;

TEST_F(FrameExit, ClosesTheFrameOnce) {
    myFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    gCanClose = false;
    EXPECT_TRUE(frame->SendCommand(kCmExit));
    EXPECT_EQ(app_->mainWindow(), nullptr);
    EXPECT_EQ(gMainFrame, nullptr);
    EXPECT_TRUE(gCanClose);
    EXPECT_TRUE(hl::Timers().empty());
}

TEST_F(FrameExit, ExitPopupReachesExit) {
    myFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    hl::ScriptPopupAnswer(kCmExit);
    EXPECT_TRUE(hl::ChooseMenuCommand(*frame, 187));
    EXPECT_EQ(app_->mainWindow(), nullptr);
}

using FrameMenuBar = AppTest;

TEST_F(FrameMenuBar, ShowsThePopupAtItsSlotAndRestoresThePause) {
    myFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    const ui::Rect client = frame->clientRect();
    for (const bool paused : {false, true}) {
        gPaused = paused;
        ASSERT_TRUE(hl::ChooseMenuCommand(*frame, 184));
        EXPECT_EQ(gPaused, paused);
    }
    ASSERT_EQ(hl::PopupCalls().size(), 2u);
    const hl::PopupCall& call = hl::PopupCalls().back();
    EXPECT_EQ(call.owner, frame);
    EXPECT_EQ(call.screen.x, 4 * (client.width() / 30));
    EXPECT_EQ(call.screen.y, client.height() / 30);
    EXPECT_EQ(call.chosen, 0);
}

TEST_F(FrameMenuBar, FilePopupHoldsTheRecentViewsOnlyWithExit) {
    for (const bool canExit : {true, false}) {
        SCOPED_TRACE(canExit);
        gControls[kControlCanExit] = canExit;
        myFrame* frame = Start();
        ASSERT_NE(frame, nullptr);
        app_->recentViews().Add("WORLD");
        ASSERT_TRUE(hl::ChooseMenuCommand(*frame, 180));
        const auto& ids = hl::PopupCalls().back().enabledIds;
        const bool listed = std::find(ids.begin(), ids.end(), ui::RecentFiles::kFirstCommand) != ids.end();
        EXPECT_EQ(listed, canExit);
        app_.reset();
    }
}

}  // namespace

// Every command of every menu resource reaches the toolkit as an id it takes
// and comes back from it as the program's own id.
TEST(QuorviewMenuIds, EveryRegisteredMenuIdSurvivesTheToolkitRoundTrip) {
    RegisterQuorviewResources();
    ui::NativeIds ids;
    std::set<int> seen;
    for (const std::string& name : ui::MenuNames()) {
        std::unique_ptr<ui::Menu> menu = ui::LoadMenu(name);
        ASSERT_NE(menu, nullptr) << name;
        for (int id : menu->CommandIds()) {
            SCOPED_TRACE(name + " " + std::to_string(id));
            const std::optional<int> native = ids.ToNative(id);
            ASSERT_TRUE(native);
            EXPECT_TRUE(*native >= ui::NativeIds::kFirst && *native < 32767);
            EXPECT_FALSE(*native >= 4999 && *native <= 5999);
            EXPECT_EQ(ids.FromNative(*native), id);
            seen.insert(id);
        }
    }
    // Map > Lat/Lon Lines and Options > Update Hypocenters are among them.
    EXPECT_TRUE(seen.count(40002) && seen.count(40051));
    EXPECT_GT(seen.size(), 100u);
}
