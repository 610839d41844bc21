#include "net/network_wiring.h"

#include <cstdlib>

#include "app/frame.h"
#include "app/housekeeping.h"
#include "core/catalogue_rebuild.h"
#include "core/helpers.h"
#include "net/alert.h"
#include "net/alert_view.h"
#include "net/http.h"
#include "net/update_link.h"
#include "net/web_update.h"
#include "platform/ui/ui.h"

namespace {

constexpr int kCmRepeat = 150;

// A frame that is closing (the program's end came during the update) shows nothing more.
void ReopenView(myFrame& frame) {
    if (!frame.destroying()) frame.SendCommand(kCmRepeat);
}

void DefaultBeep() { platform::ui::Beep(platform::ui::BeepKind::Default); }

// The web update's lines go to the update link's window; without it the
// update still runs and its lines go to the debug log.
class WebUpdateInWindow : public WebUpdateProgress {
public:
    WebUpdateInWindow(myFrame& frame, UpdateLink& link, bool window) : frame_(frame), link_(link), window_(window) {}
    void Message(const std::string& line) override {
        if (window_)
            link_.ProgressLine(line);
        else
            DebugLog("%s", line.c_str());
    }
    void RepeatView() override { ReopenView(frame_); }
    void Wait(int ms) override { link_.Delay(ms); }
    void Beep() override { DefaultBeep(); }
    bool Cancelled() const override { return link_.cancelled(); }

private:
    myFrame& frame_;
    UpdateLink& link_;
    bool window_;
};

int RunWebUpdate(myFrame& frame, bool interactive) {
    if (CatalogueUpdateHold::Taken()) {
        DebugLog("An update is under way: this one is refused");
        return 1;
    }
    UpdateLink link("", 0, &frame);
    WebUpdateInWindow progress(frame, link, link.OpenWindow());
    int result = UpdateFromWebService(interactive, progress);
    link.Close();
    return result;
}

class ServerUpdateInWindow : public ServerUpdateProgress {
public:
    explicit ServerUpdateInWindow(myFrame& frame) : frame_(frame) {}
    void RepeatView() override { ReopenView(frame_); }
    void Beep() override { DefaultBeep(); }

private:
    myFrame& frame_;
};

int RunServerUpdate(myFrame& frame) {
    ServerUpdateInWindow progress(frame);
    return UpdateFromServer(&frame, progress);
}

// Only a whole 2xx answer is a feed: an error page of any status is refused here.
int FeedResult(int request, const HttpResult& result) {
    if (request != 0) return 1;
    if (result.status < 200 || result.status > 299) {
        DebugLog("Event feed answered with status %ld.", result.status);
        return 1;
    }
    return 0;
}

int FetchFeed(const std::string& url, const std::string& outFile) {
    HttpResult result;
    const int request = HttpRequest("GET ", url.c_str(), "", "", "", outFile.c_str(), &result, kFeedHttpLimits);
    return FeedResult(request, result);
}

// The feed's transfer runs on its own from the start; nothing waits for it.
class BackgroundFeed : public FeedRequest {
public:
    BackgroundFeed(const std::string& url, const std::string& outFile)
        : transfer_("GET ", url.c_str(), "", "", "", outFile.c_str(), kFeedHttpLimits) {}
    bool Done() override { return transfer_.Done(); }
    int Result() override {
        HttpResult result;
        const int request = transfer_.Finish(&result);
        return FeedResult(request, result);
    }

private:
    HttpTransfer transfer_;
};

}  // namespace

int ProgramNetworkLink::UpdateFromWebService(myFrame& frame, bool interactive) {
    return RunWebUpdate(frame, interactive);
}
int ProgramNetworkLink::UpdateFromServer(myFrame& frame) { return RunServerUpdate(frame); }
int ProgramNetworkLink::RequestFeed(const std::string& url, const std::string& outFile) {
    return FetchFeed(url, outFile);
}
std::unique_ptr<FeedRequest> ProgramNetworkLink::StartFeed(const std::string& url, const std::string& outFile) {
    return std::make_unique<BackgroundFeed>(url, outFile);
}
void ProgramNetworkLink::CancelTransfers() { CancelUpdates(); }
bool ProgramNetworkLink::StartSockets(bool start, bool report) { return StartWinsock(start, report); }
bool ProgramNetworkLink::AlertStep(childMap& pane) { return ProcessAlertEvent(pane); }

void ProgramNetworkLink::BuildAlertView(childMap& pane, const QuakeRecord& record) { ::BuildAlertView(pane, record); }

void InstallNetworkWiring() {
    static ProgramNetworkLink link;
    InstallNetworkLink(&link);
    InstallEventStepping();
    // While a transfer runs, the windows paint and the replay goes on.
    SetTransferPump([] {
        platform::ui::Message msg;
        while (platform::ui::PeekMessage(msg)) platform::ui::DispatchMessage(msg);
        platform::ui::WaitForMessage(20);
    });
    gEventServiceAddress = EventServiceAddress(std::getenv(kEventServiceVariable));
    if (gEventServiceAddress != kDefaultEventServiceAddress)
        DebugLog("Event service: %s", gEventServiceAddress.c_str());
}
