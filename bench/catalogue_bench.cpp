// The time slider and every view opening search the catalogue by time.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "core/quake.h"
#include "core/record_file.h"

namespace {

constexpr double kQuietSeconds = 2.0;  // the search's default

struct BenchCatalogue {
    std::string path = "/tmp/kestrune-bench-XXXXXX";
    BenchCatalogue() {
        int fd = ::mkstemp(path.data());
        std::FILE* f = ::fdopen(fd, "wb");
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
        // A file younger than the quiet time is searched on disk; time the search the program sees.
        std::this_thread::sleep_for(std::chrono::duration<double>(kQuietSeconds + 0.2));
    }
    ~BenchCatalogue() { ::unlink(path.c_str()); }
};

std::FILE* MillionRecordCatalogue() {
    static BenchCatalogue catalogue;
    return std::fopen(catalogue.path.c_str(), "rb");
}

void SearchRandomTimes(benchmark::State& state, bool forgetEachTime) {
    std::FILE* f = MillionRecordCatalogue();
    TimeValue first = ReadQuakeAt(f, 0), last = ReadQuakeAt(f, -1, kFromEnd);
    double span = last.t - first.t;
    std::uint64_t seed = 12345;
    for (auto _ : state) {
        if (forgetEachTime) ForgetRecordTimes();
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        TimeValue t(first.t + span * static_cast<double>(seed >> 11) / 9007199254740992.0);
        bool exact;
        std::int32_t index;
        benchmark::DoNotOptimize(FindQuakeIndex(f, &t, &exact, &index));
    }
    std::fclose(f);
}

void BM_FindQuakeIndex(benchmark::State& state) { SearchRandomTimes(state, false); }
BENCHMARK(BM_FindQuakeIndex);

// Every search reads the whole file again: the price of a catalogue that changed.
void BM_FindQuakeIndexAfterChange(benchmark::State& state) { SearchRandomTimes(state, true); }
BENCHMARK(BM_FindQuakeIndexAfterChange)->Unit(benchmark::kMillisecond);

// The probes on disk, as for a file that has just been written.
void BM_FindQuakeIndexOnDisk(benchmark::State& state) {
    SetRecordTimesQuietSeconds(1e12);
    ForgetRecordTimes();
    SearchRandomTimes(state, false);
    SetRecordTimesQuietSeconds(kQuietSeconds);
}
BENCHMARK(BM_FindQuakeIndexOnDisk);

}  // namespace
