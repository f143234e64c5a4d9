#!/usr/bin/env python3
"""Fails when a source outside the file-write module renames a file, flushes one or uses QSaveFile.

Whole files are written through platform/FileWrite (a durable replacement, an in-place rewrite of the
program's own file, or an exclusive creation), so the order that survives a kill or a power loss is
kept in one place. Code and string literals are searched, comments are not. The flush of SQLite's
log (fdatasync) is SQLite's file, not a whole-file write, and is not a searched call.
Usage: check_file_writes.py PATH... (folders are searched for .cpp and .h)"""
import pathlib
import re
import sys

FORBIDDEN = re.compile(r"\bQSaveFile\b|\brename(?:at2?)?\s*\(|\bfsync\s*\(")
MODULE = re.compile(r"(^|/)src/platform/FileWrite\.(h|cpp)$")
COMMENT_OR_LITERAL = re.compile(r'"(?:[^"\\\n]|\\.)*"|//[^\n]*|/\*.*?\*/', re.DOTALL)
SOURCE_SUFFIXES = {".cpp", ".h"}


def without_comments(text):
    """Comments blanked, line breaks kept."""
    return COMMENT_OR_LITERAL.sub(
        lambda m: m.group(0) if m.group(0).startswith('"') else re.sub(r"[^\n]", " ", m.group(0)), text)


def main():
    files = []
    for path in (pathlib.Path(arg) for arg in sys.argv[1:]):
        files += sorted(path.rglob("*")) if path.is_dir() else [path]
    files = [f for f in files if f.suffix in SOURCE_SUFFIXES and not MODULE.search(f.resolve().as_posix())]
    if not files:
        print(f"no sources under {' '.join(sys.argv[1:])}", file=sys.stderr)
        return 2
    found = []
    for path in files:
        text = without_comments(path.read_text(encoding="utf-8", errors="replace"))
        for number, line in enumerate(text.splitlines(), 1):
            for match in FORBIDDEN.finditer(line):
                found.append(f"{path}:{number}: {match.group(0).strip()}")
    if found:
        print("File writes outside platform/FileWrite:", file=sys.stderr)
        print("\n".join(found), file=sys.stderr)
        return 1
    print(f"{len(files)} sources checked")
    return 0


if __name__ == "__main__":
    sys.exit(main())
