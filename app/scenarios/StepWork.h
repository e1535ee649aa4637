#pragma once

// Small pieces shared by the ways of working of the statistics step: the chunks of a pass on all
// cores, values of the step's byte buffer, the counts each worker keeps apart, and the test of a
// combination's candidates against the rows applied.

#include "app/combinations/ParallelWork.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace StepWork {

// A mask of candidates has a bit for each: at most 64.
constexpr size_t kMaxMaskCandidates = 64;

// A pass over a list is cut into chunks of 65,536 combinations: a chunk's counts fit 32 bits.
constexpr int64_t kChunk = int64_t(1) << 16;

inline int chunkCount(int64_t n)
{
    return int((n + kChunk - 1) / kChunk);
}

struct Range {
    int64_t begin;
    int64_t end;
};

inline Range chunkRange(int chunk, int64_t n)
{
    const int64_t b = int64_t(chunk) * kChunk;
    return {b, std::min(n, b + kChunk)};
}

// Values of the step's buffer, read and written byte-wise (the buffer holds values of any width).
template <class T> inline T loadAt(const uint8_t *p, int64_t i)
{
    T v;
    std::memcpy(&v, p + size_t(i) * sizeof(T), sizeof(T));
    return v;
}
template <class T> inline void storeAt(uint8_t *p, int64_t i, T v)
{
    std::memcpy(p + size_t(i) * sizeof(T), &v, sizeof(T));
}

// Calls f with a value of the unsigned type that is width bytes wide.
template <class F> void withWidth(int width, F &&f)
{
    switch (width) {
    case 1: f(uint8_t{}); break;
    case 2: f(uint16_t{}); break;
    case 4: f(uint32_t{}); break;
    default: f(uint64_t{}); break;
    }
}

// A combination survives the rows applied so far: none of the deleted candidates, all of the required
// ones, and one of any-of when it is set.
inline bool survives(uint64_t mask, uint64_t deleted, uint64_t required, uint64_t anyOf)
{
    return (mask & deleted) == 0 && (mask & required) == required && (anyOf == 0 || (mask & anyOf) != 0);
}

// Room kept from step to step (the steps of a run ask for about the same room again and again), made
// a quarter larger when it grows: a list a little longer than the last one then finds it large enough.
// Its content is not kept.
inline uint8_t *roomOf(std::vector<uint8_t> &room, size_t bytes)
{
    if (room.size() < bytes) {
        std::vector<uint8_t>().swap(room);
        room.resize(bytes + bytes / 4);
    }
    return room.data();
}

// Counts kept by every worker apart (size counts each, in turns tables taken in turn), added up at
// the end. The tables sit apart, so that no two workers write into one cache line.
class WorkerCounts {
public:
    WorkerCounts(size_t size, size_t turns = 1)
        : m_size(size), m_turns(turns), m_stride(size + 2 * kPad),
          m_counts(size_t(ParallelWork::workerCount()) * turns * m_stride, 0)
    {
    }
    // The first table of the worker; table t of it lies t * stride() further on.
    int64_t *of(int worker) { return m_counts.data() + size_t(worker) * m_turns * m_stride + kPad; }
    size_t stride() const { return m_stride; }
    // Every worker's tables added up.
    std::vector<int64_t> total() const
    {
        std::vector<int64_t> sum(m_size, 0);
        for (size_t t = 0; t < m_counts.size() / m_stride; ++t)
            for (size_t k = 0; k < m_size; ++k)
                sum[k] += m_counts[t * m_stride + kPad + k];
        return sum;
    }

private:
    static constexpr size_t kPad = 16;
    size_t m_size;
    size_t m_turns;
    size_t m_stride;
    std::vector<int64_t> m_counts;
};

// The combinations of each one-byte set among those of a chunk (whose counts fit 32 bits), in four
// tables taken in turn, so that a run of one set does not wait on itself; added to a worker's counts
// at the end of the chunk.
class ByteSetCounts {
public:
    void add(int64_t place, uint8_t set, uint32_t count = 1) { m_local[size_t(place & 3)][set] += count; }
    void addTo(int64_t *counts, size_t sets) const
    {
        for (size_t id = 0; id < sets; ++id)
            counts[id] += int64_t(m_local[0][id]) + m_local[1][id] + m_local[2][id] + m_local[3][id];
    }

private:
    std::array<std::array<uint32_t, 256>, 4> m_local{};
};

// The sum of what the chunks (or tasks) counted.
inline int64_t sumOf(const std::vector<int64_t> &counts)
{
    int64_t total = 0;
    for (int64_t c : counts)
        total += c;
    return total;
}

} // namespace StepWork
