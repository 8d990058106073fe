#include "table/table_speech.h"

#include <set>
#include <vector>

#include "model/card.h"

namespace tarvo {

namespace {

const char* const kSuitNames[] = {"", "Denari", "Coppe", "Bastoni", "Spade"};
constexpr float kCardWidthPx = 64;
constexpr float kCardHeightPx = 102;

using At = TableSnapshot::At;
using Where = TableSnapshot::Where;

bool Lies(const CardPlace& c, float left, float top) {
    return c.Left == left && c.Top == top;
}

// In the stock, or put away before a deal: nowhere on the visible table.
bool OffTable(const CardPlace& c) {
    return Lies(c, kParkingLeftPx, kParkingTopPx) || Lies(c, kHidingLeftPx, kHidingTopPx);
}

bool Overlap(const CardPlace& a, const CardPlace& b) {
    return a.Left < b.Left + kCardWidthPx && b.Left < a.Left + kCardWidthPx &&
           a.Top < b.Top + kCardHeightPx && b.Top < a.Top + kCardHeightPx;
}

std::string Count(int n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

std::string FoundationName(int16_t suit) {
    return std::string(kSuitNames[suit]) + " foundation";
}

Where Locate(const Table& t, int16_t id) {
    const int16_t suit = suitOf(id);
    if (TopCard(t, {PlaceKind::Foundation, suit}) >= id) return {At::Foundation, suit};
    for (int16_t c = 1; c <= kColumnCount; ++c) {
        for (int16_t r = 1; r <= kColumnRows && t.Columns[c][r] != 0; ++r) {
            if (t.Columns[c][r] == id) return {At::Column, c};
        }
    }
    // A carried card still belongs where it was picked up.
    const CardPlace& card = t.Carta[id];
    const bool carried = card.Mark == "n" && t.CurCard == id;
    const float left = carried ? t.HomeLeft : card.Left;
    const float top = carried ? t.HomeTop : card.Top;
    if (left == kStockPileLeftPx && top == kStockPileTopPx) return {At::Pile, 0};
    return {At::Stock, 0};
}

// What now lies on top of a place a card has left.
std::string Uncovered(const Table& t, const Where& from) {
    if (from.at == At::Column) {
        const int16_t top = TopCard(t, {PlaceKind::Column, from.index});
        const std::string column = "Column " + std::to_string(from.index);
        return top == 0 ? column + " is empty" : column + " shows " + CardName(top);
    }
    if (from.at == At::Pile) {
        const int16_t top = TopCard(t, {PlaceKind::StockPile, 0});
        return top == 0 ? "The stock pile is empty" : "The stock pile shows " + CardName(top);
    }
    return "";
}

std::string StockLeft(const Table& t) {
    const int left = CardCount(t, {PlaceKind::Stock, 0});
    return left == 0 ? "the stock is empty" : std::to_string(left) + " left in the stock";
}

std::string PlaceOf(const Where& w) {
    switch (w.at) {
        case At::Column:
            return "column " + std::to_string(w.index);
        case At::Foundation:
            return "the " + FoundationName(w.index);
        case At::Pile:
            return "the stock pile";
        case At::Stock:
            break;
    }
    return "the stock";
}

// The card a move put on a column, and what it lies on.
std::string ToColumn(const Table& t, int16_t id, int16_t col) {
    const int16_t h = t.ColumnHeight(col);
    const std::string name = CardName(id) + " to column " + std::to_string(col);
    if (h < 2) return name + ", empty before";
    return name + ", on " + CardName(t.Columns[col][h - 1]);
}

}  // namespace

std::string CardName(int16_t id) {
    return std::to_string(valueOf(id)) + " of " + kSuitNames[suitOf(id)];
}

bool CardShown(const Table& t, int16_t id) {
    const CardPlace& card = t.Carta[id];
    if (OffTable(card)) return false;
    for (int16_t j = 1; j <= kCardCount; ++j) {
        const CardPlace& other = t.Carta[j];
        if (j == id || other.Z <= card.Z || other.Mark == "n" || OffTable(other)) continue;
        if (Overlap(card, other)) return false;
    }
    return true;
}

std::string CardSpokenName(const Table& t, int16_t id) {
    return CardShown(t, id) ? CardName(id) : "covered card";
}

std::string PlaceName(const Table& t, Place place) {
    const int n = CardCount(t, place);
    const int16_t top = TopCard(t, place);
    switch (place.kind) {
        case PlaceKind::Column: {
            const std::string name = "Column " + std::to_string(place.index);
            return n == 0 ? name + ", empty"
                          : name + ", " + Count(n, "card") + ", top " + CardName(top);
        }
        case PlaceKind::Foundation:
            return FoundationName(place.index) +
                   (n == 0 ? ", empty" : ", up to " + std::to_string(n));
        case PlaceKind::StockPile:
            return n == 0 ? "Stock pile, empty"
                          : "Stock pile, " + Count(n, "card") + ", top " + CardName(top);
        case PlaceKind::Stock:
            return n == 0 ? "Stock, empty" : "Stock, " + Count(n, "card") + " left";
    }
    return "";
}

TableSnapshot Snapshot(const Table& t) {
    TableSnapshot s;
    bool all = true;
    for (int16_t id = 1; id <= kCardCount; ++id) {
        s.cards[id] = Locate(t, id);
        all = all && s.cards[id].at == At::Foundation;
    }
    s.won = all;
    return s;
}

std::string Announcement(const TableSnapshot& before, const Table& now, Carried carried) {
    const TableSnapshot after = Snapshot(now);
    // Play never puts more than one card on the columns at once, nor a card
    // back into the stock: only a new game does, first putting the cards
    // away (said when they are dealt), then dealing.
    int intoColumns = 0;
    bool putAway = false;
    for (int16_t id = 1; id <= kCardCount; ++id) {
        const Where& to = after.cards[id];
        if (before.cards[id] == to) continue;
        intoColumns += to.at == At::Column ? 1 : 0;
        putAway = putAway || to.at == At::Stock;
    }
    if (intoColumns > 1) return "New game";
    if (putAway) return "";

    std::vector<std::string> said;
    if (carried.now != 0 && carried.now != carried.before)
        said.push_back("Picked up " + CardName(carried.now));
    if (carried.before != 0 && carried.now == 0 &&
        after.cards[carried.before] == before.cards[carried.before]) {
        said.push_back(CardName(carried.before) + " goes back to " +
                       PlaceOf(before.cards[carried.before]));
    }
    std::vector<std::string> acesUp;
    std::set<std::pair<int, int>> leftPlaces;  // (kind, index), in table order
    for (int16_t id = 1; id <= kCardCount; ++id) {
        const Where& from = before.cards[id];
        const Where& to = after.cards[id];
        if (from == to) continue;
        if (from.at == At::Stock) {
            said.push_back("Turned " + CardName(id) +
                           (to.at == At::Foundation ? ", it goes up" : "") + ", " + StockLeft(now));
            continue;
        }
        leftPlaces.insert({static_cast<int>(from.at), from.index});
        if (isAce(id)) {
            acesUp.push_back(CardName(id) + " goes up");
        } else if (to.at == At::Column) {
            said.push_back(ToColumn(now, id, to.index));
        } else if (to.at == At::Foundation) {
            said.push_back(CardName(id) + " to the " + FoundationName(to.index));
        }
    }
    said.insert(said.end(), acesUp.begin(), acesUp.end());
    for (const auto& [kind, index] : leftPlaces) {
        const std::string text =
            Uncovered(now, {static_cast<At>(kind), static_cast<int16_t>(index)});
        if (!text.empty()) said.push_back(text);
    }
    if (after.won && !before.won)
        said.push_back("All 40 cards are on the foundations: you have won");

    std::string text;
    for (const std::string& s : said)
        text += (text.empty() ? "" : ". ") + s;
    return text;
}

}  // namespace tarvo
