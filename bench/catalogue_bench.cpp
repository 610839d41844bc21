// The time slider and every view opening search the catalogue by time.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

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

// Ten million records, one every 30 seconds from 1960 on (240 MB).
struct LargeCatalogue {
    std::string path = "/tmp/kestrune-bench-XXXXXX";
    LargeCatalogue() {
        int fd = ::mkstemp(path.data());
        std::FILE* f = ::fdopen(fd, "wb");
        TimeValue origin;
        const double start = origin.SetDateMinutes(PackedDate{1960, 1, 1}, 0);
        std::vector<unsigned char> block;
        for (int i = 0; i < 10000000; ++i) {
            int y, m, d, h, mi, s;
            SplitTime(start + 30.0 * i, &y, &m, &d, &h, &mi, &s);
            QuakeRecord q = MakeEventRecord(nullptr, y, m, d, h, mi, s, 10, 20, 10, 5.5);
            unsigned char b[kQuakeRecordSize];
            EncodeQuakeRecord(q, b);
            block.insert(block.end(), b, b + sizeof b);
            if (block.size() >= (1 << 20)) {
                std::fwrite(block.data(), 1, block.size(), f);
                block.clear();
            }
        }
        std::fwrite(block.data(), 1, block.size(), f);
        std::fclose(f);
        std::this_thread::sleep_for(std::chrono::duration<double>(kQuietSeconds + 0.2));
    }
    ~LargeCatalogue() { ::unlink(path.c_str()); }
};

std::FILE* TenMillionRecordCatalogue() {
    static LargeCatalogue catalogue;
    return std::fopen(catalogue.path.c_str(), "rb");
}

void SearchRandomTimes(benchmark::State& state, bool forgetEachTime, std::FILE* (*open)() = MillionRecordCatalogue) {
    std::FILE* f = open();
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

// Past the size at which catalogues were once searched only on disk.
void BM_FindQuakeIndex10M(benchmark::State& state) { SearchRandomTimes(state, false, TenMillionRecordCatalogue); }
BENCHMARK(BM_FindQuakeIndex10M)->Repetitions(5)->ReportAggregatesOnly(true);

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
