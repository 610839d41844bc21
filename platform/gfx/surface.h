#pragma once
// Pixel stores that a DrawContext draws into: Surface (24-bit colour in 32-bit
// words) and Mask (one bit per pixel). Both keep a damage rectangle, the union
// of everything drawn since it was last cleared; a Surface also keeps the
// damage as a short list of rectangles, which the window layer presents.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gfx/color.h"
#include "platform/gfx/geometry.h"

namespace platform::gfx {

// Largest pixel count a surface, mask or decoded image may have (1 GiB of colour).
inline constexpr long long kMaxPixels = 1LL << 28;

class Surface {
public:
    // Null when a side is negative, the size exceeds kMaxPixels or memory runs out.
    static std::unique_ptr<Surface> Create(int width, int height, Color fill = kBlack);

    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    Size size() const { return {width_, height_}; }
    Rect bounds() const { return {0, 0, width_, height_}; }

    // Nullopt outside the surface.
    std::optional<Color> Pixel(Point p) const;
    // Callers must stay inside the surface.
    Color At(int x, int y) const { return Color::FromValue(pixels_[Index(x, y)]); }
    // Rows of 0x00RRGGBB words, left to right; writing through them marks no damage.
    std::uint32_t* row(int y) { return pixels_.data() + Index(0, y); }
    const std::uint32_t* row(int y) const { return pixels_.data() + Index(0, y); }

    Rect damage() const { return damage_; }
    // Rectangles that together cover the damage, at most kMaxDamageRects;
    // drawing that touches one of the last few grows it, and a full list
    // halves by joining neighbours.
    const std::vector<Rect>& damageRects() const { return damageRects_; }
    void MarkDamaged(const Rect& r);
    void ClearDamage() {
        damage_ = {};
        damageRects_.clear();
        if (anyCovered_) std::fill(covered_.begin(), covered_.end(), std::uint8_t{0});
        anyCovered_ = false;
    }
    static constexpr std::size_t kMaxDamageRects = 1024;

private:
    Surface(int width, int height, std::vector<std::uint32_t>&& pixels);
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }
    void HalveDamageRects();
    // Cells of kCoverCell x kCoverCell pixels that lie wholly inside one of
    // the damage rectangles: a mark inside them changes nothing, so a full
    // list is not searched or halved for it.
    static constexpr int kCoverCell = 16;
    bool Covered(const Rect& r) const;
    void Cover(const Rect& r);

    int width_;
    int height_;
    std::vector<std::uint32_t> pixels_;
    Rect damage_;
    std::vector<Rect> damageRects_;
    std::vector<std::uint8_t> covered_;  // one byte a cell, made at the first halving
    bool anyCovered_ = false;
};

// One bit per pixel, stored a byte each (0 or 1) for speed. Drawing a colour onto
// a mask sets 1 for white and 0 for every other colour; reading gives white or black.
class Mask {
public:
    static std::unique_ptr<Mask> Create(int width, int height, bool set = false);

    Mask(const Mask&) = delete;
    Mask& operator=(const Mask&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    Size size() const { return {width_, height_}; }
    Rect bounds() const { return {0, 0, width_, height_}; }

    std::optional<bool> Bit(Point p) const;
    bool At(int x, int y) const { return bits_[Index(x, y)] != 0; }
    std::uint8_t* row(int y) { return bits_.data() + Index(0, y); }
    const std::uint8_t* row(int y) const { return bits_.data() + Index(0, y); }

    Rect damage() const { return damage_; }
    void MarkDamaged(const Rect& r) { damage_ = damage_.united(r.intersected(bounds())); }
    void ClearDamage() { damage_ = {}; }

private:
    Mask(int width, int height, std::vector<std::uint8_t>&& bits);
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }

    int width_;
    int height_;
    std::vector<std::uint8_t> bits_;
    Rect damage_;
};

// The mask rule in one place.
constexpr std::uint8_t MaskBit(Color c) { return c == kWhite ? 1 : 0; }
constexpr Color MaskColor(bool bit) { return bit ? kWhite : kBlack; }

}  // namespace platform::gfx
