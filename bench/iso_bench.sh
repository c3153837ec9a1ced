#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times tarvelo-report reading a disc image against 7zz and bsdtar listing the same
# image: 20,000 files and 100 ZIP archives in 2,000 folders, Joliet and Rock Ridge, made
# once by xorriso and kept under the build folder. The cache is warm and the three take
# turns; the median of each is printed with the ratios (target: tarvelo-report faster
# than both). Then each one's reads of the image are counted with strace, beside the
# fewest a report needs: one per 256 KiB of the tree's folder records, one per archive;
# tarvelo-report's reads that go backwards and its bytes against the fewest are shown too.
#
# Usage: bench/iso_bench.sh BUILD_DIR [RUNS]
set -euo pipefail

here=$(dirname "$0")
build=${1:?usage: $0 BUILD_DIR [RUNS]}
runs=${2:-7}
program=$build/bin/tarvelo-report
work=$build/bench
image=$work/iso-bench-2.iso
report=$work/iso-report.txt
bench_name="iso benchmark"
source "$here/lib.sh"
[[ -x $program ]] || { echo "no $program: build first" >&2; exit 1; }
require_tools xorriso 7zz bsdtar strace python3

make_image() {
    local tree=$work/iso-tree
    rm -rf "$tree"
    mkdir -p "$tree"
    python3 "$here/make_tree.py" "$tree" 2024 2000 20000 100
    xorriso -as mkisofs -quiet -J -joliet-long -R -V ISO_BENCH -o "$image" "$tree" 2> /dev/null
    rm -rf "$tree"
}

mkdir -p "$work"
[[ -s $image ]] || { echo "Making the image $image (once)..."; make_image; }

TIMEFORMAT='%R'
measure() { { time "$@" > /dev/null 2>&1; } 2>&1; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

tools=(tarvelo 7zz bsdtar)
run_tool() {
    case $1 in
        tarvelo) measure "$program" --force --quiet "$image" -o "$report" ;;
        7zz) measure 7zz l "$image" ;;
        bsdtar) measure bsdtar -tf "$image" ;;
    esac
}

for tool in "${tools[@]}"; do run_tool "$tool" > /dev/null; done # warm the cache
declare -A times
for (( run = 1; run <= runs; run++ )); do
    line="run $run:"
    for (( i = 0; i < ${#tools[@]}; i++ )); do
        tool=${tools[(i + run) % ${#tools[@]}]}
        seconds=$(run_tool "$tool")
        times[$tool]+="$seconds "
        line+=" $tool ${seconds}s"
    done
    echo "$line"
done

declare -A medians
for tool in "${tools[@]}"; do medians[$tool]=$(tr ' ' '\n' <<< "${times[$tool]}" | grep . | median); done
echo "image: $(du -h "$image" | cut -f1), report $(wc -l < "$report") lines"
printf 'median seconds: tarvelo-report %s, 7zz l %s, bsdtar -tf %s\n' \
    "${medians[tarvelo]}" "${medians[7zz]}" "${medians[bsdtar]}"
awk -v own="${medians[tarvelo]}" -v sz="${medians[7zz]}" -v bt="${medians[bsdtar]}" 'BEGIN {
    printf "iso benchmark: tarvelo-report / 7zz l = %.2f, tarvelo-report / bsdtar -tf = %.2f (target: both below 1.0)\n",
        own / sz, own / bt }'

# How often each command reads the image, as strace sees it, beside the fewest a report
# needs; for tarvelo-report also the reads that go backwards and the bytes it reads.
read -r folder_bytes archives archive_bytes < <(disc_facts "$image")
reads_of() { file_reads "$work/strace.log" "$(basename "$image")" "$@"; }
read -r own_reads own_bytes own_back < <(reads_of "$program" --force --quiet "$image" -o "$report")
read -r sz_reads _ _ < <(reads_of 7zz l "$image")
read -r bt_reads _ _ < <(reads_of bsdtar -tf "$image")
printf 'reads of the image (folder records %d KiB, %d archives): tarvelo-report %d, 7zz l %d, bsdtar -tf %d\n' \
    $(( folder_bytes / 1024 )) "$archives" "$own_reads" "$sz_reads" "$bt_reads"
read_figures_line "$own_reads" "$own_bytes" "$own_back" "$folder_bytes" "$archives" "$archive_bytes"
