#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Lists ZIP archives with tarvelo-report and, in paired runs, with the one-read lower bound
# (bench/zip_lower_bound.cpp) and zipinfo -1, and prints time, CPU and memory ratios:
# 1,000,000 short names, and 200,000 UTF-8 names of about 200 bytes (bsdtar -tf takes a
# minute a run on these, so it is left out). Then the memory a listing of 50 MB of the
# smallest headers costs per archive byte.
# Usage: zip_bench.sh BUILD_DIR
set -euo pipefail

build=$(cd "${1:?usage: zip_bench.sh BUILD_DIR}" && pwd)
report="$build/bin/tarvelo-report"
work="$build/bench/zip"
here=$(cd "$(dirname "$0")" && pwd)

bench_name=zip_bench
source "$here/lib.sh"
require_tools "$report" zipinfo python3 c++ /usr/bin/time

lower_bound="$work/zip_lower_bound"
mkdir -p "$work"
build_helper "$here/zip_lower_bound.cpp" "$lower_bound"

# Written record by record (stored, empty files; ZIP64 end records past 65,535 entries),
# once, and kept: "short" and "long" names, or "minimal" headers (8-byte names) for the
# memory measure. Usage: make_zip PATH COUNT NAME_KIND
make_zip() {
    [[ -f $1 ]] && return
    mkdir -p "$(dirname "$1")"
    python3 - "$1" "$2" "$3" <<'PY'
import struct, sys
path, count, kind = sys.argv[1], int(sys.argv[2]), sys.argv[3]
def name(i):
    if kind == "minimal":
        return f"{i:08x}".encode()
    if kind == "short":
        return f"folder{i // 1000:04}/file{i:07}.txt".encode()
    return (f"папка{i // 1000:04}/" + "Überschrift документа " * 8 + f"{i:07}.txt").encode()
central, offset = bytearray(), 0
with open(path + ".part", "wb") as out:
    for i in range(count):
        n = name(i)
        out.write(struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0x800, 0, 0, 0, 0, 0, 0, len(n), 0) + n)
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 0x314, 20, 0x800, 0, 0, 0, 0, 0, 0,
                               len(n), 0, 0, 0, 0, 0o100644 << 16, offset) + n
        offset += 30 + len(n)
    out.write(central)
    end = offset + len(central)
    out.write(struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, count, count, len(central), offset))
    out.write(struct.pack("<IIQI", 0x07064B50, 0, end, 1))
    out.write(struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0))
PY
    mv "$1.part" "$1"
}

# 50 MB of the smallest headers: what a listing costs in memory per archive byte.
measure_memory() {
    local count=$((50000000 / 92)) # 30 + 46 bytes of headers and the name twice
    make_zip "$work/minimal/minimal.zip" "$count" minimal
    memory_per_byte "ZIP, 50 MB of headers" "$work/minimal/minimal.zip" "$count"
}

# One archive in a folder of its own, listed by each program into a file through standard
# output (the report too: no temporary file and no fsync, which only -o FILE needs).
compare_zip() {
    local label=$1 count=$2 kind=$3
    local disc="$work/$kind" archive="$work/$kind/entries-$count.zip"
    make_zip "$archive" "$count" "$kind"
    local ours="LC_ALL=C.UTF-8 '$report' --quiet '$disc' -o - > '$work/report.txt'"
    local listed
    listed=$(bash -c "$ours" && grep -c '\.txt' "$work/report.txt" || true)
    [[ $listed -eq $count ]] || { echo "zip_bench: the report lists $listed of $count entries" >&2; exit 1; }
    paired_ratio "$label" tarvelo-report "$ours" "lower bound" "'$lower_bound' '$archive' > '$work/names.txt'"
    paired_ratio "$label" tarvelo-report "$ours" "zipinfo -1" "zipinfo -1 '$archive' > '$work/names.txt'"
}

measure_memory
echo "ZIP listing, paired runs (time and cpu: tarvelo-report / other; memory: peak RSS ratio)"
compare_zip "1,000,000 short names" 1000000 short
compare_zip "200,000 names of ~200 bytes" 200000 long
