#pragma once
// Decides a position: won (with a line of moves), lost (a complete search
// found no win) or unknown (the node budget ran out, or it was cancelled).
// It knows the stock's hidden order. The same position and options always
// give the same answer and line. One Solver per thread; it keeps its
// transposition table between calls. The search recurses once per move of
// a line of up to 3,000 moves, some 340 bytes each (470 under
// AddressSanitizer): give its thread 2 MB of stack or more.

#include <atomic>
#include <cstdint>
#include <vector>

#include "solver/moves.h"
#include "solver/position.h"
#include "solver/transpositions.h"

namespace tarvo::solver {

// Node budgets that the benchmark chose (see the README): a hint answers a
// position from play within 100 ms at p99; a new deal is decided but for 1 %.
constexpr uint64_t kHintBudgetNodes = 300'000;
constexpr uint64_t kDealBudgetNodes = 12'000'000;

enum class Verdict { kWon, kLost, kUnknown };
const char* Name(Verdict v);

// A place on the table in the rules' terms.
enum class Where : uint8_t { kColumn, kPile, kFoundation, kStock };

// One move as the window would make it: pick `card` up at `from` and drop it
// at `to`; a stock turn goes from the stock to the pile (an ace to its
// foundation). `fromColumn`, `toColumn`: 1..7 where the place is a column.
struct Move {
    int16_t card = 0;
    Where from = Where::kStock;
    Where to = Where::kPile;
    int16_t fromColumn = 0;
    int16_t toColumn = 0;
    bool operator==(const Move&) const = default;
};
Move Describe(const Position& p, Step s);

struct Options {
    uint64_t nodeBudget = kDealBudgetNodes;
    // The transposition table's cap; it is sized to the budget below that.
    size_t tableBytes = size_t{16} << 20;
    // Checked every few thousand nodes; set it to stop the search (unknown).
    const std::atomic<bool>* cancel = nullptr;
    // Off: every legal move, no forced moves, no restarts, columns not
    // interchanged. Only for proving the pruning sound.
    bool prune = true;
};

struct Result {
    Verdict verdict = Verdict::kUnknown;
    std::vector<Move> line;  // a won position's winning moves, first first
    uint64_t nodes = 0;
};

struct MoveVerdict {
    Move move;
    Verdict after = Verdict::kUnknown;
};

class Solver {
  public:
    explicit Solver(Options options = {}) : options_(options) {}
    // `start` as FromTable or FromText give it (a sound position).
    Result Solve(const Position& start);
    // Every legal move with the verdict on the position it leads to, each
    // within the node budget (so up to 97 budgets in all).
    std::vector<MoveVerdict> Analyse(const Position& start);

  private:
    bool Search(int depth);
    int Candidates(Step* out);
    bool Run(uint64_t budget, uint64_t shuffleSeed);

    Options options_;
    Transpositions seen_;
    Position pos_;
    std::vector<Step> path_;
    uint64_t nodes_ = 0;
    uint64_t runEnd_ = 0;
    uint64_t shuffle_ = 0;  // 0: the fixed move order
    bool cut_ = false;      // the run fell short of a complete search
    bool stop_ = false;     // the run ends now: out of nodes, or cancelled
    bool cancelled_ = false;
};

}  // namespace tarvo::solver
