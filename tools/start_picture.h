#pragma once
// The bundled start screen's picture: the world map of the bundled data, its
// largest earthquakes, and the program's name.
#include <memory>
#include <string>

#include "platform/gfx/surface.h"

// Draws with the configuration in memory (segment colours) from the data
// files OpenDataFile finds; a missing file leaves its layer out. Null when
// the size is empty.
std::unique_ptr<platform::gfx::Surface> RenderStartPicture(int width, int height, const std::string& catalogue);
