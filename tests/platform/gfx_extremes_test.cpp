// Absurd coordinates, sizes and widths: nothing may crash, overflow or hang, and
// what lies on the surface still comes out right.
#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "gfx_pixels.h"

using namespace platform::gfx;
using namespace gfxtest;

TEST(GfxExtremes, HugeCoordinatesDrawOnlyWhatIsVisible) {
    // Coordinates at the ends of the int range are held at the rasteriser's limit,
    // far outside the surface, so each shape shows exactly its part that lies here.
    const Point far[] = {{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MAX}};
    const Picture none(8, "........"), all(8, "########");
    const Picture diagonal = {"#.......", ".#......", "..#.....", "...#....",
                              "....#...", ".....#..", "......#.", ".......#"};
    Picture corner = none;
    corner[0] = "###.....";
    Picture allButTop = all;
    allButTop[0] = "........";
    struct Case {
        const char* name;
        std::function<void(DrawContext&)> draw;
        Picture expected;
    };
    const Case cases[] = {
        {"line", [&](DrawContext& dc) { dc.MoveTo(far[0]); dc.LineTo(far[2]); }, diagonal},
        {"polyline", [&](DrawContext& dc) { dc.Polyline(far); }, none},  // every edge lies outside
        {"polygon", [&](DrawContext& dc) { dc.Polygon(far); }, all},
        {"ellipse", [](DrawContext& dc) { dc.Ellipse({INT_MIN, INT_MIN, INT_MAX, INT_MAX}); }, all},
        {"ellipse far off", [](DrawContext& dc) { dc.Ellipse({INT_MAX - 9, 0, INT_MAX, 8}); }, none},
        {"rectangle", [](DrawContext& dc) { dc.Rectangle({INT_MIN, INT_MIN, INT_MAX, INT_MAX}); }, all},
        {"pixel past a far origin",
         [](DrawContext& dc) {
             dc.SetOrigin({INT_MAX, INT_MIN});
             dc.SetPixel({INT_MAX, INT_MAX}, kWhite);
         },
         none},
        {"fill past a far origin",  // device rectangles are exact: (-1, -1) to (3, 1)
         [](DrawContext& dc) {
             dc.SetOrigin({INT_MAX, INT_MAX});
             dc.FillRect({INT_MIN, INT_MIN, INT_MIN + 4, INT_MIN + 2}, Brush::Solid(kWhite));
         },
         corner},
        {"clip to a huge polygon less a huge row",
         [&](DrawContext& dc) {
             dc.SetClip(far);
             dc.ExcludeClip({INT_MIN, 0, INT_MAX, 1});
             dc.FillRect({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, Brush::Solid(kWhite));
         },
         allButTop},
        {"clip to a huge polygon past a far origin",
         [&](DrawContext& dc) {
             dc.SetOrigin({INT_MAX, INT_MIN});
             dc.SetClip(far);
             dc.SetOrigin({0, 0});
             dc.FillRect({0, 0, 8, 8}, Brush::Solid(kWhite));
         },
         none},
    };
    for (const Case& c : cases) {
        auto s = Surface::Create(8, 8);
        DrawContext dc(*s);
        dc.SetPen(Pen::Solid(kWhite));
        dc.SetBrush(Brush::Solid(kWhite));
        c.draw(dc);
        EXPECT_TRUE(Matches(TestName() + "." + c.name, *s, c.expected, kBlackWhite)) << c.name;
    }
}

TEST(GfxExtremes, FarAwayRectanglesKeepTheirOffsets) {
    // A copy whose destination starts far to the left still lines up its visible part.
    auto src = FromPicture({"#."}, kBlackWhite);
    auto dst = Surface::Create(2, 1);
    DrawContext dc(*dst);
    dc.Blit({INT_MIN, 0, 2, 1}, *src, {INT_MIN + 2000000000, 0}, RasterOp::Copy);
    EXPECT_TRUE(dst->damage().empty());  // the source lies far outside itself there
    dc.Blit({-1000000000, 0, 2, 1}, *src, {-1000000000, 0}, RasterOp::Copy);
    EXPECT_TRUE(Matches(TestName(), *dst, {"#."}, kBlackWhite));
    dc.FillRect({INT_MIN, 0, 1, 1}, Brush::Solid(kBlack));
    EXPECT_TRUE(Matches(TestName() + ".fill", *dst, {".."}, kBlackWhite));
    dc.StretchImage({INT_MIN, 0, INT_MAX, 1}, *src, src->bounds());
    dc.StretchImage({0, 0, 2, 1}, *src, {INT_MIN, 0, INT_MAX, 1});
}

TEST(GfxExtremes, AbsurdPenWidthsAndFontHeights) {
    auto s = Surface::Create(16, 16);
    DrawContext dc(*s);
    dc.SetPen(Pen::Solid(kWhite, INT_MAX));
    dc.MoveTo({2, 2});
    dc.LineTo({3, 3});
    dc.Ellipse({4, 4, 8, 8});
    EXPECT_EQ(s->damage(), s->bounds());
    dc.SetPen(Pen::Solid(kWhite, INT_MIN));
    dc.LineTo({9, 9});
    for (int h : {INT_MIN, INT_MAX, -100000, 100000}) {
        auto f = Font::Create("Arial", h);
        ASSERT_NE(f, nullptr) << h;
        EXPECT_LE(f->metrics().height, 4096) << h;
        dc.SetFont(f);
        dc.TextOut({0, 0}, "W");
    }
}
