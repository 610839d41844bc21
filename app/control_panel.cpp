#include "app/control_panel.h"

#include "app/globals.h"
#include "core/config.h"

namespace ui = platform::ui;

int ControlPanelHeight(childControl::Kind kind, int screenFontHeight, double buttonHeight, bool showSlider) {
    if (kind == childControl::Kind::Standard) return childControl::kStandardHeight;
    const int h = static_cast<int>(screenFontHeight * buttonHeight);
    return h + 14 + (showSlider ? 38 : 0);
}

childControl::childControl(ui::Window* parent, int* height, Kind kind) : Window(parent), kind_(kind) {
    if (height) {
        *height = ControlPanelHeight(kind, gScreenMetrics.height, gButtonHeight, gControls[kControlShowSlider] != 0);
    }
}

bool childControl::SyncTimeSlider() { return false; }
void childControl::ScrubAnimationTime(int, int) {}
void childControl::DrawDateReadout(TimeValue t, TimeValue) { readout_ = t; }

void childControl::DrawEventCounters(int quakes, int eruptions) {
    quakes_ = quakes;
    eruptions_ = eruptions;
}

void childControl::ResetTimeSlider() { ++sliderResets_; }
void childControl::DrawAliveBlink(bool) {}
void childControl::DrawAliveWarning(bool) {}

void childControl::ShowAlertButtons() {
    zoomButtonsShown_ = true;
    alertPending_ = true;
}

void childControl::UnhighlightButtons() {}
