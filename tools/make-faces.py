#!/usr/bin/env python3
"""Writes the numbered button faces and the skin pieces as SVG sources into resources/.

One style for every face: a rounded plate with a glyph; a pressed face is the same plate
darker and shifted one pixel, as a sunken button; an "off" toggle face is greyed.
Run it again after changing the table; the SVGs are committed.
"""
import os

OUT = os.path.join(os.path.dirname(__file__), "..", "resources", "faces")

# number: (width, height, glyph, kind) -- kind: normal, pressed, off
FACES = {}
def pair(pressed, normal, w, h, glyph):
    FACES[pressed] = (w, h, glyph, "pressed")
    FACES[normal] = (w, h, glyph, "normal")

pair(101, 102, 35, 35, "設")      # settings
pair(103, 104, 35, 35, "✕")      # exit / close window
pair(105, 106, 35, 35, "✎")      # memo
pair(107, 108, 35, 35, "✎")
pair(109, 110, 35, 35, "≣")      # history list
pair(111, 112, 35, 35, "登")      # register to the phone book
pair(113, 114, 35, 35, "▼")      # tray
FACES[115] = (35, 35, "前", "normal")  # keep on top: on
FACES[116] = (35, 35, "前", "off")     # keep on top: off
pair(117, 118, 35, 35, "☎")      # phone book
FACES[119] = (35, 35, "♪", "normal")  # ring on
FACES[120] = (35, 35, "♪", "off")     # ring off
pair(121, 122, 35, 35, "?")      # help
pair(123, 124, 35, 35, "i")      # About
pair(125, 126, 35, 35, "◷")      # date and time
pair(181, 182, 20, 20, "✕")      # title bar close
FACES[183] = (20, 20, "□", "pressed")  # maximise pressed
FACES[184] = (20, 20, "□", "normal")   # maximise normal
FACES[185] = (20, 20, "_", "pressed")
FACES[186] = (20, 20, "_", "normal")   # minimise normal
FACES[187] = (20, 20, "❐", "pressed")
FACES[188] = (20, 20, "❐", "normal")   # restore
FACES[189] = (32, 18, "時", "normal")  # time shown: time button lit
FACES[190] = (32, 18, "時", "off")
FACES[191] = (32, 18, "日", "normal")
FACES[192] = (32, 18, "日", "off")
pair(201, 202, 75, 35, "適用")
pair(203, 204, 75, 35, "取消")
pair(205, 206, 75, 35, "ヘルプ")
pair(211, 212, 35, 35, "削")      # delete selected
pair(213, 214, 35, 35, "全削")    # delete all
pair(221, 222, 75, 35, "新規")    # new entry
pair(231, 232, 35, 35, "◀")      # previous
pair(233, 234, 35, 35, "|◀")      # first
pair(235, 236, 35, 35, "▶")      # next
pair(237, 238, 35, 35, "▶|")      # last
pair(251, 252, 70, 30, "トレイ")   # hide into the notification area

SKIN = [(15, 15), (7, 40), (15, 15), (50, 10), (15, 15), (11, 40), (15, 15), (50, 10)]


def face_svg(w, h, glyph, kind):
    top, bottom, ink = "#5b8fd6", "#1f4f96", "#ffffff"
    dx = 0
    if kind == "pressed":
        top, bottom, dx = "#1f4f96", "#173b70", 1
    elif kind == "off":
        top, bottom, ink = "#9aa3ad", "#6b737c", "#e4e7ea"
    size = min(h * 0.6, w * 0.8 / max(1, len(glyph)))
    return f'''<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" viewBox="0 0 {w} {h}">
<defs><linearGradient id="g" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bottom}"/></linearGradient></defs>
<rect x="0.5" y="0.5" width="{w-1}" height="{h-1}" rx="{min(w,h)/5:.1f}" fill="url(#g)" stroke="#0e2a52"/>
<text x="{w/2+dx}" y="{h/2+dx+size*0.36:.1f}" font-family="Noto Sans CJK JP" font-size="{size:.1f}"
 font-weight="bold" fill="{ink}" text-anchor="middle">{glyph}</text>
</svg>
'''


def skin_svg(i, w, h):
    return f'''<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" viewBox="0 0 {w} {h}">
<rect width="{w}" height="{h}" fill="#2a5ea8"/>
</svg>
'''


def main():
    os.makedirs(OUT, exist_ok=True)
    names = []
    for n, (w, h, glyph, kind) in sorted(FACES.items()):
        with open(os.path.join(OUT, f"{n}.svg"), "w", encoding="utf-8") as f:
            f.write(face_svg(w, h, glyph, kind))
        names.append(f"{n}.svg")
    for i, (w, h) in enumerate(SKIN):
        with open(os.path.join(OUT, f"skin{i}.svg"), "w", encoding="utf-8") as f:
            f.write(skin_svg(i, w, h))
        names.append(f"skin{i}.svg")
    with open(os.path.join(OUT, "..", "faces.cmake"), "w") as f:
        f.write("set(KOLVANE_FACE_FILES\n" + "".join(f"    faces/{n}\n" for n in names) + ")\n")


main()
