#!/usr/bin/env python3
"""Reference figures for the statistics table tests, computed from the column rules alone.

Run from this folder: it writes DrawsStatArchive.txt (a 2,000-draw archive, one draw a line:
number;six main numbers;two extra numbers) and DrawsStatExpected.txt (the expected rows: case name,
then the twenty column texts separated by ";"), and prints the rows of the hand-made archive.
"""
from fractions import Fraction
from math import comb
import random


def round_half_even(x):
    x = Fraction(x)
    f = x.numerator // x.denominator
    r = x - f
    if r > Fraction(1, 2) or (r == Fraction(1, 2) and f % 2 == 1):
        f += 1
    return f


def fmt(x, digits):
    # Exact decimal rounding of a rational, half away from zero (only used where no tie occurs).
    x = Fraction(x)
    q = Fraction(10) ** digits
    v = x * q
    n = int(abs(v) + Fraction(1, 2))
    s = str(n).rjust(digits + 1, "0")
    s = s[:-digits] + "." + s[-digits:]
    return ("-" if v < 0 else "") + s


def delta(expected, fact):
    try:
        e = int(expected)
    except ValueError:
        return "-"
    if e <= -1:
        return "-"
    d = e - fact
    return "+%d" % d if d > 0 else "%d" % d


def table(draws, values_of, enumerated, text, length, offset, norms=None, weights=(0, -1, 1)):
    """Rows of the statistics table. draws: list of (number, main); values_of(main) -> list of keys."""
    last = len(draws) - 1 - offset
    first = max(last - length + 1, 0)
    n = last - first + 1 if last >= first else 0
    recs = {}
    order = []

    def rec(k):
        if k not in recs:
            recs[k] = dict(count=0, last=0, depth=0, prev=0, mn=0, mx=0)
            order.append(k)
        return recs[k]

    for k in enumerated:
        rec(k)
    for i in range(first, last + 1):
        number, main = draws[i]
        depth = last - i + 1
        for k in values_of(main):
            e = rec(k)
            if e["count"] > 0 or e["prev"] >= 1:
                if e["prev"] >= 1 and number >= 1:
                    d = abs(e["prev"] - number)
                    if d < e["mn"] or e["mn"] == 0:
                        e["mn"] = d
                    if d > e["mx"] or e["mx"] == 0:
                        e["mx"] = d
            if e["depth"] == 0 or 1 <= depth <= e["depth"]:
                e["last"], e["depth"] = number, depth
            e["count"] += 1
            e["prev"] = number
    total = sum(e["count"] for e in recs.values())
    max_depth = max([e["depth"] for e in recs.values()] + [0])
    rows = []
    for k in order:
        e = recs[k]
        c = e["count"]
        t = [text(k), str(c), fmt(Fraction(c * 100, total), 5) if total else "-"]
        norm = norms.get(k, 0) if norms is not None else 0
        if norms is not None:
            dev_pct = Fraction((c - norm) * 100, norm) if norm else (0 if c == 0 else 100)
            t += [str(norm), str(c - norm), fmt(dev_pct, 5)]
        else:
            t += ["-", "-", "-"]
        if e["depth"] == 0:
            rows.append(t + ["-"] * 14)
            continue
        dev = c - norm if norms is not None else 0
        w = weights[0] * c + weights[1] * dev + weights[2] * e["depth"]
        t += [str(e["depth"]), fmt(Fraction(e["depth"] * 100, max_depth), 2), fmt(w, 2), str(e["last"])]
        L = e["last"]
        if c >= 2:
            t += [str(e["mn"]), fmt(Fraction(n, c), 4), str(e["mx"]), str(round_half_even(L + Fraction(n, c)))]
        else:
            t += ["-"] * 4
        t += [str(round_half_even(Fraction((c + 1) * L, c))), str(round_half_even(Fraction((c + 2) * (L + 1), c + 1)))]
        fact = -1
        for j in range(last + 1, len(draws)):
            if k in values_of(draws[j][1]):
                fact = draws[j][0]
                break
        if fact < 0:
            t += ["-"] * 4
        else:
            t += [str(fact), delta(t[13], fact), delta(t[14], fact), delta(t[15], fact)]
        rows.append(t)
    return rows


def nums(main):
    return list(main)


HAND = [
    (101, (3, 14, 25, 36, 41, 7)),
    (102, (5, 14, 22, 30, 41, 9)),
    (103, (1, 2, 3, 4, 5, 6)),
    (104, (14, 20, 33, 41, 44, 45)),
    (105, (7, 8, 9, 10, 11, 12)),
    (106, (3, 14, 19, 28, 37, 40)),
    (107, (2, 13, 24, 35, 41, 45)),
    (108, (6, 14, 21, 29, 38, 43)),
    (109, (14, 41, 3, 8, 22, 30)),
    (110, (1, 19, 27, 33, 40, 45)),
]


def even_count(main):
    return [sum(1 for x in main if x % 2 == 0)]


def main():
    print("hand-made NUMS, length 8, offset 2")
    for r in table(HAND, nums, range(1, 46), str, 8, 2):
        if r[1] != "0":
            print(";".join(r))
    print("hand-made NUMS, length 5, offset 0 (sample 104..110)")
    for k in (14, 41, 45, 3):
        print(";".join(table(HAND, nums, range(1, 46), str, 5, 0)[k - 1]))
    even_dist = {k: comb(22, k) * comb(23, 6 - k) for k in range(7)}
    mx = max(even_dist.values())
    print("EVEN distribution", even_dist, "largest", mx)
    # The norms: the most frequent value of the full set gets the largest actual count.
    rows = table(HAND, even_count, range(1, 7), lambda k: "%d:%d" % (k, 6 - k), 10, 0)
    max_count = max(int(r[1]) for r in rows)
    norms = {k: round_half_even(Fraction(even_dist[k] * max_count, mx)) for k in range(7)}
    print("EVEN norms", norms)
    for r in table(HAND, even_count, range(1, 7), lambda k: "%d:%d" % (k, 6 - k), 10, 0, norms):
        print(";".join(r))

    rnd = random.Random(2024)
    draws = []
    for i in range(2000):
        picked = rnd.sample(range(1, 46), 8)
        draws.append((3001 + i, tuple(picked[:6]), tuple(picked[6:])))
    with open("DrawsStatArchive.txt", "w") as f:
        for number, m, e in draws:
            f.write("%d;%s;%s\n" % (number, ";".join(map(str, m)), ";".join(map(str, e))))
    plain = [(number, m) for number, m, _ in draws]
    with open("DrawsStatExpected.txt", "w") as f:
        for name, fn, enum, length, offset in (
            ("NUMS/1000/0", nums, range(1, 46), 1000, 0),
            ("NUMS/2000/0", nums, range(1, 46), 2000, 0),
            ("NUMS/300/25", nums, range(1, 46), 300, 25),
            ("POS1/500/10", lambda m: [m[0]], range(1, 46), 500, 10),
        ):
            for r in table(plain, fn, enum, str, length, offset):
                f.write(name + ";" + ";".join(r) + "\n")


main()
