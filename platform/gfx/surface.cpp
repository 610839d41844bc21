#include "platform/gfx/surface.h"

#include <new>

namespace platform::gfx {
namespace {

bool SizeAllowed(int width, int height) {
    return width >= 0 && height >= 0 && static_cast<long long>(width) * height <= kMaxPixels;
}

template <class T>
bool Allocate(std::vector<T>& out, int width, int height, T value) {
    try {
        out.assign(static_cast<std::size_t>(width) * height, value);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

}  // namespace

Surface::Surface(int width, int height, std::vector<std::uint32_t>&& pixels)
    : width_(width), height_(height), pixels_(std::move(pixels)) {}

std::unique_ptr<Surface> Surface::Create(int width, int height, Color fill) {
    if (!SizeAllowed(width, height)) return nullptr;
    std::vector<std::uint32_t> pixels;
    if (!Allocate(pixels, width, height, fill.value())) return nullptr;
    Surface* s = new (std::nothrow) Surface(width, height, std::move(pixels));
    return std::unique_ptr<Surface>(s);
}

void Surface::MarkDamaged(const Rect& r) {
    const Rect c = r.intersected(bounds());
    if (c.empty()) return;
    damage_ = damage_.united(c);
    // Spans of one shape come one after another and touch: they grow one rectangle.
    const std::size_t n = damageRects_.size();
    for (std::size_t i = n; i > 0 && i + 4 > n; --i) {
        Rect& near = damageRects_[i - 1];
        if (near.inflated(1, 1).intersects(c)) {
            near = near.united(c);
            return;
        }
    }
    if (n < kMaxDamageRects) {
        damageRects_.push_back(c);
        return;
    }
    auto area = [](const Rect& a) { return static_cast<long long>(a.width()) * a.height(); };
    Rect* best = &damageRects_.front();
    long long least = -1;
    for (Rect& d : damageRects_) {
        const long long growth = area(d.united(c)) - area(d);
        if (least < 0 || growth < least) {
            least = growth;
            best = &d;
        }
    }
    *best = best->united(c);
}

std::optional<Color> Surface::Pixel(Point p) const {
    if (!bounds().contains(p)) return std::nullopt;
    return At(p.x, p.y);
}

Mask::Mask(int width, int height, std::vector<std::uint8_t>&& bits)
    : width_(width), height_(height), bits_(std::move(bits)) {}

std::unique_ptr<Mask> Mask::Create(int width, int height, bool set) {
    if (!SizeAllowed(width, height)) return nullptr;
    std::vector<std::uint8_t> bits;
    if (!Allocate<std::uint8_t>(bits, width, height, set ? 1 : 0)) return nullptr;
    Mask* m = new (std::nothrow) Mask(width, height, std::move(bits));
    return std::unique_ptr<Mask>(m);
}

std::optional<bool> Mask::Bit(Point p) const {
    if (!bounds().contains(p)) return std::nullopt;
    return At(p.x, p.y);
}

}  // namespace platform::gfx
