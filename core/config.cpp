#include "core/config.h"

#include <charconv>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "core/alert_criteria.h"
#include "core/helpers.h"
#include "core/number_text.h"
#include "platform/sys/files.h"

std::uint8_t gControls[kControlCount] = {};

std::string gWorkingDirectory;
std::uint8_t gMuseumMode = 0;
std::uint8_t gMapTitleWindow = 0;
std::uint8_t gRunScript = 0;
std::uint8_t gExitWhenDone = 0;
std::uint8_t gRestartWhenTimeout = 0;
std::uint8_t gInactivePopup = 0;
std::uint8_t gUseLocalTime = 0;
std::uint8_t gAudio = 0;
std::string gExitButtonLabel;
int gMode = kModeNormal;
double gButtonHeight = 0;
unsigned gInitTimeout = 0;
unsigned gTimeout = 0;
unsigned gPauseAtEndSeconds = 0;
unsigned gAliveLimitSeconds = 0;
std::string gAliveWarningMessage;
std::string gLogoText;
std::string gInfoText;
std::string gConfigCityFile;
std::string gPopulationFile;

int gSegmentColors[kSegmentClassCount] = {};
int gScaleColor = 0;
int gConfigBackgroundColor = 0;
int gConfigBorderColor = 0;
int gDepthColors[kDepthColorCount] = {};
int gPopulationLevels[3] = {};
int gPopulationColors[3][3] = {};
int gDisplayColorCount = 0;
LineThickness gLineThickness;

std::optional<ConfigFont> gFonts[kFontSlotCount];

int gMidiInstrument = 0;
int gMagnitude0Note = 0;
int gMagnitude10Note = 0;
double gMidiVolume = 0;
int gClickMidi = 0;
std::uint8_t gBaseLevelMidi = 0;
int gEruptionInstruments[8] = {};

std::string gAlertHypocenterFile;
std::string gArchiveFile;
double gAlertThreshold = 0;
double gSaveThreshold = 0;
unsigned gAlertWindowHours = 0;
int gAlertSeconds = 0;
std::string gAlertPollDirectory;
std::string gAlertEventsUrl;
int gAlertPause = 0;
std::string gEmailServer;
std::string gEmailSender;
std::uint8_t gContinuousAlert = 0;
std::uint8_t gShowDuplicate = 0;

std::string gWorldEtopo5Dir;
std::string gWorldEtopo2Dir;
std::string gWorldEtopo1Dir;
std::string gWorldGtopo30Dir;
std::string gUsaEtopo5Dir;
std::string gUsaTopo30Dir;
std::string gUsaTopo9Dir;
std::string gUsaTopo3Dir;
std::string gErMapperDir;
std::string gNed1Dir;

std::string gUpdateServer;
unsigned gUpdatePort = 0;
unsigned gUpdateDays = 0;
std::uint8_t gScheduleUpdates = 0;
unsigned gUpdateHour = 0;
unsigned gUpdateMinute = 0;
IndexedArray<UpdateFileRecord> gUpdateFiles;

namespace {

constexpr const char* kConfigFileName = "QUORVEL.INI";

// Bounds past which a value would overflow the code that uses it.
constexpr long long kMaxSeconds = kMaxConfigSeconds;  // times 1000 still fits a 32-bit millisecond timer
constexpr long long kMaxLineThickness = 100;  // pixels
constexpr double kMaxButtonHeight = 100;      // text heights
constexpr long long kMaxFontHeight = 1000;    // logical units, either sign
constexpr long long kMaxFontWeight = 1000;

// Text limits of the file format (field size less one).
constexpr std::size_t kShortText = 15;
constexpr std::size_t kServerText = 31;
constexpr std::size_t kMediumText = 47;
constexpr std::size_t kFileText = 63;
constexpr std::size_t kLongText = 127;

constexpr std::uint8_t kDefaultControls[kControlCount] = {
    1, 0, 1, 1, 1, 0, 1, 1, 1, 1, 1, 0, 0, 1, 1, 0, 1, 1, 0, 0, 0,
    0, 0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0,
};
constexpr int kDefaultDepthColors[kDepthColorCount] = {4, 12, 5, 13, 3, 1, 9, 11, 10, 14, 15};
constexpr int kDefaultEruptionInstruments[8] = {0, 60, 50, 43, 41, 38, 49, 49};

const char* const kColorNames[kColorNumberCount] = {
    "BLACK",    "BLUE",      "GREEN",      "CYAN",       "RED",          "MAGENTA", "BROWN",
    "LIGHTGRAY", "DARKGRAY", "LIGHTBLUE",  "LIGHTGREEN", "LIGHTCYAN",    "LIGHTRED", "LIGHTMAGENTA",
    "YELLOW",   "WHITE",     "BLACK2",     "DOVIREDEZUR_LIGHT", "DOVIREDEZUR_DARK",
};

const char* const kModeNames[] = {"NORMAL", "LOOP", "IV_BEGIN", "IV_END"};

// Lines of the keys that the maintenance program does not know, carried
// from its read to its write so that saving there never loses them.
enum CarriedSlot { kCarriedEventsUrl, kCarriedSphere, kCarriedCount };
std::string sCarriedLines[kCarriedCount];
bool sCarriedSphereYes = false;  // the carried sphere line says YES
// Lines of the file last read that no key took: a rewrite would lose them.
int sLinesNotTaken = 0;
// A configuration that is there but could not be read: where, and why.
std::string sUnreadablePath;
std::string sUnreadableReason;

std::string AbsoluteConfigPath() {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(platform::ResolvePath(kConfigFileName), ec);
    if (ec) return platform::ResolvePath(kConfigFileName);
    std::filesystem::path canonical = std::filesystem::weakly_canonical(p, ec);
    return (ec ? p : canonical).string();
}

std::string sFontFace;  // face named by the last FONT key
void (*sSoundReceiver)(const SoundSettings&) = nullptr;

// ---- Matching one line against one key ------------------------------------------

// What a key's pattern scanned from a line.
struct KeyScan {
    std::string_view line;
    bool complete = false;     // every value of the pattern scanned
    std::size_t valueStart = 0;
    std::string_view word[3];
    long long number[3] = {};
    double real[3] = {};

