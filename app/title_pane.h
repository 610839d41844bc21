#pragma once
// The strip above the map: the view's title in a framed box, and its closing
// title on yellow once the animation has reached the end of its period.
#include "platform/gfx/draw_context.h"
#include "platform/ui/window.h"

class childTitle : public platform::ui::Window {
public:
    explicit childTitle(platform::ui::Window* parent) : Window(parent) {}
    // The whole pane; the title takes gLargeFont, or the context's font without it.
    void DrawTitle(platform::gfx::DrawContext& dc);

protected:
    void Paint(platform::ui::BackBuffer& buffer, const platform::ui::Rect& damaged) override;
};
