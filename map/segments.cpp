#include "map/segments.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/config.h"
#include "core/helpers.h"
#include "core/number_text.h"
#include "core/record_file.h"
#include "core/view.h"
#include "platform/sys/files.h"

namespace gfx = platform::gfx;

namespace {

constexpr int kFullTurn = 2 * kArcMinutesHalfTurn;  // arc-minutes
constexpr int kWestSlack = -60;                      // one degree west of the edge still counts as on the map
constexpr int kHighestDrawnColor = 16;

std::FILE* gMapBuffer = nullptr;

// A text dump rewritten by each drawing; a dump that cannot be made is left
// out. The text is gathered in memory and written at once at the end.
class Dump {
public:
    explicit Dump(const char* name) : name_(name) {}
    ~Dump() { (void)platform::OverwriteFile(name_, text_); }
    Dump(const Dump&) = delete;
    Dump& operator=(const Dump&) = delete;
    // Off once the whole text is known: the drawing then adds nothing.
    bool open() const { return !known_; }
    void EndLine() {
        if (open()) Put('\n');
    }
    void Fixed(double v, int width, int precision) { text_ += FormatFixed(v, precision, width); }
    void Number(int v, int width) {
        char digits[16];
        const auto r = std::to_chars(digits, digits + sizeof digits, v);
        for (auto n = r.ptr - digits; n < width; ++n) text_ += ' ';
        text_.append(digits, r.ptr);
    }
    void Put(char c) { text_ += c; }
    void SetKnownText(const std::string& text) {
        text_ = text;
        known_ = true;
    }
    const std::string& text() const { return text_; }

private:
    std::string name_;
    std::string text_;
    bool known_ = false;
};

// The plates file is drawn again every few ticks with the same window: its
// dump is made once per file and window and kept for the next drawings.
struct DumpKey {
    FileStamp stamp;
    long start = 0;
    PointLayout layout = PointLayout::kCoarse;
    bool view3D = false;
    ArcMinuteWindow window;
    bool valid = false;

