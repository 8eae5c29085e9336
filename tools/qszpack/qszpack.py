#!/usr/bin/env python3
"""Writes and reads packed skin files (".qsz").

The program only reads packed skins; this tool makes them from a folder skin,
for the packed copies of our own skins and for test fixtures.  Layout (all
integers 32-bit signed little-endian):

    "QSzf"  count  entry*count
    entry = name length, name (ANSI, no terminator), unpacked size,
            zlib stream (RFC 1950) that inflates to exactly that many bytes

The next entry starts right after the end of the previous zlib stream; there
is no index and no trailer.  The entry named "Options.dat" (any case) is the
option text, all others are images.

    qszpack.py pack FOLDER [-o FILE] [fixture options]
    qszpack.py list FILE
    qszpack.py unpack FILE -o DIR

Standard library only; the same input always gives the same bytes.
"""

import argparse
import os
import struct
import sys
import zlib

MAGIC = b'QSzf'
OPTIONS = 'Options.dat'


class QszError(ValueError):
    pass


def encode_name(name):
    return name.encode('cp1251') if isinstance(name, str) else name


def pack_entries(entries, level=9, count=None, magic=MAGIC):
    """entries: (name, data) pairs in file order.  `count` overrides the
    header count (for damaged fixtures); `magic` the first four bytes."""
    out = bytearray(magic)
    out += struct.pack('<i', len(entries) if count is None else count)
    for name, data in entries:
        raw = encode_name(name)
        out += struct.pack('<i', len(raw)) + raw
        out += struct.pack('<i', len(data))
        out += zlib.compress(data, level)
    return bytes(out)


def folder_entries(folder, only=None, exclude=(), options_last=False, name_case='keep'):
    """The files of a folder skin as (name, data) pairs: "Options.dat" first
    (or last), then the other files by upper-cased name.  Hidden files are
    left out."""
    names = [n for n in os.listdir(folder)
             if not n.startswith('.') and os.path.isfile(os.path.join(folder, n))]
    if only:
        wanted = {n.upper() for n in only}
        names = [n for n in names if n.upper() in wanted]
    skip = {n.upper() for n in exclude}
    names = [n for n in names if n.upper() not in skip]
    opts = [n for n in names if n.upper() == OPTIONS.upper()]
    rest = sorted((n for n in names if n.upper() != OPTIONS.upper()), key=lambda n: (n.upper(), n))
    ordered = rest + opts if options_last else opts + rest
    entries = []
    for n in ordered:
        with open(os.path.join(folder, n), 'rb') as f:
            data = f.read()
        stored = n
        if n.upper() != OPTIONS.upper():
            stored = n.upper() if name_case == 'upper' else n.lower() if name_case == 'lower' else n
        entries.append((stored, data))
    return entries


def pack_folder(folder, out_path, level=9, **kw):
    data = pack_entries(folder_entries(folder, **kw), level=level)
    with open(out_path, 'wb') as f:
        f.write(data)
    return data


def read_packed(data, max_entries=100000, max_size=256 << 20):
    """Reads a packed skin strictly; returns a list of (name, data, start, end)
    with the byte range of each entry.  Every count, length and size is
    checked against what is left; damage raises QszError."""
    if data[:4] != MAGIC:
        raise QszError('wrong magic %r' % data[:4])
    pos = 4

    def i32():
        nonlocal pos
        if pos + 4 > len(data):
            raise QszError('truncated at byte %d' % pos)
        v = struct.unpack_from('<i', data, pos)[0]
        pos += 4
        return v

    count = i32()
    if count < 0 or count > max_entries:
        raise QszError('bad entry count %d' % count)
    out = []
    for n in range(count):
        start = pos
        nlen = i32()
        if nlen < 0 or nlen > len(data) - pos:
            raise QszError('entry %d: bad name length %d' % (n, nlen))
        name = data[pos:pos + nlen].decode('cp1251')
        pos += nlen
        size = i32()
        if size < 0 or size > max_size:
            raise QszError('entry %d (%s): bad size %d' % (n, name, size))
        d = zlib.decompressobj()
        try:
            body = d.decompress(data[pos:], size + 1)
        except zlib.error as e:
            raise QszError('entry %d (%s): %s' % (n, name, e))
        if len(body) < size and not d.eof:
            raise QszError('entry %d (%s): zlib stream is cut short after %d of %d bytes'
                           % (n, name, len(body), size))
        if len(body) != size:
            raise QszError('entry %d (%s): inflates to %d bytes, header says %d' % (n, name, len(body), size))
        if not d.eof:
            raise QszError('entry %d (%s): zlib stream does not end' % (n, name))
        pos = len(data) - len(d.unused_data)
        out.append((name, body, start, pos))
    if pos != len(data):
        raise QszError('%d bytes after the last entry' % (len(data) - pos))
    return out


