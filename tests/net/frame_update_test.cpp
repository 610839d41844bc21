#include <gtest/gtest.h>

#include <csignal>

#include <algorithm>
#include <string>
#include <vector>

#include "core/catalogue_rebuild.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/window_helpers.h"
#include "net/network_wiring.h"
#include "net/update_link.h"
#include "net/update_window.h"
#include "net/web_update.h"
#include "platform/sys/files.h"
#include "tests/app/app_fixture.h"
#include "tests/fixtures/http/local_server.h"
#include "tests/support/catalogue_file.h"
#include "tests/support/step_timer.h"

namespace hl = platform::headless;

namespace {

class FrameUpdate : public apptest::AppTest {
protected:
    FrameUpdate() {
        InstallNetworkWiring();
        ResetViewSettings();
        gUpdateDays = 10;
        gUpdateFiles.Flush();
        gUpdateFiles.Add(UpdateFileRecord("WORLD.HY4"));
        hl::VirtualClock().SetUtc({2014, 9, 20, 0, 0, 0, 0});
    }
    ~FrameUpdate() override {
        CloseQuakeCatalogue();
        InstallNetworkLink(nullptr);
        gEventServiceAddress = kDefaultEventServiceAddress;
        ResetViewSettings();
    }
    // The catalogue the update would change: one event, a little before the update's days.
    static bool WriteCatalogue() {
        return WriteQuakeFile("WORLD.HY4", {MakeEventRecord(nullptr, 2014, 8, 25, 12, 0, 0, 38.5, 142.25, 10, 5.3)});
    }
};

using testsupport::ChildOfType;
using testsupport::StepTimer;

std::vector<std::string> Shown(const updateWindow& w) {
    std::vector<std::string> lines;
    for (int i = 0; i < w.list()->count(); ++i) lines.push_back(w.list()->String(i).substr(10));
    return lines;
}

// The event service that takes the query and never answers.
class StalledService {
public:
    StalledService() {
        TempDir::Write("answers/index.txt", "/fdsnws/event/1/query 200 text/csv none.csv stall\n");
        TempDir::Write("answers/none.csv", "");
        server_ = std::make_unique<LocalHttpServer>(LocalHttpServer::Transport::kPlain,
                                                    std::filesystem::current_path().string() + "/answers");
        gEventServiceAddress = "http://" + server_->host() + "/";
    }
    LocalHttpServer& server() { return *server_; }

private:
    std::unique_ptr<LocalHttpServer> server_;
};

// A frame over the catalogue, started with the stalled service as the event service.
class StalledFrameUpdate : public FrameUpdate {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteCatalogue());
        before_ = TempDir::Read("WORLD.HY4");
        ASSERT_TRUE(service_.server().running());
        frame_ = Start();
        ASSERT_NE(frame_, nullptr);
    }
    std::string before_;
    StalledService service_;
    myFrame* frame_ = nullptr;
};

}  // namespace

// The window shows the update's steps while the service keeps it waiting,
// the program goes on meanwhile, and Cancel ends the update at once with the
// catalogue kept byte for byte.
TEST_F(StalledFrameUpdate, CancelInTheUpdateWindowEndsAStalledUpdateAndKeepsTheCatalogue) {
    StepTimer timer;
    ASSERT_TRUE(timer.SetTimer(3, 250));
    std::vector<std::string> shown;
    timer.onTick = [&](int tick) {
        if (tick != 4) return;
        updateWindow* w = ChildOfType<updateWindow>(*frame_);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->visible());
        EXPECT_NE(w->control(kUpdateWindowCancel), nullptr);
        w->SendCommand(kUpdateWindowCancel);
        shown = Shown(*w);
    };
    EXPECT_TRUE(frame_->SendCommand(kCmUpdateHypocenters));
    EXPECT_EQ(timer.ticks, 4);
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown.front(), "Conta");
    EXPECT_EQ(shown[shown.size() - 2], "Fetch events from 2014-08-15 to 2014-09-14");
    EXPECT_EQ(shown.back(), "Cancel: the update stops");
    EXPECT_EQ(ChildOfType<updateWindow>(*frame_), nullptr);  // closed with the update

    EXPECT_EQ(TempDir::Read("WORLD.HY4"), before_);
    EXPECT_FALSE(std::filesystem::exists("WORLD.hyt"));
    EXPECT_FALSE(std::filesystem::exists("temptemp.hy4"));
    EXPECT_EQ(service_.server().Requests().size(), 1u);  // no window after the cancel
    EXPECT_TRUE(apptest::Contains(apptest::DebugLines(), "Update cancelled"));
}

