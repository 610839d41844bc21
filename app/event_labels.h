#pragma once
// Event labels: while the animation runs, the view's EVENT LABEL lines come up
// one at a time as a small red window over the map when the clock passes
// their time, and go 50 ticks later or when the next one comes.
#include <string>

#include "platform/gfx/geometry.h"
#include "platform/ui/window.h"

class childMap;
class myFrame;
struct EventLabelRecord;

inline constexpr int kEventLabelTicks = 50;

// A child window of the map pane exactly over one label's box.
class EventLabelWindow : public platform::ui::Window {
public:
    // anchor: where the text is justified, in the window's client pixels.
    EventLabelWindow(platform::ui::Window* map, const EventLabelRecord& record, platform::gfx::Point anchor);
    ~EventLabelWindow() override;
    const std::string& text() const { return text_; }

protected:
    void Paint(platform::ui::BackBuffer& buffer, const platform::ui::Rect& damaged) override;

private:
    // A copy: the view's labels are freed when the next view is read.
    std::string text_;
    platform::gfx::Point anchor_;
};

// When a view opens: the labels in time order, the cursor on the first not
// before the clock, any label still up removed. map may be null.
void StartEventLabels(childMap* map);
// One tick's label work (EVENT LABELS on): the shown label counts down, and
// the next one comes up once the clock has passed its time.
void StepEventLabels(myFrame& frame, childMap* map);
// The shown label's window goes; the map under it is as it was before.
void RemoveShownEventLabel(childMap* map);
// Draws the label on the map, protects its box from event dots and puts its window over it.
void ShowEventLabel(childMap& map, EventLabelRecord& label);
// The window of the shown label, or null.
EventLabelWindow* ShownEventLabelWindow();
