#include "map/terrain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sys/types.h>

#include "core/config.h"
#include "core/helpers.h"
#include "core/polygon.h"
#include "core/view.h"
#include "map/draw.h"
#include "map/hue.h"
#include "map/window_helpers.h"

namespace gfx = platform::gfx;

std::vector<BaseElevationBox> gBaseElevations;
std::unique_ptr<gfx::Palette> gTerrainPalette;
int gTerrainBandCount = 0;
int gDisplayColors = 1 << 16;  // a true-colour display, as counted with at most 16 bits

namespace {

constexpr double kMetresPerArcSecond = 30.86;
constexpr int kFlatShade = 8;

// clang-format off
const ElevationModel kModels[kTopoModelCount] = {
    {1, "USA 5-minute  (USA.Z)", "USA ETOPO5 DIRECTORY", ModelStorage::SingleFile, 50, -130, 300, 300, 781, 324},
    {2, "USA 30-second (TOPO30)", "USA TOPO30 DIRECTORY", ModelStorage::SingleFile, 50, -126, 30, 30, 7200, 3120},
    {3, "USA 3-second (RMC CD-ROM)", "USA TOPO3 DIRECTORY", ModelStorage::DiscTiles, 0, 0, 3, 3, 1201, 1201},
    {4, "Alaska 3-second (RMC CD-ROM)", "USA TOPO3 DIRECTORY", ModelStorage::DiscTiles, 0, 0, 3, 3, 1201, 1201},
    {5, "World 5-minute DEM (ETOPO5)", "WORLD ETOPO5 DIRECTORY", ModelStorage::SingleFile, 90, 0, 300, 300, 0, 2160},
    {6, "USA 9-sec (ER Mapper CD-ROM)", "USA TOPO9 DIRECTORY", ModelStorage::SingleFile, 50, -125, 9, 9, 23600, 10400},
    {7, "World 30-sec DEM (GTOPO30)", "WORLD GTOPO30 DIRECTORY", ModelStorage::DiscTiles, 0, 0, 30, 30, 4800, 6000},
    {8, "World 2-minute DEM (ETOPO2)", "WORLD ETOPO2 DIRECTORY", ModelStorage::SingleFile, 90, -180, 120, 120, 10800, 5400},
    {9, "World 1-minute DEM (ETOPO1)", "WORLD ETOPO1 DIRECTORY", ModelStorage::SingleFile, 90, -180, 60, 60, 21601, 10801},
    {10, "USA 3 sec ER Mapper (CD_ROM)", "ERMAPPER DIRECTORY", ModelStorage::DiscTiles, 0, 0, 3, 3, 0, 0},
    {11, "National Elev. Data (NED) 1-sec", "NED1 DIRECTORY", ModelStorage::FolderTiles, 0, 0, 1, 1, 3612, 3612},
};
// clang-format on

const std::string kNoLocation;

std::int16_t Cell(const unsigned char* b, bool swap) {
    const unsigned v = swap ? (unsigned{b[0]} << 8) | b[1] : (unsigned{b[1]} << 8) | b[0];
    return static_cast<std::int16_t>(v);
}

bool Seek(std::FILE* f, long long offset) { return offset >= 0 && fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0; }

// count cells from the file's current place; whatever the file does not hold reads as 0.
void ReadCells(std::FILE* f, bool positioned, int count, bool swap, std::vector<std::int16_t>& out,
               std::vector<unsigned char>& bytes) {
    out.assign(static_cast<std::size_t>(std::max(count, 0)), 0);
    if (!positioned || count <= 0) return;
    bytes.assign(static_cast<std::size_t>(count) * 2, 0);
    const std::size_t got = std::fread(bytes.data(), 2, static_cast<std::size_t>(count), f);
    for (std::size_t i = 0; i < got; ++i) out[i] = Cell(&bytes[2 * i], swap);
}

// The element i of v, held to its ends; 0 for an empty one.
int At(const std::vector<std::int16_t>& v, long long i) {
    if (v.empty()) return 0;
    return v[static_cast<std::size_t>(std::clamp<long long>(i, 0, static_cast<long long>(v.size()) - 1))];
}

bool ParseBaseLine(const char* line, double v[4], long long* base) {
    std::string_view rest(line);
    for (int i = 0; i < 4; ++i) {
        std::size_t used = 0;
        if (!ScanLeadingDouble(rest, &v[i], &used)) return false;
        v[i] = static_cast<float>(v[i]);  // single precision, as the boxes were always read
        rest.remove_prefix(used);
    }
    return ScanLeadingInteger(rest, 10, base);
}

}  // namespace

