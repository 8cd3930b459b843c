// The record of transfers at scale, on a file made by scripts/make-history:
//   scripts/make-history /tmp/history.csv && MIRAFEN_HISTORY=/tmp/history.csv
//   build/history_benchmarks
#include "config/HistoryReading.h"

#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

const char* recordPath(benchmark::State& state) {
    const char* path = std::getenv("MIRAFEN_HISTORY");
    if (path == nullptr)
        state.SkipWithError("MIRAFEN_HISTORY names no record");
    return path;
}

// What the window does when it opens the record: the newest rows, a first screenful and more.
void NewestRowsFirst(benchmark::State& state) {
    const char* path = recordPath(state);
    for (auto _ : state) {
        if (path == nullptr)
            break;
        const HistorySnapshot snapshot(path);
        HistoryBackwards reader(snapshot);
        std::size_t rows = 0;
        while (rows < 500 && !reader.atStart())
            reader.readBlock([&rows](HistoryLine&) { ++rows; }, [](const BadHistoryLine&) {});
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(NewestRowsFirst)->Unit(benchmark::kMillisecond);

// What a filter of the command line reads: every row, oldest first.
void EveryRowForwards(benchmark::State& state) {
    const char* path = recordPath(state);
    for (auto _ : state) {
        if (path == nullptr)
            break;
        std::size_t rows = 0;
        readHistoryForwards(
            HistorySnapshot(path), [&rows](HistoryLine&) { ++rows; }, [](const BadHistoryLine&) {});
        state.counters["rows"] = static_cast<double>(rows);
    }
}
BENCHMARK(EveryRowForwards)->Unit(benchmark::kMillisecond);

} // namespace
