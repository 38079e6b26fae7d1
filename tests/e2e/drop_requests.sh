#!/usr/bin/env bash
# The keypad answers every data request of its drag, however the target asks, and empties its field only when
# the password was handed over: a target that reports a move without asking for the data leaves it in place.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

prepareKeypad menu.dd=FALSE caps.dd=FALSE shift.dd=FALSE
# As a compositor bridging the drag to Wayland asks: TARGETS during the drag, then the text after the drop,
# at CurrentTime, from a window that is not the one the drop went to.
startXdndTarget bridge 700 600 --time current --requestor other --targets "$e2eTmp/bridge.targets"
startXdndTarget liar 700 760 --want none
startXdndTarget string 980 600 --want STRING
startXdndTarget text 980 760 --want TEXT
startTarget plain 700 900
startKeypad

clickKeys cmdH cmdU cmdN cmdT cmdE cmdR cmd2
dragToTarget bridge
expectDropped bridge 'hunter2'
expectFileBytes "$e2eTmp/bridge.targets" $'TARGETS\nUTF8_STRING\ntext/plain;charset=utf-8\ntext/plain\nSTRING\nTEXT\nx-kde-passwordManagerHint\n'
clickKeys cmdX
dragToTarget plain
expectDropped plain 'x'

# Reported as a move, never read: the password stays, and the keypad says why.
clickKeys cmdClear cmdS cmdE cmdC cmdR cmdE cmdT
dragToTarget liar
told() { grep -q "reported a move but never asked for the password" "$e2eTmp/keypad1.stderr"; }
poll 5 told || fail "the keypad did not report the move that handed nothing over"
clickKeys cmd9
dragToTarget plain
expectDropped plain 'secret9'

# STRING and TEXT carry the same bytes: the password is ASCII.
for name in string text; do
    clickKeys cmdClear cmdP cmdW cmdD cmdComma
    dragToTarget "$name"
    expectDropped "$name" 'pwd,'
    clickKeys cmdQ
    dragToTarget plain
    expectDropped plain 'q'
done
