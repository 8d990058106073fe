#include "solver/hint.h"

#include <algorithm>
#include <unordered_set>

namespace tarvo::solver {

namespace {

// Verdicts remembered before the memory is given back; a deal has a few
// hundred positions, a run rarely more than some thousands.
constexpr size_t kMaxKnownVerdicts = 100'000;

// Moves between columns that free nothing are offered only as the solver's
// own move: a hint that prefers them wanders from one shuffle to the next.
constexpr int kShuffle = 2;

}  // namespace

int Naturalness(const Position& p, Step s) {
    if (s.from == kTurn) return 3;
    if (s.to == kToFoundation) return 0;
    // Only a card that does not already lie where it fits frees the one
    // beneath; moving it from one fitting card to another uncovers nothing.
    if (s.from < kColumnCount && p.heights[s.from] >= 2 &&
        !FitsOn(p.Top(s.from), p.columns[s.from][p.heights[s.from] - 2]))
        return 1;
    return 2;
}

Verdict HintFinder::VerdictOf(const Position& p) {
    const std::string key = ToText(p);
    if (auto it = known_.find(key); it != known_.end()) return it->second;
    const Result result = solver_.Solve(p);
    spent_ += result.nodes;
    if (result.verdict != Verdict::kUnknown && !Cancelled()) {
        if (known_.size() >= kMaxKnownVerdicts) known_.clear();
        known_.emplace(key, result.verdict);
    }
    return result.verdict;
}

Rewind HintFinder::LastWinnable(const std::vector<Position>& earlier) {
    // A position that leads to a won one is won itself, and one a lost one
    // leads to is lost: going back, the verdicts run lost, then won. Known
    // so far: earlier[0..lost] lost, earlier[won..] won, between undecided.
    // Look 1, 2, 4, 8 ... moves back for a won one, then narrow the gap;
    // all within one budget, so that a long undecided history stays quick.
    const int n = static_cast<int>(earlier.size());
    int lost = -1, won = n;
    spent_ = 0;
    auto more = [&] { return spent_ < kHistoryBudgetNodes && !Cancelled(); };
    auto decide = [&](int i) {
        const Verdict v = VerdictOf(earlier[i]);
        if (v == Verdict::kWon) won = std::min(won, i);
        if (v == Verdict::kLost) lost = std::max(lost, i);
        return v;
    };
    for (int i = 0, step = 1; i < n && more(); i = std::min(n - 1, i + step), step *= 2) {
        if (decide(i) == Verdict::kWon || i == n - 1) break;
    }
    // Halve the gap while the middle is decided; past an undecided one, walk
    // back from the won end.
    while (won < n && won - lost > 1 && more()) {
        const int mid = (lost + won) / 2;
        if (decide(mid) != Verdict::kUnknown) continue;
        for (int i = won - 1; i > lost && more(); --i) {
            if (i != mid && decide(i) == Verdict::kLost) break;
        }
        break;
    }
    Rewind r;
    if (won < n) {
        r.movesBack = won + 1;
        r.undecided = won - lost - 1;
    } else {
        r.fromStart = lost == n - 1;
        r.undecided = n - 1 - lost;
    }
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
    // A player who followed the last hint is on its winning line: going on
    // along it, instead of solving anew, is what makes following H end.
    const std::string nowText = ToText(now);
    const bool onPlan = !plan_.empty() && nowText == planAt_;
    const Result root = lostBefore ? Result{Verdict::kLost, {}, 0}
                        : onPlan   ? Result{Verdict::kWon, plan_, 0}
                                   : solver_.Solve(now);
    plan_.clear();
    if (root.verdict == Verdict::kLost) {
        if (!Cancelled()) known_.emplace(nowText, Verdict::kLost);
        hint.kind = HintKind::kLost;
        hint.rewind = LastWinnable(earlier);
        return hint;
    }
    if (root.verdict == Verdict::kUnknown || root.line.empty()) return hint;
    if (!Cancelled()) known_.emplace(nowText, Verdict::kWon);

    // The solver's own first move is proven; a more natural one is offered
    // only when its position is proven won too, by a line shorter than the
    // rest of the solver's: so each hint followed brings the end nearer, and
    // following H ends. A move back to a position this deal has been in goes
    // round in a circle (H would shuttle a card between two places): it is
    // offered only when no other proven move is.
    std::unordered_set<std::string> seen;
    for (const Position& p : earlier)
        seen.insert(ToText(p));
    auto after = [&](Step s) {
        Position next = now;
        Undo undo;
        Apply(next, s, undo);
        return next;
    };
    Step steps[kMaxSteps];
    const int n = LegalSteps(now, steps);
    std::stable_sort(steps, steps + n,
                     [&](Step a, Step b) { return Naturalness(now, a) < Naturalness(now, b); });
    hint.kind = HintKind::kMove;
    hint.move = root.line.front();
    int rank = 3;
    bool solverCircles = false;
    Step solverStep{};
    for (int i = 0; i < n; ++i) {
        if (Describe(now, steps[i]) != hint.move) continue;
        rank = Naturalness(now, steps[i]);
        solverCircles = seen.contains(ToText(after(steps[i])));
        solverStep = steps[i];
    }
    Position next = after(solverStep);
    std::vector<Move> line(root.line.begin() + 1, root.line.end());
    for (int i = 0; i < n && !Cancelled(); ++i) {
        if (!solverCircles && Naturalness(now, steps[i]) >= std::min(rank, kShuffle)) break;
        if (Describe(now, steps[i]) == root.line.front()) continue;
        Position other = after(steps[i]);
        const std::string text = ToText(other);
        if (seen.contains(text)) continue;
        if (auto it = known_.find(text); it != known_.end() && it->second == Verdict::kLost)
            continue;
        const Result result = solver_.Solve(other);
        if (result.verdict == Verdict::kLost && !Cancelled()) known_.emplace(text, result.verdict);
        if (result.verdict != Verdict::kWon || result.line.size() >= line.size()) continue;
        if (!Cancelled()) known_.emplace(text, Verdict::kWon);
        hint.move = Describe(now, steps[i]);
        next = other;
        line = result.line;
        break;
    }
    if (!Cancelled()) {
        plan_ = std::move(line);
        planAt_ = ToText(next);
    }
    return hint;
}

}  // namespace tarvo::solver
