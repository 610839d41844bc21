#pragma once
// The parts of the data builder that go through the program's own code: the
// earthquake catalogue from event-service CSV files, and map segment files
// from plain-text polylines.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/quake_record.h"
#include "map/segment_file.h"

// ---- Earthquake catalogue ------------------------------------------------------

struct ServiceEvent {
    std::string id;       // column "id"; empty lines of no id are kept apart
    std::string updated;  // column "updated", an ISO time: later text is newer
    std::string line;
};

struct CatalogueStats {
    std::size_t lines = 0;       // event lines read, headers not counted
    std::size_t duplicates = 0;  // lines dropped because their id came again
    std::size_t unusable = 0;    // lines the service parser gives no event for
    std::size_t sameQuake = 0;   // events dropped as a second solution of one quake
    std::size_t events = 0;      // records written
};

// The event lines of one CSV answer (its header line, when present, dropped).
std::vector<ServiceEvent> ReadServiceEvents(std::FILE* file, CatalogueStats* stats);
// One event per id over all inputs: the line updated last wins, the earlier
// input on a tie. Order is that of first appearance.
std::vector<ServiceEvent> MergeServiceEvents(const std::vector<std::vector<ServiceEvent>>& inputs,
                                             CatalogueStats* stats);
// Records made by the event-service line parser, sorted by time (then by id,
// so that equal times come out the same on every run); unusable lines dropped.
// Two events that the program's similar-event test takes for one quake
// (within 120 s and 2 degrees) under different ids are one quake reported
// twice: only the preferred solution stays (PreferredSolution).
std::vector<QuakeRecord> BuildCatalogue(const std::vector<ServiceEvent>& events, CatalogueStats* stats);
// Of two solutions of one quake, true when a is to be kept rather than b: a
// moment magnitude before any other kind, then the larger magnitude, then
// the earlier in time.
struct Solution {
    std::string magType;  // column "magType"
    QuakeRecord q;
    double time = 0;
};
bool PreferredSolution(const Solution& a, const Solution& b);
[[nodiscard]] bool WriteCatalogue(const std::string& path, const std::vector<QuakeRecord>& records);

// ---- Segment files -------------------------------------------------------------

// A line of "S <class>" starts a polyline; each following line holds
// "<lon> <lat>" as integers in the target layout's units; "#" lines are comments.
struct Polyline {
    int segmentClass = 0;
    std::vector<SegmentPoint> points;
};
// False, with the line number in *badLine, when a line does not scan.
bool ReadPolylineText(std::FILE* file, std::vector<Polyline>* out, int* badLine);

// Cuts a polyline into pieces that the format and the map's skip test handle:
// at most kSegmentMaxPoints points and at most maxLonSpanDegrees of longitude
// each. Pieces share their end points, so the line stays unbroken.
std::vector<Polyline> SplitPolyline(const Polyline& line, PointLayout layout, int maxLonSpanDegrees);
// Encodes the polylines (split as above, running numbers per file) into a
// segment file; false when a piece does not fit the format or writing fails.
[[nodiscard]] bool WriteSegmentFileFromPolylines(const std::string& path, const std::vector<Polyline>& lines,
                                                 PointLayout layout, std::size_t* segmentsWritten);