    std::string_view Rest() const { return line.substr(valueStart); }
};

// True when the key takes the line: the line begins with the key's text and
// either every value scans, some values scan, or the line ends first. Blanks
// after a colon or a value match any run of blanks; other text is exact.
bool MatchKey(std::string_view pattern, std::string_view line, KeyScan& s) {
    s = KeyScan{};
    s.line = line;
    if (pattern.find('%') == std::string_view::npos) {  // the rest of the line is the value
        if (line.size() < pattern.size() || !EqualsIgnoringCase(line.substr(0, pattern.size()), pattern))
            return false;
        s.valueStart = pattern.size();
        s.complete = true;
        return true;
    }
    std::size_t i = 0;
    int values = 0;
    bool afterValue = false;
    for (std::size_t p = 0; p < pattern.size();) {
        char c = pattern[p];
        if (c == '%') {
            ++p;
            if (pattern[p] == 'l') ++p;
            char spec = pattern[p++];
            while (i < line.size() && IsSpace(line[i])) ++i;
            if (i == line.size()) return true;  // the line ended: taken, nothing scanned
            if (values == 0) s.valueStart = i;
            std::string_view rest = line.substr(i);
            std::size_t used = 0;
            long long n = 0;
            switch (spec) {
            case 's':
                while (used < rest.size() && !IsSpace(rest[used])) ++used;
                s.word[values] = rest.substr(0, used);
                break;
            case 'd':
            case 'i':
                if (!ScanLeadingInteger(rest, spec == 'i' ? 0 : 10, &n, &used) || n < INT32_MIN || n > INT32_MAX)
                    return values > 0;
                s.number[values] = n;
                break;
            case 'u':
                if (rest[0] == '-' || !ScanLeadingInteger(rest, 10, &n, &used) || n > UINT32_MAX)
                    return values > 0;
                s.number[values] = n;
                break;
            case 'g':
                if (!ScanLeadingDouble(rest, &s.real[values], &used)) return values > 0;
                break;
            default:
                return false;
            }
            i += used;
            ++values;
            afterValue = true;
            continue;
        }
        if (c == ' ' && (afterValue || (p > 0 && pattern[p - 1] == ':'))) {
            while (i < line.size() && IsSpace(line[i])) ++i;
            ++p;
            continue;
        }
        afterValue = false;
        if (i == line.size()) return true;
        if (line[i] != c) return values > 0;
        ++i;
        ++p;
    }
    s.complete = true;
    return true;
}

// ---- Applying a value (false: refused, the value stays) -----------------------------

bool SetIfYes(std::uint8_t& flag, const KeyScan& s) {
    if (IsYes(s.word[0])) flag = 1;
    return true;
}
bool ClearUnlessYes(std::uint8_t& flag, const KeyScan& s) {
    if (!IsYes(s.word[0])) flag = 0;
    return true;
}
bool AssignYes(std::uint8_t& flag, const KeyScan& s) {
    flag = IsYes(s.word[0]) ? 1 : 0;
    return true;
}
bool SetWord(std::string& text, const KeyScan& s, std::size_t limit) {
    text = s.word[0].substr(0, limit);
    return true;
}
bool SetWholeWord(std::string& text, const KeyScan& s) {
    text = s.word[0];
    return true;
}
bool SetRest(std::string& text, const KeyScan& s, std::size_t limit) {
    text = s.Rest().substr(0, limit);
    return true;
}
template <class T>
bool SetInRange(T& value, long long n, long long low, long long high) {
    if (n < low || n > high) return false;
    value = static_cast<T>(n);
    return true;
}
bool SetColor(int& color, const KeyScan& s, int value = 0) {
    return SetInRange(color, s.number[value], 0, kColorNumberCount - 1);
}
bool SetInt(int& value, const KeyScan& s) { return SetInRange(value, s.number[0], INT32_MIN, INT32_MAX); }
bool SetNote(int& note, const KeyScan& s) { return SetInRange(note, s.number[0], 0, 127); }
bool SetSeconds(unsigned& seconds, const KeyScan& s) { return SetInRange(seconds, s.number[0], 0, kMaxSeconds); }
bool SetUnsigned(unsigned& value, const KeyScan& s) { return SetInRange(value, s.number[0], 0, UINT32_MAX); }
bool SetReal(double& value, const KeyScan& s) {
    if (!std::isfinite(s.real[0])) return false;
    value = s.real[0];
    return true;
}
bool SetThickness(int& thickness, const KeyScan& s) {
    return SetInRange(thickness, s.number[0], 0, kMaxLineThickness);
}
bool SetThicknessOrAuto(int& thickness, const KeyScan& s) {
    if (EqualsIgnoringCase(s.word[0], "AUTO")) {
        thickness = kLineThicknessAuto;
        return true;
    }
    long long n = 0;
    if (!ScanLeadingInteger(s.word[0], 10, &n)) return false;
    return SetInRange(thickness, n, kLineThicknessAuto, kMaxLineThickness);
}
bool SetFontFace(const KeyScan& s) {
    sFontFace = s.Rest();
    return true;
}
bool SetFont(int slot, const KeyScan& s) {
    long long height = s.number[0], weight = s.number[1];
    if (height < -kMaxFontHeight || height > kMaxFontHeight || weight < 0 || weight > kMaxFontWeight)
        return false;
    gFonts[slot] = ConfigFont{sFontFace, static_cast<int>(height), static_cast<int>(weight)};
    return true;
}
// The bounds lines belong to the UPDATE FILE block above them.
UpdateFileRecord* LastUpdateFile() {
    if (gUpdateFiles.Count() == 0) return nullptr;
    return &gUpdateFiles[gUpdateFiles.LowerBound() + gUpdateFiles.Count() - 1];
}
bool SetUpdateBound(double UpdateFileRecord::*field, const KeyScan& s) {
    UpdateFileRecord* record = LastUpdateFile();
    if (!record) return true;
    return SetReal(record->*field, s);
}
bool AddUpdateFile(const KeyScan& s) {
    std::string name(s.Rest());
    TrimTrailingBlanks(name);
    gUpdateFiles.Add(UpdateFileRecord(name));
    return true;
}
bool SetMode(const KeyScan& s) {
    for (int m = 0; m < 4; ++m) {
        if (EqualsIgnoringCase(s.word[0], kModeNames[m])) {
            gMode = m;
            return true;
        }
    }
    return false;
}
bool SetPopulationColor(int level, const KeyScan& s) {
    for (int c = 0; c < 3; ++c)
        if (s.number[c] < 0 || s.number[c] > 255) return false;
    for (int c = 0; c < 3; ++c) gPopulationColors[level][c] = static_cast<int>(s.number[c]);
    return true;
}

// ---- The reader's keys, in the order they are tried ------------------------------------

struct ConfigKey {
    const char* pattern;
    bool (*apply)(const KeyScan&);
    int carried = -1;  // the maintenance program's build carries the line instead
};

const ConfigKey kConfigKeys[] = {
    {"DEBUG: %s", [](const KeyScan& s) { return SetIfYes(gControls[kControlDebug], s); }},
    {"WORKING DIRECTORY: %s", [](const KeyScan& s) { return SetWord(gWorkingDirectory, s, kFileText); }},
    {"NETWORK HYPOCENTER FILE NAME: %s", [](const KeyScan& s) { return SetWholeWord(gAlertHypocenterFile, s); }},
    {"ALERT HYPOCENTER FILE NAME: %s", [](const KeyScan& s) { return SetWholeWord(gAlertHypocenterFile, s); }},
    {"NETWORK ARCHIVE FILE NAME: %s", [](const KeyScan& s) { return SetWholeWord(gArchiveFile, s); }},
    {"ARCHIVE FILE NAME: %s", [](const KeyScan& s) { return SetWholeWord(gArchiveFile, s); }},
    {"ALERT THRESHOLD: %lg", [](const KeyScan& s) { return SetReal(gAlertThreshold, s); }},
    {"SAVE THRESHOLD: %lg", [](const KeyScan& s) { return SetReal(gSaveThreshold, s); }},
    {"ALERT WINDOW (HR): %u", [](const KeyScan& s) { return SetUnsigned(gAlertWindowHours, s); }},
    // Below 2 is raised to 2 after reading.
    {"ALERT SECONDS: %i",
     [](const KeyScan& s) { return SetInRange(gAlertSeconds, s.number[0], INT32_MIN, kMaxSeconds); }},
    {"ALERT POLL DIRECTORY: %s", [](const KeyScan& s) { return SetWord(gAlertPollDirectory, s, kLongText); }},
    {"ALERT USGS EVENTS URL: %s", [](const KeyScan& s) { return SetWord(gAlertEventsUrl, s, kLongText); },
     kCarriedEventsUrl},
    {"ALERT PAUSE: %i", [](const KeyScan& s) { return SetInRange(gAlertPause, s.number[0], 0, kMaxSeconds); }},
    {"EMAIL SERVER: %s", [](const KeyScan& s) { return SetWord(gEmailServer, s, kMediumText); }},
    {"EMAIL SENDER: %s", [](const KeyScan& s) { return SetWord(gEmailSender, s, kMediumText); }},
    {"CONTINUOUS ALERT: %s", [](const KeyScan& s) { return AssignYes(gContinuousAlert, s); }},
    {"SHOW DUPLICATE: %s", [](const KeyScan& s) { return AssignYes(gShowDuplicate, s); }},
    {"RUN SCRIPT: %s", [](const KeyScan& s) { return AssignYes(gRunScript, s); }},
    {"EXIT WHEN DONE: %s", [](const KeyScan& s) { return SetIfYes(gExitWhenDone, s); }},
    {"RESTART WHEN TIMEOUT: %s", [](const KeyScan& s) { return SetIfYes(gRestartWhenTimeout, s); }},
    {"LEGEND: %s",
     [](const KeyScan& s) {
         gControls[kControlNoLegend] = IsYes(s.word[0]) ? 0 : 1;
         return true;
     }},
    {"BOTTOM LEGEND: %s", [](const KeyScan& s) { return AssignYes(gControls[kControlBottomLegend], s); }},
    {"QMX LEGEND: %s", [](const KeyScan& s) { return AssignYes(gControls[kControlQmxLegend], s); }},
    {"UPDATE SERVER: %s", [](const KeyScan& s) { return SetWord(gUpdateServer, s, kServerText); }},
    {"UPDATE PORT: %u", [](const KeyScan& s) { return SetInRange(gUpdatePort, s.number[0], 0, 65535); }},
    {"UPDATE DAYS: %u", [](const KeyScan& s) { return SetUnsigned(gUpdateDays, s); }},
    {"AUTO UPDATE: %s", [](const KeyScan& s) { return SetIfYes(gControls[kControlAutoUpdate], s); }},
    {"AUTO UPDATE QUERY: %s", [](const KeyScan& s) { return SetIfYes(gControls[kControlAutoUpdateQuery], s); }},
    {"UPDATE FILE: %s", AddUpdateFile},
    {"LEFT LONGITUDE: %lg", [](const KeyScan& s) { return SetUpdateBound(&UpdateFileRecord::west, s); }},
    {"RIGHT LONGITUDE: %lg", [](const KeyScan& s) { return SetUpdateBound(&UpdateFileRecord::east, s); }},
    {"NORTH LATITUDE: %lg", [](const KeyScan& s) { return SetUpdateBound(&UpdateFileRecord::north, s); }},
    {"SOUTH LATITUDE: %lg", [](const KeyScan& s) { return SetUpdateBound(&UpdateFileRecord::south, s); }},
    {"MINIMUM MAGNITUDE: %lg", [](const KeyScan& s) { return SetUpdateBound(&UpdateFileRecord::minMagnitude, s); }},
    {"MIDI INSTRUMENT: %d", [](const KeyScan& s) { return SetNote(gMidiInstrument, s); }},
    {"MAGNITUDE 0 MIDI NOTE: %d", [](const KeyScan& s) { return SetNote(gMagnitude0Note, s); }},
    {"MAGNITUDE 10 MIDI NOTE: %d", [](const KeyScan& s) { return SetNote(gMagnitude10Note, s); }},
    {"MIDI VOLUME: %lg", [](const KeyScan& s) { return SetReal(gMidiVolume, s); }},
    {"CLICK MIDI: %d", [](const KeyScan& s) { return SetNote(gClickMidi, s); }},
    {"BASE LEVEL MIDI: %s", [](const KeyScan& s) { return SetIfYes(gBaseLevelMidi, s); }},
    {"ERUPTION %d MIDI INSTRUMENT: %d",
     [](const KeyScan& s) {
         long long n = s.number[0] < 1 ? 1 : s.number[0] > 7 ? 7 : s.number[0];
         return SetInRange(gEruptionInstruments[n], s.number[1], 0, 127);
     }},
    {"BORDER COLOR: %d", [](const KeyScan& s) { return SetColor(gConfigBorderColor, s); }},
    {"DOVIREDEZUR: %s", [](const KeyScan& s) { return SetIfYes(gControls[kControlDoviredezur], s); }},
    {"USE LOCAL TIME: %s", [](const KeyScan& s) { return SetIfYes(gUseLocalTime, s); }},
    {"WORLD ETOPO5 DIRECTORY: %s", [](const KeyScan& s) { return SetWord(gWorldEtopo5Dir, s, kLongText); }},
    {"WORLD ETOPO2 DIRECTORY: %s", [](const KeyScan& s) { return SetWord(gWorldEtopo2Dir, s, kLongText); }},
    {"WORLD ETOPO1 DIRECTORY: %s", [](const KeyScan& s) { return SetWord(gWorldEtopo1Dir, s, kLongText); }},
    {"WORLD GTOPO30 DIRECTORY: %s", [](const KeyScan& s) { return SetWord(gWorldGtopo30Dir, s, kLongText); }},
    {"USA ETOPO5 DIRECTORY: %s", [](const KeyScan& s) { return SetWord(gUsaEtopo5Dir, s, kLongText); }},
    {"USA TOPO30 DIRECTORY: %s", [](const KeyScan& s) { return SetWord(gUsaTopo30Dir, s, kLongText); }},
    {"USA TOPO9 DIRECTORY: %s", [](const KeyScan& s) { return SetWord(gUsaTopo9Dir, s, kLongText); }},
    {"USA TOPO3 DIRECTORY: %s", [](const KeyScan& s) { return SetWord(gUsaTopo3Dir, s, kLongText); }},
    {"ERMAPPER DIRECTORY: %s", [](const KeyScan& s) { return SetWord(gErMapperDir, s, kLongText); }},
    {"NED1 DIRECTORY: %s", [](const KeyScan& s) { return SetWord(gNed1Dir, s, kLongText); }},
    {"DEPTH COLOR %d: %d",
     [](const KeyScan& s) {
         long long n = s.number[0];
         if (n < 1 || n > kDepthColorCount) return true;
         return SetColor(gDepthColors[n - 1], s, 1);
     }},
    {"TITLE BAR: %s", [](const KeyScan& s) { return SetIfYes(gControls[kControlTitleBar], s); }},
    {"MENU BAR: %s", [](const KeyScan& s) { return ClearUnlessYes(gControls[kControlMenuBar], s); }},
    {"CAN EXIT: %s", [](const KeyScan& s) { return ClearUnlessYes(gControls[kControlCanExit], s); }},
    {"CAN REDRAW: %s", [](const KeyScan& s) { return ClearUnlessYes(gControls[kControlCanRedraw], s); }},
    {"SHOW INFO SPOTS: %s", [](const KeyScan& s) { return ClearUnlessYes(gControls[kControlShowInfoSpots], s); }},
    {"SHOW INFO SPOT CHECK BOX: %s",
     [](const KeyScan& s) { return SetIfYes(gControls[kControlShowInfoSpotCheckBox], s); }},
    {"MUSEUM MODE: %s", [](const KeyScan& s) { return SetIfYes(gMuseumMode, s); }},
    {"MAP TITLE WINDOW: %s", [](const KeyScan& s) { return SetIfYes(gMapTitleWindow, s); }},
    {"SHOW SLIDER: %s", [](const KeyScan& s) { return ClearUnlessYes(gControls[kControlShowSlider], s); }},
    {"DATE DISPLAY IN DAYS: %s", [](const KeyScan& s) { return SetIfYes(gControls[kControlDateDisplayInDays], s); }},
    {"SHOW PLATES BUTTON: %s",
     [](const KeyScan& s) { return ClearUnlessYes(gControls[kControlShowPlatesButton], s); }},
    {"SHOW RESTART BUTTON: %s",
     [](const KeyScan& s) { return ClearUnlessYes(gControls[kControlShowRestartButton], s); }},
    {"SHOW WORLD MENU BUTTON: %s",
     [](const KeyScan& s) { return SetIfYes(gControls[kControlShowWorldMenuButton], s); }},
    {"SHOW PAUSE BUTTON: %s", [](const KeyScan& s) { return ClearUnlessYes(gControls[kControlShowPauseButton], s); }},
    {"SHOW BACK BUTTON: %s", [](const KeyScan& s) { return ClearUnlessYes(gControls[kControlShowBackButton], s); }},
    {"SHOW INFORMATION BUTTON: %s",
     [](const KeyScan& s) { return ClearUnlessYes(gControls[kControlShowInformationButton], s); }},
    {"SHOW START OVER BUTTON: %s",
     [](const KeyScan& s) { return ClearUnlessYes(gControls[kControlShowStartOverButton], s); }},
    {"SHOW KEY BUTTON: %s", [](const KeyScan& s) { return ClearUnlessYes(gControls[kControlShowKeyButton], s); }},
    {"SHOW REPEAT BUTTON: %s",
     [](const KeyScan& s) { return ClearUnlessYes(gControls[kControlShowRepeatButton], s); }},
    {"SHOW EVENT COUNTERS: %s",
     [](const KeyScan& s) { return ClearUnlessYes(gControls[kControlShowEventCounters], s); }},
    {"SHOW EQ/ER CHECK BOXES: %s",
     [](const KeyScan& s) { return SetIfYes(gControls[kControlShowEqErCheckBoxes], s); }},
    {"SHOW SOUND BUTTON: %s", [](const KeyScan& s) { return AssignYes(gControls[kControlShowSoundButton], s); }},
    {"SHOW SCALE: %s", [](const KeyScan& s) { return SetIfYes(gControls[kControlShowScale], s); }},
    {"INITIAL INFO: %s", [](const KeyScan& s) { return SetIfYes(gControls[kControlInitialInfo], s); }},
    {"CAN RESIZE: %s", [](const KeyScan& s) { return SetIfYes(gControls[kControlCanResize], s); }},
    {"WELCOME SCREEN: %s", [](const KeyScan& s) { return ClearUnlessYes(gControls[kControlWelcomeScreen], s); }},
    {"START SCREEN: %s", [](const KeyScan& s) { return ClearUnlessYes(gControls[kControlStartScreen], s); }},
    {"USE FULL SCREEN: %s", [](const KeyScan& s) { return SetIfYes(gControls[kControlUseFullScreen], s); }},
    {"FORCE 9:16 ASPECT RATIO: %s", [](const KeyScan& s) { return SetIfYes(gControls[kControlForceAspect916], s); }},
    {"AUTO START VIEW: %s", [](const KeyScan& s) { return AssignYes(gControls[kControlAutoStartView], s); }},
    {"AUTO TERRAIN: %s", [](const KeyScan& s) { return SetIfYes(gControls[kControlAutoTerrain], s); }},
    {"DRAW IN BACKGROUND: %s", [](const KeyScan& s) { return SetIfYes(gControls[kControlDrawInBackground], s); }},
    {"EXIT BUTTON LABEL: ",
     [](const KeyScan& s) {
         SetRest(gExitButtonLabel, s, kShortText);
         TrimTrailingBlanks(gExitButtonLabel);
         return true;
     }},
    {"MODE: %s", SetMode},
    {"HIGHLIGHT BUTTONS: %s", [](const KeyScan& s) { return SetIfYes(gControls[kControlHighlightButtons], s); }},
    {"SCIENCE ON A SPHERE: %s", [](const KeyScan& s) { return SetIfYes(gControls[kControlScienceOnASphere], s); },
     kCarriedSphere},
    {"PLATES LINE THICKNESS: %u", [](const KeyScan& s) { return SetThickness(gLineThickness.plates, s); }},
    {"COUNTRY LINE THICKNESS: %s", [](const KeyScan& s) { return SetThicknessOrAuto(gLineThickness.country, s); }},
    {"STATE LINE THICKNESS: %s", [](const KeyScan& s) { return SetThicknessOrAuto(gLineThickness.state, s); }},
    {"HIGHWAY LINE THICKNESS: %u", [](const KeyScan& s) { return SetThickness(gLineThickness.highway, s); }},
    {"RIVER LINE THICKNESS: %u", [](const KeyScan& s) { return SetThickness(gLineThickness.river, s); }},
    {"COAST COLOR: %d", [](const KeyScan& s) { return SetColor(gSegmentColors[1], s); }},
    {"RIVER COLOR: %d", [](const KeyScan& s) { return SetColor(gSegmentColors[7], s); }},
    {"COUNTRY COLOR: %d", [](const KeyScan& s) { return SetColor(gSegmentColors[2], s); }},
    {"STATE COLOR: %d", [](const KeyScan& s) { return SetColor(gSegmentColors[4], s); }},
    {"PLATE COLOR: %d", [](const KeyScan& s) { return SetColor(gSegmentColors[3], s); }},
    {"HIGHWAY COLOR: %d", [](const KeyScan& s) { return SetColor(gSegmentColors[8], s); }},
    {"RIDGE COLOR: %d", [](const KeyScan& s) { return SetColor(gSegmentColors[9], s); }},
    {"CONVERGENT COLOR: %d", [](const KeyScan& s) { return SetColor(gSegmentColors[10], s); }},
    {"TRANSFORM COLOR: %d", [](const KeyScan& s) { return SetColor(gSegmentColors[11], s); }},
    {"DIFFUSE COLOR: %d", [](const KeyScan& s) { return SetColor(gSegmentColors[12], s); }},
    {"SCALE COLOR: %d", [](const KeyScan& s) { return SetColor(gScaleColor, s); }},
    {"BACKGROUND COLOR: %d", [](const KeyScan& s) { return SetColor(gConfigBackgroundColor, s); }},
    {"POPULATION FILE: %s", [](const KeyScan& s) { return SetWord(gPopulationFile, s, kFileText); }},
    {"POPULATION DENSITY LEVEL 1: %d", [](const KeyScan& s) { return SetInt(gPopulationLevels[0], s); }},
    {"POPULATION DENSITY LEVEL 2: %d", [](const KeyScan& s) { return SetInt(gPopulationLevels[1], s); }},
    {"POPULATION DENSITY LEVEL 3: %d", [](const KeyScan& s) { return SetInt(gPopulationLevels[2], s); }},
    {"POPULATION COLOR 1: %d %d %d", [](const KeyScan& s) { return SetPopulationColor(0, s); }},
    {"POPULATION COLOR 2: %d %d %d", [](const KeyScan& s) { return SetPopulationColor(1, s); }},
    {"POPULATION COLOR 3: %d %d %d", [](const KeyScan& s) { return SetPopulationColor(2, s); }},
    {"LOGO: ", [](const KeyScan& s) { return SetRest(gLogoText, s, kMediumText); }},
    {"INFO: ", [](const KeyScan& s) { return SetRest(gInfoText, s, kMediumText); }},
    {"TITLE FONT: ", SetFontFace},
    {"TITLE FONT SIZE: %d %d", [](const KeyScan& s) { return SetFont(kFontTitle, s); }},
    {"LOGO FONT: ", SetFontFace},
    {"LOGO FONT SIZE: %d %d", [](const KeyScan& s) { return SetFont(kFontLogo, s); }},
    {"INFO FONT: ", SetFontFace},
    {"INFO FONT SIZE: %d %d", [](const KeyScan& s) { return SetFont(kFontInfo, s); }},
    {"CITY FONT: ", SetFontFace},
    {"CITY FONT SIZE: %d %d", [](const KeyScan& s) { return SetFont(kFontCity, s); }},
    {"STATE FONT: ", SetFontFace},
    {"STATE FONT SIZE: %d %d", [](const KeyScan& s) { return SetFont(kFontState, s); }},
    {"COUNTRY FONT: ", SetFontFace},
    {"COUNTRY FONT SIZE: %d %d", [](const KeyScan& s) { return SetFont(kFontCountry, s); }},
    {"OCEAN FONT: ", SetFontFace},
    {"OCEAN FONT SIZE: %d %d", [](const KeyScan& s) { return SetFont(kFontOcean, s); }},
    {"CITY FILE: %s", [](const KeyScan& s) { return SetWholeWord(gConfigCityFile, s); }},
    {"AUDIO: %s", [](const KeyScan& s) { return AssignYes(gAudio, s); }},
    {"BUTTON HEIGHT: %lg",
     [](const KeyScan& s) {
         if (!(s.real[0] > 0 && s.real[0] <= kMaxButtonHeight)) return false;
         gButtonHeight = s.real[0];
         return true;
     }},
    {"SCHEDULE UPDATES: %s", [](const KeyScan& s) { return SetIfYes(gScheduleUpdates, s); }},
    {"UPDATE HOUR: %u", [](const KeyScan& s) { return SetUnsigned(gUpdateHour, s); }},
    {"UPDATE MINUTE: %u", [](const KeyScan& s) { return SetUnsigned(gUpdateMinute, s); }},
    {"INIT TIMEOUT: %u", [](const KeyScan& s) { return SetSeconds(gInitTimeout, s); }},
    {"TIMEOUT: %u", [](const KeyScan& s) { return SetSeconds(gTimeout, s); }},
    {"SECONDS TO PAUSE AT END: %u", [](const KeyScan& s) { return SetSeconds(gPauseAtEndSeconds, s); }},
    {"ALIVE LIMIT SECONDS: %u", [](const KeyScan& s) { return SetSeconds(gAliveLimitSeconds, s); }},
    {"INACTIVE POPUP: %s", [](const KeyScan& s) { return SetIfYes(gInactivePopup, s); }},
    {"ALIVE WARNING MESSAGE: ", [](const KeyScan& s) { return SetRest(gAliveWarningMessage, s, kLongText); }},
};

// ---- Reading --------------------------------------------------------------------------

// Every value as before any read: zero and empty.
void ZeroConfigValues() {
    for (auto& c : gControls) c = 0;
    for (std::string* text :
         {&gWorkingDirectory, &gExitButtonLabel, &gAliveWarningMessage, &gLogoText, &gInfoText, &gConfigCityFile,
          &gPopulationFile, &gAlertHypocenterFile, &gArchiveFile, &gAlertPollDirectory, &gAlertEventsUrl,
          &gEmailServer, &gEmailSender, &gWorldEtopo5Dir, &gWorldEtopo2Dir, &gWorldEtopo1Dir, &gWorldGtopo30Dir,
          &gUsaEtopo5Dir, &gUsaTopo30Dir, &gUsaTopo9Dir, &gUsaTopo3Dir, &gErMapperDir, &gNed1Dir, &gUpdateServer})
        text->clear();
    for (std::uint8_t* flag : {&gMuseumMode, &gMapTitleWindow, &gRunScript, &gExitWhenDone, &gRestartWhenTimeout,
                               &gInactivePopup, &gUseLocalTime, &gAudio, &gBaseLevelMidi, &gContinuousAlert,
                               &gShowDuplicate, &gScheduleUpdates})
        *flag = 0;
    for (unsigned* n : {&gInitTimeout, &gTimeout, &gPauseAtEndSeconds, &gAliveLimitSeconds, &gAlertWindowHours,
                        &gUpdatePort, &gUpdateDays, &gUpdateHour, &gUpdateMinute})
        *n = 0;
    for (int* n : {&gMode, &gScaleColor, &gConfigBackgroundColor, &gConfigBorderColor, &gDisplayColorCount,
                   &gMidiInstrument, &gMagnitude0Note, &gMagnitude10Note, &gClickMidi, &gAlertSeconds, &gAlertPause})
        *n = 0;
    for (double* x : {&gButtonHeight, &gMidiVolume, &gAlertThreshold, &gSaveThreshold}) *x = 0;
    for (auto& c : gSegmentColors) c = 0;
    for (auto& c : gDepthColors) c = 0;
    for (auto& l : gPopulationLevels) l = 0;
    for (auto& rgb : gPopulationColors)
        for (auto& c : rgb) c = 0;
    for (auto& n : gEruptionInstruments) n = 0;
    gLineThickness = LineThickness{};
    for (auto& font : gFonts) font.reset();
    gUpdateFiles.Flush();
    for (auto& line : sCarriedLines) line.clear();
    sCarriedSphereYes = false;
    sLinesNotTaken = 0;
    sFontFace.clear();
}

void SetDefaultValues() {
    for (int i = 0; i < kControlCount; ++i) gControls[i] = kDefaultControls[i];
    gAlertThreshold = 10.0;
    gAlertSeconds = 20;
    gAlertWindowHours = 24;
    gAudio = 1;
    gMode = kModeNormal;
    gButtonHeight = 2.0;
    gLineThickness = LineThickness{1, 1, 1, 1, 1};
    const int segments[kSegmentClassCount] = {0, 2, 5, 14, 3, 2, 1, 1, 13, 14, 14, 14, 14};
    for (int i = 0; i < kSegmentClassCount; ++i) gSegmentColors[i] = segments[i];
    gScaleColor = 15;
    gConfigBackgroundColor = 0;
    gConfigBorderColor = 7;
    for (int i = 0; i < kDepthColorCount; ++i) gDepthColors[i] = kDefaultDepthColors[i];
    for (auto& l : gPopulationLevels) l = 255;
    gMidiInstrument = 9;
    gMagnitude0Note = 100;
    gMagnitude10Note = 20;
    gMidiVolume = 2.0;
    gClickMidi = 77;
    for (int i = 0; i < 8; ++i) gEruptionInstruments[i] = kDefaultEruptionInstruments[i];
    gDisplayColorCount = 16;
    sFontFace = "system";
    gUpdateFiles.Flush();
}

void HandOverSoundSettings() {
    if (!sSoundReceiver) return;
    SoundSettings sound;
    sound.instrument = gMidiInstrument;
    sound.baseLevelMidi = gBaseLevelMidi != 0;
    sound.clickNote = gClickMidi;
    sound.magnitude0Note = gMagnitude0Note;
    for (int i = 1; i <= 7; ++i) sound.eruptionNotes[i] = gEruptionInstruments[i];
    sound.noteStepPerMagnitude = (gMagnitude0Note - gMagnitude10Note) / 10.0;
    sound.volume = gMidiVolume;
    sSoundReceiver(sound);
}

void FinishReading() {
    HandOverSoundSettings();
    if (gAlertSeconds < 2) gAlertSeconds = 2;
    if (!gMuseumMode) {
        gControls[kControlShowSlider] = 1;
        if (!gRestartWhenTimeout) gInactivePopup = 0;
    }
    gSegmentColors[5] = gSegmentColors[1];
    gSegmentColors[6] = gSegmentColors[7];
    for (int slot : {kFontState, kFontCountry, kFontOcean})
        if (!gFonts[slot]) gFonts[slot] = ConfigFont{"Arial", -27, 700};
}

// Lines the writer puts in that no key takes: blanks, the colour legend, and
// the second information-button line.
bool IsWritersOwnLine(const std::string& line) {
    if (line.find_first_not_of(" \t") == std::string::npos) return true;
    if (line.rfind("SHOW INFO SPOT: ", 0) == 0) return true;
    for (int i = 0; i < kColorNumberCount; ++i) {
        char legend[48];
        std::snprintf(legend, sizeof legend, "%2d - %s", i, kColorNames[i]);
        if (line == legend) return true;
    }
    return false;
}

void ReadConfigLines(std::FILE* file, ConfigBuild build) {
    std::string line;
    int number = 0;
    while (ReadWholeLine(file, line)) {
        ++number;
        const bool damaged = line.find('\0') != std::string::npos;
        EndLineAtNul(line);
        if (!line.empty() && line[0] == '[') continue;
        KeyScan scan;
        bool taken = false;
        for (const ConfigKey& key : kConfigKeys) {
            if (!MatchKey(key.pattern, line, scan)) continue;
            taken = true;
            if (key.carried >= 0 && build == ConfigBuild::kKeeper) {
                // The carried line gives the value the main program reads:
                // SCIENCE ON A SPHERE is on when any of its lines says YES.
                const bool holdsYes = key.carried == kCarriedSphere && sCarriedSphereYes;
                if (scan.complete && !holdsYes) {
                    sCarriedLines[key.carried] = line;
                    if (key.carried == kCarriedSphere) sCarriedSphereYes = IsYes(scan.word[0]);
                }
            } else if (scan.complete && !key.apply(scan)) {
                DebugLog("%s line %d: value refused: %.100s", kConfigFileName, number, line.c_str());
            }
            break;
        }
        if (damaged || (!taken && !IsWritersOwnLine(line))) ++sLinesNotTaken;
    }
}

// ---- Writing -------------------------------------------------------------------------

class ConfigWriter {
public:
    explicit ConfigWriter(std::FILE* file) : f_(file) {}
    void Section(const char* name) { std::fprintf(f_, "\n%s\n", name); }
    void Blank() { std::fputs("\n", f_); }
    void Line(const std::string& text) { std::fprintf(f_, "%s\n", text.c_str()); }
    void Flag(const char* key, std::uint8_t flag) { std::fprintf(f_, "%s: %s\n", key, YesNoText(flag ? 1 : 0)); }
    void Text(const char* key, const std::string& text) { std::fprintf(f_, "%s: %s\n", key, text.c_str()); }
    void Number(const char* key, long long n) { std::fprintf(f_, "%s: %lld\n", key, n); }
    void Real(const char* key, double x) { Text(key, FormatGeneral(x)); }
    void Thickness(const char* key, int n) {
        if (n == kLineThicknessAuto)
            Text(key, "AUTO");
        else
            Number(key, n);
    }

private:
    std::FILE* f_;
};

void WriteControls(ConfigWriter& w, ConfigBuild build) {
    w.Section("[controls]");
    w.Flag("DEBUG", gControls[kControlDebug]);
    w.Text("WORKING DIRECTORY", gWorkingDirectory);
    w.Flag("TITLE BAR", gControls[kControlTitleBar]);
    w.Flag("MENU BAR", gControls[kControlMenuBar]);
    w.Flag("CAN EXIT", gControls[kControlCanExit]);
    w.Flag("CAN REDRAW", gControls[kControlCanRedraw]);
    w.Flag("SHOW INFO SPOTS", gControls[kControlShowInfoSpots]);
    w.Flag("SHOW INFO SPOT CHECK BOX", gControls[kControlShowInfoSpotCheckBox]);
    w.Flag("MUSEUM MODE", gMuseumMode);
    w.Flag("DATE DISPLAY IN DAYS", gControls[kControlDateDisplayInDays]);
    w.Flag("SHOW SLIDER", gControls[kControlShowSlider]);
    w.Flag("SHOW PLATES BUTTON", gControls[kControlShowPlatesButton]);
    w.Flag("SHOW RESTART BUTTON", gControls[kControlShowRestartButton]);
    w.Flag("SHOW BACK BUTTON", gControls[kControlShowBackButton]);
    w.Flag("SHOW WORLD MENU BUTTON", gControls[kControlShowWorldMenuButton]);
    w.Flag("SHOW PAUSE BUTTON", gControls[kControlShowPauseButton]);
    w.Flag("SHOW INFORMATION BUTTON", gControls[kControlShowInformationButton]);
    w.Flag("SHOW INFO SPOT", gControls[kControlShowInformationButton]);  // no reader key takes it
    w.Flag("SHOW EQ/ER CHECK BOXES", gControls[kControlShowEqErCheckBoxes]);
    w.Flag("SHOW SOUND BUTTON", gControls[kControlShowSoundButton]);
    w.Flag("SHOW SCALE", gControls[kControlShowScale]);
    w.Flag("SHOW START OVER BUTTON", gControls[kControlShowStartOverButton]);
    w.Flag("SHOW KEY BUTTON", gControls[kControlShowKeyButton]);
    w.Flag("SHOW REPEAT BUTTON", gControls[kControlShowRepeatButton]);
    w.Flag("SHOW EVENT COUNTERS", gControls[kControlShowEventCounters]);
    w.Text("EXIT BUTTON LABEL", gExitButtonLabel);
    w.Flag("INITIAL INFO", gControls[kControlInitialInfo]);
    w.Flag("CAN RESIZE", gControls[kControlCanResize]);
    w.Flag("WELCOME SCREEN", gControls[kControlWelcomeScreen]);
    w.Flag("START SCREEN", gControls[kControlStartScreen]);
    w.Flag("USE FULL SCREEN", gControls[kControlUseFullScreen]);
    w.Flag("FORCE 9:16 ASPECT RATIO", gControls[kControlForceAspect916]);
    w.Flag("AUTO START VIEW", gControls[kControlAutoStartView]);
    w.Flag("AUTO TERRAIN", gControls[kControlAutoTerrain]);
    w.Flag("DRAW IN BACKGROUND", gControls[kControlDrawInBackground]);
    w.Flag("MAP TITLE WINDOW", gMapTitleWindow);
    w.Flag("RUN SCRIPT", gRunScript);
    w.Number("BORDER COLOR", gConfigBorderColor);
    w.Flag("DOVIREDEZUR", gControls[kControlDoviredezur]);
    w.Text("POPULATION FILE", gPopulationFile);
    for (int i = 0; i < 3; ++i) {
        std::string key = "POPULATION DENSITY LEVEL " + std::to_string(i + 1);
        w.Number(key.c_str(), gPopulationLevels[i]);
    }
    for (int i = 0; i < 3; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "POPULATION COLOR %d: %d %d %d", i + 1, gPopulationColors[i][0],
                      gPopulationColors[i][1], gPopulationColors[i][2]);
        w.Line(line);
    }
    w.Text("MODE", kModeNames[gMode >= kModeNormal && gMode <= kModeIvEnd ? gMode : kModeNormal]);
    w.Flag("EXIT WHEN DONE", gExitWhenDone);
    w.Flag("LEGEND", gControls[kControlNoLegend] ? 0 : 1);
    w.Flag("BOTTOM LEGEND", gControls[kControlBottomLegend]);
    w.Flag("QMX LEGEND", gControls[kControlQmxLegend]);
    w.Flag("AUDIO", gAudio);
    w.Real("BUTTON HEIGHT", gButtonHeight);
    w.Number("PLATES LINE THICKNESS", gLineThickness.plates);
    w.Thickness("COUNTRY LINE THICKNESS", gLineThickness.country);
    w.Thickness("STATE LINE THICKNESS", gLineThickness.state);
    w.Number("HIGHWAY LINE THICKNESS", gLineThickness.highway);
    w.Number("RIVER LINE THICKNESS", gLineThickness.river);
    w.Flag("HIGHLIGHT BUTTONS", gControls[kControlHighlightButtons]);
    if (build == ConfigBuild::kKeeper) {
        if (!sCarriedLines[kCarriedSphere].empty()) w.Line(sCarriedLines[kCarriedSphere]);
    } else {
        w.Flag("SCIENCE ON A SPHERE", gControls[kControlScienceOnASphere]);
    }
}

