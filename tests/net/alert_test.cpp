// The alert step on a headless map pane with a set clock, small city and
// plant tables, a criteria file and fixture feeds.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/globals.h"
#include "core/c_numbers.h"
#include "core/alert_criteria.h"
#include "core/config.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/draw.h"
#include "net/alert.h"
#include "net/alert_email.h"
#include "net/network_wiring.h"
#include "app/housekeeping.h"
#include "platform/gfx/surface.h"
#include "platform/sound/recording_sink.h"
#include "platform/ui/headless/headless.h"
#include "tests/support/smtp_peer.h"
#include "tests/net/alert_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_lines.h"

namespace ui = platform::ui;
namespace gfx = platform::gfx;

namespace {

namespace fs = std::filesystem;
namespace snd = platform::sound;

using alerttest::CopyFixtures;
using alerttest::Fixture;

std::vector<std::string> FeedLines(const char* name) { return testsupport::TextLines(TempDir::Read(Fixture(name).string())); }

std::string Line(const char* time, double lat, double lon, double mag, const char* id, const char* updated) {
    char b[256];
    CNumbersScope numbers;  // the lines as the feed writes them
    std::snprintf(b, sizeof b, "%s,%.2f,%.2f,10,%.1f,mb,,,,,us,%s,%s,\"somewhere\",earthquake", time, lat, lon, mag,
                  id, updated);
    return b;
}

QuakeRecord Quake(double lat, double lon, double depthKm, double mag) {
    return MakeEventRecord(nullptr, 2024, 5, 1, 11, 0, 0, lat, lon, depthKm, mag);
}

std::vector<std::string> FileLines(const std::string& name) { return testsupport::TextLines(TempDir::Read(name)); }

// Every sound in one sequence; what the siren finds done is noted at its start.
std::vector<std::string>* gLog = nullptr;
std::function<void()> gAtSiren;
class LoggingSink : public snd::RecordingSink {
public:
    bool PlayWave(const std::string& path, snd::WaveMode mode) override {
        if (gLog) gLog->push_back((mode == snd::WaveMode::kLoop ? "loop " : "wave ") + path);
        if (mode == snd::WaveMode::kLoop && gAtSiren) gAtSiren();
        return RecordingSink::PlayWave(path, mode);
    }
    void StopWave() override {
        if (gLog) gLog->push_back("stop");
    }
};

class AlertStep : public ::testing::Test {
protected:
    void SetUp() override {
        CopyFixtures();
        ResetConfigValues();
        ResetViewSettings();
        ResetAlertState();
        gControls[kControlDebug] = 1;
        ASSERT_TRUE(alerttest::UseAlertSettings(5, 7));
        gContinuousAlert = 0;
        gMapName = "WORLD";
        gFeedLines.clear();
        gAlertPauseLeft = 0;
        platform::headless::VirtualClock().SetUtc({2024, 5, 1, 12, 0, 0, 0});
        gLog = &log_;
        snd::SetOutput(std::make_unique<LoggingSink>());
        BuildMercatorTable();
        pane_ = alerttest::MakeRenderedPane(owner_);
        ASSERT_NE(pane_, nullptr);
    }
    void TearDown() override {
        owner_.reset();
        snd::SetOutput(nullptr);
        gLog = nullptr;
        ResetAlertState();
        gFeedLines.clear();
        gAlertCriteria.clear();
        CloseQuakeCatalogue();
        ResetViewSettings();
        ResetConfigValues();
    }
    void Queue(const std::string& line) { hyplist2.push_back(*MakeAlertEvent(line)); }

    TempDir dir_;
    std::vector<std::string> log_;
    std::unique_ptr<ui::Window> owner_;
    childMap* pane_ = nullptr;
};

}  // namespace

