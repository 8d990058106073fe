#!/usr/bin/env python3
"""Writes Tarvo's picture sources: the 40 card faces, the card back, the title and the icon.

Every picture is an SVG drawn here from plain shapes, in the pixel units of its size at 100%,
so that 1 unit is one screen pixel at 100% and edges can be placed on whole pixels.
Qt SVG renders them (SVG Tiny: no filters, patterns or clip paths, so none are used).

Usage: tools/make_pictures.py [ASSETS_DIR]   (default: the repository's assets/)
"""

import math
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

FACE_W, FACE_H = 62, 100
BACK_W, BACK_H = 64, 100
TITLE_W, TITLE_H = 613, 415

DENARI, COPPE, BASTONI, SPADE = 1, 2, 3, 4

INK = "#2b1d12"  # printed outline
GOLD = "#f0b824"
GOLD_LIGHT = "#ffe07a"
GOLD_DARK = "#a86d00"
RED = "#c8201e"
RED_DARK = "#8a1412"
GREEN = "#2f8a34"
GREEN_DARK = "#1b5e20"
BLUE = "#2458b8"
BLUE_LIGHT = "#8fb4ee"
BLUE_DARK = "#163a80"
BROWN = "#9a5b26"
BROWN_LIGHT = "#c98a4a"
BROWN_DARK = "#5e3412"
SKIN = "#f6cfa8"
WHITE = "#ffffff"
TABLE_GREEN = "#008000"

# Index ink per suit: dark enough to read on white at 100%.
SUIT_INK = {DENARI: "#b06c00", COPPE: "#c41a1a", BASTONI: "#1e7a26", SPADE: "#1d4aa8"}

# Clothes of the figure cards: (garment, trim, hose) per suit.
DRESS = {
    DENARI: (RED, GOLD, BLUE),
    COPPE: (BLUE, RED, GOLD),
    BASTONI: (GREEN, RED, BROWN),
    SPADE: (BROWN, BLUE, RED),
}


def f(x):
    """Numbers short and stable in the output."""
    s = f"{x:.2f}".rstrip("0").rstrip(".")
    return "0" if s == "-0" else s


def pts(points):
    return " ".join(f"{f(x)},{f(y)}" for x, y in points)


def svg_doc(width, height, body):
    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        f'<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" '
        f'width="{width}" height="{height}" viewBox="0 0 {width} {height}">\n'
        f"{body}</svg>\n"
    )


def circle(cx, cy, r, fill, stroke=None, sw=0.6):
    s = f' stroke="{stroke}" stroke-width="{f(sw)}"' if stroke else ""
    return f'<circle cx="{f(cx)}" cy="{f(cy)}" r="{f(r)}" fill="{fill}"{s}/>\n'


def ellipse(cx, cy, rx, ry, fill, stroke=None, sw=0.6):
    s = f' stroke="{stroke}" stroke-width="{f(sw)}"' if stroke else ""
    return f'<ellipse cx="{f(cx)}" cy="{f(cy)}" rx="{f(rx)}" ry="{f(ry)}" fill="{fill}"{s}/>\n'


def polygon(points, fill, stroke=INK, sw=0.6):
    s = f' stroke="{stroke}" stroke-width="{f(sw)}" stroke-linejoin="round"' if stroke else ""
    return f'<polygon points="{pts(points)}" fill="{fill}"{s}/>\n'


def path(d, fill, stroke=INK, sw=0.6, extra=""):
    s = f' stroke="{stroke}" stroke-width="{f(sw)}" stroke-linejoin="round"' if stroke else ""
    return f'<path d="{d}" fill="{fill}"{s}{extra}/>\n'


def line(x1, y1, x2, y2, stroke, sw):
    return (
        f'<line x1="{f(x1)}" y1="{f(y1)}" x2="{f(x2)}" y2="{f(y2)}" stroke="{stroke}" '
        f'stroke-width="{f(sw)}" stroke-linecap="round"/>\n'
    )


def rect(x, y, w, h, fill, stroke=None, sw=1, rx=0):
    s = f' stroke="{stroke}" stroke-width="{f(sw)}"' if stroke else ""
    r = f' rx="{f(rx)}"' if rx else ""
    return f'<rect x="{f(x)}" y="{f(y)}" width="{f(w)}" height="{f(h)}"{r} fill="{fill}"{s}/>\n'


