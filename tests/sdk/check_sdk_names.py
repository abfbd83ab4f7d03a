#!/usr/bin/env python3
"""Holds sdk/ to what it is: the host API as the plug-in takes it, and nothing of ours.

  check_sdk_names.py check --sdk DIR --headers A.h,... --marker NAME --sources DIR... [--cc CC]
  check_sdk_names.py prove (same arguments)

`check` fails when
  - a name that sdk/ declares (macro, typedef, struct/union/enum tag, enumerator, function or
    variable) carries none of the host API's prefixes: PF_, AEGP_, A_, DRAWBOT_, SP, and k with
    one of those for the suite-name constants (tags may start with an underscore);
  - sdk/ defines a function (a body is code of ours, whatever its name);
  - sdk/ holds a file that is neither one of the headers the plug-in includes from the SDK
    (--headers, the list CMake searches the vendor's SDK for) nor the stand-in marker, or the
    marker declares anything;
  - the plug-in's sources (--sources) include a header that is neither their own nor in
    --headers, or --headers lists one they do not include, or they include the marker;
  - a header does not compile as C on its own (--cc): the stand-in is plain C declarations;
  - a header does not carry the stand-in line (STAND_IN_LINE), by which cmake/OrvaneSdk.cmake
    knows a copy of it, even one without the marker, from the vendor's headers.

`prove` runs `check` on the real sdk/ (it must pass) and on copies with one fault planted each
(each must fail, naming the fault), so the check is shown to bite before it is trusted.
"""
import argparse
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

PREFIX = re.compile(r"^(_?(PF_|AEGP_|A_|DRAWBOT_|SP[A-Z])|k(PF|AEGP|DRAWBOT_|SP))")
KEYWORDS = {
    "auto", "char", "const", "double", "enum", "extern", "float", "inline", "int", "long",
    "register", "restrict", "short", "signed", "static", "struct", "typedef", "union",
    "unsigned", "void", "volatile", "_Bool", "bool",
}
TOKEN = re.compile(r'"(?:\\.|[^"\\])*"|\'(?:\\.|[^\'\\])*\'|[A-Za-z_]\w*|\d[\w.]*|\S')
IDENT = re.compile(r"^[A-Za-z_]\w*$")
STAND_IN_LINE = "OrvaneTavolin stand-in header"


def lex(text):
    """(directives, tokens): preprocessor lines, and the C tokens of everything else."""
    text = text.replace("\\\n", " ")
    text = re.sub(r"/\*.*?\*/", lambda m: " " + "\n" * m.group(0).count("\n"), text, flags=re.S)
    text = re.sub(r"//[^\n]*", "", text)
    directives, code = [], []
    for line in text.split("\n"):
        if line.lstrip().startswith("#"):
            directives.append(line.lstrip()[1:].strip())
        else:
            code.append(line)
    return directives, TOKEN.findall("\n".join(code))


def balanced(tokens, i, open_, close):
    """Index just past the token closing the one at i."""
    depth = 0
    for j in range(i, len(tokens)):
        depth += tokens[j] == open_
        depth -= tokens[j] == close
        if depth == 0:
            return j + 1
    raise ValueError(f"unbalanced {open_}")


def declarator_name(part):
    part = part[: part.index("=")] if "=" in part else part
    for k, t in enumerate(part):
        if t == "(":
            if k + 1 < len(part) and part[k + 1] in ("*", "^"):
                return next((u for u in part[k + 1:] if IDENT.match(u)), None)
            names = [u for u in part[:k] if IDENT.match(u) and u not in KEYWORDS]
            return names[-1] if names else None
    flat, depth = [], 0
    for t in part:
        depth += t == "["
        if depth == 0:
            flat.append(t)
        depth -= t == "]"
    names = [u for u in flat if IDENT.match(u) and u not in KEYWORDS]
    return names[-1] if names else None


def body_names(body):
    """Tags defined and enumerators declared inside a body (C puts them at file scope)."""
    names, i = [], 0
    while i < len(body):
        t = body[i]
        if t in ("struct", "union", "enum"):
            j = i + 1
            if j < len(body) and IDENT.match(body[j]) and j + 1 < len(body) and body[j + 1] == "{":
                names.append(body[j])
                j += 1
            if j < len(body) and body[j] == "{":
                end = balanced(body, j, "{", "}")
                inner = body[j + 1:end - 1]
                if t == "enum":
                    names += enumerators(inner)
                else:
                    names += body_names(inner)
                i = end
                continue
        i += 1
    return names


def enumerators(inner):
    names, depth, start = [], 0, True
    for t in inner:
        if start and IDENT.match(t):
            names.append(t)
        start = False
        depth += t in "({["
        depth -= t in ")}]"
        if t == "," and depth == 0:
            start = True
    return names


