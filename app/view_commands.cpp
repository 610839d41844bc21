// The frame's view commands: opening, saving and closing views, the lists of
// views, the recent views, stepping through the group, and the close query.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/application.h"
#include "app/control_panel.h"
#include "app/dialog_conventions.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/help.h"
#include "app/layout.h"
#include "app/menus.h"
#include "app/startup.h"
#include "app/sound.h"
#include "app/startup.h"
#include "app/view_list.h"
#include "app/view_names.h"
#include "app/view_open.h"
#include "core/catalogue_rebuild.h"
#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/template_view.h"
#include "platform/sys/files.h"

namespace ui = platform::ui;
namespace fd = platform::ui::file_dialog;

namespace {

constexpr const char* kViewFilter = "Quorvel Views (*.)|*.|All Files (*.*)|*.*|";
constexpr const char* kSaveViewFilter = "View files (*.)|*.|";
constexpr const char* kViewListFilter = "Quorvel Views (*.VUS)|*.VUS|All Files (*.*)|*.*|";
constexpr const char* kAlertViewNameFile = "Alert_View_Filename.txt";

void CannotWriteView(ui::Window* owner, const std::string& name) {
    ui::Beep(ui::BeepKind::Exclamation);
    ui::MessageBox(owner, "Cannot write the view file \"" + SlashedName(name) + "\".", "Error", ui::Buttons::Ok,
                   ui::Icon::Exclamation);
}

void WriteConfigOrLog() { (void)RewriteConfiguration(ConfigurationFolder()); }

// The old view's map picture under the new name; never onto itself, and
// nothing when there is none yet.
void CopyMapImage(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty()) return;
    const auto source = platform::FindPath(from);
    if (!source) return;
    const std::string target = platform::ResolvePath(to);
    std::error_code ec;
    if (*source == target || std::filesystem::equivalent(*source, target, ec)) return;
    std::FILE* in = std::fopen(source->c_str(), "rb");
    if (!in) return;
    platform::SafeFileWriter out(target);
    bool ok = out.ok();
    char buffer[65536];
    std::size_t n = 0;
    while (ok && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0) ok = std::fwrite(buffer, 1, n, out.file()) == n;
    ok = ok && !std::ferror(in);
    std::fclose(in);
    if (!ok || !out.Commit()) DebugLog("Could not copy %s to %s", source->c_str(), target.c_str());
}

// The name the save dialog shows first: the view file's own spelling when it exists.
std::string SaveDialogName() {
    if (gMapName.empty()) return "";
    if (const auto found = platform::FindPath(gMapName)) {
        const std::string relative = ViewNameForSavedPath(*found, platform::CurrentDir());
        return relative;
    }
    return SlashedName(gMapName);
}

// Held only while asked: a Save As after Yes holds on its own.
int AskToSave(ui::Window* parent) {
    PauseForDialog pause;
    return ui::MessageBox(parent, "Do you want to save?", "The view has changed.", ui::Buttons::YesNoCancel,
                          ui::Icon::Question);
}

}  // namespace

void myFrame::QuietView() {
    gPaused = true;
    CloseInfoWindows();
    AllNotesOff();
    EraseTransientMarkers();
    CloseMidiFile();
    WriteConfigOrLog();
}

void myFrame::CmOpenView() {
    PauseForDialog pause;
    QuietView();
    fileDialog_.filter = kViewFilter;
    fileDialog_.fileName = selectedViewName_;
    fileDialog_.initialDir = gCurrentDirectory;
    fileDialog_.flags = fd::kMustExist;
    fileDialog_.filterIndex = 1;
    if (!ui::ExecuteFileDialog(this, ui::FileDialogKind::Open, fileDialog_)) return;
    if (!MayLetTheViewGo()) return;
    selectedViewName_ = ViewNameFromChosenPath(fileDialog_.fileName, platform::CurrentDir());
    if (gApplication) gApplication->recentViews().Add(selectedViewName_);
    const std::string name = selectedViewName_;
    pause.KeepPaused();  // the view opened decides whether it runs
    OpenView(name.c_str());
}

bool myFrame::SaveCurrentView() {
    if (gNewView) return SaveViewAs();
    if (!WriteViewFile()) {
        CannotWriteView(this, gMapName);
        return false;
    }
    viewChanged_ = false;
    return true;
}

