#include "platform/ui/headless/headless.h"

#include <poll.h>

#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <memory>

#include "platform/gfx/font.h"
#include "platform/sys/process.h"
#include "platform/ui/app.h"
#include "platform/ui/controls.h"
#include "platform/ui/backend.h"
#include "platform/ui/dialog.h"
#include "platform/ui/frame.h"
#include "platform/ui/headless/headless_internal.h"
#include "platform/ui/menu.h"
#include "platform/ui/window.h"

namespace platform::headless {
namespace {

struct Timed {
    std::uint32_t due;
    ui::Message msg;
};

struct Timer {
    ui::Window* window;
    int id;
    int interval;
    std::int64_t due;  // virtual ms
    std::uint64_t order;
    bool firing;
};

struct Watch {
    int fd;
    ui::Window* window;
    std::uint32_t id;
    std::uint32_t events;
    bool pending;  // its message waits in the queue
};

struct State {
    ManualClock clock;
    std::int64_t now = 0;  // virtual ms since Reset, moved only by Advance
    std::uint64_t timerOrder = 0;
    std::vector<Timer> timers;
    ui::Size screen{1920, 1080};
    bool display = true;
    std::deque<int> answers;
    std::vector<MessageBoxCall> boxes;
    std::vector<ui::BeepKind> beeps;
    std::map<int, std::deque<std::function<int(ui::Dialog&)>>> dialogScripts;
    std::vector<DialogCall> dialogs;
    std::deque<int> popupAnswers;
    std::vector<PopupCall> popups;
    std::vector<CommandCall> commands;
    std::vector<Timed> queue;  // in posting order
    std::vector<ui::Message> dispatched;
    std::vector<ui::Window*> windows;  // every window with a peer
    std::map<const ui::Window*, ui::Rect> presented;
    std::map<const ui::Window*, std::vector<ui::Rect>> presentedRects;
    bool keepScreens = false;
    std::map<const ui::Window*, std::unique_ptr<gfx::Surface>> screens;
    int quitCode = 0;
    std::vector<Watch> watches;
    int pollLimitMs = -1;
    std::set<const ui::Window*> screenSaverHolders;
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

Timer* FindTimer(ui::Window* w, int id) {
    for (Timer& t : S().timers) {
        if (t.window == w && t.id == id) return &t;
    }
    return nullptr;
}

// The timer to fire next at or before the limit: soonest, then first set.
Timer* NextDue(std::int64_t limit) {
    Timer* best = nullptr;
    for (Timer& t : S().timers) {
        if (t.firing || t.due > limit) continue;
        if (!best || t.due < best->due || (t.due == best->due && t.order < best->order)) best = &t;
    }
    return best;
}

void MoveClockTo(std::int64_t when) {
    State& s = S();
    if (when <= s.now) return;
    s.clock.Advance(when - s.now);
    s.now = when;
}

void CollectEnabled(const ui::Menu& menu, std::vector<int>& out) {
    for (int i = 0; i < menu.count(); ++i) {
        const ui::MenuItem& it = menu.item(i);
        if (it.popup) CollectEnabled(*it.popup, out);
        else if (!it.separator && it.enabled) out.push_back(it.id);
    }
}

std::uint32_t ReadyBits(short revents) {
    std::uint32_t bits = 0;
    if (revents & (POLLIN | POLLHUP)) bits |= ui::kWatchRead;
    if (revents & POLLOUT) bits |= ui::kWatchWrite;
    if (revents & (POLLERR | POLLNVAL)) bits |= ui::kWatchError;
    return bits;
}

// Posts a message for each watched descriptor that is ready; true when one was.
bool PollWatches(int timeoutMs) {
    State& s = S();
    std::vector<pollfd> fds;
    std::vector<std::size_t> which;
    for (std::size_t i = 0; i < s.watches.size(); ++i) {
        const Watch& w = s.watches[i];
        if (w.pending) continue;
        short ev = 0;
        if (w.events & ui::kWatchRead) ev |= POLLIN;
        if (w.events & ui::kWatchWrite) ev |= POLLOUT;
        fds.push_back({w.fd, ev, 0});
        which.push_back(i);
    }
    if (fds.empty() || ::poll(fds.data(), fds.size(), std::max(timeoutMs, 0)) <= 0) return false;
    bool posted = false;
    for (std::size_t k = 0; k < fds.size(); ++k) {
        Watch& w = s.watches[which[k]];
        const std::uint32_t bits = ReadyBits(fds[k].revents) & (w.events | ui::kWatchError);
        if (!bits) continue;
        ui::Message m;
        m.target = w.window;
        m.kind = ui::MessageKind::Custom;
        m.code = w.id;
        m.wparam = static_cast<std::uint64_t>(w.fd);
        m.param = bits;
        w.pending = true;
        s.queue.push_back({s.clock.TickCount(), m});
        posted = true;
    }
    return posted;
}

class HeadlessPeer final : public ui::backend::Peer {
public:
    explicit HeadlessPeer(ui::Window& w) : window_(w) { S().windows.push_back(&w); }
    ~HeadlessPeer() override {
        std::erase(S().windows, &window_);
        S().presented.erase(&window_);
        S().presentedRects.erase(&window_);
        S().screens.erase(&window_);
        S().screenSaverHolders.erase(&window_);
    }
    void Show(bool) override {}
    void Move(const ui::Rect&) override {}
    void SetCaption(std::string_view) override {}
    void Present(const ui::Rect& r) override {
        S().presented[&window_] = S().presented[&window_].united(r);
        S().presentedRects[&window_].push_back(r);
        if (S().keepScreens) CopyToScreen(r);
    }
    void SetFocus() override {}
    void Capture(bool) override {}
    void Enable(bool) override {}
    void HoldOffScreenSaver(bool on) override {
        if (on) S().screenSaverHolders.insert(&window_);
        else S().screenSaverHolders.erase(&window_);
    }

private:
    // What a display does with a present: the rectangle's pixels go to the screen.
    void CopyToScreen(const ui::Rect& r) {
        const gfx::Surface& b = window_.backBuffer();
        auto& screen = S().screens[&window_];
        if (!screen || screen->size() != b.size()) screen = gfx::Surface::Create(b.width(), b.height());
        if (!screen) return;
        const ui::Rect c = r.intersected(b.bounds());
        if (c.empty()) return;
        for (int y = c.top; y < c.bottom; ++y)
            std::copy(b.row(y) + c.left, b.row(y) + c.right, screen->row(y) + c.left);
    }

