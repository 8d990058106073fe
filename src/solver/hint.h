#pragma once
// The hint: among the moves that keep the deal winnable (the stock as
// dealt), the one a player would think of first. When none does, how far
// back in the deal the position could still be won.

#include <atomic>
#include <string>
#include <unordered_map>
#include <vector>

#include "solver/solver.h"

namespace tarvo::solver {

enum class HintKind {
    kMove,     // `move` keeps the deal winnable
    kDone,     // the game is won: nothing left to move
    kLost,     // no move keeps the deal winnable; see `rewind`
    kUnknown,  // the search ran out of its budget (or was cancelled)
};

// How far back a lost position last could be won, from the positions of
// this deal before it.
struct Rewind {
    int movesBack = 0;       // the latest position proven won; 0: none
    int undecided = 0;       // positions after it (or since the deal) not decided
    bool fromStart = false;  // every position back to the deal is proven lost
};

struct Hint {
    HintKind kind = HintKind::kUnknown;
    Move move;
    Rewind rewind;
};

// Nodes the search back through a lost deal's history may take in all;
// past it, the positions not yet decided are said to be undecided.
constexpr uint64_t kHistoryBudgetNodes = 3 * kHintBudgetNodes;

// The most natural first: a card up to its foundation, a move that uncovers
// a column's next card (the card leaves one it does not fit on), other moves
// between columns, a stock turn last.
int Naturalness(const Position& p, Step s);

// One per thread, kept from one hint to the next: it remembers the verdicts
// it found, so that H pressed again in the same deal costs little.
class HintFinder {
  public:
    explicit HintFinder(Options options) : solver_(options), cancel_(options.cancel) {}
    // `earlier[0]` is the position one move back, the last one the deal
    // itself. Only a move the solver proves keeps the deal won is offered.
    Hint Find(const Position& now, const std::vector<Position>& earlier);

  private:
    Verdict VerdictOf(const Position& p);
    Rewind LastWinnable(const std::vector<Position>& earlier);
    bool Cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }

    Solver solver_;
    const std::atomic<bool>* cancel_;
    uint64_t spent_ = 0;                              // nodes searched by this history search
    std::unordered_map<std::string, Verdict> known_;  // by ToText; decided only
    std::vector<Move> plan_;                          // the rest of the last offered winning line
    std::string planAt_;                              // the position it starts from
};

}  // namespace tarvo::solver
