#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/event_step.h"
#include "app/control_panel.h"
#include "app/housekeeping.h"
#include "app/layout.h"
#include "app/menus.h"
#include "app/select_window.h"
#include "app/view_list.h"
#include "app/view_open.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/proj.h"
#include "map/child_map.h"
#include "platform/sys/files.h"
#include "tests/app/app_fixture.h"
#include "tests/app/map_pane_double.h"

namespace fs = std::filesystem;
namespace ui = platform::ui;
namespace hl = platform::headless;
using apptest::AppTest;

namespace {

template <class T>
std::string Join(const std::vector<T>& v) {
    std::ostringstream s;
    s << "{";
    for (std::size_t i = 0; i < v.size(); ++i) s << (i ? ", " : "") << v[i];
    s << "}";
    return s.str();
}

// A CSV-looking line of exactly n characters starting with the key.
std::string Line(const std::string& key, std::size_t n) {
    std::string s = key + ",";
    while (s.size() < n) s += 'x';
    s.resize(n);
    return s;
}

ViewListEntry Entry(const std::string& name) {
    ViewListEntry e;
    e.viewName = name;
    e.imageName = name + ".jpg";
    e.title = name;
    return e;
}

void SetViewList(const std::vector<std::string>& names) {
    gViewList.Flush();
    for (const auto& n : names) gViewList.Add(Entry(n));
}

// ---- the plain parts ------------------------------------------------------------------------

TEST(HousekeepingCountdown, ANegativeSettingStoredUnsignedCountsAsZero) {
    EXPECT_EQ(CountdownSeconds(0), 0u);
    EXPECT_EQ(CountdownSeconds(30), 30u);
    EXPECT_EQ(CountdownSeconds(static_cast<unsigned>(INT32_MAX)), static_cast<std::uint32_t>(INT32_MAX));
    EXPECT_EQ(CountdownSeconds(static_cast<unsigned>(-1)), 0u);
    EXPECT_EQ(CountdownSeconds(static_cast<unsigned>(-600)), 0u);
}

struct DueCase {
    const char* name;
    platform::CivilTime now;
    UtcDate last;
    bool due;
};

TEST(HousekeepingSchedule, DueAtOrAfterItsMinuteOncePerUtcDay) {
    const UtcDate never{};
    const UtcDate today{2026, 3, 14};
    const UtcDate yesterday{2026, 3, 13};
    const DueCase cases[] = {
        {"minute before", {2026, 3, 14, 3, 29, 59}, never, false},
        {"the minute", {2026, 3, 14, 3, 30, 0}, never, true},
        {"later in the minute", {2026, 3, 14, 3, 30, 59}, never, true},
        {"minute missed inside a long call", {2026, 3, 14, 3, 42, 5}, yesterday, true},
        {"hours later the same day", {2026, 3, 14, 23, 59, 0}, yesterday, true},
        {"already run today", {2026, 3, 14, 3, 30, 30}, today, false},
        {"already run today, later", {2026, 3, 14, 22, 0, 0}, today, false},
        {"next day before its time", {2026, 3, 15, 3, 29, 0}, today, false},
        {"next day at its time", {2026, 3, 15, 3, 30, 0}, today, true},
        // Only the date counts: the same day of another month or year is another day.
        {"same day of next month", {2026, 4, 14, 3, 30, 0}, today, true},
        {"same day of next year", {2027, 3, 14, 3, 30, 0}, today, true},
    };
    for (const DueCase& c : cases) {
        EXPECT_EQ(ScheduledUpdateDue(c.now, 3, 30, c.last), c.due) << c.name;
    }
    // An hour past the day's end never falls due.
    EXPECT_FALSE(ScheduledUpdateDue({2026, 3, 14, 23, 59, 59}, 24, 0, never));
}

TEST(HousekeepingScript, NextEntryWrapsAndSkipsTheViewJustShown) {
    struct Case {
        const char* name;
        std::vector<std::string> list;
        int index;
        const char* shown;
        int next;
    };
    const Case cases[] = {
        {"empty list", {}, 0, "A", -1},
        {"A showing opens B", {"A", "B"}, 0, "A", 1},
        {"wraps to the first", {"A", "B"}, 1, "B", 0},
        {"next is the view shown: skipped", {"A", "B", "C"}, 0, "B", 2},
        {"skip wraps", {"A", "B", "C"}, 1, "C", 0},
        {"one entry, shown: opens it again", {"A"}, 0, "A", 0},
        {"case counts", {"A", "b"}, 0, "B", 1},
        {"index beyond the list restarts", {"A", "B", "C"}, 7, "X", 0},
        {"negative index restarts", {"A", "B"}, -4, "X", 0},
    };
    for (const Case& c : cases) {
        SetViewList(c.list);
        EXPECT_EQ(NextScriptIndex(c.index, gViewList, c.shown), c.next) << c.name;
    }
    gViewList.Flush();
}

TEST(HousekeepingAlive, WarningPastTheLimitAndRepaintWhenTheFeederIsBack) {
    ResetHousekeepingState();
    std::vector<std::string> want, got;
    auto text = [](const AliveDraw& d) {
        std::string s = d.warning ? "warn" : (d.repaint ? "repaint+blink" : "blink");
        return s + (d.phase ? "1" : "0");
    };
    // Limit 2: seconds 0, 1, 2 blink; 3 and 4 warn; the feeder is heard; then it blinks again.
    for (int i = 0; i < 5; ++i) got.push_back(text(AliveTest(2)));
    EXPECT_TRUE(gAliveWarningShown);
    gAliveCounter = 0;
    for (int i = 0; i < 2; ++i) got.push_back(text(AliveTest(2)));
    want = {"blink0", "blink1", "blink0", "warn1", "warn0", "repaint+blink1", "blink0"};
    EXPECT_EQ(got, want) << "want " << Join(want) << "\n got " << Join(got);
    EXPECT_FALSE(gAliveWarningShown);
    EXPECT_EQ(gAliveCounter, 2u);

    // The counter stops at its top instead of wrapping back below the limit.
    gAliveCounter = UINT32_MAX;
    EXPECT_TRUE(AliveTest(10).warning);
    EXPECT_EQ(gAliveCounter, UINT32_MAX);
    ResetHousekeepingState();
}

// ---- the feed -------------------------------------------------------------------------------

struct FeedRecorder {
    std::string body;
    int result = 0;
    std::vector<std::string> urls, files;
    std::vector<int> ticks;  // the tick number of each request, when counted
    int* tickNow = nullptr;
    std::string moveTo;  // made current during the request, as a command the pump ran may
};
FeedRecorder* gRecorder = nullptr;

int RecordingFeed(const std::string& url, const std::string& file) {
    gRecorder->urls.push_back(url);
    gRecorder->files.push_back(file);
    if (gRecorder->tickNow) gRecorder->ticks.push_back(*gRecorder->tickNow);
    if (gRecorder->result == 0) TempDir::Write(file, gRecorder->body);
    if (!gRecorder->moveTo.empty()) platform::SetCurrentDir(gRecorder->moveTo);
    return gRecorder->result;
}

class Feed : public testing::Test {
protected:
    Feed() {
        ResetHousekeepingState();
        gRecorder = &rec_;
        network_.feed = RecordingFeed;
    }
    ~Feed() override {
        gRecorder = nullptr;
        ResetHousekeepingState();
    }
    TempDir dir_;
    FeedRecorder rec_;
    testsupport::TestNetworkLink network_;
    std::optional<testsupport::ScopedNetworkLink> installed_{std::in_place, network_};
};

TEST_F(Feed, TableOfAnswers) {
    const std::string header = "time,latitude,longitude,depth,mag,magType,nst,gap,dmin,rms,net,id,updated";
    const std::string a = Line("2026-01-01T01", 51), b = Line("2026-01-01T02", 80), c = Line("2026-01-01T03", 60);
    const std::string shortLine = Line("2026-01-01T04", 50);
    struct Case {
        const char* name;
        std::string body;
        int result;
        const char* second;  // SMHypocenters.csv, or none
        std::vector<std::string> lines;
        bool aliveReset;
        bool fileKept;
    };
    const Case cases[] = {
        {"lines longer than 50 sorted, header and short lines left", header + "\n" + c + "\n" + a + "\n" + shortLine +
                                                                         "\n" + b + "\n",
         0, nullptr, {a, b, c}, true, true},
        {"CRLF lines", header + "\r\n" + b + "\r\n" + a + "\r\n", 0, nullptr, {a, b}, true, true},
        {"upper-case header", "TIME,LATITUDE\n" + a + "\n", 0, nullptr, {a}, true, true},
        {"error page keeps nothing", "<!DOCTYPE html>\n" + a + "\n" + b + "\n", 0, nullptr, {}, false, true},
        {"lower-case error page keeps nothing", "<!doctype html>\n" + a + "\n", 0, nullptr, {}, false, true},
        {"no column header keeps nothing", a + "\n" + b + "\n", 0, nullptr, {}, false, true},
        {"failed request deletes the file", header + "\n" + a + "\n", 1, nullptr, {}, false, false},
        {"empty answer is no word from the feeder", "", 0, nullptr, {}, false, true},
        {"header alone", header + "\n", 0, nullptr, {}, true, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ResetHousekeepingState();
        gAliveCounter = 99;
        TempDir::Write(kFeedFile, "old");
        rec_.body = k.body;
        rec_.result = k.result;
        FetchEventFeed("https://feed.example/recent.csv");
        EXPECT_EQ(gFeedLines, k.lines) << "want " << Join(k.lines) << "\n got " << Join(gFeedLines);
        EXPECT_EQ(gAliveCounter, k.aliveReset ? 0u : 99u);
        EXPECT_EQ(fs::exists(kFeedFile), k.fileKept);
    }
    ASSERT_FALSE(rec_.urls.empty());
    EXPECT_EQ(rec_.urls.back(), "https://feed.example/recent.csv");
    EXPECT_EQ(rec_.files.back(), dir_.path() + "/USGSHypocenters.csv");
}

// Another folder made current while the request runs: the answer is read
// where it was written, a failure deletes only that file, and the new
// folder's own feed and second source are neither read nor removed.
TEST_F(Feed, AFolderChangeDuringTheRequestLeavesTheNewFolderAlone) {
    const std::string header = "time,latitude";
    const std::string fresh = Line("2026-01-01T02", 60), stale = Line("2026-01-01T01", 60);
    const std::string tourFeed = header + "\n" + stale + "\n";
    TempDir::Write(std::string("tour/") + kFeedFile, tourFeed);
    TempDir::Write(std::string("tour/") + kSecondFeedFile, Line("2026-01-01T03", 60) + "\n");
    rec_.moveTo = dir_.path() + "/tour";
    rec_.body = header + "\n" + fresh + "\n";
    struct Case {
        int result;
        std::vector<std::string> lines;
        bool fileKept;
    } cases[] = {{0, {fresh}, true}, {1, {}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        ASSERT_TRUE(platform::SetCurrentDir(dir_.path()));
        ResetHousekeepingState();
        TempDir::Write(kFeedFile, "old");
        rec_.result = c.result;
        FetchEventFeed("u");
        EXPECT_EQ(gFeedLines, c.lines) << "want " << Join(c.lines) << "\n got " << Join(gFeedLines);
        EXPECT_EQ(fs::exists(dir_.path() + "/" + kFeedFile), c.fileKept);
        EXPECT_EQ(TempDir::Read(dir_.path() + "/tour/" + kFeedFile), tourFeed);
    }
}

TEST_F(Feed, SecondSourceLinesNotBeforeTheLastFeedLineAreMerged) {
    // The feed's last line (in file order, not the largest) is the bar.
    const std::string f1 = Line("2026-01-01T05", 60), f2 = Line("2026-01-01T02", 60), f3 = Line("2026-01-01T03", 60);
    const std::string older = Line("2026-01-01T01", 70), equal = f3, newer = Line("2026-01-01T04", 70);
    const std::string tooShort = Line("2026-01-01T09", 40);
    const std::string tooLong = Line("2026-01-01T08", 400);
    TempDir::Write(kSecondFeedFile, older + "\n" + newer + "\n" + tooShort + "\n" + equal + "\n" + tooLong + "\n");
    rec_.body = "time,latitude,longitude\n" + f1 + "\n" + f2 + "\n" + f3 + "\n";
    FetchEventFeed("u");
    // A line longer than the second source's buffer is cut, and its rest is not a line of its own.
    const std::vector<std::string> want = {f2, f3, equal, newer, f1, tooLong.substr(0, 254)};
    EXPECT_EQ(gFeedLines, want) << "want " << Join(want) << "\n got " << Join(gFeedLines);

    // No feed line to compare with: every long line of the second source is taken.
    gFeedLines.clear();
    rec_.body = "time,latitude,longitude\n";
    FetchEventFeed("u");
    EXPECT_EQ(gFeedLines.size(), 4u) << Join(gFeedLines);

    // An error page keeps the second source's lines out as well.
    gFeedLines.clear();
    rec_.body = "<!DOCTYPE html>\n";
    FetchEventFeed("u");
    EXPECT_TRUE(gFeedLines.empty()) << Join(gFeedLines);
}

TEST_F(Feed, NoNetworkLinkTouchesNothingAndSaysSo) {
    installed_.reset();
    std::vector<std::string> missing;
    SetMissingSeamHandler([&](const std::string& step) { missing.push_back(step); });
    TempDir::Write(kFeedFile, "kept");
    FetchEventFeed("u");
    SetMissingSeamHandler(nullptr);
    EXPECT_EQ(TempDir::Read(kFeedFile), "kept");
    EXPECT_TRUE(gFeedLines.empty());
    EXPECT_EQ(missing, std::vector<std::string>{"event feed"});
}

// ---- the poll directory --------------------------------------------------------------------------

class PollDirectory : public testing::Test {
protected:
    PollDirectory() { ResetHousekeepingState(); }
    ~PollDirectory() override { ResetHousekeepingState(); }

    // Files written in this order arrive in this order.
    void WriteMessage(const std::string& name, const std::string& bytes) {
        TempDir::Write("polls/" + name, bytes);
        fs::last_write_time("polls/" + name, base_ + std::chrono::seconds(++written_));
    }
    std::vector<std::string> Left() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator("polls")) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir_;
    fs::file_time_type base_ = fs::file_time_type::clock::now() - std::chrono::hours(1);
    int written_ = 0;
};

TEST_F(PollDirectory, ShortFilesTakenLongOnesDeletedUnreadOthersLeft) {
    gAliveCounter = 50;
    WriteMessage("out_long", std::string(85, 'L'));
    WriteMessage("out_84", std::string(84, 'S'));
    WriteMessage("OUT_upper", "quake near somewhere\n");
    WriteMessage("out_empty", "");
    WriteMessage("notes.txt", "not a message");
    WriteMessage("zout", "not a message either");
    fs::create_directory("polls/outbox");
    gControls[kControlDebug] = 1;
    PollAlertDirectory("polls");
    gControls[kControlDebug] = 0;
    const std::vector<std::string> want = {std::string(84, 'S'), "quake near somewhere\n"};
    EXPECT_EQ(gAlertMessages, want) << Join(gAlertMessages);
    EXPECT_EQ(gAliveCounter, 0u);
    EXPECT_EQ(Left(), (std::vector<std::string>{"notes.txt", "outbox", "zout"})) << Join(Left());
    int logged = 0;
    for (const auto& l : apptest::DebugLines()) logged += l == "put data in cubicarray";
    EXPECT_EQ(logged, 2);
}

TEST_F(PollDirectory, OnlyALongFileLeavesTheFeederSilent) {
    gAliveCounter = 50;
    WriteMessage("out1", std::string(200, 'L'));
    PollAlertDirectory("polls");
    EXPECT_TRUE(gAlertMessages.empty());
    EXPECT_EQ(gAliveCounter, 50u);
    EXPECT_TRUE(Left().empty());
}

TEST_F(PollDirectory, ElevenFilesTenTakenTheNewestWaitsForTheNextPoll) {
    // A long file among them is deleted but does not count as taken.
    for (int i = 1; i <= 11; ++i) {
        if (i == 4) WriteMessage("out_long", std::string(100, 'L'));
        WriteMessage("out" + std::to_string(i), "m" + std::to_string(i));
    }
    PollAlertDirectory("polls");
    std::vector<std::string> want;
    for (int i = 1; i <= 10; ++i) want.push_back("m" + std::to_string(i));
    EXPECT_EQ(gAlertMessages, want) << Join(gAlertMessages);
    EXPECT_EQ(Left(), (std::vector<std::string>{"out11"})) << Join(Left());

    // Polling goes on although messages are waiting.
    PollAlertDirectory("polls");
    want.push_back("m11");
    EXPECT_EQ(gAlertMessages, want) << Join(gAlertMessages);
    EXPECT_TRUE(Left().empty());
}

TEST_F(PollDirectory, MissingFolderIsQuiet) {
    PollAlertDirectory("no-such-folder");
    EXPECT_TRUE(gAlertMessages.empty());
}

// ---- the tick on the frame -------------------------------------------------------------------------

int gSockets = 0;
bool gSocketsReady = true;
std::function<void()> gInsideSockets;

bool RecordingSockets(bool start, bool report) {
    EXPECT_TRUE(start);
    EXPECT_FALSE(report);
    ++gSockets;
    if (gInsideSockets) gInsideSockets();
    return gSocketsReady;
}

class Tick : public AppTest {
protected:
    Tick() {
        ResetViewSettings();
        ResetHousekeepingState();
        gViewList.Flush();
        gViewListIndex = 0;
        SetMapPaneMaker(&apptest::MakePane<>);
        gControls[kControlAutoStartView] = 1;
        gSockets = 0;
        gSocketsReady = true;
        network_.sockets = RecordingSockets;
        gRecorder = &feed_;
        network_.feed = RecordingFeed;
        feed_.tickNow = &ticks_;
        // A clock at speed 0 never reaches the end of its period by itself.
        const std::string view = "DAYS TO LOOP: 7\nDAYS PER SECOND: 0\nMINUTES PER SECOND: 0\nSECONDS PER SECOND: 0\n";
        for (const char* name : {"ALPHA", "BETA", "WORLD", "WORLD-ALT"}) TempDir::Write(name, view);
    }
    ~Tick() override {
        gRecorder = nullptr;
        gInsideSockets = nullptr;
        SetMapPaneMaker(nullptr);
        gViewList.Flush();
        gViewListIndex = 0;
        ResetHousekeepingState();
        ResetViewSettings();
    }

    myFrame* Open(const char* view = "ALPHA") {
        myFrame* f = Start();
        EXPECT_NE(f, nullptr);
        f->OpenView(view);
        EXPECT_NE(f->layout(), nullptr);
        return f;
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) {
            ++ticks_;
            hl::Advance(1000);
        }
    }
    int Sent(const ui::Window* target, int id) const {
        int n = 0;
        for (const auto& c : hl::Commands()) n += c.target == target && c.id == id;
        return n;
    }

    FeedRecorder feed_;
    int ticks_ = 0;
};

TEST_F(Tick, FeedFetchedOnTheTwentiethTickThenEveryTwenty) {
    gAlertSeconds = 20;
    gAlertEventsUrl = "https://feed.example/all_hour.csv";
    feed_.body = "time,latitude\n";  // a header alone keeps nothing, so each poll fetches again
    Open();
    Ticks(61);
    const std::vector<int> want = {20, 40, 60};
    EXPECT_EQ(feed_.ticks, want) << "want " << Join(want) << "\n got " << Join(feed_.ticks);
    EXPECT_EQ(feed_.urls.front(), "https://feed.example/all_hour.csv");
    EXPECT_EQ(gPollCounter, 62);
    // The timer was set again after each tick.
    ASSERT_FALSE(hl::Timers().empty());
    bool found = false;
    for (const auto& t : hl::Timers()) found |= t.id == kHousekeepingTimer && t.intervalMs == 1000;
    EXPECT_TRUE(found);
}

TEST_F(Tick, LinesWaitingForTheAlertStepStopTheFetchButNotThePoll) {
    gAlertSeconds = 2;
    gAlertPollDirectory = "polls";
    feed_.body = "time,latitude\n" + Line("2026-01-01T01", 60) + "\n";
    Open();
    Ticks(2);
    EXPECT_EQ(feed_.urls.size(), 1u);
    EXPECT_EQ(gFeedLines.size(), 1u);
    TempDir::Write("polls/out1", "first");
    Ticks(2);
    TempDir::Write("polls/out2", "second");
    Ticks(2);
    EXPECT_EQ(feed_.urls.size(), 1u);  // the lines were not consumed yet
    EXPECT_EQ(gAlertMessages, (std::vector<std::string>{"first", "second"})) << Join(gAlertMessages);
    gFeedLines.clear();
    Ticks(2);
    EXPECT_EQ(feed_.urls.size(), 2u);
    gAlertPollDirectory.clear();
}

TEST_F(Tick, ScheduledUpdateOncePerUtcDayEvenWhenItsMinuteWasMissed) {
    gScheduleUpdates = 1;
    gUpdateHour = 3;
    gUpdateMinute = 30;
    hl::VirtualClock().SetUtc({2026, 3, 14, 3, 29, 57});
    myFrame* f = Open();
    std::vector<std::string> want, got;
    auto at = [&](platform::CivilTime t, bool ready) {
        hl::VirtualClock().SetUtc(t);
        gSocketsReady = ready;
        const int before = Sent(f, kCmScheduledUpdate), socketsBefore = gSockets;
        Ticks(1);
        const platform::CivilTime now = hl::VirtualClock().UtcNow();
        std::ostringstream s;
        s << now.day << " " << now.hour << ":" << now.minute << ":" << now.second << " sockets "
          << gSockets - socketsBefore << " update " << Sent(f, kCmScheduledUpdate) - before;
        got.push_back(s.str());
    };
    at({2026, 3, 14, 3, 29, 58}, true);
    at({2026, 3, 14, 3, 30, 0}, true);
    at({2026, 3, 14, 3, 30, 1}, true);
    at({2026, 3, 14, 17, 0, 0}, true);
    at({2026, 3, 15, 3, 29, 0}, true);
    at({2026, 3, 15, 3, 41, 0}, true);  // the minute passed inside a long call
    at({2026, 3, 15, 3, 41, 1}, true);
    at({2026, 3, 16, 3, 30, 0}, false);  // the link cannot start: the day is skipped
    at({2026, 3, 16, 3, 30, 1}, true);
    want = {"14 3:29:59 sockets 0 update 0", "14 3:30:1 sockets 1 update 1", "14 3:30:2 sockets 0 update 0",
            "14 17:0:1 sockets 0 update 0",  "15 3:29:1 sockets 0 update 0", "15 3:41:1 sockets 1 update 1",
            "15 3:41:2 sockets 0 update 0",  "16 3:30:1 sockets 1 update 0", "16 3:30:2 sockets 0 update 0"};
    EXPECT_EQ(got, want) << "want " << Join(want) << "\n got " << Join(got);
    EXPECT_EQ(gScheduleLastRun, (UtcDate{2026, 3, 16}));
    gScheduleUpdates = 0;
}

TEST_F(Tick, AlertViewRequestOpensTheWorldViewAndEndsTheTick) {
    myFrame* f = Open();
    gWorldViewName = "WORLD-ALT";
    gPendingOpenView = true;
    f->SetInactivityCountdown(5);
    const int polls = gPollCounter;
    Ticks(1);
    EXPECT_FALSE(gPendingOpenView);
    EXPECT_EQ(gOpenedViewName, "WORLD-ALT");
    EXPECT_EQ(f->currentViewName(), "WORLD-ALT");
    EXPECT_EQ(f->inactivityCountdown(), 5u);
    EXPECT_EQ(gPollCounter, polls);
    Ticks(1);
    EXPECT_EQ(f->inactivityCountdown(), 4u);
    EXPECT_EQ(gPollCounter, polls + 1);
}

TEST_F(Tick, AlertPauseEndsWithTheZoomCommandToThePanel) {
    myFrame* f = Open();
    childControl* panel = f->layout()->control();
    gAlertPauseLeft = 3;
    Ticks(2);
    EXPECT_EQ(gAlertPauseLeft, 1);
    EXPECT_EQ(Sent(panel, kCmZoomToEarthquake), 0);
    Ticks(1);
    EXPECT_EQ(gAlertPauseLeft, 0);
    EXPECT_EQ(Sent(panel, kCmZoomToEarthquake), 1);
    Ticks(3);
    EXPECT_EQ(Sent(panel, kCmZoomToEarthquake), 1);
    // A negative pause is taken as none.
    gAlertPauseLeft = -2;
    Ticks(1);
    EXPECT_EQ(gAlertPauseLeft, 0);
    EXPECT_EQ(Sent(panel, kCmZoomToEarthquake), 1);
}

// The alert zoom redraws the view from memory: the animation runs on, and
// the zoom never reaches the view file. Without an alert view (nothing writes
// "Alert_View_Filename.txt" yet) Redraw used to stop the clock for good.
class AlertZoom : public Tick {
protected:
    AlertZoom() {
        SetMapPaneMaker(nullptr);
        BuildMercatorTable();
        TempDir::Write("WORLD", "LEFT LONGITUDE: -180\nRIGHT LONGITUDE: 180\nSOUTH LATITUDE: -70\n"
                                "NORTH LATITUDE: 75\nDAYS TO LOOP: 7\nDAYS PER SECOND: 0\n"
                                "MINUTES PER SECOND: 0\nSECONDS PER SECOND: 0\n");
        MakeEventRecord(&alert_, 2014, 8, 24, 10, 20, 44, 38.2, -122.3, 11, 6.0);
    }
    ~AlertZoom() override { gAlertEvent = nullptr; }
    // The animation timer keeps being set again, tick after tick.
    static bool ClockRuns(myFrame* f) {
        hl::Advance(200);
        return f->animationTimerRunning();
    }
    // The bounds lines of the view file, and those of its cached image.
    static std::string StoredBounds() {
        std::istringstream in(TempDir::Read("WORLD"));
        std::string out;
        for (std::string line; std::getline(in, line);)
            if (line.find("LONGITUDE: ") == 5 || line.find("LONGITUDE: ") == 6 || line.find("LATITUDE: ") == 6 ||
                line.find("SAVE LAT LON") == 0)
                out += line + "\n";
        return out;
    }
    QuakeRecord alert_;
};

TEST_F(AlertZoom, TheAlertPauseRunningOutZoomsInAndTheAnimationGoesOn) {
    myFrame* f = Open("WORLD");
    const std::string stored = StoredBounds();
    gAlertEvent = &alert_;
    gAlertPauseLeft = 2;
    Ticks(2);
    EXPECT_EQ(Sent(f->layout()->control(), kCmZoomToEarthquake), 1);
    EXPECT_TRUE(ClockRuns(f));
    EXPECT_EQ(StoredBounds(), stored);
}

TEST_F(AlertZoom, APausedAlertIsHighlightedAtEachPaint) {
    InstallEventStepping();
    myFrame* f = Open("WORLD");
    childMap* map = f->layout()->mapPane();
    ASSERT_NE(map, nullptr);
    gAlertEvent = &alert_;
    for (const bool paused : {false, true}) {
        gPaused = paused;
        map->EraseMarker();
        const int rings = map->ringCounter();
        map->Invalidate();
        map->Update();
        EXPECT_EQ(map->markerIconShown(), paused) << paused;
        EXPECT_EQ(map->ringCounter() != rings, paused) << paused;
    }
    gPaused = false;
}

// With the alert view's name in its file the zoom to the earthquake opens it from
// there; the zooms after it redraw it from memory either way.
class AlertZoomFromItsFile : public AlertZoom, public testing::WithParamInterface<bool> {};

TEST_P(AlertZoomFromItsFile, ZoomInAndOutFromThePanelRedrawFromMemoryAndLeaveTheViewFile) {
    if (GetParam()) TempDir::Write("Alert_View_Filename.txt", "WORLD\n");
    myFrame* f = Open("WORLD");
    childControl* panel = f->layout()->control();
    const std::string stored = StoredBounds();
    ASSERT_NE(stored.find("LEFT LONGITUDE: -180\n"), std::string::npos) << stored;
    gAlertEvent = &alert_;
    panel->SendCommand(childControl::kZoomToEarthquake);
    EXPECT_TRUE(ClockRuns(f));

    panel->SendCommand(childControl::kZoomIn);
    EXPECT_TRUE(ClockRuns(f));
    // 200 degrees around the event, across the date line.
    EXPECT_NEAR(gMapEast, -22.3, 1e-9);
    EXPECT_NEAR(gMapWest, 137.7, 1e-9);
    panel->SendCommand(childControl::kZoomIn);
    EXPECT_TRUE(ClockRuns(f));
    EXPECT_LT(gMapEast, -22.3);
    panel->SendCommand(childControl::kZoomOut);
    EXPECT_TRUE(ClockRuns(f));
    EXPECT_EQ(StoredBounds(), stored);

    // Stop Animation goes back to the view as stored, now and at the next start.
    panel->SendCommand(childControl::kStopAnimation);
    EXPECT_EQ(gAlertEvent, nullptr);
    EXPECT_DOUBLE_EQ(gMapWest, -180);
    EXPECT_DOUBLE_EQ(gMapEast, 180);
    EXPECT_EQ(StoredBounds(), stored);
    EXPECT_TRUE(ClockRuns(f));
}

INSTANTIATE_TEST_SUITE_P(AlertViewFile, AlertZoomFromItsFile, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Named" : "Absent"; });

struct EndCase {
    const char* name;
    bool runScript, exitWhenDone, doviredezur, paused;
    std::vector<std::string> list;
    int index;           // gViewListIndex before
    const char* opened;  // gOpenedViewName afterwards
    int commandSent;     // 0: none
};

TEST_F(Tick, PauseAtEndActionsInOrderOfPrecedence) {
    const EndCase cases[] = {
        {"script opens the next view", true, true, true, false, {"ALPHA", "BETA"}, 0, "BETA", 0},
        {"script wraps to the first", true, false, false, false, {"BETA", "WORLD"}, 1, "BETA", 0},
        {"script skips the view just shown", true, false, false, false, {"BETA", "ALPHA"}, 0, "BETA", 0},
        {"script without a list starts the view again", true, false, false, false, {}, 0, "ALPHA", 0},
        {"exit when done", false, true, true, false, {"ALPHA", "BETA"}, 0, "ALPHA", kCmExit},
        {"back to the start screen", false, false, true, false, {}, 0, "ALPHA", kCmStartScreen},
        {"the same view again", false, false, false, false, {}, 0, "ALPHA", 0},
        {"paused: dropped", true, true, true, true, {"ALPHA", "BETA"}, 0, "ALPHA", 0},
    };
    for (const EndCase& c : cases) {
        SCOPED_TRACE(c.name);
        app_.reset();
        ResetHousekeepingState();
        gRunScript = c.runScript;
        gExitWhenDone = c.exitWhenDone;
        gControls[kControlDoviredezur] = c.doviredezur;
        gPaused = false;
        myFrame* f = Open();
        // After the start, which reads the frame's own list of views.
        SetViewList(c.list);
        gViewListIndex = c.index;
        const std::size_t commandsBefore = hl::Commands().size();
        gPaused = c.paused;
        f->SetPauseAtEndCountdown(2);
        f->SetInactivityCountdown(10);
        Ticks(1);
        EXPECT_EQ(f->pauseAtEndCountdown(), 1u);
        const int polls = gPollCounter;
        Ticks(1);
        std::vector<int> sent;
        for (std::size_t i = commandsBefore; i < hl::Commands().size(); ++i) sent.push_back(hl::Commands()[i].id);
        // Without START SCREEN the start screen goes straight on to the button menu.
        const std::vector<int> want = c.commandSent == kCmStartScreen ? std::vector<int>{kCmSelectMenu, kCmStartScreen}
                                      : c.commandSent                ? std::vector<int>{c.commandSent}
                                                                     : std::vector<int>{};
        EXPECT_EQ(sent, want) << Join(sent);
        EXPECT_EQ(gOpenedViewName, c.opened);
        if (c.runScript && !c.list.empty() && !c.paused) {
            EXPECT_EQ(gViewList.At(gViewListIndex)->viewName, c.opened);
            EXPECT_EQ(f->currentViewName(), c.opened);
        }
        const bool endsTick = c.paused || c.commandSent != 0;
        EXPECT_EQ(gPollCounter, endsTick ? polls : polls + 1);
        if (c.commandSent != kCmExit) {
            EXPECT_EQ(f->pauseAtEndCountdown(), 0u);
            // The inactivity step ran unless the tick ended.
            EXPECT_EQ(f->inactivityCountdown(), endsTick ? 9u : 8u);
            // Opening restarts the clock; otherwise it was stopped (unless paused).
            EXPECT_EQ(f->animationTimerRunning(), c.paused || c.commandSent == 0);
        }
    }
    gRunScript = 0;
    gExitWhenDone = 0;
    gControls[kControlDoviredezur] = 0;
}

struct IdleCase {
    const char* name;
    bool paused, inactive, popup, exitWhenDone, restart;
    unsigned timeout;
    int command;           // sent; 0 none
    bool toMap;            // the command went to the map pane
    bool played;           // the clock was started
    std::uint32_t reload;  // countdown afterwards
};

TEST_F(Tick, InactivityOutcomes) {
    const IdleCase cases[] = {
        {"popup off resumes", false, false, false, true, true, 30, 0, false, true, 0},
        {"paused resumes and reloads", true, false, true, true, true, 30, 0, false, true, 30},
        {"paused, popup off resumes only", true, false, false, false, false, 30, 0, false, true, 0},
        {"inactive frame resumes and reloads", false, true, true, false, false, 45, 0, false, true, 45},
        {"negative timeout reloads as none", true, false, true, false, false, static_cast<unsigned>(-5), 0, false,
         true, 0},
        {"exit when done", false, false, true, true, true, 30, kCmExit, false, false, 0},
        // The button menu it leads to starts the countdown again.
        {"restart when timeout", false, false, true, false, true, 30, kCmStartScreen, false, false, 30},
        {"timeout text on the map", false, false, true, false, false, 30, kCmTimeoutText, true, false, 0},
    };
    for (const IdleCase& c : cases) {
        SCOPED_TRACE(c.name);
        app_.reset();
        ResetHousekeepingState();
        gInactivePopup = c.popup;
        gExitWhenDone = c.exitWhenDone;
        gRestartWhenTimeout = c.restart;
        gTimeout = c.timeout;
        gPaused = false;
        myFrame* f = Open();
        const ui::Window* map = &f->layout()->map().window();
        f->StopAnimationTimer();
        gPaused = c.paused;
        f->SetInactive(c.inactive);
        f->SetInactivityCountdown(2);
        const std::size_t commandsBefore = hl::Commands().size();
        Ticks(2);
        std::vector<int> sent;
        for (std::size_t i = commandsBefore; i < hl::Commands().size(); ++i) sent.push_back(hl::Commands()[i].id);
        const std::vector<int> want = c.command == kCmStartScreen ? std::vector<int>{kCmSelectMenu, kCmStartScreen}
                                      : c.command                ? std::vector<int>{c.command}
                                                                 : std::vector<int>{};
        EXPECT_EQ(sent, want) << Join(sent);
        if (c.toMap) {
            EXPECT_EQ(Sent(map, kCmTimeoutText), 1);
        }
        if (c.command == kCmExit) continue;  // the frame is gone
        EXPECT_EQ(f->animationTimerRunning(), c.played);
        EXPECT_EQ(f->inactivityCountdown(), c.reload);
    }
    gInactivePopup = 0;
    gExitWhenDone = 0;
    gRestartWhenTimeout = 0;
    gTimeout = 0;
}

TEST_F(Tick, OpeningAViewWithInitialInfoLoadsTheIdleTime) {
    gControls[kControlInitialInfo] = 1;
    gTimeout = 40;
    TempDir::Write("INFO.TXT", "about this view\n");
    TempDir::Write("INFOVIEW", "DAYS TO LOOP: 7\nINFORMATION: INFO.TXT\n");
    myFrame* f = Open("INFOVIEW");
    EXPECT_EQ(f->inactivityCountdown(), 40u);
    // Without the information file nothing is loaded.
    f->SetInactivityCountdown(0);
    f->OpenView("ALPHA");
    EXPECT_EQ(f->inactivityCountdown(), 0u);
    // A negative setting stored unsigned is no idle time at all.
    gTimeout = static_cast<unsigned>(-1);
    f->OpenView("INFOVIEW");
    EXPECT_EQ(f->inactivityCountdown(), 0u);
    gControls[kControlInitialInfo] = 0;
    gTimeout = 0;
}

TEST_F(Tick, AliveWarningFollowsTheFeeder) {
    gControls[kControlQmxLegend] = 1;
    gAliveLimitSeconds = 3;
    gAlertSeconds = 2;
    feed_.body = "time,latitude\n";
    feed_.result = 1;  // the feeder is silent
    hl::SetScreenSize({1000, 900});  // the wide arrangement leaves the panel room below the map
    myFrame* f = Open();
    childControl* panel = f->layout()->control();
    ASSERT_FALSE(panel->clientRect().empty());
    std::vector<std::string> got;
    for (int i = 0; i < 6; ++i) {
        Ticks(1);
        got.push_back(std::string(gAliveWarningShown ? "W" : "-") + (gAliveBlink ? "1" : "0"));
    }
    EXPECT_EQ(got, (std::vector<std::string>{"-1", "-0", "-1", "-0", "W1", "W0"})) << Join(got);
    // The feeder answers: the warning goes and the panel is painted afresh.
    feed_.result = 0;
    Ticks(2);  // the fetch on the second tick resets the counter
    EXPECT_EQ(gAliveCounter, 0u);
    EXPECT_TRUE(gAliveWarningShown);
    panel->Validate();
    Ticks(1);
    EXPECT_FALSE(gAliveWarningShown);
    EXPECT_FALSE(panel->invalidRect().empty());
    gControls[kControlQmxLegend] = 0;
    gAliveLimitSeconds = 0;
}

TEST_F(Tick, NotReenteredWhileACommandItSentPumpsMessages) {
    gControls[kControlQmxLegend] = 1;
    gAliveLimitSeconds = 100;
    gScheduleUpdates = 1;
    gUpdateHour = 0;
    gUpdateMinute = 0;
    myFrame* f = Open();
    int nested = 0;
    // The update pumps messages and a timer message for the frame is among them.
    gInsideSockets = [f, &nested] {
        ui::Message m;
        m.target = f;
        m.kind = ui::MessageKind::Timer;
        m.code = kHousekeepingTimer;
        hl::PostMessage(m);
        ui::Message got;
        while (ui::PeekMessage(got)) {
            nested += got.kind == ui::MessageKind::Timer;
            ui::DispatchMessage(got);
        }
    };
    const int polls = gPollCounter;
    const std::uint32_t alive = gAliveCounter;
    Ticks(1);
    EXPECT_EQ(gSockets, 1);
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(gPollCounter, polls + 1);
    EXPECT_EQ(gAliveCounter, alive + 1);
    // The next second ticks as usual.
    Ticks(1);
    EXPECT_EQ(gPollCounter, polls + 2);
    EXPECT_FALSE(f->housekeeping().running);
    gControls[kControlQmxLegend] = 0;
    gAliveLimitSeconds = 0;
    gScheduleUpdates = 0;
}

TEST_F(Tick, WhileNoViewIsShownOnlyInitTimeoutRuns) {
    gInitTimeout = 3;
    gAlertSeconds = 2;
    gAlertPauseLeft = 5;
    myFrame* f = Start();
    ASSERT_NE(f, nullptr);
    Ticks(2);
    EXPECT_EQ(f->layout(), nullptr);
    EXPECT_EQ(gPollCounter, 1);
    EXPECT_EQ(gAlertPauseLeft, 5);
    EXPECT_TRUE(feed_.urls.empty());
    Ticks(1);
    ASSERT_NE(f->layout(), nullptr);
    EXPECT_EQ(gOpenedViewName, "WORLD");
    Ticks(1);
    EXPECT_EQ(gPollCounter, 2);
    EXPECT_EQ(gAlertPauseLeft, 4);
    gInitTimeout = 0;
}

// With the real map pane the alert step runs once a tick, and its answer opens the world view.
TEST_F(Tick, AlertStepOnTheMapPaneRequestsTheWorldView) {
    SetMapPaneMaker(nullptr);
    int steps = 0;
    childMap* seen = nullptr;
    bool answer = false;
    network_.alertStep = [&](childMap& pane) {
        ++steps;
        seen = &pane;
        return answer;
    };
    myFrame* f = Open();
    ASSERT_NE(f->layout()->mapPane(), nullptr);
    Ticks(3);
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(seen, f->layout()->mapPane());
    answer = true;
    Ticks(1);
    EXPECT_TRUE(gPendingOpenView);
    answer = false;
    gWorldViewName = "WORLD";
    Ticks(1);  // opens the world view and ends the tick before the alert step
    EXPECT_EQ(steps, 4);
    EXPECT_EQ(gOpenedViewName, "WORLD");
    EXPECT_FALSE(gPendingOpenView);
}

}  // namespace
