#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/display_dialogs.h"
#include "app/layout.h"
#include "app/map_commands.h"
#include "app/prompt_dialogs.h"
#include "app/region_dialogs.h"
#include "core/config.h"
#include "core/view.h"
#include "platform/gfx/image.h"
#include "platform/ui/controls.h"
#include "tests/app/app_fixture.h"
#include "tests/app/map_pane_double.h"

namespace fs = std::filesystem;
namespace ui = platform::ui;
namespace gfx = platform::gfx;
namespace hl = platform::headless;
using apptest::AppTest;
using apptest::DebugLines;

namespace {

constexpr const char* kAlpha =
    "LEFT LONGITUDE: -30.123456789\nRIGHT LONGITUDE: 30\nSOUTH LATITUDE: -20\nNORTH LATITUDE: 20\n"
    "TITLE: Alpha\nEVENT FILE: ALPHA.HY4\nERUPTION FILE: ALPHA.ERB\nMAP VIEW: YES\n";

class MapCommands : public AppTest {
protected:
    MapCommands() {
        ResetViewSettings();
        SetMapPaneMaker(&apptest::MakePane<>);
        gControls[kControlAutoStartView] = 1;
        TempDir::Write("ALPHA", kAlpha);
        frame_ = Start();
        if (frame_) frame_->OpenView("ALPHA");
    }
    ~MapCommands() override {
        SetMapPaneMaker(nullptr);
        ResetViewSettings();
    }
    int Reopenings() const {
        const auto lines = DebugLines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), "OpenView (current)"));
    }
    static void Type(int templateId, std::vector<std::pair<int, std::string>> typed, int button,
                     bool* pausedWhileOpen = nullptr) {
        hl::ScriptDialog(templateId, [=](ui::Dialog& d) {
            if (pausedWhileOpen) *pausedWhileOpen = gPaused;
            for (const auto& [id, text] : typed) d.Item<ui::Edit>(id)->UserSetText(text);
            return button;
        });
    }
    myFrame* frame_ = nullptr;
};

TEST(ColorCommands, CoastAndRiverCarryTheirFollowers) {
    ASSERT_NE(FindColorCommand(kCmColorCoast), nullptr);
    EXPECT_EQ(FindColorCommand(kCmColorCoast)->follower, 5);
    EXPECT_EQ(FindColorCommand(kCmColorRiver)->segmentClass, 7);
    EXPECT_EQ(FindColorCommand(kCmColorRiver)->follower, 6);
    EXPECT_EQ(FindColorCommand(kCmColorDiffuse)->segmentClass, 12);
    EXPECT_EQ(FindColorCommand(kCmColorState)->follower, 0);
    EXPECT_EQ(FindColorCommand(kCmRedraw), nullptr);
}

TEST_F(MapCommands, AColourChosenSetsItsClassAndTheFollowerWithoutPausing) {
    ASSERT_NE(frame_, nullptr);
    struct Case {
        int id, button, segmentClass, follower;
        const char* name;
    } cases[] = {{kCmColorCoast, 118, 1, 5, "Coast"}, {kCmColorRiver, 126, 7, 6, "River"},
                 {kCmColorRidge, 130, 9, 0, "Ridge"}};
    for (const Case& c : cases) {
        std::string named;
        hl::ScriptDialog(kColorDialogTemplate, [&](ui::Dialog& d) {
            named = d.Item<ui::Static>(444)->text();
            d.Item<ui::CheckBox>(c.button)->Click();
            return ui::IdOk;
        });
        gPaused = false;
        frame_->SendCommand(c.id);
        EXPECT_EQ(named, c.name);
        EXPECT_EQ(gSegmentColors[c.segmentClass], c.button - kColorButtonFirst) << c.name;
        if (c.follower) {
            EXPECT_EQ(gSegmentColors[c.follower], gSegmentColors[c.segmentClass]) << c.name;
        }
        EXPECT_FALSE(gPaused);
    }
}

