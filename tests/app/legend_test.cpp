#include "app/legend.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/buttons.h"
#include "app/globals.h"
#include "app/layout.h"
#include "app/view_open.h"
#include "core/config.h"
#include "core/missing_seam.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/draw.h"
#include "map/eruption_symbols.h"
#include "platform/gfx/font.h"
#include "platform/ui/headless/headless.h"
#include "tests/app/app_fixture.h"
#include "tests/app/map_pane_double.h"
#include "tests/support/golden_png.h"

namespace gfx = platform::gfx;
namespace ui = platform::ui;
namespace hl = platform::headless;
using gfx::Rect;

namespace {

// The faces the platform maps "MS Sans Serif" and the system font to, pinned by file.
constexpr const char* kFace = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kBoldFace = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

std::shared_ptr<const gfx::Font> PaneFont() {
    static const auto font = gfx::Font::FromFile(kBoldFace, 16, gfx::kBoldWeight);
    return font;
}

// The map pane of these tests: it keeps the commands sent to it.
std::vector<int>* gMapCommands = nullptr;
class CommandRecorder : public apptest::QuietMapPane {
public:
    using QuietMapPane::QuietMapPane;

protected:
    bool EvCommand(int id) override {
        if (gMapCommands) gMapCommands->push_back(id);
        return true;
    }
};

// The bundled WORLD view's legend settings on a 640 x 480 screen (scale 1).
void WorldSettings() {
    ResetConfigValues();
    ResetViewSettings();
    hl::SetScreenSize({640, 480});
    gScreenHeight = 480;
    ResetEruptionSymbolScale();
    gButtonHeight = 2.0;
    gControls[kControlShowKeyButton] = 1;
    gControls[kControlShowEventCounters] = 1;
    apptest::WorldLegendSettings();
    gEruptionMagnitudeCutoff = 0;
    gShowEarthquakes = gShowEruptions = true;
    gSymbolStyle = 1;
}

class Legend : public testing::Test {
protected:
    Legend() {
        WorldSettings();
        apptest::ScaleDots(gScreenHeight);
        gLegendFont = gfx::Font::FromFile(kFace, 13);
        gScreenMetrics = PaneFont()->metrics();
        gMapCommands = &mapCommands_;
        SetMapPaneMaker(&apptest::MakePane<CommandRecorder>);
        parent_.MoveWindow({0, 0, 640, 480});
        SetMissingSeamHandler([this](const std::string& step) {
            if (expectedSeams_.empty() || expectedSeams_.front() != step) ADD_FAILURE() << "missing seam: " << step;
            else expectedSeams_.erase(expectedSeams_.begin());
        });
    }
    ~Legend() override {
        EXPECT_TRUE(expectedSeams_.empty()) << "a step expected to be missing was reached";
        SetMissingSeamHandler(nullptr);
        SetMapPaneMaker(nullptr);
        gMapCommands = nullptr;
        gLegendFont.reset();
        ResetConfigValues();
        ResetViewSettings();
        ResetEruptionSymbolScale();
    }

    // The layout of a 640 x 480 frame, standard or QMX.
    myLayoutWindow* MakeLayout(bool qmx) {
        gControls[kControlQmxLegend] = qmx;
        auto* layout = new myLayoutWindow(&parent_);
        layout->MoveWindow(parent_.clientRect());
        parent_.Create();
        return layout;
    }
    childLegend* MakeLegend(const Rect& r) {
        auto* legend = new childLegend(&parent_);
        legend->MoveWindow(r);
        parent_.Create();
        return legend;
    }
    // The pane as its paint draws it, in the pinned pane font.
    static std::unique_ptr<gfx::Surface> Render(childLegend& legend) {
        auto s = gfx::Surface::Create(legend.rect().width(), legend.rect().height(), ColorOf(kLightGrayColor));
        gfx::DrawContext dc(*s);
        dc.SetFont(PaneFont());
        legend.DrawLegend(dc);
        return s;
    }
    static void PaintPinned(childLegend& legend) {
        gfx::DrawContext dc(legend.backBuffer());
        dc.FillRect(legend.clientRect(), gfx::Brush::Solid(ColorOf(kLightGrayColor)));
        dc.SetFont(PaneFont());
        legend.DrawLegend(dc);
    }

