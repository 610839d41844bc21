#include "app/network_link.h"

#include "core/missing_seam.h"

namespace {

NetworkLink* gNetworkLink = nullptr;

class ImmediateFeed : public FeedRequest {
public:
    explicit ImmediateFeed(int result) : result_(result) {}
    bool Done() override { return true; }
    int Result() override { return result_; }

private:
    int result_;
};

}  // namespace

std::unique_ptr<FeedRequest> NetworkLink::StartFeed(const std::string& url, const std::string& outFile) {
    return std::make_unique<ImmediateFeed>(RequestFeed(url, outFile));
}

void InstallNetworkLink(NetworkLink* link) { gNetworkLink = link; }

NetworkLink* NetworkLinkFor(const char* step) {
    if (!gNetworkLink) ReportMissingSeam(step);
    return gNetworkLink;
}

NetworkLink* InstalledNetworkLink() { return gNetworkLink; }
