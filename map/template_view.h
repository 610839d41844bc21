#pragma once
// Template views: "TEMPLAT1" to "TEMPLAT9" name a search box, a time window
// and the ranges of a map; applying one centres that map on the largest
// earthquake of the current catalogue inside the box and window.
#include <cstdint>
#include <string>

#include "core/quake_record.h"

namespace platform::ui {
class Window;
}

// The template file's name for n.
std::string TemplateViewName(int n);

struct TemplateSearch {
    std::int32_t index = -1;  // the largest record; -1 when none qualified
    std::string failure;      // the message when the search could not run or found none
};
// The first record of greatest magnitude (above 0) in the search box, over
// the template's time window, in the open catalogue.
TemplateSearch FindLargestInTemplate(std::FILE* catalogue);

// The template view's bounds around the event.
struct MapBounds {
    double north, south, east, west;
};
MapBounds TemplateBoundsAround(double latitude, double longitude, double latRange, double lonRange);

// Reads template n over the current view, keeps the current catalogue,
// centres the map and saves the template. Its name, to be opened; empty
// after a message, with the current view's settings as they were.
std::string ApplyTemplateView(int n, platform::ui::Window* owner);