TEST_F(MapCommands, TheColourDialogShowsItsButtonAndKeepsAColourWithoutOne) {
    ASSERT_NE(frame_, nullptr);
    struct Case {
        int color, clicked, stored;
        int shownButton;  // -1: none set
    } cases[] = {{16, 0, 16, 130}, {16, 114, 0, 130}, {18, 0, 18, -1}, {4, 0, 4, 118}};
    for (const Case& c : cases) {
        int color = c.color, shown = -2;
        hl::ScriptDialog(kColorDialogTemplate, [&](ui::Dialog& d) {
            shown = -1;
            for (int id = kColorButtonFirst; id < kColorButtonFirst + kColorButtonCount; ++id)
                if (d.Item<ui::CheckBox>(id)->checked()) shown = id;
            if (c.clicked) d.Item<ui::CheckBox>(c.clicked)->Click();
            return ui::IdOk;
        });
        EXPECT_EQ(colorDialog(frame_, kColorDialogTemplate, &color, "Coast").Execute(), ui::IdOk);
        EXPECT_EQ(shown, c.shownButton) << c.color;
        EXPECT_EQ(color, c.stored) << c.color;
    }
    int color = 3;
    hl::ScriptDialog(kColorDialogTemplate, [](ui::Dialog& d) {
        d.Item<ui::CheckBox>(129)->Click();
        return ui::IdCancel;
    });
    colorDialog(frame_, kColorDialogTemplate, &color, "Coast").Execute();
    EXPECT_EQ(color, 3);
}

TEST_F(MapCommands, TheBoxDialogsRewriteTheViewFileEvenOnCancel) {
    ASSERT_NE(frame_, nullptr);
    const std::string before = TempDir::Read("ALPHA");
    for (int id : {kCmLatitudeLongitude, kCmTemplate}) {
        TempDir::Write("ALPHA", "MAP VIEW: YES\n");
        bool paused = false;
        Type(id == kCmTemplate ? kTemplateBoxDialogTemplate : kLatLonDialogTemplate, {}, ui::IdCancel, &paused);
        gPaused = false;
        frame_->SendCommand(id);
        EXPECT_TRUE(paused);
        EXPECT_FALSE(gPaused);
        EXPECT_NE(TempDir::Read("ALPHA").find("LEFT LONGITUDE: -30.1234568\n"), std::string::npos);
    }
    Type(kLatLonDialogTemplate, {{101, "25"}}, ui::IdOk);
    frame_->SendCommand(kCmLatitudeLongitude);
    EXPECT_NE(TempDir::Read("ALPHA").find("NORTH LATITUDE: 25\n"), std::string::npos);
}

TEST_F(MapCommands, TheTitleGoesToTheViewAndItsFileAndCancelChangesNothing) {
    ASSERT_NE(frame_, nullptr);
    const int before = Reopenings();
    Type(kInputDialogTemplate, {{4090, "Japan since 1900"}}, ui::IdCancel);
    frame_->SendCommand(kCmTitle);
    EXPECT_EQ(gViewTitle, "Alpha");
    EXPECT_EQ(Reopenings(), before);
    hl::ScriptDialog(kInputDialogTemplate, [](ui::Dialog& d) {
        EXPECT_EQ(d.caption(), "Edit Map Title");
        EXPECT_EQ(d.Item<ui::Edit>(4090)->text(), "Alpha");
        d.Item<ui::Edit>(4090)->UserSetText("Japan since 1900");
        return ui::IdOk;
    });
    frame_->SendCommand(kCmTitle);
    EXPECT_EQ(gViewTitle, "Japan since 1900");
    EXPECT_NE(TempDir::Read("ALPHA").find("TITLE: Japan since 1900\n"), std::string::npos);
    EXPECT_EQ(Reopenings(), before + 1);  // no title pane: the map shows it
}

TEST_F(MapCommands, LogoAndTextReopenAndWriteTheConfigurationEvenWhenCancelled) {
    ASSERT_NE(frame_, nullptr);
    struct Case {
        int id;
        std::string* text;
        int button;
        const char* typed;
        const char* stored;
    } cases[] = {{kCmLogo, &gLogoText, ui::IdCancel, "New logo", "Old logo"},
                 {kCmLogo, &gLogoText, ui::IdOk, "New logo", "New logo"},
                 {kCmText, &gInfoText, ui::IdOk, "Quakes of the week", "Quakes of the week"}};
    for (const Case& c : cases) {
        *c.text = "Old logo";
        const int before = Reopenings();
        fs::remove("QUORVEL.INI");
        Type(kInputDialogTemplate, {{4090, c.typed}}, c.button);
        frame_->SendCommand(c.id);
        EXPECT_EQ(*c.text, c.stored);
        EXPECT_EQ(Reopenings(), before + 1) << c.typed;
        EXPECT_NE(TempDir::Read("QUORVEL.INI").find(c.stored), std::string::npos) << c.typed;
    }
}

