// The program's start-up wiring: every step that reaches up into the network
// library finds its code there, and none reports itself missing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/network_link.h"
#include "core/missing_seam.h"
#include "map/child_map.h"
#include "net/network_wiring.h"

TEST(NetworkWiring, InstallsEveryUpwardStepThisLibraryBuilds) {
    std::vector<std::string> missing;
    SetMissingSeamHandler([&](const std::string& step) { missing.push_back(step); });
    InstallNetworkLink(nullptr);
    InstallMapPaneSeams(nullptr);
    EXPECT_EQ(NetworkLinkFor("before the wiring"), nullptr);

    InstallNetworkWiring();
    for (const char* step : {"catalogue update", "update-server link", "event feed", "alert step"})
        EXPECT_NE(dynamic_cast<ProgramNetworkLink*>(NetworkLinkFor(step)), nullptr) << step;
    EXPECT_NE(dynamic_cast<AppPaneSeams*>(&PaneSeams()), nullptr);
    EXPECT_EQ(missing, std::vector<std::string>{"before the wiring"});

    SetMissingSeamHandler(nullptr);
    InstallNetworkLink(nullptr);
    InstallMapPaneSeams(nullptr);
}
