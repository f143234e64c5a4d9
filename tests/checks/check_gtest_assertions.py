#!/usr/bin/env python3
"""Fails when GoogleTest code under the given folder uses a Qt Test assertion.

A Qt Test macro (QVERIFY, QCOMPARE, QTRY_VERIFY, ...) reports to Qt Test's logger and returns, so
GoogleTest records a pass whatever it checked. GoogleTest code is every file that includes gtest or
defines TEST, TEST_F or TEST_P; it waits with ASSERT_TRUE(QTest::qWaitFor(...)) instead.
Usage: check_gtest_assertions.py FOLDER [--exclude SUBFOLDER]..."""
import argparse
import pathlib
import re
import sys

QT_ASSERTION = re.compile(
    r"(?<![A-Za-z0-9_])(QVERIFY2?|QCOMPARE|QTRY_[A-Z_]+|QFAIL|QSKIP|QEXPECT_FAIL|QFETCH|QTEST"
    r"|QVERIFY_THROWS_[A-Z_]+|QVERIFY_EXCEPTION_THROWN|QTest::qVerify|QTest::qCompare)\s*\(")
GTEST_MARKER = re.compile(r"(?<![A-Za-z0-9_])TEST(_F|_P)?\s*\(|#\s*include\s*[<\"]gtest/")


def code_of(line):
    """The line without a // comment (good enough: test code keeps // out of its strings)."""
    return line.split("//", 1)[0]


def findings(path):
    lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
    if not any(GTEST_MARKER.search(code_of(line)) for line in lines):
        return []
    return [f"{path}:{number}: {line.strip()}"
            for number, line in enumerate(lines, 1) if QT_ASSERTION.search(code_of(line))]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder", type=pathlib.Path)
    parser.add_argument("--exclude", type=pathlib.Path, action="append", default=[])
    args = parser.parse_args()
    excluded = [folder.resolve() for folder in args.exclude]
    files = [path for path in sorted(args.folder.rglob("*"))
             if path.suffix in (".cpp", ".h") and not any(folder in path.resolve().parents
                                                           for folder in excluded)]
    if not files:
        print(f"no test files under {args.folder}", file=sys.stderr)
        return 2
    found = [finding for path in files for finding in findings(path)]
    if found:
        print("Qt Test assertions in GoogleTest code, where they cannot fail a test:", file=sys.stderr)
        print("\n".join(found), file=sys.stderr)
        return 1
    print(f"{len(files)} files checked")
    return 0


if __name__ == "__main__":
    sys.exit(main())
