// The main of test programs that link no user-interface backend.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "tests/support/test_clock.h"

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
    // KESTRUNE_TEST_LOCALE runs the whole program under that locale (a comma
    // for the decimal point, say); one that cannot be set fails the run.
    if (const char* name = std::getenv("KESTRUNE_TEST_LOCALE"); name && *name) {
        if (!std::setlocale(LC_ALL, name)) {
            std::fprintf(stderr, "cannot set the locale %s\n", name);
            return 1;
        }
    }
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ClockReset);
    return RUN_ALL_TESTS();
}
