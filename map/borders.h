#pragma once
// Named polygons of US states, countries and bodies of water, read from border
// files, and the region labels of a view that are placed with them.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/polygon.h"

inline constexpr const char* kStateBorderFile = "StateBorders.txt";
inline constexpr const char* kCountryBorderFile = "CountryBorders.txt";
inline constexpr const char* kOceanBorderFile = "OceanBorders.txt";

// Points hold x = longitude, y = latitude, degrees.
struct BorderPolygon {
    std::string name;
    std::vector<GeoPoint> points;
    std::int32_t clippedCount = 0;  // scratch of the centroid placement
    int count() const { return static_cast<int>(points.size()); }
};

class BorderSet {
public:
    // A file that cannot be opened gives an empty set.
    explicit BorderSet(std::string_view fileName);
    BorderSet() = default;

    // The first polygon whose name contains the text (case-sensitive).
    const BorderPolygon* FindByName(std::string_view text) const;
    const BorderPolygon* FindContainingPoint(double latitude, double longitude) const;
    // All four corners of the rectangle inside one polygon.
    const BorderPolygon* FindContainingRect(double lat1, double lon1, double lat2, double lon2) const;

    const std::vector<std::unique_ptr<BorderPolygon>>& polygons() const { return polygons_; }

private:
    std::vector<std::unique_ptr<BorderPolygon>> polygons_;
};

class Proj;
// The polygon's vertices in the projection's pixels, offsets from the view's
// west edge (gWestEdge, gLonSpan).
std::vector<PixelPoint> ProjectedOutline(const Proj& proj, const BorderPolygon& polygon);

// "%s.%s.txt" of the view's name and the kind ("state", "country", "ocean", "location").
std::string RegionLabelFileName(std::string_view kind);
// The two lines a new region label file begins with.
inline constexpr const char* kRegionLabelHeader[2] = {"vertical justify: center", "horizontal justify: center"};
