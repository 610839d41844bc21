// Draws a sheet of every primitive and text feature into gfx-out/sheet.png for a
// person to look at, and checks that drawing it again gives the same pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "gfx_pixels.h"

using namespace platform::gfx;
using namespace gfxtest;

namespace {

const Color kGrey{192, 192, 192};
const Color kDark{128, 128, 128};
const Color kRed{255, 0, 0};
const Color kGreen{0, 192, 0};
const Color kBlue{0, 0, 192};
const Color kYellow{255, 255, 0};
const Color kSea{60, 65, 100};

void Label(DrawContext& dc, Point p, const std::string& text) {
    StateSaver s(dc);
    dc.SetFont(Font::Create("MS Sans Serif", 7));
    dc.SetTextColor(kBlack);
    dc.SetBackMode(BackMode::Transparent);
    dc.TextOut(p, text);
}

void Panel(DrawContext& dc, const Rect& r, const std::string& title) {
    dc.SetPen(Pen::Solid(kDark));
    dc.SetBrush(Brush::Solid(kWhite));
    dc.Rectangle(r);
    Label(dc, {r.left + 4, r.top + 2}, title);
}

void Cross(DrawContext& dc, Point p) {
    StateSaver s(dc);
    dc.SetPen(Pen::Solid(kRed));
    dc.MoveTo({p.x - 4, p.y});
    dc.LineTo({p.x + 5, p.y});
    dc.MoveTo({p.x, p.y - 4});
    dc.LineTo({p.x, p.y + 5});
}

void DrawSheet(DrawContext& dc) {
    dc.FillRect({0, 0, 960, 600}, Brush::Solid(kGrey));

    // Lines: a fan of slopes, pen widths, a dotted pen.
    Panel(dc, {10, 10, 230, 190}, "lines: fan, widths 1-6, dotted");
    for (int i = 0; i < 16; ++i) {
        double a = i * 3.14159265 / 8;
        dc.SetPen(Pen::Solid(i % 2 ? kBlue : kBlack));
        dc.MoveTo({70, 100});
        dc.LineTo({70 + static_cast<int>(std::lround(50 * std::cos(a))), 100 + static_cast<int>(std::lround(50 * std::sin(a)))});
    }
    for (int w = 1; w <= 6; ++w) {
        dc.SetPen(Pen::Solid(kGreen, w));
        dc.MoveTo({140, 25 + w * 18});
        dc.LineTo({215, 45 + w * 18});
    }
    dc.SetPen(Pen::Dotted(kBlack));
    dc.SetBackMode(BackMode::Transparent);
    dc.MoveTo({20, 175});
    dc.LineTo({220, 160});
    dc.SetBackMode(BackMode::Opaque);

    // Polylines and polygons.
    Panel(dc, {240, 10, 470, 190}, "polyline, polygons (alternate fill)");
    const Point zig[] = {{250, 60}, {275, 30}, {300, 60}, {325, 30}, {350, 60}};
    dc.SetPen(Pen::Solid(kBlue, 3));
    dc.Polyline(zig);
    const Point tri[] = {{300, 90}, {340, 170}, {260, 170}};
    dc.SetPen(Pen::Solid(kBlack));
    dc.SetBrush(Brush::Solid(kYellow));
    dc.Polygon(tri);
    Point star[5];
    for (int i = 0; i < 5; ++i) {
        double a = -3.14159265 / 2 + i * 4 * 3.14159265 / 5;
        star[i] = {410 + static_cast<int>(std::lround(50 * std::cos(a))), 120 + static_cast<int>(std::lround(50 * std::sin(a)))};
    }
    dc.SetBrush(Brush::Solid(kRed));
    dc.Polygon(star);
    dc.SetPen(Pen::None());
    dc.SetBrush(Brush::Solid(kGreen));
    const Point nopen[] = {{360, 30}, {460, 30}, {440, 60}};
    dc.Polygon(nopen);

    // Rectangles and ellipses.
    Panel(dc, {480, 10, 710, 190}, "rectangles, ellipses, bevels");
    dc.SetPen(Pen::Solid(kBlack));
    dc.SetBrush(Brush::Solid(kBlue));
    dc.Rectangle({490, 30, 540, 70});
    dc.SetBrush(Brush::Hollow());
    dc.Rectangle({550, 30, 600, 70});
    dc.SetPen(Pen::Solid(kRed, 4));
    dc.Rectangle({610, 30, 660, 70});
    dc.SetPen(Pen::Dotted(kBlack));
    dc.Rectangle({670, 30, 700, 70});
    dc.SetPen(Pen::Solid(kBlack));
    dc.SetBrush(Brush::Solid(kYellow));
    for (int r = 0; r <= 8; r += 2) dc.Ellipse({500 + r * 6 - r, 110 - r, 500 + r * 6 + r, 110 + r});
    dc.SetBrush(Brush::Hollow());
    dc.Ellipse({560, 85, 640, 135});
    dc.SetPen(Pen::Solid(kYellow, 5));
    dc.Ellipse({650, 85, 700, 135});
    // A raised bevel made of two polygons without pen, on grey.
    dc.SetPen(Pen::None());
    dc.FillRect({486, 141, 574, 184}, Brush::Solid(kGrey));
    dc.SetBrush(Brush::Solid(kWhite));
    const Point ul[] = {{490, 145}, {490, 180}, {494, 176}, {494, 149}, {566, 149}, {570, 145}, {490, 145}};
    dc.Polygon(ul);
    dc.SetBrush(Brush::Solid(kDark));
    const Point lr[] = {{570, 180}, {570, 145}, {566, 149}, {566, 176}, {494, 176}, {490, 180}, {570, 180}};
    dc.Polygon(lr);

    // Patterns, clipping, raster operations, stretching.
    Panel(dc, {720, 10, 950, 190}, "pattern, polygon clip, mask, stretch");
    {
        StateSaver s(dc);
        const Point diamond[] = {{775, 30}, {825, 80}, {775, 130}, {725, 80}};
        dc.SetClip(diamond);
        dc.ExcludeClip({765, 70, 785, 90});
        dc.FillRect({720, 20, 830, 140}, Brush::Pattern8x8({0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81}, kBlue, kWhite));
    }
    auto mask = Mask::Create(60, 60);
    {
        DrawContext mdc(*mask);
        mdc.SetPen(Pen::Solid(kWhite));
        mdc.SetBrush(Brush::Solid(kWhite));
        mdc.Ellipse({0, 0, 60, 60});
        mdc.SetTextColor(kBlack);
        mdc.SetBackMode(BackMode::Transparent);
        mdc.SetFont(Font::Create("Arial", -28, kBoldWeight));
        mdc.SetTextAlign(HAlign::Center, VAlign::Baseline);
        mdc.TextOut({30, 40}, "M");
    }
    dc.SetBrush(Brush::Solid(kRed));
    dc.Blit({850, 25, 910, 85}, *mask, {0, 0}, RasterOp::BrushWhereSourceSet);
    auto tiny = FromPicture({"rgb", "bry", "ybr"}, {{'r', kRed}, {'g', kGreen}, {'b', kBlue}, {'y', kYellow}});
    dc.StretchImage({850, 100, 940, 180}, *tiny, tiny->bounds());

    // Text: faces, alignment, backgrounds.
    Panel(dc, {10, 200, 470, 590}, "faces and heights");
    const struct {
        const char* face;
        int height;
        int weight;
    } faces[] = {{"MS Sans Serif", 7, 400},  {"MS Sans Serif", 24, 700}, {"System", 0, 400},
                 {"Arial", -12, 400},        {"Arial", 24, 400},         {"Arial bold", 24, 400},
                 {"Arial Black", 32, 400},   {"Times New Roman", -20, 400}, {"TimesRoman", 30, 700},
                 {"Courier", -13, 400}};
    int y = 222;
    for (const auto& f : faces) {
        auto font = Font::Create(f.face, f.height, f.weight);
        dc.SetFont(font);
        dc.SetTextColor(kBlack);
        dc.SetBackMode(BackMode::Transparent);
        dc.TextOut({20, y}, std::string(f.face) + " " + std::to_string(f.height) + ": caf\xe9 \x80 \x93q\x94");
        y += font ? font->metrics().height + 4 : 20;
    }

    Panel(dc, {480, 200, 950, 400}, "alignment at the red crosses; opaque and transparent");
    dc.SetFont(Font::Create("Arial", -14));
    const HAlign hs[] = {HAlign::Left, HAlign::Center, HAlign::Right};
    const VAlign vs[] = {VAlign::Top, VAlign::Baseline, VAlign::Bottom};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            Point p{560 + i * 150, 240 + j * 45};
            dc.SetTextAlign(hs[i], vs[j]);
            dc.SetBackMode(j == 1 ? BackMode::Opaque : BackMode::Transparent);
            dc.SetBackColor(kYellow);
            dc.SetTextColor(kBlue);
            dc.TextOut(p, "Quake 7.1");
            Cross(dc, p);
        }
    }
    dc.SetTextAlign(HAlign::Left, VAlign::Top);
    dc.SetFont(Font::Create("Arial", -24, kBoldWeight));
    dc.SetBackMode(BackMode::Transparent);
    dc.SetTextColor(kBlack);
    dc.TextOut({502, 367}, "Drop shadow");
    dc.SetTextColor(kWhite);
    dc.TextOut({500, 365}, "Drop shadow");

    Panel(dc, {480, 410, 950, 590}, "word wrap: left, centre, right");
    dc.SetFont(Font::Create("MS Sans Serif", 7));
    dc.SetTextColor(kBlack);
    dc.SetBackMode(BackMode::Transparent);
    const char* para = "Earthquakes are shown as dots sized by magnitude and coloured by depth; eruptions as "
                       "triangles.\nA second paragraph starts here.";
    const HAlign wraps[] = {HAlign::Left, HAlign::Center, HAlign::Right};
    for (int i = 0; i < 3; ++i) {
        Rect box{490 + i * 153, 430, 490 + i * 153 + 145, 585};
        dc.SetPen(Pen::Solid(kSea));
        dc.SetBrush(Brush::Hollow());
        Rect used = dc.MeasureWrapped(box, para, wraps[i]);
        dc.Rectangle(used.inflated(1, 1));
        dc.DrawWrapped(box, para, wraps[i]);
    }
}

}  // namespace

TEST(GfxSheet, DrawsTheSameEveryTimeAndIsWrittenForInspection) {
    auto first = Surface::Create(960, 600);
    auto second = Surface::Create(960, 600);
    ASSERT_NE(first, nullptr);
    {
        DrawContext dc(*first);
        DrawSheet(dc);
    }
    {
        DrawContext dc(*second);
        DrawSheet(dc);
    }
    EXPECT_EQ(first->damage(), first->bounds());
    EXPECT_TRUE(SameSurfaces(TestName(), *second, *first));
    std::string path = OutputDir() + "/sheet.png";
    ImageError error;
    EXPECT_TRUE(SavePng(*first, path, &error)) << error.message;
    std::printf("sheet: %s\n", path.c_str());
}
