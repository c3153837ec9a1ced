# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the benchmarks: sourced, not run.

# Fails with a clear line when a program the benchmark runs is missing.
require_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" > /dev/null || { echo "$bench_name: $tool not found" >&2; exit 1; }
    done
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

# Peak memory (/usr/bin/time %M) of tarvelo-report listing one archive that lies alone in
# its folder, per byte of the archive, after checking that every entry is listed.
# Usage: memory_per_byte LABEL ARCHIVE ENTRIES
memory_per_byte() {
    local label=$1 archive=$2 entries=$3
    local out="$work/memory-report.txt" usage="$work/memory-usage.txt"
    /usr/bin/time -f %M -o "$usage" "$report" --quiet --force "$(dirname "$archive")" -o "$out" > /dev/null
    local listed
    listed=$(grep -c '^'$'\t\t\t\t' "$out" || true)
    [[ $listed -eq $entries ]] || { echo "$bench_name: $label: the report lists $listed of $entries entries" >&2; exit 1; }
    python3 - "$label" "$(stat -c %s "$archive")" "$(tail -1 "$usage")" <<'PY'
import sys
label, size, peak_kib = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
print(f"{label:<28} {size / 1e6:6.1f} MB archive, peak {peak_kib / 1024:6.1f} MiB: "
      f"{peak_kib * 1024 / size:.2f} bytes of memory per archive byte (target <= 2)")
PY
}
