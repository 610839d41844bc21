#include "fuzz/map_support.h"

#include "core/view.h"
#include "map/proj.h"

namespace fuzz {

void PrepareMap() {
    static const bool built = [] {
        BuildMercatorTable();
        return true;
    }();
    (void)built;
}

void SetMapBox(double south, double north, double west, double east) {
    gMapSouth = south;
    gMapNorth = north;
    gMapWest = west;
    gMapEast = east;
    SpanFromMapBounds();
}

}  // namespace fuzz
