#!/usr/bin/env python3
"""Plants one small fault at a time in the sources and reports those the tests miss.

Each mutant changes one token of one line (a comparison or boolean operator flipped, an arithmetic
operator swapped, a constant changed, a TRUE/FALSE flipped, a negation dropped) or drops one call
statement. What the mutated files reach of the programs the fast tests run (the module, the host,
the test programs) is rebuilt and the tests labelled `fast` are run; a mutant that does not compile
is skipped and not counted, and so is one that leaves every program it rebuilds byte for byte as it
was (code compiled only for another system, or a change the compiler folds away): no test can
tell it apart, so it can change no outcome.

The working tree is never written: the mutants are planted in a private clone of the commit under
test (HEAD) in build/mutation/tree, built in build/mutation/build (build-sanitize with
MUTATION_SANITIZE=1), and both are removed at the end, on an interrupt or a SIGTERM, and at the
start of the next run if a run was killed outright. Edits made meanwhile and builds of the working
tree are safe; uncommitted changes are not part of what is tested.

Environment:
  MUTATION_SEED   seed of the sample (default 1); the same seed and sources give the same mutants
  MUTATION_COUNT  how many mutants to try (default 30)
  MUTATION_FILES  space- or comma-separated source paths (or directories) to mutate; default
                  plugin/ ui/ geometry/ sdk_util/ (the module); `host` for the host
  MUTATION_TIMEOUT seconds allowed for one mutant's tests (default 300)
  MUTATION_TEST_TIMEOUT seconds allowed for one test of a mutant (default 45)
  MUTATION_IDS    comma-separated mutant ids (file:line:col:kind) to try instead of a sample
  MUTATION_REPORT file to which the survivors are written, one id and line per row
  MUTATION_BATCH  mutants built under one hold of the build lock before their tests run (6)
  MUTATION_SANITIZE 1: build with AddressSanitizer and UndefinedBehaviorSanitizer, so that a
                  mutant that reads or writes out of bounds fails the test that reaches it
  MUTATION_CXXFLAGS compile and link flags of the build instead (default -g0; the sanitized build
                  adds the sanitizers to them)
  MUTATION_LOCK   the lock file held around builds and test runs (/tmp/orvane-build.lock)
"""

import fcntl
import hashlib
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

# The checkout the script belongs to: only read (its HEAD is cloned), never written outside WORK.
CHECKOUT = Path(__file__).resolve().parents[2]
WORK = CHECKOUT / "build" / "mutation"
# The private clone the mutants are planted in, and its build tree.
ROOT = WORK / "tree"
SANITIZE = os.environ.get("MUTATION_SANITIZE", "0") not in ("", "0")
BUILD = WORK / ("build-sanitize" if SANITIZE else "build")
LOCK = os.environ.get("MUTATION_LOCK", "/tmp/orvane-build.lock")
SANITIZER_FLAGS = "-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
DEFAULT_DIRS = ["plugin", "ui", "geometry", "sdk_util"]
# What is rebuilt and swapped for each mutant: the programs the `fast` tests run and those they
# load or start (the module, orvane-host), as far as the mutated files reach them. Worked out from
# the build tree once it is configured and built (see plan_programs); names and paths relative to
# the build tree.
TARGETS = []
ARTIFACTS = []
# Target kinds whose files are there when the tests run (static and object libraries are linked
# into them, utilities only make sources).
RUNTIME_KINDS = ("EXECUTABLE", "MODULE_LIBRARY", "SHARED_LIBRARY")
STASH = BUILD / "mutants"
# The digests of the unmutated programs, and what build_batch answers for a mutant that leaves
# them all as they were.
BASELINE = {}
UNCHANGED = "unchanged"

TOKEN = re.compile(
    r"""(?P<str>"(?:\\.|[^"\\])*"|'(?:\\.|[^'\\])*')"""
    r"""|(?P<num>\b(?:0x[0-9a-fA-F]+|\d+\.\d*(?:e[-+]?\d+)?|\d*\.\d+(?:e[-+]?\d+)?|\d+(?:e[-+]?\d+)?)[uUlLfF]*\b)"""
    r"""|(?P<id>[A-Za-z_]\w*)"""
    r"""|(?P<op>->|<<=|>>=|<<|>>|<=|>=|==|!=|&&|\|\||\+\+|--|\+=|-=|\*=|/=|\|=|&=|::|[-+*/%<>=!&|^~?:;,.()\[\]{}])"""
)

