#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/c_numbers.h"
#include "core/config.h"
#include "core/quake.h"
#include "core/view.h"
#include "app/frame.h"
#include "app/housekeeping.h"
#include "net/alert.h"
#include "net/network_wiring.h"
#include "net/update_link.h"
#include "net/http.h"
#include "net/web_update.h"
#include "platform/net/http.h"
#include "platform/ui/headless/headless.h"
#include "tests/fixtures/http/local_server.h"
#include "tests/support/catalogue_file.h"
#include "tests/support/peer_process.h"
#include "tests/support/temp_dir.h"

namespace {

QuakeRecord Quake(int y, int mo, int d, int h, int mi, double mag) {
    return MakeEventRecord(nullptr, y, mo, d, h, mi, 0.0, 38.5, 142.25, 10.0, mag);
}

std::string Csv(int y, int mo, int d, int h, int mi, double mag) {
    char line[256];
    CNumbersScope numbers;  // the lines as the service writes them
    std::snprintf(line, sizeof line,
                  "%04d-%02d-%02dT%02d:%02d:00.000Z,38.5,142.25,10,%.1f,mb,,,,,us,us%04d%02d%02d%02d,2014-10-01,"
                  "near the coast,earthquake",
                  y, mo, d, h, mi, mag, y, mo, d, h);
    return line;
}

const char* kHeader = "time,latitude,longitude,depth,mag,magType,nst,gap,dmin,rms,net,id,updated,place,type";

std::string Query(const char* from, const char* to) {
    return std::string("/fdsnws/event/1/query?format=csv&minmagnitude=3.0&starttime=") + from + "&endtime=" + to;
}

// The update's lines and view repeats, into the fixture's; no waits.
struct RecordedProgress : WebUpdateProgress {
    RecordedProgress(std::vector<std::string>& lines, int& repeats) : lines(lines), repeats(repeats) {}
    void Message(const std::string& line) override { lines.push_back(line); }
    void RepeatView() override { ++repeats; }
    std::vector<std::string>& lines;
    int& repeats;
};

class WebUpdateTest : public testing::Test {
protected:
    void SetUp() override {
        ResetConfigValues();
        ResetViewSettings();
        gUpdateDays = 10;
        gUpdateFiles.Flush();
        gUpdateFiles.Add(UpdateFileRecord("WORLD.HY4"));
        gEventFileName = "WORLD.HY4";
        platform::headless::VirtualClock().SetUtc({2014, 9, 20, 0, 0, 0, 0});
        std::filesystem::create_directory(answers);
    }
    void TearDown() override {
        CloseQuakeCatalogue();
        gEventServiceAddress = kDefaultEventServiceAddress;
        ResetConfigValues();
        ResetViewSettings();
    }

    void WriteCatalogue(const std::vector<QuakeRecord>& qs) {
        std::FILE* f = std::fopen("WORLD.HY4", "wb");
        for (const QuakeRecord& q : qs) ASSERT_TRUE(WriteQuakeRecord(f, q));
        std::fclose(f);
    }
    // framing: as the test server's index takes it ("close", "cut:<n>", "close:<n>").
    void Answer(const std::string& target, int status, const std::string& body, const std::string& framing = "length") {
        static int n = 0;
        std::string file = "answer" + std::to_string(++n) + ".csv";
        TempDir::Write(answers + "/" + file, body);
        std::ofstream(answers + "/index.txt", std::ios::app)
            << target << " " << status << " text/csv " << file << " " << framing << "\n";
    }
    std::vector<QuakeRecord> Catalogue(const std::string& name) { return ReadCatalogueFile(name); }

    TempDir dir;
    std::string answers = dir.path() + "/answers";
    std::vector<std::string> lines;
    int repeats = 0;
    RecordedProgress progress{lines, repeats};
};

}  // namespace

