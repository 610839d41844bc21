#include "net/alert_feed_state.h"

std::int32_t gAlertPauseLeft = 0;
std::vector<std::string> gFeedLines;
