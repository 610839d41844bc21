// Fonts, metrics and text drawing. Metric and pixel cases pin one font file
// (Liberation Sans, from fonts-liberation2) and the layer's fixed FreeType flags.
#include <gtest/gtest.h>

#include <filesystem>

#include "gfx_pixels.h"

using namespace platform::gfx;
using namespace gfxtest;

namespace {

const Color kRed{255, 0, 0};
const Legend kLegend{{'.', kBlack}, {'#', kWhite}, {'r', kRed}};

std::string Base(const std::shared_ptr<const Font>& f) {
    return f ? std::filesystem::path(f->file()).filename().string() : "(none)";
}

}  // namespace

TEST(GfxFont, MetricsFollowTheWindowsHeightRule) {
    // Liberation Sans: 2048 units per em, win ascent 1854, win descent 434,
    // average width 1187, line gap 67 (hhea and win spans equal).
    const struct {
        int height;
        TextMetrics m;
    } cases[] = {
        // Negative: the em is 12 pixels; ascent round(10.86), descent round(2.54).
        {-12, {.height = 14, .ascent = 11, .descent = 3, .internalLeading = 2, .externalLeading = 0, .aveCharWidth = 7}},
        // Positive: the cell is 20 pixels, split by the win ratio; em round(17.9) = 18.
        {20, {.height = 20, .ascent = 16, .descent = 4, .internalLeading = 2, .externalLeading = 1, .aveCharWidth = 10}},
        {-31, {.height = 35, .ascent = 28, .descent = 7, .internalLeading = 4, .externalLeading = 1, .aveCharWidth = 18}},
        // Zero: a 16-pixel cell; em round(14.3) = 14, so the line gap rounds to 0.
        {0, {.height = 16, .ascent = 13, .descent = 3, .internalLeading = 2, .externalLeading = 0, .aveCharWidth = 8}},
    };
    for (const auto& c : cases) {
        auto f = Font::FromFile(kPinnedFont, c.height);
        ASSERT_NE(f, nullptr) << kPinnedFont;
        const TextMetrics& m = f->metrics();
        EXPECT_EQ(m.height, c.m.height) << c.height;
        EXPECT_EQ(m.ascent, c.m.ascent) << c.height;
        EXPECT_EQ(m.descent, c.m.descent) << c.height;
        EXPECT_EQ(m.internalLeading, c.m.internalLeading) << c.height;
        EXPECT_EQ(m.externalLeading, c.m.externalLeading) << c.height;
        EXPECT_EQ(m.aveCharWidth, c.m.aveCharWidth) << c.height;
    }
}

TEST(GfxFont, PlatformFaceNamesMapToInstalledFaces) {
    const struct {
        const char* face;
        int weight;
        const char* file;
    } cases[] = {
        {"Arial", 400, "LiberationSans-Regular.ttf"},
        {"arial", 700, "LiberationSans-Bold.ttf"},
        {"Arial bold", 400, "LiberationSans-Bold.ttf"},
        {"Arial Black", 400, "LiberationSans-Bold.ttf"},
        {"Times New Roman", 400, "LiberationSerif-Regular.ttf"},
        {"TimesRoman", 700, "LiberationSerif-Bold.ttf"},
        {"Courier", 400, "LiberationMono-Regular.ttf"},
        {"MS Sans Serif", 400, "DejaVuSans.ttf"},
        {"ms sans serif", 700, "DejaVuSans-Bold.ttf"},
        {"System", 400, "DejaVuSans-Bold.ttf"},
        {"system", 400, "DejaVuSans-Bold.ttf"},
    };
    for (const auto& c : cases) EXPECT_EQ(Base(Font::Create(c.face, -12, c.weight)), c.file) << c.face;
    // An unknown face still gives a font: fontconfig's nearest.
    EXPECT_NE(Font::Create("No Such Face At All", -12), nullptr);
    // The family a font chooser is started on.
    EXPECT_EQ(platform::gfx::DrawingFamily("Arial"), "Liberation Sans");
    EXPECT_EQ(platform::gfx::DrawingFamily(" ms sans serif "), "DejaVu Sans");
    EXPECT_EQ(platform::gfx::DrawingFamily(" Noto Serif"), "Noto Serif");
}

