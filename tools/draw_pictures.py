#!/usr/bin/env python3
"""Draws Nimbra's pictures and writes them as 32-bit BMP files with alpha.

    python3 tools/draw_pictures.py [output folder]   (default: resources/)

Writes:
  glyphs.bmp  96 x 16, the six 16 x 16 tool-row glyphs side by side, in this
              order: 0 reload (green circular arrows), 1 red disc with a white
              cross, 2 back (orange arrow pointing left), 3 home (orange
              house), 4 forward (orange arrow pointing right), 5 reload while
              loading (grey circular arrows).
  logo.bmp    120 x 100, the product logo of the about box: a cloud over a
              sky, with the name below.

Both are BITMAPINFOHEADER, BI_RGB, 32 bits a pixel, stored bottom-up (the
usual positive height), bytes blue, green, red, alpha, alpha NOT
premultiplied. The glyphs are transparent around their shapes; the logo is
opaque everywhere. The generated files are committed so that building
needs no Python; run this again after changing a drawing.

Shapes are signed distance functions (negative inside, in pixels); a pixel's
coverage is its distance clamped to [0, 1] around the edge, which gives
smooth edges without supersampling. Only the standard library is used.
"""
import math
import os
import struct
import sys

# ---- Geometry: signed distances --------------------------------------------


