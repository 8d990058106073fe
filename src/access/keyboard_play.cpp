#include "access/keyboard_play.h"

#include <algorithm>
#include <cmath>

#include "access/table_speech.h"
#include "table/hand_gestures.h"

namespace tarvo {

namespace {

// The middle of a place's first card, in table pixels: columns by their
// first row, so the seven of them make one line.
struct Point {
    float x, y;
};

Point Anchor(Place p) {
    const PxRect r = FirstCardRect(p);
    return {r.left + r.width / 2, r.top + r.height / 2};
}

bool Contains(const std::vector<Place>& places, Place p) {
    return std::find(places.begin(), places.end(), p) != places.end();
}

}  // namespace

Place NextPlace(const std::vector<Place>& places, Place from, TableKey key) {
    if (places.empty()) return from;
    if (key == TableKey::Tab) {
        for (const Place& p : places)
            if (RankOf(p) > RankOf(from)) return p;
        return places.front();
    }
    if (key == TableKey::BackTab) {
        for (auto p = places.rbegin(); p != places.rend(); ++p)
            if (RankOf(*p) < RankOf(from)) return *p;
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
        if (along <= 0 || (vertical && aside > kCardWidthPx / 2)) continue;
        const float score = along + 2 * aside;
        if (!best || score < bestScore) {
            best = p;
            bestScore = score;
        }
    }
    return best ? *best : from;
}

std::vector<Place> KeyboardPlay::Places() const {
    if (!Holding()) return FocusablePlaces(t_);
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
    answer_.clear();
    if (gestures_.HeldButtons() != 0 && !Holding() && peeked_ == 0) {
        h_.GestureBrokenOff();  // keys end a mouse gesture, and do nothing more
    } else if (!FocusShown()) {
        if (!focus_) focus_ = StockShown(t_) ? Place{PlaceKind::Stock, 0} : Places().front();
        Settle();
        shown_ = true;
        if (onFocusMoved) onFocusMoved(*focus_);
        return;
    } else {
        Settle();
        Act(key);
    }
    Settle();
}

void KeyboardPlay::Act(TableKey key) {
    switch (key) {
        case TableKey::Tab:
        case TableKey::BackTab:
        case TableKey::Left:
        case TableKey::Right:
        case TableKey::Up:
        case TableKey::Down: {
            if (!Holding() && MoveAlongColumn(key)) return;
            const Place to = NextPlace(Places(), *focus_, key);
            if (to == *focus_) {
                answer_ = key == TableKey::Left    ? "Nothing further left"
                          : key == TableKey::Right ? "Nothing further right"
                          : key == TableKey::Up    ? "Nothing further up"
                                                   : "Nothing further down";
                return;
            }
            MoveFocus(to);
            if (Holding()) FollowFocus();
            return;
        }
        case TableKey::Escape:
            if (Holding()) {
                ReturnHome();
            } else {
                answer_ = "No card is held";
            }
            return;
        case TableKey::Read:
            return;  // the speech's, not the table's
        case TableKey::Return:
        case TableKey::Space:
            break;
    }
    if (Holding()) {
        DropHere();
        return;
    }
    if (focus_->kind == PlaceKind::Stock) {
        h_.mazzo_Click();
        return;
    }
    if (const int16_t covered = FocusedCard(); covered != 0) {
        // A covered card: Space shows it whole while it is held.
        if (key == TableKey::Space && peeked_ == 0) {
            peeked_ = covered;
            PeekPress(h_, covered);
        } else if (key == TableKey::Return) {
            answer_ = CardName(covered) + " is covered: only a column's last card moves";
        }
        return;
    }
    const int16_t card = TopCard(t_, *focus_);
    if (card == 0) {
        // An empty column is only a target.
        answer_ = "Column " + std::to_string(focus_->index) + " is empty";
        return;
    }
    if (key == TableKey::Return) {
        answer_ = WhyNotUp(t_, card);
        DoubleClick(h_, card);
    } else if (t_.Carta[card].Mark == "a") {
        PickUp(card);
    }
}

void KeyboardPlay::PickUp(int16_t card) {
    origin_ = *focus_;
    Lift(h_, card);
    held_ = card;
    if (Holding()) FollowFocus();  // lifted, and drawn in front as in a drag
}

PxRect KeyboardPlay::SpotFor(Place target) const {
    PxRect spot;
    if (target.kind == PlaceKind::Column) {
        int16_t h = t_.ColumnHeight(target.index);
        if (h > 0 && t_.Columns[target.index][h] == held_) --h;  // its own column
        spot = FirstCardRect(target);
        spot.top = rowTopPx(h + 1);
    } else {
        // A foundation, or the pile a card was just picked up from.
        spot = FirstCardRect(target);
    }
    spot.left += kLiftPx;
    spot.top += kLiftPx;
    return spot;
}

void KeyboardPlay::FollowFocus() {
    const PxRect spot = SpotFor(*focus_);
    CarryTo(h_, t_, spot.left, spot.top);
}

void KeyboardPlay::DropHere() {
    const int16_t card = held_;
    const Place target = *focus_;
    if (target == origin_) {
        answer_ = CardName(card) + " stays where it was";
    } else if (target.kind == PlaceKind::Column) {
        answer_ = WhyNotOnColumn(t_, card, target.index);
    } else {
        answer_ = WhyNotUp(t_, card);
    }
    held_ = 0;
    Drop(h_, t_);
    // Refused, the card is back home: so is the focus, on the card.
    if (!answer_.empty() || !Contains(Places(), *focus_)) MoveFocus(origin_);
}

void KeyboardPlay::ReturnHome() {
    held_ = 0;
    SendHome(h_, t_.CurCard, kLeftButton);
    MoveFocus(origin_);
}

void KeyboardPlay::JumpTo(Place target) {
    answer_.clear();
    if (gestures_.HeldButtons() != 0 && !Holding() && peeked_ == 0) {
        h_.GestureBrokenOff();  // as any key: it ends a mouse gesture, and that is all
        Settle();
        return;
    }
    Settle();
    const std::vector<Place> places = Places();
    // F stands for any foundation; the hint names the very one its card is on.
    if (target.kind == PlaceKind::Foundation && !Contains(places, target)) {
        const auto first = std::find_if(places.begin(), places.end(), [](const Place& p) {
            return p.kind == PlaceKind::Foundation;
        });
        if (first != places.end()) target = *first;
    }
    if (!Contains(places, target)) {
        answer_ = target.kind == PlaceKind::Foundation  ? "No foundation has a card to take"
                  : target.kind == PlaceKind::StockPile ? "The stock pile is empty"
                                                        : "The stock is spent";
        return;
    }
    shown_ = true;
    if (focus_ && *focus_ == target) {
        EndPeek();
        row_ = 0;
        if (onFocusMoved) onFocusMoved(target);
    } else {
        MoveFocus(target);
    }
    if (Holding()) FollowFocus();
}

int16_t KeyboardPlay::FocusedCard() const {
    if (row_ == 0 || !focus_ || focus_->kind != PlaceKind::Column) return 0;
    return row_ < t_.ColumnHeight(focus_->index) ? t_.Columns[focus_->index][row_] : 0;
}

bool KeyboardPlay::MoveAlongColumn(TableKey key) {
    if (focus_->kind != PlaceKind::Column) return false;
    const int16_t height = t_.ColumnHeight(focus_->index);
    const int16_t row = row_ == 0 ? height : row_;
    const int16_t to = static_cast<int16_t>(key == TableKey::Up ? row - 1 : row + 1);
    if (to < 1 || to > height) return false;
    EndPeek();
    row_ = to == height ? 0 : to;
    if (onFocusMoved && shown_) onFocusMoved(*focus_);
    return true;
}

void KeyboardPlay::KeyReleased(TableKey key) {
    if (key == TableKey::Space) EndPeek();
}

void KeyboardPlay::EndPeek() {
    if (peeked_ == 0) return;
    const int16_t card = peeked_;
    peeked_ = 0;
    PeekRelease(h_, card);
}

void KeyboardPlay::MousePressed() {
    EndPeek();
    if (!Holding() && !FocusShown()) return;
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
    // A covered card the focus went down to stays covered while it stays put.
    if (row_ != 0 && FocusedCard() == 0) row_ = 0;
    const std::vector<Place> places = Places();
    if (Contains(places, *focus_)) return;
    // The focused place went away: the one before it in table order.
    MoveFocus(NextPlace(places, *focus_, TableKey::BackTab));
}

void KeyboardPlay::FocusOn(Place place) {
    Settle();
    if (Holding() || !Contains(Places(), place)) return;
    if (focus_ == place && row_ != 0) {
        EndPeek();
        row_ = 0;
        if (onFocusMoved && shown_) onFocusMoved(place);
    }
    MoveFocus(place);
}

void KeyboardPlay::MoveFocus(Place to) {
    if (focus_ && *focus_ == to) return;
    EndPeek();
    row_ = 0;
    focus_ = to;
    if (onFocusMoved && shown_) onFocusMoved(to);
}

}  // namespace tarvo
