#include "app/slider.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/config.h"
#include "map/draw.h"
#include "platform/gfx/image.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/ui/headless/headless.h"
#include "tests/support/face_sheet.h"

namespace gfx = platform::gfx;

namespace ui = platform::ui;
namespace hl = platform::headless;
using gfx::Point;
using gfx::Rect;
using ui::MouseAction;

namespace {

// A panel that keeps what its slider reports and steps its roller as the
// control panel does: "ms:value" for each step command.
class Panel : public ui::Window {
public:
    Panel() : Window(nullptr) { MoveWindow({0, 0, 600, 100}); }
    KESTRUNE_RESPONSE_TABLE(Panel);

    void CmDown() { Step(false); }
    void CmUp() { Step(true); }
    void Step(bool up) {
        if (up) roller->StepUp();
        else roller->StepDown();
        roller->Draw();
        char text[32];
        std::snprintf(text, sizeof text, "%u:%g", platform::Clock().TickCount() - start, *roller->value());
        seq += (seq.empty() ? "" : " ") + std::string(text);
    }

    Roller* roller = nullptr;
    std::string seq;
    std::uint32_t start = platform::Clock().TickCount();
    std::vector<int> scrolled;  // the deltas the slider reported

protected:
    void EvNotify(ui::Notification& n) override {
        if (n.id == kTimeSliderId && n.code == ui::NotifyCode::Scrolled) scrolled.push_back(n.delta);
    }
};

const ui::ResponseTable& Panel::Table() {
    using R = ui::ResponseTableOf<Panel, ui::Window>;
    static const ui::ResponseTable table = R::Build({
        R::Command(818, &Panel::CmDown),
        R::Command(817, &Panel::CmUp),
    });
    return table;
}

class SliderTest : public testing::Test {
protected:
    SliderTest() {
        ResetConfigValues();
        panel.Create();
        slider = new mySlider(&panel, kTimeSliderId, {38, 42, 338, 76});
        slider->Create();
        slider->SetRange(0, 1000);
        slider->SetTicGap(1000);
        slider->SetPosition(0);
    }
    ~SliderTest() override { ResetConfigValues(); }

    // The thumb's pixels against the bitmap's half that starts at sourceX.
    int ThumbMismatches(int sourceX) {
        const auto bmp = LoadBitmapResource(kSliderThumbBitmap);
        const Rect t = slider->thumbRect();
        int wrong = 0;
        for (int y = t.top; y < t.bottom; ++y) {
            for (int x = t.left; x < t.right; ++x) {
                wrong += slider->backBuffer().At(x, y) != bmp->At(x - t.left + sourceX, y - t.top);
            }
        }
        return wrong;
    }

    Panel panel;
    mySlider* slider = nullptr;
};

}  // namespace

// ---- the time slider --------------------------------------------------------------

TEST_F(SliderTest, ThumbPositionFollowsTheValue) {
    // 300 wide: the thumb's left edge runs over 300 - 2 * 2 - 9 = 287 pixels.
    const struct {
        int pos;
        int left;
    } cases[] = {{0, 2}, {1, 2}, {2, 3}, {500, 146}, {999, 289}, {1000, 289}, {-7, 2}, {1500, 289}};
    for (const auto& c : cases) {
        slider->SetPosition(c.pos);
        EXPECT_EQ(slider->thumbRect(), Rect::FromSize(c.left, 7, 9, 20)) << c.pos;
        EXPECT_EQ(slider->GetPosition(), std::clamp(c.pos, 0, 1000));
    }
}

TEST_F(SliderTest, ValueFollowsTheThumbPosition) {
    for (int x = 2; x <= 289; ++x) EXPECT_EQ(slider->ThumbLeftOf(slider->PositionAt(x)), x) << x;
    for (int pos = 0; pos <= 1000; ++pos) {
        EXPECT_LE(std::abs(slider->PositionAt(slider->ThumbLeftOf(pos)) - pos), 2) << pos;
    }
    EXPECT_EQ(slider->PositionAt(-40), 0);
    EXPECT_EQ(slider->PositionAt(400), 1000);
}

TEST_F(SliderTest, ThumbIsTheBitmapAndThereAreNoTicks) {
    slider->SetPosition(500);
    EXPECT_EQ(ThumbMismatches(0), 0);
    // Outside the thumb and the channel only the panel's colour.
    const Rect t = slider->thumbRect();
    int other = 0;
    for (int y = 0; y < 34; ++y) {
        for (int x = 0; x < 300; ++x) {
            if (t.contains({x, y}) || (y >= 15 && y < 19)) continue;
            other += slider->backBuffer().At(x, y) != ColorOf(kLightGrayColor);
        }
    }
    EXPECT_EQ(other, 0);
    slider->EnableWindow(false);
    slider->Invalidate();
    slider->Update();
    EXPECT_EQ(ThumbMismatches(9), 0) << "disabled: the right half";
}

