// The frame's commands that change how the animation runs and what it shows.
#include "app/display_commands.h"

#include <algorithm>

#include "app/control_panel.h"
#include "app/dialog_conventions.h"
#include "app/event_sizes_dialog.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/layout.h"
#include "app/menus.h"
#include "app/prompt_dialogs.h"
#include "app/sound.h"
#include "app/startup.h"
#include "app/view_open.h"
#include "core/config.h"
#include "core/helpers.h"
#include "core/number_text.h"
#include "core/view.h"
#include "map/child_map.h"

namespace ui = platform::ui;

namespace {


constexpr std::size_t kLocalTimeBuffer = 8;

// A window and the controls drawn in it, so values held by its children show too.
void RepaintWithChildren(ui::Window* w) {
    if (!w) return;
    w->Invalidate();
    for (ui::Window* c : w->children()) RepaintWithChildren(c);
}

}  // namespace

// ---- the settings steps

ViewKind ShownViewKind() {
    if (g3DView) return ViewKind::ThreeD;
    if (gCrossSectionView) return ViewKind::CrossSection;
    return ViewKind::Map;
}

ViewKind ViewKindOfCommand(int id) {
    if (id == kCm3DView) return ViewKind::ThreeD;
    if (id == kCmCrossSectionView) return ViewKind::CrossSection;
    return ViewKind::Map;
}

bool ShowViewKind(ViewKind kind) {
    const bool shown = kind == ViewKind::Map          ? gMapView
                       : kind == ViewKind::ThreeD     ? g3DView
                                                      : gCrossSectionView;
    if (shown) return false;
    gMapView = kind == ViewKind::Map;
    g3DView = kind == ViewKind::ThreeD;
    gCrossSectionView = kind == ViewKind::CrossSection;
    return true;
}

int RunModeOfCommand(int id) { return id == kCmRunFreeAutoRestart ? 1 : 0; }

std::string LocalTimeText(int hours) { return std::to_string(hours); }

int LocalTimeHoursFrom(const std::string& text) {
    int hours = 0;
    TextScanner scan(text);
    if (!scan.Int(&hours)) return 0;
    // The view file holds no offset beyond a day.
    return std::clamp(hours, -kMaxLocalTimeHours, kMaxLocalTimeHours);
}

void RecomputeDotScale() {
    const DotScale dots = ComputeDotScale(gMinMagnitude, gMaxMagnitude, gMinDotSize, gMaxDotSize, gScreenHeight);
    gDotSlope = dots.slope;
    gDotIntercept = dots.intercept;
}

bool SaveConfigurationSetting() { return RewriteConfiguration(ConfigurationFolder()); }

ViewWrite SaveViewSetting() {
    if (gMapName.empty()) return ViewWrite::NoFile;
    if (WriteViewFile()) return ViewWrite::Written;
    DebugLog("Cannot write the view file %s", gMapName.c_str());
    ui::MessageBox(gMainFrame, "The view could not be written to " + gMapName + "; the change is kept until the view is closed.",
                   "View", ui::Buttons::Ok, ui::Icon::Exclamation);
    return ViewWrite::Failed;
}

// ---- the frame's commands

void myFrame::MarkViewChanged() {
    if (viewOpen_) viewChanged_ = true;
}

void myFrame::WriteViewSetting() {
    // With no view open the name is the last view's: its file is not the user's to rewrite now.
    if (!viewOpen_) return;
    // A new view has no file yet: the change waits for Save As.
    if (SaveViewSetting() == ViewWrite::NoFile) MarkViewChanged();
}

void myFrame::CmRunMode(int id) {
    if (id != kCmRunFree && id != kCmRunFreeAutoRestart) return;
    gMode = RunModeOfCommand(id);
}

void myFrame::CmLocalTime() {
    PauseForDialog pause;
    std::string text = LocalTimeText(gLocalTimeHours);
    inputDialog prompt(this, kInputDialogTemplate, text, "Local time", "Input deviation from UTC (hours)",
                       kLocalTimeBuffer - 1);
    if (prompt.Execute() == ui::IdOk) {
        gLocalTimeHours = LocalTimeHoursFrom(text);
        WriteViewSetting();
    }
}

void myFrame::CmGlobalAudio() {
    gAudio = gAudio ? 0 : 1;
    CheckItem(kCmGlobalAudio, gAudio != 0);
    if (!gAudio) AllNotesOff();
    SaveConfigurationSetting();
}

void myFrame::CmRunFromScript() {
    gRunScript = gRunScript ? 0 : 1;
    CheckItem(kCmRunFromScript, gRunScript != 0);
    SaveConfigurationSetting();
}

void myFrame::ToggleViewSwitch(bool& flag, int id) {
    flag = !flag;
    CheckItem(id, flag);
    MarkViewChanged();
}