bool operator==(const QuakeRecord& a, const QuakeRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST_F(WebUpdateTest, KeepsOldRecordsFetchesTheRestAndKeepsTheOldFile) {
    const std::vector<QuakeRecord> old = {Quake(2014, 8, 1, 0, 0, 5.0), Quake(2014, 8, 15, 6, 0, 5.1),
                                          Quake(2014, 8, 20, 0, 0, 5.2), Quake(2014, 8, 25, 12, 0, 5.3)};
    WriteCatalogue(old);
    const std::string oldBytes = TempDir::Read("WORLD.HY4");
    // The last kept record (08-15 06:00) is answered again and must not be
    // stored twice; so must the event at the instant both windows share. The
    // second answer comes without a length, ended by the peer's close.
    Answer(Query("2014-08-15", "2014-09-14"), 200,
           std::string(kHeader) + "\n" + Csv(2014, 9, 14, 0, 0, 6.0) + "\n" + Csv(2014, 8, 15, 6, 0, 5.1) + "\n" +
               Csv(2014, 8, 20, 0, 0, 5.2) + "\nshort line\n");
    Answer(Query("2014-09-14", "2014-09-21"), 200,
           std::string(kHeader) + "\n" + Csv(2014, 9, 14, 0, 0, 6.0) + "\n" + Csv(2014, 9, 18, 3, 30, 4.4) + "\n",
           "close");
    LocalHttpServer server(LocalHttpServer::Transport::kPlain, answers);
    ASSERT_TRUE(server.running());
    gEventServiceAddress = "http://" + server.host() + "/";

    EXPECT_EQ(UpdateFromWebService(true, progress), 0);

    std::vector<std::string> asked;
    for (const auto& r : server.Requests()) asked.push_back(r.line);
    EXPECT_EQ(asked, (std::vector<std::string>{"GET " + Query("2014-08-15", "2014-09-14") + " HTTP/1.1",
                                                "GET " + Query("2014-09-14", "2014-09-21") + " HTTP/1.1"}));
    const std::vector<QuakeRecord> want = {old[0], old[1], Quake(2014, 8, 20, 0, 0, 5.2), Quake(2014, 9, 14, 0, 0, 6.0),
                                           Quake(2014, 9, 18, 3, 30, 4.4)};
    EXPECT_EQ(Catalogue("WORLD.HY4"), want);
    EXPECT_EQ(TempDir::Read("WORLD.hyt"), oldBytes);
    EXPECT_FALSE(std::filesystem::exists(kTempCatalogue));
    EXPECT_EQ(lines.back(), "Done");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Fetch events from 2014-08-15 to 2014-09-14"), lines.end());
    EXPECT_EQ(repeats, 1);
    EXPECT_NE(gQuakeCatalogue, nullptr);  // reopened
}

// tools/event_service.py, the stand-in service for trying the update by
// hand, must answer each window as the real one does, or the update it is
// there to show fails: whole days, the start day in, minmagnitude kept.
TEST_F(WebUpdateTest, TheLocalEventServiceAnswersEachWindowAsTheServiceDoes) {
    WriteCatalogue({Quake(2014, 8, 1, 0, 0, 5.0), Quake(2014, 9, 1, 0, 0, 5.5)});
    // Out of order, with the kept record again, an event at the midnight both
    // windows share, one below the magnitude asked for and one after now.
    TempDir::Write("events.csv", std::string(kHeader) + "\n" + Csv(2014, 9, 18, 3, 30, 4.4) + "\n" +
                                     Csv(2014, 8, 1, 0, 0, 5.0) + "\n" + Csv(2014, 8, 31, 0, 0, 6.1) + "\n" +
                                     Csv(2014, 8, 25, 12, 0, 5.2) + "\n" + Csv(2014, 9, 10, 0, 0, 2.5) + "\n" +
                                     Csv(2014, 10, 5, 0, 0, 6.0) + "\n");
    // Real time, not the test's clock: the feed holds what came in the last 24 hours.
    auto stamp = [](std::time_t t) {
        char s[32];
        std::strftime(s, sizeof s, "%Y-%m-%dT%H:%M:%S.000Z", std::gmtime(&t));
        return std::string(s);
    };
    const std::time_t now = std::time(nullptr);
    const std::string recent = stamp(now - 3600) + ",35.4,140.2,30,6.8,mww,,,,,us,test1,x,near Tokyo";
    TempDir::Write("new.csv", std::string(kHeader) + "\n" + recent + "\n" + stamp(now - 2 * 86400) +
                                  ",35.4,140.2,30,6.1,mww,,,,,us,test0,x,near Tokyo\n");
    PeerProcess service("event-service");
    for (const char* v : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) ::unsetenv(v);
    service.Start({"python3", std::string(KESTRUNE_FIXTURES) + "/../../tools/event_service.py", "--port", "0",
                   dir.path() + "/events.csv", dir.path() + "/new.csv"});
    ASSERT_GT(service.port(), 0);
    gEventServiceAddress = "http://127.0.0.1:" + std::to_string(service.port()) + "/";

    EXPECT_EQ(UpdateFromWebService(true, progress), 0) << lines.back();
    EXPECT_EQ(Catalogue("WORLD.HY4"),
              (std::vector<QuakeRecord>{Quake(2014, 8, 1, 0, 0, 5.0), Quake(2014, 8, 25, 12, 0, 5.2),
                                        Quake(2014, 8, 31, 0, 0, 6.1), Quake(2014, 9, 18, 3, 30, 4.4)}));

    HttpResult result;
    ASSERT_EQ(HttpRequest("GET ", gEventServiceAddress.c_str(), "feed.csv", "", "", "feed.csv", &result), 0);
    EXPECT_EQ(result.status, 200);
    const std::string feed = TempDir::Read("feed.csv");
    EXPECT_TRUE(feed.starts_with("time,latitude,longitude,")) << feed;
    EXPECT_EQ(feed.substr(feed.find('\n') + 1), recent + "\n");
}

TEST_F(WebUpdateTest, AFailedWindowLeavesTheCatalogueAsItWas) {
    // Kept: 08-01 and 08-15 06:00; the windows are 08-15..09-14, which
    // replaces the stored 08-25, and 09-14..09-21, which replaces nothing.
    const std::vector<QuakeRecord> old = {Quake(2014, 8, 1, 0, 0, 5.0), Quake(2014, 8, 15, 6, 0, 5.1),
                                          Quake(2014, 8, 25, 12, 0, 5.3)};
    const std::string good = std::string(kHeader) + "\n" + Csv(2014, 9, 1, 0, 0, 6.1) + "\n";
    // Two records, the second cut 20 bytes before its end.
    const std::string two = std::string(kHeader) + "\n" + Csv(2014, 9, 1, 0, 0, 6.1) + "\n" + Csv(2014, 9, 2, 0, 0, 6.2) + "\n";
    const std::string cutAt = std::to_string(two.size() - 20);
    struct Case {
        const char* name;
        int window;         // which window gets the answer; the other one is good
        int status;
        std::string body;
        const char* route;  // a path of the test server that misbehaves; empty for the canned answers
        const char* shown;  // the reason given after "Problem"
        std::string framing = "length";
    } cases[] = {
        {"a close-framed answer cut inside a record", 1, 200, two, "", "The answer was cut short inside a line",
         "close:" + cutAt},
        {"the same answer cut short of its length", 1, 200, two, "",
         "Could not get hypocenters: the answer was cut short", "cut:" + cutAt},
        {"an event after the window", 1, 200, good + Csv(2014, 9, 14, 10, 0, 6.0) + "\n", "",
         "The answer holds an event of 2014-09-14 10:00 outside 2014-08-15 to 2014-09-14"},
        {"an event before the window", 2, 200, good, "",
         "The answer holds an event of 2014-09-01 00:00 outside 2014-09-14 to 2014-09-21"},
        {"an error page with a good status", 2, 200, "<!DOCTYPE html>\n<html><body>busy</body></html>\n", "",
         "Data not available"},
        {"an error page further down", 2, 200, std::string(kHeader) + "\n<HTML><body>oops</body></HTML>\n", "",
         "Data not available"},
        {"a plain-text 400", 2, 400, "Bad request: endtime\n", "", "Could not get hypocenters: the service answered 400"},
        {"a 503", 2, 503, std::string(kHeader) + "\n", "", "Could not get hypocenters: the service answered 503"},
        {"a plain-text 200", 1, 200, "Service busy, try again later\n", "", "Data not available"},
        {"a header-only answer where a record is stored", 1, 200, std::string(kHeader) + "\n", "",
         "No events from 2014-08-15 to 2014-09-14, where 1 are stored"},
        {"only short lines where a record is stored", 1, 200, std::string(kHeader) + "\nshort\n", "",
         "No events from 2014-08-15 to 2014-09-14, where 1 are stored"},
        {"a 204", 0, 0, "", "no-content", "Data not available"},
        {"a truncated body", 0, 0, "", "truncated", "Could not get hypocenters: the answer was cut short"},
        {"a stall", 0, 0, "", "stall-body", "Could not get hypocenters: the answer was cut short"},
    };
    platform::net::HttpSettings quick;
    quick.connectTimeoutMs = 2000;
    quick.receiveTimeoutMs = 500;
    platform::net::OverrideHttpSettingsForTesting(&quick);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(answers);
        std::filesystem::create_directory(answers);
        std::filesystem::remove("WORLD.hyt");
        WriteCatalogue(old);
        const std::string oldBytes = TempDir::Read("WORLD.HY4");
        Answer(Query("2014-08-15", "2014-09-14"), c.window == 1 ? c.status : 200, c.window == 1 ? c.body : good,
               c.window == 1 ? c.framing : "length");
        Answer(Query("2014-09-14", "2014-09-21"), c.window == 2 ? c.status : 200, c.window == 2 ? c.body : good,
               c.window == 2 ? c.framing : "length");
        LocalHttpServer server(LocalHttpServer::Transport::kPlain, answers);
        ASSERT_TRUE(server.running());
        // The misbehaving routes take the query after their own path.
        gEventServiceAddress = "http://" + server.host() + "/" + (*c.route ? std::string(c.route) + "?q=" : "");
        lines.clear();

        EXPECT_EQ(UpdateFromWebService(true, progress), 1);
        EXPECT_EQ(TempDir::Read("WORLD.HY4"), oldBytes);
        EXPECT_FALSE(std::filesystem::exists("WORLD.hyt"));
        EXPECT_FALSE(std::filesystem::exists(kTempCatalogue));
        // The last line says what happened, and never "Done".
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), std::string("Problem: ") + c.shown);
        EXPECT_EQ(std::find(lines.begin(), lines.end(), "Done"), lines.end());
        EXPECT_NE(gQuakeCatalogue, nullptr);  // the old catalogue is open again
        CloseQuakeCatalogue();
    }
    platform::net::OverrideHttpSettingsForTesting(nullptr);
}

