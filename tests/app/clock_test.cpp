#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/layout.h"
#include "app/speed.h"
#include "app/view_open.h"
#include "core/eruption.h"
#include "core/catalogue_rebuild.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/draw.h"
#include "platform/sys/clock.h"
#include "tests/app/app_fixture.h"
#include "tests/support/catalogue_file.h"

namespace gfx = platform::gfx;

namespace hl = platform::headless;
using apptest::AppTest;

namespace {

constexpr double kDay = 86400.0;

TEST(ClockArithmetic, EasingUpByTenthsDownAtOnce) {
    const TimeValue day(kDay), year(365 * kDay);
    TimeValue e = day;
    e = EaseSpeed(e, year);
    EXPECT_DOUBLE_EQ(e.t, 0.1 * year.t + 0.9 * day.t);
    e = EaseSpeed(e, year);
    EXPECT_DOUBLE_EQ(e.t, 0.1 * year.t + 0.9 * (0.1 * year.t + 0.9 * day.t));
    EXPECT_EQ(EaseSpeed(year, day).t, day.t);
    EXPECT_EQ(EaseSpeed(day, day).t, day.t);
    EXPECT_EQ(EaseSpeed(TimeValue(0), TimeValue(0)).t, 0.0);
}

TEST(ClockArithmetic, EndOfPeriodCountdownByMode) {
    struct Case {
        int mode;
        bool runScript, exitWhenDone;
        unsigned seconds;
        std::uint32_t current, armed;
    } const cases[] = {
        {kModeLoop, false, false, 0, 0, 1},    {kModeLoop, false, false, 7, 0, 8},
        {kModeNormal, true, false, 3, 0, 4},   {kModeIvEnd, false, true, 0, 0, 1},
        {kModeNormal, false, false, 5, 0, 5},  {kModeIvBegin, false, false, 5, 2, 5},
        {kModeNormal, false, false, 0, 0, 0},  {kModeIvEnd, false, false, 0, 9, 9},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PauseAtEndArm(c.mode, c.runScript, c.exitWhenDone, c.seconds, c.current), c.armed)
            << "mode " << c.mode << " script " << c.runScript << " exit " << c.exitWhenDone << " s " << c.seconds;
    }
}

TEST(ClockArithmetic, FastStylesAreSmallAndMomentWithQuakesShown) {
    for (int style = 0; style < 5; ++style) {
        EXPECT_EQ(FastStyle(true, style), style == 0 || style == 4) << style;
        EXPECT_FALSE(FastStyle(false, style)) << style;
    }
}

// A tick count that moves on by `drift` ms every time it is read, as if each
// drawing took that long; everything else is the virtual clock's.
class DriftingClock final : public platform::TimeSource {
public:
    explicit DriftingClock(std::uint32_t drift) : drift_(drift) {}
    platform::CivilTime UtcNow() const override { return hl::VirtualClock().UtcNow(); }
    int LocalOffsetMinutes() const override { return 0; }
    std::string LocalZoneName() const override { return "UTC"; }
    std::uint32_t TickCount() const override {
        extra_ += drift_;
        return hl::VirtualClock().TickCount() + extra_;
    }
    void Sleep(int ms) override { hl::VirtualClock().Sleep(ms); }

private:
    std::uint32_t drift_;
    mutable std::uint32_t extra_ = 0;
};

class Clock : public AppTest {
protected:
    Clock() {
        ResetViewSettings();
        gControls[kControlAutoStartView] = 1;
        gControls[kControlNoLegend] = 1;
    }
    ~Clock() override {
        ClearDisplayedEruptions();
        platform::SetClock(&hl::VirtualClock());
        ResetViewSettings();
    }

