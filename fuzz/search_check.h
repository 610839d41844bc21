#pragma once
// The time search of a catalogue, checked: the search over the kept table of
// record times must agree with the search on disk, and on a catalogue in time
// order both must find the first record at or after the time.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/record_file.h"
#include "core/timevalue.h"
#include "fuzz/fuzz_support.h"

namespace fuzz {

using FindByTime = int (*)(std::FILE* file, TimeValue* time, bool* exact, std::int32_t* index);

struct SearchAnswer {
    int result = 0;
    bool exact = false;
    std::int32_t index = 0;
    TimeValue time;

    std::string Text() const {
        return "result " + std::to_string(result) + " exact " + std::to_string(exact) + " index " +
               std::to_string(index) + " time " + std::to_string(time.t);
    }
};

inline SearchAnswer SearchWith(FindByTime find, std::FILE* f, TimeValue t, double quietSeconds) {
    SetRecordTimesQuietSeconds(quietSeconds);
    ForgetRecordTimes();
    SearchAnswer a;
    a.time = t;
    a.result = find(f, &a.time, &a.exact, &a.index);
    return a;
}

// times: every record's time, in file order, as the readers give them.
inline void CheckTimeSearch(FindByTime find, std::FILE* f, const std::vector<TimeValue>& times,
                            const std::vector<TimeValue>& wanted) {
    const auto count = static_cast<std::int32_t>(times.size());
    bool ordered = true;
    for (std::int32_t i = 0; i < count; ++i)
        if (!(times[i].t > 0) || (i > 0 && times[i] < times[i - 1])) ordered = false;
    for (TimeValue t : wanted) {
        const SearchAnswer table = SearchWith(find, f, t, -1e9);  // never "changed recently": the kept table
        const SearchAnswer disk = SearchWith(find, f, t, 1e12);   // always: the probes on disk
        FUZZ_CHECK(table.result == disk.result && table.exact == disk.exact && table.index == disk.index &&
                       std::memcmp(&table.time.t, &disk.time.t, sizeof(double)) == 0,
                   "table " + table.Text() + " disk " + disk.Text());
        FUZZ_CHECK(table.index >= 0 && table.index <= count, table.Text());
        if (!ordered || count == 0 || std::isnan(t.t)) continue;
        std::int32_t first = 0;
        if (t <= times.front())
            first = 0;
        else if (t > times.back())
            first = count;
        else if (t == times.back())
            first = count - 1;
        else
            while (times[first] < t) ++first;
        FUZZ_CHECK(table.index == first, "first at or after: " + std::to_string(first) + ", " + table.Text());
    }
    ForgetRecordTimes();
    SetRecordTimesQuietSeconds(2.0);
}

// The times to look for: none, far ahead, before, the ends and the middle,
// then one per probe: a record's time, just before or after it, or any value.
class TimeProbes {
public:
    explicit TimeProbes(Taker& take) {
        const int n = take.Byte() % 8;
        for (int i = 0; i < n; ++i) probes_.push_back({take.U32(), take.Byte(), take.Double()});
    }
    std::vector<TimeValue> For(const std::vector<TimeValue>& times) const {
        std::vector<TimeValue> wanted = {TimeValue(0.0), TimeValue(1e300), TimeValue(-1.0)};
        if (times.empty()) return wanted;
        wanted.insert(wanted.end(), {times.front(), times.back(), times[times.size() / 2]});
        for (const Probe& p : probes_) {
            const TimeValue t = times[p.record % times.size()];
            switch (p.how % 4) {
                case 0: wanted.push_back(t); break;
                case 1: wanted.push_back(TimeValue(t.t - 0.05)); break;
                case 2: wanted.push_back(TimeValue(t.t + 0.05)); break;
                default: wanted.push_back(TimeValue(p.raw)); break;
            }
        }
        return wanted;
    }

private:
    struct Probe {
        std::uint32_t record;
        std::uint8_t how;
        double raw;
    };
    std::vector<Probe> probes_;
};

}  // namespace fuzz