// A disk that fills up is named as the cause, not the network; the old
// catalogue stays either way.
TEST_F(WebUpdateTest, AFullDiskSaysWhatCouldNotBeWritten) {
    std::vector<QuakeRecord> old;
    for (int d = 1; d <= 30; ++d) old.push_back(Quake(2014, 7, d, 0, 0, 5.0));  // 720 bytes kept
    old.push_back(Quake(2014, 8, 15, 6, 0, 5.1));
    old.push_back(Quake(2014, 8, 25, 12, 0, 5.3));
    const std::string good = std::string(kHeader) + "\n" + Csv(2014, 9, 1, 0, 0, 6.1) + "\n";
    Answer(Query("2014-08-15", "2014-09-14"), 200, good);
    Answer(Query("2014-09-14", "2014-09-21"), 200, std::string(kHeader) + "\n" + Csv(2014, 9, 15, 0, 0, 6.1) + "\n");
    LocalHttpServer server(LocalHttpServer::Transport::kPlain, answers);
    ASSERT_TRUE(server.running());
    gEventServiceAddress = "http://" + server.host() + "/";
    struct Case {
        const char* name;
        rlim_t room;  // bytes a file may grow to
        const char* shown;
    } cases[] = {
        {"no room for the answer", 100, "Could not store the answer in USGSHistoryHypocenters.csv"},
        {"room for the answers, not for the catalogue", 600, "Could not write temptemp.hy4: File too large"},
    };
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteCatalogue(old);
        const std::string oldBytes = TempDir::Read("WORLD.HY4");
        lines.clear();
        rlimit small = saved;
        small.rlim_cur = c.room;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const int result = UpdateFromWebService(true, progress);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
        EXPECT_EQ(result, 1);
        EXPECT_EQ(TempDir::Read("WORLD.HY4"), oldBytes);
        EXPECT_FALSE(std::filesystem::exists("WORLD.hyt"));
        EXPECT_FALSE(std::filesystem::exists(kTempCatalogue));
        EXPECT_EQ(lines.back(), std::string("Problem: ") + c.shown);
        CloseQuakeCatalogue();
    }
    std::signal(SIGXFSZ, previous);
}

