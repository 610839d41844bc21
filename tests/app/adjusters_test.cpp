#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "app/adjusters.h"
#include "app/layout.h"
#include "app/startup.h"
#include "app/view_list.h"
#include "app/view_open.h"
#include "core/config.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/proj.h"
#include "map/section3d.h"
#include "platform/ui/controls.h"
#include "platform/ui/headless/headless.h"
#include "tests/app/app_fixture.h"

namespace fs = std::filesystem;
namespace ui = platform::ui;
namespace hl = platform::headless;

namespace {

// A strip on a plain owner, counting its redraws and reopenings.
class Strips : public testing::Test {
protected:
    Strips() {
        hl::Reset();
        ResetViewSettings();
        owner_ = std::make_unique<ui::Window>(nullptr, "owner");
        owner_->MoveWindow({0, 0, 1280, 800});
        EXPECT_TRUE(owner_->Create());
    }
    ~Strips() override {
        owner_.reset();
        ResetViewSettings();
    }
    template <class Strip>
    Strip* Make() {
        auto* strip = new Strip(owner_.get(), Strip::kTemplate, [this] { ++redraws_; }, [this] { ++reopenings_; });
        EXPECT_TRUE(strip->Create());
        strip->LoadValues();
        strip->Show(ui::ShowCommand::Show);
        return strip;
    }
    static void Type(ui::Dialog& d, int id, const char* text) { d.Item<ui::Edit>(id)->UserSetText(text); }
    static std::string Shown(ui::Dialog& d, int id) { return d.Item<ui::Edit>(id)->text(); }
    static void Press(ui::Dialog& d, int id) { d.Item<ui::Button>(id)->Click(); }

