#!/usr/bin/env python3
"""Writes packaging/icons/brimsel-{32,48,256}.png from the window icon ico_tarvel.xpm.

The installed desktop entry takes its icon from these pictures (hicolor theme). Each size is
an area average of the 32 x 32 picture: 32 is the picture itself, 256 repeats every pixel
8 x 8, 48 blends the pixels that a target pixel straddles. Only the standard library is used
and nothing depends on the clock, so running it again gives the same files.
Usage: scripts/gui-icon-png.py   (from anywhere; paths are relative to the repository)
"""
import math
import pathlib
import re
import struct
import zlib

ROOT = pathlib.Path(__file__).resolve().parent.parent
XPM = ROOT / "src/ui/qt/resources/ico_tarvel.xpm"
OUT = ROOT / "packaging/icons"
SIZES = (32, 48, 256)


def read_xpm(path):
    """Returns the picture as rows of (r, g, b, a) tuples."""
    strings = re.findall(r'"((?:[^"\\]|\\.)*)"', path.read_text(encoding="ascii"))
    width, height, ncolours, cpp = (int(v) for v in strings[0].split()[:4])
    colours = {}
    for line in strings[1 : 1 + ncolours]:
        key, rest = line[:cpp], line[cpp:].split()
        value = rest[rest.index("c") + 1]
        if value.lower() == "none":
            colours[key] = (0, 0, 0, 0)
        else:
            colours[key] = tuple(int(value[i : i + 2], 16) for i in (1, 3, 5)) + (255,)
    rows = strings[1 + ncolours : 1 + ncolours + height]
    return [[colours[row[x * cpp : (x + 1) * cpp]] for x in range(width)] for row in rows]


def axis_weights(source, target):
    """For each target index, the (source index, overlap) pairs on a common integer grid."""
    common = source * target // math.gcd(source, target)
    step_s, step_t = common // source, common // target
    weights = []
    for t in range(target):
        lo, hi = t * step_t, (t + 1) * step_t
        weights.append([(s, min(hi, (s + 1) * step_s) - max(lo, s * step_s))
                        for s in range(lo // step_s, (hi - 1) // step_s + 1)])
    return weights, step_t


def resize(picture, size):
    """Area average with premultiplied alpha, in integers so the result never varies."""
    wy, step = axis_weights(len(picture), size)
    wx, _ = axis_weights(len(picture[0]), size)
    area = step * step
    out = []
    for y in range(size):
        row = []
        for x in range(size):
            sums = [0, 0, 0, 0]
            for sy, ky in wy[y]:
                for sx, kx in wx[x]:
                    r, g, b, a = picture[sy][sx]
                    k = ky * kx
                    sums[0] += k * a * r
                    sums[1] += k * a * g
                    sums[2] += k * a * b
                    sums[3] += k * a
            alpha = sums[3]
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                rgb = tuple((c + alpha // 2) // alpha for c in sums[:3])
                row.append(rgb + ((alpha + area // 2) // area,))
        out.append(row)
    return out


def png(picture):
    """An 8-bit RGBA PNG with no ancillary chunk (no time, no gamma)."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    height, width = len(picture), len(picture[0])
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in picture)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main() -> None:
    picture = read_xpm(XPM)
    OUT.mkdir(parents=True, exist_ok=True)
    for size in SIZES:
        path = OUT / f"brimsel-{size}.png"
        path.write_bytes(png(resize(picture, size)))
        print(path.relative_to(ROOT))


if __name__ == "__main__":
    main()
