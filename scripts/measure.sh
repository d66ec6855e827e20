#!/usr/bin/env bash
# Measures what the running clock costs against the floor its timers force: tintavo.exe and
# tintavo_floor.exe (bench/floor: a bare tool window with a menu bar and the same 10 ms, 1 s and 1 s
# timers) run side by side under Wine on one virtual display, over several rounds.
#   scripts/measure.sh [rounds] [seconds per round]     (default 4 rounds of 30 s)
#
# How the figures stay honest:
# - Each program runs in a prefix copy of its own, so each has its own Wine server: a timer's wake-up
#   costs the server as much as the program, and with one shared server that cost could not be split.
# - Both run at the same time in every round, so background load on the machine (other builds, other
#   users) falls on both alike and the ratio holds even when the absolute figures wander. The start
#   order alternates between rounds.
# - Every round starts both programs afresh (and ends their prefixes' Wine processes afterwards), lets
#   them settle past start-up, then counts user + system clock ticks of the program and of its server
#   over the round. Resident memory (VmRSS) of each program is read at the end of the round.
# The summary adds the rounds up: processor seconds per minute of each program and of its server, the
# mean resident memory, and tintavo.exe against the floor (targets: at most 1.10 x the floor's processor
# time, server included; at most the floor's memory + 2 MiB).
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-4}
seconds=${2:-30}
settle=5 # seconds for Wine's start-up processes and the first paint to calm down

scripts/setup.sh
scripts/build.sh >/dev/null
source scripts/wine-env.sh
tintavo_make_prefix "$(pwd)/build/wine-prefix"
tintavo_wine_env "$(pwd)/build/wine-prefix" # WINEDEBUG and the overrides; each run sets its WINEPREFIX

names=(tintavo floor)
declare -A exes=([tintavo]=build/win/windows/tintavo.exe [floor]=build/win/bench/floor/tintavo_floor.exe)
workdir=$(mktemp -d "${TMPDIR:-/tmp}/tintavo-measure.XXXXXX")
declare -A prefix pid
for name in "${names[@]}"; do
    prefix[$name]=$workdir/$name
    cp -a build/wine-prefix "${prefix[$name]}" # a clock started by scripts/run.sh is left alone
done
stop_programs() {
    local name
    for name in "${names[@]}"; do
        WINEPREFIX=${prefix[$name]} wineserver -k >/dev/null 2>&1 || true
        WINEPREFIX=${prefix[$name]} wineserver -w >/dev/null 2>&1 || true
    done
}
cleanup() {
    stop_programs
    tintavo_stop_display
    rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
tintavo_start_display

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; } # user + system time, in clock ticks
rss_kib() { awk '$1 == "VmRSS:" { print $2 }' "/proc/$1/status"; }
server_of() { # the Wine server whose environment names the prefix
    local comm c p
    for comm in /proc/[0-9]*/comm; do
        read -r c <"$comm" 2>/dev/null || continue # gone meanwhile
        [[ $c == wineserver* ]] || continue
        p=${comm#/proc/}
        p=${p%/comm}
        if grep -qxzF "WINEPREFIX=$1" "/proc/$p/environ" 2>/dev/null; then
            echo "$p"
            return 0
        fi
    done
    echo "measure: no Wine server for $1" >&2
    return 1
}

declare -A exe_ticks server_ticks rss_sum server exe0 server0
for name in "${names[@]}"; do
    exe_ticks[$name]=0 server_ticks[$name]=0 rss_sum[$name]=0
done
hz=$(getconf CLK_TCK)

for ((round = 1; round <= rounds; round++)); do
    order=("${names[@]}")
    ((round % 2)) || order=("${names[1]}" "${names[0]}")
    for name in "${order[@]}"; do
        WINEPREFIX=${prefix[$name]} wine "${exes[$name]}" &
        pid[$name]=$! # the loader becomes the program's own process
    done
    for name in "${names[@]}"; do # the loader has become the program (on a busy machine, a while)
        exe_name=$(basename "${exes[$name]}")
        for ((i = 0; i < 300; i++)); do
            comm=$(<"/proc/${pid[$name]}/comm")
            [[ $comm == "${exe_name:0:15}" ]] && break # the kernel keeps 15 characters of the name
            sleep 0.1
        done
        [[ $comm == "${exe_name:0:15}" ]] || {
            echo "measure: process ${pid[$name]} is $comm, not ${exes[$name]}" >&2
            exit 1
        }
    done
    sleep "$settle"
    for name in "${names[@]}"; do
        server[$name]=$(server_of "${prefix[$name]}")
        exe0[$name]=$(ticks "${pid[$name]}") server0[$name]=$(ticks "${server[$name]}")
    done
    sleep "$seconds"
    line="round $round:"
    for name in "${names[@]}"; do
        e=$(($(ticks "${pid[$name]}") - exe0[$name]))
        s=$(($(ticks "${server[$name]}") - server0[$name]))
        r=$(rss_kib "${pid[$name]}")
        exe_ticks[$name]=$((exe_ticks[$name] + e))
        server_ticks[$name]=$((server_ticks[$name] + s))
        rss_sum[$name]=$((rss_sum[$name] + r))
        line+=$(awk -v n="$name" -v e=$e -v s=$s -v r=$r -v hz=$hz -v t=$seconds 'BEGIN {
            printf "  %s %.2f + server %.2f s/min, %.1f MiB", n, 60 * e / hz / t, 60 * s / hz / t, r / 1024 }')
    done
    echo "$line"
    stop_programs
done

exe=${exes[tintavo]}
awk -v hz="$hz" -v t=$((rounds * seconds)) -v n="$rounds" \
    -v te="${exe_ticks[tintavo]}" -v ts="${server_ticks[tintavo]}" -v tr="${rss_sum[tintavo]}" \
    -v fe="${exe_ticks[floor]}" -v fs="${server_ticks[floor]}" -v fr="${rss_sum[floor]}" \
    -v size="$(stat -c %s "$exe")" 'BEGIN {
    printf "\n%d rounds of %d s; processor seconds per minute, resident memory:\n", n, t / n
    printf "  tintavo.exe        %.2f  + its server %.2f  = %.2f s/min   VmRSS %.1f MiB\n",
        60 * te / hz / t, 60 * ts / hz / t, 60 * (te + ts) / hz / t, tr / n / 1024
    printf "  tintavo_floor.exe  %.2f  + its server %.2f  = %.2f s/min   VmRSS %.1f MiB\n",
        60 * fe / hz / t, 60 * fs / hz / t, 60 * (fe + fs) / hz / t, fr / n / 1024
    ratio = (fe + fs) ? (te + ts) / (fe + fs) : 0
    diff = (tr - fr) / n / 1024
    printf "  against the floor: processor x %.2f (target at most 1.10: %s), memory %+.1f MiB (target at most +2: %s)\n",
        ratio, ratio <= 1.10 ? "met" : "NOT met", diff, diff <= 2 ? "met" : "NOT met"
    printf "  tintavo.exe (release): %d bytes (%.0f KiB)\n", size, size / 1024
}'
