#pragma once
// The animation clock's process-wide state, the seams it reaches later work
// through, and its arithmetic kept apart from the frame for tests.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/eruption.h"
#include "core/quake.h"
#include "core/timevalue.h"

class childMap;

extern std::int32_t gScrubCounter;       // ticks since scrubbing began
extern std::int32_t gPlatesTickCounter;  // ticks; plates are drawn again every 20th
extern std::int32_t gMarkerTickCounter;  // ticks; the marker icon is drawn again every 20th
extern std::int32_t gEruptionToneMax;    // largest eruption size sounded in this pair of ticks
extern QuakeRecord gNextQuakeRecord;     // the next earthquake as read
extern QuakeDisplayRecord gQuakeDisplayRecord;  // the same, for drawing
extern EruptionRecord gNextEruptionRecord;      // the next eruption as read
// Eruptions whose symbol is on the map; the list owns them.
extern std::vector<std::unique_ptr<EruptionEvent>> gDisplayedEruptions;
// Copies for the sphere image (SCIENCE ON A SPHERE).
extern std::vector<std::unique_ptr<EruptionEvent>> gDisplayedEruptionsSphere;

// Frees every displayed eruption; their symbols stay until the map is drawn again.
void ClearDisplayedEruptions();

// Eruption symbols on the map pane; until they are installed the clock reads no eruptions.
struct EruptionSymbolHooks {
    bool (*place)(childMap& pane, EruptionEvent& e) = nullptr;  // true when it lies on the map
    // The size drawn; 0 when not drawn.
    int (*show)(childMap& pane, EruptionEvent& e, int labelMode, int symbolMode) = nullptr;
    void (*erase)(childMap& pane, EruptionEvent& e, bool completely) = nullptr;
    void (*restoreSymbol)(childMap& pane, EruptionEvent& e) = nullptr;
};
extern EruptionSymbolHooks gEruptionSymbolHooks;

// Work of later parts that the tick calls; an empty hook is skipped.
struct ClockHooks {
    void (*eventLabelStep)() = nullptr;     // EVENT LABELS: the label of the next event
    void (*removeEventLabel)() = nullptr;   // the shown label and its window, at the end of a period
    void (*writeSphereLegend)() = nullptr;  // SCIENCE ON A SPHERE
    void (*saveSphereFrame)(childMap& pane) = nullptr;
};
extern ClockHooks gClockHooks;

// The countdown the end of a period arms, by MODE, RUN SCRIPT and EXIT WHEN DONE.
std::uint32_t PauseAtEndArm(int mode, bool runScript, bool exitWhenDone, unsigned pauseSeconds,
                            std::uint32_t current);
// A lower chosen speed applies at once; a higher one is approached by a tenth per tick.
TimeValue EaseSpeed(TimeValue effective, TimeValue chosen);
// SMALL and MOMENT while earthquakes are shown: the step is ten years and
// only the time budget limits a tick.
bool FastStyle(bool quakesOn, int symbolStyle);
