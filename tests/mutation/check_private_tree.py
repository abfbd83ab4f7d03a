#!/usr/bin/env python3
"""`make mutation` leaves the working tree as it found it, also when it is stopped.

  check_private_tree.py [--keep]

Runs tests/mutation/mutate.py, copied into a small throw-away repository (one program, one fast
test that a flipped operator fails), so that a real run takes seconds:
  1. with an uncommitted edit in the file being mutated and the leftovers of a killed run in
     build/mutation/: the run succeeds, `git status` and every file's bytes and modification time
     outside build/ are what they were, the edit is still there, and build/mutation/ holds no tree,
     build or mutant afterwards;
  2. stopped with SIGTERM while it builds or tests: the same, and no process it started lives on.
"""
import os
import pathlib
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SCRIPT = pathlib.Path(__file__).resolve().with_name("mutate.py")

CMAKE = """cmake_minimum_required(VERSION 3.16)
project(sample CXX)
enable_testing()
add_executable(sample src/sample.cpp)
add_test(NAME sample COMMAND sample)
set_tests_properties(sample PROPERTIES LABELS fast)
"""
# Every mutant of the comparison and the constants changes the exit status; the loop gives a
# stopped run something to interrupt. The function compiled only for Windows is what a mutant
# leaves unbuilt here (UNBUILT, its comparison flipped).
SOURCE = """#include <chrono>
#include <cstdlib>
#include <thread>

#if defined(_WIN32)
int Elsewhere(int n) { return n > 2; }
#endif

int main() {
  const char *pause = std::getenv("SAMPLE_PAUSE");
  if (pause) std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(pause)));
  int sum = 0;
  for (int i = 0; i < 4; ++i) sum += i;
  return sum == 6 ? 0 : 1;
}
"""
EDIT = "// an edit not yet committed\n"
UNBUILT = "src/sample.cpp:6:33:>->>="


def git(repo, *args):
    return subprocess.run(["git", "-C", str(repo), "-c", "user.name=check", "-c",
                           "user.email=check@localhost", *args],
                          check=True, capture_output=True, text=True).stdout


def snapshot(repo):
    """Bytes and modification time (ns) of every file outside build/ and .git/, and git status."""
    files = {}
    for path in sorted(repo.rglob("*")):
        rel = path.relative_to(repo)
        if rel.parts[0] in ("build", ".git") or not path.is_file():
            continue
        files[str(rel)] = (path.read_bytes(), path.stat().st_mtime_ns)
    return files, git(repo, "status", "--porcelain", "--untracked-files=all")


def leftovers(repo):
    work = repo / "build" / "mutation"
    return sorted(p.name for p in work.iterdir() if p.name != ".lock") if work.exists() else []


def processes_under(repo):
    """Command lines of the processes that name a path in the repository."""
    found = []
    for entry in pathlib.Path("/proc").iterdir():
        if not entry.name.isdigit() or int(entry.name) == os.getpid():
            continue
        try:
            line = (entry / "cmdline").read_bytes().replace(b"\0", b" ").decode(errors="replace")
        except OSError:
            continue
        if str(repo) in line:
            found.append(line)
    return found


def make_repo(top):
    repo = top / "repo"
    (repo / "src").mkdir(parents=True)
    (repo / "tests" / "mutation").mkdir(parents=True)
    (repo / "CMakeLists.txt").write_text(CMAKE)
    (repo / "src" / "sample.cpp").write_text(SOURCE)
    (repo / ".gitignore").write_text("/build/\n")
    shutil.copy(SCRIPT, repo / "tests" / "mutation" / "mutate.py")
    git(repo, "init", "--quiet")
    git(repo, "add", ".")
    git(repo, "commit", "--quiet", "-m", "sample")
    return repo


