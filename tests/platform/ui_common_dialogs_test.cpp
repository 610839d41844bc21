#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sys/files.h"
#include "platform/ui/common_dialogs.h"
#include "platform/ui/headless/headless.h"
#include "tests/support/temp_dir.h"

namespace ui = platform::ui;
namespace hl = platform::headless;
namespace fd = platform::ui::file_dialog;

namespace {

TEST(FileFilter, PairsOfDescriptionAndPatterns) {
    const auto f = ui::ParseFileFilter("Quorvel Views (*.VUS)|*.VUS|Pictures|*.jpg; *.png|Broken|");
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].description, "Quorvel Views (*.VUS)");
    EXPECT_EQ(f[0].patterns, (std::vector<std::string>{"*.VUS"}));
    EXPECT_EQ(f[1].patterns, (std::vector<std::string>{"*.jpg", "*.png"}));
    EXPECT_TRUE(ui::ParseFileFilter("").empty());
    EXPECT_EQ(ui::ParseFileFilter("All|*").size(), 1u);  // the last bar may be missing
}

TEST(FileFilter, PatternsMatchLettersInEitherCase) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"*.VUS", "WORLD.VUS", true},  {"*.VUS", "world.vus", true}, {"*.vus", "Tour.Vus", true},
        {"*.VUS", "WORLD.VUS.bak", false}, {"*.VUS", "WORLDVUS", false},
        // "*." is a name without an extension, as views are stored
        {"*.", "WORLD", true},         {"*.", "WORLD.VUS", false},   {"*.", "WORLD.", false},
        {"*.", ".hidden", false},      {"W*.", "WORLD", true},       {"W*.", "ALASKA", false},
        {"*.*", "WORLD", true},        {"*.*", "a.b.c", true},       {"*", "anything at all", true},
        {"?ORLD", "world", true},      {"?ORLD", "ORLD", false},     {"*a*b*", "xxAyyBzz", true},
        {"*.jpg", "a.jpeg", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ui::FilterPatternMatches(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
    }
    const auto views = ui::ParseFileFilter("Views (*.)|*.|Lists|*.VUS;*.TXT|");
    EXPECT_TRUE(ui::FilterMatches(views[1], "notes.txt"));
    EXPECT_FALSE(ui::FilterMatches(views[1], "WORLD"));
}

class CommonDialogs : public testing::Test {
protected:
    CommonDialogs() {
        hl::SetCommonDialogFaultReporter([this](const std::string& what) { faults_.push_back(what); });
    }
    ~CommonDialogs() override {
        hl::SetCommonDialogFaultReporter([](const std::string& what) { ADD_FAILURE() << what; });
    }
    TempDir dir_;
    std::vector<std::string> faults_;
};

TEST_F(CommonDialogs, OkGivesThePathAndTheFilterInUseCancelChangesNothing) {
    TempDir::Write("lists/TOUR.VUS", "");
    ui::FileDialogData d;
    d.filter = "Views (*.)|*.|Lists (*.VUS)|*.VUS|";
    d.fileName = "WORLD.VUS";
    d.flags = fd::kMustExist;
    hl::ScriptFileDialogCancel();
    EXPECT_FALSE(ui::ExecuteFileDialog(nullptr, ui::FileDialogKind::Open, d));
    EXPECT_EQ(d.fileName, "WORLD.VUS");
    hl::ScriptFileDialogAnswer("lists/tour.vus");  // the file as the user typed it
    TempDir::Write("lists/tour.vus", "");
    ASSERT_TRUE(ui::ExecuteFileDialog(nullptr, ui::FileDialogKind::Open, d));
    EXPECT_EQ(d.fileName, dir_.path() + "/lists/tour.vus");
    EXPECT_EQ(d.filterIndex, 2);
    EXPECT_EQ(platform::CurrentDir(), dir_.path());  // not asked to change it
    ASSERT_EQ(hl::FileDialogCalls().size(), 2u);
    EXPECT_EQ(hl::FileDialogCalls()[1].asked.fileName, "WORLD.VUS");
    EXPECT_TRUE(faults_.empty());
}

TEST_F(CommonDialogs, TheChangeDirectoryFlagMovesToTheChosenFilesFolder) {
    TempDir::Write("far/away/LIST.VUS", "");
    ui::FileDialogData d;
    d.flags = fd::kChangeDirectory | fd::kMustExist;
    hl::ScriptFileDialogAnswer(dir_.path() + "/far/away/LIST.VUS");
    ASSERT_TRUE(ui::ExecuteFileDialog(nullptr, ui::FileDialogKind::Open, d));
    EXPECT_EQ(platform::CurrentDir(), dir_.path() + "/far/away");
}

TEST_F(CommonDialogs, AnUnscriptedOrImpossibleAnswerIsAFault) {
    ui::FileDialogData d;
    EXPECT_FALSE(ui::ExecuteFileDialog(nullptr, ui::FileDialogKind::Save, d));
    ASSERT_EQ(faults_.size(), 1u);
    d.flags = fd::kMustExist;
    hl::ScriptFileDialogAnswer("NOSUCHFILE");
    EXPECT_FALSE(ui::ExecuteFileDialog(nullptr, ui::FileDialogKind::Open, d));
    ASSERT_EQ(faults_.size(), 2u);
    EXPECT_NE(faults_[1].find("NOSUCHFILE"), std::string::npos);
    // A save dialog takes a new name.
    d.flags = fd::kOverwritePrompt;
    hl::ScriptFileDialogAnswer("NEWFILE");
    EXPECT_TRUE(ui::ExecuteFileDialog(nullptr, ui::FileDialogKind::Save, d));
    EXPECT_EQ(faults_.size(), 2u);
}

TEST_F(CommonDialogs, TheFontDialogStartsFromTheFontAndReturnsTheChoice) {
    ui::FontDescription font{"Arial", -13, 400, false};
    hl::ScriptFontDialogCancel();
    EXPECT_FALSE(ui::ExecuteFontDialog(nullptr, "Title Font", font));
    EXPECT_EQ(font, (ui::FontDescription{"Arial", -13, 400, false}));
    const ui::FontDescription bold{"Times New Roman", -20, 700, true};
    hl::ScriptFontDialogAnswer(bold);
    EXPECT_TRUE(ui::ExecuteFontDialog(nullptr, "City Font", font));
    EXPECT_EQ(font, bold);
    ASSERT_EQ(hl::FontDialogCalls().size(), 2u);
    EXPECT_EQ(hl::FontDialogCalls()[1].title, "City Font");
    EXPECT_EQ(hl::FontDialogCalls()[1].initial, (ui::FontDescription{"Arial", -13, 400, false}));
    EXPECT_FALSE(ui::ExecuteFontDialog(nullptr, "Ocean Font", font));
    EXPECT_EQ(faults_.size(), 1u);
}

}  // namespace
