// The solver's move generator is a second encoding of the rules: at every
// position of random games it must list exactly the moves the rule
// procedures accept, fed as the mouse feeds them, and lead to the same tables;
// and each position, written as text and read back, is the same again.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <tuple>

#include "invariants.h"
#include "solver.h"

namespace tarvo {
namespace {

using solver::Position;
using solver::Where;

constexpr int kGames = 40;
constexpr int kMovesPerGame = 200;

struct Outcome {
    solver::Move move;
    Position after;
};

auto Key(const solver::Move& m) {
    return std::tuple(m.card, m.to, m.toColumn);
}

Position Read(const Table& t) {
    Position p;
    std::string error;
    EXPECT_TRUE(solver::FromTable(t, p, error)) << error;
    return p;
}

// Every move the rule procedures accept: each card a press reaches, dropped
// on each column and on the foundations, and a click on the stock.
std::vector<Outcome> ModelMoves(const Table& t) {
    std::vector<Outcome> moves;
    auto tryDrop = [&](int16_t card, int16_t col) {
        auto copy = std::make_unique<Table>(t);
        testing::Player p(*copy);
        p.Press(card);
        if (col == 0) {
            p.ReleaseOnFoundation();
        } else {
            p.ReleaseOnColumn(col, columnLeftPx(col), rowTopPx(copy->ColumnHeight(col) + 1));
        }
        const CardPlace& before = t.Carta[card];
        const CardPlace& after = copy->Carta[card];
        if (after.Left == before.Left && after.Top == before.Top) return;  // refused
        solver::Move m{.card = card};
        m.from = before.Left <= kLastColumnLeftPx   ? Where::kColumn
                 : before.Left == kFoundationLeftPx ? Where::kFoundation
                                                    : Where::kPile;
        if (m.from == Where::kColumn) m.fromColumn = ToInteger(before.Left / kColumnPitchPx + 1);
        m.to = col == 0 ? Where::kFoundation : Where::kColumn;
        m.toColumn = col;
        moves.push_back({m, Read(*copy)});
    };
    for (int16_t card : testing::Reachable(t))
        for (int16_t col = 0; col <= kColumnCount; ++col)
            tryDrop(card, col);
    if (t.StockNext <= kCardCount) {
        auto copy = std::make_unique<Table>(t);
        copy->TurnStock();
        solver::Move m{.card = copy->CurCard, .from = Where::kStock};
        m.to = isAce(m.card) ? Where::kFoundation : Where::kPile;
        moves.push_back({m, Read(*copy)});
    }
    return moves;
}

std::vector<Outcome> GeneratorMoves(const Position& p) {
    solver::Step steps[solver::kMaxSteps];
    const int n = solver::LegalSteps(p, steps);
    std::vector<Outcome> moves;
    for (int i = 0; i < n; ++i) {
        Position next = p;
        solver::Undo undo;
        solver::Apply(next, steps[i], undo);
        moves.push_back({solver::Describe(p, steps[i]), solver::Compact(next)});
        solver::Revert(next, steps[i], undo);
        EXPECT_EQ(next, p) << "undoing move " << i << " of " << solver::ToText(p);
    }
    return moves;
}

TEST(MoveGenerator, ListsExactlyTheMovesTheRulesAcceptAndTheirTables) {
    std::mt19937 rng(1717);
    int positions = 0, moves = 0;
    for (int game = 0; game < kGames; ++game) {
        auto t = std::make_unique<Table>();
        t->TimeOfDay = [game] { return 7000.0 + game * 1.5; };
        t->Mescola();
        for (int turn = 0; turn < kMovesPerGame; ++turn) {
            const Position p = Read(*t);
            Position written;
            std::string error;
            ASSERT_TRUE(solver::FromText(solver::ToText(p), written, error)) << error;
            ASSERT_EQ(written, p) << solver::ToText(p);
            auto model = ModelMoves(*t);
            auto generated = GeneratorMoves(p);
            auto byKey = [](const Outcome& a, const Outcome& b) {
                return Key(a.move) < Key(b.move);
            };
            std::ranges::sort(model, byKey);
            std::ranges::sort(generated, byKey);
            ASSERT_EQ(model.size(), generated.size()) << solver::ToText(p);
            for (size_t i = 0; i < model.size(); ++i) {
                ASSERT_EQ(model[i].move, generated[i].move) << solver::ToText(p);
                ASSERT_EQ(model[i].after, generated[i].after)
                    << solver::ToText(p) << "\nmove of card " << model[i].move.card;
            }
            ++positions;
            moves += static_cast<int>(model.size());
            if (model.empty()) break;
            // Half the time a move up, if any, so that games get on.
            auto pick = model[std::uniform_int_distribution<size_t>(0, model.size() - 1)(rng)];
            for (const Outcome& o : model)
                if (o.move.to == Where::kFoundation && o.move.from != Where::kStock && rng() % 2)
                    pick = o;
            ASSERT_EQ(testing::Replay(*t, {pick.move}), std::vector<std::string>{});
        }
    }
    std::printf("%d positions, %d moves compared\n", positions, moves);
    EXPECT_GT(positions, kGames * kMovesPerGame / 2);
}

}  // namespace
}  // namespace tarvo
