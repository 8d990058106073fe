#include "model/history.h"

#include <algorithm>
#include <utility>

namespace tarvo {

namespace {

// A state as the rules leave it after a handler: nothing held, nothing pressed.
Table AtRest(const Table& t) {
    Table s;
    RestoreState(s, t);
    s.Finale = nullptr;
    s.TimeOfDay = nullptr;
    s.Random = nullptr;
    s.Dragging = 0;
    s.DblClicked = 0;
    for (CardPlace& c : s.Carta) {
        if (c.Mark == "n") c.Mark = "a";
    }
    return s;
}

void Swap(Table& t, std::vector<Table>& from, std::vector<Table>& to) {
    to.push_back(AtRest(t));
    RestoreState(t, from.back());
    from.pop_back();
}

}  // namespace

bool CardsMoved(const Table& before, const Table& after) {
    return before.StockNext != after.StockNext ||
           !std::equal(&before.FoundTop[0], &before.FoundTop[0] + 5, &after.FoundTop[0]) ||
           !std::equal(&before.Columns[0][0], &before.Columns[0][0] + 8 * 16, &after.Columns[0][0]);
}

void RestoreState(Table& to, const Table& from) {
    auto finale = std::move(to.Finale);
    auto timeOfDay = std::move(to.TimeOfDay);
    auto random = std::move(to.Random);
    to = from;
    to.Finale = std::move(finale);
    to.TimeOfDay = std::move(timeOfDay);
    to.Random = std::move(random);
}

void History::Clear() {
    past_.clear();
    future_.clear();
}

bool History::Record(const Table& before, const Table& after) {
    if (!CardsMoved(before, after)) return false;
    past_.push_back(AtRest(before));
    future_.clear();
    return true;
}

bool History::Undo(Table& t) {
    if (past_.empty()) return false;
    Swap(t, past_, future_);
    return true;
}

bool History::Redo(Table& t) {
    if (future_.empty()) return false;
    Swap(t, future_, past_);
    return true;
}

}  // namespace tarvo
