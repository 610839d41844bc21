// The configuration's keys, in the order the reader tries them, and the
// reading of its lines through them.
#include "core/config.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/config_parts.h"
#include "core/helpers.h"
#include "core/number_text.h"

using namespace config_parts;

namespace {

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

}  // namespace

namespace config_parts {

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

}  // namespace config_parts