def group(body, transform):
    return f'<g transform="{transform}">\n{body}</g>\n'


def text(x, y, s, size, fill, family="DejaVu Sans", weight="bold", anchor="middle", extra=""):
    return (
        f'<text x="{f(x)}" y="{f(y)}" font-family="{family}" font-size="{f(size)}" '
        f'font-weight="{weight}" fill="{fill}" text-anchor="{anchor}"{extra}>{s}</text>\n'
    )


# ---------------------------------------------------------------- suit symbols


def coin(cx, cy, r, ornate=False):
    """A gold coin: rim, red ring, and a rosette in the middle."""
    out = circle(cx, cy, r, GOLD, INK, 0.7 if r < 10 else 1)
    out += circle(cx, cy, r * 0.72, RED, None)
    out += circle(cx, cy, r * 0.56, GOLD_LIGHT, None)
    petals = 8 if ornate else 4
    for k in range(petals):
        a = 2 * math.pi * k / petals
        px, py = cx + math.cos(a) * r * 0.3, cy + math.sin(a) * r * 0.3
        out += ellipse(px, py, r * 0.2, r * 0.2, GREEN if ornate else RED, None)
    out += circle(cx, cy, r * 0.16, BLUE if ornate else RED_DARK, None)
    if ornate:
        # Beaded rim, as on a struck coin.
        for k in range(24):
            a = 2 * math.pi * k / 24
            out += circle(cx + math.cos(a) * r * 0.86, cy + math.sin(a) * r * 0.86, r * 0.055,
                          GOLD_DARK)
    return out


def cup(cx, cy, h, ornate=False):
    """A goblet of height h centred on (cx, cy): bowl, knot, stem and foot."""
    s = h / 20.0
    top = cy - 10 * s

    def P(x, y):
        return (cx + x * s, top + y * s)

    bowl = [P(-7.5, 0), P(7.5, 0), P(7, 3), P(5, 7), P(2, 9), P(-2, 9), P(-5, 7), P(-7, 3)]
    out = polygon(bowl, GOLD, INK, 0.6 if h < 30 else 1)
    out += polygon([P(-7.2, 2), P(7.2, 2), P(6.6, 4.5), P(-6.6, 4.5)], RED, None)
    out += ellipse(*P(0, 0), 7.5 * s, 1.3 * s, GOLD_DARK, INK, 0.5)
    out += polygon([P(-1.2, 9), P(1.2, 9), P(1, 14), P(-1, 14)], GOLD, INK, 0.5)
    out += ellipse(*P(0, 12), 2.6 * s, 1.5 * s, BLUE, INK, 0.5)
    out += polygon([P(-1, 14), P(1, 14), P(5.5, 19), P(5.5, 20), P(-5.5, 20), P(-5.5, 19)],
                   GOLD, INK, 0.6 if h < 30 else 1)
    if ornate:
        for x in (-4.5, -1.5, 1.5, 4.5):
            out += circle(*P(x, 3.25), 0.7 * s, GOLD_LIGHT)
        out += polygon([P(-5.5, 18.2), P(5.5, 18.2), P(5.5, 19), P(-5.5, 19)], RED, None)
    return out


def along(x1, y1, x2, y2):
    """Places on a long symbol: P(t, d) is t of the way from (x1, y1) to (x2, y2), d across."""
    length = math.hypot(x2 - x1, y2 - y1)
    ux, uy = (x2 - x1) / length, (y2 - y1) / length
    return lambda t, d: (x1 + ux * t * length - uy * d, y1 + uy * t * length + ux * d)