TEST(AlertPlaces, CriteriaAgainstTheTables) {
    TempDir dir;
    CopyFixtures();
    struct Case {
        const char* what;
        AlertCriterion c;
        double depth, mag;
        int result;
        const char* name;
        std::int32_t miles;
        const char* compass;
    } cases[] = {
        {"any city: the nearest", {5, 0, 0, 0, "", 0}, 30, 6.0, 1, "Betatown", 28, "W"},
        {"population", {5, 0, 0, 100000, "", 0}, 30, 6.0, 1, "Alphaville", 68, "S"},
        {"magnitude too small", {6.1, 0, 0, 0, "", 0}, 30, 6.0, 0, "", 0, ""},
        {"magnitude equal", {6.0, 0, 0, 100000, "", 0}, 30, 6.0, 1, "Alphaville", 68, "S"},
        {"too deep", {5, 10, 0, 0, "", 0}, 30, 6.0, 0, "", 0, ""},
        {"depth within", {5, 50, 0, 100000, "", 0}, 30, 6.0, 1, "Alphaville", 68, "S"},
        {"a degree is beyond 69 miles", {5, 0, 69, 100000, "", 0}, 30, 6.0, 0, "", 0, ""},
        {"and within 70", {5, 0, 70, 100000, "", 0}, 30, 6.0, 1, "Alphaville", 68, "S"},
        {"country code, any case", {5, 0, 0, 0, "ol", 0}, 30, 6.0, 1, "Gammaport", 137, "S"},
        {"unknown country", {5, 0, 0, 0, "XX", 0}, 30, 6.0, 0, "", 0, ""},
        {"plant", {5, 0, 0, 0, "", 1}, 30, 6.0, 2, "Kappa", 57, "E"},
        {"plant too far", {5, 0, 50, 0, "", 1}, 30, 6.0, 0, "", 0, ""},
    };
    for (const Case& c : cases) {
        NearestPlace p;
        EXPECT_EQ(FindNearestPlace(Quake(34.0, 139.0, c.depth, c.mag), c.c, &p), c.result) << c.what;
        EXPECT_EQ(p.name, c.name) << c.what;
        EXPECT_EQ(p.miles, c.miles) << c.what;
        EXPECT_EQ(p.compass, c.compass) << c.what;
    }
    NearestPlace plant;
    ASSERT_EQ(FindNearestPlace(Quake(34.0, 139.0, 30, 6.0), {5, 0, 0, 0, "", 1}, &plant), 2);
    EXPECT_EQ(plant.country, "Testland");
    EXPECT_TRUE(plant.operating);
    EXPECT_EQ(plant.region, "");
    EXPECT_DOUBLE_EQ(plant.latitude, 34.0);
}

TEST(AlertPlaces, MissingTablesCrlfRowsAndLongColumns) {
    TempDir dir;
    NearestPlace p;
    EXPECT_EQ(FindNearestPlace(Quake(34, 139, 10, 6), {5, 0, 0, 0, "", 0}, &p), 0);
    EXPECT_EQ(FindNearestPlace(Quake(34, 139, 10, 6), {5, 0, 0, 0, "", 1}, &p), 0);

    const std::string longName(100, 'n');
    TempDir::Write("CityLatLonPop.csv", "h,h,h,h,h,h,h\r\n" + longName + ",R,C,35.0,139.0,5000,TL\r\n");
    ASSERT_EQ(FindNearestPlace(Quake(34, 139, 10, 6), {5, 0, 0, 0, "TL", 0}, &p), 1);  // last column without CR
    EXPECT_EQ(p.name, longName.substr(0, kPlaceTextMax));

    // A position that is not a number once met every criterion, with a distance of no value.
    TempDir::Write("CityLatLonPop.csv", "h,h,h,h,h,h,h\nNowhere,R,C,nan,139.0,5000,TL\nFar,R,C,inf,-inf,5000,TL\n");
    TempDir::Write("Reactor_Data_NRDC.csv", "h\nTL,T,Nowhere,x,Operating,1,nan,139.0,x,x\n");
    EXPECT_EQ(FindNearestPlace(Quake(34, 139, 10, 6), {5, 0, 0, 0, "", 0}, &p), 0);
    EXPECT_EQ(FindNearestPlace(Quake(34, 139, 10, 6), {5, 0, 0, 0, "", 1}, &p), 0);
}

TEST(AlertPlaces, TheCityTableHasNoHeaderAndLongRowsAreRead) {
    TempDir dir;
    // The city table's first line is a city; a row's columns may lie past character 179.
    const std::string longRegion(200, 'r');
    TempDir::Write("CityLatLonPop.csv", "Firstcity,R,Testland,34.1,139.0,5000,TL\n"
                                        "Farcity,R,Testland,38.0,139.0,5000,TL\n"
                                        "Longcity," + longRegion + ",Testland,34.0,139.2,900000,TL\n");
    NearestPlace p;
    ASSERT_EQ(FindNearestPlace(Quake(34.0, 139.0, 10, 6), {5, 0, 0, 0, "", 0}, &p), 1);
    EXPECT_EQ(p.name, "Firstcity");
    ASSERT_EQ(FindNearestPlace(Quake(34.0, 139.0, 10, 6), {5, 0, 0, 100000, "", 0}, &p), 1);
    EXPECT_EQ(p.name, "Longcity");
    EXPECT_EQ(p.region, longRegion.substr(0, kPlaceTextMax));
}

