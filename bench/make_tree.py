#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes a random but repeatable tree of small files for the disc image benchmarks.

Usage: make_tree.py ROOT SEED FOLDERS FILES ARCHIVES

ROOT (which must exist) gets FOLDERS folders nested at random, FILES files of up to
3,000 bytes spread over them and ARCHIVES ZIP archives of 30 entries each. The same
arguments always give the same names, places and sizes.
"""
import os, random, sys, zipfile

root = sys.argv[1]
seed, folder_count, file_count, archive_count = map(int, sys.argv[2:6])
rng = random.Random(seed)
folders = [root]
while len(folders) < folder_count + 1:
    path = os.path.join(rng.choice(folders), "Folder %04d" % len(folders))
    os.mkdir(path)
    folders.append(path)
extensions = [".txt", ".dat", ".jpg", ".doc", ".html", ".mp3"]
digits = len(str(max(file_count - 1, 0)))
for number in range(file_count):
    name = "File number %0*d%s" % (digits, number, rng.choice(extensions))
    with open(os.path.join(rng.choice(folders[1:]), name), "wb") as f:
        f.write(b"x" * rng.randrange(0, 3000))
for number in range(archive_count):
    path = os.path.join(rng.choice(folders[1:]), "Archive %03d.zip" % number)
    with zipfile.ZipFile(path, "w") as archive:
        for entry in range(30):
            archive.writestr("folder/entry %02d.txt" % entry, "x" * entry)
