#include "map/section3d.h"

#include <algorithm>
#include <cmath>

#include "core/config.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/quake_symbols.h"
#include "map/segments.h"

namespace gfx = platform::gfx;

CrossSectionState gCrossSection;
View3DState g3D;
std::vector<Point3> g3DPoints;

namespace {

constexpr double kMinEyeDistance = 1e-9;  // km; closer counts as an eye at the target
constexpr double kNearE = 1e-9;           // the clip keeps a point in front of the eye
// Pixels: far enough off the view for any clip, near enough that their sums stay in range.
constexpr double kPixelLimit = 1.0e6;

struct Eye3 {
    double g, u, E;
};

Eye3 Transform(const Point3& p) {
    const Matrix4& M = g3D.M;
    return {p.x * M[0][0] + p.y * M[1][0] + p.z * M[2][0] + M[3][0],
            p.x * M[0][1] + p.y * M[1][1] + p.z * M[2][1] + M[3][1],
            p.x * M[0][2] + p.y * M[1][2] + p.z * M[2][2] + M[3][2]};
}

gfx::Point ScreenOf(const Eye3& e) {
    return {TruncToInt((e.g / e.E + 1) * g3D.halfW, kPixelLimit), TruncToInt((e.u / e.E + 1) * g3D.halfH, kPixelLimit)};
}

void Line2D(gfx::DrawContext& dc, int x0, int y0, int x1, int y1, int colorNumber, int pen) {
    dc.MoveTo({x0, y0});
    DrawLineTo(dc, x1, y1, colorNumber, pen);
}

class Map3DPenImpl final : public Segment3DPen {
public:
    gfx::DrawContext* dc = nullptr;
    void MoveTo(double lat, double lonOffset) override { MoveTo3D(To3D(lat, lonOffset, 0)); }
    void LineTo(double lat, double lonOffset, int colorNumber) override {
        if (dc) (void)LineTo3D(*dc, To3D(lat, lonOffset, 0), colorNumber);
    }
};
Map3DPenImpl gMap3DPen;

}  // namespace

// ---- Cross-section -----------------------------------------------------------------------

double KmPerDegreeLongitude(double latitude) {
    const double lat = std::clamp(std::isfinite(latitude) ? latitude : 0.0, -89.9, 89.9);
    return kKmPerDegree * std::cos(lat * kRadPerDeg);
}

bool Proj::CrossSectionPoint(int mode, double lat, double lonOffset, double depth, std::int32_t* row,
                             std::int32_t* column) {
    CrossSectionState& x = gCrossSection;
    if (mode == 0) {
        x = {};
        x.c0 = Proj::LonOffset(gXsLongitude, gWestEdge);
        const double kmLon = KmPerDegreeLongitude(gXsLatitude);
        const double az = gViewAzimuth * kRadPerDeg;
        const double range = gMaxDepth - gMinDepth;
        std::int32_t left = gMapRect.left, top = gMapRect.top, right = gMapRect.right, bottom = gMapRect.bottom;
        // No length, no depth range or no area: nothing can be placed, and nothing divides by zero.
        if (!(gViewWidth > 0) || !(range > 0) || right <= left || bottom <= top) {
            gMapWidth = std::max(right - left, 0);
            gMapHeight = std::max(bottom - top, 0);
            return false;
        }
        const double sx = (right - left) / gViewWidth;
        const double sz = (bottom - top) / range;
        if (sz < sx) {
            x.s = sz;
            const std::int32_t sum = left + right, width = TruncToInt(gViewWidth * x.s, kPixelLimit);
            left = (sum - width) / 2;
            right = (sum + width) / 2;
        } else {
            x.s = sx;
            const std::int32_t sum = top + bottom, height = TruncToInt(range * x.s, kPixelLimit);
            top = (sum - height) / 2;
            bottom = (sum + height) / 2;
        }
        gMapRect = {left, top, right, bottom};
        gMapWidth = right - left;
        gMapHeight = bottom - top;
        x.width = gMapWidth;
        x.height = gMapHeight;
        x.A = x.s * kmLon * std::cos(az);
        x.B = -kKmPerDegree * x.s * std::sin(az);
        xScale = x.A;
        yScale = x.B;
        x.C = kmLon * std::sin(az);
        x.D = kKmPerDegree * std::cos(az);
        x.nearPlane = gViewNearPlane;
        x.farPlane = gViewFarPlane;
        x.minDepth = gMinDepth;
        x.valid = true;
        return true;
    }
    if (mode != 1 || !x.valid) return false;
    const double dLat = lat - gXsLatitude, dLon = lonOffset - x.c0;
    // Row 0 is MINIMUM DEPTH: the scale fits the depth range, not depth 0 onward.
    *row = TruncToInt(x.s * (depth - x.minDepth), kPixelLimit);
    *column = TruncToInt(x.B * dLat + x.A * dLon + x.width / 2, kPixelLimit);
    const std::int32_t across = TruncToInt(x.C * dLon + x.D * dLat, kPixelLimit);
    return *column >= 0 && *column <= x.width && *row >= 0 && *row <= x.height && across >= x.nearPlane &&
           across <= x.farPlane;
}

