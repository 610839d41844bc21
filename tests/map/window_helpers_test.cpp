#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "map/window_helpers.h"
#include "platform/sys/resources.h"
#include "platform/ui/headless/headless.h"

namespace hl = platform::headless;
using platform::ui::Message;
using platform::ui::MessageKind;

TEST(ErrorBox, FormatsCutsBeepsAndShows) {
    platform::RegisterString(32540, "Unable to open view: %s");
    ErrorBox(nullptr, 32540, "A-VERY-LONG-VIEW-NAME-THAT-GOES-ON-%s-%n-AND-ON");
    ASSERT_EQ(hl::MessageBoxCalls().size(), 1u);
    const auto& box = hl::MessageBoxCalls()[0];
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.text, std::string("Unable to open view: A-VERY-LONG-VIEW-NAME-THAT-GOES-ON-%s-%n-AND-ON").substr(0, 47));
    EXPECT_EQ(box.icon, platform::ui::Icon::Exclamation);
    EXPECT_EQ(box.buttons, platform::ui::Buttons::Ok);
    EXPECT_EQ(hl::Beeps(), std::vector<platform::ui::BeepKind>{platform::ui::BeepKind::Exclamation});
}

TEST(Pumps, DelayDispatchesWhileTheVirtualClockRuns) {
    const std::uint32_t t0 = hl::VirtualClock().TickCount();
    hl::PostMessage(Message{nullptr, MessageKind::Paint, 0, 0});
    hl::PostMessageAt(t0 + 400, Message{nullptr, MessageKind::Command, 150, 0});
    hl::PostMessageAt(t0 + 5000, Message{nullptr, MessageKind::Command, 149, 0});

    EXPECT_EQ(DelayPumping(1000), 1000);
    ASSERT_EQ(hl::Dispatched().size(), 2u);
    EXPECT_EQ(hl::Dispatched()[0].kind, MessageKind::Paint);
    EXPECT_EQ(hl::Dispatched()[1].code, 150u);
    EXPECT_EQ(hl::PendingMessageCount(), 1u);  // not yet due
    EXPECT_EQ(DelayPumping(0), 0);
}

TEST(Pumps, EscapeStopsAndIsNotDispatched) {
    EXPECT_FALSE(PumpMessagesCheckEsc());  // nothing waiting
    hl::PostMessage(Message{nullptr, MessageKind::Char, 'a', 0});
    hl::PostMessage(Message{nullptr, MessageKind::Char, 27, 0});
    hl::PostMessage(Message{nullptr, MessageKind::Paint, 0, 0});
    EXPECT_FALSE(PumpMessagesCheckEsc());
    EXPECT_TRUE(PumpMessagesCheckEsc());
    ASSERT_EQ(hl::Dispatched().size(), 1u);
    EXPECT_EQ(hl::Dispatched()[0].code, static_cast<std::uint32_t>('a'));
    EXPECT_EQ(hl::PendingMessageCount(), 1u);  // one message at a time
}
