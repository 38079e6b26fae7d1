#!/usr/bin/env bash
# A drag into a GTK 4 password entry on X11 hands over exactly the composed text. GTK 4 asks for the text at
# CurrentTime from a window other than the one the drop went to, which the toolkit's own drag source refused.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

/usr/bin/python3 -c 'import gi; gi.require_version("Gtk", "4.0")' 2>/dev/null || {
    echo "$testName: GTK 4 for Python (gir1.2-gtk-4.0) is not installed; skipping" >&2
    exit 77
}

prepareKeypad menu.dd=FALSE
startKeypad
launch gtk4 env GDK_BACKEND=x11 /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/gtk4_target.py" "Glyphward GTK 4 target"
gtk4Wid=$(waitWindow "$launchedPid" "the GTK 4 target") || exit 1
timeout 5 xdotool windowmove --sync "$gtk4Wid" 100 700 || fail "could not move the GTK 4 target"
poll 5 isPlaced "$gtk4Wid" || fail "the GTK 4 target did not settle"
read -r ox oy <<<"$(clientOrigin "$gtk4Wid")"
read -r w h <<<"$(clientSize "$gtk4Wid")"
step "GTK 4 entry at $ox $oy, ${w}x$h"

clickKeys cmdG cmdT cmdK cmd4
pressKeys F3
clickKeys cmd5
# The entry fills its window.
dragField $((ox + w / 2)) $((oy + h / 2))
arrived() { [[ $(tail -n 1 "$e2eTmp/gtk4.stdout" 2>/dev/null) == 'gtk4%' ]]; }
poll 5 arrived || fail "the GTK 4 entry holds '$(tail -n 1 "$e2eTmp/gtk4.stdout" 2>/dev/null)', expected 'gtk4%'"
step "the GTK 4 entry received the password"