def club(x1, y1, x2, y2, w, ornate=False):
    """A rough wooden club from its handle (x1, y1) to its heavy head (x2, y2), w wide at the head."""
    P = along(x1, y1, x2, y2)
    hw = w / 2
    shape = [P(0, -hw * 0.45), P(0.5, -hw * 0.65), P(0.93, -hw), P(1, -hw * 0.5), P(1, hw * 0.5),
             P(0.93, hw), P(0.5, hw * 0.65), P(0, hw * 0.45)]
    out = polygon(shape, BROWN_LIGHT, INK, 0.6 if w < 8 else 0.9)
    # Grain and the stubs of cut branches.
    out += line(*P(0.08, 0), *P(0.9, 0), BROWN, max(0.6, w * 0.18))
    for t, side in ((0.35, 1), (0.6, -1), (0.8, 1)):
        a, b = P(t, side * hw * 0.6), P(t + 0.05, side * hw * 1.25)
        out += line(*a, *b, BROWN_DARK, max(0.8, w * 0.22))
    # Green and red bands, as on the painted clubs of the deck.
    for t, colour in ((0.17, RED), (0.24, GREEN)):
        out += polygon([P(t, -hw * 0.52), P(t + 0.045, -hw * 0.55), P(t + 0.045, hw * 0.55),
                        P(t, hw * 0.52)], colour, None)
    if ornate:
        for t, side in ((0.45, -1), (0.7, 1)):
            base = P(t, side * hw * 0.7)
            tip = P(t + 0.1, side * hw * 2.6)
            out += leaf(base, tip, GREEN)
    return out


def leaf(base, tip, colour):
    bx, by = base
    tx, ty = tip
    mx, my = (bx + tx) / 2, (by + ty) / 2
    dx, dy = (ty - by) * 0.35, -(tx - bx) * 0.35
    d = (f"M{f(bx)},{f(by)} Q{f(mx + dx)},{f(my + dy)} {f(tx)},{f(ty)} "
         f"Q{f(mx - dx)},{f(my - dy)} {f(bx)},{f(by)} Z")
    return path(d, colour, GREEN_DARK, 0.5)


def sword(x1, y1, x2, y2, w, ornate=False):
    """A straight sword from its pommel (x1, y1) to its point (x2, y2); w is the blade width."""
    P = along(x1, y1, x2, y2)
    hw = w / 2
    g = 0.2  # where the guard sits along the sword
    out = polygon([P(g, -hw), P(0.9, -hw * 0.8), P(1, 0), P(0.9, hw * 0.8), P(g, hw)], BLUE,
                  INK, 0.6 if w < 5 else 0.9)
    out += line(*P(g + 0.02, 0), *P(0.92, 0), BLUE_LIGHT, max(0.5, w * 0.22))
    out += polygon([P(0.05, -hw * 0.5), P(g, -hw * 0.5), P(g, hw * 0.5), P(0.05, hw * 0.5)],
                   RED, INK, 0.5)
    out += polygon([P(g - 0.025, -hw * 2.4), P(g + 0.02, -hw * 2.4), P(g + 0.02, hw * 2.4),
                    P(g - 0.025, hw * 2.4)], GOLD, INK, 0.5)
    out += circle(*P(0.03, 0), hw * 0.9, GOLD, INK, 0.5)
    if ornate:
        for side in (-1, 1):
            out += circle(*P(g, side * hw * 2.4), hw * 0.5, GOLD_LIGHT, INK, 0.4)
        out += circle(*P(g, 0), hw * 0.45, RED, None)
    return out


def small_sign(suit, cx, cy):
    """The suit sign of the index, about 10 pixels: it must read when only a card's top shows."""
    if suit == DENARI:
        return (circle(cx, cy, 4.4, GOLD, INK, 0.7) + circle(cx, cy, 2.7, RED) +
                circle(cx, cy, 1.1, GOLD_LIGHT))
    if suit == COPPE:
        return cup(cx, cy, 10.5)
    if suit == BASTONI:
        return (polygon([(cx - 1.1, cy + 5), (cx + 1.1, cy + 5), (cx + 2.6, cy - 3.8),
                         (cx + 1.4, cy - 5.2), (cx - 1.4, cy - 5.2), (cx - 2.6, cy - 3.8)],
                        BROWN_LIGHT, INK, 0.6) +
                line(cx - 2.2, cy - 0.4, cx - 3.8, cy - 2, BROWN_DARK, 1.1) +
                line(cx, cy + 2.6, cx, cy - 3.6, GREEN, 1.1))
    return (polygon([(cx - 1.3, cy + 2), (cx - 1.3, cy - 3.2), (cx, cy - 5.6), (cx + 1.3, cy - 3.2),
                     (cx + 1.3, cy + 2)], BLUE, INK, 0.5) +
            rect(cx - 3.6, cy + 1.8, 7.2, 1.5, GOLD, INK, 0.4) +
            rect(cx - 0.8, cy + 3.3, 1.6, 1.6, RED) + circle(cx, cy + 5.2, 1, GOLD, INK, 0.3))


