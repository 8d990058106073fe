// The search's pruning (forced moves up, one empty column of several,
// foundation cards brought down only to take a card, columns taken as
// interchangeable, restarts) must never change a verdict: on deals and on
// positions of play, the pruned search and a search over every legal move
// agree wherever both finish. Every winning line either finds is played
// through the rule procedures to the end.

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "solver.h"

namespace tarvo {
namespace {

using solver::Position;
using solver::Verdict;

constexpr int kDeals = 100;
constexpr int kPositions = 3 * kDeals;
// Budgets in nodes: enough for most positions, small enough for the
// sanitizer build.
constexpr uint64_t kPrunedBudgetNodes = 20'000;
constexpr uint64_t kFullBudgetNodes = 15'000;

struct Sample {
    std::unique_ptr<Table> table;
    std::string origin;
};

std::unique_ptr<Table> Copy(const Table& t) {
    return std::make_unique<Table>(t);
}

Position Read(const Table& t) {
    Position p;
    std::string error;
    EXPECT_TRUE(solver::FromTable(t, p, error)) << error;
    return p;
}

// Plays `moves` random legal moves through the rule procedures.
void PlayAtRandom(Table& t, int moves, std::mt19937& rng) {
    for (int i = 0; i < moves; ++i) {
        const Position p = Read(t);
        solver::Step steps[solver::kMaxSteps];
        const int n = solver::LegalSteps(p, steps);
        if (n == 0) return;
        const solver::Step s = steps[std::uniform_int_distribution<int>(0, n - 1)(rng)];
        ASSERT_EQ(testing::Replay(t, {solver::Describe(p, s)}), std::vector<std::string>{});
    }
}

// Each deal, the same deal halfway along a winning line (or played at
// random when none is found), and the deal played at random for a while:
// winnable and lost positions at every stage of a game.
std::vector<Sample> Samples() {
    std::vector<Sample> samples;
    std::mt19937 rng(4242);
    solver::Solver finder({.nodeBudget = kPrunedBudgetNodes});
    for (int deal = 0; deal < kDeals; ++deal) {
        auto t = std::make_unique<Table>();
        t->TimeOfDay = [deal] { return 9000.0 + deal; };
        t->Mescola();
        const std::string name = "deal " + std::to_string(deal);

        auto half = Copy(*t);
        const auto found = finder.Solve(Read(*t));
        if (found.verdict == Verdict::kWon) {
            const std::vector<solver::Move> start(found.line.begin(),
                                                  found.line.begin() + found.line.size() / 2);
            EXPECT_EQ(testing::Replay(*half, start), std::vector<std::string>{});
        } else {
            PlayAtRandom(*half, 40, rng);
        }
        auto played = Copy(*t);
        PlayAtRandom(*played, std::uniform_int_distribution<int>(20, 120)(rng), rng);

        samples.push_back({std::move(t), name});
        samples.push_back({std::move(half), name + " halfway"});
        samples.push_back({std::move(played), name + " played at random"});
    }
    return samples;
}

// The line ends the game: all 40 cards up and the win announced once.
void ExpectLineWins(const Table& from, const solver::Result& r, const std::string& what) {
    auto t = Copy(from);
    int finales = 0;
    t->Finale = [&finales] { ++finales; };
    EXPECT_EQ(testing::Replay(*t, r.line), std::vector<std::string>{}) << what;
    EXPECT_TRUE(testing::Won(*t)) << what;
    EXPECT_EQ(finales, 1) << what;
}

TEST(Pruning, AgreesWithTheSearchOfEveryLegalMove) {
    const auto samples = Samples();
    ASSERT_EQ(samples.size(), static_cast<size_t>(kPositions));
    solver::Solver pruned({.nodeBudget = kPrunedBudgetNodes});
    solver::Solver full({.nodeBudget = kFullBudgetNodes, .prune = false});
    int both = 0, lost = 0, prunedOpen = 0, fullOpen = 0;
    for (const Sample& s : samples) {
        const Position p = Read(*s.table);
        const auto a = pruned.Solve(p);
        const auto b = full.Solve(p);
        if (a.verdict == Verdict::kWon) ExpectLineWins(*s.table, a, s.origin + ", pruned");
        if (b.verdict == Verdict::kWon) ExpectLineWins(*s.table, b, s.origin + ", every move");
        prunedOpen += a.verdict == Verdict::kUnknown;
        fullOpen += b.verdict == Verdict::kUnknown;
        if (a.verdict == Verdict::kUnknown || b.verdict == Verdict::kUnknown) continue;
        ++both;
        lost += a.verdict == Verdict::kLost;
        EXPECT_EQ(solver::Name(a.verdict), std::string(solver::Name(b.verdict)))
            << s.origin << ": " << solver::ToText(p);
    }
    std::printf(
        "%d positions: %d decided by both (%d lost); unfinished: %d pruned, %d every move\n",
        kPositions, both, lost, prunedOpen, fullOpen);
    // The comparison means something only if most positions are decided by
    // both, the proven losses among them.
    EXPECT_GE(both, kPositions / 2);
    EXPECT_GE(lost, kPositions / 10);
}

}  // namespace
}  // namespace tarvo
