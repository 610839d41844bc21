// Timer 5 of the main frame.
#include "app/housekeeping.h"

#include "app/frame.h"
#include "app/layout.h"
#include "core/config.h"

std::function<bool(childMap& pane)> gAlertStep;
std::function<int(const std::string& url, const std::string& outFile)> gFeedRequest;
std::function<bool(bool start, bool report)> gStartSockets;

void myFrame::HousekeepingTick() {
    // While no view is shown the tick only counts INIT TIMEOUT down, then opens "WORLD".
    if (!layout_ || !layout_->visible()) {
        if (gInitTimeout != 0 && --initTimeoutCountdown_ <= 0) {
            currentViewName_ = "WORLD";
            OpenView(currentViewName_.c_str());
            initTimeoutCountdown_ = static_cast<std::int32_t>(gInitTimeout);
        }
    }
}
