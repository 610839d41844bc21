#pragma once
// The clock of test programs without a user-interface backend: a fresh manual
// clock is installed before every test.
#include "platform/sys/clock.h"

namespace testsupport {
platform::ManualClock& TestClock();
}
