#pragma once
// The 24-byte earthquake record; also the layout of a ".HY4" catalogue file.
#include <cstdint>
#include <cstdio>

#include "core/timevalue.h"

#pragma pack(push, 1)
struct QuakeRecord {
    std::int32_t latitude = 0;   // 1/3,600,000 degree, north positive
    std::int32_t longitude = 0;  // 1/3,600,000 degree, east positive
    PackedDate date;             // UTC
    std::uint16_t minute = 0;    // minute of the day
    std::int16_t tenths = 0;     // seconds in tenths
    std::int32_t depth = 0;      // 1/100,000 km
    std::uint8_t magnitude = 0;  // magnitude x 10
    std::uint8_t spare[3] = {0, 0, 0};

    // Record n from the start of the catalogue; its time, 0 when there is none.
    TimeValue ReadAt(std::FILE* file, std::int32_t n);
};
#pragma pack(pop)
static_assert(sizeof(QuakeRecord) == 24);

inline constexpr int kQuakeRecordSize = 24;

// All-zero records stand for "no event".
bool IsZeroRecord(const QuakeRecord& q);

// The on-disk form, little-endian, field by field.
QuakeRecord DecodeQuakeRecord(const unsigned char bytes[kQuakeRecordSize]);
void EncodeQuakeRecord(const QuakeRecord& q, unsigned char bytes[kQuakeRecordSize]);
// Writes one record at the file's position; false when not all 24 bytes went out.
[[nodiscard]] bool WriteQuakeRecord(std::FILE* file, const QuakeRecord& q);
