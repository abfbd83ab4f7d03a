#!/usr/bin/env python3
"""The steps a scenario may name are listed in one place, the runner's table, and every other
list of them follows it: the help of `orvane-host run`, the table under "## Steps" in
docs/scenarios.md, and the scenario fuzz target's dictionary.

  check_step_names.py ORVANE_HOST [--bite]
"""

import re
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]


def help_steps(host):
    text = subprocess.run([host, "run", "--help"], capture_output=True, text=True).stdout
    match = re.search(r"^Steps: (.*)\.$", text, re.M)
    if not match:
        sys.exit("check_step_names: `orvane-host run --help` lists no steps")
    return set(s.strip() for s in match.group(1).split(","))


def doc_steps(text):
    section = text.split("\n## Steps\n", 1)[1].split("\n## ", 1)[0]
    return set(re.findall(r"^\|\s*`([a-z_]+)`\s*\|", section, re.M))


def dict_words(text):
    return set(re.findall(r'^"\\"([^"\\]+)\\""$', text, re.M))


def differences(steps, doc_text, dict_text):
    found = []
    documented = doc_steps(doc_text)
    for name in sorted(steps - documented):
        found.append(f"docs/scenarios.md: the step table lacks `{name}`")
    for name in sorted(documented - steps):
        found.append(f"docs/scenarios.md: the step table lists `{name}`, which the runner does not know")
    for name in sorted(steps - dict_words(dict_text)):
        found.append(f"tests/fuzz/scenario.dict: lacks \"{name}\"")
    return found


def main():
    host = sys.argv[1]
    steps = help_steps(host)
    doc_text = (ROOT / "docs" / "scenarios.md").read_text()
    dict_text = (ROOT / "tests" / "fuzz" / "scenario.dict").read_text()
    if "--bite" in sys.argv:
        # A step dropped from each list, and one the runner does not know added to the docs.
        some = sorted(steps)[0]
        planted = [
            ("docs without a step", re.sub(rf"^\|\s*`{some}`.*\n", "", doc_text, flags=re.M), dict_text),
            ("docs with an unknown step", doc_text.replace("\n## Steps\n", "\n## Steps\n\n| `jump` | | |\n", 1), dict_text),
            ("dictionary without a step", doc_text, dict_text.replace(f'"\\"{some}\\""\n', "")),
        ]
        ok = not differences(steps, doc_text, dict_text)
        for what, docs, words in planted:
            caught = bool(differences(steps, docs, words))
            print(f"{'caught' if caught else 'MISSED'}: {what}")
            ok = ok and caught
        return 0 if ok else 1
    found = differences(steps, doc_text, dict_text)
    for line in found:
        print(line)
    print(f"step names: {len(steps)} steps, {len(found)} problem(s)")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
