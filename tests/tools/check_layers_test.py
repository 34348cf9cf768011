#!/usr/bin/env python3
"""The layering check must flag an include that points up a layer, and only that one."""
import pathlib
import subprocess
import sys
import tempfile

CHECK = pathlib.Path(__file__).resolve().parents[2] / "tools/check_layers/check_layers.py"

README = """| Folder | Layer | Target | What it holds |
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


def run(tree):
    return subprocess.run([sys.executable, str(CHECK), str(tree)], capture_output=True, text=True)


def main():
    with tempfile.TemporaryDirectory() as folder:
        tree = pathlib.Path(folder)
        (tree / "README.md").write_text(README)
        for name, text in FILES.items():
            (tree / name).parent.mkdir(parents=True, exist_ok=True)
            (tree / name).write_text(text)
        result = run(tree)
        flagged = sorted(line.split(":")[0].split(" ")[0] for line in result.stdout.splitlines())
        expected = ["corrector/bad.cpp", "engine/unnamed.cpp", "tests/engine/bad_test.cpp"]
        if result.returncode != 1 or flagged != expected:
            print(f"exit {result.returncode}, flagged {flagged}, expected {expected}\n{result.stdout}")
            return 1

        # The build adding the folders in another order than the README is a failure too.
        (tree / "CMakeLists.txt").write_text("foreach(dir corrector engine tools)\n")
        for name in expected:
            (tree / name).unlink()
        result = run(tree)
        if result.returncode != 1 or "CMakeLists.txt adds" not in result.stdout:
            print(f"order mismatch not reported: exit {result.returncode}\n{result.stdout}")
            return 1
    print("layering check flags exactly the upward includes and a build order unlike the README's")
    return 0


if __name__ == "__main__":
    sys.exit(main())
