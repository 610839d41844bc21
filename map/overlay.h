#pragma once
// Overlay files: line files (polylines, highways among them), symbol files
// (vector symbols from a definition file, or PNG images) and text files
// (labels placed clear of each other), all in one keyword format. The
// renderer itself is childMap::DrawOverlayFiles.
#include <cstdint>
#include <string>
#include <string_view>

#include "map/draw.h"
#include "map/overlay_lines.h"

namespace platform::gfx {
struct RgbaImage;
}

inline constexpr const char* kHighwaySymbolFile = "highway.sym.txt";
inline constexpr int kFirstHighwayFile = 1;
inline constexpr int kLastHighwayFile = 21;

// The colour of an upper-cased "COLOR:" line: the name from its 8th character.
int OverlayColorOf(std::string_view upperLine);

// An image's opaque pixels around (x, y), a tenth of its height above centre.
void DrawPngSymbol(platform::gfx::DrawContext& dc, const platform::gfx::RgbaImage& image, int x, int y);

class Proj;
// The view's plate label file on the given surface alone, registering no label box.
void DrawPlateLabels(const Proj& proj, platform::gfx::DrawContext& dc, const std::string& pltFile);
