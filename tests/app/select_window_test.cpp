#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/buttons.h"
#include "app/frame.h"
#include "app/help_windows.h"
#include "app/housekeeping.h"
#include "app/layout.h"
#include "app/menus.h"
#include "app/select_window.h"
#include "app/start_window.h"
#include "app/startup.h"
#include "app/view_list.h"
#include "app/view_open.h"
#include "core/view.h"
#include "map/draw.h"
#include "tests/app/app_fixture.h"
#include "tests/app/map_pane_double.h"

namespace gfx = platform::gfx;

namespace ui = platform::ui;
namespace hl = platform::headless;
using apptest::AppTest;
using gfx::Rect;

namespace {

// ---- the layout's arithmetic -------------------------------------------------------

TEST(SelectLayout, ButtonsHeldInsideTheMapArea) {
    const Rect area{100, 50, 500, 400};
    struct Case {
        const char* name;
        Rect in, out;
    } cases[] = {
        {"inside stays", {200, 100, 300, 130}, {200, 100, 300, 130}},
        {"off the left", {40, 100, 140, 130}, {105, 100, 205, 130}},
        {"off the right", {450, 100, 550, 130}, {395, 100, 495, 130}},
        {"above the top", {200, 20, 300, 50}, {200, 55, 300, 85}},
        {"below the bottom", {200, 390, 300, 420}, {200, 365, 300, 395}},
        {"off a corner", {0, 0, 100, 30}, {105, 55, 205, 85}},
    };
    for (const Case& c : cases) {
        const Rect got = FitMenuButton(c.in, area, {}, 30);
        EXPECT_EQ(got, c.out) << c.name;
    }
}

TEST(SelectLayout, AButtonUnderEarlierOnesMovesUpAndRightUntilFree) {
    const Rect area{0, 0, 1000, 1000};
    // Two buttons stacked where the third would go: it climbs over both.
    const std::vector<Rect> placed = {{400, 500, 600, 530}, {410, 470, 610, 500}};
    const Rect got = FitMenuButton({400, 500, 600, 530}, area, placed, 30);
    EXPECT_EQ(got, (Rect{420, 440, 620, 470}));
    // Touching edges do not overlap.
    EXPECT_EQ(FitMenuButton({600, 500, 700, 530}, area, placed, 30), (Rect{600, 500, 700, 530}));
}

TEST(SelectLayout, NineBySixteenTrimsTheBottomOrTheSides) {
    EXPECT_EQ(ForceAspect916({0, 40, 1600, 1200}), (Rect{0, 40, 1600, 940}));
    // Too wide: the sides come in so the rest is 16:9.
    EXPECT_EQ(ForceAspect916({0, 0, 1920, 720}), (Rect{320, 0, 1600, 720}));
}

// ---- the window on the headless backend ---------------------------------------------

const char* kList =
    "WORLD World\n"
    "  ASIA Asia\n"
    "    JAPAN Japan\n"
    "    KOREA Korea\n"
    "  CHILE Chile\n"
    "  SOLO Solo\n"
    "    SOLOVIEW One view\n";

class ButtonMenu : public AppTest {
protected:
    ButtonMenu() {
        ResetViewSettings();
        gOpenedViewName.clear();
        SetMapPaneMaker(&apptest::MakePane<>);
        gControls[kControlWelcomeScreen] = 0;
        gControls[kControlStartScreen] = 0;
        gControls[kControlAutoStartView] = 1;
        gTimeout = 30;
        gInitTimeout = 0;
        gButtonHeight = 2;
        auto view = [](const char* name, int w, int e, int s, int n) {
            TempDir::Write(name, "LEFT LONGITUDE: " + std::to_string(w) + "\nRIGHT LONGITUDE: " + std::to_string(e) +
                                     "\nSOUTH LATITUDE: " + std::to_string(s) + "\nNORTH LATITUDE: " +
                                     std::to_string(n) + "\n");
        };
        view("WORLD", -180, 180, -70, 75);
        view("ASIA", 60, 160, -10, 60);
        view("JAPAN", 125, 150, 28, 47);
        view("KOREA", 124, 131, 33, 43);
        view("CHILE", -80, -62, -46, -17);
        view("SOLO", 0, 10, 0, 10);
        view("SOLOVIEW", 0, 10, 0, 10);
        TempDir::Write("WORLD.VUS", kList);
    }
    ~ButtonMenu() override {
        SetMapPaneMaker(nullptr);
        gViewList.Flush();
        gGroupViewList.Flush();
        gViewListIndex = 0;
        ResetViewSettings();
    }

