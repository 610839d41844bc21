#include "app/clock_tick.h"

#include <algorithm>
#include <memory>

#include "app/clock.h"
#include "app/control_panel.h"
#include "app/event_labels.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/housekeeping.h"
#include "app/layout.h"
#include "app/sound.h"
#include "app/view_open.h"
#include "core/config.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/eruption_symbols.h"
#include "map/image_files.h"
#include "platform/sys/clock.h"

namespace {

constexpr int kCmPanelPlay = 801;
constexpr double kDay = 86400.0;

// Wrap-safe: true once `now` has passed `deadline`.
bool Past(std::uint32_t now, std::uint32_t deadline) { return static_cast<std::int32_t>(now - deadline) > 0; }

}  // namespace

void myFrame::AnimationTick() { ClockTick(*this).Run(); }

ClockTick::ClockTick(myFrame& frame) : frame_(frame), clock_(platform::Clock()) {}

void ClockTick::Run() {
    if (!frame_.layout_) return;
    FindPanes();
    sphere_ = gControls[kControlScienceOnASphere] != 0;
    daysDisplay_ = gControls[kControlDateDisplayInDays] != 0;

    WriteSphereLegendImage();
    if (Scrub()) return;
    StopForTheTick();
    if (SliderMoved()) {
        Finish();
        return;
    }
    HighlightPendingAlert();
    if (Hold()) {
        Finish();
        return;
    }
    if (!ResumeAfterPause()) return;
    StartBudget();
    StartPairOfTicks();
    if (gAnimationTime >= gPeriodEnd) {
        EndOfPeriod();
        Finish();
        return;
    }

    ShowReadout();
    ChooseStep();
    OpenQuakesAtClock();
    OpenEruptionsAtClock();
    EraseLastTicksMarkers();
    AgeEruptions();
    MergeEvents();
    EraseEruptionsSwitchedOff();
    RestoreOverlappedEruptions();
    StepEventLabels();
    RedrawPlates();
    MoveClock();
    RedrawMarkerIcon();
    SoundTheTick();
    SaveSphereOutput();
    Finish();
}

void ClockTick::FindPanes() {
    map_ = frame_.layout_->mapPane();
    panel_ = frame_.layout_->control();
}

void ClockTick::WriteSphereLegendImage() {
    if (sphere_) WriteSphereLegend();
}

bool ClockTick::Scrub() {
    if (!panel_ || panel_->scrubDirection() == 0) return false;
    panel_->ScrubAnimationTime(panel_->scrubDirection(), gScrubCounter);
    ++gScrubCounter;
    panel_->DrawDateReadout(gAnimationTime, TimeValue(10 * kDay));
    frame_.quakesShown_ = 0;
    frame_.eruptionsShown_ = 0;
    frame_.ShowEventCounters();
    CloseQuakeCatalogue();
    CloseEruptionCatalogue();
    return true;
}

void ClockTick::StopForTheTick() {
    gScrubCounter = 0;
    frame_.StopAnimationTimer();
    if (panel_) panel_->SetScrubDirection(0);
}

bool ClockTick::SliderMoved() {
    if (!panel_ || !panel_->SyncTimeSlider()) return false;
    panel_->DrawDateReadout(gAnimationTime, gSpeed);
    CloseQuakeCatalogue();
    CloseEruptionCatalogue();
    ClearDisplayedEruptions(map_);
    return true;
}

void ClockTick::HighlightPendingAlert() {
    if (gPaused && gAlertEvent && map_ && map_->highlightShown()) map_->HighlightEvent(gAlertEvent, true, true);
}

bool ClockTick::Hold() {
    const bool busy = map_ && map_->mouseMode() == kMouseBusy;
    if (!busy && !gPaused && !frame_.inactive_) return false;
    if (gPaused) frame_.wasPaused_ = true;
    if (panel_) {
        panel_->SyncTimeSlider();
        panel_->DrawDateReadout(gAnimationTime, TimeValue(kDay));
    }
    frame_.ShowEventCounters();
    AllNotesOff();
    return true;
}

