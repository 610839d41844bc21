#include "tools/start_picture.h"

#include <cstdio>

#include "core/config.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/draw.h"
#include "map/proj.h"
#include "map/segment_file.h"
#include "map/segments.h"
#include "platform/gfx/font.h"

namespace gfx = platform::gfx;

namespace {

// Mercator bounds that fill a picture of about 1.9 : 1, the start screen's shape.
constexpr double kSouth = -60, kNorth = 75;
constexpr double kMinMagnitude = 6.5;
constexpr int kYellow = 14, kLightRed = 12, kLightGreen = 10, kLightCyan = 11;

void DrawLayers(const Proj& proj, gfx::DrawContext& dc) {
    for (const char* pattern : {"COAST.S?", "COUNTRY.S?", "PLATES.S0"}) {
        const std::string name = ResolveMapFileName(pattern, proj.xScale);
        std::FILE* f = OpenDataFile(name, "rb");
        if (!f) continue;
        (void)DrawSegmentFile(proj, f, LayoutForFileName(name), dc);
        std::fclose(f);
    }
}

void DrawQuakes(const Proj& proj, gfx::DrawContext& dc, const std::string& catalogue) {
    std::FILE* f = OpenDataFile(catalogue, "rb");
    if (!f) return;
    const std::int32_t n = QuakeRecordCount(f);
    for (std::int32_t i = 0; i < n; ++i) {
        QuakeRecord q;
        ReadQuakeAt(f, i, kFromStart, &q);
        const double magnitude = q.magnitude / 10.0;
        if (magnitude < kMinMagnitude) continue;
        const double lat = q.latitude / 3600000.0, lon = q.longitude / 3600000.0, depthKm = q.depth / 100000.0;
        if (lat < kSouth || lat > kNorth) continue;
        std::int32_t row = 0, column = 0;
        proj.LatLonToPixel(lat, Proj::LonOffset(lon, gWestEdge), &row, &column);
        const int colour = depthKm < 70 ? kLightRed : depthKm < 300 ? kYellow : kLightGreen;
        const int r = static_cast<int>(magnitude - 5);
        DrawDot(dc, nullptr, column, row, r, gfx::kBlack, ColorOf(colour), 1);
    }
    std::fclose(f);
}

}  // namespace

std::unique_ptr<gfx::Surface> RenderStartPicture(int width, int height, const std::string& catalogue) {
    if (width <= 0 || height <= 0) return nullptr;
    auto picture = gfx::Surface::Create(width, height, gfx::Color(8, 16, 48));
    if (!picture) return nullptr;
    gfx::DrawContext dc(*picture);

    BuildMercatorTable();
    Proj proj;
    // The segment files' skip test reads the view's bounds.
    gMapWest = gWestEdge = -180;
    gMapEast = 180;
    gLonSpan = 360;
    gMapSouth = kSouth;
    gMapNorth = kNorth;
    std::int32_t w = width, h = height, left = 0, top = 0, right = width, bottom = height;
    if (proj.SetMapScale(&gLonSpan, &h, &w, kSouth, kNorth, &left, &top, &right, &bottom, &proj.xScale,
                         &proj.yScale)) {
        gfx::StateSaver saver(dc);
        ClipToRect(dc, left, top, right, bottom, true);
        DrawLayers(proj, dc);
        DrawQuakes(proj, dc, catalogue);
    }
    FreeMercatorTable();

    // The name over the empty southern ocean, the line under it in the Atlantic's south.
    const auto title = gfx::Font::Create("TimesRoman", height / 7, gfx::kBoldWeight);
    const auto line = gfx::Font::Create("Arial", height / 22, gfx::kBoldWeight);
    const int y = height * 3 / 4;
    const gfx::Rect name = DrawJustifiedText(dc, width / 2, y, title, "Kestrune", kYellow, kNoColor, HJust::Center,
                                             VJust::Top, 3, 0);
    DrawJustifiedText(dc, width / 2, name.bottom + 2, line, "Earthquakes and eruptions of a century, replayed",
                      kLightCyan, kNoColor, HJust::Center, VJust::Top, 2, 0);
    return picture;
}
