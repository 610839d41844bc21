// Overlay files: the keyword format's parsing by position and within bounds,
// then renderings on a small view: vector and PNG symbols, labels that never
// overlap and a registry that does not grow, file skips, highways, polylines
// split by points off the map, forced labels and paint-time plate labels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/label_box.h"
#include "map/overlay.h"
#include "map/segments.h"
#include "platform/gfx/image.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/window.h"
#include "tests/support/temp_dir.h"

namespace ui = platform::ui;
namespace gfx = platform::gfx;

namespace {

TEST(OverlayParsing, DataLinesAndLabelsAreTakenByPosition) {
    struct {
        const char* line;
        int fields;
        const char* text;
        const char* cut;
        const char* options;
        bool forced, quoted, centroid;
        int offset;
    } cases[] = {
        {"35 139 Tokyo", 3, " Tokyo ", "35 139 Tokyo", "", false, false, false, 0},
        {"35 139 35", 3, " 35 ", "35 139 35", "", false, false, false, 0},  // the word repeats a number
        {"35 139 \"New York\" /d6", 3, "New York ", "35 139 \"New York\"", " /d6", false, true, false, 6},
        {"35 139 Tokyo /F", 3, "Tokyo", "35 139 Tokyo", " /F", true, false, false, 0},
        {"35 139 Tokyo   /f", 3, "Tokyo", "35 139 Tokyo", " /f", true, false, false, 0},
        {"35 139 KANSAS /CENTROID", 3, " KANSAS ", "35 139 KANSAS /CENTROID", "", false, false, true, 0},
        {"35 139 Genkai /d20 /o1", 3, " Genkai ", "35 139 Genkai", " /d20 /o1", false, false, false, 20},
        {"1 2 x/q", 3, " x ", "1 2 x", " /q", false, false, false, 0},
        {"1 2 \"open quote", 3, "open quote", "1 2 \"open quote", "", false, true, false, 0},
        {"1 2 /d", 3, "  ", "1 2", " /d", false, false, false, 0},  // the slash ends the line before any text
    };
    for (const auto& c : cases) {
        const OverlayDataLine d = ScanOverlayDataLine(c.line);
        ASSERT_EQ(d.fields, c.fields) << c.line;
        const OverlayLabel l = ParseOverlayLabel(c.line, d.wordStart);
        EXPECT_EQ(l.text, c.text) << c.line;
        EXPECT_EQ(l.line, c.cut) << c.line;
        EXPECT_EQ(l.options, c.options) << c.line;
        EXPECT_EQ(l.forced, c.forced) << c.line;
        EXPECT_EQ(l.quoted, c.quoted) << c.line;
        EXPECT_EQ(l.centroid, c.centroid) << c.line;
        EXPECT_EQ(l.offset, c.offset) << c.line;
    }
    struct { const char* line; int fields; } counts[] = {{"35 139", 2}, {"35", 1}, {"abc", 0}, {"", 0}, {" 1 2 w", 3}};
    for (const auto& c : counts) EXPECT_EQ(ScanOverlayDataLine(c.line).fields, c.fields) << c.line;
}

TEST(OverlayParsing, ColourLines) {
    struct { const char* line; int color; } cases[] = {
        {"COLOR: LIGHT BLUE", 9}, {"COLOR: light blue", 9}, {"COLOR: PURPLE", 15}, {"COLOR: BLACK", 0},
        {"COLOR: YELLOW", 14},    {"COLOR:", 15},           {"COLOR:R", 15},      {"COLOR: WHITE", 15}};
    for (const auto& c : cases) EXPECT_EQ(OverlayColorOf(c.line), c.color) << c.line;
}

// A 20 x 20 degree view, 400 x 400 pixels of map area inside a 460 x 460 pane.
class Overlays : public ::testing::Test {
protected:
    void SetUp() override {
        platform::headless::Reset();
        ResetConfigValues();
        ResetViewSettings();
        BuildMercatorTable();
        gMapName = "T";
        gMapWest = 0;
        gMapEast = 20;
        gMapSouth = 0;
        gMapNorth = 20;
        gMapView = true;
        gShowLabels = false;
        gShowPlates = false;
        gShowLogo = false;
        gShowMapScale = false;
        gRedrawMap = true;
        TempDir::Write("SQUARE", "FILL COLOR: WHITE\nFILL\n-1 -1\n1 -1\n1 1\n-1 1\n");
    }
    void TearDown() override {
        owner_.reset();
        ClearLabelBoxes();
        ForgetPngSymbols();
        ResetViewSettings();
        ResetConfigValues();
    }
    childMap& Pane() {
        owner_ = std::make_unique<ui::Window>(nullptr, "layout");
        owner_->MoveWindow({0, 0, 461, 461});
        auto* pane = new childMap(owner_.get());
        pane->MoveWindow({0, 0, 461, 461});
        EXPECT_TRUE(owner_->Create());
        return *pane;
    }
    static gfx::Point At(childMap& pane, double lat, double lon) {
        std::int32_t row = 0, col = 0;
        pane.LatLonToPixel(lat, Proj::LonOffset(lon, gWestEdge), &row, &col);
        return {col + gMapRect.left, row + gMapRect.top};
    }
    static int Count(const gfx::Surface& s, const gfx::Rect& r, gfx::Color c) {
        int n = 0;
        for (int y = std::max(r.top, 0); y < std::min(r.bottom, s.height()); ++y)
            for (int x = std::max(r.left, 0); x < std::min(r.right, s.width()); ++x) n += s.At(x, y) == c;
        return n;
    }
    // Placed labels; a blank box marks a point that found no room and may lie under one.
    static void ExpectNoOverlaps() {
        for (std::size_t i = 0; i < gLabelBoxes.size(); ++i)
            for (std::size_t j = i + 1; j < gLabelBoxes.size(); ++j)
                if (gLabelBoxes[i]->hasLine && gLabelBoxes[j]->hasLine) {
                    EXPECT_FALSE(BoxesOverlap(gLabelBoxes[i]->box, gLabelBoxes[j]->box))
                        << "'" << gLabelBoxes[i]->text << "' and '" << gLabelBoxes[j]->text << "'";
                }
    }
    TempDir dir_;
    std::unique_ptr<ui::Window> owner_;
};

TEST_F(Overlays, CityFileDrawsSymbolsAndLabelsThatNeverOverlap) {
    TempDir::Write("T.CAF",
                   "symbol: square\ncolor: white\nthickness: 3\nvertical justify: center\n"
                   "10 10 Alpha\n10 10 Beta\n10 10 Gamma\n10.2 10.2 Delta\n5 5 Epsilon /d6\n");
    AppendStringNode(&gTextFiles, "T.CAF");
    AppendStringNode(&gSymbolFiles, "T.CAF");
    childMap& pane = Pane();
    pane.RenderView();

    const gfx::Point p = At(pane, 5, 5);
    EXPECT_EQ(pane.backBuffer().At(p.x, p.y), gfx::kWhite);  // the square symbol
    EXPECT_GT(Count(pane.backBuffer(), {p.x - 12, p.y - 12, p.x + 12, p.y + 12}, gfx::kWhite), 20);
    ASSERT_EQ(gLabelBoxes.size(), 5u);
    ExpectNoOverlaps();
    EXPECT_EQ(gLabelBoxes[0]->text, "Alpha");  // at its own point, without its added blanks
    // Beta and Gamma found a candidate around the point, or a blank box.
    EXPECT_TRUE(gLabelBoxes[1]->hJust != HJust::Left || !gLabelBoxes[1]->hasLine);
    EXPECT_EQ(gLabelBoxes[4]->anchor, (gfx::Point{p.x - gMapRect.left + 6, p.y - gMapRect.top}));
    EXPECT_EQ(gLabelBoxes[4]->options, " /d6");

    // Another rendering frees the boxes and places the same again.
    const std::size_t placed = gLabelBoxes.size();
    for (int i = 0; i < 3; ++i) pane.RenderView();
    EXPECT_EQ(gLabelBoxes.size(), placed);
    pane.Invalidate();
    pane.Update();
    EXPECT_EQ(gLabelBoxes.size(), placed);
}

TEST_F(Overlays, TheShadowIsANinthOfTheFontsHeightEitherWayItIsGiven) {
    gFonts[kFontCity] = ConfigFont{"Arial", -27, 400};  // a character height: negative
    TempDir::Write("T.CAF", "10 10 First\n10 10 Second\n");
    AppendStringNode(&gTextFiles, "T.CAF");
    childMap& pane = Pane();
    pane.RenderView();
    ASSERT_EQ(gLabelBoxes.size(), 2u);
    EXPECT_EQ(gLabelBoxes[0]->shadow, 2);  // at its own point: the redraw shadow
    EXPECT_EQ(gLabelBoxes[1]->shadow, 3);  // around it: the file's, 27 / 9
}

TEST_F(Overlays, ACityLabelWithNoRoomLeavesABlankBox) {
    std::string lines = "vertical justify: center\n";
    for (int i = 0; i < 12; ++i) lines += "10 10 Crowded" + std::to_string(i) + "\n";
    TempDir::Write("T.CAF", lines);
    AppendStringNode(&gTextFiles, "T.CAF");
    childMap& pane = Pane();
    pane.RenderView();
    ExpectNoOverlaps();
    int blanks = 0;
    for (auto& b : gLabelBoxes) blanks += !b->hasLine;
    EXPECT_EQ(gLabelBoxes.size(), 12u);
    EXPECT_GE(blanks, 3) << "one at its point, at most eight around it, the rest blank";
}

TEST_F(Overlays, ForcedLabelsAndSkippedFiles) {
    TempDir::Write("a.txt", "10 10 Under\n10 10 Over /F\n10 19.9 Off the edge and far beyond it /F\n");
    TempDir::Write("b.txt", "15 15 Kept\nMINIMUM LATITUDE: 25\n16 16 Skipped\n");
    TempDir::Write("c.txt", "FONT: DEFAULT\n3 3 System\n");
    for (const char* f : {"a.txt", "b.txt", "c.txt"}) AppendStringNode(&gTextFiles, f);
    childMap& pane = Pane();
    pane.RenderView();
    std::vector<std::string> texts;
    for (auto& b : gLabelBoxes) texts.push_back(b->text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Under", "Over", "Off the edge and far beyond it", "Kept", "System"}));
    EXPECT_TRUE(BoxesOverlap(gLabelBoxes[0]->box, gLabelBoxes[1]->box));
    EXPECT_FALSE(InsidePaneBox(gLabelBoxes[2]->box));
    EXPECT_EQ(gLabelBoxes[4]->font, nullptr);
    EXPECT_EQ(gLabelBoxes[4]->shadow, 2);
}

TEST_F(Overlays, LineFilesSplitAtPointsOffTheMapAndHighwaysLeaveTheLists) {
    // Two polylines: the point at latitude 30 lies outside the view.
    TempDir::Write("roads.txt", "color: light red\nthickness: 1\n2 2\n2 8\n30 10\n8 12\n8 18\n");
    TempDir::Write("S05.HWY", "color: red\n12 2\n12 18\n");
    AppendStringNode(&gLineFiles, "roads.txt");
    AppendStringNode(&gLineFiles, "S05.HWY");
    gSegmentColors[8] = 14;
    childMap& pane = Pane();
    pane.RenderView();
    const gfx::Color red = ColorOf(12), yellow = ColorOf(14);
    const gfx::Point a = At(pane, 2, 5), b = At(pane, 8, 15), gap = At(pane, 5, 10);
    EXPECT_EQ(pane.backBuffer().At(a.x, a.y), red);
    EXPECT_EQ(pane.backBuffer().At(b.x, b.y), red);
    EXPECT_EQ(Count(pane.backBuffer(), {gap.x - 20, gap.y - 20, gap.x + 20, gap.y + 20}, red), 0);
    EXPECT_EQ(Count(pane.backBuffer(), pane.backBuffer().bounds(), yellow), 0);  // HIGHWAYS off
    EXPECT_EQ(StringListCount(gLineFiles), 1);

    gShowHighways = true;
    AppendStringNode(&gLineFiles, "S05.HWY");
    pane.RenderView();
    const gfx::Point h = At(pane, 12, 10);
    EXPECT_EQ(pane.backBuffer().At(h.x, h.y), yellow);  // any colour line of a highway file is its colour
    EXPECT_EQ(StringListCount(gLineFiles), 1);
    EXPECT_EQ(gSymbolFiles, nullptr);
}

TEST_F(Overlays, PngSymbolsNeverOverlapAndPlantsGetTheirSymbol) {
    gfx::RgbaImage img;
    img.width = img.height = 6;
    img.pixels.assign(36, gfx::RgbaPixel{255, 0, 0, 255});
    img.at(0, 0).a = 0;
    ASSERT_TRUE(gfx::SavePng(img, "dot.png"));
    TempDir::Write("s.txt", "png: dot.png\n10 10\n10.1 10.1\n4 4\n");
    AppendStringNode(&gSymbolFiles, "s.txt");
    childMap& pane = Pane();
    pane.RenderView();
    EXPECT_EQ(gPngSymbolRects.size(), 2u);  // the second overlapped the first
    const gfx::Point p = At(pane, 4, 4);
    EXPECT_EQ(Count(pane.backBuffer(), {p.x - 3, p.y - 3, p.x + 3, p.y + 3}, gfx::Color{255, 0, 0}), 35);
    pane.Invalidate();
    pane.Update();
    EXPECT_TRUE(gPngSymbolRects.empty());  // painting lets them be placed anew

    // A second rendering with no paint between draws them all again.
    pane.RenderView();
    pane.RenderView();
    EXPECT_EQ(gPngSymbolRects.size(), 2u);
    EXPECT_EQ(Count(pane.backBuffer(), {p.x - 3, p.y - 3, p.x + 3, p.y + 3}, gfx::Color{255, 0, 0}), 35);
}

// Numbers beyond any pixel saturate: a line towards one runs to the pane's edge
// on its own side, never wrapped round to the other.
TEST_F(Overlays, VectorSymbolsFarBeyondThePaneSaturate) {
    struct Case {
        const char* symbol;
        bool rightOfThePoint, leftOfThePoint;  // the symbol's row is drawn there
    } cases[] = {
        {"0 0\n3e9 0\n", true, false},
        {"0 0\n-3e9 0\n", false, true},
        {"scale factor: 1e300\n0 0\n1 0\n", true, false},
        {"scale factor: 1e300\n0 0\n-1 0\n", false, true},
    };
    for (const Case& c : cases) {
        TempDir::Write("FAR", c.symbol);
        TempDir::Write("s.txt", "symbol: far\ncolor: white\n10 10\n");
        FreeStringList(&gSymbolFiles);
        AppendStringNode(&gSymbolFiles, "s.txt");
        childMap& pane = Pane();
        pane.RenderView();
        const gfx::Point p = At(pane, 10, 10);
        int right = 0, left = 0;
        for (int y = p.y - 2; y <= p.y + 2; ++y) {
            right += pane.backBuffer().At(gMapRect.right - 5, y) == gfx::kWhite;
            left += pane.backBuffer().At(gMapRect.left + 5, y) == gfx::kWhite;
        }
        EXPECT_EQ(right > 0, c.rightOfThePoint) << c.symbol;
        EXPECT_EQ(left > 0, c.leftOfThePoint) << c.symbol;
    }
}

TEST_F(Overlays, PaintTimePlateLabelsRegisterNothingAndLeaveTheMapImage) {
    TempDir::Write("T.plt", "10 10 PACIFIC PLATE\n10 10 PACIFIC PLATE\n");
    TempDir::Write("T.CAF", "5 5 Town\n");
    AppendStringNode(&gTextFiles, "T.CAF");
    gPltFileName = "T.plt";
    gShowPlates = true;
    childMap& pane = Pane();
    pane.RenderView();
    const std::size_t boxes = gLabelBoxes.size();
    EXPECT_EQ(boxes, 1u);
    const gfx::Point p = At(pane, 10, 10);
    EXPECT_GT(Count(pane.backBuffer(), {p.x - 80, p.y - 30, p.x + 80, p.y + 30}, gfx::kWhite), 20);
    auto before = gfx::Surface::Create(461, 461);
    gfx::DrawContext(*before).Blit(before->bounds(), *pane.mapImageSurface(), {0, 0}, gfx::RasterOp::Copy);
    for (int i = 0; i < 3; ++i) {
        pane.Invalidate();
        pane.Update();
    }
    EXPECT_EQ(gLabelBoxes.size(), boxes);
    EXPECT_EQ(Count(*pane.mapImageSurface(), {p.x - 80, p.y - 30, p.x + 80, p.y + 30}, gfx::kWhite),
              Count(*before, {p.x - 80, p.y - 30, p.x + 80, p.y + 30}, gfx::kWhite));
}

TEST_F(Overlays, RegionLabelsGoToTheCentroidOfTheirPolygon) {
    TempDir::Write("CountryBorders.txt", "    4 SQUARELAND\n12 2\n18 2\n18 8\n12 8\n");
    TempDir::Write("T.country.txt", "horizontal justify: center\nvertical justify: center\n1 1 SQUARELAND /CENTROID\n");
    AppendStringNode(&gTextFiles, "T.country.txt");
    childMap& pane = Pane();  // reads the border sets through the installed hook
    ASSERT_NE(pane.BorderSetOfKind("country"), nullptr);
    pane.RenderView();
    ASSERT_EQ(gLabelBoxes.size(), 1u);
    const gfx::Point c = At(pane, 15, 5);
    const gfx::Point anchor = gLabelBoxes[0]->anchor;
    EXPECT_NEAR(anchor.x, c.x - gMapRect.left, 2);
    EXPECT_NEAR(anchor.y, c.y - gMapRect.top, 12);  // the centroid of the projected polygon
    EXPECT_EQ(gLabelBoxes[0]->text, "SQUARELAND");
}

}  // namespace

namespace {

namespace fs = std::filesystem;

fs::path DataDir() { return fs::weakly_canonical(fs::path(KESTRUNE_FIXTURES) / ".." / ".." / "data"); }

// With KESTRUNE_PNG_DIR set, renderings are kept there for a person to look at.
void KeepPng(const gfx::Surface& s, const std::string& name) {
    if (const char* dir = std::getenv("KESTRUNE_PNG_DIR")) (void)gfx::SavePng(s, (fs::path(dir) / name).string());
}

class BundledOverlays : public Overlays {
protected:
    void SetUp() override {
        Overlays::SetUp();
        // The plant pass and the border sets read the current folder only.
        for (const char* f : {"QUORVEL.INI", "JAPAN", "ALASKA", "WORLD", "StateBorders.txt", "CountryBorders.txt",
                              "JAPAN.npp.txt", "ALASKA.npp.txt", "WORLD.npp.txt"})
            fs::copy_file(DataDir() / f, f, fs::copy_options::overwrite_existing);
        ASSERT_EQ(ReadConfigFile(), 0);
        gProgramDir = DataDir().string();
    }
    void TearDown() override {
        Overlays::TearDown();
        gProgramDir.clear();
    }
    childMap& Open(const char* view) {
        EXPECT_EQ(ReadViewFile(view), 0);
        gRedrawMap = true;
        owner_ = std::make_unique<ui::Window>(nullptr, "layout");
        owner_->MoveWindow({0, 0, 1280, 800});
        auto* pane = new childMap(owner_.get());
        pane->MoveWindow({0, 0, 1280, 800});
        EXPECT_TRUE(owner_->Create());
        pane->RenderView();
        return *pane;
    }
    static const LabelBox* Find(const char* text) {
        for (auto& b : gLabelBoxes)
            if (b->text.find(text) != std::string::npos) return b.get();
        return nullptr;
    }
};

TEST_F(BundledOverlays, JapanShowsCitiesPlantsAndCountries) {
    childMap& pane = Open("JAPAN");
    ExpectNoOverlaps();
    EXPECT_NE(Find("Tokyo"), nullptr);
    EXPECT_NE(Find("Sapporo"), nullptr);
    EXPECT_NE(Find("NORTH KOREA"), nullptr);  // placed at its centroid
    EXPECT_NE(Find("SOUTH KOREA"), nullptr);
    // The operating plants' yellow disc and the city squares' white.
    int yellow = 0;
    const gfx::Surface& s = pane.backBuffer();
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) {
            const gfx::Color c = s.At(x, y);
            yellow += c.red() > 200 && c.green() > 150 && c.blue() < 80;
        }
    EXPECT_GT(yellow, 100);
    const gfx::Point tokyo = At(pane, 35.690, 139.692);
    EXPECT_GT(Count(s, {tokyo.x - 3, tokyo.y - 3, tokyo.x + 4, tokyo.y + 4}, gfx::kWhite), 10);
    KeepPng(s, "overlay-japan.png");
}

TEST_F(BundledOverlays, AlaskaLabelsItsStateAndTheWorldItsCountries) {
    Open("ALASKA");
    EXPECT_NE(Find("ALASKA"), nullptr);
    EXPECT_NE(Find("Anchorage"), nullptr);
    ExpectNoOverlaps();
    childMap& world = Open("WORLD");
    for (const char* label : {"CHINA", "BRAZIL", "RUSSIA", "SAUDI", "London", "Tokyo"})
        EXPECT_NE(Find(label), nullptr) << label;
    EXPECT_EQ(Find("City of London"), nullptr);  // one place, one label
    ExpectNoOverlaps();
    KeepPng(world.backBuffer(), "overlay-world.png");
}

}  // namespace
