#!/usr/bin/env python3
"""Holds host/ to its map: which folder may include which, and how large a file may grow.

  check_host_layout.py [--root DIR]        checks the tree (default: this repository)
  check_host_layout.py --bite              shows the checks failing on planted faults

Each folder of host/ is a library that may include only the folders before it:
model <- protocol <- report <- scenario <- cli, and validate uses protocol and model only;
play (the browser session) uses scenario and what it uses, and only cli uses play.
A file over 400 lines needs a line beside its first that says why ("longer than 400 lines:").
"""

import argparse
import re
import shutil
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
ALLOWED = {
    "model": {"model"},
    "protocol": {"model", "protocol"},
    "report": {"model", "protocol", "report"},
    "scenario": {"model", "protocol", "report", "scenario"},
    "validate": {"model", "protocol", "validate"},
    "play": {"model", "protocol", "report", "scenario", "play"},
    "cli": {"model", "protocol", "report", "scenario", "validate", "play", "cli"},
}
MAX_LINES = 400
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def problems(root):
    host = root / "host"
    found = []
    folders = {p.name for p in host.iterdir() if p.is_dir()}
    for extra in sorted(folders - set(ALLOWED)):
        found.append(f"host/{extra}/ is not on the map (tests/layout/check_host_layout.py)")
    for path in sorted(host.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        rel = path.relative_to(root)
        parts = path.relative_to(host).parts
        if len(parts) < 2:
            found.append(f"{rel}: every source of the host lives in one of its folders")
            continue
        folder = parts[0]
        text = path.read_text()
        for included in INCLUDE.findall(text):
            head = included.split("/")[0]
            if "/" not in included:
                continue  # an SDK header or a header beside the plug-in's sources
            if head in ALLOWED and head not in ALLOWED.get(folder, set()):
                found.append(f"{rel}: {folder}/ may not include {included}")
        lines = text.count("\n")
        if lines > MAX_LINES and "longer than 400 lines:" not in text:
            found.append(f"{rel}: {lines} lines; split it or say why beside its first line")
    return found


def bite():
    """Each planted fault must be found, and the unplanted copy must pass."""
    faults = [
        ("host/model/Project.h", '#include "protocol/Session.h"\n', "model/ may not include"),
        ("host/validate/Validator.cpp", '#include "scenario/Play.h"\n', "validate/ may not include"),
        ("host/report/Dump.cpp", '#include "scenario/Limits.h"\n', "report/ may not include"),
        ("host/scenario/Play.cpp", '#include "play/Server.h"\n', "scenario/ may not include"),
        ("host/play/Server.cpp", '#include "validate/Validator.h"\n', "play/ may not include"),
        ("host/model/Units.h", "// filler\n" * 401, "lines; split it"),
    ]
    ok = True
    with tempfile.TemporaryDirectory() as scratch:
        copy = Path(scratch) / "tree"
        shutil.copytree(ROOT / "host", copy / "host")
        if problems(copy):
            print("bite: the unplanted copy does not pass:", *problems(copy), sep="\n  ")
            return False
        for file, planted, expected in faults:
            target = copy / file
            original = target.read_text()
            target.write_text(planted + original)
            caught = [p for p in problems(copy) if expected in p]
            target.write_text(original)
            print(f"{'caught' if caught else 'MISSED'}: {planted.splitlines()[0]} in {file}")
            ok = ok and bool(caught)
        (copy / "host" / "extra").mkdir()
        caught = any("not on the map" in p for p in problems(copy))
        print(f"{'caught' if caught else 'MISSED'}: a folder that is not on the map")
        ok = ok and caught
    return ok


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", type=Path, default=ROOT)
    parser.add_argument("--bite", action="store_true")
    args = parser.parse_args()
    if args.bite:
        return 0 if bite() else 1
    found = problems(args.root)
    for p in found:
        print(p)
    print(f"host layout: {len(found)} problem(s)")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
