#!/usr/bin/env bash
# Clicks on the keys at their places on the screen compose the text; a drop taken as a move hands it over and
# empties the keypad's field.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

prepareKeypad menu.dd=FALSE
startTarget target 700 700
startKeypad

# Both ends of every row, then the punctuation keys again under Shift lock, which leaves the letters alone.
clickKeys cmd1 cmdEquals cmdA cmdK cmdLBracket cmdL cmdV cmdRBracket cmdW cmdZ cmdComma cmdBSlash
pressKeys F3
clickKeys cmd7 cmd0 cmdEquals cmdPeriod cmdFSlash cmdBSlash cmdB
dragToTarget target
expectDropped target '1=ak[lv]wz,\&)+>?|b'

# Whatever stayed in the field would come along with the next key.
clickKeys cmdC
dragToTarget target
expectDropped target 'c'
