#include "positions.h"

#include <algorithm>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace tarvo::testing {

Table MakeTable(const Position& p) {
    Table t;
    bool used[41] = {};
    unsigned z = 0;
    auto take = [&](int16_t id) {
        if (id < 1 || id > kCardCount || used[id]) throw std::invalid_argument("card used twice");
        used[id] = true;
        t.Carta[id].Z = ++z;
    };
    for (int16_t s = 1; s <= kSuitCount; ++s) {
        t.FoundTop[s] = p.found[s - 1];
        for (int16_t id = static_cast<int16_t>((s - 1) * 10 + 1); id <= t.FoundTop[s]; ++id) {
            take(id);
            t.MoveCard(id, kFoundationLeftPx, foundationTopPx(s));
            t.Carta[id].Mark = isAce(id) ? "" : "a";
        }
        if (t.FoundTop[s] > (s - 1) * 10) ++t.AcesUp;
    }
    for (size_t c = 0; c < p.columns.size(); ++c) {
        const auto& col = p.columns[c];
        for (size_t r = 0; r < col.size(); ++r) {
            const int16_t id = col[r];
            take(id);
            t.Columns[c + 1][r + 1] = id;
            t.MoveCard(id, columnLeftPx(static_cast<int>(c + 1)),
                       rowTopPx(static_cast<int>(r + 1)));
            t.Carta[id].Mark = r + 1 == col.size() ? "a" : "";
        }
    }
    for (int16_t id : p.pile) {
        take(id);
        t.MoveCard(id, kStockPileLeftPx, kStockPileTopPx);
        t.Carta[id].Mark = "a";
    }
    int16_t k = kCardCount;
    for (int16_t id = kCardCount; id >= 1; --id) {
        if (used[id]) continue;
        t.Deck[k--] = id;
        t.MoveCard(id, kParkingLeftPx, kParkingTopPx);
    }
    t.StockNext = static_cast<int16_t>(k + 1);
    return t;
}

Table MakeTable(const std::string& text) {
    Position p;
    std::istringstream parts(text);
    std::string part;
    while (std::getline(parts, part, '|')) {
        std::istringstream in(part);
        std::string key;
        in >> key;
        std::vector<int16_t> ids;
        for (int16_t id; in >> id;)
            ids.push_back(id);
        if (key == "f:" && ids.size() == 4) {
            std::copy(ids.begin(), ids.end(), p.found.begin());
        } else if (key == "p:") {
            p.pile = ids;
        } else if (key.size() == 3 && key[0] == 'c' && key[1] >= '1' && key[1] <= '7') {
            const size_t col = static_cast<size_t>(key[1] - '1');
            if (p.columns.size() <= col) p.columns.resize(col + 1);
            p.columns[col] = ids;
        } else if (!key.empty()) {
            throw std::invalid_argument("bad position part: " + part);
        }
    }
    return MakeTable(p);
}

std::function<float()> DrawSequence(std::vector<int16_t> drawIndexes) {
    auto next = std::make_shared<size_t>(0);
    return [draws = std::move(drawIndexes), next]() {
        const int16_t index = draws.at((*next)++);
        return (static_cast<float>(index) + 0.5f) / 41.0f;
    };
}

}  // namespace tarvo::testing
