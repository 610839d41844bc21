#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/segments.h"
#include "tests/support/temp_dir.h"

namespace gfx = platform::gfx;

namespace {

using gfx::Color;
using gfx::Point;
using gfx::Rect;
using Bytes = std::vector<unsigned char>;

constexpr Color kBack = gfx::kBlack;

Segment MakeSegment(int segmentClass, std::vector<SegmentPoint> points, PointLayout layout) {
    Segment s;
    s.header.code = static_cast<std::int16_t>(segmentClass * 1000 + 1);
    s.points = std::move(points);
    EXPECT_TRUE(SetSegmentBounds(&s, layout));
    return s;
}

// An unnamed temporary file holding the segments, at its start.
std::FILE* SegmentFile(const std::vector<Segment>& segments, PointLayout layout, std::size_t cut = 0) {
    Bytes bytes;
    for (const auto& s : segments) EXPECT_TRUE(EncodeSegment(s, layout, &bytes));
    if (cut) bytes.resize(bytes.size() - cut);
    std::FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    return f;
}

void WriteSegmentFile(const std::string& name, const std::vector<Segment>& segments, PointLayout layout) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    for (const auto& s : segments) ASSERT_TRUE(WriteSegment(f, s, layout));
    std::fclose(f);
}

// Sets the view's bounds and fits them to a width x height map area at (0, 0).
Proj SetView(double west, double east, double south, double north, int width, int height) {
    gMapWest = west;
    gMapEast = east;
    gMapSouth = south;
    gMapNorth = north;
    SpanFromMapBounds();
    Proj p;
    std::int32_t l = 0, t = 0, r = width, b = height, w = width, h = height;
    EXPECT_TRUE(p.SetMapScale(&gLonSpan, &h, &w, south, north, &l, &t, &r, &b, &p.xScale, &p.yScale));
    gMapRect = {l, t, r, b};
    gMapWidth = w;
    gMapHeight = h;
    return p;
}

int InkInColumns(const gfx::Surface& s, int x0, int x1) {
    int n = 0;
    for (int y = 0; y < s.height(); ++y)
        for (int x = std::max(0, x0); x < std::min(x1, s.width()); ++x) n += s.At(x, y) != kBack;
    return n;
}

Rect Inked(const gfx::Surface& s) {
    Rect r;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (s.At(x, y) != kBack) r = r.united({x, y, x + 1, y + 1});
    return r;
}

// Inked pixels of one column.
int Thickness(const gfx::Surface& s, int x) {
    int n = 0;
    for (int y = 0; y < s.height(); ++y) n += s.At(x, y) != kBack;
    return n;
}

class SegmentsTest : public testing::Test {
protected:
    void SetUp() override {
        BuildMercatorTable();
        const int colors[kSegmentClassCount] = {0, 2, 5, 14, 3, 2, 1, 1, 13, 14, 14, 14, 14};
        for (int i = 0; i < kSegmentClassCount; ++i) gSegmentColors[i] = colors[i];
        gLineThickness = LineThickness{1, 1, 1, 1, 1};
        gMapView = true;
        g3DView = false;
        gCrossSectionView = false;
    }
    void TearDown() override {
        EndMapBuffer();
        ResetConfigValues();
        ResetViewSettings();
        gProgramDir.clear();
    }

    // Draws the segments into a fresh surface of the map area's size.
    std::unique_ptr<gfx::Surface> Draw(const Proj& proj, const std::vector<Segment>& segments,
                                       PointLayout layout = PointLayout::kCoarse) {
        auto s = gfx::Surface::Create(gMapWidth, gMapHeight, kBack);
        gfx::DrawContext dc(*s);
        std::FILE* f = SegmentFile(segments, layout);
        EXPECT_EQ(DrawSegmentFile(proj, f, layout, dc), SegmentStatus::kEnd);
        std::fclose(f);
        return s;
    }

    TempDir dir_;
};

SegmentHeader Box(int west, int east, int south, int north) {
    SegmentHeader h;
    h.code = 1001;
    h.west = static_cast<std::int16_t>(west);
    h.east = static_cast<std::int16_t>(east);
    h.south = static_cast<std::int16_t>(south);
    h.north = static_cast<std::int16_t>(north);
    return h;
}

}  // namespace

