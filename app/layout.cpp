#include "app/layout.h"

#include <algorithm>
#include <cmath>

#include "app/globals.h"
#include "core/config.h"
#include "map/child_map.h"
#include "map/draw.h"
#include "platform/gfx/draw_context.h"
#include "platform/gfx/font.h"

namespace gfx = platform::gfx;
namespace ui = platform::ui;

namespace {

MapPaneMaker sMapPaneMaker = nullptr;

// Clamps a rectangle into the parent so no pane is inverted or sticks out.
ui::Rect Inside(const ui::Rect& r, const ui::Rect& parent) {
    ui::Rect c;
    c.left = std::clamp(r.left, parent.left, parent.right);
    c.right = std::clamp(r.right, c.left, parent.right);
    c.top = std::clamp(r.top, parent.top, parent.bottom);
    c.bottom = std::clamp(r.bottom, c.top, parent.bottom);
    return c;
}

}  // namespace

void SetMapPaneMaker(MapPaneMaker maker) { sMapPaneMaker = maker; }

PaneRects ComputePaneRects(const ui::Rect& parent, const PaneFlags& flags, int titleHeight, int legendWidth,
                           int panelHeight) {
    PaneRects out;
    const int legendLeft = flags.legend ? parent.right - legendWidth : parent.right;
    int top = parent.top;
    if (flags.title) {
        out.title = Inside({parent.left, parent.top, legendLeft, parent.top + titleHeight}, parent);
        top = out.title->bottom;
    }
    if (flags.qmx) {
        // Floating point: the map is 57% of the width, truncated once; never so
        // tall that the panel below it gets less than its own height.
        const int mapHeight = std::min(static_cast<int>(std::trunc(parent.width() * 0.57)),
                                       parent.bottom - top - panelHeight);
        out.map = Inside({parent.left, top, legendLeft, top + mapHeight}, parent);
        out.control = Inside({parent.left, out.map.bottom, parent.right, parent.bottom}, parent);
    } else {
        out.control = Inside({parent.left, parent.bottom - panelHeight, parent.right, parent.bottom}, parent);
    }
    if (flags.legend) {
        out.legend = Inside({legendLeft, top, parent.right, out.control.top}, parent);
    }
    if (!flags.qmx) out.map = Inside({parent.left, top, legendLeft, out.control.top}, parent);
    return out;
}

myLayoutWindow::myLayoutWindow(ui::Window* frame) : Window(frame, "Quorvel") {
    ModifyStyle(0, ui::style::kBorder | ui::style::kMaximize);
    CreatePanes();
}

// The panes are children: the window layer deletes them with the layout.
myLayoutWindow::~myLayoutWindow() = default;

void myLayoutWindow::CreatePanes() {
    if (!gLegendFont) gLegendFont = gfx::Font::Create("MS Sans Serif", 7, gfx::kNormalWeight);
    const int average = gLegendFont ? gLegendFont->metrics().aveCharWidth : 0;
    legendWidth_ = 16 * average + static_cast<int>(std::trunc(gScreenHeight * 28.56 / 480.0));
    if (auto system = gfx::Font::System()) gScreenMetrics = system->metrics();

    flags_.title = gMapTitleWindow != 0;
    flags_.legend = gControls[kControlNoLegend] == 0;
    flags_.qmx = gControls[kControlQmxLegend] != 0;
    titleHeight_ = gLargeMetrics.height + 11;

    if (flags_.title) title_ = new childTitle(this);
    const auto kind = gMuseumMode ? childControl::Kind::Kiosk : childControl::Kind::Standard;
    control_ = new childControl(this, &panelHeight_, kind);
    if (flags_.legend) legend_ = new childLegend(this);
    map_ = sMapPaneMaker ? sMapPaneMaker(this) : new childMap(this);
    ApplyLayout();
}

childMap* myLayoutWindow::mapPane() const { return dynamic_cast<childMap*>(map_); }

void myLayoutWindow::EvSize(ui::Size) { ApplyLayout(); }

void myLayoutWindow::Paint(ui::BackBuffer& buffer, const ui::Rect& damaged) {
    gfx::DrawContext dc(buffer);
    dc.FillRect(damaged, gfx::Brush::Solid(ColorOf(kLightGrayColor)));
}

void myLayoutWindow::ApplyLayout() {
    ui::Rect parent = clientRect();
    // Not yet sized: lay out in the frame's client area, which it will fill.
    if (parent.empty() && this->parent()) parent = this->parent()->clientRect();
    const PaneRects r = ComputePaneRects(parent, flags_, titleHeight_, legendWidth_, panelHeight_);
    if (title_ && r.title) title_->MoveWindow(*r.title);
    if (legend_ && r.legend) legend_->MoveWindow(*r.legend);
    if (control_) control_->MoveWindow(r.control);
    if (map_) map_->window().MoveWindow(r.map);
}
