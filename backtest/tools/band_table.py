# band_table.py - from the DP grids (lines "c N:P N:P ..."), each N's smallest grid c with P(exit) <= 0.05.
import sys
rows = {}
for name in ("grid_small.txt", "grid.txt"):
    for line in open(name):
        p = line.split()
        if len(p) < 2: continue
        for a, b in (x.split(":") for x in p[1:]):
            rows.setdefault(int(a), []).append((float(p[0]), float(b)))
for n in sorted(rows):
    c, pp = min((c, pp) for c, pp in rows[n] if pp <= 0.05)
    print(n, "%.2f" % c, "%.4f" % pp)
