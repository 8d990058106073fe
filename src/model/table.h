#pragma once
// The table state of one game and the rule procedures that change it. The
// fields keep the names and types the rules use: Integer is int16_t, Single is
// float, Boolean is int16_t holding -1 (true) or 0 (false). Arrays keep their
// bounds; index 0 is never a card. Callers set fields, call a procedure and
// read the table afterwards. The card widgets of the window follow Carta[].

#include <cstdint>
#include <functional>
#include <string>

#include "model/card.h"

namespace tarvo {

constexpr int16_t kTrue = -1;
constexpr int16_t kFalse = 0;

// Where a card lies and whether it may be picked up: "a" may be picked up,
// "n" is being dragged, "" may not be picked up. Z is the drawing order: a
// larger Z is drawn in front and receives the mouse.
struct CardPlace {
    float Left = 0;
    float Top = 0;
    std::string Mark;
    unsigned Z = 0;
};

class Table {
  public:
    float DropCol = 0;
    float DropRow = 0;
    float GrabX = 0;
    float GrabY = 0;
    float HomeLeft = 0;
    float HomeTop = 0;
    int16_t DrawIndex = 0;
    int16_t DealWidth = 0;
    int16_t Pool[41] = {};
    int16_t Deck[41] = {};
    int16_t StockNext = 0;
    int16_t Columns[8][16] = {};
    int16_t PosRow = 0;
    int16_t PosCol = 0;
    int16_t CurCard = 0;
    int16_t FoundTop[5] = {};
    int16_t AcesUp = 0;
    int16_t AceRun = 0;
    int16_t WrapShift = 0;
    int16_t FoundSum = 0;
    int16_t DblClicked = 0;
    int16_t Dragging = 0;

    CardPlace Carta[41];

    // Called when the fourth suit is completed; empty does nothing.
    std::function<void()> Finale;
    // Seconds since local midnight, with fraction; seeds every deal. Empty
    // reads the system clock.
    std::function<double()> TimeOfDay;
    // A value in [0, 1) per draw. Empty uses the built-in generator seeded
    // from TimeOfDay at each deal; tests set it to lay out a chosen deck.
    std::function<float()> Random;

    // Shuffles and deals a new game.
    void Mescola();
    // Tries CurCard on the foundation of suit DropRow.
    void Crescente();
    // Tries CurCard on column DropCol (1..7).
    void Decrescente();
    // Sends the aces on top of column PosCol (top card at row PosCol) up.
    void spostassi();
    // Turns the next stock card: an ace to its foundation, any other card
    // onto the stock pile marked "a". Does nothing while StockNext is not 29..40.
    void TurnStock();

    // Card helpers the window and the gestures share.
    void BringToFront(int16_t id);
    void MoveCard(int16_t id, float left, float top);
    // Number of cards in column col (1..7), never looking beyond row 15.
    int16_t ColumnHeight(int16_t col) const;

  private:
    float NextRandom();
    // SplitMix64: cheap to seed at every deal, and good enough for 40 cards.
    uint64_t randomState_ = 0;
};

// Float to Integer as the rules convert: the nearest integer, halves to even.
int16_t ToInteger(float value);
// Seconds since local midnight, with fraction.
double SystemTimeOfDay();

}  // namespace tarvo
