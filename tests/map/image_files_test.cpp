// The map's image files: sphere frames (colours to alpha, numbering that runs
// across views), the sphere legend, PNG symbols placed above their point, and
// damaged PNG files told once.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/config.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/draw.h"
#include "map/image_files.h"
#include "map/overlay.h"
#include "platform/gfx/draw_context.h"
#include "platform/gfx/image.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/window.h"
#include "tests/support/temp_dir.h"

namespace ui = platform::ui;
namespace gfx = platform::gfx;

namespace {

namespace fs = std::filesystem;
namespace headless = platform::headless;

std::string Fixture(const char* name) { return (fs::path(KESTRUNE_FIXTURES) / name).string(); }

// With KESTRUNE_PNG_DIR set, the written images are kept there for a person to look at.
void Keep(const std::string& file, const std::string& as) {
    if (const char* dir = std::getenv("KESTRUNE_PNG_DIR"))
        fs::copy_file(file, fs::path(dir) / as, fs::copy_options::overwrite_existing);
}

}  // namespace

TEST(SphereFrames, ColoursBecomeAlphaAndRowsStayUpright) {
    auto s = gfx::Surface::Create(4, 2, gfx::kBlack);
    gfx::DrawContext dc(*s);
    const struct {
        int x, y;
        gfx::Color c;
        gfx::RgbaPixel want;
    } cases[] = {
        {0, 0, gfx::Color{255, 255, 0}, {255, 255, 0, 178}},  // pure yellow: see-through
        {1, 0, gfx::Color{254, 255, 0}, {254, 255, 0, 255}},  // dark yellow: opaque
        {2, 0, gfx::Color{255, 255, 1}, {255, 255, 1, 255}},
        {3, 0, gfx::Color{0, 0, 1}, {0, 0, 1, 255}},          // near black: opaque
        {0, 1, gfx::kWhite, {255, 255, 255, 255}},
        {1, 1, gfx::kBlack, {0, 0, 0, 0}},                    // black: the globe shows
    };
    for (const auto& c : cases) dc.SetPixel({c.x, c.y}, c.c);
    const gfx::RgbaImage image = SphereFrameImage(*s);
    ASSERT_EQ(image.width, 4);
    ASSERT_EQ(image.height, 2);
    for (const auto& c : cases) EXPECT_EQ(image.at(c.x, c.y), c.want) << c.x << "," << c.y;
    {
        TempDir dir;  // the file, written row by row, holds the same pixels
        ASSERT_TRUE(WriteRgbaPng(*s, "frame.png"));
        const auto back = gfx::LoadPng("frame.png");
        ASSERT_TRUE(back);
        EXPECT_EQ(back->pixels, image.pixels);
    }

    EXPECT_EQ(SphereFrameName(1), "sos\\se0001.png");
    EXPECT_EQ(SphereFrameName(10), "sos\\se0010.png");
    EXPECT_EQ(SphereFrameName(99999), "sos\\se99999.png");
    EXPECT_EQ(SphereFrameName(2147483647), "sos\\se2147483647.png");
}

TEST(SphereFrames, NumberedFromOneAcrossViewsAndReadBack) {
    TempDir dir;
    headless::Reset();
    ResetImageFiles();
    ResetViewSettings();
    BuildMercatorTable();
    gControls[kControlScienceOnASphere] = 1;
    const gfx::Size keptSize = gSphereImageSize;
    gSphereImageSize = {64, 32};
    fs::create_directory("sos");
    auto owner = std::make_unique<ui::Window>(nullptr, "layout");
    owner->MoveWindow({0, 0, 200, 120});
    auto* pane = new childMap(owner.get());
    pane->MoveWindow({0, 0, 200, 120});
    ASSERT_TRUE(owner->Create());
    pane->RenderView();
    ASSERT_NE(pane->sphereDisplay(), nullptr);
    pane->sphereDisplay()->SetPixel({5, 0}, gfx::Color{255, 255, 0});
    pane->sphereDisplay()->SetPixel({6, 31}, gfx::Color{200, 10, 10});
    for (int i = 0; i < 9; ++i) pane->SaveSphereFrame();
    pane->RenderView();  // a new view: the numbering runs on
    pane->sphereDisplay()->SetPixel({5, 0}, gfx::Color{255, 255, 0});
    pane->SaveSphereFrame();
    EXPECT_EQ(gSphereFrameCounter, 10);
    EXPECT_TRUE(fs::exists("sos/se0001.png"));
    EXPECT_TRUE(fs::exists("sos/se0009.png"));
    ASSERT_TRUE(fs::exists("sos/se0010.png"));
    EXPECT_FALSE(fs::exists("sos/se0000.png"));
    EXPECT_FALSE(fs::exists("sos/se0011.png"));

    const auto first = gfx::LoadPng("sos/se0001.png");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->width, 64);
    EXPECT_EQ(first->at(5, 0), (gfx::RgbaPixel{255, 255, 0, 178}));
    EXPECT_EQ(first->at(6, 31), (gfx::RgbaPixel{200, 10, 10, 255}));
    EXPECT_EQ(first->at(0, 0), (gfx::RgbaPixel{0, 0, 0, 0}));
    const auto tenth = gfx::LoadPng("sos/se0010.png");
    ASSERT_TRUE(tenth);
    EXPECT_EQ(tenth->at(6, 31), (gfx::RgbaPixel{0, 0, 0, 0}));  // the new view cleared the image

    // Without the folder a frame is lost, not the program.
    fs::remove_all("sos");
    pane->SaveSphereFrame();
    EXPECT_EQ(gSphereFrameCounter, 11);

    owner.reset();
    gSphereImageSize = keptSize;
    ResetConfigValues();
    ResetImageFiles();
}

