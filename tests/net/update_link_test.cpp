#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "core/quake_record.h"
#include "core/view.h"
#include "map/window_helpers.h"
#include "net/update_link.h"
#include "net/update_window.h"
#include "net/web_update.h"
#include "platform/ui/headless/headless.h"
#include "tests/fixtures/link/link_server.h"
#include "tests/support/catalogue_file.h"
#include "tests/support/step_timer.h"
#include "tests/support/temp_dir.h"

namespace hl = platform::headless;
namespace ui = platform::ui;
using testsupport::ChildOfType;

namespace {

QuakeRecord Quake(int y, int mo, int d, int h, int mi, double s = 0.0) {
    return MakeEventRecord(nullptr, y, mo, d, h, mi, s, 38.5, 142.25, 10.0, 5.0);
}

bool Same(const QuakeRecord& a, const QuakeRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The window's lines as shown and the view repeats, into the fixture's.
struct RecordedProgress : ServerUpdateProgress {
    RecordedProgress(std::vector<std::string>& lines, int& repeats) : lines(lines), repeats(repeats) {}
    void RepeatView() override { ++repeats; }
    void Echo(const std::string& line) override { lines.push_back(line); }
    std::vector<std::string>& lines;
    int& repeats;
};

class UpdateLinkTest : public testing::Test {
protected:
    void SetUp() override {
        ResetConfigValues();
        ResetViewSettings();
        gUpdateDays = 10;
        gUpdateFiles.Flush();
        UpdateFileRecord f("TEST.HY4");
        f.minMagnitude = 4.5;
        f.south = -10;
        f.north = 20.25;
        f.west = 100;
        f.east = 160;
        gUpdateFiles.Add(f);
        gEventFileName = "TEST.HY4";
        hl::VirtualClock().SetUtc({2014, 8, 26, 12, 0, 0, 0});
        hl::SetSocketPollLimit(20);
        owner = new ui::Window(nullptr);
        ASSERT_TRUE(owner->Create());
        old = {Quake(2014, 8, 1, 0, 0), Quake(2014, 8, 10, 0, 0), Quake(2014, 8, 14, 12, 0), Quake(2014, 8, 16, 1, 0),
               Quake(2014, 8, 25, 10, 0)};
        std::FILE* out = std::fopen("TEST.HY4", "wb");
        for (const QuakeRecord& q : old) ASSERT_TRUE(WriteQuakeRecord(out, q));
        std::fclose(out);
        oldBytes = TempDir::Read("TEST.HY4");
    }
    void TearDown() override {
        CloseQuakeCatalogue();
        delete owner;
        ResetConfigValues();
        ResetViewSettings();
    }
    std::vector<QuakeRecord> Catalogue(const std::string& name) { return ReadCatalogueFile(name); }
    bool Shown(const std::string& text) const {
        for (const std::string& l : lines)
            if (l.size() >= 10 && l.substr(10) == text) return true;
        return false;
    }
    void Serve(LocalLinkServer& server) {
        ASSERT_TRUE(server.running());
        gUpdateServer = "127.0.0.1";
        gUpdatePort = static_cast<unsigned>(server.port());
    }

    TempDir dir;
    ui::Window* owner = nullptr;
    std::vector<std::string> lines;
    int repeats = 0;
    RecordedProgress progress{lines, repeats};
    std::vector<QuakeRecord> old;
    std::string oldBytes;
};

const std::vector<std::vector<std::string>> kData = {
    {"2014/8/16 1:00:00.0 38.5N 142.25E 10.0 5.0", "not an earthquake line at all"},
    // The last line is older than what is stored: skipped, so the catalogue stays in time order.
    {"2014/08/25 22:54:46.7 38.2N 122.3W 11.3 6.0", "2014/8/15 11:00:00.0 1.0S 1.0W 5.0 4.0"},
};

}  // namespace

TEST(UpdateFrames, CommandFraming) {
    struct Case {
        const char* command;
        const char* payload;
        const char* frame;
    } cases[] = {
        {"MINMAG", "4.5", "\x02MINMAG   4.5\x03"},
        {"STARTDATE", "2014/08/15", "\x02STARTDATE2014/08/15\x03"},
        {"GET", "", "\x02GET      \x03"},
        {"TOOLONGCOMMAND", "x", "\x02TOOLONGCOx\x03"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const std::string frame = FrameCommand(c.command, c.payload);
        EXPECT_EQ(frame, c.frame);
        EXPECT_EQ(frame.size(), 11 + std::strlen(c.payload));
    }
    EXPECT_EQ(SocketErrorText(ETIMEDOUT), "Socket Timeout");
    EXPECT_EQ(SocketErrorText(ECONNREFUSED), "Socket connection refused");
    EXPECT_EQ(SocketErrorText(EIO), "Socket error");
}

TEST(UpdateProgress, LinesAreStampedCappedAndScrolled) {
    hl::VirtualClock().SetUtc({2014, 8, 26, 7, 5, 9, 500});
    auto* owner = new ui::Window(nullptr);
    ASSERT_TRUE(owner->Create());
    UpdateLink link("", 0, owner);
    ASSERT_TRUE(link.OpenWindow());
    updateWindow* w = link.dialog();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->caption(), "Update");
    w->Message("Update file %s.", "WORLD.HY4");
    ASSERT_EQ(w->list()->count(), 1);
    EXPECT_EQ(w->list()->String(0), "07:05:09: Update file WORLD.HY4.");
    EXPECT_EQ(w->list()->topIndex(), 0);

    // The web update's progress lines reach the same window.
    for (int i = 2; i <= 40; ++i) link.ProgressLine("line " + std::to_string(i));
    EXPECT_EQ(w->list()->count(), kUpdateListMaxLines);
    EXPECT_EQ(w->list()->String(0), "07:05:09: line 9");
    EXPECT_EQ(w->list()->String(31), "07:05:09: line 40");
    EXPECT_EQ(w->list()->topIndex(), 32 - 8);
    // The newest line whole on the last row the list's height holds, for the
    // headless rows and for the toolkit's taller ones.
    for (int rowHeight : {13, 25, 40}) {
        SCOPED_TRACE(rowHeight);
        w->list()->SetItemHeight(rowHeight);
        link.ProgressLine("line");
        const int rows = w->list()->rect().height() / rowHeight;
        EXPECT_GE(rows, 4);
        EXPECT_EQ(w->list()->topIndex(), kUpdateListMaxLines - std::min(rows, kUpdateListShownLines));
    }

    // The close box hides the window; the link still holds it.
    hl::CloseBox(*w);
    EXPECT_EQ(link.dialog(), w);
    EXPECT_FALSE(w->visible());
    link.Close();
    EXPECT_EQ(link.dialog(), nullptr);
    link.ProgressLine("after the window");  // dropped, no crash
    delete owner;
}

// Closing the link takes the window along, but for one whose last step
// failed: that stays, whatever time passes, until the user closes it.
TEST(UpdateProgress, AFailedStepKeepsTheWindowUntilTheUserClosesIt) {
    const struct {
        std::vector<std::string> lines;
        bool kept;
    } cases[] = {
        {{"Fetch events...", "Done"}, false},
        {{"Fetch events...", "Problem: Could not connect"}, true},
        {{"Update file TEST.HY4.", "Problem.  Shutting down link."}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines.back());
        auto* owner = new ui::Window(nullptr);
        ASSERT_TRUE(owner->Create());
        auto window = [owner] { return ChildOfType<updateWindow>(*owner); };
        {
            UpdateLink link("", 0, owner);
            ASSERT_TRUE(link.OpenWindow());
            for (const std::string& l : c.lines) link.dialog()->MessageText(l);
            link.Close();
        }
        hl::Advance(60000);
        DelayPumping(0);
        updateWindow* w = window();
        EXPECT_EQ(w != nullptr, c.kept);
        if (w) {
            EXPECT_TRUE(w->visible());
            hl::CloseBox(*w);
            DelayPumping(0);
            EXPECT_EQ(window(), nullptr);
        }
        delete owner;
    }
}

TEST_F(UpdateLinkTest, RebuildsTheCatalogueFromTheServersLines) {
    for (const char* mode : {"normal", "split"}) {
        SCOPED_TRACE(mode);
        lines.clear();
        hl::VirtualClock().SetUtc({2014, 8, 26, 12, 0, 0, 0});
        std::filesystem::remove("TEST.hyt");
        TempDir::Write("TEST.HY4", oldBytes);
        LocalLinkServer server(mode, "GET", kData);
        Serve(server);
        EXPECT_EQ(UpdateFromServer(owner, progress), 0);

        const std::vector<std::string> names = {"MINMAG", "MINLAT", "MAXLON", "MINLON", "MAXLAT", "STARTDATE",
                                                "GET",    "OKAY",   "OKAY",   "OKAY",   "DONE"};
        EXPECT_EQ(server.Names(), names);
        const auto commands = server.Commands();
        ASSERT_GE(commands.size(), 7u);
        EXPECT_EQ(commands[0].payload, "4.5");
        EXPECT_EQ(commands[0].frameLength, 14);
        EXPECT_EQ(commands[1].payload, "-10");
        EXPECT_EQ(commands[2].payload, "160");
        EXPECT_EQ(commands[3].payload, "100");
        EXPECT_EQ(commands[4].payload, "20.25");
        EXPECT_EQ(commands[5].payload, "2014/08/15");

        // Kept before 2014-08-15 10:00, then what the server sent, once each.
        const std::vector<QuakeRecord> now = Catalogue("TEST.HY4");
        ASSERT_EQ(now.size(), 5u);
        for (int i = 0; i < 4; ++i) EXPECT_TRUE(Same(now[i], old[i])) << i;
        QuakeRecord expected;
        ASSERT_TRUE(ParseQuakeLine("2014/08/25 22:54:46.7 38.2N 122.3W 11.3 6.0", &expected));
        EXPECT_TRUE(Same(now[4], expected));
        EXPECT_EQ(TempDir::Read("TEST.hyt"), oldBytes);
        EXPECT_FALSE(std::filesystem::exists("temptemp.hy4"));
        EXPECT_NE(gQuakeCatalogue, nullptr);

        // Every line starts with the virtual UTC time of day.
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), "12:00:00: Socket connection initiated.  Waiting for completion.");
        const std::regex stamp("^\\d\\d:\\d\\d:\\d\\d: .*");
        for (const std::string& l : lines) EXPECT_TRUE(std::regex_match(l, stamp)) << l;
        EXPECT_TRUE(Shown("Connection complete!!"));
        EXPECT_TRUE(Shown("Update file TEST.HY4."));
        EXPECT_TRUE(Shown("Receive new data starting at 2014/08/15"));
        EXPECT_TRUE(Shown("2014/8/16  ... not an ear"));
        EXPECT_TRUE(Shown("Done"));  // the server then hangs up, which the window shows too
        CloseQuakeCatalogue();
    }
    EXPECT_EQ(repeats, 2);
}

