#include "core/quake.h"

#include "core/catalogue_rebuild.h"

#include <stdio_ext.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/csv.h"
#include "core/helpers.h"
#include "core/number_text.h"
#include "core/view.h"

// ---- Records ------------------------------------------------------------------------

namespace {

std::uint32_t GetU32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t GetU16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
void PutU32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
void PutU16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

}  // namespace

bool IsZeroRecord(const QuakeRecord& q) {
    unsigned char bytes[kQuakeRecordSize];
    EncodeQuakeRecord(q, bytes);
    return std::all_of(bytes, bytes + kQuakeRecordSize, [](unsigned char b) { return b == 0; });
}

QuakeRecord DecodeQuakeRecord(const unsigned char b[kQuakeRecordSize]) {
    QuakeRecord q;
    q.latitude = static_cast<std::int32_t>(GetU32(b));
    q.longitude = static_cast<std::int32_t>(GetU32(b + 4));
    q.date.year = GetU16(b + 8);
    q.date.month = b[10];
    q.date.day = b[11];
    q.minute = GetU16(b + 12);
    q.tenths = static_cast<std::int16_t>(GetU16(b + 14));
    q.depth = static_cast<std::int32_t>(GetU32(b + 16));
    q.magnitude = b[20];
    q.spare[0] = b[21];
    q.spare[1] = b[22];
    q.spare[2] = b[23];
    return q;
}

void EncodeQuakeRecord(const QuakeRecord& q, unsigned char b[kQuakeRecordSize]) {
    PutU32(b, static_cast<std::uint32_t>(q.latitude));
    PutU32(b + 4, static_cast<std::uint32_t>(q.longitude));
    PutU16(b + 8, q.date.year);
    b[10] = q.date.month;
    b[11] = q.date.day;
    PutU16(b + 12, q.minute);
    PutU16(b + 14, static_cast<std::uint16_t>(q.tenths));
    PutU32(b + 16, static_cast<std::uint32_t>(q.depth));
    b[20] = q.magnitude;
    b[21] = q.spare[0];
    b[22] = q.spare[1];
    b[23] = q.spare[2];
}

bool WriteQuakeRecord(std::FILE* file, const QuakeRecord& q) {
    if (!file) return false;
    unsigned char bytes[kQuakeRecordSize];
    EncodeQuakeRecord(q, bytes);
    return std::fwrite(bytes, 1, sizeof bytes, file) == sizeof bytes;
}

TimeValue QuakeRecord::ReadAt(std::FILE* file, std::int32_t n) { return ReadQuakeAt(file, n, kFromStart, this); }

// ---- BitSet ------------------------------------------------------------------------------

BitSet::BitSet(std::int32_t n) : bytes(static_cast<std::size_t>(std::max(n, 0)) / 8 + 1, 0xFF), count(std::max(n, 0)) {}

bool BitSet::Test(std::int32_t i) const {
    if (i < 0 || i >= count) return false;
    return (bytes[static_cast<std::size_t>(i) / 8] >> (i % 8) & 1) != 0;
}

void BitSet::Clear(std::int32_t i) {
    if (i < 0 || i >= count) return;
    bytes[static_cast<std::size_t>(i) / 8] &= static_cast<std::uint8_t>(~(1u << (i % 8)));
}

std::string_view AlertEventRecord::Line() const { return std::string_view(line, ::strnlen(line, sizeof line)); }

// ---- Catalogue access ---------------------------------------------------------------

std::FILE* gQuakeCatalogue = nullptr;
std::int32_t gQuakeCount = 0;
std::int32_t gQuakeIndex = 0;
TimeValue gNextQuakeTime;
std::unique_ptr<BitSet> gQuakeVisibleBits;

namespace {

QuakeDisplayRecord gOpenedQuake;  // what OpenQuakeCatalogue hands out

}  // namespace

std::int32_t QuakeRecordCount(std::FILE* file) { return RecordCount(file, kQuakeRecordSize); }

