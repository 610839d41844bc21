#include "core/eruption.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "core/helpers.h"
#include "core/number_text.h"
#include "core/record_file.h"
#include "core/view.h"
#include "platform/sys/files.h"

std::FILE* gEruptionCatalogue = nullptr;
std::int32_t gEruptionCount = 0;
std::int32_t gEruptionIndex = 0;
TimeValue gNextEruptionTime;
std::unique_ptr<BitSet> gEruptionVisibleBits;

namespace {

void PutDouble(unsigned char* p, double v) {
    auto bits = std::bit_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(bits >> (8 * i));
}

double GetDouble(const unsigned char* p) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= std::uint64_t{p[i]} << (8 * i);
    return std::bit_cast<double>(bits);
}

void PutDate(unsigned char* p, PackedDate d) {
    p[0] = static_cast<unsigned char>(d.year & 0xFF);
    p[1] = static_cast<unsigned char>(d.year >> 8);
    p[2] = d.month;
    p[3] = d.day;
}

PackedDate GetDate(const unsigned char* p) {
    return PackedDate{static_cast<std::uint16_t>(p[0] | p[1] << 8), p[2], p[3]};
}

// Calendar fields from a source line; a year that no date of ours can hold
// (before year 1, as many prehistoric eruptions are) gives no date. Returned by
// value: the record's dates sit unaligned in the packed record.
std::optional<PackedDate> MakeDate(long long y, long long m, long long d) {
    if (y < 1 || y > 9999) return std::nullopt;
    return PackedDate{static_cast<std::uint16_t>(y), static_cast<std::uint8_t>(std::clamp<long long>(m, 0, 99)),
                      static_cast<std::uint8_t>(std::clamp<long long>(d, 0, 99))};
}

constexpr PackedDate kOpenStop{2099, 12, 31};  // the last day a time splits into

long long Integer(std::string_view text) {
    long long v = 0;
    return ScanLeadingInteger(text, 10, &v) ? v : 0;
}

double Number(std::string_view text) {
    double v = 0;
    return ScanLeadingDouble(text, &v) && std::isfinite(v) ? v : 0.0;
}

bool ContainsAt(const std::string& s, const char* what, std::size_t* at) {
    *at = s.find(what);
    return *at != std::string::npos;
}

std::string WithExtension(const std::string& name, std::size_t at, const char* ext) {
    return name.substr(0, at) + ext + name.substr(at + 4);
}

struct Scratch {
    std::FILE* file;
    ~Scratch() {
        if (file) std::fclose(file);
    }
};

}  // namespace

// ---- Record layout ---------------------------------------------------------------------

void EncodeEruptionRecord(const EruptionRecord& r, unsigned char b[kEruptionRecordSize]) {
    std::memset(b, 0, kEruptionRecordSize);
    std::memcpy(b + 0, r.id, 10);
    b[10] = r.flag;
    b[11] = r.secondFlag;
    b[12] = static_cast<unsigned char>(r.type);
    b[13] = r.size;
    std::memcpy(b + 14, r.magnitudeCode, 3);
    PutDate(b + 17, r.start);
    PutDate(b + 21, r.stop);
    std::memcpy(b + 25, r.startYearText, 12);
    std::memcpy(b + 37, r.startMonthText, 4);
    std::memcpy(b + 41, r.startDayText, 10);
    std::memcpy(b + 51, r.stopYearText, 12);
    std::memcpy(b + 63, r.stopMonthText, 4);
    std::memcpy(b + 67, r.stopDayText, 10);
    PutDouble(b + 77, r.latitude);
    PutDouble(b + 85, r.longitude);
    std::memcpy(b + 93, r.name, 31);
    b[124] = 0;
}

EruptionRecord DecodeEruptionRecord(const unsigned char b[kEruptionRecordSize]) {
    EruptionRecord r;
    std::memcpy(r.id, b + 0, 10);
    r.flag = b[10];
    r.secondFlag = b[11];
    r.type = static_cast<char>(b[12]);
    r.size = b[13];
    std::memcpy(r.magnitudeCode, b + 14, 3);
    r.start = GetDate(b + 17);
    r.stop = GetDate(b + 21);
    std::memcpy(r.startYearText, b + 25, 12);
    std::memcpy(r.startMonthText, b + 37, 4);
    std::memcpy(r.startDayText, b + 41, 10);
    std::memcpy(r.stopYearText, b + 51, 12);
    std::memcpy(r.stopMonthText, b + 63, 4);
    std::memcpy(r.stopDayText, b + 67, 10);
    r.latitude = GetDouble(b + 77);
    r.longitude = GetDouble(b + 85);
    std::memcpy(r.name, b + 93, 31);
    r.terminator = 0;
    return r;
}

