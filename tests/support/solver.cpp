#include "solver.h"

#include <algorithm>
#include <memory>

#include "invariants.h"

namespace tarvo::testing {

std::vector<int16_t> Reachable(const Table& t) {
    std::vector<int16_t> cards;
    for (int16_t id = 1; id <= kCardCount; ++id) {
        const CardPlace& c = t.Carta[id];
        if (c.Mark != "a") continue;
        bool covered = false;
        for (int16_t o = 1; o <= kCardCount && !covered; ++o) {
            const CardPlace& d = t.Carta[o];
            covered = o != id && d.Left == c.Left && d.Top == c.Top && d.Z > c.Z;
        }
        if (!covered) cards.push_back(id);
    }
    return cards;
}

bool Won(const Table& t) {
    return t.FoundTop[1] + t.FoundTop[2] + t.FoundTop[3] + t.FoundTop[4] == 100;
}

void Player::Press(int16_t card) {
    t_.CurCard = card;
    t_.HomeLeft = t_.Carta[card].Left;
    t_.HomeTop = t_.Carta[card].Top;
    t_.Carta[card].Mark = "n";
}

void Player::ReleaseOnColumn(int16_t col, float x, float y) {
    t_.MoveCard(t_.CurCard, x, y);
    t_.BringToFront(t_.CurCard);
    t_.DropCol = col;
    t_.Decrescente();
    EndRelease();
}

void Player::ReleaseOnFoundation() {
    t_.DropRow = suitOf(t_.CurCard);
    t_.Crescente();
    t_.DropCol = 0;
    EndRelease();
}

void Player::EndRelease() {
    if (t_.Carta[t_.CurCard].Mark == "n") t_.Carta[t_.CurCard].Mark = "a";
}

Move FromSolver(const solver::Move& m) {
    if (m.from == solver::Where::kStock) return {Move::kStock, m.card, 0};
    if (m.to == solver::Where::kFoundation) return {Move::kFoundation, m.card, 0};
    return {Move::kColumn, m.card, m.toColumn};
}

std::vector<std::string> Replay(Table& t, const std::vector<solver::Move>& line) {
    std::vector<std::string> faults;
    Player p(t);
    for (size_t i = 0; i < line.size() && faults.empty(); ++i) {
        const Move m = FromSolver(line[i]);
        const std::string where =
            "move " + std::to_string(i + 1) + ", card " + std::to_string(m.card) + ": ";
        bool done = false;
        if (m.kind == Move::kStock) {
            t.TurnStock();
            done = t.CurCard == m.card;
        } else if (std::ranges::count(Reachable(t), m.card) == 0) {
            faults.push_back(where + "no press reaches it");
            break;
        } else if (m.kind == Move::kFoundation) {
            p.Press(m.card);
            p.ReleaseOnFoundation();
            done = t.FoundTop[suitOf(m.card)] == m.card;
        } else {
            const int16_t height = t.ColumnHeight(m.column);
            p.Press(m.card);
            p.ReleaseOnColumn(m.column, columnLeftPx(m.column), rowTopPx(height + 1));
            done = t.Columns[m.column][height + 1] == m.card;
        }
        if (!done) faults.push_back(where + "refused");
        for (const std::string& v : Violations(t))
            faults.push_back(where + v);
    }
    return faults;
}

bool Searcher::Win(const Table& t, int) {
    line.clear();
    solver::Position start;
    std::string error;
    if (!solver::FromTable(t, start, error)) {
        faults.push_back(error);
        return false;
    }
    solver::Solver solver({.nodeBudget = static_cast<uint64_t>(budget_)});
    const solver::Result result = solver.Solve(start);
    if (result.verdict != solver::Verdict::kWon) return false;
    auto copy = std::make_unique<Table>(t);
    const auto met = Replay(*copy, result.line);
    faults.insert(faults.end(), met.begin(), met.end());
    if (!met.empty() || !Won(*copy)) return false;
    for (const solver::Move& m : result.line)
        line.push_back(FromSolver(m));
    return true;
}

WinnableDeal FindWinnableDeal(double base, int tries, int budget) {
    for (int s = 1; s <= tries; ++s) {
        Table t;
        t.TimeOfDay = [when = base + s] { return when; };
        t.Mescola();
        Searcher searcher(budget);
        if (searcher.Win(t)) return {base + s, searcher.line};
    }
    return {};
}

}  // namespace tarvo::testing
