#include "keeper/keeper.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/dialog_conventions.h"
#include "app/globals.h"
#include "app/prompt_dialogs.h"
#include "core/config.h"
#include "core/keeper_config.h"
#include "core/missing_seam.h"
#include "keeper/control_dialog.h"
#include "platform/sys/files.h"
#include "platform/sys/process.h"
#include "platform/ui/headless/headless.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_lines.h"

extern char** environ;

namespace ui = platform::ui;
namespace hl = platform::headless;
using testsupport::TextLines;

namespace {

constexpr int kPromptEdit = 4090;
constexpr int kPromptText = 4091;

// The lines of b that differ from the same line of a; both must have as many.
std::vector<std::string> ChangedLines(const std::string& a, const std::string& b) {
    const auto la = TextLines(a), lb = TextLines(b);
    EXPECT_EQ(la.size(), lb.size());
    std::vector<std::string> changed;
    for (std::size_t i = 0; i < la.size() && i < lb.size(); ++i)
        if (la[i] != lb[i]) changed.push_back(lb[i]);
    return changed;
}

// A folder holding what Quorview wrote, and quorkeeper's frame on it.
class Keeper : public testing::Test {
protected:
    Keeper() {
        ResetConfigValues();
        ReadConfigFile();  // Quorview's defaults...
        gAlertEventsUrl = "https://example.org/feed/all_hour.csv";
        gControls[kControlScienceOnASphere] = 1;
        gAlertPollDirectory = "/srv/alerts";
        gMode = kModeIvBegin;
        EXPECT_EQ(WriteConfigFile(), 0);  // ...as Quorview writes them
        quorview_ = TempDir::Read("QUORVEL.INI");
        ResetConfigValues();
        SetMissingSeamHandler([](const std::string& step) { ADD_FAILURE() << "missing seam: " << step; });
    }
    ~Keeper() override {
        app_.reset();
        SetMissingSeamHandler(nullptr);
        ResetConfigValues();
    }

    smFrame& Start() {
        ReadKeeperConfiguration();
        app_ = std::make_unique<TMyApp>();
        EXPECT_EQ(app_->Run(), 0);
        auto* frame = dynamic_cast<smFrame*>(app_->mainWindow());
        EXPECT_NE(frame, nullptr);
        return *frame;
    }
    // Chooses the menu command; the command must be an enabled item of the bar.
    void Choose(smFrame& frame, int id) { ASSERT_TRUE(hl::ChooseMenuCommand(frame, id)) << id; }
    // The next prompt: what it showed, then typing into it and pressing the button.
    struct Shown {
        std::string caption, prompt, text;
    };
    void AnswerPrompt(std::string typed, int button, Shown* shown = nullptr) {
        hl::ScriptDialog(kInputDialogTemplate, [=](ui::Dialog& d) {
            auto* e = d.Item<ui::Edit>(kPromptEdit);
            if (shown) *shown = {d.caption(), d.Item<ui::Static>(kPromptText)->text(), e->text()};
            e->UserSetText(typed);
            return button;
        });
    }
    std::string Saved() const { return TempDir::Read("QUORVEL.INI"); }

