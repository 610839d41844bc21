// Bitmap files: each pixel format read to the right colours, our own files
// read back exactly, and every damaged header field refused with its fault.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "../support/temp_dir.h"
#include "platform/gfx/bmp.h"

using namespace platform::gfx;

namespace {

void Put16(std::string& s, std::size_t at, std::uint16_t v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8);
}
void Put32(std::string& s, std::size_t at, std::uint32_t v) {
    Put16(s, at, static_cast<std::uint16_t>(v & 0xFFFF));
    Put16(s, at + 2, static_cast<std::uint16_t>(v >> 16));
}

// A bitmap with an info header: width x height (negative: top-down) at
// bitCount, a colour table of `colours` entries, masks after the header when
// given, rows from `row(y)` (file order, unpadded).
struct BmpSpec {
    int width = 3;
    int height = 2;
    int bitCount = 8;
    std::uint32_t compression = 0;
    std::vector<Color> palette;
    std::vector<std::uint32_t> masks;
    std::function<std::string(int fileRow)> row;
};

std::string MakeBmp(const BmpSpec& b) {
    const int rows = b.height < 0 ? -b.height : b.height;
    const std::size_t stride = (static_cast<std::size_t>(b.width) * b.bitCount + 31) / 32 * 4;
    const std::size_t offset = 14 + 40 + b.masks.size() * 4 + b.palette.size() * 4;
    std::string s(offset + stride * rows, '\0');
    s[0] = 'B';
    s[1] = 'M';
    Put32(s, 2, static_cast<std::uint32_t>(s.size()));
    Put32(s, 10, static_cast<std::uint32_t>(offset));
    Put32(s, 14, 40);
    Put32(s, 18, static_cast<std::uint32_t>(b.width));
    Put32(s, 22, static_cast<std::uint32_t>(b.height));
    Put16(s, 26, 1);
    Put16(s, 28, static_cast<std::uint16_t>(b.bitCount));
    Put32(s, 30, b.compression);
    Put32(s, 34, static_cast<std::uint32_t>(stride * rows));
    Put32(s, 46, static_cast<std::uint32_t>(b.palette.size()));
    std::size_t at = 54;
    for (std::uint32_t m : b.masks) Put32(s, (at += 4) - 4, m);
    for (Color c : b.palette) {
        s[at++] = static_cast<char>(c.blue());
        s[at++] = static_cast<char>(c.green());
        s[at++] = static_cast<char>(c.red());
        s[at++] = 0;
    }
    for (int r = 0; r < rows; ++r) {
        const std::string bytes = b.row(r);
        s.replace(offset + stride * r, bytes.size(), bytes);
    }
    return s;
}

const Color kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kGrey{128, 128, 128};

std::string Bytes(std::initializer_list<int> v) {
    std::string s;
    for (int b : v) s.push_back(static_cast<char>(b));
    return s;
}

// Rows in file order; a bottom-up file's first row is the picture's last.
std::vector<std::vector<Color>> Pixels(const Surface& s) {
    std::vector<std::vector<Color>> out(static_cast<std::size_t>(s.height()));
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) out[static_cast<std::size_t>(y)].push_back(s.At(x, y));
    return out;
}

using Picture = std::vector<std::vector<Color>>;

