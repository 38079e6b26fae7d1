#!/usr/bin/env bash
# The package unpacked (never installed) runs as an ordinary user who cannot write the program's directory:
# the settings go to that user's configuration directory, seeded from the installed defaults, and a lock
# switched there holds on the next start. Run by with-display.
#
#   runs_unpacked.sh KEYPAD_EXECUTABLE DROP_TARGET_EXECUTABLE ASSETS_DIR DEB_DIR
set -euo pipefail
debDir=${4:?usage: ${0##*/} KEYPAD_EXECUTABLE DROP_TARGET_EXECUTABLE ASSETS_DIR DEB_DIR}
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh" "$1" "$2" "$3"

deb=$debDir/glyphward.deb
[[ -f $deb ]] || { echo "$testName: no package at $deb (built by package.deb_builds_and_passes_lintian)"; exit 77; }
command -v dpkg-deb >/dev/null || { echo "$testName: dpkg-deb is not installed; skipping" >&2; exit 77; }

# Outside with-display's private TMPDIR, which only its owner may enter.
unpacked=$(mktemp -d /tmp/glyphward-package.XXXXXX)
chmod 755 "$unpacked"
trap 'cleanup; chmod -R u+w "$unpacked"; rm -rf "$unpacked"' EXIT

root=$unpacked/root
dpkg-deb -x "$deb" "$root"
appDir=$root/usr/lib/glyphward
[[ -L $root/usr/bin/glyphward && $(readlink "$root/usr/bin/glyphward") == ../lib/glyphward/glyphward ]] ||
    fail "usr/bin/glyphward is not the relative link ../lib/glyphward/glyphward"
for name in menu.dd caps.dd shift.dd Help.rtf GlyphwardLiscense.rtf; do
    cmp -s "$appDir/$name" "$assetsDir/$name" || fail "usr/lib/glyphward/$name differs from assets/$name"
done
step "unpacked $(dpkg-deb --field "$deb" Package) $(dpkg-deb --field "$deb" Version)"

# Root may write anywhere, so as root the program runs as nobody; any other user runs it with the program's
# directory made read-only.
home=$unpacked/home
mkdir -m 700 "$home" "$unpacked/run"
asUser=()
runUid=$(id -u)
if (($(id -u) == 0)); then
    command -v setpriv >/dev/null || { echo "$testName: setpriv is not installed; skipping" >&2; exit 77; }
    chown nobody:nogroup "$home" "$unpacked/run"
    asUser=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    runUid=$(id -u nobody)
else
    chmod a-w "$appDir"
fi
userDir=$home/.config/glyphward

# startInstalled: the unpacked program through its bin/ link, as that user, with a home of its own.
startInstalled()
{
    step "starting the unpacked keypad"
    launch "installed$((++keypadCount))" "${asUser[@]}" env HOME="$home" XDG_CONFIG_HOME="$home/.config" \
        XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$unpacked/run" TMPDIR="$home" "$root/usr/bin/glyphward"
    keypadPid=$launchedPid
    keypadWid=$(waitWindow "$keypadPid" "the unpacked keypad") || exit 1
    keypadOrigin=$(clientOrigin "$keypadWid")
}

startInstalled
[[ -d $userDir ]] || fail "no settings directory $userDir after the start"
for name in menu.dd caps.dd shift.dd; do
    cmp -s "$userDir/$name" "$appDir/$name" || fail "$name was not seeded from the installed default"
done
pressKeys F2
pressKeys Escape
waitKeypadExit
expectSetting "$userDir" caps.dd TRUE
expectSetting "$userDir" menu.dd TRUE
[[ $(stat -c %u "$userDir/caps.dd") == "$runUid" ]] ||
    fail "caps.dd was not written by the user who ran the keypad"
expectSetting "$userDir" shift.dd FALSE
for name in menu.dd caps.dd shift.dd; do
    cmp -s "$appDir/$name" "$assetsDir/$name" || fail "the installed $name was changed"
done

# The next start reads the user's files: with the menu hidden there, the keys sit where lib.sh expects them,
# and Caps lock is still on.
"${asUser[@]}" sh -c 'printf "#FALSE#\r\n" >"$1"' sh "$userDir/menu.dd"
startTarget target 700 700
startInstalled
clickKeys cmdA
dragToTarget target
expectDropped target A
pressKeys Escape
waitKeypadExit
expectSetting "$userDir" caps.dd TRUE

# Root may write the installed directory, yet its settings go to its own configuration directory too, never
# into the defaults that every new user starts from.
if (($(id -u) == 0)); then
    rootHome=$unpacked/roothome
    mkdir -m 700 "$rootHome"
    step "starting the unpacked keypad as root"
    launch "installed$((++keypadCount))" env -u XDG_CONFIG_HOME HOME="$rootHome" XDG_RUNTIME_DIR="$unpacked/run" \
        TMPDIR="$rootHome" "$root/usr/bin/glyphward"
    keypadPid=$launchedPid
    keypadWid=$(waitWindow "$keypadPid" "the unpacked keypad as root") || exit 1
    pressKeys F3
    pressKeys Escape
    waitKeypadExit
    expectSetting "$rootHome/.config/glyphward" shift.dd TRUE
    for name in menu.dd caps.dd shift.dd; do
        cmp -s "$appDir/$name" "$assetsDir/$name" || fail "root changed the installed $name"
    done
    step "root's settings are in its own configuration directory"
fi
