#!/usr/bin/env bash
# Builds tintavo.exe and the Windows tests (the preset win: build/win, cross-compiled with mingw-w64); with
# --host also the native test build of the platform-free code (the preset host: build/host, sanitized).
#   scripts/build.sh [--host] [--host-only]
set -euo pipefail
cd "$(dirname "$0")/.."
[[ -n ${TINTAVO_SET_UP:-} ]] || scripts/setup.sh
export TINTAVO_SET_UP=1 # the scripts started below need not check again

want_win=1
want_host=0
for arg in "$@"; do
    case $arg in
    --host) want_host=1 ;;
    --host-only) want_host=1 want_win=0 ;;
    *)
        echo "usage: $0 [--host] [--host-only]" >&2
        exit 2
        ;;
    esac
done

jobs=$(nproc 2>/dev/null || echo 2)

# The configurations are the presets of CMakePresets.json.
if ((want_host)); then
    cmake --preset host >/dev/null
    cmake --build --preset host -j "$jobs"
fi

if ((want_win)); then
    cmake --preset win >/dev/null
    cmake --build --preset win -j "$jobs"
fi