std::string FieldText(const char* field, std::size_t width) { return std::string(field, ::strnlen(field, width)); }

// ---- The eruption object ------------------------------------------------------------------

void EruptionEvent::Reset() { display = EruptionDisplay{}; }

void EruptionEvent::SetRecord(const EruptionRecord& r) {
    Reset();
    record = r;
    start.SetDate(r.start);
    stop.SetDate(r.stop);
    stop.t += 1439 * 60.0;
}

void EruptionEvent::ReadAt(std::FILE* file, std::int32_t n) {
    Reset();
    unsigned char bytes[kEruptionRecordSize];
    if (file && n >= 0 && std::fseek(file, static_cast<long>(n) * kEruptionRecordSize, SEEK_SET) == 0 &&
        std::fread(bytes, 1, sizeof bytes, file) == sizeof bytes) {
        SetRecord(DecodeEruptionRecord(bytes));
    } else {
        start = stop = TimeValue();
    }
}

void EruptionEvent::Parse(std::string_view line, EruptionSource kind) {
    Reset();
    start = stop = TimeValue();
    record = EruptionRecord{};
    EruptionRecord& r = record;
    if (kind == EruptionSource::Era) {
        std::string_view f[20];
        std::size_t pos = 0;
        for (int i = 0; i < 20 && pos <= line.size(); ++i) {
            std::size_t tab = line.find('\t', pos);
            std::size_t end = tab == std::string_view::npos ? line.size() : tab;
            f[i] = line.substr(pos, end - pos);
            if (tab == std::string_view::npos) break;
            pos = tab + 1;
        }
        CopyBounded(r.id, f[0]);
        if (f[1] == "*") r.flag = r.secondFlag = 1;
        if (f[1] == "+") r.flag = 1;
        const std::optional<PackedDate> from = MakeDate(Integer(f[2]), Integer(f[3]), Integer(f[4]));
        const std::optional<PackedDate> to = MakeDate(Integer(f[5]), Integer(f[6]), Integer(f[7]));
        if (from) r.start = *from;
        // An eruption still going on has no stop date: it lasts as long as any date can.
        r.stop = to ? *to : kOpenStop;
        const bool dated = from.has_value();
        r.type = f[8].empty() ? 0 : f[8][0];
        r.size = static_cast<std::uint8_t>(std::clamp<long long>(Integer(f[9]), 0, 255));
        r.latitude = Number(f[10]);
        r.longitude = Number(f[11]);
        CopyBounded(r.name, f[12]);
        CopyBounded(r.startYearText, f[13], TextEnd::MayFillWidth);
        CopyBounded(r.startMonthText, f[14], TextEnd::MayFillWidth);
        CopyBounded(r.startDayText, f[15], TextEnd::MayFillWidth);
        CopyBounded(r.stopYearText, f[16], TextEnd::MayFillWidth);
        CopyBounded(r.stopMonthText, f[17], TextEnd::MayFillWidth);
        CopyBounded(r.stopDayText, f[18], TextEnd::MayFillWidth);
        if (!f[19].empty()) std::memcpy(r.magnitudeCode, f[19].data(), std::min<std::size_t>(3, f[19].size()));
        if (r.size == 0) r.size = 1;
        if (!dated) return;
    } else {
        std::string text(line);
        double lat = 0, lon = 0;
        char ns = 0, ew = 0;
        unsigned long date = 0;
        int size = 0;
        // "%f %c %f %c %lu %d", read as doubles and without the locale.
        TextScanner scan(text);
        if (!(scan.Double(&lat) && scan.NonBlank(&ns) && scan.Double(&lon) && scan.NonBlank(&ew) &&
              scan.Unsigned(&date) && scan.Int(&size)))
            return;
        const long long y = static_cast<long long>(date / 10000) + 1900, m = date / 100 % 100, d = date % 100;
        const std::optional<PackedDate> day = MakeDate(y, m, d);
        if (!day) return;
        r.start = *day;
        r.stop = r.start;
        r.latitude = ns == 'S' ? -lat : lat;
        r.longitude = ew == 'W' ? -lon : lon;
        r.type = 'B';
        r.flag = 1;
        r.size = static_cast<std::uint8_t>(std::clamp(size, 0, 255));
        if (r.size == 0) r.size = 1;
        CopyBounded(r.startYearText, std::to_string(y), TextEnd::MayFillWidth);
        CopyBounded(r.startMonthText, std::to_string(m), TextEnd::MayFillWidth);
        CopyBounded(r.startDayText, std::to_string(d), TextEnd::MayFillWidth);
        CopyBounded(r.stopYearText, std::to_string(y), TextEnd::MayFillWidth);
        CopyBounded(r.stopMonthText, std::to_string(m), TextEnd::MayFillWidth);
        CopyBounded(r.stopDayText, std::to_string(d), TextEnd::MayFillWidth);
        std::string name = text.size() > 48 ? text.substr(48, 29) : std::string();
        TitleCaseWords(name);
        CopyBounded(r.name, name);
    }
    start.SetDate(r.start);
    stop.SetDate(r.stop);
}

