#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times tarvelo-report reading a UDF image of 220,000 entries (2,000 folders, 218,000
# small files; UDF 2.50 with a metadata partition, as Blu-ray discs are) against
# `7zz l -tudf` listing the same image. The image is written once by the tests' image
# writer (build/bin/udf_image_tool) and kept under the build folder. The two take turns,
# after one warm-up each (warm cache); the median of the per-round ratios is printed
# with the CPU-time ratio and the peak memory of each. Then the reads of a second image,
# 2,000 folders with 20,000 files and 300 ZIP archives, are counted with strace beside the
# fewest a report needs (one per 256 KiB of file entries and folder identifiers, one per
# archive), with those going backwards and the bytes read against those needed.
#
# Usage: bench/udf_bench.sh BUILD_DIR [ROUNDS]
set -euo pipefail

here=$(dirname "$0")
build=$(cd "${1:?usage: $0 BUILD_DIR [ROUNDS]}" && pwd)
rounds=${2:-7}
program=$build/bin/tarvelo-report
writer=$build/bin/udf_image_tool
work=$build/bench/udf
image=$work/udf-bench.udf
report=$work/udf-report.txt
bench_name="udf benchmark"
source "$here/lib.sh"
reads_image=$work/udf-reads.udf
require_tools "$program" "$writer" 7zz python3 /usr/bin/time strace

# Writes the image IMAGE of a tree of FOLDERS folders, FILES files and ARCHIVES archives,
# and beside it IMAGE.facts, what a report must read of it at the fewest.
make_image() {
    local image=$1 tree=$work/tree
    rm -rf "$tree"
    mkdir -p "$tree"
    python3 "$here/make_tree.py" "$tree" 2026 "$2" "$3" "$4"
    "$writer" "$tree" "$image.part" metadata
    udf_tree_facts "$tree" > "$image.facts"
    mv "$image.part" "$image"
    rm -rf "$tree"
}

mkdir -p "$work"
[[ -s $image ]] || { echo "Making the image $image (once)..."; make_image "$image" 2000 218000 0; }
[[ -s $reads_image && -s $reads_image.facts ]] ||
    { echo "Making the image $reads_image (once)..."; make_image "$reads_image" 2000 20000 300; }

# Prints "elapsed cpu peak-KiB" of one run.
run_tool() {
    local out=$work/time.txt
    case $1 in
        tarvelo) /usr/bin/time -o "$out" -f '%e %U %S %M' "$program" --force --quiet "$image" -o "$report" > /dev/null 2>&1 ;;
        7zz) /usr/bin/time -o "$out" -f '%e %U %S %M' 7zz l -tudf "$image" > "$work/7zz.txt" 2>&1 ;;
    esac
    awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$out"
}

run_tool tarvelo > /dev/null
run_tool 7zz > /dev/null
results=$work/rounds.txt
: > "$results"
for (( round = 1; round <= rounds; round++ )); do
    if (( round % 2 )); then ours=$(run_tool tarvelo); theirs=$(run_tool 7zz)
    else theirs=$(run_tool 7zz); ours=$(run_tool tarvelo); fi
    echo "$ours $theirs" >> "$results"
    echo "round $round: tarvelo-report ${ours%% *}s, 7zz l -tudf ${theirs%% *}s"
done

echo "image: $(du -h "$image" | cut -f1), $(grep -c . "$report") report lines, 7zz: $(tail -1 "$work/7zz.txt")"
python3 - "$results" <<'PY'
import statistics, sys
rows = [list(map(float, line.split())) for line in open(sys.argv[1])]
wall = statistics.median(r[0] / r[3] for r in rows if r[3] > 0)
cpu = statistics.median(r[1] / r[4] for r in rows if r[4] > 0)
print(f"median seconds: tarvelo-report {statistics.median(r[0] for r in rows):.2f}, "
      f"7zz l -tudf {statistics.median(r[3] for r in rows):.2f}")
print(f"peak memory: tarvelo-report {max(r[2] for r in rows) / 1024:.0f} MiB, "
      f"7zz l -tudf {max(r[5] for r in rows) / 1024:.0f} MiB")
print(f"udf benchmark: tarvelo-report / 7zz l -tudf = {wall:.2f} (wall, median of rounds), "
      f"{cpu:.2f} (CPU time)")
PY

read -r folder_bytes archives archive_bytes < "$reads_image.facts"
reads_of() { file_reads "$work/strace.log" "$(basename "$reads_image")" "$@"; }
read -r own_reads own_bytes own_back < <(reads_of "$program" --force --quiet "$reads_image" -o "$report")
read -r sz_reads _ _ < <(reads_of 7zz l -tudf "$reads_image")
printf 'reads of the image (file entries and identifiers %d KiB, %d archives): tarvelo-report %d, 7zz l -tudf %d\n' \
    $(( folder_bytes / 1024 )) "$archives" "$own_reads" "$sz_reads"
read_figures_line "$own_reads" "$own_bytes" "$own_back" "$folder_bytes" "$archives" "$archive_bytes"
