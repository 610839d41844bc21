// The about box and the version table it reads.
#include <gtest/gtest.h>

#include <string>

#include "app/about_dialog.h"
#include "app/version.h"
#include "platform/ui/controls.h"
#include "tests/app/app_fixture.h"

namespace ui = platform::ui;
namespace hl = platform::headless;
using apptest::AppTest;

namespace {

TEST(VersionTable, NamesTheProductItsVersionWithTheBuildDateAndNoSpecialBuild) {
    const ProjectRCVersion v;
    EXPECT_EQ(v.QueryProductName(), "Kestrune");
    const auto number = v.QueryProductVersion();
    ASSERT_TRUE(number.has_value());
    // "1.0.0 (built 2026-12-11)"
    EXPECT_NE(number->find("(built 20"), std::string::npos) << *number;
    EXPECT_TRUE(v.QueryLegalNotice().has_value());
    EXPECT_FALSE(v.QuerySpecialBuild().has_value());
    EXPECT_FALSE(v.Query("NoSuchKey").has_value());
}

class AboutBox : public AppTest {
protected:
    AboutBox() { frame_ = Start(); }
    myFrame* frame_ = nullptr;
};

TEST_F(AboutBox, HelpAboutShowsNameTwoBlanksAndVersionThenTheLegalNotice) {
    ASSERT_NE(frame_, nullptr);
    const ProjectRCVersion v;
    std::string first, second, third;
    hl::ScriptDialog(kAboutTemplate, [&](ui::Dialog& d) {
        first = d.Item<ui::Static>(kAboutVersionLine)->text();
        second = d.Item<ui::Static>(kAboutLegalLine)->text();
        third = d.Item<ui::Static>(kAboutSpecialBuild)->text();
        return ui::IdOk;
    });
    gPaused = false;
    EXPECT_TRUE(frame_->SendCommand(kCmAbout));
    EXPECT_EQ(first, "Kestrune  " + *v.QueryProductVersion());
    EXPECT_EQ(second, *v.QueryLegalNotice());
    EXPECT_EQ(third, "");
    ASSERT_FALSE(hl::DialogCalls().empty());
    EXPECT_EQ(hl::DialogCalls().back().caption, "About Kestrune");
    EXPECT_FALSE(gPaused);
}

}  // namespace
