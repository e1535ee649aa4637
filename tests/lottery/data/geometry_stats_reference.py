#!/usr/bin/env python3
"""Reference figures for the channel, matrix, segment and sub-combination statistics tests.

Reads the deterministic archive of the number statistics tests (NumberStatsArchive.txt, written by
number_stats_reference.py) and computes, independently of the program, every value of these statistics
over a few samples, each under its own settings (channel size, matrix columns, segment table): the four
16-bit keys, count, last draw, depth, previous draw and the shortest and longest interval between
occurrences in different draws.

Writes GeometryStatsExpected.txt:
  "# sample offset length sorted channelSize matrixCols segments subLength" starts a sample (segments: 45
  numbers joined by ","; the sub-combinations are computed over the subLength newest draws of the
  sample), then "@ sample code code ..." names every method computed, then one line per value "sample code k1 k2 k3 k4 count lastDraw depth prevDraw min max",
  the values of each method in the order in which they are first met (the enumerated values first).
Run it from any folder: the file is written beside the script.
"""
import itertools
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def read_archive():
    draws = []
    with open(os.path.join(HERE, 'NumberStatsArchive.txt')) as f:
        for line in f:
            v = [int(x) for x in line.strip().split(';')]
            draws.append((v[0], v[1:7]))
    return draws


