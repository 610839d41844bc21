// The real backend over wxWidgets: native frames, child windows that present
// their back buffers, native controls that mirror the layer's control models,
// timers, menus, message boxes and the event loop. Input is posted to the
// layer's queue and dispatched from the loop's idle time, so that nested pumps
// (the delay pump, the Escape check) see it as the original platform's did.
#include <wx/wx.h>

#include <cairo.h>

#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/evtloopsrc.h>
#include <wx/spinbutt.h>
#include <wx/timectrl.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>

#include "platform/gfx/font.h"
#include "platform/ui/app.h"
#include "platform/ui/backend.h"
#include "platform/ui/dialog.h"
#include "platform/ui/frame.h"
#include "platform/ui/menu.h"
#include "platform/ui/native_ids.h"
#include "platform/ui/recent_files.h"
#include "platform/ui/wx/screen_saver.h"
#include "platform/ui/wx/testing.h"

namespace platform::ui {
namespace {

// ---- start-up and the message queue --------------------------------------------

class QuorApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

bool gStarted = false;
std::deque<Message> gQueue;
std::set<std::pair<Window*, int>> gTimerPending;  // a timer tick is queued: no second one
wxGUIEventLoop* gMainLoop = nullptr;
int gQuitCode = 0;

void Drain();

#ifdef NDEBUG
// A release build logs a toolkit assertion and goes on: its dialog would stop
// a kiosk, and its Stop button would end the program without saving.
void LogToolkitAssertion(const wxString& file, int line, const wxString& func, const wxString& cond,
                         const wxString& msg) {
    std::fprintf(stderr, "Toolkit assertion \"%s\" failed in %s (%s:%d): %s\n", cond.utf8_str().data(),
                 func.utf8_str().data(), file.utf8_str().data(), line, msg.utf8_str().data());
}
#endif

void EnsureStarted() {
    if (gStarted) return;
#ifdef NDEBUG
    wxSetAssertHandler(LogToolkitAssertion);
#endif
    static int argc = 1;
    static char name[] = "Quorview";
    static char* argv[] = {name, nullptr};
    wxApp::SetInstance(new QuorApp);
    if (!wxEntryStart(argc, argv)) {
        wxApp::SetInstance(nullptr);
        return;  // no display: every window stays invisible
    }
    wxTheApp->CallOnInit();
    // The toolkit adopts the user's locale; numbers in every file we read and
    // write use a point, so number formatting stays the C locale's.
    std::setlocale(LC_NUMERIC, "C");
    wxLog::SetLogLevel(wxLOG_Warning);
    wxTheApp->SetExitOnFrameDelete(false);  // the loop ends with the main window, not the last frame
    wxTheApp->Bind(wxEVT_IDLE, [](wxIdleEvent& e) {
        Drain();
        e.Skip();
    });
    gStarted = true;
}

void Post(const Message& m) {
    if (m.kind == MessageKind::Timer) {
        if (!gTimerPending.insert({m.target, static_cast<int>(m.code)}).second) return;
    }
    gQueue.push_back(m);
    if (gStarted) wxWakeUpIdle();
}

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

void Drain() {
    Message m;
    while (Pop(m)) Window::Deliver(m);
}

// Native events waiting now, without blocking.
void PumpNative() {
    if (!gStarted) return;
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (!loop) return;
    while (loop->Pending()) {
        if (!loop->Dispatch()) break;
    }
    wxTheApp->ProcessPendingEvents();
}

std::uint32_t Modifiers(const wxKeyboardState& k) {
    return (k.ShiftDown() ? kShift : 0u) | (k.ControlDown() ? kControl : 0u) | (k.AltDown() ? kAlt : 0u);
}

// wx key codes to the virtual keys of KeyDown; 0 when there is none.
int VirtualKey(int code) {
    if (code >= 'a' && code <= 'z') return code - 'a' + 'A';
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) return code;
    if (code >= WXK_F1 && code <= WXK_F24) return key::kF1 + (code - WXK_F1);
    switch (code) {
        case WXK_BACK: return key::kBack;
        case WXK_TAB: return key::kTab;
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER: return key::kReturn;
        case WXK_ESCAPE: return key::kEscape;
        case WXK_SPACE: return key::kSpace;
        case WXK_PAGEUP:
        case WXK_NUMPAD_PAGEUP: return key::kPageUp;
        case WXK_PAGEDOWN:
        case WXK_NUMPAD_PAGEDOWN: return key::kPageDown;
        case WXK_END: return key::kEnd;
        case WXK_HOME: return key::kHome;
        case WXK_LEFT: return key::kLeft;
        case WXK_UP: return key::kUp;
        case WXK_RIGHT: return key::kRight;
        case WXK_DOWN: return key::kDown;
        case WXK_INSERT: return key::kInsert;
        case WXK_DELETE: return key::kDelete;
        case WXK_SHIFT: return 0x10;
        case WXK_CONTROL: return 0x11;
        case WXK_ALT: return 0x12;
        default: return 0;
    }
}

// The program's strings are Windows-1252, as its files are; the toolkit's are Unicode.
wxString Text(std::string_view s) {
    wxString out;
    out.reserve(s.size());
    for (char c : s) out += wxUniChar(static_cast<wxUint32>(gfx::Windows1252ToUnicode(static_cast<unsigned char>(c))));
    return out;
}
std::string Ansi(const wxString& s) {
    std::string out;
    out.reserve(s.length());
    for (wxUniChar c : s) out += static_cast<char>(gfx::UnicodeToWindows1252(c.GetValue()));
    return out;
}
wxRect ToWx(const Rect& r) { return {r.left, r.top, r.width(), r.height()}; }

// ---- peers ---------------------------------------------------------------------

class WxPeer : public backend::Peer {
public:
    explicit WxPeer(Window& w) : model_(w), alive_(std::make_shared<bool>(true)) {}
    ~WxPeer() override { *alive_ = false; }

    // Where the native windows of the children go.
    virtual wxWindow* container() = 0;
    // What shows, hides and moves.
    virtual wxWindow* native() = 0;

