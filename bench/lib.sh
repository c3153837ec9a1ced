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

# What a report of a disc image must read at the fewest, from the tree it reads (Joliet's
# when there is one): "FOLDER_BYTES ARCHIVES ARCHIVE_BYTES", the bytes of folder records,
# the number of ZIP archives and the bytes of their directories and end records.
# Usage: disc_facts IMAGE
disc_facts() {
    python3 "$(dirname "${BASH_SOURCE[0]}")/disc_facts.py" iso "$1"
}

# The same for a UDF image that the tests' writer made of TREE: its folder records are
# the file entries (a block each) and the identifiers too long to sit in their folder's.
# Usage: udf_tree_facts TREE
udf_tree_facts() {
    python3 "$(dirname "${BASH_SOURCE[0]}")/disc_facts.py" udf-tree "$1"
}

# A command's reads of a file as strace sees them: "READS BYTES BACKWARDS", where a read
# goes backwards when it starts before the read before it.
# Usage: file_reads LOG FILE_NAME COMMAND...
file_reads() {
    local log=$1 name=$2
    shift 2
    strace -f -y -qq -e trace=read,pread64,preadv,preadv2 -o "$log" "$@" > /dev/null 2>&1 || true
    grep -F "$name>" "$log" | awk '
        /pread64/ { n = split($0, part, ", "); sub(/\).*/, "", part[n]); offset = part[n] + 0
                    if (reads > 0 && offset < last) back++
                    last = offset }
        { if (match($0, /= [0-9]+$/)) bytes += substr($0, RSTART + 2)
          reads++ }
        END { print reads + 0, bytes + 0, back + 0 }'
}

# The line that sets a report's reads against the fewest it needs.
# Usage: read_figures_line READS BYTES BACKWARDS FOLDER_BYTES ARCHIVES ARCHIVE_BYTES
read_figures_line() {
    awk -v reads="$1" -v bytes="$2" -v back="$3" -v folder="$4" -v archives="$5" -v abytes="$6" 'BEGIN {
        pieces = folder / 262144
        printf "tarvelo-report reads: %d (fewest %d), %d going backwards (target 0), %.2f reads per 256 KiB of folder records beyond one per archive (target <= 1), %.1f KiB read for %.1f KiB of folder records and archive directories (%.2fx)\n",
            reads, int((folder + 262143) / 262144) + archives, back, (reads - archives) / (pieces > 0 ? pieces : 1),
            bytes / 1024, (folder + abytes) / 1024, bytes / (folder + abytes) }'
}
