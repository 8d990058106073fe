#include "table/table_places.h"

#include "model/card.h"

namespace tarvo {

namespace {

bool OnStockPile(const CardPlace& c) {
    return c.Left == kStockPileLeftPx && c.Top == kStockPileTopPx;
}

// An empty foundation holds the id before its ace (0, 10, 20, 30), which is
// no card of its suit.
int16_t FoundationTop(const Table& t, int16_t suit) {
    const int16_t top = t.FoundTop[suit];
    return top > cardId(suit, 1) - 1 ? top : 0;
}

}  // namespace

int16_t TopCard(const Table& t, Place place) {
    switch (place.kind) {
        case PlaceKind::Column: {
            const int16_t h = t.ColumnHeight(place.index);
            return h == 0 ? 0 : t.Columns[place.index][h];
        }
        case PlaceKind::Foundation:
            return FoundationTop(t, place.index);
        case PlaceKind::StockPile: {
            int16_t top = 0;
            for (int16_t i = 1; i <= kCardCount; ++i) {
                if (OnStockPile(t.Carta[i]) && (top == 0 || t.Carta[i].Z > t.Carta[top].Z)) top = i;
            }
            return top;
        }
        case PlaceKind::Stock:
            return 0;
    }
    return 0;
}

int16_t CardCount(const Table& t, Place place) {
    switch (place.kind) {
        case PlaceKind::Column:
            return t.ColumnHeight(place.index);
        case PlaceKind::Foundation: {
            const int16_t top = FoundationTop(t, place.index);
            return top == 0 ? 0 : valueOf(top);
        }
        case PlaceKind::StockPile: {
            int16_t n = 0;
            for (int16_t i = 1; i <= kCardCount; ++i)
                n += OnStockPile(t.Carta[i]) ? 1 : 0;
            return n;
        }
        case PlaceKind::Stock:
            return t.StockNext >= kFirstStockIndex && t.StockNext < kStockExhausted
                       ? static_cast<int16_t>(kStockExhausted - t.StockNext)
                       : 0;
    }
    return 0;
}

std::vector<Place> FocusablePlaces(const Table& t, bool stockShown) {
    std::vector<Place> places;
    for (int16_t c = 1; c <= kColumnCount; ++c)
        places.push_back({PlaceKind::Column, c});
    for (int16_t s = 1; s <= kSuitCount; ++s) {
        const int16_t top = FoundationTop(t, s);
        if (top != 0 && !isAce(top)) places.push_back({PlaceKind::Foundation, s});
    }
    if (TopCard(t, {PlaceKind::StockPile, 0}) != 0) places.push_back({PlaceKind::StockPile, 0});
    if (stockShown) places.push_back({PlaceKind::Stock, 0});
    return places;
}

}  // namespace tarvo
