#include "solver/hint.h"

#include <algorithm>

namespace tarvo::solver {

namespace {

bool Cancelled(const std::atomic<bool>* cancel) {
    return cancel && cancel->load(std::memory_order_relaxed);
}

Rewind LastWinnable(Solver& solver, const std::vector<Position>& earlier,
                    const std::atomic<bool>* cancel) {
    Rewind r;
    // A position that leads to a won one is won itself: the first won one
    // going back is where the deal was last winnable.
    for (size_t back = 0; back < earlier.size() && !Cancelled(cancel); ++back) {
        switch (solver.Solve(earlier[back]).verdict) {
            case Verdict::kWon:
                r.movesBack = static_cast<int>(back + 1);
                return r;
            case Verdict::kUnknown:
                ++r.undecided;
                break;
            case Verdict::kLost:
                break;
        }
    }
    r.fromStart = r.undecided == 0 && !Cancelled(cancel);
    return r;
}

}  // namespace

int Naturalness(const Position& p, Step s) {
    if (s.from == kTurn) return 3;
    if (s.to == kToFoundation) return 0;
    if (s.from < kColumnCount && p.heights[s.from] >= 2) return 1;
    return 2;
}

Hint FindHint(Solver& solver, const Position& now, const std::vector<Position>& earlier,
              const std::atomic<bool>* cancel) {
    Hint hint;
    if (now.Won()) {
        hint.kind = HintKind::kDone;
        return hint;
    }
    const Result root = solver.Solve(now);
    if (root.verdict == Verdict::kLost) {
        hint.kind = HintKind::kLost;
        hint.rewind = LastWinnable(solver, earlier, cancel);
        return hint;
    }
    if (root.verdict == Verdict::kUnknown || root.line.empty()) return hint;

    // The solver's own first move is proven; a more natural one is offered
    // only when its position is proven won too.
    Step steps[kMaxSteps];
    const int n = LegalSteps(now, steps);
    std::stable_sort(steps, steps + n,
                     [&](Step a, Step b) { return Naturalness(now, a) < Naturalness(now, b); });
    hint.kind = HintKind::kMove;
    hint.move = root.line.front();
    int rank = 3;
    for (int i = 0; i < n; ++i) {
        if (Describe(now, steps[i]) == hint.move) rank = Naturalness(now, steps[i]);
    }
    for (int i = 0; i < n && Naturalness(now, steps[i]) < rank && !Cancelled(cancel); ++i) {
        Position next = now;
        Undo undo;
        Apply(next, steps[i], undo);
        if (solver.Solve(next).verdict == Verdict::kWon) {
            hint.move = Describe(now, steps[i]);
            break;
        }
    }
    return hint;
}

}  // namespace tarvo::solver
