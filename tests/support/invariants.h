#pragma once
// The table's invariants, as every handler must leave them. Returns one line
// per violation, empty when the table is sound.

#include <string>
#include <vector>

#include "model/table.h"

namespace tarvo::testing {

struct InvariantOptions {
    // While a right button is held the peeked card is in front of its column.
    bool checkDrawingOrder = true;
};

std::vector<std::string> Violations(const Table& t, InvariantOptions options = {});

}  // namespace tarvo::testing
