#pragma once
// Polygon tests on geographic points, and clipping of pixel polygons to a
// rectangle. A polygon is an array of points; its last point joins its first.
#include <cstdint>
#include <vector>

struct GeoPoint {
    double x = 0;
    double y = 0;

    GeoPoint Offset(double dx, double dy) const { return {x + dx, y + dy}; }
};

struct PixelPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;

    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// Even-odd rule, counting crossings to the right of the point: a point on an
// edge that faces +x or +y counts as inside. An empty polygon holds nothing.
bool PointInPolygon(const GeoPoint* points, int n, double x, double y);
// True when all four corners of the box pass PointInPolygon.
bool RectInPolygon(const GeoPoint* points, int n, double y1, double x1, double y2, double x2);

// Area centroid, or the mean of the vertices when the area is 0; (0, 0) for
// an empty polygon.
PixelPoint PolygonCentroid(const PixelPoint* points, int n);

// Flags of ClipSegmentToRect.
inline constexpr int kClipOutside = 0;
inline constexpr int kClipStartMoved = 1;
inline constexpr int kClipEndMoved = 2;
inline constexpr int kClipInside = 4;

// Clips the segment to the rectangle (edges included) in place. Returns
// kClipOutside (points unchanged), kClipInside (unchanged), or the moved
// flags. Moved points always lie on the rectangle.
int ClipSegmentToRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                      PixelPoint* start, PixelPoint* end);

// The part of the polygon inside the rectangle, with the rectangle's corners
// where the outline runs outside it. Replaces the contents of out. A polygon
// that encloses the rectangle without meeting it gives no points.
void ClipPolygonToRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                       const PixelPoint* points, int n, std::vector<PixelPoint>& out);

// The United States with Alaska, for choosing state labels; x = longitude,
// y = latitude. Its first kUsaConterminousPoints vertices outline the
// conterminous states.
inline constexpr int kUsaOutlinePoints = 26;
inline constexpr int kUsaConterminousPoints = 20;
extern const GeoPoint gUsaOutline[kUsaOutlinePoints];
