#!/usr/bin/env python3
"""The guide's pictures: every picture in docs/guide/ is made by orvane-host from a scenario in
examples/guide/, and is what that scenario makes today.

  guide_pictures.py write HOST   plays every scenario and writes its pictures into docs/guide/
                                 (what `make docs` runs), removing pictures no scenario makes
  guide_pictures.py check HOST   plays every scenario and compares each picture with the committed
                                 one by decoded pixels (what `make test` runs)
  guide_pictures.py bite HOST    shows that check fails on a changed scenario and on a picture one
                                 pixel off, and passes on the scenarios as they are

Pictures are compared by their decoded pixels, never by their bytes: the PNG encoder (zlib) may
pack the same pixels differently from one library version to the next.
"""
import argparse
import copy
import json
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

from PIL import Image

ROOT = Path(__file__).resolve().parents[2]
SCENARIOS = ROOT / "examples" / "guide"
PICTURES = ROOT / "docs" / "guide"
GUIDE = ROOT / "docs" / "guide.md"
# Every picture has its caption band (window, time, zoom): it tells the reader what they look at.
RUN_OPTIONS = ["--caption", "--quiet"]
# The largest difference allowed in any channel of any pixel: none. The same host draws with the
# same Cairo and the same fonts on every run here, so an equal scenario gives equal pixels; any
# difference is a change in what the effect or the host does, which the guide must show.
TOLERANCE = 0
REMEDY = "if the change is meant, run make docs and commit docs/guide/"


def scenarios(folder=SCENARIOS):
    found = sorted(folder.glob("*.json"))
    if not found:
        sys.exit(f"no scenario in {folder}")
    return found


def play(host, scenario, out):
    """Plays one scenario into `out` and returns its pictures, by file name."""
    run = subprocess.run([str(host), "run", str(scenario), "--out", str(out), *RUN_OPTIONS],
                         capture_output=True, text=True, timeout=300)
    if run.returncode != 0:
        raise SystemExit(f"{scenario.name}: orvane-host run exited {run.returncode}\n"
                         f"{run.stdout}{run.stderr}")
    pictures = {p.relative_to(out).as_posix(): p for p in sorted(out.rglob("*.png"))}
    if not pictures:
        raise SystemExit(f"{scenario.name} writes no picture; each scenario here makes some")
    return pictures


def play_all(host, work, folder=SCENARIOS):
    """Every picture of every scenario: name -> (scenario, path). A name made twice is refused,
    as the second would overwrite the first in docs/guide/."""
    made = {}
    for scenario in scenarios(folder):
        for name, path in play(host, scenario, work / scenario.stem).items():
            if name in made:
                raise SystemExit(f"{name} is written by both {made[name][0].name} and "
                                 f"{scenario.name}")
            made[name] = (scenario, path)
    return made


def difference(committed, made):
    """None when the two pictures' pixels agree within TOLERANCE, else what differs."""
    with Image.open(committed) as a, Image.open(made) as b:
        a, b = a.convert("RGBA"), b.convert("RGBA")
        if a.size != b.size:
            return f"the committed picture is {a.size[0]} x {a.size[1]}, the new one " \
                   f"{b.size[0]} x {b.size[1]}"
        width = a.size[0]
        count, first = 0, None
        for i, (p, q) in enumerate(zip(a.getdata(), b.getdata())):
            if max(abs(x - y) for x, y in zip(p, q)) > TOLERANCE:
                count += 1
                if first is None:
                    first = (i % width, i // width, p, q)
        if not count:
            return None
        x, y, p, q = first
        return f"{count} pixels differ, the first at ({x}, {y}): committed {p}, now {q}"


def referenced_pictures():
    """The pictures docs/guide.md shows, as names inside docs/guide/."""
    text = GUIDE.read_text(encoding="utf-8")
    return set(re.findall(r"\]\(guide/([^)\s]+\.png)\)", text))


def compare(made, pictures=PICTURES):
    """Every problem between the pictures the scenarios made and the committed ones."""
    problems = []
    for name, (scenario, path) in sorted(made.items()):
        committed = pictures / name
        if not committed.is_file():
            problems.append(f"docs/guide/{name} (made by {scenario.name}) is not committed; "
                            f"run make docs")
            continue
        differs = difference(committed, path)
        if differs:
            problems.append(f"docs/guide/{name} is not what examples/guide/{scenario.name} makes "
                            f"now: {differs}; {REMEDY}")
    for committed in sorted(pictures.rglob("*.png")):
        name = committed.relative_to(pictures).as_posix()
        if name not in made:
            problems.append(f"docs/guide/{name} is made by no scenario in examples/guide/; "
                            f"run make docs, which removes it")
    return problems


def check_guide_references(made):
    shown = referenced_pictures()
    problems = [f"docs/guide.md shows guide/{name}, which no scenario in examples/guide/ makes"
                for name in sorted(shown - made.keys())]
    problems += [f"docs/guide/{name} (made by {made[name][0].name}) is not shown in docs/guide.md"
                 for name in sorted(made.keys() - shown)]
    return problems


def write(host):
    with tempfile.TemporaryDirectory() as work:
        made = play_all(host, Path(work))
        PICTURES.mkdir(parents=True, exist_ok=True)
        for committed in sorted(PICTURES.rglob("*.png")):
            if committed.relative_to(PICTURES).as_posix() not in made:
                committed.unlink()
                print(f"removed docs/guide/{committed.relative_to(PICTURES).as_posix()}")
        for name, (scenario, path) in sorted(made.items()):
            target = PICTURES / name
            # Equal pixels keep the committed file, so that a new encoder makes no change to commit.
            if target.is_file() and difference(target, path) is None:
                continue
            target.parent.mkdir(parents=True, exist_ok=True)
            shutil.copyfile(path, target)
            print(f"wrote docs/guide/{name} ({scenario.name})")
        print(f"{len(made)} pictures from {len(scenarios())} scenarios in docs/guide/")
    return 0


def check(host):
    with tempfile.TemporaryDirectory() as work:
        made = play_all(host, Path(work))
        problems = compare(made) + check_guide_references(made)
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} problems with the guide's pictures")
        return 1
    print(f"{len(made)} pictures of docs/guide/ equal what examples/guide/ makes")
    return 0


