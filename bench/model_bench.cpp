// Figures for the rules: a whole deal, and one column move with its undo.

#include <benchmark/benchmark.h>

#include "model/table.h"

namespace {

void BM_Deal(benchmark::State& state) {
    tarvo::Table t;
    double seconds = 0;
    t.TimeOfDay = [&seconds] { return seconds += 0.001; };
    for (auto _ : state) {
        t.Mescola();
        benchmark::DoNotOptimize(t.Deck);
    }
}
BENCHMARK(BM_Deal);

void BM_DealWithSystemClock(benchmark::State& state) {
    tarvo::Table t;
    for (auto _ : state) {
        t.Mescola();
        benchmark::DoNotOptimize(t.Deck);
    }
}
BENCHMARK(BM_DealWithSystemClock);

// A 3 of Denari from column 1 onto the 4 of Bastoni in column 2, and back by
// way of an empty column 3 and column 1 again, so every iteration is the same.
void BM_ColumnMove(benchmark::State& state) {
    tarvo::Table t;
    t.Mescola();
    for (auto& col : t.Columns)
        for (auto& cell : col)
            cell = 0;
    t.Columns[1][1] = 3;
    t.Columns[2][1] = 24;
    t.Carta[3] = {0, 0, "a", 1};
    t.Carta[24] = {65, 0, "a", 2};
    for (auto _ : state) {
        t.CurCard = 3;
        t.HomeLeft = t.Carta[3].Left;
        t.HomeTop = t.Carta[3].Top;
        t.DropCol = t.HomeLeft == 0 ? 2 : 1;
        t.Decrescente();
        benchmark::DoNotOptimize(t.Columns);
    }
}
BENCHMARK(BM_ColumnMove);

}  // namespace

BENCHMARK_MAIN();
