#!/usr/bin/python3
"""Checks a hicolor-style icon tree: check-icons.py <root> <name> <size>...

Each <root>/<size>x<size>/apps/<name>.png must be an RGBA PNG of exactly that
size with a drawing on a transparent ground: the corners clear, and neither
blank nor filled edge to edge. <root>/scalable/apps/<name>.svg must be an SVG
drawing on a square, and <root>/symbolic/apps/<name>-symbolic.svg one drawn
in a single colour with filled shapes only, as the desktop recolours it.
"""
import re
import struct
import sys
import xml.etree.ElementTree as ET
import zlib

SVG = "{http://www.w3.org/2000/svg}"
DRAWING = {"path", "rect", "circle", "ellipse", "line", "polyline", "polygon"}


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos, header, idat = 8, None, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    width, height, depth, colour, _, _, interlace = header
    if (depth, colour, interlace) != (8, 6, 0):
        raise ValueError(f"not 8-bit RGBA without interlace: {header}")
    return width, height, unfilter(zlib.decompress(idat), width, height, 4)


def unfilter(raw, width, height, bpp):
    stride = width * bpp
    rows, prev, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 0xFF
        rows.append(line)
        prev = line
    return rows


def check(path, size):
    width, height, rows = read_png(path)
    if (width, height) != (size, size):
        return f"{path}: {width}x{height}, expected {size}x{size}"
    alpha = [row[x * 4 + 3] for row in rows for x in range(width)]
    corners = [rows[y][x * 4 + 3] for y in (0, size - 1) for x in (0, size - 1)]
    drawn = sum(1 for a in alpha if a > 0) / len(alpha)
    if any(corners):
        return f"{path}: the corners are not transparent"
    if not 0.2 <= drawn <= 0.95:
        return f"{path}: {drawn:.0%} of the pixels are drawn"
    return None


def drawn_shapes(path):
    """Each drawing element of an SVG file with the fill and stroke it gets."""
    root = ET.parse(path).getroot()
    if root.tag != SVG + "svg":
        raise ValueError("not an SVG drawing")
    box = [float(v) for v in re.split(r"[ ,]+", root.get("viewBox", "").strip()) if v]
    if len(box) != 4 or box[2] <= 0 or box[2] != box[3]:
        raise ValueError(f"no square viewBox: {root.get('viewBox')}")
    shapes = []

    def walk(node, fill, stroke):
        fill = node.get("fill", fill)
        stroke = node.get("stroke", stroke)
        tag = node.tag[len(SVG):] if node.tag.startswith(SVG) else node.tag
        if tag == "image":
            raise ValueError("holds a raster image")
        if tag in DRAWING:
            shapes.append((fill, stroke))
        for child in node:
            walk(child, fill, stroke)

    walk(root, "black", "none")
    if not shapes:
        raise ValueError("draws nothing")
    return shapes


def check_scalable(path, symbolic):
    shapes = drawn_shapes(path)
    if symbolic:
        fills = {fill for fill, _ in shapes}
        strokes = {stroke for _, stroke in shapes}
        if len(fills) != 1 or "none" in fills or strokes != {"none"}:
            return f"{path}: not one colour of filled shapes: fills {fills}, strokes {strokes}"
    return None


def main(argv):
    if len(argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    root, name, sizes = argv[1], argv[2], [int(s) for s in argv[3:]]
    faults = []
    for size in sizes:
        path = f"{root}/{size}x{size}/apps/{name}.png"
        try:
            fault = check(path, size)
        except (OSError, ValueError, zlib.error, struct.error, TypeError) as e:
            fault = f"{path}: {e}"
        if fault:
            faults.append(fault)
        else:
            print(f"{path}: {size}x{size} ok")
    for folder, suffix, symbolic in (("scalable", "", False), ("symbolic", "-symbolic", True)):
        path = f"{root}/{folder}/apps/{name}{suffix}.svg"
        try:
            fault = check_scalable(path, symbolic)
        except (OSError, ValueError, ET.ParseError) as e:
            fault = f"{path}: {e}"
        if fault:
            faults.append(fault)
        else:
            print(f"{path}: ok")
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
