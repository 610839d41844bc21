// Reading a view file: its keys, in the order they are tried, and what the
// reader derives from them.
#include "core/view.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "core/config.h"
#include "core/helpers.h"
#include "core/number_text.h"
#include "core/quake.h"
#include "core/view_parts.h"
#include "platform/sys/files.h"

using namespace view_parts;

namespace {

constexpr int kViewLineLimit = 118;          // longest line piece the format was made for
constexpr int kLastColorNumber = 18;
constexpr int kLastTopo = 11;
constexpr int kMaxWaterBands = 30;

// CRs count as blanks: one left at the end of a value would come back from
// the next read as the CR of a CR LF, and be gone.
std::string TrimBlanks(std::string_view s) {
    std::size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string_view::npos) return std::string();
    std::size_t e = s.find_last_not_of(" \t\r");
    return std::string(s.substr(b, e - b + 1));
}

// The text of a line from a fixed offset, within the length the format was
// made for; empty when the line is shorter than the offset.
std::string_view FromOffset(std::string_view line, std::size_t offset) {
    line = line.substr(0, std::min<std::size_t>(line.size(), kViewLineLimit));
    return offset < line.size() ? line.substr(offset) : std::string_view();
}

// The texts of these fields end their lines when written: a cut that leaves
// CRs at the end drops them, as the next read would.
template <std::size_t N>
void CopyLineField(char (&field)[N], std::string_view text) {
    text = text.substr(0, N - 1);
    while (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    CopyBounded(field, text);
}

// Reads the values of a line the way its "%lf", "%d", "%u" and "%s" patterns
// would, refusing what the setting cannot hold: a failed value leaves the
// setting and every later one of the line untouched.
class ValueScanner {
public:
    explicit ValueScanner(const char* text) : p_(text) {}

    // Without the locale: "120.5" is 120.5 under any LC_NUMERIC.
    bool Double(double* out) {
        double v = 0;
        std::size_t used = 0;
        if (!ScanLeadingDouble(p_, &v, &used) || !std::isfinite(v)) return false;
        p_ += used;
        *out = v;
        return true;
    }
    // A double that must lie above a bound (a divisor, for instance).
    bool DoubleAbove(double* out, double bound) {
        double v;
        if (!Double(&v) || !(v > bound)) return false;
        *out = v;
        return true;
    }
    bool Int(std::int32_t* out, long long lo = INT32_MIN, long long hi = INT32_MAX) {
        char* end = nullptr;
        errno = 0;
        long long v = std::strtoll(p_, &end, 10);
        if (end == p_ || errno == ERANGE || v < lo || v > hi) return false;
        p_ = end;
        *out = static_cast<std::int32_t>(v);
        return true;
    }
    // "%u": no sign allowed, so a negative count never wraps to a huge one.
    bool Unsigned(std::int32_t* out, long long hi) {
        while (std::isspace(static_cast<unsigned char>(*p_))) ++p_;
        if (*p_ == '-') return false;
        return Int(out, 0, hi);
    }
    bool Word(std::string* out) {
        while (std::isspace(static_cast<unsigned char>(*p_))) ++p_;
        const char* b = p_;
        while (*p_ && !std::isspace(static_cast<unsigned char>(*p_))) ++p_;
        if (p_ == b) return false;
        out->assign(b, p_);
        return true;
    }
    const char* Rest() const { return p_; }

private:
    const char* p_;
};

void ApplyFlag(ValueScanner& v, bool* flag, char rule) {
    std::string word;
    if (!v.Word(&word)) return;
    bool yes = IsYes(word);
    if (rule == 's' && yes) *flag = true;
    if (rule == 'c' && !yes) *flag = false;
    if (rule == 'a') *flag = yes;
}

void ApplyDate(ValueScanner& v, PackedDate* date, char part) {
    std::int32_t n;
    if (part == 'y' && v.Unsigned(&n, 0xFFFF)) date->year = static_cast<std::uint16_t>(n);
    // The month indexes the calendar tables.
    if (part == 'm' && v.Unsigned(&n, 12) && n >= 1) date->month = static_cast<std::uint8_t>(n);
    if (part == 'd' && v.Unsigned(&n, 31) && n >= 1) date->day = static_cast<std::uint8_t>(n);
}

void ApplyHour(ValueScanner& v, std::int32_t* minutes) {
    std::int32_t hour;
    if (v.Unsigned(&hour, 24)) *minutes = hour * 60;
}

// List files take the rest of the line after the key's blank.
void ApplyListFile(ValueScanner& v, StringListNode** list) {
    std::string word;
    const char* rest = v.Rest();
    if (!v.Word(&word)) return;
    if (*rest == ' ') ++rest;
    AppendStringNode(list, std::string_view(rest));
}

void ApplyWord(ValueScanner& v, std::string* out) {
    std::string word;
    if (v.Word(&word)) *out = word;
}

// Colours index the colour table; terrain kinds index the model table.
void ApplyIndex(ValueScanner& v, std::int32_t* out, int last) { v.Int(out, 0, last); }

struct KeyRule {
    std::string_view key;  // up to and with the colon
    void (*apply)(ValueScanner&, ReadState&);
};

// In the order the file format lists them; no key begins another key's line.
const KeyRule kKeyRules[] = {
    {"LEFT LONGITUDE:", [](ValueScanner& v, ReadState&) { v.Double(&gMapWest); }},
    {"RIGHT LONGITUDE:", [](ValueScanner& v, ReadState&) { v.Double(&gMapEast); }},
    {"SOUTH LATITUDE:", [](ValueScanner& v, ReadState&) { v.Double(&gMapSouth); }},
    {"NORTH LATITUDE:",
     [](ValueScanner& v, ReadState&) {
         if (!v.Double(&gMapNorth)) return;
         gXsLatitude = (gMapNorth + gMapSouth) / 2;
         gXsLongitude = (gMapEast + gMapWest) / 2;
     }},
    {"XS LATITUDE:", [](ValueScanner& v, ReadState&) { v.Double(&gXsLatitude); }},
    {"XS LONGITUDE:", [](ValueScanner& v, ReadState&) { v.Double(&gXsLongitude); }},
    {"SAVE LAT LON:",
     [](ValueScanner& v, ReadState&) {
         for (double& b : gImageBounds)
             if (!v.Double(&b)) break;
     }},
    {"LEFT SEARCH LONGITUDE:", [](ValueScanner& v, ReadState&) { v.Double(&gSearchWest); }},
    {"RIGHT SEARCH LONGITUDE:", [](ValueScanner& v, ReadState&) { v.Double(&gSearchEast); }},
    {"SOUTH SEARCH LATITUDE:", [](ValueScanner& v, ReadState&) { v.Double(&gSearchSouth); }},
    {"NORTH SEARCH LATITUDE:", [](ValueScanner& v, ReadState&) { v.Double(&gSearchNorth); }},
    {"TEMPLATE LATITUDE RANGE:", [](ValueScanner& v, ReadState&) { v.Double(&gTemplateLatRange); }},
    {"TEMPLATE LONGITUDE RANGE:", [](ValueScanner& v, ReadState&) { v.Double(&gTemplateLonRange); }},
    {"MAXIMUM YEAR:", [](ValueScanner& v, ReadState&) { ApplyDate(v, &gViewMaxDate, 'y'); }},
    {"MAXIMUM MONTH:", [](ValueScanner& v, ReadState&) { ApplyDate(v, &gViewMaxDate, 'm'); }},
    {"MAXIMUM DAY:", [](ValueScanner& v, ReadState&) { ApplyDate(v, &gViewMaxDate, 'd'); }},
    {"MAXIMUM HOUR:", [](ValueScanner& v, ReadState&) { ApplyHour(v, &gViewMaxMinute); }},
    {"MINIMUM YEAR:", [](ValueScanner& v, ReadState&) { ApplyDate(v, &gViewMinDate, 'y'); }},
    {"MINIMUM MONTH:", [](ValueScanner& v, ReadState&) { ApplyDate(v, &gViewMinDate, 'm'); }},
    {"MINIMUM DAY:", [](ValueScanner& v, ReadState&) { ApplyDate(v, &gViewMinDate, 'd'); }},
    {"MINIMUM HOUR:", [](ValueScanner& v, ReadState&) { ApplyHour(v, &gViewMinMinute); }},
    // Bounded so that days x 1440 + minutes stays an int.
    {"DAYS PER SECOND:", [](ValueScanner& v, ReadState& s) { v.Unsigned(&s.speed.days, 1000000); }},
    {"MINUTES PER SECOND:", [](ValueScanner& v, ReadState& s) { v.Unsigned(&s.speed.minutes, 1440000); }},
    {"SECONDS PER SECOND:", [](ValueScanner& v, ReadState& s) { v.Unsigned(&s.speed.seconds, 86400000); }},
    {"MAXIMUM DEPTH:", [](ValueScanner& v, ReadState&) { v.Double(&gMaxDepth); }},
    {"MINIMUM DEPTH:", [](ValueScanner& v, ReadState&) { v.Double(&gMinDepth); }},
    {"MAXIMUM MAGNITUDE:",
     [](ValueScanner& v, ReadState&) {
         if (v.Int(&gMaxMagnitude, -10, 10)) gMinMagnitude = gMaxMagnitude - 4;
     }},
    {"MINIMUM MAGNITUDE:", [](ValueScanner& v, ReadState&) { v.Int(&gMinMagnitude, -10, 10); }},
    {"MAX DOT SIZE:", [](ValueScanner& v, ReadState&) { v.Int(&gMaxDotSize); }},
    {"MIN DOT SIZE:", [](ValueScanner& v, ReadState&) { v.Int(&gMinDotSize); }},
    {"SOUND ON:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gQuakeSoundOn, 's'); }},
    {"MAGNITUDE CUTOFF:", [](ValueScanner& v, ReadState&) { v.Double(&gMagnitudeCutoff); }},
    {"MAGNITUDE SOUND CUTOFF:", [](ValueScanner& v, ReadState&) { v.Double(&gMagnitudeSoundCutoff); }},
    {"ERUPTION SOUND ON:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gEruptionSoundOn, 's'); }},
    {"ERUPTION MAGNITUDE CUTOFF:", [](ValueScanner& v, ReadState&) { v.Double(&gEruptionMagnitudeCutoff); }},
    {"ERUPTION MAGNITUDE SOUND CUTOFF:", [](ValueScanner& v, ReadState&) { v.Double(&gEruptionSoundCutoff); }},
    {"VIEW AZIMUTH:", [](ValueScanner& v, ReadState&) { v.Double(&gViewAzimuth); }},
    // The section length and the eye distance are divisors of the 3-D and
    // cross-section projections; so are the magnification and the slopes.
    {"VIEW WIDTH:", [](ValueScanner& v, ReadState&) { v.DoubleAbove(&gViewWidth, 0); }},
    {"VIEW DIP:", [](ValueScanner& v, ReadState&) { v.Double(&gViewDip); }},
    {"VIEW DISTANCE:", [](ValueScanner& v, ReadState&) { v.DoubleAbove(&gViewDistance, 0); }},
    {"VIEW NEAR PLANE:", [](ValueScanner& v, ReadState&) { v.Double(&gViewNearPlane); }},
    {"VIEW FAR PLANE:", [](ValueScanner& v, ReadState&) { v.Double(&gViewFarPlane); }},
    {"MAGNIFICATION:", [](ValueScanner& v, ReadState&) { v.DoubleAbove(&gMagnification, 0); }},
    {"MAX SLOPE:", [](ValueScanner& v, ReadState&) { v.DoubleAbove(&gMaxSlope, 0); }},
    {"BATHYMETRY MAX SLOPE:", [](ValueScanner& v, ReadState&) { v.DoubleAbove(&gBathymetryMaxSlope, 0); }},
    {"CONTOUR INTERVAL:", [](ValueScanner& v, ReadState&) { v.Int(&gContourInterval, 1, INT32_MAX); }},
    {"BATHYMETRY CONTOUR INTERVAL:",
     [](ValueScanner& v, ReadState&) { v.Int(&gBathymetryContourInterval, 1, INT32_MAX); }},
    {"NUMBER OF BATHYMETRY CONTOUR INTERVALS:",
     [](ValueScanner& v, ReadState&) { v.Int(&gBathymetryContourLevels, 0, kMaxWaterBands); }},
    {"TOPO HUE FILE:", [](ValueScanner& v, ReadState&) { ApplyWord(v, &gTopoHueFile); }},
    {"EVENT LABELS:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gShowEventLabels, 's'); }},
    {"INFORMATION:", [](ValueScanner& v, ReadState&) { ApplyWord(v, &gViewInformation); }},
    {"BACKGROUND COLOR:", [](ValueScanner& v, ReadState&) { ApplyIndex(v, &gBackgroundColor, kLastColorNumber); }},
    {"BORDER COLOR:", [](ValueScanner& v, ReadState&) { ApplyIndex(v, &gBorderColor, kLastColorNumber); }},
    {"HIGHWAYS:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gShowHighways, 's'); }},
    {"MAP FILE:",
     [](ValueScanner& v, ReadState& s) {
         int n = StringListCount(gMapFiles);
         ApplyListFile(v, &gMapFiles);
         if (StringListCount(gMapFiles) != n) s.mapFileRead = true;
     }},
    {"LINE FILE:", [](ValueScanner& v, ReadState&) { ApplyListFile(v, &gLineFiles); }},
    {"TEXT FILE:", [](ValueScanner& v, ReadState&) { ApplyListFile(v, &gTextFiles); }},
    {"SYMBOL FILE:", [](ValueScanner& v, ReadState&) { ApplyListFile(v, &gSymbolFiles); }},
    {"EVENT FILE:", [](ValueScanner& v, ReadState&) { ApplyWord(v, &gEventFileName); }},
    {"ERUPTION FILE:", [](ValueScanner& v, ReadState&) { ApplyWord(v, &gEruptionFileName); }},
    {"EARTHQUAKES:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gShowEarthquakes, 'a'); }},
    {"VOLCANOES:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gShowEruptions, 'a'); }},
    {"VOLCANO NAMES:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gShowVolcanoNames, 'a'); }},
    {"VOLCANOS RED AT END:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gVolcanoesRedAtEnd, 'a'); }},
    {"HISTORICAL EVENT FILE:", [](ValueScanner& v, ReadState&) { ApplyWord(v, &gHistoricalEventFile); }},
    {"TOPO:", [](ValueScanner& v, ReadState&) { ApplyIndex(v, &gTopo, kLastTopo); }},
    {"LABELS:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gShowLabels, 'a'); }},
    {"LAT LON LINES:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gShowLatLonLines, 'a'); }},
    {"BATHYMETRY:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gShowBathymetry, 's'); }},
    {"INTERIOR TICK MARKS:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gInteriorTickMarks, 's'); }},
    {"SCALE:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gShowMapScale, 'c'); }},
    {"QMX SCALE:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gQmxScale, 'c'); }},
    {"SCALE UNITS:",
     [](ValueScanner& v, ReadState&) {
         std::string word;
         if (v.Word(&word) && ::strcasecmp(word.c_str(), "KM") != 0) gScaleInKm = false;
     }},
    {"SCALE POSITION:",
     [](ValueScanner& v, ReadState&) {
         if (v.Int(&gScalePosition.x)) v.Int(&gScalePosition.y);
     }},
    {"FLOATING LEGEND:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gFloatingLegend, 'c'); }},
    {"LEGEND POSITION:",
     [](ValueScanner& v, ReadState&) {
         if (v.Int(&gLegendPosition.x)) v.Int(&gLegendPosition.y);
     }},
    {"DOTS:",
     [](ValueScanner& v, ReadState&) {
         static const char* const kWords[] = {"SMALL", "WHITE", "KEEP", "CIRCLES", "MOMENT"};
         std::string word;
         if (!v.Word(&word)) return;
         for (int i = 0; i < 5; ++i)
             if (::strcasecmp(word.c_str(), kWords[i]) == 0) gSymbolStyle = i;
     }},
    {"PLATES:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gShowPlates, 's'); }},
    {"PLATES AT END:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gPlatesAtEnd, 's'); }},
    {"CROSS SECTION VIEW:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gCrossSectionView, 's'); }},
    {"3D VIEW:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &g3DView, 's'); }},
    {"MAP VIEW:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gMapView, 's'); }},
    {"SHOW CROSS SECTION OUTLINE:",
     [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gShowCrossSectionOutline, 's'); }},
    {"LOGO:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gShowLogo, 'c'); }},
    {"LEGEND:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gViewLegend, 's'); }},
    {"HARD COPY:", [](ValueScanner& v, ReadState&) { ApplyFlag(v, &gHardCopy, 's'); }},
    {"DAYS TO LOOP:", [](ValueScanner& v, ReadState&) { v.Unsigned(&gDaysToLoop, 1000000); }},
    {"MINUTES TO LOOP:", [](ValueScanner& v, ReadState&) { v.Unsigned(&gMinutesToLoop, 1440000); }},
    {"LOCAL TIME:", [](ValueScanner& v, ReadState&) { v.Int(&gLocalTimeHours, -24, 24); }},
};

void ReadInfoSpot(std::string_view line) {
    std::string value(FromOffset(line, 18));
    ValueScanner v(value.c_str());
    double lat, lon;
    std::string file;
    if (!v.Double(&lat) || !v.Double(&lon) || !v.Word(&file)) return;
    const char* title = v.Rest();
    if (*title) ++title;  // the one character behind the file name
    gInfoSpots.Add(InfoSpot(lat, lon, 0, file, title));
}

void ApplyLine(const std::string& line, ReadState& state) {
    if (StartsWithIgnoringCase(line, "TITLE AT END")) {
        gViewTitleAtEnd = TrimBlanks(FromOffset(line, 14));
        return;
    }
    if (StartsWithIgnoringCase(line, "TITLE")) {
        gViewTitle = TrimBlanks(FromOffset(line, 7));
        return;
    }
    if (StartsWithIgnoringCase(line, "INFORMATION SP")) {
        ReadInfoSpot(line);
        return;
    }
    constexpr std::string_view kLabelKey = "EVENT LABEL: ";
    if (line.starts_with(kLabelKey)) {
        auto label = std::make_unique<EventLabelRecord>();
        if (ParseEventLabel(label.get(), std::string_view(line).substr(kLabelKey.size())))
            gEventLabels.Add(std::move(label));
        return;
    }
    if (line.empty() || line[0] == ' ' || line[0] == '#') return;
    for (const KeyRule& rule : kKeyRules) {
        if (!line.starts_with(rule.key)) continue;
        ValueScanner v(line.c_str() + rule.key.size());
        rule.apply(v, state);
        return;
    }
}

void ReadTargetEvent() {
    if (gTargetEventFile.empty()) return;
    std::FILE* f = platform::OpenFile(gTargetEventFile, "rb");
    if (!f) return;
    unsigned char bytes[kQuakeRecordSize];
    // A file shorter than one record holds no event.
    if (std::fread(bytes, 1, sizeof bytes, f) == sizeof bytes) {
        gBuiltAlertQuake = DecodeQuakeRecord(bytes);
        gAlertEvent = &gBuiltAlertQuake;
    }
    std::fclose(f);
}

}  // namespace

// ---- Records ------------------------------------------------------------------------

InfoSpot::InfoSpot(double lat, double lon, double thirdValue, std::string_view fileName, std::string_view titleText)
    : latitude(lat), longitude(lon), third(thirdValue) {
    CopyLineField(file, fileName);
    CopyLineField(title, titleText);
}

bool ParseEventLabel(EventLabelRecord* record, std::string_view value) {
    *record = EventLabelRecord{};
    std::string text(value);
    ValueScanner v(text.c_str());
    std::string dateWord, timeWord, latWord, lonWord, first;
    if (!v.Word(&dateWord) || !v.Word(&timeWord) || !v.Word(&latWord) || !v.Word(&lonWord)) return false;
    const char* textStart = v.Rest();
    while (std::isspace(static_cast<unsigned char>(*textStart))) ++textStart;
    if (!v.Word(&first)) return false;

    int year, month, day, hour, minute;
    double seconds;
    // "%d/%d/%d" with nothing after it, and "%d:%d:%lf", without the locale.
    TextScanner dateScan(dateWord), clock(timeWord);
    if (!(dateScan.Int(&year) && dateScan.Literal('/') && dateScan.Int(&month) && dateScan.Literal('/') &&
          dateScan.Int(&day) && dateScan.AtEnd()))
        return false;
    if (!(clock.Int(&hour) && clock.Literal(':') && clock.Int(&minute) && clock.Literal(':') && clock.Double(&seconds)))
        return false;
    if (year < 1 || year > 0xFFFF || month < 1 || month > 12 || day < 1 || day > 31) return false;
    if (!IsTimeOfDay(hour, minute, seconds)) return false;
    double lat, lon;
    ValueScanner latScan(latWord.c_str()), lonScan(lonWord.c_str());
    if (!latScan.Double(&lat) || !lonScan.Double(&lon)) return false;

    record->latitude = lat;
    record->longitude = lon;
    CopyLineField(record->text, textStart);
    PackedDate date{static_cast<std::uint16_t>(year), static_cast<std::uint8_t>(month), static_cast<std::uint8_t>(day)};
    record->time.SetDateMinuteSecond(date, hour * 60 + minute, seconds);
    record->countdown = 40;
    return true;
}

// ---- Reading ----------------------------------------------------------------------------

int ReadViewFile(const std::string& name) { return ReadViewFile(name.c_str()); }

int ReadViewFile(const char* name) {
    bool named = name && *name;
    gViewZoomed = false;
    // Kept as given: the files named after the view (its picture above all) keep its spelling.
    if (named) gMapName = name;
    // The open catalogues belong to the view being replaced.
    ForgetCatalogues();
    ForgetDataFileProblems();

    ClearListsAndNames();
    ReadState state;
    SetDefaults(&state.speed);
    SetDerivedTimes(state.speed);
    gAnimationTime = TimeValue();

    if (!named) {
        // A new view: nothing names a file, so nothing can be overwritten by a save.
        gMapName.clear();
        gOpenedName.clear();
        gOpenedPath.clear();
        AppendStringNode(&gMapFiles, "COAST.S4");
        gMapView = true;
        return 3;
    }

    std::optional<std::string> path = platform::FindPath(name);
    std::FILE* f = platform::OpenFile(name, "r");
    if (!f) {
        gMapName.clear();
        gOpenedName.clear();
        gOpenedPath.clear();
        gMapView = true;
        return 2;
    }
    gOpenedName = gMapName;
    gOpenedPath = path.value_or(platform::NativePath(name));

    gCityFile = gMapName + ".CAF";
    gPlantFile = gMapName + ".npp.txt";
    ApplySettingsFrom(f, state);
    std::fclose(f);
    return 0;
}

namespace view_parts {

void ApplySettingsFrom(std::FILE* f, ReadState& state) {
    std::string line;
    while (ReadWholeLine(f, line)) {
        // The writer's "%s" would end a value at a NUL anyway.
        EndLineAtNul(line);
        ApplyLine(line, state);
    }

    if (!(gMapSouth < gMapNorth)) {
        // Nothing lies between them: the map would be empty.
        ReportDataFileProblem(gMapName, "SOUTH LATITUDE " + FormatGeneral(gMapSouth) + " is not below NORTH LATITUDE " +
                                            FormatGeneral(gMapNorth) + "; the view shows " +
                                            FormatGeneral(kDefaultSouth) + " to " + FormatGeneral(kDefaultNorth));
        gMapSouth = kDefaultSouth;
        gMapNorth = kDefaultNorth;
    }
    if (!state.mapFileRead) AppendStringNode(&gMapFiles, "ALL.S4");
    SetDerivedTimes(state.speed);
    if (gMaxDepth == 0) gMaxDepth = 33;
    if (!gCrossSectionView && !g3DView) gMapView = true;
    if (gMapView) {
        gMapImageFile = gMapName + ".jpg";
        gPopulationImageFile = gMapName + ".pop";
        gPltFileName = gMapName + ".plt";
        gTargetEventFile = gMapName + ".hyp";
    }
    if (!gTextFiles) {
        AppendStringNode(&gTextFiles, gCityFile);
        AppendStringNode(&gSymbolFiles, gCityFile);
    }
    ReadTargetEvent();
    RememberFileBounds();
}

}  // namespace view_parts
