#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz driver into tests/data/fuzz/<target>/ and its fixture
skin into tests/data/fuzz/fixture-skin/.

    python3 fuzz/make_corpus.py

Every seed is made here from our own skins, our own fixtures or bytes written out below;
the JPEG seeds come from ImageMagick's `convert`.  The form-data seed with a skin manager
is written by the program that writes the gallery's form data, under Wine:

    wine build/builtinskin.exe tests\\data\\fuzz\\fixture-skin Fixture \\
         tests\\data\\fuzz\\form-data\\skin-manager.form

Seeds stay small: every damaged input the driver makes is a copy of one with a few changes.
"""

import os
import shutil
import struct
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, 'tools', 'qszpack'))
import qszpack  # noqa: E402

DATA = os.path.join(ROOT, 'tests', 'data')
FUZZ = os.path.join(DATA, 'fuzz')
SKIN = os.path.join(FUZZ, 'fixture-skin')


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


def seed(target, name, data):
    write(os.path.join(FUZZ, target, name), data)


# ---------------------------------------------------------------------------------------
# Bitmap files

def row_bytes(width, bpp):
    return (width * bpp + 31) // 32 * 4


def pack_row(values, bpp):
    """Pixel values of one row as the file holds them, padded to four bytes."""
    out = bytearray()
    if bpp in (1, 4, 8):
        per = 8 // bpp
        for i in range(0, len(values), per):
            b = 0
            for k in range(per):
                v = values[i + k] if i + k < len(values) else 0
                b |= v << (8 - bpp * (k + 1))
            out.append(b)
    elif bpp == 16:
        for v in values:
            out += struct.pack('<H', v)
    elif bpp == 24:
        for v in values:
            out += bytes((v & 255, (v >> 8) & 255, (v >> 16) & 255))
    else:
        for v in values:
            out += struct.pack('<I', v)
    while len(out) % 4:
        out.append(0)
    return bytes(out)


def bmp(width, height, bpp, pixel, palette=(), header=40, compression=0, top_down=False,
        masks=None, rle=None, clr_used=0, trim_palette=False):
    """A bitmap file; pixel(x, y) is the stored value, y counted from the top."""
    rows = [pack_row([pixel(x, y) for x in range(width)], bpp) for y in range(height)]
    if not top_down:
        rows.reverse()
    bits = rle if rle is not None else b''.join(rows)
    pal = b''
    for (r, g, b_) in palette:
        pal += bytes((b_, g, r)) if header == 12 else bytes((b_, g, r, 0))
    if header == 12:
        info = struct.pack('<IHHHH', 12, width, height, 1, bpp)
    else:
        info = struct.pack('<IiiHHIIiiII', header, width, -height if top_down else height, 1, bpp,
                           compression, len(bits), 2835, 2835, clr_used, 0)
        extra = b''
        if masks and header >= 52:
            extra = struct.pack('<III', *masks)
            if header >= 56:
                extra += struct.pack('<I', 0)
        info += extra
        info += b'\0' * (header - len(info))
    if masks and header == 40:
        pal = struct.pack('<III', *masks) + pal
    off = 14 + len(info) + len(pal)
    return b'BM' + struct.pack('<IHHI', off + len(bits), 0, 0, off) + info + pal + bits


def grey_palette(n):
    return [(i * 255 // max(n - 1, 1),) * 3 for i in range(n)]


def rle8(width, height, pixel):
    """Run-length rows (bottom-up) with a delta and an absolute run, then the end."""
    out = bytearray()
    for y in range(height - 1, -1, -1):
        row = [pixel(x, y) for x in range(width)]
        if y == height - 2:
            out += bytes((0, 2, 1, 0))         # a delta of one pixel
            row = row[1:]
        if y == 1 and len(row) >= 3:
            out += bytes((0, 3)) + bytes(row[:3]) + b'\0'   # absolute: three pixels, padded
            row = row[3:]
        x = 0
        while x < len(row):
            n = 1
            while x + n < len(row) and row[x + n] == row[x] and n < 255:
                n += 1
            out += bytes((n, row[x]))
            x += n
        out += bytes((0, 0))
    return bytes(out + bytes((0, 1)))


def rle4(width, height):
    out = bytearray()
    for y in range(height):
        out += bytes((width, 0x12)) + bytes((0, 0))
    return bytes(out + bytes((0, 1)))


def bitmaps():
    w, h = 7, 5
    checker = lambda x, y: (x + y) & 1
    idx16 = lambda x, y: (x * 3 + y) % 16
    idx256 = lambda x, y: (x * 37 + y * 11) % 256
    rgb = lambda x, y: ((x * 40) << 16) | ((y * 50) << 8) | (x * y * 9 & 255)
    seeds = {
        '1bit.bmp': bmp(w, h, 1, checker, [(0, 0, 0), (255, 255, 255)]),
        '4bit.bmp': bmp(w, h, 4, idx16, grey_palette(16)),
        '8bit.bmp': bmp(w, h, 8, idx256, grey_palette(256)),
        '8bit-short-palette.bmp': bmp(w, h, 8, lambda x, y: (x + y) % 6, grey_palette(6), clr_used=6),
        '8bit-core-header.bmp': bmp(w, h, 8, lambda x, y: (x + y) % 4, grey_palette(4), header=12),
        'rle8.bmp': bmp(w, h, 8, lambda x, y: (x // 2 + y) % 5, grey_palette(5), compression=1, clr_used=5,
                        rle=rle8(w, h, lambda x, y: (x // 2 + y) % 5)),
        'rle4.bmp': bmp(6, 3, 4, lambda x, y: 0, grey_palette(3), compression=2, clr_used=3, rle=rle4(6, 3)),
        '16bit-555.bmp': bmp(w, h, 16, lambda x, y: (x << 10) | (y << 5) | (x ^ y)),
        '16bit-565-bitfields.bmp': bmp(w, h, 16, lambda x, y: (x << 11) | (y << 6) | x, compression=3,
                                       masks=(0xF800, 0x07E0, 0x001F)),
        '24bit.bmp': bmp(w, h, 24, rgb),
        '24bit-top-down.bmp': bmp(w, h, 24, rgb, top_down=True),
        '32bit.bmp': bmp(w, h, 32, rgb),
        '32bit-bitfields-v4.bmp': bmp(w, h, 32, lambda x, y: rgb(x, y) << 8, header=108, compression=3,
                                      masks=(0xFF000000, 0x00FF0000, 0x0000FF00)),
        '24bit-v5.bmp': bmp(3, 2, 24, rgb, header=124),
    }
    for name, data in seeds.items():
        seed('bmp', name, data)
    shutil.copy(os.path.join(DATA, 'tiny.bmp'), os.path.join(FUZZ, 'bmp', 'tiny.bmp'))


# ---------------------------------------------------------------------------------------
# The fixture skin: every picture form of an option text, over small pictures

OPTIONS = """\
; The fuzz driver's fixture skin: every form of picture over small pictures.
[GLOBALINFO]
VERSION=1.5
AUTHOR=Zandrel developers
DESCRIPTION=Fixture skin of the fuzz driver
MASTERBITMAP=MASTER.BMP
SHADOW1COLOR=0
SHADOW1OFFSET=2
SHADOW1BLUR=3
BISPACE=2
BORDERCOLOR=12300455
CHECK=@0000,0000,0024,0008,3,1
BICONCLOSE=@0024,0000,0048,0008,4,0
GRIPIMAGE=!GRIP.BMP!3!1!2!0!0!0!0
TITLEBUTTON=0,8,24,16#3,1,0