TEST(GfxBmp, EachPixelFormatReadsToItsColours) {
    // The picture every case holds: top row red green blue, bottom row grey black white.
    const Picture want = {{kRed, kGreen, kBlue}, {kGrey, kBlack, kWhite}};
    const std::vector<Color> table = {kBlack, kRed, kGreen, kBlue, kGrey, kWhite};
    struct Case {
        const char* name;
        BmpSpec spec;
    } cases[] = {
        {"8 bits, bottom-up", {3, 2, 8, 0, table, {}, [](int r) {
             return r == 0 ? Bytes({4, 0, 5}) : Bytes({1, 2, 3});
         }}},
        {"8 bits, top-down", {3, -2, 8, 0, table, {}, [](int r) {
             return r == 0 ? Bytes({1, 2, 3}) : Bytes({4, 0, 5});
         }}},
        {"4 bits", {3, 2, 4, 0, table, {}, [](int r) {
             return r == 0 ? Bytes({0x40, 0x50}) : Bytes({0x12, 0x30});
         }}},
        {"1 bit", {3, 2, 1, 0, {kRed, kGreen}, {}, [](int) { return Bytes({0x40}); }}},
        {"24 bits", {3, 2, 24, 0, {}, {}, [](int r) {
             return r == 0 ? Bytes({128, 128, 128, 0, 0, 0, 255, 255, 255})
                           : Bytes({0, 0, 255, 0, 255, 0, 255, 0, 0});
         }}},
        {"32 bits", {3, 2, 32, 0, {}, {}, [](int r) {
             return r == 0 ? Bytes({128, 128, 128, 9, 0, 0, 0, 9, 255, 255, 255, 9})
                           : Bytes({0, 0, 255, 9, 0, 255, 0, 9, 255, 0, 0, 9});
         }}},
        {"16 bits, 5-5-5", {3, 2, 16, 0, {}, {}, [](int r) {
             // 0x4210 is 16 of 31 on each channel: 132, as near 128 as five bits come.
             return r == 0 ? Bytes({0x10, 0x42, 0, 0, 0xFF, 0x7F}) : Bytes({0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00});
         }}},
        {"16 bits, 5-6-5 masks", {3, 2, 16, 3, {}, {0xF800, 0x07E0, 0x001F}, [](int r) {
             return r == 0 ? Bytes({0x10, 0x84, 0, 0, 0xFF, 0xFF}) : Bytes({0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00});
         }}},
        {"32 bits, masks in another order", {3, 2, 32, 3, {}, {0x000000FF, 0x0000FF00, 0x00FF0000}, [](int r) {
             return r == 0 ? Bytes({128, 128, 128, 0, 0, 0, 0, 0, 255, 255, 255, 0})
                           : Bytes({255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0});
         }}},
    };
    for (const Case& c : cases) {
        ImageError error;
        auto s = DecodeBmp(MakeBmp(c.spec), &error);
        ASSERT_TRUE(s) << c.name << ": " << error.message;
        Picture got = Pixels(*s);
        Picture expected = want;
        if (c.spec.bitCount == 1) expected = {{kRed, kGreen, kRed}, {kRed, kGreen, kRed}};
        // Grey in five bits is 16 of 31 (132); six bits of green give 32 of 63 (130).
        if (c.spec.bitCount == 16)
            expected[1][0] = c.spec.compression == 0 ? Color(132, 132, 132) : Color(132, 130, 132);
        EXPECT_EQ(got, expected) << c.name;
    }
}

TEST(GfxBmp, OurOwnFilesReadBackExactly) {
    TempDir dir;
    // Widths 1 to 5 cover every row padding; 20 rows of up to 5 colours make a
    // colour table, 60 rows of 3 a true-colour file.
    for (int rows : {20, 60}) {
        for (int w = 1; w <= 5; ++w) {
            auto s = Surface::Create(w, rows);
            for (int y = 0; y < rows; ++y)
                for (int x = 0; x < w; ++x) s->row(y)[x] = Color(x * 50, y * 4, 7 + x * y).value();
            ASSERT_TRUE(SaveBmp(*s, "out.bmp"));
            const std::string bytes = TempDir::Read("out.bmp");
            const int bits = static_cast<unsigned char>(bytes[28]);
            EXPECT_EQ(bits, w * rows <= 256 ? 8 : 24) << w << " x " << rows;
            ImageError error;
            auto back = LoadBmp("out.bmp", &error);
            ASSERT_TRUE(back) << w << " x " << rows << ": " << error.message;
            EXPECT_EQ(Pixels(*back), Pixels(*s)) << w << " x " << rows;
        }
    }
}

