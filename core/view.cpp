#include "core/view.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "core/config.h"
#include "core/helpers.h"
#include "core/number_text.h"
#include "core/quake.h"
#include "platform/sys/files.h"

// ---- Settings ------------------------------------------------------------------------

std::string gMapName;
double gMapWest, gMapEast, gMapSouth, gMapNorth;
double gXsLatitude, gXsLongitude;
double gImageBounds[4];
double gSearchWest, gSearchEast, gSearchSouth, gSearchNorth;
double gTemplateLatRange, gTemplateLonRange;
PackedDate gViewMaxDate;
std::int32_t gViewMaxMinute;
PackedDate gViewMinDate;
std::int32_t gViewMinMinute;
TimeValue gSpeed;
namespace {
constexpr double kDefaultSouth = -70, kDefaultNorth = 75;
TimeValue sStoredSpeed, sRunSpeed;  // the view's own speed, and the one its run was given
}  // namespace

TimeValue SpeedToStore() { return gSpeed == sRunSpeed ? sStoredSpeed : gSpeed; }

void RunAtSpeed(TimeValue run) {
    sStoredSpeed = SpeedToStore();
    gSpeed = sRunSpeed = run;
}
double gMaxDepth, gMinDepth;
std::int32_t gMaxMagnitude, gMinMagnitude, gMaxDotSize, gMinDotSize;
bool gQuakeSoundOn;
double gMagnitudeCutoff, gMagnitudeSoundCutoff;
bool gEruptionSoundOn;
double gEruptionMagnitudeCutoff, gEruptionSoundCutoff;
double gViewAzimuth, gViewWidth, gViewDip, gViewDistance, gViewNearPlane, gViewFarPlane;
double gMagnification, gMaxSlope, gBathymetryMaxSlope;
std::int32_t gContourInterval, gBathymetryContourInterval, gBathymetryContourLevels;
std::string gTopoHueFile;
std::string gViewTitle, gViewTitleAtEnd;
IndexedArray<InfoSpot> gInfoSpots;
bool gShowEventLabels;
IndexedArray<std::unique_ptr<EventLabelRecord>> gEventLabels;
std::string gViewInformation;
std::int32_t gBackgroundColor, gBorderColor;
bool gShowHighways;
StringListNode* gMapFiles = nullptr;
StringListNode* gLineFiles = nullptr;
StringListNode* gTextFiles = nullptr;
StringListNode* gSymbolFiles = nullptr;
std::string gEventFileName, gEruptionFileName;
bool gShowEarthquakes, gShowEruptions, gShowVolcanoNames, gVolcanoesRedAtEnd;
bool gEarthquakesHeldOff = false, gEruptionsHeldOff = false;
std::string gHistoricalEventFile;
std::int32_t gTopo;
bool gShowLabels, gShowLatLonLines, gShowBathymetry, gInteriorTickMarks, gShowMapScale, gQmxScale, gScaleInKm;
ViewPoint gScalePosition;
bool gFloatingLegend;
ViewPoint gLegendPosition;
std::int32_t gSymbolStyle;
bool gShowPlates, gPlatesAtEnd, gCrossSectionView, g3DView, gMapView, gShowCrossSectionOutline, gRedrawMap;
bool gShowLogo, gViewLegend, gHardCopy;
std::int32_t gDaysToLoop = 0;
std::int32_t gMinutesToLoop = 0;
std::int32_t gLocalTimeHours;

std::string gCityFile, gPlantFile, gMapImageFile, gPopulationImageFile, gPltFileName, gTargetEventFile;
TimeValue gPeriodStart, gViewEnd;

TimeValue gAnimationTime;
TimeValue gTimeZoneOffset;
std::string gTimeZoneName;
double gWestEdge = -180;
double gLonSpan = 360;
QuakeRecord* gAlertEvent = nullptr;
QuakeRecord gBuiltAlertQuake;

