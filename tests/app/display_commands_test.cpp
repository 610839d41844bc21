#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/adjusters.h"
#include "app/control_panel.h"
#include "app/display_commands.h"
#include "app/event_sizes_dialog.h"
#include "app/layout.h"
#include "app/menus.h"
#include "app/prompt_dialogs.h"
#include "app/speed.h"
#include "app/view_open.h"
#include "core/config.h"
#include "core/view.h"
#include "platform/gfx/draw_context.h"
#include "platform/gfx/font.h"
#include "platform/gfx/surface.h"
#include "platform/ui/backend.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "tests/app/app_fixture.h"
#include "tests/app/map_pane_double.h"

namespace ui = platform::ui;
namespace hl = platform::headless;
namespace gfx = platform::gfx;
using apptest::AppTest;
using apptest::DebugLines;

namespace {

// ---- speeds ---------------------------------------------------------------------------------

TEST(SpeedSteps, IndexIsTheFirstEntryNotBelowTheSpeedAnywhereInTheTable) {
    ResetViewSettings();
    std::vector<std::string> expected, actual;
    auto row = [&](const char* what, double speed, int index) {
        gSpeed = TimeValue(speed);
        expected.push_back(std::string(what) + " " + std::to_string(index));
        actual.push_back(std::string(what) + " " + std::to_string(SpeedIndex()));
    };
    row("below the first", -5.0, 0);
    row("at the first", 0.0, 0);
    for (int i = 1; i < kSpeedCount; ++i) {
        const double low = gSpeedTable[static_cast<std::size_t>(i - 1)].t;
        const double high = gSpeedTable[static_cast<std::size_t>(i)].t;
        row("between", (low + high) / 2, i);
        row("just above the one before", low + 0.001, i);
        row("at", high, i);
    }
    row("above the last", gSpeedTable[kSpeedCount - 1].t + 1, kSpeedCount);
    EXPECT_EQ(actual, expected);
    ResetViewSettings();
}

TEST(SpeedSteps, SettingAnIndexHoldsItToTheTable) {
    ResetViewSettings();
    struct Case {
        int asked, used;
    } cases[] = {{-100, 0}, {-1, 0}, {0, 0}, {1, 1}, {12, 12}, {24, 24}, {25, 24}, {1000, 24}};
    for (const Case& c : cases) {
        EXPECT_EQ(SetSpeedIndex(c.asked), c.used) << c.asked;
        EXPECT_EQ(gSpeed.t, gSpeedTable[static_cast<std::size_t>(c.used)].t) << c.asked;
    }
    ResetViewSettings();
}

TEST(LocalTimeText, ReadsTheLeadingWholeNumberHeldToADay) {
    struct Case {
        const char* text;
        int hours;
    } cases[] = {{"-5", -5}, {"3", 3}, {" 7", 7}, {"9h", 9}, {"abc", 0}, {"", 0},
                 {"24", 24}, {"25", 24}, {"-99", -24}, {"99999999999", 0}};
    for (const Case& c : cases) EXPECT_EQ(LocalTimeHoursFrom(c.text), c.hours) << c.text;
    EXPECT_EQ(LocalTimeText(-5), "-5");
}

// ---- the commands on a running frame --------------------------------------------------------

constexpr const char* kAlpha =
    "LEFT LONGITUDE: -30\nRIGHT LONGITUDE: 30\nSOUTH LATITUDE: -20\nNORTH LATITUDE: 20\n"
    "LAT LON LINES: NO\nLABELS: NO\nLOCAL TIME: 2\nMAP VIEW: YES\n";

class DisplayCommands : public AppTest {
protected:
    DisplayCommands() {
        ResetViewSettings();
        SetMapPaneMaker(&apptest::MakePane<>);
        gControls[kControlAutoStartView] = 1;
        TempDir::Write("ALPHA", kAlpha);
        SetMissingSeamHandler([this](const std::string& step) { seams_.push_back(step); });
        frame_ = Start();
    }
    ~DisplayCommands() override {
        SetMapPaneMaker(nullptr);
        ResetViewSettings();
    }
    void OpenAlpha() {
        frame_->OpenView("ALPHA");
        ASSERT_TRUE(frame_->viewOpen());
    }
    int Reopenings() const {
        const auto lines = DebugLines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), "OpenView (current)"));
    }
    bool Checked(int popup, int id) { return frame_->popup(popup)->checked(id).value_or(false); }
    // What the dialog of the template showed in its edit, and the button pressed after typing.
    void AnswerDialog(int templateId, int editId, std::string typed, int button, std::string* shown = nullptr,
                      bool* pausedWhileOpen = nullptr) {
        hl::ScriptDialog(templateId, [=](ui::Dialog& d) {
            auto* e = d.Item<ui::Edit>(editId);
            if (shown && e) *shown = e->text();
            if (pausedWhileOpen) *pausedWhileOpen = gPaused;
            if (e) {
                e->SetSelection(0, e->text().size());
                e->UserType(typed);
            }
            return button;
        });
    }

    myFrame* frame_ = nullptr;
    std::vector<std::string> seams_;
};

