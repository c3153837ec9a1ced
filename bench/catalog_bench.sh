#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The catalogue against its peers on 1,000 synthetic discs of 10,000 entries each
# (names of real file-name shapes, 5% inside .zip archives), generated once as text
# reports under the build folder and imported into a catalogue:
#   find          median of tarvelo-catalog find for 3-8 character substrings (warm),
#                 against grep -F -i -r over the 1,000 reports and plocate over a
#                 database of the same paths, each piped into wc -l, interleaved;
#   add           tarvelo-catalog add of a disc against tarvelo-report of it;
#   size          the catalogue file against the reports together.
# Targets: find under 50 ms and at least 20x faster than grep; add at most 1.5x the
# report; catalogue at most 2x the reports.
#
# Usage: bench/catalog_bench.sh BUILD_DIR [ROUNDS] [DISCS] [ENTRIES]
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR [ROUNDS] [DISCS] [ENTRIES]}
rounds=${2:-7}
discs=${3:-1000}
entries=${4:-10000}
here=$(cd "$(dirname "$0")" && pwd)
catalog_program=$build/bin/tarvelo-catalog
report_program=$build/bin/tarvelo-report
work=$build/bench/catalog-$discs-$entries
catalog=$work/catalog.sqlite
for tool in plocate plocate-build python3; do
    command -v "$tool" > /dev/null || { echo "catalog bench: $tool not found" >&2; exit 1; }
done
[[ -x $catalog_program && -x $report_program ]] || { echo "no programs in $build/bin: build first" >&2; exit 1; }

if [[ ! -e $work/ready ]]; then
    echo "Generating $discs reports of $entries entries under $work (once)..."
    rm -rf "$work"
    python3 "$here/catalog_make_reports.py" "$work" "$discs" "$entries"
    plocate-build --plaintext "$work/paths.txt" "$work/paths.plocate"
    touch "$work/ready"
fi
# The catalogue is the program's own output: made again whenever the program is newer,
# so a catalogue of an older build (and its migration) is never what is measured.
if [[ ! $catalog -nt $catalog_program ]]; then
    echo "Importing them into $catalog..."
    rm -f "$catalog" "$catalog"-wal "$catalog"-shm
    find "$work/reports" -name '*.txt' -print0 | sort -z |
        xargs -0 -n 100 "$catalog_program" --catalog "$catalog" import 2> "$work/import.log"
fi

