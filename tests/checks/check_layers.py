#!/usr/bin/env python3
"""Fails when a source under src/ includes a header of a folder that is not below its own.

The layer order is read from the fenced block ```layers of docs/ARCHITECTURE.md: one line per layer,
the highest first, each naming folders under src/. A folder may include headers of its own folder and
of any folder on a lower line; folders on one line are peers and include none of each other. A
sub-folder is a folder of its own (state/dbf under state). Every folder under src/ holding sources must
be named, so a new folder cannot slip past the order.
Widget code (the files GUI_LIST names, one a line) sits above all logic, as tervalo_gui links all of it:
it may include any logic header, and the widget headers of its own and lower folders only.
Usage: check_layers.py ARCHITECTURE_MD SRC_DIR [GUI_LIST]"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
SOURCE_SUFFIXES = {".h", ".cpp"}


def read_layers(architecture):
    text = architecture.read_text(encoding="utf-8")
    block = re.search(r"^```layers\n(.*?)^```", text, re.M | re.S)
    if not block:
        return None
    ranks = {}
    lines = [line.split() for line in block.group(1).splitlines() if line.strip()]
    for rank, folders in enumerate(reversed(lines)):
        for folder in folders:
            ranks[folder] = rank
    return ranks


def folder_of(relative, ranks):
    """The deepest named folder holding `relative` (a path below src/), or None."""
    parts = pathlib.PurePosixPath(relative).parts[:-1]
    for length in range(len(parts), 0, -1):
        folder = "/".join(parts[:length])
        if folder in ranks:
            return folder
    return None


def main():
    if len(sys.argv) not in (3, 4):
        print(__doc__, file=sys.stderr)
        return 2
    architecture, src = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    gui = set()
    if len(sys.argv) == 4:
        for line in pathlib.Path(sys.argv[3]).read_text(encoding="utf-8").splitlines():
            if line:
                gui.add(pathlib.Path(line).resolve().relative_to(src.resolve()).as_posix())
    ranks = read_layers(architecture)
    if not ranks:
        print(f"no ```layers block in {architecture}", file=sys.stderr)
        return 2

    found = []
    sources = sorted(path for path in src.rglob("*") if path.suffix in SOURCE_SUFFIXES)
    for source in sources:
        relative = source.relative_to(src).as_posix()
        own = folder_of(relative, ranks)
        if own is None:
            found.append(f"{source}: its folder is not in the layer order")
            continue
        for number, line in enumerate(source.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            if relative in gui and match.group(1) not in gui:
                continue
            included = folder_of(match.group(1), ranks)
            if included is None or included == own or ranks[included] < ranks[own]:
                continue
            found.append(f"{source}:{number}: {line.strip()} ({own} may not include {included})")
    if found:
        print("Includes against the layer order of ARCHITECTURE.md:", file=sys.stderr)
        print("\n".join(found), file=sys.stderr)
        return 1
    print(f"{len(sources)} sources checked against {len(ranks)} folders")
    return 0


if __name__ == "__main__":
    sys.exit(main())