def declared_names(path):
    """(names, function bodies, includes) of one header."""
    directives, tokens = lex(path.read_text())
    names, bodies, includes = [], [], []
    for d in directives:
        m = re.match(r"define\s+([A-Za-z_]\w*)", d)
        if m:
            names.append(m.group(1))
        m = re.match(r'include\s*"([^"]+)"', d)
        if m:
            includes.append(m.group(1))
    decl, i, extern_blocks = [], 0, 0
    while i < len(tokens):
        t = tokens[i]
        if not decl and t == "extern" and tokens[i + 1:i + 3] == ['"C"', "{"]:
            extern_blocks += 1
            i += 3
            continue
        if not decl and t == "}" and extern_blocks:
            extern_blocks -= 1
            i += 1
            continue
        if t == "{":
            end = balanced(tokens, i, "{", "}")
            if decl and decl[-1] == ")":
                bodies.append(declarator_name(decl) or "?")
                names.append(declarator_name(decl))
                decl, i = [], end
                continue
            decl.append(("BODY", tokens[i + 1:end - 1]))
            i = end
            continue
        if t == ";":
            names += declaration_names(decl)
            decl = []
        else:
            decl.append(t)
        i += 1
    return [n for n in names if n], bodies, includes


def declaration_names(decl):
    names = []
    for k, t in enumerate(decl):
        if t in ("struct", "union", "enum") and k + 1 < len(decl) and isinstance(decl[k + 1], str) \
                and IDENT.match(decl[k + 1]):
            names.append(decl[k + 1])
        if isinstance(t, tuple):
            kind = decl[k - 1] if k and isinstance(decl[k - 1], str) else None
            kind = decl[k - 2] if kind and kind not in ("struct", "union", "enum") and k > 1 else kind
            names += enumerators(t[1]) if kind == "enum" else body_names(t[1])
    flat = [t for t in decl if isinstance(t, str)]
    parts, depth, current = [], 0, []
    for t in flat:
        depth += t in "(["
        depth -= t in ")]"
        if t == "," and depth == 0:
            parts.append(current)
            current = []
        else:
            current.append(t)
    parts.append(current)
    for part in parts:
        names.append(declarator_name(part))
    return names


def own_headers(source_dirs):
    return {p.name for d in source_dirs for p in pathlib.Path(d).rglob("*.h")}


def included_from_sdk(source_dirs):
    """Quoted includes of the plug-in's sources that are not the sources' own headers."""
    own = own_headers(source_dirs)
    found = {}
    for d in source_dirs:
        for p in sorted(pathlib.Path(d).rglob("*")):
            if p.suffix not in (".h", ".cpp", ".c") or not p.is_file():
                continue
            for m in re.finditer(r'^\s*#\s*include\s*"([^"]+)"', p.read_text(), re.M):
                if m.group(1) not in own:
                    found.setdefault(m.group(1), str(p))
    return found


def check(sdk, headers, marker, sources, cc):
    failures = []
    sdk = pathlib.Path(sdk)
    files = sorted(p.name for p in sdk.iterdir())
    for name in files:
        if name not in headers and name != marker:
            failures.append(f"{name}: not one of the SDK headers the plug-in includes "
                            f"({', '.join(headers)}) nor the marker {marker}")
    for name in headers:
        if name not in files:
            failures.append(f"{name}: listed but not in {sdk}")
    for name in files:
        path = sdk / name
        names, bodies, includes = declared_names(path)
        for n in sorted(set(names)):
            if not PREFIX.match(n):
                failures.append(f"{name}: declares {n}, which carries no host API prefix "
                                "(PF_, AEGP_, A_, DRAWBOT_, SP, kPF/kAEGP/kDRAWBOT_/kSP)")
        for b in bodies:
            failures.append(f"{name}: defines the function {b}; sdk/ holds declarations only")
        for inc in includes:
            if inc not in headers:
                failures.append(f"{name}: includes \"{inc}\", which is not an SDK header")
        if name == marker and (names or bodies or includes):
            failures.append(f"{name}: the marker must declare nothing, declares {names + bodies}")
        if name != marker and STAND_IN_LINE not in path.read_text():
            failures.append(f"{name}: lacks the comment \"{STAND_IN_LINE} ...\" that tells "
                            "a copy of sdk/ from the vendor's SDK")
    used = included_from_sdk(sources)
    for inc, where in sorted(used.items()):
        if inc == marker:
            failures.append(f"{where}: includes the marker {marker}")
        elif inc not in headers:
            failures.append(f"{where}: includes \"{inc}\", which is neither ours nor in the SDK "
                            "header list (cmake/OrvaneSdk.cmake)")
    for name in headers:
        if name not in used:
            failures.append(f"{name}: in the SDK header list but no plug-in source includes it")
    if cc:
        for name in headers:
            if not (sdk / name).is_file():
                continue
            result = subprocess.run([cc, "-fsyntax-only", "-x", "c", "-std=c99", "-Wall", "-Wextra",
                                     "-Werror", "-I", str(sdk), "-"],
                                    input=f'#include "{name}"\n', capture_output=True, text=True)
            if result.returncode != 0:
                failures.append(f"{name}: does not compile as C on its own:\n{result.stderr}")
    for f in failures:
        print("FAIL:", f)
    if not failures:
        print(f"{sdk}: {len(files)} files, every declared name a host API name")
    return failures


