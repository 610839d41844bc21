// The animation splits a time for every read-out and every label it draws.
#include <benchmark/benchmark.h>

#include "core/timevalue.h"

static void BM_SplitTime(benchmark::State& state) {
    double t = 630000000.0 * 86400.0 / 10000.0;
    int y, m, d, h, mi, s;
    for (auto _ : state) {
        SplitTime(t, &y, &m, &d, &h, &mi, &s);
        benchmark::DoNotOptimize(y);
        t += 3601.0;
    }
}
BENCHMARK(BM_SplitTime);

static void BM_SetDateMinutes(benchmark::State& state) {
    PackedDate date{1995, 1, 17};
    TimeValue v;
    for (auto _ : state) benchmark::DoNotOptimize(v.SetDateMinutes(date, 346));
}
BENCHMARK(BM_SetDateMinutes);
