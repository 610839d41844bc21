#pragma once
// Overlay files: line files (polylines, highways among them), symbol files
// (vector symbols from a definition file, or PNG images) and text files
// (labels placed clear of each other), all in one keyword format. The
// renderer itself is childMap::DrawOverlayFiles.
#include <cstdint>
#include <string>
#include <string_view>

#include "map/draw.h"

namespace platform::gfx {
struct RgbaImage;
}

inline constexpr const char* kHighwaySymbolFile = "highway.sym.txt";
inline constexpr int kFirstHighwayFile = 1;
inline constexpr int kLastHighwayFile = 21;
inline constexpr int kOverlayLineLength = 128;  // the line reader's buffer

// A data line read as "%lf %lf %s": fields converted, and where the word begins.
struct OverlayDataLine {
    int fields = 0;
    double latitude = 0, longitude = 0;
    std::string word;
    std::size_t wordStart = 0;  // offset of the word in the line
};
OverlayDataLine ScanOverlayDataLine(std::string_view line);

// A text file's label line taken apart: the text by position, its one option,
// the quoting and the region-centroid request.
struct OverlayLabel {
    std::string text;     // as it is placed: quoted text ends in one blank, unquoted unforced text gets a blank each side
    std::string line;     // the data line cut at its option slash
    std::string options;  // the line from its option slash on, with the blank before it
    bool forced = false;
    bool hasOffset = false;
    int offset = 0;
    bool quoted = false;
    bool centroid = false;
};
OverlayLabel ParseOverlayLabel(std::string_view line, std::size_t wordStart);

// The colour of an upper-cased "COLOR:" line: the name from its 8th character.
int OverlayColorOf(std::string_view upperLine);

// An image's opaque pixels around (x, y), a tenth of its height above centre.
void DrawPngSymbol(platform::gfx::DrawContext& dc, const platform::gfx::RgbaImage& image, int x, int y);

class Proj;
// The view's plate label file on the given surface alone, registering no label box.
void DrawPlateLabels(const Proj& proj, platform::gfx::DrawContext& dc, const std::string& pltFile);
