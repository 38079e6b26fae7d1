#!/usr/bin/env bash
# A viewer opened from the Help menu takes the topmost band while it is open; once it closes, the keypad has it
# back and can be used again.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

prepareKeypad menu.dd=TRUE
startKeypad

isAbove() { [[ $(xprop -id "$1" _NET_WM_STATE 2>/dev/null) == *_NET_WM_STATE_ABOVE* ]]; }
isNotAbove() { ! isAbove "$1"; }

for viewer in "F.A.Q.:f" "Liscense Agreement:l"; do
    caption="Glyphward OSK ${viewer%:*}"
    openViewer "${viewer##*:}" "$caption"
    poll 2 isAbove "$viewerWid" || fail "$caption is not in the topmost band"
    poll 2 isNotAbove "$keypadWid" || fail "the keypad kept the topmost band while $caption is open"
    owner=$(xprop -id "$viewerWid" WM_TRANSIENT_FOR 2>/dev/null | awk '{ print $NF }')
    ((owner == keypadWid)) || fail "$caption is not transient for the keypad (WM_TRANSIENT_FOR: $owner)"
    step "$caption is open and on top, owned by the keypad"

    closeViewer "$caption"
    poll 2 isAbove "$keypadWid" || fail "the keypad did not take the topmost band back from $caption"
done

# The keypad is usable again: a click composes, a drag delivers. (Hiding the menu bar puts the keys where the
# clicks expect them.)
startTarget target 700 700
pressKeys F4
clickKeys cmdQ
dragToTarget target
expectDropped target 'q'
