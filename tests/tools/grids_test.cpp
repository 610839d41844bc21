// The grids the set-up makes: a classic netCDF reader on a file written
// here, and the population grid from a two-city table.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "tests/support/temp_dir.h"
#include "tools/grids.h"

namespace {

// Big-endian pieces of a classic netCDF file.
struct Cdf {
    std::string b;
    void U32(std::uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<char>((v >> s) & 0xFF));
    }
    void Name(const std::string& n) {
        U32(static_cast<std::uint32_t>(n.size()));
        b += n;
        while (b.size() % 4) b.push_back('\0');
    }
};

// dims y = 3, x = 2; a global text attribute; Y (short), V (float) with an attribute.
std::string TinyCdf(bool damaged) {
    Cdf c;
    c.b = "CDF";
    c.b.push_back('\1');
    c.U32(0);
    c.U32(0x0A), c.U32(2), c.Name("y"), c.U32(3), c.Name("x"), c.U32(2);
    c.U32(0x0C), c.U32(1), c.Name("title"), c.U32(2), c.U32(5), c.b += "tiny", c.b.push_back('!'), c.b += std::string(3, '\0');
    c.U32(0x0B), c.U32(2);
    const std::size_t yBegin = 200, vBegin = 208;
    c.Name("Y"), c.U32(1), c.U32(0), c.U32(0), c.U32(0), c.U32(3), c.U32(8), c.U32(yBegin);
    c.Name("V"), c.U32(2), c.U32(0), c.U32(1);
    c.U32(0x0C), c.U32(1), c.Name("units"), c.U32(2), c.U32(1), c.b += "m", c.b += std::string(3, '\0');
    c.U32(5), c.U32(24), c.U32(damaged ? 100000 : vBegin);
    c.b.resize(yBegin, '\0');
    for (int v : {-5, 0, 7}) c.b.push_back(static_cast<char>((v >> 8) & 0xFF)), c.b.push_back(static_cast<char>(v & 0xFF));
    c.b.resize(vBegin, '\0');
    for (float f : {1.5f, -2.0f, 3.0f, 4.0f, 5.0f, -6.25f}) {
        std::uint32_t u;
        std::memcpy(&u, &f, 4);
        c.U32(u);
    }
    return c.b;
}

TEST(Grids, TheNetCdfReaderTakesItsVariablesAndRefusesDamage) {
    TempDir dir;
    TempDir::Write("tiny.cdf", TinyCdf(false));
    std::string error;
    const auto y = ReadNetCdfVariable("tiny.cdf", "Y", &error);
    ASSERT_TRUE(y) << error;
    EXPECT_EQ(y->shape, (std::vector<std::size_t>{3}));
    EXPECT_EQ(y->values, (std::vector<double>{-5, 0, 7}));
    const auto v = ReadNetCdfVariable("tiny.cdf", "V", &error);
    ASSERT_TRUE(v) << error;
    EXPECT_EQ(v->shape, (std::vector<std::size_t>{3, 2}));
    EXPECT_EQ(v->values, (std::vector<double>{1.5, -2, 3, 4, 5, -6.25}));

    EXPECT_FALSE(ReadNetCdfVariable("tiny.cdf", "W", &error));
    EXPECT_EQ(error, "no variable W");
    TempDir::Write("damaged.cdf", TinyCdf(true));
    EXPECT_FALSE(ReadNetCdfVariable("damaged.cdf", "V", &error));
    TempDir::Write("cut.cdf", TinyCdf(false).substr(0, 60));
    EXPECT_FALSE(ReadNetCdfVariable("cut.cdf", "V", &error));
    TempDir::Write("text.cdf", "hello");
    EXPECT_FALSE(ReadNetCdfVariable("text.cdf", "V", &error));
    EXPECT_EQ(error, "not a classic netCDF file");
    // The right variables of the wrong size are no world grid.
    EXPECT_FALSE(ConvertEtopo5("tiny.cdf", "out.dat", &error));
    EXPECT_FALSE(CutUsaGrid("tiny.cdf", "usa.z", &error));
}

TEST(Grids, ThePopulationGridSpreadsEachCityAroundItsCell) {
    TempDir dir;
    TempDir::Write("cities.csv",
                   "Bigtown,Region,Land,10.0021,20.0021,5000000,LD\n"
                   "\"Small, town\",Region,Land,-30.0021,-40.0021,20000,LD\n"
                   "Northtown,Region,Land,70.0,20.0,900000,LD\n");
    std::string error;
    ASSERT_TRUE(BuildPopulationGrid("cities.csv", "pop.dat", &error)) << error;
    struct stat st {};
    ASSERT_EQ(stat("pop.dat", &st), 0);
    EXPECT_EQ(st.st_size, 43200LL * kPopulationGridRows);
    auto at = [](double lat, double lon) {
        std::FILE* f = std::fopen("pop.dat", "rb");
        const long long row = static_cast<long long>((60 - lat) * 120);
        const long long col = static_cast<long long>((lon < 0 ? lon + 360 : lon) * 120);
        fseeko(f, row * 43200 + col, SEEK_SET);
        const int v = std::fgetc(f);
        std::fclose(f);
        return v;
    };
    EXPECT_GT(at(10.0021, 20.0021), 50);  // a big city's centre: above 5,000 people a km²
    EXPECT_GT(at(10.2, 20.0021), 0);      // it reaches some 28 km
    EXPECT_EQ(at(10.5, 20.0021), 0);
    EXPECT_GT(at(-30.0021, -40.0021), 5);  // a small town west of longitude 0
    EXPECT_EQ(at(-30.1, -40.0021), 0);
    EXPECT_FALSE(BuildPopulationGrid("missing.csv", "pop2.dat", &error));
}

}  // namespace
