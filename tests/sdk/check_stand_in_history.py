#!/usr/bin/env python3
"""Every copy of sdk/ this repository ever held is known as the stand-in, never as the vendor's SDK.

  check_stand_in_history.py --source DIR --work DIR --cmake CMAKE [--cc CC --cxx CXX]

Takes the sdk/ of every commit that changed it (git archive), and of the working tree, and for
each, as it was and with the marker file deleted (headers copied on their own), configures an
application build against it (-DORVANE_SDK_DIR): each configure must stop, saying the folder holds
the stand-in. The oldest copy (include guards, no marker) is configured once more with the opt-out
ORVANE_ALLOW_STAND_IN_SDK: the install script it writes must refuse to install. A folder that is
none of these (sdk/ with its stand-in lines taken out and no marker) must be taken for a vendor's,
so the check is shown not to refuse everything. Skipped (77) without the repository's history.
"""
import argparse
import pathlib
import shutil
import subprocess
import sys
import tarfile
import io

MARKER = "OrvaneStandIn.h"
STAND_IN_LINE = "OrvaneTavolin stand-in header"
REFUSED = "holds OrvaneTavolin's own stand-in headers"


def git(source, *args):
    return subprocess.run(["git", "-C", str(source), *args], capture_output=True, text=True)


def history(source):
    """(label, commit) of each distinct sdk/ tree that a commit of the repository holds."""
    log = git(source, "log", "--all", "--full-history", "--reverse", "--format=%H", "--", "sdk")
    trees, copies = set(), []
    for commit in log.stdout.split() + [git(source, "rev-parse", "HEAD").stdout.strip()]:
        tree = git(source, "rev-parse", f"{commit}:sdk").stdout.strip()
        if tree and tree not in trees:
            trees.add(tree)
            copies.append((f"sdk/ of {commit[:10]}", commit))
    return copies


def extract(source, commit, into):
    archive = subprocess.run(["git", "-C", str(source), "archive", "--format=tar", commit, "sdk"],
                             capture_output=True, check=True).stdout
    with tarfile.open(fileobj=io.BytesIO(archive)) as tar:
        tar.extractall(into)
    return into / "sdk"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--cmake", required=True)
    parser.add_argument("--cc")
    parser.add_argument("--cxx")
    args = parser.parse_args()
    source = pathlib.Path(args.source).resolve()
    work = pathlib.Path(args.work).resolve()

    inside = git(source, "rev-parse", "--is-inside-work-tree").stdout.strip() == "true"
    shallow = git(source, "rev-parse", "--is-shallow-repository").stdout.strip() == "true"
    if not inside or shallow:
        print("skipped: the repository's full history is not here")
        return 77
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)

    failures = []

    def expect(ok, what, output=""):
        print(("ok    " if ok else "FAIL  ") + what, flush=True)
        if not ok:
            failures.append(what)
            if output:
                print(output[-3000:])

    def configure(name, sdk, *extra):
        # The headers somewhere below the folder named, as in a vendor's SDK.
        vendor = work / name / "vendor"
        shutil.copytree(sdk, vendor / "Headers")
        command = [args.cmake, "-S", str(source), "-B", str(work / name / "build"), "-G", "Ninja",
                   "-DCMAKE_BUILD_TYPE=Release", f"-DORVANE_SDK_DIR={vendor}", *extra]
        if args.cc and args.cxx:
            command += [f"-DCMAKE_C_COMPILER={args.cc}", f"-DCMAKE_CXX_COMPILER={args.cxx}"]
        result = subprocess.run(command, capture_output=True, text=True)
        return result.returncode, result.stdout + result.stderr

    copies = [(label, extract(source, commit, work / f"copy{n}"))
              for n, (label, commit) in enumerate(history(source))]
    copies.append(("sdk/ of the working tree", source / "sdk"))
    unmarked = [label for label, sdk in copies if not (sdk / MARKER).exists()]
    expect(len(copies) >= 3 and unmarked, f"{len(copies)} copies of sdk/, of which "
           f"{len(unmarked)} from before the marker")

    for n, (label, sdk) in enumerate(copies):
        code, out = configure(f"as-held{n}", sdk)
        expect(code != 0 and REFUSED in out, f"{label}: refused as the stand-in", out)
        if (sdk / MARKER).exists():
            bare = work / f"bare{n}"
            shutil.copytree(sdk, bare)
            (bare / MARKER).unlink()
            code, out = configure(f"bare{n}", bare)
            expect(code != 0 and REFUSED in out,
                   f"{label} without the marker: refused as the stand-in", out)

    oldest_label, oldest = next((label, sdk) for label, sdk in copies
                                if not (sdk / MARKER).exists())
    code, out = configure("allowed", oldest, "-DORVANE_ALLOW_STAND_IN_SDK=ON")
    install = work / "allowed" / "build" / "cmake_install.cmake"
    script = install.read_text() if install.exists() else ""
    expect(code == 0 and "installing is refused" in out and
           "Nothing to install: ORVANE_SDK_DIR holds" in script,
           f"{oldest_label}, built anyway: installing it is refused", out + script)

    # Not ours: the stand-in lines gone and no marker, so no header names us or has our bytes.
    other = work / "other"
    shutil.copytree(source / "sdk", other)
    (other / MARKER).unlink()
    for header in other.iterdir():
        lines = header.read_text().splitlines(keepends=True)
        header.write_text("".join(line if STAND_IN_LINE not in line else "/* Vendor header. */\n"
                                  for line in lines))
    code, out = configure("other", other)
    expect(code == 0 and REFUSED not in out and "Application build: host API from" in out,
           "a folder of headers that are not ours is taken for the vendor's SDK", out)

    if failures:
        print(f"{len(failures)} check(s) failed")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
