#pragma once
// The cross-section view (distance along a line on the map against depth) and
// the 3-D view (a perspective picture of the region's box from the surface to
// the maximum depth), with the outline of a section drawn on the map view.
#include <cstdint>
#include <vector>

#include "map/draw.h"
#include "map/proj.h"

class childMap;
class Segment3DPen;

inline constexpr double kHalfKmPerDegree = 55.597465;
inline constexpr double kPi = 3.1415926;
inline constexpr int kMax3DPoints = 16000;

// ---- Cross-section -----------------------------------------------------------------------

struct CrossSectionState {
    bool valid = false;  // false: the set-up was refused and every point is rejected
    double c0 = 0;       // longitude offset of the centre, degrees
    double s = 0;        // pixels per km, both ways
    double A = 0, B = 0;  // along the section: pixels per degree of longitude and of latitude
    double C = 0, D = 0;  // across it: km per degree of longitude and of latitude
    double nearPlane = -50, farPlane = 50;  // km
    double minDepth = 0;  // km at row 0
    std::int32_t width = 0, height = 0;
};
extern CrossSectionState gCrossSection;

// km per degree of longitude at a latitude, never 0 (the poles count as 89.9 degrees).
double KmPerDegreeLongitude(double latitude);

// Row and column of an axis point: depth below MINIMUM DEPTH and distance along the section.
void CrossSectionAxisPoint(double depth, double along, std::int32_t* row, std::int32_t* column);

// ---- 3-D ---------------------------------------------------------------------------------

struct Point3 {
    double x = 0, y = 0, z = 0;
};
using Matrix4 = double[4][4];

struct View3DState {
    bool valid = false;  // a map area and a camera that can be drawn
    double X = 0, Y = 0;  // box half-extents, km
    std::int32_t w = 0, h = 0, halfW = 0, halfH = 0;
    double minDepth = 0, maxDepth = 0;
    double aspect = 1;
    Point3 target;
    Matrix4 M = {};
    double current[3] = {0, 0, 1};  // g, u, E of the last point
    double originLonOffset = 0, originLat = 0, kmMid = 0;  // of the 3-D coordinates
};
extern View3DState g3D;

// Points of events, eruptions and labels projected since the view was opened.
extern std::vector<Point3> g3DPoints;
void Clear3DPoints();

// The place's 3-D coordinates, km east, north and down from the box's centre.
Point3 To3D(double latitude, double lonOffset, double depth);

void MatrixMultiply4(Matrix4 out, const Matrix4 a, const Matrix4 b);
// False (and a matrix that rejects every point) when the eye is at the target.
bool LookAtPerspective(const Point3& eye, double magnification, const Point3& target, Matrix4 out);
void Compute3DCamera();
void Setup3DView(platform::gfx::DrawContext* dc, bool drawBox, double X, double Y, int w, int h);
bool Project3DPoint(const Point3& p, std::int32_t* column, std::int32_t* row);
void MoveTo3D(const Point3& p);
bool LineTo3D(platform::gfx::DrawContext& dc, const Point3& p, int colorNumber);
void Draw3DBox(platform::gfx::DrawContext& dc);
// Mode -1 set-up, 0 set-up with the box, 1 project an event (buffered), 2 move, 3 line.
bool Project3D(platform::gfx::DrawContext* dc, int mode, double latitude, double lonOffset, double depth,
               std::int32_t* row, std::int32_t* column, int colorNumber);
// Draws the map segment files of a 3-D view.
Segment3DPen& Map3DPen(platform::gfx::DrawContext& dc);

// ---- The map view's section outline -----------------------------------------------------

// Local km (u along, v across) to latitude f + b u + d v and longitude offset e + a u + c v.
struct LocalTransform {
    double a = 0, b = 0, c = 0, d = 0, e = 0, f = 0;
};
void DrawLocalPolyline(platform::gfx::DrawContext& dc, const Proj& proj, const double (*points)[2], int count,
                       const LocalTransform& t, int colorNumber);
// The section's box and its axis, in map-area coordinates, over whatever the context holds.
void DrawSectionOutline(platform::gfx::DrawContext& dc, const Proj& proj);

// ---- Set-up and points for the pane and the symbols ---------------------------------------

// The projection of the 3-D view, with or without its box.
void SetUp3DProjection(childMap& pane, bool withBox);
// The projection of the section (mode 0).
void SetUpCrossSection(childMap& pane);
// Sea level, distance and depth labels.
void DrawCrossSectionAxes(childMap& pane);
// Where an event (or a label at depth 0) goes on the section; false when outside it.
bool CrossSectionEventPoint(double lat, double lonOffset, double depth, std::int32_t* row, std::int32_t* column);
// Mode 1 of the 3-D projection: buffers the point and projects it.
bool Project3DEvent(double lat, double lonOffset, double depth, std::int32_t* row, std::int32_t* column);