    std::vector<int> mapCommands_;
    std::vector<std::string> expectedSeams_;
    ui::Window parent_{nullptr};
};

void Fill(gfx::Surface& s, gfx::Color c) {
    gfx::DrawContext dc(s);
    dc.FillRect(s.bounds(), gfx::Brush::Solid(c));
}

int CountColour(const gfx::Surface& s, const Rect& r, gfx::Color c) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) n += s.At(x, y) == c;
    return n;
}

// ---- the arithmetic ------------------------------------------------------------------

TEST(LegendArithmetic, ScaleMeasuresFromTheFontsAndTheScreen) {
    gfx::TextMetrics m;
    m.aveCharWidth = 6;
    m.height = 13;
    const LegendScale s = MeasureLegend(m, 16, 1080);
    EXPECT_EQ(s.cw, 6);
    EXPECT_EQ(s.th, 13);
    EXPECT_EQ(s.tmH, 16);
    EXPECT_DOUBLE_EQ(s.k, 2.25);
    EXPECT_DOUBLE_EQ(s.kx, 2.25 * 1.36);
    EXPECT_EQ(s.keyH, 9);  // 3 x 13 / 4, whole
}

TEST(LegendArithmetic, ScaleLabelsAreDepthsOrMomentMagnitudes) {
    const struct {
        const char* name;
        int style;
        double minDepth, maxDepth;
        int minMag, maxMag;
        std::vector<std::string> labels;
    } cases[] = {
        {"depths 0 to 700", 1, 0, 700, 5, 9, {"0", "140", "280", "420", "560", "700"}},
        {"shallow depths", 3, 0, 33, 4, 8, {"0", "6.6", "13.2", "19.8", "26.4", "33"}},
        {"depths from 10", 0, 10, 60, 4, 8, {"10", "20", "30", "40", "50", "60"}},
        {"moment", 4, 0, 700, 5, 9, {" 5.0", " 5.8", " 6.6", " 7.4", " 8.2", " 9.0"}},
        {"moment below zero", 4, 0, 700, -2, 8, {"-2.0", " 0.0", " 2.0", " 4.0", " 6.0", " 8.0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        gSymbolStyle = c.style;
        gMinDepth = c.minDepth;
        gMaxDepth = c.maxDepth;
        gMinMagnitude = c.minMag;
        gMaxMagnitude = c.maxMag;
        EXPECT_EQ(LegendScaleLabels(), c.labels);
    }
    ResetViewSettings();
}

TEST(LegendArithmetic, MagnitudeRowsFollowTheCutoffAndKeepSmallDotsApart) {
    WorldSettings();
    gMinMagnitude = 4;
    gMaxMagnitude = 8;
    gMagnitudeCutoff = 6;
    apptest::ScaleDots(gScreenHeight);  // radii 1, 2.75, 4.5, 6.25, 8
    int end = 0;
    const auto rows = MagnitudeKeyRows(100, 13, 1000, &end);
    ASSERT_EQ(rows.size(), 5u);
    const int magnitudes[] = {4, 5, 6, 7, 8};
    const bool red[] = {false, false, true, true, true};
    // Radii 1 and 2.75 are below th / 4 = 3: their rows still take th / 2 + 2 x 3.
    const int ys[] = {100, 112, 124, 139, 157};
    const int radii[] = {1, 2, 4, 6, 8};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].magnitude, magnitudes[i]);
        EXPECT_EQ(rows[i].atCutoff, red[i]);
        EXPECT_EQ(rows[i].y, ys[i]);
        EXPECT_EQ(rows[i].radius, radii[i]);
    }
    EXPECT_EQ(rows[0].labelY, 98);  // up by half the raised radius, cut
    EXPECT_EQ(rows[4].labelY, 157 - 4);
    EXPECT_EQ(end, 157 + 6 + 16);

    // No cut-off draws every dot red; a reversed range has no rows.
    gMagnitudeCutoff = 0;
    for (const auto& r : MagnitudeKeyRows(0, 13, 1000, nullptr)) EXPECT_TRUE(r.atCutoff) << r.magnitude;
    gMinMagnitude = 9;
    EXPECT_TRUE(MagnitudeKeyRows(0, 13, 1000, &end).empty());
    EXPECT_EQ(end, 0);

    // Dots as large as a view may ask: the rows stop below the pane.
    gMinMagnitude = -10;
    gMaxMagnitude = 10;
    gMinDotSize = 1;
    gMaxDotSize = 2000000000;
    apptest::ScaleDots(gScreenHeight);
    const auto huge = MagnitudeKeyRows(0, 13, 400, &end);
    EXPECT_LT(huge.size(), 21u);
    EXPECT_GT(end, 400);
    ResetViewSettings();
}

