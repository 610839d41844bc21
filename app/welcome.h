#pragma once
// The first client of the frame. For now an empty window; the welcome screen
// (picture, music, Start button, time-out) is built on it later.
#include "platform/ui/window.h"

class welcomeWindow : public platform::ui::Window {
public:
    welcomeWindow() : Window(nullptr) {}
};
