// PNG files. Contract: an image that loads has as many pixels as its size
// says, and saved again it loads back to the same pixels.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/gfx/image.h"

namespace gfx = platform::gfx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::EnterCleanFolder();
    fuzz::WriteFile("in.png", std::string_view(reinterpret_cast<const char*>(data), size));
    gfx::ImageError error;
    auto image = gfx::LoadPng("in.png", &error);
    if (!image) {
        FUZZ_CHECK(error.fault != gfx::ImageFault::None, "a refusal says why");
        return 0;
    }
    FUZZ_CHECK(image->width > 0 && image->height > 0, "a size");
    FUZZ_CHECK(image->pixels.size() == static_cast<std::size_t>(image->width) * image->height, "every pixel");
    FUZZ_CHECK(gfx::SavePng(*image, "out.png", &error), "saved: " + error.message);
    auto again = gfx::LoadPng("out.png", &error);
    FUZZ_CHECK(again.has_value(), "what was saved loads: " + error.message);
    FUZZ_CHECK(again->width == image->width && again->height == image->height && again->pixels == image->pixels,
               "the same pixels after a save");
    return 0;
}
