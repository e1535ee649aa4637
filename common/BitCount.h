#pragma once

#include <cstdint>

// The number of set bits, inline on any x86-64 processor: the build targets machines without the
// popcount instruction, where the standard function becomes a library call.
inline constexpr int BitCount(uint64_t x)
{
    x = x - ((x >> 1) & 0x5555555555555555ULL);
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return int((x * 0x0101010101010101ULL) >> 56);
}

static_assert(BitCount(0) == 0 && BitCount(~uint64_t(0)) == 64 && BitCount(0x8000000000000001ULL) == 2);
