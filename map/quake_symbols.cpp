// Earthquake dots, transient markers, the marker icon and the alert highlight.
#include "map/quake_symbols.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>

#include "core/config.h"
#include "core/helpers.h"
#include "core/number_text.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/image_files.h"
#include "map/section3d.h"
#include "platform/gfx/image.h"
#include "platform/sys/files.h"

namespace gfx = platform::gfx;

double gDotSlope = 0.0;
double gDotIntercept = 0.0;
std::unique_ptr<EnergyBins> gEnergyBins;

namespace {

constexpr int kStyleSmall = 0;
constexpr int kStyleWhite = 1;
constexpr int kStyleKeep = 2;
constexpr int kStyleCircles = 3;
constexpr int kStyleMoment = 4;
constexpr int kMomentCell = 5;       // pixels of the energy grid
constexpr int kMomentRadius = 3;     // pixels of an energy disc
constexpr int kMarkerEraseSide = 36; // pixels restored around the icon
constexpr int kHighlightLeft = 85;   // pixels left of and above the icon position
constexpr int kHighlightWidth = 175;
constexpr int kHighlightHeight = 165;
constexpr int kRingCounterTop = 48;
constexpr int kRingCounterRestart = 36;

// A pointer arrow, tip at the top-left: 'K' outline, 'W' fill.
constexpr std::array<std::string_view, 16> kArrow = {
    "K..........", "KK.........", "KWK........", "KWWK.......", "KWWWK......", "KWWWWK.....",
    "KWWWWWK....", "KWWWWWWK...", "KWWWWWWWK..", "KWWWWWWWWK.", "KWWWWWKKKKK", "KWWKWWK....",
    "KWK.KWWK...", "KK..KWWK...", "K....KWWK..", ".....KKKK..",
};

// The square of side 2s + 1 centred on (x, y).
gfx::Rect Square(int x, int y, int s) { return {x - s, y - s, x + s + 1, y + s + 1}; }

// Each marker's square copied back from the clean image, newest first, then
// (but in KEEP) shrunk by a pixel; those shrunk away leave the list.
void RestoreMarkerSquares(std::vector<TransientMarker>& markers, gfx::DrawContext& shown, gfx::DrawContext& clean,
                          bool keepStyle) {
    for (auto it = markers.rbegin(); it != markers.rend(); ++it) {
        if (it->size > 0) {
            const gfx::Rect sq = Square(it->x, it->y, it->size);
            shown.Blit(sq, clean, sq.topLeft(), gfx::RasterOp::Copy);
        }
        if (!keepStyle) --it->size;
    }
    std::erase_if(markers, [](const TransientMarker& m) { return m.size < 0; });
}

// Clipped to the map area with the origin at its top-left corner, as the dots expect.
void ClipMapImage(gfx::DrawContext& dc) {
    ClipToRect(dc, gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom, true);
}

std::optional<gfx::Rect> LegendBox(const childMap& pane) {
    gfx::Rect box;
    if (PaneSeams().FloatingLegendBox(pane, &box)) return box;
    return std::nullopt;
}

}  // namespace

// ---- Classes and sizes ------------------------------------------------------------------

int DepthClass(double depthKm) {
    if (!(gMaxDepth > 0)) return depthKm > 0 ? 9 : 0;
    const double c = depthKm * 10 / gMaxDepth;
    if (!(c > 0)) return 0;
    return c >= 9 ? 9 : static_cast<int>(c);
}

int MagnitudeClass(double magnitude) {
    double range = static_cast<double>(gMaxMagnitude) - gMinMagnitude;
    if (range == 0) range = 1;
    const double c = (magnitude - gMinMagnitude) * 10 / range;
    if (!(c > 0)) return 0;
    return c >= 9 ? 9 : static_cast<int>(c);
}

int MarkerOutlineColor() { return gBackgroundColor == kWhiteColor ? kBlackColor : kLightGrayColor; }

double DotRadius(double magnitude) {
    if (magnitude < gMinMagnitude) return 0;
    return magnitude * gDotSlope + gDotIntercept;
}

