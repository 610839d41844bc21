// JPEG files. Contract: an image that loads has a size, and saved again it
// loads back with that size.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/gfx/image.h"

namespace gfx = platform::gfx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::EnterCleanFolder();
    fuzz::WriteFile("in.jpg", std::string_view(reinterpret_cast<const char*>(data), size));
    gfx::ImageError error;
    auto image = gfx::LoadJpeg("in.jpg", &error);
    if (!image) {
        FUZZ_CHECK(error.fault != gfx::ImageFault::None, "a refusal says why");
        return 0;
    }
    FUZZ_CHECK(image->width() > 0 && image->height() > 0, "a size");
    FUZZ_CHECK(gfx::SaveJpeg(*image, "out.jpg", 75, &error), "saved: " + error.message);
    auto again = gfx::LoadJpeg("out.jpg", &error);
    FUZZ_CHECK(again != nullptr, "what was saved loads: " + error.message);
    FUZZ_CHECK(again->width() == image->width() && again->height() == image->height(), "the same size after a save");
    return 0;
}
