#!/usr/bin/env bash
# A drag into a GTK password box, zenity's password dialog, hands over exactly the composed text.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

prepareKeypad menu.dd=FALSE
startKeypad
startPasswordDialog 100 700

clickKeys cmdG cmdT cmdK
pressKeys F3
clickKeys cmd5
dragField $dialogPoint
expectDialogAnswer 'gtk%'
