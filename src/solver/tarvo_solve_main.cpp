// tarvo-solve: decides deals or positions read from standard input, one a
// line, and prints one verdict line for each.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "solver/solver.h"

namespace {

using namespace tarvo;
using namespace tarvo::solver;

constexpr const char* kHelp = R"(Usage: tarvo-solve [--budget NODES] [--line] [--help]

Reads deals or positions from standard input, one a line, and prints one line
for each: "won", "lost" or "unknown", then the number of moves of the winning
line, the nodes searched and the milliseconds taken, e.g.
    won 93 moves 152 nodes 2.2 ms

A deal is the 40 card ids of Deck(1..40) in the order the shuffle leaves
them, separated by blanks (ids: (suit - 1) * 10 + value; suits Denari,
Coppe, Bastoni, Spade; value 1 the ace .. 10 the king).

A position is a line of parts separated by "|":
    c1: 24 3 | c3: 23 | f: 0 10 23 30 | p: 26 27 | s: 5 6 7
c1..c7 the columns, row 1 (the most covered card) first; a column not named
is empty. f: the top card id of each foundation, Denari first; an empty one
holds (suit - 1) * 10. p: the stock pile, the first card turned first and its
top card last. s: the stock still to turn, the next card first. Every card
must be named exactly once.

Blank lines are skipped.

Options:
  --budget NODES  give up ("unknown") after this many positions (default %llu)
  --line          print the winning line after the figures, a move a word:
                  "turn" (the stock), "24:c1>c3" (card 24 from column 1 to
                  column 3), "p" the pile, "f" the foundations
  --help          this text
Exit status: 0, or 2 with a message on standard error naming the first bad line.
)";

std::string Word(const Move& m) {
    if (m.from == Where::kStock) return "turn";
    auto place = [](Where w, int col) {
        return w == Where::kColumn ? "c" + std::to_string(col)
                                   : std::string(w == Where::kPile ? "p" : "f");
    };
    return std::to_string(m.card) + ":" + place(m.from, m.fromColumn) + ">" +
           place(m.to, m.toColumn);
}

bool ReadDeal(const std::string& line, Position& out, std::string& error) {
    std::istringstream in(line);
    std::array<int16_t, kCardCount> deck{};
    bool seen[kCardCount + 1] = {};
    size_t n = 0;
    for (std::string word; in >> word;) {
        const int id = CardNumber(word);
        if (id < 1) {
            error = "\"" + word + "\" is not a card id 1..40";
            return false;
        }
        if (seen[id]) {
            error = "card " + word + " twice";
            return false;
        }
        if (n == deck.size()) {
            error = "more than 40 cards";
            return false;
        }
        seen[id] = true;
        deck[n++] = static_cast<int16_t>(id);
    }
    if (n < deck.size()) {
        error = "only " + std::to_string(n) + " of the 40 cards";
        return false;
    }
    out = Deal(deck);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    bool printLine = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::printf(kHelp, static_cast<unsigned long long>(kDealBudgetNodes));
            return 0;
        }
        if (arg == "--line") {
            printLine = true;
        } else if (arg == "--budget" && i + 1 < argc) {
            const std::string value = argv[++i];
            size_t used = 0;
            try {
                options.nodeBudget = std::stoull(value, &used);
            } catch (const std::exception&) {
            }
            if (used != value.size() || value[0] == '-' || options.nodeBudget == 0) {
                std::fprintf(stderr, "tarvo-solve: --budget needs a number of nodes\n");
                return 2;
            }
        } else {
            std::fprintf(stderr, "tarvo-solve: unknown argument \"%s\" (see --help)\n", argv[i]);
            return 2;
        }
    }

    Solver solver(options);
    std::string line;
    for (int number = 1; std::getline(std::cin, line); ++number) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        Position p;
        std::string error;
        const bool read = line.find(':') != std::string::npos ? FromText(line, p, error)
                                                              : ReadDeal(line, p, error);
        if (!read) {
            std::fprintf(stderr, "tarvo-solve: line %d: %s\n", number, error.c_str());
            return 2;
        }
        const auto start = std::chrono::steady_clock::now();
        const Result r = solver.Solve(p);
        const std::chrono::duration<double, std::milli> ms =
            std::chrono::steady_clock::now() - start;
        std::printf("%s %zu moves %llu nodes %.1f ms", Name(r.verdict), r.line.size(),
                    static_cast<unsigned long long>(r.nodes), ms.count());
        if (printLine) {
            std::printf(" |");
            for (const Move& m : r.line)
                std::printf(" %s", Word(m).c_str());
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    return 0;
}
