#!/usr/bin/env bash
# On a screen smaller than the viewers' design size (run on a 1024x600 screen), each viewer lies wholly on the
# screen, its frame and title bar included, and is made smaller to fit; the License viewer's client area
# stands at 1155, 345 twips unless its title bar would not fit above it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

read -r screenWidth screenHeight < <(xwininfo -root | awk '/^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print w, h }')
((screenHeight < 700)) || fail "the screen is ${screenWidth}x$screenHeight: run with GLYPHWARD_DISPLAY_SIZE=1024x600x24"

prepareKeypad menu.dd=TRUE
startKeypad

for viewer in "F.A.Q.:f" "Liscense Agreement:l"; do
    caption="Glyphward OSK ${viewer%:*}"
    openViewer "${viewer##*:}" "$caption"
    poll 5 isPlaced "$viewerWid" || fail "$caption did not settle"
    read -r x y <<<"$(clientOrigin "$viewerWid")"
    read -r w h <<<"$(clientSize "$viewerWid")"
    read -r left right top bottom < <(xprop -id "$viewerWid" _NET_FRAME_EXTENTS | tr -dc '0-9 ' | awk '{ print $1, $2, $3, $4 }')
    step "$caption: client ${w}x$h at $x $y, frame $left $right $top $bottom"
    ((x - left >= 0 && y - top >= 0)) || fail "$caption: its frame begins off the screen"
    ((x + w + right <= screenWidth && y + h + bottom <= screenHeight)) || fail "$caption: its frame ends off the screen"
    if [[ $caption == *Liscense* ]]; then
        ((x == 77)) || fail "$caption: client area at x $x, not 77 (1155 twips)"
    fi
    closeViewer "$caption"
done