def suit_symbol(suit, cx, cy, size):
    """One upright symbol of about `size` pixels, for the figures and the decorations."""
    if suit == DENARI:
        return coin(cx, cy, size / 2)
    if suit == COPPE:
        return cup(cx, cy, size)
    if suit == BASTONI:
        return club(cx - size * 0.2, cy + size / 2, cx + size * 0.2, cy - size / 2, size * 0.34)
    return sword(cx - size * 0.15, cy + size / 2, cx + size * 0.15, cy - size / 2, size * 0.16)


# ---------------------------------------------------------------- card faces

# Where the round suits (coins and cups) go, per value, as centres on the 62 by 100 face.
# Symbols keep clear of the index (x < 13 above y = 26).
ROUND_LAYOUT = {
    2: [(31, 34), (31, 78)],
    3: [(22, 34), (31, 58), (40, 82)],
    4: [(21, 37), (41, 37), (21, 79), (41, 79)],
    5: [(21, 34), (41, 34), (31, 58), (21, 82), (41, 82)],
    6: [(21, 32), (41, 32), (21, 59), (41, 59), (21, 86), (41, 86)],
    7: [(21, 29), (41, 29), (31, 45), (21, 61), (41, 61), (21, 87), (41, 87)],
}
ROUND_SIZE = {2: 22, 3: 18, 4: 18, 5: 16, 6: 16, 7: 14}

# The long suits cross each other: offsets of the "\" and "/" strokes and the upright ones.
LONG_LAYOUT = {
    2: ([0], [0], []),
    3: ([0], [0], [0]),
    4: ([-8, 8], [-8, 8], []),
    5: ([-8, 8], [-8, 8], [0]),
    6: ([-13, 0, 13], [-13, 0, 13], []),
    7: ([-13, 0, 13], [-13, 0, 13], [0]),
}


def index_mark(suit, value):
    """Value and suit sign in the top-left corner, inside the band a covered card shows."""
    ink = SUIT_INK[suit]
    if value == 10:
        out = text(0, 0, "10", 12, ink, extra=' transform="translate(7.6,11.2) scale(0.74,1)"')
    else:
        out = text(7.5, 11.2, str(value), 12, ink)
    return out + small_sign(suit, 7.5, 18.8)


CUP_TO_COIN = 1.15  # a goblet is narrower than a coin: it may stand taller in the same place


def round_extent(suit, value):
    """Half width and half height of one coin or cup on the numeral card of that value."""
    size = ROUND_SIZE[value]
    if suit == DENARI:
        return size / 2, size / 2
    height = size * CUP_TO_COIN
    return height * 0.375, height / 2


def numeral_face(suit, value):
    if suit in (DENARI, COPPE):
        half_w, half_h = round_extent(suit, value)
        if suit == DENARI:
            return "".join(coin(x, y, half_w) for x, y in ROUND_LAYOUT[value])
        return "".join(cup(x, y, half_h * 2) for x, y in ROUND_LAYOUT[value])
    back, fwd, upright = LONG_LAYOUT[value]
    top, bottom = 28, 95
    half = 17 if value <= 5 else 14
    w = 6 if value <= 3 else (4.6 if value <= 5 else 4)
    out = ""
    for d in back:
        out += long_symbol(suit, 31 + d + half, bottom, 31 + d - half, top, w)
    for d in fwd:
        out += long_symbol(suit, 31 + d - half, bottom, 31 + d + half, top, w)
    for d in upright:
        out += long_symbol(suit, 31 + d, bottom + 1, 31 + d, top - 3, w)
    return out


def long_symbol(suit, x1, y1, x2, y2, w):
    if suit == BASTONI:
        return club(x1, y1, x2, y2, w * 1.35)
    return sword(x1, y1, x2, y2, w * 0.75)


