#!/usr/bin/env python3
"""Fails when a text the user sees names a Windows-only program as the user's.

The program runs on Linux desktops: advice to open Outlook's menus or to install MS Excel is false for
its users. Checked are the string literals of C++ sources (adjacent literals joined, as the compiler
joins them) and the whole text of help pages and other text files given. A literal that is not shown
to the user may stay when it is listed in ALLOWED with the reason.
Usage: check_windows_programs.py PATH... (folders are searched for .cpp, .h, .htm, .html, .fods)"""
import pathlib
import re
import sys

PROGRAMS = re.compile(
    r"\b(Outlook(\s+Express)?|MS\s+Excel|Microsoft\s+Excel|MS\s+Word|602\s*Tab|Windows\s+(Live\s+)?Mail"
    r"|Internet\s+Explorer|Notepad|Poznámkov\w*\s+blok\w*|Průzkumník\w*)\b", re.IGNORECASE)

# (file name, literal): texts that name such a program but never reach the user's screen.
ALLOWED = {
    # The X-Mailer header of reminders: the debtors' mail systems read it, our user never sees it.
    ("BuildReminderMime.cpp", "Microsoft Office Outlook 11"),
}

LITERAL = r'"(?:[^"\\\n]|\\.)*"'
LITERAL_RUN = re.compile(LITERAL + r"(?:\s*" + LITERAL + r")*")
COMMENT = re.compile(r"//[^\n]*|/\*.*?\*/", re.DOTALL)
SOURCE_SUFFIXES = {".cpp", ".h"}
TEXT_SUFFIXES = {".htm", ".html", ".fods"}


def without_comments(text):
    """Comments blanked (line breaks kept); string literals are left as they are."""
    out = []
    pos = 0
    pattern = re.compile(LITERAL + r"|//[^\n]*|/\*.*?\*/", re.DOTALL)
    for match in pattern.finditer(text):
        out.append(text[pos:match.start()])
        token = match.group(0)
        out.append(token if token.startswith('"') else re.sub(r"[^\n]", " ", token))
        pos = match.end()
    out.append(text[pos:])
    return "".join(out)


def source_findings(path):
    text = without_comments(path.read_text(encoding="utf-8", errors="replace"))
    for run in LITERAL_RUN.finditer(text):
        joined = "".join(re.findall(r'"((?:[^"\\\n]|\\.)*)"', run.group(0)))
        if (path.name, joined) in ALLOWED:
            continue
        for match in PROGRAMS.finditer(joined):
            line = text.count("\n", 0, run.start()) + 1
            yield f"{path}:{line}: {match.group(0)!r} in \"{joined}\""


def text_findings(path):
    for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
        for match in PROGRAMS.finditer(re.sub(r"<[^>]*>", " ", line)):
            yield f"{path}:{number}: {match.group(0)!r}"


def files_under(paths):
    for path in paths:
        candidates = sorted(path.rglob("*")) if path.is_dir() else [path]
        yield from (c for c in candidates if c.suffix in SOURCE_SUFFIXES | TEXT_SUFFIXES)


def main():
    paths = [pathlib.Path(arg) for arg in sys.argv[1:]]
    files = list(files_under(paths))
    if not files:
        print(f"no sources or texts under {' '.join(sys.argv[1:])}", file=sys.stderr)
        return 2
    found = []
    for path in files:
        found += source_findings(path) if path.suffix in SOURCE_SUFFIXES else text_findings(path)
    if found:
        print("Texts that name a Windows-only program to a Linux user:", file=sys.stderr)
        print("\n".join(found), file=sys.stderr)
        return 1
    print(f"{len(files)} files checked")
    return 0


if __name__ == "__main__":
    sys.exit(main())