// ---- Models ----------------------------------------------------------------------------------

const ElevationModel* ModelOfTopo(int topo) {
    if (topo < 1 || topo > kTopoModelCount) return nullptr;
    return &kModels[topo - 1];
}

const std::string& ModelLocation(int topo) {
    switch (topo) {
        case 1: return gUsaEtopo5Dir;
        case 2: return gUsaTopo30Dir;
        case 3:
        case 4: return gUsaTopo3Dir;
        case 5: return gWorldEtopo5Dir;
        case 6: return gUsaTopo9Dir;
        case 7: return gWorldGtopo30Dir;
        case 8: return gWorldEtopo2Dir;
        case 9: return gWorldEtopo1Dir;
        case 10: return gErMapperDir;
        case 11: return gNed1Dir;
        default: return kNoLocation;
    }
}

bool ModelAvailable(int topo) {
    const ElevationModel* m = ModelOfTopo(topo);
    if (!m) return false;
    const std::string& where = ModelLocation(topo);
    if (where.empty()) return topo == 11 && !gErMapperDir.empty();
    if (m->storage == ModelStorage::SingleFile) return !FindDataFile(where).empty();
    return true;
}

int AutoTerrainModel(double north, double south, double west, double east, int mapHeight) {
    if (mapHeight <= 0) return 5;
    const long long s = static_cast<long long>(std::fabs(north - south) * 3600 / mapHeight);
    if (s >= 121) return 8;
    if (s >= 61) return 9;
    if (s >= 21) return 7;
    const GeoPoint* usa = gUsaOutline;
    const int n = kUsaConterminousPoints;
    if (PointInPolygon(usa, n, west, south) && PointInPolygon(usa, n, east, south) &&
        PointInPolygon(usa, n, west, north) && PointInPolygon(usa, n, east, north))
        return 11;
    if (south > 23 && north < 50 && west > -130 && east < -65) return 6;
    if ((south > 51 && north < 72 && west > -180 && east < -130) ||
        (south > 18.8 && north < 22.5 && west > -160.5 && east < -154.5) ||
        (south > 16 && north < 20 && west > -70 && east < -62))
        return 10;
    return 7;
}

int AvailableTerrainModel(int topo) {
    if (ModelAvailable(topo) || !ModelAvailable(5)) return topo;
    return 5;
}

// ---- Base elevations --------------------------------------------------------------------------

void ReadBaseElevations(const Proj& proj) {
    gBaseElevations.clear();
    std::FILE* f = OpenDataFile("baseelev.txt", "rt");
    if (!f) return;
    char line[80];
    while (ReadLine(line, sizeof line, f)) {
        double v[4];  // north, west, south, east
        long long base = 0;
        if (!ParseBaseLine(line, v, &base)) break;
        if (!(v[2] < gMapNorth && v[0] > gMapSouth)) continue;
        double w = Proj::LonOffset(v[1], gWestEdge);
        double e = Proj::LonOffset(v[3], gWestEdge);
        if (e < w) {
            w = 0;
        } else if (e == w || w >= gLonSpan) {
            continue;
        }
        e = std::min(e, gLonSpan);
        BaseElevationBox box;
        proj.LatLonToPixel(v[0], w, &box.top, &box.left);
        proj.LatLonToPixel(v[2], e, &box.bottom, &box.right);
        box.base = static_cast<std::int32_t>(std::clamp<long long>(base, INT32_MIN, INT32_MAX));
        gBaseElevations.push_back(box);
    }
    std::fclose(f);
}