void WriteColors(ConfigWriter& w) {
    w.Section("[Color numbers:]");
    for (int i = 0; i < kColorNumberCount; ++i) {
        char line[40];
        std::snprintf(line, sizeof line, "%2d - %s", i, kColorNames[i]);
        w.Line(line);
    }
    w.Blank();
    w.Number("COAST COLOR", gSegmentColors[1]);
    w.Number("RIVER COLOR", gSegmentColors[7]);
    w.Number("COUNTRY COLOR", gSegmentColors[2]);
    w.Number("STATE COLOR", gSegmentColors[4]);
    w.Number("PLATE COLOR", gSegmentColors[3]);
    w.Number("HIGHWAY COLOR", gSegmentColors[8]);
    w.Number("RIDGE COLOR", gSegmentColors[9]);
    w.Number("CONVERGENT COLOR", gSegmentColors[10]);
    w.Number("TRANSFORM COLOR", gSegmentColors[11]);
    w.Number("DIFFUSE COLOR", gSegmentColors[12]);
    w.Number("SCALE COLOR", gScaleColor);
    w.Number("BACKGROUND COLOR", gConfigBackgroundColor);
}

void WriteMidi(ConfigWriter& w) {
    w.Section("[MIDI]");
    w.Flag("BASE LEVEL MIDI", gBaseLevelMidi);
    w.Number("MIDI INSTRUMENT", gMidiInstrument);
    w.Number("CLICK MIDI", gClickMidi);
    w.Number("MAGNITUDE 0 MIDI NOTE", gMagnitude0Note);
    w.Number("MAGNITUDE 10 MIDI NOTE", gMagnitude10Note);
    w.Real("MIDI VOLUME", gMidiVolume);
    for (int i = 1; i <= 7; ++i) {
        std::string key = "ERUPTION " + std::to_string(i) + " MIDI INSTRUMENT";
        w.Number(key.c_str(), gEruptionInstruments[i]);
    }
}

