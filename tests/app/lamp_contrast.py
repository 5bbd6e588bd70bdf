#!/usr/bin/env python3
"""lamp_contrast.py GREEN.bmp RED.bmp: the lights (where the 4-bit lamps differ) are 3:1 apart in relative
luminance for normal vision, protanopia and deuteranopia (Machado et al. 2009, severity 1)."""
import collections, struct, sys

VISIONS = {"normal vision": ((1, 0, 0), (0, 1, 0), (0, 0, 1)),
           "protanopia": ((0.152286, 1.052583, -0.204868), (0.114503, 0.786281, 0.099216),
                          (-0.003882, -0.048116, 1.051998)),
           "deuteranopia": ((0.367322, 0.860646, -0.227968), (0.280085, 0.672501, 0.047413),
                            (-0.011820, 0.042940, 0.968881))}
files = [open(path, "rb").read() for path in sys.argv[1:3]]
# The pixels' palette indexes, two to a byte; the rows' padding is the same in both.
indexes = [[n for b in f[struct.unpack_from("<I", f, 10)[0]:] for n in (b >> 4, b & 15)] for f in files]
light = [i for i in range(len(indexes[0])) if indexes[0][i] != indexes[1][i]]
assert light, "the two lamps are one picture"
shades = []
for data, lamp in zip(files, indexes):
    index = collections.Counter(lamp[i] for i in light).most_common(1)[0][0]
    table = 14 + struct.unpack_from("<I", data, 14)[0] + 4 * index
    shades.append(tuple(data[table:table + 3][::-1]))


def luminance(rgb, matrix):
    linear = [c / 255 / 12.92 if c <= 10 else ((c / 255 + 0.055) / 1.055) ** 2.4 for c in rgb]
    seen = [min(1, max(0, sum(m * c for m, c in zip(row, linear)))) for row in matrix]
    return 0.2126 * seen[0] + 0.7152 * seen[1] + 0.0722 * seen[2]


failed = False
for vision, matrix in VISIONS.items():
    lighter, darker = sorted((luminance(shade, matrix) for shade in shades), reverse=True)
    ratio = (lighter + 0.05) / (darker + 0.05)
    failed |= ratio < 3
    print(f"{vision}: green {shades[0]} and red {shades[1]} differ {ratio:.2f}:1")
sys.exit(1 if failed else 0)
