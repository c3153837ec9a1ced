#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file states its licence in an SPDX line among its first three lines, so
# the package's copyright file holds for each of them.
# Usage: licence_lines_test.sh SOURCE_DIR
set -uo pipefail
source_dir=$(realpath "${1:?usage: licence_lines_test.sh SOURCE_DIR}")
cd "$source_dir" || exit 1

missing=0
while IFS= read -r -d '' file; do
    head -n 3 "$file" | grep -q 'SPDX-License-Identifier: GPL-3.0-or-later' && continue
    echo "no SPDX licence line: $file"
    missing=$((missing + 1))
done < <(find . \( -path ./build -o -path ./.git -o -path ./examples \) -prune -o -type f \
    \( -name '*.cpp' -o -name '*.h' -o -name '*.inc' -o -name '*.py' -o -name '*.sh' \
       -o -name '*.cmake' -o -name 'CMakeLists.txt' -o -name 'Makefile' -o -name '*.ui' \
       -o -name '*.ts' -o -name '*.qrc' -o -name '*.xml' -o -name '*.svg' -o -name '*.1' \
       -o -name '*.desktop' -o -path './scripts/*' -o -path './packaging/build-deb' \
       -o -path './packaging/bash-completion/*' \) -print0)
[[ $missing -eq 0 ]] && echo "every source file names its licence"
exit $((missing > 0))
