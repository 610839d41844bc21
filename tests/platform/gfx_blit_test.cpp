// Block copies with the three raster operations, and stretching images.
#include <gtest/gtest.h>

#include "gfx_pixels.h"

using namespace platform::gfx;
using namespace gfxtest;

namespace {

const Color kRed{255, 0, 0};
const Color kGreen{0, 255, 0};
const Color kBlue{0, 0, 255};
const Legend kLegend{{'.', kBlack}, {'#', kWhite}, {'r', kRed}, {'g', kGreen}, {'b', kBlue}};

std::unique_ptr<Mask> MaskFrom(const Picture& p) {
    auto m = Mask::Create(static_cast<int>(p[0].size()), static_cast<int>(p.size()));
    for (int y = 0; y < m->height(); ++y)
        for (int x = 0; x < m->width(); ++x) m->row(y)[x] = p[y][x] == '#';
    return m;
}

}  // namespace

TEST(GfxBlit, CopyBetweenSurfacesUsesTheSourceOrigin) {
    auto src = FromPicture({"rgb", "b#r"}, kLegend);
    DrawContext sdc(*src);
    sdc.SetOrigin({-1, 0});  // logical (1,0) is device (0,0)
    auto dst = Surface::Create(4, 3);
    DrawContext ddc(*dst);
    ddc.SetOrigin({1, 1});
    ddc.Blit({0, 0, 3, 2}, sdc, {1, 0}, RasterOp::Copy);
    EXPECT_TRUE(Matches(TestName(), *dst, {"....", ".rgb", ".b#r"}, kLegend));
    EXPECT_EQ(dst->damage(), (Rect{1, 1, 4, 3}));
}

TEST(GfxBlit, CopyConvertsBetweenMasksAndSurfacesByTheWhiteRule) {
    auto mask = MaskFrom({"#.#"});
    auto surf = Surface::Create(3, 1, kRed);
    DrawContext sdc(*surf);
    sdc.Blit({0, 0, 3, 1}, *mask, {0, 0}, RasterOp::Copy);
    EXPECT_TRUE(Matches(TestName() + ".to surface", *surf, {"#.#"}, kLegend));

    auto colours = FromPicture({"#rg#b"}, kLegend);
    auto out = Mask::Create(5, 1, true);
    DrawContext mdc(*out);
    mdc.Blit({0, 0, 5, 1}, *colours, {0, 0}, RasterOp::Copy);
    EXPECT_TRUE(Matches(TestName() + ".to mask", *out, {"#..#."}));
}

TEST(GfxBlit, DestinationAndNotSource) {
    auto dst = Surface::Create(2, 1, Color{0x00, 0xFF, 0x80});
    auto src = Surface::Create(2, 1, Color{0x0F, 0x0F, 0x0F});
    DrawContext dc(*dst);
    dc.Blit({0, 0, 1, 1}, *src, {0, 0}, RasterOp::DestAndNotSource);
    EXPECT_EQ(dst->At(0, 0), (Color{0x00, 0xF0, 0x80}));
    EXPECT_EQ(dst->At(1, 0), (Color{0x00, 0xFF, 0x80}));

    // A set mask bit clears a surface pixel to black and a mask bit to 0.
    auto protect = MaskFrom({".##."});
    auto colours = FromPicture({"rgbr"}, kLegend);
    DrawContext cdc(*colours);
    cdc.Blit({0, 0, 4, 1}, *protect, {0, 0}, RasterOp::DestAndNotSource);
    EXPECT_TRUE(Matches(TestName() + ".surface", *colours, {"r..r"}, kLegend));
    auto scratch = MaskFrom({"####"});
    DrawContext mdc(*scratch);
    mdc.Blit({0, 0, 4, 1}, *protect, {0, 0}, RasterOp::DestAndNotSource);
    EXPECT_TRUE(Matches(TestName() + ".mask", *scratch, {"#..#"}));
}

