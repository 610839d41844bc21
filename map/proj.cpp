#include "map/proj.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/config.h"
#include "core/view.h"

MapRect gMapRect;
std::int32_t gMapWidth = 0;
std::int32_t gMapHeight = 0;

namespace {

constexpr int kTableSize = 89 * 60 + 1;  // one entry per arc-minute, 0 through 89 degrees
constexpr double kPixelLimit = 1000000.0;

std::vector<double> gMercatorTable;

// Far-off points sit at the limit rather than wrapping; NaN counts as far off.
std::int32_t HeldPixel(double term, bool inverted) {
    if (std::isnan(term) || term > kPixelLimit) return static_cast<std::int32_t>(inverted ? -kPixelLimit : kPixelLimit);
    if (term < -kPixelLimit) return static_cast<std::int32_t>(inverted ? kPixelLimit : -kPixelLimit);
    return 0;
}

// A longitude brought into -180..180.
double WrappedLongitude(double lon) {
    if (lon > 180) lon -= 360;
    if (lon < -180) lon += 360;
    return lon;
}

}  // namespace

double MercatorY(double lat) { return std::log(std::tan(kQuarterTurn + lat * kRadPerDeg * 0.5)) / kRadPerDeg; }

double InverseMercator(double y) { return 2.0 * (std::atan(std::exp(y * kRadPerDeg)) - kQuarterTurn) / kRadPerDeg; }

void BuildMercatorTable() {
    gMercatorTable.resize(kTableSize);
    for (int i = 0; i < kTableSize; ++i) gMercatorTable[static_cast<std::size_t>(i)] = MercatorY(i / 60.0);
}

void FreeMercatorTable() {
    gMercatorTable.clear();
    gMercatorTable.shrink_to_fit();
}

double MercatorFromTable(double lat) {
    if (gMercatorTable.empty()) BuildMercatorTable();
    if (std::isnan(lat)) return 0.0;
    double a = std::fabs(lat);
    if (a >= 89.0) a = 88.0;
    int i = static_cast<int>(a * 60.0);
    const double* t = gMercatorTable.data();
    double v = t[i] + (t[i + 1] - t[i]) * (a * 60.0 - i);
    return lat < 0 ? -v : v;
}

void SpanFromMapBounds() {
    gWestEdge = gMapWest;
    gLonSpan = Proj::LonOffset(gMapEast, gMapWest);
    if (gLonSpan == 0) gLonSpan = 360;
}

double Proj::LonOffset(double lon, double west) {
    double d = lon - west;
    if (d < 0) d += 360.0;
    return d < 0.001 ? 0.0 : d;
}

bool Proj::SetMapScale(double* lonSpan, std::int32_t* height, std::int32_t* width, double south, double north,
                       std::int32_t* left, std::int32_t* top, std::int32_t* right, std::int32_t* bottom,
                       double* xScalePtr, double* yScalePtr) {
    if (*lonSpan == 0) *lonSpan = 360.0;
    mercSouth = MercatorFromTable(south);
    mercNorth = MercatorFromTable(north);
    const double mercSpan = mercNorth - mercSouth;
    heightPx = *height;
    // Equal bounds, both beyond 88 degrees, an empty rectangle or NaN would
    // divide by zero further on: keep unit scales and say so.
    if (std::isnan(south) || std::isnan(north) || !(mercSpan > 0) || !(*lonSpan > 0) || !std::isfinite(*lonSpan) || *width <= 0 || *height <= 0) {
        *xScalePtr = *yScalePtr = 1.0;
        return false;
    }
    const bool fullScreen = gControls[kControlUseFullScreen] != 0;
    const double xs = *width / *lonSpan;
    const double ys = *height / mercSpan;
    // The height limits the map at any span: a world map taller than the
    // pane would lose its northern and southern rows and their labels.
    if (ys < xs && (*lonSpan < 180 || !fullScreen)) {
        *xScalePtr = *yScalePtr = ys;
        if (!fullScreen) {
            const std::int32_t sum = *left + *right;
            *width = TruncToInt(ys * *lonSpan);
            *left = (sum - *width) / 2;
            *right = (sum + *width) / 2;
        } else {
            // No more than the whole world: a wide, flat pane keeps the rest
            // of its width empty, as without USE FULL SCREEN.
            const double d = std::min(*width / ys, 360.0);
            double west = gWestEdge - (d - *lonSpan) / 2;
            double east = gWestEdge + (*lonSpan + d) / 2;
            // Both ways round: a bound left below -180 is clamped by the next
            // redraw, which moves the centre east on every redraw.
            west = WrappedLongitude(west);
            east = d >= 360.0 ? west : WrappedLongitude(east);
            gMapWest = west;
            gMapEast = east;
            *lonSpan = d;
            gWestEdge = west;
            if (d >= 360.0) {
                const std::int32_t sum = *left + *right;
                *width = TruncToInt(ys * d);
                *left = (sum - *width) / 2;
                *right = (sum + *width) / 2;
            }
        }
    } else {
        *xScalePtr = *yScalePtr = xs;
        if (!fullScreen) {
            const std::int32_t sum = *top + *bottom;
            *height = TruncToInt(xs * mercSpan);
            *top = (sum - *height) / 2;
            *bottom = (sum + *height) / 2;
        } else {
            const double d = *height / xs;
            const double sum = mercSouth + mercNorth;
            mercNorth = (sum + d) / 2;
            mercSouth = (sum - d) / 2;
            gMapSouth = InverseMercator(mercSouth);
            gMapNorth = InverseMercator(mercNorth);
        }
    }
    heightPx = *height;
    return true;
}

void Proj::LatLonToPixel(double lat, double lonOffset, std::int32_t* row, std::int32_t* column) const {
    const double rowTerm = (MercatorFromTable(lat) - mercSouth) * yScale;
    const double colTerm = lonOffset * xScale;
    if (std::isnan(rowTerm) || std::fabs(rowTerm) > kPixelLimit)
        *row = HeldPixel(rowTerm, true);
    else
        *row = TruncToInt(heightPx - rowTerm);
    if (std::isnan(colTerm) || std::fabs(colTerm) > kPixelLimit)
        *column = HeldPixel(colTerm, false);
    else
        *column = TruncToInt(colTerm);
}

// The inverse counts rows from the same origin as LatLonToPixel, the south
// bound heightPx rows down, not from mercNorth: heightPx is the truncated
// map height, so the two differ by up to a row.
double Proj::MercatorOfRow(double row) const { return mercSouth + (heightPx - row) / yScale; }

void Proj::ScreenToLatLon(std::int32_t row, std::int32_t column, double* lat, double* lonOffset) const {
    // A pixel stands for its centre; LatLonToPixel truncates into it.
    *lat = InverseMercator(MercatorOfRow(row + 0.5));
    *lonOffset = (column + 0.5) / xScale;
}

void Proj::ScreenRectToLatLon(double out[4], std::int32_t x1, std::int32_t y1, std::int32_t x2,
                              std::int32_t y2) const {
    // The corners of a dragged rectangle are pixel edges.
    out[0] = out[1] = out[2] = out[3] = 0;
    out[0] = x1 / xScale + gWestEdge;
    out[1] = InverseMercator(MercatorOfRow(y1));
    out[2] = x2 / xScale + gWestEdge;
    out[3] = InverseMercator(MercatorOfRow(y2));
    if (out[0] > 180) out[0] -= 360;
    if (out[2] > 180) out[2] -= 360;
}