// Run after run with nothing new in the answers, the catalogue must not shrink.
TEST_F(WebUpdateTest, RepeatedRunsWithEmptyAnswersNeverErodeTheCatalogue) {
    std::vector<QuakeRecord> old;
    for (int d = 1; d <= 25; ++d) old.push_back(Quake(2014, 8, d, 12, 0, 5.0));
    WriteCatalogue(old);
    const std::string oldBytes = TempDir::Read("WORLD.HY4");
    Answer(Query("2014-08-14", "2014-09-13"), 200, std::string(kHeader) + "\n");
    Answer(Query("2014-09-13", "2014-09-21"), 200, std::string(kHeader) + "\n");
    LocalHttpServer server(LocalHttpServer::Transport::kPlain, answers);
    ASSERT_TRUE(server.running());
    gEventServiceAddress = "http://" + server.host() + "/";
    for (int run = 0; run < 3; ++run) {
        EXPECT_EQ(UpdateFromWebService(true, progress), 1);
        CloseQuakeCatalogue();
        EXPECT_EQ(TempDir::Read("WORLD.HY4"), oldBytes) << "run " << run;
    }
}

TEST_F(WebUpdateTest, NoAnswerAtAllAndAnEmptyCatalogue) {
    WriteCatalogue({});
    gEventServiceAddress = "http://127.0.0.1:" + std::to_string(LocalHttpServer::ClosedPort()) + "/";
    EXPECT_EQ(UpdateFromWebService(true, progress), 1);
    EXPECT_TRUE(std::filesystem::exists("WORLD.HY4"));
    // An empty catalogue asks from UPDATE DAYS before now.
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Fetch events from 2014-09-10 to 2014-09-21"), lines.end());
}