namespace {

constexpr int kViewLineLimit = 118;          // longest line piece the format was made for
constexpr int kLastColorNumber = 18;
constexpr int kLastTopo = 11;
constexpr int kMaxWaterBands = 30;

// Where the current view was read from, so that saving it writes that file
// even though gMapName is upper-cased.
std::string gOpenedName;
std::string gOpenedPath;

// Speed parts while a file is read; gSpeed is built from them afterwards.
struct SpeedParts {
    std::int32_t days = 10, minutes = 0, seconds = 0;
};

void SetDefaults(SpeedParts* speed) {
    gMapWest = -180;
    gMapEast = 180;
    gMapSouth = kDefaultSouth;
    gMapNorth = kDefaultNorth;
    gXsLatitude = 0;
    gXsLongitude = 0;
    std::fill(std::begin(gImageBounds), std::end(gImageBounds), 0.0);
    gSearchWest = -180;
    gSearchEast = 180;
    gSearchSouth = -70;
    gSearchNorth = 75;
    gTemplateLatRange = 4;
    gTemplateLonRange = 5;
    gViewMaxDate = PackedDate{2100, 12, 31};
    gViewMaxMinute = 0;
    gViewMinDate = PackedDate{1960, 1, 1};
    gViewMinMinute = 0;
    *speed = SpeedParts{};
    gMaxDepth = 500;
    gMinDepth = 0;
    gMaxMagnitude = 8;
    gMinMagnitude = 4;
    gMaxDotSize = 8;
    gMinDotSize = 1;
    gQuakeSoundOn = false;
    gMagnitudeCutoff = 0;
    gMagnitudeSoundCutoff = 5.0;
    gEruptionSoundOn = false;
    gEruptionMagnitudeCutoff = 0;
    gEruptionSoundCutoff = 1.0;
    gViewAzimuth = 0;
    gViewWidth = 100;
    gViewDip = 0;
    gViewDistance = 100;
    gViewNearPlane = -50;
    gViewFarPlane = 50;
    gMagnification = 2.0;
    gMaxSlope = 15;
    gBathymetryMaxSlope = 15;
    gContourInterval = 400;
    gBathymetryContourInterval = 10000;
    gBathymetryContourLevels = 1;
    gTopoHueFile.clear();
    gViewTitle = "untitled";
    gViewTitleAtEnd.clear();
    gShowEventLabels = false;
    gViewInformation.clear();
    gBackgroundColor = 0;
    gBorderColor = 0;
    gShowHighways = false;
    gEventFileName = "WORLD.HY4";
    gEruptionFileName = "WORLD.ERB";
    gShowEarthquakes = true;
    gShowEruptions = false;
    gEarthquakesHeldOff = false;
    gEruptionsHeldOff = false;
    gShowVolcanoNames = true;
    gVolcanoesRedAtEnd = false;
    gHistoricalEventFile.clear();
    gTopo = 0;
    gShowLabels = true;
    gShowLatLonLines = false;
    gShowBathymetry = false;
    gInteriorTickMarks = false;
    gShowMapScale = true;
    gQmxScale = true;
    gScaleInKm = true;
    gScalePosition = ViewPoint{};
    gFloatingLegend = true;
    gLegendPosition = ViewPoint{};
    gSymbolStyle = 1;
    gShowPlates = false;
    gPlatesAtEnd = false;
    gCrossSectionView = false;
    g3DView = false;
    gMapView = false;
    gShowCrossSectionOutline = false;
    gRedrawMap = false;
    gShowLogo = true;
    gViewLegend = false;
    gHardCopy = false;
    gLocalTimeHours = 0;
    gAnimationTime = TimeValue();
}

void ClearListsAndNames() {
    gCityFile.clear();
    gPlantFile.clear();
    gMapImageFile.clear();
    gPopulationImageFile.clear();
    gPltFileName.clear();
    gTargetEventFile.clear();
    FreeStringList(&gMapFiles);
    FreeStringList(&gTextFiles);
    FreeStringList(&gLineFiles);
    FreeStringList(&gSymbolFiles);
    gInfoSpots.Flush();
    gEventLabels.Flush();
}

void SetDerivedTimes(const SpeedParts& speed) {
    gSpeed.SetDaysMinutesSeconds(speed.days, speed.minutes, speed.seconds);
    sStoredSpeed = sRunSpeed = gSpeed;
    gPeriodStart.SetDateMinutes(gViewMinDate, gViewMinMinute);
    gViewEnd.SetDateMinutes(gViewMaxDate, gViewMaxMinute);
    gAnimationTime = gPeriodStart;
}

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

struct ReadState {
    SpeedParts speed;
    bool mapFileRead = false;
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

void ForgetCatalogues() {
    CloseQuakeCatalogue();
    CloseEruptionCatalogue();
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

void EventLabelRecord::WriteLine(std::FILE* file) const {
    std::fprintf(file, "%04d/%02d/%02d %02d:%02d:%02d %s %s %.*s\n", time.Year(), time.Month(), time.Day(),
                 time.Hour(), time.Minute(), time.Second(), FormatFixed(latitude, 2, 6).c_str(),
                 FormatFixed(longitude, 2, 7).c_str(), static_cast<int>(::strnlen(text, sizeof text)), text);
}

bool EventLabelRecord::IsInView() const {
    if (gControls[kControlScienceOnASphere]) return true;
    if (!(gMapSouth < latitude && latitude < gMapNorth)) return false;
    double offset = longitude - gWestEdge;
    if (offset < 0) offset += 360;
    if (offset < 0.001) offset = 0;
    return 0 < offset && offset < gLonSpan;
}

// ---- Reading ----------------------------------------------------------------------------

bool gViewZoomed = false;

namespace {
void ApplySettingsFrom(std::FILE* f, ReadState& state);
// The map bounds the opened view file holds: west, east, south, north.
double sFileBounds[4] = {-180, 180, -70, 75};
void RememberFileBounds() {
    sFileBounds[0] = gMapWest;
    sFileBounds[1] = gMapEast;
    sFileBounds[2] = gMapSouth;
    sFileBounds[3] = gMapNorth;
}
}  // namespace

void ResetViewSettings() {
    ReadViewFile(nullptr);
    gDaysToLoop = 0;
    gMinutesToLoop = 0;
    gAlertEvent = nullptr;
    gBuiltAlertQuake = QuakeRecord{};
}

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

namespace {

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

}  // namespace

// ---- Writing ----------------------------------------------------------------------------

namespace {

void WriteList(std::FILE* f, const char* key, const StringListNode* head, bool trim) {
    for (; head; head = head->next) {
        std::string text = head->text;
        if (trim) {
            TrimTrailingBlanks(text);
            if (text.empty()) continue;
        }
        std::fprintf(f, "%s: %s\n", key, text.c_str());
    }
}

void WriteFlag(std::FILE* f, const char* key, bool flag) { std::fprintf(f, "%s: %s\n", key, YesNoText(flag)); }

void WriteSettings(std::FILE* f) {
    std::fprintf(f, "LEFT LONGITUDE: %s\n", FormatGeneral(gMapWest, 9).c_str());
    std::fprintf(f, "RIGHT LONGITUDE: %s\n", FormatGeneral(gMapEast, 9).c_str());
    std::fprintf(f, "SOUTH LATITUDE: %s\n", FormatGeneral(gMapSouth, 9).c_str());
    std::fprintf(f, "NORTH LATITUDE: %s\n", FormatGeneral(gMapNorth, 9).c_str());
    std::fprintf(f, "SCREEN SAVE FILE: %s\n", gMapImageFile.c_str());
    std::fprintf(f, "POPULATION SAVE FILE: %s\n", gPopulationImageFile.c_str());
    std::fprintf(f, "XS LATITUDE: %s\n", FormatGeneral(gXsLatitude, 9).c_str());
    std::fprintf(f, "XS LONGITUDE: %s\n", FormatGeneral(gXsLongitude, 9).c_str());
    std::fprintf(f, "SAVE LAT LON: %s %s %s %s\n", FormatGeneral(gImageBounds[0], 9).c_str(),
                 FormatGeneral(gImageBounds[1], 9).c_str(), FormatGeneral(gImageBounds[2], 9).c_str(),
                 FormatGeneral(gImageBounds[3], 9).c_str());
    std::fprintf(f, "LEFT SEARCH LONGITUDE: %s\n", FormatGeneral(gSearchWest).c_str());
    std::fprintf(f, "RIGHT SEARCH LONGITUDE: %s\n", FormatGeneral(gSearchEast).c_str());
    std::fprintf(f, "SOUTH SEARCH LATITUDE: %s\n", FormatGeneral(gSearchSouth).c_str());
    std::fprintf(f, "NORTH SEARCH LATITUDE: %s\n", FormatGeneral(gSearchNorth).c_str());
    std::fprintf(f, "TEMPLATE LATITUDE RANGE: %s\n", FormatGeneral(gTemplateLatRange).c_str());
    std::fprintf(f, "TEMPLATE LONGITUDE RANGE: %s\n", FormatGeneral(gTemplateLonRange).c_str());
    std::fprintf(f, "MAXIMUM YEAR: %u\n", unsigned{gViewMaxDate.year});
    std::fprintf(f, "MAXIMUM MONTH: %u\n", unsigned{gViewMaxDate.month});
    std::fprintf(f, "MAXIMUM DAY: %u\n", unsigned{gViewMaxDate.day});
    std::fprintf(f, "MAXIMUM HOUR: %u\n", static_cast<unsigned>(gViewMaxMinute / 60));
    std::fprintf(f, "MINIMUM YEAR: %u\n", unsigned{gViewMinDate.year});
    std::fprintf(f, "MINIMUM MONTH: %u\n", unsigned{gViewMinDate.month});
    std::fprintf(f, "MINIMUM DAY: %u\n", unsigned{gViewMinDate.day});
    std::fprintf(f, "MINIMUM HOUR: %u\n", static_cast<unsigned>(gViewMinMinute / 60));
    const TimeValue speed = SpeedToStore();
    std::fprintf(f, "DAYS PER SECOND: %d\n", static_cast<int>(std::trunc(speed.t / 86400)));
    std::fprintf(f, "MINUTES PER SECOND: %d\n", speed.Hour() * 60 + speed.Minute());
    std::fprintf(f, "SECONDS PER SECOND: %d\n", speed.Second());
    std::fprintf(f, "MAXIMUM DEPTH: %s\n", FormatGeneral(gMaxDepth).c_str());
    std::fprintf(f, "MINIMUM DEPTH: %s\n", FormatGeneral(gMinDepth).c_str());
    std::fprintf(f, "MAXIMUM MAGNITUDE: %d\n", gMaxMagnitude);
    std::fprintf(f, "MINIMUM MAGNITUDE: %d\n", gMinMagnitude);
    std::fprintf(f, "MAX DOT SIZE: %d\n", gMaxDotSize);
    std::fprintf(f, "MIN DOT SIZE: %d\n", gMinDotSize);
    WriteFlag(f, "SOUND ON", gQuakeSoundOn);
    std::fprintf(f, "MAGNITUDE CUTOFF: %s\n", FormatFixed(gMagnitudeCutoff, 1).c_str());
    std::fprintf(f, "MAGNITUDE SOUND CUTOFF: %s\n", FormatGeneral(gMagnitudeSoundCutoff).c_str());
    WriteFlag(f, "ERUPTION SOUND ON", gEruptionSoundOn);
    std::fprintf(f, "ERUPTION MAGNITUDE CUTOFF: %s\n", FormatGeneral(gEruptionMagnitudeCutoff).c_str());
    std::fprintf(f, "ERUPTION MAGNITUDE SOUND CUTOFF: %s\n", FormatGeneral(gEruptionSoundCutoff).c_str());
    std::fprintf(f, "VIEW AZIMUTH: %s\n", FormatGeneral(gViewAzimuth).c_str());
    std::fprintf(f, "VIEW WIDTH: %s\n", FormatGeneral(gViewWidth).c_str());
    std::fprintf(f, "VIEW DIP: %s\n", FormatGeneral(gViewDip).c_str());
    std::fprintf(f, "VIEW DISTANCE: %s\n", FormatGeneral(gViewDistance).c_str());
    std::fprintf(f, "VIEW NEAR PLANE: %s\n", FormatGeneral(gViewNearPlane).c_str());
    std::fprintf(f, "VIEW FAR PLANE: %s\n", FormatGeneral(gViewFarPlane).c_str());
    std::fprintf(f, "MAGNIFICATION: %s\n", FormatGeneral(gMagnification).c_str());
    std::fprintf(f, "MAX SLOPE: %s\n", FormatGeneral(gMaxSlope).c_str());
    std::fprintf(f, "BATHYMETRY MAX SLOPE: %s\n", FormatGeneral(gBathymetryMaxSlope).c_str());
    std::fprintf(f, "CONTOUR INTERVAL: %d\n", gContourInterval);
    std::fprintf(f, "BATHYMETRY CONTOUR INTERVAL: %d\n", gBathymetryContourInterval);
    std::fprintf(f, "NUMBER OF BATHYMETRY CONTOUR INTERVALS: %d\n", gBathymetryContourLevels);
    std::fprintf(f, "TOPO HUE FILE: %s\n", gTopoHueFile.c_str());
    std::fprintf(f, "TITLE: %s\n", gViewTitle.c_str());
    std::fprintf(f, "TITLE AT END: %s\n", gViewTitleAtEnd.c_str());
    for (const InfoSpot& s : gInfoSpots)
        std::fprintf(f, "INFORMATION SPOT: %s %s %.*s %.*s\n", FormatFixed(s.latitude, 2, 6).c_str(),
                     FormatFixed(s.longitude, 2, 7).c_str(),
                     static_cast<int>(::strnlen(s.file, sizeof s.file)), s.file,
                     static_cast<int>(::strnlen(s.title, sizeof s.title)), s.title);
    WriteFlag(f, "EVENT LABELS", gShowEventLabels);
    for (const auto& label : gEventLabels) {
        if (!label) continue;
        std::fputs("EVENT LABEL: ", f);
        label->WriteLine(f);
    }
    std::fprintf(f, "INFORMATION: %s\n", gViewInformation.c_str());
    std::fprintf(f, "BACKGROUND COLOR: %d\n", gBackgroundColor);
    std::fprintf(f, "BORDER COLOR: %d\n", gBorderColor);
    WriteFlag(f, "HIGHWAYS", gShowHighways);
    WriteList(f, "MAP FILE", gMapFiles, true);
    WriteList(f, "LINE FILE", gLineFiles, false);
    WriteList(f, "TEXT FILE", gTextFiles, false);
    WriteList(f, "SYMBOL FILE", gSymbolFiles, false);
    std::fprintf(f, "EVENT FILE: %s\n", gEventFileName.c_str());
    std::fprintf(f, "ERUPTION FILE: %s\n", gEruptionFileName.c_str());
    WriteFlag(f, "EARTHQUAKES", gShowEarthquakes || gEarthquakesHeldOff);
    WriteFlag(f, "VOLCANOES", gShowEruptions || gEruptionsHeldOff);
    WriteFlag(f, "VOLCANO NAMES", gShowVolcanoNames);
    WriteFlag(f, "VOLCANOS RED AT END", gVolcanoesRedAtEnd);
    std::fprintf(f, "HISTORICAL EVENT FILE: %s\n", gHistoricalEventFile.c_str());
    std::fprintf(f, "TOPO: %d\n", gTopo);
    WriteFlag(f, "LABELS", gShowLabels);
    WriteFlag(f, "LAT LON LINES", gShowLatLonLines);
    WriteFlag(f, "BATHYMETRY", gShowBathymetry);
    WriteFlag(f, "INTERIOR TICK MARKS", gInteriorTickMarks);
    WriteFlag(f, "SCALE", gShowMapScale);
    WriteFlag(f, "QMX SCALE", gQmxScale);
    std::fprintf(f, "SCALE UNITS: %s\n", gScaleInKm ? "km" : "Miles");
    std::fprintf(f, "SCALE POSITION: %d %d\n", gScalePosition.x, gScalePosition.y);
    WriteFlag(f, "FLOATING LEGEND", gFloatingLegend);
    std::fprintf(f, "LEGEND POSITION: %d %d\n", gLegendPosition.x, gLegendPosition.y);
    static const char* const kDots[] = {"SMALL", "WHITE", "KEEP", "CIRCLES", "MOMENT RELEASE"};
    std::fprintf(f, "DOTS: %s\n", kDots[std::clamp(gSymbolStyle, 0, 4)]);
    WriteFlag(f, "PLATES", gShowPlates);
    WriteFlag(f, "PLATES AT END", gPlatesAtEnd);
    WriteFlag(f, "CROSS SECTION VIEW", gCrossSectionView);
    WriteFlag(f, "3D VIEW", g3DView);
    WriteFlag(f, "MAP VIEW", gMapView);
    WriteFlag(f, "SHOW CROSS SECTION OUTLINE", gShowCrossSectionOutline);
    WriteFlag(f, "REDRAW MAP", gRedrawMap);
    WriteFlag(f, "LOGO", gShowLogo);
    WriteFlag(f, "LEGEND", gViewLegend);
    WriteFlag(f, "HARD COPY", gHardCopy);
    std::fprintf(f, "DAYS TO LOOP: %u\n", static_cast<unsigned>(gDaysToLoop));
    std::fprintf(f, "MINUTES TO LOOP: %u\n", static_cast<unsigned>(gMinutesToLoop));
    std::fprintf(f, "LOCAL TIME: %d\n", gLocalTimeHours);
}

}  // namespace

bool WriteViewFile() {
    if (!gPlantFile.empty() && !FindStringNode(gTextFiles, gPlantFile)) AppendStringNode(&gTextFiles, gPlantFile);

    // The file the view came from, unless the view has been given another name.
    bool same = !gOpenedPath.empty() && gMapName == gOpenedName;
    std::string target = same ? gOpenedPath : gMapName;
    if (target.empty()) return false;

    platform::SafeFileWriter out(target);
    if (!out.ok()) return false;
    // A zoom held in memory never reaches the file the view came from.
    const bool keepFileBounds = same && gViewZoomed;
    const double shown[4] = {gMapWest, gMapEast, gMapSouth, gMapNorth};
    if (keepFileBounds) {
        gMapWest = sFileBounds[0];
        gMapEast = sFileBounds[1];
        gMapSouth = sFileBounds[2];
        gMapNorth = sFileBounds[3];
    }
    WriteSettings(out.file());
    gMapWest = shown[0];
    gMapEast = shown[1];
    gMapSouth = shown[2];
    gMapNorth = shown[3];
    if (!out.Commit()) return false;
    if (!keepFileBounds) {
        RememberFileBounds();
        gViewZoomed = false;
    }
    if (!same) {
        gOpenedName = gMapName;
        gOpenedPath = platform::ResolvePath(target);
    }
    return true;
}

// ---- Building another view's file -------------------------------------------------------

namespace {
std::vector<std::string> ListTexts(const StringListNode* head) {
    std::vector<std::string> out;
    for (; head; head = head->next) out.push_back(head->text);
    return out;
}
void SetList(StringListNode** head, const std::vector<std::string>& texts) {
    FreeStringList(head);
    for (const std::string& t : texts) AppendStringNode(head, t);
}
}  // namespace

struct RunningViewHold::Saved {
    double bounds[4], fileBounds[4];
    bool zoomed, floatingLegend, qmxScale;
    std::string openedName, openedPath, mapName, image, city, plant, population, plt, target;
    PackedDate maxDate, minDate;
    TimeValue periodStart, speed, storedSpeed, runSpeed;
    double cutoff;
    std::int32_t minMagnitude;
    std::vector<std::string> textFiles, symbolFiles, mapFiles;
};

RunningViewHold::RunningViewHold() : saved_(new Saved) {
    Saved& s = *saved_;
    s = Saved{{gMapWest, gMapEast, gMapSouth, gMapNorth},
              {sFileBounds[0], sFileBounds[1], sFileBounds[2], sFileBounds[3]},
              gViewZoomed, gFloatingLegend, gQmxScale,
              gOpenedName, gOpenedPath, gMapName, gMapImageFile, gCityFile, gPlantFile, gPopulationImageFile,
              gPltFileName, gTargetEventFile,
              gViewMaxDate, gViewMinDate,
              gPeriodStart, gSpeed, sStoredSpeed, sRunSpeed,
              gMagnitudeCutoff, gMinMagnitude,
              ListTexts(gTextFiles), ListTexts(gSymbolFiles), ListTexts(gMapFiles)};
}

RunningViewHold::~RunningViewHold() {
    const Saved& s = *saved_;
    gMapWest = s.bounds[0];
    gMapEast = s.bounds[1];
    gMapSouth = s.bounds[2];
    gMapNorth = s.bounds[3];
    std::copy(std::begin(s.fileBounds), std::end(s.fileBounds), sFileBounds);
    gViewZoomed = s.zoomed;
    gFloatingLegend = s.floatingLegend;
    gQmxScale = s.qmxScale;
    gOpenedName = s.openedName;
    gOpenedPath = s.openedPath;
    gMapName = s.mapName;
    gMapImageFile = s.image;
    gCityFile = s.city;
    gPlantFile = s.plant;
    gPopulationImageFile = s.population;
    gPltFileName = s.plt;
    gTargetEventFile = s.target;
    gViewMaxDate = s.maxDate;
    gViewMinDate = s.minDate;
    gPeriodStart = s.periodStart;
    gSpeed = s.speed;
    sStoredSpeed = s.storedSpeed;
    sRunSpeed = s.runSpeed;
    gMagnitudeCutoff = s.cutoff;
    gMinMagnitude = s.minMagnitude;
    SetList(&gTextFiles, s.textFiles);
    SetList(&gSymbolFiles, s.symbolFiles);
    SetList(&gMapFiles, s.mapFiles);
}

// ---- Snapshots ----------------------------------------------------------------------------

ViewSnapshot TakeViewSnapshot() {
    ViewSnapshot s;
    char* text = nullptr;
    std::size_t size = 0;
    if (std::FILE* f = ::open_memstream(&text, &size)) {
        WriteSettings(f);
        std::fclose(f);
        s.settings.assign(text, size);
    }
    std::free(text);
    s.name = gMapName;
    s.openedName = gOpenedName;
    s.openedPath = gOpenedPath;
    std::copy(std::begin(sFileBounds), std::end(sFileBounds), s.fileBounds);
    s.zoomed = gViewZoomed;
    s.animationTime = gAnimationTime;
    s.mapWest = gMapWest, s.mapEast = gMapEast, s.mapSouth = gMapSouth, s.mapNorth = gMapNorth;
    std::string* derived[] = {&gCityFile, &gPlantFile, &gMapImageFile, &gPopulationImageFile, &gPltFileName, &gTargetEventFile};
    for (int i = 0; i < 6; ++i) s.derived[i] = *derived[i];
    s.noTextFiles = gTextFiles == nullptr;
    s.noSymbolFiles = gSymbolFiles == nullptr;
    return s;
}

void RestoreViewSnapshot(const ViewSnapshot& s) {
    ForgetCatalogues();
    ClearListsAndNames();
    ReadState state;
    SetDefaults(&state.speed);
    SetDerivedTimes(state.speed);
    gMapName = s.name;
    if (!gMapName.empty()) {
        gCityFile = gMapName + ".CAF";
        gPlantFile = gMapName + ".npp.txt";
    }
    if (std::FILE* f = ::fmemopen(const_cast<char*>(s.settings.data()), s.settings.size(), "r")) {
        ApplySettingsFrom(f, state);
        std::fclose(f);
    }
    gOpenedName = s.openedName;
    gOpenedPath = s.openedPath;
    std::copy(std::begin(s.fileBounds), std::end(s.fileBounds), sFileBounds);
    gViewZoomed = s.zoomed;
    gAnimationTime = s.animationTime;
    // Bounds at full precision: the text holds nine digits of them.
    gMapWest = s.mapWest, gMapEast = s.mapEast, gMapSouth = s.mapSouth, gMapNorth = s.mapNorth;
    std::string* derived[] = {&gCityFile, &gPlantFile, &gMapImageFile, &gPopulationImageFile, &gPltFileName, &gTargetEventFile};
    for (int i = 0; i < 6; ++i) *derived[i] = s.derived[i];
    // The reader's default lists stand for a view that had none.
    if (s.noTextFiles) FreeStringList(&gTextFiles);
    if (s.noSymbolFiles) FreeStringList(&gSymbolFiles);
}