TEST_F(DisplayCommands, ChoosingTheCheckedSpeedKeepsItAndItsMark) {
    ASSERT_NE(frame_, nullptr);
    OpenAlpha();
    frame_->SendCommand(311);
    const double speed = gSpeed.t;
    frame_->SendCommand(311);
    EXPECT_EQ(gSpeed.t, speed);
    EXPECT_TRUE(Checked(kPopupControl, 311));
    EXPECT_FALSE(Checked(kPopupControl, 310));
}

TEST_F(DisplayCommands, ThePanelsFasterAndSlowerStopAtTheEndsOfTheTable) {
    ASSERT_NE(frame_, nullptr);
    OpenAlpha();
    childControl* panel = frame_->layout()->control();
    ASSERT_NE(panel, nullptr);
    struct Case {
        double from;
        int button;
        int index;
    } cases[] = {
        {gSpeedTable[24].t, childControl::kFaster, 24}, {gSpeedTable[24].t, childControl::kSlower, 23},
        {0.0, childControl::kSlower, 0},                {0.0, childControl::kFaster, 1},
        {100.0, childControl::kFaster, 6},              {100.0, childControl::kSlower, 4},
    };
    for (const Case& c : cases) {
        gSpeed = TimeValue(c.from);
        panel->SendCommand(c.button);
        EXPECT_EQ(gSpeed.t, gSpeedTable[static_cast<std::size_t>(c.index)].t) << c.from << " " << c.button;
    }
}

// From the kind shown, a view-kind command: the kind shown after it, and whether the view was reopened.
struct KindCase {
    const char* name;
    ViewKind from;
    int command;
    ViewKind to;
    bool reopened;
};

void PrintTo(const KindCase& c, std::ostream* os) { *os << c.name; }

class ViewKinds : public DisplayCommands, public testing::WithParamInterface<KindCase> {};

TEST_P(ViewKinds, ChangeThroughRepeatOnlyWhenAnotherKindIsChosen) {
    const KindCase& c = GetParam();
    ASSERT_NE(frame_, nullptr);
    OpenAlpha();
    ShowViewKind(c.from);
    const int before = Reopenings();
    frame_->SendCommand(c.command);
    EXPECT_EQ(ShownViewKind(), c.to);
    EXPECT_EQ(int(gMapView) + int(g3DView) + int(gCrossSectionView), 1);
    EXPECT_EQ(Reopenings() - before, c.reopened ? 1 : 0);
    EXPECT_FALSE(frame_->viewChanged());
    ASSERT_TRUE(hl::ChooseMenuCommand(*frame_, 181));
    EXPECT_EQ(Checked(kPopupControl, kCmMapView), c.to == ViewKind::Map);
    EXPECT_EQ(Checked(kPopupControl, kCm3DView), c.to == ViewKind::ThreeD);
    EXPECT_EQ(Checked(kPopupControl, kCmCrossSectionView), c.to == ViewKind::CrossSection);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ViewKinds,
    testing::Values(KindCase{"MapToMap", ViewKind::Map, 901, ViewKind::Map, false},
                    KindCase{"MapTo3D", ViewKind::Map, 902, ViewKind::ThreeD, true},
                    KindCase{"MapToSection", ViewKind::Map, 903, ViewKind::CrossSection, true},
                    KindCase{"ThreeDToMap", ViewKind::ThreeD, 901, ViewKind::Map, true},
                    KindCase{"ThreeDTo3D", ViewKind::ThreeD, 902, ViewKind::ThreeD, false},
                    KindCase{"ThreeDToSection", ViewKind::ThreeD, 903, ViewKind::CrossSection, true},
                    KindCase{"SectionToMap", ViewKind::CrossSection, 901, ViewKind::Map, true},
                    KindCase{"SectionTo3D", ViewKind::CrossSection, 902, ViewKind::ThreeD, true},
                    KindCase{"SectionToSection", ViewKind::CrossSection, 903, ViewKind::CrossSection, false}),
    [](const testing::TestParamInfo<KindCase>& info) { return std::string(info.param.name); });

