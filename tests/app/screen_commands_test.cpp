// The frame's mouse-mode commands, the view's file lists and its information file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/select_window.h"
#include "app/start_window.h"
#include "app/string_edit_dialog.h"
#include "core/view.h"
#include "platform/ui/controls.h"
#include "tests/app/event_fixture.h"

namespace ui = platform::ui;
namespace hl = platform::headless;
using Args = std::vector<std::string>;

namespace {

class ScreenCommands : public apptest::Events {
protected:
    ScreenCommands() {
        WriteQuakes({Quake(2, 0, 0)});
        WriteEruptions({});
        WriteView("");
    }
};

TEST_F(ScreenCommands, EachMouseModeCommandSetsThePanesModeAndSaysWhatToClick) {
    struct Case {
        int id;
        int mode;
        bool pauses;
        const char* box;  // empty: none
        ui::Icon icon;
    } cases[] = {
        {130, kMouseUserMap, false, "Move mouse to NW corner of new map.  Then drag to SE.", ui::Icon::None},
        {1013, kMouseUserMap, false, "Move mouse to NW corner of new map.  Then drag to SE.", ui::Icon::None},
        {366, kMouseAddCity, true, "", ui::Icon::None},
        {1012, kMouseAddCity, true, "", ui::Icon::None},
        {136, kMouseProbe, false, "", ui::Icon::None},
        {401, kMouseNewInfoSpot, true, "Click on location where you want the new Information Box",
         ui::Icon::Information},
        {402, kMouseDeleteInfoSpot, true, "Click on the Information Box that you want to delete.",
         ui::Icon::Information},
        {403, kMouseEditInfoSpot, true, "Click on Information Spot that you want to edit.", ui::Icon::Information},
        {407, kMouseInfoSpotTitle, true, "Click on Information Spot which needs new title.", ui::Icon::Information},
    };
    myFrame* f = OpenTestView();
    ASSERT_NE(Map(f), nullptr);
    gTimeout = 25;
    for (const Case& c : cases) {
        Map(f)->SetMouseMode(kMouseIdle);
        gPaused = false;
        f->SetInactivityCountdown(0);
        const std::size_t boxes = hl::MessageBoxCalls().size();
        ASSERT_TRUE(f->SendCommand(c.id)) << c.id;
        EXPECT_EQ(Map(f)->mouseMode(), c.mode) << c.id;
        EXPECT_EQ(gPaused, c.pauses) << c.id;
        if (*c.box) {
            ASSERT_EQ(hl::MessageBoxCalls().size(), boxes + 1) << c.id;
            EXPECT_EQ(hl::MessageBoxCalls().back().text, c.box);
            EXPECT_EQ(hl::MessageBoxCalls().back().caption, "");
            EXPECT_EQ(hl::MessageBoxCalls().back().icon, c.icon) << c.id;
        } else {
            EXPECT_EQ(hl::MessageBoxCalls().size(), boxes) << c.id;
        }
        // Add City gives the kiosk's idle time back: the user is about to click.
        EXPECT_EQ(f->inactivityCountdown(), c.mode == kMouseAddCity ? 25u : 0u) << c.id;
    }
}

// The menu holds the clock while its popup is up; the tick that resumes
// presses the panel's Play, which clears the pane's busy state only.
TEST_F(ScreenCommands, AModeChosenWhileTheReplayRunsSurvivesItsResume) {
    myFrame* f = OpenTestView();
    ASSERT_NE(Map(f), nullptr);
    gPaused = false;
    hl::Advance(200);
    for (int id : {130, 136}) {
        gPaused = true;  // the popup is up
        hl::Advance(200);
        f->SendCommand(id);
        const int mode = Map(f)->mouseMode();
        ASSERT_NE(mode, kMouseIdle) << id;
        gPaused = false;  // the popup closed
        hl::Advance(200);
        EXPECT_EQ(Map(f)->mouseMode(), mode) << id;
        Map(f)->SetMouseMode(kMouseIdle);
    }
}

TEST_F(ScreenCommands, WithoutAViewTheMouseModesDoNothing) {
    myFrame* f = Start();
    ASSERT_NE(f, nullptr);
    ASSERT_FALSE(f->viewOpen());
    for (int id : {1012, 1013, 130, 366, 136}) EXPECT_FALSE(f->QueryCommand(id).enabled()) << id;
    // The spot commands stay enabled, as their menu has them, and wait for a view.
    for (int id : {401, 402, 403, 407}) {
        gPaused = false;
        EXPECT_TRUE(f->QueryCommand(id).enabled()) << id;
        f->SendCommand(id);
        EXPECT_FALSE(gPaused) << id;
    }
    EXPECT_TRUE(hl::MessageBoxCalls().empty());
}

TEST_F(ScreenCommands, MapFilesListsTheSegmentFilesWithoutOfferingTheEditor) {
    myFrame* f = OpenTestView();
    ASSERT_TRUE(f->viewOpen());
    FreeStringList(&gMapFiles);
    AppendStringNode(&gMapFiles, std::string_view("COAST.S1"));
    std::string caption;
    bool editOffered = true;
    hl::ScriptDialog(kStringEditTemplate, [&](ui::Dialog& d) {
        caption = d.caption();
        editOffered = d.control(105) && d.control(105)->enabled() && d.control(105)->visible();
        auto* list = d.Item<ui::Edit>(103);
        list->SetSelection(0, list->text().size());
        list->UserType("COAST.S1\r\nRIVERS.S1");
        return ui::IdOk;
    });
    gPaused = false;
    f->SendCommand(kCmMapFiles);
    EXPECT_EQ(caption, "Map Files");
    EXPECT_FALSE(editOffered);
    EXPECT_FALSE(gPaused);
    ASSERT_NE(gMapFiles, nullptr);
    ASSERT_NE(gMapFiles->next, nullptr);
    EXPECT_EQ(gMapFiles->next->text, "RIVERS.S1");
    EXPECT_TRUE(hl::ProcessCalls().empty());
    EXPECT_TRUE(f->viewChanged());  // Close View will offer to save it
}

TEST_F(ScreenCommands, InformationFileNamesTheViewsTextOpensItAndWritesTheView) {
    myFrame* f = OpenTestView();
    ASSERT_TRUE(f->viewOpen());
    const std::string chosen = (std::filesystem::current_path() / "notes" / "ALPHA.inf").string();
    hl::ScriptFileDialogAnswer(chosen);
    gPaused = false;
    f->SendCommand(kCmInformationFile);
    EXPECT_EQ(gViewInformation, "ALPHA.inf");
    EXPECT_TRUE(gPaused);  // held while the user reads or writes it
    ASSERT_FALSE(hl::ProcessCalls().empty());
    EXPECT_EQ(hl::ProcessCalls().back(), (Args{"xdg-open", chosen}));
    EXPECT_NE(TempDir::Read("TV").find("INFORMATION: ALPHA.inf"), std::string::npos);

    // Cancel changes nothing.
    hl::ScriptFileDialogCancel();
    f->SendCommand(kCmInformationFile);
    EXPECT_EQ(gViewInformation, "ALPHA.inf");
}

TEST_F(ScreenCommands, ANewlyShownScreenTakesTheFocusSoEnterActsAtOnce) {
    gControls[kControlStartScreen] = 1;
    myFrame* f = Start();
    ASSERT_NE(f, nullptr);
    f->SendCommand(kCmStartScreen);
    ASSERT_NE(f->startScreen(), nullptr);
    EXPECT_TRUE(f->startScreen()->hasFocus());
    f->SendCommand(kCmSelectMenu);
    ASSERT_NE(f->buttonMenu(), nullptr);
    EXPECT_TRUE(f->buttonMenu()->hasFocus());
}

}  // namespace
