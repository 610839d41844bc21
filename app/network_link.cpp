#include "app/network_link.h"

#include "core/missing_seam.h"

namespace {
NetworkLink* gNetworkLink = nullptr;
}  // namespace

void InstallNetworkLink(NetworkLink* link) { gNetworkLink = link; }

NetworkLink* NetworkLinkFor(const char* step) {
    if (!gNetworkLink) ReportMissingSeam(step);
    return gNetworkLink;
}
