#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a report of a disc image must read at the fewest.

Usage: disc_facts.py iso IMAGE | disc_facts.py udf-tree TREE

Prints "FOLDER_BYTES ARCHIVES ARCHIVE_BYTES": the bytes of folder records, the number of
ZIP archives and the bytes of their directories and end records. For an ISO 9660 image
the folder records are those of the tree it reads (Joliet's when there is one). For a UDF
image that the tests' writer made of TREE they are the file entries (a block each) and the
identifiers of the folders whose identifiers do not fit in their entry.
"""
import os, struct, sys

BLOCK = 2048
UDF_ENTRY_ROOM = BLOCK - 176  # what a file entry holds of its folder's identifiers


def zip_directory_bytes(read, offset, length):
    tail_length = min(length, 65557)
    tail = read(offset + length - tail_length, tail_length)
    end = tail.rfind(b"PK\5\6")
    if end < 0: return 0
    size, = struct.unpack_from("<I", tail, end + 12)
    comment, = struct.unpack_from("<H", tail, end + 20)
    return size + 22 + comment


def iso_facts(path):
    disc = open(path, "rb")
    def read(offset, count):
        disc.seek(offset)
        return disc.read(count)

    sector, root, joliet = 16, None, False
    while True:
        descriptor = read(sector * BLOCK, BLOCK)
        if descriptor[0] == 255 or not descriptor[1:6] == b"CD001": break
        if descriptor[0] == 1 and root is None: root = descriptor[156:190]
        if descriptor[0] == 2 and descriptor[88:90] == b"%/": root, joliet = descriptor[156:190], True
        sector += 1
    pending = [(struct.unpack_from("<I", root, 2)[0], struct.unpack_from("<I", root, 10)[0])]
    folder_bytes = archives = archive_bytes = 0
    while pending:
        block, length = pending.pop()
        folder_bytes += length
        records = read(block * BLOCK, length)
        for start in range(0, length, BLOCK):
            at = start
            while at < min(start + BLOCK, length) and records[at]:
                record = records[at:at + records[at]]
                name = record[33:33 + record[32]]
                extent = struct.unpack_from("<I", record, 2)[0:1] + struct.unpack_from("<I", record, 10)
                if record[25] & 2 and name not in (b"\0", b"\1"):
                    pending.append(extent)
                elif (name.decode("utf-16-be", "replace") if joliet else name.decode("latin-1")).lower().split(";")[0].endswith(".zip"):
                    archives += 1
                    archive_bytes += zip_directory_bytes(read, extent[0] * BLOCK, extent[1])
                at += records[at]
    return folder_bytes, archives, archive_bytes


def identifier_bytes(name):
    encoded = 1 + (len(name) if all(ord(c) < 256 for c in name) else 2 * len(name))
    return (38 + encoded + 3) // 4 * 4


def udf_tree_facts(tree):
    folder_bytes = archives = archive_bytes = 0
    for folder, subfolders, files in os.walk(tree):
        folder_bytes += BLOCK * (1 + len(files)) # the folder's entry and its files'
        identifiers = 40 + sum(identifier_bytes(name) for name in subfolders + files)
        if identifiers > UDF_ENTRY_ROOM: folder_bytes += identifiers
        for name in files:
            if not name.lower().endswith(".zip"): continue
            path = os.path.join(folder, name)
            with open(path, "rb") as archive:
                def read(offset, count):
                    archive.seek(offset)
                    return archive.read(count)
                archives += 1
                archive_bytes += zip_directory_bytes(read, 0, os.path.getsize(path))
    return folder_bytes, archives, archive_bytes


kind, path = sys.argv[1:3]
print(*(iso_facts(path) if kind == "iso" else udf_tree_facts(path)))
