#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times tarvelo-report against find on two trees generated once under the build folder:
# a large one (200,000 sparse files in 20,000 folders, up to 12 deep) and a chain of 2,000
# nested folders. The cache is warm, runs alternate between the two programs, and the
# median of the paired ratios is printed (target: at most 1.0 on both). Both write their
# whole output to standard output, thrown away: the same output work, with no time spent
# making the report reach the disc. Then the peak memory per entry of a report of a
# third tree of 1.1 million entries (target: at most 48 bytes).
#
# Usage: bench/tree_bench.sh BUILD_DIR [RUNS]
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR [RUNS]}
runs=${2:-7}
program=$build/bin/tarvelo-report
tree=$build/bench/tree
big_tree=$build/bench/big-tree
chain=$build/bench/chain
report=$build/bench/tree-report.txt
log=$build/bench/tree-bench.log
[[ -x $program ]] || { echo "no $program: build first" >&2; exit 1; }

# Makes a tree of sparse files at random places in folders up to 12 deep.
# Usage: make_tree FOLDER FOLDERS FILES
make_tree() {
    rm -rf "$1"
    mkdir -p "$1"
    python3 - "$@" <<'PY'
import os, random, sys

root, folder_count, file_count = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(2024)
folders = [(root, 0)]
while len(folders) < folder_count:
    parent, depth = rng.choice(folders)
    if depth >= 12:
        continue
    path = os.path.join(parent, "folder-%05d" % len(folders))
    os.mkdir(path)
    folders.append((path, depth + 1))
extensions = [".txt", ".dat", ".jpg", ".doc", ".html", ".mp3", ".TXT", ".EXE"]
for number in range(file_count):
    folder, _ = rng.choice(folders)
    name = "file-%06d%s" % (number, rng.choice(extensions))
    with open(os.path.join(folder, name), "wb") as f:
        f.truncate(rng.randrange(0, 50_000_000))  # sparse: no blocks on disc
PY
    touch "$1.done"
}

# One-letter names keep the deepest path (about 4,000 bytes) within what a host can open.
make_chain() {
    rm -rf "$chain"
    mkdir -p "$chain"
    python3 - "$chain" <<'PY'
import os, sys

os.chdir(sys.argv[1])
for _ in range(2000):
    os.mkdir("d")
    os.chdir("d")
PY
    touch "$chain.done"
}

[[ -e $tree.done ]] || { echo "Generating the tree under $tree (once)..."; make_tree "$tree" 20000 200000; }
[[ -e $big_tree.done ]] || {
    echo "Generating the tree under $big_tree (once)..."
    make_tree "$big_tree" 100000 1000000
}
[[ -e $chain.done ]] || { echo "Generating the chain under $chain (once)..."; make_chain; }

# Runs a command REPEAT times with its output thrown away; prints the wall-clock and CPU
# seconds of all of them.
TIMEFORMAT='%R %U %S'
measure() {
    local repeat=$1 times
    shift
    times=$( { time for (( i = 0; i < repeat; i++ )); do "$@" > /dev/null 2>> "$log"; done; } 2>&1 )
    awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' <<< "$times"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }'; }

# Paired runs of find and tarvelo-report over one folder, each run REPEAT commands long.
# Usage: compare_with_find NAME FOLDER REPEAT
compare_with_find() {
    local name=$1 folder=$2 repeat=$3
    local find_command=(find "$folder" -printf '%s %p\n')
    local report_command=("$program" --quiet "$folder" -o -)
    # Warm the cache, and make sure the program succeeds at all.
    "${find_command[@]}" > /dev/null
    "${report_command[@]}" > "$report"
    local wall_ratios=() cpu_ratios=() run find_wall find_cpu own_wall own_cpu
    for (( run = 1; run <= runs; run++ )); do
        if (( run % 2 )); then
            read -r find_wall find_cpu < <(measure "$repeat" "${find_command[@]}")
            read -r own_wall own_cpu < <(measure "$repeat" "${report_command[@]}")
        else
            read -r own_wall own_cpu < <(measure "$repeat" "${report_command[@]}")
            read -r find_wall find_cpu < <(measure "$repeat" "${find_command[@]}")
        fi
        wall_ratios+=("$(ratio "$own_wall" "$find_wall")")
        cpu_ratios+=("$(ratio "$own_cpu" "$find_cpu")")
        printf '%s run %d: find %ss (CPU %ss), tarvelo-report %ss (CPU %ss), ratio %s\n' \
            "$name" "$run" "$find_wall" "$find_cpu" "$own_wall" "$own_cpu" "${wall_ratios[-1]}"
    done
    echo "$name: report $(wc -c < "$report") bytes for $(find "$folder" | wc -l) entries"
    echo "$name: CPU time median ratio tarvelo-report / find = $(printf '%s\n' "${cpu_ratios[@]}" | median)"
    echo "$name benchmark: median ratio tarvelo-report / find = $(printf '%s\n' "${wall_ratios[@]}" | median) (target: at most 1.0)"
}

# Peak memory (KiB) of a report of one folder.
peak_kib() {
    /usr/bin/time -f %M -o "$build/bench/peak.txt" "$program" --force --quiet "$1" -o "$report"
    cat "$build/bench/peak.txt"
}

# The whole peak per entry, and the growth per entry over an empty folder's peak (what
# each entry costs, without the program's fixed memory).
memory_per_entry() {
    local empty=$build/bench/empty entries peak base
    mkdir -p "$empty"
    entries=$(( $(find "$big_tree" | wc -l) - 1 ))
    peak=$(peak_kib "$big_tree")
    base=$(peak_kib "$empty")
    echo "memory: peak ${peak} KiB for $entries entries (empty folder: ${base} KiB)"
    echo "memory: $(( peak * 1024 / entries )) bytes per entry (target: at most 48)," \
        "$(( (peak - base) * 1024 / entries )) above the empty folder's peak"
}

compare_with_find tree "$tree" 1
compare_with_find chain "$chain" 10
memory_per_entry
