// The configuration's settings, their defaults, and reading QUORVEL.INI.
#include "core/config.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "core/alert_criteria.h"
#include "core/config_parts.h"
#include "core/helpers.h"
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

namespace config_parts {
std::string sCarriedLines[kCarriedCount];
bool sCarriedSphereYes = false;
int sLinesNotTaken = 0;
std::string sFontFace;
}  // namespace config_parts
using namespace config_parts;

namespace {

constexpr std::uint8_t kDefaultControls[kControlCount] = {
    1, 0, 1, 1, 1, 0, 1, 1, 1, 1, 1, 0, 0, 1, 1, 0, 1, 1, 0, 0, 0,
    0, 0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0,
};
constexpr int kDefaultDepthColors[kDepthColorCount] = {4, 12, 5, 13, 3, 1, 9, 11, 10, 14, 15};
constexpr int kDefaultEruptionInstruments[8] = {0, 60, 50, 43, 41, 38, 49, 49};

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

void (*sSoundReceiver)(const SoundSettings&) = nullptr;

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

std::string ConfigFileUnreadable() {
    return !sUnreadablePath.empty() && AbsoluteConfigPath() == sUnreadablePath ? sUnreadableReason : std::string();
}

int ReadConfigFile() { return ReadConfigFileFor(ConfigBuild::kQuorview); }
