#include "net/web_update.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/config.h"
#include "core/helpers.h"
#include "core/catalogue_rebuild.h"
#include "core/quake.h"
#include "net/http.h"
#include "platform/sys/files.h"

std::string gEventServiceAddress = kDefaultEventServiceAddress;

namespace {

constexpr double kWindowSeconds = 2592000.0;  // 30 days
constexpr double kDaySeconds = 86400.0;

struct Closer {
    std::FILE* f = nullptr;
    ~Closer() {
        if (f) std::fclose(f);
    }
};

struct Day {
    int y, m, d;
};

Day DayOf(TimeValue t) {
    int y, m, d, h, mi, s;
    SplitTime(t.t, &y, &m, &d, &h, &mi, &s);
    return {y, m, d};
}

// Midnight of t's day: windows ask by dates, so that is where they begin and end.
TimeValue DayStart(TimeValue t) { return TimeValue(std::floor(t.t / kDaySeconds) * kDaySeconds); }

// The event service's CSV header; anything else (an error page, a plain-text
// reason, an empty answer) is not an answer at all.
bool IsServiceHeader(const std::string& line) {
    std::string lower = line;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.rfind("time,latitude,longitude,", 0) == 0;
}

// Why a window's answer cannot be used, or empty when it can.
std::string FetchWindow(TimeValue from, TimeValue to, std::vector<QuakeRecord>* records) {
    Day a = DayOf(from), b = DayOf(to);
    char path[256];
    std::snprintf(path, sizeof path, kEventQueryPath, a.y, a.m, a.d, b.y, b.m, b.d);
    HttpResult result;
    if (HttpRequest("GET ", gEventServiceAddress.c_str(), path, "", "", kServiceAnswerFile, &result) != 0) {
        switch (result.outcome) {
            case HttpOutcome::kNotStored:
                return std::string("Could not store the answer in ") + kServiceAnswerFile;
            case HttpOutcome::kBodyCut:
                return "Could not get hypocenters: the answer was cut short";
            case HttpOutcome::kTooSlow:
                return "Could not get hypocenters: the answer took too long";
            case HttpOutcome::kTooLarge:
                return "Could not get hypocenters: the answer is too large";
            case HttpOutcome::kCancelled:
                return kUpdateCancelledText;
            default:
                return "Could not get hypocenters";
        }
    }
    if (result.status < 200 || result.status > 299)
        return "Could not get hypocenters: the service answered " + std::to_string(result.status);
    Closer in{OpenDataFile(kServiceAnswerFile, "rt")};
    if (!in.f) return std::string("Could not read ") + kServiceAnswerFile;
    return ReadServiceAnswer(in.f, AnswerSpan{DayStart(from), DayStart(to)}, records);
}

// A word anywhere in the text, ASCII letters in any case; the word is given in lower case.
bool ContainsIgnoringCase(std::string_view text, std::string_view word) {
    const char lower = word.front();
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(lower)));
    const char* end = text.data() + text.size();
    for (char c : {lower, upper}) {
        for (const char* p = text.data();
             (p = static_cast<const char*>(std::memchr(p, c, static_cast<std::size_t>(end - p)))) != nullptr; ++p) {
            if (static_cast<std::size_t>(end - p) < word.size()) break;
            std::size_t i = 1;
            while (i < word.size() && std::tolower(static_cast<unsigned char>(p[i])) == word[i]) ++i;
            if (i == word.size()) return true;
        }
        if (upper == lower) break;
    }
    return false;
}

// Every UPDATE FILE catalogue in turn; empty when all were brought up to
// date, else what stopped the update.
std::string RebuildCatalogues(WebUpdateProgress& progress) {
    auto say = [&](const std::string& s) { progress.Message(s); };
    auto cancelled = [&] { return progress.Cancelled(); };
    auto wait = [&](int ms) {
        if (!cancelled()) progress.Wait(ms);
    };
    for (const UpdateFileRecord& file : gUpdateFiles) {
        CatalogueRebuild rebuild;
        if (!rebuild.Open(file.name)) return rebuild.error();
        const TimeValue now = CurrentUtcTime();
        const TimeValue span(gUpdateDays * kDaySeconds);
        // An empty catalogue starts UPDATE DAYS back.
        const TimeValue cut = rebuild.count() > 0 ? rebuild.LastTime() - span : now - span;
        if (!rebuild.KeepBefore(cut)) {
            progress.Beep();
            return rebuild.error();
        }

        // The windows start at the last kept record, whose time is already
        // stored, or at the cut-off itself when nothing was kept.
        std::string failure;
        for (TimeValue w = rebuild.resumeAt(); w < now && failure.empty(); w = w + TimeValue(kWindowSeconds)) {
            TimeValue e = w + TimeValue(kWindowSeconds);
            if (e > now) e = now + TimeValue(kDaySeconds);
            Day a = DayOf(w), b = DayOf(e);
            char line[96];
            std::snprintf(line, sizeof line, "Fetch events from %04d-%02d-%02d to %04d-%02d-%02d", a.y, a.m, a.d, b.y,
                          b.m, b.d);
            if (cancelled()) {
                failure = kUpdateCancelledText;
                break;
            }
            say(line);
            std::vector<QuakeRecord> records;
            failure = FetchWindow(w, e, &records);
            const std::int32_t stored = rebuild.StoredBetween(DayStart(w), DayStart(e));
            if (failure.empty() && records.empty() && stored > 0) {
                std::snprintf(line, sizeof line, "No events from %04d-%02d-%02d to %04d-%02d-%02d, where %d are stored",
                              a.y, a.m, a.d, b.y, b.m, b.d, static_cast<int>(stored));
                failure = line;
            }
            for (const QuakeRecord& r : records) rebuild.Append(r);
        }
        if (failure.empty()) {
            wait(1000);
            failure = cancelled() ? kUpdateCancelledText : rebuild.Finish();
        }
        if (!failure.empty()) {
            // The catalogue keeps its old content; the half-built copy goes.
            rebuild.Abandon();
            return failure;
        }
    }
    return {};
}

}  // namespace

