// What the control panel's buttons, rollers and check boxes do.
#include "app/control_panel.h"

#include <cmath>
#include <string>
#include <vector>

#include "app/buttons.h"
#include "app/clock.h"
#include "app/control_panel_parts.h"
#include "app/dialog_conventions.h"
#include "app/floating_legend.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/housekeeping.h"
#include "app/layout.h"
#include "app/legend.h"
#include "app/menus.h"
#include "app/region_dialogs.h"
#include "app/slider.h"
#include "app/sound.h"
#include "app/speed.h"
#include "app/view_list.h"
#include "app/view_open.h"
#include "core/config.h"
#include "core/eruption.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/proj.h"

namespace gfx = platform::gfx;

namespace ui = platform::ui;
using gfx::Point;
using gfx::Rect;
using namespace control_panel;

ZoomBox ZoomAround(double lat, double lon, double west, double east, bool zoomIn, int paneWidth, int paneHeight) {
    // Below 90 degrees, where the Mercator ordinate is still finite.
    constexpr double kPole = 89.9;
    double span = east - west;
    if (span < 0) span += 360;
    if (span == 0) span = 360;  // a whole-world view, as the projection reads it
    // Never wider than the world, so zooming out of it keeps it whole.
    const double half = std::min(zoomIn ? span / 1.8 * 0.5 : span * 1.8 * 0.5, 180.0);
    const double k = std::fabs(lat) < 10
                         ? 1.0
                         : std::fabs(MercatorY(std::min(lat + 0.5, kPole)) - MercatorY(std::max(lat - 0.5, -kPole)));
    const double aspect = paneWidth > 0 && paneHeight > 0 ? static_cast<double>(paneWidth) / paneHeight : 1.0;
    ZoomBox box;
    box.east = lon + half;
    if (box.east > 180) box.east -= 360;
    box.west = lon - half;
    if (box.west < -180) box.west += 360;
    const double y = MercatorY(std::clamp(lat, -kPole, kPole));
    const double dy = half / ((k > 0 ? k : 1.0) * aspect);
    box.north = InverseMercator(y + dy);
    box.south = InverseMercator(y - dy);
    return box;
}

// ---- alert buttons ------------------------------------------------------------------------

void childControl::ShowAlertButtons() {
    ShowIf(zoomToQuake_, true);
    ShowIf(stopAnimation_, true);
    alertPending_ = true;
}

void childControl::ShowZoomButtons(bool on) {
    zoomButtonsShown_ = on;
    ShowIf(zoomIn_, on);
    ShowIf(zoomOut_, on);
}

// ---- highlights -----------------------------------------------------------------------------

std::vector<textButton*> childControl::KioskTextButtons() const {
    return {back_, exit_, worldMenu_, startOver_, plates_, repeat_, pause_, resume_};
}

std::vector<myButton*> childControl::BitmapButtons() const {
    std::vector<myButton*> all = {play_, backArrow_, repeatArrow_, stepBack_, pauseBars_, stepForward_,
                                  rewind_, fastForward_, faster_, slower_};
    for (Roller* r : {quakeRoller_, eruptionRoller_}) {
        if (!r) continue;
        all.push_back(r->leftButton());
        all.push_back(r->rightButton());
    }
    return all;
}

ui::Result childControl::EvButtonHighlighted(ui::WParam, ui::LParam id) {
    if (kind_ == Kind::Kiosk) {
        for (textButton* b : KioskTextButtons()) {
            if (b && b->id() != id) UnhighlightTextButton(this, b);
        }
    } else {
        for (myButton* b : BitmapButtons()) {
            if (b && b->id() != id) UnhighlightMyButton(this, b);
        }
    }
    return 0;
}

void childControl::UnhighlightButtons() {
    for (textButton* b : KioskTextButtons()) UnhighlightTextButton(this, b);
    if (kind_ == Kind::Standard) {
        for (myButton* b : BitmapButtons()) UnhighlightMyButton(this, b);
    }
}

// ---- commands -------------------------------------------------------------------------------

void childControl::Flush() {
    if (myLayoutWindow* layout = Layout(this)) layout->map().FlushUpdateRect();
}

