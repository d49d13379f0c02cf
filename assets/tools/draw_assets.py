#!/usr/bin/env python3
"""Draws Zirpomat's skins, button pictures, icons and LED, and synthesises the
default beep. Standard library only; every output is deterministic, so a
rerun reproduces the committed files byte for byte.

    python3 assets/tools/draw_assets.py [--check]

--check draws everything in memory and compares it with the files on disk
instead of writing them.
"""

import math
import struct
import sys
from pathlib import Path

ASSETS = Path(__file__).resolve().parent.parent

MAGENTA = (255, 0, 255)

# --------------------------------------------------------------------------
# Canvas and file formats
# --------------------------------------------------------------------------


class Canvas:
    def __init__(self, w, h, fill=(0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def inside(self, x, y):
        return 0 <= x < self.w and 0 <= y < self.h

    def get(self, x, y):
        return self.px[y][x]

    def set(self, x, y, c):
        if self.inside(x, y):
            self.px[y][x] = clamp(c)

    def blend(self, x, y, c, a):
        if self.inside(x, y):
            self.px[y][x] = clamp(mix(self.px[y][x], c, a))

    def rect(self, x, y, w, h, c):
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                self.set(xx, yy, c)

    def shade(self, x, y, w, h, delta):
        """Lightens (delta > 0) or darkens a rectangle by a fixed amount."""
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                if self.inside(xx, yy):
                    self.set(xx, yy, add(self.get(xx, yy), delta))

    def paste(self, other, x0, y0):
        for y in range(other.h):
            for x in range(other.w):
                self.set(x0 + x, y0 + y, other.get(x, y))

    def crop(self, x0, y0, w, h):
        out = Canvas(w, h)
        for y in range(h):
            for x in range(w):
                out.px[y][x] = self.get(x0 + x, y0 + y)
        return out


def clamp(c):
    return tuple(max(0, min(255, int(round(v)))) for v in c)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def add(c, d):
    return tuple(v + d for v in c)


def bmp_bytes(cv):
    """A 24-bit bottom-up BMP with a BITMAPINFOHEADER, rows padded to 4 bytes."""
    stride = (cv.w * 3 + 3) & ~3
    pad = b"\0" * (stride - cv.w * 3)
    rows = []
    for y in range(cv.h - 1, -1, -1):
        row = bytearray()
        for r, g, b in cv.px[y]:
            row += bytes((b, g, r))
        rows.append(bytes(row) + pad)
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, cv.w, cv.h, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    return header + info + data


def wav_bytes(samples, rate):
    data = b"".join(struct.pack("<h", s) for s in samples)
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * 2, 2, 16)
    return (b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE"
            + b"fmt " + struct.pack("<I", 16) + fmt
            + b"data" + struct.pack("<I", len(data)) + data)


# --------------------------------------------------------------------------
# Texture: brushed, dark-anodised metal. The grain depends only on the pixel
# position, so the same spot looks the same on every skin (the LED picture is
# laid over the skins and must match them around the lens).
# --------------------------------------------------------------------------


def hash01(*v):
    h = 2166136261
    for n in v:
        h ^= (n * 0x9E3779B1) & 0xFFFFFFFF
        h = (h * 16777619) & 0xFFFFFFFF
        h ^= h >> 15
    h = (h * 0x85EBCA6B) & 0xFFFFFFFF
    h ^= h >> 13
    return (h & 0xFFFF) / 65535.0


def grain(x, y):
    """Horizontal brushing: a slow streak along each row plus fine speckle."""
    seg = 19
    k, f = divmod(x + int(hash01(y, 7) * seg), seg)
    t = f / seg
    t = t * t * (3 - 2 * t)
    streak = (1 - t) * hash01(y, k) + t * hash01(y, k + 1)
    row = hash01(y, 991)
    speck = hash01(x, y, 3)
    return (streak - 0.5) * 7 + (row - 0.5) * 4 + (speck - 0.5) * 3


BODY = (60, 64, 72)


def metal(x, y, base=BODY, light=0.0):
    g = grain(x, y) + light
    return clamp((base[0] + g, base[1] + g, base[2] + g * 1.1))


# --------------------------------------------------------------------------
# Tiny bitmap glyphs
# --------------------------------------------------------------------------

FONT3x5 = {
    "A": ["###", "#.#", "###", "#.#", "#.#"],
    "B": ["##.", "#.#", "##.", "#.#", "##."],
    "C": ["###", "#..", "#..", "#..", "###"],
    "D": ["##.", "#.#", "#.#", "#.#", "##."],
    "E": ["###", "#..", "##.", "#..", "###"],
    "I": ["###", ".#.", ".#.", ".#.", "###"],
    "L": ["#..", "#..", "#..", "#..", "###"],
    "M": ["#...#", "##.##", "#.#.#", "#...#", "#...#"],
    "N": ["#..#", "##.#", "#.##", "#..#", "#..#"],
    "O": ["###", "#.#", "#.#", "#.#", "###"],
    "P": ["###", "#.#", "###", "#..", "#.."],
    "R": ["##.", "#.#", "##.", "#.#", "#.#"],
    "S": ["###", "#..", "###", "..#", "###"],
    "T": ["###", ".#.", ".#.", ".#.", ".#."],
    "U": ["#.#", "#.#", "#.#", "#.#", "###"],
    "Z": ["###", "..#", ".#.", "#..", "###"],
    "0": ["###", "#.#", "#.#", "#.#", "###"],
    "1": [".#.", "##.", ".#.", ".#.", "###"],
    "5": ["###", "#..", "##.", "..#", "##."],
    "7": ["###", "..#", ".#.", ".#.", ".#."],
    "-": ["...", "...", "###", "...", "..."],
    " ": ["...", "...", "...", "...", "..."],
}

# The wordmark's letters, 5 x 7 with a heavier stroke.
FONT5x7 = {
    "I": ["###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
}


def draw_bits(cv, x, y, rows, color, alpha=1.0):
    for dy, row in enumerate(rows):
        for dx, ch in enumerate(row):
            if ch == "#":
                cv.blend(x + dx, y + dy, color, alpha)


def text_width(s, font):
    return sum(len(font[ch][0]) + 1 for ch in s) - 1


def draw_text(cv, x, y, s, font, color, alpha=1.0):
    for ch in s:
        draw_bits(cv, x, y, font[ch], color, alpha)
        x += len(font[ch][0]) + 1


def engraved_text(cv, x, y, s, font, color):
    """Light lettering with a soft shadow below, as if stamped into metal."""
    draw_text(cv, x, y + 1, s, font, (10, 11, 14), 0.55)
    draw_text(cv, x, y, s, font, color)


# --------------------------------------------------------------------------
# Skin outline
# --------------------------------------------------------------------------

# Pixels left of (and mirrored right of) a rounded corner, row by row, for a
# corner of the given radius.
CORNERS = {
    5: [5, 3, 2, 1, 1],
    4: [4, 2, 1, 1],
    3: [2, 1, 1],
}


def outline_insets(w, h, bottom_strip=None):
    """Left and right magenta run lengths of every row.

    bottom_strip = (top, left, right): from row `top` on, the skin is only the
    columns left..right (an indented foot); otherwise the body ends at row h-1.
    """
    body_end = h - 1 if bottom_strip is None else bottom_strip[0] - 1
    runs = []
    top = CORNERS[5]
    bottom = CORNERS[4] if bottom_strip is None else CORNERS[3]
    for y in range(h):
        inset = 0
        if y < len(top):
            inset = top[y]
        elif y <= body_end and body_end - y < len(bottom):
            inset = bottom[body_end - y]
        if y <= body_end:
            runs.append((inset, inset))
            continue
        st, sl, sr = bottom_strip
        foot = CORNERS[5]
        k = h - 1 - y
        extra = foot[k] if k < len(foot) else 0
        runs.append((sl + extra, w - 1 - sr + extra))
    return runs


def inside_outline(runs, w, x, y):
    left, right = runs[y]
    return left <= x < w - right


def apply_outline(cv, runs):
    for y, (left, right) in enumerate(runs):
        for x in range(left):
            cv.px[y][x] = MAGENTA
        for x in range(cv.w - right, cv.w):
            cv.px[y][x] = MAGENTA


def edge_bevel(cv, runs):
    """Light rim where the body faces up or left, dark rim where it faces down
    or right, one pixel wide along the whole outline."""
    w, h = cv.w, cv.h

    def solid(x, y):
        return 0 <= y < h and 0 <= x < w and inside_outline(runs, w, x, y)

    out = {}
    for y in range(h):
        for x in range(w):
            if not solid(x, y):
                continue
            up = not solid(x, y - 1)
            left = not solid(x - 1, y)
            down = not solid(x, y + 1)
            right = not solid(x + 1, y)
            if down or right:
                out[(x, y)] = mix(cv.get(x, y), (12, 13, 16), 0.75)
            elif up or left:
                out[(x, y)] = mix(cv.get(x, y), (175, 182, 195), 0.55)
            elif not solid(x - 1, y - 1) or not solid(x, y - 2) or not solid(x - 2, y):
                out[(x, y)] = mix(cv.get(x, y), (150, 156, 168), 0.18)
            elif not solid(x + 1, y + 1) or not solid(x, y + 2) or not solid(x + 2, y):
                out[(x, y)] = mix(cv.get(x, y), (12, 13, 16), 0.35)
    for (x, y), c in out.items():
        cv.set(x, y, c)


# --------------------------------------------------------------------------
# Parts of the panel
# --------------------------------------------------------------------------


def recess(cv, x, y, w, h, depth=1):
    """A sunken frame around the rectangle x, y, w, h (outside it)."""
    for d in range(1, depth + 1):
        a = 0.65 if d == 1 else 0.35
        for xx in range(x - d, x + w + d):
            cv.blend(xx, y - d, (5, 6, 8), a)
            cv.blend(xx, y + h - 1 + d, (190, 196, 208), a * 0.7)
        for yy in range(y - d, y + h + d):
            cv.blend(x - d, yy, (5, 6, 8), a)
            cv.blend(x + w - 1 + d, yy, (190, 196, 208), a * 0.7)


def lcd(cv, x, y, w, h, base, glass_light):
    """A glass display window: dark or light, slightly brighter at the top."""
    for yy in range(y, y + h):
        t = (yy - y) / max(1, h - 1)
        for xx in range(x, x + w):
            c = mix(base, add(base, -8), t)
            if (yy - y) % 2 == 1:
                c = add(c, -2)
            cv.set(xx, yy, c)
    # inner shadow along the top and left edges of the glass
    for xx in range(x, x + w):
        cv.blend(xx, y, (0, 0, 0), 0.45)
    for yy in range(y, y + h):
        cv.blend(x, yy, (0, 0, 0), 0.30)
    # a faint reflection band across the upper third
    for yy in range(y + 1, y + 1 + max(1, h // 3)):
        for xx in range(x + 1, x + w):
            cv.blend(xx, yy, glass_light, 0.05)


def key(cv, x, y, w, h, face=(78, 83, 93), glyph=None, glyph_color=(222, 226, 232)):
    """A small raised key with a dark gap around it, rounded corners and a
    one-pixel bevel. glyph is (rows, dx, dy) relative to the key."""
    ring = (10, 11, 13)
    for yy in range(y, y + h):
        for xx in range(x, x + w):
            edge = xx in (x, x + w - 1) or yy in (y, y + h - 1)
            if edge:
                corner = xx in (x, x + w - 1) and yy in (y, y + h - 1)
                cv.blend(xx, yy, ring, 0.45 if corner else 0.9)
                continue
            t = (yy - y - 1) / max(1, h - 3)
            c = mix(add(face, 14), add(face, -10), t)
            if yy == y + 1 or xx == x + 1:
                c = mix(c, (200, 206, 216), 0.45)
            if yy == y + h - 2 or xx == x + w - 2:
                c = mix(c, (16, 17, 20), 0.55)
            cv.set(xx, yy, c)
    for cx, cy in ((x + 1, y + 1), (x + w - 2, y + 1), (x + 1, y + h - 2), (x + w - 2, y + h - 2)):
        cv.blend(cx, cy, ring, 0.35)
    if glyph:
        rows, dx, dy = glyph
        draw_bits(cv, x + dx + 1, y + dy + 1, rows, (12, 13, 16), 0.5)
        draw_bits(cv, x + dx, y + dy, rows, glyph_color)


GLYPH_HELP = [".###.", "#...#", "....#", "..##.", "..#..", ".....", "..#.."]
GLYPH_MIN = ["#####", "#####"]
GLYPH_CLOSE = ["#...#", ".#.#.", "..#..", ".#.#.", "#...#"]
GLYPH_FOLD = ["..#..", ".###.", "#####"]
GLYPH_UNFOLD = ["#####", ".###.", "..#.."]


def title_key(cv, x, y, rows, color=(222, 226, 232)):
    """An 11 x 11 title-bar key with its glyph centred."""
    gw, gh = len(rows[0]), len(rows)
    key(cv, x, y, 11, 11, glyph=(rows, (11 - gw) // 2, (11 - gh) // 2), glyph_color=color)


def min_key(cv, x, y):
    key(cv, x, y, 11, 11, glyph=(GLYPH_MIN, 3, 6))


def size_switch(cv, x, y, large):
    """A 7 x 13 slide switch: knob up on the large machine, down on the small."""
    ring = (10, 11, 13)
    for yy in range(y, y + 13):
        for xx in range(x, x + 7):
            edge = xx in (x, x + 6) or yy in (y, y + 12)
            corner = xx in (x, x + 6) and yy in (y, y + 12)
            if edge:
                cv.blend(xx, yy, ring, 0.45 if corner else 0.9)
            else:
                cv.set(xx, yy, (22, 24, 28))
    # the slot
    for yy in range(y + 2, y + 11):
        cv.set(x + 3, yy, (4, 4, 6))
    ky = y + 1 if large else y + 6
    key(cv, x + 1, ky, 5, 6, face=(150, 156, 166))
    for xx in range(x + 2, x + 5):
        cv.blend(xx, ky + 3, (40, 42, 48), 0.6)


def ontop_switch(cv, x, y):
    """The 33 x 10 always-on-top key, lettered in place."""
    key(cv, x, y, 33, 10)
    label = "ON TOP"
    tw = text_width(label, FONT3x5)
    draw_text(cv, x + (33 - tw) // 2 + 1, y + 3, label, FONT3x5, (12, 13, 16), 0.5)
    draw_text(cv, x + (33 - tw) // 2, y + 2, label, FONT3x5, (222, 226, 232))


def led(cv, x, y, lit):
    """The 11 x 14 indicator: a chrome bezel round an oblong lens."""
    bezel = [
        "..#######..",
        ".#########.",
        "###########",
    ] + ["###########"] * 8 + [
        "###########",
        ".#########.",
        "..#######..",
    ]
    for dy, row in enumerate(bezel):
        for dx, ch in enumerate(row):
            if ch != "#":
                continue
            t = dy / 13
            c = mix((150, 156, 166), (40, 42, 48), t)
            if dx in (0, 10) or dy in (0, 13):
                c = mix(c, (14, 15, 18), 0.6)
            cv.set(x + dx, y + dy, c)
    cx, cy = 5.0, 6.5
    for dy in range(2, 12):
        for dx in range(2, 9):
            nx, ny = (dx - cx) / 3.6, (dy - cy) / 5.1
            r = math.sqrt(nx * nx + ny * ny)
            if r > 1.0:
                continue
            if lit:
                c = mix((255, 235, 215), (235, 40, 25), min(1, r * 1.25))
                c = mix(c, (150, 10, 8), max(0, r - 0.75) * 2.5)
            else:
                c = mix((96, 28, 24), (40, 10, 10), r)
            cv.set(x + dx, y + dy, c)
    # the lens's reflection
    cv.blend(x + 4, y + 3, (255, 255, 255), 0.75 if lit else 0.55)
    cv.blend(x + 3, y + 4, (255, 255, 255), 0.35)
    cv.blend(x + 5, y + 3, (255, 255, 255), 0.3)


def screw(cv, x, y):
    """A 5 x 5 countersunk screw head with a slot."""
    head = [".###.", "#####", "#####", "#####", ".###."]
    for dy, row in enumerate(head):
        for dx, ch in enumerate(row):
            if ch == "#":
                t = (dx + dy) / 8
                cv.set(x + dx, y + dy, mix((170, 176, 186), (62, 66, 74), t))
    for d in range(5):
        cv.blend(x + d, y + 4 - d, (20, 21, 25), 0.8 if 0 < d < 4 else 0.4)
    cv.blend(x - 1, y + 2, (8, 8, 10), 0.3)
    cv.blend(x + 2, y - 1, (8, 8, 10), 0.3)


def badge_z(cv, x, y):
    """The 9 x 9 red badge with the logo's letter Z."""
    for dy in range(9):
        for dx in range(9):
            corner = dx in (0, 8) and dy in (0, 8)
            t = dy / 8
            c = mix((238, 70, 50), (150, 22, 18), t)
            if dy == 0 or dx == 0:
                c = mix(c, (255, 170, 150), 0.4)
            if dy == 8 or dx == 8:
                c = mix(c, (60, 6, 6), 0.5)
            cv.blend(x + dx, y + dy, c, 0.35 if corner else 1.0)
    z = ["#####", "...#.", "..#..", ".#...", "#####"]
    draw_bits(cv, x + 2, y + 2, z, (255, 246, 236))


def grille(cv, x, y, slots, height):
    """Vertical speaker slots, two pixels wide on a four-pixel pitch."""
    for i in range(slots):
        sx = x + i * 4
        for yy in range(y, y + height):
            cap = yy in (y, y + height - 1)
            cv.blend(sx, yy, (4, 5, 6), 0.6 if cap else 0.9)
            cv.blend(sx + 1, yy, (4, 5, 6), 0.45 if cap else 0.7)
            cv.blend(sx + 2, yy, (170, 176, 188), 0.2)


# --------------------------------------------------------------------------
# The four skins
# --------------------------------------------------------------------------

# Where the window's click areas lie (pixels from the skin's top-left corner);
# every painted control sits exactly under its area. Title-bar keys are 11 x 11
# from row 7; their left edges depend on the machine's size.
TITLE_KEYS = {
    "large": {"help": 253, "min": 265, "fold": 276, "close": 288},
    "small": {"help": 70, "min": 81, "fold": 94, "close": 104},
}
KEY_TOP = 7
ONTOP = (9, 8)  # 33 x 10
LED_PLACE = (46, 6)  # 11 x 14
SIZE_SWITCH = (59, 7)  # 7 x 13
PANEL = {"large": (13, 34, 285, 95), "small": (13, 34, 95, 57)}
SOUNDLIST = {"large": (68, 138), "small": (56, 96)}  # 9 x 9, the logo's Z
TIME_LCD = (86, 4, 145, 17)  # round lblTime's text (88, 7, 141 wide)
TITLE_LCD_TOP = 24  # lblTitel's text lies on rows 25 to 33


def skin(size, folded):
    w = 306 if size == "large" else 123
    h = 25 if folded else (151 if size == "large" else 109)
    if folded:
        strip = None
    elif size == "large":
        strip = (135, 34, 271)
    else:
        strip = (95, 16, 106)
    runs = outline_insets(w, h, strip)
    cv = Canvas(w, h)
    for y in range(h):
        # the title bar is a shade lighter than the body below it
        light = 4 if y < 22 else 0
        for x in range(w):
            cv.px[y][x] = metal(x, y, light=light)
    if strip is not None:
        for y in range(strip[0], h):
            for x in range(w):
                cv.px[y][x] = metal(x, y, base=(46, 49, 56))

    title_bar(cv, size, folded)
    if not folded:
        body(cv, size, strip)

    edge_bevel(cv, runs)
    apply_outline(cv, runs)
    check_outline(cv, runs)
    return cv


def title_bar(cv, size, folded):
    w = cv.w
    ontop_switch(cv, *ONTOP)
    led(cv, *LED_PLACE, lit=False)
    size_switch(cv, *SIZE_SWITCH, large=(size == "large"))
    places = TITLE_KEYS[size]
    title_key(cv, places["help"], KEY_TOP, GLYPH_HELP)
    min_key(cv, places["min"], KEY_TOP)
    title_key(cv, places["fold"], KEY_TOP, GLYPH_UNFOLD if folded else GLYPH_FOLD)
    title_key(cv, places["close"], KEY_TOP, GLYPH_CLOSE, color=(255, 120, 100))
    if size == "large":
        x, y, lw, lh = TIME_LCD
        lcd(cv, x, y, lw, lh, (16, 22, 28), (150, 190, 230))
        recess(cv, x, y, lw, lh)
        # a faint model mark in the free space between display and keys
        engraved_text(cv, 238, 9, "ZPM", FONT3x5, (128, 134, 146))
        engraved_text(cv, 238, 15, "75", FONT3x5, (128, 134, 146))
    if not folded:
        # groove that parts the title bar from the panel below
        for x in range(3, w - 3):
            cv.blend(x, 21, (8, 9, 11), 0.35)


def body(cv, size, strip):
    px, py, pw, ph = PANEL[size]
    # one sunken well holds the title display and the button panel
    well_top = TITLE_LCD_TOP
    if size == "large":
        lcd(cv, px, well_top, pw, py - well_top, (196, 212, 214), (255, 255, 255))
    else:
        lcd(cv, px, well_top, pw, py - well_top, (30, 34, 40), (150, 190, 230))
        engraved_text(cv, px + (pw - text_width("SOUNDBOARD", FONT3x5)) // 2, well_top + 3,
                      "SOUNDBOARD", FONT3x5, (96, 104, 116))
    # separator between display and keys, then the dark bed under the keys
    cv.rect(px, py - 1, pw, 1, (8, 9, 11))
    for y in range(py, py + ph):
        for x in range(px, px + pw):
            cv.set(x, y, (14, 15, 18))
    recess(cv, px, well_top, pw, py + ph - well_top, depth=2)

    if size == "small":
        # screws in the margins beside the well (the large body has no room)
        body_bottom = strip[0] - 1
        for y in (25, body_bottom - 7):
            screw(cv, 3, y)
            screw(cv, cv.w - 8, y)

    # the foot: logo on the left, grille on the right
    sx, sy = SOUNDLIST[size]
    st, sl, sr = strip
    for x in range(sl + 1, sr):
        cv.blend(x, st, (8, 9, 11), 0.55)
        cv.blend(x, st + 1, (8, 9, 11), 0.2)
    badge_z(cv, sx, sy)
    if size == "large":
        draw_text(cv, sx + 12, sy + 2, "IRPOMAT", FONT5x7, (10, 11, 14), 0.6)
        draw_text(cv, sx + 11, sy + 1, "IRPOMAT", FONT5x7, (214, 219, 228))
        grille(cv, 196, st + 4, 14, 9)
        screw(cv, sl + 6, st + 5)
        screw(cv, sr - 10, st + 5)
    else:
        engraved_text(cv, sx + 11, sy + 3, "IRPOMAT", FONT3x5, (214, 219, 228))
        grille(cv, sl + 6, st + 4, 6, 8)


def check_outline(cv, runs):
    """Magenta only in the edge runs, and nowhere else by accident."""
    for y in range(cv.h):
        left, right = runs[y]
        for x in range(cv.w):
            edge = x < left or x >= cv.w - right
            assert (cv.get(x, y) == MAGENTA) == edge, (x, y)


# --------------------------------------------------------------------------
# Button state pictures (19 x 19): small lit hardware keys
# --------------------------------------------------------------------------


def state_key(face, lit, glyph=None, glyph_color=(255, 255, 255), glow=None):
    cv = Canvas(19, 19, (8, 9, 11))
    # the key cap occupies 1..17; its corners are rounded by a pixel
    for y in range(1, 18):
        for x in range(1, 18):
            if x in (1, 17) and y in (1, 17):
                cv.set(x, y, mix((8, 9, 11), face, 0.35))
                continue
            dx, dy = (x - 9) / 8.0, (y - 8.5) / 8.0
            r = math.sqrt(dx * dx + dy * dy)
            if lit:
                centre = glow or mix(face, (255, 255, 255), 0.45)
                c = mix(centre, face, min(1.0, r * 1.1))
                c = mix(c, add(face, -60), max(0.0, r - 0.85) * 1.5)
            else:
                t = (y - 1) / 16
                c = mix(add(face, 10), add(face, -8), t)
            cv.set(x, y, c)
    # bevel: a glint along the top and left, shade along the bottom and right
    for i in range(2, 17):
        cv.blend(i, 1, (255, 255, 255), 0.45 if lit else 0.25)
        cv.blend(1, i, (255, 255, 255), 0.3 if lit else 0.15)
        cv.blend(i, 17, (0, 0, 0), 0.5)
        cv.blend(17, i, (0, 0, 0), 0.4)
        cv.blend(i, 2, (255, 255, 255), 0.12 if lit else 0.06)
    # a soft specular spot on the upper left of the cap
    for (x, y, a) in ((4, 3, 0.35), (5, 3, 0.3), (3, 4, 0.3), (4, 4, 0.2), (6, 3, 0.15)):
        cv.blend(x, y, (255, 255, 255), a if lit else a * 0.4)
    if glyph:
        rows = glyph
        gw, gh = len(rows[0]), len(rows)
        gx, gy = (19 - gw) // 2, (19 - gh) // 2
        draw_bits(cv, gx + 1, gy + 1, rows, add(face, -90), 0.35)
        draw_bits(cv, gx, gy, rows, glyph_color)
    return cv


GLYPH_PLAY = ["#...", "##..", "###.", "####", "###.", "##..", "#..."]
GLYPH_LIST = ["#.#####", ".......", "#.#####", ".......", "#.#####"]
GLYPH_CROSS = ["##...##", "###.###", ".#####.", "..###..", ".#####.", "###.###", "##...##"]
GLYPH_MIC = ["..###..", ".#####.", ".#####.", ".#####.", "#.###.#", ".#...#.", "..###..",
             "...#...", ".#####."]


def state_pictures():
    return {
        "ImgEmpty": state_key((42, 45, 51), lit=False),
        "ImgReady": state_key((40, 160, 64), lit=True, glow=(150, 240, 150)),
        "ImgOnAir": state_key((236, 40, 24), lit=True, glyph=GLYPH_PLAY,
                              glow=(255, 190, 140)),
        "ImgListOnAir": state_key((245, 140, 10), lit=True, glyph=GLYPH_LIST,
                                  glow=(255, 230, 140)),
        "ImgError": state_key((58, 40, 20), lit=False, glyph=GLYPH_CROSS,
                              glyph_color=(255, 196, 0)),
        "ImgTalkOver": state_key((36, 110, 240), lit=True, glyph=GLYPH_MIC,
                                 glow=(170, 215, 255)),
    }


# --------------------------------------------------------------------------
# Icons (32 x 32) and the LED picture
# --------------------------------------------------------------------------


def mini_key(cv, x, y, face, lit):
    """An 8 x 8 key for the icon, lit or dark."""
    for dy in range(8):
        for dx in range(8):
            if dx in (0, 7) and dy in (0, 7):
                continue
            r = math.hypot((dx - 3.5) / 3.5, (dy - 3.5) / 3.5)
            if lit:
                c = mix(mix(face, (255, 255, 255), 0.45), face, min(1.0, r))
            else:
                c = mix(add(face, 8), add(face, -6), dy / 7)
            if dy == 0 or dx == 0:
                c = mix(c, (255, 255, 255), 0.3)
            if dy == 7 or dx == 7:
                c = mix(c, (0, 0, 0), 0.45)
            cv.set(x + dx, y + dy, c)


def graphite_tile(cv):
    """A 32 x 32 graphite tile with bevelled, rounded corners."""
    for y in range(32):
        for x in range(32):
            cv.set(x, y, metal(x, y, base=(66, 70, 80), light=6 - y * 0.3))
    runs = [(r, r) for r in (2, 1)] + [(0, 0)] * 28 + [(r, r) for r in (1, 2)]
    edge_bevel(cv, runs)
    for y, (l, r) in enumerate(runs):
        for x in list(range(l)) + list(range(32 - r, 32)):
            cv.set(x, y, (34, 36, 42))
    return cv


def icon_program():
    """A tiny soundboard: a graphite tile holding three by three keys, the
    middle one the red Z badge."""
    cv = graphite_tile(Canvas(32, 32, (0, 0, 0)))
    cv.rect(3, 3, 26, 26, (12, 13, 16))
    recess(cv, 3, 3, 26, 26)
    grid = [
        [(40, 160, 64), (236, 40, 24), None],
        [(36, 110, 240), "Z", (245, 140, 10)],
        [None, (40, 160, 64), (40, 160, 64)],
    ]
    for row in range(3):
        for col in range(3):
            x, y = 4 + col * 9, 4 + row * 9
            face = grid[row][col]
            if face == "Z":
                mini_key(cv, x, y, (230, 60, 44), True)
                z = ["####", "..#.", ".#..", "####"]
                draw_bits(cv, x + 2, y + 2, z, (255, 246, 236))
            elif face is None:
                mini_key(cv, x, y, (50, 53, 60), False)
            else:
                mini_key(cv, x, y, face, True)
    return cv


def icon_calculator():
    """The disguise: a plain grey desk calculator."""
    cv = Canvas(32, 32, (0, 0, 0))
    for y in range(32):
        for x in range(32):
            t = y / 31
            cv.set(x, y, mix((214, 214, 208), (170, 170, 164), t))
    runs = [(r, r) for r in (2, 1)] + [(0, 0)] * 28 + [(r, r) for r in (1, 2)]
    for y, (l, r) in enumerate(runs):
        for x in list(range(l)) + list(range(32 - r, 32)):
            cv.set(x, y, (120, 120, 116))
    for x in range(32):
        cv.blend(x, 0, (255, 255, 255), 0.6)
        cv.blend(x, 31, (60, 60, 58), 0.7)
    for y in range(32):
        cv.blend(0, y, (255, 255, 255), 0.5)
        cv.blend(31, y, (60, 60, 58), 0.7)
    # display
    cv.rect(4, 3, 24, 8, (180, 198, 168))
    recess(cv, 4, 3, 24, 8)
    draw_text(cv, 12, 5, "1705", FONT3x5_DIGITS, (30, 36, 30))
    # keys: 4 columns by 4 rows, the last column orange
    for row in range(4):
        for col in range(4):
            x = 4 + col * 6
            y = 14 + row * 4
            face = (236, 146, 48) if col == 3 else ((250, 250, 248) if row else (120, 124, 132))
            for yy in range(y, y + 3):
                for xx in range(x, x + 5):
                    c = face
                    if yy == y:
                        c = mix(c, (255, 255, 255), 0.4)
                    if yy == y + 2:
                        c = mix(c, (0, 0, 0), 0.25)
                    cv.set(xx, yy, c)
            for xx in range(x, x + 5):
                cv.blend(xx, y + 3, (60, 60, 58), 0.45)
    return cv


FONT3x5_DIGITS = {k: FONT3x5[k] for k in "0157"}


def led_picture():
    """The lit LED, drawn over the very pixels of the title bar it covers."""
    cv = Canvas(11, 14)
    for y in range(14):
        for x in range(11):
            cv.set(x, y, metal(LED_PLACE[0] + x, LED_PLACE[1] + y, light=4))
    led(cv, 0, 0, lit=True)
    return cv


# --------------------------------------------------------------------------
# The sound-list window's skin: a 263 x 300 picture that the window stretches
# to 293 x 335, so every place below is a window place times 263 / 293
# across and 300 / 335 down.
# --------------------------------------------------------------------------

SOUND_LIST_SIZE = (263, 300)
SOUND_LIST_KEYS = {"stop": 14, "fade": 29, "close": 244}  # 11 x 11 keys from row 7
SOUND_LIST_STRIP = (51, 8, 180, 14)  # the drag strip under lblMove
SOUND_LIST_WELL = (12, 43, 242, 246)  # round LstSounds

GLYPH_STOP = ["#####", "#####", "#####", "#####", "#####"]
GLYPH_FADE = ["....#", "...##", "..###", ".####", "#####"]


def drag_strip(cv, x, y, w, h):
    """A sunken strip with ribbed grip lines at both ends and the window's
    name between them."""
    for yy in range(y, y + h):
        for xx in range(x, x + w):
            cv.set(xx, yy, metal(xx, yy, base=(44, 47, 54)))
    recess(cv, x, y, w, h)
    for gx in (x + 4, x + w - 16):
        for i in range(4):
            for yy in range(y + 3, y + h - 3):
                cv.blend(gx + i * 3, yy, (8, 9, 11), 0.7)
                cv.blend(gx + i * 3 + 1, yy, (170, 176, 188), 0.35)
    label = "SOUNDS"
    engraved_text(cv, x + (w - text_width(label, FONT3x5)) // 2, y + (h - 5) // 2, label, FONT3x5,
                  (160, 166, 178))


def sound_list_skin():
    w, h = SOUND_LIST_SIZE
    cv = Canvas(w, h)
    for y in range(h):
        light = 4 if y < 26 else 0
        for x in range(w):
            cv.px[y][x] = metal(x, y, light=light)
    title_key(cv, SOUND_LIST_KEYS["stop"], KEY_TOP, GLYPH_STOP)
    title_key(cv, SOUND_LIST_KEYS["fade"], KEY_TOP, GLYPH_FADE)
    title_key(cv, SOUND_LIST_KEYS["close"], KEY_TOP, GLYPH_CLOSE, color=(255, 120, 100))
    drag_strip(cv, *SOUND_LIST_STRIP)
    for x in range(3, w - 3):
        cv.blend(x, 27, (8, 9, 11), 0.35)
    x, y, lw, lh = SOUND_LIST_WELL
    cv.rect(x, y, lw, lh, (0, 0, 0))
    recess(cv, x, y, lw, lh, depth=2)
    for sy in (32, h - 8):
        screw(cv, 4, sy)
        screw(cv, w - 9, sy)
    runs = [(0, 0)] * h
    edge_bevel(cv, runs)
    return cv


# --------------------------------------------------------------------------
# The help window: its artwork (600 x 450; the text box covers 8, 8, 585 x
# 409, the two flags lie at 264 and 312 on row 420, the OK hot spot at 544,
# 424, 41 x 17), the two flag icons and the window's icon.
# --------------------------------------------------------------------------

HELP_SIZE = (600, 450)
HELP_TEXT_BOX = (8, 8, 585, 409)
HELP_OK = (544, 424, 41, 17)
SLATE = (46, 52, 62)


def help_artwork():
    w, h = HELP_SIZE
    cv = Canvas(w, h)
    for y in range(h):
        for x in range(w):
            cv.px[y][x] = metal(x, y, base=SLATE)
    # the light frame: a bright line two pixels in from the edge, a darker
    # one inside it
    for x in range(1, w - 1):
        cv.set(x, 1, (214, 220, 230))
        cv.set(x, h - 2, (150, 156, 168))
        cv.blend(x, 2, (8, 9, 11), 0.4)
    for y in range(1, h - 1):
        cv.set(1, y, (214, 220, 230))
        cv.set(w - 2, y, (150, 156, 168))
        cv.blend(2, y, (8, 9, 11), 0.4)
    x, y, bw, bh = HELP_TEXT_BOX
    cv.rect(x, y, bw, bh, (80, 80, 80))
    recess(cv, x, y, bw, bh)
    # a recess behind each flag
    for fx in (264, 312):
        recess(cv, fx, 420, 32, 24)
    ok_button(cv, *HELP_OK)
    engraved_text(cv, 14, 428, "ZIRPOMAT", FONT3x5, (150, 156, 168))
    return cv


def ok_button(cv, x, y, w, h):
    key(cv, x, y, w, h, face=(92, 98, 110))
    tw = text_width("OK", FONT5x7)
    tx, ty = x + (w - tw) // 2, y + (h - 7) // 2
    draw_text(cv, tx + 1, ty + 1, "OK", FONT5x7, (12, 13, 16), 0.5)
    draw_text(cv, tx, ty, "OK", FONT5x7, (236, 240, 246))


def flag_german():
    cv = Canvas(32, 32)
    bands = [(0, 0, 0), (221, 0, 0), (255, 206, 0)]
    for y in range(32):
        for x in range(32):
            cv.set(x, y, bands[y * 3 // 32])
    return cv


def flag_union():
    """Blue field, white and red saltire, white-edged red cross."""
    blue, white, red = (1, 33, 105), (255, 255, 255), (200, 16, 46)
    cv = Canvas(32, 32)
    for y in range(32):
        for x in range(32):
            cx, cy = x + 0.5 - 16, y + 0.5 - 16
            diagonal = min(abs(cx - cy), abs(cx + cy)) / math.sqrt(2)
            c = blue
            if diagonal <= 3.2:
                c = white
            if diagonal <= 1.2:
                c = red
            if min(abs(cx), abs(cy)) <= 5:
                c = white
            if min(abs(cx), abs(cy)) <= 3:
                c = red
            cv.set(x, y, c)
    return cv


def icon_help():
    """A blue key with a large question mark on a graphite tile."""
    cv = graphite_tile(Canvas(32, 32))
    for y in range(3, 29):
        for x in range(3, 29):
            r = math.hypot((x - 15.5) / 12.5, (y - 15.5) / 12.5)
            if r <= 1.0:
                cv.set(x, y, mix(mix((36, 110, 240), (255, 255, 255), 0.4), (20, 60, 160), r))
    big = [row for row in GLYPH_HELP for _ in range(3)]
    big = ["".join(ch * 3 for ch in row) for row in big]
    draw_bits(cv, 10, 7, big, (6, 20, 60), 0.45)
    draw_bits(cv, 9, 6, big, (255, 255, 255))
    return cv


# --------------------------------------------------------------------------
# The default sound: a soft two-partial chime
# --------------------------------------------------------------------------


def beep(rate=44100, seconds=0.25):
    n = int(rate * seconds)
    out = []
    f0 = 1318.51  # E6
    for i in range(n):
        t = i / rate
        attack = 0.5 - 0.5 * math.cos(math.pi * min(1.0, t / 0.008))
        decay = math.exp(-t * 14.0)
        release = min(1.0, (n - 1 - i) / (rate * 0.03))
        env = attack * decay * release
        s = (math.sin(2 * math.pi * f0 * t)
             + 0.35 * math.sin(2 * math.pi * f0 * 2 * t) * math.exp(-t * 10)
             + 0.12 * math.sin(2 * math.pi * f0 * 3.01 * t) * math.exp(-t * 30))
        out.append(int(round(s / 1.47 * env * 0.5 * 32767)))
    out[0] = 0
    out[-1] = 0
    return out


# --------------------------------------------------------------------------


def outputs():
    files = {}
    for size in ("large", "small"):
        for folded in (False, True):
            name = f"skins/{size}_{'folded' if folded else 'open'}.bmp"
            files[name] = bmp_bytes(skin(size, folded))
    for name, cv in state_pictures().items():
        files[f"states/{name}.bmp"] = bmp_bytes(cv)
    files["icons/zpmpic.bmp"] = bmp_bytes(icon_program())
    files["icons/wrdpic.bmp"] = bmp_bytes(icon_calculator())
    files["led.bmp"] = bmp_bytes(led_picture())
    files["skins/sound_list.bmp"] = bmp_bytes(sound_list_skin())
    files["artwork/help.bmp"] = bmp_bytes(help_artwork())
    files["icons/flag_de.bmp"] = bmp_bytes(flag_german())
    files["icons/flag_uk.bmp"] = bmp_bytes(flag_union())
    files["icons/help.bmp"] = bmp_bytes(icon_help())
    files["media/eep.wav"] = wav_bytes(beep(), 44100)
    return files


def main(argv):
    check = "--check" in argv[1:]
    stale = []
    for name, data in outputs().items():
        path = ASSETS / name
        if check:
            if not path.exists() or path.read_bytes() != data:
                stale.append(name)
            continue
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
    if stale:
        print("out of date: " + ", ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
