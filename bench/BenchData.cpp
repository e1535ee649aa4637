#include "bench/BenchData.h"
#include "app/combinations/ParallelWork.h"

#include <algorithm>
#include <random>

const TCombsArray &AllCombinations()
{
    static const TCombsArray combs = [] {
        TCombsArray list;
        list.reserve(8145060);
        TComb c;
        for (int a = 1; a <= 40; ++a)
            for (int b = a + 1; b <= 41; ++b)
                for (int e = b + 1; e <= 42; ++e)
                    for (int f = e + 1; f <= 43; ++f)
                        for (int g = f + 1; g <= 44; ++g)
                            for (int h = g + 1; h <= 45; ++h) {
                                c.n = {uint8_t(a), uint8_t(b), uint8_t(e), uint8_t(f), uint8_t(g), uint8_t(h)};
                                list.push_back(c);
                            }
        return list;
    }();
    return combs;
}

TDrawsArray RandomDraws(int count, uint32_t seed, bool gaps)
{
    std::mt19937 rng(seed);
    TDrawsArray draws(static_cast<size_t>(count));
    std::array<uint8_t, kMaxNumber> pool;
    for (int n = 0; n < kMaxNumber; ++n)
        pool[size_t(n)] = uint8_t(n + 1);
    int number = 1;
    for (int i = 0; i < count; ++i) {
        std::shuffle(pool.begin(), pool.end(), rng);
        TDrawRec &d = draws[size_t(i)];
        d.number = number;
        number += (gaps && i % 10 == 9) ? 3 : 1;
        std::copy_n(pool.begin(), kMainCount, d.main.begin());
        d.extra = {pool[6], pool[7]};
    }
    return draws;
}

const std::vector<uint64_t> &AllCombinationMasks()
{
    static const std::vector<uint64_t> masks = [] {
        const TCombsArray &all = AllCombinations();
        std::vector<uint64_t> m(all.size());
        for (size_t i = 0; i < all.size(); ++i)
            for (uint8_t n : all[i].n)
                m[i] |= uint64_t(1) << n;
        return m;
    }();
    return masks;
}

int64_t PlainMaskPass(const TComb *combs, const uint64_t *masks, int64_t count, uint64_t selection, bool deleting,
                      TComb *out)
{
    int64_t kept = 0;
    for (int64_t i = 0; i < count; ++i)
        if (((masks[i] & selection) != 0) != deleting)
            out[kept++] = combs[i];
    return kept;
}

namespace {

constexpr int64_t kPassChunk = int64_t(1) << 16;

// The two phases of a parallel pass, one chunk at a time: how many the chunk keeps, then the chunk's
// kept combinations written from to on.
struct MaskPassChunks {
    const TComb *combs;
    const uint64_t *masks;
    int64_t count;
    uint64_t selection;
    bool deleting;

    int64_t chunks() const { return (count + kPassChunk - 1) / kPassChunk; }
    int64_t countKept(int64_t c) const
    {
        const int64_t end = std::min(count, (c + 1) * kPassChunk);
        int64_t k = 0;
        for (int64_t i = c * kPassChunk; i < end; ++i)
            k += ((masks[i] & selection) != 0) != deleting;
        return k;
    }
    void write(int64_t c, TComb *to) const
    {
        const int64_t end = std::min(count, (c + 1) * kPassChunk);
        for (int64_t i = c * kPassChunk; i < end; ++i)
            if (((masks[i] & selection) != 0) != deleting)
                *to++ = combs[i];
    }
};

// The running sums of the kept counts: where each chunk writes, the total at the end.
void toStarts(std::vector<int64_t> &kept)
{
    for (size_t c = 1; c < kept.size(); ++c)
        kept[c] += kept[c - 1];
}

} // namespace

int64_t OpenMPMaskPass(const TComb *combs, const uint64_t *masks, int64_t count, uint64_t selection,
                       bool deleting, TComb *out, int threads)
{
    const MaskPassChunks pass{combs, masks, count, selection, deleting};
    const int64_t chunks = pass.chunks();
    std::vector<int64_t> kept(size_t(chunks) + 1, 0);
#pragma omp parallel for schedule(dynamic) num_threads(threads)
    for (int64_t c = 0; c < chunks; ++c)
        kept[size_t(c) + 1] = pass.countKept(c);
    toStarts(kept);
#pragma omp parallel for schedule(dynamic) num_threads(threads)
    for (int64_t c = 0; c < chunks; ++c)
        pass.write(c, out + kept[size_t(c)]);
    return kept.back();
}

int64_t PoolMaskPass(const TComb *combs, const uint64_t *masks, int64_t count, uint64_t selection, bool deleting,
                     TComb *out)
{
    const MaskPassChunks pass{combs, masks, count, selection, deleting};
    const int chunks = int(pass.chunks());
    std::vector<int64_t> kept(size_t(chunks) + 1, 0);
    ParallelWork::run(chunks, [&](int c, int) { kept[size_t(c) + 1] = pass.countKept(c); });
    toStarts(kept);
    ParallelWork::run(chunks, [&](int c, int) { pass.write(c, out + kept[size_t(c)]); });
    return kept.back();
}

int64_t OpenMPGenerateAll(TComb *out, int threads)
{
    std::vector<std::pair<int, int>> prefixes;
    std::vector<int64_t> starts;
    int64_t total = 0;
    for (int a = 1; a <= 40; ++a)
        for (int b = a + 1; b <= 41; ++b) {
            prefixes.push_back({a, b});
            starts.push_back(total);
            const int64_t left = 45 - b;
            total += left * (left - 1) * (left - 2) * (left - 3) / 24;
        }
#pragma omp parallel for schedule(dynamic) num_threads(threads)
    for (size_t t = 0; t < prefixes.size(); ++t) {
        TComb c;
        c.n[0] = uint8_t(prefixes[t].first);
        c.n[1] = uint8_t(prefixes[t].second);
        TComb *p = out + starts[t];
        for (int d = c.n[1] + 1; d <= 42; ++d) {
            c.n[2] = uint8_t(d);
            for (int e = d + 1; e <= 43; ++e) {
                c.n[3] = uint8_t(e);
                for (int f = e + 1; f <= 44; ++f) {
                    c.n[4] = uint8_t(f);
                    for (int g = f + 1; g <= 45; ++g) {
                        c.n[5] = uint8_t(g);
                        *p++ = c;
                    }
                }
            }
        }
    }
    return total;
}
