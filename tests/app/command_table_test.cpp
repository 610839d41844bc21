#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/layout.h"
#include "app/menus.h"
#include "app/speed.h"
#include "app/control_panel.h"
#include "core/view.h"
#include "map/hue_editor.h"
#include "platform/sys/resources.h"
#include "platform/ui/menu.h"
#include "platform/ui/recent_files.h"
#include "tests/app/app_fixture.h"
#include "tests/app/map_pane_double.h"

namespace ui = platform::ui;
namespace hl = platform::headless;
using apptest::AppTest;
using apptest::Contains;
using apptest::DebugLines;

namespace {

// ---- the table as the frame's design gives it ------------------------------------------------

struct Row {
    const char* kind;  // "Command", "Enabler" or "Message"
    int first, last;
    const char* name;
};

std::vector<Row> ExpectedTable() {
    std::vector<Row> rows = {
        {"Message", 0, 0, "CmOpenRecentView"},
        {"Message", 1, 1, "EvTerminationSignal"},
        {"Command", 180, 187, "CmMenuBar"},
        // File
        {"Command", 24500, 24500, "CmOpenView"},
        {"Command", 24331, 24331, "CmNewView"},
        {"Command", 24339, 24339, "CmCloseView"},
        {"Command", 24333, 24333, "CmSaveView"},
        {"Command", 24334, 24334, "CmSaveViewAs"},
        {"Command", 24332, 24332, "CmOpenViewList"},
        {"Command", 24335, 24335, "CmEditViewList"},
        // Control
        {"Command", 132, 132, "CmSetDates"},
        {"Command", 300, 324, "CmSpeed"},
        {"Command", 367, 367, "CmGlobalAudio"},
        {"Command", 103, 104, "CmRunMode"},
        {"Command", 368, 368, "CmRunFromScript"},
        {"Command", 370, 370, "CmPauseTime"},
        {"Command", 901, 901, "CmMapView"},
        {"Command", 902, 902, "Cm3DView"},
        {"Command", 903, 903, "CmCrossSectionView"},
        {"Command", 5, 5, "CmLocalTime"},
        {"Command", 405, 405, "CmInteractive3D"},
        {"Command", 406, 406, "CmSetUpCrossSection"},
        {"Command", 150, 150, "CmRepeat"},
        // Earthquakes
        {"Command", 128, 128, "CmEarthquakesOn"},
        {"Command", 111, 111, "CmEarthquakeAudio"},
        {"Command", 167, 167, "CmEarthquakeBeepsCutoff"},
        {"Command", 168, 168, "CmEarthquakeMagnitudeCutoff"},
        {"Command", 123, 127, "CmEarthquakeSymbols"},
        {"Command", 257, 257, "CmMagnitudeDepthScale"},
        {"Command", 101, 101, "CmEarthquakeFile"},
        {"Command", 102, 102, "CmEditEarthquakeFile"},
        // Eruptions
        {"Command", 135, 135, "CmEruptionsOn"},
        {"Command", 131, 131, "CmEruptionAudio"},
        {"Command", 165, 165, "CmEruptionBeepsCutoff"},
        {"Command", 169, 169, "CmEruptionMagnitudeCutoff"},
        {"Command", 170, 170, "CmVolcanoNames"},
        {"Command", 3102, 3102, "CmEruptionFile"},
        // Map
        {"Command", 141, 141, "CmLatitudeLongitude"},
        {"Command", 350, 350, "CmTemplate"},
        {"Command", 143, 143, "CmTitle"},
        {"Command", 151, 151, "CmLogo"},
        {"Command", 153, 153, "CmText"},
        {"Command", 129, 129, "CmFont"},
        {"Command", 139, 140, "CmFont"},
        {"Command", 1401, 1401, "CmFont"},
        {"Command", 40025, 40025, "CmFont"},
        {"Command", 40027, 40027, "CmFont"},
        {"Command", 40029, 40029, "CmFont"},
        {"Command", 899, 899, "CmScale"},
        {"Command", 40002, 40002, "CmLatLonLines"},
        {"Command", 703, 703, "CmAxesLabels"},
        {"Command", 144, 144, "CmLineFiles"},
        {"Command", 145, 145, "CmTextFiles"},
        {"Command", 146, 146, "CmSymbolFiles"},
        {"Command", 366, 366, "CmAddCity"},
        {"Command", 369, 369, "CmHighways"},
        {"Command", 142, 142, "CmMapFiles"},
        {"Command", 4101, 4104, "CmColor"},
        {"Command", 4106, 4106, "CmColor"},
        {"Command", 18873, 18876, "CmColor"},
        {"Command", 256, 256, "CmElevationModels"},
        {"Command", 147, 147, "CmHueFile"},
        {"Command", 130, 130, "CmMakeYourOwnMap"},
        {"Command", 1127, 1127, "CmPlates"},
        {"Command", 1128, 1128, "CmPlatesAtEnd"},
        {"Command", 11842, 11842, "CmPopulation"},
        {"Command", 149, 149, "CmRedraw"},
        // Options
        {"Command", 136, 136, "CmCoordinates"},
        {"Command", 137, 137, "CmSaveScreenImage"},
        {"Command", 401, 401, "CmNewInfoSpot"},
        {"Command", 402, 402, "CmDeleteInfoSpot"},
        {"Command", 403, 403, "CmEditInfoSpot"},
        {"Command", 407, 407, "CmInfoSpotTitle"},
        {"Command", 404, 404, "CmInformationFile"},
        {"Command", 152, 152, "CmShowInfoSpots"},
        {"Command", 40051, 40051, "CmUpdateHypocenters"},
        // Help, Exit
        {"Command", 2010, 2010, "CmHelpContents"},
        {"Command", 2009, 2009, "CmAbout"},
        {"Command", 138, 138, "CmExit"},
        // Keys only
        {"Command", 1001, 1009, "CmTemplateView"},
        {"Command", 1101, 1102, "CmStepViewList"},
        {"Command", 1011, 1011, "CmSaveView"},
        {"Command", 1012, 1012, "CmAddCity"},
        {"Command", 1013, 1013, "CmMakeYourOwnMap"},
        {"Command", 1014, 1014, "CmRedraw"},
        {"Command", 1015, 1015, "CmDigitize"},
        {"Command", 1017, 1017, "CmCurrentEvent"},
        // Other windows
        {"Command", 1034, 1034, "CmPlay"},
        {"Command", 1035, 1035, "CmPause"},
        {"Command", 1036, 1036, "CmRestartClock"},
        {"Command", 1045, 1045, "CmOpenListView"},
        {"Command", 1048, 1048, "CmCrossSectionPicked"},
        {"Command", 1057, 1057, "CmStartScreen"},
        {"Command", 1060, 1060, "CmShowSelectGroup"},
        {"Command", 1061, 1061, "CmSelectMenu"},
        {"Command", 1062, 1062, "CmOpenSelectedView"},
        {"Command", 154, 154, "CmScheduledUpdate"},
    };
    for (int id : {24339, 24333, 24334, 111, 167, 168, 131, 165, 169, 128, 102, 135, 170, 132, 150, 1127,
                   1128, 143, 149, 142, 144, 146, 145, 350, 141, 130, 366, 365, 136, 899, 256, 257, 137,
                   123, 124, 125, 126, 127, 101, 3102, 901, 902, 903, 406, 703, 152, 40051,
                   // the keys that act on the open view
                   1011, 1012, 1013, 1014, 1017}) {
        rows.push_back({"Enabler", id, id, "CeViewOpen"});
    }
    rows.push_back({"Enabler", 405, 405, "CeInteractive3D"});
    rows.push_back({"Enabler", 11842, 11842, "CePopulation"});
    rows.push_back({"Enabler", 24332, 24332, "CeNoCatalogueUpdate"});
    return rows;
}

std::string Line(const std::string& kind, int id, const std::string& name) {
    std::ostringstream s;
    s << kind << ' ' << id << ' ' << name;
    return s.str();
}

std::vector<std::string> Expand(const std::vector<Row>& rows) {
    std::vector<std::string> lines;
    for (const Row& r : rows) {
        for (int id = r.first; id <= r.last; ++id) {
            int shown = id;
            if (std::string(r.kind) == "Message")
                shown = static_cast<int>(ui::RegisterMessage(id == 0 ? ui::RecentFiles::kMessageName : kTerminationMessage));
            lines.push_back(Line(r.kind, shown, r.name));
        }
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> ActualTable() {
    using Kind = ui::ResponseTable::Kind;
    std::vector<std::string> lines;
    for (const auto& e : myFrame::Table().entries()) {
        const char* kind = e.kind == Kind::Command ? "Command" : e.kind == Kind::Enabler ? "Enabler"
                         : e.kind == Kind::Message ? "Message" : "Other";
        for (int id = e.first; id <= e.last; ++id) lines.push_back(Line(kind, id, e.name ? e.name : "?"));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::string Join(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\n";
    return s;
}

TEST(CommandTable, EveryIdHasTheHandlerAndEnablerTheDesignGives) {
    const auto expected = Expand(ExpectedTable());
    const auto actual = ActualTable();
    // One row per id: 2 messages, 147 commands, 55 enablers.
    EXPECT_EQ(expected.size(), 2u + 147u + 55u);
    EXPECT_EQ(actual, expected) << "expected:\n" << Join(expected) << "actual:\n" << Join(actual);
    // The platform frame answers the File popup's Exit itself.
    const auto* exit = myFrame::Table().base()->Find(ui::ResponseTable::Kind::Command, kCmFileExit);
    ASSERT_NE(exit, nullptr);
    EXPECT_STREQ(exit->name, "CmExitCommand");
}

TEST(CommandTable, EveryMenuItemHasAnEntryOrIsOneOfTheThreeWithoutOne) {
    RegisterQuorviewResources();
    std::set<int> without;
    for (const char* name : kPopupResources) {
        for (int id : ui::LoadMenu(name)->CommandIds()) {
            const auto& t = myFrame::Table();
            if (!t.Find(ui::ResponseTable::Kind::Command, id)) without.insert(id);
        }
    }
    EXPECT_EQ(without, (std::set<int>{kCmDeleteCityItem, kCmFloatingLegendItem, kCmTestAlertItem}));
}

TEST(CommandTable, NamesForLogs) {
    EXPECT_STREQ(CommandName(24500), "CmOpenView");
    EXPECT_STREQ(CommandName(183), "CmMenuBar");
    EXPECT_STREQ(CommandName(312), "CmSpeed");
    EXPECT_STREQ(CommandName(40027), "CmFont");
    EXPECT_STREQ(CommandName(1005), "CmTemplateView");
    EXPECT_STREQ(CommandName(365), "");
    EXPECT_STREQ(CommandName(0), "");
}

// ---- enablers and keys on a running frame ------------------------------------------------------

class FrameCommands : public AppTest {
protected:
    FrameCommands() {
        ResetViewSettings();
        SetMapPaneMaker(&apptest::MakePane<>);
        gControls[kControlAutoStartView] = 1;
        frame_ = Start();
    }
    ~FrameCommands() override {
        SetMapPaneMaker(nullptr);
        ResetViewSettings();
    }
    void OpenAView() {
        frame_->OpenView("");
        ASSERT_TRUE(frame_->viewOpen());
    }
    // The enabler entry alone, without the greying of a seam.
    bool EnablerSays(int id) {
        const auto* e = myFrame::Table().Find(ui::ResponseTable::Kind::Enabler, id);
        EXPECT_NE(e, nullptr) << id;
        if (!e) return false;
        ui::CommandEnabler ce(id);
        ui::ResponseTable::Call call{id};
        call.enabler = &ce;
        e->run(*frame_, call);
        return ce.enabled();
    }
    int CommandsSent(int id) const {
        return static_cast<int>(std::count_if(hl::Commands().begin(), hl::Commands().end(),
                                              [id](const hl::CommandCall& c) { return c.id == id; }));
    }

    myFrame* frame_ = nullptr;
};

// What a menu item looks like without a view and with one.
struct ItemCase {
    int first, last;
    bool noView, withView;
};

TEST_F(FrameCommands, EveryItemIsEnabledAsItsEnablerAndHandlerSay) {
    ASSERT_NE(frame_, nullptr);
    std::vector<ItemCase> cases = {
        {180, 187, true, true},     {24331, 24331, true, true}, {kCmFileExit, kCmFileExit, true, true},
        {300, 324, true, true},     {138, 138, true, true},     {1034, 1036, true, true},
        {1057, 1057, true, true},   {154, 154, true, true},     {150, 150, false, true},
        {149, 149, false, true},    {1014, 1014, false, true},  {40051, 40051, false, true},
        {123, 127, false, true},    {365, 365, false, true},    {40038, 40038, false, false},
        {40049, 40049, false, false}, {1016, 1016, false, false}, {1010, 1010, false, false},
        // the view commands
        {24500, 24500, true, true}, {24332, 24332, true, true}, {24335, 24335, true, true},
        {24339, 24339, false, true}, {24333, 24334, false, true}, {1011, 1011, false, true},
        {1001, 1009, true, true},   {1101, 1102, true, true},   {1045, 1045, true, true},
        // animation, sound and display switches: with no enabler always on, else with a view
        {367, 367, true, true},     {103, 104, true, true},     {368, 368, true, true},
        {5, 5, true, true},         {40002, 40002, true, true}, {1015, 1015, true, true},
        {111, 111, false, true},    {128, 128, false, true},    {131, 131, false, true},
        {135, 135, false, true},    {170, 170, false, true},    {168, 168, false, true},
        {1127, 1128, false, true},  {901, 903, false, true},    {406, 406, false, true},
        {703, 703, false, true},    {1017, 1017, false, true},  {257, 257, false, true},
    };
    std::vector<std::string> expected, actual;
    auto record = [&](bool viewOpen) {
        for (const ItemCase& c : cases) {
            for (int id = c.first; id <= c.last; ++id) {
                const bool want = viewOpen ? c.withView : c.noView;
                expected.push_back(std::to_string(id) + (viewOpen ? " view " : " none ") + (want ? "on" : "grey"));
                actual.push_back(std::to_string(id) + (viewOpen ? " view " : " none ") +
                                 (frame_->QueryCommand(id).enabled() ? "on" : "grey"));
            }
        }
    };
    record(false);
    OpenAView();
    record(true);
    EXPECT_EQ(actual, expected) << "expected:\n" << Join(expected) << "actual:\n" << Join(actual);
}

TEST_F(FrameCommands, EachEnablerFollowsItsConditionInBothStates) {
    ASSERT_NE(frame_, nullptr);
    std::vector<int> viewOpenIds;
    for (const auto& e : myFrame::Table().entries()) {
        if (e.kind == ui::ResponseTable::Kind::Enabler && std::string(e.name) == "CeViewOpen")
            for (int id = e.first; id <= e.last; ++id) viewOpenIds.push_back(id);
    }
    ASSERT_EQ(viewOpenIds.size(), 52u);
    for (int id : viewOpenIds) EXPECT_FALSE(EnablerSays(id)) << id;
    OpenAView();
    for (int id : viewOpenIds) EXPECT_TRUE(EnablerSays(id)) << id;

    g3DView = false;
    EXPECT_FALSE(EnablerSays(kCmInteractive3D));
    g3DView = true;
    EXPECT_TRUE(EnablerSays(kCmInteractive3D));
    EXPECT_TRUE(frame_->QueryCommand(kCmInteractive3D).enabled());

    gPopulationFile.clear();
    EXPECT_FALSE(EnablerSays(kCmPopulation));
    gPopulationFile = "pop.bin";
    EXPECT_TRUE(EnablerSays(kCmPopulation));
}

TEST_F(FrameCommands, TheMenuBarShowsTheSameStatesInItsPopups) {
    ASSERT_NE(frame_, nullptr);
    ASSERT_TRUE(hl::ChooseMenuCommand(*frame_, 184));  // Map
    auto ids = hl::PopupCalls().back().enabledIds;
    EXPECT_EQ(std::count(ids.begin(), ids.end(), kCmRedraw), 0);
    OpenAView();
    ASSERT_TRUE(hl::ChooseMenuCommand(*frame_, 184));
    ids = hl::PopupCalls().back().enabledIds;
    EXPECT_EQ(std::count(ids.begin(), ids.end(), kCmRedraw), 1);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), kCmDeleteCityItem), 1);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), kCmPlates), 1);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), kCmLatitudeLongitude), 1);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), kCmHueFile), 1);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), kCmMakeYourOwnMap), 1);
}