    TempDir dir_;
    std::string quorview_;
    std::unique_ptr<TMyApp> app_;
};

TEST_F(Keeper, AFrameWithARealHeightCaptionedWithTheFolderAndTheMenu) {
    smFrame& frame = Start();
    EXPECT_EQ(frame.caption(), "Kestrune Maintenance: " + platform::CurrentDir() + "/QUORVEL.INI");
    EXPECT_GT(frame.rect().height(), 100);
    EXPECT_GT(frame.rect().width(), 300);
    ASSERT_NE(frame.menu(), nullptr);
    EXPECT_EQ(frame.menu()->CommandIds(), (std::vector<int>{24332, 24333, 24334, 2, 102, 103, 105, 106, 109, 1, 104}));
    frame.UpdateMenuBar();
    EXPECT_EQ(frame.menu()->enabled(104), false) << "About does nothing";
    EXPECT_EQ(frame.menu()->enabled(24333), true);
}

TEST_F(Keeper, ASaveChangesOnlyTheEditedKeysOfWhatQuorviewWrote) {
    smFrame& frame = Start();
    hl::ScriptDialog(kControlDialogTemplate, [](ui::Dialog& d) {
        d.Item<ui::CheckBox>(101)->Click();  // Menu Bar off
        return ui::IdOk;
    });
    Choose(frame, kKeeperCmControl);
    AnswerPrompt("45", ui::IdOk);
    Choose(frame, kKeeperCmUserTimeout);
    EXPECT_EQ(ChangedLines(quorview_, Saved()), (std::vector<std::string>{"MENU BAR: NO", "TIMEOUT: 45"}));
    // The keys this program does not know, and MODE, came through.
    EXPECT_NE(Saved().find("\nALERT USGS EVENTS URL: https://example.org/feed/all_hour.csv\n"), std::string::npos);
    EXPECT_NE(Saved().find("\nSCIENCE ON A SPHERE: YES\n"), std::string::npos);
    EXPECT_NE(Saved().find("\nMODE: IV_BEGIN\n"), std::string::npos);
}

// Every box shows its own setting and stores it back, and no other.
TEST_F(Keeper, TheControlsBoxesMapOneToOneOntoTheirSettings) {
    struct Box {
        int id;
        const char* text;
        std::function<std::uint8_t&()> setting;  // empty: MODE and LEGEND, below
    };
    const Box boxes[] = {
        {101, "Menu Bar", []() -> std::uint8_t& { return gControls[kControlMenuBar]; }},
        {102, "Title Bar", []() -> std::uint8_t& { return gControls[kControlTitleBar]; }},
        {103, "Can Exit", []() -> std::uint8_t& { return gControls[kControlCanExit]; }},
        {105, "User can redraw view", []() -> std::uint8_t& { return gControls[kControlCanRedraw]; }},
        {106, "Run from script", []() -> std::uint8_t& { return gRunScript; }},
        {120, "Can resize", []() -> std::uint8_t& { return gControls[kControlCanResize]; }},
        {115, "Museum Mode", []() -> std::uint8_t& { return gMuseumMode; }},
        {104, "Show Slider", []() -> std::uint8_t& { return gControls[kControlShowSlider]; }},
        {108, "Show Plates button", []() -> std::uint8_t& { return gControls[kControlShowPlatesButton]; }},
        {111, "Show Back button", []() -> std::uint8_t& { return gControls[kControlShowBackButton]; }},
        {110, "Show Pause button", []() -> std::uint8_t& { return gControls[kControlShowPauseButton]; }},
        {117, "Display Information Spots", []() -> std::uint8_t& { return gControls[kControlShowInfoSpots]; }},
        {113, "Show Earthquake & Eruption Check Boxes",
         []() -> std::uint8_t& { return gControls[kControlShowEqErCheckBoxes]; }},
        {114, "Show Sound button", []() -> std::uint8_t& { return gControls[kControlShowSoundButton]; }},
        {107, "Show initial information screen", []() -> std::uint8_t& { return gControls[kControlInitialInfo]; }},
        {112, "Show Information Button", []() -> std::uint8_t& { return gControls[kControlShowInformationButton]; }},
        {116, "Show Repeat button", []() -> std::uint8_t& { return gControls[kControlShowRepeatButton]; }},
        {118, "Map Title Window", []() -> std::uint8_t& { return gMapTitleWindow; }},
        {119, "Show Start Again button", []() -> std::uint8_t& { return gControls[kControlShowStartOverButton]; }},
        {109, "Inactive Pop-Up", []() -> std::uint8_t& { return gInactivePopup; }},
        {122, "Show Welcome Screen", []() -> std::uint8_t& { return gControls[kControlWelcomeScreen]; }},
        {123, "Show Go Screen", []() -> std::uint8_t& { return gControls[kControlStartScreen]; }},
        {124, "Auto Restart", {}},
        {125, "Legend", {}},
        {126, "Use local time", []() -> std::uint8_t& { return gUseLocalTime; }},
    };
    RegisterControlDialogTemplate();
    const ui::DialogTemplate* t = ui::FindDialogTemplate(kControlDialogTemplate);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->caption, "Controls");
    EXPECT_EQ(t->rect.width(), 351);
    EXPECT_EQ(t->rect.height(), 255);
    ASSERT_GE(t->items.size(), std::size(boxes));
    EXPECT_EQ(CaptionOf("Show Earthquake & Eruption Check Boxes"), "Show Earthquake && Eruption Check Boxes");
    for (std::size_t i = 0; i < std::size(boxes); ++i) {  // created in this order
        EXPECT_EQ(t->items[i].id, boxes[i].id) << i;
        EXPECT_EQ(t->items[i].text, CaptionOf(boxes[i].text)) << i;
        EXPECT_EQ(t->items[i].kind, ui::ControlKind::CheckBox) << i;
    }

