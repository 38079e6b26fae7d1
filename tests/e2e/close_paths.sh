#!/usr/bin/env bash
# Every way of closing the keypad writes all three settings files; started without any, it writes the defaults.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

# how: "key KEY" typed into the keypad (alt+F4 is openbox asking it to close, as its close box does), or
# "signal NAME" sent to it
cases=(
    "key Escape"
    "key alt+F4"
    "signal TERM"
)

for case in "${cases[@]}"; do
    read -r how what <<<"$case"
    step "case $how $what"
    prepareKeypad menu.dd=missing caps.dd=missing shift.dd=missing
    startKeypad
    if [[ $how == key ]]; then
        pressKeys "$what"
    else
        kill -s "$what" "$keypadPid"
    fi
    waitKeypadExit
    expectSetting "$keypadDir" menu.dd TRUE
    expectSetting "$keypadDir" caps.dd FALSE
    expectSetting "$keypadDir" shift.dd FALSE
done
