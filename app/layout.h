#pragma once
// The layout client of an open view and its four panes: legend, map, control
// panel and title.
#include <optional>

#include "app/map_pane.h"
#include "core/timevalue.h"
#include "platform/ui/window.h"

// The title pane: white until it paints the view's title.
class childTitle : public platform::ui::Window {
public:
    explicit childTitle(platform::ui::Window* parent) : Window(parent) {}

protected:
    void Paint(platform::ui::BackBuffer& buffer, const platform::ui::Rect& damaged) override;
};

// The legend pane: an empty window until it draws the legend.
class childLegend : public platform::ui::Window {
public:
    explicit childLegend(platform::ui::Window* parent) : Window(parent) {}
    void DrawEventCounters(int quakes, int eruptions);
    int shownQuakes() const { return quakes_; }
    int shownEruptions() const { return eruptions_; }

private:
    int quakes_ = -1, eruptions_ = -1;
};

// The control panel: an empty window of the panel's height until its buttons come.
class childControl : public platform::ui::Window {
public:
    static constexpr int kStandardHeight = 82;
    enum class Kind { Standard, Kiosk };
    childControl(platform::ui::Window* parent, int* height, Kind kind = Kind::Standard);

    Kind kind() const { return kind_; }
    void DrawDateReadout(TimeValue t, TimeValue step);
    void DrawEventCounters(int quakes, int eruptions);
    void ResetTimeSlider();
    void ShowZoomButtons(bool on) { zoomButtonsShown_ = on; }
    bool zoomButtonsShown() const { return zoomButtonsShown_; }
    TimeValue readoutTime() const { return readout_; }
    int sliderResets() const { return sliderResets_; }
    int shownQuakes() const { return quakes_; }

private:
    Kind kind_;
    TimeValue readout_;
    int sliderResets_ = 0;
    int quakes_ = -1, eruptions_ = -1;
    bool zoomButtonsShown_ = false;
};

// The height the panel reports: 82 for the standard panel; the kiosk panel's
// button height plus 14, and 38 more with the slider.
int ControlPanelHeight(childControl::Kind kind, int screenFontHeight, double buttonHeight, bool showSlider);

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

class myLayoutWindow : public platform::ui::Window {
public:
    explicit myLayoutWindow(platform::ui::Window* frame);
    ~myLayoutWindow() override;

    childLegend* legend() const { return legend_; }
    MapPane& map() { return map_; }
    childControl* control() const { return control_; }
    childTitle* title() const { return title_; }
    const PaneFlags& flags() const { return flags_; }
    int legendWidth() const { return legendWidth_; }

protected:
    void EvSize(platform::ui::Size client) override;

private:
    void CreatePanes();
    void ApplyLayout();

    // In this order, as the panes are reached from elsewhere.
    childLegend* legend_ = nullptr;
    MapPane map_;
    childControl* control_ = nullptr;
    childTitle* title_ = nullptr;

    PaneFlags flags_;
    int legendWidth_ = 0;
    int titleHeight_ = 0;
    int panelHeight_ = 0;
};
