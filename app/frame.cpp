#include "app/frame.h"
#include "app/layout.h"

#include "app/application.h"
#include "app/globals.h"
#include "app/view_open.h"
#include "app/menus.h"
#include "app/network_link.h"
#include "app/select_window.h"
#include "app/sound.h"
#include "app/start_window.h"
#include "app/version.h"
#include "app/welcome.h"
#include "core/config.h"
#include "core/eruption.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "core/timevalue.h"
#include "map/child_map.h"
#include "platform/sys/files.h"
#include "platform/sys/signals.h"
#include "platform/ui/recent_files.h"

namespace ui = platform::ui;

myFrame::myFrame(ui::Window* parent, std::string caption, welcomeWindow* client)
    : Frame(parent, std::move(caption), client), welcome_(client) {
    gCanClose = true;
    if (gControls[kControlScienceOnASphere]) {
        // A missing "sos" folder only loses the daily counts.
        dailyCountsFile_ = platform::OpenFile("sos\\kestrune_pip.txt", "wt");
        if (!dailyCountsFile_) DebugLog("Cannot open sos\\kestrune_pip.txt");
    }
    gPaused = !gControls[kControlAutoStartView];
    CloseQuakeCatalogue();

    namespace st = ui::style;
    ModifyStyle(st::kBorder | st::kThickFrame | st::kMaximizeBox, 0);
    if (!gControls[kControlTitleBar]) ModifyStyle(st::kCaption | st::kSysMenu | st::kMinimizeBox, st::kPopup);
    if (gControls[kControlCanResize]) ModifyStyle(0, st::kThickFrame | st::kMaximizeBox);
    ModifyStyle(0, st::kMaximize);
}

myFrame::~myFrame() {
    for (auto& p : popups_) p.reset();
    KillTimer(kAnimationTimer);
    KillTimer(kHousekeepingTimer);
    timer1Running_ = false;
    if (dailyCountsFile_) {
        std::fclose(dailyCountsFile_);
        dailyCountsFile_ = nullptr;
    }
    CloseQuakeCatalogue();
    CloseEruptionCatalogue();
    // The screens are children: the window layer deletes them with the frame.
    layout_ = nullptr;
    welcome_ = nullptr;
    start_ = nullptr;
    buttonMenu_ = nullptr;
    retiredButtonMenu_ = nullptr;
    // Being deleted is the close; only the guard and the flag are left to settle.
    if (closeGuard_) {
        closeGuard_ = false;
        gCanClose = true;
    }
    if (gMainFrame == this) gMainFrame = nullptr;
}

void myFrame::SetupWindow() {
    Frame::SetupWindow();
    initTimeoutCountdown_ = static_cast<std::int32_t>(gInitTimeout);
    currentViewName_ = "WORLD";
    viewListFile_ = "WORLD.VUS";
    if (gControls[kControlMenuBar]) LoadPopups();
    LogVersion();
    if (!gControls[kControlCanExit] && menu()) {
        if (popups_[kPopupFile]) popups_[kPopupFile]->Delete(kCmFileExit);
        menu()->DeleteAt(kMenuBarExitPosition);
    }
    gWorldViewName = "WORLD";
    if (const int fd = platform::WatchTerminationSignals(); fd >= 0)
        ui::WatchDescriptor(fd, *this, ui::RegisterMessage(kTerminationMessage), ui::kWatchRead);
    SetTimer(kHousekeepingTimer, kHousekeepingMs);
    // The screen saver never starts while the program runs, unless DOVIREDEZUR lets it.
    HoldOffScreenSaver(!gControls[kControlDoviredezur]);
    if (!gControls[kControlWelcomeScreen]) SendCommand(kCmStartScreen);
    else if (welcome_ && client() == welcome_) welcome_->SetFocus();
}

void myFrame::LoadPopups() {
    const int count = gControls[kControlCanExit] ? 8 : 7;
    for (int k = 0; k < count; ++k) popups_[static_cast<std::size_t>(k)] = ui::LoadMenu(kPopupResources[static_cast<std::size_t>(k)]);
    if (!gControls[kControlCanRedraw] && popups_[kPopupMap]) popups_[kPopupMap]->Delete(kCmRedraw);
}

