#!/usr/bin/env python3
"""Draws the manager's bitmaps and its icon.

Writes, beside this script, the uncompressed 24-bit BMP files of the task rows' images, the About
page's picture and the tool bar's buttons, and Velmora.ico (16 x 16 and 32 x 32, 32-bit BGRA with
an AND mask). The small images are pixel art with hard edges, because their background colour
(255, 0, 255) is the mask colour and a blended edge would leave a pink fringe; the emblem of the
icon and the About page is drawn from shapes and smoothed by supersampling.

Run it after changing a picture: python3 manager/win/res/make_bitmaps.py
"""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

MASK = (255, 0, 255)

# Colours of the pixel art, one character each; "." is the mask colour.
PALETTE = {
    ".": MASK,
    "K": (48, 48, 48),  # outline
    "W": (255, 255, 255),
    "g": (192, 192, 192),
    "G": (128, 128, 128),
    "H": (96, 96, 96),  # dark grey
    "Y": (255, 214, 0),
    "O": (224, 128, 0),  # dark yellow, outline of yellow
    "R": (224, 24, 24),
    "r": (136, 0, 0),
    "N": (24, 168, 24),
    "n": (0, 96, 0),
    "L": (136, 224, 120),  # light green
    "B": (32, 104, 208),
    "b": (0, 48, 128),
    "P": (240, 136, 152),  # eraser
    "T": (232, 184, 120),  # bare wood
}


def parse(art):
    """Turns 16 lines of 16 palette characters into rows of colours."""
    rows = art.strip("\n").split("\n")
    assert len(rows) == 16, len(rows)
    for row in rows:
        assert len(row) == 16, row
    return [[PALETTE[c] for c in row] for row in rows]


# ---------------------------------------------------------------------------------------------
# Tool bar buttons, 16 x 16.

CREATE = """
...Y............
.Y.Y.YKKKKKK....
..YYY.WWWWWKK...
YYYOYYYWWWWKgK..
..YYY.WWWWWKKKK.
.Y.Y.YWWWWWWWWK.
...Y.WWWWWWWWWK.
...KWWWWWWWWWWK.
...KWWWWWWWWWWK.
...KWWWWWWWWWWK.
...KWWWWWWWWWWK.
...KWWWWWWWWWWK.
...KWWWWWWWWWWK.
...KWWWWWWWWWWK.
...KKKKKKKKKKKK.
................
"""

IMPORT = """
......nnnn......
......nNNn......
......nNNn......
......nNNn......
...nnnnNNnnnn...
....nNNNNNNn....
.....nNNNNn.....
......nNNn......
.KK....nn....KK.
.KgK........KgK.
.KgK........KgK.
.KggKKKKKKKKggK.
.KggggggggggggK.
.KggggggggggggK.
.KKKKKKKKKKKKKK.
................
"""

EXPORT = """
.......bb.......
......bBBb......
.....bBBBBb.....
....bBBBBBBb....
...bbbbBBbbbb...
......bBBb......
......bBBb......
......bBBb......
.KK...bBBb...KK.
.KgK..bBBb..KgK.
.KgK..bbbb..KgK.
.KggKKKKKKKKggK.
.KggggggggggggK.
.KggggggggggggK.
.KKKKKKKKKKKKKK.
................
"""

RUN = """
................
..nn............
..nLnn..........
..nLNNnn........
..nLNNNNnn......
..nLNNNNNNnn....
..nLNNNNNNNNnn..
..nLNNNNNNNNNNn.
..nNNNNNNNNNNNn.
..nNNNNNNNNNnn..
..nNNNNNNNnn....
..nNNNNNnn......
..nNNNnn........
..nNnn..........
..nn............
................
"""

SEPARATOR = """
.......G........
.......GW.......
.......GW.......
.......GW.......
.......GW.......
.......GW.......
.......GW.......
.......GW.......
.......GW.......
.......GW.......
.......GW.......
.......GW.......
.......GW.......
.......GW.......
.......GW.......
........W.......
"""

