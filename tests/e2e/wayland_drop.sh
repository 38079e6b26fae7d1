#!/usr/bin/env bash
# Under GNOME's compositor, with the keypad on Xwayland: a password dragged into a Wayland program's password
# box arrives exactly and the field empties; a target that reports a move without reading the data leaves the
# password in the field. The pointer is mutter's own, driven through its remote-desktop API: XTEST moves only
# Xwayland's pointer, which cannot carry a drag to a Wayland window.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

[[ -n ${WAYLAND_DISPLAY:-} ]] || fail "not inside with-gnome-wayland"
command -v zenity >/dev/null || {
    echo "$testName: zenity is not installed; skipping" >&2
    exit 77
}

# --- mutter's pointer ----------------------------------------------------------------------------------------

coproc pointerProc { /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/mutter_input.py" 2>"$e2eTmp/pointer.stderr"; }
startedPids+=("$pointerProc_PID")
logs+=("$e2eTmp/pointer.stderr")
pointerIn=${pointerProc[1]}
pointerOut=${pointerProc[0]}

# pointer COMMAND...: one command to mutter_input.py, waiting for its answer.
pointer()
{
    local answer
    echo "$*" >&"$pointerIn"
    IFS= read -r -t 10 answer <&"$pointerOut" || fail "no answer from the remote-desktop pointer to: $*"
    [[ $answer == ok ]] || fail "remote-desktop pointer: $*: $answer"
}
answer=
IFS= read -r -t 20 answer <&"$pointerOut" || true
[[ $answer == ok ]] || fail "the remote-desktop session did not start"

click()
{
    pointer move "$1" "$2"
    pointer down
    sleep 0.02
    pointer up
}

clickKeysWayland()
{
    local name
    for name; do
        controlRect "$name"
        click $((rectLeft + rectWidth / 2)) $((rectTop + rectHeight / 2))
    done
    sleep 0.1
    step "clicked $*"
}

# dragTo X Y [ANSWERED...]: as lib.sh's dragField, with mutter's pointer. Without ANSWERED (a Wayland target
# says nothing we can see) the pointer lingers for a fixed 0.6 s.
dragTo()
{
    local tx=$1 ty=$2 sx sy i
    shift 2
    controlRect txtPWord
    sx=$((rectLeft + rectWidth / 2))
    sy=$((rectTop + rectHeight / 2))
    pointer move "$sx" "$sy"
    sleep 0.1
    pointer down
    sleep 0.1
    pointer move $((sx + 15)) "$sy"
    sleep 0.05
    pointer move "$tx" "$ty"
    for ((i = 1; i <= ($# ? 60 : 12); i++)); do
        sleep 0.05
        pointer move $((tx + i % 2)) "$ty"
        if (($#)) && "$@"; then
            break
        fi
    done
    pointer up
    step "dragged the field to $tx $ty"
}

dragToXTarget()
{
    rm -f "${targetOut[$1]}" "${targetHover[$1]}"
    dragTo ${targetPoint[$1]} test -e "${targetHover[$1]}"
}

# --- zenity as a Wayland client ------------------------------------------------------------------------------

# Started before anything else is on the screen, mutter puts it in the middle (with-gnome-wayland asks for
# that). A Wayland client is not told where it is; its size is what it sets as its window geometry, which
# WAYLAND_DEBUG shows. The box and the OK button then lie where they do in Debian 12's zenity.
launch dialog env GDK_BACKEND=wayland WAYLAND_DEBUG=1 zenity --password --title "Glyphward Wayland target"
dialogPid=$launchedPid
geometry()
{
    kill -0 "$dialogPid" 2>/dev/null || fail "zenity exited at start-up"
    grep -q 'set_window_geometry' "$e2eTmp/dialog.stderr"
}
poll 10 geometry || fail "zenity did not show its window on Wayland within 10s"
sleep 0.5
read -r w h < <(grep -o 'set_window_geometry([0-9, ]*)' "$e2eTmp/dialog.stderr" | tail -n 1 | tr -dc '0-9,\n' |
    awk -F, '{ print $3, $4 }')
dx=$(((1280 - w) / 2))
dy=$(((800 - h) / 2))
dialogBox="$((dx + w - 98)) $((dy + h - 71))"
dialogOk="$((dx + w - 49)) $((dy + h - 20))"
step "zenity on Wayland, ${w}x$h at $dx $dy: box at $dialogBox"

# --- the keypad and an X target, clear of the dialog ---------------------------------------------------------

prepareKeypad menu.dd=FALSE caps.dd=FALSE shift.dd=FALSE
startKeypad
timeout 5 xdotool windowmove --sync "$keypadWid" 40 40 >/dev/null 2>&1 || xdotool windowmove "$keypadWid" 40 40
poll 5 isPlaced "$keypadWid" || fail "the keypad did not settle after the move"
keypadOrigin=$(clientOrigin "$keypadWid")
step "keypad moved, client area at $keypadOrigin"
startXdndTarget liar 60 560 --want none
startXdndTarget reader 900 560

# --- the drops -----------------------------------------------------------------------------------------------

clickKeysWayland cmdH cmdU cmdN cmdT cmdE cmdR cmd2 cmdShift cmd7 cmdShift cmdCaps cmdQ cmdCaps
dragTo $dialogBox
sleep 0.5
click $dialogOk
waitExit "$dialogPid" "zenity"
expectFileBytes "$e2eTmp/dialog.stdout" $'hunter2&Q\n'
step "zenity on Wayland answered the password"

# The field emptied: a new key is all that the next drag carries. The liar keeps it there.
clickKeysWayland cmdX
dragToXTarget liar
told() { grep -q "reported a move but never asked for the password" "$e2eTmp/keypad1.stderr"; }
poll 5 told || fail "the keypad did not report the move that handed nothing over"
dragToXTarget reader
expectDropped reader 'x'