    static QuakeRecord Quake(int hour, int minute, double magnitude, double lat = 10.0, double lon = 20.0) {
        QuakeRecord q;
        MakeEventRecord(&q, 2000, 1, 1, hour, minute, 0.0, lat, lon, 10.0, magnitude);
        return q;
    }
    static TimeValue TimeOf(const QuakeRecord& q) {
        TimeValue t;
        t.SetFromQuake(q);
        return t;
    }
    static void WriteCatalogue(const std::string& name, const std::vector<QuakeRecord>& records) {
        ASSERT_TRUE(WriteQuakeFile(name, records));
    }
    // 2000-01-01 00:00 to 2000-01-02 00:00 over the whole world.
    static void WriteView(const std::string& extra) {
        TempDir::Write("TV",
                       "LEFT LONGITUDE: -180\nRIGHT LONGITUDE: 180\nSOUTH LATITUDE: -70\nNORTH LATITUDE: 75\n"
                       "MINIMUM YEAR: 2000\nMINIMUM MONTH: 1\nMINIMUM DAY: 1\nMINIMUM HOUR: 0\n"
                       "MAXIMUM YEAR: 2000\nMAXIMUM MONTH: 1\nMAXIMUM DAY: 2\nMAXIMUM HOUR: 0\n"
                       "MINIMUM MAGNITUDE: 2\nMAXIMUM MAGNITUDE: 9\nEVENT FILE: T.HY4\nEARTHQUAKES: YES\n"
                       "VOLCANOES: NO\nDOTS: WHITE\nPLATES: NO\n" +
                           extra);
    }
    myFrame* OpenTestView() {
        myFrame* f = Start();
        f->OpenView("TV");
        EXPECT_NE(f->layout(), nullptr);
        return f;
    }

    static void WriteEruptions(const std::vector<EruptionRecord>& records) {
        ASSERT_TRUE(WriteEruptionFile("T.ERB", records));
    }
    // An eruption of Testberg from 1999-12-25 to 2000-01-01 in a view of 2000-01-01 to 01-05, one day a second.
    static void WriteEruptionView() {
        WriteCatalogue("T.HY4", {Quake(12, 0, 5.0)});
        EruptionRecord r;
        std::snprintf(r.id, sizeof r.id, "%s", "V1");
        std::snprintf(r.name, sizeof r.name, "%s", "Testberg");
        r.type = 'E';
        r.size = 3;
        r.start = PackedDate{1999, 12, 25};
        r.stop = PackedDate{2000, 1, 1};
        r.latitude = 10;
        r.longitude = 20;
        WriteEruptions({r});
        TempDir::Write("TV",
                       "LEFT LONGITUDE: -180\nRIGHT LONGITUDE: 180\nSOUTH LATITUDE: -70\nNORTH LATITUDE: 75\n"
                       "MINIMUM YEAR: 2000\nMINIMUM MONTH: 1\nMINIMUM DAY: 1\nMINIMUM HOUR: 0\n"
                       "MAXIMUM YEAR: 2000\nMAXIMUM MONTH: 1\nMAXIMUM DAY: 5\nMAXIMUM HOUR: 0\n"
                       "DAYS PER SECOND: 1\nMINUTES PER SECOND: 0\nSECONDS PER SECOND: 0\n"
                       "EVENT FILE: T.HY4\nERUPTION FILE: T.ERB\nEARTHQUAKES: YES\nVOLCANOES: YES\nDOTS: WHITE\n"
                       "PLATES: NO\n");
    }
};

TEST_F(Clock, EachTickMovesTheClockBySpeedTimesInterval) {
    WriteCatalogue("T.HY4", {Quake(0, 2, 5.0), Quake(0, 5, 6.0), Quake(3, 0, 5.5)});
    WriteView("DAYS PER SECOND: 0\nMINUTES PER SECOND: 60\nSECONDS PER SECOND: 0\n");
    myFrame* f = OpenTestView();
    const TimeValue start = gPeriodStart;
    hl::Advance(50);
    // One hour per second: 180 s a tick; the first window [0, 180) s holds 0:02.
    EXPECT_DOUBLE_EQ(gAnimationTime.t - start.t, 180.0);
    EXPECT_DOUBLE_EQ(f->lastStep(), 180.0);
    EXPECT_EQ(f->quakesShown(), 1);
    hl::Advance(50);
    // [180, 360) s holds 0:05; 3:00 is 60 ticks away.
    EXPECT_EQ(f->quakesShown(), 2);
    hl::Advance(50 * 56);
    EXPECT_EQ(f->quakesShown(), 2);
    EXPECT_EQ(gQuakeIndex, 2);
    hl::Advance(50 * 4);
    EXPECT_EQ(f->quakesShown(), 3);
}

