#include "app/floating_legend.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "app/control_panel.h"
#include "app/display_commands.h"
#include "app/event_step.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/layout.h"
#include "core/config.h"
#include "core/number_text.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/draw.h"
#include "map/proj.h"

namespace gfx = platform::gfx;
namespace ui = platform::ui;

namespace {

constexpr int kDepthCells = 10;
constexpr double kMilesPerKm = 0.62;

// Raised with the fill, then sunken inside it: the panes' double frame.
void DoubleBevel(gfx::DrawContext& dc, const gfx::Rect& r, int fill, int w, int h) {
    DrawBevelFrame(dc, r, fill, false, w, h);
    DrawBevelFrame(dc, r.inflated(-(w + h), -(w + h)), kNoColor, true, w, 0);
}

void BaselineText(gfx::DrawContext& dc, int x, int y, const std::string& text, gfx::HAlign h) {
    gfx::StateSaver keep(dc);
    dc.SetBackMode(gfx::BackMode::Transparent);
    dc.SetTextColor(ColorOf(kBlackColor));
    dc.SetTextAlign(h, gfx::VAlign::Baseline);
    dc.TextOut({x, y}, text);
}

}  // namespace

// ---- arithmetic -------------------------------------------------------------------------

ui::Point LegendDragPosition(const ui::Rect& window, const MapRect& map, ui::Point p, ui::Point anchor,
                             int aveCharWidth, int paneHeight) {
    const long long x = static_cast<long long>(window.left) + p.x - anchor.x;
    const long long y = static_cast<long long>(window.top) + p.y - anchor.y;
    const long long left = map.left, right = static_cast<long long>(map.right) - window.width();
    const long long top = map.top + 3LL * aveCharWidth, bottom = static_cast<long long>(paneHeight) - window.height();
    return {static_cast<int>(std::max(left, std::min(x, right))), static_cast<int>(std::max(top, std::min(y, bottom)))};
}

ui::Point LegendPlace(ui::Size pane, ui::Size legend, int storedX, int storedY) {
    const int maxX = std::max(0, pane.width - legend.width), maxY = std::max(0, pane.height - legend.height);
    const int x = storedX != 0 ? storedX : (pane.width - legend.width) / 2;
    const int y = storedY != 0 ? storedY : pane.height - legend.height;
    return {std::clamp(x, 0, maxX), std::clamp(y, 0, maxY)};
}

ui::Size LegendSize(int textHeight, int aveCharWidth) { return {65 * aveCharWidth, 9 * textHeight}; }

// ---- the window -----------------------------------------------------------------------------

childQMXControl::childQMXControl(ui::Window* pane) : Window(pane) { SetStyle(ui::style::kChild); }

childQMXControl::~childQMXControl() { AbandonDrag(); }

void childQMXControl::SetupWindow() {
    Window::SetupWindow();
    background_ = kLightGrayColor;
    if (!font_) font_ = gfx::Font::Create("arial", 20, gfx::kNormalWeight);
}

void childQMXControl::SetLegendFont(std::shared_ptr<const gfx::Font> font) { font_ = std::move(font); }

void childQMXControl::Paint(ui::BackBuffer& buffer, const ui::Rect&) {
    gfx::DrawContext dc(buffer);
    const int fill = gControls[kControlDoviredezur] ? kDoviredezurLightColor : background_;
    dc.FillRect(clientRect(), gfx::Brush::Solid(ColorOf(fill)));
    DoubleBevel(dc, clientRect(), fill, 2, 2);
    if (!gControls[kControlQmxLegend]) return;
    DrawLegend(dc);
    DrawReadout(dc);
}

void childQMXControl::DrawLegend(gfx::DrawContext& dc) {
    gfx::StateSaver keep(dc);
    const int tmH = gScreenMetrics.height;
    const int cw = gAveCharWidth;
    const int quarter = TruncToInt(gTextHeight / 4.0);
    const int R = TruncToInt(DotRadius(gMaxMagnitude));
    if (font_) dc.SetFont(font_);

    BaselineText(dc, 5 * cw, 2 * tmH, "Magnitude", gfx::HAlign::Left);
    const int y0 = 2 * tmH + TruncToInt(3.0 * tmH / 2);
    int x = 5 * cw;
    for (long long m = static_cast<long long>(gMinMagnitude) + 1; m <= gMaxMagnitude; ++m) {
        const double r = DotRadius(static_cast<double>(m));
        if (r > quarter) BaselineText(dc, x - cw, y0, FormatGeneral(static_cast<double>(m)), gfx::HAlign::Right);
        const int fill = static_cast<double>(m) >= gMagnitudeCutoff ? kRedColor : kLightGrayColor;
        DrawDot(dc, nullptr, x, y0 + R, std::max(0, TruncToInt(r)), ColorOf(kBlackColor), ColorOf(fill), 0);
        x = TruncToInt(x + 2 * r + TruncToInt(gTextHeight / 2.0));
        if (x > clientRect().right) break;  // a view may name any range: nothing more can be seen
    }

    x += 2 * cw;
    BaselineText(dc, x, 2 * tmH, gScaleInKm ? "Depth (km)" : "Depth (Miles)", gfx::HAlign::Left);
    const double f = gScaleInKm ? 1.0 : kMilesPerKm;
    dc.SetPen(gfx::Pen::None());
    for (int i = 0; i < kDepthCells; ++i) {
        if (i % 2 == 0)
            BaselineText(dc, x, y0, FormatGeneral(f * (gMinDepth + (gMaxDepth - gMinDepth) * i / kDepthCells)),
                         gfx::HAlign::Center);
        const int top = y0 + quarter;
        dc.FillRect({x, top, x + 3 * cw + 1, top + gTextHeight}, gfx::Brush::Solid(ColorOf(gDepthColors[i])));
        x += 3 * cw;
    }
    BaselineText(dc, x, y0, FormatGeneral(f * gMaxDepth), gfx::HAlign::Center);
}

