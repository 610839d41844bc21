#pragma once
// A test's map pane seams, installed for the guard's lifetime: declare the
// guard after the seams object, so the base is back before that object ends.
#include "map/child_map.h"

namespace testsupport {

// Seams that do nothing: a test's double overrides what it records.
struct QuietPaneSeams : MapPaneSeams {
    void FloatingLegend(childMap&) override {}
    void InformationButton(childMap&) override {}
    void HighlightAlertEvent(childMap&) override {}
    void OpenTextWindow(childMap&, const std::string&) override {}
    void Click(childMap&) override {}
    bool AskText(childMap&, const std::string&, const std::string&, std::string&, std::size_t) override {
        return false;
    }
    bool AskNewCity(childMap&, NewCityRow&) override { return false; }
    bool ChooseCities(childMap&, const std::vector<const CityRecord*>&, std::vector<int>&) override { return false; }
    bool ChoosePlants(childMap&, const std::vector<const PlaceRecord*>&, std::vector<int>&) override { return false; }
    void EditTextFile(childMap&, const std::string&) override {}
    void Command(childMap&, int) override {}
    void BuildAlertView(childMap&, const QuakeRecord&) override {}
};

class ScopedPaneSeams {
public:
    explicit ScopedPaneSeams(MapPaneSeams& seams) { InstallMapPaneSeams(&seams); }
    ~ScopedPaneSeams() { InstallMapPaneSeams(nullptr); }
    ScopedPaneSeams(const ScopedPaneSeams&) = delete;
    ScopedPaneSeams& operator=(const ScopedPaneSeams&) = delete;
};

}  // namespace testsupport

namespace testsupport {

// Counts what the pane tells its probe.
struct RenderCounter : RenderProbe {
    int fullRenderings = 0;
    int cacheWrites = 0;
    void FreshRendering() override { ++fullRenderings; }
    void CacheImageWritten() override { ++cacheWrites; }
};

}  // namespace testsupport