def environment(top, **extra):
    env = dict(os.environ, MUTATION_FILES="src", MUTATION_SEED="3", MUTATION_COUNT="2",
               MUTATION_BATCH="1", MUTATION_LOCK=str(top / "build.lock"))
    env.pop("MUTATION_IDS", None)
    env.pop("MUTATION_SANITIZE", None)
    env.update(extra)
    return env


def main():
    failures = []

    def expect(ok, what, detail=""):
        print(("ok    " if ok else "FAIL  ") + what, flush=True)
        if not ok:
            failures.append(what)
            if detail:
                print(detail[-3000:])

    with tempfile.TemporaryDirectory(prefix="orvane-mutation-") as name:
        top = pathlib.Path(name)
        repo = make_repo(top)
        source = repo / "src" / "sample.cpp"
        source.write_text(SOURCE + EDIT)  # a developer's edit, made while the run goes on
        stale = repo / "build" / "mutation" / "tree" / "src"
        stale.mkdir(parents=True)
        (stale / "sample.cpp").write_text("left by a killed run\n")
        (repo / "build" / "mutation" / "build").mkdir()
        before = snapshot(repo)

        run = subprocess.run([sys.executable, str(repo / "tests/mutation/mutate.py")], cwd=repo,
                             env=environment(top), capture_output=True, text=True, timeout=300)
        out = run.stdout + run.stderr
        expect(run.returncode == 0, "a short run succeeds", out)
        expect("2 mutants built" in out, "it built and tested two mutants", out)
        after = snapshot(repo)
        changed = [f for f in set(before[0]) | set(after[0])
                   if before[0].get(f) != after[0].get(f)]
        expect(not changed, "no file outside build/ changed (bytes and mtime)", " ".join(changed))
        expect(before[1] == after[1], "git status is unchanged", before[1] + "\n--\n" + after[1])
        expect(source.read_text().endswith(EDIT), "the uncommitted edit is still there")
        expect(leftovers(repo) == [], "build/mutation/ holds nothing afterwards",
               " ".join(leftovers(repo)))

        # A mutant that leaves the program byte for byte as it was is not tested, nor counted.
        run = subprocess.run([sys.executable, str(repo / "tests/mutation/mutate.py")], cwd=repo,
                             env=environment(top, MUTATION_IDS=UNBUILT), capture_output=True,
                             text=True, timeout=300)
        out = run.stdout + run.stderr
        expect(run.returncode == 0 and "0 mutants built" in out and
               "1 left the programs as they were" in out and
               UNBUILT + ": leaves the programs as they were" in out,
               "a mutant of code not built here is neither caught nor a survivor", out)

        # Stopped while a mutant is being tested (the sample pauses, so the run is still going).
        before = snapshot(repo)
        proc = subprocess.Popen([sys.executable, str(repo / "tests/mutation/mutate.py")],
                                cwd=repo, env=environment(top, SAMPLE_PAUSE="3000"),
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                start_new_session=True)
        tree_seen = False
        deadline = time.time() + 120
        while time.time() < deadline and proc.poll() is None:
            if (repo / "build" / "mutation" / "build" / "build.ninja").exists():
                tree_seen = True
                time.sleep(2)
                break
            time.sleep(0.1)
        expect(tree_seen, "the run made its private tree and build")
        proc.send_signal(signal.SIGTERM)
        try:
            out, _ = proc.communicate(timeout=60)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            out, _ = proc.communicate()
            expect(False, "a stopped run ends within a minute", out)
        expect(proc.returncode != 0, "a stopped run says it did not finish", out)
        time.sleep(0.5)
        alive = processes_under(repo)
        expect(not alive, "nothing the stopped run started lives on", "\n".join(alive))
        after = snapshot(repo)
        expect(before == after, "a stopped run changed no file outside build/, nor git status")
        expect(leftovers(repo) == [], "a stopped run leaves nothing in build/mutation/",
               " ".join(leftovers(repo)))

    if failures:
        print(f"{len(failures)} check(s) failed")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