bool EruptionEvent::OverlapsSymbolBox(std::int32_t left, std::int32_t top, std::int32_t right,
                                      std::int32_t bottom) const {
    const EruptionDisplay& s = display;
    if (left == s.symbolLeft && top == s.symbolTop && right == s.symbolRight && bottom == s.symbolBottom) return false;
    if (s.symbolRight == s.symbolLeft) return false;
    return left < s.symbolRight && s.symbolLeft < right && top < s.symbolBottom && s.symbolTop < bottom;
}

// ---- Building a catalogue from its source -------------------------------------------------

bool MakeEruptionFile(std::string& name) {
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string source;
    EruptionSource kind = EruptionSource::Era;
    std::size_t at;
    if (ContainsAt(name, ".ERA", &at)) {
        source = name;
        name = WithExtension(name, at, ".ERB");
    } else {
        if (FileExists(name) || !ContainsAt(name, ".ERB", &at)) return false;
        if (std::string era = WithExtension(name, at, ".ERA"); FileExists(era)) {
            source = era;
        } else if (std::string avo = WithExtension(name, at, ".AVO"); FileExists(avo)) {
            source = avo;
            kind = EruptionSource::Avo;
        } else {
            return false;
        }
    }

    Scratch in{OpenDataFile(source, "rt")};
    if (!in.file) return false;
    std::vector<EruptionEvent> kept;
    std::string line;
    bool header = true;
    while (ReadWholeLine(in.file, line)) {
        if (header) {
            header = false;
            continue;
        }
        // The source's lines are at most 159 characters; the rest is not read.
        if (line.size() > 159) line.resize(159);
        EruptionEvent e;
        e.Parse(line, kind);
        if (e.start.t != 0) kept.push_back(e);
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const EruptionEvent& a, const EruptionEvent& b) { return a.start < b.start; });

    platform::SafeFileWriter out(name);
    if (!out.ok()) return false;
    unsigned char bytes[kEruptionRecordSize];
    for (const EruptionEvent& e : kept) {
        EncodeEruptionRecord(e.record, bytes);
        std::fwrite(bytes, 1, sizeof bytes, out.file());
    }
    if (!out.Commit()) {
        DebugLog("Could not write eruption catalogue %s", name.c_str());
        return false;
    }
    if (!WriteViewFile()) DebugLog("Could not rewrite view %s", gMapName.c_str());
    return true;
}

// ---- The open catalogue ----------------------------------------------------------------------

TimeValue ReadEruptionAt(std::FILE* file, std::int32_t n, int origin, EruptionRecord* record) {
    unsigned char bytes[kEruptionRecordSize];
    if (origin != kFromStart || !ReadNextRecord(file, n, kEruptionRecordSize, bytes)) {
        if (!SeekRecord(file, n, origin, kEruptionRecordSize)) return TimeValue();
        if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes) return TimeValue();
    }
    EruptionRecord r = DecodeEruptionRecord(bytes);
    if (record) *record = r;
    TimeValue t;
    t.SetDate(r.start);
    return t;
}

int FindEruptionIndex(std::FILE* file, TimeValue* time, bool* exact, std::int32_t* index) {
    RecordTimeOf timeOf = [](const unsigned char* bytes) {
        TimeValue t;
        t.SetDate(DecodeEruptionRecord(bytes).start);
        return t;
    };
    return FindRecordByTime(file, kEruptionRecordSize, timeOf, true, time, exact, index);
}

