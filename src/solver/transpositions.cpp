#include "solver/transpositions.h"

#include <algorithm>
#include <bit>
#include <new>

namespace tarvo::solver {

namespace {

uint64_t Mix(uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

struct Keys {
    uint64_t cardRow[kCardCount + 1][kColumnRows];
    uint64_t columnCardRow[kColumnCount][kCardCount + 1][kColumnRows];
    uint64_t up[kSuitCount][11];
    uint64_t stockNext[kStockSize + 1];
    Keys() {
        uint64_t state = 0x7A52'0017;
        for (auto& card : cardRow)
            for (auto& k : card)
                k = Mix(state += 0x9E3779B97F4A7C15ull);
        for (auto& column : columnCardRow)
            for (auto& card : column)
                for (auto& k : card)
                    k = Mix(state += 0x9E3779B97F4A7C15ull);
        for (auto& suit : up)
            for (auto& k : suit)
                k = Mix(state += 0x9E3779B97F4A7C15ull);
        for (auto& k : stockNext)
            k = Mix(state += 0x9E3779B97F4A7C15ull);
    }
};

const Keys& TheKeys() {
    static const Keys keys;
    return keys;
}

// The low byte of a stored hash holds the run's generation; 0 is an empty slot.
constexpr uint64_t kGenerationMask = 0xFF;

}  // namespace

uint64_t Hash(const Position& p, bool anyColumn) {
    const Keys& k = TheKeys();
    // The pile follows from the rest: every turned card not elsewhere lies on it.
    uint64_t h = k.stockNext[p.stockNext];
    for (int s = 0; s < kSuitCount; ++s)
        h ^= k.up[s][p.up[s]];
    for (int c = 0; c < kColumnCount; ++c) {
        uint64_t column = 0;
        for (int r = 0; r < p.heights[c]; ++r) {
            const uint8_t id = p.columns[c][r];
            column ^= anyColumn ? k.cardRow[id][r] : k.columnCardRow[c][id][r];
        }
        // Each column hashed whole, so that cards cannot trade columns unseen;
        // a sum of columns does not care which column is which.
        h += anyColumn ? Mix(column) : column;
    }
    return h;
}

void Transpositions::Size(size_t entries, size_t maxBytes) {
    const size_t cap = std::bit_floor(std::max(maxBytes / sizeof(uint64_t), kBucket));
    const size_t size = std::min(cap, std::bit_ceil(std::max(entries, kBucket)));
    if (size != size_) {
        slots_.reset(static_cast<uint64_t*>(std::calloc(size, sizeof(uint64_t))));
        if (!slots_) throw std::bad_alloc();
        size_ = size;
        generation_ = 0;
    }
    NewRun();
}

void Transpositions::NewRun() {
    if (++generation_ > kGenerationMask) {
        std::fill(slots_.get(), slots_.get() + size_, 0);
        generation_ = 1;
    }
}

bool Transpositions::Insert(uint64_t hash) {
    const uint64_t tag = (hash & ~kGenerationMask) | generation_;
    uint64_t* bucket = &slots_[(hash >> 8) & (size_ - kBucket)];
    uint64_t* free = nullptr;
    for (size_t i = 0; i < kBucket; ++i) {
        if (bucket[i] == tag) return false;
        if (!free && (bucket[i] & kGenerationMask) != generation_) free = &bucket[i];
    }
    // A full bucket forgets one of its hashes, chosen by the new one.
    if (!free) free = &bucket[(hash >> 40) % kBucket];
    *free = tag;
    return true;
}

}  // namespace tarvo::solver
