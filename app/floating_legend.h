#pragma once
// The floating magnitude and depth legend over the map (QMX LEGEND): a child
// of the map pane that the user drags within the map; where it is dropped is
// the view's LEGEND POSITION, in pane pixels.
#include <memory>

#include "platform/gfx/draw_context.h"
#include "platform/gfx/surface.h"
#include "platform/ui/window.h"

class childMap;
struct MapRect;

// ---- arithmetic, apart from the window

// Where a drag puts the legend's top-left corner: the window's rectangle in
// pane pixels, the map area, the mouse point and the anchor in the legend's
// client pixels. The map's left and top edges win over its right and bottom,
// so a legend wider than the map stays at the map's left.
platform::ui::Point LegendDragPosition(const platform::ui::Rect& window, const MapRect& map, platform::ui::Point p,
                                       platform::ui::Point anchor, int aveCharWidth, int paneHeight);
// Where a new legend of the size goes in a pane: the stored position, a 0
// coordinate replaced by the default (centred, on the pane's bottom), both
// held inside the pane.
platform::ui::Point LegendPlace(platform::ui::Size pane, platform::ui::Size legend, int storedX, int storedY);
// The legend's size for the pane's text metrics.
platform::ui::Size LegendSize(int textHeight, int aveCharWidth);

class childQMXControl : public platform::ui::Window {
public:
    explicit childQMXControl(platform::ui::Window* pane);
    ~childQMXControl() override;

    // The read-out's pixels at the legend's bottom centre, kept for later paints.
    void CopyDateReadout(const platform::gfx::Surface& source, const platform::ui::Rect& readout);
    bool dragging() const { return dragging_; }
    // Before the first paint; without one the legend makes "arial" 20.
    void SetLegendFont(std::shared_ptr<const platform::gfx::Font> font);

protected:
    void SetupWindow() override;
    void Paint(platform::ui::BackBuffer& buffer, const platform::ui::Rect& damaged) override;
    void EvLButtonDown(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvMouseMove(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvLButtonUp(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvShowWindow(bool shown) override;

private:
    void DrawLegend(platform::gfx::DrawContext& dc);
    void DrawReadout(platform::gfx::DrawContext& dc);
    // Ends a drag without writing anything: the capture is given back.
    void AbandonDrag();

    bool dragging_ = false;
    platform::ui::Point anchor_{};
    int background_ = 7;
    std::shared_ptr<const platform::gfx::Font> font_;
    std::unique_ptr<platform::gfx::Surface> readout_;
};

// The pane's legend, or null while it has none.
childQMXControl* FloatingLegendOf(const childMap& pane);
// Creates the legend on the pane's first QMX rendering, then shows or hides it
// by the view's FLOATING LEGEND.
void ShowFloatingLegend(childMap& pane);
// The legend's box in pane pixels while it is shown.
bool FloatingLegendBox(const childMap& pane, platform::gfx::Rect* box);
// The current view's legend, for the control panel and the frame: Back, Redraw
// and the menus hide it, and every new read-out is copied into it. Without a
// frame or a legend they do nothing.
void HideFloatingLegend();
void CopyDateReadoutToLegend(const platform::gfx::Surface& panel, const platform::ui::Rect& readout);
