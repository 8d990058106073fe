#pragma once
// The gestures a hand makes on a card, written once as the notifications the
// mouse raises for them, for whoever makes them without one: the keys, and
// the end of a gesture the platform broke off. Each runs the handlers in the
// order the mouse would, so rules, marks, sounds and panels answer as they
// answer the mouse.

#include <cstdint>

#include "model/table.h"
#include "table/card_handlers.h"

namespace tarvo {

constexpr int16_t kLeftButton = 1;
constexpr int16_t kRightButton = 2;

// Where a hand without a mouse holds a card: its middle, inside the border.
constexpr float kHandGrabXPx = 31;
constexpr float kHandGrabYPx = 50;

// Press, release, click, double click, release: the card goes to its
// foundation when it fits there.
void DoubleClick(TableHandlers& h, int16_t card);
// A left press: the card is picked up when it may be.
void Lift(TableHandlers& h, int16_t card);
// A move of the held button that brings the picked-up card's corner to
// (left, top) of the table.
void CarryTo(TableHandlers& h, const Table& t, float left, float top);
// A left release with the pointer on the carried card, then its click: the
// drop is tried where the card lies.
void Drop(TableHandlers& h, const Table& t);
// A right press and its release: the peek shows a covered card whole until
// the release restores its column.
void PeekPress(TableHandlers& h, int16_t card);
void PeekRelease(TableHandlers& h, int16_t card);
// A release of `button` off the table: the card goes back to its place.
void SendHome(TableHandlers& h, int16_t card, int16_t button);

}  // namespace tarvo
