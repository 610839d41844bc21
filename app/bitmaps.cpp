// The pictures of the program's bitmap resources, drawn here rather than read
// from files, so that they exist wherever the program runs.
#include <array>
#include <string_view>
#include <vector>

#include "app/buttons.h"
#include "map/draw.h"

using gfx::Point;
using gfx::Rect;

namespace {

// A 5-row pixel font for the words on the transport faces; '#' is ink.
struct Glyph {
    char c;
    std::array<std::string_view, 5> rows;
};
constexpr Glyph kGlyphs[] = {
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}},   {'B', {"##.", "#.#", "##.", "#.#", "##."}},
    {'C', {".##", "#..", "#..", "#..", ".##"}},   {'D', {"##.", "#.#", "#.#", "#.#", "##."}},
    {'E', {"###", "#..", "##.", "#..", "###"}},   {'F', {"###", "#..", "##.", "#..", "#.."}},
    {'G', {".##", "#..", "#.#", "#.#", ".##"}},   {'I', {"###", ".#.", ".#.", ".#.", "###"}},
    {'K', {"#.#", "#.#", "##.", "#.#", "#.#"}},   {'L', {"#..", "#..", "#..", "#..", "###"}},
    {'N', {"#..#", "##.#", "#.##", "#..#", "#..#"}},
    {'P', {"##.", "#.#", "##.", "#..", "#.."}},   {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
    {'S', {".##", "#..", ".#.", "..#", "##."}},   {'T', {"###", ".#.", ".#.", ".#.", ".#."}},
    {'U', {"#.#", "#.#", "#.#", "#.#", "###"}},   {'W', {"#...#", "#...#", "#.#.#", "#.#.#", ".#.#."}},
    {'Y', {"#.#", "#.#", ".#.", ".#.", ".#."}},   {'.', {".", ".", ".", ".", "#"}},
};

const Glyph* GlyphOf(char c) {
    for (const Glyph& g : kGlyphs) {
        if (g.c == c) return &g;
    }
    return nullptr;
}

int WordWidth(std::string_view word) {
    int w = 0;
    for (char c : word) {
        if (const Glyph* g = GlyphOf(c)) w += static_cast<int>(g->rows[0].size()) + 1;
    }
    return w > 0 ? w - 1 : 0;
}

// Centred on the surface's width, top row at y.
void DrawWord(gfx::Surface& s, std::string_view word, int y, gfx::Color ink) {
    int x = (s.width() - WordWidth(word)) / 2;
    for (char c : word) {
        const Glyph* g = GlyphOf(c);
        if (!g) continue;
        for (int r = 0; r < 5; ++r) {
            for (std::size_t i = 0; i < g->rows[r].size(); ++i) {
                if (g->rows[r][i] == '#') s.row(y + r)[x + static_cast<int>(i)] = ink.value();
            }
        }
        x += static_cast<int>(g->rows[0].size()) + 1;
    }
}

void Fill(gfx::DrawContext& dc, std::vector<Point> points, gfx::Color c) {
    gfx::StateSaver saver(dc);
    dc.SetPen(gfx::Pen::Solid(c));
    dc.SetBrush(gfx::Brush::Solid(c));
    dc.Polygon(points);
}

void Box(gfx::DrawContext& dc, const Rect& r, gfx::Color c) { dc.FillRect(r, gfx::Brush::Solid(c)); }

std::unique_ptr<gfx::Surface> Arrow(bool up) {
    auto s = gfx::Surface::Create(16, 16, ColorOf(kLightGrayColor));
    if (!s) return nullptr;
    gfx::DrawContext dc(*s);
    if (up) Fill(dc, {{3, 11}, {12, 11}, {8, 4}, {7, 4}}, gfx::kBlack);
    else Fill(dc, {{3, 4}, {12, 4}, {8, 11}, {7, 11}}, gfx::kBlack);
    s->ClearDamage();
    return s;
}

std::unique_ptr<gfx::Surface> TransportFace(int id) {
    const bool back = id == 7010;
    auto s = gfx::Surface::Create(32, 32, ColorOf(back ? 12 : kLightGrayColor));
    if (!s) return nullptr;
    gfx::DrawContext dc(*s);
    const gfx::Color ink = gfx::kBlack;
    auto right = [&](int x) { Fill(dc, {{x, 14}, {x, 27}, {x + 7, 20}}, ink); };
    auto left = [&](int x) { Fill(dc, {{x + 7, 14}, {x + 7, 27}, {x, 20}}, ink); };
    std::string_view word;
    switch (id) {
        case 7001: word = "PLAY", right(12); break;
        case 7002: word = "BEGIN", Box(dc, {9, 14, 12, 27}, ink), left(13); break;
        case 7003: word = "REW.", left(8), left(16); break;
        case 7004: word = "STEP", left(12); break;
        case 7005: word = "PAUSE", Box(dc, {10, 14, 14, 27}, ink), Box(dc, {18, 14, 22, 27}, ink); break;
        case 7006: word = "STEP", right(12); break;
        case 7007: word = "F.FWD", right(9), right(17); break;
        case 7008:
            word = "REPEAT";
            Box(dc, {16, 14, 24, 16}, ink);  // the hook over the top
            Box(dc, {22, 14, 24, 24}, ink);
            Box(dc, {13, 22, 24, 24}, ink);
            Fill(dc, {{13, 18}, {13, 27}, {8, 23}}, ink);
            break;
        case 7010:
            word = "BACK";
            Box(dc, {14, 19, 25, 23}, ink);
            Fill(dc, {{14, 14}, {14, 27}, {7, 21}}, ink);
            break;
        default: return nullptr;
    }
    DrawWord(*s, word, 4, ink);
    s->ClearDamage();
    return s;
}

// Two 9 x 20 halves, each a yellow bar framed in black; the right half, for
// dragging and disabled, has a dark groove down its middle.
std::unique_ptr<gfx::Surface> SliderThumb() {
    auto s = gfx::Surface::Create(18, 20, ColorOf(kLightGrayColor));
    if (!s) return nullptr;
    gfx::DrawContext dc(*s);
    for (int half = 0; half < 2; ++half) {
        const Rect r = Rect::FromSize(9 * half, 0, 9, 20);
        Box(dc, r, gfx::kBlack);
        Box(dc, r.inflated(-1, -1), ColorOf(14));
    }
    Box(dc, {13, 3, 14, 17}, ColorOf(6));
    s->ClearDamage();
    return s;
}

}  // namespace

std::unique_ptr<gfx::Surface> LoadBitmapResource(int id) {
    switch (id) {
        case 600: return Arrow(true);
        case 601: return Arrow(false);
        case 32555: return SliderThumb();
        default: return id >= 7001 && id <= 7010 ? TransportFace(id) : nullptr;
    }
}
