#!/usr/bin/env python3
"""Writes the program's pictures as SVG sources into resources/ and the resource list
resources/faces.cmake:

  resources/faces/NNN.svg     the numbered button faces, each at its design size
  resources/faces/skinN.svg   the eight skin pieces of the window frame
  resources/pictures/*.svg    program icon, tray icon, title logo, link cursor

One style for every face: a rounded plate with a glyph drawn as paths on a 24-unit grid.
  normal    raised plate, light at the top, navy glyph
  pressed   darker plate lit from below, shadow along the top, glyph one pixel down-right
  disabled  flat grey plate, grey glyph
  on        a lit toggle: blue plate pressed in, blue glyph, green lamp
  off       an unlit toggle: raised plate, muted glyph, dark lamp
Run it again after changing a table; the generated files are committed.
"""
import math
import os

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
FACES_DIR = os.path.join(ROOT, "faces")
PICTURES_DIR = os.path.join(ROOT, "pictures")

FONT = "Noto Sans CJK JP"

# --- colours per face state -------------------------------------------------------------

STATES = {
    "normal": dict(top="#fdfeff", bottom="#cdd8e8", border="#4a6287", ink="#1f3c68",
                   red="#cf3329", green="#21904a", gold="#eaa81b", paper="#ffffff",
                   mute="#8a96a8", lamp=None, shift=0),
    "pressed": dict(top="#a9b9d0", bottom="#dde5f0", border="#2f4566", ink="#142a4d",
                    red="#ab261f", green="#18773b", gold="#cc8f10", paper="#f2f5f9",
                    mute="#6f7c90", lamp=None, shift=1),
    "disabled": dict(top="#eeeeee", bottom="#dbdbdb", border="#acacac", ink="#a9a9a9",
                     red="#b9b9b9", green="#b9b9b9", gold="#c6c6c6", paper="#f3f3f3",
                     mute="#b9b9b9", lamp=None, shift=0),
    "on": dict(top="#b8d4fb", bottom="#e3efff", border="#2a5ca8", ink="#0c4eb2",
               red="#cf3329", green="#21904a", gold="#f2b224", paper="#ffffff",
               mute="#5d7ba6", lamp="#31d158", shift=1),
    "off": dict(top="#fdfeff", bottom="#cdd8e8", border="#4a6287", ink="#6c7b91",
                red="#cf3329", green="#6c7b91", gold="#c7cdd6", paper="#ffffff",
                mute="#9aa5b4", lamp="#7d8796", shift=0),
}

# --- glyphs on a 24 x 24 grid -----------------------------------------------------------


def stroke(d, colour, width, extra=""):
    return (f'<path d="{d}" fill="none" stroke="{colour}" stroke-width="{width}" '
            f'stroke-linecap="round" stroke-linejoin="round"{extra}/>')


def fill(d, colour, extra=""):
    return f'<path d="{d}" fill="{colour}"{extra}/>'


def gear(c):
    # Eight teeth around a hub with a hole (even-odd fill).
    R, r, pts = 10.6, 7.9, []
    for i in range(8):
        a = i * 45.0
        for ang, rad in ((a - 9, R), (a + 9, R), (a + 15, r), (a + 30, r)):
            t = math.radians(ang - 90)
            pts.append(f"{12 + rad * math.cos(t):.2f} {12 + rad * math.sin(t):.2f}")
    outline = "M" + " L".join(pts) + " Z"
    hole = "M12 8.3 A3.7 3.7 0 1 0 12 15.7 A3.7 3.7 0 1 0 12 8.3 Z"
    return fill(outline + " " + hole, c["ink"], ' fill-rule="evenodd"')


def exit_door(c):
    return (stroke("M14 8 V4 H4.5 V20 H14 V16", c["ink"], 2.2) +
            fill("M4.5 4 L10 6 V22 L4.5 20 Z", c["ink"]) +
            stroke("M11 12 H21 M17.5 8.5 L21 12 L17.5 15.5", c["red"], 2.4))


