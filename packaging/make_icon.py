#!/usr/bin/env python3
"""Draws the workshop's icon, or the stand-in's, and writes it as a Windows .ico
(and, optionally, PNGs).

The mark: a white speech balloon with three level bars in it, on a blue rounded
square - text going out to be spoken. The stand-in's is the same balloon turned
round (its tail on the right: what arrives) on a green square. --welcome draws the
installer's welcome and finish picture instead: the workshop's mark, large, on its
blue, as a 164 x 314 bitmap. It is drawn on a 16-unit grid, so that at 16,
32, 48 and 256 pixels every straight edge falls on a pixel boundary; 24 pixels has
its own hand-placed grid for the same reason. Only the rounded corners and the
balloon's tail are anti-aliased (8 x 8 samples a pixel). The output depends on
nothing but this file: the same bytes on every run.

usage: make_icon.py [--standin] OUT.ico [PNG_DIR] | --welcome OUT.bmp
"""
import struct
import sys
import zlib

WHITE = (0xFF, 0xFF, 0xFF)
# (tile, its darker lower edge) of each program's icon.
WORKSHOP_COLOURS = ((0x1E, 0x5A, 0xA8), (0x17, 0x47, 0x86))
STANDIN_COLOURS = ((0x1B, 0x7A, 0x4A), (0x14, 0x5E, 0x39))
SIZES = (256, 48, 32, 24, 16)

# Geometry in pixels at 16 px; scaled by whole factors to 32, 48 and 256.
# (left, top, right, bottom, corner radius); the tail as a triangle.
GRID_16 = {
    "tile": (0, 0, 16, 16, 3),
    "balloon": (2, 2, 14, 11, 2),
    "tail": ((4, 10.5), (8, 10.5), (3.5, 14.5)),
    "bars": ((4, 5, 6, 9), (7, 4, 9, 10), (10, 5, 12, 9)),
}
# 24 px: 1.5 times 16 would put edges on half pixels.
GRID_24 = {
    "tile": (0, 0, 24, 24, 4),
    "balloon": (3, 3, 21, 16, 3),
    "tail": ((6, 15.5), (12, 15.5), (5, 21.5)),
    "bars": ((7, 8, 9, 13), (11, 6, 13, 15), (15, 8, 17, 13)),
}


def geometry(size, mirrored=False):
    if size == 24:
        g = dict(GRID_24)
    else:
        k = size / 16
        scale4 = lambda r: tuple(v * k for v in r)
        g = {
            "tile": scale4(GRID_16["tile"]),
            "balloon": scale4(GRID_16["balloon"]),
            "tail": tuple((x * k, y * k) for x, y in GRID_16["tail"]),
            "bars": tuple(scale4(b) for b in GRID_16["bars"]),
        }
    # Tile, balloon and bars are symmetric: only the tail moves to the other side.
    if mirrored:
        g["tail"] = tuple((size - x, y) for x, y in g["tail"])
    return g


def in_round_rect(x, y, rect):
    left, top, right, bottom, r = rect
    if x < left or x >= right or y < top or y >= bottom:
        return False
    cx = min(max(x, left + r), right - r)
    cy = min(max(y, top + r), bottom - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_triangle(x, y, tri):
    (ax, ay), (bx, by), (cx, cy) = tri
    d1 = (x - bx) * (ay - by) - (ax - bx) * (y - by)
    d2 = (x - cx) * (by - cy) - (bx - cx) * (y - cy)
    d3 = (x - ax) * (cy - ay) - (cx - ax) * (y - ay)
    return not ((d1 < 0 or d2 < 0 or d3 < 0) and (d1 > 0 or d2 > 0 or d3 > 0))


def in_rect(x, y, rect):
    left, top, right, bottom = rect
    return left <= x < right and top <= y < bottom


def sample(x, y, g, size, colours):
    """Colour and opacity at one point: the tile, the balloon on it, the bars on that."""
    tile, tile_dark = colours
    if not in_round_rect(x, y, g["tile"]):
        return None
    if any(in_rect(x, y, b) for b in g["bars"]):
        return tile
    if in_round_rect(x, y, g["balloon"]) or in_triangle(x, y, g["tail"]):
        return WHITE
    # A darker lower edge from 32 px up gives the tile some depth.
    if size >= 32 and y >= size - size / 16:
        return tile_dark
    return tile


def render(size, standin=False):
    """Rows of (r, g, b, a), top to bottom, straight (not premultiplied) alpha."""
    g = geometry(size, mirrored=standin)
    colours = STANDIN_COLOURS if standin else WORKSHOP_COLOURS
    n = 8
    offsets = [(i + 0.5) / n for i in range(n)]
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            # A pixel whose corners and centre agree lies inside one shape: no sampling.
            probes = {sample(px + dx, py + dy, g, size, colours) for dx, dy in ((0, 0), (0.999, 0), (0, 0.999), (0.999, 0.999), (0.5, 0.5))}
            if len(probes) == 1:
                c = probes.pop()
                row.append((*c, 255) if c else (0, 0, 0, 0))
                continue
            r = gr = b = covered = 0
            for oy in offsets:
                for ox in offsets:
                    c = sample(px + ox, py + oy, g, size, colours)
                    if c:
                        r += c[0]; gr += c[1]; b += c[2]; covered += 1
            # A speck of a corner (under 1/16 covered) would only blur the edge.
            if covered * 16 >= n * n:
                row.append((round(r / covered), round(gr / covered), round(b / covered), round(255 * covered / (n * n))))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def png(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib(rows):
    """A 32-bit icon bitmap: header, BGRA rows bottom-up, then the 1-bit mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, px in enumerate(row):
            if px[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def welcome_bitmap():
    """The installer's side picture: 164 x 314, 24-bit, rows bottom-up."""
    width, height, mark, left, top = 164, 314, 128, 18, 56
    r0, g0, b0 = WORKSHOP_COLOURS[0]
    rows = render(mark)
    pixels = []
    for y in range(height):
        row = []
        for x in range(width):
            r, g, b = r0, g0, b0
            if left <= x < left + mark and top <= y < top + mark:
                pr, pg, pb, pa = rows[y - top][x - left]
                # Only the balloon and its edges show: not the mark's own tile.
                if pa == 255 and (pr, pg, pb) not in WORKSHOP_COLOURS:
                    r, g, b = pr, pg, pb
            row.append((r, g, b))
        pixels.append(row)
    stride = (width * 3 + 3) // 4 * 4
    data = b"".join(bytes(v for (r, g, b) in row for v in (b, g, r)).ljust(stride, b"\0") for row in reversed(pixels))
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(header) + len(data), 0, 0, 14 + len(header)) + header + data


def main():
    args = sys.argv[1:]
    if args[:1] == ["--welcome"] and len(args) == 2:
        with open(args[1], "wb") as f:
            f.write(welcome_bitmap())
        return
    standin = args[:1] == ["--standin"]
    if standin:
        args = args[1:]
    if len(args) not in (1, 2):
        sys.exit(__doc__.strip().splitlines()[-1])
    images = []
    for size in SIZES:
        rows = render(size, standin)
        # Windows reads PNG only for the large entry; the small ones are bitmaps.
        images.append((size, png(rows) if size >= 256 else dib(rows)))
        if len(args) == 2:
            with open(f"{args[1]}/icon-{size}.png", "wb") as f:
                f.write(png(rows))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    with open(args[0], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
