// Lines, shapes, brushes, clipping, origin and state on tiny surfaces, pixel
// for pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "gfx_pixels.h"
#include "platform/gfx/raster.h"

using namespace platform::gfx;
using namespace gfxtest;

namespace {

const Color kRed{255, 0, 0};
const Legend kLegend{{'.', kBlack}, {'#', kWhite}, {'r', kRed}};

struct Canvas {
    std::unique_ptr<Surface> surface;
    DrawContext dc;
    Canvas(int w, int h, Color fill = kBlack) : surface(Surface::Create(w, h, fill)), dc(*surface) {
        dc.SetPen(Pen::Solid(kWhite));
        dc.SetBrush(Brush::Solid(kRed));
    }
};

}  // namespace

struct LineCase {
    const char* name;
    Point from, to;
    Picture expected;
};

TEST(GfxLine, DrawsFromTheStartAndLeavesOutTheEnd) {
    const LineCase cases[] = {
        {"right", {0, 1}, {5, 1}, {"......", "#####.", "......"}},
        {"left", {5, 1}, {0, 1}, {"......", ".#####", "......"}},
        {"down", {1, 0}, {1, 3}, {".#.", ".#.", ".#.", "..."}},
        {"shallow", {0, 0}, {6, 2}, {"##.....", "..###..", ".....#."}},
        {"shallow back", {6, 2}, {0, 0}, {".#.....", "..###..", ".....##"}},
        {"steep", {0, 0}, {2, 5}, {"#..", "#..", ".#.", ".#.", "..#", "..."}},
        {"diagonal", {3, 0}, {0, 3}, {"...#", "..#.", ".#..", "...."}},
        {"zero length", {1, 1}, {1, 1}, {"...", "...", "..."}},
    };
    for (const auto& c : cases) {
        Canvas cv(static_cast<int>(c.expected[0].size()), static_cast<int>(c.expected.size()));
        cv.dc.MoveTo(c.from);
        cv.dc.LineTo(c.to);
        EXPECT_TRUE(Matches(TestName() + "." + c.name, *cv.surface, c.expected, kLegend));
        EXPECT_EQ(cv.dc.position(), c.to) << c.name;
    }
}

TEST(GfxLine, ClippingKeepsTheUnclippedPixels) {
    // The same long lines drawn on a surface that holds them whole, seen through
    // a window at an origin, and on a small surface that clips them.
    const Point ends[][2] = {{{-1000, -300}, {1000, 307}}, {{900, -5}, {-900, 13}}, {{3, -700}, {11, 700}}};
    for (const auto& e : ends) {
        auto big = Surface::Create(2100, 1500);
        DrawContext bdc(*big);
        bdc.SetPen(Pen::Solid(kWhite));
        bdc.SetOrigin({1000, 720});
        bdc.MoveTo(e[0]);
        bdc.LineTo(e[1]);
        Canvas small(20, 10);
        small.dc.MoveTo(e[0]);
        small.dc.LineTo(e[1]);
        auto window = Surface::Create(20, 10);
        DrawContext wdc(*window);
        wdc.Blit({0, 0, 20, 10}, *big, {1000, 720}, RasterOp::Copy);
        EXPECT_TRUE(SameSurfaces(TestName(), *small.surface, *window));
    }
}

TEST(GfxLine, DottedPenAlternatesAndContinuesAlongAPolyline) {
    Canvas opaque(9, 1, kRed);
    opaque.dc.SetPen(Pen::Dotted(kWhite));
    opaque.dc.SetBackColor(kBlack);
    opaque.dc.MoveTo({0, 0});
    opaque.dc.LineTo({9, 0});
    EXPECT_TRUE(Matches(TestName() + ".opaque", *opaque.surface, {"#.#.#.#.#"}, kLegend));

    Canvas clear(9, 1, kRed);
    clear.dc.SetPen(Pen::Dotted(kWhite));
    clear.dc.SetBackMode(BackMode::Transparent);
    clear.dc.MoveTo({0, 0});
    clear.dc.LineTo({9, 0});
    EXPECT_TRUE(Matches(TestName() + ".transparent", *clear.surface, {"#r#r#r#r#"}, kLegend));

    Canvas poly(7, 1, kRed);
    poly.dc.SetPen(Pen::Dotted(kWhite));
    poly.dc.SetBackColor(kBlack);
    const Point pts[] = {{0, 0}, {3, 0}, {6, 0}};
    poly.dc.Polyline(pts);
    EXPECT_TRUE(Matches(TestName() + ".polyline", *poly.surface, {"#.#.#.r"}, kLegend));
}