// Keys: (virtual key or character, its command, sent without a view, sent with one).
struct KeyCase {
    const char* name;
    bool character;
    int key;
    std::uint32_t modifiers;
    int id;
    bool noView, withView;
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class FrameKeys : public FrameCommands, public testing::WithParamInterface<KeyCase> {};

TEST_P(FrameKeys, ReachTheirCommandOnlyWhenItsEnablerAllows) {
    const KeyCase& c = GetParam();
    ASSERT_NE(frame_, nullptr);
    ui::Message m;
    m.kind = c.character ? ui::MessageKind::Char : ui::MessageKind::KeyDown;
    m.code = static_cast<std::uint32_t>(c.key);
    m.param = c.modifiers;
    EXPECT_EQ(frame_->accelerators().Match(m), c.id);

    auto press = [&] {
        if (c.character) hl::Char(*frame_, c.key);
        else hl::KeyDown(*frame_, c.key, c.modifiers);
    };
    // The new view has no name, so Save asks for one.
    press();
    EXPECT_EQ(CommandsSent(c.id), c.noView ? 1 : 0) << "without a view";
    OpenAView();
    if (c.id == kCmSaveViewKey) hl::ScriptFileDialogCancel();
    press();
    EXPECT_EQ(CommandsSent(c.id), (c.noView ? 1 : 0) + (c.withView ? 1 : 0)) << "with a view";
}

INSTANTIATE_TEST_SUITE_P(
    Accelerators, FrameKeys,
    testing::Values(KeyCase{"PageDown", false, ui::key::kPageDown, 0, 1101, true, true},
                    KeyCase{"PageUp", false, ui::key::kPageUp, 0, 1102, true, true},
                    KeyCase{"F1", false, ui::key::kF1, 0, 1001, true, true},
                    KeyCase{"F9", false, ui::key::kF1 + 8, 0, 1009, true, true},
                    KeyCase{"Enter", false, ui::key::kReturn, 0, 1010, false, false},
                    KeyCase{"CtrlS", true, 19, 0, 1011, false, true},
                    KeyCase{"CtrlA", true, 1, 0, 1012, false, true},
                    KeyCase{"CtrlT", true, 20, 0, 1016, false, false},
                    KeyCase{"CtrlM", true, 13, 0, 1013, false, true},
                    KeyCase{"CtrlR", true, 18, 0, 1014, false, true},
                    KeyCase{"CtrlD", true, 4, 0, 1015, true, true},
                    KeyCase{"CtrlB", true, 2, 0, 1017, false, true}),
    [](const testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

using WithoutMenuBar = AppTest;

TEST_F(WithoutMenuBar, NoPopupOpensButTheKeysStillWork) {
    gControls[kControlMenuBar] = 0;
    SetMapPaneMaker(&apptest::MakePane<>);
    myFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->menu(), nullptr);
    EXPECT_TRUE(frame->SendCommand(181));
    EXPECT_TRUE(hl::PopupCalls().empty());
    frame->OpenView("");
    ASSERT_TRUE(frame->viewOpen());
    hl::Char(*frame, 18);  // Ctrl+R
    const auto& cmds = hl::Commands();
    EXPECT_TRUE(std::any_of(cmds.begin(), cmds.end(),
                            [](const hl::CommandCall& c) { return c.id == kCmRedrawKey && c.handled; }));
    SetMapPaneMaker(nullptr);
}

// ---- check marks ------------------------------------------------------------------------------

struct CheckCase {
    const char* name;
    int bar;  // 180 + popup position
    int id;
    void (*set)(bool on);
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class PopupChecks : public FrameCommands, public testing::WithParamInterface<CheckCase> {};

TEST_P(PopupChecks, FollowTheirSettingEachTimeThePopupOpens) {
    const CheckCase& c = GetParam();
    ASSERT_NE(frame_, nullptr);
    for (const bool on : {true, false, true}) {
        c.set(on);
        ASSERT_TRUE(hl::ChooseMenuCommand(*frame_, c.bar));
        EXPECT_EQ(frame_->popup(c.bar - 180)->checked(c.id), on) << on;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, PopupChecks,
    testing::Values(
        CheckCase{"MapView", 181, 901, [](bool on) { gMapView = on; }},
        CheckCase{"View3D", 181, 902, [](bool on) { g3DView = on; }},
        CheckCase{"CrossSection", 181, 903, [](bool on) { gCrossSectionView = on; }},
        CheckCase{"Audio", 181, 367, [](bool on) { gAudio = on; }},
        CheckCase{"RunScript", 181, 368, [](bool on) { gRunScript = on; }},
        CheckCase{"ModeLoop", 181, 104, [](bool on) { gMode = on ? 1 : 0; }},
        CheckCase{"ModeNormal", 181, 103, [](bool on) { gMode = on ? 0 : 1; }},
        CheckCase{"QuakeSound", 182, 111, [](bool on) { gQuakeSoundOn = on; }},
        CheckCase{"Earthquakes", 182, 128, [](bool on) { gShowEarthquakes = on; }},
        CheckCase{"Circles", 182, 126, [](bool on) { gSymbolStyle = on ? 3 : 1; }},
        CheckCase{"EruptionSound", 183, 131, [](bool on) { gEruptionSoundOn = on; }},
        CheckCase{"VolcanoNames", 183, 170, [](bool on) { gShowVolcanoNames = on; }},
        CheckCase{"Eruptions", 183, 135, [](bool on) { gShowEruptions = on; }},
        CheckCase{"Labels", 184, 703, [](bool on) { gShowLabels = on; }},
        CheckCase{"LatLonLines", 184, 40002, [](bool on) { gShowLatLonLines = on; }},
        CheckCase{"Plates", 184, 1127, [](bool on) { gShowPlates = on; }},
        CheckCase{"PlatesAtEnd", 184, 1128, [](bool on) { gPlatesAtEnd = on; }},
        CheckCase{"Highways", 184, 369, [](bool on) { gShowHighways = on; }},
        CheckCase{"Population", 184, 11842, [](bool on) { gControls[kControlPopulation] = on; }},
        CheckCase{"InfoSpots", 185, 152, [](bool on) { gControls[kControlShowInfoSpots] = on; }},
        CheckCase{"FloatingLegend", 185, 40038, [](bool on) { gFloatingLegend = on; }}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

TEST_F(FrameCommands, OpeningTheControlPopupChecksAndKeepsTheSpeedInUse) {
    ASSERT_NE(frame_, nullptr);
    gSpeed = gSpeedTable[11];
    ASSERT_TRUE(hl::ChooseMenuCommand(*frame_, 181));
    EXPECT_TRUE(frame_->popup(kPopupControl)->checked(311).value_or(false));
    EXPECT_FALSE(frame_->popup(kPopupControl)->checked(300).value_or(true));
    EXPECT_EQ(gSpeed.t, gSpeedTable[11].t);

    // A speed chosen from the popup takes effect at once.
    hl::ScriptPopupAnswer(320);
    ASSERT_TRUE(hl::ChooseMenuCommand(*frame_, 181));
    EXPECT_EQ(gSpeed.t, gSpeedTable[20].t);
    EXPECT_TRUE(frame_->popup(kPopupControl)->checked(320).value_or(false));
    EXPECT_FALSE(frame_->popup(kPopupControl)->checked(311).value_or(true));
}

TEST_F(FrameCommands, TheSpeedNamesOfPanelAndPopupComeFromOneTable) {
    ASSERT_NE(frame_, nullptr);
    for (int i = 0; i < kSpeedCount; ++i) {
        EXPECT_EQ(SpeedName(i), platform::ResourceString(kCmSpeedFirst + i)) << i;
        const ui::MenuItem* item = frame_->popup(kPopupControl)->Find(kCmSpeedFirst + i);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->text, kSpeedMenuTexts[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(SpeedName(0), "Stop");
    EXPECT_EQ(SpeedName(24), "Fast!");
    EXPECT_EQ(SpeedName(kSpeedCount), "");
}

TEST_F(FrameCommands, ARecentViewChosenFromTheFilePopupOpensThroughTheFrame) {
    ASSERT_NE(frame_, nullptr);
    app_->recentViews().Add("WORLD");
    hl::ScriptPopupAnswer(ui::RecentFiles::kFirstCommand);
    ASSERT_TRUE(hl::ChooseMenuCommand(*frame_, 180));
    EXPECT_TRUE(Contains(DebugLines(), "Open view from File pulldown: WORLD"));
}

}  // namespace

namespace {

TEST_F(FrameCommands, TheHueFileItemOpensTheEditorAndHoldsTheAnimation) {
    ASSERT_NE(frame_, nullptr);
    TempDir::Write("T.HUE", "0 255 0 0 0 0\n");
    gTopoHueFile = "T.HUE";
    gPaused = false;
    EXPECT_TRUE(frame_->SendCommand(kCmHueFile));
    EXPECT_TRUE(gPaused);
    const auto& kids = frame_->children();
    const auto it = std::find_if(kids.begin(), kids.end(), [](ui::Window* w) { return dynamic_cast<EditHue*>(w); });
    ASSERT_NE(it, kids.end());
    EXPECT_EQ((*it)->caption(), "T.HUE");
    EXPECT_EQ(static_cast<EditHue*>(*it)->lines().size(), 1u);
}

}  // namespace