TEST(AlertText, CompassPointsStampsAndNames) {
    struct { double az; const char* point; } points[] = {
        {350, "N"}, {22.4, "N"}, {22.5, "NE"}, {0, "N"}, {337.4, "NW"}, {337.5, "N"}, {180, "S"}, {90, "E"}};
    for (const auto& c : points) EXPECT_STREQ(CompassPoint(c.az), c.point) << c.az;

    struct { const char* a; const char* b; int order; } stamps[] = {
        {"2023-09-21T23:17:30.631Z", "2023-09-21T23:17:30.631Z", 0},
        {"2023-09-21T23:17:30.631Z", "2023-09-22T01:00:00.000Z", -1},  // same year: still newer
        {"2023-09-21T23:17:30.6Z", "2023-09-21T23:17:30.600Z", 0},
        {"1695338250631", "1695338250632", -1},
        {"1695338250631", "2023-09-21T23:17:30.631Z", 0},
        {"2023-09-22T00:17:30.631+01:00", "2023-09-21T23:17:30.631Z", 0},
        {"", "", 0},
        {"", "2023-01-01T00:00:00Z", -1},
        {"2023-09-21T23:17:30.631Z", "712021900-1-9T2:2:0", -1},  // a year far past any calendar
    };
    for (const auto& c : stamps) {
        EXPECT_EQ(CompareUpdateStamps(c.a, c.b), c.order) << c.a << " vs " << c.b;
        EXPECT_EQ(CompareUpdateStamps(c.b, c.a), -c.order) << c.b << " vs " << c.a;
    }

    auto e = MakeAlertEvent(Line("2024-05-01T11:00:00.000Z", 1, 2, 5, "us6000abcdefghij", "1700000000000") + "\r");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->id, "us6000abcdefghij");
    EXPECT_EQ(e->updated, "1700000000000");
    EXPECT_EQ(e->line.find('\r'), std::string::npos);
    EXPECT_FALSE(MakeAlertEvent(FeedLines("feed-first.csv")[0]));  // the header gives no event
    EXPECT_EQ(FileSafeName("A/B\\C"), "A-B-C");
}

TEST(AlertText, CaptionTexts) {
    AlertEventRecord r;
    r.quake = Quake(34, 139, 10, 6.3);
    std::memcpy(r.network, "US", 2);
    NearestPlace p;
    p.name = "Alphaville";
    p.country = "Testland";
    p.miles = 68;
    p.compass = "S";
    const std::string line = FormatQuakeListLine(r.quake, true);
    gScaleInKm = false;
    EXPECT_EQ(AlertCaptionText(r, p, true), "US:" + line + " 68 Mi S of Alphaville, Testland");
    gScaleInKm = true;
    EXPECT_EQ(AlertCaptionText(r, p, false), "US:" + line + " 109 km S of Alphaville Nuclear Power Plant, Testland");
    gScaleInKm = false;
}

TEST(AlertCaption, BoxPixelsAndTheProtectedStrip) {
    auto s = gfx::Surface::Create(200, 60, ColorOf(kWhiteColor));
    auto m = gfx::Mask::Create(180, 40, false);
    gfx::DrawContext dc(*s), mask(*m);
    gPaneWidth = 200;
    gPaneHeight = 60;
    gTextHeight = 10;
    gAveCharWidth = 5;
    gMapRect = {10, 15, 190, 55};
    DrawAlertCaption(dc, &mask, "");
    const gfx::Color black = ColorOf(0), yellow = ColorOf(14), white = ColorOf(kWhiteColor);
    EXPECT_EQ(s->At(6, 6), black);
    EXPECT_EQ(s->At(193, 6), black);
    EXPECT_EQ(s->At(6, 21), black);
    EXPECT_EQ(s->At(100, 14), yellow);
    EXPECT_EQ(s->At(5, 10), white);
    EXPECT_EQ(s->At(194, 10), white);
    EXPECT_EQ(s->At(100, 22), white);
    // Strip rows 0..22 of the pane are rows up to 7 of the mask; its pen edge stays clear.
    EXPECT_TRUE(m->At(50, 3));
    EXPECT_FALSE(m->At(50, 6));
    EXPECT_FALSE(m->At(50, 10));
}