[FORM]
COLOR=16250099
FONTCOLOR=2695967
HOTFONTCOLOR=255
TCLEFT=1
TCTOP=-1
IMAGEPERCENT=55
HOTIMAGEPERCENT=40
BORDERSMASK=^0000,0016,0024,0028,0004,0004,0004,0004,2,1,0,0
PATTERN=TEXTURE.JPG
HOTPATTERN=TEXTURE.JPG

[DIALOG]
PARENTCLASS=FORM

[BUTTON]
COLOR=16184305
HOTCOLOR=15921636
GRADIENTPERCENT=100
GRADIENTDATA=16777215;16184305;100;0;0
HOTGRADIENTPERCENT=60
HOTGRADIENTDATA=16514038;15921636;40;1;0;15921636;12632256;60;1;0
BORDERSMASK=^0024,0016,0060,0028,0003,0003,0003,0003,3,1,0,0
FADINGENABLED=TRUE
FADINGITERATIONS=6

[EDIT]
COLOR=16777215
TRANSPARENCY=20
HOTTRANSPARENCY=60
BORDERSMASK=!SPEEDBTN.BMP!3!1!0!3!3!3!3
GRADIENTPERCENT=50
GRADIENTDATA=16777215;0;50;2;0;0;255;50;2;0

[PANEL]
COLOR=15790320
BEVEL=1
HOTBEVEL=2
PATTERN=~0000,0028,0016,0044,00,0
SHOWFOCUS=TRUE

