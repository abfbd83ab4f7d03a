#!/usr/bin/env python3
"""Checks of the macOS deliverable, with readers that share nothing with the code that wrote it.

  check_macos.py property-lists --windows-list OrvaneTavolin.pipl --rsrc OrvaneTavolin.rsrc
  check_macos.py bundle --windows-list OrvaneTavolin.pipl --bundle OrvaneTavolin.plugin \
      [--archs x86_64,arm64]

The property list is read here by a decoder of its own in either byte order; the resource file
by fontTools' resource-fork reader; Info.plist by plistlib; the Mach-O module through LLVM's
llvm-objdump and llvm-nm, and its universal (fat) header and the arm64 slice's code signature by
readers of their own, the signature's page hashes recomputed with hashlib. The little-endian
(Windows) list is the reference: its bytes are pinned down property by property by the unit
tests, so the big-endian list is checked against it rather than against a second copy of the
expected values. `--archs` names the CPUs the bundle is for (x86_64 by default); with more than
one, the module must be a universal file holding exactly those slices.

`bundle` exits with 77 (reported by CTest as skipped) when the bundle has not been built: it
comes from the stand-in cross build, `make macos` (the `macos` preset, and `macos-universal` for
the universal bundle).
"""

import argparse
import hashlib
import pathlib
import plistlib
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

from fontTools.misc.macRes import ResourceReader

SKIP = 77

# --------------------------------------------------------------------------------------------
# Property lists

# How each property's data reads. The code-entry keys are the ones that differ by platform (and
# a universal macOS bundle has one per CPU).
FORMS = {
    "kind": "long", "name": "counted", "catg": "counted", "8664": "cstring", "mi64": "cstring",
    "ma64": "cstring", "ePVR": "shorts", "eSVR": "shorts", "eVER": "long", "eINF": "short",
    "eGLO": "long", "eGL2": "long", "eMNA": "counted", "aeFL": "long",
}
WINDOWS_ENTRY = "8664"

# What differs between the CPUs a macOS bundle is built for: the code-entry key of the property
# list, the CPU as the Mach-O header gives it (LLVM's name and the number), the oldest macOS the
# CPU runs and the compact unwind mode that defers to __eh_frame.
ARCHS = {
    "x86_64": dict(entry="mi64", cpu="X86_64", cputype=0x01000007, minos="10.13",
                   dwarf=0x04000000),
    "arm64": dict(entry="ma64", cpu="ARM64", cputype=0x0100000C, minos="11.0",
                  dwarf=0x03000000),
}


def code(raw, order):
    """A four-character code stored as a 32-bit integer in `order`, in its natural order."""
    return struct.pack(">I", struct.unpack(order + "I", raw)[0]).decode("mac-roman")


def read_property_list(data, order):
    """(header, properties) of a list in byte order `order` ('<' or '>'); raises on bad layout."""
    reserved, version, count = struct.unpack_from(order + "HII", data, 0)
    at, properties = 10, []
    for _ in range(count):
        vendor, key = code(data[at:at + 4], order), code(data[at + 4:at + 8], order)
        prop_id, length = struct.unpack_from(order + "II", data, at + 8)
        at += 16
        raw = data[at:at + length]
        padding = data[at + length:at + ((length + 3) & ~3)]
        if len(raw) != length:
            raise ValueError(f"property '{key}' runs past the end")
        if any(padding):
            raise ValueError(f"property '{key}' has non-zero padding")
        at += length + len(padding)
        form = FORMS[key]
        if form == "long":
            value = struct.unpack(order + "I", raw)[0]
        elif form == "shorts":
            value = struct.unpack(order + "HH", raw)
        elif form == "short":
            value = struct.unpack(order + "H", raw)[0]
        elif form == "counted":
            value = raw[1:1 + raw[0]].decode("ascii")
            if any(raw[1 + raw[0]:]):
                raise ValueError(f"property '{key}' has non-zero padding")
        else:
            value = raw.split(b"\0", 1)[0].decode("ascii")
            if any(raw[len(value):]):
                raise ValueError(f"property '{key}' has non-zero padding")
        properties.append(dict(vendor=vendor, key=key, id=prop_id, length=length, value=value,
                               padding=len(padding)))
    if at != len(data):
        raise ValueError("bytes after the last property")
    return (reserved, version, count), properties