def polygon(points):
    """A closed polygon (any winding)."""

    def distance(x, y):
        best = float("inf")
        inside = False
        count = len(points)
        for i in range(count):
            ax, ay = points[i]
            bx, by = points[(i + 1) % count]
            ex, ey = bx - ax, by - ay
            wx, wy = x - ax, y - ay
            length = ex * ex + ey * ey
            t = 0.0 if length == 0 else max(0.0, min(1.0, (wx * ex + wy * ey) / length))
            dx, dy = wx - ex * t, wy - ey * t
            best = min(best, dx * dx + dy * dy)
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        return -math.sqrt(best) if inside else math.sqrt(best)

    return distance


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def rectangle(left, top, right, bottom, radius=0.0):
    """An axis-aligned rectangle, its corners rounded by `radius`."""
    cx, cy = (left + right) / 2, (top + bottom) / 2
    hx, hy = (right - left) / 2 - radius, (bottom - top) / 2 - radius

    def distance(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius

    return distance


def segment(ax, ay, bx, by, width):
    """A stroke from a to b with round ends."""

    def distance(x, y):
        ex, ey = bx - ax, by - ay
        wx, wy = x - ax, y - ay
        length = ex * ex + ey * ey
        t = 0.0 if length == 0 else max(0.0, min(1.0, (wx * ex + wy * ey) / length))
        return math.hypot(wx - ex * t, wy - ey * t) - width / 2

    return distance


def arc(cx, cy, r, start, end, width, round_ends=True):
    """A stroke along the circle from angle `start` to `end` (degrees,
    counter-clockwise on screen, 0 pointing right)."""
    a0, a1 = math.radians(start), math.radians(end)
    span = (a1 - a0) % (2 * math.pi)

    def ends(x, y):
        return min(
            math.hypot(x - (cx + r * math.cos(a)), y - (cy - r * math.sin(a))) for a in (a0, a1)
        )

    def distance(x, y):
        angle = math.atan2(-(y - cy), x - cx)
        if (angle - a0) % (2 * math.pi) <= span:
            return abs(math.hypot(x - cx, y - cy) - r) - width / 2
        if round_ends:
            return ends(x, y) - width / 2
        # Square ends: cut straight across the stroke.
        return max(abs(math.hypot(x - cx, y - cy) - r) - width / 2, ends(x, y) * 0.999)

    return distance


def union(*shapes):
    return lambda x, y: min(shape(x, y) for shape in shapes)


def subtract(shape, hole):
    return lambda x, y: max(shape(x, y), -hole(x, y))


def grow(shape, amount):
    return lambda x, y: shape(x, y) - amount


def moved(shape, dx, dy):
    return lambda x, y: shape(x - dx, y - dy)


# ---- Canvas -----------------------------------------------------------------


class Canvas:
    """Straight (not premultiplied) RGBA in floats 0..1, row 0 at the top."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = [[(0.0, 0.0, 0.0, 0.0)] * width for _ in range(height)]

    def fill(self, shape, colour, opacity=1.0, left=0, top=0, width=None, height=None):
        """Paints `shape` (in the coordinates of the given area) over what is
        there. `colour` is (r, g, b) in 0..255 or a function of (x, y)."""
        width = self.width if width is None else width
        height = self.height if height is None else height
        for row in range(height):
            for column in range(width):
                x, y = column + 0.5, row + 0.5
                coverage = max(0.0, min(1.0, 0.5 - shape(x, y))) * opacity
                if coverage <= 0.0:
                    continue
                r, g, b = colour(x, y) if callable(colour) else colour
                self._over(left + column, top + row, (r / 255, g / 255, b / 255), coverage)

    def _over(self, column, row, rgb, alpha):
        dr, dg, db, da = self.pixels[row][column]
        out = alpha + da * (1 - alpha)
        if out <= 0:
            return
        mix = [(s * alpha + d * da * (1 - alpha)) / out for s, d in zip(rgb, (dr, dg, db))]
        self.pixels[row][column] = (mix[0], mix[1], mix[2], out)

    def bmp(self):
        """The canvas as a bottom-up BI_RGB 32-bit BMP file, straight alpha."""
        rows = []
        for row in reversed(self.pixels):
            line = bytearray()
            for r, g, b, a in row:
                # A fully transparent pixel keeps no colour.
                values = (0, 0, 0, 0) if a <= 0 else (b, g, r, a)
                line += bytes(max(0, min(255, round(v * 255))) for v in values)
            rows.append(bytes(line))
        data = b"".join(rows)
        info = struct.pack(
            "<IiiHHIIiiII", 40, self.width, self.height, 1, 32, 0, len(data), 2835, 2835, 0, 0
        )
        header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
        return header + info + data


# ---- The glyphs ---------------------------------------------------------------

ORANGE = (245, 145, 30)
ORANGE_EDGE = (170, 85, 10)
GREEN = (50, 165, 60)
GREEN_EDGE = (20, 95, 30)
GREY = (150, 150, 150)
GREY_EDGE = (95, 95, 95)
RED = (215, 40, 40)
RED_EDGE = (140, 20, 20)
WHITE = (255, 255, 255)


def outlined(canvas, shape, colour, edge, left):
    """A shape with a one-pixel darker rim, as tool glyphs usually have."""
    canvas.fill(grow(shape, 0.8), edge, left=left, width=16, height=16)
    canvas.fill(shape, colour, left=left, width=16, height=16)


def circular_arrows():
    """Two arrows chasing each other round a circle, clockwise."""
    cx, cy, r, w = 8.0, 8.0, 4.9, 2.1
    parts = [arc(cx, cy, r, 30, 150, w, round_ends=False), arc(cx, cy, r, 210, 330, w, round_ends=False)]
    for tip in (30, 210):
        # The head sits at the arc's clockwise end and points on round.
        a = math.radians(tip)
        bx, by = cx + r * math.cos(a), cy - r * math.sin(a)
        # Direction of travel (clockwise on screen) and the outward normal.
        tx, ty = math.sin(a), math.cos(a)
        nx, ny = math.cos(a), -math.sin(a)
        head = [
            (bx + nx * 3.1, by + ny * 3.1),
            (bx - nx * 3.1, by - ny * 3.1),
            (bx + tx * 3.6, by + ty * 3.6),
        ]
        parts.append(polygon(head))
    return union(*parts)


def left_arrow():
    return polygon([(1.5, 8), (8, 1.5), (8, 5.2), (14.5, 5.2), (14.5, 10.8), (8, 10.8), (8, 14.5)])


def right_arrow():
    arrow = left_arrow()
    return lambda x, y: arrow(16 - x, y)


def house():
    roof = polygon([(8, 1.3), (15.2, 8.2), (0.8, 8.2)])
    chimney = rectangle(10.6, 2.5, 12.6, 6.5)
    body = rectangle(3, 7, 13, 14.6)
    return union(roof, chimney, body)


def draw_glyphs():
    canvas = Canvas(96, 16)
    outlined(canvas, circular_arrows(), GREEN, GREEN_EDGE, 0)
    outlined(canvas, circle(8, 8, 6.6), RED, RED_EDGE, 16)
    cross = union(segment(5.2, 5.2, 10.8, 10.8, 2.2), segment(10.8, 5.2, 5.2, 10.8, 2.2))
    canvas.fill(cross, WHITE, left=16, width=16, height=16)
    outlined(canvas, left_arrow(), ORANGE, ORANGE_EDGE, 32)
    outlined(canvas, house(), ORANGE, ORANGE_EDGE, 48)
    canvas.fill(rectangle(6.8, 9.6, 9.2, 14.6), ORANGE_EDGE, left=48, width=16, height=16)
    outlined(canvas, right_arrow(), ORANGE, ORANGE_EDGE, 64)
    outlined(canvas, circular_arrows(), GREY, GREY_EDGE, 80)
    return canvas


# ---- The logo -----------------------------------------------------------------

NAVY = (28, 58, 110)


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def sky(x, y):
    return mix((120, 175, 235), (225, 240, 255), min(1.0, y / 100))


def cloud():
    return union(
        circle(38, 44, 14),
        circle(58, 34, 19),
        circle(80, 42, 15),
        rectangle(24, 40, 96, 58, radius=9),
    )


# Letters of the name as strokes, in a box 10 wide and 14 high whose
# baseline is y = 14; x-height 8.
def letter_strokes(letter, w):
    if letter == "N":
        return [segment(1, 0, 1, 14, w), segment(1, 0, 9, 14, w), segment(9, 0, 9, 14, w)]
    if letter == "i":
        return [segment(1.5, 6, 1.5, 14, w), circle(1.5, 2.2, w * 0.75)]
    if letter == "m":
        return [
            segment(1, 6, 1, 14, w),
            arc(4.2, 9.2, 3.2, 0, 180, w, round_ends=False),
            segment(7.4, 9.2, 7.4, 14, w),
            arc(10.6, 9.2, 3.2, 0, 180, w, round_ends=False),
            segment(13.8, 9.2, 13.8, 14, w),
        ]
    if letter == "b":
        return [segment(1, 0, 1, 14, w), circle_stroke(5, 10, 4, w)]
    if letter == "r":
        return [segment(1, 6, 1, 14, w), arc(5, 10, 4, 50, 180, w)]
    if letter == "a":
        return [circle_stroke(4.5, 10, 4, w), segment(8.5, 6, 8.5, 14, w)]
    raise ValueError(letter)


def circle_stroke(cx, cy, r, w):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - w / 2


# Advance of each letter, in the same units.
ADVANCE = {"N": 13, "i": 5, "m": 17.5, "b": 11.5, "r": 9, "a": 12}


def word(text, left, top, scale, weight):
    strokes = []
    x = 0.0
    for letter in text:
        for stroke in letter_strokes(letter, weight):
            strokes.append((stroke, x))
        x += ADVANCE[letter]

    def distance(px, py):
        u, v = (px - left) / scale, (py - top) / scale
        return min(stroke(u - offset, v) for stroke, offset in strokes) * scale

    return distance, x * scale


def draw_logo():
    canvas = Canvas(120, 100)
    canvas.fill(rectangle(-1, -1, 121, 101), sky)
    shape = cloud()
    # A soft shadow under the cloud, then its rim, its body and a highlight.
    canvas.fill(moved(grow(shape, 1.5), 2, 3), (70, 110, 170), opacity=0.35)
    canvas.fill(grow(shape, 1.2), (150, 175, 210))
    canvas.fill(shape, lambda x, y: mix((255, 255, 255), (220, 230, 245), max(0.0, (y - 30) / 30)))
    canvas.fill(circle(54, 27, 7), (255, 255, 255), opacity=0.8)
    scale, weight = 1.45, 1.9
    _, text_width = word("Nimbra", 0, 0, scale, weight)
    text, _ = word("Nimbra", (120 - text_width) / 2 + 1, 70, scale, weight)
    canvas.fill(text, NAVY)
    return canvas


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources")
    for name, canvas in (("glyphs.bmp", draw_glyphs()), ("logo.bmp", draw_logo())):
        path = os.path.join(folder, name)
        with open(path, "wb") as out:
            out.write(canvas.bmp())
        print(path)


if __name__ == "__main__":
    main()
