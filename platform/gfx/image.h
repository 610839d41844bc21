#pragma once
// Image files: PNG through png++/libpng, JPEG through libjpeg. A bad, truncated
// or oversized file is refused with a reason; nothing here ends the process or
// lets an exception out.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gfx/surface.h"

namespace platform::gfx {

// Decoded images are at most a few of the largest the program draws (screens,
// the 4096 x 2048 sphere image): 32 Mi pixels, 128 MiB. Files declare their
// size before their data, so this is checked before anything is allocated.
inline constexpr long long kMaxImagePixels = 1LL << 25;

enum class ImageFault {
    None,
    CannotOpen,   // missing or unreadable
    WrongFormat,  // not the format asked for (signature)
    BadHeader,    // the format's header is damaged
    BadData,      // damaged or truncated after the header
    TooLarge,     // more than kMaxImagePixels
    Unsupported,  // valid, but a kind this layer does not convert (CMYK JPEG)
    OutOfMemory,
    CannotWrite,
};

struct ImageError {
    ImageFault fault = ImageFault::None;
    std::string message;  // the library's words, for logs
};

struct RgbaPixel {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
    friend bool operator==(const RgbaPixel&, const RgbaPixel&) = default;
};

// PNG pixels with their alpha, rows top to bottom.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<RgbaPixel> pixels;
    RgbaPixel& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    const RgbaPixel& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Any colour type is expanded: palettes, grey and transparency become RGBA.
std::optional<RgbaImage> LoadPng(const std::string& path, ImageError* error = nullptr);
// RGB without alpha.
[[nodiscard]] bool SavePng(const Surface& image, const std::string& path, ImageError* error = nullptr);
[[nodiscard]] bool SavePng(const RgbaImage& image, const std::string& path, ImageError* error = nullptr);
// Rows asked for top to bottom, each pointer valid until the next call, so a
// converted copy of a large image is never held whole.
using RgbaRowSource = std::function<const RgbaPixel*(int y)>;
[[nodiscard]] bool SavePng(int width, int height, const RgbaRowSource& row, const std::string& path,
                           ImageError* error = nullptr);

// Colour and grey JPEG files decode to RGB; a file that decodes only with
// warnings (truncated, corrupt data) is refused.
std::unique_ptr<Surface> LoadJpeg(const std::string& path, ImageError* error = nullptr);
// Baseline tables at the given quality (1..100).
[[nodiscard]] bool SaveJpeg(const Surface& image, const std::string& path, int quality = 75,
                            ImageError* error = nullptr);
// The part of the image inside area; what area holds beyond the image is black.
// EncodeJpeg gives the file's bytes.
[[nodiscard]] std::optional<std::string> EncodeJpeg(const Surface& image, const Rect& area, int quality = 75,
                                                    ImageError* error = nullptr);
[[nodiscard]] bool SaveJpeg(const Surface& image, const Rect& area, const std::string& path, int quality = 75,
                            ImageError* error = nullptr);

}  // namespace platform::gfx
