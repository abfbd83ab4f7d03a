#!/usr/bin/env python3
"""`orvane-host validate --junit FILE` writes a JUnit report that a standard XML reader reads:
one test case per check, a failure with its messages (quotes and all) where a check failed, a
module path with XML's own characters given back as it was, and one that is not UTF-8 or holds a
control character shown with U+FFFD (as `validate --json` shows it) rather than making the file
ill-formed.

  check_junit.py ORVANE_HOST MODULE BROKEN_MODULE
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path


def junit(host, module, check, path):
    r = subprocess.run([host, "validate", module, "--reproduce", check, "--junit", str(path)],
                       capture_output=True, encoding="utf-8", errors="replace")
    return r.returncode, ET.parse(path).getroot()


def main():
    host, module, broken = sys.argv[1:4]
    problems = []
    with tempfile.TemporaryDirectory() as tmp:
        code, root = junit(host, module, "undo_integrity", Path(tmp) / "good.xml")
        cases = root.findall("./testsuite/testcase")
        if code != 0 or [c.get("name") for c in cases] != ["undo_integrity"] or list(cases[0]):
            problems.append(f"the module: exit {code}, {ET.tostring(root, encoding='unicode')}")
        if root.get("tests") != "1" or root.get("failures") != "0":
            problems.append(f"the module: counts {root.attrib}")
        code, root = junit(host, broken, "undo_integrity", Path(tmp) / "broken.xml")
        failure = root.find("./testsuite/testcase[@name='undo_integrity']/failure")
        if code != 1 or failure is None:
            problems.append(f"the broken module: exit {code}, no failure")
        else:
            # The entry's name has quotes inside quotes: they must come back as they were.
            expected = 'Create made the undo entries "Press "Create Mask""'
            if not failure.get("message", "").startswith(expected):
                problems.append(f"message {failure.get('message')!r}")
            if root.get("failures") != "1" or len((failure.text or "").splitlines()) < 2:
                problems.append(f"failure text {failure.text!r}, counts {root.attrib}")
        # A module named with a byte that is not UTF-8: the same module, copied.
        odd = os.path.join(os.fsencode(tmp), b"m\xff.so")
        shutil.copyfile(module, odd)
        code, root = junit(host, odd, "property_list", Path(tmp) / "odd.xml")
        suite = root.find("./testsuite")
        if code != 0 or suite is None or not suite.get("name", "").endswith("m\ufffd.so"):
            problems.append(f"a path that is not UTF-8: exit {code}, "
                            f"{ET.tostring(root, encoding='unicode')[:300]}")
        # XML's own characters, a tab and a control character XML 1.0 cannot carry: the first
        # come back as they were, the last as U+FFFD.
        marked = os.path.join(os.fsencode(tmp), b"a&b<c>d\"e'f\tg\x01h.so")
        shutil.copyfile(module, marked)
        code, root = junit(host, marked, "property_list", Path(tmp) / "marked.xml")
        suite = root.find("./testsuite")
        if code != 0 or suite is None or \
                not suite.get("name", "").endswith("a&b<c>d\"e'f\tg\ufffdh.so"):
            problems.append(f"a path with XML's characters: exit {code}, "
                            f"{ET.tostring(root, encoding='unicode')[:300]}")
        r = subprocess.run([host, "validate", odd, "--reproduce", "property_list", "--json"],
                           capture_output=True)
        try:
            report = json.loads(r.stdout.decode("utf-8"))
        except ValueError:
            report = None
        if r.returncode != 0 or not report or not report["module"].endswith("m\ufffd.so"):
            problems.append(f"validate --json on a path that is not UTF-8: exit {r.returncode}, "
                            f"{r.stdout[:200]!r} {r.stderr[:200]!r}")
    for p in problems:
        print("check_junit:", p)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