OPERATOR_SWAPS = {
    "==": "!=", "!=": "==", "<": "<=", "<=": "<", ">": ">=", ">=": ">",
    "&&": "||", "||": "&&", "+": "-", "-": "+", "*": "/", "/": "*",
    "+=": "-=", "-=": "+=", "*=": "/=", "/=": "*=", "++": "--", "--": "++",
    "|=": "&=", "|": "&", "%": "*",
}
WORD_SWAPS = {"true": "false", "false": "true", "TRUE": "FALSE", "FALSE": "TRUE"}


def code_part(line):
    """The line without a trailing // comment (strings are respected)."""
    out, i, quote = [], 0, None
    while i < len(line):
        ch = line[i]
        if quote:
            out.append(ch)
            if ch == "\\" and i + 1 < len(line):
                out.append(line[i + 1])
                i += 1
            elif ch == quote:
                quote = None
        elif ch in "\"'":
            quote = ch
            out.append(ch)
        elif line.startswith("//", i):
            break
        else:
            out.append(ch)
        i += 1
    return "".join(out)


def changed_number(text):
    if text.lower().startswith("0x"):
        # F is a hex digit here, not a float suffix: 0xF is fifteen.
        body = text.rstrip("uUlL")
        suffix = text[len(body):]
        value = int(body, 16)
        return hex(value - 1 if value else 1) + suffix
    body = text.rstrip("uUlLfF")
    suffix = text[len(body):]
    if re.fullmatch(r"\d+", body):
        value = int(body)
        return str({0: 1, 1: 0}.get(value, value + 1)) + suffix
    value = float(body)
    return repr(value * 2 if value else 1.0) + suffix


# Angle brackets of a template argument list (one level of nesting), which are not comparisons.
TEMPLATE = re.compile(r"(?:(?<=\w)|(?<=template ))<(?:[\w:\s,*]|<[\w:\s,*]*>)*>")


def template_positions(code):
    spots = set()
    for m in TEMPLATE.finditer(code):
        spots.update(i for i in range(m.start(), m.end()) if code[i] in "<>")
    return spots


def balance(text):
    return text.count("(") - text.count(")")


def mutants_of(path, lines):
    """Every mutant of one file, as (id, line index, replacement lines, description)."""
    found = []
    in_block = False
    previous_end = ""  # last character of the previous line of code
    for n, raw in enumerate(lines):
        stripped = raw.strip()
        if in_block:
            if "*/" in stripped:
                in_block = False
            continue
        if stripped.startswith("/*"):
            in_block = "*/" not in stripped
            continue
        if not stripped or stripped.startswith(("#", "//")) or "static_assert" in stripped:
            continue
        code = code_part(raw)
        here_end = code.rstrip()[-1:]
        in_template = template_positions(code)
        for tok in TOKEN.finditer(code):
            kind, text, col = tok.lastgroup, tok.group(), tok.start()
            new = None
            # Not comparisons: template brackets. Not multiplications: a `*` that clang-format
            # writes without a space after it (a pointer declarator or a dereference).
            if col in in_template or (text == "*" and not code[col + 1:col + 2].isspace()):
                continue
            if kind == "op" and text in OPERATOR_SWAPS:
                new = OPERATOR_SWAPS[text]
            elif kind == "op" and text == "!":
                new = ""
            elif kind == "id" and text in WORD_SWAPS:
                new = WORD_SWAPS[text]
            elif kind == "num":
                new = changed_number(text)
            if new is None:
                continue
            mutated = raw[:col] + new + raw[col + len(text):]
            found.append((f"{path}:{n + 1}:{col + 1}:{text}->{new or 'drop'}", n, [mutated],
                          stripped))
        # Dropping a call statement: `name(...);`, `a.b->c(...);` or `c.err.Do(...);`, possibly
        # over several lines, as long as it is a whole statement of its own (not the tail of an
        # expression, not a declaration such as `T(const T &) = delete;`).
        starts_statement = previous_end in (";", "{", "}", ":", "")
        args = re.sub(r'"(?:\\.|[^"\\])*"', '""', code.partition("(")[2])
        declaration = "= delete" in code or "= default" in code or \
            re.search(r"\b[A-Za-z_]\w*\s+[&*]*[A-Za-z_]\w*\s*[,)]", args)
        if starts_statement and not declaration and \
                re.match(r"^[A-Za-z_][\w:.>\-\[\]()]*(?:->|\.)?[A-Za-z_]\w*\(", stripped) and \
                not re.match(r"^(if|for|while|switch|return|case|else|do)\b", stripped) and \
                "=" not in stripped.split("(")[0]:
            depth, end = 0, None
            for m in range(n, min(n + 12, len(lines))):
                depth += balance(code_part(lines[m]))
                if depth <= 0:
                    end = m if code_part(lines[m]).rstrip().endswith(";") else None
                    break
            if end is not None:
                indent = raw[:len(raw) - len(raw.lstrip())]
                replacement = [indent + ";  // dropped\n"] + ["\n"] * (end - n)
                found.append((f"{path}:{n + 1}:1:drop-call", n, replacement, stripped))
        previous_end = here_end
    return found


