#!/usr/bin/env python3
"""Checks our skins under resources/skins/ and their packed copies under
resources/skins-packed/.

For each skin: every name of NAMES.md is there; every image value parses the
way the loader reads it, points into a valid 24-bit BMP (or a JPEG), lies
inside it and divides into whole frames; own bitmaps have three frames over a
mask half; nine-piece margins leave a centre; texts and numbers are not
mistaken for images; PARENTCLASS chains end; the packed copy unpacks to exactly
the folder's files.  With --regen the generator runs again into a temporary
folder and the result must be byte-identical.

    python3 tools/skingen/check.py [--regen] [--packed DIR] [SKINDIR]
"""

import argparse
import filecmp
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, '..', '..'))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(REPO, 'tools', 'qszpack'))

from skinfile import (BmpError, ValueError_, parse_image_value, parse_options,  # noqa: E402
                      read_bmp)
import qszpack  # noqa: E402

SKINS = ('ZandrelDawn', 'ZandrelDusk')
SIZE_BUDGET = 1 << 20

# keys whose values are never images, with the kind of value they hold
RECORD_KEYS = {
    'PARENTCLASS': 'name', 'COLOR': 'int', 'BEVEL': 'bevel', 'FONTCOLOR': 'int',
    'TCLEFT': 'int', 'TCTOP': 'int', 'TCRIGHT': 'int', 'TCBOTTOM': 'int', 'HOTFONTCOLOR': 'int',
    'HOTTCLEFT': 'int', 'HOTTCTOP': 'int', 'HOTTCRIGHT': 'int', 'HOTTCBOTTOM': 'int',
    'RESERVEDBOOLEAN': 'bool', 'SHADOWBLUR': 'int', 'SHADOWCOLOR': 'int', 'SHADOWENABLED': 'bool',
    'SHADOWOFFSET': 'int', 'SHADOWTRANSPARENCY': 'pct', 'TRANSPARENCY': 'pct',
    'GRADIENTPERCENT': 'pct', 'GRADIENTDATA': 'grad', 'IMAGEPERCENT': 'pct', 'SHOWFOCUS': 'bool',
    'FADINGENABLED': 'bool', 'FADINGINTERVALIN': 'int', 'FADINGINTERVALOUT': 'int',
    'FADINGITERATIONS': 'int', 'HOTCOLOR': 'int', 'HOTTRANSPARENCY': 'pct', 'HOTBEVEL': 'bevel',
    'HOTGRADIENTPERCENT': 'pct', 'HOTGRADIENTDATA': 'grad', 'HOTIMAGEPERCENT': 'pct',
    'BORDERCOLOR1': 'int', 'BORDERCOLOR2': 'int',
}
GLOBAL_KEYS = {
    'VERSION': 'version', 'AUTHOR': 'text', 'DESCRIPTION': 'text', 'MASTERBITMAP': 'file',
    'SHADOW1COLOR': 'int', 'SHADOW1OFFSET': 'int', 'SHADOW1BLUR': 'int',
    'SHADOW1TRANSPARENCY': 'int', 'BISPACE': 'int', 'BORDERCOLOR': 'int',
}


class Checker:
    def __init__(self):
        self.errors = []

    def fail(self, where, msg):
        self.errors.append('%s: %s' % (where, msg))


def read_names():
    """Rows of NAMES.md: (name, kind, [sections] or None for any/-)."""
    rows = []
    with open(os.path.join(HERE, 'NAMES.md'), encoding='utf-8') as f:
        for line in f:
            m = re.match(r'\|\s*`([^`]+)`\s*\|\s*(section|key|image|file)\s*\|\s*([^|]*)\|', line)
            if m:
                where = m.group(3).strip()
                secs = None if where in ('-', 'any') else [s.strip() for s in where.split(',')]
                rows.append((m.group(1), m.group(2), secs))
    return rows