    // The menu the frame shows, painted once so that its buttons exist.
    selectWindow* Menu() {
        hl::PaintAll();
        return frame_->buttonMenu();
    }
    std::vector<std::string> Captions() {
        std::vector<std::string> out;
        for (textButton* b : Menu()->menuButtons()) out.push_back(b->text());
        return out;
    }
    static void Click(ui::Window& w) {
        const ui::Point p{w.rect().width() / 2, w.rect().height() / 2};
        hl::Mouse(w, ui::MouseAction::LeftDown, p);
        hl::Mouse(w, ui::MouseAction::LeftUp, p);
    }
    bool ViewShown() const { return frame_->layout() && frame_->client() == frame_->layout(); }

    myFrame* frame_ = nullptr;
};

TEST_F(ButtonMenu, StartsAsTheFramesClientWithTheTopGroup) {
    frame_ = Start();
    ASSERT_NE(frame_->buttonMenu(), nullptr);
    EXPECT_EQ(frame_->client(), frame_->buttonMenu());
    EXPECT_EQ(gViewList.Count(), 7);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Asia Group", "Chile", "Solo Group"}));
    EXPECT_EQ(Menu()->groupTitle(), "World");
    EXPECT_EQ(frame_->caption(), "Kestrune");
    // Every button lies on the fitted map; the bottom row is there, Back is not at the top.
    const Rect area = Menu()->mapArea();
    for (textButton* b : Menu()->menuButtons()) EXPECT_TRUE(area.contains(ui::Point{b->rect().left, b->rect().top})) << b->text();
    EXPECT_NE(Menu()->informationButton(), nullptr);
    EXPECT_NE(Menu()->exitButton(), nullptr);
    EXPECT_EQ(Menu()->backButton(), nullptr);
    // The group's view settings are in memory while its menu shows.
    EXPECT_EQ(gMapName, "WORLD");
}

TEST_F(ButtonMenu, ChoosingAViewOpensItThroughOpenView) {
    frame_ = Start();
    textButton* chile = Menu()->menuButtons()[1];
    Click(*chile);
    EXPECT_TRUE(ViewShown());
    EXPECT_EQ(gOpenedViewName, "CHILE");
    EXPECT_EQ(frame_->selectedViewName(), "CHILE");
    EXPECT_EQ(gViewListIndex, 1);
    EXPECT_EQ(gWorldMenuLabel, "World Menu");
    const auto& cmds = hl::Commands();
    EXPECT_TRUE(std::any_of(cmds.begin(), cmds.end(), [](const hl::CommandCall& c) {
        return c.id == kCmOpenSelectedView && c.handled;
    }));
}

TEST_F(ButtonMenu, AGroupOpensItsMenuAndBackGoesUpALevel) {
    frame_ = Start();
    selectWindow* top = Menu();
    Click(*top->menuButtons()[0]);
    selectWindow* asia = Menu();
    ASSERT_NE(asia, top);
    EXPECT_EQ(frame_->retiredButtonMenu(), top);
    EXPECT_FALSE(top->visible());
    EXPECT_EQ(frame_->currentViewGroup(), 1);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Japan", "Korea"}));
    ASSERT_NE(asia->backButton(), nullptr);

    Click(*asia->backButton());
    EXPECT_EQ(frame_->currentViewGroup(), 0);
    EXPECT_EQ(Menu()->groupIndex(), 0);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Asia Group", "Chile", "Solo Group"}));
    // The menu before the last is gone; the last waits, hidden.
    EXPECT_EQ(frame_->retiredButtonMenu(), asia);

    Click(*Menu()->menuButtons()[0]);
    Click(*Menu()->menuButtons()[1]);
    EXPECT_EQ(gOpenedViewName, "KOREA");
    EXPECT_EQ(gViewListIndex, 1);
    EXPECT_EQ(gGroupViewList.Count(), 2);
}

TEST_F(ButtonMenu, AGroupOfOneOpensItsOnlyEntryAtItsFirstPaint) {
    frame_ = Start();
    Click(*Menu()->menuButtons()[2]);
    hl::PaintAll();
    EXPECT_TRUE(ViewShown());
    EXPECT_EQ(gOpenedViewName, "SOLOVIEW");
    EXPECT_EQ(gViewListIndex, 0);
}

TEST_F(ButtonMenu, IdleCountdownOpensTheFirstEntry) {
    gTimeout = 5;
    frame_ = Start();
    EXPECT_EQ(Menu()->idleCountdown(), 5);
    hl::Advance(4000);
    EXPECT_EQ(Menu()->idleCountdown(), 1);
    EXPECT_FALSE(ViewShown());
    // A click on the menu starts the countdown again.
    hl::Mouse(*Menu(), ui::MouseAction::LeftDown, {5, 5});
    EXPECT_EQ(Menu()->idleCountdown(), 5);
    hl::Advance(5000);
    // The first entry is a group: its menu shows, with a countdown of its own.
    EXPECT_EQ(frame_->currentViewGroup(), 1);
    EXPECT_EQ(Menu()->idleCountdown(), 5);
    hl::Advance(5000);
    EXPECT_TRUE(ViewShown());
    EXPECT_EQ(gOpenedViewName, "JAPAN");
}

TEST_F(ButtonMenu, IdleWithoutATimeoutDoesNothing) {
    gTimeout = 0;
    frame_ = Start();
    hl::Advance(60000);
    EXPECT_FALSE(ViewShown());
    EXPECT_EQ(frame_->client(), frame_->buttonMenu());
}

TEST_F(ButtonMenu, IdleWithDoviredezurReturnsToTheTopAndStaysThere) {
    gTimeout = 3;
    gControls[kControlDoviredezur] = 1;
    frame_ = Start();
    selectWindow* top = Menu();
    hl::Advance(3000);
    EXPECT_EQ(Menu(), top);  // at the top the countdown only starts again
    EXPECT_EQ(top->idleCountdown(), 3);
    Click(*top->menuButtons()[0]);
    EXPECT_EQ(frame_->currentViewGroup(), 1);
    hl::Advance(3000);
    EXPECT_EQ(frame_->currentViewGroup(), 0);
    EXPECT_EQ(Menu()->groupIndex(), 0);
    EXPECT_FALSE(ViewShown());
}

TEST_F(ButtonMenu, IdleWithExitWhenDoneExits) {
    gTimeout = 2;
    gExitWhenDone = 1;
    frame_ = Start();
    hl::Advance(2000);
    const auto& cmds = hl::Commands();
    EXPECT_TRUE(std::any_of(cmds.begin(), cmds.end(), [](const hl::CommandCall& c) { return c.id == kCmExit; }));
    gExitWhenDone = 0;
}

TEST_F(ButtonMenu, AMenuThatAViewReplacedKeepsStill) {
    // INIT TIMEOUT opens WORLD under the menu; the hidden menu's countdown
    // must not then open its first entry over the view.
    gTimeout = 5;
    gInitTimeout = 2;
    frame_ = Start();
    hl::Advance(2000);
    ASSERT_TRUE(ViewShown());
    EXPECT_EQ(gOpenedViewName, "WORLD");
    hl::Advance(10000);
    EXPECT_EQ(gOpenedViewName, "WORLD");
}

TEST_F(ButtonMenu, InformationOpensTheTextWindowAndIdleClosesIt) {
    gTimeout = 4;
    TempDir::Write("SELECT.TXT", "Choose a region.\n");
    frame_ = Start();
    selectWindow* menu = Menu();
    Click(*menu->informationButton());
    auto* page = dynamic_cast<myHelp*>(menu->textWindow());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->text(), "Choose a region.\n");
    hl::Advance(4000);
    EXPECT_EQ(menu->textWindow(), nullptr);
    EXPECT_FALSE(ViewShown());
    EXPECT_EQ(menu->idleCountdown(), 4);
}

