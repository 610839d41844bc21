#include "app/view_open.h"

#include <array>

#include "platform/sys/clock.h"

std::string gOpenedViewName;
TimeValue gPeriodEnd;
double gPeriodEndReachedAt = 0.0;
bool gEndOfPeriodDone = false;
TimeValue gEffectiveSpeed;
int gEventLabelIndex = 0;
EventLabelRecord* gNextEventLabel = nullptr;
EventLabelRecord* gShownEventLabel = nullptr;
std::string gWorldMenuLabel;

TimeZone ComputeTimeZone(bool daylight, int biasMinutes, bool useLocalTime, int localTimeHours) {
    static constexpr std::array<const char*, 8> kNames = {"EST", "EDT", "CST", "CDT", "MST", "MDT", "PST", "PDT"};
    const int dst = daylight ? 1 : 0;
    int hours = biasMinutes / 60;
    if (!useLocalTime) hours = -localTimeHours;
    TimeZone zone;
    zone.offset = TimeValue(static_cast<double>(dst - hours) * 3600.0);
    if (hours >= 5 && hours <= 8) zone.name = kNames[static_cast<std::size_t>((hours - 5) * 2 + dst)];
    return zone;
}

TimeZone SystemTimeZone(bool useLocalTime, int localTimeHours) {
    const platform::TimeSource& clock = platform::Clock();
    const bool daylight = clock.DaylightTime();
    // The clock reports the current offset; the bias is of standard time.
    const int bias = (daylight ? 60 : 0) - clock.LocalOffsetMinutes();
    return ComputeTimeZone(daylight, bias, useLocalTime, localTimeHours);
}

ViewPeriod ComputeViewPeriod(TimeValue start, TimeValue viewEnd, int daysToLoop, int minutesToLoop, TimeValue now) {
    ViewPeriod p{start, viewEnd, {}};
    if (daysToLoop != 0 || minutesToLoop != 0) {
        TimeValue loop;
        loop.SetDaysMinutes(daysToLoop, minutesToLoop);
        p.start = now - loop;
        TimeValue day;
        day.SetDaysMinutes(1, 0);
        p.viewEnd = now + day;
    }
    p.end = p.viewEnd < now ? p.viewEnd : now;
    return p;
}

std::string ViewCaption(const std::string& folder, const std::string& viewName) {
    std::string path = folder;
    if (!viewName.empty() && viewName.front() == '/') {
        path = viewName;  // a view from another folder names its own
    } else if (!viewName.empty()) {
        if (!path.empty() && path.back() != '/') path += '/';
        path += viewName;
    }
    return "Kestrune - " + path;
}

DotScale ComputeDotScale(int minMag, int maxMag, int minDot, int maxDot, int screenHeight) {
    double range = static_cast<double>(maxMag) - minMag;
    if (range == 0) range = 1;
    const double k = static_cast<double>(screenHeight) / (480.0 * range);
    return {(static_cast<double>(maxDot) - minDot) * k,
            (static_cast<double>(minDot) * maxMag - static_cast<double>(maxDot) * minMag) * k};
}
