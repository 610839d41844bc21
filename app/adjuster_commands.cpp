// The frame's side of the live adjusters: opening them, hiding them when the
// view is reopened, and passing on a section centre picked on the map.
#include "app/adjusters.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/layout.h"
#include "core/view.h"
#include "map/child_map.h"

namespace ui = platform::ui;

namespace {

// A strip made once and kept; false when its window cannot be made.
template <class Strip>
bool ShowStrip(Strip*& strip, myFrame& frame, std::function<void()> redraw) {
    if (!strip) {
        strip = new Strip(&frame, Strip::kTemplate, std::move(redraw), [&frame] { frame.SendCommand(kCmRepeat); });
        if (!strip->Create()) {
            strip->Destroy();
            strip = nullptr;
            return false;
        }
    }
    strip->LoadValues();
    strip->Show(ui::ShowCommand::Show);
    return true;
}

}  // namespace

void myFrame::CmInteractive3D() {
    if (gPaused) return;
    auto redraw = [this] {
        if (!layout_ || !g3DView) return;
        if (childMap* map = layout_->mapPane()) map->Draw3DView();
    };
    if (!ShowStrip(interactiveDialog_, *this, redraw)) return;
    gPaused = true;
}

bool myFrame::ShowCrossSectionDialog() {
    auto redraw = [this] {
        if (!layout_ || !gMapView) return;
        if (childMap* map = layout_->mapPane()) map->DrawCrossSectionOutline();
    };
    if (!ShowStrip(crossSectionDialog_, *this, redraw)) return false;
    redraw();  // the section as it stands, before anything is changed
    return true;
}

void myFrame::HideAdjusters() {
    if (interactiveDialog_) interactiveDialog_->Show(ui::ShowCommand::Hide);
    if (crossSectionDialog_) crossSectionDialog_->Show(ui::ShowCommand::Hide);
}

void myFrame::CmCrossSectionPicked() {
    if (crossSectionDialog_ && crossSectionDialog_->visible()) crossSectionDialog_->UpdateOutline();
}