void childQMXControl::DrawReadout(gfx::DrawContext& dc) {
    if (!readout_) return;
    const int w = readout_->width(), h = readout_->height();
    const int x0 = (clientRect().width() - w) / 2, y0 = clientRect().height() - h - 5;
    DoubleBevel(dc, {x0 - 2, y0 - 2, x0 + w + 2, y0 + h + 2}, kNoColor, 1, 0);
    dc.Blit({x0, y0, x0 + w, y0 + h}, *readout_, {0, 0}, gfx::RasterOp::Copy);
}

void childQMXControl::CopyDateReadout(const gfx::Surface& source, const ui::Rect& readout) {
    const ui::Rect r = readout.intersected({0, 0, source.width(), source.height()});
    if (r.empty()) return;
    readout_ = gfx::Surface::Create(r.width(), r.height());
    if (!readout_) return;
    gfx::DrawContext copy(*readout_);
    copy.Blit({0, 0, r.width(), r.height()}, source, r.topLeft(), gfx::RasterOp::Copy);
    if (!created()) return;
    gfx::DrawContext dc(backBuffer());
    DrawReadout(dc);
}

void childQMXControl::EvLButtonDown(ui::Point p, std::uint32_t) {
    dragging_ = true;
    anchor_ = p;
    SetCapture();
}

void childQMXControl::EvMouseMove(ui::Point p, std::uint32_t) {
    if (!dragging_) return;
    // Another window took the mouse (a dialog, the desktop): the drag is over.
    if (CaptureWindow() != this) {
        AbandonDrag();
        return;
    }
    const ui::Point at = LegendDragPosition(rect(), gMapRect, p, anchor_, gAveCharWidth, gPaneHeight);
    if (at != rect().topLeft()) MoveWindow(ui::Rect::FromSize(at.x, at.y, rect().width(), rect().height()));
    gLegendPosition = {at.x, at.y};
}

void childQMXControl::EvLButtonUp(ui::Point, std::uint32_t) {
    if (!dragging_) return;
    AbandonDrag();
    (void)SaveViewSetting();  // a failure is reported to the user there
}

void childQMXControl::EvShowWindow(bool shown) {
    if (!shown) AbandonDrag();
}

void childQMXControl::AbandonDrag() {
    dragging_ = false;
    anchor_ = {};
    ReleaseCapture();
}

// ---- the pane's legend -----------------------------------------------------------------------

childQMXControl* FloatingLegendOf(const childMap& pane) {
    for (ui::Window* child : pane.children())
        if (auto* legend = dynamic_cast<childQMXControl*>(child); legend && !legend->destroying()) return legend;
    return nullptr;
}

void ShowFloatingLegend(childMap& pane) {
    childQMXControl* legend = FloatingLegendOf(pane);
    if (!legend) {
        if (!gControls[kControlQmxLegend]) return;
        legend = new childQMXControl(&pane);
        const ui::Size size = LegendSize(gTextHeight, gAveCharWidth);
        const ui::Point at = LegendPlace(pane.clientRect().size(), size, gLegendPosition.x, gLegendPosition.y);
        legend->MoveWindow(ui::Rect::FromSize(at.x, at.y, size.width, size.height));
        if (pane.created()) legend->Create();
    }
    legend->Show(gFloatingLegend ? ui::ShowCommand::Show : ui::ShowCommand::Hide);
    if (gFloatingLegend) legend->Invalidate();
}

bool FloatingLegendBox(const childMap& pane, gfx::Rect* box) {
    const childQMXControl* legend = FloatingLegendOf(pane);
    if (!legend || !legend->visible()) return false;
    if (box) *box = legend->rect();
    return true;
}

namespace {

childQMXControl* CurrentLegend() {
    if (!gMainFrame || !gMainFrame->layout()) return nullptr;
    const childMap* pane = gMainFrame->layout()->mapPane();
    return pane ? FloatingLegendOf(*pane) : nullptr;
}

}  // namespace

void InstallFloatingLegend() {
    gControlPanelHooks.hideFloatingLegend = [] {
        if (childQMXControl* legend = CurrentLegend()) legend->Show(ui::ShowCommand::Hide);
    };
    gControlPanelHooks.copyDateReadout = [](const gfx::Surface& source, const ui::Rect& readout) {
        if (childQMXControl* legend = CurrentLegend()) legend->CopyDateReadout(source, readout);
    };
}

void AppPaneSeams::FloatingLegend(childMap& pane) { ShowFloatingLegend(pane); }
bool AppPaneSeams::FloatingLegendBox(const childMap& pane, gfx::Rect* box) { return ::FloatingLegendBox(pane, box); }
