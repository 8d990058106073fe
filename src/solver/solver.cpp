#include "solver/solver.h"

#include <algorithm>

namespace tarvo::solver {

namespace {

// A line is not followed beyond this: it keeps the recursion's stack small.
// A run cut short here can still win, but not prove a loss.
constexpr int kMaxDepth = 3000;
// Cancellation is looked at once per this many nodes.
constexpr uint64_t kCancelCheckNodes = 4096;
// Short runs, the first in the fixed move order and the others shuffled,
// before the complete run: a winnable deal that the fixed order leads astray
// is often won by one. Their budgets double every second run, up to a cap:
// a lost deal pays for them all before the complete run proves it.
constexpr int kShortRuns = 10;
constexpr uint64_t kFirstShortRunNodes = 3000;
constexpr uint64_t kMaxShortRunNodes = 24'000;
// A short run takes at most this share of the whole budget.
constexpr uint64_t kShortRunShareDivisor = 16;

int Suit(int id) {
    return (id - 1) / 10;
}
int Value(int id) {
    return (id - 1) % 10 + 1;
}
int Group(int id) {
    return id > 20;
}

uint64_t NextRandom(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// A card that may always go up: the only cards that could lie on it, the
// other group's one value lower, are up, and its own group's other suit is
// at most one behind; or it is a 2, on which only an ace fits.
bool SafeUp(const Position& p, int card) {
    const int s = Suit(card), v = Value(card);
    if (p.up[s] != v - 1) return false;
    if (v == 2) return true;
    const int other = Group(card) ? 0 : 2;
    return p.up[other] >= v - 1 && p.up[other + 1] >= v - 1 && p.up[s ^ 1] >= v - 2;
}

// Whether a card of value v - 1 of the other group could be laid on `card`
// at once, were it brought down from its foundation.
bool SomethingFor(const Position& p, int card) {
    const int want = Value(card) - 1;
    auto fits = [&](int d) { return d != 0 && Value(d) == want && Group(d) != Group(card); };
    for (int c = 0; c < kColumnCount; ++c)
        if (fits(p.Top(c))) return true;
    if (fits(p.PileTop())) return true;
    const int other = Group(card) ? 0 : 2;
    return want >= 2 && (p.up[other] == want || p.up[other + 1] == want);
}

}  // namespace

const char* Name(Verdict v) {
    switch (v) {
        case Verdict::kWon:
            return "won";
        case Verdict::kLost:
            return "lost";
        case Verdict::kUnknown:
            break;
    }
    return "unknown";
}

Move Describe(const Position& p, Step s) {
    Move m;
    m.card = CardAt(p, s.from);
    if (s.from == kTurn) {
        m.to = isAce(m.card) ? Where::kFoundation : Where::kPile;
        return m;
    }
    if (s.from < kColumnCount) {
        m.from = Where::kColumn;
        m.fromColumn = static_cast<int16_t>(s.from + 1);
    } else {
        m.from = s.from == kFromPile ? Where::kPile : Where::kFoundation;
    }
    if (s.to == kToFoundation) {
        m.to = Where::kFoundation;
    } else {
        m.to = Where::kColumn;
        m.toColumn = static_cast<int16_t>(s.to + 1);
    }
    return m;
}

// The moves worth trying, best first. Pruned: a safe move up is the only
// one; of several empty columns only the first is tried, and never for a
// column's only card; a foundation card comes down only when a card could
// then be laid on it.
int Solver::Candidates(Step* out) {
    const Position& p = pos_;
    if (!options_.prune) return LegalSteps(p, out);
    for (uint8_t from = 0; from <= kFromPile; ++from) {
        const uint8_t c = CardAt(p, from);
        if (c != 0 && SafeUp(p, c)) {
            out[0] = {from, kToFoundation};
            return 1;
        }
    }
    int firstEmpty = -1;
    for (int c = 0; c < kColumnCount && firstEmpty < 0; ++c)
        if (p.heights[c] == 0) firstEmpty = c;

    int n = 0;
    for (uint8_t from = 0; from <= kFromPile; ++from) {
        const uint8_t c = CardAt(p, from);
        if (c != 0 && p.up[Suit(c)] == Value(c) - 1) out[n++] = {from, kToFoundation};
    }
    // A card that already lies on a card it fits gains only a change of base
    // by moving: such moves come after the stock.
    auto onItsBase = [&](uint8_t from) {
        const int h = from < kColumnCount ? p.heights[from] : 0;
        if (h < 2) return false;
        const int c = p.columns[from][h - 1], u = p.columns[from][h - 2];
        return Value(u) == Value(c) + 1 && Group(u) != Group(c);
    };
    auto toColumns = [&](uint8_t from) {
        const uint8_t c = CardAt(p, from);
        if (c == 0) return;
        for (uint8_t col = 0; col < kColumnCount; ++col)
            if (col != from && p.heights[col] != 0 && Fits(p, c, col)) out[n++] = {from, col};
        const bool alone = from < kColumnCount && p.heights[from] == 1;
        if (firstEmpty >= 0 && !alone) out[n++] = {from, static_cast<uint8_t>(firstEmpty)};
    };
    for (uint8_t from = 0; from < kColumnCount; ++from)
        if (!onItsBase(from)) toColumns(from);
    toColumns(kFromPile);
    if (p.stockNext < p.stockSize) out[n++] = {kTurn, 0};
    for (uint8_t from = 0; from < kColumnCount; ++from)
        if (onItsBase(from)) toColumns(from);
    for (uint8_t s = 0; s < kSuitCount; ++s) {
        const uint8_t from = static_cast<uint8_t>(kFromFoundation + s);
        const uint8_t c = CardAt(p, from);
        if (c != 0 && SomethingFor(p, c)) toColumns(from);
    }

    if (shuffle_ != 0) {
        for (int i = n - 1; i > 0; --i)
            std::swap(out[i], out[NextRandom(shuffle_) % static_cast<uint64_t>(i + 1)]);
    }
    return n;
}

bool Solver::Search(int depth) {
    if (pos_.Won()) return true;
    if (nodes_ >= runEnd_) {
        cut_ = stop_ = true;
        return false;
    }
    if (depth >= kMaxDepth) {
        cut_ = true;  // incomplete, but the rest of the run goes on
        return false;
    }
    if (++nodes_ % kCancelCheckNodes == 0 && options_.cancel &&
        options_.cancel->load(std::memory_order_relaxed)) {
        cancelled_ = stop_ = cut_ = true;
        return false;
    }
    if (!seen_.Insert(Hash(pos_, options_.prune))) return false;

    Step steps[kMaxSteps];
    const int n = Candidates(steps);
    for (int i = 0; i < n; ++i) {
        Undo undo;
        Apply(pos_, steps[i], undo);
        path_.push_back(steps[i]);
        if (Search(depth + 1)) return true;
        path_.pop_back();
        Revert(pos_, steps[i], undo);
        if (stop_) return false;
    }
    return false;
}

bool Solver::Run(uint64_t budget, uint64_t shuffleSeed) {
    seen_.NewRun();
    path_.clear();
    cut_ = stop_ = false;
    shuffle_ = shuffleSeed;
    runEnd_ = std::min(options_.nodeBudget, nodes_ + budget);
    return Search(0);
}

Result Solver::Solve(const Position& start) {
    nodes_ = 0;
    cancelled_ = false;
    // Twice the nodes: a run that uses them all still finds room.
    seen_.Size(static_cast<size_t>(2 * std::min(options_.nodeBudget, uint64_t{1} << 40)),
               options_.tableBytes);
    Result result;
    bool won = false, complete = false;
    const uint64_t cap = options_.nodeBudget / kShortRunShareDivisor;
    // Below that the budget is all for one complete run.
    if (options_.prune && cap >= kFirstShortRunNodes) {
        // Seeded from the position: the same position is always searched alike.
        uint64_t seed = Hash(start, false);
        for (int run = 0; run < kShortRuns && !won && !complete; ++run) {
            pos_ = start;
            const uint64_t budget =
                std::min({cap, kMaxShortRunNodes, kFirstShortRunNodes << (run / 2)});
            won = Run(budget, run == 0 ? 0 : NextRandom(seed) | 1);
            complete = !cut_;
            if (cancelled_) break;
        }
    }
    if (!won && !complete && !cancelled_) {
        pos_ = start;
        won = Run(options_.nodeBudget - std::min(nodes_, options_.nodeBudget), 0);
        complete = !cut_;
    }
    result.nodes = nodes_;
    if (won) {
        result.verdict = Verdict::kWon;
        Position p = start;
        for (Step s : path_) {
            result.line.push_back(Describe(p, s));
            Undo undo;
            Apply(p, s, undo);
        }
    } else {
        result.verdict = complete ? Verdict::kLost : Verdict::kUnknown;
    }
    return result;
}

std::vector<MoveVerdict> Solver::Analyse(const Position& start) {
    Step steps[kMaxSteps];
    const int n = LegalSteps(start, steps);
    std::vector<MoveVerdict> verdicts;
    for (int i = 0; i < n; ++i) {
        Position next = start;
        Undo undo;
        Apply(next, steps[i], undo);
        verdicts.push_back({Describe(start, steps[i]), Solve(next).verdict});
    }
    return verdicts;
}

}  // namespace tarvo::solver
