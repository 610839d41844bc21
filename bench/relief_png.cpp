// A view of a data folder drawn with its shaded relief at a size, written as
// a PNG: for bench/vs-gmt-relief.sh and for looking at the relief.
// Usage: relief_png [--population] DATA_DIR VIEW OUT.png [WIDTH HEIGHT] (run
// in a scratch folder: the cached images and the view are written there).
// With --population the view is drawn a second time with the population
// overlay, as its first rendering after the switch.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/proj.h"
#include "platform/gfx/image.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/window.h"

namespace ui = platform::ui;
namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const bool population = argc > 1 && std::string(argv[1]) == "--population";
    if (population) --argc, ++argv;
    if (argc != 4 && argc != 6) {
        std::fprintf(stderr, "usage: relief_png [--population] DATA_DIR VIEW OUT.png [WIDTH HEIGHT]\n");
        return 2;
    }
    const fs::path data = fs::absolute(argv[1]);
    const int width = argc == 6 ? std::atoi(argv[4]) : 1920;
    const int height = argc == 6 ? std::atoi(argv[5]) : 1080;
    platform::headless::Reset();
    gProgramDir = data.string();
    std::error_code ec;
    for (const char* f : {"QUORVEL.INI", "alert_criteria.txt"})
        fs::copy_file(data / f, f, fs::copy_options::overwrite_existing, ec);
    fs::copy_file(data / argv[2], argv[2], fs::copy_options::overwrite_existing, ec);
    if (ReadConfigFile() != 0 || ReadViewFile(argv[2]) != 0) {
        std::fprintf(stderr, "cannot read the view %s in %s\n", argv[2], argv[1]);
        return 1;
    }
    // The grids are named relative to the data folder.
    for (std::string* location : {&gWorldEtopo5Dir, &gUsaEtopo5Dir, &gPopulationFile})
        if (!location->empty() && fs::path(*location).is_relative()) *location = (data / *location).string();
    BuildMercatorTable();
    auto owner = std::make_unique<ui::Window>(nullptr, "layout");
    owner->MoveWindow({0, 0, width, height});
    auto* pane = new childMap(owner.get());
    pane->MoveWindow({0, 0, width, height});
    if (!owner->Create()) return 1;
    gRedrawMap = true;
    pane->RenderView();
    if (population) {
        gControls[kControlPopulation] = 1;
        gRedrawMap = true;
        pane->RenderView();
    }
    platform::gfx::ImageError error;
    if (!platform::gfx::SavePng(pane->backBuffer(), argv[3], &error)) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[3], error.message.c_str());
        return 1;
    }
    return 0;
}
