// The housekeeping's state and the steps that only read and write files,
// apart from the frame's tick: readers of the feed link no window layer.
#include "app/housekeeping.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/network_link.h"
#include "app/view_list.h"
#include "core/helpers.h"
#include "platform/sys/files.h"

namespace fs = std::filesystem;

bool gPendingOpenView = false;
UtcDate gScheduleLastRun;
std::int32_t gAlertPauseLeft = 0;
std::uint32_t gAliveCounter = 0;
bool gAliveWarningShown = false;
bool gAliveBlink = false;
std::int32_t gPollCounter = 1;
std::vector<std::string> gAlertMessages;
std::vector<std::string> gFeedLines;

void ResetHousekeepingState() {
    gPendingOpenView = false;
    gScheduleLastRun = {};
    gAlertPauseLeft = 0;
    gAliveCounter = 0;
    gAliveWarningShown = false;
    gAliveBlink = false;
    gPollCounter = 1;
    gAlertMessages.clear();
    gFeedLines.clear();
}

std::uint32_t CountdownSeconds(unsigned configured) { return configured > INT32_MAX ? 0 : configured; }

bool ScheduledUpdateDue(const platform::CivilTime& now, unsigned hour, unsigned minute, const UtcDate& lastRun) {
    const UtcDate today{now.year, now.month, now.day};
    if (today == lastRun) return false;
    const long long nowMinutes = now.hour * 60LL + now.minute;
    const long long dueMinutes = static_cast<long long>(hour) * 60 + minute;
    return nowMinutes >= dueMinutes;
}

AliveDraw AliveTest(std::uint32_t limitSeconds) {
    AliveDraw draw;
    draw.phase = gAliveBlink;
    if (gAliveCounter > limitSeconds) {
        gAliveWarningShown = true;
        draw.warning = true;
    } else if (gAliveWarningShown) {
        gAliveWarningShown = false;
        draw.repaint = true;
    }
    gAliveBlink = !gAliveBlink;
    if (gAliveCounter < UINT32_MAX) ++gAliveCounter;
    return draw;
}

int NextScriptIndex(int index, const IndexedArray<ViewListEntry>& list, const std::string& justShown) {
    const int count = list.Count();
    if (count <= 0) return -1;
    auto next = [count](int i) { return i < 0 || i + 1 >= count ? 0 : i + 1; };
    int i = next(index);
    if (list.At(i)->viewName == justShown) i = next(i);
    return i;
}

namespace {

struct MessageFile {
    fs::path path;
    fs::file_time_type written;
};

// The message files of the folder in arrival order (equal times by name).
std::vector<MessageFile> MessageFiles(const std::string& folder) {
    std::vector<MessageFile> files;
    const std::string dir = platform::FindPath(folder).value_or(platform::NativePath(folder));
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fileEc;
        if (!it->is_regular_file(fileEc) || !StartsWithIgnoringCase(it->path().filename().string(), "out")) continue;
        const auto written = it->last_write_time(fileEc);
        files.push_back({it->path(), fileEc ? fs::file_time_type{} : written});
    }
    std::sort(files.begin(), files.end(), [](const MessageFile& a, const MessageFile& b) {
        return a.written != b.written ? a.written < b.written : a.path.filename() < b.path.filename();
    });
    return files;
}

void TakeMessage(const std::string& text) {
    gAlertMessages.push_back(text);
    if (gAlertMessages.size() > kMaxAlertMessages)
        gAlertMessages.erase(gAlertMessages.begin(), gAlertMessages.end() - kMaxAlertMessages);
}

}  // namespace

void PollAlertDirectory(const std::string& folder) {
    int taken = 0;
    for (const MessageFile& file : MessageFiles(folder)) {
        if (taken >= kMaxMessagesPerPoll) break;
        std::error_code ec;
        const auto size = fs::file_size(file.path, ec);
        if (!ec && size <= static_cast<std::uintmax_t>(kMaxMessageFileBytes)) {
            if (std::FILE* f = std::fopen(file.path.c_str(), "rb")) {
                char text[128] = {};
                const std::size_t n = std::fread(text, 1, sizeof text - 1, f);
                text[n] = '\0';
                std::fclose(f);
                if (text[0] != '\0') {
                    DebugLog("put data in cubicarray");
                    TakeMessage(text);
                }
            }
            ++taken;
            gAliveCounter = 0;
        }
        fs::remove(file.path, ec);
    }
}

namespace {

bool IsFeedHeaderLine(std::string_view line) {
    std::string lower(line);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.starts_with("time,") && lower.find("doctype") == std::string::npos;
}

}  // namespace

std::string SettledFeedFile() {
    std::error_code ec;
    std::string path = fs::absolute(platform::ResolvePath(kFeedFile), ec).string();
    return ec ? platform::ResolvePath(kFeedFile) : path;
}

void FetchEventFeed(const std::string& url) {
    NetworkLink* net = NetworkLinkFor("event feed");
    if (!net) return;
    // The request pumps messages, and a command run meanwhile may change the current folder.
    const std::string feedFile = SettledFeedFile();
    TakeEventFeed(net->RequestFeed(url, feedFile), feedFile);
}

void TakeEventFeed(int requestResult, const std::string& feedFile) {
    // The second source's lines, each cut where a 255-character buffer ends.
    std::vector<std::string> local;
    const std::string secondFile = (fs::path(feedFile).parent_path() / kSecondFeedFile).string();
    if (FileExists(secondFile)) {
        if (std::FILE* f = platform::OpenFile(secondFile, "rt")) {
            std::string line;
            while (ReadWholeLine(f, line)) {
                if (line.size() > 254) line.resize(254);
                if (line.size() > 50) local.push_back(line);
            }
            std::fclose(f);
        }
    }

    if (requestResult != 0) {
        std::remove(platform::ResolvePath(feedFile).c_str());
        return;
    }
    std::FILE* f = platform::OpenFile(feedFile, "rt");
    gFeedLines.clear();
    if (!f) return;
    std::string line;
    // Only the feed's column header opens a feed: an error page, in any case, or
    // anything else keeps nothing and is not word from the feeder.
    if (!ReadWholeLine(f, line) || !IsFeedHeaderLine(line)) {
        std::fclose(f);
        return;
    }
    while (ReadWholeLine(f, line)) {
        if (line.size() > 50) gFeedLines.push_back(line);
    }
    std::fclose(f);
    // Without a feed line to compare with, every line of the second source counts.
    const std::string bar = gFeedLines.empty() ? std::string() : gFeedLines.back();
    for (const std::string& l : local) {
        if (!(l < bar)) gFeedLines.push_back(l);
    }
    std::sort(gFeedLines.begin(), gFeedLines.end());
    gAliveCounter = 0;
}
