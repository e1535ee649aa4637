#!/usr/bin/env python3
"""Reference figures for the shredding formula tests.

Reads the archive of the number statistics tests (NumberStatsArchive.txt) and values the formulas in
exact rational arithmetic: the variables n1..n6 (the draw), p1..p6 (the draw before) and t1..t6 (two
before; zeros outside the archive) are replaced by their numbers, the text is computed with fractions, and
the value is the first digits of the fractional part of the absolute result; a division by zero gives 0.
Exact fractions give the digits of the true result, so no case needs to be left out.

Writes ShreddingStatsExpected.txt:
  "# formulas <set>" lines followed by "F <param> <digits> <formula>", "# sample offset length sorted";
  "V set sample code key count lastDraw depth prevDraw minInterval maxInterval" per value, in order of
  first merge; "G set code sorted index value" the graph value of the first 60 draws;
  "C set code last sorted n1..n6 combValue nextValue" for some combinations: the value of the combination
  alone (p and t zero) and as the draw after draw index last.
Run it from any folder: the file is written beside the script.
"""
import os
import re
from fractions import Fraction

HERE = os.path.dirname(os.path.abspath(__file__))

FORMULA_SETS = {
    'A': [('(n1+n2+n3)/(n4+n5+n6)', 2), ('(n1*p2+t3)/(P1+t6+7)', 4), ('N1/p1 - (t2-n6)/4', 3)],
    'B': [('n1/n2', 5), ('(n6-n1)^2/(p2+t2+1)', 3), ('(n1+n2+n3+n4+n5+n6)/(p1+p2+p3+p4+p5+p6)', 1)],
}


def read_archive():
    draws = []
    with open(os.path.join(HERE, 'NumberStatsArchive.txt')) as f:
        for line in f:
            v = [int(x) for x in line.strip().split(';')]
            draws.append((v[0], v[1:7]))
    return draws


def substitute(formula, n, p, t):
    expr = formula
    for k in range(1, 7):
        for letter, nums in (('n', n), ('p', p), ('t', t)):
            expr = re.sub(letter + str(k), str(nums[k - 1]), expr, flags=re.IGNORECASE)
    return expr


def value(formula, digits, n, p, t):
    expr = substitute(formula, n, p, t).replace('^', '**')
    expr = re.sub(r'\d+', lambda m: 'Fraction(%s)' % m.group(), expr)
    try:
        x = eval(expr, {'Fraction': Fraction})
    except ZeroDivisionError:
        return 0
    ax = abs(Fraction(x))
    frac = ax - (ax.numerator // ax.denominator)
    return int(frac * 10 ** digits)


def get(draws, i, sorted_):
    if 0 <= i < len(draws):
        number, main = draws[i]
        return number, sorted(main) if sorted_ else list(main)
    return 0, [0] * 6


def draw_value(draws, i, sorted_, formula, digits):
    _, n = get(draws, i, sorted_)
    return value(formula, digits, n, get(draws, i - 1, sorted_)[1], get(draws, i - 2, sorted_)[1])


def compute(draws, first, last, sorted_, formula, digits):
    order, recs = [], {}
    for i in range(first, last + 1):
        number = draws[i][0]
        depth = last - i + 1
        key = draw_value(draws, i, sorted_, formula, digits)
        e = recs.get(key)
        if e is None:
            recs[key] = dict(last=number, depth=depth, prev=number, min=0, max=0, count=1)
            order.append(key)
            continue
        e['count'] += 1
        if 1 <= depth <= e['depth']:
            e['last'], e['depth'] = number, depth
        d = abs(e['prev'] - number)
        e['min'] = d if d < e['min'] or e['min'] == 0 else e['min']
        e['max'] = d if d > e['max'] or e['max'] == 0 else e['max']
        e['prev'] = number
    for k in order:
        e = recs[k]
        yield (k, e['count'], e['last'], e['depth'], e['prev'], e['min'], e['max'])


def combinations(count):
    state = 97531
    out = []
    while len(out) < count:
        state = (state * 1103515245 + 12345) % 2 ** 31
        pool = list(range(1, 46))
        pick = []
        for _ in range(6):
            state = (state * 1103515245 + 12345) % 2 ** 31
            pick.append(pool.pop((state >> 8) % len(pool)))
        out.append(sorted(pick))
    return out


def main():
    draws = read_archive()
    n = len(draws)
    samples = [('all', 0, n, False), ('recent', 7, 150, True)]
    combs = combinations(60)
    with open(os.path.join(HERE, 'ShreddingStatsExpected.txt'), 'w', newline='\n') as out:
        for set_name, formulas in FORMULA_SETS.items():
            out.write('# formulas %s\n' % set_name)
            for param, (formula, digits) in enumerate(formulas, 1):
                out.write('F %d %d %s\n' % (param, digits, formula))
            for name, offset, length, sorted_ in samples:
                last = n - 1 - offset
                first = max(last - length + 1, 0)
                out.write('# %s %d %d %d\n' % (name, offset, length, 1 if sorted_ else 0))
                for param, (formula, digits) in enumerate(formulas, 1):
                    for row in compute(draws, first, last, sorted_, formula, digits):
                        out.write('V %s %s SHR%d %s\n' % (set_name, name, param, ' '.join(str(x) for x in row)))
            for param, (formula, digits) in enumerate(formulas, 1):
                for sorted_ in (0, 1):
                    for i in range(60):
                        out.write('G %s SHR%d %d %d %d\n' % (set_name, param, sorted_, i,
                                                              draw_value(draws, i, sorted_, formula, digits)))
                for last, sorted_ in ((n - 1, 0), (1, 1), (0, 0)):
                    p = get(draws, last, sorted_)[1]
                    t = get(draws, last - 1, sorted_)[1]
                    for c in combs:
                        out.write('C %s SHR%d %d %d %s %d %d\n' % (
                            set_name, param, last, sorted_, ' '.join(str(x) for x in c),
                            value(formula, digits, c, [0] * 6, [0] * 6), value(formula, digits, c, p, t)))


if __name__ == '__main__':
    main()