TEST_F(DisplayCommands, AViewKindChosenWithoutAViewOnlySetsTheFlags) {
    ASSERT_NE(frame_, nullptr);
    const int before = Reopenings();
    frame_->SendCommand(kCm3DView);
    EXPECT_TRUE(g3DView);
    EXPECT_FALSE(gMapView);
    EXPECT_EQ(Reopenings(), before);
    EXPECT_EQ(frame_->layout(), nullptr);
}

// A view switch: its command, the flag, and the check mark's popup.
struct SwitchCase {
    const char* name;
    int command;
    bool* flag;
    int popup;
    bool marksChanged;
};

void PrintTo(const SwitchCase& c, std::ostream* os) { *os << c.name; }

class ViewSwitches : public DisplayCommands, public testing::WithParamInterface<SwitchCase> {};

TEST_P(ViewSwitches, ToggleTheirFlagAndMarkAnOpenViewChanged) {
    const SwitchCase& c = GetParam();
    ASSERT_NE(frame_, nullptr);
    // Without a view: the flag changes, no view is marked changed.
    const bool start = *c.flag;
    frame_->SendCommand(c.command);
    EXPECT_EQ(*c.flag, !start);
    EXPECT_FALSE(frame_->viewChanged());

    OpenAlpha();
    for (int round = 0; round < 2; ++round) {
        const bool before = *c.flag;
        frame_->SendCommand(c.command);
        EXPECT_EQ(*c.flag, !before);
        EXPECT_EQ(frame_->viewChanged(), c.marksChanged);
        ASSERT_TRUE(hl::ChooseMenuCommand(*frame_, 180 + c.popup));
        EXPECT_EQ(Checked(c.popup, c.command), *c.flag);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ViewSwitches,
    testing::Values(SwitchCase{"Earthquakes", kCmEarthquakesOn, &gShowEarthquakes, kPopupEarthquakes, true},
                    SwitchCase{"QuakeAudio", kCmQuakeAudio, &gQuakeSoundOn, kPopupEarthquakes, true},
                    SwitchCase{"Eruptions", kCmEruptionsOn, &gShowEruptions, kPopupEruptions, true},
                    SwitchCase{"EruptionAudio", kCmEruptionAudio, &gEruptionSoundOn, kPopupEruptions, true},
                    SwitchCase{"VolcanoNames", kCmVolcanoNames, &gShowVolcanoNames, kPopupEruptions, true},
                    SwitchCase{"Plates", kCmPlates, &gShowPlates, kPopupMap, false},
                    SwitchCase{"PlatesAtEnd", kCmPlatesAtEnd, &gPlatesAtEnd, kPopupMap, false}),
    [](const testing::TestParamInfo<SwitchCase>& info) { return std::string(info.param.name); });

TEST_F(DisplayCommands, PlatesSwitchedOffRepaintTheMapFromItsImage) {
    ASSERT_NE(frame_, nullptr);
    OpenAlpha();
    gShowPlates = true;
    ui::Window* map = &frame_->layout()->map().window();
    ASSERT_NE(map, nullptr);
    map->Validate();
    frame_->SendCommand(kCmPlates);
    EXPECT_FALSE(gShowPlates);
    EXPECT_EQ(map->invalidRect(), map->clientRect());
}

TEST_F(DisplayCommands, AudioAndScriptAreWrittenToTheConfigurationAndReadBack) {
    ASSERT_NE(frame_, nullptr);
    // The mode alone is kept in memory until the configuration is next written.
    frame_->SendCommand(kCmRunFreeAutoRestart);
    EXPECT_EQ(gMode, 1);
    EXPECT_FALSE(std::filesystem::exists("QUORVEL.INI"));

    for (int command : {kCmGlobalAudio, kCmRunFromScript}) {
        for (int round = 0; round < 2; ++round) {
            const std::uint8_t audio = gAudio, script = gRunScript;
            frame_->SendCommand(command);
            const std::uint8_t wantAudio = command == kCmGlobalAudio ? !audio : audio;
            const std::uint8_t wantScript = command == kCmRunFromScript ? !script : script;
            EXPECT_EQ(gAudio, wantAudio);
            EXPECT_EQ(gRunScript, wantScript);
            ASSERT_TRUE(hl::ChooseMenuCommand(*frame_, 181));
            EXPECT_EQ(Checked(kPopupControl, kCmGlobalAudio), wantAudio != 0);
            EXPECT_EQ(Checked(kPopupControl, kCmRunFromScript), wantScript != 0);

            const std::string text = TempDir::Read("QUORVEL.INI");
            EXPECT_NE(text.find(wantAudio ? "AUDIO: YES" : "AUDIO: NO"), std::string::npos) << text;
            EXPECT_NE(text.find(wantScript ? "RUN SCRIPT: YES" : "RUN SCRIPT: NO"), std::string::npos);
            EXPECT_NE(text.find("MODE: LOOP"), std::string::npos);
            gAudio = !wantAudio;
            gRunScript = !wantScript;
            gMode = 0;
            ASSERT_EQ(ReadConfigFile(), 0);
            EXPECT_EQ(gAudio, wantAudio);
            EXPECT_EQ(gRunScript, wantScript);
            EXPECT_EQ(gMode, 1);
        }
    }
    frame_->SendCommand(kCmRunFree);
    EXPECT_EQ(gMode, 0);
}

TEST_F(DisplayCommands, GridAndAxesLabelsAreWrittenToTheViewFileAndReadBack) {
    ASSERT_NE(frame_, nullptr);
    OpenAlpha();
    struct Case {
        int command;
        bool* flag;
        const char* key;
    } cases[] = {{kCmLatLonLines, &gShowLatLonLines, "LAT LON LINES"}, {kCmAxesLabels, &gShowLabels, "LABELS"}};
    for (const Case& c : cases) {
        for (const bool want : {true, false}) {
            frame_->SendCommand(c.command);
            EXPECT_EQ(*c.flag, want);
            const std::string text = TempDir::Read("ALPHA");
            EXPECT_NE(text.find(std::string("\n") + c.key + (want ? ": YES" : ": NO")), std::string::npos) << text;
            *c.flag = !want;
            ASSERT_EQ(ReadViewFile("ALPHA"), 0);
            EXPECT_EQ(*c.flag, want) << c.key;
        }
    }
    EXPECT_FALSE(frame_->viewChanged());
}

TEST_F(DisplayCommands, WithNoViewOpenNoCommandWritesAViewFile) {
    ASSERT_NE(frame_, nullptr);
    struct Case {
        const char* how;  // the view is let go this way
        int command;
    } cases[] = {{"Close View", kCmCloseView}, {"the button menu", kCmSelectMenu}};
    for (const Case& c : cases) {
        OpenAlpha();
        frame_->SendCommand(c.command);
        ASSERT_FALSE(frame_->viewOpen()) << c.how;
        AnswerDialog(kInputDialogTemplate, 4090, "-7", ui::IdOk);
        frame_->SendCommand(kCmLocalTime);
        frame_->SendCommand(kCmLatLonLines);
        frame_->SendCommand(kCmAxesLabels);
        EXPECT_EQ(TempDir::Read("ALPHA"), kAlpha) << c.how;
        EXPECT_TRUE(hl::MessageBoxCalls().empty()) << c.how;
    }
}

// A catalogue that is missing switches its events off for the run; the view
// file keeps the view's own switch, whichever command writes it.
TEST_F(DisplayCommands, AMissingCatalogueNeverSwitchesTheStoredViewOff) {
    ASSERT_NE(frame_, nullptr);
    TempDir::Write("ERB.ERB", std::string(100, 'x'));  // there, but no catalogue
    struct Case {
        const char* catalogue;
        const char* key;
        bool* shown;
    } cases[] = {{"EVENT FILE: NONE.HY4", "EARTHQUAKES", &gShowEarthquakes},
                 {"ERUPTION FILE: NONE.ERB", "VOLCANOES", &gShowEruptions},
                 {"ERUPTION FILE: ERB.ERB", "VOLCANOES", &gShowEruptions}};
    for (const Case& c : cases) {
        TempDir::Write("ALPHA", std::string(kAlpha) + c.catalogue + "\nEARTHQUAKES: YES\nVOLCANOES: YES\n");
        OpenAlpha();
        hl::Advance(200);
        EXPECT_FALSE(*c.shown) << c.catalogue;
        frame_->SendCommand(kCmLatLonLines);
        EXPECT_NE(TempDir::Read("ALPHA").find(std::string("\n") + c.key + ": YES\n"), std::string::npos)
            << c.catalogue;
        // Saved and opened again: the file is still asked for.
        frame_->SendCommand(kCmSaveView);
        ASSERT_EQ(ReadViewFile("ALPHA"), 0);
        EXPECT_TRUE(*c.shown) << c.catalogue;
        // The user's own choice is stored.
        OpenAlpha();
        hl::Advance(200);
        frame_->SendCommand(std::string(c.key) == "EARTHQUAKES" ? kCmEarthquakesOn : kCmEruptionsOn);
        frame_->SendCommand(std::string(c.key) == "EARTHQUAKES" ? kCmEarthquakesOn : kCmEruptionsOn);
        frame_->SendCommand(kCmSaveView);
        EXPECT_NE(TempDir::Read("ALPHA").find(std::string("\n") + c.key + ": NO\n"), std::string::npos)
            << c.catalogue;
    }
}

TEST_F(DisplayCommands, ASettingThatCannotBeWrittenIsReportedAndKept) {
    ASSERT_NE(frame_, nullptr);
    OpenAlpha();
    struct Case {
        int command;
        const char* file;  // made a folder, so it cannot be replaced
        const char* caption;
        std::function<bool()> setting;
    } cases[] = {
        {kCmLatLonLines, "ALPHA", "View", [] { return gShowLatLonLines; }},
        {kCmGlobalAudio, "QUORVEL.INI", "Settings", [] { return gAudio != 0; }},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(c.file);
        std::filesystem::create_directory(c.file);
        const bool before = c.setting();
        const std::size_t boxes = hl::MessageBoxCalls().size();
        frame_->SendCommand(c.command);
        EXPECT_EQ(c.setting(), !before) << c.file;
        ASSERT_EQ(hl::MessageBoxCalls().size(), boxes + 1) << c.file;
        EXPECT_EQ(hl::MessageBoxCalls().back().caption, c.caption);
        EXPECT_TRUE(std::filesystem::is_directory(c.file));
    }
}

TEST_F(DisplayCommands, ANewViewKeepsAFileSettingAsAChangeToSave) {
    ASSERT_NE(frame_, nullptr);
    frame_->OpenView("");
    ASSERT_TRUE(frame_->viewOpen());
    frame_->SendCommand(kCmLatLonLines);
    EXPECT_TRUE(frame_->viewChanged());
    EXPECT_TRUE(hl::MessageBoxCalls().empty());
}

TEST_F(DisplayCommands, LocalTimeIsAskedForAndWrittenToTheViewFile) {
    ASSERT_NE(frame_, nullptr);
    OpenAlpha();
    ASSERT_EQ(gLocalTimeHours, 2);
    struct Case {
        const char* typed;
        int button;
        int hours;
    } cases[] = {{"-5", ui::IdOk, -5}, {"7", ui::IdCancel, -5}, {"abc", ui::IdOk, 0},
                 {"30", ui::IdOk, 24}, {"123456789", ui::IdOk, 24}, {"3", ui::IdOk, 3}};
    for (const Case& c : cases) {
        gPaused = false;
        std::string shown;
        bool pausedWhileOpen = false;
        const std::string before = LocalTimeText(gLocalTimeHours);
        AnswerDialog(kInputDialogTemplate, 4090, c.typed, c.button, &shown, &pausedWhileOpen);
        frame_->SendCommand(kCmLocalTime);
        EXPECT_EQ(shown, before);
        EXPECT_TRUE(pausedWhileOpen);
        EXPECT_FALSE(gPaused);
        EXPECT_EQ(gLocalTimeHours, c.hours) << c.typed;
        gLocalTimeHours = 99;
        ASSERT_EQ(ReadViewFile("ALPHA"), 0);
        EXPECT_EQ(gLocalTimeHours, c.hours) << c.typed;
    }
    const auto& calls = hl::DialogCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().caption, "Local time");
}

