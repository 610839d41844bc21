#include <gtest/gtest.h>

#include <string>

#include "platform/ui/headless/headless.h"
#include "tests/support/test_locale.h"

namespace {
// Every test starts on a clean headless backend with the virtual clock.
class HeadlessReset : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
        platform::headless::Reset();
        platform::headless::SetCommonDialogFaultReporter(
            [](const std::string& what) { ADD_FAILURE() << what; });
    }
};
}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// Read by the sanitizers at start-up, so a test program run by hand behaves as under ctest.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";  // caches the library keeps until exit
}
extern "C" const char* __ubsan_default_options() { return "print_stacktrace=1"; }
#endif

int main(int argc, char** argv) {
    if (!testsupport::SetTestLocale()) return 1;
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new HeadlessReset);
    return RUN_ALL_TESTS();
}