TEST(GfxFont, RasterFacesSnapToTheirCellHeights) {
    const struct {
        const char* face;
        int height;
        int cell;
    } cases[] = {
        {"MS Sans Serif", 7, 13},  {"MS Sans Serif", -8, 13}, {"MS Sans Serif", 13, 13},
        {"MS Sans Serif", 22, 20}, {"MS Sans Serif", 24, 24}, {"MS Sans Serif", 100, 37},
        {"System", 0, 16},         {"System", 40, 16},        {"System", -9, 16},
    };
    for (const auto& c : cases) {
        auto f = Font::Create(c.face, c.height);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->metrics().height, c.cell) << c.face << " " << c.height;
    }
    // Scalable faces are not snapped.
    EXPECT_EQ(Font::Create("Arial", 7)->metrics().height, 7);
}

TEST(GfxFont, KeepsTheRequestAsGiven) {
    auto f = Font::Create("Arial", -27, 700);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->face(), "Arial");
    EXPECT_EQ(f->height(), -27);
    EXPECT_EQ(f->weight(), 700);
    EXPECT_EQ(Font::FromFile("/no/such/font.ttf", 12), nullptr);
    EXPECT_EQ(Font::FromFile(std::string(KESTRUNE_FIXTURES) + "/gfx/grey16.png", 12), nullptr);
}

TEST(GfxFont, ContextsStartWithTheSystemFont) {
    auto s = Surface::Create(1, 1);
    DrawContext dc(*s);
    ASSERT_NE(Font::System(), nullptr);
    EXPECT_EQ(dc.font(), Font::System());
    EXPECT_EQ(dc.textMetrics().height, 16);
    dc.SetFont(Font::FromFile(kPinnedFont, -12));
    dc.SetFont(nullptr);
    EXPECT_EQ(dc.font(), Font::System());
}

TEST(GfxText, GlyphPixelsArePinned) {
    auto s = Surface::Create(9, 11);
    DrawContext dc(*s);
    dc.SetFont(Font::FromFile(kPinnedFont, -12));
    dc.SetTextColor(kWhite);
    dc.SetBackMode(BackMode::Transparent);
    dc.SetTextAlign(HAlign::Left, VAlign::Baseline);
    dc.TextOut({1, 10}, "A");
    EXPECT_TRUE(Matches(TestName(), *s,
                        {".........",
                         "....#....",
                         "...#.#...",
                         "...#.#...",
                         "...#.#...",
                         "..#...#..",
                         "..#####..",
                         "..#...#..",
                         ".##...##.",
                         ".#.....#.",
                         "........."},
                        kLegend));
}

TEST(GfxText, ExtentIsTheSumOfAdvancesByTheCellHeight) {
    auto f = Font::FromFile(kPinnedFont, -12);
    auto s = Surface::Create(1, 1);
    DrawContext dc(*s);
    dc.SetFont(f);
    EXPECT_EQ(dc.TextExtent("AA"), (Size{2 * f->GlyphOf('A').advance, 14}));
    EXPECT_EQ(dc.TextExtent(""), (Size{0, 14}));
    EXPECT_EQ(dc.TextExtent("Hello"), (Size{f->Width("Hello"), 14}));
}