def ace_face(suit):
    if suit == DENARI:
        out = leaf((31, 31), (20, 17), GREEN) + leaf((31, 31), (42, 17), GREEN)
        out += leaf((31, 81), (20, 95), GREEN) + leaf((31, 81), (42, 95), GREEN)
        return out + coin(31, 56, 22, ornate=True)
    if suit == COPPE:
        # A lidded chalice: dome, band of dots and a finial above the bowl.
        out = path("M14,29 Q15,17 31,16 Q47,17 48,29 Z", GOLD, INK, 1)
        out += path("M17,24 Q31,21 45,24 L46,27 Q31,24 16,27 Z", RED, None)
        out += rect(29.5, 10, 3, 6.5, GOLD, INK, 0.6) + circle(31, 9, 3, RED, INK, 0.7)
        return out + cup(31, 60, 62, ornate=True)
    if suit == BASTONI:
        return club(27, 96, 35, 14, 15, ornate=True)
    out = leaf((31, 62), (13, 52), GREEN) + leaf((31, 62), (49, 52), GREEN)
    out += leaf((31, 70), (15, 76), GREEN) + leaf((31, 70), (47, 76), GREEN)
    out += sword(31, 97, 31, 12, 7, ornate=True)
    return out


# ---------------------------------------------------------------- figure cards


def head(cx, cy, r, beard=False):
    # Shoulder-length hair behind the face, as the figures of the old decks wear it.
    out = path(f"M{f(cx - r * 1.1)},{f(cy - r * 0.3)} Q{f(cx - r * 1.4)},{f(cy + r * 1.3)} "
               f"{f(cx - r * 0.6)},{f(cy + r * 1.2)} L{f(cx + r * 0.6)},{f(cy + r * 1.2)} "
               f"Q{f(cx + r * 1.4)},{f(cy + r * 1.3)} {f(cx + r * 1.1)},{f(cy - r * 0.3)} Z",
               "#6b3f1d", INK, 0.5)
    out += circle(cx, cy, r, SKIN, INK, 0.6)
    out += circle(cx - r * 0.35, cy - r * 0.1, 0.45, INK) + circle(cx + r * 0.35, cy - r * 0.1,
                                                                   0.45, INK)
    if beard:
        out += path(f"M{f(cx - r)},{f(cy)} Q{f(cx - r * 0.8)},{f(cy + r * 1.8)} {f(cx)},"
                    f"{f(cy + r * 1.9)} Q{f(cx + r * 0.8)},{f(cy + r * 1.8)} {f(cx + r)},{f(cy)} "
                    f"Q{f(cx)},{f(cy + r * 0.9)} {f(cx - r)},{f(cy)} Z", "#7a4a20", INK, 0.5)
    else:
        out += line(cx - r * 0.3, cy + r * 0.45, cx + r * 0.3, cy + r * 0.45, RED_DARK, 0.6)
    return out


def held_symbol(suit, hx, hy):
    """What a figure holds in its right hand (on the viewer's right), hand at (hx, hy)."""
    if suit == DENARI:
        return coin(hx, hy - 7, 7.5)
    if suit == COPPE:
        return cup(hx, hy - 8, 17)
    if suit == BASTONI:
        return club(hx - 3, hy + 10, hx + 5, hy - 30, 7.5)
    return sword(hx - 1, hy + 7, hx + 5, hy - 34, 3.4)


def hand(x, y):
    return circle(x, y, 2, SKIN, INK, 0.5)