TEST_F(UpdateLinkTest, EmptyDataReplyAndHostWithPort) {
    LocalLinkServer server("normal", "GET", {});
    ASSERT_TRUE(server.running());
    gUpdateServer = "localhost:" + std::to_string(server.port());
    gUpdatePort = 1;  // the port in the name wins
    // Nothing after the start date, where two records are stored: that
    // answer would erode the catalogue, so the update fails and keeps it.
    EXPECT_EQ(UpdateFromServer(owner, progress), 1);
    const std::vector<std::string> names = server.Names();
    ASSERT_GE(names.size(), 2u);
    const std::vector<std::string> tail(names.end() - 2, names.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"GET", "OKAY"}));
    EXPECT_EQ(TempDir::Read("TEST.HY4"), oldBytes);
    EXPECT_FALSE(std::filesystem::exists("TEST.hyt"));
    EXPECT_FALSE(std::filesystem::exists("temptemp.hy4"));
}

TEST_F(UpdateLinkTest, EveryFailureLeavesTheOldCatalogue) {
    struct Case {
        const char* mode;
        const char* at;
        int pollLimitMs;  // real time per 100 ms of virtual waiting
        const char* shown;
    } cases[] = {
        {"stall", "MINMAG", 5, nullptr},           // no answer in 30 s
        {"close", "MINLAT", 20, "Connection closed by the server."},
        {"close", "GET", 20, "Connection closed by the server."},
        {"garbage", "STARTDATE", 5, nullptr},      // no framed reply in 10 s
        {"stall", "OKAY", 5, nullptr},             // the data stops half way
        {"overflow", "GET", 5, "Problem in buffer. nchar: 10239"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " at " + c.at);
        lines.clear();
        hl::SetSocketPollLimit(c.pollLimitMs);
        LocalLinkServer server(c.mode, c.at, kData);
        Serve(server);
        EXPECT_EQ(UpdateFromServer(owner, progress), 1);
        EXPECT_EQ(TempDir::Read("TEST.HY4"), oldBytes);
        EXPECT_FALSE(std::filesystem::exists("TEST.hyt"));
        EXPECT_FALSE(std::filesystem::exists("temptemp.hy4"));
        EXPECT_EQ(lines.back().substr(10), "Problem.  Shutting down link.");
        if (c.shown) {
            EXPECT_TRUE(Shown(c.shown));
        }
        const auto names = server.Names();
        EXPECT_EQ(std::count(names.begin(), names.end(), "DONE"), 0);
        EXPECT_NE(gQuakeCatalogue, nullptr);
        CloseQuakeCatalogue();
    }
}