TEST(SegmentClasses, ColoursAndWidthsFollowTheConfiguration) {
    const int colors[kSegmentClassCount] = {0, 2, 5, 14, 3, 2, 1, 1, 13, 17, 0, -4, 16};
    for (int i = 0; i < kSegmentClassCount; ++i) gSegmentColors[i] = colors[i];
    gLineThickness = LineThickness{6, kLineThicknessAuto, 3, 4, 2};
    EXPECT_EQ(SegmentColor(1), 2);
    EXPECT_EQ(SegmentColor(8), 13);
    EXPECT_EQ(SegmentColor(9), 0);    // above 16
    EXPECT_EQ(SegmentColor(10), 0);   // configured 0
    EXPECT_EQ(SegmentColor(11), 0);   // negative
    EXPECT_EQ(SegmentColor(12), 16);
    EXPECT_EQ(SegmentColor(0), 0);    // outside the table
    EXPECT_EQ(SegmentColor(13), 0);
    EXPECT_EQ(SegmentColor(-1), 0);

    const int widths[] = {1, 1, 2, 6, 3, 1, 1, 2, 4, 6, 6, 6, 6, 1};
    for (int c = 0; c <= 13; ++c) EXPECT_EQ(SegmentPenWidth(c, 100.0), c == 2 ? 5 : widths[c]) << "class " << c;
    ResetConfigValues();
}

TEST(SegmentClasses, AutoWidthsStepWithPixelsPerMercatorDegree) {
    const struct {
        double yScale;
        int width;
    } cases[] = {{0.5, 2}, {7, 2}, {7.01, 3}, {20, 3}, {20.5, 4}, {60, 4}, {60.5, 5}, {400, 5}};
    for (const auto& c : cases) EXPECT_EQ(AutoLineWidth(c.yScale), c.width) << c.yScale;
}

TEST(SegmentSkip, AgainstWorldPacificAndAtlanticViews) {
    struct View {
        const char* name;
        double west, east;
    };
    const View views[] = {{"world", -180, 180}, {"pacific", 120, -60}, {"atlantic", -30, 60}};
    struct Case {
        const char* what;
        SegmentHeader box;
        bool skipped[3];  // world, pacific, atlantic
    };
    const Case cases[] = {
        {"coast across 180", Box(10700, -10700, 3000, 3300), {false, false, true}},
        {"Japan", Box(7800, 8700, 1800, 2700), {false, false, true}},
        {"west Africa", Box(-1200, 0, 600, 1200), {false, true, false}},
        {"across the Pacific view's east edge", Box(-3660, -3540, 0, 60), {false, false, true}},
        {"across the Atlantic view's west edge", Box(-1850, -1700, 0, 60), {false, true, false}},
        {"within a degree west of the Atlantic view", Box(-1850, -1810, 0, 60), {false, true, true}},
        {"two degrees to half a degree west of it", Box(-1920, -1830, 0, 60), {false, true, true}},
        {"north of the map", Box(0, 60, 4560, 4600), {true, true, true}},
        {"south of the map", Box(0, 60, -4300, -4260), {true, true, true}},
        {"touching the north bound", Box(0, 60, 4400, 4500), {false, true, false}},
    };
    for (int v = 0; v < 3; ++v) {
        SetView(views[v].west, views[v].east, -70, 75, 720, 400);
        const ArcMinuteWindow window = CurrentArcMinuteWindow();
        for (const auto& c : cases)
            EXPECT_EQ(SkipSegment(c.box, window), c.skipped[v]) << c.what << " in the " << views[v].name << " view";
    }
    ResetViewSettings();
}

// Both directions: a westward crossing once carried the rest of the line a
// turn west, off the map, so the coast east of 180 went missing.
TEST_F(SegmentsTest, CoastAcross180HasNoLineAcrossTheWorldMap) {
    // The width limits the map: 440 rows hold its 421.
    Proj world = SetView(-180, 180, -70, 75, 720, 440);
    ASSERT_EQ(gMapWidth, 720);  // two pixels per degree
    const std::vector<SegmentPoint> eastward = {{10200, 600}, {10740, 600}, {-10740, 620}, {-10200, 620}};
    const std::vector<SegmentPoint> westward(eastward.rbegin(), eastward.rend());
    for (const auto& points : {eastward, westward}) {
        auto s = Draw(world, {MakeSegment(1, points, PointLayout::kCoarse)});
        EXPECT_GT(InkInColumns(*s, 700, 720), 10);
        EXPECT_GT(InkInColumns(*s, 0, 20), 10);
        EXPECT_EQ(InkInColumns(*s, 25, 695), 0) << "a line runs across the map";
    }
}

