#pragma once
// What the window layer asks of the backend linked into the program. Only the
// layer itself and the two backends include this.
#include <memory>
#include <string_view>

#include "platform/ui/common_dialogs.h"
#include "platform/ui/geometry.h"
#include "platform/ui/ui.h"

namespace platform::ui {
class Window;
class Dialog;
class Menu;
class Application;
}  // namespace platform::ui

namespace platform::ui::backend {

// The native side of one window; the layer keeps the model and tells the peer.
class Peer {
public:
    virtual ~Peer() = default;
    virtual void Show(bool visible) = 0;
    virtual void Maximize() {}
    // Parent client coordinates; screen coordinates for a top-level window.
    virtual void Move(const Rect& r) = 0;
    virtual void SetCaption(std::string_view text) = 0;
    // The back buffer changed in r (client coordinates): present it soon.
    virtual void Present(const Rect& r) = 0;
    virtual void SetFocus() = 0;
    virtual void Capture(bool on) = 0;
    virtual void Enable(bool on) = 0;
    // A frame's menu bar, accelerators or client changed.
    virtual void FrameChanged() {}
    // A control's state changed in the model: show it.
    virtual void ControlChanged() {}
    // A top-level window asks that the screen saver not start while it is up.
    virtual void HoldOffScreenSaver(bool) {}
};

// Called by Window::Create once the window is in its parent's tree.
std::unique_ptr<Peer> CreatePeer(Window& w);
// Called while the window is being deleted: drop its queued messages and timers.
void Forget(Window& w);

bool StartTimer(Window& w, int id, int ms);
void StopTimer(Window& w, int id);

// Modal run of a created dialog until EndModal; returns the result.
int RunModal(Dialog& d);
void EndModal(Dialog& d, int result);

// Shows a popup menu at a screen point; the chosen command id, 0 for none.
int TrackPopup(Window& owner, const Menu& menu, Point screen);

// Runs the program's message loop until QuitLoop.
int RunLoop(Application& app);
void QuitLoop(int code);

// The system's file dialog: true on OK, with data.fileName the chosen path
// (absolute) and data.filterIndex the entry in use.
bool RunFileDialog(Window* owner, FileDialogKind kind, FileDialogData& data);
// The system's font dialog: true on OK, with font the choice.
bool RunFontDialog(Window* owner, std::string_view title, FontDescription& font);

// Pixels per dialog unit times 4 (x) and 8 (y) for a dialog's font.
Size DialogBaseUnits(std::string_view face, int pointSize);

// A record of commands sent through the layer (kept by the headless backend).
void NoteCommand(const Window& target, int id, bool handled);

}  // namespace platform::ui::backend