void WriteTimeouts(ConfigWriter& w) {
    w.Section("[timeouts]");
    w.Number("INIT TIMEOUT", gInitTimeout);
    w.Number("TIMEOUT", gTimeout);
    w.Flag("RESTART WHEN TIMEOUT", gRestartWhenTimeout);
    w.Flag("INACTIVE POPUP", gInactivePopup);
    w.Number("SECONDS TO PAUSE AT END", gPauseAtEndSeconds);
    w.Number("ALIVE LIMIT SECONDS", gAliveLimitSeconds);
    w.Text("ALIVE WARNING MESSAGE", gAliveWarningMessage);
}

void WriteAlerts(ConfigWriter& w, ConfigBuild build) {
    w.Section("[alerts]");
    w.Text("ALERT THRESHOLD", FormatFixed(gAlertThreshold, 1, 4));
    w.Text("SAVE THRESHOLD", FormatFixed(gSaveThreshold, 1, 4));
    w.Number("ALERT WINDOW (HR)", gAlertWindowHours);
    w.Text("ALERT HYPOCENTER FILE NAME", gAlertHypocenterFile);
    w.Text("ARCHIVE FILE NAME", gArchiveFile);
    w.Flag("CONTINUOUS ALERT", gContinuousAlert);
    w.Flag("SHOW DUPLICATE", gShowDuplicate);
    w.Flag("USE LOCAL TIME", gUseLocalTime);
    w.Text("ALERT POLL DIRECTORY", gAlertPollDirectory);
    if (build == ConfigBuild::kKeeper) {
        if (!sCarriedLines[kCarriedEventsUrl].empty()) w.Line(sCarriedLines[kCarriedEventsUrl]);
    } else {
        w.Text("ALERT USGS EVENTS URL", gAlertEventsUrl);
    }
    w.Number("ALERT SECONDS", gAlertSeconds);
    w.Number("ALERT PAUSE", gAlertPause);
    w.Text("EMAIL SERVER", gEmailServer);
    w.Text("EMAIL SENDER", gEmailSender);
    w.Blank();
}

