#include "invariants.h"

#include <sstream>

namespace tarvo::testing {

namespace {

class Report {
  public:
    template <typename... Parts>
    void Add(const Parts&... parts) {
        std::ostringstream line;
        (line << ... << parts);
        lines.push_back(line.str());
    }
    std::vector<std::string> lines;
};

bool At(const CardPlace& c, float left, float top) {
    return c.Left == left && c.Top == top;
}

}  // namespace

std::vector<std::string> Violations(const Table& t, InvariantOptions options) {
    Report r;
    int places[41] = {};  // how many places claim each card
    int dragged = 0;
    for (int id = 1; id <= kCardCount; ++id) {
        const std::string& m = t.Carta[id].Mark;
        if (m == "n") ++dragged;
        if (m != "" && m != "a" && m != "n") r.Add("card ", id, " has mark '", m, "'");
    }
    if (dragged > 1) r.Add(dragged, " cards are marked n");
    // A dragged card is wherever the pointer took it.
    auto placed = [&](int id, float left, float top) {
        if (t.Carta[id].Mark != "n" && !At(t.Carta[id], left, top)) {
            r.Add("card ", id, " at ", t.Carta[id].Left, ",", t.Carta[id].Top, " not at ", left,
                  ",", top);
        }
    };

    for (int c = 1; c <= kColumnCount; ++c) {
        const int n = t.ColumnHeight(static_cast<int16_t>(c));
        for (int row = n + 1; row <= kColumnRows; ++row) {
            if (t.Columns[c][row] != 0) r.Add("column ", c, " has a gap below row ", row);
        }
        for (int row = 1; row <= n; ++row) {
            const int id = t.Columns[c][row];
            if (id < 1 || id > kCardCount) {
                r.Add("column ", c, " row ", row, " holds ", id);
                continue;
            }
            ++places[id];
            placed(id, columnLeftPx(c), rowTopPx(row));
            const std::string want = row == n ? "a" : "";
            if (t.Carta[id].Mark != want && t.Carta[id].Mark != "n") {
                r.Add("column card ", id, " has mark '", t.Carta[id].Mark, "'");
            }
            if (row == n && isAce(static_cast<int16_t>(id))) r.Add("ace ", id, " tops column ", c);
            if (options.checkDrawingOrder && row > 1 &&
                t.Carta[t.Columns[c][row - 1]].Z >= t.Carta[id].Z) {
                r.Add("column ", c, " row ", row, " is drawn behind row ", row - 1);
            }
        }
        for (int row = 0; row <= kColumnRows; ++row) {
            if ((c == 0 || row == 0) && t.Columns[c][row] != 0) r.Add("unused cell holds a card");
        }
    }

    int aces = 0;
    for (int s = 1; s <= kSuitCount; ++s) {
        const int top = t.FoundTop[s];
        if (top < (s - 1) * 10 || top > s * 10) {
            r.Add("FoundTop(", s, ") = ", top);
            continue;
        }
        if (top > (s - 1) * 10) ++aces;
        for (int id = (s - 1) * 10 + 1; id <= top; ++id) {
            ++places[id];
            placed(id, kFoundationLeftPx, foundationTopPx(s));
            const std::string want = isAce(static_cast<int16_t>(id)) ? "" : "a";
            if (t.Carta[id].Mark != want && t.Carta[id].Mark != "n") {
                r.Add("foundation card ", id, " has mark '", t.Carta[id].Mark, "'");
            }
            if (options.checkDrawingOrder && id > (s - 1) * 10 + 1 &&
                t.Carta[id - 1].Z >= t.Carta[id].Z) {
                r.Add("foundation card ", id, " is drawn behind the card below it");
            }
        }
    }
    if (t.AcesUp != aces) r.Add("AcesUp ", t.AcesUp, " but ", aces, " aces are up");

    // A deal leaves 12 stock cards; hand-made test positions may leave more.
    if (t.StockNext < 1 || t.StockNext > kStockExhausted) {
        r.Add("StockNext ", t.StockNext);
    } else {
        for (int k = t.StockNext; k <= kCardCount; ++k) {
            const int id = t.Deck[k];
            if (id < 1 || id > kCardCount) {
                r.Add("Deck(", k, ") = ", id);
                continue;
            }
            ++places[id];
            placed(id, kParkingLeftPx, kParkingTopPx);
            if (t.Carta[id].Mark != "") r.Add("untaken stock card ", id, " is marked");
        }
    }
    // What is nowhere else lies on the stock pile.
    for (int id = 1; id <= kCardCount; ++id) {
        if (places[id] > 1) r.Add("card ", id, " is in ", places[id], " places");
        if (places[id] != 0) continue;
        placed(id, kStockPileLeftPx, kStockPileTopPx);
        if (t.Carta[id].Mark != "a" && t.Carta[id].Mark != "n") {
            r.Add("stock pile card ", id, " has mark '", t.Carta[id].Mark, "'");
        }
    }
    return r.lines;
}

}  // namespace tarvo::testing
