#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "app/menus.h"
#include "app/startup.h"
#include "app/version.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/window_helpers.h"
#include "platform/sys/files.h"
#include "platform/ui/recent_files.h"
#include "tests/app/app_fixture.h"
#include "tests/support/unreadable_file.h"

namespace ui = platform::ui;
namespace hl = platform::headless;
using apptest::AppTest;
using apptest::Contains;
using apptest::DebugLines;

namespace {

TEST(LargeFontRule, NeedsMoreThanAHundredAverageCharacters) {
    struct Case {
        int width, aveChar;
        bool large;
    };
    for (const Case& c : {Case{1024, 7, true}, Case{800, 8, false}, Case{807, 8, false}, Case{808, 8, true},
                          Case{1920, 0, false}, Case{640, 6, true}}) {
        EXPECT_EQ(WantsLargeFont(c.width, c.aveChar), c.large) << c.width << " / " << c.aveChar;
    }
}

using Startup = AppTest;

TEST_F(Startup, MeasureScreenMakesTheLargeFontOnlyOnWideScreens) {
    hl::SetScreenSize({4000, 1000});
    MeasureScreen();
    EXPECT_EQ(gScreenWidth, 4000);
    EXPECT_EQ(gScreenHeight, 1000);
    ASSERT_GT(gScreenMetrics.aveCharWidth, 0);
    ASSERT_NE(gLargeFont, nullptr);
    EXPECT_EQ(gLargeFont->weight(), platform::gfx::kBoldWeight);
    EXPECT_EQ(gLargeFont->height(), static_cast<int>(gScreenMetrics.height * 1.5));
    EXPECT_EQ(gLargeMetrics.height, gLargeFont->metrics().height);

    hl::SetScreenSize({100 * gScreenMetrics.aveCharWidth, 480});
    MeasureScreen();
    EXPECT_EQ(gLargeFont, nullptr);
    EXPECT_EQ(gLargeMetrics.height, gScreenMetrics.height);
    EXPECT_EQ(gLargeMetrics.aveCharWidth, gScreenMetrics.aveCharWidth);
}

// The configuration is read where the program starts, before WORKING
// DIRECTORY moves it; the view defaults come after the configuration.
TEST_F(Startup, ReadsTheConfigurationBeforeMovingToTheWorkingFolder) {
    std::filesystem::create_directory("work");
    TempDir::Write("QUORVEL.INI", "DEBUG: YES\nWORKING DIRECTORY: work\nMENU BAR: YES\nCAN EXIT: YES\n");
    TempDir::Write("work/QUORVEL.INI", "DEBUG: YES\nMENU BAR: NO\n");
    gMapName = "LEFT OVER";
    const std::string start = platform::CurrentDir();

    EXPECT_EQ(ReadStartupSettings(), start);
    EXPECT_EQ(gControls[kControlMenuBar], 1);
    EXPECT_EQ(gCurrentDirectory, start + "/work");
    EXPECT_EQ(platform::CurrentDir(), start + "/work");
    EXPECT_EQ(gProgramDir, platform::ProgramDir());
    EXPECT_NE(gMapName, "LEFT OVER");
    // Logged in the start folder: the log follows the current folder.
    EXPECT_EQ(DebugLines(start + "/Debug.txt"), (std::vector<std::string>{"Readpro", "readctl"}));
}

TEST_F(Startup, AFailedWorkingFolderChangeIsIgnored) {
    TempDir::Write("QUORVEL.INI", "WORKING DIRECTORY: missing\n");
    const std::string start = platform::CurrentDir();
    ReadStartupSettings();
    EXPECT_EQ(gCurrentDirectory, start);
}

TEST_F(Startup, OwlMainRunsItsStepsInOrderAndRewritesTheConfiguration) {
    gControls[kControlDebug] = 0;
    TempDir::Write("QUORVEL.INI",
                   "DEBUG: YES\nMENU BAR: YES\nCAN EXIT: YES\nWELCOME SCREEN: NO\nSTART SCREEN: NO\nNO SUCH KEY: 1\n");
    char name[] = "Quorview";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(OwlMain(1, argv), 0);

    const std::string version = *ProjectRCVersion().Query("ProductVersion");
    const std::vector<std::string> expected = {
        "readctl", "Resolution: 1920 x 1080", "Run the application", "Run", "Version " + version,
        "CmStartScreen",
        // The unknown key is dropped by the rewrite, so the file is kept first.
        "Lines of QUORVEL.INI not understood: 1; the file is kept as QUORVEL.INI.bak",
        "Writing quorvel.ini", "Return from application .....",
    };
    EXPECT_EQ(DebugLines(), expected);
    EXPECT_NE(TempDir::Read("QUORVEL.INI.bak").find("NO SUCH KEY: 1"), std::string::npos);
    const std::string ini = TempDir::Read("QUORVEL.INI");
    EXPECT_EQ(ini.find("NO SUCH KEY"), std::string::npos);  // rewritten whole
    EXPECT_NE(ini.find("MENU BAR: YES"), std::string::npos);
    EXPECT_EQ(gMainFrame, nullptr);
    EXPECT_EQ(gApplication, nullptr);
    EXPECT_EQ(gLargeFont, nullptr);  // freed
    EXPECT_FLOAT_EQ(gSphereMapping.xScale, 2048.0f / 180.0f);
    EXPECT_FLOAT_EQ(gSphereMapping.yScale, -2048.0f / 180.0f);
    EXPECT_FLOAT_EQ(gSphereMapping.xOffset, 180.0f);
    EXPECT_FLOAT_EQ(gSphereMapping.yOffset, -90.0f);
}

// Writing the configuration into the working folder would leave the one read
// at the next start unchanged.
TEST_F(Startup, OwlMainRewritesTheConfigurationWhereItWasRead) {
    std::filesystem::create_directory("work");
    TempDir::Write("QUORVEL.INI", "WORKING DIRECTORY: work\nNO SUCH KEY: 1\n");
    const std::string start = platform::CurrentDir();
    char name[] = "Quorview";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(OwlMain(1, argv), 0);
    EXPECT_EQ(TempDir::Read(start + "/QUORVEL.INI").find("NO SUCH KEY"), std::string::npos);
    EXPECT_NE(TempDir::Read(start + "/QUORVEL.INI").find("WORKING DIRECTORY: work"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(start + "/work/QUORVEL.INI"));
}

// Without a display the program says why and leaves every file as it was:
// no rewritten configuration, no log, no "sos" folder.
TEST_F(Startup, WithoutADisplaySaysWhyAndWritesNothing) {
    const std::string ini = "DEBUG: YES\nWELCOME SCREEN: NO\nNO SUCH KEY: 1\n";
    TempDir::Write("QUORVEL.INI", ini);
    hl::SetDisplayAvailable(false);
    char name[] = "Quorview";
    char* argv[] = {name, nullptr};
    testing::internal::CaptureStderr();
    const int result = OwlMain(1, argv);
    const std::string said = testing::internal::GetCapturedStderr();
    hl::SetDisplayAvailable(true);
    EXPECT_EQ(result, 1);
    EXPECT_NE(said.find("Quorview: no display"), std::string::npos) << said;
    EXPECT_EQ(TempDir::Read("QUORVEL.INI"), ini);
    EXPECT_FALSE(std::filesystem::exists("Debug.txt"));
    EXPECT_FALSE(std::filesystem::exists("sos"));
    EXPECT_EQ(gMainFrame, nullptr);
}

TEST_F(Startup, ExitThenShutdownRewritesTheConfiguration) {
    TempDir::Write("QUORVEL.INI", "MENU BAR: YES\nCAN EXIT: YES\nNO SUCH KEY: 1\n");
    const std::string folder = ReadStartupSettings();
    myFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(frame->SendCommand(kCmExit));
    ASSERT_EQ(app_->mainWindow(), nullptr);
    app_.reset();
    EXPECT_TRUE(RewriteConfiguration(folder));
    EXPECT_EQ(TempDir::Read("QUORVEL.INI").find("NO SUCH KEY"), std::string::npos);
}

TEST_F(Startup, AFailedRewriteIsReportedAndKeepsTheOldFile) {
    std::filesystem::create_directory("QUORVEL.INI");  // cannot be replaced by a file
    // No window is up at exit: the report goes to stderr, since the debug
    // log lies in the folder that cannot be written.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(RewriteConfiguration(platform::CurrentDir()));
    EXPECT_FALSE(RewriteConfiguration(platform::CurrentDir() + "/gone"));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("The settings could not be written to QUORVEL.INI in " + platform::CurrentDir()),
              std::string::npos) << said;
    EXPECT_NE(said.find("/gone"), std::string::npos) << said;
    EXPECT_TRUE(Contains(DebugLines(), "Cannot write QUORVEL.INI"));
    EXPECT_TRUE(hl::MessageBoxCalls().empty());

    // While the frame is up it is a message box.
    ASSERT_NE(Start(), nullptr);
    EXPECT_FALSE(RewriteConfiguration(platform::CurrentDir()));
    ASSERT_EQ(hl::MessageBoxCalls().size(), 1u);
    EXPECT_NE(hl::MessageBoxCalls()[0].text.find("could not be written"), std::string::npos);

    // And the program's exit status says so.
    app_.reset();
    char name[] = "Quorview";
    char* argv[] = {name, nullptr};
    testing::internal::CaptureStderr();
    EXPECT_EQ(OwlMain(1, argv), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("could not be written"), std::string::npos);
}

// A settings file that cannot be read is said to be so and outlives the run
// unchanged; the run goes on with the defaults.
TEST_F(Startup, ASettingsFileThatCannotBeReadOutlivesTheRun) {
    const std::string ini = "MENU BAR: YES\nCAN EXIT: YES\nWELCOME SCREEN: NO\nSTART SCREEN: NO\nTIMEOUT: 42\n";
    TempDir::Write("QUORVEL.INI", ini);
    char name[] = "Quorview";
    char* argv[] = {name, nullptr};
    std::string said;
    {
        UnreadableFile locked("QUORVEL.INI");
        ASSERT_TRUE(locked.unreadable());
        ::setenv(kExitAfterVariable, "100", 1);
        testing::internal::CaptureStderr();
        (void)OwlMain(1, argv);
        said = testing::internal::GetCapturedStderr();
        ::unsetenv(kExitAfterVariable);
    }
    EXPECT_EQ(TempDir::Read("QUORVEL.INI"), ini);
    EXPECT_FALSE(std::filesystem::exists("QUORVEL.INI.bak"));
    EXPECT_NE(said.find("Quorview: QUORVEL.INI in " + platform::CurrentDir() +
                        " cannot be read (Permission denied). This run uses the default settings and does not save them."),
              std::string::npos) << said;
    EXPECT_EQ(said.find("could not be written"), std::string::npos) << said;
}

// SIGTERM and SIGINT end the program as Exit does: the settings are written.
TEST_F(Startup, TerminationSignalsAreHandledAsExit) {
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        TempDir::Write("QUORVEL.INI", "DEBUG: YES\nMENU BAR: YES\nCAN EXIT: YES\nNO SUCH KEY: 1\n");
        const std::string folder = ReadStartupSettings();
        myFrame* frame = Start();
        ASSERT_NE(frame, nullptr);
        ASSERT_EQ(::raise(signal), 0);  // the process goes on
        DelayPumping(20);  // the message loop sees the signal
        EXPECT_EQ(app_->mainWindow(), nullptr);
        app_.reset();
        EXPECT_TRUE(RewriteConfiguration(folder));
        EXPECT_EQ(TempDir::Read("QUORVEL.INI").find("NO SUCH KEY"), std::string::npos);
        EXPECT_TRUE(Contains(DebugLines(), "Termination signal: Exit"));
    }
}

