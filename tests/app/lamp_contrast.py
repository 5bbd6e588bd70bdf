#!/usr/bin/env python3
"""lamp_contrast.py GREEN.bmp RED.bmp: the lights (the pixels in which the two lamps differ) are
at least 3:1 apart in relative luminance for normal vision, and for protanopia and deuteranopia
simulated in linear RGB after Machado et al. 2009, severity 1."""
import collections
import struct
import sys

VISIONS = {
    "normal vision": ((1, 0, 0), (0, 1, 0), (0, 0, 1)),
    "protanopia": ((0.152286, 1.052583, -0.204868), (0.114503, 0.786281, 0.099216),
                   (-0.003882, -0.048116, 1.051998)),
    "deuteranopia": ((0.367322, 0.860646, -0.227968), (0.280085, 0.672501, 0.047413),
                     (-0.011820, 0.042940, 0.968881)),
}


def pixels(path):  # (red, green, blue) of each pixel of a 4-bit BI_RGB bitmap
    data = open(path, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    size, width, height, _, bits = struct.unpack_from("<IiiHH", data, 14)
    assert bits == 4, f"{path}: {bits} bits per pixel"
    table = [data[14 + size + 4 * i:14 + size + 4 * i + 3][::-1] for i in range(16)]
    stride = (width * 4 + 31) // 32 * 4
    return [table[data[offset + y * stride + x // 2] >> (4 if x % 2 == 0 else 0) & 15]
            for y in range(abs(height)) for x in range(width)]


def luminance(rgb, matrix):
    linear = [c / 255 / 12.92 if c <= 10 else ((c / 255 + 0.055) / 1.055) ** 2.4 for c in rgb]
    seen = [min(1, max(0, sum(m * c for m, c in zip(row, linear)))) for row in matrix]
    return 0.2126 * seen[0] + 0.7152 * seen[1] + 0.0722 * seen[2]


green, red = pixels(sys.argv[1]), pixels(sys.argv[2])
light = [i for i in range(len(green)) if green[i] != red[i]]
assert light, "the two lamps are the same picture"
shades = [collections.Counter(lamp[i] for i in light).most_common(1)[0][0] for lamp in (green, red)]
failed = False
for vision, matrix in VISIONS.items():
    lighter, darker = sorted((luminance(shade, matrix) for shade in shades), reverse=True)
    ratio = (lighter + 0.05) / (darker + 0.05)
    failed |= ratio < 3
    print(f"{vision}: green {tuple(shades[0])} and red {tuple(shades[1])} differ {ratio:.2f}:1")
sys.exit(1 if failed else 0)
