// PNG and JPEG files: round trips, colour-type expansion, and the malformed
// corpus, each file refused with the fault it carries and never fatal.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "../support/temp_dir.h"
#include "gfx_pixels.h"

using namespace platform::gfx;
using namespace gfxtest;

namespace {

std::string Fixture(const std::string& name) { return std::string(KESTRUNE_FIXTURES) + "/" + name; }

std::unique_ptr<Surface> Quadrants() {
    auto s = Surface::Create(16, 16);
    const Color colours[4] = {{200, 30, 30}, {30, 200, 30}, {30, 30, 200}, {220, 220, 220}};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) s->row(y)[x] = colours[(y / 8) * 2 + x / 8].value();
    return s;
}

// JPEG is lossy: flat 8 x 8 blocks come back within a few levels (ringing next
// to saturated neighbours reaches 9 at quality 90), away from the borders where
// the default 2 x 2 chroma subsampling blends neighbours.
constexpr int kJpegTolerance = 12;
bool Interior(int x, int y) { return x % 8 != 0 && x % 8 != 7 && y % 8 != 0 && y % 8 != 7; }

bool Near(Color a, Color b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

}  // namespace

TEST(GfxPng, SurfaceRoundTripIsExact) {
    TempDir dir;
    auto s = Surface::Create(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) s->row(y)[x] = Color(x * 50, y * 100, 7 + x * y).value();
    ASSERT_TRUE(SavePng(*s, "rgb.png"));
    auto back = LoadPng("rgb.png");
    ASSERT_TRUE(back);
    ASSERT_EQ(back->width, 5);
    ASSERT_EQ(back->height, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            RgbaPixel p = back->at(x, y);
            EXPECT_EQ(Color(p.r, p.g, p.b), s->At(x, y));
            EXPECT_EQ(p.a, 255);
        }
}

TEST(GfxPng, RgbaRoundTripKeepsAlpha) {
    TempDir dir;
    RgbaImage img{3, 1, {{255, 255, 0, 178}, {0, 0, 0, 0}, {1, 2, 3, 255}}};
    ASSERT_TRUE(SavePng(img, "rgba.png"));
    auto back = LoadPng("rgba.png");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->pixels, img.pixels);
    RgbaImage wrong{2, 2, {{}}};
    ImageError error;
    EXPECT_FALSE(SavePng(wrong, "wrong.png", &error));
    EXPECT_EQ(error.fault, ImageFault::CannotWrite);
}

TEST(GfxPng, PaletteGreyAndDeepFilesExpandToRgba) {
    auto pal = LoadPng(Fixture("gfx/palette_trns.png"));
    ASSERT_TRUE(pal);
    const RgbaPixel red{255, 0, 0, 255}, green{0, 255, 0, 255}, clear{0, 0, 255, 0};
    EXPECT_EQ(pal->pixels, (std::vector<RgbaPixel>{red, green, clear, red, green, green, clear, red}));

    auto grey = LoadPng(Fixture("gfx/grey16.png"));  // 16-bit samples keep their high byte
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey->pixels, (std::vector<RgbaPixel>{
                                {0, 0, 0, 255}, {255, 255, 255, 255}, {0x80, 0x80, 0x80, 255}, {0x12, 0x12, 0x12, 255}}));
}

// Every colour type at its bit depths, with transparency and interlacing, comes
// out as the same RGBA picture (files made by fixtures/gfx/make_colour_types.py).
TEST(GfxPng, EveryColourTypeAndDepthThroughTheSameTransforms) {
    const RgbaPixel red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255}, white{255, 255, 255, 255},
        black{0, 0, 0, 255}, grey{0x80, 0x80, 0x80, 255}, yellow{255, 255, 0, 255}, clear{0, 0, 255, 0};
    const std::vector<RgbaPixel> picture = {red, green, blue, white, black, grey, yellow, clear};
    std::vector<RgbaPixel> opaque = picture;
    opaque[7].a = 255;
    std::vector<RgbaPixel> keyed = opaque;  // tRNS keys pure blue
    keyed[2].a = 0;
    keyed[7].a = 0;
    auto greys = [](int depth, bool alpha, int keyed) {
        const int values[8] = {0, 0x55, 0xAA, 0xFF, 0xFF, 0xAA, 0x55, 0};
        std::vector<RgbaPixel> out;
        for (int v : values) {
            const int levels = (1 << std::min(depth, 8)) - 1;
            const auto g = static_cast<std::uint8_t>((v >> (8 - std::min(depth, 8))) * 255 / levels);
            const auto a = static_cast<std::uint8_t>(alpha ? 255 - v : (v == keyed ? 0 : 255));
            out.push_back({g, g, g, a});
        }
        return out;
    };
    const struct {
        const char* file;
        std::vector<RgbaPixel> want;
    } cases[] = {
        {"ct0_1.png", greys(1, false, -1)},   {"ct0_2.png", greys(2, false, -1)},
        {"ct0_4.png", greys(4, false, -1)},   {"ct0_8.png", greys(8, false, -1)},
        {"ct0_16.png", greys(16, false, -1)}, {"ct0_8_trns.png", greys(8, false, 0x55)},
        {"ct2_8.png", opaque},                {"ct2_16.png", opaque},
        {"ct2_8_trns.png", keyed},            {"ct2_8_i.png", opaque},
        {"ct3_4.png", picture},               {"ct3_8.png", picture},
        {"ct4_8.png", greys(8, true, -1)},    {"ct4_16.png", greys(16, true, -1)},
        {"ct6_8.png", picture},               {"ct6_16.png", picture},
        {"ct6_8_i.png", picture},
    };
    for (const auto& c : cases) {
        ImageError error;
        auto image = LoadPng(Fixture(std::string("gfx/") + c.file), &error);
        ASSERT_TRUE(image) << c.file << ": " << error.message;
        EXPECT_EQ(image->width, 4) << c.file;
        EXPECT_EQ(image->height, 2) << c.file;
        EXPECT_EQ(image->pixels, c.want) << c.file;
    }
}

