#!/usr/bin/env python3
"""CHANGELOG.md is in the form people expect and its newest entry is the version the build
makes: the one written in project() in CMakeLists.txt, which the module reports in its property
list and its About text.

  check_changelog.py --version X.Y.Z --host ORVANE_HOST --module MODULE [--bite]

The form: a title, then entries newest first, each "## [X.Y.Z] - YYYY-MM-DD" (an
"## [Unreleased]" entry may come first, for what is not in a version yet), versions and dates
falling, and in each entry "### " sections of "- " items among Added, Changed, Deprecated,
Removed, Fixed and Security, in that order.
"""
import argparse
import datetime
import json
import re
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
SECTIONS = ["Added", "Changed", "Deprecated", "Removed", "Fixed", "Security"]
ENTRY = re.compile(r"^## \[(?P<version>\d+\.\d+\.\d+|Unreleased)\](?: - (?P<date>\S+))?\s*$")


def parse_version(text):
    return tuple(int(part) for part in text.split("."))


def entries(text):
    """The entries, newest first, as (heading line number, version, date, sections), and the
    problems with their form."""
    problems, found = [], []
    lines = text.splitlines()
    if not lines or not lines[0].startswith("# "):
        problems.append("line 1: the changelog starts with a title (\"# Changelog\")")
    current = None
    for number, line in enumerate(lines, 1):
        if line.startswith("## "):
            match = ENTRY.match(line)
            if not match:
                problems.append(f"line {number}: an entry's heading is \"## [X.Y.Z] - YYYY-MM-DD\" "
                                f"or \"## [Unreleased]\", not {line!r}")
                current = None
                continue
            version, date = match["version"], match["date"]
            if version == "Unreleased":
                if date:
                    problems.append(f"line {number}: [Unreleased] has no date")
            else:
                try:
                    date = datetime.date.fromisoformat(date or "")
                except ValueError:
                    problems.append(f"line {number}: version {version} needs a date YYYY-MM-DD")
                    date = None
            current = {"line": number, "version": version, "date": date, "sections": []}
            found.append(current)
        elif line.startswith("### ") and current is not None:
            name = line[4:].strip()
            if name not in SECTIONS:
                problems.append(f"line {number}: section \"{name}\" is not one of "
                                f"{', '.join(SECTIONS)}")
            current["sections"].append({"name": name, "line": number, "items": 0})
        elif line.startswith("- ") and current is not None and current["sections"]:
            current["sections"][-1]["items"] += 1
    if not found:
        problems.append("the changelog has no entry")
    for index, entry in enumerate(found):
        where = f"line {entry['line']}"
        if entry["version"] == "Unreleased" and index > 0:
            problems.append(f"{where}: [Unreleased] comes first, above every version")
        if not entry["sections"] and entry["version"] != "Unreleased":
            problems.append(f"{where}: version {entry['version']} lists no Added, Changed or "
                            f"Fixed section")
        names = [s["name"] for s in entry["sections"] if s["name"] in SECTIONS]
        if names != sorted(names, key=SECTIONS.index) or len(set(names)) != len(names):
            problems.append(f"{where}: sections come once each, in the order "
                            f"{', '.join(SECTIONS)}")
        for section in entry["sections"]:
            if not section["items"]:
                problems.append(f"line {section['line']}: section {section['name']} is empty")
    versioned = [e for e in found if e["version"] != "Unreleased"]
    for newer, older in zip(versioned, versioned[1:]):
        if parse_version(newer["version"]) <= parse_version(older["version"]):
            problems.append(f"line {older['line']}: {older['version']} comes after "
                            f"{newer['version']}; the newest version comes first")
        if newer["date"] and older["date"] and newer["date"] < older["date"]:
            problems.append(f"line {older['line']}: {older['version']} is dated after "
                            f"{newer['version']}")
    return versioned, problems


def module_version(host, module):
    """The version the module gives: its property list's packed word, and its About text."""
    run = subprocess.run([str(host), "info", str(module), "--json"], capture_output=True,
                         text=True, timeout=120)
    if run.returncode != 0:
        sys.exit(f"orvane-host info {module} exited {run.returncode}: {run.stderr}")
    info = json.loads(run.stdout)
    word = info["version"]
    return ((word >> 19) & 0x7, (word >> 15) & 0xF, (word >> 11) & 0xF), info["about"]


def problems_with(changelog_text, build_version, listed, about):
    versioned, problems = entries(changelog_text)
    build = parse_version(build_version)
    if versioned and parse_version(versioned[0]["version"]) != build:
        problems.append(f"CHANGELOG.md's newest version is {versioned[0]['version']}, the build "
                        f"makes {build_version} (project() in CMakeLists.txt): give the new "
                        f"version its entry, or rename [Unreleased] to it")
    if listed != build:
        problems.append(f"the module's property list gives {'.'.join(map(str, listed))}, the "
                        f"build {build_version}")
    shown = f"OrvaneTavolin, v{build[0]}.{build[1]}{build[2]}\r"
    if not about.startswith(shown):
        problems.append(f"the About text starts {about[:len(shown)]!r}, not {shown!r}")
    return problems


def bite(text, build_version, listed, about):
    """Each planted fault must be found: a version without its entry, entries out of order, an
    undated version, a module of another version."""
    major, minor, bug = parse_version(build_version)
    newer = f"{major}.{minor}.{bug + 1}"
    first = re.search(r"^## \[", text, re.M).start()
    older_entry = f"## [0.0.1] - 2000-01-01\n\n### Added\n\n- A first try.\n\n"
    faults = {
        "a build of a version the changelog lacks": (text, newer, parse_version(newer), about),
        "an older version above the newest": (text[:first] + older_entry + text[first:],
                                              build_version, listed, about),
        "a version without a date": (re.sub(r"^(## \[\d+\.\d+\.\d+\]) - \S+", r"\1", text,
                                            count=1, flags=re.M), build_version, listed, about),
        "a module whose About text names another version": (
            text, build_version, listed, about.replace(f"v{major}.{minor}{bug}", "v9.99", 1)),
        "a section of another name": (text.replace("### Added", "### New", 1), build_version,
                                      listed, about),
    }
    missed = [name for name, args in faults.items() if not problems_with(*args)]
    for name in missed:
        print(f"does not bite: {name} passes")
    if not missed:
        print(f"each planted fault is found: {'; '.join(faults)}")
    return 1 if missed else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--version", required=True, help="the build's version (PROJECT_VERSION)")
    parser.add_argument("--host", required=True, type=Path)
    parser.add_argument("--module", required=True, type=Path)
    parser.add_argument("--changelog", type=Path, default=ROOT / "CHANGELOG.md")
    parser.add_argument("--bite", action="store_true")
    args = parser.parse_args()
    text = args.changelog.read_text(encoding="utf-8")
    listed, about = module_version(args.host, args.module)
    if args.bite:
        return bite(text, args.version, listed, about)
    problems = problems_with(text, args.version, listed, about)
    for problem in problems:
        print(problem)
    if problems:
        return 1
    print(f"CHANGELOG.md's newest entry, the build, the property list and the About text: "
          f"{args.version}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
