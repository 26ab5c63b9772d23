#!/usr/bin/env python3
"""Draws the program icon from the pixel grid below and writes every file made
from it:

  resources/corvantis-spell-editor.ico       one 32x32 image, 16 colours, with its mask
  resources/icons/corvantis-spell-editor-N.png   N = 16, 32, 48, 64, 128 (RGBA)
  resources/icons/corvantis-spell-editor.svg     the same pixels as vector squares

Only the standard library is used, and the output depends on nothing but this
file, so running it again gives the same pictures.

Usage: tools/make-icon.py [repository root]
"""

import os
import struct
import sys
import zlib

# A closed spell book with a gold ring and a four-point star on its cover, a
# ribbon bookmark, and a spark at its corner. One character per pixel; '.' is
# transparent.
GRID = """
............................c...
..........................y.c.y.
...KKKKKKKKKKKKKKKKKKKKK....W...
...KdSShhhhhhhhhhhhhhhhK.ccWWWcc
...KdSShppppppppppppppdK....W...
...KdSShppppppppppppppdKKKy.c.y.
...KggghppppppppppppppdKwwK.c...
...KGGGhppppppppppppppdKssK.....
...KdSShppppGGgggGGpppdKwwK.....
...KdSShpppGgggggggGppdKssK.....
...KdSShppGggppcppggGpdKwwK.....
...KdSShpGggpppcpppggGdKssK.....
...KdSShpGgppbpcpbppgGdKwwK.....
...KdSShpggpppcWcpppggdKssK.....
...KdSShpggcccWWWcccggdKwwK.....
...KdSShpggpppcWcpppggdKssK.....
...KdSShpGgppbpcpbppgGdKwwK.....
...KdSShpGggpppcpppggGdKssK.....
...KdSShppGggppcppggGpdKwwK.....
...KdSShpppGgggggggGppdKssK.....
...KggghppppGGgggGGpppdKwwK.....
...KGGGhppppppppppppppdKssK.....
...KdSShppppppppppppppdKwwK.....
...KdSShppppppppppppppdKssK.....
...KdSShppppppppppppppdKwwK.....
...KdSSpdddddddddddddddKssK.....
...KKKKKKKKKKKKKKKKKKKKKwwK.....
......KwswswswswsKrRKwswssK.....
......KwswswswswsKrRKwswwwK.....
......KKKKKKKKKKKKrRKKKKKKK.....
.................KrRK...........
.................K..K...........
"""

# The sixteen colours, in palette order. Entry 0 is black so that a masked
# pixel (palette index 0, mask bit set) leaves the screen as it was.
PALETTE = [
    (".", (0, 0, 0)),  # transparent
    ("K", (28, 16, 40)),  # outline
    ("d", (70, 36, 110)),  # cover shadow
    ("p", (110, 60, 170)),  # cover
    ("h", (160, 112, 220)),  # cover highlight
    ("S", (50, 26, 84)),  # spine
    ("s", (196, 184, 160)),  # page shade
    ("w", (250, 246, 232)),  # page
    ("G", (168, 112, 24)),  # dark gold
    ("g", (232, 184, 56)),  # gold
    ("y", (255, 236, 140)),  # light gold
    ("c", (90, 220, 255)),  # spark
    ("W", (255, 255, 255)),  # spark core
    ("r", (208, 40, 56)),  # ribbon
    ("R", (128, 20, 36)),  # ribbon shade
    ("b", (48, 112, 216)),  # glow
]

SIZE = 32
PNG_SIZES = (16, 32, 48, 64, 128)
NAME = "corvantis-spell-editor"


def parse_grid():
    rows = [r for r in GRID.strip("\n").split("\n")]
    if len(rows) != SIZE or any(len(r) != SIZE for r in rows):
        raise SystemExit("make-icon: the grid must be 32 rows of 32 characters")
    index = {ch: i for i, (ch, _) in enumerate(PALETTE)}
    try:
        return [[index[ch] for ch in row] for row in rows]
    except KeyError as e:
        raise SystemExit("make-icon: no colour for grid character %s" % e)


