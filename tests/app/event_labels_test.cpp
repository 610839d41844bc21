#include "app/event_labels.h"

#include <gtest/gtest.h>

#include <string>

#include "app/view_open.h"
#include "core/config.h"
#include "map/draw.h"
#include "platform/ui/headless/headless.h"
#include "tests/app/event_fixture.h"

namespace gfx = platform::gfx;
namespace hl = platform::headless;
using apptest::Events;

namespace {

constexpr int kTickMs = 50;

// One hour a second is 180 s a tick: a label at 00:30 (1800 s) comes up in
// the tick that starts past it, the 12th; one at 01:00 ten ticks later.
constexpr int kFirstLabelTick = 12;
constexpr int kSecondLabelTick = 22;

class Labels : public Events {
protected:
    void Tick(int n = 1) { hl::Advance(kTickMs * n); }
    static std::string ShownText() {
        EventLabelWindow* w = ShownEventLabelWindow();
        return w ? w->text() : std::string("-");
    }
    static const char* kTwoLabels;
};
const char* Labels::kTwoLabels =
    "EVENT LABELS: YES\n"
    "EVENT LABEL: 2000/01/01 00:30:00 10.00 20.00 First\n"
    "EVENT LABEL: 2000/01/01 01:00:00 -30.00 100.00 Second\n";

TEST_F(Labels, EachComesUpWhenTheClockPassesItsTimeAndTheNextReplacesIt) {
    WriteQuakes({Quake(3, 0, 0)});
    WriteView(std::string("EARTHQUAKES: YES\nVOLCANOES: NO\n") + kTwoLabels);
    myFrame* f = OpenTestView();
    childMap* map = Map(f);
    // Each change as "tick:text".
    std::string seen, last;
    for (int tick = 1; tick <= kSecondLabelTick + kEventLabelTicks + 1; ++tick) {
        Tick();
        const std::string now = ShownText();
        if (tick == 1 || now != last) seen += (seen.empty() ? "" : " ") + std::to_string(tick) + ":" + now;
        last = now;
    }
    // Shown at 12, replaced at once at 22, gone 50 ticks later.
    EXPECT_EQ(seen, "1:- 12:First 22:Second 72:-");
    EXPECT_EQ(gNextEventLabel, nullptr);
    EXPECT_EQ(gShownEventLabel, nullptr);
    EXPECT_EQ(map->children().size(), 0u) << "a label window was left on the map";
}

TEST_F(Labels, TheWindowIsRedWithAWhiteBorderOverTheLabelsPoint) {
    WriteQuakes({Quake(3, 0, 0)});
    WriteView(std::string("EARTHQUAKES: YES\nVOLCANOES: NO\n") + kTwoLabels);
    myFrame* f = OpenTestView();
    childMap* map = Map(f);
    Tick(kFirstLabelTick);
    EventLabelWindow* w = ShownEventLabelWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parent(), map);
    w->Update();
    const gfx::Surface& b = w->backBuffer();
    EXPECT_EQ(b.At(0, 0), ColorOf(kWhiteColor));
    EXPECT_EQ(b.At(1, b.height() / 2), ColorOf(4));
    int white = 0;
    for (int y = 1; y < b.height() - 1; ++y)
        for (int x = 1; x < b.width() - 1; ++x) white += b.At(x, y) == ColorOf(kWhiteColor);
    EXPECT_GT(white, 0) << "no text in the label";

    // Centred below the event's point, two text heights down.
    std::int32_t row = 0, column = 0;
    map->LatLonToPixel(10.0, Proj::LonOffset(20.0, gWestEdge), &row, &column);
    const gfx::Rect r = w->rect();
    EXPECT_NEAR((r.left + r.right) / 2.0, column + gMapRect.left, 1.0);
    EXPECT_GT(r.top, row + gMapRect.top);
    EXPECT_EQ(gShownEventLabel->box[0] + gMapRect.left, r.left);
}

TEST_F(Labels, TheBoxIsProtectedFromDotsAndTheMapUnderItIsLeftAsItWas) {
    WriteQuakes({Quake(3, 0, 0)});
    WriteView(std::string("EARTHQUAKES: YES\nVOLCANOES: NO\nDOTS: CIRCLES\n") + kTwoLabels);
    myFrame* f = OpenTestView();
    childMap* map = Map(f);
    Tick(kFirstLabelTick - 1);
    const gfx::Surface& image = *map->mapImageSurface();
    Tick();
    ASSERT_NE(gShownEventLabel, nullptr);
    const gfx::Rect box{gShownEventLabel->box[0], gShownEventLabel->box[1], gShownEventLabel->box[2],
                        gShownEventLabel->box[3]};
    const gfx::Point o{gMapRect.left, gMapRect.top};
    const gfx::Mask& mask = *map->protectionMaskBits();
    int protectedBits = 0, whiteInImage = 0, pixels = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) {
            ++pixels;
            protectedBits += mask.At(x, y);
            whiteInImage += image.At(x + o.x, y + o.y) == ColorOf(kWhiteColor);
        }
    EXPECT_EQ(protectedBits, pixels) << "dots could be painted under the label";
    EXPECT_LT(whiteInImage, pixels / 2) << "the label's box was left white in the map image";

    Tick(kEventLabelTicks + kSecondLabelTick);  // both labels have come and gone
    ASSERT_EQ(ShownEventLabelWindow(), nullptr);
    const gfx::Mask& after = *map->protectionMaskBits();
    int stillProtected = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) stillProtected += after.At(x, y);
    EXPECT_EQ(stillProtected, 0) << "the label's box keeps dots out after it went";
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            ASSERT_EQ(map->backBuffer().At(x + o.x, y + o.y), image.At(x + o.x, y + o.y)) << x << "," << y;
}

