// The animation clock under load, on the headless backend at 1920 x 1080: one
// tick that draws 1,000 due earthquakes in the WHITE style, and the whole
// bundled catalogue replayed at "Fast!". The virtual tick count stands still
// while a tick runs, so the real-time budget never cuts a tick short.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/layout.h"
#include "app/view_open.h"
#include "core/config.h"
#include "core/eruption.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/eruption_symbols.h"
#include "map/image_files.h"
#include "map/proj.h"
#include "platform/ui/headless/headless.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
namespace hl = platform::headless;

// The program started in a scratch copy of data/, which is its program folder too.
class BenchApp {
public:
    BenchApp() {
        hl::Reset();
        fs::copy(KESTRUNE_DATA, dir_.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        ok_ = ReadConfigFile() == 0;
        gControls[kControlDebug] = 0;
        gControls[kControlAutoStartView] = 1;
        gInitTimeout = 0;
        gProgramDir = dir_.path();
        BuildMercatorTable();
        app_ = std::make_unique<quorvelApp>();
        app_->Run();
        ok_ = ok_ && gMainFrame;
    }
    ~BenchApp() {
        app_.reset();
        gMainFrame = nullptr;
    }
    bool ok() const { return ok_; }
    myFrame& frame() { return *gMainFrame; }

private:
    TempDir dir_;  // the current folder while the program runs
    std::unique_ptr<quorvelApp> app_;
    bool ok_ = false;
};

void WriteBusyCatalogue(const char* name, int count) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> lat(-60, 70), lon(-179, 179), mag(4, 8), depth(0, 600);
    std::FILE* f = std::fopen(name, "wb");
    if (!f) return;
    for (int i = 0; i < count; ++i) {
        QuakeRecord q;
        MakeEventRecord(&q, 2000, 1, 1, 0, i / 60 % 60, i % 60, lat(rng), lon(rng), depth(rng), mag(rng));
        unsigned char b[kQuakeRecordSize];
        EncodeQuakeRecord(q, b);
        std::fwrite(b, 1, sizeof b, f);
    }
    std::fclose(f);
}

// A view of the whole world in the WHITE style over the catalogue name.HY4,
// from the start of 2000 to the first of the given month.
void WriteWhiteDotsView(const char* name, int endYear, int endMonth, int daysPerSecond, int minMagnitude) {
    std::FILE* v = std::fopen(name, "w");
    if (!v) return;
    std::fprintf(v,
                 "LEFT LONGITUDE: -180\nRIGHT LONGITUDE: 180\nSOUTH LATITUDE: -70\nNORTH LATITUDE: 75\n"
                 "MINIMUM YEAR: 2000\nMINIMUM MONTH: 1\nMINIMUM DAY: 1\nMINIMUM HOUR: 0\n"
                 "MAXIMUM YEAR: %d\nMAXIMUM MONTH: %d\nMAXIMUM DAY: 1\nMAXIMUM HOUR: 0\n"
                 "DAYS PER SECOND: %d\nMINIMUM MAGNITUDE: %d\nMAXIMUM MAGNITUDE: 9\nMAX DOT SIZE: 8\n"
                 "MIN DOT SIZE: 1\nEVENT FILE: %s.HY4\nEARTHQUAKES: YES\nVOLCANOES: NO\nDOTS: WHITE\n"
                 "PLATES: NO\nMAP FILE: COAST.S?\n",
                 endYear, endMonth, daysPerSecond, minMagnitude, name);
    std::fclose(v);
}

// Every iteration rewinds the clock to the start and runs one tick, whose
// window (one day per second: 72 minutes) holds all 1,000 events. Argument 1:
// what the tick damaged is also put on the headless screen.
void BM_TickDrawing1000WhiteDots(benchmark::State& state) {
    BenchApp app;
    hl::KeepScreenImages(state.range(0) != 0);
    WriteBusyCatalogue("BUSY.HY4", 1000);
    WriteWhiteDotsView("BUSY", 2000, 2, 1, 4);
    if (!app.ok()) {
        state.SkipWithError("the application did not start");
        return;
    }
    app.frame().OpenView("BUSY");
    const int before = app.frame().quakesShown();
    int drawn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        gAnimationTime = gPeriodStart;
        CloseQuakeCatalogue();
        const int start = app.frame().quakesShown();
        state.ResumeTiming();
        hl::Advance(50);
        drawn = app.frame().quakesShown() - start;
    }
    state.counters["drawn"] = drawn;
    (void)before;
}
BENCHMARK(BM_TickDrawing1000WhiteDots)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Back to the start of the period with nothing on display: both catalogues
// reopen at the clock's time, so every pass replays earthquakes and eruptions.
void RewindReplay() {
    gAnimationTime = gPeriodStart;
    gEndOfPeriodDone = false;
    CloseQuakeCatalogue();
    CloseEruptionCatalogue();
    ClearDisplayedEruptions(gMainFrame && gMainFrame->layout() ? gMainFrame->layout()->mapPane() : nullptr);
    // The test backend keeps every present for its tests; a real display keeps none.
    hl::ForgetPresented();
}