    ui::Window& window_;
};

}  // namespace

namespace {
struct ProcessRecord {
    std::vector<std::vector<std::string>> calls;
    std::vector<std::string> failing;
};
ProcessRecord& Processes() {
    static ProcessRecord record;
    return record;
}
}  // namespace

void Reset() {
    State& s = S();
    s.clock = ManualClock();
    s.now = 0;
    s.timers.clear();
    s.screen = {1920, 1080};
    s.display = true;
    s.answers.clear();
    s.boxes.clear();
    s.beeps.clear();
    s.dialogScripts.clear();
    s.dialogs.clear();
    s.popupAnswers.clear();
    s.popups.clear();
    s.commands.clear();
    s.queue.clear();
    s.dispatched.clear();
    s.quitCode = 0;
    s.presented.clear();
    s.presentedRects.clear();
    s.keepScreens = false;
    s.screens.clear();
    s.watches.clear();
    s.pollLimitMs = -1;
    ResetCommonDialogs();
    s.screenSaverHolders.clear();
    SetClock(&s.clock);
    Processes() = {};
    platform::SetProcessStarter([](const std::vector<std::string>& args, std::string* why) {
        Processes().calls.push_back(args);
        const auto& failing = Processes().failing;
        if (!args.empty() && std::find(failing.begin(), failing.end(), args[0]) == failing.end()) return true;
        if (why) *why = "No such file or directory";
        return false;
    });
}

void ScriptProcessFailure(std::string program) { Processes().failing.push_back(std::move(program)); }
const std::vector<std::vector<std::string>>& ProcessCalls() { return Processes().calls; }

ManualClock& VirtualClock() { return S().clock; }

void Advance(std::int64_t ms) {
    State& s = S();
    const std::int64_t target = s.now + std::max<std::int64_t>(ms, 0);
    while (Timer* t = NextDue(target)) {
        MoveClockTo(t->due);
        ui::Window* w = t->window;
        const int id = t->id;
        t->due = s.now + t->interval;
        t->firing = true;  // a nested wait in its handler must not fire it again
        ui::Message m;
        m.target = w;
        m.kind = ui::MessageKind::Timer;
        m.code = static_cast<std::uint32_t>(id);
        ui::Window::Deliver(m);
        if (Timer* again = FindTimer(w, id)) again->firing = false;
    }
    MoveClockTo(target);
}

std::vector<TimerInfo> Timers() {
    std::vector<Timer> sorted = S().timers;
    std::sort(sorted.begin(), sorted.end(),
              [](const Timer& a, const Timer& b) { return a.due != b.due ? a.due < b.due : a.order < b.order; });
    std::vector<TimerInfo> out;
    for (const Timer& t : sorted) out.push_back({t.window, t.id, t.interval, t.due - S().now});
    return out;
}

void SetScreenSize(ui::Size size) { S().screen = size; }
void SetDisplayAvailable(bool on) { S().display = on; }

void ScriptMessageBoxAnswer(int id) { S().answers.push_back(id); }
const std::vector<MessageBoxCall>& MessageBoxCalls() { return S().boxes; }
const std::vector<ui::BeepKind>& Beeps() { return S().beeps; }

void ScriptDialog(int templateId, std::function<int(ui::Dialog&)> script) {
    S().dialogScripts[templateId].push_back(std::move(script));
}
void ScriptDialogAnswer(int templateId, int buttonId) {
    ScriptDialog(templateId, [buttonId](ui::Dialog&) { return buttonId; });
}
const std::vector<DialogCall>& DialogCalls() { return S().dialogs; }

void ScriptPopupAnswer(int id) { S().popupAnswers.push_back(id); }
const std::vector<PopupCall>& PopupCalls() { return S().popups; }

bool ChooseMenuCommand(ui::Frame& frame, int id) {
    frame.UpdateMenuBar();
    const ui::Menu* bar = frame.menu();
    const ui::MenuItem* item = bar ? bar->Find(id) : nullptr;
    if (!item || !item->enabled) return false;
    ui::Message m;
    m.target = &frame;
    m.kind = ui::MessageKind::Command;
    m.code = static_cast<std::uint32_t>(id);
    ui::DispatchMessage(m);
    return true;
}

namespace {
void Input(ui::Window& target, ui::MessageKind kind, std::uint32_t code, std::uint32_t mods, ui::Point p = {}) {
    ui::Message m;
    m.target = &target;
    m.kind = kind;
    m.code = code;
    m.param = mods;
    m.point = p;
    ui::DispatchMessage(m);
}
}  // namespace

void KeyDown(ui::Window& target, int virtualKey, std::uint32_t modifiers) {
    Input(target, ui::MessageKind::KeyDown, static_cast<std::uint32_t>(virtualKey), modifiers);
}
void Char(ui::Window& target, int character) {
    Input(target, ui::MessageKind::Char, static_cast<std::uint32_t>(character), 0);
}
void Mouse(ui::Window& target, ui::MouseAction action, ui::Point p, std::uint32_t modifiers) {
    Input(target, ui::MessageKind::Mouse, static_cast<std::uint32_t>(action), modifiers, p);
}
void CloseBox(ui::Window& target) { Input(target, ui::MessageKind::Close, 0, 0); }
void Activate(ui::Window& target, bool active) { Input(target, ui::MessageKind::Activate, active ? 1u : 0u, 0); }

void PaintAll() {
    std::vector<ui::Window*> windows = S().windows;
    for (ui::Window* w : windows) {
        if (std::find(S().windows.begin(), S().windows.end(), w) != S().windows.end() && w->visible()) w->Update();
    }
}

ui::Rect TakePresented(const ui::Window& w) {
    auto it = S().presented.find(&w);
    if (it == S().presented.end()) return {};
    const ui::Rect r = it->second;
    S().presented.erase(it);
    return r;
}

std::vector<ui::Rect> TakePresentedRects(const ui::Window& w) {
    auto it = S().presentedRects.find(&w);
    if (it == S().presentedRects.end()) return {};
    std::vector<ui::Rect> r = std::move(it->second);
    S().presentedRects.erase(it);
    return r;
}

void ForgetPresented() {
    S().presented.clear();
    S().presentedRects.clear();
}

bool ScreenSaverHeldOffBy(const ui::Window& w) { return S().screenSaverHolders.count(&w) != 0; }
std::size_t ScreenSaverHolders() { return S().screenSaverHolders.size(); }

void KeepScreenImages(bool on) {
    S().keepScreens = on;
    if (!on) S().screens.clear();
}

const gfx::Surface* ScreenImage(const ui::Window& w) {
    auto it = S().screens.find(&w);
    return it == S().screens.end() ? nullptr : it->second.get();
}

const std::vector<CommandCall>& Commands() { return S().commands; }

void PostMessage(const ui::Message& msg) { PostMessageAt(S().clock.TickCount(), msg); }
void PostMessageAt(std::uint32_t tick, const ui::Message& msg) { S().queue.push_back({tick, msg}); }
std::size_t PendingMessageCount() { return S().queue.size(); }
const std::vector<ui::Message>& Dispatched() { return S().dispatched; }

void SetSocketPollLimit(int ms) { S().pollLimitMs = ms; }

}  // namespace platform::headless

namespace platform::ui {
namespace hl = platform::headless;

int MessageBox(Window* owner, std::string_view text, std::string_view caption, Buttons buttons, Icon icon) {
    hl::State& s = hl::S();
    s.boxes.push_back({owner, std::string(text), std::string(caption), buttons, icon});
    if (s.answers.empty()) return hl::FirstButton(buttons);
    int id = s.answers.front();
    s.answers.pop_front();
    return id;
}

void Beep(BeepKind kind) { hl::S().beeps.push_back(kind); }

Size ScreenSize() { return hl::S().screen; }

// A 13-pixel box with a 4-pixel gap before the caption in the system font.
Size CheckBoxSize(std::string_view caption) {
    const auto font = gfx::Font::System();
    if (!font) return {17, 13};
    return {17 + font->Width(caption), std::max(13, font->metrics().height)};
}

bool DisplayAvailable(std::string* why) {
    if (!hl::S().display && why) *why = "no display (headless test)";
    return hl::S().display;
}

bool PeekMessage(Message& out) {
    hl::State& s = hl::S();
    hl::PollWatches(0);
    std::uint32_t now = s.clock.TickCount();
    auto it = std::find_if(s.queue.begin(), s.queue.end(), [&](const hl::Timed& t) { return hl::Reached(now, t.due); });
    if (it == s.queue.end()) return false;
    out = it->msg;
    s.queue.erase(it);
    if (out.kind == MessageKind::Custom) {
        for (hl::Watch& w : s.watches)
            if (w.pending && w.window == out.target && w.id == out.code &&
                static_cast<std::uint64_t>(w.fd) == out.wparam)
                w.pending = false;
    }
    return true;
}

void DispatchMessage(const Message& msg) {
    hl::S().dispatched.push_back(msg);
    Window::Deliver(msg);
}

void WaitForMessage(int timeoutMs) {
    hl::State& s = hl::S();
    if (timeoutMs <= 0) return;
    std::uint32_t now = s.clock.TickCount();
    std::int64_t step = timeoutMs;
    for (const hl::Timed& t : s.queue) {
        std::int64_t until = static_cast<std::int32_t>(t.due - now);
        if (until <= 0) return;  // something is already waiting
        step = std::min(step, until);
    }
    for (const hl::Timer& t : s.timers) {
        if (!t.firing) step = std::min(step, std::max<std::int64_t>(t.due - s.now, 0));
    }
    // Sockets answer in real time while the virtual clock jumps: wait on them
    // for real, up to the test's limit, then move the clock on all the same.
    const std::int64_t real = s.pollLimitMs < 0 ? step : std::min<std::int64_t>(step, s.pollLimitMs);
    hl::PollWatches(static_cast<int>(real));
    hl::Advance(step);
}

void PostMessage(const Message& msg) { hl::PostMessage(msg); }

bool WatchDescriptor(int fd, Window& target, std::uint32_t id, std::uint32_t events) {
    if (fd < 0) return false;
    UnwatchDescriptor(fd);
    hl::S().watches.push_back({fd, &target, id, events, false});
    return true;
}

void UnwatchDescriptor(int fd) {
    hl::State& s = hl::S();
    for (const hl::Watch& w : s.watches) {
        if (w.fd != fd || !w.pending) continue;
        std::erase_if(s.queue, [&](const hl::Timed& t) {
            return t.msg.kind == MessageKind::Custom && t.msg.target == w.window && t.msg.code == w.id &&
                   t.msg.wparam == static_cast<std::uint64_t>(fd);
        });
    }
    std::erase_if(s.watches, [&](const hl::Watch& w) { return w.fd == fd; });
}

namespace backend {

std::unique_ptr<Peer> CreatePeer(Window& w) { return std::make_unique<hl::HeadlessPeer>(w); }

void Forget(Window& w) {
    hl::State& s = hl::S();
    std::erase_if(s.queue, [&](const hl::Timed& t) { return t.msg.target == &w; });
    std::erase_if(s.timers, [&](const hl::Timer& t) { return t.window == &w; });
    std::erase_if(s.watches, [&](const hl::Watch& x) { return x.window == &w; });
}

bool StartTimer(Window& w, int id, int ms) {
    hl::State& s = hl::S();
    const int interval = std::max(ms, 1);
    if (hl::Timer* t = hl::FindTimer(&w, id)) {
        t->interval = interval;
        t->due = s.now + interval;
        t->order = ++s.timerOrder;
        return true;
    }
    s.timers.push_back({&w, id, interval, s.now + interval, ++s.timerOrder, false});
    return true;
}

void StopTimer(Window& w, int id) {
    std::erase_if(hl::S().timers, [&](const hl::Timer& t) { return t.window == &w && t.id == id; });
}

int RunModal(Dialog& d) {
    hl::State& s = hl::S();
    for (int round = 0; d.running() && round < 100; ++round) {
        auto& scripts = s.dialogScripts[d.templateId()];
        if (scripts.empty()) break;
        auto script = std::move(scripts.front());
        scripts.pop_front();
        const int button = script(d);
        if (button == 0 || !d.running()) continue;
        if (auto* b = d.Item<Button>(button)) b->Click();
        else d.SendCommand(button);
    }
    if (d.running()) d.SendCommand(IdCancel);
    if (d.running()) d.EndDialog(IdCancel);
    s.dialogs.push_back({d.templateId(), d.caption(), d.result()});
    return d.result();
}

void EndModal(Dialog&, int) {}

int TrackPopup(Window& owner, const Menu& menu, Point screen) {
    hl::State& s = hl::S();
    hl::PopupCall call{&owner, screen, {}, 0};
    hl::CollectEnabled(menu, call.enabledIds);
    if (!s.popupAnswers.empty()) {
        const int want = s.popupAnswers.front();
        s.popupAnswers.pop_front();
        if (std::find(call.enabledIds.begin(), call.enabledIds.end(), want) != call.enabledIds.end()) call.chosen = want;
    }
    s.popups.push_back(call);
    return call.chosen;
}

int RunLoop(Application& app) {
    hl::S().quitCode = 0;
    Message m;
    while (app.mainWindow() && PeekMessage(m)) DispatchMessage(m);
    return hl::S().quitCode;
}

void QuitLoop(int code) { hl::S().quitCode = code; }

Size DialogBaseUnits(std::string_view, int) { return {6, 13}; }

void NoteCommand(const Window& target, int id, bool handled) { hl::S().commands.push_back({&target, id, handled}); }

}  // namespace backend
}  // namespace platform::ui