    // All settings off but one: exactly its box is checked; unticking it clears only it.
    auto allOff = [&] {
        for (const Box& b : boxes)
            if (b.setting) b.setting() = 0;
        gMode = kModeNormal;
        gControls[kControlNoLegend] = 1;
    };
    ui::Window owner(nullptr);
    owner.Create();
    for (const Box& box : boxes) {
        allOff();
        if (box.setting) box.setting() = 1;
        else if (box.id == 124) gMode = kModeLoop;
        else gControls[kControlNoLegend] = 0;
        std::vector<int> checked;
        hl::ScriptDialog(kControlDialogTemplate, [&](ui::Dialog& d) {
            for (const Box& b : boxes)
                if (d.Item<ui::CheckBox>(b.id)->checked()) checked.push_back(b.id);
            d.Item<ui::CheckBox>(box.id)->Click();
            return ui::IdOk;
        });
        controlDialog dialog(&owner);
        EXPECT_EQ(dialog.Execute(), ui::IdOk);
        EXPECT_EQ(checked, std::vector<int>{box.id}) << box.text;
        for (const Box& b : boxes)
            if (b.setting) {
                EXPECT_EQ(b.setting(), 0) << box.text << " left " << b.text << " on";
            }
        EXPECT_EQ(gMode, kModeNormal) << box.text;
        EXPECT_EQ(gControls[kControlNoLegend], 1) << box.text;
    }
}

TEST_F(Keeper, AutoRestartChangesModeOnlyWhenItsBoxChanges) {
    struct Case {
        const char* name;
        int mode;
        bool click;
        bool shown;
        int stored;
    } cases[] = {
        {"ivBeginUntouched", kModeIvBegin, false, false, kModeIvBegin},
        {"ivEndUntouched", kModeIvEnd, false, false, kModeIvEnd},
        {"ivEndTicked", kModeIvEnd, true, false, kModeLoop},
        {"loopUntouched", kModeLoop, false, true, kModeLoop},
        {"loopUnticked", kModeLoop, true, true, kModeNormal},
        {"normalTicked", kModeNormal, true, false, kModeLoop},
    };
    ui::Window owner(nullptr);
    owner.Create();
    for (const Case& c : cases) {
        gMode = c.mode;
        bool shown = false;
        hl::ScriptDialog(kControlDialogTemplate, [&](ui::Dialog& d) {
            shown = d.Item<ui::CheckBox>(124)->checked();
            if (c.click) d.Item<ui::CheckBox>(124)->Click();
            return ui::IdOk;
        });
        controlDialog dialog(&owner);
        dialog.Execute();
        EXPECT_EQ(shown, c.shown) << c.name;
        EXPECT_EQ(gMode, c.stored) << c.name;
    }
}

