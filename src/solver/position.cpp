#include "solver/position.h"

#include <bit>
#include <memory>
#include <sstream>
#include <utility>

#include "solver/winnable_deal.h"

namespace tarvo::solver {

namespace {

constexpr int kSuitSize = 10;

int Suit(int id) {
    return (id - 1) / kSuitSize;
}
int Value(int id) {
    return (id - 1) % kSuitSize + 1;
}

std::string Card(int id) {
    return "card " + std::to_string(id);
}

}  // namespace

uint8_t Position::PileTop() const {
    return pile ? stock[std::bit_width(pile) - 1] : 0;
}

Position Compact(const Position& p) {
    Position q = p;
    q.stockSize = 0;
    for (int i = 0; i < p.stockNext; ++i)
        if (p.pile >> i & 1) q.stock[q.stockSize++] = p.stock[i];
    q.stockNext = q.stockSize;
    q.pile = static_cast<uint16_t>((1u << q.stockSize) - 1);
    for (int i = p.stockNext; i < p.stockSize; ++i)
        q.stock[q.stockSize++] = p.stock[i];
    for (int i = q.stockSize; i < kStockSize; ++i)
        q.stock[i] = 0;
    return q;
}

std::string Fault(const Position& p) {
    if (p.stockSize > kStockSize || p.stockNext > p.stockSize) return "stock out of range";
    if (p.pile >> p.stockNext) return "a card on the pile that was never turned";
    int seen[kCardCount + 1] = {};
    auto count = [&](int id) {
        if (id >= 1 && id <= kCardCount) ++seen[id];
    };
    for (int s = 0; s < kSuitCount; ++s) {
        if (p.up[s] > kSuitSize) return "a foundation above its 10";
        for (int v = 1; v <= p.up[s]; ++v)
            count(s * kSuitSize + v);
    }
    for (int c = 0; c < kColumnCount; ++c) {
        if (p.heights[c] > kColumnRows) return "column " + std::to_string(c + 1) + " too high";
        for (int r = 0; r < p.heights[c]; ++r) {
            if (p.columns[c][r] < 1 || p.columns[c][r] > kCardCount)
                return "column " + std::to_string(c + 1) + " holds no card at a row";
            count(p.columns[c][r]);
        }
        for (int r = p.heights[c]; r < kColumnRows; ++r)
            if (p.columns[c][r] != 0) return "column " + std::to_string(c + 1) + " has a gap";
        if (p.heights[c] && isAce(p.Top(c)))
            return "an ace on top of column " + std::to_string(c + 1);
    }
    for (int i = 0; i < p.stockSize; ++i) {
        const int id = p.stock[i];
        if (id < 1 || id > kCardCount) return "the stock holds no card at a place";
        if (i >= p.stockNext) count(id);
        if (p.pile >> i & 1) {
            if (isAce(static_cast<int16_t>(id))) return "an ace on the pile";
            count(id);
        }
    }
    for (int id = 1; id <= kCardCount; ++id) {
        if (seen[id] == 0) return Card(id) + " missing";
        if (seen[id] > 1) return Card(id) + " twice";
    }
    return {};
}

bool FromTable(const Table& t, Position& out, std::string& error) {
    Position p;
    for (int s = 0; s < kSuitCount; ++s) {
        const int up = t.FoundTop[s + 1] - s * kSuitSize;
        if (up < 0 || up > kSuitSize) {
            error = "foundation " + std::to_string(s + 1) + " out of range";
            return false;
        }
        p.up[s] = static_cast<uint8_t>(up);
    }
    for (int c = 0; c < kColumnCount; ++c) {
        p.heights[c] = static_cast<uint8_t>(t.ColumnHeight(static_cast<int16_t>(c + 1)));
        for (int r = 0; r < kColumnRows; ++r) {
            const int id = t.Columns[c + 1][r + 1];
            if (id < 0 || id > kCardCount) {
                error = "column " + std::to_string(c + 1) + " holds no card at a row";
                return false;
            }
            p.columns[c][r] = static_cast<uint8_t>(id);
        }
    }
    if (t.StockNext < kFirstStockIndex || t.StockNext > kStockExhausted) {
        error = "stock out of range";
        return false;
    }
    bool inColumn[kCardCount + 1] = {};
    for (const auto& col : p.columns)
        for (uint8_t id : col)
            inColumn[id] = true;
    p.stockSize = kStockSize;
    p.stockNext = static_cast<uint8_t>(t.StockNext - kFirstStockIndex);
    for (int i = 0; i < kStockSize; ++i) {
        const int id = t.Deck[kFirstStockIndex + i];
        if (id < 1 || id > kCardCount) {
            error = "the stock holds no card at a place";
            return false;
        }
        p.stock[i] = static_cast<uint8_t>(id);
        // A turned card that is neither in a column nor on its foundation lies on the pile.
        const bool gone = inColumn[id] || Value(id) <= p.up[Suit(id)];
        if (i < p.stockNext && !gone) p.pile = static_cast<uint16_t>(p.pile | 1u << i);
    }
    error = Fault(p);
    if (!error.empty()) return false;
    out = Compact(p);
    return true;
}

namespace {
Position Dealt(std::unique_ptr<Table> t) {
    t->Mescola();
    Position p;
    std::string error;
    FromTable(*t, p, error);
    return p;
}
}  // namespace

Position Deal(const std::array<int16_t, kCardCount>& deck) {
    auto t = std::make_unique<Table>();
    t->TimeOfDay = [] { return 0.0; };
    t->Random = DeckSource(deck);
    return Dealt(std::move(t));
}

Position DealAt(double timeOfDay) {
    auto t = std::make_unique<Table>();
    t->TimeOfDay = [timeOfDay] { return timeOfDay; };
    return Dealt(std::move(t));
}

std::string ToText(const Position& p) {
    std::ostringstream out;
    for (int c = 0; c < kColumnCount; ++c) {
        if (p.heights[c] == 0) continue;
        out << 'c' << c + 1 << ':';
        for (int r = 0; r < p.heights[c]; ++r)
            out << ' ' << int{p.columns[c][r]};
        out << " | ";
    }
    out << "f:";
    for (int s = 0; s < kSuitCount; ++s)
        out << ' ' << s * kSuitSize + p.up[s];
    out << " | p:";
    for (int i = 0; i < p.stockNext; ++i)
        if (p.pile >> i & 1) out << ' ' << int{p.stock[i]};
    out << " | s:";
    for (int i = p.stockNext; i < p.stockSize; ++i)
        out << ' ' << int{p.stock[i]};
    return out.str();
}

int CardNumber(const std::string& word) {
    size_t used = 0;
    int n = -1;
    try {
        n = std::stoi(word, &used);
    } catch (const std::exception&) {
    }
    return used == word.size() && n >= 0 && n <= kCardCount ? n : -1;
}

bool FromText(const std::string& text, Position& out, std::string& error) {
    Position p;
    std::vector<uint8_t> pile, rest;
    bool named[10] = {};  // c1..c7, f, p, s
    std::istringstream parts(text);
    std::string part;
    while (std::getline(parts, part, '|')) {
        std::istringstream in(part);
        std::string key;
        if (!(in >> key)) continue;
        std::vector<uint8_t> ids;
        std::string word;
        while (in >> word) {
            const int id = CardNumber(word);
            if (id < 0) {
                error = "\"" + word + "\" is not a card id";
                return false;
            }
            ids.push_back(static_cast<uint8_t>(id));
        }
        int slot = -1;
        if (key.size() == 3 && key[0] == 'c' && key[1] >= '1' && key[1] <= '7' && key[2] == ':')
            slot = key[1] - '1';
        else if (key == "f:")
            slot = 7;
        else if (key == "p:")
            slot = 8;
        else if (key == "s:")
            slot = 9;
        if (slot < 0) {
            error = "\"" + key + "\" names no part of the table";
            return false;
        }
        if (named[slot]) {
            error = "\"" + key + "\" named twice";
            return false;
        }
        named[slot] = true;
        if (slot < kColumnCount) {
            if (ids.size() > kColumnRows) {
                error = "column " + std::to_string(slot + 1) + " too high";
                return false;
            }
            p.heights[slot] = static_cast<uint8_t>(ids.size());
            for (size_t r = 0; r < ids.size(); ++r)
                p.columns[slot][r] = ids[r];
        } else if (slot == 7) {
            for (size_t s = 0; s < ids.size() && s < kSuitCount; ++s) {
                const int up = ids[s] - static_cast<int>(s) * kSuitSize;
                if (up < 0 || up > kSuitSize) {
                    error = "foundation " + std::to_string(s + 1) + " cannot hold card " +
                            std::to_string(ids[s]);
                    return false;
                }
                p.up[s] = static_cast<uint8_t>(up);
            }
            if (ids.size() != kSuitCount) {
                error = "f: needs four foundation tops";
                return false;
            }
        } else {
            (slot == 8 ? pile : rest) = ids;
        }
    }
    if (pile.size() + rest.size() > kStockSize) {
        error = "more than 12 cards in the pile and the stock";
        return false;
    }
    for (uint8_t id : pile)
        p.stock[p.stockSize++] = id;
    p.stockNext = p.stockSize;
    p.pile = static_cast<uint16_t>((1u << pile.size()) - 1);
    for (uint8_t id : rest)
        p.stock[p.stockSize++] = id;
    error = Fault(p);
    if (!error.empty()) return false;
    out = p;
    return true;
}

}  // namespace tarvo::solver