    void Show(bool visible) override { native()->Show(visible); }
    void Move(const Rect& r) override { native()->SetSize(ToWx(r)); }
    void SetCaption(std::string_view) override {}
    void Present(const Rect&) override {}
    void SetFocus() override { container()->SetFocus(); }
    void Capture(bool on) override {
        wxWindow* w = container();
        if (on && !w->HasCapture()) w->CaptureMouse();
        if (!on && w->HasCapture()) w->ReleaseMouse();
    }
    void Enable(bool on) override { native()->Enable(on); }

protected:
    // A handler that does nothing once the peer is gone: natives die later than peers.
    template <class E, class F>
    auto Guard(F f) {
        return [alive = alive_, f](E& e) {
            if (*alive) f(e);
            else e.Skip();
        };
    }
    // Runs f at idle time, unless the peer is gone by then.
    template <class F>
    void Later(F f) {
        wxTheApp->CallAfter([alive = alive_, f] {
            if (*alive) f();
        });
    }
    // Tears the native window down outside whatever wx handler is running.
    static void Retire(wxWindow* w) {
        if (!w) return;
        w->Hide();
        if (w->HasCapture()) w->ReleaseMouse();
        wxTheApp->ScheduleForDestruction(w);
    }

    Window& model_;
    std::shared_ptr<bool> alive_;
};

WxPeer* PeerOf(const Window* w) { return w ? dynamic_cast<WxPeer*>(w->peer()) : nullptr; }

wxWindow* ParentContainer(const Window& w) {
    WxPeer* p = PeerOf(w.parent());
    return p ? p->container() : nullptr;
}

wxWindow* ParentTopLevel(const Window& w) {
    wxWindow* c = ParentContainer(w);
    return c ? wxGetTopLevelParent(c) : nullptr;
}

// The drawing surface of a window: presents the back buffer, reports input.
class Canvas : public wxWindow {
public:
    Canvas(wxWindow* parent, const Rect& r)
        : wxWindow(parent, wxID_ANY, wxPoint(r.left, r.top), wxSize(std::max(r.width(), 1), std::max(r.height(), 1)),
                   wxWANTS_CHARS | wxFULL_REPAINT_ON_RESIZE) {
        SetBackgroundStyle(wxBG_STYLE_PAINT);
    }
    bool AcceptsFocus() const override { return true; }
};

class CanvasPeer : public WxPeer {
public:
    using WxPeer::WxPeer;

    void Present(const Rect& r) override {
        if (canvas_) canvas_->RefreshRect(ToWx(r), false);
    }

protected:
    void BindCanvas(Canvas* c, bool topLevel) {
        canvas_ = c;
        c->Bind(wxEVT_PAINT, Guard<wxPaintEvent>([this](wxPaintEvent&) { Paint(); }));
        c->Bind(wxEVT_SIZE, Guard<wxSizeEvent>([this, topLevel](wxSizeEvent& e) {
            const wxSize s = canvas_->GetClientSize();
            wxPoint p = canvas_->GetPosition();
            if (topLevel) {
                // Unshown frames have no place on the screen yet: keep the model's.
                p = wxGetTopLevelParent(canvas_)->IsShown() ? canvas_->GetScreenPosition()
                                                            : wxPoint(model_.rect().left, model_.rect().top);
            }
            model_.NativeMoved(Rect::FromSize(p.x, p.y, s.x, s.y));
            e.Skip();
        }));
        c->Bind(wxEVT_SET_FOCUS, Guard<wxFocusEvent>([this](wxFocusEvent& e) {
            model_.NativeFocused();
            e.Skip();
        }));
        auto mouse = [this](MouseAction a) {
            return Guard<wxMouseEvent>([this, a](wxMouseEvent& e) {
                if (a == MouseAction::LeftDown || a == MouseAction::RightDown) canvas_->SetFocus();
                Message m;
                m.target = &model_;
                m.kind = MessageKind::Mouse;
                m.code = static_cast<std::uint32_t>(a);
                m.param = Modifiers(e);
                m.point = {e.GetX(), e.GetY()};
                Post(m);
                e.Skip();
            });
        };
        c->Bind(wxEVT_LEFT_DOWN, mouse(MouseAction::LeftDown));
        c->Bind(wxEVT_LEFT_UP, mouse(MouseAction::LeftUp));
        c->Bind(wxEVT_LEFT_DCLICK, mouse(MouseAction::LeftDoubleClick));
        c->Bind(wxEVT_RIGHT_DOWN, mouse(MouseAction::RightDown));
        c->Bind(wxEVT_RIGHT_UP, mouse(MouseAction::RightUp));
        c->Bind(wxEVT_RIGHT_DCLICK, mouse(MouseAction::RightDoubleClick));
        c->Bind(wxEVT_MOTION, mouse(MouseAction::Move));
        c->Bind(wxEVT_KEY_DOWN, Guard<wxKeyEvent>([this](wxKeyEvent& e) {
            const int vk = VirtualKey(e.GetKeyCode());
            if (!vk) {
                e.Skip();
                return;
            }
            Message m;
            m.target = &model_;
            m.kind = MessageKind::KeyDown;
            m.code = static_cast<std::uint32_t>(vk);
            m.param = Modifiers(e);
            Post(m);
            // A key that an accelerator takes makes no character.
            Frame* f = model_.AcceleratorFrame();
            if (!f || !f->accelerators().Match(m)) e.Skip();
        }));
        c->Bind(wxEVT_KEY_UP, Guard<wxKeyEvent>([this](wxKeyEvent& e) {
            if (const int vk = VirtualKey(e.GetKeyCode())) {
                Message m;
                m.target = &model_;
                m.kind = MessageKind::KeyUp;
                m.code = static_cast<std::uint32_t>(vk);
                m.param = Modifiers(e);
                Post(m);
            }
            e.Skip();
        }));
        c->Bind(wxEVT_CHAR, Guard<wxKeyEvent>([this](wxKeyEvent& e) {
            int ch = e.GetUnicodeKey() != WXK_NONE ? static_cast<int>(e.GetUnicodeKey()) : e.GetKeyCode();
            if (e.ControlDown() && ch >= 'a' && ch <= 'z') ch = ch - 'a' + 1;
            if (e.ControlDown() && ch >= 'A' && ch <= 'Z') ch = ch - 'A' + 1;
            if (ch <= 0 || ch > 0xFFFF) return;
            Message m;
            m.target = &model_;
            m.kind = MessageKind::Char;
            m.code = static_cast<std::uint32_t>(ch);
            Post(m);
        }));
    }

