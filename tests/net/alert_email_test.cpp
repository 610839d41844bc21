// The alert e-mail: its compositions, the archive lines and the hand-over to
// a scripted SMTP peer.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/config.h"
#include "core/quake.h"
#include "core/view.h"
#include "net/alert_email.h"
#include "net/smtp.h"
#include "net/web_update.h"
#include "platform/sys/signals.h"
#include "platform/ui/headless/headless.h"
#include "tests/support/smtp_peer.h"
#include "tests/support/temp_dir.h"

namespace {

namespace hl = platform::headless;

QuakeRecord TestQuake() { return MakeEventRecord(nullptr, 2024, 5, 1, 11, 20, 5.7, -12.3, -77.26, 33.4, 6.3); }

// Everything of the body after its first line, for the test quake in UTC.
std::string BodyTail(const std::string& network) {
    std::string tail =
        "Location:  12.3S  77.3W   Depth: 33.4 km\r\n"
        "Date/Time: 2024 May 01 11:20:05 UTC\r\n"
        "Date/Time: 2024 May 01 11:20:05 ";
    if (!network.empty()) tail += "\nReporting Network: " + network;
    return tail +
           "\n\nNOTE: This earthquake report has been reviewed by a seismologist."
           "\n\nFor more information:\n\nhttps://earthquake.usgs.gov/earthquakes/eventpage/us6000abcd\n\n"
           "\n\nDO NOT REPLY TO THIS MESSAGE.";
}

class AlertEmail : public ::testing::Test {
protected:
    void SetUp() override {
        ResetConfigValues();
        ResetViewSettings();
        gEventServiceAddress = kDefaultEventServiceAddress;
        gArchiveFile = "archive.txt";
        gEmailSender = "alerts@quorview.test";
        hl::VirtualClock().SetUtc({2024, 5, 1, 12, 0, 0, 0});
        hl::VirtualClock().SetZone(0, "UTC", false);
        saved_ = gSmtpTimeouts;
        gSmtpTimeouts = {2000, 2000, 400, 5000};
    }
    void TearDown() override {
        gSmtpTimeouts = saved_;
        ResetViewSettings();
        ResetConfigValues();
    }
    // The send runs on the mail's own thread; the checks wait for it.
    void SendCityAlert(const std::string& network = "us") {
        SendAlertEmail(TestQuake(), network, "us6000abcd", "Alphaville", "North Province", "Testland", 68, "S", 0);
        ASSERT_TRUE(WaitForOutgoingMail(10000));
    }
    TempDir dir_;
    SmtpTimeouts saved_;
};

}  // namespace

TEST(AlertEmailText, TheFiveCompositions) {
    ResetViewSettings();
    gEventServiceAddress = kDefaultEventServiceAddress;
    struct Case {
        const char* what;
        const char* name;
        const char* region;
        const char* country;
        int plant;
        const char* subject;
        const char* head;
    } cases[] = {
        {"city with region", "Alphaville", "North Province", "Testland", 0,
         "6.3 Earthquake 68 miles S of Alphaville, Testland",
         "Magnitude  6.3 earthquake has occurred 68 miles S of Alphaville, North Province, Testland.\r\n"},
        {"plant", "Kappa", "", "Testland", 1, "6.3 Earthquake 68 miles S of Kappa Nuclear Power Plant, Testland",
         "Magnitude  6.3 earthquake has occurred 68 miles S of Kappa Nuclear Power Plant, Testland.\r\n"},
        {"city without region", "Alphaville", "", "Testland", 0, "6.3 Earthquake 68 miles S of Alphaville, Testland",
         "Magnitude  6.3 earthquake has occurred 68 miles S of Alphaville, Testland.\r\n"},
        {"country only", "", "North Province", "Testland", 1, "6.3 Earthquake in Testland",
         "Magnitude  6.3 earthquake has occurred in Testland.\r\n"},
        {"no place", "", "", "", 0, "6.3 Earthquake", "Magnitude  6.3 earthquake has occurred.\r\n"},
    };
    for (const Case& c : cases) {
        const AlertEmailText t = ComposeAlertEmail(TestQuake(), "US", "us6000abcd", c.name, c.region, c.country, 68,
                                                   "S", c.plant, TimeValue());
        EXPECT_EQ(t.subject, c.subject) << c.what;
        EXPECT_EQ(t.body, c.head + BodyTail("US: U.S. National Earthquake Information Center")) << c.what;
    }
}

