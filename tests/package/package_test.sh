#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package and checks what it holds and says: every program with its
# manual page and completion, the menu entry, icons and metadata (each passing its own
# validator), copyright and changelog, the dependencies, and no lintian error.
# Usage: package_test.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir=${1:?usage: package_test.sh SOURCE_DIR BUILD_DIR}
build=${2:?usage: package_test.sh SOURCE_DIR BUILD_DIR}

"$source_dir/packaging/build-deb" "$build" > "$build.log" 2>&1 ||
    { tail -40 "$build.log"; echo "FAIL: the package was not built (log: $build.log)"; exit 1; }
debs=("$build"/tarvelo_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || { echo "FAIL: no single tarvelo_*.deb in $build"; exit 1; }
deb=${debs[0]}

failures=0
fail() { echo "FAIL: $*"; ((failures++)); }

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(basename "$deb") == "tarvelo_$(field Version)_$(field Architecture).deb" ]] ||
    fail "$(basename "$deb") is not named after the package's version and architecture"
depended=$(field Depends | tr ',' '\n' | awk '{ print $1 }')
for dependency in libc6 libstdc++6 libblkid1 libsqlite3-0 libqt6widgets6 fonts-comic-neue \
    qt6-qpa-plugins; do
    grep -qxF "$dependency" <<< "$depended" || fail "Depends lacks $dependency: $(field Depends)"
done

listing=$(dpkg-deb -c "$deb")
awk '$2 != "root/root" { bad = 1; print "FAIL: not owned by root:", $0 } END { exit bad }' \
    <<< "$listing" || ((failures++))
files=$(awk '{ print substr($6, 2) }' <<< "$listing")
expected=(
    /usr/bin/tarvelo /usr/bin/tarvelo-report /usr/bin/tarvelo-catalog
    /usr/share/man/man1/tarvelo.1.gz /usr/share/man/man1/tarvelo-report.1.gz
    /usr/share/man/man1/tarvelo-catalog.1.gz
    /usr/share/bash-completion/completions/tarvelo
    /usr/share/bash-completion/completions/tarvelo-report
    /usr/share/bash-completion/completions/tarvelo-catalog
    /usr/share/applications/tarvelo.desktop
    /usr/share/metainfo/org.tarvelo.tarvelo.metainfo.xml
    /usr/share/icons/hicolor/scalable/apps/tarvelo.svg
    /usr/share/doc/tarvelo/copyright /usr/share/doc/tarvelo/changelog.Debian.gz
)
for size in 16 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x$size/apps/tarvelo.png")
done
for path in "${expected[@]}"; do
    grep -qxF "$path" <<< "$files" || fail "the package lacks $path"
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for size in 16 32 48 64 128 256; do
    file "$root/usr/share/icons/hicolor/${size}x$size/apps/tarvelo.png" |
        grep -q "PNG image data, $size x $size," || fail "the ${size}x$size icon is not that size"
done
desktop-file-validate "$root/usr/share/applications/tarvelo.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/"*.xml > "$root.appstream" ||
    { cat "$root.appstream"; fail "appstreamcli validate"; }
rm -f "$root.appstream"
for page in "$root"/usr/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 > /dev/null)
    [[ -z $warnings ]] || fail "$(basename "$page"): $warnings"
done
"$root/usr/bin/tarvelo-report" --version > /dev/null || fail "the packaged tarvelo-report does not run"

# Errors fail; warnings and the rest are shown for the record.
lintian_output=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -v 'root privileges')
[[ -n $lintian_output ]] && echo "$lintian_output"
grep -q '^E: ' <<< "$lintian_output" && fail "lintian reports errors"

[[ $failures -eq 0 ]] && echo "package $(basename "$deb") as expected"
exit $((failures > 0))
