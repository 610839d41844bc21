// The drawers of each elevation model: where its files lie and which part of
// the map each covers.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "core/config.h"
#include "core/helpers.h"
#include "map/terrain.h"
#include "map/window_helpers.h"
#include "platform/ui/ui.h"

namespace {

__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...) {
    char buf[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    return buf;
}

bool Opens(const std::string& file) {
    std::FILE* f = OpenDataFile(file, "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

std::string Folder(std::string location) {
    AppendBackslash(location);
    return location;
}

// clang-format off
struct ErMapperRegion {
    const char* file;  // after the location; the six USA files by their number
    int number;
    int disc;
    double north, west, south, east;
    double cx, cy;
    int columns, rows;
    bool clearAround;
};
const ErMapperRegion kErMapperRegions[] = {
    {nullptr, 1, 3, 49.1666667, -125.0, 30.833333, -113.33333, 3, 3, 14000, 22000, false},
    {nullptr, 2, 4, 49.1666667, -113.33333, 27.916667, -104.1666667, 3, 3, 11000, 25500, false},
    {nullptr, 3, 5, 50, -104.1666667, 25, -95.833333, 3, 3, 10000, 30000, false},
    {nullptr, 4, 6, 50, -95.833333, 27.916667, -86.666667, 3, 3, 11000, 27700, false},
    {nullptr, 5, 7, 48.0833333, -86.666667, 25, -77.5, 3, 3, 11000, 27700, false},
    {nullptr, 6, 8, 48.0833333, -77.5, 32.916667, -66.25, 3, 3, 13500, 18200, false},
    {"alaska/alaska.bil", 0, 9, 72, -180, 50.75, -130, 12, 6, 15000, 12750, false},
    {"hawaii/hawaii.bil", 0, 9, 22.335, -160.3525, 18.694, -154.6992, 3, 3, 6784, 4369, true},
    {"prtorico/puerto~1.bil", 0, 9, 18.7716667, -67.988888, 17.623333, -64.278888, 3, 3, 4452, 1378, true},
};
// clang-format on

// The GTOPO30 disc of a 40 x 50 degree tile; 0 for none.
int Gtopo30Disc(const std::string& name) {
    static const char* const kDiscs[4][7] = {
        {"W180N90", "W180N40", "W140N90", "W140N40", "W100N90", "W100N40", "W060N90"},
        {"W060N40", "W020N40", "E020N40", "W100S10", "W060S10", "W020S10", "E020S10"},
        {"W020N90", "E020N90", "E060N90", "E100N90", "E140N90", "E060N40", "E100N40"},
        {"W180S10", "W140S10", "E060S10", "E100S10", "E140N40", "E140S10", nullptr},
    };
    for (int d = 0; d < 4; ++d)
        for (const char* n : kDiscs[d])
            if (n && name == n) return d + 1;
    return 0;
}

}  // namespace

bool TerrainRenderer::AskForDisc(const std::string& text, const std::string& file, bool pause) {
    if (gMuseumMode) {
        // Nobody is there to insert a disc: the map is drawn without this terrain.
        ReportDataFileProblem(file, "not found (" + text + "); MUSEUM MODE draws the view without terrain");
        return false;
    }
    const int answer = platform::ui::MessageBox(owner_, text, "Cancel to abort shaded terrain map.",
                                                platform::ui::Buttons::RetryCancel, platform::ui::Icon::Exclamation);
    if (pause) DelayPumping(300);
    return answer == platform::ui::IdRetry;
}

void TerrainRenderer::DrawWorldGrid(const std::string& file, double firstLongitude, int x0, int x1, int y0, int y1,
                                    double cell, int columns) {
    double g = LonOffset(firstLongitude);
    if (g > 0) g -= 360;
    std::int32_t row = 0, m = 0;
    proj_.LatLonToPixel(0, LonOffset(firstLongitude), &row, &m);
    if (m > x0 && m < x1) {
        ShadeGridRows(file, x0, m, y0, y1, g, 90, cell, cell, columns, false, true);
        ShadeGridRows(file, m, x1, y0, y1, g < 0 ? g + 360 : g, 90, cell, cell, columns, false, true);
    } else {
        ShadeGridRows(file, x0, x1, y0, y1, g, 90, cell, cell, columns, false, true);
    }
}

void TerrainRenderer::DrawEtopo5(const std::string& location) {
    const std::int32_t size = GetFileLength(FindDataFile(location));
    const int columns = size > 0 ? size / 4320 : 4321;
    DrawWorldGrid(location, 0, 0, gMapWidth, 0, gMapHeight, 300, columns);
}

// Both are split where the grid wraps, as the 5-minute grid is: a map across
// the date line would otherwise lose everything east of it.
void TerrainRenderer::DrawEtopo2(const std::string& location) {
    DrawWorldGrid(location, -180, 0, gMapWidth, 0, gMapHeight, 120, 10800);
}

void TerrainRenderer::DrawEtopo1(const std::string& location) {
    DrawWorldGrid(location, -180, 1, gMapWidth - 1, 1, gMapHeight - 1, 60, 21601);
}

void TerrainRenderer::DrawCdTiles(const std::string& location) {
    const std::string where = Folder(location);
    for (int i = static_cast<int>(west + 0.01); i <= static_cast<int>(east - 0.01); ++i) {
        for (int a = static_cast<int>(north - 0.01); a >= static_cast<int>(south + 0.01); --a) {
            const int n = -i - 94;
            int disc = 0;
            if (n >= -30 && n <= -11) disc = 1;
            else if (n >= -10 && n <= -1) disc = 2;
            else if (n >= 0 && n <= 7) disc = 3;
            else if (n >= 8 && n <= 17) disc = 4;
            else if (n >= 18 && n <= 66) disc = 5;
            else continue;
            const int t = a - 40;
            int folder = 0;
            if (t >= 4 && t <= 9) folder = 1;
            else if (t >= 0 && t <= 3) folder = 2;
            else if (t >= -4 && t <= -1) folder = 3;
            else if (t >= -8 && t <= -5) folder = 4;
            else if (t >= -23 && t <= -9) folder = 5;
            else continue;
            const std::string check = Format("%sCD%1d_DIR1/00000.3CD", where.c_str(), disc);
            while (!Opens(check)) {
                if (!AskForDisc(Format("Insert Rocky Mountain Comm. 3 Arc sec CD-ROM No. %d in drive %s.", disc,
                                       where.c_str()),
                                check, true))
                    return;
            }
            const std::string tile =
                Format("%sCD%1d_DIR%1d/%02u%03u.3CD", where.c_str(), disc, folder, static_cast<unsigned>(a),
                       static_cast<unsigned>(-i));
            if (DrawColumnTile(tile, a + 1, i - 1, 3, 3, 1201, 1201)) return;
        }
    }
}

void TerrainRenderer::DrawAlaskaCdTiles(const std::string& location) {
    const std::string where = Folder(location);
    const std::string check = where + "00000.3CD";
    while (!Opens(check))
        if (!AskForDisc("Insert Alaska CD-ROM, No. 6.", check, false)) return;
    for (int i = static_cast<int>(west + 0.02); i <= static_cast<int>(east - 0.02); ++i) {
        for (int a = static_cast<int>(north - 0.02); a >= static_cast<int>(south + 0.02); --a) {
            if (PumpMessagesCheckEsc()) return;
            const int cx = a < 50 ? 3 : a < 69 ? 6 : 9;
            const int columns = a < 50 ? 1201 : a < 69 ? 601 : 401;
            const std::string tile = Format("%sCD6_AK%02d/%02u%03u.3CD", where.c_str(), a, static_cast<unsigned>(a),
                                            static_cast<unsigned>(-i));
            if (DrawColumnTile(tile, a + 1, i - 1, cx, 3, columns, 1201)) return;
        }
    }
}

void TerrainRenderer::DrawGtopo30Tiles(const std::string& location) {
    const int firstNorth = static_cast<int>(std::ceil((north + 60) / 50) * 50 - 60);
    const int lastNorth = static_cast<int>(std::floor((south + 60) / 50) * 50 - 60);
    const int firstWest = static_cast<int>(std::floor((west + 180) / 40) * 40 - 180);
    const int endWest = static_cast<int>(std::ceil((east + 180) / 40) * 40 - 180);
    for (int edgeNorth = firstNorth; edgeNorth > lastNorth; edgeNorth -= 50) {
        if (edgeNorth > 90) continue;
        for (int w = firstWest; w < endWest; w += 40) {
            const int edge = w >= 180 ? w - 360 : w;
            const std::string name = Format("%c%03d%c%02d", edge < 0 ? 'W' : 'E', edge < 0 ? -edge : edge,
                                            edgeNorth < 0 ? 'S' : 'N', edgeNorth < 0 ? -edgeNorth : edgeNorth);
            const int disc = Gtopo30Disc(name);
            if (disc == 0) continue;
            const std::string file = Format("%s%s/%s.DEM", location.c_str(), name.c_str(), name.c_str());
            while (!Opens(file)) {
                if (!AskForDisc(Format("Insert EROS. 30-arc-sec CD-ROM No. %d in drive %s.  (File: %s)", disc,
                                       location.c_str(), file.c_str()),
                                file, true))
                    return;
            }
            DrawGridTile(file, edgeNorth, edge, 30, 30, 4800, 6000, true, false, true);
        }
    }
    if (south > -60) return;
    const int first = static_cast<int>(std::floor((west + 180) / 60) * 60 - 180);
    const int end = static_cast<int>(std::ceil((east + 180) / 60) * 60 - 180);
    for (int w = first; w < end; w += 60) {
        const int edge = w >= 180 ? w - 360 : w;
        const std::string name = Format("%c%03d%c%02d", edge < 1 ? 'W' : 'E', edge < 1 ? -edge : edge, 'S', 60);
        const std::string file = Format("%s%s/%s.DEM", location.c_str(), name.c_str(), name.c_str());
        while (!Opens(file)) {
            if (!AskForDisc(Format("Insert EROS. 30-arc-sec CD-ROM No. 5 in drive %s.  (File: %s)", location.c_str(),
                                   file.c_str()),
                            file, true))
                return;
        }
        DrawGridTile(file, -60, edge, 30, 30, 7200, 3600, true, false, true);
    }
}

void TerrainRenderer::DrawErMapperRegions(const std::string& location) {
    FillPaletteRect(0, 0, gMapWidth, gMapHeight, 8);
    for (const ErMapperRegion& r : kErMapperRegions) {
        if (r.south > north || r.north < south || r.east < west || r.west > east) continue;
        const std::string file = r.number ? Format("%susadem%d/usadem%d.bil", location.c_str(), r.number, r.number)
                                          : location + r.file;
        while (!Opens(file)) {
            if (!AskForDisc(Format("Insert ER Mapper. CD-ROM No. %d in drive %s.  (File: %s)", r.disc,
                                   location.c_str(), file.c_str()),
                            file, true))
                return;
        }
        DrawGridTile(file, r.north, r.west, r.cx, r.cy, r.columns, r.rows, false, r.clearAround, true);
    }
}

void TerrainRenderer::DrawNedTiles(const std::string& location) {
    constexpr double kTileDegrees = 1.0033333333333334;  // 3612 cells of one arc-second
    for (int a = static_cast<int>(north + 0.99); a >= static_cast<int>(south + 0.01); --a) {
        for (int i = static_cast<int>(west - 0.99); i <= static_cast<int>(east - 0.01); ++i) {
            const std::string file = Format("%sn%dw%d.bin", location.c_str(), a, -i);
            if (!FileExists(file) && FindDataFile(file).empty()) continue;
            double w = LonOffset(i);
            const double e = LonOffset(i + kTileDegrees);
            if (e < w) w -= 360;
            std::int32_t y0 = 0, x0 = 0, y1 = 0, x1 = 0;
            proj_.LatLonToPixel(a, w, &y0, &x0);
            proj_.LatLonToPixel(a - kTileDegrees, e, &y1, &x1);
            if (y0 > gMapHeight || y1 < 0 || x0 > gMapWidth || x1 <= 0) continue;
            x0 = std::clamp(x0, 0, gMapWidth), x1 = std::clamp(x1, 0, gMapWidth);
            y0 = std::clamp(y0, 0, gMapHeight), y1 = std::clamp(y1, 0, gMapHeight);
            ShadeGridRows(file, x0, x1, y0, y1, w, a, 1, 1, 3612, false, true);
        }
    }
}
