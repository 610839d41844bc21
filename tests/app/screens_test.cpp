// The welcome and start screens: the kiosk's way from the welcome screen to a
// view and back by the time-outs alone, the buttons and keys, and what each
// screen draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "app/buttons.h"
#include "app/frame.h"
#include "app/help_windows.h"
#include "app/layout.h"
#include "app/select_window.h"
#include "app/startup.h"
#include "app/start_window.h"
#include "app/view_list.h"
#include "app/view_open.h"
#include "app/welcome.h"
#include "core/view.h"
#include "map/draw.h"
#include "platform/gfx/bmp.h"
#include "tests/app/app_fixture.h"
#include "tests/app/map_pane_double.h"

namespace gfx = platform::gfx;
namespace ui = platform::ui;
namespace hl = platform::headless;
using apptest::AppTest;
using gfx::Rect;

namespace {

// ---- the screens' arithmetic ----------------------------------------------------

TEST(WelcomeScreen, GradientFadesFromBrightBlueAndAnEmptyClientHasNone) {
    EXPECT_EQ(WelcomeStripeBlue(0, 800), 255);
    EXPECT_EQ(WelcomeStripeBlue(50, 800), 128);  // 255 - 255 * 400 / 800, truncated
    EXPECT_EQ(WelcomeStripeBlue(99, 800), 3);
    EXPECT_EQ(WelcomeStripeBlue(100, 800), std::nullopt);  // at the bottom
    // No division by a zero client height, nor a negative one.
    EXPECT_EQ(WelcomeStripeBlue(0, 0), std::nullopt);
    EXPECT_EQ(WelcomeStripeBlue(0, -5), std::nullopt);
}

TEST(WelcomeScreen, MissingVersionStringsLeaveTheirLinesOutAndTheRestMovesUp) {
    const int e = 20, th = 13, product = 40;
    struct Case {
        const char* name;
        WelcomeVersion version;
        int lines;
        int buttonY;
    } cases[] = {
        // top + e, + 1.2 product, + 4e, + version th, + legal th, + 2th, + 2 * trunc(1.4e)
        {"all", {"Kestrune", "1.2", "(C)"}, 10, 20 + 48 + 80 + 13 + 13 + 26 + 56},
        {"no product name", {std::nullopt, "1.2", "(C)"}, 9, 20 + 80 + 13 + 13 + 26 + 56},
        {"no version", {"Kestrune", std::nullopt, "(C)"}, 9, 20 + 48 + 80 + 13 + 26 + 56},
        {"none", {}, 7, 20 + 80 + 26 + 56},
    };
    for (const Case& c : cases) {
        const WelcomeLayout l = LayoutWelcome(0, e, th, product, c.version);
        EXPECT_EQ(static_cast<int>(l.lines.size()), c.lines) << c.name;
        EXPECT_EQ(l.buttonY, c.buttonY) << c.name;
        EXPECT_EQ(l.promptY, c.buttonY - 28) << c.name;
        for (std::size_t i = 1; i < l.lines.size(); ++i) EXPECT_GT(l.lines[i].y, l.lines[i - 1].y) << c.name << i;
    }
    const WelcomeLayout none = LayoutWelcome(0, e, th, product, {});
    EXPECT_EQ(none.lines.front().text, kWelcomeDescription);
    EXPECT_EQ(none.lines.front().y, e);
}

std::string WelcomeTextOf(const std::string& content, std::size_t buffer = kWelcomeTextBuffer) {
    TempDir::Write("QUORVEL.TXT", content);
    std::FILE* f = std::fopen("QUORVEL.TXT", "rb");
    std::string text = ReadWelcomeText(f, buffer);
    std::fclose(f);
    return text;
}

TEST(WelcomeScreen, WelcomeTextJoinsWholeLinesAndStaysInItsBuffer) {
    TempDir dir;
    EXPECT_EQ(WelcomeTextOf("Welcome to the\nmuseum.\r\n\nEnjoy"), "Welcome to the museum.  Enjoy");
    // A line of more than 99 characters keeps its words whole.
    const std::string longLine = std::string(150, 'a') + " " + std::string(150, 'b');
    EXPECT_EQ(WelcomeTextOf(longLine + "\n"), longLine);
    // Too long for the buffer: cut at the last blank that fits, with room for the terminator.
    EXPECT_EQ(WelcomeTextOf("one two three four\n", 12), "one two");
    EXPECT_EQ(WelcomeTextOf("abcdefghijklmnop\n", 6), "abcde");
    std::string many;
    for (int i = 0; i < 500; ++i) many += "word word\n";
    EXPECT_LE(WelcomeTextOf(many).size(), kWelcomeTextBuffer - 1);
    // A NUL ends its line; the line break after it still counts.
    EXPECT_EQ(WelcomeTextOf(std::string("one\0two\n\nthree\n", 15)), "one  three");
}

// ---- the screens on the headless backend ------------------------------------------

class Screens : public AppTest {
protected:
    Screens() {
        ResetViewSettings();
        gOpenedViewName.clear();
        SetMapPaneMaker(&apptest::MakePane<>);
        gMuseumMode = 1;
        gControls[kControlWelcomeScreen] = 1;
        gControls[kControlStartScreen] = 1;
        gControls[kControlAutoStartView] = 1;
        gInitTimeout = 4;
        gTimeout = 2;
        gButtonHeight = 2;
        MeasureScreen();  // the large font, and a screen 1920 pixels wide
        auto view = [](const char* name, int w, int e, int s, int n) {
            TempDir::Write(name, "LEFT LONGITUDE: " + std::to_string(w) + "\nRIGHT LONGITUDE: " + std::to_string(e) +
                                     "\nSOUTH LATITUDE: " + std::to_string(s) + "\nNORTH LATITUDE: " +
                                     std::to_string(n) + "\n");
        };
        view("WORLD", -180, 180, -70, 75);
        view("PACIFIC", 120, 290, -60, 60);
        view("CHILE", -80, -62, -46, -17);
        TempDir::Write("WORLD.VUS", "WORLD World\n  PACIFIC Pacific\n  CHILE Chile\n");
        TempDir::Write("QUORVEL.TXT", "Welcome to the museum's earthquake replay.\n");
    }
    ~Screens() override {
        SetMapPaneMaker(nullptr);
        gViewList.Flush();
        gGroupViewList.Flush();
        gViewListIndex = 0;
        ResetViewSettings();
        gLargeFont.reset();
        gLargeMetrics = {};
        gScreenWidth = 0;
    }

