#!/usr/bin/env python3
"""Draws the Block Senders and Block Domains button images as BMP files.

    make_images.py OUTDIR [--preview DIR] [--scale N]

Writes into OUTDIR:
  block_senders_32.bmp  32x32, 8 bits per pixel, 256-colour palette
  block_domains_32.bmp  32x32, 8 bits per pixel, 256-colour palette
  block_senders_16.bmp  16x16, 24 bits per pixel (822 bytes)
  block_domains_16.bmp  16x16, 24 bits per pixel (822 bytes)

Block Senders shows two people, Block Domains a globe; both carry a red
prohibition sign (a ring crossed by a bar) in the lower right corner. The
background is plain white. Shapes are sampled 8 x 8 times per pixel, so
edges are anti-aliased against whatever lies beneath them.

With --preview, enlarged PNG copies (nearest neighbour) go into DIR for
looking at the result. Only the standard library is used and the output is
the same on every run.
"""

import argparse
import math
import os
import struct
import zlib

SUBSAMPLES = 8

WHITE = (255, 255, 255)
SIGN_RED = (212, 22, 28)
SKIN = (244, 200, 160)
SKIN_EDGE = (150, 96, 60)
FRONT_SHIRT = (38, 102, 196)
FRONT_EDGE = (18, 50, 110)
BACK_SHIRT = (64, 150, 82)
BACK_EDGE = (28, 80, 40)
HAIR = (92, 60, 36)
OCEAN = (46, 128, 222)
LAND = (70, 168, 64)
GLOBE_EDGE = (16, 52, 120)
GRID = (220, 238, 255, 0.45)


