#!/usr/bin/env python3
"""Draws the program's icon and bitmaps and writes them as Windows .ico and .bmp files, and the
icon again as PNG files for the desktop's icon theme.

Usage: python3 res/images/draw_images.py   (writes the files next to this script)

Every picture is drawn here from pixel shapes defined below, in the standard 16-colour
Windows palette, and every byte of the files is written here: 4 bits per pixel, BI_RGB,
bottom-up rows padded to 4 bytes, as Windows' LoadImage expects; the PNG files hold the same
pixels with the same palette. The outputs are committed;
run the script again after changing a drawing.
"""

import pathlib
import struct
import zlib

# The standard 16-colour Windows palette, as (red, green, blue), in index order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
(BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER,
 GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE) = range(16)

# Pixel letters: '#' is ink. Capitals of the icon, 5 rows high.
ICON_LETTERS = {
    "I": ["###",
          ".#.",
          ".#.",
          ".#.",
          "###"],
    "P": ["###.",
          "#..#",
          "###.",
          "#...",
          "#..."],
}

# The logo's letters, 7 rows high with the lower-case x-height in the bottom five.
LOGO_LETTERS = {
    "M": ["#...#",
          "##.##",
          "#.#.#",
          "#.#.#",
          "#...#",
          "#...#",
          "#...#"],
    "i": ["#",
          ".",
          "#",
          "#",
          "#",
          "#",
          "#"],
    "r": ["....",
          "....",
          "#.##",
          "##..",
          "#...",
          "#...",
          "#..."],
    "e": ["....",
          "....",
          ".##.",
          "#..#",
          "####",
          "#...",
          ".###"],
    "l": ["#.",
          "#.",
          "#.",
          "#.",
          "#.",
          "#.",
          ".#"],
    "k": ["#...",
          "#...",
          "#..#",
          "#.#.",
          "##..",
          "#.#.",
          "#..#"],
    "o": ["....",
          "....",
          ".##.",
          "#..#",
          "#..#",
          "#..#",
          ".##."],
}

# A lit lamp: its body colour and the darker rim around it. The red light is the dark one, so
# that the two stay apart by their lightness where colour is not seen: bright red and bright green
# come out almost equally light to a red-green colour-blind eye.
LAMP_COLOURS = {"green": (LIME, GREEN), "red": (MAROON, BLACK)}


class Canvas:
    """A picture of palette indexes, row 0 at the top."""

    def __init__(self, width, height, fill):
        self.width = width
        self.height = height
        self.rows = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def fill(self, x, y, width, height, colour):
        for row in range(y, y + height):
            for col in range(x, x + width):
                self.put(col, row, colour)

    def disc(self, cx, cy, radius, colour):
        """Fills the pixels whose centres lie within radius of (cx, cy)."""
        for y in range(self.height):
            for x in range(self.width):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= radius ** 2:
                    self.rows[y][x] = colour

    def glyph(self, shape, x, y, scale, colour):
        """Draws a pixel letter; scale is one factor or a pair (horizontal, vertical)."""
        sx, sy = scale if isinstance(scale, tuple) else (scale, scale)
        for row, line in enumerate(shape):
            for col, cell in enumerate(line):
                if cell == "#":
                    self.fill(x + col * sx, y + row * sy, sx, sy, colour)

    def text(self, font, word, x, y, scale, colour):
        """Draws the word with one empty column between letters."""
        sx = scale[0] if isinstance(scale, tuple) else scale
        for letter in word:
            self.glyph(font[letter], x, y, scale, colour)
            x += (len(font[letter][0]) + 1) * sx


def text_width(font, word, scale):
    return (sum(len(font[letter][0]) for letter in word) + len(word) - 1) * scale


def raised_plate(canvas, x, y, width, height):
    """A silver plate lit from the top left, as Windows draws raised edges."""
    canvas.fill(x, y, width, height, SILVER)
    canvas.fill(x, y, width, 1, WHITE)
    canvas.fill(x, y, 1, height, WHITE)
    canvas.fill(x, y + height - 1, width, 1, GREY)
    canvas.fill(x + width - 1, y, 1, height, GREY)


def lamp_light(canvas, cx, cy, radius, colour):
    """A round light with a darker rim and a small reflection at its upper left."""
    body, rim = LAMP_COLOURS[colour]
    canvas.disc(cx, cy, radius, rim)
    canvas.disc(cx, cy, radius - 1, body)
    if radius >= 4:
        spot = int(radius / 2)
        canvas.put(int(cx - spot), int(cy - spot), WHITE)


# --- The pictures ---------------------------------------------------------------------

# Per icon size: the letters' horizontal and vertical pixel scale, and the two dots' centres
# and radius, placed on pixel boundaries so the small dots come out round.
ICON_LAYOUTS = {
    48: {"scale": (4, 6), "dots_x": (15, 33), "dot_y": 41, "dot_radius": 5.6},
    32: {"scale": (3, 4), "dots_x": (10, 22), "dot_y": 27, "dot_radius": 3.8},
    16: {"scale": (2, 2), "dots_x": (4.5, 11.5), "dot_y": 13.5, "dot_radius": 1.5},
}