    myFrame* StartPainted() {
        frame_ = Start();
        hl::PaintAll();
        return frame_;
    }
    // What the frame shows: the screen and, for a menu or a view, its name.
    std::string Shown() const {
        ui::Window* c = frame_->client();
        if (!c) return "nothing";
        if (c == frame_->welcome()) return "welcome";
        if (frame_->startScreen() && c == frame_->startScreen()) return "start";
        if (frame_->buttonMenu() && c == frame_->buttonMenu()) return "menu " + frame_->buttonMenu()->groupTitle();
        if (frame_->layout() && c == frame_->layout()) return "view " + gOpenedViewName;
        return "other";
    }
    static void Click(ui::Window& w) {
        const ui::Point p{w.rect().width() / 2, w.rect().height() / 2};
        hl::Mouse(w, ui::MouseAction::LeftDown, p);
        hl::Mouse(w, ui::MouseAction::LeftUp, p);
    }
    bool Sent(int id) const {
        const auto& cmds = hl::Commands();
        return std::any_of(cmds.begin(), cmds.end(), [id](const hl::CommandCall& c) { return c.id == id; });
    }

    myFrame* frame_ = nullptr;
};

// The kiosk with nobody at it, one virtual second at a time:
//
//   0 s  welcome      INIT TIMEOUT 4 s
//   4 s  start        INIT TIMEOUT 4 s, at its first showing
//   8 s  menu World   idle TIMEOUT 2 s opens the first entry
//  10 s  view PACIFIC inactivity TIMEOUT 2 s, INACTIVE POPUP and RESTART WHEN TIMEOUT
//  12 s  start        shown again, without a time-out of its own
//  16 s  view WORLD   the frame's INIT TIMEOUT countdown
TEST_F(Screens, TheKioskGoesFromTheWelcomeScreenToAViewAndBackByItsTimeOuts) {
    gInactivePopup = 1;
    gRestartWhenTimeout = 1;
    StartPainted();
    std::vector<std::string> actual;
    std::string last;
    for (int s = 0; s <= 30; ++s) {
        if (s > 0) hl::Advance(1000);
        hl::PaintAll();
        const std::string now = Shown();
        if (now != last) actual.push_back(std::to_string(s) + " s " + now);
        last = now;
    }
    const std::vector<std::string> expected = {"0 s welcome",      "4 s start", "8 s menu World",
                                               "10 s view PACIFIC", "12 s start", "16 s view WORLD"};
    auto join = [](const std::vector<std::string>& v) {
        std::ostringstream out;
        for (const auto& line : v) out << "\n  " << line;
        return out.str();
    };
    EXPECT_EQ(actual, expected) << "expected:" << join(expected) << "\nactual:" << join(actual);
    EXPECT_EQ(frame_->welcome(), nullptr);  // deleted once its own time-out had replaced it
    gInactivePopup = 0;
    gRestartWhenTimeout = 0;
}

TEST_F(Screens, StartGoAndEnterLeadOnAndEachScreenIsReplacedSafely) {
    StartPainted();
    ASSERT_EQ(Shown(), "welcome");
    ASSERT_NE(frame_->welcome()->startButton(), nullptr);
    EXPECT_EQ(frame_->welcome()->startButton()->text(), "Start");
    // The welcome screen is deleted from inside its own Start handler.
    Click(*frame_->welcome()->startButton());
    EXPECT_EQ(Shown(), "start");
    EXPECT_EQ(frame_->welcome(), nullptr);
    hl::PaintAll();
    startWindow* start = frame_->startScreen();
    ASSERT_NE(start->goButton(), nullptr);
    Click(*start->goButton());
    EXPECT_EQ(Shown(), "menu World");
    EXPECT_FALSE(start->visible());
    EXPECT_FALSE(start->timeoutRunning());

    // Back at the top shows the same start window again; Enter acts as Go.
    hl::PaintAll();
    Click(*frame_->buttonMenu()->backButton());
    EXPECT_EQ(frame_->startScreen(), start);
    EXPECT_EQ(Shown(), "start");
    hl::KeyDown(*start, ui::key::kReturn);
    EXPECT_EQ(Shown(), "menu World");
}

TEST_F(Screens, EnterOnTheWelcomeScreenActsAsStart) {
    StartPainted();
    hl::KeyDown(*frame_->welcome(), ui::key::kReturn);
    EXPECT_EQ(Shown(), "start");
}

TEST_F(Screens, CancelledCountdownLeavesTheWelcomeScreenWaitingForStart) {
    StartPainted();
    ASSERT_TRUE(frame_->welcome()->timeoutRunning());
    frame_->welcome()->SendCommand(kCmCancelTimeout);
    EXPECT_FALSE(frame_->welcome()->timeoutRunning());
    // A later paint does not start it again, and the frame does not open WORLD meanwhile.
    frame_->welcome()->Invalidate();
    hl::PaintAll();
    hl::Advance(20000);
    EXPECT_EQ(Shown(), "welcome");
    Click(*frame_->welcome()->startButton());
    EXPECT_EQ(Shown(), "start");
}

TEST_F(Screens, WithoutAnInitTimeoutNeitherScreenGoesOnByItself) {
    gInitTimeout = 0;
    StartPainted();
    hl::Advance(60000);
    EXPECT_EQ(Shown(), "welcome");
    Click(*frame_->welcome()->startButton());
    hl::PaintAll();
    EXPECT_FALSE(frame_->startScreen()->timeoutRunning());
    hl::Advance(60000);
    EXPECT_EQ(Shown(), "start");
}

TEST_F(Screens, AHiddenStartScreenNeverGoesOnOverTheViewThatReplacedIt) {
    StartPainted();
    Click(*frame_->welcome()->startButton());
    ASSERT_TRUE(frame_->startScreen()->timeoutRunning());
    frame_->OpenView("CHILE");
    EXPECT_EQ(Shown(), "view CHILE");
    EXPECT_FALSE(frame_->startScreen()->timeoutRunning());
    hl::Advance(10000);
    EXPECT_EQ(Shown(), "view CHILE");
    EXPECT_FALSE(Sent(kCmSelectMenu));
}

TEST_F(Screens, WithoutStartScreenStartLeadsToTheButtonMenu) {
    gControls[kControlStartScreen] = 0;
    StartPainted();
    Click(*frame_->welcome()->startButton());
    EXPECT_EQ(Shown(), "menu World");
    EXPECT_EQ(frame_->startScreen(), nullptr);
}

TEST_F(Screens, AStartWindowMadeWithoutStartScreenLeadsToTheMenuAndNeverGoesOn) {
    gControls[kControlWelcomeScreen] = 0;
    gControls[kControlStartScreen] = 0;
    StartPainted();
    ASSERT_EQ(Shown(), "menu World");
    // As Close View makes one whatever the setting: it hands over to the menu
    // once the frame has made it its client, and arms no time-out.
    auto* start = new startWindow(frame_);
    frame_->SetClient(start);
    EXPECT_FALSE(start->timeoutRunning());
    for (ui::Message m; ui::PeekMessage(m);) ui::DispatchMessage(m);
    EXPECT_EQ(Shown(), "menu World");
    EXPECT_FALSE(start->visible());
    hl::Advance(10000);
    EXPECT_FALSE(start->timeoutRunning());
}

TEST_F(Screens, InformationOpensAHelpPageOnStartTxtWithItsNextPage) {
    TempDir::Write("START.TXT", "Press Go.\n<more \"START2.TXT\">\n");
    TempDir::Write("START2.TXT", "Second page.\n");
    StartPainted();
    Click(*frame_->welcome()->startButton());
    hl::PaintAll();
    Click(*frame_->startScreen()->informationButton());
    auto* page = dynamic_cast<myHelp*>(frame_->startScreen()->textWindow());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->text(), "Press Go.\n\n");
    ASSERT_NE(page->moreButton(), nullptr);
    Click(*page->moreButton());
    ASSERT_NE(page->followOn(), nullptr);
    EXPECT_EQ(page->followOn()->text(), "Second page.\n");
    Click(*page->backButton());
    EXPECT_EQ(frame_->startScreen()->textWindow(), nullptr);
    EXPECT_EQ(Shown(), "start");
}

