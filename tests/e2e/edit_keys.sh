#!/usr/bin/env bash
# The left column by mouse: Caps and Shift lock, Back removes the last character, Clear empties the field.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

prepareKeypad menu.dd=FALSE
startTarget target 700 700
startKeypad

clickKeys cmdCaps cmdA cmdCaps cmdB cmdShift cmd2 cmdShift cmd3 cmdD cmdBackSpace
dragToTarget target
expectDropped target 'Ab@3'

clickKeys cmdE cmdClear cmdF
dragToTarget target
expectDropped target 'f'