void WriteFonts(ConfigWriter& w) {
    w.Section("[annotations & fonts]");
    w.Text("LOGO", gLogoText);
    w.Text("INFO", gInfoText);
    const char* const names[kFontSlotCount] = {nullptr, nullptr, nullptr, nullptr, nullptr, "TITLE",
                                               "LOGO",  "INFO",  "CITY",  "STATE", "COUNTRY", "OCEAN"};
    for (int slot = kFontTitle; slot <= kFontOcean; ++slot) {
        if (!gFonts[slot]) continue;
        std::string key = std::string(names[slot]) + " FONT";
        w.Text(key.c_str(), gFonts[slot]->face);
        char size[64];
        std::snprintf(size, sizeof size, "%d %d", gFonts[slot]->height, gFonts[slot]->weight);
        w.Text((key + " SIZE").c_str(), size);
    }
    w.Text("CITY FILE", gConfigCityFile);
}

void WriteTopo(ConfigWriter& w) {
    w.Section("[topo file directories]");
    w.Text("WORLD ETOPO5 DIRECTORY", gWorldEtopo5Dir);
    w.Text("WORLD ETOPO2 DIRECTORY", gWorldEtopo2Dir);
    w.Text("WORLD ETOPO1 DIRECTORY", gWorldEtopo1Dir);
    w.Text("WORLD GTOPO30 DIRECTORY", gWorldGtopo30Dir);
    w.Text("USA ETOPO5 DIRECTORY", gUsaEtopo5Dir);
    w.Text("USA TOPO30 DIRECTORY", gUsaTopo30Dir);
    w.Text("USA TOPO9 DIRECTORY", gUsaTopo9Dir);
    w.Text("USA TOPO3 DIRECTORY", gUsaTopo3Dir);
    w.Text("ERMAPPER DIRECTORY", gErMapperDir);
    w.Text("NED1 DIRECTORY", gNed1Dir);
    for (int i = 0; i < kDepthColorCount; ++i) {
        std::string key = "DEPTH COLOR " + std::to_string(i + 1);
        w.Number(key.c_str(), gDepthColors[i]);
    }
}

