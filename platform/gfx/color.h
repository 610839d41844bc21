#pragma once
// 24-bit RGB colours as stored in a Surface, and logical palettes.
#include <cstdint>
#include <span>
#include <vector>

namespace platform::gfx {

// Stored as 0x00RRGGBB, the pixel format of a Surface row.
class Color {
public:
    constexpr Color() = default;
    constexpr Color(std::uint8_t r, std::uint8_t g, std::uint8_t b)
        : value_((std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b) {}
    static constexpr Color FromValue(std::uint32_t rgb) { return Color(rgb & 0xFFFFFFu, 0); }

    constexpr std::uint8_t red() const { return static_cast<std::uint8_t>(value_ >> 16); }
    constexpr std::uint8_t green() const { return static_cast<std::uint8_t>(value_ >> 8); }
    constexpr std::uint8_t blue() const { return static_cast<std::uint8_t>(value_); }
    constexpr std::uint32_t value() const { return value_; }

    friend constexpr bool operator==(Color, Color) = default;

private:
    constexpr Color(std::uint32_t v, int) : value_(v) {}
    std::uint32_t value_ = 0;
};

inline constexpr Color kBlack{0, 0, 0};
inline constexpr Color kWhite{255, 255, 255};

// A logical palette on a true-colour surface is a lookup table: callers turn an
// index into a Color and draw with that.
class Palette {
public:
    explicit Palette(int count, Color fill = kBlack) : entries_(count > 0 ? count : 0, fill) {}

    int size() const { return static_cast<int>(entries_.size()); }
    // An index outside the palette reads as black and is ignored when set.
    Color operator[](int index) const;
    void Set(int index, Color c);
    std::span<const Color> entries() const { return entries_; }

private:
    std::vector<Color> entries_;
};

}  // namespace platform::gfx