// ---- Palette and shades -----------------------------------------------------------------------

void PrepareTerrainPalette() {
    gTerrainPalette.reset();
    gTerrainBandCount = 0;
    if (gDisplayColors >= 256) gTerrainPalette = ReadHueFile(gTopoHueFile, &gTerrainBandCount);
}

int SlopeShade(double difference, double factor) {
    const double s = std::trunc(difference * factor) + kFlatShade;
    if (!(s > 0)) return 0;
    return s > 15 ? 15 : static_cast<int>(s);
}

double ShadeFactor(double maxSlope, double cellSeconds, double span) {
    const double d = maxSlope * cellSeconds * kMetresPerArcSecond * span;
    if (!(maxSlope > 0) || !(cellSeconds > 0) || !(d > 0) || !std::isfinite(d)) return 0;
    return 1600 / d;
}

int RowPaletteIndex(int e, int base, int shade, int bandCount) {
    const int levels = std::max(gBathymetryContourLevels, 0);
    const int contour = std::max(gContourInterval, 1);
    const int bathyContour = std::max(gBathymetryContourInterval, 1);
    int index;
    if (e > base) {
        const int land = std::clamp(e / contour, 0, std::max(bandCount - levels - 1, 0));
        index = shade + kShadesPerBand * (levels + land);
    } else if (gShowBathymetry) {
        // Inland water above sea level keeps its shade in the first band.
        const int band = std::max(0, std::min(-(e / bathyContour), levels - 1));
        index = shade + kShadesPerBand * band;
    } else {
        index = kFlatShade;
    }
    return std::clamp(index, 0, kTerrainPaletteSize - 1);
}

int ColumnPaletteIndex(int e, int base, int shade, int bandCount) {
    const int contour = std::max(gContourInterval, 1);
    int index;
    if (e > base)
        index = shade + kShadesPerBand + kShadesPerBand * std::clamp(e / contour, 0, std::max(bandCount - 2, 0));
    else
        index = gShowBathymetry ? shade : kFlatShade;
    return std::clamp(index, 0, kTerrainPaletteSize - 1);
}

gfx::Color FallbackColor(bool land, int shade) {
    static constexpr int kLand[4] = {0, 8, 7, 15};
    static constexpr int kWater[4] = {0, 1, 9, 9};
    const int q = std::clamp(shade, 0, 15) / 4;
    if (land) return ColorOf(kLand[q]);
    return ColorOf(gShowBathymetry ? kWater[q] : 1);
}

// ---- The renderer -----------------------------------------------------------------------------

TerrainRenderer::TerrainRenderer(gfx::DrawContext& dc, const Proj& proj, platform::ui::Window* owner)
    : dc_(dc), proj_(proj), owner_(owner) {}

double TerrainRenderer::LonOffset(double lon) const { return Proj::LonOffset(lon, gWestEdge); }

gfx::Color TerrainRenderer::PaletteColor(int index) const {
    if (gTerrainPalette) return (*gTerrainPalette)[index];
    return FallbackColor(false, index % kShadesPerBand);  // index 8 of the fallback: the sea
}

int TerrainRenderer::BaseAt(int x, int y, bool last) const {
    int base = 0;
    for (const BaseElevationBox& b : gBaseElevations) {
        if (x >= b.left && x <= b.right && y >= b.top && y <= b.bottom) {
            base = b.base;
            if (!last) break;
        }
    }
    return base;
}

void TerrainRenderer::FillPaletteRect(int x0, int y0, int x1, int y1, int index) {
    dc_.FillRect({x0, y0, x1 + 1, y1}, gfx::Brush::Solid(PaletteColor(index)));
}

