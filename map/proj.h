#pragma once
// Mercator projection of a view's region onto the map area's pixels. Every
// longitude is first turned into its offset east of the west edge, so views
// across the date line need no special case.
#include <cstdint>

inline constexpr double kRadPerDeg = 0.017453292;    // kept at this precision on purpose
inline constexpr double kQuarterTurn = 0.785398163398;
inline constexpr double kKmPerDegree = 111.19493;

struct MapRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

extern MapRect gMapRect;          // map area inside the pane, pane pixels; set by each rendering
extern std::int32_t gMapWidth;    // pixels, right - left of gMapRect
extern std::int32_t gMapHeight;   // pixels, bottom - top of gMapRect

double MercatorY(double lat);
double InverseMercator(double y);
// Table lookup with linear interpolation; latitudes of 89 degrees and more
// are drawn as if they lay at 88.
double MercatorFromTable(double lat);
void BuildMercatorTable();
void FreeMercatorTable();

class Proj {
public:
    // lon - west, brought into 0..360; below 0.001 counts as 0.
    static double LonOffset(double lon, double west);

    // Fits the bounds to the pixel rectangle, keeping Mercator proportions;
    // false (and safe unit scales) when the bounds or the rectangle are empty
    // or not numbers.
    bool SetMapScale(double* lonSpan, std::int32_t* height, std::int32_t* width, double south, double north,
                     std::int32_t* left, std::int32_t* top, std::int32_t* right, std::int32_t* bottom,
                     double* xScalePtr, double* yScalePtr);

    // Row and column relative to the map area's top-left corner, truncated
    // toward zero and held within +-1,000,000.
    void LatLonToPixel(double lat, double lonOffset, std::int32_t* row, std::int32_t* column) const;
    // The centre of the pixel: LatLonToPixel of the result is the same pixel.
    void ScreenToLatLon(std::int32_t row, std::int32_t column, double* lat, double* lonOffset) const;
    // Longitudes and latitudes of two corners: out = {lon1, lat1, lon2, lat2}.
    void ScreenRectToLatLon(double out[4], std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const;

    // Mode 0 sets the cross-section view up from the view and narrows gMapRect
    // to its proportions; mode 1 places a point (row from MINIMUM DEPTH). False
    // when the point is outside the section or the set-up was refused.
    bool CrossSectionPoint(int mode, double lat, double lonOffset, double depth, std::int32_t* row,
                           std::int32_t* column);

    // Mercator ordinate of a (fractional) row, from LatLonToPixel's origin.
    double MercatorOfRow(double row) const;

    double mercSouth = 0.0;  // Mercator degrees
    double mercNorth = 0.0;  // Mercator degrees
    double xScale = 1.0;     // pixels per degree of longitude
    double yScale = 1.0;     // pixels per Mercator degree
    std::int32_t heightPx = 0;
};

// gWestEdge and gLonSpan from the view's west and east bounds; bounds that
// meet are the whole way round.
void SpanFromMapBounds();
