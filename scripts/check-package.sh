#!/usr/bin/env bash
# Checks what a build tree installs and packages: `cmake --install` into a temporary root (the
# programs, a valid desktop entry, the icons at every size with their exact pixel sizes, the
# MIME types, man pages that `man -l` reads without a warning), then `cpack -G DEB`: the
# package's dependencies and files, and its programs run from a `dpkg -x` root.
#
# Usage: scripts/check-package.sh BUILD_DIR      (a configured and built tree, not engine-only)
set -euo pipefail
build=$(cd "${1:?usage: check-package.sh BUILD_DIR}" && pwd)
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

# The width and height of a PNG file, from its header.
png_size() {
    local bytes
    bytes=$(od -An -tu1 -j16 -N8 "$1" | tr -s ' \n' ' ')
    set -- $bytes
    echo "$((($1 << 24) | ($2 << 16) | ($3 << 8) | $4))x$((($5 << 24) | ($6 << 16) | ($7 << 8) | $8))"
}

# Checks an installed tree whose prefix is $1.
check_tree() {
    local root=$1 what=$2
    for program in velmora velmora-highlight; do
        [[ -x $root/bin/$program ]] || fail "$what: bin/$program is missing"
    done
    local desktop=$root/share/applications/velmora.desktop
    if [[ -f $desktop ]]; then
        local report
        report=$(desktop-file-validate "$desktop" 2>&1) || fail "$what: velmora.desktop: $report"
        grep -q '^Exec=velmora %F$' "$desktop" || fail "$what: velmora.desktop has no 'Exec=velmora %F'"
        grep -q '^Icon=velmora$' "$desktop" || fail "$what: velmora.desktop has no 'Icon=velmora'"
    else
        fail "$what: share/applications/velmora.desktop is missing"
    fi
    for size in 16 32 48 64 128 256; do
        for icon in apps/velmora mimetypes/text-x-quorda; do
            local png=$root/share/icons/hicolor/${size}x${size}/$icon.png
            if [[ ! -f $png ]]; then
                fail "$what: icon $png is missing"
            elif [[ $(png_size "$png") != "${size}x${size}" ]]; then
                fail "$what: $png is $(png_size "$png"), not ${size}x${size}"
            fi
        done
    done
    for icon in apps/velmora mimetypes/text-x-quorda; do
        local svg=$root/share/icons/hicolor/scalable/$icon.svg
        [[ -f $svg ]] && grep -q '</svg>' "$svg" || fail "$what: $svg is missing or cut short"
    done
    local mime=$root/share/mime/packages/velmora.xml
    if [[ -f $mime ]]; then
        for type in text/x-asm text/x-quorda '\*\.qrt'; do
            grep -q "$type" "$mime" || fail "$what: velmora.xml does not mention $type"
        done
    else
        fail "$what: share/mime/packages/velmora.xml is missing"
    fi
    for page in velmora velmora-highlight; do
        local man=$root/share/man/man1/$page.1.gz warnings
        if [[ ! -f $man ]]; then
            fail "$what: man page $page.1.gz is missing"
            continue
        fi
        warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$man" 2>&1 >/dev/null || true)
        [[ -z $warnings ]] || fail "$what: man -l $page.1.gz: $warnings"
        MANWIDTH=80 man -E UTF-8 -l "$man" 2>/dev/null | grep -q "$version" ||
            fail "$what: man page $page does not name version $version"
    done
}

echo "== cmake --install into a temporary root"
DESTDIR=$work/install cmake --install "$build" --prefix /usr >/dev/null
check_tree "$work/install/usr" "install tree"

echo "== cpack -G DEB"
if ! (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package") \
    >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    exit 1
fi
deb=$(ls "$work"/package/velmora_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for package in fonts-liberation2 libqt6widgets6 libqt6gui6 libqt6core6 libxcb-xkb1 libc6; do
    [[ ", $depends," == *", $package"[\ ,]* ]] || fail "package does not depend on $package: $depends"
done
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "package version is not $version"
dpkg -x "$deb" "$work/root"
check_tree "$work/root/usr" "package"

echo "== the packaged programs"
out=$("$work/root/usr/bin/velmora" --version) || fail "velmora --version failed"
[[ $out == "Velmora Editor $version" ]] || fail "velmora --version printed '$out'"
out=$("$work/root/usr/bin/velmora-highlight" --version) || fail "velmora-highlight --version failed"
[[ $out == *" $version" ]] || fail "velmora-highlight --version printed '$out'"
out=$("$work/root/usr/bin/velmora-highlight" --format=blocks "$repo/examples/numbers.asm") ||
    fail "velmora-highlight on an example failed"
[[ $out == 1:* ]] || fail "velmora-highlight printed no blocks"

if ((failures)); then
    echo "check-package: $failures failure(s)" >&2
    exit 1
fi
echo "check-package: install tree and package are complete"
