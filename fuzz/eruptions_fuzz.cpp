// Eruption catalogues: built from an ".ERA" or ".AVO" list, or an ".ERB"
// file as it stands (the first byte chooses), then read and searched by time.
// Contracts: a built catalogue is in start order with real start dates and
// sizes of at least 1, and its search agrees with the search on disk.
#include <cstdint>
#include <string>
#include <vector>

#include "core/eruption.h"
#include "core/view.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/search_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Taker take(data, size);
    const int kind = take.Byte() % 3;
    const fuzz::TimeProbes probes(take);
    const std::string_view body = take.Rest();

    for (std::string_view line : fuzz::Split(body, "\n", SIZE_MAX)) {
        EruptionEvent e;
        e.Parse(line, EruptionSource::Era);
        (void)FormatEruptionInfo(e.record);
        e.Parse(line, EruptionSource::Avo);
        (void)FormatEruptionInfo(e.record);
    }

    fuzz::EnterCleanFolder();
    ResetViewSettings();
    std::string name = "FUZZ.ERB";
    if (kind == 0) {
        fuzz::WriteFile("FUZZ.ERA", body);
        name = "FUZZ.ERA";
        FUZZ_CHECK(MakeEruptionFile(name) && name == "FUZZ.ERB", "built from the list: " + name);
    } else if (kind == 1) {
        fuzz::WriteFile("FUZZ.AVO", body);
        FUZZ_CHECK(MakeEruptionFile(name), "built from the observatory list");
    } else {
        fuzz::WriteFile(name, body);
    }
    const bool built = kind != 2;

    std::FILE* f = std::fopen(name.c_str(), "rb");
    FUZZ_CHECK(f != nullptr, "the catalogue opens");
    const std::int32_t count = RecordCount(f, kEruptionRecordSize);
    std::vector<TimeValue> times;
    for (std::int32_t i = 0; i < count; ++i) {
        EruptionRecord r;
        times.push_back(ReadEruptionAt(f, i, kFromStart, &r));
        (void)FormatEruptionInfo(r);
        if (built) {
            FUZZ_CHECK(times.back().t != 0, "a built record has a start date");
            FUZZ_CHECK(r.size >= 1, "a built record has a size");
            FUZZ_CHECK(i == 0 || !(times[i] < times[i - 1]), "a built catalogue is in start order");
        }
    }
    EruptionEvent event;
    event.ReadAt(f, count);
    FUZZ_CHECK(event.start.t == 0 && event.stop.t == 0, "no record past the end");
    if (count > 0) event.ReadAt(f, count - 1);
    fuzz::CheckTimeSearch(FindEruptionIndex, f, times, probes.For(times));
    std::fclose(f);
    ResetViewSettings();
    return 0;
}