TEST_F(DisplayCommands, EachCutoffIsAskedForAndKept) {
    ASSERT_NE(frame_, nullptr);
    OpenAlpha();
    struct Command {
        int id;
        double* value;
        const char* caption;
    } commands[] = {
        {kCmEarthquakeMagnitudeCutoff, &gMagnitudeCutoff, "Set cutoff magnitude for earthquakes"},
        {kCmEruptionMagnitudeCutoff, &gEruptionMagnitudeCutoff, "Set cutoff magnitude for eruptions"},
        {kCmEarthquakeBeepsCutoff, &gMagnitudeSoundCutoff, "Set cutoff magnitude for beeps for earthquakes"},
        {kCmEruptionBeepsCutoff, &gEruptionSoundCutoff, "Set cutoff magnitude for beeps for eruptions"},
    };
    struct Case {
        double from;
        const char* typed;
        int button;
        const char* shown;
        double stored;
    } cases[] = {
        {4.7, "5.5", ui::IdOk, "4", 5.5},     // shown as its whole part
        {4.7, "6", ui::IdCancel, "4", 4.7},
        {-2.5, "12345", ui::IdOk, "-2", 123},  // only three characters are read back
        {3, "x", ui::IdOk, "3", 0},
    };
    for (const Command& command : commands) {
        for (const Case& c : cases) {
            for (bool pausedBefore : {false, true}) {
                *command.value = c.from;
                gPaused = pausedBefore;
                std::string shown, caption;
                bool pausedWhileOpen = false;
                hl::ScriptDialog(kMagnitudeDialogTemplate, [&, c](ui::Dialog& d) {
                    caption = d.control(1033)->text();
                    pausedWhileOpen = gPaused;
                    auto* e = d.Item<ui::Edit>(109);
                    shown = e->text();
                    e->SetSelection(0, e->text().size());
                    e->UserType(c.typed);
                    return c.button;
                });
                frame_->SendCommand(command.id);
                EXPECT_EQ(caption, command.caption);
                EXPECT_EQ(shown, c.shown) << command.caption;
                EXPECT_TRUE(pausedWhileOpen);
                EXPECT_EQ(gPaused, pausedBefore) << command.caption;
                EXPECT_DOUBLE_EQ(*command.value, c.stored) << command.caption << ": " << c.typed;
            }
        }
    }
}

