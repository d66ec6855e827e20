#!/usr/bin/env python3
"""Reads a CMake compile database (compile_commands.json) for scripts/lint.sh.

Usage: compile_db.py sources DATABASE ROOT    the sources under ROOT, one per line, relative to it
       compile_db.py compiler DATABASE        the compiler of the first entry
"""

import json
import pathlib
import shlex
import sys


def sources(entries, root):
    root = root.rstrip("/") + "/"
    return [entry["file"][len(root):] for entry in entries if entry["file"].startswith(root)]


def compiler(entries):
    entry = entries[0]
    return entry["arguments"][0] if "arguments" in entry else shlex.split(entry["command"])[0]


def main(argv):
    if len(argv) < 3 or (argv[1], len(argv)) not in (("sources", 4), ("compiler", 3)):
        sys.exit(__doc__)
    entries = json.loads(pathlib.Path(argv[2]).read_text())
    lines = sources(entries, argv[3]) if argv[1] == "sources" else [compiler(entries)]
    print("\n".join(lines))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