bool IsInView(QuakeDisplayRecord& r) {
    r.magnitude = r.quake.magnitude / 10.0;
    r.depth = r.quake.depth / 100000.0;
    r.latitude = MasToDegrees(r.quake.latitude);
    r.longitude = Proj::LonOffset(MasToDegrees(r.quake.longitude), gWestEdge);
    if (!(gMapSouth < r.latitude && r.latitude < gMapNorth)) return false;
    if (gMagnitudeCutoff > 0 && r.magnitude < gMagnitudeCutoff) return false;
    if (!(0 < r.longitude && r.longitude < gLonSpan)) return false;
    if (r.depth < gMinDepth) return false;
    if (gMapView) return true;
    if (r.depth > gMaxDepth) return false;
    if (g3DView) return true;
    if (gCrossSectionView) {
        std::int32_t row = 0, column = 0;
        return CrossSectionEventPoint(r.latitude, r.longitude, r.depth, &row, &column);
    }
    return false;
}

bool PlaceEventLabelOnSphere(EventLabelRecord& label) {
    if (!label.IsInView()) return false;
    LatLonToMapPixel(label.latitude, label.longitude, &label.x, &label.y);
    return true;
}

// ---- Icons --------------------------------------------------------------------------------

void DrawIconResource(gfx::DrawContext& dc, int id, gfx::Point p) {
    if (id != kSmallMarkerIcon && id != kBigMarkerIcon) return;
    const bool big = id == kBigMarkerIcon;
    const gfx::Color ink = ColorOf(kBlackColor), fill = ColorOf(big ? kYellowColor : kWhiteColor);
    const int scale = big ? 2 : 1;
    const int width = static_cast<int>(kArrow[0].size()) * scale;
    for (int row = 0; row < static_cast<int>(kArrow.size()); ++row) {
        for (int col = 0; col < static_cast<int>(kArrow[row].size()); ++col) {
            const char c = kArrow[row][col];
            if (c == '.') continue;
            for (int dy = 0; dy < scale; ++dy)
                for (int dx = 0; dx < scale; ++dx) {
                    const int x = col * scale + dx;
                    // The big arrow is mirrored so that its tip is the icon's top-right corner.
                    const int ix = big ? kMarkerIconSize - width + (width - 1 - x) : x;
                    dc.SetPixel({p.x + ix, p.y + row * scale + dy}, c == 'K' ? ink : fill);
                }
        }
    }
}

// ---- The pane's symbols ---------------------------------------------------------------------

double childMap::DrawEventDot(QuakeDisplayRecord& r, bool marker) {
    if (!IsInView(r)) return 0;
    if (!mapImage_ || !mask_) return 0;
    EnsureScreen();
    const int radius = TruncToInt(DotRadius(r.magnitude));
    ClipMapImage(*mapImage_);
    const int color = gDepthColors[DepthClass(r.depth)];
    const bool sphere = gControls[kControlScienceOnASphere] && sphereDisplay_ && spherePermanent_;

    std::int32_t x = 0, y = 0;
    std::int32_t sx = 0, sy = 0;
    if (gMapView) {
        LatLonToPixel(r.latitude, r.longitude, &y, &x);
        if (auto box = LegendBox(*this)) {
            const gfx::Point o = MapOrigin();
            const int l = x - radius + o.x, t = y - radius + o.y, rt = x + radius + o.x, b = y + radius + o.y;
            if (l < box->right && rt > box->left && t < box->bottom && b > box->top) return 0;
        }
    } else if (gCrossSectionView) {
        if (!CrossSectionEventPoint(r.latitude, r.longitude, r.depth, &y, &x)) return 0;
    } else if (g3DView) {
        if (!Project3DEvent(r.latitude, r.longitude, r.depth, &y, &x)) return 0;
    } else {
        return 0;
    }
    // The sphere is a whole globe: it takes the true longitude, not the offset from this map's west edge.
    if (sphere) LatLonToMapPixel(r.latitude, MasToDegrees(r.quake.longitude), &sx, &sy);

    gfx::DrawContext& screen = *screen_;
    gfx::StateSaver keep(screen);
    screen.SetOrigin(MapOrigin());
    switch (gSymbolStyle) {
        case kStyleSmall: {
            const auto here = mapImage_->Pixel({x, y});
            if (here && *here != gfx::kWhite) {
                SetPixelColour(*mapImage_, x, y, color);
                SetPixelColour(screen, x, y, color);
            }
            break;
        }
        case kStyleCircles:
            if (radius > 0) {
                DrawDot(*mapImage_, mask_.get(), x, y, radius, ColorOf(color), ColorOf(color), 3);
                const gfx::Rect sq = Square(x, y, radius);
                screen.Blit(sq, *mapImage_, sq.topLeft(), gfx::RasterOp::Copy);
                if (sphere) DrawDot(*spherePermanent_, nullptr, sx, sy, radius, ColorOf(color), ColorOf(color), 3);
            }
            break;
        case kStyleMoment: {
            const int cx = x / kMomentCell * kMomentCell + 2, cy = y / kMomentCell * kMomentCell + 2;
            if (!gEnergyBins) gEnergyBins = std::make_unique<EnergyBins>();
            const EnergyBin* bin = gEnergyBins->Add(cx, cy, r.magnitude);
            const int binColor = gDepthColors[MagnitudeClass(bin ? bin->Magnitude() : r.magnitude)];
            DrawDot(*mapImage_, mask_.get(), cx, cy, kMomentRadius, ColorOf(binColor), ColorOf(binColor), 2);
            const gfx::Rect sq = Square(cx, cy, kMomentRadius);
            screen.Blit(sq, *mapImage_, sq.topLeft(), gfx::RasterOp::Copy);
            break;
        }
        case kStyleWhite:
        case kStyleKeep:
        default: {
            if (marker) EraseMarker();
            DrawTransientDot(x, y, radius, color);
            if (sphere) DrawTransientSphereDot(sx, sy, 2 * radius, color);
            if (marker) {
                const int d = TruncToInt(radius * 0.707);
                SetMarkerIcon(x + d, y + d, false);
            }
            break;
        }
    }
    return r.magnitude > 0 ? r.magnitude : 0;
}