TEST(GfxLine, WidePenHasRoundCapsOnBothEnds) {
    Canvas cv(11, 7);
    cv.dc.SetPen(Pen::Solid(kWhite, 5));
    cv.dc.MoveTo({3, 3});
    cv.dc.LineTo({7, 3});
    EXPECT_TRUE(Matches(TestName(), *cv.surface,
                        {"...........",
                         "..#######..",
                         ".#########.",
                         ".#########.",
                         ".#########.",
                         "..#######..",
                         "..........."},
                        kLegend));
}

TEST(GfxLine, WidePenClipsLikeTheWholeLine) {
    auto whole = Surface::Create(40, 40);
    DrawContext wdc(*whole);
    wdc.SetPen(Pen::Solid(kWhite, 4));
    const Point pts[] = {{-3, 5}, {30, 22}, {12, 38}};
    wdc.Polyline(pts);
    Canvas clipped(40, 40);
    clipped.dc.SetPen(Pen::Solid(kWhite, 4));
    clipped.dc.SetClip(Rect{10, 10, 28, 30});
    clipped.dc.Polyline(pts);
    auto expected = Surface::Create(40, 40);
    DrawContext edc(*expected);
    edc.Blit({10, 10, 28, 30}, *whole, {10, 10}, RasterOp::Copy);
    EXPECT_TRUE(SameSurfaces(TestName(), *clipped.surface, *expected));
}

TEST(GfxPolyline, JoinsWithoutGapsAndLeavesOutTheLastPoint) {
    Canvas cv(5, 4);
    const Point pts[] = {{0, 0}, {4, 0}, {4, 3}, {0, 3}};
    cv.dc.Polyline(pts);
    EXPECT_TRUE(Matches(TestName(), *cv.surface, {"#####", "....#", "....#", ".####"}, kLegend));
    Canvas one(3, 3);
    const Point single[] = {{1, 1}};
    one.dc.Polyline(single);
    EXPECT_TRUE(one.surface->damage().empty());
}

TEST(GfxRectangle, PenOnTheEdgePixelsBrushInsideHalfOpen) {
    Canvas cv(6, 5);
    cv.dc.Rectangle({1, 1, 5, 4});
    EXPECT_TRUE(Matches(TestName() + ".pen", *cv.surface, {"......", ".####.", ".#rr#.", ".####.", "......"}, kLegend));

    Canvas nopen(6, 5);
    nopen.dc.SetPen(Pen::None());
    nopen.dc.Rectangle({1, 1, 5, 4});
    EXPECT_TRUE(
        Matches(TestName() + ".no pen", *nopen.surface, {"......", ".rrrr.", ".rrrr.", ".rrrr.", "......"}, kLegend));

    Canvas hollow(4, 4);
    hollow.dc.SetBrush(Brush::Hollow());
    hollow.dc.Rectangle({0, 0, 4, 3});
    hollow.dc.Rectangle({3, 3, 4, 4});
    EXPECT_TRUE(Matches(TestName() + ".hollow", *hollow.surface, {"####", "#..#", "####", "...#"}, kLegend));
}

TEST(GfxRectangle, WidePenIsCentredOnTheEdge) {
    Canvas cv(11, 10);
    cv.dc.SetPen(Pen::Solid(kWhite, 3));
    cv.dc.Rectangle({2, 2, 9, 8});
    EXPECT_TRUE(Matches(TestName(), *cv.surface,
                        {"...........",
                         ".#########.",
                         ".#########.",
                         ".#########.",
                         ".###rrr###.",
                         ".###rrr###.",
                         ".#########.",
                         ".#########.",
                         ".#########.",
                         "..........."},
                        kLegend));
}

TEST(GfxShapes, EmptyOrInvertedBoxesDrawNothing) {
    // An inverted box is what a negative radius gives: (x - r, y - r, x + r, y + r).
    const Rect boxes[] = {{2, 2, 2, 5}, {2, 2, 5, 2}, {4, 4, 1, 1}, {5, 1, 1, 5}};
    for (const Rect& box : boxes) {
        Canvas cv(6, 6);
        cv.dc.Rectangle(box);
        cv.dc.Ellipse(box);
        cv.dc.FillRect(box, Brush::Solid(kWhite));
        EXPECT_TRUE(cv.surface->damage().empty());
    }
}

