#include "app/speed.h"

#include <algorithm>

#include "core/view.h"

namespace {

TimeValue Span(int days, int minutes, double seconds = 0.0) {
    TimeValue t;
    t.SetDaysMinutesSeconds(days, minutes, seconds);
    return t;
}

}  // namespace

const std::array<TimeValue, kSpeedCount> gSpeedTable = {
    Span(0, 0),       Span(0, 0, 1.0),  Span(0, 0, 4.0), Span(0, 0, 15.0), Span(0, 1),    Span(0, 4),
    Span(0, 15),      Span(0, 60),      Span(0, 120),    Span(0, 300),     Span(0, 720),  Span(1, 0),
    Span(2, 0),       Span(4, 0),       Span(8, 0),      Span(15, 0),      Span(30, 0),   Span(61, 0),
    Span(91, 0),      Span(183, 0),     Span(365, 0),    Span(730, 0),     Span(1461, 0), Span(3652, 0),
    Span(20000, 0),
};

const std::array<const char*, kSpeedCount> kSpeedPanelNames = {
    "Stop",        "1 sec/sec",    "4 sec/sec",    "15 sec/sec",   "1 min/sec",    "4 min/sec",    "15 min/sec",
    "1 hour/sec",  "2 hours/sec",  "5 hours/sec",  "12 hours/sec", "1 day/sec",    "2 days/sec",   "4 days/sec",
    "8 days/sec",  "15 days/sec",  "1 month/sec",  "2 months/sec", "3 months/sec", "6 months/sec", "1 year/sec",
    "2 years/sec", "4 years/sec",  "10 years/sec", "Fast!",
};

const std::array<const char*, kSpeedCount> kSpeedMenuTexts = {
    "&0\tStop", "1 second per second", "4 seconds per second", "15 seconds per second",
    "1 minute per second", "4 minutes per second", "15 minutes per second", "&1\t1 Hour per second",
    "&2\t2 Hours per second", "&3\t5 Hours per second", "&4\t12 Hours per second", "&5\t1 Day per second",
    "&6\t2 Day per second", "&7\t4 Day per second", "&8\t8 Days per second", "&9\t15 Days per second",
    "&A\t1 Month per second", "&B\t2 Months per second", "&C\t3 Months per second",
    "&D\t6 Months per second", "&E\t1 Year per second", "&F\t2 Years per second",
    "&G\t4 Years per second", "&H\t10 Years per second", "&I\tFast",
};

int SpeedIndex() {
    for (int i = 0; i < kSpeedCount; ++i) {
        if (gSpeed <= gSpeedTable[static_cast<std::size_t>(i)]) return i;
    }
    return kSpeedCount;
}

int ClampedSpeedIndex() { return std::min(SpeedIndex(), kSpeedCount - 1); }

int SetSpeedIndex(int i) {
    i = std::clamp(i, 0, kSpeedCount - 1);
    gSpeed = gSpeedTable[static_cast<std::size_t>(i)];
    return i;
}
