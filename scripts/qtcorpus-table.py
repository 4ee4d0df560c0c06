#!/usr/bin/env python3
"""Prints the Qt corpus's rows (OUTPUT/*.tsv, written by the corpus programs) as one
Markdown table: the percentage of pixels that differ from Qt's raster image, ours beside
QSvgGenerator's, per render and renderer. Fails when a row failed; with the environment's
FSVG_QTCORPUS_LIMITS set to "report", not for a row that is over its limit alone.

    python3 scripts/qtcorpus-table.py build/tests/qtcorpus/output
"""
import glob
import os
import sys


def main():
    rows = []
    for name in sorted(glob.glob(os.path.join(sys.argv[1], "*.tsv"))):
        with open(name, encoding="utf-8") as table:
            rows += [line.rstrip("\n").split("\t") for line in table if line.strip()]
    order = ["rsvg", "resvg", "chromium"]
    renderers = sorted({row[1] for row in rows}, key=lambda r: order.index(r) if r in order else len(order))
    cells = {(row[0], row[1]): row for row in rows}
    renders = sorted({row[0] for row in rows})
    print("| render | kind | limit | " + " | ".join(f"{r}: ours | {r}: QSvgGenerator" for r in renderers) + " |")
    print("|---|---|---|" + "---|---|" * len(renderers))
    failed = over = 0
    report = os.environ.get("FSVG_QTCORPUS_LIMITS") == "report"
    for render in renders:
        row = next(cells[(render, r)] for r in renderers if (render, r) in cells)
        line = f"| {render} | {row[2]} | {row[5]}% |"
        for renderer in renderers:
            cell = cells.get((render, renderer))
            if cell is None:
                line += " - | - |"
                continue
            mark = "" if cell[6] == "ok" else " **" + cell[6].strip() + "**"
            over += cell[6] == "FAILED over the limit"
            failed += cell[6] != "ok"
            line += f" {cell[3]}{mark} | {cell[4]} |"
        print(line)
    print(f"\n{len(renders)} renders, {len(rows)} rows, {failed} failed ({over} over their limit alone)")
    return 1 if failed > (over if report else 0) or not rows else 0


if __name__ == "__main__":
    sys.exit(main())
