// Timer 5 of the main frame.
#include "app/housekeeping.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>

#include "app/catalogue_editor.h"
#include "app/control_panel.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/layout.h"
#include "app/menus.h"
#include "app/network_link.h"
#include "app/view_list.h"
#include "app/view_open.h"
#include "core/config.h"
#include "core/helpers.h"
#include "map/child_map.h"
#include "platform/sys/files.h"

namespace {

// Marks a tick as under way for as long as it runs.
class TickGuard {
public:
    explicit TickGuard(bool& running) : running_(running) { running_ = true; }
    ~TickGuard() { running_ = false; }
    TickGuard(const TickGuard&) = delete;
    TickGuard& operator=(const TickGuard&) = delete;

private:
    bool& running_;
};

}  // namespace

void myFrame::HousekeepingTick() {
    // A command sent from a tick may pump messages; a tick arriving then waits for the next second.
    if (housekeeping_.running) return;
    TickGuard guard(housekeeping_.running);
    // The catalogue editor has the catalogue: no view, update or alert meanwhile.
    if (editEvtDialog::Open()) return;

    // While no view is shown the tick only counts INIT TIMEOUT down, then opens "WORLD".
    if (!layout_ || !layout_->visible()) {
        if (ScreenLeadsTheInitTimeout()) {
            initTimeoutCountdown_ = static_cast<std::int32_t>(gInitTimeout);
            return;
        }
        if (gInitTimeout != 0 && --initTimeoutCountdown_ <= 0) {
            currentViewName_ = "WORLD";
            OpenView(currentViewName_.c_str());
            initTimeoutCountdown_ = static_cast<std::int32_t>(gInitTimeout);
        }
        return;
    }

    if (gControls[kControlQmxLegend] && gAliveLimitSeconds != 0) {
        const AliveDraw draw = AliveTest(gAliveLimitSeconds);
        if (childControl* panel = layout_->control()) {
            if (draw.warning) {
                panel->DrawAliveWarning(draw.phase);
                panel->DrawAliveBlink(false);
            } else {
                if (draw.repaint) panel->Invalidate();
                panel->DrawAliveBlink(draw.phase);
            }
        }
    }

    if (gPendingOpenView) {
        gPendingOpenView = false;
        currentViewName_ = gWorldViewName;
        OpenView(currentViewName_.c_str());
        return;
    }

    if (gScheduleUpdates) {
        const platform::CivilTime now = platform::Clock().UtcNow();
        if (ScheduledUpdateDue(now, gUpdateHour, gUpdateMinute, gScheduleLastRun)) {
            // Recorded first: a link that cannot start skips the day.
            gScheduleLastRun = {now.year, now.month, now.day};
            NetworkLink* net = NetworkLinkFor("update-server link");
            if (net && net->StartSockets(true, false)) SendCommand(kCmScheduledUpdate);
        }
    }

    if (gAlertPauseLeft < 0) gAlertPauseLeft = 0;
    if (gAlertPauseLeft != 0 && --gAlertPauseLeft == 0 && layout_ && layout_->control())
        layout_->control()->SendCommand(kCmZoomToEarthquake);

    if (pauseAtEndCountdown_ != 0 && --pauseAtEndCountdown_ == 0) {
        if (gPaused) return;
        CloseInfoWindows();
        StopAnimationTimer();
        if (gRunScript) {
            // An empty list of views: the same view starts again.
            if (!OpenNextScriptView()) OpenView(nullptr);
        } else if (gExitWhenDone) {
            SendCommand(kCmExit);
            return;
        } else if (gControls[kControlDoviredezur]) {
            myFrame* target = gMainFrame ? gMainFrame : this;
            target->SendCommand(kCmStartScreen);
            return;
        } else {
            OpenView(nullptr);
        }
    }

    if (inactivityCountdown_ != 0 && --inactivityCountdown_ == 0) {
        if (gPaused || inactive_) {
            CmPlay();
            if (gInactivePopup) inactivityCountdown_ = CountdownSeconds(gTimeout);
        } else if (gInactivePopup) {
            if (gExitWhenDone) {
                gCanClose = true;
                SendCommand(kCmExit);
                return;
            }
            if (gRestartWhenTimeout) {
                SendCommand(kCmStartScreen);
                return;
            }
            if (layout_) layout_->map().window().SendCommand(kCmTimeoutText);
        } else {
            CmPlay();
        }
    }

    // Stopped around the alert step and the feed, whose commands may pump messages.
    KillTimer(kHousekeepingTimer);
    if (childMap* pane = layout_ ? layout_->mapPane() : nullptr) {
        if (NetworkLink* net = NetworkLinkFor("alert step")) gPendingOpenView = net->AlertStep(*pane);
    }

    // The feed is fetched beside the loop, so the replay never waits for it; an
    // answer that has come is taken here, where the poll would have taken it.
    std::unique_ptr<FeedRequest>& feed = housekeeping_.feed;
    if (feed && feed->Done()) {
        TakeEventFeed(feed->Result(), housekeeping_.feedFile);
        feed.reset();
    }
    const int every = std::max(gAlertSeconds, 2);
    if (gPollCounter % every == 0) {
        if (!gAlertPollDirectory.empty()) PollAlertDirectory(gAlertPollDirectory);
        // One poll at a time: a feed still on its way keeps its place.
        if (gFeedLines.empty() && !feed) {
            if (NetworkLink* net = NetworkLinkFor("event feed")) {
                housekeeping_.feedFile = SettledFeedFile();
                feed = net->StartFeed(gAlertEventsUrl, housekeeping_.feedFile);
            }
            if (feed && feed->Done()) {
                TakeEventFeed(feed->Result(), housekeeping_.feedFile);
                feed.reset();
            }
        }
    }
    gPollCounter = gPollCounter == INT32_MAX ? 1 : gPollCounter + 1;

    if (layout_ && gControls[kControlShowInformationButton]) {
        if (childMap* pane = layout_->mapPane()) PaneSeams().InformationButton(*pane);
    }
    SetTimer(kHousekeepingTimer, kHousekeepingMs);
}
