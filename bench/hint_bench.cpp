// The time H takes: the hint (with the history when the deal is lost) on
// positions from random play, the first H of a deal included, on one solver
// per deal as the worker keeps it. Prints quantiles of wall time.
//   hint_bench [--deals N]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "solver/hint.h"

namespace {

using namespace tarvo;
using namespace tarvo::solver;

double Quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(q * static_cast<double>(v.size())))];
}

}  // namespace

int main(int argc, char** argv) {
    int deals = 200;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--deals")) deals = std::atoi(argv[i + 1]);
    }
    std::mt19937 rng(20261209);
    std::vector<double> all, first;
    int kinds[4] = {};
    // Lost answers: back to the latest won position, back to a won one with
    // undecided ones since, lost from the deal, nothing won found.
    int exact = 0, partly = 0, fromStart = 0, undecided = 0;
    for (int d = 0; d < deals; ++d) {
        HintFinder finder({.nodeBudget = kHintBudgetNodes});
        Position p = DealAt(7000.0 + d);
        std::vector<Position> earlier;
        // H pressed now and then along a game of random moves.
        const int length = std::uniform_int_distribution<int>(0, 120)(rng);
        for (int m = 0; m <= length && !p.Won(); ++m) {
            if (m == 0 || std::uniform_int_distribution<int>(0, 9)(rng) == 0) {
                const auto start = std::chrono::steady_clock::now();
                const Hint h = finder.Find(p, earlier);
                const double ms = std::chrono::duration<double, std::milli>(
                                      std::chrono::steady_clock::now() - start)
                                      .count();
                ++kinds[static_cast<int>(h.kind)];
                if (h.kind == HintKind::kLost) {
                    const Rewind& r = h.rewind;
                    ++(r.movesBack > 0 ? (r.undecided == 0 ? exact : partly)
                                       : (r.fromStart ? fromStart : undecided));
                }
                all.push_back(ms);
                if (m == 0) first.push_back(ms);
            }
            Step steps[kMaxSteps];
            const int n = LegalSteps(p, steps);
            if (n == 0) break;
            earlier.insert(earlier.begin(), p);
            Undo undo;
            Apply(p, steps[std::uniform_int_distribution<int>(0, n - 1)(rng)], undo);
        }
    }
    std::printf("hints: %zu (move %d, done %d, lost %d, unknown %d)\n", all.size(), kinds[0],
                kinds[1], kinds[2], kinds[3]);
    std::printf(
        "lost: latest won found %d, won found with undecided since %d, lost from the "
        "deal %d, undecided %d\n",
        exact, partly, fromStart, undecided);
    std::printf("  wall ms, all: median %.2f, p95 %.2f, p99 %.2f, max %.1f\n", Quantile(all, 0.5),
                Quantile(all, 0.95), Quantile(all, 0.99), Quantile(all, 1));
    std::printf("  wall ms, first H of a deal: median %.2f, p95 %.2f, max %.1f\n",
                Quantile(first, 0.5), Quantile(first, 0.95), Quantile(first, 1));
    return 0;
}