TEST_F(ButtonMenu, InformationOpensAHelpPageAndAMissingSelectTxtSaysSo) {
    frame_ = Start();
    Click(*Menu()->informationButton());
    auto* page = dynamic_cast<myHelp*>(Menu()->textWindow());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->text(), "File SELECT.TXT not found");
    EXPECT_EQ(page->moreButton(), nullptr);
}

TEST_F(ButtonMenu, ExitButtonSendsExit) {
    gExitButtonLabel = "Leave";
    frame_ = Start();
    ASSERT_NE(Menu()->exitButton(), nullptr);
    EXPECT_EQ(Menu()->exitButton()->text(), "Leave");
    Click(*Menu()->exitButton());
    const auto& cmds = hl::Commands();
    EXPECT_TRUE(std::any_of(cmds.begin(), cmds.end(), [](const hl::CommandCall& c) { return c.id == kCmExit; }));
}

TEST_F(ButtonMenu, AMissingListIsReportedAndTheMenuIsEmpty) {
    std::remove("WORLD.VUS");
    frame_ = Start();
    ASSERT_NE(Menu(), nullptr);
    EXPECT_EQ(Menu()->buttonCount(), 0);
    EXPECT_TRUE(Menu()->menuButtons().empty());
    ASSERT_FALSE(hl::MessageBoxCalls().empty());
    EXPECT_EQ(hl::MessageBoxCalls().back().text, "Cannot find \"WORLD.VUS\".");
    EXPECT_EQ(hl::MessageBoxCalls().back().caption, "Error");
}