TEST(GfxBlit, BrushWhereTheSourceIsSet) {
    auto through = MaskFrom({"#..#", ".##."});
    auto dst = FromPicture({"gggg", "gggg"}, kLegend);
    DrawContext dc(*dst);
    dc.SetBrush(Brush::Solid(kRed));
    dc.Blit({0, 0, 4, 2}, *through, {0, 0}, RasterOp::BrushWhereSourceSet);
    EXPECT_TRUE(Matches(TestName() + ".solid", *dst, {"rggr", "grrg"}, kLegend));

    dc.SetBrush(Brush::Pattern8x8({0xF0, 0x0F, 0xF0, 0x0F, 0xF0, 0x0F, 0xF0, 0x0F}, kWhite, kBlue));
    auto all = MaskFrom({"####", "####"});
    dc.Blit({0, 0, 4, 2}, *all, {0, 0}, RasterOp::BrushWhereSourceSet);
    EXPECT_TRUE(Matches(TestName() + ".pattern", *dst, {"####", "bbbb"}, kLegend));

    dc.SetBrush(Brush::Hollow());
    dc.ClearDamage();
    dc.Blit({0, 0, 4, 2}, *all, {0, 0}, RasterOp::BrushWhereSourceSet);
    EXPECT_TRUE(dst->damage().empty());

    // A colour source counts as set where it is white.
    auto colours = FromPicture({"#r#g"}, kLegend);
    auto target = Surface::Create(4, 1);
    DrawContext tdc(*target);
    tdc.SetBrush(Brush::Solid(kBlue));
    tdc.Blit({0, 0, 4, 1}, *colours, {0, 0}, RasterOp::BrushWhereSourceSet);
    EXPECT_TRUE(Matches(TestName() + ".colour source", *target, {"b.b."}, kLegend));
}

TEST(GfxBlit, PaintingThroughAScratchMaskSparesProtectedPixels) {
    // A disc is set in a scratch mask, protected pixels are cleared from it, and
    // the brush is painted through it: nothing protected changes.
    auto protect = MaskFrom({"......", "..##..", "..##..", "......", "......", "......"});
    auto screen = Surface::Create(6, 6, kGreen);
    auto scratch = Mask::Create(6, 6);
    DrawContext sdc(*scratch);
    sdc.SetPen(Pen::Solid(kWhite));
    sdc.SetBrush(Brush::Solid(kWhite));
    sdc.Ellipse({0, 0, 6, 6});
    sdc.Blit({0, 0, 6, 6}, *protect, {0, 0}, RasterOp::DestAndNotSource);
    DrawContext dc(*screen);
    dc.SetBrush(Brush::Solid(kRed));
    dc.Blit({0, 0, 6, 6}, *scratch, {0, 0}, RasterOp::BrushWhereSourceSet);
    EXPECT_TRUE(Matches(TestName(), *screen, {"grrrrg", "rrggrr", "rrggrr", "rrrrrr", "rrrrrr", "grrrrg"}, kLegend));
}

struct EdgeCase {
    const char* name;
    Rect dest;
    Point from;
    Picture expected;
};

TEST(GfxBlit, CopiesNearEdgesClip) {
    auto src = FromPicture({"rg", "b#"}, kLegend);
    const EdgeCase cases[] = {
        {"inside", {1, 1, 3, 3}, {0, 0}, {"....", ".rg.", ".b#.", "...."}},
        {"past the target's left and top", {-1, -1, 1, 1}, {0, 0}, {"#...", "....", "....", "...."}},
        {"past the target's right and bottom", {3, 3, 5, 5}, {0, 0}, {"....", "....", "....", "...r"}},
        {"source starts before the source", {0, 0, 3, 3}, {-1, -1}, {"....", ".rg.", ".b#.", "...."}},
        {"source runs past the source", {0, 0, 4, 4}, {1, 1}, {"#...", "....", "....", "...."}},
        {"source entirely outside", {0, 0, 4, 4}, {5, 0}, {"....", "....", "....", "...."}},
        {"empty destination", {2, 2, 2, 4}, {0, 0}, {"....", "....", "....", "...."}},
    };
    for (const auto& c : cases) {
        auto dst = Surface::Create(4, 4);
        DrawContext dc(*dst);
        dc.Blit(c.dest, *src, c.from, RasterOp::Copy);
        EXPECT_TRUE(Matches(TestName() + "." + c.name, *dst, c.expected, kLegend));
    }
}