TEST_F(SegmentsTest, CoastAcross180IsContinuousInThePacificView) {
    Proj pacific = SetView(120, -60, -70, 75, 720, 880);
    ASSERT_DOUBLE_EQ(pacific.xScale, 4.0);
    auto s = Draw(pacific, {MakeSegment(1, {{10200, 600}, {10740, 600}, {-10740, 600}, {-10200, 600}},
                                        PointLayout::kCoarse)});
    // 170E to 170W: offsets 50 to 70 degrees, columns 200 to 280, one unbroken run.
    const Rect ink = Inked(*s);
    EXPECT_EQ(ink.left, 200);
    EXPECT_EQ(ink.right, 280);
    EXPECT_EQ(ink.height(), 1);
    EXPECT_EQ(InkInColumns(*s, 200, 280), 80);
}

TEST_F(SegmentsTest, FinePointsAcross180WrapLikeCoarseOnes) {
    Proj world = SetView(-180, 180, -70, 75, 720, 440);
    auto s = Draw(world, {MakeSegment(3, {{612000, 36000}, {647000, 36000}, {-647000, 36000}, {-612000, 36000}},
                                      PointLayout::kFine)},
                  PointLayout::kFine);
    EXPECT_GT(InkInColumns(*s, 700, 720), 0);
    EXPECT_GT(InkInColumns(*s, 0, 20), 0);
    EXPECT_EQ(InkInColumns(*s, 25, 695), 0);
}

// A coarse point just west of the west edge once projected onto the far
// right while the jump test took it as next to its neighbour.
TEST_F(SegmentsTest, CoarsePointJustWestOfTheEdgeStaysOnTheLeft) {
    Proj pacific = SetView(120, -60, -70, 75, 720, 880);
    auto s = Draw(pacific, {MakeSegment(1, {{7170, 600}, {7260, 600}, {7320, 660}}, PointLayout::kCoarse)});
    EXPECT_GT(InkInColumns(*s, 0, 10), 0);
    EXPECT_EQ(InkInColumns(*s, 20, 720), 0);
}

TEST_F(SegmentsTest, AutoCountryBordersThickenWithTheScale) {
    gLineThickness.country = kLineThicknessAuto;
    const std::vector<SegmentPoint> border = {{600, 2700}, {1200, 2700}};  // 10E to 20E along 45N
    {
        Proj world = SetView(-180, 180, -70, 75, 720, 440);
        ASSERT_LE(world.yScale, 7);
        auto s = Draw(world, {MakeSegment(2, border, PointLayout::kCoarse)});
        EXPECT_EQ(Thickness(*s, 390), 2);
    }
    {
        Proj close = SetView(9, 21, 40, 50, 840, 1200);  // 70 pixels per degree
        ASSERT_GT(close.yScale, 60);
        auto s = Draw(close, {MakeSegment(2, border, PointLayout::kCoarse)});
        EXPECT_EQ(Thickness(*s, gMapWidth / 2), 5);
    }
}

TEST_F(SegmentsTest, ColourZeroAndSkippedSegmentsAndTheTextDump) {
    gSegmentColors[7] = 0;  // rivers off
    Proj world = SetView(-180, 180, -70, 75, 720, 440);
    const std::vector<Segment> segments = {
        MakeSegment(7, {{0, 0}, {600, 0}}, PointLayout::kCoarse),          // not drawn, dumped
        MakeSegment(1, {{0, 4700}, {60, 4710}}, PointLayout::kCoarse),     // north of the map: skipped
        MakeSegment(8, {{-600, 300}, {-300, 330}}, PointLayout::kCoarse),  // highway, drawn
    };
    auto s = Draw(world, segments);
    EXPECT_EQ(InkInColumns(*s, 355, 385), 0);
    EXPECT_GT(InkInColumns(*s, 335, 355), 0);
    EXPECT_EQ(TempDir::Read(kPlatesDumpFile), "0.0000 0.0000\n10.0000 0.0000\n\n-10.0000 5.0000\n-5.0000 5.5000\n\n");

    Draw(world, {MakeSegment(3, {{-3600, 7200}, {1800, -900}}, PointLayout::kFine)}, PointLayout::kFine);
    EXPECT_EQ(TempDir::Read(kPlatesDumpFile), "   2.00   -1.00\n  -0.25    0.50\n\n");
}

