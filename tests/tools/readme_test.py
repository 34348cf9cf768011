#!/usr/bin/env python3
"""The README opens with the window's picture and then the two commands, CI runs
the very test command it gives, and no link of the README or of docs/ leads
nowhere."""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
LINK = re.compile(r"\]\(([^)#\s]+)(?:#[^)]*)?\)")


def problems():
    found = []
    readme = (ROOT / "README.md").read_text()
    body = [line for line in readme.splitlines() if line.strip() and not line.startswith("# ")]
    picture = re.match(r"!\[[^\]]+\]\(([^)]+)\)$", body[0]) if body else None
    if not picture:
        found.append("README.md does not open with a picture")
    elif not (ROOT / picture.group(1)).read_bytes().startswith(b"\x89PNG"):
        found.append(f"README.md's picture {picture.group(1)} is no PNG")

    first_block = re.search(r"```sh\n(.*?)```", readme, re.S)
    lines = first_block.group(1).splitlines() if first_block else []
    commands = [line.split("#")[0].strip() for line in lines]
    if commands[:2] != ["bash tools/setup.sh run", "bash tools/setup.sh test"]:
        found.append(f"README.md's first commands are {commands}, not setup.sh run and test")
    ci_commands = [line.strip() for line in (ROOT / ".ci/run").read_text().splitlines()
                   if line.strip() and not line.startswith(("#", "set ", "cd "))]
    if ci_commands != ["bash tools/setup.sh test"]:
        found.append(f".ci/run runs {ci_commands}, not the README's test command")

    for page in [ROOT / "README.md", *sorted((ROOT / "docs").glob("*.md"))]:
        for target in LINK.findall(page.read_text()):
            if "://" not in target and not (page.parent / target).exists():
                found.append(f"{page.relative_to(ROOT)} links {target}, which does not exist")
    return found


if __name__ == "__main__":
    found = problems()
    for problem in found:
        print(problem)
    if not found:
        print("the README opens with the window's picture and the commands CI runs; "
              "every link leads somewhere")
    sys.exit(1 if found else 0)
