#!/usr/bin/env python3
"""Draws every picture the client embeds, with the geometry its windows rely on.

Python standard library only. The output in resources/ is committed; run this again after a change
of look:  python3 tools/gen_assets.py resources
"""
import math
import os
import struct
import sys
import zlib

MAGENTA = (255, 0, 255, 255)


class Canvas:
    """An RGBA raster with the few drawing operations the skins need."""

    def __init__(self, w, h, fill=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [list(fill) for _ in range(w * h)]

    def get(self, x, y):
        return tuple(self.px[y * self.w + x])

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y * self.w + x] = list(c)

    def blend(self, x, y, c, cover=1.0):
        """Source-over of colour c (with its alpha scaled by cover) onto the pixel."""
        if not (0 <= x < self.w and 0 <= y < self.h) or cover <= 0:
            return
        d = self.px[y * self.w + x]
        sa = c[3] / 255.0 * min(cover, 1.0)
        da = d[3] / 255.0
        oa = sa + da * (1 - sa)
        if oa <= 0:
            self.px[y * self.w + x] = [0, 0, 0, 0]
            return
        out = [int(round((c[i] * sa + d[i] * da * (1 - sa)) / oa)) for i in range(3)]
        self.px[y * self.w + x] = out + [int(round(oa * 255))]

    def rect(self, x0, y0, x1, y1, c):
        """Fills [x0, x1) x [y0, y1) with c, replacing what is there."""
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[y * self.w + x] = list(c)

    def vgradient(self, x0, y0, x1, y1, top, bottom):
        n = max(1, y1 - y0 - 1)
        for y in range(y0, y1):
            t = (y - y0) / n
            c = [int(round(top[i] + (bottom[i] - top[i]) * t)) for i in range(3)] + [255]
            self.rect(x0, y, x1, y + 1, c)

    def round_rect(self, x0, y0, x1, y1, r, c, blend=True):
        """Anti-aliased filled rounded rectangle over [x0, x1) x [y0, y1)."""
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                cover = rounded_cover(x + 0.5, y + 0.5, x0, y0, x1, y1, r)
                if cover <= 0:
                    continue
                if blend:
                    self.blend(x, y, c, cover)
                else:
                    self.set(x, y, c)

    def disc(self, cx, cy, r, c):
        for y in range(int(cy - r - 1), int(cy + r + 2)):
            for x in range(int(cx - r - 1), int(cx + r + 2)):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                self.blend(x, y, c, r + 0.5 - d)

    def line(self, xa, ya, xb, yb, c, width=1.0):
        """Anti-aliased thick line by distance to the segment."""
        minx, maxx = int(min(xa, xb) - width - 1), int(max(xa, xb) + width + 2)
        miny, maxy = int(min(ya, yb) - width - 1), int(max(ya, yb) + width + 2)
        dx, dy = xb - xa, yb - ya
        ll = dx * dx + dy * dy or 1e-9
        for y in range(miny, maxy):
            for x in range(minx, maxx):
                px, py = x + 0.5, y + 0.5
                t = max(0.0, min(1.0, ((px - xa) * dx + (py - ya) * dy) / ll))
                d = math.hypot(px - (xa + t * dx), py - (ya + t * dy))
                self.blend(x, y, c, width / 2 + 0.5 - d)

    def text(self, x, y, s, c, scale=1):
        for ch in s:
            glyph = FONT.get(ch.upper(), FONT[" "])
            for row, bits in enumerate(glyph):
                for col in range(5):
                    if bits & (0x10 >> col):
                        for sy in range(scale):
                            for sx in range(scale):
                                self.blend(x + col * scale + sx, y + row * scale + sy, c)
            x += 6 * scale

    def key_out(self, key=MAGENTA):
        """Opaque copy: transparent pixels become the key colour, the rest lose their alpha."""
        out = Canvas(self.w, self.h)
        for i, p in enumerate(self.px):
            if p[3] < 128:
                out.px[i] = list(key)
            else:
                out.px[i] = p[:3] + [255]
        return out


def rounded_cover(px, py, x0, y0, x1, y1, r):
    if px < x0 or px > x1 or py < y0 or py > y1:
        return 0.0
    cx = min(max(px, x0 + r), x1 - r)
    cy = min(max(py, y0 + r), y1 - r)
    d = math.hypot(px - cx, py - cy)
    edge = min(px - x0, x1 - px, py - y0, y1 - py) + 0.5
    if d > 0 and (px < x0 + r or px > x1 - r) and (py < y0 + r or py > y1 - r):
        return max(0.0, min(1.0, r + 0.5 - d))
    return max(0.0, min(1.0, edge))


