# Shared by the archive benchmarks: sourced, not run.

# Fails with a clear line when a program the benchmark runs is missing.
require_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" > /dev/null || { echo "$bench_name: $tool not found" >&2; exit 1; }
    done
}

# Times tarvelo-report on the folder holding one archive against other listers of the
# archive, in the same run, and says for each whether tarvelo-report was faster.
# Usage: compare_listings DISC_FOLDER NAME COMMAND [NAME COMMAND ...]
compare_listings() {
    local disc=$1
    shift
    local report_file="$work/report.txt"
    local args=(-n tarvelo-report "LC_ALL=C.UTF-8 '$report' --force '$disc' -o '$report_file'")
    while (( $# >= 2 )); do
        args+=(-n "$1" "$2 > /dev/null")
        shift 2
    done
    hyperfine --warmup 2 --runs 10 --style basic --export-json "$work/times.json" "${args[@]}"
    python3 - "$work/times.json" <<'PY'
import json, sys
results = {r["command"]: r["mean"] for r in json.load(open(sys.argv[1]))["results"]}
ours = results.pop("tarvelo-report")
for name, mean in results.items():
    verdict = "faster" if ours < mean else "NOT faster"
    print(f"tarvelo-report {ours * 1000:.1f} ms vs {name} {mean * 1000:.1f} ms: {mean / ours:.2f}x, {verdict}")
PY
}
