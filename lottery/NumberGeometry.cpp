#include "lottery/NumberGeometry.h"

#include <algorithm>

namespace {

// A damaged settings file may hold 0 or a negative count; the geometry then works as with 1.
constexpr int AtLeastOne(int v)
{
    return v < 1 ? 1 : v;
}

} // namespace

const std::array<TRgbColor, kNumberColorCount> NumberColors{{
    {60, 163, 74, false},
    {170, 255, 170, false},
    {255, 255, 170, false},
    {170, 255, 255, false},
    {255, 170, 170, false},
    {170, 170, 255, false},
    {255, 213, 170, false},
    {213, 170, 255, false},
    {212, 212, 212, false},
    {170, 213, 255, false},
    {255, 170, 213, false},
    {213, 255, 213, false},
    {255, 255, 213, false},
    {213, 255, 255, false},
    {255, 213, 213, false},
    {213, 213, 255, false},
    {255, 234, 213, false},
    {234, 213, 255, false},
    {233, 233, 233, false},
    {213, 234, 255, false},
    {255, 255, 255, true},
}};

int MatrixRowCount(int lo, int hi, int cols)
{
    cols = AtLeastOne(cols);
    const int count = lo == 0 ? hi : hi - lo + 1;
    if (count <= 0)
        return 0;
    return (count + cols - 1) / cols;
}

TMatrixCell MatrixCellOf(int first, int n, int cols)
{
    cols = AtLeastOne(cols);
    return {(n - first) % cols, (n - first) / cols};
}

int ColumnOf(int n, int cols)
{
    return (n - 1) % AtLeastOne(cols) + 1;
}

int RowOf(int n, int cols)
{
    return (n - 1) / AtLeastOne(cols) + 1;
}

int ChannelOf(int n, int size)
{
    size = AtLeastOne(size);
    if (n <= 0)
        return n / size; // 0 or below: no channel
    return (n + size - 1) / size;
}

TRgbColor NumberColor(int n, int channelSize)
{
    if (!IsGameNumber(n))
        return kBadNumberColor;
    int c = ChannelOf(n, channelSize);
    if (c > 19)
        c -= 19;
    // Only a channel size of 1 or 2 gets here (channels 40..45); keep them inside the table.
    while (c >= kNumberColorCount)
        c -= 19;
    return NumberColors[static_cast<size_t>(c)];
}

int ShiftNumber(int n, int k)
{
    if (k == 0)
        return n;
    // The same as one addition or subtraction of 45 for the shifts in use, and still inside 1..45 for
    // any larger shift.
    const int64_t r = (static_cast<int64_t>(n) - 1 + k) % kMaxNumber;
    return static_cast<int>(r < 0 ? r + kMaxNumber : r) + 1;
}

TComb ShiftComb(const TComb &comb, int k)
{
    TComb r;
    for (size_t i = 0; i < r.n.size(); ++i)
        r[i] = static_cast<uint8_t>(ShiftNumber(comb[i], k));
    return r;
}

bool DrawHasNumber(int n, const TDrawRec &draw)
{
    return std::find(draw.main.begin(), draw.main.end(), n) != draw.main.end();
}

bool CombHasNumber(int n, const TComb &comb)
{
    return std::find(comb.n.begin(), comb.n.end(), n) != comb.n.end();
}

bool DrawHasChannel(int c, const TDrawRec &draw, int channelSize)
{
    return std::any_of(draw.main.begin(), draw.main.end(),
                       [&](uint8_t n) { return n >= 1 && ChannelOf(n, channelSize) == c; });
}

bool DrawHasSegment(int s, const TDrawRec &draw, const TSegmentsArray &segments)
{
    return std::any_of(draw.main.begin(), draw.main.end(),
                       [&](uint8_t n) { return IsGameNumber(n) && segments[n - 1u] == s; });
}

int DrawCombMatches(const TDrawRec &draw, const TComb &comb)
{
    int m = 0;
    for (uint8_t d : draw.main)
        for (uint8_t c : comb.n)
            m += d == c;
    return m;
}

int DrawDrawMatches(const TDrawRec &a, const TDrawRec &b)
{
    int m = 0;
    for (uint8_t x : a.main)
        for (uint8_t y : b.main)
            m += x == y;
    return m;
}

int NumSetCount(const TNumSet &set)
{
    return std::clamp<int>(set.count, 0, static_cast<int>(set.numbers.size()));
}

TNumSet DrawNumSetHits(const TDrawRec &draw, const TNumSet &set)
{
    TNumSet r;
    const auto begin = set.numbers.begin();
    const auto end = begin + NumSetCount(set);
    for (uint8_t n : draw.main)
        if (std::find(begin, end, n) != end && r.count < static_cast<int>(r.numbers.size()))
            r.numbers[static_cast<size_t>(r.count++)] = n;
    std::sort(r.numbers.begin(), r.numbers.begin() + r.count);
    return r;
}

bool NumSetsEqual(const TNumSet &a, const TNumSet &b)
{
    if (a.count != b.count)
        return false;
    const auto bBegin = b.numbers.begin();
    const auto bEnd = bBegin + NumSetCount(b);
    return std::all_of(a.numbers.begin(), a.numbers.begin() + NumSetCount(a),
                       [&](uint8_t n) { return std::find(bBegin, bEnd, n) != bEnd; });
}

namespace {

// Walks the first count combinations and hands each new number 1..45 to add, stopping at all 45.
template<typename Add>
void WalkCoveredNumbers(const TCombsArray &combs, int64_t count, Add add)
{
    std::array<bool, kMaxNumber + 1> seen{};
    int found = 0;
    const size_t limit = count <= 0 ? 0 : std::min<size_t>(static_cast<size_t>(count), combs.size());
    for (size_t i = 0; i < limit && found < kMaxNumber; ++i)
        for (uint8_t n : combs[i].n) {
            if (!IsGameNumber(n) || seen[n])
                continue;
            seen[n] = true;
            add(n);
            if (++found == kMaxNumber)
                break;
        }
}

} // namespace

int CoveredNumberCount(const TCombsArray &combs, int64_t count)
{
    int found = 0;
    WalkCoveredNumbers(combs, count, [&](uint8_t) { ++found; });
    return found;
}

TByteArray CoveredNumbers(const TCombsArray &combs, int64_t count)
{
    TByteArray r;
    r.reserve(kMaxNumber);
    WalkCoveredNumbers(combs, count, [&](uint8_t n) { r.push_back(n); });
    return r;
}

bool ByteArrayHas(uint8_t b, const TByteArray &arr)
{
    return std::find(arr.begin(), arr.end(), b) != arr.end();
}

void ByteArrayAddUnique(uint8_t b, TByteArray &arr)
{
    if (!ByteArrayHas(b, arr))
        arr.push_back(b);
}

void ByteArrayAdd(uint8_t b, TByteArray &arr)
{
    arr.push_back(b);
}
