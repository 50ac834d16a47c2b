#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Lists the tracked source files whose first three lines lack the licence identifier.

Source files are the C++ files, the CMake files, the Python programs and the shell scripts of
scripts/ and .ci/. Exits 77 (skipped) outside a git checkout, 1 with the list, 0 otherwise.
"""

import os
import subprocess
import sys

TAG = "SPDX-License-Identifier: GPL-3.0-or-later"
SUFFIXES = (".cpp", ".h", ".py", ".sh", ".cmake")


def is_source(path):
    return (path.endswith(SUFFIXES) or os.path.basename(path) == "CMakeLists.txt"
            or path.startswith(("scripts/", ".ci/")))


def main():
    root = sys.argv[1]
    listed = subprocess.run(["git", "-C", root, "ls-files"], capture_output=True, text=True)
    if listed.returncode != 0:
        print("not a git checkout: nothing to check")
        return 77
    missing = []
    for path in listed.stdout.split("\n"):
        full = os.path.join(root, path)
        if not path or not is_source(path) or os.path.islink(full) or not os.path.isfile(full):
            continue
        with open(full, encoding="utf-8", errors="replace") as source:
            head = [source.readline() for _ in range(3)]
        if not any(TAG in line for line in head):
            missing.append(path)
    for path in missing:
        print(f"{path}: no '{TAG}' in its first three lines")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