TEST(LegendArithmetic, EruptionRowsGrowWithTheScaleAndFollowTheCutoff) {
    gEruptionMagnitudeCutoff = 3;
    const auto rows = EruptionKeyRows(50, 1.0, 1.36);
    ASSERT_EQ(rows.size(), 7u);
    int y = 50;
    for (int s = 1; s <= 7; ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ(rows[s - 1].size, s);
        EXPECT_EQ(rows[s - 1].y, y);
        EXPECT_EQ(rows[s - 1].atCutoff, s >= 3);
        y = static_cast<int>(y + 2.36 * s + 6);
    }
    EXPECT_EQ(rows[1].y, 50 + 8);
    EXPECT_EQ(EruptionKeyRows(0, 2.25, 3.06)[1].y, 11);  // 5.31 + 6, cut
    gEruptionMagnitudeCutoff = 0;
}

// ---- the pane, pixel for pixel ------------------------------------------------------------

struct LegendPictureCase {
    const char* name;
    bool qmx;
    std::function<void()> settings;
};

// Each picture is the pane of a 640 x 480 frame; the references were looked at.
TEST_F(Legend, PicturesInBothLayouts) {
    const LegendPictureCase cases[] = {
        {"world", false, [] {}},
        {"world_qmx", true, [] {}},
        // MOMENT reads magnitudes; no counters; the lighter frame; cut-offs 6 and 3.
        {"moment", false,
         [] {
             gSymbolStyle = 4;
             gMinMagnitude = 4;
             gMaxMagnitude = 8;
             gEruptionMagnitudeCutoff = 3;
             gControls[kControlShowEventCounters] = 0;
             gControls[kControlDoviredezur] = 1;
         }},
        // Without earthquakes the eruptions start at th / 2: no Key button either.
        {"eruptions_only", false,
         [] {
             gShowEarthquakes = false;
             gControls[kControlShowKeyButton] = 0;
         }},
        {"no_eruptions", true, [] { gShowEruptions = false; }},
    };
    for (const LegendPictureCase& c : cases) {
        SCOPED_TRACE(c.name);
        WorldSettings();
        c.settings();
        apptest::ScaleDots(gScreenHeight);
        parent_.MoveWindow({0, 0, 640, 480});
        myLayoutWindow* layout = MakeLayout(c.qmx);
        childLegend* legend = layout->legend();
        ASSERT_NE(legend, nullptr);
        const auto picture = Render(*legend);
        EXPECT_TRUE(testsupport::MatchesGolden(*picture, std::string("legend/") + c.name + ".png"));
        layout->Destroy();
    }
}

TEST_F(Legend, TheStandardAndQmxPanesDifferOnlyWhereTheEruptionsMoveUp) {
    const auto standard = Render(*MakeLayout(false)->legend());
    parent_.children().front()->Destroy();
    const auto qmx = Render(*MakeLayout(true)->legend());
    // QMX: the map is 57% of the width high, so the legend is 364 rows, not 398.
    EXPECT_EQ(standard->height(), 398);
    EXPECT_EQ(qmx->height(), 364);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < standard->width(); ++x) ASSERT_EQ(standard->At(x, y), qmx->At(x, y)) << x << "," << y;
}

