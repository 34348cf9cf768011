#!/usr/bin/env python3
"""Fails when a source file includes a folder above its own layer, or when the
files of one folder include each other in a circle.

The layer order is read from the layout table in docs/layout.md (the rows with
a layer number), and the top-level CMakeLists.txt must add the layer folders in that same
order, so the folder list, the build and the include lines tell one story.

Within a folder, a .h and the .cpp of the same name are one unit: a circle among
units means none of them can be read, tested or moved without the others.

Usage: check_layers.py PROJECT_ROOT
"""
import pathlib
import re
import sys

# Folders outside the layer folders, with the layer they stand on: each may include
# that layer and those below it. Test and benchmark folders named after a layer
# stand on that layer without being listed here.
SUPPORT_FOLDERS = {
    "tools/sample_jpeg": "photo_files",  # a libjpeg writer of known photos, with our libjpeg error manager
    "tests/support": "engine",
    "bench/common": "photo_files",
    "bench/analysis": "photo_files",  # through bench/common
    "bench/photo_pipeline": "photo_files",
    "tests/fuzz": "photo_files",
    "tests/end_to_end": "tools",
}
# Product code never reaches into these, whatever their level.
NOT_PRODUCT = ("tests/", "bench/")

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


LAYOUT = "docs/layout.md"


def layer_order_from_layout_table(root):
    rows = re.findall(r"^\|\s*`([a-z_]+)/`\s*\|\s*(\d+)\s*\|", (root / LAYOUT).read_text(), re.M)
    return [folder for folder, _ in sorted(rows, key=lambda row: int(row[1]))]


def layer_order_from_cmake(root):
    match = re.search(r"foreach\(dir ([a-z_ ]+)\)", (root / "CMakeLists.txt").read_text())
    return match.group(1).split() if match else []


def level_of(path, layers):
    """The layer a file or included path stands on, or None for a folder of no layer."""
    parts = pathlib.PurePosixPath(path).parts
    for depth in (2, 1):
        folder = "/".join(parts[:depth])
        if folder in SUPPORT_FOLDERS:
            return layers.index(SUPPORT_FOLDERS[folder])
    if parts[0] in layers:
        return layers.index(parts[0])
    if parts[0] in ("tests", "bench") and len(parts) > 2 and parts[1] in layers:
        return layers.index(parts[1])
    return None


def unit_of(path):
    """A file's unit: its path without the extension, so x.h and x.cpp are one."""
    return path.rsplit(".", 1)[0]


def strongly_connected(graph):
    """Tarjan's components of a {node: set(nodes)} graph, each a sorted list."""
    index, low, on_stack, stack, components = {}, {}, set(), [], []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for after in sorted(graph.get(node, ())):
            if after not in index:
                visit(after)
                low[node] = min(low[node], low[after])
            elif after in on_stack:
                low[node] = min(low[node], index[after])
        if low[node] == index[node]:
            component = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                component.append(member)
                if member == node:
                    break
            components.append(sorted(component))

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return components


def include_circles(includes):
    """One message per circle among the units of a folder.

    includes maps each file to the files of our tree it includes."""
    graph = {}
    for source, included_files in includes.items():
        for included in included_files:
            same_folder = included.rsplit("/", 1)[0] == source.rsplit("/", 1)[0]
            if same_folder and unit_of(included) != unit_of(source):
                graph.setdefault(unit_of(source), set()).add(unit_of(included))
    problems = []
    for component in strongly_connected(graph):
        if len(component) < 2:
            continue
        folder = component[0].rsplit("/", 1)[0]

        def name(unit):
            return unit.rsplit("/", 1)[1]

        edges = "; ".join(
            f"{name(unit)} -> {', '.join(name(after) for after in sorted(graph[unit] & set(component)))}"
            for unit in component
        )
        problems.append(f"{folder}/: include circle among {', '.join(map(name, component))} ({edges})")
    return problems


def main():
    root = pathlib.Path(sys.argv[1]).resolve()
    layers = layer_order_from_layout_table(root)
    problems = []
    if not layers:
        problems.append(f"{LAYOUT}: no layout table rows with a layer number")
    cmake_order = layer_order_from_cmake(root)
    if cmake_order != layers:
        problems.append(f"CMakeLists.txt adds {cmake_order}, the layout table's layers are {layers}")

    includes = {}
    for source in sorted(root.rglob("*")):
        if source.suffix not in (".cpp", ".h") or not source.is_file():
            continue
        relative = source.relative_to(root).as_posix()
        if relative.startswith("build"):
            continue
        own = level_of(relative, layers)
        for included in INCLUDE.findall(source.read_text(errors="replace")):
            if "/" not in included:
                problems.append(f"{relative}: include \"{included}\" does not name its folder")
                continue
            if not (root / included).exists():
                continue  # generated or system header
            includes.setdefault(relative, []).append(included)
            target = level_of(included, layers)
            if own is not None and relative.split("/")[0] in layers and included.startswith(NOT_PRODUCT):
                problems.append(f"{relative}: product code includes {included}")
            elif own is None or target is None:
                problems.append(f"{relative}: include \"{included}\": no layer known for one of the two")
            elif target > own:
                problems.append(f"{relative} ({layers[own]}) includes {included} ({layers[target]}), a layer above")

    problems += include_circles(includes)

    for problem in problems:
        print(problem)
    if problems:
        return 1
    print(f"layers {' < '.join(layers)}: every include points down, and no folder's files include in a circle")
    return 0


if __name__ == "__main__":
    sys.exit(main())
