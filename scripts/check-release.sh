#!/usr/bin/env bash
# Checks that the release is reproducible: runs scripts/release.sh in two copies of the tree at different
# paths, one after the other, and fails unless the two dist/ folders hold the same bytes, the sums check
# and the zip holds the exe and the two texts with Windows line endings.
#   scripts/check-release.sh
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

workdir=$(mktemp -d "${TMPDIR:-/tmp}/tintavo-release.XXXXXX")
trap 'rm -rf "$workdir"' EXIT
a=$workdir/a/tintavo
b=$workdir/second/tree
for copy in "$a" "$b"; do
    mkdir -p "$copy"
    # The working tree's files as they are (not the build folders, which may be busy), and .git, where
    # release.sh finds the commit's time.
    {
        git ls-files -z --cached --others --exclude-standard
        printf '.git\0'
    } | tar -C "$repo" -c --null -T - --ignore-failed-read | tar -C "$copy" -x
    (cd "$copy" && scripts/release.sh)
done

diff -r "$a/dist" "$b/dist"
(cd "$a/dist" && sha256sum -c SHA256SUMS)
python3 - "$a"/dist/*.zip <<'PY'
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
assert z.namelist() == ["tintavo.exe", "ReadMe.txt", "License.txt"], z.namelist()
for name in z.namelist()[1:]:
    text = z.read(name)
    assert text.count(b"\r\n") == text.count(b"\n") > 0, f"{name} does not have CRLF line endings"
PY
echo "check-release: the two builds are identical (both took $SECONDS s)"
