#pragma once
// Event stepping: the map pane's Next, Previous and Current commands walk the
// catalogues one visible event at a time, draw it with an information box
// and move the clock to it, the animation paused.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/eruption.h"
#include "map/child_map.h"
#include "core/timevalue.h"
#include "platform/gfx/geometry.h"

class childMap;

enum class SteppedKind { None, Quake, Eruption };

// Process-wide; survives views, as the catalogue cursors do.
struct EventStepState {
    int lastDirection = 0;  // -1, 0 or +1 of the last step that showed an event
    // What that step showed; None before the first step and once the clock
    // has moved the cursors since.
    SteppedKind shownKind = SteppedKind::None;
    std::int32_t shownIndex = -1;  // record number in its catalogue
    std::unique_ptr<EruptionEvent> steppedEruption;  // drawn by the last step; erased at the next
    bool infoBox = true;    // the box is drawn; the current-event command toggles it
    platform::gfx::Rect lastInfoBox;  // map-area pixels of the last box with its shadow; empty when none
    // The cursors and the clock as the last step left them.
    std::int32_t quakeCursor = -1, eruptionCursor = -1;
    TimeValue clock;
};
EventStepState& EventStepping();
// Forgets everything, the stepped eruption included (tests).
void ResetEventStepping();

// direction +1 (next), -1 (previous) or 0 (the current event again).
void StepEvent(childMap& pane, int direction);
// Command 1071: the current event's box taken away or drawn again.
void StepCurrentEvent(childMap& pane);
// The map pane's seams this layer fills: the commands the pane passes on
// (stepping 1037, 1038, 1071), the floating legend, the text window and
// the Information button; the network layer's derived seams add the alert view.
class AppPaneSeams : public MapPaneSeams {
public:
    void Command(childMap& pane, int id) override;
    // The map editor's tone, prompts and place dialogs (app/map_edit_seams.cpp).
    void Click(childMap& pane) override;
    bool AskText(childMap& pane, const std::string& caption, const std::string& prompt, std::string& text,
                 std::size_t limit) override;
    bool AskNewCity(childMap& pane, NewCityRow& city) override;
    void EditTextFile(childMap& pane, const std::string& file) override;
    bool ChooseCities(childMap& pane, const std::vector<const CityRecord*>& cities, std::vector<int>& chosen) override;
    bool ChoosePlants(childMap& pane, const std::vector<const PlaceRecord*>& plants, std::vector<int>& chosen) override;
    void UnhighlightPaneButtons(childMap& pane) override;
    void FloatingLegend(childMap& pane) override;
    bool FloatingLegendBox(const childMap& pane, platform::gfx::Rect* box) override;
    // While the animation is held, each paint shows the pending alert with its dot and rings.
    void HighlightAlertEvent(childMap& pane) override;
    // The pane's text window and Information button (app/pane_text_windows.cpp).
    void OpenTextWindow(childMap& pane, const std::string& file) override;
    void CloseTextWindow(childMap& pane) override;
    void InformationButton(childMap& pane) override;
    // Built by the network library, through the program's network link.
    void BuildAlertView(childMap& pane, const QuakeRecord& record) override;
};
// The map pane's open text window; null when none.
platform::ui::Window* PaneTextWindow();
// Installs the application's pane seams (the program's wiring does this too).
void InstallEventStepping();

// ---- arithmetic -------------------------------------------------------------------------

// Where a step starts from: the cursor points past the events already shown
// forward, at the one shown backward. lastWasThisKind: the last event shown
// was of the catalogue being searched. Not clamped.
int StepStartIndex(int index, int direction, int lastDirection, bool lastWasThisKind);

enum class StepVerdict { Skip, Candidate };
// From start (clamped to 0..count-1) in the direction, the first record the
// test calls a candidate; running off one end turns back once from start.
// -1 when none, and always for an empty catalogue or direction 0.
int SearchStep(int start, int count, int direction, const std::function<StepVerdict(int)>& test);

// A kind's candidate for a step: its time, and whether the search found it
// only by turning back at the catalogue's end.
struct StepCandidate {
    TimeValue time;
    bool behind = false;
};
// Which of the two a step shows. A candidate in the step's direction goes
// before one found by turning back; among two, forward a tie shows the
// eruption and backward the earthquake, which walks both catalogues in one
// order either way. Two found by turning back show the one nearer the end.
SteppedKind ChooseStepped(int direction, std::optional<StepCandidate> quake, std::optional<StepCandidate> eruption);

struct InfoBoxPlace {
    platform::gfx::Point topLeft;  // of the measured text, map-area pixels
    platform::gfx::Point icon;     // the marker icon's top-left corner
    bool bigIcon = false;
};
// The box of a w x h text for an event at (x, y) whose marker is m pixels
// from it: above the event when there is room, else near the top, to its
// left or, near the left edge, to its right.
InfoBoxPlace PlaceInfoBox(int x, int y, int w, int h, int m, int mapWidth);