void CrossSectionAxisPoint(double depth, double along, std::int32_t* row, std::int32_t* column) {
    *row = TruncToInt(gCrossSection.s * (depth - gCrossSection.minDepth), kPixelLimit);
    *column = TruncToInt(gCrossSection.s * (gViewWidth / 2 + along), kPixelLimit);
}

void DrawCrossSectionAxes(childMap& pane) {
    if (!gCrossSection.valid) return;
    gfx::DrawContext& dc = *pane.screen();
    const double width = gViewWidth;
    std::int32_t r0 = 0, c0 = 0, r1 = 0, c1 = 0;
    if (gMinDepth < 0 && gMaxDepth > 0) {
        CrossSectionAxisPoint(0, -width / 2, &r0, &c0);
        CrossSectionAxisPoint(0, width / 2, &r1, &c1);
        Line2D(dc, c0, r0, c1, r1, kWhiteColor, 1);
    }
    if (!gShowLabels) return;
    const double interval = CrossSectionInterval(std::max(width, gMaxDepth - gMinDepth) / 6);
    const int n = static_cast<int>(std::trunc(width / (2 * interval)));
    for (int k = -n; k <= n; ++k) {
        const double along = k * interval;
        CrossSectionAxisPoint(gMaxDepth, along, &r0, &c0);
        DrawNumberLabel(dc, c0, r0 + 3, gLegendFont, std::trunc(along), HJust::Center, VJust::Top, 0);
        CrossSectionAxisPoint(gMinDepth, along, &r0, &c0);
        DrawNumberLabel(dc, c0, r0 - 3, gLegendFont, std::trunc(along), HJust::Center, VJust::Bottom, 0);
    }
    const double first = std::ceil(gMinDepth / interval) * interval;
    for (int i = 0; i < 1000; ++i) {
        const double depth = first + i * interval;
        if (depth > gMaxDepth) break;
        CrossSectionAxisPoint(depth, 0, &r0, &c0);
        DrawNumberLabel(dc, -3, r0, gLegendFont, depth, HJust::Right, VJust::Center, 0);
        DrawNumberLabel(dc, gCrossSection.width + 3, r0, gLegendFont, depth, HJust::Left, VJust::Center, 0);
    }
}

// ---- 3-D ---------------------------------------------------------------------------------

void Clear3DPoints() { g3DPoints.clear(); }

Point3 To3D(double latitude, double lonOffset, double depth) {
    return {(lonOffset - g3D.originLonOffset) * g3D.kmMid, (latitude - g3D.originLat) * kKmPerDegree, depth};
}

void MatrixMultiply4(Matrix4 out, const Matrix4 a, const Matrix4 b) {
    double r[4][4];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            r[i][j] = 0;
            for (int k = 0; k < 4; ++k) r[i][j] += a[i][k] * b[k][j];
        }
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) out[i][j] = r[i][j];
}

