// The map pane's text windows, its Information button and the view's
// information window, on an open view.
#include <gtest/gtest.h>

#include "app/buttons.h"
#include "app/help_windows.h"
#include "tests/app/event_fixture.h"

namespace ui = platform::ui;
namespace hl = platform::headless;

namespace {

class PaneTexts : public apptest::Events {
protected:
    PaneTexts() {
        WriteQuakes({Quake(2, 0, 0)});
        WriteEruptions({});
    }
};

TEST_F(PaneTexts, EachTextCommandReplacesThePanesTextWindow) {
    TempDir::Write("HELP.TXT", "How to use the map.\n");
    WriteView("");
    myFrame* f = OpenTestView();
    childMap* map = Map(f);
    ASSERT_NE(map, nullptr);
    map->SendCommand(1054);
    auto* help = dynamic_cast<myHelp*>(PaneTextWindow());
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->text(), "How to use the map.\n");
    bool helpGone = false;
    help->SetGoneHandler([&] { helpGone = true; });
    map->SendCommand(1068);
    EXPECT_TRUE(helpGone);
    auto* key = dynamic_cast<myHelp*>(PaneTextWindow());
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->text(), "File KEY.TXT not found");
    // Back forgets it; closing again is harmless.
    key->CmBack();
    EXPECT_EQ(PaneTextWindow(), nullptr);
    map->CloseTextWindow();
}

TEST_F(PaneTexts, TheInformationButtonOpensTheViewsInformation) {
    TempDir::Write("TV.TXT", "About this view.\n");
    gControls[kControlShowInformationButton] = 1;
    WriteView("INFORMATION: TV.TXT\n");
    myFrame* f = OpenTestView();
    childMap* map = Map(f);
    ASSERT_NE(map, nullptr);
    auto* button = dynamic_cast<textButton*>(map->ChildWithId(1053));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "Information");
    EXPECT_EQ(button->rect().right, map->clientRect().right - 5);
    EXPECT_EQ(button->rect().bottom, map->clientRect().bottom - 5);
    const ui::Point p{button->rect().width() / 2, button->rect().height() / 2};
    hl::Mouse(*button, ui::MouseAction::LeftDown, p);
    hl::Mouse(*button, ui::MouseAction::LeftUp, p);
    auto* info = dynamic_cast<myHelp*>(PaneTextWindow());
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->text(), "About this view.\n");
}

TEST_F(PaneTexts, InitialInfoHoldsTheClockUntilStartAndPlayClosesIt) {
    TempDir::Write("TV.TXT", "About this view.\n");
    gControls[kControlInitialInfo] = 1;
    gTimeout = 40;
    WriteView("INFORMATION: TV.TXT\n");
    myFrame* f = OpenTestView();
    ASSERT_NE(f->infoWindow(), nullptr);
    EXPECT_EQ(Map(f)->mouseMode(), kMouseBusy);
    EXPECT_EQ(f->inactivityCountdown(), 40u);
    f->infoWindow()->CmStart();
    EXPECT_EQ(f->infoWindow(), nullptr);
    EXPECT_EQ(Map(f)->mouseMode(), kMouseIdle);
    // Opened again and closed by Play, as the frame does when the view goes on.
    f->OpenView(nullptr);
    ASSERT_NE(f->infoWindow(), nullptr);
    f->CloseInfoWindows();
    EXPECT_EQ(f->infoWindow(), nullptr);
    // A view whose information file is missing opens none.
    gViewInformation = "NONE.TXT";
    f->OpenView(nullptr);
    EXPECT_EQ(f->infoWindow(), nullptr);
}

}  // namespace
