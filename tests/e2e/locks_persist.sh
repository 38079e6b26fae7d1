#!/usr/bin/env bash
# A setting switched by its key survives Esc and the next start: the close rewrites all three files, the
# switched one TRUE, and the keypad starts with it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

# key, the file it switches on, a key whose glyph shows it on the next start and that glyph ("-": none)
cases=(
    "F2 caps.dd cmdA A"
    "F3 shift.dd cmd1 !"
    "F4 menu.dd - -"
)

startTarget target 700 700
for case in "${cases[@]}"; do
    read -r key switched control glyph <<<"$case"
    step "case $key"
    prepareKeypad menu.dd=FALSE caps.dd=FALSE shift.dd=FALSE
    startKeypad
    pressKeys "$key"
    pressKeys Escape
    waitKeypadExit
    for setting in menu.dd caps.dd shift.dd; do
        if [[ $setting == "$switched" ]]; then
            expectSetting "$keypadDir" "$setting" TRUE
        else
            expectSetting "$keypadDir" "$setting" FALSE
        fi
    done

    if [[ $control != - ]]; then
        startKeypad
        clickKeys "$control"
        dragToTarget target
        expectDropped target "$glyph"
        pressKeys Escape
        waitKeypadExit
    fi
done