TEST_F(Screens, InformationOpensStartTxtAndTheTimeOutClosesIt) {
    TempDir::Write("START.TXT", "About the replay.\n");
    StartPainted();
    Click(*frame_->welcome()->startButton());
    hl::PaintAll();
    startWindow* start = frame_->startScreen();
    Click(*start->informationButton());
    auto* page = dynamic_cast<myHelp*>(start->textWindow());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->text(), "About the replay.\n");
    hl::Advance(4000);
    EXPECT_EQ(start->textWindow(), nullptr);
    EXPECT_EQ(Shown(), "menu World");
}

TEST_F(Screens, ExitIsOfferedOnlyWithCanExitAndSendsExit) {
    struct Case {
        bool canExit;
        bool button;
    } cases[] = {{true, true}, {false, false}};
    for (const Case& c : cases) {
        gControls[kControlCanExit] = c.canExit;
        gExitButtonLabel = "Leave";
        StartPainted();
        Click(*frame_->welcome()->startButton());
        hl::PaintAll();
        startWindow* start = frame_->startScreen();
        ASSERT_EQ(start->exitButton() != nullptr, c.button) << c.canExit;
        if (c.button) {
            EXPECT_EQ(start->exitButton()->text(), "Leave");
            EXPECT_EQ(start->exitButton()->rect().width(), 8 * gScreenMetrics.aveCharWidth);
            Click(*start->exitButton());
            EXPECT_TRUE(Sent(kCmExit));
            EXPECT_EQ(gMainFrame, nullptr);  // the frame closed, and the screen with it
        }
        app_.reset();
    }
}

