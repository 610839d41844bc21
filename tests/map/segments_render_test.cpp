// Renders the segment layers of the bundled WORLD view into world_segments.png
// beside the test program, for a person to look at, and checks that every layer
// left its colour on the map.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/segments.h"
#include "platform/gfx/image.h"
#include "tests/support/temp_dir.h"

namespace gfx = platform::gfx;

namespace {

namespace fs = std::filesystem;

fs::path DataDir() { return fs::weakly_canonical(fs::path(KESTRUNE_FIXTURES) / ".." / ".." / "data"); }

fs::path ProgramDir() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : exe.parent_path();
}

// The resolution digit the base map picks for "?" from pixels per degree of longitude.
char ResolutionDigit(double xScale) {
    if (xScale < 3) return '4';
    if (xScale < 6) return '3';
    if (xScale < 12) return '2';
    return '1';
}

int CountColor(const gfx::Surface& s, gfx::Color c) {
    int n = 0;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) n += s.At(x, y) == c;
    return n;
}

}  // namespace

TEST(SegmentsRender, WorldViewSegmentLayersToPng) {
    const fs::path data = DataDir();
    ASSERT_TRUE(fs::exists(data / "WORLD")) << data;
    const fs::path out = ProgramDir() / "world_segments.png";
    TempDir dir;  // the dumps land here, not in data/
    fs::copy_file(data / "QUORVEL.INI", "QUORVEL.INI");
    fs::copy_file(data / "alert_criteria.txt", "alert_criteria.txt");
    fs::copy_file(data / "WORLD", "WORLD");
    ASSERT_EQ(ReadConfigFile(), 0);
    ASSERT_EQ(ReadViewFile("WORLD"), 0);
    gProgramDir = data.string();
    BuildMercatorTable();

    // The base map's frame: a pane in the border colour, a 10-pixel margin,
    // the map area in the background colour.
    const int paneW = 1200, paneH = 740;  // tall enough for the whole Mercator height
    auto pane = gfx::Surface::Create(paneW, paneH, ColorOf(gConfigBorderColor));
    gfx::DrawContext dc(*pane);
    SpanFromMapBounds();
    gMapRect = {10, 10, paneW - 10, paneH - 10};
    gMapWidth = gMapRect.right - gMapRect.left;
    gMapHeight = gMapRect.bottom - gMapRect.top;
    Proj proj;
    ASSERT_TRUE(proj.SetMapScale(&gLonSpan, &gMapHeight, &gMapWidth, gMapSouth, gMapNorth, &gMapRect.left,
                                 &gMapRect.top, &gMapRect.right, &gMapRect.bottom, &proj.xScale, &proj.yScale));
    dc.FillRect({gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom},
                gfx::Brush::Solid(ColorOf(gConfigBackgroundColor)));
    ClipToRect(dc, gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom, true);

    // The view names coasts and countries; states and rivers join them here.
    std::vector<std::string> files = {"STATE.S?", "RIVER.S?"};
    for (StringListNode* n = gMapFiles; n; n = n->next) files.push_back(n->text);
    for (std::string name : files) {
        for (char& c : name)
            if (c == '?') c = ResolutionDigit(proj.xScale);
        std::FILE* f = OpenDataFile(name, "rb");
        ASSERT_NE(f, nullptr) << name;
        EXPECT_EQ(DrawSegmentFile(proj, f, LayoutForFileName(name), dc), SegmentStatus::kEnd) << name;
        std::fclose(f);
    }
    ASSERT_TRUE(gShowPlates);
    DrawPlatesLayer(proj, dc);

    ASSERT_TRUE(gfx::SavePng(*pane, out.string())) << out;
    std::printf("segment layers of WORLD written to %s\n", out.c_str());

    const std::map<int, const char*> layers = {{1, "coasts"}, {2, "countries"}, {3, "plates"},
                                               {4, "states"}, {7, "rivers"}};
    for (const auto& [segmentClass, what] : layers)
        EXPECT_GT(CountColor(*pane, ColorOf(SegmentColor(segmentClass))), 500) << what;
    // Nothing outside the map area but the frame's colour.
    for (int x = 0; x < paneW; ++x) {
        EXPECT_EQ(pane->At(x, 5), ColorOf(gConfigBorderColor));
        EXPECT_EQ(pane->At(x, paneH - 5), ColorOf(gConfigBorderColor));
    }
    ResetConfigValues();
    ResetViewSettings();
    gProgramDir.clear();
}
