// The time slider and every view opening search the catalogue by time.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/quake.h"

namespace {

std::FILE* MillionRecordCatalogue() {
    static std::string path = [] {
        std::string p = "/tmp/kestrune-bench-XXXXXX";
        int fd = ::mkstemp(p.data());
        std::FILE* f = ::fdopen(fd, "wb");
        TimeValue start;
        start.SetDate(PackedDate{1960, 1, 1});
        for (int i = 0; i < 1000000; ++i) {
            // One record every ~30 minutes from 1960 on.
            int minutes = i * 30;
            QuakeRecord q = MakeEventRecord(nullptr, 1960, 1, 1 + minutes / 1440 % 28, minutes / 60 % 24, minutes % 60, 0,
                                            10, 20, 10, 5.5);
            q.date.year = static_cast<std::uint16_t>(1960 + i / 17000);
            q.date.month = static_cast<std::uint8_t>(1 + i / 1400 % 12);
            (void)WriteQuakeRecord(f, q);
        }
        std::fclose(f);
        return p;
    }();
    return std::fopen(path.c_str(), "rb");
}

void BM_FindQuakeIndex(benchmark::State& state) {
    std::FILE* f = MillionRecordCatalogue();
    TimeValue first = ReadQuakeAt(f, 0), last = ReadQuakeAt(f, -1, kFromEnd);
    double span = last.t - first.t;
    std::uint64_t seed = 12345;
    for (auto _ : state) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        TimeValue t(first.t + span * static_cast<double>(seed >> 11) / 9007199254740992.0);
        bool exact;
        std::int32_t index;
        benchmark::DoNotOptimize(FindQuakeIndex(f, &t, &exact, &index));
    }
    std::fclose(f);
}
BENCHMARK(BM_FindQuakeIndex);

}  // namespace