def write_property_list(header, properties, order):
    """The bytes of a decoded list in byte order `order`."""
    out = bytearray(struct.pack(order + "HII", *header))
    for p in properties:
        form = FORMS[p["key"]]
        if form == "long":
            raw = struct.pack(order + "I", p["value"])
        elif form == "shorts":
            raw = struct.pack(order + "HH", *p["value"])
        elif form == "short":
            raw = struct.pack(order + "H", p["value"])
        elif form == "counted":
            raw = bytes([len(p["value"])]) + p["value"].encode("ascii")
        else:
            raw = p["value"].encode("ascii") + b"\0"
        raw += bytes(p["length"] - len(raw))
        for c in (p["vendor"], p["key"]):
            out += struct.pack(order + "I", struct.unpack(">I", c.encode("mac-roman"))[0])
        out += struct.pack(order + "II", p["id"], p["length"]) + raw + bytes(p["padding"])
    return bytes(out)


def read_single_resource(path):
    """The bytes of the one 'PiPL' 16000 of a classic resource file, after checking that the
    file holds that resource and nothing else and that its header agrees with its size."""
    data = pathlib.Path(path).read_bytes()
    data_offset, map_offset, data_length, map_length = struct.unpack_from(">IIII", data, 0)
    if data_offset + data_length != map_offset or map_offset + map_length != len(data):
        raise ValueError(f"{path}: header offsets and lengths do not add up to the file")
    if data[map_offset:map_offset + 16] not in (data[:16], bytes(16)):
        raise ValueError(f"{path}: the map's header copy differs from the header")
    reader = ResourceReader(str(path))
    if list(reader.keys()) != ["PiPL"]:
        raise ValueError(f"{path}: resource types {list(reader.keys())}, expected ['PiPL']")
    resources = reader["PiPL"]
    if [(r.id, r.name) for r in resources] != [(16000, None)]:
        raise ValueError(f"{path}: 'PiPL' resources {[(r.id, r.name) for r in resources]}")
    return resources[0].data


def mac_properties(windows_properties, entries):
    """The Windows list's properties with its code entry replaced by one entry for each key of
    `entries`, in that order, each otherwise the same property."""
    out = []
    for p in windows_properties:
        out += [{**p, "key": key} for key in entries] if p["key"] == WINDOWS_ENTRY else [p]
    return out


class PropertyListChecks:
    """Mixed into a TestCase that sets windows_list and mac_list (the resource's bytes), and
    optionally archs (the bundle's CPUs, x86-64 alone by default)."""

    archs = ["x86_64"]

    def entries(self):
        return [ARCHS[a]["entry"] for a in self.archs]

    def test_big_endian_header_and_codes_in_natural_order(self):
        count = 11 + len(self.archs)  # one code entry for each CPU
        self.assertEqual(self.mac_list[:10], b"\0\x01\0\0\0\0" + struct.pack(">I", count))
        self.assertEqual(self.mac_list[10:26], b"8BIMkind\0\0\0\0\0\0\0\x04")
        self.assertEqual(self.mac_list[26:30], b"eFKT")

    def test_same_properties_and_values_in_both_byte_orders(self):
        le_header, le = read_property_list(self.windows_list, "<")
        be_header, be = read_property_list(self.mac_list, ">")
        self.assertEqual(le_header, (1, 0, 12))
        self.assertEqual(be_header, (1, 0, 11 + len(self.archs)))
        # The code entries name the Windows list's function under the key of each CPU, one
        # after the other where the Windows list has its one.
        at = [p["key"] for p in le].index(WINDOWS_ENTRY)
        self.assertEqual([p["key"] for p in be[at:at + len(self.archs)]], self.entries())
        for p in be[at:at + len(self.archs)]:
            self.assertEqual(p["value"], "EntryPointFunc")
        expected = mac_properties(le, self.entries())
        self.assertEqual(len(be), len(expected))
        for i, (e, m) in enumerate(zip(expected, be)):
            with self.subTest(property=i + 1, key=e["key"]):
                self.assertEqual(m, e)

    def test_bytes_are_the_windows_list_written_big_endian(self):
        header, properties = read_property_list(self.windows_list, "<")
        properties = mac_properties(properties, self.entries())
        header = header[:2] + (len(properties),)
        self.assertEqual(self.mac_list, write_property_list(header, properties, ">"))


class GeneratedResourceFile(PropertyListChecks, unittest.TestCase):
    """The resource file the generator writes, as the bundle will carry it."""

    def setUp(self):
        self.windows_list = pathlib.Path(ARGS.windows_list).read_bytes()
        self.mac_list = read_single_resource(ARGS.rsrc)


