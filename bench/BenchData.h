#pragma once

#include "lottery/DrawTypes.h"

#include <cstdint>

// Data shared by the benchmarks.

// Every combination of six numbers out of 45, ascending, made once.
const TCombsArray &AllCombinations();

// Draws with numbers from a seeded shuffle; every tenth draw number is followed by a gap of two
// when gaps are asked for.
TDrawsArray RandomDraws(int count, uint32_t seed, bool gaps = false);