// ---- what the screens draw ----------------------------------------------------------

int Count(const ui::BackBuffer& b, const Rect& r, gfx::Color c) {
    int n = 0;
    for (int y = std::max(0, r.top); y < std::min(b.height(), r.bottom); ++y)
        for (int x = std::max(0, r.left); x < std::min(b.width(), r.right); ++x) n += b.At(x, y) == c;
    return n;
}

TEST_F(Screens, TheWelcomeScreenDrawsItsGradientTextsAndButton) {
    StartPainted();
    welcomeWindow* w = frame_->welcome();
    const ui::BackBuffer& b = w->backBuffer();
    const int W = b.width(), H = b.height();
    // Bright blue at the top inside the frame (stripe 1 from y 8), dark near the bottom.
    EXPECT_EQ(b.At(W - 20, 12), gfx::Color(0, 0, 254));
    EXPECT_LT(b.At(W - 20, H - 20).blue(), 40);
    EXPECT_EQ(b.At(W - 20, H - 20).red(), 0);
    const Rect all{0, 0, W, H};
    // Yellow texts, the prompt's red box, the Start button under it.
    EXPECT_GT(Count(b, all, ColorOf(14)), 1000);
    EXPECT_GT(Count(b, all, ColorOf(4)), 200);
    const Rect button = w->startButton()->rect();
    EXPECT_EQ(button.width(), 10 * gScreenMetrics.aveCharWidth);
    EXPECT_EQ((W - button.width()) / 2, button.left);
    // QUORVEL.TXT below the button, in yellow.
    EXPECT_GT(Count(b, {0, button.bottom, W, H}, ColorOf(14)), 100);
    // No resolution warning on a wide screen.
    EXPECT_EQ(Count(b, {12, button.bottom, W - 12, H - 12}, ColorOf(kWhiteColor)), 0);
}

