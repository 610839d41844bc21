#include "net/web_update.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cctype>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/config.h"
#include "core/energy.h"
#include "core/helpers.h"
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

// Why a window's answer cannot be used, or empty when it can.
std::string FetchWindow(TimeValue from, TimeValue to, std::vector<QuakeRecord>* records) {
    Day a = DayOf(from), b = DayOf(to);
    char path[256];
    std::snprintf(path, sizeof path, kEventQueryPath, a.y, a.m, a.d, b.y, b.m, b.d);
    HttpResult result;
    if (HttpRequest("GET ", gEventServiceAddress.c_str(), path, "", "", kServiceAnswerFile, &result) != 0)
        return "Could not get hypocenters";
    if (result.status < 200 || result.status > 299) return "Could not get hypocenters";
    Closer in{OpenDataFile(kServiceAnswerFile, "rt")};
    if (!in.f) return "Could not read the answer";
    return ReadServiceAnswer(in.f, records);
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

bool gUpdating = false;

}  // namespace

std::string ReadServiceAnswer(std::FILE* in, std::vector<QuakeRecord>* records) {
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
        // An error page may come with any status and in any case.
        if (ContainsIgnoringCase(line, "doctype") || ContainsIgnoringCase(line, "<html"))
            return "Data not available";
        if (first) {
            first = false;  // the column header
            continue;
        }
        if (line.size() > 50) lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    records->reserve(records->size() + lines.size());
    for (std::string_view l : lines) {
        // A line is read as C text: it ends at a stray NUL.
        QuakeRecord q = ParseFdsnCsvLine(nullptr, l.substr(0, l.find('\0')));
        if (q.date.year != 0) records->push_back(q);
    }
    return {};
}

std::string BackupCatalogueName(const std::string& name) {
    const std::size_t part = name.find_last_of("/\\");
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || (part != std::string::npos && dot < part)) return name + ".hyt";
    return name.substr(0, dot) + ".hyt";
}

int UpdateFromWebService(bool /*interactive*/, const WebUpdateHooks& hooks) {
    if (gUpdating) return 1;  // never two at once: the first holds the catalogue
    gUpdating = true;
    gCatalogueUpdateRunning = true;
    auto say = [&](const std::string& s) {
        if (hooks.message) hooks.message(s);
    };
    auto wait = [&](int ms) {
        if (hooks.wait) hooks.wait(ms);
    };

    DebugLog("Close database");
    CloseQuakeCatalogue();
    for (const char* s : {"Conta", "Contact ", "Contact USGS", "Contact USGS ear", "Contact USGS earthqu",
                          "Contact USGS earthquake ", "Contact USGS earthquake web.", "Contact USGS earthquake web...",
                          "Fetch events..."})
        say(s);

    int result = 0;
    for (const UpdateFileRecord& file : gUpdateFiles) {
        const std::string catalogue = FindDataFile(file.name);
        Closer old{catalogue.empty() ? nullptr : platform::OpenFile(catalogue, "rb")};
        if (!old.f) break;

        const std::int32_t count = QuakeRecordCount(old.f);
        const TimeValue now = CurrentUtcTime();
        TimeValue cut;
        if (count > 0) {
            cut = ReadQuakeAt(old.f, count - 1) - TimeValue(gUpdateDays * kDaySeconds);
        } else {
            cut = now - TimeValue(gUpdateDays * kDaySeconds);  // an empty catalogue starts UPDATE DAYS back
        }
        TimeValue search = cut;
        bool exact = false;
        std::int32_t keep = 0;
        FindQuakeIndex(old.f, &search, &exact, &keep);
        keep = std::clamp(keep, 0, count);

        DebugLog("Create %s", kTempCatalogue);
        const std::string temp = JoinPathString(catalogue.substr(0, catalogue.find_last_of('/') + 1), kTempCatalogue);
        Closer out{std::fopen(temp.c_str(), "wb")};
        if (!out.f) {
            if (hooks.beep) hooks.beep();
            result = 1;
            break;
        }
        bool written = true;
        // Everything before the cut-off is kept. The windows start at the last
        // kept record, whose time is already stored, or at the cut-off itself
        // when nothing was kept, so no record between them is lost.
        TimeValue t0 = cut;
        bool t0Stored = false;
        QuakeRecord q;
        for (std::int32_t i = 0; i < keep; ++i) {
            TimeValue t = ReadQuakeAt(old.f, i, kFromStart, &q);
            written = written && WriteQuakeRecord(out.f, q);
            if (i == keep - 1) {
                t0 = t;
                t0Stored = true;
            }
        }
        std::fclose(old.f);
        old.f = nullptr;

        std::string failure;
        TimeValue lastWritten = t0;
        std::vector<QuakeRecord> atLastTime;  // windows share their boundary day
        for (TimeValue w = t0; w < now && failure.empty(); w = w + TimeValue(kWindowSeconds)) {
            TimeValue e = w + TimeValue(kWindowSeconds);
            if (e > now) e = now + TimeValue(kDaySeconds);
            Day a = DayOf(w), b = DayOf(e);
            char line[96];
            std::snprintf(line, sizeof line, "Fetch events from %04d-%02d-%02d to %04d-%02d-%02d", a.y, a.m, a.d, b.y,
                          b.m, b.d);
            say(line);
            std::vector<QuakeRecord> records;
            failure = FetchWindow(w, e, &records);
            for (const QuakeRecord& r : records) {
                TimeValue t;
                t.SetFromQuake(r);
                if (t < lastWritten || (t == lastWritten && t == t0 && t0Stored)) continue;
                if (t == lastWritten && std::any_of(atLastTime.begin(), atLastTime.end(),
                                                    [&](const QuakeRecord& o) { return IsSameQuake(o, r); }))
                    continue;
                if (t > lastWritten) atLastTime.clear();
                atLastTime.push_back(r);
                lastWritten = t;
                written = written && WriteQuakeRecord(out.f, r);
            }
        }
        written = std::fflush(out.f) == 0 && ::fsync(::fileno(out.f)) == 0 && written;
        written = std::fclose(out.f) == 0 && written;
        out.f = nullptr;
        if (!failure.empty() || !written) {
            // The catalogue keeps its old content; the half-built copy goes.
            std::remove(temp.c_str());
            say("Problem");
            say(failure.empty() ? std::string("Could not write ") + kTempCatalogue : failure);
            wait(2000);
            result = 1;
            break;
        }
        wait(1000);

        // The new file replaces the old by renames only, so one of them is
        // always in place; a failed step is undone.
        const std::string backup = BackupCatalogueName(catalogue);
        if (std::rename(catalogue.c_str(), backup.c_str()) != 0) {
            say("Problem renaming " + catalogue + " to " + backup + ".");
            std::remove(temp.c_str());
            result = 1;
            continue;
        }
        if (std::rename(temp.c_str(), catalogue.c_str()) != 0) {
            say(std::string("Problem renaming ") + kTempCatalogue + " to " + catalogue + ".");
            std::rename(backup.c_str(), catalogue.c_str());
            result = 1;
            wait(5000);
        }
    }

    wait(1000);
    say("Done");
    wait(1000);
    gCatalogueUpdateRunning = false;
    gUpdating = false;
    OpenQuakeCatalogue(false);
    if (hooks.repeatView) hooks.repeatView();
    return result;
}
