// Start-up on the headless backend at 1920 x 1080: the settings read, the
// screen measured, the application and its frame made, then the housekeeping
// tick whose INIT TIMEOUT runs out opens "WORLD" and the frame is painted. The
// virtual clock makes the time-out itself free; what is timed is the work.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "app/application.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/layout.h"
#include "app/startup.h"
#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/proj.h"
#include "platform/ui/headless/headless.h"

namespace {

namespace fs = std::filesystem;
namespace hl = platform::headless;

// A copy of the bundled data whose INIT TIMEOUT runs out at the first tick.
class DataCopy {
public:
    DataCopy() {
        std::string tmpl = (fs::temp_directory_path() / "kestrune-bench-XXXXXX").string();
        dir_ = ::mkdtemp(tmpl.data()) ? tmpl : fs::temp_directory_path().string();
        fs::copy(KESTRUNE_DATA, dir_, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        std::ifstream in(dir_ / "QUORVEL.INI");
        std::stringstream text;
        for (std::string line; std::getline(in, line);)
            text << (line.rfind("INIT TIMEOUT:", 0) == 0 ? std::string("INIT TIMEOUT: 1") : line) << '\n';
        in.close();
        std::ofstream(dir_ / "QUORVEL.INI") << text.str();
    }
    ~DataCopy() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    const fs::path& dir() const { return dir_; }

private:
    fs::path dir_;
};

// cached: the WORLD image cache is left from the run before, as on every
// start but the first.
void StartToWorldFrame(benchmark::State& state, bool cached) {
    DataCopy data;
    const fs::path previous = fs::current_path();
    bool shown = true;
    for (auto _ : state) {
        state.PauseTiming();
        hl::Reset();
        fs::current_path(data.dir());
        if (!cached) fs::remove(data.dir() / "WORLD.jpg");
        state.ResumeTiming();

        ReadStartupSettings();
        MeasureScreen();
        BuildMercatorTable();
        auto app = std::make_unique<quorvelApp>();
        app->Run();
        hl::Advance(1000);  // the housekeeping tick: INIT TIMEOUT is over
        hl::PaintAll();
        shown = shown && gMainFrame && gMainFrame->layout() && gMainFrame->layout()->visible();

        state.PauseTiming();
        app.reset();
        gMainFrame = nullptr;
        FreeMercatorTable();
        FreeGlobals();
        fs::current_path(previous);
        state.ResumeTiming();
    }
    if (!shown) state.SkipWithError("WORLD was not shown");
}

void BM_StartupToWorldFrame(benchmark::State& state) { StartToWorldFrame(state, true); }
BENCHMARK(BM_StartupToWorldFrame)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The first start of all: the map is drawn afresh and its cache written.
void BM_StartupToWorldFrameFirstRun(benchmark::State& state) { StartToWorldFrame(state, false); }
BENCHMARK(BM_StartupToWorldFrameFirstRun)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