TimeValue ReadQuakeAt(std::FILE* file, std::int32_t n, int origin, QuakeRecord* record) {
    QuakeRecord scratch;
    if (!record) record = &scratch;
    if (!file) return TimeValue();
    *record = QuakeRecord{};
    unsigned char bytes[kQuakeRecordSize];
    // The replay reads one record after another: that needs no seek.
    if (origin != kFromStart || !ReadNextRecord(file, n, kQuakeRecordSize, bytes)) {
        if (!SeekRecord(file, n, origin, kQuakeRecordSize)) return TimeValue();
        if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes) return TimeValue();
    }
    *record = DecodeQuakeRecord(bytes);
    TimeValue t;
    t.SetFromQuake(*record);
    return t;
}

int FindQuakeIndex(std::FILE* file, TimeValue* time, bool* exact, std::int32_t* index) {
    bool found = false;
    RecordTimeOf timeOf = [](const unsigned char* bytes) {
        TimeValue t;
        t.SetFromQuake(DecodeQuakeRecord(bytes));
        return t;
    };
    int result = FindRecordByTime(file, kQuakeRecordSize, timeOf, false, time, &found, index);
    if (exact) *exact = found;
    return result;
}

namespace {
// A record whose fields could be real; random bytes seldom are.
bool PlausibleQuakeRecord(const unsigned char* bytes) {
    const QuakeRecord q = DecodeQuakeRecord(bytes);
    constexpr std::int32_t kDegree = 3600000;
    return q.date.year >= 1 && q.date.month >= 1 && q.date.month <= 12 && q.date.day >= 1 && q.date.day <= 31 &&
           q.minute < 1440 && q.tenths >= 0 && q.tenths < 600 && std::abs(q.latitude) <= 90 * kDegree &&
           std::abs(q.longitude) <= 180 * kDegree;
}

}  // namespace

QuakeDisplayRecord* OpenQuakeCatalogue(bool forUpdate) {
    // While an update rebuilds the catalogues nothing reopens them.
    if (!gShowEarthquakes || gQuakeCatalogue || CatalogueUpdateHold::Taken()) return nullptr;

    // Old views name the previous catalogue format; only the name changes.
    std::size_t old = gEventFileName.find(".HY3");
    if (old != std::string::npos) {
        gEventFileName = gEventFileName.substr(0, old) + ".HY4";
        if (!WriteViewFile()) DebugLog("Could not rewrite view %s with event file %s", gMapName.c_str(), gEventFileName.c_str());
    }

    std::FILE* f = OpenDataFile(gEventFileName, forUpdate ? "r+b" : "rb");
    if (!f) {
        ReportDataFileProblem(gEventFileName, "earthquake catalogue not found; the view runs without earthquakes");
        gEarthquakesHeldOff = true;
        gShowEarthquakes = false;
        return nullptr;
    }
    bool usable = true;
    if (const std::string problem = CatalogueFileProblem(f, kQuakeRecordSize, PlausibleQuakeRecord, &usable);
        !problem.empty()) {
        ReportDataFileProblem(gEventFileName, usable ? problem : problem + "; the view runs without earthquakes");
    }
    if (!usable) {
        std::fclose(f);
        gEarthquakesHeldOff = true;
        gShowEarthquakes = false;
        return nullptr;
    }
    // Only the window's thread reads the open catalogue: the stream need not
    // lock itself at every record.
    (void)__fsetlocking(f, FSETLOCKING_BYCALLER);
    gQuakeCatalogue = f;
    gQuakeCount = QuakeRecordCount(f);
    gQuakeVisibleBits = std::make_unique<BitSet>(gQuakeCount);
    TimeValue t = gAnimationTime;
    bool exact = false;
    FindQuakeIndex(f, &t, &exact, &gQuakeIndex);
    gOpenedQuake = QuakeDisplayRecord{};
    gNextQuakeTime = ReadQuakeAt(f, gQuakeIndex, kFromStart, &gOpenedQuake.quake);
    return &gOpenedQuake;
}

