#!/usr/bin/python3
"""Draws every image of the plug-in window from vector shapes and writes resources/png/<id>.png.

Run with the system Python and its cairo module (Debian python3-cairo):

    /usr/bin/python3 resources/generate_artwork.py [--out DIR] [--preview FILE]

The output is deterministic: no timestamps, one pinned font file (Liberation Sans 2 through a
private fontconfig set-up), full hinting, and a PNG writer of our own. --preview composes the
whole window (background with every control's first frame and some meter readings) for review.

Opaque control images are drawn on top of the background pixels of their control rectangle, so
their edges blend seamlessly with the window.
"""

import argparse
import math
import os
import struct
import sys
import tempfile
import zlib

FONT_DIR = '/usr/share/fonts/truetype/liberation2'


def _pin_fonts():
    """Makes fontconfig see only the Liberation Sans 2 files, whatever else is installed."""
    for name in ('LiberationSans-Regular.ttf', 'LiberationSans-Bold.ttf'):
        if not os.path.isfile(os.path.join(FONT_DIR, name)):
            sys.exit('missing font %s/%s (Debian package fonts-liberation2)' % (FONT_DIR, name))
    cache = tempfile.mkdtemp(prefix='stellix-fc-')
    conf = os.path.join(cache, 'fonts.conf')
    with open(conf, 'w') as f:
        f.write('<?xml version="1.0"?>\n<!DOCTYPE fontconfig SYSTEM "fonts.dtd">\n<fontconfig>'
                '<dir>%s</dir><cachedir>%s</cachedir></fontconfig>\n' % (FONT_DIR, cache))
    os.environ['FONTCONFIG_FILE'] = conf
    os.environ.pop('FONTCONFIG_PATH', None)


_pin_fonts()
import cairo  # noqa: E402  (after the font set-up: fontconfig reads it on first use)

WIDTH, HEIGHT = 524, 462

# ---------------------------------------------------------------------------------------------
# Palette (r, g, b) in 0..255.

READOUT = (213, 236, 246)      # light readout text / light readout panels
READOUT_INK = (79, 79, 79)     # dark glyphs of the bitmap font, readout value boxes
NAME_FIELD = (209, 227, 238)   # program name field
FIELD_INK = (39, 39, 39)       # text of the light value fields
OVER = (229, 53, 5)            # overs

CHASSIS_TOP = (50, 54, 59)
CHASSIS_BOTTOM = (37, 40, 44)
PLATE_TOP = (200, 215, 225)    # light blue-grey plates behind the secondary knobs
PLATE_BOTTOM = (184, 201, 212)
WELL = (19, 21, 23)            # meter wells
LABEL = (196, 214, 224)        # engraved labels on the dark chassis
LABEL_DIM = (128, 142, 151)
PLATE_LABEL = (44, 50, 56)     # labels on the light plates
ICE = (132, 206, 242)          # lit indicators
ICE_DEEP = (62, 152, 210)      # value arcs


def rgb(c, a=1.0):
    return (c[0] / 255.0, c[1] / 255.0, c[2] / 255.0, a)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def shade(c, f):
    """Scales a colour toward black (f < 1) or white (f > 1)."""
    if f <= 1.0:
        return tuple(v * f for v in c)
    return mix(c, (255, 255, 255), f - 1.0)


# ---------------------------------------------------------------------------------------------
# Drawing helpers.

def surface(w, h):
    return cairo.ImageSurface(cairo.FORMAT_ARGB32, w, h)


def context(surf):
    c = cairo.Context(surf)
    fo = cairo.FontOptions()
    fo.set_antialias(cairo.ANTIALIAS_GRAY)
    fo.set_hint_style(cairo.HINT_STYLE_FULL)
    fo.set_hint_metrics(cairo.HINT_METRICS_ON)
    c.set_font_options(fo)
    return c


def source(c, col, a=1.0):
    c.set_source_rgba(*rgb(col, a))


def rrect(c, x, y, w, h, r):
    r = min(r, w / 2.0, h / 2.0)
    c.new_sub_path()
    c.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    c.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    c.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    c.arc(x + r, y + r, r, math.pi, 1.5 * math.pi)
    c.close_path()


def vgrad(y0, y1, top, bottom, a0=1.0, a1=None):
    g = cairo.LinearGradient(0, y0, 0, y1)
    g.add_color_stop_rgba(0, *rgb(top, a0))
    g.add_color_stop_rgba(1, *rgb(bottom, a0 if a1 is None else a1))
    return g


def fill_rrect(c, x, y, w, h, r, paint):
    rrect(c, x, y, w, h, r)
    if isinstance(paint, cairo.Pattern):
        c.set_source(paint)
    else:
        source(c, paint)
    c.fill()


def hline(c, x0, x1, y, col, a=1.0):
    """A one-pixel row from x0 to x1 (exclusive) at row y."""
    c.rectangle(x0, y, x1 - x0, 1)
    source(c, col, a)
    c.fill()


def set_font(c, size, bold):
    c.select_font_face('Liberation Sans', cairo.FONT_SLANT_NORMAL,
                       cairo.FONT_WEIGHT_BOLD if bold else cairo.FONT_WEIGHT_NORMAL)
    c.set_font_size(size)


def text_width(c, s, size=7, bold=True, track=0):
    set_font(c, size, bold)
    return sum(c.text_extents(ch).x_advance for ch in s) + track * (len(s) - 1)


def text(c, s, x, y, size=7, bold=True, col=LABEL, align='c', track=0, a=1.0):
    """Draws s with its baseline on row y (the row just above pixel row y), glyph by glyph on
    whole pixels so that hinted glyphs stay crisp; track adds pixels between letters."""
    set_font(c, size, bold)
    advances = [c.text_extents(ch).x_advance for ch in s]
    total = sum(advances) + track * (len(s) - 1)
    if align == 'c':
        x -= total / 2.0
    elif align == 'r':
        x -= total
    pen = math.floor(x + 0.5)
    source(c, col, a)
    for ch, adv in zip(s, advances):
        c.move_to(pen, y)
        c.show_text(ch)
        pen += adv + track
    return total


def engraved(c, s, x, y, size=7, bold=True, col=LABEL, align='c', track=1):
    """A label on the dark chassis: a faint dark shadow one row below the light text."""
    text(c, s, x, y + 1, size, bold, (10, 11, 12), align, track, a=0.55)
    text(c, s, x, y, size, bold, col, align, track)


def inset(c, x, y, w, h, r, fill, depth=1.0):
    """A recessed field: dark rim above, light rim below, filled with fill (colour or pattern)."""
    rrect(c, x - 1, y - 1, w + 2, h + 2, r + 1)
    source(c, (0, 0, 0), 0.35 * depth)
    c.fill()
    rrect(c, x - 1, y, w + 2, h + 1, r + 1)
    source(c, (255, 255, 255), 0.10 * depth)
    c.fill()
    fill_rrect(c, x, y, w, h, r, fill)
    # inner shadow along the top edge
    c.save()
    rrect(c, x, y, w, h, r)
    c.clip()
    c.set_source(vgrad(y, y + 3, (0, 0, 0), (0, 0, 0), 0.30 * depth, 0.0))
    c.paint()
    c.restore()


def raised(c, x, y, w, h, r, top, bottom, edge=0.22):
    """A raised plate: soft drop shadow, body gradient, light top edge."""
    rrect(c, x - 0.5, y + 0.5, w + 1, h + 1, r + 0.5)
    source(c, (0, 0, 0), 0.35)
    c.fill()
    fill_rrect(c, x, y, w, h, r, vgrad(y, y + h, top, bottom))
    c.save()
    rrect(c, x, y, w, h, r)
    c.clip()
    rrect(c, x + 0.5, y + 0.5, w - 1, h + 4, r)
    source(c, (255, 255, 255), edge)
    c.set_line_width(1)
    c.stroke()
    c.restore()


def crop(surf, x, y, w, h):
    out = surface(w, h)
    c = cairo.Context(out)
    c.set_source_surface(surf, -x, -y)
    c.paint()
    return out


def strip(frames_w, frame_h, n, under=None):
    """A vertical strip of n frames; each frame starts as a copy of under (if given)."""
    s = surface(frames_w, frame_h * n)
    if under is not None:
        c = cairo.Context(s)
        for i in range(n):
            c.set_source_surface(under, 0, i * frame_h)
            c.paint()
    return s


# ---------------------------------------------------------------------------------------------
# PNG output: 8-bit RGB for opaque images, RGBA (straight alpha) otherwise. Each image gets the
# row filter (one for all rows) that compresses best; zlib at level 9.

def _pixels(surf):
    surf.flush()
    w, h, stride = surf.get_width(), surf.get_height(), surf.get_stride()
    data = bytes(surf.get_data())
    if sys.byteorder != 'little':
        sys.exit('this writer assumes a little-endian machine')
    rows = [data[y * stride:y * stride + 4 * w] for y in range(h)]
    return w, h, rows