void myFrame::LogVersion() {
    const ProjectRCVersion version;
    const auto product = version.Query("ProductName");
    const auto number = version.Query("ProductVersion");
    if (!product || !number) return;
    const std::string line = "Version " + *number;
    DebugLog("%s", line.c_str());
    if (gArchiveFile.empty()) return;
    if (std::FILE* f = platform::OpenFile(gArchiveFile, "a+t")) {
        std::fprintf(f, "%s%s\n", UtcTimeStamp(), line.c_str());
        std::fclose(f);
    }
}

ui::Menu* myFrame::popup(int k) const {
    if (k < 0 || k >= static_cast<int>(popups_.size())) return nullptr;
    return popups_[static_cast<std::size_t>(k)].get();
}

void myFrame::StartAnimationTimer() { timer1Running_ = SetTimer(kAnimationTimer, static_cast<int>(interval_)); }

void myFrame::StopAnimationTimer() {
    if (timer1Running_) KillTimer(kAnimationTimer);
    timer1Running_ = false;
}

void myFrame::EvTimer(int id) {
    if (id != kAnimationTimer && id != kHousekeepingTimer) return;
    gCanClose = true;
    if (id == kHousekeepingTimer) HousekeepingTick();
    else AnimationTick();
}

void myFrame::CmUpdateHypocenters() { UpdateFromWebService(true); }

void myFrame::CmScheduledUpdate() {
    if (NetworkLink* net = NetworkLinkFor("update-server link")) net->UpdateFromServer(*this);
}

int myFrame::UpdateFromWebService(bool interactive) {
    NetworkLink* net = NetworkLinkFor("catalogue update");
    return net ? net->UpdateFromWebService(*this, interactive) : 1;
}

void myFrame::ResetIdleCountdown() {
    if (gInactivePopup) inactivityCountdown_ = CountdownSeconds(gTimeout);
}

void myFrame::UnhighlightPaneButtons() {
    if (!layout_) return;
    if (childControl* panel = layout_->control()) panel->UnhighlightButtons();
    if (childLegend* legend = layout_->legend()) legend->UnhighlightKeyButton();
    if (childMap* map = layout_->mapPane()) map->UnhighlightInformationButton();
}

void myFrame::CmStartScreen() {
    DebugLog("CmStartScreen");
    StopAnimationTimer();
    if (layout_) {
        EraseTransientMarkers();
        layout_->Destroy();
        layout_ = nullptr;
    }
    if (buttonMenu_) buttonMenu_->Show(ui::ShowCommand::Hide);
    const bool startScreen = gControls[kControlStartScreen] != 0;
    if (startScreen) {
        if (!start_) start_ = new startWindow(this);
        SetClient(start_);
        // Enter goes to the focused window: it presses Go without a click first.
        start_->SetFocus();
    }
    NoViewShown();
    // Without the start screen its successor comes at once.
    if (!startScreen) SendCommand(kCmSelectMenu);
}

bool myFrame::ScreenLeadsTheInitTimeout() const {
    // The welcome screen waits for Start once its countdown is cancelled.
    if (welcome_ && client() == welcome_ && !welcome_->destroying()) return true;
    return start_ && client() == start_ && start_->visible() && start_->timeoutRunning();
}

void myFrame::CmExit() {
    if (!closeGuard_) return;
    // A close the user cancelled leaves Exit armed for the next time.
    if (!CloseOnce()) closeGuard_ = true;
}

ui::Result myFrame::EvTerminationSignal(ui::WParam, ui::LParam) {
    if (platform::TakeTerminationSignals() > 0) {
        DebugLog("Termination signal: Exit");
        // An update or transfer under way ends at once, its catalogue as it was,
        // so that the close below is not held up by it.
        if (NetworkLink* net = InstalledNetworkLink()) net->CancelTransfers();
        terminating_ = true;
        SendCommand(kCmExit);
        terminating_ = false;
    }
    return 0;
}

bool myFrame::CloseOnce() {
    closeGuard_ = false;
    gCanClose = true;
    return CloseWindow();
}
