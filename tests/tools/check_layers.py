#!/usr/bin/env python3
"""Checks that the program's folders form layers: a file may include only
headers of its own folder and of the folders below it, and each folder's
library may link only the libraries of folders below it. The programs
(programs/<name>/) stand above every layer: each may include any layer and
its own headers, never another program's, and no layer may include theirs.
Prints one line per fault (file:line: what) and exits 1 when there is any; a
cycle between folders always shows as an upward include, since the order is
total.

Usage: check_layers.py [REPOSITORY]"""
import os
import re
import sys

# Bottom to top; the README lists the same order with a line per layer.
LAYERS = ["base", "glshader", "platform", "music", "render", "textures", "geometry", "show", "app"]
RANK = {name: i for i, name in enumerate(LAYERS)}
PROGRAMS = "programs"
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
LINK = re.compile(r"\bvorn_([a-z]+)\b")


def sources(root, folder):
    for name in sorted(os.listdir(os.path.join(root, folder))):
        if name.endswith((".h", ".cpp")):
            yield os.path.join(folder, name)


def includes(root, path):
    with open(os.path.join(root, path), encoding="utf-8") as source:
        for number, line in enumerate(source, 1):
            match = INCLUDE.match(line)
            if match and "/" in match.group(1):
                yield number, match.group(1)


def program_folders(root):
    top = os.path.join(root, PROGRAMS)
    if not os.path.isdir(top):
        return []
    return [os.path.join(PROGRAMS, name) for name in sorted(os.listdir(top))
            if os.path.isdir(os.path.join(top, name))]


def check_includes(root):
    faults = []
    for layer in LAYERS:
        for path in sources(root, layer):
            for number, header in includes(root, path):
                target = header.split("/")[0]
                if target not in RANK:
                    if os.path.isdir(os.path.join(root, target)):
                        faults.append(f"{path}:{number}: includes {header}, outside the layers")
                    continue
                if RANK[target] > RANK[layer]:
                    faults.append(f"{path}:{number}: {layer} includes {header} of the higher layer {target}")
    for program in program_folders(root):
        for path in sources(root, program):
            for number, header in includes(root, path):
                target = header.split("/")[0]
                if target in RANK or header.startswith(program + "/"):
                    continue
                if os.path.isdir(os.path.join(root, target)):
                    faults.append(f"{path}:{number}: {program} includes {header}, neither a layer nor its own")
    return faults


def check_links(root):
    faults = []
    for layer in LAYERS:
        path = os.path.join(layer, "CMakeLists.txt")
        with open(os.path.join(root, path), encoding="utf-8") as cmake:
            for number, line in enumerate(cmake, 1):
                code = line.split("#", 1)[0]
                for target in LINK.findall(code):
                    if target in RANK and RANK[target] >= RANK[layer] and target != layer:
                        faults.append(f"{path}:{number}: {layer} links vorn_{target} of the higher layer {target}")
    return faults


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    missing = [layer for layer in LAYERS if not os.path.isdir(os.path.join(root, layer))]
    if missing:
        print("check_layers: no folder " + ", ".join(missing), file=sys.stderr)
        return 2
    faults = check_includes(root) + check_links(root)
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} layer faults", file=sys.stderr)
        return 1
    print(f"{len(LAYERS)} layers and {len(program_folders(root))} programs, every include and link goes downward")
    return 0


if __name__ == "__main__":
    sys.exit(main())
