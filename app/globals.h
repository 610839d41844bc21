#pragma once
// Process-wide state of the application: the frame, closing, pausing, the
// screen and its fonts.
#include <memory>
#include <string>

#include "platform/gfx/font.h"

class myFrame;
class quorvelApp;

extern myFrame* gMainFrame;        // the one main frame; nullptr before and after it
extern quorvelApp* gApplication;   // the application object while it runs
extern bool gCanClose;             // may the frame close; false while a view opens or a kiosk screen is up
extern bool gPaused;               // the animation is held
extern int gScreenWidth;           // pixels
extern int gScreenHeight;          // pixels; / 480 scales eruption and legend symbols
extern platform::gfx::TextMetrics gScreenMetrics;  // of the screen's default font
extern std::shared_ptr<const platform::gfx::Font> gLargeFont;  // bold, for wide screens; else null
extern platform::gfx::TextMetrics gLargeMetrics;   // of gLargeFont, else a copy of gScreenMetrics
extern std::shared_ptr<const platform::gfx::Font> gLegendFont;  // made once by the layout or the map pane
extern std::string gCurrentDirectory;  // the folder at start (after WORKING DIRECTORY)
extern std::string gWorldViewName;     // "WORLD"
extern bool gConfigFileFound;          // QUORVEL.INI was read at start

// A screen wider than 100 average characters gets the large font.
inline bool WantsLargeFont(int screenWidth, int aveCharWidth) {
    return aveCharWidth > 0 && screenWidth / aveCharWidth > 100;
}
