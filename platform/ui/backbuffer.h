#pragma once
// The retained pixels behind every window: a drawing-layer Surface. Paint and
// any drawing outside Paint write into it; what is drawn marks the surface's
// damage, and the window layer has the backend present it.
#include <memory>

#include "platform/gfx/surface.h"
#include "platform/ui/geometry.h"

namespace platform::ui {

using BackBuffer = gfx::Surface;

// A buffer of the new size holding the old one's pixels where they overlap,
// the fill elsewhere; never null (a size that cannot be had gives 0 x 0).
std::unique_ptr<BackBuffer> ResizedBuffer(const BackBuffer* old, Size size, gfx::Color fill = gfx::kBlack);

}  // namespace platform::ui