def check_plain(ck, where, kind, value, sections):
    def is_int(v):
        return re.fullmatch(r'-?\d+', v) is not None
    if kind in ('int', 'pct', 'bevel') and not is_int(value):
        ck.fail(where, 'not an integer: %r' % value)
    elif kind == 'pct' and not 0 <= int(value) <= 100 and value != '-1':
        ck.fail(where, 'percent out of 0..100: %s' % value)
    elif kind == 'bevel' and not 0 <= int(value) <= 4:
        ck.fail(where, 'bevel out of 0..4: %s' % value)
    elif kind == 'bool' and value not in ('TRUE', 'FALSE'):
        ck.fail(where, 'not TRUE or FALSE: %r' % value)
    elif kind == 'name' and value not in sections:
        ck.fail(where, 'names no section: %r' % value)
    elif kind == 'version' and not re.fullmatch(r'\d+(\.\d+)?', value):
        ck.fail(where, 'version is not a number with "." : %r' % value)
    elif kind == 'grad' and value:
        fields = value.split(';')
        if len(fields) % 5 or not all(is_int(x) for x in fields):
            ck.fail(where, 'gradient is not groups of five integers: %r' % value)
        elif any(int(fields[i + 2]) > 100 or int(fields[i + 3]) not in (0, 1, 2)
                 for i in range(0, len(fields), 5)):
            ck.fail(where, 'gradient percent or mode out of range: %r' % value)
    if kind in ('text', 'int', 'pct', 'bool', 'grad', 'name', 'version', 'bevel'):
        try:
            if parse_image_value('X', 'X', value) is not None:
                ck.fail(where, 'value would be read as an image: %r' % value)
        except ValueError_:
            ck.fail(where, 'value would be read as a broken image: %r' % value)


