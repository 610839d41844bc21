// The map pane rendering the bundled WORLD view at 1920 x 1080: drawn afresh
// from its segment files, and from the cached JPEG image (decoded once, or
// at every rendering).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <memory>

#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/draw.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/window.h"

namespace ui = platform::ui;
namespace gfx = platform::gfx;

namespace {

namespace fs = std::filesystem;

// A scratch folder holding copies of the configuration and the view, so the
// cache and the rewritten view file never touch data/.
class WorldPane {
public:
    WorldPane() {
        platform::headless::Reset();
        std::string tmpl = (fs::temp_directory_path() / "kestrune-bench-XXXXXX").string();
        dir_ = ::mkdtemp(tmpl.data()) ? tmpl : fs::temp_directory_path().string();
        previous_ = fs::current_path();
        fs::current_path(dir_);
        const fs::path data = KESTRUNE_DATA;
        for (const char* f : {"QUORVEL.INI", "alert_criteria.txt", "WORLD"})
            fs::copy_file(data / f, f, fs::copy_options::overwrite_existing);
        ok_ = ReadConfigFile() == 0 && ReadViewFile("WORLD") == 0;
        gProgramDir = data.string();
        BuildMercatorTable();
        owner_ = std::make_unique<ui::Window>(nullptr, "layout");
        owner_->MoveWindow({0, 0, 1920, 1080});
        pane_ = new childMap(owner_.get());
        pane_->MoveWindow({0, 0, 1920, 1080});
        ok_ = ok_ && owner_->Create();
    }
    ~WorldPane() {
        owner_.reset();
        std::error_code ec;
        fs::current_path(previous_, ec);
        fs::remove_all(dir_, ec);
    }
    bool ok() const { return ok_; }
    childMap& pane() { return *pane_; }

private:
    fs::path dir_, previous_;
    std::unique_ptr<ui::Window> owner_;
    childMap* pane_ = nullptr;
    bool ok_ = false;
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
    WorldPane world;
    if (!world.ok()) state.SkipWithError("the bundled WORLD view could not be read");
    struct FreshRenderings : RenderProbe {
        int count = 0;
        void FreshRendering() override { ++count; }
        void CacheImageWritten() override {}
    } fresh;
    world.pane().SetRenderProbe(&fresh);
    gRedrawMap = true;
    world.pane().RenderView();  // writes the cache
    for (auto _ : state) {
        gRedrawMap = false;
        world.pane().RenderView();
    }
    world.pane().SetRenderProbe(nullptr);
    if (fresh.count != 1) state.SkipWithError("the cached image was not used");
}
BENCHMARK(BM_RenderWorldCached)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The same with the cached JPEG read and decoded at every rendering, as for
// the first rendering of a view from its cache.
static void BM_RenderWorldCachedDecoding(benchmark::State& state) {
    WorldPane world;
    if (!world.ok()) state.SkipWithError("the bundled WORLD view could not be read");
    struct FreshRenderings : RenderProbe {
        int count = 0;
        void FreshRendering() override { ++count; }
        void CacheImageWritten() override {}
    } fresh;
    world.pane().SetRenderProbe(&fresh);
    gRedrawMap = true;
    world.pane().RenderView();  // writes the cache
    for (auto _ : state) {
        world.pane().ForgetDecodedImage();
        gRedrawMap = false;
        world.pane().RenderView();
    }
    world.pane().SetRenderProbe(nullptr);
    if (fresh.count != 1) state.SkipWithError("the cached image was not used");
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
