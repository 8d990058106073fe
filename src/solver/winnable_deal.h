#pragma once
// A new deal that can be won: shuffles until the solver proves one won, and
// the random source with which the game's own shuffle deals exactly it.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

#include "solver/solver.h"

namespace tarvo::solver {

using Deck = std::array<int16_t, kCardCount>;

// Deals from `seed` on until one is proven won within the solver's budget;
// nothing after `tries` deals or when cancelled. About one deal in ten is lost.
std::optional<Deck> FindWinnableDeck(Solver& solver, uint64_t seed, int tries,
                                     const std::atomic<bool>* cancel = nullptr);

// For Table::Random: the shuffle then draws the deck's cards in order.
std::function<float()> DeckSource(const Deck& deck);

}  // namespace tarvo::solver
