#include "map/scale_box.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/config.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/draw.h"
#include "map/proj.h"

namespace gfx = platform::gfx;

namespace {

constexpr double kRadiansPerDegree = 0.017453292;
constexpr double kKmPerMile = 1.609;

std::shared_ptr<const gfx::Font> InfoFont() {
    if (!gFonts[kFontInfo]) return nullptr;
    const ConfigFont& f = *gFonts[kFontInfo];
    return gfx::Font::Create(f.face, f.height, f.weight);
}

}  // namespace

std::int32_t ScaleLength(double d) {
    if (!std::isfinite(d)) d = 1;
    int i = 0;
    while (d > 10 && i < 9) {
        d /= 10;
        ++i;
    }
    int v = static_cast<int>(std::max(d, 1.0));
    if (v > 6) v = 10;
    std::int32_t length = v;
    for (int k = 0; k < i; ++k) length *= 10;
    return length;
}

std::optional<ScaleBox> CreateScaleBox(const Proj& proj) {
    const int y0 = (gMapRect.top + gMapRect.bottom) / 2;
    const int n = gFonts[kFontInfo] && gFonts[kFontInfo]->height != 0 ? 3 * std::abs(gFonts[kFontInfo]->height)
                                                                       : 5 * gAveCharWidth;
    double lat = 0, offset = 0;
    proj.ScreenToLatLon(y0, 4 * n, &lat, &offset);
    const double c = std::cos(lat * kRadiansPerDegree);
    double d = c * offset * kKmPerDegree;
    if (!gScaleInKm) d /= kKmPerMile;
    ScaleBox box;
    box.length = ScaleLength(d);
    if (c <= 0) return std::nullopt;
    double lengthOffset = box.length / (c * kKmPerDegree);
    if (!gScaleInKm) lengthOffset *= kKmPerMile;
    std::int32_t row = 0, column = 0;
    proj.LatLonToPixel(lat, lengthOffset, &row, &column);
    box.baseline = gScalePosition.y != 0 ? gScalePosition.y : gMapHeight - 4 * gTextHeight;
    box.left = gScalePosition.x != 0 ? gScalePosition.x : 2 * gAveCharWidth;
    box.right = box.left + column;
    box.tick = gTextHeight / 2;
    return box;
}

gfx::Rect DrawScaleBox(const ScaleBox& b, gfx::DrawContext& dc) {
    {
        gfx::StateSaver keep(dc);
        dc.SetPen(gfx::Pen::Solid(ColorOf(kWhiteColor)));
        const gfx::Point bar[] = {{b.left, b.baseline - b.tick}, {b.left, b.baseline}, {b.right, b.baseline},
                                  {b.right, b.baseline - b.tick}};
        dc.Polyline(bar);
    }
    const auto font = InfoFont();
    const int ty = b.baseline - 3 * gTextHeight / 4;
    auto text = [&](int x, const std::string& s) {
        return DrawJustifiedText(dc, x, ty, font, s, gScaleColor, kNoColor, HJust::Center, VJust::Bottom, 2, 0);
    };
    const gfx::Rect zero = text(b.left, "0");
    const gfx::Rect value = text(b.right, std::to_string(b.length));
    (void)text((b.left + b.right) / 2, gScaleInKm ? "km" : "Miles");
    return {zero.left, zero.top, value.right, b.baseline + b.tick};
}

void MoveScaleBox(ScaleBox& b, int dx, int dy) {
    const int width = b.right - b.left;
    b.left += dx;
    b.right = b.left + width;
    if (b.left < 20) {
        b.left = 20;
        b.right = b.left + width;
    }
    if (b.right > gPaneWidth - 50) {
        b.right = gPaneWidth - 50;
        b.left = b.right - width;
    }
    b.baseline = std::clamp(b.baseline + dy, 50, std::max(50, gPaneHeight - 20));
    gScalePosition = {b.left, b.baseline};
}
