// Bitmap files. Contract: an image that loads has a size, and saved again it
// loads back to the same pixels.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/gfx/bmp.h"

namespace gfx = platform::gfx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gfx::ImageError error;
    auto image = gfx::DecodeBmp(std::string_view(reinterpret_cast<const char*>(data), size), &error);
    if (!image) {
        FUZZ_CHECK(error.fault != gfx::ImageFault::None, "a refusal says why");
        return 0;
    }
    FUZZ_CHECK(image->width() > 0 && image->height() > 0, "a size");
    auto again = gfx::DecodeBmp(gfx::EncodeBmp(*image), &error);
    FUZZ_CHECK(again != nullptr, "what was saved loads: " + error.message);
    FUZZ_CHECK(again->width() == image->width() && again->height() == image->height(), "the same size after a save");
    for (int y = 0; y < image->height(); ++y)
        for (int x = 0; x < image->width(); ++x)
            FUZZ_CHECK(again->At(x, y) == image->At(x, y), "the same pixels after a save");
    return 0;
}
