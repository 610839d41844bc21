// The pictures of the program's bitmap resources, drawn here rather than read
// from files, so that they exist wherever the program runs.
#include <string_view>
#include <vector>

#include "app/buttons.h"
#include "map/draw.h"
#include "platform/gfx/font.h"

namespace gfx = platform::gfx;

using gfx::Point;
using gfx::Rect;

namespace {

// The word above a transport face's symbol, in the largest sans face whose
// real extent fits what the button's bevel leaves of the face: 26 pixels from
// column 3, 12 rows from row 2. Bold where bold fits.
void DrawWord(gfx::DrawContext& dc, std::string_view word, gfx::Color ink) {
    constexpr int kWidth = 26, kMaxCell = 12, kMinCell = 7;
    std::shared_ptr<const gfx::Font> font;
    for (int cell = kMaxCell; cell >= kMinCell && !font; --cell) {
        for (int weight : {gfx::kBoldWeight, gfx::kNormalWeight}) {
            auto f = gfx::Font::Create("Arial", cell, weight);
            if (f && f->Width(word) <= kWidth && f->metrics().height <= kMaxCell) {
                font = f;
                break;
            }
        }
    }
    if (!font) return;
    gfx::StateSaver saver(dc);
    dc.SetFont(font);
    dc.SetTextColor(ink);
    dc.SetBackMode(gfx::BackMode::Transparent);
    dc.SetTextAlign(gfx::HAlign::Center, gfx::VAlign::Top);
    dc.TextOut({16, 2}, word);
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
    auto s = gfx::Surface::Create(32, 32, ColorOf(back ? kLightRedColor : kLightGrayColor));
    if (!s) return nullptr;
    gfx::DrawContext dc(*s);
    const gfx::Color ink = gfx::kBlack;
    auto right = [&](int x) { Fill(dc, {{x, 14}, {x, 27}, {x + 7, 20}}, ink); };
    auto left = [&](int x) { Fill(dc, {{x + 7, 14}, {x + 7, 27}, {x, 20}}, ink); };
    std::string_view word;
    switch (id) {
        case 7001: word = "Play", right(12); break;
        case 7002: word = "Begin", Box(dc, {9, 14, 12, 27}, ink), left(13); break;
        case 7003: word = "Rew.", left(8), left(16); break;
        case 7004: word = "Step", left(12); break;
        case 7005: word = "Pause", Box(dc, {10, 14, 14, 27}, ink), Box(dc, {18, 14, 22, 27}, ink); break;
        case 7006: word = "Step", right(12); break;
        case 7007: word = "F.Fwd", right(9), right(17); break;
        case 7008:
            word = "Repeat";
            Box(dc, {16, 14, 24, 16}, ink);  // the hook over the top
            Box(dc, {22, 14, 24, 24}, ink);
            Box(dc, {13, 22, 24, 24}, ink);
            Fill(dc, {{13, 18}, {13, 27}, {8, 23}}, ink);
            break;
        case 7010:
            word = "Back";
            Box(dc, {14, 19, 25, 23}, ink);
            Fill(dc, {{14, 14}, {14, 27}, {7, 21}}, ink);
            break;
        default: return nullptr;
    }
    DrawWord(dc, word, ink);
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
        Box(dc, r.inflated(-1, -1), ColorOf(kYellowColor));
    }
    Box(dc, {13, 3, 14, 17}, ColorOf(kBrownColor));
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
