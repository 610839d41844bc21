#pragma once
// The map's own image routines over the platform's PNG and JPEG files: PNG
// symbols read with a notice for damaged files, and the output for a sphere
// display (numbered frames of the sphere image and a legend image in "sos").
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/gfx/image.h"
#include "platform/gfx/surface.h"

// Frames written since start; the next frame is numbered one more.
extern std::int32_t gSphereFrameCounter;

// "sos/se%04d.png" of a frame number; wider numbers keep all their digits.
std::string SphereFrameName(std::int32_t number);
// The sphere image as the display takes it: black transparent, pure yellow
// at alpha 178, every other colour opaque; rows top to bottom.
platform::gfx::RgbaImage SphereFrameImage(const platform::gfx::Surface& image);
void SphereFrameRow(const std::uint32_t* in, int width, platform::gfx::RgbaPixel* out);
// False when the file could not be written completely.
[[nodiscard]] bool WriteRgbaPng(const platform::gfx::Surface& image, const std::string& name);
[[nodiscard]] bool WriteRgbPng(const platform::gfx::Surface& image, const std::string& name);

// The legend of the sphere display: eruption sizes 1 to 5 and earthquake
// magnitudes 5 to 9, 512 x 225 pixels.
std::unique_ptr<platform::gfx::Surface> DrawSphereLegend();
// Writes "sos/Legend.png" once a run; again only after a failed write.
void WriteSphereLegend();

// A PNG file as an RGBA image; a damaged one is refused with a message box
// ("png error" for its header, "Error reading file" for its data), once per
// file name in a run. A file that is missing or not PNG is refused quietly.
std::optional<platform::gfx::RgbaImage> ReadPngBitmap(const std::string& name);
// A message of at most 79 characters in a box without owner, caption "Write PNG error".
void PngErrorBox(const char* format, ...) __attribute__((format(printf, 1, 2)));

// For tests: the counter to 0, the legend and the damaged files forgotten.
void ResetImageFiles();