void childMap::DrawTransientDot(int x, int y, int radius, int color) {
    if (!mapImage_ || !maskBits_) return;
    EnsureScreen();
    gfx::DrawContext& screen = *screen_;
    gfx::StateSaver keep(screen);
    screen.SetOrigin(MapOrigin());
    if (maskBits_->Bit({x, y}) == false) {
        SetPixelColour(*mapImage_, x, y, color);
        SetPixelColour(screen, x, y, color);
    }
    // A negative radius would leave a record that never shrinks away.
    if (radius <= 0) return;
    markers_.push_back({x, y, radius, color});
    DrawDot(screen, nullptr, x, y, radius, gfx::kWhite, gfx::kWhite, 2);
}

void childMap::DrawTransientSphereDot(int x, int y, int radius, int color) {
    if (radius <= 0 || !sphereDisplay_) return;
    sphereMarkers_.push_back({x, y, radius, color});
    DrawDot(*sphereDisplay_, nullptr, x, y, radius, gfx::kWhite, gfx::kWhite, 2);
}

// Every style but KEEP shrinks its records, so the list always runs empty,
// even after the style changed under records of another style.
bool childMap::EraseMarkers() {
    if (markers_.empty()) return false;
    if (!mapImage_) {
        markers_.clear();
        return false;
    }
    EnsureScreen();
    gfx::DrawContext& screen = *screen_;
    gfx::StateSaver keep(screen);
    screen.SetOrigin(MapOrigin());
    if (auto box = LegendBox(*this)) screen.ExcludeClip(box->translated({-MapOrigin().x, -MapOrigin().y}));
    const bool keepStyle = gSymbolStyle == kStyleKeep;

    RestoreMarkerSquares(markers_, screen, *mapImage_, keepStyle);

    const gfx::Color outline = ColorOf(MarkerOutlineColor());
    if (keepStyle) {
        if (mask_) ClipMapImage(*mapImage_);
        for (const TransientMarker& m : markers_) {
            if (m.size <= 0) continue;
            DrawDot(*mapImage_, mask_.get(), m.x, m.y, m.size, outline, ColorOf(m.color), 2);
            const gfx::Rect sq = Square(m.x, m.y, m.size);
            screen.Blit(sq, *mapImage_, sq.topLeft(), gfx::RasterOp::Copy);
        }
        markers_.clear();
        return false;
    }
    for (const TransientMarker& m : markers_)
        if (m.size > 0) DrawDot(screen, nullptr, m.x, m.y, m.size, outline, outline, 2);
    return true;
}

