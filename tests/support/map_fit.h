#pragma once
// Fits a box of latitudes and longitudes into width x height as the map pane
// does, and sets the map globals the renderers read.
#include <cstdint>

#include "core/view.h"
#include "map/proj.h"

namespace testsupport {

// False when the projection refuses the box.
inline bool FitMap(Proj& proj, double south, double north, double west, double east, int width, int height) {
    gMapSouth = south, gMapNorth = north, gMapWest = west, gMapEast = east;
    SpanFromMapBounds();
    std::int32_t w = width, h = height, left = 0, top = 0, right = width, bottom = height;
    if (!proj.SetMapScale(&gLonSpan, &h, &w, south, north, &left, &top, &right, &bottom, &proj.xScale, &proj.yScale))
        return false;
    gMapWidth = right - left;
    gMapHeight = bottom - top;
    return true;
}

}  // namespace testsupport