def source_files(spec):
    paths = []
    for item in spec:
        p = ROOT / item
        if p.is_dir():
            paths += sorted(q for q in p.rglob("*") if q.suffix in (".cpp", ".h"))
        elif p.is_file():
            paths.append(p)
        else:
            sys.exit(f"mutation: no such source in the commit under test: {item}")
    return paths


def run(cmd, timeout=None, cwd=None, env=None):
    """Runs a command in its own process group, ended with everything it started when it runs out
    of time or the script is stopped, so no compiler or test outlives the run's folders."""
    proc = subprocess.Popen(cmd, cwd=cwd or ROOT, stdout=subprocess.PIPE, env=env,
                            stderr=subprocess.STDOUT, text=True, start_new_session=True)
    try:
        out, _ = proc.communicate(timeout=timeout)
    except BaseException:
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        proc.communicate()
        raise
    return subprocess.CompletedProcess(cmd, proc.returncode, out)


def remove_private_tree():
    for folder in (ROOT, WORK / "build", WORK / "build-sanitize", STASH, WORK / "tmp"):
        shutil.rmtree(folder, ignore_errors=True)


def make_private_tree():
    """A clone of the checkout's HEAD in ROOT, after clearing what a killed run left behind."""
    remove_private_tree()
    head = run(["git", "rev-parse", "--verify", "HEAD^{commit}"], cwd=CHECKOUT)
    if head.returncode:
        sys.exit("mutation: " + (head.stdout.strip() or "no commit to test"))
    commit = head.stdout.strip()
    # --shared borrows the checkout's objects instead of copying them; nothing is written there.
    for cmd in (["git", "clone", "--quiet", "--shared", "--no-checkout", str(CHECKOUT), str(ROOT)],
                ["git", "-C", str(ROOT), "checkout", "--quiet", "--detach", commit]):
        result = run(cmd, cwd=CHECKOUT)
        if result.returncode:
            sys.exit("mutation: cannot make the private tree\n" + result.stdout)
    return commit


def configure():
    # The codemodel of CMake's file API says which target compiles which file, with which include
    # folders, and what depends on what: that is how a mutant's reach is worked out.
    query = BUILD / ".cmake" / "api" / "v1" / "query" / "codemodel-v2"
    query.parent.mkdir(parents=True, exist_ok=True)
    query.touch()
    reply = BUILD / ".cmake" / "api" / "v1" / "reply"
    if (BUILD / "build.ninja").exists() and list(reply.glob("codemodel-v2-*.json")):
        return
    # No sanitizers by default: a mutant's build and test run stay cheap. MUTATION_SANITIZE brings
    # them in at several times the cost, for the faults only they see (a write past an array).
    flags = os.environ.get("MUTATION_CXXFLAGS", "-g0")
    if SANITIZE:
        flags += " " + SANITIZER_FLAGS
    cmd = ["flock", LOCK, "cmake", "-S", str(ROOT), "-B", str(BUILD), "-G", "Ninja",
           "-DCMAKE_BUILD_TYPE=Debug", f"-DCMAKE_CXX_FLAGS_DEBUG={flags}", f"-DCMAKE_C_FLAGS_DEBUG={flags}",
           f"-DCMAKE_EXE_LINKER_FLAGS={flags}", f"-DCMAKE_SHARED_LINKER_FLAGS={flags}",
           f"-DCMAKE_MODULE_LINKER_FLAGS={flags}"]
    result = run(cmd)
    if result.returncode:
        sys.exit("mutation: configure failed\n" + result.stdout)