bool ClockTick::ResumeAfterPause() {
    if (!frame_.wasPaused_) return true;
    frame_.wasPaused_ = false;
    if (map_) {
        map_->FlushUpdateRect();
        map_->CloseTextWindow();
    }
    if (panel_) panel_->SendCommand(kCmPanelPlay);
    // The panel's Play may have reopened or closed the view.
    if (!frame_.layout_) return false;
    FindPanes();
    return true;
}

void ClockTick::StartBudget() {
    frame_.CloseInfoWindows();
    deadline_ = clock_.TickCount() + frame_.interval_;
}

void ClockTick::StartPairOfTicks() {
    frame_.toneTick_ = !frame_.toneTick_;
    if (frame_.toneTick_) gEruptionToneMax = 0;
}

void ClockTick::EndOfPeriod() {
    ClearTheMapAtEnd();
    RestartTimerAtEnd();
    if (!gEndOfPeriodDone) RunEndActionsOnce();
    ShowNowWhenCut();
    ArmPauseAtEnd();
}

void ClockTick::ClearTheMapAtEnd() {
    AllNotesOff();
    ClearDisplayedEruptions(map_);
    if (gAlertEvent && map_) map_->HighlightEvent(gAlertEvent, false, true);
    RemoveShownEventLabel(map_);
    frame_.EraseTransientMarkers();
}

void ClockTick::RestartTimerAtEnd() {
    // The timer keeps ticking: every later tick comes back here.
    frame_.StopAnimationTimer();
    frame_.StartAnimationTimer();
}

void ClockTick::RunEndActionsOnce() {
    if (gPlatesAtEnd && gMapView && map_) map_->ShowPlates();
    if (!gViewTitleAtEnd.empty()) {
        if (frame_.layout_->title()) frame_.layout_->title()->Invalidate();
        if (daysDisplay_ && panel_) panel_->DrawDateReadout(CurrentUtcTime(), TimeValue(kDay));
    }
    frame_.ShowEventCounters();
    gEndOfPeriodDone = true;
    SaveSphereOutput();
}

void ClockTick::ShowNowWhenCut() {
    // The period was cut at now: the read-out shows now.
    if (!daysDisplay_ && gViewEnd > gPeriodEnd && panel_) panel_->DrawDateReadout(CurrentUtcTime(), TimeValue());
}

void ClockTick::ArmPauseAtEnd() {
    if (gPeriodEndReachedAt != 0.0) return;
    frame_.pauseAtEndCountdown_ = PauseAtEndArm(gMode, gRunScript != 0, gExitWhenDone != 0, gPauseAtEndSeconds,
                                                frame_.pauseAtEndCountdown_);
    gPeriodEndReachedAt = CurrentUtcTime().t;
}

void ClockTick::ShowReadout() {
    if (panel_) panel_->DrawDateReadout(gAnimationTime, gSpeed);
    frame_.ShowEventCounters();
}

void ClockTick::ChooseStep() {
    quakesOn_ = gShowEarthquakes;
    fast_ = FastStyle(quakesOn_, gSymbolStyle);
    // A per-tick value: the fast styles must not switch the view's own setting off.
    eruptionsOn_ = gShowEruptions && !fast_;
    const TimeValue step = fast_ ? TimeValue(3650 * kDay) : gEffectiveSpeed * (frame_.interval_ / 1000.0);
    frame_.lastStep_ = step.t;
    // The window never reaches past the period's end, whatever the step: the
    // ten-year step of the fast styles and the last step of any speed would
    // otherwise draw events after it and leave the clock (and its read-out)
    // beyond it.
    windowEnd_ = std::min(gAnimationTime + step, std::max(gPeriodEnd, gAnimationTime));
}

