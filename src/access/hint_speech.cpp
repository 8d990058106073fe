#include "access/hint_speech.h"

#include "access/table_speech.h"
#include "model/table_places.h"

namespace tarvo {

namespace {

const char* const kNumberWords[] = {
    "no",       "one",     "two",     "three",     "four",     "five",     "six",
    "seven",    "eight",   "nine",    "ten",       "eleven",   "twelve",   "thirteen",
    "fourteen", "fifteen", "sixteen", "seventeen", "eighteen", "nineteen", "twenty"};
constexpr int kLastNumberWord = 20;

std::string Number(int n) {
    return n <= kLastNumberWord ? kNumberWords[n] : std::to_string(n);
}

std::string Times(int n) {
    if (n == 1) return "once";
    if (n == 2) return "twice";
    return Number(n) + " times";
}

std::string MovesAgo(int n) {
    return n == 1 ? "one move ago" : Number(n) + " moves ago";
}

std::string Rewind(const solver::Rewind& r) {
    if (r.fromStart) return "This deal could not be won from the start";
    std::string text = "This deal can no longer be won.";
    if (r.movesBack > 0) {
        text += " It could, " + MovesAgo(r.movesBack) + ": Ctrl+Z " + Times(r.movesBack);
        if (r.undecided > 0)
            text +=
                ". The " +
                (r.undecided == 1 ? std::string("position") : Number(r.undecided) + " positions") +
                " since could not be decided";
        return text;
    }
    return text + " Whether it could earlier could not be decided";
}

std::string MoveWords(const Table& t, const solver::Move& m) {
    using solver::Where;
    if (m.from == Where::kStock) return "Turn the stock";
    const std::string card = CardName(m.card);
    if (m.to == Where::kFoundation)
        return "Move " + card + " up to " + PlaceOf({PlaceKind::Foundation, suitOf(m.card)});
    const int16_t top = TopCard(t, {PlaceKind::Column, m.toColumn});
    const std::string column = "column " + std::to_string(m.toColumn);
    if (top == 0) return "Move " + card + " to " + column + ", empty";
    return "Move " + card + " onto " + CardName(top) + ", " + column;
}

}  // namespace

int16_t MovedCard(const Table& before, const Table& after) {
    // The aces that went up by themselves follow the card silently. An ace
    // moved alone was turned from the stock.
    int16_t moved = 0;
    for (int16_t id = 1; id <= kCardCount; ++id) {
        if (PlaceOfCard(before, id) == PlaceOfCard(after, id)) continue;
        if (moved == 0 || (isAce(moved) && !isAce(id))) moved = id;
    }
    return moved;
}

std::string UndoAnnouncement(const Table& before, const Table& after, bool redo) {
    const int16_t moved = MovedCard(before, after);
    if (moved == 0) return "";
    const std::string where = PlaceOf(PlaceOfCard(after, moved));
    return redo ? "Redone: " + CardName(moved) + " to " + where
                : "Undone: " + CardName(moved) + " back to " + where;
}

std::string HintAnnouncement(const Table& t, const solver::Hint& hint, bool first) {
    switch (hint.kind) {
        case solver::HintKind::kMove:
            return MoveWords(t, hint.move) + (first ? ", with the stock as dealt" : "");
        case solver::HintKind::kDone:
            return "The game is won";
        case solver::HintKind::kLost:
            return Rewind(hint.rewind);
        case solver::HintKind::kUnknown:
            break;
    }
    return "No hint: the solver could not decide this position in time";
}

}  // namespace tarvo