def codemodel():
    """The build tree's targets by name: kind, artifacts, sources, include folders and the names of
    the targets each depends on (linked or only built first)."""
    reply = BUILD / ".cmake" / "api" / "v1" / "reply"
    index = json.loads(max(reply.glob("codemodel-v2-*.json"), key=os.path.getmtime).read_text())
    entries = index["configurations"][0]["targets"]
    loaded = {t["id"]: json.loads((reply / t["jsonFile"]).read_text()) for t in entries}
    targets = {}
    for t in loaded.values():
        targets[t["name"]] = {
            "type": t["type"],
            "artifacts": [a["path"] for a in t.get("artifacts", [])],
            # Relative source paths are from the top of the source tree.
            "sources": {(ROOT / s["path"]).resolve() for s in t.get("sources", [])},
            "includes": {Path(i["path"]).resolve() for group in t.get("compileGroups", [])
                         for i in group.get("includes", [])},
            "depends": [loaded[d["id"]]["name"] for d in t.get("dependencies", [])],
        }
    return targets


def reached(targets, files):
    """The targets whose build can change with these files: those that compile one, that have its
    folder among their include folders or compile a file of that folder (a header found beside
    its source), and everything that depends on any of them."""
    hit = set()
    for name, t in targets.items():
        source_dirs = {s.parent for s in t["sources"]}
        for f in files:
            if f in t["sources"] or f.parent in t["includes"] or f.parent in source_dirs:
                hit.add(name)
    grew = True
    while grew:
        grew = False
        for name, t in targets.items():
            if name not in hit and any(d in hit for d in t["depends"]):
                hit.add(name)
                grew = True
    return hit


def fast_programs():
    """The files the `fast` tests run, relative to the build tree."""
    result = run(["ctest", "--test-dir", str(BUILD), "-L", "fast", "--show-only=json-v1"])
    if result.returncode:
        sys.exit("mutation: ctest cannot list the fast tests\n" + result.stdout[-3000:])
    programs = set()
    for t in json.loads(result.stdout).get("tests", []):
        command = t.get("command") or []
        if command:
            path = Path(command[0]).resolve()
            if path.is_relative_to(BUILD.resolve()):
                programs.add(str(path.relative_to(BUILD.resolve())))
    return programs


def plan_programs(files):
    """Sets TARGETS and ARTIFACTS for mutants of these files: builds the unmutated programs they
    reach once, asks ctest which of them the fast tests run, and keeps those with the programs they
    load or start, as far as the files reach them. A module mutant so changes the module, the host
    that loads it and the test programs; a host mutant the host and every program linking its
    library, and not the module."""
    targets = codemodel()
    hit = reached(targets, files)
    candidates = sorted(n for n in hit if targets[n]["type"] in RUNTIME_KINDS)
    if not candidates:
        sys.exit("mutation: no program of the build compiles or includes the files to mutate")
    # The tests are discovered as their programs are built, so the fast ones are known only now.
    result = run(["flock", LOCK, "nice", "cmake", "--build", str(BUILD), "-j2", "--target"] +
                 candidates)
    if result.returncode:
        sys.exit("mutation: the unmutated sources do not build\n" + result.stdout[-3000:])
    by_artifact = {a: n for n, t in targets.items() for a in t["artifacts"]}
    needed = {by_artifact[p] for p in fast_programs() if p in by_artifact}
    # What the test programs load or start: their dependencies that are programs themselves, and
    # those of these in turn (orvane-host is built with the module it loads by default).
    todo = list(needed)
    while todo:
        for d in targets[todo.pop()]["depends"]:
            if d not in needed and targets[d]["type"] in RUNTIME_KINDS:
                needed.add(d)
                todo.append(d)
    chosen = sorted(needed & hit)
    if not chosen:
        sys.exit("mutation: the fast tests run no program that the files to mutate reach")
    TARGETS[:] = chosen
    ARTIFACTS[:] = [a for n in chosen for a in targets[n]["artifacts"]]
    print("mutation: rebuilding " + " ".join(chosen), flush=True)


def digests():
    return {a: hashlib.sha256((BUILD / a).read_bytes()).hexdigest() for a in ARTIFACTS}


