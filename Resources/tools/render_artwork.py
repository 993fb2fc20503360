#!/usr/bin/env python3
"""Draws every picture of Clipnest's interface and writes them as PNG files.

The artwork is made of a few flat shapes (discs, rings, rounded boxes, thick strokes and
polygons) rasterised with 4x4 supersampling, so it needs nothing beyond python3.
Run it from anywhere: `python3 Resources/tools/render_artwork.py`; it rewrites the PNGs
under Resources/ and the output is byte-for-byte reproducible.
"""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)  # the Resources folder

# 4x4 subsamples per pixel: smooth enough edges for 14-140 pixel pictures, still fast.
SS = 4


def hexcolor(text, alpha=255):
    text = text.lstrip("#")
    return (int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16), alpha)


# ---------------------------------------------------------------- shapes
# A shape is (inside(x, y) -> bool, bounding box (x0, y0, x1, y1)) in pixel units.


def disc(cx, cy, r):
    return (lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, (cx - r, cy - r, cx + r, cy + r))


def ring(cx, cy, r, width):
    ro, ri = r + width / 2, r - width / 2
    return (lambda x, y: ri * ri <= (x - cx) ** 2 + (y - cy) ** 2 <= ro * ro,
            (cx - ro, cy - ro, cx + ro, cy + ro))


def ellipse_ring(cx, cy, rx, ry, width):
    def inside(x, y):
        outer = ((x - cx) / (rx + width / 2)) ** 2 + ((y - cy) / (ry + width / 2)) ** 2 <= 1
        if rx - width / 2 <= 0:
            return outer
        inner = ((x - cx) / (rx - width / 2)) ** 2 + ((y - cy) / (ry - width / 2)) ** 2 < 1
        return outer and not inner
    return (inside, (cx - rx - width, cy - ry - width, cx + rx + width, cy + ry + width))


def rbox(x0, y0, x1, y1, r):
    """A box from (x0, y0) to (x1, y1) with corners rounded by r."""
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        qx = min(max(x, x0 + r), x1 - r)
        qy = min(max(y, y0 + r), y1 - r)
        return (x - qx) ** 2 + (y - qy) ** 2 <= r * r
    return (inside, (x0, y0, x1, y1))


def rbox_outline(x0, y0, x1, y1, r, width):
    outer = rbox(x0, y0, x1, y1, r)[0]
    inner = rbox(x0 + width, y0 + width, x1 - width, y1 - width, max(r - width, 0))[0]
    return (lambda x, y: outer(x, y) and not inner(x, y), (x0, y0, x1, y1))


def stroke(points, width):
    """A polyline with round caps and joins."""
    h = width / 2
    segs = list(zip(points, points[1:])) or [(points[0], points[0])]

    def inside(x, y):
        for (ax, ay), (bx, by) in segs:
            dx, dy = bx - ax, by - ay
            ll = dx * dx + dy * dy
            t = 0 if ll == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / ll))
            px, py = ax + t * dx - x, ay + t * dy - y
            if px * px + py * py <= h * h:
                return True
        return False
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return (inside, (min(xs) - h, min(ys) - h, max(xs) + h, max(ys) + h))


def arc(cx, cy, r, a0, a1, width, steps=24):
    """Stroke along a circle from angle a0 to a1 (degrees, 0 = right, clockwise on screen)."""
    pts = []
    for i in range(steps + 1):
        a = math.radians(a0 + (a1 - a0) * i / steps)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return stroke(pts, width)