TEST(GfxJpeg, RoundTripWithinTheLossyTolerance) {
    TempDir dir;
    auto s = Quadrants();
    ASSERT_TRUE(SaveJpeg(*s, "q.jpg", 90));
    auto back = LoadJpeg("q.jpg");
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->size(), s->size());
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (Interior(x, y)) {
                EXPECT_TRUE(Near(back->At(x, y), s->At(x, y), kJpegTolerance)) << x << "," << y;
            }
}

// A part saved in place makes the same file as that part copied out first,
// also where it reaches beyond the image (black there).
TEST(GfxJpeg, PartOfAnImageSavesAsItsCopy) {
    TempDir dir;
    auto big = Surface::Create(40, 30, Color{20, 40, 60});
    DrawContext dc(*big);
    dc.FillRect({5, 3, 25, 20}, Brush::Solid(Color{200, 10, 90}));
    dc.FillRect({18, 9, 37, 28}, Brush::Solid(Color{10, 220, 30}));
    for (const Rect area : {Rect{3, 2, 36, 27}, Rect{-4, -3, 44, 33}, Rect{0, 20, 40, 70}}) {
        SCOPED_TRACE(area.top);
        auto copy = Surface::Create(area.width(), area.height());
        DrawContext(*copy).Blit(copy->bounds(), *big, {area.left, area.top}, RasterOp::Copy);
        ASSERT_TRUE(SaveJpeg(*copy, "copy.jpg"));
        ASSERT_TRUE(SaveJpeg(*big, area, "part.jpg"));
        EXPECT_EQ(TempDir::Read("part.jpg"), TempDir::Read("copy.jpg"));
    }
    ImageError error;
    EXPECT_FALSE(SaveJpeg(*big, Rect{30, 0, 30, 10}, "none.jpg", 75, &error));
    EXPECT_EQ(error.fault, ImageFault::CannotWrite);
    EXPECT_FALSE(std::filesystem::exists("none.jpg"));
}

TEST(GfxJpeg, ColourAndGreyFilesDecodeToRgb) {
    auto colour = LoadJpeg(Fixture("gfx/colour16.jpg"));
    ASSERT_NE(colour, nullptr);
    auto expected = Quadrants();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (Interior(x, y)) {
                EXPECT_TRUE(Near(colour->At(x, y), expected->At(x, y), kJpegTolerance)) << x << "," << y;
            }

    auto grey = LoadJpeg(Fixture("gfx/grey8.jpg"));
    ASSERT_NE(grey, nullptr);
    ASSERT_EQ(grey->size(), (Size{8, 8}));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            Color c = grey->At(x, y);
            EXPECT_EQ(c.red(), c.green());
            EXPECT_EQ(c.green(), c.blue());
            if (y != 3 && y != 4) {
                EXPECT_NEAR(c.red(), y < 4 ? 40 : 180, kJpegTolerance) << x << "," << y;
            }
        }
}

TEST(GfxJpeg, CmykFilesAreUnsupported) {
    ImageError error;
    EXPECT_EQ(LoadJpeg(Fixture("gfx/cmyk8.jpg"), &error), nullptr);
    EXPECT_EQ(error.fault, ImageFault::Unsupported);
}

