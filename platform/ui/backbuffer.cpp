#include "platform/ui/backbuffer.h"

#include <algorithm>

namespace platform::ui {

void BackBuffer::Resize(Size size, std::uint32_t fill) {
    const int w = std::max(size.width, 0), h = std::max(size.height, 0);
    if (w == width_ && h == height_) return;
    std::vector<std::uint32_t> next(static_cast<std::size_t>(w) * h, fill);
    const int cw = std::min(w, width_), ch = std::min(h, height_);
    for (int y = 0; y < ch; ++y) std::copy_n(row(y), cw, next.data() + static_cast<std::size_t>(y) * w);
    pixels_ = std::move(next);
    width_ = w;
    height_ = h;
}

std::uint32_t BackBuffer::pixel(int x, int y) const {
    return bounds().contains({x, y}) ? row(y)[x] : 0u;
}

void BackBuffer::SetPixel(int x, int y, std::uint32_t rgb) {
    if (bounds().contains({x, y})) row(y)[x] = rgb & 0xFFFFFFu;
}

void BackBuffer::Fill(const Rect& r, std::uint32_t rgb) {
    const Rect c = r.intersected(bounds());
    if (c.empty()) return;
    for (int y = c.top; y < c.bottom; ++y) std::fill(row(y) + c.left, row(y) + c.right, rgb & 0xFFFFFFu);
}

}  // namespace platform::ui