def pin(c, on):
    head = "M8.5 2.5 H15.5 L14.5 4 V9 L17.5 12 V14 H6.5 V12 L9.5 9 V4 Z"
    body = fill(head, c["red"] if on else c["mute"], f' stroke="{c["ink"]}" stroke-width="1"'
                ' stroke-linejoin="round"') + stroke("M12 14.5 V21.5", c["ink"], 1.8)
    if on:
        # Pinned: upright, pressed into a board.
        return stroke("M5 21.5 H19", c["ink"], 1.6) + body
    return f'<g transform="rotate(40 12 12)">{body}</g>'


def bell(c, on):
    shape = ("M12 3.2 C8.4 3.2 6.4 5.9 6.4 9.4 V13.4 L4.3 17 H19.7 L17.6 13.4 V9.4 "
             "C17.6 5.9 15.6 3.2 12 3.2 Z")
    g = (fill(shape, c["gold"], f' stroke="{c["ink"]}" stroke-width="1.4" stroke-linejoin="round"')
         + fill("M9.9 18.3 A2.1 2.1 0 0 0 14.1 18.3 Z", c["ink"]))
    if on:
        g += stroke("M3.2 7.5 Q1.6 10.5 3.2 13.5 M20.8 7.5 Q22.4 10.5 20.8 13.5", c["ink"], 1.6)
    else:
        g += stroke("M3.5 3.5 L20.5 20.5", c["paper"], 4.6) + stroke("M3.5 3.5 L20.5 20.5",
                                                                    c["red"], 2.4)
    return g


def handset(colour, transform=""):
    d = ("M7.2 3.6 C6.1 3.6 4.6 4.9 4.7 6.6 C5.1 12.4 11.6 18.9 17.4 19.3 "
         "C19.1 19.4 20.4 17.9 20.4 16.8 L20.4 15.2 C20.4 14.6 20 14.2 19.4 14 L16.4 13.1 "
         "C15.9 13 15.4 13.1 15.1 13.5 L14 14.8 C11.7 13.7 10.3 12.3 9.2 10 L10.5 8.9 "
         "C10.9 8.6 11 8.1 10.9 7.6 L10 4.6 C9.8 4 9.4 3.6 8.8 3.6 Z")
    return fill(d, colour, f' transform="{transform}"' if transform else "")


def phone_book(c):
    book = ("M6.5 2.5 H18.5 A1.2 1.2 0 0 1 19.7 3.7 V20.3 A1.2 1.2 0 0 1 18.5 21.5 H6.5 "
            "A2.2 2.2 0 0 1 4.3 19.3 V4.7 A2.2 2.2 0 0 1 6.5 2.5 Z")
    return (fill(book, c["ink"]) + stroke("M7.4 3.2 V20.8", c["paper"], 0.9, ' opacity="0.55"')
            + handset(c["paper"], "translate(8.2 6.2) scale(0.48)")
            + stroke("M10.2 18 H17", c["paper"], 1.1, ' opacity="0.8"'))


def memo(c):
    return (fill("M4.5 2.5 H14 L19 7.5 V21.5 H4.5 Z", c["paper"],
                 f' stroke="{c["ink"]}" stroke-width="1.5" stroke-linejoin="round"') +
            stroke("M14 2.5 V7.5 H19", c["ink"], 1.3) +
            stroke("M7.5 11 H15.5 M7.5 14 H13 M7.5 17 H10.5", c["ink"], 1.3) +
            fill("M20.6 8.6 L23 11 L14.4 19.6 L11.2 20.8 L12 17.2 Z", c["gold"],
                 f' stroke="{c["ink"]}" stroke-width="1.1" stroke-linejoin="round"') +
            stroke("M19 10.2 L21.4 12.6", c["ink"], 1.0))