TEST_F(MapCommands, TheOverlaySwitchesToggleAndReopen) {
    ASSERT_NE(frame_, nullptr);
    struct Case {
        int id;
        bool changesView;
        std::function<bool()> on;
    } cases[] = {{kCmHighways, true, [] { return gShowHighways; }},
                 {kCmPopulation, true, [] { return gControls[kControlPopulation] != 0; }},
                 {kCmShowInfoSpots, false, [] { return gControls[kControlShowInfoSpots] != 0; }}};
    for (const Case& c : cases) {
        frame_->OpenView("ALPHA");
        ASSERT_FALSE(frame_->viewChanged());
        const bool was = c.on();
        const int before = Reopenings();
        frame_->SendCommand(c.id);
        EXPECT_NE(c.on(), was) << c.id;
        EXPECT_EQ(Reopenings(), before + 1) << c.id;
        EXPECT_EQ(frame_->viewChanged(), c.changesView) << c.id;
    }
}

TEST_F(MapCommands, ACatalogueFromAnotherFolderKeepsItsFolder) {
    ASSERT_NE(frame_, nullptr);
    fs::create_directories("other");
    TempDir::Write("other/JAPAN.HY4", "");
    TempDir::Write("alpha.hy4", "");
    hl::ScriptFileDialogAnswer("alpha.hy4");
    frame_->SendCommand(kCmEarthquakeFile);
    EXPECT_EQ(gEventFileName, "ALPHA.HY4");  // the same, in another case
    EXPECT_FALSE(frame_->viewChanged());
    EXPECT_EQ(hl::FileDialogCalls().back().asked.filter, "All Files (*.*)|*.HY4|");

    hl::ScriptFileDialogAnswer("other/JAPAN.HY4");
    frame_->SendCommand(kCmEarthquakeFile);
    EXPECT_EQ(gEventFileName, (fs::current_path() / "other" / "JAPAN.HY4").string());
    EXPECT_TRUE(frame_->viewChanged());
    ASSERT_TRUE(frame_->SaveCurrentView());
    ASSERT_EQ(ReadViewFile("ALPHA"), 0);
    EXPECT_EQ(gEventFileName, (fs::current_path() / "other" / "JAPAN.HY4").string());

    TempDir::Write("NEW.ERB", "");
    hl::ScriptFileDialogAnswer("NEW.ERB");
    gPaused = false;
    frame_->SendCommand(kCmEruptionFile);
    EXPECT_EQ(gEruptionFileName, "NEW.ERB");
    EXPECT_FALSE(gPaused);
    hl::ScriptFileDialogCancel();
    frame_->SendCommand(kCmEruptionFile);
    EXPECT_EQ(gEruptionFileName, "NEW.ERB");
}

TEST_F(MapCommands, SaveScreenImageWritesAJpegOfTheWindowAndSaysWhenItCannot) {
    ASSERT_NE(frame_, nullptr);
    hl::ScriptFileDialogCancel();
    frame_->SendCommand(kCmSaveScreenImage);
    EXPECT_FALSE(fs::exists("shot.jpg"));
    EXPECT_EQ(hl::FileDialogCalls().back().asked.filter, "Image Files (*.JPG)|*.jpg|");

    hl::ScriptFileDialogAnswer((fs::current_path() / "shot").string());
    frame_->SendCommand(kCmSaveScreenImage);
    const auto image = gfx::LoadJpeg("shot.jpg");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width(), frame_->clientRect().width());
    EXPECT_EQ(image->height(), frame_->clientRect().height());

    const std::size_t boxes = hl::MessageBoxCalls().size();
    hl::ScriptFileDialogAnswer((fs::current_path() / "no-such-folder" / "shot.jpg").string());
    frame_->SendCommand(kCmSaveScreenImage);
    ASSERT_EQ(hl::MessageBoxCalls().size(), boxes + 1);
    EXPECT_NE(hl::MessageBoxCalls().back().text.find("could not be written"), std::string::npos);
}

TEST_F(MapCommands, TheWindowImageHoldsTheVisibleChildrenInTheirPlaces) {
    ui::Window top(nullptr, "top");
    top.MoveWindow({0, 0, 20, 10});
    auto* child = new ui::Window(&top);
    child->SetStyle(ui::style::kChild | ui::style::kVisible);
    child->MoveWindow({5, 2, 9, 6});
    auto* hidden = new ui::Window(&top);
    hidden->SetStyle(ui::style::kChild);
    hidden->MoveWindow({0, 0, 20, 10});
    ASSERT_TRUE(top.Create());
    gfx::DrawContext(top.backBuffer()).FillRect({0, 0, 20, 10}, gfx::Brush::Solid(gfx::Color{0, 0, 255}));
    gfx::DrawContext(child->backBuffer()).FillRect({0, 0, 4, 4}, gfx::Brush::Solid(gfx::Color{255, 0, 0}));
    gfx::DrawContext(hidden->backBuffer()).FillRect({0, 0, 20, 10}, gfx::Brush::Solid(gfx::kWhite));
    const auto image = WindowImage(top);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->At(0, 0), (gfx::Color{0, 0, 255}));
    EXPECT_EQ(image->At(5, 2), (gfx::Color{255, 0, 0}));
    EXPECT_EQ(image->At(8, 5), (gfx::Color{255, 0, 0}));
    EXPECT_EQ(image->At(9, 6), (gfx::Color{0, 0, 255}));
}

