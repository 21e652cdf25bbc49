#!/usr/bin/python3
"""Writes the archive fixtures of the unpacking tests into a folder.

Every archive comes from a writer that is not the program's reader: Python's
zipfile, tarfile and gzip, the 7-Zip program, Info-ZIP's zip with a password,
Debian's arj, and a stored RAR 4 file written below byte by byte.

    make_archives.py FOLDER
"""
import gzip
import io
import os
import struct
import subprocess
import sys
import tarfile
import time
import zipfile
import zlib

DATABASE = b"SQLite format 3\x00" + bytes(range(256)) * 16
README = "Прочти меня\r\n".encode("cp1251")


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def zip_of(path, members):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in members:
            z.writestr(name, data)


def tar_of(path, members, mode="w"):
    with tarfile.open(path, mode, format=tarfile.GNU_FORMAT) as t:
        for member in members:
            if isinstance(member, tarfile.TarInfo):
                t.addfile(member)
                continue
            name, data = member
            info = tarfile.TarInfo(name)
            info.size = len(data)
            info.mtime = 946684800  # 2000: an archive time, never the file's
            t.addfile(info, io.BytesIO(data))


def link(name, target):
    info = tarfile.TarInfo(name)
    info.type = tarfile.SYMTYPE
    info.linkname = target
    return info


def dos_time(t):
    lt = time.localtime(t)
    return ((lt.tm_year - 1980) << 25 | lt.tm_mon << 21 | lt.tm_mday << 16
            | lt.tm_hour << 11 | lt.tm_min << 5 | lt.tm_sec // 2)


def gzip_named(raw_name, data):
    """A gzip file whose header names the packed file in the given bytes
    (Python's gzip module writes Latin-1 names only)."""
    packer = zlib.compressobj(9, zlib.DEFLATED, -15)
    body = packer.compress(data) + packer.flush()
    header = b"\x1f\x8b\x08\x08" + struct.pack("<I", 0) + b"\x00\x0b" + raw_name + b"\x00"
    return header + body + struct.pack("<II", zlib.crc32(data), len(data))


def rar4_stored(path, members):
    """A RAR 4 archive whose files are stored (method 0x30), no solid, no
    volumes: marker block, archive header, one file header with its data
    per member, end-of-archive block. Names ending in "/" are folders."""

    def block(head_type, flags, body):
        header = struct.pack("<BHH", head_type, flags, 7 + len(body)) + body
        return struct.pack("<H", zlib.crc32(header) & 0xFFFF) + header

    out = bytearray(b"Rar!\x1a\x07\x00")
    out += block(0x73, 0x0000, struct.pack("<HI", 0, 0))
    for name, data in members:
        is_folder = name.endswith("/")
        raw_name = name.rstrip("/").replace("/", "\\").encode("ascii")
        flags = 0x8000 | (0x00E0 if is_folder else 0)
        body = struct.pack("<IIBIIBBHI", len(data), len(data), 2, zlib.crc32(data),
                           dos_time(946684800), 20, 0x30, len(raw_name),
                           0x10 if is_folder else 0x20)
        out += block(0x74, flags, body + raw_name) + data
    out += block(0x7B, 0x4000, b"")
    write(path, bytes(out))


def arj_of(path, scratch, members):
    """An ARJ archive written by Debian's arj from files in a scratch folder,
    in the members' order. Their files are dated 2000: an archive time,
    never the unpacked file's."""
    os.makedirs(scratch)
    for name, data in members:
        os.makedirs(os.path.join(scratch, os.path.dirname(name)), exist_ok=True)
        write(os.path.join(scratch, name), data)
        os.utime(os.path.join(scratch, name), (946684800, 946684800))
    subprocess.run(["arj", "a", "-y", "-i", os.path.abspath(path)] + [name for name, _ in members],
                   cwd=scratch, check=True, stdout=subprocess.DEVNULL, stdin=subprocess.DEVNULL)


def arj_rewritten(path, change):
    """Rewrites every file header of an ARJ archive through change(header),
    which edits the basic header (a bytearray) in place; its size and CRC
    follow. The layout: 60 EA, the basic header's size, the basic header
    (its first byte the size before the name; the packed size at 12, where
    the file's own name begins at 24, the attributes at 26), its CRC-32,
    extended headers up to a zero size, then a file's packed bytes; the
    first header is the archive's own; a zero size ends the archive."""
    data = open(path, "rb").read()
    out = bytearray()
    pos, main_header = 0, True
    while True:
        assert data[pos:pos + 2] == b"\x60\xea", pos
        size = struct.unpack_from("<H", data, pos + 2)[0]
        if size == 0:
            out += data[pos:pos + 4]
            break
        header = bytearray(data[pos + 4:pos + 4 + size])
        after = pos + 4 + size + 4
        while True:
            extended = struct.unpack_from("<H", data, after)[0]
            after += 2
            if extended == 0:
                break
            after += extended + 4
        if not main_header:
            after += struct.unpack_from("<I", header, 12)[0]
            change(header)
        out += struct.pack("<HH", 0xEA60, len(header)) + header + struct.pack("<I", zlib.crc32(bytes(header)))
        out += data[pos + 4 + size + 4:after]
        pos, main_header = after, False
    write(path, bytes(out))


def arj_name_span(header):
    name_at = header[0]
    return name_at, header.index(b"\0", name_at)


def arj_renamed(path, old, new):
    """Renames an entry, for the names Debian's arj never writes ("../",
    absolute)."""
    def rename(header):
        name_at, name_end = arj_name_span(header)
        if header[name_at:name_end] == old:
            header[name_at:name_end] = new
    arj_rewritten(path, rename)


def arj_as_dos(path):
    """Makes the entries look as arj on DOS writes them: the host DOS, the
    names in its Cyrillic code page with "/" between folders (flagged as
    such), the archive bit as the only attribute."""
    def as_dos(header):
        name_at, name_end = arj_name_span(header)
        name = header[name_at:name_end].decode("utf-8").encode("cp866")
        header[name_at:name_end] = name
        header[3] = 0  # MS-DOS
        header[4] |= 0x10  # "/" between folders
        header[24:28] = struct.pack("<HH", name.rfind(b"/") + 1, 0x20)
    arj_rewritten(path, as_dos)


def cp866_zip(path, name, data):
    """A zip as Windows tools write it: the name in the DOS code page and
    no UTF-8 flag (zipfile would flag a non-ASCII name as UTF-8)."""
    encoded = name.encode("cp866")
    placeholder = b"n" * len(encoded)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_STORED) as z:
        z.writestr(placeholder.decode("ascii"), data)
    with open(path, "rb") as f:
        raw = f.read()
    assert raw.count(placeholder) == 2  # local header and central directory
    write(path, raw.replace(placeholder, encoded))


