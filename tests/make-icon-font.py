#!/usr/bin/python3
# Writes a stand-in for the "Segoe MDL2 Assets" font, which Wine does not have: one plain shape for
# each glyph the program draws, so that screenshots under Wine show where the icons are. Test
# environments only; on Windows the system's own font is used.
# Usage: make-icon-font.py OUTPUT.ttf
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen

EM = 1000


def rect(pen, x0, y0, x1, y1):
    # Clockwise, the direction of an outer TrueType contour.
    pen.moveTo((x0, y0))
    pen.lineTo((x0, y1))
    pen.lineTo((x1, y1))
    pen.lineTo((x1, y0))
    pen.closePath()


def polygon(pen, points):
    pen.moveTo(points[0])
    for p in points[1:]:
        pen.lineTo(p)
    pen.closePath()


def menu(pen):
    for y in (150, 400, 650):
        rect(pen, 100, y, 900, y + 120)


def refresh(pen):
    polygon(pen, [(150, 500), (500, 850), (850, 500), (500, 150)])


def certificate(pen):
    rect(pen, 80, 200, 920, 800)


def hard_disk(pen):
    rect(pen, 100, 250, 900, 650)


def usb(pen):
    rect(pen, 300, 100, 700, 550)
    rect(pen, 380, 550, 620, 850)


def close(pen):
    polygon(pen, [(150, 250), (250, 150), (850, 750), (750, 850)])
    polygon(pen, [(150, 750), (750, 150), (850, 250), (250, 850)])


GLYPHS = {
    0xE700: ("menu", menu),
    0xE72C: ("refresh", refresh),
    0xEB95: ("certificate", certificate),
    0xEDA2: ("harddisk", hard_disk),
    0xE88E: ("usb", usb),
    0xE711: ("close", close),
}


def main(out):
    names = [".notdef"] + [name for name, _ in GLYPHS.values()]
    fb = FontBuilder(EM, isTTF=True)
    fb.setupGlyphOrder(names)
    fb.setupCharacterMap({code: name for code, (name, _) in GLYPHS.items()})
    glyphs = {".notdef": TTGlyphPen(None).glyph()}
    for name, draw in GLYPHS.values():
        pen = TTGlyphPen(None)
        draw(pen)
        glyphs[name] = pen.glyph()
    fb.setupGlyf(glyphs)
    fb.setupHorizontalMetrics({name: (EM, 0) for name in names})
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupNameTable({"familyName": "Segoe MDL2 Assets", "styleName": "Regular"})
    fb.setupOS2(sTypoAscender=800, sTypoDescender=-200, usWinAscent=800, usWinDescent=200)
    fb.setupPost()
    fb.save(out)


if __name__ == "__main__":
    main(sys.argv[1])
