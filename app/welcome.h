#pragma once
// The first client of the frame, shown until a view opens. The welcome screen
// (picture, music, Start button, time-out) is built on it later; until then
// it says on screen how a view is reached, so no start is a blank window.
#include <string>
#include <vector>

#include "platform/ui/window.h"

class welcomeWindow : public platform::ui::Window {
public:
    welcomeWindow() : Window(nullptr) {}

protected:
    void Paint(platform::ui::BackBuffer& buffer, const platform::ui::Rect& damaged) override;
};

// The lines the stand-in shows: configFound tells whether QUORVEL.INI was read.
std::vector<std::string> WelcomeNoticeLines(bool configFound, unsigned initTimeout);
