#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the seed images of fuzz_udf_reader in OUT: empty file systems that mkudffs
# formats for each kind of media (Type 1 with 512-byte blocks, virtual, metadata), a
# bridge disc made by genisoimage, and a small tree in every layout of WRITER (the
# build's udf_image_tool). Each is as small as its tool allows.
set -euo pipefail
usage="usage: make_udf_seeds.sh OUT WRITER"
out=${1:?$usage}
writer=${2:?$usage}
[[ -f $out/.complete ]] && exit 0
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

format() {
    local name=$1 size=$2
    shift 2
    truncate -s "$size" "$out/$name.udf"
    mkudffs "$@" --label=SEED "$out/$name.udf" > /dev/null
}
format hd-102 200K --media-type=hd --blocksize=512 --udfrev=1.02
format cdr-201 700K --media-type=cdr --udfrev=2.01
format dvdr-150 700K --media-type=dvdr --udfrev=1.50
format bdr-250 700K --media-type=bdr --udfrev=2.50

tree=$work/tree
mkdir -p "$tree/DOCS/Deeper" "$tree/Ђурђевдан" "$tree/empty"
printf 'read me\n' > "$tree/README.TXT"
head -c 5000 /dev/zero | tr '\0' n > "$tree/DOCS/Notes"
printf 'deep' > "$tree/DOCS/Deeper/bottom.txt"
printf 'Cyrillic' > "$tree/Ђурђевдан/Песма.txt"
(cd "$tree/DOCS" && printf 'inside' > inner.txt && zip -q -X archive.zip inner.txt && rm inner.txt)
genisoimage -quiet -udf -no-pad -V SEED -o "$out/bridge.udf" "$tree" 2> /dev/null
for layout in type1 type1-fragmented metadata metadata-fragmented virtual virtual-150; do
    "$writer" "$tree" "$out/$layout.udf" "$layout"
done
touch "$out/.complete"
