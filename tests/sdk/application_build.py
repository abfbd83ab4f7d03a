#!/usr/bin/env python3
"""The switch to the vendor's headers, tried with a copy of sdk/ laid out as a vendor's might be.

  application_build.py --source DIR --work DIR --cmake CMAKE --nm NM --cc CC --cxx CXX
                       --headers A.h,...

In WORK (emptied first): copies every header of sdk/ into nested folders of vendor/ (one of them
twice, identically, as SDKs carry copies in their examples), then
  1. configures an application build (-DORVANE_SDK_DIR=vendor, Ninja, Release) with the opt-out
     ORVANE_ALLOW_STAND_IN_SDK: it must say it found the stand-in, take every header from its own
     folder below vendor/ and never from sdk/;
  2. builds it: the Linux module and nothing of the host or the tests, the module exporting
     EntryPointFunc alone (nm -D --defined-only);
  3. installs it: refused (a stand-in module is never installed), and nothing lands;
  4. configures without the opt-out: refused at configure time;
  5. configures with one header removed, and with one header present twice with different
     contents: each stops with one message naming the header and the folder it was looked for in;
  6. configures as the application presets do (ORVANE_REQUIRE_SDK) without ORVANE_SDK_DIR: stops.
"""
import argparse
import json
import os
import pathlib
import shutil
import subprocess
import sys

FOLDERS = ["Headers", "Headers/SP", "Headers/Suites", "Headers/Suites/Effect", "Util/Drawbot"]


def run(command, **kwargs):
    print("$", " ".join(str(c) for c in command), flush=True)
    result = subprocess.run([str(c) for c in command], capture_output=True, text=True, **kwargs)
    return result.returncode, result.stdout + result.stderr


