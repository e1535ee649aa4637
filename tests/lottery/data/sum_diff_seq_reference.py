#!/usr/bin/env python3
"""Reference figures for the sum, difference and sequence statistics tests.

Reads the deterministic archive NumberStatsArchive.txt (written by number_stats_reference.py) and computes,
independently of the program, the values of every sum, difference and sequence statistic over a few
samples, merging occurrences by the program's rule: a value is identified by its four 16-bit keys; a new
value is appended; a known one adds the count, takes the last draw and depth of the occurrence nearest the
last draw, and, for an occurrence merged with intervals, updates the shortest and longest gap (in draw
numbers) to the occurrence merged before it; a second occurrence in the same draw is no gap.

Writes beside the script:
- SumDiffSeqExpected.txt: "sample code k1:k2:k3:k4 count lastDraw depth prevDraw minInterval maxInterval"
  per value, in order of first merge (the enumerated values first); "# sample offset length sorted" lines
  name the samples.
- SumDiffSeqGraphs.txt: the graph value of every draw for each graph statistic, in drawn order and
  ascending: "sorted index v(code 1) v(code 2) ...", after a "# codes ..." line.
- SumDiffSeqFullSet.txt: over all C(45,6) combinations, "code selection kept": how many combinations a keep
  step by a sum range leaves with the value 1 (in the range), 0 ("Остальные") or both selected.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
PRIMES = {1, 2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43}
RANGES = {1: (93, 183), 2: (102, 174), 3: (110, 166)}
BAND = (255 - 21) // 10  # 23


def read_archive():
    draws = []
    with open(os.path.join(HERE, 'NumberStatsArchive.txt')) as f:
        for line in f:
            w = [int(x) for x in line.strip().split(';')]
            draws.append((w[0], w[1:7]))
    return draws


def words(*ks):
    """Four 16-bit keys from up to four 16-bit values."""
    ks = list(ks) + [0] * (4 - len(ks))
    return tuple(k & 0xFFFF for k in ks)


def dwords(a, b=0):
    """Four 16-bit keys from two 32-bit keys (signed values in two's complement)."""
    a &= 0xFFFFFFFF
    b &= 0xFFFFFFFF
    return (a & 0xFFFF, a >> 16, b & 0xFFFF, b >> 16)


def diffs(n):
    return [abs(n[j + 1] - n[j]) for j in range(5)]


def repeated(ds):
    order, times = [], {}
    for d in ds:
        if d not in times:
            order.append(d)
            times[d] = 0
        times[d] += 1
    return [(d, times[d]) for d in order]


def runs(n):
    """Lengths of the maximal stretches of +1 steps."""
    out, length = [], 1
    for j in range(1, 6):
        if n[j] - n[j - 1] == 1:
            length += 1
        else:
            out.append(length)
            length = 1
    out.append(length)
    return out


def runs_both(n):
    """Lengths of the maximal stretches of steps of +1 or -1."""
    out, length = [], 1
    for j in range(1, 6):
        if abs(n[j] - n[j - 1]) == 1:
            length += 1
        else:
            out.append(length)
            length = 1
    out.append(length)
    return out


def sum2to3(n):
    count = 0
    for x in range(6):
        for i in range(6):
            for j in range(i + 1, 6):
                if i != x and j != x and n[i] + n[j] == n[x]:
                    count += 1
    return count


def sign(v):
    return (v > 0) - (v < 0)


# Values of one draw: list of (keys, with intervals). ctx: numbers n, sum of the previous draw (None for
# the first draw of the archive), sum of the last draw of the sample.
def values_of(code, n, prev, last_sum):
    s = sum(n)
    if code == 'SUMS':
        return [(dwords(s), True)]
    if code.startswith('SUM') and code[3:].isdigit():
        lo, hi = RANGES[int(code[3:])]
        return [(words(1 if lo <= s <= hi else 0), True)]
    if code == 'SUMC':
        return [(dwords(prev, s), True)] if prev is not None and prev == last_sum else []
    if code == 'SUMV':
        return [(dwords(s - prev), True)] if prev is not None and abs(prev - last_sum) <= BAND else []
    if code == 'SUMT':
        return [(dwords(sign(s - prev)), True)] if prev is not None and prev == last_sum else []
    if code == 'SUME':
        return [(dwords(sum(x for x in n if x % 2 == 0)), True)]
    if code == 'SUMP':
        return [(dwords(sum(x for x in n if x in PRIMES)), True)]
    if code == 'S2T3':
        return [(words(sum2to3(n)), True)]
    d = diffs(n)
    if code == 'DIFA':
        return [(words(x), j == 0) for j, x in enumerate(d)]
    if code == 'DIFM':
        return [(words(max(d)), True)]
    if code == 'DIFD':
        return [(words(max(n) - min(n)), True)]
    if code == 'DIFO':
        return [(words(x, t), True) for x, t in repeated(d)]
    if code == 'DIFK':
        return [(words(max(t for _, t in repeated(d))), True)]
    if code.startswith('KDS'):
        w = int(code[3:])
        return [(words(*d[j:j + w]), j == 0) for j in range(6 - w)]
    if code == 'SEQL':
        return [(words(r), True) for r in runs(n)]
    if code == 'SEQS':
        return [(words(sum(1 for r in runs(n) if r >= 2)), True)]
    if code == 'LENS':
        return [(words(max(runs(n))), True)]
    raise ValueError(code)


ENUMERATED = {
    'SUMS': [dwords(s) for s in range(21, 256)],
    'SUM1': [words(0), words(1)], 'SUM2': [words(0), words(1)], 'SUM3': [words(0), words(1)],
    'SUMT': [dwords(0), dwords(1), dwords(-1)],
    'DIFA': [words(k) for k in range(1, 45)],
    'DIFM': [words(k) for k in range(1, 45)],
    'DIFD': [words(k) for k in range(1, 45)],
    'DIFK': [words(k) for k in range(1, 6)],
    'SEQL': [words(k) for k in range(1, 7)],
    'SEQS': [words(k) for k in range(0, 4)],
    'LENS': [words(k) for k in range(1, 7)],
}
CODES = ['SUMS', 'SUM1', 'SUM2', 'SUM3', 'SUMC', 'SUMV', 'SUMT', 'SUME', 'SUMP', 'S2T3',
         'DIFA', 'DIFM', 'DIFD', 'DIFO', 'DIFK', 'KDS2', 'KDS3', 'KDS4', 'SEQL', 'SEQS', 'LENS']


def compute(draws, first, last, sorted_, code):
    table, order = {}, []
    for k in ENUMERATED.get(code, []):
        if k not in table:
            table[k] = [0, 0, 0, 0, 0, 0]  # count, lastDraw, depth, prevDraw, min, max
            order.append(k)
    last_sum = sum(draws[last][1])
    for i in range(first, last + 1):
        number, main = draws[i]
        n = sorted(main) if sorted_ else list(main)
        prev = sum(draws[i - 1][1]) if i >= 1 else None
        depth = last - i + 1
        for keys, with_intervals in values_of(code, n, prev, last_sum):
            if keys not in table:
                table[keys] = [1, number, depth, number, 0, 0]
                order.append(keys)
                continue
            e = table[keys]
            e[0] += 1
            if e[2] == 0 or 1 <= depth <= e[2]:
                e[1], e[2] = number, depth
            if with_intervals and number >= 1 and e[3] >= 1 and number != e[3]:
                gap = abs(e[3] - number)
                if e[4] == 0 or gap < e[4]:
                    e[4] = gap
                if e[5] == 0 or gap > e[5]:
                    e[5] = gap
            e[3] = number
    return [(k, table[k]) for k in order]


GRAPH_CODES = ['SUMS', 'SUM1', 'SUM2', 'SUM3', 'SUMC', 'SUMT', 'SUME', 'SUMP', 'S2T3',
               'DIFM', 'DIFD', 'DIFK', 'SEQS', 'LENS']


def graph_value(code, n, prev):
    s = sum(n)
    if code == 'SUMC':
        return s - prev if prev is not None else 0
    if code == 'SUMT':
        return sign(s - prev) if prev is not None else 0
    if code == 'SEQS':
        return sum(1 for r in runs_both(n) if r >= 2)
    if code == 'LENS':
        m = max(runs_both(n))
        return m if m >= 2 else 0
    keys, _ = values_of(code, n, None, None)[0]
    v = keys[0] | (keys[1] << 16)
    return v - (1 << 32) if v >= 1 << 31 else v


def full_set(out):
    # ways[k][s]: how many sets of k numbers out of those seen so far add up to s.
    ways = [[0] * 256 for _ in range(7)]
    ways[0][0] = 1
    for n in range(1, 46):
        for k in range(6, 0, -1):
            for s in range(255, n - 1, -1):
                ways[k][s] += ways[k - 1][s - n]
    by_sum = ways[6]
    for p, (lo, hi) in RANGES.items():
        inside = sum(by_sum[lo:hi + 1])
        outside = sum(by_sum) - inside
        # Keeping the combinations whose value is selected: "1" alone, "0" (Остальные) alone, both.
        out.write('SUM%d 1 %d\n' % (p, inside))
        out.write('SUM%d 0 %d\n' % (p, outside))
        out.write('SUM%d 01 %d\n' % (p, inside + outside))


def main():
    draws = read_archive()
    count = len(draws)
    samples = [('all', 0, count, False), ('recent', 7, 150, True), ('short', 30, 12, False)]
    with open(os.path.join(HERE, 'SumDiffSeqExpected.txt'), 'w', newline='\n') as f:
        for name, offset, length, sorted_ in samples:
            last = count - 1 - offset
            first = max(last - length + 1, 0)
            f.write('# %s %d %d %d\n' % (name, offset, length, 1 if sorted_ else 0))
            for code in CODES:
                for keys, e in compute(draws, first, last, sorted_, code):
                    f.write('%s %s %s %s\n' % (name, code, ':'.join(str(k) for k in keys),
                                               ' '.join(str(x) for x in e)))
    with open(os.path.join(HERE, 'SumDiffSeqGraphs.txt'), 'w', newline='\n') as f:
        f.write('# codes %s\n' % ' '.join(GRAPH_CODES))
        for sorted_ in (0, 1):
            for i, (number, main) in enumerate(draws):
                n = sorted(main) if sorted_ else list(main)
                prev = sum(draws[i - 1][1]) if i >= 1 else None
                f.write('%d %d %s\n' % (sorted_, i, ' '.join(str(graph_value(c, n, prev)) for c in GRAPH_CODES)))
    with open(os.path.join(HERE, 'SumDiffSeqFullSet.txt'), 'w', newline='\n') as f:
        full_set(f)


if __name__ == '__main__':
    main()