TEST(GfxEllipse, CircleOutlineAndFill) {
    Canvas cv(6, 6);
    cv.dc.Ellipse({0, 0, 6, 6});
    EXPECT_TRUE(Matches(TestName() + ".filled", *cv.surface,
                        {".####.", "#rrrr#", "#rrrr#", "#rrrr#", "#rrrr#", ".####."}, kLegend));
    Canvas flat(7, 3);
    flat.dc.SetPen(Pen::None());
    flat.dc.Ellipse({0, 0, 7, 3});
    EXPECT_TRUE(Matches(TestName() + ".flat", *flat.surface, {".rrrrr.", "rrrrrrr", ".rrrrr."}, kLegend));
    Canvas small(4, 4);
    small.dc.SetBrush(Brush::Hollow());
    small.dc.Ellipse({0, 0, 4, 4});
    EXPECT_TRUE(Matches(TestName() + ".r2 ring", *small.surface, {".##.", "#..#", "#..#", ".##."}, kLegend));
}

TEST(GfxEllipse, OutlineIsClosedAndSymmetric) {
    for (int d : {3, 8, 13, 30}) {
        Canvas cv(d, d);
        cv.dc.SetBrush(Brush::Hollow());
        cv.dc.Ellipse({0, 0, d, d});
        const Surface& s = *cv.surface;
        for (int y = 0; y < d; ++y) {
            for (int x = 0; x < d; ++x) {
                ASSERT_EQ(s.At(x, y), s.At(d - 1 - x, y)) << d;
                ASSERT_EQ(s.At(x, y), s.At(y, x)) << d;
            }
        }
        // Every outline pixel has an outline neighbour on each side of it along the ring.
        for (int y = 0; y < d; ++y) {
            for (int x = 0; x < d; ++x) {
                if (s.At(x, y) != kWhite) continue;
                int n = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if ((dx || dy) && s.Pixel({x + dx, y + dy}) == kWhite) ++n;
                EXPECT_GE(n, 2) << "diameter " << d << " at " << x << "," << y;
            }
        }
    }
}

TEST(GfxPolygon, FillsPixelCentresInsideThenOutlinesTheVertices) {
    const Point square[] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
    Canvas filled(6, 6);
    filled.dc.SetPen(Pen::None());
    filled.dc.Polygon(square);
    EXPECT_TRUE(Matches(TestName() + ".fill", *filled.surface,
                        {"rrrr..", "rrrr..", "rrrr..", "rrrr..", "......", "......"}, kLegend));
    Canvas outlined(6, 6);
    outlined.dc.Polygon(square);
    EXPECT_TRUE(Matches(TestName() + ".outline", *outlined.surface,
                        {"#####.", "#rrr#.", "#rrr#.", "#rrr#.", "#####.", "......"}, kLegend));
    const Point triangle[] = {{0, 0}, {4, 4}, {0, 4}};
    Canvas tri(4, 4);
    tri.dc.SetPen(Pen::None());
    tri.dc.Polygon(triangle);
    EXPECT_TRUE(Matches(TestName() + ".triangle", *tri.surface, {"....", "r...", "rr..", "rrr."}, kLegend));
}

TEST(GfxPolygon, AlternateRuleLeavesEvenCrossingsEmpty) {
    const Point twice[] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}, {4, 0}, {4, 4}, {0, 4}};
    Canvas doubled(4, 4);
    doubled.dc.SetPen(Pen::None());
    doubled.dc.Polygon(twice);
    EXPECT_TRUE(doubled.surface->damage().empty());
    const Point holed[] = {{0, 0}, {6, 0}, {6, 6}, {0, 6}, {0, 0}, {2, 2}, {2, 4}, {4, 4}, {4, 2}, {2, 2}};
    Canvas ring(6, 6);
    ring.dc.SetPen(Pen::None());
    ring.dc.Polygon(holed);
    EXPECT_TRUE(Matches(TestName(), *ring.surface,
                        {"rrrrrr", "rrrrrr", "rr..rr", "rr..rr", "rrrrrr", "rrrrrr"}, kLegend));
}