void ClockTick::OpenQuakesAtClock() {
    if (QuakeDisplayRecord* opened = OpenQuakeCatalogue(false)) {
        gQuakeDisplayRecord = *opened;
        gNextQuakeRecord = opened->quake;
    }
    if (!quakesOn_) CloseQuakeCatalogue();
    // A catalogue that cannot be opened switches EARTHQUAKES off.
    quakesOn_ = quakesOn_ && gShowEarthquakes && gQuakeCatalogue;
}

void ClockTick::OpenEruptionsAtClock() {
    if (eruptionsOn_ && !gEruptionCatalogue) {
        OpenEruptionCatalogue();
        if (gEruptionCatalogue) ShowEruptionsUnderWay();
    }
    if (!eruptionsOn_) CloseEruptionCatalogue();
    eruptionsOn_ = eruptionsOn_ && gEruptionCatalogue;
}

void ClockTick::ShowEruptionsUnderWay() {
    // Eruptions already under way at the clock's time go up at once.
    gEruptionIndex = -1;
    for (;;) {
        ++gEruptionIndex;
        const TimeValue start = ReadEruptionAt(gEruptionCatalogue, gEruptionIndex, kFromStart, &gNextEruptionRecord);
        if (start.t == 0.0) break;
        auto e = std::make_unique<EruptionEvent>();
        e->SetRecord(gNextEruptionRecord);
        if (e->stop > gAnimationTime && e->start < gAnimationTime) {
            if (Place(*e) && ShowEruption(*map_, *e, false, true) != 0) {
                if (sphere_) {
                    auto copy = std::make_unique<EruptionEvent>();
                    copy->SetRecord(gNextEruptionRecord);
                    gDisplayedEruptionsSphere.push_back(std::move(copy));
                }
                gDisplayedEruptions.push_back(std::move(e));
            }
        }
        if (!(start < gAnimationTime)) break;
    }
    gNextEruptionTime = ReadEruptionAt(gEruptionCatalogue, gEruptionIndex, kFromStart, &gNextEruptionRecord);
}

void ClockTick::EraseLastTicksMarkers() {
    if (!map_) return;
    map_->EraseMarkers();
    map_->EraseSphereMarkers();
}

void ClockTick::AgeEruptions() {
    if (!eruptionsOn_) return;
    for (auto& e : gDisplayedEruptions) {
        ++e->age;
        if (e->stop < windowEnd_) {
            e->ended = true;
            if (e->age > 20) e->erase = true;
        }
        if (e->erase && map_) EraseEruption(*map_, *e, true);
    }
    gDisplayedEruptions.RemoveErased();
}

void ClockTick::MergeEvents() {
    tickMax_ = 0.0;
    budgetHit_ = false;
    for (;;) {
        const bool quakeDue = quakesOn_ && gNextQuakeTime.t != 0.0 && gNextQuakeTime < windowEnd_;
        const bool eruptionDue = eruptionsOn_ && gNextEruptionTime.t != 0.0 && gNextEruptionTime < windowEnd_;
        if (!quakeDue && !eruptionDue) return;
        // Ties go to the earthquake.
        const bool takeQuake = quakesOn_ && gNextQuakeTime.t != 0.0 &&
                               (!eruptionsOn_ || gNextEruptionTime.t == 0.0 || gNextQuakeTime <= gNextEruptionTime);
        if (!(takeQuake ? TakeQuake() : TakeEruption())) return;
        if (!WithinBudget()) return;
    }
}

bool ClockTick::TakeQuake() {
    if (budgetHit_) {
        windowEnd_ = gNextQuakeTime;  // the record stays unread
        return false;
    }
    const double m = map_ ? map_->DrawEventDot(gQuakeDisplayRecord, false) : 0.0;
    if (m != 0.0) {
        ++frame_.quakesShown_;
        tickMax_ = std::max(tickMax_, m);
    } else if (gQuakeVisibleBits && gQuakeIndex < gQuakeCount) {
        gQuakeVisibleBits->Clear(gQuakeIndex);
    }
    ++gQuakeIndex;
    gNextQuakeTime = ReadQuakeAt(gQuakeCatalogue, gQuakeIndex, kFromStart, &gNextQuakeRecord);
    gQuakeDisplayRecord = QuakeDisplayRecord{};
    gQuakeDisplayRecord.quake = gNextQuakeRecord;
    if (gNextQuakeTime.t == 0.0) return false;
    if (!fast_ && gNextQuakeTime >= gPeriodEnd) {
        CloseQuakeCatalogue();
        quakesOn_ = false;
    }
    return true;
}

