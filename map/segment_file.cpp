#include "map/segment_file.h"

#include <algorithm>
#include <new>
#include <limits>

namespace {

std::int16_t ReadInt16(const unsigned char* b) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(b[0] | (b[1] << 8)));
}

void PutInt16(std::int16_t v, unsigned char* b) {
    auto u = static_cast<std::uint16_t>(v);
    b[0] = static_cast<unsigned char>(u & 0xFF);
    b[1] = static_cast<unsigned char>(u >> 8);
}

bool FitsInt16(std::int64_t v) {
    return v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max();
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return -FloorDiv(-a, b); }

bool ClassInTable(int segmentClass) {
    return segmentClass >= kSegmentClassFirst && segmentClass <= kSegmentClassLast;
}

}  // namespace

PointLayout LayoutForFileName(std::string_view name) {
    return name.find(".S0") != std::string_view::npos || name.find(".s0") != std::string_view::npos
               ? PointLayout::kFine
               : PointLayout::kCoarse;
}

int PointSize(PointLayout layout) { return layout == PointLayout::kFine ? 6 : 4; }
int UnitsPerDegree(PointLayout layout) { return layout == PointLayout::kFine ? 3600 : 60; }

std::int32_t DecodeInt24(const unsigned char bytes[3]) {
    std::uint32_t u = bytes[0] | (bytes[1] << 8) | (static_cast<std::uint32_t>(bytes[2]) << 16);
    if (u & 0x800000u) u |= 0xFF000000u;
    return static_cast<std::int32_t>(u);
}

bool EncodeInt24(std::int32_t value, unsigned char bytes[3]) {
    if (value < -0x800000 || value > 0x7FFFFF) return false;
    auto u = static_cast<std::uint32_t>(value);
    bytes[0] = static_cast<unsigned char>(u & 0xFF);
    bytes[1] = static_cast<unsigned char>((u >> 8) & 0xFF);
    bytes[2] = static_cast<unsigned char>((u >> 16) & 0xFF);
    return true;
}

SegmentHeader DecodeSegmentHeader(const unsigned char bytes[kSegmentHeaderSize]) {
    SegmentHeader h;
    h.code = ReadInt16(bytes);
    h.count = ReadInt16(bytes + 2);
    h.east = ReadInt16(bytes + 4);
    h.west = ReadInt16(bytes + 6);
    h.north = ReadInt16(bytes + 8);
    h.south = ReadInt16(bytes + 10);
    return h;
}

void EncodeSegmentHeader(const SegmentHeader& h, unsigned char bytes[kSegmentHeaderSize]) {
    PutInt16(h.code, bytes);
    PutInt16(h.count, bytes + 2);
    PutInt16(h.east, bytes + 4);
    PutInt16(h.west, bytes + 6);
    PutInt16(h.north, bytes + 8);
    PutInt16(h.south, bytes + 10);
}

SegmentPoint DecodeSegmentPoint(const unsigned char* bytes, PointLayout layout) {
    if (layout == PointLayout::kFine) return {DecodeInt24(bytes), DecodeInt24(bytes + 3)};
    return {ReadInt16(bytes), ReadInt16(bytes + 2)};
}

bool EncodeSegmentPoint(SegmentPoint p, PointLayout layout, unsigned char* bytes) {
    if (layout == PointLayout::kFine) {
        unsigned char tmp[6];
        if (!EncodeInt24(p.lon, tmp) || !EncodeInt24(p.lat, tmp + 3)) return false;
        std::copy(tmp, tmp + 6, bytes);
        return true;
    }
    if (!FitsInt16(p.lon) || !FitsInt16(p.lat)) return false;
    PutInt16(static_cast<std::int16_t>(p.lon), bytes);
    PutInt16(static_cast<std::int16_t>(p.lat), bytes + 2);
    return true;
}