def ico_bytes(pixels):
    """One 32x32 4-bit image with its AND mask: 766 bytes."""
    xor_rows = []
    and_rows = []
    for row in reversed(pixels):  # bitmaps are stored bottom-up
        packed = bytes((row[x] << 4) | row[x + 1] for x in range(0, SIZE, 2))
        xor_rows.append(packed)
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if row[x] == 0 else 0)
        and_rows.append(struct.pack(">I", bits))
    xor = b"".join(xor_rows)
    mask = b"".join(and_rows)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for _, (r, g, b) in PALETTE)
    header = struct.pack(
        "<IiiHHIIiiII",
        40,  # header size
        SIZE,
        SIZE * 2,  # colour bitmap and mask stacked
        1,  # planes
        4,  # bits per pixel
        0,  # no compression
        len(xor) + len(mask),
        0,
        0,
        len(PALETTE),
        0,
    )
    image = header + palette + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, len(PALETTE), 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def rgba(pixels):
    """Straight RGBA floats, transparent pixels all zero."""
    out = []
    for row in pixels:
        line = []
        for i in row:
            if i == 0:
                line.append((0.0, 0.0, 0.0, 0.0))
            else:
                r, g, b = PALETTE[i][1]
                line.append((float(r), float(g), float(b), 255.0))
        out.append(line)
    return out


def resample(src, size):
    """Area-weighted resampling: exact pixel blocks for whole multiples, an
    average of the covered pixels otherwise. Colours are weighted by alpha so
    transparent black does not darken the edges."""
    scale = SIZE / size
    out = []
    for oy in range(size):
        y0, y1 = oy * scale, (oy + 1) * scale
        line = []
        for ox in range(size):
            x0, x1 = ox * scale, (ox + 1) * scale
            acc = [0.0, 0.0, 0.0, 0.0]
            area = 0.0
            for sy in range(int(y0), min(SIZE, int(-(-y1 // 1)))):
                wy = min(y1, sy + 1) - max(y0, sy)
                if wy <= 0:
                    continue
                for sx in range(int(x0), min(SIZE, int(-(-x1 // 1)))):
                    wx = min(x1, sx + 1) - max(x0, sx)
                    if wx <= 0:
                        continue
                    w = wx * wy
                    r, g, b, a = src[sy][sx]
                    acc[0] += r * a * w
                    acc[1] += g * a * w
                    acc[2] += b * a * w
                    acc[3] += a * w
                    area += w
            a = acc[3] / area
            if acc[3] > 0:
                px = tuple(int(round(c / acc[3])) for c in acc[:3]) + (int(round(a)),)
            else:
                px = (0, 0, 0, 0)
            line.append(px)
        out.append(line)
    return out


def png_bytes(image):
    size = len(image)
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in image)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    ihdr = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", ihdr)
        + chunk(b"IDAT", zlib.compress(raw, 9))
        + chunk(b"IEND", b"")
    )


def svg_text(pixels):
    """Runs of one colour on a row become one rectangle."""
    parts = [
        '<?xml version="1.0" encoding="UTF-8"?>\n',
        '<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" '
        'viewBox="0 0 32 32" shape-rendering="crispEdges">\n',
    ]
    for y, row in enumerate(pixels):
        x = 0
        while x < SIZE:
            i = row[x]
            end = x
            while end < SIZE and row[end] == i:
                end += 1
            if i != 0:
                r, g, b = PALETTE[i][1]
                parts.append(
                    '<rect x="%d" y="%d" width="%d" height="1" fill="#%02x%02x%02x"/>\n'
                    % (x, y, end - x, r, g, b)
                )
            x = end
    parts.append("</svg>\n")
    return "".join(parts)


def write(path, data):
    mode = "w" if isinstance(data, str) else "wb"
    with open(path, mode) as f:
        f.write(data)
    print("make-icon: wrote", path)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    resources = os.path.join(root, "resources")
    icons = os.path.join(resources, "icons")
    os.makedirs(icons, exist_ok=True)

    pixels = parse_grid()
    ico = ico_bytes(pixels)
    assert len(ico) == 766, len(ico)
    write(os.path.join(resources, NAME + ".ico"), ico)

    source = rgba(pixels)
    for size in PNG_SIZES:
        write(os.path.join(icons, "%s-%d.png" % (NAME, size)), png_bytes(resample(source, size)))
    write(os.path.join(icons, NAME + ".svg"), svg_text(pixels))


if __name__ == "__main__":
    main()
