#!/usr/bin/env bash
# Builds the release of tintavo.exe from scratch (build/release, Release, the mingw-w64 toolchain) and
# packs it for Windows users into dist/: tintavo-VERSION-win64.zip (tintavo.exe, ReadMe.txt, License.txt),
# a copy of tintavo.exe and SHA256SUMS for both. VERSION is TINTAVO_VERSION_STRING of
# windows/res/version.h, as the exe's version block shows it.
#
# Two runs on the same sources give the same bytes, wherever the tree lies: the exe's link time and the
# zip entries' times are SOURCE_DATE_EPOCH (by default the time of the checked-out commit), and the
# compiler maps the source and build folders out of what it writes.
#   scripts/release.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

version=$(sed -n 's/^#define TINTAVO_VERSION_STRING "\([^"]*\)".*/\1/p' windows/res/version.h)
if [[ -z $version ]]; then
    echo "release: no TINTAVO_VERSION_STRING in windows/res/version.h" >&2
    exit 1
fi

if [[ -z ${SOURCE_DATE_EPOCH:-} ]]; then
    if ! SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) || [[ -z $SOURCE_DATE_EPOCH ]]; then
        echo "release: not a git checkout: set SOURCE_DATE_EPOCH to the release time (seconds since 1970)" >&2
        exit 1
    fi
fi
export SOURCE_DATE_EPOCH # ld stamps the exe with it
if [[ -n $(git status --porcelain 2>/dev/null) ]]; then
    echo "release: warning: the tree has uncommitted changes; this is not the build of a commit" >&2
fi

build=build/release
rm -rf "$build" dist
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DTINTAVO_TESTS=OFF >/dev/null
cmake --build "$build" --target tintavo -j "$(nproc 2>/dev/null || echo 2)"

# Debian's Python, whose zlib compresses the zip: the same bytes need the same compressor, as they need
# the same compiler.
/usr/bin/python3 tools/make_release_zip.py --version "$version" --time "$SOURCE_DATE_EPOCH" \
    --exe "$build/windows/tintavo.exe" --readme docs/ReadMe-Windows.txt --licence LICENSE --out dist

size=$(stat -c %s dist/tintavo.exe)
echo "release: tintavo $version, tintavo.exe $size bytes ($(((size + 1023) / 1024)) KiB)"
ls -l dist
cat dist/SHA256SUMS
