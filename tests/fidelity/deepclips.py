#!/usr/bin/env python3
"""Writes a drawing script with STEPS clip steps in force at once: clip rectangles that
shrink by fractions of a pixel, every hundred steps an exclusion and an even-odd path
clip with a triangular hole, fills between them, and at the end a rotated clip over
translucent paint. The recording must stay readable however many steps there are: few
groups deep, few masks in a chain.

    deepclips.py STEPS FILE      # FILE is named deep-clips-STEPS.txt by the tests
"""
import sys

steps, path = int(sys.argv[1]), sys.argv[2]
lines = [f"Scene deep-clips-{steps} 480 320 max=1", "FillRect 0 0 480 320 fill=#FFE8E0D0"]
for k in range(steps):
    j = k // 100
    if k % 100 == 37:
        x, y = 20 + (49 + 180 * j) % 440, 20 + (1 + 260 * j) % 280
        lines.append(f"ExcludeClipRect {x} {y} {x + 12} {y + 9}")
    elif k % 100 == 71:
        x, y = 79 + 100 * (j % 4), 20 + (41 - 20 * j) % 240
        lines.append(f"IntersectClipPath M -20 -20 L 500 -20 L 500 340 L -20 340 Z "
                     f"M {x} {y} L {x + 16} {y} L {x + 8} {y + 14} Z rule=EvenOdd")
    else:
        f = 3000 / steps * k
        lines.append(f"IntersectClipRect {10 + f * 0.05:.2f} {10 + f * 0.03:.2f} {470 - f * 0.04:.2f} {310 - f * 0.02:.2f}")
    if k % 500 == 0:
        lines.append(f"FillRect 0 0 480 320 fill=#FF{(k * 7) % 256:02X}6B{(k * 3) % 256:02X}")
lines += ["FillRect 0 0 480 320 fill=#FF2F6BD8", "FillEllipse 100 60 380 260 fill=#FFD43F3A opacity=0.7",
          "SetMatrix 0.866 0.5 -0.5 0.866 240 40", "IntersectClipRect 0 0 200 150", "SetMatrix 1 0 0 1 0 0",
          "FillRect 0 0 480 320 fill=#FF25A26B"]
with open(path, "w", encoding="utf-8") as file:
    file.write("\n".join(lines) + "\n")
