#pragma once
// The steps of the frame's map, annotation and file settings commands that
// need no frame: which colour a command edits, what name a chosen catalogue
// is kept under, where screen images go, and the window's image.
#include <memory>
#include <string>

#include "platform/gfx/surface.h"
#include "platform/ui/window.h"

struct ColorCommand {
    int id;
    int segmentClass;  // the map-segment class whose colour number is edited
    const char* name;
    int follower;      // a class that takes the same colour, 0 when none
};
// nullptr for an id that is no colour command.
const ColorCommand* FindColorCommand(int id);

// A catalogue found where catalogues are looked for (the current folder, the
// starting folder or the program's) is kept by its name alone; one chosen in
// another folder keeps its whole path, so the view finds it when it reopens.
std::string CatalogueNameToKeep(const std::string& chosen, const std::string& currentDir, const std::string& programDir);

// Where Save screen image starts: the user's desktop folder, else the home folder.
std::string ScreenImageFolder();

// The window's client area with its visible child windows drawn over it.
std::unique_ptr<platform::gfx::Surface> WindowImage(const platform::ui::Window& window);
// As a JPEG file; false when it could not be written.
bool SaveWindowImage(const platform::ui::Window& window, const std::string& fileName);