TEST(GfxBrush, PatternTilesFromTheDeviceOrigin) {
    Canvas cv(5, 2);
    cv.dc.SetOrigin({1, 0});
    cv.dc.FillRect({0, 0, 4, 2}, Brush::Pattern8x8({0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}, kWhite, kRed));
    EXPECT_TRUE(Matches(TestName(), *cv.surface, {".r#r#", ".#r#r"}, kLegend));
    EXPECT_EQ(Brush::Pattern(nullptr).style(), BrushStyle::Hollow);
}

TEST(GfxMask, WhiteSetsABitEveryOtherColourClearsIt) {
    const struct {
        Color color;
        bool bit;
    } cases[] = {{kWhite, true}, {Color{254, 255, 255}, false}, {Color{255, 255, 254}, false},
                 {kBlack, false}, {kRed, false}};
    for (const auto& c : cases) {
        for (bool start : {false, true}) {
            auto m = Mask::Create(3, 1, start);
            DrawContext dc(*m);
            dc.SetPixel({1, 0}, c.color);
            EXPECT_EQ(m->At(1, 0), c.bit) << c.color.value();
            EXPECT_EQ(dc.Pixel({1, 0}), c.bit ? kWhite : kBlack);
            EXPECT_EQ(m->At(0, 0), start);
        }
    }
}

TEST(GfxMask, ShapesAndPatternsFollowTheSameRule) {
    auto m = Mask::Create(6, 3);
    DrawContext dc(*m);
    dc.SetPen(Pen::Solid(kWhite));
    dc.SetBrush(Brush::Solid(kRed));  // not white: clears
    dc.FillRect({0, 0, 6, 3}, Brush::Solid(kWhite));
    dc.Rectangle({0, 0, 4, 3});
    dc.FillRect({4, 0, 6, 3}, Brush::Pattern8x8({0x08, 0x04, 0x0C, 0, 0, 0, 0, 0}, kWhite, kBlack));
    EXPECT_TRUE(Matches(TestName(), *m, {"#####.", "#..#.#", "######"}));
}

TEST(GfxClip, RectanglePolygonAndExclusion) {
    Canvas cv(6, 6);
    cv.dc.SetClip(Rect{1, 1, 4, 3});
    cv.dc.FillRect({0, 0, 6, 6}, Brush::Solid(kWhite));
    EXPECT_TRUE(Matches(TestName() + ".rect", *cv.surface,
                        {"......", ".###..", ".###..", "......", "......", "......"}, kLegend));

    Canvas poly(6, 6);
    const Point triangle[] = {{0, 0}, {6, 6}, {0, 6}};
    poly.dc.SetClip(triangle);
    poly.dc.ExcludeClip({0, 4, 2, 6});
    poly.dc.FillRect({0, 0, 6, 6}, Brush::Solid(kWhite));
    EXPECT_TRUE(Matches(TestName() + ".polygon", *poly.surface,
                        {"......", "#.....", "##....", "###...", "..##..", "..###."}, kLegend));
    EXPECT_EQ(poly.dc.clipBounds(), (Rect{0, 1, 5, 6}));
    EXPECT_FALSE(poly.dc.InClip({1, 4}));
    EXPECT_TRUE(poly.dc.InClip({2, 4}));
    EXPECT_EQ(poly.dc.Pixel({1, 4}), std::nullopt);

    Canvas intersect(6, 2);
    intersect.dc.SetClip(Rect{0, 0, 4, 2});
    intersect.dc.IntersectClip({2, 1, 6, 2});
    intersect.dc.FillRect({0, 0, 6, 2}, Brush::Solid(kWhite));
    EXPECT_TRUE(Matches(TestName() + ".intersect", *intersect.surface, {"......", "..##.."}, kLegend));
    intersect.dc.ResetClip();
    EXPECT_EQ(intersect.dc.clipBounds(), (Rect{0, 0, 6, 2}));
}

TEST(GfxClip, IsSetAtTheOriginOfTheMomentAndStaysPut) {
    Canvas cv(6, 3);
    cv.dc.SetOrigin({2, 1});
    cv.dc.SetClip(Rect{0, 0, 2, 1});  // device (2,1)-(4,2)
    EXPECT_EQ(cv.dc.clipBounds(), (Rect{0, 0, 2, 1}));
    cv.dc.SetOrigin({0, 0});
    EXPECT_EQ(cv.dc.clipBounds(), (Rect{2, 1, 4, 2}));
    cv.dc.FillRect({0, 0, 6, 3}, Brush::Solid(kWhite));
    EXPECT_TRUE(Matches(TestName(), *cv.surface, {"......", "..##..", "......"}, kLegend));
}