TEST_F(AlertStep, EmptyFeedAndDragDoNothing) {
    EXPECT_FALSE(ProcessAlertEvent(*pane_));
    EXPECT_FALSE(fs::exists("ALERT.HY4"));
    gFeedLines = FeedLines("feed-first.csv");
    pane_->SetDragInProgress(true);
    EXPECT_FALSE(ProcessAlertEvent(*pane_));
    EXPECT_EQ(gFeedLines.size(), 5u);
}

TEST_F(AlertStep, CallSequenceSkipsWithinACallAndHoldsAfterAnAlert) {
    gFeedLines = {Line("2024-05-01T11:10:00.000Z", 34, 139, 4.2, "low", "1"),
                  Line("2024-05-01T11:20:00.000Z", 34, 139, 6.0, "alert1", "1"),
                  Line("2024-05-01T11:40:00.000Z", 35.5, 139, 5.5, "alert2", "1")};
    EXPECT_FALSE(ProcessAlertEvent(*pane_));  // the first fill
    EXPECT_EQ(hyplist2.size(), 3u);
    EXPECT_FALSE(ProcessAlertEvent(*pane_));  // drops "low", reports "alert1"
    EXPECT_EQ(hyplist2.size(), 1u);
    EXPECT_EQ(FileLines("archive.txt").size(), 2u);
    EXPECT_EQ(FileLines("alerts.txt").size(), 1u);
    EXPECT_EQ(gAlertEvent, &gLastReportedQuake);
    EXPECT_EQ(gAlertPauseLeft, 7);
    for (int i = 0; i < gAlertSeconds - 1; ++i) EXPECT_FALSE(ProcessAlertEvent(*pane_));
    EXPECT_EQ(hyplist2.size(), 1u);
    EXPECT_FALSE(ProcessAlertEvent(*pane_));
    EXPECT_TRUE(hyplist2.empty());
    EXPECT_EQ(FileLines("alerts.txt").size(), 2u);
}

TEST_F(AlertStep, SimilarThenSameEvent) {
    const std::string a = Line("2024-05-01T11:20:00.000Z", 34, 139, 6.0, "a", "1");
    // Each within 120 s of the one before, the last 200 s from the first.
    const std::string d1 = Line("2024-05-01T11:21:40.000Z", 34, 139, 6.0, "d1", "1");
    const std::string d2 = Line("2024-05-01T11:23:20.000Z", 34, 139, 6.0, "d2", "1");
    for (const std::string& l : {a, a, d1, d2, a}) {
        Queue(l);
        gAlertHoldTicks = 0;
        EXPECT_FALSE(ProcessAlertEvent(*pane_));
    }
    const std::vector<std::string> debug = FileLines("Debug.txt");
    int similar = 0, same = 0;
    for (const auto& l : debug) {
        similar += l.find("Similar event. Don't report") != std::string::npos;
        same += l.find("Same event. Don't report.") != std::string::npos;
    }
    EXPECT_EQ(similar, 3);
    EXPECT_EQ(same, 1);
    EXPECT_EQ(FileLines("alerts.txt").size(), 1u);
}

TEST_F(AlertStep, AnEdgeEventIsPutBackOnceAndLoggedOnce) {
    Queue(Line("2024-05-01T11:20:00.000Z", 0.0, -178.2, 6.0, "edge", "1"));
    EXPECT_TRUE(ProcessAlertEvent(*pane_));
    EXPECT_EQ(gWorldViewName, "WORLD-ALT");
    ASSERT_EQ(hyplist2.size(), 1u);
    EXPECT_TRUE(IsZeroRecord(gLastCandidateQuake));
    EXPECT_TRUE(IsZeroRecord(gLastReportedQuake));
    EXPECT_FALSE(fs::exists("alerts.txt"));
    // Still at the edge at its next turn: reported, not put back again.
    EXPECT_FALSE(ProcessAlertEvent(*pane_));
    EXPECT_TRUE(hyplist2.empty());
    EXPECT_EQ(gWorldViewName, "WORLD-ALT");
    EXPECT_EQ(FileLines("alerts.txt").size(), 1u);
    EXPECT_EQ(FileLines("archive.txt").size(), 1u);
}