POWER_OPTIONS = """
................
......KKKK......
......KggK......
...KKKKKKKKKK...
...KWWWWWWWWK...
...KWWWWWWWWK...
...KWWWWWWWWK...
...KWLLLLLLWK...
...KWNNNNNNWK...
...KWWWWWWWWK...
...KWLLLLLLWK...
...KWNNNNNNWK...
...KWWWWWWWWK...
...KWLLLLLLWK...
...KWNNNNNNWK...
...KKKKKKKKKK...
"""

REMOTE_SHUTDOWN = """
................
KKKKKKKKKKKKKKK.
KgggggggggggggK.
KgBBBBBBBBBBBgK.
KgBBBBBWBBBBBgK.
KgBBBWBWBWBBBgK.
KgBBWBBWBBWBBgK.
KgBBWBBBBBWBBgK.
KgBBWBBBBBWBBgK.
KgBBBWBBBWBBBgK.
KgBBBBWWWBBBBgK.
KgBBBBBBBBBBBgK.
KgggggggggggggK.
KKKKKKKKKKKKKKK.
.....KgggK......
...KKKKKKKKK....
"""


def pencil():
    """A pencil lying from its point at the bottom left to its eraser at the top right."""
    rows = [[MASK] * 16 for _ in range(16)]
    for y in range(16):
        for x in range(16):
            across = x + y - 15  # 0 on the pencil's axis
            along = x - y  # -15 at the point, 15 at the eraser's end
            width = abs(across)
            if along < -13 or along > 12:
                continue
            if along <= -10:  # the lead
                limit = (along + 13) // 2
                if width <= limit:
                    rows[y][x] = PALETTE["K"]
            elif along <= -6:  # the sharpened wood
                limit = min(2, (along + 13) // 2)
                if width < limit:
                    rows[y][x] = PALETTE["T"]
                elif width == limit:
                    rows[y][x] = PALETTE["O"]
            elif width <= 2:
                if width == 2:
                    colour = "K"
                elif along <= 5:  # the painted body
                    colour = "Y" if across <= 0 else "O"
                elif along <= 7:  # the metal ferrule
                    colour = "g"
                else:  # the eraser
                    colour = "P"
                rows[y][x] = PALETTE[colour]
    # Close the eraser's end.
    for y in range(16):
        for x in range(16):
            if x - y == 12 and abs(x + y - 15) <= 2:
                rows[y][x] = PALETTE["K"]
    return rows


def cross():
    """A red X with a dark red edge."""
    rows = [[MASK] * 16 for _ in range(16)]
    for y in range(16):
        for x in range(16):
            px, py = x + 0.5, y + 0.5
            d = min(segment_distance(px, py, 2.5, 2.5, 13.5, 13.5), segment_distance(px, py, 13.5, 2.5, 2.5, 13.5))
            if d <= 1.3:
                rows[y][x] = PALETTE["R"]
            elif d <= 2.2:
                rows[y][x] = PALETTE["r"]
    return rows


# ---------------------------------------------------------------------------------------------
# The computer list's row image: a computer with its screen lit. Its mask colour is white, so the
# picture has no pure white in it ("." is the mask, "w" a light grey for the screen's glint).

COMPUTER = """
................
..KKKKKKKKKKKK..
..KggggggggggK..
..KgKKKKKKKKgK..
..KgKwBBBBBKgK..
..KgKBwBBBBKgK..
..KgKBBBBBBKgK..
..KgKBBBBBBKgK..
..KgKKKKKKKKgK..
..KggggggNggGK..
..KKKKKKKKKKKK..
.......KK.......
.....KKggKK.....
..KKKKKKKKKKKK..
..KgggggggggGK..
..KKKKKKKKKKKK..
"""


def computer():
    palette = dict(PALETTE)
    palette["."] = (255, 255, 255)
    palette["w"] = (224, 240, 255)
    rows = COMPUTER.strip("\n").split("\n")
    assert len(rows) == 16 and all(len(row) == 16 for row in rows)
    return [[palette[c] for c in row] for row in rows]


# ---------------------------------------------------------------------------------------------
# The task rows' images: the emblem as a green power button with a clock hand, and the same
# greyed and struck through for a disabled task.

TASK_ENABLED = """
................
.......NN.......
.......NN.......
...N...NN...N...
..NNN..NN..NNN..
..NN...NN...NN..
.NNN...NN...NNN.
.NN....NN....NN.
.NN....NNNNN.NN.
.NN....NNNNN.NN.
.NNN........NNN.
..NN........NN..
..NNN......NNN..
...NNNNNNNNNN...
....NNNNNNNN....
................
"""

# The emblem's white strokes at 16 x 16, drawn by hand over the smoothed disc: at this size a
# smoothed ring turns to mush.
ICON_GLYPH = """
................
................
.......WW.......
.......WW.......
.......WW.......
....W..WW..W....
...WW..WW..WW...
..WWW..WW..WWW..
..WW...WW...WW..
..WW...WWOO.WW..
..WW...WWOO.WW..
..WWW......WWW..
...WWW....WWW...
....WWWWWWWW....
.....WWWWWW.....
................
"""


def disabled_task():
    enabled = parse(TASK_ENABLED)
    rows = []
    for row in enabled:
        out = []
        for colour in row:
            if colour == MASK:
                out.append(MASK)
            elif colour == PALETTE["n"]:
                out.append(PALETTE["H"])
            else:
                out.append(PALETTE["G"])
        rows.append(out)
    # A red stroke from the top left to the bottom right.
    for y in range(16):
        for x in range(16):
            d = segment_distance(x + 0.5, y + 0.5, 2.0, 2.0, 14.0, 14.0)
            if d <= 1.0:
                rows[y][x] = PALETTE["R"]
    return rows


# ---------------------------------------------------------------------------------------------
# Shapes for the smoothed emblem: each takes a point and answers whether it is inside.


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length = dx * dx + dy * dy
    t = 0.0 if length == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length))
    qx, qy = ax + t * dx, ay + t * dy
    return math.hypot(px - qx, py - qy)


