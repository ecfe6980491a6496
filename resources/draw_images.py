#!/usr/bin/env python3
"""Draws the program's embedded images into resources/images.

Standard library only: every picture is a list of shapes given by signed distance
functions in a 0..100 design square, rendered with analytic anti-aliasing and
written as PNG (8-bit palette or RGBA) or XPM. Run it again after changing a
drawing and commit the images it writes:

    python3 resources/draw_images.py
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "images")

# Palette of the drawings.
BLUE = (41, 121, 255)
DARK_BLUE = (21, 72, 170)
TEAL = (0, 150, 170)
GREEN = (67, 160, 71)
DARK_GREEN = (46, 125, 50)
RED = (229, 57, 53)
ORANGE = (251, 140, 0)
YELLOW = (255, 193, 7)
PURPLE = (123, 31, 162)
GREY = (84, 110, 122)
LIGHT_GREY = (176, 190, 197)
PAPER = (255, 255, 255)
PAPER_EDGE = (120, 144, 156)
BROWN = (161, 110, 60)
LIGHT_BROWN = (205, 150, 90)
WHITE = (255, 255, 255)


# ---------------------------------------------------------------- shapes
class Shape:
    def __init__(self, sdf, bbox):
        self.sdf = sdf
        self.bbox = bbox  # x0, y0, x1, y1 in design units


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def ring(cx, cy, r, width):
    h = width / 2.0
    return Shape(lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - h,
                 (cx - r - h, cy - r - h, cx + r + h, cy + r + h))


def rrect(x0, y0, x1, y1, radius=0.0):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - radius, (y1 - y0) / 2.0 - radius

    def sdf(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius

    return Shape(sdf, (x0, y0, x1, y1))


def _segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


def line(ax, ay, bx, by, width):
    h = width / 2.0
    return Shape(lambda x, y: _segment_distance(x, y, ax, ay, bx, by) - h,
                 (min(ax, bx) - h, min(ay, by) - h, max(ax, bx) + h, max(ay, by) + h))


def polyline(points, width):
    h = width / 2.0

    def sdf(x, y):
        return min(_segment_distance(x, y, *points[i], *points[i + 1]) for i in range(len(points) - 1)) - h

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(sdf, (min(xs) - h, min(ys) - h, max(xs) + h, max(ys) + h))


def polygon(points):
    n = len(points)

    def sdf(x, y):
        d = min(_segment_distance(x, y, *points[i], *points[(i + 1) % n]) for i in range(n))
        inside = False
        j = n - 1
        for i in range(n):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        return -d if inside else d

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(sdf, (min(xs), min(ys), max(xs), max(ys)))


def arc(cx, cy, r, start, end, width):
    """Stroke of a circle from angle start to end (degrees, clockwise on screen)."""
    h = width / 2.0
    a0, a1 = math.radians(start), math.radians(end)
    p0 = (cx + r * math.cos(a0), cy + r * math.sin(a0))
    p1 = (cx + r * math.cos(a1), cy + r * math.sin(a1))
    span = (a1 - a0) % (2 * math.pi)

    def sdf(x, y):
        angle = (math.atan2(y - cy, x - cx) - a0) % (2 * math.pi)
        if angle <= span:
            return abs(math.hypot(x - cx, y - cy) - r) - h
        return min(math.hypot(x - p0[0], y - p0[1]), math.hypot(x - p1[0], y - p1[1])) - h

    return Shape(sdf, (cx - r - h, cy - r - h, cx + r + h, cy + r + h))


def union(*shapes):
    return Shape(lambda x, y: min(s.sdf(x, y) for s in shapes),
                 (min(s.bbox[0] for s in shapes), min(s.bbox[1] for s in shapes),
                  max(s.bbox[2] for s in shapes), max(s.bbox[3] for s in shapes)))


def subtract(shape, cut):
    return Shape(lambda x, y: max(shape.sdf(x, y), -cut.sdf(x, y)), shape.bbox)


def rotated_rect(cx, cy, length, width, degrees):
    a = math.radians(degrees)
    ux, uy = math.cos(a), math.sin(a)
    vx, vy = -uy, ux
    hl, hw = length / 2.0, width / 2.0
    return [(cx + sx * hl * ux + sy * hw * vx, cy + sx * hl * uy + sy * hw * vy)
            for sx, sy in ((-1, -1), (1, -1), (1, 1), (-1, 1))]


def arrow_head(tipx, tipy, degrees, size):
    """Triangle pointing along degrees with its tip at (tipx, tipy)."""
    a = math.radians(degrees)
    bx, by = tipx - size * math.cos(a), tipy - size * math.sin(a)
    px, py = -math.sin(a) * size * 0.75, math.cos(a) * size * 0.75
    return polygon([(tipx, tipy), (bx + px, by + py), (bx - px, by - py)])


# ---------------------------------------------------------------- canvas
class Canvas:
    def __init__(self, width, height, design=100.0, origin=(0.0, 0.0), scale=None):
        self.width, self.height = width, height
        self.scale = scale if scale else min(width, height) / design
        self.ox, self.oy = origin
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    def _covered(self, shape):
        """Yields (pixel, x, y in design units, coverage) for the pixels the shape touches."""
        s = self.scale
        x0 = max(0, int(math.floor(self.ox + shape.bbox[0] * s)) - 1)
        y0 = max(0, int(math.floor(self.oy + shape.bbox[1] * s)) - 1)
        x1 = min(self.width, int(math.ceil(self.ox + shape.bbox[2] * s)) + 2)
        y1 = min(self.height, int(math.ceil(self.oy + shape.bbox[3] * s)) + 2)
        for py in range(y0, y1):
            dy = (py + 0.5 - self.oy) / s
            row = py * self.width
            for px in range(x0, x1):
                dx = (px + 0.5 - self.ox) / s
                coverage = 0.5 - shape.sdf(dx, dy) * s
                if coverage > 0.0:
                    yield self.pixels[row + px], dx, dy, min(coverage, 1.0)

    def paint(self, shape, colour, opacity=1.0):
        """Paints shape over the canvas; colour is an RGB tuple or a function of (x, y)."""
        for p, dx, dy, coverage in self._covered(shape):
            a = coverage * opacity
            rgb = colour(dx, dy) if callable(colour) else colour
            out_a = a + p[3] * (1.0 - a)
            for c in range(3):
                p[c] = (rgb[c] * a + p[c] * p[3] * (1.0 - a)) / out_a
            p[3] = out_a

    def erase(self, shape):
        """Makes the shape see-through."""
        for p, _, _, coverage in self._covered(shape):
            p[3] *= 1.0 - coverage

    def rgba(self):
        return [tuple(int(round(max(0.0, min(255.0, v)))) for v in p[:3]) + (int(round(p[3] * 255)),)
                for p in self.pixels]


def vertical_gradient(top, bottom, y0, y1):
    def colour(x, y):
        t = max(0.0, min(1.0, (y - y0) / float(y1 - y0)))
        return tuple(top[i] + (bottom[i] - top[i]) * t for i in range(3))
    return colour


def shade(rgb, factor):
    return tuple(max(0, min(255, int(c * factor))) for c in rgb)


# ---------------------------------------------------------------- writers
def _chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def _quantize(pixels):
    """Colours of the picture reduced until at most 256 remain (straight alpha)."""
    for step in (1, 4, 8, 12, 16, 24, 32, 48, 64):
        def q(p):
            if p[3] == 0:
                return (0, 0, 0, 0)
            return tuple(min(255, int(round(v / step)) * step) for v in p[:3]) + \
                (min(255, int(round(p[3] / step)) * step),)
        mapped = [q(p) for p in pixels]
        if len(set(mapped)) <= 256:
            return mapped
    raise RuntimeError("too many colours")


def write_png_palette(path, width, height, pixels):
    mapped = _quantize(pixels)
    palette = sorted(set(mapped), key=lambda c: (c[3] == 255, c))  # translucent entries first
    index = {c: i for i, c in enumerate(palette)}
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        raw.extend(index[c] for c in mapped[y * width:(y + 1) * width])
    plte = b"".join(bytes(c[:3]) for c in palette)
    alphas = bytes(c[3] for c in palette)
    trns = alphas.rstrip(b"\xff")
    data = b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0))
    data += _chunk(b"PLTE", plte)
    if trns:
        data += _chunk(b"tRNS", trns)
    data += _chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + _chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def write_png_rgba(path, width, height, pixels):
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for p in pixels[y * width:(y + 1) * width]:
            raw.extend(p if p[3] else (0, 0, 0, 0))
    data = b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    data += _chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + _chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


XPM_CHARS = ".+@#$%&*=-;>,')!~{]^/(_:<[}|1234567"  # 35 inks; " " is the transparent one


def write_xpm(path, name, width, height, pixels):
    """Grey shades on transparency: 35 inks plus "None", one character per pixel."""
    inks = len(XPM_CHARS)
    rows = []
    used = {}
    for y in range(height):
        row = []
        for p in pixels[y * width:(y + 1) * width]:
            if p[3] < 128:
                row.append(" ")
                continue
            level = int(round(sum(p[:3]) / 3.0 / 255.0 * (inks - 1)))
            row.append(XPM_CHARS[level])
            used[XPM_CHARS[level]] = level
        rows.append("".join(row))
    lines = ["/* XPM */", "static const char *%s[] = {" % name,
             '"%d %d %d 1",' % (width, height, inks + 1), '"  c None",']
    for i, ch in enumerate(XPM_CHARS):
        v = int(round(i * 255.0 / (inks - 1)))
        lines.append('"%s c #%02X%02X%02X",' % (ch, v, v, v))
    for i, row in enumerate(rows):
        lines.append('"%s"%s' % (row, "," if i + 1 < len(rows) else ""))
    lines.append("};")
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


# ---------------------------------------------------------------- pieces
def document(c, x0=18, y0=8, x1=72, y1=92, lines=True, header=None):
    fold = (x1 - x0) * 0.28
    outline = polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)])
    c.paint(outline, PAPER_EDGE)
    inner = polygon([(x0 + 3, y0 + 3), (x1 - fold - 1.2, y0 + 3), (x1 - 3, y0 + fold + 1.2),
                     (x1 - 3, y1 - 3), (x0 + 3, y1 - 3)])
    c.paint(inner, PAPER)
    c.paint(polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)]), LIGHT_GREY)
    if header:
        c.paint(rrect(x0 + 3, y0 + 3, x1 - fold - 1.5, y0 + 14, 0), header)
    if lines:
        top = y0 + (20 if header else 24)
        y = top
        while y < y1 - 10:
            c.paint(line(x0 + 10, y, x1 - 10, y, 4), LIGHT_GREY)
            y += 11


def badge(c, cx, cy, r, colour):
    c.paint(circle(cx, cy, r + 3), WHITE)
    c.paint(circle(cx, cy, r), colour)


def check_mark(c, cx, cy, size, colour=WHITE, width=None):
    w = width or size * 0.28
    c.paint(polyline([(cx - size * 0.5, cy), (cx - size * 0.12, cy + size * 0.38),
                      (cx + size * 0.55, cy - size * 0.38)], w), colour)


def magnifier(c, cx, cy, r, colour=BLUE, width=None):
    w = width or r * 0.42
    c.paint(circle(cx, cy, r), (227, 242, 253), 0.9)
    c.paint(ring(cx, cy, r, w), colour)
    d = r * 0.72
    c.paint(line(cx + d, cy + d, cx + d + r * 0.95, cy + d + r * 0.95, w * 1.35), colour)


def code_brackets(c, cx, cy, size, colour):
    w = size * 0.16
    c.paint(polyline([(cx - size * 0.35, cy - size * 0.35), (cx - size * 0.75, cy),
                      (cx - size * 0.35, cy + size * 0.35)], w), colour)
    c.paint(polyline([(cx + size * 0.35, cy - size * 0.35), (cx + size * 0.75, cy),
                      (cx + size * 0.35, cy + size * 0.35)], w), colour)
    c.paint(line(cx + size * 0.15, cy - size * 0.45, cx - size * 0.15, cy + size * 0.45, w), colour)


def cloud(c, colour, dy=0):
    c.paint(union(circle(34, 58 + dy, 18), circle(54, 46 + dy, 23), circle(72, 60 + dy, 15),
                  rrect(20, 58 + dy, 84, 76 + dy, 9)), colour)


def gear(c, cx, cy, r, colour, hole=WHITE):
    teeth = [polygon(rotated_rect(cx + math.cos(math.radians(a)) * r * 0.92,
                                  cy + math.sin(math.radians(a)) * r * 0.92, r * 0.42, r * 0.36, a))
             for a in range(0, 360, 45)]
    c.paint(union(circle(cx, cy, r * 0.8), *teeth), colour)
    if hole is None:
        c.erase(circle(cx, cy, r * 0.34))
    else:
        c.paint(circle(cx, cy, r * 0.34), hole)


def person(c, cx, top, size, colour):
    c.paint(circle(cx, top + size * 0.22, size * 0.2), colour)
    c.paint(subtract(circle(cx, top + size * 0.98, size * 0.45), rrect(cx - size, top + size * 0.98,
                                                                         cx + size, top + size * 2, 0)), colour)


# ---------------------------------------------------------------- toolbar icons
def icon_dodaj(c):
    c.paint(circle(50, 50, 44), vertical_gradient((102, 187, 106), DARK_GREEN, 6, 94))
    c.paint(line(50, 27, 50, 73, 13), WHITE)
    c.paint(line(27, 50, 73, 50, 13), WHITE)


def icon_edytuj(c):
    c.paint(line(14, 90, 70, 90, 4), LIGHT_GREY)
    body = rotated_rect(54, 46, 58, 18, -45)
    c.paint(polygon(body), ORANGE)
    c.paint(polygon(rotated_rect(54, 46, 58, 6, -45)), shade(ORANGE, 1.15))
    tip_base1, tip_base2 = body[0], body[3]
    c.paint(polygon([tip_base1, tip_base2, (14, 86)]), (255, 224, 178))
    c.paint(polygon([(14, 86), (21.5, 83), (17, 78.5)]), GREY)
    c.paint(polygon(rotated_rect(81, 19, 12, 18, -45)), (236, 64, 122))
    c.paint(polygon(rotated_rect(74.5, 25.5, 5, 18, -45)), LIGHT_GREY)


def icon_wybierz(c):
    c.paint(circle(50, 50, 44), vertical_gradient((66, 165, 245), DARK_BLUE, 6, 94))
    check_mark(c, 50, 52, 48)


def icon_usun(c):
    c.paint(rrect(18, 18, 82, 28, 3), RED)
    c.paint(rrect(38, 9, 62, 22, 4), RED)
    c.paint(rrect(43, 14, 57, 19, 1), WHITE)
    c.paint(polygon([(23, 32), (77, 32), (71, 92), (29, 92)]), vertical_gradient((239, 83, 80), (198, 40, 40), 32, 92))
    for x in (39, 50, 61):
        c.paint(line(x, 42, x, 82, 5), (255, 205, 210))


def icon_odswiez(c):
    c.paint(arc(50, 50, 32, 200, 340, 12), BLUE)
    c.paint(arrow_head(82, 58, 100, 20), BLUE)
    c.paint(arc(50, 50, 32, 20, 160, 12), GREEN)
    c.paint(arrow_head(18, 42, 280, 20), GREEN)


def icon_zamknij(c):
    c.paint(circle(50, 50, 44), vertical_gradient((239, 83, 80), (198, 40, 40), 6, 94))
    c.paint(line(33, 33, 67, 67, 12), WHITE)
    c.paint(line(67, 33, 33, 67, 12), WHITE)


def icon_drukuj(c):
    c.paint(rrect(28, 8, 72, 40, 2), PAPER_EDGE)
    c.paint(rrect(31, 11, 69, 40, 1), PAPER)
    c.paint(rrect(8, 32, 92, 74, 8), vertical_gradient((120, 144, 156), (69, 90, 100), 32, 74))
    c.paint(circle(80, 44, 4), GREEN)
    c.paint(rrect(24, 58, 76, 92, 2), PAPER_EDGE)
    c.paint(rrect(27, 61, 73, 89, 1), PAPER)
    for y in (70, 79):
        c.paint(line(34, y, 66, y, 4), LIGHT_GREY)


def icon_import_faktur(c):
    document(c, 30, 6, 88, 94, header=BLUE)
    c.paint(line(8, 62, 44, 62, 12), GREEN)
    c.paint(arrow_head(60, 62, 0, 24), GREEN)


def icon_import_ksef(c):
    cloud(c, vertical_gradient((100, 181, 246), DARK_BLUE, 24, 76), dy=-10)
    c.paint(line(52, 36, 52, 72, 11), WHITE)
    c.paint(arrow_head(52, 90, 90, 24), WHITE)
    c.paint(arrow_head(52, 86, 90, 16), GREEN)
    c.paint(line(52, 40, 52, 70, 6), GREEN)


def icon_korekta_fv(c):
    document(c, 10, 6, 66, 94, header=BLUE)
    badge(c, 70, 68, 22, ORANGE)
    c.paint(line(70, 55, 70, 73, 6), WHITE)
    c.paint(line(61, 64, 79, 64, 6), WHITE)
    c.paint(line(61, 80, 79, 80, 6), WHITE)


def icon_podglad(c):
    magnifier(c, 42, 42, 28, BLUE, 10)


def icon_suma_kpir(c):
    c.paint(rrect(8, 8, 92, 92, 16), vertical_gradient((38, 198, 218), (0, 131, 143), 8, 92))
    c.paint(polyline([(70, 30), (32, 30), (52, 50), (32, 70), (70, 70)], 9), WHITE)


def icon_numer_referencyjny(c):
    c.paint(rrect(8, 8, 92, 92, 16), vertical_gradient((171, 71, 188), PURPLE, 8, 92))
    for x in (42, 62):
        c.paint(line(x + 4, 24, x - 4, 76, 8), WHITE)
    for y in (40, 60):
        c.paint(line(26, y, 76, y, 8), WHITE)


def icon_opcje(c):
    gear(c, 50, 50, 42, vertical_gradient((144, 164, 174), (69, 90, 100), 8, 92), None)


def icon_upo_podglad(c):
    document(c, 10, 6, 68, 94)
    c.paint(circle(66, 64, 25), WHITE)
    magnifier(c, 62, 60, 16, BLUE, 7)


def icon_upo_status(c):
    document(c, 10, 6, 68, 94)
    badge(c, 70, 68, 22, GREEN)
    check_mark(c, 70, 69, 24)


def icon_wyslij_jpk_web(c):
    c.paint(polygon([(6, 46), (94, 10), (60, 90), (46, 60)]), vertical_gradient((100, 181, 246), DARK_BLUE, 10, 90))
    c.paint(polygon([(46, 60), (94, 10), (50, 78)]), DARK_BLUE)
    c.paint(line(46, 60, 90, 14, 3), (187, 222, 251))


def icon_xml_generuj(c):
    document(c, 10, 6, 72, 94, lines=False)
    code_brackets(c, 41, 56, 26, ORANGE)
    badge(c, 74, 24, 16, YELLOW)
    c.paint(polygon([(74, 12), (78, 21), (87, 24), (78, 27), (74, 36), (70, 27), (61, 24), (70, 21)]), WHITE)


def icon_xml_podglad(c):
    document(c, 10, 6, 72, 94, lines=False)
    code_brackets(c, 41, 40, 24, ORANGE)
    c.paint(circle(68, 68, 24), WHITE)
    magnifier(c, 64, 64, 15, BLUE, 7)


def icon_xml_zapisz(c):
    document(c, 10, 6, 72, 94, lines=False)
    code_brackets(c, 41, 40, 24, ORANGE)
    badge(c, 70, 70, 22, BLUE)
    c.paint(line(70, 56, 70, 76, 7), WHITE)
    c.paint(arrow_head(70, 86, 90, 15), WHITE)


# ---------------------------------------------------------------- module icons
def icon_sklep(c):
    c.paint(arc(50, 36, 17, 180, 360, 7), DARK_BLUE)
    c.paint(rrect(14, 32, 86, 92, 10), vertical_gradient((100, 181, 246), DARK_BLUE, 32, 92))
    c.paint(circle(36, 44, 4), WHITE)
    c.paint(circle(64, 44, 4), WHITE)
    c.paint(arc(50, 44, 14, 0, 180, 6), WHITE)


def icon_module_artykuly(c):
    top = [(50, 10), (90, 28), (50, 46), (10, 28)]
    c.paint(polygon(top), LIGHT_BROWN)
    c.paint(polygon([(10, 28), (50, 46), (50, 92), (10, 74)]), BROWN)
    c.paint(polygon([(50, 46), (90, 28), (90, 74), (50, 92)]), shade(BROWN, 0.8))
    c.paint(polygon([(30, 19), (70, 37), (70, 48), (30, 30)]), (255, 224, 178))


def icon_module_faktury(c):
    document(c, 16, 6, 84, 94, header=BLUE)


def icon_module_jpk_vat(c):
    document(c, 14, 6, 80, 94, lines=False)
    c.paint(ring(35, 42, 8, 5), GREEN)
    c.paint(ring(60, 70, 8, 5), GREEN)
    c.paint(line(63, 34, 32, 78, 6), GREEN)


def icon_module_kontrahenci(c):
    person(c, 64, 14, 40, TEAL)
    # A see-through gap keeps the front person apart from the one behind.
    c.erase(circle(38, 47, 14))
    c.erase(subtract(circle(38, 87, 27), rrect(0, 91, 100, 100, 0)))
    person(c, 38, 36, 52, BLUE)


def icon_module_kpir(c):
    c.paint(rrect(16, 8, 86, 92, 6), vertical_gradient((102, 187, 106), DARK_GREEN, 8, 92))
    c.paint(rrect(16, 8, 28, 92, 4), shade(DARK_GREEN, 0.8))
    c.paint(rrect(38, 24, 76, 42, 3), WHITE)
    for y in (31, 36):
        c.paint(line(43, y, 71, y, 2.5), LIGHT_GREY)
    c.paint(line(40, 80, 76, 80, 3), (200, 230, 201))


def icon_module_ksef(c):
    cloud(c, vertical_gradient((100, 181, 246), DARK_BLUE, 24, 76), dy=-4)
    c.paint(line(40, 46, 40, 66, 6), WHITE)
    c.paint(arrow_head(40, 34, 270, 14), WHITE)
    c.paint(line(62, 38, 62, 56, 6), WHITE)
    c.paint(arrow_head(62, 68, 90, 14), WHITE)


# ---------------------------------------------------------------- start page tiles
def tile_magazyn(c):
    c.paint(polygon([(50, 8), (94, 36), (6, 36)]), (255, 112, 67))
    c.paint(rrect(12, 34, 88, 92, 2), (255, 224, 178))
    c.paint(rrect(28, 52, 72, 92, 1), GREY)
    for y in (62, 72, 82):
        c.paint(line(30, y, 70, y, 2), LIGHT_GREY)


def tile_raporty(c):
    c.paint(line(10, 90, 90, 90, 5), GREY)
    c.paint(line(10, 10, 10, 90, 5), GREY)
    for x, h, colour in ((24, 34, BLUE), (44, 56, TEAL), (64, 44, GREEN), (84, 70, ORANGE)):
        c.paint(rrect(x - 7, 86 - h, x + 7, 86, 2), colour)


def tile_platnosci(c):
    c.paint(rrect(6, 22, 94, 80, 8), vertical_gradient((126, 87, 194), (69, 39, 160), 22, 80))
    c.paint(rrect(6, 34, 94, 46, 0), (49, 27, 146))
    c.paint(rrect(16, 56, 34, 68, 2), YELLOW)
    c.paint(line(44, 62, 80, 62, 4), (209, 196, 233))


def tile_settings(c):
    gear(c, 50, 50, 42, vertical_gradient((144, 164, 174), (69, 90, 100), 8, 92), None)


# ---------------------------------------------------------------- application menu
def menu_ustawienia(c):
    gear(c, 50, 46, 36, vertical_gradient((144, 164, 174), (69, 90, 100), 10, 82), WHITE)
    c.paint(circle(50, 46, 8), (69, 90, 100))


def menu_firma(c):
    c.paint(rrect(16, 22, 62, 86, 3), vertical_gradient((100, 181, 246), DARK_BLUE, 22, 86))
    c.paint(rrect(58, 40, 86, 86, 3), vertical_gradient((144, 164, 174), (69, 90, 100), 40, 86))
    for row in range(4):
        for col in range(3):
            x, y = 22 + col * 13, 30 + row * 12
            c.paint(rrect(x, y, x + 8, y + 7, 1), (227, 242, 253))
    for row in range(3):
        c.paint(rrect(65, 48 + row * 12, 79, 54 + row * 12, 1), (236, 239, 241))
    c.paint(rrect(33, 72, 45, 86, 1), DARK_BLUE)
    c.paint(line(10, 87, 90, 87, 3), GREY)


def menu_info(c):
    c.paint(circle(50, 50, 44), vertical_gradient((66, 165, 245), DARK_BLUE, 6, 94))
    c.paint(circle(50, 28, 8), WHITE)
    c.paint(rrect(42, 42, 58, 78, 4), WHITE)


def menu_wylacz(c):
    c.paint(arc(50, 54, 32, 300, 600, 12), RED)
    c.paint(line(50, 10, 50, 50, 12), RED)


def draw(size, painter, design_margin=0.0):
    c = Canvas(size[0], size[1])
    painter(c)
    return c.rgba()


def sprite_sheet():
    size = 1254
    cell = size // 3
    art = 300
    c = Canvas(size, size, scale=art / 100.0)
    painters = [icon_module_faktury, icon_module_artykuly, icon_module_kontrahenci, icon_module_ksef,
                icon_module_kpir, tile_settings, tile_magazyn, tile_raporty, tile_platnosci]
    for index, painter in enumerate(painters):
        c.ox = (index % 3) * cell + (cell - art) / 2.0
        c.oy = (index // 3) * cell + (cell - art) / 2.0
        painter(c)
    return c.rgba()


def auth_illustration():
    w, h = 450, 105
    c = Canvas(w, h, scale=1.0)
    c.paint(rrect(0, 0, w, h, 14), lambda x, y: tuple(BLUE[i] + (TEAL[i] - BLUE[i]) * x / w for i in range(3)))
    for cx, cy, r, o in ((60, 100, 70, 0.12), (400, -10, 60, 0.14), (300, 110, 40, 0.10)):
        c.paint(circle(cx, cy, r), WHITE, o)
    # A shield with a padlock, a database and a user.
    c.paint(polygon([(225, 12), (262, 24), (258, 64), (225, 94), (192, 64), (188, 24)]), WHITE, 0.95)
    c.paint(arc(225, 46, 11, 180, 360, 5), DARK_BLUE)
    c.paint(rrect(209, 46, 241, 72, 4), DARK_BLUE)
    c.paint(circle(225, 57, 4), WHITE)
    c.paint(rrect(222, 57, 228, 66, 1), WHITE)
    for y in (68, 52, 36):
        c.paint(rrect(100, y - 8, 150, y + 8, 8), WHITE, 0.9)
        c.paint(line(108, y, 142, y, 2), BLUE, 0.5)
    c.paint(circle(350, 36, 14), WHITE, 0.95)
    c.paint(subtract(circle(350, 82, 28), rrect(300, 82, 400, 120, 0)), WHITE, 0.95)
    return c.rgba()


def watermark():
    c = Canvas(100, 100)
    feather = polygon([(84, 8), (70, 18), (56, 32), (42, 50), (32, 66), (26, 78),
                       (34, 72), (48, 62), (62, 48), (74, 32), (82, 18)])
    c.paint(feather, (90, 90, 90))
    for i in range(6):
        y = 22 + i * 8
        c.paint(line(80 - i * 6.5, y - 8, 62 - i * 6.5, y + 6, 1.6), (200, 200, 200))
    c.paint(line(84, 8, 22, 86, 2.6), (40, 40, 40))
    c.paint(line(16, 92, 60, 92, 3), (120, 120, 120))
    return c.rgba()


def program_icon(c):
    """The program's own picture: a ledger page with a "V" on a blue tile."""
    c.paint(rrect(4, 4, 96, 96, 20), vertical_gradient((66, 165, 245), DARK_BLUE, 4, 96))
    c.paint(rrect(22, 16, 78, 84, 6), WHITE, 0.18)
    c.paint(polyline([(30, 28), (50, 74), (70, 28)], 11), WHITE)
    c.paint(line(30, 84, 70, 84, 4), WHITE, 0.7)


