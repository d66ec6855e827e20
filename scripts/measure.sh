#!/usr/bin/env bash
# Measures what the running clock costs against the floor its timers force, and what it costs while the
# session is locked: three programs side by side under Wine on one virtual display, over several rounds.
#   visible  tintavo.exe as the user sees it
#   paused   tintavo.exe told that the session is locked (WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, posted
#            from outside by tests/support/post_message.exe once it has settled): its timers should stop
#   floor    tintavo_floor.exe (bench/floor: a bare tool window with a menu bar and the same 10 ms, 1 s
#            and 1 s timers)
#   scripts/measure.sh [rounds] [seconds per round]     (default 4 rounds of 30 s)
#
# How the figures stay honest:
# - Each program runs in a prefix copy of its own, so each has its own Wine server: a timer's wake-up
#   costs the server as much as the program, and with one shared server that cost could not be split.
# - All three run at the same time in every round, so background load on the machine (other builds,
#   other users) falls on all alike and the ratios hold even when the absolute figures wander. The start
#   order rotates from round to round.
# - Every round starts the programs afresh (and ends their prefixes' Wine processes afterwards), lets
#   them settle past start-up, locks the paused clock's session, lets that settle too, then counts over
#   the round: user + system clock ticks of each program and of its server, and the program's wake-ups.
#   Resident memory (VmRSS) of each program is read at the end of the round. The paused clock is moved
#   off the visible one, so that the visible clock is not covered.
# The summary adds the rounds up: processor seconds per minute of each program and of its server,
# wake-ups per second, the mean resident memory, the exe sizes, and the visible clock against the floor
# (targets: at most 1.10 x the floor's processor time, server included; at most the floor's memory
# + 2 MiB).
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-4}
seconds=${2:-30}
settle=5       # seconds for Wine's start-up processes and the first paint to calm down
lock_settle=2  # seconds after the lock is posted, for the helper's own process to be gone
title="ZuziradOdor Digital Tintavo"
WM_WTSSESSION_CHANGE=0x2B1 WTS_SESSION_LOCK=7

[[ -n ${TINTAVO_SET_UP:-} ]] || scripts/setup.sh
export TINTAVO_SET_UP=1 # the scripts started below need not check again
scripts/build.sh >/dev/null
source scripts/wine-env.sh

names=(visible paused floor)
clock=build/win/windows/tintavo.exe floor=build/win/bench/floor/tintavo_floor.exe
post_message=build/win/tests/support/post_message.exe
declare -A exes=([visible]=$clock [paused]=$clock [floor]=$floor)
workdir=$(mktemp -d "${TMPDIR:-/tmp}/tintavo-measure.XXXXXX")
declare -A prefix pid
for name in "${names[@]}"; do
    prefix[$name]=$workdir/$name
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
for name in "${names[@]}"; do
    tintavo_new_prefix "${prefix[$name]}"
