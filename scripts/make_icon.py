#!/usr/bin/env python3
"""Draws Spamwarden's product icon, shown by Add/Remove Programs.

    make_icon.py OUTFILE.ico [--preview DIR] [--scale N]

The icon holds 16x16, 32x32 and 48x48 images, 32 bits per pixel with alpha:
a white envelope on a rounded blue tile, with the red prohibition sign of the
button images (make_images.py) in the lower right corner. Edges are sampled
8 x 8 times per pixel, the tile's corners fading into transparency. Only the
standard library is used and the output is the same on every run.
"""

import argparse
import os
import struct

from make_images import (SUBSAMPLES, WHITE, band, disc, intersect, over, png_preview,
                         prohibition_sign, union)

TILE = (30, 92, 170)
TILE_EDGE = (14, 48, 104)
ENVELOPE_EDGE = (70, 84, 110)
SIZES = (16, 32, 48)


def rounded_square(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    return inside


def box(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def layers(size):
    """(shape, colour) layers in units of a 32-pixel icon, scaled to size."""
    k = size / 32.0
    edge = max(0.7, 1.0 * k)
    tile = rounded_square(0.5 * k, 0.5 * k, 31.5 * k, 31.5 * k, 6.0 * k)
    tile_in = rounded_square(0.5 * k + edge, 0.5 * k + edge, 31.5 * k - edge, 31.5 * k - edge,
                             6.0 * k - edge)
    ex0, ey0, ex1, ey1 = 4.0 * k, 8.0 * k, 24.0 * k, 22.0 * k
    line = max(0.55, 0.8 * k)
    flap = union(band(ex0, ey0, (ex0 + ex1) / 2, (ey0 + ey1) / 2 + 0.5 * k, line),
                 band(ex1, ey0, (ex0 + ex1) / 2, (ey0 + ey1) / 2 + 0.5 * k, line))
    if size <= 16:
        sign = prohibition_sign(11.5, 11.5, 4.2, 1.4, 0.5)
    else:
        sign = prohibition_sign(23.0 * k, 23.0 * k, 7.2 * k, 2.4 * k, 1.0 * k)
    return tile, [
        (tile, TILE_EDGE),
        (tile_in, TILE),
        (box(ex0, ey0, ex1, ey1), ENVELOPE_EDGE),
        (box(ex0 + line, ey0 + line, ex1 - line, ey1 - line), WHITE),
        (intersect(box(ex0, ey0, ex1, ey1), flap), ENVELOPE_EDGE),
    ] + sign


def render_rgba(size):
    """Rows of (r, g, b, a): the layers where the tile or the sign covers a
    sample, transparent elsewhere."""
    tile, paints = layers(size)
    covered = union(tile, *[shape for shape, _ in paints])
    rows = []
    step = 1.0 / SUBSAMPLES
    for py in range(size):
        row = []
        for px in range(size):
            acc, hits = [0, 0, 0], 0
            for sy in range(SUBSAMPLES):
                y = py + (sy + 0.5) * step
                for sx in range(SUBSAMPLES):
                    x = px + (sx + 0.5) * step
                    if not covered(x, y):
                        continue
                    colour = WHITE
                    for shape, paint in paints:
                        if shape(x, y):
                            colour = over(paint, colour)
                    hits += 1
                    for c in range(3):
                        acc[c] += colour[c]
            if hits:
                row.append(tuple(int(c / hits + 0.5) for c in acc) +
                           (int(255 * hits / (SUBSAMPLES * SUBSAMPLES) + 0.5),))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def ico_image(rows):
    """One icon image: a BITMAPINFOHEADER of twice the height, the BGRA
    pixels bottom-up and the 1-bit AND mask (set where fully transparent)."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            pixels += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def ico_file(images):
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for size, image in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image),
                               offset + len(data))
        data += image
    return directory + entries + data


def main():
    parser = argparse.ArgumentParser(description="Draws the product icon.")
    parser.add_argument("outfile")
    parser.add_argument("--preview", metavar="DIR", help="also write enlarged PNG copies here")
    parser.add_argument("--scale", type=int, default=10, help="enlargement of the previews")
    args = parser.parse_args()

    images = []
    for size in SIZES:
        rows = render_rgba(size)
        images.append((size, ico_image(rows)))
        if args.preview:
            os.makedirs(args.preview, exist_ok=True)
            shown = [[over((r, g, b, a / 255.0), WHITE) for r, g, b, a in row] for row in rows]
            shown = [[tuple(int(c) for c in p) for p in row] for row in shown]
            with open(os.path.join(args.preview, "spamwarden_%d.png" % size), "wb") as f:
                f.write(png_preview(shown, args.scale))
    os.makedirs(os.path.dirname(os.path.abspath(args.outfile)), exist_ok=True)
    with open(args.outfile, "wb") as f:
        f.write(ico_file(images))


if __name__ == "__main__":
    main()
