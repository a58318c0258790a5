#!/usr/bin/env python3
"""Draws every picture of the Windows program: the program icon, the group
pictures, the button and status pictures and the About banner.

Standard library only. The output is committed beside this script, so a build
never needs Python; run it again after changing a drawing:

    python3 ui/res/make_pictures.py
"""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SUB = 4  # sub-samples per axis, for smooth edges


# --- shapes: each is a predicate over a point in a 0..1 square ------------------

def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def polygon(points):
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            if (ay > y) != (by > y):
                if x < ax + (y - ay) * (bx - ax) / (by - ay):
                    hit = not hit
        return hit
    return inside


def segment(ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half_width * half_width
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def gear(cx, cy, r_body, r_teeth, r_hole, teeth):
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if d < r_hole:
            return False
        if d <= r_body:
            return True
        if d > r_teeth:
            return False
        angle = math.atan2(y - cy, x - cx) * teeth / (2 * math.pi)
        return (angle - math.floor(angle)) < 0.5
    return inside


def render(size, layers):
    """Paints layers of (shape, (r, g, b, a)) in order; returns rows of RGBA."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(SUB):
                for sx in range(SUB):
                    x = (px + (sx + 0.5) / SUB) / size
                    y = (py + (sy + 0.5) / SUB) / size
                    cr = cg = cb = ca = 0.0
                    for shape, (lr, lg, lb, la) in layers:
                        if shape(x, y):
                            alpha = la / 255.0
                            cr = lr * alpha + cr * (1 - alpha)
                            cg = lg * alpha + cg * (1 - alpha)
                            cb = lb * alpha + cb * (1 - alpha)
                            ca = alpha + ca * (1 - alpha)
                    r += cr
                    g += cg
                    b += cb
                    a += ca
            n = SUB * SUB
            if a > 0:
                row.append((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


# --- a tiny bitmap font for the banner and the EXE label -----------------------

GLYPHS = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "B": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    "C": ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "G": ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    "H": ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "Q": ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "X": ["10001", "10001", "01010", "00100", "01010", "10001", "10001"],
    " ": ["00000"] * 7,
}


def text_shape(text, x0, y0, cell):
    """The text as a shape, each font pixel a cell-sized square (0..1 units)."""
    boxes = []
    for i, ch in enumerate(text):
        for gy, line in enumerate(GLYPHS[ch]):
            for gx, bit in enumerate(line):
                if bit == "1":
                    left = x0 + (i * 6 + gx) * cell
                    top = y0 + gy * cell
                    boxes.append((left, top, left + cell, top + cell))

    def inside(x, y):
        return any(l <= x < r and t <= y < b for l, t, r, b in boxes)
    return inside


# --- the pictures ---------------------------------------------------------------

WHITE = (255, 255, 255, 255)
SHADOW = (40, 40, 40, 255)


def hourglass():
    frame = (120, 72, 32, 255)
    glass = (215, 235, 250, 255)
    sand = (232, 182, 60, 255)
    return [
        (polygon([(0.22, 0.12), (0.78, 0.12), (0.54, 0.5), (0.78, 0.88), (0.22, 0.88), (0.46, 0.5)]),
         (70, 100, 130, 255)),
        (polygon([(0.27, 0.15), (0.73, 0.15), (0.51, 0.5), (0.73, 0.85), (0.27, 0.85), (0.49, 0.5)]), glass),
        (polygon([(0.36, 0.3), (0.64, 0.3), (0.5, 0.5)]), sand),
        (polygon([(0.5, 0.6), (0.7, 0.84), (0.3, 0.84)]), sand),
        (rect(0.47, 0.48, 0.53, 0.8), sand),
        (rect(0.15, 0.06, 0.85, 0.15), frame),
        (rect(0.15, 0.85, 0.85, 0.94), frame),
    ]


def gear_window():
    return [
        (rect(0.04, 0.08, 0.72, 0.66), (50, 70, 110, 255)),
        (rect(0.07, 0.11, 0.69, 0.22), (60, 120, 210, 255)),
        (rect(0.07, 0.23, 0.69, 0.63), WHITE),
        (rect(0.58, 0.13, 0.66, 0.2), (220, 70, 60, 255)),
        (gear(0.66, 0.66, 0.25, 0.32, 0.0, 8), (60, 60, 60, 255)),
        (gear(0.66, 0.66, 0.22, 0.29, 0.0, 8), (150, 155, 165, 255)),
        (circle(0.66, 0.66, 0.1), (60, 60, 60, 255)),
        (circle(0.66, 0.66, 0.07), WHITE),
    ]


def certificate():
    seal = (200, 40, 40, 255)
    return [
        (rect(0.06, 0.12, 0.94, 0.8), (110, 110, 120, 255)),
        (rect(0.09, 0.15, 0.91, 0.77), (255, 250, 232, 255)),
        (rect(0.18, 0.24, 0.82, 0.29), (90, 90, 140, 255)),
        (rect(0.18, 0.36, 0.6, 0.4), (150, 150, 150, 255)),
        (rect(0.18, 0.46, 0.55, 0.5), (150, 150, 150, 255)),
        (rect(0.18, 0.56, 0.5, 0.6), (150, 150, 150, 255)),
        (polygon([(0.62, 0.68), (0.7, 0.68), (0.66, 0.98), (0.6, 0.92)]), (170, 30, 30, 255)),
        (polygon([(0.76, 0.68), (0.84, 0.68), (0.86, 0.92), (0.8, 0.98)]), (170, 30, 30, 255)),
        (circle(0.73, 0.64, 0.16), (140, 20, 20, 255)),
        (circle(0.73, 0.64, 0.13), seal),
        (ring(0.73, 0.64, 0.09, 0.07), (250, 200, 80, 255)),
    ]


def one_key(cx, cy, angle, color, dark):
    ca, sa = math.cos(angle), math.sin(angle)

    def at(u, v):
        return (cx + u * ca - v * sa, cy + u * sa + v * ca)

    ax, ay = at(0.2, 0)
    bx, by = at(0.62, 0)
    t1 = polygon([at(0.45, 0), at(0.52, 0), at(0.52, 0.12), at(0.45, 0.12)])
    t2 = polygon([at(0.55, 0), at(0.62, 0), at(0.62, 0.1), at(0.55, 0.1)])
    body = union(ring(cx, cy, 0.17, 0.07), segment(ax, ay, bx, by, 0.05), t1, t2)
    return [(body, dark), (minus(body, ring(cx, cy, 0.09, 0.0)), color)]


def keys():
    gold = (230, 180, 40, 255)
    silver = (185, 190, 200, 255)
    layers = one_key(0.26, 0.3, math.radians(40), silver, (90, 90, 100, 255))
    layers += one_key(0.22, 0.62, math.radians(-20), gold, (130, 90, 20, 255))
    # Outline by redrawing the key a little darker underneath is enough at 32 px.
    return layers


def exe_file():
    page = polygon([(0.18, 0.04), (0.64, 0.04), (0.84, 0.24), (0.84, 0.96), (0.18, 0.96)])
    inner = polygon([(0.21, 0.07), (0.62, 0.07), (0.81, 0.26), (0.81, 0.93), (0.21, 0.93)])
    fold = polygon([(0.62, 0.04), (0.84, 0.26), (0.62, 0.26)])
    return [
        (page, (90, 90, 100, 255)),
        (inner, WHITE),
        (fold, (200, 205, 215, 255)),
        (rect(0.1, 0.46, 0.9, 0.78), (40, 90, 180, 255)),
        (text_shape("EXE", 0.18, 0.52, 0.04), WHITE),
    ]


def red_cross():
    red = (210, 30, 30, 255)
    return [
        (segment(0.2, 0.2, 0.8, 0.8, 0.12), red),
        (segment(0.8, 0.2, 0.2, 0.8, 0.12), red),
    ]


def green_plus():
    green = (30, 160, 50, 255)
    dark = (20, 100, 30, 255)
    return [
        (union(rect(0.38, 0.08, 0.62, 0.92), rect(0.08, 0.38, 0.92, 0.62)), dark),
        (union(rect(0.43, 0.13, 0.57, 0.87), rect(0.13, 0.43, 0.87, 0.57)), green),
    ]


def prohibition():
    red = (210, 30, 30, 255)
    return [
        (ring(0.5, 0.5, 0.44, 0.3), red),
        (minus(segment(0.22, 0.22, 0.78, 0.78, 0.08), ring(0.5, 0.5, 1.0, 0.44)), red),
    ]


def blank():
    return []


def check_mark():
    return [
        (circle(0.5, 0.5, 0.47), (20, 120, 40, 255)),
        (circle(0.5, 0.5, 0.41), (40, 175, 60, 255)),
        (segment(0.27, 0.52, 0.43, 0.68, 0.075), WHITE),
        (segment(0.43, 0.68, 0.74, 0.33, 0.075), WHITE),
    ]


def warning():
    return [
        (polygon([(0.5, 0.03), (0.98, 0.92), (0.02, 0.92)]), (170, 90, 0, 255)),
        (polygon([(0.5, 0.13), (0.89, 0.86), (0.11, 0.86)]), (250, 150, 20, 255)),
        (rect(0.44, 0.33, 0.56, 0.62), (30, 30, 30, 255)),
        (rect(0.44, 0.69, 0.56, 0.8), (30, 30, 30, 255)),
    ]


def program_icon():
    # A signed document: the page with a green check seal.
    page = polygon([(0.14, 0.04), (0.62, 0.04), (0.82, 0.24), (0.82, 0.92), (0.14, 0.92)])
    inner = polygon([(0.18, 0.08), (0.6, 0.08), (0.78, 0.26), (0.78, 0.88), (0.18, 0.88)])
    return [
        (page, (40, 70, 120, 255)),
        (inner, WHITE),
        (polygon([(0.6, 0.04), (0.82, 0.26), (0.6, 0.26)]), (190, 200, 220, 255)),
        (rect(0.26, 0.3, 0.62, 0.36), (40, 90, 180, 255)),
        (rect(0.26, 0.44, 0.56, 0.49), (160, 160, 170, 255)),
        (rect(0.26, 0.56, 0.5, 0.61), (160, 160, 170, 255)),
        (circle(0.7, 0.74, 0.26), (20, 110, 40, 255)),
        (circle(0.7, 0.74, 0.22), (40, 175, 60, 255)),
        (segment(0.58, 0.75, 0.67, 0.84, 0.04), WHITE),
        (segment(0.67, 0.84, 0.83, 0.64, 0.04), WHITE),
    ]


# --- file writers ---------------------------------------------------------------

def ico_image(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + pixels + mask


def write_ico(name, drawing, sizes):
    images = [(size, ico_image(render(size, drawing()))) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(out)


def write_bmp24(name, width, height, pixel):
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for y in reversed(range(height)):
        line = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            line += bytes((b, g, r))
        line += bytes(stride - width * 3)
        data += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(header + info + data)


def banner():
    width, height = 388, 96
    title = text_shape("QUORVEL", 0, 0, 1)
    sub = text_shape("BATCH CODE SIGNING", 0, 0, 1)
    seal = render(72, program_icon())

    def pixel(x, y):
        t = x / (width - 1)
        r = round(22 + 30 * t)
        g = round(48 + 60 * t)
        b = round(96 + 90 * t)
        # Title: 6-pixel cells at (96, 14); subtitle: 2-pixel cells at (98, 66).
        if title((x - 96) / 6, (y - 14) / 6) and 96 <= x and 14 <= y < 56:
            return (255, 255, 255)
        if sub((x - 98) / 2, (y - 66) / 2) and 98 <= x and 66 <= y < 80:
            return (190, 215, 250)
        if 12 <= x < 84 and 12 <= y < 84:
            sr, sg, sb, sa = seal[y - 12][x - 12]
            a = sa / 255.0
            return (round(sr * a + r * (1 - a)), round(sg * a + g * (1 - a)), round(sb * a + b * (1 - a)))
        return (r, g, b)

    write_bmp24("banner.bmp", width, height, pixel)


def main():
    write_ico("Quorvel.ico", program_icon, [16, 32, 48, 64, 128, 256])
    for name, drawing in [("hourglass", hourglass), ("gearwindow", gear_window),
                          ("certificate", certificate), ("keys", keys), ("exefile", exe_file)]:
        write_ico(name + ".ico", drawing, [32])
    for name, drawing in [("cross", red_cross), ("plus", green_plus), ("prohibited", prohibition),
                          ("blank", blank), ("signed", check_mark), ("failed", warning)]:
        write_ico(name + ".ico", drawing, [16])
    banner()


if __name__ == "__main__":
    main()
