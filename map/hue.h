#pragma once
// Hue files: one elevation band per group of six numbers (start and end of
// red, green and blue), stacked into the 496-entry terrain palette.
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/color.h"

inline constexpr int kHueBandsMax = 30;       // bands the palette takes from a file
inline constexpr int kShadesPerBand = 16;
inline constexpr int kTerrainPaletteSize = 496;
inline constexpr int kHueEditorLinesMax = 32;  // lines the editor shows at once

// start red, end red, start green, end green, start blue, end blue
using HueLine = std::array<int, 6>;

// Shade i (0..15) of the ramp from start to end; only the low byte is kept.
int HueRampComponent(int start, int end, int shade);
platform::gfx::Color HueRampColor(const HueLine& line, int shade);
// The 16 colours that follow the last band read.
extern const platform::gfx::Color kStandardColors[16];

// Every group of six numbers of the file, in order; empty when it cannot be opened.
std::vector<HueLine> ReadHueLines(std::string_view name, bool* opened = nullptr);
// Each line as six "%3d " fields and a newline, through the safe writer.
[[nodiscard]] bool WriteHueLines(const std::string& name, const std::vector<HueLine>& lines);

// The terrain palette of the file (opened as a data file); null when it
// cannot be opened. bandCount gets the number of bands read (0..30).
std::unique_ptr<platform::gfx::Palette> ReadHueFile(std::string_view name, int* bandCount);
