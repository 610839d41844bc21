// The bundled Japan views at 1920 x 1080: the 3-D view rendered afresh (box,
// coasts through the 3-D pen and the recording for its repaint), its repaint,
// and the Japan map view with its overlay files (cities, plants, countries).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <memory>

#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/overlay.h"
#include "map/section3d.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/window.h"

namespace ui = platform::ui;

namespace {

namespace fs = std::filesystem;

// A pane on a view read from a scratch copy of data/, with the real layers installed.
struct JapanPane {
    explicit JapanPane(const char* view) {
        platform::headless::Reset();
        std::string tmpl = (fs::temp_directory_path() / "kestrune-bench3d-XXXXXX").string();
        dir = ::mkdtemp(tmpl.data()) ? tmpl : fs::temp_directory_path().string();
        previous = fs::current_path();
        fs::current_path(dir);
        const fs::path data = KESTRUNE_DATA;
        for (const auto& entry : fs::directory_iterator(data))
            if (entry.path().filename().string().rfind("JAPAN", 0) == 0 || entry.path().filename() == "QUORVEL.INI" ||
                entry.path().filename() == "CountryBorders.txt")
                fs::copy_file(entry.path(), entry.path().filename(), fs::copy_options::overwrite_existing);
        ok = ReadConfigFile() == 0 && ReadViewFile(view) == 0;
        gProgramDir = data.string();
        BuildMercatorTable();
        owner = std::make_unique<ui::Window>(nullptr, "layout");
        owner->MoveWindow({0, 0, 1920, 1080});
        pane = new childMap(owner.get());
        pane->MoveWindow({0, 0, 1920, 1080});
        ok = ok && owner->Create();
    }
    ~JapanPane() {
        owner.reset();
        std::error_code ec;
        fs::current_path(previous, ec);
        fs::remove_all(dir, ec);
    }
    fs::path dir, previous;
    std::unique_ptr<ui::Window> owner;
    childMap* pane = nullptr;
    bool ok = false;
};

}  // namespace

static void BM_Render3DView(benchmark::State& state) {
    JapanPane japan("JAPAN-3D");
    if (!japan.ok) state.SkipWithError("the bundled JAPAN-3D view could not be read");
    for (auto _ : state) japan.pane->RenderView();
    if (!g3D.valid) state.SkipWithError("the 3-D view was not set up");
}
BENCHMARK(BM_Render3DView)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

static void BM_Repaint3DView(benchmark::State& state) {
    JapanPane japan("JAPAN-3D");
    if (!japan.ok) state.SkipWithError("the bundled JAPAN-3D view could not be read");
    japan.pane->RenderView();
    for (auto _ : state) japan.pane->Draw3DView();
}
BENCHMARK(BM_Repaint3DView)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

static void BM_RenderJapanWithOverlays(benchmark::State& state) {
    JapanPane japan("JAPAN");
    if (!japan.ok) state.SkipWithError("the bundled JAPAN view could not be read");
    for (auto _ : state) {
        gRedrawMap = true;
        japan.pane->RenderView();
    }
}
BENCHMARK(BM_RenderJapanWithOverlays)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
