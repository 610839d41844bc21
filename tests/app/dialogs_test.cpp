#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/dialog_conventions.h"
#include "app/help.h"
#include "app/prompt_dialogs.h"
#include "app/string_edit_dialog.h"
#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "platform/sys/files.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "tests/app/app_fixture.h"

namespace ui = platform::ui;
namespace hl = platform::headless;
using apptest::AppTest;

namespace {

using Args = std::vector<std::string>;

std::vector<std::string> Names(const StringListNode* head) {
    std::vector<std::string> names;
    for (; head; head = head->next) names.push_back(head->text);
    return names;
}

StringListNode* ListOf(const std::vector<std::string>& names) {
    StringListNode* head = nullptr;
    for (const auto& n : names) AppendStringNode(&head, std::string_view(n));
    return head;
}

// An environment variable set for one test and put back after it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) ::setenv(name, value, 1);
        else ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_) ::setenv(name_, old_->c_str(), 1);
        else ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// ---- the edited list's lines ------------------------------------------------------------

TEST(StringEditLines, EveryLineEndSplitsAlikeAndOnlyAnUnendedLastLineMustHoldText) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string> names;
    } cases[] = {
        {"CR LF", "A.TXT\r\nB.TXT\r\n", {"A.TXT", "B.TXT"}},
        {"LF, as the wx edit gives it", "A.TXT\nB.TXT\n", {"A.TXT", "B.TXT"}},
        {"CR", "A.TXT\rB.TXT\r", {"A.TXT", "B.TXT"}},
        {"mixed", "A\r\nB\nC\rD", {"A", "B", "C", "D"}},
        {"empty line kept, last without an end", "A.TXT\r\n\r\nB.TXT", {"A.TXT", "", "B.TXT"}},
        {"LF then CR are two ends", "A\n\rB", {"A", "", "B"}},
        {"CR CR LF are two ends", "A\r\r\nB", {"A", "", "B"}},
        {"a lone line end", "\n", {""}},
        {"empty", "", {}},
        {"blanks are text", "  ", {"  "}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitEditedLines(c.text), c.names) << c.what;
}

TEST(StringEditLines, TheSelectionHandedToTheEditorIsItsFirstLineTrimmed) {
    struct Case {
        const char* selection;
        const char* name;
    } cases[] = {{"CITIES.TXT", "CITIES.TXT"}, {" CITIES.TXT\r\n", "CITIES.TXT"},
                 {"A.TXT\r\nB.TXT", "A.TXT"}, {"A.TXT\nB.TXT", "A.TXT"}, {"\r\n", ""}, {"", ""}};
    for (const Case& c : cases) EXPECT_EQ(SelectedFileName(c.selection), c.name) << c.selection;
}

// ---- the one rule for stored numbers ----------------------------------------------------

TEST(DialogValues, NumbersAreHeldToTheReadersRangeAndLettersKeepTheFallback) {
    struct Case {
        const char* field;
        const char* text;
        FieldRange range;
        double fallback;
        double stored;
    } cases[] = {
        {"contour interval", "250", {1, 1e6}, 100, 250},
        {"contour interval", "0", {1, 1e6}, 100, 1},
        {"contour interval", "abc", {1, 1e6}, 100, 100},
        {"slope", "0.5", {0, 1e3, true}, 2, 0.5},
        {"slope", "0", {0, 1e3, true}, 2, 2},
        {"slope", "-3", {0, 1e3, true}, 2, 2},
        {"loop days", "12days", {0, 1e6}, 30, 12},
        {"loop days", "1e9", {0, 1e6}, 30, 1e6},
        {"loop days", "-4", {0, 1e6}, 30, 0},
        {"loop days", "", {0, 1e6}, 30, 30},
        {"latitude", " -45.5", {-90, 90}, 10, -45.5},
        {"latitude", "inf", {-90, 90}, 10, 10},
        {"latitude", "nan", {-90, 90}, 10, 10},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DialogValue(c.text, c.range, c.fallback), c.stored) << c.field << " \"" << c.text << "\"";
}

TEST(DialogValues, WholeNumbersTakeTheWholePartHeldToTheRange) {
    struct Case {
        const char* text;
        int stored;
    } cases[] = {{"12", 12}, {"12.9", 12}, {"-3.7", 0}, {"7abc", 7}, {"abc", 5}, {"99999999999", 100}};
    for (const Case& c : cases) EXPECT_EQ(DialogInt(c.text, 0, 100, 5), c.stored) << c.text;
    EXPECT_FALSE(LeadingNumber("x1").has_value());
    EXPECT_EQ(LeadingNumber("3,5"), 3.0);  // never the locale's comma
}