TEST(AlertEmailText, NetworksHemispheresLocalTimeAndCuts) {
    ResetViewSettings();
    gEventServiceAddress = kDefaultEventServiceAddress;
    struct Net {
        const char* code;
        const char* name;  // null: no line
    } nets[] = {{"US", "U.S. National Earthquake Information Center"},
                {"AK", "Alaska"},
                {"WY", "Doviredezur"},
                {"USX", "U.S. National Earthquake Information Center"},  // the first two characters count
                {"us", nullptr},                                         // the caller upper-cases
                {"XX", nullptr},
                {"U", nullptr},
                {"", nullptr}};
    for (const Net& n : nets) {
        const char* found = ReportingNetworkName(n.code);
        EXPECT_STREQ(found, n.name) << n.code;
        const AlertEmailText t =
            ComposeAlertEmail(TestQuake(), n.code, "us6000abcd", "", "", "", 0, "", 0, TimeValue());
        EXPECT_EQ(t.body.find("Reporting Network") != std::string::npos, n.name != nullptr) << n.code;
    }

    // North and east of the zero lines; a display offset and the zone name.
    gTimeZoneName = "EDT";
    const QuakeRecord ne = MakeEventRecord(nullptr, 2024, 5, 1, 2, 5, 0, 0.0, 0.0, 0, 5.0);
    const AlertEmailText t = ComposeAlertEmail(ne, "", "x", "", "", "", 0, "", 0, TimeValue(-4 * 3600.0));
    EXPECT_NE(t.body.find("Location:   0.0N   0.0E   Depth: 0.0 km\r\n"), std::string::npos) << t.body;
    EXPECT_NE(t.body.find("Date/Time: 2024 Apr 30 22:05:00 EDT\n\nNOTE"), std::string::npos) << t.body;

    // Long texts are cut to the buffers; control characters never reach a line of their own.
    const std::string longName(300, 'n');
    const AlertEmailText cut = ComposeAlertEmail(TestQuake(), "US", std::string(3000, 'i'), longName, "R",
                                                 "Testland", 68, "S", 0, TimeValue());
    EXPECT_EQ(cut.subject.size(), kSubjectTextMax);
    EXPECT_EQ(cut.body.size(), kBodyTextMax);
    const AlertEmailText forged =
        ComposeAlertEmail(TestQuake(), "US", "id", "Alpha\r\nBcc: x@y.test", "", "Test\nland", 68, "S", 0, TimeValue());
    EXPECT_EQ(forged.subject, "6.3 Earthquake 68 miles S of AlphaBcc: x@y.test, Testland");
    gTimeZoneName.clear();
}

TEST_F(AlertEmail, WithoutRecipientsNothingIsSentOrLogged) {
    SmtpPeer peer;
    gEmailServer = peer.server();
    SendCityAlert();
    TempDir::Write("EMAIL_ADDR.TXT", "");
    SendCityAlert();
    EXPECT_FALSE(std::filesystem::exists("archive.txt"));
    EXPECT_EQ(peer.Transcript(), "");
}

TEST_F(AlertEmail, TheMessageIsArchivedAndReceived) {
    SmtpPeer peer;
    gEmailServer = peer.server();
    const std::string longAddress = std::string(90, 'x') + "@example.test";
    TempDir::Write("EMAIL_ADDR.TXT", "first@example.test\r\nab\n" + longAddress + "\n");
    SendCityAlert("us");
    const std::string subject = "6.3 Earthquake 68 miles S of Alphaville, Testland";
    const std::string body = "Magnitude  6.3 earthquake has occurred 68 miles S of Alphaville, North Province, "
                             "Testland.\r\n" +
                             BodyTail("US: U.S. National Earthquake Information Center");
    EXPECT_EQ(TempDir::Read("archive.txt"), "2024-05-01 12:00:00 \nSubject: " + subject + "\n" + body + "\n");
    const std::string t = peer.Transcript();
    EXPECT_NE(t.find("C: RCPT TO:<first@example.test>\n"), std::string::npos) << t;
    EXPECT_EQ(t.find("RCPT TO:<ab>"), std::string::npos) << t;
    EXPECT_NE(t.find("C: RCPT TO:<" + longAddress + ">\n"), std::string::npos) << t;
    const std::string m = peer.Message();
    EXPECT_EQ(m.substr(0, m.find("\r\n\r\n") + 4),
              "Subject: " + subject + "\r\nFrom:alerts@quorview.test\r\nTo: first@example.test\r\nTo: ab\r\nTo: " +
                  longAddress + "\r\n\r\n");
    EXPECT_NE(m.find("Date/Time: 2024 May 01 11:20:05 \r\nReporting Network: US: "), std::string::npos) << m;
    EXPECT_NE(m.find("\r\n\r\n\r\n\r\nDO NOT REPLY TO THIS MESSAGE.\r\n.\r\n"), std::string::npos) << m;
}

