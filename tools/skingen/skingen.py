#!/usr/bin/env python3
"""Generates the program's own skins under resources/skins/ (folders) and
their packed copies under resources/skins-packed/.

Two skins come out of one design with two palettes: "ZandrelDawn" (light)
and "ZandrelDusk" (dark).  Each is a folder with "Options.dat", a master
bitmap MASTER.BMP holding most images, a few images in files of their own and
one JPEG texture.  The output is deterministic: running this again gives the
same bytes.  Standard library only; the JPEG step calls ImageMagick's
`convert` and keeps the existing JPEG (with a message) when it is missing.

    python3 tools/skingen/skingen.py [--out DIR] [--packed-out DIR] [--preview DIR] [--no-pack]

The packed copies live apart from the folders: in one skin directory a packed
file wins over a folder of the same name and both would be listed, so a
program ships one container per skin (the packed copies).

--preview renders PNG previews (a mock window painted from the written skin
files, and the master bitmap) for looking at the design; it needs `convert`.
"""

import argparse
import math
import os
import random
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from skinfile import KEY, bmp_bytes, color_int, format_options, hex_rgb  # noqa: E402
from raster import (Layer, SkinImage, mix, opaque, sd_circle, sd_polygon,  # noqa: E402
                    sd_polyline, sd_ring, sd_rrect, sd_segment)

REPO = os.path.normpath(os.path.join(HERE, '..', '..'))
ATLAS_WIDTH = 256

# ------------------------------------------------------------------ palettes

DAWN = dict(
    name='ZandrelDawn',
    description='Light skin of the Zandrel user interface: cool paper grey, teal accent',
    bg='#F3F4F7', bg2='#E9ECF0', surface='#FFFFFF', mdi='#E2E6EB',
    border='#C3CAD3', border_soft='#D9DEE5', border_strong='#A7B0BB', check_border='#8E99A6',
    accent='#16808A', accent_hot='#1F949F', accent_dark='#0F636B', accent_tint='#E3F2F3',
    accent_soft='#CBE7EA', on_accent='#FFFFFF',
    text='#1F2329', text_dim='#59626E', text_disabled='#9AA2AC',
    title_top='#1E7F89', title_bot='#166A73', title_line='#10565D', title_text='#FFFFFF',
    title_in_top='#86919D', title_in_bot='#7A8591', title_in_line='#6C7682', title_in_text='#EEF1F4',
    title_shadow='#10565D', title_glyph='#FFFFFF', title_glyph_in='#E9EDF1',
    title_hot='#FFFFFF', title_hot_alpha=0.20, title_press_alpha=0.32,
    close_hot='#D64541', close_press='#B3322E',
    menu_bg='#FFFFFF', menu_sel='#DCEFF1', menu_sel_press='#C6E5E8', menu_sel_text='#0C4349',
    icoline='#F4F6F8',
    track='#EEF0F3', track_press='#E0E4E9', thumb='#C4CAD2', thumb_hot='#A9B1BB',
    thumb_press='#949DA8', arrow='#76808B', arrow_hot='#2B3038',
    tab='#E4E8ED', tab_hot='#EDF1F4', body='#FFFFFF', header_top='#F7F8FA', header_bot='#EDF0F3',
    status='#E7EAEE', status_line='#D2D8DF', status_hi='#F8F9FB',
    btn_top='#FFFFFF', btn_bot='#F1F3F6', btn_hot_top='#F6FBFB', btn_hot_bot='#E4F1F2',
    progress_top='#2FA6B0', progress_bot='#15808A', stripe='#FFFFFF',
    texture_amp=5.0, shadow='#000000',
)

DUSK = dict(
    name='ZandrelDusk',
    description='Dark skin of the Zandrel user interface: slate night, amber accent',
    bg='#1D2026', bg2='#23272E', surface='#2A2E36', mdi='#17191E',
    border='#3F454F', border_soft='#343941', border_strong='#545B67', check_border='#6E7683',
    accent='#E3A64F', accent_hot='#F0B763', accent_dark='#C4873A', accent_tint='#342E25',
    accent_soft='#4A3E2C', on_accent='#1B1D22',
    text='#E6E8EC', text_dim='#A3AAB5', text_disabled='#666D78',
    title_top='#2D323B', title_bot='#272B33', title_line='#3B414B', title_text='#F3F4F6',
    title_in_top='#22252B', title_in_bot='#202328', title_in_line='#30353D', title_in_text='#8F96A0',
    title_shadow='#15171B', title_glyph='#D9DDE3', title_glyph_in='#737A85',
    title_hot='#FFFFFF', title_hot_alpha=0.10, title_press_alpha=0.18,
    close_hot='#C9423E', close_press='#A53330',
    menu_bg='#262A31', menu_sel='#41392B', menu_sel_press='#4E4332', menu_sel_text='#FFFFFF',
    icoline='#22262C',
    track='#23272E', track_press='#2C3139', thumb='#4A505B', thumb_hot='#5E6572',
    thumb_press='#6E7683', arrow='#8D95A1', arrow_hot='#E6E8EC',
    tab='#22262D', tab_hot='#292D35', body='#2A2E36', header_top='#2B2F37', header_bot='#262A31',
    status='#181A1F', status_line='#2E333B', status_hi='#23272E',
    btn_top='#343943', btn_bot='#2E333C', btn_hot_top='#3A3E46', btn_hot_bot='#34373E',
    progress_top='#F0B763', progress_bot='#D4953F', stripe='#FFFFFF',
    texture_amp=4.0, shadow='#000000',
)


class Pal:
    """Palette access by attribute: colours as (r, g, b), other values as given."""

    def __init__(self, d):
        self.d = d

    def __getattr__(self, k):
        v = self.d[k]
        return hex_rgb(v) if isinstance(v, str) and v.startswith('#') else v

    def i(self, k):
        """A palette colour as the option text's integer."""
        return color_int(getattr(self, k))


# ------------------------------------------------------------ drawing helpers

def frames(n, fw, fh, draw):
    out = []
    for s in range(n):
        lay = Layer(fw, fh)
        draw(lay, s)
        out.append(lay)
    return out


