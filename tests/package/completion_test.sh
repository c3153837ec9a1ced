#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Completes command lines with the bash completion of the three programs, as bash would
# on Tab, and compares the candidates with what a user expects.
# Usage: completion_test.sh COMPLETION_FILE PROGRAM_DIR (where tarvelo-report is)
set -uo pipefail
usage="usage: completion_test.sh COMPLETION_FILE PROGRAM_DIR"
completion=$(realpath "${1:?$usage}")
PATH=$(realpath "${2:?$usage}"):$PATH

# shellcheck source=/dev/null
source /usr/share/bash-completion/bash_completion || exit 1
# shellcheck source=/dev/null
source "$completion" || exit 1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir folder
touch disc.iso notes.txt

# The candidates for the last word of LINE, sorted, on one line.
candidates()
{
    local line=$1
    COMP_LINE=$line
    COMP_POINT=${#line}
    read -ra COMP_WORDS <<< "$line"
    [[ $line == *' ' ]] && COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    local function
    function=$(complete -p "${COMP_WORDS[0]}" | sed -E 's/.*-F ([^ ]+) .*/\1/')
    "$function" "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort | xargs
}

failures=0
check()
{
    local name=$1 line=$2 expected=$3 actual
    actual=$(candidates "$line")
    if [[ $actual != "$expected" ]]; then
        echo "FAIL $name: '$line' completes to '$actual', expected '$expected'"
        ((failures++))
    fi
}

check "report options by prefix" "tarvelo-report --no-" "--no-rar --no-zip"
check "report sources are folders and images" "tarvelo-report " "disc.iso folder"
check "report output is any file" "tarvelo-report disc.iso -o " "disc.iso folder notes.txt"
check "report code pages come from the program" "tarvelo-report --codepage CP125" \
    "CP1250 CP1251 CP1252 CP1253 CP1254 CP1256 CP1257"
check "catalog subcommands" "tarvelo-catalog " \
    "add check discs export find import remove report show"
check "catalog subcommand after the catalog file" "tarvelo-catalog --catalog c.sqlite d" "discs"
check "catalog options of the subcommand" "tarvelo-catalog find --f" "--files --folders --format"
check "catalog options of another subcommand" "tarvelo-catalog add --n" "--name --no-rar --no-zip --note"
check "catalog report writes a file" "tarvelo-catalog report 3 -o " "disc.iso folder notes.txt"
check "catalog find formats" "tarvelo-catalog find --format " "csv jsonl text"
check "catalog export formats" "tarvelo-catalog export --format " "csv dfxml jsonl"
check "catalog import reads reports" "tarvelo-catalog import " "folder notes.txt"
check "catalog values are not subcommands" "tarvelo-catalog find --disc " ""
check "window options" "tarvelo --" "-- --help --version"
check "window sources are folders and images" "tarvelo " "disc.iso folder"

[[ $failures -eq 0 ]] && echo "all completions as expected"
exit $((failures > 0))