TEST_F(DisplayCommands, TheMagnitudePromptsSpinIsNotHeldToItsRange) {
    ASSERT_NE(frame_, nullptr);
    double value = 9;
    std::vector<std::string> shown;
    hl::ScriptDialog(kMagnitudeDialogTemplate, [&](ui::Dialog& d) {
        auto* spin = d.Item<ui::UpDown>(110);
        EXPECT_EQ(spin->position(), 9);
        spin->UserSpin(1);
        shown.push_back(d.Item<ui::Edit>(109)->text());
        spin->UserSpin(-1);
        spin->UserSpin(-1);
        shown.push_back(d.Item<ui::Edit>(109)->text());
        EXPECT_EQ(d.control(1033)->text(), "Set cutoff");
        return ui::IdOk;
    });
    EXPECT_EQ(magDialog(frame_, kMagnitudeDialogTemplate, &value, "Set cutoff").Execute(), ui::IdOk);
    EXPECT_EQ(shown, (std::vector<std::string>{"10", "8"}));
    EXPECT_EQ(value, 8);
}

TEST_F(DisplayCommands, TheOneLinePromptKeepsToTheCallersLimit) {
    ASSERT_NE(frame_, nullptr);
    struct Case {
        std::size_t room;
        std::string typed, stored;
    } cases[] = {
        {7, "1234567890", "1234567"},
        {46, std::string(60, 'x'), std::string(46, 'x')},
        {144, std::string(150, 't'), std::string(144, 't')},  // a view title
        {0, "abc", ""},
    };
    for (const Case& c : cases) {
        std::string buffer = "old";
        AnswerDialog(kInputDialogTemplate, 4090, c.typed, ui::IdOk);
        EXPECT_EQ(inputDialog(frame_, kInputDialogTemplate, buffer, "Caption", "", c.room).Execute(), ui::IdOk);
        EXPECT_EQ(buffer, c.stored) << c.room;
    }
}

