#pragma once
// The application's tests stand in for the network library: each step runs
// what the test set, or answers as a program without a network would.
#include <functional>
#include <string>

#include "app/network_link.h"

namespace testsupport {

class TestNetworkLink : public NetworkLink {
public:
    std::function<int(myFrame&, bool interactive)> webUpdate;
    std::function<int(myFrame&)> serverUpdate;
    std::function<int(const std::string& url, const std::string& outFile)> feed;
    std::function<bool(bool start, bool report)> sockets;
    std::function<bool(childMap&)> alertStep;
    std::function<void(childMap&, const QuakeRecord&)> alertView;

    int UpdateFromWebService(myFrame& f, bool interactive) override { return webUpdate ? webUpdate(f, interactive) : 1; }
    int UpdateFromServer(myFrame& f) override { return serverUpdate ? serverUpdate(f) : 1; }
    int RequestFeed(const std::string& url, const std::string& outFile) override { return feed ? feed(url, outFile) : 1; }
    bool StartSockets(bool start, bool report) override { return sockets && sockets(start, report); }
    bool AlertStep(childMap& pane) override { return alertStep && alertStep(pane); }
    void BuildAlertView(childMap& pane, const QuakeRecord& record) override {
        if (alertView) alertView(pane, record);
    }
};

// Installed for the guard's lifetime.
class ScopedNetworkLink {
public:
    explicit ScopedNetworkLink(NetworkLink& link) { InstallNetworkLink(&link); }
    ~ScopedNetworkLink() { InstallNetworkLink(nullptr); }
    ScopedNetworkLink(const ScopedNetworkLink&) = delete;
    ScopedNetworkLink& operator=(const ScopedNetworkLink&) = delete;
};

}  // namespace testsupport
