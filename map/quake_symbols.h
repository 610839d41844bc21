#pragma once
// Earthquake symbols: the dot scale and energy grid a view opening sets up, the
// depth and magnitude classes of the dots, and the seams of the projections and
// the floating legend that the dots and markers consult.
#include <cstdint>
#include <memory>
#include <string>

#include "core/energy.h"
#include "platform/gfx/draw_context.h"

class childMap;

extern double gDotSlope;      // dot radius in pixels per magnitude; set when a view opens
extern double gDotIntercept;  // dot radius in pixels at magnitude 0
extern std::unique_ptr<EnergyBins> gEnergyBins;  // one per opened view; made on first use otherwise

// Colour class 0..9 of a depth (km) by MAXIMUM DEPTH; a zero or negative maximum puts every depth below 0 in class 9.
int DepthClass(double depthKm);
// Colour class 0..9 of a magnitude between MINIMUM and MAXIMUM MAGNITUDE; a zero range counts as 1.
int MagnitudeClass(double magnitude);
// Black on a white background, light grey on any other.
int MarkerOutlineColor();

// Files of the nuclear plant symbol.
inline constexpr const char* kPlantSymbolFile = "RadioActiveSymbol.png";
inline constexpr const char* kInactivePlantSymbolFile = "RadioActiveSymbol.inactive.png";

// Icon resources of the event marker: 2 points up and left from its top-left
// corner, 8 up and right from its top-right corner.
inline constexpr int kSmallMarkerIcon = 2;
inline constexpr int kBigMarkerIcon = 8;
inline constexpr int kMarkerIconSize = 32;  // pixels, both icons
// Draws an icon's opaque pixels with its top-left corner at p; unknown ids draw nothing.
void DrawIconResource(platform::gfx::DrawContext& dc, int id, platform::gfx::Point p);

