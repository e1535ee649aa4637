#!/usr/bin/env python3
"""Reference outcomes of the scenario runner tests, worked out from the run's rules alone.

A small universe: the combinations of the eight numbers 1..8 (28 of them, in lexicographic order) over
an archive of ten draws numbered 2, 4, ..., 20. Only two statistics are modelled: NUMS (the six
numbers of a draw; values 1..45) and SUMS (the sum of the six numbers; values 21..255). Each case runs
scenario lines as a forecast or as a test and prints the stakes the stakes file ends with: draw,
numbers, matches and profit (in 1/10000 units), with "-" separator rows.

Run: python3 scenario_reference.py
"""
from itertools import combinations

DRAWS = [
    (2, [3, 1, 8, 22, 5, 40]),
    (4, [2, 7, 4, 33, 8, 11]),
    (6, [1, 5, 6, 7, 30, 44]),
    (8, [8, 3, 2, 15, 26, 6]),
    (10, [4, 1, 7, 9, 38, 21]),
    (12, [5, 6, 2, 8, 43, 17]),
    (14, [1, 2, 3, 4, 5, 7]),
    (16, [7, 8, 6, 12, 29, 35]),
    (18, [2, 4, 6, 8, 10, 12]),
    (20, [1, 3, 5, 7, 8, 2]),
]
COST = 10000
PRIZES = {3: 100000, 4: 1000000, 5: 10000000, 6: 100000000}
UNIVERSE = [list(c) for c in combinations(range(1, 9), 6)]


# ---- Statistics tables ----

def table(method, length, offset):
    """Rows of (value, count, depth) for the sample of `length` draws before the offset."""
    last = len(DRAWS) - 1 - offset
    first = max(0, last - length + 1)
    values = range(1, 46) if method == "NUMS" else range(21, 256)
    rows = {v: [0, 0] for v in values}  # count, depth
    for i in range(first, last + 1):
        nums = DRAWS[i][1]
        keys = set(nums) if method == "NUMS" else {sum(nums)}
        for k in keys:
            rows[k][0] += 1
            rows[k][1] = last - i + 1  # the newest occurrence wins (walked oldest first)
    return [(v, c, d) for v, (c, d) in rows.items()]


def sort_rows(rows, column):
    """Descending by the column (numbers as numbers); equal cells by the value, also descending."""
    def cell(r):
        v, c, d = r
        if column == 0:
            return v
        if column == 1:
            return c
        if column == 6:
            return d if d > 0 else None  # "-" sorts after every number ascending, so first descending
        raise ValueError(column)
    def key(r):
        x = cell(r)
        # Ascending order: numbers first (by value), then texts; reversed for descending.
        return (1, 0) if x is None else (0, x)
    # Python's sort is stable; a descending sort by (cell, value) with ties by value descending.
    return sorted(rows, key=lambda r: (key(r), r[0]), reverse=True)


def matches_comb(method, comb, values):
    if method == "NUMS":
        return any(n in values for n in comb)
    return sum(comb) in values


def row_matches(cond, cond_value, row):
    v, c, d = row
    if cond == "LNO":
        return True
    if cond == "LVA":
        return v in [int(x) for x in cond_value.split(",")]
    n = int(cond_value)
    if cond == "CMV":
        return c >= n
    if cond == "CLV":
        return c <= n
    if cond == "LMV":
        return (d if d > 0 else 0) >= n
    if cond == "LLV":
        return (d if d > 0 else 65535) <= n
    raise ValueError(cond)


def step(lst, f, offset):
    """One statistics step: f = (method, draws, column, bottom_up, multi, keep, cond, value, stop, stop_value)."""
    method, length, column, bottom_up, multi, keep, cond, cond_value, stop, stop_value = f
    rows = sort_rows(table(method, length, offset), column)
    if bottom_up:
        rows = rows[::-1]
    steps = 0
    selected = []
    for row in rows:
        v, c, d = row
        if stop == "SC" and not multi and len(lst) <= stop_value:
            break
        if stop == "SV" and ((c >= stop_value) if bottom_up else (c <= stop_value)):
            break
        if stop == "ST" and steps >= stop_value:
            break
        if multi:
            if row_matches(cond, cond_value, row):
                selected.append(v)
            steps += 1
            continue
        if not row_matches(cond, cond_value, row):
            continue
        left = [x for x in lst if matches_comb(method, x, {v}) == keep]
        if not left:
            if stop == "SZ":
                break
            continue
        lst = left
        steps += 1
    if multi and selected:
        left = [x for x in lst if matches_comb(method, x, set(selected)) == keep]
        if left:
            lst = left
    return lst


# ---- The run ----

