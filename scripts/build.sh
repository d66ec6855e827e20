#!/usr/bin/env bash
# Builds tintavo.exe (build/win, cross-compiled with mingw-w64); with --host also the native test build
# of the platform-free code (build/host, with sanitizers).
#   scripts/build.sh [--host] [--host-only]
set -euo pipefail
cd "$(dirname "$0")/.."

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

if ((want_host)); then
    cmake -S . -B build/host -DTINTAVO_SANITIZE=ON >/dev/null
    cmake --build build/host -j "$jobs"
fi

if ((want_win)); then
    toolchain=()
    # The toolchain is fixed when the build directory is first configured.
    [[ -f build/win/CMakeCache.txt ]] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake)
    cmake -S . -B build/win "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build/win -j "$jobs"
fi
