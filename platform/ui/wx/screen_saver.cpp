#include "platform/ui/wx/screen_saver.h"

#include <dlfcn.h>
#include <wx/wx.h>

#include <cstdio>
#include <string>

#include "platform/sys/process.h"

namespace platform::ui::wxbackend {

namespace {

constexpr const char* kTool = "xdg-screensaver";

// The X window of a realised GTK window; 0 when the display is not X11. The
// toolkit's own functions are looked up in the running program, so building
// needs none of its headers.
unsigned long X11WindowOf(wxWindow* window) {
    if (!window || wxGetDisplayInfo().type != wxDisplayX11) return 0;
    using WidgetWindow = void* (*)(void*);
    using WindowXid = unsigned long (*)(void*);
    static const auto widgetWindow = reinterpret_cast<WidgetWindow>(::dlsym(RTLD_DEFAULT, "gtk_widget_get_window"));
    static const auto windowXid = reinterpret_cast<WindowXid>(::dlsym(RTLD_DEFAULT, "gdk_x11_window_get_xid"));
    if (!widgetWindow || !windowXid || !window->GetHandle()) return 0;
    void* gdkWindow = widgetWindow(window->GetHandle());
    return gdkWindow ? windowXid(gdkWindow) : 0;
}

std::string Hex(unsigned long id) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", id);
    return text;
}

}  // namespace

void ScreenSaverHold::Want(bool on, wxWindow* window) {
    wanted_ = on;
    if (on) Apply(window);
    else Release();
}

void ScreenSaverHold::Apply(wxWindow* window) {
    if (!wanted_ || held_ || failed_ || !window || !window->IsShown()) return;
    const unsigned long id = X11WindowOf(window);
    std::string why = "the display is not an X11 display";
    if (id && platform::StartProcess({kTool, "suspend", Hex(id)}, &why)) {
        held_ = id;
        return;
    }
    failed_ = true;
    std::fprintf(stderr, "The screen saver cannot be held off: %s%s%s.\n", id ? kTool : "", id ? ": " : "",
                 why.c_str());
}

void ScreenSaverHold::Release() {
    if (!held_) return;
    std::string why;
    if (!platform::StartProcess({kTool, "resume", Hex(held_)}, &why))
        std::fprintf(stderr, "The screen saver could not be let go: %s: %s.\n", kTool, why.c_str());
    held_ = 0;
}

}  // namespace platform::ui::wxbackend
