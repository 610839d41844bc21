#include "keeper/keeper.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "app/dialog_conventions.h"
#include "app/help.h"
#include "app/prompt_dialogs.h"
#include "core/config.h"
#include "core/helpers.h"
#include "core/keeper_config.h"
#include "keeper/control_dialog.h"
#include "platform/gfx/draw_context.h"
#include "platform/sys/files.h"
#include "platform/sys/process.h"
#include "platform/ui/ui.h"

namespace ui = platform::ui;
namespace gfx = platform::gfx;
using ui::MenuSpec;

namespace {

constexpr const char* kConfigName = "QUORVEL.INI";
constexpr std::size_t kNumberBuffer = 7;  // digits
constexpr ui::Size kFrameSize{640, 240};

// Set by each reading: the folder read, and whether its file was there but unreadable.
struct ReadState {
    std::string folder;
    bool unreadable = false;
};
ReadState& LastRead() {
    static ReadState state;
    return state;
}

void Tell(ui::Window* owner, const std::string& text) {
    ui::MessageBox(owner, text, "Kestrune Maintenance", ui::Buttons::Ok, ui::Icon::Exclamation);
}

}  // namespace

void ReadKeeperConfiguration() {
    const bool exists = platform::PathExists(kConfigName);
    LastRead() = {platform::CurrentDir(), keeper::ReadConfigFile() != 0 && exists};
}

std::string ConfigPath(const std::string& folder) {
    std::string path = folder;
    if (path.empty() || path.back() != '/') path += '/';
    return path + kConfigName;
}

std::string KeeperCaption(const std::string& folder) { return "Kestrune Maintenance: " + ConfigPath(folder); }

void RegisterKeeperMenu() {
    ui::RegisterMenu(kKeeperMenu, {
        MenuSpec::Popup("&File", {
            MenuSpec::Item(kKeeperCmFileOpen, "&Open..."),
            MenuSpec::Item(kKeeperCmFileSave, "&Save"),
            MenuSpec::Item(kKeeperCmFileSaveAs, "Save &as..."),
            MenuSpec::Separator(),
            MenuSpec::Item(kKeeperCmExit, "E&xit"),
        }),
        MenuSpec::Popup("&Preferences", {
            MenuSpec::Item(kKeeperCmControl, "&Control..."),
            MenuSpec::Item(kKeeperCmOpeningScreenTimeout, "&Opening Screen Timeout..."),
            MenuSpec::Item(kKeeperCmUserTimeout, "&User Timeout..."),
            MenuSpec::Item(kKeeperCmPauseTime, "&Pause time at end..."),
        }),
        MenuSpec::Popup("&Alerts", {MenuSpec::Item(kKeeperCmPollDirectory, "Poll &Directory...")}),
        MenuSpec::Popup("&Help", {MenuSpec::Item(kKeeperCmHelp, "&Help"), MenuSpec::Item(kKeeperCmAbout, "&About")}),
    });
}

// ---- the windows -------------------------------------------------------------------------------

void myWindow::Paint(ui::BackBuffer& buffer, const ui::Rect& damaged) {
    // Nothing of its own: the window's colour, so a resize shows no stale pixels.
    gfx::DrawContext dc(buffer);
    dc.FillRect(damaged, gfx::Brush::Solid(gfx::Color(240, 240, 240)));
}

smFrame::smFrame() : Frame(nullptr, "", new myWindow) {
    fileData_.fileName = kConfigName;
    fileData_.filter = "Kestrune (quorvel.ini)|*.INI|";
    fileData_.flags = ui::file_dialog::kChangeDirectory;
}

const ui::ResponseTable& smFrame::Table() {
    using R = ui::ResponseTableOf<smFrame, ui::Frame>;
    static const ui::ResponseTable table = R::Build({
        R::Command(kKeeperCmFileOpen, &smFrame::CmFileOpen),
        R::Command(kKeeperCmFileSave, &smFrame::CmFileSave),
        R::Command(kKeeperCmFileSaveAs, &smFrame::CmFileSaveAs),
        R::Command(kKeeperCmExit, &smFrame::CmExit),
        R::Command(kKeeperCmControl, &smFrame::CmControl),
        R::Command(kKeeperCmOpeningScreenTimeout, &smFrame::CmOpeningScreenTimeout),
        R::Command(kKeeperCmUserTimeout, &smFrame::CmUserTimeout),
        R::Command(kKeeperCmPauseTime, &smFrame::CmPauseTime),
        R::Command(kKeeperCmPollDirectory, &smFrame::CmPollDirectory),
        R::Command(kKeeperCmHelp, &smFrame::CmHelp),
    });
    return table;
}

void smFrame::EvSize(ui::Size client) {
    Frame::EvSize(client);
    Invalidate();
    if (Window* c = this->client()) c->Invalidate();
}

void smFrame::ReadFolder() {
    ReadKeeperConfiguration();
    SetCaption(KeeperCaption(LastRead().folder));
}

