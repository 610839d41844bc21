#include "map/hue.h"

#include <cstdio>

#include "core/helpers.h"
#include "platform/sys/files.h"

namespace gfx = platform::gfx;

const gfx::Color kStandardColors[16] = {
    {0, 0, 0},       {0, 0, 192},   {0, 192, 0},   {0, 128, 128}, {128, 0, 0},   {128, 0, 128},
    {128, 128, 0},   {192, 192, 192}, {128, 128, 128}, {0, 0, 255}, {0, 255, 0},   {0, 255, 255},
    {255, 0, 0},     {255, 0, 255}, {255, 255, 0}, {255, 255, 255},
};

int HueRampComponent(int start, int end, int shade) {
    const long long v = start + static_cast<long long>(shade) * (static_cast<long long>(end) - start) / kShadesPerBand;
    return static_cast<int>(static_cast<unsigned long long>(v) & 0xFFu);
}

gfx::Color HueRampColor(const HueLine& l, int shade) {
    return {static_cast<std::uint8_t>(HueRampComponent(l[0], l[1], shade)),
            static_cast<std::uint8_t>(HueRampComponent(l[2], l[3], shade)),
            static_cast<std::uint8_t>(HueRampComponent(l[4], l[5], shade))};
}

namespace {

// The next whole number of the file, skipping white space; false at the end or at text.
bool ReadNumber(std::FILE* f, int* value) { return std::fscanf(f, "%d", value) == 1; }

bool ReadGroup(std::FILE* f, HueLine& line) {
    for (int& v : line)
        if (!ReadNumber(f, &v)) return false;
    return true;
}

}  // namespace

std::vector<HueLine> ReadHueLines(std::string_view name, bool* opened) {
    std::vector<HueLine> lines;
    std::FILE* f = OpenDataFile(name, "rt");
    if (opened) *opened = f != nullptr;
    if (!f) return lines;
    HueLine line{};
    while (ReadGroup(f, line)) lines.push_back(line);
    std::fclose(f);
    return lines;
}

bool WriteHueLines(const std::string& name, const std::vector<HueLine>& lines) {
    platform::SafeFileWriter out(name);
    if (!out.ok()) return false;
    for (const HueLine& l : lines) {
        for (int v : l) std::fprintf(out.file(), "%3d ", v);
        std::fputc('\n', out.file());
    }
    return out.Commit();
}

std::unique_ptr<gfx::Palette> ReadHueFile(std::string_view name, int* bandCount) {
    if (bandCount) *bandCount = 0;
    std::FILE* f = OpenDataFile(name, "rt");
    if (!f) return nullptr;
    auto palette = std::make_unique<gfx::Palette>(kTerrainPaletteSize, gfx::kBlack);
    int bands = 0;
    HueLine line{};
    while (bands < kHueBandsMax && ReadGroup(f, line)) {
        for (int i = 0; i < kShadesPerBand; ++i) palette->Set(bands * kShadesPerBand + i, HueRampColor(line, i));
        ++bands;
    }
    std::fclose(f);
    for (int i = 0; i < kShadesPerBand; ++i) palette->Set(bands * kShadesPerBand + i, kStandardColors[i]);
    if (bandCount) *bandCount = bands;
    return palette;
}
