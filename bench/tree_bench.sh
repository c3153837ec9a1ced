#!/usr/bin/env bash
# Times tarvelo-report against find on one large tree: 200,000 sparse files in 20,000
# folders, up to 12 deep, generated once and kept under the build folder. The cache is
# warm, runs alternate between the two, and the median of the paired ratios is printed
# (target: at most 1.0, while writing the whole report).
#
# Usage: bench/tree_bench.sh BUILD_DIR [RUNS]
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR [RUNS]}
runs=${2:-7}
program=$build/bin/tarvelo-report
tree=$build/bench/tree
report=$build/bench/tree-report.txt
[[ -x $program ]] || { echo "no $program: build first" >&2; exit 1; }

make_tree() {
    rm -rf "$tree"
    mkdir -p "$tree"
    python3 - "$tree" <<'PY'
import os, random, sys

root = sys.argv[1]
rng = random.Random(2024)
folders = [(root, 0)]
while len(folders) < 20000:
    parent, depth = rng.choice(folders)
    if depth >= 12:
        continue
    path = os.path.join(parent, "folder-%05d" % len(folders))
    os.mkdir(path)
    folders.append((path, depth + 1))
extensions = [".txt", ".dat", ".jpg", ".doc", ".html", ".mp3", ".TXT", ".EXE"]
for number in range(200000):
    folder, _ = rng.choice(folders)
    name = "file-%06d%s" % (number, rng.choice(extensions))
    with open(os.path.join(folder, name), "wb") as f:
        f.truncate(rng.randrange(0, 50_000_000))  # sparse: no blocks on disc
PY
    touch "$tree.done"
}

[[ -e $tree.done ]] || { echo "Generating the tree under $tree (once)..."; make_tree; }

# Runs a command with its output thrown away; prints its wall-clock and CPU seconds.
TIMEFORMAT='%R %U %S'
measure() {
    local times
    times=$( { time "$@" > /dev/null 2>> "$build/bench/tree-bench.log"; } 2>&1 )
    awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' <<< "$times"
}
run_find() { measure find "$tree" -printf '%s %p\n'; }
run_report() { measure "$program" --force --quiet "$tree" -o "$report"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Warm the cache, and make sure the program succeeds at all.
find "$tree" -printf '%s %p\n' > /dev/null
"$program" --force --quiet "$tree" -o "$report"

wall_ratios=() cpu_ratios=()
for (( run = 1; run <= runs; run++ )); do
    if (( run % 2 )); then
        read -r find_wall find_cpu < <(run_find); read -r own_wall own_cpu < <(run_report)
    else
        read -r own_wall own_cpu < <(run_report); read -r find_wall find_cpu < <(run_find)
    fi
    wall_ratios+=("$(awk -v a="$own_wall" -v b="$find_wall" 'BEGIN { printf "%.3f", a / b }')")
    cpu_ratios+=("$(awk -v a="$own_cpu" -v b="$find_cpu" 'BEGIN { printf "%.3f", a / b }')")
    printf 'run %d: find %ss (CPU %ss), tarvelo-report %ss (CPU %ss), ratio %s\n' "$run" \
        "$find_wall" "$find_cpu" "$own_wall" "$own_cpu" "${wall_ratios[-1]}"
done

echo "report: $(wc -c < "$report") bytes for $(find "$tree" | wc -l) entries"
echo "CPU time: median ratio tarvelo-report / find = $(printf '%s\n' "${cpu_ratios[@]}" | median)"
echo "tree benchmark: median ratio tarvelo-report / find = $(printf '%s\n' "${wall_ratios[@]}" | median) (target: at most 1.0)"
