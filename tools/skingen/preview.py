"""Preview of a folder skin: a mock window painted from the skin files the way
the engine paints sections (background colour, gradient, texture, border mask
as nine pieces, glyph frames), with texts added by ImageMagick.  Only for
looking at the design; nothing here is used by the program.
"""

import os
import shutil
import subprocess

from skinfile import KEY, bmp_bytes, parse_image_value, parse_options, read_bmp

FONT = '/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf'
FONT_BOLD = '/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf'


class SkinView:
    def __init__(self, folder, texture_rows):
        with open(os.path.join(folder, 'Options.dat'), 'rb') as f:
            self.sections = dict(parse_options(f.read().decode('cp1251')))
        self.sections = {k: dict(v) for k, v in self.sections.items()}
        self.folder = folder
        self.files = {}
        self.master = self._bmp(self.sections['GLOBALINFO']['MASTERBITMAP'])
        self.texture = texture_rows

    def _bmp(self, name):
        if name not in self.files:
            with open(os.path.join(self.folder, name), 'rb') as f:
                self.files[name] = read_bmp(f.read())
        return self.files[name]

    def key(self, section, key, default=None):
        seen = set()
        while section and section not in seen:
            seen.add(section)
            sec = self.sections.get(section, {})
            if key in sec and sec[key] not in ('?', '-1'):
                return sec[key]
            section = sec.get('PARENTCLASS')
        return default

    def num(self, section, key, default=0):
        v = self.key(section, key)
        return int(v) if v not in (None, '') else default

    def mask(self, section, key):
        """(pixels, rect, record) of an image key, following PARENTCLASS."""
        seen = set()
        while section and section not in seen:
            seen.add(section)
            sec = self.sections.get(section, {})
            if key in sec:
                rec = parse_image_value(section, key, sec[key])
                if rec:
                    if rec['form'] == 'jpeg':
                        return ('tex', None, rec)
                    if rec['file']:
                        w, h, rows = self._bmp(rec['file'])
                        rect = (0, 0, w, h)
                        # Frames as the engine takes them from a bitmap of its own: three
                        # over a mask half, whatever the value counts.
                        rec = dict(rec, count=3, masktype=1)
                        if rec['margins'] == (0, 0, 0, 0):
                            mx, my = w // 9, h // 6
                            rec['margins'] = (mx, my, mx, my)
                        return (rows, rect, rec)
                    return (self.master[2], rec['rect'], rec)
            section = sec.get('PARENTCLASS')
        return None


class Canvas:
    def __init__(self, w, h, color):
        self.w, self.h = w, h
        self.px = [[color] * w for _ in range(h)]
        self.texts = []
        self.holes = None   # when a list: key pixels met in border corners

    def fill(self, x0, y0, x1, y1, fn):
        for y in range(max(0, y0), min(self.h, y1)):
            row = self.px[y]
            for x in range(max(0, x0), min(self.w, x1)):
                row[x] = fn(x, y) if callable(fn) else fn

    def text(self, x, y, s, color, bold=False, size=11, anchor='w'):
        self.texts.append((x, y, s, color, bold, size, anchor))


def cint(v):
    v = int(v)
    return (v & 255, (v >> 8) & 255, (v >> 16) & 255)