TEST_F(DisplayCommands, SettingUpTheSectionFromAnotherKindGoesBackToTheMapFirst) {
    ASSERT_NE(frame_, nullptr);
    struct Case {
        const char* name;
        ViewKind from;
        bool autoStart;
        bool pausedBefore;
        int reopened;
        bool dialogAsked;
    } cases[] = {
        {"3-D, running", ViewKind::ThreeD, true, false, 1, true},
        {"section, running", ViewKind::CrossSection, true, false, 1, true},
        {"3-D, starts paused", ViewKind::ThreeD, false, false, 1, false},
        {"map, running", ViewKind::Map, true, false, 0, true},
        {"map, paused", ViewKind::Map, true, true, 0, false},
    };
    for (const Case& c : cases) {
        gControls[kControlAutoStartView] = c.autoStart;
        gPaused = false;
        OpenAlpha();
        ShowViewKind(c.from);
        gPaused = c.pausedBefore;
        seams_.clear();
        const int before = Reopenings();
        frame_->SendCommand(kCmSetUpCrossSection);
        EXPECT_TRUE(gMapView) << c.name;
        EXPECT_FALSE(g3DView || gCrossSectionView) << c.name;
        EXPECT_EQ(Reopenings() - before, c.reopened) << c.name;
        const XSDialog* strip = frame_->crossSectionDialog();
        EXPECT_EQ(strip && strip->visible(), c.dialogAsked) << c.name;
        if (c.dialogAsked) {
            EXPECT_TRUE(gPaused) << c.name;
        }
    }
}

using ScreenSaver = AppTest;

TEST_F(ScreenSaver, NeverStartsWhileTheProgramRunsUnlessDoviredezurLetsIt) {
    for (const bool letIt : {false, true}) {
        gControls[kControlDoviredezur] = letIt;
        myFrame* frame = Start();
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(hl::ScreenSaverHeldOffBy(*frame), !letIt);
        frame->SendCommand(kCmExit);
        app_.reset();
        gMainFrame = nullptr;
        EXPECT_EQ(hl::ScreenSaverHolders(), 0u);
    }
}

