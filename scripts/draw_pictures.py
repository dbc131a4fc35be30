#!/usr/bin/env python3
"""Draws Vantrelle's pictures and writes them as XPM files into src/resources/.

Every picture is built here from simple primitives (polygons, ellipses,
rectangles, lines) on a small canvas of palette names.  The XPM files are
committed next to this script, so the build never runs it; run it again by
hand after changing a drawing:

    python3 scripts/draw_pictures.py

Standard library only.
"""

import math
import os
import sys

# --------------------------------------------------------------------------
# Colours

# The sixteen classic VGA colours.  The small pictures use nothing else.
VGA = {
    "black": (0x00, 0x00, 0x00),
    "maroon": (0x80, 0x00, 0x00),
    "green": (0x00, 0x80, 0x00),
    "olive": (0x80, 0x80, 0x00),
    "navy": (0x00, 0x00, 0x80),
    "purple": (0x80, 0x00, 0x80),
    "teal": (0x00, 0x80, 0x80),
    "silver": (0xC0, 0xC0, 0xC0),
    "grey": (0x80, 0x80, 0x80),
    "red": (0xFF, 0x00, 0x00),
    "lime": (0x00, 0xFF, 0x00),
    "yellow": (0xFF, 0xFF, 0x00),
    "blue": (0x00, 0x00, 0xFF),
    "fuchsia": (0xFF, 0x00, 0xFF),
    "aqua": (0x00, 0xFF, 0xFF),
    "white": (0xFF, 0xFF, 0xFF),
}

NONE = None  # a transparent pixel


def luminance(rgb):
    r, g, b = rgb
    return 0.299 * r + 0.587 * g + 0.114 * b


# --------------------------------------------------------------------------
# Shapes.  A shape is a set of (x, y) pixels; pixel (x, y) covers the square
# [x, x+1) x [y, y+1) and belongs to a shape when its centre lies inside.


def inside_polygon(px, py, points):
    """Even-odd test of the point against the closed polygon."""
    inside = False
    n = len(points)
    for i in range(n):
        x1, y1 = points[i]
        x2, y2 = points[(i + 1) % n]
        if (y1 > py) != (y2 > py):
            xc = x1 + (py - y1) * (x2 - x1) / (y2 - y1)
            if xc > px:
                inside = not inside
    return inside


def polygon(points, w, h):
    return {(x, y) for y in range(h) for x in range(w)
            if inside_polygon(x + 0.5, y + 0.5, points)}


def ellipse(cx, cy, rx, ry, w, h):
    return {(x, y) for y in range(h) for x in range(w)
            if ((x + 0.5 - cx) / rx) ** 2 + ((y + 0.5 - cy) / ry) ** 2 <= 1.0}


def capsule(x0, y0, x1, y1, r, w, h):
    """A thick stroke with round ends from (x0, y0) to (x1, y1)."""
    out = set()
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy
    for y in range(h):
        for x in range(w):
            px, py = x + 0.5, y + 0.5
            t = 0.0 if ll == 0 else max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / ll))
            if (px - x0 - t * dx) ** 2 + (py - y0 - t * dy) ** 2 <= r * r:
                out.add((x, y))
    return out


def rect(x0, y0, x1, y1):
    """Pixels x0..x1, y0..y1 inclusive."""
    return {(x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1)}


def line(x0, y0, x1, y1):
    """A one pixel wide Bresenham line between two pixel positions."""
    pts = set()
    dx, dy = abs(x1 - x0), -abs(y1 - y0)
    sx = 1 if x0 < x1 else -1
    sy = 1 if y0 < y1 else -1
    err = dx + dy
    while True:
        pts.add((x0, y0))
        if x0 == x1 and y0 == y1:
            return pts
        e2 = 2 * err
        if e2 >= dy:
            err += dy
            x0 += sx
        if e2 <= dx:
            err += dx
            y0 += sy


def quad_curve(p0, c, p1, steps=24):
    """Points along a quadratic Bezier curve, for building polygons."""
    out = []
    for i in range(steps + 1):
        t = i / steps
        a, b, d = (1 - t) ** 2, 2 * t * (1 - t), t * t
        out.append((a * p0[0] + b * c[0] + d * p1[0],
                    a * p0[1] + b * c[1] + d * p1[1]))
    return out