TEST(SphereLegend, SymbolsAndTextsOnGreyWrittenOnceAsRgb) {
    TempDir dir;
    headless::Reset();
    ResetImageFiles();
    const std::unique_ptr<gfx::Surface> legend = DrawSphereLegend();
    ASSERT_NE(legend, nullptr);
    ASSERT_EQ(legend->width(), 512);
    ASSERT_EQ(legend->height(), 225);
    const gfx::Color grey{64, 64, 64}, red{255, 0, 0}, white = gfx::kWhite;
    EXPECT_EQ(legend->At(0, 0), grey);
    EXPECT_EQ(legend->At(511, 224), grey);
    for (int i = 1; i <= 5; ++i) {
        const int x = 102 * i - 51;
        EXPECT_EQ(legend->At(x, 84), red) << "eruption " << i;
        EXPECT_EQ(legend->At(x, 196), white) << "earthquake " << i + 4;
        EXPECT_EQ(legend->At(x + 4 * i + 2, 196), grey) << "earthquake " << i + 4 << ": radius " << 4 * i;
    }
    // Texts stand on their lines: white above y, none below.
    auto whiteIn = [&](int left, int top, int right, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += legend->At(x, y) == white;
        return n;
    };
    EXPECT_GT(whiteIn(100, 10, 412, 34), 50);   // "Volcanic Eruption Magnitude"
    EXPECT_EQ(whiteIn(100, 34, 412, 44), 0);
    EXPECT_GT(whiteIn(100, 122, 412, 146), 50);  // "Earthquake Magnitude"
    EXPECT_GT(whiteIn(40, 44, 62, 64), 5);       // "1"

    fs::create_directory("sos");
    WriteSphereLegend();
    ASSERT_TRUE(fs::exists("sos/Legend.png"));
    Keep("sos/Legend.png", "sphere-legend.png");
    const auto read = gfx::LoadPng("sos/Legend.png");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->at(0, 0), (gfx::RgbaPixel{64, 64, 64, 255}));
    EXPECT_EQ(read->at(51, 84), (gfx::RgbaPixel{255, 0, 0, 255}));
    // The legend does not change within a run: the clock's every tick leaves the file alone.
    fs::remove("sos/Legend.png");
    WriteSphereLegend();
    EXPECT_FALSE(fs::exists("sos/Legend.png"));

    // A write that failed is tried again at the next tick.
    ResetImageFiles();
    fs::remove_all("sos");
    WriteSphereLegend();
    fs::create_directory("sos");
    WriteSphereLegend();
    EXPECT_TRUE(fs::exists("sos/Legend.png"));
    ResetImageFiles();
}

TEST(PngSymbols, DrawnATenthOfTheirHeightAboveThePoint) {
    auto s = gfx::Surface::Create(200, 200, gfx::kBlack);
    gfx::DrawContext dc(*s);
    gfx::RgbaImage symbol;
    symbol.width = 10;
    symbol.height = 20;
    symbol.pixels.assign(200, gfx::RgbaPixel{255, 0, 0, 255});
    symbol.at(0, 0).a = 0;  // transparent: the map stays
    DrawPngSymbol(dc, symbol, 100, 100);
    const gfx::Color red{255, 0, 0};
    EXPECT_EQ(s->At(95, 88), gfx::kBlack);
    EXPECT_EQ(s->At(96, 88), red);
    EXPECT_EQ(s->At(104, 107), red);
    EXPECT_EQ(s->At(94, 100), gfx::kBlack);
    EXPECT_EQ(s->At(105, 100), gfx::kBlack);
    EXPECT_EQ(s->At(100, 87), gfx::kBlack);
    EXPECT_EQ(s->At(100, 108), gfx::kBlack);
}

TEST(PngSymbols, DamagedFilesAreToldOnceMissingOnesNever) {
    headless::Reset();
    ResetImageFiles();
    const struct {
        const char* file;
        const char* text;  // nullptr: no message
    } cases[] = {
        {"malformed/bad_ihdr_crc.png", "png error"},
        {"malformed/zero_width.png", "png error"},
        {"malformed/truncated_idat.png", "Error reading file"},
        {"malformed/text_named.png", nullptr},
        {"malformed/empty.png", nullptr},
        {"malformed/no_such_file.png", nullptr},
        {"malformed/bad_ihdr_crc.png", nullptr},  // told already
    };
    std::size_t boxes = 0;
    for (const auto& c : cases) {
        EXPECT_FALSE(ReadPngBitmap(Fixture(c.file))) << c.file;
        const auto& calls = headless::MessageBoxCalls();
        if (!c.text) {
            EXPECT_EQ(calls.size(), boxes) << c.file;
            continue;
        }
        ASSERT_EQ(calls.size(), ++boxes) << c.file;
        EXPECT_EQ(calls.back().text, c.text) << c.file;
        EXPECT_EQ(calls.back().caption, "Write PNG error");
        EXPECT_EQ(calls.back().owner, nullptr);
        EXPECT_EQ(calls.back().icon, ui::Icon::Exclamation);
    }
    const auto good = ReadPngBitmap(Fixture("gfx/palette_trns.png"));
    ASSERT_TRUE(good);
    EXPECT_GT(good->width, 0);
    ResetImageFiles();
}