TEST(DialogValues, ThePauseGuardPutsBackWhatItFound) {
    for (bool before : {false, true}) {
        gPaused = before;
        {
            PauseForDialog pause;
            EXPECT_TRUE(gPaused);
            EXPECT_EQ(pause.wasPaused(), before);
        }
        EXPECT_EQ(gPaused, before);
    }
    gPaused = false;
    {
        PauseForDialog pause;
        pause.KeepPaused();
    }
    EXPECT_TRUE(gPaused);
    gPaused = false;
}

// ---- the help launcher and the text editor ----------------------------------------------

class Launchers : public AppTest {
protected:
    std::string Here(const std::string& name) const { return platform::CurrentDir() + "/" + name; }
};

TEST_F(Launchers, HelpOpensTheTopicsManualPageInTheBrowser) {
    TempDir::Write("manual-index.html", "<html></html>");
    TempDir::Write("manual-event-sizes.html", "<html></html>");
    EXPECT_TRUE(ShowHelp(help_topic::kEventSizes));
    EXPECT_TRUE(ShowHelp(help_topic::kContents));
    EXPECT_TRUE(ShowHelp(4711));  // no page of its own: the contents
    EXPECT_FALSE(ShowHelp(help_topic::kNone));
    EXPECT_EQ(hl::ProcessCalls(), (std::vector<Args>{{"xdg-open", Here("manual-event-sizes.html")},
                                                     {"xdg-open", Here("manual-index.html")},
                                                     {"xdg-open", Here("manual-index.html")}}));
    EXPECT_TRUE(hl::MessageBoxCalls().empty());
}

TEST_F(Launchers, EveryTopicOfTheDialogsHasAPageOfItsOwn) {
    const int topics[] = {1012, 1013, 1020, 1023, 1031, 1044, 1045, 1046, 1047, 1048};
    std::vector<std::string> pages;
    for (int t : topics) {
        pages.push_back(HelpTopicPage(t));
        EXPECT_NE(pages.back(), HelpTopicPage(help_topic::kContents)) << t;
    }
    std::sort(pages.begin(), pages.end());
    EXPECT_EQ(std::adjacent_find(pages.begin(), pages.end()), pages.end());
}

TEST_F(Launchers, HelpThatCannotOpenSaysWhichPage) {
    // No manual at all, then a manual but no browser opener.
    EXPECT_FALSE(ShowHelp(help_topic::kDates));
    TempDir::Write("manual-dates.html", "<html></html>");
    hl::ScriptProcessFailure("xdg-open");
    EXPECT_FALSE(ShowHelp(help_topic::kDates));
    const auto& boxes = hl::MessageBoxCalls();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Problem opening manual-dates.html");
    EXPECT_EQ(boxes[1].text, "Problem opening " + Here("manual-dates.html"));
    EXPECT_EQ(boxes[1].caption, "");
}

TEST_F(Launchers, TheEditorIsXdgOpenThenVisualThenEditorWithoutAShell) {
    TempDir::Write("CITIES.TXT", "x");
    ScopedEnv visual("VISUAL", "emacs -nw");
    ScopedEnv editor("EDITOR", "vi");
    EXPECT_TRUE(OpenInNotepad("CITIES.TXT\r\n"));
    hl::ScriptProcessFailure("xdg-open");
    EXPECT_TRUE(OpenInNotepad("CITIES.TXT"));
    hl::ScriptProcessFailure("emacs");
    EXPECT_TRUE(OpenInNotepad("CITIES.TXT"));
    const std::string file = "CITIES.TXT";
    EXPECT_EQ(hl::ProcessCalls(), (std::vector<Args>{{"xdg-open", file},
                                                     {"xdg-open", file},
                                                     {"emacs", "-nw", file},
                                                     {"xdg-open", file},
                                                     {"emacs", "-nw", file},
                                                     {"vi", file}}));
    EXPECT_TRUE(hl::MessageBoxCalls().empty());
}

TEST_F(Launchers, NoEditorOrABadNameIsToldAndNamesTheFile) {
    ScopedEnv visual("VISUAL", nullptr);
    ScopedEnv editor("EDITOR", "  ");
    hl::ScriptProcessFailure("xdg-open");
    EXPECT_FALSE(OpenInNotepad("NOTES.TXT"));
    ASSERT_EQ(hl::MessageBoxCalls().size(), 1u);
    EXPECT_NE(hl::MessageBoxCalls()[0].text.find("NOTES.TXT"), std::string::npos);
    // Too long for a file name: refused, never cut to another file's name.
    EXPECT_FALSE(OpenInNotepad(std::string(kMaxEditFileName + 1, 'a')));
    EXPECT_FALSE(OpenInNotepad(" \r\n"));
    EXPECT_EQ(hl::ProcessCalls().size(), 1u);
    EXPECT_EQ(hl::MessageBoxCalls().size(), 2u);
}

