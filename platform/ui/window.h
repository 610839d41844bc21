#pragma once
// Windows: a tree of Window objects, each child owned by its parent, each with
// a retained back buffer, timers by id and a response table.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/backbuffer.h"
#include "platform/ui/geometry.h"
#include "platform/ui/response.h"
#include "platform/ui/ui.h"

namespace platform::ui {

namespace backend {
class Peer;
}
class Frame;
class Menu;

// Window style bits; set before Create.
namespace style {
inline constexpr std::uint32_t kChild = 1u << 0;
inline constexpr std::uint32_t kPopup = 1u << 1;  // a top-level window owned by its parent
inline constexpr std::uint32_t kVisible = 1u << 2;
inline constexpr std::uint32_t kBorder = 1u << 3;
inline constexpr std::uint32_t kCaption = 1u << 4;
inline constexpr std::uint32_t kSysMenu = 1u << 5;
inline constexpr std::uint32_t kThickFrame = 1u << 6;  // sizing border
inline constexpr std::uint32_t kMinimizeBox = 1u << 7;
inline constexpr std::uint32_t kMaximizeBox = 1u << 8;
inline constexpr std::uint32_t kMaximize = 1u << 9;  // shown maximised
inline constexpr std::uint32_t kDisabled = 1u << 10;
inline constexpr std::uint32_t kOverlapped = kCaption | kSysMenu | kThickFrame | kMinimizeBox | kMaximizeBox;
}  // namespace style

enum class ShowCommand { Hide, Show, Maximize };

class Window : public CommandTarget {
public:
    // A child (parent given) belongs to its parent, which deletes it at the
    // latest with itself. Create it with new, end it with Destroy.
    explicit Window(Window* parent, std::string caption = {});
    ~Window() override;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // ---- tree
    Window* parent() const { return parent_; }
    const std::vector<Window*>& children() const { return children_; }
    // The nearest frame up the chain, this one included; nullptr when none.
    Frame* frame();
    Window* ChildWithId(int id) const;
    bool IsSelfOrAncestorOf(const Window* w) const;

    // ---- life
    // Makes the native window, runs SetupWindow (which creates the children),
    // shows it when kVisible is set. False when the window is being destroyed.
    bool Create();
    bool created() const { return created_; }
    // Deletes the window now, or when the handler running in it (or in one of
    // its children) returns. A top-level window that nothing in the tree owns
    // only loses its native window; its owner deletes it.
    void Destroy();
    bool destroying() const { return destroying_; }
    // CanClose, then Destroy; false when CanClose refused.
    virtual bool CloseWindow(int result = 0);

    // ---- attributes
    int id() const { return id_; }
    void SetId(int id) { id_ = id; }
    std::uint32_t style() const { return style_; }
    void SetStyle(std::uint32_t s) { style_ = s; }
    void ModifyStyle(std::uint32_t remove, std::uint32_t add) { style_ = (style_ & ~remove) | add; }
    // In the parent's client coordinates; screen coordinates at the top level.
    const Rect& rect() const { return rect_; }
    Rect clientRect() const { return {0, 0, rect_.width(), rect_.height()}; }
    void MoveWindow(const Rect& r);
    void Show(ShowCommand how);
    bool visible() const { return visible_; }
    const std::string& caption() const { return caption_; }
    void SetCaption(std::string_view text);
    void EnableWindow(bool on);
    bool enabled() const { return (style_ & style::kDisabled) == 0; }
    // Client point to screen point, through the parents.
    Point ClientToScreen(Point p) const;

    void SetFocus();
    bool hasFocus() const { return FocusWindow() == this; }
    static Window* FocusWindow();
    void SetCapture();
    void ReleaseCapture();
    static Window* CaptureWindow();

    // ---- painting
    // Sized to the client area; a resize keeps the pixels that still fit.
    BackBuffer& backBuffer() { return *buffer_; }
    const BackBuffer& backBuffer() const { return *buffer_; }
    // The part that Paint must draw again.
    void Invalidate() { Invalidate(clientRect()); }
    void Invalidate(const Rect& r);
    void Validate() { invalid_ = {}; }
    const Rect& invalidRect() const { return invalid_; }
    // Runs Paint now when something is invalid, then presents it.
    void Update();
    // Rows were written directly (drawing through a context marks damage by
    // itself): present that part.
    void BufferChanged(const Rect& r);
    // Presents the buffer's damage and clears it. The layer does this for every
    // window after each message it dispatches.
    void PresentDamage();
    // For backends: runs Paint on the invalid part without presenting it;
    // returns that part.
    Rect PaintPending();

