#!/usr/bin/env bash
# Starts a virtual display (Xvfb with openbox, by tintavo_start_display of scripts/wine-env.sh), prints
# its DISPLAY value on a line of its own, and keeps it until its standard input ends (the caller closes
# the pipe, or dies) or it is terminated; then stops the display. Exits 1 if the display did not start.
#   scripts/virtual-display.sh <PIPE
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
trap tintavo_stop_display EXIT
trap 'exit 143' TERM INT HUP
tintavo_start_display || exit 1
echo "$DISPLAY"
while read -r _; do :; done # whatever comes in is ignored; the end of the input stops the display
