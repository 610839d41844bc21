#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "map/draw.h"

namespace gfx = platform::gfx;

namespace {

using gfx::Color;
using gfx::Point;
using gfx::Rect;

std::shared_ptr<const gfx::Font> TestFont(int height = -12) {
    return gfx::Font::FromFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", height);
}

std::unique_ptr<gfx::Surface> Blank(int w, int h, Color c = gfx::kBlack) { return gfx::Surface::Create(w, h, c); }

bool SamePixels(const gfx::Surface& a, const gfx::Surface& b) {
    if (a.size() != b.size()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.At(x, y) != b.At(x, y)) return false;
    return true;
}

// The pixels that differ from the background, as a box (empty when none).
Rect Inked(const gfx::Surface& s, Color background) {
    Rect r;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (s.At(x, y) != background) r = r.united({x, y, x + 1, y + 1});
    return r;
}

int Count(const gfx::Surface& s, Color c) {
    int n = 0;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) n += s.At(x, y) == c;
    return n;
}

}  // namespace

TEST(ColorTable, TwentyFixedColoursAndClamping) {
    EXPECT_EQ(gColorTable[1], Color(0, 0, 192));
    EXPECT_EQ(gColorTable[7], Color(192, 192, 192));
    EXPECT_EQ(gColorTable[15], gfx::kWhite);
    EXPECT_EQ(gColorTable[17], Color(210, 199, 150));
    EXPECT_EQ(gColorTable[18], Color(176, 142, 2));
    EXPECT_EQ(gColorTable[kGridColor], Color(60, 65, 100));
    EXPECT_EQ(ColorOf(-5), gColorTable[0]);
    EXPECT_EQ(ColorOf(400), gColorTable[19]);
}

TEST(Primitives, LineToMovesWithColourZero) {
    auto s = Blank(10, 10, gfx::kWhite);
    gfx::DrawContext dc(*s);
    dc.SetPen(gfx::Pen::Solid(gColorTable[4], 3));
    DrawLineTo(dc, 2, 2, 0, 1);       // a move: nothing drawn
    DrawLineTo(dc, 8, 2, 12, 1);      // light red
    DrawLineTo(dc, 8, 8, 0, 1);       // black cannot be drawn: a move again
    DrawLineTo(dc, 2, 8, 14, 1);
    EXPECT_EQ(Count(*s, gfx::kBlack), 0);
    for (int x = 2; x < 8; ++x) EXPECT_EQ(s->At(x, 2), gColorTable[12]) << x;
    for (int x = 3; x <= 8; ++x) EXPECT_EQ(s->At(x, 8), gColorTable[14]) << x;
    EXPECT_EQ(s->At(8, 5), gfx::kWhite);
    EXPECT_EQ(dc.pen().width, 3);  // the caller's pen is back
    EXPECT_EQ(dc.position(), (Point{2, 8}));
}

TEST(Primitives, PolygonPolylineAndPixels) {
    auto s = Blank(8, 8);
    gfx::DrawContext dc(*s);
    const Point square[] = {{1, 1}, {6, 1}, {6, 6}, {1, 6}};
    DrawPolygon(dc, square, 15, 2);
    EXPECT_EQ(s->At(1, 1), gfx::kWhite);  // outline
    EXPECT_EQ(s->At(3, 3), gColorTable[2]);
    EXPECT_EQ(s->At(0, 0), gfx::kBlack);
    const Point line[] = {{0, 7}, {7, 7}};
    DrawPolyline(dc, line, 9, 1);
    EXPECT_EQ(s->At(0, 7), gColorTable[9]);
    SetPixelColour(dc, 7, 0, 13);
    EXPECT_EQ(s->At(7, 0), gColorTable[13]);
    SetPixelColour(dc, 70, 0, 13);  // outside: ignored
}

TEST(Dots, RadiusStyleAndNegativeRadius) {
    auto s = Blank(21, 21);
    gfx::DrawContext dc(*s);
    DrawDot(dc, nullptr, 10, 10, 0, gColorTable[14], gColorTable[12], 1);
    EXPECT_EQ(Count(*s, gColorTable[14]), 1);
    EXPECT_EQ(s->At(10, 10), gColorTable[14]);

    auto filled = Blank(21, 21), ring = Blank(21, 21);
    gfx::DrawContext f(*filled), r(*ring);
    DrawDot(f, nullptr, 10, 10, 6, gColorTable[14], gColorTable[12], 1);
    DrawDot(r, nullptr, 10, 10, 6, gColorTable[14], gColorTable[12], 3);
    EXPECT_EQ(filled->At(10, 10), gColorTable[12]);
    EXPECT_EQ(ring->At(10, 10), gfx::kBlack);
    EXPECT_EQ(Count(*ring, gColorTable[14]), Count(*filled, gColorTable[14]));  // the same outline
    EXPECT_EQ(Inked(*filled, gfx::kBlack), (Rect{4, 4, 16, 16}));

    auto none = Blank(21, 21);
    gfx::DrawContext n(*none);
    DrawDot(n, nullptr, 10, 10, -3, gColorTable[14], gColorTable[12], 2);
    EXPECT_EQ(Count(*none, gfx::kBlack), 21 * 21);
}

