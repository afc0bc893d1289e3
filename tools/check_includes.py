#!/usr/bin/env python3
"""Checks that the source folders include each other in one direction only:
common <- store <- tree <- browse <- edit, search, desktop <- app (main.cpp may include anything)."""
import pathlib
import re
import sys

RANK = {"common": 0, "store": 1, "tree": 2, "browse": 3, "edit": 4, "search": 4, "desktop": 4, "app": 5}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z]+)/[^"]+"', re.M)


def main(src: pathlib.Path) -> int:
    bad = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp") or len(path.relative_to(src).parts) < 2:
            continue
        folder = path.relative_to(src).parts[0]
        if folder not in RANK:
            continue
        for target in INCLUDE.findall(path.read_text(encoding="utf-8")):
            if target in RANK and target != folder and RANK[target] >= RANK[folder]:
                bad.append(f"{path.relative_to(src)} includes {target}/")
    for line in bad:
        print(line)
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")))