std::string ReadServiceAnswer(std::FILE* in, const AnswerSpan& span, std::vector<QuakeRecord>* records) {
    // The whole answer at once, then its lines as views into it.
    std::string text;
    struct stat st;
    if (::fstat(::fileno(in), &st) == 0 && st.st_size > 0) text.reserve(static_cast<std::size_t>(st.st_size));
    char block[1 << 16];
    for (std::size_t got; (got = std::fread(block, 1, sizeof block, in)) > 0;) text.append(block, got);
    std::vector<std::string_view> lines;
    bool first = true;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string_view line(text.data() + at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (first) {
            first = false;
            if (!IsServiceHeader(std::string(line))) return "Data not available";
            continue;
        }
        // An error page may follow a header, with any status and in any case.
        if (ContainsIgnoringCase(line, "doctype") || ContainsIgnoringCase(line, "<html")) return "Data not available";
        if (line.size() > 50) lines.push_back(line);
    }
    if (first) return "Data not available";  // not even a header
    // Without a length the peer's close ends the body wherever it falls; the
    // service ends every line, so a last line without its end is a cut record.
    if (text.back() != '\n') return "The answer was cut short inside a line";
    std::sort(lines.begin(), lines.end());
    std::vector<QuakeRecord> parsed;
    parsed.reserve(lines.size());
    for (std::string_view l : lines) {
        // A line is read as C text: it ends at a stray NUL.
        QuakeRecord q = ParseFdsnCsvLine(nullptr, l.substr(0, l.find('\0')));
        if (q.date.year == 0) continue;
        TimeValue t;
        t.SetFromQuake(q);
        if (t < span.from || t > span.to) {
            const Day e = DayOf(t), a = DayOf(span.from), b = DayOf(span.to);
            char reason[128];
            std::snprintf(reason, sizeof reason,
                          "The answer holds an event of %04d-%02d-%02d %02d:%02d outside %04d-%02d-%02d to %04d-%02d-%02d",
                          e.y, e.m, e.d, t.Hour(), t.Minute(), a.y, a.m, a.d, b.y, b.m, b.d);
            return reason;
        }
        parsed.push_back(q);
    }
    records->insert(records->end(), parsed.begin(), parsed.end());
    return {};
}

std::string EventServiceAddress(const char* variable) {
    if (!variable || !*variable) return kDefaultEventServiceAddress;
    std::string address = variable;
    if (address.back() != '/') address += '/';
    return address;
}

int UpdateFromWebService(bool /*interactive*/, WebUpdateProgress& progress) {
    int result = 1;
    {
        CatalogueUpdateHold hold;
        if (!hold.held()) return 1;  // never two at once: the other one holds the catalogue
        DebugLog("Close database");
        CloseQuakeCatalogue();
        for (const char* s : {"Conta", "Contact ", "Contact USGS", "Contact USGS ear", "Contact USGS earthqu",
                              "Contact USGS earthquake ", "Contact USGS earthquake web.",
                              "Contact USGS earthquake web...", "Fetch events..."})
            progress.Message(s);
        const std::string failure = RebuildCatalogues(progress);
        result = failure.empty() ? 0 : 1;
        const bool cancelled = progress.Cancelled();
        if (!cancelled) progress.Wait(1000);
        // The last line says how it ended, on its own.
        progress.Message(failure.empty() ? "Done" : cancelled ? kUpdateCancelledText : "Problem: " + failure);
        if (!cancelled) progress.Wait(failure.empty() ? 1000 : 2000);
    }
    OpenQuakeCatalogue(false);
    progress.RepeatView();
    return result;
}