bool LookAtPerspective(const Point3& eye, double magnification, const Point3& target, Matrix4 out) {
    const double dx = target.x - eye.x, dy = target.y - eye.y, dz = target.z - eye.z;
    const double h = std::sqrt(dx * dx + dy * dy), r = std::sqrt(h * h + dz * dz);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) out[i][j] = 0;
    // An eye at the target has no line of sight: the zero matrix puts every point at E = 0, rejected.
    if (!(r > kMinEyeDistance) || !std::isfinite(r)) return false;
    const double m = magnification, a = g3D.aspect;
    Matrix4 T = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {-eye.x, -eye.y, -eye.z, 1}};
    Matrix4 R = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    if (h > 0) {
        R[0][0] = R[1][1] = dy / h;
        R[0][1] = dx / h;
        R[1][0] = -dx / h;
    }
    Matrix4 P = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    P[0][0] = m;
    P[1][1] = -(m / a) * dz / r;
    P[1][2] = h / r;
    P[2][1] = (m / a) * h / r;
    P[2][2] = dz / r;
    Matrix4 TR;
    MatrixMultiply4(TR, T, R);
    MatrixMultiply4(out, TR, P);
    return true;
}

void Compute3DCamera() {
    if (gViewDip > 90) gViewDip = 90;
    if (gViewDip < -90) gViewDip = -90;
    if (gViewAzimuth > 180) gViewAzimuth -= 360;
    if (gViewAzimuth < -180) gViewAzimuth += 360;
    const double az = gViewAzimuth * kRadPerDeg, dip = gViewDip * kRadPerDeg, d = gViewDistance;
    const Point3 eye{-std::sin(az) * d * std::cos(dip), -std::cos(az) * d * std::cos(dip),
                     (gMinDepth + gMaxDepth) / 2 - std::sin(dip) * d};
    const bool seeing = LookAtPerspective(eye, gMagnification, g3D.target, g3D.M);
    g3D.valid = seeing && g3D.w > 0 && g3D.h > 0;
}

void Setup3DView(gfx::DrawContext* dc, bool drawBox, double X, double Y, int w, int h) {
    if (g3DPoints.capacity() < kMax3DPoints) g3DPoints.reserve(kMax3DPoints);
    g3D.X = X;
    g3D.Y = Y;
    g3D.w = std::max(w, 0);
    g3D.h = std::max(h, 0);
    g3D.halfW = g3D.w / 2;
    g3D.halfH = g3D.h / 2;
    g3D.minDepth = gMinDepth;
    g3D.maxDepth = gMaxDepth;
    g3D.aspect = w > 0 && h > 0 ? static_cast<double>(h) / w : 1.0;  // a zero-width area draws nothing
    g3D.target = {0, 0, gMaxDepth / 2};
    Compute3DCamera();
    if (drawBox && dc) Draw3DBox(*dc);
}

bool Project3DPoint(const Point3& p, std::int32_t* column, std::int32_t* row) {
    if (!g3D.valid) return false;
    const Eye3 e = Transform(p);
    if (!(e.E > 0) || e.g < -e.E || e.g > e.E || e.u < -e.E || e.u > e.E) return false;
    const gfx::Point s = ScreenOf(e);
    *column = s.x;
    *row = s.y;
    return true;
}

void MoveTo3D(const Point3& p) {
    const Eye3 e = Transform(p);
    g3D.current[0] = e.g;
    g3D.current[1] = e.u;
    g3D.current[2] = e.E;
}

bool LineTo3D(gfx::DrawContext& dc, const Point3& p, int colorNumber) {
    const Eye3 to = Transform(p);
    Eye3 a{g3D.current[0], g3D.current[1], g3D.current[2]}, b = to;
    g3D.current[0] = to.g;
    g3D.current[1] = to.u;
    g3D.current[2] = to.E;
    if (!g3D.valid) return false;
    constexpr double planes[5][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {0, 0}};
    for (const auto& pl : planes) {
        // The last plane keeps the ends a hair in front of the eye, so no end divides by 0.
        const double margin = pl[0] == 0 && pl[1] == 0 ? kNearE : 0;
        const double f0 = a.E + pl[0] * a.g + pl[1] * a.u - margin;
        const double f1 = b.E + pl[0] * b.g + pl[1] * b.u - margin;
        if (f0 < 0 && f1 < 0) return false;
        if (f0 < 0 || f1 < 0) {
            const double t = f0 / (f0 - f1);
            const Eye3 cut{a.g + t * (b.g - a.g), a.u + t * (b.u - a.u), a.E + t * (b.E - a.E)};
            (f0 < 0 ? a : b) = cut;
        }
    }
    if (!(a.E > 0) || !(b.E > 0)) return false;
    const gfx::Point s0 = ScreenOf(a), s1 = ScreenOf(b);
    Line2D(dc, s0.x, s0.y, s1.x, s1.y, colorNumber, 3);
    return true;
}

