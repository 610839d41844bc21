// ".HY4" catalogues and the search by time. The input is a few probe bytes
// and then the catalogue.
#include <cstdint>
#include <string>
#include <vector>

#include "core/quake.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/search_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Taker take(data, size);
    const fuzz::TimeProbes probes(take);
    const std::string_view catalogue = take.Rest();

    fuzz::EnterCleanFolder();
    fuzz::WriteFile("FUZZ.HY4", catalogue);
    std::FILE* f = std::fopen("FUZZ.HY4", "rb");
    FUZZ_CHECK(f != nullptr, "the catalogue opens");
    const std::int32_t count = QuakeRecordCount(f);
    FUZZ_CHECK(count == static_cast<std::int32_t>(catalogue.size() / kQuakeRecordSize), "whole records");

    std::vector<TimeValue> times;
    for (std::int32_t i = 0; i < count; ++i) {
        QuakeRecord q;
        times.push_back(ReadQuakeAt(f, i, kFromStart, &q));
        (void)FormatQuakeListLine(q, true);
        (void)FormatQuakeLabel(q);
    }
    FUZZ_CHECK(ReadQuakeAt(f, count).t == 0 && ReadQuakeAt(f, -1).t == 0, "no record outside the file");
    fuzz::CheckTimeSearch(FindQuakeIndex, f, times, probes.For(times));
    std::fclose(f);
    return 0;
}
