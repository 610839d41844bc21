// Map segment files, read and drawn in the map view, the 3-D view and on the
// sphere image. The input is a byte of options, the view's box and then the
// file. Contracts: the file reader and the in-memory reader agree, what they
// read encodes back to the bytes it came from, and drawing stops where
// reading does.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/map_support.h"
#include "map/draw.h"
#include "map/proj.h"
#include "map/segments.h"
#include "platform/gfx/draw_context.h"
#include "platform/gfx/surface.h"

namespace gfx = platform::gfx;

namespace {

class CountingPen : public Segment3DPen {
public:
    void MoveTo(double, double) override { ++moves; }
    void LineTo(double, double, int) override { ++lines; }
    int moves = 0, lines = 0;
};

bool SameSegments(const std::vector<Segment>& a, const std::vector<Segment>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const SegmentHeader &x = a[i].header, &y = b[i].header;
        if (x.code != y.code || x.count != y.count || x.east != y.east || x.west != y.west || x.north != y.north ||
            x.south != y.south || a[i].points != b[i].points)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::PrepareMap();
    fuzz::Taker take(data, size);
    const std::uint8_t options = take.Byte();
    const PointLayout layout = options & 1 ? PointLayout::kFine : PointLayout::kCoarse;
    const double south = take.Between(-89, 89);
    const double north = take.Between(south, 89.5);
    const double west = take.Between(-180, 180);
    const double east = take.Between(-180, 180);
    const std::string_view file = take.Rest();
    const std::span<const unsigned char> bytes(reinterpret_cast<const unsigned char*>(file.data()), file.size());

    fuzz::EnterCleanFolder();
    fuzz::WriteFile("FUZZ.S1", file);

    std::vector<Segment> fromMemory, fromFile;
    const SegmentStatus memoryStatus = DecodeSegments(bytes, layout, &fromMemory);
    std::FILE* f = std::fopen("FUZZ.S1", "rb");
    FUZZ_CHECK(f != nullptr, "the file opens");
    const SegmentStatus fileStatus = ReadSegmentFile(f, layout, &fromFile);
    FUZZ_CHECK(memoryStatus == fileStatus, std::string(SegmentStatusText(memoryStatus)) + " / " +
                                               SegmentStatusText(fileStatus));
    FUZZ_CHECK(SameSegments(fromMemory, fromFile), "the same segments from memory and from the file");

    std::vector<unsigned char> encoded;
    for (const Segment& s : fromMemory) FUZZ_CHECK(EncodeSegment(s, layout, &encoded), "a read segment encodes");
    FUZZ_CHECK(encoded.size() <= bytes.size() && std::equal(encoded.begin(), encoded.end(), bytes.begin()),
               "segments encode back to their bytes");
    if (memoryStatus == SegmentStatus::kEnd) FUZZ_CHECK(encoded.size() == bytes.size(), "every byte read");

    // Drawn in a small pane, the way the base map sets it up.
    ResetConfigValues();
    (void)ReadConfigFile();  // no file: the defaults
    ResetViewSettings();
    fuzz::SetMapBox(south, north, west, east);
    const int paneW = 160, paneH = 120;
    auto pane = gfx::Surface::Create(paneW, paneH, ColorOf(gConfigBorderColor));
    FUZZ_CHECK(pane != nullptr, "a pane");
    gfx::DrawContext dc(*pane);
    gMapRect = {4, 4, paneW - 4, paneH - 4};
    gMapWidth = gMapRect.right - gMapRect.left;
    gMapHeight = gMapRect.bottom - gMapRect.top;
    Proj proj;
    if (proj.SetMapScale(&gLonSpan, &gMapHeight, &gMapWidth, gMapSouth, gMapNorth, &gMapRect.left, &gMapRect.top,
                         &gMapRect.right, &gMapRect.bottom, &proj.xScale, &proj.yScale)) {
        ClipToRect(dc, gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom, true);
        std::rewind(f);
        FUZZ_CHECK(DrawSegmentFile(proj, f, layout, dc) == fileStatus, "the map view stops where reading does");
        g3DView = true;
        CountingPen pen;
        FUZZ_CHECK(BeginMapBuffer(), "a recording");
        std::rewind(f);
        FUZZ_CHECK(DrawSegmentFile(proj, f, layout, dc, &pen) == fileStatus, "the 3-D view stops where reading does");
        EndMapBuffer();
        (void)ReadMapBuffer();
        g3DView = false;
    }
    if (layout == PointLayout::kFine) {
        auto sphere = gfx::Surface::Create(128, 64, ColorOf(0));
        gfx::DrawContext sdc(*sphere);
        gSphereMapping = {64 / 180.0f, -64 / 180.0f, 180.0f, -90.0f};
        std::rewind(f);
        FUZZ_CHECK(DrawSegmentFileOnSphere(f, sdc) == fileStatus, "the sphere stops where reading does");
    }
    std::fclose(f);
    ResetViewSettings();
    ResetConfigValues();
    return 0;
}
