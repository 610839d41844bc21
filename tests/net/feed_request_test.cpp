// The event feed as the program fetches it: only a whole 2xx answer that
// begins with the feed's column header is word from the feeder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/housekeeping.h"
#include "net/network_wiring.h"
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
