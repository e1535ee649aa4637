#!/usr/bin/env python3
"""Reference figures for the number statistics tests.

Generates a deterministic archive of draws (a small linear congruential generator, so the archive never
depends on a library's random numbers) and computes, independently of the program, every value of the
number statistics over a few samples: count, last draw, depth, previous draw and the shortest and longest
interval between occurrences in different draws.

Writes NumberStatsArchive.txt ("number;n1..n6;e1;e2" per line, oldest first) and NumberStatsExpected.txt
("sample code key count lastDraw depth prevDraw minInterval maxInterval", the values of each method in
the order in which they are first met: the enumerated values first, then the others as they occur).
Run it from any folder: the files are written beside the script.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
DRAWS = 420

state = 20240607


def rand(n):
    global state
    state = (state * 1103515245 + 12345) % 2**31
    return (state >> 8) % n


def make_archive():
    draws = []
    number = 1001
    for _ in range(DRAWS):
        pool = list(range(1, 46))
        picked = []
        for _ in range(8):
            picked.append(pool.pop(rand(len(pool))))
        draws.append((number, picked[:6], picked[6:]))
        # Draw numbers are mostly consecutive, with an occasional gap.
        number += 1 if rand(10) else 3
    return draws


PRIMES = {1, 2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43}


def digits(n):
    return [int(c) for c in str(n)]


def mask(numbers, pred):
    m = 0
    for n in numbers:
        m = m * 2 + (1 if pred(n) else 0)
    return m


# code -> (values of one draw given its six numbers and extras, enumerated values)
def methods():
    m = {
        'NUMS': (lambda d, e: list(d), list(range(1, 46))),
        'DIGS': (lambda d, e: [x for n in d for x in digits(n)], []),
        'EVEN': (lambda d, e: [sum(1 for n in d if n % 2 == 0)], list(range(1, 7))),
        'EVNV': (lambda d, e: [mask(d, lambda n: n % 2 == 1)], list(range(64))),
        'SMAL': (lambda d, e: [sum(1 for n in d if n <= 22)], list(range(1, 7))),
        'SMLV': (lambda d, e: [mask(d, lambda n: n >= 23)], []),
        'PRIM': (lambda d, e: [sum(1 for n in d if n in PRIMES)], list(range(1, 7))),
        'PRMV': (lambda d, e: [mask(d, lambda n: n in PRIMES)], list(range(64))),
    }
    for p in range(1, 7):
        m['POS%d' % p] = ((lambda p: lambda d, e: [d[p - 1]])(p), list(range(1, 46)))
    for p in range(1, 3):
        m['POE%d' % p] = ((lambda p: lambda d, e: [e[p - 1]])(p), [])
    return m


def compute(draws, first, last, sorted_, values_of, enumerated):
    order = list(enumerated)
    occurrences = {v: [] for v in enumerated}
    for i in range(first, last + 1):
        number, main, extra = draws[i]
        nums = sorted(main) if sorted_ else main
        for v in values_of(nums, extra):
            if v not in occurrences:
                occurrences[v] = []
                order.append(v)
            occurrences[v].append((i, number))
    rows = []
    for v in order:
        occ = occurrences[v]
        if not occ:
            rows.append((v, 0, 0, 0, 0, 0, 0))
            continue
        i, number = occ[-1]
        gaps = [b[1] - a[1] for a, b in zip(occ, occ[1:]) if b[1] != a[1]]
        rows.append((v, len(occ), number, last - i + 1, number,
                     min(gaps) if gaps else 0, max(gaps) if gaps else 0))
    return rows


def main():
    draws = make_archive()
    with open(os.path.join(HERE, 'NumberStatsArchive.txt'), 'w', newline='\n') as f:
        for number, main_, extra in draws:
            f.write(';'.join(str(x) for x in [number] + main_ + extra) + '\n')
    # (name, offset of left-out newest draws, length, sorted)
    samples = [('all', 0, DRAWS, False), ('recent', 7, 150, True), ('short', 30, 12, False)]
    with open(os.path.join(HERE, 'NumberStatsExpected.txt'), 'w', newline='\n') as f:
        for name, offset, length, sorted_ in samples:
            last = DRAWS - 1 - offset
            first = max(last - length + 1, 0)
            f.write('# %s %d %d %d\n' % (name, offset, length, 1 if sorted_ else 0))
            for code, (values_of, enumerated) in methods().items():
                for row in compute(draws, first, last, sorted_, values_of, enumerated):
                    f.write('%s %s %s\n' % (name, code, ' '.join(str(x) for x in row)))


if __name__ == '__main__':
    main()