// Without earthquakes the eruption section starts at th / 2, or below the
// Key button: the same picture, moved down by the button's row.
TEST_F(Legend, WithoutEarthquakesTheEruptionsStartBelowTheKeyButton) {
    gShowEarthquakes = false;
    gControls[kControlShowKeyButton] = 0;
    const auto plain = Render(*MakeLegend({0, 0, 124, 398}));
    gControls[kControlShowKeyButton] = 1;
    const auto keyed = Render(*MakeLegend({0, 0, 124, 398}));
    const int th = gLegendFont->metrics().height;
    const int shift = th / 4 + 2 * PaneFont()->metrics().height;
    for (int y = th / 2; y + shift < 398 - 3; ++y)
        for (int x = 2; x < 124 - 2; ++x) ASSERT_EQ(keyed->At(x, y + shift), plain->At(x, y)) << x << "," << y;
}

// On the common screens, in the font the program picks, the longest texts
// (the eruption types) end clear of the pane's right frame.
TEST_F(Legend, TextsEndClearOfTheRightEdgeOnCommonScreens) {
    const struct {
        int width, height;
    } screens[] = {{640, 480}, {1280, 720}, {1366, 768}, {1920, 1080}};
    for (const auto& screen : screens) {
        SCOPED_TRACE(std::to_string(screen.width) + "x" + std::to_string(screen.height));
        WorldSettings();
        hl::SetScreenSize({screen.width, screen.height});
        gScreenHeight = screen.height;
        ResetEruptionSymbolScale();
        apptest::ScaleDots(gScreenHeight);
        gLegendFont.reset();  // the layout picks the program's own
        parent_.MoveWindow({0, 0, screen.width, screen.height});
        myLayoutWindow* layout = MakeLayout(false);
        childLegend* legend = layout->legend();
        ASSERT_NE(legend, nullptr);
        const auto picture = Render(*legend);
        // Inside the 2-pixel frame, a margin of 4 columns holds no text.
        const int right = legend->clientRect().right - 2;
        int ink = 0;
        for (int y = 0; y < picture->height(); ++y)
            for (int x = right - 4; x < right; ++x) {
                const gfx::Color c = picture->At(x, y);
                ink += c.red() + c.green() + c.blue() < 3 * 128;  // text, smoothed edges too
            }
        EXPECT_EQ(ink, 0);
        layout->Destroy();
    }
}

// A pane narrower than its texts: everything stays inside, nothing breaks.
TEST_F(Legend, NarrowPaneClipsAtItsEdges) {
    childLegend* legend = MakeLegend({0, 0, 48, 398});
    const auto picture = Render(*legend);
    EXPECT_TRUE(testsupport::MatchesGolden(*picture, "legend/narrow.png"));
    // No room at all: nothing to draw, and no fault either.
    childLegend* empty = MakeLegend({0, 0, 0, 0});
    ASSERT_EQ(Render(*empty)->size(), (ui::Size{0, 0}));
    empty->DrawMagnitudeKey();
    empty->DrawEruptionKey();
    empty->DrawEventCounters(1, 2);
}

// A cut-off button redraws its column only: the pane then looks as a whole
// paint with the new cut-off draws it.
TEST_F(Legend, CutoffButtonsRedrawTheirColumnAsAWholePaintWould) {
    gMagnitudeCutoff = 7.05;
    gEruptionMagnitudeCutoff = 2;
    myLayoutWindow* layout = MakeLayout(false);
    childLegend* legend = layout->legend();
    childControl* panel = layout->control();
    ASSERT_NE(legend, nullptr);
    PaintPinned(*legend);
    const auto before = Render(*legend);

    panel->CmQuakeCutoffDown();  // 7.05 to 6.95: the dot of 7 turns red
    EXPECT_NEAR(gMagnitudeCutoff, 6.95, 1e-9);
    panel->CmEruptionCutoffUp();  // 2 to 3: the triangle of 2 turns grey
    EXPECT_EQ(gEruptionMagnitudeCutoff, 3);
    const auto after = Render(*legend);
    EXPECT_TRUE(gfxtest::SameSurfaces(gfxtest::TestName(), legend->backBuffer(), *after));

    // More red in the dots' column, less yellow in the triangles'.
    const int cw = gLegendFont->metrics().aveCharWidth;
    const int dotX = static_cast<int>(DotRadius(10) + 2 * cw);
    const Rect dots{dotX - 1, 0, dotX + 2, after->height()};
    EXPECT_GT(CountColour(*after, dots, ColorOf(4)), CountColour(*before, dots, ColorOf(4)));
    const int triangleX = static_cast<int>(1.36 * 7 + 2 * cw);
    const Rect triangles{triangleX - 1, 0, triangleX + 2, after->height()};
    EXPECT_LT(CountColour(*after, triangles, ColorOf(14)), CountColour(*before, triangles, ColorOf(14)));
}

