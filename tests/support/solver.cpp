#include "solver.h"

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

bool Searcher::Try(const Table& next, const Move& move, int depth) {
    const auto v = Violations(next);
    faults.insert(faults.end(), v.begin(), v.end());
    if (!v.empty()) return false;
    line.push_back(move);
    if (Win(next, depth + 1)) return true;
    line.pop_back();
    return false;
}

bool Searcher::Win(const Table& t, int depth) {
    if (Won(t)) return true;
    if (depth > kMaxDepth || --budget_ < 0 || !seen_.insert(Key(t)).second) return false;
    const auto cards = Reachable(t);
    for (int16_t c : cards) {
        if (t.FoundTop[suitOf(c)] != c - 1) continue;
        auto next = std::make_unique<Table>(t);
        Player p(*next);
        p.Press(c);
        p.ReleaseOnFoundation();
        if (Try(*next, {Move::kFoundation, c, 0}, depth)) return true;
    }
    for (int16_t c : cards) {
        if (t.Carta[c].Left == kFoundationLeftPx) continue;
        for (int16_t col = 1; col <= kColumnCount; ++col) {
            // Moving a column's only card to an empty one gains nothing.
            if (t.ColumnHeight(col) == 0 && t.Carta[c].Top == 0) continue;
            auto next = std::make_unique<Table>(t);
            Player p(*next);
            p.Press(c);
            p.ReleaseOnColumn(col, 0, 0);
            const bool refused =
                next->Carta[c].Left == t.Carta[c].Left && next->Carta[c].Top == t.Carta[c].Top;
            if (!refused && Try(*next, {Move::kColumn, c, col}, depth)) return true;
        }
    }
    if (t.StockNext <= kCardCount) {
        auto next = std::make_unique<Table>(t);
        next->TurnStock();
        if (Try(*next, {Move::kStock, next->CurCard, 0}, depth)) return true;
    }
    return false;
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

std::string Searcher::Key(const Table& t) {
    return std::string(reinterpret_cast<const char*>(t.Columns), sizeof t.Columns) +
           std::string(reinterpret_cast<const char*>(t.FoundTop), sizeof t.FoundTop) +
           std::to_string(t.StockNext);
}

}  // namespace tarvo::testing