TEST_F(Clock, SpeedZeroStandsStill) {
    WriteCatalogue("T.HY4", {Quake(0, 0, 5.0), Quake(1, 0, 6.0)});
    WriteView("DAYS PER SECOND: 0\nMINUTES PER SECOND: 0\nSECONDS PER SECOND: 0\n");
    myFrame* f = OpenTestView();
    const TimeValue start = gAnimationTime;
    hl::Advance(2000);
    EXPECT_EQ(gAnimationTime.t, start.t);
    EXPECT_EQ(f->quakesShown(), 0);
    EXPECT_TRUE(f->animationTimerRunning());
}

TEST_F(Clock, HigherSpeedIsApproachedLowerAppliesAtOnce) {
    WriteCatalogue("T.HY4", {Quake(23, 0, 5.0)});
    WriteView("DAYS PER SECOND: 0\nMINUTES PER SECOND: 1\nSECONDS PER SECOND: 0\n");
    myFrame* f = OpenTestView();
    hl::Advance(50);
    EXPECT_DOUBLE_EQ(gEffectiveSpeed.t, 60.0);
    f->CmSpeed(kCmSpeedFirst + 7);  // 1 hour per second
    hl::Advance(50);
    EXPECT_DOUBLE_EQ(f->lastStep(), 60.0 * 0.05);  // the step used the old effective speed
    EXPECT_DOUBLE_EQ(gEffectiveSpeed.t, 0.1 * 3600 + 0.9 * 60);
    hl::Advance(50);
    EXPECT_DOUBLE_EQ(f->lastStep(), (0.1 * 3600 + 0.9 * 60) * 0.05);
    f->CmSpeed(kCmSpeedFirst + 1);  // 1 second per second
    hl::Advance(50);
    EXPECT_DOUBLE_EQ(gEffectiveSpeed.t, 1.0);
}

TEST_F(Clock, PausedHoldsTheClockAndPlayResumesIt) {
    WriteCatalogue("T.HY4", {Quake(0, 1, 5.0)});
    WriteView("DAYS PER SECOND: 0\nMINUTES PER SECOND: 60\nSECONDS PER SECOND: 0\n");
    myFrame* f = OpenTestView();
    f->CmPause();
    const TimeValue held = gAnimationTime;
    hl::Advance(500);
    EXPECT_EQ(gAnimationTime.t, held.t);
    EXPECT_TRUE(f->animationTimerRunning());  // pausing does not stop the timer
    f->CmPlay();
    EXPECT_FALSE(gPaused);
    hl::Advance(50);
    EXPECT_GT(gAnimationTime.t, held.t);
    EXPECT_EQ(f->quakesShown(), 1);
}

TEST_F(Clock, AnEarthquakeGoesBeforeAnEruptionAtTheSameTime) {
    const QuakeRecord q = Quake(0, 0, 5.0);
    QuakeRecord later;
    MakeEventRecord(&later, 2000, 1, 2, 12, 0, 0.0, 10, 20, 10, 5.0);
    WriteCatalogue("T.HY4", {q, later});
    EruptionRecord r;
    std::snprintf(r.name, sizeof r.name, "%s", "Testberg");
    r.size = 3;
    r.start = q.date;
    r.stop = q.date;
    r.latitude = 10;
    r.longitude = 20;
    WriteEruptions({r});
    // Both at 2000-01-01 00:00, inside the first tick's window of a period from the day before.
    TempDir::Write("TV",
                   "LEFT LONGITUDE: -180\nRIGHT LONGITUDE: 180\nSOUTH LATITUDE: -70\nNORTH LATITUDE: 75\n"
                   "MINIMUM YEAR: 1999\nMINIMUM MONTH: 12\nMINIMUM DAY: 31\nMINIMUM HOUR: 23\n"
                   "MAXIMUM YEAR: 2000\nMAXIMUM MONTH: 1\nMAXIMUM DAY: 3\nMAXIMUM HOUR: 0\n"
                   "DAYS PER SECOND: 1\nMINUTES PER SECOND: 0\nSECONDS PER SECOND: 0\n"
                   "EVENT FILE: T.HY4\nERUPTION FILE: T.ERB\nEARTHQUAKES: YES\nVOLCANOES: YES\nDOTS: WHITE\n");
    myFrame* f = OpenTestView();
    // The budget is spent by the first of the two: the second stops the clock at its time, undrawn.
    DriftingClock drifting(60);
    platform::SetClock(&drifting);
    hl::Advance(50);
    EXPECT_EQ(f->quakesShown(), 1) << "the earthquake was not drawn first";
    EXPECT_TRUE(gDisplayedEruptions.empty());
    EXPECT_EQ(gAnimationTime.t, TimeOf(q).t);
    platform::SetClock(&hl::VirtualClock());
    hl::Advance(50);
    EXPECT_EQ(f->quakesShown(), 1);
    ASSERT_EQ(gDisplayedEruptions.size(), 1u);
    EXPECT_EQ(FieldText(gDisplayedEruptions[0]->record.name, sizeof gDisplayedEruptions[0]->record.name), "Testberg");
}