TEST_F(Labels, LabelsOutOfOrderInTheFileComeUpByTime) {
    WriteQuakes({Quake(3, 0, 0)});
    WriteView(
        "EARTHQUAKES: YES\nVOLCANOES: NO\nEVENT LABELS: YES\n"
        "EVENT LABEL: 2000/01/01 01:00:00 -30.00 100.00 Second\n"
        "EVENT LABEL: 2000/01/01 00:30:00 10.00 20.00 First\n");
    OpenTestView();
    Tick(kFirstLabelTick);
    EXPECT_EQ(ShownText(), "First");
    Tick(kSecondLabelTick - kFirstLabelTick);
    EXPECT_EQ(ShownText(), "Second");
}

TEST_F(Labels, ViewOpeningAndTheEndOfThePeriodTakeTheLabelAway) {
    WriteQuakes({Quake(3, 0, 0)});
    // Two hours at one hour a second end after 40 ticks.
    WriteView(std::string("EARTHQUAKES: YES\nVOLCANOES: NO\n") + kTwoLabels, 1, 2);
    myFrame* f = OpenTestView();
    Tick(kFirstLabelTick);
    ASSERT_EQ(ShownText(), "First");
    f->OpenView(nullptr);
    EXPECT_EQ(ShownText(), "-");
    EXPECT_EQ(Map(f)->children().size(), 0u);
    EXPECT_EQ(gEventLabelIndex, 0);

    Tick(kSecondLabelTick);
    ASSERT_EQ(ShownText(), "Second");
    Tick(20);  // the end comes before the countdown's
    EXPECT_TRUE(gEndOfPeriodDone);
    EXPECT_EQ(ShownText(), "-");
}

TEST_F(Labels, AViewReadWithoutBeingOpenedTakesItsLabelsWithIt) {
    WriteQuakes({Quake(3, 0, 0)});
    WriteView(std::string("EARTHQUAKES: YES\nVOLCANOES: NO\n") + kTwoLabels);
    myFrame* f = OpenTestView();
    Tick(kFirstLabelTick);
    ASSERT_EQ(ShownText(), "First");
    // The button menu reads its group's view; the clock may tick once more before a view opens.
    TempDir::Write("OTHER", "EVENT LABELS: YES\n");
    ASSERT_EQ(ReadViewFile("OTHER"), 0);
    gShowEventLabels = true;
    Tick();
    EXPECT_EQ(ShownText(), "-");
    EXPECT_EQ(gShownEventLabel, nullptr);
    EXPECT_EQ(gNextEventLabel, nullptr);
    EXPECT_EQ(Map(f)->children().size(), 0u);
}

TEST_F(Labels, NoneWithEventLabelsOff) {
    WriteQuakes({Quake(3, 0, 0)});
    std::string off = kTwoLabels;
    off.replace(off.find("YES"), 3, "NO");
    WriteView("EARTHQUAKES: YES\nVOLCANOES: NO\n" + off);
    myFrame* f = OpenTestView();
    Tick(kSecondLabelTick + 1);
    EXPECT_EQ(ShownText(), "-");
    EXPECT_EQ(Map(f)->children().size(), 0u);
}

TEST_F(Labels, OnTheSphereImageTheLabelIsDrawnAndErasedAgain) {
    gControls[kControlScienceOnASphere] = 1;
    struct KeepSize {
        gfx::Size kept = gSphereImageSize;
        ~KeepSize() { gSphereImageSize = kept; }
    } keep;
    gSphereImageSize = {4096, 2048};  // the whole globe of the sphere mapping
    WriteQuakes({Quake(3, 0, 0)});
    WriteView(std::string("EARTHQUAKES: YES\nVOLCANOES: NO\n") + kTwoLabels);
    myFrame* f = OpenTestView();
    childMap* map = Map(f);
    ASSERT_NE(map->sphereDisplaySurface(), nullptr);
    Tick(kFirstLabelTick + 1);
    ASSERT_EQ(ShownText(), "First");
    // The label's sphere point is from the true longitude on the whole globe.
    const EventLabelRecord& label = *gShownEventLabel;
    const gfx::Surface& sphere = *map->sphereDisplaySurface();
    bool red = false;
    for (int y = label.y; y < std::min(sphere.height(), label.y + 400) && !red; ++y)
        red = sphere.At(label.x, y) == ColorOf(4);
    EXPECT_TRUE(red) << "no label below the sphere point " << label.x << "," << label.y;
    Tick(kEventLabelTicks + kSecondLabelTick);
    bool left = false;
    for (int y = 0; y < sphere.height() && !left; ++y)
        for (int x = 0; x < sphere.width() && !left; ++x) left = sphere.At(x, y) == ColorOf(4);
    EXPECT_FALSE(left) << "a label stayed on the sphere image";
}

}  // namespace