bool childMap::EraseSphereMarkers() {
    if (sphereMarkers_.empty()) return false;
    if (!sphereDisplay_ || !spherePermanent_) {
        sphereMarkers_.clear();
        return false;
    }
    gfx::DrawContext& display = *sphereDisplay_;
    const bool keepStyle = gSymbolStyle == kStyleKeep;
    RestoreMarkerSquares(sphereMarkers_, display, *spherePermanent_, keepStyle);

    const gfx::Color outline = ColorOf(MarkerOutlineColor());
    if (keepStyle) {
        for (const TransientMarker& m : sphereMarkers_) {
            if (m.size <= 0) continue;
            DrawDot(*spherePermanent_, nullptr, m.x, m.y, m.size, outline, ColorOf(m.color), 2);
            const gfx::Rect sq = Square(m.x, m.y, m.size);
            display.Blit(sq, *spherePermanent_, sq.topLeft(), gfx::RasterOp::Copy);
        }
        sphereMarkers_.clear();
        return false;
    }
    for (const TransientMarker& m : sphereMarkers_) {
        if (m.size > 0) DrawDot(display, nullptr, m.x, m.y, m.size, outline, outline, 2);
        else DrawDot(display, nullptr, m.x, m.y, 3, gfx::kWhite, gfx::kWhite, 2);
    }
    return true;
}

void childMap::SetMarkerIcon(int x, int y, bool big) {
    iconX_ = big ? x - kMarkerIconSize : x;
    iconY_ = y;
    // (0, 0) is how callers say "no icon".
    if (x == 0 && y == 0) {
        iconShown_ = false;
        return;
    }
    iconBig_ = big;
    iconShown_ = true;
    DrawMarkerIcon();
}

void childMap::DrawMarkerIcon() {
    if (!iconShown_) return;
    EnsureScreen();
    gfx::StateSaver keep(*screen_);
    screen_->SetOrigin(MapOrigin());
    DrawIconResource(*screen_, iconBig_ ? kBigMarkerIcon : kSmallMarkerIcon, {iconX_, iconY_});
}

void childMap::EraseMarker() {
    if (!iconShown_) return;
    iconShown_ = false;
    if (!mapImage_) return;
    EnsureScreen();
    gfx::StateSaver keep(*screen_);
    screen_->SetOrigin(MapOrigin());
    const gfx::Rect area = gfx::Rect::FromSize(iconX_, iconY_, kMarkerEraseSide, kMarkerEraseSide);
    screen_->Blit(area, *mapImage_, area.topLeft(), gfx::RasterOp::Copy);
    EraseHighlightLabel();
}

void childMap::EraseHighlight() {
    if (!iconShown_) return;
    iconShown_ = false;
    if (!mapImage_) return;
    EnsureScreen();
    gfx::StateSaver keep(*screen_);
    screen_->SetOrigin(MapOrigin());
    const gfx::Rect area =
        gfx::Rect::FromSize(iconX_ - kHighlightLeft, iconY_ - kHighlightLeft, kHighlightWidth, kHighlightHeight);
    screen_->Blit(area, *mapImage_, area.topLeft(), gfx::RasterOp::Copy);
    EraseHighlightLabel();
}

// The large magnitude reaches beyond the ring area; the screen is kept, so
// nothing but this takes it away.
void childMap::EraseHighlightLabel() {
    if (highlightLabel_.empty() || !mapImage_) return;
    gfx::StateSaver keep(*screen_);
    screen_->SetOrigin(MapOrigin());
    screen_->Blit(highlightLabel_, *mapImage_, highlightLabel_.topLeft(), gfx::RasterOp::Copy);
    highlightLabel_ = {};
}