def main(argv=None):
    ap = argparse.ArgumentParser(description='Write, list or unpack packed skin files (.qsz).')
    sub = ap.add_subparsers(dest='cmd', required=True)

    pk = sub.add_parser('pack', help='pack a folder skin')
    pk.add_argument('folder')
    pk.add_argument('-o', '--output', help='output file (default: FOLDER.qsz beside the folder)')
    pk.add_argument('--level', type=int, default=9, choices=range(0, 10), help='zlib level (9)')
    pk.add_argument('--name-case', choices=('keep', 'upper', 'lower'), default='keep',
                    help='spelling of the stored image names (the loader matches upper case)')
    pk.add_argument('--options-last', action='store_true', help='store "Options.dat" after the images')
    pk.add_argument('--only', action='append', metavar='NAME', help='pack only these files')
    pk.add_argument('--exclude', action='append', default=[], metavar='NAME', help='leave a file out')
    pk.add_argument('--no-options', action='store_true', help='leave "Options.dat" out')
    pk.add_argument('--extra-options', metavar='FILE',
                    help='append a second option-text entry with the contents of FILE')
    pk.add_argument('--extra-options-name', default='OPTIONS.DAT', metavar='NAME',
                    help='name of that second entry (OPTIONS.DAT)')
    pk.add_argument('--add', action='append', default=[], metavar='NAME=FILE',
                    help='append an entry NAME holding FILE')
    pk.add_argument('--count', type=int, help='write this header count instead of the real one')
    pk.add_argument('--magic', default='QSzf', help='the first four bytes (QSzf)')
    pk.add_argument('--truncate', type=int, metavar='BYTES', help='cut the file to this many bytes')

    ls = sub.add_parser('list', help='list the entries of a packed skin')
    ls.add_argument('file')

    up = sub.add_parser('unpack', help='unpack a packed skin into a folder')
    up.add_argument('file')
    up.add_argument('-o', '--output', required=True)

    a = ap.parse_args(argv)
    if a.cmd == 'pack':
        exclude = list(a.exclude) + ([OPTIONS] if a.no_options else [])
        entries = folder_entries(a.folder, only=a.only, exclude=exclude,
                                 options_last=a.options_last, name_case=a.name_case)
        if a.extra_options:
            with open(a.extra_options, 'rb') as f:
                entries.append((a.extra_options_name, f.read()))
        for spec in a.add:
            name, _, path = spec.partition('=')
            with open(path, 'rb') as f:
                entries.append((name, f.read()))
        data = pack_entries(entries, level=a.level, count=a.count, magic=a.magic.encode('latin-1'))
        if a.truncate is not None:
            data = data[:a.truncate]
        out = a.output or os.path.normpath(a.folder) + '.qsz'
        with open(out, 'wb') as f:
            f.write(data)
        print('%s: %d entries, %d bytes' % (out, len(entries), len(data)))
    else:
        with open(a.file, 'rb') as f:
            data = f.read()
        try:
            entries = read_packed(data)
        except QszError as e:
            print('%s: %s' % (a.file, e), file=sys.stderr)
            return 1
        if a.cmd == 'list':
            for name, body, start, end in entries:
                print('%8d %8d  %s' % (len(body), end - start, name))
        else:
            os.makedirs(a.output, exist_ok=True)
            for name, body, _, _ in entries:
                if os.path.basename(name) != name or name in ('', '.', '..'):
                    print('skipped unsafe name %r' % name, file=sys.stderr)
                    continue
                with open(os.path.join(a.output, name), 'wb') as f:
                    f.write(body)
    return 0


if __name__ == '__main__':
    sys.exit(main())