void TerrainRenderer::ShadeGridRows(const std::string& file, int x0, int x1, int y0, int y1, double westOffset,
                                    double north, double cx, double cy, int columns, bool swapBytes, bool drawZero) {
    if (x1 <= x0 || y1 <= y0 || columns <= 0 || !(cx > 0) || !(cy > 0)) return;
    std::FILE* f = OpenDataFile(file, "rb");
    if (!f) return;

    double lat = 0, o0 = 0, o1 = 0;
    proj_.ScreenToLatLon(y0, x0, &lat, &o0);
    proj_.ScreenToLatLon(y0, x1, &lat, &o1);
    if (o0 < westOffset) westOffset = o0;
    const long long c0 = static_cast<long long>((o0 - westOffset) * 3600 / cx);
    const long long c1 = static_cast<long long>((o1 - westOffset) * 3600 / cx);
    const long long n = std::max(c1 - c0, 0LL);
    const int p = x1 - x0;
    const double ratio = static_cast<double>(n) / p;
    const bool thinned = ratio > 1;
    double land = ShadeFactor(gMaxSlope, cx, 2);
    double water = ShadeFactor(gBathymetryMaxSlope, cx, 2);
    if (thinned) land /= ratio, water /= ratio;
    const bool palette = gTerrainPalette != nullptr;
    const long long lastJ = static_cast<long long>((p - 1) * ratio);

    std::vector<std::int16_t> cells, v(static_cast<std::size_t>(p));
    std::vector<unsigned char> bytes;
    for (int y = y0; y < y1; ++y) {
        if (PumpMessagesCheckEsc()) break;
        double o = 0;
        proj_.ScreenToLatLon(y, x0, &lat, &o);
        if (lat > north) lat = north;
        const long long r = static_cast<long long>((north - lat) * 3600 / cy);
        const long long c = static_cast<long long>((o - westOffset) * 3600 / cx);
        // Cells past the row's end belong to the next row: they read as 0.
        const long long inRow = std::clamp<long long>(columns - c, 0, n + 1);
        ReadCells(f, Seek(f, 2 * (r * columns + c)), static_cast<int>(inRow), swapBytes, cells, bytes);
        cells.resize(static_cast<std::size_t>(n + 1), 0);
        for (int k = 0; k < p; ++k) v[static_cast<std::size_t>(k)] = cells[static_cast<std::size_t>(k * ratio)];

        for (int x = x0; x < x1; ++x) {
            const int k = x - x0;
            const long long j = static_cast<long long>(k * ratio);
            const int e = v[static_cast<std::size_t>(k)];
            double d;
            if (thinned) {
                if (p < 2) d = 0;
                else if (k == 0) d = 2.0 * (v[1] - v[0]);
                else if (k == p - 1) d = 2.0 * (v[static_cast<std::size_t>(k)] - v[static_cast<std::size_t>(k - 1)]);
                else d = v[static_cast<std::size_t>(k + 1)] - v[static_cast<std::size_t>(k - 1)];
            } else {
                if (j == 0) d = 2.0 * (At(cells, 1) - At(cells, 0));
                else if (j == lastJ) d = 2.0 * (At(cells, j) - At(cells, j - 1));
                else d = At(cells, j + 1) - At(cells, j - 1);
            }
            if (n == 0) d = 0;
            const int s = SlopeShade(d, e < 0 ? water : land);
            const int b = gBaseElevations.empty() ? 0 : BaseAt(x, y, false);
            if (!drawZero && e == 0) continue;
            if (!palette) {
                dc_.SetPixel({x, y}, FallbackColor(e > b, s));
                continue;
            }
            dc_.SetPixel({x, y}, (*gTerrainPalette)[RowPaletteIndex(e, b, s, gTerrainBandCount)]);
        }
    }
    std::fclose(f);
}

