// Shuffle and deal: a ladder of 7..1 cards in seven columns, the aces that
// end a column sent up at once, the other 12 cards left as the stock.

#include <bit>

#include "model/table.h"

namespace tarvo {

namespace {

void SendDealtAceUp(Table& t, int16_t ace) {
    t.MoveCard(ace, kFoundationLeftPx, static_cast<float>(ace / 10) * kFoundationPitchPx);
    t.AcesUp = static_cast<int16_t>(t.AcesUp + 1);
    t.FoundTop[aceSuit(ace)] = ace;
}

}  // namespace

void Table::Mescola() {
    for (auto& column : Columns) {
        for (auto& cell : column)
            cell = 0;
    }
    for (int16_t s = 1; s <= kSuitCount; ++s)
        FoundTop[s] = static_cast<int16_t>((s - 1) * 10);
    for (int16_t i = 1; i <= kCardCount; ++i) {
        Pool[i] = i;
        Carta[i].Mark = "";
        MoveCard(i, kParkingLeftPx, kParkingTopPx);
    }

    // A new seed from the time of day for every deal.
    const double seconds = TimeOfDay ? TimeOfDay() : SystemTimeOfDay();
    randomState_ = std::bit_cast<uint64_t>(seconds);

    PosRow = 1;
    PosCol = 1;
    DealWidth = 7;
    AcesUp = 0;
    for (int16_t i = 1; i <= kCardCount; ++i) {
        DrawIndex = static_cast<int16_t>(NextRandom() * 41);
        // Index 0 and cards drawn before are drawn again for the same place.
        if (DrawIndex < 0 || DrawIndex > kCardCount || Pool[DrawIndex] == 0) {
            --i;
            continue;
        }
        const int16_t c = Pool[DrawIndex];
        Deck[i] = c;
        Pool[DrawIndex] = 0;
        if (DealWidth == 0) continue;  // a stock card: stays parked, unmarked

        Columns[PosCol][PosRow] = c;
        BringToFront(c);
        if (PosCol < DealWidth) {
            MoveCard(c, columnLeftPx(PosCol), rowTopPx(PosRow));
        } else if (!isAce(c)) {
            Carta[c].Mark = "a";
            MoveCard(c, columnLeftPx(PosCol), rowTopPx(PosRow));
        } else {
            SendDealtAceUp(*this, c);
            AceRun = 1;
            Columns[PosCol][PosRow] = 0;
            // Aces lying under it follow, until a card that is not an ace.
            while (PosRow - AceRun > 0) {
                const int16_t t = Columns[PosCol][PosRow - AceRun];
                if (!isAce(t)) {
                    Carta[t].Mark = "a";
                    break;
                }
                AceRun = static_cast<int16_t>(AceRun + 1);
                SendDealtAceUp(*this, t);
                Columns[PosCol][PosRow - AceRun + 1] = 0;
            }
        }
        PosCol = static_cast<int16_t>(PosCol + 1);
        if (PosCol > DealWidth) {
            PosCol = 1;
            DealWidth = static_cast<int16_t>(DealWidth - 1);
            PosRow = static_cast<int16_t>(PosRow + 1);
        }
    }
    StockNext = kFirstStockIndex;
}

}  // namespace tarvo