void WriteUpdates(ConfigWriter& w) {
    w.Section("[updates]");
    w.Text("UPDATE SERVER", gUpdateServer);
    w.Number("UPDATE PORT", gUpdatePort);
    w.Number("UPDATE DAYS", gUpdateDays);
    w.Flag("AUTO UPDATE", gControls[kControlAutoUpdate]);
    w.Flag("AUTO UPDATE QUERY", gControls[kControlAutoUpdateQuery]);
    w.Blank();
    for (const UpdateFileRecord& record : gUpdateFiles) {
        w.Text("UPDATE FILE", record.name);
        w.Real("NORTH LATITUDE", record.north);
        w.Real("SOUTH LATITUDE", record.south);
        w.Real("LEFT LONGITUDE", record.west);
        w.Real("RIGHT LONGITUDE", record.east);
        w.Real("MINIMUM MAGNITUDE", record.minMagnitude);
        w.Blank();
    }
    w.Flag("SCHEDULE UPDATES", gScheduleUpdates);
    w.Blank();
    w.Number("UPDATE HOUR", gUpdateHour);
    w.Number("UPDATE MINUTE", gUpdateMinute);
}

}  // namespace

void DeleteConfigFonts() {
    for (int slot = kFontTitle; slot <= kFontOcean; ++slot) gFonts[slot].reset();
}

