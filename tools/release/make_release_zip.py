#!/usr/bin/env python3
"""Packs a release of tintavo.exe: OUT/tintavo-VERSION-win64.zip, a copy of the exe and OUT/SHA256SUMS.

The zip holds tintavo.exe, ReadMe.txt and License.txt (both with CRLF line endings, for Notepad). Its
bytes depend only on the inputs and on TIME: entries in a fixed order, every one stamped with TIME (in
UTC, not earlier than 1980, the first time a zip entry can hold), fixed permissions, fixed compression.
A signed exe's detached signature (--signature) is published beside them as OUT/tintavo.exe.p7s.

Usage: make_release_zip.py --version VERSION --time SECONDS --exe EXE --readme TXT --licence TXT --out DIR
                           [--signature P7S]
"""

import argparse
import hashlib
import pathlib
import shutil
import sys
import time
import zipfile

ZIP_EPOCH = (1980, 1, 1, 0, 0, 0)


def crlf(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def entry(name, date_time, mode):
    info = zipfile.ZipInfo(name, date_time)
    info.create_system = 3  # Unix, so that the permissions below are what unzip restores
    info.external_attr = (0o100000 | mode) << 16
    info.compress_type = zipfile.ZIP_DEFLATED
    return info


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--version", required=True)
    parser.add_argument("--time", type=int, required=True, help="seconds since 1970 for every entry")
    parser.add_argument("--exe", type=pathlib.Path, required=True)
    parser.add_argument("--readme", type=pathlib.Path, required=True, help="{version} is filled in")
    parser.add_argument("--licence", type=pathlib.Path, required=True)
    parser.add_argument("--out", type=pathlib.Path, required=True)
    parser.add_argument("--signature", type=pathlib.Path, help="the exe's detached signature (DER)")
    args = parser.parse_args(argv[1:])

    date_time = max(ZIP_EPOCH, tuple(time.gmtime(args.time))[:6])
    files = [
        ("tintavo.exe", args.exe.read_bytes(), 0o755),
        ("ReadMe.txt", crlf(args.readme.read_text(encoding="utf-8").replace("{version}", args.version)), 0o644),
        ("License.txt", crlf(args.licence.read_text(encoding="utf-8")), 0o644),
    ]

    args.out.mkdir(parents=True, exist_ok=True)
    archive = args.out / f"tintavo-{args.version}-win64.zip"
    with zipfile.ZipFile(archive, "w") as z:
        for name, data, mode in files:
            z.writestr(entry(name, date_time, mode), data, compresslevel=9)
    published = [archive, args.out / "tintavo.exe"]
    shutil.copyfile(args.exe, published[1])
    if args.signature:
        published.append(args.out / "tintavo.exe.p7s")
        shutil.copyfile(args.signature, published[2])

    # sha256sum's format: hash, two spaces (binary-agnostic text mode), file name relative to OUT.
    sums = "".join(f"{hashlib.sha256(p.read_bytes()).hexdigest()}  {p.name}\n" for p in published)
    (args.out / "SHA256SUMS").write_text(sums, encoding="ascii", newline="\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
