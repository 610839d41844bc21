#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/helpers.h"
#include "core/quake.h"
#include "core/view.h"
#include "net/network_wiring.h"
#include "net/update_link.h"
#include "net/update_window.h"
#include "net/web_update.h"
#include "tests/app/app_fixture.h"
#include "tests/fixtures/http/local_server.h"

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
};

}  // namespace

TEST_F(FrameUpdate, TheMenuCommandRunsTheUpdateAndKeepsTheCatalogueOnFailure) {
    std::FILE* f = std::fopen("WORLD.HY4", "wb");
    ASSERT_TRUE(WriteQuakeRecord(f, MakeEventRecord(nullptr, 2014, 8, 25, 12, 0, 0, 38.5, 142.25, 10, 5.3)));
    std::fclose(f);
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
    auto window = [frame]() -> updateWindow* {
        for (platform::ui::Window* c : frame->children())
            if (auto* w = dynamic_cast<updateWindow*>(c)) return w;
        return nullptr;
    };
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
