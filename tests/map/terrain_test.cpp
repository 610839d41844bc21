// Shaded terrain on tiny synthetic grids: where a known feature lands, the
// bands and shades it gets, the models AUTO TERRAIN picks, and what a missing
// disc does to an unattended kiosk.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/draw.h"
#include "map/hue.h"
#include "map/proj.h"
#include "map/terrain.h"
#include "platform/gfx/surface.h"
#include "platform/ui/headless/headless.h"
#include "tests/support/map_fit.h"
#include "tests/support/temp_dir.h"

namespace gfx = platform::gfx;
namespace headless = platform::headless;

namespace {

// A little-endian row-major grid of columns x rows cells from f(row, column).
void WriteGrid(const std::string& name, int columns, int rows, const std::function<int(int, int)>& f,
               bool bigEndian = false) {
    std::vector<unsigned char> bytes;
    bytes.reserve(static_cast<std::size_t>(columns) * rows * 2);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(f(r, c)));
            const unsigned char lo = v & 0xFF, hi = v >> 8;
            bytes.push_back(bigEndian ? hi : lo);
            bytes.push_back(bigEndian ? lo : hi);
        }
    TempDir::Write(name, std::string(bytes.begin(), bytes.end()));
}

// Rows of a wide grid, each holding only its first cells: a sparse file.
void WriteSparseRows(const std::string& name, int columns, int rows, int cellsPerRow, int value) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    const std::vector<std::int16_t> row(static_cast<std::size_t>(cellsPerRow), static_cast<std::int16_t>(value));
    for (int r = 0; r < rows; ++r) {
        ASSERT_EQ(fseeko(f, static_cast<off_t>(r) * columns * 2, SEEK_SET), 0);
        ASSERT_EQ(std::fwrite(row.data(), 2, row.size(), f), row.size());
    }
    std::fclose(f);
}

// One water band and three land bands, each a distinct ramp.
const std::vector<HueLine> kHue = {
    {0, 0, 0, 64, 100, 255}, {0, 128, 100, 228, 0, 0}, {100, 228, 60, 124, 0, 0}, {150, 250, 150, 250, 150, 250}};

class Terrain : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset();
        ResetConfigValues();
        ResetViewSettings();
        BuildMercatorTable();
        gMuseumMode = 0;
        gMaxSlope = gBathymetryMaxSlope = 15;
        gContourInterval = 400;
        gBathymetryContourInterval = 10000;
        gBathymetryContourLevels = 1;
        gShowBathymetry = false;
        ASSERT_TRUE(WriteHueLines("terrain.hue", kHue));
        gTopoHueFile = "terrain.hue";
    }
    void TearDown() override {
        gTerrainPalette.reset();
        ResetConfigValues();
        ResetViewSettings();
    }

    // Fits the bounds into width x height, as the map pane does.
    void Fit(double south, double north, double west, double east, int width, int height) {
        ASSERT_TRUE(testsupport::FitMap(proj_, south, north, west, east, width, height));
        surface_ = gfx::Surface::Create(gMapWidth, gMapHeight, gfx::Color{1, 2, 3});
        dc_ = std::make_unique<gfx::DrawContext>(*surface_);
    }
    void Draw(int topo) {
        gTopo = topo;
        DrawTerrain(*dc_, proj_, nullptr);
    }
    gfx::Color At(double lat, double lon) const {
        std::int32_t row = 0, col = 0;
        proj_.LatLonToPixel(lat, Proj::LonOffset(lon, gWestEdge), &row, &col);
        return surface_->At(col, row);
    }
    static gfx::Color Flat(int line) { return HueRampColor(kHue[static_cast<std::size_t>(line)], 8); }

    TempDir dir_;
    Proj proj_;
    std::unique_ptr<gfx::Surface> surface_;
    std::unique_ptr<gfx::DrawContext> dc_;
};

// The USA 5-minute grid: a sloping sea in the west, then plateaus of 300,
// 700 and 1100 m, and one peak of 3000 m in the 700 m band.
constexpr int kUsaColumns = 781, kUsaRows = 324, kPeakRow = 100, kPeakColumn = 500;
int UsaCell(int r, int c) {
    if (r == kPeakRow && c == kPeakColumn) return 3000;
    if (c < 200) return -20000 + 100 * c;
    if (c < 400) return 300;
    if (c < 600) return 700;
    return 1100;
}
double CellLat(int r) { return 50 - (r + 0.5) * 300 / 3600; }
double CellLon(int c) { return -130 + (c + 0.5) * 300 / 3600; }

