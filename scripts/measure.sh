#!/usr/bin/env bash
# Measures what the running clock costs: processor time of tintavo.exe and of its Wine server over a
# stretch of seconds (default 30), and the program's resident memory. Runs on a virtual display, in a
# copy of the prefix of scripts/run.sh so that a clock started there is left alone.
#   scripts/measure.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

scripts/setup.sh
scripts/build.sh >/dev/null
source scripts/wine-env.sh
tintavo_make_prefix "$(pwd)/build/wine-prefix"
workdir=$(mktemp -d "${TMPDIR:-/tmp}/tintavo-measure.XXXXXX")
cp -a build/wine-prefix "$workdir/prefix"
tintavo_wine_env "$workdir/prefix"
cleanup() {
    tintavo_stop_wine
    tintavo_stop_display
    rm -rf "$workdir"
}
trap cleanup EXIT
tintavo_start_display

wine build/win/windows/tintavo.exe &
exe=$! # the loader becomes the program's own process
sleep 3 # past start-up: the clock has painted its first caption and colour
server=
for comm in /proc/[0-9]*/comm; do # this prefix's server: the one whose environment names the prefix
    [[ $(<"$comm") == wineserver* ]] || continue
    pid=${comm#/proc/}
    pid=${pid%/comm}
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && server=$pid
done

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; } # user + system time, in clock ticks
exe0=$(ticks "$exe") server0=$(ticks "$server")
sleep "$seconds"
exe1=$(ticks "$exe") server1=$(ticks "$server")

awk -v e=$((exe1 - exe0)) -v s=$((server1 - server0)) -v hz="$(getconf CLK_TCK)" -v t="$seconds" 'BEGIN {
    printf "tintavo.exe: %.2f %% of one core over %d s\n", 100 * e / hz / t, t
    printf "wineserver:  %.2f %% of one core\n", 100 * s / hz / t
}'
grep -E 'VmRSS|VmHWM' "/proc/$exe/status" | sed 's/^/tintavo.exe: /'
