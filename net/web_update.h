#pragma once
// Brings the recent part of each UPDATE FILE catalogue up to date from the
// earthquake event service, in windows of 30 days, and swaps the rebuilt
// catalogue in while keeping the previous one under ".hyt".
#include <cstdio>
#include <string>
#include <vector>

#include "core/catalogue_rebuild.h"

inline constexpr const char* kServiceAnswerFile = "USGSHistoryHypocenters.csv";
inline constexpr const char* kEventQueryPath =
    "fdsnws/event/1/query?format=csv&minmagnitude=3.0&starttime=%04d-%02d-%02d&endtime=%04d-%02d-%02d";
// The public service; tests and other deployments set another.
inline constexpr const char* kDefaultEventServiceAddress = "https://earthquake.usgs.gov/";

// What the update needs of the program around it, told as it goes.
class WebUpdateProgress {
public:
    virtual ~WebUpdateProgress() = default;
    virtual void Message(const std::string& line) = 0;  // one progress line
    virtual void RepeatView() = 0;                      // reopen the current view (command 150)
    // A wait that keeps the windows alive; none by default.
    virtual void Wait(int /*ms*/) {}
    virtual void Beep() {}
    // The user or the program's end stopped it.
    virtual bool Cancelled() const { return false; }
};

// How a cancelled update ends, shown on its own.
inline constexpr const char* kUpdateCancelledText = "Cancelled";

extern std::string gEventServiceAddress;  // scheme, host and folder the query path follows

// A local server or a mirror in place of the public service, for trying the
// update out: "KESTRUNE_EVENT_SERVICE=http://127.0.0.1:8080/".
inline constexpr const char* kEventServiceVariable = "KESTRUNE_EVENT_SERVICE";
// The address to use: the variable's value (a "/" added when it has none at
// its end), or the public service when the value is missing or empty.
std::string EventServiceAddress(const char* variable);

// 0 when every catalogue was brought up to date, 1 when a problem was
// reported. Any failed window leaves that catalogue exactly as it was; so
// does a cancel, which ends the update at once, without its waits.
int UpdateFromWebService(bool interactive, WebUpdateProgress& progress);

// The instants an answer may hold events of: the query's start and end
// dates, both included.
struct AnswerSpan {
    TimeValue from, to;
};

// Reads one answer of the service: anything but the service's header first,
// or an error page after it, is refused ("Data not available"); so is an
// answer whose last line has no line end (cut inside a record) and one that
// holds an event outside span. Every event line longer than 50 characters is
// sorted and parsed and its records appended. Empty when usable; records are
// left as they were otherwise.
std::string ReadServiceAnswer(std::FILE* in, const AnswerSpan& span, std::vector<QuakeRecord>* records);
