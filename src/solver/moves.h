#pragma once
// Every move the rules allow on a Position, and doing and undoing one. This
// is a second, fast encoding of the rules; tests/solver proves it equal to
// the model's own procedures.

#include <cstdint>

#include "solver/position.h"

namespace tarvo::solver {

// Sources of a card: a column 0..6, the pile, a foundation (kFromFoundation
// + suit 0..3); kTurn turns the stock. Targets: a column 0..6 or the
// foundation of the card's own suit.
constexpr uint8_t kFromPile = 7;
constexpr uint8_t kFromFoundation = 8;
constexpr uint8_t kTurn = 12;
constexpr uint8_t kToFoundation = 7;
// 12 cards that can be picked up, 8 targets each, and the stock.
constexpr int kMaxSteps = 12 * 8 + 1;

struct Step {
    uint8_t from = 0;
    uint8_t to = 0;
    bool operator==(const Step&) const = default;
};

// What a step changed that the step alone does not tell.
struct Undo {
    uint8_t card = 0;
    uint8_t acesUp = 0;  // aces sent up from the source column, top first
    uint8_t aces[kSuitCount] = {};
};

// The card a player would pick up at `from`; 0 if none may be picked up there.
uint8_t CardAt(const Position& p, uint8_t from);

// Whether `card` may lie on `top` in a column: one value lower, other group.
inline bool FitsOn(int card, int top) {
    const int vc = (card - 1) % 10, vt = (top - 1) % 10;
    return vt == vc + 1 && (card <= 20) != (top <= 20);
}
inline bool Fits(const Position& p, uint8_t card, int col) {
    const int h = p.heights[col];
    if (h == 0) return true;
    return h < kColumnRows && FitsOn(card, p.columns[col][h - 1]);
}
// Every legal step; returns how many were written to `out` (kMaxSteps room).
int LegalSteps(const Position& p, Step* out);

void Apply(Position& p, Step s, Undo& undo);
void Revert(Position& p, Step s, const Undo& undo);

}  // namespace tarvo::solver