bool smFrame::MayWrite() {
    const std::string here = platform::CurrentDir();
    if (LastRead().unreadable && LastRead().folder == here) {
        Tell(this, ConfigPath(here) + " exists but could not be read, so it is not written over.");
        return false;
    }
    std::vector<std::string> folders = {here};
    if (!gWorkingDirectory.empty()) folders.push_back(platform::NativePath(gWorkingDirectory));
    if (!platform::ProgramRunsIn("Quorview", folders)) return true;
    const int answer = ui::MessageBox(
        this,
        "Quorview is running in this folder. When it exits it writes its own settings to QUORVEL.INI, "
        "and a change made here would be lost; exit Quorview first to keep it.\n\nChange the settings anyway?",
        "Kestrune Maintenance", ui::Buttons::YesNo, ui::Icon::Exclamation);
    return answer == ui::IdYes;
}

bool smFrame::WriteSettings() {
    if (keeper::WriteConfigFile() == 0) return true;
    Tell(this, "The settings could not be written to " + ConfigPath(platform::CurrentDir()) +
                   "; the file is left as it was.");
    return false;
}

void smFrame::CmFileOpen() {
    if (!CanClose()) return;
    if (!ui::ExecuteFileDialog(this, ui::FileDialogKind::Open, fileData_)) return;
    // Whatever file was chosen, its folder's QUORVEL.INI is the one read.
    ReadFolder();
}

void smFrame::CmFileSave() {
    if (MayWrite()) WriteSettings();
}

void smFrame::CmFileSaveAs() {
    if (!ui::ExecuteFileDialog(this, ui::FileDialogKind::Save, fileData_)) return;
    if (MayWrite()) WriteSettings();
}

void smFrame::CmExit() { CloseWindow(); }

void smFrame::CmControl() {
    if (!MayWrite()) return;
    controlDialog dialog(this);
    if (dialog.Execute() == ui::IdOk) WriteSettings();
}

void smFrame::PromptSeconds(const char* title, const char* prompt, unsigned* setting) {
    if (!MayWrite()) return;
    std::string text = std::to_string(*setting);
    inputDialog dialog(this, kInputDialogTemplate, text, title, prompt, kNumberBuffer);
    if (dialog.Execute() != ui::IdOk) return;
    if (LeadingNumber(text).value_or(0) < 0) {
        ui::MessageBox(this, "A time cannot be negative; it stays " + std::to_string(*setting) + " seconds.", title,
                       ui::Buttons::Ok, ui::Icon::Exclamation);
        return;
    }
    // Text without a number is no time: 0.
    *setting = static_cast<unsigned>(DialogInt(text, 0, kMaxConfigSeconds, 0));
    WriteSettings();
}

void smFrame::CmOpeningScreenTimeout() { PromptSeconds("Opening Screen Timeout", "Time in sec", &gInitTimeout); }
void smFrame::CmUserTimeout() { PromptSeconds("User Timeout", "Specify time in seconds", &gTimeout); }
void smFrame::CmPauseTime() {
    if (MayWrite()) PromptPauseAtEnd(this, ConfigBuild::kKeeper);
}

void smFrame::CmPollDirectory() {
    if (!MayWrite()) return;
    std::string text = gAlertPollDirectory;
    // Room for one character more than may be stored, so a longer directory
    // is seen and refused, never cut.
    inputDialog dialog(this, kInputDialogTemplate, text, "Poll Directory", "Poll directory for alerts",
                       kPollDirectoryLimit + 1);
    if (dialog.Execute() != ui::IdOk) return;
    // Blanks around it are lost at the next reading anyway.
    const std::size_t first = text.find_first_not_of(" \t");
    text = first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (text.size() > kPollDirectoryLimit) {
        Tell(this, "The poll directory may have at most " + std::to_string(kPollDirectoryLimit) +
                       " characters; it is left as it was.");
        return;
    }
    if (text.find_first_of(" \t") != std::string::npos) {
        // QUORVEL.INI keeps it as one word: the rest would be lost at the next start.
        Tell(this, "The poll directory cannot contain blanks; it is left as it was.");
        return;
    }
    gAlertPollDirectory = text;
    WriteSettings();
}

void smFrame::CmHelp() { ShowHelp(help_topic::kKeeper, this); }

void TMyApp::InitMainWindow() {
    RegisterKeeperMenu();
    auto frame = std::make_unique<smFrame>();
    frame->SetCaption(KeeperCaption(platform::CurrentDir()));
    frame->SetStyle(ui::style::kOverlapped);
    // A real height: the menu bar and a strip of client, centred on the screen.
    const ui::Size screen = ui::ScreenSize();
    frame->MoveWindow(ui::Rect::FromSize(std::max(0, (screen.width - kFrameSize.width) / 2),
                                         std::max(0, (screen.height - kFrameSize.height) / 2), kFrameSize.width,
                                         kFrameSize.height));
    frame->AssignMenu(kKeeperMenu);
    SetMainWindow(std::move(frame));
}

int KeeperMain() {
    if (std::string why; !ui::DisplayAvailable(&why)) {
        std::fprintf(stderr, "quorkeeper: %s; it needs a graphical display to run.\n", why.c_str());
        return 1;
    }
    ReadKeeperConfiguration();
    TMyApp app;
    return app.Run() != 0 ? 1 : 0;
}
