// The map pane's process-wide state and its installed seams, apart from the
// pane's window code: readers that only use them link no window layer.
#include <memory>
#include <string>
#include <vector>

#include "core/missing_seam.h"
#include "map/child_map.h"

namespace gfx = platform::gfx;

std::int32_t gPaneWidth = 0;
std::int32_t gPaneHeight = 0;
std::int32_t gTextHeight = 0;
std::int32_t gAveCharWidth = 0;
std::shared_ptr<const gfx::Font> gLegendFont;
gfx::Size gSphereImageSize{2048, 1024};

// ---- Seams -----------------------------------------------------------------------------------

void MapPaneSeams::FloatingLegend(childMap&) { ReportMissingSeam("floating legend"); }
void MapPaneSeams::InformationButton(childMap&) { ReportMissingSeam("information button"); }
void MapPaneSeams::HighlightAlertEvent(childMap&) { ReportMissingSeam("alert event highlight"); }
void MapPaneSeams::OpenTextWindow(childMap&, const std::string& file) { ReportMissingSeam("text window on " + file); }
void MapPaneSeams::Click(childMap&) { ReportMissingSeam("click tone"); }
bool MapPaneSeams::AskText(childMap&, const std::string& caption, const std::string&, std::string&, std::size_t) {
    ReportMissingSeam("text prompt " + caption);
    return false;
}
bool MapPaneSeams::AskNewCity(childMap&, NewCityRow&) {
    ReportMissingSeam("new city dialog");
    return false;
}
bool MapPaneSeams::ChooseCities(childMap&, const std::vector<const CityRecord*>&, std::vector<int>&) {
    ReportMissingSeam("city list dialog");
    return false;
}
bool MapPaneSeams::ChoosePlants(childMap&, const std::vector<const PlaceRecord*>&, std::vector<int>&) {
    ReportMissingSeam("plant list dialog");
    return false;
}
void MapPaneSeams::EditTextFile(childMap&, const std::string& file) { ReportMissingSeam("text editor for " + file); }
void MapPaneSeams::UnhighlightPaneButtons(childMap&) {}
void MapPaneSeams::Command(childMap&, int id) { ReportMissingSeam("map pane command " + std::to_string(id)); }
void MapPaneSeams::BuildAlertView(childMap&, const QuakeRecord&) { ReportMissingSeam("alert view builder"); }
void MapPaneSeams::CloseTextWindow(childMap&) {}
void MapPaneSeams::PaneDestroyed(childMap&) {}
bool MapPaneSeams::FloatingLegendBox(const childMap&, gfx::Rect*) { return false; }

namespace {
MapPaneSeams gReportingSeams;
MapPaneSeams* gPaneSeams = &gReportingSeams;
}  // namespace

void InstallMapPaneSeams(MapPaneSeams* seams) { gPaneSeams = seams ? seams : &gReportingSeams; }
MapPaneSeams& PaneSeams() { return *gPaneSeams; }
