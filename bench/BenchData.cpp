#include "bench/BenchData.h"

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
