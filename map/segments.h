#pragma once
// Drawing map segment files: into the map view (wrapping at the west edge),
// into the 3-D view (recorded in "MAPBUF.TMP" for its repaint), the plates
// layer, and the plates on the whole-globe sphere image. Every drawing of a
// file rewrites the text dump "plates.txt"; the sphere copy writes "mapbuf.txt".
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "map/draw.h"
#include "map/proj.h"
#include "map/segment_file.h"

inline constexpr const char* kPlatesFile = "PLATES.S0";
inline constexpr const char* kMapBufferFile = "MAPBUF.TMP";
inline constexpr const char* kPlatesDumpFile = "plates.txt";
inline constexpr const char* kMapBufferDumpFile = "mapbuf.txt";
inline constexpr int kMapBufferRecordSize = 20;

// ---- Classes -------------------------------------------------------------------

// The configured colour number of a class; 0 (not drawn) above 16, below 0 and
// for classes outside the table.
int SegmentColor(int segmentClass);
// Pen width of a class; AUTO widths follow yScale (pixels per Mercator degree).
int SegmentPenWidth(int segmentClass, double yScale);
int AutoLineWidth(double yScale);

// ---- Skip test ----------------------------------------------------------------

// The map in arc-minutes: west edge, longitude span, latitude bounds.
struct ArcMinuteWindow {
    int west = 0, span = 0, north = 0, south = 0;
};
// From gWestEdge, gLonSpan, gMapNorth and gMapSouth.
ArcMinuteWindow CurrentArcMinuteWindow();
// True when no part of the segment's box can lie on the map; a segment up to
// one degree west of the west edge still counts as on it.
bool SkipSegment(const SegmentHeader& header, const ArcMinuteWindow& window);

// ---- Drawing -----------------------------------------------------------------

// Where the 3-D views draw; their renderer supplies it. Offsets are degrees
// east of the west edge.
class Segment3DPen {
public:
    virtual ~Segment3DPen() = default;
    virtual void MoveTo(double lat, double lonOffset) = 0;
    virtual void LineTo(double lat, double lonOffset, int colorNumber) = 0;
};

// Draws every segment of the open file in the current view kind (g3DView:
// through pen3d, when given, and into the open recording; otherwise the map
// view). The caller has set up the projection and put the clip and origin on
// the map area. Reading stops at the end or the first damaged segment; the
// result says which.
SegmentStatus DrawSegmentFile(const Proj& proj, std::FILE* file, PointLayout layout, platform::gfx::DrawContext& dc,
                              Segment3DPen* pen3d = nullptr);
// Opens the data file of that name and draws it as above; a file that is
// missing or stops at a fault is named once (ReportDataFileProblem), and what
// it held before the fault stays drawn.
SegmentStatus DrawNamedSegmentFile(const Proj& proj, const std::string& name, PointLayout layout,
                                   platform::gfx::DrawContext& dc, Segment3DPen* pen3d = nullptr);

// The recording of the 3-D view's map lines. Begin replaces any old one; when
// the new one cannot be written, no recording is left behind at all, so a
// repaint never replays another view's lines.
bool BeginMapBuffer();
void EndMapBuffer();
bool MapBufferOpen();

struct MapBufferRecord {
    double lat = 0;        // degrees
    double lonOffset = 0;  // degrees east of the west edge
    std::int32_t pen = 0;  // colour number of a line to the point; 0: a move
    friend bool operator==(const MapBufferRecord&, const MapBufferRecord&) = default;
};
void EncodeMapBufferRecord(const MapBufferRecord& record, unsigned char bytes[kMapBufferRecordSize]);
MapBufferRecord DecodeMapBufferRecord(const unsigned char bytes[kMapBufferRecordSize]);
// Every whole record of the file; empty when it is missing.
std::vector<MapBufferRecord> ReadMapBuffer(const char* name = kMapBufferFile);

// ---- Plates ---------------------------------------------------------------------

// "PLATES.S0" and the plate labels ("%s.plt", by the overlay renderer) clipped to the map area (gMapRect, pane
// coordinates); afterwards the clip is the whole pane and the origin the map
// area. Nothing in the cross-section view.
// In map/plates.cpp, with the renderer, not in the segment reader's library.
void DrawPlatesLayer(const Proj& proj, platform::gfx::DrawContext& dc, Segment3DPen* pen3d = nullptr);

// The plates on the whole-globe sphere image, placed by LatLonToMapPixel;
// lines across the image's seam at 180 degrees wrap by the image's width.
void DrawPlatesOnSphere(platform::gfx::DrawContext& dc);
SegmentStatus DrawSegmentFileOnSphere(std::FILE* file, platform::gfx::DrawContext& dc);
