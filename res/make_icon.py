#!/usr/bin/env python3
"""Draw the Kest program icon and write it to kest.ico (next to this script).

The icon is a rounded blue square with a one-pixel darker border and a bold
white letter "K" built from three straight strokes.  Only the Python standard
library is used.

The ICO file holds six images, in this order:
    16x16 and 32x32 with 256 colours (8 bits per pixel, palette + AND mask),
    16x16, 24x24, 32x32 and 48x48 with 32-bit colour (BGRA with alpha + AND mask).
24 pixels is the small icon at 144 DPI (the notification area, the window's small icon).
"""

import os
import struct

# Colours (R, G, B).
FILL = (0, 97, 193)
BORDER = (0, 56, 122)
LETTER = (255, 255, 255)

SUPERSAMPLE = 8  # samples per pixel along each axis

# The letter, in a 16 x 16 design grid (scaled to the image size).
# Stem, upper arm and lower leg; each is a polygon (x, y) with y pointing down.
# Whole design units land on whole pixels at 16, 32 and 48 pixels.
K_SHAPES = [
    [(4.0, 3.0), (6.0, 3.0), (6.0, 13.0), (4.0, 13.0)],
    [(9.0, 3.0), (12.0, 3.0), (6.0, 9.0), (6.0, 6.0)],
    [(6.375, 8.625), (8.25, 6.75), (12.0, 13.0), (9.0, 13.0)],
]

# Up to this size the letter is drawn without anti-aliasing, which keeps it
# sharp on the tiny grid.
CRISP_LETTER_MAX = 16


def corner_radius(size):
    return size * 0.19


def rounded_square_distance(x, y, size, radius):
    """Signed distance (in pixels) from the edge of the rounded square.

    Negative inside, positive outside.
    """
    half = size / 2.0
    px = abs(x - half) - (half - radius)
    py = abs(y - half) - (half - radius)
    ox = max(px, 0.0)
    oy = max(py, 0.0)
    outside = (ox * ox + oy * oy) ** 0.5
    inside = min(max(px, py), 0.0)
    return outside + inside - radius


def point_in_polygon(x, y, poly):
    inside = False
    n = len(poly)
    j = n - 1
    for i in range(n):
        xi, yi = poly[i]
        xj, yj = poly[j]
        if (yi > y) != (yj > y):
            xc = xi + (y - yi) * (xj - xi) / (yj - yi)
            if x < xc:
                inside = not inside
        j = i
    return inside


def render(size):
    """Return a list of rows of (r, g, b, a) floats in 0..1 (straight alpha)."""
    scale = size / 16.0
    shapes = [[(px * scale, py * scale) for (px, py) in poly] for poly in K_SHAPES]
    radius = corner_radius(size)
    n = SUPERSAMPLE
    crisp = size <= CRISP_LETTER_MAX
    rows = []
    for yy in range(size):
        row = []
        for xx in range(size):
            acc = [0.0, 0.0, 0.0]
            covered = 0
            if crisp:
                cx, cy = xx + 0.5, yy + 0.5
                letter_here = any(point_in_polygon(cx, cy, p) for p in shapes)
            for sy in range(n):
                y = yy + (sy + 0.5) / n
                for sx in range(n):
                    x = xx + (sx + 0.5) / n
                    d = rounded_square_distance(x, y, size, radius)
                    if d > 0.0:
                        continue
                    covered += 1
                    if d > -1.0:
                        colour = BORDER
                    elif (letter_here if crisp else
                          any(point_in_polygon(x, y, p) for p in shapes)):
                        colour = LETTER
                    else:
                        colour = FILL
                    acc[0] += colour[0]
                    acc[1] += colour[1]
                    acc[2] += colour[2]
            if covered:
                row.append((acc[0] / covered / 255.0, acc[1] / covered / 255.0,
                            acc[2] / covered / 255.0, covered / float(n * n)))
            else:
                row.append((0.0, 0.0, 0.0, 0.0))
        rows.append(row)
    return rows


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


# Palette for the 256-colour images: index 0 is black (used under the AND
# mask for transparent pixels), then the icon colours and a few blends.
SMALL_PALETTE = [
    (0, 0, 0),
    BORDER,
    FILL,
    LETTER,
    mix(FILL, LETTER, 0.25),
    mix(FILL, LETTER, 0.5),
    mix(FILL, LETTER, 0.75),
    mix(BORDER, FILL, 0.5),
    mix(BORDER, LETTER, 0.5),
]


def nearest_index(rgb):
    best = 1
    best_d = None
    for i, c in enumerate(SMALL_PALETTE):
        if i == 0:
            continue
        d = sum((rgb[k] - c[k]) ** 2 for k in range(3))
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def and_mask(size, transparent):
    """1-bpp AND mask, bottom-up, rows padded to 32 bits."""
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(stride)
        for x in range(size):
            if transparent[y][x]:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def bitmap_header(size, bpp, image_bytes, colours_used):
    return struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bpp, 0,
                       image_bytes, 0, 0, colours_used, 0)


def dib_8bit(size):
    pixels = render(size)
    transparent = [[p[3] < 0.5 for p in row] for row in pixels]
    stride = (size + 3) & ~3
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(stride)
        for x in range(size):
            if transparent[y][x]:
                row[x] = 0
            else:
                r, g, b, _ = pixels[y][x]
                row[x] = nearest_index((r * 255, g * 255, b * 255))
        xor += row
    mask = and_mask(size, transparent)
    palette = bytearray()
    for i in range(256):
        r, g, b = SMALL_PALETTE[i] if i < len(SMALL_PALETTE) else (0, 0, 0)
        palette += bytes((b, g, r, 0))
    header = bitmap_header(size, 8, len(xor) + len(mask), 256)
    return header + bytes(palette) + bytes(xor) + mask


def dib_32bit(size):
    pixels = render(size)
    transparent = [[p[3] < 0.5 for p in row] for row in pixels]
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b, a = pixels[y][x]
            if a <= 0.0:
                xor += b'\0\0\0\0'
            else:
                xor += bytes((int(round(b * 255)), int(round(g * 255)),
                              int(round(r * 255)), int(round(a * 255))))
    mask = and_mask(size, transparent)
    header = bitmap_header(size, 32, len(xor) + len(mask), 0)
    return header + bytes(xor) + mask


def build_ico():
    images = [
        (16, 8, dib_8bit(16)),
        (32, 8, dib_8bit(32)),
        (16, 32, dib_32bit(16)),
        (24, 32, dib_32bit(24)),
        (32, 32, dib_32bit(32)),
        (48, 32, dib_32bit(48)),
    ]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, bpp, data in images:
        colour_count = 0  # 0 means 256 or more colours
        out += struct.pack('<BBBBHHII', size % 256, size % 256, colour_count, 0,
                           1, bpp, len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    return bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = os.path.join(here, 'kest.ico')
    with open(path, 'wb') as f:
        f.write(build_ico())
    print('wrote', path)


if __name__ == '__main__':
    main()
