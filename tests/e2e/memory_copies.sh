#!/usr/bin/env bash
# Once the keypad has let go of a password, its memory holds no copy of it, nor any piece of 12 characters:
# after Clear, after a drop taken as a move, after a drop taken as a copy followed by Clear, whichever of the
# drag's formats the target asks for. The keypad runs as an unprivileged user; its whole writable memory is
# read from outside as root.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

memscan=${GLYPHWARD_MEMSCAN:-}
[[ -x $memscan ]] || fail "GLYPHWARD_MEMSCAN does not name the memscan executable"
readonly pieceLength=12

# Each key's glyph without and with its lock (Caps for the letters, Shift for the rest).
declare -A plainGlyph lockedGlyph lockOf
symbols=(
    cmd1 1 '!' cmd2 2 '@' cmd3 3 '#' cmd4 4 '$' cmd5 5 '%' cmd6 6 '^' cmd7 7 '&' cmd8 8 '*' cmd9 9 '('
    cmd0 0 ')' cmdDash '-' '_' cmdEquals '=' '+' cmdFSlash '/' '?' cmdBSlash "\\" '|' cmdLBracket '[' '{'
    cmdRBracket ']' '}' cmdComma ',' '<' cmdPeriod '.' '>'
)
for ((i = 0; i < ${#symbols[@]}; i += 3)); do
    name=${symbols[i]}
    plainGlyph[$name]=${symbols[i + 1]} lockedGlyph[$name]=${symbols[i + 2]} lockOf[$name]=shift
done

for letter in {a..z}; do
    name=cmd${letter^}
    plainGlyph[$name]=$letter lockedGlyph[$name]=${letter^} lockOf[$name]=caps
done
keyNames=("${!plainGlyph[@]}")

# composePassword LENGTH: clicks LENGTH keys chosen at random, switching Caps and Shift lock on and off in
# between, and sets password to what the field then holds: a text no earlier run has seen.
composePassword()
{
    local clicks=() caps=0 shift=0 i name locked
    password=
    for ((i = 0; i < $1; i++)); do
        if ((i % 5 == 2)); then
            clicks+=(cmdCaps)
            caps=$((1 - caps))
        fi
        if ((i % 7 == 4)); then
            clicks+=(cmdShift)
            shift=$((1 - shift))
        fi
        name=${keyNames[RANDOM % ${#keyNames[@]}]}
        clicks+=("$name")
        locked=$caps
        [[ ${lockOf[$name]} == shift ]] && locked=$shift
        if ((locked)); then
            password+=${lockedGlyph[$name]}
        else
            password+=${plainGlyph[$name]}
        fi
    done
    clickKeys "${clicks[@]}"
}

# copiesOf TEXT: "full N pieces M" for the keypad's memory.
copiesOf()
{
    "$memscan" "$keypadPid" "$1" "$pieceLength" || fail "cannot read the memory of the keypad ($keypadPid)"
}

# expectCopies WHEN FULL PIECES: the keypad holds at most FULL whole copies of the password and at most PIECES
# places with a piece of it. The toolkit lets go of its buffers from its event loop, so the count may take a
# moment to fall: it is polled for up to 3 s. On failure the places are listed with their mappings.
expectCopies()
{
    local when=$1 full=$2 pieces=$3 found
    settled()
    {
        found=$(copiesOf "$password")
        local f p
        read -r _ f _ p <<<"$found"
        ((f <= full && p <= pieces))
    }
    if ! poll 3 settled; then
        "$memscan" --verbose "$keypadPid" "$password" "$pieceLength" >/dev/null || true
        fail "$when: the keypad's memory holds $found (at most full $full pieces $pieces expected)"
    fi
    step "$when: $found"
}

# A fresh keypad for each case, so that what one case leaves cannot hide what the next one does.
runCase()
{
    prepareKeypad menu.dd=FALSE caps.dd=FALSE shift.dd=FALSE
    startKeypadUnprivileged
    [[ $(stat -c %u "/proc/$keypadPid/status") == 0 ]] || fail "the keypad is dumpable: its /proc files are not root's"
    composePassword 28
    # The scan finds the field's own copy: the password is the one composed, and the memory can be read. Under
    # load the keypad may still be handling the last clicks.
    local f
    composed() {
        read -r _ f _ <<<"$(copiesOf "$password")"
        ((f >= 1))
    }
    poll 3 composed || fail "the composed password is not in the keypad's memory: $(copiesOf "$password")"
    step "composed a password of ${#password} characters; the keypad holds $f whole copies"
}

stopKeypad()
{
    kill -TERM "$keypadPid"
    waitKeypadExit
}

step "case: Clear"
runCase
clickKeys cmdClear
expectCopies "after Clear" 0 0
stopKeypad

step "case: a drop taken as a move"
startTarget mover 700 700
runCase
dragToTarget mover
expectDropped mover "$password"
expectCopies "after a move" 0 0
stopKeypad

step "case: a drop taken as a copy, then Clear"
startTarget copier 700 850 --copy
runCase
dragToTarget copier
expectDropped copier "$password"
clickKeys cmdClear
expectCopies "after a copy and Clear" 0 0
stopKeypad

# The same, for a target that asks for each text format the drag offers, as bare X clients do. Each pair of
# targets goes before the next comes, in the same places.
for format in UTF8_STRING text/plain STRING TEXT; do
    name=${format//[^A-Za-z0-9]/_}
    startXdndTarget "move_$name" 100 700 --want "$format" --action move
    mover=$launchedPid
    startXdndTarget "copy_$name" 100 850 --want "$format" --action copy
    copier=$launchedPid

    step "case: $format taken as a move"
    runCase
    dragToTarget "move_$name"
    expectDropped "move_$name" "$password"
    expectCopies "after a move as $format" 0 0
    stopKeypad

    step "case: $format taken as a copy, then Clear"
    runCase
    dragToTarget "copy_$name"
    expectDropped "copy_$name" "$password"
    clickKeys cmdClear
    expectCopies "after a copy as $format and Clear" 0 0
    stopKeypad

    kill "$mover" "$copier"
    wait "$mover" "$copier" 2>/dev/null || true
done