def _filter_rows(rows, bpp, kind):
    out = []
    prev = bytes(len(rows[0]))
    mask = int.from_bytes(b'\x80' * len(rows[0]), 'big')
    for row in rows:
        if kind == 0:
            out.append(b'\x00' + row)
        else:
            ref = prev if kind == 2 else bytes(bpp) + row[:-bpp]
            a = int.from_bytes(row, 'big')
            b = int.from_bytes(ref, 'big')
            # byte-wise (a - b) mod 256 without borrows crossing bytes
            d = ((a | mask) - (b & ~mask)) ^ ((a ^ ~b) & mask)
            out.append(bytes([kind]) + d.to_bytes(len(row), 'big'))
        prev = row
    return b''.join(out)


def write_png(surf, path, alpha):
    w, h, rows = _pixels(surf)
    conv = []
    for row in rows:
        n = len(row) // 4
        if alpha:
            out = bytearray(4 * n)
            for i in range(n):
                b, g, r, a = row[4 * i], row[4 * i + 1], row[4 * i + 2], row[4 * i + 3]
                if a and a != 255:
                    r, g, b = ((v * 255 + a // 2) // a for v in (r, g, b))
                elif not a:
                    r = g = b = 0
                out[4 * i:4 * i + 4] = bytes((r, g, b, a))
            conv.append(bytes(out))
        else:
            if row[3::4] != b'\xff' * n:
                raise ValueError('%s: an opaque image has transparent pixels' % path)
            out = bytearray(3 * n)
            out[0::3] = row[2::4]
            out[1::3] = row[1::4]
            out[2::3] = row[0::4]
            conv.append(bytes(out))
    bpp = 4 if alpha else 3
    best = None
    for kind in (0, 1, 2):
        z = zlib.compress(_filter_rows(conv, bpp, kind), 9)
        if best is None or len(z) < len(best):
            best = z

    def chunk(tag, payload):
        return (struct.pack('>I', len(payload)) + tag + payload +
                struct.pack('>I', zlib.crc32(tag + payload) & 0xFFFFFFFF))

    ihdr = struct.pack('>IIBBBBB', w, h, 8, 6 if alpha else 2, 0, 0, 0)
    png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', best) + chunk(b'IEND', b'')
    tmp = path + '.tmp'
    with open(tmp, 'wb') as f:
        f.write(png)
    os.replace(tmp, path)


# ---------------------------------------------------------------------------------------------
# Window layout: control rectangles (left, top, right, bottom) in window pixels.

R_DETECTOR = (44, 40, 77, 59)
R_OVERSAMPLE = (81, 40, 114, 59)
R_MODE = (223, 305, 258, 367)
R_QUANTIZE = (412, 40, 445, 59)
R_AUTOBLACK = (449, 40, 482, 59)
R_BITS = (412, 72, 445, 103)
R_NOISESHAPE = (449, 72, 482, 103)
R_CALIBRATE = (269, 335, 302, 366)
R_ATTZOOM = (269, 265, 302, 284)
R_ATT1 = (224, 265, 257, 284)
R_ATT2 = (224, 230, 257, 249)
R_ATTL = (269, 230, 302, 249)
R_METEROVS = (269, 307, 302, 326)
R_TRANSIENT = (55, 169, 105, 217)
R_RELEASE = (56, 267, 105, 314)
R_LEVELLER = (421, 169, 469, 216)
R_LINK = (421, 267, 469, 314)
R_TRANSSHAPE = (38, 121, 128, 146)
R_POWER = (245, 400, 280, 435)
R_DRIVE = (52, 349, 108, 404)
R_OUTPUT = (417, 349, 475, 405)
R_AUTOOUT = (394, 368, 412, 392)
R_POSTMETER = (116, 368, 134, 392)
R_INFO = (224, 370, 301, 401)
F_DRIVE = (43, 409, 117, 427)
F_OUTPUT = (410, 409, 484, 427)
F_TRANSIENT = (45, 221, 119, 239)
F_RELEASE = (45, 319, 119, 337)
F_LEVELLER = (411, 221, 485, 239)
F_LINK = (411, 319, 485, 337)
R_METER_IN = (147, 38, 207, 408)
R_METER_OUT = (319, 38, 379, 406)
R_GR = (233, 39, 291, 192)
R_LCD_IN = (131, 415, 224, 426)
R_LCD_OUT = (303, 415, 396, 426)
R_LCD_GR = (217, 199, 310, 210)
# preset bar
R_NAME = (194, 447, 318, 461)
R_MENU = (320, 448, 333, 460)
R_ROCKER = (340, 447, 370, 460)
R_LOAD_BANK = (72, 447, 89, 462)
R_SAVE_BANK = (22, 447, 39, 462)
R_DEF_BANK = (39, 447, 71, 460)
R_LOAD_PRESET = (166, 447, 183, 462)
R_SAVE_PRESET = (104, 447, 121, 462)
R_DEF_PRESET = (122, 447, 166, 460)
R_RECALL_A = (421, 447, 438, 462)
R_STORE_A = (388, 447, 405, 462)
R_RECALL_B = (486, 447, 503, 462)
R_STORE_B = (452, 447, 469, 462)
R_MANUAL = (510, 449, 521, 458)

# Level meters: bars and legend strips (x ranges), scale from y 402 (bottom) to y 42, 6 px/dB.
METER_BARS = {'in': ((150, 165), (191, 206)), 'out': ((320, 335), (363, 378))}
LEGEND_X = {'in': 164, 'out': 335}
LEGEND_Y, LEGEND_H, LEGEND_W = 38, 367, 27
SCALE_TOP, SCALE_BOTTOM = 42, 402
# The plates (light panels) and meter wells of the background, shared by the preview.
PLATE_LEFT = (30, 155, 136, 341)
PLATE_RIGHT = (392, 155, 498, 341)
WELL_IN = (144, 35, 210, 411)
WELL_OUT = (316, 35, 382, 411)
WELL_GR = (230, 36, 294, 195)
PRESET_BAR_TOP = 437


def size(r):
    return r[2] - r[0], r[3] - r[1]


def centre(r):
    return (r[0] + r[2]) / 2.0, (r[1] + r[3]) / 2.0


# ---------------------------------------------------------------------------------------------
# 128: the window background.

def star(c, cx, cy, r, inner=0.28):
    """A four-pointed star (the product mark)."""
    c.new_path()
    for i in range(8):
        ang = -math.pi / 2 + i * math.pi / 4
        rad = r if i % 2 == 0 else r * inner
        c.line_to(cx + rad * math.cos(ang), cy + rad * math.sin(ang))
    c.close_path()


def field_panel(c, r, dark):
    x0, y0, x1, y1 = r
    if dark:
        inset(c, x0 + 1, y0 + 1, x1 - x0 - 2, y1 - y0 - 2, 3, vgrad(y0, y1, (16, 18, 20), (24, 27, 30)))
    else:
        inset(c, x0 + 1, y0 + 1, x1 - x0 - 2, y1 - y0 - 2, 3, vgrad(y0, y1, (226, 237, 244), (236, 244, 249)),
              depth=0.8)


def readout_panel(c, r):
    """A light readout strip: the code prints into it with the plain glyph set, whose cells
    carry READOUT as their background, so the strip itself is exactly that colour."""
    x0, y0, x1, y1 = r
    rrect(c, x0 - 2, y0 - 2, x1 - x0 + 4, y1 - y0 + 4, 2.5)
    source(c, (8, 9, 10), 0.9)
    c.fill()
    rrect(c, x0 - 2, y0 - 1, x1 - x0 + 4, y1 - y0 + 3, 2.5)
    source(c, (255, 255, 255), 0.08)
    c.fill()
    c.rectangle(x0 - 1, y0 - 1, x1 - x0 + 2, y1 - y0 + 2)
    source(c, (150, 168, 178))
    c.fill()
    c.rectangle(x0, y0, x1 - x0, y1 - y0)
    source(c, READOUT)
    c.fill()


def meter_well(c, r):
    x0, y0, x1, y1 = r
    inset(c, x0, y0, x1 - x0, y1 - y0, 4, vgrad(y0, y1, (22, 24, 27), (17, 19, 21)), depth=1.3)


def section(c, title, x0, x1, y):
    """A section title centred over x0..x1 with thin rules to either side, baseline y."""
    w = text_width(c, title, 6, True, 1)
    mid = (x0 + x1) / 2.0
    engraved(c, title, mid, y, 6, track=1)
    for a, b in ((x0, mid - w / 2.0 - 3), (mid + w / 2.0 + 3, x1)):
        a, b = int(round(a)), int(round(b))
        hline(c, a, b, y - 3, (0, 0, 0), 0.5)
        hline(c, a, b, y - 2, (255, 255, 255), 0.09)


def draw_background():
    s = surface(WIDTH, HEIGHT)
    c = context(s)
    # chassis
    c.set_source(vgrad(0, HEIGHT, CHASSIS_TOP, CHASSIS_BOTTOM))
    c.paint()
    # a soft light from the top left
    g = cairo.RadialGradient(150, -80, 40, 150, -80, 560)
    g.add_color_stop_rgba(0, 1, 1, 1, 0.06)
    g.add_color_stop_rgba(1, 1, 1, 1, 0.0)
    c.set_source(g)
    c.paint()

    # header band
    c.rectangle(0, 0, WIDTH, 20)
    c.set_source(vgrad(0, 20, (31, 34, 37), (27, 29, 32)))
    c.fill()
    hline(c, 0, WIDTH, 20, (12, 13, 14), 0.8)
    hline(c, 0, WIDTH, 21, (255, 255, 255), 0.07)
    star(c, 19.5, 10.5, 5.5)
    source(c, ICE)
    c.fill()
    text(c, 'KORVAN', 30, 14, 8, True, LABEL, 'l', track=2)
    w = text_width(c, 'KORVAN', 8, True, 2)
    text(c, 'STELLIX', 30 + w + 6, 14, 8, False, LABEL, 'l', track=2)
    text(c, 'FULL BAND PRECISION LIMITER', WIDTH - 14, 14, 7, False, LABEL_DIM, 'r', track=1)

    # light plates behind the secondary knobs
    for x0, y0, x1, y1 in (PLATE_LEFT, PLATE_RIGHT):
        raised(c, x0, y0, x1 - x0, y1 - y0, 5, PLATE_TOP, PLATE_BOTTOM, edge=0.55)

    # meter wells
    for r in (WELL_IN, WELL_OUT, WELL_GR):
        meter_well(c, r)

    # value fields
    for r in (F_TRANSIENT, F_RELEASE, F_LEVELLER, F_LINK):
        field_panel(c, r, dark=False)
    for r in (F_DRIVE, F_OUTPUT):
        field_panel(c, r, dark=True)

    # readout strips
    for r in (R_LCD_IN, R_LCD_OUT, R_LCD_GR):
        readout_panel(c, r)

    # section labels on the chassis
    section(c, 'DETECTOR', R_DETECTOR[0], R_OVERSAMPLE[2], 29)
    section(c, 'REQUANTIZER', R_QUANTIZE[0], R_AUTOBLACK[2], 29)
    engraved(c, 'ORDER', centre(R_DETECTOR)[0], 37, 6, col=LABEL_DIM, track=0)
    engraved(c, 'OVERSAMPLE', centre(R_OVERSAMPLE)[0], 37, 6, col=LABEL_DIM, track=0)
    engraved(c, 'QUANTIZE', R_QUANTIZE[2] - 1, 37, 6, col=LABEL_DIM, align='r', track=0)
    engraved(c, 'AUTOBLACK', R_AUTOBLACK[0] + 1, 37, 6, col=LABEL_DIM, align='l', track=0)
    engraved(c, 'BITS', 428.5, 113, 6, track=1)
    engraved(c, 'NOISE SHAPE', 465.5, 113, 6, track=0)
    section(c, 'SHAPE', R_TRANSSHAPE[0] + 1, R_TRANSSHAPE[0] + 84, 106)
    for x, t in ((47.5, 'HARD'), (80.5, 'MED'), (113.5, 'SOFT')):
        engraved(c, t, x, 118, 6, col=LABEL_DIM, track=0)
    engraved(c, 'INPUT', 177, 31, 7, track=1)
    engraved(c, 'OUTPUT', 349, 31, 7, track=1)
    engraved(c, 'GAIN REDUCTION', 262, 31, 7, track=0)
    engraved(c, 'ATTENUATION', 263, 225, 6, track=0)
    engraved(c, 'METER', 240.5, 301, 6, track=0)
    engraved(c, 'CALIBRATE', 285.5, 333, 6, track=0)
    engraved(c, 'DRIVE', 80, 347, 7, track=1)
    engraved(c, 'OUTPUT', 446, 347, 7, track=1)
    for x, (a, b) in ((125, ('POST', 'METER')), (403, ('AUTO', 'OUT'))):
        engraved(c, a, x, 358, 6, col=LABEL_DIM, track=0)
        engraved(c, b, x, 365, 6, col=LABEL_DIM, track=0)
    # plate labels
    for x, y, t in ((80, 166, 'TRANSIENT'), (80.5, 263, 'RELEASE'), (445, 166, 'LEVELLER'), (445, 263, 'L/R LINK')):
        text(c, t, x, y, 7, True, PLATE_LABEL, 'c', track=1)

    # logo inside the information screen's closed rectangle (a click there opens it)
    left, top = R_INFO[0], R_INFO[1]
    star(c, left + 13.5, top + 15.5, 7.5)
    source(c, ICE)
    c.fill()
    text(c, 'KORVAN', left + 26, top + 12, 7, True, LABEL_DIM, 'l', track=2)
    text(c, 'STELLIX', left + 26, top + 24, 9, True, LABEL, 'l', track=1)

    draw_preset_bar(c)
    return s


def draw_preset_bar(c):
    top = PRESET_BAR_TOP
    c.rectangle(0, top, WIDTH, HEIGHT - top)
    source(c, (29, 31, 34))
    c.fill()
    hline(c, 0, WIDTH, top, (10, 11, 12), 0.9)
    hline(c, 0, WIDTH, top + 1, (255, 255, 255), 0.06)
    for x, t in ((55.5, 'BANK'), (143.5, 'PRESET'), (413, 'MEMO A'), (477.5, 'MEMO B')):
        text(c, t, x, 445, 6, True, LABEL_DIM, 'c')
    # program name field
    x0, y0, x1, y1 = R_NAME
    inset(c, x0, y0, x1 - x0, y1 - y0, 2, NAME_FIELD, depth=1.0)
    # menu arrow
    mx0, my0, mx1, my1 = R_MENU
    fill_rrect(c, mx0 + 0.5, my0 + 0.5, mx1 - mx0 - 1, my1 - my0 - 1, 2, (52, 56, 61))
    c.move_to(mx0 + 3.5, my0 + 5)
    c.line_to(mx1 - 3.5, my0 + 5)
    c.line_to((mx0 + mx1) / 2.0, my0 + 8.5)
    c.close_path()
    source(c, LABEL)
    c.fill()


# ---------------------------------------------------------------------------------------------
# Keys: the back-lit buttons, selectors and small switches share one look.

KEY_TOP, KEY_BOTTOM = (74, 79, 85), (53, 57, 62)
KEY_TEXT_OFF = (146, 160, 169)
KEY_TEXT_ON = (228, 243, 250)
LIT_TOP, LIT_BOTTOM = (236, 246, 251), (196, 226, 242)   # the preference flash: a bright face
INK_ON_LIT = (30, 44, 54)


def key_body(c, x, y, w, h, r=3.0, face=None, pressed=False):
    """A raised key inside (x, y, w, h), its shadow one row below."""
    rrect(c, x, y + 1, w, h, r)
    source(c, (0, 0, 0), 0.45)
    c.fill()
    top, bottom = face if face else (KEY_TOP, KEY_BOTTOM)
    if pressed:
        top, bottom = shade(top, 0.85), shade(bottom, 0.85)
    fill_rrect(c, x, y, w, h, r, vgrad(y, y + h, top, bottom))
    c.save()
    rrect(c, x, y, w, h, r)
    c.clip()
    rrect(c, x + 0.5, y + 0.5, w - 1, h + 3, r)
    source(c, (255, 255, 255), 0.16)
    c.set_line_width(1)
    c.stroke()
    c.restore()
    rrect(c, x - 0.5, y - 0.5, w + 1, h + 1, r + 0.5)
    source(c, (0, 0, 0), 0.55)
    c.set_line_width(1)
    c.stroke()


def led_bar(c, cx, y, w, col, on):
    """A two-row indicator strip centred at cx; lit ones glow softly."""
    x = cx - w / 2.0
    if on:
        g = cairo.RadialGradient(cx, y + 1, 1, cx, y + 1, w * 0.75)
        g.add_color_stop_rgba(0, *rgb(col, 0.45))
        g.add_color_stop_rgba(1, *rgb(col, 0.0))
        c.set_source(g)
        c.rectangle(x - 4, y - 3, w + 8, 8)
        c.fill()
        fill_rrect(c, x, y, w, 2, 1, vgrad(y, y + 2, shade(col, 1.35), col))
    else:
        fill_rrect(c, x, y, w, 2, 1, (26, 28, 31))
        hline(c, x + 1, x + w - 1, y + 2, (255, 255, 255), 0.07)


def backlit_key(c, w, h, label, state, led=ICE):
    """A 33 x 19 back-lit button: state off, on, lit (preference flash) or armed (on, but the
    function it belongs to is off)."""
    fs = 7 if text_width(c, label, 7, True) <= 16 else 6
    tr = 1 if label == 'II' else 0
    if state == 'lit':
        key_body(c, 1, 1, w - 2, h - 3, face=(LIT_TOP, LIT_BOTTOM))
        led_bar(c, w / 2.0, 4, 13, (255, 255, 255), True)
        text(c, label, w / 2.0, 14, fs, True, track=tr, col=INK_ON_LIT)
        return
    key_body(c, 1, 1, w - 2, h - 3)
    if state == 'on':
        led_bar(c, w / 2.0, 4, 13, led, True)
        text(c, label, w / 2.0, 14, fs, True, track=tr, col=KEY_TEXT_ON)
    elif state == 'armed':
        led_bar(c, w / 2.0, 4, 13, mix(led, (60, 66, 72), 0.55), True)
        text(c, label, w / 2.0, 14, fs, True, track=tr, col=mix(KEY_TEXT_ON, KEY_TEXT_OFF, 0.6))
    else:
        led_bar(c, w / 2.0, 4, 13, led, False)
        text(c, label, w / 2.0, 14, fs, True, track=tr, col=KEY_TEXT_OFF)


def backlit_strip(bg, r, label, states, led=ICE):
    """label: one text for every frame, or a list with one per frame."""
    w, h = size(r)
    labels = label if isinstance(label, (list, tuple)) else [label] * len(states)
    s = strip(w, h, len(states), crop(bg, r[0], r[1], w, h))
    c = context(s)
    for i, st in enumerate(states):
        c.save()
        c.translate(0, i * h)
        c.rectangle(0, 0, w, h)
        c.clip()
        backlit_key(c, w, h, labels[i], st, led)
        c.restore()
    return s


def backlight_overlay():
    """170: drawn over a back-lit button while the pointer is over it."""
    w, h = 33, 19
    s = surface(w, h)
    c = context(s)
    c.save()
    rrect(c, 1, 1, w - 2, h - 3, 3)
    c.clip()
    g = cairo.RadialGradient(w / 2.0, 1, 2, w / 2.0, 6, 22)
    g.add_color_stop_rgba(0, *rgb(READOUT, 0.20))
    g.add_color_stop_rgba(1, *rgb(READOUT, 0.04))
    c.set_source(g)
    c.paint()
    c.restore()
    rrect(c, 1.5, 1.5, w - 3, h - 4, 2.5)
    source(c, READOUT, 0.30)
    c.set_line_width(1)
    c.stroke()
    return s


def arrow(c, cx, cy, up, w=7, h=4):
    c.new_path()
    if up:
        c.move_to(cx - w / 2.0, cy + h / 2.0)
        c.line_to(cx + w / 2.0, cy + h / 2.0)
        c.line_to(cx, cy - h / 2.0)
    else:
        c.move_to(cx - w / 2.0, cy - h / 2.0)
        c.line_to(cx + w / 2.0, cy - h / 2.0)
        c.line_to(cx, cy + h / 2.0)
    c.close_path()


# Stepped selectors (33 x 31): up arrow, a small display with the value, down arrow.
SEL_W, SEL_H = 33, 31
SEL_WINDOW = (3, 10, 27, 11)   # x, y, w, h of the value display
SEL_UP_Y, SEL_DOWN_Y = 5.5, 25.5


def selector_frame(c, value, state, ink=ICE, fs=6):
    """state: 'dim' (unlit: the setting does not take effect), 'on' (unlit but active) or
    'lit'."""
    key_body(c, 1, 0.5, SEL_W - 2, SEL_H - 2.5)
    x, y, w, h = SEL_WINDOW
    inset(c, x, y, w, h, 2, vgrad(y, y + h, (14, 16, 18), (21, 23, 26)), depth=0.7)
    for up, cy in ((True, SEL_UP_Y), (False, SEL_DOWN_Y)):
        arrow(c, SEL_W / 2.0, cy, up)
        source(c, (176, 190, 199))
        c.fill()
    if state == 'lit':
        col = ink
        g = cairo.RadialGradient(x + w / 2.0, y + h / 2.0, 1, x + w / 2.0, y + h / 2.0, w / 2.0)
        g.add_color_stop_rgba(0, *rgb(ink, 0.22))
        g.add_color_stop_rgba(1, *rgb(ink, 0.0))
        c.set_source(g)
        c.rectangle(x, y, w, h)
        c.fill()
    elif state == 'on':
        col = (196, 208, 215)
    else:
        col = (112, 122, 129)
    text(c, value, SEL_W / 2.0 + 0.5, y + 8, fs, True, col)


def selector_highlight(c, region, w=SEL_W, h=SEL_H):
    """The hover highlight of one region of a selector: 'up', 'mid' or 'down'."""
    x, y, ww, hh = SEL_WINDOW
    if region == 'mid':
        rrect(c, x, y, ww, hh, 2)
        source(c, READOUT, 0.13)
        c.fill()
        rrect(c, x + 0.5, y + 0.5, ww - 1, hh - 1, 1.5)
        source(c, READOUT, 0.35)
        c.set_line_width(1)
        c.stroke()
        return
    cy = SEL_UP_Y if region == 'up' else SEL_DOWN_Y
    g = cairo.RadialGradient(w / 2.0, cy, 0, w / 2.0, cy, 12)
    g.add_color_stop_rgba(0, *rgb(READOUT, 0.22))
    g.add_color_stop_rgba(1, *rgb(READOUT, 0.0))
    c.save()
    rrect(c, 1, 0.5, w - 2, h - 2.5, 3)
    c.clip()
    c.set_source(g)
    c.paint()
    c.restore()
    arrow(c, w / 2.0, cy, region == 'up')
    source(c, (255, 255, 255), 0.9)
    c.fill()


def selector_strip(frames, highlight_rows, fs=6):
    """frames: (value text, state, ink) per frame; highlight_rows: (region, first control row,
    row count) in strip order, placed below the frames."""
    n = len(frames)
    total = n * SEL_H + sum(cnt for _, _, cnt in highlight_rows)
    s = surface(SEL_W, total)
    c = context(s)
    for i, (value, state, ink) in enumerate(frames):
        c.save()
        c.translate(0, i * SEL_H)
        c.rectangle(0, 0, SEL_W, SEL_H)
        c.clip()
        selector_frame(c, value, state, ink, fs)
        c.restore()
    y = n * SEL_H
    for region, first, count in highlight_rows:
        c.save()
        c.rectangle(0, y, SEL_W, count)
        c.clip()
        c.translate(0, y - first)
        selector_highlight(c, region)
        c.restore()
        y += count
    return s


def bits_image():
    values = ['8', '12', '16', '20', '24']
    frames = [(v, 'dim', ICE) for v in values] + [(v, 'lit', ICE) for v in values]
    return selector_strip(frames, [('up', 0, 11), ('mid', 11, 10), ('down', 21, 10)], fs=7)


def noise_shape_image():
    values = ['OFF'] + ['TYPE ' + t for t in 'ABCDEF']
    frames = [(v, 'dim', ICE) for v in values] + [(v, 'lit', ICE) for v in values[1:]]
    return selector_strip(frames, [('up', 0, 11), ('mid', 11, 10), ('down', 21, 10)])


def calibrate_image():
    # unlit: off, left, right, l+r uncor; lit (blinking with them while a calibration runs)
    names = ['LEFT', 'RIGHT', 'L+R UNC']
    frames = [('OFF', 'dim', OVER)] + [(v, 'on', OVER) for v in names] + [(v, 'lit', OVER) for v in names]
    return selector_strip(frames, [('up', 0, 11), ('mid', 11, 9), ('down', 20, 11)])


# 141: the meter mode button, 35 x 62 frames: a PEAK key (rows 0..18) and a K-scale selector
# (rows 29..61: up arrow, scale display, down arrow).
MODE_W, MODE_H = 35, 62
MODE_WINDOW = (4, 40, 27, 10)
MODE_UP_Y, MODE_DOWN_Y = 34.5, 56


def mode_frame(c, scale, kmode, lit):
    # PEAK key
    if lit:
        key_body(c, 1, 0.5, MODE_W - 2, 17.5, face=(LIT_TOP, LIT_BOTTOM))
        led_bar(c, MODE_W / 2.0, 3.5, 13, (255, 255, 255), True)
        text(c, 'PEAK', MODE_W / 2.0, 14, 6, True, INK_ON_LIT)
    else:
        key_body(c, 1, 0.5, MODE_W - 2, 17.5)
        led_bar(c, MODE_W / 2.0, 3.5, 13, ICE, not kmode)
        text(c, 'PEAK', MODE_W / 2.0, 14, 6, True, KEY_TEXT_OFF if kmode else KEY_TEXT_ON)
    # K selector
    face = (LIT_TOP, LIT_BOTTOM) if lit else None
    key_body(c, 1, 29, MODE_W - 2, 31.5, face=face)
    x, y, w, h = MODE_WINDOW
    for up, cy in ((True, MODE_UP_Y), (False, MODE_DOWN_Y)):
        arrow(c, MODE_W / 2.0, cy, up)
        source(c, INK_ON_LIT if lit else (176, 190, 199))
        c.fill()
    if lit:
        inset(c, x, y, w, h, 2, vgrad(y, y + h, (170, 200, 216), (190, 216, 230)), depth=0.5)
        text(c, scale, MODE_W / 2.0 + 0.5, y + 8, 7, True, INK_ON_LIT)
        return
    inset(c, x, y, w, h, 2, vgrad(y, y + h, (14, 16, 18), (21, 23, 26)), depth=0.7)
    if kmode:
        g = cairo.RadialGradient(x + w / 2.0, y + h / 2.0, 1, x + w / 2.0, y + h / 2.0, w / 2.0)
        g.add_color_stop_rgba(0, *rgb(ICE, 0.22))
        g.add_color_stop_rgba(1, *rgb(ICE, 0.0))
        c.set_source(g)
        c.rectangle(x, y, w, h)
        c.fill()
    text(c, scale, MODE_W / 2.0 + 0.5, y + 8, 7, True, ICE if kmode else (112, 122, 129))


def mode_highlight(c, region):
    if region == 'peak':
        c.save()
        rrect(c, 1, 0.5, MODE_W - 2, 17.5, 3)
        c.clip()
        g = cairo.RadialGradient(MODE_W / 2.0, 0, 2, MODE_W / 2.0, 6, 24)
        g.add_color_stop_rgba(0, *rgb(READOUT, 0.20))
        g.add_color_stop_rgba(1, *rgb(READOUT, 0.04))
        c.set_source(g)
        c.paint()
        c.restore()
        rrect(c, 1.5, 1, MODE_W - 3, 16.5, 2.5)
        source(c, READOUT, 0.30)
        c.set_line_width(1)
        c.stroke()
        return
    if region == 'mid':
        x, y, w, h = MODE_WINDOW
        rrect(c, x, y, w, h, 2)
        source(c, READOUT, 0.13)
        c.fill()
        rrect(c, x + 0.5, y + 0.5, w - 1, h - 1, 1.5)
        source(c, READOUT, 0.35)
        c.set_line_width(1)
        c.stroke()
        return
    cy = MODE_UP_Y if region == 'up' else MODE_DOWN_Y
    c.save()
    rrect(c, 1, 29, MODE_W - 2, 31.5, 3)
    c.clip()
    g = cairo.RadialGradient(MODE_W / 2.0, cy, 0, MODE_W / 2.0, cy, 12)
    g.add_color_stop_rgba(0, *rgb(READOUT, 0.22))
    g.add_color_stop_rgba(1, *rgb(READOUT, 0.0))
    c.set_source(g)
    c.paint()
    c.restore()
    arrow(c, MODE_W / 2.0, cy, region == 'up')
    source(c, (255, 255, 255), 0.9)
    c.fill()


def mode_image():
    scales = ['K-12', 'K-14', 'K-20']
    frames = [(sc, False, False) for sc in scales] + [(sc, True, False) for sc in scales] + [('K-12', False, True)]
    rows = [('peak', 0, 20), ('up', 20, 20), ('mid', 40, 10), ('down', 50, 12)]
    s = surface(MODE_W, 7 * MODE_H + sum(count for _, _, count in rows))
    c = context(s)
    for i, (sc, kmode, lit) in enumerate(frames):
        c.save()
        c.translate(0, i * MODE_H)
        c.rectangle(0, 0, MODE_W, MODE_H)
        c.clip()
        mode_frame(c, sc, kmode, lit)
        c.restore()
    y = 7 * MODE_H
    for region, first, count in rows:
        c.save()
        c.rectangle(0, y, MODE_W, count)
        c.clip()
        c.translate(0, y - first)
        mode_highlight(c, region)
        c.restore()
        y += count
    return s


# 146: TransShape, three keys (hit boxes x 39..56, 72..89, 105..122 and y 123..140 in the window).
def trans_shape_image(bg):
    w, h = size(R_TRANSSHAPE)
    s = strip(w, h, 3, crop(bg, R_TRANSSHAPE[0], R_TRANSSHAPE[1], w, h))
    c = context(s)
    keys = [(39, 'A'), (72, 'B'), (105, 'C')]
    for i in range(3):
        c.save()
        c.translate(0, i * h)
        # a groove joining the keys
        fill_rrect(c, 8, 10, 70, 3, 1.5, (20, 22, 24))
        hline(c, 9, 77, 13, (255, 255, 255), 0.06)
        for j, (x, letter) in enumerate(keys):
            kx = x - R_TRANSSHAPE[0]
            key_body(c, kx, 2, 17, 16, r=2.5)
            on = i == j
            led_bar(c, kx + 8.5, 4.5, 9, ICE, on)
            text(c, letter, kx + 8.5, 15, 7, True, KEY_TEXT_ON if on else KEY_TEXT_OFF)
        c.restore()
    return s


# 149: Power, a round key with the power symbol.
def power_image(bg):
    w, h = size(R_POWER)
    s = strip(w, h, 2, crop(bg, R_POWER[0], R_POWER[1], w, h))
    c = context(s)
    cx, cy, r = w / 2.0, h / 2.0 - 0.5, 14.5
    for i in range(2):
        on = i == 1
        c.save()
        c.translate(0, i * h)
        c.arc(cx, cy + 1, r + 0.5, 0, 2 * math.pi)
        source(c, (0, 0, 0), 0.45)
        c.fill()
        c.arc(cx, cy, r, 0, 2 * math.pi)
        c.set_source(vgrad(cy - r, cy + r, (84, 90, 96), (40, 43, 47)))
        c.fill()
        c.arc(cx, cy, r - 2.5, 0, 2 * math.pi)
        c.set_source(vgrad(cy - r, cy + r, (50, 54, 59), (70, 75, 81)))
        c.fill()
        c.arc(cx, cy, r + 0.5, 0, 2 * math.pi)
        source(c, (0, 0, 0), 0.6)
        c.set_line_width(1)
        c.stroke()
        col = ICE if on else KEY_TEXT_OFF
        if on:
            g = cairo.RadialGradient(cx, cy, 2, cx, cy, r - 2)
            g.add_color_stop_rgba(0, *rgb(ICE, 0.30))
            g.add_color_stop_rgba(1, *rgb(ICE, 0.0))
            c.set_source(g)
            c.arc(cx, cy, r - 2.5, 0, 2 * math.pi)
            c.fill()
            c.arc(cx, cy, r - 1.2, 0, 2 * math.pi)
            source(c, ICE, 0.55)
            c.set_line_width(1.2)
            c.stroke()
        c.set_line_width(1.8)
        c.set_line_cap(cairo.LINE_CAP_ROUND)
        c.arc(cx, cy + 0.5, 6, math.radians(-90 + 38), math.radians(270 - 38))
        source(c, col)
        c.stroke()
        c.move_to(cx, cy - 7)
        c.line_to(cx, cy)
        c.stroke()
        c.restore()
    return s


# 161: AutoOut and PostMeter, small keys with an indicator (off, on, lit), transparent.
def small_switch_image():
    w, h = 18, 24
    s = surface(w, 3 * h)
    c = context(s)
    for i, state in enumerate(('off', 'on', 'lit')):
        c.save()
        c.translate(0, i * h)
        lit = state == 'lit'
        key_body(c, 1, 1, w - 2, h - 3, r=3, face=(LIT_TOP, LIT_BOTTOM) if lit else None)
        cx, cy = w / 2.0, h / 2.0 - 0.5
        if state == 'off':
            c.arc(cx, cy, 2.5, 0, 2 * math.pi)
            source(c, (26, 28, 31))
            c.fill()
        else:
            col = (255, 255, 255) if lit else ICE
            g = cairo.RadialGradient(cx, cy, 0.5, cx, cy, 7)
            g.add_color_stop_rgba(0, *rgb(col, 0.55))
            g.add_color_stop_rgba(1, *rgb(col, 0.0))
            c.set_source(g)
            c.arc(cx, cy, 7, 0, 2 * math.pi)
            c.fill()
            c.arc(cx, cy, 2.5, 0, 2 * math.pi)
            source(c, shade(col, 1.3) if not lit else ICE_DEEP)
            c.fill()
        c.restore()
    return s


# ---------------------------------------------------------------------------------------------
# Knobs: 101 frames from -135 degrees (value 0) to +135 degrees (value 1), a pointer, a scale of
# eleven marks and an arc showing the value from its anchor (minimum, maximum or centre).

def knob_frame(c, w, h, v, anchor, on_plate):
    cx, cy = w / 2.0, h / 2.0
    R = min(w, h) / 2.0
    tick_out, tick_in = R - 0.8, R - 3.0
    arc_r, arc_w = R - 5.2, 2.4
    body_r = R - 8.5
    tick_col = (88, 100, 110) if on_plate else (118, 130, 139)
    track_col = (156, 173, 185) if on_plate else (24, 26, 29)
    arc_col = (48, 140, 205) if on_plate else ICE

    def ang(t):  # value 0..1 to the cairo angle (0 = +x, clockwise)
        return math.radians(-135 + 270 * t - 90)

    c.set_line_cap(cairo.LINE_CAP_BUTT)
    for i in range(11):
        a = ang(i / 10.0)
        c.move_to(cx + tick_in * math.cos(a), cy + tick_in * math.sin(a))
        c.line_to(cx + tick_out * math.cos(a), cy + tick_out * math.sin(a))
    source(c, tick_col)
    c.set_line_width(1.0)
    c.stroke()
    # arc track and value arc
    c.set_line_width(arc_w)
    c.arc(cx, cy, arc_r, ang(0), ang(1))
    source(c, track_col)
    c.stroke()
    start = {'min': 0.0, 'max': 1.0, 'mid': 0.5}[anchor]
    lo, hi = min(start, v), max(start, v)
    if hi - lo > 1e-6:
        c.arc(cx, cy, arc_r, ang(lo), ang(hi))
        source(c, arc_col)
        c.stroke()
    # body: shadow, skirt, face
    for rad, alpha, dy in ((body_r + 2.2, 0.18, 1.5), (body_r + 0.9, 0.5, 1.0)):
        c.arc(cx, cy + dy, rad, 0, 2 * math.pi)
        source(c, (0, 0, 0), alpha)
        c.fill()
    c.arc(cx, cy, body_r, 0, 2 * math.pi)
    c.set_source(vgrad(cy - body_r, cy + body_r, (104, 110, 117), (28, 30, 33)))
    c.fill()
    face_r = body_r - 1.6
    g = cairo.RadialGradient(cx - face_r * 0.35, cy - face_r * 0.55, 1, cx, cy, face_r * 1.25)
    g.add_color_stop_rgba(0, *rgb((84, 89, 95)))
    g.add_color_stop_rgba(1, *rgb((42, 45, 49)))
    c.arc(cx, cy, face_r, 0, 2 * math.pi)
    c.set_source(g)
    c.fill()
    # pointer
    a = ang(v)
    r0, r1 = face_r * 0.30, face_r - 1.2
    c.set_line_cap(cairo.LINE_CAP_ROUND)
    c.move_to(cx + r0 * math.cos(a), cy + 0.8 + r0 * math.sin(a))
    c.line_to(cx + r1 * math.cos(a), cy + 0.8 + r1 * math.sin(a))
    source(c, (0, 0, 0), 0.45)
    c.set_line_width(2.2)
    c.stroke()
    c.move_to(cx + r0 * math.cos(a), cy + r0 * math.sin(a))
    c.line_to(cx + r1 * math.cos(a), cy + r1 * math.sin(a))
    source(c, (232, 243, 249))
    c.set_line_width(1.9)
    c.stroke()


def knob_image(bg, r, anchor, on_plate):
    w, h = size(r)
    s = strip(w, h, 101, crop(bg, r[0], r[1], w, h))
    c = context(s)
    for i in range(101):
        c.save()
        c.translate(0, i * h)
        c.rectangle(0, 0, w, h)
        c.clip()
        knob_frame(c, w, h, i / 100.0, anchor, on_plate)
        c.restore()
    return s


# ---------------------------------------------------------------------------------------------
# Level meters. Bars are 15 px wide; lit rows come in segments of two with one dim row between
# them. Gap rows are source rows divisible by 3: every source offset the meters use (6 for peak,
# 30, 18 and -18 for the K scales) is a multiple of 3, so the pattern and the scale ticks (which
# sit on window rows 114 - 6 v) line up in every mode.

BAR_W = 15


def _column_profile(x):
    return 0.80 + 0.20 * math.sin(math.pi * (x + 0.5) / BAR_W)


def peak_zone(y):
    """Colour of source row y of a peak bar: row y stands for (408 - y) / 6 - 48 dBFS."""
    v = (408 - y - 0.5) / 6.0 - 48
    if v > 0:
        return OVER
    if v > -2:
        return (246, 160, 36)
    if v > -6:
        return (232, 208, 64)
    t = max(0.0, min(1.0, (v + 48) / 42.0))
    return mix((38, 150, 168), (108, 214, 150), t)


def k_zone(y):
    """Colour of source row y of a K bar: the K reference (0 dB) at row 144."""
    if y < 120:
        return OVER
    if y < 144:
        return (236, 206, 52)
    t = max(0.0, min(1.0, (432 - y) / 288.0))
    return mix((46, 150, 86), (98, 210, 110), t)


def bar_image(zone, lit, height=432):
    s = surface(BAR_W, height)
    c = cairo.Context(s)
    for y in range(height):
        col = zone(y)
        gap = y % 3 == 0
        for x in range(BAR_W):
            p = _column_profile(x)
            if lit:
                f = (0.42 if gap else 1.0) * p
                px = tuple(min(255.0, v * f) for v in col)
            else:
                base = (15, 17, 19) if gap else mix((24, 27, 30), col, 0.16)
                px = tuple(v * (0.85 + 0.15 * p) for v in base)
            c.rectangle(x, y, 1, 1)
            c.set_source_rgb(*rgb(px)[:3])
            c.fill()
    return s


def legend_image(bg, side, scale):
    """A 27 x 367 legend between the two bars of a meter (legend row = window row - 38).
    scale: 'peak' (dBFS, shared with K-12), 'k14' or 'k20'."""
    x0 = LEGEND_X[side]
    s = crop(bg, x0, LEGEND_Y, LEGEND_W, LEGEND_H)
    c = context(s)
    zero = {'peak': 114, 'k14': 126, 'k20': 162}[scale]
    lo, hi = {'peak': (-48, 12), 'k14': (-46, 14), 'k20': (-40, 20)}[scale]
    left, right = 1, 26            # outermost legend columns of the ticks
    mid = (left + right + 1) / 2.0
    for v in range(lo, hi + 1):
        row = zero - 6 * v - LEGEND_Y
        labelled = v % 6 == 0
        if labelled:
            n, col = 4, (150, 163, 172)
        elif v % 3 == 0:
            n, col = 3, (104, 115, 123)
        else:
            n, col = 2, (70, 78, 85)
        if v == 0:
            col = ICE
        hline(c, left, left + n, row, col)
        hline(c, right + 1 - n, right + 1, row, col)
        if labelled:
            label = '0' if v == 0 else '%+d' % v
            baseline = min(row + 3, LEGEND_H - 1)
            text(c, label, mid, baseline, 7, True, READOUT if v == 0 else (166, 180, 189))
    return s


# Gain reduction: bars grow down from window row 42 (row 3 of the scale image); a reduction of
# d dB lights 1 + round(6 d) rows (12 per dB zoomed), at most 145. Ticks sit on the first row
# below a bar of that length: window row 43 + 6 d.
GR_BAR_X = ((1, 16), (42, 57))   # image columns of the two bars
GR_FIRST_ROW = 3


def gr_zone(i):
    t = min(1.0, i / 145.0)
    return mix((168, 222, 246), (64, 140, 214), t)


def gr_bar_image():
    s = surface(BAR_W, 203)
    c = cairo.Context(s)
    for y in range(203):
        col = gr_zone(y)
        gap = y % 3 == 1
        for x in range(BAR_W):
            f = (0.42 if gap else 1.0) * _column_profile(x)
            c.rectangle(x, y, 1, 1)
            c.set_source_rgb(*rgb(tuple(v * f for v in col))[:3])
            c.fill()
    return s


def gr_scale_image(bg):
    w, h = size(R_GR)
    s = surface(w, 2 * h)
    c = context(s)
    under = crop(bg, R_GR[0], R_GR[1], w, h)
    for half, per_db, step, top in ((0, 6, 3, 24), (1, 12, 1, 12)):
        c.save()
        c.translate(0, half * h)
        c.set_source_surface(under, 0, 0)
        c.paint()
        # unlit bars
        for x0, x1 in GR_BAR_X:
            for i in range(145):
                y = GR_FIRST_ROW + i
                gap = i % 3 == 1
                for x in range(x0, x1):
                    p = _column_profile(x - x0)
                    base = (15, 17, 19) if gap else mix((24, 27, 30), gr_zone(i), 0.16)
                    c.rectangle(x, y, 1, 1)
                    c.set_source_rgb(*rgb(tuple(v * (0.85 + 0.15 * p) for v in base))[:3])
                    c.fill()
        left, right = 16, 41
        mid = (left + right + 1) / 2.0
        sub = 2 if per_db == 12 else 1
        for k in range(0, top * sub + 1):
            d = k / float(sub)
            row = GR_FIRST_ROW + 1 + int(per_db * d + 0.5)
            labelled = (k % (step * sub)) == 0 and (per_db == 6 or k % 2 == 0)
            if labelled:
                n, col = 4, (150, 163, 172)
            elif d == int(d):
                n, col = 3, (104, 115, 123)
            else:
                n, col = 2, (70, 78, 85)
            hline(c, left, left + n, row, col)
            hline(c, right + 1 - n, right + 1, row, col)
            if labelled:
                text(c, '%d' % d, mid, min(row + 3, h - 1), 7, True, (166, 180, 189))
        c.restore()
    return s


# ---------------------------------------------------------------------------------------------
# 137, 138: bitmap fonts, 192 cells of 5 x 8 (two sets of ASCII 32..127), baseline on row 6.
# Glyphs are rows of five bits, the high bit on the left.

GLYPHS = {
    ' ': '00 00 00 00 00 00 00 00', '!': '04 04 04 04 04 00 04 00', '"': '0A 0A 00 00 00 00 00 00',
    '#': '0A 0A 1F 0A 1F 0A 0A 00', '$': '04 0F 14 0E 05 1E 04 00', '%': '18 19 02 04 08 13 03 00',
    '&': '0C 12 14 08 15 12 0D 00', "'": '04 04 08 00 00 00 00 00', '(': '02 04 08 08 08 04 02 00',
    ')': '08 04 02 02 02 04 08 00', '*': '00 04 15 0E 15 04 00 00', '+': '00 04 04 1F 04 04 00 00',
    ',': '00 00 00 00 00 0C 04 08', '-': '00 00 00 1F 00 00 00 00', '.': '00 00 00 00 00 0C 0C 00',
    '/': '01 01 02 04 08 10 10 00', '0': '0E 11 13 15 19 11 0E 00', '1': '04 0C 04 04 04 04 0E 00',
    '2': '0E 11 01 02 04 08 1F 00', '3': '1F 02 04 02 01 11 0E 00', '4': '02 06 0A 12 1F 02 02 00',
    '5': '1F 10 1E 01 01 11 0E 00', '6': '06 08 10 1E 11 11 0E 00', '7': '1F 01 02 04 08 08 08 00',
    '8': '0E 11 11 0E 11 11 0E 00', '9': '0E 11 11 0F 01 02 0C 00', ':': '00 0C 0C 00 0C 0C 00 00',
    ';': '00 0C 0C 00 0C 04 08 00', '<': '02 04 08 10 08 04 02 00', '=': '00 00 1F 00 1F 00 00 00',
    '>': '08 04 02 01 02 04 08 00', '?': '0E 11 01 02 04 00 04 00', '@': '0E 11 01 0D 15 15 0E 00',
    'A': '0E 11 11 11 1F 11 11 00', 'B': '1E 11 11 1E 11 11 1E 00', 'C': '0E 11 10 10 10 11 0E 00',
    'D': '1C 12 11 11 11 12 1C 00', 'E': '1F 10 10 1E 10 10 1F 00', 'F': '1F 10 10 1E 10 10 10 00',
    'G': '0E 11 10 17 11 11 0F 00', 'H': '11 11 11 1F 11 11 11 00', 'I': '0E 04 04 04 04 04 0E 00',
    'J': '07 02 02 02 02 12 0C 00', 'K': '11 12 14 18 14 12 11 00', 'L': '10 10 10 10 10 10 1F 00',
    'M': '11 1B 15 15 11 11 11 00', 'N': '11 11 19 15 13 11 11 00', 'O': '0E 11 11 11 11 11 0E 00',
    'P': '1E 11 11 1E 10 10 10 00', 'Q': '0E 11 11 11 15 12 0D 00', 'R': '1E 11 11 1E 14 12 11 00',
    'S': '0F 10 10 0E 01 01 1E 00', 'T': '1F 04 04 04 04 04 04 00', 'U': '11 11 11 11 11 11 0E 00',
    'V': '11 11 11 11 11 0A 04 00', 'W': '11 11 11 15 15 15 0A 00', 'X': '11 11 0A 04 0A 11 11 00',
    'Y': '11 11 11 0A 04 04 04 00', 'Z': '1F 01 02 04 08 10 1F 00', '[': '0E 08 08 08 08 08 0E 00',
    '\\': '10 10 08 04 02 01 01 00', ']': '0E 02 02 02 02 02 0E 00', '^': '04 0A 11 00 00 00 00 00',
    '_': '00 00 00 00 00 00 00 1F', '`': '08 04 02 00 00 00 00 00', 'a': '00 00 0E 01 0F 11 0F 00',
    'b': '10 10 16 19 11 11 1E 00', 'c': '00 00 0E 10 10 11 0E 00', 'd': '01 01 0D 13 11 11 0F 00',
    'e': '00 00 0E 11 1F 10 0E 00', 'f': '06 09 08 1C 08 08 08 00', 'g': '00 00 0F 11 11 0F 01 0E',
    'h': '10 10 16 19 11 11 11 00', 'i': '04 00 0C 04 04 04 0E 00', 'j': '02 00 06 02 02 02 12 0C',
    'k': '10 10 12 14 18 14 12 00', 'l': '0C 04 04 04 04 04 0E 00', 'm': '00 00 1A 15 15 11 11 00',
    'n': '00 00 16 19 11 11 11 00', 'o': '00 00 0E 11 11 11 0E 00', 'p': '00 00 1E 11 11 1E 10 10',
    'q': '00 00 0F 11 11 0F 01 01', 'r': '00 00 16 19 10 10 10 00', 's': '00 00 0E 10 0E 01 1E 00',
    't': '08 08 1C 08 08 09 06 00', 'u': '00 00 11 11 11 13 0D 00', 'v': '00 00 11 11 11 0A 04 00',
    'w': '00 00 11 11 15 15 0A 00', 'x': '00 00 11 0A 04 0A 11 00', 'y': '00 00 11 11 11 0F 01 0E',
    'z': '00 00 1F 02 04 08 1F 00', '{': '02 04 04 08 04 04 02 00', '|': '04 04 04 04 04 04 04 00',
    '}': '08 04 04 02 04 04 08 00', '~': '00 00 08 15 02 00 00 00',
}


def font_image(second_ink, second_paper):
    s = surface(5, 1536)
    c = cairo.Context(s)
    sets = ((READOUT_INK, READOUT), (second_ink, second_paper))
    for half, (ink, paper) in enumerate(sets):
        for code in range(32, 128):
            top = (half * 96 + code - 32) * 8
            c.rectangle(0, top, 5, 8)
            source(c, paper)
            c.fill()
            rows = [int(b, 16) for b in GLYPHS.get(chr(code), GLYPHS[' ']).split()]
            for y, bits in enumerate(rows):
                for x in range(5):
                    if bits & (0x10 >> x):
                        c.rectangle(x, top + y, 1, 1)
            source(c, ink)
            c.fill()
    return s


# ---------------------------------------------------------------------------------------------
# Preset bar buttons (frames: normal, hover, pressed); they sit on the flat bar, so one image
# serves every place it is used.

ICON = (150, 165, 175)


def _tray_arrow(up):
    def draw(c, w, h, col):
        cx = w / 2.0
        source(c, col)
        c.set_line_width(1)
        # tray
        c.move_to(cx - 5.5, h - 6.5)
        c.line_to(cx - 5.5, h - 3.5)
        c.line_to(cx + 5.5, h - 3.5)
        c.line_to(cx + 5.5, h - 6.5)
        c.stroke()
        # arrow
        if up:
            c.move_to(cx, 2.5)
            c.line_to(cx - 3.5, 6)
            c.line_to(cx + 3.5, 6)
            c.close_path()
            c.fill()
            c.rectangle(cx - 0.5, 5.5, 1, 4.5)
        else:
            c.rectangle(cx - 0.5, 2, 1, 4.5)
            c.fill()
            c.move_to(cx, 10)
            c.line_to(cx - 3.5, 6.5)
            c.line_to(cx + 3.5, 6.5)
            c.close_path()
        c.fill()
    return draw


def _label(s):
    def draw(c, w, h, col):
        text(c, s, w / 2.0, 9, 6, True, col)
    return draw


def _question(c, w, h, col):
    c.arc(w / 2.0, h / 2.0, 4.2, 0, 2 * math.pi)
    source(c, col)
    c.set_line_width(1)
    c.stroke()
    text(c, '?', w / 2.0 + 0.5, 7, 6, True, col)


def bar_button_image(bg, r, draw_icon, alpha_pressed=0.22, alpha_hover=0.08):
    w, h = size(r)
    under = crop(bg, r[0], r[1], w, h)
    s = strip(w, h, 3, under)
    c = context(s)
    for i, state in enumerate(('normal', 'hover', 'pressed')):
        c.save()
        c.translate(0, i * h)
        c.rectangle(0, 0, w, h)
        c.clip()
        if state != 'normal':
            fill_rrect(c, 0.5, 0.5, w - 1, h - 1, 2.5,
                       rgb_pattern((255, 255, 255), alpha_hover) if state == 'hover'
                       else rgb_pattern(ICE, alpha_pressed))
        draw_icon(c, w, h, {'normal': ICON, 'hover': READOUT, 'pressed': ICE}[state])
        c.restore()
    return s


def rgb_pattern(col, a):
    return cairo.SolidPattern(*rgb(col, a))


def rocker_image(bg):
    w, h = size(R_ROCKER)
    under = crop(bg, R_ROCKER[0], R_ROCKER[1], w, h)
    s = strip(w, h, 5, under)
    c = context(s)
    # normal, hover left, hover right, pressed left, pressed right
    for i, (side, state) in enumerate(((0, 'normal'), (-1, 'hover'), (1, 'hover'), (-1, 'pressed'),
                                       (1, 'pressed'))):
        c.save()
        c.translate(0, i * h)
        c.rectangle(0, 0, w, h)
        c.clip()
        key_body(c, 0.5, 0.5, w - 1, h - 2, r=2.5)
        half = w / 2.0
        if state != 'normal':
            c.save()
            rrect(c, 0.5, 0.5, w - 1, h - 2, 2.5)
            c.clip()
            c.rectangle(0 if side < 0 else half, 0, half, h)
            source(c, (255, 255, 255) if state == 'hover' else ICE, 0.10 if state == 'hover' else 0.28)
            c.fill()
            c.restore()
        c.rectangle(half - 0.5, 2, 1, h - 5)
        source(c, (0, 0, 0), 0.5)
        c.fill()
        for sgn in (-1, 1):
            col = ICON
            if side == sgn:
                col = READOUT if state == 'hover' else ICE
            ax = half + sgn * 7.5
            c.move_to(ax - sgn * 2, h / 2.0 - 3.5 - 0.5)
            c.line_to(ax - sgn * 2, h / 2.0 + 3.5 - 0.5)
            c.line_to(ax + sgn * 2.5, h / 2.0 - 0.5)
            c.close_path()
            source(c, col)
            c.fill()
        c.restore()
    return s


# ---------------------------------------------------------------------------------------------
# All images by id: (surface, has transparency).

def build_images():
    bg = draw_background()
    img = {128: (bg, False)}
    img[129] = (bar_image(k_zone, False), False)
    img[154] = (bar_image(k_zone, True), False)
    img[155] = (bar_image(peak_zone, False), False)
    img[130] = (bar_image(peak_zone, True), False)
    for ident, side, scale in ((131, 'in', 'k20'), (132, 'in', 'k14'), (133, 'in', 'peak'),
                               (134, 'out', 'k20'), (135, 'out', 'k14'), (136, 'out', 'peak')):
        img[ident] = (legend_image(bg, side, scale), False)
    img[137] = (font_image(READOUT, READOUT_INK), False)
    img[138] = (font_image(READOUT, OVER), False)
    img[139] = (backlit_strip(bg, R_DETECTOR, ['I', 'II'], ('off', 'on')), False)
    img[140] = (backlit_strip(bg, R_OVERSAMPLE, ['OFF', 'ON'], ('off', 'on')), False)
    img[162] = (backlit_strip(bg, R_QUANTIZE, ['OFF', 'ON'], ('off', 'on')), False)
    img[163] = (backlit_strip(bg, R_AUTOBLACK, ['OFF', 'ON', 'ON'], ('off', 'on', 'armed')), False)
    img[144] = (backlit_strip(bg, R_ATTZOOM, 'ZOOM', ('off', 'on', 'lit')), False)
    img[160] = (backlit_strip(bg, R_METEROVS, 'RECON', ('off', 'on', 'lit')), False)
    img[164] = (backlit_strip(bg, R_ATT1, '1', ('off', 'on', 'lit')), False)
    img[165] = (backlit_strip(bg, R_ATT2, '2', ('off', 'on', 'lit')), False)
    img[166] = (backlit_strip(bg, R_ATTL, 'L', ('off', 'on', 'lit')), False)
    img[141] = (mode_image(), True)
    img[142] = (bits_image(), True)
    img[143] = (noise_shape_image(), True)
    img[145] = (calibrate_image(), True)
    img[146] = (trans_shape_image(bg), False)
    img[147] = (knob_image(bg, R_LEVELLER, 'max', True), False)
    img[148] = (knob_image(bg, R_LINK, 'min', True), False)
    img[150] = (knob_image(bg, R_DRIVE, 'mid', False), False)
    img[151] = (knob_image(bg, R_OUTPUT, 'min', False), False)
    img[152] = (knob_image(bg, R_TRANSIENT, 'min', True), False)
    img[153] = (knob_image(bg, R_RELEASE, 'min', True), False)
    img[149] = (power_image(bg), False)
    img[161] = (small_switch_image(), True)
    img[156] = (gr_bar_image(), False)
    img[167] = (gr_scale_image(bg), False)
    img[170] = (backlight_overlay(), True)
    img[989] = (bar_button_image(bg, R_MANUAL, _question), False)
    img[990] = (bar_button_image(bg, R_LOAD_BANK, _tray_arrow(True)), False)
    img[991] = (bar_button_image(bg, R_SAVE_BANK, _tray_arrow(False)), False)
    img[992] = (bar_button_image(bg, R_DEF_BANK, _label('DEFAULT')), False)
    img[993] = (bar_button_image(bg, R_DEF_PRESET, _label('DEFAULT')), False)
    img[995] = (rocker_image(bg), False)
    return img


# ---------------------------------------------------------------------------------------------
# Preview: the window as the editor draws it, every control in its first frame (knobs at their
# factory defaults) and the meters showing a signal.

def _blit(c, surf, x, y, sx, sy, w, h):
    c.save()
    c.rectangle(x, y, w, h)
    c.clip()
    c.set_source_surface(surf, x - sx, y - sy)
    c.paint()
    c.restore()


def preview(img):
    out = surface(WIDTH, HEIGHT)
    c = cairo.Context(out)
    c.set_source_surface(img[128][0], 0, 0)
    c.paint()

    def frame(ident, r, index, frame_h=None):
        w, h = size(r)
        _blit(c, img[ident][0], r[0], r[1], 0, index * (frame_h or h), w, h)

    for ident, r, index in ((139, R_DETECTOR, 1), (140, R_OVERSAMPLE, 0), (162, R_QUANTIZE, 1),
                            (163, R_AUTOBLACK, 1), (142, R_BITS, 7), (143, R_NOISESHAPE, 9),
                            (145, R_CALIBRATE, 0), (144, R_ATTZOOM, 0), (164, R_ATT1, 1), (165, R_ATT2, 1),
                            (166, R_ATTL, 1), (160, R_METEROVS, 0), (146, R_TRANSSHAPE, 0), (149, R_POWER, 1),
                            (161, R_AUTOOUT, 0), (161, R_POSTMETER, 1), (141, R_MODE, 0)):
        frame(ident, r, index)
    for ident, r, v in ((152, R_TRANSIENT, 0.2), (153, R_RELEASE, 0.7237), (147, R_LEVELLER, 0.75),
                        (148, R_LINK, 1.0), (150, R_DRIVE, 0.62), (151, R_OUTPUT, 0.98)):
        frame(ident, r, int(100 * v))
    # meters in peak mode: legends, then bars at a few levels
    for ident, side in ((133, 'in'), (136, 'out')):
        _blit(c, img[ident][0], LEGEND_X[side], LEGEND_Y, 0, 0, LEGEND_W, LEGEND_H)
    for side, levels in (('in', (-4.0, 1.5)), ('out', (-0.4, -0.6))):
        for (x0, x1), v in zip(METER_BARS[side], levels):
            hpx = max(0, min(360, int((v + 48) * 6 + 0.5)))
            _blit(c, img[130][0], x0, 402 - hpx, 0, 408 - hpx, BAR_W, hpx)
            _blit(c, img[155][0], x0, 42, 0, 48, BAR_W, 360 - hpx)
    _blit(c, img[167][0], R_GR[0], R_GR[1], 0, 0, *size(R_GR))
    for (x0, _), d in zip(GR_BAR_X, (7.2, 5.1)):
        length = min(145, 1 + int(6 * d + 0.5))
        _blit(c, img[156][0], R_GR[0] + x0, 42, 0, 0, BAR_W, length)
    # readouts with the bitmap font
    font = img[137][0]
    bright = img[138][0]

    def printer(s, x, baseline, second=False, f=font):
        for ch in s:
            cell = ((ord(ch) & 0x7F) - 32) + (96 if second else 0)
            _blit(c, f, x, baseline - 7, 0, cell * 8, 5, 8)
            x += 6

    def box(s, left, bottom, over=False):
        c.rectangle(left - 1, bottom - 10, 32, 10)
        source(c, OVER if over else READOUT_INK)
        c.fill()
        printer(s, left + 15 - 3 * len(s), bottom - 2, True, bright if over else font)

    for r, (a, b) in ((R_LCD_IN, ('-2.8', '+0.4')), (R_LCD_OUT, ('-0.3', '-0.3'))):
        box(a, r[0] + 2, r[3], a.startswith('+'))
        box(b, r[0] + 62, r[3], b.startswith('+'))
        printer('dBFS', r[0] + 35, r[3] - 2)
    r = R_LCD_GR
    box('7.2', r[0] + 2, r[3])
    box('5.1', r[0] + 62, r[3])
    printer('dB', r[0] + 41, r[3] - 2)
    # value fields
    ctx = context(out)
    for r, t, col in ((F_TRANSIENT, '20.0%', FIELD_INK), (F_RELEASE, '200.0ms', FIELD_INK),
                      (F_LEVELLER, '-3.00dB', FIELD_INK), (F_LINK, '100.0%', FIELD_INK),
                      (F_DRIVE, '+5.76dB', READOUT), (F_OUTPUT, '-0.24dB', READOUT),
                      (R_NAME, 'Default', (36, 36, 32))):
        cx, cy = centre(r)
        text(ctx, t, cx, int(cy) + 4, 10, False, col, 'c')
    for ident, r, index in ((995, R_ROCKER, 0), (990, R_LOAD_BANK, 0), (991, R_SAVE_BANK, 0),
                            (992, R_DEF_BANK, 0), (990, R_LOAD_PRESET, 1), (991, R_SAVE_PRESET, 0),
                            (993, R_DEF_PRESET, 0), (990, R_RECALL_A, 0), (991, R_STORE_A, 0),
                            (990, R_RECALL_B, 0), (991, R_STORE_B, 2), (989, R_MANUAL, 0)):
        frame(ident, r, index)
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('--out', default=os.path.join(here, 'png'), help='output folder')
    ap.add_argument('--preview', help='also write a preview of the whole window to this file')
    args = ap.parse_args()
    img = build_images()
    os.makedirs(args.out, exist_ok=True)
    for ident in sorted(img):
        surf, alpha = img[ident]
        write_png(surf, os.path.join(args.out, '%d.png' % ident), alpha)
    if args.preview:
        preview(img).write_to_png(args.preview)


if __name__ == '__main__':
    main()
