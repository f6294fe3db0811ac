#pragma once

#include <cstdint>

// A small generator of our own (splitmix64): the standard library's
// distributions differ between implementations, and the bench's site must be
// the same bytes everywhere.
class CBenchRandom {
public:
    explicit CBenchRandom(uint64_t seed) : m_nState(seed) {}

    uint64_t Next();
    // A number from low to high, both included.
    int Between(int low, int high);

private:
    uint64_t m_nState;
};