// Cut-off buttons with no legend pane, or before its first paint, draw nothing.
TEST_F(Legend, CutoffButtonsWithoutALegendOrBeforeItsPaint) {
    myLayoutWindow* layout = MakeLayout(false);
    const auto blank = gfx::Surface::Create(layout->legend()->rect().width(), layout->legend()->rect().height());
    Fill(layout->legend()->backBuffer(), gfx::kBlack);
    layout->control()->CmQuakeCutoffUp();
    layout->control()->CmEruptionCutoffUp();
    EXPECT_TRUE(gfxtest::SameSurfaces(gfxtest::TestName(), layout->legend()->backBuffer(), *blank));
    layout->Destroy();

    gControls[kControlNoLegend] = 1;
    myLayoutWindow* bare = MakeLayout(false);
    ASSERT_EQ(bare->legend(), nullptr);
    const double cutoff = gMagnitudeCutoff;
    bare->control()->CmQuakeCutoffUp();
    EXPECT_NEAR(gMagnitudeCutoff, cutoff + 0.1, 1e-9);
}

struct CounterCase {
    const char* name;
    bool counters, quakes, eruptions, painted;
    bool quakeInk, eruptionInk;
};

TEST_F(Legend, CountersDrawOnlyIntoTheBoxesOfShownSections) {
    const CounterCase cases[] = {
        {"both", true, true, true, true, true, true},
        {"no counters", false, true, true, true, false, false},
        {"eruptions off", true, true, false, true, true, false},
        {"before the first paint", true, true, true, false, false, false},
    };
    for (const CounterCase& c : cases) {
        SCOPED_TRACE(c.name);
        gControls[kControlShowEventCounters] = c.counters;
        gShowEarthquakes = c.quakes;
        gShowEruptions = c.eruptions;
        childLegend* legend = MakeLegend({0, 0, 124, 398});
        std::unique_ptr<gfx::Surface> before;
        if (c.painted) {
            PaintPinned(*legend);
            before = Render(*legend);
        } else {
            before = gfx::Surface::Create(124, 398, ColorOf(kLightGrayColor));
            Fill(legend->backBuffer(), ColorOf(kLightGrayColor));
        }
        legend->DrawEventCounters(1234, 56);
        EXPECT_EQ(legend->shownQuakes(), 1234);
        EXPECT_EQ(legend->shownEruptions(), 56);
        const Rect q = legend->quakeCounterBox(), e = legend->eruptionCounterBox();
        EXPECT_EQ(q.empty(), !c.quakeInk);
        EXPECT_EQ(CountColour(legend->backBuffer(), q, gfx::kBlack) > 5, c.quakeInk);
        EXPECT_EQ(CountColour(legend->backBuffer(), e, gfx::kBlack) > 5, c.eruptionInk);
        // Nothing changes outside the two boxes.
        for (int y = 0; y < before->height(); ++y) {
            for (int x = 0; x < before->width(); ++x) {
                if (q.contains({x, y}) || e.contains({x, y})) continue;
                ASSERT_EQ(legend->backBuffer().At(x, y), before->At(x, y)) << x << "," << y;
            }
        }
        // Zero again: the boxes as a paint leaves them.
        if (c.painted) {
            legend->DrawEventCounters(0, 0);
            EXPECT_TRUE(gfxtest::SameSurfaces(gfxtest::TestName() + "." + c.name, legend->backBuffer(), *before));
        }
        legend->Destroy();
    }
}