def page_face(suit):
    """The page: a young man standing, in a feathered cap, showing his suit."""
    garment, trim, hose = DRESS[suit]
    cx = 30
    out = ""
    # Legs and shoes.
    out += polygon([(cx - 6, 66), (cx - 1, 66), (cx - 1.5, 92), (cx - 5.5, 92)], hose)
    out += polygon([(cx + 1, 66), (cx + 6, 66), (cx + 5.5, 92), (cx + 1.5, 92)], hose)
    out += ellipse(cx - 4.5, 93.5, 4, 2, INK) + ellipse(cx + 4.5, 93.5, 4, 2, INK)
    # Tunic with a belt and a hem in the trim colour.
    out += polygon([(cx - 8, 32), (cx + 8, 32), (cx + 10, 56), (cx + 12, 68), (cx - 12, 68),
                    (cx - 10, 56)], garment)
    out += polygon([(cx - 12, 66), (cx + 12, 66), (cx + 12, 68), (cx - 12, 68)], trim, None)
    out += rect(cx - 10, 52, 20, 3, trim, INK, 0.5)
    out += line(cx, 33, cx, 52, trim, 1.2)
    # Cape over the left shoulder.
    out += polygon([(cx - 8, 32), (cx - 15, 62), (cx - 9, 60), (cx - 4, 34)], trim)
    # Arms: the left on the hip, the right raised towards the symbol.
    out += polygon([(cx - 8, 33), (cx - 12, 44), (cx - 9, 52), (cx - 7, 50), (cx - 9, 44),
                    (cx - 6, 36)], garment)
    out += polygon([(cx + 7, 33), (cx + 14, 44), (cx + 16, 49), (cx + 13, 50), (cx + 10, 45),
                    (cx + 5, 37)], garment)
    out += hand(cx + 15, 50)
    # Head with a feathered cap.
    out += rect(cx - 2, 27, 4, 5, SKIN, INK, 0.5)
    out += head(cx, 22, 5.5)
    out += path(f"M{cx - 7},20 Q{cx},11 {cx + 7},20 Z", trim)
    out += path(f"M{cx + 4},15 Q{cx + 10},6 {cx + 15},9 Q{cx + 9},11 {cx + 5},17 Z", WHITE,
                INK, 0.5)
    out += held_symbol(suit, cx + 15, 50)
    return out


def horse_face(suit):
    """The horseman: a rider on a walking horse, holding up his suit."""
    garment, trim, hose = DRESS[suit]
    horse, mane = ("#f4eee0", "#9a8f80") if suit in (COPPE, SPADE) else ("#b8743a", "#3a2412")
    out = ""
    # The horse faces left, away from the symbol the rider holds up on the right.
    out += path("M49,64 Q59,69 57,89 Q53,80 48,72 Z", mane)
    out += line(26, 74, 28, 94, "#5a4030", 2.6) + line(45, 74, 48, 94, "#5a4030", 2.6)
    out += ellipse(34, 69, 17, 9.5, horse)
    out += path("M25,62 L16,47 Q13,43 9,44 L3,53 Q2,57 6,57 L11,55 L15,60 L18,73 Z", horse)
    out += polygon([(12, 45), (13, 39), (15.5, 45.5)], horse)
    out += path("M14,45 Q22,49 28,61 L25,62 Q20,53 13.5,47 Z", mane, None)
    out += circle(9.5, 48, 0.8, INK)
    for x1, x2 in ((21, 20), (41, 41)):
        out += line(x1, 74, x2, 94, horse, 2.6) + line(x1 - 1.3, 76, x2 - 1.3, 93, INK, 0.35)
    for x in (20, 28, 41, 48):
        out += rect(x - 1.7, 93, 3.4, 2.6, INK)
    # Saddle cloth in the suit's colours.
    out += polygon([(25, 60), (41, 60), (42, 77), (24, 77)], garment)
    out += rect(24, 74, 18, 3, trim, INK, 0.4)
    # Rider: leg, body, the rein hand, the raised hand and the head.
    out += polygon([(28, 57), (36, 57), (36, 70), (35, 81), (31.5, 81), (30, 70)], hose)
    out += ellipse(34, 82, 3.4, 1.6, INK)
    out += polygon([(27, 37), (38, 37), (40, 60), (25, 60)], garment)
    out += rect(26, 53, 14, 2.5, trim, INK, 0.4)
    out += polygon([(28, 40), (19, 51), (21, 53), (31, 45)], garment)
    out += line(20, 52, 6, 55, INK, 0.5)
    out += hand(20, 52)
    out += polygon([(36, 38), (44, 45), (47, 42), (49, 45), (45, 50), (34, 44)], garment)
    out += hand(47.5, 44)
    out += head(32, 31, 5)
    out += path("M26,30 Q26,23 32,22 Q38,23 38,30 Q32,27 26,30 Z", trim)
    out += path("M34,23 Q40,15 44,18 Q39,20 36,25 Z", WHITE, INK, 0.4)
    out += held_symbol(suit, 47.5, 44)
    return out