TEST_F(WebUpdateTest, MissingCatalogueIsReportedAndBackupNames) {
    // Reported as the server update reports it, and not taken for success.
    EXPECT_EQ(UpdateFromWebService(true, progress), 1);
    EXPECT_EQ(repeats, 1);
    EXPECT_EQ(lines.back(), "Problem: Can't find file WORLD.HY4");
    EXPECT_EQ(BackupCatalogueName("WORLD.HY4"), "WORLD.hyt");
    EXPECT_EQ(BackupCatalogueName("data.v2/WORLD.HY4"), "data.v2/WORLD.hyt");
    EXPECT_EQ(BackupCatalogueName("my.cat.hy4"), "my.cat.hyt");
    EXPECT_EQ(BackupCatalogueName("data.v2/WORLD"), "data.v2/WORLD.hyt");
}

// One hold for both updates: neither runs inside the other, so neither
// truncates the temporary catalogue the other is writing.
TEST_F(WebUpdateTest, NeitherUpdateRunsWhileTheOtherHoldsTheCatalogue) {
    WriteCatalogue({Quake(2014, 8, 25, 12, 0, 5.3)});
    const std::string before = TempDir::Read("WORLD.HY4");
    TempDir::Write(kTempCatalogue, "being written");
    gUpdateServer = "127.0.0.1";
    gUpdatePort = static_cast<unsigned>(LocalHttpServer::ClosedPort());
    {
        CatalogueUpdateHold running;
        ASSERT_TRUE(running.held());
        EXPECT_EQ(UpdateFromWebService(true, progress), 1);
        // The refused server update would show its lines and repeats here too.
        struct : ServerUpdateProgress {
            int* repeats;
            std::vector<std::string>* lines;
            void RepeatView() override { ++*repeats; }
            void Echo(const std::string& line) override { lines->push_back(line); }
        } server;
        server.repeats = &repeats;
        server.lines = &lines;
        EXPECT_EQ(UpdateFromServer(nullptr, server), 1);
        EXPECT_TRUE(lines.empty());
        EXPECT_EQ(repeats, 0);
        EXPECT_EQ(TempDir::Read(kTempCatalogue), "being written");
        EXPECT_EQ(TempDir::Read("WORLD.HY4"), before);
        EXPECT_EQ(gQuakeCatalogue, nullptr);
    }
    EXPECT_FALSE(CatalogueUpdateHold::Taken());
}

TEST(EventServiceAddressTest, TheVariableReplacesThePublicService) {
    struct Case {
        const char* value;
        const char* address;
    };
    for (const Case& c : {Case{nullptr, kDefaultEventServiceAddress}, Case{"", kDefaultEventServiceAddress},
                          Case{"http://127.0.0.1:8080/", "http://127.0.0.1:8080/"},
                          Case{"http://mirror.example/quakes", "http://mirror.example/quakes/"}}) {
        EXPECT_EQ(EventServiceAddress(c.value), c.address) << (c.value ? c.value : "(unset)");
    }
}

// The program's wiring reads the variable, and the update then asks that server.
TEST_F(WebUpdateTest, TheProgramAsksTheServerTheEnvironmentNames) {
    // The wiring installs the application's link and the pane's builder too; other tests start without them.
    struct Unwired {
        ~Unwired() {
            InstallNetworkLink(nullptr);
            InstallMapPaneSeams(nullptr);
        }
    } unwired;
    WriteCatalogue({Quake(2014, 9, 15, 0, 0, 5.0)});
    Answer(Query("2014-09-05", "2014-09-21"), 200, std::string(kHeader) + "\n" + Csv(2014, 9, 18, 3, 30, 4.4) + "\n");
    LocalHttpServer server(LocalHttpServer::Transport::kPlain, answers);
    ASSERT_TRUE(server.running());
    ::setenv(kEventServiceVariable, ("http://" + server.host()).c_str(), 1);
    InstallNetworkWiring();
    ::unsetenv(kEventServiceVariable);

    EXPECT_EQ(gEventServiceAddress, "http://" + server.host() + "/");
    EXPECT_EQ(UpdateFromWebService(true, progress), 0);
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(Catalogue("WORLD.HY4"), std::vector<QuakeRecord>{Quake(2014, 9, 18, 3, 30, 4.4)});
    InstallNetworkWiring();  // unset again: the public service
    EXPECT_EQ(gEventServiceAddress, kDefaultEventServiceAddress);
}
