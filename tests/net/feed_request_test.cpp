// The event feed as the program fetches it: only a whole 2xx answer that
// begins with the feed's column header is word from the feeder.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "app/housekeeping.h"
#include "app/layout.h"
#include "core/view.h"
#include "net/network_wiring.h"
#include "platform/net/http.h"
#include "platform/sys/files.h"
#include "tests/app/app_fixture.h"
#include "tests/fixtures/http/local_server.h"
#include "tests/support/temp_dir.h"

TEST(FeedRequest, OnlyAWholeGoodAnswerResetsTheAliveCounter) {
    TempDir dir;
    const std::string header = "time,latitude,longitude,depth,mag,magType,nst,gap,dmin,rms,net,id,updated";
    const std::string line = "2026-01-01T01:02:03.000Z,38.5,142.25,10,5.3,mww,,,,,us,us7000abcd,2026-01-01T02:00:00Z";
    TempDir::Write("answers/index.txt",
                   "/good.csv 200 text/csv good.csv\n"
                   "/server-error.csv 500 text/csv good.csv\n"
                   "/lower.html 200 text/html lower.html\n");
    TempDir::Write("answers/good.csv", header + "\n" + line + "\n");
    TempDir::Write("answers/lower.html", "<!doctype html>\n<html><body>" + line + "</body></html>\n");
    LocalHttpServer server(LocalHttpServer::Transport::kPlain, dir.path() + "/answers");
    ASSERT_TRUE(server.running());
    InstallNetworkWiring();

    struct Case {
        const char* target;
        bool taken;
    } cases[] = {
        {"good.csv", true},
        {"server-error.csv", false},  // the feed's own lines, but under a failing status
        {"error-page", false},        // 503 with an HTML page
        {"missing.csv", false},       // 404
        {"lower.html", false},        // an HTML page in lower case under 200
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        ResetHousekeepingState();
        gAliveCounter = 99;
        FetchEventFeed("http://" + server.host() + "/" + c.target);
        EXPECT_EQ(gFeedLines, c.taken ? std::vector<std::string>{line} : std::vector<std::string>{});
        EXPECT_EQ(gAliveCounter, c.taken ? 0u : 99u);
    }
    EXPECT_EQ(server.Requests().size(), std::size(cases));
    ResetHousekeepingState();
    InstallNetworkLink(nullptr);
    InstallMapPaneSeams(nullptr);
}

// ---- The poll of the housekeeping timer ---------------------------------------------------