void Draw3DBox(gfx::DrawContext& dc) {
    const int w = g3D.w, h = g3D.h;
    dc.MoveTo({0, 0});
    DrawLineTo(dc, w, 0, kWhiteColor, 1);
    DrawLineTo(dc, w, h, kWhiteColor, 1);
    DrawLineTo(dc, 0, h, kWhiteColor, 1);
    DrawLineTo(dc, 0, 0, kWhiteColor, 1);
    const double X = g3D.X, Y = g3D.Y;
    for (double z : {g3D.maxDepth, g3D.minDepth}) {
        MoveTo3D({-X, -Y, z});
        LineTo3D(dc, {-X, Y, z}, kWhiteColor);
        LineTo3D(dc, {X, Y, z}, kWhiteColor);
        LineTo3D(dc, {X, -Y, z}, kWhiteColor);
        LineTo3D(dc, {-X, -Y, z}, kWhiteColor);
    }
    auto letter = [&](const Point3& p, const char* text) {
        std::int32_t col = 0, row = 0;
        if (Project3DPoint(p, &col, &row))
            DrawJustifiedText(dc, col, row, nullptr, text, kWhiteColor, gConfigBackgroundColor, HJust::Left,
                              VJust::Bottom);
    };
    MoveTo3D({0, -Y, 0});
    letter({0, -Y, 0}, "S");
    LineTo3D(dc, {0, Y, 0}, kWhiteColor);
    letter({0, Y, 0}, "N");
    MoveTo3D({-X, 0, 0});
    letter({-X, 0, 0}, "W");
    LineTo3D(dc, {X, 0, 0}, kWhiteColor);
    letter({X, 0, 0}, "E");
    MoveTo3D({0, 0, g3D.minDepth});
    LineTo3D(dc, {0, 0, g3D.maxDepth}, kWhiteColor);
    for (const auto& c : {Point3{-X, -Y, 0}, Point3{-X, Y, 0}, Point3{X, Y, 0}, Point3{X, -Y, 0}}) {
        MoveTo3D({c.x, c.y, g3D.minDepth});
        LineTo3D(dc, {c.x, c.y, g3D.maxDepth}, kWhiteColor);
    }
}

bool Project3D(gfx::DrawContext* dc, int mode, double latitude, double lonOffset, double depth, std::int32_t* row,
               std::int32_t* column, int colorNumber) {
    if (mode == -1 || mode == 0) {
        g3D.kmMid = kKmPerDegree * std::cos((gMapNorth + gMapSouth) * kPi / 360);
        g3D.originLonOffset = gLonSpan / 2;
        g3D.originLat = (gMapNorth + gMapSouth) / 2;
        Setup3DView(dc, mode == 0, 0.5 * gLonSpan * g3D.kmMid, (gMapNorth - gMapSouth) * kHalfKmPerDegree, gMapWidth,
                    gMapHeight);
        return g3D.valid;
    }
    const Point3 p = To3D(latitude, lonOffset, depth);
    switch (mode) {
        case 1:
            if (g3DPoints.size() < kMax3DPoints) g3DPoints.push_back(p);
            return Project3DPoint(p, column, row);
        case 2:
            MoveTo3D(p);
            return false;
        case 3:
            if (dc) (void)LineTo3D(*dc, p, colorNumber);
            return false;
        default:
            return false;
    }
}

Segment3DPen& Map3DPen(gfx::DrawContext& dc) {
    gMap3DPen.dc = &dc;
    return gMap3DPen;
}

// ---- The pane's 3-D repaint and the section outline --------------------------------------

void childMap::Draw3DView() {
    Compute3DCamera();
    gfx::DrawContext& dc = *screen();
    {
        gfx::StateSaver keep(dc);
        dc.ResetClip();
        dc.SetOrigin({0, 0});
        dc.FillRect(clientRect(), gfx::Brush::Solid(ColorOf(gConfigBackgroundColor)));
    }
    gfx::StateSaver keep(dc);
    ClipToRect(dc, gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom, false);
    Draw3DBox(dc);
    for (const MapBufferRecord& r : ReadMapBuffer()) {
        const Point3 p = To3D(r.lat, r.lonOffset, 0);
        if (r.pen == 0)
            MoveTo3D(p);
        else
            (void)LineTo3D(dc, p, r.pen);
    }
    for (const Point3& p : g3DPoints) {
        std::int32_t col = 0, row = 0;
        if (Project3DPoint(p, &col, &row)) SetPixelColour(dc, col, row, kWhiteColor);
    }
}

