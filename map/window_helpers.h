#pragma once
// What the map and the application ask of the window layer for plain steps:
// the error box and the message pumps. Core stays free of windows.
#include <string_view>

namespace platform::ui {
class Window;
}

// Formats string-table text id with one argument (cut to 47 characters),
// beeps and shows an "Error" box with the exclamation icon.
void ErrorBox(platform::ui::Window* window, int id, std::string_view argument);

// Waits at least ms milliseconds, dispatching waiting messages meanwhile;
// returns the milliseconds that passed.
int DelayPumping(int ms);
// Handles at most one waiting message; true (and not dispatched) for Esc.
bool PumpMessagesCheckEsc();
