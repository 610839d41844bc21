// Writing QUORVEL.INI: its sections in order, through the safe writer, with
// the file as it was kept beside it when the reader could not use all of it.
#include "core/config.h"

#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "core/config_parts.h"
#include "core/helpers.h"
#include "core/number_text.h"
#include "platform/sys/files.h"

using namespace config_parts;

namespace {

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

int WriteConfigFile() { return WriteConfigFileFor(ConfigBuild::kQuorview); }
