#include "map/draw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/number_text.h"

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
    if (!mask) {
        if (r == 0) {
            dc.SetPixel({x, y}, pen);
            return;
        }
        PenBrushScope keep(dc);
        dc.SetPen(gfx::Pen::Solid(pen, 1));
        dc.SetBrush(style == 3 ? gfx::Brush::Hollow() : gfx::Brush::Solid(fill));
        dc.Ellipse({x - r, y - r, x + r, y + r});
        return;
    }
    if (r == 0) {
        if (mask->Pixel({x, y}) != gfx::kWhite) dc.SetPixel({x, y}, pen);
        return;
    }
    auto scratch = gfx::Mask::Create(2 * r, 2 * r);
    if (!scratch) return;
    const gfx::Point at{x - r, y - r};
    const gfx::Rect disc{0, 0, 2 * r, 2 * r};
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
        const int ax = h == HJust::Left ? x + c : h == HJust::Right ? x - c : x;
        int baseline = v == VJust::Bottom ? y - m.descent : v == VJust::Center ? y + a / 3 : y + a;
        dc.SetTextAlign(AlignOf(h), gfx::VAlign::Baseline);
        const int s = shadowOffset;
        bool first = true;
        for (std::string_view piece : SplitAtTypedNewlines(text)) {
            if (drawing) {
                if (s != 0) {
                    dc.SetTextColor(ColorOf(shadowColorNumber));
                    dc.TextOut({ax + s, baseline + s}, piece);
                }
                dc.SetTextColor(ColorOf(colorNumber));
                dc.TextOut({ax, baseline}, piece);
            }
            const gfx::Size extent = dc.TextExtent(piece);
            const int w = s + extent.width;
            const int ht = s + extent.height;
            const int left = h == HJust::Center ? x - w / 2 : h == HJust::Right ? x - w : x;
            const gfx::Rect pieceBox{left - 1, baseline - a - 1, left + w + 1, baseline - a + ht + 1};
            box = first ? pieceBox : gfx::Rect{std::min(box.left, pieceBox.left), std::min(box.top, pieceBox.top),
                                               std::max(box.right, pieceBox.right),
                                               std::max(box.bottom, pieceBox.bottom)};
            first = false;
            baseline += m.externalLeading + extent.height;
        }
        const int shrink = a / 8;
        box = box.inflated(-shrink, -shrink);
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
    const int L = rc.left, T = rc.top, R = rc.right, B = rc.bottom;
    const gfx::Color light = ColorOf(kWhiteColor), dark = ColorOf(kDarkGrayColor);
    dc.SetPen(gfx::Pen::None());
    const gfx::Point upperLeft[] = {{L, T}, {L, B}, {L + w, B - w}, {L + w, T + w}, {R - w, T + w}, {R, T}, {L, T}};
    dc.SetBrush(gfx::Brush::Solid(sunken ? dark : light));
    dc.Polygon(upperLeft);
    const gfx::Point lowerRight[] = {{R, B}, {R, T}, {R - w, T + w}, {R - w, B - w}, {L + w, B - w}, {L, B}, {R, B}};
    dc.SetBrush(gfx::Brush::Solid(sunken ? light : dark));
    dc.Polygon(lowerRight);
    if (h != 0 && fill) {
        const gfx::Brush band = gfx::Brush::Solid(ColorOf(fillColorNumber));
        const int l = L + w, t = T + w, r = R - w, b = B - w;
        dc.FillRect({l, t, r, t + h}, band);
        dc.FillRect({l, t, l + h, b}, band);
        dc.FillRect({l, b - h, r, b}, band);
        dc.FillRect({r - h, t, r, b}, band);
    }
}

void DrawDoubleBevelFrame(gfx::DrawContext& dc, const gfx::Rect& r, int w, int h) {
    DrawBevelFrame(dc, r, kLightGrayColor, false, w, h);
    DrawBevelFrame(dc, r.inflated(-(w + h), -(w + h)), kNoColor, true, w, 0);
}