    bool operator==(const DumpKey& o) const {
        return valid && o.valid && stamp == o.stamp && start == o.start && layout == o.layout && view3D == o.view3D &&
               window.west == o.window.west && window.span == o.window.span && window.north == o.window.north &&
               window.south == o.window.south;
    }
};

DumpKey KeyOf(std::FILE* file, PointLayout layout, const ArcMinuteWindow& window) {
    DumpKey k;
    struct stat st;
    if (!file || ::fstat(::fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) return k;
    k.stamp = FileStamp::Of(st);
    k.start = std::ftell(file);
    k.layout = layout;
    k.view3D = g3DView;
    k.window = window;
    k.valid = k.start >= 0 && !k.stamp.ChangedWithin(2.0);
    return k;
}

struct KeptDump {
    DumpKey key;
    std::string text;
};
std::array<KeptDump, 4> gKeptDumps;
std::size_t gNextKeptDump = 0;

const std::string* FindKeptDump(const DumpKey& key) {
    for (const KeptDump& k : gKeptDumps)
        if (k.key == key) return &k.text;
    return nullptr;
}

void KeepDump(const DumpKey& key, const std::string& text) {
    if (!key.valid) return;
    KeptDump& slot = gKeptDumps[gNextKeptDump++ % gKeptDumps.size()];
    slot.key = key;
    slot.text = text;
}

void DumpPoint(Dump& dump, PointLayout layout, double lat, double lon) {
    if (!dump.open()) return;
    if (layout == PointLayout::kFine) {
        dump.Fixed(lat, 7, 2);
        dump.Put(' ');
        dump.Fixed(lon, 7, 2);
    } else {
        dump.Fixed(lon, 0, 4);
        dump.Put(' ');
        dump.Fixed(lat, 0, 4);
    }
    dump.Put('\n');
}

void DropMapBuffer() {
    if (gMapBuffer) std::fclose(gMapBuffer);
    gMapBuffer = nullptr;
    std::remove(kMapBufferFile);
}

void RecordMapBuffer(double lat, double lonOffset, int pen) {
    if (!gMapBuffer) return;
    unsigned char bytes[kMapBufferRecordSize];
    EncodeMapBufferRecord({lat, lonOffset, pen}, bytes);
    if (std::fwrite(bytes, 1, sizeof bytes, gMapBuffer) != sizeof bytes) DropMapBuffer();
}

void PutLE(std::uint64_t v, int n, unsigned char* out) {
    for (int i = 0; i < n; ++i) out[i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
}

std::uint64_t GetLE(const unsigned char* in, int n) {
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(in[i]) << (8 * i);
    return v;
}

// One segment in the map view. The jump test and the projection share one
// longitude offset, so a point just west of the edge lands just off the left
// side, never on the far right.
class MapViewSegment {
public:
    MapViewSegment(const Proj& proj, gfx::DrawContext& dc, int color, int width, int westMinutes)
        : proj_(proj), dc_(dc), color_(color), width_(width), west_(westMinutes) {}

    void Add(const SegmentPoint& p, PointLayout layout) {
        const double units = UnitsPerDegree(layout);
        const double lat = p.lat / units;
        int jump;
        double offset;
        if (layout == PointLayout::kFine) {
            offset = Proj::LonOffset(p.lon / units, gWestEdge);
            jump = TruncToInt(offset * 60.0);
        } else {
            jump = p.lon - west_;
            if (jump < kWestSlack) jump += kFullTurn;
            offset = jump / 60.0;
        }
        const int d = jump - prevJump_;
        if (line_.empty() || std::abs(d) <= kArcMinutesHalfTurn || color_ == 0) {
            Keep(lat, offset, jump);
            return;
        }
        // Over the west edge: the old line runs on to this point a turn away,
        // off the map's side, and the new one starts from the previous point a
        // turn the other way, so the crossing shows at both edges and nothing
        // after it is lost.
        const double turn = d < 0 ? 360.0 : -360.0;
        line_.push_back(Pixel(lat, offset + turn));
        Flush();
        line_.push_back(Pixel(prevLat_, prevOffset_ - turn));
        Keep(lat, offset, jump);
    }

    void Flush() {
        if (color_ != 0 && line_.size() >= 2) DrawPolyline(dc_, line_, color_, width_);
        line_.clear();
    }

private:
    gfx::Point Pixel(double lat, double offset) const {
        std::int32_t row = 0, column = 0;
        proj_.LatLonToPixel(lat, offset, &row, &column);
        return {column, row};
    }
    void Keep(double lat, double offset, int jump) {
        line_.push_back(Pixel(lat, offset));
        prevLat_ = lat;
        prevOffset_ = offset;
        prevJump_ = jump;
    }

    const Proj& proj_;
    gfx::DrawContext& dc_;
    int color_, width_, west_;
    std::vector<gfx::Point> line_;
    double prevLat_ = 0, prevOffset_ = 0;
    int prevJump_ = 0;
};

void Draw3DSegment(const std::vector<SegmentPoint>& points, PointLayout layout, int color, Segment3DPen* pen) {
    const double units = UnitsPerDegree(layout);
    bool prevInside = false;
    int prevJump = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double lat = points[i].lat / units;
        const double offset = Proj::LonOffset(points[i].lon / units, gWestEdge);
        if (offset > gLonSpan || lat < gMapSouth || lat > gMapNorth) {
            prevInside = false;
            continue;
        }
        const int jump = TruncToInt(offset * 60.0);
        const bool line = i > 0 && prevInside &&
                          (layout == PointLayout::kFine || std::abs(jump - prevJump) <= kArcMinutesHalfTurn);
        if (line) {
            if (pen) pen->LineTo(lat, offset, color);
            RecordMapBuffer(lat, offset, color);
        } else {
            if (pen) pen->MoveTo(lat, offset);
            RecordMapBuffer(lat, offset, 0);
        }
        prevInside = true;
        prevJump = jump;
    }
}

// Header bounds on the sphere image count from -180; the last degree before
// 180 sits just west of it, inside the test's one-degree slack.
int SphereBound(int minutes) {
    return minutes > kArcMinutesHalfTurn - 61 ? minutes - kArcMinutesHalfTurn : minutes + kArcMinutesHalfTurn;
}

}  // namespace

// ---- Classes -------------------------------------------------------------------

int SegmentColor(int segmentClass) {
    if (segmentClass < kSegmentClassFirst || segmentClass > kSegmentClassLast) return 0;
    const int c = gSegmentColors[segmentClass];
    return c < 0 || c > kHighestDrawnColor ? 0 : c;
}

int AutoLineWidth(double yScale) {
    if (yScale > 60) return 5;
    if (yScale > 20) return 4;
    if (yScale > 7) return 3;
    return 2;
}

int SegmentPenWidth(int segmentClass, double yScale) {
    int w = 1;
    switch (segmentClass) {
        case 2: w = gLineThickness.country; break;
        case 4: w = gLineThickness.state; break;
        case 7: w = gLineThickness.river; break;
        case 8: w = gLineThickness.highway; break;
        case 3:
        case 9:
        case 10:
        case 11:
        case 12: w = gLineThickness.plates; break;
        default: break;
    }
    return w < 0 ? AutoLineWidth(yScale) : w;
}

// ---- Skip test ----------------------------------------------------------------

ArcMinuteWindow CurrentArcMinuteWindow() {
    return {TruncToInt(gWestEdge * 60.0), TruncToInt(gLonSpan * 60.0), TruncToInt(gMapNorth * 60.0),
            TruncToInt(gMapSouth * 60.0)};
}

namespace {

// e and w are the box's east and west bounds as offsets east of the west edge.
bool SkipByOffsets(int e, int w, const SegmentHeader& h, const ArcMinuteWindow& window) {
    if (e < kWestSlack) e += kFullTurn;
    if (w < kWestSlack) w += kFullTurn;
    if (w > e) {  // the box straddles the wrap at the west edge
        if (e < 0) e += kFullTurn;
        else w -= kFullTurn;
    }
    return h.south > window.north || h.north < window.south || w > window.span || e < 0;
}

}  // namespace

bool SkipSegment(const SegmentHeader& h, const ArcMinuteWindow& window) {
    return SkipByOffsets(h.east - window.west, h.west - window.west, h, window);
}

// ---- Drawing -----------------------------------------------------------------

SegmentStatus DrawSegmentFile(const Proj& proj, std::FILE* file, PointLayout layout, gfx::DrawContext& dc,
                              Segment3DPen* pen3d) {
    Dump dump(kPlatesDumpFile);
    const ArcMinuteWindow window = CurrentArcMinuteWindow();
    const DumpKey key = KeyOf(file, layout, window);
    const std::string* kept = FindKeptDump(key);
    const bool making = dump.open() && !kept;
    if (dump.open() && kept) dump.SetKnownText(*kept);
    const double units = UnitsPerDegree(layout);
    SegmentReader reader(file, layout);
    SegmentHeader h;
    std::vector<SegmentPoint> points;
    for (;;) {
        SegmentStatus st = reader.NextHeader(&h);
        if (st != SegmentStatus::kOk) {
            if (making) KeepDump(key, dump.text());
            return st;
        }
        const bool skip = SkipSegment(h, window);
        st = skip ? reader.SkipPoints() : reader.ReadPoints(&points);
        if (st != SegmentStatus::kOk) return st;
        if (skip) continue;

        for (const SegmentPoint& p : points) DumpPoint(dump, layout, p.lat / units, p.lon / units);
        const int color = SegmentColor(h.SegmentClass());
        if (g3DView) {
            Draw3DSegment(points, layout, color, pen3d);
            continue;
        }
        MapViewSegment segment(proj, dc, color, SegmentPenWidth(h.SegmentClass(), proj.yScale), window.west);
        for (const SegmentPoint& p : points) segment.Add(p, layout);
        segment.Flush();
        dump.EndLine();
    }
}

// ---- Recording -----------------------------------------------------------------

bool BeginMapBuffer() {
    EndMapBuffer();
    gMapBuffer = std::fopen(kMapBufferFile, "wb");
    if (!gMapBuffer) {
        DropMapBuffer();
        return false;
    }
    return true;
}

void EndMapBuffer() {
    if (!gMapBuffer) return;
    const bool flushed = std::fflush(gMapBuffer) == 0 && !std::ferror(gMapBuffer);
    const bool closed = std::fclose(gMapBuffer) == 0;
    gMapBuffer = nullptr;
    if (!flushed || !closed) std::remove(kMapBufferFile);
}

bool MapBufferOpen() { return gMapBuffer != nullptr; }

void EncodeMapBufferRecord(const MapBufferRecord& r, unsigned char bytes[kMapBufferRecordSize]) {
    PutLE(std::bit_cast<std::uint64_t>(r.lat), 8, bytes);
    PutLE(std::bit_cast<std::uint64_t>(r.lonOffset), 8, bytes + 8);
    PutLE(static_cast<std::uint32_t>(r.pen), 4, bytes + 16);
}

MapBufferRecord DecodeMapBufferRecord(const unsigned char bytes[kMapBufferRecordSize]) {
    MapBufferRecord r;
    r.lat = std::bit_cast<double>(GetLE(bytes, 8));
    r.lonOffset = std::bit_cast<double>(GetLE(bytes + 8, 8));
    r.pen = static_cast<std::int32_t>(static_cast<std::uint32_t>(GetLE(bytes + 16, 4)));
    return r;
}

std::vector<MapBufferRecord> ReadMapBuffer(const char* name) {
    std::vector<MapBufferRecord> out;
    std::FILE* f = std::fopen(name, "rb");
    if (!f) return out;
    unsigned char bytes[kMapBufferRecordSize];
    while (std::fread(bytes, 1, sizeof bytes, f) == sizeof bytes) out.push_back(DecodeMapBufferRecord(bytes));
    std::fclose(f);
    return out;
}

SegmentStatus DrawNamedSegmentFile(const Proj& proj, const std::string& name, PointLayout layout,
                                   gfx::DrawContext& dc, Segment3DPen* pen3d) {
    std::FILE* f = OpenDataFile(name, "rb");
    if (!f) {
        ReportDataFileProblem(name, "map file not found; the map is drawn without it");
        return SegmentStatus::kEnd;
    }
    const SegmentStatus status = DrawSegmentFile(proj, f, layout, dc, pen3d);
    std::fclose(f);
    if (status != SegmentStatus::kEnd)
        ReportDataFileProblem(name, std::string("damaged map file (") + SegmentStatusText(status) +
                                        "); only what comes before the fault is drawn");
    return status;
}

// ---- Plates ---------------------------------------------------------------------

void DrawPlatesOnSphere(gfx::DrawContext& dc) {
    std::FILE* f = OpenDataFile(kPlatesFile, "rb");
    if (!f) return;
    (void)DrawSegmentFileOnSphere(f, dc);
    std::fclose(f);
}

SegmentStatus DrawSegmentFileOnSphere(std::FILE* file, gfx::DrawContext& dc) {
    constexpr int kSpherePenWidth = 5;
    Dump dump(kMapBufferDumpFile);
    ArcMinuteWindow window = CurrentArcMinuteWindow();
    // The sphere image always shows the whole globe, whatever the view's span.
    window.span = kFullTurn;
    const int width = dc.size().width;
    const double units = UnitsPerDegree(PointLayout::kFine);
    SegmentReader reader(file, PointLayout::kFine);
    SegmentHeader h;
    std::vector<SegmentPoint> points;
    int number = 0;
    for (;;) {
        SegmentStatus st = reader.NextHeader(&h);
        if (st != SegmentStatus::kOk) return st;
        const bool skip = SkipByOffsets(SphereBound(h.east), SphereBound(h.west), h, window);
        st = skip ? reader.SkipPoints() : reader.ReadPoints(&points);
        if (st != SegmentStatus::kOk) return st;
        if (skip) continue;

        const int color = SegmentColor(h.SegmentClass());
        const bool draw = gMapView && color != 0;
        std::vector<gfx::Point> line;
        auto flush = [&] {
            if (draw && line.size() >= 2) DrawPolyline(dc, line, color, kSpherePenWidth);
            line.clear();
            dump.EndLine();
        };
        int prevJump = 0;
        for (const SegmentPoint& p : points) {
            const double lat = p.lat / units, lon = p.lon / units;
            std::int32_t x = 0, y = 0;
            LatLonToMapPixel(lat, lon, &x, &y);
            const int jump = TruncToInt((lon + 180.0) * 60.0);
            const int d = jump - prevJump;
            prevJump = jump;
            const bool jumps = !line.empty() && std::abs(d) > kArcMinutesHalfTurn;
            if (jumps && d <= 0) flush();
            if (dump.open()) {
                dump.Number(++number, 3);
                dump.Put(' ');
                dump.Fixed(lat, 7, 2);
                dump.Put(' ');
                dump.Fixed(lon, 7, 2);
                dump.Put('\n');
            }
            if (!jumps || d <= 0) {
                line.push_back({x, y});
            } else {
                line.push_back({x - width, y});
                flush();
                line.push_back({x, y});
            }
        }
        flush();
    }
}
