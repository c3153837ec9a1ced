#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the seed images of fuzz_iso_reader in OUT: small trees made into images by
# xorriso with each kind of tree (Joliet, Rock Ridge, both, plain level 1, Rock Ridge with
# deep folders moved), without the usual padding so the seeds stay small.
set -euo pipefail
out=${1:?usage: make_iso_seeds.sh OUT}
[[ -f $out/.complete ]] && exit 0
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

tree=$work/tree
mkdir -p "$tree/DOCS/Deeper/Still" "$tree/Ђурђевдан" "$tree/empty" "$tree/1/2/3/4/5/6/7/8/9"
printf 'read me\n' > "$tree/README.TXT"
printf 'notes' > "$tree/DOCS/Notes without extension"
printf 'deep' > "$tree/DOCS/Deeper/Still/bottom.txt"
printf 'nine down' > "$tree/1/2/3/4/5/6/7/8/9/moved.txt"
printf 'Cyrillic' > "$tree/Ђурђевдан/Песма.txt"
(cd "$tree/DOCS" && printf 'inside' > inner.txt && zip -q -X archive.zip inner.txt && rm inner.txt)

make_seed() {
    local name=$1
    shift
    xorriso -as mkisofs -quiet -no-pad "$@" -V SEED -o "$out/$name.iso" "$tree" 2>/dev/null
}
make_seed joliet -J -joliet-long --norock
make_seed joliet-rock-ridge -J -joliet-long -R
make_seed rock-ridge -R
make_seed plain --norock
# Folders deeper than eight levels moved to RR_MOVED, with CL and RE entries.
make_seed rock-ridge-moved -R -rr_reloc_dir RR_MOVED
touch "$out/.complete"