TEST_F(ButtonMenu, HoverTakesTheHighlightOffTheOtherButtons) {
    gControls[kControlHighlightButtons] = 1;
    frame_ = Start();
    const auto buttons = Menu()->menuButtons();
    hl::Mouse(*buttons[0], ui::MouseAction::Move, {3, 3});
    EXPECT_TRUE(buttons[0]->highlighted());
    hl::Mouse(*buttons[1], ui::MouseAction::Move, {3, 3});
    EXPECT_TRUE(buttons[1]->highlighted());
    EXPECT_FALSE(buttons[0]->highlighted());
    // Over the menu itself, no button stays highlighted.
    hl::Mouse(*Menu(), ui::MouseAction::Move, {1, 1});
    EXPECT_FALSE(buttons[1]->highlighted());
}

TEST_F(ButtonMenu, RunScriptGoesOnToTheNextViewOfTheList) {
    // The welcome screen holds the start, so no menu ever read the list.
    gControls[kControlWelcomeScreen] = 1;
    gRunScript = 1;
    frame_ = Start();
    EXPECT_TRUE(gViewList.IsEmpty());
    frame_->OpenView("WORLD");
    gViewListIndex = 0;
    EXPECT_TRUE(frame_->OpenNextScriptView());
    EXPECT_EQ(gOpenedViewName, "ASIA");
    EXPECT_EQ(gViewListIndex, 1);
    EXPECT_TRUE(frame_->OpenNextScriptView());
    EXPECT_EQ(gOpenedViewName, "JAPAN");
    // Past the end the list starts again, skipping the view just shown.
    gViewListIndex = 6;
    frame_->OpenView("WORLD");
    EXPECT_TRUE(frame_->OpenNextScriptView());
    EXPECT_EQ(gOpenedViewName, "ASIA");
    gRunScript = 0;
}

TEST_F(ButtonMenu, RunScriptWithoutAListStartsTheSameView) {
    gControls[kControlWelcomeScreen] = 1;
    std::remove("WORLD.VUS");
    frame_ = Start();
    frame_->OpenView("CHILE");
    EXPECT_FALSE(frame_->OpenNextScriptView());
    EXPECT_EQ(gOpenedViewName, "CHILE");
    EXPECT_TRUE(hl::MessageBoxCalls().empty());
}

}  // namespace