TEST(GfxBmp, DamagedFilesAreRefusedWithTheirFault) {
    const std::vector<Color> table = {kBlack, kRed, kGreen, kBlue};
    const BmpSpec good{3, 2, 8, 0, table, {}, [](int) { return Bytes({0, 1, 2}); }};
    const std::string valid = MakeBmp(good);
    ASSERT_TRUE(DecodeBmp(valid));
    using Change = std::function<void(std::string&)>;
    struct Case {
        const char* name;
        Change change;
        ImageFault fault;
    } cases[] = {
        {"no signature", [](std::string& s) { s[0] = 'P'; }, ImageFault::WrongFormat},
        {"empty file", [](std::string& s) { s.clear(); }, ImageFault::WrongFormat},
        {"file header only", [](std::string& s) { s.resize(14); }, ImageFault::BadHeader},
        {"header cut short", [](std::string& s) { s.resize(30); }, ImageFault::BadHeader},
        {"unknown header size", [](std::string& s) { Put32(s, 14, 41); }, ImageFault::BadHeader},
        {"zero width", [](std::string& s) { Put32(s, 18, 0); }, ImageFault::BadHeader},
        {"negative width", [](std::string& s) { Put32(s, 18, 0xFFFFFFFD); }, ImageFault::BadHeader},
        {"zero height", [](std::string& s) { Put32(s, 22, 0); }, ImageFault::BadHeader},
        {"most negative height", [](std::string& s) { Put32(s, 22, 0x80000000); }, ImageFault::TooLarge},
        {"huge size", [](std::string& s) { Put32(s, 18, 100000); Put32(s, 22, 100000); }, ImageFault::TooLarge},
        {"two planes", [](std::string& s) { Put16(s, 26, 2); }, ImageFault::BadHeader},
        {"bit count 7", [](std::string& s) { Put16(s, 28, 7); }, ImageFault::BadHeader},
        {"bit count 0", [](std::string& s) { Put16(s, 28, 0); }, ImageFault::BadHeader},
        {"run-length rows", [](std::string& s) { Put32(s, 30, 1); }, ImageFault::Unsupported},
        {"embedded PNG", [](std::string& s) { Put32(s, 30, 5); }, ImageFault::Unsupported},
        {"unknown compression", [](std::string& s) { Put32(s, 30, 77); }, ImageFault::BadHeader},
        {"masks on 8 bits", [](std::string& s) { Put32(s, 30, 3); }, ImageFault::BadHeader},
        {"image size below the rows", [](std::string& s) { Put32(s, 34, 4); }, ImageFault::BadHeader},
        {"more colours than 8 bits hold", [](std::string& s) { Put32(s, 46, 257); }, ImageFault::BadHeader},
        {"colour table past the file", [](std::string& s) { Put32(s, 46, 200); }, ImageFault::BadHeader},
        {"colour table into the pixels", [](std::string& s) { Put32(s, 46, 5); }, ImageFault::BadHeader},
        {"more important colours than colours", [](std::string& s) { Put32(s, 50, 9); }, ImageFault::BadHeader},
        {"pixels inside the headers", [](std::string& s) { Put32(s, 10, 20); }, ImageFault::BadHeader},
        {"pixels past the file", [](std::string& s) { Put32(s, 10, 4000); }, ImageFault::BadHeader},
        {"file size before the pixels", [](std::string& s) { Put32(s, 2, 60); }, ImageFault::BadHeader},
        {"rows cut short", [](std::string& s) { s.resize(s.size() - 1); Put32(s, 2, 0); }, ImageFault::BadData},
        {"declared size past the file", [](std::string& s) { s.resize(s.size() - 1); }, ImageFault::BadData},
        {"colour beyond the table", [](std::string& s) { s[s.size() - 2] = 4; }, ImageFault::BadData},
    };
    for (const Case& c : cases) {
        std::string bytes = valid;
        c.change(bytes);
        ImageError error;
        EXPECT_EQ(DecodeBmp(bytes, &error), nullptr) << c.name;
        EXPECT_EQ(error.fault, c.fault) << c.name << ": " << error.message;
        EXPECT_FALSE(error.message.empty()) << c.name;
    }
}

TEST(GfxBmp, DamagedColourMasksAreRefused) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> masks;
    } cases[] = {
        {"an empty mask", {0xF800, 0, 0x001F}},
        {"a split mask", {0xF000 | 0x0100, 0x07E0, 0x001F}},
        {"overlapping masks", {0xF800, 0x0FE0, 0x001F}},
        {"a mask wider than the pixel", {0xF8000, 0x07E0, 0x001F}},
    };
    for (const Case& c : cases) {
        const BmpSpec spec{3, 2, 16, 3, {}, c.masks, [](int) { return Bytes({0, 0, 0, 0, 0, 0}); }};
        ImageError error;
        EXPECT_EQ(DecodeBmp(MakeBmp(spec), &error), nullptr) << c.name;
        EXPECT_EQ(error.fault, ImageFault::BadHeader) << c.name;
    }
}

TEST(GfxBmp, AMissingFileCannotBeOpened) {
    TempDir dir;
    ImageError error;
    EXPECT_EQ(LoadBmp("START.BMP", &error), nullptr);
    EXPECT_EQ(error.fault, ImageFault::CannotOpen);
}

}  // namespace
