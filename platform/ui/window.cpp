#include "platform/ui/window.h"

#include <algorithm>

#include "platform/ui/app.h"
#include "platform/ui/backend.h"
#include "platform/ui/dialog.h"
#include "platform/ui/frame.h"
#include "platform/ui/recent_files.h"

namespace platform::ui {
namespace {

Window* gCapture = nullptr;

// Windows whose Destroy waits for a handler running in them to return.
std::vector<Window*>& Pending() {
    static std::vector<Window*> p;
    return p;
}

// Windows with a native side, for presenting damage after each message.
std::vector<Window*>& Live() {
    static std::vector<Window*> live;
    return live;
}

void ForSubtree(Window& w, const auto& fn) {
    fn(w);
    for (Window* c : w.children()) ForSubtree(*c, fn);
}

}  // namespace

// Marks a window and its parents busy while a handler runs in it, so that a
// Destroy waits; on the way out, deletes whatever has stopped being busy.
class DispatchGuard {
public:
    explicit DispatchGuard(Window& w) {
        for (Window* p = &w; p; p = p->parent_) {
            chain_.push_back(p);
            ++p->busy_;
        }
    }
    ~DispatchGuard() {
        for (Window* p : chain_) --p->busy_;
        Flush();
    }
    DispatchGuard(const DispatchGuard&) = delete;
    DispatchGuard& operator=(const DispatchGuard&) = delete;

    static void Flush() {
        auto& pending = Pending();
        for (bool again = true; again;) {
            again = false;
            for (std::size_t i = 0; i < pending.size(); ++i) {
                Window* w = pending[i];
                if (w->busy_ > 0) continue;
                pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(i));
                if (w->DestroyedByOwner()) delete w;
                again = true;
                break;
            }
        }
    }

private:
    std::vector<Window*> chain_;
};

Window::Window(Window* parent, std::string caption)
    : parent_(parent),
      caption_(std::move(caption)),
      style_(parent ? style::kChild | style::kVisible : 0),
      buffer_(ResizedBuffer(nullptr, {})) {
    if (parent_) parent_->children_.push_back(this);
}

Window::~Window() {
    destroying_ = true;
    while (!children_.empty()) delete children_.back();
    auto& pending = Pending();
    pending.erase(std::remove(pending.begin(), pending.end(), this), pending.end());
    if (focus_ == this) focus_ = nullptr;
    if (gCapture == this) gCapture = nullptr;
    backend::Forget(*this);
    std::erase(Live(), this);
    peer_.reset();
    if (parent_) {
        auto& sib = parent_->children_;
        sib.erase(std::remove(sib.begin(), sib.end(), this), sib.end());
        parent_->ChildRemoved(this);
    }
    if (Application* app = Application::Instance(); app && app->mainWindow() == this) app->ReleaseMainWindow();
}

// True when the window belongs to something in the tree that deletes it now;
// a parentless window that is not the main window only loses its native side.
bool Window::DestroyedByOwner() {
    Application* app = Application::Instance();
    if (app && app->mainWindow() == this) {
        app->MainWindowDestroyed();
        return false;  // deleted by the application
    }
    if (parent_) return true;
    DropNative(*this);
    return false;
}

// Children first: their native windows live inside this one's.
void Window::DropNative(Window& w) {
    for (Window* c : w.children_) DropNative(*c);
    std::erase(Live(), &w);
    w.peer_.reset();
    w.created_ = false;
}

Frame* Window::frame() {
    for (Window* w = this; w; w = w->parent_) {
        if (auto* f = dynamic_cast<Frame*>(w)) return f;
    }
    return nullptr;
}

Window* Window::ChildWithId(int id) const {
    for (Window* c : children_) {
        if (c->id_ == id) return c;
    }
    return nullptr;
}

bool Window::IsSelfOrAncestorOf(const Window* w) const {
    for (; w; w = w->parent_) {
        if (w == this) return true;
    }
    return false;
}

bool Window::Create() {
    if (destroying_) return false;
    if (created_) return true;
    if (parent_ && !parent_->created_) return false;
    CreatePeerAndChildren();
    if (destroying_) return false;
    if (style_ & style::kVisible) Show((style_ & style::kMaximize) ? ShowCommand::Maximize : ShowCommand::Show);
    return true;
}