void childControl::CloseText() {
    if (myLayoutWindow* layout = Layout(this)) layout->map().CloseTextWindow();
}

void childControl::SendFrame(int id) {
    if (gMainFrame) gMainFrame->SendCommand(id);
}

void childControl::SendMap(int id) {
    if (myLayoutWindow* layout = Layout(this)) layout->map().window().SendCommand(id);
}

void childControl::FollowPaused() {
    if (!pause_ || !resume_) return;
    ShowIf(resume_, paused_);
    ShowIf(pause_, !paused_);
}

void childControl::CmPlay() {
    paused_ = false;
    gPaused = false;
    scrub_ = 0;
    if (myLayoutWindow* layout = Layout(this)) layout->map().SetBusy(false);
    CloseEruptionCatalogue();
    if (gMainFrame) gMainFrame->CloseInfoWindows();
    SendFrame(kFrameCmPlay);
    FollowPaused();
}

void childControl::CmPause() {
    paused_ = true;
    if (gMainFrame) gMainFrame->CloseInfoWindows();
    Flush();
    SendFrame(kFrameCmPause);
    scrub_ = 0;
    FollowPaused();
}

void childControl::CmRewind() {
    if (gMainFrame) gMainFrame->CloseInfoWindows();
    if (myLayoutWindow* layout = Layout(this)) ClearDisplayedEruptions(layout->mapPane());
    else ClearDisplayedEruptions();
    CloseEruptionCatalogue();
    scrub_ = -1;
}

void childControl::CmFastForward() {
    if (gMainFrame) gMainFrame->CloseInfoWindows();
    if (myLayoutWindow* layout = Layout(this)) ClearDisplayedEruptions(layout->mapPane());
    else ClearDisplayedEruptions();
    CloseEruptionCatalogue();
    if (paused_) Flush();
    CloseText();
    scrub_ = 1;
}

void childControl::CmRewindRelease() {
    if (paused_) Flush();
    scrub_ = 0;
    if (paused_) {
        CmPause();
        SendMap(kMapCmPreviousEvent);
    } else {
        CmPlay();
    }
}

void childControl::CmFastForwardRelease() {
    if (paused_) Flush();
    scrub_ = 0;
    if (paused_) {
        CmPause();
        SendMap(kMapCmNextEvent);
    } else {
        CmPlay();
    }
}

void childControl::CmStepBack() {
    paused_ = true;
    CmPause();
    scrub_ = 0;
    SendMap(kMapCmPreviousEvent);
}

void childControl::CmStepForward() {
    paused_ = true;
    CmPause();
    scrub_ = 0;
    SendMap(kMapCmNextEvent);
}

void childControl::CmRepeat() {
    scrub_ = 0;
    paused_ = false;
    Flush();
    CloseText();
    SendFrame(kFrameCmRepeat);
}

void childControl::CmBack() {
    scrub_ = 0;
    Flush();
    CloseText();
    HideFloatingLegend();
    const int entries = gGroupViewList.Count();
    if (entries == 1 && gExitWhenDone) {
        SendFrame(kCmExit);
        return;
    }
    gControls[kControlPopulation] = 0;
    SendFrame(kFrameCmShowSelectGroup);
}

void childControl::CmFaster() {
    AllNotesOff();
    SetSpeedIndex(SpeedIndex() + 1);
    DrawSpeedBox();
}

void childControl::CmSlower() {
    AllNotesOff();
    SetSpeedIndex(SpeedIndex() - 1);
    DrawSpeedBox();
}

void childControl::StepRoller(Roller* roller, bool up, int (childLegend::*redrawKey)()) {
    AllNotesOff();
    if (!roller) return;
    if (up) roller->StepUp();
    else roller->StepDown();
    roller->Draw();
    if (myLayoutWindow* layout = Layout(this); layout && layout->legend()) (layout->legend()->*redrawKey)();
}

void childControl::CmQuakeCutoffUp() { StepRoller(quakeRoller_, true, &childLegend::DrawMagnitudeKey); }
void childControl::CmQuakeCutoffDown() { StepRoller(quakeRoller_, false, &childLegend::DrawMagnitudeKey); }
void childControl::CmEruptionCutoffUp() { StepRoller(eruptionRoller_, true, &childLegend::DrawEruptionKey); }
void childControl::CmEruptionCutoffDown() { StepRoller(eruptionRoller_, false, &childLegend::DrawEruptionKey); }