def build_batch(batch, originals):
    """Builds each mutant of a batch under one hold of the build lock (the machine is shared, and
    waiting for the lock once per mutant costs more than the builds) and keeps what each changed.
    Returns the mutants that built, with the folder holding their programs."""
    built = []
    with open(LOCK, "a") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        try:
            for number, mutant in batch:
                if mutant is None:  # the unmutated sources, tested before any mutant
                    cmd = ["nice", "cmake", "--build", str(BUILD), "-j2", "--target"] + TARGETS
                    result = run(cmd)
                    if result.returncode:
                        sys.exit("mutation: the unmutated sources do not build\n" +
                                 result.stdout[-3000:])
                    folder = STASH / "0"
                    folder.mkdir(parents=True, exist_ok=True)
                    for artifact in ARTIFACTS:
                        shutil.copy2(BUILD / artifact, folder / Path(artifact).name)
                    BASELINE.update(digests())
                    built.append((0, None, folder))
                    continue
                path, mid, line, replacement, _ = mutant
                lines = originals[path].splitlines(keepends=True)
                lines[line:line + len(replacement)] = replacement
                (ROOT / path).write_text("".join(lines))
                try:
                    cmd = ["nice", "cmake", "--build", str(BUILD), "-j2", "--target"] + TARGETS
                    ok = run(cmd).returncode == 0
                finally:
                    (ROOT / path).write_text(originals[path])
                if not ok:
                    built.append((number, mutant, None))
                    continue
                if digests() == BASELINE:
                    built.append((number, mutant, UNCHANGED))
                    continue
                folder = STASH / str(number)
                folder.mkdir(parents=True, exist_ok=True)
                for artifact in ARTIFACTS:
                    shutil.copy2(BUILD / artifact, folder / Path(artifact).name)
                built.append((number, mutant, folder))
        finally:
            fcntl.flock(lock, fcntl.LOCK_UN)
    return built


def install(folder):
    # Copied beside and renamed over: a program a test left running (a host past its time-out)
    # keeps its old file, where writing into it would fail with "text file busy".
    for artifact in ARTIFACTS:
        target = BUILD / artifact
        staged = target.with_name(target.name + ".new")
        shutil.copy2(folder / Path(artifact).name, staged)
        os.replace(staged, target)


def test(timeout):
    # A mutant that makes a loop run away is caught by the per-test limit, well above what any
    # fast test takes.
    per_test = os.environ.get("MUTATION_TEST_TIMEOUT", "45")
    cmd = ["nice", "ctest", "--test-dir", str(BUILD), "-L", "fast", "--stop-on-failure",
           "-j2", "--timeout", per_test]
    # The tests' scratch files go to a folder of this run's own: in the shared /tmp they would
    # meet those of a `make test` running meanwhile, which writes the same names, and a mutant
    # would look caught (and that run fail) for it.
    scratch = WORK / "tmp"
    shutil.rmtree(scratch, ignore_errors=True)
    scratch.mkdir(parents=True)
    env = dict(os.environ, TEST_TMPDIR=str(scratch) + "/", TMPDIR=str(scratch))
    try:
        result = run(cmd, timeout=timeout, env=env)
    except subprocess.TimeoutExpired:
        return False, "timeout"
    failed = re.findall(r"\d+ - (\S+) \(", result.stdout)
    return result.returncode == 0, ", ".join(failed[:3])


def folder_of(mid):
    """The folder a mutant's file is in, to two levels (host/model) or one (plugin)."""
    parts = Path(mid.split(":", 1)[0]).parts[:-1]
    return "/".join(parts[:2]) if parts else "."


