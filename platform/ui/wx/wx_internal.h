#pragma once
// What the files of the real backend share: start-up, the message queue, the
// text conversion, the peer base classes and the menu builder.
//
// One thread: all file-scope state of this folder (the queue, the pending
// timer ticks, the watches, the timers, the running loop) is touched only
// from the GUI thread, and none of it is locked. That holds because nothing
// else reaches the layer: timers are toolkit timers that fire in the loop,
// watched descriptors are sources the loop itself dispatches, SIGTERM and
// SIGINT only write a byte to a pipe the loop watches, sound hands its
// end-of-file notice over when the program next asks for its output, and the
// name look-up thread answers only the caller that waits for it. New work on
// another thread must reach the program the same way, through a watched pipe.
#include <wx/wx.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ui/backend.h"
#include "platform/ui/window.h"

namespace platform::ui {
class Control;
class Dialog;
class Menu;
}  // namespace platform::ui

namespace platform::ui::wxbackend {

// Starts the toolkit on first use; Started() is false when no display could be opened.
void EnsureStarted();
bool Started();

// Queues input for the window layer; Drain delivers what is queued.
void Post(const Message& m);
void Drain();

// The program's strings are Windows-1252, as its files are; the toolkit's are Unicode.
wxString Text(std::string_view s);
std::string Ansi(const wxString& s);
inline wxRect ToWx(const Rect& r) { return {r.left, r.top, r.width(), r.height()}; }

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

inline WxPeer* PeerOf(const Window* w) { return w ? dynamic_cast<WxPeer*>(w->peer()) : nullptr; }
wxWindow* ParentContainer(const Window& w);
wxWindow* ParentTopLevel(const Window& w);

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

// A peer that shows its window's back buffer on a canvas and reports its input.
class CanvasPeer : public WxPeer {
public:
    using WxPeer::WxPeer;

    void Present(const Rect& r) override {
        if (canvas_) canvas_->RefreshRect(ToWx(r), false);
    }

protected:
    void BindCanvas(Canvas* c, bool topLevel);
    void Paint();

    Canvas* canvas_ = nullptr;
};

// The peers of the other kinds of window, for CreatePeer.
std::unique_ptr<WxPeer> MakeTopLevelPeer(Window& w);
std::unique_ptr<WxPeer> MakeDialogPeer(Dialog& d);
std::unique_ptr<WxPeer> MakeControlPeer(Control& c, wxWindow* parent);

// A native menu of a layer menu; items whose ids the toolkit cannot take are left out.
wxMenu* BuildMenu(const Menu& m);
// Copies the enabled and checked states of m's items onto the bar.
void ApplyStates(const Menu& m, wxMenuBar& bar);

}  // namespace platform::ui::wxbackend
