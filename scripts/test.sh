#!/usr/bin/env bash
# Runs every test: host unit tests (with sanitizers), the Windows build and its tests under Wine, and the
# end-to-end tests of tintavo.exe on a virtual display. Exits non-zero if anything fails.
set -uo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

scripts/setup.sh || exit 1
source scripts/wine-env.sh

failed=()
step() { printf '\n== %s\n' "$*"; }
fail() {
    echo "FAILED: $*" >&2
    failed+=("$*")
}

# A Wine prefix and an X display of this run's own, removed again at the end.
workdir=$(mktemp -d "${TMPDIR:-/tmp}/tintavo-test.XXXXXX")
prefix_job=
release_job=
cleanup() {
    if [[ -n $prefix_job ]]; then
        kill "$prefix_job" 2>/dev/null
        wait "$prefix_job" 2>/dev/null
    fi
    if [[ -n $release_job ]]; then
        kill -- "-$release_job" 2>/dev/null
        wait "$release_job" 2>/dev/null
    fi
    tintavo_stop_wine
    tintavo_stop_display
    rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

tintavo_wine_env "$workdir/prefix"
# Creating a prefix takes a while and hardly needs the processor: do it while the code compiles.
tintavo_make_prefix "$WINEPREFIX" >"$workdir/prefix.log" 2>&1 &
prefix_job=$!
# The release built twice and compared, beside the builds below; it ends before the Wine tests, which
# are sensitive to a busy processor. In a session of its own, so that a stop ends its compilers too.
setsid scripts/check-release.sh >"$workdir/release.log" 2>&1 &
release_job=$!

step "host build and unit tests (sanitizers)"
if scripts/build.sh --host-only; then
    ctest --test-dir build/host --output-on-failure --no-tests=error -j "$(nproc)" || fail "host unit tests"
else
    fail "host build"
fi

step "Windows build"
win_built=0
if scripts/build.sh; then
    win_built=1
else
    fail "Windows build"
fi

step "static analysis"
scripts/lint.sh || fail "static analysis"

step "reproducible release (scripts/check-release.sh)"
if wait "$release_job"; then
    tail -n 4 "$workdir/release.log"
else
    cat "$workdir/release.log" >&2
    fail "reproducible release"
fi
release_job=

step "Wine prefix and virtual display"
wine_ready=0
if wait "$prefix_job"; then
    prefix_job=
    if tintavo_start_display; then
        wine_ready=1
        echo "prefix $WINEPREFIX, display $DISPLAY"
    else
        fail "virtual display"
    fi
else
    prefix_job=
    cat "$workdir/prefix.log" >&2
    fail "Wine prefix"
fi

if ((win_built && wine_ready)); then
    step "Windows tests under Wine"
    # --no-tests=error: a build that has no tests (no GoogleTest, say) fails the run instead of passing.
    ctest --test-dir build/win --output-on-failure --no-tests=error || fail "Windows tests under Wine"
    tintavo_stop_wine

    step "end-to-end tests"
    timeout --kill-after=10 300 /usr/bin/python3 -m pytest "$repo/tests/e2e" -q -rfE ||
        fail "end-to-end tests (screenshots in build/e2e-shots)"
fi

echo
if ((${#failed[@]})); then
    echo "test.sh: ${#failed[@]} step(s) failed:" >&2
    printf '  %s\n' "${failed[@]}" >&2
    exit 1
fi
echo "test.sh: all passed"
