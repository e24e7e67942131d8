#!/usr/bin/env python3
"""Reads the includes under src/ and fails when one runs the wrong way.

The rules (README.md, Layout):
  - src/base includes nothing outside src/base; outside base/ui it includes no base/ui header;
  - a file outside a ui/ folder includes nothing under a ui/ folder and no widget header;
  - the areas stack in ORDER: a file includes only its own area and the areas before it;
  - the source document includes only base and the editor's widget-free files;
  - no two files include each other, directly or round a longer cycle (a .h and its .cpp are one
    module).
src/app/main.cpp is the executable and may include anything.

  check_layers.py SRC_DIR WIDGET_HEADER_DIR...   check; exit 1 listing each break
  check_layers.py --report SRC_DIR               counts for a review: modules, cycles, singletons
"""

import os
import re
import sys

ORDER = ["base", "frame", "editor", "workspace", "make", "search", "options", "app"]
DOCUMENT = {"editor/CQvasmDoc"}
EXECUTABLE = "app/main.cpp"

PROJECT_INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SYSTEM_INCLUDE = re.compile(r"^\s*#\s*include\s+<([^>]+)>")


def sources(src):
    for folder, _, names in os.walk(src):
        for name in sorted(names):
            if name.endswith((".h", ".cpp")):
                path = os.path.join(folder, name)
                yield os.path.relpath(path, src).replace(os.sep, "/"), path


def includes(path):
    project, system = [], []
    with open(path, encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            m = PROJECT_INCLUDE.match(line)
            if m:
                project.append((number, m.group(1)))
                continue
            m = SYSTEM_INCLUDE.match(line)
            if m:
                system.append((number, m.group(1)))
    return project, system


def module(rel):
    return rel.rsplit(".", 1)[0]


def area(rel):
    return rel.split("/", 1)[0]


def in_ui(rel):
    return "/ui/" in rel


def widget_headers(dirs):
    names = set()
    for d in dirs:
        if os.path.isdir(d):
            module_name = os.path.basename(os.path.normpath(d))
            names.add(module_name)
            for n in os.listdir(d):
                names.add(n)
                names.add(module_name + "/" + n)
    return names


def find_cycles(graph):
    """Strongly connected components of more than one module (Tarjan, iterative)."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = 0
    for start in sorted(graph):
        if start in index:
            continue
        work = [(start, iter(sorted(graph[start])))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, edges = work[-1]
            advanced = False
            for nxt in edges:
                if nxt not in graph:
                    continue
                if nxt not in index:
                    index[nxt] = low[nxt] = counter
                    counter += 1
                    stack.append(nxt)
                    on_stack.add(nxt)
                    work.append((nxt, iter(sorted(graph[nxt]))))
                    advanced = True
                    break
                if nxt in on_stack:
                    low[node] = min(low[node], index[nxt])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1:
                    found.append(sorted(component))
    return found


def graph_of(src):
    graph = {}
    for rel, path in sources(src):
        project, _ = includes(path)
        mod = module(rel)
        edges = graph.setdefault(mod, set())
        for _, target in project:
            if os.path.exists(os.path.join(src, target)) and module(target) != mod:
                edges.add(module(target))
    return graph


def breaks(src, widgets):
    found = []
    for rel, path in sources(src):
        if rel == EXECUTABLE:
            continue
        project, system = includes(path)
        mine = area(rel)
        for number, target in project:
            if not os.path.exists(os.path.join(src, target)):
                continue  # a generated or tool header, not one of the layers
            where = f"{rel}:{number}: includes {target}: "
            theirs = area(target)
            if mine == "base" and theirs != "base":
                found.append(where + "base includes nothing above it")
            elif in_ui(target) and not in_ui(rel):
                found.append(where + "a file outside ui/ includes a widget header")
            elif mine in ORDER and theirs in ORDER and ORDER.index(theirs) > ORDER.index(mine):
                found.append(where + f"{mine} is below {theirs}")
            elif module(rel) in DOCUMENT and (theirs not in ("base", "editor") or in_ui(target)):
                found.append(where + "the document includes only base and the editor's core")
        if not in_ui(rel):
            for number, header in system:
                if header in widgets:
                    found.append(f"{rel}:{number}: includes <{header}>: widgets belong under ui/")
    for cycle in find_cycles(graph_of(src)):
        found.append("include cycle: " + " -> ".join(cycle))
    return found


ACCESSOR = re.compile(r"static\s+[\w:<>]+\s*[*&]\s*instance\s*\(\s*\)\s*;")
CALL = re.compile(r"\b(\w+)::instance\s*\(\s*\)")


def report(src):
    graph = graph_of(src)
    accessors, calls = [], 0
    for rel, path in sources(src):
        with open(path, encoding="utf-8", errors="replace") as f:
            text = f.read()
        if ACCESSOR.search(text):
            accessors.append(module(rel))
        calls += len(CALL.findall(text))
    cycles = find_cycles(graph)
    print(f"modules: {len(graph)}")
    print(f"instance() accessors: {len(accessors)}: {' '.join(sorted(accessors))}")
    print(f"instance() call sites: {calls}")
    print(f"module cycles: {len(cycles)}")
    for c in cycles:
        print("  " + " ".join(c))


def main(argv):
    if len(argv) >= 2 and argv[0] == "--report":
        report(argv[1])
        return 0
    if not argv:
        print(__doc__)
        return 2
    src, dirs = argv[0], argv[1:]
    found = breaks(src, widget_headers(dirs))
    for line in found:
        print(line)
    print(f"{len(found)} layering break(s)")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
