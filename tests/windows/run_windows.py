#!/usr/bin/env python3
"""Runs the Windows orvane-host under Wine.

  run_windows.py info HOST.exe MODULE.aex
      `info` must name the effect and carry the version and flags global setup reports.
  run_windows.py compare HOST.exe MODULE.aex LINUX_HOST SCENARIO_DIR [SCENARIO...]
      Every scenario must give the same project dump (numbers equal within 1e-9 relative) from
      the Windows host and module as from the Linux ones. Picture steps are left out: the
      Windows host writes no pictures."""
import glob
import json
import math
import os
import subprocess
import sys
import tempfile

WINE = os.environ.get("ORVANE_WINE64", "wine64")
PICTURE_STEPS = {"png", "sheet"}


def run(command):
    result = subprocess.run(command, capture_output=True, text=True, timeout=300)
    # Wine hands back the Windows exit code's low byte.
    return result.returncode & 0xFF, result.stdout, result.stderr


def same(a, b, path="$"):
    """Differences between two dumps, numbers compared within 1e-9 relative."""
    if isinstance(a, (int, float)) and isinstance(b, (int, float)) and not isinstance(a, bool):
        if a == b or math.isclose(a, b, rel_tol=1e-9, abs_tol=1e-12):
            return []
        return [f"{path}: {a} != {b}"]
    if type(a) is not type(b):
        return [f"{path}: {a!r} != {b!r}"]
    if isinstance(a, dict):
        if a.keys() != b.keys():
            return [f"{path}: keys {sorted(a.keys() ^ b.keys())} differ"]
        return [d for k in a for d in same(a[k], b[k], f"{path}.{k}")]
    if isinstance(a, list):
        if len(a) != len(b):
            return [f"{path}: {len(a)} items != {len(b)}"]
        return [d for i, (x, y) in enumerate(zip(a, b)) for d in same(x, y, f"{path}[{i}]")]
    return [] if a == b else [f"{path}: {a!r} != {b!r}"]


def info(host, module):
    code, out, err = run([WINE, host, "info", module, "--json"])
    if code != 0:
        print(f"FAIL: info exited {code}: {err}")
        return 1
    data = json.loads(out)
    expected = {"name": "OrvaneTavolin", "category": "OrvaneUtility", "version": 0x80601,
                "out_flags": 0x6008000, "out_flags2": 0x1400, "property_list_problems": []}
    failures = [f"{k}: {data.get(k)!r} != {v!r}" for k, v in expected.items() if data.get(k) != v]
    if not data.get("about", "").startswith("OrvaneTavolin, v1.00\r"):
        failures.append(f"about: {data.get('about')!r}")
    for f in failures:
        print("FAIL:", f)
    print(json.dumps(data, indent=2))
    return 1 if failures else 0


def golden(host, module, scenario_path, golden_path):
    """The Windows host's project of a scenario (its pictures left out) against the golden."""
    scenario = json.load(open(scenario_path))
    scenario["steps"] = [s for s in scenario.get("steps", []) if s.get("do") not in PICTURE_STEPS]
    with tempfile.TemporaryDirectory() as tmp:
        local = os.path.join(tmp, os.path.basename(scenario_path))
        json.dump(scenario, open(local, "w"))
        code, out, err = run([WINE, host, "run", local, "--quiet", "--module", module,
                              "--expect", golden_path])
    print(out, err)
    return code


def compare(host, module, linux_host, scenario_dir, extra):
    scenarios = sorted(glob.glob(os.path.join(scenario_dir, "*.json"))) + list(extra)
    failures = 0
    with tempfile.TemporaryDirectory() as tmp:
        for path in scenarios:
            scenario = json.load(open(path))
            scenario["steps"] = [s for s in scenario.get("steps", []) if s.get("do") not in PICTURE_STEPS]
            local = os.path.join(tmp, os.path.basename(path))
            json.dump(scenario, open(local, "w"))
            lcode, lout, lerr = run([linux_host, "run", local, "--json", "--quiet"])
            wcode, wout, werr = run([WINE, host, "run", local, "--json", "--quiet", "--module", module])
            if lcode != wcode:
                print(f"FAIL {path}: exit {wcode} under Wine, {lcode} on Linux\n{werr}")
                failures += 1
                continue
            diffs = same(json.loads(lout), json.loads(wout))
            for d in diffs[:10]:
                print(f"FAIL {path}: {d}")
            failures += bool(diffs)
            print(f"{'ok  ' if not diffs else 'FAIL'} {path}: {len(lout)} bytes of dump")
    print(f"{len(scenarios) - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    if sys.argv[1] == "info":
        sys.exit(info(sys.argv[2], sys.argv[3]))
    if sys.argv[1] == "golden":
        sys.exit(golden(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5]))
    sys.exit(compare(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5], sys.argv[6:]))
