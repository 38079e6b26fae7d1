#!/usr/bin/env bash
# The keypad's window carries its exact title and stays in the topmost band, above a window opened later.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
: "${GLYPHWARD_VERSION:?must hold the version of the program, as CTest sets it}"
title="Glyphward OSK $GLYPHWARD_VERSION - - by: Ansel Verrick - - glyphward.example"

prepareKeypad menu.dd=TRUE
startKeypad

for property in _NET_WM_NAME WM_NAME; do
    actual=$(xprop -id "$keypadWid" -notype "$property")
    [[ $actual == "$property = \"$title\"" ]] || fail "title: $actual; expected: \"$title\""
done

isAbove() { [[ $(xprop -id "$keypadWid" _NET_WM_STATE) == *_NET_WM_STATE_ABOVE* ]]; }
poll 2 isAbove || fail "_NET_WM_STATE lacks _NET_WM_STATE_ABOVE: $(xprop -id "$keypadWid" _NET_WM_STATE)"

# openbox raises a new window and gives it the focus; the keypad must stay above it all the same.
startTarget later 700 700
stacking=$(xprop -root _NET_CLIENT_LIST_STACKING)
keypadId=$(printf '0x%x' "$keypadWid")
[[ ${stacking##* } == "$keypadId" ]] ||
    fail "the keypad $keypadId is not on top of $stacking"
step "the keypad is on top"
