#!/usr/bin/env python3
"""Draws the Block Senders and Block Domains button images as BMP files.

    make_images.py OUTDIR [--preview DIR] [--scale N]

Writes into OUTDIR block_senders_N.bmp and block_domains_N.bmp for N = 16,
20, 24, 32, 40, 48 and 64: N x N pixels, 32 bits per pixel (blue, green,
red, alpha; the colour not premultiplied), bottom-up, BI_RGB with a
BITMAPINFOHEADER, 54 + 4 N N bytes.

Block Senders shows two people, Block Domains a globe; both carry a red
prohibition sign (a ring crossed by a bar) in the lower right corner. The
background is transparent, so the buttons sit on any ribbon colour, dark and
high-contrast themes included. Sizes from 24 up are the 32-pixel drawing
scaled, 16 and 20 the simpler 16-pixel one. Shapes are sampled 8 x 8 times
per pixel, so edges are anti-aliased into the alpha channel.

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


CLEAR = (0, 0, 0, 0.0)


def render(size, layers):
    """Paints (shape, colour) layers bottom to top over a clear background.

    A colour may be a function of the point, for shading, and may carry an
    alpha value as a fourth component (see over). Returns rows of
    (r, g, b, a) tuples, a from 0 to 255, the colour not premultiplied,
    top row first; a clear pixel is (0, 0, 0, 0).
    """
    rows = []
    step = 1.0 / SUBSAMPLES
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied colour, coverage
            for sy in range(SUBSAMPLES):
                y = py + (sy + 0.5) * step
                for sx in range(SUBSAMPLES):
                    x = px + (sx + 0.5) * step
                    colour = CLEAR
                    for shape, paint in layers:
                        if shape(x, y):
                            colour = over_clear(paint(x, y) if callable(paint) else paint, colour)
                    a = colour[3]
                    acc[0] += colour[0] * a
                    acc[1] += colour[1] * a
                    acc[2] += colour[2] * a
                    acc[3] += a
            n = SUBSAMPLES * SUBSAMPLES
            alpha = int(acc[3] / n * 255 + 0.5)
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(min(255, int(c / acc[3] + 0.5)) for c in acc[:3]) + (alpha,))
        rows.append(row)
    return rows


def over(paint, beneath):
    """An opaque (r, g, b) colour, or (r, g, b, alpha) blended over the
    opaque (r, g, b) colour beneath it (make_icon.py paints this way)."""
    if len(paint) == 3:
        return paint
    a = paint[3]
    return tuple(paint[k] * a + beneath[k] * (1 - a) for k in range(3))


def over_clear(paint, beneath):
    """An opaque (r, g, b) colour, or (r, g, b, alpha) blended over what is
    beneath it, which is (r, g, b, alpha) with alpha from 0 to 1."""
    a = paint[3] if len(paint) == 4 else 1.0
    b = beneath[3]
    out = a + b * (1 - a)
    if out == 0:
        return CLEAR
    return tuple((paint[k] * a + beneath[k] * b * (1 - a)) / out for k in range(3)) + (out,)


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


def scaled(shape, factor):
    """The shape drawn `factor` times larger."""
    return lambda x, y: shape(x / factor, y / factor)


def scaled_layers(layers, factor):
    return [(scaled(shape, factor),
             (lambda p: lambda x, y: p(x / factor, y / factor))(paint) if callable(paint) else paint)
            for shape, paint in layers]


def design_size(size):
    """The drawing an image of `size` pixels is scaled from: 16 or 32."""
    return 16 if size < 24 else 32


def people_layers(size):
    design = design_size(size)
    return scaled_layers(people_design(design), size / design)


def globe_layers(size):
    design = design_size(size)
    return scaled_layers(globe_design(design), size / design)


def people_design(size):
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


def globe_design(size):
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


# --- file formats ------------------------------------------------------------

PELS_PER_METRE = 3780  # 96 dots per inch


def bmp_32bit(rows):
    size = len(rows)
    bits = bytearray()
    for row in reversed(rows):  # bottom-up
        for r, g, b, a in row:
            bits += bytes((b, g, r, a))
    return bmp_file(size, 32, 0, b"", bytes(bits))


def bmp_file(size, bit_count, colours_used, table, bits):
    offset = 14 + 40 + len(table)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    info_header = struct.pack("<IiiHHIIiiII", 40, size, size, 1, bit_count, 0, len(bits),
                              PELS_PER_METRE, PELS_PER_METRE, colours_used, 0)
    return file_header + info_header + table + bits


def png_preview(rows, scale):
    """An enlarged copy of rows of (r, g, b), or of (r, g, b, a) shown on a
    light grey, which shows what is transparent."""
    raw = bytearray()
    for row in rows:
        line = bytearray()
        for pixel in row:
            f = pixel[3] / 255 if len(pixel) == 4 else 1.0
            line += bytes(int(c * f + 200 * (1 - f) + 0.5) for c in pixel[:3]) * scale
        for _ in range(scale):
            raw += b"\0" + line

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    side = len(rows) * scale
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


SIZES = (16, 20, 24, 32, 40, 48, 64)
IMAGES = [(f"{name}_{size}", layers, size) for name, layers in
          (("block_senders", people_layers), ("block_domains", globe_layers)) for size in SIZES]


def main():
    parser = argparse.ArgumentParser(description="Draws the button images.")
    parser.add_argument("outdir")
    parser.add_argument("--preview", metavar="DIR", help="also write enlarged PNG copies here")
    parser.add_argument("--scale", type=int, default=10, help="enlargement of the previews")
    args = parser.parse_args()

    os.makedirs(args.outdir, exist_ok=True)
    for name, layers, size in IMAGES:
        rows = render(size, layers(size))
        data = bmp_32bit(rows)
        with open(os.path.join(args.outdir, name + ".bmp"), "wb") as f:
            f.write(data)
        if args.preview:
            os.makedirs(args.preview, exist_ok=True)
            with open(os.path.join(args.preview, name + ".png"), "wb") as f:
                f.write(png_preview(rows, args.scale))


if __name__ == "__main__":
    main()
