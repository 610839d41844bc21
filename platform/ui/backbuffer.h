#pragma once
// The retained pixels behind every window: rows of 0x00RRGGBB. Paint and any
// drawing outside Paint write here; the backend presents what changed.
// (A stand-in with the drawing layer's pixel format until its Surface lands.)
#include <cstdint>
#include <vector>

#include "platform/ui/geometry.h"

namespace platform::ui {

class BackBuffer {
public:
    BackBuffer() = default;
    BackBuffer(int width, int height, std::uint32_t fill = 0) { Resize({width, height}, fill); }

    int width() const { return width_; }
    int height() const { return height_; }
    Size size() const { return {width_, height_}; }
    Rect bounds() const { return {0, 0, width_, height_}; }

    // Keeps the pixels of the overlap; new pixels take the fill.
    void Resize(Size size, std::uint32_t fill = 0);

    std::uint32_t* row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    const std::uint32_t* row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    // Outside the buffer: 0, and writes are dropped.
    std::uint32_t pixel(int x, int y) const;
    void SetPixel(int x, int y, std::uint32_t rgb);
    void Fill(const Rect& r, std::uint32_t rgb);

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

}  // namespace platform::ui
