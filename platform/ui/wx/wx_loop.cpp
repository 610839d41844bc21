// The message loop: the queue that native input and timer ticks are posted
// to, the timers, watched descriptors, and the loop that runs until QuitLoop.
#include <wx/evtloop.h>
#include <wx/evtloopsrc.h>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "platform/ui/app.h"
#include "platform/ui/wx/wx_internal.h"

namespace platform::ui {
using namespace wxbackend;
namespace {

std::deque<Message> gQueue;
std::set<std::pair<Window*, int>> gTimerPending;  // a timer tick is queued: no second one
wxGUIEventLoop* gMainLoop = nullptr;
int gQuitCode = 0;

void RearmWatch(const Message& m);

bool Pop(Message& out) {
    if (gQueue.empty()) return false;
    out = gQueue.front();
    gQueue.pop_front();
    if (out.kind == MessageKind::Timer) gTimerPending.erase({out.target, static_cast<int>(out.code)});
    if (out.kind == MessageKind::Custom) RearmWatch(out);
    return true;
}

// ---- watched descriptors ---------------------------------------------------------
// Each watch is an event-loop source that fires once: it posts its message and
// removes itself, and is added again when that message leaves the queue, so a
// descriptor that stays ready never starves the loop's idle time.
class Watch final : public wxEventLoopSourceHandler {
public:
    Watch(int fd, Window& target, std::uint32_t id, std::uint32_t events)
        : fd_(fd), target_(target), id_(id), events_(events) {}
    ~Watch() override = default;
    Window& target() const { return target_; }
    std::uint32_t id() const { return id_; }
    bool pending() const { return pending_; }

    bool Arm() {
        pending_ = false;
        int flags = wxEVENT_SOURCE_EXCEPTION;
        if (events_ & kWatchRead) flags |= wxEVENT_SOURCE_INPUT;
        if (events_ & kWatchWrite) flags |= wxEVENT_SOURCE_OUTPUT;
        source_.reset(wxEventLoopBase::AddSourceForFD(fd_, this, flags));
        return source_ != nullptr;
    }
    void OnReadWaiting() override { Fire(kWatchRead); }
    void OnWriteWaiting() override { Fire(kWatchWrite); }
    void OnExceptionWaiting() override { Fire(kWatchError); }

private:
    void Fire(std::uint32_t bits) {
        if (pending_) return;
        pending_ = true;
        source_.reset();
        Message m;
        m.target = &target_;
        m.kind = MessageKind::Custom;
        m.code = id_;
        m.wparam = static_cast<std::uint64_t>(fd_);
        m.param = bits;
        Post(m);
    }

    int fd_;
    Window& target_;
    std::uint32_t id_;
    std::uint32_t events_;
    bool pending_ = false;
    std::unique_ptr<wxEventLoopSource> source_;
};

std::map<int, std::unique_ptr<Watch>> gWatches;

void RearmWatch(const Message& m) {
    auto it = gWatches.find(static_cast<int>(m.wparam));
    if (it != gWatches.end() && it->second->pending() && &it->second->target() == m.target &&
        it->second->id() == m.code)
        it->second->Arm();
}

// Native events waiting now, without blocking.
void PumpNative() {
    if (!Started()) return;
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (!loop) return;
    while (loop->Pending()) {
        if (!loop->Dispatch()) break;
    }
    wxTheApp->ProcessPendingEvents();
}

// Timers tick by posting to the queue, at most one tick waiting per timer.
class Ticker final : public wxTimer {
public:
    Ticker(Window& w, int id) : window_(w), id_(id) {}
    void Notify() override {
        Message m;
        m.target = &window_;
        m.kind = MessageKind::Timer;
        m.code = static_cast<std::uint32_t>(id_);
        Post(m);
    }

private:
    Window& window_;
    int id_;
};

std::map<std::pair<Window*, int>, std::unique_ptr<Ticker>>& Timers() {
    static std::map<std::pair<Window*, int>, std::unique_ptr<Ticker>> t;
    return t;
}

}  // namespace

namespace wxbackend {

void Post(const Message& m) {
    if (m.kind == MessageKind::Timer) {
        if (!gTimerPending.insert({m.target, static_cast<int>(m.code)}).second) return;
    }
    gQueue.push_back(m);
    if (Started()) wxWakeUpIdle();
}

void Drain() {
    Message m;
    while (Pop(m)) Window::Deliver(m);
}

}  // namespace wxbackend

bool PeekMessage(Message& out) {
    PumpNative();
    return Pop(out);
}

void DispatchMessage(const Message& msg) { Window::Deliver(msg); }

void WaitForMessage(int timeoutMs) {
    if (!gQueue.empty() || timeoutMs <= 0) return;
    EnsureStarted();
    if (!Started()) return;
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    static wxGUIEventLoop* spare = new wxGUIEventLoop;  // for pumps that run before the loop does
    if (!loop) {
        wxEventLoopActivator activate(spare);
        spare->DispatchTimeout(static_cast<unsigned long>(timeoutMs));
    } else {
        loop->DispatchTimeout(static_cast<unsigned long>(timeoutMs));
    }
    wxTheApp->ProcessPendingEvents();
}

void PostMessage(const Message& msg) { Post(msg); }

bool WatchDescriptor(int fd, Window& target, std::uint32_t id, std::uint32_t events) {
    UnwatchDescriptor(fd);
    EnsureStarted();
    if (fd < 0 || !Started()) return false;
    auto w = std::make_unique<Watch>(fd, target, id, events);
    if (!w->Arm()) return false;
    gWatches[fd] = std::move(w);
    return true;
}

void UnwatchDescriptor(int fd) {
    auto it = gWatches.find(fd);
    if (it == gWatches.end()) return;
    Window* target = &it->second->target();
    const std::uint32_t id = it->second->id();
    std::erase_if(gQueue, [&](const Message& m) {
        return m.kind == MessageKind::Custom && m.target == target && m.code == id &&
               m.wparam == static_cast<std::uint64_t>(fd);
    });
    gWatches.erase(it);
}

namespace backend {

void Forget(Window& w) {
    std::erase_if(gQueue, [&](const Message& m) { return m.target == &w; });
    std::erase_if(gTimerPending, [&](const auto& t) { return t.first == &w; });
    std::erase_if(gWatches, [&](const auto& x) { return &x.second->target() == &w; });
    auto& timers = Timers();
    for (auto it = timers.begin(); it != timers.end();) {
        if (it->first.first == &w) it = timers.erase(it);
        else ++it;
    }
}

bool StartTimer(Window& w, int id, int ms) {
    if (!Started()) return false;
    auto& t = Timers()[{&w, id}];
    if (!t) t = std::make_unique<Ticker>(w, id);
    return t->Start(std::max(ms, 1));
}

void StopTimer(Window& w, int id) {
    Timers().erase({&w, id});
    gTimerPending.erase({&w, id});
}

int RunLoop(Application& app) {
    EnsureStarted();
    if (!Started()) return 1;
    gQuitCode = 0;
    if (!app.mainWindow()) return gQuitCode;
    wxGUIEventLoop loop;
    gMainLoop = &loop;
    wxWakeUpIdle();
    loop.Run();
    gMainLoop = nullptr;
    return gQuitCode;
}

void QuitLoop(int code) {
    gQuitCode = code;
    if (gMainLoop && gMainLoop->IsRunning()) gMainLoop->ScheduleExit(code);
}

}  // namespace backend
}  // namespace platform::ui
