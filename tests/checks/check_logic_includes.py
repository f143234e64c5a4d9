#!/usr/bin/env python3
"""Fails when a source of the logic libraries includes a Qt Gui or Qt Widgets header.

Logic links Qt Core and Network only, but Qt Core's include path holds Qt's root include folder, so
<QtWidgets/QWidget> would still compile there; this check closes that gap. Forbidden are the module
folders (<QtGui/...>, <QtWidgets/...>), the module headers themselves, and every header name found in
the given module include folders (<QWidget>, <qimage.h>, ...).
Usage: check_logic_includes.py --module-dir DIR [--module-dir DIR]... LIST_FILE
LIST_FILE names one logic source per line."""
import argparse
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--module-dir", type=pathlib.Path, action="append", required=True)
    parser.add_argument("list_file", type=pathlib.Path)
    args = parser.parse_args()
    modules = {folder.name for folder in args.module_dir}
    headers = set()
    for folder in args.module_dir:
        if not folder.is_dir():
            print(f"no module include folder {folder}", file=sys.stderr)
            return 2
        headers.update(entry.name for entry in folder.iterdir())
    sources = [pathlib.Path(line) for line in args.list_file.read_text(encoding="utf-8").splitlines() if line]
    if not sources:
        print(f"no logic sources listed in {args.list_file}", file=sys.stderr)
        return 2

    found = []
    for source in sources:
        for number, line in enumerate(source.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            name = match.group(1)
            if name in modules or name.split("/", 1)[0] in modules or name in headers:
                found.append(f"{source}:{number}: {line.strip()}")
    if found:
        print("Widget or GUI includes in logic (widget code belongs in tervalo_gui):", file=sys.stderr)
        print("\n".join(found), file=sys.stderr)
        return 1
    print(f"{len(sources)} logic sources checked")
    return 0


if __name__ == "__main__":
    sys.exit(main())
