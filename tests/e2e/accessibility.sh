#!/usr/bin/env bash
# The keypad as a screen reader, or any program of the same user listening on the accessibility bus, sees it:
# composing by clicks names no character of the password in any event, the field tells how many characters it
# holds (as a mask), and Shift and Caps report their lock as checked.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

for tool in dbus-daemon /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null || {
        echo "$testName: $tool is not installed; skipping" >&2
        exit 77
    }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || {
    echo "$testName: python3-pyatspi is not installed; skipping" >&2
    exit 77
}
atspi=$(dirname "${BASH_SOURCE[0]}")/atspi.py

# A session bus and the accessibility bus of our own.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$e2eTmp/bus"
launch dbus dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS"
busUp() { [[ -S $e2eTmp/bus ]]; }
poll 10 busUp || fail "the session bus did not come up"
launch atspibus /usr/libexec/at-spi-bus-launcher --launch-immediately
unset NO_AT_BRIDGE
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

launch listener /usr/bin/python3 "$atspi" listen "$e2eTmp/events"
listening() { grep -q ready "$e2eTmp/listener.stdout"; }
poll 20 listening || fail "the AT-SPI listener did not start"

prepareKeypad menu.dd=FALSE caps.dd=FALSE shift.dd=FALSE
startKeypad
found() { /usr/bin/python3 "$atspi" show >"$e2eTmp/show" 2>/dev/null; }
poll 10 found || fail "the keypad is not on the accessibility bus"
# What start-up announced (the first key's focus) is not part of composing.
sleep 0.5
startLine=$(($(wc -l <"$e2eTmp/events") + 1))

password='hunter2&Q'
clickKeys cmdH cmdU cmdN cmdT cmdE cmdR cmd2 cmdShift cmd7 cmdShift cmdCaps cmdQ
show()
{
    /usr/bin/python3 "$atspi" show >"$e2eTmp/show" || fail "cannot read the keypad through AT-SPI"
}
# The field shows the mask, whose length the reader can count.
expectShown()
{
    local line=$1
    grep -qxF "$line" "$e2eTmp/show" || fail "AT-SPI shows$(printf '\n%s' "$(cat "$e2eTmp/show")")"$'\n'"expected the line: $line"
}
masked() { show && grep -qxF "field	Password	#########" "$e2eTmp/show"; }
poll 5 masked || expectShown "field	Password	#########"
expectShown "lock	Caps	checked"
expectShown "lock	Shift	unchecked"
# Row by row as on the screen, the left column first; the hidden fifth row last.
expectShown "order	Shift	1	2	3	4	5	6	7	8	9	0	-	=	Caps	A	B	C	D	E	F	G	H	I	J	K	[	Clear	L	M	N	O	P	Q	R	S	T	U	V	]	Back	W	X	Y	Z	,	.	/	\	Del	Select All"
step "AT-SPI shows the mask of ${#password} characters, Caps checked, the keys row by row"

# No event while composing named a character key after a character of the password. Two kinds of event from
# the keys are harmless and allowed: a lock relabelling its whole group at once (name changes of every letter
# or every digit and punctuation key), and the first key losing the focus it had from start-up. Text events
# carry the mask alone.
awk -F'\t' -v password="$password" -v from="$startLine" '
    NR < from { next }
    ($2 == "push button" || $2 == "check box") && length($3) == 1 && index(password, $3) > 0 {
        if ($1 == "object:property-change:accessible-name") next
        if ($1 == "object:state-changed:focused" && $4 == "0") next
        print "names a character of the password: " $0; bad = 1
    }
    $1 ~ /^object:text-changed/ && $6 !~ /^\x27#*\x27$/ { print "text event with more than the mask: " $0; bad = 1 }
    END { exit bad }
' "$e2eTmp/events" >"$e2eTmp/leaks" || fail "while composing by clicks:$(printf '\n%s' "$(cat "$e2eTmp/leaks")")"
textEvents=$(tail -n +"$startLine" "$e2eTmp/events" | grep -c '^object:text-changed:insert' || true)
((textEvents >= ${#password})) || fail "only $textEvents text insertions were announced for ${#password} characters"
step "no event named a character of the password; $textEvents mask insertions announced"

# Switch access: the keys' Press action types as a click does, and says no more.
startLine=$(($(wc -l <"$e2eTmp/events") + 1))
/usr/bin/python3 "$atspi" press "Q" || fail "the Press action of a key failed"
grownByOne() { show && grep -qxF "field	Password	##########" "$e2eTmp/show"; }
poll 5 grownByOne || expectShown "field	Password	##########"
sleep 0.3
if tail -n +"$startLine" "$e2eTmp/events" | awk -F'\t' '$3 == "Q" && $1 != "object:property-change:accessible-name"' | grep -q .; then
    fail "the Press action was announced with the key's name:$(printf '\n%s' "$(tail -n +"$startLine" "$e2eTmp/events")")"
fi
step "the Press action of Q appended a character, announced as a mask only"

# The locks follow the keyboard shortcuts too.
pressKeys F3
lockShown() { show && grep -qxF "lock	Shift	checked" "$e2eTmp/show"; }
poll 5 lockShown || expectShown "lock	Shift	checked"
step "F3 checks Shift"

# F4 renames the menu item that hides or shows the menu, and says so.
pressKeys F4
renamed() { grep -qP '^object:property-change:accessible-name\t[^\t]*\tHide Menu\t' "$e2eTmp/events"; }
poll 5 renamed || fail "no name change was announced for the menu item now called Hide Menu"
step "the menu item's new name was announced"

# Qt 6.4's accessibility bridge dies of a segmentation fault when a client asks an object for all its
# properties at once. If it does, the password composed dies with it: no core file, no copy on disk.
composed="${password}Q"
answer=$(/usr/bin/python3 "$atspi" getall "$keypadPid" 2>&1) || true
sleep 0.5
if kill -0 "$keypadPid" 2>/dev/null; then
    step "GetAll answered ($answer); the keypad lives"
else
    status=0
    wait "$keypadPid" || status=$?
    # 139 is SIGSEGV; a sanitizer build reports the fault and exits instead.
    ((status != 0)) || fail "after GetAll the keypad ended with status 0"
    step "GetAll crashed the keypad (status $status), as Qt 6.4's bridge does"
fi
cores=$(find "$e2eTmp" "$HOME" "${TMPDIR:-/tmp}" -xdev \( -name 'core' -o -name 'core.*' \) 2>/dev/null | head -n 3)
[[ -z $cores ]] || fail "a core file was left: $cores"
copies=$(grep -rlF -- "$composed" "$e2eTmp" "$HOME" "${TMPDIR:-/tmp}" 2>/dev/null | grep -v "/events$" | head -n 3 || true)
[[ -z $copies ]] || fail "the password is on disk in: $copies"
step "no core file, no copy of the password on disk"