void myFrame::CmSaveView() { (void)SaveCurrentView(); }

void myFrame::CmSaveViewAs() { (void)SaveViewAs(); }

bool myFrame::SaveViewAs() {
    const std::string oldImage = gMapImageFile;
    PauseForDialog pause;
    fileDialog_.filter = kSaveViewFilter;
    fileDialog_.fileName = SaveDialogName();
    fileDialog_.initialDir.clear();
    fileDialog_.flags = fd::kOverwritePrompt;
    fileDialog_.filterIndex = 1;
    if (!ui::ExecuteFileDialog(this, ui::FileDialogKind::Save, fileDialog_)) return false;
    // The saved view is the open one from now on: a later Save writes it,
    // never the view it was made from.
    const std::string name = ViewNameForSavedPath(fileDialog_.fileName, platform::CurrentDir());
    const std::string oldName = gMapName;
    const std::string oldCity = gCityFile, oldPopulation = gPopulationImageFile;
    gMapName = name;
    gMapImageFile = name + ".jpg";
    gPopulationImageFile = name + ".pop";
    gCityFile = name + ".caf";
    if (!WriteViewFile()) {
        CannotWriteView(this, name);
        gMapName = oldName;
        gMapImageFile = oldImage;
        gPopulationImageFile = oldPopulation;
        gCityFile = oldCity;
        return false;
    }
    CopyMapImage(oldImage, gMapImageFile);
    if (gApplication) gApplication->recentViews().Add(gMapName);
    gNewView = false;
    viewChanged_ = false;
    if (popups_[kPopupFile]) popups_[kPopupFile]->Enable(kCmSaveView, true);
    SetCaption(ViewCaption(gCurrentDirectory, SlashedName(gMapName)));
    return true;
}

void myFrame::CmCloseView() {
    StopAnimationTimer();
    // Without a name to save under, a cancelled Save As keeps the view open.
    if (viewChanged_ && !SaveCurrentView()) {
        StartAnimationTimer();
        return;
    }
    EraseTransientMarkers();
    gCanClose = false;
    if (layout_) {
        layout_->Destroy();
        layout_ = nullptr;
    }
    viewOpen_ = false;
    gNewView = false;
    CmStartScreen();
    SetCaption("Kestrune");
    viewOpen_ = false;
    gNewView = false;
    gCanClose = false;
}

bool myFrame::CanClose() {
    EraseTransientMarkers();
    if (viewChanged_ && viewOpen_ && terminating_) {
        // Nobody may be there to answer: what has a name is kept.
        if (gNewView) DebugLog("The new view's changes are not saved: it has no name");
        else if (!WriteViewFile()) DebugLog("Could not save view %s", SlashedName(gMapName).c_str());
    } else if (!MayLetTheViewGo()) {
        return false;
    }
    viewChanged_ = false;
    return gCanClose && Frame::CanClose();
}

bool myFrame::MayLetTheViewGo() {
    if (!viewChanged_ || !viewOpen_) return true;
    const int answer = AskToSave(this);
    // A Save As cancelled after Yes is a Cancel: the changes are kept.
    if (answer == ui::IdCancel || (answer == ui::IdYes && !SaveCurrentView())) return false;
    viewChanged_ = false;
    return true;
}

void myFrame::CmOpenViewList() {
    // The list's folder would become current while an update still writes in this one.
    if (CatalogueUpdateHold::Taken()) {
        ui::MessageBox(this, kCatalogueBeingUpdatedText, "Open List of Views", ui::Buttons::Ok, ui::Icon::None);
        return;
    }
    PauseForDialog pause;
    pauseAtEndCountdown_ = 0;
    CloseInfoWindows();
    AllNotesOff();
    CloseMidiFile();
    EraseTransientMarkers();
    WriteConfigOrLog();
    fileDialog_.filter = kViewListFilter;
    fileDialog_.fileName = SlashedName(viewListFile_);
    fileDialog_.initialDir = gCurrentDirectory;
    fileDialog_.flags = fd::kMustExist | fd::kChangeDirectory;
    fileDialog_.filterIndex = 1;
    if (!ui::ExecuteFileDialog(this, ui::FileDialogKind::Open, fileDialog_)) return;
    if (!MayLetTheViewGo()) {
        // The view stays, and with it the folder it came from.
        platform::SetCurrentDir(gCurrentDirectory);
        return;
    }
    // The dialog made the list's folder the current one: its views, its settings.
    viewListFile_ = ViewNameForSavedPath(fileDialog_.fileName, platform::CurrentDir());
    (void)ReadViewList(viewListFile_);
    gCurrentDirectory = platform::CurrentDir();
    SetConfigurationFolder(gCurrentDirectory);
    if (layout_) {
        layout_->Destroy();
        layout_ = nullptr;
    }
    DeleteConfigFonts();
    ReadConfigFile();
    ReportUnreadableSettings();
    CmSelectMenu();
}