TEST_F(Terrain, TheUsaGridShowsItsBandsItsPeakInPlaceAndTheBaseBox) {
    WriteGrid("USA.Z", kUsaColumns, kUsaRows, UsaCell);
    gUsaEtopo5Dir = "USA.Z";
    // Inland water: the 300 m plateau counts as water inside this box.
    TempDir::Write("baseelev.txt", "40 -108 35 -104 500\n");
    Fit(23, 50, -130, -65, 1562, 2000);  // two pixels per cell across
    Draw(1);

    EXPECT_EQ(At(CellLat(50), CellLon(300)), Flat(1));  // 300 m: land band 1
    EXPECT_EQ(At(CellLat(50), CellLon(450)), Flat(2));  // 700 m
    EXPECT_EQ(At(CellLat(50), CellLon(700)), Flat(3));  // 1100 m
    // Bathymetry off: the whole sloping sea is the flat shade of band 0.
    for (int c : {10, 100, 190}) EXPECT_EQ(At(CellLat(200), CellLon(c)), Flat(0)) << c;
    EXPECT_EQ(At(37.5, -106), Flat(0));  // inside the box
    EXPECT_EQ(At(37.5, -110), Flat(1));  // beside it

    // The peak is read from its own cell: no shift east or west.
    EXPECT_EQ(At(CellLat(kPeakRow), CellLon(kPeakColumn)), Flat(3));
    EXPECT_NE(At(CellLat(kPeakRow), CellLon(kPeakColumn - 1)), Flat(3));
    EXPECT_NE(At(CellLat(kPeakRow), CellLon(kPeakColumn + 1)), Flat(3));
    // Its west side faces up the slope (lighter), its east side down.
    EXPECT_EQ(At(CellLat(kPeakRow), CellLon(kPeakColumn - 1)), HueRampColor(kHue[2], 15));
    EXPECT_EQ(At(CellLat(kPeakRow), CellLon(kPeakColumn + 1)), HueRampColor(kHue[2], 0));

    // Bathymetry on: the sea slopes, so its shades vary.
    gShowBathymetry = true;
    Draw(1);
    EXPECT_NE(At(CellLat(200), CellLon(100)), Flat(0));
}

TEST_F(Terrain, RowsAndColumnsBeyondTheFileReadAsZero) {
    // Half the rows, and a map wider than the grid.
    WriteGrid("USA.Z", kUsaColumns, kUsaRows / 2, [](int, int) { return 700; });
    gUsaEtopo5Dir = "USA.Z";
    Fit(23, 50, -130, -65, 781, 1000);
    Draw(1);
    EXPECT_EQ(At(CellLat(50), CellLon(300)), Flat(2));
    EXPECT_EQ(At(CellLat(250), CellLon(300)), Flat(0));  // elevation 0: water
}

TEST_F(Terrain, TheWorldGridIsSplitWhereItWrapsAndCoversAMapAcrossTheDateLine) {
    // 5-minute world grid: land east of 0 up to 180 E, sea west of it.
    WriteGrid("ETOPO5.DAT", 4320, 2160, [](int, int c) { return c < 2160 ? 700 : -500; });
    gWorldEtopo5Dir = "ETOPO5.DAT";
    Fit(-40, 40, -60, 60, 600, 400);  // across longitude 0
    Draw(5);
    EXPECT_EQ(At(0, 30), Flat(2));
    EXPECT_EQ(At(0, -30), Flat(0));
    Fit(40, 70, 170, -130, 600, 400);  // across the date line
    Draw(5);
    EXPECT_EQ(At(55, 175), Flat(2));
    EXPECT_EQ(At(55, -150), Flat(0));
}

TEST_F(Terrain, WithoutAHuePaletteTheSixteenColourFallbackIsUsed) {
    WriteGrid("USA.Z", kUsaColumns, kUsaRows, UsaCell);
    gUsaEtopo5Dir = "USA.Z";
    gTopoHueFile = "missing.hue";
    Fit(23, 50, -130, -65, 781, 1000);
    Draw(1);
    EXPECT_EQ(gTerrainPalette, nullptr);
    EXPECT_EQ(At(CellLat(50), CellLon(300)), ColorOf(kLightGrayColor));  // flat land
    EXPECT_EQ(At(CellLat(200), CellLon(100)), ColorOf(1));               // water, bathymetry off
}