bool ClockTick::TakeEruption() {
    auto e = std::make_unique<EruptionEvent>();
    e->SetRecord(gNextEruptionRecord);
    if (Place(*e)) {
        if (budgetHit_) {
            windowEnd_ = gNextEruptionTime;
            return false;
        }
        const int size = ShowEruption(*map_, *e, false, true);
        if (size != 0) {
            if (e->counted) ++frame_.eruptionsShown_;
            gDisplayedEruptions.push_back(std::move(e));
            if (gAudio && gEruptionSoundOn && size > gEruptionToneMax) {
                gEruptionToneMax = size;
                if (size >= gEruptionSoundCutoff) PlayEruptionTone(size);
            }
        }
    } else if (gEruptionVisibleBits) {
        gEruptionVisibleBits->Clear(gEruptionIndex);
    }
    ++gEruptionIndex;
    gNextEruptionTime = ReadEruptionAt(gEruptionCatalogue, gEruptionIndex, kFromStart, &gNextEruptionRecord);
    if (gNextEruptionTime.t == 0.0) return false;
    if (windowEnd_ >= gPeriodEnd) {
        CloseEruptionCatalogue();
        ClearDisplayedEruptions(map_);
        eruptionsOn_ = false;
    }
    return true;
}

bool ClockTick::WithinBudget() {
    if (!Past(clock_.TickCount(), deadline_)) return true;
    // One more candidate is looked at; the clock stops at its time.
    if (budgetHit_) return false;
    budgetHit_ = true;
    return true;
}

void ClockTick::EraseEruptionsSwitchedOff() {
    if (gDisplayedEruptions.empty() || eruptionsOn_) return;
    for (auto& e : gDisplayedEruptions) {
        if (map_) EraseEruption(*map_, *e, false);
        e->erase = true;
    }
    gDisplayedEruptions.RemoveErased();
}

void ClockTick::RestoreOverlappedEruptions() {
    if (!eruptionsOn_ || !map_) return;
    for (auto& e : gDisplayedEruptions) {
        if (e->overlapped && e->redraw) {
            RestoreEruptionSymbol(*map_, *e);
            e->redraw = false;
        }
    }
}

void ClockTick::StepEventLabels() {
    if (gShowEventLabels) ::StepEventLabels(frame_, map_);
}

void ClockTick::RedrawPlates() {
    if (!gShowPlates) return;
    if (gPlatesTickCounter % 20 == 0 && map_) map_->ShowPlates();
    ++gPlatesTickCounter;
}

void ClockTick::MoveClock() {
    gAnimationTime = windowEnd_;
    gEffectiveSpeed = EaseSpeed(gEffectiveSpeed, gSpeed);
}

void ClockTick::RedrawMarkerIcon() {
    if (gMarkerTickCounter % 20 == 0 && map_) map_->DrawMarkerIcon();
    ++gMarkerTickCounter;
}

void ClockTick::SoundTheTick() {
    if (!fast_ && gQuakeSoundOn && gAudio && tickMax_ > gMagnitudeSoundCutoff) PlayEarthquakeTone(tickMax_);
}

void ClockTick::SaveSphereOutput() {
    if (!sphere_) return;
    if (map_) map_->SaveSphereFrame();
    frame_.WriteDailyCounts();
}

void ClockTick::Finish() { frame_.StartAnimationTimer(); }

bool ClockTick::Place(EruptionEvent& e) {
    return map_ && PlaceEruption(*map_, e) && e.record.size >= gEruptionMagnitudeCutoff;
}
