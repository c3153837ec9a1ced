#!/usr/bin/env bash
# Lists a ZIP of 100,000 entries with tarvelo-report and, in the same run, with
# zipinfo -1 and bsdtar -tf, and prints the times. Usage: zip_bench.sh BUILD_DIR
set -euo pipefail

build=$(cd "${1:?usage: zip_bench.sh BUILD_DIR}" && pwd)
report="$build/bin/tarvelo-report"
entries=100000
work="$build/bench/zip"
disc="$work/disc"
archive="$disc/entries-$entries.zip"

bench_name=zip_bench
source "$(dirname "$0")/lib.sh"
require_tools "$report" zipinfo bsdtar hyperfine python3

# Made once and kept: folders of 1,000 small files each, past 65,535 entries so the
# archive carries ZIP64 end records as well.
if [[ ! -f $archive ]]; then
    mkdir -p "$disc"
    python3 - "$archive" "$entries" <<'PY'
import sys, zipfile
path, count = sys.argv[1], int(sys.argv[2])
with zipfile.ZipFile(path + ".part", "w", zipfile.ZIP_DEFLATED) as z:
    for i in range(count):
        if i % 1000 == 0:
            z.writestr(f"folder{i // 1000:03}/", b"")
        z.writestr(f"folder{i // 1000:03}/file{i:06}.txt", f"entry {i}\n")
PY
    mv "$archive.part" "$archive"
fi

listed=$(LC_ALL=C.UTF-8 "$report" --force "$disc" -o "$work/report.txt" > /dev/null 2>&1 && grep -c 'file0' "$work/report.txt" || true)
[[ $listed -eq $entries ]] || { echo "zip_bench: the report lists $listed of $entries entries" >&2; exit 1; }

echo "Listing $(basename "$archive") ($(stat -c %s "$archive") bytes, $entries files)"
compare_listings "$disc" "zipinfo -1" "zipinfo -1 '$archive'" "bsdtar -tf" "bsdtar -tf '$archive'"