def register(c):
    return (fill("M9.5 4.2 A3.8 3.8 0 1 0 9.5 11.8 A3.8 3.8 0 1 0 9.5 4.2 Z", c["ink"]) +
            fill("M2.3 21 C2.3 16 5.4 13.2 9.5 13.2 C13.6 13.2 16.7 16 16.7 21 Z", c["ink"]) +
            stroke("M19 4.5 V13.5 M14.5 9 H23.5", c["paper"], 4.6) +
            stroke("M19 4.5 V13.5 M14.5 9 H23.5", c["green"], 2.5))


def clock_face(c, cx, cy, r, width):
    return (fill(f"M{cx} {cy - r} A{r} {r} 0 1 0 {cx} {cy + r} A{r} {r} 0 1 0 {cx} {cy - r} Z",
                 c["paper"], f' stroke="{c["ink"]}" stroke-width="{width}"') +
            stroke(f"M{cx} {cy - r * 0.58:.2f} V{cy} L{cx + r * 0.45:.2f} {cy + r * 0.3:.2f}",
                   c["ink"], width * 0.95))


def history_list(c):
    dots = "".join(
        fill(f"M4.5 {y - 1.5} A1.5 1.5 0 1 0 4.5 {y + 1.5} A1.5 1.5 0 1 0 4.5 {y - 1.5} Z",
             c["ink"]) for y in (5, 10.5, 16))
    return (dots + stroke("M8.5 5 H20 M8.5 10.5 H17.5 M8.5 16 H12", c["ink"], 2.2) +
            clock_face(c, 17.5, 17.5, 5.2, 1.6))


def circled(c, inner):
    disc = "M12 2.3 A9.7 9.7 0 1 0 12 21.7 A9.7 9.7 0 1 0 12 2.3 Z"
    return fill(disc, c["ink"]) + inner


def about(c):
    return circled(c, fill("M12 5.6 A1.7 1.7 0 1 0 12 9 A1.7 1.7 0 1 0 12 5.6 Z", c["paper"]) +
                   '<rect x="10.5" y="10.4" width="3" height="8" rx="0.9" fill="%s"/>' %
                   c["paper"])


def help_mark(c):
    return circled(c, stroke("M8.9 9.2 C8.9 7.2 10.3 6 12.1 6 C13.9 6 15.3 7.2 15.3 8.9 "
                             "C15.3 11.4 12.2 11.5 12.2 14.2", c["paper"], 2.5) +
                   fill("M12.2 16.3 A1.6 1.6 0 1 0 12.2 19.5 A1.6 1.6 0 1 0 12.2 16.3 Z",
                        c["paper"]))


def calendar(c, x, y, w, h, width=1.5):
    grid = "".join(
        f'<rect x="{x + 2 + i * (w - 4) / 3:.2f}" y="{y + h * 0.45 + j * h * 0.22:.2f}" '
        f'width="{(w - 4) / 4.5:.2f}" height="{h * 0.14:.2f}" fill="{c["ink"]}"/>'
        for i in range(3) for j in range(2))
    return (f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="1.4" fill="{c["paper"]}" '
            f'stroke="{c["ink"]}" stroke-width="{width}"/>' +
            f'<rect x="{x}" y="{y}" width="{w}" height="{h * 0.28:.2f}" rx="1.2" '
            f'fill="{c["red"]}"/>' +
            stroke(f"M{x + w * 0.28:.2f} {y - 1.8} V{y + 1.8} M{x + w * 0.72:.2f} {y - 1.8} "
                   f"V{y + 1.8}", c["ink"], width * 1.1) + grid)


def calendar_clock(c):
    return calendar(c, 2.5, 4.5, 14, 14) + clock_face(c, 17, 17, 5.6, 1.6)


def trash(c, dx=0.0, dy=0.0, colour=None):
    ink = colour or c["ink"]
    t = f' transform="translate({dx} {dy})"'
    return (f'<g{t}>' + stroke("M4.5 6.3 H19.5", ink, 2.2) +
            stroke("M9.4 6 V3.8 H14.6 V6", ink, 1.6) +
            fill("M6.3 8.5 L7.4 21 H16.6 L17.7 8.5 Z", ink) +
            stroke("M10 11 V18.3 M14 11 V18.3", c["paper"], 1.4) + '</g>')