TEST_F(Screens, AMissingWelcomeTextIsLoggedAndNothingIsDrawnThere) {
    std::remove("QUORVEL.TXT");
    StartPainted();
    welcomeWindow* w = frame_->welcome();
    const ui::BackBuffer& b = w->backBuffer();
    EXPECT_EQ(Count(b, {0, w->startButton()->rect().bottom, b.width(), b.height()}, ColorOf(14)), 0);
    const std::string log = TempDir::Read("quorvel.log");
    EXPECT_NE(log.find("quor_dir in welcome: "), std::string::npos) << log;
    EXPECT_NE(log.find("Problem opening file: quorvel.txt\n"), std::string::npos) << log;
}

TEST_F(Screens, ANarrowScreenShowsTheResolutionWarning) {
    gScreenWidth = 800;
    StartPainted();
    const ui::BackBuffer& b = frame_->welcome()->backBuffer();
    const int bh = static_cast<int>(gScreenMetrics.height * gButtonHeight);
    const Rect box{13 * gScreenMetrics.aveCharWidth, b.height() - gLargeMetrics.height - 2 * bh,
                   b.width() - 13 * gScreenMetrics.aveCharWidth, b.height() - gLargeMetrics.height};
    EXPECT_GT(Count(b, box, ColorOf(kWhiteColor)), box.width() * box.height() / 2);
    EXPECT_GT(Count(b, box, ColorOf(0)), 50);  // the warning's words
}

TEST_F(Screens, TheStartScreenStretchesItsPictureAboveTheButtons) {
    auto picture = gfx::Surface::Create(4, 2, gfx::Color(200, 40, 10));
    picture->row(0)[0] = gfx::Color(1, 2, 3).value();
    ASSERT_TRUE(gfx::SaveBmp(*picture, "START.BMP"));
    StartPainted();
    Click(*frame_->welcome()->startButton());
    hl::PaintAll();
    startWindow* start = frame_->startScreen();
    ASSERT_NE(start->picture(), nullptr);
    const ui::BackBuffer& b = start->backBuffer();
    const Rect area = start->pictureArea();
    const int bh = static_cast<int>(gScreenMetrics.height * gButtonHeight);
    EXPECT_EQ(area, (Rect{8, 8, b.width() - 8, b.height() - bh - 18}));
    // The frame's inner bevel lies over the picture's outer 3 pixels.
    EXPECT_EQ(b.At(area.left + 3, area.top + 3), gfx::Color(1, 2, 3));
    EXPECT_EQ(b.At(area.left + area.width() / 4, area.top + 3), gfx::Color(200, 40, 10));
    EXPECT_EQ(b.At(area.right - 4, area.bottom - 4), gfx::Color(200, 40, 10));
    // The bottom row: Go centred, Information at the right, both bh high.
    EXPECT_EQ(start->goButton()->rect(), (Rect{(b.width() - 90) / 2, b.height() - bh - 6, (b.width() - 90) / 2 + 90,
                                               b.height() - 6}));
    EXPECT_EQ(start->informationButton()->rect().right, b.width() - 5);
    EXPECT_EQ(b.At(b.width() / 4, b.height() - bh / 2 - 3), ColorOf(kLightGrayColor));
}

TEST_F(Screens, WithoutAPictureTheStartScreenShowsItsBackground) {
    TempDir::Write("START.BMP", "BM not a bitmap");
    StartPainted();
    Click(*frame_->welcome()->startButton());
    hl::PaintAll();
    startWindow* start = frame_->startScreen();
    EXPECT_EQ(start->picture(), nullptr);
    const ui::BackBuffer& b = start->backBuffer();
    const Rect inside = start->pictureArea().inflated(-3, -3);
    EXPECT_EQ(Count(b, inside, ColorOf(kLightGrayColor)), inside.width() * inside.height());
}

}  // namespace
