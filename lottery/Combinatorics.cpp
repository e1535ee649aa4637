#include "lottery/Combinatorics.h"

#include <limits>
#include <numeric>

long double Factorial(int n)
{
    long double r = 1;
    for (int i = 2; i <= n; ++i)
        r *= i;
    return r;
}

int64_t Binomial(int n, int r)
{
    if (r < 0 || n < 0 || r > n)
        return 0;
    if (r > n - r)
        r = n - r;
    // C(n, i + 1) = C(n, i) * (n - i) / (i + 1). Dividing out the common factor of the running value
    // and i + 1 first keeps every step exact: the rest of i + 1 then divides n - i.
    int64_t result = 1;
    for (int i = 0; i < r; ++i) {
        const int64_t g = std::gcd(result, static_cast<int64_t>(i + 1));
        const int64_t factor = (n - i) / ((i + 1) / g);
        int64_t next = 0;
        if (__builtin_mul_overflow(result / g, factor, &next))
            return std::numeric_limits<int64_t>::max();
        result = next;
    }
    return result;
}

int64_t CombinationCount(int n, int k)
{
    if (k < 0)
        return 0;
    if (n <= k)
        return 1;
    return Binomial(n, k);
}

int64_t CombinationsWithMatches(int n, int k, int m)
{
    if (m >= n)
        return 1;
    const int64_t a = Binomial(k, m);
    const int64_t b = Binomial(n - k, k - m);
    int64_t r = 0;
    if (__builtin_mul_overflow(a, b, &r))
        return std::numeric_limits<int64_t>::max();
    return r;
}
