#pragma once
// A map pane that draws and records nothing, for frames whose tests look at
// other panes; a test records what it needs by overriding a step.
#include "app/layout.h"
#include "map/map_pane.h"
#include "platform/ui/window.h"

namespace apptest {

class QuietMapPane : public platform::ui::Window, public MapPane {
public:
    explicit QuietMapPane(platform::ui::Window* parent) : Window(parent) {}
    platform::ui::Window& window() override { return *this; }
    bool EraseMarkers() override { return false; }
    void FlushUpdateRect() override {}
    void CloseTextWindow() override {}
    void SetHighlightShown(bool) override {}
    void RenderView() override {}
    void EraseMarker() override {}
    void HighlightEvent(const QuakeRecord*, bool, bool) override {}
    void SetBusy(bool) override {}
    void BuildAlertView(const QuakeRecord&) override {}
};

// The maker SetMapPaneMaker takes: SetMapPaneMaker(&MakePane<RecordingPane>).
template <class Pane = QuietMapPane>
MapPane* MakePane(platform::ui::Window* parent) {
    return new Pane(parent);
}

}  // namespace apptest