TEST(Dots, ProtectionMaskIsNeverPaintedOver) {
    auto plain = Blank(30, 30);
    gfx::DrawContext p(*plain);
    DrawDot(p, nullptr, 15, 15, 8, gColorTable[14], gColorTable[12], 2);

    for (int style : {1, 2, 3}) {
        SCOPED_TRACE(style);
        auto s = Blank(30, 30);
        auto m = gfx::Mask::Create(30, 30);
        gfx::DrawContext dc(*s), mdc(*m);
        mdc.FillRect({0, 0, 15, 30}, gfx::Brush::Solid(gfx::kWhite));  // the left half holds a label
        DrawDot(dc, &mdc, 15, 15, 8, gColorTable[14], gColorTable[12], style);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 15; ++x) ASSERT_EQ(s->At(x, y), gfx::kBlack) << x << "," << y;
        // Outside the protected half: the outline, and the fill only for style 2.
        EXPECT_EQ(s->At(20, 15), style == 2 ? gColorTable[12] : gfx::kBlack);
        for (int y = 0; y < 30; ++y)
            for (int x = 15; x < 30; ++x)
                if (plain->At(x, y) == gColorTable[14]) {
                    EXPECT_EQ(s->At(x, y), gColorTable[14]) << x << "," << y;
                }
    }
}

TEST(Text, MeasuringLeavesTheSurfaceAlone) {
    auto font = TestFont();
    ASSERT_NE(font, nullptr);
    auto s = Blank(200, 80);
    gfx::DrawContext dc(*s);
    Rect measured = DrawJustifiedText(dc, 100, 40, font, "Kobe 1995", kNoColor, kNoColor, HJust::Center, VJust::Center);
    EXPECT_EQ(Count(*s, gfx::kBlack), 200 * 80);
    EXPECT_FALSE(measured.empty());
    Rect drawn = DrawJustifiedText(dc, 100, 40, font, "Kobe 1995", 15, kNoColor, HJust::Center, VJust::Center);
    EXPECT_EQ(measured, drawn);
}

TEST(Text, EveryJustificationInkStaysNearItsBox) {
    auto font = TestFont();
    const int a = font->metrics().ascent;
    for (int h = 0; h < 3; ++h) {
        for (int v = 0; v < 3; ++v) {
            for (int shadow : {0, 2}) {
                SCOPED_TRACE(testing::Message() << "h " << h << " v " << v << " shadow " << shadow);
                auto s = Blank(240, 120);
                gfx::DrawContext dc(*s);
                Rect box = DrawJustifiedText(dc, 120, 60, font, "Mw 9.1\\nSumatra", 14, kNoColor, HJust(h), VJust(v),
                                             shadow, 4);
                Rect ink = Inked(*s, gfx::kBlack);
                ASSERT_FALSE(ink.empty());
                // The box is the measured cells less a/8 on every side; the left
                // edge of left-justified text sits half a character in.
                Rect allowed = box.inflated(a / 8 + 1, a / 8 + 1);
                allowed.right += font->metrics().aveCharWidth;
                EXPECT_GE(ink.left, allowed.left);
                EXPECT_GE(ink.top, allowed.top);
                EXPECT_LE(ink.right, allowed.right);
                EXPECT_LE(ink.bottom, allowed.bottom);
                // Justification moves the text the right way.
                if (h == 0) {
                    EXPECT_GE(ink.left, 120);
                }
                if (h == 2) {
                    EXPECT_LE(ink.right, 121);
                }
                if (v == 2) {
                    EXPECT_GE(ink.top, 60);
                }
                if (v == 0) {
                    EXPECT_LT(ink.top, 60);  // the first line ends at y
                }
            }
        }
    }
}

TEST(Text, TypedNewlineBreaksLines) {
    auto font = TestFont();
    auto s = Blank(100, 100);
    gfx::DrawContext dc(*s);
    Rect one = DrawJustifiedText(dc, 10, 10, font, "A", kNoColor, kNoColor, HJust::Left, VJust::Top);
    Rect two = DrawJustifiedText(dc, 10, 10, font, "A\\nB", kNoColor, kNoColor, HJust::Left, VJust::Top);
    const gfx::TextMetrics m = font->metrics();
    EXPECT_EQ(two.top, one.top);
    EXPECT_EQ(two.bottom - one.bottom, m.height + m.externalLeading);
    // A real newline character is not a break.
    Rect real = DrawJustifiedText(dc, 10, 10, font, "A\nB", kNoColor, kNoColor, HJust::Left, VJust::Top);
    EXPECT_EQ(real.bottom, one.bottom);
}

