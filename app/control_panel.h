#pragma once
// The control panel below the map: transport buttons, the time slider, the
// date read-out, speed and cut-off controls in the standard layout, large text
// buttons in the kiosk layout. The clock, the housekeeping and the alert mode
// call its entry points.
#include "core/timevalue.h"
#include "platform/ui/window.h"

inline constexpr int kCmZoomToEarthquake = 824;

class childControl : public platform::ui::Window {
public:
    static constexpr int kStandardHeight = 82;
    enum class Kind { Standard, Kiosk };
    childControl(platform::ui::Window* parent, int* height, Kind kind = Kind::Standard);

    Kind kind() const { return kind_; }

    // ---- called by the animation clock at every tick
    int scrubDirection() const { return scrub_; }  // -1 rewinding, 0, +1 fast-forwarding
    void SetScrubDirection(int d) { scrub_ = d; }
    // True when the user moved the slider since the last call.
    bool SyncTimeSlider();
    void ScrubAnimationTime(int direction, int counter);
    void DrawDateReadout(TimeValue t, TimeValue step);
    void DrawEventCounters(int quakes, int eruptions);
    void ResetTimeSlider();

    // ---- called by the housekeeping timer
    void DrawAliveBlink(bool lit);
    void DrawAliveWarning(bool phase);

    // ---- alert buttons: the alert mode shows "Zoom in to Earthquake" and
    // "Stop Animation" and sets the pending flag
    void ShowAlertButtons();
    bool alertPending() const { return alertPending_; }
    void SetAlertPending(bool on) { alertPending_ = on; }
    void ShowZoomButtons(bool on) { zoomButtonsShown_ = on; }
    bool zoomButtonsShown() const { return zoomButtonsShown_; }
    void UnhighlightButtons();

    // ---- what tests read
    TimeValue readoutTime() const { return readout_; }
    int sliderResets() const { return sliderResets_; }
    int shownQuakes() const { return quakes_; }

private:
    Kind kind_;
    int scrub_ = 0;
    TimeValue readout_;
    int sliderResets_ = 0;
    int quakes_ = -1, eruptions_ = -1;
    bool zoomButtonsShown_ = false;
    bool alertPending_ = false;
};

// The height the panel reports: 82 for the standard panel; the kiosk panel's
// button height plus 14, and 38 more with the slider.
int ControlPanelHeight(childControl::Kind kind, int screenFontHeight, double buttonHeight, bool showSlider);