// The user's choice replaces a switch held off for a missing catalogue.
void myFrame::CmEarthquakesOn() {
    gEarthquakesHeldOff = false;
    ToggleViewSwitch(gShowEarthquakes, kCmEarthquakesOn);
}
void myFrame::CmEruptionsOn() {
    gEruptionsHeldOff = false;
    ToggleViewSwitch(gShowEruptions, kCmEruptionsOn);
}
void myFrame::CmEarthquakeAudio() {
    ToggleViewSwitch(gQuakeSoundOn, kCmQuakeAudio);
    if (!gQuakeSoundOn) AllNotesOff();
}
void myFrame::CmEruptionAudio() {
    ToggleViewSwitch(gEruptionSoundOn, kCmEruptionAudio);
    if (!gEruptionSoundOn) AllNotesOff();
}
void myFrame::CmVolcanoNames() { ToggleViewSwitch(gShowVolcanoNames, kCmVolcanoNames); }

void myFrame::RepaintMagnitudeKey() {
    if (!layout_ || !layout_->legend()) return;
    layout_->legend()->Invalidate();
    layout_->legend()->DrawMagnitudeKey();
}

void myFrame::CmEarthquakeMagnitudeCutoff() {
    PromptCutoff(&gMagnitudeCutoff, "Set cutoff magnitude for earthquakes");
    RepaintMagnitudeKey();
    if (layout_) RepaintWithChildren(layout_->control());
}

void myFrame::PromptCutoff(double* value, const char* caption) {
    PauseForDialog pause;
    magDialog(this, kMagnitudeDialogTemplate, value, caption).Execute();
}

void myFrame::CmEruptionMagnitudeCutoff() {
    PromptCutoff(&gEruptionMagnitudeCutoff, "Set cutoff magnitude for eruptions");
    if (!layout_) return;
    if (layout_->legend()) layout_->legend()->Invalidate();
    RepaintWithChildren(layout_->control());
}

void myFrame::CmEarthquakeBeepsCutoff() {
    PromptCutoff(&gMagnitudeSoundCutoff, "Set cutoff magnitude for beeps for earthquakes");
}

void myFrame::CmEruptionBeepsCutoff() {
    PromptCutoff(&gEruptionSoundCutoff, "Set cutoff magnitude for beeps for eruptions");
}

void myFrame::CmMagnitudeDepthScale() {
    PauseForDialog pause;
    dsDialog(this, kEventSizesTemplate).Execute();
    RecomputeDotScale();
    RepaintMagnitudeKey();
}

void myFrame::CmPlates() {
    gShowPlates = !gShowPlates;
    CheckItem(kCmPlates, gShowPlates);
    if (!layout_) return;
    if (gShowPlates) {
        if (childMap* map = layout_->mapPane()) map->ShowPlates();
    } else {
        // Painting copies the map image, which has no plates.
        layout_->map().window().Invalidate();
    }
}

void myFrame::CmPlatesAtEnd() {
    gPlatesAtEnd = !gPlatesAtEnd;
    CheckItem(kCmPlatesAtEnd, gPlatesAtEnd);
}

void myFrame::CmLatLonLines() {
    gShowLatLonLines = !gShowLatLonLines;
    CheckItem(kCmLatLonLines, gShowLatLonLines);
    WriteViewSetting();
}

void myFrame::CmAxesLabels() {
    gShowLabels = !gShowLabels;
    CheckItem(kCmAxesLabels, gShowLabels);
    WriteViewSetting();
}

void myFrame::ChangeViewKind(int id) {
    if (id == kCmMapView) EraseTransientMarkers();
    if (!ShowViewKind(ViewKindOfCommand(id))) return;
    CheckItem(kCmMapView, gMapView);
    CheckItem(kCm3DView, g3DView);
    CheckItem(kCmCrossSectionView, gCrossSectionView);
    // Reopening needs the open view; the items are greyed without one.
    if (viewOpen_) CmRepeat();
}

void myFrame::CmMapView() { ChangeViewKind(kCmMapView); }
void myFrame::Cm3DView() { ChangeViewKind(kCm3DView); }
void myFrame::CmCrossSectionView() { ChangeViewKind(kCmCrossSectionView); }

void myFrame::CmSetUpCrossSection() {
    if (g3DView || gCrossSectionView) {
        ShowViewKind(ViewKind::Map);
        if (viewOpen_) CmRepeat();
        // Now in the map view, so this runs once more at most.
        CmSetUpCrossSection();
        return;
    }
    if (gPaused) return;
    if (!ShowCrossSectionDialog()) return;
    gPaused = true;
    if (layout_) {
        if (childMap* map = layout_->mapPane()) map->SetMouseMode(kMouseCrossSection);
    }
}

void myFrame::CmDigitize() {
    if (!layout_) return;
    if (childMap* map = layout_->mapPane()) map->CmDigitize();
}

void myFrame::EvActivate(bool active) { inactive_ = !active; }

