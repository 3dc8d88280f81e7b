#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The include check: every folder of the program includes only what its library links.

The floors table is the list of organizer_floor() calls in the top CMakeLists.txt: a folder's
library links exactly the floors its call names after USES, and this check holds the folder's
#include "..." lines to the same names. It fails on

- an include of a floor the including folder does not use,
- an include of a folder that is no floor (the tests, say), or sources in a folder that is none,
- a cycle between floors, in the table or in the includes,
- a cycle between the subfolders of one floor (store/db, store/records, ...); the files right
  in a floor's folder are its face, which may gather its parts, and stay out of this one.

    check_layers.py [SOURCE_FOLDER]     (default: the checkout this script is in)
"""

import re
import sys
from collections import defaultdict
from pathlib import Path

# Folders that test or measure the program as a whole and may include any floor.
UNCHECKED = {"tests", "bench"}
SOURCES = {".cpp", ".h"}
FLOOR_CALL = re.compile(r"organizer_floor\(\s*(\w+)((?:\s+USES)?[^)]*)\)")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def floors_table(root):
    """{floor: set of floors it uses}, in the order of the calls."""
    lines = (root / "CMakeLists.txt").read_text(encoding="utf-8").splitlines()
    text = "\n".join(line.split("#", 1)[0] for line in lines)
    table = {}
    for name, rest in FLOOR_CALL.findall(text):
        words = rest.split()
        table[name] = set(words[1:]) if words[:1] == ["USES"] else set()
    return table


def source_files(root):
    for path in sorted(root.rglob("*")):
        relative = path.relative_to(root)
        first = relative.parts[0]
        if first.startswith(".") or first.startswith("build"):
            continue
        if path.suffix in SOURCES and path.is_file() and len(relative.parts) > 1:
            yield relative


def includes(root, relative):
    with open(root / relative, encoding="utf-8") as source:
        for number, line in enumerate(source, 1):
            match = INCLUDE.match(line)
            if match and "/" in match.group(1):
                yield number, match.group(1)


def find_cycle(edges):
    """One cycle of the directed graph as a list of nodes, or None."""
    state = {}
    path = []

    def visit(node):
        state[node] = "open"
        path.append(node)
        for after in sorted(edges.get(node, ())):
            if state.get(after) == "open":
                return path[path.index(after):] + [after]
            if after not in state:
                found = visit(after)
                if found:
                    return found
        path.pop()
        state[node] = "done"
        return None

    for node in sorted(edges):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def part_of(relative):
    """The subfolder of its floor a file belongs to, or None for a file of the floor's face."""
    parts = Path(relative).parts
    return "/".join(parts[:2]) if len(parts) > 2 else None


def check(root):
    table = floors_table(root)
    faults = []
    if not table:
        return ["no organizer_floor() calls in CMakeLists.txt"]
    for floor, uses in table.items():
        for used in sorted(uses - table.keys()):
            faults.append(f"CMakeLists.txt: {floor} uses {used}, which is no floor")
    cycle = find_cycle(table)
    if cycle:
        faults.append("CMakeLists.txt: the floors use each other: " + " -> ".join(cycle))

    floor_edges = defaultdict(set)
    part_edges = defaultdict(set)
    unknown_folders = set()
    checked = 0
    for relative in source_files(root):
        floor = relative.parts[0]
        if floor in UNCHECKED:
            continue
        if floor not in table:
            unknown_folders.add(floor)
            continue
        checked += 1
        for number, included in includes(root, relative):
            target = included.split("/", 1)[0]
            where = f"{relative}:{number}"
            if target == floor:
                source_part, target_part = part_of(relative), part_of(included)
                if source_part and target_part and source_part != target_part:
                    part_edges[source_part].add(target_part)
                continue
            floor_edges[floor].add(target)
            if target not in table:
                faults.append(f'{where}: includes "{included}"; {target}/ is no floor')
            elif target not in table[floor]:
                faults.append(
                    f'{where}: includes "{included}", but {floor} does not use {target} '
                    f"(its library links: {', '.join(sorted(table[floor])) or 'no floor'})")
    for folder in sorted(unknown_folders):
        faults.append(f"{folder}/: has sources but is no floor of CMakeLists.txt")
    cycle = find_cycle(floor_edges)
    if cycle:
        faults.append("the folders include each other: " + " -> ".join(cycle))
    cycle = find_cycle(part_edges)
    if cycle:
        faults.append("the subfolders include each other: " + " -> ".join(cycle))
    if not faults:
        print(f"{checked} files of {len(table)} floors: every include is of a floor its "
              "library links, and no folder includes itself round a cycle")
    return faults


def main():
    root = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parents[2]
    faults = check(root)
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
