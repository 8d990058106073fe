#include "model/table.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

namespace tarvo {

int16_t ToInteger(float value) {
    return static_cast<int16_t>(std::lrint(value));
}

double SystemTimeOfDay() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const double fraction =
        static_cast<double>(duration_cast<microseconds>(now.time_since_epoch()).count() % 1000000) /
        1e6;
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction;
}

void Table::BringToFront(int16_t id) {
    unsigned top = 0;
    for (int i = 1; i <= kCardCount; ++i)
        top = std::max(top, Carta[i].Z);
    // Always a new Z, also for the card already in front: the window must see
    // it brought forward, over anything raised since (a panel).
    Carta[id].Z = top + 1;
}

void Table::MoveCard(int16_t id, float left, float top) {
    Carta[id].Left = left;
    Carta[id].Top = top;
}

int16_t Table::ColumnHeight(int16_t col) const {
    int16_t n = 0;
    while (n < kColumnRows && Columns[col][n + 1] != 0)
        ++n;
    return n;
}

float Table::NextRandom() {
    if (Random) return Random();
    uint64_t z = (randomState_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    // 24 random bits give a multiple of 2^-24 in [0, 1), never 1.
    return static_cast<float>(z >> 40) * (1.0f / 16777216.0f);
}

}  // namespace tarvo