def delete_one(c):
    return trash(c)


def delete_all(c):
    # Two cans, the one behind fainter: everything goes.
    return (f'<g transform="translate(-2.6 -1.6) scale(0.8)" opacity="0.5">{trash(c)}</g>' +
            f'<g transform="translate(5.2 4.2) scale(0.8)">{trash(c)}</g>')


def arrow(c, kind):
    tri = {"prev": "M17 4.5 L6.5 12 L17 19.5 Z", "next": "M7 4.5 L17.5 12 L7 19.5 Z",
           "first": "M19 4.5 L9.5 12 L19 19.5 Z", "last": "M5 4.5 L14.5 12 L5 19.5 Z"}[kind]
    g = fill(tri, c["ink"], f' stroke="{c["ink"]}" stroke-width="1" stroke-linejoin="round"')
    if kind == "first":
        g += '<rect x="4.5" y="4.5" width="3" height="15" rx="0.8" fill="%s"/>' % c["ink"]
    if kind == "last":
        g += '<rect x="16.5" y="4.5" width="3" height="15" rx="0.8" fill="%s"/>' % c["ink"]
    return g


def new_entry(c):
    return (fill("M4.5 2.5 H13.5 L18.5 7.5 V21.5 H4.5 Z", c["paper"],
                 f' stroke="{c["ink"]}" stroke-width="1.5" stroke-linejoin="round"') +
            stroke("M13.5 2.5 V7.5 H18.5", c["ink"], 1.3) +
            stroke("M7.5 11 H14 M7.5 14 H11", c["ink"], 1.3) +
            fill("M17.5 12 A5.5 5.5 0 1 0 17.5 23 A5.5 5.5 0 1 0 17.5 12 Z", c["green"]) +
            stroke("M17.5 14.6 V20.4 M14.6 17.5 H20.4", c["paper"], 1.9))


def tray(c):
    return ('<rect x="1.5" y="16.5" width="21" height="5.5" rx="1.2" fill="%s"/>' % c["ink"] +
            '<rect x="13" y="18.2" width="2.2" height="2.2" fill="%s"/>' % c["paper"] +
            '<rect x="16.5" y="18.2" width="2.2" height="2.2" fill="%s"/>' % c["paper"] +
            '<rect x="3.5" y="18.2" width="6" height="2.2" rx="0.5" fill="%s" opacity="0.7"/>'
            % c["paper"] +
            stroke("M16 2.5 V12.5 M12 8.8 L16 12.8 L20 8.8", c["ink"], 2.4))


def check(c):
    return stroke("M4 12.8 L9.4 18 L20 6.2", c["green"], 3.2)


def cross(c, colour_key="red", width=3.0):
    return stroke("M6 6 L18 18 M18 6 L6 18", c[colour_key], width)


def maximise(c):
    return ('<rect x="4.5" y="5" width="15" height="14" fill="none" stroke="%s" '
            'stroke-width="2.2"/>' % c["ink"] +
            '<rect x="4.5" y="5" width="15" height="4" fill="%s"/>' % c["ink"])


def minimise(c):
    return '<rect x="5" y="15.5" width="14" height="3.5" fill="%s"/>' % c["ink"]


def restore(c):
    return (stroke("M9 8.5 V4.5 H20 V14.5 H16", c["ink"], 2.0) +
            '<rect x="4" y="9.5" width="11" height="10" fill="%s" stroke="%s" '
            'stroke-width="2"/>' % (c["paper"], c["ink"]) +
            '<rect x="4" y="9.5" width="11" height="3" fill="%s"/>' % c["ink"])


def time_glyph(c):
    return clock_face(c, 12, 12, 9.5, 2.2)


def date_glyph(c):
    return calendar(c, 3, 5, 18, 16, 2.0)


