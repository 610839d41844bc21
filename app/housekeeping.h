#pragma once
// The one-second housekeeping of the main frame (timer 5) and the state it
// keeps. The network code installs the alert step, the feed request and the
// socket start; without them those steps do nothing.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/network_link.h"
#include "platform/sys/clock.h"

class childMap;
struct ViewListEntry;
template <class T>
class IndexedArray;

// The frame's own part of the housekeeping.
struct HousekeepingState {
    bool running = false;  // a tick is under way: a command it sent may pump messages
    // The feed on its way: its answer is taken by the first tick after it came,
    // and no other poll starts meanwhile. Cancelled with the frame.
    std::unique_ptr<FeedRequest> feed;
    std::string feedFile;  // where that feed is written, settled when it started
};

// A UTC calendar date; all zero before the first scheduled update.
struct UtcDate {
    int year = 0, month = 0, day = 0;
    bool operator==(const UtcDate&) const = default;
};

inline constexpr const char* kFeedFile = "USGSHypocenters.csv";
inline constexpr const char* kSecondFeedFile = "SMHypocenters.csv";
inline constexpr int kCmTimeoutText = 1064;  // to the map pane
inline constexpr int kMaxMessagesPerPoll = 10;
inline constexpr int kMaxMessageFileBytes = 84;   // longer message files are deleted unread
inline constexpr std::size_t kMaxAlertMessages = 1000;  // oldest dropped beyond this

extern bool gPendingOpenView;        // open gWorldViewName at the next tick
extern UtcDate gScheduleLastRun;     // UTC date of the last scheduled update
extern std::int32_t gAlertPauseLeft; // seconds until the alert zoom ends
extern std::uint32_t gAliveCounter;  // seconds since the alert feeder was last heard from
extern bool gAliveWarningShown;      // the panel shows ALIVE WARNING MESSAGE
extern bool gAliveBlink;             // blink phase of the alive indicator and warning
extern std::int32_t gPollCounter;    // housekeeping ticks with a view shown; starts at 1
extern std::vector<std::string> gAlertMessages;  // texts of the poll directory's message files, oldest first
extern std::vector<std::string> gFeedLines;      // event feed CSV lines, sorted; the alert step empties it

// Back to the start values, for tests.
void ResetHousekeepingState();

// A configured number of seconds as a countdown: a negative value that was
// stored unsigned counts as 0, never as some four billion seconds.
std::uint32_t CountdownSeconds(unsigned configured);

// True when the scheduled update is due: at or after hour:minute UTC on a day
// other than the last run's, so a minute passed inside a long call still counts.
bool ScheduledUpdateDue(const platform::CivilTime& now, unsigned hour, unsigned minute, const UtcDate& lastRun);

// What the alive test asks of the control panel this tick.
struct AliveDraw {
    bool warning = false;  // DrawAliveWarning (phase), then the indicator unlit
    bool phase = false;    // the warning's phase, or whether the indicator is lit
    bool repaint = false;  // the warning went away: the panel is repainted first
    bool operator==(const AliveDraw&) const = default;
};
// One second of the alive test against the limit; advances the blink and the counter.
AliveDraw AliveTest(std::uint32_t limitSeconds);

// The script's next entry after index, skipping the view just shown once;
// -1 when the list is empty.
int NextScriptIndex(int index, const IndexedArray<ViewListEntry>& list, const std::string& justShown);

// Takes at most ten short message files "out*" of the folder into
// gAlertMessages, oldest first, deleting each file it looks at; files past
// the tenth taken stay for the next poll.
void PollAlertDirectory(const std::string& folder);

// Fetches the event feed into gFeedLines with the lines of the second source
// merged in; a failed request deletes the feed file, an answer that does not
// begin with the feed's column header ("time,...") keeps nothing.
void FetchEventFeed(const std::string& url);
// The same in two steps: the request that FetchEventFeed makes has been made
// into feedFile with this result (0: it holds the answer); the file is read,
// with the second source beside it.
void TakeEventFeed(int requestResult, const std::string& feedFile);
// The feed file of the current folder as an absolute path: the folder may
// change while the request is under way, and the answer stays where it went.
std::string SettledFeedFile();