def crown(cx, cy, w):
    h = w * 0.75
    pts_ = [(cx - w / 2, cy), (cx - w / 2, cy - h), (cx - w / 4, cy - h * 0.55), (cx, cy - h * 1.1),
            (cx + w / 4, cy - h * 0.55), (cx + w / 2, cy - h), (cx + w / 2, cy)]
    out = polygon(pts_, GOLD, INK, 0.6)
    for x, y in ((cx - w / 2, cy - h), (cx, cy - h * 1.1), (cx + w / 2, cy - h)):
        out += circle(x, y, 0.9, RED, INK, 0.3)
    out += rect(cx - w / 2, cy - 1.8, w, 1.8, RED, INK, 0.3)
    return out


def king_face(suit):
    """The king: crowned and bearded, in a long robe with ermine, holding his suit."""
    garment, trim, hose = DRESS[suit]
    cx = 29
    out = ""
    # Robe to the ground, cape with ermine edge, sceptre-arm.
    out += polygon([(cx - 10, 34), (cx + 10, 34), (cx + 15, 95), (cx - 15, 95)], garment)
    out += polygon([(cx - 4, 36), (cx + 4, 36), (cx + 7, 95), (cx - 7, 95)], trim, INK, 0.4)
    out += polygon([(cx - 10, 33), (cx - 19, 88), (cx - 13, 94), (cx - 7, 45)], hose)
    out += rect(cx - 15, 92, 30, 4, WHITE, INK, 0.5)
    for x in range(cx - 13, cx + 14, 4):
        out += rect(x, 93, 1, 2, INK)
    # Ermine collar.
    out += path(f"M{cx - 11},35 Q{cx},43 {cx + 11},35 L{cx + 9},32 Q{cx},37 {cx - 9},32 Z",
                WHITE, INK, 0.5)
    for x in (cx - 6, cx, cx + 6):
        out += rect(x - 0.5, 36, 1, 1.6, INK)
    # Left arm holds the orb near the chest, the right shows the suit.
    out += polygon([(cx - 9, 38), (cx - 12, 52), (cx - 4, 58), (cx - 3, 55), (cx - 8, 50),
                    (cx - 6, 40)], garment)
    out += circle(cx - 3, 52.5, 2.6, GOLD, INK, 0.5) + line(cx - 3, 50, cx - 3, 47.5, GOLD_DARK, 0.8)
    out += hand(cx - 3, 56)
    out += polygon([(cx + 8, 37), (cx + 17, 48), (cx + 18, 53), (cx + 15, 54), (cx + 12, 49),
                    (cx + 6, 42)], garment)
    out += hand(cx + 17, 54)
    # Head, beard and crown.
    out += head(cx, 24, 6, beard=True)
    out += crown(cx, 19.5, 13)
    out += held_symbol(suit, cx + 17, 54)
    return out


def face_svg(card_id):
    suit, value = (card_id - 1) // 10 + 1, (card_id - 1) % 10 + 1
    body = rect(0, 0, FACE_W, FACE_H, WHITE)
    if value == 1:
        body += ace_face(suit)
    elif value <= 7:
        body += numeral_face(suit, value)
    elif value == 8:
        body += page_face(suit)
    elif value == 9:
        body += horse_face(suit)
    else:
        body += king_face(suit)
    body += index_mark(suit, value)
    return svg_doc(FACE_W, FACE_H, body)


# ---------------------------------------------------------------- back, title, icon


def clipped_line(x1, y1, x2, y2, box):
    """The part of a segment inside box = (left, top, right, bottom), or None."""
    left, top, right, bottom = box
    t0, t1 = 0.0, 1.0
    dx, dy = x2 - x1, y2 - y1
    for p, q in ((-dx, x1 - left), (dx, right - x1), (-dy, y1 - top), (dy, bottom - y1)):
        if p == 0:
            if q < 0:
                return None
            continue
        t = q / p
        if p < 0:
            t0 = max(t0, t)
        else:
            t1 = min(t1, t)
    if t0 >= t1:
        return None
    return (x1 + t0 * dx, y1 + t0 * dy, x1 + t1 * dx, y1 + t1 * dy)


