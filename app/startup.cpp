#include "app/startup.h"

#include "app/clock.h"
#include "app/housekeeping.h"
#include "app/view_list.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/application.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/sound.h"
#include "core/catalogue_rebuild.h"
#include "core/config.h"
#include "core/eruption.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/proj.h"
#include "platform/gfx/font.h"
#include "platform/sys/files.h"
#include "platform/ui/ui.h"

namespace gfx = platform::gfx;

namespace {
constexpr float kSphereImageHeight = 2048.0f;  // pixels of the full-globe image; its width is twice that

std::string& ConfigFolder() {
    static std::string folder;
    return folder;
}
}  // namespace

const std::string& ConfigurationFolder() { return ConfigFolder(); }

void SetConfigurationFolder(const std::string& folder) { ConfigFolder() = folder; }

std::string ReadStartupSettings() {
    DebugLog("Readpro");
    const std::string configFolder = platform::CurrentDir();
    ConfigFolder() = configFolder;
    SetSoundSettingsReceiver(&TakeSoundSettings);  // the reader hands the sound settings over
    gConfigFileFound = ReadConfigFile() == 0;      // a missing file leaves the defaults
    ReportUnreadableSettings();
    DebugLog("readctl");
    ReadViewFile();
    if (!gWorkingDirectory.empty()) platform::SetCurrentDir(platform::NativePath(gWorkingDirectory));
    gCurrentDirectory = platform::CurrentDir();
    gProgramDir = platform::ProgramDir();
    RepairAfterACrash(configFolder);
    return configFolder;
}

void RepairAfterACrash(const std::string& configFolder) {
    std::vector<std::string> folders = {gCurrentDirectory};
    for (const std::string& f : {gProgramDir, configFolder})
        if (!f.empty() && std::find(folders.begin(), folders.end(), f) == folders.end()) folders.push_back(f);
    std::vector<std::string> catalogues;
    for (const UpdateFileRecord& file : gUpdateFiles) catalogues.push_back(file.name);
    for (const std::string& line : RecoverCatalogues(catalogues, folders)) DebugLog("%s", line.c_str());
    for (const std::string& folder : folders)
        for (const std::string& name : platform::RemoveStaleTemporaryFiles(folder))
            DebugLog("Removed the stale %s", name.c_str());
}

void MeasureScreen() {
    const platform::ui::Size screen = platform::ui::ScreenSize();
    gScreenHeight = screen.height;
    gScreenWidth = screen.width;
    DebugLog("Resolution: %d x %d", gScreenWidth, gScreenHeight);
    const auto system = gfx::Font::System();
    gScreenMetrics = system ? system->metrics() : gfx::TextMetrics{};
    gLargeFont.reset();
    gLargeMetrics = gScreenMetrics;
    if (!WantsLargeFont(gScreenWidth, gScreenMetrics.aveCharWidth)) return;
    gLargeFont = gfx::Font::Create("MS Sans Serif", static_cast<int>(gScreenMetrics.height * 1.5), gfx::kBoldWeight);
    if (gLargeFont) gLargeMetrics = gLargeFont->metrics();
}

bool RewriteConfiguration(const std::string& folder) {
    const std::string here = platform::CurrentDir();
    const bool moved = !folder.empty() && folder != here;
    if (moved && !platform::SetCurrentDir(folder)) {
        DebugLog("Cannot write QUORVEL.INI: %s is gone", folder.c_str());
        ReportSettingsNotWritten(folder);
        return false;
    }
    const bool ok = WriteConfigFile() == 0;
    // An unreadable file was reported when it was read, and is left alone on purpose.
    const bool unreadable = !ok && !ConfigFileUnreadable().empty();
    if (moved) platform::SetCurrentDir(here);
    if (!ok && !unreadable) ReportSettingsNotWritten(folder);
    return ok;
}

void ReportUnreadableSettings() {
    const std::string reason = ConfigFileUnreadable();
    if (reason.empty()) return;
    const std::string text = "QUORVEL.INI in " + platform::CurrentDir() + " cannot be read (" + reason +
                             "). This run uses the default settings and does not save them.";
    std::fprintf(stderr, "Quorview: %s\n", text.c_str());
    if (gMainFrame)
        platform::ui::MessageBox(gMainFrame, text, "Settings", platform::ui::Buttons::Ok, platform::ui::Icon::Exclamation);
}

void ReportSettingsNotWritten(const std::string& folder) {
    const std::string text = "The settings could not be written to QUORVEL.INI in " +
                             (folder.empty() ? platform::CurrentDir() : folder) + "; the changes of this run are lost.";
    DebugLog("Cannot write QUORVEL.INI");
    // The debug log sits in the same folder, so it is no report of its own.
    if (gMainFrame) {
        platform::ui::MessageBox(gMainFrame, text, "Settings", platform::ui::Buttons::Ok, platform::ui::Icon::Exclamation);
    } else {
        std::fprintf(stderr, "Quorview: %s\n", text.c_str());
    }
}

void FreeGlobals() {
    gEventLabels.Flush();
    for (int slot : {kFontTitle, kFontLogo, kFontInfo}) gFonts[slot].reset();
    gLargeFont.reset();
    gLegendFont.reset();
    FreeStringList(&gMapFiles);
    FreeStringList(&gTextFiles);
    FreeStringList(&gLineFiles);
    FreeStringList(&gSymbolFiles);
    gEruptionVisibleBits.reset();
    gQuakeVisibleBits.reset();
    ClearDisplayedEruptions();
    gAlertMessages.clear();
    gFeedLines.clear();
    gViewList.Flush();
    gGroupViewList.Flush();
}

int OwlMain(int, char**) {
    // Before anything is read or written: without a display the program
    // cannot run, and leaves every file as it found it.
    if (std::string why; !platform::ui::DisplayAvailable(&why)) {
        std::fprintf(stderr, "Quorview: %s; it needs a graphical display to run.\n", why.c_str());
        return 1;
    }
    // Sockets need no library start here; a closed peer must not end the process.
    std::signal(SIGPIPE, SIG_IGN);

    (void)ReadStartupSettings();
    MeasureScreen();
    gSphereMapping = {kSphereImageHeight / 180.0f, -kSphereImageHeight / 180.0f, 180.0f, -90.0f};
    BuildMercatorTable();

    DebugLog("Run the application");
    auto app = std::make_unique<quorvelApp>();
    DebugLog("Run");
    const int result = app->Run() == 0 ? 0 : 1;

    FreeMercatorTable();
    CloseMidiFile();
    app.reset();
    CloseMidiOut();
    // Open List of Views may have moved the settings to another folder since the start.
    const bool saved = RewriteConfiguration(ConfigurationFolder());

    FreeGlobals();
    DebugLog("Return from application .....\n\n");
    return saved ? result : 1;
}