TEST(GfxImage, MalformedFilesAreRefusedWithTheirFault) {
    const struct {
        const char* file;
        ImageFault fault;
    } pngs[] = {
        {"malformed/empty.png", ImageFault::WrongFormat},
        {"malformed/text_named.png", ImageFault::WrongFormat},
        {"malformed/bad_ihdr_crc.png", ImageFault::BadHeader},
        {"malformed/zero_width.png", ImageFault::BadHeader},
        {"malformed/huge_dimensions.png", ImageFault::TooLarge},
        {"malformed/screens_wide.png", ImageFault::TooLarge},  // 16384 x 16384 in 66 bytes
        {"malformed/truncated_idat.png", ImageFault::BadData},
        {"malformed/bad_zlib.png", ImageFault::BadData},
        {"malformed/no_such_file.png", ImageFault::CannotOpen},
    };
    for (const auto& c : pngs) {
        ImageError error;
        EXPECT_FALSE(LoadPng(Fixture(c.file), &error)) << c.file;
        EXPECT_EQ(error.fault, c.fault) << c.file << ": " << error.message;
    }
    const struct {
        const char* file;
        ImageFault fault;
    } jpegs[] = {
        {"malformed/png_named.jpg", ImageFault::WrongFormat},
        {"malformed/empty.png", ImageFault::WrongFormat},
        {"malformed/garbage_after_soi.jpg", ImageFault::BadHeader},
        {"malformed/truncated_header.jpg", ImageFault::BadHeader},
        {"malformed/truncated_scan.jpg", ImageFault::BadData},
        {"malformed/screens_wide.jpg", ImageFault::TooLarge},  // 16384 x 16384 in 346 bytes
        {"malformed/no_such_file.jpg", ImageFault::CannotOpen},
    };
    for (const auto& c : jpegs) {
        ImageError error;
        EXPECT_EQ(LoadJpeg(Fixture(c.file), &error), nullptr) << c.file;
        EXPECT_EQ(error.fault, c.fault) << c.file << ": " << error.message;
    }
}

TEST(GfxImage, FailedWritesReportAndLeaveNoFile) {
    TempDir dir;
    auto s = Surface::Create(2, 2);
    ImageError error;
    EXPECT_FALSE(SavePng(*s, "missing/folder/x.png", &error));
    EXPECT_EQ(error.fault, ImageFault::CannotWrite);
    EXPECT_FALSE(SaveJpeg(*s, "missing/folder/x.jpg", 75, &error));
    EXPECT_EQ(error.fault, ImageFault::CannotOpen);
    auto empty = Surface::Create(0, 0);
    EXPECT_FALSE(SaveJpeg(*empty, "empty.jpg", 75, &error));
    EXPECT_EQ(error.fault, ImageFault::CannotWrite);
    EXPECT_FALSE(std::filesystem::exists("empty.jpg"));
}

// A disk that fills up mid-file: the writers say so and leave no partial file.
// The file-size limit stands in for the full disk; its signal is ignored so
// that the write fails with EFBIG instead of ending the test.
TEST(GfxImage, WritesThatRunOutOfRoomAreFailures) {
    TempDir dir;
    auto noise = Surface::Create(32, 32);
    std::uint32_t seed = 12345;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) noise->row(y)[x] = (seed = seed * 1103515245u + 12345u) >> 8;
    RgbaImage rgba;
    rgba.width = rgba.height = 32;
    rgba.pixels.resize(32 * 32);
    for (std::size_t i = 0; i < rgba.pixels.size(); ++i) {
        const std::uint32_t v = noise->row(0)[i];
        rgba.pixels[i] = {static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
                          static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 3)};
    }
    ASSERT_TRUE(SavePng(*noise, "room.png"));
    ASSERT_GT(std::filesystem::file_size("room.png"), 2000u);
    ASSERT_LT(std::filesystem::file_size("room.png"), 8192u);  // within one stream buffer
    std::filesystem::remove("room.png");

    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    ImageError error;
    const bool png = SavePng(*noise, "room.png", &error);
    const ImageFault pngFault = error.fault;
    const bool pngRgba = SavePng(rgba, "room-rgba.png", &error);
    const ImageFault rgbaFault = error.fault;
    const bool jpeg = SaveJpeg(*noise, "room.jpg", 100, &error);
    const ImageFault jpegFault = error.fault;
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(png);
    EXPECT_EQ(pngFault, ImageFault::CannotWrite);
    EXPECT_FALSE(pngRgba);
    EXPECT_EQ(rgbaFault, ImageFault::CannotWrite);
    EXPECT_FALSE(jpeg);
    EXPECT_EQ(jpegFault, ImageFault::CannotWrite);
    for (const char* f : {"room.png", "room-rgba.png", "room.jpg"}) EXPECT_FALSE(std::filesystem::exists(f)) << f;
}
