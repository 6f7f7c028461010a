#!/usr/bin/env python3
"""Makes typo-edits.txt: how likely each edit of one to three letters is,
learned from real misspellings with their corrections, in the way of the
noisy-channel correctors that learn string-to-string edits.

Each pair is aligned (fewest edits, an exchange of neighbours counting as one);
every run of up to three letters of the word around at least one edit, with
what was typed for it, is one observation.  The cost of typing b for a is
-ln(count(a -> b) / (count of a in the corrections + 1)), in nats.

Only the odd rows of the list are read: the even rows are kept for measuring.

Usage: data/typo-model/make-typo-model.py [MISSPELLINGS_TSV]
"""
import collections
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT = os.path.join(HERE, "..", "misspellings", "misspellings-wikipedia.tsv")
MAX_SIDE = 3
MIN_COUNT = 2


def odd_rows(path):
    number = 0
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            number += 1
            if number % 2 == 0:
                continue
            fields = line.split("\t")
            if len(fields) < 2:
                continue
            typed = fields[0].lower()
            meant = fields[1].split(",")[0].strip().lower()
            if typed.isascii() and meant.isascii() and typed.isalpha() and meant.isalpha():
                yield typed, meant


def align(typed, word):
    """The edits turning word into typed, as (word part, typed part) pairs."""
    n, m = len(typed), len(word)
    d = [[0] * (m + 1) for _ in range(n + 1)]
    for i in range(n + 1):
        d[i][0] = i
    for j in range(m + 1):
        d[0][j] = j
    for i in range(1, n + 1):
        for j in range(1, m + 1):
            v = d[i - 1][j - 1] + (typed[i - 1] != word[j - 1])
            v = min(v, d[i - 1][j] + 1, d[i][j - 1] + 1)
            if i > 1 and j > 1 and typed[i - 1] == word[j - 2] and typed[i - 2] == word[j - 1]:
                v = min(v, d[i - 2][j - 2] + 1)
            d[i][j] = v
    ops = []
    i, j = n, m
    while i > 0 or j > 0:
        if i > 0 and j > 0 and d[i][j] == d[i - 1][j - 1] + (typed[i - 1] != word[j - 1]):
            ops.append((word[j - 1], typed[i - 1]))
            i, j = i - 1, j - 1
        elif (i > 1 and j > 1 and typed[i - 1] == word[j - 2] and typed[i - 2] == word[j - 1]
              and d[i][j] == d[i - 2][j - 2] + 1):
            ops.append((word[j - 2:j], typed[i - 2:i]))
            i, j = i - 2, j - 2
        elif i > 0 and d[i][j] == d[i - 1][j] + 1:
            ops.append(("", typed[i - 1]))
            i -= 1
        else:
            ops.append((word[j - 1], ""))
            j -= 1
    ops.reverse()
    return ops


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else DEFAULT
    edits = collections.Counter()
    words = []
    for typed, word in odd_rows(path):
        words.append(word)
        ops = align(typed, word)
        seen = set()
        for s in range(len(ops)):
            a = b = ""
            changed = False
            for e in range(s, len(ops)):
                a += ops[e][0]
                b += ops[e][1]
                changed = changed or ops[e][0] != ops[e][1]
                if len(a) > MAX_SIDE or len(b) > MAX_SIDE:
                    break
                # Runs that start or end on a kept letter are the same edit
                # with context; both are counted, once per pair.
                if changed and a and (a, b) not in seen:
                    seen.add((a, b))
                    edits[(a, b)] += 1
    occurs = collections.Counter()
    for word in words:
        for k in range(1, MAX_SIDE + 1):
            for s in range(len(word) - k + 1):
                occurs[word[s:s + k]] += 1
    out = os.path.join(HERE, "typo-edits.txt")
    cost = {}
    for (a, b), count in edits.items():
        if count >= MIN_COUNT:
            cost[(a, b)] = -math.log(count / (occurs[a] + 1))

    def plainer(a, b):
        """The same edit with a shared first or last letter left out."""
        if len(a) > 1 and len(b) > 1 and a[0] == b[0]:
            yield a[1:], b[1:]
        if len(a) > 1 and len(b) > 1 and a[-1] == b[-1]:
            yield a[:-1], b[:-1]

    # A letter of context is kept only where it makes the edit likelier.
    rows = []
    for (a, b), c in cost.items():
        if any(cost.get(p, math.inf) <= c for p in plainer(a, b)):
            continue
        rows.append((b, a, c, edits[(a, b)]))
    rows.sort(key=lambda r: (r[2], r[0], r[1]))
    with open(out + ".tmp", "w", encoding="ascii") as f:
        f.write("#lumorank-edits 1 %d\n" % len(rows))
        f.write("# typed, word, cost in nats, pairs seen (odd rows of %s)\n"
                % os.path.basename(path))
        for b, a, cost, count in rows:
            f.write("%s\t%s\t%.3f\t%d\n" % (b if b else "-", a, cost, count))
    os.replace(out + ".tmp", out)


if __name__ == "__main__":
    main()
