#include "solver/winnable_deal.h"

#include <algorithm>
#include <numeric>
#include <random>

#include "solver/position.h"

namespace tarvo::solver {

std::optional<Deck> FindWinnableDeck(Solver& solver, uint64_t seed, int tries,
                                     const std::atomic<bool>* cancel) {
    std::mt19937_64 rng(seed);
    Deck deck;
    std::iota(deck.begin(), deck.end(), int16_t{1});
    for (int i = 0; i < tries; ++i) {
        if (cancel && cancel->load(std::memory_order_relaxed)) break;
        std::shuffle(deck.begin(), deck.end(), rng);
        if (solver.Solve(Deal(deck)).verdict == Verdict::kWon) return deck;
    }
    return std::nullopt;
}

std::function<float()> DeckSource(const Deck& deck) {
    // The shuffle draws Pool index Int(R * 41); each id is still in the pool
    // at its own index when its turn comes.
    return [deck, k = size_t{0}]() mutable {
        return (static_cast<float>(deck[k++ % deck.size()]) + 0.5f) / 41.0f;
    };
}

}  // namespace tarvo::solver
