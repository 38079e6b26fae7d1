#!/usr/bin/env bash
# A document of many formatting runs in one paragraph opens at once, and a termination signal while it is
# opened still ends the keypad within moments, with its settings saved.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

prepareKeypad menu.dd=TRUE caps.dd=FALSE shift.dd=FALSE
# 20,000 runs in one paragraph: built one run at a time this took over 20 s, with the keypad frozen.
awk 'BEGIN { printf "{\\rtf1\\ansi "; for (i = 0; i < 20000; i++) printf (i % 2 ? "{\\b w%d }" : "{\\i w%d }"), i; printf "\\par}" }' \
    >"$keypadDir/Help.rtf"
startKeypad

openViewer f "Glyphward OSK F.A.Q."
step "the F.A.Q. of 20,000 runs is open"

xdotool key Escape
sleep 0.3
pressKeys F2
xdotool windowactivate --sync "$keypadWid" key alt+h key f
kill -TERM "$keypadPid"
signalled=$(usNow)
gone() { ! kill -0 "$keypadPid" 2>/dev/null; }
# A second is what a user waits; the margin is for a loaded machine.
poll 2 gone || fail "the keypad did not end within 2s of SIGTERM while opening the document"
step "ended $((($(usNow) - signalled) / 1000)) ms after SIGTERM"
waitKeypadExit
expectSetting "$keypadDir" caps.dd TRUE