// ---- the list dialog ---------------------------------------------------------------------

class FileListDialog : public AppTest {
protected:
    FileListDialog() { frame_ = Start(); }
    ~FileListDialog() override { FreeStringList(&list_); }

    // Runs the dialog on the list; script sees it set up and answers.
    int Run(FileEditing editing, std::function<int(ui::Dialog&, ui::Edit&)> script) {
        hl::ScriptDialog(kStringEditTemplate, [script](ui::Dialog& d) {
            auto* e = d.Item<ui::Edit>(103);
            return e ? script(d, *e) : 0;
        });
        StringEditDialog dialog(frame_, kStringEditTemplate, "Lines Files", &list_, editing);
        const int result = dialog.Execute();
        chosen_ = dialog.fileToEdit();
        return result;
    }
    static void Type(ui::Edit& e, const std::string& text) {
        e.SetSelection(0, e.text().size());
        e.UserType(text);
    }

    myFrame* frame_ = nullptr;
    StringListNode* list_ = nullptr;
    std::string chosen_;
};

TEST_F(FileListDialog, OpensAsLinesAndSavesThemBackUnchanged) {
    list_ = ListOf({"COAST.LIN", "RIVERS.LIN"});
    std::string shown, caption;
    EXPECT_EQ(Run(FileEditing::Allowed, [&](ui::Dialog& d, ui::Edit& e) {
                  shown = e.text();
                  caption = d.caption();
                  return ui::IdOk;
              }),
              ui::IdOk);
    EXPECT_EQ(shown, "COAST.LIN\r\nRIVERS.LIN\r\n");
    EXPECT_EQ(caption, "Lines Files");
    EXPECT_EQ(Names(list_), (std::vector<std::string>{"COAST.LIN", "RIVERS.LIN"}));
}

TEST_F(FileListDialog, SaveAndEndTakesTheTypedLinesCancelAndEditFileKeepTheOld) {
    struct Case {
        const char* what;
        int button;
        std::string typed;
        std::vector<std::string> names;
    } cases[] = {
        {"saved with an empty line", ui::IdOk, "A.LIN\n\nB.LIN", {"A.LIN", "", "B.LIN"}},
        {"saved empty", ui::IdOk, "", {}},
        {"cancelled", ui::IdCancel, "A.LIN\n", {"OLD.LIN"}},
        {"Edit File", 105, "NEW.LIN\n", {"OLD.LIN"}},
    };
    for (const Case& c : cases) {
        FreeStringList(&list_);
        list_ = ListOf({"OLD.LIN"});
        Run(FileEditing::Allowed, [&](ui::Dialog&, ui::Edit& e) {
            Type(e, c.typed);
            return c.button;
        });
        EXPECT_EQ(Names(list_), c.names) << c.what;
    }
}

TEST_F(FileListDialog, EditFileHandsOnTheSelectionOnlyWhereEditingIsAllowed) {
    list_ = ListOf({"COAST.LIN", "RIVERS.LIN"});
    auto selectRivers = [](ui::Dialog&, ui::Edit& e) {
        e.SetSelection(11, 23);  // "RIVERS.LIN\r\n"
        return 105;
    };
    EXPECT_EQ(Run(FileEditing::Allowed, selectRivers), ui::IdOk);
    EXPECT_EQ(chosen_, "RIVERS.LIN");
    Run(FileEditing::NotAllowed, selectRivers);
    EXPECT_EQ(chosen_, "");
    Run(FileEditing::Allowed, [](ui::Dialog&, ui::Edit& e) {
        e.SetSelection(3, 3);
        return 105;
    });
    EXPECT_EQ(chosen_, "");
}