TEST_F(Terrain, TheColumnRendererFindsItsFeatureInPlace) {
    // A 1 x 1 degree tile of 121 x 121 cells of 30": 500 m with one 2000 m cell.
    constexpr int kCells = 121, kPeakColumnC = 60, kPeakCell = 40;
    std::string bytes;
    for (int a = 0; a < kCells; ++a)
        for (int b = 0; b < kCells; ++b) {
            const int v = a == kPeakColumnC && b == kPeakCell ? 2000 : 500;
            bytes.push_back(static_cast<char>(v & 0xFF));
            bytes.push_back(static_cast<char>(v >> 8));
        }
    TempDir::Write("TILE.3CD", bytes);
    Fit(39.9, 41.1, -105.1, -103.9, 1200, 1400);
    gfx::DrawContext& dc = *dc_;
    PrepareTerrainPalette();
    TerrainRenderer r(dc, proj_, nullptr);
    EXPECT_FALSE(r.DrawColumnTile("TILE.3CD", 41, -105, 30, 30, kCells, kCells));
    const double peakLat = 40 + kPeakCell * 30.0 / 3600, peakLon = -105 + kPeakColumnC * 30.0 / 3600;
    const gfx::Color peak = HueRampColor(kHue[static_cast<std::size_t>(std::min(2000 / 400, 2)) + 1], 8);
    EXPECT_EQ(At(peakLat, peakLon), peak);
    EXPECT_NE(At(peakLat + 60.0 / 3600, peakLon), peak);
    EXPECT_NE(At(peakLat, peakLon + 60.0 / 3600), peak);
    EXPECT_EQ(At(40.5, -104.2), HueRampColor(kHue[2], 8));  // 500 m, flat

    // A tile that does not open fills its rectangle with colour 8.
    EXPECT_FALSE(r.DrawColumnTile("NONE.3CD", 41, -105, 30, 30, kCells, kCells));
    EXPECT_EQ(At(40.5, -104.2), Flat(0));
}

TEST(TerrainShades, BandsShadesAndIndexesStayInThePalette) {
    ResetViewSettings();
    gContourInterval = 400;
    gBathymetryContourInterval = 1000;
    gBathymetryContourLevels = 1;
    gShowBathymetry = true;
    struct Case {
        int elevation, base, shade, bands, index;
    } cases[] = {
        {0, 0, 8, 4, 8},             // sea level is water
        {1, 0, 8, 4, 16 + 8},        // land band 1 from 1 m
        {399, 0, 8, 4, 16 + 8},      //
        {400, 0, 3, 4, 32 + 3},      // band 2
        {9000, 0, 8, 4, 48 + 8},     // held at the last band
        {1400, 1500, 8, 4, 8},       // below the base elevation: water, in band 0
        {-3000, 0, 5, 4, 5},         // one water band
        {500, 0, 8, 0, 16 + 8},      // no bands: never below the water bands
    };
    for (const Case& c : cases)
        EXPECT_EQ(RowPaletteIndex(c.elevation, c.base, c.shade, c.bands), c.index) << c.elevation;
    gShowBathymetry = false;
    EXPECT_EQ(RowPaletteIndex(-3000, 0, 2, 4), 8);
    // Zero intervals and slopes divide by nothing.
    gContourInterval = 0;
    gBathymetryContourInterval = 0;
    gBathymetryContourLevels = 0;
    gShowBathymetry = true;
    EXPECT_EQ(RowPaletteIndex(500, 0, 8, 30), 16 * 29 + 8);
    EXPECT_EQ(RowPaletteIndex(-500, 0, 8, 30), 8);
    EXPECT_EQ(ShadeFactor(0, 300, 2), 0);
    EXPECT_EQ(ShadeFactor(15, 0, 2), 0);
    EXPECT_EQ(SlopeShade(1e9, 1), 15);
    EXPECT_EQ(SlopeShade(-1e9, 1), 0);
    EXPECT_EQ(SlopeShade(0, 0), 8);
    EXPECT_EQ(ColumnPaletteIndex(100000, 0, 15, 30), 16 * 29 + 15);
}