TEST_F(SegmentsTest, DamagedFileKeepsTheSegmentsBeforeTheFault) {
    Proj world = SetView(-180, 180, -70, 75, 720, 440);
    auto s = gfx::Surface::Create(gMapWidth, gMapHeight, kBack);
    gfx::DrawContext dc(*s);
    std::FILE* f = SegmentFile({MakeSegment(1, {{0, 0}, {600, 0}}, PointLayout::kCoarse),
                                MakeSegment(1, {{-600, 0}, {-300, 0}}, PointLayout::kCoarse)},
                               PointLayout::kCoarse, 2);
    EXPECT_EQ(DrawSegmentFile(world, f, PointLayout::kCoarse, dc), SegmentStatus::kTruncated);
    std::fclose(f);
    EXPECT_GT(InkInColumns(*s, 360, 380), 0);
    EXPECT_EQ(InkInColumns(*s, 335, 355), 0);
}

// A map file that is missing, text or cut short is named once per view; the
// map is drawn all the same, with what the file held before its fault.
TEST_F(SegmentsTest, MissingOrDamagedMapFilesAreNamedOncePerView) {
    Proj world = SetView(-180, 180, -70, 75, 720, 440);
    const Segment east = MakeSegment(1, {{0, 0}, {600, 0}}, PointLayout::kCoarse);
    const Segment west = MakeSegment(1, {{-600, 0}, {-300, 0}}, PointLayout::kCoarse);
    WriteSegmentFile("COAST.S4", {east, west}, PointLayout::kCoarse);
    const std::string whole = TempDir::Read("COAST.S4");
    TempDir::Write("CUT.S4", whole.substr(0, whole.size() - 2));
    TempDir::Write("TEXT.S4", TempDir::Read(std::string(KESTRUNE_FIXTURES) + "/malformed/text_named.s4"));
    struct Case {
        const char* file;
        const char* said;  // the start of the line; empty: nothing
        bool eastDrawn;
    };
    const Case cases[] = {
        {"COAST.S4", "", true},
        {"ABSENT.S4", "Quorview: ABSENT.S4: map file not found; the map is drawn without it", false},
        {"TEXT.S4", "Quorview: TEXT.S4: damaged map file (", false},
        {"CUT.S4", "Quorview: CUT.S4: damaged map file (point block runs past the end of the file)", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ReadViewFile();
        world = SetView(-180, 180, -70, 75, 720, 440);
        for (int paint = 0; paint < 2; ++paint) {
            auto s = gfx::Surface::Create(gMapWidth, gMapHeight, kBack);
            gfx::DrawContext dc(*s);
            testing::internal::CaptureStderr();
            (void)DrawNamedSegmentFile(world, c.file, PointLayout::kCoarse, dc);
            const std::string said = testing::internal::GetCapturedStderr();
            EXPECT_EQ(InkInColumns(*s, 360, 380) > 0, c.eastDrawn);
            if (paint == 1 || !*c.said) {
                EXPECT_EQ(said, "");
            } else {
                EXPECT_EQ(said.rfind(c.said, 0), 0u) << said;
            }
        }
    }
    ResetViewSettings();
}

namespace {

struct PenCall {
    bool line;
    double lat, lonOffset;
    int color;
    friend bool operator==(const PenCall&, const PenCall&) = default;
};

struct RecordingPen : Segment3DPen {
    std::vector<PenCall> calls;
    void MoveTo(double lat, double lonOffset) override { calls.push_back({false, lat, lonOffset, 0}); }
    void LineTo(double lat, double lonOffset, int color) override { calls.push_back({true, lat, lonOffset, color}); }
};

}  // namespace

TEST_F(SegmentsTest, ThreeDViewDrawsThroughItsPenAndRecordsTheLines) {
    Proj p = SetView(0, 40, 0, 30, 400, 300);
    g3DView = true;
    gMapView = false;
    ASSERT_TRUE(BeginMapBuffer());
    RecordingPen pen;
    auto s = gfx::Surface::Create(gMapWidth, gMapHeight, kBack);
    gfx::DrawContext dc(*s);
    // The third point lies east of the view and lifts the pen.
    std::FILE* f = SegmentFile({MakeSegment(1, {{600, 600}, {1200, 900}, {3000, 900}, {1800, 600}, {1860, 660}},
                                            PointLayout::kCoarse)},
                               PointLayout::kCoarse);
    EXPECT_EQ(DrawSegmentFile(p, f, PointLayout::kCoarse, dc, &pen), SegmentStatus::kEnd);
    std::fclose(f);
    EndMapBuffer();
    const std::vector<PenCall> calls = {
        {false, 10, 10, 0}, {true, 15, 20, 2}, {false, 10, 30, 0}, {true, 11, 31, 2}};
    EXPECT_EQ(pen.calls, calls);
    const std::vector<MapBufferRecord> records = {{10, 10, 0}, {15, 20, 2}, {10, 30, 0}, {11, 31, 2}};
    EXPECT_EQ(ReadMapBuffer(), records);
    EXPECT_EQ(Inked(*s), Rect{});  // nothing of the map view
    EXPECT_EQ(TempDir::Read(kPlatesDumpFile).find("\n\n"), std::string::npos);
}

TEST_F(SegmentsTest, ThreeDWorldViewLiftsThePenAcross180ForCoarseFilesOnly) {
    Proj p = SetView(-180, 180, -70, 75, 720, 400);
    g3DView = true;
    gMapView = false;
    auto s = gfx::Surface::Create(gMapWidth, gMapHeight, kBack);
    gfx::DrawContext dc(*s);
    for (PointLayout layout : {PointLayout::kCoarse, PointLayout::kFine}) {
        const int u = UnitsPerDegree(layout);
        RecordingPen pen;
        std::FILE* f = SegmentFile({MakeSegment(1, {{179 * u, 0}, {-179 * u, 0}}, layout)}, layout);
        EXPECT_EQ(DrawSegmentFile(p, f, layout, dc, &pen), SegmentStatus::kEnd);
        std::fclose(f);
        ASSERT_EQ(pen.calls.size(), 2u);
        EXPECT_EQ(pen.calls[1].line, layout == PointLayout::kFine);
        EXPECT_DOUBLE_EQ(pen.calls[1].lonOffset, 1.0);
    }
}

TEST(MapBuffer, RecordsAreTwentyLittleEndianBytes) {
    unsigned char b[kMapBufferRecordSize];
    EncodeMapBufferRecord({1.5, -2.0, 14}, b);
    const unsigned char expected[kMapBufferRecordSize] = {0, 0, 0, 0, 0, 0, 0xF8, 0x3F, 0, 0,
                                                           0, 0, 0, 0, 0,    0xC0, 14, 0, 0, 0};
    EXPECT_TRUE(std::equal(b, b + sizeof b, expected));
    EXPECT_EQ(DecodeMapBufferRecord(b), (MapBufferRecord{1.5, -2.0, 14}));
}

TEST_F(SegmentsTest, RecordingThatCannotBeMadeLeavesNoOldOneBehind) {
    // The name leads nowhere that can be created.
    std::filesystem::create_symlink("missing-folder/MAPBUF.TMP", kMapBufferFile);
    EXPECT_FALSE(BeginMapBuffer());
    EXPECT_FALSE(MapBufferOpen());
    EXPECT_FALSE(std::filesystem::is_symlink(kMapBufferFile));
    EXPECT_TRUE(ReadMapBuffer().empty());
}

TEST_F(SegmentsTest, RecordingCutShortByAFullDiskIsRemoved) {
    TempDir::Write(kMapBufferFile, std::string(4000, 'x'));  // another view's recording
    Proj p = SetView(0, 40, 0, 30, 400, 300);
    g3DView = true;
    std::vector<SegmentPoint> points;
    for (int i = 0; i < 1000; ++i) points.push_back({600 + i, 600 + i / 2});
    std::FILE* f = SegmentFile({MakeSegment(1, points, PointLayout::kCoarse)}, PointLayout::kCoarse);
    auto s = gfx::Surface::Create(gMapWidth, gMapHeight, kBack);
    gfx::DrawContext dc(*s);

    // Files may grow to 1000 bytes only: the recording needs 20000.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldSignal = signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool began = BeginMapBuffer();
    (void)DrawSegmentFile(p, f, PointLayout::kCoarse, dc);
    EndMapBuffer();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldSignal);
    std::fclose(f);

    EXPECT_TRUE(began);
    EXPECT_FALSE(std::filesystem::exists(kMapBufferFile));
}

