#pragma once
// Shaded relief from elevation grids: every pixel of the map area gets a
// height band from the terrain palette and one of 16 shades from the local
// slope. Eleven models, as single files, tiles in folders or numbered discs.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "map/proj.h"
#include "platform/gfx/color.h"
#include "platform/gfx/draw_context.h"

namespace platform::ui {
class Window;
}

// ---- Models ------------------------------------------------------------------------------

inline constexpr int kTopoModelCount = 11;  // TOPO 1..11; 0 draws nothing

enum class ModelStorage { SingleFile, DiscTiles, FolderTiles };

struct ElevationModel {
    int topo;
    const char* label;        // as the elevation-model dialog shows it
    const char* locationKey;  // the configuration key holding the file or folder
    ModelStorage storage;
    // Single-file grids: north-west corner, cell size and columns (0: from the
    // file size); rows where the model fixes them.
    double north, west;
    double cx, cy;  // arc-seconds along longitude and latitude
    int columns, rows;
};
// The model of TOPO 1..11; null otherwise.
const ElevationModel* ModelOfTopo(int topo);
// The configuration value naming the model's file or folder.
const std::string& ModelLocation(int topo);
// Whether a model's data can be found: its file, or its folder named.
bool ModelAvailable(int topo);

// The model AUTO TERRAIN picks for a map of these corners and height in pixels.
int AutoTerrainModel(double north, double south, double west, double east, int mapHeight);
// The pick, or the World 5-minute model where the pick's data is absent and it is not.
int AvailableTerrainModel(int topo);

// ---- Base elevations ---------------------------------------------------------------------

// A box whose pixels at or below its elevation count as water.
struct BaseElevationBox {
    std::int32_t top = 0, left = 0, bottom = 0, right = 0;  // map-area pixels, edges included
    std::int32_t base = 0;                                  // metres
};
extern std::vector<BaseElevationBox> gBaseElevations;  // rebuilt at each terrain drawing
// From "baseelev.txt" for the current map.
void ReadBaseElevations(const Proj& proj);

// ---- Palette and shades ------------------------------------------------------------------

extern std::unique_ptr<platform::gfx::Palette> gTerrainPalette;  // null: the 16-colour fallback
extern int gTerrainBandCount;                                     // bands the hue file gave
extern int gDisplayColors;                                        // colours the display shows
// The view's hue file into the palette when the display shows 256 colours or more.
void PrepareTerrainPalette();

// Slope shade 0..15 (8 is flat) for an elevation difference and a shade factor.
int SlopeShade(double difference, double factor);
// Shade factor of a grid renderer: 1600 / (slope x cell x 30.86 x span); 0
// (every pixel flat) when the slope or the cell is not positive.
double ShadeFactor(double maxSlope, double cellSeconds, double span);
// Palette index of a pixel of the row renderer (bathymetry bands below the base).
int RowPaletteIndex(int elevation, int base, int shade, int bandCount);
// Palette index of a pixel of the column renderer (one water band).
int ColumnPaletteIndex(int elevation, int base, int shade, int bandCount);
// The four-shade colour used without a terrain palette.
platform::gfx::Color FallbackColor(bool land, int shade);

// ---- Rendering -----------------------------------------------------------------------------

// One terrain drawing onto a surface whose origin is the map area's corner.
// Messages are pumped once per row or column; Esc ends the renderer.
class TerrainRenderer {
public:
    TerrainRenderer(platform::gfx::DrawContext& dc, const Proj& proj, platform::ui::Window* owner);

    void DrawTerrain();

    // Row-major grid over pixels [x0, x1) x [y0, y1).
    void ShadeGridRows(const std::string& file, int x0, int x1, int y0, int y1, double westOffset, double north,
                       double cx, double cy, int columns, bool swapBytes, bool drawZero);
    // Column-major grid over columns [x0, x1] and rows [y0, y1); true on Esc.
    bool ShadeGridColumns(const std::string& file, int x0, int x1, int y0, int y1, double westOffset, double south,
                          double cx, double cy, int cellsPerColumn);
    void DrawGridTile(const std::string& file, double north, double west, double cx, double cy, int columns, int rows,
                      bool swapBytes, bool clearAround, bool drawZero);
    bool DrawColumnTile(const std::string& file, double north, double west, double cx, double cy, int columns,
                        int cellsPerColumn);
    void FillPaletteRect(int x0, int y0, int x1, int y1, int index);

    void DrawEtopo5(const std::string& location);
    void DrawEtopo2(const std::string& location);
    void DrawEtopo1(const std::string& location);
    void DrawCdTiles(const std::string& location);
    void DrawAlaskaCdTiles(const std::string& location);
    void DrawGtopo30Tiles(const std::string& location);
    void DrawErMapperRegions(const std::string& location);
    void DrawNedTiles(const std::string& location);

    // The map's corners in degrees, set by DrawTerrain (east may exceed 180).
    double north = 0, south = 0, west = 0, east = 0;

private:
    // A world grid of one file that starts at a longitude: split where it wraps.
    void DrawWorldGrid(const std::string& file, double firstLongitude, int x0, int x1, int y0, int y1, double cell,
                       int columns);
    // Retry (true) or Cancel for a missing disc; an unattended kiosk never waits.
    bool AskForDisc(const std::string& text, const std::string& file, bool pause);
    platform::gfx::Color PaletteColor(int index) const;
    int BaseAt(int x, int y, bool last) const;
    double LonOffset(double lon) const;

    platform::gfx::DrawContext& dc_;
    const Proj& proj_;
    platform::ui::Window* owner_;
};

// The pane's terrain step: palette, then the drawing, on the map area.
void DrawTerrain(platform::gfx::DrawContext& dc, const Proj& proj, platform::ui::Window* owner);