namespace {
// A record whose fields could be real; random bytes seldom are.
bool PlausibleEruptionRecord(const unsigned char* bytes) {
    const EruptionRecord r = DecodeEruptionRecord(bytes);
    auto date = [](const PackedDate& d) { return d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= 31; };
    return date(r.start) && std::isfinite(r.latitude) && std::isfinite(r.longitude) && std::fabs(r.latitude) <= 90 &&
           std::fabs(r.longitude) <= 180;
}

}  // namespace

int OpenEruptionCatalogue() {
    MakeEruptionFile(gEruptionFileName);
    CloseEruptionCatalogue();
    gEruptionCatalogue = OpenDataFile(gEruptionFileName, "rb");
    if (!gEruptionCatalogue) {
        if (gShowEruptions)
            ReportDataFileProblem(gEruptionFileName, "eruption catalogue not found; the view runs without eruptions");
        gEruptionsHeldOff = gEruptionsHeldOff || gShowEruptions;
        gShowEruptions = false;
        return 0;
    }
    bool usable = true;
    if (const std::string problem =
            CatalogueFileProblem(gEruptionCatalogue, kEruptionRecordSize, PlausibleEruptionRecord, &usable);
        !problem.empty() && gShowEruptions) {
        ReportDataFileProblem(gEruptionFileName, usable ? problem : problem + "; the view runs without eruptions");
    }
    if (!usable) {
        CloseEruptionCatalogue();
        gEruptionsHeldOff = gEruptionsHeldOff || gShowEruptions;
        gShowEruptions = false;
        return 0;
    }
    if (!gShowEruptions) return 0;
    gEruptionCount = RecordCount(gEruptionCatalogue, kEruptionRecordSize);
    gEruptionVisibleBits = std::make_unique<BitSet>(gEruptionCount);
    TimeValue t = gAnimationTime;
    bool exact = false;
    int result = FindEruptionIndex(gEruptionCatalogue, &t, &exact, &gEruptionIndex);
    if (result == 1) gEruptionIndex = gEruptionCount - 1;
    gNextEruptionTime = ReadEruptionAt(gEruptionCatalogue, gEruptionIndex, kFromStart, nullptr);
    return result;
}

void CloseEruptionCatalogue() {
    if (gEruptionCatalogue) std::fclose(gEruptionCatalogue);
    gEruptionCatalogue = nullptr;
}

void RefreshEruptionPositions() {
    if (!gShowEruptions) return;
    if (gEruptionCatalogue) {
        TimeValue t = gAnimationTime;
        bool exact = false;
        FindEruptionIndex(gEruptionCatalogue, &t, &exact, &gEruptionIndex);
        gNextEruptionTime = ReadEruptionAt(gEruptionCatalogue, gEruptionIndex, kFromStart, nullptr);
    } else {
        OpenEruptionCatalogue();
    }
}

// ---- Texts -------------------------------------------------------------------------------------

void TitleCaseWords(std::string& text) {
    bool first = true;
    for (char& c : text) {
        auto u = static_cast<unsigned char>(c);
        if (c == ' ' || c == '-') {
            first = true;
            continue;
        }
        c = static_cast<char>(first ? std::toupper(u) : std::tolower(u));
        first = false;
    }
}

std::string FormatMonthText(std::string_view monthText) {
    if (monthText.empty()) return std::string();
    std::string text(monthText);
    int n = 0;
    char c = 0;
    int scanned = std::sscanf(text.c_str(), "%d%c", &n, &c);
    if (scanned >= 1) {
        std::string out = kMonthNames[std::clamp(n, 1, 12) - 1];
        if (scanned == 2) out += c;
        return out;
    }
    if (std::sscanf(text.c_str(), "%c%d", &c, &n) == 2) return std::string(1, c) + kMonthNames[std::clamp(n, 1, 12) - 1];
    return text;
}

std::string FormatEruptionInfo(const EruptionRecord& r) {
    std::string out = FieldText(r.name, sizeof r.name);
    out += "\r\nStart: " + FieldText(r.startYearText, 12) + " " + FormatMonthText(FieldText(r.startMonthText, 4)) +
           " " + FieldText(r.startDayText, 10);
    out += "\r\nStop: " + FieldText(r.stopYearText, 12) + " " + FormatMonthText(FieldText(r.stopMonthText, 4)) + " " +
           FieldText(r.stopDayText, 10);
    out += "\r\nMagnitude: " + std::string(r.magnitudeCode, ::strnlen(r.magnitudeCode, 3));
    return out;
}