TEST(TerrainModels, EveryModelHasItsLabelAndLocationKey) {
    struct Case {
        int topo;
        const char* label;
        const char* key;
    } cases[] = {
        {1, "USA 5-minute  (USA.Z)", "USA ETOPO5 DIRECTORY"},
        {2, "USA 30-second (TOPO30)", "USA TOPO30 DIRECTORY"},
        {3, "USA 3-second (RMC CD-ROM)", "USA TOPO3 DIRECTORY"},
        {4, "Alaska 3-second (RMC CD-ROM)", "USA TOPO3 DIRECTORY"},
        {5, "World 5-minute DEM (ETOPO5)", "WORLD ETOPO5 DIRECTORY"},
        {6, "USA 9-sec (ER Mapper CD-ROM)", "USA TOPO9 DIRECTORY"},
        {7, "World 30-sec DEM (GTOPO30)", "WORLD GTOPO30 DIRECTORY"},
        {8, "World 2-minute DEM (ETOPO2)", "WORLD ETOPO2 DIRECTORY"},
        {9, "World 1-minute DEM (ETOPO1)", "WORLD ETOPO1 DIRECTORY"},
        {10, "USA 3 sec ER Mapper (CD_ROM)", "ERMAPPER DIRECTORY"},
        {11, "National Elev. Data (NED) 1-sec", "NED1 DIRECTORY"},
    };
    for (const Case& c : cases) {
        const ElevationModel* m = ModelOfTopo(c.topo);
        ASSERT_NE(m, nullptr) << c.topo;
        EXPECT_STREQ(m->label, c.label);
        EXPECT_STREQ(m->locationKey, c.key);
    }
    EXPECT_EQ(ModelOfTopo(0), nullptr);
    EXPECT_EQ(ModelOfTopo(12), nullptr);
}

TEST(TerrainModels, AutoTerrainPicksByArcSecondsPerPixel) {
    struct Case {
        const char* what;
        double north, south, west, east;
        int height, topo;
    } cases[] = {
        {"30 degrees high", 45, 15, 100, 140, 600, 8},
        {"15 degrees high", 45, 30, 100, 120, 600, 9},
        {"5 degrees high", 40, 35, 135, 142, 600, 7},
        {"Colorado", 40, 38, -107, -105, 600, 11},
        {"off California", 34, 33, -125, -124, 600, 6},
        {"Alaska", 62, 60, -152, -148, 600, 10},
        {"Hawaii", 21, 19.5, -157, -155, 600, 10},
        {"Puerto Rico", 18.6, 17.8, -67.5, -65.5, 600, 10},
        {"Japan", 36, 35, 139, 140, 600, 7},
        {"no height", 45, 15, 100, 140, 0, 5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AutoTerrainModel(c.north, c.south, c.west, c.east, c.height), c.topo) << c.what;
}

TEST_F(Terrain, AutoTerrainTakesTheWorldGridWhereThePickedModelIsAbsent) {
    EXPECT_EQ(AvailableTerrainModel(8), 8);  // nothing to fall back on
    WriteGrid("ETOPO5.DAT", 4320, 4, [](int, int) { return 100; });
    gWorldEtopo5Dir = "ETOPO5.DAT";
    EXPECT_EQ(AvailableTerrainModel(8), 5);
    TempDir::Write("ETOPO2.DAT", "xx");
    gWorldEtopo2Dir = "ETOPO2.DAT";
    EXPECT_EQ(AvailableTerrainModel(8), 8);

    // The choice is stored in the view.
    gControls[kControlAutoTerrain] = 1;
    gWorldEtopo2Dir.clear();
    Fit(-60, 60, -180, 180, 600, 300);
    Draw(1);
    EXPECT_EQ(gTopo, 5);
}

TEST_F(Terrain, AMissingDiscAsksRetryOrCancelButAKioskNeverWaits) {
    gWorldGtopo30Dir = dir_.path() + "/";
    Fit(30, 45, -110, -95, 600, 400);
    headless::ScriptMessageBoxAnswer(platform::ui::IdRetry);
    headless::ScriptMessageBoxAnswer(platform::ui::IdCancel);
    Draw(7);
    ASSERT_EQ(headless::MessageBoxCalls().size(), 2u);
    EXPECT_EQ(headless::MessageBoxCalls()[0].caption, "Cancel to abort shaded terrain map.");
    EXPECT_NE(headless::MessageBoxCalls()[0].text.find("Insert EROS. 30-arc-sec CD-ROM No. 1 in drive"),
              std::string::npos);

    headless::Reset();
    gMuseumMode = 1;
    Draw(7);
    EXPECT_TRUE(headless::MessageBoxCalls().empty());
}

TEST_F(Terrain, CancelOnTheThirtySecondDiscStillDrawsTheNineSecondGrid) {
    WriteSparseRows("TOPO9.BIN", 23600, 500, 240, 700);  // the north-west corner of the 9" grid
    gUsaTopo9Dir = "TOPO9.BIN";
    gWorldGtopo30Dir = dir_.path() + "/";
    Fit(48.8, 49.9, -124.9, -124.5, 400, 600);  // north of 49: both drawings
    headless::ScriptMessageBoxAnswer(platform::ui::IdCancel);
    Draw(6);
    EXPECT_EQ(headless::MessageBoxCalls().size(), 1u);
    EXPECT_EQ(At(49.8, -124.8), Flat(2));
}

}  // namespace
