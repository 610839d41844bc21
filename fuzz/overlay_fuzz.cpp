// Overlay files drawn on a small headless map pane: one file as a line, a
// symbol and a text file at once, with the symbol definition it may name
// ("SYM") and the border files its region labels are placed with. The input
// is a byte choosing the file's name (which sets its kind of labels) and
// four bytes of view bounds, then the overlay file, the symbol file and the
// border file, cut by separator lines. Contracts: a label placed unforced
// never covers one placed before it, and drawing again places as many.
#include <cstdint>
#include <memory>
#include <string>

#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/map_support.h"
#include "map/borders.h"
#include "map/child_map.h"
#include "map/label_box.h"
#include "map/proj.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/window.h"

namespace ui = platform::ui;

namespace {

// The names an overlay file's labels are read by: cities, plants, regions.
constexpr const char* kNames[] = {"T.CAF", "T.npp.txt", "T.country.txt", "T.state.txt", "T.ocean.txt", "T.txt"};

bool Forced(const LabelBox& b) {
    return b.options.size() >= 3 && b.options[1] == '/' && (b.options[2] == 'F' || b.options[2] == 'f');
}

std::string Boxes() {
    std::string out;
    for (const auto& b : gLabelBoxes)
        out += "'" + b->text + "' " + std::to_string(b->box.left) + "," + std::to_string(b->box.top) + "-" +
               std::to_string(b->box.right) + "," + std::to_string(b->box.bottom) + b->options + "\n";
    return out;
}

void CheckPlacement() {
    for (std::size_t j = 0; j < gLabelBoxes.size(); ++j) {
        const LabelBox& b = *gLabelBoxes[j];
        if (!b.hasLine || Forced(b)) continue;
        for (std::size_t i = 0; i < j; ++i) {
            const LabelBox& a = *gLabelBoxes[i];
            FUZZ_CHECK(!BoxesOverlap(a.box, b.box), "'" + b.text + "' covers '" + a.text + "':\n" + Boxes());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::PrepareMap();
    fuzz::Taker take(data, size);
    const char* name = kNames[take.Byte() % (sizeof kNames / sizeof kNames[0])];
    const double south = take.Between(-80, 80);
    const double north = take.Between(south, 85);
    const double west = take.Between(-180, 180);
    const double east = take.Between(-180, 180);
    const auto parts = fuzz::Split(take.Rest(), kFuzzPartSeparator, 3);

    fuzz::EnterCleanFolder();
    fuzz::WriteFile(name, parts[0]);
    if (parts.size() > 1) fuzz::WriteFile("SYM", parts[1]);
    if (parts.size() > 2)
        for (const char* borders : {kStateBorderFile, kCountryBorderFile, kOceanBorderFile})
            fuzz::WriteFile(borders, parts[2]);

    platform::headless::Reset();
    ResetConfigValues();
    ResetViewSettings();
    gMapName = "T";
    gMapSouth = south;
    gMapNorth = north;
    gMapWest = west;
    gMapEast = east;
    gMapView = true;
    gShowLabels = false;
    gShowPlates = false;
    gShowLogo = false;
    gShowMapScale = false;
    gRedrawMap = true;
    AppendStringNode(&gLineFiles, name);
    AppendStringNode(&gSymbolFiles, name);
    AppendStringNode(&gTextFiles, name);
    {
        auto owner = std::make_unique<ui::Window>(nullptr, "layout");
        owner->MoveWindow({0, 0, 241, 181});
        auto* pane = new childMap(owner.get());
        pane->MoveWindow({0, 0, 241, 181});
        FUZZ_CHECK(owner->Create(), "a pane");
        pane->LoadBorderSets();
        pane->RenderView();
        CheckPlacement();
        const std::size_t placed = gLabelBoxes.size();
        pane->RenderView();
        FUZZ_CHECK(gLabelBoxes.size() == placed, "drawn again, " + std::to_string(placed) + " labels became " +
                                                     std::to_string(gLabelBoxes.size()) + ":\n" + Boxes());
        CheckPlacement();
    }
    ClearLabelBoxes();
    ForgetPngSymbols();
    ResetViewSettings();
    ResetConfigValues();
    platform::headless::Reset();
    return 0;
}
