#include "map/image_files.h"

#include <cstdarg>
#include <cstdio>
#include <algorithm>
#include <set>
#include <vector>

#include "core/helpers.h"
#include "map/child_map.h"
#include "map/draw.h"
#include "map/eruption_symbols.h"
#include "map/window_helpers.h"
#include "platform/gfx/draw_context.h"
#include "platform/gfx/font.h"
#include "platform/sys/files.h"
#include "platform/ui/ui.h"

namespace gfx = platform::gfx;

std::int32_t gSphereFrameCounter = 0;

namespace {

constexpr const char* kLegendFile = "sos\\Legend.png";
const gfx::Color kPureRed{255, 0, 0};

bool sLegendWritten = false;
std::set<std::string> sDamagedFiles;  // told once each

bool Written(bool ok, const std::string& name, const gfx::ImageError& error) {
    if (!ok) DebugLog("Image %s not written: %s", name.c_str(), error.message.c_str());
    return ok;
}

}  // namespace

std::string SphereFrameName(std::int32_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "sos\\se%04d.png", number);
    return name;
}

void SphereFrameRow(const std::uint32_t* in, int width, gfx::RgbaPixel* out) {
    for (int x = 0; x < width; ++x) {
        const gfx::Color c = gfx::Color::FromValue(in[x]);
        const std::uint8_t r = c.red(), g = c.green(), b = c.blue();
        if (r == 0 && g == 0 && b == 0) {
            out[x] = {};  // black shows the globe through
            continue;
        }
        out[x] = {r, g, b, static_cast<std::uint8_t>(r == 255 && g == 255 && b == 0 ? 0xB2 : 255)};
    }
}

gfx::RgbaImage SphereFrameImage(const gfx::Surface& image) {
    gfx::RgbaImage out;
    out.width = image.width();
    out.height = image.height();
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
    for (int y = 0; y < out.height; ++y) SphereFrameRow(image.row(y), out.width, &out.at(0, y));
    return out;
}

bool WriteRgbaPng(const gfx::Surface& image, const std::string& name) {
    const std::string path = platform::ResolvePath(name);
    gfx::ImageError error;
    std::vector<gfx::RgbaPixel> row(static_cast<std::size_t>(std::max(image.width(), 0)));
    const auto convert = [&](int y) {
        SphereFrameRow(image.row(y), image.width(), row.data());
        return row.data();
    };
    return Written(gfx::SavePng(image.width(), image.height(), convert, path, &error), path, error);
}

bool WriteRgbPng(const gfx::Surface& image, const std::string& name) {
    const std::string path = platform::ResolvePath(name);
    gfx::ImageError error;
    return Written(gfx::SavePng(image, path, &error), path, error);
}

void childMap::SaveSphereFrame() {
    if (!sphereDisplaySurface_) return;
    gSphereFrameCounter = gSphereFrameCounter == INT32_MAX ? 1 : gSphereFrameCounter + 1;
    (void)WriteRgbaPng(*sphereDisplaySurface_, SphereFrameName(gSphereFrameCounter));
}

std::unique_ptr<gfx::Surface> DrawSphereLegend() {
    auto legend = gfx::Surface::Create(512, 225, gfx::Color{64, 64, 64});
    if (!legend) return nullptr;
    gfx::DrawContext dc(*legend);
    const auto font = gfx::Font::Create("Arial", 24, 400);
    auto text = [&](int x, int y, const std::string& s) {
        DrawJustifiedText(dc, x, y, font, s, kWhiteColor, kNoColor, HJust::Center, VJust::Bottom);
    };
    for (int i = 1; i <= 5; ++i) {
        const int x = 102 * i - 51;
        text(x, 64, std::to_string(i));
        DrawEruptionSymbol(dc, x, 84, i, kPureRed, kPureRed);
    }
    text(256, 34, "Volcanic Eruption Magnitude");
    for (int m = 5; m <= 9; ++m) {
        const int x = 102 * (m - 4) - 51;
        text(x, 176, std::to_string(m));
        DrawDot(dc, nullptr, x, 196, 4 * (m - 4), ColorOf(kWhiteColor), ColorOf(kWhiteColor), 2);
    }
    text(256, 146, "Earthquake Magnitude");
    return legend;
}

// The legend never changes within a run: once written it is not written again each tick.
void WriteSphereLegend() {
    if (sLegendWritten) return;
    const std::unique_ptr<gfx::Surface> legend = DrawSphereLegend();
    sLegendWritten = legend && WriteRgbPng(*legend, kLegendFile);
}

void PngErrorBox(const char* format, ...) {
    char text[80];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    platform::ui::MessageBox(nullptr, text, "Write PNG error", platform::ui::Buttons::Ok,
                             platform::ui::Icon::Exclamation);
}

std::optional<gfx::RgbaImage> ReadPngBitmap(const std::string& name) {
    gfx::ImageError error;
    std::optional<gfx::RgbaImage> image = gfx::LoadPng(name, &error);
    if (image) return image;
    const bool header = error.fault == gfx::ImageFault::BadHeader || error.fault == gfx::ImageFault::TooLarge;
    const bool data = error.fault == gfx::ImageFault::BadData || error.fault == gfx::ImageFault::OutOfMemory;
    if ((header || data) && sDamagedFiles.insert(name).second) {
        DebugLog("PNG %s refused: %s", name.c_str(), error.message.c_str());
        PngErrorBox("%s", header ? "png error" : "Error reading file");
    }
    return std::nullopt;
}

void ResetImageFiles() {
    gSphereFrameCounter = 0;
    sLegendWritten = false;
    sDamagedFiles.clear();
}
