// The map pane rendering the bundled WORLD view at 1920 x 1080: drawn afresh
// from its segment files, and from the cached JPEG image (decoded once, or
// at every rendering).
#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_pane.h"
#include "map/draw.h"

namespace gfx = platform::gfx;

namespace {

// The bundled WORLD view with the configuration it reads.
class WorldPane : public BenchPane {
public:
    WorldPane()
        : BenchPane("WORLD", [](const std::string& name) {
              return name == "QUORVEL.INI" || name == "alert_criteria.txt" || name == "WORLD";
          }) {}
};

// The same pane after one fresh rendering has written its cache image.
class CachedWorldPane : public WorldPane {
public:
    CachedWorldPane() {
        pane().SetRenderProbe(&fresh_);
        gRedrawMap = true;
        pane().RenderView();  // writes the cache
    }
    ~CachedWorldPane() { pane().SetRenderProbe(nullptr); }
    // True while no rendering but the one that wrote the cache drew afresh.
    bool cacheUsedSinceWritten() const { return fresh_.count == 1; }

private:
    struct FreshRenderings : RenderProbe {
        int count = 0;
        void FreshRendering() override { ++count; }
        void CacheImageWritten() override {}
    } fresh_;
};

}  // namespace

static void BM_RenderWorldFresh(benchmark::State& state) {
    WorldPane world;
    if (!world.ok()) state.SkipWithError("the bundled WORLD view could not be read");
    for (auto _ : state) {
        gRedrawMap = true;
        world.pane().RenderView();
    }
}
BENCHMARK(BM_RenderWorldFresh)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

static void BM_RenderWorldCached(benchmark::State& state) {
    CachedWorldPane world;
    if (!world.ok()) state.SkipWithError("the bundled WORLD view could not be read");
    for (auto _ : state) {
        gRedrawMap = false;
        world.pane().RenderView();
    }
    if (!world.cacheUsedSinceWritten()) state.SkipWithError("the cached image was not used");
}
BENCHMARK(BM_RenderWorldCached)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The same with the cached JPEG read and decoded at every rendering, as for
// the first rendering of a view from its cache.
static void BM_RenderWorldCachedDecoding(benchmark::State& state) {
    CachedWorldPane world;
    if (!world.ok()) state.SkipWithError("the bundled WORLD view could not be read");
    for (auto _ : state) {
        world.pane().ForgetDecodedImage();
        gRedrawMap = false;
        world.pane().RenderView();
    }
    if (!world.cacheUsedSinceWritten()) state.SkipWithError("the cached image was not used");
}
BENCHMARK(BM_RenderWorldCachedDecoding)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// A huge masked dot costs what its visible part costs: the scratch mask is
// bounded to the pane, whatever the radius.
static void BM_MaskedDotHugeRadius(benchmark::State& state) {
    auto screen = gfx::Surface::Create(1920, 1080);
    auto mask = gfx::Mask::Create(1920, 1080);
    gfx::DrawContext dc(*screen), mdc(*mask);
    const int r = static_cast<int>(state.range(0));
    for (auto _ : state) DrawDot(dc, &mdc, 960, 540, r, gColorTable[14], gColorTable[12], 2);
}
BENCHMARK(BM_MaskedDotHugeRadius)->Arg(8)->Arg(500)->Arg(8000)->Arg(1 << 20)->Unit(benchmark::kMillisecond);