void CloseQuakeCatalogue() {
    if (gQuakeCatalogue) std::fclose(gQuakeCatalogue);
    gQuakeCatalogue = nullptr;
}

void RefreshCataloguePositions() {
    if (gShowEarthquakes) {
        if (gQuakeCatalogue) {
            TimeValue t = gAnimationTime;
            bool exact = false;
            FindQuakeIndex(gQuakeCatalogue, &t, &exact, &gQuakeIndex);
            gNextQuakeTime = ReadQuakeAt(gQuakeCatalogue, gQuakeIndex);
        } else {
            OpenQuakeCatalogue(false);
        }
    }
    if (gShowEruptions) RefreshEruptionPositions();
}

// ---- Text forms --------------------------------------------------------------------

namespace {

char NorthSouth(std::int32_t lat) { return lat < 0 ? 'S' : 'N'; }
char EastWest(std::int32_t lon) { return lon < 0 ? 'W' : 'E'; }

TimeValue RecordTime(const QuakeRecord& q) {
    TimeValue t;
    t.SetDateMinuteSecond(q.date, static_cast<std::int16_t>(q.minute), q.tenths * 0.1);
    return t;
}

}  // namespace

std::string FormatQuakeListLine(const QuakeRecord& q, bool local) {
    if (IsZeroRecord(q)) return std::string();
    TimeValue t = RecordTime(q);
    if (local) t = t + gTimeZoneOffset;
    int year, month, day, hour, minute, second;
    SplitTime(t.t, &year, &month, &day, &hour, &minute, &second);
    double lat = std::fabs(MasToDegrees(q.latitude));
    double lon = std::fabs(MasToDegrees(q.longitude));
    double depth = q.depth / 100000.0;
    double mag = q.magnitude / 10.0;
    // " %4d/%02d/%02d %02d:%02d:%02d [zone ]%4.1f%c %5.1f%c%4.0f%4.1f ", numbers without the locale.
    char text[160];
    std::snprintf(text, sizeof text, " %4d/%02d/%02d %02d:%02d:%02d %s%s%s%c %s%c%s%s ", year, month, day, hour,
                  minute, second, local ? gTimeZoneName.c_str() : "", local ? " " : "", FormatFixed(lat, 1, 4).c_str(),
                  NorthSouth(q.latitude), FormatFixed(lon, 1, 5).c_str(), EastWest(q.longitude),
                  FormatFixed(depth, 0, 4).c_str(), FormatFixed(mag, 1, 4).c_str());
    return text;
}

std::string FormatQuakeLabel(const QuakeRecord& q) {
    if (IsZeroRecord(q)) return std::string();
    TimeValue t = RecordTime(q) + gTimeZoneOffset;
    double lat = std::fabs(MasToDegrees(q.latitude));
    double lon = std::fabs(MasToDegrees(q.longitude));
    double depth = q.depth / 100000.0;
    const std::string depthText = gScaleInKm ? "Depth: " + FormatFixed(depth, 0, 4) + " km"
                                             : "Depth: " + FormatFixed(depth / 1.609, 0, 4) + " mi.";
    // "Time: %02d:%02d:%04.1f", "Latitude: %4.1f%c" and so on, numbers without the locale.
    char text[320];
    std::snprintf(text, sizeof text,
                  "Date: %s\r\nTime: %02d:%02d:%s %s\r\nLatitude: %s%c\r\nLongitude: %s%c\r\n%s\r\n"
                  "Magnitude: %s",
                  t.DateText(), t.Hour(), t.Minute(), FormatFixed(q.tenths * 0.1, 1, 4, true).c_str(),
                  gTimeZoneName.c_str(), FormatFixed(lat, 1, 4).c_str(), NorthSouth(q.latitude),
                  FormatFixed(lon, 1, 5).c_str(), EastWest(q.longitude), depthText.c_str(),
                  FormatFixed(q.magnitude / 10.0, 1, 4).c_str());
    return text;
}

// ---- Record builders ----------------------------------------------------------------