// The toolkit's own controls have no pixels of ours: the image draws them.
TEST_F(MapCommands, TheWindowImageShowsCheckBoxesAndEditsWithTheirState) {
    ui::Window top(nullptr, "top");
    top.MoveWindow({0, 0, 200, 60});
    auto* on = new ui::CheckBox(&top, ui::ControlKind::CheckBox, 1, "On", 0, ui::Rect::FromSize(0, 0, 80, 20));
    auto* off = new ui::CheckBox(&top, ui::ControlKind::CheckBox, 2, "Off", 0, ui::Rect::FromSize(100, 0, 80, 20));
    auto* edit = new ui::Edit(&top, ui::ControlKind::Edit, 3, "6.0", 0, ui::Rect::FromSize(0, 30, 60, 20));
    ASSERT_TRUE(top.Create());
    for (ui::Window* w : {static_cast<ui::Window*>(on), static_cast<ui::Window*>(off), static_cast<ui::Window*>(edit)})
        w->Show(ui::ShowCommand::Show);
    on->SetCheck(true);
    gfx::DrawContext(top.backBuffer()).FillRect({0, 0, 200, 60}, gfx::Brush::Solid(gfx::Color{192, 192, 192}));
    const auto image = WindowImage(top);
    ASSERT_NE(image, nullptr);
    auto count = [&](ui::Rect r, gfx::Color c) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += image->At(x, y) == c;
        return n;
    };
    const ui::Rect onBox = ui::Rect::FromSize(2, 5, 11, 11), offBox = ui::Rect::FromSize(102, 5, 11, 11);
    EXPECT_GT(count(onBox, gfx::kBlack), 8);  // the tick
    EXPECT_EQ(count(offBox, gfx::kBlack), 0);
    EXPECT_GT(count(offBox, gfx::kWhite), 100);
    EXPECT_GT(count(ui::Rect::FromSize(16, 0, 60, 20), gfx::kBlack), 10);   // "On"
    EXPECT_GT(count(ui::Rect::FromSize(1, 31, 58, 18), gfx::kBlack), 10);   // "6.0" on white
    EXPECT_GT(count(ui::Rect::FromSize(1, 31, 58, 18), gfx::kWhite), 500);
    EXPECT_EQ(image->At(90, 10), (gfx::Color{192, 192, 192}));  // the window's own pixels between
}

TEST_F(MapCommands, AFontChosenTakesItsSlotAndCancelLeavesIt) {
    ASSERT_NE(frame_, nullptr);
    gFonts[kFontCity] = ConfigFont{"Arial", -12, 400};
    hl::ScriptFontDialogCancel();
    frame_->SendCommand(kCmFontCity);
    ASSERT_TRUE(gFonts[kFontCity]);
    EXPECT_EQ(gFonts[kFontCity]->face, "Arial");
    EXPECT_EQ(hl::FontDialogCalls().back().title, "City Font");
    EXPECT_EQ(hl::FontDialogCalls().back().initial.height, -12);
    const int before = Reopenings();
    hl::ScriptFontDialogAnswer({"Times New Roman", -20, 700, false});
    frame_->SendCommand(kCmFontOcean);
    ASSERT_TRUE(gFonts[kFontOcean]);
    EXPECT_EQ(gFonts[kFontOcean]->face, "Times New Roman");
    EXPECT_EQ(gFonts[kFontOcean]->weight, 700);
    EXPECT_EQ(Reopenings(), before + 1);
    EXPECT_NE(TempDir::Read("QUORVEL.INI").find("Times New Roman"), std::string::npos);
}