TEST_F(Keeper, CancelStoresNothingAndWritesNothing) {
    smFrame& frame = Start();
    hl::ScriptDialog(kControlDialogTemplate, [](ui::Dialog& d) {
        d.Item<ui::CheckBox>(101)->Click();
        return ui::IdCancel;
    });
    Choose(frame, kKeeperCmControl);
    AnswerPrompt("99", ui::IdCancel);
    Choose(frame, kKeeperCmOpeningScreenTimeout);
    EXPECT_EQ(Saved(), quorview_);
    EXPECT_EQ(gControls[kControlMenuBar], 1);
}

TEST_F(Keeper, EachNumberPromptShowsItsValueAndWritesItAsDialogsStoreNumbers) {
    struct Case {
        int command;
        const char* title;
        const char* prompt;
        const char* key;
        std::function<unsigned&()> setting;
    } cases[] = {
        {kKeeperCmOpeningScreenTimeout, "Opening Screen Timeout", "Time in sec", "INIT TIMEOUT", []() -> unsigned& { return gInitTimeout; }},
        {kKeeperCmUserTimeout, "User Timeout", "Specify time in seconds", "TIMEOUT", []() -> unsigned& { return gTimeout; }},
        {kKeeperCmPauseTime, "Amount to pause at end", "Input pause time (seconds)", "SECONDS TO PAUSE AT END",
         []() -> unsigned& { return gPauseAtEndSeconds; }},
    };
    smFrame& frame = Start();
    for (const Case& c : cases) {
        c.setting() = 17;
        struct Typed {
            const char* text;
            const char* written;  // null: refused, the file and the setting kept
        } typed[] = {{"42", "42"},      {" 7s", "7"},           {"abc", "0"},      {"-5", nullptr},
                     {"8.9", "8"},      {"12345678", "1234567"}, {"9999999", "2000000"}};
        for (const Typed& t : typed) {
            const std::size_t boxes = hl::MessageBoxCalls().size();
            Shown shown;
            AnswerPrompt(t.text, ui::IdOk, &shown);
            const std::string before = std::to_string(c.setting());
            const std::string file = Saved();
            Choose(frame, c.command);
            EXPECT_EQ(shown.caption, c.title);
            EXPECT_EQ(shown.prompt, c.prompt);
            EXPECT_EQ(shown.text, before) << c.title;
            if (!t.written) {
                ASSERT_EQ(hl::MessageBoxCalls().size(), boxes + 1) << c.title;
                EXPECT_NE(hl::MessageBoxCalls().back().text.find("negative"), std::string::npos) << c.title;
                EXPECT_EQ(hl::MessageBoxCalls().back().caption, c.title);
                EXPECT_EQ(Saved(), file) << c.title;
                EXPECT_EQ(std::to_string(c.setting()), before) << c.title;
                continue;
            }
            EXPECT_EQ(hl::MessageBoxCalls().size(), boxes) << c.title << " typed " << t.text;
            EXPECT_NE(Saved().find("\n" + std::string(c.key) + ": " + t.written + "\n"), std::string::npos)
                << c.title << " typed " << t.text;
        }
    }
    EXPECT_FALSE(gPaused) << "the pause prompt holds the animation only while it is open";
}

TEST_F(Keeper, HelpFromTheMenuAndTheControlsDialogOpensTheKeepersManualPage) {
    TempDir::Write("manual-keeper.html", "<html></html>");
    smFrame& frame = Start();
    Choose(frame, kKeeperCmHelp);
    hl::ScriptDialog(kControlDialogTemplate, [](ui::Dialog& d) {
        d.SendCommand(kDialogHelpButton);
        return ui::IdCancel;
    });
    Choose(frame, kKeeperCmControl);
    const std::vector<std::string> page{"xdg-open", platform::CurrentDir() + "/manual-keeper.html"};
    EXPECT_EQ(hl::ProcessCalls(), (std::vector<std::vector<std::string>>{page, page}));
    EXPECT_TRUE(hl::MessageBoxCalls().empty());
    EXPECT_EQ(Saved(), quorview_) << "Help and Cancel write nothing";

    // Without the page the user is told, on the frame.
    std::filesystem::remove("manual-keeper.html");
    Choose(frame, kKeeperCmHelp);
    ASSERT_EQ(hl::MessageBoxCalls().size(), 1u);
    EXPECT_EQ(hl::MessageBoxCalls()[0].owner, &frame);
    EXPECT_NE(hl::MessageBoxCalls()[0].text.find("Problem opening"), std::string::npos);
    EXPECT_NE(hl::MessageBoxCalls()[0].text.find("manual-keeper.html"), std::string::npos);
}

