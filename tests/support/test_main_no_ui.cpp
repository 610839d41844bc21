// The main of test programs that link no user-interface backend.
#include <gtest/gtest.h>

#include "tests/support/test_clock.h"
#include "tests/support/test_locale.h"

namespace testsupport {
platform::ManualClock& TestClock() {
    static platform::ManualClock clock;
    return clock;
}
}  // namespace testsupport

namespace {
// Every test starts on a fresh manual clock, as the headless backend gives the others.
class ClockReset : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
        testsupport::TestClock() = platform::ManualClock();
        platform::SetClock(&testsupport::TestClock());
    }
};
}  // namespace

#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __ubsan_default_options() { return "print_stacktrace=1"; }
#endif

int main(int argc, char** argv) {
    if (!testsupport::SetTestLocale()) return 1;
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ClockReset);
    return RUN_ALL_TESTS();
}