def ceil_div(a, b):
    return -(-a // b)


def key(*words):
    words = list(words) + [0] * (4 - len(words))
    return tuple(words)


def mask_key(mask):
    return tuple((mask >> (16 * i)) & 0xFFFF for i in range(4))


def geometry_methods(w, C, seg):
    """code -> (values of one draw given its six numbers in order, enumerated values)."""
    NC = ceil_div(45, w)
    H = ceil_div(45, C)

    def ch(n):
        return ceil_div(n, w)

    def col(n):
        return (n - 1) % C + 1

    def row(n):
        return (n - 1) // C + 1

    def sg(n):
        return seg[n - 1]

    m = {}
    # Channels.
    m['CHAN'] = (lambda d: [key(ch(n)) for n in d], [key(ch(n)) for n in range(1, 46)])
    m['CHNV'] = (lambda d: [key(c, sum(1 for n in d if ch(n) == c)) for c in range(1, NC + 1)],
                 [key(c, k) for c in range(1, NC + 1) for k in range(0, min(w, 6) + 1)])
    # The counts listed are 1 .. min(channel size, 6), whatever number of channels there is; a count
    # outside that range shows only when a draw has it.
    m['CHNC'] = (lambda d: [key(len({ch(n) for n in d}))], [key(k) for k in range(1, min(w, 6) + 1)])
    for p in range(1, NC + 1):
        m['CHN%d' % p] = ((lambda p: lambda d: [key(sum(1 for n in d if ch(n) == p))])(p),
                          [key(k) for k in range(1, w + 1)])

    # The matrix, both forms: line(n), place(n) along the line, lines, cells across.
    for prefix, line, place, L, A in (('COL', col, row, C, H), ('ROW', row, col, H, C)):
        def adjacency(d, line=line, place=place):
            order, pairs = [], {}
            for i, j in itertools.combinations(range(6), 2):
                if line(d[i]) == line(d[j]) and abs(place(d[i]) - place(d[j])) == 1:
                    k = line(d[i])
                    if k not in pairs:
                        order.append(k)
                        pairs[k] = 0
                    pairs[k] += 1
            return [(k, pairs[k]) for k in order]

        def mask(d, line=line, L=L):
            hit = {line(n) for n in d}
            v = 0
            for k in range(1, L + 1):
                v = v * 2 + (1 if k in hit else 0)
            return v

        m[prefix + 'S'] = ((lambda line: lambda d: [key(line(n)) for n in d])(line),
                           [key(k) for k in range(1, L + 1)])
        m[prefix + 'V'] = ((lambda line, L: lambda d: [key(k, sum(1 for n in d if line(n) == k))
                                                       for k in range(1, L + 1)])(line, L),
                           [key(k, c) for k in range(1, L + 1) for c in range(0, min(A, 6) + 1)])
        m[prefix + 'N'] = ((lambda line: lambda d: [key(len({line(n) for n in d}))])(line),
                           [key(k) for k in range(1, min(L, 6) + 1)])
        m[prefix + 'M'] = ((lambda mask: lambda d: [mask_key(mask(d))])(mask), [])
        m[prefix + 'A'] = ((lambda adjacency: lambda d: [key(k, p + 1) for k, p in adjacency(d)])(adjacency), [])
        m[prefix + 'C'] = ((lambda adjacency: lambda d: [key(len(adjacency(d)))])(adjacency), [])
        for p in range(1, L + 1):
            m[prefix + str(p)] = ((lambda line, p: lambda d: [key(sum(1 for n in d if line(n) == p))])(line, p),
                                  [key(k) for k in range(1, A + 1)])

    # Segments, in the order of their first appearance in the table.
    table_order = []
    for n in range(1, 46):
        if sg(n) not in table_order:
            table_order.append(sg(n))
    m['SGMS'] = (lambda d: [key(sg(n)) for n in d], [key(s) for s in table_order])
    m['SGMV'] = (lambda d: [key(s, sum(1 for n in d if sg(n) == s)) for s in table_order], [])
    m['SGMC'] = (lambda d: [key(len({sg(n) for n in d}))], [])
    for p in range(min([9] + seg), max([1] + seg) + 1):
        m['SGM%d' % p] = ((lambda p: lambda d: [key(sum(1 for n in d if sg(n) == p))])(p), [])
    return m


def subcomb_methods(w, C, seg, with_numbers):
    maps = {'C': lambda n: ceil_div(n, w), 'F': lambda n: (n - 1) % C + 1, 'R': lambda n: (n - 1) // C + 1,
            'G': lambda n: seg[n - 1]}
    if with_numbers:
        maps['N'] = lambda n: n
    m = {}
    for letter, f in maps.items():
        for k in (2, 3, 4):
            m['K%sM%d' % (letter, k)] = ((lambda f, k: lambda d: [key(*[f(x) for x in t])
                                                                  for t in itertools.combinations(d, k)])(f, k), [])
            m['K%sS%d' % (letter, k)] = ((lambda f, k: lambda d: [key(*[f(x) for x in d[p:p + k]])
                                                                  for p in range(0, 7 - k)])(f, k), [])
    if with_numbers:
        for k in (2, 3, 4):
            for p in range(1, 8 - k):
                m['KNP%d%d' % (k, p)] = ((lambda k, p: lambda d: [key(*d[p - 1:p - 1 + k])])(k, p), [])
    return m


def compute(draws, first, last, sorted_, values_of, enumerated):
    order = []
    occurrences = {}
    for v in enumerated:
        if v not in occurrences:
            occurrences[v] = []
            order.append(v)
    for i in range(first, last + 1):
        number, main = draws[i]
        nums = sorted(main) if sorted_ else list(main)
        for v in values_of(nums):
            if v not in occurrences:
                occurrences[v] = []
                order.append(v)
            occurrences[v].append((i, number))
    rows = []
    for v in order:
        occ = occurrences[v]
        if not occ:
            rows.append(v + (0, 0, 0, 0, 0, 0))
            continue
        i, number = occ[-1]
        # A value met twice in one draw has no interval between those two.
        gaps = [min(b[1] - a[1], 65535) for a, b in zip(occ, occ[1:]) if b[1] != a[1]]
        rows.append(v + (len(occ), number, last - i + 1, number, min(gaps) if gaps else 0,
                         max(gaps) if gaps else 0))
    return rows


def main():
    draws = read_archive()
    N = len(draws)
    scrambled = [(n * 7) % 5 + 1 for n in range(1, 46)]  # first appearance 3, 5, 2, 4, 1
    with_zero = [(n % 3) * 4 for n in range(1, 46)]      # segments 4, 8, 0
    # (name, offset, length, sorted, channel size, matrix columns, segments, sub-combination length)
    samples = [
        ('defaults', 0, N, False, 5, 5, [1] * 45, 14),
        ('scrambled', 11, 200, True, 7, 8, scrambled, 12),
        ('narrow', 3, 120, False, 3, 1, with_zero, 10),
        ('wide', 40, 90, True, 10, 10, [5] * 45, 10),
        ('long', 0, 60, False, 45, 33, scrambled, 8),
    ]
    with open(os.path.join(HERE, 'GeometryStatsExpected.txt'), 'w', newline='\n') as f:
        for name, offset, length, sorted_, w, C, seg, sub_length in samples:
            last = N - 1 - offset
            first = max(last - length + 1, 0)
            f.write('# %s %d %d %d %d %d %s %d\n' % (name, offset, length, 1 if sorted_ else 0, w, C,
                                                      ','.join(str(s) for s in seg), sub_length))
            geometry = geometry_methods(w, C, seg)
            # The sub-combinations over a shorter sample (the sample's newest draws), the numbers
            # themselves only twice (drawn order and ascending): they do not depend on the settings.
            subcombs = subcomb_methods(w, C, seg, name in ('defaults', 'scrambled'))
            f.write('@ %s %s\n' % (name, ' '.join(list(geometry) + list(subcombs))))
            for code, (values_of, enumerated) in geometry.items():
                for row in compute(draws, first, last, sorted_, values_of, enumerated):
                    f.write('%s %s %s\n' % (name, code, ' '.join(str(x) for x in row)))
            sub_first = max(last - sub_length + 1, 0)
            for code, (values_of, enumerated) in subcombs.items():
                for row in compute(draws, sub_first, last, sorted_, values_of, enumerated):
                    f.write('%s %s %s\n' % (name, code, ' '.join(str(x) for x in row)))


if __name__ == '__main__':
    main()