# A 5 x 7 pixel font, enough for the few Latin words painted into the pictures.
FONT = {
    " ": [0, 0, 0, 0, 0, 0, 0],
    ".": [0, 0, 0, 0, 0, 0x0C, 0x0C],
    "A": [0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11],
    "C": [0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E],
    "D": [0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E],
    "E": [0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F],
    "G": [0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F],
    "I": [0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E],
    "K": [0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11],
    "L": [0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F],
    "M": [0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11],
    "N": [0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11],
    "O": [0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E],
    "R": [0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11],
    "T": [0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04],
    "V": [0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04],
    "Y": [0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04],
}


# ---------------------------------------------------------------------------------------------
# File formats


def png_bytes(cv):
    raw = bytearray()
    for y in range(cv.h):
        raw.append(0)
        for x in range(cv.w):
            raw.extend(cv.px[y * cv.w + x])

    def chunk(tag, data):
        c = struct.pack(">I", len(data)) + tag + data
        return c + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", cv.w, cv.h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def dib(cv, bpp, with_mask=False, palette=None):
    """A bottom-up DIB (header, palette, pixels[, AND mask]) as bitmaps and icons store it."""
    w, h = cv.w, cv.h
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b, a = cv.px[y * w + x]
            if bpp == 32:
                row += bytes((b, g, r, a))
            elif bpp == 24:
                row += bytes((b, g, r))
            else:
                row.append(palette.index(nearest(palette, (r, g, b))))
        while len(row) % 4:
            row.append(0)
        rows.append(bytes(row))
    pixels = b"".join(rows)
    colours = 0 if palette is None else 256
    mask = b""
    if with_mask:
        for y in range(h - 1, -1, -1):
            bits = bytearray((w + 31) // 32 * 4)
            for x in range(w):
                if cv.px[y * w + x][3] < 128:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(bits)
    hh = h * 2 if with_mask else h
    header = struct.pack("<IiiHHIIiiII", 40, w, hh, 1, bpp, 0, len(pixels) + len(mask), 3780,
                         3780, colours, 0)
    pal = b"" if palette is None else b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + pal + pixels + mask


def bmp_file(cv, bpp=24):
    body = dib(cv, bpp)
    return struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, 14 + 40) + body


def web_palette():
    """The 216-colour cube plus greys: what the 8-bit icon image is reduced to."""
    pal = [(r, g, b) for r in range(0, 256, 51) for g in range(0, 256, 51) for b in range(0, 256, 51)]
    pal += [(i * 6, i * 6, i * 6) for i in range(1, 41)]
    return pal[:256]


def nearest(palette, c):
    return min(palette, key=lambda p: (p[0] - c[0]) ** 2 + (p[1] - c[1]) ** 2 + (p[2] - c[2]) ** 2)


def ico_file(images):
    """images: list of (canvas, bpp). Each image is stored as a DIB with its AND mask."""
    blobs = []
    for cv, bpp in images:
        blobs.append(dib(cv, bpp, with_mask=True, palette=web_palette() if bpp == 8 else None))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (cv, bpp), blob in zip(images, blobs):
        colours = 0
        out += struct.pack("<BBBBHHII", cv.w % 256, cv.h % 256, colours, 0, 1, bpp, len(blob),
                           offset)
        offset += len(blob)
    return out + b"".join(blobs)


# ---------------------------------------------------------------------------------------------
# The pictures

GOLD = (246, 196, 72, 255)
DEEP = (18, 42, 86, 255)
BLUE = (34, 112, 200, 255)


def emblem(size):
    """The program's mark: a gold ring with a blue V, transparent around it."""
    cv = Canvas(size, size)
    s = size / 64.0
    cv.disc(size / 2, size / 2, 31 * s, GOLD)
    cv.disc(size / 2, size / 2, 26 * s, DEEP)
    w = max(1.5, 6 * s)
    cv.line(18 * s, 18 * s, 32 * s, 47 * s, (120, 190, 255, 255), w)
    cv.line(46 * s, 18 * s, 32 * s, 47 * s, (120, 190, 255, 255), w)
    return cv