TEST(GfxText, AlignmentPlacesTheInk) {
    // "A" at -12: advance 7, ink 7 wide and 9 high from the baseline up; ascent 11, descent 3.
    const struct {
        HAlign h;
        VAlign v;
        Rect ink;
    } cases[] = {
        {HAlign::Left, VAlign::Top, {20, 13, 27, 22}},       {HAlign::Center, VAlign::Top, {17, 13, 24, 22}},
        {HAlign::Right, VAlign::Top, {13, 13, 20, 22}},      {HAlign::Left, VAlign::Baseline, {20, 2, 27, 11}},
        {HAlign::Left, VAlign::Bottom, {20, -1, 27, 8}},
    };
    for (const auto& c : cases) {
        auto s = Surface::Create(40, 40);
        DrawContext dc(*s);
        dc.SetFont(Font::FromFile(kPinnedFont, -12));
        dc.SetBackMode(BackMode::Transparent);
        dc.SetTextColor(kWhite);
        dc.SetTextAlign(c.h, c.v);
        dc.TextOut({20, 11}, "A");
        Rect expected = c.ink.intersected(s->bounds());
        EXPECT_EQ(s->damage(), expected) << static_cast<int>(c.h) << "," << static_cast<int>(c.v);
    }
}

TEST(GfxText, OpaqueBackgroundFillsTheCellTransparentLeavesIt) {
    auto f = Font::FromFile(kPinnedFont, -12);
    auto opaque = Surface::Create(30, 20, kRed);
    DrawContext dc(*opaque);
    dc.SetFont(f);
    dc.SetTextColor(kWhite);
    dc.SetBackColor(kBlack);
    dc.TextOut({3, 2}, "AV");
    Rect cell{3, 2, 3 + f->Width("AV"), 16};
    EXPECT_EQ(opaque->damage(), cell);
    int background = 0, ink = 0;
    for (int y = cell.top; y < cell.bottom; ++y)
        for (int x = cell.left; x < cell.right; ++x) (opaque->At(x, y) == kBlack ? background : ink) += 1;
    EXPECT_EQ(background + ink, cell.width() * cell.height());
    EXPECT_GT(ink, 10);

    auto clear = Surface::Create(30, 20, kRed);
    DrawContext cdc(*clear);
    cdc.SetFont(f);
    cdc.SetTextColor(kWhite);
    cdc.SetBackMode(BackMode::Transparent);
    cdc.TextOut({3, 2}, "AV");
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            if (opaque->At(x, y) == kWhite) EXPECT_EQ(clear->At(x, y), kWhite);
            else EXPECT_EQ(clear->At(x, y), kRed);
        }
}

TEST(GfxText, WhiteTextOnAMaskSetsBits) {
    auto m = Mask::Create(12, 16, true);
    DrawContext dc(*m);
    dc.SetFont(Font::FromFile(kPinnedFont, -12));
    dc.SetTextColor(kWhite);
    dc.SetBackColor(kBlack);
    dc.TextOut({0, 0}, "A");
    // The cell is cleared by the black background, the glyph sets bits.
    EXPECT_FALSE(m->At(0, 0));
    EXPECT_TRUE(m->At(3, 2));  // apex of the A: 9 above the baseline at 11
    EXPECT_TRUE(m->At(11, 0));  // outside the 7-pixel cell
}

TEST(GfxText, Windows1252IsConvertedForRendering) {
    EXPECT_EQ(Windows1252ToUtf8("caf\xe9 \x80 \x93x\x94"), "caf\xc3\xa9 \xe2\x82\xac \xe2\x80\x9cx\xe2\x80\x9d");
    EXPECT_EQ(Windows1252ToUnicode(0x9F), U'\u0178');
    EXPECT_EQ(Windows1252ToUnicode(0x81), U'\u0081');
    EXPECT_EQ(Windows1252ToUnicode(0xA0), U'\u00A0');
    // And back, as text typed into the toolkit returns: every byte survives, the rest is '?'.
    for (int c = 0; c < 256; ++c) EXPECT_EQ(UnicodeToWindows1252(Windows1252ToUnicode(static_cast<unsigned char>(c))), c);
    for (char32_t u : {U'\u0100', U'\u20AD', U'\U0001F30B'}) EXPECT_EQ(UnicodeToWindows1252(u), '?');
    auto f = Font::FromFile(kPinnedFont, -12);
    const Glyph& euro = f->GlyphOf(0x80);
    const Glyph& missing = f->GlyphOf(0x81);
    const Glyph& eAcute = f->GlyphOf(0xE9);
    const Glyph& e = f->GlyphOf('e');
    EXPECT_NE(euro.bits, missing.bits);
    EXPECT_EQ(eAcute.advance, e.advance);
    EXPECT_GT(eAcute.top, e.top);  // the accent rises above the plain letter
}