void Window::CreatePeerAndChildren() {
    created_ = true;
    ResizeBuffer();
    invalid_ = clientRect();  // a new window has everything to paint
    peer_ = backend::CreatePeer(*this);
    Live().push_back(this);
    if (!enabled() && peer_) peer_->Enable(false);
    DispatchGuard guard(*this);
    SetupWindow();
}

void Window::SetupWindow() {
    std::vector<Window*> kids = children_;
    for (Window* c : kids) {
        if (std::find(children_.begin(), children_.end(), c) != children_.end() && !c->created_) c->Create();
    }
}

void Window::Destroy() {
    if (destroying_) return;
    ForSubtree(*this, [](Window& w) {
        w.destroying_ = true;
        backend::Forget(w);
        if (focus_ == &w) focus_ = nullptr;
        if (gCapture == &w) {
            gCapture = nullptr;
            if (w.peer_) w.peer_->Capture(false);
        }
    });
    if (peer_ && visible_) peer_->Show(false);
    visible_ = false;
    if (busy_ > 0) {
        Pending().push_back(this);
        return;
    }
    if (DestroyedByOwner()) delete this;
}

bool Window::CloseWindow(int) {
    if (destroying_) return false;
    bool ok;
    {
        DispatchGuard guard(*this);
        ok = CanClose();
    }
    if (ok) Destroy();
    return ok;
}

void Window::MoveWindow(const Rect& r) {
    const bool sized = r.size() != rect_.size();
    rect_ = r;
    if (peer_) peer_->Move(r);
    if (!sized) return;
    ResizeBuffer();
    if (!created_ || destroying_) return;
    Invalidate();
    DispatchGuard guard(*this);
    EvSize(rect_.size());
}

void Window::Show(ShowCommand how) {
    if (destroying_) return;
    const bool was = visible_;
    visible_ = how != ShowCommand::Hide;
    if (how == ShowCommand::Hide) style_ &= ~style::kVisible;
    else style_ |= style::kVisible;
    if (was != visible_) EvShowWindow(visible_);
    if (how == ShowCommand::Maximize && !parent_) {
        const Size s = ScreenSize();
        MoveWindow({0, 0, s.width, s.height});
    }
    if (!peer_) return;
    peer_->Show(visible_);
    if (how == ShowCommand::Maximize) peer_->Maximize();
}

void Window::SetCaption(std::string_view text) {
    caption_ = std::string(text);
    if (peer_) peer_->SetCaption(caption_);
}

void Window::EnableWindow(bool on) {
    if (on) style_ &= ~style::kDisabled;
    else style_ |= style::kDisabled;
    if (peer_) peer_->Enable(on);
}

Point Window::ClientToScreen(Point p) const {
    for (const Window* w = this; w; w = w->parent_) {
        p = p + w->rect_.topLeft();
        if (w->style_ & style::kPopup) break;  // popups are placed on the screen
    }
    return p;
}

void Window::SetFocus() {
    if (destroying_) return;
    focus_ = this;
    if (peer_) peer_->SetFocus();
}

Window* Window::FocusWindow() { return focus_; }

void Window::SetCapture() {
    if (destroying_) return;
    gCapture = this;
    if (peer_) peer_->Capture(true);
}

void Window::ReleaseCapture() {
    if (gCapture != this) return;
    gCapture = nullptr;
    if (peer_) peer_->Capture(false);
}

Window* Window::CaptureWindow() { return gCapture; }

void Window::Invalidate(const Rect& r) {
    const Rect c = r.intersected(clientRect());
    if (c.empty()) return;
    invalid_ = invalid_.united(c);
    if (peer_) peer_->Present(c);
}

Rect Window::PaintPending() {
    if (destroying_ || painting_ || invalid_.empty()) return {};
    const Rect damaged = invalid_;
    invalid_ = {};
    painting_ = true;
    {
        DispatchGuard guard(*this);
        Paint(*buffer_, damaged);
    }
    painting_ = false;
    const Rect drawn = damaged.united(buffer_->damage());
    buffer_->ClearDamage();
    return drawn;
}

void Window::Update() {
    const Rect damaged = PaintPending();
    if (!damaged.empty() && peer_ && !destroying_) peer_->Present(damaged);
}

void Window::BufferChanged(const Rect& r) {
    const Rect c = r.intersected(clientRect());
    if (!c.empty() && peer_) peer_->Present(c);
}

