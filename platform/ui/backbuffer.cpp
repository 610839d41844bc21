#include "platform/ui/backbuffer.h"

#include <algorithm>

namespace platform::ui {

std::unique_ptr<BackBuffer> ResizedBuffer(const BackBuffer* old, Size size, gfx::Color fill) {
    auto next = BackBuffer::Create(std::max(size.width, 0), std::max(size.height, 0), fill);
    if (!next) next = BackBuffer::Create(0, 0, fill);
    if (old) {
        const int w = std::min(old->width(), next->width()), h = std::min(old->height(), next->height());
        for (int y = 0; y < h; ++y) std::copy_n(old->row(y), w, next->row(y));
    }
    return next;
}

}  // namespace platform::ui
