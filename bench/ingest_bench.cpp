// The web update's answer path: an event-service CSV answer file read, its
// event lines sorted and parsed into catalogue records.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/quake.h"
#include "net/web_update.h"

namespace {

constexpr int kLines = 200000;

// Lines as the service writes them, in its order (newest first).
struct AnswerFile {
    std::string path = "/tmp/kestrune-ingest-XXXXXX";
    AnswerFile() {
        const int fd = ::mkstemp(path.data());
        std::FILE* f = ::fdopen(fd, "wb");
        std::fputs("time,latitude,longitude,depth,mag,magType,nst,gap,dmin,rms,net,id,updated,place,type,"
                   "horizontalError,depthError,magError,magNst,status,locationSource,magSource\n",
                   f);
        std::mt19937 rng(11);
        std::uniform_real_distribution<double> lat(-70, 80), lon(-180, 180), depth(0, 650), mag(3, 8);
        for (int i = kLines; i-- > 0;) {
            const int s = i * 13;
            std::fprintf(f,
                         "2023-%02d-%02dT%02d:%02d:%02d.%03dZ,%.4f,%.4f,%.3f,%.1f,mb,%d,%d,%.3f,%.2f,us,us7000%05d,"
                         "2024-01-0%dT12:34:56.789Z,\"%d km SSW of Somewhere, Region\",earthquake,%.1f,%.1f,%.3f,%d,"
                         "reviewed,us,us\n",
                         1 + s / 2419200 % 12, 1 + s / 86400 % 28, s / 3600 % 24, s / 60 % 60, s % 60, i % 1000,
                         lat(rng), lon(rng), depth(rng), mag(rng), 20 + i % 80, 30 + i % 150, 1.5 + i % 7, 0.6 + i % 3 * 0.1,
                         i % 100000, 1 + i % 9, 5 + i % 90, 3.0 + i % 9, 1.9 + i % 4, 0.05 + i % 10 * 0.01, 10 + i % 300);
        }
        std::fclose(f);
    }
    ~AnswerFile() { ::unlink(path.c_str()); }
};

const std::string& Answer() {
    static AnswerFile file;
    return file.path;
}

// The update's reading of one window's answer.
bool AnswerPath(const std::string& path, std::vector<QuakeRecord>* records) {
    std::FILE* in = std::fopen(path.c_str(), "rt");
    if (!in) return false;
    // The year's answer as one window.
    TimeValue from, to;
    from.SetDate(PackedDate{2023, 1, 1});
    to.SetDate(PackedDate{2024, 1, 1});
    const bool ok = ReadServiceAnswer(in, AnswerSpan{from, to}, records).empty();
    std::fclose(in);
    return ok;
}

}  // namespace

static void BM_IngestServiceAnswer(benchmark::State& state) {
    const std::string& path = Answer();
    std::size_t kept = 0;
    for (auto _ : state) {
        std::vector<QuakeRecord> records;
        if (!AnswerPath(path, &records)) state.SkipWithError("the answer was refused");
        kept = records.size();
        benchmark::DoNotOptimize(records.data());
    }
    state.counters["records"] = static_cast<double>(kept);
    state.SetItemsProcessed(state.iterations() * kLines);  // lines per second
}
BENCHMARK(BM_IngestServiceAnswer)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
