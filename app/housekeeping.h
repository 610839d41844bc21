#pragma once
// The one-second housekeeping of the main frame (timer 5) and the state it
// keeps. The network code installs the alert step, the feed request and the
// socket start; without them those steps do nothing.
#include <cstdint>
#include <functional>
#include <string>

class childMap;

// Installed by the network code at start-up.
extern std::function<bool(childMap& pane)> gAlertStep;  // one alert step; true: open gWorldViewName
extern std::function<int(const std::string& url, const std::string& outFile)> gFeedRequest;  // 0 = success
extern std::function<bool(bool start, bool report)> gStartSockets;  // true when the link can run

// The frame's own part of the housekeeping.
struct HousekeepingState {
    bool running = false;  // a tick is under way: a command it sent may pump messages
};
