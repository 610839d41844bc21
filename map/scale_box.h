#pragma once
// The map's distance scale: a bar with its length in km or miles, placed
// near the lower left unless the view stores where it was dragged.
// Coordinates are map-area pixels.
#include <cstdint>
#include <optional>

#include "platform/gfx/draw_context.h"

class Proj;

struct ScaleBox {
    std::int32_t left = 0, right = 0, baseline = 0, tick = 0;
    std::int32_t length = 0;  // km or miles
};

// The bar's value: distance d brought to 1..6 or 10 times a power of ten.
std::int32_t ScaleLength(double d);
std::optional<ScaleBox> CreateScaleBox(const Proj& proj);
// The box it covers.
platform::gfx::Rect DrawScaleBox(const ScaleBox& box, platform::gfx::DrawContext& dc);
// Moves the box, held inside the pane box, and stores where it is in the view.
void MoveScaleBox(ScaleBox& box, int dx, int dy);
