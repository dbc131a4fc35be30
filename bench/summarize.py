#!/usr/bin/env python3
"""Turns bench/run.sh's samples into the table: medians, ratios to the floor, targets.

    summarize.py RAW RESULTS.csv SCALING.csv "SIZES"

RAW has one "name value" line per sample. Prints the table, writes it as CSV, and writes the
preview's scaling (entries, Vantrelle, floor in ms) for the plot.
"""

import csv
import math
import statistics
import sys
from collections import defaultdict


def main():
    raw, results_csv, scaling_csv, sizes = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4]
    samples = defaultdict(list)
    errors = defaultdict(int)
    with open(raw) as f:
        for line in f:
            name, _, value = line.strip().partition(" ")
            if name.endswith(".error"):
                errors[name] += 1
                continue
            try:
                v = float(value)
            except ValueError:
                continue
            if v >= 0:
                samples[name].append(v)
            else:
                errors[name] += 1

    def med(name):
        values = samples.get(name)
        return statistics.median(values) if values else None

    rows = []

    def row(metric, unit, vantrelle, floor, target, limit=None, absolute=None):
        ratio = vantrelle / floor if vantrelle is not None and floor and unit else None
        if absolute is not None and vantrelle is not None:
            holds = vantrelle <= absolute
        elif limit is not None and ratio is not None:
            holds = ratio <= limit
        else:
            holds = None
        rows.append([metric, unit, vantrelle, floor, ratio, target,
                     "n/a" if holds is None else ("yes" if holds else "NO")])

    row("P1 start-up to first paint, preview off", "ms",
        med("p1.vantrelle.main_paint_ms"), med("p1.floor.main_paint_ms"), "<= 1.2x", 1.2)
    row("P1 the same against a window with one line of Japanese", "ms",
        med("p1.vantrelle.main_paint_ms"), med("p1.floortext.main_paint_ms"), "(bound)")
    row("P2 start-up to main window first paint, preview on", "ms",
        med("p2.vantrelle.main_paint_ms"), med("p2.floor.main_paint_ms"), "<= 1.3x", 1.3)
    p2_main = med("p2.vantrelle.main_paint_ms")
    p1_main = med("p1.vantrelle.main_paint_ms")
    row("P2 engine delay: main paint preview on / preview off", "ms", p2_main, p1_main,
        "<= 1.1x (never delays)", 1.1)
    row("P2 start-up to preview painted (engine view floor)", "ms",
        med("p2.vantrelle.after_paint_ms"), med("p2.floorweb.after_paint_ms"), "(info)")
    scaling = []
    for n in sizes.split():
        v, fl = med(f"p3.{n}.vantrelle_ms"), med(f"p3.{n}.floor_ms")
        row(f"P3 LoadBookmark to load finished, {int(n):,} bookmarks", "ms", v, fl, "<= 1.1x", 1.1)
        if v is not None and fl is not None:
            scaling.append((int(n), v, fl))
    if len(scaling) >= 2:
        (n0, v0, f0), (n1, v1, f1) = scaling[-2], scaling[-1]
        grow = lambda a, b: math.log(b / a) / math.log(n1 / n0)
        # Chromium itself is not quite linear; the program must not grow faster than it.
        row(f"P3 growth exponent {n0:,} to {n1:,} (1 = linear)", "", grow(v0, v1), grow(f0, f1),
            "<= floor + 0.05", absolute=grow(f0, f1) + 0.05)
    row("P4 switch copy incl. fsync vs cp + sync", "ms",
        med("p4.vantrelle_ms"), med("p4.floor_ms"), "<= 1.15x", 1.15)
    cpu = lambda name: (med(name) / 100.0) if med(name) is not None else None  # ms per 10 s -> %
    row("P5 idle CPU over 10 s, preview shown, main process", "% core",
        cpu("p2.vantrelle.cpu_main_ms"), cpu("p2.floorweb.cpu_main_ms"), "<= 0.1%", absolute=0.1)
    row("P5 idle CPU over 10 s, all processes (info)", "% core",
        cpu("p2.vantrelle.cpu_tree_ms"), cpu("p2.floorweb.cpu_tree_ms"), "(info)")
    kb = lambda name: (med(name) / 1024.0) if med(name) is not None else None
    row("P6 peak RSS, preview off vs bare window", "MiB",
        kb("p1.vantrelle.hwm_main_kb"), kb("p1.floor.hwm_main_kb"), "<= 1.2x", 1.2)
    row("P6 the same against a window with one line of Japanese", "MiB",
        kb("p1.vantrelle.hwm_main_kb"), kb("p1.floortext.hwm_main_kb"), "(bound)")
    row("P6 peak RSS, preview on, all processes vs bare engine view", "MiB",
        kb("p2.vantrelle.hwm_tree_kb"), kb("p2.floorweb.hwm_tree_kb"), "<= 1.1x", 1.1)
    row("P6 PSS at idle, preview on, all processes (info)", "MiB",
        kb("p2.vantrelle.pss_tree_kb"), kb("p2.floorweb.pss_tree_kb"), "(info)")

    def fmt(v, digits=1):
        return "-" if v is None else f"{v:.{digits}f}"

    header = ["metric", "unit", "Vantrelle", "floor", "ratio", "target", "holds?"]
    table = [[r[0], r[1], fmt(r[2], 3 if r[1] == "% core" else (2 if r[1] == "" else 1)),
              fmt(r[3], 3 if r[1] == "% core" else (2 if r[1] == "" else 1)),
              fmt(r[4], 2), r[5], r[6]] for r in rows]
    widths = [max(len(str(x)) for x in col) for col in zip(header, *table)]
    for line in [header, ["-" * w for w in widths]] + table:
        print("  ".join(str(x).ljust(w) if i in (0, 1, 5) else str(x).rjust(w)
                        for i, (x, w) in enumerate(zip(line, widths))).rstrip())
    counts = sorted({len(v) for v in samples.values()})
    print(f"\nmedians of {min(counts) if counts else 0}..{max(counts) if counts else 0} samples"
          " per cell", end="")
    print(f"; failed samples: {dict(errors)}" if errors else "")
    with open(results_csv, "w", newline="") as f:
        w = csv.writer(f)
        w.writerow(header)
        w.writerows(table)
    with open(scaling_csv, "w", newline="") as f:
        w = csv.writer(f)
        w.writerow(["entries", "vantrelle_ms", "floor_ms"])
        w.writerows(scaling)


if __name__ == "__main__":
    main()
