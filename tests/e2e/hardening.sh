#!/usr/bin/env bash
# The keypad, run as an ordinary user, cannot be read by that user's other programs nor leave a core dump: it
# is not dumpable (the kernel then gives its /proc files to root) and its core file limit is 0, soft and hard,
# so that it cannot raise it again.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

prepareKeypad menu.dd=FALSE
startKeypadUnprivileged

[[ $(stat -c %U "/proc/$keypadPid/status") == root ]] ||
    fail "/proc/$keypadPid/status belongs to $(stat -c %U "/proc/$keypadPid/status"): the keypad is dumpable"
[[ $(awk '/^Uid:/ { print $2 }' "/proc/$keypadPid/status") == "$(id -u nobody)" ]] ||
    fail "the keypad does not run as nobody: $(grep '^Uid:' "/proc/$keypadPid/status")"
coreLimit=$(awk '/^Max core file size/ { print $5, $6 }' "/proc/$keypadPid/limits")
[[ $coreLimit == "0 0" ]] || fail "core file limit (soft hard) is '$coreLimit', expected '0 0'"
step "not dumpable, core file limit $coreLimit"

# Nor can its own user open its memory.
if setpriv --reuid=nobody --regid=nogroup --clear-groups bash -c 'exec 3<"$1"' open "/proc/$keypadPid/mem" 2>/dev/null; then
    fail "the keypad's memory can be opened by its own user"
fi
if grep -E "core dumps|dumpable|freed memory" "$e2eTmp/keypad$keypadCount.stderr"; then
    fail "the keypad reported a failed hardening step"
fi

kill -TERM "$keypadPid"
waitKeypadExit
