// The label registry: rectangle rules at their edges, blank boxes, drags held
// inside the pane box, the rewrite of a dropped label's line, and ownership.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "core/c_numbers.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/label_box.h"
#include "map/proj.h"
#include "tests/support/temp_dir.h"

namespace gfx = platform::gfx;

namespace {

std::unique_ptr<LabelBox> Box(const gfx::Rect& r, const char* text, const std::string* line) {
    return std::make_unique<LabelBox>(gfx::Point{r.left, r.top}, r, text, nullptr, kWhiteColor, HJust::Left,
                                      VJust::Bottom, line, 0);
}

class LabelRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        ClearLabelBoxes();
        gPaneWidth = 200;
        gPaneHeight = 100;
    }
    void TearDown() override {
        ClearLabelBoxes();
        ResetViewSettings();
    }
};

TEST_F(LabelRegistry, RectangleRulesAtTheirEdges) {
    const gfx::Rect a{10, 10, 20, 20};
    struct { gfx::Rect b; bool overlap; } overlaps[] = {
        {{20, 10, 30, 20}, false},  // shares the right edge
        {{10, 20, 20, 30}, false},  // shares the bottom edge
        {{19, 19, 30, 30}, true},
        {{0, 0, 11, 11}, true},
        {{12, 12, 14, 14}, true},  // inside
    };
    for (const auto& c : overlaps) {
        EXPECT_EQ(BoxesOverlap(a, c.b), c.overlap) << c.b.left << "," << c.b.top;
        EXPECT_EQ(BoxesOverlap(c.b, a), c.overlap);
    }
    struct { int x, y; bool in; } points[] = {{10, 10, true}, {19, 19, true}, {20, 15, false}, {15, 20, false}};
    for (const auto& c : points) EXPECT_EQ(BoxContains(a, c.x, c.y), c.in) << c.x << "," << c.y;
    struct { gfx::Rect r; bool in; } pane[] = {
        {{0, 0, 200, 100}, true}, {{-1, 0, 10, 10}, false}, {{190, 0, 201, 10}, false}, {{0, 90, 10, 101}, false}};
    for (const auto& c : pane) EXPECT_EQ(InsidePaneBox(c.r), c.in) << c.r.right << "," << c.r.bottom;
}

TEST_F(LabelRegistry, BlankBoxesBlockButNeverAnswerThePointer) {
    RegisterLabel(Box({10, 10, 40, 20}, "", nullptr));
    EXPECT_EQ(LabelAtPoint({15, 15}), nullptr);
    EXPECT_NE(FirstOverlappingLabel({30, 15, 50, 25}), nullptr);
    const std::string line = "35 139 Tokyo";
    LabelBox& tokyo = RegisterLabel(Box({10, 10, 40, 20}, "Tokyo  ", &line));
    EXPECT_EQ(LabelAtPoint({15, 15}), &tokyo);
    EXPECT_EQ(tokyo.text, "Tokyo");
    EXPECT_EQ(FirstOverlappingLabel({40, 10, 60, 20}), nullptr);
}

TEST_F(LabelRegistry, DragsStayInsideThePaneBox) {
    const std::string line = "1 2 X";
    LabelBox& b = RegisterLabel(Box({10, 10, 40, 20}, "X", &line));
    b.BeginDrag(20, 15);
    struct { int x, y; gfx::Rect expect; } steps[] = {
        {30, 25, {20, 20, 50, 30}},   // moves
        {-11, 15, {10, 10, 40, 20}},  // past the left edge: stays
        {180, 15, {170, 10, 200, 20}},  // right edge on gPaneWidth is inside
        {181, 15, {10, 10, 40, 20}},
        {20, 96, {10, 91, 40, 101}},  // computed, then refused below
    };
    for (const auto& s : steps) {
        const gfx::Rect m = b.MovedBox(s.x, s.y);
        if (s.y == 96) {
            EXPECT_EQ(m, b.currentBox);
        } else {
            EXPECT_EQ(m, s.expect) << s.x << "," << s.y;
        }
    }
    b.DragTo(25, 20);
    EXPECT_EQ(b.currentBox, (gfx::Rect{15, 15, 45, 25}));
    EXPECT_EQ(b.anchor, (gfx::Point{15, 15}));
    EXPECT_EQ(b.last, (gfx::Point{25, 20}));
}

TEST_F(LabelRegistry, TheRegistryOwnsItsBoxesAndForgetsTheDraggedOne) {
    std::weak_ptr<const gfx::Font> font;
    {
        auto f = gfx::Font::Create("Arial", 12);
        ASSERT_TRUE(f);
        font = f;
        auto b = std::make_unique<LabelBox>(gfx::Point{}, gfx::Rect{0, 0, 5, 5}, "a", f, 15, HJust::Left,
                                            VJust::Bottom, nullptr, 0);
        gDraggedLabel = &RegisterLabel(std::move(b));
    }
    EXPECT_FALSE(font.expired());  // the box holds its font
    ClearLabelBoxes();
    EXPECT_TRUE(gLabelBoxes.empty());
    EXPECT_EQ(gDraggedLabel, nullptr);
    EXPECT_TRUE(font.expired());  // and frees it with itself
}

TEST_F(LabelRegistry, ADroppedLabelRewritesItsLineAndKeepsItsOptions) {
    TempDir dir;
    TempDir::Write("V.CAF", "symbol: circle\n10 20 Alpha /d6\n11 21 Beta\n");
    Proj proj;  // one pixel per degree, north edge at the equator
    proj.xScale = proj.yScale = 1;
    proj.mercNorth = 0;
    gWestEdge = 0;
    const std::string line = "10 20 Alpha";
    LabelBox& b = RegisterLabel(Box({0, 0, 10, 10}, "Alpha", &line));
    b.options = " /d6";
    b.fileName = "V.CAF";
    int count = 0;
    b.lineList.reset(ReadWholeTextFileLines("V.CAF", &count));
    b.lineNode = b.lineList->next;
    b.found = true;
    b.anchor = {30, 10};  // the pixel whose centre is longitude 30.5
    EXPECT_TRUE(b.SaveDraggedPosition(proj));
    std::string text;
    StringListNode* lines = ReadWholeTextFileLines("V.CAF", &count);
    for (StringListNode* n = lines; n; n = n->next) text += n->text + "\n";
    FreeStringList(lines);
    char head[64];
    {
        const CNumbersScope numbers;  // the file's numbers, not the locale's
        std::snprintf(head, sizeof head, "%6g %7g", InverseMercator(-10.5), 30.5);
    }
    EXPECT_EQ(text, "symbol: circle\n" + std::string(head) + " Alpha /d6\n11 21 Beta\n");
    EXPECT_EQ(b.lineList, nullptr);
}

TEST(LabelColours, FillColourNames) {
    struct { const char* name; int color; } cases[] = {
        {"BLACK", 0}, {"light blue", 9}, {"Yellow", 14}, {"white", 15}, {"WHITE", 15}, {"PURPLE", 15}, {"", 15}};
    for (const auto& c : cases) EXPECT_EQ(ColorIndexByName(c.name), c.color) << c.name;
}

}  // namespace
