#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/quake.h"
#include "core/view.h"
#include "app/frame.h"
#include "app/housekeeping.h"
#include "net/frame_commands.h"
#include "net/web_update.h"
#include "platform/ui/headless/headless.h"
#include "tests/fixtures/http/local_server.h"
#include "tests/support/catalogue_file.h"
#include "tests/support/temp_dir.h"

namespace {

QuakeRecord Quake(int y, int mo, int d, int h, int mi, double mag) {
    return MakeEventRecord(nullptr, y, mo, d, h, mi, 0.0, 38.5, 142.25, 10.0, mag);
}

std::string Csv(int y, int mo, int d, int h, int mi, double mag) {
    char line[256];
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
        hooks.message = [this](const std::string& s) { lines.push_back(s); };
        hooks.repeatView = [this] { ++repeats; };
        hooks.wait = [](int) {};
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
    void Answer(const std::string& target, int status, const std::string& body) {
        static int n = 0;
        std::string file = "answer" + std::to_string(++n) + ".csv";
        TempDir::Write(answers + "/" + file, body);
        std::ofstream(answers + "/index.txt", std::ios::app)
            << target << " " << status << " text/csv " << file << "\n";
    }
    std::vector<QuakeRecord> Catalogue(const std::string& name) { return ReadCatalogueFile(name); }

    TempDir dir;
    std::string answers = dir.path() + "/answers";
    WebUpdateHooks hooks;
    std::vector<std::string> lines;
    int repeats = 0;
};

}  // namespace