TEST_F(FileListDialog, TheFramesListCommandsHoldTheAnimationOnlyForAFileToEdit) {
    ASSERT_NE(frame_, nullptr);
    FreeStringList(&gLineFiles);
    gLineFiles = ListOf({"COAST.LIN"});
    for (bool before : {false, true}) {
        gPaused = before;
        bool pausedWhileOpen = false;
        hl::ScriptDialog(kStringEditTemplate, [&](ui::Dialog&) {
            pausedWhileOpen = gPaused;
            return ui::IdCancel;
        });
        frame_->SendCommand(kCmLineFiles);
        EXPECT_TRUE(pausedWhileOpen);
        EXPECT_EQ(gPaused, before);
    }
    gPaused = false;
    hl::ScriptDialog(kStringEditTemplate, [](ui::Dialog& d) {
        d.Item<ui::Edit>(103)->SetSelection(0, 9);
        return 105;
    });
    frame_->SendCommand(kCmLineFiles);
    EXPECT_TRUE(gPaused);
    ASSERT_EQ(hl::ProcessCalls().size(), 1u);
    EXPECT_EQ(hl::ProcessCalls()[0], (Args{"xdg-open", platform::ResolvePath("COAST.LIN")}));
    FreeStringList(&gLineFiles);
}

// ---- the pause at the end -----------------------------------------------------------------

class PausePrompt : public AppTest {
protected:
    PausePrompt() { frame_ = Start(); }
    void Answer(const std::string& typed, int button, std::string* shown = nullptr) {
        hl::ScriptDialog(kInputDialogTemplate, [=](ui::Dialog& d) {
            auto* e = d.Item<ui::Edit>(4090);
            if (shown) *shown = e->text();
            e->SetSelection(0, e->text().size());
            e->UserType(typed);
            return button;
        });
    }
    myFrame* frame_ = nullptr;
};

TEST_F(PausePrompt, OkStoresTheSecondsInTheConfigurationAndCancelPutsThePauseBack) {
    ASSERT_NE(frame_, nullptr);
    struct Case {
        const char* typed;
        int button;
        bool pausedBefore;
        unsigned seconds;
    } cases[] = {
        {"30", ui::IdOk, false, 30},   {"45s", ui::IdOk, true, 45},     {"abc", ui::IdOk, false, 0},
        {"12", ui::IdCancel, true, 0}, {"12", ui::IdCancel, false, 0}, {"9999999", ui::IdOk, false, 2'000'000},
    };
    for (const Case& c : cases) {
        gPauseAtEndSeconds = 0;
        gPaused = c.pausedBefore;
        std::string shown;
        Answer(c.typed, c.button, &shown);
        frame_->SendCommand(kCmPauseTime);
        EXPECT_EQ(shown, "0");
        EXPECT_EQ(gPaused, c.pausedBefore) << c.typed;
        EXPECT_EQ(gPauseAtEndSeconds, c.seconds) << c.typed;
        if (c.button == ui::IdOk) {
            gPauseAtEndSeconds = 7;
            ReadConfigFile();
            EXPECT_EQ(gPauseAtEndSeconds, c.seconds) << c.typed;
        }
    }
    EXPECT_EQ(hl::DialogCalls().back().caption, "Amount to pause at end");
}

TEST_F(PausePrompt, ANegativePauseIsRefusedAndTheOldOneKept) {
    ASSERT_NE(frame_, nullptr);
    gPauseAtEndSeconds = 20;
    gPaused = false;
    Answer("-5", ui::IdOk);
    frame_->SendCommand(kCmPauseTime);
    EXPECT_EQ(gPauseAtEndSeconds, 20u);
    ASSERT_EQ(hl::MessageBoxCalls().size(), 1u);
    EXPECT_NE(hl::MessageBoxCalls()[0].text.find("negative"), std::string::npos);
    EXPECT_FALSE(gPaused);
}

TEST_F(PausePrompt, HelpContentsOpensTheManualAndLeavesTheAnimationHeld) {
    ASSERT_NE(frame_, nullptr);
    TempDir::Write("manual-index.html", "<html></html>");
    gPaused = false;
    frame_->SendCommand(kCmHelpContents);
    EXPECT_TRUE(gPaused);
    ASSERT_EQ(hl::ProcessCalls().size(), 1u);
    EXPECT_EQ(hl::ProcessCalls()[0][0], "xdg-open");
}

TEST_F(PausePrompt, TheMagnitudePromptsHelpButtonOpensItsTopic) {
    ASSERT_NE(frame_, nullptr);
    TempDir::Write("manual-event-sizes.html", "<html></html>");
    double value = 3;
    hl::ScriptDialog(kMagnitudeDialogTemplate, [](ui::Dialog& d) {
        d.SendCommand(kDialogHelpButton);
        return ui::IdCancel;
    });
    magDialog(frame_, kMagnitudeDialogTemplate, &value, "Cut-off").Execute();
    ASSERT_EQ(hl::ProcessCalls().size(), 1u);
    EXPECT_EQ(hl::ProcessCalls()[0][1], platform::CurrentDir() + "/manual-event-sizes.html");
}

}  // namespace
