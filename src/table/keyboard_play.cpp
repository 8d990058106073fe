#include "table/keyboard_play.h"

#include <algorithm>
#include <cmath>

namespace tarvo {

namespace {

// A release this far left of the table lands nowhere: the card goes home.
constexpr float kOutsideTablePx = -100000;

int Rank(Place p) {
    switch (p.kind) {
        case PlaceKind::Column:
            return p.index - 1;
        case PlaceKind::Foundation:
            return kColumnCount + p.index - 1;
        case PlaceKind::StockPile:
            return kColumnCount + kSuitCount;
        case PlaceKind::Stock:
            return kColumnCount + kSuitCount + 1;
    }
    return 0;
}

// The middle of a place's first card, in table pixels: columns by their
// first row, so the seven of them make one line.
struct Point {
    float x, y;
};
constexpr float kHalfCardPx = 32;

Point Anchor(Place p) {
    constexpr float kHalfWidth = kHalfCardPx, kHalfHeight = 51;
    switch (p.kind) {
        case PlaceKind::Column:
            return {columnLeftPx(p.index) + kHalfWidth, kHalfHeight};
        case PlaceKind::Foundation:
            return {kFoundationLeftPx + kHalfWidth, foundationTopPx(p.index) + kHalfHeight};
        case PlaceKind::StockPile:
            return {kStockPileLeftPx + kHalfWidth, kStockPileTopPx + kHalfHeight};
        case PlaceKind::Stock:
            return {kStockPileLeftPx + kHalfWidth, kStockPileTopPx + 101 + kHalfHeight};
    }
    return {0, 0};
}

bool Contains(const std::vector<Place>& places, Place p) {
    return std::find(places.begin(), places.end(), p) != places.end();
}

}  // namespace

Place NextPlace(const std::vector<Place>& places, Place from, TableKey key) {
    if (places.empty()) return from;
    if (key == TableKey::Tab) {
        for (const Place& p : places)
            if (Rank(p) > Rank(from)) return p;
        return places.front();
    }
    if (key == TableKey::BackTab) {
        for (auto p = places.rbegin(); p != places.rend(); ++p)
            if (Rank(*p) < Rank(from)) return *p;
        return places.back();
    }
    const bool vertical = key == TableKey::Up || key == TableKey::Down;
    const float sign = key == TableKey::Left || key == TableKey::Up ? -1.f : 1.f;
    const Point a = Anchor(from);
    std::optional<Place> best;
    float bestScore = 0;
    for (const Place& p : places) {
        const Point b = Anchor(p);
        const float along = sign * (vertical ? b.y - a.y : b.x - a.x);
        const float aside = std::fabs(vertical ? b.x - a.x : b.y - a.y);
        // The places on the right stand in a column of their own, so sideways
        // anything further that way will do; up and down stay in line.
        if (along <= 0 || (vertical && aside > kHalfCardPx)) continue;
        const float score = along + 2 * aside;
        if (!best || score < bestScore) {
            best = p;
            bestScore = score;
        }
    }
    return best ? *best : from;
}

std::vector<Place> KeyboardPlay::Places() const {
    if (!Holding()) return FocusablePlaces(t_, h_.MazzoShown());
    std::vector<Place> targets;
    for (int16_t c = 1; c <= kColumnCount; ++c)
        targets.push_back({PlaceKind::Column, c});
    targets.push_back({PlaceKind::Foundation, suitOf(held_)});
    return targets;
}

int16_t KeyboardPlay::HeldCard() const {
    // A broken-off or forgotten gesture no longer holds the card.
    const bool live = held_ != 0 && (gestures_.HeldButtons() & CardGestures::Bit(kLeftButton)) &&
                      t_.CurCard == held_ && t_.Dragging == kTrue;
    return live ? held_ : 0;
}

void KeyboardPlay::Key(TableKey key) {
    if (gestures_.HeldButtons() != 0 && !Holding()) {
        h_.GestureBrokenOff();  // keys end a mouse gesture, and do nothing more
        Settle();
        return;
    }
    if (!FocusShown()) {
        const Place stock{PlaceKind::Stock, 0};
        if (!focus_) focus_ = h_.MazzoShown() ? stock : Places().front();
        Settle();
        shown_ = true;
        if (onFocusMoved) onFocusMoved(*focus_);
        return;
    }
    Settle();
    Act(key);
}

void KeyboardPlay::Act(TableKey key) {
    switch (key) {
        case TableKey::Tab:
        case TableKey::BackTab:
        case TableKey::Left:
        case TableKey::Right:
        case TableKey::Up:
        case TableKey::Down: {
            const Place to = NextPlace(Places(), *focus_, key);
            if (to == *focus_) return;
            MoveFocus(to);
            if (Holding()) FollowFocus();
            return;
        }
        case TableKey::Escape:
            if (Holding()) ReturnHome();
            return;
        case TableKey::Return:
        case TableKey::Space:
            break;
    }
    if (Holding()) {
        Drop();
        return;
    }
    if (focus_->kind == PlaceKind::Stock) {
        h_.mazzo_Click();
        Settle();
        return;
    }
    const int16_t card = TopCard(t_, *focus_);
    if (card == 0) return;  // an empty column is only a target
    if (key == TableKey::Space) {
        if (t_.Carta[card].Mark == "a") PickUp(card);
        return;
    }
    // A double click: press, release, click, double click, release.
    h_.Carta_MouseDown(card, kLeftButton, 0, kKeyGrabXPx, kKeyGrabYPx);
    h_.Carta_MouseUp(card, kLeftButton, 0, kKeyGrabXPx, kKeyGrabYPx);
    h_.Carta_Click(card);
    h_.Carta_DblClick(card);
    h_.Carta_MouseUp(card, kLeftButton, 0, kKeyGrabXPx, kKeyGrabYPx);
    Settle();
}

void KeyboardPlay::PickUp(int16_t card) {
    origin_ = *focus_;
    h_.Carta_MouseDown(card, kLeftButton, 0, kKeyGrabXPx, kKeyGrabYPx);
    held_ = card;
    if (Holding()) FollowFocus();  // lifted, and drawn in front as in a drag
}

void KeyboardPlay::SpotFor(Place target, float& left, float& top) const {
    switch (target.kind) {
        case PlaceKind::Column: {
            int16_t h = t_.ColumnHeight(target.index);
            if (h > 0 && t_.Columns[target.index][h] == held_) --h;  // its own column
            left = columnLeftPx(target.index);
            top = rowTopPx(h + 1);
            break;
        }
        case PlaceKind::Foundation:
            left = kFoundationLeftPx;
            top = foundationTopPx(target.index);
            break;
        case PlaceKind::StockPile:
        case PlaceKind::Stock:
            left = kStockPileLeftPx;
            top = kStockPileTopPx;
            break;
    }
    left += kLiftPx;
    top += kLiftPx;
}

void KeyboardPlay::FollowFocus() {
    // The pointer moves so that the grabbed point, and with it the card,
    // comes to the spot over the focused place.
    float left = 0, top = 0;
    SpotFor(*focus_, left, top);
    const CardPlace& c = t_.Carta[held_];
    h_.Carta_MouseMove(held_, CardGestures::Bit(kLeftButton), 0, left - c.Left + t_.GrabX,
                       top - c.Top + t_.GrabY);
}

void KeyboardPlay::Drop() {
    const int16_t card = held_;
    held_ = 0;
    h_.Carta_MouseUp(card, kLeftButton, 0, t_.GrabX, t_.GrabY);
    // The pointer is on the card it carried: the release makes a click, as
    // at the end of a drag.
    h_.Carta_Click(card);
    // A place that took nothing and is no place of its own (an empty
    // foundation): the focus goes back to the card.
    if (!Contains(Places(), *focus_)) MoveFocus(origin_);
    Settle();
}

void KeyboardPlay::ReturnHome() {
    const int16_t card = held_;
    held_ = 0;
    h_.Carta_MouseUp(card, kLeftButton, 0, kOutsideTablePx, t_.GrabY);
    MoveFocus(origin_);
    Settle();
}

void KeyboardPlay::MousePressed() {
    if (Holding()) h_.GestureBrokenOff();
    Settle();
    shown_ = false;
}

void KeyboardPlay::Settle() {
    if (held_ != 0 && !Holding()) {
        // The pick-up ended without us: the card is back where it came from.
        held_ = 0;
        if (focus_) MoveFocus(origin_);
    }
    // While a card is held the focus is on a drop target, and they all stay.
    if (!focus_ || Holding()) return;
    const std::vector<Place> places = Places();
    if (Contains(places, *focus_)) return;
    // The focused place went away: the one before it in table order.
    MoveFocus(NextPlace(places, *focus_, TableKey::BackTab));
}

void KeyboardPlay::MoveFocus(Place to) {
    if (focus_ && *focus_ == to) return;
    focus_ = to;
    if (onFocusMoved && shown_) onFocusMoved(to);
}

}  // namespace tarvo
