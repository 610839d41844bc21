#include "app/globals.h"

myFrame* gMainFrame = nullptr;
quorvelApp* gApplication = nullptr;
bool gCanClose = true;
bool gPaused = false;
int gScreenWidth = 0;
int gScreenHeight = 0;
platform::gfx::TextMetrics gScreenMetrics;
std::shared_ptr<const platform::gfx::Font> gLargeFont;
platform::gfx::TextMetrics gLargeMetrics;
std::string gCurrentDirectory;
bool gConfigFileFound = false;
std::string gWorldViewName;
