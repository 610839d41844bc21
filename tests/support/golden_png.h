#pragma once
// Pictures too large for text pictures are compared, pixel for pixel, with a
// reference PNG under tests/fixtures/. A mismatch writes actual, expected and
// diff PNGs to gfx-out/ beside the test program. KESTRUNE_UPDATE_GOLDEN=1
// writes the references anew instead, to be looked at before they are committed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/gfx/image.h"
#include "tests/platform/gfx_pixels.h"

namespace testsupport {

inline std::unique_ptr<platform::gfx::Surface> SurfaceFromPng(const std::string& path) {
    const auto image = platform::gfx::LoadPng(path);
    if (!image) return nullptr;
    auto s = platform::gfx::Surface::Create(image->width, image->height);
    if (!s) return nullptr;
    for (int y = 0; y < image->height; ++y) {
        for (int x = 0; x < image->width; ++x) {
            const platform::gfx::RgbaPixel& p = image->at(x, y);
            s->row(y)[x] = platform::gfx::Color(p.r, p.g, p.b).value();
        }
    }
    return s;
}

// `reference` is a path below tests/fixtures/.
inline testing::AssertionResult MatchesGolden(const platform::gfx::Surface& actual, const std::string& reference) {
    const std::filesystem::path path = std::filesystem::path(KESTRUNE_FIXTURES) / reference;
    std::string name = std::filesystem::path(reference).replace_extension().string();
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    if (const char* update = std::getenv("KESTRUNE_UPDATE_GOLDEN"); update && *update == '1') {
        std::filesystem::create_directories(path.parent_path());
        if (!platform::gfx::SavePng(actual, path.string())) return testing::AssertionFailure() << "cannot write " << path;
        return testing::AssertionSuccess() << "written " << path;
    }
    const auto expected = SurfaceFromPng(path.string());
    if (!expected) {
        gfxtest::WriteFailure(name, actual, nullptr);
        return testing::AssertionFailure() << "no reference " << path << " (KESTRUNE_UPDATE_GOLDEN=1 writes it)";
    }
    return gfxtest::SameSurfaces(name, actual, *expected);
}

}  // namespace testsupport
