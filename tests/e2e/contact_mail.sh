#!/usr/bin/env bash
# Contact asks for an error report, then hands the mail link to the desktop: xdg-open finds the mail program
# registered for mailto links, here a stand-in that writes down the link it was given.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
command -v xdg-open >/dev/null || fail "xdg-open is missing (Debian: xdg-utils)"

mailed="$e2eTmp/mailed"
mailer="$e2eTmp/mailer"
printf '#!/bin/sh\nprintf %%s "$1" >"%s"\n' "$mailed" >"$mailer"
chmod +x "$mailer"
mkdir -p "$XDG_DATA_HOME/applications" "$XDG_CONFIG_HOME"
cat >"$XDG_DATA_HOME/applications/test-mailer.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Test mailer
Exec=$mailer %u
MimeType=x-scheme-handler/mailto;
DESKTOP
printf '[Default Applications]\nx-scheme-handler/mailto=test-mailer.desktop\n' >"$XDG_CONFIG_HOME/mimeapps.list"

prepareKeypad menu.dd=TRUE
startKeypad
xdotool windowactivate --sync "$keypadWid" key alt+h key c

boxWid=
boxShown() { boxWid=$(xdotool search --onlyvisible --name '^Contact Brivex$' 2>/dev/null | head -n 1) && [[ -n $boxWid ]]; }
poll 5 boxShown || fail "no message box titled \"Contact Brivex\""
[[ ! -e $mailed ]] || fail "the mail link was opened before the message box was dismissed"
xdotool windowactivate --sync "$boxWid" key Return

poll 10 test -s "$mailed" || fail "the mail program was not started with the link"
# The link travels as a URI, so the blank in the subject arrives encoded.
expectFileBytes "$mailed" "mailto:support@glyphward.example?subject=Glyphward%20User"