const char* SegmentStatusText(SegmentStatus status) {
    switch (status) {
        case SegmentStatus::kOk: return "ok";
        case SegmentStatus::kEnd: return "end of file";
        case SegmentStatus::kCutHeader: return "file ends inside a segment header";
        case SegmentStatus::kBadCount: return "negative point count";
        case SegmentStatus::kBadClass: return "segment class outside 1..12";
        case SegmentStatus::kTruncated: return "point block runs past the end of the file";
    }
    return "?";
}

// ---- Reader --------------------------------------------------------------------

SegmentReader::SegmentReader(std::FILE* file, PointLayout layout) : layout_(layout) {
    if (!file) {
        status_ = SegmentStatus::kEnd;
        return;
    }
    const long start = std::ftell(file);
    if (start < 0 || std::fseek(file, 0, SEEK_END) != 0) {
        status_ = SegmentStatus::kEnd;
        return;
    }
    const long end = std::ftell(file);
    std::fseek(file, start, SEEK_SET);
    try {
        owned_.resize(end > start ? static_cast<std::size_t>(end - start) : 0);
    } catch (const std::bad_alloc&) {
        status_ = SegmentStatus::kEnd;
        return;
    }
    // A file cut short while being read ends where its bytes end.
    owned_.resize(std::fread(owned_.data(), 1, owned_.size(), file));
    bytes_ = owned_;
    size_ = owned_.size();
}

SegmentReader::SegmentReader(std::span<const unsigned char> bytes, PointLayout layout)
    : bytes_(bytes), size_(bytes.size()), layout_(layout) {}

std::size_t SegmentReader::Remaining() const { return size_ > offset_ ? size_ - offset_ : 0; }

bool SegmentReader::ReadBytes(unsigned char* out, std::size_t n) {
    if (Remaining() < n) return false;
    std::copy_n(bytes_.data() + offset_, n, out);
    offset_ += n;
    return true;
}

SegmentStatus SegmentReader::NextHeader(SegmentHeader* header) {
    if (status_ != SegmentStatus::kOk) return status_;
    if (pending_ >= 0 && SkipPoints() != SegmentStatus::kOk) return status_;
    if (Remaining() == 0) return status_ = SegmentStatus::kEnd;
    unsigned char b[kSegmentHeaderSize];
    if (!ReadBytes(b, sizeof b)) return status_ = SegmentStatus::kCutHeader;
    SegmentHeader h = DecodeSegmentHeader(b);
    if (h.count < 0) return status_ = SegmentStatus::kBadCount;
    if (!ClassInTable(h.SegmentClass())) return status_ = SegmentStatus::kBadClass;
    // Checked before anything is read, so a damaged count never sizes a buffer.
    if (static_cast<std::size_t>(h.count) * PointSize(layout_) > Remaining())
        return status_ = SegmentStatus::kTruncated;
    pending_ = h.count;
    *header = h;
    return SegmentStatus::kOk;
}

SegmentStatus SegmentReader::ReadPoints(std::vector<SegmentPoint>* points) {
    points->clear();
    if (status_ != SegmentStatus::kOk) return status_;
    if (pending_ < 0) return SegmentStatus::kOk;
    const int size = PointSize(layout_);
    const std::size_t bytes = static_cast<std::size_t>(pending_) * size;
    const int n = pending_;
    pending_ = -1;
    if (Remaining() < bytes) return status_ = SegmentStatus::kTruncated;
    const unsigned char* block = bytes_.data() + offset_;
    offset_ += bytes;
    points->resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) (*points)[static_cast<std::size_t>(i)] = DecodeSegmentPoint(block + i * size, layout_);
    return SegmentStatus::kOk;
}

SegmentStatus SegmentReader::SkipPoints() {
    if (status_ != SegmentStatus::kOk) return status_;
    if (pending_ < 0) return SegmentStatus::kOk;
    std::size_t n = static_cast<std::size_t>(pending_) * PointSize(layout_);
    pending_ = -1;
    if (Remaining() < n) return status_ = SegmentStatus::kTruncated;
    offset_ += n;
    return SegmentStatus::kOk;
}