TEST_F(UpdateLinkTest, RefusedMissingAndUnset) {
    // Nothing listens.
    gUpdateServer = "127.0.0.1";
    gUpdatePort = static_cast<unsigned>(PeerProcess::ClosedPort());
    EXPECT_EQ(UpdateFromServer(owner, progress), 1);
    EXPECT_TRUE(Shown("Connection refused.  Closing socket."));
    ASSERT_FALSE(hl::MessageBoxCalls().empty());
    EXPECT_EQ(hl::MessageBoxCalls().front().text, "WmSocketMsg error.  Closing socket");
    EXPECT_EQ(hl::MessageBoxCalls().front().caption, "WinSock error");
    EXPECT_EQ(lines.back().substr(10), "Problem.  Shutting down link.");
    EXPECT_EQ(TempDir::Read("TEST.HY4"), oldBytes);
    EXPECT_NE(gQuakeCatalogue, nullptr);
    CloseQuakeCatalogue();

    // The catalogue is missing: no DONE.
    std::filesystem::rename("TEST.HY4", "ELSEWHERE.HY4");
    lines.clear();
    LocalLinkServer server("normal", "GET", kData);
    Serve(server);
    EXPECT_EQ(UpdateFromServer(owner, progress), 1);
    EXPECT_TRUE(Shown("Can't find file TEST.HY4"));
    const auto names = server.Names();
    EXPECT_EQ(std::count(names.begin(), names.end(), "DONE"), 0);

    // A host that begins with a digit must be a dotted address.
    lines.clear();
    gUpdateServer = "1.2.3";
    gUpdatePort = 4000;
    EXPECT_EQ(UpdateFromServer(owner, progress), 1);
    EXPECT_TRUE(Shown("Open: inet_addr failed.  Exiting."));
    ASSERT_GE(hl::MessageBoxCalls().size(), 2u);
    EXPECT_EQ(hl::MessageBoxCalls().back().text, "Problem opening socket");

    // No server configured.
    gUpdateServer.clear();
    EXPECT_EQ(UpdateFromServer(owner, progress), 1);
    ASSERT_FALSE(hl::MessageBoxCalls().empty());
    EXPECT_EQ(hl::MessageBoxCalls().back().text, "IP Address or TCP/IP port not defined");
    EXPECT_EQ(hl::MessageBoxCalls().back().caption, "Error");
}

