// The hue editor on the headless backend: a click opens the up-down on a
// value, spinning stays within 0..255, Okay writes every line of the file.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "core/view.h"
#include "map/hue.h"
#include "map/hue_editor.h"
#include "platform/ui/headless/headless.h"
#include "tests/support/temp_dir.h"

namespace ui = platform::ui;
namespace headless = platform::headless;

namespace {

class HueEditor : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset();
        ResetViewSettings();
        owner_ = std::make_unique<ui::Window>(nullptr, "frame");
        owner_->MoveWindow({0, 0, 1000, 800});
        ASSERT_TRUE(owner_->Create());
    }
    EditHue& Open(const std::string& file) {
        auto* editor = new EditHue(owner_.get(), file);
        EXPECT_TRUE(editor->Create());
        return *editor;
    }
    static void Click(EditHue& e, int line, int cell) {
        const ui::Rect r = e.CellRect(line, cell);
        ASSERT_FALSE(r.empty());
        headless::Mouse(e, ui::MouseAction::LeftDown, {r.left + 1, r.top + 1});
    }

    TempDir dir_;
    std::unique_ptr<ui::Window> owner_;
};

std::string ThirtyFiveLines() {
    std::string text;
    for (int i = 0; i < 35; ++i) text += std::to_string(i) + " 200 10 20 30 40\n";
    return text;
}

TEST_F(HueEditor, OkayKeepsEveryLineOfALongFileWithTheSpunValue) {
    TempDir::Write("long.hue", ThirtyFiveLines());
    EditHue& e = Open("long.hue");
    EXPECT_EQ(e.caption(), "long.hue");
    EXPECT_EQ(e.rect(), ui::Rect::FromSize(100, 100, 700, 600));
    EXPECT_EQ(e.shownLines(), 32);
    EXPECT_EQ(e.lines().size(), 35u);

    Click(e, 3, 0);  // start red of line 3
    ASSERT_NE(e.spin(), nullptr);
    ASSERT_NE(e.cellEdit(), nullptr);
    EXPECT_EQ(e.spin()->position(), 3);
    EXPECT_EQ(e.cellEdit()->text(), "  3");
    e.spin()->UserSpin(+2);
    EXPECT_EQ(e.spin()->position(), 5);
    EXPECT_EQ(e.cellEdit()->text(), "  5");
    e.spin()->UserSpin(-300);
    EXPECT_EQ(e.spin()->position(), 0);
    e.spin()->UserSpin(+7);

    Click(e, 3, 20);  // end green
    EXPECT_EQ(e.selectedField(), 3);
    e.spin()->UserSpin(+1000);
    EXPECT_EQ(e.lines()[3][3], 255);
    Click(e, 3, 10);  // a ramp cell: the editor just closes
    EXPECT_EQ(e.spin(), nullptr);

    e.CmOkay();
    const std::vector<HueLine> saved = ReadHueLines("long.hue");
    ASSERT_EQ(saved.size(), 35u);
    EXPECT_EQ(saved[3], (HueLine{7, 200, 10, 255, 30, 40}));
    EXPECT_EQ(saved[34], (HueLine{34, 200, 10, 20, 30, 40}));
}

TEST_F(HueEditor, CancelWritesNothingAndAFailedWriteIsSaid) {
    TempDir::Write("h.hue", "0 255 0 0 0 0\n");
    EditHue& e = Open("h.hue");
    Click(e, 0, 19);
    e.spin()->UserSpin(-5);
    e.CmCancel();
    EXPECT_EQ(ReadHueLines("h.hue")[0][1], 255);

    EditHue& bad = Open("h.hue");
    bad.fileNameEdit()->UserSetText("no/such/folder/h.hue");
    bad.CmOkay();
    ASSERT_EQ(headless::MessageBoxCalls().size(), 1u);
    EXPECT_EQ(headless::MessageBoxCalls()[0].text, "File write error");
    EXPECT_EQ(headless::MessageBoxCalls()[0].caption, "Can't write file");
}

TEST_F(HueEditor, AnEmptyFileShowsNoRowsAndIgnoresClicks) {
    TempDir::Write("empty.hue", "\n");
    EditHue& e = Open("empty.hue");
    EXPECT_EQ(e.shownLines(), 0);
    e.Invalidate();
    e.Update();
    headless::Mouse(e, ui::MouseAction::LeftDown, {50, 50});
    EXPECT_EQ(e.spin(), nullptr);
}

}  // namespace