def emblem_layers(size, strokes=True):
    """The emblem in a square of the given size: a blue disc with a white power symbol whose
    bar is also the clock's minute hand at twelve, an orange hour hand at three and three ticks.
    Without strokes only the disc."""
    c = size / 2.0
    radius = size / 2.0 - 0.5
    stroke = radius * 0.14
    ring = radius * 0.55
    gap = math.radians(36)

    def disc(x, y):
        return math.hypot(x - c, y - c) <= radius

    def disc_inner(x, y):
        return math.hypot(x - c, y - c) <= radius - max(1.0, size / 32.0)

    def power_ring(x, y):
        dx, dy = x - c, y - c
        if abs(math.hypot(dx, dy) - ring) > stroke / 2:
            return False
        angle = math.atan2(dx, -dy)  # 0 straight up
        return abs(angle) >= gap

    def bar(x, y):
        return segment_distance(x, y, c, c, c, c - ring - stroke * 0.6) <= stroke / 2

    def hand(x, y):
        return segment_distance(x, y, c, c, c + ring * 0.62, c) <= stroke * 0.45

    def ticks(x, y):
        r = radius * 0.84
        for tx, ty in ((c + r, c), (c, c + r), (c - r, c)):
            if math.hypot(x - tx, y - ty) <= stroke * 0.42:
                return True
        return False

    def shade(x, y):
        t = y / size
        top, bottom = (64, 148, 232), (8, 72, 168)
        return tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))

    layers = [(disc, lambda x, y: (0, 40, 104)), (disc_inner, shade)]
    if strokes:
        layers += [
            (power_ring, lambda x, y: (255, 255, 255)),
            (bar, lambda x, y: (255, 255, 255)),
            (hand, lambda x, y: (255, 176, 32)),
            (ticks, lambda x, y: (200, 224, 255)),
        ]
    return layers


