#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A report that replaces an old one is durable: after the rename, the folder that holds
# it is synced, so a power cut cannot bring the old report back. Watched with strace.
# Usage: folder_sync_test.sh TARVELO_REPORT
set -uo pipefail
program=$(realpath "${1:?usage: folder_sync_test.sh TARVELO_REPORT}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir disc reports
echo "letter" > disc/a.txt
echo "old report" > reports/disc.txt

# The leak checker cannot run under ptrace; nothing else of the sanitizers changes.
ASAN_OPTIONS=detect_leaks=0 strace -f -y -o calls.txt -e trace=fsync,rename,renameat,renameat2 \
    "$program" --quiet --force disc -o reports/disc.txt || exit 1
# The calls after the report's rename: one of them must sync the reports folder.
after_rename=$(sed -n '/rename.*reports\/disc\.txt/,$p' calls.txt)
if [[ -z $after_rename ]]; then
    echo "the report was not renamed into place:"; cat calls.txt; exit 1
fi
if ! grep -q "fsync([0-9]*<$work/reports>)" <<< "$after_rename"; then
    echo "the folder was not synced after the rename:"; cat calls.txt; exit 1
fi
echo "the folder is synced after the report is renamed into place"
