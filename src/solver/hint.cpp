#include "solver/hint.h"

#include <algorithm>

namespace tarvo::solver {

namespace {

// Verdicts remembered before the memory is given back; a deal has a few
// hundred positions, a run rarely more than some thousands.
constexpr size_t kMaxKnownVerdicts = 100'000;

}  // namespace

int Naturalness(const Position& p, Step s) {
    if (s.from == kTurn) return 3;
    if (s.to == kToFoundation) return 0;
    if (s.from < kColumnCount && p.heights[s.from] >= 2) return 1;
    return 2;
}

Verdict HintFinder::VerdictOf(const Position& p) {
    const std::string key = ToText(p);
    if (auto it = known_.find(key); it != known_.end()) return it->second;
    const Verdict v = solver_.Solve(p).verdict;
    if (v != Verdict::kUnknown && !Cancelled()) {
        if (known_.size() >= kMaxKnownVerdicts) known_.clear();
        known_.emplace(key, v);
    }
    return v;
}

Rewind HintFinder::LastWinnable(const std::vector<Position>& earlier) {
    // A position that leads to a won one is won itself: going back, the
    // verdicts run lost, then won. Look 1, 2, 4, 8 ... moves back for a
    // won one, then halve the gap to the latest lost one.
    Rewind r;
    const int n = static_cast<int>(earlier.size());
    int lost = -1, won = -1;
    for (int i = 0, step = 1; i < n && !Cancelled(); i = std::min(n - 1, i + step), step *= 2) {
        const Verdict v = VerdictOf(earlier[i]);
        if (v == Verdict::kWon) {
            won = i;
            break;
        }
        if (v == Verdict::kLost) lost = i;
        r.undecided += v == Verdict::kUnknown;
        if (i == n - 1) break;
    }
    if (won < 0) {
        r.fromStart = n == 0 || lost == n - 1;
        return r;
    }
    // An undecided position stops the halving: the rest is walked back from the won one.
    while (won - lost > 1 && !Cancelled()) {
        const int mid = (lost + won) / 2;
        const Verdict v = VerdictOf(earlier[mid]);
        if (v == Verdict::kWon) {
            won = mid;
        } else if (v == Verdict::kLost) {
            lost = mid;
        } else {
            for (int i = won - 1; i > lost; --i) {
                const Verdict w = VerdictOf(earlier[i]);
                if (w == Verdict::kLost) break;
                if (w == Verdict::kWon) won = i;
                r.undecided += w == Verdict::kUnknown;
            }
            break;
        }
    }
    r.movesBack = won + 1;
    return r;
}

Hint HintFinder::Find(const Position& now, const std::vector<Position>& earlier) {
    Hint hint;
    if (now.Won()) {
        hint.kind = HintKind::kDone;
        return hint;
    }
    // After a position proven lost, every one is lost.
    const bool lostBefore = !earlier.empty() && known_.contains(ToText(earlier[0])) &&
                            known_.at(ToText(earlier[0])) == Verdict::kLost;
    const Result root = lostBefore ? Result{Verdict::kLost, {}, 0} : solver_.Solve(now);
    if (root.verdict == Verdict::kLost) {
        if (!Cancelled()) known_.emplace(ToText(now), Verdict::kLost);
        hint.kind = HintKind::kLost;
        hint.rewind = LastWinnable(earlier);
        return hint;
    }
    if (root.verdict == Verdict::kUnknown || root.line.empty()) return hint;
    if (!Cancelled()) known_.emplace(ToText(now), Verdict::kWon);

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
    for (int i = 0; i < n && Naturalness(now, steps[i]) < rank && !Cancelled(); ++i) {
        Position next = now;
        Undo undo;
        Apply(next, steps[i], undo);
        if (VerdictOf(next) == Verdict::kWon) {
            hint.move = Describe(now, steps[i]);
            break;
        }
    }
    return hint;
}

}  // namespace tarvo::solver