    std::unique_ptr<ui::Window> owner_;
    int redraws_ = 0, reopenings_ = 0;
};

TEST(WrapAzimuth, FoldsAnyAngleIntoOneTurnAroundNorth) {
    struct Case {
        double in, out;
    } cases[] = {{0, 0}, {180, 180}, {-180, -180}, {181, -179}, {200, -160}, {-540, -180},
                 {540, 180}, {720, 0}, {1e12, WrapAzimuth(std::fmod(1e12, 360.0))}};
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(WrapAzimuth(c.in), c.out) << c.in;
}

TEST_F(Strips, TheCameraFieldsAreWrappedOrHeldWhenRead) {
    gViewAzimuth = -60;
    gViewDip = 30;
    gViewDistance = 4000;
    gMagnification = 2;
    auto* d = Make<interDialog>();
    EXPECT_EQ(Shown(*d, 101), "-60");
    EXPECT_EQ(Shown(*d, 105), "30");
    EXPECT_EQ(Shown(*d, 107), "4000");
    EXPECT_EQ(Shown(*d, 103), "  2.0");
    EXPECT_EQ(d->Item<ui::UpDown>(108)->position(), 20);

    struct Case {
        const char *azimuth, *dip, *distance, *magnification;
        double storedAzimuth, storedDip, storedDistance, storedMagnification;
        const char* shownAzimuth;
    } cases[] = {
        {"200", "45", "150", "1.5", -160, 45, 150, 1.5, "-160"},
        {"-540", "120", "0", "0", -180, 90, 1, 0.1, "-180"},
        {"abc", "-91", "-5", "99", 0, -90, 1, 50, "0"},
        {"12.7x", "1e999", "25000", "2.25", 12.7, 0, 20000, 2.25, "12"},
    };
    for (const Case& c : cases) {
        Type(*d, 101, c.azimuth);
        Type(*d, 105, c.dip);
        Type(*d, 107, c.distance);
        Type(*d, 103, c.magnification);
        const int before = redraws_;
        Press(*d, 109);  // Redraw
        EXPECT_EQ(redraws_, before + 1) << c.azimuth;
        EXPECT_DOUBLE_EQ(gViewAzimuth, c.storedAzimuth) << c.azimuth;
        EXPECT_DOUBLE_EQ(gViewDip, c.storedDip) << c.dip;
        EXPECT_DOUBLE_EQ(gViewDistance, c.storedDistance) << c.distance;
        EXPECT_DOUBLE_EQ(gMagnification, c.storedMagnification) << c.magnification;
        EXPECT_EQ(Shown(*d, 101), c.shownAzimuth) << c.azimuth;
    }
    EXPECT_EQ(reopenings_, 0);
}

TEST_F(Strips, SpinsShowAtOnceAndABurstRedrawsOnceHalfASecondAfterTheLast) {
    gViewAzimuth = 180;
    gViewDistance = 100;
    auto* d = Make<interDialog>();
    d->Item<ui::UpDown>(102)->UserSpin(+1);
    EXPECT_EQ(Shown(*d, 101), "181");  // wrapped only when read
    EXPECT_EQ(gViewAzimuth, 180);
    auto* distance = d->Item<ui::UpDown>(106);
    hl::Advance(200);
    distance->UserSpin(+1);
    hl::Advance(200);
    distance->UserSpin(+1);
    hl::Advance(499);
    EXPECT_EQ(redraws_, 0);
    hl::Advance(1);
    EXPECT_EQ(redraws_, 1);
    EXPECT_EQ(gViewDistance, 102);
    EXPECT_EQ(gViewAzimuth, -179);
    hl::Advance(2000);
    EXPECT_EQ(redraws_, 1);  // the timer ends with its redraw

    // A strip hidden before its timer fires draws nothing behind the next view.
    distance->UserSpin(+1);
    d->Show(ui::ShowCommand::Hide);
    hl::Advance(1000);
    EXPECT_EQ(redraws_, 1);
    EXPECT_TRUE(hl::Timers().empty());
}

TEST_F(Strips, CancelPutsBackWhatTheLastOpeningShowedAndOkKeepsTheFields) {
    gViewAzimuth = 10;
    gViewDip = 20;
    gViewDistance = 300;
    gMagnification = 1.5;
    auto* d = Make<interDialog>();
    Type(*d, 101, "50");
    Press(*d, 109);
    Type(*d, 107, "900");
    Press(*d, 109);
    ASSERT_EQ(gViewDistance, 900);
    Press(*d, ui::IdCancel);
    EXPECT_EQ(reopenings_, 1);
    EXPECT_EQ(gViewAzimuth, 10);
    EXPECT_EQ(gViewDip, 20);
    EXPECT_EQ(gViewDistance, 300);
    EXPECT_EQ(gMagnification, 1.5);

    // A second opening saves afresh: Cancel goes back to these values, not the first.
    gViewAzimuth = 70;
    d->LoadValues();
    Type(*d, 101, "-20");
    Press(*d, ui::IdCancel);
    EXPECT_EQ(gViewAzimuth, 70);

    d->LoadValues();
    Type(*d, 105, "45");
    Press(*d, ui::IdOk);
    EXPECT_EQ(gViewDip, 45);
    EXPECT_EQ(reopenings_, 3);
    EXPECT_FALSE(d->destroying());  // kept for the next opening
}

TEST_F(Strips, TheSectionWidthIsSplitAcrossTheLineAndShownWhole) {
    gViewAzimuth = 0;
    gViewWidth = 1400;
    gViewNearPlane = -150;
    gViewFarPlane = 150;
    auto* d = Make<XSDialog>();
    EXPECT_EQ(Shown(*d, 105), "0");
    EXPECT_EQ(Shown(*d, 107), "1400");  // beyond the spin's range, still shown as it is
    EXPECT_EQ(Shown(*d, 109), "300");
    struct Case {
        const char *azimuth, *length, *width;
        double azimuthStored, lengthStored, nearPlane, farPlane;
        const char* widthShown;
    } cases[] = {
        {"200", "400", "25", -160, 400, -12.5, 12.5, "25"},
        {"90", "100", "25.7", 90, 100, -12.85, 12.85, "25"},
        {"-540", "0", "-3", -180, 1, -0.5, 0.5, "1"},
        {"x", "99999", "5000", 0, 20000, -1000, 1000, "2000"},
    };
    for (const Case& c : cases) {
        Type(*d, 105, c.azimuth);
        Type(*d, 107, c.length);
        Type(*d, 109, c.width);
        d->UpdateOutline();
        EXPECT_DOUBLE_EQ(gViewAzimuth, c.azimuthStored) << c.azimuth;
        EXPECT_DOUBLE_EQ(gViewWidth, c.lengthStored) << c.length;
        EXPECT_DOUBLE_EQ(gViewNearPlane, c.nearPlane) << c.width;
        EXPECT_DOUBLE_EQ(gViewFarPlane, c.farPlane) << c.width;
        EXPECT_EQ(Shown(*d, 109), c.widthShown) << c.width;
    }
    EXPECT_EQ(redraws_, 4);
    Press(*d, ui::IdCancel);
    EXPECT_EQ(gViewWidth, 1400);
    EXPECT_EQ(gViewNearPlane, -150);
    EXPECT_EQ(gViewFarPlane, 150);
    EXPECT_EQ(reopenings_, 1);
}

// ---- on the running frame, with the bundled views ---------------------------------------

class BundledAdjusters : public apptest::AppTest {
protected:
    BundledAdjusters() {
        const fs::path data = fs::weakly_canonical(fs::path(KESTRUNE_FIXTURES) / ".." / ".." / "data");
        fs::copy(data, fs::current_path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        EXPECT_EQ(ReadConfigFile(), 0);
        gControls[kControlDebug] = 0;
        gControls[kControlAutoStartView] = 1;
        BuildMercatorTable();
    }
    ~BundledAdjusters() override {
        app_.reset();
        // The bundled list of views was read: the next test starts without it.
        gWorldMenuLabel.clear();
        gViewList.Flush();
        gGroupViewList.Flush();
        ResetViewSettings();
    }
    myFrame* Open(const char* view, ui::Size screen = {1920, 1080}) {
        hl::SetScreenSize(screen);
        MeasureScreen();
        myFrame* frame = Start();
        EXPECT_NE(frame, nullptr);
        if (!frame) return nullptr;
        frame->OpenView(view);
        EXPECT_TRUE(frame->viewOpen());
        return frame;
    }
    static childMap& Pane(myFrame& f) { return *f.layout()->mapPane(); }
    // The pane's pixels as a fingerprint, to tell whether a redraw changed them.
    static std::size_t Fingerprint(const ui::BackBuffer& b) {
        std::size_t h = 0;
        for (int y = 0; y < b.height(); y += 2)
            for (int x = 0; x < b.width(); x += 2) h = h * 31 + b.row(y)[x];
        return h;
    }
};

TEST_F(BundledAdjusters, TheThreeDBoxFitsItsPaneOnWideAndSmallScreens) {
    for (const ui::Size screen : {ui::Size{1920, 1080}, ui::Size{1280, 720}, ui::Size{1366, 768}}) {
        SCOPED_TRACE(std::to_string(screen.width) + "x" + std::to_string(screen.height));
        myFrame* f = Open("JAPAN-3D", screen);
        ASSERT_NE(f, nullptr);
        ASSERT_TRUE(g3D.valid);
        const double X = g3D.X, Y = g3D.Y;
        for (double z : {g3D.minDepth, g3D.maxDepth})
            for (double x : {-X, X})
                for (double y : {-Y, Y}) {
                    std::int32_t col = 0, row = 0;
                    EXPECT_TRUE(Project3DPoint({x, y, z}, &col, &row)) << x << " " << y << " " << z;
                }
        app_.reset();
    }
}

TEST_F(BundledAdjusters, TheInteractiveStripRedrawsTheThreeDViewAndOkReopensIt) {
    myFrame* f = Open("JAPAN-3D");
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(g3DView);
    gPaused = true;
    f->SendCommand(kCmInteractive3D);
    EXPECT_EQ(f->interactiveDialog(), nullptr);  // nothing while paused
    gPaused = false;
    f->SendCommand(kCmInteractive3D);
    interDialog* d = f->interactiveDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->visible());
    EXPECT_TRUE(gPaused);
    const std::size_t before = Fingerprint(Pane(*f).backBuffer());
    d->Item<ui::UpDown>(102)->UserSpin(+1);
    d->Item<ui::UpDown>(102)->UserSpin(+1);
    hl::Advance(kAdjusterDelayMs);
    EXPECT_EQ(gViewAzimuth, -58);
    EXPECT_NE(Fingerprint(Pane(*f).backBuffer()), before);
    d->Item<ui::Button>(ui::IdOk)->Click();
    EXPECT_FALSE(d->visible());
    EXPECT_EQ(f->interactiveDialog(), d);
    EXPECT_EQ(gViewAzimuth, -58);  // the reopened view keeps it
}

TEST_F(BundledAdjusters, APickedCentreMovesTheOutlineOnTheMap) {
    myFrame* f = Open("JAPAN");
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(gMapView);
    gPaused = false;
    f->SendCommand(kCmSetUpCrossSection);
    XSDialog* d = f->crossSectionDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(Pane(*f).mouseMode(), 7);
    const ui::BackBuffer& s = Pane(*f).backBuffer();
    auto red = [&s] {
        int n = 0;
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x) n += s.At(x, y) == platform::gfx::Color{255, 0, 0};
        return n;
    };
    EXPECT_GT(red(), 100);  // the section's axis, shown with the strip
    const std::size_t before = Fingerprint(s);
    gXsLatitude = 36;
    gXsLongitude = 141;
    f->SendCommand(kCmCrossSectionPicked);
    EXPECT_GT(red(), 100);
    EXPECT_NE(Fingerprint(s), before);  // drawn afresh at the new centre
    d->Item<ui::Button>(ui::IdCancel)->Click();
    EXPECT_FALSE(d->visible());
    EXPECT_EQ(Pane(*f).mouseMode(), 0);
}

}  // namespace