void childMap::HighlightEvent(const QuakeRecord* q, bool withDot, bool withRings) {
    if (!q || !mapImage_) return;
    EnsureScreen();
    const double lat = MasToDegrees(q->latitude), lon = MasToDegrees(q->longitude);
    if (withRings) EraseHighlight();
    else EraseMarker();

    const double m = q->magnitude * 0.1;
    const double radius = DotRadius(m);
    const int r = TruncToInt(radius);
    std::int32_t x = 0, y = 0;
    LatLonToPixel(lat, Proj::LonOffset(lon, gWestEdge), &y, &x);

    gfx::DrawContext& screen = *screen_;
    gfx::StateSaver keep(screen);
    screen.SetOrigin(MapOrigin());
    if (withRings) {
        screen.SetBrush(gfx::Brush::Hollow());
        if (ringCounter_ > kRingCounterTop) ringCounter_ = kRingCounterRestart;
        const int u = ++ringCounter_;
        const int w = u <= 11 ? 4 : u <= 23 ? 3 : u <= 35 ? 2 : 1;
        const int big = u + r;
        auto ring = [&](int radiusPx, int width) {
            if (radiusPx <= 0) return;  // nothing to draw, and no inverted box
            screen.SetPen(gfx::Pen::Solid(ColorOf(kYellowColor), width));
            screen.Ellipse({x - radiusPx, y - radiusPx, x + radiusPx, y + radiusPx});
        };
        ring(big, w);
        if (u > 12) ring(big - 13, w + 1);
        if (u > 24) ring(big - 26, w + 2);
        if (u > 36) ring(big - 39, w + 3);
    }
    if (withDot) {
        const int color = gDepthColors[DepthClass(q->depth / 100000.0)];
        DrawDot(screen, nullptr, x, y, r, gfx::kWhite, ColorOf(color), 2);
    }

    const int d = TruncToInt(0.7 * radius);
    iconX_ = x + d;
    iconY_ = y + d;
    iconShown_ = true;

    if (!highlightFont_) highlightFont_ = gfx::Font::Create("arial black", 67, gfx::kNormalWeight);
    const std::string text = FormatFixed(m, 1, 3);
    // DrawJustifiedText shifts left-aligned text by half a character; the highlight sits without it.
    const int halfChar = (highlightFont_ ? highlightFont_->metrics() : screen.textMetrics()).aveCharWidth / 2;
    const gfx::Rect box = DrawJustifiedText(screen, x + 2 * d - halfChar, y, highlightFont_, text, kYellowColor, kNoColor,
                                            HJust::Left, VJust::Bottom, 2, kBlackColor);
    highlightLabel_ = {box.left, box.top, box.right + 2, box.bottom + 2};  // and its drop shadow
}

void childMap::HideHighlight(bool keepOff) {
    if (!highlightShown_) return;
    EraseHighlight();
    highlightShown_ = false;
    if (!keepOff && gAlertEvent) HighlightEvent(gAlertEvent, true, false);
}

void childMap::DrawPlantSymbol(double latitude, double longitude, bool operating) {
    const auto image = ReadPngBitmap(FindDataFile(operating ? kPlantSymbolFile : kInactivePlantSymbolFile));
    if (!image || image->width <= 0 || image->height <= 0) return;
    EnsureScreen();
    std::int32_t x = 0, y = 0;
    LatLonToPixel(latitude, Proj::LonOffset(longitude, gWestEdge), &y, &x);
    const int left = x - image->width / 2, top = y - image->height / 2;
    gfx::DrawContext* targets[] = {screen_.get(), mapImage_.get()};
    for (gfx::DrawContext* dc : targets) {
        if (!dc) continue;
        gfx::StateSaver keep(*dc);
        ClipMapImage(*dc);
        for (int row = 0; row < image->height; ++row)
            for (int col = 0; col < image->width; ++col) {
                const gfx::RgbaPixel& p = image->at(col, row);
                // Transparent pixels read as white, and white is left out.
                if (p.a == 0) continue;
                const gfx::Color c{p.r, p.g, p.b};
                if (c == gfx::kWhite) continue;
                dc->SetPixel({left + col, top + row}, c);
            }
    }
}

bool childMap::PlaceEventLabel(EventLabelRecord& label) {
    if (!label.IsInView()) return false;
    const double offset = Proj::LonOffset(label.longitude, gWestEdge);
    std::int32_t row = 0, column = 0;
    if (gMapView) {
        LatLonToPixel(label.latitude, offset, &row, &column);
    } else if (gCrossSectionView) {
        if (!CrossSectionEventPoint(label.latitude, offset, 0, &row, &column)) return false;
    } else if (g3DView) {
        if (!Project3DEvent(label.latitude, offset, 0, &row, &column)) return false;
    } else {
        return false;
    }
    label.x = column;
    label.y = row;
    return true;
}
