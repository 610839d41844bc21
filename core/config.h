#pragma once
// Process-wide configuration values read from and written to "QUORVEL.INI".
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/helpers.h"
#include "core/indexed_array.h"

// ---- Yes/no flags of gControls ------------------------------------------------

inline constexpr int kControlCount = 41;
inline constexpr int kControlMenuBar = 0;
inline constexpr int kControlTitleBar = 1;
inline constexpr int kControlCanExit = 2;
inline constexpr int kControlCanRedraw = 3;
inline constexpr int kControlShowInfoSpots = 4;
inline constexpr int kControlShowInfoSpotCheckBox = 5;
inline constexpr int kControlShowSlider = 6;
inline constexpr int kControlShowPlatesButton = 7;
inline constexpr int kControlShowRestartButton = 8;
inline constexpr int kControlShowPauseButton = 9;
inline constexpr int kControlShowInformationButton = 10;
inline constexpr int kControlShowEqErCheckBoxes = 11;
inline constexpr int kControlShowSoundButton = 12;
inline constexpr int kControlShowStartOverButton = 13;
inline constexpr int kControlShowRepeatButton = 14;
inline constexpr int kControlShowWorldMenuButton = 15;
inline constexpr int kControlShowBackButton = 16;
inline constexpr int kControlShowKeyButton = 17;
inline constexpr int kControlUseFullScreen = 18;
inline constexpr int kControlForceAspect916 = 19;
inline constexpr int kControlInitialInfo = 20;
inline constexpr int kControlCanResize = 21;
inline constexpr int kControlNoLegend = 22;  // stored inverted: 1 = no legend
inline constexpr int kControlQmxLegend = 23;
inline constexpr int kControlBottomLegend = 24;
inline constexpr int kControlWelcomeScreen = 25;
inline constexpr int kControlStartScreen = 26;
inline constexpr int kControlDateDisplayInDays = 27;
inline constexpr int kControlHighlightButtons = 28;
inline constexpr int kControlShowEventCounters = 29;
inline constexpr int kControlAutoUpdate = 31;
inline constexpr int kControlAutoUpdateQuery = 32;
inline constexpr int kControlPopulation = 33;  // no key: the map menu's population overlay switch
inline constexpr int kControlDoviredezur = 34;
inline constexpr int kControlDebug = 35;
inline constexpr int kControlAutoStartView = 36;
inline constexpr int kControlAutoTerrain = 37;
inline constexpr int kControlDrawInBackground = 38;
inline constexpr int kControlShowScale = 39;
inline constexpr int kControlScienceOnASphere = 40;

extern std::uint8_t gControls[kControlCount];  // yes/no flags, 0 or 1

// ---- Kiosk, screens and run mode --------------------------------------------------

inline constexpr int kModeNormal = 0;
inline constexpr int kModeLoop = 1;
inline constexpr int kModeIvBegin = 2;
inline constexpr int kModeIvEnd = 3;

extern std::string gWorkingDirectory;      // folder name, at most 63 characters
extern std::uint8_t gMuseumMode;           // flag
extern std::uint8_t gMapTitleWindow;       // flag
extern std::uint8_t gRunScript;            // flag
extern std::uint8_t gExitWhenDone;         // flag
extern std::uint8_t gRestartWhenTimeout;   // flag
extern std::uint8_t gInactivePopup;        // flag
extern std::uint8_t gUseLocalTime;         // flag
extern std::uint8_t gAudio;                // flag
extern std::string gExitButtonLabel;       // button text, at most 15 characters
extern int gMode;                          // kModeNormal .. kModeIvEnd
extern double gButtonHeight;               // button height in text heights, > 0
extern unsigned gInitTimeout;              // seconds
extern unsigned gTimeout;                  // seconds of inactivity
extern unsigned gPauseAtEndSeconds;        // seconds
// The most seconds any time-out or pause of the file may hold.
inline constexpr int kMaxConfigSeconds = 2'000'000;
extern unsigned gAliveLimitSeconds;        // seconds
extern std::string gAliveWarningMessage;   // text, at most 127 characters
extern std::string gLogoText;              // text, at most 47 characters
extern std::string gInfoText;              // text, at most 47 characters
extern std::string gConfigCityFile;        // file name, whole
extern std::string gPopulationFile;        // file name, at most 63 characters

// ---- Colours and lines ----------------------------------------------------------------

inline constexpr int kColorNumberCount = 19;    // colour numbers 0..18
inline constexpr int kSegmentClassCount = 13;   // classes 1..12; slot 0 unused
inline constexpr int kDepthColorCount = 11;

extern int gSegmentColors[kSegmentClassCount];  // colour number per map-segment class 1..12
extern int gScaleColor;                         // colour number
extern int gConfigBackgroundColor;              // colour number
extern int gConfigBorderColor;                  // colour number
extern int gDepthColors[kDepthColorCount];      // colour numbers of DEPTH COLOR 1..11
extern int gPopulationLevels[3];                // population density levels
extern int gPopulationColors[3][3];             // red, green, blue 0..255 per level
extern int gDisplayColorCount;                  // colours of the display, for the map renderer

inline constexpr int kLineThicknessAuto = -1;   // width chosen from the map scale
struct LineThickness {
    int plates = 0;   // pixels
    int country = 0;  // pixels, or kLineThicknessAuto
    int state = 0;    // pixels, or kLineThicknessAuto
    int highway = 0;  // pixels
    int river = 0;    // pixels
};
extern LineThickness gLineThickness;

