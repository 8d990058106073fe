#include "solver/moves.h"

#include <bit>

namespace tarvo::solver {

namespace {

int Suit(int id) {
    return (id - 1) / 10;
}
int Value(int id) {
    return (id - 1) % 10 + 1;
}

}  // namespace

uint8_t CardAt(const Position& p, uint8_t from) {
    if (from < kColumnCount) return p.Top(from);
    if (from == kFromPile) return p.PileTop();
    if (from == kTurn) return p.stockNext < p.stockSize ? p.stock[p.stockNext] : 0;
    const int s = from - kFromFoundation;
    // An ace never leaves its foundation.
    return p.up[s] >= 2 ? static_cast<uint8_t>(s * 10 + p.up[s]) : 0;
}

int LegalSteps(const Position& p, Step* out) {
    int n = 0;
    for (uint8_t from = 0; from < kTurn; ++from) {
        const uint8_t c = CardAt(p, from);
        if (c == 0) continue;
        if (p.up[Suit(c)] == Value(c) - 1) out[n++] = {from, kToFoundation};
        for (uint8_t col = 0; col < kColumnCount; ++col)
            if (col != from && Fits(p, c, col)) out[n++] = {from, col};
    }
    if (p.stockNext < p.stockSize) out[n++] = {kTurn, 0};
    return n;
}

void Apply(Position& p, Step s, Undo& undo) {
    undo.acesUp = 0;
    if (s.from == kTurn) {
        const uint8_t c = p.stock[p.stockNext];
        undo.card = c;
        if (isAce(c))
            p.up[Suit(c)] = 1;
        else
            p.pile = static_cast<uint16_t>(p.pile | 1u << p.stockNext);
        ++p.stockNext;
        return;
    }
    const uint8_t c = CardAt(p, s.from);
    undo.card = c;
    if (s.from < kColumnCount) {
        p.columns[s.from][--p.heights[s.from]] = 0;
    } else if (s.from == kFromPile) {
        p.pile = static_cast<uint16_t>(p.pile & ~(1u << (std::bit_width(p.pile) - 1)));
    } else {
        --p.up[s.from - kFromFoundation];
    }
    if (s.to == kToFoundation)
        ++p.up[Suit(c)];
    else
        p.columns[s.to][p.heights[s.to]++] = c;
    if (s.from < kColumnCount) {
        // Aces uncovered go up at once, and so do aces beneath them.
        auto& h = p.heights[s.from];
        while (h > 0 && isAce(p.columns[s.from][h - 1])) {
            const uint8_t ace = p.columns[s.from][--h];
            p.columns[s.from][h] = 0;
            p.up[Suit(ace)] = 1;
            undo.aces[undo.acesUp++] = ace;
        }
    }
}

void Revert(Position& p, Step s, const Undo& undo) {
    const uint8_t c = undo.card;
    if (s.from == kTurn) {
        --p.stockNext;
        if (isAce(c))
            p.up[Suit(c)] = 0;
        else
            p.pile = static_cast<uint16_t>(p.pile & ~(1u << p.stockNext));
        return;
    }
    for (int i = undo.acesUp - 1; i >= 0; --i) {
        const uint8_t ace = undo.aces[i];
        p.up[Suit(ace)] = 0;
        p.columns[s.from][p.heights[s.from]++] = ace;
    }
    if (s.to == kToFoundation)
        --p.up[Suit(c)];
    else
        p.columns[s.to][--p.heights[s.to]] = 0;
    if (s.from < kColumnCount) {
        p.columns[s.from][p.heights[s.from]++] = c;
    } else if (s.from == kFromPile) {
        // The card came off the pile's top: the turned card it was.
        for (int i = p.stockNext - 1; i >= 0; --i) {
            if (p.stock[i] == c) {
                p.pile = static_cast<uint16_t>(p.pile | 1u << i);
                break;
            }
        }
    } else {
        ++p.up[s.from - kFromFoundation];
    }
}

}  // namespace tarvo::solver
