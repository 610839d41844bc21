#include "platform/gfx/surface.h"

#include <algorithm>
#include <utility>
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
    if (anyCovered_ && Covered(c)) return;
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
    if (n == kMaxDamageRects) HalveDamageRects();
    damageRects_.push_back(c);
}

namespace {

// Interleaved bits of x and y: neighbours on the surface are mostly neighbours in this order.
std::uint64_t ZOrder(Point p) {
    auto spread = [](std::uint32_t v) {
        std::uint64_t x = v;
        x = (x | (x << 16)) & 0x0000FFFF0000FFFFULL;
        x = (x | (x << 8)) & 0x00FF00FF00FF00FFULL;
        x = (x | (x << 4)) & 0x0F0F0F0F0F0F0F0FULL;
        x = (x | (x << 2)) & 0x3333333333333333ULL;
        x = (x | (x << 1)) & 0x5555555555555555ULL;
        return x;
    };
    return spread(static_cast<std::uint32_t>(p.x)) | (spread(static_cast<std::uint32_t>(p.y)) << 1);
}

}  // namespace

// Full: neighbours pair up, so a long run of marks costs little each. Each
// key is worked out once, not at every comparison.
void Surface::HalveDamageRects() {
    std::vector<std::pair<std::uint64_t, Rect>> keyed;
    keyed.reserve(damageRects_.size());
    for (const Rect& r : damageRects_) keyed.emplace_back(ZOrder({(r.left + r.right) / 2, (r.top + r.bottom) / 2}), r);
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::size_t out = 0;
    for (std::size_t i = 0; i < keyed.size(); i += 2)
        damageRects_[out++] = i + 1 < keyed.size() ? keyed[i].second.united(keyed[i + 1].second) : keyed[i].second;
    damageRects_.resize(out);
    for (const Rect& r : damageRects_) Cover(r);
}

bool Surface::Covered(const Rect& r) const {
    const int columns = (width_ + kCoverCell - 1) / kCoverCell;
    const int x0 = r.left / kCoverCell, x1 = (r.right - 1) / kCoverCell;
    const int y0 = r.top / kCoverCell, y1 = (r.bottom - 1) / kCoverCell;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (!covered_[static_cast<std::size_t>(y) * columns + x]) return false;
    return true;
}

void Surface::Cover(const Rect& r) {
    const int columns = (width_ + kCoverCell - 1) / kCoverCell;
    const int rows = (height_ + kCoverCell - 1) / kCoverCell;
    if (covered_.empty()) covered_.assign(static_cast<std::size_t>(columns) * rows, 0);
    // Only cells wholly inside r; the last cells of a row or column may be
    // cut short by the surface's edge, and inside it they count as whole.
    auto firstCell = [](int v) { return (v + kCoverCell - 1) / kCoverCell; };
    auto endCell = [](int v, int size, int cells) { return v >= size ? cells : v / kCoverCell; };
    const int x0 = firstCell(r.left), x1 = endCell(r.right, width_, columns);
    const int y0 = firstCell(r.top), y1 = endCell(r.bottom, height_, rows);
    for (int y = y0; y < y1; ++y) {
        std::uint8_t* row = covered_.data() + static_cast<std::size_t>(y) * columns;
        if (x0 < x1) {
            std::fill(row + x0, row + x1, std::uint8_t{1});
            anyCovered_ = true;
        }
    }
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
