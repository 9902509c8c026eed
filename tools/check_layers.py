#!/usr/bin/env python3
"""Checks the layering of src/: each folder is a layer that declares the layers below it with
velm_layer(NAME DEPENDS ...) in its CMakeLists.txt. A source file may include headers of its own
layer and of the layers its layer reaches through those declarations, nothing else; the
declarations themselves must not form a cycle. A DLL is loaded by name only through
LoadSystemLibrary (src/base/DllSearch.cpp), never with a bare LoadLibrary call, which would search
the program's own folder. Prints each offence and exits 1 if there is any."""
import os
import re
import sys

LAYER = re.compile(r"velm_layer\(\s*(\w+)((?:\s+DEPENDS(?:\s+\w+)*)?)\s*\)")
INCLUDE = re.compile(r'^\s*#\s*include\s+"(\w+)/', re.M)
BARE_LOAD = re.compile(r"\bLoadLibrary[AW]?\s*\(")
LOADER = os.path.join("base", "DllSearch.cpp")


def declared(src):
    layers = {}
    for folder in sorted(os.listdir(src)):
        cmake = os.path.join(src, folder, "CMakeLists.txt")
        if not os.path.isfile(cmake):
            continue
        with open(cmake, encoding="utf-8") as f:
            m = LAYER.search(f.read())
        if not m or m.group(1) != folder:
            layers[folder] = None
            continue
        layers[folder] = m.group(2).split()[1:]
    return layers


def main(root):
    src = os.path.join(root, "src")
    layers = declared(src)
    errors = [f"src/{f}: no velm_layer({f} ...) in its CMakeLists.txt"
              for f, deps in layers.items() if deps is None]
    graph = {f: [d for d in (deps or [])] for f, deps in layers.items()}
    for f, deps in graph.items():
        errors += [f"src/{f}: declares an unknown layer {d}" for d in deps if d not in graph]

    # Cycles, by depth-first search over the declarations.
    state = {}

    def visit(node, path):
        state[node] = "open"
        for d in graph.get(node, []):
            if state.get(d) == "open":
                errors.append("layers form a cycle: " + " -> ".join(path + [node, d]))
            elif d in graph and d not in state:
                visit(d, path + [node])
        state[node] = "done"

    for node in graph:
        if node not in state:
            visit(node, [])

    def reach(node):
        seen, todo = set(), list(graph.get(node, []))
        while todo:
            d = todo.pop()
            if d not in seen and d in graph:
                seen.add(d)
                todo += graph[d]
        return seen

    for folder in graph:
        allowed = reach(folder) | {folder}
        base = os.path.join(src, folder)
        for name in sorted(os.listdir(base)):
            if not name.endswith((".h", ".cpp")):
                continue
            with open(os.path.join(base, name), encoding="utf-8") as f:
                text = f.read()
            for m in INCLUDE.finditer(text):
                target = m.group(1)
                if target in graph and target not in allowed:
                    line = text.count("\n", 0, m.start()) + 1
                    errors.append(f"src/{folder}/{name}:{line}: includes {target}/, which "
                                  f"the {folder} layer does not build on")
            if os.path.join(folder, name) != LOADER:
                for m in BARE_LOAD.finditer(text):
                    line = text.count("\n", 0, m.start()) + 1
                    errors.append(f"src/{folder}/{name}:{line}: loads a DLL without "
                                  f"LoadSystemLibrary")
    for e in errors:
        print(e)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else
                  os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")))