    void Paint() {
        wxPaintDC dc(canvas_);
        model_.PaintPending();
        const BackBuffer& b = model_.backBuffer();
        // Under GTK 3 the paint context is cairo's.
        if (auto* cr = static_cast<cairo_t*>(dc.GetHandle()); cr && PaintThroughCairo(cr, b)) return;
        for (wxRegionIterator it(canvas_->GetUpdateRegion()); it; ++it) {
            const Rect r = Rect::FromSize(it.GetX(), it.GetY(), it.GetW(), it.GetH()).intersected(b.bounds());
            if (r.empty()) continue;
            wxImage img(r.width(), r.height(), false);
            unsigned char* p = img.GetData();
            for (int y = r.top; y < r.bottom; ++y) {
                const std::uint32_t* row = b.row(y) + r.left;
                for (int x = 0; x < r.width(); ++x) {
                    *p++ = static_cast<unsigned char>(row[x] >> 16);
                    *p++ = static_cast<unsigned char>(row[x] >> 8);
                    *p++ = static_cast<unsigned char>(row[x]);
                }
            }
            dc.DrawBitmap(wxBitmap(img), r.left, r.top);
        }
    }

    // The back buffer's 0x00RRGGBB words are cairo's RGB24 pixels: it is
    // handed over as it lies, and only the damaged rectangles are painted.
    bool PaintThroughCairo(cairo_t* cr, const BackBuffer& b) {
        if (b.width() <= 0 || b.height() <= 0) return true;
        const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, b.width());
        if (stride != b.width() * 4) return false;
        // Cairo only reads a source surface.
        auto* pixels = reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(b.row(0)));
        cairo_surface_t* image =
            cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_RGB24, b.width(), b.height(), stride);
        if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(image);
            return false;
        }
        cairo_save(cr);
        bool any = false;
        for (wxRegionIterator it(canvas_->GetUpdateRegion()); it; ++it) {
            const Rect r = Rect::FromSize(it.GetX(), it.GetY(), it.GetW(), it.GetH()).intersected(b.bounds());
            if (r.empty()) continue;
            cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
            any = true;
        }
        if (any) {
            cairo_clip(cr);
            cairo_set_source_surface(cr, image, 0, 0);
            cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
            cairo_paint(cr);
        }
        cairo_restore(cr);
        cairo_surface_destroy(image);
        return true;
    }

    Canvas* canvas_ = nullptr;
};

// A plain child window.
class ChildPeer final : public CanvasPeer {
public:
    ChildPeer(Window& w, wxWindow* parent) : CanvasPeer(w) {
        auto* c = new Canvas(parent, w.rect());
        c->Hide();
        BindCanvas(c, false);
    }
    ~ChildPeer() override { Retire(canvas_); }
    wxWindow* container() override { return canvas_; }
    wxWindow* native() override { return canvas_; }
};

long FrameStyle(std::uint32_t s, bool owned) {
    long style = 0;
    if (s & style::kCaption) style |= wxCAPTION;
    if (s & style::kSysMenu) style |= wxSYSTEM_MENU | wxCLOSE_BOX;
    if (s & style::kMinimizeBox) style |= wxMINIMIZE_BOX;
    if (s & style::kMaximizeBox) style |= wxMAXIMIZE_BOX;
    if (s & style::kThickFrame) style |= wxRESIZE_BORDER;
    if (!(s & (style::kCaption | style::kThickFrame))) style |= (s & style::kBorder) ? wxBORDER_SIMPLE : wxBORDER_NONE;
    if (owned) style |= wxFRAME_FLOAT_ON_PARENT | wxFRAME_NO_TASKBAR;
    return style;
}

// The toolkit takes what follows a tab for a shortcut to bind and drops a
// text it cannot read as one ("&0\tStop" would show "0"). The text joins the
// label instead, and the keys stay the frame's accelerators, which ask the
// enablers first.
wxString MenuLabel(const std::string& text) {
    const std::size_t tab = text.find('\t');
    if (tab == std::string::npos) return Text(text);
    return Text(text.substr(0, tab)) + wxString("   ") + Text(text.substr(tab + 1));
}

wxMenu* BuildMenu(const Menu& m) {
    auto* menu = new wxMenu;
    for (int i = 0; i < m.count(); ++i) {
        const MenuItem& it = m.item(i);
        if (it.separator) {
            menu->AppendSeparator();
        } else if (it.popup) {
            menu->AppendSubMenu(BuildMenu(*it.popup), MenuLabel(it.text));
        } else {
            // An id the toolkit cannot take leaves the item out rather than
            // stopping the program.
            const std::optional<int> native = MenuNativeIds().ToNative(it.id);
            if (!native) continue;
            // Only items that carry a check mark get its box.
            wxMenuItem* item = it.checkable ? menu->AppendCheckItem(*native, MenuLabel(it.text))
                                            : menu->Append(*native, MenuLabel(it.text));
            if (it.checkable) item->Check(it.checked);
            item->Enable(it.enabled);
        }
    }
    return menu;
}

void ApplyStates(const Menu& m, wxMenuBar& bar) {
    for (int i = 0; i < m.count(); ++i) {
        const MenuItem& it = m.item(i);
        if (it.popup) {
            ApplyStates(*it.popup, bar);
        } else if (const std::optional<int> native = it.separator ? std::nullopt : MenuNativeIds().ToNative(it.id);
                   native && bar.FindItem(*native)) {
            bar.Enable(*native, it.enabled);
            if (it.checkable) bar.Check(*native, it.checked);
        }
    }
}