TEST_F(SliderTest, DraggingTheThumb) {
    slider->SetPosition(500);
    const Rect t = slider->thumbRect();
    const Point grab{t.left + 4, 17};
    hl::Mouse(*slider, MouseAction::LeftDown, grab);
    EXPECT_TRUE(slider->dragging());
    EXPECT_EQ(ThumbMismatches(9), 0) << "dragged: the right half";
    hl::Mouse(*slider, MouseAction::Move, {grab.x + 50, 17});
    EXPECT_EQ(slider->thumbRect().left, t.left + 50);
    EXPECT_EQ(slider->GetPosition(), slider->PositionAt(t.left + 50));
    // Off the slider the capture keeps the drag, and the range holds it.
    hl::Mouse(*slider, MouseAction::Move, {grab.x + 500, 90});
    EXPECT_EQ(slider->GetPosition(), 1000);
    hl::Mouse(*slider, MouseAction::LeftUp, {grab.x - 1000, 90});
    EXPECT_FALSE(slider->dragging());
    EXPECT_EQ(slider->GetPosition(), 0);
    EXPECT_EQ(ThumbMismatches(0), 0);
    ASSERT_EQ(panel.scrolled.size(), 3u);
    EXPECT_EQ(panel.scrolled[1], 1000 - slider->PositionAt(t.left + 50));
    // Moves without a press do nothing.
    hl::Mouse(*slider, MouseAction::Move, {150, 17});
    EXPECT_EQ(slider->GetPosition(), 0);
}

TEST_F(SliderTest, ClicksBesideTheThumbPage) {
    slider->SetPosition(500);
    hl::Mouse(*slider, MouseAction::LeftDown, {280, 17});
    hl::Mouse(*slider, MouseAction::LeftUp, {280, 17});
    EXPECT_EQ(slider->GetPosition(), 700);
    hl::Mouse(*slider, MouseAction::LeftDown, {5, 17});
    EXPECT_EQ(slider->GetPosition(), 500);
    EXPECT_FALSE(slider->dragging());
    EXPECT_EQ(panel.scrolled, (std::vector<int>{200, -200}));
}

TEST_F(SliderTest, SetPositionDoesNotReport) {
    slider->SetPosition(300);
    EXPECT_TRUE(panel.scrolled.empty());
}

// ---- the spin control -------------------------------------------------------------

class RollerTest : public testing::Test {
protected:
    RollerTest() {
        ResetConfigValues();
        panel.Create();
    }
    ~RollerTest() override { ResetConfigValues(); }

    Roller* Make(double* value, std::string_view caption = "Eruption Cutoff", std::string_view format = "%2.0f") {
        auto* r = new Roller(&panel, 818, 817, 200, 54, 32, value, caption, format);
        r->limits().minimum = 0;
        r->limits().maximum = 8;
        r->limits().step = 1;
        r->Create();
        panel.roller = r;
        return r;
    }
    Panel panel;
};

TEST_F(RollerTest, Layout) {
    double v = 3;
    Roller* r = Make(&v);
    EXPECT_EQ(r->valueBox(), (Rect{218, 54, 250, 72}));
    // The box and the caption 21 pixels on, as wide as its ink: the last
    // column of the window is the panel's colour again.
    EXPECT_EQ(r->rect().left, 218);
    EXPECT_EQ(r->rect().height(), 18);
    r->Invalidate();
    r->Update();
    const ui::BackBuffer& b = r->backBuffer();
    int lastInk = -1;
    for (int x = 0; x < b.width(); ++x)
        for (int y = 0; y < b.height(); ++y)
            if (b.At(x, y) == gfx::kBlack) lastInk = x;
    EXPECT_GT(lastInk, 32 + 21 + 60);


    EXPECT_LT(lastInk, b.width() - 1) << "the caption is cut at the window's edge";
    ASSERT_NE(r->leftButton(), nullptr);
    EXPECT_EQ(r->leftButton()->parent(), &panel);
    EXPECT_EQ(r->leftButton()->rect(), Rect::FromSize(200, 54, 18, 18));
    EXPECT_EQ(r->leftButton()->id(), 818);
    EXPECT_EQ(r->leftButton()->repeatMode(), 1);
    EXPECT_EQ(r->rightButton()->rect(), Rect::FromSize(250, 54, 18, 18));
    EXPECT_EQ(r->rightButton()->id(), 817);
    EXPECT_EQ(r->rightButton()->bitmap()->At(4, 10), gfx::kBlack) << "600 points up";
    EXPECT_EQ(r->leftButton()->bitmap()->At(4, 5), gfx::kBlack) << "601 points down";
}