TEST_F(Keeper, ThePollDirectoryIsNeverCut) {
    const std::string longDir = "/srv/kiosk/alerts/" + std::string(90, 'd');  // 108 characters
    gAlertPollDirectory = longDir;
    ASSERT_EQ(WriteConfigFile(), 0);
    smFrame& frame = Start();

    Shown shown;
    hl::ScriptDialog(kInputDialogTemplate, [&](ui::Dialog& d) {
        shown = {d.caption(), d.Item<ui::Static>(kPromptText)->text(), d.Item<ui::Edit>(kPromptEdit)->text()};
        return ui::IdOk;  // untouched
    });
    Choose(frame, kKeeperCmPollDirectory);
    EXPECT_EQ(shown.caption, "Poll Directory");
    EXPECT_EQ(shown.prompt, "Poll directory for alerts");
    EXPECT_EQ(shown.text, longDir);
    EXPECT_NE(Saved().find("\nALERT POLL DIRECTORY: " + longDir + "\n"), std::string::npos);

    const std::string before = Saved();
    AnswerPrompt(std::string(128, 'x'), ui::IdOk);
    Choose(frame, kKeeperCmPollDirectory);
    ASSERT_EQ(hl::MessageBoxCalls().size(), 1u);
    EXPECT_NE(hl::MessageBoxCalls()[0].text.find("at most 127 characters"), std::string::npos);
    EXPECT_EQ(Saved(), before);
    EXPECT_EQ(gAlertPollDirectory, longDir);

    // What may be typed: stored as the file will read it again, or refused.
    struct Typed {
        std::string text;
        std::optional<std::string> stored;  // none: refused with the message, nothing written
        const char* message;
    } typed[] = {
        {"/srv/new", "/srv/new", nullptr},
        {"  /srv/padded\t", "/srv/padded", nullptr},
        {"", "", nullptr},  // no polling
        {"/srv/my alerts", std::nullopt, "cannot contain blanks"},
        {std::string(kPollDirectoryLimit, 'a'), std::string(kPollDirectoryLimit, 'a'), nullptr},  // the longest
    };
    for (const Typed& t : typed) {
        const std::size_t boxes = hl::MessageBoxCalls().size();
        const std::string file = Saved(), kept = gAlertPollDirectory;
        AnswerPrompt(t.text, ui::IdOk);
        Choose(frame, kKeeperCmPollDirectory);
        if (!t.stored) {
            ASSERT_EQ(hl::MessageBoxCalls().size(), boxes + 1) << t.text;
            EXPECT_NE(hl::MessageBoxCalls().back().text.find(t.message), std::string::npos) << t.text;
            EXPECT_EQ(Saved(), file) << t.text;
            EXPECT_EQ(gAlertPollDirectory, kept) << t.text;
            continue;
        }
        EXPECT_EQ(hl::MessageBoxCalls().size(), boxes) << t.text;
        EXPECT_EQ(gAlertPollDirectory, *t.stored);
        ReadKeeperConfiguration();
        EXPECT_EQ(gAlertPollDirectory, *t.stored) << "as read back";
    }
}