[PANEL_LOW]
PARENTCLASS=PANEL
COLOR=-1
BEVEL=2

[CHECKBOX]
PARENTCLASS=BUTTON
BORDERSMASK=0,28,30,40#3,1,2,1
HOTPATTERN=~0016,0028,0032,0044,10,1

[TABTOP]
COLOR=14737632
TRANSPARENCY=50
BORDERSMASK=^0030,0028,0060,0046,0002,0002,0002,0002,3,1,1,2
"""


def fixture_skin():
    os.makedirs(SKIN, exist_ok=True)
    write(os.path.join(SKIN, 'Options.dat'), OPTIONS.replace('\n', '\r\n').encode('cp1251'))
    magenta = 0xFF00FF
    master = lambda x, y: magenta if (x + y) % 11 == 0 else ((x * 4) << 16) | ((y * 5) << 8) | 0x60
    write(os.path.join(SKIN, 'MASTER.BMP'), bmp(64, 48, 24, master))
    write(os.path.join(SKIN, 'GRIP.BMP'), bmp(12, 8, 8, lambda x, y: (x // 4 + y) % 4,
                                              [(255, 0, 255), (40, 40, 40), (120, 120, 120), (230, 230, 230)]))
    write(os.path.join(SKIN, 'SPEEDBTN.BMP'), bmp(18, 12, 24, lambda x, y: 0x203040 * (1 + (x // 6)) & 0xFFFFFF))
    shutil.copy(os.path.join(DATA, 'tiny.jpg'), os.path.join(SKIN, 'TEXTURE.JPG'))


def packed_skins():
    out = os.path.join(FUZZ, 'packed-skin')
    os.makedirs(out, exist_ok=True)
    qszpack.pack_folder(SKIN, os.path.join(out, 'fixture.qsz'))
    qszpack.pack_folder(SKIN, os.path.join(out, 'fixture-options-last-lower.qsz'), options_last=True,
                        name_case='lower', level=1)
    qszpack.pack_folder(SKIN, os.path.join(out, 'fixture-no-options.qsz'), exclude=['Options.dat'])
    shutil.copy(os.path.join(ROOT, 'resources', 'skins-packed', 'ZandrelDusk.qsz'), os.path.join(out, 'ZandrelDusk.qsz'))


def option_texts():
    shutil.copy(os.path.join(SKIN, 'Options.dat'), os.path.join(FUZZ, 'option-text', 'fixture.dat'))
    # Our light skin's text, whose pictures lie outside the fixture's small master bitmap.
    shutil.copy(os.path.join(ROOT, 'resources', 'skins', 'ZandrelDawn', 'Options.dat'),
                os.path.join(FUZZ, 'option-text', 'ZandrelDawn.dat'))


# ---------------------------------------------------------------------------------------
# JPEG pictures

def jpegs():
    out = os.path.join(FUZZ, 'jpeg')
    os.makedirs(out, exist_ok=True)
    for name in ('tiny.jpg', 'tiny-progressive.jpg'):
        shutil.copy(os.path.join(DATA, name), os.path.join(out, name))
    shutil.copy(os.path.join(ROOT, 'resources', 'skins', 'ZandrelDusk', 'TEXTURE.JPG'), os.path.join(out, 'dusk-texture.jpg'))
    base = ['-size', '24x16', 'gradient:red-blue']
    made = {
        'grey.jpg': ['-colorspace', 'Gray', '-quality', '80'],
        'subsampled-420-restarts.jpg': ['-sampling-factor', '2x2', '-define', 'jpeg:restart-interval=1', '-quality', '70'],
        'cmyk.jpg': ['-colorspace', 'CMYK', '-quality', '75'],
        'progressive-444.jpg': ['-sampling-factor', '1x1', '-interlace', 'Plane', '-quality', '90'],
    }
    for name, args in made.items():
        subprocess.run(['convert'] + base + args + ['-strip', os.path.join(out, name)], check=True)


# ---------------------------------------------------------------------------------------
# Texts

def texts():
    for name, text in {
        'one-step.txt': '16777215;16184305;100;0;0',
        'two-steps-horizontal.txt': '16514038;15921636;40;1;0;15921636;12632256;60;1;0',
        'triangles.txt': '255;65280;30;2;0;65280;16711680;70;2;0',
        'blanks-and-leftover.txt': ' 1 ; 2 ; 50 ; 0 ; 0 ; 3;4;50;0;0;7',
        'zero.txt': '0;0;0;0;0',
    }.items():
        seed('gradient', name, text.encode('ascii'))

    for name, text in {
        'plain.txt': 'Hi Mom -+Jjo--!',
        'japanese.txt': '+ZeVnLIqe-',
        'math.txt': 'A+ImIDkQ.',
        'pound.txt': 'Item 3 is +AKM-1.',
        'cyrillic.txt': '+BB8EQAQ4BDIENQRC-, +BDwEOARA-!',
        'plus.txt': '1 +- 1 +AD0- 2',
        'surrogates.txt': '+2D3eAA- and +2DTdHg-',
        'set-o.txt': '~!@#$%^&*()_+{}|:"<>?',
        'open-at-end.txt': 'abc+AGEAYgBj',
        'invalid-bits.txt': '+A-',
    }.items():
        seed('utf7', name, text.encode('ascii'))
    seed('utf7', 'high-byte.txt', b'caf\xe9')

    for name, data in {
        'cyrillic.txt': 'Привет, мир'.encode('utf-8'),
        'japanese.txt': '日本語のテキスト'.encode('utf-8'),
        'astral.txt': 'emoji 😀 and 𝄞'.encode('utf-8'),
        'bom.txt': b'\xef\xbb\xbf' + 'Ωμέγα'.encode('utf-8'),
        'overlong-and-surrogate.txt': b'a\xc0\x80b\xed\xa0\x80c\xe0\x80\xafd',
        'cut-short.txt': b'x\xe6\x97',
        'beyond-unicode.txt': b'\xf4\x90\x80\x80\xf8\x88\x80\x80\x80',
    }.items():
        seed('utf8', name, data)

    lines = 'Привет\r\nмир\n\nпоследняя'
    for name, data in {
        'ansi-1251.txt': lines.encode('cp1251'),
        'utf8-bom.txt': b'\xef\xbb\xbf' + 'строка 1\nstroka 2\r\n日本\r'.encode('utf-8'),
        'utf16le-bom.txt': b'\xff\xfe' + 'Ωμέγα\r\nline\u2028sep\n\r\nend'.encode('utf-16-le'),
        'utf16be-bom.txt': b'\xfe\xff' + 'Ωμέγα\r\n日本\rend'.encode('utf-16-be'),
        'utf16-odd-length.txt': b'\xff\xfe' + 'ab\r\n'.encode('utf-16-le') + b'c',
        'nul-bytes.txt': b'a\0b\0\r\0\n\0',
        'mixed-breaks.txt': b'a\rb\nc\r\nd\n\re\r\r\n',
    }.items():
        seed('text-file', name, data)

    seed('ini', 'plain.ini', (
        '[Main]\r\nName=Value\r\nCount=42\r\nHex=$1F\r\nFlag=1\r\n; comment\r\n\r\n'
        '[Other Section]\r\nKey = spaced value \r\nEmpty=\r\n=novalue\r\nnokey\r\n'
        '[Main]\r\nAgain=2\r\nCount=43\r\n  [Indented]  \r\nx=1\r\n').encode('cp1251'))
    shutil.copy(os.path.join(SKIN, 'Options.dat'), os.path.join(FUZZ, 'ini', 'fixture-options.ini'))


def forms():
    shutil.copy(os.path.join(DATA, 'TUcResForm.form'), os.path.join(FUZZ, 'form-data', 'TUcResForm.form'))


def main():
    for target in ('bmp', 'jpeg', 'packed-skin', 'option-text', 'gradient', 'utf7', 'utf8', 'text-file', 'ini',
                   'form-data'):
        os.makedirs(os.path.join(FUZZ, target), exist_ok=True)
    bitmaps()
    fixture_skin()
    packed_skins()
    option_texts()
    jpegs()
    texts()
    forms()


if __name__ == '__main__':
    main()