GLYPHS = {
    "settings": gear, "exit": exit_door, "memo": memo, "history": history_list,
    "register": register, "pin on": lambda c: pin(c, True), "pin off": lambda c: pin(c, False),
    "phonebook": phone_book, "bell on": lambda c: bell(c, True),
    "bell off": lambda c: bell(c, False), "help": help_mark, "about": about,
    "datetime": calendar_clock, "close": lambda c: cross(c, "ink", 3.2),
    "maximise": maximise, "minimise": minimise, "restore": restore, "time": time_glyph,
    "date": date_glyph, "apply": check, "cancel": cross, "delete": delete_one,
    "delete all": delete_all, "first": lambda c: arrow(c, "first"),
    "prev": lambda c: arrow(c, "prev"), "next": lambda c: arrow(c, "next"),
    "last": lambda c: arrow(c, "last"), "new": new_entry, "tray": tray,
}

# --- the faces: number -> (width, height, glyph, state, label) ----------------------------

FACES = {}


def pair(pressed, normal, w, h, glyph, label=None):
    FACES[pressed] = (w, h, glyph, "pressed", label)
    FACES[normal] = (w, h, glyph, "normal", label)


# Command buttons, 35 x 35.
pair(101, 102, 35, 35, "settings")
pair(103, 104, 35, 35, "exit")          # exit the program / close a window
pair(105, 106, 35, 35, "memo")          # 105 also: memo panel open
pair(107, 108, 35, 35, "memo")          # spare memo pair, same picture
pair(109, 110, 35, 35, "history")
pair(111, 112, 35, 35, "register")
FACES[113] = (35, 35, "memo", "disabled", None)
FACES[114] = (35, 35, "register", "disabled", None)
FACES[115] = (35, 35, "pin on", "on", None)     # keep on top: on (and its pressed face)
FACES[116] = (35, 35, "pin off", "off", None)   # keep on top: off
pair(117, 118, 35, 35, "phonebook")
FACES[119] = (35, 35, "bell on", "on", None)    # ring on (and its pressed face)
FACES[120] = (35, 35, "bell off", "off", None)  # ring off
pair(121, 122, 35, 35, "help")
pair(123, 124, 35, 35, "about")
pair(125, 126, 35, 35, "datetime")
# Title-bar buttons, 20 x 20.
pair(181, 182, 20, 20, "close")
pair(183, 184, 20, 20, "maximise")
pair(185, 186, 20, 20, "minimise")
pair(187, 188, 20, 20, "restore")
# Clock buttons, 32 x 18: the selected one is lit.
FACES[189] = (32, 18, "time", "on", None)
FACES[190] = (32, 18, "time", "off", None)
FACES[191] = (32, 18, "date", "on", None)
FACES[192] = (32, 18, "date", "off", None)
# Dialog buttons, 75 x 35.
pair(201, 202, 75, 35, "cancel", "閉じる")
pair(203, 204, 75, 35, "apply", "OK")
pair(205, 206, 75, 35, "help", "ヘルプ")
# History and phonebook commands, 35 x 35.
pair(211, 212, 35, 35, "delete")
pair(213, 214, 35, 35, "delete all")
pair(221, 222, 75, 35, "new", "新規")
pair(231, 232, 35, 35, "prev")
pair(233, 234, 35, 35, "first")
pair(235, 236, 35, 35, "next")
pair(237, 238, 35, 35, "last")
# To the notification area, 70 x 30.
pair(251, 252, 70, 30, "tray", "トレイ")


def text_width(label, size):
    return sum(size * (0.62 if ord(ch) < 0x2000 else 1.0) for ch in label)