bool operator==(const QuakeRecord& a, const QuakeRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST_F(WebUpdateTest, KeepsOldRecordsFetchesTheRestAndKeepsTheOldFile) {
    const std::vector<QuakeRecord> old = {Quake(2014, 8, 1, 0, 0, 5.0), Quake(2014, 8, 15, 6, 0, 5.1),
                                          Quake(2014, 8, 20, 0, 0, 5.2), Quake(2014, 8, 25, 12, 0, 5.3)};
    WriteCatalogue(old);
    const std::string oldBytes = TempDir::Read("WORLD.HY4");
    // The last kept record (08-15 06:00) is answered again and must not be
    // stored twice; so must the event on the day both windows share.
    Answer(Query("2014-08-15", "2014-09-14"), 200,
           std::string(kHeader) + "\n" + Csv(2014, 9, 14, 10, 0, 6.0) + "\n" + Csv(2014, 8, 15, 6, 0, 5.1) + "\n" +
               Csv(2014, 8, 20, 0, 0, 5.2) + "\nshort line\n");
    Answer(Query("2014-09-14", "2014-09-21"), 200,
           std::string(kHeader) + "\n" + Csv(2014, 9, 14, 10, 0, 6.0) + "\n" + Csv(2014, 9, 18, 3, 30, 4.4) + "\n");
    LocalHttpServer server(LocalHttpServer::Transport::kPlain, answers);
    ASSERT_TRUE(server.running());
    gEventServiceAddress = "http://" + server.host() + "/";

    EXPECT_EQ(UpdateFromWebService(true, hooks), 0);

    std::vector<std::string> asked;
    for (const auto& r : server.Requests()) asked.push_back(r.line);
    EXPECT_EQ(asked, (std::vector<std::string>{"GET " + Query("2014-08-15", "2014-09-14") + " HTTP/1.1",
                                                "GET " + Query("2014-09-14", "2014-09-21") + " HTTP/1.1"}));
    const std::vector<QuakeRecord> want = {old[0], old[1], Quake(2014, 8, 20, 0, 0, 5.2), Quake(2014, 9, 14, 10, 0, 6.0),
                                           Quake(2014, 9, 18, 3, 30, 4.4)};
    EXPECT_EQ(Catalogue("WORLD.HY4"), want);
    EXPECT_EQ(TempDir::Read("WORLD.hyt"), oldBytes);
    EXPECT_FALSE(std::filesystem::exists(kTempCatalogue));
    EXPECT_EQ(lines.back(), "Done");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Fetch events from 2014-08-15 to 2014-09-14"), lines.end());
    EXPECT_EQ(repeats, 1);
    EXPECT_NE(gQuakeCatalogue, nullptr);  // reopened
}

TEST_F(WebUpdateTest, AFailedWindowLeavesTheCatalogueAsItWas) {
    const std::vector<QuakeRecord> old = {Quake(2014, 8, 1, 0, 0, 5.0), Quake(2014, 8, 25, 12, 0, 5.3)};
    struct Case {
        const char* name;
        int status;
        std::string body;
    } cases[] = {
        {"an error page with a good status", 200, "<!DOCTYPE html>\n<html><body>busy</body></html>\n"},
        {"an error page further down", 200, std::string(kHeader) + "\n<HTML><body>oops</body></HTML>\n"},
        {"a plain-text 400", 400, "Bad request: endtime\n"},
        {"a 503", 503, std::string(kHeader) + "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(answers);
        std::filesystem::create_directory(answers);
        std::filesystem::remove("WORLD.hyt");
        WriteCatalogue(old);
        const std::string oldBytes = TempDir::Read("WORLD.HY4");
        Answer(Query("2014-08-15", "2014-09-14"), 200, std::string(kHeader) + "\n" + Csv(2014, 9, 1, 0, 0, 6.1) + "\n");
        Answer(Query("2014-09-14", "2014-09-21"), c.status, c.body);
        LocalHttpServer server(LocalHttpServer::Transport::kPlain, answers);
        ASSERT_TRUE(server.running());
        gEventServiceAddress = "http://" + server.host() + "/";
        lines.clear();

        EXPECT_EQ(UpdateFromWebService(true, hooks), 1);
        EXPECT_EQ(TempDir::Read("WORLD.HY4"), oldBytes);
        EXPECT_FALSE(std::filesystem::exists("WORLD.hyt"));
        EXPECT_FALSE(std::filesystem::exists(kTempCatalogue));
        EXPECT_NE(std::find(lines.begin(), lines.end(), "Problem"), lines.end());
        EXPECT_NE(gQuakeCatalogue, nullptr);  // the old catalogue is open again
        CloseQuakeCatalogue();
    }
}

TEST_F(WebUpdateTest, NoAnswerAtAllAndAnEmptyCatalogue) {
    WriteCatalogue({});
    gEventServiceAddress = "http://127.0.0.1:" + std::to_string(LocalHttpServer::ClosedPort()) + "/";
    EXPECT_EQ(UpdateFromWebService(true, hooks), 1);
    EXPECT_TRUE(std::filesystem::exists("WORLD.HY4"));
    // An empty catalogue asks from UPDATE DAYS before now.
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Fetch events from 2014-09-10 to 2014-09-21"), lines.end());
}

TEST_F(WebUpdateTest, MissingCatalogueEndsNormallyAndBackupNames) {
    EXPECT_EQ(UpdateFromWebService(true, hooks), 0);
    EXPECT_EQ(lines.back(), "Done");
    EXPECT_EQ(BackupCatalogueName("WORLD.HY4"), "WORLD.hyt");
    EXPECT_EQ(BackupCatalogueName("data.v2/WORLD.HY4"), "data.v2/WORLD.hyt");
    EXPECT_EQ(BackupCatalogueName("my.cat.hy4"), "my.cat.hyt");
    EXPECT_EQ(BackupCatalogueName("data.v2/WORLD"), "data.v2/WORLD.hyt");
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
    // The wiring installs the frame's network hooks too; other tests expect them as they were.
    struct KeptHooks {
        decltype(gWebUpdateRunner) web = gWebUpdateRunner;
        decltype(gServerUpdateRunner) link = gServerUpdateRunner;
        decltype(gFeedRequest) feed = gFeedRequest;
        decltype(gStartSockets) sockets = gStartSockets;
        decltype(gAlertStep) alert = gAlertStep;
        ~KeptHooks() {
            gWebUpdateRunner = web, gServerUpdateRunner = link, gFeedRequest = feed;
            gStartSockets = sockets, gAlertStep = alert;
        }
    } kept;
    WriteCatalogue({Quake(2014, 9, 15, 0, 0, 5.0)});
    Answer(Query("2014-09-05", "2014-09-21"), 200, std::string(kHeader) + "\n" + Csv(2014, 9, 18, 3, 30, 4.4) + "\n");
    LocalHttpServer server(LocalHttpServer::Transport::kPlain, answers);
    ASSERT_TRUE(server.running());
    ::setenv(kEventServiceVariable, ("http://" + server.host()).c_str(), 1);
    InstallNetworkCommands();
    ::unsetenv(kEventServiceVariable);

    EXPECT_EQ(gEventServiceAddress, "http://" + server.host() + "/");
    EXPECT_EQ(UpdateFromWebService(true, hooks), 0);
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(Catalogue("WORLD.HY4"), std::vector<QuakeRecord>{Quake(2014, 9, 18, 3, 30, 4.4)});
    InstallNetworkCommands();  // unset again: the public service
    EXPECT_EQ(gEventServiceAddress, kDefaultEventServiceAddress);
}