def draw_icon(size):
    """The letters I and P in blue on black above a grey strip with a green and a red dot."""
    layout = ICON_LAYOUTS[size]
    scale_x, scale_y = layout["scale"]
    canvas = Canvas(size, size, BLACK)
    word_width = text_width(ICON_LETTERS, "IP", scale_x)
    canvas.text(ICON_LETTERS, "IP", (size - word_width) // 2, size // 32, layout["scale"], BLUE)
    strip_top = size * 11 // 16
    canvas.fill(0, strip_top, size, size - strip_top, SILVER)
    green_x, red_x = layout["dots_x"]
    canvas.disc(green_x, layout["dot_y"], layout["dot_radius"], LIME)
    canvas.disc(red_x, layout["dot_y"], layout["dot_radius"], RED)
    return canvas


# The screens above 96 dots per inch that the bitmaps are drawn for, in percent: the program picks
# the drawing for its screen's scale, as the dialogs grow with their font.
SCALES = (125, 150, 200)


def scaled(length, percent):
    return int(length * percent / 100 + 0.5)


def draw_logo(percent=100):
    """The word on white, over a strip carrying the green and the red light."""
    size = lambda length: scaled(length, percent)
    canvas = Canvas(size(125), size(66), WHITE)
    scale = max(3, size(3))
    x = (canvas.width - text_width(LOGO_LETTERS, "Mirelko", scale)) // 2
    shadow = max(1, size(1))
    canvas.text(LOGO_LETTERS, "Mirelko", x + shadow, size(8) + shadow, scale, GREY)
    canvas.text(LOGO_LETTERS, "Mirelko", x, size(8), scale, BLUE)
    raised_plate(canvas, size(8), size(38), canvas.width - 2 * size(8), size(22))
    lamp_light(canvas, size(47) + 0.5, size(49), size(7), "green")
    lamp_light(canvas, size(77) + 0.5, size(49), size(7), "red")
    border = [(0, 0, canvas.width, 1), (0, canvas.height - 1, canvas.width, 1),
              (0, 0, 1, canvas.height), (canvas.width - 1, 0, 1, canvas.height)]
    for rect in border:
        canvas.fill(*rect, NAVY)
    return canvas


def draw_lamp(colour, percent=100):
    canvas = Canvas(scaled(17, percent), scaled(16, percent), SILVER)
    raised_plate(canvas, 0, 0, canvas.width, canvas.height)
    lamp_light(canvas, canvas.width / 2, canvas.height / 2, scaled(6, percent), colour)
    return canvas


# --- Windows file formats -------------------------------------------------------------

def row_bytes(bits_per_row):
    """Bytes of one bitmap row: rows are padded to a multiple of 4 bytes."""
    return (bits_per_row + 31) // 32 * 4


def colour_rows(canvas):
    """4-bit pixels, high nibble first, bottom row first."""
    data = bytearray()
    for row in reversed(canvas.rows):
        packed = bytearray(row_bytes(canvas.width * 4))
        for x, colour in enumerate(row):
            packed[x // 2] |= colour << (4 if x % 2 == 0 else 0)
        data += packed
    return bytes(data)


def opaque_mask(canvas):
    """The icon's AND mask: 1 bit per pixel, all clear, so every pixel shows."""
    return bytes(row_bytes(canvas.width) * canvas.height)


def info_header(width, height, image_size):
    """BITMAPINFOHEADER for a 4-bit BI_RGB bitmap with the full 16-colour table."""
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_size, 0, 0, 16, 0)


def colour_table():
    return b"".join(struct.pack("<BBBB", blue, green, red, 0) for red, green, blue in PALETTE)


def bmp_file(canvas):
    pixels = colour_rows(canvas)
    header = info_header(canvas.width, canvas.height, len(pixels)) + colour_table()
    offset = 14 + len(header)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return file_header + header + pixels


def ico_file(canvases):
    """An icon directory followed by one image per canvas: header, colours, XOR and AND masks."""
    images = []
    for canvas in canvases:
        pixels = colour_rows(canvas) + opaque_mask(canvas)
        # An icon image's height counts the colour and the mask bitmaps together.
        header = info_header(canvas.width, 2 * canvas.height, len(pixels))
        images.append(header + colour_table() + pixels)
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    for canvas, image in zip(canvases, images):
        directory += struct.pack("<BBBBHHII", canvas.width % 256, canvas.height % 256, 16, 0, 1, 4,
                                 len(image), offset)
        offset += len(image)
    return directory + b"".join(images)


# --- PNG, for the desktop's icon theme ------------------------------------------------

def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png_file(canvas):
    """A 4-bit indexed PNG with the 16-colour palette; each row starts with filter type 0."""
    rows = bytearray()
    for row in canvas.rows:
        packed = bytearray((canvas.width + 1) // 2)
        for x, colour in enumerate(row):
            packed[x // 2] |= colour << (4 if x % 2 == 0 else 0)
        rows += b"\0" + packed
    header = struct.pack(">IIBBBBB", canvas.width, canvas.height, 4, 3, 0, 0, 0)
    palette = b"".join(bytes(colour) for colour in PALETTE)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + png_chunk(b"PLTE", palette)
            + png_chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + png_chunk(b"IEND", b""))


def main():
    folder = pathlib.Path(__file__).resolve().parent
    outputs = {
        "app_icon_128.ico": ico_file([draw_icon(48), draw_icon(32), draw_icon(16)]),
        "logo_129.bmp": bmp_file(draw_logo()),
        "lamp_green_134.bmp": bmp_file(draw_lamp("green")),
        "lamp_red_132.bmp": bmp_file(draw_lamp("red")),
    }
    for percent in SCALES:
        outputs[f"logo_129_{percent}.bmp"] = bmp_file(draw_logo(percent))
        outputs[f"lamp_green_134_{percent}.bmp"] = bmp_file(draw_lamp("green", percent))
        outputs[f"lamp_red_132_{percent}.bmp"] = bmp_file(draw_lamp("red", percent))
    for size in (16, 32, 48):
        outputs[f"icon_{size}x{size}.png"] = png_file(draw_icon(size))
    for name, data in outputs.items():
        (folder / name).write_bytes(data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
