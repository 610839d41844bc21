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
