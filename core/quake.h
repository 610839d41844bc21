#pragma once
// Earthquake catalogues: the open catalogue of the current view, random access
// by record number, the search by time, the text forms of an event and the
// parsers that build records from update-link and event-service lines.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/quake_record.h"
#include "core/record_file.h"
#include "core/timevalue.h"

// One bit per catalogue record, all set when created; the animation clears the
// bit of a record that failed the view's filter. Indexes outside 0..count-1
// read as false and change nothing.
class BitSet {
public:
    explicit BitSet(std::int32_t n);
    bool Test(std::int32_t i) const;
    void Clear(std::int32_t i);
    std::int32_t Count() const { return count; }

    std::vector<std::uint8_t> bytes;  // bit i in byte i / 8, least significant first
    std::int32_t count = 0;
};

// An event of the feed as the alert mode keeps it.
#pragma pack(push, 1)
struct AlertEventRecord {
    QuakeRecord quake;
    char network[3] = {};      // reporting network, upper case, terminated
    char id[11] = {};          // event id, terminated
    std::int64_t update = 0;   // leading digits of the feed's "updated" column
    char line[256] = {};       // the feed line; not terminated when 256 long, read it with Line()

    std::string_view Line() const;
};
#pragma pack(pop)
static_assert(sizeof(AlertEventRecord) == 302);

// The form the map draws an event in; the map's in-view test fills the doubles.
struct QuakeDisplayRecord {
    QuakeRecord quake;
    double magnitude = 0.0;  // magnitude byte / 10
    double depth = 0.0;      // km
    double latitude = 0.0;   // degrees
    double longitude = 0.0;  // degrees east of the map's west edge (Proj::LonOffset)
};

// ---- The catalogue of the current view ----------------------------------------

extern std::FILE* gQuakeCatalogue;                  // open EVENT FILE, or null
extern std::int32_t gQuakeCount;                    // whole records in it
extern std::int32_t gQuakeIndex;                    // index of the next record to show
extern TimeValue gNextQuakeTime;                    // time of that record; 0: none
extern std::unique_ptr<BitSet> gQuakeVisibleBits;  // one bit per record, replaced at each opening

// The eruption side of the same steps (core/eruption.cpp): reposition at
// gAnimationTime, opening when needed, and close the open eruption catalogue.
void RefreshEruptionPositions();
void CloseEruptionCatalogue();


// Whole records in the file (a trailing partial record does not count).
std::int32_t QuakeRecordCount(std::FILE* file);

// Reads record n counted from origin into *record (zeroed first) and returns
// its time; 0 with a zeroed record when there is no such record. Before the
// start the file is left at its start, past the end at its end. A null file
// returns 0 and leaves the record untouched.
TimeValue ReadQuakeAt(std::FILE* file, std::int32_t n, int origin = kFromStart, QuakeRecord* record = nullptr);

// The first record at *time, else the first later one; *time becomes that
// record's time. -1: at or before the first record (or empty; index 0);
// 1: after the last (index = count, *time = last time); 0 otherwise. A
// request equal to the last record's time gives the last record itself.
int FindQuakeIndex(std::FILE* file, TimeValue* time, bool* exact, std::int32_t* index);

// Opens the view's EVENT FILE when EARTHQUAKES is on and nothing is open yet,
// positioned at gAnimationTime; the display form of the next record, or null.
// A missing file switches EARTHQUAKES off.
QuakeDisplayRecord* OpenQuakeCatalogue(bool forUpdate);
void CloseQuakeCatalogue();
// Repositions both catalogues at gAnimationTime (after the time slider moved).
void RefreshCataloguePositions();

// ---- Text forms --------------------------------------------------------------------

// " 2011/03/11 05:46:23 38.3N 142.4E  29 9.0 " (with the zone name when
// local); empty for an all-zero record.
std::string FormatQuakeListLine(const QuakeRecord& q, bool local);
// The information box text of an event, in local time; empty for an all-zero record.
std::string FormatQuakeLabel(const QuakeRecord& q);

// ---- Record builders ----------------------------------------------------------------

// Builds a record, every conversion truncated. A position beyond +-90/+-180, a
// date or time of day out of range, a depth that does not fit, or a value that
// is not a number gives an all-zero record. Magnitudes are held to 0..25.5.
QuakeRecord MakeEventRecord(QuakeRecord* record, int year, int month, int day, int hour, int minute, double seconds,
                            double latitude, double longitude, double depthKm, double magnitude);
// "2011/3/11 5:46:23.4 38.30N 142.37E 29.0 9.0" (update link); false, record
// untouched, when the line is not one.
[[nodiscard]] bool ParseQuakeLine(std::string_view text, QuakeRecord* record);
// A line of the event service's CSV answer; all zero when its first column is
// not an ISO time or its position is unusable.
QuakeRecord ParseFdsnCsvLine(QuakeRecord* record, std::string_view line);
// A line of the event feed; the record is left as it was when the line does
// not give an event.
AlertEventRecord ParseFeedCsvLine(AlertEventRecord* record, std::string_view line);
