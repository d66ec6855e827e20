#!/usr/bin/env python3
"""Writes a copy of an unsigned PE image that signing tools can take apart again byte for byte.

A signature is appended at the next multiple of 8 bytes, and signing or removing a signature rewrites
the header's checksum. So that removing the signature gives back exactly the image that was signed, the
copy is padded with zeros to a multiple of 8 bytes and carries its correct checksum. Linkers that already
do both (GNU ld for the release) get an identical copy.

Usage: fix_pe_checksum.py IN OUT
"""

import pathlib
import sys

import pefile

SECURITY_DIRECTORY = pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_SECURITY"]


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__.strip().splitlines()[-1])
    source, target = pathlib.Path(argv[1]), pathlib.Path(argv[2])
    data = source.read_bytes()
    data += bytes(-len(data) % 8)

    pe = pefile.PE(data=data, fast_load=True)
    if pe.OPTIONAL_HEADER.DATA_DIRECTORY[SECURITY_DIRECTORY].Size:
        sys.exit(f"{source}: already signed")
    pe.OPTIONAL_HEADER.CheckSum = pe.generate_checksum()
    target.write_bytes(pe.write())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
