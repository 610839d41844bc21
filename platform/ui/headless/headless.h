#pragma once
// Test controls of the headless backend: a virtual clock, scripted answers
// and a record of what the system asked of the user interface.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/ui/ui.h"

namespace platform::headless {

// Back to a clean state: empty queues and records, the virtual clock
// installed and set to 2026-01-01 00:00:00 UTC, tick 1,000,000.
void Reset();
ManualClock& VirtualClock();
// Moves the virtual clock on; messages posted for a later tick become waiting.
void Advance(std::int64_t ms);

struct MessageBoxCall {
    ui::Window* owner;
    std::string text;
    std::string caption;
    ui::Buttons buttons;
    ui::Icon icon;
};
// Answers taken in order by the next message boxes; without one a box
// answers with its first button.
void ScriptMessageBoxAnswer(int id);
const std::vector<MessageBoxCall>& MessageBoxCalls();
const std::vector<ui::BeepKind>& Beeps();

// Queues a message that becomes waiting at the given tick (now by default).
void PostMessage(const ui::Message& msg);
void PostMessageAt(std::uint32_t tick, const ui::Message& msg);
std::size_t PendingMessageCount();
// Messages in the order DispatchMessage ran them.
const std::vector<ui::Message>& Dispatched();

}  // namespace platform::headless