TEST_F(Clock, AnEruptionUnderWayAtTheStartIsShownOnTheMapAndErasedTwentyTicksAfterItEnds) {
    WriteEruptionView();
    myFrame* f = OpenTestView();
    childMap* map = f->layout()->mapPane();
    ASSERT_NE(map, nullptr);
    // The base map's layer read the catalogue; the first tick must still find the eruption under way.
    hl::Advance(50);
    ASSERT_EQ(gDisplayedEruptions.size(), 1u);
    const EruptionDisplay d = gDisplayedEruptions[0]->display;
    EXPECT_TRUE(d.displayed);
    const gfx::Point at{d.x + gMapRect.left, d.y + gMapRect.top};
    EXPECT_EQ(map->backBuffer().At(at.x, at.y), ColorOf(14));

    // One day a second, 4320 s a tick: it ends in the 20th tick and goes 20 ticks later.
    hl::Advance(50 * 19);
    EXPECT_EQ(gDisplayedEruptions.size(), 1u);
    hl::Advance(50 * 2);
    EXPECT_TRUE(gDisplayedEruptions.empty());
    EXPECT_EQ(map->backBuffer().At(at.x, at.y), map->mapImageSurface()->At(at.x, at.y));
}

TEST_F(Clock, PlayErasesTheShownEruptionsFromTheMapPane) {
    WriteEruptionView();
    myFrame* f = OpenTestView();
    childMap* map = f->layout()->mapPane();
    ASSERT_NE(map, nullptr);
    hl::Advance(50);
    ASSERT_EQ(gDisplayedEruptions.size(), 1u);
    const EruptionDisplay d = gDisplayedEruptions[0]->display;
    const gfx::Point at{d.x + gMapRect.left, d.y + gMapRect.top};
    ASSERT_EQ(map->backBuffer().At(at.x, at.y), ColorOf(14));
    f->CmPlay();
    EXPECT_TRUE(gDisplayedEruptions.empty());
    EXPECT_EQ(map->backBuffer().At(at.x, at.y), map->mapImageSurface()->At(at.x, at.y));
}

// Repeat, Redraw, a new view and an alert view all go through OpenView: the
// old run's eruptions must not keep the same volcano from being drawn again.
TEST_F(Clock, ReopeningTheViewStartsWithNoEruptionsAndDrawsThemAgain) {
    WriteEruptionView();
    myFrame* f = OpenTestView();
    hl::Advance(50);
    ASSERT_EQ(gDisplayedEruptions.size(), 1u);
    f->OpenView(nullptr);
    EXPECT_TRUE(gDisplayedEruptions.empty());
    hl::Advance(50);
    ASSERT_EQ(gDisplayedEruptions.size(), 1u);
    const EruptionDisplay d = gDisplayedEruptions[0]->display;
    EXPECT_TRUE(d.displayed);
    childMap* map = f->layout()->mapPane();
    EXPECT_EQ(map->backBuffer().At(d.x + gMapRect.left, d.y + gMapRect.top), ColorOf(14));
}

