// The popup text windows: reading help files, sizing the window to the text,
// and paging with More... and Back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/buttons.h"
#include "app/frame.h"
#include "app/help_windows.h"
#include "core/config.h"
#include "tests/app/app_fixture.h"

namespace gfx = platform::gfx;
namespace ui = platform::ui;
namespace hl = platform::headless;
using apptest::AppTest;
using gfx::Rect;

namespace {

TEST(HelpText, PreLinesTheMoreTagAndItsFaults) {
    struct Case {
        const char* what;
        std::string file;
        std::string text;
        std::string continuation;
    } cases[] = {
        {"plain", "One\nTwo\n", "One\nTwo\n", ""},
        {"CR LF lines", "One\r\nTwo\r\n", "One\nTwo\n", ""},
        {"PRE dropped, /PRE an empty line", "<pre>\nA\n  </PRE> tail\nB", "A\n\nB\n", ""},
        {"PRE in any case, after text", "x <Pre>\nA", "A\n", ""},
        {"more tag taken out", "<more \"PAGE2.TXT\">Hello\n", "Hello\n", "PAGE2.TXT"},
        {"more in any case", "Hi <MORE \"P2.TXT\"> there\n", "Hi  there\n", "P2.TXT"},
        {"name cut to 16", "<more \"ABCDEFGHIJKLMNOPQRST.TXT\">x\n", "x\n", "ABCDEFGHIJKLMNOP"},
        {"first tag is not more", "<b> bold\n<more \"P2.TXT\">\n", "<b> bold\n<more \"P2.TXT\">\n", ""},
        {"no closing quote", "<more \"P2.TXT>rest\n", "rest\n", ""},
        {"no closing >", "Text <more \"P2.TXT\"", "Text ", "P2.TXT"},
        {"no closing > nor quote", "Text <more \"P2", "Text ", ""},
        {"empty", "", "", ""},
    };
    for (const Case& c : cases) {
        const HelpText h = ParseHelpText(c.file);
        EXPECT_EQ(h.text, c.text) << c.what;
        EXPECT_EQ(h.continuation, c.continuation) << c.what;
    }
}

TEST(HelpText, AMissingFileSaysSoWithItsWholeName) {
    TempDir dir;
    const std::string longName(150, 'K');
    EXPECT_EQ(ReadHelpText("KEY.TXT").text, "File KEY.TXT not found");
    EXPECT_EQ(ReadHelpText(longName).text, "File " + longName + " not found");
    TempDir::Write("KEY.TXT", "Red dots are shallow.\n");
    EXPECT_EQ(ReadHelpText("KEY.TXT").text, "Red dots are shallow.\n");
}

// A text of n characters 7 pixels wide and 13 high that wraps at the box's width.
Rect WrapChars(const Rect& box, int n, int charWidth = 7, int lineHeight = 13) {
    const int perLine = std::max(box.width() / charWidth, 1);
    const int lines = (n + perLine - 1) / perLine;
    return {0, 0, std::min(n, perLine) * charWidth, lines * lineHeight};
}

TEST(HelpLayout, AShortTextIsAtLeastFourThirdsAsWideAsHighAndCentred) {
    const auto measure = [](const Rect& box, bool) { return WrapChars(box, 400); };
    const HelpLayout l = LayoutHelpWindow(measure, false, [](bool) { return 13; }, {1920, 1080});
    const Rect text = l.panel.inflated(-8, -8);
    EXPECT_GE(text.width(), 4 * text.height() / 3);
    EXPECT_EQ(l.panel.topLeft(), (gfx::Point{10, 10}));
    const int height = l.panel.height() + 20;  // before the button row
    EXPECT_EQ(l.box.left, (1920 - (l.panel.width() + 20)) / 2);
    EXPECT_EQ(l.box.top, (1080 - height) / 2);
    EXPECT_EQ(l.box.height(), height + 2 * 13 + 10);
}

TEST(HelpLayout, LinesBrokenByHandEndTheWideningLoop) {
    int rounds = 0;
    // A hundred short lines: as high as they are, however wide the box.
    const auto measure = [&](const Rect&, bool) {
        ++rounds;
        return Rect{0, 0, 70, 100 * 13};
    };
    const HelpLayout l = LayoutHelpWindow(measure, false, [](bool) { return 13; }, {1920, 1080});
    EXPECT_LE(rounds, 3);
    EXPECT_EQ(l.panel.width(), 70 + 16);
    EXPECT_EQ(l.box.top, 10);  // taller than the screen: held 10 pixels from its top
}

TEST(HelpLayout, ALargeFontTooWideForTheScreenGivesWayToTheDefault) {
    // The large font's characters are twice as wide.
    const auto measure = [](const Rect& box, bool large) { return WrapChars(box, 6000, large ? 14 : 7, large ? 26 : 13); };
    const HelpLayout wide = LayoutHelpWindow(measure, true, [](bool large) { return large ? 26 : 13; }, {1024, 768});
    EXPECT_FALSE(wide.largeFont);
    const HelpLayout small = LayoutHelpWindow([](const Rect& box, bool large) { return WrapChars(box, 300, large ? 14 : 7); },
                                              true, [](bool) { return 13; }, {1024, 768});
    EXPECT_TRUE(small.largeFont);
    // Nor does the default font run off a narrow screen.
    const HelpLayout word = LayoutHelpWindow([](const Rect& box, bool) { return Rect{0, 0, std::max(box.width(), 2000), 13}; },
                                             false, [](bool) { return 13; }, {800, 600});
    EXPECT_LE(word.box.right, 800);
}

// ---- the windows on a running frame ----------------------------------------------------

class HelpWindows : public AppTest {
protected:
    HelpWindows() {
        TempDir::Write("START.TXT", "How to use the kiosk.\n<more \"START2.TXT\">\n");
        TempDir::Write("START2.TXT", "The second page.\n");
        frame_ = Start();
    }
    static void Click(ui::Window& w) {
        const ui::Point p{w.rect().width() / 2, w.rect().height() / 2};
        hl::Mouse(w, ui::MouseAction::LeftDown, p);
        hl::Mouse(w, ui::MouseAction::LeftUp, p);
    }
    myFrame* frame_ = nullptr;
};

TEST_F(HelpWindows, MoreOpensTheNextPageAndBackClosesEveryPage) {
    ASSERT_NE(frame_, nullptr);
    gTimeout = 30;
    std::vector<std::string> gone;
    myHelp* first = OpenHelpWindow(*frame_, "START.TXT");
    first->SetGoneHandler([&] { gone.push_back("first"); });
    EXPECT_EQ(first->text(), "How to use the kiosk.\n\n");
    EXPECT_EQ(frame_->inactivityCountdown(), 30u);
    ASSERT_NE(first->moreButton(), nullptr);
    Click(*first->moreButton());
    myHelp* second = first->followOn();
    ASSERT_NE(second, nullptr);
    second->SetGoneHandler([&] { gone.push_back("second"); });
    EXPECT_EQ(second->text(), "The second page.\n");
    EXPECT_EQ(second->moreButton(), nullptr);
    ASSERT_NE(second->backButton(), nullptr);
    frame_->SetInactivityCountdown(0);
    Click(*first->backButton());
    EXPECT_EQ(gone, (std::vector<std::string>{"second", "first"}));
    EXPECT_EQ(frame_->inactivityCountdown(), 30u);
}

TEST_F(HelpWindows, BackOnTheSecondPageLeavesTheFirst) {
    ASSERT_NE(frame_, nullptr);
    myHelp* first = OpenHelpWindow(*frame_, "START.TXT");
    first->CmMore();
    ASSERT_NE(first->followOn(), nullptr);
    Click(*first->followOn()->backButton());
    EXPECT_EQ(first->followOn(), nullptr);
    EXPECT_FALSE(first->destroying());
    // A click on the text closes as Back does (the window goes before the button's release).
    bool gone = false;
    first->SetGoneHandler([&] { gone = true; });
    hl::Mouse(*first, ui::MouseAction::LeftDown, {5, 5});
    EXPECT_TRUE(gone);
}

TEST_F(HelpWindows, AMissingFileShowsItsNameAndBackOnly) {
    ASSERT_NE(frame_, nullptr);
    myHelp* w = OpenHelpWindow(*frame_, "KEY.TXT");
    EXPECT_EQ(w->text(), "File KEY.TXT not found");
    EXPECT_NE(w->backButton(), nullptr);
    EXPECT_EQ(w->moreButton(), nullptr);
    EXPECT_TRUE(w->visible());
    w->Destroy();
}

TEST_F(HelpWindows, StartClosesTheInformationWindowAndSaysSo) {
    ASSERT_NE(frame_, nullptr);
    auto* info = new myInfo(frame_, "START2.TXT");
    ASSERT_TRUE(info->Create());
    bool started = false, gone = false;
    info->SetStartHandler([&] { started = true; });
    info->SetGoneHandler([&] { gone = true; });
    ASSERT_NE(info->startButton(), nullptr);
    EXPECT_TRUE(info->startButton()->hasFocus());
    Click(*info->startButton());
    EXPECT_TRUE(started);
    EXPECT_TRUE(gone);
}

}  // namespace