TEST_F(AlertEmail, FailuresAreArchivedWithTheRealReason) {
    TempDir::Write("EMAIL_ADDR.TXT", "first@example.test\n");
    struct Case {
        const char* what;
        bool peer;
        const char* sender;
        const char* reason;
        const char* reply = "550 no such user\r\n";  // the peer's answer to RCPT
    } cases[] = {
        {"refused recipient", true, "alerts@quorview.test", "550 no such user"},
        {"no server", false, "alerts@quorview.test", "no EMAIL SERVER is set"},
        {"sender without @", true, "alerts", "EMAIL SENDER has no @"},
        // One line in the archive however the peer answers.
        {"a refusal in lines", true, "alerts@quorview.test", "550-no such user 550 mailbox unknown",
         "550-no such user\r\n550 mailbox unknown\r\n"},
        {"a blank reply", true, "alerts@quorview.test", "empty reply from the SMTP server (250 awaited)", "\r\n"},
        {"a reply that reads as the all-clear", true, "alerts@quorview.test", "NOOP (250 awaited)", "NOOP\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove("archive.txt");
        SmtpPeer peer({{SmtpPeer::Stage::kRcpt, {c.reply}}});
        gEmailServer = c.peer ? peer.server() : "";
        gEmailSender = c.sender;
        SendCityAlert();
        const std::string archive = TempDir::Read("archive.txt");
        const std::string tail = std::string("\ne-mail did not go out\n") + c.reason + "\n";
        ASSERT_GE(archive.size(), tail.size()) << c.what;
        EXPECT_EQ(archive.substr(archive.size() - tail.size()), tail) << c.what << "\n" << archive;
        EXPECT_EQ(archive.rfind("2024-05-01 12:00:00 \nSubject: 6.3 Earthquake", 0), 0u) << c.what;
    }
}

TEST_F(AlertEmail, LocalTimeCountsDaylightTimeOnce) {
    SmtpPeer peer;
    gEmailServer = peer.server();
    TempDir::Write("EMAIL_ADDR.TXT", "first@example.test\n");
    // The clock's offset already holds the daylight hour.
    hl::VirtualClock().SetZone(-240, "EDT", true);
    gUseLocalTime = 1;
    gTimeZoneName = "EDT";
    SendCityAlert();
    EXPECT_EQ(gTimeZoneOffset.t, -4 * 3600.0);
    EXPECT_NE(peer.Message().find("Date/Time: 2024 May 01 07:20:05 EDT\r\n"), std::string::npos) << peer.Message();

    // With USE LOCAL TIME off the view's hours count, and daylight time with them.
    gUseLocalTime = 0;
    gLocalTimeHours = 9;
    gEmailServer.clear();  // the archive shows the text; the peer took its one session
    std::filesystem::remove("archive.txt");
    SendCityAlert();
    EXPECT_EQ(gTimeZoneOffset.t, 10 * 3600.0);
    EXPECT_NE(TempDir::Read("archive.txt").find("Date/Time: 2024 May 01 21:20:05 EDT\n"), std::string::npos);
}

// The send runs on its own thread: the caller, the window's thread, returns
// while the server still keeps its greeting back.
TEST_F(AlertEmail, TheCallerDoesNotWaitForTheServer) {
    SmtpPeer slow({{SmtpPeer::Stage::kGreeting, {"", {}, 1500}}});
    gEmailServer = slow.server();
    gSmtpTimeouts = {2000, 2000, 5000, 10000};
    TempDir::Write("EMAIL_ADDR.TXT", "first@example.test\n");
    SendAlertEmail(TestQuake(), "us", "us6000abcd", "Alphaville", "North Province", "Testland", 68, "S", 0);
    EXPECT_FALSE(WaitForOutgoingMail(0));
    EXPECT_EQ(TempDir::Read("archive.txt").rfind("2024-05-01 12:00:00 \nSubject: 6.3 Earthquake", 0), 0u);
    ASSERT_TRUE(WaitForOutgoingMail(10000));
    EXPECT_NE(slow.Message().find("DO NOT REPLY TO THIS MESSAGE.\r\n.\r\n"), std::string::npos);
    EXPECT_EQ(TempDir::Read("archive.txt").find("e-mail did not go out"), std::string::npos);
}

// A program that ends while a server keeps silent does not wait for it, and
// the archive says of each e-mail that it did not go out.
TEST_F(AlertEmail, TheProgramsEndArchivesWhatHasNotGoneOut) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child runs this test again from its start, in a folder of its own: it
    // keeps the parent's archive, which it finds already named.
    const std::string archive = std::filesystem::absolute("archive.txt").string();
    ::setenv("KESTRUNE_TEST_ARCHIVE", archive.c_str(), 0);
    EXPECT_EXIT(
        {
            SmtpPeer silent({{SmtpPeer::Stage::kGreeting, SmtpPeer::Answer::Silent()}});
            gEmailServer = silent.server();
            gArchiveFile = std::getenv("KESTRUNE_TEST_ARCHIVE");
            TempDir::Write("EMAIL_ADDR.TXT", "first@example.test\n");
            SendAlertEmail(TestQuake(), "us", "us6000abcd", "Alphaville", "North Province", "Testland", 68, "S", 0);
            SendAlertEmail(TestQuake(), "us", "us6000abce", "Alphaville", "", "Testland", 68, "S", 1);
            std::exit(WaitForOutgoingMail(200) ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
    const std::string text = TempDir::Read("archive.txt");
    std::size_t failures = 0;
    for (std::size_t at = 0; (at = text.find("\ne-mail did not go out\nthe program ended ", at)) != std::string::npos;
         ++at)
        ++failures;
    EXPECT_EQ(failures, 2u) << text;
    EXPECT_NE(text.find("\nSubject: 6.3 Earthquake 68 miles S of Alphaville Nuclear Power Plant"), std::string::npos)
        << text;
}

// Once the windows are gone, mail on its way still has its time to go out;
// after a termination signal the end waits for nothing.
TEST_F(AlertEmail, AtTheEndMailOnItsWayGoesOutUnlessTheProgramWasTerminated) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // As above: the children keep the parent's archive.
    const std::string archive = std::filesystem::absolute("archive.txt").string();
    ::setenv("KESTRUNE_TEST_END_ARCHIVE", archive.c_str(), 0);
    auto post = [](const std::string& server) {
        gEmailServer = server;
        gArchiveFile = std::getenv("KESTRUNE_TEST_END_ARCHIVE");
        gSmtpTimeouts = {2000, 2000, 5000, 10000};
        TempDir::Write("EMAIL_ADDR.TXT", "first@example.test\n");
        SendAlertEmail(TestQuake(), "us", "us6000abcd", "Alphaville", "North Province", "Testland", 68, "S", 0);
    };

    EXPECT_EXIT(
        {
            SmtpPeer slow({{SmtpPeer::Stage::kGreeting, {"", {}, 1500}}});
            post(slow.server());
            FinishOutgoingMail();
            std::exit(slow.Message().find("DO NOT REPLY TO THIS MESSAGE.\r\n.\r\n") != std::string::npos ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(TempDir::Read("archive.txt").find("e-mail did not go out"), std::string::npos)
        << TempDir::Read("archive.txt");

    EXPECT_EXIT(
        {
            SmtpPeer silent({{SmtpPeer::Stage::kGreeting, SmtpPeer::Answer::Silent()}});
            (void)platform::WatchTerminationSignals();
            std::raise(SIGTERM);
            post(silent.server());
            const auto start = std::chrono::steady_clock::now();
            FinishOutgoingMail();
            // Far less than the grace a normal end gives.
            std::exit(std::chrono::steady_clock::now() - start < std::chrono::milliseconds(kMailGraceMs / 2) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_NE(TempDir::Read("archive.txt").find("\ne-mail did not go out\nthe program ended "), std::string::npos)
        << TempDir::Read("archive.txt");
}
