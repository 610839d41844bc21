#pragma once
// The clock of the targets that open no window: a manual clock back at its
// start and installed, for every input. Header only, so that fuzz_support
// itself needs no platform library.
#include "platform/sys/clock.h"

namespace fuzz {

inline platform::ManualClock& ResetClock() {
    static platform::ManualClock clock;
    clock = platform::ManualClock();
    platform::SetClock(&clock);
    return clock;
}

}  // namespace fuzz
