#!/usr/bin/env python3
"""The core's layers, from the bottom: a file of calc/ may include its own
layer and those below it, names each header by its folder, and no chain of
includes between units (a header with its source file) comes back to where
it began."""
import pathlib
import re
import sys

LAYERS = ["system", "text", "ini", "tariff", "quote", "selection", "tools"]
# Generated into the build folder by CMake, not a layer's own file.
GENERATED = {"ProgramVersion.h"}

calc = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "calc")
include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
problems, graph = [], {}
for path in sorted(calc.rglob("*")):
    if path.suffix not in (".h", ".cpp"):
        continue
    name = path.relative_to(calc).as_posix()
    layer = name.split("/")[0]
    if layer not in LAYERS:
        problems.append(f"{name}: not in a layer's folder ({', '.join(LAYERS)})")
        continue
    unit = name.rsplit(".", 1)[0]
    graph.setdefault(unit, set())
    for target in include.findall(path.read_text(encoding="utf-8")):
        if target in GENERATED:
            continue
        to = target.split("/")[0]
        if to not in LAYERS or not (calc / target).is_file():
            problems.append(f"{name}: includes {target}, which is no header of a layer")
        elif LAYERS.index(to) > LAYERS.index(layer):
            problems.append(f"{name}: includes {target}, a layer above its own ({layer})")
        else:
            if target.rsplit(".", 1)[0] != unit:
                graph[unit].add(target.rsplit(".", 1)[0])

# A loop of includes among the files, within a layer or across.
state = {}
def visit(node, trail):
    state[node] = "open"
    for nxt in sorted(graph.get(node, ())):
        if state.get(nxt) == "open":
            loop = trail[trail.index(nxt):] + [nxt]
            problems.append("include loop: " + " -> ".join(loop))
        elif nxt not in state:
            visit(nxt, trail + [nxt])
    state[node] = "done"
for node in graph:
    if node not in state:
        visit(node, [node])

for p in problems:
    print(p)
sys.exit(1 if problems else 0)