def fill_rr(lay, x0, y0, x1, y1, r, col, alpha=1.0):
    lay.paint(sd_rrect(x0, y0, x1, y1, r), col, alpha)


def stroke_rr(lay, x0, y0, x1, y1, r, col, alpha=1.0, w=1.0):
    outer = sd_rrect(x0, y0, x1, y1, r)
    inner = sd_rrect(x0 + w, y0 + w, x1 - w, y1 - w, max(0.0, r - w))
    lay.paint(sd_ring(outer, inner), col, alpha)


def hline(lay, x0, x1, y, col, alpha=1.0):
    lay.fill_rect(x0, y, x1, y + 1, col, alpha)


def vline(lay, x, y0, y1, col, alpha=1.0):
    lay.fill_rect(x, y0, x + 1, y1, col, alpha)


def vgrad(c1, c2, y0, y1):
    span = max(1, y1 - y0 - 1)
    return lambda x, y: mix(c1, c2, min(1.0, max(0.0, (y - y0) / span)))


def gradient(c_top, c_bot, percent=100, mode=0):
    """GRADIENTDATA text of one step."""
    return '%d;%d;%d;%d;0' % (color_int(c_top), color_int(c_bot), percent, mode)


# ---------------------------------------------------------------- glyphs

def glyph_check(lay, s, col, w=1.7):
    """A check mark in an s x s box."""
    k = s / 16.0
    pts = [(4.1 * k, 8.3 * k), (6.9 * k, 11.0 * k), (12.0 * k, 5.3 * k)]
    lay.paint(sd_polyline(pts, w * max(k, 0.8)), col)


def glyph_dash(lay, s, col):
    k = s / 16.0
    lay.paint(sd_rrect(4.5 * k, 7.0 * k, 11.5 * k, 9.0 * k, 1.0), col)


def chevron(lay, cx, cy, half, direction, col, w=1.45):
    """A chevron pointing up/down/left/right, `half` wide from its tip."""
    h2 = half / 2.0
    if direction == 'up':
        pts = [(cx - half, cy + h2), (cx, cy - h2), (cx + half, cy + h2)]
    elif direction == 'down':
        pts = [(cx - half, cy - h2), (cx, cy + h2), (cx + half, cy - h2)]
    elif direction == 'left':
        pts = [(cx + h2, cy - half), (cx - h2, cy), (cx + h2, cy + half)]
    else:
        pts = [(cx - h2, cy - half), (cx + h2, cy), (cx - h2, cy + half)]
    lay.paint(sd_polyline(pts, w), col)


def title_glyph(lay, kind, cx, cy, s, col):
    """Minimize, maximize, restore, close and help marks around (cx, cy);
    s is half the glyph size.  Straight lines fall on whole pixels."""
    if kind == 'MIN':
        lay.fill_rect(cx - s, cy + s - 1, cx + s, cy + s, col)
    elif kind == 'MAX':
        stroke_rr(lay, cx - s, cy - s, cx + s, cy + s, 1.0, col)
    elif kind == 'NORM':
        b = s - 2
        stroke_rr(lay, cx - s, cy - s + 2, cx - s + 2 * b + 2, cy + s, 1.0, col)
        # the back square shows only its top and right edges
        hline(lay, cx - s + 2, cx + s, cy - s, col)
        vline(lay, cx + s - 1, cy - s, cy + s - 2, col)
        vline(lay, cx - s + 2, cy - s, cy - s + 2, col)
        hline(lay, cx + s - 2, cx + s, cy + s - 3, col)
    elif kind == 'CLOSE':
        a = s - 0.5
        lay.paint(sd_segment(cx - a, cy - a, cx + a, cy + a, 0.62), col)
        lay.paint(sd_segment(cx + a, cy - a, cx - a, cy + a, 0.62), col)
    elif kind == 'HELP':
        k = s / 4.0
        pts = [(cx - 2.4 * k, cy - 1.9 * k), (cx - 1.7 * k, cy - 3.5 * k), (cx, cy - 4.1 * k),
               (cx + 1.7 * k, cy - 3.5 * k), (cx + 2.4 * k, cy - 2.0 * k), (cx + 1.5 * k, cy - 0.5 * k),
               (cx, cy + 0.4 * k), (cx, cy + 1.5 * k)]
        lay.paint(sd_polyline(pts, 1.2), col)
        lay.paint(sd_circle(cx, cy + 3.4 * k, 0.8), col)


# ------------------------------------------------------------------ skin model

class Skin:
    """Collects images and sections; resolves master-bitmap rectangles once
    every image is known, then writes the folder."""

    def __init__(self, pal):
        self.p = pal
        self.atlas = []          # (name, SkinImage) for the master bitmap
        self.files = {}          # own image files: name -> SkinImage
        self.sections = []       # (name, [(key, value or placeholder)])
        self.placed = {}

    # images -------------------------------------------------------------
    def _master(self, name, img):
        self.atlas.append((name, img))
        return name

    def border(self, name, img, margins, bw=0, drawmode=0):
        self._master(name, img)
        return ('^', name, img, margins, bw, drawmode)

    def glyph(self, name, img):
        self._master(name, img)
        return ('@', name, img)

    def texture(self, name, img, drawmode):
        self._master(name, img)
        return ('~', name, img, drawmode)

    def hashed(self, name, img, bw=0, drawmode=1):
        self._master(name, img)
        return ('#', name, img, bw, drawmode)

    def own(self, filename, img, imgtype, margins):
        # The engine takes a third of the width and half the height of any bitmap of its own
        # as its frame, whatever the value's counts say.
        assert len(img.frames) == 3 and img.masked
        self.files[filename] = img
        return '!%s!%d!%d!%d!%d!%d!%d!%d' % ((filename, len(img.frames), 1 if img.masked else 0, imgtype)
                                           + tuple(margins))

    def bare(self, filename, img):
        assert len(img.frames) == 3 and img.masked
        self.files[filename] = img
        return filename

    def section(self, name, pairs):
        self.sections.append((name, pairs))

    # packing --------------------------------------------------------------
    def pack(self):
        """Shelf packing by height, then name: deterministic and tight enough."""
        order = sorted(self.atlas, key=lambda it: (-it[1].height, -it[1].width, it[0]))
        x = y = shelf = 0
        for name, img in order:
            if x + img.width > ATLAS_WIDTH:
                x, y, shelf = 0, y + shelf, 0
            self.placed[name] = (x, y)
            x += img.width
            shelf = max(shelf, img.height)
        self.atlas_height = y + shelf
        rows = [[KEY] * ATLAS_WIDTH for _ in range(self.atlas_height)]
        for name, img in order:
            px, py = self.placed[name]
            for j, row in enumerate(img.rows()):
                rows[py + j][px:px + img.width] = row
        return rows

    def value(self, v):
        if not isinstance(v, tuple):
            return str(v)
        form, name, img = v[0], v[1], v[2]
        L, T = self.placed[name]
        R, B = L + img.width, T + img.height
        rect = '%04d,%04d,%04d,%04d' % (L, T, R, B)
        mt = 1 if img.masked else 0
        if form == '^':
            margins, bw, dm = v[3], v[4], v[5]
            return '^%s,%04d,%04d,%04d,%04d,%d,%d,%d,%d' % ((rect,) + tuple(margins)
                                                           + (len(img.frames), mt, dm, bw))
        if form == '@':
            return '@%s,%d,%d' % (rect, len(img.frames), mt)
        if form == '~':
            return '~%s,%02d,%d' % (rect, v[3], mt)
        if form == '#':
            return '#(%d,%d,%d,%d)(%d,%d,%d,%d)' % (L, T, R, B, len(img.frames), mt, v[3], v[4])
        raise AssertionError(form)