namespace {

SegmentStatus ReadAll(SegmentReader& reader, std::vector<Segment>* out) {
    out->clear();
    for (;;) {
        Segment s;
        SegmentStatus st = reader.NextHeader(&s.header);
        if (st != SegmentStatus::kOk) return st;
        st = reader.ReadPoints(&s.points);
        if (st != SegmentStatus::kOk) return st;
        out->push_back(std::move(s));
    }
}

}  // namespace

SegmentStatus ReadSegmentFile(std::FILE* file, PointLayout layout, std::vector<Segment>* out) {
    SegmentReader reader(file, layout);
    return ReadAll(reader, out);
}

SegmentStatus DecodeSegments(std::span<const unsigned char> bytes, PointLayout layout, std::vector<Segment>* out) {
    SegmentReader reader(bytes, layout);
    return ReadAll(reader, out);
}

// ---- Writer --------------------------------------------------------------------

bool SetSegmentBounds(Segment* segment, PointLayout layout) {
    const auto& pts = segment->points;
    if (pts.empty() || pts.size() > static_cast<std::size_t>(kSegmentMaxPoints)) return false;
    const std::int64_t unitsPerMinute = UnitsPerDegree(layout) / 60;
    const std::int64_t full = 360LL * UnitsPerDegree(layout);
    const std::int64_t half = full / 2;

    // Longitudes unwrapped along the line, so a crossing of 180 stays one interval.
    std::int64_t lon = pts[0].lon, lo = lon, hi = lon;
    std::int64_t latLo = pts[0].lat, latHi = pts[0].lat;
    for (std::size_t i = 1; i < pts.size(); ++i) {
        std::int64_t d = pts[i].lon - pts[i - 1].lon;
        while (d > half) d -= full;
        while (d < -half) d += full;
        lon += d;
        lo = std::min(lo, lon);
        hi = std::max(hi, lon);
        latLo = std::min<std::int64_t>(latLo, pts[i].lat);
        latHi = std::max<std::int64_t>(latHi, pts[i].lat);
    }
    std::int64_t west, east;
    if (hi - lo >= full) {
        west = -kArcMinutesHalfTurn;
        east = kArcMinutesHalfTurn;
    } else {
        std::int64_t shift = FloorDiv(lo + half, full) * full;
        lo -= shift;
        hi -= shift;
        west = FloorDiv(lo, unitsPerMinute);
        east = CeilDiv(hi, unitsPerMinute);
        if (east > kArcMinutesHalfTurn) east -= 2 * kArcMinutesHalfTurn;
    }
    std::int64_t south = FloorDiv(latLo, unitsPerMinute), north = CeilDiv(latHi, unitsPerMinute);
    if (!FitsInt16(south) || !FitsInt16(north)) return false;
    segment->header.count = static_cast<std::int16_t>(pts.size());
    segment->header.west = static_cast<std::int16_t>(west);
    segment->header.east = static_cast<std::int16_t>(east);
    segment->header.south = static_cast<std::int16_t>(south);
    segment->header.north = static_cast<std::int16_t>(north);
    return true;
}

bool EncodeSegment(const Segment& segment, PointLayout layout, std::vector<unsigned char>* out) {
    const auto& h = segment.header;
    if (h.count < 0 || static_cast<std::size_t>(h.count) != segment.points.size()) return false;
    if (!ClassInTable(h.SegmentClass())) return false;
    const int size = PointSize(layout);
    std::vector<unsigned char> bytes(kSegmentHeaderSize + segment.points.size() * size);
    EncodeSegmentHeader(h, bytes.data());
    for (std::size_t i = 0; i < segment.points.size(); ++i)
        if (!EncodeSegmentPoint(segment.points[i], layout, bytes.data() + kSegmentHeaderSize + i * size)) return false;
    out->insert(out->end(), bytes.begin(), bytes.end());
    return true;
}

bool WriteSegment(std::FILE* file, const Segment& segment, PointLayout layout) {
    std::vector<unsigned char> bytes;
    if (!file || !EncodeSegment(segment, layout, &bytes)) return false;
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}
