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

void MapPaneSeams::CloseTextWindow(childMap&) {}
void MapPaneSeams::UnhighlightPaneButtons(childMap&) {}
void MapPaneSeams::PaneDestroyed(childMap&) {}
bool MapPaneSeams::FloatingLegendBox(const childMap&, gfx::Rect*) { return false; }

namespace {

// Stands in while nothing is installed: each step that needs the application
// says the seams are missing and does nothing; the quiet ones stay quiet.
class UninstalledPaneSeams final : public MapPaneSeams {
public:
    void FloatingLegend(childMap&) override { Missing(); }
    void InformationButton(childMap&) override { Missing(); }
    void HighlightAlertEvent(childMap&) override { Missing(); }
    void OpenTextWindow(childMap&, const std::string&) override { Missing(); }
    void Click(childMap&) override { Missing(); }
    bool AskText(childMap&, const std::string&, const std::string&, std::string&, std::size_t) override {
        return Missing();
    }
    bool AskNewCity(childMap&, NewCityRow&) override { return Missing(); }
    bool ChooseCities(childMap&, const std::vector<const CityRecord*>&, std::vector<int>&) override {
        return Missing();
    }
    bool ChoosePlants(childMap&, const std::vector<const PlaceRecord*>&, std::vector<int>&) override {
        return Missing();
    }
    void EditTextFile(childMap&, const std::string&) override { Missing(); }
    void Command(childMap&, int) override { Missing(); }
    void BuildAlertView(childMap&, const QuakeRecord&) override { Missing(); }

private:
    static bool Missing() {
        ReportMissingSeam(kNoPaneSeams);
        return false;
    }
};

UninstalledPaneSeams gUninstalledSeams;
MapPaneSeams* gPaneSeams = &gUninstalledSeams;

}  // namespace

void InstallMapPaneSeams(MapPaneSeams* seams) { gPaneSeams = seams ? seams : &gUninstalledSeams; }
MapPaneSeams& PaneSeams() { return *gPaneSeams; }
