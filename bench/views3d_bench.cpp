// The bundled Japan views at 1920 x 1080: the 3-D view rendered afresh (box,
// coasts through the 3-D pen and the recording for its repaint), its repaint,
// and the Japan map view with its overlay files (cities, plants, countries).
#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_pane.h"
#include "map/overlay.h"
#include "map/section3d.h"

namespace {

// The bundled Japan views with the configuration and the borders they read.
class JapanPane : public BenchPane {
public:
    explicit JapanPane(const char* view)
        : BenchPane(view, [](const std::string& name) {
              return name.rfind("JAPAN", 0) == 0 || name == "QUORVEL.INI" || name == "CountryBorders.txt";
          }) {}
};

}  // namespace

static void BM_Render3DView(benchmark::State& state) {
    JapanPane japan("JAPAN-3D");
    if (!japan.ok()) state.SkipWithError("the bundled JAPAN-3D view could not be read");
    for (auto _ : state) japan.pane().RenderView();
    if (!g3D.valid) state.SkipWithError("the 3-D view was not set up");
}
BENCHMARK(BM_Render3DView)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

static void BM_Repaint3DView(benchmark::State& state) {
    JapanPane japan("JAPAN-3D");
    if (!japan.ok()) state.SkipWithError("the bundled JAPAN-3D view could not be read");
    japan.pane().RenderView();
    for (auto _ : state) japan.pane().Draw3DView();
}
BENCHMARK(BM_Repaint3DView)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

static void BM_RenderJapanWithOverlays(benchmark::State& state) {
    JapanPane japan("JAPAN");
    if (!japan.ok()) state.SkipWithError("the bundled JAPAN view could not be read");
    for (auto _ : state) {
        gRedrawMap = true;
        japan.pane().RenderView();
    }
}
BENCHMARK(BM_RenderJapanWithOverlays)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
