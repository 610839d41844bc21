#include "map/draw.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/c_numbers.h"
#include "core/number_text.h"

namespace gfx = platform::gfx;

const gfx::Color gColorTable[kColorCount] = {
    {0, 0, 0},       {0, 0, 192},     {0, 192, 0},     {0, 128, 128}, {128, 0, 0},
    {128, 0, 128},   {128, 128, 0},   {192, 192, 192}, {128, 128, 128}, {0, 0, 255},
    {0, 255, 0},     {0, 255, 255},   {255, 0, 0},     {255, 0, 255},   {255, 255, 0},
    {255, 255, 255}, {0, 0, 0},       {210, 199, 150}, {176, 142, 2},   {60, 65, 100},
};

namespace {

gfx::Point gSavedOrigin;

// Pen and brush chosen for one call, put back when it returns.
class PenBrushScope {
public:
    explicit PenBrushScope(gfx::DrawContext& dc) : dc_(dc), pen_(dc.pen()), brush_(dc.brush()) {}
    ~PenBrushScope() {
        dc_.SetPen(pen_);
        dc_.SetBrush(brush_);
    }
    PenBrushScope(const PenBrushScope&) = delete;
    PenBrushScope& operator=(const PenBrushScope&) = delete;

private:
    gfx::DrawContext& dc_;
    gfx::Pen pen_;
    gfx::Brush brush_;
};

std::vector<std::string_view> SplitAtTypedNewlines(std::string_view text) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (;;) {
        std::size_t at = text.find("\\n", start);
        if (at == std::string_view::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, at - start));
        start = at + 2;
    }
}

gfx::HAlign AlignOf(HJust h) {
    switch (h) {
        case HJust::Center: return gfx::HAlign::Center;
        case HJust::Right: return gfx::HAlign::Right;
        case HJust::Left: break;
    }
    return gfx::HAlign::Left;
}

// Paints `color` onto dc through the set bits of scratch, less the protected bits.
void PaintThrough(gfx::DrawContext& dc, gfx::DrawContext& mask, gfx::Mask& scratch, gfx::Point at, gfx::Color color) {
    gfx::DrawContext s(scratch);
    const gfx::Rect all = scratch.bounds();
    s.Blit(all, mask, at, gfx::RasterOp::DestAndNotSource);
    PenBrushScope keep(dc);
    dc.SetBrush(gfx::Brush::Solid(color));
    dc.Blit(all.translated(at), scratch, {0, 0}, gfx::RasterOp::BrushWhereSourceSet);
}

// Coordinates worked out in 64 bits come back into the drawing layer's range.
int Sat(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }
gfx::Rect SatRect(long long l, long long t, long long r, long long b) { return {Sat(l), Sat(t), Sat(r), Sat(b)}; }

}  // namespace

int ClampColorNumber(int colorNumber) { return std::clamp(colorNumber, 0, kColorCount - 1); }
gfx::Color ColorOf(int colorNumber) { return gColorTable[ClampColorNumber(colorNumber)]; }

void DrawLineTo(gfx::DrawContext& dc, int x, int y, int colorNumber, int penWidth) {
    if (colorNumber == 0) {
        dc.MoveTo({x, y});
        return;
    }
    PenBrushScope keep(dc);
    dc.SetPen(gfx::Pen::Solid(ColorOf(colorNumber), penWidth));
    dc.LineTo({x, y});
}

void DrawPolyline(gfx::DrawContext& dc, std::span<const gfx::Point> points, int colorNumber, int penWidth) {
    PenBrushScope keep(dc);
    dc.SetPen(gfx::Pen::Solid(ColorOf(colorNumber), penWidth));
    dc.Polyline(points);
}

void DrawPolygon(gfx::DrawContext& dc, std::span<const gfx::Point> points, int penColorNumber, int fillColorNumber) {
    PenBrushScope keep(dc);
    dc.SetPen(gfx::Pen::Solid(ColorOf(penColorNumber), 1));
    dc.SetBrush(gfx::Brush::Solid(ColorOf(fillColorNumber)));
    dc.Polygon(points);
}

void SetPixelColour(gfx::DrawContext& dc, int x, int y, int colorNumber) { dc.SetPixel({x, y}, ColorOf(colorNumber)); }

