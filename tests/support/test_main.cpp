#include <gtest/gtest.h>

#include "platform/ui/headless/headless.h"

namespace {
// Every test starts on a clean headless backend with the virtual clock.
class HeadlessReset : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { platform::headless::Reset(); }
};
}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new HeadlessReset);
    return RUN_ALL_TESTS();
}
