#!/usr/bin/env bash
# Builds tintavo.exe and runs it under Wine until it exits: on your X display when DISPLAY works, otherwise
# on a virtual one whose screen is kept as a PNG (refreshed every 2 s) for you to look at.
# TZ chooses the clock's local time, e.g. TZ=XXX-18:09 for UTC+18:09.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

[[ -n ${TINTAVO_SET_UP:-} ]] || scripts/setup.sh
export TINTAVO_SET_UP=1 # the scripts started below need not check again
scripts/build.sh
exe=$repo/build/win/windows/tintavo.exe

source scripts/wine-env.sh
# A prefix of this run's own, a copy of the template, removed when the clock ends.
workdir=$(mktemp -d "${TMPDIR:-/tmp}/tintavo-run.XXXXXX")
shooter=
own_display=0
cleanup() {
    set +e
    if [[ -n $shooter ]]; then
        kill "$shooter" 2>/dev/null
        wait "$shooter" 2>/dev/null
    fi
    tintavo_stop_wine
    if ((own_display)); then
        tintavo_stop_display
    fi
    rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
tintavo_wine_env "$workdir/prefix"
tintavo_new_prefix "$WINEPREFIX"

if tintavo_display_works; then
    echo "run: showing the clock on $DISPLAY"
else
    tintavo_start_display
    own_display=1
fi

# In the background, so that a signal to this script stops the clock at once (the traps above).
wine "$exe" &
clock=$!

if ((own_display)); then
    screen=$repo/build/screen.png
    (
        while kill -0 "$clock" 2>/dev/null; do
            /usr/bin/python3 -c 'import sys; from PIL import ImageGrab; ImageGrab.grab(xdisplay=sys.argv[1]).save(sys.argv[2])' \
                "$DISPLAY" "$screen.tmp.png" 2>/dev/null && mv -f "$screen.tmp.png" "$screen"
            sleep 2
        done
    ) &
    shooter=$!
    echo "run: no usable DISPLAY; the clock runs on the virtual display $DISPLAY"
    echo "run: its screen, refreshed every 2 s: $screen"
fi
echo "run: Ctrl-C stops it"
status=0
wait "$clock" || status=$?
exit "$status"