TEST(Text, OpaqueBackgroundAndStateRestored) {
    auto font = TestFont();
    auto s = Blank(120, 40);
    gfx::DrawContext dc(*s);
    dc.SetTextColor(gColorTable[3]);
    dc.SetBackMode(gfx::BackMode::Transparent);
    DrawJustifiedText(dc, 5, 5, font, "On red", 15, 4, HJust::Left, VJust::Top);
    EXPECT_GT(Count(*s, gColorTable[4]), 0);
    EXPECT_EQ(dc.textColor(), gColorTable[3]);
    EXPECT_EQ(dc.backMode(), gfx::BackMode::Transparent);
    EXPECT_EQ(dc.font(), gfx::Font::System());  // no font given: the stock font stays
}

TEST(Text, LabelsFormatTheirNumbers) {
    auto font = TestFont();
    struct Case {
        double value;
        bool latitude;
        const char* text;
    } cases[] = {{-12.5, true, "12.5S"}, {0, false, "0"}, {140, false, "140E"}, {-75.25, false, "75.25W"},
                 {45, true, "45N"}};
    for (const Case& c : cases) {
        auto got = Blank(120, 30), want = Blank(120, 30);
        gfx::DrawContext g(*got), w(*want);
        DrawLatLonLabel(g, 60, 15, font, c.value, HJust::Center, VJust::Center, 15, c.latitude);
        DrawJustifiedText(w, 60, 15, font, c.text, 15, kNoColor, HJust::Center, VJust::Center);
        EXPECT_TRUE(SamePixels(*got, *want)) << c.text;
    }
    auto got = Blank(120, 30), want = Blank(120, 30);
    gfx::DrawContext g(*got), w(*want);
    DrawNumberLabel(g, 5, 5, font, 2.5e-7, HJust::Left, VJust::Top, 15);
    DrawJustifiedText(w, 5, 5, font, "2.5e-07", 15, kNoColor, HJust::Left, VJust::Top);
    EXPECT_TRUE(SamePixels(*got, *want));
}

TEST(Clipping, ClipToRectAndSavedOrigin) {
    auto s = Blank(20, 20);
    gfx::DrawContext dc(*s);
    dc.SetOrigin({3, 3});
    ClipToRect(dc, 5, 5, 15, 15, true);
    EXPECT_EQ(dc.origin(), (Point{5, 5}));
    dc.FillRect({-10, -10, 50, 50}, gfx::Brush::Solid(gfx::kWhite));
    EXPECT_EQ(Inked(*s, gfx::kBlack), (Rect{5, 5, 15, 15}));
    SaveViewportOrigin(dc);
    ClipToRect(dc, 1, 2, 3, 4, false);
    EXPECT_EQ(dc.origin(), (Point{1, 2}));
    RestoreViewportOrigin(dc);
    EXPECT_EQ(dc.origin(), (Point{5, 5}));
}

TEST(Bevels, RaisedSunkenAndBands) {
    auto s = Blank(20, 20, gColorTable[1]);
    gfx::DrawContext dc(*s);
    DrawBevelFrame(dc, {0, 0, 20, 20}, kLightGrayColor, false, 2, 0);
    EXPECT_EQ(s->At(0, 0), gfx::kWhite);
    EXPECT_EQ(s->At(1, 10), gfx::kWhite);
    EXPECT_EQ(s->At(19, 19), gColorTable[8]);
    EXPECT_EQ(s->At(18, 10), gColorTable[8]);
    EXPECT_EQ(s->At(10, 10), gColorTable[7]);

    auto t = Blank(20, 20, gColorTable[1]);
    gfx::DrawContext tc(*t);
    DrawBevelFrame(tc, {0, 0, 20, 20}, 12, true, 2, 3);
    EXPECT_EQ(t->At(1, 10), gColorTable[8]);   // sunken: dark at the upper left
    EXPECT_EQ(t->At(18, 10), gfx::kWhite);
    EXPECT_EQ(t->At(2, 10), gColorTable[12]);  // the band inside the bevel
    EXPECT_EQ(t->At(16, 10), gColorTable[12]);
    EXPECT_EQ(t->At(10, 10), gColorTable[1]);  // with a band the inside is not filled

    auto u = Blank(30, 30, gColorTable[1]);
    gfx::DrawContext uc(*u);
    DrawDoubleBevelFrame(uc, {0, 0, 30, 30}, 2, 3);
    EXPECT_EQ(u->At(3, 15), gColorTable[7]);
    EXPECT_EQ(u->At(5, 15), gColorTable[8]);   // inner frame sunken
    EXPECT_EQ(u->At(15, 15), gColorTable[1]);
}

