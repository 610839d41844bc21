// Border files: named polygons, and how a region label is placed with them.
// The input is probe bytes (a map box and points), then the file.
// Contracts: every polygon is found by its own name; the finders give the
// first polygon that fits and only one that does; an outline clipped for
// its label's centroid lies inside the pane.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/polygon.h"
#include "core/view.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/map_support.h"
#include "map/borders.h"
#include "map/proj.h"

namespace {

// A probe coordinate: now and then a raw double, NaN and infinities included.
double Probe(fuzz::Taker& take, double limit) {
    const std::uint8_t how = take.Byte();
    if (how == 0xFF) return take.Double();
    return (how / 127.5 - 1) * limit;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::PrepareMap();
    fuzz::Taker take(data, size);
    const double south = take.Between(-85, 85);
    const double north = take.Between(south, 88);
    const double west = take.Between(-180, 180);
    const double east = take.Between(-180, 180);
    double probes[8];
    for (double& p : probes) p = Probe(take, 200);
    const std::string_view file = take.Rest();

    fuzz::EnterCleanFolder();
    fuzz::WriteFile("borders.txt", file);
    const BorderSet set("borders.txt");

    for (const auto& p : set.polygons()) {
        FUZZ_CHECK(p != nullptr, "no empty slot");
        FUZZ_CHECK(p->count() >= 0 && p->count() == static_cast<int>(p->points.size()), "the count is the points'");
        const BorderPolygon* byName = set.FindByName(p->name);
        FUZZ_CHECK(byName && byName->name.find(p->name) != std::string::npos, "found by its name: " + p->name);
    }
    for (int i = 0; i < 4; ++i) {
        const double lat = probes[2 * i], lon = probes[2 * i + 1];
        const BorderPolygon* at = set.FindContainingPoint(lat, lon);
        for (const auto& p : set.polygons()) {
            if (p.get() == at) break;
            FUZZ_CHECK(!PointInPolygon(p->points.data(), p->count(), lon, lat), "an earlier polygon holds the point");
        }
        if (at) FUZZ_CHECK(PointInPolygon(at->points.data(), at->count(), lon, lat), "the polygon found holds the point");
        const BorderPolygon* rect = set.FindContainingRect(lat, lon, probes[(2 * i + 2) % 8], probes[(2 * i + 3) % 8]);
        if (rect) FUZZ_CHECK(PointInPolygon(rect->points.data(), rect->count(), lon, lat), "a corner of the box");
    }

    // Each polygon's label, placed at the centroid of its part on a small pane.
    ResetViewSettings();
    fuzz::SetMapBox(south, north, west, east);
    std::int32_t height = 120, width = 160, left = 0, top = 0, right = width, bottom = height;
    Proj proj;
    if (proj.SetMapScale(&gLonSpan, &height, &width, south, north, &left, &top, &right, &bottom, &proj.xScale,
                         &proj.yScale)) {
        for (const auto& p : set.polygons()) {
            const std::vector<PixelPoint> projected = ProjectedOutline(proj, *p);
            std::vector<PixelPoint> clipped;
            ClipPolygonToRect(0, 0, width, height, projected.data(), static_cast<int>(projected.size()), clipped);
            for (const PixelPoint& c : clipped)
                FUZZ_CHECK(c.x >= 0 && c.x <= width && c.y >= 0 && c.y <= height, "clipped into the pane: " + p->name);
            // An outline that crosses itself has no centroid to speak of: only that it is reached.
            if (clipped.size() > 3) (void)PolygonCentroid(clipped.data(), static_cast<int>(clipped.size()));
        }
    }
    ResetViewSettings();
    return 0;
}