struct ReplayPass {
    int ticks = 0;
    int shown = 0;  // earthquakes drawn
};

// One timed pass at "Fast!" from the start of the period to its end, or to
// tickLimit ticks; the rewind before it is not timed.
ReplayPass ReplayFastToTheEnd(benchmark::State& state, myFrame& frame, int tickLimit) {
    state.PauseTiming();
    RewindReplay();
    gSpeed = TimeValue(20000 * 86400.0);  // "Fast!"
    gEffectiveSpeed = gSpeed;
    ReplayPass pass;
    const int start = frame.quakesShown();
    state.ResumeTiming();
    while (!gEndOfPeriodDone && pass.ticks < tickLimit) {
        hl::Advance(50);
        ++pass.ticks;
    }
    pass.shown = frame.quakesShown() - start;
    return pass;
}

// The bundled WORLD view and catalogue, from the first tick to the end of the period.
void BM_ReplayWholeCatalogueFast(benchmark::State& state) {
    BenchApp app;
    if (!app.ok()) {
        state.SkipWithError("the application did not start");
        return;
    }
    app.frame().OpenView("WORLD");
    ReplayPass pass;
    for (auto _ : state) pass = ReplayFastToTheEnd(state, app.frame(), 100000);
    state.counters["ticks"] = pass.ticks;
    state.counters["drawn"] = pass.shown;
    state.counters["eruptions"] = app.frame().eruptionsShown();
}
BENCHMARK(BM_ReplayWholeCatalogueFast)->Unit(benchmark::kMillisecond);

// A catalogue of n records over ten years, replayed at "Fast!" in the WHITE
// style over the whole world: the clock, the reads and the dots, nothing else.
void BM_ReplayLargeCatalogue(benchmark::State& state) {
    BenchApp app;
    if (!app.ok()) {
        state.SkipWithError("the application did not start");
        return;
    }
    const int count = static_cast<int>(state.range(0));
    {
        std::mt19937 rng(11);
        std::uniform_real_distribution<double> lat(-60, 70), lon(-179, 179), mag(5, 8), depth(0, 600);
        std::FILE* f = std::fopen("LARGE.HY4", "wb");
        std::vector<unsigned char> bytes(static_cast<std::size_t>(count) * kQuakeRecordSize);
        TimeValue first;
        first.SetDate(PackedDate{2000, 1, 1});
        const double span = 10 * 365.0 * 86400.0;
        for (int i = 0; i < count; ++i) {
            int y, mo, d, h, mi, sec;
            SplitTime(first.t + span * i / count, &y, &mo, &d, &h, &mi, &sec);
            QuakeRecord q;
            MakeEventRecord(&q, y, mo, d, h, mi, sec, lat(rng), lon(rng), depth(rng), mag(rng));
            EncodeQuakeRecord(q, bytes.data() + static_cast<std::size_t>(i) * kQuakeRecordSize);
        }
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        WriteWhiteDotsView("LARGE", 2010, 1, 365, 5);
    }
    app.frame().OpenView("LARGE");
    ReplayPass pass;
    for (auto _ : state) pass = ReplayFastToTheEnd(state, app.frame(), 1000000);
    state.counters["drawn"] = pass.shown;
}
BENCHMARK(BM_ReplayLargeCatalogue)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->Iterations(2);

// One tick of the WORLD replay at its own speed with SCIENCE ON A SPHERE on:
// the dots, the sphere image and its numbered frame written to sos/.
void BM_SphereTick(benchmark::State& state) {
    BenchApp app;
    if (!app.ok()) {
        state.SkipWithError("the application did not start");
        return;
    }
    std::filesystem::create_directory("sos");
    gControls[kControlScienceOnASphere] = 1;
    app.frame().OpenView("WORLD");
    int ticks = 0;
    for (auto _ : state) {
        if (gEndOfPeriodDone) {
            state.PauseTiming();
            RewindReplay();
            state.ResumeTiming();
        }
        hl::Advance(50);
        ++ticks;
    }
    state.counters["ticks"] = ticks;
    state.counters["frames"] = gSphereFrameCounter;
    gControls[kControlScienceOnASphere] = 0;
}
BENCHMARK(BM_SphereTick)->Unit(benchmark::kMillisecond);

}  // namespace