# --- shapes: each is a predicate over a point (x, y) in pixel units -------


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def ring(cx, cy, r_outer, r_inner):
    def inside(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        return r_inner * r_inner <= d2 <= r_outer * r_outer

    return inside


def band(x0, y0, x1, y1, half_width):
    """Points closer than half_width to the segment (x0, y0)-(x1, y1)."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half_width * half_width

    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def intersect(*shapes):
    return lambda x, y: all(s(x, y) for s in shapes)


def above(y_limit):
    return lambda x, y: y <= y_limit


# --- rendering -----------------------------------------------------------


def render(size, layers):
    """Paints (shape, colour) layers bottom to top over white.

    A colour may be a function of the point, for shading, and may carry an
    alpha value as a fourth component (see over). Returns rows of
    (r, g, b) tuples, top row first.
    """
    rows = []
    step = 1.0 / SUBSAMPLES
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            for sy in range(SUBSAMPLES):
                y = py + (sy + 0.5) * step
                for sx in range(SUBSAMPLES):
                    x = px + (sx + 0.5) * step
                    colour = WHITE
                    for shape, paint in layers:
                        if shape(x, y):
                            colour = over(paint(x, y) if callable(paint) else paint, colour)
                    acc[0] += colour[0]
                    acc[1] += colour[1]
                    acc[2] += colour[2]
            n = SUBSAMPLES * SUBSAMPLES
            row.append(tuple(int(c / n + 0.5) for c in acc))
        rows.append(row)
    return rows


def over(paint, beneath):
    """An opaque (r, g, b) colour, or (r, g, b, alpha) blended over what is
    beneath it."""
    if len(paint) == 3:
        return paint
    a = paint[3]
    return tuple(paint[k] * a + beneath[k] * (1 - a) for k in range(3))


def outlined(shape_outer, shape_inner, edge, fill):
    """A filled shape with an edge: the outer shape in the edge colour, the
    inner one (the outer shrunk by the edge width) in the fill colour."""
    return [(shape_outer, edge), (shape_inner, fill)]


def prohibition_sign(cx, cy, r, stroke, halo):
    """White disc with a red ring and a red bar from upper left to lower
    right, set off from the picture beneath by a white margin."""
    bar = r - stroke / 2
    d = bar / math.sqrt(2)
    return [
        (disc(cx, cy, r + halo), WHITE),
        (ring(cx, cy, r, r - stroke), SIGN_RED),
        (intersect(disc(cx, cy, r - stroke / 2), band(cx - d, cy - d, cx + d, cy + d, stroke / 2)),
         SIGN_RED),
    ]


def person(cx, head_cy, head_r, body_cy, body_rx, body_ry, bottom, edge_w, shirt, shirt_edge):
    """A head over rounded shoulders, each with a darker edge."""
    body_clip = above(bottom)
    body_out = intersect(ellipse(cx, body_cy, body_rx, body_ry), body_clip)
    body_in = intersect(ellipse(cx, body_cy, body_rx - edge_w, body_ry - edge_w), body_clip)
    hair = intersect(disc(cx, head_cy, head_r - edge_w), above(head_cy - head_r * 0.35))
    return (
        outlined(body_out, body_in, shirt_edge, shirt)
        + outlined(disc(cx, head_cy, head_r), disc(cx, head_cy, head_r - edge_w), SKIN_EDGE, SKIN)
        + [(hair, HAIR)]
    )


def people_layers(size):
    if size == 32:
        back = person(19.5, 7.5, 4.6, 22.0, 8.6, 9.0, 26.0, 1.0, BACK_SHIRT, BACK_EDGE)
        front = person(11.0, 11.5, 5.2, 27.5, 9.8, 10.0, 32.0, 1.0, FRONT_SHIRT, FRONT_EDGE)
        sign = prohibition_sign(24.0, 24.0, 7.5, 2.4, 1.0)
    else:
        back = person(10.6, 3.8, 2.8, 11.3, 4.6, 4.9, 16.0, 0.7, BACK_SHIRT, BACK_EDGE)
        front = person(5.6, 6.0, 3.0, 14.4, 5.3, 5.6, 16.0, 0.7, FRONT_SHIRT, FRONT_EDGE)
        sign = prohibition_sign(11.5, 11.5, 4.5, 1.4, 0.5)
    return back + front + sign


def shaded(base, cx, cy, r):
    """The base colour lit from the upper left, as on a sphere."""
    lx, ly, lz = -0.45, -0.55, 0.70
    norm = math.sqrt(lx * lx + ly * ly + lz * lz)
    lx, ly, lz = lx / norm, ly / norm, lz / norm

    def paint(x, y):
        nx, ny = (x - cx) / r, (y - cy) / r
        nz = math.sqrt(max(0.0, 1.0 - nx * nx - ny * ny))
        light = max(0.0, nx * lx + ny * ly + nz * lz)
        f = 0.55 + 0.6 * light
        return tuple(min(255, int(c * f)) for c in base)

    return paint


def globe_layers(size):
    if size == 32:
        cx = cy = 13.5
        r, edge, grid_w = 12.0, 1.0, 0.45
        sign = prohibition_sign(24.0, 24.0, 7.5, 2.4, 1.0)
    else:
        cx = cy = 6.9
        r, edge, grid_w = 6.4, 0.75, 0.0
        sign = prohibition_sign(11.5, 11.5, 4.5, 1.4, 0.5)

    def at(u, v, ru):
        """A disc given in globe units: (u, v) from -1 to 1 across the globe."""
        return disc(cx + u * r, cy + v * r, ru * r)

    inner = disc(cx, cy, r - edge)
    # Two land masses built from overlapping discs, one to the left (a
    # continent running north to south) and one to the right.
    west = union(at(-0.45, -0.45, 0.30), at(-0.30, -0.15, 0.26), at(-0.18, 0.25, 0.22),
                 at(-0.10, 0.55, 0.16), at(-0.62, -0.20, 0.18))
    east = union(at(0.40, -0.55, 0.22), at(0.55, -0.10, 0.25), at(0.45, 0.30, 0.22),
                 at(0.20, -0.35, 0.14))
    layers = [
        (disc(cx, cy, r), GLOBE_EDGE),
        (inner, shaded(OCEAN, cx, cy, r)),
        (intersect(inner, union(west, east)), shaded(LAND, cx, cy, r)),
    ]
    if grid_w > 0:
        # Equator, two parallels, the central meridian and an elliptic pair
        # of meridians, drawn thin and half transparent.
        lines = union(
            band(cx - r, cy, cx + r, cy, grid_w),
            band(cx - r, cy - r * 0.5, cx + r, cy - r * 0.5, grid_w),
            band(cx - r, cy + r * 0.5, cx + r, cy + r * 0.5, grid_w),
            band(cx, cy - r, cx, cy + r, grid_w),
        )
        meridians = lambda x, y: abs(((x - cx) / (r * 0.5)) ** 2 + ((y - cy) / r) ** 2 - 1.0) <= (
            grid_w * 2.2 / r)
        layers.append((intersect(inner, union(lines, meridians)), GRID))
    return layers + sign


# --- colour reduction for the 8-bit files ----------------------------------


def palette_for(pixels, limit=256):
    """At most `limit` colours standing for the given pixels (median cut)."""
    counts = {}
    for p in pixels:
        counts[p] = counts.get(p, 0) + 1
    colours = sorted(counts)
    if len(colours) <= limit:
        return colours
    boxes = [colours]
    while len(boxes) < limit:
        best, best_range, best_axis = None, 0, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for axis in range(3):
                values = [c[axis] for c in box]
                spread = max(values) - min(values)
                if spread > best_range:
                    best, best_range, best_axis = i, spread, axis
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda c: c[best_axis])
        total = sum(counts[c] for c in box)
        running, cut = 0, 1
        for i, c in enumerate(box[:-1]):
            running += counts[c]
            if running * 2 >= total:
                cut = i + 1
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        weight = sum(counts[c] for c in box)
        palette.append(tuple(int(sum(c[k] * counts[c] for c in box) / weight + 0.5)
                             for k in range(3)))
    return sorted(set(palette))


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))


# --- file formats ------------------------------------------------------------

PELS_PER_METRE = 3780  # 96 dots per inch


def bmp_8bit(rows):
    size = len(rows)
    palette = palette_for([p for row in rows for p in row])
    index = {}
    stride = (size + 3) & ~3
    bits = bytearray()
    for row in reversed(rows):  # bottom-up
        for p in row:
            if p not in index:
                index[p] = nearest(palette, p)
            bits.append(index[p])
        bits += bytes(stride - size)
    table = bytearray()
    for r, g, b in palette + [(0, 0, 0)] * (256 - len(palette)):
        table += bytes((b, g, r, 0))
    return bmp_file(size, 8, 256, bytes(table), bytes(bits))


def bmp_24bit(rows):
    size = len(rows)
    stride = (size * 3 + 3) & ~3
    bits = bytearray()
    for row in reversed(rows):  # bottom-up
        for r, g, b in row:
            bits += bytes((b, g, r))
        bits += bytes(stride - size * 3)
    return bmp_file(size, 24, 0, b"", bytes(bits))


def bmp_file(size, bit_count, colours_used, table, bits):
    offset = 14 + 40 + len(table)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    info_header = struct.pack("<IiiHHIIiiII", 40, size, size, 1, bit_count, 0, len(bits),
                              PELS_PER_METRE, PELS_PER_METRE, colours_used, 0)
    return file_header + info_header + table + bits


def png_preview(rows, scale):
    raw = bytearray()
    for row in rows:
        line = bytearray()
        for p in row:
            line += bytes(p) * scale
        for _ in range(scale):
            raw += b"\0" + line

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    side = len(rows) * scale
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def decoded_8bit(data):
    """The colours the 8-bit file really shows, for the preview."""
    size = struct.unpack_from("<i", data, 18)[0]
    offset = struct.unpack_from("<I", data, 10)[0]
    table = data[54:offset]
    stride = (size + 3) & ~3
    rows = []
    for y in range(size - 1, -1, -1):
        row = []
        for x in range(size):
            i = data[offset + y * stride + x]
            b, g, r = table[i * 4:i * 4 + 3]
            row.append((r, g, b))
        rows.append(row)
    return rows


IMAGES = [
    ("block_senders_32", people_layers, 32, 8),
    ("block_domains_32", globe_layers, 32, 8),
    ("block_senders_16", people_layers, 16, 24),
    ("block_domains_16", globe_layers, 16, 24),
]


def main():
    parser = argparse.ArgumentParser(description="Draws the button images.")
    parser.add_argument("outdir")
    parser.add_argument("--preview", metavar="DIR", help="also write enlarged PNG copies here")
    parser.add_argument("--scale", type=int, default=10, help="enlargement of the previews")
    args = parser.parse_args()

    os.makedirs(args.outdir, exist_ok=True)
    for name, layers, size, depth in IMAGES:
        rows = render(size, layers(size))
        data = bmp_8bit(rows) if depth == 8 else bmp_24bit(rows)
        with open(os.path.join(args.outdir, name + ".bmp"), "wb") as f:
            f.write(data)
        if args.preview:
            os.makedirs(args.preview, exist_ok=True)
            shown = decoded_8bit(data) if depth == 8 else rows
            with open(os.path.join(args.preview, name + ".png"), "wb") as f:
                f.write(png_preview(shown, args.scale))


if __name__ == "__main__":
    main()
