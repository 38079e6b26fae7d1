#!/usr/bin/env bash
# The command line: --help and --version answer and exit without needing a display, anything else of ours is
# refused with the usage, the toolkit's own options still work, and a missing or wrong display is said in one
# line with status 1 rather than an abort.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

# run NAME ARG...: runs the keypad with the environment and arguments given, sets status, out and err.
run()
{
    local name=$1
    shift
    status=0
    timeout 10 "$@" >"$e2eTmp/$name.out" 2>"$e2eTmp/$name.err" || status=$?
    out=$(<"$e2eTmp/$name.out")
    err=$(<"$e2eTmp/$name.err")
}

noDisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
cases=(
    # name | expected status | what stdout starts with | what stderr starts with | command
    "version|0|glyphward ${GLYPHWARD_VERSION:-}||${noDisplay[*]} $keypadExe --version"
    "short version|0|glyphward ||${noDisplay[*]} $keypadExe -v"
    "help|0|Usage: glyphward [OPTION]||${noDisplay[*]} $keypadExe --help"
    "unknown option|2||glyphward: unknown option '--bogus'|$keypadExe -platform offscreen --bogus"
    "argument|2||glyphward: unknown argument 'file.txt'|$keypadExe -platform offscreen file.txt"
    "no display|1||glyphward: cannot open a display|${noDisplay[*]} QT_QPA_PLATFORM=xcb $keypadExe"
    "wrong display|1||glyphward: cannot open a display|env DISPLAY=:4095 $keypadExe"
    "unknown platform|1||glyphward: cannot open a display|env QT_QPA_PLATFORM=nonsense $keypadExe"
)
for entry in "${cases[@]}"; do
    IFS='|' read -r name expected outStart errStart command <<<"$entry"
    # The command's words are plain: no blanks inside one.
    read -ra words <<<"$command"
    run "${name// /_}" "${words[@]}"
    ((status == expected)) || fail "$name: status $status, expected $expected; stderr: $err"
    [[ $out == "$outStart"* ]] || fail "$name: stdout '$out' does not start with '$outStart'"
    [[ $err == "$errStart"* ]] || fail "$name: stderr '$err' does not start with '$errStart'"
    if ((expected == 1)); then
        (($(wc -l <<<"$err") == 1)) || fail "$name: more than one line on stderr: $err"
    fi
    step "$name: status $status"
done

# The toolkit's own options are taken by the toolkit: the keypad starts on the platform asked for.
prepareKeypad
launch platform "$keypadDir/glyphward" -platform offscreen
sleep 1
kill -0 "$launchedPid" || fail "the keypad did not run with -platform offscreen: $(cat "$e2eTmp/platform.stderr")"
kill -TERM "$launchedPid"
waitExit "$launchedPid" "the keypad on the offscreen platform"