void myFrame::CmEditViewList() {
    gPaused = true;
    CloseInfoWindows();
    WriteConfigOrLog();
    fileDialog_.filter = kViewListFilter;
    fileDialog_.fileName = SlashedName(viewListFile_);
    fileDialog_.initialDir = gCurrentDirectory;
    fileDialog_.flags = 0;
    fileDialog_.filterIndex = 1;
    if (!ui::ExecuteFileDialog(this, ui::FileDialogKind::Open, fileDialog_)) return;
    ui::MessageBox(this, "When done editing, press Play to restart action", "", ui::Buttons::Ok, ui::Icon::Information);
    OpenInNotepad(fileDialog_.fileName, this);
}

ui::Result myFrame::CmOpenRecentView(ui::WParam index, ui::LParam) {
    if (!gApplication) return 0;
    std::string stored = gApplication->recentViews().Entry(static_cast<int>(index));
    if (stored.size() > quorvelApp::kRecentTextMax) stored.resize(quorvelApp::kRecentTextMax);
    if (stored.empty() || !MayLetTheViewGo()) return 0;
    StopAnimationTimer();
    QuietView();
    // A folder that exists here stays in the name; one from elsewhere cannot be opened.
    const std::string slashed = SlashedName(stored);
    selectedViewName_ = slashed.find('/') != std::string::npos && platform::FindPath(slashed)
                            ? slashed
                            : RecentViewName(slashed);
    DebugLog("Open view from File pulldown: %s", selectedViewName_.c_str());
    if (std::FILE* f = platform::OpenFile(kAlertViewNameFile, "wt")) {
        std::fprintf(f, "%s\n", selectedViewName_.c_str());
        std::fclose(f);
    }
    const std::string name = selectedViewName_;
    OpenView(name.c_str());
    return 0;
}

void myFrame::CmStepViewList(int id) {
    if (!layout_) return;
    MapPane& map = layout_->map();
    map.FlushUpdateRect();
    map.CloseTextWindow();
    const ViewStep step = StepViewIndex(gViewListIndex, id == kCmNextListView ? 1 : -1, gGroupViewList.Count());
    if (step.clamped) {
        gViewListIndex = step.index;
        ui::Beep(ui::BeepKind::Exclamation);
        return;
    }
    if (!MayLetTheViewGo()) return;
    gViewListIndex = step.index;
    const ViewListEntry* e = ViewListEntryAt(gGroupViewList, gViewListIndex);
    if (!e) return;
    selectedViewName_ = e->viewName;
    const std::string name = selectedViewName_;
    OpenView(name.c_str());
}

void myFrame::CmTemplateView(int id) {
    if (!layout_) return;
    MapPane& map = layout_->map();
    map.FlushUpdateRect();
    map.CloseTextWindow();
    // Asked before the template's settings replace the view's.
    if (!MayLetTheViewGo()) return;
    EraseTransientMarkers();
    map.EraseMarker();
    const std::string name = ApplyTemplateView(id - 1000, this);
    if (!name.empty()) OpenView(name.c_str());
}

void myFrame::CmOpenListView() {
    const ViewListEntry* e = ViewListEntryAt(gGroupViewList, gViewListIndex);
    if (!e) {
        DebugLog("No view %d in the group of %d", gViewListIndex, gGroupViewList.Count());
        return;
    }
    if (e->viewName.empty() || !MayLetTheViewGo()) return;
    selectedViewName_ = e->viewName;
    gRedrawMap = false;
    const std::string name = selectedViewName_;
    OpenView(name.c_str());
}
