#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Lists a RAR 4 archive of 20,000 entries with tarvelo-report and, in paired runs, with
# the one-pass lower bound (bench/rar_lower_bound.cpp), bsdtar -tf and lsar, and prints
# time, CPU and memory ratios; then the memory a listing of 50 MB of the smallest RAR 4
# and RAR 5 headers costs per archive byte, and the time against the lower bound there.
# Usage: rar_bench.sh BUILD_DIR
set -euo pipefail

build=$(cd "${1:?usage: rar_bench.sh BUILD_DIR}" && pwd)
report="$build/bin/tarvelo-report"
entries=20000
work="$build/bench/rar"
disc="$work/disc"
archive="$disc/entries-$entries.rar"

here=$(cd "$(dirname "$0")" && pwd)

bench_name=rar_bench
source "$here/lib.sh"
require_tools "$report" bsdtar lsar python3 c++ /usr/bin/time

lower_bound="$work/rar_lower_bound"
mkdir -p "$work"
build_helper "$here/rar_lower_bound.cpp" "$lower_bound"

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
by_lower_bound=$("$lower_bound" "$archive" | count_files)
for pair in "tarvelo-report:$listed" "lower bound:$by_lower_bound" "bsdtar:$by_bsdtar" "lsar:$by_lsar"; do
    [[ ${pair#*:} -eq $entries ]] || { echo "rar_bench: ${pair%%:*} lists ${pair#*:} of $entries files" >&2; exit 1; }
done

echo "RAR listing, paired runs (time and cpu: tarvelo-report / other; memory: peak RSS ratio)"
# Each lister writes into a file through standard output.
ours="LC_ALL=C.UTF-8 '$report' --quiet '$disc' -o - > '$work/report.txt'"
paired_ratio "20,000 RAR 4 entries" tarvelo-report "$ours" "lower bound" "'$lower_bound' '$archive' > '$work/names.txt'"
paired_ratio "20,000 RAR 4 entries" tarvelo-report "$ours" "bsdtar -tf" "bsdtar -tf '$archive' > '$work/names.txt'"
paired_ratio "20,000 RAR 4 entries" tarvelo-report "$ours" lsar "lsar '$archive' > '$work/names.txt'"

# The smallest file headers (stored, empty, 8-byte names) filling 50 MB, once, and kept.
# Usage: make_minimal PATH FORMAT COUNT
make_minimal() {
    [[ -f $1 ]] && return
    mkdir -p "$(dirname "$1")"
    python3 - "$1" "$2" "$3" <<'PY'
import struct, sys, zlib
path, kind, count = sys.argv[1], sys.argv[2], int(sys.argv[3])

def rar4_block(kind, flags, fields):
    body = struct.pack("<BHH", kind, flags, 7 + len(fields)) + fields
    return struct.pack("<H", zlib.crc32(body) & 0xFFFF) + body

def rar5_header(fields):  # fields from the type on; every vint here fits one byte
    body = bytes([len(fields)]) + fields
    return struct.pack("<I", zlib.crc32(body)) + body

with open(path + ".part", "wb") as out:
    if kind == "rar4":
        out.write(b"Rar!\x1a\x07\x00" + rar4_block(0x73, 0, bytes(6)))
        for i in range(count):
            name = f"{i:08x}".encode()
            out.write(rar4_block(0x74, 0x8000, struct.pack("<IIBIIBBHI", 0, 0, 2, 0, 0, 29, 0x30, len(name), 0x20) + name))
        out.write(rar4_block(0x7B, 0x4000, b""))
    else:
        out.write(b"Rar!\x1a\x07\x01\x00" + rar5_header(bytes([1, 0, 0])))
        for i in range(count):
            name = f"{i:08x}".encode()
            # type 2, flags, file flags, size, attributes, compression, host, name
            out.write(rar5_header(bytes([2, 0, 0, 0, 0x20, 0, 0, len(name)]) + name))
        out.write(rar5_header(bytes([5, 0, 0])))
PY
    mv "$1.part" "$1"
}

rar4_count=$((50000000 / 40)) # 32-byte header and the name
rar5_count=$((50000000 / 21)) # 4-byte CRC, 9 one-byte fields and the name
make_minimal "$work/minimal-rar4/minimal.rar" rar4 "$rar4_count"
make_minimal "$work/minimal-rar5/minimal.rar" rar5 "$rar5_count"
memory_per_byte "RAR 4, 50 MB of headers" "$work/minimal-rar4/minimal.rar" "$rar4_count"
memory_per_byte "RAR 5, 50 MB of headers" "$work/minimal-rar5/minimal.rar" "$rar5_count"

# The same headers listed against the lower bound: names alone, a million and more.
# Usage: compare_minimal LABEL ARCHIVE ENTRIES
compare_minimal() {
    local ours="LC_ALL=C.UTF-8 '$report' --quiet '$(dirname "$2")' -o - > '$work/report.txt'"
    local listed
    listed=$("$lower_bound" "$2" | wc -l)
    [[ $listed -eq $3 ]] || { echo "rar_bench: the lower bound lists $listed of $3 entries in $2" >&2; exit 1; }
    paired_ratio "$1" tarvelo-report "$ours" "lower bound" "'$lower_bound' '$2' > '$work/names.txt'"
}

echo "RAR listing of the smallest headers, paired runs against the lower bound"
compare_minimal "RAR 4, 50 MB of headers" "$work/minimal-rar4/minimal.rar" "$rar4_count"
compare_minimal "RAR 5, 50 MB of headers" "$work/minimal-rar5/minimal.rar" "$rar5_count"