TEST(GfxBlit, OverlappingCopyWithinOneSurface) {
    auto s = FromPicture({"rgb#", "...."}, kLegend);
    DrawContext dc(*s);
    dc.Blit({1, 0, 4, 1}, dc, {0, 0}, RasterOp::Copy);
    dc.Blit({0, 1, 3, 2}, *s, {1, 0}, RasterOp::Copy);
    EXPECT_TRUE(Matches(TestName(), *s, {"rrgb", "rgb."}, kLegend));
}

TEST(GfxBlit, ClipRegionLimitsCopies) {
    auto src = Surface::Create(4, 4, kRed);
    auto dst = Surface::Create(4, 4);
    DrawContext dc(*dst);
    const Point tri[] = {{0, 0}, {4, 0}, {0, 4}};
    dc.SetClip(tri);
    dc.Blit({0, 0, 4, 4}, *src, {0, 0}, RasterOp::Copy);
    EXPECT_TRUE(Matches(TestName(), *dst, {"rrr.", "rr..", "r...", "...."}, kLegend));
}

TEST(GfxStretch, NearestPixelCentres) {
    auto img = FromPicture({"rg", "b#"}, kLegend);
    auto up = Surface::Create(4, 4);
    DrawContext dc(*up);
    dc.StretchImage({0, 0, 4, 4}, *img, img->bounds());
    EXPECT_TRUE(Matches(TestName() + ".up", *up, {"rrgg", "rrgg", "bb##", "bb##"}, kLegend));

    auto row = FromPicture({"rgb#"}, kLegend);
    auto down = Surface::Create(2, 1);
    DrawContext ddc(*down);
    ddc.StretchImage({0, 0, 2, 1}, *row, row->bounds());
    EXPECT_TRUE(Matches(TestName() + ".down", *down, {"g#"}, kLegend));

    auto part = Surface::Create(3, 2);
    DrawContext pdc(*part);
    pdc.SetOrigin({1, 0});
    pdc.StretchImage({0, 0, 2, 2}, *img, {1, 0, 3, 2});  // the right column, and beyond the image
    EXPECT_TRUE(Matches(TestName() + ".part", *part, {".g.", ".#."}, kLegend));

    // One to one under a clip: the copy keeps the clip, the origin and the image's edge.
    auto wide = FromPicture({"rgb", "b#r"}, kLegend);
    auto same = Surface::Create(4, 3);
    DrawContext sdc(*same);
    sdc.SetClip(Rect{0, 0, 3, 3});
    sdc.SetOrigin({1, 0});
    sdc.StretchImage({0, 0, 3, 2}, *wide, {1, 0, 4, 2});
    EXPECT_TRUE(Matches(TestName() + ".same", *same, {".gb.", ".#r.", "...."}, kLegend));
    EXPECT_EQ(same->damage(), (Rect{1, 0, 3, 2}));

    auto mask = Mask::Create(2, 2);
    DrawContext mdc(*mask);
    mdc.StretchImage({0, 0, 2, 2}, *img, img->bounds());
    EXPECT_TRUE(Matches(TestName() + ".mask", *mask, {"..", ".#"}));

    dc.ClearDamage();
    dc.StretchImage({0, 0, 4, 4}, *img, {0, 0, 0, 2});
    dc.StretchImage({3, 0, 1, 4}, *img, img->bounds());
    EXPECT_TRUE(up->damage().empty());
}
