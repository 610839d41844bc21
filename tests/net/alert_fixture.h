#pragma once
// The alert tests' small city and plant tables, criteria and feeds.
#include <filesystem>
#include <memory>
#include <string>

#include "app/globals.h"
#include "core/alert_criteria.h"
#include "core/config.h"
#include "map/child_map.h"
#include "platform/ui/window.h"

namespace alerttest {

inline std::filesystem::path Fixture(const char* name) {
    return std::filesystem::path(KESTRUNE_FIXTURES) / "alert" / name;
}

// The tables and the criteria into the current folder.
inline void CopyFixtures() {
    for (const char* f : {"CityLatLonPop.csv", "Reactor_Data_NRDC.csv", "alert_criteria.txt"})
        std::filesystem::copy_file(Fixture(f), f, std::filesystem::copy_options::overwrite_existing);
}

// The criteria read and the alert settings of the fixture feeds, whose
// events lie at 11:00 to 12:00 UTC on 1 May 2024.
inline bool UseAlertSettings(int alertSeconds, int alertPause) {
    gAlertThreshold = 5.0;
    gSaveThreshold = 4.0;
    gAlertWindowHours = 2;
    gAlertSeconds = alertSeconds;
    gAlertPause = alertPause;
    gArchiveFile = "archive.txt";
    gAlertHypocenterFile = "ALERT.HY4";
    gWorldViewName = "WORLD";
    return ReadAlertCriteriaFile();
}

// An 800 x 500 map pane in its own parent window, rendered once.
inline childMap* MakeRenderedPane(std::unique_ptr<platform::ui::Window>& owner) {
    owner = std::make_unique<platform::ui::Window>(nullptr, "layout");
    owner->MoveWindow({0, 0, 800, 500});
    auto* pane = new childMap(owner.get());
    pane->MoveWindow({0, 0, 800, 500});
    if (!owner->Create()) return nullptr;
    pane->RenderView();
    return pane;
}

}  // namespace alerttest
