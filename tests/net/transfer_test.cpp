// HTTP transfers beside the message loop: the program's windows keep running
// while a peer stalls, a cancel ends the transfer at once, and nothing of a
// half-received answer reaches the output file.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "net/http.h"
#include "net/network_wiring.h"
#include "platform/net/http.h"
#include "platform/ui/headless/headless.h"
#include "tests/fixtures/http/local_server.h"
#include "tests/support/step_timer.h"
#include "tests/support/temp_dir.h"

using testsupport::StepTimer;

namespace {

// The files of the current folder whose names begin with prefix.
int FilesNamed(const std::string& prefix) {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator("."))
        n += e.path().filename().string().rfind(prefix, 0) == 0;
    return n;
}

class BesideTheLoop : public testing::Test {
protected:
    void SetUp() override {
        TempDir::Write("answers/index.txt",
                       "/late.csv 200 text/csv late.csv late:600\n"
                       "/never.csv 200 text/csv late.csv stall\n");
        TempDir::Write("answers/late.csv", "the new answer\n");
        server_ = std::make_unique<LocalHttpServer>(LocalHttpServer::Transport::kPlain, dir_.path() + "/answers");
        ASSERT_TRUE(server_->running());
        // Only a cancel may end a stalled transfer here.
        settings_.connectTimeoutMs = 20000;
        settings_.receiveTimeoutMs = 60000;
        platform::net::OverrideHttpSettingsForTesting(&settings_);
        InstallNetworkWiring();  // the program's pump
        TempDir::Write("answer.csv", "the old answer\n");
    }
    void TearDown() override {
        platform::net::OverrideHttpSettingsForTesting(nullptr);
        InstallNetworkLink(nullptr);
        InstallMapPaneSeams(nullptr);
    }
    std::string Address(const std::string& target) const { return "http://" + server_->host() + "/" + target; }

    TempDir dir_;
    std::unique_ptr<LocalHttpServer> server_;
    platform::net::HttpSettings settings_;
};

}  // namespace

// The peer that accepts and never answers, and the one that stops inside the
// body: a timer set before the request keeps firing, and the cancel it sends
// ends the request with the output as it was.
TEST_F(BesideTheLoop, TimersFireWhileThePeerStallsAndACancelEndsTheRequest) {
    for (const char* target : {"stall", "stall-body", "never.csv"}) {
        SCOPED_TRACE(target);
        StepTimer ticker;
        ASSERT_TRUE(ticker.SetTimer(7, 100));
        int running = -1;
        ticker.onTick = [&](int tick) {
            if (tick != 5) return;
            running = TransfersRunning();
            CancelTransfers();
        };
        HttpResult result;
        EXPECT_EQ(HttpRequest("GET ", Address(target).c_str(), "", "", "", "answer.csv", &result), 1);
        EXPECT_EQ(result.outcome, HttpOutcome::kCancelled);
        EXPECT_GE(ticker.ticks, 5);
        EXPECT_EQ(running, 1);
        EXPECT_EQ(TransfersRunning(), 0);
        EXPECT_EQ(TempDir::Read("answer.csv"), "the old answer\n");
        EXPECT_EQ(FilesNamed("answer.csv"), 1);  // no piece of the body left beside it
    }
}

// A request made from a handler that the pump ran, inside another one still
// waiting: both run, each is cancelled by the cancel, and neither output changes.
TEST_F(BesideTheLoop, ANestedRequestRunsAndOneCancelEndsBoth) {
    TempDir::Write("inner.csv", "the inner answer\n");
    // A timer is not fired again while its own handler runs: the cancel comes from another.
    StepTimer starter, canceller;
    ASSERT_TRUE(starter.SetTimer(7, 100));
    ASSERT_TRUE(canceller.SetTimer(7, 100));
    HttpResult inner;
    int innerCode = -1, running = -1;
    starter.onTick = [&](int tick) {
        if (tick == 2) innerCode = HttpRequest("GET ", Address("stall").c_str(), "", "", "", "inner.csv", &inner);
    };
    canceller.onTick = [&](int tick) {
        if (tick != 8) return;
        running = TransfersRunning();
        CancelTransfers();
    };
    HttpResult outer;
    EXPECT_EQ(HttpRequest("GET ", Address("stall").c_str(), "", "", "", "answer.csv", &outer), 1);
    EXPECT_EQ(running, 2);
    EXPECT_EQ(innerCode, 1);
    EXPECT_EQ(inner.outcome, HttpOutcome::kCancelled);
    EXPECT_EQ(outer.outcome, HttpOutcome::kCancelled);
    EXPECT_EQ(TempDir::Read("answer.csv"), "the old answer\n");
    EXPECT_EQ(TempDir::Read("inner.csv"), "the inner answer\n");
}

// A transfer left to itself: it is not done while the peer takes its time,
// its answer is stored only by Finish, and one still under way when it goes
// is cancelled with the output as it was.
TEST_F(BesideTheLoop, ATransferOnItsOwnIsTakenWhenItComesOrCancelledWhenItGoes) {
    {
        HttpTransfer late("GET ", Address("late.csv").c_str(), "", "", "", "answer.csv");
        EXPECT_FALSE(late.Done());
        // Generous: the machine may be loaded; the peer answers after 0.6 s.
        for (int i = 0; i < 600 && !late.Done(); ++i) late.WaitFor(100);
        ASSERT_TRUE(late.Done());
        EXPECT_EQ(TempDir::Read("answer.csv"), "the old answer\n");  // not before Finish
        HttpResult result;
        EXPECT_EQ(late.Finish(&result), 0);
        EXPECT_EQ(result.outcome, HttpOutcome::kComplete);
        EXPECT_EQ(result.status, 200);
        EXPECT_EQ(TempDir::Read("answer.csv"), "the new answer\n");
    }
    TempDir::Write("answer.csv", "the old answer\n");
    {
        HttpTransfer never("GET ", Address("never.csv").c_str(), "", "", "", "answer.csv");
        EXPECT_FALSE(never.WaitFor(200));
    }
    EXPECT_EQ(TempDir::Read("answer.csv"), "the old answer\n");
    {
        // Refused before sending: done at once, and nothing starts.
        HttpTransfer refused("GET ", "no-scheme", "", "", "", "answer.csv");
        EXPECT_TRUE(refused.Done());
        HttpResult result;
        EXPECT_EQ(refused.Finish(&result), 1);
        EXPECT_EQ(result.outcome, HttpOutcome::kBadAddress);
    }
    EXPECT_EQ(server_->Requests().size(), 2u);
}
