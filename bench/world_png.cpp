// The whole job in one process, for bench/vs-gmt.sh: the WORLD view of a data
// folder drawn at 1920 x 1080 with every earthquake of its catalogue that the
// view shows, written as a PNG of what the replay leaves behind: the map image,
// without the white flashes that shrink away. Usage: world_png DATA_DIR OUT.png [DRAWN.txt] (run in a
// scratch folder: the map dump and the cached image are written there).
// DRAWN.txt gets "lon lat depth magnitude" of each earthquake drawn, so that
// another tool can be handed exactly the same ones.
#include <cstdio>
#include <filesystem>
#include <memory>

#include "app/globals.h"
#include "app/view_open.h"
#include "core/config.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/proj.h"
#include "platform/gfx/image.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/window.h"

namespace ui = platform::ui;
namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s DATA_DIR OUT.png [DRAWN.txt]\n", argv[0]);
        return 2;
    }
    const fs::path data = argv[1];
    platform::headless::Reset();
    gProgramDir = data.string();
    std::error_code ec;
    for (const char* f : {"QUORVEL.INI", "alert_criteria.txt", "WORLD"})
        fs::copy_file(data / f, f, fs::copy_options::overwrite_existing, ec);
    if (ReadConfigFile() != 0 || ReadViewFile("WORLD") != 0) {
        std::fprintf(stderr, "cannot read the WORLD view in %s\n", argv[1]);
        return 1;
    }
    BuildMercatorTable();
    gScreenHeight = 1080;
    const DotScale dots = ComputeDotScale(gMinMagnitude, gMaxMagnitude, gMinDotSize, gMaxDotSize, gScreenHeight);
    gDotSlope = dots.slope;
    gDotIntercept = dots.intercept;

    auto owner = std::make_unique<ui::Window>(nullptr, "layout");
    owner->MoveWindow({0, 0, 1920, 1080});
    auto* pane = new childMap(owner.get());
    pane->MoveWindow({0, 0, 1920, 1080});
    if (!owner->Create()) return 1;
    gRedrawMap = true;
    pane->RenderView();

    int drawn = 0;
    std::FILE* list = argc == 4 ? std::fopen(argv[3], "w") : nullptr;
    if (std::FILE* f = OpenDataFile(gEventFileName, "rb")) {
        const std::int32_t n = QuakeRecordCount(f);
        for (std::int32_t i = 0; i < n; ++i) {
            QuakeDisplayRecord r;
            ReadQuakeAt(f, i, kFromStart, &r.quake);
            if (!IsInView(r) || pane->DrawEventDot(r, false) <= 0) continue;
            ++drawn;
            if (list) std::fprintf(list, "%.4f %.4f %.1f %.1f\n", MasToDegrees(r.quake.longitude), r.latitude, r.depth,
                                     r.magnitude);
        }
        std::fclose(f);
    }
    if (list) std::fclose(list);
    // What the replay leaves once the white flashes have shrunk away is the map image.
    const platform::gfx::Surface* left = pane->mapImageSurface();
    platform::gfx::ImageError error;
    if (!left || !platform::gfx::SavePng(*left, argv[2], &error)) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[2], error.message.c_str());
        return 1;
    }
    std::printf("%d earthquakes drawn\n", drawn);
    return 0;
}
