"""Reading and writing the pieces of a folder skin: 24-bit BMP files, the
option text "Options.dat" and the image values it holds.

The value parser follows the rules the skin loader applies (fixed columns for
"~", "@", "^"; words for "!" and "#"; bare ".BMP" names; JPEG textures), so the
generator, the checker and the preview all read the skin the way the program
will.  Standard library only.
"""

import struct

KEY = (255, 0, 255)          # the transparent key colour of every skin image
WHITE = (255, 255, 255)

# Image types of the loader, by ordinal.
IT_BORDER, IT_TEXTURE, IT_GLYPH = 0, 1, 2


def color_int(rgb):
    """An (r, g, b) triple as the option text writes colours: 0x00BBGGRR."""
    r, g, b = rgb
    return r | (g << 8) | (b << 16)


def hex_rgb(text):
    """'#RRGGBB' to an (r, g, b) triple."""
    text = text.lstrip('#')
    return (int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16))


# ---------------------------------------------------------------- BMP files

def bmp_bytes(width, height, rows):
    """A bottom-up 24-bit BMP of `rows` (top row first, each a list of
    (r, g, b)).  No resolution, no palette: the same pixels always give the
    same bytes."""
    stride = (width * 3 + 3) & ~3
    pad = b'\0' * (stride - width * 3)
    body = bytearray()
    for row in reversed(rows):
        assert len(row) == width
        for r, g, b in row:
            body += bytes((b, g, r))
        body += pad
    header = struct.pack('<2sIHHI', b'BM', 54 + len(body), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(body),
                       2835, 2835, 0, 0)
    return header + info + bytes(body)


class BmpError(ValueError):
    pass


def read_bmp(data):
    """Parses a 24-bit uncompressed BMP; returns (width, height, rows) with the
    top row first.  Anything else raises BmpError."""
    if len(data) < 54 or data[:2] != b'BM':
        raise BmpError('not a BMP file')
    offset = struct.unpack_from('<I', data, 10)[0]
    size, width, height, planes, bits, comp = struct.unpack_from('<IiiHHI', data, 14)
    if size < 40:
        raise BmpError('old-style BMP header')
    if planes != 1 or bits != 24 or comp != 0:
        raise BmpError('not a 24-bit uncompressed BMP (bits %d, compression %d)' % (bits, comp))
    if width <= 0 or height == 0:
        raise BmpError('empty BMP')
    bottom_up = height > 0
    height = abs(height)
    stride = (width * 3 + 3) & ~3
    if offset + stride * height > len(data):
        raise BmpError('BMP pixel data is truncated')
    rows = []
    for y in range(height):
        src = offset + stride * (height - 1 - y if bottom_up else y)
        line = data[src:src + width * 3]
        rows.append([(line[i + 2], line[i + 1], line[i]) for i in range(0, width * 3, 3)])
    return width, height, rows


# ------------------------------------------------------------- option text

def parse_options(text):
    """The option text as the program's in-memory INI object sees it: a list of
    (section, [(key, value), ...]) in file order.  Lines starting with ';' and
    empty lines are skipped, key lines before the first section are dropped."""
    sections = []
    current = None
    for raw in text.splitlines():
        line = raw.strip()
        if not line or line.startswith(';'):
            continue
        if line.startswith('[') and line.endswith(']'):
            current = (line[1:-1], [])
            sections.append(current)
        elif current is not None and '=' in line:
            key, value = line.split('=', 1)
            current[1].append((key.strip(), value.strip()))
    return sections


def format_options(sections, header_lines=()):
    """Writes (section, [(key, value)]) pairs as INI text with CR LF line ends,
    as the program's ANSI text files have them."""
    out = [';' + line if line else ';' for line in header_lines]
    if out:
        out.append('')
    for name, pairs in sections:
        out.append('[%s]' % name)
        for key, value in pairs:
            out.append('%s=%s' % (key, value))
        out.append('')
    return '\r\n'.join(out) + '\r\n'


# -------------------------------------------------------- image value forms

class ValueError_(ValueError):
    pass


def _num(text, what):
    text = text.strip()
    if not text or not (text.isdigit() or (text[0] == '-' and text[1:].isdigit())):
        raise ValueError_('%s is not a number: %r' % (what, text))
    return int(text)


def _cols(value, first, last, what):
    """1-based inclusive character columns of a fixed-column value."""
    if len(value) < last:
        raise ValueError_('value too short for %s (columns %d-%d)' % (what, first, last))
    return _num(value[first - 1:last], what)