TIMEFORMAT='%R %U %S'
# Runs a shell command; prints its wall-clock and CPU seconds.
measure() {
    local times
    times=$( { time bash -c "$1" > /dev/null 2>> "$work/bench.log"; } 2>&1 )
    awk '{ printf "%.4f %.4f\n", $1, $2 + $3 }' <<< "$times"
}
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# The median of numbers separated by spaces.
medianOf() { tr ' ' '\n' <<< "$1" | grep . | median; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

patterns=(inv 2003 zadac djurdj izvest DSC0123 stramo lokre)
ours="'$catalog_program' --catalog '$catalog' find"
grep_cmd="grep -F -i -r"
plocate_cmd="plocate -d '$work/paths.plocate' -i"

# Warm every cache once; our hits of each pattern are kept for the table below.
declare -A hits_of own_of grep_of ratio_of
for pattern in "${patterns[@]}"; do
    hits_of[$pattern]=$(bash -c "$ours '$pattern' | wc -l")
    for command in "$grep_cmd" "$plocate_cmd"; do
        bash -c "$command '$pattern' $( [[ $command == "$grep_cmd" ]] && echo "'$work/reports'" ) | wc -l" > /dev/null || true
    done
done

own_times=() grep_ratios=() plocate_ratios=() grep_cpu=() plocate_cpu=()
for (( round = 1; round <= rounds; round++ )); do
    for pattern in "${patterns[@]}"; do
        read -r own own_c < <(measure "$ours '$pattern' | wc -l")
        read -r grep_t grep_c < <(measure "$grep_cmd '$pattern' '$work/reports' | wc -l")
        read -r loc loc_c < <(measure "$plocate_cmd '$pattern' | wc -l")
        own_times+=("$own")
        grep_ratios+=("$(ratio "$grep_t" "$own")")
        own_of[$pattern]+="$own " grep_of[$pattern]+="$grep_t " ratio_of[$pattern]+="${grep_ratios[-1]} "
        plocate_ratios+=("$(ratio "$loc" "$own")")
        grep_cpu+=("$(ratio "$grep_c" "$own_c")")
        plocate_cpu+=("$(ratio "$loc_c" "$own_c")")
    done
    echo "round $round: last pattern: find ${own}s, grep ${grep_t}s, plocate ${loc}s"
done
echo "per pattern, median of $rounds rounds:"
for pattern in "${patterns[@]}"; do
    printf '  %-8s %8d hits   find %7.1f ms   grep %7.1f ms   grep / find %6.2f\n' "$pattern" \
        "${hits_of[$pattern]}" "$(medianOf "${own_of[$pattern]}" | awk '{ print $1 * 1000 }')" \
        "$(medianOf "${grep_of[$pattern]}" | awk '{ print $1 * 1000 }')" "$(medianOf "${ratio_of[$pattern]}")"
done
echo "find 'inv': ${hits_of[inv]} hits; peak memory (KiB): find $(/usr/bin/time -f %M bash -c "$ours inv > /dev/null" 2>&1 | tail -1)," \
     "grep $(/usr/bin/time -f %M bash -c "$grep_cmd inv '$work/reports' > /dev/null" 2>&1 | tail -1)," \
     "plocate $(/usr/bin/time -f %M bash -c "$plocate_cmd inv > /dev/null" 2>&1 | tail -1)"

# add against the report of the same source: the disc the reports were made from is
# not on this machine, so one is made as a folder tree of 10,000 entries.
tree=$work/tree
if [[ ! -e $tree.done ]]; then
    rm -rf "$tree"
    python3 - "$tree" "$entries" <<'PY'
import os, random, sys
root, entries = sys.argv[1], int(sys.argv[2])
rng = random.Random(7)
folders = [root]
os.makedirs(root)
for number in range(entries // 20):
    path = os.path.join(rng.choice(folders), "folder %04d" % number)
    os.mkdir(path)
    folders.append(path)
for number in range(entries - len(folders) + 1):
    with open(os.path.join(rng.choice(folders), "file %05d.txt" % number), "wb") as f:
        f.truncate(rng.randrange(0, 1_000_000))
PY
    touch "$tree.done"
fi
add_ratios=() add_cpu=()
add_catalog=$work/add-catalog.sqlite
cp "$catalog" "$add_catalog"
for (( round = 1; round <= rounds; round++ )); do
    read -r rep rep_c < <(measure "LC_ALL=C.UTF-8 '$report_program' --quiet --force '$tree' -o '$work/tree-report.txt'")
    read -r add add_c < <(measure "'$catalog_program' --catalog '$add_catalog' add -q '$tree'")
    # Taken out again, untimed, so every round adds the same disc to the same catalogue.
    "$catalog_program" --catalog "$add_catalog" remove "$("$catalog_program" --catalog "$add_catalog" discs | tail -1 | cut -f1)" 2> /dev/null
    add_ratios+=("$(ratio "$add" "$rep")")
    add_cpu+=("$(ratio "$add_c" "$rep_c")")
    echo "round $round: tarvelo-report ${rep}s, add ${add}s (into the $discs-disc catalogue)"
done
rm -f "$add_catalog" "$add_catalog"-wal "$add_catalog"-shm

reports_bytes=$(du -cb "$work"/reports/*.txt | tail -1 | cut -f1)
catalog_bytes=$(stat -c %s "$catalog")
[[ ! -e $catalog-wal ]] || catalog_bytes=$((catalog_bytes + $(stat -c %s "$catalog-wal")))
echo
echo "catalogue: $discs discs x $entries entries"
printf 'find: median %.1f ms over %d patterns x %d rounds (target under 50 ms)\n' \
    "$(printf '%s\n' "${own_times[@]}" | median | awk '{ print $1 * 1000 }')" "${#patterns[@]}" "$rounds"
echo "find vs grep -F -i -r: median ratio $(printf '%s\n' "${grep_ratios[@]}" | median)x faster (CPU $(printf '%s\n' "${grep_cpu[@]}" | median)x; target at least 20x)"
echo "find vs plocate -i: median ratio $(printf '%s\n' "${plocate_ratios[@]}" | median) (plocate time / ours; CPU $(printf '%s\n' "${plocate_cpu[@]}" | median))"
echo "add vs tarvelo-report: median ratio $(printf '%s\n' "${add_ratios[@]}" | median) (CPU $(printf '%s\n' "${add_cpu[@]}" | median); target at most 1.5)"
echo "size: catalogue $catalog_bytes bytes, reports $reports_bytes bytes, ratio $(ratio "$catalog_bytes" "$reports_bytes") (target at most 2)"