def face_svg(w, h, glyph, state, label):
    s = STATES[state]
    r = max(2.0, min(w, h) * 0.2)
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
           f'viewBox="0 0 {w} {h}">',
           '<defs>',
           f'<linearGradient id="face" x1="0" y1="0" x2="0" y2="1">'
           f'<stop offset="0" stop-color="{s["top"]}"/>'
           f'<stop offset="1" stop-color="{s["bottom"]}"/></linearGradient>',
           '<linearGradient id="edge" x1="0" y1="0" x2="0" y2="1">'
           '<stop offset="0" stop-color="#ffffff" stop-opacity="0.95"/>'
           '<stop offset="0.5" stop-color="#ffffff" stop-opacity="0"/></linearGradient>',
           '<linearGradient id="shade" x1="0" y1="0" x2="0" y2="1">'
           '<stop offset="0" stop-color="#0a1a33" stop-opacity="0.45"/>'
           '<stop offset="0.35" stop-color="#0a1a33" stop-opacity="0"/></linearGradient>',
           '</defs>',
           f'<rect x="0.5" y="0.5" width="{w - 1}" height="{h - 1}" rx="{r:.1f}" '
           f'fill="url(#face)" stroke="{s["border"]}"/>']
    inner = f'x="1.5" y="1.5" width="{w - 3}" height="{h - 3}" rx="{r - 1:.1f}" fill="none"'
    if state in ("normal", "off"):
        out.append(f'<rect {inner} stroke="url(#edge)"/>')
    elif state in ("pressed", "on"):
        out.append(f'<rect {inner} stroke="url(#shade)" stroke-width="2"/>')
    d = s["shift"]
    wide = label is not None
    g = min(w, h) - (13 if wide else (6 if h <= 20 else 13))
    g = max(g, 11)
    fs = 12 if h <= 30 else 13
    if wide:
        gap = 4
        total = g + gap + text_width(label, fs)
        gx = (w - total) / 2
    else:
        gx = (w - g) / 2
    gy = (h - g) / 2
    out.append(f'<g transform="translate({gx + d:.2f} {gy + d:.2f}) scale({g / 24:.4f})">'
               f'{GLYPHS[glyph](s)}</g>')
    if wide:
        tx = gx + g + gap + d
        ty = h / 2 + fs * 0.36 + d
        out.append(f'<text x="{tx:.2f}" y="{ty:.2f}" font-family="{FONT}" font-size="{fs}" '
                   f'font-weight="bold" fill="{s["ink"]}">{label}</text>')
    if s["lamp"]:
        lr = 2.2 if h > 20 else 1.6
        lx, ly = w - lr - 2.6, lr + 2.6
        out.append(f'<circle cx="{lx:.1f}" cy="{ly:.1f}" r="{lr}" fill="{s["lamp"]}" '
                   f'stroke="#1c2c44" stroke-width="0.6"/>')
        if state == "on":
            out.append(f'<circle cx="{lx - 0.6:.1f}" cy="{ly - 0.6:.1f}" r="{lr * 0.4:.1f}" '
                       'fill="#ffffff" opacity="0.8"/>')
    out.append('</svg>\n')
    return "\n".join(out)


# --- skin pieces ------------------------------------------------------------------------
# Every side of the frame has the same profile across its width, from the outside in: a dark
# rim, a light line, a blue band darkening inwards, a dark inner line. The pieces are drawn
# pixel by pixel: edges vary only across their width, so copies tile seamlessly; corners are
# mitred from the same profiles, follow the rounded window corner (radius 7.5) with the rim,
# and are transparent inside the frame.

SKIN = [(15, 15), (7, 40), (15, 15), (50, 10), (15, 15), (11, 40), (15, 15), (50, 10)]
TOP, LEFT, RIGHT, BOTTOM = 10, 7, 11, 10


def mix(a, b, t):
    pa = [int(a[i:i + 2], 16) for i in (1, 3, 5)]
    pb = [int(b[i:i + 2], 16) for i in (1, 3, 5)]
    return "#" + "".join(f"{round(x + (y - x) * t):02x}" for x, y in zip(pa, pb))


def profile(thickness, k):
    """Colour of the k-th pixel from the outside of a side `thickness` pixels wide."""
    if k <= 0:
        return "#0f2442"
    if k == 1:
        return "#c4d8f5"
    if k >= thickness - 1:
        return "#0b1a31"
    return mix("#86aadf", "#28508f", (k - 2) / max(1, thickness - 4))