void Window::PresentDamage() {
    if (buffer_->damage().empty()) return;
    // Each damaged rectangle on its own: dots far apart never present the map between them.
    const std::vector<Rect> rects = buffer_->damageRects();
    buffer_->ClearDamage();
    if (!peer_ || destroying_) return;
    for (const Rect& r : rects) peer_->Present(r);
}

void Window::PresentAllDamage() {
    std::vector<Window*> live = Live();
    for (Window* w : live) {
        if (std::find(Live().begin(), Live().end(), w) != Live().end()) w->PresentDamage();
    }
}

void Window::ResizeBuffer() {
    if (buffer_->size() != rect_.size()) buffer_ = ResizedBuffer(buffer_.get(), rect_.size());
}

void Window::NativeMoved(const Rect& r) {
    const bool sized = r.size() != rect_.size();
    rect_ = r;
    if (!sized) return;
    ResizeBuffer();
    if (!created_ || destroying_) return;
    invalid_ = clientRect();
    DispatchGuard guard(*this);
    EvSize(rect_.size());
}

bool Window::SetTimer(int id, int ms) {
    if (!created_ || destroying_) return false;
    return backend::StartTimer(*this, id, ms);
}

void Window::KillTimer(int id) { backend::StopTimer(*this, id); }

bool Window::SendCommand(int id) {
    for (Window* w = this; w; w = w->parent_) {
        if (w->destroying_) continue;
        DispatchGuard guard(*w);
        if (w->EvCommand(id)) {
            backend::NoteCommand(*this, id, true);
            return true;
        }
    }
    const bool handled = Application::Instance() && Application::Instance()->RunCommand(id);
    backend::NoteCommand(*this, id, handled);
    return handled;
}

Result Window::SendMessage(MessageId id, WParam w, LParam l) {
    if (destroying_) return 0;
    DispatchGuard guard(*this);
    return RunMessage(id, w, l).value_or(0);
}

void Window::PostCommand(int id) {
    Message m;
    m.target = this;
    m.kind = MessageKind::Command;
    m.code = static_cast<std::uint32_t>(id);
    ui::PostMessage(m);
}

void Window::PostMessage(MessageId id, WParam w, LParam l) {
    Message m;
    m.target = this;
    m.kind = MessageKind::Custom;
    m.code = id;
    m.wparam = w;
    m.param = l;
    ui::PostMessage(m);
}

CommandEnabler Window::QueryCommand(int id) {
    if (Frame* f = frame(); f && f->recentFiles() && f->recentFiles()->IndexOfCommand(id) >= 0) {
        return CommandEnabler(id);  // the frame sends the list's message for it
    }
    for (Window* w = this; w; w = w->parent_) {
        if (w->destroying_) continue;
        CommandEnabler ce(id);
        DispatchGuard guard(*w);
        if (w->RunEnabler(ce)) return ce;
    }
    CommandEnabler ce(id);
    if (Application* app = Application::Instance(); app && app->RunEnabler(ce)) return ce;
    ce.Enable(false);
    return ce;
}

bool Window::Notify(Notification& n) {
    if (destroying_) return false;
    DispatchGuard guard(*this);
    EvNotify(n);
    return true;
}

namespace {
void RunEnablers(Window& owner, Menu& menu) {
    for (int pos = 0; pos < menu.count(); ++pos) {
        const MenuItem& it = menu.item(pos);
        if (it.popup) {
            RunEnablers(owner, *it.popup);
            continue;
        }
        if (it.separator) continue;
        CommandEnabler ce = owner.QueryCommand(it.id);
        menu.EnableAt(pos, ce.enabled());
        if (ce.checked()) menu.CheckAt(pos, *ce.checked());
        if (ce.text()) menu.SetText(it.id, *ce.text());
    }
}
}  // namespace

int Window::TrackPopupMenu(Menu& menu, Point screen) {
    if (destroying_) return 0;
    if (Frame* f = frame(); f && f->recentFiles()) f->recentFiles()->UpdateMenu(menu);
    RunEnablers(*this, menu);
    return backend::TrackPopup(*this, menu, screen);
}

void Window::RunMenuEnablers(Menu& menu) { RunEnablers(*this, menu); }

Frame* Window::AcceleratorFrame() {
    for (Window* p = this; p; p = p->parent_) {
        if (auto* f = dynamic_cast<Frame*>(p)) return f;
        if (dynamic_cast<Dialog*>(p) || (p->style_ & style::kPopup)) return nullptr;
    }
    return nullptr;
}

