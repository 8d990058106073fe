// What undo, redo and the hint say, worded for a listener.

#include <gtest/gtest.h>

#include <memory>

#include "access/hint_speech.h"
#include "access/table_speech.h"
#include "positions.h"
#include "solver.h"

namespace tarvo {
namespace {

using solver::Where;

Table Sample() {
    return testing::MakeTable("c1: 24 3 | c2: 35 | c4: 11 14 | f: 2 10 20 30 | p: 26 27");
}

TEST(HintSpeech, UndoAndRedoNameTheCardMovedAndWhereItWent) {
    const struct {
        solver::Move move;
        const char* undone;
        const char* redone;
    } cases[] = {
        // The Coppe ace under the 4 goes up by itself and is not named.
        {{14, Where::kColumn, Where::kColumn, 4, 2},
         "Undone: 4 of Coppe back to column 4",
         "Redone: 4 of Coppe to column 2"},
        {{3, Where::kColumn, Where::kFoundation, 1, 0},
         "Undone: 3 of Denari back to column 1",
         "Redone: 3 of Denari to the Denari foundation"},
    };
    for (const auto& c : cases) {
        auto before = std::make_unique<Table>(Sample());
        auto after = std::make_unique<Table>(*before);
        const auto faults = testing::Replay(*after, {c.move});
        ASSERT_TRUE(faults.empty()) << faults.front();
        EXPECT_EQ(UndoAnnouncement(*after, *before, false), c.undone);
        EXPECT_EQ(UndoAnnouncement(*before, *after, true), c.redone);
    }
    // A stock turn, on a dealt table.
    auto before = std::make_unique<Table>();
    before->TimeOfDay = [] { return 5.0; };
    before->Mescola();
    auto after = std::make_unique<Table>(*before);
    after->TurnStock();
    const std::string turned = CardName(after->CurCard);
    ASSERT_FALSE(isAce(after->CurCard));
    EXPECT_EQ(UndoAnnouncement(*after, *before, false), "Undone: " + turned + " back to the stock");
    EXPECT_EQ(UndoAnnouncement(*before, *after, true), "Redone: " + turned + " to the stock pile");
}

TEST(HintSpeech, TheHintSaysTheMoveOrHowFarBackTheDealWasWon) {
    using K = solver::HintKind;
    const struct {
        solver::Hint hint;
        bool first;
        const char* said;
    } cases[] = {
        {{K::kMove, {14, Where::kColumn, Where::kColumn, 4, 2}, {}},
         false,
         "Move 4 of Coppe onto 5 of Spade, column 2"},
        {{K::kMove, {3, Where::kColumn, Where::kFoundation, 1, 0}, {}},
         true,
         "Move 3 of Denari up to the Denari foundation, with the stock as dealt"},
        {{K::kMove, {27, Where::kPile, Where::kColumn, 0, 3}, {}},
         false,
         "Move 7 of Bastoni to column 3, empty"},
        {{K::kMove, {0, Where::kStock, Where::kPile, 0, 0}, {}}, false, "Turn the stock"},
        {{K::kLost, {}, {3, 0, false}},
         false,
         "This deal can no longer be won. It could, three moves ago: Ctrl+Z three times"},
        {{K::kLost, {}, {1, 0, false}},
         false,
         "This deal can no longer be won. It could, one move ago: Ctrl+Z once"},
        {{K::kLost, {}, {25, 2, false}},
         false,
         "This deal can no longer be won. It could, 25 moves ago: Ctrl+Z 25 times. The two "
         "positions since could not be decided"},
        {{K::kLost, {}, {0, 0, true}}, false, "This deal could not be won from the start"},
        {{K::kLost, {}, {0, 4, false}},
         false,
         "This deal can no longer be won. Whether it could earlier could not be decided"},
        {{K::kUnknown, {}, {}}, true, "No hint: the solver could not decide this position in time"},
        {{K::kDone, {}, {}}, false, "The game is won"},
    };
    const Table t = Sample();
    for (const auto& c : cases)
        EXPECT_EQ(HintAnnouncement(t, c.hint, c.first), c.said);
}

}  // namespace
}  // namespace tarvo
