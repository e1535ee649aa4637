#!/usr/bin/env python3
"""Reference figures for the statistics that look across draws: series (groups and pauses), periods,
repeats and characteristic numbers.

Reads the deterministic archive NumberStatsArchive.txt (written by number_stats_reference.py; its draw
numbers have gaps) and computes, independently of the program, the values of every method of these
families over a few samples, one of them at the very start of the archive.

Settings: channel size 6 (channels 1..8) and the segment table seg(n) = 2 + (7n mod 5) (segments 2..6).

Writes HistoryStatsExpected.txt: "# sample offset length sorted" lines, then
"sample code k1 k2 k3 k4 count lastDraw depth prevDraw minInterval maxInterval" rows, the values of each
method in the order in which they are first merged. Run it from any folder.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
CHANNEL = 6
SEG = {n: 2 + (7 * n) % 5 for n in range(1, 46)}


def load():
    draws = []
    with open(os.path.join(HERE, 'NumberStatsArchive.txt')) as f:
        for line in f:
            v = [int(x) for x in line.strip().split(';')]
            draws.append((v[0], v[1:7]))
    return draws


def channel(n):
    return (n + CHANNEL - 1) // CHANNEL


# ---- the merge rule of value records ----
class Values:
    def __init__(self):
        self.order = []
        self.recs = {}

    def merge(self, keys, count, last, depth, with_intervals):
        keys = tuple(keys) + (0,) * (4 - len(keys))
        e = self.recs.get(keys)
        if e is None:
            self.recs[keys] = {'count': count, 'last': last, 'depth': depth, 'prev': last, 'min': 0, 'max': 0}
            self.order.append(keys)
            return
        e['count'] += count
        if e['depth'] == 0 or 1 <= depth <= e['depth']:
            e['last'], e['depth'] = last, depth
        if with_intervals and last >= 1 and e['prev'] >= 1 and last != e['prev']:
            d = min(abs(e['prev'] - last), 65535)
            if e['min'] == 0 or d < e['min']:
                e['min'] = d
            if e['max'] == 0 or d > e['max']:
                e['max'] = d
        e['prev'] = last

    def rows(self):
        for k in self.order:
            e = self.recs[k]
            yield k + (e['count'], e['last'], e['depth'], e['prev'], e['min'], e['max'])


class Archive:
    def __init__(self, draws, sorted_):
        self.draws = draws
        self.sorted = sorted_

    def exists(self, i):
        return 0 <= i < len(self.draws)

    def nums(self, i, sorted_=None):
        """The numbers of draw i; none for a draw outside the archive."""
        if not self.exists(i):
            return []
        n = self.draws[i][1]
        return sorted(n) if (self.sorted if sorted_ is None else sorted_) else list(n)

    def number(self, i):
        return self.draws[i][0] if self.exists(i) else 0


# ---- series: maximal runs of draws with (groups) or without (pauses) a value ----
def series(a, first, last, value_of, groups):
    out = Values()
    in_last = {value_of(n) for n in a.nums(last)}
    records = []
    for v in in_last:
        if not 1 <= v <= 45:
            continue
        present = [v in {value_of(n) for n in a.nums(i)} for i in range(first, last + 1)]
        i = 0
        while i < len(present):
            j = i
            while j + 1 < len(present) and present[j + 1] == present[i]:
                j += 1
            if present[i] == groups:
                end = first + j
                if end < last or groups:
                    records.append((min(end + 1, last), v, j - i + 1, end))
            i = j + 1
    for _, v, length, end in sorted(records):
        out.merge((v, length), 1, a.number(end), last - end + 1, True)
    return out


# ---- periods: differences of the numbers of consecutive draws with a value ----
def periods(a, first, last, value_of):
    out = Values()
    seen = {}
    for i in range(first, last + 1):
        done = set()
        for n in a.nums(i):
            v = value_of(n)
            if v in done:
                continue
            done.add(v)
            if v in seen:
                out.merge((v, a.number(i) - seen[v]), 1, a.number(i), last - i + 1, True)
            seen[v] = a.number(i)
    return out


# ---- repeats ----
def shift(x, s):
    return (x - 1 + s) % 45 + 1


def rep_values2(a, first, last, s, gap):
    out = Values()
    for n in a.nums(last, False):
        out.merge((shift(n, s),), 0, 0, 0, False)
    shifted_last = {shift(n, s) for n in a.nums(last)}
    for i in range(first, last + 1):
        d = set(a.nums(i))
        for x in [shift(n, s) for n in a.nums(i - gap)]:
            if x in shifted_last and x in d:
                out.merge((x,), 1, a.number(i), last - i + 1, True)
    return out


def rep_count2(a, first, last, s, gap):
    out = Values()
    for k in range(1, 7):
        out.merge((k,), 0, 0, 0, False)
    for i in range(first, last + 1):
        k = len({shift(n, s) for n in a.nums(i - gap)} & set(a.nums(i)))
        out.merge((k,), 1, a.number(i), last - i + 1, True)
    return out


def rep_values3(a, first, last, in_third):
    out = Values()
    for n in a.nums(last, False):
        out.merge((n,), 0, 0, 0, False)
    lastset = set(a.nums(last))
    for i in range(first, last + 1):
        p1, p2 = set(a.nums(i - 1)), set(a.nums(i - 2))
        for x in a.nums(i):
            if x in lastset and x in p1 and ((x in p2) == in_third):
                out.merge((x,), 1, a.number(i), last - i + 1, True)
    return out


def rep_count3(a, first, last, in_third):
    out = Values()
    for k in range(1, 7):
        out.merge((k,), 0, 0, 0, False)
    for i in range(first, last + 1):
        p1, p2 = set(a.nums(i - 1)), set(a.nums(i - 2))
        k = sum(1 for x in a.nums(i) if x in p1 and ((x in p2) == in_third))
        out.merge((k,), 1, a.number(i), last - i + 1, True)
    return out


# ---- characteristic numbers ----
def chain(nums, mode):
    a = list(nums)
    while len(a) > 2:
        a = [abs(a[k + 1] - a[k]) for k in range(len(a) - 1)]
    r = abs(a[1] - a[0])
    if mode == 1 and r in (0, 1):
        r = a[0] + a[1]
    if mode == 2:
        if r == 0:
            r = a[0] + a[1]
        if r == 1:
            return [1, a[0] + a[1]]
    return [r]


def talvik(a, first, last, mode):
    out = Values()
    for i in range(first, last + 1):
        out.merge((chain(a.nums(i), mode)[0],), 1, a.number(i), last - i + 1, True)
    return out


def talvik3(a, first, last):
    out = Values()
    res = chain(a.nums(last), 2)
    c = res[-1]
    keys = (c, 1, 0, 2) if len(res) == 2 else (c,)
    nxt = set(a.nums(last + 1))  # empty when the sample ends with the newest draw
    proposals = [(keys, c)]
    top = c ** 3 if c * c < 45 else c * c
    proposals += [((m,), m) for m in range(top, c, -c) if c > 0 and 1 <= m <= 45]
    for k, m in proposals:
        out.merge(k, 1 if m in nxt else 0, a.number(last), 1, False)
    return out


def methods():
    num, chn, seg = (lambda n: n), channel, (lambda n: SEG.get(n, 0))
    m = {
        'GRPV': lambda a, f, l: series(a, f, l, num, True),
        'GRPP': lambda a, f, l: series(a, f, l, num, False),
        'GRCV': lambda a, f, l: series(a, f, l, chn, True),
        'GRCP': lambda a, f, l: series(a, f, l, chn, False),
        'GRSV': lambda a, f, l: series(a, f, l, seg, True),
        'GRSP': lambda a, f, l: series(a, f, l, seg, False),
        'PRDV': lambda a, f, l: periods(a, f, l, num),
        'PRDC': lambda a, f, l: periods(a, f, l, chn),
        'PRDG': lambda a, f, l: periods(a, f, l, seg),
        'RPV3': lambda a, f, l: rep_values3(a, f, l, True),
        'PRL2': lambda a, f, l: rep_values3(a, f, l, False),
        'RPC3': lambda a, f, l: rep_count3(a, f, l, True),
        'PRB2': lambda a, f, l: rep_count3(a, f, l, False),
        'HCO1': lambda a, f, l: talvik(a, f, l, 0),
        'HCO2': lambda a, f, l: talvik(a, f, l, 1),
        'HCO3': talvik3,
    }
    members = [('RPV2', 'RPC2', 0, 1), ('PRV2O1', 'RPO1', 0, 2), ('PRV2O2', 'PRC2O2', 0, 3),
               ('PRV2O3', 'PRC2O3', 0, 4), ('PRV+1', 'PRC+1', 1, 1), ('PRV-1', 'PRC-1', -1, 1),
               ('PRV+2', 'PRC+2', 2, 1), ('PRV-2', 'PRC-2', -2, 1)]
    for values, count, s, gap in members:
        m[values] = (lambda s, gap: lambda a, f, l: rep_values2(a, f, l, s, gap))(s, gap)
        m[count] = (lambda s, gap: lambda a, f, l: rep_count2(a, f, l, s, gap))(s, gap)
    return m


def main():
    draws = load()
    total = len(draws)
    # (name, offset of left-out newest draws, length, sorted)
    samples = [('all', 0, total, False), ('recent', 7, 150, True), ('short', 30, 12, False),
               ('start', total - 5, 5, False)]
    with open(os.path.join(HERE, 'HistoryStatsExpected.txt'), 'w', newline='\n') as f:
        for name, offset, length, sorted_ in samples:
            last = total - 1 - offset
            first = max(last - length + 1, 0)
            f.write('# %s %d %d %d\n' % (name, offset, length, 1 if sorted_ else 0))
            a = Archive(draws, sorted_)
            for code, compute in methods().items():
                for row in compute(a, first, last).rows():
                    f.write('%s %s %s\n' % (name, code, ' '.join(str(x) for x in row)))


if __name__ == '__main__':
    main()
