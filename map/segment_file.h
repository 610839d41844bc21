#pragma once
// Map segment files: polylines one after another to the end of the file, each
// a 12-byte header of six little-endian int16 and then its points. A file
// whose name holds ".S0" has fine points (int24 arc-seconds), every other
// file coarse ones (int16 arc-minutes). No file header.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string_view>
#include <vector>

inline constexpr int kSegmentHeaderSize = 12;
inline constexpr int kSegmentClassFirst = 1;   // coast
inline constexpr int kSegmentClassLast = 12;   // diffuse plate boundary
inline constexpr int kSegmentMaxPoints = 32767;
inline constexpr int kArcMinutesHalfTurn = 10800;

enum class PointLayout { kCoarse, kFine };

// ".S0" or ".s0" anywhere in the name: fine points; anything else: coarse.
PointLayout LayoutForFileName(std::string_view name);
int PointSize(PointLayout layout);        // bytes: 4 coarse, 6 fine
int UnitsPerDegree(PointLayout layout);   // 60 coarse (arc-minutes), 3600 fine (arc-seconds)

struct SegmentHeader {
    std::int16_t code = 0;   // class * 1000 + running number
    std::int16_t count = 0;  // points that follow
    std::int16_t east = 0;   // bounds in arc-minutes; east < west when the segment crosses 180
    std::int16_t west = 0;
    std::int16_t north = 0;
    std::int16_t south = 0;

    int SegmentClass() const { return code / 1000; }
};

struct SegmentPoint {
    std::int32_t lon = 0;  // in the layout's units
    std::int32_t lat = 0;
    friend bool operator==(const SegmentPoint&, const SegmentPoint&) = default;
};

struct Segment {
    SegmentHeader header;
    std::vector<SegmentPoint> points;
};

// Three bytes, least significant first; bit 23 is the sign.
std::int32_t DecodeInt24(const unsigned char bytes[3]);
// False when the value does not fit 24 bits (the bytes are then left alone).
bool EncodeInt24(std::int32_t value, unsigned char bytes[3]);

SegmentHeader DecodeSegmentHeader(const unsigned char bytes[kSegmentHeaderSize]);
void EncodeSegmentHeader(const SegmentHeader& header, unsigned char bytes[kSegmentHeaderSize]);
// bytes holds PointSize(layout) bytes.
SegmentPoint DecodeSegmentPoint(const unsigned char* bytes, PointLayout layout);
// False when a coordinate does not fit the layout.
bool EncodeSegmentPoint(SegmentPoint point, PointLayout layout, unsigned char* bytes);

// Why reading a file stopped. Everything but kEnd is a damaged file: reading
// stops there and the segments before it stand.
enum class SegmentStatus {
    kOk,
    kEnd,          // clean end of the file
    kCutHeader,    // the file ends inside a header
    kBadCount,     // negative point count
    kBadClass,     // class outside 1..12
    kTruncated,    // the point block runs past the end of the file
};
const char* SegmentStatusText(SegmentStatus status);

// Reads a segment file header by header; each segment's points are then read
// or skipped. After a fault every call returns that fault again.
class SegmentReader {
public:
    // The rest of the file is read at once; the reader never touches it again.
    SegmentReader(std::FILE* file, PointLayout layout);
    SegmentReader(std::span<const unsigned char> bytes, PointLayout layout);

    [[nodiscard]] SegmentStatus NextHeader(SegmentHeader* header);
    // The points of the segment NextHeader gave last.
    [[nodiscard]] SegmentStatus ReadPoints(std::vector<SegmentPoint>* points);
    [[nodiscard]] SegmentStatus SkipPoints();
    SegmentStatus status() const { return status_; }

private:
    bool ReadBytes(unsigned char* out, std::size_t n);
    std::size_t Remaining() const;

    std::vector<unsigned char> owned_;  // what was read from a file
    std::span<const unsigned char> bytes_;
    std::size_t offset_ = 0;  // into bytes_
    std::size_t size_ = 0;    // of bytes_
    PointLayout layout_;
    SegmentStatus status_ = SegmentStatus::kOk;
    int pending_ = -1;  // points of the current segment not yet read; -1: none
};

// Every segment up to the end or the first fault; the result says which.
SegmentStatus ReadSegmentFile(std::FILE* file, PointLayout layout, std::vector<Segment>* out);
SegmentStatus DecodeSegments(std::span<const unsigned char> bytes, PointLayout layout, std::vector<Segment>* out);

// Header count and bounds from the points (the code is kept). Bounds are the
// smallest arc-minute box that holds the points; a segment that crosses 180
// gets east < west. False when there are no points or more than the format holds.
bool SetSegmentBounds(Segment* segment, PointLayout layout);
// Appends one segment's bytes; false (nothing appended) when the count, the
// class or a coordinate does not fit the format.
bool EncodeSegment(const Segment& segment, PointLayout layout, std::vector<unsigned char>* out);
[[nodiscard]] bool WriteSegment(std::FILE* file, const Segment& segment, PointLayout layout);