// ---- Fonts ------------------------------------------------------------------------------

// What a font is made from; the drawing layer makes the real font.
struct ConfigFont {
    std::string face;
    int height = 0;  // logical units; negative: character height
    int weight = 0;  // 100..900, 400 normal, 700 bold
    friend bool operator==(const ConfigFont&, const ConfigFont&) = default;
};
inline constexpr int kFontTitle = 5;
inline constexpr int kFontLogo = 6;
inline constexpr int kFontInfo = 7;
inline constexpr int kFontCity = 8;
inline constexpr int kFontState = 9;
inline constexpr int kFontCountry = 10;
inline constexpr int kFontOcean = 11;
inline constexpr int kFontSlotCount = 12;  // slots kFontTitle..kFontOcean are the configuration's
extern std::optional<ConfigFont> gFonts[kFontSlotCount];

// Empties font slots 5..11.
void DeleteConfigFonts();

// ---- Sound ---------------------------------------------------------------------------------

extern int gMidiInstrument;             // MIDI program 0..127
extern int gMagnitude0Note;             // MIDI note 0..127
extern int gMagnitude10Note;            // MIDI note 0..127
extern double gMidiVolume;              // volume factor
extern int gClickMidi;                  // MIDI note 0..127
extern std::uint8_t gBaseLevelMidi;     // flag
extern int gEruptionInstruments[8];     // MIDI notes 0..127 of eruption sizes 1..7; slot 0 unused

// What the sound module takes over after each read.
struct SoundSettings {
    int instrument = 0;
    bool baseLevelMidi = false;
    int clickNote = 0;
    int magnitude0Note = 0;
    int eruptionNotes[8] = {};        // sizes 1..7
    double noteStepPerMagnitude = 0;  // (magnitude-0 note - magnitude-10 note) / 10
    double volume = 0;
};
// The program's start-up registers the sound module here; nullptr removes it.
void SetSoundSettingsReceiver(void (*receiver)(const SoundSettings&));

// ---- Alerts and e-mail -------------------------------------------------------------------

extern std::string gAlertHypocenterFile;  // catalogue file name, whole
extern std::string gArchiveFile;          // file name, whole
extern double gAlertThreshold;            // magnitude
extern double gSaveThreshold;             // magnitude
extern unsigned gAlertWindowHours;        // hours
extern int gAlertSeconds;                 // seconds between feed polls, at least 2
extern std::string gAlertPollDirectory;   // folder name, at most 127 characters
extern std::string gAlertEventsUrl;       // event feed address, at most 127 characters
extern int gAlertPause;                   // seconds, at least 0
extern std::string gEmailServer;          // host name, at most 47 characters
extern std::string gEmailSender;          // address, at most 47 characters
extern std::uint8_t gContinuousAlert;     // flag
extern std::uint8_t gShowDuplicate;       // flag

// ---- Terrain folders ------------------------------------------------------------------------

extern std::string gWorldEtopo5Dir;   // folder names, at most 127 characters each
extern std::string gWorldEtopo2Dir;
extern std::string gWorldEtopo1Dir;
extern std::string gWorldGtopo30Dir;
extern std::string gUsaEtopo5Dir;
extern std::string gUsaTopo30Dir;
extern std::string gUsaTopo9Dir;
extern std::string gUsaTopo3Dir;
extern std::string gErMapperDir;
extern std::string gNed1Dir;

// ---- Catalogue updates ------------------------------------------------------------------------

// One UPDATE FILE block: the catalogue and the box and magnitude it is updated for.
struct UpdateFileRecord {
    UpdateFileRecord() = default;
    explicit UpdateFileRecord(std::string_view catalogue) : name(catalogue) {}

    std::string name;          // catalogue file name, whole
    double south = -85;        // degrees
    double north = 85;         // degrees
    double west = -180;        // degrees
    double east = 180;         // degrees
    double minMagnitude = 0;
};

extern std::string gUpdateServer;                  // host name, at most 31 characters
extern unsigned gUpdatePort;                       // TCP port 0..65535
extern unsigned gUpdateDays;                       // days before the catalogue's last record
extern std::uint8_t gScheduleUpdates;              // flag
extern unsigned gUpdateHour;                       // hour of the day, UTC
extern unsigned gUpdateMinute;                     // minute of the hour
extern IndexedArray<UpdateFileRecord> gUpdateFiles;  // in file order

// ---- Reading and writing ------------------------------------------------------------------------

// Reads "QUORVEL.INI" and then "alert_criteria.txt" from the current folder.
// 1 when "QUORVEL.INI" cannot be opened (the defaults then stand), else 0.
int ReadConfigFile();
// Replaces "QUORVEL.INI" from the values; 1 when it could not be written
// (the old file is then left as it was), else 0. A file that the last reading
// of it found but could not read is never rewritten.
[[nodiscard]] int WriteConfigFile();
// Why "QUORVEL.INI" of the current folder could not be read when it was last
// read (it exists, but e.g. "Permission denied"); empty when it was read or is missing.
std::string ConfigFileUnreadable();

// The two programs build the reader and writer differently: the maintenance
// program knows neither the event feed address nor the sphere display, and
// carries their lines through unchanged.
enum class ConfigBuild { kQuorview, kKeeper };
int ReadConfigFileFor(ConfigBuild build);
[[nodiscard]] int WriteConfigFileFor(ConfigBuild build);


// Every configuration value back to its state before any read (zero, empty),
// the alert criteria included; for tests.
void ResetConfigValues();