TEST(GfxText, WrapsAtBlanksAndLineBreaks) {
    auto f = Font::FromFile(kPinnedFont, -12);
    auto s = Surface::Create(1, 1);
    DrawContext dc(*s);
    dc.SetFont(f);
    int lh = f->metrics().height;
    int wAB = f->Width("aa bb");
    int wAA = f->Width("aa aa");
    const struct {
        const char* name;
        const char* text;
        int width;
        int lines;
        int widest;
    } cases[] = {
        {"fits", "aa bb", 200, 1, wAB},
        {"breaks at the blank", "aa aa aa", wAA, 2, wAA},
        {"just too narrow", "aa aa aa", wAA - 1, 3, f->Width("aa")},
        {"long word keeps its line", "a wwwwwwwwww b", 20, 3, f->Width("wwwwwwwwww")},
        {"line breaks", "aa\nbb\r\ncc", 200, 3, f->Width("aa")},
        {"empty line counts", "aa\n\nbb", 200, 3, f->Width("aa")},
        {"blanks at a break vanish", "aa     bb", f->Width("aa "), 2, f->Width("aa")},
    };
    for (const auto& c : cases) {
        Rect box{5, 7, 5 + c.width, 500};
        Rect r = dc.MeasureWrapped(box, c.text, HAlign::Left);
        EXPECT_EQ(r, (Rect{5, 7, 5 + c.widest, 7 + c.lines * lh})) << c.name;
    }
    Rect centred = dc.MeasureWrapped({0, 0, 100, 50}, "aa", HAlign::Center);
    EXPECT_EQ(centred.left, (100 - f->Width("aa")) / 2);
    Rect right = dc.MeasureWrapped({0, 0, 100, 50}, "aa", HAlign::Right);
    EXPECT_EQ(right.right, 100);
}

TEST(GfxText, WrappedDrawingMatchesLineByLineAndMeasuringDrawsNothing) {
    auto f = Font::FromFile(kPinnedFont, -12);
    auto setup = [&](DrawContext& dc) {
        dc.SetFont(f);
        dc.SetTextColor(kWhite);
        dc.SetBackColor(kRed);
    };
    int w = f->Width("one two");
    Rect box{4, 3, 4 + w, 60};
    auto wrapped = Surface::Create(80, 64);
    DrawContext wdc(*wrapped);
    setup(wdc);
    Rect measured = wdc.MeasureWrapped(box, "one two three", HAlign::Right);
    EXPECT_TRUE(wrapped->damage().empty());
    Rect drawn = wdc.DrawWrapped(box, "one two three", HAlign::Right);
    EXPECT_EQ(drawn, measured);
    EXPECT_EQ(wdc.clipBounds(), (Rect{0, 0, 80, 64}));  // its own clip was undone

    auto lines = Surface::Create(80, 64);
    DrawContext ldc(*lines);
    setup(ldc);
    ldc.SetTextAlign(HAlign::Right, VAlign::Top);
    ldc.TextOut({box.right, 3}, "one two");
    ldc.TextOut({box.right, 3 + f->metrics().height}, "three");
    EXPECT_TRUE(SameSurfaces(TestName(), *wrapped, *lines));

    // Drawing clips to the box.
    auto narrow = Surface::Create(80, 64);
    DrawContext ndc(*narrow);
    setup(ndc);
    ndc.DrawWrapped({10, 10, 14, 20}, "wwwww", HAlign::Left);
    EXPECT_EQ(narrow->damage(), (Rect{10, 10, 14, 20}));
}
