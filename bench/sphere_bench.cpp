// The sphere display's frame, written at every animation tick (50 ms) under
// SCIENCE ON A SPHERE: the colour-to-alpha pass and the whole PNG write of a
// full-size sphere image with a little on it.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "map/child_map.h"
#include "map/image_files.h"
#include "platform/gfx/draw_context.h"

namespace gfx = platform::gfx;

namespace {

std::unique_ptr<gfx::Surface> SphereImage() {
    auto s = gfx::Surface::Create(gSphereImageSize.width, gSphereImageSize.height, gfx::kBlack);
    gfx::DrawContext dc(*s);
    for (int i = 0; i < 200; ++i) dc.SetPixel({(i * 97) % s->width(), (i * 53) % s->height()}, gfx::Color{255, 255, 0});
    dc.FillRect({100, 100, 400, 300}, gfx::Brush::Solid(gfx::Color{200, 30, 30}));
    return s;
}

}  // namespace

static void BM_SphereFrameImage(benchmark::State& state) {
    const auto s = SphereImage();
    for (auto _ : state) benchmark::DoNotOptimize(SphereFrameImage(*s));
}
BENCHMARK(BM_SphereFrameImage)->Unit(benchmark::kMillisecond);

static void BM_WriteSphereFrame(benchmark::State& state) {
    const auto s = SphereImage();
    const std::string name = (std::filesystem::temp_directory_path() / "kestrune-bench-frame.png").string();
    for (auto _ : state) benchmark::DoNotOptimize(WriteRgbaPng(*s, name));
    std::filesystem::remove(name);
}
BENCHMARK(BM_WriteSphereFrame)->Unit(benchmark::kMillisecond);
