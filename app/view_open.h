#pragma once
// What opening a view sets besides the view settings, and the arithmetic it
// does, kept apart from the frame so it can be tested without windows.
#include <memory>
#include <string>

#include "app/commands.h"

#include "core/energy.h"
#include "core/timevalue.h"
#include "map/quake_symbols.h"  // gDotSlope, gDotIntercept, gEnergyBins

struct EventLabelRecord;

extern std::string gOpenedViewName;   // the last non-empty name given to OpenView
extern TimeValue gPeriodEnd;          // where the animated period stops: now, or gViewEnd when earlier
extern double gPeriodEndReachedAt;    // 0.0 until the clock reaches gPeriodEnd
extern bool gEndOfPeriodDone;         // the end-of-period actions ran
extern TimeValue gEffectiveSpeed;     // simulated seconds per real second in use
extern int gEventLabelIndex;          // index in gEventLabels of the next label
extern EventLabelRecord* gNextEventLabel;   // or null
extern EventLabelRecord* gShownEventLabel;  // or null
extern std::string gWorldMenuLabel;   // "%s Menu" of the first list-of-views entry

inline constexpr int kMsgCannotOpenView = 32540;

struct TimeZone {
    TimeValue offset;  // seconds added to UTC
    std::string name;  // "EST" ... "PDT", or empty
};
// biasMinutes is UTC minus local standard time. With useLocalTime off the
// view's hours from UTC replace the system's; daylight time always counts.
TimeZone ComputeTimeZone(bool daylight, int biasMinutes, bool useLocalTime, int localTimeHours);
// The system's zone as the frame sees it now.
TimeZone SystemTimeZone(bool useLocalTime, int localTimeHours);

struct ViewPeriod {
    TimeValue start, viewEnd, end;
};
// A looping view (days or minutes not 0) runs up to now and ends a day ahead;
// any period stops at now at the latest.
ViewPeriod ComputeViewPeriod(TimeValue start, TimeValue viewEnd, int daysToLoop, int minutesToLoop, TimeValue now);

// The frame's caption for a view: "Kestrune - " and the view file's path, with
// the folder and the name joined by "/" as paths are written here.
std::string ViewCaption(const std::string& folder, const std::string& viewName);

struct DotScale {
    double slope = 0, intercept = 0;
};
// Radius grows linearly from minDot at minMag to maxDot at maxMag, scaled by screenHeight / 480.
DotScale ComputeDotScale(int minMag, int maxMag, int minDot, int maxDot, int screenHeight);