TOOLBAR = [
    ("dodaj", icon_dodaj), ("edytuj", icon_edytuj), ("wybierz", icon_wybierz), ("usun", icon_usun),
    ("odswiez", icon_odswiez), ("zamknij", icon_zamknij), ("drukuj", icon_drukuj),
    ("import_faktur", icon_import_faktur), ("import_ksef", icon_import_ksef), ("korekta_fv", icon_korekta_fv),
    ("podglad", icon_podglad), ("suma_kpir", icon_suma_kpir), ("numer_referencyjny", icon_numer_referencyjny),
    ("opcje", icon_opcje), ("upo_podglad", icon_upo_podglad), ("upo_status", icon_upo_status),
    ("wyslij_jpk_web", icon_wyslij_jpk_web), ("xml_generuj", icon_xml_generuj),
    ("xml_podglad", icon_xml_podglad), ("xml_zapisz", icon_xml_zapisz),
]
LARGE = [
    ("sklep", icon_sklep), ("module-artykuly", icon_module_artykuly), ("module-faktury", icon_module_faktury),
    ("module-jpk_vat", icon_module_jpk_vat), ("module-kontrahenci", icon_module_kontrahenci),
    ("module-kpir", icon_module_kpir), ("module-ksef", icon_module_ksef),
]


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, painter in TOOLBAR:
        write_png_palette(os.path.join(OUT, name + ".png"), 36, 36, draw((36, 36), painter))
    for name, painter in LARGE:
        write_png_palette(os.path.join(OUT, name + ".png"), 52, 52, draw((52, 52), painter))
    write_png_rgba(os.path.join(OUT, "auth_illustration.png"), 450, 105, auth_illustration())
    write_png_rgba(os.path.join(OUT, "module-icons-transparent.png"), 1254, 1254, sprite_sheet())
    write_xpm(os.path.join(OUT, "quillmore_znak_wodny.xpm"), "quillmore_znak_wodny", 100, 100, watermark())
    write_program_icons()
    write_menu_images()


def write_menu_images():
    for name, painter, side in (("ustawienia", menu_ustawienia, 64), ("firma", menu_firma, 64),
                                ("info", menu_info, 24), ("wylacz", menu_wylacz, 24)):
        write_png_rgba(os.path.join(OUT, name + ".png"), side, side, draw((side, side), painter))


def write_program_icons():
    write_png_rgba(os.path.join(OUT, "ikona.png"), 256, 256, draw((256, 256), program_icon))
    write_png_rgba(os.path.join(OUT, "ikona2.png"), 60, 60, draw((60, 60), program_icon))


if __name__ == "__main__":
    main()
