#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the synthetic discs of the catalogue benchmark: DISCS text reports of ENTRIES
entries each (folders, files and, for about 5%, entries inside .zip archives), in the
layout tarvelo-report writes, and the list of all their paths for plocate.

Usage: catalog_make_reports.py OUT_DIR [DISCS] [ENTRIES]
Writes OUT_DIR/reports/disc-NNNN.txt and OUT_DIR/paths.txt; the same files every time.
"""
import os
import random
import sys

SECTION = "-" * 60
WORDS = """invoice report final draft backup photo scan letter contract budget offer
order receipt notes minutes summary project plan schedule thesis chapter slides
poster resume manual setup readme license install driver patch update release
holiday wedding birthday family school homework exam lecture lab results data
export import archive old new copy version sales taxes bank statement salary
zadaća izveštaj račun ugovor pismo slike putovanje škola ispit predavanje knjiga
pesma muzika film serija spisak adresar kuća posao faktura ponuda Đurđevak čaša
žurka Beograd Novi Sad Niš Kragujevac Ђурђевак задаћа извештај рачун уговор песма
Smith Jones Müller Dvořák Łódź Ærø""".split()
SYLLABLES = """ba be bi bo bu ka ke ki ko ku la le li lo lu ma me mi mo mu na ne ni no nu
ra re ri ro ru sa se si so su ta te ti to tu va ve vi vo za ze zi zo dra kra pre pro
tri stra sta ste sto ri an en in on ar er or al el il ol ter man son ton berg ver""".split()


def made_words(count):
    """Words of two to four syllables, as many as a real collection of names holds."""
    rng = random.Random(0)
    return ["".join(rng.choice(SYLLABLES) for _ in range(rng.randrange(2, 5))) for _ in range(count)]


# Real words are the common ones; the made ones stand for the long tail of a real
# collection, where most words are rare.
VOCABULARY = WORDS + made_words(20000)


def word(rng):
    return VOCABULARY[int(len(VOCABULARY) * rng.random() ** 3)]


EXTENSIONS = [".doc", ".docx", ".xls", ".xlsx", ".pdf", ".txt", ".jpg", ".JPG", ".png",
              ".mp3", ".avi", ".mp4", ".exe", ".dll", ".ini", ".htm", ".html", ".ppt",
              ".rtf", ".odt", ".csv", ".xml", ".bak", ".tar.gz", ".7z", ".psd", ".wav"]


def name_of(rng, number):
    shape = rng.random()
    ext = rng.choice(EXTENSIONS)
    if shape < 0.25:
        return "%s%05d%s" % (rng.choice(["IMG_", "DSC", "DSCN", "P", "SCAN"]), number % 100000, ext)
    if shape < 0.5:
        return "%s_%d%s" % (word(rng), rng.randrange(1990, 2025), ext)
    if shape < 0.7:
        return "%s %s %s%s" % (word(rng).capitalize(), word(rng),
                               rng.choice(["v2", "final", "(1)", "copy", "2003", "Q3"]), ext)
    if shape < 0.85:
        return "%02d - %s - %s.mp3" % (rng.randrange(1, 20), word(rng).title(),
                                       word(rng).title())
    return "%s-%04d-%02d-%02d%s" % (word(rng), rng.randrange(1995, 2025),
                                    rng.randrange(1, 13), rng.randrange(1, 29), ext)


def folder_name(rng):
    shape = rng.random()
    if shape < 0.1:
        return rng.choice(["Documents", "Photos 2004", "My Music", "SETUP", "DATA", "Backup"])
    return word(rng).upper() if shape < 0.3 else word(rng).capitalize()


def size_text(size):
    """The report's size text, decimal point."""
    for unit, divisor in ((" MBytes", 1048576), (" KBytes", 1024)):
        quotient, rest = divmod(size * 100, divisor)
        if 2 * rest > divisor or (2 * rest == divisor and quotient % 2):
            quotient += 1
        if quotient >= 100:
            whole, hundredths = divmod(quotient, 100)
            if hundredths == 0:
                return "%d%s" % (whole, unit)
            return ("%d.%02d" % (whole, hundredths)).rstrip("0") + unit
    return "%d Bytes" % size