# Every key of a section record, in the order of the record, with the value a
# section without parent gets unless it says otherwise.
def base_keys(p):
    return [
        ('COLOR', p.i('bg')), ('BEVEL', 0), ('FONTCOLOR', p.i('text')),
        ('TCLEFT', -1), ('TCTOP', -1), ('TCRIGHT', -1), ('TCBOTTOM', -1),
        ('HOTFONTCOLOR', p.i('text')),
        ('HOTTCLEFT', -1), ('HOTTCTOP', -1), ('HOTTCRIGHT', -1), ('HOTTCBOTTOM', -1),
        ('RESERVEDBOOLEAN', 'FALSE'),
        ('SHADOWBLUR', 6), ('SHADOWCOLOR', color_int(p.shadow)), ('SHADOWENABLED', 'FALSE'),
        ('SHADOWOFFSET', 3), ('SHADOWTRANSPARENCY', 50),
        ('TRANSPARENCY', 0), ('GRADIENTPERCENT', 0), ('GRADIENTDATA', ''),
        ('IMAGEPERCENT', 0), ('SHOWFOCUS', 'FALSE'),
        ('FADINGENABLED', 'FALSE'), ('FADINGINTERVALIN', 5), ('FADINGINTERVALOUT', 5),
        ('FADINGITERATIONS', 5),
        ('HOTCOLOR', p.i('bg')), ('HOTTRANSPARENCY', 0), ('HOTBEVEL', 0),
        ('HOTGRADIENTPERCENT', 0), ('HOTGRADIENTDATA', ''), ('HOTIMAGEPERCENT', 0),
        ('BORDERCOLOR1', p.i('border')), ('BORDERCOLOR2', p.i('border_strong')),
    ]


def section_pairs(p, values, parent=None):
    """Key lines of a section: with a parent only PARENTCLASS and the given
    keys (the rest is inherited); without one every key of the record, the
    given values replacing the base ones, then the images."""
    values = dict(values)
    out = []
    if parent:
        out.append(('PARENTCLASS', parent))
        out += [(k, v) for k, v in values.items()]
        return out
    keys = base_keys(p)
    known = {k for k, _ in keys}
    for k, v in keys:
        out.append((k, values.pop(k, v)))
    for k, v in values.items():
        assert k not in known
        out.append((k, v))
    return out


# ------------------------------------------------------------------ the design

