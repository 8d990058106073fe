// Figures for the README's solver section: verdicts and CPU time of the
// solving thread on fixed deals at the deal budget, and on positions from
// random play at the hint budget.
//   solver_bench [--deals N] [--positions N] [--deal-budget NODES] [--hint-budget NODES]

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "solver/solver.h"

namespace {

using namespace tarvo;
using namespace tarvo::solver;

double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

struct Sample {
    Verdict verdict;
    double ms;
    uint64_t nodes;
    size_t moves;
};

double Quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(q * static_cast<double>(v.size())))];
}

void Report(const char* title, const std::vector<Sample>& samples) {
    int count[3] = {};
    std::vector<double> ms, decidedMs, moves;
    for (const Sample& s : samples) {
        ++count[static_cast<int>(s.verdict)];
        ms.push_back(s.ms);
        if (s.verdict != Verdict::kUnknown) decidedMs.push_back(s.ms);
        if (s.verdict == Verdict::kWon) moves.push_back(static_cast<double>(s.moves));
    }
    const double n = static_cast<double>(samples.size());
    std::printf("%s: %zu\n", title, samples.size());
    std::printf("  won %.1f %%, lost %.1f %%, unknown %.1f %%\n", 100 * count[0] / n,
                100 * count[1] / n, 100 * count[2] / n);
    std::printf("  CPU ms, all: median %.2f, p95 %.2f, p99 %.2f, max %.1f\n", Quantile(ms, 0.5),
                Quantile(ms, 0.95), Quantile(ms, 0.99), Quantile(ms, 1));
    std::printf("  CPU ms, decided: median %.2f, p95 %.2f, p99 %.2f, max %.1f\n",
                Quantile(decidedMs, 0.5), Quantile(decidedMs, 0.95), Quantile(decidedMs, 0.99),
                Quantile(decidedMs, 1));
    std::printf("  winning line, moves: median %.0f, max %.0f\n", Quantile(moves, 0.5),
                Quantile(moves, 1));
}

Sample Timed(Solver& solver, const Position& p) {
    const double start = ThreadCpuMs();
    const Result r = solver.Solve(p);
    return {r.verdict, ThreadCpuMs() - start, r.nodes, r.line.size()};
}

}  // namespace

int main(int argc, char** argv) {
    int deals = 1000, positions = 1000;
    uint64_t dealBudget = kDealBudgetNodes, hintBudget = kHintBudgetNodes;
    for (int i = 1; i + 1 < argc; i += 2) {
        const unsigned long long v = std::strtoull(argv[i + 1], nullptr, 10);
        if (!std::strcmp(argv[i], "--deals")) deals = static_cast<int>(v);
        if (!std::strcmp(argv[i], "--positions")) positions = static_cast<int>(v);
        if (!std::strcmp(argv[i], "--deal-budget")) dealBudget = v;
        if (!std::strcmp(argv[i], "--hint-budget")) hintBudget = v;
    }

    Solver dealSolver({.nodeBudget = dealBudget});
    std::vector<Sample> samples;
    for (int i = 0; i < deals; ++i)
        samples.push_back(Timed(dealSolver, DealAt(1000.0 + i)));
    std::printf("deal budget %llu nodes\n", static_cast<unsigned long long>(dealBudget));
    Report("deals", samples);

    // Positions a hint would face: a deal played at random for 0..150 moves.
    Solver hintSolver({.nodeBudget = hintBudget});
    std::mt19937 rng(20261209);
    samples.clear();
    for (int i = 0; i < positions; ++i) {
        Position p = DealAt(5000.0 + i);
        const int length = std::uniform_int_distribution<int>(0, 150)(rng);
        Step steps[kMaxSteps];
        for (int m = 0; m < length && !p.Won(); ++m) {
            const int n = LegalSteps(p, steps);
            if (n == 0) break;
            Undo undo;
            Apply(p, steps[std::uniform_int_distribution<int>(0, n - 1)(rng)], undo);
        }
        samples.push_back(Timed(hintSolver, p));
    }
    std::printf("hint budget %llu nodes\n", static_cast<unsigned long long>(hintBudget));
    Report("positions from random play", samples);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory (max RSS) %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024);
    return 0;
}