def splash():
    """356 x 122: a rounded plate with a soft shadow, fully transparent outside it."""
    cv = Canvas(356, 122)
    for i in range(6, 0, -1):
        cv.round_rect(6 - i, 8 - i, 350 + i, 118 + i, 16 + i, (0, 0, 0, 18))
    cv.round_rect(6, 4, 350, 114, 16, (255, 255, 255, 255))
    inner = Canvas(356, 122)
    inner.vgradient(0, 0, 356, 122, (30, 70, 140), (10, 28, 64))
    for y in range(7, 112):
        for x in range(9, 348):
            c = rounded_cover(x + 0.5, y + 0.5, 9, 7, 347, 111, 13)
            if c > 0:
                cv.blend(x, y, inner.get(x, y), c)
    em = emblem(64)
    for y in range(64):
        for x in range(64):
            cv.blend(24 + x, 27 + y, em.get(x, y))
    cv.text(104, 36, "ORVIKVELMORA", (255, 255, 255, 255), 3)
    cv.text(106, 70, "LOADING...", (160, 200, 255, 255), 2)
    for i in range(8):
        cv.disc(250 + i * 11, 78, 3, (246, 196, 72, 80 + i * 20))
    return cv


def login_skin():
    """888 x 518: shadowed frame with a title band; the page shows through the key-coloured
    parts of the login page lying over it."""
    cv = Canvas(888, 518)
    for i in range(8, 0, -1):
        cv.round_rect(10 - i, 12 - i, 878 + i, 510 + i, 12 + i, (0, 0, 0, 14))
    cv.round_rect(10, 8, 878, 506, 12, (16, 40, 84, 255))
    band = Canvas(888, 60)
    band.vgradient(0, 0, 888, 60, (58, 128, 214), (20, 64, 140))
    for y in range(10, 60):
        for x in range(12, 876):
            c = rounded_cover(x + 0.5, y + 0.5, 12, 10, 876, 140, 10)
            if c > 0:
                cv.blend(x, y, band.get(x, y), c)
    em = emblem(32)
    for y in range(32):
        for x in range(32):
            cv.blend(24 + x, 18 + y, em.get(x, y))
    cv.text(66, 26, "ORVIKVELMORA", (255, 255, 255, 255), 2)
    cv.round_rect(14, 62, 874, 502, 6, (236, 242, 250, 255), blend=False)
    for x in range(14, 874):
        cv.blend(x, 60, (246, 196, 72, 255))
        cv.blend(x, 61, (246, 196, 72, 160))
    return cv


def caption_strip(kind, slices, width):
    """Bitmaps 101-104: strips of equal slices (normal, hover, pressed[, and again for 'on'])."""
    h = 18
    sw = width // slices
    cv = Canvas(width, h, (222, 222, 222, 255))
    for i in range(slices):
        look = i % 3
        on = i >= 3
        bg = [(38, 98, 180, 255), (72, 140, 224, 255), (20, 60, 120, 255)][look]
        if kind == "close" and look > 0:
            bg = [(0, 0, 0, 0), (226, 70, 60, 255), (160, 30, 24, 255)][look]
        x0 = i * sw
        cv.rect(x0, 0, x0 + sw, h, bg)
        cx, cy = x0 + sw / 2, h / 2
        fg = (255, 255, 255, 255)
        if kind == "min":
            cv.rect(int(cx - 4), 12, int(cx + 4), 14, fg)
        elif kind == "tool":
            for k in range(3):
                cv.rect(int(cx - 5), 5 + k * 3, int(cx + 5), 6 + k * 3, fg)
        elif kind == "close":
            cv.line(cx - 4, cy - 4, cx + 4, cy + 4, fg, 1.6)
            cv.line(cx + 4, cy - 4, cx - 4, cy + 4, fg, 1.6)
        elif kind == "minmax":
            if not on:  # maximise look: one box
                cv.rect(int(cx - 5), 4, int(cx + 5), 6, fg)
                cv.rect(int(cx - 5), 4, int(cx - 4), 14, fg)
                cv.rect(int(cx + 4), 4, int(cx + 5), 14, fg)
                cv.rect(int(cx - 5), 13, int(cx + 5), 14, fg)
            else:  # restore look: two boxes
                for ox, oy in ((2, -2), (-1, 1)):
                    cv.rect(int(cx - 4 + ox), 6 + oy, int(cx + 3 + ox), 7 + oy, fg)
                    cv.rect(int(cx - 4 + ox), 6 + oy, int(cx - 3 + ox), 13 + oy, fg)
                    cv.rect(int(cx + 2 + ox), 6 + oy, int(cx + 3 + ox), 13 + oy, fg)
                    cv.rect(int(cx - 4 + ox), 12 + oy, int(cx + 3 + ox), 13 + oy, fg)
    if kind == "close":
        # The normal look of the close button sits on the title strip's blue.
        cv.rect(0, 0, sw, h, (38, 98, 180, 255))
        cx = sw / 2
        cv.line(cx - 4, 5, cx + 4, 13, (255, 255, 255, 255), 1.6)
        cv.line(cx + 4, 5, cx - 4, 13, (255, 255, 255, 255), 1.6)
    return cv