TEST_F(SegmentsTest, PlatesLayerIsClippedToTheMapArea) {
    WriteSegmentFile(kPlatesFile, {MakeSegment(10, {{-36000, 0}, {36000, 0}}, PointLayout::kFine)},
                     PointLayout::kFine);
    gPltFileName = "VIEW.plt";
    Proj p = SetView(-20, 20, -20, 20, 80, 200);  // 2 pixels per degree, 81 rows
    ASSERT_EQ(gMapHeight, 81);
    gMapRect = {10, 10, 90, 91};
    auto s = gfx::Surface::Create(100, 100, kBack);
    gfx::DrawContext dc(*s);
    DrawPlatesLayer(p, dc);  // no label file: the plates alone (labels: the overlay tests)
    // -10 to 10 degrees of longitude at the equator: columns 20 to 60 of the map area.
    EXPECT_EQ(Inked(*s), (Rect{30, 50, 70, 51}));
    EXPECT_EQ(dc.origin(), (Point{10, 10}));
    dc.SetOrigin({0, 0});
    EXPECT_EQ(dc.clipBounds(), (Rect{0, 0, 100, 100}));


    // Wider than the map area: the clip holds it inside.
    WriteSegmentFile(kPlatesFile, {MakeSegment(10, {{-3600 * 60, 0}, {3600 * 60, 0}}, PointLayout::kFine)},
                     PointLayout::kFine);
    auto wide = gfx::Surface::Create(100, 100, kBack);
    gfx::DrawContext wideDc(*wide);
    DrawPlatesLayer(p, wideDc);
    EXPECT_EQ(Inked(*wide), (Rect{10, 50, 90, 51}));

    gCrossSectionView = true;
    auto none = gfx::Surface::Create(100, 100, kBack);
    gfx::DrawContext noneDc(*none);
    DrawPlatesLayer(p, noneDc);
    EXPECT_EQ(Inked(*none), Rect{});
}