void Window::Deliver(const Message& m) {
    Window* w = m.target;
    if (!w || w->destroying_) return;
    if (m.kind == MessageKind::KeyDown || m.kind == MessageKind::Char) {
        if (Frame* f = w->AcceleratorFrame(); f && f->TranslateAccelerator(m)) return;
    }
    if (m.kind == MessageKind::Mouse && gCapture && gCapture != w && !gCapture->destroying_) {
        // A captured mouse reports to the capturing window, in its coordinates.
        Message moved = m;
        moved.target = gCapture;
        moved.point = m.point + w->ClientToScreen({0, 0}) - gCapture->ClientToScreen({0, 0});
        {
            DispatchGuard guard(*gCapture);
            gCapture->DeliverHere(moved);
        }
        PresentAllDamage();
        return;
    }
    {
        DispatchGuard guard(*w);
        w->DeliverHere(m);
    }
    PresentAllDamage();
}

void Window::DeliverHere(const Message& m) {
    const auto mods = static_cast<std::uint32_t>(m.param);
    switch (m.kind) {
        case MessageKind::Char: EvChar(static_cast<int>(m.code)); break;
        case MessageKind::KeyDown: EvKeyDown(static_cast<int>(m.code), mods); break;
        case MessageKind::KeyUp: EvKeyUp(static_cast<int>(m.code), mods); break;
        case MessageKind::Command:
            if (auto* f = dynamic_cast<Frame*>(this)) f->RouteCommand(static_cast<int>(m.code));
            else SendCommand(static_cast<int>(m.code));
            break;
        case MessageKind::Timer:
            if (!RunTimer(static_cast<int>(m.code))) EvTimer(static_cast<int>(m.code));
            break;
        case MessageKind::Paint: Update(); break;
        case MessageKind::Mouse:
            if (!enabled()) break;
            switch (static_cast<MouseAction>(m.code)) {
                case MouseAction::LeftDown: EvLButtonDown(m.point, mods); break;
                case MouseAction::LeftUp: EvLButtonUp(m.point, mods); break;
                case MouseAction::LeftDoubleClick: EvLButtonDblClk(m.point, mods); break;
                case MouseAction::RightDown: EvRButtonDown(m.point, mods); break;
                case MouseAction::RightUp: EvRButtonUp(m.point, mods); break;
                case MouseAction::RightDoubleClick: EvRButtonDown(m.point, mods); break;
                case MouseAction::Move: EvMouseMove(m.point, mods); break;
            }
            break;
        case MessageKind::Custom: RunMessage(m.code, m.wparam, m.param); break;
        case MessageKind::Close: EvClose(); break;
        case MessageKind::Activate: EvActivate(m.code != 0); break;
        case MessageKind::Other: break;
    }
}

void Window::Adopt(Window* child) {
    if (!child || child->parent_ == this) return;
    if (child->parent_) {
        auto& sib = child->parent_->children_;
        sib.erase(std::remove(sib.begin(), sib.end(), child), sib.end());
    }
    child->parent_ = this;
    child->style_ = (child->style_ & ~style::kPopup) | style::kChild | style::kVisible;
    children_.push_back(child);
}

void Window::Paint(BackBuffer&, const Rect&) {}
void Window::EvTimer(int) {}
bool Window::CanClose() {
    for (Window* c : children_) {
        if (!c->destroying_ && !c->CanClose()) return false;
    }
    return true;
}
void Window::EvSize(Size) {}
void Window::EvLButtonDown(Point, std::uint32_t) {}
void Window::EvLButtonUp(Point, std::uint32_t) {}
void Window::EvLButtonDblClk(Point, std::uint32_t) {}
void Window::EvRButtonDown(Point, std::uint32_t) {}
void Window::EvRButtonUp(Point, std::uint32_t) {}
void Window::EvMouseMove(Point, std::uint32_t) {}
void Window::EvKeyDown(int, std::uint32_t) {}
void Window::EvKeyUp(int, std::uint32_t) {}
void Window::EvChar(int) {}
void Window::EvActivate(bool) {}
void Window::EvShowWindow(bool) {}
void Window::EvClose() { CloseWindow(); }
bool Window::EvCommand(int id) { return RunCommand(id); }
void Window::EvNotify(Notification& n) { RunNotify(n); }
void Window::ChildRemoved(Window*) {}

}  // namespace platform::ui
