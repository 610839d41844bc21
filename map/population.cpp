#include "map/population.h"

#include <algorithm>
#include <cstdio>
#include <sys/types.h>
#include <vector>

#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/window_helpers.h"

namespace gfx = platform::gfx;

int PopulationClass(int v) {
    const int t1 = gPopulationLevels[0] / 100, t2 = gPopulationLevels[1] / 100, t3 = gPopulationLevels[2] / 100;
    if (v == 0 || v <= t1) return 0;
    if (v > t3) return 3;
    if (v > t2) return 2;
    return 1;
}

void DrawPopulationGrid(gfx::DrawContext& dc, const Proj& proj, const std::string& file, int x0, int x1, int y0,
                        int y1, double westOffset, double north, double cx, double cy, int columns) {
    if (x1 <= x0 || y1 <= y0 || columns <= 0 || !(cx > 0) || !(cy > 0)) return;
    std::FILE* f = OpenDataFile(file, "rb");
    if (!f) return;
    long long size = 0;
    if (fseeko(f, 0, SEEK_END) == 0) size = ftello(f);

    double lat = 0, o0 = 0, o1 = 0;
    proj.ScreenToLatLon(y0, x0, &lat, &o0);
    proj.ScreenToLatLon(y0, x1, &lat, &o1);
    if (o0 < westOffset) westOffset = o0;
    const long long c0 = static_cast<long long>((o0 - westOffset) * 3600 / cx);
    const long long n = std::max(static_cast<long long>((o1 - westOffset) * 3600 / cx) - c0, 0LL);
    const double ratio = static_cast<double>(n) / (x1 - x0);
    const gfx::Color colors[3] = {
        {static_cast<std::uint8_t>(gPopulationColors[0][0]), static_cast<std::uint8_t>(gPopulationColors[0][1]),
         static_cast<std::uint8_t>(gPopulationColors[0][2])},
        {static_cast<std::uint8_t>(gPopulationColors[1][0]), static_cast<std::uint8_t>(gPopulationColors[1][1]),
         static_cast<std::uint8_t>(gPopulationColors[1][2])},
        {static_cast<std::uint8_t>(gPopulationColors[2][0]), static_cast<std::uint8_t>(gPopulationColors[2][1]),
         static_cast<std::uint8_t>(gPopulationColors[2][2])},
    };

    std::vector<unsigned char> row(static_cast<std::size_t>(n + 1));
    for (int y = y0; y < y1; ++y) {
        if (PumpMessagesCheckEsc()) break;
        double o = 0;
        proj.ScreenToLatLon(y, x0, &lat, &o);
        if (lat > north) continue;
        const long long r = static_cast<long long>((north - lat) * 3600 / cy);
        const long long offset = c0 + static_cast<long long>(columns) * r;
        if (offset < 0 || offset >= size) continue;
        std::fill(row.begin(), row.end(), 0);
        // Past the row's end lies the next row: those cells read as 0.
        const long long inRow = std::clamp<long long>(columns - c0, 0, n + 1);
        if (fseeko(f, static_cast<off_t>(offset), SEEK_SET) != 0) continue;
        (void)std::fread(row.data(), 1, static_cast<std::size_t>(inRow), f);
        for (int x = x0; x < x1; ++x) {
            const int c = PopulationClass(row[static_cast<std::size_t>((x - x0) * ratio)]);
            if (c) dc.SetPixel({x, y}, colors[c - 1]);
        }
    }
    std::fclose(f);
}

void DrawPopulation(gfx::DrawContext& dc, const Proj& proj, const std::string& file) {
    if (file.empty() || gMapWidth <= 0 || gMapHeight <= 0) return;
    double g = Proj::LonOffset(0, gWestEdge);
    std::int32_t row = 0, m = 0;
    proj.LatLonToPixel(0, g, &row, &m);
    if (g > 0) g -= 360;
    gfx::StateSaver keep(dc);
    dc.IntersectClip({0, 0, gMapWidth, gMapHeight});
    constexpr double kCell = 30;
    if (m >= 1 && m < gMapWidth) {
        DrawPopulationGrid(dc, proj, file, 0, m, 0, gMapHeight, g, kPopulationNorth, kCell, kCell, kPopulationColumns);
        DrawPopulationGrid(dc, proj, file, m, gMapWidth, 0, gMapHeight, g < 0 ? g + 360 : g, kPopulationNorth, kCell,
                           kCell, kPopulationColumns);
    } else {
        DrawPopulationGrid(dc, proj, file, 0, gMapWidth, 0, gMapHeight, g, kPopulationNorth, kCell, kCell,
                           kPopulationColumns);
    }
}
