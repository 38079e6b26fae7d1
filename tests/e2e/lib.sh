# shellcheck shell=bash
# Helpers for the end-to-end tests, sourced by each test with the test's own arguments:
#
#   source lib.sh KEYPAD_EXECUTABLE DROP_TARGET_EXECUTABLE ASSETS_DIR
#
# Runs under with-display (DISPLAY set, openbox running). Every wait polls every 50 ms up to a limit; whatever
# was started is stopped and every temporary file removed on exit, also on failure.

if (($# != 3)); then
    echo "usage: $0 KEYPAD_EXECUTABLE DROP_TARGET_EXECUTABLE ASSETS_DIR" >&2
    exit 2
fi
readonly keypadExe=$1 dropTargetExe=$2 assetsDir=$3
readonly testName=${0##*/}

for tool in xdotool xwininfo xprop cmp od; do
    if ! command -v "$tool" >/dev/null; then
        echo "$testName: $tool is not installed; skipping" >&2
        exit 77
    fi
done

e2eTmp=$(mktemp -d "${TMPDIR:-/tmp}/glyphward-e2e.XXXXXX")
readonly e2eTmp
startedPids=()
logs=()

stopAll()
{
    local pid i
    for pid in "${startedPids[@]}"; do
        kill -TERM "$pid" 2>/dev/null
    done
    for pid in "${startedPids[@]}"; do
        for ((i = 0; i < 40; i++)); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.05
        done
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    startedPids=()
}

cleanup()
{
    trap - EXIT INT TERM HUP
    set +e
    stopAll
    rm -rf "$e2eTmp"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

usNow()
{
    local t=${EPOCHREALTIME/[.,]/}
    echo "$t"
}
startUs=$(usNow)
readonly startUs

# Progress with the time since the test began, so a slow step shows in the log.
step()
{
    local us=$(($(usNow) - startUs))
    printf '[%d.%03ds] %s\n' $((us / 1000000)) $((us / 1000 % 1000)) "$*"
}

# Prints the reason and the logs of everything started, then ends the test.
fail()
{
    echo "FAIL ($testName): $*" >&2
    local log
    for log in "${logs[@]}"; do
        if [[ -s $log ]]; then
            echo "--- ${log##*/}" >&2
            cat "$log" >&2
        fi
    done
    exit 1
}

# poll SECONDS COMMAND...: runs COMMAND every 50 ms until it succeeds (0) or the time is up (1).
poll()
{
    local deadline=$(($(usNow) + $1 * 1000000))
    shift
    until "$@"; do
        (($(usNow) < deadline)) || return 1
        sleep 0.05
    done
}

# Bytes as od shows them, one line, for failure messages.
showBytes()
{
    od -An -c | tr -s ' \n' ' '
}

# expectFileBytes FILE TEXT: FILE holds exactly TEXT (printf %s), not one byte more.
expectFileBytes()
{
    local file=$1 expected=$2
    [[ -f $file ]] || fail "$file does not exist (expected: $(printf '%s' "$expected" | showBytes))"
    cmp -s "$file" <(printf '%s' "$expected") ||
        fail "${file##*/} holds:$(showBytes <"$file") expected:$(printf '%s' "$expected" | showBytes)"
}

# expectSetting DIR NAME TRUE|FALSE: the settings file holds exactly #TRUE# or #FALSE# and CR LF.
expectSetting()
{
    expectFileBytes "$1/$2" "#$3#"$'\r\n'
}

wmRunning()
{
    [[ $(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) == *"window id"* ]]
}

# --- windows -------------------------------------------------------------------------------------------------

# clientOrigin WID: "X Y" of the window's client area on the screen. xwininfo, not xdotool getwindowgeometry,
# which counts openbox's title bar twice.
clientOrigin()
{
    xwininfo -id "$1" | awk '/Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
        END { if (x == "" || y == "") exit 1; print x, y }'
}

# clientSize WID: "WIDTH HEIGHT" of the client area.
clientSize()
{
    xwininfo -id "$1" | awk '/^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF }
        END { if (w == "" || h == "") exit 1; print w, h }'
}

# True once openbox has framed WID (or without a window manager) and its place held still for 50 ms: openbox
# reparents a new window some hundreds of milliseconds after it maps, which moves its client area.
isPlaced()
{
    local wid=$1 before after
    if wmRunning; then
        [[ $(xprop -id "$wid" _NET_FRAME_EXTENTS 2>/dev/null) == *=* ]] || return 1
    fi
    before=$(clientOrigin "$wid") || return 1
    sleep 0.05
    after=$(clientOrigin "$wid") || return 1
    [[ $before == "$after" ]]
}

# waitWindow PID WHAT: waits for the visible window of PID (the programs here show one), prints its id once
# it is in place. Fails at once if PID ends.
waitWindow()
{
    local pid=$1 what=$2 wid=
    found()
    {
        kill -0 "$pid" 2>/dev/null || fail "$what exited before showing its window"
        wid=$(xdotool search --all --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)
        [[ -n $wid ]]
    }
    poll 10 found || fail "no window of $what within 10s"
    poll 5 isPlaced "$wid" || fail "the window of $what was not placed within 5s"
    echo "$wid"
}

# launch NAME COMMAND...: starts COMMAND in the background, its output in NAME.stdout and NAME.stderr; sets
# launchedPid.
launch()
{
    local name=$1
    shift
    logs+=("$e2eTmp/$name.stdout" "$e2eTmp/$name.stderr")
    "$@" </dev/null >"$e2eTmp/$name.stdout" 2>"$e2eTmp/$name.stderr" &
    launchedPid=$!
    startedPids+=("$launchedPid")
}

# waitExit PID WHAT: PID ends within 10 s, with status 0.
waitExit()
{
    local pid=$1 what=$2 status=0
    gone() { ! kill -0 "$pid" 2>/dev/null; }
    poll 10 gone || fail "$what did not exit within 10s"
    wait "$pid" || status=$?
    ((status == 0)) || fail "$what exited with status $status"
    step "$what exited"
}

# --- the keypad ----------------------------------------------------------------------------------------------

# prepareKeypad [menu.dd=TRUE|FALSE|missing] [caps.dd=...] [shift.dd=...]: a fresh copy of the program (with its
# documents) in a directory of its own (it keeps its settings beside its real executable: a symbolic link would lead it back to
# the build), with the installed settings files, then those given written as the test says. Sets keypadDir.
keypadCount=0
prepareKeypad()
{
    keypadCount=$((keypadCount + 1))
    keypadDir="$e2eTmp/keypad$keypadCount"
    mkdir "$keypadDir"
    cp "$keypadExe" "$keypadDir/glyphward"
    cp "$assetsDir"/*.dd "$assetsDir"/*.rtf "$keypadDir/"
    local setting
    for setting in "$@"; do
        if [[ ${setting#*=} == missing ]]; then
            rm -f "$keypadDir/${setting%%=*}"
        else
            printf '#%s#\r\n' "${setting#*=}" >"$keypadDir/${setting%%=*}"
        fi
    done
}

# startKeypad: runs the prepared copy, from another working directory, and waits for its window. Sets
# keypadPid, keypadWid and keypadOrigin ("X Y" of the client area).
startKeypad()
{
    step "starting the keypad"
    launch "keypad$keypadCount" bash -c 'cd "$1" && exec "$2"' keypad "$e2eTmp" "$keypadDir/glyphward"
    keypadPid=$launchedPid
    keypadWid=$(waitWindow "$keypadPid" "the keypad") || exit 1
    keypadOrigin=$(clientOrigin "$keypadWid")
    step "keypad window $keypadWid, client area at $keypadOrigin"
}

waitKeypadExit()
{
    waitExit "$keypadPid" "the keypad"
}

# startKeypadUnprivileged: as startKeypad, but as the user nobody, as an ordinary user's keypad runs, so that
# what the kernel does for and against an unprivileged process applies. The prepared directory and a home of
# its own become that user's; the test's directories above them become passable (not readable) for it. The X
# server of with-display takes any local client. Skips the test unless it runs as root.
startKeypadUnprivileged()
{
    if ((EUID != 0)) || ! command -v setpriv >/dev/null; then
        echo "$testName: needs root and setpriv to run the keypad as another user; skipping" >&2
        exit 77
    fi
    local home="$keypadDir.home" dir=$e2eTmp
    mkdir -m 700 "$home" "$home/run" "$home/tmp"
    chown -R nobody:nogroup "$keypadDir" "$home"
    while [[ -n $dir ]]; do
        if [[ -O $dir && $(stat -c %A "$dir") != *[xt] ]]; then
            chmod o+x "$dir"
        fi
        dir=${dir%/*}
    done
    step "starting the keypad as nobody"
    launch "keypad$keypadCount" env HOME="$home" XDG_RUNTIME_DIR="$home/run" TMPDIR="$home/tmp" \
        XDG_CONFIG_HOME="$home/.config" XDG_CACHE_HOME="$home/.cache" XDG_DATA_HOME="$home/.local/share" \
        setpriv --reuid=nobody --regid=nogroup --clear-groups \
        bash -c 'cd "$1" && exec "$2"' keypad "$home" "$keypadDir/glyphward"
    keypadPid=$launchedPid
    keypadWid=$(waitWindow "$keypadPid" "the keypad") || exit 1
    keypadOrigin=$(clientOrigin "$keypadWid")
    step "keypad window $keypadWid, client area at $keypadOrigin"
}

# The keypad's controls: name -> "x y width height" in twips from the top-left of the key area.
declare -A controls
defineControls()
{
    local rows=(
        "120 cmd1 cmd2 cmd3 cmd4 cmd5 cmd6 cmd7 cmd8 cmd9 cmd0 cmdDash cmdEquals"
        "600 cmdA cmdB cmdC cmdD cmdE cmdF cmdG cmdH cmdI cmdJ cmdK cmdLBracket"
        "1080 cmdL cmdM cmdN cmdO cmdP cmdQ cmdR cmdS cmdT cmdU cmdV cmdRBracket"
        "1560 cmdW cmdX cmdY cmdZ - - - - cmdComma cmdPeriod cmdFSlash cmdBSlash"
    )
    local row y k name
    for row in "${rows[@]}"; do
        set -- $row
        y=$1
        shift
        k=0
        for name; do
            [[ $name == - ]] || controls[$name]="$((840 + 600 * k)) $y 495 375"
            k=$((k + 1))
        done
    done
    controls[cmdShift]="120 120 615 375"
    controls[cmdCaps]="120 600 615 375"
    controls[cmdClear]="120 1080 615 375"
    controls[cmdBackSpace]="120 1560 615 375"
    controls[txtPWord]="3240 1560 2295 375"
}
defineControls

# controlRect NAME: sets rectLeft, rectTop, rectWidth, rectHeight to the control's place on the screen in
# pixels (15 twips each, rounded). Valid while the menu bar is hidden: the key area then starts at the client
# area's top-left.
controlRect()
{
    [[ -n ${controls[$1]-} ]] || fail "no control named $1"
    local x y w h ox oy
    read -r x y w h <<<"${controls[$1]}"
    read -r ox oy <<<"$keypadOrigin"
    rectLeft=$((ox + (x + 7) / 15))
    rectTop=$((oy + (y + 7) / 15))
    rectWidth=$(((w + 7) / 15))
    rectHeight=$(((h + 7) / 15))
}

# clickKeys NAME...: one click on the centre of each control, in order.
clickKeys()
{
    local name
    for name; do
        controlRect "$name"
        xdotool mousemove $((rectLeft + rectWidth / 2)) $((rectTop + rectHeight / 2)) click --delay 0 1
    done
    step "clicked $*"
}

# pressKeys KEY...: gives the keypad the keyboard focus and types the keys (xdotool key names).
pressKeys()
{
    timeout 5 xdotool windowactivate --sync "$keypadWid" || fail "could not activate the keypad window"
    xdotool key "$@"
    step "pressed $*"
}

# dragField X Y [ANSWERED...]: presses on the field's text (the whole of it is selected after a click), drags
# and drops at X Y. Separate xdotool calls with short pauses: a drag chained in one xdotool call never starts.
# The source drops only once the target has answered the drag (a release before that cancels it), so the
# pointer lingers over the target, nudging it, until the command ANSWERED succeeds (at most 3 s), or for a
# fixed 0.3 s without one.
dragField()
{
    local tx=$1 ty=$2 sx sy i
    shift 2
    controlRect txtPWord
    # The keypad centres the mask in the field, so the middle of the field is on the selected text.
    sx=$((rectLeft + rectWidth / 2))
    sy=$((rectTop + rectHeight / 2))
    xdotool mousemove --sync "$sx" "$sy"
    sleep 0.1
    xdotool mousedown 1
    sleep 0.1
    # Past Qt's drag distance of 10 pixels whether a widget counts it with > or >=.
    xdotool mousemove "$((sx + 15))" "$sy"
    xdotool mousemove "$tx" "$ty"
    for ((i = 1; i <= ($# ? 60 : 6); i++)); do
        xdotool mousemove "$((tx + i % 2))" "$ty"
        if (($#)) && "$@"; then
            break
        fi
        sleep 0.05
    done
    xdotool mouseup 1
    step "dragged the field to $tx $ty"
}

# --- the Help menu's viewers --------------------------------------------------------------------------------

# viewerShown CAPTION: true once a window titled exactly CAPTION is visible; sets viewerWid.
viewerWid=
viewerShown()
{
    viewerWid=$(xdotool search --onlyvisible --name "^${1//./\\.}\$" 2>/dev/null | head -n 1) && [[ -n $viewerWid ]]
}

# openViewer LETTER CAPTION: Help, then the item with that letter (f: F.A.Q., l: License), from the keypad; waits
# for the viewer and sets viewerWid. The menu bar must be shown.
openViewer()
{
    xdotool windowactivate --sync "$keypadWid" key alt+h key "$1"
    poll 5 viewerShown "$2" || fail "no window titled \"$2\" after Help, $1"
}

# closeViewer CAPTION: Esc in the viewer; waits until it is gone.
closeViewer()
{
    xdotool windowactivate --sync "$viewerWid" key Escape
    gone() { ! viewerShown "$1"; }
    poll 5 gone "$1" || fail "$1 did not close"
}

# --- drop targets --------------------------------------------------------------------------------------------

declare -A targetOut targetHover targetPoint

# launchTarget NAME KIND EXECUTABLE X Y [OPTION...]: runs a drop target program (both take the same options)
# at X Y; its text lands in targetOut[NAME], it creates targetHover[NAME] once it has accepted a drag over it,
# and the point to drop on is targetPoint[NAME].
launchTarget()
{
    local name=$1 kind=$2 exe=$3 x=$4 y=$5
    shift 5
    targetOut[$name]="$e2eTmp/$name.text"
    targetHover[$name]="$e2eTmp/$name.hover"
    launch "$name" "$exe" --title "Glyphward $kind $name" --out "${targetOut[$name]}" \
        --hover "${targetHover[$name]}" --at "$x,$y" --timeout 110 "$@"
    local wid ox oy w h
    wid=$(waitWindow "$launchedPid" "$kind $name") || exit 1
    read -r ox oy <<<"$(clientOrigin "$wid")"
    read -r w h <<<"$(clientSize "$wid")"
    targetPoint[$name]="$((ox + w / 2)) $((oy + h / 2))"
    step "$kind $name ready${*:+ ($*)}, dropping at ${targetPoint[$name]}"
}

# startTarget NAME X Y [--copy]: the Qt drop target (a masked line edit) at X Y.
startTarget()
{
    launchTarget "$1" "drop target" "$dropTargetExe" "${@:2}"
}

# dragToTarget NAME: forgets what the target received so far, then drags the field onto it.
dragToTarget()
{
    rm -f "${targetOut[$1]}" "${targetHover[$1]}"
    dragField ${targetPoint[$1]} test -e "${targetHover[$1]}"
}

# expectDropped NAME TEXT: the target receives exactly TEXT within 5 s.
expectDropped()
{
    local out=${targetOut[$1]}
    arrived() { [[ -e $out ]]; }
    poll 5 arrived || fail "nothing arrived at drop target $1 within 5s (expected '$2')"
    expectFileBytes "$out" "$2"
    step "drop target $1 received '$2'"
}

# startXdndTarget NAME X Y [OPTION...]: the bare Xlib target (xdnd_target, named by GLYPHWARD_XDND_TARGET) at X Y,
# with its options (--want, --action, --time, --requestor, --targets).
startXdndTarget()
{
    [[ -x ${GLYPHWARD_XDND_TARGET:-} ]] || fail "GLYPHWARD_XDND_TARGET does not name the xdnd_target executable"
    launchTarget "$1" "XDND target" "$GLYPHWARD_XDND_TARGET" "${@:2}"
}

# --- a GTK password dialog -----------------------------------------------------------------------------------

# startPasswordDialog X Y: zenity's password dialog, moved to X Y, clear of the keypad (which stays on top).
# Sets dialogPid, dialogWid and dialogPoint, the middle of its password box.
startPasswordDialog()
{
    if ! command -v zenity >/dev/null; then
        echo "$testName: zenity is not installed; skipping" >&2
        exit 77
    fi
    launch dialog zenity --password --title "Glyphward GTK target"
    dialogPid=$launchedPid
    dialogWid=$(waitWindow "$dialogPid" "zenity") || exit 1
    timeout 5 xdotool windowmove --sync "$dialogWid" "$1" "$2" || fail "could not move zenity's dialog"
    poll 5 isPlaced "$dialogWid" || fail "zenity's dialog did not settle within 5s"
    local ox oy w h
    read -r ox oy <<<"$(clientOrigin "$dialogWid")"
    read -r w h <<<"$(clientSize "$dialogWid")"
    # Where the box lies in the dialog of Debian 12's zenity with GTK's default theme (290 x 164 pixels):
    # stretched to the right edge, above the row of buttons.
    dialogPoint="$((ox + w - 98)) $((oy + h - 71))"
    step "zenity ready, ${w}x$h, dropping at $dialogPoint"
}

# expectDialogAnswer TEXT: answers the dialog with Return; zenity then prints the password it holds, which must
# be exactly TEXT.
expectDialogAnswer()
{
    timeout 5 xdotool windowfocus --sync "$dialogWid" key Return || fail "could not answer zenity's dialog"
    waitExit "$dialogPid" "zenity"
    expectFileBytes "$e2eTmp/dialog.stdout" "$1"$'\n'
    step "zenity answered '$1'"
}