def check_skin(ck, folder):
    name = os.path.basename(folder)
    with open(os.path.join(folder, 'Options.dat'), 'rb') as f:
        raw = f.read()
    try:
        text = raw.decode('ascii')
    except UnicodeDecodeError:
        ck.fail(name, 'Options.dat is not plain ASCII')
        text = raw.decode('cp1251')
    sections = parse_options(text)
    secmap = {}
    for sec, pairs in sections:
        if sec in secmap:
            ck.fail(name, 'section [%s] twice' % sec)
        if sec != sec.upper():
            ck.fail(name, 'section [%s] not upper case' % sec)
        keys = [k for k, _ in pairs]
        if len(keys) != len(set(keys)):
            ck.fail(name, '[%s] has a key twice' % sec)
        secmap[sec] = dict(pairs)
    bitmaps = {}
    used_files = {'Options.dat'}
    forms = set()

    def bitmap(fname):
        if fname not in bitmaps:
            path = os.path.join(folder, fname)
            if not os.path.isfile(path):
                ck.fail(name, 'missing file %s' % fname)
                bitmaps[fname] = None
            else:
                try:
                    with open(path, 'rb') as f:
                        bitmaps[fname] = read_bmp(f.read())
                except BmpError as e:
                    ck.fail(name, '%s: %s' % (fname, e))
                    bitmaps[fname] = None
        used_files.add(fname)
        return bitmaps[fname]

    gi = secmap.get('GLOBALINFO', {})
    master_name = gi.get('MASTERBITMAP')
    master = bitmap(master_name) if master_name else None
    if master_name and master_name != master_name.upper():
        ck.fail(name, 'MASTERBITMAP not upper case')

    for sec, pairs in sections:
        for key, value in pairs:
            where = '%s [%s] %s' % (name, sec, key)
            if key != key.upper():
                ck.fail(where, 'key not upper case')
            if sec == 'GLOBALINFO' and key in GLOBAL_KEYS:
                check_plain(ck, where, GLOBAL_KEYS[key], value, secmap)
                continue
            if key in RECORD_KEYS:
                check_plain(ck, where, RECORD_KEYS[key], value, secmap)
                continue
            try:
                rec = parse_image_value(sec, key, value)
            except ValueError_ as e:
                ck.fail(where, str(e))
                continue
            if rec is None:
                ck.fail(where, 'unknown key whose value is no image: %r' % value)
                continue
            forms.add(rec['form'])
            if rec['form'] == 'jpeg':
                path = os.path.join(folder, value)
                used_files.add(value)
                if value != value.upper():
                    ck.fail(where, 'file name not upper case')
                if not os.path.isfile(path):
                    ck.fail(where, 'missing JPEG %s' % value)
                else:
                    with open(path, 'rb') as f:
                        data = f.read()
                    if data[:3] != b'\xff\xd8\xff' or data[-2:] != b'\xff\xd9':
                        ck.fail(where, '%s is not a JPEG file' % value)
                continue
            if rec['file']:
                if rec['file'] != rec['file'].upper():
                    ck.fail(where, 'file name not upper case')
                bmp = bitmap(rec['file'])
                if bmp is None:
                    continue
                w, h, _ = bmp
                rect = (0, 0, w, h)
                if w % 3 or h % 2 or rec['count'] != 3 or rec['masktype'] != 1:
                    ck.fail(where, 'own bitmaps must hold three frames over a mask half (%dx%d)' % (w, h))
            else:
                if master is None:
                    ck.fail(where, 'master rectangle without a master bitmap')
                    continue
                w, h, _ = master
                rect = rec['rect']
                L, T, R, B = rect
                if not (0 <= L < R <= w and 0 <= T < B <= h):
                    ck.fail(where, 'rectangle %r outside the master bitmap %dx%d' % (rect, w, h))
                    continue
            L, T, R, B = rect
            count, mt = max(rec['count'], 1), rec['masktype']
            if rec['count'] < 1 or mt < 0:
                ck.fail(where, 'frame count below 1 or negative mask kind')
            if (R - L) % count or (B - T) % (mt + 1):
                ck.fail(where, 'size %dx%d does not divide into %d frames and %d halves'
                        % (R - L, B - T, count, mt + 1))
            fw, fh = (R - L) // count, (B - T) // (mt + 1)
            margins = rec['margins']
            if rec['file'] and margins == (0, 0, 0, 0):
                margins = (fw // 3, fh // 3, fw // 3, fh // 3)
            if rec['imgtype'] == 0:
                wl, wt, wr, wb = margins
                if wl + wr >= fw or wt + wb >= fh:
                    ck.fail(where, 'margins %r leave no centre in a %dx%d frame' % (margins, fw, fh))

    # names of the checklist
    for nm, kind, secs in read_names():
        if kind == 'section' and nm not in secmap:
            ck.fail(name, 'missing section [%s]' % nm)
        elif kind == 'file' and not os.path.isfile(os.path.join(folder, nm)):
            ck.fail(name, 'missing file %s' % nm)
        elif kind in ('key', 'image'):
            targets = secs or [s for s in secmap]
            found = [s for s in targets if nm in secmap.get(s, {})]
            if secs and len(found) != len(secs):
                ck.fail(name, '%s missing in %s' % (nm, ', '.join(s for s in secs if s not in found)))
            elif not found:
                ck.fail(name, '%s is in no section' % nm)
            for s in found:
                if kind == 'image':
                    try:
                        if parse_image_value(s, nm, secmap[s][nm]) is None:
                            ck.fail(name, '[%s] %s is no image' % (s, nm))
                    except ValueError_:
                        pass   # reported above
    missing_forms = {'~', '@', '^', '!', '#', 'bmp', 'jpeg'} - forms
    if missing_forms:
        ck.fail(name, 'image forms never used: %s' % ', '.join(sorted(missing_forms)))

    # PARENTCLASS chains end
    for sec in secmap:
        seen, cur = [], sec
        while cur in secmap and 'PARENTCLASS' in secmap[cur]:
            if cur in seen:
                ck.fail(name, 'PARENTCLASS cycle through %s' % ' -> '.join(seen))
                break
            seen.append(cur)
            cur = secmap[cur]['PARENTCLASS']

    # no stray files
    present = {n for n in os.listdir(folder) if not n.startswith('.')}
    if present - used_files:
        ck.fail(name, 'files no option names: %s' % ', '.join(sorted(present - used_files)))
    return present


def check_packed(ck, folder, packed_dir):
    name = os.path.basename(folder)
    path = os.path.join(packed_dir, name + '.qsz')
    if not os.path.isfile(path):
        ck.fail(name, 'no packed copy %s' % os.path.basename(path))
        return
    with open(path, 'rb') as f:
        data = f.read()
    try:
        entries = qszpack.read_packed(data)
    except qszpack.QszError as e:
        ck.fail(name + '.qsz', str(e))
        return
    opts = [e for e in entries if e[0].upper() == 'OPTIONS.DAT']
    if len(opts) != 1:
        ck.fail(name + '.qsz', '%d option entries' % len(opts))
    files = {n for n in os.listdir(folder) if not n.startswith('.')}
    names = [e[0] for e in entries]
    if sorted(names) != sorted(files):
        ck.fail(name + '.qsz', 'entries %s differ from the folder %s' % (sorted(names), sorted(files)))
    for entry, body, _, _ in entries:
        p = os.path.join(folder, entry)
        if os.path.isfile(p):
            with open(p, 'rb') as f:
                if f.read() != body:
                    ck.fail(name + '.qsz', 'entry %s differs from the folder file' % entry)
    if data != qszpack.pack_entries(qszpack.folder_entries(folder)):
        ck.fail(name + '.qsz', 'is not what qszpack makes of the folder now')


def check_regen(ck, skindir, packed_dir):
    with tempfile.TemporaryDirectory() as tmp:
        out, packed = os.path.join(tmp, 'skins'), os.path.join(tmp, 'packed')
        subprocess.run([sys.executable, os.path.join(HERE, 'skingen.py'), '--out', out,
                        '--packed-out', packed], check=True, stdout=subprocess.DEVNULL)
        pairs = [(os.path.join(out, e), os.path.join(skindir, e)) for e in sorted(os.listdir(out))]
        pairs += [(os.path.join(packed, e), os.path.join(packed_dir, e)) for e in sorted(os.listdir(packed))]
        for a, b in pairs:
            entry = os.path.basename(a)
            if os.path.isdir(a):
                cmp = filecmp.dircmp(a, b)
                diff = cmp.diff_files + cmp.left_only + cmp.right_only
                # byte compare, not the stat shortcut
                diff += [f for f in cmp.common_files if not filecmp.cmp(os.path.join(a, f), os.path.join(b, f), False)]
                if diff:
                    ck.fail(entry, 'regenerated files differ: %s' % ', '.join(sorted(set(diff))))
            elif not os.path.exists(b) or not filecmp.cmp(a, b, False):
                ck.fail(entry, 'regenerated file differs')


def main():
    ap = argparse.ArgumentParser(description='Check our skins.')
    ap.add_argument('skindir', nargs='?', default=os.path.join(REPO, 'resources', 'skins'))
    ap.add_argument('--packed', default=None,
                    help='folder of the packed copies (default: skins-packed beside SKINDIR)')
    ap.add_argument('--regen', action='store_true', help='also regenerate and compare bytes')
    a = ap.parse_args()
    packed_dir = a.packed or os.path.join(os.path.dirname(os.path.abspath(a.skindir)), 'skins-packed')
    ck = Checker()
    total = 0
    for skin in SKINS:
        folder = os.path.join(a.skindir, skin)
        if not os.path.isdir(folder):
            ck.fail(skin, 'missing folder')
            continue
        check_skin(ck, folder)
        check_packed(ck, folder, packed_dir)
        total += sum(os.path.getsize(os.path.join(folder, n)) for n in os.listdir(folder))
        packed = os.path.join(packed_dir, skin + '.qsz')
        if os.path.isfile(packed):
            total += os.path.getsize(packed)
    if total > SIZE_BUDGET:
        ck.fail('skins', 'together %d bytes, over the budget of %d' % (total, SIZE_BUDGET))
    if a.regen:
        check_regen(ck, a.skindir, packed_dir)
    for e in ck.errors:
        print('FAIL', e)
    print('%s: %d skins, %d bytes, %d problems' % ('ok' if not ck.errors else 'FAILED', len(SKINS), total,
                                                    len(ck.errors)))
    return 1 if ck.errors else 0


if __name__ == '__main__':
    sys.exit(main())