TEST(GfxOrigin, MovesEveryPrimitive) {
    Canvas cv(7, 5);
    cv.dc.SetOrigin({3, 2});
    cv.dc.SetPixel({0, 0}, kRed);
    cv.dc.MoveTo({-3, -2});
    cv.dc.LineTo({0, -2});
    const Point tri[] = {{1, 1}, {3, 1}, {3, 3}};
    cv.dc.SetPen(Pen::None());
    cv.dc.Polygon(tri);
    EXPECT_EQ(cv.dc.Pixel({0, 0}), kRed);
    EXPECT_TRUE(Matches(TestName(), *cv.surface, {"###....", ".......", "...r...", "....rr.", ".....r."}, kLegend));
}

TEST(GfxState, SaverRestoresEverything) {
    Canvas cv(8, 8);
    auto font = Font::FromFile(kPinnedFont, -12);
    ASSERT_NE(font, nullptr);
    {
        StateSaver saver(cv.dc);
        cv.dc.SetPen(Pen::Dotted(kRed));
        cv.dc.SetBrush(Brush::Hollow());
        cv.dc.SetFont(font);
        cv.dc.SetTextColor(kRed);
        cv.dc.SetBackColor(kRed);
        cv.dc.SetBackMode(BackMode::Transparent);
        cv.dc.SetTextAlign(HAlign::Right, VAlign::Bottom);
        cv.dc.SetOrigin({3, 3});
        cv.dc.SetClip(Rect{0, 0, 1, 1});
        cv.dc.MoveTo({5, 5});
        {
            StateSaver inner(cv.dc);
            cv.dc.SetOrigin({7, 7});
            EXPECT_EQ(cv.dc.saveDepth(), 2);
        }
        EXPECT_EQ(cv.dc.origin(), (Point{3, 3}));
    }
    EXPECT_EQ(cv.dc.saveDepth(), 0);
    EXPECT_EQ(cv.dc.pen().style, PenStyle::Solid);
    EXPECT_EQ(cv.dc.pen().color, kWhite);
    EXPECT_EQ(cv.dc.brush().style(), BrushStyle::Solid);
    EXPECT_EQ(cv.dc.font(), Font::System());
    EXPECT_EQ(cv.dc.textColor(), kBlack);
    EXPECT_EQ(cv.dc.backColor(), kWhite);
    EXPECT_EQ(cv.dc.backMode(), BackMode::Opaque);
    EXPECT_EQ(cv.dc.hAlign(), HAlign::Left);
    EXPECT_EQ(cv.dc.vAlign(), VAlign::Top);
    EXPECT_EQ(cv.dc.origin(), (Point{0, 0}));
    EXPECT_EQ(cv.dc.position(), (Point{0, 0}));
    EXPECT_EQ(cv.dc.clipBounds(), (Rect{0, 0, 8, 8}));
    cv.dc.Restore();  // unmatched: nothing happens
    EXPECT_EQ(cv.dc.saveDepth(), 0);
}

TEST(GfxPixel, SetAndGetClipToSurfaceAndClip) {
    Canvas cv(3, 3);
    cv.dc.SetPixel({-1, 0}, kWhite);
    cv.dc.SetPixel({3, 3}, kWhite);
    EXPECT_TRUE(cv.surface->damage().empty());
    cv.dc.SetPixel({2, 2}, kRed);
    EXPECT_EQ(cv.dc.Pixel({2, 2}), kRed);
    EXPECT_EQ(cv.dc.Pixel({3, 2}), std::nullopt);
    cv.dc.SetClip(Rect{0, 0, 1, 1});
    cv.dc.SetPixel({1, 1}, kWhite);
    EXPECT_EQ(cv.surface->At(1, 1), kBlack);
}

