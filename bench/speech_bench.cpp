// What the table costs a screen reader's listener after each handler: the
// names of the 13 places, which of the 40 cards can be read, and the
// announcement against the last snapshot. It runs after every pointer move
// of a drag while assistive technology listens, and never otherwise.

#include <benchmark/benchmark.h>

#include "access/table_speech.h"

namespace {

void BM_TableChangedWhileListening(benchmark::State& state) {
    tarvo::Table t;
    double seconds = 0;
    t.TimeOfDay = [&seconds] { return seconds += 0.001; };
    t.Mescola();
    const tarvo::TableSnapshot before = tarvo::Snapshot(t);
    for (auto _ : state) {
        for (int16_t i = 1; i <= tarvo::kColumnCount; ++i)
            benchmark::DoNotOptimize(tarvo::PlaceName(t, {tarvo::PlaceKind::Column, i}));
        for (int16_t i = 1; i <= tarvo::kSuitCount; ++i)
            benchmark::DoNotOptimize(tarvo::PlaceName(t, {tarvo::PlaceKind::Foundation, i}));
        benchmark::DoNotOptimize(tarvo::PlaceName(t, {tarvo::PlaceKind::StockPile, 0}));
        benchmark::DoNotOptimize(tarvo::PlaceName(t, {tarvo::PlaceKind::Stock, 0}));
        int shown = 0;
        for (int16_t id = 1; id <= tarvo::kCardCount; ++id)
            shown += tarvo::CardReadable(t, id) ? 1 : 0;
        benchmark::DoNotOptimize(shown);
        benchmark::DoNotOptimize(tarvo::Announcement(before, t));
        benchmark::DoNotOptimize(tarvo::Snapshot(t));
    }
}
BENCHMARK(BM_TableChangedWhileListening);

}  // namespace

BENCHMARK_MAIN();
