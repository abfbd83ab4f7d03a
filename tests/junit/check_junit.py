#!/usr/bin/env python3
"""`orvane-host validate --junit FILE` writes a JUnit report that a standard XML reader reads:
one test case per check, a failure with its messages (quotes and all) where a check failed.

  check_junit.py ORVANE_HOST MODULE BROKEN_MODULE
"""

import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path


def junit(host, module, check, path):
    r = subprocess.run([host, "validate", module, "--reproduce", check, "--junit", str(path)],
                       capture_output=True, text=True)
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
    for p in problems:
        print("check_junit:", p)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