void DrawLocalPolyline(gfx::DrawContext& dc, const Proj& proj, const double (*points)[2], int count,
                       const LocalTransform& t, int colorNumber) {
    std::vector<gfx::Point> pixels;
    pixels.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        const double u = points[i][0], v = points[i][1];
        std::int32_t row = 0, col = 0;
        proj.LatLonToPixel(t.f + t.b * u + t.d * v, t.e + t.a * u + t.c * v, &row, &col);
        pixels.push_back({col, row});
    }
    DrawPolyline(dc, pixels, colorNumber, 2);
}

void childMap::DrawCrossSectionOutline() {
    gfx::DrawContext& dc = *screen();
    ClipToRect(dc, gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom, true);
    if (mapImageSurface_)
        dc.Blit({0, 0, gMapWidth, gMapHeight}, *mapImageSurface_, {gMapRect.left, gMapRect.top}, gfx::RasterOp::Copy);
    DrawSectionOutline(dc, *this);
    ClipToRect(dc, gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom, false);
}

void DrawSectionOutline(gfx::DrawContext& dc, const Proj& proj) {
    const double kmLon = KmPerDegreeLongitude(gXsLatitude);
    const double az = gViewAzimuth * kRadPerDeg;
    const double c0 = Proj::LonOffset(gXsLongitude, gWestEdge);
    const LocalTransform t{std::cos(az) / kmLon, -std::sin(az) / kKmPerDegree, std::sin(az) / kmLon,
                           std::cos(az) / kKmPerDegree, c0, gXsLatitude};
    const double half = std::trunc(gViewWidth / 2);
    const double box[5][2] = {{-half, gViewNearPlane}, {half, gViewNearPlane}, {half, gViewFarPlane},
                              {-half, gViewFarPlane}, {-half, gViewNearPlane}};
    DrawLocalPolyline(dc, proj, box, 5, t, kWhiteColor);

    std::int32_t cRow = 0, cCol = 0, row = 0, east = 0, west = 0;
    proj.LatLonToPixel(gXsLatitude, c0, &cRow, &cCol);
    proj.LatLonToPixel(gXsLatitude, c0 + half / kmLon, &row, &east);
    proj.LatLonToPixel(gXsLatitude, c0 - half / kmLon, &row, &west);
    const double L = east - cCol + 20, L2 = west - cCol - 20;
    const double axis[12][2] = {{L, 5},  {L + 4, 5},  {L, 15},  {L - 4, 5},  {L, 5},      {L, 0},
                                {L2, 0}, {L2, 5},     {L2 + 4, 5}, {L2, 15}, {L2 - 4, 5}, {L2, 5}};
    std::vector<gfx::Point> pixels;
    for (const auto& p : axis)
        pixels.push_back({TruncToInt(cCol + p[0] * std::cos(az) + p[1] * std::sin(az), kPixelLimit),
                          TruncToInt(cRow + p[0] * std::sin(az) - p[1] * std::cos(az), kPixelLimit)});
    DrawPolyline(dc, pixels, kLightRedColor, 2);
}

// ---- Set-up and points for the pane and the symbols ---------------------------------------

void SetUp3DProjection(childMap& pane, bool withBox) {
    std::int32_t row = 0, col = 0;
    (void)Project3D(pane.screen(), withBox ? 0 : -1, 0, 0, 0, &row, &col, 0);
}

void SetUpCrossSection(childMap& pane) {
    std::int32_t row = 0, col = 0;
    (void)pane.CrossSectionPoint(0, 0, 0, 0, &row, &col);
}

bool CrossSectionEventPoint(double lat, double lonOffset, double depth, std::int32_t* row, std::int32_t* column) {
    Proj unused;
    return unused.CrossSectionPoint(1, lat, lonOffset, depth, row, column);
}

bool Project3DEvent(double lat, double lonOffset, double depth, std::int32_t* row, std::int32_t* column) {
    return Project3D(nullptr, 1, lat, lonOffset, depth, row, column, 0);
}