TEST_F(Keeper, OpenReadsTheChosenFoldersFileAndSaveAsWritesThere) {
    std::filesystem::create_directory("other");
    TempDir::Write("other/QUORVEL.INI", "MENU BAR: NO\nTIMEOUT: 321\n");
    TempDir::Write("other/notes.ini", "");
    smFrame& frame = Start();
    const std::string other = dir_.path() + "/other";
    hl::ScriptFileDialogAnswer(other + "/notes.ini");
    Choose(frame, kKeeperCmFileOpen);
    EXPECT_EQ(platform::CurrentDir(), std::filesystem::canonical(other).string());
    EXPECT_EQ(frame.caption(), KeeperCaption(platform::CurrentDir()));
    EXPECT_EQ(gTimeout, 321u);
    EXPECT_EQ(gControls[kControlMenuBar], 0);

    std::filesystem::create_directory(dir_.path() + "/third");
    const std::string caption = frame.caption();
    hl::ScriptFileDialogAnswer(dir_.path() + "/third/QUORVEL.INI");
    Choose(frame, kKeeperCmFileSaveAs);
    EXPECT_NE(TempDir::Read(dir_.path() + "/third/QUORVEL.INI").find("\nTIMEOUT: 321\n"), std::string::npos);
    EXPECT_EQ(frame.caption(), caption);
}

TEST_F(Keeper, AFailedWriteIsReportedAndTheOldFileKept) {
    smFrame& frame = Start();
    std::filesystem::remove("QUORVEL.INI");
    std::filesystem::create_directory("QUORVEL.INI");  // cannot be replaced by a file
    TempDir::Write("QUORVEL.INI/inside", "kept");
    AnswerPrompt("5", ui::IdOk);
    Choose(frame, kKeeperCmUserTimeout);
    ASSERT_EQ(hl::MessageBoxCalls().size(), 1u);
    EXPECT_NE(hl::MessageBoxCalls()[0].text.find("could not be written"), std::string::npos);
    EXPECT_EQ(TempDir::Read("QUORVEL.INI/inside"), "kept");
}

// A stand-in for Quorview: a sleeping process of that name in the folder.
class RunningQuorview {
public:
    explicit RunningQuorview(const std::string& folder) {
        const std::string exe = folder + "/Quorview";
        std::filesystem::copy_file("/bin/sleep", exe, std::filesystem::copy_options::overwrite_existing);
        char arg0[] = "Quorview", arg1[] = "30";
        char* argv[] = {arg0, arg1, nullptr};
        if (::posix_spawn(&pid_, exe.c_str(), nullptr, nullptr, argv, environ) != 0) pid_ = 0;
    }
    ~RunningQuorview() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    bool running() const { return pid_ > 0; }

private:
    pid_t pid_ = 0;
};

TEST_F(Keeper, AChangeWhileQuorviewRunsHereIsAskedForFirst) {
    smFrame& frame = Start();
    RunningQuorview quorview(platform::CurrentDir());
    ASSERT_TRUE(quorview.running());
    ASSERT_TRUE(platform::ProgramRunsIn("Quorview", {platform::CurrentDir()}));
    EXPECT_FALSE(platform::ProgramRunsIn("Quorview", {"/"}));

    hl::ScriptMessageBoxAnswer(ui::IdNo);
    AnswerPrompt("5", ui::IdOk);
    Choose(frame, kKeeperCmUserTimeout);
    ASSERT_EQ(hl::MessageBoxCalls().size(), 1u);
    EXPECT_NE(hl::MessageBoxCalls()[0].text.find("Quorview is running in this folder"), std::string::npos);
    EXPECT_TRUE(hl::DialogCalls().empty()) << "No asks nothing more";
    EXPECT_EQ(Saved(), quorview_);

    hl::ScriptMessageBoxAnswer(ui::IdYes);
    AnswerPrompt("5", ui::IdOk);
    Choose(frame, kKeeperCmUserTimeout);
    EXPECT_NE(Saved().find("\nTIMEOUT: 5\n"), std::string::npos);
}

}  // namespace
