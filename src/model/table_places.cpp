#include "model/table_places.h"

#include "model/card.h"

namespace tarvo {

namespace {

bool Lies(const CardPlace& c, float left, float top) {
    return c.Left == left && c.Top == top;
}

bool OnStockPile(const CardPlace& c) {
    return Lies(c, kStockPileLeftPx, kStockPileTopPx);
}

// An empty foundation holds the id before its ace (0, 10, 20, 30), which is
// no card of its suit.
int16_t FoundationTop(const Table& t, int16_t suit) {
    const int16_t top = t.FoundTop[suit];
    return top > cardId(suit, 1) - 1 ? top : 0;
}

}  // namespace

Place PlaceAt(int rank) {
    if (rank < kColumnCount) return {PlaceKind::Column, static_cast<int16_t>(rank + 1)};
    if (rank < kColumnCount + kSuitCount)
        return {PlaceKind::Foundation, static_cast<int16_t>(rank - kColumnCount + 1)};
    return {rank == kPlaceCount - 1 ? PlaceKind::Stock : PlaceKind::StockPile, 0};
}

int RankOf(Place place) {
    switch (place.kind) {
        case PlaceKind::Column:
            return place.index - 1;
        case PlaceKind::Foundation:
            return kColumnCount + place.index - 1;
        case PlaceKind::StockPile:
            return kPlaceCount - 2;
        case PlaceKind::Stock:
            return kPlaceCount - 1;
    }
    return 0;
}

PxRect FirstCardRect(Place place) {
    switch (place.kind) {
        case PlaceKind::Column:
            return {columnLeftPx(place.index), rowTopPx(1), kCardWidthPx, kCardHeightPx};
        case PlaceKind::Foundation:
            return {kFoundationLeftPx, foundationTopPx(place.index), kCardWidthPx, kCardHeightPx};
        case PlaceKind::StockPile:
            return {kStockPileLeftPx, kStockPileTopPx, kCardWidthPx, kCardHeightPx};
        case PlaceKind::Stock:
            return {kStockLeftPx, kStockTopPx, kCardWidthPx, kCardHeightPx};
    }
    return {};
}

PxRect LandingRect(const Table& t, Place place) {
    PxRect r = FirstCardRect(place);
    if (place.kind == PlaceKind::Column) r.top = rowTopPx(t.ColumnHeight(place.index) + 1);
    return r;
}

PxRect PlaceRect(const Table& t, Place place) {
    PxRect r = FirstCardRect(place);
    if (place.kind == PlaceKind::Column && t.ColumnHeight(place.index) > 1)
        r.height += rowTopPx(t.ColumnHeight(place.index));
    return r;
}

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

std::vector<Place> FocusablePlaces(const Table& t) {
    std::vector<Place> places;
    for (int rank = 0; rank < kPlaceCount; ++rank) {
        const Place p = PlaceAt(rank);
        const int16_t top = TopCard(t, p);
        const bool focusable = p.kind == PlaceKind::Column ||
                               (p.kind == PlaceKind::Foundation && top != 0 && !isAce(top)) ||
                               (p.kind == PlaceKind::StockPile && top != 0) ||
                               (p.kind == PlaceKind::Stock && StockShown(t));
        if (focusable) places.push_back(p);
    }
    return places;
}

Place PlaceOfCard(const Table& t, int16_t id) {
    const int16_t suit = suitOf(id);
    if (FoundationTop(t, suit) >= id) return {PlaceKind::Foundation, suit};
    for (int16_t c = 1; c <= kColumnCount; ++c) {
        for (int16_t r = 1; r <= kColumnRows && t.Columns[c][r] != 0; ++r) {
            if (t.Columns[c][r] == id) return {PlaceKind::Column, c};
        }
    }
    // A carried card still belongs where it was picked up.
    const CardPlace& card = t.Carta[id];
    const bool carried = card.Mark == "n" && t.CurCard == id;
    const float left = carried ? t.HomeLeft : card.Left;
    const float top = carried ? t.HomeTop : card.Top;
    if (left == kStockPileLeftPx && top == kStockPileTopPx) return {PlaceKind::StockPile, 0};
    return {PlaceKind::Stock, 0};
}

std::vector<int16_t> CardsReadAt(const Table& t, Place place) {
    std::vector<int16_t> cards;
    if (place.kind == PlaceKind::Column) {
        for (int16_t r = 1; r <= t.ColumnHeight(place.index); ++r)
            cards.push_back(t.Columns[place.index][r]);
    } else if (const int16_t top = TopCard(t, place); top != 0) {
        cards.push_back(top);
    }
    return cards;
}

bool PlaceReadingCard(const Table& t, int16_t id, Place& place) {
    const Place at = PlaceOfCard(t, id);
    if (at.kind == PlaceKind::Stock || (at.kind != PlaceKind::Column && TopCard(t, at) != id))
        return false;
    place = at;
    return true;
}

bool OffTable(const CardPlace& c) {
    return Lies(c, kParkingLeftPx, kParkingTopPx) || Lies(c, kHidingLeftPx, kHidingTopPx);
}

}  // namespace tarvo
