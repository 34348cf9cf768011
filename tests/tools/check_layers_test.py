#!/usr/bin/env python3
"""The layering check must flag an include that points up a layer, and only that one,
and a circle of includes among the files of one folder, and only that."""
import pathlib
import subprocess
import sys
import tempfile

CHECK = pathlib.Path(__file__).resolve().parents[2] / "tools/check_layers/check_layers.py"

LAYOUT_TABLE = """| Folder | Layer | Target | What it holds |
|---|---|---|---|
| `engine/` | 1 | `engine` | x |
| `corrector/` | 2 | `corrector` | x |
| `tools/` | 3 | | x |
"""
FILES = {
    "CMakeLists.txt": "foreach(dir engine corrector tools)\n",
    "engine/buffer.h": "#pragma once\n",
    "corrector/state.h": '#include "engine/buffer.h"\n',
    "corrector/bad.cpp": '#include "tools/report/report.h"\n',
    "tests/corrector/state_test.cpp": '#include "corrector/state.h"\n#include "tests/support/pixels.h"\n',
    "tests/engine/bad_test.cpp": '#include "corrector/state.h"\n',
    "tests/support/pixels.h": '#include "engine/buffer.h"\n',
    "tools/report/report.h": '#include "corrector/state.h"\n',
    "engine/unnamed.cpp": '#include "buffer.h"\n',
}
# Two circles: a .h/.cpp pair closes the first, three units the second. The diamond
# (paths that meet without coming back) and the headers outside the circles must pass.
CIRCLES = {
    "CMakeLists.txt": "foreach(dir engine corrector tools)\n",
    "engine/pixels.h": '#include "engine/rows.h"\n#include "engine/sizes.h"\n',
    "engine/pixels.cpp": '#include "engine/pixels.h"\n',
    "engine/rows.h": "#pragma once\n",
    "engine/rows.cpp": '#include "engine/rows.h"\n#include "engine/pixels.h"\n',
    "engine/sizes.h": "#pragma once\n",
    "corrector/load.h": '#include "corrector/state.h"\n',
    "corrector/state.h": "#pragma once\n",
    "corrector/state.cpp": '#include "corrector/save.h"\n#include "engine/rows.h"\n',
    "corrector/save.h": "#pragma once\n",
    "corrector/save.cpp": '#include "corrector/load.h"\n',
    "corrector/view.cpp": '#include "corrector/view.h"\n#include "corrector/load.h"\n#include "corrector/undo.h"\n',
    "corrector/view.h": '#include "corrector/undo.h"\n',
    "corrector/undo.h": "#pragma once\n",
    "tests/corrector/view_test.cpp": '#include "corrector/view.h"\n',
}


def run(tree):
    return subprocess.run([sys.executable, str(CHECK), str(tree)], capture_output=True, text=True)


def write_tree(tree, files):
    (tree / "docs").mkdir(exist_ok=True)
    (tree / "docs/layout.md").write_text(LAYOUT_TABLE)
    for name, text in files.items():
        (tree / name).parent.mkdir(parents=True, exist_ok=True)
        (tree / name).write_text(text)


def check_circles():
    with tempfile.TemporaryDirectory() as folder:
        tree = pathlib.Path(folder)
        write_tree(tree, CIRCLES)
        result = run(tree)
        circles = sorted(line.split(" (")[0] for line in result.stdout.splitlines())
        expected = [
            "corrector/: include circle among load, save, state",
            "engine/: include circle among pixels, rows",
        ]
        if result.returncode != 1 or circles != expected:
            print(f"exit {result.returncode}, reported {circles}, expected {expected}\n{result.stdout}")
            return False

        # Without the include that closes each circle, the same tree passes.
        (tree / "engine/rows.cpp").write_text('#include "engine/rows.h"\n')
        (tree / "corrector/save.cpp").write_text("")
        result = run(tree)
        if result.returncode != 0:
            print(f"a tree without circles failed: exit {result.returncode}\n{result.stdout}")
            return False
    return True


def main():
    if not check_circles():
        return 1
    with tempfile.TemporaryDirectory() as folder:
        tree = pathlib.Path(folder)
        write_tree(tree, FILES)
        result = run(tree)
        flagged = sorted(line.split(":")[0].split(" ")[0] for line in result.stdout.splitlines())
        expected = ["corrector/bad.cpp", "engine/unnamed.cpp", "tests/engine/bad_test.cpp"]
        if result.returncode != 1 or flagged != expected:
            print(f"exit {result.returncode}, flagged {flagged}, expected {expected}\n{result.stdout}")
            return 1

        # The build adding the folders in another order than the layout table is a failure too.
        (tree / "CMakeLists.txt").write_text("foreach(dir corrector engine tools)\n")
        for name in expected:
            (tree / name).unlink()
        result = run(tree)
        if result.returncode != 1 or "CMakeLists.txt adds" not in result.stdout:
            print(f"order mismatch not reported: exit {result.returncode}\n{result.stdout}")
            return 1
    print("layering check flags exactly the upward includes, the circles within a folder, "
          "and a build order unlike the layout table's")
    return 0


if __name__ == "__main__":
    sys.exit(main())