def shifted(value, by):
    if isinstance(value, bool):
        return not value
    if isinstance(value, (int, float)):
        return value + by
    if isinstance(value, list):
        return [shifted(v, by) for v in value]
    return value


def changed_scenario(scenario):
    """The scenario with its first parameter value moved: what a change to a walk-through step
    that forgot its pictures looks like."""
    data = json.loads(scenario.read_text(encoding="utf-8"))
    changed = copy.deepcopy(data)
    for step in changed.get("steps", []):
        if step.get("do") in ("set", "key") and "value" in step:
            step["value"] = shifted(step["value"], 40)
            return changed, f"{step['do']} {step.get('param')}"
    return None, None


def bite(host):
    failures = []
    with tempfile.TemporaryDirectory() as work:
        work = Path(work)
        made = play_all(host, work / "as-is")
        if compare(made):
            failures.append("the scenarios as they are do not give the committed pictures")
        # A changed scenario: its pictures no longer equal the committed ones.
        for scenario in scenarios():
            changed, what = changed_scenario(scenario)
            if changed is None:
                continue
            folder = work / "changed" / "scenarios"
            folder.mkdir(parents=True, exist_ok=True)
            (folder / scenario.name).write_text(json.dumps(changed), encoding="utf-8")
            pictures = play(host, folder / scenario.name, work / "changed" / scenario.stem)
            ours = {n: (scenario, p) for n, p in pictures.items()}
            problems = [p for p in compare(ours) if "is not what" in p]
            if not problems:
                failures.append(f"{scenario.name} with its {what} changed gives the committed "
                                f"pictures")
            else:
                print(f"changed {what} in {scenario.name}: {problems[0]}")
        if not any(changed_scenario(s)[0] for s in scenarios()):
            failures.append("no scenario has a value to change")
        # One pixel one step off in one channel is a difference too.
        name, (scenario, path) = sorted(made.items())[0]
        off = work / "one-pixel-off.png"
        with Image.open(path) as picture:
            picture = picture.convert("RGBA")
            r, g, b, a = picture.getpixel((0, 0))
            picture.putpixel((0, 0), (r ^ 1, g, b, a))
            picture.save(off)
        if difference(PICTURES / name, off) is None:
            failures.append(f"{name} with one pixel one step off compares equal")
        # A committed picture that no scenario makes any more is named.
        stale = work / "stale"
        shutil.copytree(PICTURES, stale)
        shutil.copyfile(PICTURES / name, stale / "no-scenario-makes-this.png")
        if not any("no-scenario-makes-this.png" in p for p in compare(made, stale)):
            failures.append("a committed picture that no scenario makes passes")
        # A picture the guide does not show, and one it shows that no scenario makes.
        extra = dict(made)
        extra["shown-nowhere.png"] = made[name]
        del extra[name]
        named = " ".join(check_guide_references(extra))
        if "shown-nowhere.png" not in named or f"guide/{name}," not in named:
            failures.append("the guide's references to its pictures are not checked")
    for failure in failures:
        print(f"does not bite: {failure}")
    if failures:
        return 1
    print("the comparison fails on every changed scenario, a picture one pixel off, a stale "
          "picture and a picture the guide does not show")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("command", choices=["write", "check", "bite"])
    parser.add_argument("host", type=Path, help="the orvane-host program")
    args = parser.parse_args()
    return {"write": write, "check": check, "bite": bite}[args.command](args.host)


if __name__ == "__main__":
    sys.exit(main())