def logo():
    """Bitmap 105: 29 x 29, 32 bits per pixel."""
    em = emblem(29)
    cv = Canvas(29, 29, (38, 98, 180, 255))
    for y in range(29):
        for x in range(29):
            cv.blend(x, y, em.get(x, y))
    return cv


def tab_skin(style):
    """Bitmaps 106 (style 0, 415 x 25) and 107 (style 1, 421 x 28)."""
    if style == 0:
        w, h, tw, th, grad = 415, 25, 122, 25, ((61, 162, 232), (15, 106, 172))
    else:
        w, h, tw, th, grad = 421, 28, 124, 26, ((100, 143, 230), (36, 79, 166))
    cv = Canvas(w, h, MAGENTA)
    cv.vgradient(0, 0, 1, h, grad[0], grad[1])
    looks = [
        ((52, 128, 210), (30, 96, 178)),  # ordinary
        ((110, 180, 246), (70, 146, 226)),  # pointer over it
        ((255, 255, 255), (226, 230, 236)),  # selected
    ]
    if style == 1:
        looks = [
            ((206, 222, 248), (170, 196, 236)),
            ((232, 240, 255), (198, 218, 250)),
            ((255, 255, 255), (224, 226, 230)),
        ]
    for i, (top, bottom) in enumerate(looks):
        x0 = 1 + i * tw
        tab = Canvas(tw, th)
        grad_cv = Canvas(tw, th)
        grad_cv.vgradient(0, 0, tw, th, top, bottom)
        for y in range(th):
            for x in range(tw):
                if style == 0:
                    # slanted edges in the outer 14 columns
                    slant = 14 * (1 - y / (th - 1)) if th > 1 else 0
                    inside = (x + 0.5 >= slant and tw - x - 0.5 >= slant)
                    cover = 1.0 if inside else 0.0
                else:
                    cover = rounded_cover(x + 0.5, y + 0.5, 0, 0, tw, th, th / 2)
                if cover >= 0.5:
                    tab.set(x, y, grad_cv.get(x, y))
        for y in range(th):
            for x in range(tw):
                p = tab.get(x, y)
                if p[3] == 255:
                    cv.set(x0 + x, y, p)
    gx = 1 + 3 * tw
    glyphs = [
        (None, (150, 150, 150, 255)),  # on the selected tab: grey cross
        (None, (30, 40, 60, 255)),  # on other tabs: dark cross
        ((220, 50, 40, 255), (255, 255, 255, 255)),  # pointer over it: white on red
        ((90, 20, 16, 255), (255, 255, 255, 255)),  # pressed: white on dark
    ]
    for i, (disc, cross) in enumerate(glyphs):
        g = Canvas(12, 12)
        if disc:
            g.disc(6, 6, 5.5, disc)
        g.line(3.5, 3.5, 8.5, 8.5, cross, 1.5)
        g.line(8.5, 3.5, 3.5, 8.5, cross, 1.5)
        keyed = g.key_out()
        for y in range(12):
            for x in range(12):
                cv.set(gx + i * 12 + x, y, keyed.get(x, y))
    return cv


