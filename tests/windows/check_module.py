#!/usr/bin/env python3
"""Checks OrvaneTavolin.aex as the application will see it: a 64-bit x86-64 DLL exporting
EntryPointFunc alone, importing only system DLLs, carrying the property list as PIPL 16000 in US
English byte for byte and a manifest at the id a DLL's manifest is read from, and no other
resource."""
import sys

import pefile

SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll", "user32.dll", "advapi32.dll", "ntdll.dll"}
RT_MANIFEST = 24
DLL_MANIFEST_ID = 2  # the loader reads a DLL's own manifest from this id
PIPL = ("PIPL", 16000, 1033)


def resource_entries(pe):
    """(type, id, language) -> bytes for every resource."""
    out = {}
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        type_key = str(rtype.name) if rtype.name is not None else rtype.id
        for rid in rtype.directory.entries:
            for lang in rid.directory.entries:
                data = lang.data.struct
                out[(type_key, rid.id, lang.id)] = pe.get_data(data.OffsetToData, data.Size)
    return out


def main(module, pipl):
    failures = []
    pe = pefile.PE(module)
    if pe.OPTIONAL_HEADER.Magic != 0x20B:
        failures.append("not PE32+")
    if pe.FILE_HEADER.Machine != 0x8664:
        failures.append("not x86-64")
    if not pe.FILE_HEADER.Characteristics & 0x2000:
        failures.append("not a DLL")
    exports = [e.name.decode() for e in pe.DIRECTORY_ENTRY_EXPORT.symbols if e.name]
    if exports != ["EntryPointFunc"]:
        failures.append(f"exports {exports}, expected only EntryPointFunc")
    imports = sorted(entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT)
    foreign = [dll for dll in imports if dll not in SYSTEM_DLLS and not dll.startswith("api-ms-win-")]
    if foreign:
        failures.append(f"imports non-system DLLs {foreign}")
    resources = resource_entries(pe)
    expected = open(pipl, "rb").read()
    got = resources.get(PIPL)
    if got is None:
        failures.append(f"no PIPL 16000/1033 resource; resources are {sorted(map(str, resources))}")
    elif got != expected:
        failures.append(f"PIPL resource differs from the property list ({len(got)} vs {len(expected)} bytes)")
    manifests = [v for (t, rid, _), v in resources.items() if t == RT_MANIFEST and rid == DLL_MANIFEST_ID]
    if not manifests or b'level="asInvoker"' not in manifests[0] or b'uiAccess="false"' not in manifests[0]:
        failures.append("no asInvoker manifest")
    others = [k for k in resources if k != PIPL and not (k[0] == RT_MANIFEST and k[1] == DLL_MANIFEST_ID)]
    if others or len(manifests) > 1:
        failures.append(f"resources besides the property list and one manifest: {sorted(map(str, others))}"
                        f", {len(manifests)} manifests")
    for failure in failures:
        print("FAIL:", failure)
    print(f"{module}: exports {exports}, imports {imports}, {len(resources)} resources")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
