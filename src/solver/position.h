#pragma once
// The table as the solver sees it: seven columns, four foundation heights and
// the stock as dealt, with the pile as a bit mask over it (the pile is last in,
// first out, so the turned cards still lying there are all it needs). Small
// enough to copy; equal positions compare equal.

#include <array>
#include <cstdint>
#include <string>

#include "model/table.h"

namespace tarvo::solver {

constexpr int kStockSize = kCardCount - kFirstStockIndex + 1;

struct Position {
    // Card ids, row 1 first; rows past the height are 0.
    std::array<std::array<uint8_t, kColumnRows>, kColumnCount> columns{};
    std::array<uint8_t, kColumnCount> heights{};
    // Cards on each suit's foundation, 0..10, Denari first.
    std::array<uint8_t, kSuitCount> up{};
    // The stock in turning order; stockNext indexes the next card to turn.
    std::array<uint8_t, kStockSize> stock{};
    uint8_t stockSize = 0;
    uint8_t stockNext = 0;
    // Bit i: stock[i] lies on the pile. The highest bit is the pile's top.
    uint16_t pile = 0;

    bool operator==(const Position&) const = default;

    bool Won() const { return up[0] + up[1] + up[2] + up[3] == kCardCount; }
    uint8_t Top(int col) const { return heights[col] ? columns[col][heights[col] - 1] : 0; }
    uint8_t PileTop() const;
};

// The same position with the turned cards that left the pile dropped from
// the stock: the form FromTable and FromText give, so that a table and its
// text are searched alike.
Position Compact(const Position& p);

// What the position lacks to be one the rules can reach; empty when sound.
std::string Fault(const Position& p);

// The table as the rules leave it after any handler. Fails (a Fault text in
// `error`) for a table that breaks the rules' invariants.
bool FromTable(const Table& t, Position& out, std::string& error);

// The position a deal starts from: `deck` is Deck(1..40) as the shuffle
// leaves it. The deal itself is the model's own.
Position Deal(const std::array<int16_t, kCardCount>& deck);
// The position of the deal the shuffle makes when the time of day (seconds
// since midnight) is `timeOfDay`: fixed deals for tests and benchmarks.
Position DealAt(double timeOfDay);

// A word that is a whole number 0..40 (a card id, or 0 for none); -1 for
// any other word.
int CardNumber(const std::string& word);

// One line of text, the form tests and tarvo-solve share:
//   "c1: 24 3 | c3: 23 | f: 0 10 23 30 | p: 26 27 | s: 5 6 7"
// c1..c7 the columns (row 1 first; a column not named is empty), f the four
// foundation tops as card ids (suit s empty: (s - 1) * 10), p the stock pile
// (first turned first, its top last), s the stock still to turn (next first).
std::string ToText(const Position& p);
// Reads that form; on failure returns false with the reason in `error`.
bool FromText(const std::string& text, Position& out, std::string& error);

}  // namespace tarvo::solver
