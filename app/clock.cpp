// Timer 1 of the main frame: the animation clock, and the commands that start and hold it.
#include "app/clock.h"

#include <algorithm>
#include <cstdio>

#include "app/control_panel.h"
#include "app/event_labels.h"
#include "app/frame.h"
#include "app/globals.h"
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
EruptionSymbolHooks gEruptionSymbolHooks;
ClockHooks gClockHooks;

namespace {

constexpr int kCmPanelPlay = 801;
constexpr double kDay = 86400.0;

// Wrap-safe: true once `now` has passed `deadline`.
bool Past(std::uint32_t now, std::uint32_t deadline) { return static_cast<std::int32_t>(now - deadline) > 0; }

void RemoveErased(std::vector<std::unique_ptr<EruptionEvent>>& list) {
    std::erase_if(list, [](const std::unique_ptr<EruptionEvent>& e) { return !e || e->erase; });
}

}  // namespace

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

void myFrame::AnimationTick() {
    if (!layout_) return;
    childMap* map = layout_->mapPane();
    childControl* panel = layout_->control();
    const bool sphere = gControls[kControlScienceOnASphere] != 0;
    const bool daysDisplay = gControls[kControlDateDisplayInDays] != 0;
    const TimeValue oneDay(kDay);
    auto& clock = platform::Clock();

    if (sphere && gClockHooks.writeSphereLegend) gClockHooks.writeSphereLegend();

    if (panel && panel->scrubDirection() != 0) {
        // The timer keeps running while a scrub button is held.
        panel->ScrubAnimationTime(panel->scrubDirection(), gScrubCounter);
        ++gScrubCounter;
        panel->DrawDateReadout(gAnimationTime, TimeValue(10 * kDay));
        quakesShown_ = 0;
        eruptionsShown_ = 0;
        ShowEventCounters();
        CloseQuakeCatalogue();
        CloseEruptionCatalogue();
        return;
    }

    gScrubCounter = 0;
    StopAnimationTimer();
    if (panel) panel->SetScrubDirection(0);

    if (panel && panel->SyncTimeSlider()) {
        panel->DrawDateReadout(gAnimationTime, gSpeed);
        CloseQuakeCatalogue();
        CloseEruptionCatalogue();
        ClearDisplayedEruptions(map);
        StartAnimationTimer();
        return;
    }

    if (gPaused && gAlertEvent && map && map->highlightShown()) map->HighlightEvent(gAlertEvent, true, true);

    const bool busy = map && map->mouseMode() == kMouseBusy;
    if (busy || gPaused || inactive_) {
        if (gPaused) wasPaused_ = true;
        if (panel) {
            panel->SyncTimeSlider();
            panel->DrawDateReadout(gAnimationTime, oneDay);
        }
        ShowEventCounters();
        AllNotesOff();
        StartAnimationTimer();
        return;
    }

    if (wasPaused_) {
        wasPaused_ = false;
        if (map) {
            map->FlushUpdateRect();
            map->CloseTextWindow();
        }
        if (panel) panel->SendCommand(kCmPanelPlay);
        // The panel's Play may have reopened or closed the view.
        if (!layout_) return;
        map = layout_->mapPane();
        panel = layout_->control();
    }

    CloseInfoWindows();
    const std::uint32_t deadline = clock.TickCount() + interval_;

    toneTick_ = !toneTick_;
    if (toneTick_) gEruptionToneMax = 0;

    if (gAnimationTime >= gPeriodEnd) {
        AllNotesOff();
        ClearDisplayedEruptions(map);
        if (gAlertEvent && map) map->HighlightEvent(gAlertEvent, false, true);
        RemoveShownEventLabel(map);
        EraseTransientMarkers();
        StopAnimationTimer();
        StartAnimationTimer();
        if (!gEndOfPeriodDone) {
            if (gPlatesAtEnd && gMapView && map) map->ShowPlates();
            if (!gViewTitleAtEnd.empty()) {
                if (layout_->title()) layout_->title()->Invalidate();
                if (daysDisplay && panel) panel->DrawDateReadout(CurrentUtcTime(), oneDay);
            }
            ShowEventCounters();
            gEndOfPeriodDone = true;
            if (sphere) {
                if (map && gClockHooks.saveSphereFrame) gClockHooks.saveSphereFrame(*map);
                WriteDailyCounts();
            }
        }
        // The period was cut at now: the read-out shows now.
        if (!daysDisplay && gViewEnd > gPeriodEnd && panel) panel->DrawDateReadout(CurrentUtcTime(), TimeValue());
        if (gPeriodEndReachedAt == 0.0) {
            pauseAtEndCountdown_ = PauseAtEndArm(gMode, gRunScript != 0, gExitWhenDone != 0, gPauseAtEndSeconds,
                                                 pauseAtEndCountdown_);
            gPeriodEndReachedAt = CurrentUtcTime().t;
        }
        return;
    }

    if (panel) panel->DrawDateReadout(gAnimationTime, gSpeed);
    ShowEventCounters();

    bool quakesOn = gShowEarthquakes;
    const bool fast = FastStyle(quakesOn, gSymbolStyle);
    // A per-tick value: the fast styles must not switch the view's own setting off.
    // Until the eruption symbols are installed the clock reads no eruptions.
    bool eruptionsOn = gShowEruptions && !fast && gEruptionSymbolHooks.place && gEruptionSymbolHooks.show;
    const TimeValue step = fast ? TimeValue(3650 * kDay) : gEffectiveSpeed * (interval_ / 1000.0);
    lastStep_ = step.t;
    // The window never reaches past the period's end, whatever the step: the
    // ten-year step of the fast styles and the last step of any speed would
    // otherwise draw events after it and leave the clock (and its read-out)
    // beyond it.
    TimeValue windowEnd = std::min(gAnimationTime + step, std::max(gPeriodEnd, gAnimationTime));

    if (QuakeDisplayRecord* opened = OpenQuakeCatalogue(false)) {
        gQuakeDisplayRecord = *opened;
        gNextQuakeRecord = opened->quake;
    }
    if (!quakesOn) CloseQuakeCatalogue();
    // A catalogue that cannot be opened switches EARTHQUAKES off.
    quakesOn = quakesOn && gShowEarthquakes && gQuakeCatalogue;

    auto place = [&](EruptionEvent& e) {
        return map && gEruptionSymbolHooks.place(*map, e) && e.record.size >= gEruptionMagnitudeCutoff;
    };

    if (eruptionsOn && !gEruptionCatalogue) {
        OpenEruptionCatalogue();
        if (gEruptionCatalogue) {
            // Eruptions already under way at the clock's time go up at once.
            gEruptionIndex = -1;
            for (;;) {
                ++gEruptionIndex;
                const TimeValue start = ReadEruptionAt(gEruptionCatalogue, gEruptionIndex, kFromStart, &gNextEruptionRecord);
                if (start.t == 0.0) break;
                auto e = std::make_unique<EruptionEvent>();
                e->SetRecord(gNextEruptionRecord);
                if (e->stop > gAnimationTime && e->start < gAnimationTime) {
                    if (place(*e) && gEruptionSymbolHooks.show(*map, *e, false, true) != 0) {
                        if (sphere) {
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
    }
    if (!eruptionsOn) CloseEruptionCatalogue();
    eruptionsOn = eruptionsOn && gEruptionCatalogue;

    if (map) {
        map->EraseMarkers();
        map->EraseSphereMarkers();
    }

    if (eruptionsOn) {
        for (auto& e : gDisplayedEruptions) {
            ++e->age;
            if (e->stop < windowEnd) {
                e->ended = true;
                if (e->age > 20) e->erase = true;
            }
            if (e->erase && map && gEruptionSymbolHooks.erase) gEruptionSymbolHooks.erase(*map, *e, true);
        }
        RemoveErased(gDisplayedEruptions);
    }

    double tickMax = 0.0;
    bool budgetHit = false;
    for (;;) {
        const bool quakeDue = quakesOn && gNextQuakeTime.t != 0.0 && gNextQuakeTime < windowEnd;
        const bool eruptionDue = eruptionsOn && gNextEruptionTime.t != 0.0 && gNextEruptionTime < windowEnd;
        if (!quakeDue && !eruptionDue) break;

        const bool takeQuake = quakesOn && gNextQuakeTime.t != 0.0 &&
                               (!eruptionsOn || gNextEruptionTime.t == 0.0 || gNextQuakeTime <= gNextEruptionTime);
        if (takeQuake) {
            if (budgetHit) {
                windowEnd = gNextQuakeTime;
                break;
            }
            const double m = map ? map->DrawEventDot(gQuakeDisplayRecord, false) : 0.0;
            if (m != 0.0) {
                ++quakesShown_;
                tickMax = std::max(tickMax, m);
            } else if (gQuakeVisibleBits && gQuakeIndex < gQuakeCount) {
                gQuakeVisibleBits->Clear(gQuakeIndex);
            }
            ++gQuakeIndex;
            gNextQuakeTime = ReadQuakeAt(gQuakeCatalogue, gQuakeIndex, kFromStart, &gNextQuakeRecord);
            gQuakeDisplayRecord = QuakeDisplayRecord{};
            gQuakeDisplayRecord.quake = gNextQuakeRecord;
            if (gNextQuakeTime.t == 0.0) break;
            if (!fast && gNextQuakeTime >= gPeriodEnd) {
                CloseQuakeCatalogue();
                quakesOn = false;
            }
        } else {
            auto e = std::make_unique<EruptionEvent>();
            e->SetRecord(gNextEruptionRecord);
            if (place(*e)) {
                if (budgetHit) {
                    windowEnd = gNextEruptionTime;
                    break;
                }
                const int size = gEruptionSymbolHooks.show(*map, *e, false, true);
                if (size != 0) {
                    if (e->counted) ++eruptionsShown_;
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
            if (gNextEruptionTime.t == 0.0) break;
            if (windowEnd >= gPeriodEnd) {
                CloseEruptionCatalogue();
                ClearDisplayedEruptions(map);
                eruptionsOn = false;
            }
        }

        if (Past(clock.TickCount(), deadline)) {
            // One more candidate is looked at; the clock stops at its time.
            if (budgetHit) break;
            budgetHit = true;
        }
    }

    if (!gDisplayedEruptions.empty() && !eruptionsOn) {
        for (auto& e : gDisplayedEruptions) {
            if (map && gEruptionSymbolHooks.erase) gEruptionSymbolHooks.erase(*map, *e, false);
            e->erase = true;
        }
        RemoveErased(gDisplayedEruptions);
    }
    if (eruptionsOn && map && gEruptionSymbolHooks.restoreSymbol) {
        for (auto& e : gDisplayedEruptions) {
            if (e->overlapped && e->redraw) {
                gEruptionSymbolHooks.restoreSymbol(*map, *e);
                e->redraw = false;
            }
        }
    }

    if (gShowEventLabels) StepEventLabels(*this, map);
    if (gShowPlates) {
        if (gPlatesTickCounter % 20 == 0 && map) map->ShowPlates();
        ++gPlatesTickCounter;
    }

    gAnimationTime = windowEnd;
    gEffectiveSpeed = EaseSpeed(gEffectiveSpeed, gSpeed);

    if (gMarkerTickCounter % 20 == 0 && map) map->DrawMarkerIcon();
    ++gMarkerTickCounter;

    if (!fast && gQuakeSoundOn && gAudio && tickMax > gMagnitudeSoundCutoff) PlayEarthquakeTone(tickMax);
    if (sphere) {
        if (map && gClockHooks.saveSphereFrame) gClockHooks.saveSphereFrame(*map);
        WriteDailyCounts();
    }
    StartAnimationTimer();
}

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
        if (layout_->map().eraseMarker) layout_->map().eraseMarker();
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
    // The information window comes with the help windows; only the map's text window exists yet.
    infoWindow_ = nullptr;
    if (layout_ && layout_->map().closeTextWindow) layout_->map().closeTextWindow();
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
    EraseTransientMarkers();
    StopAnimationTimer();
    if (layout_) {
        if (childMap* map = layout_->mapPane()) map->SetHighlightShown(true);
    }
    if (gAlertEvent) {
        if (std::FILE* f = platform::OpenFile("Alert_View_Filename.txt", "rt")) {
            char name[128] = {};
            const bool got = ReadLine(name, sizeof name, f) != nullptr;
            std::fclose(f);
            if (got && name[0]) {
                OpenView(name);
                return;
            }
        }
    }
    // Without its alert view the view is drawn again from memory, a zoom's
    // bounds included; returning here would leave the clock stopped for good.
    OpenView(nullptr);
}