TEST_F(MapCommands, TheScaleDialogRewritesTheViewAndReopensIt) {
    ASSERT_NE(frame_, nullptr);
    gShowMapScale = true;
    gScaleInKm = true;
    TempDir::Write("ALPHA", "MAP VIEW: YES\n");
    hl::ScriptDialog(kScaleDialogTemplate, [](ui::Dialog& d) {
        EXPECT_TRUE(d.Item<ui::CheckBox>(101)->checked());
        EXPECT_TRUE(d.Item<ui::CheckBox>(103)->checked());
        d.Item<ui::CheckBox>(101)->Click();
        d.Item<ui::CheckBox>(102)->Click();
        return ui::IdOk;
    });
    const int before = Reopenings();
    frame_->SendCommand(kCmScale);
    EXPECT_FALSE(gShowMapScale);
    EXPECT_FALSE(gQmxScale);
    EXPECT_FALSE(gScaleInKm);
    EXPECT_EQ(Reopenings(), before + 1);
    EXPECT_NE(TempDir::Read("ALPHA").find("SCALE UNITS: Miles"), std::string::npos);
}

TEST_F(MapCommands, TheTerrainDialogRefusesFlatContoursAndSlopesAndWritesTheConfiguration) {
    ASSERT_NE(frame_, nullptr);
    gContourInterval = 400;
    gMaxSlope = 15;
    struct Case {
        int id;
        const char* typed;
        const char* named;
    } refused[] = {{147, "0", "Contour Interval"}, {123, "-5", "Bathymetry Contour Interval"},
                   {134, "0", "Maximum slope"},     {121, "-2", "Bath. max slope"},
                   {134, "steep", "Maximum slope"}};
    for (const Case& c : refused) {
        fs::remove("QUORVEL.INI");
        Type(kDemDialogTemplate, {{110, "/data/etopo5"}, {c.id, c.typed}}, ui::IdOk);
        hl::ScriptDialogAnswer(kDemDialogTemplate, ui::IdCancel);
        frame_->SendCommand(kCmElevationModels);
        EXPECT_NE(hl::MessageBoxCalls().back().text.find(c.named), std::string::npos) << c.typed;
        EXPECT_EQ(gContourInterval, 400);
        EXPECT_EQ(gMaxSlope, 15);
        EXPECT_NE(gWorldEtopo5Dir, "/data/etopo5");
        EXPECT_FALSE(fs::exists("QUORVEL.INI"));
    }
    hl::ScriptDialog(kDemDialogTemplate, [](ui::Dialog& d) {
        d.Item<ui::CheckBox>(1106)->Click();
        d.Item<ui::Edit>(110)->UserSetText("/data/etopo5");
        d.Item<ui::Edit>(147)->UserSetText("250");
        d.Item<ui::Edit>(122)->UserSetText("99");
        d.Item<ui::Edit>(120)->UserSetText("TOPO.HUE");
        return ui::IdOk;
    });
    frame_->SendCommand(kCmElevationModels);
    EXPECT_EQ(gTopo, 5);
    EXPECT_EQ(gContourInterval, 250);
    EXPECT_EQ(gBathymetryContourLevels, 30);  // as many bands as the terrain palette has
    EXPECT_EQ(gTopoHueFile, "TOPO.HUE");
    EXPECT_EQ(gMaxSlope, 15);
    EXPECT_NE(TempDir::Read("QUORVEL.INI").find("/data/etopo5"), std::string::npos);
}

TEST_F(MapCommands, SetDatesStartsTheClockAtTheNewPeriodAndMarksTheView) {
    ASSERT_NE(frame_, nullptr);
    frame_->StopAnimationTimer();
    hl::ScriptDialog(kDateDialogTemplate, [](ui::Dialog& d) {
        d.Item<ui::DateTimePicker>(1044)->UserSetTime({2011, 3, 1, 0, 0, 0, 0});
        return ui::IdCancel;
    });
    const TimeValue start = gPeriodStart;
    frame_->SendCommand(kCmSetDates);
    EXPECT_EQ(gPeriodStart, start);
    EXPECT_FALSE(frame_->viewChanged());
    EXPECT_TRUE(frame_->animationTimerRunning());  // started again whatever the answer

    frame_->StopAnimationTimer();
    hl::ScriptDialog(kDateDialogTemplate, [](ui::Dialog& d) {
        d.Item<ui::DateTimePicker>(1044)->UserSetTime({2011, 3, 1, 0, 0, 0, 0});
        return ui::IdOk;
    });
    gPaused = false;
    frame_->SendCommand(kCmSetDates);
    EXPECT_EQ(gViewMinDate.year, 2011);
    EXPECT_EQ(gViewMinDate.month, 3);
    EXPECT_GE(gAnimationTime, gPeriodStart);
    EXPECT_TRUE(frame_->viewChanged());
    EXPECT_TRUE(frame_->animationTimerRunning());
    EXPECT_FALSE(gPaused);
}

}  // namespace
