#!/usr/bin/env python3
"""The hour-long bake saved and reopened: examples/bake-hour.json played with a `save` step at
its end, then the saved project opened in a new `orvane-host run --project` that saves it again.
Prints each run's wall time and peak resident memory, and whether the project reopened is the
one saved (the two files, each written by the same writer from its project, equal byte for byte).

  project_roundtrip.py ORVANE_HOST [WORK_DIR]

Targets: the reopening run within 30 s and 2 GiB, and the project equal. Exit code 1 when a run
fails or the files differ; the figures are for bench/README.md, not a pass or a fail.
"""

import filecmp
import json
import os
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]


def measured(cmd, cwd):
    start = time.monotonic()
    child = subprocess.Popen(cmd, cwd=cwd, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    return child.returncode, time.monotonic() - start, usage.ru_maxrss / 1024


def main():
    host = os.path.abspath(sys.argv[1])
    work = Path(sys.argv[2]) if len(sys.argv) > 2 else Path(tempfile.mkdtemp(prefix="roundtrip-"))
    saved, reopened = work / "saved", work / "reopened"
    saved.mkdir(parents=True, exist_ok=True)
    reopened.mkdir(parents=True, exist_ok=True)
    scenario = json.loads((ROOT / "examples" / "bake-hour.json").read_text())
    scenario["steps"].append({"do": "save", "file": "hour.json"})
    (saved / "scenario.json").write_text(json.dumps(scenario))
    (reopened / "scenario.json").write_text(json.dumps({"steps": [{"do": "save", "file": "again.json"}]}))
    # No --out: the saves go to each run's folder, and no dump of gigabytes is written beside them.
    code, seconds, mib = measured([host, "run", "scenario.json", "--quiet"], saved)
    size = (saved / "hour.json").stat().st_size if code == 0 else 0
    print(f"bake and save:  exit {code}, {seconds:.1f} s, peak {mib:.0f} MiB, "
          f"file {size / 2**20:.0f} MiB")
    if code != 0:
        return 1
    code, seconds, mib = measured(
        [host, "run", "scenario.json", "--quiet", "--project", str(saved / "hour.json")], reopened)
    print(f"reopen and save: exit {code}, {seconds:.1f} s, peak {mib:.0f} MiB "
          f"(targets: 30 s, 2048 MiB)")
    if code != 0:
        return 1
    same = filecmp.cmp(saved / "hour.json", reopened / "again.json", shallow=False)
    print("reopened project equals the saved one" if same else "REOPENED PROJECT DIFFERS")
    for f in (saved / "hour.json", reopened / "again.json"):
        f.unlink()
    return 0 if same else 1


if __name__ == "__main__":
    sys.exit(main())