// Frames and popup windows: a native frame around a canvas, with the frame's
// menu bar (real menus when every bar item is a popup, else a strip of
// buttons, since a native bar cannot hold plain commands).
class TopLevelPeer final : public CanvasPeer {
public:
    explicit TopLevelPeer(Window& w) : CanvasPeer(w) {
        const Rect r = w.rect();
        wxWindow* owner = ParentTopLevel(w);
        frame_ = new wxFrame(owner, wxID_ANY, Text(w.caption()), wxPoint(r.left, r.top), wxDefaultSize,
                             FrameStyle(w.style(), owner != nullptr));
        sizer_ = new wxBoxSizer(wxVERTICAL);
        auto* c = new Canvas(frame_, Rect::FromSize(0, 0, r.width(), r.height()));
        sizer_->Add(c, 1, wxEXPAND);
        frame_->SetSizer(sizer_);
        BindCanvas(c, true);
        frame_->Bind(wxEVT_CLOSE_WINDOW, Guard<wxCloseEvent>([this](wxCloseEvent& e) {
            if (e.CanVeto()) e.Veto();
            Message m;
            m.target = &model_;
            m.kind = MessageKind::Close;
            Post(m);
        }));
        frame_->Bind(wxEVT_ACTIVATE, Guard<wxActivateEvent>([this](wxActivateEvent& e) {
            Message m;
            m.target = &model_;
            m.kind = MessageKind::Activate;
            m.code = e.GetActive() ? 1u : 0u;
            Post(m);
            e.Skip();
        }));
        frame_->Bind(wxEVT_MENU, Guard<wxCommandEvent>([this](wxCommandEvent& e) {
            if (const std::optional<int> id = MenuNativeIds().FromNative(e.GetId())) PostCommand(*id);
        }));
        frame_->Bind(wxEVT_MENU_OPEN, Guard<wxMenuEvent>([this](wxMenuEvent& e) {
            auto* f = dynamic_cast<Frame*>(&model_);
            if (f && f->menu() && frame_->GetMenuBar()) {
                rebuilding_ = true;
                f->RunMenuEnablers(*f->menu());
                rebuilding_ = false;
                ApplyStates(*f->menu(), *frame_->GetMenuBar());
            }
            e.Skip();
        }));
        frame_->SetClientSize(std::max(r.width(), 1), std::max(r.height(), 1));
        RebuildBar();
    }
    ~TopLevelPeer() override {
        screenSaver_.Release();
        if (frame_) {
            frame_->Hide();
            frame_->Destroy();  // wx deletes top-level windows at idle time
        }
    }

    wxWindow* container() override { return canvas_; }
    wxWindow* native() override { return frame_; }
    void Show(bool visible) override {
        frame_->Show(visible);
        if (visible) {
            canvas_->SetFocus();
            screenSaver_.Shown(frame_);
        }
    }
    void HoldOffScreenSaver(bool on) override { screenSaver_.Want(on, frame_); }
    void Maximize() override {
        frame_->Maximize(true);
        // Without a window manager nothing maximises: fill the work area ourselves.
        frame_->SetSize(wxGetClientDisplayRect());
    }
    void Move(const Rect& r) override {
        frame_->SetPosition(wxPoint(r.left, r.top));
        frame_->SetClientSize(std::max(r.width(), 1), std::max(r.height(), 1) + StripHeight());
    }
    void SetCaption(std::string_view text) override { frame_->SetTitle(Text(text)); }
    void FrameChanged() override {
        if (rebuilding_ || rebuildQueued_) return;
        rebuildQueued_ = true;
        Later([this] {
            rebuildQueued_ = false;
            RebuildBar();
        });
    }

private:
    int StripHeight() const { return strip_ ? strip_->GetSize().y : 0; }

    void PostCommand(int id) {
        Message m;
        m.target = &model_;
        m.kind = MessageKind::Command;
        m.code = static_cast<std::uint32_t>(id);
        Post(m);
    }

    void RebuildBar() {
        auto* f = dynamic_cast<Frame*>(&model_);
        Menu* bar = f ? f->menu() : nullptr;
        rebuilding_ = true;
        if (bar && f->recentFiles()) f->recentFiles()->UpdateMenu(*bar);
        rebuilding_ = false;
        bool allPopups = bar && bar->count() > 0;
        for (int i = 0; bar && i < bar->count(); ++i) allPopups = allPopups && bar->item(i).popup;
        const wxSize client = canvas_->GetClientSize();
        if (strip_) {
            sizer_->Detach(strip_);
            strip_->Destroy();
            strip_ = nullptr;
        }
        wxMenuBar* old = frame_->GetMenuBar();
        frame_->SetMenuBar(nullptr);
        delete old;
        if (bar && allPopups) {
            auto* mb = new wxMenuBar;
            for (int i = 0; i < bar->count(); ++i) mb->Append(BuildMenu(*bar->subMenu(i)), Text(bar->item(i).text));
            frame_->SetMenuBar(mb);
        } else if (bar && bar->count() > 0) {
            strip_ = new wxPanel(frame_);
            auto* row = new wxBoxSizer(wxHORIZONTAL);
            for (int i = 0; i < bar->count(); ++i) {
                const MenuItem& it = bar->item(i);
                if (it.separator) continue;
                auto* b = new wxButton(strip_, wxID_ANY, Text(it.text), wxDefaultPosition, wxDefaultSize,
                                       wxBU_EXACTFIT | wxBORDER_NONE);
                b->Enable(it.enabled);
                const int id = it.id;
                const int pos = i;
                b->Bind(wxEVT_BUTTON, Guard<wxCommandEvent>([this, id, pos, b](wxCommandEvent&) {
                    auto* fr = dynamic_cast<Frame*>(&model_);
                    Menu* popup = fr && fr->menu() ? fr->menu()->subMenu(pos) : nullptr;
                    if (!popup) {
                        PostCommand(id);
                        return;
                    }
                    const wxPoint at = b->GetScreenPosition() + wxPoint(0, b->GetSize().y);
                    if (const int chosen = fr->TrackPopupMenu(*popup, {at.x, at.y})) PostCommand(chosen);
                }));
                row->Add(b, 0, wxALL, 1);
            }
            strip_->SetSizer(row);
            sizer_->Insert(0, strip_, 0, wxEXPAND);
        }
        sizer_->Layout();
        if (frame_->IsShown() && !frame_->IsMaximized()) {
            frame_->SetClientSize(client.x, client.y + StripHeight());
        }
        frame_->Layout();
    }

    wxFrame* frame_ = nullptr;
    wxBoxSizer* sizer_ = nullptr;
    wxPanel* strip_ = nullptr;
    wxbackend::ScreenSaverHold screenSaver_;
    bool rebuilding_ = false;
    bool rebuildQueued_ = false;
};

