#pragma once
// A top-level window with a menu bar, accelerators and one client window that
// fills it and can be replaced while the program runs.
#include <memory>
#include <string>

#include "platform/ui/menu.h"
#include "platform/ui/window.h"

namespace platform::ui {

class RecentFiles;

class Frame : public Window {
public:
    // The client, when given, must be a window without a parent; the frame adopts it.
    Frame(Window* parent, std::string caption, Window* client = nullptr);
    ~Frame() override;

    // The class library's exit command (kExitCommand): closes through CanClose.
    KESTRUNE_RESPONSE_TABLE(Frame);
    void CmExitCommand();

    Window* client() const { return client_; }
    // Makes w (a child of this frame, or a parentless window it adopts) the
    // client: sized to the frame, created and shown when the frame is. The
    // previous client is hidden and returned; it stays a child until destroyed.
    Window* SetClient(Window* w);

    // The bar; nullptr removes it. Later changes to the menu reach the screen.
    void SetMenu(std::unique_ptr<Menu> bar);
    // False when no menu resource has that name.
    bool AssignMenu(std::string_view resourceName);
    Menu* menu() const { return menu_.get(); }

    void SetAccelerators(AcceleratorTable table) { accelerators_ = std::move(table); }
    const AcceleratorTable& accelerators() const { return accelerators_; }
    // Runs the command of a matching accelerator when the enablers on the
    // command route enable it; true when one matched, run or not.
    bool TranslateAccelerator(const Message& m);
    // The enablers of id along the route RouteCommand takes.
    CommandEnabler QueryRoute(int id);

    // The route of menu and accelerator commands: the focus window (when it
    // lies in this frame, else the client) and its parents up to the frame,
    // then the application.
    bool RouteCommand(int id);

    // Menus of this frame with the recent-file anchor get the list's entries,
    // and choosing one sends the list's message with the entry's index.
    void SetRecentFiles(RecentFiles* list) { recent_ = list; }
    RecentFiles* recentFiles() const { return recent_; }
    // Runs the enablers of every bar item and brings the recent files in.
    void UpdateMenuBar();

    // While on (and the frame lives), the screen saver does not start; the
    // backend says once on stderr when the system gives no way to hold it off.
    void HoldOffScreenSaver(bool on);
    bool screenSaverHeldOff() const { return screenSaverHeldOff_; }

    // The area the client fills, in frame client coordinates.
    Rect clientArea() const { return clientRect(); }

protected:
    void SetupWindow() override;
    void EvSize(Size client) override;
    void ChildRemoved(Window* child) override;

private:
    void LayoutClient();
    // The focus window when it lies in this frame, else the client, else the frame.
    Window* RouteStart();

    Window* client_ = nullptr;
    std::unique_ptr<Menu> menu_;
    AcceleratorTable accelerators_;
    RecentFiles* recent_ = nullptr;
    bool screenSaverHeldOff_ = false;
};

}  // namespace platform::ui