// The program's end during the update: the termination message goes through
// the loop that the transfer keeps running, the update ends at once, and the
// frame closes with the catalogue as it was.
TEST_F(StalledFrameUpdate, ATerminationSignalDuringAStalledUpdateEndsTheProgramAtOnce) {
    StepTimer timer;
    ASSERT_TRUE(timer.SetTimer(3, 250));
    timer.onTick = [&](int tick) {
        if (tick == 4) {
            ASSERT_EQ(::raise(SIGTERM), 0);
        }
    };
    frame_->SendCommand(kCmUpdateHypocenters);
    EXPECT_EQ(app_->mainWindow(), nullptr);  // the frame is gone
    EXPECT_LE(timer.ticks, 5);

    EXPECT_EQ(TempDir::Read("WORLD.HY4"), before_);
    EXPECT_FALSE(std::filesystem::exists("WORLD.hyt"));
    EXPECT_FALSE(std::filesystem::exists("temptemp.hy4"));
    EXPECT_EQ(service_.server().Requests().size(), 1u);
    const std::vector<std::string> debug = apptest::DebugLines();
    EXPECT_TRUE(apptest::Contains(debug, "Termination signal: Exit"));
    EXPECT_TRUE(apptest::Contains(debug, "Update cancelled"));
}

// Open List of Views while the update waits for the service: the item is
// greyed, and the command, sent all the same, is refused, so the list's folder
// never becomes current and the cancel's clean-up finds its files where they are.
TEST_F(StalledFrameUpdate, OpenListOfViewsIsRefusedWhileAnUpdateHoldsTheCatalogue) {
    TempDir::Write("tour/TOUR.VUS", "EAST\n");
    const std::string folder = platform::CurrentDir();
    myFrame* frame = frame_;
    EXPECT_TRUE(frame->QueryCommand(kCmOpenViewList).enabled());

    StepTimer timer;
    ASSERT_TRUE(timer.SetTimer(3, 250));
    bool enabledDuring = true;
    std::string folderAfter;
    timer.onTick = [&](int tick) {
        if (tick == 2) {
            enabledDuring = frame->QueryCommand(kCmOpenViewList).enabled();
            hl::ScriptFileDialogAnswer("tour/TOUR.VUS");
            frame->SendCommand(kCmOpenViewList);
            folderAfter = platform::CurrentDir();
        } else if (tick == 4) {
            if (updateWindow* w = ChildOfType<updateWindow>(*frame)) w->SendCommand(kUpdateWindowCancel);
        }
    };
    frame->SendCommand(kCmUpdateHypocenters);
    EXPECT_GE(timer.ticks, 4);
    EXPECT_FALSE(enabledDuring);
    EXPECT_EQ(folderAfter, folder);
    EXPECT_TRUE(hl::FileDialogCalls().empty());

    EXPECT_EQ(TempDir::Read(folder + "/WORLD.HY4"), before_);
    for (const std::string& in : {folder, folder + "/tour"}) {
        SCOPED_TRACE(in);
        EXPECT_FALSE(std::filesystem::exists(in + "/WORLD.hyt"));
        EXPECT_FALSE(std::filesystem::exists(in + "/temptemp.hy4"));
    }
    EXPECT_TRUE(frame->QueryCommand(kCmOpenViewList).enabled());  // the update is over
    ASSERT_FALSE(hl::MessageBoxCalls().empty());
    EXPECT_EQ(hl::MessageBoxCalls().back().text, kCatalogueBeingUpdatedText);
}

TEST_F(FrameUpdate, TheMenuCommandRunsTheUpdateAndKeepsTheCatalogueOnFailure) {
    ASSERT_TRUE(WriteCatalogue());
    const std::string before = TempDir::Read("WORLD.HY4");
    gEventServiceAddress = "http://127.0.0.1:" + std::to_string(LocalHttpServer::ClosedPort()) + "/";

    myFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    // The menu item waits for a view; the command runs whoever sends it.
    EXPECT_FALSE(frame->QueryCommand(kCmUpdateHypocenters).enabled());
    EXPECT_TRUE(frame->SendCommand(kCmUpdateHypocenters));

    EXPECT_EQ(TempDir::Read("WORLD.HY4"), before);
    EXPECT_FALSE(std::filesystem::exists("WORLD.hyt"));

    // The window keeps the reason on the screen until the user closes it.
    auto window = [frame] { return ChildOfType<updateWindow>(*frame); };
    updateWindow* w = window();
    ASSERT_NE(w, nullptr);
    ASSERT_GT(w->list()->count(), 0);
    EXPECT_NE(w->list()->String(w->list()->count() - 1).find(": Problem: "), std::string::npos);
    hl::Advance(60000);
    DelayPumping(0);
    ASSERT_EQ(window(), w);
    EXPECT_TRUE(w->visible());
    hl::CloseBox(*w);
    DelayPumping(0);
    EXPECT_EQ(window(), nullptr);
}

TEST_F(FrameUpdate, WithoutTheNetworkCodeTheFrameSaysSo) {
    InstallNetworkLink(nullptr);
    std::vector<std::string> missing;
    SetMissingSeamHandler([&](const std::string& step) { missing.push_back(step); });
    myFrame* frame = Start();
    EXPECT_EQ(frame->UpdateFromWebService(true), 1);
    EXPECT_EQ(missing, std::vector<std::string>{"catalogue update"});
}