TEST_F(Clock, FastStyleLeavesTheViewsVolcanoSettingAlone) {
    WriteCatalogue("T.HY4", {Quake(0, 2, 5.0), Quake(20, 0, 6.0)});
    WriteView("DAYS PER SECOND: 0\nMINUTES PER SECOND: 1\nVOLCANOES: YES\nERUPTION FILE: T.ERB\nDOTS: SMALL\n");
    myFrame* f = OpenTestView();
    gShowEruptions = true;
    hl::Advance(50);
    EXPECT_TRUE(gShowEruptions);
    EXPECT_DOUBLE_EQ(f->lastStep(), 3650 * kDay);
    EXPECT_EQ(f->quakesShown(), 2);  // ten years a tick: the whole period at once
}

TEST_F(Clock, NothingAfterThePeriodEndIsDrawnWhateverTheStep) {
    // The view is 2000-01-01 to 01-02; every one of these lies after its end.
    QuakeRecord justAfter, later;
    MakeEventRecord(&justAfter, 2000, 1, 2, 0, 1, 0.0, 10, 20, 10, 5.0);
    MakeEventRecord(&later, 2005, 6, 1, 0, 0, 0.0, 10, 20, 10, 5.0);
    struct Case {
        const char* what;
        std::vector<QuakeRecord> catalogue;
        const char* speed;
        int shown;
    } cases[] = {
        // Ten years a tick must stop at the period end.
        {"SMALL", {Quake(0, 2, 5.0), later}, "DAYS PER SECOND: 0\nMINUTES PER SECOND: 1\nDOTS: SMALL\n", 1},
        {"MOMENT", {Quake(0, 2, 5.0), later}, "DAYS PER SECOND: 0\nMINUTES PER SECOND: 1\nDOTS: MOMENT\n", 1},
        // One month a second steps 1.5 days at once; the first record read is past the end.
        {"first record read", {justAfter}, "DAYS PER SECOND: 30\nMINUTES PER SECOND: 0\n", 0},
        {"after one drawn", {Quake(0, 2, 5.0), justAfter}, "DAYS PER SECOND: 30\nMINUTES PER SECOND: 0\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteCatalogue("T.HY4", c.catalogue);
        WriteView(c.speed);
        myFrame* f = OpenTestView();
        for (int i = 0; i < 4; ++i) hl::Advance(50);
        EXPECT_EQ(f->quakesShown(), c.shown);
        EXPECT_LE(gAnimationTime.t, gPeriodEnd.t);
        EXPECT_TRUE(gEndOfPeriodDone);
    }
}

TEST_F(Clock, PlayAndPauseAtTheEndShowNoDateBeyondIt) {
    WriteCatalogue("T.HY4", {Quake(0, 2, 5.0)});
    // One month a second: the first step (1.5 days) passes the one-day period.
    WriteView("DAYS PER SECOND: 30\nMINUTES PER SECOND: 0\n");
    myFrame* f = OpenTestView();
    hl::Advance(200);
    ASSERT_TRUE(gEndOfPeriodDone);
    f->CmPlay();
    hl::Advance(100);
    f->CmPause();
    hl::Advance(100);
    childControl* panel = f->layout()->control();
    ASSERT_NE(panel, nullptr);
    EXPECT_LE(panel->readoutTime().t, gPeriodEnd.t);
    EXPECT_EQ(panel->readoutText(), DateReadoutText(gPeriodEnd, TimeValue(kDay)));
}

TEST_F(Clock, TheBudgetStopsAtTheNextCandidateAndEveryRecordIsDrawnOnce) {
    std::vector<QuakeRecord> records;
    for (int i = 0; i < 10; ++i) records.push_back(Quake(1, i, 5.0));
    WriteCatalogue("T.HY4", records);
    WriteView("DAYS PER SECOND: 1\nMINUTES PER SECOND: 0\n");
    myFrame* f = OpenTestView();
    DriftingClock drifting(30);  // every drawing "takes" 30 ms of a 50 ms budget
    platform::SetClock(&drifting);
    hl::Advance(50);
    // Read at the deadline's start, then after each candidate: 30, 60 ms. Past the
    // deadline after the second, so the third is the one that stops the clock.
    EXPECT_EQ(f->quakesShown(), 2);
    EXPECT_EQ(gAnimationTime.t, TimeOf(records[2]).t);
    for (int i = 0; i < 10; ++i) hl::Advance(50);
    EXPECT_EQ(f->quakesShown(), 10);
    EXPECT_EQ(gQuakeIndex, 10);
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(gQuakeVisibleBits->Test(i)) << i;
}

TEST_F(Clock, EndOfPeriodRunsItsActionsOnceAndArmsThePause) {
    WriteCatalogue("T.HY4", {Quake(0, 2, 5.0)});
    WriteView("DAYS PER SECOND: 1\nMINUTES PER SECOND: 0\nTITLE AT END: The end\n");
    gMode = kModeNormal;
    gPauseAtEndSeconds = 4;
    myFrame* f = OpenTestView();
    // One day a second: 4320 s a tick; the day is over after 20 ticks.
    hl::Advance(50 * 20);
    EXPECT_FALSE(gEndOfPeriodDone);
    hl::Advance(50);
    EXPECT_TRUE(gEndOfPeriodDone);
    EXPECT_EQ(f->pauseAtEndCountdown(), 4u);
    EXPECT_NE(gPeriodEndReachedAt, 0.0);
    const double reached = gPeriodEndReachedAt;
    f->SetPauseAtEndCountdown(0);
    hl::Advance(500);
    // Later end ticks neither re-arm the countdown nor move the clock on.
    EXPECT_EQ(f->pauseAtEndCountdown(), 0u);
    EXPECT_EQ(gPeriodEndReachedAt, reached);
    EXPECT_TRUE(f->animationTimerRunning());
    EXPECT_GE(gAnimationTime.t, gPeriodEnd.t);
}

TEST_F(Clock, NormalModeWithoutPauseStaysAtTheEnd) {
    WriteCatalogue("T.HY4", {Quake(0, 2, 5.0)});
    WriteView("DAYS PER SECOND: 30\nMINUTES PER SECOND: 0\n");
    gMode = kModeNormal;
    gPauseAtEndSeconds = 0;
    myFrame* f = OpenTestView();
    hl::Advance(5000);
    EXPECT_TRUE(gEndOfPeriodDone);
    EXPECT_EQ(f->pauseAtEndCountdown(), 0u);
}

TEST_F(Clock, DuringACatalogueUpdateTheClockDoesNotReopenTheCatalogue) {
    WriteCatalogue("T.HY4", {Quake(0, 2, 5.0), Quake(5, 0, 5.0)});
    WriteView("DAYS PER SECOND: 0\nMINUTES PER SECOND: 60\n");
    OpenTestView();
    hl::Advance(50);
    ASSERT_NE(gQuakeCatalogue, nullptr);
    CloseQuakeCatalogue();
    {
        CatalogueUpdateHold update;
        ASSERT_TRUE(update.held());
        hl::Advance(200);
        EXPECT_EQ(gQuakeCatalogue, nullptr);
        CatalogueUpdateHold second;
        EXPECT_FALSE(second.held());  // one update at a time
    }
    hl::Advance(50);
    EXPECT_NE(gQuakeCatalogue, nullptr);
}

TEST_F(Clock, EarthquakesSwitchedOffClosesTheCatalogueAndOnReopensIt) {
    WriteCatalogue("T.HY4", {Quake(0, 2, 5.0), Quake(5, 0, 5.0)});
    WriteView("DAYS PER SECOND: 0\nMINUTES PER SECOND: 60\n");
    OpenTestView();
    hl::Advance(50);
    ASSERT_NE(gQuakeCatalogue, nullptr);
    gShowEarthquakes = false;
    hl::Advance(50);
    EXPECT_EQ(gQuakeCatalogue, nullptr);
    gShowEarthquakes = true;
    hl::Advance(50);
    ASSERT_NE(gQuakeCatalogue, nullptr);
    EXPECT_EQ(gQuakeIndex, 1);  // reopened at the current time, past the first quake
}

}  // namespace
