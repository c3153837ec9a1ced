#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The archive fuzzers' own seeds must be archives the readers list whole, or fuzzing
# without the corpus starts from inputs that are turned away at the first byte.
# Usage: archive_seeds_test.sh SEED_SCRIPT TARVELO_REPORT
set -uo pipefail
script=${1:?usage: archive_seeds_test.sh SEED_SCRIPT TARVELO_REPORT}
program=${2:?usage: archive_seeds_test.sh SEED_SCRIPT TARVELO_REPORT}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$script" "$work/seeds" || { echo "FAIL: $script did not run"; exit 1; }
seeds=$(find "$work/seeds" -type f | wc -l)
LC_NUMERIC=C "$program" -q "$work/seeds" -o "$work/report.txt" 2> "$work/errors.txt"
status=$?
listed=$(grep -c 'contents:' "$work/report.txt")
empty=$(grep -c 'Total files/folders: 0' "$work/report.txt")

failures=0
[[ $status -eq 0 && ! -s $work/errors.txt ]] ||
    { echo "FAIL: the report of the seeds ends $status:"; cat "$work/errors.txt"; failures=1; }
[[ $seeds -ge 2 && $listed -eq $seeds && $empty -eq 0 ]] ||
    { echo "FAIL: $listed of $seeds seeds listed, $empty of them empty"; failures=1; }
[[ $failures -eq 0 ]] && echo "all $seeds seeds listed"
exit $failures
