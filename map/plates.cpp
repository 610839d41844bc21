// The plates layer: the plates file and its labels. The labels' renderer
// belongs to the pane, so this stays out of the segment reader's library.
#include "core/view.h"
#include "map/overlay.h"
#include "map/segments.h"

namespace gfx = platform::gfx;

void DrawPlatesLayer(const Proj& proj, gfx::DrawContext& dc, Segment3DPen* pen3d) {
    if (gCrossSectionView) return;
    ClipToRect(dc, gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom, true);
    (void)DrawNamedSegmentFile(proj, kPlatesFile, PointLayout::kFine, dc, pen3d);
    if (!gPltFileName.empty()) DrawPlateLabels(proj, dc, gPltFileName);
    dc.SetOrigin({0, 0});
    dc.ResetClip();
    dc.SetOrigin({gMapRect.left, gMapRect.top});
}