def render(size, layers, samples=8):
    """Paints the layers in order; returns rows of (r, g, b, a) with straight alpha."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(samples):
                for sx in range(samples):
                    x = px + (sx + 0.5) / samples
                    y = py + (sy + 0.5) / samples
                    colour = None
                    for inside, paint in layers:
                        if inside(x, y):
                            colour = paint(x, y)
                    if colour:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        a += 1
            if a:
                row.append((round(r / a), round(g / a), round(b / a), round(255 * a / (samples * samples))))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def over(rows, background):
    """Flattens straight-alpha pixels onto a background colour (or a function of x, y)."""
    out = []
    for y, row in enumerate(rows):
        line = []
        for x, (r, g, b, a) in enumerate(row):
            bg = background(x, y) if callable(background) else background
            t = a / 255.0
            line.append(tuple(round(c * t + k * (1 - t)) for c, k in zip((r, g, b), bg)))
        out.append(line)
    return out


def small_icon():
    """16 x 16: the smoothed disc with the hand-drawn strokes on it."""
    rows = render(16, emblem_layers(16, strokes=False))
    glyph = {"W": (255, 255, 255, 255), "O": (255, 176, 32, 255)}
    for y, line in enumerate(ICON_GLYPH.strip("\n").split("\n")):
        for x, c in enumerate(line):
            if c in glyph:
                rows[y][x] = glyph[c]
    return rows


def about_picture():
    """64 x 64: the emblem on a light tile with a thin frame, so it reads on any page colour."""
    size = 64
    emblem = render(56, emblem_layers(56))

    def tile(x, y):
        if x in (0, size - 1) or y in (0, size - 1):
            return (120, 144, 176)
        t = y / size
        return tuple(round(a + (b - a) * t) for a, b in zip((255, 255, 255), (214, 228, 246)))

    canvas = [[(0, 0, 0, 0)] * size for _ in range(size)]
    for y in range(56):
        for x in range(56):
            canvas[y + 4][x + 4] = emblem[y][x]
    return over(canvas, tile)


# ---------------------------------------------------------------------------------------------
# File formats.


def write_bmp(path, rows):
    """An uncompressed 24-bit BMP, rows bottom up, each padded to four bytes."""
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def icon_image(rows):
    """One image of an icon file: the header (height doubled for the mask), BGRA bottom up and
    the AND mask (1 where the pixel is fully transparent), rows padded to 32 bits."""
    size = len(rows)
    colour = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return info + colour + mask


def write_ico(path, images):
    entries = bytearray()
    data = bytearray()
    offset = 6 + 16 * len(images)
    for rows in images:
        size = len(rows)
        image = icon_image(rows)
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset + len(data))
        data += image
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)) + entries + data)


def strip(*images):
    """Images of equal height side by side."""
    return [sum((image[y] for image in images), []) for y in range(len(images[0]))]


def main():
    empty = [[MASK] * 16 for _ in range(16)]
    bitmaps = {
        "TaskImages.bmp": strip(empty, parse(TASK_ENABLED), disabled_task()),
        "About.bmp": about_picture(),
        "Create.bmp": parse(CREATE),
        "Import.bmp": parse(IMPORT),
        "Export.bmp": parse(EXPORT),
        "Run.bmp": parse(RUN),
        "Edit.bmp": pencil(),
        "Delete.bmp": cross(),
        "PowerOptions.bmp": parse(POWER_OPTIONS),
        "Separator.bmp": parse(SEPARATOR),
        "RemoteShutdown.bmp": parse(REMOTE_SHUTDOWN),
        "Computer.bmp": computer(),
    }
    for name, rows in bitmaps.items():
        write_bmp(os.path.join(HERE, name), rows)
    write_ico(os.path.join(HERE, "Velmora.ico"), [small_icon(), render(32, emblem_layers(32))])


if __name__ == "__main__":
    main()