done
tintavo_wine_env "${prefix[visible]}" # WINEDEBUG and the overrides; each program gets its WINEPREFIX
tintavo_start_display

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; } # user + system time, in clock ticks
rss_kib() { awk '$1 == "VmRSS:" { print $2 }' "/proc/$1/status"; }
# Wake-ups: the times the program's threads gave up the processor to wait (for a timer, a message, the
# server's reply), counted by the kernel as voluntary context switches, summed over the threads alive
# now. Wine runs a program in several threads; a thread that ends takes its count with it.
wakeups() {
    { grep -h '^voluntary_ctxt_switches:' "/proc/$1"/task/*/status 2>/dev/null || true; } |
        awk '{ n += $2 } END { print n + 0 }'
}
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

declare -A exe_ticks server_ticks wake_sum rss_sum server exe0 server0 wake0
for name in "${names[@]}"; do
    exe_ticks[$name]=0 server_ticks[$name]=0 wake_sum[$name]=0 rss_sum[$name]=0
done
hz=$(getconf CLK_TCK)

for ((round = 1; round <= rounds; round++)); do
    order=()
    for ((i = 0; i < ${#names[@]}; i++)); do
        order+=("${names[(round - 1 + i) % ${#names[@]}]}")
    done
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
    # The paused clock: out from over the visible one, then its session locked. The helper runs in the
    # clock's prefix, hence in its session, and waits for the window if it is not up yet.
    xdotool search --all --onlyvisible --pid "${pid[paused]}" --name "^$title\$" windowmove 700 600 >/dev/null 2>&1 ||
        echo "measure: could not move the paused clock off the visible one" >&2
    WINEPREFIX=${prefix[paused]} wine "$post_message" "$title" $WM_WTSSESSION_CHANGE $WTS_SESSION_LOCK session || {
        echo "measure: could not lock the paused clock's session" >&2
        exit 1
    }
    sleep "$lock_settle"
    for name in "${names[@]}"; do
        server[$name]=$(server_of "${prefix[$name]}")
        exe0[$name]=$(ticks "${pid[$name]}") server0[$name]=$(ticks "${server[$name]}")
        wake0[$name]=$(wakeups "${pid[$name]}")
    done
    sleep "$seconds"
    line="round $round:"
    for name in "${names[@]}"; do
        e=$(($(ticks "${pid[$name]}") - exe0[$name]))
        s=$(($(ticks "${server[$name]}") - server0[$name]))
        w=$(($(wakeups "${pid[$name]}") - wake0[$name]))
        r=$(rss_kib "${pid[$name]}")
        exe_ticks[$name]=$((exe_ticks[$name] + e))
        server_ticks[$name]=$((server_ticks[$name] + s))
        wake_sum[$name]=$((wake_sum[$name] + w))
        rss_sum[$name]=$((rss_sum[$name] + r))
        line+=$(awk -v n="$name" -v e="$e" -v s="$s" -v w="$w" -v r="$r" -v hz="$hz" -v t="$seconds" 'BEGIN {
            printf "  %s %.2f + %.2f s/min, %.0f/s, %.1f MiB;", n, 60 * e / hz / t, 60 * s / hz / t, w / t, r / 1024 }')
    done
    echo "${line%;}"
    stop_programs
done

awk -v hz="$hz" -v t=$((rounds * seconds)) -v n="$rounds" \
    -v ve="${exe_ticks[visible]}" -v vs="${server_ticks[visible]}" -v vw="${wake_sum[visible]}" -v vr="${rss_sum[visible]}" \
    -v pe="${exe_ticks[paused]}" -v ps="${server_ticks[paused]}" -v pw="${wake_sum[paused]}" -v pr="${rss_sum[paused]}" \
    -v fe="${exe_ticks[floor]}" -v fs="${server_ticks[floor]}" -v fw="${wake_sum[floor]}" -v fr="${rss_sum[floor]}" \
    -v csize="$(stat -c %s "$clock")" -v fsize="$(stat -c %s "$floor")" 'BEGIN {
    m = 60 / hz / t
    printf "\n%d rounds of %d s:                visible clock   paused clock   floor\n", n, t / n
    printf "  program, s/min             %12.2f   %12.2f   %5.2f\n", ve * m, pe * m, fe * m
    printf "  its Wine server, s/min     %12.2f   %12.2f   %5.2f\n", vs * m, ps * m, fs * m
    printf "  together, s/min            %12.2f   %12.2f   %5.2f\n", (ve + vs) * m, (pe + ps) * m, (fe + fs) * m
    printf "  program wake-ups per s     %12.0f   %12.0f   %5.0f\n", vw / t, pw / t, fw / t
    printf "  resident memory, MiB       %12.1f   %12.1f   %5.1f\n", vr / n / 1024, pr / n / 1024, fr / n / 1024
    vratio = (fe + fs) ? (ve + vs) / (fe + fs) : 0
    pratio = (fe + fs) ? (pe + ps) / (fe + fs) : 0
    diff = (vr - fr) / n / 1024
    printf "  visible clock against the floor: processor x %.2f (target at most 1.10: %s), memory %+.1f MiB (target at most +2: %s)\n",
        vratio, vratio <= 1.10 ? "met" : "NOT met", diff, diff <= 2 ? "met" : "NOT met"
    printf "  paused clock against the floor: processor x %.2f, wake-ups x %.2f\n", pratio, fw ? pw / fw : 0
    printf "  exe size: tintavo.exe %d bytes (%.0f KiB), tintavo_floor.exe %d bytes (%.0f KiB): %+.0f KiB, x %.2f\n",
        csize, csize / 1024, fsize, fsize / 1024, (csize - fsize) / 1024, fsize ? csize / fsize : 0
}'
