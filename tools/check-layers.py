#!/usr/bin/env python3
"""Checks src/ against the folder order of docs/architecture.md.

The order is the fenced block marked `layers` in that page: one level a line, lowest first;
folders on one line are siblings. A file may include its own folder and the folders of lower
levels, never a higher level or a sibling. Prints each include that runs against the order and
exits 1 when there is one.
"""
import pathlib
import re
import sys

top = pathlib.Path(__file__).resolve().parent.parent
page = (top / "docs" / "architecture.md").read_text(encoding="utf-8")
block = re.search(r"```layers\n(.*?)```", page, re.S)
if not block:
    sys.exit("docs/architecture.md has no ```layers block")
level = {}
for rank, line in enumerate(l for l in block.group(1).splitlines() if l.split("#")[0].strip()):
    for folder in line.split("#")[0].split():
        level[folder] = rank


def folder_of(path):
    """The listed folder that holds `path` (a path below src/), the longest that matches."""
    best = None
    for folder in level:
        if path == folder or path.startswith(folder + "/"):
            if best is None or len(folder) > len(best):
                best = folder
    return best


faults = []
unlisted = set()
for source in sorted((top / "src").rglob("*")):
    if source.suffix not in (".h", ".cpp", ".in"):
        continue
    rel = source.relative_to(top / "src").as_posix()
    own = folder_of(rel)
    if own is None:
        unlisted.add(rel)
        continue
    for number, text in enumerate(source.read_text(encoding="utf-8").splitlines(), 1):
        m = re.match(r'\s*#\s*include\s+"([^"]+)"', text)
        if not m or "/" not in m.group(1):
            continue  # a generated header (BuildInfo.h) or one beside the file
        target = folder_of(m.group(1))
        if target is None:
            faults.append(f"src/{rel}:{number}: {m.group(1)} is in no listed folder")
        elif target != own and level[target] >= level[own]:
            how = "a sibling" if level[target] == level[own] else "a higher level"
            faults.append(f"src/{rel}:{number}: {own} includes {target}, {how}")
for rel in sorted(unlisted):
    faults.append(f"src/{rel}: its folder is not in the order")
for f in faults:
    print(f)
print(f"{len(level)} folders in order, {len(faults)} includes against it")
sys.exit(1 if faults else 0)
