#pragma once
// Players for tests: one call per thing a hand on the mouse can cause, and a
// searcher that finds a winning line for a deal with the game's solver and
// plays it through the rule procedures.

#include <cstdint>
#include <string>
#include <vector>

#include "model/table.h"
#include "solver/solver.h"

namespace tarvo::testing {

// Cards a left press could reach: marked "a" and in front at their place.
std::vector<int16_t> Reachable(const Table& t);
bool Won(const Table& t);

// The rule procedures called as a press and a release of the left button would.
class Player {
  public:
    explicit Player(Table& t) : t_(t) {}
    void Press(int16_t card);
    // x, y: where the drag left the card before the release.
    void ReleaseOnColumn(int16_t col, float x, float y);
    void ReleaseOnFoundation();

  private:
    void EndRelease();
    Table& t_;
};

struct Move {
    enum Kind { kFoundation, kColumn, kStock } kind;
    int16_t card = 0;  // the card moved (for the stock: the card turned)
    int16_t column = 0;
};
Move FromSolver(const solver::Move& m);

// Plays a solver's moves on `t` as the mouse would (a stock click, a drop on
// the foundations, a drag to a column), each from a card a press could reach.
// Returns one line per move refused or per invariant broken after a move.
std::vector<std::string> Replay(Table& t, const std::vector<solver::Move>& line);

// The solver within a node budget; a win is played on a copy of the table
// and checked after every move.
class Searcher {
  public:
    explicit Searcher(int budget) : budget_(budget) {}
    bool Win(const Table& t, int depth = 0);

    std::vector<Move> line;           // the winning moves, first first
    std::vector<std::string> faults;  // what the replay of the line met

  private:
    int budget_;
};

// The first deal from time of day `base` + 1, + 2, ... that the searcher wins,
// with its line; an empty line when none of `tries` deals is won.
struct WinnableDeal {
    double timeOfDay = 0;
    std::vector<Move> line;
};
WinnableDeal FindWinnableDeal(double base, int tries, int budget);

}  // namespace tarvo::testing