TEST(Extremes, MaskedDotsDrawTheirVisiblePartAsUnmaskedOnesDo) {
    // With nothing protected, a masked style 2 dot is the filled dot with its outline.
    struct Case {
        int x, y, r;
    } cases[] = {
        {15, 15, 8},   {0, 0, 20},      {-100, 15, 110},     {15, 15, 8000},
        {15, 15, 8192}, {15, 15, 1 << 20}, {INT_MAX, 0, INT_MAX}, {INT_MIN, INT_MIN, INT_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " r " << c.r);
        auto plain = Blank(30, 30), masked = Blank(30, 30);
        auto m = gfx::Mask::Create(30, 30);
        gfx::DrawContext p(*plain), dc(*masked), mdc(*m);
        DrawDot(p, nullptr, c.x, c.y, c.r, gColorTable[14], gColorTable[12], 1);
        DrawDot(dc, &mdc, c.x, c.y, c.r, gColorTable[14], gColorTable[12], 2);
        EXPECT_TRUE(SamePixels(*plain, *masked));
    }
    auto s = Blank(30, 30);
    gfx::DrawContext dc(*s);
    DrawDot(dc, nullptr, 15, 15, 8192, gColorTable[14], gColorTable[12], 1);
    EXPECT_EQ(Count(*s, gColorTable[12]), 30 * 30);  // the surface lies inside the disc
}

TEST(Extremes, TextBoxesFarAwaySaturate) {
    auto font = TestFont();
    auto s = Blank(40, 40);
    gfx::DrawContext dc(*s);
    const long long anchors[][2] = {{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MAX, INT_MIN}, {INT_MIN, 0}};
    auto sat = [](long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); };
    for (int h = 0; h < 3; ++h) {
        for (int v = 0; v < 3; ++v) {
            // The box moves with its anchor, held to the int range where it leaves it.
            const Rect near = DrawJustifiedText(dc, 0, 0, font, "Mw 9.1\\nSumatra", kNoColor, kNoColor, HJust(h),
                                                VJust(v), 3, 4);
            for (const auto& a : anchors) {
                SCOPED_TRACE(testing::Message() << "h " << h << " v " << v << " at " << a[0] << "," << a[1]);
                const Rect want{sat(near.left + a[0]), sat(near.top + a[1]), sat(near.right + a[0]),
                                sat(near.bottom + a[1])};
                EXPECT_EQ(DrawJustifiedText(dc, int(a[0]), int(a[1]), font, "Mw 9.1\\nSumatra", 15, 2, HJust(h),
                                            VJust(v), 3, 4),
                          want);
            }
        }
    }
    EXPECT_EQ(Count(*s, gfx::kBlack), 40 * 40);  // nothing of it lands here
}

TEST(Extremes, BevelFramesWithHugeBandsOrEdges) {
    // A band wider than the frame fills all inside the bevel.
    auto s = Blank(20, 20, gColorTable[1]);
    gfx::DrawContext dc(*s);
    DrawBevelFrame(dc, {2, 2, 18, 18}, 12, false, 2, INT_MAX);
    EXPECT_EQ(Inked(*s, gColorTable[1]), (Rect{2, 2, 18, 18}));
    EXPECT_EQ(Count(*s, gColorTable[12]), 12 * 12);

    // Frames whose edges lie at the ends of the int range draw only what lies here.
    auto t = Blank(20, 20, gColorTable[1]);
    gfx::DrawContext tc(*t);
    DrawBevelFrame(tc, {-10, INT_MAX - 10, 30, INT_MAX}, 12, true, 4, 8);
    EXPECT_EQ(Count(*t, gColorTable[1]), 20 * 20);
    DrawBevelFrame(tc, {INT_MIN, INT_MIN, INT_MIN + 10, INT_MIN + 3}, 12, false, INT_MAX, INT_MAX);
    EXPECT_EQ(Count(*t, gColorTable[1]), 20 * 20);
    DrawDoubleBevelFrame(tc, {INT_MIN, INT_MIN, INT_MIN + 10, INT_MIN + 10}, INT_MAX, INT_MAX);
    EXPECT_EQ(Count(*t, gColorTable[1]), 20 * 20);
    // Bevels wider than their frame reach far out; the sanitizer build checks the arithmetic.
    DrawDoubleBevelFrame(tc, {INT_MAX - 10, INT_MAX - 10, INT_MAX, INT_MAX}, INT_MAX, INT_MAX);
}