class Folder:
    def __init__(self, name, parent, path):
        self.name, self.parent, self.path = name, parent, path
        self.children, self.files, self.total = [], [], 0


def make_disc(rng, number, entries):
    root = Folder("", None, "/media/cdrom/")
    folders = [root]
    folder_count = entries // 20
    archive_entries = entries // 20
    for _ in range(folder_count):
        parent = rng.choice(folders)
        if parent.path.count("/") > 6:
            parent = root
        name = "%s %d" % (folder_name(rng), len(folders))
        folder = Folder(name, parent, parent.path.rstrip("/") + "/" + name)
        parent.children.append(folder)
        folders.append(folder)
    file_count = entries - folder_count - archive_entries
    archives = max(1, archive_entries // 20)
    for index in range(file_count):
        folder = rng.choice(folders)
        is_archive = index < archives
        name = (name_of(rng, index).rsplit(".", 1)[0] + ".zip") if is_archive else name_of(rng, index)
        size = int(rng.lognormvariate(11, 2.5)) % 700_000_000
        listing = []
        if is_archive:
            per = archive_entries // archives + (1 if index < archive_entries % archives else 0)
            inner = word(rng)
            listing = [("[DIR] " + inner + "/")] + [inner + "/" + name_of(rng, i) for i in range(per - 1)]
        folder.files.append((name, size, listing))
    for folder in reversed(folders):
        folder.total += sum(size for _, size, _ in folder.files)
        if folder.parent:
            folder.parent.total += folder.total
    return root, folders


def write_disc(rng, number, entries, report_path, paths):
    root, folders = make_disc(rng, number, entries)
    files = sum(len(f.files) for f in folders)
    lines = ["Tarvelo", SECTION, "CD volume: DISC_%04d" % number, "CD size: " + size_text(734003200),
             "CD free space: 0 Bytes", "CD serial number: %d" % rng.randrange(-2**31, 2**31),
             "Files: %d" % files, "Folders: %d" % (len(folders) - 1)]
    prefix = "/disc-%04d/" % number

    def walk(folder, relative):
        lines.append(SECTION)
        if folder.parent:
            lines.extend(["\tFolder:", "\tName: " + folder.name, "\tParent folder: " + folder.parent.path,
                          "\tSubfolders: %d" % len(folder.children), "\tFiles: %d" % len(folder.files),
                          "\tSize: " + size_text(folder.total), ""])
            paths.append(prefix + relative)
        for name, size, listing in folder.files:
            lines.extend(["\t\t" + "-" * 20, "\t\t" + name, "\t\tSize: " + size_text(size)])
            file_path = prefix + (relative + "/" if relative else "") + name
            paths.append(file_path)
            if listing:
                lines.extend(["\t\t\tZIP contents:", "\t\t\tTotal files/folders: %d" % len(listing), "\t\t\tFiles:"])
                for entry in listing:
                    lines.append("\t\t\t\t" + entry)
                    paths.append(file_path + "/" + entry.removeprefix("[DIR] "))
        lines.append(SECTION)
        for child in folder.children:
            walk(child, (relative + "/" if relative else "") + child.name)

    walk(root, "")
    with open(report_path, "w", encoding="utf-8", newline="") as out:
        out.write("\r\n".join(lines) + "\r\n")


def main():
    out = sys.argv[1]
    discs = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
    entries = int(sys.argv[3]) if len(sys.argv) > 3 else 10000
    sys.setrecursionlimit(10000)
    os.makedirs(os.path.join(out, "reports"), exist_ok=True)
    with open(os.path.join(out, "paths.txt"), "w", encoding="utf-8") as path_list:
        for number in range(1, discs + 1):
            paths = []
            write_disc(random.Random(number), number, entries,
                       os.path.join(out, "reports", "disc-%04d.txt" % number), paths)
            path_list.write("\n".join(paths) + "\n")


main()