void SetSoundSettingsReceiver(void (*receiver)(const SoundSettings&)) { sSoundReceiver = receiver; }

void ResetConfigValues() {
    ZeroConfigValues();
    sUnreadablePath.clear();
    sUnreadableReason.clear();
    gAlertCriteria.clear();
}

int ReadConfigFileFor(ConfigBuild build) {
    ZeroConfigValues();
    // Without a file the defaults stand, so a missing file still gives a
    // working program (a menu, a way out, fonts) and a sane file at exit.
    SetDefaultValues();
    std::FILE* file = platform::OpenFile(kConfigFileName, "rt");
    const int openErrno = errno;
    std::string unreadable;
    if (file) {
        ReadConfigLines(file, build);
        if (std::ferror(file)) unreadable = SystemErrorText(errno);
        std::fclose(file);
    } else if (platform::PathExists(kConfigFileName) && !platform::IsDirectory(platform::ResolvePath(kConfigFileName))) {
        unreadable = SystemErrorText(openErrno);
    }
    // Only a reading of the same file says whether it is readable now.
    const std::string path = AbsoluteConfigPath();
    if (!unreadable.empty()) {
        sUnreadablePath = path;
        sUnreadableReason = unreadable;
        DebugLog("%s cannot be read (%s): the defaults stand and it is not rewritten", path.c_str(),
                 unreadable.c_str());
    } else if (path == sUnreadablePath) {
        sUnreadablePath.clear();
        sUnreadableReason.clear();
    }
    FinishReading();
    ReadAlertCriteriaFile(build);
    if (!file) return 1;
    if (build == ConfigBuild::kQuorview && !platform::PathExists("sos")) {
        std::error_code ignored;
        std::filesystem::create_directory("sos", ignored);
    }
    return 0;
}