class ReaderRejectsFaults(unittest.TestCase):
    """The checks above catch what a broken generator would write."""

    def setUp(self):
        self.windows_list = pathlib.Path(ARGS.windows_list).read_bytes()
        self.rsrc = pathlib.Path(ARGS.rsrc).read_bytes()
        tmp = tempfile.TemporaryDirectory()
        self.addCleanup(tmp.cleanup)
        self.tmp = pathlib.Path(tmp.name)

    def test_resource_file_faults(self):
        id_at = len(self.rsrc) - 12  # the reference entry is the map's last 12 bytes
        cases = {
            "another type": self.rsrc.replace(b"PiPL", b"PIPL"),
            "another id": self.rsrc[:id_at] + struct.pack(">h", 16001) + self.rsrc[id_at + 2:],
            "a map length that misses the file's end": self.rsrc[:12] +
            struct.pack(">I", len(self.rsrc)) + self.rsrc[16:],
        }
        for name, data in cases.items():
            with self.subTest(name):
                (self.tmp / "broken.rsrc").write_bytes(data)
                with self.assertRaises(ValueError):
                    read_single_resource(self.tmp / "broken.rsrc")

    def test_property_list_faults(self):
        mac_list = read_single_resource(ARGS.rsrc)
        name_at = 10 + 16 + 4 + 16  # the 'name' property's data
        cases = {
            "the little-endian bytes": (
                self.windows_list, "test_big_endian_header_and_codes_in_natural_order"),
            "dirty padding": (
                mac_list[:name_at + 15] + b"\x55" + mac_list[name_at + 16:],
                "test_same_properties_and_values_in_both_byte_orders"),
            "another category": (
                mac_list.replace(b"OrvaneUtility", b"OrvaneUtilitx"),
                "test_same_properties_and_values_in_both_byte_orders"),
            "the Windows code-entry key": (
                mac_list.replace(b"mi64", b"8664"),
                "test_bytes_are_the_windows_list_written_big_endian"),
        }
        for name, (data, check) in cases.items():
            with self.subTest(name):
                checks = GeneratedResourceFile()  # not run: its assertions raise
                checks.windows_list, checks.mac_list = self.windows_list, data
                with self.assertRaises((AssertionError, ValueError)):
                    getattr(checks, check)()


# --------------------------------------------------------------------------------------------
# The bundle and its Mach-O module

IMPORT_LIBRARIES = {"libSystem": "/usr/lib/libSystem.B.dylib", "libc++": "/usr/lib/libc++.1.dylib"}
UNWIND_MODE_MASK = 0x0F000000
UNWIND_HAS_LSDA, UNWIND_PERSONALITY_MASK = 0x40000000, 0x30000000
MH_MAGIC_64, FAT_MAGIC = 0xFEEDFACF, 0xCAFEBABE
LC_CODE_SIGNATURE, LC_BUILD_VERSION = 0x1D, 0x32
CSMAGIC_EMBEDDED_SIGNATURE, CSMAGIC_CODEDIRECTORY = 0xFADE0CC0, 0xFADE0C02
CS_ADHOC, CS_HASHTYPE_SHA256 = 0x2, 2


def llvm_tool(name):
    for candidate in (f"{name}-14", name):
        path = shutil.which(candidate)
        if path:
            return path
    raise RuntimeError(f"{name} not found (Debian package llvm-14)")


def run(tool, *args):
    return subprocess.run([llvm_tool(tool), *map(str, args)], check=True, capture_output=True,
                          text=True).stdout


def table(text, title):
    """The lines of an llvm-objdump table after its title line (and column header, if any)."""
    lines = text.splitlines()
    lines = lines[lines.index(title) + 1:]
    if lines and lines[0].startswith("segment "):
        lines = lines[1:]
    return [line for line in lines if line.strip()]


