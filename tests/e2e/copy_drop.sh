#!/usr/bin/env bash
# A drop taken as a copy hands the text over and leaves it in the keypad's field, ready to be dragged again.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

prepareKeypad menu.dd=FALSE
startTarget target 700 700 --copy
startKeypad

clickKeys cmdX cmd9 cmdQ
for drag in first second; do
    step "$drag drag"
    dragToTarget target
    expectDropped target 'x9q'
done
