// Earthquake text lines: the update link's, the event service's CSV and the
// event feed, the feed through its file with the second source merged in.
// Contract: a record is all zero or a real event (position on the globe, a
// calendar date, a time of day).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "app/housekeeping.h"
#include "app/network_link.h"
#include "core/quake.h"
#include "fuzz/fuzz_support.h"

namespace {

std::string Describe(const QuakeRecord& q, std::string_view line) {
    return std::to_string(q.date.year) + "/" + std::to_string(q.date.month) + "/" + std::to_string(q.date.day) +
           " minute " + std::to_string(q.minute) + " tenths " + std::to_string(q.tenths) + " lat " +
           std::to_string(q.latitude) + " lon " + std::to_string(q.longitude) + " from: " + std::string(line);
}

void CheckRecord(const QuakeRecord& q, std::string_view line) {
    if (IsZeroRecord(q)) return;
    constexpr std::int64_t kMasPerDegree = 3600000;
    FUZZ_CHECK(std::abs(std::int64_t{q.latitude}) <= 90 * kMasPerDegree, Describe(q, line));
    FUZZ_CHECK(std::abs(std::int64_t{q.longitude}) <= 180 * kMasPerDegree, Describe(q, line));
    FUZZ_CHECK(q.date.month >= 1 && q.date.month <= 12 && q.date.day >= 1 && q.date.day <= 31, Describe(q, line));
    FUZZ_CHECK(q.minute < 24 * 60, Describe(q, line));
    FUZZ_CHECK(q.tenths >= 0 && q.tenths <= 610, Describe(q, line));  // up to a leap second, rounded
    (void)FormatQuakeListLine(q, false);
    (void)FormatQuakeLabel(q);
}

std::string gFeedAnswer;

// The feed's answer is the input; the fuzzer reaches no other network step.
class FeedAnswer : public NetworkLink {
public:
    int UpdateFromWebService(myFrame&, bool) override { return 1; }
    int UpdateFromServer(myFrame&) override { return 1; }
    int RequestFeed(const std::string&, const std::string& out) override {
        fuzz::WriteFile(out, gFeedAnswer);
        return 0;
    }
    bool StartSockets(bool, bool) override { return false; }
    bool AlertStep(childMap&) override { return false; }
    void BuildAlertView(childMap&, const QuakeRecord&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (std::string_view line : fuzz::Split(input, "\n", SIZE_MAX)) {
        QuakeRecord q;
        if (ParseQuakeLine(line, &q)) CheckRecord(q, line);
        CheckRecord(ParseFdsnCsvLine(nullptr, line), line);
        AlertEventRecord feed;
        ParseFeedCsvLine(&feed, line);
        CheckRecord(feed.quake, line);
        FUZZ_CHECK(feed.network[2] == 0 && feed.id[10] == 0, "terminated texts");
    }

    // The feed file as the housekeeping reads it; a second part is the second source.
    const auto parts = fuzz::Split(input, kFuzzPartSeparator, 2);
    fuzz::EnterCleanFolder();
    if (parts.size() > 1) fuzz::WriteFile(kSecondFeedFile, parts[1]);
    gFeedAnswer.assign(parts[0]);
    static FeedAnswer link;
    InstallNetworkLink(&link);
    gFeedLines.clear();
    FetchEventFeed("http://127.0.0.1/feed");
    FUZZ_CHECK(std::is_sorted(gFeedLines.begin(), gFeedLines.end()), "sorted feed lines");
    for (const std::string& line : gFeedLines) {
        FUZZ_CHECK(line.size() > 50, "only long lines: " + line);
        AlertEventRecord feed;
        CheckRecord(ParseFeedCsvLine(&feed, line).quake, line);
    }
    gFeedLines.clear();
    return 0;
}