class DialogPeer final : public WxPeer {
public:
    explicit DialogPeer(Dialog& d) : WxPeer(d), dialog_model_(d) {
        const Rect r = d.rect();
        const long style = (d.style() & style::kCaption) ? wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX : wxBORDER_SIMPLE;
        dialog_ = new wxDialog(ParentTopLevel(d), wxID_ANY, Text(d.caption()), wxPoint(r.left, r.top),
                               wxDefaultSize, style);
        dialog_->SetClientSize(std::max(r.width(), 1), std::max(r.height(), 1));
        dialog_->Bind(wxEVT_CLOSE_WINDOW, Guard<wxCloseEvent>([this](wxCloseEvent& e) {
            if (e.CanVeto()) e.Veto();
            Message m;
            m.target = &model_;
            m.kind = MessageKind::Close;
            Post(m);
        }));
        // Escape cancels and Enter presses the default button through the
        // dialog's own table, not around it; in a multi-line edit Enter is a line break.
        dialog_->Bind(wxEVT_CHAR_HOOK, Guard<wxKeyEvent>([this](wxKeyEvent& e) {
            const int key = e.GetKeyCode();
            if (key == WXK_ESCAPE) {
                Later([this] { model_.SendCommand(IdCancel); });
                return;
            }
            // A focused button takes Enter itself, as it does on Windows.
            auto* focus = dynamic_cast<wxWindow*>(e.GetEventObject());
            const auto* edit = dynamic_cast<wxTextCtrl*>(focus);
            const int button = DefaultButtonId();
            if ((key != WXK_RETURN && key != WXK_NUMPAD_ENTER) || (edit && edit->IsMultiLine()) ||
                dynamic_cast<wxButton*>(focus) || button == 0) {
                e.Skip();
                return;
            }
            Later([this, button] { model_.SendCommand(button); });
        }));
    }
    ~DialogPeer() override {
        if (dialog_->IsModal()) dialog_->EndModal(wxID_CANCEL);
        dialog_->Hide();
        dialog_->Destroy();
    }

    wxWindow* container() override { return dialog_; }
    wxWindow* native() override { return dialog_; }
    void Show(bool visible) override {
        if (visible && dialog_model_.modal()) return;  // ShowModal shows it
        if (!visible && dialog_->IsModal()) return;
        dialog_->Show(visible);
    }
    void Move(const Rect& r) override {
        dialog_->SetPosition(wxPoint(r.left, r.top));
        dialog_->SetClientSize(std::max(r.width(), 1), std::max(r.height(), 1));
    }
    void SetCaption(std::string_view text) override { dialog_->SetTitle(Text(text)); }

    wxDialog* dialog() const { return dialog_; }
    // The template's default button, 0 when it has none.
    int DefaultButtonId() const {
        for (const DialogItem& item : static_cast<Dialog&>(model_).dialogTemplate().items)
            if (item.kind == ControlKind::DefaultButton) return item.id;
        return 0;
    }

private:
    Dialog& dialog_model_;
    wxDialog* dialog_;
};

wxDateTime ToWxTime(const CivilTime& t) {
    if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1) return wxDateTime::Now();
    return wxDateTime(static_cast<wxDateTime::wxDateTime_t>(t.day), static_cast<wxDateTime::Month>(t.month - 1),
                      t.year, static_cast<wxDateTime::wxDateTime_t>(t.hour),
                      static_cast<wxDateTime::wxDateTime_t>(t.minute), static_cast<wxDateTime::wxDateTime_t>(t.second));
}