class MachO:
    """What the checks need of a Mach-O file, as LLVM's tools print it."""

    def __init__(self, path):
        self.path = path
        headers = run("llvm-objdump", "--macho", "--private-headers", path)
        fields = re.search(r"^\s*magic .*\n(.*)$", headers, re.M).group(1).split()
        self.magic, self.cputype, self.filetype, self.flags = fields[0], fields[1], fields[4], \
            set(fields[7:])
        self.commands = []
        self.sections = {}
        for block in re.split(r"^Load command \d+$", headers, flags=re.M)[1:]:
            command = dict(re.findall(r"^\s*(\w+) (.*)$", block.split("\nSection\n")[0], re.M))
            self.commands.append(command)
            for section in block.split("\nSection\n")[1:]:
                s = dict(re.findall(r"^\s*(\w+) (\S+)", section, re.M))
                self.sections[(s["segname"], s["sectname"])] = (
                    int(s["addr"], 16), int(s["size"], 16), int(s["offset"]))
        self.function_starts = [
            int(line, 16) for line in run("llvm-objdump", "--macho", "--function-starts",
                                          path).splitlines()[1:] if line.strip()]

    def text_range(self):
        addr, size, _ = self.sections[("__TEXT", "__text")]
        return addr, addr + size

    def binds(self):
        """(kind, address, library, symbol) for every bind, lazy bind and weak bind."""
        out = []
        for kind, title, columns in (("bind", "Bind table:", 7),
                                     ("lazy-bind", "Lazy bind table:", 5),
                                     ("weak-bind", "Weak bind table:", 6)):
            text = run("llvm-objdump", "--macho", f"--{kind}", self.path)
            for line in table(text, title):
                cols = line.split()
                if len(cols) != columns:
                    raise ValueError(f"unexpected {kind} line: {line!r}")
                library = cols[-2] if kind != "weak-bind" else None
                out.append((kind, int(cols[2], 16), library, cols[-1]))
        return out

    def exports(self):
        text = run("llvm-objdump", "--macho", "--exports-trie", self.path)
        return [line.split()[-1] for line in table(text, "Exports trie:")]

    def unwind_info(self):
        """Second-level entries {function: encoding}, top-level function offsets, personality
        slot addresses and LSDA descriptors {function: lsda}."""
        text = run("llvm-objdump", "--macho", "--unwind-info", self.path)
        second = text.split("Second level indices:")[1]
        entries = {int(fn, 16): int(encoding, 16) for fn, encoding in re.findall(
            r"function offset=(0x\w+), encoding(?:\[\d+\])?=(0x\w+)", second)}
        top = text.split("Top level indices:")[1].split("LSDA descriptors:")[0]
        top_level = [int(f, 16) for f in re.findall(r"function offset=(0x\w+)", top)]
        personalities = [int(a, 16) for a in re.findall(r"personality\[\d+\]: (0x\w+)", text)]
        lsda_part = text.split("LSDA descriptors:")[1].split("Second level indices:")[0]
        lsdas = {int(f, 16): int(l, 16)
                 for f, l in re.findall(r"function offset=(0x\w+), LSDA offset=(0x\w+)", lsda_part)}
        return entries, top_level, personalities, lsdas

    def eh_frame_fdes(self):
        """(start, end) of every FDE in __eh_frame."""
        text = run("llvm-objdump", "--dwarf=frames", self.path)
        return [(int(a, 16), int(b, 16)) for a, b in re.findall(r"FDE .*pc=(\w+)\.\.\.(\w+)", text)]


def read_fat(data):
    """[(cputype, offset, size, align)] of a universal file's slices; None for a thin file."""
    magic, count = struct.unpack_from(">II", data, 0)
    if magic != FAT_MAGIC:
        return None
    return [struct.unpack_from(">I4xIII", data, 8 + 20 * i) for i in range(count)]


def check_fat(test, data, archs):
    """The module holds the slices for `archs`, in that order, and nothing else: a thin Mach-O
    file for one CPU, a universal file for several. Returns {arch: slice bytes}."""
    if len(archs) == 1:
        test.assertIsNone(read_fat(data), "a universal file where one CPU was asked for")
        return {archs[0]: data}
    slices = read_fat(data)
    test.assertIsNotNone(slices, "a thin file where a universal one was asked for")
    test.assertEqual([s[0] for s in slices], [ARCHS[a]["cputype"] for a in archs])
    end = 8 + 20 * len(slices)
    for cputype, offset, size, align in slices:
        test.assertEqual(offset % (1 << align), 0, "slice off its alignment")
        test.assertGreaterEqual(offset, end, "slices overlap")
        end = offset + size
        test.assertLessEqual(end, len(data), "slice past the end of the file")
        # Each slice is a 64-bit Mach-O file for the CPU the universal header says.
        test.assertEqual(struct.unpack_from("<Ii", data, offset), (MH_MAGIC_64, cputype))
    # LLVM's reading of the universal header agrees.
    with tempfile.NamedTemporaryFile() as f:
        f.write(data)
        f.flush()
        text = run("llvm-objdump", "--macho", "--universal-headers", f.name)
    llvm = [(a, int(o), int(z)) for a, o, z in re.findall(
        r"^architecture (\w+)\n(?:.*\n)*?\s*offset (\d+)\n\s*size (\d+)$", text, re.M)]
    test.assertEqual(llvm, [(a, s[1], s[2]) for a, s in zip(archs, slices)])
    return {a: data[s[1]:s[1] + s[2]] for a, s in zip(archs, slices)}


def load_commands(data):
    """(cmd, offset) of each load command of a thin 64-bit Mach-O file."""
    ncmds = struct.unpack_from("<I", data, 16)[0]
    at, out = 32, []
    for _ in range(ncmds):
        cmd, size = struct.unpack_from("<II", data, at)
        out.append((cmd, at))
        at += size
    return out


