#pragma once
// Device-independent bitmap files (".BMP"), read and written by our own code.
// Read: uncompressed 1, 4, 8, 16, 24 and 32 bits per pixel, colour masks for
// 16 and 32 bits, the core, info, V4 and V5 headers, rows bottom-up or
// top-down. Run-length and embedded JPEG/PNG data are refused as Unsupported.
// Every header field is checked against the others and against the file's
// length before anything is allocated.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/gfx/image.h"
#include "platform/gfx/surface.h"

namespace platform::gfx {

std::unique_ptr<Surface> LoadBmp(const std::string& path, ImageError* error = nullptr);
// The same from the file's bytes.
std::unique_ptr<Surface> DecodeBmp(std::string_view bytes, ImageError* error = nullptr);
// Bottom-up with an info header: 8 bits and a colour table when the image
// holds at most 256 colours, else 24 bits.
[[nodiscard]] std::string EncodeBmp(const Surface& image);
[[nodiscard]] bool SaveBmp(const Surface& image, const std::string& path, ImageError* error = nullptr);

}  // namespace platform::gfx
