#!/usr/bin/env python3
"""Writes a copy of a PE file with one byte of code inverted, in the middle of its first section, for
scripts/check-release.sh: a signature must no longer verify on it.

Usage: change_code_byte.py IN OUT
"""

import pathlib
import sys

import pefile


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__)
    pe = pefile.PE(argv[1])
    data = bytearray(pe.__data__)
    code = pe.sections[0]
    data[code.PointerToRawData + code.SizeOfRawData // 2] ^= 0xFF
    pathlib.Path(argv[2]).write_bytes(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
