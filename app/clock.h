#pragma once
// The animation clock's process-wide state, and its arithmetic kept apart
// from the frame for tests; the tick itself is app/clock_tick.h.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/eruption.h"
#include "core/quake.h"
#include "core/timevalue.h"
#include "map/eruption_symbols.h"

extern std::int32_t gScrubCounter;       // ticks since scrubbing began
extern std::int32_t gPlatesTickCounter;  // ticks; plates are drawn again every 20th
extern std::int32_t gMarkerTickCounter;  // ticks; the marker icon is drawn again every 20th
extern std::int32_t gEruptionToneMax;    // largest eruption size sounded in this pair of ticks
extern QuakeRecord gNextQuakeRecord;     // the next earthquake as read
extern QuakeDisplayRecord gQuakeDisplayRecord;  // the same, for drawing
extern EruptionRecord gNextEruptionRecord;      // the next eruption as read
// gDisplayedEruptions, gDisplayedEruptionsSphere and ClearDisplayedEruptions
// belong to the map's eruption symbols.

// The countdown the end of a period arms, by MODE, RUN SCRIPT and EXIT WHEN DONE.
std::uint32_t PauseAtEndArm(int mode, bool runScript, bool exitWhenDone, unsigned pauseSeconds,
                            std::uint32_t current);
// A lower chosen speed applies at once; a higher one is approached by a tenth per tick.
TimeValue EaseSpeed(TimeValue effective, TimeValue chosen);
// SMALL and MOMENT while earthquakes are shown: the step is ten years and
// only the time budget limits a tick.
bool FastStyle(bool quakesOn, int symbolStyle);
