// What the map editor asks of the application: the click tone, the prompts
// and the place dialogs, each run with the animation held.
#include <algorithm>

#include "app/city_dialogs.h"
#include "app/help.h"
#include "app/event_step.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/prompt_dialogs.h"
#include "app/sound.h"

namespace {

// The animation holds while a dialog is up, as it was before afterwards.
template <class Run>
int Held(Run&& run) {
    PauseForDialog hold;
    return run();
}

template <class Record>
bool Choose(childMap& pane, const std::vector<const Record*>& offered, std::vector<int>& chosen) {
    std::vector<const Record*> result;
    const int answer = Held([&] { return PlacesFromListDialog<Record>(&pane, kPlacesFromListTemplate, offered, &result).Execute(); });
    if (answer != platform::ui::IdOk) return false;
    chosen.clear();
    for (const Record* r : result) {
        const auto at = std::find(offered.begin(), offered.end(), r);
        if (at != offered.end()) chosen.push_back(static_cast<int>(at - offered.begin()));
    }
    return true;
}

}  // namespace

void AppPaneSeams::Click(childMap&) { PlayClick(); }

bool AppPaneSeams::AskText(childMap& pane, const std::string& caption, const std::string& prompt, std::string& text,
                           std::size_t limit) {
    std::string buffer = text;
    const int answer =
        Held([&] { return inputDialog(&pane, kInputDialogTemplate, buffer, caption, prompt, limit).Execute(); });
    if (answer != platform::ui::IdOk) return false;
    text = buffer;
    return true;
}

void AppPaneSeams::EditTextFile(childMap& pane, const std::string& file) { (void)OpenInNotepad(file, &pane); }

bool AppPaneSeams::AskNewCity(childMap& pane, NewCityRow& c) {
    NewCityRow edited = c;
    const int answer = Held([&] {
        return newCityDialog(&pane, kNewCityTemplate, &edited.name, &edited.region, &edited.regionCode,
                             &edited.country, &edited.countryCode, &edited.latitude, &edited.longitude,
                             &edited.population)
            .Execute();
    });
    if (answer != platform::ui::IdOk) return false;
    c = edited;
    return true;
}

bool AppPaneSeams::ChooseCities(childMap& pane, const std::vector<const CityRecord*>& cities, std::vector<int>& chosen) {
    return Choose(pane, cities, chosen);
}

bool AppPaneSeams::ChoosePlants(childMap& pane, const std::vector<const PlaceRecord*>& plants,
                                std::vector<int>& chosen) {
    return Choose(pane, plants, chosen);
}

void AppPaneSeams::UnhighlightPaneButtons(childMap&) {
    if (gMainFrame) gMainFrame->UnhighlightPaneButtons();
}
