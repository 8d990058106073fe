#pragma once
// Positions met in the current search run, as 64-bit hashes in a table of
// fixed size that forgets the oldest of a full bucket: forgetting only costs
// searching a position again. Runs are told apart by a generation, so a new
// run starts empty without clearing the memory.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "solver/position.h"

namespace tarvo::solver {

// Columns are interchangeable: with `anyColumn` the hash of a position is the
// same whichever columns its piles lie in.
uint64_t Hash(const Position& p, bool anyColumn);

class Transpositions {
  public:
    // Room for at least `entries` hashes, at most `maxBytes`; forgets all.
    void Size(size_t entries, size_t maxBytes);
    // Forgets all, at once: a new generation.
    void NewRun();
    // False when the hash was already met in this run.
    bool Insert(uint64_t hash);

  private:
    static constexpr size_t kBucket = 4;
    struct Free {
        void operator()(uint64_t* p) const { std::free(p); }
    };
    // From calloc: pages of zeros that cost nothing until a search writes them.
    std::unique_ptr<uint64_t[], Free> slots_;
    size_t size_ = 0;
    uint64_t generation_ = 0;
};

}  // namespace tarvo::solver
