#pragma once
// State the housekeeping shares with the alert mode. Kept here until the
// housekeeping declares it; then this header and its source go.
#include <cstdint>
#include <string>
#include <vector>

extern std::int32_t gAlertPauseLeft;        // seconds until the zoom to the alert event
extern std::vector<std::string> gFeedLines;  // the fetched feed's lines, sorted; the alert step empties it
