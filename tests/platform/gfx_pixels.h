#pragma once
// Pixel tests on tiny surfaces drawn as text pictures: one character per pixel,
// a legend maps characters to colours. A mismatch prints both pictures and writes
// actual, expected and diff PNGs to gfx-out/ beside the test program.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/draw_context.h"
#include "platform/gfx/image.h"

namespace gfxtest {

using namespace platform::gfx;
using Picture = std::vector<std::string>;
using Legend = std::map<char, Color>;

inline const Legend kBlackWhite{{'.', kBlack}, {'#', kWhite}};

// The face file text tests pin, with the layer's fixed FreeType flags.
inline const std::string kPinnedFont = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";

inline std::string OutputDir() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    auto dir = (ec ? std::filesystem::temp_directory_path() : exe.parent_path()) / "gfx-out";
    std::filesystem::create_directories(dir, ec);
    return dir.string();
}

inline std::unique_ptr<Surface> FromPicture(const Picture& rows, const Legend& legend) {
    int h = static_cast<int>(rows.size());
    int w = h ? static_cast<int>(rows[0].size()) : 0;
    auto s = Surface::Create(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s->row(y)[x] = legend.at(rows[y][x]).value();
    return s;
}

inline std::unique_ptr<Surface> FromMask(const Mask& m) {
    auto s = Surface::Create(m.width(), m.height());
    for (int y = 0; y < m.height(); ++y)
        for (int x = 0; x < m.width(); ++x) s->row(y)[x] = MaskColor(m.At(x, y)).value();
    return s;
}

inline Picture ToPicture(const Surface& s, const Legend& legend) {
    Picture out(s.height(), std::string(s.width(), '?'));
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            for (const auto& [ch, c] : legend)
                if (s.At(x, y) == c) out[y][x] = ch;
    return out;
}

inline std::string Join(const Picture& p) {
    std::string out;
    for (const auto& row : p) out += "  \"" + row + "\"\n";
    return out;
}

inline void WriteFailure(const std::string& name, const Surface& actual, const Surface* expected) {
    std::string base = OutputDir() + "/" + name;
    (void)SavePng(actual, base + ".actual.png");
    if (!expected) return;
    (void)SavePng(*expected, base + ".expected.png");
    auto diff = Surface::Create(actual.width(), actual.height());
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            diff->row(y)[x] = actual.At(x, y) == expected->At(x, y) ? 0x303030u : 0xFF0000u;
    (void)SavePng(*diff, base + ".diff.png");
}

inline testing::AssertionResult SameSurfaces(const std::string& name, const Surface& actual, const Surface& expected) {
    bool same = actual.size() == expected.size();
    for (int y = 0; same && y < actual.height(); ++y)
        for (int x = 0; same && x < actual.width(); ++x) same = actual.At(x, y) == expected.At(x, y);
    if (same) return testing::AssertionSuccess();
    if (actual.size() == expected.size()) WriteFailure(name, actual, &expected);
    else WriteFailure(name, actual, nullptr);
    return testing::AssertionFailure() << name << ": surfaces differ (PNGs in " << OutputDir() << ")";
}

inline testing::AssertionResult Matches(const std::string& name, const Surface& actual, const Picture& expected,
                                        const Legend& legend) {
    auto want = FromPicture(expected, legend);
    Picture got = ToPicture(actual, legend);
    if (got == expected) return testing::AssertionSuccess();
    if (want->size() == actual.size()) WriteFailure(name, actual, want.get());
    else WriteFailure(name, actual, nullptr);
    return testing::AssertionFailure() << name << ":\nexpected\n" << Join(expected) << "actual\n" << Join(got)
                                       << "(PNGs in " << OutputDir() << ")";
}

inline testing::AssertionResult Matches(const std::string& name, const Mask& actual, const Picture& expected) {
    return Matches(name, *FromMask(actual), expected, kBlackWhite);
}

inline std::string TestName() {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string n = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : n)
        if (c == '/') c = '_';
    return n;
}

}  // namespace gfxtest