# One fault per copy: (file, text appended or None for a new file, new file name, expected text).
PLANTS = [
    ("AE_Effect.h", "static int my_helper;\n", None, "my_helper"),
    ("A.h", "#define ORVANE_CLAMP(x) (x)\n", None, "ORVANE_CLAMP"),
    ("AE_GeneralPlug.h", "enum { kMaxSlots = 50 };\n", None, "kMaxSlots"),
    ("AE_EffectUI.h", "typedef struct OrvaneSlot { int index; } OrvaneSlot;\n", None, "OrvaneSlot"),
    ("DrawbotSuite.h", "typedef struct { int a; } DRAWBOT_Pair, *PairPtr;\n", None, "PairPtr"),
    ("SPBasic.h", "int SPHelper(int x);\nint helper_count(void);\n", None, "helper_count"),
    ("AE_EffectCB.h", "static inline int PF_Twice(int x) { return 2 * x; }\n", None, "PF_Twice"),
    ("AE_Effect.h", "typedef int (*orvane_callback)(int);\n", None, "orvane_callback"),
    ("AE_Effect.h", "typedef struct { struct orvane_inner { int a; } in; enum { PF_A, Slot_B } e; } PF_Outer;\n",
     None, "Slot_B"),
    (None, "#define PF_HELPER 1\n", "OrvaneHelpers.h", "OrvaneHelpers.h"),
    ("OrvaneStandIn.h", "#define PF_STAND_IN 1\n", None, "marker must declare nothing"),
    ("AE_EffectSuites.h", "typedef struct { int x } PF_Broken;\n", None, "does not compile as C"),
]


def prove(sdk, headers, marker, sources, cc):
    if check(sdk, headers, marker, sources, cc):
        print("FAIL: the real sdk/ must pass")
        return 1
    bad = 0
    with tempfile.TemporaryDirectory() as tmp:
        for n, (name, text, new_file, expected) in enumerate(PLANTS):
            copy = pathlib.Path(tmp) / f"sdk{n}"
            shutil.copytree(sdk, copy)
            target = copy / (new_file or name)
            with open(target, "a") as f:
                f.write(text)
            print(f"--- planted in {new_file or name}: {text.strip()}")
            failures = check(copy, headers, marker, sources, cc)
            if not any(expected in f for f in failures):
                print(f"FAIL: the check did not catch {expected!r}")
                bad += 1
        # The list must follow the sources: an SDK header they stop including, or one they start
        # including without the list knowing.
        print("--- the list names a header no source includes")
        copy = pathlib.Path(tmp) / "sdk_list"
        shutil.copytree(sdk, copy)
        (copy / "AE_Extra.h").write_text("#pragma once\n")
        if not any("no plug-in source includes it" in f
                   for f in check(copy, headers + ["AE_Extra.h"], marker, sources, None)):
            print("FAIL: a stale list entry went unnoticed")
            bad += 1
        print("--- a header without the stand-in line")
        copy = pathlib.Path(tmp) / "sdk_unnamed"
        shutil.copytree(sdk, copy)
        unnamed = copy / "SPBasic.h"
        unnamed.write_text(unnamed.read_text().replace(STAND_IN_LINE, "Stand-in header"))
        if not any("SPBasic.h: lacks the comment" in f
                   for f in check(copy, headers, marker, sources, None)):
            print("FAIL: a header without the stand-in line went unnoticed")
            bad += 1
        print("--- a source includes an SDK header the list does not name")
        src = pathlib.Path(tmp) / "src"
        shutil.copytree(sources[0], src)
        (src / "Extra.cpp").write_text('#include "AE_Macros.h"\n')
        if not any('"AE_Macros.h"' in f for f in check(sdk, headers, marker, [str(src)] + sources[1:], None)):
            print("FAIL: an unlisted SDK include went unnoticed")
            bad += 1
    print(f"{len(PLANTS) + 3 - bad} of {len(PLANTS) + 3} planted faults caught")
    return 1 if bad else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("what", choices=["check", "prove"])
    parser.add_argument("--sdk", required=True)
    parser.add_argument("--headers", required=True, help="comma-separated")
    parser.add_argument("--marker", required=True)
    parser.add_argument("--sources", nargs="+", required=True)
    parser.add_argument("--cc")
    args = parser.parse_args()
    headers = [h for h in args.headers.replace(";", ",").split(",") if h]
    if args.what == "check":
        return 1 if check(args.sdk, headers, args.marker, args.sources, args.cc) else 0
    return prove(args.sdk, headers, args.marker, args.sources, args.cc)


if __name__ == "__main__":
    sys.exit(main())