TEST_F(DisplayCommands, TheFrameKnowsWhenItIsNotTheActiveWindow) {
    ASSERT_NE(frame_, nullptr);
    hl::Activate(*frame_, false);
    EXPECT_TRUE(frame_->inactive());
    hl::Activate(*frame_, true);
    EXPECT_FALSE(frame_->inactive());
}

TEST_F(DisplayCommands, TheDotLineFollowsTheMagnitudeAndDotRanges) {
    gMinMagnitude = 4;
    gMaxMagnitude = 8;
    gMinDotSize = 2;
    gMaxDotSize = 10;
    gScreenHeight = 960;
    RecomputeDotScale();
    EXPECT_DOUBLE_EQ(gDotSlope * 4 + gDotIntercept, 4.0);
    EXPECT_DOUBLE_EQ(gDotSlope * 8 + gDotIntercept, 20.0);
    gMaxMagnitude = 4;  // one-unit range, no division by zero
    RecomputeDotScale();
    EXPECT_DOUBLE_EQ(gDotSlope, 16.0);
}

}  // namespace

namespace {

// ---- Event Sizes ---------------------------------------------------------------------------

class EventSizes : public DisplayCommands {
protected:
    // Types the six fields (min mag, max mag, max dot, min dot, min depth, max depth) and presses OK.
    static int Type(ui::Dialog& d, const std::vector<std::string>& fields) {
        const int ids[] = {101, 102, 109, 110, 105, 106};
        for (std::size_t i = 0; i < fields.size(); ++i) {
            auto* e = d.Item<ui::Edit>(ids[i]);
            e->SetSelection(0, e->text().size());
            e->UserType(fields[i]);
        }
        return ui::IdOk;
    }
};

TEST_F(EventSizes, ShowsTheSettingsWithDepthsOnTheirSteps) {
    ASSERT_NE(frame_, nullptr);
    OpenAlpha();
    struct Case {
        double minDepth, maxDepth;
        const char* shownMin;
        const char* shownMax;
        int minIndex, maxIndex;
    } cases[] = {{7, 100, "10", "100", 4, 7}, {0, 750, "0", "750", 2, 10}, {-9, 900, "-5", "750", 0, 10}};
    for (const Case& c : cases) {
        gMinMagnitude = 3;
        gMaxMagnitude = 8;
        gMinDepth = c.minDepth;
        gMaxDepth = c.maxDepth;
        std::vector<std::string> shown;
        std::vector<int> positions;
        hl::ScriptDialog(kEventSizesTemplate, [&](ui::Dialog& d) {
            for (int id : {101, 102, 105, 106, 109, 110}) shown.push_back(d.Item<ui::Edit>(id)->text());
            for (int id : {103, 104, 107, 108}) positions.push_back(d.Item<ui::UpDown>(id)->position());
            return ui::IdCancel;
        });
        frame_->SendCommand(kCmMagnitudeDepthScale);
        EXPECT_EQ(shown, (std::vector<std::string>{"3", "8", c.shownMin, c.shownMax, std::to_string(gMaxDotSize),
                                                   std::to_string(gMinDotSize)}));
        EXPECT_EQ(positions, (std::vector<int>{3, 8, c.minIndex, c.maxIndex}));
        EXPECT_EQ(gMinDepth, c.minDepth);  // Cancel stores nothing
    }
}

// Each explanatory caption's box holds its text wrapped to its width in a
// font a third taller than the one the dialog units come from, as the
// toolkit's own is, and no item covers another.
TEST_F(EventSizes, EveryCaptionHoldsAllItsLinesAndNoItemCoversAnother) {
    ASSERT_NE(frame_, nullptr);
    int captions = 0;
    hl::ScriptDialog(kEventSizesTemplate, [&](ui::Dialog& d) {
        auto scratch = gfx::Surface::Create(1, 1);
        gfx::DrawContext dc(*scratch);
        dc.SetFont(gfx::Font::Create("Arial", ui::backend::DialogBaseUnits("MS Sans Serif", 8).height * 4 / 3,
                                     gfx::kNormalWeight));
        std::vector<ui::Window*> items(d.children().begin(), d.children().end());
        for (std::size_t i = 0; i < items.size(); ++i) {
            const auto* c = dynamic_cast<ui::Control*>(items[i]);
            if (c && c->kind() == ui::ControlKind::Static && c->text().size() > 30) {
                ++captions;
                const ui::Rect box = c->rect();
                const gfx::Rect need = dc.MeasureWrapped({box.left, box.top, box.right, box.top + 1000}, c->text(),
                                                         gfx::HAlign::Left);
                EXPECT_LE(need.height(), box.height()) << c->text();
            }
            for (std::size_t j = 0; j < i; ++j)
                EXPECT_TRUE(items[i]->rect().intersected(items[j]->rect()).empty())
                    << items[i]->caption() << " / " << items[j]->caption();
        }
        return ui::IdCancel;
    });
    frame_->SendCommand(kCmMagnitudeDepthScale);
    EXPECT_EQ(captions, 3);
}

TEST_F(EventSizes, SpinsStopAtTheirEndsAndShowTheDepthSteps) {
    ASSERT_NE(frame_, nullptr);
    gMinMagnitude = -9;
    gMaxMagnitude = 10;
    gMinDepth = 500;
    gMaxDepth = -5;
    std::vector<std::string> shown;
    hl::ScriptDialog(kEventSizesTemplate, [&](ui::Dialog& d) {
        d.Item<ui::UpDown>(103)->UserSpin(-1);  // at -9
        d.Item<ui::UpDown>(104)->UserSpin(1);   // at 10
        d.Item<ui::UpDown>(107)->UserSpin(1);   // index 9 (500) is its top
        d.Item<ui::UpDown>(108)->UserSpin(-1);  // index 0
        d.Item<ui::UpDown>(108)->UserSpin(1);
        for (int id : {101, 102, 105, 106}) shown.push_back(d.Item<ui::Edit>(id)->text());
        return ui::IdCancel;
    });
    frame_->SendCommand(kCmMagnitudeDepthScale);
    EXPECT_EQ(shown, (std::vector<std::string>{"-9", "10", "500", "-2"}));
}

TEST_F(EventSizes, OkRefusesRangesThatAreNotIncreasingAndStoresAsItGoes) {
    ASSERT_NE(frame_, nullptr);
    OpenAlpha();
    struct Case {
        const char* name;
        std::vector<std::string> typed;
        const char* refusal;  // caption of the box, or null
        int minMag, maxMag, maxDot, minDot;
        double minDepth, maxDepth;
    } cases[] = {
        {"valid", {"4", "9", "14", "3", "10", "500"}, nullptr, 4, 9, 14, 3, 10, 500},
        {"equal magnitudes", {"5", "5", "20", "1", "0", "100"}, "Magnitude Error", 2, 6, 20, 1, 0, 700},
        {"depths reversed", {"3", "7", "12", "2", "100", "50"}, "Depth Error", 3, 7, 12, 2, 0, 700},
        {"any whole depth", {"2", "8abc", "1", "1", "7", "1234"}, nullptr, 2, 8, 1, 1, 7, 1234},
    };
    for (const Case& c : cases) {
        gMinMagnitude = 2, gMaxMagnitude = 6, gMaxDotSize = 9, gMinDotSize = 4;
        gMinDepth = 0, gMaxDepth = 700;
        gScreenHeight = 480;
        const std::size_t boxes = hl::MessageBoxCalls().size(), beeps = hl::Beeps().size();
        hl::ScriptDialog(kEventSizesTemplate, [&](ui::Dialog& d) { return Type(d, c.typed); });
        if (c.refusal) hl::ScriptDialogAnswer(kEventSizesTemplate, ui::IdCancel);  // still open: give up
        frame_->SendCommand(kCmMagnitudeDepthScale);
        const auto& calls = hl::MessageBoxCalls();
        ASSERT_EQ(calls.size(), boxes + (c.refusal ? 1 : 0)) << c.name;
        EXPECT_EQ(hl::Beeps().size(), beeps + (c.refusal ? 1 : 0)) << c.name;
        if (c.refusal) {
            EXPECT_EQ(calls.back().text, "Minimum must be less than maximum");
            EXPECT_EQ(calls.back().caption, c.refusal);
        }
        EXPECT_EQ(std::vector<int>({gMinMagnitude, gMaxMagnitude, gMaxDotSize, gMinDotSize}),
                  std::vector<int>({c.minMag, c.maxMag, c.maxDot, c.minDot}))
            << c.name;
        EXPECT_EQ(gMinDepth, c.minDepth) << c.name;
        EXPECT_EQ(gMaxDepth, c.maxDepth) << c.name;
        // The dots follow whatever was stored.
        EXPECT_DOUBLE_EQ(gDotSlope * gMinMagnitude + gDotIntercept, gMinDotSize) << c.name;
        EXPECT_FALSE(gPaused);
    }
}

}  // namespace
