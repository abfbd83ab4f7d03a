#!/usr/bin/env python3
"""A saved project carries on exactly: for every scenario in examples/ and tests/scenarios/,
saving after step k, opening the file in a new `orvane-host run --project` (a fresh process, so
the module is loaded afresh) and playing the remaining steps gives the project ("params" and
"masks" of the dump) of the whole scenario played in one session.

  check_split.py ORVANE_HOST [--module MODULE]

Split points: right after "apply", in the middle, and before the last step. The hour-long bake
is split only before its bake, and compared without it: the bake itself is the same code with or
without a reopened project, and its keys would make the test anything but lean.
"""

import argparse
import json
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
SCENARIOS = sorted(ROOT.glob("examples/*.json")) + sorted(ROOT.glob("tests/scenarios/*.json"))


def run(host, module, scenario, out, project=None):
    out.mkdir(parents=True, exist_ok=True)
    path = out / "scenario.json"
    path.write_text(json.dumps(scenario))
    cmd = [host, "run", str(path), "--quiet", "--out", str(out)]
    if module:
        cmd += ["--module", module]
    if project:
        cmd += ["--project", str(project)]
    r = subprocess.run(cmd, capture_output=True, text=True)
    if r.returncode == 2:
        sys.exit(f"check_split: {' '.join(cmd)}: {r.stderr.strip()}")
    dump = json.loads((out / "project.json").read_text())
    return {"params": dump["params"], "masks": dump["masks"]}


def first_difference(a, b, path="$"):
    if type(a) is not type(b):
        return f"{path}: {json.dumps(a)[:80]} vs {json.dumps(b)[:80]}"
    if isinstance(a, dict):
        for k in sorted(set(a) | set(b)):
            if k not in a or k not in b:
                return f"{path}.{k}: only in {'the whole run' if k in a else 'the split run'}"
            d = first_difference(a[k], b[k], f"{path}.{k}")
            if d:
                return d
        return None
    if isinstance(a, list):
        if len(a) != len(b):
            return f"{path}: {len(a)} elements vs {len(b)}"
        for i, (x, y) in enumerate(zip(a, b)):
            d = first_difference(x, y, f"{path}[{i}]")
            if d:
                return d
        return None
    return None if a == b else f"{path}: {json.dumps(a)} vs {json.dumps(b)}"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("host")
    parser.add_argument("--module")
    args = parser.parse_args()
    failures = []
    checked = 0
    with tempfile.TemporaryDirectory() as tmp:
        tmp = Path(tmp)
        for source in SCENARIOS:
            scenario = json.loads(source.read_text())
            steps = scenario["steps"]
            if source.name == "bake-hour.json":
                assert steps[-1] == {"do": "press", "param": "Bake Masks"}
                steps = steps[:-1]
                scenario = dict(scenario, steps=steps)
            applied = next(i for i, s in enumerate(steps) if s["do"] == "apply") + 1
            splits = sorted({applied, (applied + len(steps)) // 2, len(steps) - 1})
            whole = run(args.host, args.module, scenario, tmp / source.stem / "whole")
            setup = {k: v for k, v in scenario.items() if k not in ("steps", "comp", "layer")}
            for k in splits:
                where = tmp / source.stem / f"split-{k}"
                head = dict(scenario, steps=steps[:k] + [{"do": "save", "file": "saved.json"}])
                run(args.host, args.module, head, where / "head")
                tail = dict(setup, steps=steps[k:])
                split = run(args.host, args.module, tail, where / "tail", where / "head" / "saved.json")
                checked += 1
                d = first_difference(whole, split)
                if d:
                    failures.append(f"{source.relative_to(ROOT)} saved after step {k}: {d}")
    for f in failures:
        print(f"check_split: {f}")
    if failures:
        sys.exit(1)
    print(f"check_split: {checked} split points in {len(SCENARIOS)} scenarios carry on exactly")


if __name__ == "__main__":
    main()
