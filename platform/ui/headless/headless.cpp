#include "platform/ui/headless/headless.h"

#include <algorithm>
#include <deque>

namespace platform::headless {
namespace {

struct Timed {
    std::uint32_t due;
    ui::Message msg;
};

struct State {
    ManualClock clock;
    std::deque<int> answers;
    std::vector<MessageBoxCall> boxes;
    std::vector<ui::BeepKind> beeps;
    std::vector<Timed> queue;  // in posting order
    std::vector<ui::Message> dispatched;
};

State& S() {
    static State s;
    return s;
}

// Tick comparison that survives the 32-bit wrap.
bool Reached(std::uint32_t now, std::uint32_t due) { return static_cast<std::int32_t>(now - due) >= 0; }

int FirstButton(ui::Buttons b) {
    switch (b) {
        case ui::Buttons::Ok:
        case ui::Buttons::OkCancel: return ui::IdOk;
        case ui::Buttons::AbortRetryIgnore: return ui::IdAbort;
        case ui::Buttons::YesNoCancel:
        case ui::Buttons::YesNo: return ui::IdYes;
        case ui::Buttons::RetryCancel: return ui::IdRetry;
    }
    return ui::IdOk;
}

}  // namespace

void Reset() {
    State& s = S();
    s.clock = ManualClock();
    s.answers.clear();
    s.boxes.clear();
    s.beeps.clear();
    s.queue.clear();
    s.dispatched.clear();
    SetClock(&s.clock);
}

ManualClock& VirtualClock() { return S().clock; }
void Advance(std::int64_t ms) { S().clock.Advance(ms); }

void ScriptMessageBoxAnswer(int id) { S().answers.push_back(id); }
const std::vector<MessageBoxCall>& MessageBoxCalls() { return S().boxes; }
const std::vector<ui::BeepKind>& Beeps() { return S().beeps; }

void PostMessage(const ui::Message& msg) { PostMessageAt(S().clock.TickCount(), msg); }
void PostMessageAt(std::uint32_t tick, const ui::Message& msg) { S().queue.push_back({tick, msg}); }
std::size_t PendingMessageCount() { return S().queue.size(); }
const std::vector<ui::Message>& Dispatched() { return S().dispatched; }

}  // namespace platform::headless

namespace platform::ui {
using namespace platform::headless;

int MessageBox(Window* owner, std::string_view text, std::string_view caption, Buttons buttons, Icon icon) {
    State& s = S();
    s.boxes.push_back({owner, std::string(text), std::string(caption), buttons, icon});
    if (s.answers.empty()) return FirstButton(buttons);
    int id = s.answers.front();
    s.answers.pop_front();
    return id;
}

void Beep(BeepKind kind) { S().beeps.push_back(kind); }

bool PeekMessage(Message& out) {
    State& s = S();
    std::uint32_t now = s.clock.TickCount();
    auto it = std::find_if(s.queue.begin(), s.queue.end(), [&](const Timed& t) { return Reached(now, t.due); });
    if (it == s.queue.end()) return false;
    out = it->msg;
    s.queue.erase(it);
    return true;
}

void DispatchMessage(const Message& msg) { S().dispatched.push_back(msg); }

void WaitForMessage(int timeoutMs) {
    State& s = S();
    if (timeoutMs <= 0) return;
    std::uint32_t now = s.clock.TickCount();
    std::int64_t step = timeoutMs;
    for (const Timed& t : s.queue) {
        std::int64_t until = static_cast<std::int32_t>(t.due - now);
        if (until <= 0) return;  // something is already waiting
        step = std::min(step, until);
    }
    s.clock.Advance(step);
}

}  // namespace platform::ui
