#!/usr/bin/env python3
"""Reference figures for the transition statistics tests.

Reads the archive of the number statistics tests (NumberStatsArchive.txt, written by
number_stats_reference.py) and computes, independently of the program, every value of the transition
statistics over a few samples and two settings (channel sizes 5 and 7, one segment table): keys, count,
last draw, depth, previous draw and the shortest and longest interval, merged as the value records merge
(a value met a second time in the same draw adds to the count but makes no interval).

Writes TransitionStatsExpected.txt:
  "# config channelSize" and "# sample offset length sorted" lines, then
  "config sample code k1 k2 k3 count lastDraw depth prevDraw minInterval maxInterval" per value,
  in the order in which the values are first merged (the enumerated values first).
Run it from any folder: the file is written beside the script.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def read_archive():
    draws = []
    with open(os.path.join(HERE, 'NumberStatsArchive.txt')) as f:
        for line in f:
            v = [int(x) for x in line.strip().split(';')]
            draws.append((v[0], v[1:7]))
    return draws


# Segment of number n: spreads the numbers over the segments 1..9.
SEGMENTS = [(n * 7) % 9 + 1 for n in range(1, 46)]


def channel(n, size):
    return (n + size - 1) // size if n >= 1 else 0


def segment(n):
    return SEGMENTS[n - 1] if 1 <= n <= 45 else 0


class Values:
    """A value array: records merged by keys, in order of first merge."""

    def __init__(self):
        self.order = []
        self.recs = {}

    def merge(self, keys, last, depth, count, with_intervals):
        keys = tuple(keys) + (0,) * (3 - len(keys))
        e = self.recs.get(keys)
        if e is None:
            self.recs[keys] = {'last': last, 'depth': depth, 'prev': last, 'min': 0, 'max': 0, 'count': count}
            self.order.append(keys)
            return
        e['count'] += count
        if e['depth'] == 0 or 1 <= depth <= e['depth']:
            e['last'], e['depth'] = last, depth
        if with_intervals and last >= 1 and e['prev'] >= 1 and last != e['prev']:
            d = min(abs(e['prev'] - last), 65535)
            if d < e['min'] or e['min'] == 0:
                e['min'] = d
            if d > e['max'] or e['max'] == 0:
                e['max'] = d
        e['prev'] = last

    def rows(self):
        for k in self.order:
            e = self.recs[k]
            yield k + (e['count'], e['last'], e['depth'], e['prev'], e['min'], e['max'])


def get(draws, i, sorted_):
    """Draw i (number, six numbers); a draw of number 0 and numbers 0 outside the archive."""
    if 0 <= i < len(draws):
        number, main = draws[i]
        return number, sorted(main) if sorted_ else list(main)
    return 0, [0] * 6


def method_list(size):
    """code -> (subject map, draws back, scope, parameter)."""
    ident = lambda n: n
    ch = lambda n: channel(n, size)
    m = {}
    for letter, f in (('D', ident), ('C', ch), ('S', segment)):
        m['S%sV2' % letter] = (f, 2, 'all', 0)
        m['S%sP2' % letter] = (f, 2, 'pos', 0)
        m['S%sP3' % letter] = (f, 3, 'pos', 0)
    for k in (1, 4, 6):
        m['SDN%d' % k] = (ident, 2, 'one', k)
        m['SCN%d' % k] = (ch, 2, 'one', k)
        m['SSN%d' % k] = (segment, 2, 'one', k)
    for k in (2, 5):
        m['SDM%d' % k] = (ident, 3, 'one', k)
        m['SCM%d' % k] = (ch, 3, 'one', k)
        m['SSM%d' % k] = (segment, 3, 'one', k)
    last_channel = channel(45, size)
    for k in (1, 3, last_channel):
        m['SC2C%d' % k] = (ch, 2, 'count', k)
        m['SC3C%d' % k] = (ch, 3, 'count', k)
    for k in (1, 4, 9):
        m['SS2C%d' % k] = (segment, 2, 'count', k)
        m['SS3C%d' % k] = (segment, 3, 'count', k)
    for code, mode in (('SDA2', 0), ('SDG2', 1), ('SDZ2', 2), ('SDC2', 3)):
        m[code] = (ch, 2, 'inside', mode)
    return m


def compute(draws, first, last, sorted_, size, f, back, scope, param):
    vals = Values()
    count_in = lambda nums: sum(1 for n in nums if f(n) == param)
    if scope == 'count':
        c = count_in(get(draws, last, False)[1])
        c1 = count_in(get(draws, last - 1, False)[1])
        # Channels: every count the channel can hold (its numbers, six at most); segments: only 0.
        capacity = 0 if f is segment else min(sum(1 for n in range(1, 46) if f(n) == param), 6)
        for t in range(capacity + 1):
            vals.merge((c1, c, t) if back == 3 else (c, t), 0, 0, 0, False)
    for i in range(first, last + 1):
        number, D = get(draws, i, sorted_)
        depth = last - i + 1
        merge = lambda keys: vals.merge(keys, number, depth, 1, True)
        _, L = get(draws, last, sorted_)
        if scope == 'inside':
            pnum, P = get(draws, i - 1, False)
            if pnum < 1:
                continue
            for x in P:
                if x not in L:
                    continue
                inside = [d for d in D if f(d) == f(x)]
                if param in (0, 1):
                    for d in inside:
                        merge((x, d))
                if param == 3:
                    merge((x, len(inside)))
                elif param in (0, 2) and not inside:
                    merge((x, 0))
            continue
        pnum, P = get(draws, i - 1, sorted_)
        if pnum < 1:
            continue
        if back == 3:
            qnum, Q = get(draws, i - 2, sorted_)
            if qnum < 1:
                continue
            _, M = get(draws, last - 1, sorted_)
        if scope == 'all':
            for x in P:
                if f(x) in [f(l) for l in L]:
                    for d in D:
                        merge((f(x), f(d)))
        elif scope in ('pos', 'one'):
            positions = range(6) if scope == 'pos' else [param - 1]
            for k in positions:
                if f(P[k]) != f(L[k]):
                    continue
                if back == 2:
                    merge((f(P[k]), f(D[k])))
                elif f(Q[k]) == f(M[k]):
                    merge((f(Q[k]), f(P[k]), f(D[k])))
        elif scope == 'count':
            if count_in(L) != count_in(P):
                continue
            if back == 2:
                merge((count_in(P), count_in(D)))
            elif count_in(M) == count_in(Q):
                merge((count_in(Q), count_in(P), count_in(D)))
    return vals


def main():
    draws = read_archive()
    n = len(draws)
    samples = [('all', 0, n, False), ('recent', 7, 150, True), ('start', n - 40, 40, True)]
    with open(os.path.join(HERE, 'TransitionStatsExpected.txt'), 'w', newline='\n') as out:
        for size in (5, 7):
            config = 'w%d' % size
            out.write('# %s %d\n' % (config, size))
            for name, offset, length, sorted_ in samples:
                last = n - 1 - offset
                first = max(last - length + 1, 0)
                out.write('# %s %d %d %d\n' % (name, offset, length, 1 if sorted_ else 0))
                for code, (f, back, scope, param) in method_list(size).items():
                    vals = compute(draws, first, last, sorted_, size, f, back, scope, param)
                    for row in vals.rows():
                        out.write('%s %s %s %s\n' % (config, name, code, ' '.join(str(x) for x in row)))


if __name__ == '__main__':
    main()
