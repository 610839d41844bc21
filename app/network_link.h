#pragma once
// What the application asks of the network library, which sits above it. The
// program's wiring installs the one link at start-up; a step reached without
// it reports itself missing once and does nothing.
#include <memory>
#include <string>

class childMap;
class myFrame;
struct QuakeRecord;

// The event feed on its way, fetched beside the message loop.
class FeedRequest {
public:
    // A request still under way is cancelled; its output file stays as it was.
    virtual ~FeedRequest() = default;
    // The answer, or the failure, has come.
    virtual bool Done() = 0;
    // Once Done: 0 when the output file holds the feed, as RequestFeed returns.
    virtual int Result() = 0;
};

class NetworkLink {
public:
    virtual ~NetworkLink() = default;
    // The catalogue update from the web service, with its progress window; 0 on success.
    virtual int UpdateFromWebService(myFrame& frame, bool interactive) = 0;
    // The scheduled update through the update server.
    virtual int UpdateFromServer(myFrame& frame) = 0;
    // The event feed at url into outFile; 0 on success.
    virtual int RequestFeed(const std::string& url, const std::string& outFile) = 0;
    // The same request started beside the loop; by default made at once through RequestFeed.
    virtual std::unique_ptr<FeedRequest> StartFeed(const std::string& url, const std::string& outFile);
    // Ends at once every transfer and update under way (the program is ending).
    virtual void CancelTransfers() {}
    // True when the link can run.
    virtual bool StartSockets(bool start, bool report) = 0;
    // One alert step; true: open gWorldViewName.
    virtual bool AlertStep(childMap& pane) = 0;
    // The alert view of a catalogue record, which becomes the current view.
    virtual void BuildAlertView(childMap& pane, const QuakeRecord& record) = 0;
};

// nullptr takes the link out again.
void InstallNetworkLink(NetworkLink* link);
// The installed link; null, after one report naming step, when there is none.
NetworkLink* NetworkLinkFor(const char* step);
// The installed link or null, without a report: for steps that have nothing to do without one.
NetworkLink* InstalledNetworkLink();