    // ---- timers: one per id; a new SetTimer on an id replaces its schedule
    bool SetTimer(int id, int ms);
    void KillTimer(int id);

    // ---- commands and messages, all run before they return
    // This window, then its parents up to the top, then the application.
    bool SendCommand(int id);
    // This window's handlers only; 0 when none.
    Result SendMessage(MessageId id, WParam w = 0, LParam l = 0);
    void PostCommand(int id);
    void PostMessage(MessageId id, WParam w = 0, LParam l = 0);
    // The enablers along the command route; disabled when no target has an
    // enabler or a handler for the id.
    CommandEnabler QueryCommand(int id);
    // A control reports to this window.
    bool Notify(Notification& n);

    // Shows a popup owned by this window at a screen point after running the
    // enablers of its items; returns the chosen id (0: none). Sends nothing.
    int TrackPopupMenu(Menu& menu, Point screen);
    // Enabled, checked and text of every item from the enablers on this route.
    void RunMenuEnablers(Menu& menu);

    backend::Peer* peer() const { return peer_.get(); }
    // For backends: the native window moved or was resized by the user.
    void NativeMoved(const Rect& r);
    // For backends: the user put the keyboard focus here.
    void NativeFocused() {
        if (!destroying_) focus_ = this;
    }

    // The frame whose accelerators apply to keys in this window: none inside
    // dialogs and popups.
    Frame* AcceleratorFrame();

    // Entry point of the backends: one message to its target, with deferred
    // deletion and accelerators.
    static void Deliver(const Message& m);

protected:
    // Base: creates the children that are not yet created.
    virtual void SetupWindow();
    virtual void Paint(BackBuffer& buffer, const Rect& damaged);
    virtual void EvTimer(int id);
    // Base: every child may close.
    virtual bool CanClose();
    virtual void EvSize(Size client);
    virtual void EvLButtonDown(Point p, std::uint32_t modifiers);
    virtual void EvLButtonUp(Point p, std::uint32_t modifiers);
    virtual void EvLButtonDblClk(Point p, std::uint32_t modifiers);
    virtual void EvRButtonDown(Point p, std::uint32_t modifiers);
    virtual void EvRButtonUp(Point p, std::uint32_t modifiers);
    virtual void EvMouseMove(Point p, std::uint32_t modifiers);
    virtual void EvKeyDown(int key, std::uint32_t modifiers);
    virtual void EvKeyUp(int key, std::uint32_t modifiers);
    virtual void EvChar(int ch);
    virtual void EvActivate(bool active);
    // Show or Hide changed whether the window is visible.
    virtual void EvShowWindow(bool shown);
    // The user asked to close (close box, Alt+F4). Base: CloseWindow.
    virtual void EvClose();
    // Base: this window's table. True when handled.
    virtual bool EvCommand(int id);
    virtual void EvNotify(Notification& n);
    // A child is being deleted.
    virtual void ChildRemoved(Window* child);

private:
    inline static Window* focus_ = nullptr;
    friend class DispatchGuard;
    friend class Frame;
    void CreatePeerAndChildren();
    void ResizeBuffer();
    static void PresentAllDamage();
    void DeliverHere(const Message& m);
    bool DestroyedByOwner();
    static void DropNative(Window& w);
    void Adopt(Window* child);

    Window* parent_;
    std::vector<Window*> children_;
    std::unique_ptr<backend::Peer> peer_;
    std::string caption_;
    int id_ = 0;
    std::uint32_t style_;
    Rect rect_{};
    Rect invalid_{};
    std::unique_ptr<BackBuffer> buffer_;
    bool created_ = false;
    bool visible_ = false;
    bool destroying_ = false;
    bool painting_ = false;
    int busy_ = 0;  // handlers running in this window or below it
};

}  // namespace platform::ui