namespace {

bool Finite(std::initializer_list<double> values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// The fields a record can hold: a real calendar month and day, a minute of the
// day and tenths that fit their fields, a depth that fits.
bool FitsRecord(int year, int month, int day, long long minuteOfDay, double tenths, double depthUnits) {
    return year >= 0 && year <= 0xFFFF && month >= 1 && month <= 12 && day >= 1 && day <= 31 && minuteOfDay >= 0 &&
           minuteOfDay <= 0xFFFF && tenths > INT16_MIN - 1.0 && tenths < INT16_MAX + 1.0 &&
           depthUnits > INT32_MIN - 1.0 && depthUnits < INT32_MAX + 1.0;
}

bool OnGlobe(double lat, double lon) { return std::fabs(lat) <= 90.0 && std::fabs(lon) <= 180.0; }

// Magnitude x 10 held to the byte: the feed has negative magnitudes, which
// must not wrap round to 25.x.
std::uint8_t MagnitudeByte(double tenths) {
    if (!(tenths > 0)) return 0;
    return static_cast<std::uint8_t>(std::min(std::trunc(tenths), 255.0));
}

// A finite decimal number at the start of text (after blanks); false when there is none.
bool LeadingNumber(std::string_view text, double* value) {
    double v = 0;
    if (!ScanLeadingDouble(text, &v) || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

// As atof: the leading number, or 0 when there is none.
double NumberOrZero(std::string_view text) {
    double v = 0;
    return LeadingNumber(text, &v) ? v : 0.0;
}

// A latitude or longitude word of the update link ("38.30N", "142.37E", "-3.5").
bool CoordinateWord(const std::string& word, char positive, char negative, double limit, std::int32_t* mas) {
    std::string w(word);
    bool negate = false;
    if (!w.empty()) {
        char last = static_cast<char>(std::toupper(static_cast<unsigned char>(w.back())));
        if (last == positive || last == negative) {
            negate = last == negative;
            w.pop_back();
        }
    }
    double v = 0;
    std::size_t used = 0;
    if (w.empty() || !ScanLeadingDouble(w, &v, &used) || used != w.size() || !std::isfinite(v) ||
        std::fabs(v) > limit)
        return false;
    double units = std::floor(std::fabs(v) * 3600000.0 + 0.5);
    if (v < 0) units = -units;
    if (negate) units = -units;
    *mas = static_cast<std::int32_t>(units);
    return true;
}

}  // namespace

QuakeRecord MakeEventRecord(QuakeRecord* record, int year, int month, int day, int hour, int minute, double seconds,
                            double latitude, double longitude, double depthKm, double magnitude) {
    QuakeRecord q;
    if (record) *record = q;
    if (!Finite({seconds, latitude, longitude, depthKm, magnitude})) return q;
    if (!OnGlobe(latitude, longitude)) return q;
    if (!IsTimeOfDay(hour, minute, seconds)) return q;
    double tenths = std::trunc(seconds * 10);
    double depth = std::trunc(depthKm * 100000);
    if (year < 1 || !FitsRecord(year, month, day, hour * 60LL + minute, tenths, depth)) return q;
    q.date.year = static_cast<std::uint16_t>(year);
    q.date.month = static_cast<std::uint8_t>(month);
    q.date.day = static_cast<std::uint8_t>(day);
    q.minute = static_cast<std::uint16_t>(hour * 60 + minute);
    q.tenths = static_cast<std::int16_t>(tenths);
    q.latitude = DegreesToMas(latitude);
    q.longitude = DegreesToMas(longitude);
    q.depth = static_cast<std::int32_t>(depth);
    q.magnitude = MagnitudeByte(magnitude * 10);
    if (record) *record = q;
    return q;
}

bool ParseQuakeLine(std::string_view text, QuakeRecord* record) {
    // "%d/%d/%d %d:%d:%lf %s %s %lf %lf", without the locale.
    TextScanner scan(text.substr(0, std::min<std::size_t>(text.size(), 1024)));
    int year, month, day, hour, minute;
    double seconds, depth, magnitude;
    std::string latWord, lonWord;
    if (!(scan.Int(&year) && scan.Literal('/') && scan.Int(&month) && scan.Literal('/') && scan.Int(&day) &&
          scan.Int(&hour) && scan.Literal(':') && scan.Int(&minute) && scan.Literal(':') && scan.Double(&seconds) &&
          scan.Word(&latWord) && scan.Word(&lonWord) && scan.Double(&depth) && scan.Double(&magnitude)))
        return false;
    if (latWord.size() > 15 || lonWord.size() > 15) return false;
    if (!Finite({seconds, depth, magnitude})) return false;
    // An hour of 25 or 3000 seconds would land on another day.
    if (!IsTimeOfDay(hour, minute, seconds)) return false;
    std::int32_t lat, lon;
    if (!CoordinateWord(latWord, 'N', 'S', 90.0, &lat) || !CoordinateWord(lonWord, 'E', 'W', 180.0, &lon))
        return false;
    double tenths = std::trunc(seconds * 10 + 0.5);
    double depthUnits = std::trunc(depth * 100000 + 0.5);
    if (!FitsRecord(year, month, day, hour * 60LL + minute, tenths, depthUnits)) return false;

    record->magnitude = MagnitudeByte(magnitude * 10 + 0.5);
    record->latitude = lat;
    record->longitude = lon;
    record->date.year = static_cast<std::uint16_t>(year);
    record->date.month = static_cast<std::uint8_t>(month);
    record->date.day = static_cast<std::uint8_t>(day);
    record->minute = static_cast<std::uint16_t>(hour * 60 + minute);
    record->tenths = static_cast<std::int16_t>(tenths);
    record->depth = static_cast<std::int32_t>(depthUnits);
    return true;
}

namespace {

// EventFromColumns reads no further than this.
constexpr std::size_t kEventColumns = 5;

const std::string& Column(const std::vector<std::string>& cols, std::size_t i) {
    static const std::string kEmpty;
    return i < cols.size() ? cols[i] : kEmpty;
}

// The event of a CSV line of the service or the feed; false when the first
// column is not an ISO time or the position is not usable.
bool EventFromColumns(const std::vector<std::string>& cols, QuakeRecord* q) {
    IsoTimeFields t;
    if (!ScanIsoTime(Column(cols, 0), &t)) return false;
    double lat, lon;
    if (!LeadingNumber(Column(cols, 1), &lat) || !LeadingNumber(Column(cols, 2), &lon)) return false;
    const double depth = NumberOrZero(Column(cols, 3));
    const double mag = NumberOrZero(Column(cols, 4));
    MakeEventRecord(q, t.year, t.month, t.day, t.hour, t.minute, t.seconds, lat, lon, depth, mag);
    return !IsZeroRecord(*q);
}

}  // namespace

QuakeRecord ParseFdsnCsvLine(QuakeRecord* record, std::string_view line) {
    QuakeRecord q;
    EventFromColumns(SplitCsvFields(line, kEventColumns), &q);
    if (record) *record = q;
    return q;
}

AlertEventRecord ParseFeedCsvLine(AlertEventRecord* record, std::string_view line) {
    AlertEventRecord scratch;
    if (!record) record = &scratch;
    std::vector<std::string> cols = SplitCsvFields(line);
    QuakeRecord q;
    if (!EventFromColumns(cols, &q)) return *record;

    record->quake = q;
    std::memset(record->network, 0, sizeof record->network);
    const std::string& net = Column(cols, 10);
    for (std::size_t i = 0; i < 2 && i < net.size(); ++i)
        record->network[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(net[i])));
    std::memset(record->id, 0, sizeof record->id);
    const std::string& id = Column(cols, 11);
    std::memcpy(record->id, id.data(), std::min<std::size_t>(id.size(), sizeof record->id - 1));
    record->update = std::strtoll(Column(cols, 12).c_str(), nullptr, 10);
    std::memset(record->line, 0, sizeof record->line);
    std::memcpy(record->line, line.data(), std::min(line.size(), sizeof record->line));
    return *record;
}