def gradient_steps(text):
    f = [int(x) for x in text.split(';') if x.strip()]
    return [(cint(f[i]), cint(f[i + 1]), min(100, f[i + 2]), f[i + 3]) for i in range(0, len(f) // 5 * 5, 5)]


def lerp(a, b, t):
    return tuple(int(round(p + (q - p) * t)) for p, q in zip(a, b))


def paint_fill(cv, sv, sec, rect, state):
    x0, y0, x1, y1 = rect
    hot = state != 0
    color = cint(sv.key(sec, 'HOTCOLOR' if hot else 'COLOR', '16777215'))
    tr = sv.num(sec, 'HOTTRANSPARENCY' if hot else 'TRANSPARENCY')
    ip = sv.num(sec, 'HOTIMAGEPERCENT' if hot else 'IMAGEPERCENT')
    gp = sv.num(sec, 'HOTGRADIENTPERCENT' if hot else 'GRADIENTPERCENT')
    gd = sv.key(sec, 'HOTGRADIENTDATA' if hot else 'GRADIENTDATA', '') or ''
    if tr >= 100:
        return
    under = [row[x0:x1] for row in cv.px[y0:y1]]
    tex = sv.mask(sec, 'HOTPATTERN' if hot else 'PATTERN') if ip > 0 else None
    layer = [[color] * (x1 - x0) for _ in range(y1 - y0)]
    if tex:
        if tex[0] == 'tex':
            t = sv.texture
            th, tw = len(t), len(t[0])
            for y in range(y1 - y0):
                for x in range(x1 - x0):
                    layer[y][x] = t[y % th][x % tw]
        else:
            rows, (L, T, R, B), rec = tex
            for y in range(y1 - y0):
                for x in range(x1 - x0):
                    layer[y][x] = rows[T + y % (B - T)][L + x % (R - L)]
    if gp > 0 and gd.strip():
        steps = gradient_steps(gd)
        if steps:
            grad = [[color] * (x1 - x0) for _ in range(y1 - y0)]
            c1, c2, _, mode = steps[0]
            n = (y1 - y0) if mode == 0 else (x1 - x0)
            for y in range(y1 - y0):
                for x in range(x1 - x0):
                    t = (y if mode == 0 else x) / max(1, n - 1)
                    grad[y][x] = lerp(c1, c2, t)
            if tex:
                a = ip * 255 // 100
                layer = [[tuple((s * (255 - a) + d * a + 127) >> 8 for s, d in zip(gr, lr))
                          for gr, lr in zip(grow, lrow)] for grow, lrow in zip(grad, layer)]
            else:
                layer = grad
    s = ip + gp
    if 1 <= s <= 99:
        layer = [[tuple(int(round(c * s / 100 + k * (1 - s / 100))) for c, k in zip(px, color))
                  for px in row] for row in layer]
    elif s == 0:
        layer = [[color] * (x1 - x0) for _ in range(y1 - y0)]
    if tr > 0:
        a = tr * 255 // 100
        layer = [[tuple((s_ * (255 - a) + d * a + 127) >> 8 for s_, d in zip(lp, up))
                  for lp, up in zip(lrow, urow)] for lrow, urow in zip(layer, under)]
    for y in range(y1 - y0):
        if 0 <= y0 + y < cv.h:
            cv.px[y0 + y][x0:x1] = layer[y]


def copy_masked(cv, rows, sx, sy, w, h, dx, dy, fh, masked, key_skip=True):
    for j in range(h):
        ty = dy + j
        if not (0 <= ty < cv.h):
            continue
        for i in range(w):
            tx = dx + i
            if not (0 <= tx < cv.w):
                continue
            s = rows[sy + j][sx + i]
            if masked:
                m = rows[sy + j + fh][sx + i][0]
                if s == KEY and key_skip:
                    if cv.holes is not None:
                        cv.holes.append((tx, ty))
                    continue
                d = cv.px[ty][tx]
                cv.px[ty][tx] = tuple(max(0, min(255, ((dd - ss) * m + ss * 256) >> 8)) for dd, ss in zip(d, s))
            elif s != KEY:
                cv.px[ty][tx] = s


def draw_rect(cv, m, rect, state):
    rows, (L, T, R, B), rec = m
    n = max(rec['count'], 1)
    fh = (B - T) // (rec['masktype'] + 1)
    fw = (R - L) // n
    st = min(state, n - 1)
    ox = L + st * fw
    masked = rec['masktype'] > 0
    wl, wt, wr, wb = rec['margins']
    x0, y0, x1, y1 = rect
    W, H = x1 - x0, y1 - y0
    if W < wl + wr:
        d = (wl + wr - W) // 2
        wl, wr = max(0, wl - d), max(0, wr - d - (W % 2))
    if H < wt + wb:
        d = (wt + wb - H) // 2
        wt, wb = max(0, wt - d), max(0, wb - d - (H % 2))
    cw, ch = max(0, fw - wl - wr), max(0, fh - wt - wb)

    def piece(sx, sy, w, h, dx, dy):
        if w > 0 and h > 0:
            copy_masked(cv, rows, sx, sy, w, h, dx, dy, fh, masked)

    def tile_h(sx, sy, h, dy):
        x = x0 + wl
        while cw > 0 and x < x1 - wr:
            piece(sx, sy, min(cw, x1 - wr - x), h, x, dy)
            x += cw

    def tile_v(sx, sy, w, dx):
        y = y0 + wt
        while ch > 0 and y < y1 - wb:
            piece(sx, sy, w, min(ch, y1 - wb - y), dx, y)
            y += ch
    piece(ox, T, wl, wt, x0, y0)
    tile_v(ox, T + wt, wl, x0)
    tile_h(ox + wl, T, wt, y0)
    piece(ox, T + fh - wb, wl, wb, x0, y1 - wb)
    tile_h(ox + wl, T + fh - wb, wb, y1 - wb)
    piece(ox + fw - wr, T + fh - wb, wr, wb, x1 - wr, y1 - wb)
    piece(ox + fw - wr, T, wr, wt, x1 - wr, y0)
    tile_v(ox + fw - wr, T + wt, wr, x1 - wr)
    y = y0 + wt
    while ch > 0 and cw > 0 and y < y1 - wb:
        x = x0 + wl
        while x < x1 - wr:
            piece(ox + wl, T + wt, min(cw, x1 - wr - x), min(ch, y1 - wb - y), x, y)
            x += cw
        y += ch


def glyph_size(m):
    rows, (L, T, R, B), rec = m
    return (R - L) // max(rec['count'], 1), (B - T) // (rec['masktype'] + 1)


def draw_glyph(cv, m, x, y, state):
    rows, (L, T, R, B), rec = m
    fw, fh = glyph_size(m)
    st = min(state, max(rec['count'], 1) - 1)
    copy_masked(cv, rows, L + st * fw, T, fw, fh, x, y, fh, rec['masktype'] > 0)


def section(cv, sv, sec, rect, state=0, key='BORDERSMASK'):
    paint_fill(cv, sv, sec, rect, state)
    m = sv.mask(sec, key)
    if m and not (sec == 'MENUITEM' and state == 0):
        draw_rect(cv, m, rect, state)
    for k, corner in (('IMGTOPLEFT', 'tl'), ('IMGTOPRIGHT', 'tr'), ('IMGBTMLEFT', 'bl'), ('IMGBTMRIGHT', 'br')):
        g = sv.mask(sec, k)
        if g:
            fw, fh = glyph_size(g)
            gx = rect[0] if corner[1] == 'l' else rect[2] - fw
            gy = rect[1] if corner[0] == 't' else rect[3] - fh
            draw_glyph(cv, g, gx, gy, state)


def fontcolor(sv, sec, state):
    return cint(sv.key(sec, 'HOTFONTCOLOR' if state else 'FONTCOLOR', '0'))


def centred_glyph(cv, sv, sec, key, rect, state):
    g = sv.mask(sec, key)
    if g:
        fw, fh = glyph_size(g)
        draw_glyph(cv, g, (rect[0] + rect[2] - fw) // 2, (rect[1] + rect[3] - fh) // 2, state)


# ------------------------------------------------------------------ the mock-up

def window(cv, sv, x0, y0, x1, y1, title, active=True, dialog=False, menu=True):
    st = 1 if active else 0
    desktop = cv.px[y0][x0]
    cv.holes = []
    section(cv, sv, 'DIALOG' if dialog else 'FORM', (x0, y0, x1, y1), st)
    th = 23 if not dialog else 19
    section(cv, sv, 'FORMTITLE', (x0, y0, x1, y0 + th), st)
    for hx, hy in cv.holes:          # the window region's cut-outs
        cv.px[hy][hx] = desktop
    cv.holes = None
    fc = fontcolor(sv, 'FORMTITLE', st)
    prefix = 'SICON' if dialog else 'BICON'
    x = x1 - 4
    space = int(sv.key('GLOBALINFO', 'BISPACE', '0'))
    kinds = ['CLOSE'] if dialog else ['CLOSE', 'MAX', 'MIN']
    for n, kind in enumerate(kinds):
        g = sv.mask('GLOBALINFO', prefix + kind)
        fw, fh = glyph_size(g)
        bst = 3 if not active else (1 if n == 1 else 0)
        draw_glyph(cv, g, x - fw, y0 + (th - fh) // 2 + (1 if fh < 16 else 0), bst)
        x -= fw + space
    tc = sv.key('FORMTITLE', 'HOTTCBOTTOM' if st else 'TCBOTTOM', '-1')
    tx = x0 + 10
    if tc not in (None, '-1'):
        cv.text(tx, y0 + th // 2 + 1, title, cint(tc), bold=True, size=11)
    cv.text(tx, y0 + th // 2, title, fc, bold=True, size=11)
    return x0 + 4, y0 + th, x1 - 4, y1 - 4


def render_mock(sv, desktop):
    W, H = 800, 470
    cv = Canvas(W, H, desktop)
    cx0, cy0, cx1, cy1 = window(cv, sv, 10, 10, 540, 460, 'Zandrel \u2014 Options')
    # menu line
    section(cv, sv, 'MENULINE', (cx0, cy0, cx1, cy0 + 19), 0)
    x = cx0 + 4
    for n, name in enumerate(('File', 'Edit', 'Contacts', 'Help')):
        w = 10 + 7 * len(name)
        st = 1 if n == 1 else 0
        if st:
            section(cv, sv, 'MENUITEM', (x, cy0 + 1, x + w, cy0 + 18), 1)
        cv.text(x + w // 2, cy0 + 10, name, fontcolor(sv, 'MENUITEM' if st else 'MENULINE', st), anchor='c')
        x += w
    y = cy0 + 19
    # tool bar with speed buttons
    section(cv, sv, 'BAR', (cx0, y, cx1, y + 30), 0)
    for n in range(4):
        r = (cx0 + 6 + n * 30, y + 3, cx0 + 6 + n * 30 + 26, y + 27)
        section(cv, sv, 'SPEEDBUTTON', r, (0, 1, 2, 0)[n])
        g = sv.mask('GLOBALINFO', ('RADIOCHECKED', 'BOXCHECKED', 'SMALLCHECKED', 'RADIOUNCHECKED')[n])
        fw, fh = glyph_size(g)
        draw_glyph(cv, g, (r[0] + r[2] - fw) // 2, (r[1] + r[3] - fh) // 2, 0)
    dv = sv.mask('DIVIDER', 'BORDERSMASK')
    draw_rect(cv, dv, (cx0 + 128, y + 5, cx0 + 131, y + 25), 0)
    r = (cx0 + 136, y + 3, cx0 + 200, y + 27)
    section(cv, sv, 'TOOLBUTTON', r, 1)
    cv.text(r[0] + 32, 15 + r[1], 'Search', fontcolor(sv, 'TOOLBUTTON', 1), anchor='c')
    y += 30
    # tab control
    tx0, ty0, tx1 = cx0 + 8, y + 8, cx0 + 310
    tabs = [('General', 0), ('Chats', 2), ('Skins', 0)]
    body_top = ty0 + 22
    section(cv, sv, 'PAGECONTROL', (tx0, body_top, tx1, body_top + 262), 0)
    x = tx0 + 2
    for name, st in tabs:
        w = 16 + 7 * len(name)
        r = (x - (2 if st else 0), ty0 - (2 if st else 0), x + w + (2 if st else 0), body_top + (2 if st else 0))
        section(cv, sv, 'TABTOP', r, st)
        cv.text((r[0] + r[2]) // 2, (ty0 + body_top) // 2, name, fontcolor(sv, 'TABTOP', st), anchor='c')
        x += w + 1
    bx, by = tx0 + 12, body_top + 12
    cv.text(bx, by + 8, 'Nickname', fontcolor(sv, 'CHECKBOX', 0))
    section(cv, sv, 'EDIT', (bx + 70, by, bx + 268, by + 21), 1)
    cv.text(bx + 76, by + 10, '\u0410\u043d\u043d\u0430 Zandrel', fontcolor(sv, 'EDIT', 1))
    by += 28
    cv.text(bx, by + 8, 'Language', fontcolor(sv, 'CHECKBOX', 0))
    section(cv, sv, 'COMBOBOX', (bx + 70, by, bx + 268, by + 21), 0)
    cb = (bx + 268 - 3 - 16, by + 3, bx + 268 - 3, by + 18)
    section(cv, sv, 'COMBOBTN', cb, 0)
    centred_glyph(cv, sv, 'COMBOBOX', 'GLYPHMASK', cb, 0)
    cv.text(bx + 76, by + 10, 'English', fontcolor(sv, 'COMBOBOX', 0))
    by += 32
    for n, (key, label, st) in enumerate((('BOXCHECKED', 'Show contacts offline', 0),
                                          ('BOXUNCHECKED', 'Play sounds', 1),
                                          ('BOXGRAYED', 'Auto away (some)', 0))):
        g = sv.mask('GLOBALINFO', key)
        draw_glyph(cv, g, bx, by + n * 22, st)
        cv.text(bx + 22, by + n * 22 + 8, label, fontcolor(sv, 'CHECKBOX', st))
    gx0, gy0 = bx, by + 72
    section(cv, sv, 'GROUPBOX', (gx0, gy0 + 7, gx0 + 268, gy0 + 72), 0)
    paint_fill(cv, sv, 'CHECKBOX', (gx0 + 8, gy0, gx0 + 78, gy0 + 14), 0)
    cv.text(gx0 + 12, gy0 + 7, 'Send with', fontcolor(sv, 'CHECKBOX', 0))
    for n, (key, label) in enumerate((('RADIOCHECKED', 'Enter'), ('RADIOUNCHECKED', 'Ctrl+Enter'))):
        draw_glyph(cv, sv.mask('GLOBALINFO', key), gx0 + 12, gy0 + 20 + n * 22, 0)
        cv.text(gx0 + 34, gy0 + 28 + n * 22, label, fontcolor(sv, 'RADIOBUTTON', 0))
    draw_glyph(cv, sv.mask('GLOBALINFO', 'RADIOGRAYED'), gx0 + 140, gy0 + 20, 0)
    cv.text(gx0 + 162, gy0 + 28, 'Undecided', fontcolor(sv, 'RADIOBUTTON', 0))
    # list with header and scroll bars
    lx0, ly0, lx1, ly1 = tx1 + 10, ty0, cx1 - 8, ty0 + 222
    section(cv, sv, 'EDIT', (lx0, ly0, lx1, ly1), 0)
    hx = lx0 + 2
    for n, (name, w) in enumerate((('Contact', 90), ('State', 70))):
        section(cv, sv, 'COLHEADER', (hx, ly0 + 2, hx + w, ly0 + 22), (0, 1)[n])
        cv.text(hx + 6, ly0 + 12, name, fontcolor(sv, 'COLHEADER', n))
        if n == 0:
            g = sv.mask('SCROLLBTNTOP', 'GLYPHMASK')
            draw_glyph(cv, g, hx + 60, ly0 + 8, 0)
        hx += w
    section(cv, sv, 'COLHEADER', (hx, ly0 + 2, lx1 - 2, ly0 + 22), 0)
    names = ['Ada', 'Boris', '\u0412\u0435\u0440\u0430', 'Dmitri', 'Eliska', 'Farid', 'Greta', 'Hugo']
    for n, name in enumerate(names):
        cv.text(lx0 + 8, ly0 + 34 + n * 18, name, fontcolor(sv, 'EDIT', 0))
    # vertical scroll bar
    sx0, sx1 = lx1 - 2 - 16, lx1 - 2
    sy0, sy1 = ly0 + 22, ly1 - 2 - 16
    section(cv, sv, 'SCROLLBAR1V', (sx0, sy0 + 16, sx1, sy0 + 70), 0)
    section(cv, sv, 'SCROLLBAR2V', (sx0, sy0 + 70, sx1, sy1 - 16), 0)
    for sec, r, st in (('SCROLLBTNTOP', (sx0, sy0, sx1, sy0 + 16), 0),
                       ('SCROLLBTNBOTTOM', (sx0, sy1 - 16, sx1, sy1), 1)):
        section(cv, sv, sec, r, st)
        centred_glyph(cv, sv, sec, 'GLYPHMASK', r, st)
    r = (sx0, sy0 + 40, sx1, sy0 + 100)
    section(cv, sv, 'SCROLLSLIDERV', r, 1)
    centred_glyph(cv, sv, 'SCROLLSLIDERV', 'GLYPHMASK', r, 1)
    # horizontal bar and corner
    hy0, hy1 = ly1 - 2 - 16, ly1 - 2
    section(cv, sv, 'SCROLLBAR1H', (lx0 + 2 + 16, hy0, lx0 + 90, hy1), 0)
    section(cv, sv, 'SCROLLBAR2H', (lx0 + 90, hy0, sx0 - 16, hy1), 2)
    for sec, rr in (('SCROLLBTNLEFT', (lx0 + 2, hy0, lx0 + 18, hy1)), ('SCROLLBTNRIGHT', (sx0 - 16, hy0, sx0, hy1))):
        section(cv, sv, sec, rr, 0)
        centred_glyph(cv, sv, sec, 'GLYPHMASK', rr, 0)
    r = (lx0 + 30, hy0, lx0 + 80, hy1)
    section(cv, sv, 'SCROLLSLIDERH', r, 0)
    centred_glyph(cv, sv, 'SCROLLSLIDERH', 'GLYPHMASK', r, 0)
    cv.fill(sx0, hy0, sx1, hy1, cint(sv.key('GLOBALINFO', 'HOTCOLOR')))
    # progress
    py0 = ly1 + 14
    gr = (lx0, py0, lx1, py0 + 16)
    section(cv, sv, 'GAUGE', gr, 0)
    x = gr[0] + 2
    t = 16 - 4
    c = int(round(0.66 * t)) - 2
    c = max(c, 10)
    while x + c < gr[0] + (gr[2] - gr[0]) * 0.65:
        section(cv, sv, 'PROGRESSH', (x, gr[1] + 2, x + c * 2, gr[3] - 2), 0)
        x += c * 2 + 2
    # buttons
    by = body_top + 300
    for n, (label, st) in enumerate((('OK', 1), ('Cancel', 0), ('Apply', 2))):
        r = (cx1 - 8 - (3 - n) * 84, by, cx1 - 8 - (3 - n) * 84 + 78, by + 25)
        section(cv, sv, 'BUTTON', r, st)
        cv.text((r[0] + r[2]) // 2 + (1 if st == 2 else 0), (r[1] + r[3]) // 2 + (1 if st == 2 else 0),
                label, fontcolor(sv, 'BUTTON', st), anchor='c')
    # web button
    cv.text(cx0 + 12, by + 12, 'zandrel.example/help', fontcolor(sv, 'WEBBUTTON', 0))
    # status bar
    sy = cy1 - 22
    section(cv, sv, 'STATUSBAR', (cx0, sy, cx1, cy1), 0)
    x = cx0
    pm = sv.mask('STATUSBAR', 'STATUSPANELMASK')
    for n, (label, w) in enumerate((('Online', 120), ('3 chats open', 140), ('', cx1 - cx0 - 260))):
        draw_rect(cv, pm, (x + 1, sy + 1, x + w - 1, cy1 - 1), 0)
        if label:
            cv.text(x + 8, sy + 12, label, fontcolor(sv, 'STATUSBAR', 0))
        x += w
    g = sv.mask('GLOBALINFO', 'GRIPIMAGE')
    fw, fh = glyph_size(g)
    draw_glyph(cv, g, cx1 - fw - 1, cy1 - fh - 1, 0)

    # popup menu
    mx0, my0, mx1 = 560, 40, 780
    items = [('Open chat', 0, 'Ctrl+O'), ('Send file', 1, 'Ctrl+F'), ('-', 0, ''),
             ('-Status-', 0, ''), ('Online', 2, ''), ('Invisible', 0, ''), ('-', 0, ''), ('Quit', 0, 'Alt+F4')]
    heights = [2 if t == '-' else 22 for t, _, _ in items]
    my1 = my0 + sum(heights) + 6
    section(cv, sv, 'MAINMENU', (mx0, my0, mx1, my1), 0)
    section(cv, sv, 'ICOLINE', (mx0 + 3, my0 + 3, mx0 + 3 + 28, my1 - 3), 0)
    y = my0 + 3
    for (label, st, sc), h in zip(items, heights):
        r = (mx0 + 3, y, mx1 - 3, y + h)
        if label == '-':
            draw_rect(cv, sv.mask('DIVIDERV', 'BORDERSMASK'), (mx0 + 3 + 30, y, mx1 - 9, y + 2), 0)
        elif label.startswith('-'):
            section(cv, sv, 'TOOLBAR', r, 0)
            cv.text((r[0] + r[2]) // 2, y + 11, label.strip('-'), fontcolor(sv, 'TOOLBAR', 0), bold=True, anchor='c')
        else:
            if st == 1:
                section(cv, sv, 'MENUITEM', r, 1)
            if st == 2:
                g = sv.mask('GLOBALINFO', 'CHECK')
                draw_glyph(cv, g, mx0 + 3 + 6, y + 3, 0)
            cv.text(mx0 + 40, y + 11, label, fontcolor(sv, 'MENUITEM', st == 1))
            if sc:
                cv.text(mx1 - 14, y + 11, sc, fontcolor(sv, 'MENUITEM', st == 1), anchor='e')
        y += h

    # inactive dialog
    dx0, dy0, dx1, dy1 = 560, 270, 780, 430
    cx0, cy0, cx1, cy1 = window(cv, sv, dx0, dy0, dx1, dy1, 'Confirm', active=False, dialog=True)
    section(cv, sv, 'BARTITLE', (cx0 + 8, cy0 + 8, cx1 - 8, cy0 + 30), 0)
    cv.text(cx0 + 16, cy0 + 19, 'Leave the chat?', fontcolor(sv, 'BARTITLE', 0), bold=True)
    section(cv, sv, 'PANEL_LOW', (cx0 + 8, cy0 + 38, cx1 - 8, cy0 + 78), 0)
    cv.text(cx0 + 16, cy0 + 58, 'History is kept.', fontcolor(sv, 'PANEL_LOW', 0))
    for n, (label, st) in enumerate((('Leave', 0), ('Stay', 1))):
        r = (cx1 - 8 - (2 - n) * 72, cy1 - 32, cx1 - 8 - (2 - n) * 72 + 66, cy1 - 8)
        section(cv, sv, 'BUTTON', r, st)
        cv.text((r[0] + r[2]) // 2, (r[1] + r[3]) // 2, label, fontcolor(sv, 'BUTTON', st), anchor='c')
    return cv


def annotate(cv, bmp_path, png_path):
    args = ['convert', bmp_path]
    for x, y, s, color, bold, size, anchor in cv.texts:
        gravity = 'NorthWest'
        # -annotate places the baseline; approximate centring by the text width
        width = int(len(s) * size * 0.58)
        ax = x - width // 2 if anchor == 'c' else x - width if anchor == 'e' else x
        args += ['-font', FONT_BOLD if bold else FONT, '-pointsize', str(size * 0.75 * 96 / 72),
                 '-fill', '#%02X%02X%02X' % color, '-gravity', gravity,
                 '-annotate', '+%d+%d' % (ax, y - int(size * 0.62)), s]
    args.append(png_path)
    subprocess.run(args, check=True)


def render(folder, out_dir, texture_rows):
    if not shutil.which('convert'):
        print('note: previews need ImageMagick "convert"')
        return []
    os.makedirs(out_dir, exist_ok=True)
    sv = SkinView(folder, texture_rows)
    name = os.path.basename(os.path.normpath(folder))
    dark = name.endswith('Dusk')
    cv = render_mock(sv, (14, 15, 18) if dark else (108, 118, 129))
    bmp = os.path.join(out_dir, name + '-mock.bmp')
    with open(bmp, 'wb') as f:
        f.write(bmp_bytes(cv.w, cv.h, cv.px))
    png = os.path.join(out_dir, name + '-mock.png')
    annotate(cv, bmp, png)
    os.remove(bmp)
    master = os.path.join(out_dir, name + '-master.png')
    subprocess.run(['convert', os.path.join(folder, 'MASTER.BMP'), '-scale', '300%', master], check=True)
    return [png, master]
