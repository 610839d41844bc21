#include "app/startup.h"

#include "app/clock.h"
#include "app/housekeeping.h"
#include "app/view_list.h"

#include <csignal>
#include <cstdio>
#include <memory>

#include "app/application.h"
#include "app/globals.h"
#include "app/sound.h"
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
}

std::string ReadStartupSettings() {
    DebugLog("Readpro");
    const std::string configFolder = platform::CurrentDir();
    gConfigFileFound = ReadConfigFile() == 0;  // a missing file leaves the defaults
    DebugLog("readctl");
    ReadViewFile();
    if (!gWorkingDirectory.empty()) platform::SetCurrentDir(platform::NativePath(gWorkingDirectory));
    gCurrentDirectory = platform::CurrentDir();
    gProgramDir = platform::ProgramDir();
    return configFolder;
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
        return false;
    }
    const bool ok = WriteConfigFile() == 0;
    if (moved) platform::SetCurrentDir(here);
    if (!ok) DebugLog("Cannot write QUORVEL.INI");
    return ok;
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

    const std::string configFolder = ReadStartupSettings();
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
    RewriteConfiguration(configFolder);

    FreeGlobals();
    DebugLog("Return from application .....\n\n");
    return result;
}
