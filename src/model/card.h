#pragma once
// Card ids and the places of the table. A card id is 1..40, 0 is no card:
// id = (suit - 1) * 10 + value. Suits 1 Denari, 2 Coppe (the short suits,
// ids 1..20), 3 Bastoni, 4 Spade (the long suits, ids 21..40); value 1 is the
// ace, 8, 9 and 10 the three figure cards.

#include <cstdint>

namespace tarvo {

constexpr int16_t kCardCount = 40;
constexpr int16_t kSuitCount = 4;
constexpr int16_t kColumnCount = 7;
// A column never holds more than 15 cards: 7 dealt ones ending in a 10, then 9 down to 2.
constexpr int16_t kColumnRows = 15;
// Column 8 is the foundation strip as the release hit test names it.
constexpr int16_t kFoundationStripColumn = 8;
// The first stock card in the shuffled deck, and one past the last.
constexpr int16_t kFirstStockIndex = 29;
constexpr int16_t kStockExhausted = 41;

enum Suit : int16_t { Denari = 1, Coppe = 2, Bastoni = 3, Spade = 4 };

constexpr int16_t suitOf(int16_t id) {
    return static_cast<int16_t>((id - 1) / 10 + 1);
}
constexpr int16_t valueOf(int16_t id) {
    return static_cast<int16_t>((id - 1) % 10 + 1);
}
constexpr bool isAce(int16_t id) {
    return id % 10 == 1;
}
// Only right for aces (a 10 has id 10 * suit); the rules use it in this form for aces.
constexpr int16_t aceSuit(int16_t ace) {
    return static_cast<int16_t>(ace / 10 + 1);
}
constexpr bool isShortSuit(int16_t id) {
    return id >= 1 && id <= 20;
}
constexpr int16_t cardId(int16_t suit, int16_t value) {
    return static_cast<int16_t>((suit - 1) * 10 + value);
}

// Places, in pixels of the table (the window's client area, origin top-left).
// A card widget: a 62 by 100 face inside a one-pixel border.
constexpr float kCardWidthPx = 64;
constexpr float kCardHeightPx = 102;
constexpr float kColumnPitchPx = 65;
constexpr float kRowPitchPx = 25;
// Left of column 7: every card with Left at or below this lies in a column.
constexpr float kLastColumnLeftPx = 390;
constexpr float kFoundationLeftPx = 458;
constexpr float kFoundationPitchPx = 102;
constexpr float kStockPileLeftPx = 540;
constexpr float kStockPileTopPx = 204;
// The stock itself (the card back, Mazzo), just below the pile.
constexpr float kStockLeftPx = 540;
constexpr float kStockTopPx = 305;
// The release hit test's strip 8: x from 455 up to, not including, 520.
constexpr float kFoundationStripLeftPx = kColumnPitchPx * (kFoundationStripColumn - 1);
constexpr float kFoundationStripEndPx = kColumnPitchPx * kFoundationStripColumn;
// Where a pointer lies off the table: a release there sends the card home.
constexpr float kOffTablePx = -100000;
// The window's outer size, frame included where there is one.
constexpr int kWindowOuterWidthPx = 620;
constexpr int kWindowOuterHeightPx = 480;
constexpr float kParkingLeftPx = 600;
constexpr float kParkingTopPx = 600;
constexpr float kHidingLeftPx = 1500;
constexpr float kHidingTopPx = 1500;

constexpr float columnLeftPx(int col) {
    return kColumnPitchPx * static_cast<float>(col - 1);
}
constexpr float rowTopPx(int row) {
    return kRowPitchPx * static_cast<float>(row - 1);
}
constexpr float foundationTopPx(int suit) {
    return kFoundationPitchPx * static_cast<float>(suit - 1);
}

}  // namespace tarvo