bool TerrainRenderer::ShadeGridColumns(const std::string& file, int x0, int x1, int y0, int y1, double westOffset,
                                       double south, double cx, double cy, int cellsPerColumn) {
    if (x1 < x0 || y1 <= y0 || cellsPerColumn <= 0 || !(cx > 0) || !(cy > 0)) return false;
    std::FILE* f = OpenDataFile(file, "rb");
    if (!f) {
        FillPaletteRect(x0, y0, x1, y1, kFlatShade);
        return false;
    }
    const int rows = y1 - y0 + 1;
    std::vector<long long> b(static_cast<std::size_t>(rows));
    bool stretched = false;
    for (int k = 0; k < rows; ++k) {
        double lat = 0, o = 0;
        proj_.ScreenToLatLon(y0 + k, x0, &lat, &o);
        const long long cell = static_cast<long long>((lat - south + cy / 7200) * 3600 / cy);
        b[static_cast<std::size_t>(k)] = std::max(cell, 0LL);
        if (k > 0 && b[static_cast<std::size_t>(k)] == b[static_cast<std::size_t>(k - 1)]) stretched = true;
    }
    const double factor = ShadeFactor(gMaxSlope, cy, 1);
    const bool palette = gTerrainPalette != nullptr;
    const long long last = cellsPerColumn - 1;

    std::vector<std::int16_t> cells, v(static_cast<std::size_t>(rows));
    std::vector<unsigned char> bytes;
    for (int x = x0; x <= x1; ++x) {
        if (PumpMessagesCheckEsc()) {
            std::fclose(f);
            return true;
        }
        double lat = 0, o = 0;
        proj_.ScreenToLatLon(y0, x, &lat, &o);
        const double a = std::trunc((o - westOffset + cx / 7200) * 3600 / cx);
        if (a < 0) continue;
        const long long column = static_cast<long long>(a);
        ReadCells(f, Seek(f, column * cellsPerColumn * 2), cellsPerColumn, false, cells, bytes);
        for (int k = 0; k < rows; ++k)
            v[static_cast<std::size_t>(k)] = static_cast<std::int16_t>(At(cells, std::min(b[static_cast<std::size_t>(k)], last)));

        for (int y = y0; y < y1; ++y) {
            const int k = y - y0;
            const int e = v[static_cast<std::size_t>(k)];
            double d;
            if (stretched) {
                const long long i = std::min(b[static_cast<std::size_t>(k)], last);
                d = k == 0 ? 2.0 * (At(cells, i - 1) - At(cells, i)) : At(cells, i - 1) - At(cells, i + 1);
            } else {
                d = k == 0 ? 2.0 * (v[1] - v[0]) : v[static_cast<std::size_t>(k + 1)] - v[static_cast<std::size_t>(k - 1)];
            }
            const int s = SlopeShade(d, factor);
            if (!palette) {
                dc_.SetPixel({x, y}, FallbackColor(e >= 1, s));
                continue;
            }
            const int base = gBaseElevations.empty() ? 0 : BaseAt(x, y, true);
            dc_.SetPixel({x, y}, (*gTerrainPalette)[ColumnPaletteIndex(e, base, s, gTerrainBandCount)]);
        }
    }
    std::fclose(f);
    return false;
}

void TerrainRenderer::DrawGridTile(const std::string& file, double north, double west, double cx, double cy,
                                   int columns, int rows, bool swapBytes, bool clearAround, bool drawZero) {
    const double southEdge = north - cy * rows / 3600;
    const double eastEdge = west + cx * columns / 3600;
    double w = LonOffset(west);
    const double e = LonOffset(eastEdge);
    if (e < w) w -= 360;
    std::int32_t y0 = 0, x0 = 0, y1 = 0, x1 = 0;
    proj_.LatLonToPixel(north, w, &y0, &x0);
    proj_.LatLonToPixel(southEdge, e, &y1, &x1);
    const int width = gMapWidth, height = gMapHeight;
    if (y0 > height || y1 < 0 || x0 > width || x1 <= 0) return;
    x0 = std::clamp(x0, 0, width), x1 = std::clamp(x1, 0, width);
    y0 = std::clamp(y0, 0, height), y1 = std::clamp(y1, 0, height);
    if (clearAround) {
        if (x0 > 1) FillPaletteRect(0, 0, x0, height, kFlatShade);
        if (x1 < width) FillPaletteRect(x1, 0, width, height, kFlatShade);
        if (y0 > 1) FillPaletteRect(0, 0, width, y0, kFlatShade);
        if (y1 < height) FillPaletteRect(0, y1, width, height, kFlatShade);
    }
    ShadeGridRows(file, x0, x1, y0, y1, w, north, cx, cy, columns, swapBytes, drawZero);
}