class Switch:
    def __init__(self, args):
        self.args = args
        self.source = pathlib.Path(args.source).resolve()
        self.work = pathlib.Path(args.work).resolve()
        self.vendor = self.work / "vendor"
        self.headers = [h for h in args.headers.replace(";", ",").split(",") if h]
        self.failures = []
        self.places = {}

    def expect(self, ok, what, output=""):
        print(("ok    " if ok else "FAIL  ") + what, flush=True)
        if not ok:
            self.failures.append(what)
            if output:
                print(output[-4000:])

    def lay_out(self):
        shutil.rmtree(self.work, ignore_errors=True)
        for n, path in enumerate(sorted((self.source / "sdk").iterdir())):
            folder = self.vendor / FOLDERS[n % len(FOLDERS)]
            folder.mkdir(parents=True, exist_ok=True)
            shutil.copy(path, folder / path.name)
            self.places[path.name] = folder / path.name
        # The same bytes twice are one header (the copy sorts after the original).
        samples = self.vendor / "Samples" / "Template"
        samples.mkdir(parents=True)
        shutil.copy(self.source / "sdk" / "AE_Effect.h", samples / "AE_Effect.h")
        (self.vendor / "Headers" / "Unrelated.h").write_text("/* not one the plug-in includes */\n")

    def configure(self, build, *extra, sdk=True):
        shutil.rmtree(build, ignore_errors=True)
        command = [self.args.cmake, "-S", self.source, "-B", build, "-G", "Ninja",
                   "-DCMAKE_BUILD_TYPE=Release", f"-DCMAKE_C_COMPILER={self.args.cc}",
                   f"-DCMAKE_CXX_COMPILER={self.args.cxx}", *extra]
        if sdk:
            command.append(f"-DORVANE_SDK_DIR={self.vendor}")
        return run(command)

    def application_build(self):
        build = self.work / "build"
        code, out = self.configure(build, "-DORVANE_ALLOW_STAND_IN_SDK=ON")
        self.expect(code == 0, "configure against the nested copy (opt-out given)", out)
        if code:
            return
        self.expect("holds OrvaneTavolin's own stand-in headers" in out,
                    "configure says it found the stand-in", out)
        for header in self.headers:
            self.expect(f"SDK header {header}: {self.places[header]}" in out,
                        f"{header} taken from {self.places[header].parent.relative_to(self.work)}", out)
        commands = json.loads((build / "compile_commands.json").read_text())
        plugin = [c for c in commands if "/plugin/" in c["file"] or "/ui/" in c["file"]]
        stand_in = f"{self.source}/sdk"
        leaks = [c["file"] for c in plugin
                 if f"-I{stand_in} " in c["command"] + " " or f"-isystem {stand_in} " in c["command"] + " "]
        self.expect(plugin and not leaks, f"no plug-in source compiled with {stand_in} ({len(plugin)} "
                    f"sources; {leaks[:3]})")
        wanted = {str(p.parent) for p in self.places.values() if p.name in self.headers}
        missing = [d for d in sorted(wanted) if all(f"-isystem {d} " not in c["command"] + " " for c in plugin)]
        self.expect(not missing, f"every vendor folder on the include path (missing {missing})")

        code, out = run([self.args.cmake, "--build", build, "-j", str(os.cpu_count() or 2)])
        self.expect(code == 0, "build the Linux module", out)
        if code:
            return
        module = build / "bin" / "OrvaneTavolin.so"
        self.expect(module.is_file(), f"{module.name} built")
        built = sorted(p.name for p in (build / "bin").iterdir())
        self.expect(built == ["OrvaneTavolin.so", "pipl_gen"] and not (build / "host").exists()
                    and not (build / "tests").exists(),
                    f"no host and no tests: bin/ holds {built} (pipl_gen writes the property list)")
        code, out = run([self.args.nm, "-D", "--defined-only", module])
        exported = sorted(line.split()[-1] for line in out.splitlines() if line.strip())
        self.expect(code == 0 and exported == ["EntryPointFunc"], f"exports {exported}", out)

        dist = self.work / "dist"
        code, out = run([self.args.cmake, "--install", build, "--prefix", dist])
        landed = sorted(str(p.relative_to(dist)) for p in dist.rglob("*")) if dist.exists() else []
        self.expect(code != 0 and "stand-in" in out and not landed,
                    f"install refused (exit {code}, installed {landed})", out)

    def refusals(self):
        build = self.work / "refused"
        code, out = self.configure(build)
        self.expect(code != 0 and "holds OrvaneTavolin's own stand-in headers" in out
                    and "Nothing is built for the application" in out,
                    "without the opt-out, configure refuses the stand-in", out)

        gone = self.places["AE_EffectUI.h"]
        saved = gone.read_bytes()
        gone.unlink()
        code, out = self.configure(build, "-DORVANE_ALLOW_STAND_IN_SDK=ON")
        print(out[out.find("CMake Error"):] if "CMake Error" in out else out)
        named = out.split("Not found:")[1].split("ORVANE_SDK_DIR must")[0] if "Not found:" in out else ""
        self.expect(code != 0 and "AE_EffectUI.h" in named and str(self.vendor) in out
                    and all(h not in named for h in self.headers if h != "AE_EffectUI.h"),
                    "a missing header stops the configure, named with the folder searched", out)
        gone.write_bytes(saved)

        other = self.vendor / "Examples" / "Other" / "A.h"
        other.parent.mkdir(parents=True)
        other.write_text(self.places["A.h"].read_text() + "/* another version */\n")
        code, out = self.configure(build, "-DORVANE_ALLOW_STAND_IN_SDK=ON")
        print(out[out.find("CMake Error"):] if "CMake Error" in out else out)
        self.expect(code != 0 and "different contents" in out and "A.h, 2 different files" in out
                    and str(other) in out and str(self.places["A.h"]) in out,
                    "a header found twice with different contents stops the configure", out)
        other.unlink()

        code, out = self.configure(build, "-DORVANE_REQUIRE_SDK=ON", sdk=False)
        self.expect(code != 0 and "-DORVANE_SDK_DIR=" in out,
                    "an application preset without ORVANE_SDK_DIR stops", out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    for name in ("source", "work", "cmake", "nm", "cc", "cxx", "headers"):
        parser.add_argument(f"--{name}", required=True)
    switch = Switch(parser.parse_args())
    switch.lay_out()
    switch.application_build()
    switch.refusals()
    print(f"{len(switch.failures)} failed" if switch.failures else "all passed")
    return 1 if switch.failures else 0


if __name__ == "__main__":
    sys.exit(main())
