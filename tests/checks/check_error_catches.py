#!/usr/bin/env python3
"""Fails when a source catches std::exception outside the error boundaries.

The program's own errors derive from platform::Error; code that tells the user of an error catches
that type or a narrower one. Catching std::exception anywhere else would also take in programming
errors and show them as if the user could act on them, so only the boundary helpers may.
Usage: check_error_catches.py FOLDER [--allow FILE]..."""
import argparse
import pathlib
import re
import sys

CATCH = re.compile(r"catch\s*\(\s*(const\s+)?std::(exception|runtime_error)\b")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder", type=pathlib.Path)
    parser.add_argument("--allow", type=pathlib.Path, action="append", default=[])
    args = parser.parse_args()
    allowed = {path.resolve() for path in args.allow}
    sources = sorted(p for p in args.folder.rglob("*") if p.suffix in (".cpp", ".h"))
    if not sources:
        print(f"no sources under {args.folder}", file=sys.stderr)
        return 2
    found = []
    for source in sources:
        if source.resolve() in allowed:
            continue
        for number, line in enumerate(source.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            if CATCH.search(line):
                found.append(f"{source}:{number}: {line.strip()}")
    if found:
        print("std::exception caught outside the error boundaries (catch platform::Error or a named type):",
              file=sys.stderr)
        print("\n".join(found), file=sys.stderr)
        return 1
    print(f"{len(sources)} sources checked")
    return 0


if __name__ == "__main__":
    sys.exit(main())