namespace {

namespace hl = platform::headless;

const std::string kHeader = "time,latitude,longitude,depth,mag,magType,nst,gap,dmin,rms,net,id,updated";
const std::string kLine =
    "2026-01-01T01:02:03.000Z,38.5,142.25,10,5.3,mww,,,,,us,us7000abcd,2026-01-01T02:00:00Z";

// The program's feed request, with the alert step left out so the lines stay to be seen.
struct FeedOnly : ProgramNetworkLink {
    bool AlertStep(childMap&) override { return false; }
};

class FeedPoll : public apptest::AppTest {
protected:
    FeedPoll() {
        ResetViewSettings();
        ResetHousekeepingState();
        gControls[kControlAutoStartView] = 1;
        gAlertSeconds = 2;
        TempDir::Write("WORLD", "DAYS TO LOOP: 7\nDAYS PER SECOND: 0\nMINUTES PER SECOND: 0\nSECONDS PER SECOND: 10\n");
        TempDir::Write("answers/index.txt",
                       "/never.csv 200 text/csv feed.csv stall\n"
                       "/late.csv 200 text/csv feed.csv late:700\n");
        TempDir::Write("answers/feed.csv", kHeader + "\n" + kLine + "\n");
        server_ = std::make_unique<LocalHttpServer>(LocalHttpServer::Transport::kPlain, dir_.path() + "/answers");
        InstallNetworkWiring();
        InstallNetworkLink(&link_);
    }
    ~FeedPoll() override {
        app_.reset();  // a feed still on its way goes with the frame
        platform::net::OverrideHttpSettingsForTesting(nullptr);
        InstallNetworkLink(nullptr);
        InstallMapPaneSeams(nullptr);
        ResetHousekeepingState();
        ResetViewSettings();
    }
    myFrame* Open(const std::string& target) {
        gAlertEventsUrl = "http://" + server_->host() + "/" + target;
        myFrame* f = Start();
        if (f) f->OpenView("WORLD");
        return f;
    }
    // Housekeeping seconds on the virtual clock, each with a little real time
    // for the transfer, until done says so; false when it never did.
    bool TicksUntil(const std::function<bool()>& done) {
        for (int i = 0; i < 400; ++i) {
            if (done()) return true;
            hl::Advance(1000);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return done();
    }

    FeedOnly link_;
    std::unique_ptr<LocalHttpServer> server_;
    platform::net::HttpSettings settings_;
};

}  // namespace

// A feed server that accepts and never answers: the poll starts the request
// and the tick goes on, the replay loses no tick, and no second poll starts
// while the first is on its way.
TEST_F(FeedPoll, AFeedThatNeverAnswersHoldsNothingUp) {
    ASSERT_TRUE(server_->running());
    myFrame* f = Open("never.csv");
    ASSERT_NE(f, nullptr);
    ASSERT_NE(f->layout(), nullptr);
    hl::Advance(2000);  // the second tick polls
    ASSERT_NE(f->housekeeping().feed, nullptr);
    EXPECT_FALSE(f->housekeeping().feed->Done());
    const TimeValue before = gAnimationTime;
    hl::Advance(4000);
    EXPECT_GT(gAnimationTime, before);
    EXPECT_NE(f->housekeeping().feed, nullptr);
    EXPECT_TRUE(gFeedLines.empty());
    ASSERT_TRUE(TicksUntil([&] { return server_->Requests().size() >= 1; }));
    EXPECT_EQ(server_->Requests().size(), 1u);
}

// The answer is taken by the first tick after it came; a request that times
// out is dropped, its file deleted, and the next poll asks again.
TEST_F(FeedPoll, TheAnswerIsTakenWhenItComesOrDroppedAtItsTimeOut) {
    ASSERT_TRUE(server_->running());
    {
        myFrame* f = Open("late.csv");
        ASSERT_NE(f, nullptr);
        gAliveCounter = 99;
        ASSERT_TRUE(TicksUntil([&] { return !gFeedLines.empty(); }));
        EXPECT_EQ(gFeedLines, std::vector<std::string>{kLine});
        EXPECT_EQ(f->housekeeping().feed, nullptr);
        EXPECT_LT(gAliveCounter, 99u);
        app_.reset();
    }
    ResetHousekeepingState();
    settings_.receiveTimeoutMs = 300;
    platform::net::OverrideHttpSettingsForTesting(&settings_);
    TempDir::Write(kFeedFile, "an older feed\n");
    const std::size_t asked = server_->Requests().size();
    myFrame* f = Open("never.csv");
    ASSERT_NE(f, nullptr);
    hl::Advance(2000);
    ASSERT_NE(f->housekeeping().feed, nullptr);
    // Dropping deletes the file; the next poll may already be on its way by
    // the time a tick is looked at, so the request itself is no sign.
    ASSERT_TRUE(TicksUntil([&] { return !std::filesystem::exists(kFeedFile); }));
    EXPECT_TRUE(gFeedLines.empty());
    ASSERT_TRUE(TicksUntil([&] { return server_->Requests().size() >= asked + 2; }));
}

// Open List of Views while the feed is on its way makes the list's folder
// current: the answer, or its time-out, is taken where the request wrote,
// and the new folder's own feed and second source are neither read nor removed.
TEST_F(FeedPoll, OpenListOfViewsWhileTheFeedIsOnItsWayLeavesTheNewFolderAlone) {
    ASSERT_TRUE(server_->running());
    const std::string stale =
        "2025-12-01T01:02:03.000Z,10.5,20.25,10,4.1,mb,,,,,us,us7000stal,2025-12-01T02:00:00Z";
    const std::string tourFeed = kHeader + "\n" + stale + "\n";
    TempDir::Write("tour/TOUR.VUS", "WORLD\n");
    TempDir::Write("tour/WORLD", TempDir::Read("WORLD"));
    TempDir::Write(std::string("tour/") + kFeedFile, tourFeed);
    TempDir::Write(std::string("tour/") + kSecondFeedFile, stale + "\n");
    const std::string startFeed = dir_.path() + "/" + kFeedFile;
    struct Case {
        const char* target;
        int receiveTimeoutMs;  // 0: the program's own
        std::vector<std::string> lines;
        const char* startFeedAfter;  // null: removed
    } cases[] = {
        {"late.csv", 0, {kLine}, "answer"},
        {"never.csv", 300, {}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        ASSERT_TRUE(platform::SetCurrentDir(dir_.path()));
        app_.reset();
        SetConfigurationFolder(dir_.path());
        ResetHousekeepingState();
        gControls[kControlAutoStartView] = 1;
        gAlertSeconds = 2;
        settings_.receiveTimeoutMs = c.receiveTimeoutMs;
        platform::net::OverrideHttpSettingsForTesting(c.receiveTimeoutMs ? &settings_ : nullptr);
        TempDir::Write(kFeedFile, "an older feed\n");
        myFrame* f = Open(c.target);
        ASSERT_NE(f, nullptr);
        hl::Advance(2000);
        ASSERT_NE(f->housekeeping().feed, nullptr);
        hl::ScriptFileDialogAnswer("tour/TOUR.VUS");
        ASSERT_TRUE(f->SendCommand(kCmOpenViewList));
        ASSERT_EQ(platform::CurrentDir(), dir_.path() + "/tour");
        f->OpenView("WORLD");  // a tick takes the answer only while a view is shown
        ASSERT_TRUE(TicksUntil([&] { return !gFeedLines.empty() || !std::filesystem::exists(startFeed); }));
        EXPECT_EQ(gFeedLines, c.lines);
        if (c.startFeedAfter) EXPECT_EQ(TempDir::Read(startFeed), kHeader + "\n" + kLine + "\n");
        else EXPECT_FALSE(std::filesystem::exists(startFeed));
        EXPECT_EQ(TempDir::Read(dir_.path() + "/tour/" + kFeedFile), tourFeed);
    }
}
