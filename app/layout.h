#pragma once
// The layout client of an open view and its four panes: legend, map, control
// panel and title.
#include <optional>

class childMap;

#include "app/control_panel.h"
#include "app/legend.h"
#include "app/title_pane.h"
#include "core/timevalue.h"
#include "map/map_pane.h"
#include "platform/ui/window.h"

struct PaneFlags {
    bool title = false;   // MAP TITLE WINDOW
    bool legend = false;  // not NO LEGEND
    bool qmx = false;     // QMX LEGEND: the wide arrangement
};
struct PaneRects {
    std::optional<platform::ui::Rect> title, legend;
    platform::ui::Rect map, control;
};
// Panes never overlap nor leave the parent; a parent too small gives empty panes.
PaneRects ComputePaneRects(const platform::ui::Rect& parent, const PaneFlags& flags, int titleHeight, int legendWidth,
                           int panelHeight);

// Tests set a maker of a quiet or recording pane; nullptr makes the real map pane.
using MapPaneMaker = MapPane* (*)(platform::ui::Window* parent);
void SetMapPaneMaker(MapPaneMaker maker);

class myLayoutWindow : public platform::ui::Window {
public:
    explicit myLayoutWindow(platform::ui::Window* frame);
    ~myLayoutWindow() override;

    childLegend* legend() const { return legend_; }
    MapPane& map() { return *map_; }
    // The real map pane, or null when a test put a recording pane in its place.
    childMap* mapPane() const;
    childControl* control() const { return control_; }
    childTitle* title() const { return title_; }
    const PaneFlags& flags() const { return flags_; }
    int legendWidth() const { return legendWidth_; }

protected:
    void EvSize(platform::ui::Size client) override;
    // What no pane covers: the corner above the legend beside the title.
    void Paint(platform::ui::BackBuffer& buffer, const platform::ui::Rect& damaged) override;

private:
    void CreatePanes();
    void ApplyLayout();

    // In this order, as the panes are reached from elsewhere.
    childLegend* legend_ = nullptr;
    MapPane* map_ = nullptr;  // a child window: the window layer deletes it
    childControl* control_ = nullptr;
    childTitle* title_ = nullptr;

    PaneFlags flags_;
    int legendWidth_ = 0;
    int titleHeight_ = 0;
    int panelHeight_ = 0;
};
