#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes seed archives for fuzz_zip_reader and fuzz_rar_reader in OUT/zip and OUT/rar,
for machines without the corpus of real archives. Every byte is fixed (dates, order),
so the seeds are the same on every machine.

Usage: make_archive_seeds.py OUT
"""

import io
import pathlib
import struct
import sys
import zipfile
import zlib

FIXED_DATE = (2001, 2, 3, 4, 5, 6)
DOS_DATE = 0x2A4320A3  # the same moment as a DOS date and time


class Unseekable(io.RawIOBase):
    """A stream that cannot tell its position, so zipfile writes data descriptors."""

    def __init__(self):
        super().__init__()
        self.bytes = bytearray()

    def writable(self):
        return True

    def write(self, data):
        self.bytes += data
        return len(data)


def zip_members(archive, members, compression=zipfile.ZIP_STORED, **options):
    for name, data in members:
        info = zipfile.ZipInfo(name, FIXED_DATE)
        info.compress_type = compression
        info.external_attr = (0o40755 << 16 | 0x10) if name.endswith("/") else 0o644 << 16
        with archive.open(info, "w", **options) as member:
            member.write(data)


def zip_seeds():
    seeds = {}
    plain = [("DOCS/", b""), ("DOCS/readme.txt", b"read me\n"), ("top.bin", bytes(range(64)))]

    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as archive:
        zip_members(archive, plain)
        archive.comment = b"an archive comment"
    seeds["stored_comment.zip"] = out.getvalue()

    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as archive:
        zip_members(archive, [("Ђурђевдан/песма.txt", b"utf-8 name" * 20),
                              ("čaša.txt", b"flag bit 11")], zipfile.ZIP_DEFLATED)
    seeds["utf8_deflated.zip"] = out.getvalue()

    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as archive:
        zip_members(archive, plain, force_zip64=True)
    seeds["zip64_records.zip"] = out.getvalue()

    stream = Unseekable()
    with zipfile.ZipFile(stream, "w") as archive:
        zip_members(archive, plain, zipfile.ZIP_DEFLATED)
    seeds["data_descriptors.zip"] = bytes(stream.bytes)
    return seeds


def rar4_block(head_type, flags, body):
    header = struct.pack("<BHH", head_type, flags, 7 + len(body)) + body
    return struct.pack("<H", zlib.crc32(header) & 0xFFFF) + header


def rar4_file(name, data, is_folder=False):
    flags = 0x8000 | (0x00E0 if is_folder else 0)
    body = struct.pack("<IIBIIBBHI", len(data), len(data), 2, zlib.crc32(data), DOS_DATE,
                       29, 0x30, len(name), 0x10 if is_folder else 0x20)
    return rar4_block(0x74, flags, body + name) + data


def rar4_seed():
    return (b"Rar!\x1a\x07\x00" + rar4_block(0x73, 0, bytes(6)) +
            rar4_file(b"DOCS", b"", is_folder=True) +
            rar4_file(b"DOCS\\readme.txt", b"read me\n") +
            rar4_file(b"top.bin", bytes(range(64))) + rar4_block(0x7B, 0x4000, b""))


def vint(value):
    out = bytearray()
    while True:
        low = value & 0x7F
        value >>= 7
        out.append(low | (0x80 if value else 0))
        if not value:
            return bytes(out)


# File headers carry a data size even when it is 0, as RAR writes them.
def rar5_header(head_type, fields, extra=b"", data=None):
    flags = (1 if extra else 0) | (2 if data is not None else 0)
    inner = vint(head_type) + vint(flags)
    if extra:
        inner += vint(len(extra))
    if data is not None:
        inner += vint(len(data))
    inner += fields + extra
    sized = vint(len(inner)) + inner
    return struct.pack("<I", zlib.crc32(sized)) + sized + (data or b"")


def rar5_file(name, data, is_folder=False, extra=b""):
    file_flags = 0x0001 if is_folder else 0x0004
    fields = vint(file_flags) + vint(len(data)) + vint(0x10 if is_folder else 0x20)
    if not is_folder:
        fields += struct.pack("<I", zlib.crc32(data))
    fields += vint(0) + vint(0) + vint(len(name)) + name
    return rar5_header(2, fields, extra, data)


def rar5_seed():
    unix_time = vint(3) + vint(0x0003) + struct.pack("<I", 981173106)
    time_record = vint(len(unix_time)) + unix_time
    return (b"Rar!\x1a\x07\x01\x00" + rar5_header(1, vint(0)) +
            rar5_file("DOCS".encode(), b"", is_folder=True) +
            rar5_file("DOCS/Ђурђевдан.txt".encode(), b"utf-8 name", extra=time_record) +
            rar5_file(b"top.bin", bytes(range(64))) + rar5_header(5, vint(0)))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    out = pathlib.Path(sys.argv[1])
    seeds = {"zip/" + name: data for name, data in zip_seeds().items()}
    seeds["rar/old_format_stored.rar"] = rar4_seed()
    seeds["rar/format5_stored.rar"] = rar5_seed()
    for name, data in seeds.items():
        path = out / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)


if __name__ == "__main__":
    main()