namespace {

TEST_F(ButtonMenu, BackAtTheTopWithStartScreenShowsTheStartScreen) {
    frame_ = Start();
    gControls[kControlStartScreen] = 1;
    // The top menu made now carries Back, as START SCREEN asks.
    frame_->SendCommand(kCmSelectMenu);
    selectWindow* top = Menu();
    ASSERT_NE(top->backButton(), nullptr);
    Click(*top->backButton());
    ASSERT_NE(frame_->startScreen(), nullptr);
    EXPECT_EQ(frame_->client(), static_cast<ui::Window*>(frame_->startScreen()));
    EXPECT_FALSE(top->visible());
}

TEST_F(ButtonMenu, StartOverFromAViewShowsTheMenuAgainWithoutStartScreen) {
    frame_ = Start();
    Click(*Menu()->menuButtons()[1]);
    ASSERT_TRUE(ViewShown());
    frame_->SendCommand(kCmStartScreen);
    EXPECT_EQ(frame_->layout(), nullptr);  // the start screen deletes the layout
    ASSERT_NE(frame_->buttonMenu(), nullptr);
    EXPECT_EQ(frame_->client(), frame_->buttonMenu());
    EXPECT_EQ(Menu()->groupIndex(), 0);
}

}  // namespace

namespace {

TEST_F(ButtonMenu, AResizeLaysTheButtonsOutAgain) {
    frame_ = Start();
    ASSERT_NE(Menu(), nullptr);
    for (const ui::Size size : {ui::Size{1280, 720}, ui::Size{1000, 650}, ui::Size{1920, 1080}}) {
        frame_->MoveWindow(ui::Rect::FromSize(0, 0, size.width, size.height));
        selectWindow* menu = Menu();
        const ui::Rect client = menu->clientRect();
        const Rect area = menu->mapArea();
        ASSERT_EQ(menu->menuButtons().size(), 3u) << size.width;
        for (textButton* b : menu->menuButtons()) {
            EXPECT_TRUE(area.contains(ui::Point{b->rect().left, b->rect().top})) << b->text() << " " << size.width;
            EXPECT_LE(b->rect().right, area.right) << b->text() << " " << size.width;
        }
        for (textButton* b : {menu->informationButton(), menu->exitButton()}) {
            ASSERT_NE(b, nullptr);
            EXPECT_LE(b->rect().right, client.right) << b->text() << " " << size.width;
            EXPECT_LE(b->rect().bottom, client.bottom) << b->text() << " " << size.width;
        }
    }
}

TEST_F(ButtonMenu, TheFittedMapLeavesTheTitleAndTheBottomRowShowing) {
    MeasureScreen();  // the title's large font
    ASSERT_GT(gLargeMetrics.height, 10);
    frame_ = Start();
    selectWindow* menu = Menu();
    const Rect area = menu->mapArea();
    const ui::Rect client = menu->clientRect();
    const int bh = static_cast<int>(gScreenMetrics.height * gButtonHeight);
    EXPECT_GE(area.top, gLargeMetrics.height + 11 + 6);
    EXPECT_LE(area.bottom, client.bottom - bh - 16);
    const ui::BackBuffer& b = menu->backBuffer();
    // The title bar's white inset, and the bottom row's grey beside "Select a Button".
    EXPECT_EQ(b.At(client.width() / 4, gLargeMetrics.height / 2 + 5), ColorOf(kWhiteColor));
    EXPECT_EQ(b.At(client.width() / 4, client.bottom - bh / 2), ColorOf(kLightGrayColor));
    for (textButton* t : menu->menuButtons()) {
        EXPECT_GE(t->rect().top, area.top) << t->text();
        EXPECT_LE(t->rect().bottom, area.bottom) << t->text();
    }
    gLargeFont.reset();
    gLargeMetrics = {};
}

}  // namespace

namespace {

TEST_F(ButtonMenu, AWholeWorldEntryCentredPastTheDateLineSitsOnTheMap) {
    // 20 to 20 is the whole world from 20 E: its centre, 160 W, lies one turn
    // past the west edge and must not push the button off to the right edge.
    TempDir::Write("ALT", "LEFT LONGITUDE: 20\nRIGHT LONGITUDE: 20\nSOUTH LATITUDE: -70\nNORTH LATITUDE: 75\n");
    TempDir::Write("WORLD.VUS", "WORLD World\n  ALT Pacific\n  CHILE Chile\n");
    frame_ = Start();
    const Rect area = Menu()->mapArea();
    const Rect alt = Menu()->menuButtons()[0]->rect();
    const int centre = (alt.left + alt.right) / 2;
    // 160 W is a ninth of the way across a map from 180 W.
    EXPECT_LT(centre, area.left + area.width() / 4) << centre;
}

}  // namespace
