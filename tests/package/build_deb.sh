#!/usr/bin/env bash
# Builds the Debian package from the build tree with cpack and checks it: its control fields, and lintian
# without errors (its warnings are printed).
#
#   build_deb.sh BUILD_DIR OUT_DIR VERSION
#
# Leaves the package as OUT_DIR/glyphward.deb for the tests that run it. Exits 77 (a skip for CTest) when a
# needed tool is not installed.
set -euo pipefail

if (($# != 3)); then
    echo "usage: ${0##*/} BUILD_DIR OUT_DIR VERSION" >&2
    exit 2
fi
buildDir=$1 outDir=$2 version=$3

for tool in cpack dpkg-deb dpkg-shlibdeps lintian; do
    if ! command -v "$tool" >/dev/null; then
        echo "${0##*/}: $tool is not installed; skipping" >&2
        exit 77
    fi
done

fail()
{
    echo "FAIL (${0##*/}): $*" >&2
    exit 1
}

rm -rf "$outDir"
mkdir -p "$outDir"
# A staging directory of its own, so that a `make package` in the same build tree at the same time is not
# disturbed.
cpack -G DEB --config "$buildDir/CPackConfig.cmake" -B "$outDir/cpack" >"$outDir/cpack.log" 2>&1 ||
    { cat "$outDir/cpack.log" >&2; fail "cpack failed"; }
debs=("$outDir"/cpack/*.deb)
((${#debs[@]} == 1)) && [[ -f ${debs[0]} ]] || fail "cpack made ${#debs[@]} packages: ${debs[*]}"
deb=$outDir/glyphward.deb
mv "${debs[0]}" "$deb"
rm -rf "$outDir/cpack"
echo "built ${debs[0]##*/}"

field()
{
    dpkg-deb --field "$deb" "$1"
}
[[ $(field Package) == glyphward ]] || fail "package name: $(field Package)"
[[ $(field Version) == "$version" ]] || fail "version $(field Version), expected $version"
[[ $(field Section) == utils ]] || fail "section: $(field Section)"
[[ -n $(field Maintainer) ]] || fail "no maintainer"
# dpkg-shlibdeps found the libraries; the platform plugin, which it cannot see, is there as well.
depends=$(field Depends)
[[ $depends == *libqt6widgets6* && $depends == *libc6* ]] || fail "Depends lacks the shared libraries: $depends"
[[ $depends == *qt6-qpa-plugins* ]] || fail "Depends lacks the platform plugins: $depends"

# The changelog's latest entry is this version.
changelog=$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/doc/glyphward/changelog.Debian.gz | gzip -dc) ||
    fail "the package holds no changelog.Debian.gz"
[[ $(head -n 1 <<<"$changelog") == "glyphward ($version) "* ]] ||
    fail "the changelog's latest entry is not $version: $(head -n 1 <<<"$changelog")"

echo "lintian $(lintian --version | awk '{print $NF}'):"
status=0
lintian --fail-on error --display-info --tag-display-limit 0 "$deb" || status=$?
((status == 0)) || fail "lintian reports errors (status $status)"
