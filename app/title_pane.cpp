#include "app/title_pane.h"

#include "app/globals.h"
#include "app/view_open.h"
#include "core/view.h"
#include "map/draw.h"

namespace gfx = platform::gfx;
namespace ui = platform::ui;
using gfx::Rect;

namespace {
}  // namespace

void childTitle::Paint(ui::BackBuffer& buffer, const ui::Rect&) {
    gfx::DrawContext dc(buffer);
    dc.FillRect(clientRect(), gfx::Brush::Solid(ColorOf(kWhiteColor)));
    DrawTitle(dc);
}

void childTitle::DrawTitle(gfx::DrawContext& dc) {
    const Rect c = clientRect();
    DrawDoubleBevelFrame(dc, {c.left, c.top, c.right - 1, c.bottom - 1}, 2, 2);
    const Rect box{c.left + 6, c.top + 6, c.right - 6, c.bottom - 6};
    const bool atEnd = gEndOfPeriodDone && !gViewTitleAtEnd.empty();

    gfx::StateSaver saver(dc);
    dc.SetPen(gfx::Pen::Solid(ColorOf(kBlackColor)));
    dc.SetBrush(gfx::Brush::Solid(ColorOf(atEnd ? kYellowColor : kWhiteColor)));
    dc.Rectangle(box);
    // A title longer than the box stays inside its outline.
    dc.IntersectClip(box.inflated(-1, -1));
    const auto font = gLargeFont ? gLargeFont : dc.font();
    DrawJustifiedText(dc, box.width() / 2 + 7, box.height() / 2 + 6, font, atEnd ? gViewTitleAtEnd : gViewTitle, 0,
                      kNoColor, HJust::Center, VJust::Center);
}