def design(p):
    sk = Skin(p)
    S = sk.section
    I = p.i

    # --- check marks, radio marks and small marks (GLOBALINFO) -------------
    def box_frames(size, kind):
        r = 3.0 if size >= 16 else 2.5

        def draw(lay, s):
            x0, y0, x1, y1 = 1, 1, size - 1, size - 1
            on = kind in ('checked', 'grayed')
            if on:
                col = (p.accent, p.accent_hot, p.accent_dark)[s]
                fill_rr(lay, x0, y0, x1, y1, r, col)
                if kind == 'checked':
                    glyph_check(lay, size, p.on_accent)
                else:
                    glyph_dash(lay, size, p.on_accent)
            else:
                fill = (p.surface, p.accent_tint, p.accent_soft)[s]
                edge = (p.check_border, p.accent, p.accent_dark)[s]
                fill_rr(lay, x0, y0, x1, y1, r, fill)
                stroke_rr(lay, x0, y0, x1, y1, r, edge)
        return SkinImage(frames(3, size, size, draw))

    def radio_frames(size, kind):
        c = size / 2.0
        rad = c - 1.0

        def draw(lay, s):
            if kind == 'checked':
                col = (p.accent, p.accent_hot, p.accent_dark)[s]
                lay.paint(sd_circle(c, c, rad), col)
                lay.paint(sd_circle(c, c, rad * 0.40), p.on_accent)
            else:
                fill = (p.surface, p.accent_tint, p.accent_soft)[s]
                edge = (p.check_border, p.accent, p.accent_dark)[s]
                lay.paint(sd_circle(c, c, rad), fill)
                lay.paint(sd_ring(sd_circle(c, c, rad), sd_circle(c, c, rad - 1.0)), edge)
                if kind == 'grayed':
                    lay.paint(sd_circle(c, c, rad * 0.42), (p.check_border, p.accent, p.accent_dark)[s])
        return SkinImage(frames(3, size, size, draw))

    g = {}
    for kind in ('checked', 'unchecked', 'grayed'):
        g['BOX' + kind.upper()] = sk.glyph('box_' + kind, box_frames(16, kind))
        g['RADIO' + kind.upper()] = sk.glyph('radio_' + kind, radio_frames(16, kind))
        g['SMALL' + kind.upper()] = sk.glyph('small_' + kind, box_frames(13, kind))

    def menu_check(lay, s):
        glyph_check(lay, 16, (p.text, p.menu_sel_text, p.menu_sel_text)[s])
    g['CHECK'] = sk.glyph('menu_check', SkinImage(frames(3, 16, 16, menu_check)))

    # --- title-bar buttons: normal, hot, pressed, inactive ------------------
    def title_button(kind, fw, fh, s_glyph, radius):
        cx, cy = fw // 2, fh // 2

        def draw(lay, s):
            col = p.title_glyph
            if s in (1, 2):
                if kind == 'CLOSE':
                    fill_rr(lay, 1, 1, fw - 1, fh - 1, radius, p.close_hot if s == 1 else p.close_press)
                    col = (255, 255, 255)
                else:
                    fill_rr(lay, 1, 1, fw - 1, fh - 1, radius, p.title_hot,
                            p.title_hot_alpha if s == 1 else p.title_press_alpha)
            elif s == 3:
                col = p.title_glyph_in
            if kind != 'USER':
                title_glyph(lay, kind, cx, cy, s_glyph, col)
        n = 3 if kind == 'USER' else 4
        return SkinImage(frames(n, fw, fh, draw))

    for kind in ('MIN', 'MAX', 'CLOSE', 'HELP', 'NORM'):
        g['BICON' + kind] = sk.glyph('bicon_' + kind, title_button(kind, 28, 18, 4, 3.0))
        g['SICON' + kind] = sk.glyph('sicon_' + kind, title_button(kind, 18, 14, 3, 2.5))
    g['TITLEBUTTON'] = sk.glyph('titlebutton', title_button('USER', 28, 18, 4, 3.0))

    # --- size grip: a file of its own ("!" form) ---------------------------
    def grip(lay, s):
        col = (p.text_dim, p.text, p.text)[s]
        for gx, gy in ((9.5, 9.5), (9.5, 5.5), (5.5, 9.5), (9.5, 1.5), (5.5, 5.5), (1.5, 9.5)):
            lay.paint(sd_circle(gx, gy, 0.95), col, 0.75)
    g['GRIPIMAGE'] = sk.own('GRIP.BMP', SkinImage(frames(3, 12, 12, grip)), 2, (0, 0, 0, 0))

    gi = section_pairs(p, dict(COLOR=I('bg'), FONTCOLOR=I('text'), HOTCOLOR=I('track'),
                               HOTFONTCOLOR=I('text')))
    S('GLOBALINFO', [
        ('VERSION', '1.0'), ('AUTHOR', 'Zandrel developers'), ('DESCRIPTION', p.description),
        ('MASTERBITMAP', 'MASTER.BMP'),
        ('SHADOW1COLOR', 0), ('SHADOW1OFFSET', 0), ('SHADOW1BLUR', -1), ('SHADOW1TRANSPARENCY', 0),
        ('BISPACE', 2), ('BORDERCOLOR', I('border_strong')),
    ] + gi + sorted(g.items()))

    # --- the form: frame, texture, title ------------------------------------
    def form_frame(lay, s):
        edge = p.title_in_line if s == 0 else p.title_line
        stroke_rr(lay, 0, 0, 16, 16, 6.0, edge)
    fimg = SkinImage(frames(2, 16, 16, form_frame), clear='white')
    for f in fimg.frames:
        f.mark_key_outside(sd_rrect(0, 0, 16, 16, 6.0), (6, 6, 6, 6))
    form = sk.border('form', fimg, (6, 6, 6, 6))
    S('FORM', section_pairs(p, dict(
        COLOR=I('bg'), HOTCOLOR=I('bg'), RESERVEDBOOLEAN='TRUE',
        IMAGEPERCENT=55, HOTIMAGEPERCENT=55,
        BORDERSMASK=form, PATTERN='TEXTURE.JPG', HOTPATTERN='TEXTURE.JPG')))
    S('DIALOG', section_pairs(p, {}, parent='FORM'))
    S('MDIAREA', section_pairs(p, dict(COLOR=I('mdi'), HOTCOLOR=I('mdi'))))

    def title_frame(lay, s):
        edge = p.title_in_line if s == 0 else p.title_line
        outer = sd_rrect(0, 0, 16, 30, 6.0)
        lay.paint(sd_ring(outer, sd_rrect(1, 1, 15, 29, 5.0)), edge, box=(0, 0, 16, 16))
        if p.d['name'] == 'ZandrelDusk':
            hline(lay, 0, 16, 15, p.title_shadow)
    timg = SkinImage(frames(2, 16, 16, title_frame), clear='white')
    for f in timg.frames:
        f.mark_key_outside(sd_rrect(0, 0, 16, 30, 6.0), (6, 6, 6, 6))
    titlebar = SkinImage(frames(1, 12, 12, lambda lay, s: None), clear='white')
    S('FORMTITLE', section_pairs(p, dict(
        COLOR=I('title_in_bot'), HOTCOLOR=I('title_bot'),
        FONTCOLOR=I('title_in_text'), HOTFONTCOLOR=I('title_text'),
        HOTTCBOTTOM=I('title_shadow') if p.d['name'] == 'ZandrelDawn' else -1,
        GRADIENTPERCENT=100, GRADIENTDATA=gradient(p.title_in_top, p.title_in_bot),
        HOTGRADIENTPERCENT=100, HOTGRADIENTDATA=gradient(p.title_top, p.title_bot),
        BORDERSMASK=sk.border('formtitle', timg, (6, 6, 6, 6)),
        TITLEBAR=sk.border('titlebar', titlebar, (4, 4, 4, 4)))))

    # --- menus ----------------------------------------------------------------
    def menu_frame(lay, s):
        stroke_rr(lay, 0, 0, 12, 12, 3.0, p.border)
    mimg = SkinImage(frames(1, 12, 12, menu_frame), clear='white')
    mimg.frames[0].mark_key_outside(sd_rrect(0, 0, 12, 12, 3.0), (3, 3, 3, 3))
    S('MAINMENU', section_pairs(p, dict(
        COLOR=I('menu_bg'), HOTCOLOR=I('menu_bg'),
        BORDERSMASK=sk.border('mainmenu', mimg, (3, 3, 3, 3), bw=3))))

    def item(lay, s):
        if s:
            fill_rr(lay, 2, 1, 14, 11, 3.0, p.menu_sel if s == 1 else p.menu_sel_press)
    S('MENUITEM', section_pairs(p, dict(
        COLOR=I('menu_bg'), HOTCOLOR=I('menu_bg'), HOTFONTCOLOR=I('menu_sel_text'),
        BORDERSMASK=sk.border('menuitem', SkinImage(frames(3, 16, 12, item), clear='white'),
                              (6, 4, 6, 4)))))

    def bottom_line(col, alpha=1.0):
        return lambda lay, s: hline(lay, 0, 6, 5, col, alpha)
    S('MENULINE', section_pairs(p, dict(
        COLOR=I('bg'), HOTCOLOR=I('bg'),
        BORDERSMASK=sk.border('menuline', SkinImage(frames(1, 6, 6, bottom_line(p.border_soft)),
                                                    clear='white'), (1, 1, 1, 1)))))

    S('ICOLINE', section_pairs(p, dict(
        COLOR=I('icoline'), HOTCOLOR=I('icoline'),
        BORDERSMASK=sk.border('icoline', SkinImage(frames(1, 6, 6, lambda lay, s: vline(
            lay, 5, 0, 6, p.border_soft)), clear='white'), (1, 1, 1, 1)))))
    S('EXTRALINE', section_pairs(p, dict(
        COLOR=I('accent'), HOTCOLOR=I('accent'), FONTCOLOR=I('on_accent'), HOTFONTCOLOR=I('on_accent'),
        GRADIENTPERCENT=100, GRADIENTDATA=gradient(p.accent_dark, p.accent_hot),
        HOTGRADIENTPERCENT=100, HOTGRADIENTDATA=gradient(p.accent_dark, p.accent_hot))))
    S('DIVIDERV', section_pairs(p, dict(
        COLOR=I('menu_bg'), HOTCOLOR=I('menu_bg'),
        BORDERSMASK=sk.border('dividerv', SkinImage(frames(1, 8, 4, lambda lay, s: hline(
            lay, 0, 8, 0, p.border_soft)), clear='white'), (2, 1, 2, 1)))))

    def channel(lay, s):
        fill_rr(lay, 0, 1, 10, 5, 2.0, p.border)
    S('TRACKBAR', section_pairs(p, dict(
        TRANSPARENCY=100, HOTTRANSPARENCY=100,
        SLIDERCHANNEL=sk.border('sliderchannel', SkinImage(frames(1, 10, 6, channel), clear='white'),
                                (3, 2, 3, 2)))))

    # --- bars -----------------------------------------------------------------
    S('TOOLBAR', section_pairs(p, dict(
        COLOR=I('bg2'), HOTCOLOR=I('bg2'), FONTCOLOR=I('text_dim'), HOTFONTCOLOR=I('text'),
        GRADIENTPERCENT=100, GRADIENTDATA=gradient(mix(p.bg2, p.surface, 0.35), p.bg2),
        HOTGRADIENTPERCENT=100, HOTGRADIENTDATA=gradient(mix(p.bg2, p.surface, 0.35), p.bg2),
        BORDERSMASK=sk.border('toolbar', SkinImage(frames(1, 6, 6, bottom_line(p.border_soft)),
                                                   clear='white'), (1, 1, 1, 1)))))
    S('BAR', section_pairs(p, dict(FONTCOLOR=I('text')), parent='TOOLBAR'))

    def bracket(corner):
        def draw(lay, s):
            x = 0 if 'LEFT' in corner else 4
            y = 0 if 'TOP' in corner else 4
            lay.fill_rect(0, y, 6, y + 2, p.accent)
            lay.fill_rect(x, 0, x + 2, 6, p.accent)
        return SkinImage(frames(1, 6, 6, draw))
    S('BARTITLE', section_pairs(p, dict(
        [('COLOR', I('accent_tint')), ('HOTCOLOR', I('accent_tint')),
         ('FONTCOLOR', I('text')), ('HOTFONTCOLOR', I('text'))]
        + [(c, sk.glyph(c.lower(), bracket(c)))
           for c in ('IMGTOPLEFT', 'IMGTOPRIGHT', 'IMGBTMLEFT', 'IMGBTMRIGHT')])))

    def dots(x, y):
        return p.border_strong if (x % 4, y % 4) == (1, 1) else p.bg2
    S('DRAGBAR', section_pairs(p, dict(
        COLOR=I('bg2'), HOTCOLOR=I('bg2'), IMAGEPERCENT=100, HOTIMAGEPERCENT=100,
        PATTERN=sk.texture('dragdots', SkinImage([opaque(4, 4, dots)], masked=False), 0))))

    # --- push buttons ---------------------------------------------------------
    def button(lay, s):
        edge = (p.border, p.accent, p.accent_dark)[s]
        if s == 2:
            fill_rr(lay, 0, 0, 18, 18, 4.0, p.accent, 0.14)
        stroke_rr(lay, 0, 0, 18, 18, 4.0, edge)
        if s == 0:
            lay.paint(sd_ring(sd_rrect(0, 0, 18, 18, 4.0), sd_rrect(0, -1, 18, 17, 4.0)),
                      p.border_strong, 0.9)
    bimg = SkinImage(frames(3, 18, 18, button), clear='white')
    for f in bimg.frames:
        f.mark_key_outside(sd_rrect(0, 0, 18, 18, 4.0), (5, 5, 5, 5))
    S('BUTTON', section_pairs(p, dict(
        COLOR=I('btn_bot'), HOTCOLOR=I('btn_hot_bot'),
        HOTFONTCOLOR=I('accent_dark') if p.d['name'] == 'ZandrelDawn' else I('text'),
        GRADIENTPERCENT=100, GRADIENTDATA=gradient(p.btn_top, p.btn_bot),
        HOTGRADIENTPERCENT=100, HOTGRADIENTDATA=gradient(p.btn_hot_top, p.btn_hot_bot),
        FADINGENABLED='TRUE', FADINGITERATIONS=6,
        BORDERSMASK=sk.border('button', bimg, (5, 5, 5, 5)))))

    def flat(size, radius, hot_a, press_a, edge_a):
        def draw(lay, s):
            if s:
                a = hot_a if s == 1 else press_a
                fill_rr(lay, 0, 0, size, size, radius, p.accent, a)
                stroke_rr(lay, 0, 0, size, size, radius, p.accent, edge_a * (1 if s == 1 else 1.4))
        return SkinImage(frames(3, size, size, draw), clear='white')

    transparent = dict(TRANSPARENCY=100, HOTTRANSPARENCY=100)
    S('SPEEDBUTTON', section_pairs(p, dict(
        transparent, FADINGENABLED='TRUE', FADINGITERATIONS=5,
        BORDERSMASK=sk.own('SPEEDBTN.BMP', flat(15, 4.0, 0.10, 0.20, 0.35), 0, (5, 5, 5, 5)))))
    S('SPEEDBUTTON_SMALL', section_pairs(p, dict(
        BORDERSMASK=sk.bare('SPINBTN.BMP', flat(9, 2.0, 0.14, 0.26, 0.0))), parent='SPEEDBUTTON'))
    S('TOOLBUTTON', section_pairs(p, dict(
        BORDERSMASK=sk.hashed('toolbutton', flat(15, 3.0, 0.10, 0.20, 0.30))), parent='SPEEDBUTTON'))
    S('WEBBUTTON', section_pairs(p, dict(
        transparent, FONTCOLOR=I('accent_dark') if p.d['name'] == 'ZandrelDawn' else I('accent'),
        HOTFONTCOLOR=I('accent'))))

    # --- edits and combo boxes ------------------------------------------------
    def field(size, margin, radius):
        def draw(lay, s):
            if s == 0:
                stroke_rr(lay, 0, 0, size, size, radius, p.border)
            else:
                stroke_rr(lay, 0, 0, size, size, radius, p.accent)
                stroke_rr(lay, 1, 1, size - 1, size - 1, max(0.0, radius - 1), p.accent, 0.30)
        img = SkinImage(frames(3, size, size, draw), clear='white')
        for f in img.frames:
            f.mark_key_outside(sd_rrect(0, 0, size, size, radius), (margin,) * 4)
        return img
    S('EDIT', section_pairs(p, dict(
        COLOR=I('surface'), HOTCOLOR=I('surface'),
        BORDERSMASK=sk.border('edit', field(10, 2, 2.0), (2, 2, 2, 2)))))

    def combo_arrow(lay, s):
        chevron(lay, 4.5, 3.0, 3.5, 'down', (p.arrow, p.arrow_hot, p.accent)[s], 1.4)
    S('COMBOBOX', section_pairs(p, dict(
        BORDERSMASK=sk.border('combobox', field(12, 3, 3.0), (3, 3, 3, 3)),
        GLYPHMASK=sk.glyph('combo_arrow', SkinImage(frames(3, 9, 6, combo_arrow)))), parent='EDIT'))

    def combo_btn(lay, s):
        if s:
            fill_rr(lay, 1, 1, 11, 11, 2.0, p.accent, 0.10 if s == 1 else 0.22)
    S('COMBOBTN', section_pairs(p, dict(
        transparent, COLOR=I('surface'), HOTCOLOR=I('surface'),
        BORDERSMASK=sk.border('combobtn', SkinImage(frames(3, 12, 12, combo_btn), clear='white'),
                              (4, 4, 4, 4)))))

    # --- check box, radio button, group box, panels, splitter -----------------
    S('CHECKBOX', section_pairs(p, dict(transparent, FADINGENABLED='TRUE', FADINGITERATIONS=5)))
    S('RADIOBUTTON', section_pairs(p, {}, parent='CHECKBOX'))

    def group(lay, s):
        stroke_rr(lay, 0, 0, 14, 14, 4.0, p.border)
    S('GROUPBOX', section_pairs(p, dict(
        transparent,
        BORDERSMASK=sk.border('groupbox', SkinImage(frames(1, 14, 14, group), clear='white'),
                              (5, 5, 5, 5)))))
    S('PANEL', section_pairs(p, dict(COLOR=I('bg2'), HOTCOLOR=I('bg2'))))

    def low(lay, s):
        stroke_rr(lay, 0, 0, 10, 10, 3.0, p.border)
        hline(lay, 2, 8, 1, p.shadow, 0.05)
    limg = SkinImage(frames(1, 10, 10, low), clear='white')
    limg.frames[0].mark_key_outside(sd_rrect(0, 0, 10, 10, 3.0), (3, 3, 3, 3))
    S('PANEL_LOW', section_pairs(p, dict(
        COLOR=I('mdi') if p.d['name'] == 'ZandrelDawn' else I('status'),
        HOTCOLOR=I('mdi') if p.d['name'] == 'ZandrelDawn' else I('status'),
        BORDERSMASK=sk.border('panel_low', limg, (3, 3, 3, 3)))))
    S('SPLITTER', section_pairs(p, dict(COLOR=I('bg'), HOTCOLOR=I('accent_soft'))))

    # --- tabs -----------------------------------------------------------------
    def tab(lay, s):
        fill = (p.tab, p.tab_hot, p.body)[s]
        shape = sd_rrect(0, 0, 16, 26, 4.0)
        lay.paint(shape, fill, box=(0, 0, 16, 16))
        lay.paint(sd_ring(shape, sd_rrect(1, 1, 15, 25, 3.0)), p.border, box=(0, 0, 16, 16))
        if s == 2:
            lay.paint(sd_rrect(0, 0, 16, 16, 4.0), p.accent, box=(0, 0, 16, 2))
    timgs = SkinImage(frames(3, 16, 16, tab), clear='white')
    for f in timgs.frames:
        f.mark_key_outside(sd_rrect(0, 0, 16, 26, 4.0), (5, 5, 5, 3))
    tab_keys = dict(COLOR=I('tab'), HOTCOLOR=I('body'), FONTCOLOR=I('text_dim'), HOTFONTCOLOR=I('text'))
    variants = (('TABTOP', None, (5, 5, 5, 3)), ('TABBOTTOM', 'flipv', (5, 3, 5, 5)),
                ('TABLEFT', 'ccw', (5, 5, 3, 5)), ('TABRIGHT', 'cw', (3, 5, 5, 5)))
    for name, how, margins in variants:
        img = timgs if how is None else SkinImage([f.transformed(how) for f in timgs.frames],
                                                   clear='white')
        S(name, section_pairs(p, dict(tab_keys, BORDERSMASK=sk.border(name.lower(), img, margins))))

    def page(lay, s):
        stroke_rr(lay, 0, 0, 12, 12, 3.0, p.border)
    pimg = SkinImage(frames(1, 12, 12, page), clear='white')
    pimg.frames[0].mark_key_outside(sd_rrect(0, 0, 12, 12, 3.0), (4, 4, 4, 4))
    S('PAGECONTROL', section_pairs(p, dict(
        COLOR=I('body'), HOTCOLOR=I('body'), BORDERSMASK=sk.border('pagecontrol', pimg, (4, 4, 4, 4)))))
    for side in ('BOTTOM', 'LEFT', 'RIGHT'):
        S('PAGECONTROL' + side, section_pairs(p, {}, parent='PAGECONTROL'))
    S('TABSHEET', section_pairs(p, dict(COLOR=I('body'), HOTCOLOR=I('body'))))

    # --- scroll bars ------------------------------------------------------------
    def sbtn(lay, s):
        if s:
            fill_rr(lay, 2, 2, 14, 14, 3.0, p.arrow_hot, 0.10 if s == 1 else 0.20)
    sbtn_img = SkinImage(frames(3, 16, 16, sbtn), clear='white')
    for direction in ('TOP', 'BOTTOM', 'LEFT', 'RIGHT'):
        d = dict(TOP='up', BOTTOM='down', LEFT='left', RIGHT='right')[direction]

        def arrow(lay, s, d=d):
            chevron(lay, 4.5, 4.5, 3.5, d, (p.arrow, p.arrow_hot, p.accent)[s], 1.5)
        keys = dict(COLOR=I('track'), HOTCOLOR=I('track'),
                    BORDERSMASK=sk.border('sbtn_' + direction.lower(), sbtn_img, (5, 5, 5, 5)),
                    GLYPHMASK=sk.glyph('arrow_' + direction.lower(), SkinImage(frames(3, 9, 9, arrow))))
        if direction == 'LEFT':
            keys['RESERVEDBOOLEAN'] = 'TRUE'
        S('SCROLLBTN' + direction, section_pairs(p, keys))

    def thumb(lay, s):
        col = (p.thumb, p.thumb_hot, p.thumb_press)[s]
        fill_rr(lay, 4, 1, 12, 17, 4.0, col)
    vthumb = SkinImage(frames(3, 16, 18, thumb), clear='white')
    hthumb = SkinImage([f.transformed('cw') for f in vthumb.frames], clear='white')

    def grip_lines(vertical):
        def draw(lay, s):
            col = mix((p.thumb, p.thumb_hot, p.thumb_press)[s], p.surface, 0.55)
            for k in (0, 2, 4):
                if vertical:
                    lay.fill_rect(0, k, 4, k + 1, col)
                else:
                    lay.fill_rect(k, 0, k + 1, 4, col)
        return SkinImage(frames(3, 4 if vertical else 5, 5 if vertical else 4, draw))
    S('SCROLLSLIDERV', section_pairs(p, dict(
        COLOR=I('track'), HOTCOLOR=I('track'),
        BORDERSMASK=sk.border('thumb_v', vthumb, (7, 6, 7, 6)),
        GLYPHMASK=sk.glyph('grip_v', grip_lines(True)))))
    S('SCROLLSLIDERH', section_pairs(p, dict(
        BORDERSMASK=sk.border('thumb_h', hthumb, (6, 7, 6, 7)),
        GLYPHMASK=sk.glyph('grip_h', grip_lines(False))), parent='SCROLLSLIDERV'))
    S('SCROLLBAR1H', section_pairs(p, dict(COLOR=I('track'), HOTCOLOR=I('track_press'))))
    for name in ('SCROLLBAR2H', 'SCROLLBAR1V', 'SCROLLBAR2V'):
        S(name, section_pairs(p, {}, parent='SCROLLBAR1H'))

    # --- status bar, dividers ---------------------------------------------------
    S('STATUSBAR', section_pairs(p, dict(
        COLOR=I('status'), HOTCOLOR=I('status'), FONTCOLOR=I('text_dim'), HOTFONTCOLOR=I('text'),
        BORDERSMASK=sk.border('statusbar', SkinImage(frames(1, 6, 6, lambda lay, s: hline(
            lay, 0, 6, 0, p.status_line)), clear='white'), (1, 1, 1, 1)),
        STATUSPANELMASK=sk.border('statuspanel', SkinImage(frames(1, 8, 12, lambda lay, s: (
            vline(lay, 6, 0, 12, p.status_line), vline(lay, 7, 0, 12, p.status_hi, 0.8))),
            clear='white'), (1, 3, 2, 3)))))
    S('DIVIDER', section_pairs(p, dict(
        transparent,
        BORDERSMASK=sk.border('divider', SkinImage(frames(1, 3, 8, lambda lay, s: vline(
            lay, 0, 0, 8, p.border)), clear='white'), (1, 2, 1, 2)))))

    # --- progress -------------------------------------------------------------
    def gauge(lay, s):
        stroke_rr(lay, 0, 0, 10, 10, 3.0, p.border)
    gimg = SkinImage(frames(1, 10, 10, gauge), clear='white')
    gimg.frames[0].mark_key_outside(sd_rrect(0, 0, 10, 10, 3.0), (3, 3, 3, 3))
    S('GAUGE', section_pairs(p, dict(
        COLOR=I('track'), HOTCOLOR=I('track'), BORDERSMASK=sk.border('gauge', gimg, (3, 3, 3, 3)))))

    def stripes(x, y):
        t = ((x + y) % 12) / 12.0
        return mix(p.progress_top, p.stripe, 0.6) if t < 0.5 else p.progress_bot
    def chunk(lay, s):
        stroke_rr(lay, 0, 0, 8, 8, 2.0, p.accent_dark, 0.55)
    cimg = SkinImage(frames(1, 8, 8, chunk), clear='white')
    cimg.frames[0].mark_key_outside(sd_rrect(0, 0, 8, 8, 2.0), (3, 3, 3, 3))
    S('PROGRESSH', section_pairs(p, dict(
        COLOR=I('accent'), HOTCOLOR=I('accent'), FONTCOLOR=I('on_accent'), HOTFONTCOLOR=I('on_accent'),
        GRADIENTPERCENT=100, GRADIENTDATA=gradient(p.progress_top, p.progress_bot),
        HOTGRADIENTPERCENT=100, HOTGRADIENTDATA=gradient(p.progress_top, p.progress_bot),
        IMAGEPERCENT=10, HOTIMAGEPERCENT=10,
        PATTERN=sk.texture('stripes', SkinImage([opaque(12, 12, stripes)], masked=False), 0),
        BORDERSMASK=sk.border('progress', cimg, (3, 3, 3, 3)))))
    S('PROGRESSV', section_pairs(p, dict(
        GRADIENTDATA=gradient(p.progress_bot, p.progress_top, 100, 1),
        HOTGRADIENTDATA=gradient(p.progress_bot, p.progress_top, 100, 1)), parent='PROGRESSH'))

    # --- list headers -------------------------------------------------------------
    def header(lay, s):
        vline(lay, 10, 3, 9, p.border)
        hline(lay, 0, 12, 11, p.border)
        if s == 2:
            lay.fill_rect(0, 0, 12, 11, p.accent, 0.10)
    S('COLHEADER', section_pairs(p, dict(
        COLOR=I('header_bot'), HOTCOLOR=I('accent_tint'), FONTCOLOR=I('text_dim'), HOTFONTCOLOR=I('text'),
        GRADIENTPERCENT=100, GRADIENTDATA=gradient(p.header_top, p.header_bot),
        BORDERSMASK=sk.border('colheader', SkinImage(frames(3, 12, 12, header), clear='white'),
                              (2, 2, 2, 2)))))
    return sk