TEST_F(RollerTest, StepsStopAtTheirLimitTest) {
    const struct {
        double value, minimum, maximum, step;
        bool up;
        double expected;
    } cases[] = {
        {9.85, -3.9, 9.9, 0.1, true, 9.95},  // passes the maximum by less than a step
        {9.95, -3.9, 9.9, 0.1, true, 9.95},
        {9.9, -3.9, 9.9, 0.1, true, 9.9},
        {-3.9, -3.9, 9.9, 0.1, false, -3.9},  // at the minimum: nothing
        {0.05, 0, 8, 0.1, false, -0.05},
        {3, 0, 8, 1, true, 4},
        {3, 0, 8, 1, false, 2},
    };
    double v = 0;
    Roller* r = Make(&v);
    for (const auto& c : cases) {
        v = c.value;
        r->limits().minimum = c.minimum;
        r->limits().maximum = c.maximum;
        r->limits().step = c.step;
        c.up ? r->StepUp() : r->StepDown();
        EXPECT_DOUBLE_EQ(v, c.expected) << c.value << (c.up ? " up" : " down");
    }
}

TEST_F(RollerTest, CaptionAndFormatAreCut) {
    double v = 4.5;
    Roller* r = Make(&v, std::string(30, 'c'), "%3.1f...");
    EXPECT_EQ(r->limits().caption, std::string(24, 'c'));
    EXPECT_EQ(r->limits().format, "%3.1f..");
    EXPECT_EQ(r->ValueText(), "4.5..");
    const struct {
        const char* format;
        const char* text;
    } formats[] = {{"%3.1f", "4.5"}, {"%2.0f", " 4"}, {"%s", "4.5"}, {"%d", "4.5"}, {"%f%f", "4.5"},
                   {"%*f", "4.5"},   {"%lf", "4.500000"}, {"v%%%.0f", "v%4"}};
    for (const auto& f : formats) {
        r->limits().format = f.format;
        EXPECT_EQ(r->ValueText(), f.text) << f.format << ": a format for other than one double prints %g";
    }
}

TEST_F(RollerTest, HeldArrowSpinsEveryRepeat) {
    double v = 5;
    Roller* r = Make(&v);
    hl::Mouse(*r->rightButton(), MouseAction::LeftDown, {9, 9});
    hl::Advance(1500);
    hl::Mouse(*r->rightButton(), MouseAction::LeftUp, {9, 9});
    hl::Advance(1000);
    EXPECT_EQ(panel.seq, "0:6 350:7 700:8 1050:8 1400:8");
    panel.seq.clear();
    hl::Mouse(*r->leftButton(), MouseAction::LeftDown, {9, 9});
    hl::Mouse(*r->leftButton(), MouseAction::LeftUp, {9, 9});
    EXPECT_EQ(panel.seq, "2500:7");
}

TEST_F(RollerTest, ValueBoxPixels) {
    double v = 4;
    Roller* r = Make(&v);
    r->Update();
    const gfx::Surface& b = r->backBuffer();
    EXPECT_EQ(b.At(0, 0), gfx::kBlack);
    EXPECT_EQ(b.At(31, 17), gfx::kBlack);
    EXPECT_EQ(b.At(1, 1), gfx::kWhite);
    EXPECT_EQ(b.At(b.width() - 1, 0), ColorOf(kLightGrayColor)) << "the panel's colour behind the caption";
    auto ink = [&](int x0, int x1) {
        int n = 0;
        for (int y = 1; y < 17; ++y) {
            for (int x = x0; x < x1; ++x) n += b.At(x, y) == gfx::kBlack;
        }
        return n;
    };
    EXPECT_GT(ink(1, 31), 5) << "the value";
    EXPECT_GT(ink(53, b.width()), 20) << "the caption";
    const int before = ink(1, 31);
    v = 8;  // a wider figure after a step
    r->Draw();
    EXPECT_NE(ink(1, 31), before);
}

TEST_F(RollerTest, DeletingTheRollerDeletesItsArrows) {
    double v = 1;
    Roller* r = Make(&v);
    EXPECT_EQ(panel.children().size(), 3u);
    r->Destroy();
    EXPECT_TRUE(panel.children().empty());
    // The other way round: the owner deletes the arrows and then the roller.
    Make(&v);
    EXPECT_EQ(panel.children().size(), 3u);
}

// The slider at rest and dragged, and a roller, enlarged three times, for a person to look at.
TEST_F(SliderTest, WritesAPictureOfTheStates) {
    testsupport::FaceSheet sheet(320, 110, ColorOf(kLightGrayColor));
    slider->SetPosition(250);
    sheet.Put(*slider, 10, 2);
    hl::Mouse(*slider, MouseAction::LeftDown, {slider->thumbRect().left + 4, 17});
    hl::Mouse(*slider, MouseAction::Move, {200, 17});
    sheet.Put(*slider, 10, 38);
    hl::Mouse(*slider, MouseAction::LeftUp, {200, 17});
    double v = 4.5;
    auto* r = new Roller(&panel, 814, 813, 0, 0, 32, &v, "EQ Cutoff", "%3.1f");
    r->Create();
    sheet.Put(*r->leftButton(), 10, 80);
    sheet.Put(*r, 28, 80);
    sheet.Put(*r->rightButton(), 60, 80);
    EXPECT_TRUE(sheet.SaveEnlarged("slider_states.png"));
}