TEST_F(AlertStep, AnnouncementOrderAndWhatEachStepLeaves) {
    gContinuousAlert = 1;
    SmtpPeer peer;
    gEmailServer = peer.server();
    gEmailSender = "alerts@quorview.test";
    TempDir::Write("EMAIL_ADDR.TXT", "duty@example.test\n");
    const std::string view = "2024-05-01-11 Alphaville";
    // At the siren the annotation is written and the mail archived; the view comes after.
    gAtSiren = [&] {
        log_.push_back(fs::exists(view + ".caf") ? "annotated" : "not annotated");
        log_.push_back(TempDir::Read("archive.txt").find("\nSubject: ") != std::string::npos ? "mailed" : "not mailed");
        log_.push_back("view " + gMapName);
    };
    Queue(Line("2024-05-01T11:20:00.000Z", 34, 139, 6.3, "us6000abcdefghij", "1"));
    EXPECT_FALSE(ProcessAlertEvent(*pane_));
    gAtSiren = nullptr;
    const std::vector<std::string> want = {
        "wave Earthquake alert-R.wav", "wave Earthquake alert-R.wav", "wave M6 point-R.wav", "wave 3R.wav",
        "wave M6 point-R.wav", "wave 3R.wav"};
    ASSERT_EQ(log_.size(), want.size() + 5);
    EXPECT_EQ(std::vector<std::string>(log_.begin(), log_.begin() + 6), want);
    EXPECT_EQ(log_[6].rfind("loop ", 0), 0u);
    EXPECT_EQ(std::vector<std::string>(log_.begin() + 7, log_.end()),
              (std::vector<std::string>{"annotated", "mailed", "view WORLD", "stop"}));
    EXPECT_EQ(gMapName, "WORLD");  // the running view's own until the alert view is opened
    ASSERT_EQ(platform::headless::MessageBoxCalls().size(), 1u);
    EXPECT_EQ(platform::headless::MessageBoxCalls()[0].text, "Earthquake Alarm");
    EXPECT_EQ(platform::headless::MessageBoxCalls()[0].caption, "Select OK to turn off alarm");
    // The city form of the mail: name, region and country, the distance and its direction.
    ASSERT_TRUE(WaitForOutgoingMail(10000));
    const std::string m = peer.Message();
    EXPECT_EQ(m.rfind("Subject: 6.3 Earthquake 68 miles S of Alphaville, Testland\r\n", 0), 0u) << m;
    EXPECT_NE(m.find("68 miles S of Alphaville, North Province, Testland."), std::string::npos) << m;
    EXPECT_NE(m.find("Reporting Network: US: "), std::string::npos) << m;
    EXPECT_NE(m.find("earthquakes/eventpage/us6000abcdefghij\r\n"), std::string::npos) << m;
    // A plant met its criterion too: its annotation and the plant kept for the view.
    EXPECT_TRUE(fs::exists(view + ".npp.txt"));
    EXPECT_EQ(gAlertPlant.name, "Kappa");
    // The caption sits on the screen and in the map image.
    const gfx::Color yellow = ColorOf(14);
    EXPECT_EQ(pane_->backBuffer().At(gPaneWidth - 10, 9), yellow);
    EXPECT_EQ(pane_->mapImageSurface()->At(gPaneWidth - 10, 9), yellow);
}

