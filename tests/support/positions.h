#pragma once
// Game positions written as data for tests: the columns from row 1 down, the
// foundation tops, the stock pile from bottom to top. Every card named nowhere
// is in the untaken stock. The table comes out with every card at its place,
// marked and drawn in order as after real play.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/table.h"

namespace tarvo::testing {

struct Position {
    std::vector<std::vector<int16_t>> columns;    // up to 7, row 1 first
    std::array<int16_t, 4> found{0, 10, 20, 30};  // FoundTop(1..4)
    std::vector<int16_t> pile;                    // stock pile, last turned last
};

Table MakeTable(const Position& p);
// The same written as text: "c1: 24 3 | c3: 23 | f: 0 10 20 30 | p: 26 27"
// (columns by number, row 1 first; the four foundation tops; the stock pile).
Table MakeTable(const std::string& text);

// A Random source that makes the deal draw exactly these card ids in order
// (drawn and zero indexes may be mixed in to test the redraws).
std::function<float()> DrawSequence(std::vector<int16_t> drawIndexes);

}  // namespace tarvo::testing