def main(folder):
    os.makedirs(folder, exist_ok=True)
    p = lambda name: os.path.join(folder, name)

    zip_of(p("price.zip"), [("price.vdb", DATABASE)])
    zip_of(p("nested.zip"), [("base/", b""), ("base/old/readme.txt", README), ("base/deep/price.vdb", DATABASE)])
    zip_of(p("folders_last.zip"), [("price.vdb", DATABASE), ("later/", b""), ("later/empty/", b"")])
    zip_of(p("readme_only.zip"), [("readme.txt", README)])
    cp866_zip(p("cp866.zip"), "прайс.vdb", DATABASE)
    tar_of(p("price.tgz"), [("price/readme.txt", README), ("price/price.vdb", DATABASE)], "w:gz")
    tar_of(p("price.tar"), [("price.vdb", DATABASE)])
    with gzip.GzipFile(p("price.vdb.gz"), "wb", mtime=0) as g:  # header names price.vdb
        g.write(DATABASE)
    write(p("renamed.gz"), gzip_named("база.vdb".encode("cp1251"), DATABASE))
    with open(p("noname.vdb.gz"), "wb") as raw:  # no name in the header
        with gzip.GzipFile("", "wb", fileobj=raw, mtime=0) as g:
            g.write(DATABASE)
    write(p("fake.gz"), DATABASE)  # no gzip stream at all
    # Content that begins with a zero block, as a tar ends: still one file.
    zeros_first = bytes(1024) + DATABASE
    with gzip.GzipFile(p("zeros_first.vdb.gz"), "wb", mtime=0) as g:
        g.write(zeros_first)
    rar4_stored(p("price.rar"), [("base/", b""), ("base/price.vdb", DATABASE)])
    write(p("old.arj"), b"\x60\xea" + bytes(64))

    # Debian's arj. A readme packed before the database, both dated 2000.
    arj_of(p("price.arj"), p("arj-price"), [("base/readme.txt", README), ("base/price.vdb", DATABASE)])
    arj_of(p("readme_only.arj"), p("arj-readme"), [("readme.txt", README)])
    whole = open(p("price.arj"), "rb").read()
    write(p("truncated.arj"), whole[: len(whole) // 2])
    subprocess.run(["arj", "a", "-y", "-i", "-gsecret", os.path.abspath(p("encrypted.arj")), "base/price.vdb"],
                   cwd=p("arj-price"), check=True, stdout=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
    # As arj on DOS writes them: Cyrillic names in the DOS code page.
    arj_of(p("dos.arj"), p("arj-dos"), [("ЧИТАЙ.txt", README), ("БАЗА/прайс.vdb", DATABASE)])
    arj_as_dos(p("dos.arj"))
    whole = open(p("dos.arj"), "rb").read()
    write(p("dos_truncated.arj"), whole[: len(whole) - 100])  # within the database
    arj_of(p("dotdot.arj"), p("arj-dotdot"), [("price.vdb", DATABASE), ("xx/evil.txt", b"evil")])
    arj_renamed(p("dotdot.arj"), b"xx/evil.txt", b"../evil.txt")
    arj_of(p("absolute.arj"), p("arj-absolute"),
           [("price.vdb", DATABASE), ("xtmp/velmora-evil-absolute.txt", b"evil")])
    arj_renamed(p("absolute.arj"), b"xtmp/velmora-evil-absolute.txt", b"/tmp/velmora-evil-absolute.txt")

    # 7-Zip's own program; the file list is read relative to a scratch folder.
    scratch = p("7z-source")
    os.makedirs(os.path.join(scratch, "base"), exist_ok=True)
    write(os.path.join(scratch, "base", "price.vdb"), DATABASE)
    subprocess.run(["7zz", "a", "-bd", "-bso0", "-bsp0", os.path.abspath(p("price.7z")), "base"],
                   cwd=scratch, check=True)

    # Info-ZIP with a password: the entry is encrypted.
    write(os.path.join(scratch, "price.vdb"), DATABASE)
    subprocess.run(["zip", "-q", "-P", "secret", os.path.abspath(p("encrypted.zip")), "price.vdb"],
                   cwd=scratch, check=True)

    whole = open(p("price.zip"), "rb").read()
    write(p("truncated.zip"), whole[: len(whole) // 2])
    write(p("garbage.zip"), b"this is no archive at all\n" * 20)

    # Entries that would leave the target folder, each after a good entry.
    zip_of(p("dotdot.zip"), [("price.vdb", DATABASE), ("../evil.txt", b"evil")])
    zip_of(p("dotdot_inner.zip"), [("price.vdb", DATABASE), ("a/../../evil.txt", b"evil")])
    tar_of(p("absolute.tar"), [("price.vdb", DATABASE), ("/tmp/velmora-evil-absolute.txt", b"evil")])
    tar_of(p("link_out.tar"), [("price.vdb", DATABASE), link("out", "../../"), ("out/evil.txt", b"evil")])
    tar_of(p("link_in.tar"), [("base/price.vdb", DATABASE), link("same", "base/price.vdb")])

    # Over the limits the tests set: 64 KiB unpacked, 10 entries, an
    # inflation of 100 to 1 past 16 KiB.
    zip_of(p("big.zip"), [("small.txt", b"x"), ("big.bin", bytes(256 * 1024))])
    zip_of(p("many.zip"), [("f%02d.txt" % i, b"x") for i in range(11)])
    # The same through 7zz, unpacked whole within the default limits.
    arj_of(p("big.arj"), p("arj-big"), [("small.txt", b"x"), ("big.bin", bytes(256 * 1024))])
    arj_of(p("many.arj"), p("arj-many"), [("f%02d.txt" % i, b"x") for i in range(11)])

    # The packed files' bytes, to compare with what is unpacked.
    write(p("database.bin"), DATABASE)
    write(p("readme.bin"), README)
    write(p("zeros_first.bin"), zeros_first)
    write(p("zeros.bin"), bytes(256 * 1024))
    write(p("x.bin"), b"x")


if __name__ == "__main__":
    main(sys.argv[1])
