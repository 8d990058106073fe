// The hint against the solver's verdict on every legal move, on positions
// from random play: only a winning move is offered, the most natural one,
// and a lost position says how far back it was last won.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <future>
#include <memory>
#include <random>

#include "solver/hint.h"
#include "solver/solver_worker.h"

namespace tarvo::solver {
namespace {

bool Revisits(const Position& p, Step s, const std::vector<Position>& earlier) {
    Position next = p;
    Undo undo;
    Apply(next, s, undo);
    return std::any_of(earlier.begin(), earlier.end(),
                       [&](const Position& e) { return ToText(e) == ToText(next); });
}

TEST(Hint, OffersTheMostNaturalWinningMoveOrHowFarBackTheDealWasWon) {
    std::mt19937 rng(7);
    int moves = 0, lost = 0, rewound = 0;
    for (int game = 0; game < 12; ++game) {
        Position p = DealAt(3000.0 + game);
        std::vector<Position> earlier;  // one move back first
        const int length = std::uniform_int_distribution<int>(0, 40)(rng);
        for (int m = 0; m < length; ++m) {
            Step steps[kMaxSteps];
            const int n = LegalSteps(p, steps);
            if (n == 0 || p.Won()) break;
            earlier.insert(earlier.begin(), p);
            Undo undo;
            Apply(p, steps[std::uniform_int_distribution<int>(0, n - 1)(rng)], undo);
        }
        HintFinder finder({.nodeBudget = kHintBudgetNodes});
        const Hint hint = finder.Find(p, earlier);
        SCOPED_TRACE(ToText(p));

        Solver judge({.nodeBudget = kHintBudgetNodes});
        auto after = [&](Step s) {
            Position next = p;
            Undo undo;
            Apply(next, s, undo);
            return judge.Solve(next).verdict;
        };
        Step steps[kMaxSteps];
        const int n = LegalSteps(p, steps);
        std::stable_sort(steps, steps + n,
                         [&](Step a, Step b) { return Naturalness(p, a) < Naturalness(p, b); });
        switch (hint.kind) {
            case HintKind::kMove: {
                ++moves;
                const Step* offered = std::find_if(
                    steps, steps + n, [&](Step s) { return Describe(p, s) == hint.move; });
                ASSERT_NE(offered, steps + n);
                EXPECT_EQ(after(*offered), Verdict::kWon);
                // No more natural move wins, but for one back to where the deal has
                // been, or a shuffle that frees nothing (offered only as the solver's).
                const int better = std::min(Naturalness(p, *offered), 2);
                for (const Step* s = steps; Naturalness(p, *s) < better; ++s)
                    if (!Revisits(p, *s, earlier)) {
                        EXPECT_NE(after(*s), Verdict::kWon) << int(s->from) << " to " << int(s->to);
                    }
                break;
            }
            case HintKind::kLost:
                ++lost;
                if (hint.rewind.movesBack > 0) {
                    ++rewound;
                    const int k = hint.rewind.movesBack;
                    EXPECT_EQ(judge.Solve(earlier[k - 1]).verdict, Verdict::kWon);
                    // The latest one, unless the positions since are said undecided.
                    if (k > 1 && hint.rewind.undecided == 0) {
                        EXPECT_NE(judge.Solve(earlier[k - 2]).verdict, Verdict::kWon);
                    }
                } else {
                    EXPECT_TRUE(hint.rewind.fromStart || hint.rewind.undecided > 0);
                }
                break;
            case HintKind::kDone:
                EXPECT_TRUE(p.Won());
                break;
            case HintKind::kUnknown:
                break;
        }
    }
    // The storm met what it is for.
    EXPECT_GT(moves, 3);
    EXPECT_GT(rewound, 0);
    EXPECT_GT(lost, 0);
}

// A player who does what H says wins the deal: H once shuttled a card
// between two columns for ever, and then wandered from shuffle to shuffle.
TEST(Hint, FollowedWinsTheDealWithoutGoingRound) {
    int winnable = 0;
    for (int deal : {2, 14, 18}) {
        Position p = DealAt(5000.0 + deal);
        std::vector<Position> earlier;
        HintFinder finder({.nodeBudget = kHintBudgetNodes});
        Hint hint = finder.Find(p, earlier);
        if (hint.kind != HintKind::kMove) continue;
        ++winnable;
        // Each hint followed shortens the way: never more moves than the
        // solver's first line takes.
        const size_t most = Solver({.nodeBudget = kHintBudgetNodes}).Solve(p).line.size();
        for (size_t m = 0; m < most && hint.kind == HintKind::kMove; ++m) {
            Step steps[kMaxSteps];
            const int n = LegalSteps(p, steps);
            const Step* s = std::find_if(steps, steps + n,
                                         [&](Step st) { return Describe(p, st) == hint.move; });
            ASSERT_NE(s, steps + n);
            earlier.insert(earlier.begin(), p);
            Undo undo;
            Apply(p, *s, undo);
            hint = finder.Find(p, earlier);
        }
        EXPECT_EQ(hint.kind, HintKind::kDone) << "deal " << deal;
    }
    EXPECT_GE(winnable, 3);
}

// The first legal move in order of naturalness (a 2 of Spade uncovering
// column 1) loses here; the hint must look past it.
TEST(Hint, PassesOverTheObviousMoveWhenItLoses) {
    Position p;
    std::string error;
    ASSERT_TRUE(
        FromText("c1: 33 36 10 11 15 28 2 | c2: 13 23 7 25 21 30 19 | c3: 1 5 31 40 34 | "
                 "c4: 18 35 | c5: 16 4 38 17 | c6: 39 8 | c7: 6 | f: 0 10 20 30 | p: 37 | "
                 "s: 24 14 12 20 26 32 29 3 22 9 27",
                 p, error))
        << error;
    Step steps[kMaxSteps];
    const int n = LegalSteps(p, steps);
    std::stable_sort(steps, steps + n,
                     [&](Step a, Step b) { return Naturalness(p, a) < Naturalness(p, b); });
    Position obvious = p;
    Undo undo;
    Apply(obvious, steps[0], undo);
    Solver solver({.nodeBudget = kHintBudgetNodes});
    ASSERT_EQ(solver.Solve(obvious).verdict, Verdict::kLost);
    const Hint hint = HintFinder({.nodeBudget = kHintBudgetNodes}).Find(p, {});
    ASSERT_EQ(hint.kind, HintKind::kMove);
    EXPECT_NE(hint.move, Describe(p, steps[0]));
}

TEST(WinnableDeal, IsProvenWonAndDealtExactlyByTheGamesShuffle) {
    Solver solver;
    const auto deck = FindWinnableDeck(solver, 42, 50);
    ASSERT_TRUE(deck);
    auto t = std::make_unique<Table>();
    t->Random = DeckSource(*deck);
    t->Mescola();
    for (int i = 1; i <= kCardCount; ++i)
        EXPECT_EQ(t->Deck[i], (*deck)[i - 1]);
    Position p;
    std::string error;
    ASSERT_TRUE(FromTable(*t, p, error)) << error;
    EXPECT_EQ(Solver().Solve(p).verdict, Verdict::kWon);
}

TEST(SolverWorker, AnswersTheNewestTableAndStopsAtOnceWhenDestroyed) {
    std::promise<std::pair<uint64_t, Hint>> answer;
    std::promise<std::optional<Deck>> dealt;
    {
        SolverWorker worker(
            [&](uint64_t generation, const Hint& h) {
                if (generation == 2) answer.set_value({generation, h});
            },
            [&](std::optional<Deck> d) { dealt.set_value(d); });
        EXPECT_FALSE(worker.Started()) << "nothing runs before it is asked";
        const Position deal = DealAt(1001.0);
        worker.Feed({1, DealAt(1002.0), {}});
        worker.Feed({2, deal, {}});
        const auto [generation, hint] = answer.get_future().get();
        EXPECT_EQ(hint.kind, HintFinder({.nodeBudget = kHintBudgetNodes}).Find(deal, {}).kind);
        worker.AskDeal(9);
        EXPECT_TRUE(dealt.get_future().get());
        // Asked again and destroyed at once: the search is cancelled, the join is quick.
        worker.AskDeal(10);
    }
}

}  // namespace
}  // namespace tarvo::solver