void DrawDot(gfx::DrawContext& dc, gfx::DrawContext* mask, int x, int y, int r, gfx::Color pen, gfx::Color fill,
             int style) {
    if (r < 0) return;
    const long long l = static_cast<long long>(x) - r, t = static_cast<long long>(y) - r;
    const long long rr = static_cast<long long>(x) + r, b = static_cast<long long>(y) + r;
    if (!mask) {
        if (r == 0) {
            dc.SetPixel({x, y}, pen);
            return;
        }
        PenBrushScope keep(dc);
        dc.SetPen(gfx::Pen::Solid(pen, 1));
        dc.SetBrush(style == 3 ? gfx::Brush::Hollow() : gfx::Brush::Solid(fill));
        dc.Ellipse(SatRect(l, t, rr, b));
        return;
    }
    if (r == 0) {
        if (mask->Pixel({x, y}) != gfx::kWhite) dc.SetPixel({x, y}, pen);
        return;
    }
    // The scratch mask covers only the part of the disc that can be painted, so a
    // huge dot costs no more than the visible area and never fails to allocate.
    const gfx::Rect visible = SatRect(l, t, rr, b).intersected(dc.clipBounds());
    if (visible.empty()) return;
    auto scratch = gfx::Mask::Create(visible.width(), visible.height());
    if (!scratch) return;
    const gfx::Point at = visible.topLeft();
    const gfx::Rect disc = SatRect(l - at.x, t - at.y, rr - at.x, b - at.y);
    if (style == 2) {
        gfx::DrawContext s(*scratch);
        s.SetPen(gfx::Pen::None());
        s.SetBrush(gfx::Brush::Solid(gfx::kWhite));
        s.Ellipse(disc);
        PaintThrough(dc, *mask, *scratch, at, fill);
    }
    {
        gfx::DrawContext s(*scratch);
        s.FillRect(disc, gfx::Brush::Solid(gfx::kBlack));
        s.SetPen(gfx::Pen::Solid(gfx::kWhite, 1));
        s.SetBrush(gfx::Brush::Hollow());
        s.Ellipse(disc);
    }
    PaintThrough(dc, *mask, *scratch, at, pen);
}

gfx::Rect DrawJustifiedText(gfx::DrawContext& dc, int x, int y, const std::shared_ptr<const gfx::Font>& font,
                            std::string_view text, int colorNumber, int backColorNumber, HJust h, VJust v,
                            int shadowOffset, int shadowColorNumber) {
    gfx::Rect box;
    {
        gfx::StateSaver keep(dc);
        dc.SetFont(font);
        const gfx::TextMetrics m = dc.textMetrics();
        const int c = m.aveCharWidth / 2;
        const int a = m.ascent;
        const bool drawing = colorNumber >= 0;
        if (drawing) {
            if (backColorNumber < 0) {
                dc.SetBackMode(gfx::BackMode::Transparent);
            } else {
                dc.SetBackMode(gfx::BackMode::Opaque);
                dc.SetBackColor(ColorOf(backColorNumber));
            }
        }
        // In 64 bits: a label may be placed anywhere, and its box saturates.
        const long long X = x, Y = y;
        const long long ax = h == HJust::Left ? X + c : h == HJust::Right ? X - c : X;
        long long baseline = v == VJust::Bottom ? Y - m.descent : v == VJust::Center ? Y + a / 3 : Y + a;
        dc.SetTextAlign(AlignOf(h), gfx::VAlign::Baseline);
        const long long s = shadowOffset;
        long long boxL = 0, boxT = 0, boxR = 0, boxB = 0;
        bool first = true;
        for (std::string_view piece : SplitAtTypedNewlines(text)) {
            if (drawing) {
                if (s != 0) {
                    dc.SetTextColor(ColorOf(shadowColorNumber));
                    dc.TextOut({Sat(ax + s), Sat(baseline + s)}, piece);
                }
                dc.SetTextColor(ColorOf(colorNumber));
                dc.TextOut({Sat(ax), Sat(baseline)}, piece);
            }
            const gfx::Size extent = dc.TextExtent(piece);
            const long long w = s + extent.width;
            const long long ht = s + extent.height;
            const long long left = h == HJust::Center ? X - w / 2 : h == HJust::Right ? X - w : X;
            const long long pl = left - 1, pt = baseline - a - 1, pr = left + w + 1, pb = baseline - a + ht + 1;
            boxL = first ? pl : std::min(boxL, pl);
            boxT = first ? pt : std::min(boxT, pt);
            boxR = first ? pr : std::max(boxR, pr);
            boxB = first ? pb : std::max(boxB, pb);
            first = false;
            baseline += m.externalLeading + extent.height;
        }
        const int shrink = a / 8;
        box = SatRect(boxL + shrink, boxT + shrink, boxR - shrink, boxB - shrink);
    }
    // The stock font stays selected when none was given; a given one is put back.
    if (!font) dc.SetFont(nullptr);
    return box;
}