// A native control showing the state of its control model.
class ControlPeer final : public WxPeer {
public:
    ControlPeer(Control& c, wxWindow* parent) : WxPeer(c), control_(c) {
        const wxRect r = ToWx(c.rect());
        const wxPoint pos = r.GetPosition();
        const wxSize size = r.GetSize();
        const std::uint32_t cs = c.controlStyle();
        switch (c.kind()) {
            case ControlKind::Button:
            case ControlKind::DefaultButton: {
                auto* b = new wxButton(parent, wxID_ANY, Text(c.text()), pos, size);
                if (c.kind() == ControlKind::DefaultButton) b->SetDefault();
                b->Bind(wxEVT_BUTTON, Guard<wxCommandEvent>([this](wxCommandEvent&) {
                    PullSelections();
                    Later([this] { static_cast<Button&>(control_).Click(); });
                }));
                native_ = b;
                break;
            }
            case ControlKind::CheckBox: {
                auto* b = new wxCheckBox(parent, wxID_ANY, Text(c.text()), pos, size);
                b->Bind(wxEVT_CHECKBOX, Guard<wxCommandEvent>([this](wxCommandEvent&) {
                    Later([this] { static_cast<CheckBox&>(control_).Click(); });
                }));
                native_ = b;
                break;
            }
            case ControlKind::RadioButton: {
                auto* b = new wxRadioButton(parent, wxID_ANY, Text(c.text()), pos, size,
                                            (cs & ctl::kGroup) ? wxRB_GROUP : 0);
                b->Bind(wxEVT_RADIOBUTTON, Guard<wxCommandEvent>([this](wxCommandEvent&) {
                    Later([this] { static_cast<CheckBox&>(control_).Click(); });
                }));
                native_ = b;
                break;
            }
            case ControlKind::GroupBox: native_ = new wxStaticBox(parent, wxID_ANY, Text(c.text()), pos, size); break;
            case ControlKind::Static: native_ = new wxStaticText(parent, wxID_ANY, Text(c.text()), pos, size); break;
            case ControlKind::Edit: {
                long style = 0;
                if (cs & ctl::kMultiLine) style |= wxTE_MULTILINE;
                if (cs & ctl::kReadOnly) style |= wxTE_READONLY;
                if (cs & ctl::kPassword) style |= wxTE_PASSWORD;
                auto* t = new wxTextCtrl(parent, wxID_ANY, Text(c.text()), pos, size, style);
                if (cs & ctl::kUpperCase) t->ForceUpper();
                t->Bind(wxEVT_TEXT, Guard<wxCommandEvent>([this, t](wxCommandEvent&) {
                    if (!syncing_)
                        static_cast<Edit&>(control_).UserSetText(Ansi(t->GetValue()),
                                                                 static_cast<std::size_t>(t->GetInsertionPoint()));
                }));
                native_ = t;
                break;
            }
            case ControlKind::ListBox: {
                auto* l = new wxListBox(parent, wxID_ANY, pos, size, 0, nullptr,
                                        (cs & ctl::kMultiSelect) ? wxLB_MULTIPLE : wxLB_SINGLE);
                l->Bind(wxEVT_LISTBOX, Guard<wxCommandEvent>([this](wxCommandEvent& e) {
                    const int i = e.GetSelection();
                    if (!syncing_) Later([this, i] { static_cast<ListBox&>(control_).UserClick(i); });
                }));
                l->Bind(wxEVT_LISTBOX_DCLICK, Guard<wxCommandEvent>([this](wxCommandEvent& e) {
                    const int i = e.GetSelection();
                    Later([this, i] { static_cast<ListBox&>(control_).UserDoubleClick(i); });
                }));
                native_ = l;
                break;
            }
            case ControlKind::ComboBox: {
                auto* b = new wxComboBox(parent, wxID_ANY, Text(c.text()), pos, size, 0, nullptr,
                                         (cs & ctl::kDropDownList) ? wxCB_READONLY : wxCB_DROPDOWN);
                b->Bind(wxEVT_COMBOBOX, Guard<wxCommandEvent>([this](wxCommandEvent& e) {
                    const int i = e.GetSelection();
                    Later([this, i] { static_cast<ListBox&>(control_).UserClick(i); });
                }));
                b->Bind(wxEVT_TEXT, Guard<wxCommandEvent>([this, b](wxCommandEvent&) {
                    if (!syncing_) static_cast<ComboBox&>(control_).UserSetText(Ansi(b->GetValue()));
                }));
                native_ = b;
                break;
            }
            case ControlKind::ScrollBar: {
                auto* s = new wxScrollBar(parent, wxID_ANY, pos, size, (cs & ctl::kVertical) ? wxSB_VERTICAL : wxSB_HORIZONTAL);
                auto scroll = [this, s](ScrollAction a) {
                    return Guard<wxScrollEvent>([this, s, a](wxScrollEvent&) {
                        const int thumb = s->GetThumbPosition();
                        Later([this, a, thumb] {
                            auto& bar = static_cast<ScrollBar&>(control_);
                            bar.UserScroll(a, thumb + bar.minimum());
                        });
                    });
                };
                s->Bind(wxEVT_SCROLL_LINEUP, scroll(ScrollAction::LineUp));
                s->Bind(wxEVT_SCROLL_LINEDOWN, scroll(ScrollAction::LineDown));
                s->Bind(wxEVT_SCROLL_PAGEUP, scroll(ScrollAction::PageUp));
                s->Bind(wxEVT_SCROLL_PAGEDOWN, scroll(ScrollAction::PageDown));
                s->Bind(wxEVT_SCROLL_THUMBRELEASE, scroll(ScrollAction::Thumb));
                s->Bind(wxEVT_SCROLL_TOP, scroll(ScrollAction::Top));
                s->Bind(wxEVT_SCROLL_BOTTOM, scroll(ScrollAction::Bottom));
                native_ = s;
                break;
            }
            case ControlKind::Slider: {
                auto* s = new wxSlider(parent, wxID_ANY, 0, 0, 100, pos, size, wxSL_HORIZONTAL);
                s->Bind(wxEVT_SLIDER, Guard<wxCommandEvent>([this, s](wxCommandEvent&) {
                    const int v = s->GetValue();
                    if (!syncing_) Later([this, v] { static_cast<ScrollBar&>(control_).UserScroll(ScrollAction::Thumb, v); });
                }));
                native_ = s;
                break;
            }
            case ControlKind::UpDown: {
                auto* s = new wxSpinButton(parent, wxID_ANY, pos, wxDefaultSize, wxSP_VERTICAL | wxSP_ARROW_KEYS);
                s->SetSize(wxSize(std::max(size.x, s->GetBestSize().x), std::max(size.y, s->GetBestSize().y)));
                auto spin = [this](int delta) {
                    return Guard<wxSpinEvent>([this, delta](wxSpinEvent& e) {
                        e.Veto();  // the model moves; the native follows it
                        Later([this, delta] { static_cast<UpDown&>(control_).UserSpin(delta); });
                    });
                };
                s->Bind(wxEVT_SPIN_UP, spin(+1));
                s->Bind(wxEVT_SPIN_DOWN, spin(-1));
                native_ = s;
                break;
            }
            case ControlKind::DateTimePicker: {
                const int w = size.x * 3 / 5;
                date_ = new wxDatePickerCtrl(parent, wxID_ANY, wxDefaultDateTime, pos, wxSize(w, size.y));
                time_ = new wxTimePickerCtrl(parent, wxID_ANY, wxDefaultDateTime, pos + wxPoint(w, 0),
                                             wxSize(size.x - w, size.y));
                auto changed = [this] {
                    return Guard<wxDateEvent>([this](wxDateEvent&) {
                        if (syncing_) return;
                        const wxDateTime d = date_->GetValue(), t = time_->GetValue();
                        CivilTime ct{d.GetYear(), static_cast<int>(d.GetMonth()) + 1, d.GetDay(),
                                     t.GetHour(), t.GetMinute(), t.GetSecond(), 0};
                        Later([this, ct] { static_cast<DateTimePicker&>(control_).UserSetTime(ct); });
                    });
                };
                date_->Bind(wxEVT_DATE_CHANGED, changed());
                time_->Bind(wxEVT_TIME_CHANGED, changed());
                native_ = date_;
                break;
            }
        }
        native_->Hide();
        if (time_) time_->Hide();
        Sync();
    }
    ~ControlPeer() override {
        Retire(native_);
        if (time_) Retire(time_);
    }

    wxWindow* container() override { return native_; }
    wxWindow* native() override { return native_; }
    void Show(bool visible) override {
        native_->Show(visible);
        if (time_) time_->Show(visible);
    }
    void Move(const Rect& r) override {
        if (!time_) {
            native_->SetSize(ToWx(r));
            return;
        }
        const int w = r.width() * 3 / 5;
        native_->SetSize(r.left, r.top, w, r.height());
        time_->SetSize(r.left + w, r.top, r.width() - w, r.height());
    }
    void Enable(bool on) override {
        native_->Enable(on);
        if (time_) time_->Enable(on);
    }
    void SetCaption(std::string_view) override { Sync(); }
    void ControlChanged() override { Sync(); }