class Run:
    def __init__(self):
        self.records = []  # (draw, numbers) of stakes, None for separators

    def last_is_stake(self):
        return bool(self.records) and self.records[-1] is not None

    def run_lines(self, lines, offset, current):
        """lines: (source, exclude, choice, new_only, [filters]); returns the list left by the last line."""
        if self.last_is_stake():
            self.records.append(None)
        draw = DRAWS[len(DRAWS) - 1 - offset][0] + 2
        for source, exclude, choice, new_only, filters in lines:
            for variant in [filters]:
                if source in ("FULL", "EXCL"):
                    current = [list(c) for c in UNIVERSE]
                if source == "EXCL" and exclude >= 1:
                    last = len(DRAWS) - 1 - offset
                    recent = [sorted(DRAWS[i][1]) for i in range(max(0, last - exclude + 1), last + 1)]
                    current = [c for c in current if c not in recent]
                for f in variant:
                    if len(current) >= 2:
                        current = step(current, f, offset)
                count = len(current)
                if count == 0 or choice == "NONE":
                    continue
                if count > 1 and choice == "STOP":
                    return current, True
                if count > 1 and choice == "SKIP":
                    continue
                picks = {"FIRST": [current[0]], "LAST": [current[-1]], "ALL": current}
                for numbers in (current if count == 1 else picks.get(choice, [current[0]])):
                    if new_only and (draw, numbers) in self.records:
                        continue
                    self.records.append((draw, numbers))
        return current, False

    def result(self):
        out = []
        for rec in self.records:
            if rec is None:
                out.append("-")
                continue
            draw, numbers = rec
            drawn = dict(DRAWS).get(draw)
            if drawn is None:
                out.append(f"{draw} {';'.join(map(str, numbers))} -1 {-COST}")
            else:
                m = len(set(numbers) & set(drawn))
                out.append(f"{draw} {';'.join(map(str, numbers))} {m} {PRIZES.get(m, 0) - COST}")
        return out


def forecast(lines, offset=0, run=None):
    run = run or Run()
    run.run_lines(lines, offset, [])
    return run


def test(lines, n):
    run = Run()
    current = []
    for k in range(n, 0, -1):
        current, stopped = run.run_lines(lines, k, current)
        if stopped:
            break
    return run


def F(method, draws, column=1, bottom_up=False, multi=False, keep=False, cond="LNO", value="", stop="SF",
      stop_value=0):
    return (method, draws, column, bottom_up, multi, keep, cond, value, stop, stop_value)


CASES = {
    # "FULL:0#FIRST" and "FULL:0#LAST" without filters.
    "first": forecast([("FULL", 0, "FIRST", False, [])]),
    "last": forecast([("FULL", 0, "LAST", False, [])]),
    # TSD1#NUMS:10#LVA:7#SF:0 leaves the seven combinations without 7: STOP stops the run there, and
    # the second line never runs. TMD1#NUMS:10#LVA:7,8 leaves 1;2;3;4;5;6 alone: STOP stakes it.
    "stop_two": forecast([("FULL", 0, "STOP", False, [F("NUMS", 10, cond="LVA", value="7")]),
                          ("FULL", 0, "FIRST", False, [])]),
    "stop_one": forecast([("FULL", 0, "STOP", False, [F("NUMS", 10, multi=True, cond="LVA", value="7,8")])]),
    # SZ: keep the most frequent numbers one by one until the list would be empty.
    "sz": forecast([("FULL", 0, "ALL", False, [F("NUMS", 6, keep=True, stop="SZ")])]),
    # ST 3 bottom-up by the value: deletes the sums 21, 22 and 23.
    "st": forecast([("FULL", 0, "ALL", False, [F("SUMS", 10, column=0, bottom_up=True, stop="ST", stop_value=3)])]),
    # SV 3 top-down over NUMS by count: delete numbers while their count is above 3.
    "sv": forecast([("FULL", 0, "ALL", False, [F("NUMS", 10, stop="SV", stop_value=3)])]),
    # CURR after a line that stakes nothing.
    "curr": forecast([("FULL", 0, "NONE", False, [F("NUMS", 10, cond="LVA", value="8")]),
                      ("CURR", 0, "ALL", False, [F("SUMS", 10, cond="CMV", value="1", keep=False)])]),
    # EXCL:1 removes the newest draw 1;2;3;5;7;8; EXCL:4 at offset 0 also removes 1;2;3;4;5;7.
    "excl": forecast([("EXCL", 1, "ALL", False, [F("NUMS", 3, cond="LMV", value="2", keep=True)]),
                      ("EXCL", 4, "LAST", False, [])]),
    # A test over 5 draws: stakes for draws 12..20, each checked.
    "test5": test([("FULL", 0, "FIRST", False, [F("NUMS", 4, multi=True, cond="CMV", value="2", keep=True)]),
                   ("FULL", 0, "LAST", False, [F("SUMS", 8, column=6, cond="LLV", value="3", keep=True)])], 5),
}


def nex_case():
    lines = [("FULL", 0, "FIRST", True, [])]
    run = forecast(lines)
    forecast(lines, run=run)
    return run


CASES["nex"] = nex_case()

if __name__ == "__main__":
    for name, run in CASES.items():
        print(name + ":")
        for line in run.result():
            print("  " + line)