void childControl::CmPlates() {
    Flush();
    CloseText();
    SendFrame(kCmPlates);
}

void childControl::CmExit() { SendFrame(kCmExit); }

void childControl::CmStartOver() {
    scrub_ = 0;
    paused_ = false;
    Flush();
    CloseText();
    SendFrame(kCmStartScreen);
}

void childControl::CmSelectMenu() {
    scrub_ = 0;
    Flush();
    CloseText();
    SendFrame(kFrameCmSelectMenu);
}

void childControl::CmZoomToEarthquake() {
    gAlertPauseLeft = 0;
    ShowIf(zoomToQuake_, false);
    alertPending_ = false;
    ShowZoomButtons(true);
    ShowIf(stopAnimation_, true);
    SendFrame(kCmRedraw);
}

// The new bounds stay in memory: the redraw reopens the view with them, and
// the view file is left as the user saved it.
void childControl::Zoom(bool in) {
    if (!gAlertEvent) return;
    gAlertPauseLeft = 0;
    const double lat = gAlertEvent->latitude / 3600000.0;
    const double lon = gAlertEvent->longitude / 3600000.0;
    const ZoomBox box = ZoomAround(lat, lon, gMapWest, gMapEast, in, gPaneWidth, gPaneHeight);
    gViewZoomed = true;
    gMapNorth = box.north;
    gMapSouth = box.south;
    gMapEast = box.east;
    gMapWest = box.west;
    SendFrame(kCmRedraw);
}

void childControl::CmZoomIn() { Zoom(true); }
void childControl::CmZoomOut() { Zoom(false); }

void childControl::CmStopAnimation() {
    myLayoutWindow* layout = Layout(this);
    if (childMap* map = layout ? layout->mapPane() : nullptr; map && map->highlightShown()) map->HideHighlight(true);
    ShowIf(stopAnimation_, false);
    gAlertEvent = nullptr;
    ShowZoomButtons(false);
    ShowIf(zoomToQuake_, false);
    const bool pending = alertPending_;
    alertPending_ = false;
    // A zoom ends with the alert: the view comes back as stored.
    if ((pending || gViewZoomed) && gMainFrame) {
        const std::string name = gMainFrame->currentViewName();
        gMainFrame->OpenView(name.c_str());
    } else {
        SendFrame(kFrameCmRepeat);
    }
}

void childControl::CmSetDate() {
    {
        // Held, as behind every modal dialog: the clock's timer still runs meanwhile.
        PauseForDialog pause;
        initDateDialog(this, kInitialDateDialogTemplate).Execute();
    }
    Invalidate();
    SendFrame(kFrameCmRepeat);
}

void childControl::CmEarthquakesBox() {
    AllNotesOff();
    if (quakesBox_) {
        gShowEarthquakes = quakesBox_->checked();
        gEarthquakesHeldOff = false;
    }
    if (myLayoutWindow* layout = Layout(this); layout && layout->legend()) layout->legend()->Invalidate();
}

void childControl::CmEruptionsBox() {
    AllNotesOff();
    if (eruptionsBox_) {
        gShowEruptions = eruptionsBox_->checked();
        gEruptionsHeldOff = false;
    }
    if (myLayoutWindow* layout = Layout(this); layout && layout->legend()) layout->legend()->Invalidate();
}

void childControl::CmInfoBoxesBox() {
    AllNotesOff();
    if (infoBox_) gControls[kControlShowInfoSpots] = infoBox_->checked() ? 1 : 0;
    myLayoutWindow* layout = Layout(this);
    if (childMap* map = layout ? layout->mapPane() : nullptr) map->DrawInfoSpots(false);
    CmRepeat();
}

void childControl::CmSoundBox() {
    if (soundBox_) gAudio = soundBox_->checked() ? 1 : 0;
    if (myLayoutWindow* layout = Layout(this); layout && layout->legend()) layout->legend()->Invalidate();
}