def rect(x, y, w, h, colour):
    return f'<rect x="{x}" y="{y}" width="{w}" height="{h}" fill="{colour}"/>'


def corner_pixel(u, v, across, down):
    """Colour at (u, v) of a top-left corner whose vertical side is `across` pixels wide and
    whose horizontal side is `down` pixels high; None inside the frame."""
    if u >= across and v >= down:
        return None
    if u >= across:
        thickness, k = down, v
    elif v >= down:
        thickness, k = across, u
    elif (v + 0.5) / down < (u + 0.5) / across:
        thickness, k = down, v
    else:
        thickness, k = across, u
    cu, cv = u + 0.5, v + 0.5
    if cu < 7.5 and cv < 7.5:
        dist = 7.5 - math.hypot(7.5 - cu, 7.5 - cv)
        # Pixels the window's own rounded region may still include get the rim.
        k = min(k, max(0, int(dist)))
    return profile(thickness, k)


def skin_svg(item, w, h):
    parts = []
    if item == 7:  # top edge
        parts = [rect(0, y, w, 1, profile(TOP, y)) for y in range(h)]
    elif item == 3:  # bottom edge
        parts = [rect(0, y, w, 1, profile(BOTTOM, h - 1 - y)) for y in range(h)]
    elif item == 1:  # left edge
        parts = [rect(x, 0, 1, h, profile(LEFT, x)) for x in range(w)]
    elif item == 5:  # right edge
        parts = [rect(x, 0, 1, h, profile(RIGHT, w - 1 - x)) for x in range(w)]
    else:
        flip_x = item in (4, 6)
        flip_y = item in (2, 4)
        across = RIGHT if flip_x else LEFT
        down = BOTTOM if flip_y else TOP
        for y in range(h):
            for x in range(w):
                u = w - 1 - x if flip_x else x
                v = h - 1 - y if flip_y else y
                colour = corner_pixel(u, v, across, down)
                if colour:
                    parts.append(rect(x, y, 1, 1, colour))
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
            f'viewBox="0 0 {w} {h}">\n' + "\n".join(parts) + '\n</svg>\n')


# --- other pictures -----------------------------------------------------------------------


def icon_svg(size, waves=True):
    # A white handset on a blue tile with the waves of an incoming call.
    waves_svg = ""
    if waves:
        waves_svg = (stroke("M38 13 A14 14 0 0 1 51 26", "#ffffff", 4.2) +
                     stroke("M38 4.5 A22.5 22.5 0 0 1 59.5 26", "#ffd34d", 4.2))
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
            'viewBox="0 0 64 64">\n'
            '<defs><linearGradient id="tile" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="#5b9cf0"/><stop offset="1" stop-color="#173f86"/>'
            '</linearGradient></defs>\n'
            '<rect x="2" y="2" width="60" height="60" rx="13" fill="url(#tile)" '
            'stroke="#0d2752" stroke-width="2"/>\n'
            '<rect x="5" y="5" width="54" height="27" rx="10" fill="#ffffff" opacity="0.16"/>\n'
            + handset("#ffffff", "translate(5 11) scale(1.75)") + "\n" + waves_svg +
            '\n</svg>\n')


def tray_svg():
    # Simpler than the program icon so that it stays clear at 16 pixels.
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" '
            'viewBox="0 0 32 32">\n'
            '<defs><linearGradient id="disc" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="#5b9cf0"/><stop offset="1" stop-color="#173f86"/>'
            '</linearGradient></defs>\n'
            '<circle cx="16" cy="16" r="14.5" fill="url(#disc)" stroke="#0d2752" '
            'stroke-width="1.5"/>\n' + handset("#ffffff", "translate(4.2 4.6) scale(1.0)") +
            stroke("M19.5 6.5 A7 7 0 0 1 25.5 12.5", "#ffd34d", 2.4) + '\n</svg>\n')