def window_skin():
    """Bitmap 108, 94 x 85: title strip rows 0-32 with rounded top corners, 4 px borders."""
    cv = Canvas(94, 85, (255, 255, 255, 255))
    frame = (28, 82, 160, 255)
    cv.rect(0, 0, 94, 85, frame)
    cv.rect(4, 33, 90, 81, (255, 255, 255, 255))
    strip = Canvas(94, 33)
    strip.vgradient(0, 0, 94, 33, (64, 140, 226), (28, 82, 160))
    for y in range(33):
        for x in range(94):
            cv.set(x, y, strip.get(x, y))
    # rounded top corners of radius 3, the windows' own corner rounding (6 x 6 ellipses); the
    # title bar copies the skin as it is, so the corners outside the arc take the frame's
    # colour rather than a key colour that would show inside a window's outline
    for x in range(94):
        cv.set(x, 0, (120, 180, 240, 255))
    for y in range(3):
        for x in range(3):
            if math.hypot(2.5 - x, 2.5 - y) > 3:
                cv.set(x, y, frame)
                cv.set(93 - x, y, frame)
    return cv


def answer_strip():
    """225 x 22, three 75 px slices (normal, hover, pressed) for the dialog's answer buttons."""
    cv = Canvas(225, 22, (255, 255, 255, 255))
    looks = [((250, 250, 250), (220, 226, 234)), ((236, 246, 255), (190, 216, 246)),
             ((190, 210, 236), (214, 226, 242))]
    for i, (top, bottom) in enumerate(looks):
        inner = Canvas(75, 22)
        inner.vgradient(0, 0, 75, 22, top, bottom)
        border = (120, 150, 190, 255)
        for y in range(22):
            for x in range(75):
                edge = x in (0, 74) or y in (0, 21)
                cv.set(i * 75 + x, y, border if edge else inner.get(x, y))
    return cv


def link_back(width, height):
    """Back picture of a text link: the title strip's blue in three equal slices."""
    cv = Canvas(width * 3, height)
    for i, c in enumerate([(38, 98, 180), (52, 118, 204), (28, 80, 150)]):
        cv.rect(i * width, 0, (i + 1) * width, height, list(c) + [255])
    return cv


def star_icon(size):
    cv = Canvas(size, size)
    c = size / 2
    pts = []
    for k in range(10):
        r = size * (0.48 if k % 2 == 0 else 0.2)
        a = -math.pi / 2 + k * math.pi / 5
        pts.append((c + r * math.cos(a), c + r * math.sin(a)))
    for y in range(size):
        for x in range(size):
            if point_in_poly(x + 0.5, y + 0.5, pts):
                cv.set(x, y, GOLD)
    return cv


def person_icon(size):
    cv = Canvas(size, size)
    cv.disc(size / 2, size * 0.32, size * 0.2, (255, 255, 255, 255))
    cv.round_rect(int(size * 0.18), int(size * 0.58), int(size * 0.82), size, size * 0.25,
                  (255, 255, 255, 255))
    return cv


def point_in_poly(x, y, pts):
    inside = False
    j = len(pts) - 1
    for i in range(len(pts)):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def opaque(cv, bg):
    out = Canvas(cv.w, cv.h, bg)
    for y in range(cv.h):
        for x in range(cv.w):
            out.blend(x, y, cv.get(x, y))
    return out


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "resources"
    os.makedirs(os.path.join(out, "design"), exist_ok=True)

    def write(name, data):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)

    write("splash.png", png_bytes(splash()))
    write("login.png", png_bytes(login_skin()))
    write("velm.ico", ico_file([(opaque(emblem(16), (255, 255, 255, 0)), 8), (emblem(64), 32),
                                (emblem(48), 32), (emblem(32), 32), (emblem(24), 32),
                                (emblem(16), 32)]))
    write("min.bmp", bmp_file(caption_strip("min", 3, 72)))  # 101
    write("minmax.bmp", bmp_file(caption_strip("minmax", 6, 150)))  # 102
    write("close.bmp", bmp_file(caption_strip("close", 3, 129)))  # 103
    write("tool.bmp", bmp_file(caption_strip("tool", 3, 72)))  # 104
    write("logo.bmp", bmp_file(logo(), 32))  # 105
    write("tab0.bmp", bmp_file(tab_skin(0)))  # 106
    write("tab1.bmp", bmp_file(tab_skin(1)))  # 107
    write("frame.bmp", bmp_file(window_skin()))  # 108
    write("design/answer.bmp", bmp_file(answer_strip()))
    write("design/otheruser.bmp", bmp_file(link_back(99, 22)))
    write("design/gamespace.bmp", bmp_file(link_back(81, 22)))
    write("design/otheruser.ico", ico_file([(person_icon(16), 32)]))
    write("design/gamespace.ico", ico_file([(star_icon(16), 32)]))


if __name__ == "__main__":
    main()