TEST_F(Legend, KeyButtonComesWithTheFirstPaintAndStaysWhereItWasMade) {
    myLayoutWindow* layout = MakeLayout(false);
    childLegend* legend = layout->legend();
    EXPECT_EQ(legend->keyButton(), nullptr);
    PaintPinned(*legend);
    textButton* key = legend->keyButton();
    ASSERT_NE(key, nullptr);
    const int th = gLegendFont->metrics().height;
    // 5 in from each side, th / 2 down, BUTTON HEIGHT pane-font heights high.
    EXPECT_EQ(key->rect(), Rect::FromSize(5, th / 2, legend->rect().width() - 10, 2 * PaneFont()->metrics().height));
    EXPECT_EQ(key->text(), "Key");
    EXPECT_TRUE(key->created());

    parent_.MoveWindow({0, 0, 800, 600});
    layout->MoveWindow(parent_.clientRect());
    PaintPinned(*legend);
    EXPECT_EQ(legend->keyButton(), key);
    EXPECT_EQ(key->rect().width(), 124 - 10);

    // The map pane gets the command (and reports the text window it cannot open yet).
    legend->SendCommand(kLegendKeyButton);
    EXPECT_EQ(mapCommands_, (std::vector<int>{kMapCmKeyText}));
}

TEST_F(Legend, NoKeyButtonWithoutShowKeyButton) {
    gControls[kControlShowKeyButton] = 0;
    childLegend* legend = MakeLegend({0, 0, 124, 398});
    PaintPinned(*legend);
    EXPECT_EQ(legend->keyButton(), nullptr);
    EXPECT_TRUE(legend->children().empty());
}

// The paint handler draws in the pane's own font on light grey.
TEST_F(Legend, PaintDrawsTheLegendOnItsBackground) {
    childLegend* legend = MakeLegend({0, 0, 124, 398});
    legend->Invalidate();
    legend->Update();
    auto expected = gfx::Surface::Create(124, 398, ColorOf(kLightGrayColor));
    gfx::DrawContext dc(*expected);
    legend->DrawLegend(dc);
    EXPECT_TRUE(gfxtest::SameSurfaces(gfxtest::TestName(), legend->backBuffer(), *expected));
    EXPECT_EQ(legend->backBuffer().At(10, 397), ColorOf(kLightGrayColor));  // below the frame
}

// ---- with the frame ------------------------------------------------------------------------

class LegendInFrame : public apptest::AppTest {
protected:
    LegendInFrame() {
        gMapCommands = &mapCommands_;
        SetMapPaneMaker(&apptest::MakePane<CommandRecorder>);
    }
    ~LegendInFrame() override {
        SetMapPaneMaker(nullptr);
        gMapCommands = nullptr;
    }
    std::vector<int> mapCommands_;
};

// A mouse move over the legend takes the hover highlight off the Key button
// and off the panel's buttons.
TEST_F(LegendInFrame, MouseMoveOverThePaneUnhighlightsThePaneButtons) {
    gControls[kControlShowKeyButton] = 1;
    gControls[kControlHighlightButtons] = 1;
    gButtonHeight = 2.0;
    myFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    frame->OpenView("");
    myLayoutWindow* layout = frame->layout();
    ASSERT_NE(layout, nullptr);
    ASSERT_NE(layout->legend(), nullptr);
    hl::PaintAll();
    textButton* key = layout->legend()->keyButton();
    ASSERT_NE(key, nullptr);
    hl::Mouse(*key, ui::MouseAction::Move, {5, 5});
    EXPECT_TRUE(key->highlighted());
    auto* play = dynamic_cast<myButton*>(layout->control()->ChildWithId(childControl::kPlay));
    ASSERT_NE(play, nullptr);
    hl::Mouse(*play, ui::MouseAction::Move, {5, 5});
    EXPECT_TRUE(play->hovered());

    hl::Mouse(*layout->legend(), ui::MouseAction::Move, {2, 300});
    EXPECT_FALSE(key->highlighted());
    EXPECT_FALSE(play->hovered());
}

}  // namespace