TEST_F(SegmentsTest, PlatesOnTheSphereWrapAtItsSeamAndDumpEveryPoint) {
    WriteSegmentFile(kPlatesFile,
                     {MakeSegment(3, {{612000, 36000}, {647000, 36000}, {-647000, 36000}, {-612000, 36000}},
                                  PointLayout::kFine),
                      MakeSegment(3, {{0, 0}, {36000, 0}}, PointLayout::kFine)},
                     PointLayout::kFine);
    SetView(-180, 180, -70, 75, 360, 180);
    gSphereMapping = {2, -2, 180, -90};  // 720 x 360, north up
    auto s = gfx::Surface::Create(720, 360, kBack);
    gfx::DrawContext dc(*s);
    DrawPlatesOnSphere(dc);
    EXPECT_GT(InkInColumns(*s, 700, 720), 0);
    EXPECT_GT(InkInColumns(*s, 0, 20), 0);
    EXPECT_GT(InkInColumns(*s, 355, 385), 0);
    EXPECT_EQ(InkInColumns(*s, 25, 350) + InkInColumns(*s, 390, 695), 0);
    EXPECT_EQ(TempDir::Read(kMapBufferDumpFile),
              "  1   10.00  170.00\n  2   10.00  179.72\n\n  3   10.00 -179.72\n  4   10.00 -170.00\n\n"
              "  5    0.00    0.00\n  6    0.00   10.00\n\n");

    // Outside the map view the sphere copy only dumps.
    gMapView = false;
    g3DView = true;
    auto other = gfx::Surface::Create(720, 360, kBack);
    gfx::DrawContext otherDc(*other);
    DrawPlatesOnSphere(otherDc);
    EXPECT_EQ(Inked(*other), Rect{});
    EXPECT_NE(TempDir::Read(kMapBufferDumpFile).find("  6    0.00   10.00\n"), std::string::npos);
    gSphereMapping = {};
}
