#pragma once
// Holds the screen saver off while a top-level window asks it and is shown:
// on X11 through xdg-screensaver, which lets go by itself when the window
// goes. Elsewhere, or without the tool, it says so once on stderr.
class wxWindow;

namespace platform::ui::wxbackend {

class ScreenSaverHold {
public:
    ScreenSaverHold() = default;
    ScreenSaverHold(const ScreenSaverHold&) = delete;
    ScreenSaverHold& operator=(const ScreenSaverHold&) = delete;
    ~ScreenSaverHold() { Release(); }

    void Want(bool on, wxWindow* window);
    // The window was shown: a hold asked for before takes effect now.
    void Shown(wxWindow* window) { Apply(window); }
    void Release();

private:
    void Apply(wxWindow* window);

    bool wanted_ = false;
    bool failed_ = false;      // told once; not tried again
    unsigned long held_ = 0;   // the X window the tool holds it off for
};

}  // namespace platform::ui::wxbackend
