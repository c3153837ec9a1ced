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

# Runs two commands alternately under /usr/bin/time, one warm-up each and then
# BENCH_ROUNDS rounds (7 unless set), and prints one table row: the median of the
# per-round wall-time ratios, the ratio of CPU times (user + system) and both peak
# memories. Each command gets the same output work from its caller.
# Usage: paired_ratio WORK OURS_NAME OURS_COMMAND PEER_NAME PEER_COMMAND
paired_ratio() {
    python3 - "$@" <<'PY'
import os, statistics, subprocess, sys, tempfile, time
work, ours_name, ours, peer_name, peer = sys.argv[1:6]
rounds = int(os.environ.get("BENCH_ROUNDS", "7"))

def run(command):
    with tempfile.NamedTemporaryFile(mode="r") as usage:
        start = time.perf_counter()
        subprocess.run(["/usr/bin/time", "-f", "%U %S %M", "-o", usage.name, "bash", "-c", command],
                       check=True, stdout=subprocess.DEVNULL)
        wall = time.perf_counter() - start
        user, system, peak = usage.read().split()[-3:]
        return wall, float(user) + float(system), int(peak)

run(ours), run(peer)
pairs = [(run(ours), run(peer)) for _ in range(rounds)]
wall = statistics.median(o[0] / p[0] for o, p in pairs)
cpu = sum(o[1] for o, _ in pairs) / max(sum(p[1] for _, p in pairs), 1e-9)
ours_ms = statistics.median(o[0] for o, _ in pairs) * 1000
peer_ms = statistics.median(p[0] for _, p in pairs) * 1000
ours_mb = max(o[2] for o, _ in pairs) / 1024
peer_mb = max(p[2] for _, p in pairs) / 1024
print(f"{work:<28} {ours_name} {ours_ms:8.1f} ms {ours_mb:7.1f} MB | {peer_name} {peer_ms:8.1f} ms "
      f"{peer_mb:7.1f} MB | time {wall:.2f}x  cpu {cpu:.2f}x  memory {ours_mb / peer_mb:.2f}x")
PY
}

# Builds a benchmark's own C++ helper beside its other files, once per change of source.
# Usage: build_helper SOURCE OUTPUT
build_helper() {
    [[ $2 -nt $1 ]] || c++ -O2 -std=c++20 -o "$2" "$1"
}