TEST_F(AlertStep, RefillRulesAndTheCatalogueAfterAShorterFeed) {
    const QuakeRecord old = MakeEventRecord(nullptr, 2024, 4, 30, 0, 0, 0, 1, 1, 10, 5);
    std::vector<QuakeRecord> before = {old};
    for (int h : {10, 12, 13, 14}) before.push_back(MakeEventRecord(nullptr, 2024, 5, 1, h, 30, 0, 2, 2, 10, 5));
    {
        std::FILE* f = std::fopen("ALERT.HY4", "wb");
        for (const QuakeRecord& q : before) ASSERT_TRUE(WriteQuakeRecord(f, q));
        std::fclose(f);
    }
    auto bytes = [](const std::vector<QuakeRecord>& qs) {
        std::string out;
        for (const QuakeRecord& q : qs) {
            unsigned char b[kQuakeRecordSize];
            EncodeQuakeRecord(q, b);
            out.append(reinterpret_cast<const char*>(b), sizeof b);
        }
        return out;
    };
    const std::vector<std::string> first = FeedLines("feed-first.csv");
    gFeedLines = first;
    EXPECT_FALSE(ProcessAlertEvent(*pane_));
    EXPECT_EQ(hyplist2.size(), 3u);  // 3.1 stays below SAVE THRESHOLD
    EXPECT_TRUE(gFeedLines.empty());
    const QuakeRecord a1 = MakeAlertEvent(first[1])->record.quake, a3 = MakeAlertEvent(first[3])->record.quake,
                      a4 = MakeAlertEvent(first[4])->record.quake;
    EXPECT_EQ(TempDir::Read("ALERT.HY4"), bytes({old, a1, a3, a4}));

    hyplist2.clear();
    gFeedLines = first;  // nothing new
    EXPECT_FALSE(ProcessAlertEvent(*pane_));
    EXPECT_TRUE(hyplist2.empty());

    const std::vector<std::string> later = FeedLines("feed-later.csv");
    gFeedLines = later;  // a revision later the same year, and a shorter feed
    EXPECT_FALSE(ProcessAlertEvent(*pane_));
    ASSERT_EQ(hyplist2.size(), 1u);
    EXPECT_EQ(hyplist2.front().id, "us6000aaa3");
    EXPECT_EQ(TempDir::Read("ALERT.HY4"), bytes({old, a1, MakeAlertEvent(later[1])->record.quake}));
}

TEST_F(AlertStep, SeenEventsStillInTheFeedAreNotAlertedAgain) {
    std::vector<std::string> feed;
    for (int i = 0; i < 105; ++i) {
        char t[40], id[20];
        std::snprintf(t, sizeof t, "2024-05-01T%02d:%02d:00.000Z", 8 + i / 60, i % 60);
        std::snprintf(id, sizeof id, "ev%03d", i);
        feed.push_back(Line(t, 10, 20, 4.5, id, "1"));
    }
    gFeedLines = feed;
    EXPECT_FALSE(ProcessAlertEvent(*pane_));
    hyplist2.clear();
    for (int round = 0; round < 3; ++round) {
        gFeedLines = feed;
        EXPECT_FALSE(ProcessAlertEvent(*pane_));
        EXPECT_TRUE(hyplist2.empty()) << round;
    }
    EXPECT_EQ(gSeenAlertEvents.size(), 105u);
}

TEST_F(AlertStep, AnAlertFromTheFeedIsMailedAsTheProgramWiresIt) {
    InstallNetworkWiring();
    struct Unwired {
        ~Unwired() {
            InstallNetworkLink(nullptr);
            InstallMapPaneSeams(nullptr);
        }
    } unwired;
    SmtpPeer peer;
    gEmailServer = peer.server();
    gEmailSender = "alerts@quorview.test";
    TempDir::Write("EMAIL_ADDR.TXT", "duty@example.test\n");
    gFeedLines = FeedLines("feed-alert.csv");
    EXPECT_FALSE(ProcessAlertEvent(*pane_));  // the first fill
    EXPECT_FALSE(ProcessAlertEvent(*pane_));  // reported, and mailed
    ASSERT_TRUE(WaitForOutgoingMail(10000));
    const std::string t = peer.Transcript();
    EXPECT_NE(t.find("C: RCPT TO:<duty@example.test>\n"), std::string::npos) << t;
    EXPECT_NE(t.find("C: .\nS: 250 queued\n"), std::string::npos) << t;
    const std::string m = peer.Message();
    EXPECT_EQ(m.rfind("Subject: 6.3 Earthquake 68 miles S of Alphaville, Testland\r\n", 0), 0u) << t;
    EXPECT_NE(m.find("Magnitude  6.3 earthquake has occurred 68 miles S of Alphaville, North Province, Testland."),
              std::string::npos)
        << t;
    EXPECT_NE(m.find("earthquakes/eventpage/us6000abcd\r\n"), std::string::npos) << t;
    EXPECT_EQ(TempDir::Read("archive.txt").find("e-mail did not go out"), std::string::npos);
    // The alert view and its files, for the zoom to show.
    const std::string view = "2024-05-01-11 Alphaville";
    EXPECT_EQ(gMapName, "WORLD");  // the running view's own until the alert view is opened
    EXPECT_EQ(TempDir::Read("Alert_View_Filename.txt"), view + "\n");
    for (const char* ext : {"", ".caf", ".npp.txt", ".hyp"}) EXPECT_TRUE(fs::exists(view + ext)) << ext;
}
