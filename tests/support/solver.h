#pragma once
// Players for tests: one call per thing a hand on the mouse can cause, and a
// searcher that sees the whole table and finds a winning line for a deal.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "model/table.h"

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

// Depth-first, foundations first, then column moves, then the stock; stops at
// the first win. Every table it reaches is checked against the invariants.
class Searcher {
  public:
    explicit Searcher(int budget) : budget_(budget) {}
    bool Win(const Table& t, int depth = 0);

    std::vector<Move> line;           // the winning moves, first first
    std::vector<std::string> faults;  // invariant violations met on the way

  private:
    bool Try(const Table& next, const Move& move, int depth);
    static std::string Key(const Table& t);
    static constexpr int kMaxDepth = 300;
    int budget_;
    std::set<std::string> seen_;
};

// The first deal from time of day `base` + 1, + 2, ... that the searcher wins,
// with its line; an empty line when none of `tries` deals is won.
struct WinnableDeal {
    double timeOfDay = 0;
    std::vector<Move> line;
};
WinnableDeal FindWinnableDeal(double base, int tries, int budget);

}  // namespace tarvo::testing