def _words(text, delims):
    words, cur = [], ''
    for ch in text:
        if ch in delims:
            if cur:
                words.append(cur)
            cur = ''
        else:
            cur += ch
    if cur:
        words.append(cur)
    return words


def parse_image_value(section, key, value):
    """Interprets one option value the way the loader's image reader does.

    Returns None for values that are no image (colours, numbers, texts), or a
    dict: form ('~', '@', '^', '!', '#', 'bmp', 'jpeg'), file (own file name or
    None for a master rectangle), rect (L, T, R, B) or None for a whole file,
    count, masktype, imgtype, drawmode, borderwidth, margins (WL, WT, WR, WB).
    Malformed values raise ValueError_."""
    if not value:
        return None
    if section == 'GLOBALINFO' and key == 'MASTERBITMAP':
        return None
    head = value[0]
    rec = dict(form=head, file=None, rect=None, count=1, masktype=0,
               imgtype=IT_BORDER, drawmode=0, borderwidth=0, margins=(0, 0, 0, 0))
    if head in '~@^':
        rect = tuple(_cols(value, a, b, n) for a, b, n in
                     ((2, 5, 'Left'), (7, 10, 'Top'), (12, 15, 'Right'), (17, 20, 'Bottom')))
        rec['rect'] = rect
        if head == '~':
            rec.update(imgtype=IT_TEXTURE, count=1, drawmode=_cols(value, 22, 23, 'DrawMode'),
                       masktype=_cols(value, 25, 25, 'MaskType') if len(value) >= 25 else 0)
        elif head == '@':
            rec.update(imgtype=IT_GLYPH, count=_cols(value, 22, 22, 'ImageCount'),
                       masktype=_cols(value, 24, 24, 'MaskType'))
        else:
            rec.update(imgtype=IT_BORDER,
                       margins=tuple(_cols(value, a, a + 3, n) for a, n in
                                     ((22, 'WL'), (27, 'WT'), (32, 'WR'), (37, 'WB'))),
                       count=_cols(value, 42, 42, 'ImageCount'),
                       masktype=_cols(value, 44, 44, 'MaskType'),
                       drawmode=_cols(value, 46, 46, 'DrawMode'),
                       borderwidth=_cols(value, 48, 48, 'BorderWidth'))
    elif head == '!':
        words = _words(value, '!')
        if len(words) < 8:
            raise ValueError_('"!" value needs 8 words, has %d' % len(words))
        if '.BMP' not in words[0]:
            raise ValueError_('"!" file name must contain ".BMP" in capitals')
        rec.update(file=words[0], count=_num(words[1], 'ImageCount'),
                   masktype=_num(words[2], 'MaskType'), imgtype=_num(words[3], 'ImgType'),
                   margins=tuple(_num(w, 'margin') for w in words[4:8]))
    elif '#' in value and value != '#':
        words = _words(value, ' ()')
        if len(words) < 2:
            raise ValueError_('"#" value has no rectangle word')
        rect = [_num(w, 'rectangle') for w in _words(words[1], ' ,')]
        if len(rect) != 4:
            raise ValueError_('"#" rectangle needs four numbers')
        extra = [_num(w, 'count') for w in _words(words[2], ' ,')] if len(words) > 2 else []
        texture = key in ('PATTERN', 'HOTPATTERN')
        rec.update(form='#', rect=tuple(rect),
                   count=extra[0] if len(extra) > 0 else 1,
                   masktype=extra[1] if len(extra) > 1 else 0,
                   borderwidth=extra[2] if len(extra) > 2 else 0,
                   imgtype=IT_TEXTURE if texture else IT_BORDER,
                   drawmode=0 if texture else (extra[3] if len(extra) > 3 else 1))
    else:
        ext = value[value.rfind('.'):].upper() if '.' in value else ''
        if ext == '.BMP':
            rec.update(form='bmp', file=value, count=3, masktype=1, imgtype=IT_BORDER)
        elif '.JPG' in ext or '.JPEG' in ext:
            rec.update(form='jpeg', file=value, count=1, masktype=0, imgtype=IT_TEXTURE)
        else:
            return None
    if rec['imgtype'] == IT_BORDER and rec['margins'] == (0, 0, 0, 0) and rec['rect'] is not None:
        bw = rec['borderwidth']
        if bw:
            rec['margins'] = (bw, bw, bw, bw)
        else:
            L, T, R, B = rec['rect']
            mx = (R - L) // (max(rec['count'], 1) * 3)
            my = (B - T) // ((rec['masktype'] + 1) * 3)
            rec['margins'] = (mx, my, mx, my)
    return rec