// Small boxes take their rows from a table made at the origin; anywhere else,
// odd or even, negative or near the coordinate limit, they must be the rows
// worked out for the box where it stands.
TEST(GfxEllipse, TabledRowsMatchTheExactRowsWhereverTheBoxStands) {
    using platform::gfx::detail::EllipseRow;
    using platform::gfx::detail::EllipseRowExact;
    const Point places[] = {{0, 0}, {1, 1}, {-7, 3}, {-1000001, -999}, {4096, -4095}, {(1 << 29) - 70, 5}};
    for (const Point at : places) {
        for (int w = 1; w <= 66; ++w) {
            for (int h = 1; h <= 66; h += (w % 7) + 1) {
                const Rect box{at.x, at.y, at.x + w, at.y + h};
                for (int y = box.top - 1; y <= box.bottom; ++y) {
                    const auto want = EllipseRowExact(box, y), got = EllipseRow(box, y);
                    ASSERT_TRUE(got.x0 == want.x0 && got.x1 == want.x1)
                        << w << "x" << h << " at " << at.x << "," << at.y << " row " << y << ": " << got.x0 << ".."
                        << got.x1 << " instead of " << want.x0 << ".." << want.x1;
                }
            }
        }
    }
}

// The walk along a line steps by remainders; it lands where the closed form
// puts every step, for every slope, direction and starting step.
TEST(GfxLine, SteppedWalkMatchesTheClosedForm) {
    using platform::gfx::detail::LineSteps;
    const Point starts[] = {{0, 0}, {-5, 7}, {(1 << 29) - 40, -(1 << 29) + 40}};
    for (const Point a : starts) {
        for (int dx = -37; dx <= 37; dx += 3) {
            for (int dy = -37; dy <= 37; dy += 4) {
                const LineSteps steps(a, {a.x + dx, a.y + dy});
                for (int first : {0, 1, 5}) {
                    int at = first;
                    steps.ForEach(first, steps.count() + 1, [&](int i, Point p) {
                        ASSERT_EQ(i, at++);
                        ASSERT_EQ(p, steps.At(i)) << dx << "," << dy << " step " << i;
                    });
                    EXPECT_EQ(at, std::max(first, steps.count() + 1));
                }
            }
        }
    }
}

// Row spans of small polygons (edges kept inline, stepped row to row) and
// large ones (on the heap) are the pixel centres inside by the alternate rule,
// counted crossing by crossing.
TEST(GfxPolygon, ScannedRowsAreTheCentresInsideForFewAndManyEdges) {
    using platform::gfx::detail::PolygonScan;
    using platform::gfx::detail::Span;
    auto inside = [](const std::vector<Point>& poly, int x, int y) {
        // Doubled coordinates: the centre of pixel (x, y) is (2x + 1, 2y + 1).
        const long long cx = 2LL * x + 1, cy = 2LL * y + 1;
        bool in = false;
        for (std::size_t i = 0; i < poly.size(); ++i) {
            const Point p = poly[i], q = poly[(i + 1) % poly.size()];
            const long long py = 2LL * p.y, qy = 2LL * q.y;
            if ((py <= cy) == (qy <= cy)) continue;
            // x of the crossing, doubled, is num / den: a crossing at or left of the centre counts.
            const long long num = 2LL * p.x * (qy - py) + (cy - py) * (2LL * q.x - 2LL * p.x);
            const long long den = qy - py;
            if (den > 0 ? num <= cx * den : num >= cx * den) in = !in;
        }
        return in;
    };
    std::vector<std::vector<Point>> shapes = {{{3, 1}, {12, 9}, {0, 11}}, {{0, 0}, {7, 2}, {13, 13}, {2, 9}}};
    std::vector<Point> star;
    for (int k = 0; k < 14; ++k) {
        const double a = k * 3.14159265358979 / 7, r = k % 2 ? 6 : 15;
        star.push_back({16 + static_cast<int>(std::lround(r * std::cos(a))), 16 + static_cast<int>(std::lround(r * std::sin(a)))});
    }
    shapes.push_back(star);
    for (const auto& poly : shapes) {
        const PolygonScan scan(poly);
        // Rows in order (each steps from the last) and out of order (each worked out afresh).
        std::vector<int> rows;
        for (int y = -1; y < 34; ++y) rows.push_back(y);
        for (int y = 33; y >= -1; y -= 2) rows.push_back(y);
        for (const int y : rows) {
            std::vector<Span> spans;
            scan.Row(y, spans);
            for (int x = -1; x < 34; ++x) {
                const bool got = std::any_of(spans.begin(), spans.end(), [x](Span s) { return s.x0 <= x && x < s.x1; });
                ASSERT_EQ(got, inside(poly, x, y)) << poly.size() << " points, pixel " << x << "," << y;
            }
        }
    }
}
