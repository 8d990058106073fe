#include "access/table_speech.h"

#include <set>
#include <vector>

#include "model/card.h"
#include "model/move_answers.h"

namespace tarvo {

namespace {

const char* const kSuitNames[] = {"", "Denari", "Coppe", "Bastoni", "Spade"};

// Whether `front` hides the whole band at the top of `card`, where its value
// and suit are printed.
bool CoversBand(const CardPlace& front, const CardPlace& card) {
    return front.Left <= card.Left && front.Left + kCardWidthPx >= card.Left + kCardWidthPx &&
           front.Top <= card.Top && front.Top + kCardHeightPx >= card.Top + kRowPitchPx;
}

std::string Count(int n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

std::string FoundationName(int16_t suit) {
    return std::string(kSuitNames[suit]) + " foundation";
}

// What now lies on top of a place a card has left.
std::string Uncovered(const Table& t, const Place& from) {
    if (from.kind == PlaceKind::Column) {
        const int16_t top = TopCard(t, from);
        const std::string column = "Column " + std::to_string(from.index);
        return top == 0 ? column + " is empty" : column + " shows " + CardName(top);
    }
    if (from.kind == PlaceKind::StockPile) {
        const int16_t top = TopCard(t, from);
        return top == 0 ? "The stock pile is empty" : "The stock pile shows " + CardName(top);
    }
    return "";
}

std::string StockLeft(const Table& t) {
    const int left = CardCount(t, {PlaceKind::Stock, 0});
    return left == 0 ? "the stock is empty" : std::to_string(left) + " left in the stock";
}

// The card a move put on a column, and what it lies on.
std::string ToColumn(const Table& t, int16_t id, int16_t col) {
    const int16_t h = t.ColumnHeight(col);
    const std::string name = CardName(id) + " to column " + std::to_string(col);
    if (h < 2) return name + ", empty before";
    return name + ", on " + CardName(t.Columns[col][h - 1]);
}

}  // namespace

std::string PlaceOf(const Place& p) {
    switch (p.kind) {
        case PlaceKind::Column:
            return "column " + std::to_string(p.index);
        case PlaceKind::Foundation:
            return "the " + FoundationName(p.index);
        case PlaceKind::StockPile:
            return "the stock pile";
        case PlaceKind::Stock:
            break;
    }
    return "the stock";
}

std::string KeyList() {
    return "Tab and Shift Tab: the next and the previous place. Arrows: the nearest place "
           "that way; in a column, Up and Down go along its cards. 1 to 7: a column. F: the "
           "foundations. P: the stock pile. S: the stock. Return: send a card up, or turn the "
           "stock. Space: pick a card up and drop it; held on a covered card, show it whole. "
           "Escape: put a carried card back, or close a panel. R: read the place whole. F1: "
           "these keys. Control Z: undo. Control Y: redo. H: a hint. F2: a new game. Shift F2: a "
           "new game that can be won. Alt: the menus";
}

std::string DealSummary(const Table& t) {
    std::string text = "New game. Tops:";
    const char* sep = " ";
    for (int16_t c = 1; c <= kColumnCount; ++c) {
        const int16_t top = TopCard(t, {PlaceKind::Column, c});
        text += sep + (top == 0 ? std::string("empty") : CardName(top));
        sep = ", ";
    }
    sep = ". Up: ";
    for (int16_t suit = 1; suit <= kSuitCount; ++suit) {
        if (TopCard(t, {PlaceKind::Foundation, suit}) == 0) continue;
        text += sep + CardName(cardId(suit, 1));
        sep = ", ";
    }
    return text;
}

std::string CardName(int16_t id) {
    return std::to_string(valueOf(id)) + " of " + kSuitNames[suitOf(id)];
}

bool CardReadable(const Table& t, int16_t id) {
    const CardPlace& card = t.Carta[id];
    if (OffTable(card)) return false;
    for (int16_t j = 1; j <= kCardCount; ++j) {
        const CardPlace& other = t.Carta[j];
        if (j == id || other.Z <= card.Z || other.Mark == "n" || OffTable(other)) continue;
        if (CoversBand(other, card)) return false;
    }
    return true;
}

std::string CardSpokenName(const Table& t, int16_t id) {
    return CardReadable(t, id) ? CardName(id) : "covered card";
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

std::string WhyNotUp(const Table& t, int16_t card) {
    if (FoundationRefusal(t, card) == Refusal::None) return "";
    const int16_t suit = suitOf(card);
    const int16_t top = TopCard(t, {PlaceKind::Foundation, suit});
    return CardName(card) + " cannot go up: the " + FoundationName(suit) +
           (top == 0 ? " is empty" : " holds " + std::to_string(valueOf(top)));
}

std::string WhyNotOnColumn(const Table& t, int16_t card, int16_t col) {
    const std::string cannot = CardName(card) + " cannot go on ";
    switch (ColumnRefusal(t, card, col)) {
        case Refusal::None:
        case Refusal::NotNextOnFoundation:
            return "";
        case Refusal::ColumnFull:
            return cannot + "column " + std::to_string(col) + ": it is full";
        case Refusal::NotOneLower:
        case Refusal::SameGroup:
            break;
    }
    const std::string on = cannot + CardName(TopCard(t, {PlaceKind::Column, col})) + ": ";
    if (valueOf(card) == 10) return on + "a 10 goes only on an empty column";
    const char* other = isShortSuit(card) ? "Bastoni or Spade" : "Denari or Coppe";
    const int16_t needed = valueOf(card) + 1;
    return on + (needed == 8 ? "it needs an " : "it needs a ") + std::to_string(needed) + " of " +
           other;
}

std::string PlaceReading(const Table& t, Place place) {
    if (place.kind != PlaceKind::Column || t.ColumnHeight(place.index) == 0)
        return PlaceName(t, place);
    std::string text = "Column " + std::to_string(place.index) + ":";
    const char* sep = " ";
    for (int16_t id : CardsReadAt(t, place)) {
        text += sep + CardName(id);
        sep = ", ";
    }
    return text;
}

TableSnapshot Snapshot(const Table& t) {
    TableSnapshot s;
    bool all = true;
    for (int16_t id = 1; id <= kCardCount; ++id) {
        s.cards[id] = PlaceOfCard(t, id);
        all = all && s.cards[id].kind == PlaceKind::Foundation;
    }
    s.won = all;
    s.stuck = !all && !StockShown(t) && t.StockNext != 0 && !AnyMoveLeft(t);
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
        const Place& to = after.cards[id];
        if (before.cards[id] == to) continue;
        intoColumns += to.kind == PlaceKind::Column ? 1 : 0;
        putAway = putAway || to.kind == PlaceKind::Stock;
    }
    if (intoColumns > 1) return DealSummary(now);
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
    std::set<int> leftPlaces;  // ranks, in table order
    for (int16_t id = 1; id <= kCardCount; ++id) {
        const Place& from = before.cards[id];
        const Place& to = after.cards[id];
        if (from == to) continue;
        if (from.kind == PlaceKind::Stock) {
            said.push_back("Turned " + CardName(id) +
                           (to.kind == PlaceKind::Foundation ? ", it goes up" : "") + ", " +
                           StockLeft(now));
            continue;
        }
        leftPlaces.insert(RankOf(from));
        if (isAce(id)) {
            acesUp.push_back(CardName(id) + " goes up");
        } else if (to.kind == PlaceKind::Column) {
            said.push_back(ToColumn(now, id, to.index));
        } else if (to.kind == PlaceKind::Foundation) {
            said.push_back(CardName(id) + " to the " + FoundationName(to.index));
        }
    }
    said.insert(said.end(), acesUp.begin(), acesUp.end());
    for (const int rank : leftPlaces) {
        const std::string text = Uncovered(now, PlaceAt(rank));
        if (!text.empty()) said.push_back(text);
    }
    if (after.won && !before.won)
        said.push_back("All 40 cards are on the foundations: you have won");
    if (after.stuck && !before.stuck)
        said.push_back("The stock is spent and no card can move: no move is left");

    std::string text;
    for (const std::string& s : said)
        text += (text.empty() ? "" : ". ") + s;
    return text;
}

}  // namespace tarvo
