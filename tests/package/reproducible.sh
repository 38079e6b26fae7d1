#!/usr/bin/env bash
# The same commit gives the same package wherever and whenever it is built: this build tree's package is
# compared byte for byte with one built again from a fresh clone of the commit, in another directory, a
# little later. On a difference it shows what differs (diffoscope when installed, else cmp and both archives'
# listings).
#
#   reproducible.sh SOURCE_DIR DEB
#
# Skipped (77) outside a git checkout, and when the checkout has changes of its own: there is no commit to
# rebuild then.
set -euo pipefail
(($# == 2)) || { echo "usage: ${0##*/} SOURCE_DIR DEB" >&2; exit 2; }
sourceDir=$1 deb=$2

[[ -f $deb ]] || { echo "${0##*/}: no package at $deb; skipping" >&2; exit 77; }
commit=$(git -C "$sourceDir" rev-parse HEAD 2>/dev/null) || { echo "${0##*/}: not a git checkout; skipping" >&2; exit 77; }
if [[ -n $(git -C "$sourceDir" status --porcelain --untracked-files=no) ]]; then
    echo "${0##*/}: the checkout has changes of its own; skipping" >&2
    exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/glyphward-rebuild.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Later than the first build, and with every source file's time different from that checkout's.
sleep 1
git clone -q --no-hardlinks "$sourceDir" "$work/another-place"
git -C "$work/another-place" checkout -q "$commit"
cd "$work/another-place"
{
    cmake -S . -B build -DGLYPHWARD_TESTS=OFF &&
        cmake --build build -j "$(nproc 2>/dev/null || echo 2)" &&
        cpack -G DEB --config build/CPackConfig.cmake -B "$work/cpack"
} >"$work/build.log" 2>&1 || { tail -n 40 "$work/build.log" >&2; echo "FAIL: the second build failed" >&2; exit 1; }
second=$(ls "$work"/cpack/*.deb)

if cmp -s "$deb" "$second"; then
    echo "identical packages of $commit: $(sha256sum <"$deb" | cut -d' ' -f1)"
    exit 0
fi
echo "FAIL: two builds of $commit differ:" >&2
sha256sum "$deb" "$second" >&2
if command -v diffoscope >/dev/null; then
    diffoscope "$deb" "$second" >&2 || true
else
    cmp "$deb" "$second" >&2 || true
    diff <(dpkg-deb -c "$deb") <(dpkg-deb -c "$second") >&2 || true
    diff <(dpkg-deb -I "$deb") <(dpkg-deb -I "$second") >&2 || true
fi
exit 1
