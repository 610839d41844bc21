#pragma once
// The window layer measures with the drawing layer's points, sizes and
// half-open rectangles.
#include "platform/gfx/geometry.h"

namespace platform::ui {
using gfx::Point;
using gfx::Rect;
using gfx::Size;
}  // namespace platform::ui