def polygon(points):
    def inside(x, y):
        c = False
        n = len(points)
        for i in range(n):
            (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
            if (ay > y) != (by > y) and x < (bx - ax) * (y - ay) / (by - ay) + ax:
                c = not c
        return c
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return (inside, (min(xs), min(ys), max(xs), max(ys)))


def rect(x0, y0, x1, y1):
    return (lambda x, y: x0 <= x <= x1 and y0 <= y <= y1, (x0, y0, x1, y1))


def union(*shapes):
    tests = [s[0] for s in shapes]
    box = (min(s[1][0] for s in shapes), min(s[1][1] for s in shapes),
           max(s[1][2] for s in shapes), max(s[1][3] for s in shapes))
    return (lambda x, y: any(t(x, y) for t in tests), box)


def minus(a, b):
    return (lambda x, y: a[0](x, y) and not b[0](x, y), a[1])


def clip(shape, box):
    x0, y0, x1, y1 = box
    return (lambda x, y: x0 <= x <= x1 and y0 <= y <= y1 and shape[0](x, y), shape[1])


# ---------------------------------------------------------------- canvas


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]  # straight RGBA, 0..1

    def fill(self, shape, color):
        """Composites `color` over the picture wherever `shape` covers it."""
        inside, (bx0, by0, bx1, by1) = shape
        r, g, b, a = (c / 255.0 for c in color)
        x0, y0 = max(int(math.floor(bx0)) - 1, 0), max(int(math.floor(by0)) - 1, 0)
        x1, y1 = min(int(math.ceil(bx1)) + 1, self.w), min(int(math.ceil(by1)) + 1, self.h)
        for py in range(y0, y1):
            for px in range(x0, x1):
                hits = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if inside(px + (sx + 0.5) / SS, py + (sy + 0.5) / SS):
                            hits += 1
                if hits:
                    self._over(px, py, r, g, b, a * hits / (SS * SS))

    def _over(self, x, y, r, g, b, a):
        d = self.px[y * self.w + x]
        out_a = a + d[3] * (1 - a)
        if out_a <= 0:
            return
        for i, c in enumerate((r, g, b)):
            d[i] = (c * a + d[i] * d[3] * (1 - a)) / out_a
        d[3] = out_a

    def png(self):
        raw = bytearray()
        for y in range(self.h):
            raw.append(0)
            for x in range(self.w):
                for c in self.px[y * self.w + x]:
                    raw.append(max(0, min(255, int(round(c * 255)))))

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
        header = struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def save(canvas, rel):
    path = os.path.join(ROOT, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(canvas.png())


# ---------------------------------------------------------------- palette

RED = hexcolor("#e53935")
RED_DARK = hexcolor("#b71c1c")
GREY_DOT = hexcolor("#9e9e9e")
WHITE = hexcolor("#ffffff")
PANEL = hexcolor("#4a5058")
PANEL_HOVER = hexcolor("#6b737d")
SLATE = hexcolor("#383d43")
SLATE_PRESSED = hexcolor("#24282c")
ROW_GLYPH = hexcolor("#8c8c8c")

# ---------------------------------------------------------------- Buttons/


def record_dot(path, size, fill, rim):
    c = Canvas(size, size)
    m = size / 2
    c.fill(disc(m, m, m - 1), rim)
    c.fill(disc(m, m, m - 3), fill)
    c.fill(disc(m - 2.5, m - 2.5, 2.2), hexcolor("#ffffff", 90))  # a small highlight
    save(c, path)


def panel_button(path, glyph, hover):
    c = Canvas(26, 25)
    c.fill(rbox(0.5, 0.5, 25.5, 24.5, 5), PANEL_HOVER if hover else PANEL)
    c.fill(glyph, WHITE if hover else hexcolor("#eeeeee"))
    save(c, path)


def buttons():
    record_dot("Buttons/record.png", 22, RED, RED_DARK)
    record_dot("Buttons/record_grey.png", 22, GREY_DOT, hexcolor("#6d6d6d"))

    c = Canvas(18, 18)
    c.fill(rbox(3, 3, 15, 15, 2), hexcolor("#f2f2f2"))
    save(c, "Buttons/record_stop.png")

    c = Canvas(22, 22)
    c.fill(rbox_outline(2, 2, 20, 20, 3.5, 2), hexcolor("#f5f5f5"))
    save(c, "Buttons/unchecked.png")
    c = Canvas(22, 22)
    c.fill(rbox(2, 2, 20, 20, 3.5), hexcolor("#43a047"))
    c.fill(stroke([(6.5, 11.5), (9.5, 14.5), (15.5, 7.5)], 2.4), WHITE)
    save(c, "Buttons/checked.png")

    cross = union(stroke([(8.5, 8), (17.5, 17)], 2.6), stroke([(17.5, 8), (8.5, 17)], 2.6))
    down = union(stroke([(13, 5.5), (13, 14.5)], 2.4), stroke([(9, 11), (13, 15), (17, 11)], 2.4),
                 stroke([(7, 18.5), (19, 18.5)], 2.2))
    up = union(stroke([(13, 15.5), (13, 6.5)], 2.4), stroke([(9, 10.5), (13, 6.5), (17, 10.5)], 2.4),
               stroke([(7, 18.5), (19, 18.5)], 2.2))
    share = union(disc(17.5, 7.5, 2.7), disc(8.5, 12.5, 2.7), disc(17.5, 17.5, 2.7),
                  stroke([(17.5, 7.5), (8.5, 12.5), (17.5, 17.5)], 1.5))
    # The record panel's pause and resume: two bars, and the play triangle.
    pause = union(rbox(8.5, 6.5, 11.5, 18.5, 1), rbox(14.5, 6.5, 17.5, 18.5, 1))
    resume = polygon([(9.5, 6.5), (18.5, 12.5), (9.5, 18.5)])
    for name, glyph in (("close", cross), ("save", down), ("upload", up), ("share", share),
                        ("pause", pause), ("resume", resume)):
        panel_button("Buttons/%s.png" % name, glyph, False)
        panel_button("Buttons/%s_hover.png" % name, glyph, True)

    # The size label's icon: a frame's corners with a diagonal double arrow.
    c = Canvas(26, 26)
    corners = union(stroke([(3, 9), (3, 3), (9, 3)], 2), stroke([(17, 3), (23, 3), (23, 9)], 2),
                    stroke([(23, 17), (23, 23), (17, 23)], 2), stroke([(9, 23), (3, 23), (3, 17)], 2))
    arrow = union(stroke([(8, 18), (18, 8)], 1.8), stroke([(13, 8), (18, 8), (18, 13)], 1.8),
                  stroke([(8, 13), (8, 18), (13, 18)], 1.8))
    c.fill(union(corners, arrow), WHITE)
    save(c, "Buttons/imageSize.png")

    c = Canvas(14, 14)
    c.fill(union(stroke([(3.5, 3.5), (10.5, 10.5)], 2), stroke([(10.5, 3.5), (3.5, 10.5)], 2)), WHITE)
    save(c, "Buttons/history_close.png")

    # History row glyphs, 16 x 17, grey on the light rows.
    c = Canvas(16, 17)
    c.fill(rbox_outline(2.5, 3, 13.5, 16, 1.5, 1.4), ROW_GLYPH)
    c.fill(rbox(5.5, 1, 10.5, 5, 1), ROW_GLYPH)
    c.fill(union(stroke([(5.5, 8.5), (10.5, 8.5)], 1.2), stroke([(5.5, 11.5), (10.5, 11.5)], 1.2)),
           ROW_GLYPH)
    save(c, "Buttons/clipboard.png")

    c = Canvas(16, 17)
    globe = union(ring(8, 8.5, 6.3, 1.3), ellipse_ring(8, 8.5, 2.6, 6.3, 1.2),
                  stroke([(1.8, 8.5), (14.2, 8.5)], 1.2))
    c.fill(globe, ROW_GLYPH)
    save(c, "Buttons/web.png")

    c = Canvas(16, 17)
    c.fill(union(stroke([(2, 4), (14, 4)], 1.6), rbox(6, 1, 10, 3.5, 1)), ROW_GLYPH)
    c.fill(rbox_outline(3.5, 5.5, 12.5, 16, 1.5, 1.4), ROW_GLYPH)
    c.fill(union(stroke([(6.5, 8), (6.5, 13.5)], 1.1), stroke([(9.5, 8), (9.5, 13.5)], 1.1)),
           ROW_GLYPH)
    save(c, "Buttons/recycle.png")

    # Rows of recordings that were not sent: upload again (an arrow up out of a tray) and
    # save (an arrow down into one), in the same grey as the other row glyphs.
    tray = stroke([(2.5, 11.5), (2.5, 15), (13.5, 15), (13.5, 11.5)], 1.4)
    c = Canvas(16, 17)
    c.fill(union(tray, stroke([(8, 12), (8, 2.5)], 1.5), stroke([(4.5, 6), (8, 2.5), (11.5, 6)], 1.5)),
           ROW_GLYPH)
    save(c, "Buttons/row_upload.png")

    c = Canvas(16, 17)
    c.fill(union(tray, stroke([(8, 2), (8, 11.5)], 1.5), stroke([(4.5, 8), (8, 11.5), (11.5, 8)], 1.5)),
           ROW_GLYPH)
    save(c, "Buttons/row_save.png")

    # Retry now, for a recording whose upload waits for its next try: a circling arrow.
    cx, cy, r, end = 8, 9, 5, 290
    a = math.radians(end)
    tip_dir = (-math.sin(a), math.cos(a))  # clockwise along the circle
    out = (math.cos(a), math.sin(a))
    base = (cx + r * out[0], cy + r * out[1])
    head = polygon([(base[0] + 2.6 * tip_dir[0], base[1] + 2.6 * tip_dir[1]),
                    (base[0] + 2.4 * out[0], base[1] + 2.4 * out[1]),
                    (base[0] - 2.4 * out[0], base[1] - 2.4 * out[1])])
    c = Canvas(16, 17)
    c.fill(union(arc(cx, cy, r, 20, end - 4, 1.5, 32), head), ROW_GLYPH)
    save(c, "Buttons/row_retry.png")


# ---------------------------------------------------------------- Social/


def social():
    c = Canvas(24, 24)
    c.fill(rbox(0.5, 0.5, 23.5, 23.5, 5), hexcolor("#3b5998"))
    c.fill(union(arc(17, 9, 3.5, 180, 290, 2.8), stroke([(13.5, 9), (13.5, 21)], 2.8),
                 stroke([(10, 13), (17.5, 13)], 2.4)), WHITE)
    save(c, "Social/facebook.png")

    # The X mark: a broad stroke falling to the right crossed by a thin one rising.
    c = Canvas(24, 24)
    c.fill(rbox(0.5, 0.5, 23.5, 23.5, 5), hexcolor("#000000"))
    c.fill(union(stroke([(6.5, 6), (17.5, 18)], 3.4), stroke([(17.5, 6), (6.5, 18)], 1.5)), WHITE)
    save(c, "Social/twitter.png")

    # Reddit: a round orange badge with a white head, its antenna and ears.
    c = Canvas(24, 24)
    c.fill(disc(12, 12, 11.5), hexcolor("#ff4500"))
    head = ellipse_ring(12, 14.2, 3.2, 1.0, 7.0)  # filled: 6.7 by 4.5
    ears = union(disc(6.2, 10.8, 1.8), disc(17.8, 10.8, 1.8))
    antenna = union(stroke([(12.3, 9.6), (13.6, 5)], 1.2), disc(16.4, 5, 1.6))
    c.fill(union(head, ears, antenna), WHITE)
    c.fill(union(disc(9.4, 13.6, 1.25), disc(14.6, 13.6, 1.25), arc(12, 14.6, 2.8, 30, 150, 0.9)),
           hexcolor("#ff4500"))
    save(c, "Social/reddit.png")


# ---------------------------------------------------------------- Flags/


def flags():
    top, bottom = 2.5, 13.5  # a 16 x 11 flag centred in the 16 x 16 icon

    c = Canvas(16, 16)
    c.fill(rbox(0, top, 16, bottom, 1), hexcolor("#229e45"))
    c.fill(polygon([(8, top + 1.2), (14.6, 8), (8, bottom - 1.2), (1.4, 8)]), hexcolor("#f8e509"))
    c.fill(disc(8, 8, 2.9), hexcolor("#2b49a3"))
    c.fill(arc(8, 10.2, 3.4, 235, 305, 0.8, 8), WHITE)
    save(c, "Flags/br.png")

    c = Canvas(16, 16)
    c.fill(rbox(0, top, 16, bottom, 1), hexcolor("#c60b1e"))
    c.fill(rect(0, top + 2.75, 16, bottom - 2.75), hexcolor("#ffc400"))
    c.fill(rbox(3.3, 6.6, 5.7, 9.4, 0.6), hexcolor("#ad1519"))
    save(c, "Flags/es.png")

    c = Canvas(16, 16)
    base = rbox(0, top, 16, bottom, 1)
    c.fill(base, WHITE)
    stripe = (bottom - top) / 7.0  # seven red bands, the white shows between them
    for i in range(0, 7, 2):
        y0 = top + i * stripe
        c.fill(clip(base, (0, y0, 16, y0 + stripe)), hexcolor("#b22234"))
    c.fill(clip(base, (0, top, 7.2, top + 4 * stripe)), hexcolor("#3c3b6e"))
    for sx, sy in ((1.6, 4.0), (3.6, 4.0), (5.6, 4.0), (2.6, 5.6), (4.6, 5.6), (1.6, 7.2),
                   (3.6, 7.2), (5.6, 7.2)):
        c.fill(disc(sx, sy, 0.45), WHITE)
    save(c, "Flags/us.png")


# ---------------------------------------------------------------- SnapButton/


def snap_picture(w, h, visible, pressed):
    """A slate tab with the record mark centred in the half that stays visible when tucked in.

    `visible` is the (x0, y0, x1, y1) part of the picture that shows while the button is
    tucked in; the other half carries three grip lines so the slid-out button reads as a tab.
    """
    c = Canvas(w, h)
    c.fill(rbox(1, 1, w - 1, h - 1, 14), hexcolor("#000000", 70))  # soft outer rim
    c.fill(rbox(2, 2, w - 2, h - 2, 13), SLATE_PRESSED if pressed else SLATE)
    vx0, vy0, vx1, vy1 = visible
    cx, cy = (vx0 + vx1) / 2, (vy0 + vy1) / 2
    c.fill(disc(cx, cy, 23), hexcolor("#ffffff", 200 if pressed else 235))
    c.fill(disc(cx, cy, 19), RED_DARK if pressed else RED)
    c.fill(disc(cx - 6, cy - 6, 5), hexcolor("#ffffff", 50))
    # Grip lines in the hidden half, across the long side.
    gx, gy = w - cx, h - cy  # centre of the other half
    grip = hexcolor("#ffffff", 90)
    if w > h:
        for dx in (-6, 0, 6):
            c.fill(stroke([(gx + dx, gy - 12), (gx + dx, gy + 12)], 2.2), grip)
    else:
        for dy in (-6, 0, 6):
            c.fill(stroke([(gx - 12, gy + dy), (gx + 12, gy + dy)], 2.2), grip)
    return c


def snap_button():
    for pressed in (False, True):
        suffix = "_pressed" if pressed else ""
        # Tucked in at the top the lower half shows; at the bottom the upper half; at the
        # right the left half; at the left the right half.
        save(snap_picture(80, 140, (0, 70, 80, 140), pressed), "SnapButton/top%s.png" % suffix)
        save(snap_picture(80, 140, (0, 0, 80, 70), pressed), "SnapButton/bottom%s.png" % suffix)
        save(snap_picture(140, 80, (0, 0, 70, 80), pressed), "SnapButton/right%s.png" % suffix)
        save(snap_picture(140, 80, (70, 0, 140, 80), pressed), "SnapButton/left%s.png" % suffix)
    c = Canvas(80, 80)
    c.fill(disc(40, 40, 39), hexcolor("#000000", 70))
    c.fill(disc(40, 40, 38), SLATE)
    c.fill(disc(40, 40, 23), hexcolor("#ffffff", 235))
    c.fill(disc(40, 40, 19), RED)
    c.fill(disc(34, 34, 5), hexcolor("#ffffff", 50))
    save(c, "SnapButton/moving.png")


# ---------------------------------------------------------------- window icon


# The frame's corner brackets, on the 128-unit grid of the window icon.
ICON_BRACKETS = (((22, 46), (22, 22), (46, 22)), ((82, 22), (106, 22), (106, 46)),
                 ((106, 82), (106, 106), (82, 106)), ((46, 106), (22, 106), (22, 82)))


def draw_icon(size):
    """The program's icon at `size` pixels: the 128-unit drawing scaled."""
    k = size / 128.0
    c = Canvas(size, size)
    c.fill(rbox(4 * k, 4 * k, 124 * k, 124 * k, 26 * k), hexcolor("#2f343a"))
    c.fill(rbox(4 * k, 4 * k, 124 * k, 64 * k, 26 * k), hexcolor("#ffffff", 14))  # a faint upper sheen
    frame = hexcolor("#e8eaed")
    for corner in ICON_BRACKETS:
        c.fill(stroke([(x * k, y * k) for x, y in corner], 7 * k), frame)
    c.fill(disc(64 * k, 64 * k, 29 * k), hexcolor("#ffffff", 240))
    c.fill(disc(64 * k, 64 * k, 24 * k), RED)
    c.fill(disc(56 * k, 56 * k, 7 * k), hexcolor("#ffffff", 60))
    return c


def icon_svg():
    """The same drawing as scalable vector graphics, for the desktop's icon theme."""
    def rgb(color):
        return "#%02x%02x%02x" % color[:3]

    def opacity(color):
        return "%.4g" % (color[3] / 255.0)
    # The sheen is the upper half of the rounded box: clip the box to y <= 64.
    parts = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        '<svg xmlns="http://www.w3.org/2000/svg" width="128" height="128" viewBox="0 0 128 128">',
        '  <title>Clipnest</title>',
        '  <defs><clipPath id="upper"><rect x="0" y="0" width="128" height="64"/></clipPath></defs>',
        '  <rect x="4" y="4" width="120" height="120" rx="26" fill="#2f343a"/>',
        '  <rect x="4" y="4" width="120" height="120" rx="26" fill="#ffffff" fill-opacity="%s"'
        ' clip-path="url(#upper)"/>' % opacity(hexcolor("#ffffff", 14)),
    ]
    for corner in ICON_BRACKETS:
        points = " ".join("%d,%d" % p for p in corner)
        parts.append('  <polyline points="%s" fill="none" stroke="#e8eaed" stroke-width="7"'
                     ' stroke-linecap="round" stroke-linejoin="round"/>' % points)
    parts += [
        '  <circle cx="64" cy="64" r="29" fill="#ffffff" fill-opacity="%s"/>'
        % opacity(hexcolor("#ffffff", 240)),
        '  <circle cx="64" cy="64" r="24" fill="%s"/>' % rgb(RED),
        '  <circle cx="56" cy="56" r="7" fill="#ffffff" fill-opacity="%s"/>'
        % opacity(hexcolor("#ffffff", 60)),
        '</svg>',
        '',
    ]
    return "\n".join(parts)


# The hicolor theme sizes desktops look for, small panel icons to large launchers.
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def window_icon():
    save(draw_icon(128), "windowIcon.png")


def theme_icons():
    for size in ICON_SIZES:
        save(draw_icon(size), "icons/hicolor/%dx%d/apps/clipnest.png" % (size, size))
    path = os.path.join(ROOT, "icons/hicolor/scalable/apps/clipnest.svg")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(icon_svg())


if __name__ == "__main__":
    buttons()
    social()
    flags()
    snap_button()
    window_icon()
    theme_icons()