# ------------------------------------------------------------------ texture

def texture_rows(p, size=64, seed=7):
    """A seamless paper grain around the background colour: per-pixel noise plus
    two slow periodic waves, both repeating exactly every `size` pixels."""
    rnd = random.Random(seed)
    amp = p.texture_amp
    base = p.bg
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            wave = 0.5 * math.sin(2 * math.pi * (x + 2 * y) / size) + 0.35 * math.cos(2 * math.pi * (3 * x - y) / size)
            n = (rnd.random() - 0.5) * 2 * amp + wave * amp * 0.5
            row.append(tuple(max(0, min(255, int(round(c + n)))) for c in base))
        rows.append(row)
    return rows


def write_jpeg(bmp_path, jpg_path):
    tool = shutil.which('convert')
    if not tool:
        if os.path.exists(jpg_path):
            print('note: ImageMagick "convert" is missing; kept the existing %s' % jpg_path)
        else:
            print('warning: ImageMagick "convert" is missing; %s was not made '
                  '(scripts/setup.sh installs it)' % jpg_path)
        return
    subprocess.run([tool, bmp_path, '-strip', '-sampling-factor', '4:2:0', '-quality', '90',
                    'JPEG:' + jpg_path], check=True)


# ------------------------------------------------------------------ output

def write_skin(pal_dict, out_dir, packed_dir, pack=True):
    p = Pal(pal_dict)
    sk = design(p)
    folder = os.path.join(out_dir, p.d['name'])
    os.makedirs(folder, exist_ok=True)
    master = sk.pack()

    def put(name, data):
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(data)

    put('MASTER.BMP', bmp_bytes(ATLAS_WIDTH, len(master), master))
    for fname, img in sorted(sk.files.items()):
        put(fname, bmp_bytes(img.width, img.height, img.rows()))
    sections = [(name, [(k, sk.value(v)) for k, v in pairs]) for name, pairs in sk.sections]
    text = format_options(sections, header_lines=(
        ' %s: %s' % (p.d['name'], p.d['description']),
        ' Made by tools/skingen/skingen.py; edit the generator, not this file.'))
    put('Options.dat', text.encode('ascii'))

    tex = texture_rows(p)
    tmp_bmp = os.path.join(folder, '.texture-source.bmp')
    with open(tmp_bmp, 'wb') as f:
        f.write(bmp_bytes(len(tex[0]), len(tex), tex))
    try:
        write_jpeg(tmp_bmp, os.path.join(folder, 'TEXTURE.JPG'))
    finally:
        os.remove(tmp_bmp)

    if pack:
        sys.path.insert(0, os.path.join(REPO, 'tools', 'qszpack'))
        import qszpack
        os.makedirs(packed_dir, exist_ok=True)
        qszpack.pack_folder(folder, os.path.join(packed_dir, p.d['name'] + '.qsz'))
    return folder, tex


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    ap.add_argument('--out', default=os.path.join(REPO, 'resources', 'skins'),
                    help='folder that receives the skins (default: resources/skins)')
    ap.add_argument('--packed-out', default=os.path.join(REPO, 'resources', 'skins-packed'),
                    help='folder that receives the packed copies (default: resources/skins-packed)')
    ap.add_argument('--preview', metavar='DIR', help='also render preview PNGs into DIR')
    ap.add_argument('--no-pack', action='store_true', help='do not write the packed .qsz copies')
    args = ap.parse_args()
    for pal in (DAWN, DUSK):
        folder, tex = write_skin(pal, args.out, args.packed_out, pack=not args.no_pack)
        print('wrote', os.path.relpath(folder))
        if args.preview:
            import preview
            for path in preview.render(folder, args.preview, tex):
                print('preview', path)


if __name__ == '__main__':
    main()
