// What a rendering of the bundled WORLD view leaves on disk and on screen,
// pinned byte for byte: the plates dump, the cached JPEG image, the rewritten
// view file, and the pixels drawn afresh and from the cache. A change here
// means a stored file or the picture changed, not just its speed.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/segments.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/window.h"
#include "tests/support/pane_seams.h"
#include "tests/support/temp_dir.h"

namespace ui = platform::ui;
namespace gfx = platform::gfx;

namespace {

namespace fs = std::filesystem;

fs::path DataDir() { return fs::weakly_canonical(fs::path(KESTRUNE_FIXTURES) / ".." / ".." / "data"); }

std::uint64_t Fnv1a(const void* data, std::size_t size, std::uint64_t h = 1469598103934665603ULL) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) h = (h ^ p[i]) * 1099511628211ULL;
    return h;
}

std::uint64_t FileHash(const std::string& name) {
    const std::string bytes = TempDir::Read(name);
    return Fnv1a(bytes.data(), bytes.size());
}

std::uint64_t PixelHash(const gfx::Surface& s) {
    std::uint64_t h = 1469598103934665603ULL;
    for (int y = 0; y < s.height(); ++y) h = Fnv1a(s.row(y), static_cast<std::size_t>(s.width()) * 4, h);
    return h;
}

class StoredOutput : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* f : {"QUORVEL.INI", "alert_criteria.txt", "WORLD"})
            fs::copy_file(DataDir() / f, f, fs::copy_options::overwrite_existing);
        ASSERT_EQ(ReadConfigFile(), 0);
        gProgramDir = DataDir().string();
        BuildMercatorTable();
        ASSERT_EQ(ReadViewFile("WORLD"), 0);
        owner_ = std::make_unique<ui::Window>(nullptr, "layout");
        owner_->MoveWindow({0, 0, 1920, 1080});
        pane_ = new childMap(owner_.get());
        pane_->SetRenderProbe(&renders_);
        pane_->MoveWindow({0, 0, 1920, 1080});
        ASSERT_TRUE(owner_->Create());
    }
    void TearDown() override {
        owner_.reset();
        ResetConfigValues();
        ResetViewSettings();
        gProgramDir.clear();
    }

    TempDir dir_;
    testsupport::RenderCounter renders_;
    std::unique_ptr<ui::Window> owner_;
    childMap* pane_ = nullptr;
};

TEST_F(StoredOutput, WorldRenderingWritesTheSameFilesAndPixels) {
    gRedrawMap = true;
    pane_->RenderView();
    ASSERT_EQ(renders_.fullRenderings, 1);
    const std::string plates = TempDir::Read(kPlatesDumpFile);
    EXPECT_EQ(plates.size(), 122558u);
    EXPECT_EQ(FileHash(kPlatesDumpFile), 0x8570d550388f1bbfULL) << std::hex << FileHash(kPlatesDumpFile);
    EXPECT_EQ(FileHash("WORLD.jpg"), 0xa34cc62119dead27ULL) << std::hex << FileHash("WORLD.jpg");
    EXPECT_EQ(FileHash("WORLD"), 0x381b3cc248cf28adULL) << std::hex << FileHash("WORLD");
    EXPECT_EQ(PixelHash(pane_->backBuffer()), 0x1cacb13ffb1124afULL) << std::hex << PixelHash(pane_->backBuffer());

    // From the cache: the decoded image, then the plates over it again.
    gRedrawMap = false;
    pane_->RenderView();
    ASSERT_EQ(renders_.fullRenderings, 1);
    EXPECT_EQ(TempDir::Read(kPlatesDumpFile), plates);
    EXPECT_EQ(PixelHash(pane_->backBuffer()), 0xe66f0e87b02a66b4ULL) << std::hex << PixelHash(pane_->backBuffer());

    // A plates redraw of the replay rewrites the same dump.
    std::remove(kPlatesDumpFile);
    pane_->ShowPlates();
    EXPECT_EQ(TempDir::Read(kPlatesDumpFile), plates);
}

}  // namespace
