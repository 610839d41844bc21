#include "app/event_step.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/clock.h"
#include "app/control_panel.h"
#include "app/globals.h"
#include "core/config.h"
#include "map/draw.h"
#include "map/quake_symbols.h"
#include "platform/ui/headless/headless.h"
#include "tests/app/event_fixture.h"

namespace gfx = platform::gfx;
namespace hl = platform::headless;
using apptest::Events;

namespace {

constexpr int kPanelStepBack = 809;
constexpr int kPanelStepForward = 810;
constexpr int kMapCmCurrentEvent = 1071;
constexpr int kCtrlB = 1017;

std::vector<std::uint32_t> Pixels(const gfx::Surface& s) {
    std::vector<std::uint32_t> out;
    for (int y = 0; y < s.height(); ++y) out.insert(out.end(), s.row(y), s.row(y) + s.width());
    return out;
}

// ---- arithmetic -------------------------------------------------------------------------------

TEST(StepArithmetic, WhereAStepStartsFromTheCursor) {
    struct Case {
        int index, direction, lastDirection;
        bool lastWasThisKind;
        int start;
    } const cases[] = {
        {5, 1, 0, false, 5},  {5, 1, 1, true, 5},    {5, 1, -1, true, 6},  {5, 1, -1, false, 5},
        {5, -1, 0, false, 4}, {5, -1, 1, true, 3},   {5, -1, -1, true, 4}, {5, -1, 1, false, 4},
        {5, 0, 1, true, 4},   {5, 0, -1, true, 5},   {5, 0, 0, false, 5},  {0, -1, 1, true, -2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StepStartIndex(c.index, c.direction, c.lastDirection, c.lastWasThisKind), c.start)
            << c.index << " dir " << c.direction << " last " << c.lastDirection << " same kind " << c.lastWasThisKind;
}

TEST(StepArithmetic, TheSearchTurnsBackOnceAtAnEnd) {
    // Records 1 and 3 are candidates.
    auto test = [](int i) { return i == 1 || i == 3 ? StepVerdict::Candidate : StepVerdict::Skip; };
    struct Case {
        int start, count, direction, found;
    } const cases[] = {
        {0, 5, 1, 1},  {2, 5, 1, 3},   {4, 5, 1, 3},  {9, 5, 1, 3},  {2, 5, -1, 1}, {0, 5, -1, 1},
        {-3, 5, -1, 1}, {4, 5, -1, 3}, {2, 0, 1, -1}, {0, 0, -1, -1}, {2, 5, 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SearchStep(c.start, c.count, c.direction, test), c.found)
            << "from " << c.start << " of " << c.count << " dir " << c.direction;
    int visits = 0;
    EXPECT_EQ(SearchStep(2, 5, 1, [&](int) { ++visits; return StepVerdict::Skip; }), -1);
    EXPECT_EQ(visits, 3 + 3);  // 2..4, then back from 2 to 0
}

TEST(StepArithmetic, WhichKindAStepShows) {
    const TimeValue early(100), late(200);
    using C = StepCandidate;
    struct Case {
        const char* what;
        int direction;
        std::optional<C> quake, eruption;
        SteppedKind shown;
    } const cases[] = {
        {"neither", 1, std::nullopt, std::nullopt, SteppedKind::None},
        {"quake only", -1, C{late, true}, std::nullopt, SteppedKind::Quake},
        {"eruption only", 1, std::nullopt, C{early, false}, SteppedKind::Eruption},
        {"next: the earlier", 1, C{early, false}, C{late, false}, SteppedKind::Quake},
        {"next: tie to the eruption", 1, C{early, false}, C{early, false}, SteppedKind::Eruption},
        {"previous: the later", -1, C{early, false}, C{late, false}, SteppedKind::Eruption},
        {"previous: tie to the quake", -1, C{late, false}, C{late, false}, SteppedKind::Quake},
        {"next: ahead beats turned back", 1, C{late, false}, C{early, true}, SteppedKind::Quake},
        {"previous: ahead beats turned back", -1, C{early, true}, C{late, false}, SteppedKind::Eruption},
        {"next past both ends: the last", 1, C{late, true}, C{early, true}, SteppedKind::Quake},
        {"previous past both ends: the first", -1, C{late, true}, C{early, true}, SteppedKind::Eruption},
    };
    for (const Case& c : cases) EXPECT_EQ(ChooseStepped(c.direction, c.quake, c.eruption), c.shown) << c.what;
}

TEST(StepArithmetic, InformationBoxPlacement) {
    struct Case {
        const char* what;
        int x, y, w, h, m, mapWidth;
        gfx::Point topLeft, icon;
        bool big;
    } const cases[] = {
        // Across the map by a real fraction: halfway shifts the box by half its width.
        {"above, halfway across", 300, 200, 100, 40, 4, 600, {250, 136}, {304, 204}, false},
        {"above, at the left edge", 0, 200, 100, 40, 4, 600, {0, 136}, {4, 204}, false},
        {"above, a fifth across", 120, 200, 100, 40, 4, 600, {100, 136}, {124, 204}, false},
        {"top just inside", 300, 64, 100, 40, 4, 600, {250, 0}, {304, 68}, false},
        {"no room above: to the left", 300, 30, 100, 40, 4, 600, {178, 20}, {304, 34}, false},
        {"no room above nor left: to the right", 50, 30, 100, 40, 4, 600, {115, 20}, {14, 34}, true},
        {"a map without width", 300, 200, 100, 40, 4, 0, {300, 136}, {304, 204}, false},
    };
    for (const Case& c : cases) {
        const InfoBoxPlace p = PlaceInfoBox(c.x, c.y, c.w, c.h, c.m, c.mapWidth);
        EXPECT_TRUE(p.topLeft == c.topLeft) << c.what << ": box at " << p.topLeft.x << "," << p.topLeft.y;
        EXPECT_TRUE(p.icon == c.icon) << c.what << ": icon at " << p.icon.x << "," << p.icon.y;
        EXPECT_EQ(p.bigIcon, c.big) << c.what;
    }
}

// ---- stepping through a view ---------------------------------------------------------------

class Stepping : public Events {
protected:
    // Presses the panel's step buttons ('N' forward, 'P' back, 'C' Ctrl+B on
    // the frame), a few paused ticks between them; after each the event shown
    // by name and the clock's minute ("Q2@00:20"), or "-" when none was.
    std::string Press(myFrame* f, const std::string& keys, const std::vector<std::string>& quakeNames,
                      const std::vector<std::string>& eruptionNames) {
        std::string out;
        for (char k : keys) {
            if (k == 'C') f->SendCommand(kCtrlB);
            else Panel(f)->SendCommand(k == 'N' ? kPanelStepForward : kPanelStepBack);
            hl::Advance(100);
            const EventStepState& s = EventStepping();
            if (!out.empty()) out += ' ';
            if (s.shownKind == SteppedKind::None) {
                out += "-";
                continue;
            }
            const auto& names = s.shownKind == SteppedKind::Quake ? quakeNames : eruptionNames;
            out += s.shownIndex >= 0 && s.shownIndex < static_cast<int>(names.size()) ? names[s.shownIndex] : "?";
            char clock[16];
            std::snprintf(clock, sizeof clock, "@%02d %02d:%02d", gAnimationTime.Day(), gAnimationTime.Hour(),
                          gAnimationTime.Minute());
            out += clock;
        }
        return out;
    }
};

TEST_F(Stepping, QuakesForwardAndBackOverEqualTimesHiddenEventsAndBothEnds) {
    // Q3 lies north of the view.
    WriteQuakes({Quake(1, 0, 10), Quake(1, 0, 20), Quake(1, 0, 20), Quake(1, 0, 30, 80.0), Quake(1, 0, 40)});
    WriteView("EARTHQUAKES: YES\nVOLCANOES: NO\n");
    myFrame* f = OpenTestView();
    const std::vector<std::string> q = {"Q0", "Q1", "Q2", "Q3", "Q4"};
    // Next twice then Previous shows the first Next's event again; past the
    // last the last is shown again, and before the first the first.
    const std::string expected =
        "Q0@01 00:10 Q1@01 00:20 Q0@01 00:10 Q1@01 00:20 Q2@01 00:20 Q4@01 00:40 Q4@01 00:40 Q4@01 00:40 "
        "Q2@01 00:20 Q1@01 00:20 Q0@01 00:10 Q0@01 00:10 Q0@01 00:10";
    EXPECT_EQ(Press(f, "NNPNNNNNPPPPP", q, {}), expected);
    EXPECT_TRUE(gPaused);
    EXPECT_FALSE(gQuakeVisibleBits->Test(3));
}

TEST_F(Stepping, BothKindsInterleaveInOneOrderEitherWay) {
    // Qa at 00:00 of the day E1 starts. E0 is not one a step shows.
    WriteQuakes({Quake(1, 12, 0), Quake(2, 0, 0), Quake(3, 6, 0)});
    WriteEruptions({Eruption("E0", 1, false), Eruption("E1", 2), Eruption("E2", 3)});
    WriteView("EARTHQUAKES: YES\nVOLCANOES: YES\n");
    myFrame* f = OpenTestView();
    const std::vector<std::string> q = {"Qb", "Qa", "Qc"}, e = {"E0", "E1", "E2"};
    // Forward a tie shows the eruption first, backward the earthquake; past
    // the last event of either catalogue the other one's later events still come.
    const std::string expected =
        "Qb@01 12:00 E1@02 00:00 Qa@02 00:00 E2@03 00:00 Qc@03 06:00 Qc@03 06:00 "
        "E2@03 00:00 Qa@02 00:00 E1@02 00:00 Qb@01 12:00 Qb@01 12:00 E1@02 00:00";
    EXPECT_EQ(Press(f, "NNNNNNPPPPPN", q, e), expected);
}

TEST_F(Stepping, EruptionsAloneAndTheCurrentEventWithoutEarthquakes) {
    WriteQuakes({Quake(1, 12, 0)});
    WriteEruptions({Eruption("E0", 1), Eruption("E1", 2, true, 80.0), Eruption("E2", 3)});
    WriteView("EARTHQUAKES: NO\nVOLCANOES: YES\n");
    myFrame* f = OpenTestView();
    const std::vector<std::string> e = {"E0", "E1", "E2"};
    EXPECT_EQ(Press(f, "NNNP", {}, e), "E0@01 00:00 E2@03 00:00 E2@03 00:00 E0@01 00:00");
    // Ctrl+B looks for an earthquake only: the map and the stepped eruption stay.
    childMap* map = Map(f);
    const std::vector<std::uint32_t> before = Pixels(map->backBuffer());
    f->SendCommand(kCtrlB);
    EXPECT_TRUE(Pixels(map->backBuffer()) == before);
    EXPECT_NE(EventStepping().steppedEruption, nullptr);
}

TEST_F(Stepping, AnEmptyCatalogueStepsToNothing) {
    WriteQuakes({});
    WriteEruptions({});
    for (const char* kinds : {"EARTHQUAKES: YES\nVOLCANOES: NO\n", "EARTHQUAKES: YES\nVOLCANOES: YES\n",
                              "EARTHQUAKES: NO\nVOLCANOES: YES\n"}) {
        SCOPED_TRACE(kinds);
        WriteView(kinds);
        myFrame* f = OpenTestView();
        const TimeValue start = gAnimationTime;
        EXPECT_EQ(Press(f, "NPCN", {}, {}), "- - - -");
        EXPECT_EQ(gAnimationTime.t, start.t);
        EXPECT_FALSE(Map(f)->markerIconShown());
    }
}

TEST_F(Stepping, PlayGoesOnFromTheSteppedEventWithTheNextRecord) {
    WriteQuakes({Quake(1, 0, 10), Quake(1, 0, 20), Quake(1, 3, 0)});
    WriteView("EARTHQUAKES: YES\nVOLCANOES: NO\n");
    myFrame* f = OpenTestView();
    hl::Advance(50);  // the clock has read the first record
    Press(f, "NN", {}, {});
    ASSERT_EQ(EventStepping().shownIndex, 1);
    Panel(f)->SendCommand(801);  // Play
    hl::Advance(50 * 5);
    EXPECT_FALSE(gPaused);
    EXPECT_GT(gAnimationTime.t, EventStepping().clock.t);
    // The record after the stepped one is next, not the one read before the steps.
    EXPECT_EQ(gQuakeIndex, 2);
    EXPECT_EQ(gQuakeDisplayRecord.quake.minute, 3 * 60);
    // After playing, Previous starts from the clock: the 3:00 record it drew last.
    hl::Advance(50 * 60);
    EXPECT_EQ(f->quakesShown(), 1);
    EXPECT_EQ(Press(f, "P", {"Q0", "Q1", "Q2"}, {}), "Q2@01 03:00");
}

TEST_F(Stepping, TheInformationBoxAndCtrlBTogglingIt) {
    WriteQuakes({Quake(1, 0, 10, 0.0, 0.0), Quake(1, 0, 20, 0.0, 100.0)});
    WriteView("EARTHQUAKES: YES\nVOLCANOES: NO\n");
    myFrame* f = OpenTestView();
    childMap* map = Map(f);
    Press(f, "N", {}, {});
    const gfx::Rect box = EventStepping().lastInfoBox;
    ASSERT_FALSE(box.empty());
    const gfx::Point o{gMapRect.left, gMapRect.top};
    // Red inside, a black shadow along the bottom right, drawn on the screen only.
    const gfx::Point inside = gfx::Point{box.left + 2, box.top + 2} + o;
    const gfx::Point shadow = gfx::Point{box.right - 3, box.bottom - 3} + o;
    EXPECT_EQ(map->backBuffer().At(inside.x, inside.y), ColorOf(4));
    EXPECT_EQ(map->backBuffer().At(shadow.x, shadow.y), ColorOf(0));
    EXPECT_NE(map->mapImageSurface()->At(inside.x, inside.y), ColorOf(4));
    EXPECT_TRUE(map->markerIconShown());

    f->SendCommand(kCtrlB);  // hides the box, the event stays
    EXPECT_FALSE(EventStepping().infoBox);
    EXPECT_TRUE(EventStepping().lastInfoBox.empty());
    EXPECT_EQ(map->backBuffer().At(inside.x, inside.y), map->mapImageSurface()->At(inside.x, inside.y));
    EXPECT_EQ(EventStepping().shownIndex, 0);
    f->SendCommand(kCtrlB);  // and shows it again
    EXPECT_TRUE(EventStepping().infoBox);
    EXPECT_EQ(map->backBuffer().At(inside.x, inside.y), ColorOf(4));

    // The next step takes the old box away, and Play the last one.
    Press(f, "N", {}, {});
    EXPECT_EQ(EventStepping().shownIndex, 1);
    EXPECT_EQ(map->backBuffer().At(shadow.x, shadow.y), map->mapImageSurface()->At(shadow.x, shadow.y));
    const gfx::Rect last = EventStepping().lastInfoBox.translated(o);
    Panel(f)->SendCommand(801);
    hl::Advance(100);
    EXPECT_EQ(map->backBuffer().At(last.left + 2, last.top + 2), map->mapImageSurface()->At(last.left + 2, last.top + 2));
}

TEST_F(Stepping, AnEruptionsBoxIsYellowAndItsSymbolGoesAtTheNextStep) {
    WriteQuakes({Quake(2, 0, 10)});
    WriteEruptions({Eruption("E0", 1, true, 0.0, 0.0)});
    WriteView("EARTHQUAKES: YES\nVOLCANOES: YES\n");
    myFrame* f = OpenTestView();
    childMap* map = Map(f);
    Press(f, "N", {}, {});
    ASSERT_EQ(EventStepping().shownKind, SteppedKind::Eruption);
    const gfx::Rect box = EventStepping().lastInfoBox;
    const gfx::Point o{gMapRect.left, gMapRect.top};
    EXPECT_EQ(map->backBuffer().At(box.left + 2 + o.x, box.top + 2 + o.y), ColorOf(14));
    const EruptionDisplay d = EventStepping().steppedEruption->display;
    const gfx::Point apex{d.x + o.x, d.y + o.y - 2};
    EXPECT_NE(map->backBuffer().At(apex.x, apex.y), map->mapImageSurface()->At(apex.x, apex.y));
    Press(f, "N", {}, {});
    EXPECT_EQ(EventStepping().shownKind, SteppedKind::Quake);
    EXPECT_EQ(map->backBuffer().At(apex.x, apex.y), map->mapImageSurface()->At(apex.x, apex.y));
}

TEST_F(Stepping, CtrlBWithoutAViewDoesNothing) {
    myFrame* f = Start();
    ASSERT_EQ(f->layout(), nullptr);
    EXPECT_TRUE(f->SendCommand(kCtrlB));
    EXPECT_EQ(EventStepping().shownKind, SteppedKind::None);
}

TEST_F(Stepping, DigitisingIsThePanesOwnCommand) {
    WriteQuakes({Quake(1, 0, 10)});
    WriteView("EARTHQUAKES: YES\nVOLCANOES: NO\n");
    myFrame* f = OpenTestView();
    std::vector<std::string> missing;
    SetMissingSeamHandler([&](const std::string& step) { missing.push_back(step); });
    Map(f)->SendCommand(1015);
    EXPECT_EQ(Map(f)->mouseMode(), kMouseDigitize);
    Map(f)->SendCommand(kMapCmCurrentEvent);
    SetMissingSeamHandler(nullptr);
    EXPECT_TRUE(missing.empty()) << ::testing::PrintToString(missing);
}

}  // namespace