def back_svg():
    """A yellow frame around two coins, on a blue field with a fine gold lattice."""
    field = (7, 7, BACK_W - 7, BACK_H - 7)
    body = rect(0, 0, BACK_W, BACK_H, GOLD)
    body += rect(1.5, 1.5, BACK_W - 3, BACK_H - 3, "none", GOLD_DARK, 1)
    body += rect(6, 6, BACK_W - 12, BACK_H - 12, BLUE_DARK, RED, 1.4)
    for k in range(-12, 12):
        x = k * 8
        for segment in (clipped_line(x, 0, x + 100, 100, field),
                        clipped_line(x + 100, 0, x, 100, field)):
            if segment:
                body += line(*segment, "#4a72c4", 0.6)
    body += coin(32, 31, 14, ornate=True) + coin(32, 69, 14, ornate=True)
    return svg_doc(BACK_W, BACK_H, body)


def project_version():
    m = re.search(r"project\(\s*tarvo\s+VERSION\s+([0-9.]+)", (ROOT / "CMakeLists.txt").read_text())
    return m.group(1) if m else "1.0"


def title_svg():
    cx = TITLE_W / 2
    body = (
        "<defs>\n"
        f'<radialGradient id="felt" gradientUnits="userSpaceOnUse" cx="{f(cx)}" cy="190" '
        'r="380">\n'
        '<stop offset="0" stop-color="#1f9d3a"/><stop offset="1" stop-color="#005c12"/>\n'
        "</radialGradient>\n</defs>\n"
    )
    body += rect(0, 0, TITLE_W, TITLE_H, "url(#felt)")
    body += rect(14, 14, TITLE_W - 28, TITLE_H - 28, "none", "#d9b54a", 2, rx=10)
    body += rect(20, 20, TITLE_W - 40, TITLE_H - 40, "none", "#d9b54a", 0.8, rx=7)
    for suit, (x, y) in zip((DENARI, COPPE, BASTONI, SPADE),
                            ((66, 68), (TITLE_W - 66, 68), (66, TITLE_H - 68),
                             (TITLE_W - 66, TITLE_H - 68))):
        body += suit_symbol(suit, x, y, 58)
    serif = "DejaVu Serif"
    body += text(cx, 128, "Seven columns, four suits, one quiet game", 19, "#e8f3dc", serif,
                 "normal", extra=' font-style="italic"')
    # Embossed name: a dark edge below right, a bright edge above left, the light face on top.
    name_y, name_size = 248, 132
    body += text(cx + 4, name_y + 4, "Tarvo", name_size, "#003d0b", serif)
    body += text(cx - 2, name_y - 2, "Tarvo", name_size, "#ffffff", serif)
    body += text(cx, name_y, "Tarvo", name_size, "#dcefd2", serif)
    body += line(cx - 150, 278, cx + 150, 278, "#d9b54a", 1.5)
    body += text(cx, 312, "Patience with the Neapolitan deck", 22, "#f3f8ee", serif, "normal")
    body += text(cx, 342, f"Version {project_version()}", 15, "#cfe3c4", serif, "normal")
    return svg_doc(TITLE_W, TITLE_H, body)


def icon_svg():
    """Two cards on the table green: a back behind, a coin in front. Drawn on a 32 grid."""
    body = rect(0.5, 0.5, 31, 31, TABLE_GREEN, "#004d00", 1, rx=5)
    back = rect(0, 0, 14, 21, GOLD, INK, 0.8) + rect(2.2, 2.2, 9.6, 16.6, BLUE_DARK)
    body += group(back, "translate(5,7) rotate(-16)")
    front = rect(0, 0, 14, 21, WHITE, INK, 0.8) + coin(7, 10.5, 5.6)
    body += group(front, "translate(14,5) rotate(10)")
    return svg_doc(32, 32, body)


def pictures():
    """Every picture, as (path below the assets folder, SVG text)."""
    out = [(f"cards/card-{i:02d}.svg", face_svg(i)) for i in range(1, 41)]
    out += [("card-back.svg", back_svg()), ("title.svg", title_svg()), ("icon.svg", icon_svg())]
    return out


def main(argv):
    assets = pathlib.Path(argv[1]) if len(argv) > 1 else ROOT / "assets"
    for name, svg in pictures():
        target = assets / name
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_text(svg)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