bool TerrainRenderer::DrawColumnTile(const std::string& file, double north, double west, double cx, double cy,
                                     int columns, int cellsPerColumn) {
    const double w = west - gWestEdge;
    const double southEdge = north - cy * (cellsPerColumn - 1) / 3600;
    const double e = w + cx * (columns - 1) / 3600;
    std::int32_t y0 = 0, x0 = 0, y1 = 0, x1 = 0;
    proj_.LatLonToPixel(north, w, &y0, &x0);
    proj_.LatLonToPixel(southEdge, e, &y1, &x1);
    const int width = gMapWidth, height = gMapHeight;
    if (y0 > height || y1 < 0 || x0 > width || x1 <= 0) return false;
    if (y0 <= 0) y0 = 1;
    x0 = std::clamp(x0, 0, width), x1 = std::clamp(x1, 0, width);
    y0 = std::min(y0, height), y1 = std::clamp(y1, 0, height);
    return ShadeGridColumns(file, x0, x1, y0, y1, w, southEdge, cx, cy, cellsPerColumn);
}

void TerrainRenderer::DrawTerrain() {
    const int width = gMapWidth, height = gMapHeight;
    if (width <= 0 || height <= 0) return;
    ReadBaseElevations(proj_);

    double westOffset = 0, eastOffset = 0;
    proj_.ScreenToLatLon(0, 0, &north, &westOffset);
    proj_.ScreenToLatLon(height - 1, width - 1, &south, &eastOffset);
    west = westOffset + gWestEdge;
    east = eastOffset + gWestEdge;
    if (west > east) east = west;
    if (south > north) std::swap(south, north);

    if (gControls[kControlAutoTerrain]) {
        gTopo = AvailableTerrainModel(AutoTerrainModel(north, south, west, east, height));
        DebugLog("AUTO TERRAIN: TOPO %d", static_cast<int>(gTopo));
    }

    const ElevationModel* m = ModelOfTopo(gTopo);
    const std::string& where = ModelLocation(gTopo);
    if (m && m->storage == ModelStorage::SingleFile && FindDataFile(where).empty()) {
        ReportDataFileProblem(where.empty() ? std::string(m->locationKey) : where,
                              where.empty() ? "no file named; drawn without terrain" : "missing; drawn without terrain");
        gBaseElevations.clear();
        return;
    }
    switch (gTopo) {
        case 1:
        case 2: DrawGridTile(where, m->north, m->west, m->cx, m->cy, m->columns, m->rows, false, true, true); break;
        case 3: DrawCdTiles(where); break;
        case 4: DrawAlaskaCdTiles(where); break;
        case 5: DrawEtopo5(where); break;
        case 6:
            if (south < 32.7 || north > 49) {
                DrawGtopo30Tiles(gWorldGtopo30Dir);
                DrawGridTile(where, m->north, m->west, m->cx, m->cy, m->columns, m->rows, false, true, false);
            } else {
                DrawGridTile(where, m->north, m->west, m->cx, m->cy, m->columns, m->rows, false, true, true);
            }
            break;
        case 7: DrawGtopo30Tiles(where); break;
        case 8: DrawEtopo2(where); break;
        case 9: DrawEtopo1(where); break;
        case 10: DrawErMapperRegions(where); break;
        case 11:
            DrawErMapperRegions(gErMapperDir);
            DrawNedTiles(where);
            break;
        default: break;
    }
    gBaseElevations.clear();
}

void DrawTerrain(gfx::DrawContext& dc, const Proj& proj, platform::ui::Window* owner) {
    PrepareTerrainPalette();
    gfx::StateSaver keep(dc);
    dc.IntersectClip({0, 0, gMapWidth, gMapHeight});
    TerrainRenderer(dc, proj, owner).DrawTerrain();
}