def edge(shape):
    """The pixels of the shape that touch the outside along a side."""
    return {(x, y) for (x, y) in shape
            if (x - 1, y) not in shape or (x + 1, y) not in shape
            or (x, y - 1) not in shape or (x, y + 1) not in shape}


def mirror(shape, axis2):
    """Mirrors pixels about the vertical line x = axis2 / 2."""
    return {(axis2 - 1 - x, y) for (x, y) in shape}


def shift(shape, dx, dy):
    return {(x + dx, y + dy) for (x, y) in shape}


# --------------------------------------------------------------------------
# Canvas


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[NONE] * w for _ in range(h)]

    def paint(self, shape, colour):
        for (x, y) in shape:
            if 0 <= x < self.w and 0 <= y < self.h:
                self.px[y][x] = colour

    def get(self, x, y):
        return self.px[y][x]

    def blit(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                self.px[oy + y][ox + x] = other.px[y][x]


def colour_rgb(colour):
    return VGA[colour] if isinstance(colour, str) else colour


def write_xpm(path, canvas, hot_spot=None):
    """Writes the canvas as XPM; colours are names from VGA or RGB tuples."""
    used = []
    seen = set()
    for row in canvas.px:
        for c in row:
            if c not in seen:
                seen.add(c)
                used.append(c)
    # Transparent first, then the colours from dark to light.
    used.sort(key=lambda c: (-1,) if c is NONE else (luminance(colour_rgb(c)), colour_rgb(c)))
    chars = (".#abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
             "0123456789+@$%&*=-;:>,<1/()[]{}!~^|'`_?")
    chars = "".join(ch for ch in dict.fromkeys(chars) if ch not in '"\\')
    cpp = 1 if len(used) <= len(chars) else 2
    keys = {}
    for i, c in enumerate(used):
        if cpp == 1:
            keys[c] = chars[i]
        else:
            keys[c] = chars[i // len(chars)] + chars[i % len(chars)]
    # Transparent pixels read best as blanks.
    if NONE in keys:
        keys[NONE] = " " * cpp  # never clashes: chars holds no space
    name = os.path.splitext(os.path.basename(path))[0] + "_xpm"
    header = "%d %d %d %d" % (canvas.w, canvas.h, len(used), cpp)
    if hot_spot is not None:
        header += " %d %d" % hot_spot
    lines = ["/* XPM */", "static const char *const %s[] = {" % name,
             '"%s",' % header]
    for c in used:
        if c is NONE:
            value = "None"
        else:
            value = "#%02X%02X%02X" % colour_rgb(c)
        lines.append('"%s c %s",' % (keys[c], value))
    rows = []
    for row in canvas.px:
        rows.append('"%s"' % "".join(keys[c] for c in row))
    lines.append(",\n".join(rows))
    lines.append("};")
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    return len([c for c in used if c is not NONE])


# --------------------------------------------------------------------------
# The program icon: an open book with a red ribbon marking a page.


def draw_app():
    W = H = 32
    c = Canvas(W, H)
    axis2 = 33  # the book is symmetric about the spine, column 16

    # The left half of the spread; the right half is its mirror image.
    page = (quad_curve((16.5, 9.0), (10.0, 2.0), (3.0, 5.5))
            + quad_curve((3.0, 23.0), (10.0, 20.5), (16.5, 26.5)))
    cover = (quad_curve((16.5, 12.0), (9.0, 6.0), (0.5, 8.5))
             + quad_curve((0.5, 27.0), (9.0, 24.5), (16.5, 30.5)))

    left_cover = polygon(cover, W, H)
    left_page = polygon(page, W, H)
    # The sheets under the top page show as a stepped edge.
    left_sheets = shift(left_page, 0, 1) | shift(left_page, 0, 2)

    for half in (lambda s: s, lambda s: mirror(s, axis2)):
        cov, sheets, pg = half(left_cover), half(left_sheets), half(left_page)
        c.paint(cov, "navy")
        c.paint(edge(cov), "black")
        c.paint(sheets, "silver")
        c.paint(shift(sheets, 0, 1) - sheets, "black")
        c.paint(pg, "white")
        c.paint(edge(pg), "black")

    # Spine.
    c.paint(line(16, 9, 16, 30), "black")

    # Lines of text, bending with the page.
    inner = left_page - edge(left_page)
    for k in range(6):
        lo, hi = (5, 13) if k != 5 else (5, 10)
        for x in range(lo, hi + 1):
            t = (x - 3.0) / 13.5  # 0 at the outer edge, 1 at the spine
            y = int(round(9.0 + 2.4 * k - 2.6 * math.sin(math.pi * (0.15 + 0.7 * t)) + 2.5 * t * t))
            if (x, y) in inner:
                c.paint({(x, y), (axis2 - 1 - x, y)}, "grey")

    # The ribbon lies on the right page beside the spine and hangs out
    # below the book, with a swallowtail end.
    rib = polygon([(18.5, 8.0), (21.5, 7.5), (21.5, 31.5), (20.0, 29.5), (18.5, 31.5)], W, H)
    c.paint(rib, "red")
    c.paint({(x, y) for (x, y) in edge(rib) if (x + 1, y) not in rib or (x, y - 1) not in rib}, "maroon")
    return c


# --------------------------------------------------------------------------
# Button glyphs: 16 x 16, the normal picture beside its disabled form.


def disabled_form(normal):
    """The classic embossed look of a disabled button's picture.

    The dark parts of the picture (its outlines and deep colours, not its
    greys) become dark grey, over a white copy of themselves one pixel down
    and to the right."""
    d = Canvas(normal.w, normal.h)
    dark = {(x, y) for y in range(normal.h) for x in range(normal.w)
            if normal.get(x, y) is not NONE and luminance(colour_rgb(normal.get(x, y))) < 120}
    d.paint(shift(dark, 1, 1), "white")
    d.paint(dark, "grey")
    return d


def glyph_pair(normal):
    c = Canvas(32, 16)
    c.blit(normal, 0, 0)
    c.blit(disabled_form(normal), 16, 0)
    return c


def draw_glyph_book():
    W = H = 16
    c = Canvas(W, H)
    axis2 = 16  # symmetric about x = 8: left page x <= 7, right page x >= 8
    page = (quad_curve((8.0, 4.0), (4.0, 0.5), (0.5, 2.5))
            + quad_curve((0.5, 12.0), (4.0, 10.5), (8.0, 14.0)))
    lp = polygon(page, W, H)
    # The cover shows as a coloured rim below and outside the pages.
    lc = shift(lp, 0, 1) | shift(lp, -1, 1)
    for half in (lambda s: s, lambda s: mirror(s, axis2)):
        cov, pg = half(lc), half(lp)
        c.paint(cov - pg, "navy")
        c.paint(pg, "white")
        c.paint(edge(pg), "black")
    # Text.
    inner = lp - edge(lp)
    for k in range(4):
        for x in range(2, 6):
            y = 4 + 2 * k
            if (x, y) in inner:
                c.paint({(x, y), (axis2 - 1 - x, y)}, "grey")
    return c


def draw_glyph_tick():
    W = H = 16
    c = Canvas(W, H)
    tick = polygon([(1.0, 8.5), (3.5, 6.0), (6.0, 8.5), (12.5, 1.5), (15.0, 4.0), (6.0, 13.5)], W, H)
    c.paint(tick, "red")
    # A darker lower edge gives the stroke some body.
    c.paint({(x, y) for (x, y) in edge(tick) if (x, y + 1) not in tick}, "maroon")
    return c


def draw_glyph_bulb():
    W = H = 16
    c = Canvas(W, H)
    glass = ellipse(8.0, 6.0, 5.5, 5.5, W, H) | polygon(
        [(5.0, 9.0), (11.0, 9.0), (10.0, 11.5), (6.0, 11.5)], W, H)
    c.paint(glass, "yellow")
    c.paint(edge(glass), "black")
    c.paint({(4, 4), (4, 5), (5, 3), (6, 3)}, "white")
    # Filament.
    c.paint({(6, 8), (7, 7), (8, 7), (9, 8)} | line(6, 8, 6, 10) | line(9, 8, 9, 10), "olive")
    base = rect(5, 11, 10, 14)
    c.paint(base, "grey")
    c.paint(rect(6, 12, 9, 12) | rect(6, 14, 9, 14), "silver")
    c.paint(edge(base), "black")
    c.paint(rect(7, 15, 8, 15), "black")
    return c


# --------------------------------------------------------------------------
# The "go down" arrow: a red rounded square holding a white triangle,
# antialiased inside by supersampling.


def draw_arrow():
    W, H = 40, 39
    S = 8  # samples per pixel side
    R = 8.0  # corner radius

    def in_round_rect(x, y, x0, y0, x1, y1, r):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    tri = [(10.5, 12.0), (29.5, 12.0), (20.0, 28.0)]

    def in_triangle(x, y):
        return inside_polygon(x, y, tri)

    c = Canvas(W, H)
    for py in range(H):
        for px in range(W):
            acc = [0.0, 0.0, 0.0]
            n_in = 0
            for sy in range(S):
                for sx in range(S):
                    x = px + (sx + 0.5) / S
                    y = py + (sy + 0.5) / S
                    if not in_round_rect(x, y, 0.0, 0.0, W, H, R):
                        continue
                    n_in += 1
                    if in_triangle(x, y):
                        col = (255, 255, 255)
                    elif not in_round_rect(x, y, 1.25, 1.25, W - 1.25, H - 1.25, R - 1.25):
                        col = (128, 8, 8)  # rim
                    else:
                        t = y / H  # body: lighter at the top
                        col = (int(240 - 50 * t), int(56 - 40 * t), int(48 - 34 * t))
                    acc[0] += col[0]
                    acc[1] += col[1]
                    acc[2] += col[2]
            if n_in * 2 < S * S:
                continue  # mostly outside: transparent
            c.px[py][px] = tuple(int(round(v / n_in)) for v in acc)
    # Keep well within 256 colours.
    q = 4
    while True:
        seen = set()
        for y in range(H):
            for x in range(W):
                v = c.px[y][x]
                if v is not NONE:
                    seen.add(tuple(min(255, (ch + q // 2) // q * q) for ch in v))
        if len(seen) <= 255:
            break
        q *= 2
    for y in range(H):
        for x in range(W):
            v = c.px[y][x]
            if v is not NONE:
                c.px[y][x] = tuple(min(255, (ch + q // 2) // q * q) for ch in v)
    return c


# --------------------------------------------------------------------------
# The "HAND" mouse cursor: a pointing hand, black outline, white inside.

HAND_HOT_SPOT = (5, 0)


def draw_hand():
    W = H = 32
    c = Canvas(W, H)
    index = rect(4, 1, 9, 13) | rect(5, 0, 8, 0)
    middle = rect(9, 7, 13, 13) | rect(10, 6, 12, 6)
    ring = rect(13, 8, 17, 13) | rect(14, 7, 16, 7)
    little = rect(17, 9, 20, 14) | rect(18, 8, 19, 8)
    palm = polygon([(4.0, 12.0), (21.0, 12.0), (21.0, 19.0), (18.0, 23.0),
                    (7.0, 23.0), (4.0, 19.0)], W, H)
    thumb = capsule(2.0, 12.5, 6.5, 18.0, 2.0, W, H)
    hand = index | middle | ring | little | palm | thumb
    c.paint(hand, "white")
    c.paint(edge(hand), "black")
    # Where the fingers meet.
    c.paint(line(9, 7, 9, 10), "black")
    c.paint(line(13, 8, 13, 10), "black")
    c.paint(line(17, 9, 17, 11), "black")
    return c


# --------------------------------------------------------------------------


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(os.path.dirname(here), "src", "resources")
    if len(sys.argv) > 1:
        out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    jobs = [
        ("app.xpm", draw_app(), None),
        ("glyph_book.xpm", glyph_pair(draw_glyph_book()), None),
        ("glyph_tick.xpm", glyph_pair(draw_glyph_tick()), None),
        ("glyph_bulb.xpm", glyph_pair(draw_glyph_bulb()), None),
        ("arrow.xpm", draw_arrow(), None),
        ("hand.xpm", draw_hand(), HAND_HOT_SPOT),
    ]
    for name, canvas, hot in jobs:
        n = write_xpm(os.path.join(out, name), canvas, hot)
        print("%-16s %2d x %2d  %3d colours%s" % (name, canvas.w, canvas.h, n,
                                                  "" if hot is None else "  hot spot %d,%d" % hot))


if __name__ == "__main__":
    main()
