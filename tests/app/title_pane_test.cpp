#include "app/title_pane.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/globals.h"
#include "app/view_open.h"
#include "core/view.h"
#include "map/draw.h"
#include "platform/gfx/font.h"
#include "tests/support/golden_png.h"

namespace gfx = platform::gfx;
namespace ui = platform::ui;
using gfx::Rect;

namespace {

constexpr const char* kBoldFace = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

class TitlePane : public testing::Test {
protected:
    TitlePane() {
        ResetViewSettings();
        gEndOfPeriodDone = false;
        gLargeFont = gfx::Font::FromFile(kBoldFace, 24, gfx::kBoldWeight);
        gLargeMetrics = gLargeFont->metrics();
        // The title strip of a 640-pixel frame beside a 124-pixel legend.
        title_ = new childTitle(&parent_);
        title_->MoveWindow({0, 0, 516, gLargeMetrics.height + 11});
        parent_.Create();
    }
    ~TitlePane() override {
        gLargeFont.reset();
        gLargeMetrics = {};
        gEndOfPeriodDone = false;
        ResetViewSettings();
    }
    std::unique_ptr<gfx::Surface> Render() const {
        auto s = gfx::Surface::Create(title_->rect().width(), title_->rect().height(), ColorOf(kWhiteColor));
        gfx::DrawContext dc(*s);
        dc.SetFont(gfx::Font::FromFile(kBoldFace, 16, gfx::kBoldWeight));
        title_->DrawTitle(dc);
        return s;
    }
    // The inside of the black box, where the text goes.
    Rect Inside() const { return {7, 7, title_->rect().width() - 7, title_->rect().height() - 7}; }

    ui::Window parent_{nullptr};
    childTitle* title_ = nullptr;
};

TEST_F(TitlePane, TitleOnWhiteAndTheClosingTitleOnYellow) {
    gViewTitle = "World earthquakes since 1900";
    gViewTitleAtEnd = "The end of the century \xe9rupted";  // Windows-1252
    const auto title = Render();
    EXPECT_TRUE(testsupport::MatchesGolden(*title, "title/title.png"));
    EXPECT_EQ(title->At(8, 8), ColorOf(kWhiteColor));

    gEndOfPeriodDone = true;
    const auto closing = Render();
    EXPECT_TRUE(testsupport::MatchesGolden(*closing, "title/closing.png"));
    EXPECT_EQ(closing->At(8, 8), ColorOf(14));

    // Reopening the view clears the flag: the normal title is back.
    gEndOfPeriodDone = false;
    EXPECT_TRUE(gfxtest::SameSurfaces(gfxtest::TestName() + ".reopened", *Render(), *title));
}

TEST_F(TitlePane, AnEmptyClosingTitleKeepsTheTitleOnWhite) {
    gViewTitle = "Japan";
    const auto before = Render();
    gEndOfPeriodDone = true;
    gViewTitleAtEnd.clear();
    EXPECT_TRUE(gfxtest::SameSurfaces(gfxtest::TestName(), *Render(), *before));
}

// A title longer than the strip stays inside the box: frame and outline as
// without a title, text up to both ends of the inside.
TEST_F(TitlePane, ALongTitleStaysInsideItsBox) {
    gViewTitle.clear();
    const auto frame = Render();
    gViewTitle = std::string(60, 'W');
    const auto longTitle = Render();
    const Rect inside = Inside();
    int leftInk = 0, rightInk = 0;
    for (int y = 0; y < frame->height(); ++y) {
        for (int x = 0; x < frame->width(); ++x) {
            if (!inside.contains({x, y})) {
                ASSERT_EQ(longTitle->At(x, y), frame->At(x, y)) << x << "," << y;
            } else if (longTitle->At(x, y) == gfx::kBlack) {
                leftInk += x < inside.left + 10;
                rightInk += x >= inside.right - 10;
            }
        }
    }
    EXPECT_GT(leftInk, 0);
    EXPECT_GT(rightInk, 0);
}

// Without the large font the title takes the pane's own font.
TEST_F(TitlePane, WithoutTheLargeFontTheContextsFont) {
    gViewTitle = "Chile";
    const auto pane = gfx::Font::FromFile(kBoldFace, 16, gfx::kBoldWeight);
    gLargeFont = pane;
    const auto withPaneFont = Render();
    gLargeFont.reset();
    EXPECT_TRUE(gfxtest::SameSurfaces(gfxtest::TestName(), *Render(), *withPaneFont));
}

// The paint handler: white, then the title; the last row and column are not framed.
TEST_F(TitlePane, PaintDrawsOnWhite) {
    gViewTitle = "Alaska";
    title_->Invalidate();
    title_->Update();
    auto expected = gfx::Surface::Create(title_->rect().width(), title_->rect().height(), ColorOf(kWhiteColor));
    gfx::DrawContext dc(*expected);
    title_->DrawTitle(dc);
    EXPECT_TRUE(gfxtest::SameSurfaces(gfxtest::TestName(), title_->backBuffer(), *expected));
    const int w = title_->rect().width(), h = title_->rect().height();
    EXPECT_EQ(title_->backBuffer().At(w - 1, h / 2), ColorOf(kWhiteColor));
    EXPECT_EQ(title_->backBuffer().At(w / 2, h - 1), ColorOf(kWhiteColor));
    EXPECT_NE(title_->backBuffer().At(w - 2, h / 2), ColorOf(kWhiteColor));  // the frame's dark edge
}

}  // namespace
