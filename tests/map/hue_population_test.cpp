// Hue files into the terrain palette, and the population overlay on a sparse
// full-width grid.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/view.h"
#include "map/hue.h"
#include "map/population.h"
#include "map/proj.h"
#include "platform/gfx/surface.h"
#include "tests/support/map_fit.h"
#include "tests/support/temp_dir.h"

namespace gfx = platform::gfx;

namespace {

std::string Slurp(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(HueFile, ARampOfSixteenShadesNeverReachesItsEnd) {
    TempDir dir;
    TempDir::Write("red.hue", "0 255 0 0 0 0\n");
    int bands = -1;
    std::unique_ptr<gfx::Palette> p = ReadHueFile("red.hue", &bands);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->size(), 496);
    EXPECT_EQ(bands, 1);
    const int reds[] = {0, 15, 31, 47, 63, 79, 95, 111, 127, 143, 159, 175, 191, 207, 223, 239};
    for (int i = 0; i < 16; ++i) EXPECT_EQ((*p)[i], (gfx::Color{static_cast<std::uint8_t>(reds[i]), 0, 0})) << i;
    for (int i = 0; i < 16; ++i) EXPECT_EQ((*p)[16 + i], kStandardColors[i]);
    EXPECT_EQ((*p)[32], gfx::kBlack);
    EXPECT_EQ((*p)[495], gfx::kBlack);
}

TEST(HueFile, LongShortAndMissingFiles) {
    TempDir dir;
    std::string lines;
    for (int i = 0; i < 35; ++i) lines += std::to_string(i) + " " + std::to_string(i) + " 0 0 0 0\n";
    TempDir::Write("long.hue", lines);
    int bands = 0;
    std::unique_ptr<gfx::Palette> p = ReadHueFile("long.hue", &bands);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(bands, 30);
    EXPECT_EQ((*p)[29 * 16], (gfx::Color{29, 0, 0}));
    EXPECT_EQ((*p)[30 * 16 + 15], kStandardColors[15]);
    // Every line is kept for the editor, however many.
    EXPECT_EQ(ReadHueLines("long.hue").size(), 35u);

    TempDir::Write("short.hue", "1 2 3\n");
    p = ReadHueFile("short.hue", &bands);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(bands, 0);
    EXPECT_EQ((*p)[1], kStandardColors[1]);
    EXPECT_EQ(ReadHueFile("none.hue", &bands), nullptr);
    EXPECT_EQ(bands, 0);
    // Values past 255 keep their low byte.
    EXPECT_EQ(HueRampComponent(256, 256, 0), 0);
}

TEST(HueFile, WritingGivesSixFieldsALineAndReadsBack) {
    TempDir dir;
    const std::vector<HueLine> lines = {{0, 255, 7, 8, 100, 200}, {1, 2, 3, 4, 5, 6}};
    ASSERT_TRUE(WriteHueLines("out.hue", lines));
    EXPECT_EQ(Slurp("out.hue"), "  0 255   7   8 100 200 \n  1   2   3   4   5   6 \n");
    EXPECT_EQ(ReadHueLines("out.hue"), lines);
    EXPECT_FALSE(WriteHueLines("no/such/folder/out.hue", lines));
}

class Population : public ::testing::Test {
protected:
    void SetUp() override {
        ResetConfigValues();
        ResetViewSettings();
        BuildMercatorTable();
        const int levels[3] = {500, 2500, 10000};
        for (int i = 0; i < 3; ++i) {
            gPopulationLevels[i] = levels[i];
            for (int k = 0; k < 3; ++k) gPopulationColors[i][k] = k == i ? 255 : 0;
        }
    }
    void TearDown() override { ResetConfigValues(); }

    // Cells from (row, column) onward along the row, in a sparse grid to 60 S.
    void Put(std::FILE* f, long long row, long long column, const std::vector<unsigned char>& bytes) {
        ASSERT_EQ(fseeko(f, static_cast<off_t>(row * kPopulationColumns + column), SEEK_SET), 0);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    }
    void Fit(double south, double north, double west, double east, int width, int height) {
        ASSERT_TRUE(testsupport::FitMap(proj_, south, north, west, east, width, height));
        surface_ = gfx::Surface::Create(gMapWidth, gMapHeight, gfx::Color{1, 2, 3});
        dc_ = std::make_unique<gfx::DrawContext>(*surface_);
    }
    gfx::Color At(double lat, double lon) const {
        std::int32_t row = 0, col = 0;
        proj_.LatLonToPixel(lat, Proj::LonOffset(lon, gWestEdge), &row, &col);
        return surface_->At(col, row);
    }

    TempDir dir_;
    Proj proj_;
    std::unique_ptr<gfx::Surface> surface_;
    std::unique_ptr<gfx::DrawContext> dc_;
};

// Each class a block of 120 x 120 cells (one degree) around 10 N.
TEST_F(Population, DensityClassesGetTheirColoursEitherSideOfLongitudeZero) {
    std::FILE* f = std::fopen("POP.BIN", "wb");
    ASSERT_NE(f, nullptr);
    const int values[] = {5, 6, 26, 101};
    const double lons[] = {-15, -5, 5, 15};  // block west edges
    for (int b = 0; b < 4; ++b) {
        const long long column = static_cast<long long>((lons[b] < 0 ? lons[b] + 360 : lons[b]) * 120);
        for (int r = 50 * 120; r < 51 * 120; ++r) Put(f, r, column, std::vector<unsigned char>(120, values[b]));
    }
    Put(f, 150 * 120 - 1, 0, {0});  // the grid runs to 90 S
    std::fclose(f);

    Fit(0, 65, -20, 20, 800, 1200);
    DrawPopulation(*dc_, proj_, "POP.BIN");
    const gfx::Color untouched{1, 2, 3};
    EXPECT_EQ(At(9.5, -14.5), untouched);              // 5: not above level 1
    EXPECT_EQ(At(9.5, -4.5), (gfx::Color{255, 0, 0}));  // 6: colour 1
    EXPECT_EQ(At(9.5, 5.5), (gfx::Color{0, 255, 0}));   // 26: colour 2
    EXPECT_EQ(At(9.5, 15.5), (gfx::Color{0, 0, 255})); // 101: colour 3
    // North of 60 N nothing is drawn.
    for (int x = 0; x < gMapWidth; ++x) EXPECT_EQ(At(62, -20 + 40.0 * (x + 0.5) / gMapWidth), untouched);

    // Ten pixels a cell: a block's edges fall where its cells are, not a cell off.
    Fit(9.4, 9.6, 4.9, 6.1, 1440, 4000);
    DrawPopulation(*dc_, proj_, "POP.BIN");
    EXPECT_EQ(At(9.5, 5.0 + 0.5 / 120), (gfx::Color{0, 255, 0}));
    EXPECT_EQ(At(9.5, 5.0 - 0.5 / 120), untouched);
    EXPECT_EQ(At(9.5, 6.0 - 0.5 / 120), (gfx::Color{0, 255, 0}));
    EXPECT_EQ(At(9.5, 6.0 + 0.5 / 120), untouched);
    DrawPopulation(*dc_, proj_, "none.bin");  // a missing file draws nothing
}

}  // namespace