// Before a rewrite drops lines the reader could not use, the file as it was
// goes beside it, once per reading.
void KeepUnreadFile() {
    if (sLinesNotTaken == 0) return;
    std::FILE* in = platform::OpenFile(kConfigFileName, "rb");
    if (!in) return;
    const std::string backup = std::string(kConfigFileName) + ".bak";
    platform::SafeFileWriter out(backup);
    bool ok = out.ok();
    // The copy holds the same settings: no one may read it who may not read them.
    struct stat st;
    if (ok && ::fstat(::fileno(in), &st) == 0) ok = ::fchmod(::fileno(out.file()), st.st_mode & 07777) == 0;
    char buffer[8192];
    for (std::size_t n; ok && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
        ok = std::fwrite(buffer, 1, n, out.file()) == n;
    std::fclose(in);
    if (ok && out.Commit()) {
        DebugLog("Lines of %s not understood: %d; the file is kept as %s", kConfigFileName, sLinesNotTaken,
                 backup.c_str());
        sLinesNotTaken = 0;
    }
}

std::string ConfigFileUnreadable() {
    return !sUnreadablePath.empty() && AbsoluteConfigPath() == sUnreadablePath ? sUnreadableReason : std::string();
}

int WriteConfigFileFor(ConfigBuild build) {
    // What could not be read would be lost by a rewrite from the defaults.
    if (!ConfigFileUnreadable().empty()) {
        DebugLog("%s could not be read; it is left as it is", kConfigFileName);
        return 1;
    }
    KeepUnreadFile();
    platform::SafeFileWriter out(kConfigFileName);
    if (!out.ok()) {
        DebugLog("Cannot create %s", kConfigFileName);
        return 1;
    }
    DebugLog("Writing quorvel.ini");
    ConfigWriter w(out.file());
    WriteControls(w, build);
    WriteColors(w);
    WriteMidi(w);
    WriteTimeouts(w);
    WriteAlerts(w, build);
    WriteFonts(w);
    WriteTopo(w);
    WriteUpdates(w);
    if (!out.Commit()) {
        DebugLog("Writing %s failed; the old file is kept", kConfigFileName);
        return 1;
    }
    return 0;
}

int ReadConfigFile() { return ReadConfigFileFor(ConfigBuild::kQuorview); }
int WriteConfigFile() { return WriteConfigFileFor(ConfigBuild::kQuorview); }

// ---- Text scanning ------------------------------------------------------------------

