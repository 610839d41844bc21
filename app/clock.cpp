// The animation clock's arithmetic and the commands that start and hold it;
// its tick is app/clock_tick.cpp.
#include "app/clock.h"

#include <cstdio>

#include "app/control_panel.h"
#include "app/floating_legend.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/help_windows.h"
#include "app/housekeeping.h"
#include "app/layout.h"
#include "app/sound.h"
#include "app/view_open.h"
#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/child_map.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"

std::int32_t gScrubCounter = 0;
std::int32_t gPlatesTickCounter = 0;
std::int32_t gMarkerTickCounter = 0;
std::int32_t gEruptionToneMax = 0;
QuakeRecord gNextQuakeRecord;
QuakeDisplayRecord gQuakeDisplayRecord;
EruptionRecord gNextEruptionRecord;

std::uint32_t PauseAtEndArm(int mode, bool runScript, bool exitWhenDone, unsigned pauseSeconds,
                            std::uint32_t current) {
    // A negative value stored unsigned must not become some four billion seconds.
    const std::uint32_t s = CountdownSeconds(pauseSeconds);
    if (mode == kModeLoop || runScript || exitWhenDone) return s + 1;
    return s != 0 ? s : current;
}

TimeValue EaseSpeed(TimeValue effective, TimeValue chosen) {
    if (effective < chosen) return TimeValue(0.1 * chosen.t + 0.9 * effective.t);
    return chosen;
}

bool FastStyle(bool quakesOn, int symbolStyle) { return quakesOn && (symbolStyle == 0 || symbolStyle == 4); }

void myFrame::WriteDailyCounts() {
    if (!dailyCountsFile_) return;
    std::fprintf(dailyCountsFile_, "%04d-%02d-%02d Earthquakes %d Eruptions %d\n", gAnimationTime.Year(),
                 gAnimationTime.Month(), gAnimationTime.Day(), quakesShown_, eruptionsShown_);
    std::fflush(dailyCountsFile_);
}

void myFrame::ShowEventCounters() {
    if (!layout_) return;
    if (layout_->legend()) layout_->legend()->DrawEventCounters(quakesShown_, eruptionsShown_);
    // The bottom legend's boxes are the panel's: they count whether or not a legend pane exists.
    if (layout_->control() && gControls[kControlBottomLegend]) {
        layout_->control()->DrawEventCounters(quakesShown_, eruptionsShown_);
    }
}

void myFrame::CmPlay() {
    if (layout_) {
        if (childMap* map = layout_->mapPane()) map->EraseHighlight();
        layout_->map().EraseMarker();
        gPaused = false;
        ClearDisplayedEruptions(layout_->mapPane());
        // The next tick scans the eruptions in progress again.
        CloseEruptionCatalogue();
        CloseInfoWindows();  // and the map's text window
    }
    StartAnimationTimer();
}

void myFrame::CmPause() {
    gPaused = true;
    AllNotesOff();
    if (gTimeout != 0) inactivityCountdown_ = CountdownSeconds(gTimeout);
}

void myFrame::CmRestartClock() {
    gPaused = false;
    StartAnimationTimer();
}

void myFrame::CloseInfoWindows() {
    // One the user closed is gone already: ChildRemoved forgot it.
    if (infoWindow_ && !infoWindow_->closed()) infoWindow_->Destroy();
    infoWindow_ = nullptr;
    if (layout_) layout_->map().CloseTextWindow();
}

void myFrame::CmRepeat() {
    CloseInfoWindows();
    EraseTransientMarkers();
    if (layout_) {
        if (childMap* map = layout_->mapPane()) {
            map->SetMouseMode(kMouseIdle);
            map->SetHighlightShown(true);
        }
    }
    StopAnimationTimer();
    OpenView(nullptr);
}

void myFrame::CmRedraw() {
    gRedrawMap = true;
    if (layout_) {
        EraseTransientMarkers();
        HideFloatingLegend();
    }
    StopAnimationTimer();
    if (layout_) {
        if (childMap* map = layout_->mapPane()) map->SetHighlightShown(true);
    }
    if (gAlertEvent) {
        if (std::FILE* f = platform::OpenFile("Alert_View_Filename.txt", "rt")) {
            char name[128] = {};
            const bool got = ReadLine(name, sizeof name, f) != nullptr;
            std::fclose(f);
            // Once it is open, the alert view is redrawn from memory, a zoom's bounds included.
            if (got && name[0] && !(viewOpen_ && gMapName == name)) {
                OpenView(name);
                return;
            }
        }
    }
    // Without its alert view the view is drawn again from memory, a zoom's
    // bounds included; returning here would leave the clock stopped for good.
    OpenView(nullptr);
}
