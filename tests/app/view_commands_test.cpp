#include <gtest/gtest.h>

#include <csignal>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/layout.h"
#include "app/speed.h"
#include "app/startup.h"
#include "app/view_list.h"
#include "app/view_names.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/window_helpers.h"
#include "platform/sys/files.h"
#include "platform/ui/recent_files.h"
#include "core/quake.h"
#include "tests/app/app_fixture.h"
#include "tests/app/map_pane_double.h"
#include "tests/support/unreadable_file.h"
#include "tests/support/catalogue_file.h"

namespace ui = platform::ui;
namespace hl = platform::headless;
namespace fd = platform::ui::file_dialog;
using apptest::AppTest;

namespace {

// ---- names and steps, without windows ---------------------------------------------------

TEST(ViewNames, ChosenFilesGiveTheirViewNames) {
    struct Case {
        const char* path;
        const char* cwd;
        const char* opened;  // Open View
        const char* saved;   // Save View As
    };
    const Case cases[] = {
        {"/data/WORLD", "/data", "WORLD", "WORLD"},
        {"/data/WORLD", "/data/", "WORLD", "WORLD"},
        {"/data/Hawaii.old", "/data", "Hawaii", "Hawaii.old"},
        {"/data/my.views/ALASKA", "/data", "/data/my.views/ALASKA", "/data/my.views/ALASKA"},
        {"/other/Alaska.v2.txt", "/data", "/other/Alaska", "/other/Alaska.v2.txt"},
        {"/data/sub/Alaska", "/data", "/data/sub/Alaska", "/data/sub/Alaska"},
        {"mixedCase", "/data", "mixedCase", "mixedCase"},
        {"C:\\VIEWS\\Japan", "/data", "C:/VIEWS/Japan", "C:/VIEWS/Japan"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ViewNameFromChosenPath(c.path, c.cwd), c.opened) << c.path;
        EXPECT_EQ(ViewNameForSavedPath(c.path, c.cwd), c.saved) << c.path;
    }
    EXPECT_EQ(SlashedName("views\\sub\\WORLD"), "views/sub/WORLD");
    EXPECT_EQ(RecentViewName("C:\\QUORVEL\\HAWAII"), "HAWAII");
    EXPECT_EQ(FolderOf("/WORLD"), "/");
    EXPECT_EQ(FolderOf("WORLD"), "");
}

TEST(ViewNames, PageUpAndDownStayInsideTheGroup) {
    struct Case {
        int index, delta, count;
        int want;
        bool clamped;
    };
    const Case cases[] = {
        {0, +1, 3, 1, false}, {1, +1, 3, 2, false}, {2, +1, 3, 2, true},  // the last entry holds
        {2, -1, 3, 1, false}, {0, -1, 3, 0, true},                       // the first entry holds
        {7, +1, 3, 2, true},  {-4, -1, 3, 0, true},                      // from outside the group
        {-4, +1, 3, 0, true}, {0, +1, 1, 0, true},  {0, -1, 1, 0, true},
        {0, +1, 0, 0, true},  {0, -1, 0, 0, true},                       // an empty group opens nothing
    };
    for (const Case& c : cases) {
        const ViewStep s = StepViewIndex(c.index, c.delta, c.count);
        EXPECT_EQ(s.index, c.want) << c.index << " " << c.delta << " of " << c.count;
        EXPECT_EQ(s.clamped, c.clamped) << c.index << " " << c.delta << " of " << c.count;
    }
}

// ---- the commands on a running frame ------------------------------------------------------

struct PaneRecord {
    std::vector<std::string> calls;
};
PaneRecord* gPane = nullptr;

struct RecordingPane : apptest::QuietMapPane {
    using QuietMapPane::QuietMapPane;
    void FlushUpdateRect() override {
        if (gPane) gPane->calls.emplace_back("flush");
    }
    void CloseTextWindow() override {
        if (gPane) gPane->calls.emplace_back("closeText");
    }
};

class ViewCommands : public AppTest {
protected:
    ViewCommands() {
        ResetViewSettings();
        gPane = &pane_;
        SetMapPaneMaker(&apptest::MakePane<RecordingPane>);
        gControls[kControlAutoStartView] = 1;
        gControls[kControlWelcomeScreen] = 0;
        gControls[kControlStartScreen] = 0;
        gCurrentDirectory = platform::CurrentDir();
        TempDir::Write("ALPHA", "DOTS: CIRCLES\nTITLE: Alpha\n");
        TempDir::Write("BETA", "DOTS: WHITE\nTITLE: Beta\n");
        TempDir::Write("GAMMA", "DOTS: KEEP\nTITLE: Gamma\n");
        frame_ = Start();
    }
    ~ViewCommands() override {
        SetMapPaneMaker(nullptr);
        gPane = nullptr;
        gGroupViewList.Flush();
        gViewListIndex = 0;
        ResetViewSettings();
    }
    // A view as the user has it after a second: open, and the frame free to close.
    void Open(const char* name) {
        frame_->OpenView(name);
        ASSERT_TRUE(frame_->viewOpen());
        hl::Advance(50);
    }
    // A display setting changed from the menu.
    void ChangeIt() {
        frame_->SendCommand(kCmSymbolsFirst + 4);
        ASSERT_TRUE(frame_->viewChanged());
    }
    static std::string Line(const std::string& file, const std::string& key) {
        const std::string text = TempDir::Read(file);
        const std::size_t at = text.find(key);
        if (at == std::string::npos) return "";
        return text.substr(at, text.find('\n', at) - at);
    }
    bool Closed() const { return app_->mainWindow() == nullptr; }
    int FileDialogs() const { return static_cast<int>(hl::FileDialogCalls().size()); }