def main():
    # Stopped by a signal, the script still removes its private tree (run in the background, a
    # shell makes it ignore SIGINT; SIGTERM is how it is stopped there).
    for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, signal.default_int_handler)
    WORK.mkdir(parents=True, exist_ok=True)
    # One run per checkout: a second would clear the first one's tree.
    guard = open(WORK / ".lock", "a")
    try:
        fcntl.flock(guard, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except BlockingIOError:
        sys.exit(f"mutation: another run is using {WORK}")
    try:
        return mutate()
    except KeyboardInterrupt:
        print("\nmutation: stopped; the private tree is removed", file=sys.stderr)
        return 130
    finally:
        remove_private_tree()


def mutate():
    seed = int(os.environ.get("MUTATION_SEED", "1"))
    count = int(os.environ.get("MUTATION_COUNT", "30"))
    timeout = int(os.environ.get("MUTATION_TIMEOUT", "300"))
    spec = re.split(r"[\s,]+", os.environ.get("MUTATION_FILES", "").strip()) or []
    spec = [s for s in spec if s] or DEFAULT_DIRS
    commit = make_private_tree()
    files = source_files(spec)
    rel = [str(f.relative_to(ROOT)) for f in files]

    dirty = run(["git", "status", "--porcelain", "--"] + spec, cwd=CHECKOUT).stdout.strip()
    if dirty:
        print("mutation: uncommitted changes are not tested (the commit is):\n" + dirty,
              flush=True)

    everything = []
    originals = {}
    for f, r in zip(files, rel):
        text = f.read_text()
        originals[r] = text
        everything += [(r,) + m for m in mutants_of(r, text.splitlines(keepends=True))]
    wanted = [s for s in os.environ.get("MUTATION_IDS", "").split(",") if s]
    if wanted:
        chosen = [m for m in everything if m[1] in wanted]
    else:
        chosen = random.Random(seed).sample(everything, min(count, len(everything)))
    print(f"mutation: {len(everything)} mutants in {len(files)} files of {commit[:12]}; trying "
          f"{len(chosen)} (seed {seed}{', sanitized' if SANITIZE else ''})", flush=True)

    configure()
    plan_programs([f.resolve() for f in files])

    run_started = time.time()
    batch_size = max(1, int(os.environ.get("MUTATION_BATCH", "6")))
    caught, survived, skipped, unchanged = [], [], [], []
    # The unmutated sources go first, built with the first batch: the fast tests must pass
    # on them, or every mutant would look caught.
    numbered = [(0, None)] + list(enumerate(chosen, 1))
    for start in range(0, len(numbered), batch_size):
        started = time.time()
        built = build_batch(numbered[start:start + batch_size], originals)
        print(f"built {len(built)} in {time.time() - started:.0f} s", flush=True)
        for number, mutant, folder in built:
            if mutant is None:
                install(folder)
                ok, failed = test(timeout)
                shutil.rmtree(folder)
                if not ok:
                    sys.exit(f"mutation: the fast tests fail without any mutant ({failed})")
                continue
            path, mid, line, replacement, original = mutant
            started = time.time()
            if folder is None:
                skipped.append(mid)
                verdict = "does not build"
            elif folder == UNCHANGED:
                unchanged.append(mid)
                verdict = "leaves the programs as they were (not counted)"
            else:
                install(folder)
                ok, failed = test(timeout)
                shutil.rmtree(folder)
                if ok:
                    survived.append((mid, original))
                    verdict = "SURVIVED"
                else:
                    caught.append(mid)
                    verdict = f"caught ({failed})"
            print(f"[{number}/{len(chosen)}] {mid}: {verdict} ({time.time() - started:.0f} s)",
                  flush=True)

    tried = len(caught) + len(survived)
    print(f"\nmutation: {tried} mutants built and tested, {len(caught)} caught, "
          f"{len(survived)} survived, {len(skipped)} did not build, "
          f"{len(unchanged)} left the programs as they were, in "
          f"{time.time() - run_started:.0f} s "
          f"({'ASan+UBSan' if SANITIZE else 'no sanitizers'}, after the first build)")
    if tried:
        print(f"mutation score: {100.0 * len(caught) / tried:.1f} %")
        # Per folder (host/model, plugin, ...), since a score over all of them can hide one
        # folder whose tests catch little.
        folders = {}
        for mid in caught:
            folders.setdefault(folder_of(mid), [0, 0])[0] += 1
        for mid, _ in survived:
            folders.setdefault(folder_of(mid), [0, 0])[1] += 1
        for folder, (c, s) in sorted(folders.items()):
            print(f"  {folder}: {c} of {c + s} caught ({100.0 * c / (c + s):.0f} %)")
    for mid, original in survived:
        print(f"survivor: {mid}    {original}")
    report = os.environ.get("MUTATION_REPORT")
    if report:
        Path(report).write_text("".join(f"{mid}\t{original}\n" for mid, original in survived))
    return 0


if __name__ == "__main__":
    sys.exit(main())