void DrawNumberLabel(gfx::DrawContext& dc, int x, int y, const std::shared_ptr<const gfx::Font>& font, double value,
                     HJust h, VJust v, int colorNumber) {
    DrawJustifiedText(dc, x, y, font, FormatGeneral(value), colorNumber, kNoColor, h, v);
}

void DrawLatLonLabel(gfx::DrawContext& dc, int x, int y, const std::shared_ptr<const gfx::Font>& font, double value,
                     HJust h, VJust v, int colorNumber, bool isLatitude) {
    char text[64];
    const char* letter = value > 0 ? (isLatitude ? "N" : "E") : value < 0 ? (isLatitude ? "S" : "W") : "";
    const CNumbersScope numbers;  // "12.5S" under any locale
    std::snprintf(text, sizeof text, "%lG%s", std::fabs(value), letter);
    DrawJustifiedText(dc, x, y, font, text, colorNumber, kNoColor, h, v);
}

void ClipToRect(gfx::DrawContext& dc, int left, int top, int right, int bottom, bool clip) {
    if (clip) {
        dc.SetOrigin({0, 0});
        dc.SetClip(gfx::Rect{left, top, right, bottom});
    }
    dc.SetOrigin({left, top});
}

void SaveViewportOrigin(const gfx::DrawContext& dc) { gSavedOrigin = dc.origin(); }
void RestoreViewportOrigin(gfx::DrawContext& dc) { dc.SetOrigin(gSavedOrigin); }

void DrawBevelFrame(gfx::DrawContext& dc, const gfx::Rect& rc, int fillColorNumber, bool sunken, int w, int h) {
    const bool fill = fillColorNumber >= 0;
    if (fill && h == 0) dc.FillRect(rc, gfx::Brush::Solid(ColorOf(fillColorNumber)));
    if (w == 0) return;
    PenBrushScope keep(dc);
    const long long L = rc.left, T = rc.top, R = rc.right, B = rc.bottom;
    auto at = [](long long px, long long py) { return gfx::Point{Sat(px), Sat(py)}; };
    const gfx::Color light = ColorOf(kWhiteColor), dark = ColorOf(kDarkGrayColor);
    dc.SetPen(gfx::Pen::None());
    const gfx::Point upperLeft[] = {at(L, T),         at(L, B),     at(L + w, B - w), at(L + w, T + w),
                                    at(R - w, T + w), at(R, T),     at(L, T)};
    dc.SetBrush(gfx::Brush::Solid(sunken ? dark : light));
    dc.Polygon(upperLeft);
    const gfx::Point lowerRight[] = {at(R, B),         at(R, T),         at(R - w, T + w), at(R - w, B - w),
                                     at(L + w, B - w), at(L, B),         at(R, B)};
    dc.SetBrush(gfx::Brush::Solid(sunken ? light : dark));
    dc.Polygon(lowerRight);
    if (h != 0 && fill) {
        const gfx::Brush band = gfx::Brush::Solid(ColorOf(fillColorNumber));
        const long long l = L + w, t = T + w, r = R - w, b = B - w;
        // A band wider than the inside fills the inside, never past the bevel.
        const gfx::Rect inside = SatRect(l, t, r, b);
        dc.FillRect(SatRect(l, t, r, t + h).intersected(inside), band);
        dc.FillRect(SatRect(l, t, l + h, b).intersected(inside), band);
        dc.FillRect(SatRect(l, b - h, r, b).intersected(inside), band);
        dc.FillRect(SatRect(r - h, t, r, b).intersected(inside), band);
    }
}

void DrawDoubleBevelFrame(gfx::DrawContext& dc, const gfx::Rect& r, int w, int h) {
    DrawBevelFrame(dc, r, kLightGrayColor, false, w, h);
    const long long in = static_cast<long long>(w) + h;
    DrawBevelFrame(dc, SatRect(r.left + in, r.top + in, r.right - in, r.bottom - in), kNoColor, true, w, 0);
}