    PaneRecord pane_;
    myFrame* frame_ = nullptr;
};

// The close query: (view titled or not, the box's answer, what the Save As
// dialog does after Yes) -> (closed, what the view files hold, changed after).
struct CloseCase {
    const char* name;
    bool untitled;
    int answer;
    const char* saveAs;  // "" no dialog expected, "-" cancelled, else the name chosen
    bool closed;
    const char* alphaDots;  // the DOTS line of ALPHA afterwards
    bool newFile;           // the name chosen holds the view
    bool changedAfter;
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class CloseQuery : public ViewCommands, public testing::WithParamInterface<CloseCase> {};

TEST_P(CloseQuery, AsksOnceAndKeepsWhatTheUserKeeps) {
    const CloseCase& c = GetParam();
    ASSERT_NE(frame_, nullptr);
    Open(c.untitled ? "" : "ALPHA");
    ChangeIt();
    hl::ScriptMessageBoxAnswer(c.answer);
    if (std::string(c.saveAs) == "-") hl::ScriptFileDialogCancel();
    else if (*c.saveAs) hl::ScriptFileDialogAnswer(c.saveAs);

    frame_->SendCommand(kCmExit);

    ASSERT_EQ(hl::MessageBoxCalls().size(), 1u);
    EXPECT_EQ(hl::MessageBoxCalls()[0].text, "Do you want to save?");
    EXPECT_EQ(hl::MessageBoxCalls()[0].caption, "The view has changed.");
    EXPECT_EQ(hl::MessageBoxCalls()[0].buttons, ui::Buttons::YesNoCancel);
    EXPECT_EQ(FileDialogs(), *c.saveAs ? 1 : 0);
    EXPECT_EQ(Closed(), c.closed);
    EXPECT_EQ(Line("ALPHA", "DOTS: "), c.alphaDots);
    if (*c.saveAs && std::string(c.saveAs) != "-") {
        EXPECT_EQ(Line(c.saveAs, "DOTS: "), c.newFile ? "DOTS: MOMENT RELEASE" : "");
    }
    if (c.closed) return;
    EXPECT_EQ(frame_->viewChanged(), c.changedAfter);
    EXPECT_FALSE(gPaused);
    // Exit is armed again: asked again, and this time the view is let go.
    hl::ScriptMessageBoxAnswer(ui::IdNo);
    frame_->SendCommand(kCmExit);
    EXPECT_EQ(hl::MessageBoxCalls().size(), 2u);
    EXPECT_TRUE(Closed());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CloseQuery,
    testing::Values(CloseCase{"YesWritesTheView", false, ui::IdYes, "", true, "DOTS: MOMENT RELEASE", false, false},
                    CloseCase{"NoLeavesTheFile", false, ui::IdNo, "", true, "DOTS: CIRCLES", false, false},
                    CloseCase{"CancelStays", false, ui::IdCancel, "", false, "DOTS: CIRCLES", false, true},
                    CloseCase{"YesOnANewViewAsksForAName", true, ui::IdYes, "Fresh", true, "DOTS: CIRCLES", true, false},
                    CloseCase{"YesThenCancelledNameStays", true, ui::IdYes, "-", false, "DOTS: CIRCLES", false, true},
                    CloseCase{"NoOnANewViewWritesNothing", true, ui::IdNo, "", true, "DOTS: CIRCLES", false, false}),
    [](const testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

TEST_F(ViewCommands, TheCloseBoxAsksAsExitDoesAndAnUnchangedViewClosesSilently) {
    Open("ALPHA");
    ChangeIt();
    hl::ScriptMessageBoxAnswer(ui::IdCancel);
    hl::CloseBox(*frame_);
    EXPECT_FALSE(Closed());
    ASSERT_TRUE(frame_->SendCommand(kCmSaveView));
    EXPECT_FALSE(frame_->viewChanged());
    frame_->SendCommand(kCmFileExit);
    EXPECT_EQ(hl::MessageBoxCalls().size(), 1u);
    EXPECT_TRUE(Closed());
}

// ---- opening -----------------------------------------------------------------------------

TEST_F(ViewCommands, OpenViewAsksForAnExistingViewAndOpensIt) {
    Open("ALPHA");
    frame_->SetSelectedViewName("ALPHA");
    gPaused = false;
    hl::ScriptFileDialogAnswer("BETA");
    ASSERT_TRUE(frame_->SendCommand(kCmOpenView));
    ASSERT_EQ(FileDialogs(), 1);
    const hl::FileDialogCall& call = hl::FileDialogCalls()[0];
    EXPECT_EQ(call.kind, ui::FileDialogKind::Open);
    EXPECT_EQ(call.asked.filter, "Quorvel Views (*.)|*.|All Files (*.*)|*.*|");
    EXPECT_EQ(call.asked.fileName, "ALPHA");
    EXPECT_EQ(call.asked.initialDir, gCurrentDirectory);
    EXPECT_EQ(call.asked.flags, fd::kMustExist);
    EXPECT_EQ(gMapName, "BETA");
    EXPECT_EQ(gSymbolStyle, 1);
    EXPECT_EQ(frame_->selectedViewName(), "BETA");
    EXPECT_EQ(app_->recentViews().Entry(0), "BETA");
    EXPECT_EQ(platform::CurrentDir(), dir_.path());
    // The configuration was written before the dialog.
    EXPECT_TRUE(std::filesystem::exists("QUORVEL.INI"));
}

TEST_F(ViewCommands, OpenViewCancelledLeavesTheViewAndItsPause) {
    Open("ALPHA");
    for (const bool paused : {false, true}) {
        gPaused = paused;
        hl::ScriptFileDialogCancel();
        ASSERT_TRUE(frame_->SendCommand(kCmOpenView));
        EXPECT_EQ(gPaused, paused);
        EXPECT_EQ(gMapName, "ALPHA");
    }
}

// Every way out of a command that asks puts the pause back as it was; only a
// view opened is left held, for the view to decide.
TEST_F(ViewCommands, EveryWayOutOfTheViewDialogsPutsThePauseBack) {
    TempDir::Write("tour/TOUR.VUS", "EAST\n");
    TempDir::Write("tour/ALPHA", "DOTS: CIRCLES\nTITLE: Alpha\n");  // the view each case opens, once the list moved there
    const std::string list = dir_.path() + "/tour/TOUR.VUS";
    struct Case {
        const char* name;
        const char* view;  // opened, and changed when asked
        bool changed;
        int command;
        std::function<void()> answers;
        bool heldAfter;  // left held, whatever it was before
    } cases[] = {
        {"OpenViewRefusedAtTheQuestion", "ALPHA", true, kCmOpenView,
         [] {
             hl::ScriptFileDialogAnswer("BETA");
             hl::ScriptMessageBoxAnswer(ui::IdCancel);
         },
         false},
        {"OpenViewOpened", "ALPHA", false, kCmOpenView, [] { hl::ScriptFileDialogAnswer("BETA"); }, true},
        {"SaveAsCancelled", "ALPHA", true, kCmSaveViewAs, [] { hl::ScriptFileDialogCancel(); }, false},
        {"SaveAsUnwritable", "ALPHA", true, kCmSaveViewAs, [] { hl::ScriptFileDialogAnswer("no-such-folder/Copy"); },
         false},
        {"SaveAsWritten", "ALPHA", true, kCmSaveViewAs, [] { hl::ScriptFileDialogAnswer("Copy"); }, false},
        {"ExitRefusedAtTheQuestion", "ALPHA", true, kCmExit, [] { hl::ScriptMessageBoxAnswer(ui::IdCancel); }, false},
        // The question's hold ends before the Save As, which holds on its own.
        {"ExitYesThenNoName", "", true, kCmExit,
         [] {
             hl::ScriptMessageBoxAnswer(ui::IdYes);
             hl::ScriptFileDialogCancel();
         },
         false},
        {"OpenListCancelled", "ALPHA", false, kCmOpenViewList, [] { hl::ScriptFileDialogCancel(); }, false},
        {"OpenListRefusedAtTheQuestion", "ALPHA", true, kCmOpenViewList,
         [&] {
             hl::ScriptFileDialogAnswer(list);
             hl::ScriptMessageBoxAnswer(ui::IdCancel);
         },
         false},
        {"OpenListOpened", "ALPHA", false, kCmOpenViewList, [&] { hl::ScriptFileDialogAnswer(list); }, false},
    };
    for (const Case& c : cases) {
        for (const bool paused : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.name << (paused ? " paused" : " running"));
            Open(c.view);
            if (c.changed) ChangeIt();
            gPaused = paused;
            c.answers();
            ASSERT_TRUE(frame_->SendCommand(c.command));
            ASSERT_FALSE(Closed());
            EXPECT_EQ(gPaused, c.heldAfter || paused);
        }
    }
}

TEST_F(ViewCommands, AViewInAnotherFolderIsOpenedFromThere) {
    TempDir::Write("elsewhere/Delta.view", "DOTS: KEEP\n");
    Open("ALPHA");
    hl::ScriptFileDialogAnswer("elsewhere/Delta.view");
    // Cut at its first "." the name is "Delta", which the folder then holds.
    TempDir::Write("elsewhere/Delta", "DOTS: SMALL\nTITLE: Delta\n");
    ASSERT_TRUE(frame_->SendCommand(kCmOpenView));
    EXPECT_EQ(gViewTitle, "Delta");
    EXPECT_EQ(frame_->selectedViewName(), dir_.path() + "/elsewhere/Delta");
    EXPECT_EQ(frame_->caption(), "Kestrune - " + dir_.path() + "/elsewhere/Delta");
}

TEST_F(ViewCommands, ARecentViewOpensAndNamesItselfForTheAlertRedraw) {
    Open("ALPHA");
    app_->recentViews().Add("BETA");
    app_->recentViews().Add("C:\\QUORVEL\\GAMMA");  // stored by an older run elsewhere
    // The newest entry first: GAMMA, then BETA.
    EXPECT_EQ(frame_->SendMessage(ui::RegisterMessage(ui::RecentFiles::kMessageName), 0), 0);
    EXPECT_EQ(gMapName, "GAMMA");
    EXPECT_EQ(TempDir::Read("Alert_View_Filename.txt"), "GAMMA\n");
    EXPECT_TRUE(frame_->animationTimerRunning());
}

// ---- saving ------------------------------------------------------------------------------

TEST_F(ViewCommands, SaveAsMakesTheSavedViewTheOneLaterSavesWrite) {
    Open("ALPHA");
    TempDir::Write("ALPHA.jpg", "picture");
    ChangeIt();
    hl::ScriptFileDialogAnswer("myView");
    ASSERT_TRUE(frame_->SendCommand(kCmSaveViewAs));
    const hl::FileDialogCall& call = hl::FileDialogCalls().at(0);
    EXPECT_EQ(call.kind, ui::FileDialogKind::Save);
    EXPECT_EQ(call.asked.filter, "View files (*.)|*.|");
    EXPECT_EQ(call.asked.fileName, "ALPHA");  // as stored, never lower-cased
    EXPECT_EQ(call.asked.flags, fd::kOverwritePrompt);
    // Written as given: no other spelling of the name appears.
    EXPECT_EQ(Line("myView", "DOTS: "), "DOTS: MOMENT RELEASE");
    EXPECT_FALSE(std::filesystem::exists("myview"));
    EXPECT_FALSE(std::filesystem::exists("MYVIEW"));
    EXPECT_EQ(Line("myView", "SCREEN SAVE FILE: "), "SCREEN SAVE FILE: myView.jpg");
    EXPECT_EQ(TempDir::Read("myView.jpg"), "picture");
    EXPECT_EQ(Line("ALPHA", "DOTS: "), "DOTS: CIRCLES");
    EXPECT_FALSE(frame_->viewChanged());
    EXPECT_EQ(gMapName, "myView");
    EXPECT_EQ(frame_->caption(), "Kestrune - " + dir_.path() + "/myView");

    // Ctrl+S now writes the saved view, and the old one stays as it was.
    frame_->SendCommand(kCmSymbolsFirst + 3);
    hl::Char(*frame_, 19);
    EXPECT_EQ(Line("myView", "DOTS: "), "DOTS: CIRCLES");
    EXPECT_EQ(TempDir::Read("ALPHA"), "DOTS: CIRCLES\nTITLE: Alpha\n");
    EXPECT_EQ(FileDialogs(), 1);

    // It heads the recent views, which are this working folder's own.
    ASSERT_FALSE(app_->recentViews().entries().empty());
    EXPECT_EQ(app_->recentViews().entries()[0], "myView");
    const std::string stored = TempDir::Read(dir_.path() + "/config/kestrune/Kestrune.ini");
    EXPECT_NE(stored.find("[Recent File List " + dir_.path() + "]\nFile1=myView\n"), std::string::npos) << stored;
    platform::ui::RecentFiles elsewhere("Kestrune.ini", 4, 127, "Recent File List /elsewhere");
    EXPECT_TRUE(elsewhere.entries().empty());

    // Opened again it comes back under the name it was given, with its picture.
    Open("ALPHA");
    Open("myView");
    EXPECT_EQ(gMapName, "myView");
    EXPECT_EQ(gMapImageFile, "myView.jpg");
    EXPECT_EQ(frame_->caption(), "Kestrune - " + dir_.path() + "/myView");
}

// The run goes at the table's next step; the file keeps the view's own speed.
TEST_F(ViewCommands, AViewKeepsItsOwnSpeedUnlessTheUserPicksAnother) {
    const TimeValue slowest = gSpeedTable[0];
    struct Case {
        const char* what;
        std::function<void()> act;
        std::string days;  // the DAYS PER SECOND line afterwards
    } cases[] = {
        {"saved after another change", [&] { ChangeIt(); }, "DAYS PER SECOND: 120"},
        {"reopened, then saved",
         [&] {
             frame_->SendCommand(kCmRepeat);
             ChangeIt();
         },
         "DAYS PER SECOND: 120"},
        {"a speed picked, reopened, then saved",
         [&] {
             frame_->SendCommand(kCmSpeedFirst);
             frame_->SendCommand(kCmRepeat);
             ChangeIt();
         },
         "DAYS PER SECOND: " + std::to_string(static_cast<int>(slowest.t / 86400))},
    };
    for (const Case& c : cases) {
        TempDir::Write("MED", "DAYS PER SECOND: 120\nDOTS: WHITE\n");
        Open("MED");
        EXPECT_GT(gSpeed.t, 120 * 86400.0) << "the run takes the next step";
        frame_->SendCommand(kCmLatLonLines);
        EXPECT_EQ(Line("MED", "DAYS PER SECOND: "), "DAYS PER SECOND: 120") << c.what;
        c.act();
        frame_->SendCommand(kCmSaveView);
        EXPECT_EQ(Line("MED", "DAYS PER SECOND: "), c.days) << c.what;
    }
}

TEST_F(ViewCommands, SaveAsUnderItsOwnNameKeepsItsPicture) {
    Open("ALPHA");
    TempDir::Write("ALPHA.jpg", "picture");
    hl::ScriptFileDialogAnswer("ALPHA");
    ASSERT_TRUE(frame_->SendCommand(kCmSaveViewAs));
    EXPECT_EQ(TempDir::Read("ALPHA.jpg"), "picture");
    EXPECT_EQ(Line("ALPHA", "TITLE: "), "TITLE: Alpha");
}

TEST_F(ViewCommands, SaveOnANewViewAsksForANameAndCancelKeepsItUntitled) {
    Open("");
    ChangeIt();
    hl::ScriptFileDialogCancel();
    ASSERT_TRUE(frame_->SendCommand(kCmSaveViewKey));
    EXPECT_TRUE(frame_->newView());
    EXPECT_TRUE(frame_->viewChanged());
    hl::ScriptFileDialogAnswer("Fresh");
    ASSERT_TRUE(frame_->SendCommand(kCmSaveView));
    EXPECT_FALSE(frame_->newView());
    EXPECT_FALSE(frame_->viewChanged());
    EXPECT_EQ(Line("Fresh", "DOTS: "), "DOTS: MOMENT RELEASE");
    EXPECT_EQ(FileDialogs(), 2);
}

TEST_F(ViewCommands, ASaveThatCannotBeWrittenSaysSoAndStaysChanged) {
    Open("ALPHA");
    ChangeIt();
    hl::ScriptFileDialogAnswer("no-such-folder/Copy");  // a folder the dialog's user mistyped
    ASSERT_TRUE(frame_->SendCommand(kCmSaveViewAs));
    ASSERT_EQ(hl::MessageBoxCalls().size(), 1u);
    EXPECT_EQ(hl::MessageBoxCalls()[0].text,
              "Cannot write the view file \"" + dir_.path() + "/no-such-folder/Copy\".");
    EXPECT_TRUE(frame_->viewChanged());
    EXPECT_EQ(gMapName, "ALPHA");
    // Exit then asks, and a Yes that cannot write keeps the program up.
    std::filesystem::remove("ALPHA");
    std::filesystem::create_directory("ALPHA");  // the view's file is a folder now
    hl::ScriptMessageBoxAnswer(ui::IdYes);
    frame_->SendCommand(kCmExit);
    EXPECT_FALSE(Closed());
    EXPECT_TRUE(frame_->viewChanged());
}

// SIGTERM ends the program as Exit does, but nobody may be there to answer:
// a changed view with a name is saved, one without a name is let go.
TEST_F(ViewCommands, ATerminationSignalSavesAChangedViewWithoutAsking) {
    for (const bool titled : {true, false}) {
        SCOPED_TRACE(titled);
        if (!frame_) frame_ = Start();
        ASSERT_NE(frame_, nullptr);
        Open(titled ? "BETA" : "");
        ChangeIt();
        ASSERT_EQ(::raise(SIGTERM), 0);
        DelayPumping(20);
        EXPECT_TRUE(Closed());
        EXPECT_TRUE(hl::MessageBoxCalls().empty());
        EXPECT_TRUE(hl::FileDialogCalls().empty());
        EXPECT_EQ(Line("BETA", "DOTS: "), "DOTS: MOMENT RELEASE");
        app_.reset();
        frame_ = nullptr;
    }
}

// ---- closing -----------------------------------------------------------------------------

TEST_F(ViewCommands, CloseViewSavesAChangedViewWithoutAskingAndShowsTheMenu) {
    Open("ALPHA");
    ChangeIt();
    ASSERT_TRUE(frame_->SendCommand(kCmCloseView));
    EXPECT_TRUE(hl::MessageBoxCalls().empty());
    EXPECT_EQ(Line("ALPHA", "DOTS: "), "DOTS: MOMENT RELEASE");
    EXPECT_FALSE(frame_->viewOpen());
    EXPECT_EQ(frame_->layout(), nullptr);
    EXPECT_EQ(frame_->caption(), "Kestrune");
    EXPECT_NE(frame_->buttonMenu(), nullptr);  // without START SCREEN the start goes on to the menu
    EXPECT_FALSE(frame_->animationTimerRunning());
    EXPECT_FALSE(frame_->QueryCommand(kCmSaveView).enabled());
}

TEST_F(ViewCommands, CloseViewOfANewViewWhoseNameIsRefusedKeepsItOpen) {
    Open("");
    ChangeIt();
    hl::ScriptFileDialogCancel();
    ASSERT_TRUE(frame_->SendCommand(kCmCloseView));
    EXPECT_TRUE(frame_->viewOpen());
    EXPECT_TRUE(frame_->viewChanged());
    EXPECT_NE(frame_->layout(), nullptr);
    EXPECT_TRUE(frame_->animationTimerRunning());
}

// ---- lists of views ----------------------------------------------------------------------

TEST_F(ViewCommands, OpenListOfViewsContinuesInTheListsFolderWithItsSettings) {
    TempDir::Write("tour/TOUR.VUS", "EAST\nWEST\n");
    TempDir::Write("tour/QUORVEL.INI", "TIMEOUT: 77\n");
    TempDir::Write("tour/EAST", "TITLE: East\n");
    Open("ALPHA");
    hl::ScriptFileDialogAnswer("tour/tour.vus");  // any spelling the folder holds
    ASSERT_TRUE(frame_->SendCommand(kCmOpenViewList));
    const hl::FileDialogCall& call = hl::FileDialogCalls().at(0);
    EXPECT_EQ(call.asked.filter, "Quorvel Views (*.VUS)|*.VUS|All Files (*.*)|*.*|");
    EXPECT_EQ(call.asked.fileName, "WORLD.VUS");
    EXPECT_EQ(call.asked.flags, fd::kMustExist | fd::kChangeDirectory);
    EXPECT_EQ(platform::CurrentDir(), dir_.path() + "/tour");
    EXPECT_EQ(gCurrentDirectory, dir_.path() + "/tour");
    EXPECT_EQ(gTimeout, 77u);
    EXPECT_EQ(frame_->layout(), nullptr);
    ASSERT_NE(frame_->buttonMenu(), nullptr);
    EXPECT_EQ(gViewList.Count(), 2);
    EXPECT_FALSE(frame_->viewOpen());
    // The menu's views are those of the list's folder.
    frame_->SetSelectedViewName("EAST");
    ASSERT_TRUE(frame_->SendCommand(kCmOpenSelectedView));
    EXPECT_EQ(gViewTitle, "East");
}

TEST_F(ViewCommands, AfterOpenListOfViewsEveryWriterUsesTheListsFolder) {
    TempDir::Write("QUORVEL.INI", "TIMEOUT: 5\n");
    TempDir::Write("tour/TOUR.VUS", "EAST\n");
    TempDir::Write("tour/QUORVEL.INI", "TIMEOUT: 77\n");
    TempDir::Write("tour/EAST", "TITLE: East\n");
    Open("ALPHA");
    hl::ScriptFileDialogAnswer("tour/TOUR.VUS");
    ASSERT_TRUE(frame_->SendCommand(kCmOpenViewList));
    EXPECT_EQ(ConfigurationFolder(), dir_.path() + "/tour");  // where the exit writes too
    // Written once more before the move, as the run had it; never again after.
    const std::string start = TempDir::Read(dir_.path() + "/QUORVEL.INI");
    const std::string tour = dir_.path() + "/tour/QUORVEL.INI";
    struct Case {
        const char* what;
        std::function<void()> run;
        std::function<std::string()> line;  // a line the tour's file holds afterwards
    } cases[] = {
        {"Global Audio", [&] { frame_->SendCommand(kCmGlobalAudio); },
         [] { return std::string("AUDIO: ") + YesNoText(gAudio != 0); }},
        {"Run from Script", [&] { frame_->SendCommand(kCmRunFromScript); },
         [] { return std::string("RUN SCRIPT: ") + YesNoText(gRunScript != 0); }},
        {"Open View",
         [&] {
             hl::ScriptFileDialogAnswer("EAST");
             frame_->SendCommand(kCmOpenView);
         },
         [] { return std::string("TIMEOUT: 77"); }},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(tour);
        c.run();
        EXPECT_NE(TempDir::Read(tour).find("\n" + c.line() + "\n"), std::string::npos) << c.what;
        EXPECT_TRUE(TempDir::Read(dir_.path() + "/QUORVEL.INI") == start) << c.what;
    }
}

// The list's folder has settings that cannot be read: a box says so, and
// neither the exit nor any command replaces them.
TEST_F(ViewCommands, OpenListOfViewsWhoseSettingsCannotBeReadSaysSoAndKeepsThem) {
    TempDir::Write("tour/TOUR.VUS", "EAST\n");
    const std::string ini = "TIMEOUT: 77\n";
    TempDir::Write("tour/QUORVEL.INI", ini);
    Open("ALPHA");
    {
        UnreadableFile locked("tour/QUORVEL.INI");
        ASSERT_TRUE(locked.unreadable());
        hl::ScriptFileDialogAnswer("tour/TOUR.VUS");
        testing::internal::CaptureStderr();
        ASSERT_TRUE(frame_->SendCommand(kCmOpenViewList));
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("cannot be read (Permission denied)"), std::string::npos) << said;
        ASSERT_EQ(hl::MessageBoxCalls().size(), 1u);
        EXPECT_EQ(hl::MessageBoxCalls()[0].text, "QUORVEL.INI in " + dir_.path() +
                                                     "/tour cannot be read (Permission denied). This run uses the "
                                                     "default settings and does not save them.");
        EXPECT_EQ(gTimeout, 0u);
        EXPECT_FALSE(RewriteConfiguration(platform::CurrentDir()));  // as every settings command and the exit do
        EXPECT_EQ(hl::MessageBoxCalls().size(), 1u);  // said once, at the reading
    }
    EXPECT_EQ(TempDir::Read(dir_.path() + "/tour/QUORVEL.INI"), ini);
}

TEST_F(ViewCommands, EditAListOfViewsTellsHowToGoOnAndHandsTheFileToTheEditor) {
    std::vector<std::string> seams;
    SetMissingSeamHandler([&](const std::string& step) { seams.push_back(step); });
    hl::ScriptFileDialogAnswer("NEW.VUS");  // need not exist
    ASSERT_TRUE(frame_->SendCommand(kCmEditViewList));
    EXPECT_EQ(hl::FileDialogCalls().at(0).asked.flags, 0u);
    ASSERT_EQ(hl::MessageBoxCalls().size(), 1u);
    EXPECT_EQ(hl::MessageBoxCalls()[0].text, "When done editing, press Play to restart action");
    EXPECT_EQ(hl::MessageBoxCalls()[0].caption, "");
    EXPECT_TRUE(seams.empty());
    EXPECT_EQ(hl::ProcessCalls(), (std::vector<std::vector<std::string>>{{"xdg-open", dir_.path() + "/NEW.VUS"}}));
    EXPECT_TRUE(gPaused);
}

// ---- the view group ------------------------------------------------------------------------

class ViewGroup : public ViewCommands {
protected:
    ViewGroup() {
        for (const char* name : {"ALPHA", "BETA", "GAMMA"}) {
            ViewListEntry e;
            e.viewName = name;
            gGroupViewList.Add(e);
        }
    }
};

TEST_F(ViewGroup, PageDownAndUpWalkTheGroupAndBeepAtItsEnds) {
    Open("ALPHA");
    gViewListIndex = 0;
    struct Step {
        int key;
        int index;
        const char* view;  // shown afterwards
        std::size_t beeps;
    };
    const Step steps[] = {
        {ui::key::kPageDown, 1, "BETA", 0},  {ui::key::kPageDown, 2, "GAMMA", 0},
        {ui::key::kPageDown, 2, "GAMMA", 1}, {ui::key::kPageUp, 1, "BETA", 1},
        {ui::key::kPageUp, 0, "ALPHA", 1},   {ui::key::kPageUp, 0, "ALPHA", 2},
    };
    for (const Step& s : steps) {
        hl::KeyDown(*frame_, s.key);
        EXPECT_EQ(gViewListIndex, s.index);
        EXPECT_EQ(gMapName, s.view);
        EXPECT_EQ(hl::Beeps().size(), s.beeps);
    }
    EXPECT_EQ(hl::Beeps().back(), ui::BeepKind::Exclamation);
    // Each key flushes the map and closes its text window first.
    EXPECT_GE(std::count(pane_.calls.begin(), pane_.calls.end(), "flush"), 6);
}

// Every way another view (or the button menu) replaces a changed one asks as Exit does.
TEST_F(ViewGroup, ReplacingAChangedViewAsksFirst) {
    struct Way {
        const char* name;
        std::function<void()> go;
        const char* shown;  // the view open after No; "" for the button menu
    } ways[] = {
        {"Open View", [&] {
             hl::ScriptFileDialogAnswer("BETA");
             frame_->SendCommand(kCmOpenView);
         }, "BETA"},
        {"a recent view", [&] {
             app_->recentViews().Add("GAMMA");
             frame_->SendMessage(ui::RegisterMessage(ui::RecentFiles::kMessageName), 0);
         }, "GAMMA"},
        {"Page Down", [&] {
             gViewListIndex = 0;
             frame_->SendCommand(kCmNextListView);
         }, "BETA"},
        {"the group's view", [&] {
             gViewListIndex = 2;
             frame_->SendCommand(kCmOpenListView);
         }, "GAMMA"},
        {"the button menu", [&] { frame_->SendCommand(kCmSelectMenu); }, ""},
    };
    for (const Way& w : ways) {
        for (const int answer : {ui::IdCancel, ui::IdNo, ui::IdYes}) {
            TempDir::Write("ALPHA", "DOTS: CIRCLES\nTITLE: Alpha\n");
            Open("ALPHA");
            ChangeIt();
            const std::size_t boxes = hl::MessageBoxCalls().size();
            hl::ScriptMessageBoxAnswer(answer);
            w.go();
            ASSERT_EQ(hl::MessageBoxCalls().size(), boxes + 1) << w.name;
            EXPECT_EQ(hl::MessageBoxCalls().back().text, "Do you want to save?");
            EXPECT_EQ(hl::MessageBoxCalls().back().caption, "The view has changed.");
            if (answer == ui::IdCancel) {
                EXPECT_EQ(gMapName, "ALPHA") << w.name;
                EXPECT_TRUE(frame_->viewOpen()) << w.name;
                EXPECT_TRUE(frame_->viewChanged()) << w.name;
                EXPECT_EQ(frame_->client(), frame_->layout()) << w.name;
            } else {
                if (*w.shown) EXPECT_EQ(gMapName, w.shown) << w.name;
                else EXPECT_NE(frame_->buttonMenu(), nullptr) << w.name;
            }
            EXPECT_EQ(Line("ALPHA", "DOTS: "), answer == ui::IdYes ? "DOTS: MOMENT RELEASE" : "DOTS: CIRCLES")
                << w.name << " " << answer;
        }
    }
}

TEST_F(ViewGroup, KeysWithoutAViewDoNothing) {
    ASSERT_FALSE(frame_->viewOpen());
    hl::KeyDown(*frame_, ui::key::kPageDown);
    hl::KeyDown(*frame_, ui::key::kF1);
    EXPECT_EQ(gViewListIndex, 0);
    EXPECT_TRUE(hl::Beeps().empty());
}

TEST_F(ViewGroup, ATemplateKeyOpensItsViewCentredOnTheLargestQuakeOrSaysWhatIsMissing) {
    TempDir::Write("QUAKES", "EVENT FILE: Q.HY4\nEARTHQUAKES: YES\nTITLE: Quakes\n");
    ASSERT_TRUE(WriteQuakeFile("Q.HY4", {MakeEventRecord(nullptr, 2000, 1, 1, 0, 0, 0, 35, 140, 10, 7.0),
                                         MakeEventRecord(nullptr, 2001, 1, 1, 0, 0, 0, 36, 141, 10, 8.0),
                                         MakeEventRecord(nullptr, 2002, 1, 1, 0, 0, 0, -30, -70, 10, 9.0)}));
    TempDir::Write("TEMPLAT2", "NORTH SEARCH LATITUDE: 45\nSOUTH SEARCH LATITUDE: 30\nLEFT SEARCH LONGITUDE: 130\n"
                               "RIGHT SEARCH LONGITUDE: 150\nTEMPLATE LATITUDE RANGE: 10\nTEMPLATE LONGITUDE RANGE: 20\n"
                               "MINIMUM YEAR: 1900\nMAXIMUM YEAR: 2100\nMAXIMUM MONTH: 12\nMAXIMUM DAY: 31\n"
                               "EVENT FILE: ELSE.HY4\n");
    Open("QUAKES");
    // No third template: the key says so and the view stays.
    hl::KeyDown(*frame_, ui::key::kF1 + 2);
    ASSERT_FALSE(hl::MessageBoxCalls().empty());
    EXPECT_EQ(hl::MessageBoxCalls().back().caption, "Cannot find file:");
    EXPECT_EQ(hl::MessageBoxCalls().back().text, "TEMPLAT3");
    EXPECT_EQ(gMapName, "QUAKES");
    EXPECT_EQ(gEventFileName, "Q.HY4");

    hl::KeyDown(*frame_, ui::key::kF1 + 1);
    EXPECT_EQ(gMapName, "TEMPLAT2");
    EXPECT_EQ(gEventFileName, "Q.HY4");
    EXPECT_DOUBLE_EQ(gMapNorth, 41);
    EXPECT_DOUBLE_EQ(gMapWest, 131);
    EXPECT_NE(TempDir::Read("TEMPLAT2").find("EVENT FILE: Q.HY4\n"), std::string::npos);
}

TEST_F(ViewGroup, TheGroupsCurrentViewOpensAndAPositionOutsideItDoesNothing) {
    gViewListIndex = 2;
    ASSERT_TRUE(frame_->SendCommand(kCmOpenListView));
    EXPECT_EQ(gMapName, "GAMMA");
    for (const int outside : {3, -1, 100}) {
        gViewListIndex = outside;
        ASSERT_TRUE(frame_->SendCommand(kCmOpenListView));
        EXPECT_EQ(gMapName, "GAMMA");
    }
}

}  // namespace
