#!/usr/bin/env bash
# Lists a RAR 4 archive of 20,000 entries with tarvelo-report and, in the same run, with
# bsdtar -tf and lsar, and prints the times. Usage: rar_bench.sh BUILD_DIR
set -euo pipefail

build=$(cd "${1:?usage: rar_bench.sh BUILD_DIR}" && pwd)
report="$build/bin/tarvelo-report"
entries=20000
work="$build/bench/rar"
disc="$work/disc"
archive="$disc/entries-$entries.rar"

bench_name=rar_bench
source "$(dirname "$0")/lib.sh"
require_tools "$report" bsdtar lsar hyperfine python3

# No RAR writer here: the archive is written block by block (stored files, one folder
# per 1,000 of them, header CRCs as the format wants them) once, and kept.
if [[ ! -f $archive ]]; then
    mkdir -p "$disc"
    python3 - "$archive" "$entries" <<'PY'
import struct, sys, zlib
path, count = sys.argv[1], int(sys.argv[2])
DOS_TIME = (2024 - 1980) << 25 | 6 << 21 | 1 << 16 | 12 << 11

def block(kind, flags, fields):
    body = struct.pack("<BHH", kind, flags, 7 + len(fields)) + fields
    return struct.pack("<H", zlib.crc32(body) & 0xFFFF) + body

def file_block(name, data, directory):
    flags, attr = (0x80E0, 0x10) if directory else (0x8000, 0x20)
    fields = struct.pack("<IIBIIBBHI", len(data), len(data), 2, zlib.crc32(data), DOS_TIME,
                         20 if directory else 29, 0x30, len(name), attr) + name
    return block(0x74, flags, fields) + data

with open(path + ".part", "wb") as out:
    out.write(b"Rar!\x1a\x07\x00")
    out.write(block(0x73, 0, bytes(6)))
    for i in range(count):
        folder = f"folder{i // 1000:03}".encode()
        out.write(file_block(folder + f"\\file{i:06}.txt".encode(), f"entry {i}\n".encode(), False))
        if i % 1000 == 999:
            out.write(file_block(folder, b"", True))
    out.write(block(0x7B, 0x4000, b""))
PY
    mv "$archive.part" "$archive"
fi

# The same archive, three readers: each must see every file before its time counts.
count_files() { grep -c 'file0' || true; }
listed=$(LC_ALL=C.UTF-8 "$report" --force "$disc" -o "$work/report.txt" > /dev/null 2>&1 && count_files < "$work/report.txt")
by_bsdtar=$(bsdtar -tf "$archive" | count_files)
by_lsar=$(lsar "$archive" | count_files)
for pair in "tarvelo-report:$listed" "bsdtar:$by_bsdtar" "lsar:$by_lsar"; do
    [[ ${pair#*:} -eq $entries ]] || { echo "rar_bench: ${pair%%:*} lists ${pair#*:} of $entries files" >&2; exit 1; }
done

echo "Listing $(basename "$archive") ($(stat -c %s "$archive") bytes, $entries files)"
compare_listings "$disc" "bsdtar -tf" "bsdtar -tf '$archive'" lsar "lsar '$archive'"