    Control& control() const { return control_; }
    // Selections change without events: read them before a button acts.
    void PullSelection() {
        if (control_.kind() != ControlKind::Edit) return;
        long from = 0, to = 0;
        static_cast<wxTextCtrl*>(native_)->GetSelection(&from, &to);
        syncing_ = true;
        static_cast<Edit&>(control_).SetSelection(static_cast<std::size_t>(from), static_cast<std::size_t>(to));
        syncing_ = false;
    }

private:
    void PullSelections();

    void Sync() {
        if (syncing_) return;
        syncing_ = true;
        switch (control_.kind()) {
            case ControlKind::Button:
            case ControlKind::DefaultButton:
            case ControlKind::GroupBox:
            case ControlKind::Static: native_->SetLabel(Text(control_.text())); break;
            case ControlKind::CheckBox: {
                auto* b = static_cast<wxCheckBox*>(native_);
                b->SetLabel(Text(control_.text()));
                b->SetValue(static_cast<CheckBox&>(control_).checked());
                break;
            }
            case ControlKind::RadioButton: {
                auto* b = static_cast<wxRadioButton*>(native_);
                b->SetLabel(Text(control_.text()));
                if (static_cast<CheckBox&>(control_).checked()) b->SetValue(true);
                break;
            }
            case ControlKind::Edit: {
                auto* t = static_cast<wxTextCtrl*>(native_);
                auto& e = static_cast<Edit&>(control_);
                if (Ansi(t->GetValue()) != e.text()) t->ChangeValue(Text(e.text()));
                if (e.textLimit()) t->SetMaxLength(static_cast<unsigned long>(e.textLimit()));
                t->SetSelection(static_cast<long>(e.selectionStart()), static_cast<long>(e.selectionEnd()));
                break;
            }
            case ControlKind::ListBox:
            case ControlKind::ComboBox: {
                auto* items = dynamic_cast<wxItemContainer*>(native_);
                auto& l = static_cast<ListBox&>(control_);
                wxArrayString lines;
                for (int i = 0; i < l.count(); ++i) lines.Add(Text(l.String(i)));
                bool same = static_cast<int>(items->GetCount()) == l.count();
                for (int i = 0; same && i < l.count(); ++i) same = items->GetString(static_cast<unsigned>(i)) == lines[static_cast<std::size_t>(i)];
                if (!same) items->Set(lines);
                if (auto* list = dynamic_cast<wxListBox*>(native_)) {
                    for (int i = 0; i < l.count(); ++i) {
                        if (list->IsSelected(i) != l.selected(i)) {
                            if (l.selected(i)) list->SetSelection(i);
                            else list->Deselect(i);
                        }
                    }
                    if (l.count() > 0) list->SetFirstItem(std::min(l.topIndex(), l.count() - 1));
                } else if (auto* combo = dynamic_cast<wxComboBox*>(native_)) {
                    if (l.selIndex() >= 0) combo->SetSelection(l.selIndex());
                    if (!(l.controlStyle() & ctl::kDropDownList)) combo->ChangeValue(Text(l.text()));
                }
                break;
            }
            case ControlKind::ScrollBar: {
                auto& b = static_cast<ScrollBar&>(control_);
                static_cast<wxScrollBar*>(native_)->SetScrollbar(b.position() - b.minimum(), 1,
                                                                  b.maximum() - b.minimum() + 1, b.pageSize());
                break;
            }
            case ControlKind::Slider: {
                auto& b = static_cast<ScrollBar&>(control_);
                auto* s = static_cast<wxSlider*>(native_);
                s->SetRange(b.minimum(), b.maximum());
                s->SetValue(b.position());
                break;
            }
            case ControlKind::UpDown: {
                auto& u = static_cast<UpDown&>(control_);
                auto* s = static_cast<wxSpinButton*>(native_);
                s->SetRange(std::min(u.low(), u.high()), std::max(u.low(), u.high()));
                s->SetValue(std::clamp(u.position(), std::min(u.low(), u.high()), std::max(u.low(), u.high())));
                break;
            }
            case ControlKind::DateTimePicker: {
                const wxDateTime t = ToWxTime(static_cast<DateTimePicker&>(control_).time());
                date_->SetValue(t);
                time_->SetValue(t);
                break;
            }
        }
        syncing_ = false;
    }

    Control& control_;
    wxWindow* native_ = nullptr;
    wxDatePickerCtrl* date_ = nullptr;
    wxTimePickerCtrl* time_ = nullptr;
    bool syncing_ = false;
};

