#pragma once
// The program's start-up wiring of what reaches up into this library: the
// application's network link and the map pane's alert view builder.
#include <string>

#include "app/event_step.h"
#include "app/network_link.h"
#include "map/child_map.h"

// The link the program installs; tests derive from it to hold back one step.
class ProgramNetworkLink : public NetworkLink {
public:
    int UpdateFromWebService(myFrame& frame, bool interactive) override;
    int UpdateFromServer(myFrame& frame) override;
    int RequestFeed(const std::string& url, const std::string& outFile) override;
    std::unique_ptr<FeedRequest> StartFeed(const std::string& url, const std::string& outFile) override;
    void CancelTransfers() override;
    bool StartSockets(bool start, bool report) override;
    bool AlertStep(childMap& pane) override;
    void BuildAlertView(childMap& pane, const QuakeRecord& record) override;
};

// Installs both, once, and takes the event service address from the environment.
void InstallNetworkWiring();