// After a run that died: the catalogue lost between two renames comes back,
// and the temporary files of killed writers go.
TEST_F(Startup, RepairsWhatAKilledRunLeftBehind) {
    TempDir::Write("QUORVEL.INI", "DEBUG: YES\nUPDATE FILE: CAT.HY4\n");
    const std::string record(24, '\0');
    TempDir::Write("CAT.hyt", record);
    TempDir::Write("temptemp.hy4", "cut");
    const std::string dead = std::string("WORLD") + platform::kTemporaryMarker + "2147483646.abcdef";
    TempDir::Write(dead, "half a view");
    ReadStartupSettings();
    EXPECT_EQ(TempDir::Read("CAT.HY4"), record);
    EXPECT_FALSE(std::filesystem::exists("temptemp.hy4"));
    EXPECT_FALSE(std::filesystem::exists(dead));
    const std::vector<std::string> log = DebugLines();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& l) { return l.find("Restored ") == 0; }));
}

using RecentViews = AppTest;

TEST_F(RecentViews, SurviveARestartAndOpenTheChosenView) {
    Start();
    app_->recentViews().Add("WORLD");
    app_->recentViews().Add("JAPAN");
    app_.reset();
    EXPECT_TRUE(std::filesystem::exists(dir_.path() + "/config/kestrune/Kestrune.ini"));

    myFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(app_->recentViews().entries(), (std::vector<std::string>{"JAPAN", "WORLD"}));
    hl::ScriptPopupAnswer(ui::RecentFiles::kFirstCommand + 1);
    ASSERT_TRUE(hl::ChooseMenuCommand(*frame, 180));
    const auto lines = DebugLines();
    EXPECT_TRUE(Contains(lines, "Open view from File pulldown: WORLD"));
    EXPECT_TRUE(Contains(lines, "OpenView WORLD"));
}

TEST_F(RecentViews, KeepFifteenNamesOfSeventyFiveCharacters) {
    Start();
    for (int i = 0; i < 20; ++i) app_->recentViews().Add("VIEW" + std::to_string(i) + std::string(100, 'X'));
    app_.reset();
    Start();
    const auto& entries = app_->recentViews().entries();
    ASSERT_EQ(entries.size(), 15u);
    EXPECT_EQ(entries.front().size(), 75u);
    EXPECT_EQ(entries.front().rfind("VIEW19", 0), 0u);
}

}  // namespace
