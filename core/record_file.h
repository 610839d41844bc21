#pragma once
// What the earthquake and eruption catalogues share: positioning on a record
// of a fixed size, and the search for the first record at or after a time.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/timevalue.h"

// One state of a file: which file it is, its size and its time stamps.
struct FileStamp {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{};
    timespec ctime{};

    static FileStamp Of(const struct stat& st);
    bool SameFile(const FileStamp& o) const { return dev == o.dev && ino == o.ino; }
    // The same file, not written to or touched since.
    bool operator==(const FileStamp& o) const;
    // Changed less than this many seconds ago: within a time stamp's
    // granularity a second change would look like none.
    bool ChangedWithin(double seconds) const;
};

// Where record numbers count from.
inline constexpr int kFromStart = 0;
inline constexpr int kFromCurrent = 1;
inline constexpr int kFromEnd = 2;

// Whole records in the file (a trailing partial record does not count); the
// file position is kept.
std::int32_t RecordCount(std::FILE* file, int recordSize);

// What is wrong with a catalogue file, for its user: empty when nothing is.
// The first and the last record must pass plausible; a file that fails it, or
// has no whole record, is of no use (*usable false); a trailing partial record
// is named but the whole ones are used. The file position is kept.
std::string CatalogueFileProblem(std::FILE* file, int recordSize, bool (*plausible)(const unsigned char* bytes),
                                 bool* usable);

// Positions the file on record n counted from origin and returns true when a
// whole record lies there. Before the start the file is left at its start,
// past the end at its end.
bool SeekRecord(std::FILE* file, std::int32_t n, int origin, int recordSize);

// Reads record n when the stream already stands on it, without a stat or a
// seek, and moves on past it. False, with the stream back on record n, when it
// stands elsewhere, is writing, or no whole record lies there.
bool ReadNextRecord(std::FILE* file, std::int32_t n, int recordSize, unsigned char* out);

// Reads record i's bytes without moving or refilling the stream's buffer (the
// search jumps around; stdio would reread a block at every jump).
bool ReadRecordBytes(std::FILE* file, std::int32_t i, int recordSize, unsigned char* out);

// The time of one record, from its bytes.
using RecordTimeOf = TimeValue (*)(const unsigned char* bytes);

// The first record whose time equals *time, else the first later one, with
// *time set to its time. Result -1 (index 0) at or before the first record,
// 1 (index = count) after the last, 0 otherwise. A time equal to the last
// record's gives that last record. firstIsExact: a time equal to the first
// record's time counts as found (result 0, exact). The file is left at record
// *index; what the stream had still to write is written first.
//
// The records' times are kept between searches for a few files and read again
// whenever the file may have changed: on a write through the stream, or when
// its identity, size or time stamps differ.
int FindRecordByTime(std::FILE* file, int recordSize, RecordTimeOf timeOf, bool firstIsExact, TimeValue* time,
                     bool* exact, std::int32_t* index);

// A file changed less than this many seconds ago is searched on disk: within a
// time stamp's granularity a second change would look like none. Default 2.
void SetRecordTimesQuietSeconds(double seconds);
// Drops every kept table of record times.
void ForgetRecordTimes();