def check_signature(test, data, identifier):
    """The slice carries an ad hoc code signature whose SHA-256 page hashes, recomputed here,
    cover every byte before the signature."""
    signatures = [at for cmd, at in load_commands(data) if cmd == LC_CODE_SIGNATURE]
    test.assertEqual(len(signatures), 1, "no code signature")
    dataoff, datasize = struct.unpack_from("<II", data, signatures[0] + 8)
    test.assertEqual(dataoff + datasize, len(data), "the signature does not end the file")
    magic, _, count = struct.unpack_from(">III", data, dataoff)
    test.assertEqual(magic, CSMAGIC_EMBEDDED_SIGNATURE)
    blobs = dict(struct.unpack_from(">II", data, dataoff + 12 + 8 * i) for i in range(count))
    test.assertIn(0, blobs, "no code directory")
    cd = dataoff + blobs[0]
    (magic, _, _, flags, hash_offset, ident_offset, _, code_slots, code_limit, hash_size,
     hash_type, _, page_shift) = struct.unpack_from(">9I4B", data, cd)
    test.assertEqual(magic, CSMAGIC_CODEDIRECTORY)
    test.assertTrue(flags & CS_ADHOC, "not an ad hoc signature")
    test.assertEqual((hash_type, hash_size), (CS_HASHTYPE_SHA256, 32))
    test.assertEqual(data[cd + ident_offset:].split(b"\0", 1)[0].decode(), identifier)
    test.assertEqual(code_limit, dataoff, "the signature leaves code unsigned")
    page = 1 << page_shift
    test.assertEqual(code_slots, -(-code_limit // page))
    wrong = [i for i in range(code_slots)
             if data[cd + hash_offset + 32 * i:cd + hash_offset + 32 * (i + 1)]
             != hashlib.sha256(data[page * i:min(page * (i + 1), code_limit)]).digest()]
    test.assertEqual(wrong, [], "pages whose hash does not match")


def check_header(test, m, arch="x86_64"):
    test.assertEqual((m.magic, m.cputype, m.filetype), ("MH_MAGIC_64", ARCHS[arch]["cpu"],
                                                        "BUNDLE"))
    test.assertIn("TWOLEVEL", m.flags, "flat namespace: imports would be looked up anywhere")
    versions = [c for c in m.commands if c.get("cmd") in ("LC_VERSION_MIN_MACOSX",
                                                          "LC_BUILD_VERSION")]
    test.assertEqual(len(versions), 1)
    # LC_BUILD_VERSION gives "minos" (and a "version" for each tool that built the file);
    # LC_VERSION_MIN_MACOSX a "version" alone.
    test.assertEqual(versions[0].get("minos", versions[0].get("version")), ARCHS[arch]["minos"])


def check_exports(test, m):
    test.assertEqual(m.exports(), ["_EntryPointFunc"])
    defined = run("llvm-nm", "-g", "--defined-only", m.path).split()
    test.assertEqual(defined[1:], ["T", "_EntryPointFunc"])


def check_imports(test, m):
    dylibs = sorted(c["name"].split(" (offset")[0] for c in m.commands
                    if c.get("cmd") == "LC_LOAD_DYLIB")
    test.assertEqual(dylibs, sorted(IMPORT_LIBRARIES.values()))
    test.assertFalse(any(c.get("cmd") in ("LC_LOAD_WEAK_DYLIB", "LC_RPATH", "LC_REEXPORT_DYLIB")
                         for c in m.commands))
    undefined = run("llvm-nm", "-m", "--undefined-only", m.path).splitlines()
    test.assertTrue(undefined)
    for line in undefined:
        with test.subTest(line.strip()):
            test.assertRegex(line, r"\(undefined\) external \S+ \(from (libSystem|libc\+\+)\)$")
    binds = m.binds()
    test.assertTrue(binds)
    for kind, _, library, symbol in binds:
        with test.subTest(kind=kind, symbol=symbol):
            test.assertNotEqual(kind, "weak-bind", "weak binds are resolved by flat lookup")
            test.assertIn(library, IMPORT_LIBRARIES)


def check_unwind(test, m, arch="x86_64"):
    """Compact unwind entries start at functions and span __text (an entry also covers the
    functions after it that unwind alike); personalities point at the C++ personality routine;
    every LSDA is in the exception tables; DWARF entries and __eh_frame describe real functions
    (lld 14 wrote FDE addresses that point outside the code)."""
    start, end = m.text_range()
    starts = set(m.function_starts)
    test.assertIn(("__TEXT", "__unwind_info"), m.sections)
    entries, top_level, personalities, lsdas = m.unwind_info()
    test.assertEqual(top_level[0], start)
    test.assertEqual(top_level[-1], end)
    test.assertEqual(min(entries), start)
    test.assertLessEqual(set(entries), starts, "unwind entries that start no function")

    slots = {address: (library, symbol) for kind, address, library, symbol in m.binds()
             if kind == "bind"}
    test.assertTrue(personalities)
    for slot in personalities:
        test.assertEqual(slots.get(slot), ("libc++", "___gxx_personality_v0"))

    except_tab = m.sections.get(("__TEXT", "__gcc_except_tab"), (0, 0, 0))
    for fn, encoding in entries.items():
        with test.subTest(function=hex(fn), encoding=hex(encoding)):
            personality = (encoding & UNWIND_PERSONALITY_MASK) >> 28
            test.assertLessEqual(personality, len(personalities))
            if encoding & UNWIND_HAS_LSDA:
                test.assertIn(fn, lsdas)
                test.assertTrue(except_tab[0] <= lsdas[fn] < except_tab[0] + except_tab[1])
                test.assertNotEqual(personality, 0)
            else:
                test.assertNotIn(fn, lsdas)
    fdes = m.eh_frame_fdes()
    for fde_start, fde_end in fdes:
        with test.subTest(fde=hex(fde_start)):
            test.assertIn(fde_start, starts)
            test.assertLessEqual(fde_end, end)
    dwarf = {fn for fn, e in entries.items() if e & UNWIND_MODE_MASK == ARCHS[arch]["dwarf"]}
    test.assertLessEqual(dwarf, {s for s, _ in fdes})


class Bundle(PropertyListChecks, unittest.TestCase):
    """The bundle as the stand-in cross build leaves it (build/macos/bin/OrvaneTavolin.plugin,
    or build/macos-universal/ for both CPUs), each slice of its module checked on its own."""

    @classmethod
    def setUpClass(cls):
        cls.archs = ARGS.archs
        cls.bundle = pathlib.Path(ARGS.bundle)
        cls.contents = cls.bundle / "Contents"
        cls.module_bytes = (cls.contents / "MacOS" / "OrvaneTavolin").read_bytes()
        cls.tmp = tempfile.TemporaryDirectory()
        # The slices as the universal header places them, each in a file of its own for LLVM's
        # tools; a test that the header is sound follows.
        slices = read_fat(cls.module_bytes) or [(None, 0, len(cls.module_bytes), 0)]
        cls.slices = {}
        for arch, (_, offset, size, _) in zip(cls.archs, slices):
            path = pathlib.Path(cls.tmp.name) / arch / "OrvaneTavolin"
            path.parent.mkdir()
            path.write_bytes(cls.module_bytes[offset:offset + size])
            cls.slices[arch] = MachO(path)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def setUp(self):
        self.windows_list = pathlib.Path(ARGS.windows_list).read_bytes()
        self.mac_list = read_single_resource(self.contents / "Resources" / "OrvaneTavolin.rsrc")

    def each_slice(self, check):
        for arch, m in self.slices.items():
            with self.subTest(arch=arch):
                check(m, arch)

    def test_layout(self):
        files = sorted(str(p.relative_to(self.bundle)) for p in self.bundle.rglob("*")
                       if p.is_file())
        self.assertEqual(files, ["Contents/Info.plist", "Contents/MacOS/OrvaneTavolin",
                                 "Contents/PkgInfo", "Contents/Resources/OrvaneTavolin.rsrc"])

    def test_info_plist_agrees_with_pkginfo_and_the_property_list(self):
        with open(self.contents / "Info.plist", "rb") as f:
            info = plistlib.load(f)
        self.assertTrue((self.contents / "MacOS" / info["CFBundleExecutable"]).is_file())
        self.assertEqual((self.contents / "PkgInfo").read_bytes(),
                         (info["CFBundlePackageType"] + info["CFBundleSignature"]).encode())
        properties = {p["key"]: p["value"] for p in read_property_list(self.mac_list, ">")[1]}
        self.assertEqual(info["CFBundlePackageType"], code(struct.pack(">I", properties["kind"]),
                                                           ">"))
        version = properties["eVER"]  # major, minor and bug-fix digits in bits 19, 15 and 11
        self.assertEqual(info["CFBundleShortVersionString"],
                         f"{version >> 19 & 0xF}.{version >> 15 & 0xF}.{version >> 11 & 0xF}")
        self.assertEqual(info["CFBundleName"], properties["name"])
        self.assertTrue(info["CFBundleIdentifier"])
        # The oldest macOS that one of the slices runs on.
        self.assertEqual(info["LSMinimumSystemVersion"],
                         min((ARCHS[a]["minos"] for a in self.archs),
                             key=lambda v: tuple(map(int, v.split(".")))))

    def test_module_holds_exactly_one_slice_per_cpu(self):
        check_fat(self, self.module_bytes, self.archs)

    def test_mach_o_bundle_per_cpu_with_two_level_namespace(self):
        self.each_slice(lambda m, arch: check_header(self, m, arch))

    def test_only_entry_point_exported(self):
        self.each_slice(lambda m, arch: check_exports(self, m))

    def test_every_import_bound_to_libsystem_or_libcxx(self):
        self.each_slice(lambda m, arch: check_imports(self, m))

    def test_unwind_data(self):
        self.each_slice(lambda m, arch: check_unwind(self, m, arch))

    def test_arm64_slice_signed(self):
        if "arm64" not in self.slices:
            self.skipTest("no arm64 slice")
        check_signature(self, self.slices["arm64"].path.read_bytes(), "OrvaneTavolin")


class ModuleChecksCatchFaults(unittest.TestCase):
    """Each Mach-O check fails on a copy of the module with the fault it is there to catch."""

    @classmethod
    def setUpClass(cls):
        cls.original = (pathlib.Path(ARGS.bundle) / "Contents" / "MacOS" / "OrvaneTavolin") \
            .read_bytes()
        cls.tmp = tempfile.TemporaryDirectory()

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def broken(self, data):
        self.assertNotEqual(data, self.original, "the fault was not applied")
        path = pathlib.Path(self.tmp.name) / self.id().rsplit(".", 1)[-1]
        path.write_bytes(data)
        return MachO(path)

    def assertCheckFails(self, check, module):
        with self.assertRaises(AssertionError):
            # Checked by a TestCase that is not running, whose subTest lets failures through.
            check(unittest.TestCase(), module)

    def test_header(self):
        data = bytearray(self.original)
        data[12] = 2  # MH_EXECUTE
        self.assertCheckFails(check_header, self.broken(bytes(data)))
        data = bytearray(self.original)
        data[4] = 12  # CPU_TYPE_ARM64
        self.assertCheckFails(check_header, self.broken(bytes(data)))
        data = bytearray(self.original)
        data[24] &= ~0x80  # MH_TWOLEVEL
        self.assertCheckFails(check_header, self.broken(bytes(data)))

    def test_second_export(self):
        self.assertCheckFails(check_exports, self.broken(
            self.original.replace(b"_EntryPointFunc", b"_EntryPointFunX")))

    def test_import_from_another_library(self):
        self.assertCheckFails(check_imports, self.broken(
            self.original.replace(b"/usr/lib/libc++.1.dylib", b"/usr/lib/libc++.2.dylib")))

    def test_unwind_personality_slot(self):
        m = MachO(pathlib.Path(ARGS.bundle) / "Contents" / "MacOS" / "OrvaneTavolin")
        _, _, personalities, _ = m.unwind_info()
        _, _, offset = m.sections[("__TEXT", "__unwind_info")]
        # The section's header gives the personality array's place within the section; point
        # the personality at the next pointer slot, which binds another symbol.
        array = offset + struct.unpack_from("<I", self.original, offset + 12)[0]
        data = bytearray(self.original)
        struct.pack_into("<I", data, array, personalities[0] + 8)
        self.assertCheckFails(check_unwind, self.broken(bytes(data)))


class UniversalChecksCatchFaults(unittest.TestCase):
    """The checks of a universal bundle fail on copies with the fault each is there to catch."""

    @classmethod
    def setUpClass(cls):
        cls.bundle = pathlib.Path(ARGS.bundle)
        cls.original = (cls.bundle / "Contents" / "MacOS" / "OrvaneTavolin").read_bytes()
        cls.slices = {arch: cls.original[offset:offset + size]
                      for arch, (_, offset, size, _) in zip(ARGS.archs, read_fat(cls.original))}
        cls.tmp = tempfile.TemporaryDirectory()

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def assertCheckFails(self, check, *args):
        with self.assertRaises(AssertionError):
            # Checked by a TestCase that is not running, whose subTest lets failures through.
            check(unittest.TestCase(), *args)

    def test_a_slice_missing(self):
        # The universal header cut to its first slice, and the arm64 slice on its own.
        one = bytearray(self.original)
        struct.pack_into(">I", one, 4, 1)
        self.assertCheckFails(check_fat, bytes(one), ARGS.archs)
        self.assertCheckFails(check_fat, self.slices["arm64"], ARGS.archs)

    def test_slices_in_another_order(self):
        swapped = bytearray(self.original)
        first, second = swapped[8:28], swapped[28:48]
        swapped[8:28], swapped[28:48] = second, first
        self.assertCheckFails(check_fat, bytes(swapped), ARGS.archs)

    def test_unsigned_arm64_slice(self):
        arm64 = self.slices["arm64"]
        at = [at for cmd, at in load_commands(arm64) if cmd == LC_CODE_SIGNATURE][0]
        dataoff = struct.unpack_from("<I", arm64, at + 8)[0]
        cases = {}
        # The load command turned into another of the same shape: no signature at all.
        data = bytearray(arm64)
        struct.pack_into("<I", data, at, 0x2B)  # LC_DYLIB_CODE_SIGN_DRS
        cases["no signature"] = data
        data = bytearray(arm64)
        data[dataoff:] = bytes(len(data) - dataoff)
        cases["the signature's bytes cleared"] = data
        # One byte of code changed after signing: the signature no longer covers the code.
        text_at = MachO_text_offset(self, arm64)
        data = bytearray(arm64)
        data[text_at] ^= 0xFF
        cases["code changed after signing"] = data
        for name, data in cases.items():
            with self.subTest(name):
                self.assertNotEqual(bytes(data), arm64)
                self.assertCheckFails(check_signature, bytes(data), "OrvaneTavolin")

    def test_arm64_slice_for_the_x86_64_minimum(self):
        arm64 = bytearray(self.slices["arm64"])
        at = [at for cmd, at in load_commands(arm64) if cmd == LC_BUILD_VERSION][0]
        path = pathlib.Path(self.tmp.name) / "minos"
        path.write_bytes(bytes(arm64))
        check_header(self, MachO(path), "arm64")  # as built, it passes
        struct.pack_into("<I", arm64, at + 12, 10 << 16 | 13 << 8)  # minos 10.13
        path.write_bytes(bytes(arm64))
        self.assertCheckFails(check_header, MachO(path), "arm64")

    def test_list_without_the_arm64_entry(self):
        windows_list = pathlib.Path(ARGS.windows_list).read_bytes()
        header, properties = read_property_list(windows_list, "<")
        lists = {
            "x86-64 only": mac_properties(properties, ["mi64"]),
            "arm64 before x86-64": mac_properties(properties, ["ma64", "mi64"]),
            "'ma64' naming another function": [
                {**p, "value": "EntryPointFunX"} if p["key"] == "ma64" else p
                for p in mac_properties(properties, ["mi64", "ma64"])],
        }
        for name, broken in lists.items():
            with self.subTest(name):
                checks = Bundle()  # not run: its assertions raise
                checks.archs, checks.windows_list = ARGS.archs, windows_list
                checks.mac_list = write_property_list(header[:2] + (len(broken),), broken, ">")
                with self.assertRaises(AssertionError):
                    checks.test_same_properties_and_values_in_both_byte_orders()


def MachO_text_offset(test, data):
    """The file offset of the first byte of __TEXT,__text in a thin slice."""
    path = pathlib.Path(test.tmp.name) / "text"
    path.write_bytes(data)
    return MachO(path).sections[("__TEXT", "__text")][2]


# --------------------------------------------------------------------------------------------

def main():
    global ARGS
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("what", choices=["property-lists", "bundle"])
    parser.add_argument("--windows-list", required=True)
    parser.add_argument("--rsrc")
    parser.add_argument("--bundle")
    parser.add_argument("--archs", default="x86_64",
                        help="the bundle's CPUs, comma-separated (x86_64, arm64)")
    ARGS, rest = parser.parse_known_args()
    ARGS.archs = ARGS.archs.split(",")
    if not ARGS.archs or set(ARGS.archs) - set(ARCHS) or len(set(ARGS.archs)) != len(ARGS.archs):
        parser.error(f"--archs: each of {', '.join(ARCHS)} at most once")
    if ARGS.what == "property-lists":
        suites = [GeneratedResourceFile, ReaderRejectsFaults]
    else:
        if not (pathlib.Path(ARGS.bundle) / "Contents" / "MacOS" / "OrvaneTavolin").is_file():
            print(f"SKIPPED: no bundle at {ARGS.bundle}; `make macos` cross-builds it")
            return SKIP
        # The faults of a single slice are planted in the x86-64 bundle, a universal bundle's
        # own faults in the universal one (an arm64 bundle has only the checks).
        suites = [Bundle]
        if ARGS.archs == ["x86_64"]:
            suites.append(ModuleChecksCatchFaults)
        elif len(ARGS.archs) > 1:
            suites.append(UniversalChecksCatchFaults)
    loader = unittest.TestLoader()
    suite = unittest.TestSuite(loader.loadTestsFromTestCase(s) for s in suites)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
