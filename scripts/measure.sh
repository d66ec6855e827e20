#!/usr/bin/env bash
# Measures what the running clock costs: processor time of tintavo.exe and of the Wine server over a
# stretch of seconds (default 30), and the program's resident memory. Runs on a virtual display.
#   scripts/measure.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

scripts/setup.sh
scripts/build.sh >/dev/null
source scripts/wine-env.sh
tintavo_wine_env "$(pwd)/build/wine-prefix"
tintavo_make_prefix "$WINEPREFIX"
cleanup() {
    tintavo_stop_wine
    tintavo_stop_display
}
trap cleanup EXIT
tintavo_start_display

wine build/win/windows/tintavo.exe &
sleep 3 # past start-up: the clock has painted its first caption and colour
exe=$(pgrep -n -f 'windows/tintavo.exe')
# This prefix's server: the wineserver whose environment names the prefix.
server=
for pid in $(pgrep -f 'wineserver'); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && server=$pid
done
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; } # user + system, in clock ticks
exe0=$(ticks "$exe") server0=$(ticks "$server")
sleep "$seconds"
exe1=$(ticks "$exe") server1=$(ticks "$server")
hz=$(getconf CLK_TCK)

awk -v e=$((exe1 - exe0)) -v s=$((server1 - server0)) -v hz="$hz" -v t="$seconds" 'BEGIN {
    printf "tintavo.exe: %.2f %% of one core over %d s\n", 100 * e / hz / t, t
    printf "wineserver:  %.2f %% of one core\n", 100 * s / hz / t
}'
grep -E 'VmRSS|VmHWM' "/proc/$exe/status" | sed 's/^/tintavo.exe: /'