void ControlPeer::PullSelections() {
    if (!control_.parent()) return;
    for (Window* sibling : control_.parent()->children()) {
        if (auto* p = dynamic_cast<ControlPeer*>(sibling->peer())) p->PullSelection();
    }
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

// ---- the services of ui.h ------------------------------------------------------

int MessageBox(Window* owner, std::string_view text, std::string_view caption, Buttons buttons, Icon icon) {
    EnsureStarted();
    if (!gStarted) return buttons == Buttons::Ok ? IdOk : IdCancel;
    long style = 0;
    switch (buttons) {
        case Buttons::Ok: style = wxOK; break;
        case Buttons::OkCancel:
        case Buttons::RetryCancel: style = wxOK | wxCANCEL; break;
        case Buttons::AbortRetryIgnore:
        case Buttons::YesNoCancel: style = wxYES_NO | wxCANCEL; break;
        case Buttons::YesNo: style = wxYES_NO; break;
    }
    switch (icon) {
        case Icon::None: style |= wxICON_NONE; break;
        case Icon::Stop: style |= wxICON_ERROR; break;
        case Icon::Question: style |= wxICON_QUESTION; break;
        case Icon::Exclamation: style |= wxICON_WARNING; break;
        case Icon::Information: style |= wxICON_INFORMATION; break;
    }
    WxPeer* p = PeerOf(owner);
    wxWindow* parent = p ? wxGetTopLevelParent(p->container()) : nullptr;
    wxMessageDialog box(parent, Text(text), Text(caption), style);
    if (buttons == Buttons::AbortRetryIgnore) box.SetYesNoCancelLabels("&Abort", "&Retry", "&Ignore");
    if (buttons == Buttons::RetryCancel) box.SetOKCancelLabels("&Retry", "Cancel");
    const int r = box.ShowModal();
    switch (buttons) {
        case Buttons::AbortRetryIgnore: return r == wxID_YES ? IdAbort : r == wxID_NO ? IdRetry : IdIgnore;
        case Buttons::RetryCancel: return r == wxID_OK ? IdRetry : IdCancel;
        case Buttons::Ok: return IdOk;
        default: return r == wxID_OK ? IdOk : r == wxID_YES ? IdYes : r == wxID_NO ? IdNo : IdCancel;
    }
}

void Beep(BeepKind) {
    EnsureStarted();
    if (gStarted) wxBell();
}

// Measured on a scratch check box: the toolkit's own idea of what it needs.
Size CheckBoxSize(std::string_view caption) {
    EnsureStarted();
    if (!gStarted) return {0, 0};
    wxWindow* owner = wxTheApp->GetTopWindow();
    wxFrame* scratch = owner ? nullptr : new wxFrame(nullptr, wxID_ANY, wxString());
    auto* box = new wxCheckBox(owner ? owner : scratch, wxID_ANY, Text(caption));
    box->Hide();
    const wxSize best = box->GetBestSize();
    delete box;
    if (scratch) scratch->Destroy();
    return {best.x, best.y};
}

bool DisplayAvailable(std::string* why) {
    EnsureStarted();
    if (gStarted) return true;
    if (why) {
        const char* display = std::getenv("DISPLAY");
        *why = display && *display ? std::string("cannot open display ") + display
                                   : std::string("no display: DISPLAY is not set");
    }
    return false;
}

Size ScreenSize() {
    EnsureStarted();
    if (!gStarted) return {1920, 1080};
    const wxRect r = wxDisplay(0u).GetGeometry();
    return {r.width, r.height};
}

bool PeekMessage(Message& out) {
    PumpNative();
    return Pop(out);
}

void DispatchMessage(const Message& msg) { Window::Deliver(msg); }

void WaitForMessage(int timeoutMs) {
    if (!gQueue.empty() || timeoutMs <= 0) return;
    EnsureStarted();
    if (!gStarted) return;
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
    if (fd < 0 || !gStarted) return false;
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

std::unique_ptr<Peer> CreatePeer(Window& w) {
    EnsureStarted();
    if (!gStarted) return nullptr;
    if (auto* c = dynamic_cast<Control*>(&w)) {
        wxWindow* parent = ParentContainer(w);
        if (!parent) return nullptr;
        return std::make_unique<ControlPeer>(*c, parent);
    }
    if (auto* d = dynamic_cast<Dialog*>(&w)) return std::make_unique<DialogPeer>(*d);
    if (!w.parent() || (w.style() & style::kPopup) || dynamic_cast<Frame*>(&w)) return std::make_unique<TopLevelPeer>(w);
    wxWindow* parent = ParentContainer(w);
    if (!parent) return nullptr;
    return std::make_unique<ChildPeer>(w, parent);
}

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
    if (!gStarted) return false;
    auto& t = Timers()[{&w, id}];
    if (!t) t = std::make_unique<Ticker>(w, id);
    return t->Start(std::max(ms, 1));
}

void StopTimer(Window& w, int id) {
    Timers().erase({&w, id});
    gTimerPending.erase({&w, id});
}

int RunModal(Dialog& d) {
    auto* p = dynamic_cast<DialogPeer*>(d.peer());
    if (!p) return d.result();
    p->dialog()->ShowModal();
    return d.result();
}

void EndModal(Dialog& d, int result) {
    auto* p = dynamic_cast<DialogPeer*>(d.peer());
    if (p && p->dialog()->IsModal()) p->dialog()->EndModal(result);
}

int TrackPopup(Window& owner, const Menu& menu, Point screen) {
    WxPeer* p = PeerOf(&owner);
    if (!p) return 0;
    wxWindow* w = p->container();
    std::unique_ptr<wxMenu> m(BuildMenu(menu));
    const int native = w->GetPopupMenuSelectionFromUser(*m, w->ScreenToClient(wxPoint(screen.x, screen.y)));
    if (native == wxID_NONE) return 0;
    return MenuNativeIds().FromNative(native).value_or(0);
}

int RunLoop(Application& app) {
    EnsureStarted();
    if (!gStarted) return 1;
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

Size DialogBaseUnits(std::string_view face, int pointSize) {
    EnsureStarted();
    if (!gStarted) return {6, 13};
    wxFont font(wxFontInfo(pointSize > 0 ? pointSize : 8).FaceName(Text(face)));
    wxScreenDC dc;
    dc.SetFont(font);
    wxCoord w = 0, h = 0;
    dc.GetTextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", &w, &h);
    return {std::max(static_cast<int>((w / 26 + 1) / 2), 1), std::max(static_cast<int>(h), 1)};
}

void NoteCommand(const Window&, int, bool) {}

}  // namespace backend
}  // namespace platform::ui

namespace platform::ui::wxtest {

std::string NativeText(const Window& w) {
    WxPeer* p = PeerOf(&w);
    wxWindow* n = p ? p->native() : nullptr;
    if (!n) return {};
    wxString text;
    if (auto* top = dynamic_cast<wxTopLevelWindow*>(n)) text = top->GetTitle();
    else if (auto* t = dynamic_cast<wxTextCtrl*>(n)) text = t->GetValue();
    else if (auto* b = dynamic_cast<wxComboBox*>(n)) text = b->GetValue();
    else text = n->GetLabel();
    return std::string(text.utf8_str());
}

bool TypeNative(Window& control, std::string_view utf8) {
    WxPeer* p = PeerOf(&control);
    auto* t = p ? dynamic_cast<wxTextCtrl*>(p->native()) : nullptr;
    if (!t) return false;
    t->SetValue(wxString::FromUTF8(utf8.data(), utf8.size()));  // sends the text event a user's typing would
    return true;
}

}  // namespace platform::ui::wxtest
