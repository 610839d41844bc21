// Border files and region labels: headers, counts and short files; finding a
// region by name and by point; adding and deleting region labels.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/borders.h"
#include "map/child_map.h"
#include "map/label_box.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/window.h"
#include "tests/support/temp_dir.h"

namespace ui = platform::ui;
namespace gfx = platform::gfx;

namespace {

std::string ReadAll(const char* name) {
    int count = 0;
    StringListNode* lines = ReadWholeTextFileLines(name, &count);
    std::string text;
    for (StringListNode* n = lines; n; n = n->next) text += n->text + "\n";
    FreeStringList(lines);
    return text;
}

// Two squares: KANSAS from 37 to 40 N, 102 to 95 W, and NEBRASKA above it.
constexpr const char* kStates =
    "    4 KANSAS\n37 -102\n40 -102\n40 -95\n37 -95\n"
    "    4 NEBRASKA\n40 -104\n43 -104\n43 -96\n40 -96\n";

TEST(BorderSets, HeadersCountsAndShortFiles) {
    TempDir dir;
    TempDir::Write("b.txt",
                   "    1 ONE POINT\n1 1\n"      // count 1: its point line is consumed, no polygon
                   "    0 EMPTY\n"               // ignored
                   "   -3 NEGATIVE\n"            // a bad count is passed over
                   "  2\n0 0\n1 1\n"             // a short header gives an empty name
                   "not a header\n"
                   "    3 SOUTH GEORGIA AND THE SOUTH SANDWICH ISLANDS\n0 0\n0 1\n1 1\n"
                   "   50 CUT SHORT\n5 5\n6 6\n");  // the file ends inside the polygon
    BorderSet set("b.txt");
    ASSERT_EQ(set.polygons().size(), 3u);
    EXPECT_EQ(set.polygons()[0]->name, "");
    EXPECT_EQ(set.polygons()[0]->count(), 2);
    EXPECT_EQ(set.polygons()[1]->name, "SOUTH GEORGIA AND THE SOUTH SANDWICH ISLANDS");
    EXPECT_EQ(set.polygons()[1]->points[1].x, 1);  // longitude is x
    EXPECT_EQ(set.polygons()[2]->count(), 2);       // only the points read
    EXPECT_EQ(set.polygons()[2]->points[1].y, 6);
    EXPECT_TRUE(BorderSet("missing.txt").polygons().empty());
}

TEST(BorderSets, FindByNameAndByPoint) {
    TempDir dir;
    TempDir::Write("s.txt", kStates);
    BorderSet set("s.txt");
    EXPECT_EQ(set.FindByName("BRAS")->name, "NEBRASKA");
    EXPECT_EQ(set.FindByName("AS")->name, "KANSAS");  // first in file order
    EXPECT_EQ(set.FindByName("bras"), nullptr);       // case-sensitive
    EXPECT_EQ(set.FindContainingPoint(38.5, -98)->name, "KANSAS");
    EXPECT_EQ(set.FindContainingPoint(41, -100)->name, "NEBRASKA");
    EXPECT_EQ(set.FindContainingPoint(45, -100), nullptr);
    EXPECT_EQ(set.FindContainingRect(38, -100, 39, -97)->name, "KANSAS");
    EXPECT_EQ(set.FindContainingRect(38, -100, 41, -97), nullptr);
}

class RegionLabels : public ::testing::Test {
protected:
    void SetUp() override {
        platform::headless::Reset();
        TempDir::Write("s.txt", kStates);
        ResetViewSettings();
        gMapName = "PLAINS";
        gMapWest = -110;
        gMapEast = -90;
        gMapSouth = 30;
        gMapNorth = 50;
        owner_ = std::make_unique<ui::Window>(nullptr, "layout");
        owner_->MoveWindow({0, 0, 400, 300});
        pane_ = new childMap(owner_.get());
        pane_->MoveWindow({0, 0, 400, 300});
        ASSERT_TRUE(owner_->Create());
        pane_->SetBorderSets(std::make_unique<BorderSet>("s.txt"), nullptr, nullptr);
    }
    void TearDown() override {
        owner_.reset();
        ClearLabelBoxes();
        ResetViewSettings();
    }
    TempDir dir_;
    std::unique_ptr<ui::Window> owner_;
    childMap* pane_ = nullptr;
};

TEST_F(RegionLabels, AddingKeepsTheLabelsAFileAlreadyHolds) {
    EXPECT_FALSE(pane_->AddRegionLabel("country", 38, -98, nullptr, false));  // no country set
    EXPECT_FALSE(pane_->AddRegionLabel("state", 45, -98, nullptr, false));    // in no state
    AppendStringNode(&gTextFiles, "PLAINS.CAF");
    TempDir::Write("PLAINS.state.txt", "vertical justify: center\n41.00 -100.00 NEBRASKA\n");
    // The view does not list the file yet: it is added and saved, and the labels stay.
    EXPECT_TRUE(pane_->AddRegionLabel("STATE", 38, -98, nullptr, true));
    EXPECT_NE(FindStringNode(gTextFiles, "PLAINS.state.txt"), nullptr);
    EXPECT_TRUE(FileExists("PLAINS"));
    EXPECT_EQ(ReadAll("PLAINS.state.txt"),
              "vertical justify: center\n41.00 -100.00 NEBRASKA\n38.00 -98.00 KANSAS /CENTROID\n");
}

TEST_F(RegionLabels, ANewFileGetsTheHeaderAndANamesListLabelsARegionOnce) {
    StringListNode* names = nullptr;
    EXPECT_TRUE(pane_->AddRegionLabel("state", 38, -98, &names, false));
    EXPECT_FALSE(pane_->AddRegionLabel("state", 38.5, -97, &names, false));
    EXPECT_TRUE(pane_->AddRegionLabel("state", 38, -98, nullptr, false));  // from the menu: twice
    FreeStringList(&names);
    EXPECT_EQ(ReadAll("PLAINS.state.txt"),
              "vertical justify: center\nhorizontal justify: center\n38.00 -98.00 KANSAS\n38.00 -98.00 KANSAS\n");
    EXPECT_FALSE(FileExists("PLAINS"));  // an empty text list is not saved
}

TEST_F(RegionLabels, DeletingFindsTheLineNearTheLabel) {
    TempDir::Write("PLAINS.state.txt", "horizontal justify: center\n38 -98 KANSAS /CENTROID\n41 -100 NEBRASKA\n");
    gPaneWidth = 400;
    gPaneHeight = 300;
    pane_->RenderView();
    std::int32_t row = 0, col = 0;
    pane_->LatLonToPixel(41, Proj::LonOffset(-100, gWestEdge), &row, &col);
    const std::string line = "41 -100 NEBRASKA";
    RegisterLabel(std::make_unique<LabelBox>(gfx::Point{col, row}, gfx::Rect{col - 30, row - 5, col + 30, row + 5},
                                             "NEBRASKA", nullptr, 15, HJust::Center, VJust::Center, &line, 0));
    pane_->SetRightClickPoint({col + gMapRect.left, row + gMapRect.top});

    // The view does not list the file: it is listed, nothing is deleted.
    pane_->DeleteRegionLabel("state");
    EXPECT_NE(FindStringNode(gTextFiles, "PLAINS.state.txt"), nullptr);
    EXPECT_EQ(gLabelBoxes.size(), 1u);
    pane_->DeleteRegionLabel("state");
    EXPECT_EQ(ReadAll("PLAINS.state.txt"), "horizontal justify: center\n38 -98 KANSAS /CENTROID\n");
    EXPECT_TRUE(gLabelBoxes.empty());
}

}  // namespace
