#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Reads a disc image from a loop device throttled like a CD drive (about 2 MB/s and 200
# reads a second) with tarvelo-report, 7zz l and bsdtar -tf, each from a cold cache, and
# prints each one's time and its ratio to tarvelo-report's. This is the time a user of a
# real drive feels. The peers list the disc's tree only, so tarvelo-report runs twice:
# with the archives' entries, and without (--no-zip --no-rar), the peers' work. Then what
# tarvelo-report read: its requests as strace sees them (those going backwards, and per
# 256 KiB of folder records), and the device's own count of requests and bytes, read-ahead
# included, beside the bytes of folder records and archive directories a report needs.
# Where a loop device or an I/O-throttling cgroup cannot be had (no root, a container), it
# says so and stops with success.
#
# Usage: bench/slow_drive_bench.sh BUILD_DIR [RUNS]
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR [RUNS]}
runs=${2:-3}
program=$build/bin/tarvelo-report
work=$build/bench/slow-drive
readonly bytes_per_second=2097152 reads_per_second=200
[[ -x $program ]] || { echo "no $program: build first" >&2; exit 1; }

skip() {
    echo "slow drive benchmark skipped: $*"
    exit 0
}

bench_name="slow drive benchmark"
source "$(dirname "$0")/lib.sh"
require_tools 7zz bsdtar xorriso losetup blockdev
(( $(id -u) == 0 )) || skip "a loop device and a cgroup need root"

# A disc of 300 folders and 3,000 small files, one in ten a ZIP archive, made once.
make_image() {
    rm -rf "$work/disc"
    mkdir -p "$work/disc"
    python3 - "$work/disc" <<'PY'
import os, random, sys, zipfile

root = sys.argv[1]
rng = random.Random(7)
folders = [root]
for number in range(300):
    path = os.path.join(rng.choice(folders), "folder-%03d" % number)
    os.mkdir(path)
    folders.append(path)
for number in range(3000):
    folder = rng.choice(folders)
    if number % 10 == 0:
        with zipfile.ZipFile(os.path.join(folder, "archive-%04d.zip" % number), "w") as z:
            for entry in range(20):
                z.writestr("inside/entry-%02d.txt" % entry, "x" * rng.randrange(0, 2000))
    else:
        with open(os.path.join(folder, "file-%04d.txt" % number), "wb") as f:
            f.write(os.urandom(rng.randrange(0, 4000)))
PY
    xorriso -as mkisofs -quiet -J -R -V SLOWDISC -o "$work/disc.iso" "$work/disc" 2> /dev/null
}

mkdir -p "$work"
[[ -e $work/disc.iso ]] || { echo "Making the disc image under $work (once)..."; make_image; }

device=$(losetup --find --show --read-only --direct-io=on "$work/disc.iso" 2> /dev/null) ||
    skip "no loop device could be set up"
group=
cleanup() {
    [[ -n $group ]] && rmdir "$group" 2> /dev/null
    losetup -d "$device"
}
trap cleanup EXIT
numbers=$(lsblk -dno MAJ:MIN "$device" | tr -d ' ')

# A child cgroup that throttles reads of the device: cgroup v2 io.max where the io
# controller is on, else the v1 blkio controller.
make_group() {
    local v2 v1=/sys/fs/cgroup/blkio
    for v2 in /sys/fs/cgroup /sys/fs/cgroup/unified; do
        if grep -qw io "$v2/cgroup.subtree_control" 2> /dev/null; then
            group=$v2/tarvelo-slow-drive.$$
            mkdir "$group" &&
                echo "$numbers rbps=$bytes_per_second riops=$reads_per_second" > "$group/io.max" &&
                return 0
            rmdir "$group" 2> /dev/null; group=
        fi
    done
    if [[ -w $v1/cgroup.procs ]]; then
        group=$v1/tarvelo-slow-drive.$$
        mkdir "$group" &&
            echo "$numbers $bytes_per_second" > "$group/blkio.throttle.read_bps_device" &&
            echo "$numbers $reads_per_second" > "$group/blkio.throttle.read_iops_device" &&
            return 0
        rmdir "$group" 2> /dev/null; group=
    fi
    return 1
}
make_group || skip "no cgroup could throttle $device (neither io.max nor blkio)"

# Runs a command inside the throttled group, after dropping the device's cached blocks;
# prints its wall-clock seconds.
TIMEFORMAT='%R'
cold_run() {
    blockdev --flushbufs "$device"
    { time bash -c 'echo $$ > "$1/cgroup.procs" && shift && exec "$@" > /dev/null 2>&1' \
        _ "$group" "$@"; } 2>&1 || true
}

names=(tarvelo-report "tree only" "7zz l" "bsdtar -tf")
commands=(
    "$program --quiet $device -o -"
    "$program --quiet --no-zip --no-rar $device -o -"
    "7zz l $device"
    "bsdtar -tf $device"
)
declare -A times
for (( run = 1; run <= runs; run++ )); do
    for i in "${!commands[@]}"; do
        # shellcheck disable=SC2086 # each command is split into its words on purpose
        times[$i]+="$(cold_run ${commands[$i]}) "
    done
done
median() { tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "disc: $(du -k "$work/disc.iso" | cut -f1) KiB image on $device ($numbers)," \
    "reads throttled to $bytes_per_second bytes and $reads_per_second requests a second"
ours=$(median <<< "${times[0]}")
printf '%-16s %10s %9s\n' command "cold time" "/ ours"  # ours: tarvelo-report with archives
for i in "${!commands[@]}"; do
    seconds=$(median <<< "${times[$i]}")
    printf '%-16s %8.2f s %8.2fx\n' "${names[$i]}" "$seconds" \
        "$(awk -v a="$seconds" -v b="$ours" 'BEGIN { print (b > 0 ? a / b : 0) }')"
done
awk -v ours="$(median <<< "${times[0]}")" -v tree="$(median <<< "${times[1]}")" \
    -v sz="$(median <<< "${times[2]}")" -v bt="$(median <<< "${times[3]}")" 'BEGIN {
    printf "slow drive: tarvelo-report / 7zz l = %.2f, / bsdtar -tf = %.2f; tree only / 7zz l = %.2f\n",
        ours / sz, ours / bt, tree / sz }'

# The device's own count of what one cold run read, read-ahead included: "REQUESTS BYTES".
device_reads() {
    local stat before after
    stat=/sys/block/$(basename "$device")/stat
    read -r -a before < "$stat"
    cold_run "$@" > /dev/null
    read -r -a after < "$stat"
    echo $(( after[0] - before[0] )) $(( (after[2] - before[2]) * 512 ))
}
read -r folder_bytes archives archive_bytes < <(disc_facts "$work/disc.iso")
blockdev --flushbufs "$device"
read -r own_reads own_bytes own_back < \
    <(file_reads "$work/strace.log" "$(basename "$device")" "$program" --quiet "$device" -o -)
read_figures_line "$own_reads" "$own_bytes" "$own_back" "$folder_bytes" "$archives" "$archive_bytes"
# shellcheck disable=SC2086 # the command is split into its words on purpose
read -r device_requests device_bytes < <(device_reads ${commands[0]})
awk -v requests="$device_requests" -v bytes="$device_bytes" -v need=$(( folder_bytes + archive_bytes )) 'BEGIN {
    printf "the device read for tarvelo-report: %d requests, %.1f KiB (%.2fx the %.1f KiB of folder records and archive directories)\n",
        requests, bytes / 1024, bytes / need, need / 1024 }'
