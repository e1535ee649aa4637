#pragma once

#include "lottery/DrawTypes.h"

#include <cstdint>
#include <vector>

// Data shared by the benchmarks.

// Every combination of six numbers out of 45, ascending, made once.
const TCombsArray &AllCombinations();

// Draws with numbers from a seeded shuffle; every tenth draw number is followed by a gap of two
// when gaps are asked for.
TDrawsArray RandomDraws(int count, uint32_t seed, bool gaps = false);

// ---- The plain loops a tuned pass is held against ----

// The 64-bit number mask of every combination of AllCombinations(), made once.
const std::vector<uint64_t> &AllCombinationMasks();

// Copies to out the first count combinations of combs whose mask meets the selection (any number of it
// for a keep, none for a delete) and returns how many it copied: one plain loop on the calling thread.
int64_t PlainMaskPass(const TComb *combs, const uint64_t *masks, int64_t count, uint64_t selection, bool deleting,
                      TComb *out);
// The same loop on threads cores through OpenMP: every thread counts its share, then writes it at its
// place in out.
int64_t OpenMPMaskPass(const TComb *combs, const uint64_t *masks, int64_t count, uint64_t selection,
                       bool deleting, TComb *out, int threads);
// The same two phases on the program's pool of workers (ParallelWork).
int64_t PoolMaskPass(const TComb *combs, const uint64_t *masks, int64_t count, uint64_t selection, bool deleting,
                     TComb *out);
// Writes every combination of the game into out in the order of their generation, on threads cores
// through OpenMP (each pair of first numbers by one task); returns how many it wrote.
int64_t OpenMPGenerateAll(TComb *out, int threads);
