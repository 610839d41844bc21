#pragma once
// What the earthquake and eruption catalogues share: positioning on a record
// of a fixed size, and the search for the first record at or after a time.
#include <cstdint>
#include <cstdio>

#include "core/timevalue.h"

// Where record numbers count from.
inline constexpr int kFromStart = 0;
inline constexpr int kFromCurrent = 1;
inline constexpr int kFromEnd = 2;

// Whole records in the file (a trailing partial record does not count); the
// file position is kept.
std::int32_t RecordCount(std::FILE* file, int recordSize);

// Positions the file on record n counted from origin and returns true when a
// whole record lies there. Before the start the file is left at its start,
// past the end at its end.
bool SeekRecord(std::FILE* file, std::int32_t n, int origin, int recordSize);

// Reads record i's bytes without moving or refilling the stream's buffer (the
// search jumps around; stdio would reread a block at every jump).
bool ReadRecordBytes(std::FILE* file, std::int32_t i, int recordSize, unsigned char* out);

// The first record whose time equals *time, else the first later one, with
// *time set to its time. Result -1 (index 0) at or before the first record,
// 1 (index = count) after the last, 0 otherwise. A time equal to the last
// record's gives that last record. firstIsExact: a time equal to the first
// record's time counts as found (result 0, exact).
template <class TimeAt>
int FindRecordByTime(std::FILE* file, int recordSize, TimeAt timeAt, bool firstIsExact, TimeValue* time, bool* exact,
                     std::int32_t* index) {
    *exact = false;
    if (file) std::fflush(file);  // what the stream holds must be on disk before reading around it
    const std::int32_t n = RecordCount(file, recordSize);
    const TimeValue t0 = n > 0 ? timeAt(0) : TimeValue();
    if (t0.t == 0 || *time <= t0) {
        *exact = firstIsExact && t0.t != 0 && *time == t0;
        *time = t0;
        if (file) std::rewind(file);
        *index = 0;
        return *exact ? 0 : -1;
    }
    const std::int32_t last = n - 1;
    const TimeValue tn = timeAt(last);
    if (*time > tn) {
        *time = tn;
        *index = n;
        return 1;
    }
    if (tn == *time) {
        *exact = true;
        SeekRecord(file, last, kFromStart, recordSize);
        *index = last;
        return 0;
    }
    std::int32_t lo = 0, hi = last, i = hi / 2;
    do {
        const TimeValue ti = timeAt(i);
        if (ti == *time) {
            *exact = true;
            break;
        }
        if (ti > *time)
            hi = i;
        else
            lo = i + 1;
        i = lo + (hi - lo) / 2;
    } while (lo < hi);
    *time = timeAt(i);
    while (i - 1 >= 0 && timeAt(i - 1) == *time) --i;
    *index = i;
    SeekRecord(file, i, kFromStart, recordSize);
    return 0;
}