// A server that stops answering: the window's Cancel, or the program's end,
// ends the update at once, long before the reply's wait, and the catalogue
// stays as it was.
TEST_F(UpdateLinkTest, ACancelEndsAStalledUpdateAtOnce) {
    struct Case {
        const char* at;
        bool button;  // the window's Cancel; else the program's end
        int waitSeconds;
    } cases[] = {
        {"MINMAG", true, 30},
        {"OKAY", false, 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at);
        lines.clear();
        repeats = 0;
        hl::SetSocketPollLimit(5);
        LocalLinkServer server("stall", c.at, kData);
        Serve(server);
        testsupport::StepTimer timer;
        ASSERT_TRUE(timer.SetTimer(3, 1000));
        std::string lastShown;
        timer.onTick = [&](int tick) {
            if (tick != 4) return;  // past the link's 2-s wait, inside a reply's wait
            updateWindow* w = ChildOfType<updateWindow>(*owner);
            ASSERT_NE(w, nullptr);
            if (c.button) w->SendCommand(kUpdateWindowCancel);
            else CancelUpdates();
            lastShown = w->list()->String(w->list()->count() - 1);
        };
        const std::uint32_t start = hl::VirtualClock().TickCount();
        EXPECT_EQ(UpdateFromServer(owner, progress), 1);
        EXPECT_LT(hl::VirtualClock().TickCount() - start, static_cast<std::uint32_t>(c.waitSeconds * 1000));
        EXPECT_EQ(timer.ticks, 4);  // nothing waited after the cancel
        if (c.button) {
            EXPECT_EQ(lastShown.substr(10), "Cancel: the update stops");
        }
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back().substr(10), "Cancelled");
        EXPECT_EQ(ChildOfType<updateWindow>(*owner), nullptr);  // nothing failed that the user must read
        EXPECT_EQ(TempDir::Read("TEST.HY4"), oldBytes);
        EXPECT_FALSE(std::filesystem::exists("TEST.hyt"));
        EXPECT_FALSE(std::filesystem::exists("temptemp.hy4"));
        EXPECT_EQ(repeats, 1);  // the view is shown again with its catalogue
        EXPECT_NE(gQuakeCatalogue, nullptr);
        CloseQuakeCatalogue();
    }
}