def logo_svg():
    # 128 x 30: the name in a blue gradient with a light halo (copies of the text around it),
    # so that it reads on light and dark title strips; the Japanese name beneath.
    def halo(x, y, size, text, r):
        return "".join(
            f'<text x="{x + dx}" y="{y + dy}" font-family="{FONT}" font-size="{size}" '
            f'font-weight="bold" fill="#ffffff" opacity="0.7">{text}</text>'
            for dx, dy in ((-r, 0), (r, 0), (0, -r), (0, r), (-r, -r), (r, r), (-r, r), (r, -r)))
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="128" height="30" '
            'viewBox="0 0 128 30">\n'
            '<defs><linearGradient id="ink" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="#2f6fd0"/><stop offset="1" stop-color="#0d2c66"/>'
            '</linearGradient></defs>\n' + halo(2, 19, 21, "Kolvane", 1) + '\n'
            f'<text x="2" y="19" font-family="{FONT}" font-size="21" font-weight="bold" '
            'fill="url(#ink)">Kolvane</text>\n' + halo(3, 28.5, 8.5, "コルベーン", 0.8) + '\n'
            f'<text x="3" y="28.5" font-family="{FONT}" font-size="8.5" font-weight="bold" '
            'fill="#1f3c68">コルベーン</text>\n'
            '<rect x="52" y="24.6" width="40" height="1.6" rx="0.8" fill="#f2b224"/>\n'
            '<circle cx="96.5" cy="25.4" r="1.4" fill="#f2b224"/>\n'
            '</svg>\n')


def cursor_svg():
    # A pointing hand, 32 x 32, fingertip at (9, 2): the cursor's hot spot.
    hand = ("M9 2 C10.4 2 11.3 3 11.3 4.4 V13 C11.8 12.4 12.6 12.1 13.4 12.2 "
            "C14.3 12.3 15 12.9 15.3 13.7 C15.8 13.1 16.6 12.8 17.4 12.9 C18.4 13 19.1 13.7 "
            "19.3 14.6 C19.8 14.1 20.5 13.9 21.2 14 C22.5 14.2 23.3 15.2 23.3 16.5 V22 "
            "C23.3 26.3 20.5 29.5 16.3 29.5 H14.3 C11.7 29.5 9.9 28.4 8.5 26.4 L4.2 20.2 "
            "C3.5 19.2 3.7 17.9 4.7 17.2 C5.6 16.6 6.8 16.8 7.5 17.6 L6.7 16.7 V4.4 "
            "C6.7 3 7.6 2 9 2 Z")
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" '
            'viewBox="0 0 32 32">\n' +
            fill(hand, "#ffffff", ' stroke="#000000" stroke-width="1.4" stroke-linejoin="round"')
            + stroke("M15.3 13.7 V18.5 M19.3 14.6 V18.5", "#000000", 1.1) + '\n</svg>\n')


def write(path, text):
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def main():
    os.makedirs(FACES_DIR, exist_ok=True)
    os.makedirs(PICTURES_DIR, exist_ok=True)
    names = []
    for n, (w, h, glyph, state, label) in sorted(FACES.items()):
        write(os.path.join(FACES_DIR, f"{n}.svg"), face_svg(w, h, glyph, state, label))
        names.append(f"faces/{n}.svg")
    for i, (w, h) in enumerate(SKIN):
        write(os.path.join(FACES_DIR, f"skin{i}.svg"), skin_svg(i, w, h))
        names.append(f"faces/skin{i}.svg")
    pictures = {"icon.svg": icon_svg(64), "tray.svg": tray_svg(), "logo.svg": logo_svg(),
                "cursor-link.svg": cursor_svg()}
    for name, text in pictures.items():
        write(os.path.join(PICTURES_DIR, name), text)
        names.append(f"pictures/{name}")
    write(os.path.join(ROOT, "faces.cmake"),
          "# Written by tools/make-faces.py.\nset(KOLVANE_FACE_FILES\n" +
          "".join(f"    {n}\n" for n in names) + ")\n")


main()
