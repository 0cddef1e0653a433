#!/usr/bin/python3
"""Pictures of the CAD files as independent readers see them, for reviewers
(extra.sh writes them into build-test/artifacts):

  render_views.py dxf-iges OUT.png FILE.dxf CURVES
      left the DXF's curves as ezdxf reads them (texts left out), right the
      IGES curves as OCCT reads them (CURVES: the output of occt_read
      --curves), both at the DXF's scale
  render_views.py stl OUT.png FILE.stl
      the STL seen along z: the facets grey, the normals of about 400 wall
      facets as red ticks from their centres

Plain RGB PNG, drawn here so that no plotting package is needed."""
import math
import struct
import sys
import zlib

import ezdxf
from ezdxf import disassemble

from check_views import TEXTS, facets

SIZE = 600  # pixels of one panel's longer side
MARGIN = 10


class Picture:
    def __init__(self, width, height):
        self.w, self.h = width, height
        self.pix = bytearray(b"\xff" * (3 * width * height))

    def line(self, x1, y1, x2, y2, rgb):
        n = max(1, int(max(abs(x2 - x1), abs(y2 - y1))))
        for k in range(n + 1):
            x = int(round(x1 + (x2 - x1) * k / n))
            y = int(round(y1 + (y2 - y1) * k / n))
            if 0 <= x < self.w and 0 <= y < self.h:
                self.pix[3 * (y * self.w + x):3 * (y * self.w + x) + 3] = bytes(rgb)

    def save(self, path):
        row = 3 * self.w
        raw = b"".join(b"\0" + bytes(self.pix[y * row:(y + 1) * row]) for y in range(self.h))

        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 2, 0, 0, 0)) +
                    chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


class View:
    """Drawing units to pixels: the box fills a panel, y up."""

    def __init__(self, box, left=0):
        (x0, y0), (x1, y1) = box
        self.x0, self.y0 = x0, y0
        self.scale = (SIZE - 2 * MARGIN) / max(x1 - x0, y1 - y0, 1e-9)
        self.height = int((y1 - y0) * self.scale) + 2 * MARGIN
        self.width = int((x1 - x0) * self.scale) + 2 * MARGIN
        self.left = left

    def px(self, x, y):
        return (self.left + MARGIN + (x - self.x0) * self.scale,
                self.height - 1 - MARGIN - (y - self.y0) * self.scale)

    def polyline(self, pic, points, rgb):
        for a, b in zip(points, points[1:]):
            pic.line(*self.px(*a), *self.px(*b), rgb)


def box_of(runs):
    xs = [p[0] for r in runs for p in r]
    ys = [p[1] for r in runs for p in r]
    return (min(xs), min(ys)), (max(xs), max(ys))


def dxf_runs(path):
    doc = ezdxf.readfile(path)
    curves = [e for e in disassemble.recursive_decompose(doc.modelspace()) if e.dxftype() not in TEXTS]
    runs = []
    for p in disassemble.to_primitives(curves):
        points = [(v.x, v.y) for v in p.vertices()]
        if p.path is None and len(points) == 4 and p.entity.dxftype() == "SOLID":
            points.append(points[0])
        if points:
            runs.append(points)
    return runs


def occt_runs(path):
    runs = []
    for line in open(path, encoding="latin-1"):
        w = line.split()
        if w and w[0] == "curve":
            v = [float(x) for x in w[1:]]
            runs.append(list(zip(v[0::2], v[1::2])))
    return runs


def render_dxf_iges(out, dxf, curves):
    left, right = dxf_runs(dxf), occt_runs(curves)
    box = box_of(left)
    a = View(box)
    b = View(box, a.width)
    pic = Picture(2 * a.width, a.height)
    for r in left:
        a.polyline(pic, r, (0, 0, 0))
    for r in right:
        b.polyline(pic, r, (0, 0, 160))
    pic.line(a.width, 0, a.width, a.height - 1, (160, 160, 160))
    pic.save(out)


def render_stl(out, path):
    tris = [[[float(c) for c in v] for v in t] for t in facets(path)]
    runs = [[(v[0], v[1]) for v in t + [t[0]]] for t in tris]
    (x0, y0), (x1, y1) = box_of(runs)
    tick = 0.05 * max(x1 - x0, y1 - y0)
    view = View(((x0 - tick, y0 - tick), (x1 + tick, y1 + tick)))
    pic = Picture(view.width, view.height)
    for r in runs:
        view.polyline(pic, r, (170, 170, 170))
    walls = []
    for p in tris:
        a = [p[1][k] - p[0][k] for k in range(3)]
        b = [p[2][k] - p[0][k] for k in range(3)]
        n = (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])
        length = math.hypot(*n)
        if length > 0 and abs(n[2]) < 0.5 * length:
            walls.append((p, n[0] / length, n[1] / length))
    for p, nx, ny in walls[::max(1, len(walls) // 400)]:
        cx, cy = sum(v[0] for v in p) / 3, sum(v[1] for v in p) / 3
        view.polyline(pic, [(cx, cy), (cx + tick * nx, cy + tick * ny)], (200, 0, 0))
    pic.save(out)


def main(argv):
    if len(argv) == 5 and argv[1] == "dxf-iges":
        render_dxf_iges(argv[2], argv[3], argv[4])
    elif len(argv) == 4 and argv[1] == "stl":
        render_stl(argv[2], argv[3])
    else:
        print(__doc__, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
